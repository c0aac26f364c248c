// Time arithmetic: calendar helpers, daylight-saving rules in both hemispheres and at their edges,
// Unix seconds and NTP time stamps.
#include "foundation/TimeUtils.h"

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>

namespace {

std::string Stamp(TDateTime Value)
{
    TSystemTime t {};
    FillSystemTime(t, Value);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.wYear, t.wMonth, t.wDay, t.wHour,
        t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

TDateTime At(int Year, int Month, int Day, int Hour = 0, int Minute = 0, int Second = 0, int MSec = 0)
{
    TDateTime value = 0;
    EXPECT_TRUE(TryEncodeDateTime(Year, Month, Day, Hour, Minute, Second, MSec, value));
    return value;
}

TSystemTime Rule(int Month, int N, int DayOfWeek, int Hour, int Year = 0, int Day = 0)
{
    TSystemTime r {};
    r.wYear = static_cast<uint16_t>(Year);
    r.wMonth = static_cast<uint16_t>(Month);
    r.wDayOfWeek = static_cast<uint16_t>(DayOfWeek);
    r.wDay = static_cast<uint16_t>(Year == 0 ? N : Day);
    r.wHour = static_cast<uint16_t>(Hour);
    return r;
}

TTimeZoneInformation Zone(int Bias, int DaylightBias, TSystemTime StandardDate, TSystemTime DaylightDate)
{
    TTimeZoneInformation z {};
    z.Bias = Bias;
    z.DaylightBias = DaylightBias;
    z.StandardDate = StandardDate;
    z.DaylightDate = DaylightDate;
    return z;
}

// Last Sunday of March 02:00 to last Sunday of October 03:00, one hour east of UTC.
const TTimeZoneInformation Central = Zone(-60, -60, Rule(10, 5, 0, 3), Rule(3, 5, 0, 2));
// First Sunday of October 02:00 to first Sunday of April 03:00, ten hours east of UTC.
const TTimeZoneInformation Sydney = Zone(-600, -60, Rule(4, 1, 0, 3), Rule(10, 1, 0, 2));
const TTimeZoneInformation Utc = Zone(0, 0, TSystemTime {}, TSystemTime {});

TEST(TimeUtils, LeapYears)
{
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2023));
}

TEST(TimeUtils, CalendarHelpers)
{
    EXPECT_EQ(YearOfDate(At(2024, 2, 29, 23, 59)), 2024);
    EXPECT_EQ(MonthOfDate(At(2024, 2, 29, 23, 59)), 2);
    EXPECT_EQ(DaysInMonthOfDate(At(2024, 2, 10)), 29);
    EXPECT_EQ(DaysInMonthOfDate(At(1900, 2, 10)), 28);
    EXPECT_EQ(DaysInMonthOfDate(At(2023, 12, 31)), 31);
    EXPECT_EQ(At(1970, 1, 1), UnixEpochDay);
    EXPECT_EQ(At(1899, 12, 30), 0.0);
    EXPECT_EQ(Stamp(-1.25), "1899-12-29 06:00:00.000");
}

TEST(TimeUtils, NthWeekdayOfMonth)
{
    const struct {
        int year, month, n, weekday;
        const char* expected;
    } cases[] = {
        { 2024, 3, 5, 1, "2024-03-31" }, // last Sunday
        { 2024, 10, 5, 1, "2024-10-27" },
        { 2024, 2, 5, 5, "2024-02-29" }, // last Thursday falls on the leap day
        { 2023, 2, 5, 5, "2023-02-23" },
        { 2024, 9, 1, 1, "2024-09-01" }, // the first is a Sunday
        { 2024, 10, 1, 1, "2024-10-06" },
        { 2024, 10, 4, 7, "2024-10-26" }, // fourth Saturday
        { 2024, 6, 4, 1, "2024-06-23" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Stamp(NthWeekdayOfMonth(c.year, c.month, c.n, c.weekday)).substr(0, 10), c.expected)
            << c.year << "-" << c.month << " n=" << c.n;
    EXPECT_EQ(NthWeekdayOfMonth(2024, 3, 0, 1), 0.0);
    EXPECT_EQ(NthWeekdayOfMonth(2024, 3, 6, 1), 0.0);
    EXPECT_EQ(NthWeekdayOfMonth(2024, 13, 1, 1), 0.0);
}

TEST(TimeUtils, RuleDates)
{
    EXPECT_EQ(Stamp(RuleDate(Rule(3, 5, 0, 2), 2025)), "2025-03-30 02:00:00.000");
    EXPECT_EQ(RuleDate(TSystemTime {}, 2025), 0.0);
    const TSystemTime absolute = Rule(4, 0, 0, 3, 2024, 7);
    EXPECT_EQ(Stamp(RuleDate(absolute, 2024)), "2024-04-07 03:00:00.000");
    EXPECT_EQ(RuleDate(absolute, 2025), 0.0);
    EXPECT_EQ(RuleDate(Rule(3, 9, 0, 2), 2025), 0.0);
}

TEST(TimeUtils, UtcToLocalAroundTheDaylightEdges)
{
    const struct {
        const TTimeZoneInformation* zone;
        TDateTime utc;
        const char* local;
    } cases[] = {
        { &Central, At(2024, 7, 1, 12), "2024-07-01 14:00:00.000" },
        { &Central, At(2024, 1, 1, 12), "2024-01-01 13:00:00.000" },
        { &Central, At(2024, 3, 31, 1), "2024-03-31 03:00:00.000" }, // exactly at the start: daylight
        { &Central, At(2024, 3, 31, 0, 59, 59, 999), "2024-03-31 01:59:59.999" },
        { &Central, At(2024, 10, 27, 1), "2024-10-27 02:00:00.000" }, // exactly at the end: standard
        { &Central, At(2024, 10, 27, 0, 59, 59, 999), "2024-10-27 02:59:59.999" },
        { &Central, At(2024, 12, 31, 23, 30), "2025-01-01 00:30:00.000" },
        { &Sydney, At(2024, 1, 15), "2024-01-15 11:00:00.000" },
        { &Sydney, At(2024, 7, 1), "2024-07-01 10:00:00.000" },
        { &Sydney, At(2024, 4, 6, 16), "2024-04-07 02:00:00.000" }, // at the end: standard
        { &Sydney, At(2024, 4, 6, 15, 59, 59, 999), "2024-04-07 02:59:59.999" },
        { &Sydney, At(2024, 10, 5, 16), "2024-10-06 03:00:00.000" }, // at the start: daylight
        { &Sydney, At(2024, 10, 5, 15, 59, 59, 999), "2024-10-06 01:59:59.999" },
        { &Sydney, At(2024, 12, 31, 20), "2025-01-01 07:00:00.000" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Stamp(UtcToLocalByRules(*c.zone, c.utc)), c.local) << Stamp(c.utc);
}

TEST(TimeUtils, ZonesWithoutUsableRulesUseTheBiasAlone)
{
    TTimeZoneInformation eastern = Zone(300, -60, TSystemTime {}, TSystemTime {});
    eastern.StandardBias = 30; // not applied without rules
    EXPECT_EQ(Stamp(UtcToLocalByRules(eastern, At(2024, 7, 1, 12))), "2024-07-01 07:00:00.000");
    const TTimeZoneInformation halfRule = Zone(-60, -60, Rule(10, 5, 0, 3), TSystemTime {});
    EXPECT_EQ(Stamp(UtcToLocalByRules(halfRule, At(2024, 7, 1, 12))), "2024-07-01 13:00:00.000");
    // An absolute rule applies only in its own year.
    const TTimeZoneInformation once = Zone(-60, -60, Rule(10, 0, 0, 3, 2024, 27), Rule(3, 0, 0, 2, 2024, 31));
    EXPECT_EQ(Stamp(UtcToLocalByRules(once, At(2024, 7, 1, 12))), "2024-07-01 14:00:00.000");
    EXPECT_EQ(Stamp(UtcToLocalByRules(once, At(2025, 7, 1, 12))), "2025-07-01 13:00:00.000");
}

TEST(TimeUtils, UnixSeconds)
{
    EXPECT_EQ(Stamp(UnixToLocalByRules(Utc, 0)), "1970-01-01 00:00:00.000");
    EXPECT_EQ(Stamp(UnixToLocalByRules(Central, 0)), "1970-01-01 01:00:00.000");
    EXPECT_EQ(Stamp(UnixToLocalByRules(Utc, -1)), "2106-02-07 06:28:15.000"); // 4,294,967,295 s
    EXPECT_EQ(Stamp(UnixToLocalByRules(Utc, 1700000000)), "2023-11-14 22:13:20.000");

    EXPECT_EQ(DateTimeToUnix(UnixEpochDay), 0u);
    EXPECT_EQ(DateTimeToUnix(At(2024, 1, 1, 10, 0, 1)), 1704103201u);
    EXPECT_EQ(DateTimeToUnix(At(2024, 1, 1, 10, 0, 1, 999)), 1704103201u); // truncated
    EXPECT_EQ(DateTimeToUnix(At(2038, 1, 19, 3, 14, 7)), 2147483647u);
    EXPECT_EQ(DateTimeToUnix(At(2038, 1, 19, 3, 14, 8)), 2147483648u);
    EXPECT_EQ(DateTimeToUnix(At(2106, 2, 7, 6, 28, 16)), 0u); // wraps at 2^32
    EXPECT_EQ(DateTimeToUnix(At(1969, 12, 31, 23, 59, 59)), 4294967295u);
    for (uint32_t s = 0; s < 4000000000u; s += 99999989u)
        EXPECT_EQ(DateTimeToUnix(UnixToLocalByRules(Utc, static_cast<int32_t>(s))), s);
}

TEST(TimeUtils, SystemTimeConversions)
{
    const TSystemTime t { 2024, 2, 4 /* ignored on input */, 29, 13, 45, 30, 250 };
    EXPECT_EQ(SystemTimeToUnix(t), 1709214330u);
    EXPECT_EQ(Stamp(SysTimeToDateTime(t)), "2024-02-29 13:45:30.250");
    TSystemTime filled {};
    FillSystemTime(filled, SysTimeToDateTime(t));
    EXPECT_EQ(filled.wDayOfWeek, 4); // a Thursday
    EXPECT_EQ(filled.wMilliseconds, 250);

    const TSystemTime invalid { 2023, 2, 0, 29, 0, 0, 0, 0 };
    EXPECT_EQ(SysTimeToDateTime(invalid), 0.0);
    EXPECT_EQ(SystemTimeToUnix(invalid), 0u);
}

uint32_t AsReceived(const unsigned char (&Bytes)[4])
{
    uint32_t word;
    std::memcpy(&word, Bytes, 4);
    return word;
}

TEST(TimeUtils, NtpTimeStamps)
{
    const unsigned char epoch1970[] = { 0x83, 0xAA, 0x7E, 0x80 }; // 2,208,988,800
    const unsigned char half[] = { 0x80, 0x00, 0x00, 0x00 };
    const unsigned char zero[] = { 0, 0, 0, 0 };
    const unsigned char one[] = { 0, 0, 0, 1 };
    const unsigned char almostOne[] = { 0xFF, 0xFF, 0xFF, 0xFF };
    EXPECT_EQ(
        Stamp(NtpToLocalByRules(Utc, AsReceived(epoch1970), AsReceived(half))), "1970-01-01 00:00:00.500");
    EXPECT_EQ(Stamp(NtpToLocalByRules(Central, AsReceived(epoch1970), AsReceived(half))),
        "1970-01-01 01:00:00.500");
    EXPECT_EQ(Stamp(NtpToLocalByRules(Utc, AsReceived(epoch1970), AsReceived(almostOne))),
        "1970-01-01 00:00:01.000");
    // After the 2036 wrap of the NTP seconds counter.
    EXPECT_EQ(Stamp(NtpToLocalByRules(Utc, AsReceived(zero), AsReceived(zero))), "2036-02-07 06:28:16.000");
    EXPECT_EQ(Stamp(NtpToLocalByRules(Utc, AsReceived(one), AsReceived(zero))), "2036-02-07 06:28:17.000");
}

} // namespace
