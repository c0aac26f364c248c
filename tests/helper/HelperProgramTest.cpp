// The helper program run for real against a stand-in plug-in library that logs every call: the
// export each keyword reaches, the argument it gets, a missing library and a second instance.
#include "helper/HelperCommands.h"
#include "helper/ProgramRun.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>

namespace {

class HelperProgram : public testing::Test {
protected:
    HelperProgram()
        : scratch("zavek-helper-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()))
        , helper(scratch.path + "ZAVEKHelper.exe")
    {
    }

    void SetUp() override { ASSERT_TRUE(CopyFromBuild("ZAVEKHelper.exe", helper)) << GetLastError(); }

    void InstallLibraryStub() { ASSERT_TRUE(CopyFromBuild("HelperMainStub.dll", scratch.path + "ZAVEKMain.dll")); }

    // Runs the helper with its arguments and returns what the stand-in library logged.
    std::string Run(const std::string& arguments)
    {
        DeleteFileA(Log().c_str());
        const TProgramExit exit = RunProgramLine(helper, "\"" + helper + "\" " + arguments);
        EXPECT_TRUE(exit.Started) << "error " << exit.StartError;
        EXPECT_EQ(exit.Code, 0u);
        return ReadText(Log());
    }

    std::string Log() const { return scratch.path + "calls.log"; }

    TScratchFolder scratch;
    std::string helper;
};

TEST_F(HelperProgram, EachKeywordReachesItsExportWithItsArgument)
{
    InstallLibraryStub();
    const struct {
        const char* Arguments;
        const char* Logged;
    } cases[] = {
        { "usersetup", "10|\n" },
        { "USERUPDATE a AllUsers", "12|a,AllUsers\n" },
        { "USERUNINSTALL", "11|\n" },
        { "PMRESTART Work Identity 1234", "13|Work Identity|1234\n" },
        { "SYNCTIME", "14|false\n" },
        { "SYNCTIME SHOW", "14|true\n" },
        { "HTMLPAGE ZAVEKHelpEn.htm", "15|ZAVEKHelpEn.htm\n" },
        { "PGPHELP groups", "16|groups\n" },
        { "MANUAL #options", "17|#options\n" },
        { "CLEANUP", "18|\n" },
        { "NOTACOMMAND", "" },
        { "", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Run(c.Arguments), c.Logged) << c.Arguments;
}

TEST_F(HelperProgram, ShortProgramNameStillFindsTheTail)
{
    InstallLibraryStub();
    const TProgramExit exit = RunProgramLine(helper, "ZAVEKHelper HTMLPAGE http://example.org/");
    EXPECT_EQ(exit.Code, 0u);
    EXPECT_EQ(ReadText(Log()), "15|http://example.org/\n");
}

TEST_F(HelperProgram, SecondInstanceDoesNothing)
{
    InstallLibraryStub();
    char full[MAX_PATH] = {};
    GetFullPathNameA(helper.c_str(), MAX_PATH, full, nullptr);
    HANDLE first = CreateMutexA(nullptr, TRUE, HelperMutexName(full).c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Run("USERSETUP"), "");
    CloseHandle(first);
    EXPECT_EQ(Run("USERSETUP"), "10|\n") << "runs again once the first instance is gone";
}

// Closes the error boxes (caption "Selvadrin") of the helper program at Program as they appear and
// counts them, each once however long it takes to go. Boxes of other programs on the desktop, such
// as the plug-in's in tests running beside this one, are left alone.
class TErrorBoxCloser {
public:
    explicit TErrorBoxCloser(std::string program)
        : program_(std::move(program))
        , thread_([this] {
            while (!stop_) {
                EnumWindows(&TErrorBoxCloser::CloseIfOurs, reinterpret_cast<LPARAM>(this));
                Sleep(50);
            }
        })
    {
    }
    ~TErrorBoxCloser()
    {
        stop_ = true;
        thread_.join();
    }
    int Closed() const
    {
        std::lock_guard<std::mutex> lock(lock_);
        return static_cast<int>(seen_.size());
    }

private:
    static BOOL CALLBACK CloseIfOurs(HWND window, LPARAM self)
    {
        auto* closer = reinterpret_cast<TErrorBoxCloser*>(self);
        char caption[32] = {};
        GetWindowTextA(window, caption, sizeof caption);
        if (std::string(caption) == "Selvadrin" && closer->ShownByProgram(window)) {
            std::lock_guard<std::mutex> lock(closer->lock_);
            closer->seen_.insert(window);
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
        return TRUE;
    }

    bool ShownByProgram(HWND window) const
    {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
        if (!process)
            return false;
        char image[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        const bool named = QueryFullProcessImageNameA(process, 0, image, &length) != FALSE;
        CloseHandle(process);
        return named && lstrcmpiA(image, program_.c_str()) == 0;
    }

    const std::string program_;
    mutable std::mutex lock_;
    std::set<HWND> seen_;
    std::atomic<bool> stop_{ false };
    std::thread thread_;
};

TEST_F(HelperProgram, MissingLibraryShowsTheSystemErrorOnceAndEnds)
{
    TErrorBoxCloser closer(helper);
    EXPECT_EQ(Run("USERSETUP"), "");
    EXPECT_EQ(closer.Closed(), 1);
}

TEST_F(HelperProgram, LibraryWithoutTheExportShowsTheSystemError)
{
    ASSERT_TRUE(CopyFromBuild("HelperNoExportsStub.dll", scratch.path + "ZAVEKMain.dll"));
    TErrorBoxCloser closer(helper);
    EXPECT_EQ(Run("CLEANUP"), "");
    EXPECT_EQ(closer.Closed(), 1);
}

} // namespace
