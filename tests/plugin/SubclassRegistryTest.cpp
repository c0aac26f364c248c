// The subclass table gives every window its own procedure back, also when others subclassed it
// after us, and restores nothing twice.
#include "plugin/SubclassRegistry.h"

#include <gtest/gtest.h>

namespace {
LRESULT CALLBACK Marker(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    if (message == WM_USER + 7)
        return static_cast<LRESULT>(data);
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK OtherMarker(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_USER + 8)
        return 8;
    return DefSubclassProc(window, message, wParam, lParam);
}

HWND NewWindow()
{
    return CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

LONG_PTR OwnProc(HWND window)
{
    return static_cast<LONG_PTR>(GetClassLongPtrA(window, GCLP_WNDPROC));
}
} // namespace

TEST(SubclassRegistry, RestoreAllGivesBackEveryWindowsOwnProcedure)
{
    HWND a = NewWindow(), b = NewWindow();
    {
        TSubclassRegistry registry;
        ASSERT_TRUE(registry.Subclass(a, Marker, 41));
        ASSERT_TRUE(registry.Subclass(b, Marker, 42));
        ASSERT_TRUE(registry.Subclass(b, Marker, 43)); // once per window and procedure
        EXPECT_EQ(SendMessageA(a, WM_USER + 7, 0, 0), 41);
        EXPECT_EQ(registry.WindowsWith(Marker).size(), 2u);
    } // the registry's end restores what is left
    EXPECT_EQ(GetWindowLongPtrA(a, GWLP_WNDPROC), OwnProc(a));
    EXPECT_EQ(GetWindowLongPtrA(b, GWLP_WNDPROC), OwnProc(b));
    EXPECT_EQ(SendMessageA(a, WM_USER + 7, 0, 0), 0);
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST(SubclassRegistry, RestoringOneProcedureKeepsTheOthersOnTheWindow)
{
    HWND window = NewWindow();
    TSubclassRegistry registry;
    ASSERT_TRUE(registry.Subclass(window, Marker, 5));
    ASSERT_TRUE(registry.Subclass(window, OtherMarker, 0));
    registry.Restore(window, Marker);
    EXPECT_EQ(SendMessageA(window, WM_USER + 7, 0, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_USER + 8, 0, 0), 8);
    registry.Restore(window);
    EXPECT_TRUE(registry.Empty());
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), OwnProc(window));
    DestroyWindow(window);
}

TEST(SubclassRegistry, AGoneWindowIsForgottenWithoutTouchingIt)
{
    TSubclassRegistry registry;
    HWND window = NewWindow();
    ASSERT_TRUE(registry.Subclass(window, Marker, 1));
    DestroyWindow(window);
    registry.Restore(window);
    EXPECT_TRUE(registry.Empty());
    EXPECT_FALSE(registry.Subclass(window, Marker, 1));
}
