// Wide texts, the own UTF-8 codec, RTF un-escaping and URL text rules of the rich-text unit.

#include "foundation/RichEd20Text.h"

#include "foundation/StrTools.h"
#include "foundation/StrUtil.h"
#include "foundation/UTF8Codec.h"

#include <cstring>

namespace {

uint16_t UnitAt(const std::string& S, size_t Index)
{
    return static_cast<uint16_t>(
        static_cast<uint8_t>(S[2 * Index]) | static_cast<uint8_t>(S[2 * Index + 1]) << 8);
}

bool IsHexDigit(char C)
{
    return (C >= '0' && C <= '9') || ((C | 0x20) >= 'a' && (C | 0x20) <= 'f');
}

// The byte of a percent escape "%hh" at Index, or -1 when there is none.
int PercentEscapeAt(const std::string& S, size_t Index)
{
    if (Index + 2 >= S.size())
        return -1;
    if (S[Index] != '%' || !IsHexDigit(S[Index + 1]) || !IsHexDigit(S[Index + 2]))
        return -1;
    return HexPairToByte(S.data() + Index + 1);
}

bool IsBlankEscape(int Value)
{
    return Value >= 1 && Value <= 32;
}

bool FoldedByteEqual(char A, char B)
{
    return A == B || ((A & 0x40) && (B & 0x40) && (A ^ B) == 0x20);
}

} // namespace

bool IsWideText(const std::string& S)
{
    return S.size() >= 2 && S.back() == '\0';
}

void SetWideTextLength(std::string& S, int N)
{
    S.assign(2 * static_cast<size_t>(N < 0 ? 0 : N) + 2, '\0');
}

int WideTextLength(const std::string& S)
{
    return S.empty() ? 0 : static_cast<int>(S.size() / 2) - 1;
}

int WideTextCharPos(uint16_t C, const std::string& S)
{
    const int count = WideTextLength(S);
    for (int i = 0; i < count; ++i)
        if (UnitAt(S, i) == C)
            return i + 1;
    return 0;
}

void WideTextDelete(std::string& S, int Index, int Count)
{
    const int length = WideTextLength(S);
    if (Index < 0 || Count < 1 || Index >= length)
        return;
    const int removed = Count > length - Index ? length - Index : Count;
    S.erase(2 * static_cast<size_t>(Index), 2 * static_cast<size_t>(removed));
}

std::string WideTextOfUnits(const std::u16string& Units)
{
    std::string S;
    S.reserve(2 * Units.size() + 2);
    for (char16_t unit : Units) {
        S += static_cast<char>(unit & 0xFF);
        S += static_cast<char>(unit >> 8);
    }
    S.append(2, '\0');
    return S;
}

std::string OwnUtf8ToWide(const std::string& S)
{
    if (S.empty())
        return {};
    const std::string wide = DecodeUtf8(S.size() > 3 ? WithoutUtf8Bom(S) : S);
    // Only the terminating zero: nothing was decoded.
    return wide.size() > 2 ? wide : std::string();
}

std::string OwnWideToUtf8(const std::string& S)
{
    return EncodeUtf8(S);
}

std::string UnescapeRtfText(const std::string& Text)
{
    std::string out;
    out.reserve(Text.size());
    size_t i = 0;
    while (i < Text.size()) {
        if (Text.compare(i, 4, "\\\\\\\\") == 0) {
            out += '\\';
            i += 4;
        } else if (Text.compare(i, 2, "\\\\") == 0) {
            out += '\\';
            i += 2;
        } else if (Text.compare(i, 2, "\\'") == 0 && i + 3 < Text.size() && IsHexDigit(Text[i + 2])
            && IsHexDigit(Text[i + 3])) {
            out += static_cast<char>(HexPairToByte(Text.data() + i + 2));
            i += 4;
        } else {
            out += Text[i++];
        }
    }
    return out;
}

std::string TrimUrlText(const std::string& Url)
{
    std::string s = TrimBlanks(Url);
    size_t first = 0;
    while (IsBlankEscape(PercentEscapeAt(s, first)))
        first += 3;
    size_t end = s.size();
    while (end >= first + 3 && IsBlankEscape(PercentEscapeAt(s, end - 3)))
        end -= 3;
    return s.substr(first, end - first);
}

bool IsNetworkScheme(int N)
{
    return (N >= 1 && N <= 4) || (N >= 8 && N <= 10);
}

const char* PosTextPtr(const char* Pattern, const char* Text)
{
    if (!Pattern || !Text || !*Pattern)
        return nullptr;
    const size_t length = std::strlen(Pattern);
    for (const char* p = Text; *p; ++p) {
        size_t k = 0;
        while (k < length && p[k] && FoldedByteEqual(p[k], Pattern[k]))
            ++k;
        if (k == length)
            return p;
    }
    return nullptr;
}
