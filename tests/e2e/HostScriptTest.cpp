// The stand-in mail client's script reader: words, quoted words with blanks, comments, line ends.
#include "standins/host/HostScript.h"

#include <gtest/gtest.h>

TEST(HostScript, SplitsStepsIntoWordsAndKeepsQuotedBlanks)
{
    struct Case {
        const char* line;
        THostStep words;
    } cases[] = {
        { "load", { "load" } },
        { "  decrypt\tC:\\a.txt   C:\\b.txt ", { "decrypt", "C:\\a.txt", "C:\\b.txt" } },
        { "answer \"A Question\" 2", { "answer", "A Question", "2" } },
        { "event 5 \"\"", { "event", "5", "" } },
        { "dialog \"unclosed quote", { "dialog", "unclosed quote" } },
        { "", {} },
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitStepWords(c.line), c.words) << c.line;
}

TEST(HostScript, SkipsCommentsAndEmptyLinesAndAcceptsEitherLineEnd)
{
    const auto steps = ParseHostScript("# start\r\nload\r\n\r\nforminit 0x111\n   \nquit");
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0], THostStep({ "load" }));
    EXPECT_EQ(steps[1], THostStep({ "forminit", "0x111" }));
    EXPECT_EQ(steps[2], THostStep({ "quit" }));
}
