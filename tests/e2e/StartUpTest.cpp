// End to end through the stand-in mail client: the start-up's success and its reported failures,
// all in the plug-in's own message dialog. Without a mail folder it warns once and FORMINIT fails;
// without the companion library or the PGP SDK it shows the Windows error text and FORMINIT fails;
// without key rings it asks once and goes on. The dialog answerer closes the dialogs. The plug-in
// is found through the mail folder's form files.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace {
using ::testing::HasSubstr;

const std::string ANSWERS = ANSWER_MESSAGES + ANSWER_NO_KEY_RINGS;

// Moves a staged library of the plug-in's folder aside for one test and back afterwards.
class TLibraryHidden {
public:
    explicit TLibraryHidden(const std::string& name)
        : library_(StageFolder() + "\\Plugin\\" + name)
        , aside_(library_ + ".aside")
    {
        moved_ = MoveFileA(library_.c_str(), aside_.c_str()) != FALSE;
    }
    ~TLibraryHidden()
    {
        if (moved_)
            MoveFileA(aside_.c_str(), library_.c_str());
    }
    TLibraryHidden(const TLibraryHidden&) = delete;
    TLibraryHidden& operator=(const TLibraryHidden&) = delete;
    bool Moved() const { return moved_; }

private:
    std::string library_, aside_;
    bool moved_ = false;
};

TEST(StartUp, WithoutAMailFolderItWarnsOnceAndFormInitFails)
{
    THostRun run = THostSession("nomailwarn").Run(ANSWERS + "set mailfolder -\nload\nforminit\nquit\n");
    SCOPED_TRACE(run.Text());
    auto calls = run.LinesStartingWith("export FORMINIT");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], HasSubstr("-> 0 window 00000000"));
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Warning\"").size(), 1u);
    EXPECT_EQ(run.LinesStartingWith("answered dialog").size(), 1u);
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(StartUp, WithAMailFolderAndKeyRingsItSucceedsSilently)
{
    THostSession session("mailok");
    THostRun run = session.Run(ANSWERS + session.UseKeyRings() + "load\nforminit\nquit\n");
    SCOPED_TRACE(run.Text());
    auto calls = run.LinesStartingWith("export FORMINIT");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], HasSubstr("-> 1 window"));
    EXPECT_TRUE(run.LinesStartingWith("answered dialog").empty());
    // Inside the mail client the start-up binds the recipient auto-list in the mail folder.
    EXPECT_TRUE(session.Exists("AutoList.txt"));
    // The key rings named by the options were opened: the default user became the first signing
    // key of the secret ring, written back with its key id.
    EXPECT_THAT(session.ReadFile("ZAVEK.cfg"), HasSubstr("Ann Lee <ann@example.org>\\0x"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(StartUp, AStartAfterADeathFinishesHalfDoneCommitsAndWipesLeftDecodedParts)
{
    THostSession session("recovery");
    // One commit had renamed its new file in; another had not yet.
    session.WriteFile("SENT.PMX", "ciphertext");
    session.WriteFile("SENT.PMX.zvk-old", "the plaintext");
    session.WriteFile("QUEUED.PMX", "the original");
    session.WriteFile("QUEUED.PMX.zvk-new", "half written");
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string dead = std::string(temp) + "ZAVEK-decoded-4294967290-1";
    CreateDirectoryA(dead.c_str(), nullptr);
    const std::string part = dead + "\\photo.png";
    HANDLE file = CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);

    THostRun run = session.Run(ANSWERS + session.UseKeyRings() + "load\nforminit\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_THAT(run.LinesStartingWith("export FORMINIT")[0], HasSubstr("-> 1 window"));
    EXPECT_EQ(session.ReadFile("SENT.PMX"), "ciphertext");
    EXPECT_EQ(session.ReadFile("QUEUED.PMX"), "the original");
    for (const char* leftover : { "SENT.PMX.zvk-old", "QUEUED.PMX.zvk-new" })
        EXPECT_FALSE(session.Exists(leftover)) << leftover;
    EXPECT_EQ(GetFileAttributesA(dead.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(StartUp, WithoutKeyRingsItAsksOnceAndStartsOnNo)
{
    THostSession session("norings");
    THostRun run = session.Run(ANSWERS + session.MailFolderStep() + "load\nforminit\nquit\n");
    SCOPED_TRACE(run.Text());
    auto calls = run.LinesStartingWith("export FORMINIT");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], HasSubstr("-> 1 window"));
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Question\" with No").size(), 1u);
    EXPECT_EQ(run.LinesStartingWith("answered dialog").size(), 1u);
}

TEST(StartUp, WithoutThePGPSdkItShowsTheSystemErrorAndFormInitFails)
{
    THostSession session("nosdk");
    THostRun run;
    {
        TLibraryHidden hidden("PGPSDK.dll");
        ASSERT_TRUE(hidden.Moved());
        run = session.Run("answer fatal OK\n" + ANSWERS + session.UseKeyRings() + "load\nforminit\nquit\n");
    }
    SCOPED_TRACE(run.Text());
    auto calls = run.LinesStartingWith("export FORMINIT");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], HasSubstr("-> 0 window 00000000"));
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").size(), 1u);
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(StartUp, AMailClientLanguageWithoutTextsGetsTheEnglishOnesAndTheOptionsReadItsSettings)
{
    THostSession session("language");
    THostRun run = session.Run(
        ANSWERS + "language DE\n" + session.UseKeyRings() + "load\nforminit\nquit\n");
    SCOPED_TRACE(run.Text());
    ASSERT_TRUE(run.Has("language WPM32DE.DLL -> loaded"));
    auto calls = run.LinesStartingWith("export FORMINIT");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], HasSubstr("-> 1 window"));
    // Header scan lines and edit margin come from the mail client with the options.
    EXPECT_TRUE(run.Has("request 3064 1 -> 20"));
    EXPECT_TRUE(run.Has("request 3064 34 -> 72"));
}

TEST(StartUp, WithoutTheCompanionLibraryItShowsTheSystemErrorAndFormInitFails)
{
    THostSession session("nocryptor");
    THostRun run;
    {
        TLibraryHidden hidden("ZAVEKCryptor.dll");
        ASSERT_TRUE(hidden.Moved());
        run = session.Run(ANSWERS + session.UseKeyRings() + "load\nforminit\nquit\n");
    }
    SCOPED_TRACE(run.Text());
    auto calls = run.LinesStartingWith("export FORMINIT");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], HasSubstr("-> 0 window 00000000"));
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").size(), 1u);
    EXPECT_EQ(run.LinesStartingWith("answered dialog").size(), 1u);
    EXPECT_EQ(run.ExitCode, 0);
}

} // namespace

namespace {

// One value of the mail client's registry key, set for a test and put back afterwards.
class TMailClientValue {
public:
    TMailClientValue(const char* name, const std::string& value)
        : name_(name)
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Pegasus Mail", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
            nullptr);
        DWORD size = sizeof old_ - 1;
        had_ = RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(old_), &size) == ERROR_SUCCESS;
        Write(value.c_str());
    }
    ~TMailClientValue()
    {
        if (had_)
            Write(old_);
        else
            RegDeleteValueA(key_, name_);
        RegCloseKey(key_);
    }
    TMailClientValue(const TMailClientValue&) = delete;
    TMailClientValue& operator=(const TMailClientValue&) = delete;
    std::string Read() const
    {
        char value[1024] = {};
        DWORD size = sizeof value - 1;
        RegQueryValueExA(key_, name_, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
        return value;
    }

private:
    void Write(const char* value)
    {
        RegSetValueExA(key_, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), static_cast<DWORD>(strlen(value) + 1));
    }
    const char* name_;
    HKEY key_ = nullptr;
    char old_[1024] = {};
    bool had_ = false;
};

// The mail client finds the plug-in through the form files of the mail folder, as USERSETUP
// writes them; a mail folder a user set in the registry outlives a scripted run.
TEST(StartUp, TheLibrariesTheFormFilesNameAreLoadedAndTheUsersRegistryValueStays)
{
    THostSession session("forms");
    const std::string plugin = StageFolder() + "\\Plugin\\";
    session.WriteFile("ZAVEKMain.fff", "; Form DLL = \"C:\\Old\\ZAVEKMain.dll\"\r\nForm name = ZAVEK\r\nForm DLL = \""
            + plugin + "ZAVEKMain.dll\"\r\n");
    // "~a\" stands for the mail client's own folder.
    session.WriteFile("ZAVEKCryptor.fff", "Form DLL = \"~a\\..\\Plugin\\ZAVEKCryptor.dll\"\r\n");
    TMailClientValue mailbox("Mailbox", "C:\\Users\\ann\\Mail\\");
    THostRun run = session.Run(ANSWERS + session.UseKeyRings() + "load\nforminit\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.LinesStartingWith("form library ").size(), 2u);
    EXPECT_TRUE(run.Has("form library " + StageFolder() + "\\Host\\..\\Plugin\\ZAVEKCryptor.dll -> ok"));
    EXPECT_TRUE(run.Has("load " + plugin + "ZAVEKMain.dll -> ok"));
    auto calls = run.LinesStartingWith("export FORMINIT");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], HasSubstr("-> 1 window"));
    EXPECT_EQ(mailbox.Read(), "C:\\Users\\ann\\Mail\\");

    // A mail folder without form files gets the staged plug-in.
    THostSession bare("noforms");
    THostRun unset = bare.Run(ANSWERS + bare.MailFolderStep() + "load\nquit\n");
    EXPECT_TRUE(unset.Has("no form file names a plug-in: the staged one")) << unset.Text();
    EXPECT_TRUE(unset.Has("load " + plugin + "ZAVEKMain.dll -> ok")) << unset.Text();
}

} // namespace
