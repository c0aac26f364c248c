// The status-bar clock on a stand-in status bar: its text per mode, its place at the right edge,
// and that it leaves the window as it found it.
#include "plugin/StatusClock.h"

#include <gtest/gtest.h>

#include <string>

namespace {
int LeftEdge(const TStatusClock& clock)
{
    int x = 0;
    while (x < 1000 && !clock.Contains({ x, 10 }))
        ++x;
    return x;
}
} // namespace

TEST(StatusClock, TextPerMode)
{
    SYSTEMTIME time = {};
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = 24;
    time.wHour = 18;
    time.wMinute = 5;
    char clock[64] = {}, date[64] = {};
    GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, sizeof clock);
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
    EXPECT_EQ(TStatusClock::FormatText(TStatusClock::MODE_TIME, time), clock);
    EXPECT_EQ(TStatusClock::FormatText(TStatusClock::MODE_DATE_TIME, time), std::string(date) + ", " + clock);
    EXPECT_EQ(TStatusClock::FormatText(TStatusClock::MODE_OFF, time), "");
    EXPECT_EQ(TStatusClock::FormatText(3, time), "");
}

TEST(StatusClock, SitsAtTheRightEdgeAndLeavesTheWindowAsItWas)
{
    HWND bar = CreateWindowExA(
        0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 600, 22, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(bar);
    const LONG_PTR procedure = GetWindowLongPtrA(bar, GWLP_WNDPROC);
    TStatusClock clock;
    clock.Attach(bar, TStatusClock::MODE_OFF, "tip");
    EXPECT_FALSE(clock.Shown());
    clock.Attach(bar, TStatusClock::MODE_DATE_TIME, "tip");
    ASSERT_TRUE(clock.Shown());
    EXPECT_FALSE(clock.Text().empty());
    EXPECT_TRUE(clock.Contains({ 598, 10 }));
    EXPECT_FALSE(clock.Contains({ 2, 10 }));
    MoveWindow(bar, 0, 0, 300, 22, TRUE);
    clock.Place();
    EXPECT_TRUE(clock.Contains({ 298, 10 }));
    EXPECT_FALSE(clock.Contains({ 598, 10 }));
    // A larger font widens the clock to the left.
    const int left = LeftEdge(clock);
    clock.SetFont("Courier New", 24);
    EXPECT_LT(LeftEdge(clock), left);
    clock.Tick();
    clock.Paint();
    clock.Detach();
    EXPECT_FALSE(clock.Shown());
    EXPECT_FALSE(clock.Contains({ 298, 10 }));
    EXPECT_EQ(GetWindowLongPtrA(bar, GWLP_WNDPROC), procedure);
    DestroyWindow(bar);
}
