// MailServices: the few services of the host system that the message model needs (code-page
// conversions, the formatted-text converters, the locale's time text), behind one small
// interface so that the model itself stays portable and testable without Windows.
#pragma once
#include "foundation/TimeUtils.h"
#include <cstdint>
#include <string>

// The font a plain text is given when it becomes rich text for an HTML host window.
struct TRtfFontSpec {
    std::string Face;     // empty keeps the control's face
    int32_t Size = 0;     // points; 0 keeps the size
    uint32_t Effects = 0; // character-format effect bits; 0 means automatic colour only
};

// Every conversion returns an empty text on failure; the model's wrappers supply the fallbacks.
// UTF-16 texts are held in byte strings ending in a two-byte NUL that counts in the length.
class TMailServices {
public:
    virtual ~TMailServices() = default;

    virtual std::string LocaleToUtf8(const std::string& Text);
    virtual std::string Utf8ToLocale(const std::string& Text);
    virtual std::string LocaleToUcs2(const std::string& Text);
    virtual std::string Ucs2ToLocale(const std::string& Text);
    virtual std::string Utf8ToUcs2(const std::string& Text);
    virtual std::string Ucs2ToUtf8(const std::string& Text);
    virtual std::string CharsetToLocale(const std::string& Text, const std::string& Charset);
    virtual std::string CharsetToUtf8(const std::string& Text, const std::string& Charset);
    virtual std::string Utf8ToCharset(const std::string& Text, const std::string& Charset);
    virtual std::string LocaleToCharset(const std::string& Text, const std::string& Charset);
    // Upper-cased; empty, "CHAR" and "US-ASCII" name the ANSI code page, "ISO-8859-1" WINDOWS-1252.
    virtual std::string NormalizeCharsetName(const std::string& Charset);

    // Formatted text: the defaults pass the text through unchanged until the converters exist.
    virtual std::string CleanHtml(const std::string& Html);
    virtual std::string HtmlToRtf(const std::string& Html, int Width);
    virtual std::string RtfToText(const std::string& Rtf, bool Flag02);
    virtual std::string PlainTextToRtf(const std::string& AnsiText, const TRtfFontSpec& Font);
    virtual std::string RtfToHtml(const std::string& Rtf);

    // The locale's long time text of a date-time (default: 24-hour "HH:mm:ss").
    virtual std::string LongTimeText(TDateTime Value);
    // A date as "ddd, d mmm yyyy" with the locale's short day and month names, UTF-8 (default:
    // the English names).
    virtual std::string ShortNamedDateText(TDateTime Value);
    // A UTC date-time as the user's local short date and short time, UTF-8 (default: the local
    // time by the C library as "yyyy-mm-dd, HH:mm"; the UTC value with " (UTC)" where it has none).
    virtual std::string LocalDateTimeText(TDateTime Utc);
    // Display form of international domain labels in a header value (default: unchanged).
    virtual std::string DecodeIdnText(const std::string& Text);
    // The system's name for the type of a file (UTF-8), by its name and MIME type; empty when the
    // system knows none (the default).
    virtual std::string FileTypeName(const std::string& FileName, const std::string& MimeType);
};

// The services bound for the process; DefaultMailServices until BindMailServices gives others.
TMailServices& MailServices();
// On Windows the charset unit's conversions; natively the portable base services.
TMailServices& DefaultMailServices();
// Binds Services (not owned; must outlive its use); nullptr restores the default.
void BindMailServices(TMailServices* Services);
