// Tests of the help handler's lists: the scan of a popups page (body limits, letter case, where a
// paragraph ends, when the scan stops), the popup accessors with their prefix, and topic lookup.
#include "ui/controls/HelpLists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Ids(const std::vector<THelpParagraph>& paragraphs)
{
    std::vector<std::string> ids;
    for (const auto& p : paragraphs)
        ids.push_back(p.Id);
    return ids;
}

struct SplitCase {
    const char* name;
    const char* page;
    std::vector<std::string> ids;
};

class PopupPageScan : public testing::TestWithParam<SplitCase> { };

TEST_P(PopupPageScan, FindsTheParagraphIdsInOrder)
{
    EXPECT_EQ(Ids(SplitPopupParagraphs(GetParam().page, "IDH_")), GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(Pages, PopupPageScan,
    testing::Values(
        SplitCase { "TwoParagraphs", "<html><body><p id=\"IDH_A\">a</p><p id=\"IDH_B\">b</p></body></html>",
            { "IDH_A", "IDH_B" } },
        SplitCase { "TagsAndPrefixInOtherCase", "<BODY><P ID=\"idh_x\">x</P><p Id=\"iDh_y\">y</body>",
            { "idh_x", "iDh_y" } },
        SplitCase { "OutsideTheBodyIgnored",
            "<head><p id=\"IDH_HEAD\">h</p></head><body><p id=\"IDH_IN\">i</p></body><p id=\"IDH_AFTER\">z</p>",
            { "IDH_IN" } },
        SplitCase { "NoBody", "<p id=\"IDH_A\">a</p>", {} },
        SplitCase { "OtherIdsAreNotParagraphStarts", "<body><p id=\"X\">x</p><p id=\"IDH_A\">a</p></body>",
            { "IDH_A" } },
        SplitCase { "IdWithoutClosingQuoteEndsTheScan", "<body><p id=\"IDH_A\">a<p id=\"IDH_B</body>", { "IDH_A" } },
        SplitCase { "BodyWithoutEndRunsToTheEnd", "<body><p id=\"IDH_A\">a", { "IDH_A" } },
        SplitCase { "LastBodyEndCounts", "<body><p id=\"IDH_A\">a</body><p id=\"IDH_B\">b</body>",
            { "IDH_A", "IDH_B" } },
        // The page's rule folds bit 0x20 between bytes that both have bit 0x40: DEL stands for '_',
        // but a control byte does not stand for '<'.
        SplitCase { "OnlyTheCaseBitFolds", "<body><p id=\"IDH\x7f" "A\">a\x1cp id=\"IDH_B\">b</body>",
            { "IDH\x7f" "A" } }),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

TEST(PopupPageScanText, EachParagraphEndsWhereTheNextBegins)
{
    const auto paragraphs
        = SplitPopupParagraphs("<body>\r\n<p id=\"IDH_1\">one</p>\r\n<p id=\"IDH_2\">two</p>\r\n</body>", "IDH_");
    ASSERT_EQ(paragraphs.size(), 2u);
    EXPECT_EQ(paragraphs[0].Html, "<p id=\"IDH_1\">one</p>\r\n");
    EXPECT_EQ(paragraphs[1].Html, "<p id=\"IDH_2\">two</p>\r\n");
}

struct ConverterLog {
    std::vector<std::string> html;
    std::vector<int> widths;
};

TPopupList MakeList(ConverterLog& log)
{
    TPopupList list;
    list.Width = 444;
    list.Convert = [&log](const std::string& html, int width, std::string& text, int& number) {
        EXPECT_EQ(number, 0);
        log.html.push_back(html);
        log.widths.push_back(width);
        // A paragraph whose text is "skip" converts to nothing.
        if (html.find(">skip<") == std::string::npos) {
            text = "T" + std::to_string(log.html.size());
            number = 10 * static_cast<int>(log.html.size());
        }
    };
    return list;
}

TEST(PopupList, ConvertsEachParagraphAtTheWidthAndKeepsTheNumber)
{
    ConverterLog log;
    TPopupList list = MakeList(log);
    list.SetTextStr("<body><p id=\"IDH_A\">a</p><p id=\"IDH_B\">skip</p><p id=\"IDH_C\">c</p></body>");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(log.widths, (std::vector<int> { 444, 444, 444 }));
    EXPECT_EQ(list[0], "IDH_A=T1");
    EXPECT_EQ(list[1], "IDH_C=T3");
    EXPECT_EQ(list.GetPopupNumber(1), 30);
    list.Prefix = "{\\rtf1";
    EXPECT_EQ(list.GetPopupText(0), "{\\rtf1T1");
    EXPECT_EQ(list.GetPopupTextByName("IDH_C"), "{\\rtf1T3");
}

// Setting the page converts nothing; each accessor converts in page order as far as its answer
// lies, and every answer is the one converting the whole page at once gives, also past a
// paragraph that converts to nothing (the lines after it move up one).
TEST(PopupList, ConvertsOnlyAsFarAsAnAnswerLiesAndAnswersAsIfAllWereConverted)
{
    const std::string page = "<body><p id=\"IDH_A\">a</p><p id=\"IDH_B\">skip</p><p id=\"IDH_C\">c</p>"
                             "<p id=\"IDH_D\">d</p><p id=\"IDH_A\">again</p><p id=\"IDH_E\">e</p></body>";
    ConverterLog eagerLog;
    TPopupList eager = MakeList(eagerLog);
    eager.SetTextStr(page);
    ASSERT_EQ(eager.Count(), 5);

    ConverterLog log;
    TPopupList list = MakeList(log);
    list.Width = 300;
    list.SetTextStr(page);
    list.Width = 444; // the width in force when the page was set counts
    list.Prefix = eager.Prefix = "P:";
    EXPECT_TRUE(log.html.empty()) << "setting the page converts nothing";

    EXPECT_EQ(list.GetPopupNumber(-1), 0);
    EXPECT_EQ(list.GetPopupText(-1), "P:");
    EXPECT_TRUE(log.html.empty());

    EXPECT_EQ(list.GetPopupTextByName("idh_c"), eager.GetPopupTextByName("idh_c"));
    EXPECT_EQ(log.html.size(), 3u) << "up to the paragraph named, not beyond";
    EXPECT_EQ(list.GetPopupText(1), eager.GetPopupText(1));
    EXPECT_EQ(list.GetPopupNumber(1), eager.GetPopupNumber(1));
    EXPECT_EQ(log.html.size(), 3u) << "the lines converted already answer";

    // The second IDH_A answers with the first one's text, as the whole list would.
    EXPECT_EQ(list.GetPopupText(3), eager.GetPopupText(3));
    EXPECT_EQ(list.GetPopupNumber(3), eager.GetPopupNumber(3));
    EXPECT_EQ(log.html.size(), 5u);
    EXPECT_EQ(list.GetPopupTextByName("IDH_NONE"), "P:");
    EXPECT_EQ(log.html.size(), 6u) << "an unknown name converts the rest";
    EXPECT_EQ(list.GetPopupText(9), "P:");
    EXPECT_EQ(list.GetPopupNumber(9), 0);
    EXPECT_EQ(log.widths, std::vector<int>(6, 300));
    EXPECT_EQ(list.Text(), eager.Text());

    // Reading the lines as a list, or changing them, first converts the rest of the page.
    ConverterLog readLog;
    TPopupList read = MakeList(readLog);
    read.SetTextStr(page);
    read.Add("IDH_LAST=x");
    EXPECT_EQ(readLog.html.size(), 6u);
    EXPECT_EQ(read[5], "IDH_LAST=x");
    EXPECT_EQ(read.IndexOfName("IDH_E"), 4);
    read.SetTextStr(page);
    read.Clear();
    EXPECT_EQ(read.Count(), 0) << "clearing drops what was pending";
    EXPECT_EQ(readLog.html.size(), 6u);
}

TEST(PopupList, MissingEntriesGiveThePrefixOrZero)
{
    ConverterLog log;
    TPopupList list = MakeList(log);
    list.Prefix = "P";
    EXPECT_EQ(list.GetPopupText(0), "P");
    EXPECT_EQ(list.GetPopupText(-1), "P");
    EXPECT_EQ(list.GetPopupTextByName("IDH_NONE"), "P");
    EXPECT_EQ(list.GetPopupNumber(5), 0);
}

TEST(PopupList, WithoutConverterSettingTextChangesNothing)
{
    TPopupList list;
    list.Add("IDH_OLD=x");
    list.SetTextStr("<body><p id=\"IDH_A\">a</p></body>");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], "IDH_OLD=x");
}

TEST(TopicList, FindsTheFirstPageOfAContext)
{
    TTopicList topics;
    topics.AddTopic(28, "intro.htm");
    topics.AddTopic(29, "keys.htm");
    topics.AddTopic(28, "later.htm");
    EXPECT_EQ(topics.GetTopic(28), "intro.htm");
    EXPECT_EQ(topics.GetTopic(29), "keys.htm");
    EXPECT_EQ(topics.GetTopic(30), "");
}

} // namespace
