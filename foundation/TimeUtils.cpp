// Portable date-time arithmetic: the proleptic Gregorian calendar over TDateTime, daylight-saving
// rules of a time-zone record, Unix seconds and NTP time stamps.
#include "foundation/TimeUtils.h"

#include <cmath>

namespace {

constexpr int64_t MSecsPerDay = 86400000;
constexpr double MinutesPerDay = 1440.0;
// A value this close to a transition counts as being at it (float noise of the rule arithmetic).
constexpr double TransitionTolerance = 0.1 / MSecsPerDay;

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Value)
{
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInMonth(Year, Month))
        return false;
    Value = static_cast<double>(DaysFromCivil(Year, Month, Day)) + UnixEpochDay;
    return true;
}

bool TryEncodeTime(int Hour, int Minute, int Second, int MSec, TDateTime& Value)
{
    if (Hour < 0 || Hour > 23 || Minute < 0 || Minute > 59 || Second < 0 || Second > 59 || MSec < 0
        || MSec > 999)
        return false;
    Value = (((Hour * 60.0 + Minute) * 60.0 + Second) * 1000.0 + MSec) / MSecsPerDay;
    return true;
}

// A date-time split into its day number (days since 30 December 1899, as the integer part reads)
// and the milliseconds of the day, rounded to the nearest millisecond.
struct TDayAndTime {
    int64_t Day;
    int64_t MSec;
};

TDayAndTime SplitDateTime(TDateTime Value)
{
    int64_t day = static_cast<int64_t>(std::trunc(Value));
    int64_t msec = static_cast<int64_t>(std::nearbyint(std::fabs(Value - std::trunc(Value)) * MSecsPerDay));
    if (msec >= MSecsPerDay) {
        msec -= MSecsPerDay;
        day += Value < 0 ? -1 : 1;
    }
    return { day, msec };
}

struct TDecoded {
    TCivilDate Date;
    int Hour, Minute, Second, MSec, DayOfWeek; // DayOfWeek 0 = Sunday
};

TDecoded DecodeDateTime(TDateTime Value)
{
    const TDayAndTime parts = SplitDateTime(Value);
    TDecoded d {};
    d.Date = CivilFromDays(parts.Day - static_cast<int64_t>(UnixEpochDay));
    d.Hour = static_cast<int>(parts.MSec / 3600000);
    d.Minute = static_cast<int>(parts.MSec / 60000 % 60);
    d.Second = static_cast<int>(parts.MSec / 1000 % 60);
    d.MSec = static_cast<int>(parts.MSec % 1000);
    // 30 December 1899 was a Saturday.
    d.DayOfWeek = static_cast<int>(((parts.Day + 6) % 7 + 7) % 7);
    return d;
}

bool EncodeDecoded(const TDecoded& d, TDateTime& Value)
{
    return TryEncodeDateTime(
        d.Date.Year, d.Date.Month, d.Date.Day, d.Hour, d.Minute, d.Second, d.MSec, Value);
}

TDateTime TimeOfRule(const TSystemTime& Rule)
{
    TDateTime time = 0;
    if (!TryEncodeTime(Rule.wHour, Rule.wMinute, Rule.wSecond, Rule.wMilliseconds, time))
        return 0;
    return time;
}

TDateTime UnixSecondsToDateTime(uint32_t Seconds)
{
    return UnixEpochDay + static_cast<double>(Seconds) / 86400.0;
}

uint32_t ByteSwap(uint32_t Value)
{
    return (Value >> 24) | ((Value >> 8) & 0xFF00u) | ((Value << 8) & 0xFF0000u) | (Value << 24);
}

} // namespace

int64_t DaysFromCivil(int Year, int Month, int Day)
{
    const int64_t y = Year - (Month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (Month + (Month > 2 ? -3 : 9)) + 2) / 5 + Day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

TCivilDate CivilFromDays(int64_t Days)
{
    Days += 719468;
    const int64_t era = (Days >= 0 ? Days : Days - 146096) / 146097;
    const int64_t dayOfEra = Days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return { static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0)), month, day };
}

int DaysInMonth(int Year, int Month)
{
    static constexpr int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return Month == 2 && IsLeapYear(Year) ? 29 : days[Month - 1];
}

bool IsLeapYear(int Year)
{
    return (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
}

int YearOfDate(TDateTime Value)
{
    return DecodeDateTime(Value).Date.Year;
}

int MonthOfDate(TDateTime Value)
{
    return DecodeDateTime(Value).Date.Month;
}

int DaysInMonthOfDate(TDateTime Value)
{
    const TCivilDate date = DecodeDateTime(Value).Date;
    return DaysInMonth(date.Year, date.Month);
}

bool TryEncodeDateTime(
    int Year, int Month, int Day, int Hour, int Minute, int Second, int MSec, TDateTime& Value)
{
    TDateTime date = 0, time = 0;
    if (!TryEncodeDate(Year, Month, Day, date) || !TryEncodeTime(Hour, Minute, Second, MSec, time))
        return false;
    // Before 1899-12-30 the day counts down while the time of day still counts up.
    Value = date < 0 ? date - time : date + time;
    return true;
}

TDateTime NthWeekdayOfMonth(int Year, int Month, int N, int Weekday)
{
    TDateTime first = 0;
    if (N < 1 || N > 5 || Weekday < 1 || Weekday > 7 || !TryEncodeDate(Year, Month, 1, first))
        return 0;
    const int firstWeekday = DecodeDateTime(first).DayOfWeek + 1;
    int day = 1 + (Weekday - firstWeekday + 7) % 7 + (N - 1) * 7;
    const int lastDay = DaysInMonth(Year, Month);
    while (day > lastDay)
        day -= 7;
    return first + (day - 1);
}

TDateTime RuleDate(const TSystemTime& Rule, int Year)
{
    if (Rule.wMonth == 0)
        return 0;
    TDateTime date = 0;
    if (Rule.wYear == 0) {
        date = NthWeekdayOfMonth(Year, Rule.wMonth, Rule.wDay, Rule.wDayOfWeek + 1);
    } else if (Rule.wYear == Year && !TryEncodeDate(Year, Rule.wMonth, Rule.wDay, date)) {
        date = 0;
    }
    return date == 0 ? 0 : date + TimeOfRule(Rule);
}

TDateTime UtcToLocalByRules(const TTimeZoneInformation& Zone, TDateTime Utc)
{
    const int year = YearOfDate(Utc);
    const TDateTime daylightRule = RuleDate(Zone.DaylightDate, year);
    const TDateTime standardRule = RuleDate(Zone.StandardDate, year);
    double biasMinutes = Zone.Bias;
    if (daylightRule != 0 && standardRule != 0) {
        const TDateTime start = daylightRule + (Zone.Bias + Zone.StandardBias) / MinutesPerDay;
        const TDateTime end = standardRule + (Zone.Bias + Zone.DaylightBias) / MinutesPerDay;
        const bool fromStart = Utc >= start - TransitionTolerance;
        const bool beforeEnd = Utc < end - TransitionTolerance;
        const bool daylight = start < end ? fromStart && beforeEnd : fromStart || beforeEnd;
        biasMinutes += daylight ? Zone.DaylightBias : Zone.StandardBias;
    }
    const TDateTime local = Utc - biasMinutes / MinutesPerDay;
    TDateTime normalised = 0;
    return EncodeDecoded(DecodeDateTime(local), normalised) ? normalised : local;
}

TDateTime UnixToLocalByRules(const TTimeZoneInformation& Zone, int32_t Seconds)
{
    return UtcToLocalByRules(Zone, UnixSecondsToDateTime(static_cast<uint32_t>(Seconds)));
}

TDateTime NtpToLocalByRules(const TTimeZoneInformation& Zone, uint32_t NetSeconds, uint32_t NetFraction)
{
    const uint32_t unixSeconds = ByteSwap(NetSeconds) - NtpToUnixSeconds;
    const uint64_t msec = uint64_t(ByteSwap(NetFraction)) * 1000 / 0xFFFFFFFFu;
    return UnixToLocalByRules(Zone, static_cast<int32_t>(unixSeconds))
        + static_cast<double>(msec) / MSecsPerDay;
}

uint32_t DateTimeToUnix(TDateTime Value)
{
    // Rounded to the millisecond first so that float noise cannot cost a whole second, then
    // truncated toward zero; the count wraps as a 32-bit value.
    const auto msec = static_cast<int64_t>(std::nearbyint((Value - UnixEpochDay) * MSecsPerDay));
    return static_cast<uint32_t>(static_cast<uint64_t>(msec / 1000));
}

uint32_t SystemTimeToUnix(const TSystemTime& Time)
{
    TDateTime value = 0;
    if (!TryEncodeDateTime(
            Time.wYear, Time.wMonth, Time.wDay, Time.wHour, Time.wMinute, Time.wSecond, 0, value))
        return 0;
    const int64_t seconds = DaysFromCivil(Time.wYear, Time.wMonth, Time.wDay) * 86400 + Time.wHour * 3600
        + Time.wMinute * 60 + Time.wSecond;
    return static_cast<uint32_t>(static_cast<uint64_t>(seconds));
}

TDateTime SysTimeToDateTime(const TSystemTime& Time)
{
    TDateTime value = 0;
    if (!TryEncodeDateTime(Time.wYear, Time.wMonth, Time.wDay, Time.wHour, Time.wMinute, Time.wSecond,
            Time.wMilliseconds, value))
        return 0;
    return value;
}

void FillSystemTime(TSystemTime& Time, TDateTime Value)
{
    const TDecoded d = DecodeDateTime(Value);
    Time.wYear = static_cast<uint16_t>(d.Date.Year);
    Time.wMonth = static_cast<uint16_t>(d.Date.Month);
    Time.wDayOfWeek = static_cast<uint16_t>(d.DayOfWeek);
    Time.wDay = static_cast<uint16_t>(d.Date.Day);
    Time.wHour = static_cast<uint16_t>(d.Hour);
    Time.wMinute = static_cast<uint16_t>(d.Minute);
    Time.wSecond = static_cast<uint16_t>(d.Second);
    Time.wMilliseconds = static_cast<uint16_t>(d.MSec);
}
