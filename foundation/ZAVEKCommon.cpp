// Product-wide text helpers that need no Windows: language table, version numbers, key-id
// texts and stored key selections.
#include "foundation/ZAVEKCommon.h"

#include "foundation/UserIDs.h"

#include <algorithm>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsUpperHexDigit(char c)
{
    return IsDigit(c) || (c >= 'A' && c <= 'F');
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool SameAsciiText(const std::string& a, const char* b)
{
    const std::string other(b);
    return a.size() == other.size() && std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
        return AsciiLower(x) == AsciiLower(y);
    });
}

// A version's major part is capped so that major × 1000 + 999 still fits an int.
constexpr int MaxVersionMajor = 2147482;

} // namespace

std::string LangIDToCode(uint32_t value)
{
    const uint32_t primary = value & 1023;
    for (const TLangIDs& row : LanguageTable)
        if (row.ID == primary)
            return row.Code;
    return DefaultLanguage.Code;
}

uint16_t LangCodeToID(const std::string& code)
{
    for (const TLangIDs& row : LanguageTable)
        if (SameAsciiText(code, row.Code))
            return row.ID;
    return DefaultLanguage.ID;
}

int VersionTextToNumber(const std::string& text)
{
    size_t pos = 0;
    while (pos < text.size() && !IsDigit(text[pos]))
        ++pos;
    if (pos == text.size())
        return 0;
    int major = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos)
        major = std::min(major * 10 + (text[pos] - '0'), MaxVersionMajor);
    int result = major * 1000;
    for (int weight : { 100, 10, 1 }) {
        if (pos + 1 >= text.size() || text[pos] != '.' || !IsDigit(text[pos + 1]))
            break;
        result += (text[pos + 1] - '0') * weight;
        pos += 2;
        while (pos < text.size() && IsDigit(text[pos]))
            ++pos;
    }
    return result;
}

std::string VersionNumberToText(int n)
{
    if (n <= 0)
        return {};
    const std::string digits = std::to_string(n);
    std::string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && i + 3 >= digits.size())
            text += '.';
        text += digits[i];
    }
    return text;
}

int VersionMajor(int n)
{
    return n / 1000;
}

std::string NormalizeKeyIDText(const std::string& text)
{
    size_t pos = 0;
    while (pos < text.size() && !IsUpperHexDigit(text[pos]))
        ++pos;
    if (pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X'))
        pos += 2;
    size_t end = pos;
    while (end < text.size() && IsUpperHexDigit(text[end]))
        ++end;
    const size_t digits = end - pos;
    if (digits >= 16)
        return "0x" + text.substr(pos, 16);
    if (digits >= 8)
        return "0x" + text.substr(pos, 8);
    return {};
}

int SplitUserIDsAndKeyIDs(const std::string& text, std::string& userIDs, std::string& keyIDs)
{
    constexpr size_t KeyIDTailLength = 18; // "0x" + 16 digits
    size_t split = std::string::npos;
    if (text.size() > KeyIDTailLength && text[text.size() - KeyIDTailLength - 1] == '\\')
        split = text.size() - KeyIDTailLength - 1;
    else
        split = text.rfind('\\');
    if (split == std::string::npos) {
        userIDs.clear();
        keyIDs.clear();
        return 0;
    }
    userIDs = text.substr(0, split);
    keyIDs = text.substr(split + 1);
    if (!keyIDs.empty())
        return static_cast<int>(std::count(keyIDs.begin(), keyIDs.end(), ',')) + 1;
    if (!userIDs.empty())
        return static_cast<int>(std::count(userIDs.begin(), userIDs.end(), '\n')) + 1;
    return 0;
}

std::string EmailOfUserID(const std::string& userID)
{
    return ExtractEmailAddress(userID);
}

std::string NameOfUserID(const std::string& userID)
{
    return ExtractUserName(userID);
}
