// Tests of the configuration's own pieces that need no mail client: the facts it gathers at
// construction, the product version number, and the companion library's load.
#include "plugin/Configuration.h"
#include "plugin/Guard.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string CurrentDirectory()
{
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

TEST(Configuration, ConstructionGathersFoldersUserAndFont)
{
    TConfiguration configuration;
    const std::string& install = configuration.InstallFolder();
    ASSERT_FALSE(install.empty());
    EXPECT_EQ(install.back(), '\\');
    EXPECT_EQ(configuration.ResourcesFolder(), install + "Resources\\");
    EXPECT_EQ(configuration.DataFolder().back(), '\\');
    EXPECT_FALSE(configuration.WindowsUser().empty());
    EXPECT_FALSE(configuration.FixedFontName().empty());
    EXPECT_NE(configuration.FixedFontName(), "Courier");
    // Nothing else exists before the start-up.
    EXPECT_THROW(configuration.PMInterface(), ENotAvailable);
    EXPECT_THROW(configuration.Texts(), ENotAvailable);
    EXPECT_TRUE(configuration.FileName().empty());
}

TEST(Configuration, ProductVersionNumberIgnoresBuildAndBetaSuffixes)
{
    struct Case {
        const char* text;
        const char* same;
    } cases[] = { { "4.2.1/2024", "4.2.1" }, { "4.2b7", "4.2" }, { "4.2.1b3/x", "4.2.1" }, { "4.2", "4.2" } };
    for (const Case& c : cases)
        EXPECT_EQ(TConfiguration::ProductVersionNumber(c.text), TConfiguration::ProductVersionNumber(c.same))
            << c.text;
    EXPECT_GT(TConfiguration::ProductVersionNumber("4.2"), TConfiguration::ProductVersionNumber("4.1"));
}

TEST(Configuration, TheCompanionLibraryLoadsOnceAndTheCurrentDirectoryIsRestored)
{
    // The test program's folder is the install folder here, and the build put the library there.
    TConfiguration configuration;
    const std::string before = CurrentDirectory();
    ASSERT_EQ(GetModuleHandleA(TConfiguration::CRYPTOR_LIBRARY), nullptr);
    EXPECT_EQ(configuration.LoadCryptor(), 0);
    HMODULE loaded = GetModuleHandleA(TConfiguration::CRYPTOR_LIBRARY);
    EXPECT_NE(loaded, nullptr);
    EXPECT_EQ(CurrentDirectory(), before);
    EXPECT_EQ(configuration.LoadCryptor(), 0);
    EXPECT_EQ(GetModuleHandleA(TConfiguration::CRYPTOR_LIBRARY), loaded);
    EXPECT_EQ(CurrentDirectory(), before);
}

} // namespace
