// The text half of the HTML clean-up: UTF-8 sequences to numeric references (lengths one to six,
// broken and truncated sequences, the last byte) and the case-folding comparison.
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
        { "overlong ten keeps both digits", "\xC0\x8A", "&#10;" },
        { "overlong hundred", "\xC1\xA4", "&#100;" },
        { "five digits", "\xE2\x9C\x90", "&#10000;" },
        { "three bytes", "\xE2\x82\xAC", "&#8364;" },
        { "four bytes", "\xF0\x9F\x98\x80", "&#128512;" },
        { "six bytes", "\xFD\xBF\xBF\xBF\xBF\xBF", "&#2147483647;" },
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
