// The address books: which files count as books, how their records read as auto-list lines and as
// resolve lines, switched-off books, and resolving bare names in a recipient list.
#include "plugin/AddressBooks.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::string Identity(const std::string& text)
{
    return text;
}

struct TRecord {
    std::string Name, Address;
};

// A book file: the title in a 128-byte header, then one 458-byte record per entry.
std::string BookBytes(const std::string& title, const std::vector<TRecord>& records, size_t extraBytes = 0)
{
    std::string bytes(TAddressBookList::HEADER_SIZE, '\0');
    bytes.replace(0, title.size(), title);
    for (const TRecord& r : records) {
        std::string record(TAddressBookList::RECORD_SIZE, '\0');
        record.replace(TAddressBookList::NAME_OFFSET, r.Name.size(), r.Name);
        record.replace(TAddressBookList::ADDRESS_OFFSET, r.Address.size(), r.Address);
        bytes += record;
    }
    return bytes + std::string(extraBytes, 'x');
}

int AddBookOf(TAddressBookList& list, const std::string& bytes)
{
    return list.AddBook(std::make_unique<TStringStream>(bytes));
}

TEST(AddressBooks, OnlyFilesWithATitleAndMoreThanTheHeaderAreBooks)
{
    TAddressBookList list(Identity);
    EXPECT_EQ(AddBookOf(list, BookBytes("Title", {})), -1); // exactly 128 bytes
    EXPECT_EQ(AddBookOf(list, BookBytes("", { { "A", "a@x.org" } })), -1);
    EXPECT_EQ(AddBookOf(list, std::string(128, 'T') + std::string(458, '\0')), -1); // no terminator
    EXPECT_EQ(AddBookOf(list, "short"), -1);
    EXPECT_EQ(AddBookOf(list, BookBytes(std::string(127, 'T'), {}, 1)), 0);
    EXPECT_EQ(list.Count(), 1);
}

TEST(AddressBooks, RecordsReadAsAutoListLinesWithoutKey)
{
    TAddressBookList list(Identity);
    // One and a half records: the half is not an entry.
    const int index = AddBookOf(list,
        BookBytes("Friends", { { "Ann Lee", "ann@example.org" }, { " \"Bob Stone\" ", " bob@example.net " } }, 229));
    ASSERT_EQ(index, 0);
    EXPECT_EQ(list.ReadAddressBook(index),
        "Ann Lee <ann@example.org>\\0x0000000000000000\r\n"
        "Bob Stone <bob@example.net>\\0x0000000000000000\r\n");
    // Read once: the second call gives the same text from memory.
    EXPECT_EQ(list.ReadAddressBook(index), list.ReadAddressBook(index));
    EXPECT_EQ(list.ReadAddressBook(5), "");
}

TEST(AddressBooks, AnEntryWithoutAddressIsLeftOutAndDoesNotJoinTheNextLine)
{
    TAddressBookList list(Identity);
    AddBookOf(list, BookBytes("B", { { "Nobody", "" }, { "", "only@example.org" }, { "Carl", "carl@example.com" } }));
    EXPECT_EQ(list.GetRecipientText(),
        "<only@example.org>\\0x0000000000000000\r\n"
        "Carl <carl@example.com>\\0x0000000000000000\r\n");
}

TEST(AddressBooks, FieldsAreReadOnlyWithinTheirBounds)
{
    // A name that fills its whole field without a terminator stops at the address field.
    std::string bytes = BookBytes("B", { { "", "a@b.c" } });
    bytes.replace(128 + 2, 340, std::string(340, 'N'));
    TAddressBookList list(Identity);
    AddBookOf(list, bytes);
    EXPECT_EQ(list.GetRecipientText(), std::string(340, 'N') + " <a@b.c>\\0x0000000000000000\r\n");
}

TEST(AddressBooks, ASwitchedOffBookContributesNothing)
{
    TAddressBookList list(Identity);
    AddBookOf(list, BookBytes("Work", { { "W", "w@work.example" } }));
    AddBookOf(list, BookBytes("Home", { { "H", "h@home.example" } }));
    list.CollectForResolving("work.pmr=abcd1\r\nHOME.PMR=abcd0\r\n");
    EXPECT_EQ(FindResolvedAddress("H\t<h@home.example>\r\n", "h"), "h@home.example");
    EXPECT_EQ(list.ResolveRecipientNames("W, H"), "W, h@home.example");
}

TEST(AddressBooks, ResolvingReplacesBareNamesAndKeepsAddresses)
{
    TAddressBookList list(Identity);
    AddBookOf(list, BookBytes("B", { { "Ann Lee", "ann@example.org" }, { "Bob", "bob@example.net" } }));
    list.CollectForResolving("");
    EXPECT_EQ(list.Count(), 0); // the books are closed after collecting
    const struct {
        const char* recipients;
        const char* resolved;
    } cases[] = {
        { "ann lee", "ann@example.org" },
        { "\"Carl\" <carl@example.com>, Bob", "carl@example.com, bob@example.net" },
        { "Unknown Person, Bob", "Unknown Person, bob@example.net" },
        { "Bo", "Bo" }, // only a whole name matches
        { "\"Lee, Ann\" <ann@example.org>", "ann@example.org" }, // a comma inside quotes
        { "", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.recipients);
        EXPECT_EQ(list.ResolveRecipientNames(c.recipients), c.resolved);
    }
}

TEST(AddressBooks, ANameMatchesOnlyAtTheStartOfALine)
{
    const std::string text = "Mary Ann\t<mary@x.org>\r\nAnn\t<ann@x.org>\r\n";
    EXPECT_EQ(FindResolvedAddress(text, "Ann"), "ann@x.org");
    EXPECT_EQ(FindResolvedAddress(text, "mary ann"), "mary@x.org");
    EXPECT_EQ(FindResolvedAddress(text, "Nobody"), "");
}

TEST(AddressBooks, WithoutResolveTextNothingResolves)
{
    TAddressBookList list(Identity);
    EXPECT_EQ(list.ResolveRecipientNames("Bob"), "");
}

} // namespace
