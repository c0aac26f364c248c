// MailText: scanning helpers shared by the parts of MailUtils.
#include "mime/MailText.h"
#include "foundation/StrTools.h"
#include <algorithm>

bool IsLineStartAt(const std::string& Text, int32_t Position)
{
    if (Position == 1)
        return true;
    if (Position < 2 || Position - 1 > static_cast<int32_t>(Text.size()))
        return false;
    const char before = Text[Position - 2];
    return before == '\r' || before == '\n';
}

namespace {

bool IsFoldBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

bool IsParameterStart(const std::string& Value, int32_t Position)
{
    int32_t p = Position - 1;
    while (p >= 1 && IsFoldBlank(Value[p - 1]))
        --p;
    return p < 1 || Value[p - 1] == ';';
}

} // namespace

int32_t FindParameterName(const std::string& Value, const std::string& Name, int32_t From)
{
    const int32_t length = static_cast<int32_t>(Value.size());
    if (Name.empty())
        return 0;
    bool quoted = false;
    for (int32_t p = 1; p <= length; ++p) {
        const char c = Value[p - 1];
        if (quoted) {
            if (c == '\\')
                ++p;
            else if (c == '"')
                quoted = false;
            continue;
        }
        if (c == '"') {
            quoted = true;
            continue;
        }
        if (p < From || !TextMatchesAt(Name, Value, p) || !IsParameterStart(Value, p))
            continue;
        int32_t after = p + static_cast<int32_t>(Name.size());
        int32_t q = after;
        while (q <= length && (Value[q - 1] == ' ' || Value[q - 1] == '\t'))
            ++q;
        if (q <= length && (Value[q - 1] == '=' || Value[q - 1] == '*'))
            return after;
    }
    return 0;
}

std::string ParameterValueAt(const std::string& Value, int32_t AfterName)
{
    const int32_t length = static_cast<int32_t>(Value.size());
    if (AfterName < 1 || AfterName > length)
        return {};
    int32_t p = AfterName;
    while (p <= length && (Value[p - 1] == ' ' || Value[p - 1] == '\t' || Value[p - 1] == '='))
        ++p;
    if (p > length)
        return {};
    std::string result;
    if (Value[p - 1] == '"') {
        for (++p; p <= length && Value[p - 1] != '"'; ++p) {
            if (Value[p - 1] == '\\' && p + 1 <= length) {
                result += Value[p - 1];
                ++p;
            }
            result += Value[p - 1];
        }
        return result;
    }
    while (p <= length && Value[p - 1] != ';' && Value[p - 1] != '\r' && Value[p - 1] != '\n')
        result += Value[p++ - 1];
    // Blanks before a ';' or the line end separate the value from what follows: an unquoted value
    // cannot hold them (a boundary may not end in one), and delimiter lines allow trailing blanks.
    while (!result.empty() && (result.back() == ' ' || result.back() == '\t'))
        result.pop_back();
    return result;
}

bool IsValidUtf8(const std::string& Text)
{
    std::size_t i = 0;
    while (i < Text.size()) {
        const unsigned char c = static_cast<unsigned char>(Text[i]);
        int follow = 0;
        if (c < 0x80)
            follow = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            follow = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            follow = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            follow = 3;
        else
            return false;
        if (i + follow >= Text.size() && follow > 0)
            return false;
        for (int k = 1; k <= follow; ++k)
            if ((static_cast<unsigned char>(Text[i + k]) & 0xC0) != 0x80)
                return false;
        i += follow + 1;
    }
    return true;
}

TDelimiter FindDelimiterLine(const std::string& Text, const std::string& Boundary, int32_t From, int32_t Last)
{
    const std::string marker = "--" + Boundary;
    int32_t from = std::max(From, 1);
    while (from <= Last) {
        const int32_t hit = PosTextBetween(marker, Text, from, Last);
        if (hit == 0)
            break;
        from = hit + 1;
        if (!IsLineStartAt(Text, hit))
            continue;
        int32_t p = hit + static_cast<int32_t>(marker.size());
        bool closing = false;
        if (p + 1 <= Last && Text[p - 1] == '-' && Text[p] == '-') {
            closing = true;
            p += 2;
        }
        while (p <= Last && (Text[p - 1] == ' ' || Text[p - 1] == '\t'))
            ++p;
        if (p > Last || Text[p - 1] == '\r' || Text[p - 1] == '\n')
            return {hit, closing};
    }
    return {};
}

