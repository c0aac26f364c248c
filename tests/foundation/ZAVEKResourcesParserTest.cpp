// Tests of the language text file format: numbering, comments, quoted entries over several lines
// in every line-break style, and the error-text numbering.
#include "foundation/ZAVEKResourcesParser.h"

#include <gtest/gtest.h>

namespace {

using Entries = std::vector<std::string>;

std::string WithBreaks(std::string text, const std::string& lineBreak)
{
    std::string result;
    for (char c : text)
        result += (c == '\n') ? lineBreak : std::string(1, c);
    return result;
}

TEST(LanguageText, CommentBlankAndQuotedEntryInEveryBreakStyle)
{
    for (const std::string breakText : { "\r\n", "\n", "\r" }) {
        const std::string file = WithBreaks("# comment\nA\n\n\"B\nC\"\nD", breakText);
        EXPECT_EQ(ParseLanguageText(file), (Entries { "A", "B" + breakText + "C", "D" }))
            << testing::PrintToString(breakText);
    }
}

struct FormatCase {
    const char* what;
    std::string file;
    Entries entries;
};

const FormatCase formatCases[] = {
    { "empty file", "", {} },
    { "final break adds an empty entry", "A\r\nB\r\n", { "A", "B", "" } },
    { "only a break", "\n", { "" } },
    { "leading breaks take no number", "\r\n\r\nA", { "A" } },
    { "blanks kept", "  A  \n\tB", { "  A  ", "\tB" } },
    { "indented hash is text", " #x\n#y\nz", { " #x", "z" } },
    { "comment last with break", "A\n#c\n", { "A", "" } },
    { "quoted on one line", "\"quoted\"\nnext", { "quoted", "next" } },
    { "two quotes are empty", "\"\"\nX", { "", "X" } },
    { "lone quote opens", "\"\nB\n\"", { "\nB\n" } },
    { "breaks inside kept exactly", "\"a\r\n\r\nb\n\rc\"", { "a\r\n\r\nb\n\rc" } },
    { "hash inside quote is text", "\"a\n# not a comment\nb\"", { "a\n# not a comment\nb" } },
    { "unclosed quote runs to end", "\"a\nb\n", { "a\nb\n" } },
    { "quote inside a line does not close", "\"a\nb\"c\nd\"", { "a\nb\"c\nd" } },
    { "quote not at start", "a\"\nb", { "a\"", "b" } },
    { "quoted entry then final break", "\"a\"\n", { "a", "" } },
    { "high bytes unchanged", "\xE4\xF6\xFC\n\xFF", { "\xE4\xF6\xFC", "\xFF" } },
};

class LanguageTextFormat : public testing::TestWithParam<FormatCase> { };

TEST_P(LanguageTextFormat, Parses)
{
    EXPECT_EQ(ParseLanguageText(GetParam().file), GetParam().entries) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Table, LanguageTextFormat, testing::ValuesIn(formatCases));

TEST(LanguageText, CommentCharacterZeroMakesCommentLinesEntries)
{
    EXPECT_EQ(ParseLanguageText("#a\nb", 0), (Entries { "#a", "b" }));
    EXPECT_EQ(ParseLanguageText(";a\n#b", ';'), (Entries { "#b" }));
}

TEST(PGPErrorText, UnknownCodesAndLines)
{
    EXPECT_EQ(UnknownPGPErrorText(-12001), "#FFFFD11F");
    EXPECT_EQ(UnknownPGPErrorText(-1), "#FFFFFFFF");
    EXPECT_EQ(UnknownPGPErrorText(0), "#00000000");
    EXPECT_EQ(UnknownPGPErrorText(0x1234ABCD), "#1234ABCD");
    EXPECT_EQ(UnknownPGPErrorText(INT32_MIN), "#80000000");
    EXPECT_EQ(PGPErrorLineOfCode(-12000), 0);
    EXPECT_EQ(PGPErrorLineOfCode(-11999), 1);
    EXPECT_EQ(PGPErrorLineOfCode(-12001), -1);
    EXPECT_EQ(PGPErrorLineOfCode(INT32_MIN), static_cast<int64_t>(INT32_MIN) + 12000);
    EXPECT_EQ(PGPErrorLineOfCode(INT32_MAX), static_cast<int64_t>(INT32_MAX) + 12000);
}

} // namespace
