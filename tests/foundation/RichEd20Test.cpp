// The Windows half of the rich-text unit under Wine: the hidden rich-edit converter on both roads,
// code-page conversions, URL services, fonts and character formats, and RTF pictures from files.
#include "foundation/RichEd20.h"

#include "foundation/StrUtilWin.h"

#include <gtest/gtest.h>

#include <wininet.h>

#include <algorithm>

namespace {

std::string Wide(const std::u16string& Units)
{
    return WideTextOfUnits(Units);
}

// A test data file as a Windows path (the data folder is a Unix path on drive Z:).
std::string DataFile(const std::string& Name)
{
    std::string path = std::string("Z:") + ZAVEK_TEST_DATA + "/foundation/" + Name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string Hex(const std::string& Bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char b : Bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

std::string FileBytes(const std::string& Name)
{
    return ReadWholeFile(DataFile(Name));
}

// Version 0 takes the rich-edit 1.0 road (window texts), 5 the newer one (EM_SETTEXTEX/GETTEXTEX).
class RichEd20Roads : public testing::TestWithParam<int> { };

TEST_P(RichEd20Roads, RtfToPlainText)
{
    const int version = GetParam();
    EXPECT_EQ(RtfToPlainText("a\nb\rc", false, version), "a\r\nb\r\nc");
    EXPECT_EQ(RtfToPlainText("a\nb", true, version), Wide(u"a\r\nb"));
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\ansi x\\par y}", false, version), "x\r\ny");
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\ansi caf\\'e9}", true, version), Wide(u"caf\u00E9"));
    EXPECT_EQ(RtfToPlainText("", false, version), "");
}

TEST_P(RichEd20Roads, PlainTextToRtf)
{
    const int version = GetParam();
    const TRtfFont font { "Courier New", 12, 0, CFE_BOLD };
    const std::string rtf = PlainTextToRtf("Hello\r\nWorld", font, false, version);
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u) << rtf;
    EXPECT_NE(rtf.find("Courier New"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\fs24"), std::string::npos) << "12 points: " << rtf;
    EXPECT_NE(rtf.find("\\b"), std::string::npos) << rtf;
    EXPECT_EQ(RtfToPlainText(rtf, false, version), "Hello\r\nWorld");

    const std::string fromUtf8 = PlainTextToRtf("caf\xC3\xA9 \xE2\x82\xAC", TRtfFont {}, true, version);
    EXPECT_EQ(RtfToPlainText(fromUtf8, false, version), "caf\xE9 \x80") << fromUtf8;
    // An empty UTF-8 text reaches the control as an empty UTF-16 text, terminated.
    const std::string empty = PlainTextToRtf("", TRtfFont {}, true, version);
    EXPECT_EQ(empty.rfind("{\\rtf", 0), 0u) << empty;
    EXPECT_EQ(RtfToPlainText(empty, false, version), "") << empty;
}

INSTANTIATE_TEST_SUITE_P(Versions, RichEd20Roads, testing::Values(0, 5));

TEST(RichEd20, RichEditVersionAndMeasures)
{
    const int version = GetRichEditVersion();
    EXPECT_GE(version, 0);
    EXPECT_LE(version, 9);

    TRtfTxtConverter converter(5);
    ASSERT_NE(converter.Window(), nullptr);
    SetWindowTextW(converter.Window(), L"one\r\ntwo\r\n\u20AC");
    EXPECT_EQ(GetRichEditTextLength(converter.Window(), 1), GetWindowTextLengthA(converter.Window()));
    EXPECT_EQ(GetRichEditTextLength(converter.Window(), 5), 9) << "UTF-16 units, one per line end";
    MoveWindow(converter.Window(), 0, 0, 300, 300, FALSE);
    const int height = GetRichEditTextHeight(converter.Window(), 5, 0, 0);
    EXPECT_GT(height, 0);
    EXPECT_EQ(GetRichEditTextHeight(converter.Window(), 5, 3, 4), height + 7);
    EXPECT_EQ(GetRichEditTextHeight(converter.Window(), 1, 0, 0), height) << "both forms of EM_POSFROMCHAR";
}

TEST(RichEd20, CodePageConversions)
{
    EXPECT_EQ(AnsiToWideText("caf\xE9"), Wide(u"caf\u00E9"));
    EXPECT_EQ(AnsiToWideText(""), "");
    EXPECT_EQ(WideTextToAnsi(Wide(u"x")), "x") << "a one-character text converts";
    EXPECT_EQ(WideTextToAnsi(Wide(u"\u20AC5")),
        "\x80"
        "5");
    EXPECT_EQ(WideTextToAnsi(Wide(u"\u4E2D")), "") << "no ANSI form";
    EXPECT_EQ(WideTextToAnsi("x"), "");

    EXPECT_EQ(Utf8ToWideText("caf\xC3\xA9"), Wide(u"caf\u00E9"));
    EXPECT_EQ(Utf8ToWideText("caf\xE9"), Wide(u"caf\u00E9")) << "not UTF-8: read as ANSI";
    EXPECT_EQ(Utf8BufToWideText(std::string("ab\0c", 4)), Wide(u"ab"));
    EXPECT_EQ(WideTextToUtf8Bom(Wide(u"\u00E9")), "\xEF\xBB\xBF\xC3\xA9");
    EXPECT_EQ(WideTextToUtf8NoBom(Wide(u"\u00E9")), "\xC3\xA9");
    EXPECT_EQ(WideTextToUtf8NoBom(""), "");
    EXPECT_EQ(Utf8ToAnsiText("\xE2\x82\xAC"), "\x80");
    EXPECT_EQ(AnsiToUtf8Text("\x80"), "\xE2\x82\xAC");

    HWND window = CreateWindowExW(
        0, L"STATIC", L"\u00E9t\u00E9", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetWindowTextWide(window), Wide(u"\u00E9t\u00E9"));
    EXPECT_EQ(GetWindowTextAnsi(window), "\xE9t\xE9");
    SetWindowTextA(window, "");
    EXPECT_EQ(GetWindowTextWide(window), "");
    EXPECT_EQ(GetWindowTextAnsi(window), "");
    DestroyWindow(window);
}

TEST(RichEd20, Urls)
{
    struct {
        const char* Url;
        bool Decode;
        const char* Expected;
    } const canonical[] = {
        { "file:///C:/x/y.png", false, "file://C:/x/y.png" },
        { "<http://example.org/a b>", false, "http://example.org/a%20b" },
        { "data:image/png;base64,AAAA", false, "data:image/png;base64,AAAA" },
        { " http://example.org/%20 ", false, "http://example.org/" },
        { "x", false, "" },
        { "", false, "" },
    };
    for (const auto& c : canonical)
        EXPECT_EQ(CanonicalizeLink(c.Url, c.Decode), c.Expected) << c.Url;

    EXPECT_EQ(UrlSchemeNumber("https://example.org/"), INTERNET_SCHEME_HTTPS);
    EXPECT_EQ(UrlSchemeNumber("file:///C:/x"), INTERNET_SCHEME_FILE);
    EXPECT_FALSE(IsNetworkUrl("file:///C:/x/y.png"));
    EXPECT_TRUE(IsNetworkUrl("https://example.org/"));
    EXPECT_TRUE(IsNetworkUrl("ftp://example.org/f"));
    EXPECT_FALSE(IsNetworkUrl("mailto:a@example.org"));
    EXPECT_FALSE(IsNetworkUrl("no url"));

    EXPECT_EQ(FileUrlToPath("file:///C:/dir/a%20b.png"), "C:\\dir\\a b.png");
    EXPECT_EQ(FileUrlToPath("http://example.org/"), "") << "a path of one character";
    EXPECT_EQ(FileUrlToPath("file://server/share/a.png"), "\\\\server\\share\\a.png");
    EXPECT_EQ(FileUrlToPath("file:////server/share/a.png"), "\\\\server\\share\\a.png");
    EXPECT_EQ(FileUrlToPath("file://localhost/C:/a.png"), "C:\\a.png");
    EXPECT_EQ(CanonicalizeLink("http://example.org/a%20b%2Fc", true), "http://example.org/a b/c");

    EXPECT_EQ(DecodeIdnText("http://xn--bcher-kva.example/"),
        "http://b\xC3\xBC"
        "cher.example/");
    EXPECT_EQ(DecodeIdnText("a.xn--bcher-kva.b and xn--caf-dma"),
        "a.b\xC3\xBC"
        "cher.b and caf\xC3\xA9");
    EXPECT_EQ(DecodeIdnText("plain.example"), "plain.example");
}

TEST(RichEd20, DerivedFonts)
{
    HFONT base
        = CreateFontA(-13, 0, 0, 0, FW_NORMAL, TRUE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    ASSERT_NE(base, nullptr);
    const std::string longFace(40, 'F');
    HFONT derived = CreateDerivedFont(base, 12, longFace, fsBold);
    ASSERT_NE(derived, nullptr);
    LOGFONTA font {};
    GetObjectA(derived, sizeof(font), &font);
    EXPECT_EQ(std::string(font.lfFaceName), longFace.substr(0, 31));
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_FALSE(font.lfItalic) << "a given style replaces the old one";
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(font.lfHeight, -MulDiv(12, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);
    DeleteObject(derived);

    HFONT kept = CreateDerivedFont(base, -1, "", 0);
    GetObjectA(kept, sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -13);
    EXPECT_EQ(std::string(font.lfFaceName), "Arial");
    EXPECT_TRUE(font.lfItalic) << "an empty style keeps the font's";
    DeleteObject(kept);
    DeleteObject(base);
    EXPECT_EQ(CreateDerivedFont(nullptr, 10, "", 0), nullptr);
}

TEST(RichEd20, CharacterFormats)
{
    TFont font;
    font.SetName("Tahoma");
    font.SetSize(10);
    font.SetStyle(fsBold | fsUnderline);
    CHARFORMATA format = FontToCharFormat(font, "", 0, CFM_BOLD);
    EXPECT_EQ(format.cbSize, sizeof(CHARFORMATA));
    EXPECT_EQ(format.dwMask, static_cast<DWORD>(CFM_BOLD));
    EXPECT_EQ(format.dwEffects, static_cast<DWORD>(CFE_BOLD | CFE_UNDERLINE | CFE_AUTOCOLOR));
    EXPECT_EQ(format.yHeight, 200);
    EXPECT_EQ(std::string(format.szFaceName), "Tahoma");

    font.SetColor(clRed);
    format = FontToCharFormat(font, "Verdana", 14, CFM_BOLD);
    EXPECT_EQ(format.dwMask, static_cast<DWORD>(CFM_SIZE | CFM_FACE));
    EXPECT_EQ(format.dwEffects & CFE_AUTOCOLOR, 0u);
    EXPECT_EQ(format.crTextColor, RGB(255, 0, 0));
    EXPECT_EQ(format.yHeight, 280);
    EXPECT_EQ(std::string(format.szFaceName), "Verdana");

    const TFont back = CharFormatToFont(format);
    EXPECT_EQ(back.Name(), "Verdana");
    EXPECT_EQ(back.Size(), 14);
    EXPECT_EQ(back.Style(), static_cast<TFontStyles>(fsBold | fsUnderline));
    EXPECT_EQ(back.Color(), static_cast<TColor>(RGB(255, 0, 0)));
    format.dwEffects |= CFE_AUTOCOLOR;
    EXPECT_EQ(CharFormatToFont(format).Color(), clWindowText);

    // The pitch goes both ways, so that a fixed font stays fixed in the rich-edit control.
    EXPECT_EQ(back.Pitch(), fpDefault);
    TFont fixed;
    fixed.SetName("Courier New");
    fixed.SetPitch(fpFixed);
    CHARFORMATA fixedFormat = FontToCharFormat(fixed, "", 0, CFM_FACE);
    EXPECT_EQ(fixedFormat.bPitchAndFamily & 3, FIXED_PITCH);
    EXPECT_EQ(CharFormatToFont(fixedFormat).Pitch(), fpFixed);
    fixedFormat.bPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    EXPECT_EQ(CharFormatToFont(fixedFormat).Pitch(), fpVariable);
    TFont fromHandle;
    fromHandle.AssignHandle(fixed.Handle());
    EXPECT_EQ(fromHandle.Pitch(), fpFixed);

    format.yOffset = -30;
    format.bCharSet = 2;
    EXPECT_EQ(GetCharFormatValue(format, CFM_BOLD), TCharFormatValue(true));
    EXPECT_EQ(GetCharFormatValue(format, CFM_ITALIC), TCharFormatValue(false));
    EXPECT_EQ(GetCharFormatValue(format, 15), TCharFormatValue(static_cast<int>(CFE_BOLD | CFE_UNDERLINE)));
    EXPECT_EQ(GetCharFormatValue(format, CFM_SIZE), TCharFormatValue(14));
    EXPECT_EQ(GetCharFormatValue(format, CFM_FACE), TCharFormatValue(std::string("Verdana")));
    EXPECT_EQ(GetCharFormatValue(format, CFM_OFFSET), TCharFormatValue(-30));
    EXPECT_EQ(GetCharFormatValue(format, CFM_CHARSET), TCharFormatValue(2));
    EXPECT_EQ(GetCharFormatValue(format, CFM_COLOR), TCharFormatValue(static_cast<int>(RGB(255, 0, 0))));
    EXPECT_EQ(GetCharFormatValue(format, CFM_PROTECTED), TCharFormatValue());
}

// The twips size of the 3 x 2 test picture on this screen.
SIZE PictureTwips()
{
    HDC screen = GetDC(nullptr);
    const SIZE twips { MulDiv(3, 1440, GetDeviceCaps(screen, LOGPIXELSX)),
        MulDiv(2, 1440, GetDeviceCaps(screen, LOGPIXELSY)) };
    ReleaseDC(nullptr, screen);
    return twips;
}

std::string ExpectedGroup(const char* Kind, const std::string& Data)
{
    const SIZE twips = PictureTwips();
    return std::string("{\\pict\\") + Kind + "\\picw3\\pich2\\picwgoal" + std::to_string(twips.cx)
        + "\\pichgoal" + std::to_string(twips.cy) + " " + Hex(Data) + " ";
}

TEST(RichEd20, PictureGroups)
{
    SIZE size {};
    EXPECT_EQ(MakeRtfPict(DataFile("rtf_picture.png"), 0, size, false),
        ExpectedGroup("pngblip", FileBytes("rtf_picture.png")));
    EXPECT_EQ(size.cx, PictureTwips().cx);
    EXPECT_EQ(size.cy, PictureTwips().cy);
    EXPECT_EQ(MakeRtfPict(FileBytes("rtf_picture.png"), 0, size, false),
        ExpectedGroup("pngblip", FileBytes("rtf_picture.png")))
        << "picture data instead of a file";
    EXPECT_EQ(MakeRtfPict(DataFile("rtf_picture.bmp"), 0, size, true),
        ExpectedGroup("dibitmap0", FileBytes("rtf_picture.bmp").substr(14)))
        << "the bitmap without its file header";
    EXPECT_EQ(MakeRtfPict(DataFile("rtf_picture.png"), 3, size, false),
        ExpectedGroup("pngblip", FileBytes("rtf_picture.png")))
        << "a picture as wide as the limit";
    EXPECT_EQ(MakeRtfPict(DataFile("rtf_picture.png"), 2, size, false),
        ExpectedGroup("pngblip", FileBytes("rtf_picture.png")))
        << "a picture wider than the limit keeps its own size";
    EXPECT_EQ(size.cx, PictureTwips().cx);
    EXPECT_EQ(MakeRtfPict(DataFile("no such.png"), 0, size, false), "");
    EXPECT_EQ(MakeRtfPict("", 0, size, false), "");

    EXPECT_EQ(MakeRtfPictFromFiles(DataFile("no such.png"), DataFile("rtf_picture.png"), 0, false),
        ExpectedGroup("pngblip", FileBytes("rtf_picture.png")));
    EXPECT_EQ(MakeRtfPictFromFiles("", "", 0, false), "");
}

TEST(RichEd20, EmbedRtfPictures)
{
    // Only a link that stays below the current folder is opened.
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    const std::string folder = DataFile("");
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    const auto field = [](const std::string& link) {
        return "{\\rtf1\\ansi\\pard See {\\field{\\*\\fldinst { INCLUDEPICTURE \"" + link
            + "\" \\\\* MERGEFORMATINET }}{\\fldrslt {\\pict\\wmetafile8\\picw10\\pich10 0102}}} here\\par}";
    };
    const std::string embedded = EmbedRtfPictures(field("rtf_picture.png"), "", 0, false);
    EXPECT_EQ(embedded,
        "{\\rtf1\\ansi\\pard See " + ExpectedGroup("pngblip", FileBytes("rtf_picture.png")) + "} here\\par}");
    EXPECT_EQ(RtfToPlainText(embedded, false, 5).find("See "), 0u) << "the result is RTF the control reads";

    // A received text never makes us open another machine's file, a device or a file of the user's.
    std::string url = DataFile("rtf_picture.png");
    std::replace(url.begin(), url.end(), '\\', '/');
    for (const std::string& link : { "file:///" + url, DataFile("rtf_picture.png"), "\\\\?\\" + DataFile("rtf_picture.png"),
             std::string("\\\\127.0.0.1\\share\\x.png"), std::string("..\\foundation\\rtf_picture.png") }) {
        const std::string rtf = field(link);
        EXPECT_EQ(EmbedRtfPictures(rtf, "file:", 0, false), rtf) << link;
        EXPECT_EQ(EmbedRtfPictures(link, "", 0, false), link) << "no RTF: " << link;
    }
    const std::string missing = field("no such.png");
    EXPECT_EQ(EmbedRtfPictures(missing, "", 0, false), missing);

    const auto sections = [](const std::string& Ref, std::string& Group) {
        Group = Ref == "logo@x" ? "{\\pict\\pngblip 00 " : "";
        return !Group.empty();
    };
    const std::string cid = "{\\rtf1 {\\field{\\*\\fldinst INCLUDEPICTURE \"cid:logo@x\"}{\\fldrslt x}}}";
    EXPECT_EQ(EmbedRtfPictures(cid, "file:", 0, false, sections), "{\\rtf1 {\\pict\\pngblip 00 }}");

    EXPECT_EQ(EmbedRtfPictures("rtf_picture.png", "", 0, false),
        ExpectedGroup("pngblip", FileBytes("rtf_picture.png")))
        << "no RTF: a picture file";
    EXPECT_EQ(EmbedRtfPictures("no such.png", "rtf_picture.png", 0, false),
        ExpectedGroup("pngblip", FileBytes("rtf_picture.png")))
        << "the second file when the first cannot be read";
    EXPECT_EQ(EmbedRtfPictures(FileBytes("rtf_picture.png"), "", 0, false),
        ExpectedGroup("pngblip", FileBytes("rtf_picture.png")))
        << "picture data is converted as it is";
    EXPECT_EQ(EmbedRtfPictures("plain text", "", 0, false), "plain text");
    SetCurrentDirectoryA(previous);
}

} // namespace
