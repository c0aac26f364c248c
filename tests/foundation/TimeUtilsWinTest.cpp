// The Windows half of the time helpers: the current zone read from the system, checked against
// the system's own UTC-to-local conversion, and the SYSTEMTIME forms.
#include "foundation/TimeUtilsWin.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(TimeUtilsWin, UtcToLocalAgreesWithTheSystem)
{
    std::vector<SYSTEMTIME> instants;
    for (WORD month = 1; month <= 12; ++month)
        instants.push_back({ 2024, month, 0, 15, 12, 30, 0, 0 });
    // Around the transitions of zones with European and North American rules.
    for (WORD day : { 9, 10, 30, 31 })
        for (WORD hour = 0; hour < 24; ++hour)
            instants.push_back({ 2024, 3, 0, day, hour, 59, 59, 0 });
    for (WORD day : { 2, 3, 26, 27 })
        for (WORD hour = 0; hour < 24; ++hour)
            instants.push_back({ 2024, static_cast<WORD>(day < 10 ? 11 : 10), 0, day, hour, 0, 0, 0 });
    for (const SYSTEMTIME& utc : instants) {
        SYSTEMTIME local {};
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
        SYSTEMTIME ours {};
        FillSystemTime(ours, UtcToLocal(SysTimeToDateTime(utc)));
        EXPECT_EQ(ours.wDay, local.wDay) << utc.wMonth << "-" << utc.wDay << " " << utc.wHour;
        EXPECT_EQ(ours.wHour, local.wHour) << utc.wMonth << "-" << utc.wDay << " " << utc.wHour;
        EXPECT_EQ(ours.wMinute, local.wMinute) << utc.wMonth << "-" << utc.wDay << " " << utc.wHour;
    }
}

TEST(TimeUtilsWin, CurrentZoneIsReadFromTheSystem)
{
    TIME_ZONE_INFORMATION system {};
    ASSERT_NE(GetTimeZoneInformation(&system), TIME_ZONE_ID_INVALID);
    const TTimeZoneInformation zone = CurrentTimeZone();
    EXPECT_EQ(zone.Bias, system.Bias);
    EXPECT_EQ(zone.DaylightBias, system.DaylightBias);
    EXPECT_EQ(zone.DaylightDate.wMonth, system.DaylightDate.wMonth);
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
