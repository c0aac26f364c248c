// Tests of the encoding half of MailUtils: quoted-printable and Q words both ways, address
// headers, RFC 2047/2231 decoding, dates and the small text helpers.
#include "mime/MailUtils.h"
#include "FakeMailServices.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <ctime>
#include <random>

namespace {

class Encodings : public testing::Test {
protected:
    TBoundLatin1Services Services;
};

// The body rules one byte at a time, as the encoder had them before it worked in blocks.
std::string EncodeByTheRules(const std::string& Text)
{
    const auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };
    std::string out;
    std::size_t column = 0;
    std::size_t breakAfter = std::string::npos;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(Text[i]);
        if (isLineEnd(Text[i])) {
            out += Text[i];
            column = 0;
            breakAfter = std::string::npos;
            continue;
        }
        const bool nextIsLineEnd = i + 1 < Text.size() && isLineEnd(Text[i + 1]);
        const bool blank = c == ' ' || c == '\t';
        bool encoded = (c < 32 && !blank) || c >= 0x7F || c == '=' || c == '?' || c == '_' ||
                       (blank && (i + 1 == Text.size() || nextIsLineEnd));
        const std::size_t limit = encoded ? 72 : 74;
        if (column > limit && (encoded || !nextIsLineEnd)) {
            if (breakAfter != std::string::npos) {
                out.insert(breakAfter, "=\r\n");
                column = out.size() - (breakAfter + 3);
            }
            if (breakAfter == std::string::npos || column > limit) {
                out += "=\r\n";
                column = 0;
            }
            breakAfter = std::string::npos;
        }
        if (column == 0 && Text.compare(i, 5, "From ") == 0)
            encoded = true;
        if (encoded) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "=%02X", c);
            out += hex;
            column += 3;
        } else {
            out += Text[i];
            ++column;
            if ((blank || c == '/' || c == '\\') && !(i + 1 < Text.size() && Text[i + 1] == 'F'))
                breakAfter = out.size();
        }
    }
    return out;
}

// Text that meets every rule of the body encoding often: blanks and '=' near column 75, blanks
// before line ends, lone CR and LF, "From ", 8-bit and NUL bytes, long kept runs.
std::string AdversarialText(std::mt19937& Random, std::size_t MaxLength)
{
    static const std::string pieces[] = { " ", "\t", "\r\n", "\r", "\n", "=", "?", "_", "/", "\\", "F", "From ",
                                          "\x80", "\xFF", std::string(1, '\0'), "x", std::string(29, 'x'), " \r\n",
                                          "\t\n", "a b c d e f", "Gr\xC3\xBC\xC3\x9F" "e " };
    std::string text(Random() % 4 == 0 ? Random() % 90 : 0, 'y');
    const std::size_t length = Random() % 10 == 0 ? Random() % 3 : Random() % MaxLength;
    while (text.size() < length)
        text += pieces[Random() % std::size(pieces)];
    return text;
}

TEST_F(Encodings, DecodeQuotedPrintableTable)
{
    const struct {
        const char* In;
        bool Header;
        const char* Out;
    } cases[] = {
        {"a=3Db", false, "a=b"},
        {"soft=\r\nbreak", false, "softbreak"},
        {"soft=\nbreak", false, "softbreak"},
        {"keep=ZZ", false, "keep=ZZ"},
        {"nul=00x", false, "nul=00x"},
        {"lower=c3=a4", false, "lower\xC3\xA4"},
        {"end=", false, "end"},
        {"end=4", false, "end"},
        {"a_b\tc", true, "a b c"},
        {"a_b", false, "a_b"},
        {"", false, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeQuotedPrintable(c.In, c.Header), c.Out) << c.In;
}

TEST_F(Encodings, EncodeQuotedPrintableBodyRules)
{
    const std::string letters(100, 'x');
    const std::string encoded = EncodeQuotedPrintable(letters, "");
    EXPECT_EQ(encoded, std::string(75, 'x') + "=\r\n" + std::string(25, 'x'));
    EXPECT_EQ(EncodeQuotedPrintable("trailing \r\nnext\t", ""), "trailing=20\r\nnext=09");
    EXPECT_EQ(EncodeQuotedPrintable("a=b?c_d\x7F\xFF", ""), "a=3Db=3Fc=5Fd=7F=FF");
    // What transports change is encoded: "From " at a line start, and no line grows past 76
    // characters, also with an encoded byte right before its line end.
    EXPECT_EQ(EncodeQuotedPrintable("From me\r\nFrom\r\n From", ""), "=46rom me\r\nFrom\r\n From");
    EXPECT_EQ(EncodeQuotedPrintable(std::string(75, 'x') + "\xFF\r\n", ""),
              std::string(75, 'x') + "=\r\n=FF\r\n");
    // A soft break goes behind the last blank, so words stay whole.
    std::string words;
    for (int i = 0; i < 20; ++i)
        words += "word ";
    const std::string wrapped = EncodeQuotedPrintable(words + "end", "");
    EXPECT_EQ(wrapped.substr(0, 78), "word word word word word word word word word word word word word word word =\r\n");
    EXPECT_EQ(DecodeQuotedPrintable(wrapped, false), words + "end");
}

TEST_F(Encodings, QuotedPrintableRoundTripsAndKeepsLinesShort)
{
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        // Long runs of kept letters too, so whole blocks of sixteen are copied at once.
        std::string text;
        const int length = random() % 400;
        const int letterShare = round % 2 ? 10 : 60;
        for (int i = 0; i < length; ++i) {
            const int pick = random() % letterShare;
            if (pick == 3)
                text += "From ";
            else
                text += pick == 0 ? '\n' : pick == 1 ? ' ' : pick == 2 ? static_cast<char>(random() % 256)
                                                                      : static_cast<char>('a' + random() % 26);
        }
        // Line ends are written as they are, so a lone CR or LF would not survive transport.
        std::string normalized;
        for (char c : text)
            if (c != '\r')
                normalized += c == '\n' ? std::string("\r\n") : std::string(1, c);
        const std::string encoded = EncodeQuotedPrintable(normalized, "");
        std::size_t lineStart = 0;
        for (std::size_t i = 0; i <= encoded.size(); ++i)
            if (i == encoded.size() || encoded[i] == '\r') {
                EXPECT_LE(i - lineStart, 76u) << encoded;
                EXPECT_NE(encoded.compare(lineStart, 5, "From "), 0) << encoded;
                if (i > lineStart)
                    EXPECT_TRUE(encoded[i - 1] != ' ' && encoded[i - 1] != '\t') << encoded;
                lineStart = i + 2;
            }
        std::string decoded = DecodeQuotedPrintable(encoded, false);
        EXPECT_EQ(decoded, normalized.find('\0') == std::string::npos ? normalized : decoded);
    }
}

TEST_F(Encodings, QuotedPrintableBodyFollowsTheByteRulesOverLongRuns)
{
    std::mt19937 random(30);
    // Some texts span several of the blocks the encoder classifies at a time.
    for (int round = 0; round < 3000; ++round) {
        const std::string text = AdversarialText(random, round % 50 == 0 ? 20000 : 1200);
        ASSERT_EQ(EncodeQuotedPrintable(text, ""), EncodeByTheRules(text)) << text;
    }
    for (std::size_t column = 60; column < 90; ++column)
        for (const char* tail : { "=", "= ", "=\r\n", " \r\n", "\t\r\n", " ", "\xFF\r\n", "From x", "/From", " F" })
            for (const std::size_t lead : { 0, 4040 }) {
                const std::string text =
                    std::string(lead, 'p') + "a b" + std::string(column, 'x') + tail + std::string(200, 'z');
                ASSERT_EQ(EncodeQuotedPrintable(text, ""), EncodeByTheRules(text)) << text;
            }
}

TEST_F(Encodings, QWordsAreShortCleanAndDecodeBack)
{
    EXPECT_EQ(EncodeQuotedPrintable("Gr\xC3\xBC\xC3\x9F" "e an dich", "UTF-8"),
              "=?UTF-8?Q?Gr=C3=BC=C3=9Fe_an_dich?=");
    const std::string inputs[] = {
        std::string(200, 'a'),
        "line one\r\nline two\ttab",
        "\xC3\xA4\xC3\xB6\xC3\xBC \xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC long text with many words in it to fold "
        "more than once and \xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4",
        "ends with blank ",
        "=?not a word?= (x) ,y",
    };
    for (const std::string& input : inputs) {
        const std::string encoded = EncodeQuotedPrintable(input, "UTF-8");
        std::size_t start = 0;
        while (start < encoded.size()) {
            std::size_t end = encoded.find("\r\n ", start);
            if (end == std::string::npos)
                end = encoded.size();
            const std::string word = encoded.substr(start, end - start);
            EXPECT_LE(word.size(), 75u) << word;
            EXPECT_EQ(word.find_first_of(" \t\r\n"), std::string::npos) << word;
            EXPECT_EQ(word.rfind("=?UTF-8?Q?", 0), 0u) << word;
            start = end + 3;
        }
        EXPECT_EQ(DecodeEncodedWords(encoded), input == "line one\r\nline two\ttab" ? "line one  line two tab"
                                                                                      : input.substr(0, input.find_last_not_of(' ') + 1))
            << encoded;
    }
}

TEST_F(Encodings, AddressHeaderKeepsEveryAddressApart)
{
    const std::string encoded = EncodeAddressHeader("J\xC3\xB6rg <a@x.org>, M\xC3\xBCller <b@y.org>", "UTF-8");
    EXPECT_EQ(encoded, "=?UTF-8?Q?J=C3=B6rg?= <a@x.org>, =?UTF-8?Q?M=C3=BCller?= <b@y.org>");
    // Long results are folded once, before their first blank.
    EXPECT_EQ(EncodeAddressHeader("J\xC3\xB6rg <joerg@example.org>, M\xC3\xBCller <mueller@example.org>", "UTF-8"),
              "=?UTF-8?Q?J=C3=B6rg?=\r\n <joerg@example.org>, =?UTF-8?Q?M=C3=BCller?= <mueller@example.org>");
    EXPECT_EQ(EncodeAddressHeader("\"M\xC3\xBCller, Hans\" <h@x.org>", "UTF-8"),
              "=?UTF-8?Q?M=C3=BCller=2C_Hans?= <h@x.org>");
    EXPECT_EQ(EncodeAddressHeader("plain <p@x.org>", "UTF-8"), "plain <p@x.org>");
    EXPECT_EQ(EncodeAddressHeader("a@x.org (J\xC3\xB6rg)", "UTF-8"), "a@x.org (=?UTF-8?Q?J=C3=B6rg?=)");
}

TEST_F(Encodings, DecodeEncodedWordsTable)
{
    const std::pair<const char*, const char*> cases[] = {
        {"=?UTF-8?Q?a?= =?UTF-8?Q?b?=", "ab"},
        {"=?UTF-8?Q?a_?= =?UTF-8?Q?b?=", "a b"},
        {"=?UTF-8?Q?a?=\r\n =?UTF-8?Q?_b?=", "a b"},
        {"x =?ISO-8859-1?Q?=E4?= y", "x \xC3\xA4 y"},
        {"=?utf-8?b?w6Q=?=", "\xC3\xA4"},
        {"=?UTF-8*de?Q?x?=", "x"},
        {"=?UTF-8?B?YQ1iAGMKZA==?=", "a bc d"},
        {"raw \xE4 =?UTF-8?Q?=C3=A4?=", "raw \xC3\xA4 \xC3\xA4"},
        {"broken =?UTF-8?Q?no end", "broken =?UTF-8?Q?no end"},
        {"=?x?Q?a?= tail  ", "a tail"},
        {"no words at all", "no words at all"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(DecodeEncodedWords(in), out) << in;
}

TEST_F(Encodings, HeaderParametersPlainAndRfc2231)
{
    const std::pair<const char*, const char*> named[] = {
        {"attachment; filename=\"report.pdf\"; name=\"other.pdf\"", "other.pdf"},
        {"attachment; filename=\"name=bad\"; name=good", "good"},
        {"attachment; name*=UTF-8''J%C3%B6rg.txt", "J\xC3\xB6rg.txt"},
        {"attachment; name*0*=ISO-8859-1''a%E4; name*1*=b%E4; name*2=\"c d\"", "a\xC3\xA4" "b\xC3\xA4" "c d"},
        {"attachment; name*0=\"one \"; name*1=\"two\"", "one two"},
        {"attachment; name=\"=?UTF-8?Q?=C3=A4.txt?=\"", "\xC3\xA4.txt"},
        {"attachment; name=\"a\\\"b.txt\"", "a\\\"b.txt"},
        {"attachment; name = spaced.txt ; x=y", "spaced.txt"},
        {"attachment; filename=only.txt", ""},
    };
    for (const auto& [value, expected] : named)
        EXPECT_EQ(GetHeaderParameter(value, "name", nullptr, false), expected) << value;
    EXPECT_EQ(GetHeaderParameter("a; name=\"=?UTF-8?Q?x?=\"", "name", nullptr, true), "=?UTF-8?Q?x?=");

    THeaderData section = WholeTextSection(MakeSharedText(
        "Content-Disposition: attachment;\r\n filename=\"folded.txt\" (comment)\r\n\r\nbody"));
    FindHeaderEnd(section, hmAll);
    EXPECT_EQ(GetHeaderParameter("Content-Disposition:", "filename", &section, false), "folded.txt");
}

TEST_F(Encodings, DatesTable)
{
    const struct {
        const char* Header;
        const char* Utc; // empty: no date
    } cases[] = {
        {"Tue, 8 Dec 2026 20:50:34 +0200 (CEST)", "Tue, 8 Dec 2026 18:50:34 +0000"},
        {"8 Dec 2026 20:50:34 EST", "Wed, 9 Dec 2026 01:50:34 +0000"},
        {"Tue, 8 Dec 2026 20:50:34 +0100 CET", "Tue, 8 Dec 2026 19:50:34 +0000"},
        {"Tue, 8 Dec 2026 20:50:34 -0500 EST (Eastern)", "Wed, 9 Dec 2026 01:50:34 +0000"},
        {"Tue, 08 Dec 2026 20:50:34 CEST", "Tue, 8 Dec 2026 20:50:34 +0000"},
        {"Tue, 08 Dec 2026 20:50:34 +02:00", "Tue, 8 Dec 2026 18:50:34 +0000"},
        {"Tue, 08 Dec 2026 20:50 -0130", "Tue, 8 Dec 2026 22:20:00 +0000"},
        {"1 Jan 49 00:00:00 GMT", "Fri, 1 Jan 2049 00:00:00 +0000"},
        {"1 Jan 50 00:00:00 GMT", "Sun, 1 Jan 1950 00:00:00 +0000"},
        {"31 Dec 105 23:59:60 UT", "Sat, 31 Dec 2005 23:59:59 +0000"},
        {"29 Feb 2024 12:00:00 +0000", "Thu, 29 Feb 2024 12:00:00 +0000"},
        {"29 Feb 2023 12:00:00 +0000", ""},
        {"1 Xyz 2026 12:00:00", "Thu, 1 Jan 2026 12:00:00 +0000"},
        {"garbage", ""},
        {"32 Jan 2026 10:00:00", ""},
        {"1 Jan 2026 24:00:00", ""},
        {"1 Jan 20265 10:00:00", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        TDateTime utc = 1;
        std::string display = "x";
        const bool parsed = ParseDateHeader(c.Header, utc, display);
        EXPECT_EQ(parsed, *c.Utc != '\0') << c.Header;
        if (parsed) {
            EXPECT_EQ(FormatRfc822Date(utc), c.Utc) << c.Header;
            EXPECT_NE(display.find("(UTC)"), std::string::npos);
        } else {
            EXPECT_EQ(utc, 0) << c.Header;
            EXPECT_EQ(display, "") << c.Header;
        }
    }
    TDateTime utc;
    std::string display;
    ASSERT_TRUE(ParseDateHeader("Tue, 8 Dec 2026 20:50:34 +0000", utc, display));
    EXPECT_EQ(display, "Tue, 8 Dec 2026, 20:50:34 (UTC)");
    EXPECT_EQ(FormatRfc822Date(utc, 90), "Tue, 8 Dec 2026 20:50:34 +0130");
    EXPECT_EQ(FormatRfc822Date(0), "Sat, 30 Dec 1899 00:00:00 +0000");
}

// Sets the C library's zone for this program (POSIX form; a test program starts in UTC).
void SetZone(const char* Zone)
{
#ifdef _WIN32
    _putenv((std::string("TZ=") + Zone).c_str());
    _tzset();
#else
    setenv("TZ", Zone, 1);
    tzset();
#endif
}

TEST_F(Encodings, PortableDateTextsAreLocalTime)
{
    TDateTime utc = 0;
    std::string display;
    ASSERT_TRUE(ParseDateHeader("Tue, 8 Dec 2026 20:50:34 +0000", utc, display));
    TMailServices portable;
    SetZone("XYZ-2"); // two hours east of UTC
    EXPECT_EQ(portable.LocalDateTimeText(utc), "2026-12-08, 22:50");
    SetZone("XYZ+5");
    EXPECT_EQ(portable.LocalDateTimeText(utc), "2026-12-08, 15:50");
    SetZone("UTC0");
    EXPECT_EQ(portable.LocalDateTimeText(utc), "2026-12-08, 20:50");
    // Before 1970 the C library cannot say: the UTC value, marked as such.
    EXPECT_EQ(portable.LocalDateTimeText(0), "1899-12-30, 00:00 (UTC)");
}

TEST_F(Encodings, TextHelpers)
{
    EXPECT_EQ(NormalizeLineBreaks("a\r\r\r\nb\r\nc"), "a\r\nb\r\nc");
    EXPECT_EQ(NormalizeLineBreaks("plain"), "plain");
    EXPECT_EQ(ShortenText(std::string(20, 'a'), 10), std::string(8, 'a') + " \x85");
    EXPECT_EQ(ShortenText("short", 10), "short");
    EXPECT_EQ(ShortenText("abcdef", 3), "");
    const std::string wide("a\0b\0c\0d\0e\0f\0g\0\0\0", 16);
    EXPECT_EQ(ShortenText(wide, 4), std::string("a\0b\0 \0\x26\x20\0\0", 10));
    // A UTF-16 text's terminator counts: Maximum + 1 units are cut, Maximum fit.
    EXPECT_EQ(ShortenText(wide, 6), std::string("a\0b\0c\0d\0 \0\x26\x20\0\0", 14));
    EXPECT_EQ(ShortenText(wide, 7), wide);
    EXPECT_EQ(FirstNumberInText("abc 123 45"), 123);
    EXPECT_EQ(FirstNumberInText("none"), 0);
    EXPECT_EQ(DropBlankText("\r\n\r\n"), "");
    EXPECT_EQ(DropBlankText(" \r\n"), " \r\n");
    EXPECT_EQ(BlankLineSuffix("a\r\n\r\n"), "");
    EXPECT_EQ(BlankLineSuffix("a\r\n"), "\r\n");
    EXPECT_EQ(BlankLineSuffix("a"), "\r\n\r\n");
    EXPECT_EQ(BlankLineSuffix(std::string("a\0\r\0\n\0\0\0", 8)), std::string("\r\0\n\0\0\0", 6));
    EXPECT_EQ(ConcatTexts({"a", "b", "c"}, 1), "ab");
    EXPECT_EQ(ConcatTexts({std::string("a\0\0\0", 4), std::string("b\0\0\0", 4)}, 1), std::string("a\0b\0\0\0", 6));
    std::string escaped = "a\\\"b\\\\c";
    RemoveBackslashEscapes(escaped);
    EXPECT_EQ(escaped, "a\"b\\c");
    EXPECT_TRUE(IsUnescapedAt("\\\\\"", 3));
    EXPECT_FALSE(IsUnescapedAt("a\\\"", 3));
    EXPECT_TRUE(IsUnescapedAt("x", 1));
    EXPECT_EQ(AddressItemLength("\"Doe, J\" <j@x>, b@y", 1), 14);
    EXPECT_EQ(AddressItemLength("a@x (c, d), b@y", 1), 10);
    EXPECT_EQ(FirstAddressEtAl("\"Doe, J\" <j@x>, b@y"), "\"Doe, J\" <j@x> et al.");
    EXPECT_EQ(FirstAddressEtAl("only@x"), "only@x");
    EXPECT_TRUE(TextHasControlChars(std::string("a\x01", 2)));
    EXPECT_FALSE(TextHasControlChars("a\tb\r\n"));
    EXPECT_TRUE(TextHasNonAscii("caf\xE9"));
    EXPECT_FALSE(TextHasNonAscii("plain ~ text\r\n"));
}

TEST_F(Encodings, CharsetWrappersFallBackAsTheirContractSays)
{
    EXPECT_EQ(Utf8TextToAnsi("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(Utf8TextToAnsi("\xE2\x82\xAC"), "\xE2\x82\xAC"); // not convertible: input itself
    EXPECT_EQ(CharsetTextToUtf8("\xE9", "X-UNKNOWN"), "\xC3\xA9"); // from ANSI
    EXPECT_EQ(CharsetTextToAnsi("\xC3\xA9", "UTF-8"), "\xE9");
    // 8-bit text under a US-ASCII label is read as undeclared text: UTF-8 when it is, else ANSI.
    EXPECT_EQ(CharsetTextToAnsi("M\xC3\xBCnchen", "US-ASCII"), "M\xFCnchen");
    EXPECT_EQ(CharsetTextToAnsi("M\xFCnchen", "us-ascii"), "M\xFCnchen");
    EXPECT_EQ(AnyTextToAnsi("plain"), "plain");
    EXPECT_EQ(DecodeBase64Body("  YWJj\r\n "), "abc");
}

} // namespace

namespace {

class THtmlHostServices : public TLatin1MailServices {
public:
    bool Fail = false;
    std::string PlainTextToRtf(const std::string& Text, const TRtfFontSpec& Font) override
    {
        return Fail ? std::string() : "{\\rtf " + Font.Face + ":" + Text + "}";
    }
    std::string RtfToHtml(const std::string& Rtf) override { return "<p>" + Rtf + "</p>"; }
    std::string CleanHtml(const std::string& Html) override { return "<html>" + Html + "</html>"; }
};

TEST(ConvertTextForHost, HtmlWindowGetsHtmlAndAnyFailureGivesAnsi)
{
    THtmlHostServices services;
    BindMailServices(&services);
    TRtfFontSpec font;
    font.Face = "Arial";
    EXPECT_EQ(ConvertTextForHost("K\xC3\xA4se", "<html>", "UTF-8", font), "<html><p>{\\rtf Arial:K\xE4se}</p></html>");
    EXPECT_EQ(ConvertTextForHost("K\xC3\xA4se", "plain window", "", font), "K\xE4se");
    services.Fail = true;
    EXPECT_EQ(ConvertTextForHost("K\xE4se", "<p>", "ISO-8859-1", font), "K\xE4se");
    BindMailServices(nullptr);
}

} // namespace
