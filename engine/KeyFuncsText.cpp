// Text forms used by the key lists and key searches: names from distinguished names, fingerprint
// and key-id texts, and the comma-text split of a search text. Pure text code.
#include "engine/KeyFuncsTypes.h"

namespace {

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

struct TDNPiece {
    std::string value;
    std::string withName;
    size_t end = 0; // where the value stops; 0 when the attribute is absent
};

// The first "name=" at or after `from`, its value running to the next comma.
TDNPiece FindDNAttribute(const std::string& dn, const std::string& name, size_t from)
{
    TDNPiece piece;
    const size_t at = dn.find(name, from);
    if (at == std::string::npos)
        return piece;
    const size_t start = at + name.size();
    size_t stop = dn.find(',', start);
    if (stop == std::string::npos)
        stop = dn.size();
    piece.value = dn.substr(start, stop - start);
    piece.withName = dn.substr(at, stop - at);
    piece.end = stop;
    return piece;
}

// The main attribute and the one searched after its value: CN/EMAIL, or O/OU when neither exists.
std::pair<TDNPiece, TDNPiece> FindDNPair(const std::string& dn)
{
    for (const auto& [first, second] : { std::pair { "CN=", "EMAIL=" }, std::pair { "O=", "OU=" } }) {
        TDNPiece a = FindDNAttribute(dn, first, 0);
        TDNPiece b = FindDNAttribute(dn, second, a.end);
        if (a.end || b.end)
            return { a, b };
    }
    return {};
}

} // namespace

std::string DNToUserID(const std::string& dn)
{
    const auto [a, b] = FindDNPair(dn);
    if (a.end && b.end)
        return a.value + " <" + b.value + ">";
    if (a.end)
        return a.value;
    if (b.end)
        return "<" + b.value + ">";
    return {};
}

std::string DNShortForm(const std::string& dn, bool all)
{
    const auto [a, b] = FindDNPair(dn);
    if (!a.end)
        return b.withName;
    if (!all || !b.end)
        return a.withName;
    return a.withName + ", " + b.withName;
}

std::string FingerprintText(const uint8_t* bytes, size_t length)
{
    static const char digits[] = "0123456789ABCDEF";
    const size_t groups = (length + 1) / 2;
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        if (i > 0 && i % 2 == 0)
            text += (i / 2 == groups / 2) ? "  " : " ";
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

std::string ShortKeyIDText(const std::string& fullKeyIDText)
{
    if (fullKeyIDText.size() < 10)
        return fullKeyIDText;
    return "0x" + fullKeyIDText.substr(fullKeyIDText.size() - 8);
}

int32_t MapHashAlgorithm(int32_t sdkHash)
{
    return sdkHash < 4 ? sdkHash + 1 : sdkHash - 3;
}

bool KeyAlgorithmSupported(int32_t algorithm)
{
    return (algorithm >= 1 && algorithm <= 3) || algorithm == 16 || algorithm == 17 || algorithm == 20;
}

bool IsKeyIDText(const std::string& text)
{
    if ((text.size() != 10 && text.size() != 18) || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return false;
    for (size_t i = 2; i < text.size(); ++i)
        if (!IsHexDigit(text[i]))
            return false;
    return true;
}
