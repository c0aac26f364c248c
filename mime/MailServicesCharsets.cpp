// MailServices of the Windows build: the charset unit's conversions (iconv or the code pages) and
// the user's locale for date and time texts.
#include "mime/MailServices.h"
#include "foundation/TimeUtilsWin.h"
#include "foundation/UTF8.h"

#include <windows.h>

namespace {

class TCharsetUnitServices : public TMailServices {
public:
    std::string LocaleToUtf8(const std::string& Text) override { return ::LocaleToUtf8(Text); }
    std::string Utf8ToLocale(const std::string& Text) override { return ::Utf8ToLocale(Text); }
    std::string LocaleToUcs2(const std::string& Text) override { return ::LocaleToUcs2(Text); }
    std::string Ucs2ToLocale(const std::string& Text) override { return ::Ucs2ToLocale(Text); }
    std::string Utf8ToUcs2(const std::string& Text) override { return ::Utf8ToUcs2(Text); }
    std::string Ucs2ToUtf8(const std::string& Text) override { return ::Ucs2ToUtf8(Text); }
    std::string CharsetToLocale(const std::string& Text, const std::string& Charset) override
    {
        return ::CharsetToLocale(Text, Charset);
    }
    std::string CharsetToUtf8(const std::string& Text, const std::string& Charset) override
    {
        return ::CharsetToUtf8(Text, Charset);
    }
    std::string Utf8ToCharset(const std::string& Text, const std::string& Charset) override
    {
        return ::Utf8ToCharset(Text, Charset);
    }
    std::string LocaleToCharset(const std::string& Text, const std::string& Charset) override
    {
        return ::LocaleToCharset(Text, Charset);
    }
    std::string NormalizeCharsetName(const std::string& Charset) override { return ::NormalizeCharsetName(Charset); }

    std::string LongTimeText(TDateTime Value) override
    {
        const SYSTEMTIME time = ToSystemTime(Value);
        const std::string text = TimeText(time, 0);
        return text.empty() ? TMailServices::LongTimeText(Value) : text;
    }

    std::string ShortNamedDateText(TDateTime Value) override
    {
        wchar_t text[128];
        const SYSTEMTIME time = ToSystemTime(Value);
        if (GetDateFormatW(LOCALE_USER_DEFAULT, 0, &time, L"ddd, d MMM yyyy", text, 128) > 0)
            return Utf8Of(text);
        return TMailServices::ShortNamedDateText(Value);
    }

    // Short date and short time ("ddddd, t") in the user's locale, of the UTC value's local time by
    // the zone's rules as the system gives them now.
    std::string LocalDateTimeText(TDateTime Utc) override
    {
        const SYSTEMTIME local = ToSystemTime(UtcToLocal(Utc));
        const std::string date = DateText(local, DATE_SHORTDATE);
        const std::string time = TimeText(local, TIME_NOSECONDS);
        if (date.empty() || time.empty())
            return TMailServices::LocalDateTimeText(Utc);
        return date + ", " + time;
    }

private:
    static SYSTEMTIME ToSystemTime(TDateTime Value)
    {
        TSystemTime time{};
        FillSystemTime(time, Value);
        static_assert(sizeof(TSystemTime) == sizeof(SYSTEMTIME), "same layout as SYSTEMTIME");
        SYSTEMTIME result;
        CopyMemory(&result, &time, sizeof result);
        return result;
    }

    static std::string Utf8Of(const wchar_t* Text)
    {
        char utf8[256];
        const int length = WideCharToMultiByte(CP_UTF8, 0, Text, -1, utf8, sizeof utf8, nullptr, nullptr);
        return length > 1 ? std::string(utf8, length - 1) : std::string();
    }

    static std::string DateText(const SYSTEMTIME& Time, DWORD Flags)
    {
        wchar_t text[128];
        return GetDateFormatW(LOCALE_USER_DEFAULT, Flags, &Time, nullptr, text, 128) > 0 ? Utf8Of(text) : std::string();
    }

    static std::string TimeText(const SYSTEMTIME& Time, DWORD Flags)
    {
        wchar_t text[128];
        return GetTimeFormatW(LOCALE_USER_DEFAULT, Flags, &Time, nullptr, text, 128) > 0 ? Utf8Of(text) : std::string();
    }
};

} // namespace

TMailServices& DefaultMailServices()
{
    static TCharsetUnitServices services;
    return services;
}
