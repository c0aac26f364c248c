// The spin edit's rules without a window: reading numbers, the typing and leaving clamps, the
// text length of a range, steps at the ends of int, and typing digits over a selection.
#include "ui/controls/SpinRules.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(SpinRules, ParsesWholeNumbersOnly)
{
    const struct {
        const char* text;
        std::optional<int> expected;
    } cases[] = {
        { "42", 42 }, { "  7 ", 7 }, { "+5", 5 }, { "-12", -12 }, { "", std::nullopt }, { "   ", std::nullopt },
        { "1 2", std::nullopt }, { "12a", std::nullopt }, { "-", std::nullopt }, { "99999999999", std::nullopt },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseSpinNumber(c.text), c.expected) << '"' << c.text << '"';
}

TEST(SpinRules, TypingBindsTheMaximumAndLeavingBothEnds)
{
    const TSpinRange range { 10, 50 };
    EXPECT_EQ(ClampWhileTyping(99, range), 50);
    EXPECT_EQ(ClampWhileTyping(5, range), 5) << "a first digit of 20 must stay";
    EXPECT_EQ(ClampToRange(5, range), 10);
    EXPECT_EQ(ClampToRange(99, range), 50);
    EXPECT_EQ(ClampToRange(30, range), 30);
}

TEST(SpinRules, AMinimumThatMeansNoneShowsBlankAndOnlyIt)
{
    const TSpinRange seconds { -1, 900, true };
    EXPECT_EQ(SpinText(-1, seconds), "");
    EXPECT_FALSE(ParseSpinNumber(SpinText(-1, seconds))) << "the field reads back as its minimum";
    EXPECT_EQ(SpinText(0, seconds), "0");
    EXPECT_EQ(SpinText(900, seconds), "900");
    EXPECT_EQ(SpinText(-1, { -1, 900 }), "-1") << "elsewhere the minimum is a number like the rest";
}

TEST(SpinRules, TextLengthIsTheLongerEnd)
{
    EXPECT_EQ(RangeTextLength({ 0, 999 }), 3);
    EXPECT_EQ(RangeTextLength({ -1000, 5 }), 5);
    EXPECT_EQ(RangeTextLength({ 1, 9 }), 1);
}

TEST(SpinRules, StepsStayInRangeWithoutOverflow)
{
    EXPECT_EQ(StepSpinValue(48, 5, { 0, 50 }), 50);
    EXPECT_EQ(StepSpinValue(2, -5, { 0, 50 }), 0);
    EXPECT_EQ(StepSpinValue(INT_MAX, 1, { 0, INT_MAX }), INT_MAX);
    EXPECT_EQ(StepSpinValue(INT_MIN, -1, { INT_MIN, 0 }), INT_MIN);
    EXPECT_EQ(StepSpinValue(7, 1, { 10, 5 }), 10) << "an upside-down range never crashes";
}

TEST(SpinRules, DigitsOvertypeTheSelection)
{
    const struct {
        std::string text;
        int start;
        int length;
        TOvertype expected;
    } cases[] = {
        { "123", 0, 3, { "923", 1, 2 } },
        { "123", 1, 1, { "193", 2, 0 } },
        { "123", 2, 0, { "123", 2, 0 } },
        { "123", 2, 9, { "129", 3, 0 } },
        { "", 0, 1, { "", 0, 0 } },
    };
    for (const auto& c : cases) {
        const TOvertype result = OvertypeDigit(c.text, c.start, c.length, '9');
        EXPECT_EQ(result.Text, c.expected.Text);
        EXPECT_EQ(result.SelStart, c.expected.SelStart);
        EXPECT_EQ(result.SelLength, c.expected.SelLength);
    }
}

} // namespace
