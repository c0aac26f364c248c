// The helper program's command-line rules: keyword choice, the arguments each export gets, the
// program-name skipping and the single-instance mutex name.
#include "helper/HelperCommands.h"

#include <gtest/gtest.h>

namespace {

struct TCase {
    const char* Line;
    std::vector<std::string> Arguments;
    int Ordinal;
    std::string Text;
    bool Flag;
    uintptr_t Window;
};

class HelperCommandCase : public testing::TestWithParam<TCase> { };

TEST_P(HelperCommandCase, ResolvesKeywordAndArgument)
{
    const TCase& c = GetParam();
    const THelperCommand command = ResolveHelperCommand(c.Line, c.Arguments);
    EXPECT_EQ(command.Ordinal, c.Ordinal);
    EXPECT_EQ(command.Text, c.Text);
    EXPECT_EQ(command.Flag, c.Flag);
    EXPECT_EQ(command.Window, c.Window);
}

const std::string P = "C:\\Prog\\ZAVEKHelper.exe";

INSTANTIATE_TEST_SUITE_P(Table, HelperCommandCase,
    testing::Values(
        TCase{ "h usersetup", { P, "usersetup" }, 10, "", false, 0 },
        TCase{ "h USERSETUPX", { P, "USERSETUPX" }, 10, "", false, 0 },
        TCase{ "h USERUPDATE a AllUsers", { P, "USERUPDATE", "a", "AllUsers" }, 12, "a,AllUsers", false, 0 },
        TCase{ "h USERUPDATE", { P, "USERUPDATE" }, 12, "", false, 0 },
        TCase{ "h USERUNINSTALL", { P, "USERUNINSTALL" }, 11, "", false, 0 },
        TCase{ "h CLEANUP", { P, "CLEANUP" }, 18, "", false, 0 },
        TCase{ "h PMRESTART My Id 1234", { P, "PMRESTART", "My", "Id", "1234" }, 13, "My Id", false, 1234 },
        TCase{ "h PMRESTART Solo", { P, "PMRESTART", "Solo" }, 13, "Solo", false, 0 },
        TCase{ "h PMRESTART Id x12", { P, "PMRESTART", "Id", "x12" }, 13, "Id", false, 0 },
        TCase{ "h SYNCTIME", { P, "SYNCTIME" }, 14, "", false, 0 },
        TCase{ "h SYNCTIME SHOW", { P, "SYNCTIME", "SHOW" }, 14, "", true, 0 },
        TCase{ "h SYNCTIME \"\"", { P, "SYNCTIME", "" }, 14, "", false, 0 },
        TCase{ "h htmlpage \"page one.htm\"", { P, "htmlpage", "page one.htm" }, 15, "\"page one.htm\"", false, 0 },
        TCase{ "h PGPHELP groups", { P, "PGPHELP", "groups" }, 16, "groups", false, 0 },
        TCase{ "h MANUAL #cfg", { P, "MANUAL", "#cfg" }, 17, "#cfg", false, 0 },
        TCase{ "h MANUAL", { P, "MANUAL" }, 17, "", false, 0 },
        // Started by a short name: the tail is still found after the program's own name.
        TCase{ "\"C:\\Long Path\\ZAVEKHelper.exe\" HTMLPAGE x.htm", { P, "HTMLPAGE", "x.htm" }, 15, "x.htm", false, 0 },
        TCase{ "h UNKNOWN", { P, "UNKNOWN" }, 0, "", false, 0 },
        TCase{ "h", { P }, 0, "", false, 0 },
        TCase{ "h \"\"", { P, "" }, 0, "", false, 0 },
        // A keyword that merely ends the argument does not count.
        TCase{ "h XUSERSETUP", { P, "XUSERSETUP" }, 0, "", false, 0 }));

TEST(HelperCommandLine, ProgramNameIsSkippedByItsQuotes)
{
    EXPECT_EQ(ArgsAfterProgramName("\"C:\\With Blanks\\ZAVEKAdmin.exe\"  USERSETUP"), "USERSETUP");
    EXPECT_EQ(ArgsAfterProgramName("C:\\Prog\\ZAVEKAdmin.exe SYNCTIME SHOW"), "SYNCTIME SHOW");
    EXPECT_EQ(ArgsAfterProgramName("ZAVEKAdmin.exe"), "");
    EXPECT_EQ(ArgsAfterProgramName("\"C:\\Unclosed quote USERSETUP"), "");
    EXPECT_EQ(ArgsAfterProgramName("\"a.exe\"HTMLPAGE \"x\""), "HTMLPAGE \"x\"");
    EXPECT_EQ(ArgsAfterProgramName(""), "");
}

TEST(HelperCommandLine, ProgramFolderKeepsItsBackslash)
{
    EXPECT_EQ(ProgramFolderOf("C:\\A b\\ZAVEKHelper.exe"), "C:\\A b\\");
    EXPECT_EQ(ProgramFolderOf("ZAVEKHelper.exe"), "");
}

TEST(HelperCommandLine, MutexNameIsValidAndIgnoresCase)
{
    const std::string name = HelperMutexName("C:\\Program Files\\ZAVEK\\ZAVEKHelper.exe");
    EXPECT_EQ(name.rfind("Local\\ZAVEKHelper-", 0), 0u);
    EXPECT_EQ(name.size(), std::string("Local\\ZAVEKHelper-").size() + 16);
    EXPECT_EQ(name.find('\\', 6), std::string::npos) << "only the namespace prefix may hold a backslash";
    EXPECT_EQ(name, HelperMutexName("c:\\program files\\zavek\\zavekhelper.EXE"));
    EXPECT_NE(name, HelperMutexName("D:\\Program Files\\ZAVEK\\ZAVEKHelper.exe"));
}

} // namespace
