// The Windows side of the time helpers: conversions by the current time zone, read from the
// system at every call, and the SYSTEMTIME forms of the portable routines.
#pragma once

#include "foundation/TimeUtils.h"

#include <windows.h>

// The current zone as the portable record.
TTimeZoneInformation CurrentTimeZone();

TDateTime UtcToLocal(TDateTime Utc);
// Local date-time of Unix seconds; a negative value is read as unsigned.
TDateTime UnixToLocal(int32_t Seconds);
// Local date-time of an NTP time stamp; both words as loaded from the packet.
TDateTime NtpToLocal(uint32_t NetSeconds, uint32_t NetFraction);

uint32_t SystemTimeToUnix(const SYSTEMTIME& Time);
TDateTime SysTimeToDateTime(const SYSTEMTIME& Time);
void FillSystemTime(SYSTEMTIME& Time, TDateTime Value);
