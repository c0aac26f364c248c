// The HTML clean-up under Wine: first without the library (the input comes back), then with the
// LibTidy.dll that deps/build-libtidy built, copied beside this program into "tidy\".
#include "foundation/Tidy.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

namespace {

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\'));
}

std::string TempFileWith(const std::string& Content)
{
    char folder[MAX_PATH] = {}, name[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "tdy", 0, name);
    std::ofstream(name, std::ios::binary) << Content;
    return name;
}

THtmlData Clean(const std::string& Source, const std::string& FaceName = {}, bool IsFile = false)
{
    THtmlData result { "stale", "stale" };
    TidyHtml(Source, FaceName, IsFile, false, true, result);
    return result;
}

// Runs before the tests: the pass-through road, the refused folders, then the real library, named
// at first and loaded by the first clean-up.
class TLoadTidy : public testing::Environment {
public:
    void SetUp() override
    {
        EXPECT_FALSE(TidyAvailable());
        const THtmlData plain = Clean("<p>unchanged");
        EXPECT_EQ(plain.HtmlText, "<p>unchanged");
        EXPECT_EQ(plain.BaseHref, "");
        const std::string file = TempFileWith("<b>content</b>");
        EXPECT_EQ(Clean(file, {}, true).HtmlText, "<b>content</b>");
        DeleteFileA(file.c_str());

        EXPECT_FALSE(LoadTidyLibrary(""));
        EXPECT_FALSE(LoadTidyLibrary("tidy"));
        EXPECT_FALSE(LoadTidyLibrary("C:\\no such folder"));
        EXPECT_FALSE(TidyAvailable());
        // Named for later, the library loads at the first clean-up.
        LoadTidyLibraryWhenNeeded(ProgramFolder() + "\\tidy\\");
        EXPECT_EQ(GetModuleHandleA("LibTidy.dll"), nullptr) << "naming the folder loads nothing";
        EXPECT_NE(Clean("<p>cleaned").HtmlText, "<p>cleaned");
        ASSERT_NE(GetModuleHandleA("LibTidy.dll"), nullptr) << "LibTidy.dll missing: run deps/build-libtidy";
        EXPECT_TRUE(TidyAvailable());
        EXPECT_TRUE(LoadTidyLibrary("")) << "a second call keeps the loaded library";
    }
};

const auto* const LoadTidy = testing::AddGlobalTestEnvironment(new TLoadTidy);

TEST(Tidy, CleansToTheBodyOnly)
{
    struct {
        const char* Name;
        const char* Source;
        const char* Expected;
    } const cases[] = {
        { "document", "<!DOCTYPE html><html><head><title>t</title></head><body><p>Hi</p></body></html>",
            "<p>Hi</p>\r\n" },
        { "bare text is enclosed", "hello", "<p>hello</p>\r\n" },
        { "comments are hidden", "<p>a<!-- secret -->b</p>", "<p>ab</p>\r\n" },
        { "quote marks become entities", "<p>say \"x\"</p>", "<p>say &quot;x&quot;</p>\r\n" },
        { "unclosed elements are repaired", "<ul><li>one<li>two</ul>",
            "<ul>\r\n<li>one</li>\r\n<li>two</li>\r\n</ul>\r\n" },
        { "XML declaration is not added", "<?xml version=\"1.0\"?>\r\n<p>x</p>", "<p>x</p>\r\n" },
        { "UTF-8 stays UTF-8", "<p>caf\xC3\xA9</p>", "<p>caf\xC3\xA9</p>\r\n" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Clean(c.Source).HtmlText, c.Expected) << c.Name;
}

TEST(Tidy, AnsiInputKeepsItsCharacters)
{
    THtmlData result;
    TidyHtml("<p>caf\xE9 \x80</p>", "", false, false, false, result);
    EXPECT_EQ(result.HtmlText, "<p>caf\xE9 \x80</p>\r\n") << "no byte of the ANSI code page lost";
}

TEST(Tidy, LongLinesAreNotWrapped)
{
    const std::string words(40, 'w');
    std::string paragraph;
    for (int i = 0; i < 20; ++i)
        paragraph += words + " ";
    const std::string html = Clean("<p>" + paragraph + "</p>").HtmlText;
    EXPECT_EQ(html.find('\n'), html.size() - 1) << html;
}

TEST(Tidy, BaseReference)
{
    EXPECT_EQ(Clean("<html><head><base href=\"http://example.org/dir/\"><title>t</title></head>"
                    "<body><p>x</p></body></html>")
                  .BaseHref,
        "http://example.org/dir/");
    EXPECT_EQ(Clean("<html><head><title>t</title><base target=\"_top\" href=\"b/\"><base href=\"c/\"></head>"
                    "<body>x</body></html>")
                  .BaseHref,
        "b/")
        << "the first BASE element";
    EXPECT_EQ(Clean("<html><head><base target=\"_top\"></head><body>x</body></html>").BaseHref, "");
    EXPECT_EQ(Clean("<p>no head</p>").BaseHref, "");
}

TEST(Tidy, FaceNameWrapsTheResult)
{
    EXPECT_EQ(
        Clean("<p>x</p>", "Courier New").HtmlText, "<font face=\"Courier New\">\r\n<p>x</p>\r\n</font>");
}

TEST(Tidy, FilesAndEmptyInput)
{
    const std::string file
        = TempFileWith("<html><head><base href=\"file:///C:/m/\"></head><body>text</body></html>");
    const THtmlData fromFile = Clean(file, {}, true);
    EXPECT_EQ(fromFile.HtmlText, "<p>text</p>\r\n");
    EXPECT_EQ(fromFile.BaseHref, "file:///C:/m/");
    DeleteFileA(file.c_str());
    EXPECT_EQ(Clean(file, {}, true).HtmlText, "") << "a missing file gives no text, never its name";

    const THtmlData empty = Clean("");
    EXPECT_EQ(empty.HtmlText, "");
    EXPECT_EQ(empty.BaseHref, "");
}

} // namespace
