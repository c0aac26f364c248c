// Tests of the dated string lists: date order kept by insertion, sorting, the unsorted cases,
// index errors and the UTF-16 text rules of the wide list.
#include "foundation/DatedStrings.h"

#include "foundation/Utf16Text.h"
#include "framework/Exceptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<double> Dates(const TDatedStrings& list)
{
    std::vector<double> dates;
    for (int i = 0; i < list.Count(); ++i)
        dates.push_back(list.GetDate(i));
    return dates;
}

std::vector<std::string> Texts(const TDatedStrings& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.Count(); ++i)
        texts.push_back(list[i]);
    return texts;
}

TEST(DatedStrings, SortedListKeepsDateOrderAsLinesAreAdded)
{
    struct Case {
        int32_t state;
        std::vector<double> added;
        std::vector<double> stored;
    };
    const Case cases[] = {
        { dsAscending, { 3, 1, 2 }, { 1, 2, 3 } },
        { dsDescending, { 3, 1, 2 }, { 3, 2, 1 } },
        { dsAscending, { 5, 5, 1, 9, 5 }, { 1, 5, 5, 5, 9 } },
        { dsDescending, { 0.5, 0.25, 0.75 }, { 0.75, 0.5, 0.25 } },
        { dsUnsorted, { 3, 1, 2 }, { 3, 1, 2 } },
    };
    for (const Case& c : cases) {
        TDatedStrings list;
        list.SetSortState(c.state);
        for (double date : c.added)
            list.AddDated("x", date);
        EXPECT_EQ(Dates(list), c.stored) << "state " << c.state;
        EXPECT_EQ(list.SortState(), c.state);
    }
}

TEST(DatedStrings, EqualDateGoesBeforeTheExistingLines)
{
    for (int32_t state : { dsAscending, dsDescending }) {
        TDatedStrings list;
        list.SetSortState(state);
        list.AddDated("old", 2);
        list.AddDated("other", state == dsAscending ? 1 : 3);
        const int index = list.AddDated("new", 2);
        EXPECT_EQ(index, 1);
        EXPECT_EQ(Texts(list), (std::vector<std::string> { list[0], "new", "old" }));
    }
}

TEST(DatedStrings, FindDateInSortedAndUnsortedLists)
{
    TDatedStrings list;
    int index = 99;
    list.SetSortState(dsAscending);
    EXPECT_FALSE(list.FindDate(4, index));
    EXPECT_EQ(index, 0);

    for (double date : { 1.0, 3.0, 3.0, 7.0 })
        list.AddDated("", date);
    struct Probe {
        double date;
        bool found;
        int index;
    };
    for (const Probe& p : { Probe { 0, false, 0 }, Probe { 1, true, 0 }, Probe { 3, true, 1 }, Probe { 4, false, 3 },
             Probe { 8, false, 4 } }) {
        EXPECT_EQ(list.FindDate(p.date, index), p.found) << p.date;
        EXPECT_EQ(index, p.index) << p.date;
    }

    list.SetSortState(dsDescending); // 7 3 3 1
    for (const Probe& p : { Probe { 9, false, 0 }, Probe { 3, true, 1 }, Probe { 2, false, 3 }, Probe { 0, false, 4 } }) {
        EXPECT_EQ(list.FindDate(p.date, index), p.found) << p.date;
        EXPECT_EQ(index, p.index) << p.date;
    }

    list.Exchange(0, 3); // 1 3 3 7, unsorted: linear search for an exact date
    EXPECT_TRUE(list.FindDate(3, index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(list.FindDate(4, index));
    EXPECT_EQ(index, -1);
}

TEST(DatedStrings, SortStateSortsOnlyOnChange)
{
    TDatedStrings list;
    for (double date : { 2.0, 9.0, 4.0 })
        list.AddDated("", date);
    list.SetSortState(dsDescending);
    EXPECT_EQ(Dates(list), (std::vector<double> { 9, 4, 2 }));
    list.SetDate(0, 1); // out of order now, but the state stays
    list.SetSortState(dsDescending);
    EXPECT_EQ(Dates(list), (std::vector<double> { 1, 4, 2 }));
    EXPECT_EQ(list.SortState(), dsDescending);
    list.SetSortState(dsAscending);
    EXPECT_EQ(Dates(list), (std::vector<double> { 1, 2, 4 }));
}

TEST(DatedStrings, ChangesThatBreakTheOrderLeaveTheListUnsorted)
{
    struct Case {
        const char* name;
        void (*change)(TDatedStrings&);
    };
    const Case cases[] = {
        { "Exchange", [](TDatedStrings& l) { l.Exchange(0, 1); } },
        { "Move", [](TDatedStrings& l) { l.Move(0, 1); } },
        { "Insert", [](TDatedStrings& l) { l.Insert(0, "i"); } },
        { "Add", [](TDatedStrings& l) { l.Add("a"); } },
        { "InsertDated", [](TDatedStrings& l) { l.InsertDated(1, "d", 5); } },
    };
    for (const Case& c : cases) {
        TDatedStrings list;
        list.SetSortState(dsAscending);
        list.AddDated("one", 1);
        list.AddDated("two", 2);
        c.change(list);
        EXPECT_EQ(list.SortState(), dsUnsorted) << c.name;
        const int count = list.Count();
        EXPECT_EQ(list.AddDated("last", 0), count) << c.name << ": an unsorted list appends";
    }
}

TEST(DatedStrings, OrderKeepingChangesKeepTheSortState)
{
    TDatedStrings list;
    list.SetSortState(dsAscending);
    list.AddDated("a", 1);
    list.AddDated("b", 2);
    list.AddDated("c", 3);
    list.Put(1, "B");
    list.Delete(0);
    EXPECT_EQ(list.SortState(), dsAscending);
    EXPECT_EQ(Texts(list), (std::vector<std::string> { "B", "c" }));
    EXPECT_EQ(Dates(list), (std::vector<double> { 2, 3 }));
}

TEST(DatedStrings, MoveCarriesTextAndDate)
{
    TDatedStrings list;
    list.AddDated("a", 1);
    list.AddDated("b", 2);
    list.AddDated("c", 3);
    list.Move(0, 2);
    EXPECT_EQ(Texts(list), (std::vector<std::string> { "b", "c", "a" }));
    EXPECT_EQ(Dates(list), (std::vector<double> { 2, 3, 1 }));
    list.Move(2, 0);
    EXPECT_EQ(Texts(list), (std::vector<std::string> { "a", "b", "c" }));
}

TEST(DatedStrings, QuickSortHandlesOrderedReversedEqualAndLargeInput)
{
    std::vector<std::vector<double>> inputs = { {}, { 1 }, { 2, 1 } };
    std::vector<double> ordered, reversed, equal, sawtooth;
    for (int i = 0; i < 2000; ++i) {
        ordered.push_back(i);
        reversed.push_back(2000 - i);
        equal.push_back(7);
        sawtooth.push_back(i % 17 + (i % 3) * 0.5);
    }
    inputs.insert(inputs.end(), { ordered, reversed, equal, sawtooth });
    for (const auto& input : inputs) {
        for (bool descending : { false, true }) {
            TDatedStrings list;
            for (double date : input)
                list.AddDated(std::to_string(date), date);
            list.SortByDate(descending);
            std::vector<double> expected = input;
            if (descending)
                std::sort(expected.begin(), expected.end(), std::greater<double>());
            else
                std::sort(expected.begin(), expected.end());
            ASSERT_EQ(Dates(list), expected) << input.size() << (descending ? " descending" : " ascending");
            for (int i = 0; i < list.Count(); ++i)
                ASSERT_EQ(list[i], std::to_string(list.GetDate(i))) << "text stays with its date";
            EXPECT_EQ(list.SortState(), descending ? dsDescending : dsAscending);
        }
    }
}

TEST(DatedStrings, IndexOutOfRangeRaisesTheListError)
{
    TDatedStrings list;
    list.Add("only");
    struct Case {
        const char* message;
        void (*call)(TDatedStrings&);
    };
    const Case cases[] = {
        { "List index out of bounds (1)", [](TDatedStrings& l) { l.Get(1); } },
        { "List index out of bounds (-1)", [](TDatedStrings& l) { l.GetDate(-1); } },
        { "List index out of bounds (5)", [](TDatedStrings& l) { l.SetDate(5, 0); } },
        { "List index out of bounds (1)", [](TDatedStrings& l) { l.Put(1, ""); } },
        { "List index out of bounds (1)", [](TDatedStrings& l) { l.Delete(1); } },
        { "List index out of bounds (2)", [](TDatedStrings& l) { l.Exchange(0, 2); } },
        { "List index out of bounds (2)", [](TDatedStrings& l) { l.Insert(2, ""); } },
        { "List index out of bounds (-1)", [](TDatedStrings& l) { l.InsertDated(-1, "", 0); } },
        { "List index out of bounds (1)", [](TDatedStrings& l) { l.Move(0, 1); } },
    };
    for (const Case& c : cases) {
        try {
            c.call(list);
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_EQ(list.Count(), 1);
    list.Insert(1, "end"); // the count itself is a valid insert position
    EXPECT_EQ(list[1], "end");
}

TEST(DatedStrings, CapacityGrowsInSteps)
{
    TDatedStrings list;
    std::vector<int> capacities;
    for (int i = 0; i < 40; ++i) {
        list.Add("");
        if (capacities.empty() || capacities.back() != list.Capacity())
            capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int> { 4, 8, 16, 32, 48 }));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
}

TEST(DatedWideStrings, TextRoundTripSplitsAtEveryKindOfBreak)
{
    TDatedWideStrings list;
    list.SetTextStr(Utf16Bytes(u"one\r\ntwo\rthree\n\nfive\u4E3D\r\n"));
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list[0], Utf16Bytes(u"one"));
    EXPECT_EQ(list[1], Utf16Bytes(u"two"));
    EXPECT_EQ(list[2], Utf16Bytes(u"three"));
    EXPECT_EQ(list[3], Utf16Bytes(u""));
    EXPECT_EQ(list[4], Utf16Bytes(u"five\u4E3D"));
    EXPECT_EQ(list.GetTextStr(), Utf16Bytes(u"one\r\ntwo\r\nthree\r\n\r\nfive\u4E3D\r\n"));

    list.SetTextStr(Utf16Bytes(u"last line"));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], Utf16Bytes(u"last line"));
    list.SetTextStr(Utf16Bytes(u""));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.GetTextStr(), Utf16Bytes(u""));
}

TEST(DatedWideStrings, IndexOfNameComparesUnitsWithoutCase)
{
    TDatedWideStrings list;
    list.Add(Utf16Bytes(u"\u4E3D\u4E3D=cjk"));  // bytes 3D 4E: a 0x3D byte that is no '='
    list.Add(Utf16Bytes(u"Key=value"));
    list.Add(Utf16Bytes(u"\u3D41=x"));
    list.Add(Utf16Bytes(u"\u4E3D=single"));
    EXPECT_EQ(list.IndexOfName(Utf16Bytes(u"KEY")), 1);
    EXPECT_EQ(list.IndexOfName(Utf16Bytes(u"key")), 1);
    EXPECT_EQ(list.IndexOfName(Utf16Bytes(u"\u4E3D")), 3);
    EXPECT_EQ(list.IndexOfName(Utf16Bytes(u"\u4E3D\u4E3D")), 0);
    EXPECT_EQ(list.IndexOfName(Utf16Bytes(u"\u3D41")), 2);
    EXPECT_EQ(list.IndexOfName(Utf16Bytes(u"value")), -1);
    EXPECT_EQ(list.IndexOfName(""), -1);
    EXPECT_EQ(list.IndexOfName(Utf16Bytes(u"")), -1);
}

} // namespace
