// The message model's Windows services under Wine: a message date is shown as local time in the
// user's short date and short time formats, and the UTC display text uses the long time format.
#include "mime/MailServices.h"
#include "mime/MailUtils.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* Text)
{
    char utf8[256];
    const int length = WideCharToMultiByte(CP_UTF8, 0, Text, -1, utf8, sizeof utf8, nullptr, nullptr);
    return length > 1 ? std::string(utf8, length - 1) : std::string();
}

TEST(MailServicesWin, DatesAreLocalTimeInTheUsersFormats)
{
    TDateTime utc = 0;
    std::string display;
    ASSERT_TRUE(ParseDateHeader("Tue, 8 Dec 2026 20:50:34 +0100", utc, display));
    // The same instant through the file-time conversion of the system's current zone.
    const SYSTEMTIME utcTime = {2026, 12, 2, 8, 19, 50, 34, 0};
    FILETIME file, localFile;
    SYSTEMTIME local;
    ASSERT_TRUE(SystemTimeToFileTime(&utcTime, &file) && FileTimeToLocalFileTime(&file, &localFile) &&
                FileTimeToSystemTime(&localFile, &local));
    wchar_t date[64], time[64], longTime[64], namedDate[64];
    ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 64), 0);
    ASSERT_GT(GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &local, nullptr, time, 64), 0);
    ASSERT_GT(GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &utcTime, nullptr, longTime, 64), 0);
    ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, 0, &utcTime, L"ddd, d MMM yyyy", namedDate, 64), 0);
    EXPECT_EQ(DefaultMailServices().LocalDateTimeText(utc), Utf8(date) + ", " + Utf8(time));
    // The display text names the day and month in the user's language.
    EXPECT_EQ(display, Utf8(namedDate) + ", " + Utf8(longTime) + " (UTC)");
}

} // namespace
