// Tests of TIniFile (values of every kind, long values, sections, deletion) and TRegistry (typed
// values, subkeys, recursive deletion) in the test prefix.
#include "framework/IniFiles.h"
#include "framework/Registry.h"
#include "framework/StringLists.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

std::vector<std::string> Lines(const TStrings& list)
{
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list[i]);
    return lines;
}

class IniFile : public testing::Test {
protected:
    void SetUp() override
    {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        name = std::string(folder) + "zavek_inifile_test_" + std::to_string(GetCurrentProcessId()) + ".ini";
    }
    void TearDown() override { DeleteFileA(name.c_str()); }
    std::string name;
};

TEST_F(IniFile, ValuesOfEveryKind)
{
    TIniFile ini(name);
    EXPECT_EQ(ini.ReadString("S", "missing", "dflt"), "dflt");
    ini.WriteString("S", "Text", "hello world");
    ini.WriteInteger("S", "Number", -42);
    ini.WriteBool("S", "Flag", true);
    ini.WriteString("S", "Hex", "0x1F");
    ini.WriteString("S", "Dollar", "$ff");
    ini.WriteString("S", "Junk", "12abc");
    ini.WriteString("S", "Quoted", "\"  padded  \"");
    EXPECT_EQ(ini.ReadString("S", "text", ""), "hello world");
    EXPECT_EQ(ini.ReadInteger("S", "Number", 0), -42);
    EXPECT_TRUE(ini.ReadBool("S", "Flag", false));
    EXPECT_EQ(ini.ReadInteger("S", "Hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("S", "Dollar", 0), 255);
    EXPECT_EQ(ini.ReadInteger("S", "Junk", 7), 7);
    EXPECT_EQ(ini.ReadBool("S", "Junk", true), true);
    EXPECT_EQ(ini.ReadString("S", "Quoted", ""), "  padded  "); // the system strips one pair of quotes
}

TEST_F(IniFile, LongValuesAreNotCut)
{
    TIniFile ini(name);
    const std::string value(10000, 'v');
    ini.WriteString("Long", "Value", value);
    EXPECT_EQ(ini.ReadString("Long", "Value", ""), value);
}

TEST_F(IniFile, SectionsKeysAndDeletion)
{
    TIniFile ini(name);
    ini.WriteString("First", "a", "1");
    ini.WriteString("First", "b", "2");
    ini.WriteString("Second", "c", "3");
    TStringList list;
    ini.ReadSections(list);
    EXPECT_EQ(Lines(list), (std::vector<std::string> { "First", "Second" }));
    ini.ReadSection("First", list);
    EXPECT_EQ(Lines(list), (std::vector<std::string> { "a", "b" }));
    ini.ReadSectionValues("First", list);
    EXPECT_EQ(list.Values("b"), "2");
    EXPECT_TRUE(ini.ValueExists("First", "A"));
    ini.DeleteKey("First", "a");
    EXPECT_FALSE(ini.ValueExists("First", "a"));
    ini.EraseSection("Second");
    EXPECT_FALSE(ini.SectionExists("Second"));
    EXPECT_TRUE(ini.SectionExists("First"));
}

TEST_F(IniFile, UnwritableFileRaises)
{
    TIniFile ini("Q:\\no\\such\\folder\\x.ini");
    EXPECT_THROW(ini.WriteString("S", "k", "v"), EIniFileException);
}

TEST(Registry, TypedValuesKeysAndDeletion)
{
    const std::string base = "Software\\ZAVEK-test-" + std::to_string(GetCurrentProcessId());
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(base + "\\Inner", true));
    registry.WriteString("Text", "value");
    registry.WriteExpandString("Path", "%TEMP%\\x");
    registry.WriteInteger("Number", 1234);
    registry.WriteBool("Flag", true);
    EXPECT_EQ(registry.ReadString("Text"), "value");
    EXPECT_EQ(registry.ReadString("Path"), "%TEMP%\\x");
    EXPECT_EQ(registry.ReadString("Missing"), "");
    EXPECT_EQ(registry.ReadInteger("Number"), 1234);
    EXPECT_TRUE(registry.ReadBool("Flag"));
    EXPECT_THROW(registry.ReadInteger("Text"), ERegistryException);
    EXPECT_THROW(registry.ReadInteger("Missing"), ERegistryException);
    TStringList names;
    registry.GetValueNames(names);
    names.Sort();
    EXPECT_EQ(Lines(names), (std::vector<std::string> { "Flag", "Number", "Path", "Text" }));
    EXPECT_TRUE(registry.DeleteValue("Flag"));
    EXPECT_FALSE(registry.ValueExists("Flag"));

    ASSERT_TRUE(registry.OpenKeyReadOnly("\\" + base));
    registry.GetKeyNames(names);
    EXPECT_EQ(Lines(names), (std::vector<std::string> { "Inner" }));
    EXPECT_THROW(registry.WriteString("x", "y"), ERegistryException);
    registry.CloseKey();
    EXPECT_TRUE(registry.DeleteKey(base));
    EXPECT_FALSE(registry.KeyExists(base));
    EXPECT_FALSE(registry.OpenKey(base, false));
}

} // namespace
