// The editor interface's window-free text rules: info-box text, line ends, header-block rebuild
// and the section marker lines.
#include "plugin/TERInterfaceText.h"

#include <gtest/gtest.h>

using namespace TERText;

TEST(TERInterfaceText, InfoBoxColoursByKind)
{
    const struct {
        int kind;
        bool box;
        uint32_t colour;
    } cases[] = { { 1, false, 0 }, { 2, true, 0x8000 }, { 3, true, 0x8000 }, { 4, true, 0x8000 },
        { 5, true, 0xFF }, { 6, true, 0x80FF }, { 7, false, 0 }, { 0, false, 0 }, { -1, false, 0 } };
    for (const auto& c : cases) {
        uint32_t colour = 0;
        EXPECT_EQ(InfoBoxColour(c.kind, colour), c.box) << c.kind;
        if (c.box) {
            EXPECT_EQ(colour, c.colour) << c.kind;
        }
    }
}

TEST(TERInterfaceText, EveryInfoLineAfterTheFirstIsIndented)
{
    EXPECT_EQ(IndentInfoText("one\r\ntwo\r\nthree"), "one\r\n\t\ttwo\r\n\t\tthree");
    EXPECT_EQ(IndentInfoText("one"), "one");
    EXPECT_EQ(IndentInfoText("bare\nLF"), "bare\nLF"); // only CR LF starts a line of the box
    EXPECT_EQ(IndentInfoText("end\r\n"), "end\r\n\t\t");
}

TEST(TERInterfaceText, LineEndsBecomeCrLf)
{
    EXPECT_EQ(NormaliseLineEnds("a\rb\nc\r\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(NormaliseLineEnds("\r\r"), "\r\n\r\n");
    EXPECT_EQ(NormaliseLineEnds(""), "");
}

TEST(TERInterfaceText, HeaderBlockEndsAtTheWantedBlankLine)
{
    const std::string text = "From: a\r\nTo: b\r\n\r\nSecond: c\r\n\r\nbody";
    EXPECT_EQ(HeaderBlockOf(text, 0), "From: a\r\nTo: b");
    EXPECT_EQ(HeaderBlockOf(text, 1), "From: a\r\nTo: b\r\n\r\nSecond: c");
    EXPECT_EQ(HeaderBlockOf(text, 5), text); // fewer blank lines: the whole text
    EXPECT_EQ(HeaderBlockOf("", 0), "");
}

TEST(TERInterfaceText, HeaderLinesArePaddedToSixteenAndATab)
{
    EXPECT_EQ(RebuildHeaderBlock("Subject:   x", false), "Subject:        \tx\r\n");
    EXPECT_EQ(RebuildHeaderBlock("From: \t a@b\r\nno colon here", false), "From:           \ta@b\r\nno colon here\r\n");
    // A name of 16 characters or more is not cut.
    EXPECT_EQ(RebuildHeaderBlock("X-Very-Long-Name-Here: v", false), "X-Very-Long-Name-Here:\tv\r\n");
    // The value keeps colons of its own.
    EXPECT_EQ(RebuildHeaderBlock("Date: 12:30", false), "Date:           \t12:30\r\n");
}

TEST(TERInterfaceText, FirstPartOfTheBlockStaysInFront)
{
    EXPECT_EQ(RebuildHeaderBlock("  Quoted text\r\n\r\nTo: b", false), "Quoted text\r\n\r\nTo:             \tb\r\n");
    EXPECT_EQ(RebuildHeaderBlock("Reply header\r\nTo: b", true), "\r\n\r\nReply header\r\nTo:             \tb\r\n");
    EXPECT_EQ(RebuildHeaderBlock("Reply header", true), "\r\n\r\nReply header\r\n");
}

TEST(TERInterfaceText, MarkerLinesCarryTheKindName)
{
    const std::string ten(10, '\x97'), eleven(11, '\x97');
    EXPECT_EQ(BeginMarkerLine("begin %s", "PGP/MIME"), "< " + ten + " begin PGP/MIME " + ten + " >\r\n");
    EXPECT_EQ(EndMarkerLine("end %s", "S/MIME"), "< " + eleven + " end S/MIME " + eleven + " >\r\n");
    const struct {
        uint32_t kind;
        const char* name;
    } kinds[] = { { 5, "PGP/MIME" }, { 6, "signed PGP/MIME" }, { 7, "PGP/MIME" }, { 8, "S/MIME" },
        { 9, "signed S/MIME" }, { 10, "signed S/MIME" } };
    for (const auto& k : kinds)
        EXPECT_EQ(SectionKindName(k.kind), k.name) << k.kind;
}
