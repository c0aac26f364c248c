// MailServices: the portable base services (UTF-8/UTF-16 by the own codec, no code pages,
// formatted text passed through) and the process-wide binding that a test may replace.
#include "mime/MailServices.h"
#include "foundation/UTF8Codec.h"
#include <cmath>
#include <cstdio>

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

std::string TMailServices::LocalDateTimeText(TDateTime Utc)
{
    TSystemTime time{};
    FillSystemTime(time, Utc);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u, %02u:%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
                  time.wMinute);
    return text;
}

std::string TMailServices::DecodeIdnText(const std::string& Text) { return Text; }

std::string TMailServices::FileTypeName(const std::string&, const std::string&) { return {}; }

namespace {
TMailServices* boundServices = nullptr;
}

TMailServices& MailServices() { return boundServices ? *boundServices : DefaultMailServices(); }

void BindMailServices(TMailServices* Services) { boundServices = Services; }
