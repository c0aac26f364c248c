// Table tests of the portable StrUtil routines: string arrays, URL schemes, hex and numbers,
// trimming, lines and cutting, escapes and file-name parts.
#include "foundation/StrUtil.h"

#include "framework/Exceptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TextCase {
    const char* what;
    std::string got;
    std::string expected;
};

void ExpectAll(std::initializer_list<TextCase> cases)
{
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST(StrUtilArray, AddLinesJoinAndSlots)
{
    TStrArray a;
    StrArrayAddLines(a, "a\r\n\r\nb");
    ASSERT_EQ(StrArrayCount(a), 3) << "one spare slot for the blank line";
    EXPECT_EQ(StrArrayGet(a, 0), "a");
    EXPECT_EQ(StrArrayGet(a, 1), "b");
    EXPECT_EQ(StrArrayGet(a, 2), "");
    EXPECT_EQ(StrArrayGet(a, 3), "");
    EXPECT_EQ(StrArrayGet(a, -1), "");

    // CR-only line ends: three lines need three slots (the block once held only one).
    TStrArray cr;
    StrArrayAddLines(cr, "a\rb\rc");
    ASSERT_EQ(StrArrayCount(cr), 3);
    EXPECT_EQ(StrArrayJoin(cr), "a\r\nb\r\nc\r\n");

    TStrArray lf;
    StrArrayAddLines(lf, "x\ny\n");
    EXPECT_EQ(StrArrayCount(lf), 2);
    StrArrayAddLines(lf, "z");
    EXPECT_EQ(StrArrayGet(lf, 2), "z") << "appends after the existing slots";

    TStrArray one;
    EXPECT_EQ(StrArrayJoin(one), "");
    EXPECT_EQ(StrArrayGrow(one, 1), 0);
    EXPECT_EQ(StrArrayJoin(one), "\r\n");
    StrArraySet(one, 0, "q");
    StrArraySet(one, 5, "ignored");
    EXPECT_EQ(StrArrayJoin(one), "q\r\n");
    StrArrayClear(one);
    EXPECT_EQ(StrArrayCount(one), 0);
}

TEST(StrUtilArray, ConverterAppliesToStoredLines)
{
    TStrArray a;
    a.Converter = [](const std::string& line) { return "<" + line + ">"; };
    StrArrayAddLines(a, "p\nq");
    EXPECT_EQ(StrArrayJoin(a), "<p>\r\n<q>\r\n");
    EXPECT_EQ(StrArrayConvertLine(a, "r"), "<r>");
    a.Converter = nullptr;
    EXPECT_EQ(StrArrayConvertLine(a, "r"), "r");
}

TEST(StrUtilUrl, SchemesAndPrefixes)
{
    ExpectAll({
        { "scheme", UrlScheme("http://x", 1), "http:" },
        { "scheme from 2", UrlScheme("\"http://x", 2), "http:" },
        { "no colon", UrlScheme("www.x", 1), "" },
        { "after scheme", UrlAfterScheme("http://x/y"), "x/y" },
        { "after scheme no slash", UrlAfterScheme("mailto:a@b"), "a@b" },
        { "no colon whole", UrlAfterScheme("x/y"), "x/y" },
    });
    EXPECT_TRUE(IsAboutUrl("ABOUT:blank"));
    EXPECT_TRUE(IsCidUrl("cid:part1@x"));
    EXPECT_TRUE(IsDataUrl("Data:image/png;base64,"));
    EXPECT_TRUE(IsFileUrl("file:///c:/x"));
    EXPECT_TRUE(IsMailtoUrl("MailTo:a@b"));
    EXPECT_TRUE(IsResUrl("res://x.dll/1"));
    EXPECT_FALSE(IsCidUrl("ci:"));
    EXPECT_FALSE(IsDataUrl(" data:"));
}

TEST(StrUtilHex, DigitsPairsAndNumbers)
{
    char pair[2];
    ByteToHexPair(0xA5, pair);
    EXPECT_EQ(std::string(pair, 2), "A5");
    ByteToHexPair(1, nullptr);
    EXPECT_EQ(NibbleToHexChar(0x3F), 'F');
    EXPECT_EQ(HexDigitValue('b'), 11);
    EXPECT_EQ(HexDigitValue('G'), 0);
    EXPECT_EQ(HexPairToByte("fE"), 0xFE);
    EXPECT_EQ(HexPairToByte("F"), 0) << "second byte is the terminator";
    EXPECT_EQ(HexPairToByte("xF"), 0);
    EXPECT_EQ(HexPairToByte(nullptr), 0);
    EXPECT_EQ(HexPairToByteEx("c", true), 0x0C);
    EXPECT_EQ(HexPairToByteEx("c1", false), 0xC1);
    EXPECT_EQ(LowerAsciiChar('Q'), 'q');
    EXPECT_EQ(LowerAsciiChar('\xC0'), '\xC0');
    EXPECT_EQ(LowerAsciiChar('['), '[');
    const unsigned char bytes[] = { 0x00, 0x7F, 0xAB };
    ExpectAll({
        { "hex8", CardinalToHex8(0xBEEF), "0000BEEF" },
        { "hex8 max", CardinalToHex8(0xFFFFFFFFu), "FFFFFFFF" },
        { "decimal", CardinalToDecimal(4294967295u), "4294967295" },
        { "bytes to hex", BytesToHex(bytes, 6), "007FAB" },
        { "odd hex length", BytesToHex(bytes, 5), "007F" },
        { "hex length 1", BytesToHex(bytes, 1), "" },
    });
}

TEST(StrUtilNumbers, ParseCardinal)
{
    struct Case {
        const char* text;
        uint32_t value;
    } good[] = {
        { "0", 0 },
        { "000", 0 },
        { "42", 42 },
        { "4294967295", 4294967295u },
        { "0004294967295", 4294967295u },
        { "$ff", 255 },
        { "$00000000FFFFFFFF", 4294967295u },
        { "0x0000000FFFFFFFF", 4294967295u },
        { "0XaBcD", 0xABCD },
        { "0x0", 0 },
    };
    for (const Case& c : good)
        EXPECT_EQ(ParseCardinal(c.text), c.value) << c.text;

    for (const char* text : { "4294967296", "9999999999", "42949672950", "$100000000", "0x123456789" })
        EXPECT_THROW(ParseCardinal(text), EIntOverflow) << text;
    for (const char* text : { "", "$", "0x", "12a", " 1", "-1", "+1", "$g", "0x1 ", "1.0" })
        EXPECT_THROW(ParseCardinal(text), EConvertError) << text;

    EXPECT_EQ(ParseCardinalDef("4294967296", 7), 7u);
    EXPECT_EQ(ParseCardinalDef("x", 8), 8u);
    EXPECT_EQ(ParseCardinalDef("$10", 8), 16u);
}

TEST(StrUtilTrim, BlanksSetsAndRanges)
{
    ExpectAll({
        { "both", TrimBlanks("\t a b \r\n"), "a b" },
        { "left", TrimBlanksLeft("  a "), "a " },
        { "right", TrimBlanksRight("  a \x01"), "  a" },
        { "all blank", TrimBlanks(" \t "), "" },
        { "high bytes are not blanks", TrimBlanks("\xA0x\xA0"), "\xA0x\xA0" },
        { "char set", TrimCharSet("<<a<b>>", TCharSet("<>")), "a<b" },
        { "char set all", TrimCharSet("<>", TCharSet("<>")), "" },
        { "range", TrimmedRange("ab  cd  ef", 3, 6), "cd" },
        { "range From below 1", TrimmedRange(" ab", 0, 3), "ab" },
        { "range past end", TrimmedRange("abc", 2, 10), "bc" },
        { "range empty", TrimmedRange("abc", 4, 1), "" },
        { "range all blank", TrimmedRange("a   b", 2, 3), "" },
        { "line breaks", RemoveLineBreaks("a\r\nb\rc\nd"), "abcd" },
        { "normalize", NormalizeCrLf("a\nb\rc\r\nd\n\r"), "a\r\nb\r\nc\r\nd\r\n\r\n" },
        { "crlf to blank", CrLfToBlank("a\r\nb\rc\n"), "a b\rc\n" },
        { "angle", UnwrapAngleBrackets(" <<a@b>> "), "a@b" },
        { "angle one side", UnwrapAngleBrackets("<a"), "<a" },
        { "quotes", UnwrapQuotes("\"\"x\"\""), "x" },
        { "lone quote kept", UnwrapQuotes("\""), "\"" },
        { "lone bracket kept", UnwrapAngleBrackets(" > "), ">" },
        { "accel", RemoveAccelChar("&File"), "File" },
        { "double accel", RemoveAccelChar("A&&B"), "A&B" },
    });
    EXPECT_EQ(NextNonBlankPos(" \xE9x", 1), 3) << "0xE9 counts as a blank here";
    EXPECT_EQ(NextNonBlankPos("ab", 2), 2);
    EXPECT_EQ(NextNonBlankPos("a  ", 2), 0);
    EXPECT_EQ(NextNonBlankPos("ab", 0), 0);
    EXPECT_EQ(NextNonBlankPos("ab", 3), 0);
}

TEST(StrUtilLines, LinesWordsAndCutting)
{
    ExpectAll({
        { "first line", FirstLineOf("ab\ncd\ref"), "ab\ncd" },
        { "first line null", FirstLineOf(nullptr), "" },
        { "line 2", GetLineN("a\r\n\r\nb\rc", 2), "b" },
        { "line beyond", GetLineN("a\rb", 5), "b" },
        { "line 0", GetLineN("a", 0), "" },
        { "line null", GetLineN(nullptr, 1), "" },
        { "before char", TextBeforeChar("ab=c", '='), "ab" },
        { "before char absent", TextBeforeChar("abc", '='), "abc" },
        { "before char first", TextBeforeChar("=abc", '='), "=abc" },
        { "delete range", DeleteRangeCopy("abcdef", 2, 2), "adef" },
        { "delete range clamps", DeleteRangeCopy("abcdef", 5, 9), "abcd" },
        { "delete range From 0", DeleteRangeCopy("abc", 0, 1), "abc" },
        { "delete range Count 0", DeleteRangeCopy("abc", 1, 0), "abc" },
        { "drop last", DropLastChars("abcd", -2), "ab" },
        { "drop more than all", DropLastChars("ab", -5), "" },
        { "drop positive", DropLastChars("ab", 1), "ab" },
        { "replace range", ReplaceRange("abcdef", "XY", 2, 3), "aXYef" },
        { "replace range clamp", ReplaceRange("abc", "X", 3, 9), "abX" },
        { "replace range beyond end", ReplaceRange("abc", "X", 9, 1), "abcX" },
        { "replace range empty insert", ReplaceRange("abc", "", 1, 1), "abc" },
        { "replace range At 0", ReplaceRange("abc", "X", 0, 1), "abc" },
        { "replace all", ReplaceAllStr("aaa", "a", "bb"), "bbbbbb" },
        { "replace all remove", ReplaceAllStr("a--b--", "--", ""), "ab" },
        { "replace all non-overlapping", ReplaceAllStr("aaa", "aa", "b"), "ba" },
        { "replace all empty pattern", ReplaceAllStr("abc", "", "x"), "abc" },
    });

    struct CutCase {
        std::string input;
        char c;
        std::string head, rest;
    };
    for (const CutCase& c : std::vector<CutCase> { { "a=b=c", '=', "a", "b=c" }, { "abc", '=', "abc", "" },
             { "=x", '=', "", "x" } }) {
        std::string s = c.input;
        EXPECT_EQ(CutAtChar(s, c.c), c.head) << c.input;
        EXPECT_EQ(s, c.rest) << c.input;
    }
    for (const CutCase& c : std::vector<CutCase> { { "one two three", 0, "one", "two three" },
             { " lead", 0, "", "lead" }, { " single ", 0, "", "single " }, { "word\t", 0, "word", "" },
             { "alone", 0, "alone", "" } }) {
        std::string s = c.input;
        EXPECT_EQ(CutFirstWord(s), c.head) << c.input;
        EXPECT_EQ(s, c.rest) << c.input;
    }
}

TEST(StrUtilLines, DecodeHexEscapes)
{
    ExpectAll({
        { "percent", DecodeHexEscapes("a%41b", false, '%'), "aAb" },
        { "lone trailing percent", DecodeHexEscapes("100%", false, '%'), "100%" },
        { "percent one digit at end", DecodeHexEscapes("x%4", false, '%'), "x%4" },
        { "not hex", DecodeHexEscapes("%zz%41", false, '%'), "%zzA" },
        { "zero stays", DecodeHexEscapes("%00", false, '%'), "%00" },
        { "blank decoded", DecodeHexEscapes("a%20b", false, '%'), "a b" },
        { "blank kept", DecodeHexEscapes("a%20b%41", true, '%'), "a%20bA" },
        { "percent percent", DecodeHexEscapes("%%41", false, '%'), "%A" },
        { "soft break", DecodeHexEscapes("ab=\r\ncd", false, '='), "abcd" },
        { "soft break run", DecodeHexEscapes("ab=\r\n\r\ncd=", false, '='), "abcd=" },
        { "qp byte", DecodeHexEscapes("caf=E9", false, '='), "caf\xE9" },
        { "embedded zero kept", DecodeHexEscapes(std::string("a\0%41", 5), false, '%'), std::string("a\0A", 3) },
    });
}

TEST(StrUtilBytes, CopyFillLengthAndStrings)
{
    char buf[8] = {};
    char* end = CopyBytesAdvance(buf, "abc", 3, true);
    EXPECT_EQ(end - buf, 5);
    EXPECT_EQ(std::string(buf, 5), "abc\r\n");
    EXPECT_EQ(CopyBytesAdvance(buf, "x", 0, true), buf);
    FillBytes(buf, 2, 'z');
    EXPECT_EQ(std::string(buf, 3), "zzc");
    FillBytes(nullptr, 4, 0);
    EXPECT_EQ(SafeStrLen(nullptr), 0);
    EXPECT_EQ(SafeStrLen("abc"), 3);
    EXPECT_EQ(BytesToString("abc", 2), "ab");
    EXPECT_EQ(BytesToString("abc", -1), "");
    EXPECT_EQ(BytesToString(nullptr, 3), "");
}

TEST(StrUtilPaths, FileNameParts)
{
    ExpectAll({
        { "base", ExtractBaseName("C:\\a.b\\file.tar.gz"), "file.tar" },
        { "base no ext", ExtractBaseName("C:\\a.b\\file"), "file" },
        { "ext", GetFileExtension("C:\\x\\f.TXT"), ".TXT" },
        { "ext folder dot counts", GetFileExtension("C:\\a.b\\file"), ".b\\file" },
        { "ext none", GetFileExtension("C:\\x\\f"), "" },
        { "name", GetFileNamePart("C:\\x\\f.txt"), "f.txt" },
        { "name no slash", GetFileNamePart("f.txt"), "f.txt" },
        { "name trailing slash", GetFileNamePart("C:\\x\\"), "" },
        { "folder", GetFolderPart("C:\\x\\f.txt"), "C:\\x\\" },
        { "folder none", GetFolderPart("f.txt"), "" },
        { "drive", GetDrivePart("C:\\x"), "C:" },
        { "drive only", GetDrivePart("C:"), "C:" },
        { "drive UNC", GetDrivePart("\\\\s\\x"), "" },
        { "replace ext", ReplaceFileExtension("C:\\x\\f.txt", "asc"), "C:\\x\\f.asc" },
        { "replace ext dotted", ReplaceFileExtension("C:\\x\\f.txt", ".asc"), "C:\\x\\f.asc" },
        { "replace ext none", ReplaceFileExtension("C:\\x\\f", "asc"), "C:\\x\\f.asc" },
        { "replace ext folder dot", ReplaceFileExtension("C:\\a.b\\file", "txt"), "C:\\a.b\\file.txt" },
        { "replace ext empty", ReplaceFileExtension("f.txt", ""), "f." },
        { "replace ext empty path", ReplaceFileExtension("", "txt"), "" },
        { "with slash", WithTrailingBackslash("C:\\x"), "C:\\x\\" },
        { "with slash kept", WithTrailingBackslash("C:\\x\\"), "C:\\x\\" },
        { "with slash empty", WithTrailingBackslash(""), "" },
    });

    struct TruncCase {
        std::string input;
        int len;
        std::string expected;
    };
    for (const TruncCase& c : std::vector<TruncCase> { { "C:\\abc\\def", 6, "C:\\abc\\" },
             { "C:\\abc\\def", 7, "C:\\abc\\" }, { "C:\\abc", 6, "C:\\abc\\" }, { "C:\\abc", 99, "C:\\abc\\" },
             { "C:\\abc\\", 99, "C:\\abc\\" }, { "C:\\abc", 0, "" } }) {
        std::string s = c.input;
        TruncateWithBackslash(s, c.len);
        EXPECT_EQ(s, c.expected) << c.input << " " << c.len;
    }
}

TEST(StrUtilClipboard, HtmlHeaderOffsets)
{
    std::string plain = HtmlClipboardData("<b>x</b>");
    EXPECT_EQ(plain.substr(0, 105),
        "Version:0.9\r\nStartHTML:0000000105\r\nEndHTML:0000000113\r\n"
        "StartFragment:0000000105\r\nEndFragment:0000000113\r\n");
    EXPECT_EQ(plain.substr(105), "<b>x</b>");

    std::string doc = HtmlClipboardData("ab<HTML>c</html>");
    EXPECT_NE(doc.find("StartHTML:0000000107\r\n"), std::string::npos);
    EXPECT_NE(doc.find("EndHTML:0000000121\r\n"), std::string::npos);
    EXPECT_EQ(doc.substr(107, 5), "<HTML");
}

} // namespace

TEST(StrUtilText, PercentEscapesDecodeOnlyWithTwoHexDigits)
{
    const struct {
        const char* text;
        std::string decoded;
    } cases[] = {
        { "a%20b", "a b" },
        { "%41%4a%4A", "AJJ" },
        { "100%", "100%" },
        { "%4", "%4" },
        { "%zz%2", "%zz%2" },
        { "%00x", std::string("\0x", 2) },
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodePercentEscapes(c.text), c.decoded) << c.text;
}
