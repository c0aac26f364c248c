// The Windows half of the time helpers: the current zone read from the system, checked against
// the system's own UTC-to-local conversion, and the SYSTEMTIME forms.
#include "foundation/TimeUtilsWin.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeUtilsWin, UtcToLocalAgreesWithTheSystem)
{
    for (int month = 1; month <= 12; ++month) {
        SYSTEMTIME utc { 2024, static_cast<WORD>(month), 0, 15, 12, 30, 0, 0 };
        SYSTEMTIME local {};
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
        SYSTEMTIME ours {};
        FillSystemTime(ours, UtcToLocal(SysTimeToDateTime(utc)));
        EXPECT_EQ(ours.wDay, local.wDay) << month;
        EXPECT_EQ(ours.wHour, local.wHour) << month;
        EXPECT_EQ(ours.wMinute, local.wMinute) << month;
    }
}

TEST(TimeUtilsWin, UnixAndNtpUseTheCurrentZone)
{
    const TTimeZoneInformation zone = CurrentTimeZone();
    EXPECT_DOUBLE_EQ(UnixToLocal(1700000000), UnixToLocalByRules(zone, 1700000000));
    EXPECT_DOUBLE_EQ(NtpToLocal(0x807EAA83u, 0x80u), NtpToLocalByRules(zone, 0x807EAA83u, 0x80u));
}

TEST(TimeUtilsWin, SystemTimeForms)
{
    const SYSTEMTIME t { 2024, 2, 0, 29, 13, 45, 30, 250 };
    EXPECT_EQ(SystemTimeToUnix(t), 1709214330u);
    SYSTEMTIME back {};
    FillSystemTime(back, SysTimeToDateTime(t));
    EXPECT_EQ(back.wYear, 2024);
    EXPECT_EQ(back.wDay, 29);
    EXPECT_EQ(back.wDayOfWeek, 4);
    EXPECT_EQ(back.wMilliseconds, 250);
}

} // namespace
