// The administrator program run for real: it passes its argument text, byte for byte after its
// own name and the blanks behind it, to the helper program in its folder.
#include "helper/HelperCommands.h"
#include "helper/ProgramRun.h"

#include <gtest/gtest.h>

namespace {

class AdminProgram : public testing::Test {
protected:
    AdminProgram()
        : scratch("zavek admin " + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()))
        , admin(scratch.path + "ZAVEKAdmin.exe")
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(CopyFromBuild("ZAVEKAdmin.exe", admin)) << GetLastError();
        ASSERT_TRUE(CopyFromBuild("AdminHelperStub.exe", scratch.path + "ZAVEKHelper.exe")) << GetLastError();
    }

    // The argument text the helper was started with; "(not started)" when it never ran.
    std::string HelperArguments(const std::string& adminCommandLine)
    {
        const std::string file = scratch.path + "args.txt";
        DeleteFileA(file.c_str());
        const TProgramExit exit = RunProgramLine(admin, adminCommandLine);
        EXPECT_TRUE(exit.Started) << "error " << exit.StartError;
        EXPECT_EQ(exit.Code, 0u);
        // The helper may still be on its way when the administrator program has ended; its file
        // appears whole.
        for (int i = 0; i < 200 && GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
            Sleep(50);
        if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES)
            return "(not started)";
        return ArgsAfterProgramName(ReadText(file));
    }

    TScratchFolder scratch;
    std::string admin;
};

TEST_F(AdminProgram, PassesItsArgumentsOnByteForByte)
{
    const struct {
        std::string Line;
        std::string Passed;
    } cases[] = {
        { "\"" + admin + "\"  USERSETUP", "USERSETUP" },
        { "\"" + admin + "\" SYNCTIME SHOW", "SYNCTIME SHOW" },
        { "\"" + admin + "\" HTMLPAGE \"a b.htm\"", "HTMLPAGE \"a b.htm\"" },
        { "\"" + admin + "\"", "" },
        { "ZAVEKAdmin.exe USERUNINSTALL", "USERUNINSTALL" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(HelperArguments(c.Line), c.Passed) << c.Line;
}

TEST_F(AdminProgram, MissingHelperEndsSilently)
{
    DeleteFileA((scratch.path + "ZAVEKHelper.exe").c_str());
    EXPECT_EQ(RunProgramLine(admin, "\"" + admin + "\" USERSETUP").Code, 0u);
}

} // namespace
