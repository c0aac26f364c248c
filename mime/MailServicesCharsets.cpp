// MailServices of the Windows build: the charset unit's conversions (iconv or the code pages).
#include "mime/MailServices.h"
#include "foundation/UTF8.h"

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
};

} // namespace

TMailServices& DefaultMailServices()
{
    static TCharsetUnitServices services;
    return services;
}
