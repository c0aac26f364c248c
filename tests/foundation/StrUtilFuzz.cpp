// Fuzz entry for StrUtil's parsing routines: ParseCardinal (checked against strtoull), URL schemes, hex escapes (URL and quoted-printable),
// line splitting into a string array, and the search family against a naive reference.
#include "foundation/StrUtil.h"

#include "framework/Exceptions.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

bool NaiveFoldedAt(const std::string& p, const std::string& t, size_t at)
{
    for (size_t i = 0; i < p.size(); ++i) {
        unsigned a = static_cast<unsigned char>(p[i]), b = static_cast<unsigned char>(t[at + i]);
        if (a != b && !((a & 0x40) && (b & 0x40) && (a ^ b) == 0x20))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // First byte: split point between pattern and text, and a Start for the From members.
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t split = data[0] % (input.size() + 1);
    const std::string pattern = input.substr(0, std::min<size_t>(split, 8));
    const std::string text = input.substr(split);
    const int start = static_cast<int>(data[0] % 7) - 1;

    try {
        uint32_t value = ParseCardinal(input);
        bool hex = input[0] == '$' || (input.size() > 1 && input[0] == '0' && (input[1] | 0x20) == 'x');
        std::string digits = input.substr(input[0] == '$' ? 1 : hex ? 2 : 0);
        Check(digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") == std::string::npos);
        Check(value == std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10));
    } catch (const EConvertError&) {
    } catch (const EIntOverflow&) {
    }
    Check(ParseCardinalDef(input, 7) == ParseCardinalDef(input, 7));

    UrlScheme(input, start);
    UrlAfterScheme(input);
    Check(DecodeHexEscapes(input, data[0] & 1, '%').size() <= input.size());
    Check(DecodeHexEscapes(input, data[0] & 2, '=').size() <= input.size());
    TStrArray lines;
    StrArrayAddLines(lines, input);
    GetLineN(input.c_str(), start);
    TrimmedRange(input, start, static_cast<int>(split));
    NormalizeCrLf(input);

    int pos = PosText(pattern, text);
    int naive = 0;
    if (!pattern.empty() && pattern.size() <= text.size())
        for (size_t at = 0; at + pattern.size() <= text.size() && !naive; ++at)
            if (NaiveFoldedAt(pattern, text, at))
                naive = static_cast<int>(at) + 1;
    Check(pos == naive);
    Check(PosStr(pattern, text) == (pattern.empty() ? 0 : static_cast<int>(text.find(pattern) + 1)));
    int from = PosStrFrom(pattern, text, start);
    Check(from == 0 || (from >= start && StrMatchesAt(pattern, text, from)));
    int last = LastPosStrFrom(pattern, text, start);
    Check(last == 0 || (last <= start && StrMatchesAt(pattern, text, last)));
    int between = PosTextBetween(pattern, text, start, static_cast<int>(split));
    Check(between == 0 || (between >= start && between + static_cast<int>(pattern.size()) - 1 <= static_cast<int>(split)));
    Check(CountStr(pattern, text) * static_cast<int>(pattern.size()) <= static_cast<int>(text.size()));
    return 0;
}
