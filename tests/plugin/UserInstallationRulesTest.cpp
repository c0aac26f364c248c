// The users-list and form-file line rules of the per-user installation.
#include "plugin/UserInstallationRules.h"

#include <gtest/gtest.h>

using namespace UserInstallationRules;

namespace {

TEST(UserInstallationRules, UserLinesAndTheirFolders)
{
    EXPECT_EQ(UserLine("bob", "C:\\Mail\\Bob\\"), "bob=\"C:\\Mail\\Bob\\\"");
    EXPECT_TRUE(IsLineOfMailUser("bob=\"C:\\M\\\"", "bob"));
    EXPECT_FALSE(IsLineOfMailUser("bob=\"", "bob")) << "a line must be longer than the prefix";
    EXPECT_FALSE(IsLineOfMailUser("bobby=\"C:\\M\\\"", "bob"));
    EXPECT_FALSE(IsLineOfMailUser("bob=C:\\M\\", "bob"));
    EXPECT_EQ(FolderOfUserLine("bob=\"C:\\M\\\""), "C:\\M\\");
    EXPECT_EQ(FolderOfUserLine("bob=C:\\M\\"), "");
    EXPECT_EQ(FolderOfUserLine("bob=\""), "");
    EXPECT_TRUE(IsSectionLine("[Win]"));
    EXPECT_FALSE(IsSectionLine(" [Win]"));
}

struct TRegisterCase {
    const char* Name;
    std::vector<std::string> Lines;
    bool Add;
    TRegisterResult Result;
    std::vector<std::string> After;
};

class RegisterCase : public testing::TestWithParam<TRegisterCase> { };

TEST_P(RegisterCase, EditsTheSection)
{
    TRegisterCase c = GetParam();
    // Only folders named "kept" still hold an options file.
    auto hasOptions = [](const std::string& folder) { return folder.find("kept") != std::string::npos; };
    EXPECT_EQ(RegisterInSection(c.Lines, "bob", "C:\\new\\", c.Add, hasOptions), c.Result);
    EXPECT_EQ(c.Lines, c.After);
}

const std::string OWN = "bob=\"C:\\new\\\"";

INSTANTIATE_TEST_SUITE_P(Table, RegisterCase,
    testing::Values(
        TRegisterCase{ "AddToEmpty", {}, true, TRegisterResult::Changed, { OWN } },
        TRegisterCase{ "AddPresent", { "amy=\"C:\\a\\\"", OWN }, true, TRegisterResult::Unchanged, { "amy=\"C:\\a\\\"", OWN } },
        TRegisterCase{ "AddPrunesStale", { "bob=\"C:\\gone\\\"", "bob=\"C:\\kept\\\"", "amy=\"C:\\gone\\\"" }, true,
            TRegisterResult::Changed, { "bob=\"C:\\kept\\\"", "amy=\"C:\\gone\\\"", OWN } },
        TRegisterCase{ "RemovePresent", { "amy=\"C:\\a\\\"", OWN }, false, TRegisterResult::Changed, { "amy=\"C:\\a\\\"" } },
        TRegisterCase{ "RemoveMissing", { "bob=\"C:\\gone\\\"" }, false, TRegisterResult::NothingToRemove, {} }),
    [](const testing::TestParamInfo<TRegisterCase>& info) { return std::string(info.param.Name); });

TEST(UserInstallationRules, SectionUserLinesStopAtTheNextSection)
{
    const std::vector<std::string> list = { "[Other]", "bob=\"C:\\o\\\"", "[Win]", "bob=\"C:\\w\\\"", "amy=\"C:\\a\\\"",
        "[Later]", "cy=\"C:\\c\\\"" };
    EXPECT_EQ(SectionUserLines(list, "Win"), (std::vector<std::string>{ "bob=\"C:\\w\\\"", "amy=\"C:\\a\\\"" }));
    EXPECT_TRUE(SectionUserLines(list, "Nobody").empty());
}

TEST(UserInstallationRules, FormDllLinesPointAtTheInstallFolder)
{
    const struct {
        const char* Line;
        const char* Install;
        const char* Base;
        const char* Expected;
    } cases[] = {
        // Under the base folder (letter case ignored): the "~a\" form.
        { "Form DLL = ~a\\ZAVEKMain.dll", "C:\\PMail\\ZAVEK\\", "c:\\pmail\\", "Form DLL = \"~a\\ZAVEK\\ZAVEKMain.dll\"" },
        { "Form DLL = \"C:\\Old\\ZAVEKMain.dll\"", "C:\\PMail\\", "C:\\PMail\\", "Form DLL = \"~a\\ZAVEKMain.dll\"" },
        // Elsewhere: the full folder.
        { "Form DLL = ~a\\ZAVEKCryptor.dll", "D:\\Programs\\ZAVEK\\", "C:\\PMail\\",
            "Form DLL = \"D:\\Programs\\ZAVEK\\ZAVEKCryptor.dll\"" },
        { "Form DLL = ZAVEKMain.dll", "D:\\Z\\", "C:\\PMail\\", "Form DLL = \"D:\\Z\\ZAVEKMain.dll\"" },
        { "Form DLL = \"ZAVEKMain.dll\"", "D:\\Z\\", "", "Form DLL = \"D:\\Z\\ZAVEKMain.dll\"" },
        // A sibling whose name merely begins like the base folder is not under it.
        { "Form DLL = ~a\\ZAVEKMain.dll", "C:\\PMail2\\", "C:\\PMail\\", "Form DLL = \"C:\\PMail2\\ZAVEKMain.dll\"" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(RewriteFormDllLine(c.Line, c.Install, c.Base), c.Expected) << c.Line;
}

TEST(UserInstallationRules, OnlyFormDllLinesAreRewritten)
{
    std::vector<std::string> lines = { "; Form DLL = ~a\\Old.dll", "Form name = Main", "", "Form DLL = ~a\\ZAVEKMain.dll",
        "form dll = ~a\\x.dll" };
    RewriteFormDllLines(lines, "D:\\Z\\", "C:\\P\\");
    EXPECT_EQ(lines, (std::vector<std::string>{ "; Form DLL = ~a\\Old.dll", "Form name = Main", "",
                         "Form DLL = \"D:\\Z\\ZAVEKMain.dll\"", "form dll = ~a\\x.dll" }));
}

} // namespace
