// Picture conversion: data URLs, type indexes and size fitting, the road without the library, and
// conversion of files, bytes and URLs through the stand-in library (bin\freeimage) or the real one.
#include "foundation/FreeImage.h"

#include "foundation/Base64.h"
#include "foundation/RichEd20.h"
#include "foundation/StrUtilWin.h"
#include "foundation/WindowUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr char PngSignature[] = "\x89PNG\r\n\x1A\n";

std::string DataFile(const std::string& Name)
{
    std::string path = std::string("Z:") + ZAVEK_TEST_DATA + "/foundation/" + Name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

uint32_t BigEndian32(const std::string& S, size_t At)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(S[At])) << 24
        | static_cast<uint32_t>(static_cast<uint8_t>(S[At + 1])) << 16
        | static_cast<uint32_t>(static_cast<uint8_t>(S[At + 2])) << 8 | static_cast<uint8_t>(S[At + 3]);
}

// The pixel size a PNG's header states.
SIZE PngSize(const std::string& Png)
{
    if (Png.size() < 24 || Png.compare(0, 8, PngSignature, 8) != 0)
        return { -1, -1 };
    return { static_cast<LONG>(BigEndian32(Png, 16)), static_cast<LONG>(BigEndian32(Png, 20)) };
}

bool operator==(SIZE A, SIZE B)
{
    return A.cx == B.cx && A.cy == B.cy;
}

// Runs first: the program's own folder has no library, so nothing converts.
TEST(FreeImageAbsent, EveryRoutineYieldsNothing)
{
    EXPECT_FALSE(FreeImageAvailable());
    SIZE size {}, twips {};
    EXPECT_EQ(ConvertPicture(DataFile("rtf_picture.png"), size, twips, 0, false), "");
    EXPECT_FALSE(LoadPicture(DataFile("rtf_picture.png")));
    EXPECT_EQ(GetPictureTypeIndex(DataFile("rtf_picture.png")), 0);
    EXPECT_FALSE(LoadFreeImageApi("Z:\\no such folder"));
    EXPECT_FALSE(LoadFreeImageApi("freeimage")) << "a relative folder is never searched";
}

TEST(FreeImage, DecodeDataUrl)
{
    const std::string png = ReadWholeFile(DataFile("rtf_picture.png"));
    struct Case {
        std::string Url;
        std::string Bytes;
        int TypeIndex;
    } cases[] = {
        { "data:image/png;base64," + Base64Encode(png), png, itPng },
        { "DATA: Image/GIF ;charset=x;BASE64,R0lGODlh", "GIF89a", itGif },
        { "data:image/bmp,BM%00%01%ff%4", std::string("BM\0\1\xFF%4", 7), itBmp },
        { "data:image/svg+xml,%3Csvg%3E", "<svg>", itUnknown },
        { "data:text/plain;base64,QUJD", "", itUnknown },
        { "data:image/png;base64", "", itUnknown },
        { "http://x/image/png,abc", "", itUnknown },
    };
    for (const Case& c : cases) {
        int typeIndex = -1;
        EXPECT_EQ(DecodeDataUrl(c.Url, typeIndex), c.Bytes) << c.Url.substr(0, 40);
        EXPECT_EQ(typeIndex, c.TypeIndex) << c.Url.substr(0, 40);
    }
}

TEST(FreeImage, ImageTypeIndex)
{
    const std::pair<const char*, int> cases[] = { { "image/bmp", 1 }, { "image/emf", 2 }, { "image/wmf", 3 },
        { "IMAGE/JPEG", 4 }, { "image/png", 5 }, { "image/gif", 6 }, { "image/tiff", 7 }, { "image/exif", 8 },
        { "image/x-icon", 9 }, { "image/svg+xml", 0 }, { "", 0 }, { "text/plain", 0 } };
    for (const auto& [mime, index] : cases)
        EXPECT_EQ(ImageTypeIndex(mime), index) << mime;
}

TEST(FreeImage, FitSize)
{
    struct Case {
        SIZE Size, Box;
        int MaxWidth;
        SIZE Expected;
    } cases[] = {
        { { 3, 2 }, { 10, 10 }, 0, { 3, 2 } }, // smaller than the box: unchanged
        { { 200, 100 }, { 100, 50 }, 0, { 100, 50 } }, // same ratio: exactly the box
        { { 201, 100 }, { 100, 50 }, 0, { 100, 50 } }, // proportional height 49.75 rounds to the box's
        { { 140, 100 }, { 100, 100 }, 0, { 100, 71 } }, // ratios round alike, but no distortion
        { { 300, 100 }, { 100, 100 }, 0, { 100, 33 } },
        { { 4, 6 }, { 3, 2 }, 0, { 3, 4 } }, // 4.5 rounds half to even
        { { 300, 100 }, { 0, 100 }, 0, { 300, 100 } }, // zero box
        { { 0, 100 }, { 10, 10 }, 0, { 0, 100 } }, // zero size
        { { 300, 100 }, { 400, 400 }, 150, { 150, 50 } },
        { { 400, 300 }, { 200, 100 }, 100, { 100, 75 } },
    };
    for (const Case& c : cases) {
        const SIZE fitted = FitSize(c.Size, c.Box, c.MaxWidth);
        EXPECT_TRUE(fitted == c.Expected) << c.Size.cx << "x" << c.Size.cy << " in " << c.Box.cx << "x"
                                          << c.Box.cy << " gives " << fitted.cx << "x" << fitted.cy;
    }
}

class FreeImageLoaded : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The stand-in, or the library the environment names (the real one).
        const char* folder = std::getenv("ZAVEK_FREEIMAGE_FOLDER");
        ASSERT_TRUE(LoadFreeImageApi(GetModuleFolder(nullptr) + (folder ? folder : "freeimage")));
    }
};

TEST_F(FreeImageLoaded, TypeIndexOfFilesAndBytes)
{
    EXPECT_EQ(GetPictureTypeIndex(DataFile("rtf_picture.png")), itPng);
    EXPECT_EQ(GetPictureTypeIndex(DataFile("rtf_picture.bmp")), itBmp);
    EXPECT_EQ(GetPictureTypeIndex(ReadWholeFile(DataFile("rtf_picture.png"))), itPng);
    EXPECT_EQ(GetPictureTypeIndex("C:\\no such file.gif"), itGif) << "by the file name";
    EXPECT_EQ(GetPictureTypeIndex("just some text"), itUnknown);
}

TEST_F(FreeImageLoaded, ConvertsFileBytesAndDataUrlAtTheirOwnSize)
{
    const std::string png = ReadWholeFile(DataFile("rtf_picture.png"));
    for (const std::string& source : { DataFile("rtf_picture.png"), DataFile("rtf_picture.bmp"), png,
             "data:image/png;base64," + Base64Encode(png) }) {
        SIZE size {}, twips {};
        const std::string converted = ConvertPicture(source, size, twips, 0, false);
        EXPECT_TRUE(PngSize(converted) == (SIZE { 3, 2 })) << source.substr(0, 40);
        EXPECT_TRUE(size == (SIZE { 3, 2 }));
        EXPECT_TRUE(twips == PixelsToTwips(nullptr, { 3, 2 }));
    }
}

TEST_F(FreeImageLoaded, RescalesIntoThePlaceAndPutsTheBitmapFirst)
{
    SIZE size { 300, 200 };
    SIZE twips = PixelsToTwips(nullptr, { 150, 150 });
    const std::string converted = ConvertPicture(DataFile("rtf_picture.png"), size, twips, 0, true);
    ASSERT_GT(converted.size(), 54u);
    ASSERT_EQ(converted.compare(0, 2, "BM"), 0);
    const uint32_t bitmapSize = static_cast<uint8_t>(converted[2]) | static_cast<uint8_t>(converted[3]) << 8
        | static_cast<uint8_t>(converted[4]) << 16
        | static_cast<uint32_t>(static_cast<uint8_t>(converted[5])) << 24;
    ASSERT_LT(bitmapSize, converted.size());
    EXPECT_TRUE(PngSize(converted.substr(bitmapSize)) == (SIZE { 150, 100 }));
    EXPECT_TRUE(size == (SIZE { 150, 100 }));
    EXPECT_TRUE(twips == PixelsToTwips(nullptr, { 150, 100 }));
}

TEST_F(FreeImageLoaded, JpegFilesRoundTrip)
{
    const std::string name
        = GetTempFolder() + "freeimage_test_" + std::to_string(GetCurrentProcessId()) + ".jpg";
    {
        TPicture picture = LoadPicture(DataFile("rtf_picture.bmp"));
        ASSERT_TRUE(picture);
        constexpr int FormatJpeg = 2;
        ASSERT_TRUE(FreeImageApi().Save(FormatJpeg, picture.get(), name.c_str(), 0));
    }
    EXPECT_EQ(GetPictureTypeIndex(name), itJpeg);
    SIZE size {}, twips {};
    EXPECT_TRUE(PngSize(ConvertPicture(name, size, twips, 0, false)) == (SIZE { 3, 2 }));
    DeleteFileA(name.c_str());
}

TEST_F(FreeImageLoaded, FailuresGiveNothing)
{
    SIZE size {}, twips {};
    SetLastError(0);
    EXPECT_EQ(ConvertPicture("", size, twips, 0, false), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(ConvertPicture("no picture at all", size, twips, 0, false), "");
    EXPECT_EQ(ConvertPicture("data:image/png;base64,AAAA", size, twips, 0, false), "");
    EXPECT_EQ(ConvertPicture(DataFile("no such.png"), size, twips, 0, false), "");
    EXPECT_FALSE(LoadPicture("\x89PNG\r\n\x1A\n broken"));
}

} // namespace

namespace {

TEST_F(FreeImageLoaded, RtfPicturesAreReencoded)
{
    SIZE twips {};
    const std::string group = MakeRtfPict(DataFile("rtf_picture.bmp"), 0, twips, false);
    EXPECT_EQ(group.rfind("{\\pict\\pngblip\\picw3\\pich2\\picwgoal", 0), 0u) << group.substr(0, 60);
    EXPECT_NE(group.find(" 89504E470D0A1A0A"), std::string::npos);
    const std::string bitmap = MakeRtfPict(DataFile("rtf_picture.png"), 0, twips, true);
    // The device-independent bitmap begins with its 40-byte header (0x28) and states 3 x 2 pixels.
    EXPECT_NE(bitmap.find(" 280000000300000002000000"), std::string::npos) << bitmap.substr(0, 120);
}

} // namespace
