// Tests of TStrings/TStringList: sorting, duplicates, Find, objects, name=value lines, text
// splitting and joining, case rules, update notifications and files.
#include "framework/Exceptions.h"
#include "framework/StringLists.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const TStrings& list)
{
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list[i]);
    return lines;
}

using V = std::vector<std::string>;

TEST(StringList, UnsortedKeepsInsertionOrderAndDuplicates)
{
    TStringList list;
    EXPECT_EQ(list.Add("b"), 0);
    EXPECT_EQ(list.Add("a"), 1);
    EXPECT_EQ(list.Add("b"), 2);
    list.Insert(0, "c");
    EXPECT_EQ(Lines(list), (V { "c", "b", "a", "b" }));
    EXPECT_EQ(list.IndexOf("B"), 1);
    EXPECT_EQ(list.IndexOf("x"), -1);
}

TEST(StringList, BadIndexRaisesListErrorWithIndex)
{
    TStringList list;
    list.Add("a");
    try {
        list.Get(1);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (1)");
    }
    EXPECT_THROW(list.Delete(-1), EListError);
    EXPECT_THROW(list.Insert(2, "x"), EListError);
    EXPECT_NO_THROW(list.Insert(1, "x"));
}

struct DuplicatesCase {
    TDuplicates rule;
    V expected;
    bool raises;
};

class SortedDuplicates : public testing::TestWithParam<DuplicatesCase> { };

TEST_P(SortedDuplicates, AddFollowsTheRule)
{
    const auto& c = GetParam();
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(c.rule);
    list.Add("m");
    list.Add("c");
    list.Add("x");
    if (c.raises) {
        EXPECT_THROW(list.Add("M"), EListError);
    } else {
        const int index = list.Add("M");
        EXPECT_EQ(list[index], c.rule == dupIgnore ? "m" : "M");
    }
    EXPECT_EQ(Lines(list), c.expected);
}

INSTANTIATE_TEST_SUITE_P(All, SortedDuplicates,
    testing::Values(DuplicatesCase { dupIgnore, { "c", "m", "x" }, false },
        DuplicatesCase { dupAccept, { "c", "m", "M", "x" }, false },
        DuplicatesCase { dupError, { "c", "m", "x" }, true }));

TEST(StringList, FindReportsFirstMatchOrInsertPosition)
{
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupAccept);
    for (const char* s : { "d", "b", "b", "b", "f" })
        list.Add(s);
    int index = -1;
    EXPECT_TRUE(list.Find("B", index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(list.Find("c", index));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(list.Find("z", index));
    EXPECT_EQ(index, 5);
    EXPECT_FALSE(list.Find("", index));
    EXPECT_EQ(index, 0);
    EXPECT_EQ(list.IndexOf("F"), 4);
}

TEST(StringList, SortedListRefusesPositionalChanges)
{
    TStringList list;
    list.SetSorted(true);
    list.Add("a");
    EXPECT_THROW(list.Insert(0, "b"), EListError);
    EXPECT_THROW(list.Put(0, "b"), EListError);
}

TEST(StringList, CaseRuleIsAsciiOnly)
{
    TStringList list;
    list.Add("\xC4pfel"); // A-umlaut in a Western code page
    list.Add("Zebra");
    EXPECT_EQ(list.IndexOf("zEBRA"), 1);
    EXPECT_EQ(list.IndexOf("\xE4pfel"), -1); // no locale folding
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("zebra"), -1);
    EXPECT_EQ(list.IndexOf("Zebra"), 1);
}

TEST(StringList, SortOrderByCaseRule)
{
    TStringList list;
    for (const char* s : { "b", "B", "a", "_", "A", "\x80" })
        list.Add(s);
    list.SetSorted(true);
    // Case-insensitive and stable: upper-cased '_' (0x5F) sorts after letters, bytes above 0x7F last.
    EXPECT_EQ(Lines(list), (V { "a", "A", "b", "B", "_", "\x80" }));
    list.SetCaseSensitive(true);
    EXPECT_EQ(Lines(list), (V { "A", "B", "_", "a", "b", "\x80" }));
}

TEST(StringList, CustomSortUsesIndexesAndIsIgnoredWhenSorted)
{
    TStringList list;
    for (const char* s : { "ccc", "a", "bb" })
        list.Add(s);
    const auto byLength = [](const TStringList& l, int i, int j) {
        return static_cast<int>(l[i].size()) - static_cast<int>(l[j].size());
    };
    list.CustomSort(byLength);
    EXPECT_EQ(Lines(list), (V { "a", "bb", "ccc" }));
    list.SetSorted(true);
    list.CustomSort([](const TStringList&, int i, int j) { return j - i; });
    EXPECT_EQ(Lines(list), (V { "a", "bb", "ccc" }));
}

TEST(StringList, ObjectsTravelWithTheirLines)
{
    int owned = 7;
    TStringList list;
    list.AddObject("z", ObjectFromInt(3));
    list.AddObject("a", &owned);
    list.AddObject("m", ObjectFromInt(-1));
    list.Sort();
    EXPECT_EQ(list.Objects(0), &owned);
    EXPECT_EQ(IntFromObject(list.Objects(1)), -1);
    EXPECT_EQ(IntFromObject(list.Objects(2)), 3);
    list.Exchange(0, 2);
    EXPECT_EQ(list[0], "z");
    EXPECT_EQ(IntFromObject(list.Objects(0)), 3);
    list.Move(0, 2);
    EXPECT_EQ(Lines(list), (V { "m", "a", "z" }));
    EXPECT_EQ(IntFromObject(list.Objects(2)), 3);
    list.Put(1, "b");
    EXPECT_EQ(list.Objects(1), &owned);
    EXPECT_EQ(list.IndexOfObject(&owned), 1);
}

TEST(StringList, NameValueLines)
{
    TStringList list;
    list.SetText("image/png=png\r\ntext/plain=txt\r\nnoequals\r\n=empty name\r\nk=a=b\r\n");
    EXPECT_EQ(list.Names(0), "image/png");
    EXPECT_EQ(list.Names(2), "");
    EXPECT_EQ(list.Names(3), "");
    EXPECT_EQ(list.ValueFromIndex(4), "a=b");
    EXPECT_EQ(list.Values("TEXT/PLAIN"), "txt");
    EXPECT_EQ(list.Values("noequals"), "");
    EXPECT_EQ(list.IndexOfName("k"), 4);
    EXPECT_EQ(list.IndexOfName(""), 3);

    list.SetValue("text/plain", "text");
    EXPECT_EQ(list[1], "text/plain=text");
    list.SetValue("new", "1");
    EXPECT_EQ(list[5], "new=1");
    list.SetValue("image/png", "");
    EXPECT_EQ(list.IndexOfName("image/png"), -1);
    EXPECT_EQ(list.Count(), 5);
}

struct TextCase {
    const char* name;
    std::string text;
    V lines;
};

class TextSplitting : public testing::TestWithParam<TextCase> { };

TEST_P(TextSplitting, SplitsAtCrLfCrOrLf)
{
    TStringList list;
    list.SetText(GetParam().text);
    EXPECT_EQ(Lines(list), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(All, TextSplitting,
    testing::Values(TextCase { "Empty", "", {} }, TextCase { "OneBreak", "\r\n", { "" } },
        TextCase { "NoFinalBreak", "a\r\nb", { "a", "b" } },
        TextCase { "FinalCrLf", "a\r\nb\r\n", { "a", "b" } }, TextCase { "BareLf", "a\nb\n", { "a", "b" } },
        TextCase { "BareCr", "a\rb\r", { "a", "b" } },
        TextCase { "LfCrIsTwoBreaks", "a\n\rb", { "a", "", "b" } },
        TextCase { "EmptyLinesKept", "\r\n\r\nx\n\n", { "", "", "x", "" } },
        TextCase { "NulKept", std::string("a\0b\nc", 5), { std::string("a\0b", 3), "c" } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StringList, TextEndsEveryLineWithCrLf)
{
    TStringList list;
    EXPECT_EQ(list.Text(), "");
    list.Add("a");
    list.Add("");
    list.Add("b");
    EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
    TStringList copy;
    copy.SetText(list.Text());
    EXPECT_EQ(Lines(copy), Lines(list));
}

TEST(StringList, ChangeEventsAreBatchedByUpdates)
{
    TStringList list;
    int changing = 0;
    int changed = 0;
    list.OnChanging = [&](TStringList&) { ++changing; };
    list.OnChange = [&](TStringList&) { ++changed; };
    list.Add("a");
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("b");
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(changed, 1);
    list.EndUpdate();
    EXPECT_EQ(changing, 2);
    EXPECT_EQ(changed, 2);
    list.SetText("x\ny\nz");
    EXPECT_EQ(changed, 3);
}

TEST(StringList, AssignAndAddStringsCopyObjects)
{
    TStringList source;
    source.AddObject("one", ObjectFromInt(1));
    source.AddObject("two", ObjectFromInt(2));
    TStringList target;
    target.Add("old");
    target.Assign(source);
    EXPECT_EQ(Lines(target), (V { "one", "two" }));
    target.AddStrings(source);
    EXPECT_EQ(target.Count(), 4);
    EXPECT_EQ(IntFromObject(target.Objects(3)), 2);
    target.Assign(target);
    EXPECT_EQ(target.Count(), 4);
}

TEST(StringList, FilesRoundTripAndMissingFileRaises)
{
    const std::string name = testing::TempDir() + "zavek_stringlist_test.txt";
    TStringList list;
    list.Add("first");
    list.Add("second");
    list.SaveToFile(name);
    TStringList loaded;
    loaded.LoadFromFile(name);
    EXPECT_EQ(Lines(loaded), (V { "first", "second" }));
    std::remove(name.c_str());
    try {
        loaded.LoadFromFile(name);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find(name), std::string::npos);
    }
    EXPECT_EQ(loaded.Count(), 2); // a failed load leaves the list alone
}

} // namespace
