// Tests of TList (pointer list) and of the framework's exception texts.
#include "framework/Exceptions.h"
#include "framework/Lists.h"

#include <gtest/gtest.h>

namespace {

int a, b, c;

std::vector<void*> Items(const TList& list)
{
    std::vector<void*> items;
    for (int i = 0; i < list.Count(); ++i)
        items.push_back(list[i]);
    return items;
}

TEST(List, EditsKeepOrder)
{
    TList list;
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Add(&b), 1);
    list.Insert(0, &c);
    EXPECT_EQ(Items(list), (std::vector<void*> { &c, &a, &b }));
    list.Move(0, 2);
    EXPECT_EQ(Items(list), (std::vector<void*> { &a, &b, &c }));
    list.Move(2, 0);
    EXPECT_EQ(Items(list), (std::vector<void*> { &c, &a, &b }));
    list.Exchange(0, 2);
    EXPECT_EQ(Items(list), (std::vector<void*> { &b, &a, &c }));
    list.Add(&a);
    EXPECT_EQ(list.Remove(&a), 1);
    EXPECT_EQ(Items(list), (std::vector<void*> { &b, &c, &a }));
    EXPECT_EQ(list.Remove(nullptr), -1);
    list.Delete(0);
    EXPECT_EQ(list.IndexOf(&c), 0);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(List, BadIndexesRaise)
{
    TList list;
    list.Add(&a);
    EXPECT_THROW(list.Items(1), EListError);
    EXPECT_THROW(list.Insert(2, &b), EListError);
    EXPECT_THROW(list.Move(0, 1), EListError);
    EXPECT_THROW(list.Exchange(0, -1), EListError);
    EXPECT_THROW(list.Delete(1), EListError);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], &a);
}

TEST(Exceptions, TextsAndCodes)
{
    EXPECT_EQ(EListError(-1).Message(), "List index out of bounds (-1)");
    EXPECT_EQ(EFOpenError("C:\\x.txt").Message(), "Cannot open file \"C:\\x.txt\"");
    EXPECT_EQ(EOSError(5).ErrorCode(), 5u);
    EXPECT_EQ(EOSError(5).Message(), "System error. Code: 5.");
    const EOleSysError ole(static_cast<std::int32_t>(0x80004005), "Unspecified.");
    EXPECT_EQ(ole.Message(), "OLE error 80004005. Unspecified.");
    EXPECT_EQ(ole.ErrorCode(), static_cast<std::int32_t>(0x80004005));
    const Exception& base = EConvertError("'x' is not a valid integer value");
    EXPECT_STREQ(base.what(), "'x' is not a valid integer value");
    EXPECT_THROW(throw EAbort(), Exception);
}

} // namespace
