// Table tests of the byte-string search family: 1-based positions, 0 for "not found", the
// Start/Limit rules and the bit-0x20 case-folding rule.
#include "foundation/StrTools.h"

#include <gtest/gtest.h>

namespace {

struct SearchCase {
    const char* what;
    int got;
    int expected;
};

TEST(StrToolsSearch, CharMembers)
{
    const std::string t = "abcabc";
    const SearchCase cases[] = {
        { "CountChar", CountChar('b', t), 2 },
        { "CountChar none", CountChar('z', t), 0 },
        { "CountChar empty", CountChar('a', ""), 0 },
        { "PosChar", PosChar('c', t), 3 },
        { "PosChar none", PosChar('z', t), 0 },
        { "LastPosChar", LastPosChar('a', t), 4 },
        { "PosCharFrom at hit", PosCharFrom('b', t, 2), 2 },
        { "PosCharFrom after hit", PosCharFrom('b', t, 3), 5 },
        { "PosCharFrom start 0", PosCharFrom('a', t, 0), 0 },
        { "PosCharFrom beyond end", PosCharFrom('a', t, 7), 0 },
        { "LastPosCharFrom", LastPosCharFrom('a', t, 3), 1 },
        { "LastPosCharFrom at hit", LastPosCharFrom('a', t, 4), 4 },
        { "LastPosCharFrom beyond end", LastPosCharFrom('c', t, 7), 0 },
        { "LastPosCharFrom start 0", LastPosCharFrom('a', t, 0), 0 },
        { "PosCharBetween", PosCharBetween('c', t, 4, 6), 6 },
        { "PosCharBetween limit excludes", PosCharBetween('c', t, 4, 5), 0 },
        { "PosCharBetween limit clamped", PosCharBetween('c', t, 4, 99), 6 },
        { "PosCharBetween start > limit", PosCharBetween('a', t, 4, 3), 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST(StrToolsSearch, StrMembers)
{
    const std::string t = "xabyabz";
    const SearchCase cases[] = {
        { "CountStr overlapping counted once", CountStr("aa", "aaaa"), 2 },
        { "CountStr aaa", CountStr("aa", "aaa"), 1 },
        { "CountStr empty pattern", CountStr("", t), 0 },
        { "PosStr", PosStr("ab", t), 2 },
        { "PosStr single char", PosStr("z", t), 7 },
        { "PosStr empty text", PosStr("ab", ""), 0 },
        { "PosStr empty pattern", PosStr("", t), 0 },
        { "PosStr case differs", PosStr("AB", t), 0 },
        { "LastPosStr", LastPosStr("ab", t), 5 },
        { "LastPosStr longer pattern", LastPosStr("xabyabzz", t), 0 },
        { "PosStrFrom", PosStrFrom("ab", t, 3), 5 },
        { "PosStrFrom cannot fit", PosStrFrom("bz", t, 7), 0 },
        { "PosStrFrom start 0", PosStrFrom("ab", t, 0), 0 },
        { "PosStrFrom beyond end", PosStrFrom("ab", t, 8), 0 },
        { "LastPosStrFrom", LastPosStrFrom("ab", t, 4), 2 },
        { "LastPosStrFrom match runs past start", LastPosStrFrom("ab", t, 5), 5 },
        { "LastPosStrFrom beyond end", LastPosStrFrom("ab", t, 8), 0 },
        { "PosStrBetween fits", PosStrBetween("ab", t, 3, 6), 5 },
        { "PosStrBetween must end by limit", PosStrBetween("ab", t, 3, 5), 0 },
        { "PosStrBetween limit clamped", PosStrBetween("bz", t, 1, 100), 6 },
        { "PosStrBetween start > limit", PosStrBetween("ab", t, 5, 2), 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.what;

    EXPECT_TRUE(StrMatchesAt("ab", t, 5));
    EXPECT_FALSE(StrMatchesAt("abx", t, 5));
    EXPECT_FALSE(StrMatchesAt("z!", t, 7)) << "runs past the end";
    EXPECT_FALSE(StrMatchesAt("x", t, 0));
    EXPECT_FALSE(StrMatchesAt("", t, 1));
    EXPECT_TRUE(StartsWithStr("xa", t));
    EXPECT_FALSE(StartsWithStr("XA", t));
}

TEST(StrToolsSearch, TextMembersFoldBit0x20Only)
{
    const SearchCase cases[] = {
        { "letters across case", PosText("abc", "xABCx"), 2 },
        { "at matches backquote", PosText("@", "a`b"), 2 },
        { "bracket matches brace", PosText("[", "x{"), 2 },
        { "backslash matches bar", PosText("\\", "|"), 1 },
        { "underscore matches DEL", PosText("_", "\x7f"), 1 },
        { "Latin-1 upper matches lower", PosText("\xC0", "a\xE0"), 2 },
        { "digit does not match bang", PosText("1", "!"), 0 },
        { "blank does not match NUL", PosText(" ", std::string(1, '\0')), 0 },
        { "LastPosText", LastPosText("Ab", "abxAB"), 4 },
        { "LastPosText longer pattern", LastPosText("abc", "ab"), 0 },
        { "PosTextFrom", PosTextFrom("B", "abab", 3), 4 },
        { "PosTextFrom start 0", PosTextFrom("a", "abab", 0), 0 },
        { "PosTextBetween", PosTextBetween("AB", "xxabxx", 2, 4), 3 },
        { "PosTextBetween too short window", PosTextBetween("AB", "xxabxx", 2, 3), 0 },
        { "PartBetween matches prefix", PosTextPartBetween("TO:", "Xto-", 2, 1, 4), 2 },
        { "PartBetween SubLen 0", PosTextPartBetween("to", "to", 0, 1, 2), 0 },
        { "PartBetween SubLen too long", PosTextPartBetween("to", "to", 3, 1, 2), 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.what;

    EXPECT_TRUE(TextMatchesAt("CONTENT", "x-content", 3));
    EXPECT_FALSE(TextMatchesAt("content", "x-conten", 3));
    EXPECT_TRUE(StartsWithText("MAILTO:", "mailto:a@b"));
    EXPECT_FALSE(StartsWithText("", "abc"));
}

TEST(StrToolsSearch, FoldingAgreesWithTheRuleForEveryBytePair)
{
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            bool rule = a == b || ((a & 0x40) && (b & 0x40) && (a ^ b) == 0x20);
            std::string pa(1, static_cast<char>(a)), tb(1, static_cast<char>(b));
            ASSERT_EQ(TextMatchesAt(pa, tb, 1), rule) << a << " vs " << b;
        }
}

TEST(StrToolsSearch, CutOutAndHexSpacedAndReplaceChar)
{
    std::string s = "abcdef";
    EXPECT_EQ(CutOut(s, 2, 3), "bcd");
    EXPECT_EQ(s, "aef");
    EXPECT_EQ(CutOut(s, 2, 99), "ef");
    EXPECT_EQ(s, "a");
    EXPECT_EQ(CutOut(s, 0, 1), "");
    EXPECT_EQ(CutOut(s, 2, 1), "");
    EXPECT_EQ(s, "a");

    const unsigned char bytes[] = { 0x0A, 0x1B, 0xFF };
    EXPECT_EQ(BytesToHexSpaced(bytes, 3), "0A 1B FF");
    EXPECT_EQ(BytesToHexSpaced(bytes, 1), "0A");
    EXPECT_EQ(BytesToHexSpaced(bytes, 0), "");
    EXPECT_EQ(BytesToHexSpaced(nullptr, 2), "");

    std::string t = "a.b.c";
    std::string shared = t;
    ReplaceCharInPlace(t, '.', '\\');
    EXPECT_EQ(t, "a\\b\\c");
    EXPECT_EQ(shared, "a.b.c");
}

} // namespace
