// The grid's rules without a window: packed column settings, sort keys and the unstable quicksort
// against a reference sort, the sort state cycle, rows and data objects travelling together, the
// tint at the ends of the colour range, column widening, type-ahead, text search and row deletion.
#include "ui/controls/DropGridRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>

namespace {

int CompareNoCase(const std::string& a, const std::string& b)
{
    const auto lower = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    return lower(a).compare(lower(b));
}

TEST(DropGridRules, ColumnSettingsRoundTrip)
{
    const TColumnSettings cases[] = { { -1, caLeft, caLeft }, { 0, caRight, caCenter }, { 32767, caCenter, caRight },
        { -2, caLeft, caRight } };
    for (const TColumnSettings& settings : cases) {
        const TColumnSettings back = UnpackColumnSettings(PackColumnSettings(settings));
        EXPECT_EQ(back.ImageIndex, settings.ImageIndex);
        EXPECT_EQ(back.CellAlignment, settings.CellAlignment);
        EXPECT_EQ(back.HeaderAlignment, settings.HeaderAlignment);
    }
    EXPECT_EQ(PackColumnSettings({ -1, caRight, caCenter }), 0x0201FFFFu);
}

TEST(DropGridRules, SortKeysRotateFromTheColumnAndBlankEmptyCells)
{
    const struct {
        std::vector<std::string> cells;
        int column;
        std::optional<std::uint32_t> object;
        std::string key;
        int position;
    } cases[] = {
        { { "b", "", "a" }, 1, std::nullopt, " \na\nb\n", 5 },
        { { "b", "c", "a" }, 0, std::nullopt, "b\nc\na\n", 1 },
        { { "x", "y" }, 1, 0x1Au, "y\nx\n0000001A", 3 },
        { { "", "" }, 0, 0xDEADBEEFu, " \n \nDEADBEEF", 1 },
    };
    for (auto c : cases) {
        int position = 0;
        EXPECT_EQ(BuildSortKey(c.cells, c.column, c.object, position), c.key);
        EXPECT_EQ(position, c.position);
        for (const std::string& cell : c.cells)
            EXPECT_FALSE(cell.empty());
    }
}

TEST(DropGridRules, QuicksortOrdersLikeAReferenceSort)
{
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        TSortList list;
        list.Descending = round % 2 == 1;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i)
            list.Items.push_back({ std::string(1, static_cast<char>('a' + random() % 6)) + std::to_string(random() % 5), i, 1 });
        std::vector<std::string> expected;
        for (const auto& item : list.Items)
            expected.push_back(item.Key);
        std::sort(expected.begin(), expected.end());
        if (list.Descending)
            std::reverse(expected.begin(), expected.end());
        list.Sort(CompareNoCase);
        std::vector<std::string> sorted;
        for (const auto& item : list.Items)
            sorted.push_back(item.Key);
        ASSERT_EQ(sorted, expected) << "round " << round;
    }
}

TEST(DropGridRules, HeaderClicksCycleAscendingDescendingAscending)
{
    int state = 0;
    const int expected[] = { 3, -3, 3 };
    for (const int want : expected) {
        state = NextSortState(state, 2);
        EXPECT_EQ(state, want);
    }
    EXPECT_EQ(NextSortState(-3, 0), 1) << "another column starts ascending";
}

TEST(DropGridRules, SortMovesRowsWithTheirObjectsAndKeepsTheHeader)
{
    TGridRows rows { { "Name", "Key" }, { "carol", "3" }, { "alice", "" }, { "Bob", "2" } };
    std::vector<std::uint32_t> objects { 0, 30, 10, 20 };
    auto result = SortRows(rows, 1, 0, 0, &objects, CompareNoCase);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->Order, (std::vector<int> { 1, 2, 0 }));
    EXPECT_EQ(result->SortState, 1);
    EXPECT_EQ(result->Text, "alice\n \n0000000A\r\nBob\n2\n00000014\r\ncarol\n3\n0000001E");
    ApplyOrder(rows, 1, result->Order, &objects);
    EXPECT_EQ(rows, (TGridRows { { "Name", "Key" }, { "alice", " " }, { "Bob", "2" }, { "carol", "3" } }));
    EXPECT_EQ(objects, (std::vector<std::uint32_t> { 0, 10, 20, 30 }));

    result = SortRows(rows, 1, 0, result->SortState, &objects, CompareNoCase);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->SortState, -1);
    ApplyOrder(rows, 1, result->Order, &objects);
    EXPECT_EQ(rows[1][0], "carol");
    EXPECT_EQ(objects[1], 30u);
}

TEST(DropGridRules, CellsWithLineBreaksSurviveASort)
{
    TGridRows rows { { "h" }, { "two\nlines" }, { "a" } };
    auto result = SortRows(rows, 1, 0, 0, nullptr, CompareNoCase);
    ASSERT_TRUE(result);
    ApplyOrder(rows, 1, result->Order, nullptr);
    EXPECT_EQ(rows, (TGridRows { { "h" }, { "a" }, { "two\nlines" } }));
}

TEST(DropGridRules, NothingToSort)
{
    TGridRows headerOnly { { "h" } };
    EXPECT_FALSE(SortRows(headerOnly, 1, 0, 0, nullptr, CompareNoCase));
    TGridRows rows { { "h" }, { "a" } };
    EXPECT_FALSE(SortRows(rows, 1, 1, 0, nullptr, CompareNoCase));
    EXPECT_FALSE(SortRows(rows, 1, -1, 0, nullptr, CompareNoCase));
}

TEST(DropGridRules, TintNeverOverflows)
{
    const struct {
        std::uint32_t in;
        std::uint32_t out;
    } cases[] = {
        { 0xFFFFFF, 0xF7F7F7 }, { 0x000000, 0x080808 }, { 0x000100FF, 0x000000F7 }, { 0x0000FF, 0x0808FF },
        { 0x040404, 0x0C0C0C }, { 0x560056, 0x5E085E },
    };
    for (const auto& c : cases)
        EXPECT_EQ(TintColour(c.in), c.out) << std::hex << c.in;
}

TEST(DropGridRules, ColumnsWidenButNeverShrink)
{
    const struct {
        int current;
        int extent;
        int line;
        int expected;
    } cases[] = { { 10, 50, 1, 57 }, { 10, 50, 0, 56 }, { 55, 50, 1, 55 }, { 54, 50, 1, 57 }, { 200, 5, 1, 200 } };
    for (const auto& c : cases)
        EXPECT_EQ(WidenedColumnWidth(c.current, c.extent, c.line), c.expected);
}

TEST(DropGridRules, TypingTheSameLetterStepsThroughMatches)
{
    const std::vector<std::string> cells { "Name", "beta", " Bravo", "alpha", "Berta" };
    TTypeAhead typed;
    int current = 1;
    std::vector<int> visited;
    for (int i = 0; i < 4; ++i) {
        const auto step = typed.Feed('B');
        current = FindTypeAheadRow(cells, 1, step.FromCurrent ? current : current + 1, typed.Text());
        visited.push_back(current);
    }
    EXPECT_EQ(visited, (std::vector<int> { 2, 4, 1, 2 }));

    typed.Clear();
    typed.Feed('b');
    const auto more = typed.Feed('r');
    EXPECT_TRUE(more.FromCurrent);
    EXPECT_EQ(FindTypeAheadRow(cells, 1, 2, typed.Text()), 2);
    typed.Feed('x');
    EXPECT_EQ(FindTypeAheadRow(cells, 1, 2, typed.Text()), -1);
}

TEST(DropGridRules, TypeAheadComparesLettersOnlyWithoutCase)
{
    EXPECT_TRUE(StartsWithTypeAhead("  Hello", "he"));
    EXPECT_FALSE(StartsWithTypeAhead("@x", "`x"));
    EXPECT_FALSE(StartsWithTypeAhead("ab", "abc"));
    EXPECT_TRUE(StartsWithTypeAhead("   ", ""));
}

TEST(DropGridRules, FindTextTellsFoundMissAndEnd)
{
    const std::vector<std::string> cells { "Header", "one", "Two", "three", "four" };
    const struct {
        int current;
        const char* pattern;
        TFindOutcome outcome;
        int row;
    } cases[] = {
        { 1, "TW", TFindOutcome::Found, 2 },
        { 2, "o", TFindOutcome::Found, 4 },
        { 4, "one", TFindOutcome::Found, 1 },
        { 0, "zzz", TFindOutcome::NotFound, -1 },
        { 4, "zzz", TFindOutcome::NotFound, -1 },
        { 2, "one", TFindOutcome::EndReached, -1 },
    };
    for (const auto& c : cases) {
        const TFindResult result = FindTextRow(cells, 1, c.current, c.pattern);
        EXPECT_EQ(result.Outcome, c.outcome) << c.current << ' ' << c.pattern;
        EXPECT_EQ(result.Row, c.row);
    }
}

TEST(DropGridRules, DeletingRows)
{
    TGridRows rows { { "h" }, { "a" }, { "b" }, { "c" } };
    EXPECT_FALSE(DeleteGridRow(rows, 1, 0));
    EXPECT_FALSE(DeleteGridRow(rows, 1, 4));
    EXPECT_TRUE(DeleteGridRow(rows, 1, 2));
    EXPECT_EQ(rows, (TGridRows { { "h" }, { "a" }, { "c" } }));
    EXPECT_TRUE(DeleteGridRow(rows, 1, 2));
    EXPECT_TRUE(DeleteGridRow(rows, 1, 1));
    EXPECT_EQ(rows, (TGridRows { { "h" }, { "" } })) << "the last data row is emptied, not removed";
}

} // namespace
