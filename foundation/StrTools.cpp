// The byte-string search family shared by StrUtil and StrTools. Every member reduces to a search
// of a pattern inside a window [First, End) of the text, exact or by the bit-0x20 folding rule.
#include "foundation/StrTools.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace {

constexpr size_t NotFound = std::string_view::npos;

constexpr std::array<unsigned char, 256> MakeFoldTable()
{
    std::array<unsigned char, 256> table {};
    for (int b = 0; b < 256; ++b)
        table[b] = static_cast<unsigned char>((b & 0x40) ? (b & ~0x20) : b);
    return table;
}
// Bytes with bit 0x40 lose bit 0x20, so two bytes match by the folding rule exactly when their
// table entries are equal.
constexpr std::array<unsigned char, 256> Fold = MakeFoldTable();

inline unsigned char Folded(char c) { return Fold[static_cast<unsigned char>(c)]; }

bool FoldedEqual(const char* a, const char* b, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (Folded(a[i]) != Folded(b[i]))
            return false;
    return true;
}

// First match of Pattern starting at or after First that ends at or before End (0-based).
size_t FindExact(std::string_view Text, std::string_view Pattern, size_t First, size_t End)
{
    if (Pattern.empty() || First >= End || End - First < Pattern.size())
        return NotFound;
    size_t at = Text.substr(First, End - First).find(Pattern);
    return at == NotFound ? NotFound : First + at;
}

size_t FindFolded(std::string_view Text, std::string_view Pattern, size_t First, size_t End)
{
    if (Pattern.empty() || First >= End || End - First < Pattern.size())
        return NotFound;
    const size_t lastStart = End - Pattern.size();
    // A byte without bit 0x40 folds to itself alone, so memchr can jump to its candidates.
    size_t anchor = 0;
    while (anchor < Pattern.size() && (static_cast<unsigned char>(Pattern[anchor]) & 0x40))
        ++anchor;
    if (anchor == Pattern.size()) {
        const unsigned char head = Folded(Pattern[0]);
        for (size_t i = First; i <= lastStart; ++i)
            if (Folded(Text[i]) == head && FoldedEqual(Text.data() + i + 1, Pattern.data() + 1, Pattern.size() - 1))
                return i;
        return NotFound;
    }
    const char* const base = Text.data() + anchor;
    for (size_t i = First; i <= lastStart;) {
        const void* hit = std::memchr(base + i, Pattern[anchor], lastStart - i + 1);
        if (!hit)
            break;
        i = static_cast<size_t>(static_cast<const char*>(hit) - base);
        if (FoldedEqual(Text.data() + i, Pattern.data(), Pattern.size()))
            return i;
        ++i;
    }
    return NotFound;
}

// Last match beginning at or before LastStart (0-based) that fits in the text.
size_t FindLastExact(std::string_view Text, std::string_view Pattern, size_t LastStart)
{
    if (Pattern.empty() || Pattern.size() > Text.size())
        return NotFound;
    const char head = Pattern[0];
    size_t i = std::min(LastStart, Text.size() - Pattern.size()) + 1;
    while (i-- > 0)
        if (Text[i] == head && std::memcmp(Text.data() + i + 1, Pattern.data() + 1, Pattern.size() - 1) == 0)
            return i;
    return NotFound;
}

size_t FindLastFolded(std::string_view Text, std::string_view Pattern, size_t LastStart)
{
    if (Pattern.empty() || Pattern.size() > Text.size())
        return NotFound;
    size_t i = std::min(LastStart, Text.size() - Pattern.size()) + 1;
    while (i-- > 0)
        if (FoldedEqual(Text.data() + i, Pattern.data(), Pattern.size()))
            return i;
    return NotFound;
}

inline int ToPos(size_t index) { return index == NotFound ? 0 : static_cast<int>(index) + 1; }

// A 1-based Start that lies inside the text, as a 0-based index; NotFound otherwise.
inline size_t StartIndex(int Start, size_t Length)
{
    return (Start < 1 || static_cast<size_t>(Start) > Length) ? NotFound : static_cast<size_t>(Start) - 1;
}

// End (exclusive, 0-based) of the window that a 1-based Limit allows, clamped to the text.
inline size_t LimitEnd(int Limit, size_t Length)
{
    return Limit < 0 ? 0 : std::min(static_cast<size_t>(Limit), Length);
}

} // namespace

int CountChar(char C, const std::string& Text)
{
    int count = 0;
    for (char c : Text)
        count += c == C;
    return count;
}

int PosChar(char C, const std::string& Text) { return ToPos(Text.find(C)); }

int LastPosChar(char C, const std::string& Text) { return ToPos(Text.rfind(C)); }

int PosCharFrom(char C, const std::string& Text, int Start)
{
    size_t first = StartIndex(Start, Text.size());
    return first == NotFound ? 0 : ToPos(Text.find(C, first));
}

int LastPosCharFrom(char C, const std::string& Text, int Start)
{
    size_t last = StartIndex(Start, Text.size());
    return last == NotFound ? 0 : ToPos(Text.rfind(C, last));
}

int PosCharBetween(char C, const std::string& Text, int Start, int Limit)
{
    size_t first = StartIndex(Start, Text.size());
    if (first == NotFound)
        return 0;
    return ToPos(FindExact(Text, std::string_view(&C, 1), first, LimitEnd(Limit, Text.size())));
}

int CountStr(const std::string& Pattern, const std::string& Text)
{
    int count = 0;
    size_t at = FindExact(Text, Pattern, 0, Text.size());
    while (at != NotFound) {
        ++count;
        at = FindExact(Text, Pattern, at + Pattern.size(), Text.size());
    }
    return count;
}

int PosStr(const std::string& Pattern, const std::string& Text)
{
    return ToPos(FindExact(Text, Pattern, 0, Text.size()));
}

int LastPosStr(const std::string& Pattern, const std::string& Text)
{
    return ToPos(FindLastExact(Text, Pattern, Text.size()));
}

int PosStrFrom(const std::string& Pattern, const std::string& Text, int Start)
{
    size_t first = StartIndex(Start, Text.size());
    return first == NotFound ? 0 : ToPos(FindExact(Text, Pattern, first, Text.size()));
}

int LastPosStrFrom(const std::string& Pattern, const std::string& Text, int Start)
{
    size_t last = StartIndex(Start, Text.size());
    return last == NotFound ? 0 : ToPos(FindLastExact(Text, Pattern, last));
}

int PosStrBetween(const std::string& Pattern, const std::string& Text, int Start, int Limit)
{
    size_t first = StartIndex(Start, Text.size());
    return first == NotFound ? 0 : ToPos(FindExact(Text, Pattern, first, LimitEnd(Limit, Text.size())));
}

bool StrMatchesAt(const std::string& Pattern, const std::string& Text, int Pos)
{
    size_t at = StartIndex(Pos, Text.size());
    return at != NotFound && !Pattern.empty() && Pattern.size() <= Text.size() - at
        && std::memcmp(Text.data() + at, Pattern.data(), Pattern.size()) == 0;
}

bool StartsWithStr(const std::string& Pattern, const std::string& Text) { return StrMatchesAt(Pattern, Text, 1); }

int PosText(const std::string& Pattern, const std::string& Text)
{
    return ToPos(FindFolded(Text, Pattern, 0, Text.size()));
}

int LastPosText(const std::string& Pattern, const std::string& Text)
{
    return ToPos(FindLastFolded(Text, Pattern, Text.size()));
}

int PosTextFrom(const std::string& Pattern, const std::string& Text, int Start)
{
    size_t first = StartIndex(Start, Text.size());
    return first == NotFound ? 0 : ToPos(FindFolded(Text, Pattern, first, Text.size()));
}

int PosTextBetween(const std::string& Pattern, const std::string& Text, int Start, int Limit)
{
    size_t first = StartIndex(Start, Text.size());
    return first == NotFound ? 0 : ToPos(FindFolded(Text, Pattern, first, LimitEnd(Limit, Text.size())));
}

int PosTextPartBetween(const std::string& Pattern, const std::string& Text, int SubLen, int Start, int Limit)
{
    size_t first = StartIndex(Start, Text.size());
    if (SubLen < 1 || static_cast<size_t>(SubLen) > Pattern.size() || first == NotFound)
        return 0;
    std::string_view part(Pattern.data(), static_cast<size_t>(SubLen));
    return ToPos(FindFolded(Text, part, first, LimitEnd(Limit, Text.size())));
}

bool TextMatchesAt(const std::string& Pattern, const std::string& Text, int Pos)
{
    size_t at = StartIndex(Pos, Text.size());
    return at != NotFound && !Pattern.empty() && Pattern.size() <= Text.size() - at
        && FoldedEqual(Text.data() + at, Pattern.data(), Pattern.size());
}

bool StartsWithText(const std::string& Pattern, const std::string& Text) { return TextMatchesAt(Pattern, Text, 1); }

void ReplaceCharInPlace(std::string& S, char Old, char New)
{
    for (char& c : S)
        if (c == Old)
            c = New;
}

std::string CutOut(std::string& S, int From, int Count)
{
    size_t first = StartIndex(From, S.size());
    if (first == NotFound || Count < 1)
        return {};
    std::string part = S.substr(first, static_cast<size_t>(Count));
    S.erase(first, part.size());
    return part;
}

std::string BytesToHexSpaced(const void* Data, int Count)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    if (!Data || Count < 1)
        return {};
    const auto* bytes = static_cast<const unsigned char*>(Data);
    std::string hex;
    hex.reserve(static_cast<size_t>(Count) * 3 - 1);
    for (int i = 0; i < Count; ++i) {
        if (i > 0)
            hex += ' ';
        hex += Digits[bytes[i] >> 4];
        hex += Digits[bytes[i] & 15];
    }
    return hex;
}
