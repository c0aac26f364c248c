// The watchdog closes a dialog left open past its time, leaves it alone when the user types or the
// decode ends in time, and wakes at once when the dialog goes.
#include "plugin/Watchdog.h"

#include <gtest/gtest.h>

namespace {
// A plain window standing in for the passphrase dialog; counts the WM_CLOSE it receives.
class TFakeDialog {
public:
    TFakeDialog()
    {
        window_
            = CreateWindowExA(0, "STATIC", "Passphrase", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }
    ~TFakeDialog()
    {
        if (IsWindow(window_))
            DestroyWindow(window_);
    }
    HWND Window() const { return window_; }
    // Pumps for ms and reports whether a WM_CLOSE arrived.
    bool CloseArrivedWithin(DWORD ms) const
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            MSG msg;
            while (PeekMessageA(&msg, window_, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_CLOSE)
                    return true;
                DispatchMessageA(&msg);
            }
            Sleep(5);
        }
        return false;
    }

private:
    HWND window_;
};
} // namespace

TEST(Watchdog, ClosesTheRememberedDialogOnTimeOut)
{
    TFakeDialog dialog;
    TWatchdog watchdog(100);
    ASSERT_TRUE(watchdog.Start());
    watchdog.RememberDialog(dialog.Window());
    EXPECT_TRUE(dialog.CloseArrivedWithin(3000));
    EXPECT_EQ(watchdog.Stop(), TWatchdog::CLOSED_ON_TIMEOUT);
    EXPECT_FALSE(watchdog.Running());
}

TEST(Watchdog, LeavesTheDialogAloneWhileTheUserTypes)
{
    TFakeDialog dialog;
    TWatchdog watchdog(100);
    ASSERT_TRUE(watchdog.Start());
    watchdog.RememberDialog(dialog.Window());
    watchdog.UserTyping();
    EXPECT_FALSE(dialog.CloseArrivedWithin(400));
    EXPECT_EQ(watchdog.Stop(), 0u);
}

TEST(Watchdog, StopsAtOnceWhenTheDecodeEndsOrTheDialogGoes)
{
    struct Case {
        bool dialogDestroyed;
    } cases[] = { { false }, { true } };
    for (const Case& c : cases) {
        TFakeDialog dialog;
        TWatchdog watchdog(20000);
        ASSERT_TRUE(watchdog.Start());
        watchdog.RememberDialog(dialog.Window());
        const DWORD start = GetTickCount();
        if (c.dialogDestroyed)
            watchdog.DialogDestroyed(dialog.Window());
        EXPECT_EQ(watchdog.Stop(), WAIT_OBJECT_0);
        EXPECT_LT(GetTickCount() - start, 5000u);
        EXPECT_FALSE(dialog.CloseArrivedWithin(50));
    }
}

TEST(Watchdog, ADestroyedWindowThatIsNotTheDialogDoesNotWakeIt)
{
    TFakeDialog dialog, other;
    TWatchdog watchdog(300);
    ASSERT_TRUE(watchdog.Start());
    watchdog.RememberDialog(dialog.Window());
    watchdog.DialogDestroyed(other.Window());
    EXPECT_TRUE(dialog.CloseArrivedWithin(3000));
    watchdog.Stop();
}
