// The text half of the HTML clean-up: UTF-8 sequences to numeric references (lengths one to
// four; broken, truncated, overlong and out-of-range sequences; the last byte) and the
// case-folding comparison.
#include "foundation/TidyText.h"

#include <gtest/gtest.h>

namespace {

struct TEntityCase {
    const char* Name;
    std::string Input;
    std::string Expected;
};

TEST(TidyText, Utf8ToHtmlEntities)
{
    const TEntityCase cases[] = {
        { "empty", "", "" },
        { "ascii untouched", "a<b>&c\r\n", "a<b>&c\r\n" },
        { "two bytes", "caf\xC3\xA9!", "caf&#233;!" },
        { "four digits", "\xCF\xA8", "&#1000;" },
        { "smallest two-byte value", "\xC2\x80", "&#128;" },
        { "five digits", "\xE2\x9C\x90", "&#10000;" },
        { "three bytes", "\xE2\x82\xAC", "&#8364;" },
        { "four bytes", "\xF0\x9F\x98\x80", "&#128512;" },
        { "largest value", "\xF4\x8F\xBF\xBF", "&#1114111;" },
        // Not UTF-8: overlong forms, surrogates and values above U+10FFFF are copied as malformed bytes.
        { "overlong two bytes", "\xC0\x8A", "\xC0\x8A" },
        { "overlong three bytes", "\xE0\x81\xA4", "\xE0\x81\xA4" },
        { "overlong four bytes", "\xF0\x8F\xBF\xBF", "\xF0\x8F\xBF\xBF" },
        { "above U+10FFFF", "\xF4\x90\x80\x80", "\xF4\x90\x80\x80" },
        // Surrogates too; the code points on either side are characters.
        { "first surrogate", "\xED\xA0\x80", "\xED\xA0\x80" },
        { "last surrogate", "\xED\xBF\xBF", "\xED\xBF\xBF" },
        { "below the surrogates", "\xED\x9F\xBF", "&#55295;" },
        { "above the surrogates", "\xEE\x80\x80", "&#57344;" },
        { "five bytes", "\xF8\x88\x80\x80\x80", "\xF8\x88\x80\x80\x80" },
        { "six bytes", "\xFD\xBF\xBF\xBF\xBF\xBF", "\xFD\xBF\xBF\xBF\xBF\xBF" },
        { "overlong zero in six bytes", "\xFC\x80\x80\x80\x80\x80", "\xFC\x80\x80\x80\x80\x80" },
        { "overlong lead, good after", "\xC1\xBF\xC3\xA9", "\xC1\xBF&#233;" },
        { "lone continuation at the end", "ab\x80", "ab\x80" },
        { "lead byte at the end", "ab\xC3", "ab\xC3" },
        { "truncated three-byte sequence", "\xE2\x82", "\xE2\x82" },
        { "lead without continuation",
            "\xC3"
            "A\xC3\xA9",
            "\xC3"
            "A&#233;" },
        { "lead 0xFE and 0xFF copied", "\xFE\xFF", "\xFE\xFF" },
        { "broken inside, good after", "\xE2\x41\x42\xC3\xBC",
            "\xE2"
            "AB&#252;" },
        { "adjacent sequences", "\xC3\xA4\xC3\xB6", "&#228;&#246;" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToHtmlEntities(c.Input), c.Expected) << c.Name;
}

TEST(TidyText, SameTextAt)
{
    struct {
        const char* Pattern;
        const char* Text;
        int Pos;
        bool Expected;
    } const cases[] = {
        { "<?xml", "<?XML version", 1, true },
        { "<?xml", " <?xml", 1, false },
        { "<?xml", " <?xml", 2, true },
        { "base", "xBASE", 2, true },
        { "[", "{", 1, true },
        { "a", "a", 0, false },
        { "abc", "ab", 1, false },
        { "b", "ab", 3, false },
        { "", "ab", 1, false },
        { "1", "!", 1, false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(SameTextAt(c.Pattern, c.Text, c.Pos), c.Expected)
            << c.Pattern << " in " << c.Text << " at " << c.Pos;
}

} // namespace
