// GDI+ images under Wine: format identification, the COM memory stream, loading from files and
// bytes, the encoder choice when saving (with a spy in place of GDI+), rendering, quarter turns,
// bitmaps and icons from bytes, the clipboard, and the refusal without GDI+.
#include "foundation/GdiPlus.h"

#include "foundation/StrUtilWin.h"
#include "framework/Exceptions.h"
#include "framework/Graphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t A = 0xFF0000, B = 0x00FF00, C = 0x0000FF, D = 0xFFFF00, E = 0x00FFFF, F = 0xFF00FF;

std::string DataFile(const std::string& Name)
{
    std::string path = std::string("Z:") + ZAVEK_TEST_DATA + "/foundation/" + Name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ScratchFile(const std::string& Name)
{
    return GetTempFolder() + "gdiplus_test_" + std::to_string(GetCurrentProcessId()) + "_" + Name;
}

void Put32(std::string& S, size_t At, uint32_t V)
{
    for (int i = 0; i < 4; ++i)
        S[At + i] = static_cast<char>(V >> (8 * i));
}

// A 24-bit BMP file of the given 0xRRGGBB rows, top row first.
std::string BmpFile(const std::vector<std::vector<uint32_t>>& Rows)
{
    const int width = static_cast<int>(Rows[0].size()), height = static_cast<int>(Rows.size());
    const int stride = (width * 3 + 3) & ~3;
    std::string file(54 + stride * height, '\0');
    file[0] = 'B', file[1] = 'M';
    Put32(file, 2, static_cast<uint32_t>(file.size()));
    Put32(file, 10, 54);
    Put32(file, 14, 40);
    Put32(file, 18, static_cast<uint32_t>(width));
    Put32(file, 22, static_cast<uint32_t>(height));
    file[26] = 1, file[28] = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t rgb = Rows[height - 1 - y][x];
            const size_t at = 54 + y * stride + x * 3;
            file[at] = static_cast<char>(rgb & 0xFF);
            file[at + 1] = static_cast<char>(rgb >> 8 & 0xFF);
            file[at + 2] = static_cast<char>(rgb >> 16 & 0xFF);
        }
    return file;
}

std::vector<std::vector<uint32_t>> Pixels(const TBitmap& Bitmap)
{
    std::vector<std::vector<uint32_t>> rows(Bitmap.Height(), std::vector<uint32_t>(Bitmap.Width()));
    for (int y = 0; y < Bitmap.Height(); ++y)
        for (int x = 0; x < Bitmap.Width(); ++x)
            rows[y][x] = Bitmap.Bits()[y * Bitmap.Width() + x] & 0xFFFFFF;
    return rows;
}

const std::vector<std::vector<uint32_t>> Pattern = { { A, B, C }, { D, E, F } };

TEST(GdiPlus, FormatOfRawFormatGuid)
{
    const std::pair<GUID, int> cases[] = {
        { { 0xb96b3cab, 0x0728, 0x11d3, { 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e } }, 1 },
        { { 0xb96b3cb0, 0x0728, 0x11d3, { 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e } }, 2 },
        { { 0xb96b3cae, 0x0728, 0x11d3, { 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e } }, 3 },
        { { 0xb96b3caf, 0x0728, 0x11d3, { 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e } }, 4 },
        { { 0xb96b3cb1, 0x0728, 0x11d3, { 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e } }, 5 },
        { { 0xb96b3cac, 0x0728, 0x11d3, { 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e } }, 0 }, // EMF
        { { 0xb96b3caa, 0x0728, 0x11d3, { 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e } },
            0 }, // memory bitmap
    };
    for (const auto& [guid, index] : cases)
        EXPECT_EQ(FormatIndexOfRawFormat(guid), index) << GuidToText(guid);
    EXPECT_EQ(GuidToText(cases[0].first), "{b96b3cab-0728-11d3-9d7b-0000f81ef32e}");
}

TEST(GdiPlus, IStreamReadsWritesSeeksAndRefusesAnUnknownOrigin)
{
    TIStream stream;
    EXPECT_EQ(stream.Write("abcdef", 6), 6);
    EXPECT_EQ(stream.Size(), 6);
    EXPECT_EQ(stream.Seek(-2, soFromEnd), 4);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 2) << "a read past the end is short but no fault";
    EXPECT_NE(stream.LastResult(), STG_E_READFAULT);
    EXPECT_STREQ(buffer, "ef");
    EXPECT_EQ(stream.Seek(1, soFromBeginning), 1);
    EXPECT_EQ(stream.Seek(2, soFromCurrent), 3);
    EXPECT_EQ(stream.Seek(1, static_cast<TSeekOrigin>(3)), 0);
    EXPECT_EQ(stream.LastResult(), E_INVALIDARG);
    stream.Clear();
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Position(), 0);
}

TEST(GdiPlus, CodecExtensionsAndEncoderList)
{
    EXPECT_NE(GetGdipDecoderExtensions().find("*.PNG"), std::string::npos);
    EXPECT_NE(GetGdipEncoderExtensions().find("*.JPG"), std::string::npos);
    TGdipImage image;
    const TEncoderIDs& encoders = image.Encoders();
    const std::pair<const char*, int> lines[] = { { "BMP", 1 }, { "GIF", 2 }, { "JPG", 3 }, { "JPEG", 3 },
        { "png", 4 }, { "TIF", 5 }, { "TIFF", 5 } };
    for (const auto& [extension, index] : lines) {
        const int line = encoders.IndexOfName(extension);
        ASSERT_GE(line, 0) << extension;
        EXPECT_EQ(encoders.FormatIndex(line), index) << extension;
        EXPECT_EQ(encoders.ValueFromIndex(line).size(), 38u);
    }
}

TEST(GdiPlus, LoadsFromDataAndFiles)
{
    TGdipImage image;
    const std::string png = ReadWholeFile(DataFile("rtf_picture.png"));
    ASSERT_TRUE(image.LoadFromData(png));
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(image.FormatIndex(), 4);
    EXPECT_EQ(image.DefaultExtension(), ".png");
    EXPECT_FALSE(image.LoadedFromFile());
    std::string bytes;
    ASSERT_TRUE(image.GetImageBytes(bytes));
    EXPECT_EQ(bytes, png);

    ASSERT_TRUE(image.LoadFromFile(DataFile("rtf_picture.bmp")));
    EXPECT_EQ(image.FormatIndex(), 1);
    EXPECT_EQ(image.DefaultExtension(), ".bmp");
    EXPECT_TRUE(image.LoadedFromFile());
    ASSERT_TRUE(image.GetImageBytes(bytes));
    EXPECT_EQ(bytes, ReadWholeFile(DataFile("rtf_picture.bmp")));

    EXPECT_FALSE(image.LoadFromData("no picture"));
    EXPECT_NE(image.LastStatus(), gsOk);
}

TEST(GdiPlus, MetafileLoadsAsUnknownFormat)
{
    const std::string name = ScratchFile("picture.emf");
    HDC dc = CreateEnhMetaFileA(nullptr, name.c_str(), nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    Rectangle(dc, 0, 0, 20, 10);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    {
        TGdipImage image;
        EXPECT_TRUE(image.LoadFromFile(name));
        EXPECT_EQ(image.FormatIndex(), 0);
        EXPECT_EQ(image.LastStatus(), gsUnknownImageFormat);
    }
    DeleteFileA(name.c_str());
}

// Records what would be saved instead of saving.
struct TSaveSpy {
    static inline int Calls = 0;
    static inline std::string Encoder;
    static inline UINT Parameters = 0;
    static inline ULONG Quality = 0;
    static TGpStatus WINAPI Save(
        TGpImage*, const WCHAR*, const CLSID* Encoder, const TEncoderParameters* Parameters)
    {
        ++Calls;
        TSaveSpy::Encoder = GuidToText(*Encoder);
        TSaveSpy::Parameters = Parameters ? Parameters->Count : 0;
        Quality = Parameters ? *static_cast<const ULONG*>(Parameters->Parameter[0].Value) : 0;
        return gsOk;
    }
};

TEST(GdiPlus, SaveChoosesTheEncoderByExtension)
{
    TGdipImage image;
    ASSERT_TRUE(image.LoadFromFile(DataFile("rtf_picture.png")));
    const TEncoderIDs& encoders = image.Encoders();
    auto& save = GdiPlusApi().GdipSaveImageToFile;
    const auto realSave = save;
    save = &TSaveSpy::Save;
    struct Case {
        const char* Name;
        bool Saved;
        const char* Format;
        UINT Parameters;
    } cases[] = {
        { "C:\\x\\a.jpg", true, "JPEG", 1 },
        { "C:\\x\\a.JPEG", true, "JPEG", 1 },
        { "C:\\x\\a.tif", true, "TIFF", 0 },
        { "C:\\x\\a.png", true, "PNG", 0 },
        { "C:\\x\\a.wmf", false, "", 0 },
        { "C:\\x\\noextension", false, "", 0 },
    };
    for (const Case& c : cases) {
        TSaveSpy::Calls = 0;
        EXPECT_EQ(image.SaveToFile(c.Name), c.Saved) << c.Name;
        EXPECT_EQ(TSaveSpy::Calls, c.Saved ? 1 : 0) << c.Name;
        if (!c.Saved)
            continue;
        EXPECT_EQ(TSaveSpy::Encoder, encoders.Values(c.Format)) << c.Name;
        EXPECT_EQ(TSaveSpy::Parameters, c.Parameters) << c.Name;
        EXPECT_EQ(TSaveSpy::Quality, c.Parameters ? 100u : 0u);
    }
    save = realSave;

    const std::string name = ScratchFile("saved.png");
    ASSERT_TRUE(image.SaveToFile(name));
    TGdipImage again;
    EXPECT_TRUE(again.LoadFromFile(name));
    EXPECT_EQ(again.Width(), 3);
    EXPECT_EQ(again.FormatIndex(), 4);
    DeleteFileA(name.c_str());
}

TEST(GdiPlus, RendersAndTurnsAQuarter)
{
    TGdipImage image;
    ASSERT_TRUE(image.LoadFromData(BmpFile(Pattern)));
    TBitmap bitmap;
    ASSERT_TRUE(image.AssignToGraphic(bitmap));
    EXPECT_EQ(Pixels(bitmap), Pattern);
    ASSERT_TRUE(image.Rotate90(bitmap, false));
    EXPECT_EQ(Pixels(bitmap), (std::vector<std::vector<uint32_t>> { { D, A }, { E, B }, { F, C } }));
    ASSERT_TRUE(image.Rotate90(bitmap, true));
    ASSERT_TRUE(image.Rotate90(bitmap, true));
    EXPECT_EQ(Pixels(bitmap), (std::vector<std::vector<uint32_t>> { { C, F }, { B, E }, { A, D } }));
}

TEST(GdiPlus, BitmapsAndIconsFromData)
{
    HBITMAP bitmap = CreateBitmapFromData(BmpFile(Pattern));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info {};
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 3);
    EXPECT_EQ(info.bmHeight, 2);
    DeleteObject(bitmap);
    EXPECT_EQ(CreateBitmapFromData(""), nullptr);
    EXPECT_EQ(CreateBitmapFromData("not a picture"), nullptr);

    HICON icon = CreateIconFromData(ReadWholeFile(DataFile("rtf_picture.png")));
    EXPECT_NE(icon, nullptr);
    DestroyIcon(icon);
    EXPECT_EQ(CreateIconFromData("not a picture"), nullptr);
}

TEST(GdiPlus, CopiesToTheClipboard)
{
    TGdipImage image;
    ASSERT_TRUE(image.LoadFromData(BmpFile(Pattern)));
    ASSERT_TRUE(image.CopyToClipboard());
    ASSERT_TRUE(OpenClipboard(nullptr));
    HBITMAP copy = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP info {};
    EXPECT_TRUE(copy && GetObjectA(copy, sizeof info, &info));
    EXPECT_EQ(info.bmWidth, 3);
    CloseClipboard();
}

TEST(GdiPlus, NoImageWithoutGdiPlus)
{
    auto& startup = GdiPlusApi().GdiplusStartup;
    const auto realStartup = startup;
    startup = nullptr;
    EXPECT_THROW(TGdipImage(), EAbort);
    EXPECT_EQ(GetGdipEncoderExtensions(), "");
    EXPECT_EQ(CreateBitmapFromData(BmpFile(Pattern)), nullptr);
    startup = realStartup;
}

} // namespace
