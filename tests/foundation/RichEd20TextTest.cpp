// The portable half of the rich-text unit: wide texts in byte strings, the own UTF-8 codec (byte
// order mark, broken sequences, surrogate pairs), RTF un-escaping and URL text rules.
#include "foundation/RichEd20Text.h"

#include <gtest/gtest.h>

namespace {

std::string Wide(const std::u16string& Units)
{
    return WideTextOfUnits(Units);
}

TEST(RichEd20Text, WideTextBasics)
{
    EXPECT_FALSE(IsWideText(""));
    EXPECT_FALSE(IsWideText(std::string(1, '\0')));
    EXPECT_TRUE(IsWideText(std::string(2, '\0')));
    EXPECT_FALSE(IsWideText("ab"));

    std::string s = "junk";
    SetWideTextLength(s, 3);
    EXPECT_EQ(s, std::string(8, '\0'));
    EXPECT_EQ(WideTextLength(s), 3);
    EXPECT_EQ(WideTextLength(""), 0);
    EXPECT_EQ(WideTextLength(Wide(u"abc")), 3);

    const std::string text = Wide(u"ab\u20ACc\u20AC");
    EXPECT_EQ(WideTextCharPos(u'a', text), 1);
    EXPECT_EQ(WideTextCharPos(0x20AC, text), 3);
    EXPECT_EQ(WideTextCharPos(u'z', text), 0);
    EXPECT_EQ(WideTextCharPos(0, text), 0) << "the terminator is not a character";
    EXPECT_EQ(WideTextCharPos(u'a', ""), 0);
}

TEST(RichEd20Text, WideTextDelete)
{
    struct {
        int Index, Count;
        std::u16string Expected;
    } const cases[] = {
        { 0, 1, u"bcde" },
        { 1, 2, u"ade" },
        { 3, 9, u"abc" },
        { 4, 1, u"abcd" },
        { 5, 1, u"abcde" },
        { -1, 1, u"abcde" },
        { 2, 0, u"abcde" },
        { 0, 5, u"" },
    };
    for (const auto& c : cases) {
        std::string s = Wide(u"abcde");
        WideTextDelete(s, c.Index, c.Count);
        EXPECT_EQ(s, Wide(c.Expected)) << c.Index << "," << c.Count;
    }
    std::string empty;
    WideTextDelete(empty, 0, 1);
    EXPECT_EQ(empty, "");
}

TEST(RichEd20Text, OwnUtf8Codec)
{
    struct {
        const char* Name;
        std::string Utf8;
        std::string Wide;
    } const cases[] = {
        { "empty", "", "" },
        { "ascii", "Hi", Wide(u"Hi") },
        { "two and three bytes", "\xC3\xA9\xE2\x82\xAC", Wide(u"\u00E9\u20AC") },
        { "byte order mark skipped", "\xEF\xBB\xBFok", Wide(u"ok") },
        { "stops at a zero byte", std::string("ab\0cd", 5), Wide(u"ab") },
        { "beyond the BMP as a surrogate pair", "\xF0\x9F\x98\x80", Wide(u"\U0001F600") },
        { "stray continuation", "a\x80", "" },
        { "broken continuation", "\xC3(", "" },
        { "truncated", "\xE2\x82", "" },
        { "ANSI text is no UTF-8", "caf\xE9", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(OwnUtf8ToWide(c.Utf8), c.Wide) << c.Name;

    EXPECT_EQ(OwnWideToUtf8(Wide(u"\u00E9\u20AC\U0001F600x")), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80x");
    EXPECT_EQ(OwnWideToUtf8(""), "");
    EXPECT_EQ(OwnUtf8ToWide(OwnWideToUtf8(Wide(u"r\u00FCck \U00010348"))), Wide(u"r\u00FCck \U00010348"));
}

TEST(RichEd20Text, UnescapeRtfText)
{
    struct {
        const char* Input;
        const char* Expected;
    } const cases[] = {
        { "C:\\\\\\\\dir\\\\\\\\pic.png", "C:\\dir\\pic.png" },
        { "a\\\\b", "a\\b" },
        { "\\'e9t\\'E9", "\xE9t\xE9" },
        { "\\'zz", "\\'zz" },
        { "\\'4", "\\'4" },
        { "\\par x", "\\par x" },
        { "", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(UnescapeRtfText(c.Input), c.Expected) << c.Input;
}

TEST(RichEd20Text, TrimUrlText)
{
    struct {
        const char* Input;
        const char* Expected;
    } const cases[] = {
        { "  http://x/ \r\n", "http://x/" },
        { "%20http://x/%0A%20", "http://x/" },
        { "%09%20http://x/a%20b", "http://x/a%20b" },
        { "http://x/%21", "http://x/%21" },
        { "%00http://x/", "%00http://x/" },
        { "%2", "%2" },
        { "%20", "" },
        { "", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrimUrlText(c.Input), c.Expected) << c.Input;
}

TEST(RichEd20Text, NetworkSchemesAndTextSearch)
{
    for (int n = -1; n <= 12; ++n)
        EXPECT_EQ(IsNetworkScheme(n), (n >= 1 && n <= 4) || (n >= 8 && n <= 10)) << n;

    const char* text = "Visit xn--BCHER-kva.example";
    EXPECT_EQ(PosTextPtr("XN--", text), text + 6);
    const char* quoted = "a`b";
    EXPECT_EQ(PosTextPtr("@", quoted), quoted + 1) << "'@' matches '`' by the bit-0x20 rule";
    EXPECT_EQ(PosTextPtr("1", "!"), nullptr);
    EXPECT_EQ(PosTextPtr("abc", "ab"), nullptr);
    EXPECT_EQ(PosTextPtr("", "ab"), nullptr);
    EXPECT_EQ(PosTextPtr("a", nullptr), nullptr);
}

} // namespace
