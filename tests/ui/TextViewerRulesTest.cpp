// Tests of the text viewer's window-free rules: the menu captions, file-safe and re-extended
// names, the folder caption's date range in both sort orders, the UTF-16 file form and the
// summary values that print bold.
#include "ui/dialogs/TextViewerRules.h"

#include "foundation/RichEd20Text.h"

#include <gtest/gtest.h>

TEST(TextViewerRules, HtmlWithImagesPutsTheAcceleratorAfterTheFirstBlank)
{
    EXPECT_EQ(HtmlWithImagesCaption("with embedded objects"), "Html Text with &embedded objects");
    EXPECT_EQ(HtmlWithImagesCaption("pictures"), "Html Text &pictures");
    EXPECT_EQ(WithoutAccelerator("&Rich Text"), "Rich Text");
    EXPECT_EQ(WithoutAccelerator("Uni&x Mailbox"), "Unix Mailbox");
    EXPECT_EQ(FormatWithOne("&Copy %s", "link"), "&Copy link");
    EXPECT_EQ(FormatWithOne("no place", "link"), "no place");
}

TEST(TextViewerRules, NamesBecomeFileSafeAndTakeTheirExtension)
{
    struct Case {
        const char* name;
        const char* extension;
        const char* expected;
    };
    for (const Case& c : std::initializer_list<Case> {
             { "Mail folder [In*box]: 3 messages", ".txt", "Mail folder [In_box]_ 3 messages.txt" },
             { "a/b\\c|d<e>f?g", ".rtf", "a_b_c_d_e_f_g.rtf" },
             { "report.pdf", ".txt", "report.txt" },
             { "archive.tar.gz", ".htm", "archive.tar.htm" },
             { "noext", ".txt", "noext.txt" },
         })
        EXPECT_EQ(ReplaceExtension(FileSafeName(c.name), c.extension), c.expected) << c.name;
    // A point in a folder name is not an extension.
    EXPECT_EQ(ReplaceExtension("C:\\my.dir\\file", ".txt"), "C:\\my.dir\\file.txt");
}

TEST(TextViewerRules, DateRangeReadsEarlierFirstInBothOrders)
{
    EXPECT_EQ(DateRangeText(3, " messages", 100.0, 200.0, "early", "late"), "3 messages, early - late");
    EXPECT_EQ(DateRangeText(3, " messages", 200.0, 100.0, "late", "early"), "3 messages, early - late");
    EXPECT_EQ(DateRangeText(1, " messages", 100.0, 100.0, "same", "same"), "1 messages, same - same");
}

TEST(TextViewerRules, WideFileBytesHaveTheMarkAndNoTerminator)
{
    EXPECT_EQ(WideFileBytes(WideTextOfUnits(u"Ab")),
        std::string("\xFF\xFE"
                    "A\0b\0",
            6));
    EXPECT_EQ(WideFileBytes(WideTextOfUnits(u"")), std::string("\xFF\xFE"));
}

TEST(TextViewerRules, SummaryValuesAfterTheTabUpToTheFirstBlankLine)
{
    const std::u16string summary
        = u"Date:\tMon, 7 Dec\r\nFrom:\tAlice\r\nNoTab line\r\nSubject:\t\r\n \r\nBody:\tnot bold";
    const std::vector<TBoldSpan> spans = SummaryValueSpans(summary);
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0].Start, 6);
    EXPECT_EQ(spans[0].Length, 10);
    // "Date:\tMon, 7 Dec" is 16 characters and its line break counts as one.
    EXPECT_EQ(spans[1].Start, 17 + 6);
    EXPECT_EQ(spans[1].Length, 5);
    EXPECT_TRUE(SummaryValueSpans(u"").empty());
    EXPECT_TRUE(SummaryValueSpans(u"\r\nDate:\tx").empty());
}
