// The helper program run for real against a stand-in plug-in library that logs every call: the
// export each keyword reaches, the argument it gets, a missing library and a second instance.
#include "helper/HelperCommands.h"
#include "helper/ProgramRun.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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

// Closes the helper's error box (caption "Selvadrin") as soon as it appears; counts the boxes.
class TErrorBoxCloser {
public:
    TErrorBoxCloser()
        : thread_([this] {
            while (!stop_) {
                if (HWND box = FindWindowA(nullptr, "Selvadrin")) {
                    ++closed_;
                    PostMessageA(box, WM_COMMAND, IDOK, 0);
                    Sleep(300);
                }
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
    int Closed() const { return closed_; }

private:
    std::atomic<bool> stop_{ false };
    std::atomic<int> closed_{ 0 };
    std::thread thread_;
};

TEST_F(HelperProgram, MissingLibraryShowsTheSystemErrorOnceAndEnds)
{
    TErrorBoxCloser closer;
    EXPECT_EQ(Run("USERSETUP"), "");
    EXPECT_EQ(closer.Closed(), 1);
}

TEST_F(HelperProgram, LibraryWithoutTheExportShowsTheSystemError)
{
    ASSERT_TRUE(CopyFromBuild("HelperNoExportsStub.dll", scratch.path + "ZAVEKMain.dll"));
    TErrorBoxCloser closer;
    EXPECT_EQ(Run("CLEANUP"), "");
    EXPECT_EQ(closer.Closed(), 1);
}

} // namespace
