// Reads the current Windows time zone for the portable conversions, and maps SYSTEMTIME onto
// the portable record of the same layout.
#include "foundation/TimeUtilsWin.h"

#include <cstddef>
#include <cstring>

static_assert(sizeof(TSystemTime) == sizeof(SYSTEMTIME));
static_assert(sizeof(TTimeZoneInformation) == sizeof(TIME_ZONE_INFORMATION));
static_assert(offsetof(TTimeZoneInformation, DaylightBias) == offsetof(TIME_ZONE_INFORMATION, DaylightBias));

namespace {

TSystemTime ToPortable(const SYSTEMTIME& Time)
{
    TSystemTime result;
    std::memcpy(&result, &Time, sizeof result);
    return result;
}

} // namespace

TTimeZoneInformation CurrentTimeZone()
{
    TIME_ZONE_INFORMATION zone {};
    TTimeZoneInformation result {};
    if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID)
        std::memcpy(&result, &zone, sizeof result);
    return result;
}

TDateTime UtcToLocal(TDateTime Utc)
{
    return UtcToLocalByRules(CurrentTimeZone(), Utc);
}

TDateTime UnixToLocal(int32_t Seconds)
{
    return UnixToLocalByRules(CurrentTimeZone(), Seconds);
}

TDateTime NtpToLocal(uint32_t NetSeconds, uint32_t NetFraction)
{
    return NtpToLocalByRules(CurrentTimeZone(), NetSeconds, NetFraction);
}

uint32_t SystemTimeToUnix(const SYSTEMTIME& Time)
{
    return SystemTimeToUnix(ToPortable(Time));
}

TDateTime SysTimeToDateTime(const SYSTEMTIME& Time)
{
    return SysTimeToDateTime(ToPortable(Time));
}

void FillSystemTime(SYSTEMTIME& Time, TDateTime Value)
{
    TSystemTime portable {};
    FillSystemTime(portable, Value);
    std::memcpy(&Time, &portable, sizeof Time);
}
