// Tests of UxThemes under Wine+Xvfb: the library bound from the system folder, and every caller
// falling back when it is absent.
#include "foundation/UxThemes.h"

#include "foundation/StrUtilWin.h"
#include "foundation/WindowUtils.h"

#include <gtest/gtest.h>

namespace {

class UxThemesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DoneUxThemes();
        Window = CreateWindowA("BUTTON", "Themed", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 50, nullptr,
            nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(Window, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(Window);
        DoneUxThemes();
    }
    HWND Window = nullptr;
};

TEST_F(UxThemesTest, AbsentLibraryLeavesEveryCallerOnItsFallback)
{
    EXPECT_EQ(LoadUxThemeApiFrom("C:\\no\\such\\folder\\UxTheme.dll"), nullptr);
    EXPECT_EQ(LoadUxThemeApiFrom("UxTheme.dll"), nullptr); // never from the search path
    EXPECT_EQ(UxThemeApi().SetWindowTheme, nullptr);
    EXPECT_EQ(UxThemeApi().GetThemeSysFont, nullptr);
    EXPECT_FALSE(ThemesActive());
    EXPECT_FALSE(SetWindowThemed(Window, true));
    EXPECT_FALSE(SetWindowThemed(Window, false));
    // A theme handle without the library: the font comes from the registry or the plain name.
    EXPECT_EQ(GetDialogFontName(reinterpret_cast<HANDLE>(1), 0), GetDialogFontName(nullptr, 0));
}

TEST_F(UxThemesTest, BoundLibraryAnswersAsTheSystemIsThemed)
{
    HMODULE library = LoadUxThemeApi();
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(LoadUxThemeApi(), library); // bound once
    const TUxThemeApi& api = UxThemeApi();
    ASSERT_NE(api.SetWindowTheme, nullptr);
    ASSERT_NE(api.IsAppThemed, nullptr);
    ASSERT_NE(api.IsThemeActive, nullptr);
    EXPECT_NE(api.OpenThemeData, nullptr);
    EXPECT_NE(api.GetThemeSysFont, nullptr);

    const bool themed = api.IsAppThemed() && api.IsThemeActive();
    EXPECT_EQ(ThemesActive(), themed && HostHasManifest());
    EXPECT_EQ(SetWindowThemed(Window, true), ThemesActive());
    EXPECT_FALSE(SetWindowThemed(Window, false));
    EXPECT_FALSE(SetWindowThemed(nullptr, true));

    HTHEME theme = api.OpenThemeData(Window, L"WINDOW");
    if (theme) {
        EXPECT_FALSE(GetDialogFontName(theme, 805).empty()); // the message-box font
        api.CloseThemeData(theme);
    }
    DoneUxThemes();
    EXPECT_EQ(UxThemeApi().SetWindowTheme, nullptr);
    EXPECT_FALSE(ThemesActive());
}

// A "<program>.manifest" file beside the running program, removed again at the end.
class TManifestFile {
public:
    TManifestFile()
        : Name(GetModuleFileNameStr(nullptr) + ".manifest")
    {
        WriteWholeFile(Name,
            "<?xml version=\"1.0\"?><assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" "
            "manifestVersion=\"1.0\"/>");
    }
    ~TManifestFile() { DeleteFileStr(Name); }
    TManifestFile(const TManifestFile&) = delete;
    TManifestFile& operator=(const TManifestFile&) = delete;
    const std::string Name;
};

TEST_F(UxThemesTest, AManifestFileBesideTheProgramTurnsThemesOn)
{
    ASSERT_NE(LoadUxThemeApi(), nullptr);
    if (HostHasManifest())
        GTEST_SKIP() << "the test program carries a manifest of its own";
    EXPECT_FALSE(ThemesActive());
    const bool systemThemed = UxThemeApi().IsAppThemed() && UxThemeApi().IsThemeActive();
    {
        TManifestFile manifest;
        EXPECT_TRUE(HostHasManifest());
        EXPECT_EQ(ThemesActive(), systemThemed); // both report themed under Wine
        EXPECT_EQ(SetWindowThemed(Window, true), systemThemed);
        EXPECT_FALSE(SetWindowThemed(Window, false));
    }
    EXPECT_FALSE(HostHasManifest());
    EXPECT_FALSE(SetWindowThemed(Window, true));
}

} // namespace
