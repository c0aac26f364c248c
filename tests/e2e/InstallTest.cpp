// End to end through the staged helper and administrator programs: a mail user is set up, removed,
// set up again with start-menu links, and everything is cleaned up; each step's message is read
// from the plug-in's dialog and answered, as a user would.
#include "e2e/HostSession.h"

#include "helper/HelperCommands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

namespace {
using ::testing::HasSubstr;

const char* MAIL_CLIENT_KEY = "Software\\Pegasus Mail";
const char* MAIL_USER = "e2euser";

// Sets the mail client's registry values the parentless start-up reads, and restores them.
class TMailClientSettings {
public:
    TMailClientSettings(const std::string& mailFolder, const std::string& baseFolder)
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, MAIL_CLIENT_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        Set("Mailbox", mailFolder);
        Set("Basedir", baseFolder);
        Set("Username", MAIL_USER);
    }
    ~TMailClientSettings()
    {
        for (const auto& [name, value] : saved_) {
            if (value.second)
                RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.first.c_str()),
                    static_cast<DWORD>(value.first.size() + 1));
            else
                RegDeleteValueA(key_, name.c_str());
        }
        RegCloseKey(key_);
    }
    TMailClientSettings(const TMailClientSettings&) = delete;
    TMailClientSettings& operator=(const TMailClientSettings&) = delete;

private:
    void Set(const std::string& name, const std::string& value)
    {
        char old[1024] = {};
        DWORD size = sizeof old;
        const bool had = RegQueryValueExA(key_, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        saved_.emplace_back(name, std::make_pair(std::string(old), had));
        RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
            static_cast<DWORD>(value.size() + 1));
    }

    HKEY key_ = nullptr;
    std::vector<std::pair<std::string, std::pair<std::string, bool>>> saved_;
};

// Answers the plug-in's dialogs ("ZA-VEK - ...") of any process: a question whose text holds one of
// the given parts gets Yes, every other question No, a message OK. Keeps each dialog's text.
class TDialogAnswerer {
public:
    explicit TDialogAnswerer(std::vector<std::string> yesParts)
        : yesParts_(std::move(yesParts))
        , thread_([this] {
            while (!stop_) {
                EnumWindows(AnswerWindow, reinterpret_cast<LPARAM>(this));
                Sleep(100);
            }
        })
    {
    }
    ~TDialogAnswerer()
    {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::string> Texts()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }
    void Clear()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        texts_.clear();
    }

private:
    struct TFound {
        std::string Caption;
        HWND Window = nullptr;
        std::string Text;
    };
    static BOOL CALLBACK FindChild(HWND child, LPARAM found)
    {
        auto& f = *reinterpret_cast<TFound*>(found);
        char text[4096] = {};
        char className[64] = {};
        GetClassNameA(child, className, sizeof className);
        SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000, nullptr);
        std::string plain;
        for (const char* p = text; *p; ++p)
            if (*p != '&')
                plain += *p;
        if (std::string(className).find("RICH") != std::string::npos || std::string(className).find("Rich") != std::string::npos)
            f.Text = text;
        else if (IsWindowVisible(child) && plain == f.Caption && !f.Window)
            f.Window = child;
        return TRUE;
    }
    static BOOL CALLBACK AnswerWindow(HWND window, LPARAM self)
    {
        auto& answerer = *reinterpret_cast<TDialogAnswerer*>(self);
        char caption[256] = {};
        GetWindowTextA(window, caption, sizeof caption);
        if (!IsWindowVisible(window) || std::string(caption).rfind("ZA-VEK", 0) != 0 || answerer.answered_.count(window))
            return TRUE;
        TFound text{ "\x01", nullptr, "" };
        EnumChildWindows(window, FindChild, reinterpret_cast<LPARAM>(&text));
        std::string button = "OK";
        if (std::string(caption).find("Question") != std::string::npos) {
            button = "No";
            for (const std::string& part : answerer.yesParts_)
                if (text.Text.find(part) != std::string::npos)
                    button = "Yes";
        }
        TFound found{ button, nullptr, "" };
        EnumChildWindows(window, FindChild, reinterpret_cast<LPARAM>(&found));
        if (!found.Window)
            return TRUE;
        {
            std::lock_guard<std::mutex> lock(answerer.mutex_);
            answerer.texts_.push_back(std::string(caption) + ": " + text.Text + " -> " + button);
        }
        answerer.answered_.insert(window);
        PostMessageA(found.Window, BM_CLICK, 0, 0);
        return TRUE;
    }

    std::vector<std::string> yesParts_;
    std::atomic<bool> stop_{ false };
    std::mutex mutex_;
    std::vector<std::string> texts_;
    std::set<HWND> answered_;
    std::thread thread_;
};

std::string PluginFolder()
{
    return StageFolder() + "\\Plugin\\";
}

// Runs a staged program with arguments and waits until it, and the helper it may start, ended.
void RunStaged(const std::string& program, const std::string& arguments)
{
    const std::string path = PluginFolder() + program;
    std::string line = "\"" + path + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // The helper holds its mutex until it ends.
    char full[MAX_PATH] = {};
    GetFullPathNameA((PluginFolder() + "ZAVEKHelper.exe").c_str(), MAX_PATH, full, nullptr);
    const std::string mutexName = HelperMutexName(full);
    for (int i = 0; i < 600; ++i) {
        HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, mutexName.c_str());
        if (!mutex)
            return;
        CloseHandle(mutex);
        Sleep(100);
    }
    ADD_FAILURE() << "the helper did not end";
}

std::string ReadAll(const std::string& file)
{
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    std::string text(GetFileSize(handle, nullptr), '\0');
    DWORD read = 0;
    ReadFile(handle, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(handle);
    return text;
}

std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return std::string(path) + "\\";
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(Install, SetUpRemoveUpdateWithLinksAndCleanUp)
{
    THostSession session("install");
    TMailClientSettings settings(session.File(""), StageFolder() + "\\Host\\");
    session.UseKeyRings();
    const std::string usersFile = SpecialFolder(CSIDL_COMMON_APPDATA) + "ZAVEK\\ZAVEKUsers.cfg";
    TDialogAnswerer answerer({ "is not yet set up" });

    RunStaged("ZAVEKHelper.exe", "USERSETUP");
    EXPECT_THAT(answerer.Texts(),
        testing::ElementsAre(HasSubstr("The plug-in has been set up for the mail user e2euser -> OK")));
    EXPECT_EQ(session.ReadFile("ZAVEKMain.fff").find("Form DLL = \"" + PluginFolder() + "ZAVEKMain.dll\"\r\n") == std::string::npos,
        false)
        << session.ReadFile("ZAVEKMain.fff");
    EXPECT_THAT(ReadAll(usersFile), HasSubstr(std::string(MAIL_USER) + "=\"" + session.File("") + "\""));

    answerer.Clear();
    RunStaged("ZAVEKAdmin.exe", "USERUNINSTALL");
    EXPECT_THAT(answerer.Texts(),
        testing::ElementsAre(HasSubstr("The plug-in has been removed for the mail user e2euser -> OK")));
    EXPECT_FALSE(session.Exists("ZAVEKMain.fff"));
    EXPECT_FALSE(session.Exists("ZAVEK.cfg"));
    EXPECT_EQ(ReadAll(usersFile).find(MAIL_USER), std::string::npos);

    answerer.Clear();
    session.UseKeyRings();
    RunStaged("ZAVEKHelper.exe", "USERUPDATE x AllUsers");
    EXPECT_THAT(answerer.Texts(), testing::ElementsAre(HasSubstr("is not yet set up for the mail user e2euser. Set it up now? -> Yes"),
                                      HasSubstr("has been set up for the mail user e2euser -> OK")));
    EXPECT_TRUE(session.Exists("ZAVEKCryptor.fff"));
    const std::string userLinks = SpecialFolder(CSIDL_PROGRAMS) + "Vantrel\\";
    const std::string sharedLinks = SpecialFolder(CSIDL_COMMON_PROGRAMS) + "Vantrel\\";
    EXPECT_TRUE(Exists(userLinks + "Help.lnk"));
    EXPECT_TRUE(Exists(userLinks + "Manual.lnk")) << "the shipped help file";
    EXPECT_FALSE(Exists(userLinks + "Licence.lnk")) << "no licence text ships";
    EXPECT_TRUE(Exists(userLinks + "Set up for this user.lnk"));
    EXPECT_TRUE(Exists(sharedLinks + "Remove for this user.lnk"));
    EXPECT_FALSE(Exists(sharedLinks + "Help.lnk"));

    answerer.Clear();
    RunStaged("ZAVEKHelper.exe", "CLEANUP");
    EXPECT_TRUE(answerer.Texts().empty());
    EXPECT_FALSE(session.Exists("ZAVEKMain.fff"));
    EXPECT_FALSE(session.Exists("ZAVEKCryptor.fff"));
    EXPECT_FALSE(Exists(usersFile));
    EXPECT_FALSE(Exists(userLinks));
    EXPECT_FALSE(Exists(sharedLinks));
}

} // namespace

namespace {

TEST(Install, APageThatIsNeitherAnAddressNorAPageIsReported)
{
    THostSession session("htmlpage");
    TMailClientSettings settings(session.File(""), StageFolder() + "\\Host\\");
    session.UseKeyRings();
    TDialogAnswerer answerer({});
    RunStaged("ZAVEKHelper.exe", "HTMLPAGE notes.txt");
    const auto texts = answerer.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_THAT(texts[0], HasSubstr("ZA-VEK - Error"));
    EXPECT_THAT(texts[0], HasSubstr("notes.txt"));
    EXPECT_THAT(texts[0], HasSubstr("The page could not be opened."));
}

// Puts a stand-in in the place of the system's help viewer for one test (the real one cannot show
// pages here), and the viewer back afterwards.
class TStandInViewer {
public:
    // Takes the place of the viewer that a program of this bitness finds: the Windows folder's on
    // 32-bit Windows, the 32-bit system folder's for a 32-bit program on 64-bit Windows.
    TStandInViewer()
    {
        char found[MAX_PATH] = {};
        char* name = nullptr;
        if (SearchPathA(nullptr, "hh.exe", nullptr, MAX_PATH, found, &name) == 0 || !name) {
            GetWindowsDirectoryA(found, MAX_PATH);
            std::strcat(found, "\\hh.exe");
            name = std::strrchr(found, '\\') + 1;
        }
        viewer_ = found;
        aside_ = viewer_ + ".aside";
        log_ = std::string(found, name) + "browser.log";
        moved_ = MoveFileA(viewer_.c_str(), aside_.c_str()) != FALSE;
        CopyFileA((StageFolder() + "\\..\\bin\\HelpBrowserStub.exe").c_str(), viewer_.c_str(), FALSE);
    }
    ~TStandInViewer()
    {
        DeleteFileA(log_.c_str());
        DeleteFileA(viewer_.c_str());
        if (moved_)
            MoveFileA(aside_.c_str(), viewer_.c_str());
    }
    TStandInViewer(const TStandInViewer&) = delete;
    TStandInViewer& operator=(const TStandInViewer&) = delete;
    std::string Logged() const
    {
        for (int i = 0; i < 50 && GetFileAttributesA(log_.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
            Sleep(100);
        return ReadAll(log_);
    }

private:
    std::string viewer_, aside_, log_;
    bool moved_ = false;
};

TEST(Install, PGPHelpStartsTheHelpViewer)
{
    THostSession session("pgphelp");
    TMailClientSettings settings(session.File(""), StageFolder() + "\\Host\\");
    session.UseKeyRings();
    TStandInViewer viewer;
    TDialogAnswerer answerer({});
    RunStaged("ZAVEKHelper.exe", "PGPHELP WipeFiles");
    EXPECT_THAT(viewer.Logged(), HasSubstr("ms-its:")) << testing::PrintToString(answerer.Texts());
    EXPECT_TRUE(answerer.Texts().empty());
}

} // namespace
