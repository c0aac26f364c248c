// UTF-8 to numeric character references and the case-folding comparison of the clean-up unit.

#include "foundation/TidyText.h"

#include "foundation/StrTools.h"

#include <cstdint>

namespace {

// Number of continuation bytes a lead byte announces: 1 for 0xC0-0xDF up to 5 for 0xFC-0xFD;
// 0 for bytes that cannot lead a sequence of two or more bytes.
int ContinuationCount(uint8_t Lead)
{
    if (Lead < 0xC0 || Lead > 0xFD)
        return 0;
    int ones = 0;
    for (uint8_t bit = 0x80; Lead & bit; bit >>= 1)
        ++ones;
    return ones - 1;
}

bool IsContinuation(uint8_t B)
{
    return (B & 0xC0) == 0x80;
}

// An overlong form (a value that fits a shorter sequence), a surrogate (U+D800 to U+DFFF, which
// only UTF-16 uses in pairs) or a value above U+10FFFF is not UTF-8: such a sequence is copied
// byte by byte like any other malformed one, never turned into a reference to a character it does
// not name.
bool IsUtf8Value(uint32_t Value, int Continuations)
{
    static const uint32_t smallest[] = { 0, 0x80, 0x800, 0x10000 };
    const bool surrogate = Value >= 0xD800 && Value <= 0xDFFF;
    return Continuations <= 3 && Value >= smallest[Continuations] && Value <= 0x10FFFF && !surrogate;
}

} // namespace

std::string Utf8ToHtmlEntities(const std::string& Text)
{
    std::string result;
    result.reserve(Text.size() * 2);
    const size_t size = Text.size();
    size_t i = 0;
    while (i < size) {
        const auto lead = static_cast<uint8_t>(Text[i]);
        const int more = ContinuationCount(lead);
        bool wellFormed = more > 0 && i + more < size;
        for (int k = 1; wellFormed && k <= more; ++k)
            wellFormed = IsContinuation(static_cast<uint8_t>(Text[i + k]));
        if (!wellFormed) {
            result += Text[i++];
            continue;
        }
        uint32_t value = lead & (0x3Fu >> more);
        for (int k = 1; k <= more; ++k)
            value = (value << 6) | (static_cast<uint8_t>(Text[i + k]) & 0x3Fu);
        if (!IsUtf8Value(value, more)) {
            result += Text[i++];
            continue;
        }
        result += "&#" + std::to_string(value) + ";";
        i += more + 1;
    }
    return result;
}

bool SameTextAt(const std::string& Pattern, const std::string& Text, int Pos)
{
    return TextMatchesAt(Pattern, Text, Pos);
}
