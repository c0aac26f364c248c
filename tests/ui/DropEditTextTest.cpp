// Tests of the rich-edit control's window-free rules: which runs of a line become mail links, how
// link texts are reported and decoded, the footer's checked two-step format, the shortened header,
// the page layout arithmetic and the trimming of trailing blank lines.
#include "ui/controls/DropEditText.h"
#include "foundation/RichEd20Text.h"
#include "framework/Exceptions.h"
#include "ui/controls/DropEditPrintText.h"

#include <gtest/gtest.h>

namespace {

std::u16string U(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

std::vector<std::string> RunTexts(const std::string& line)
{
    std::vector<std::string> texts;
    for (const TTextRun& run : MailAddressRuns(U(line)))
        texts.push_back(
            line.substr(static_cast<std::size_t>(run.Start), static_cast<std::size_t>(run.Length)));
    return texts;
}

TEST(MailAddressRuns, LinksWhatTheStopSetsAllow)
{
    struct Case {
        std::string line;
        std::vector<std::string> links;
    };
    const Case cases[] = {
        { "a b@c.d e", { "b@c.d" } },
        { "x @ y", {} },
        { "x @y", {} },
        { "x@ y", {} },
        { "<j@x.org>", { "j@x.org" } },
        { "\"Q\" <j@x.org>, (k@y.net)", { "j@x.org", "k@y.net" } },
        // A blank ends the local part: only the part after it is an address.
        { "<john smith@x.com>", { "smith@x.com" } },
        // After an opening quote the run reaches the closing one, whatever stands between.
        { "\"bob@x.org a\" end", { "bob@x.org a" } },
        { "[k@y.z", { "k@y.z" } },
        { "{k@y.z more", { "k@y.z more" } },
        { "mail a@b.c and d@e.f\r", { "a@b.c", "d@e.f" } },
        { "caf\xe9@x.org", {} },
        { "@start", {} },
        { "end@", {} },
        { "back\\slash@x.org", { "slash@x.org" } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunTexts(c.line), c.links) << c.line;
}

TEST(MailAddressRuns, StartsAtTheHitAndKeepsPositions)
{
    const auto runs = MailAddressRuns(U("a@b.c d@e.f"), 4);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], (TTextRun { 6, 5 }));
}

TEST(LinkTexts, SchemeRuleAndDecoding)
{
    EXPECT_EQ(LinkTextWithScheme("j@x.org"), "mailto:j@x.org");
    EXPECT_EQ(LinkTextWithScheme("MAILTO:j@x.org"), "MAILTO:j@x.org");
    EXPECT_EQ(LinkTextWithScheme("http://u@h.org/"), "http://u@h.org/");
    EXPECT_EQ(LinkTextWithScheme("FTP://u@h.org/"), "FTP://u@h.org/");
    // Any scheme before the '@' makes a URL, not an address.
    EXPECT_EQ(LinkTextWithScheme("https://u@h.org/"), "https://u@h.org/");
    EXPECT_EQ(LinkTextWithScheme("https://example.org/@name"), "https://example.org/@name");
    EXPECT_EQ(LinkTextWithScheme("ftps://u@h.org/"), "ftps://u@h.org/");
    EXPECT_EQ(LinkTextWithScheme("svn+ssh://u@h.org/"), "svn+ssh://u@h.org/");
    EXPECT_EQ(LinkTextWithScheme("j@x.org:80"), "mailto:j@x.org:80");
    EXPECT_EQ(LinkTextWithScheme("1x:j@x.org"), "mailto:1x:j@x.org");
    EXPECT_EQ(LinkTextWithScheme("http://h.org/"), "http://h.org/");

    EXPECT_EQ(DecodePercentEscapes("a%20b%2Fc"), "a b/c");
    EXPECT_EQ(DecodePercentEscapes("100% %zz %4"), "100% %zz %4");
    EXPECT_EQ(DecodePercentEscapes("%C3%A9"), "\xC3\xA9");
    EXPECT_TRUE(IsMailtoLink("MailTo:x"));
    EXPECT_FALSE(IsMailtoLink("mail:x"));
}

TEST(FormatArgs, ChecksEveryConversionAgainstItsArgument)
{
    EXPECT_EQ(FormatAnsiArgs("Page %s of %d", { std::string("2"), 3 }), "Page 2 of 3");
    EXPECT_EQ(FormatAnsiArgs("100%% %d", { 7 }), "100% 7");
    EXPECT_EQ(FormatAnsiArgs("", { 7 }), "");
    EXPECT_EQ(FormatWideArgs(u"p. %d", { 12 }), u"p. 12");

    struct Bad {
        std::string format;
        std::vector<TFormatArg> args;
        std::string message;
    };
    const Bad bad[] = {
        { "%d %s", { std::string("%d"), 3 }, "Invalid AS string format argument #1" },
        { "%s %s", { std::string("%d"), 3 }, "Invalid AS string format argument #2" },
        { "%5d", { 3 }, "Invalid AS string format argument #1" },
        { "%d %d", { 3 }, "Invalid AS string format argument #2" },
        { "end %", { 3 }, "Invalid AS string format argument #1" },
    };
    for (const Bad& b : bad) {
        try {
            FormatAnsiArgs(b.format, b.args);
            ADD_FAILURE() << b.format;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), b.message) << b.format;
        }
    }
    try {
        FormatWideArgs(u"%s", { 1 });
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Invalid WS string format argument #1");
    }
}

TEST(FormatArgs, CutsAt1024Characters)
{
    const std::string longText(2000, 'x');
    EXPECT_EQ(FormatAnsiArgs("%s!", { longText }).size(), 1024u);
    EXPECT_EQ(FormatWideArgs(u"%s", { longText }).size(), 1024u);
}

TEST(FooterPageText, CurrentPageWhereSStoodAndCountWhereDStood)
{
    EXPECT_EQ(FooterPageText("Page %s of %d", 3, 2), u"Page 2 of 3");
    EXPECT_EQ(FooterPageText("Seite %s/%d \xC3\xBC", 10, 9), u"Seite 9/10 \u00FC");
    EXPECT_THROW(FooterPageText("%d of %s", 3, 2), EConvertError);
    // A wide footer gets only the page number.
    EXPECT_EQ(FooterPageText(WideTextOfUnits(u"- %d -"), 3, 2), u"- 2 -");
}

TEST(HeaderLineText, ShortensToTheWidthWithAnEllipsis)
{
    const auto extent = [](const std::u16string& s) { return static_cast<int>(s.size()) * 10; };
    EXPECT_EQ(HeaderLineText("short", 100, extent), u"short");
    // 20 characters in 100 pixels: cut at 10, back 3 to 7, back over the blank at 6.
    EXPECT_EQ(HeaderLineText("abcdef ghijklmnopqrs", 100, extent), u"abcdef\u2000\u2026");
    EXPECT_EQ(HeaderLineText("abcdefghijklmnopqrst", 100, extent), u"abcdefg\u2000\u2026");
    EXPECT_EQ(HeaderLineText("\xC3\xA9t\xC3\xA9", 100, extent), u"\u00E9t\u00E9");
    EXPECT_EQ(HeaderLineText("ab", 1, extent), u"\u2000\u2026");
    const std::string wide = WideTextOfUnits(u"a very long wide header");
    EXPECT_EQ(HeaderLineText(wide, 10, extent), u"a very long wide header");
}

TEST(PrintLayout, MarginsAndLinesInPrinterPixelsAndTwips)
{
    EXPECT_EQ(MulDivRound(5, 3, 2), 8);
    EXPECT_EQ(MulDivRound(-5, 3, 2), -8);
    EXPECT_EQ(MulDivRound(1, 2, 0), -1);

    // An A4 page at 600 dpi, a 16-pixel line on a 1,000-pixel screen.
    const TPrintDevice a4 { 4960, 7016, 210, 297, 600, 600, 1000 };
    const TPrintLayout layout = ComputePrintLayout(a4, { 20, 15, 10, 25 }, 16);
    EXPECT_EQ(layout.LineHeight, 112);
    EXPECT_EQ(layout.Header.Left, 472);
    EXPECT_EQ(layout.Header.Right, 4960 - 236);
    EXPECT_EQ(layout.Header.RuleY, 354);
    EXPECT_EQ(layout.Header.Top, 354 - 112);
    EXPECT_EQ(layout.Header.Width, 4960 - 236 - 472);
    EXPECT_EQ(layout.Footer.RuleY, 7016 - 591);
    EXPECT_EQ(layout.Footer.TextY, 7016 - 591 + 112);
    EXPECT_EQ(layout.FormatLeft, 1133);
    EXPECT_EQ(layout.FormatRight, MulDivRound(4960 - 236, 1440, 600));
    EXPECT_EQ(layout.FormatTop, MulDivRound(354 + 112, 1440, 600));
    EXPECT_EQ(layout.FormatBottom, MulDivRound(7016 - 591 - 112, 1440, 600));
}

TEST(TrailingBlankLines, EndAfterTheLastLineWithText)
{
    EXPECT_EQ(LengthWithoutTrailingBlankLines(u"one\rtwo  \r \r\t\r"), 9);
    EXPECT_EQ(LengthWithoutTrailingBlankLines(u"one\r\ntwo\r\n\r\n"), 8);
    EXPECT_EQ(LengthWithoutTrailingBlankLines(u"one"), 3);
    EXPECT_EQ(LengthWithoutTrailingBlankLines(u" \r\r"), 0);
    EXPECT_EQ(LengthWithoutTrailingBlankLines(u""), 0);
}

} // namespace
