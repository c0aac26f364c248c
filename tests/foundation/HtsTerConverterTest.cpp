// The HTML/RTF converter against the stand-in editor library: pictures by content id, the indent
// of quoted lines in a narrow conversion, empty input, and RTF to HTML.
#include "foundation/HtsTerConverter.h"
#include "support/StandInEditor.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

class HtsTerConverterTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(converter.Editor(), nullptr);
        log.Clear();
    }
    size_t Count(const std::string& what)
    {
        const std::string text = log.Text();
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }

    THtsTerConverter converter { ProgramFolderOfTest(), 600, false };
    TStandInEditorLog log { GetModuleHandleA("TER32.DLL") };
};

} // namespace

TEST_F(HtsTerConverterTest, CreatesItsHiddenWindowAndEditor)
{
    HWND hidden = GetParent(converter.Editor());
    char name[32] = {};
    GetClassNameA(hidden, name, sizeof name);
    EXPECT_STREQ(name, "#32770");
    EXPECT_EQ(GetPropA(hidden, THtsTerConverter::PROPERTY_NAME), &converter);
    EXPECT_EQ(DWORD(GetWindowLongA(hidden, GWL_STYLE)) & 0x88000000u, 0x88000000u);
    EXPECT_EQ(converter.EditorVersion(), "15");
}

TEST_F(HtsTerConverterTest, ContentIdPictureKeepsItsReference)
{
    std::string rtf;
    int height = -1;
    converter.ConvertHtmlToRtf("<p>Logo <img src=\"cid:a1\"> and <img src='http://example.org/x.gif'></p>", 600, rtf, height);
    EXPECT_NE(rtf.find("{\\*\\zavekpictalt 1 cid:a1}"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("{\\*\\zavekpictalt 2 }"), std::string::npos) << rtf; // not a content id
    EXPECT_NE(rtf.find("Logo"), std::string::npos);
    EXPECT_GT(height, 0);
    EXPECT_EQ(Count("TerPictAltInfo(1, 0, cid:a1)"), 2u); // on insertion and after the read
}

TEST_F(HtsTerConverterTest, LocalPictureIsKeptAndOthersGetTheDefault)
{
    const std::string picture = ProgramFolderOfTest() + "hts-test-picture.png";
    std::ofstream(picture, std::ios::binary) << "\x89PNG\r\n\x1A\n0000";
    std::string rtf;
    int height = 0;
    converter.ConvertHtmlToRtf("<img src=\"" + picture + "\"><img src=\"\\\\server\\share\\x.png\">", 600, rtf, height);
    DeleteFileA(picture.c_str());
    EXPECT_EQ(Count("-> " + picture), 1u) << log.Text();
    EXPECT_EQ(Count("\\\\server\\share\\x.png -> " + converter.DefaultPicture() + "\n"), 1u) << log.Text();
}

TEST_F(HtsTerConverterTest, NarrowConversionIndentsFlaggedLinesOnly)
{
    const std::string html = "<p>top</p><blockquote>quoted one<br>quoted two</blockquote><p>after</p>";
    std::string rtf;
    int height = 0;
    converter.ConvertHtmlToRtf(html, 100, rtf, height);
    EXPECT_EQ(Count("TerCommand2(625, -1)"), 1u);
    EXPECT_EQ(Count("TerSetParaIndent(720, -1, -1) line 1"), 1u) << log.Text();
    EXPECT_EQ(Count("TerSetParaIndent(720, -1, -1) line 2"), 1u);
    EXPECT_EQ(Count("TerSetParaIndent(-1, -1, -1) line 0"), 1u);
    EXPECT_EQ(Count("TerSetParaIndent(-1, -1, -1) line 3"), 1u);
    // A wide conversion leaves the paragraphs alone.
    log.Clear();
    converter.ConvertHtmlToRtf(html, 2000, rtf, height);
    EXPECT_EQ(Count("TerSetParaIndent"), 0u);
    EXPECT_NE(rtf.find("quoted two"), std::string::npos);
}

TEST_F(HtsTerConverterTest, EmptyHtmlGivesEmptyRtfAndAClearedEditor)
{
    std::string rtf = "stale";
    int height = 77;
    converter.ConvertHtmlToRtf("", 600, rtf, height);
    EXPECT_EQ(rtf, "");
    EXPECT_EQ(height, 77);
    EXPECT_EQ(Count("HtsClearWindow"), 1u);
    EXPECT_EQ(Count("HtsRead"), 0u);
}

TEST_F(HtsTerConverterTest, RtfBecomesHtml)
{
    std::string html;
    int height = 0;
    // \plain first and bold as a switch: Wine's rich-edit reader, pasting RTF, gives the text
    // before the first format change that change's format.
    converter.ConvertRtfToHtml("{\\rtf1\\ansi\\plain Hello \\b bold\\b0  & <more>}", 600, html, height);
    EXPECT_NE(html.find("Hello"), std::string::npos) << html;
    EXPECT_NE(html.find("<b>bold</b>"), std::string::npos) << html;
    EXPECT_NE(html.find("&amp; &lt;more&gt;"), std::string::npos) << html;
    EXPECT_EQ(Count("TerSetOutputFormat(5)"), 1u);
}

TEST(HtsTerConverterFree, OneConversionEach)
{
    std::string rtf, html;
    int height = 0;
    HtmlToRtf("<b>strong</b> &amp; plain", 400, height, rtf);
    EXPECT_NE(rtf.find("strong"), std::string::npos);
    EXPECT_NE(rtf.find("&"), std::string::npos);
    RtfToHtml(rtf, 400, height, html);
    EXPECT_NE(html.find("<b>strong</b>"), std::string::npos) << html;
}

TEST(HtsTerConverterLife, ClosingUsesTheAddOnsBlockOrClosesTheEditorItself)
{
    TStandInEditorLog log(LoadLibraryA((ProgramFolderOfTest() + "TER32.DLL").c_str()));
    using ReturnsBlock = void(WINAPI*)(BOOL);
    auto returnsBlock = reinterpret_cast<ReturnsBlock>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA((ProgramFolderOfTest() + "HTS32.DLL").c_str()),
            "StandinHtsCloseReturnsBlock")));
    ASSERT_NE(returnsBlock, nullptr);
    for (const BOOL block : { FALSE, TRUE }) {
        returnsBlock(block);
        HWND hidden = nullptr;
        {
            THtsTerConverter converter(ProgramFolderOfTest(), 300, false);
            ASSERT_NE(converter.Editor(), nullptr);
            hidden = GetParent(converter.Editor());
            log.Clear();
        }
        EXPECT_EQ(log.Text().find("CloseTer") != std::string::npos, !block) << log.Text();
        EXPECT_NE(log.Text().find("HtsClose"), std::string::npos);
        EXPECT_FALSE(IsWindow(hidden));
    }
    returnsBlock(FALSE);
}

TEST(HtsTerConverterLife, DefaultPictureAnswersWhatCannotBeShown)
{
    const std::string picture = ProgramFolderOfTest() + THtsTerConverter::DEFAULT_PICTURE;
    std::ofstream(picture, std::ios::binary) << "BM0000";
    {
        THtsTerConverter converter(ProgramFolderOfTest(), 300, false);
        EXPECT_EQ(converter.DefaultPicture(), picture);
        TStandInEditorLog log(GetModuleHandleA("TER32.DLL"));
        log.Clear();
        std::string rtf;
        int height = 0;
        converter.ConvertHtmlToRtf("<img src=\"res:logo\">", 300, rtf, height);
        EXPECT_NE(log.Text().find("res:logo -> " + picture), std::string::npos) << log.Text();
    }
    DeleteFileA(picture.c_str());
    THtsTerConverter without(ProgramFolderOfTest(), 300, false);
    EXPECT_EQ(without.DefaultPicture(), "");
}
