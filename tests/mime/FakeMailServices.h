// Test services for the message model: ANSI is ISO-8859-1 and the named charsets are UTF-8,
// US-ASCII and the Latin-1 family, so conversions are exact and need no system code pages.
#pragma once
#include "foundation/UTF8Codec.h"
#include "mime/MailServices.h"
#include <string>

class TLatin1MailServices : public TMailServices {
public:
    // Results are built in blocks of their final size: a test of burning sees only the model's
    // own blocks let go.
    static std::string Latin1ToUtf8(const std::string& Text)
    {
        std::string out;
        out.reserve(Text.size() * 2);
        for (unsigned char c : Text) {
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return out;
    }
    // Empty when the text holds a character outside Latin-1 or is no UTF-8.
    static std::string Utf8ToLatin1(const std::string& Text)
    {
        std::string out;
        out.reserve(Text.size());
        for (std::size_t i = 0; i < Text.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(Text[i]);
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else if ((c == 0xC2 || c == 0xC3) && i + 1 < Text.size()) {
                out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(Text[++i]) & 0x3F));
            } else {
                return {};
            }
        }
        return out;
    }
    static bool IsLatin1Name(const std::string& Charset)
    {
        return Charset == "ISO-8859-1" || Charset == "WINDOWS-1252" || Charset == "ISO-8859-15";
    }
    static std::string Upper(std::string Text)
    {
        for (char& c : Text)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 32);
        return Text;
    }

    std::string LocaleToUtf8(const std::string& Text) override { return Latin1ToUtf8(Text); }
    std::string LocaleToUcs2(const std::string& Text) override { return DecodeUtf8(Latin1ToUtf8(Text)); }
    std::string Ucs2ToLocale(const std::string& Text) override { return Utf8ToLatin1(EncodeUtf8(Text)); }
    std::string Utf8ToLocale(const std::string& Text) override { return Utf8ToLatin1(Text); }
    std::string CharsetToUtf8(const std::string& Text, const std::string& Charset) override
    {
        const std::string name = Upper(Charset);
        if (name == "UTF-8" || name == "US-ASCII")
            return Text;
        return IsLatin1Name(name) ? Latin1ToUtf8(Text) : std::string();
    }
    std::string CharsetToLocale(const std::string& Text, const std::string& Charset) override
    {
        const std::string name = Upper(Charset);
        if (name == "UTF-8")
            return Utf8ToLatin1(Text);
        return IsLatin1Name(name) || name == "US-ASCII" ? Text : std::string();
    }
    std::string Utf8ToCharset(const std::string& Text, const std::string& Charset) override
    {
        const std::string name = Upper(Charset);
        if (name == "UTF-8")
            return Text;
        return IsLatin1Name(name) ? Utf8ToLatin1(Text) : std::string();
    }
};

// Binds the test services for the life of a test.
class TBoundLatin1Services {
public:
    TBoundLatin1Services() { BindMailServices(&Services); }
    ~TBoundLatin1Services() { BindMailServices(nullptr); }
    TBoundLatin1Services(const TBoundLatin1Services&) = delete;
    TBoundLatin1Services& operator=(const TBoundLatin1Services&) = delete;

private:
    TLatin1MailServices Services;
};
