// Date-time arithmetic of the system's own time handling: UTC to local time by time-zone rules,
// Unix seconds and NTP time stamps. Portable: the zone is a passed-in record; the Windows calls
// that read the current zone live in TimeUtilsWin.h.
#pragma once

#include <cstdint>

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

constexpr TDateTime UnixEpochDay = 25569.0;
constexpr uint32_t NtpToUnixSeconds = 2208988800u;

// Same members and layout as the Windows SYSTEMTIME record. wDayOfWeek: 0 = Sunday.
struct TSystemTime {
    uint16_t wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};

// Same members and layout as the Windows TIME_ZONE_INFORMATION record; biases in minutes,
// local = UTC - bias. A transition rule with wMonth 0 means "no rule"; wYear 0 a recurring rule.
struct TTimeZoneInformation {
    int32_t Bias;
    char16_t StandardName[32];
    TSystemTime StandardDate;
    int32_t StandardBias;
    char16_t DaylightName[32];
    TSystemTime DaylightDate;
    int32_t DaylightBias;
};

// Calendar helpers (proleptic Gregorian).
struct TCivilDate {
    int Year, Month, Day;
};
// Days since 1970-01-01 of a civil date, and back.
int64_t DaysFromCivil(int Year, int Month, int Day);
TCivilDate CivilFromDays(int64_t Days);
int DaysInMonth(int Year, int Month);
bool IsLeapYear(int Year);
int YearOfDate(TDateTime Value);
int MonthOfDate(TDateTime Value);
int DaysInMonthOfDate(TDateTime Value);
// Date of the N-th (1-4, 5 = last) Weekday (1-7, Sunday = 1) of the month; 0 for any other N.
TDateTime NthWeekdayOfMonth(int Year, int Month, int N, int Weekday);
// Date and time of a transition rule in Year; 0 when the rule does not apply.
TDateTime RuleDate(const TSystemTime& Rule, int Year);

// Encodes a date and time; false when a member is out of range.
bool TryEncodeDateTime(
    int Year, int Month, int Day, int Hour, int Minute, int Second, int MSec, TDateTime& Value);

TDateTime UtcToLocalByRules(const TTimeZoneInformation& Zone, TDateTime Utc);
TDateTime UnixToLocalByRules(const TTimeZoneInformation& Zone, int32_t Seconds);
TDateTime NtpToLocalByRules(const TTimeZoneInformation& Zone, uint32_t NetSeconds, uint32_t NetFraction);

// Unix seconds of a date-time; beyond 2,147,483,647 the count wraps as an unsigned 32-bit value.
uint32_t DateTimeToUnix(TDateTime Value);
uint32_t SystemTimeToUnix(const TSystemTime& Time);
TDateTime SysTimeToDateTime(const TSystemTime& Time);
void FillSystemTime(TSystemTime& Time, TDateTime Value);
