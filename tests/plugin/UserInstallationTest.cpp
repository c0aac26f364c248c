// Per-user installation and removal on scratch folders: form files copied and pointed at the
// install folder, the users list, refused folders, removal, update of other users, clean-up and
// the start-menu links.
#include "plugin/UserInstallation.h"

#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "helper/ProgramRun.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

std::string TestPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

class TRecordedDialogs : public IInstallDialogs {
public:
    void Information(const std::string& text) override { Shown.push_back("info: " + text); }
    void Error(const std::string& text) override { Shown.push_back("error: " + text); }
    bool AskYes(const std::string& text) override
    {
        Shown.push_back("ask: " + text);
        const bool answer = !Answers.empty() && Answers.front();
        if (!Answers.empty())
            Answers.pop_front();
        return answer;
    }
    void EditConfiguration() override { Shown.push_back("configuration"); }
    std::vector<std::string> Shown;
    std::deque<bool> Answers;
};

const char* MAIN_FORM = "; The plug-in's main form\r\nForm name = ZAVEK\r\nForm DLL = ~a\\ZAVEKMain.dll\r\n";
const char* CRYPTOR_FORM = "Form DLL = ~a\\ZAVEKCryptor.dll\r\n";

class UserInstallation : public testing::Test {
protected:
    UserInstallation()
        : root("zavek-install-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()))
        , texts(TestPath(ZAVEK_TEST_DATA "/../../resources/ZAVEKStringsEn.txt"))
    {
        for (const char* folder : { "Base", "Base\\Plugin", "Base\\Plugin\\Resources", "Mail", "Data", "Programs", "Shared" })
            CreateDirectoryA((root.path + folder).c_str(), nullptr);
        site.BaseFolder = root.path + "Base\\";
        site.InstallFolder = root.path + "Base\\Plugin\\";
        site.ResourcesFolder = site.InstallFolder + "Resources\\";
        site.DataFolder = root.path + "Data\\";
        site.MailFolder = root.path + "Mail\\";
        site.UserProgramsFolder = root.path + "Programs\\";
        site.SharedProgramsFolder = root.path + "Shared\\";
        site.WindowsUser = "WinUser";
        site.MailUser = "bob";
        site.Language = "en";
        site.ProductVersion = 6100;
        Write(site.ResourcesFolder + "ZAVEKMain.fff", MAIN_FORM);
        Write(site.ResourcesFolder + "ZAVEKCryptor.fff", CRYPTOR_FORM);
    }
    ~UserInstallation() override
    {
        // The scratch folder removes files only: empty the sub-folders first.
        for (const char* folder : { "Base\\Plugin\\Resources\\", "Base\\Plugin\\", "Base\\", "Mail\\", "Other\\", "Data\\",
                 "Programs\\Vantrel\\", "Programs\\", "Shared\\Vantrel\\", "Shared\\" }) {
            const std::string path = root.path + folder;
            WIN32_FIND_DATAA found;
            HANDLE search = FindFirstFileA((path + "*").c_str(), &found);
            if (search != INVALID_HANDLE_VALUE) {
                do
                    DeleteFileA((path + found.cFileName).c_str());
                while (FindNextFileA(search, &found));
                FindClose(search);
            }
            RemoveDirectoryA(path.c_str());
        }
    }

    static void Write(const std::string& file, const std::string& text) { ASSERT_TRUE(WriteWholeFile(file, text)) << file; }
    static bool Exists(const std::string& file) { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

    TUserInstallation Installation() { return TUserInstallation(site, options, texts, dialogs); }
    std::string UsersList() { return ReadText(site.DataFolder + "ZAVEKUsers.cfg"); }
    std::string Text(uint16_t id) { return texts.GetEntry(id); }

    TScratchFolder root;
    TZAVEKStringList texts;
    TInstallSite site;
    TOptions options;
    TRecordedDialogs dialogs;
};

TEST_F(UserInstallation, SetupCopiesFormsPointedAtTheInstallFolderAndRegistersTheUser)
{
    EXPECT_EQ(Installation().UserSetup(""), -1);
    EXPECT_EQ(ReadText(site.MailFolder + "ZAVEKMain.fff"),
        "; The plug-in's main form\r\nForm name = ZAVEK\r\nForm DLL = \"~a\\Plugin\\ZAVEKMain.dll\"\r\n");
    EXPECT_EQ(ReadText(site.MailFolder + "ZAVEKCryptor.fff"), "Form DLL = \"~a\\Plugin\\ZAVEKCryptor.dll\"\r\n");
    EXPECT_NE(UsersList().find("[WinUser]"), std::string::npos) << UsersList();
    EXPECT_NE(UsersList().find("bob=\"" + site.MailFolder + "\""), std::string::npos) << UsersList();
    EXPECT_EQ(dialogs.Shown, std::vector<std::string>{ "info: " + Text(128) + "bob" });
    EXPECT_EQ(options.Values().VersionNo, 6100);
}

TEST_F(UserInstallation, InstallFolderOutsideTheMailClientGetsFullPaths)
{
    site.BaseFolder = "Q:\\Elsewhere\\";
    Installation().UserSetup("");
    EXPECT_EQ(ReadText(site.MailFolder + "ZAVEKCryptor.fff"), "Form DLL = \"" + site.InstallFolder + "ZAVEKCryptor.dll\"\r\n");
}

TEST_F(UserInstallation, ForeignFormsRefuseTheSetupAndKeepTheUsersFiles)
{
    Write(site.MailFolder + "VEVE01.fff", "foreign");
    Write(site.MailFolder + "ZAVEKMain.fff", "old");
    Write(site.MailFolder + "ZAVEK.cfg", "[Settings]\r\n");
    Write(site.MailFolder + "AutoList.txt", "entries");
    EXPECT_EQ(Installation().UserSetup(""), 0);
    EXPECT_EQ(dialogs.Shown, std::vector<std::string>{ "error: " + ReplaceAllStr(Text(135), "%s", "BOB") });
    EXPECT_FALSE(Exists(site.MailFolder + "ZAVEKMain.fff"));
    EXPECT_TRUE(Exists(site.MailFolder + "ZAVEK.cfg"));
    EXPECT_TRUE(Exists(site.MailFolder + "AutoList.txt"));
    EXPECT_TRUE(Exists(site.MailFolder + "VEVE01.fff"));
    EXPECT_FALSE(Exists(site.DataFolder + "ZAVEKUsers.cfg"));
}

TEST_F(UserInstallation, MissingResourcesReportTheFailedCopy)
{
    DeleteFileA((site.ResourcesFolder + "ZAVEKMain.fff").c_str());
    DeleteFileA((site.ResourcesFolder + "ZAVEKCryptor.fff").c_str());
    EXPECT_EQ(Installation().UserSetup(""), 0);
    EXPECT_EQ(dialogs.Shown, std::vector<std::string>{ "error: " + Text(129) + "bob" });
}

TEST_F(UserInstallation, EarlierModuleFormsGoAndAFreshUserGetsTheAutoList)
{
    Write(site.MailFolder + "ZAVEKPGP.fff", "earlier");
    Write(site.ResourcesFolder + "AutoList.txt", "template");
    Write(site.MailFolder + "AutoList.txt", "the user's own");
    site.NewOptionsFile = true;
    Installation().UserSetup("");
    EXPECT_FALSE(Exists(site.MailFolder + "ZAVEKPGP.fff"));
    EXPECT_EQ(ReadText(site.MailFolder + "AutoList.txt"), "the user's own") << "never overwritten";
    DeleteFileA((site.MailFolder + "AutoList.txt").c_str());
    Installation().UserSetup("");
    EXPECT_EQ(ReadText(site.MailFolder + "AutoList.txt"), "template");
}

TEST_F(UserInstallation, StaleLinesOfTheUserArePrunedOnRegistering)
{
    CreateDirectoryA((root.path + "Other").c_str(), nullptr);
    Write(root.path + "Other\\ZAVEK.cfg", "[x]\r\n");
    Write(site.DataFolder + "ZAVEKUsers.cfg",
        "[WinUser]\r\nbob=\"" + root.path + "Gone\\\"\r\nbob=\"" + root.path + "Other\\\"\r\n[Else]\r\nbob=\"C:\\x\\\"\r\n");
    EXPECT_EQ(Installation().RegisterUser(true), 1);
    const std::string list = UsersList();
    EXPECT_EQ(list.find("Gone"), std::string::npos) << list;
    EXPECT_NE(list.find("Other"), std::string::npos) << list;
    EXPECT_NE(list.find("C:\\x\\"), std::string::npos) << "other sections stay: " << list;
    EXPECT_EQ(Installation().RegisterUser(true), 0) << "a second add changes nothing";
}

TEST_F(UserInstallation, UninstallWithoutSettingsReportsNotSetUpAndKeepsTheList)
{
    Installation().UserSetup("");
    DeleteFileA((site.MailFolder + "ZAVEK.cfg").c_str());
    const std::string before = UsersList();
    dialogs.Shown.clear();
    EXPECT_FALSE(Installation().UserUninstall());
    EXPECT_EQ(dialogs.Shown, std::vector<std::string>{ "info: " + Text(131) + "bob" });
    EXPECT_EQ(UsersList(), before);
    EXPECT_TRUE(Exists(site.MailFolder + "ZAVEKMain.fff"));
}

TEST_F(UserInstallation, UninstallRemovesFilesAndTheLastLine)
{
    Installation().UserSetup("");
    Write(site.MailFolder + "ZAVEK.cfg", "[Settings]\r\n");
    dialogs.Shown.clear();
    EXPECT_TRUE(Installation().UserUninstall()) << "no auto-list is no obstacle";
    EXPECT_EQ(dialogs.Shown, std::vector<std::string>{ "info: " + Text(130) + "bob" });
    for (const char* file : { "ZAVEK.cfg", "ZAVEKMain.fff", "ZAVEKCryptor.fff" })
        EXPECT_FALSE(Exists(site.MailFolder + file)) << file;
    EXPECT_EQ(UsersList().find("bob="), std::string::npos) << UsersList();
}

TEST_F(UserInstallation, UpdateAsksForAnUnknownUserAndUpdatesTheOthers)
{
    CreateDirectoryA((root.path + "Other").c_str(), nullptr);
    Write(root.path + "Other\\ZAVEK.cfg", "[x]\r\n");
    Write(site.DataFolder + "ZAVEKUsers.cfg",
        "[WinUser]\r\namy=\"" + root.path + "Other\\\"\r\n[Second]\r\ncy=\"" + site.MailFolder + "\"\r\n");
    dialogs.Answers = { false, true }; // not bob himself, but the others
    Installation().UserUpdate("");
    EXPECT_EQ(dialogs.Shown, (std::vector<std::string>{ "ask: " + ReplaceAllStr(Text(132), "%s", "bob"), "ask: " + Text(133),
                                 "info: " + Text(128) + "WinUser/amy" }));
    EXPECT_FALSE(Exists(site.MailFolder + "ZAVEKMain.fff")) << "bob said no";
    EXPECT_EQ(ReadText(root.path + "Other\\ZAVEKMain.fff"),
        "; The plug-in's main form\r\nForm name = ZAVEK\r\nForm DLL = \"~a\\Plugin\\ZAVEKMain.dll\"\r\n");
}

TEST_F(UserInstallation, UpdateOfOthersReportsRefusedFoldersAndWhenNoneNeededIt)
{
    CreateDirectoryA((root.path + "Other").c_str(), nullptr);
    Write(root.path + "Other\\VEVEX.fff", "foreign");
    Write(root.path + "Other\\ZAVEK.cfg", "[x]\r\n");
    Write(site.DataFolder + "ZAVEKUsers.cfg",
        "[WinUser]\r\nbob=\"" + site.MailFolder + "\"\r\n[Second]\r\namy=\"" + root.path + "Other\\\"\r\n");
    dialogs.Answers = { true };
    Installation().UserUpdate("");
    EXPECT_EQ(dialogs.Shown, (std::vector<std::string>{ "info: " + Text(128) + "bob", "ask: " + Text(133),
                                 "error: " + ReplaceAllStr(Text(135), "%s", "AMY") }));
    EXPECT_FALSE(Exists(root.path + "Other\\ZAVEKMain.fff"));
    EXPECT_TRUE(Exists(root.path + "Other\\ZAVEK.cfg")) << "a refused folder keeps the user's settings";

    // Only bob's own folder in a longer list: nobody else to update.
    Write(site.DataFolder + "ZAVEKUsers.cfg", "[WinUser]\r\nbob=\"" + site.MailFolder + "\"\r\n[Second]\r\n");
    dialogs.Shown.clear();
    dialogs.Answers = { true };
    Installation().UserUpdate("");
    EXPECT_EQ(dialogs.Shown, (std::vector<std::string>{ "info: " + Text(128) + "bob", "ask: " + Text(133), "info: " + Text(134) }));
}

TEST_F(UserInstallation, UpdateOfAKnownUserSetsUpWithoutAsking)
{
    Write(site.DataFolder + "ZAVEKUsers.cfg", "[WinUser]\r\nbob=\"" + site.MailFolder + "\"\r\n");
    Installation().UserUpdate("");
    EXPECT_EQ(dialogs.Shown, std::vector<std::string>{ "info: " + Text(128) + "bob" });

    // The administrator's mail user is set up without a question and keeps no settings.
    site.MailUser = Text(336);
    Write(site.MailFolder + "ZAVEK.cfg", "[Settings]\r\n");
    dialogs.Shown.clear();
    EXPECT_EQ(Installation().UserUpdate(""), -1);
    EXPECT_EQ(dialogs.Shown, std::vector<std::string>{ "info: " + Text(128) + Text(336) });
    EXPECT_TRUE(Exists(site.MailFolder + "ZAVEKMain.fff"));
    EXPECT_FALSE(Exists(site.MailFolder + "ZAVEK.cfg"));
}

TEST_F(UserInstallation, CleanupRemovesEveryListedUserTheListAndTheDataFolder)
{
    CreateDirectoryA((root.path + "Other").c_str(), nullptr);
    site.MailFolder = root.path + "Other\\";
    Installation().UserSetup("");
    Write(site.MailFolder + "ZAVEK.cfg", "[x]\r\n");
    site.MailFolder = root.path + "Mail\\";
    Installation().UserSetup(""); // no settings file here: its forms go all the same
    Installation().Cleanup();
    for (const char* folder : { "Mail\\", "Other\\" })
        for (const char* file : { "ZAVEK.cfg", "ZAVEKMain.fff", "ZAVEKCryptor.fff" })
            EXPECT_FALSE(Exists(root.path + folder + file)) << folder << file;
    EXPECT_FALSE(Exists(site.DataFolder)) << "the data folder went with the list";
    EXPECT_TRUE(options.NoPGP());
}

TEST_F(UserInstallation, AnEarlierUsersListMovesToTheDataFolder)
{
    Write(site.InstallFolder + "Users.cfg", "[WinUser]\r\namy=\"C:\\a\\\"\r\n");
    Installation().RegisterUser(true);
    EXPECT_FALSE(Exists(site.InstallFolder + "Users.cfg"));
    EXPECT_NE(UsersList().find("amy="), std::string::npos);
    EXPECT_NE(UsersList().find("bob="), std::string::npos);
}

TEST_F(UserInstallation, AllUsersSetupAddsTheAdministratorLinksToTheSharedMenu)
{
    Write(site.ResourcesFolder + "ZAVEKHelpEn.htm", "<html></html>");
    Write(site.ResourcesFolder + "ZAVEKLicenceEn.txt", "licence");
    Write(site.UserProgramsFolder + "Ostravel.lnk", ""); // a file of that name is not the old folder
    Installation().UserSetup("x,AllUsers");
    const std::string user = site.UserProgramsFolder + "Vantrel\\";
    const std::string shared = site.SharedProgramsFolder + "Vantrel\\";
    EXPECT_TRUE(Exists(user + Text(93) + ".lnk"));
    EXPECT_TRUE(Exists(user + Text(94) + ".lnk"));
    EXPECT_FALSE(Exists(user + Text(92) + ".lnk")) << "no manual file, no link";
    for (uint16_t admin : { 96, 97 }) {
        EXPECT_TRUE(Exists(user + Text(admin) + ".lnk")) << admin;
        EXPECT_TRUE(Exists(shared + Text(admin) + ".lnk")) << admin;
    }
    EXPECT_FALSE(Exists(shared + Text(94) + ".lnk")) << "the shared menu holds the administrator links only";

    Installation().RemoveStartMenuFolder("Vantrel\\", true);
    EXPECT_FALSE(Exists(user));
    EXPECT_FALSE(Exists(shared));
}

TEST_F(UserInstallation, AllUsersSetupWhoseSharedLinksCannotBeMadeReportsIt)
{
    // A file where the shared programs folder should be: nothing can be made in it.
    Write(root.path + "NotAFolder", "");
    site.SharedProgramsFolder = root.path + "NotAFolder\\";
    EXPECT_EQ(Installation().UserSetup("x,AllUsers"), 0);
    ASSERT_FALSE(dialogs.Shown.empty());
    EXPECT_EQ(dialogs.Shown.front(), "error: " + Text(199));
    EXPECT_EQ(dialogs.Shown.back(), "info: " + Text(128) + "bob") << "the forms are set up all the same";
}

TEST_F(UserInstallation, ANewUserChoosesTheSettingsBeforeHearingTheSetUpIsDone)
{
    site.NewOptionsFile = true;
    EXPECT_EQ(Installation().UserSetup(""), -1);
    EXPECT_EQ(dialogs.Shown, (std::vector<std::string> { "configuration", "info: " + Text(128) + "bob" }));
    dialogs.Shown.clear();
    site.NewOptionsFile = false;
    Installation().UserSetup("");
    EXPECT_EQ(dialogs.Shown, std::vector<std::string> { "info: " + Text(128) + "bob" });
}

TEST_F(UserInstallation, SetupWithoutAllUsersLeavesTheSharedMenuAlone)
{
    Installation().UserSetup("x");
    EXPECT_TRUE(Exists(site.UserProgramsFolder + "Vantrel\\" + Text(96) + ".lnk"));
    EXPECT_FALSE(Exists(site.SharedProgramsFolder + "Vantrel\\"));
    Installation().UserSetup("");
    EXPECT_TRUE(Exists(site.UserProgramsFolder + "Vantrel\\")) << "a set-up without argument keeps the links";
}

TEST_F(UserInstallation, UpgradeRemovesOnlyTheEarlierVersionsFiles)
{
    Write(site.InstallFolder + "ZAVEKService.exe", "x");
    Write(site.InstallFolder + "readme.txt", "x");
    Write(site.InstallFolder + "keep.dll", "x");
    Installation().UserSetup("");
    EXPECT_FALSE(Exists(site.InstallFolder + "ZAVEKService.exe"));
    EXPECT_FALSE(Exists(site.InstallFolder + "readme.txt"));
    EXPECT_TRUE(Exists(site.InstallFolder + "keep.dll"));
    EXPECT_TRUE(Exists(site.ResourcesFolder + "ZAVEKMain.fff")) << "the resources folder is not touched";
}

} // namespace
