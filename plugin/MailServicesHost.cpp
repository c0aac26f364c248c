// The message model's services over the foundation's HTML, rich-text and editor-library units.
#include "plugin/MailServicesHost.h"

#include "foundation/FileUtilsWin.h"
#include "foundation/HtsTerConverter.h"
#include "foundation/RichEd20.h"
#include "foundation/Tidy.h"

namespace {

class THostMailServices : public TMailServices {
public:
    std::string LocaleToUtf8(const std::string& Text) override { return Default().LocaleToUtf8(Text); }
    std::string Utf8ToLocale(const std::string& Text) override { return Default().Utf8ToLocale(Text); }
    std::string LocaleToUcs2(const std::string& Text) override { return Default().LocaleToUcs2(Text); }
    std::string Ucs2ToLocale(const std::string& Text) override { return Default().Ucs2ToLocale(Text); }
    std::string Utf8ToUcs2(const std::string& Text) override { return Default().Utf8ToUcs2(Text); }
    std::string Ucs2ToUtf8(const std::string& Text) override { return Default().Ucs2ToUtf8(Text); }
    std::string CharsetToLocale(const std::string& Text, const std::string& Charset) override
    {
        return Default().CharsetToLocale(Text, Charset);
    }
    std::string CharsetToUtf8(const std::string& Text, const std::string& Charset) override
    {
        return Default().CharsetToUtf8(Text, Charset);
    }
    std::string Utf8ToCharset(const std::string& Text, const std::string& Charset) override
    {
        return Default().Utf8ToCharset(Text, Charset);
    }
    std::string LocaleToCharset(const std::string& Text, const std::string& Charset) override
    {
        return Default().LocaleToCharset(Text, Charset);
    }
    std::string NormalizeCharsetName(const std::string& Charset) override { return Default().NormalizeCharsetName(Charset); }
    std::string LongTimeText(TDateTime Value) override { return Default().LongTimeText(Value); }
    std::string ShortNamedDateText(TDateTime Value) override { return Default().ShortNamedDateText(Value); }
    std::string LocalDateTimeText(TDateTime Utc) override { return Default().LocalDateTimeText(Utc); }

    // Without libtidy the HTML stays as it came. The HTML is cleaned as the bytes it is, not as
    // UTF-8: the editor makes it from ANSI text and the mail client's window takes ANSI back, and
    // read as UTF-8 every character outside ASCII would become a replacement character.
    std::string CleanHtml(const std::string& Html) override
    {
        if (!TidyAvailable())
            return Html;
        THtmlData cleaned;
        TidyHtml(Html, "", false, false, false, cleaned);
        return cleaned.HtmlText.empty() ? Html : cleaned.HtmlText;
    }
    std::string HtmlToRtf(const std::string& Html, int Width) override
    {
        int height = 0;
        std::string rtf;
        ::HtmlToRtf(Html, Width, height, rtf);
        return rtf;
    }
    std::string RtfToHtml(const std::string& Rtf) override
    {
        int height = 0;
        std::string html;
        ::RtfToHtml(Rtf, 0, height, html);
        return html;
    }
    std::string RtfToText(const std::string& Rtf, bool Wide) override { return RtfToPlainText(Rtf, Wide); }
    std::string PlainTextToRtf(const std::string& AnsiText, const TRtfFontSpec& Font) override
    {
        TRtfFont font;
        font.FaceName = Font.Face;
        font.Size = Font.Size;
        font.Effects = Font.Effects;
        return ::PlainTextToRtf(AnsiText, font, false);
    }
    std::string DecodeIdnText(const std::string& Text) override { return ::DecodeIdnText(Text); }
    std::string FileTypeName(const std::string& FileName, const std::string& MimeType) override
    {
        return LocaleToUtf8(GetFileTypeName(Utf8ToLocale(FileName), MimeType));
    }

private:
    static TMailServices& Default() { return DefaultMailServices(); }
};

THostMailServices& HostServices()
{
    static THostMailServices services;
    return services;
}

} // namespace

void BindHostMailServices()
{
    BindMailServices(&HostServices());
}

void UnbindHostMailServices()
{
    BindMailServices(nullptr);
}
