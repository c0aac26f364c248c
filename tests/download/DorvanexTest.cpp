// The download library through its exports: the URL list walk, the saved file, status 200 only,
// bodies without a length read to their end, cancelling, one download at a time, the countdown
// caption, and the visible-program finder.
#include "support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

struct TWebThreadParams {
    HWND Wnd;
    const char* Agent;
    const char* Urls;
    const char* CaptionFmt;
    const char* FileName;
};

using TCreateWebThread = HANDLE(WINAPI*)(const TWebThreadParams*);
using TTerminateWebThread = DWORD(WINAPI*)(HANDLE*);
using TWaitForWebThread = DWORD(WINAPI*)(HANDLE);
using TFreeWebThread = DWORD(WINAPI*)(HANDLE);
using TFindProcess = int(WINAPI*)(const char*);

class Dorvanex : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string path = "Z:" ZAVEK_DORVANEX;
        for (char& c : path)
            if (c == '/')
                c = '\\';
        library_ = LoadLibraryA(path.c_str());
        ASSERT_NE(library_, nullptr);
        // Bound by ordinal, as the library's callers do.
        create_ = reinterpret_cast<TCreateWebThread>(GetProcAddress(library_, MAKEINTRESOURCEA(1)));
        terminate_ = reinterpret_cast<TTerminateWebThread>(GetProcAddress(library_, MAKEINTRESOURCEA(2)));
        waitFor_ = reinterpret_cast<TWaitForWebThread>(GetProcAddress(library_, MAKEINTRESOURCEA(3)));
        free_ = reinterpret_cast<TFreeWebThread>(GetProcAddress(library_, MAKEINTRESOURCEA(4)));
        findProcess_ = reinterpret_cast<TFindProcess>(GetProcAddress(library_, MAKEINTRESOURCEA(5)));
        ASSERT_TRUE(create_ && terminate_ && waitFor_ && free_ && findProcess_);
        window_ = CreateWindowExA(0, "STATIC", "start", WS_OVERLAPPED, 0, 0, 200, 50, nullptr, nullptr, nullptr, nullptr);
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        file_ = std::string(temp) + "dorvanex-" + std::to_string(GetCurrentProcessId()) + ".txt";
        DeleteFileA(file_.c_str());
    }
    void TearDown() override
    {
        DeleteFileA(file_.c_str());
        DestroyWindow(window_);
        FreeLibrary(library_);
    }

    HANDLE Start(const std::string& urls)
    {
        urls_ = urls;
        const TWebThreadParams params { window_, "ZAVEK test", urls_.c_str(), "%s: %d s", file_.c_str() };
        return create_(&params);
    }
    DWORD Run(const std::string& urls)
    {
        HANDLE thread = Start(urls);
        EXPECT_NE(thread, nullptr);
        return thread ? free_(thread) : 99;
    }
    std::string Saved() const
    {
        std::ifstream in(file_, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool Exists() const { return GetFileAttributesA(file_.c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::string Caption() const
    {
        char text[128] = {};
        GetWindowTextA(window_, text, sizeof text);
        return text;
    }

    HMODULE library_ = nullptr;
    TCreateWebThread create_ = nullptr;
    TTerminateWebThread terminate_ = nullptr;
    TWaitForWebThread waitFor_ = nullptr;
    TFreeWebThread free_ = nullptr;
    TFindProcess findProcess_ = nullptr;
    HWND window_ = nullptr;
    std::string file_, urls_;
};

TEST_F(Dorvanex, AnUnreachableFirstHostThenASavedFile)
{
    TLoopbackHttpServer server;
    server.Answer("/file", { 200, "the body" });
    EXPECT_EQ(Run(RefusedUrl("/file") + "\t" + server.Url("/file") + "\t"), 0u);
    EXPECT_EQ(Saved(), "the body");
    // The countdown ended showing the last host.
    EXPECT_EQ(Caption().rfind("127.0.0.1: ", 0), 0u) << Caption();
}

TEST_F(Dorvanex, ABodyWithoutLengthIsSavedWhole)
{
    TLoopbackHttpServer server;
    const std::string body(100000, 'b');
    server.Answer("/big", { 200, body, false });
    EXPECT_EQ(Run(server.Url("/big") + "\t"), 0u);
    EXPECT_EQ(Saved().size(), body.size());
}

TEST_F(Dorvanex, FailuresSaveNothing)
{
    TLoopbackHttpServer server;
    server.Answer("/gone", { 404, "error page" });
    server.Answer("/short", { 200, "abc", true, 10 });
    const struct {
        std::string urls;
        DWORD code;
    } cases[] = {
        { "", 1 },
        { server.Url("/gone") + "\t", 3 },
        { server.Url("/short") + "\t", 4 },
        { RefusedUrl("/x") + "\t", 3 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.urls);
        EXPECT_EQ(Run(c.urls), c.code);
        EXPECT_FALSE(Exists());
    }
}

TEST_F(Dorvanex, TerminatingWhileConnectingCancelsTheDownload)
{
    TLoopbackHttpServer server;
    server.Answer("/slow", { 200, "late", true, -1, 2000 });
    server.Answer("/next", { 200, "never" });
    HANDLE thread = Start(server.Url("/slow") + "\t" + server.Url("/next") + "\t");
    ASSERT_NE(thread, nullptr);
    HANDLE watch = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &watch, 0, FALSE, DUPLICATE_SAME_ACCESS);
    // One download at a time: a second one is refused while this one runs.
    EXPECT_EQ(Start(server.Url("/next")), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUSY));
    Sleep(300);
    // Still running, or already ended as cancelled when closing the handles ended it at once.
    const DWORD atTermination = terminate_(&thread);
    EXPECT_TRUE(atTermination == STILL_ACTIVE || atTermination == 6u) << atTermination;
    EXPECT_EQ(thread, nullptr);
    EXPECT_EQ(waitFor_(watch), 0u);
    DWORD code = 0;
    GetExitCodeThread(watch, &code);
    CloseHandle(watch);
    EXPECT_EQ(code, 6u);
    EXPECT_FALSE(Exists());
    for (const std::string& path : server.Requests())
        EXPECT_NE(path, "/next");
}

// A caller whose download was refused holds no thread: waiting for or freeing it reports no
// saved file and leaves the running download of another caller to finish.
TEST_F(Dorvanex, ARefusedDownloadsNoThreadLeavesTheRunningOneAlone)
{
    TLoopbackHttpServer server;
    server.Answer("/slow", { 200, "late", true, -1, 500 });
    HANDLE thread = Start(server.Url("/slow") + "\t");
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(Start(server.Url("/slow")), nullptr);
    EXPECT_NE(waitFor_(nullptr), 0u);
    EXPECT_NE(free_(nullptr), 0u);
    EXPECT_EQ(free_(thread), 0u);
    EXPECT_EQ(Saved(), "late");
}

TEST_F(Dorvanex, AnEmptyBodyAnnouncedAsEmptyIsSaved)
{
    TLoopbackHttpServer server;
    server.Answer("/empty", { 200, "" });
    EXPECT_EQ(Run(server.Url("/empty") + "\t"), 0u);
    EXPECT_TRUE(Exists());
    EXPECT_EQ(Saved(), "");
}

TEST_F(Dorvanex, ACancelAtAnyPointOfTheListAgreesWithWhatWasSaved)
{
    TLoopbackHttpServer server;
    server.Answer("/gone1", { 404, "no" });
    server.Answer("/gone2", { 404, "no" });
    server.Answer("/file", { 200, "the body" });
    const std::string urls = server.Url("/gone1") + "\t" + server.Url("/gone2") + "\t" + server.Url("/file") + "\t";
    int cancelled = 0;
    for (DWORD delay = 0; delay < 40; delay += 2) {
        SCOPED_TRACE("cancel after " + std::to_string(delay) + " ms");
        DeleteFileA(file_.c_str());
        HANDLE thread = Start(urls);
        ASSERT_NE(thread, nullptr);
        HANDLE watch = nullptr;
        DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &watch, 0, FALSE, DUPLICATE_SAME_ACCESS);
        Sleep(delay);
        terminate_(&thread);
        waitFor_(watch);
        DWORD code = 0;
        GetExitCodeThread(watch, &code);
        CloseHandle(watch);
        // Cancelled means nothing saved; saved means the whole file.
        if (code == 6u) {
            ++cancelled;
            EXPECT_FALSE(Exists());
        } else {
            EXPECT_EQ(code, 0u);
            EXPECT_EQ(Saved(), "the body");
        }
    }
    EXPECT_GT(cancelled, 0);
}

TEST_F(Dorvanex, AQuitMessageDuringTheWaitIsKeptForTheCaller)
{
    TLoopbackHttpServer server;
    server.Answer("/file", { 200, "x", true, -1, 300 });
    HANDLE thread = Start(server.Url("/file") + "\t");
    ASSERT_NE(thread, nullptr);
    PostQuitMessage(7);
    EXPECT_EQ(free_(thread), 0u);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
}

TEST_F(Dorvanex, FindProcessSeesOnlyVisibleWindowsOfOtherPrograms)
{
    EXPECT_EQ(findProcess_("no-such-program.exe"), 0);
    EXPECT_EQ(findProcess_("DorvanexTest.exe"), 0); // this process's own windows never count
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    char commandLine[] = "notepad.exe";
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    WaitForInputIdle(process.hProcess, 10000);
    int found = 0;
    for (int i = 0; i < 50 && !found; ++i, Sleep(100))
        found = findProcess_("NOTEPAD.EXE");
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(found, 1);
}

} // namespace
