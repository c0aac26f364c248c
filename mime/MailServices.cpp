// MailServices: the portable base services (UTF-8/UTF-16 by the own codec, no code pages,
// formatted text passed through) and the process-wide binding that a test may replace.
#include "mime/MailServices.h"
#include "foundation/UTF8Codec.h"
#include <cmath>
#include <cstdio>
#include <ctime>

std::string TMailServices::LocaleToUtf8(const std::string&) { return {}; }
std::string TMailServices::Utf8ToLocale(const std::string&) { return {}; }
std::string TMailServices::LocaleToUcs2(const std::string&) { return {}; }
std::string TMailServices::Ucs2ToLocale(const std::string&) { return {}; }
std::string TMailServices::Utf8ToUcs2(const std::string& Text) { return DecodeUtf8(WithoutUtf8Bom(Text)); }
std::string TMailServices::Ucs2ToUtf8(const std::string& Text) { return EncodeUtf8(Text); }
std::string TMailServices::CharsetToLocale(const std::string&, const std::string&) { return {}; }
std::string TMailServices::CharsetToUtf8(const std::string&, const std::string&) { return {}; }
std::string TMailServices::Utf8ToCharset(const std::string&, const std::string&) { return {}; }
std::string TMailServices::LocaleToCharset(const std::string&, const std::string&) { return {}; }

std::string TMailServices::NormalizeCharsetName(const std::string& Charset)
{
    std::string name;
    for (char c : Charset)
        name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    if (name.empty() || name == "CHAR" || name == "US-ASCII")
        return "WINDOWS-1252";
    if (name == "ISO-8859-1")
        return "WINDOWS-1252";
    return name;
}

std::string TMailServices::CleanHtml(const std::string& Html) { return Html; }
std::string TMailServices::HtmlToRtf(const std::string& Html, int) { return Html; }
std::string TMailServices::RtfToText(const std::string& Rtf, bool) { return Rtf; }
std::string TMailServices::PlainTextToRtf(const std::string& AnsiText, const TRtfFontSpec&) { return AnsiText; }
std::string TMailServices::RtfToHtml(const std::string& Rtf) { return Rtf; }

std::string TMailServices::LongTimeText(TDateTime Value)
{
    const double fraction = Value - std::floor(Value);
    long seconds = std::lround(fraction * 86400.0) % 86400;
    char text[16];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

std::string TMailServices::ShortNamedDateText(TDateTime Value)
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    TSystemTime time{};
    FillSystemTime(time, Value);
    char text[32];
    std::snprintf(text, sizeof text, "%s, %u %s %u", days[time.wDayOfWeek % 7], time.wDay,
                  months[(time.wMonth + 11) % 12], time.wYear);
    return text;
}

namespace {

// The local time of a UTC value by the C library, which knows the user's zone wherever the
// system's own date texts are not to be had; false when it cannot say.
bool CLibraryLocalTime(TDateTime Utc, std::tm& Local)
{
    const double seconds = std::floor((Utc - UnixEpochDay) * 86400.0 + 0.5);
    if (!(seconds >= 0 && seconds < 253402300800.0)) // years 1970 to 9999
        return false;
    const std::time_t value = static_cast<std::time_t>(seconds);
#ifdef _WIN32
    return localtime_s(&Local, &value) == 0;
#else
    return localtime_r(&value, &Local) != nullptr;
#endif
}

} // namespace

std::string TMailServices::LocalDateTimeText(TDateTime Utc)
{
    char text[32];
    std::tm local {};
    if (CLibraryLocalTime(Utc, local)) {
        std::snprintf(text, sizeof text, "%04d-%02d-%02d, %02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                      local.tm_mday, local.tm_hour, local.tm_min);
        return text;
    }
    TSystemTime time{};
    FillSystemTime(time, Utc);
    std::snprintf(text, sizeof text, "%04u-%02u-%02u, %02u:%02u (UTC)", time.wYear, time.wMonth, time.wDay,
                  time.wHour, time.wMinute);
    return text;
}

std::string TMailServices::DecodeIdnText(const std::string& Text) { return Text; }

std::string TMailServices::FileTypeName(const std::string&, const std::string&) { return {}; }

namespace {
TMailServices* boundServices = nullptr;
}

TMailServices& MailServices() { return boundServices ? *boundServices : DefaultMailServices(); }

void BindMailServices(TMailServices* Services) { boundServices = Services; }
