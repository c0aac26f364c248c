// The help and manual pages: the language fall-backs, the targets a page argument may have, and
// the browser and mail program actually started (stand-ins registered for ".htm" and "mailto").
#include "plugin/ZAVEKHelp.h"

#include "foundation/HtsTerConverter.h"
#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "helper/ProgramRun.h"
#include "support/StandInEditor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {
using ::testing::HasSubstr;

TEST(ZAVEKHelpFiles, EachFallBackOnlyWhenTheFileBeforeIsMissing)
{
    TScratchFolder resources("zavek-help-files");
    const std::string& r = resources.path;
    auto files = ChooseHelpFiles(r, "de");
    EXPECT_EQ(files.HelpPage, r + "ZAVEKHelpEn.htm");
    EXPECT_EQ(files.ManualPage, r + "ZAVEKManualEn.htm");
    EXPECT_EQ(files.HelpFile, r + "ZAVEKEn.hlp") << "the last fall-back when none exists";
    EXPECT_EQ(files.PopupsFile, r + "POPUPSDe.htm") << "popups have no fall-back";

    WriteWholeFile(r + "ZAVEKDe.hlp", "x");
    EXPECT_EQ(ChooseHelpFiles(r, "de").HelpFile, r + "ZAVEKDe.hlp");
    WriteWholeFile(r + "ZAVEKEn.chm", "x");
    EXPECT_EQ(ChooseHelpFiles(r, "de").HelpFile, r + "ZAVEKEn.chm");
    WriteWholeFile(r + "ZAVEKDe.chm", "x");
    WriteWholeFile(r + "ZAVEKHelpDe.htm", "x");
    files = ChooseHelpFiles(r, "de");
    EXPECT_EQ(files.HelpFile, r + "ZAVEKDe.chm");
    EXPECT_EQ(files.HelpPage, r + "ZAVEKHelpDe.htm");
    EXPECT_EQ(files.ManualPage, r + "ZAVEKManualEn.htm");
}

TEST(ZAVEKHelpFiles, TheHandlerTakesTheLanguagesHelpFileTitleTopicsAndWindowType)
{
    TScratchFolder resources("zavek-help-handler");
    WriteWholeFile(resources.path + "ZAVEKEn.CHM", "x");
    TZAVEKHelp help(nullptr, "it", resources.path);
    EXPECT_EQ(help.Kind(), hkHtmlHelp);
    ASSERT_NE(help.Viewer(), nullptr);
    EXPECT_EQ(help.Viewer()->HelpFile(), resources.path + "ZAVEKEn.chm");
    EXPECT_EQ(help.Viewer()->WindowTitle, "Selvadrin");
    EXPECT_EQ(help.WindowType, "SIMPLE");
    EXPECT_EQ(help.Topics().GetTopic(28), "AUTOLIST_OPTIONS_DLG.htm");
    EXPECT_EQ(help.Topics().GetTopic(33), "CONFIGURATION_DLG.htm");
    EXPECT_EQ(help.Topics().GetTopic(34), "");

    TScratchFolder empty("zavek-help-none");
    EXPECT_EQ(TZAVEKHelp(nullptr, "it", empty.path).Kind(), hkWinHelp) << "the last fall-back names a WinHelp file";
}

TEST(ZAVEKHelpFiles, PopupsAreTheShippedPagesParagraphsAsRichText)
{
    EXPECT_EQ(PopupHtmlToRichText("A <b>key</b> &amp; {more}\\<br>\r\nend"),
        "{\\rtf1\\ansi A \\b key\\b0  & \\{more\\}\\\\\\line   end}");
    EXPECT_EQ(PopupHtmlToRichText("<a href=\"TOPIC?2\">M\xFCller</a>"), "{\\rtf1\\ansi M\\'fcller}");

    // The page the plug-in ships: one popup per help context 1 to 27, in order.
    TScratchFolder resources("zavek-help-popups");
    CopyFileA((std::string(ZAVEK_TEST_DATA) + "/../../resources/POPUPSEn.htm").c_str(),
        (resources.path + "POPUPSEn.htm").c_str(), FALSE);
    TZAVEKHelp help(nullptr, "en", resources.path);
    EXPECT_EQ(help.Popups().Count(), 27);
    EXPECT_THAT(help.GetPopupText(0), HasSubstr("\\b key server\\b0"));
    EXPECT_THAT(help.GetPopupText(26), HasSubstr("passphrase"));
    EXPECT_EQ(help.GetPopupTextByName("IDH_SECRING"), help.GetPopupText(1));

    // With the mail client's editor library the popups are laid out there, each with its height,
    // when first asked for: whatever the order of asking, each popup is its paragraph's own layout.
    THtsTerConverter converter(ProgramFolderOfTest(), TZAVEKHelp::POPUP_WIDTH, false);
    ASSERT_NE(converter.Editor(), nullptr);
    TZAVEKHelp laidOut(nullptr, "en", resources.path, &converter);
    EXPECT_EQ(laidOut.GetPopupTextByName("IDH_SECRING"), laidOut.GetPopupText(1));
    const auto paragraphs = SplitPopupParagraphs(ReadWholeFile(resources.path + "POPUPSEn.htm"), "IDH_");
    ASSERT_EQ(paragraphs.size(), 27u);
    for (int i : { 26, 0, 13, 2 }) {
        std::string rtf;
        int height = 0;
        converter.ConvertHtmlToRtf(paragraphs[i].Html, TZAVEKHelp::POPUP_WIDTH, rtf, height);
        EXPECT_EQ(laidOut.GetPopupText(i), rtf) << paragraphs[i].Id;
        EXPECT_EQ(laidOut.GetPopupNumber(i), height) << paragraphs[i].Id;
    }
    EXPECT_EQ(laidOut.Popups().Count(), 27);
    EXPECT_EQ(laidOut.GetPopupText(0).rfind("{\\rtf", 0), 0u);
    EXPECT_THAT(laidOut.GetPopupText(0), HasSubstr("key server"));
    EXPECT_GT(laidOut.GetPopupNumber(0), 0);
}

TEST(ZAVEKHelpFiles, PageTargets)
{
    const std::string r = "C:\\Z\\Resources\\";
    const struct {
        const char* Argument;
        std::string Target;
    } cases[] = {
        { "http://example.org/x", "http://example.org/x" },
        { "HTTPS://example.org/", "HTTPS://example.org/" },
        { "ftp://example.org/f", "ftp://example.org/f" },
        { "mailto:ann@example.org", "mailto:ann@example.org" },
        { "ZAVEKHelpEn.htm", "file:///" + r + "ZAVEKHelpEn.htm" },
        { "page.HTML", "file:///" + r + "page.HTML" },
        { "notes.txt", "" },
        { "page", "" },
        { "..\\..\\secret.htm", "" },
        { "C:\\elsewhere\\page.htm", "" },
        { "sub/page.htm", "" },
        { "", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(HtmlPageTarget(c.Argument, r), c.Target) << c.Argument;
}

TEST(ZAVEKHelpFiles, BrowserArgumentsAreQuotedAndCannotAddOptions)
{
    EXPECT_EQ(BrowserArgument("file:///C:\\A b\\x.htm#t"), "\"file:///C:\\A b\\x.htm#t\"");
    EXPECT_EQ(BrowserArgument("http://x/\" -new-profile"), "");
    EXPECT_EQ(BrowserArgument("http://x/\r\n"), "");
    EXPECT_EQ(BrowserArgument(""), "");
}

// Registers a stand-in program for the ".htm" association and the "mailto" protocol for one test,
// and puts the earlier registration back afterwards (keys that were not there go again).
class TRegisteredStandIns {
public:
    explicit TRegisteredStandIns(const std::string& program)
    {
        for (const char* key : { ".htm", "ZAVEKTestPage", "mailto\\shell\\open\\command" })
            Save(key);
        Set(".htm", "ZAVEKTestPage");
        Set("ZAVEKTestPage\\shell\\open\\command", "\"" + program + "\" \"%1\"");
        Set("mailto\\shell\\open\\command", "\"" + program + "\" \"%1\"");
    }
    ~TRegisteredStandIns()
    {
        for (const TSaved& saved : saved_) {
            if (!saved.KeyExisted) {
                RegDeleteTreeA(HKEY_CLASSES_ROOT, saved.Key.c_str());
                RegDeleteKeyA(HKEY_CLASSES_ROOT, saved.Key.c_str());
            } else if (saved.ValueExisted)
                Set(saved.Key, saved.Value);
            else
                RegDeleteKeyValueA(HKEY_CLASSES_ROOT, saved.Key.c_str(), nullptr);
        }
    }
    TRegisteredStandIns(const TRegisteredStandIns&) = delete;
    TRegisteredStandIns& operator=(const TRegisteredStandIns&) = delete;

private:
    struct TSaved {
        std::string Key, Value;
        bool KeyExisted, ValueExisted;
    };
    void Save(const std::string& key)
    {
        TSaved saved{ key, "", false, false };
        HKEY handle = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &handle) == ERROR_SUCCESS) {
            saved.KeyExisted = true;
            char value[1024] = {};
            DWORD size = sizeof value;
            saved.ValueExisted = RegQueryValueExA(handle, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS;
            saved.Value = value;
            RegCloseKey(handle);
        }
        saved_.push_back(saved);
    }
    static void Set(const std::string& key, const std::string& value)
    {
        HKEY handle = nullptr;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
            return;
        RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
        RegCloseKey(handle);
    }
    std::vector<TSaved> saved_;
};

class ZAVEKHelpPages : public testing::Test {
protected:
    ZAVEKHelpPages()
        : root("zavek help " + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        for (const char* page : { "ZAVEKHelpEn.htm", "ZAVEKManualEn.htm" })
            WriteWholeFile(root.path + page, "<html></html>");
    }

    // Installs the stand-in under a name, registers it and waits for what it logged.
    std::string StandInName(const std::string& name)
    {
        const std::string program = root.path + name;
        CopyFromBuild("HelpBrowserStub.exe", program);
        registered_ = std::make_unique<TRegisteredStandIns>(program);
        return program;
    }
    std::string Logged()
    {
        const std::string log = root.path + "browser.log";
        // The stand-in writes its log whole: once there, it holds the record.
        for (int i = 0; i < 200 && GetFileAttributesA(log.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
            Sleep(50);
        return ReadText(log);
    }

    TScratchFolder root;
    std::unique_ptr<TRegisteredStandIns> registered_;
};

TEST_F(ZAVEKHelpPages, WithoutATopicTheHelpPageOpensInTheBrowser)
{
    StandInName("browser.exe");
    TZAVEKHelp help(nullptr, "fr", root.path);
    EXPECT_THAT(GetFileNamePart(help.GetBrowser()), testing::StrCaseEq("browser.exe"));
    EXPECT_TRUE(help.ShowManualPage(""));
    EXPECT_THAT(Logged(), HasSubstr("\"file:///" + root.path + "ZAVEKHelpEn.htm\""));
}

TEST_F(ZAVEKHelpPages, ATopicOpensTheManualPageThere)
{
    StandInName("browser.exe");
    EXPECT_TRUE(TZAVEKHelp(nullptr, "en", root.path).ShowManualPage("#keys"));
    EXPECT_THAT(Logged(), HasSubstr("\"file:///" + root.path + "ZAVEKManualEn.htm#keys\""));
}

TEST_F(ZAVEKHelpPages, TheRedirectingBrowserGetsATemporaryPageThatLastsASecond)
{
    StandInName("IExplore.exe");
    const DWORD start = GetTickCount();
    EXPECT_TRUE(TZAVEKHelp(nullptr, "en", root.path).ShowManualPage("#options"));
    EXPECT_GE(GetTickCount() - start, 1000u);
    const std::string logged = Logged();
    EXPECT_THAT(logged, HasSubstr("url=file:///" + root.path + "ZAVEKManualEn.htm#options\""));
    EXPECT_THAT(logged, HasSubstr("$.htm")) << "the browser was handed the temporary page";
    const size_t at = logged.find("$.htm");
    const size_t begin = logged.rfind('"', at) + 1;
    EXPECT_FALSE(IsExistingFile(logged.substr(begin, at + 5 - begin))) << "deleted afterwards";
}

TEST_F(ZAVEKHelpPages, MailtoGoesToTheMailProgramAndPagesToTheBrowser)
{
    StandInName("browser.exe");
    TZAVEKHelp help(nullptr, "en", root.path);
    EXPECT_TRUE(help.OpenHtmlPage("mailto:ann@example.org"));
    EXPECT_THAT(Logged(), HasSubstr("mailto:ann@example.org"));
    DeleteFileA((root.path + "browser.log").c_str());
    EXPECT_TRUE(help.OpenHtmlPage("ZAVEKHelpEn.htm"));
    EXPECT_THAT(Logged(), HasSubstr("\"file:///" + root.path + "ZAVEKHelpEn.htm\""));
}

TEST_F(ZAVEKHelpPages, NeitherAddressNorPageStartsNothing)
{
    StandInName("browser.exe");
    TZAVEKHelp help(nullptr, "en", root.path);
    EXPECT_FALSE(help.OpenHtmlPage("notes.txt"));
    EXPECT_FALSE(help.OpenHtmlPage("..\\outside.htm"));
    EXPECT_FALSE(help.OpenHtmlPage("mailto:ann@example.org\" /option"));
    Sleep(300);
    EXPECT_EQ(ReadText(root.path + "browser.log"), "");
}

} // namespace
