// Tests of the recipient key list: entry lines, the file text with its header and update number,
// duplicate pairs, the recipient matching with its fallbacks, and the file round trips.
#include "engine/AutoListHandler.h"

#include "AutoListTestSupport.h"
#include "framework/Exceptions.h"

#include <gtest/gtest.h>

namespace {

const std::string kAliceKey = "0x0123456789ABCDEF";
const std::string kBobKey = "0x89ABCDEF01234567";
const std::string kCarolKey = "0x0011223344556677";

struct TLineCase {
    const char* Line;
    bool Valid;
    const char* Recipient;
    const char* KeyID;
    uint32_t Flags;
    const char* WrittenBack; // null: the line itself
};

class EntryLines : public testing::TestWithParam<TLineCase> { };

TEST_P(EntryLines, ParseAndWriteBack)
{
    const TLineCase& c = GetParam();
    TAutoListEntry entry;
    ASSERT_EQ(ParseEntryLine(c.Line, entry), c.Valid);
    if (!c.Valid)
        return;
    EXPECT_EQ(entry.Recipient, c.Recipient);
    EXPECT_EQ(entry.KeyID, c.KeyID);
    EXPECT_EQ(entry.Flags, c.Flags);
    EXPECT_EQ(FormatEntryLine(entry), c.WrittenBack ? c.WrittenBack : c.Line);
}

INSTANTIATE_TEST_SUITE_P(AutoList, EntryLines,
    testing::Values(TLineCase { "Alice Example <alice@example.org>\\3x0123456789ABCDEF+S", true,
                        "Alice Example <alice@example.org>", "0x0123456789ABCDEF", 0x13, nullptr },
        TLineCase { "bob@example.org\\1x89ABCDEF01234567-s", true, "bob@example.org", "0x89ABCDEF01234567",
            0x21, nullptr },
        TLineCase { "Dave\\0x0011223344556677", true, "Dave", "0x0011223344556677", 0x00,
            "Dave\\0x0011223344556677+s" },
        TLineCase { "Dave\\5x0011223344556677", true, "Dave", "0x0011223344556677", 0x05,
            "Dave\\5x0011223344556677+s" },
        // Only an upper-case S is S/MIME.
        TLineCase { "Eve\\1x0011223344556677+s", true, "Eve", "0x0011223344556677", 0x01, nullptr },
        TLineCase { "Eve\\1x0011223344556677+x", true, "Eve", "0x0011223344556677", 0x01,
            "Eve\\1x0011223344556677+s" },
        // The digit carries PGP/MIME and the mode bit; F is all four low bits.
        TLineCase { "Fay\\Fx0011223344556677-S", true, "Fay", "0x0011223344556677", 0x3F, nullptr },
        // A short key id must not take the sign and letter into the id.
        TLineCase { "Old <old@example.org>\\1x12345678+S", true, "Old <old@example.org>", "0x12345678", 0x11,
            nullptr },
        // Backslashes inside the recipient: the one 20 from the end separates.
        TLineCase { "A\\B\\2x0011223344556677+s", true, "A\\B", "0x0011223344556677", 0x02, nullptr },
        TLineCase { "  Padded  \\1x0011223344556677+s", true, "Padded", "0x0011223344556677", 0x01,
            "Padded\\1x0011223344556677+s" },
        TLineCase { "no separator 0x0011223344556677", false, "", "", 0, nullptr },
        TLineCase { "\\1x0011223344556677+s", false, "", "", 0, nullptr },
        TLineCase { "Short\\1x1234567+s", false, "", "", 0, nullptr },
        TLineCase { "Nothing\\", false, "", "", 0, nullptr }));

TAutoListEntry Entry(const std::string& recipient, const std::string& keyID, uint32_t flags = kALEncrypt)
{
    TAutoListEntry entry;
    entry.Recipient = recipient;
    entry.KeyID = keyID;
    entry.Flags = flags;
    return entry;
}

const std::string kHeader
    = "#+++++++++++++++++++++\r\n# Update 4.8.5.0\r\n# kept verbatim\r\n+++++++++++++++++++#\r\n\r\n";

TEST(AutoListText, HeaderKeptByteForByteCommentsDroppedDuplicatesMerged)
{
    TAutoList list;
    list.SetTextStr(kHeader + "# a comment\r\nAlice <alice@example.org>\\3x0123456789ABCDEF+S\r\n"
        + "ALICE <ALICE@example.org>\\3x0123456789abcdef+S\r\n"
        + "garbage line\r\n\r\n   bob@example.org\\1x89ABCDEF01234567-s\r\n");
    EXPECT_EQ(list.Header(), kHeader);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetTextStr(),
        kHeader + "Alice <alice@example.org>\\3x0123456789ABCDEF+S\r\n"
            + "bob@example.org\\1x89ABCDEF01234567-s\r\n");
}

TEST(AutoListText, HeaderOnlyAtTheVeryStart)
{
    TAutoList list;
    list.SetTextStr("\r\n#+++++\r\nx\\1x0011223344556677+s\r\n++++#\r\n");
    EXPECT_EQ(list.Header(), "");
    EXPECT_EQ(list.Count(), 1);
    list.SetTextStr("#++++ no line feed ++++#");
    EXPECT_EQ(list.Header(), "");
}

TEST(AutoListText, NulBytesEndLinesInsteadOfStallingTheReader)
{
    TAutoList list;
    static const char text[] = "a\\1x0011223344556677+s\0\0b\\2x0011223344556677+s\0";
    list.SetTextStr(std::string(text, sizeof text - 1));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetFlags(0) | list.GetFlags(1), 3u);
}

struct TUpdateCase {
    std::string Header;
    int Number;
    std::string AfterGet;
    int SetTo;
    std::string AfterSet;
};

TEST(AutoListText, UpdateNumberReadInsertedAndWritten)
{
    const std::string first = "#+++++++++++++\r\n";
    const std::string last = "++++#\r\n";
    const std::vector<TUpdateCase> cases = {
        { first + "# Update 4.8.5.0\r\n" + last, 4850, first + "# Update 4.8.5.0\r\n" + last, 4960,
            first + "# Update 4.9.6.0\r\n" + last },
        { first + "# UPDATE 4.5.0.0 (old)\r\n" + last, 4500, first + "# UPDATE 4.5.0.0 (old)\r\n" + last,
            4960, first + "# UPDATE 4.9.6.0 (old)\r\n" + last },
        // Without the line one is made from the first line; the new number replaces its short token.
        { first + last, 0, first + "# Update 0    \r\n" + last, 4960,
            first + "# Update 4.9.6.0    \r\n" + last },
        // A first line shorter than the inserted text is padded first.
        { "#++++\r\n++++#\r\n", 0, "#++++\r\n# Update 0\r\n++++#\r\n", 12345,
            "#++++\r\n# Update 12.3.4.5\r\n++++#\r\n" },
    };
    for (const TUpdateCase& c : cases) {
        TAutoList list;
        list.SetTextStr(c.Header);
        ASSERT_EQ(list.Header(), c.Header);
        EXPECT_EQ(list.GetUpdateNumber(), c.Number) << c.Header;
        EXPECT_EQ(list.Header(), c.AfterGet);
        list.SetUpdateNumber(c.SetTo);
        EXPECT_EQ(list.Header(), c.AfterSet);
        EXPECT_EQ(list.GetUpdateNumber(), c.SetTo);
    }
}

TEST(AutoListText, NoHeaderHasUpdateZeroAndGainsNoLine)
{
    TAutoList list;
    list.SetTextStr("a\\1x0011223344556677+s\r\n");
    EXPECT_EQ(list.GetUpdateNumber(), 0);
    list.SetUpdateNumber(4960);
    EXPECT_EQ(list.Header(), "");
}

TEST(AutoListStore, AddKeepsKeyOrderRefusesPairsAndIgnoresTheAskedIndex)
{
    TAutoList list;
    EXPECT_EQ(list.AddItem(Entry("Carol", kCarolKey)), 0);
    EXPECT_EQ(list.AddItem(Entry("Bob", kBobKey)), 1);
    EXPECT_EQ(list.AddItem(Entry("Alice", kAliceKey)), 1);
    EXPECT_EQ(list.AddItem(Entry("alice", "0x0123456789abcdef")), -1);
    // The same key for a second recipient is a new pair.
    EXPECT_GE(list.AddItem(Entry("Alice Two", kAliceKey)), 0);
    EXPECT_EQ(list.Add("not an entry"), -1);
    list.Insert(0, "Zed\\1x" + std::string(16, 'F') + "+s");
    EXPECT_EQ(list.GetKeyId(list.Count() - 1), "0xFFFFFFFFFFFFFFFF");
    const int yan = list.AddObject("Yan\\1x" + std::string(16, 'E') + "+s", ObjectFromInt(7));
    EXPECT_EQ(yan, list.Count() - 2);
    EXPECT_EQ(IntFromObject(list.GetObject(yan)), 7);
    EXPECT_TRUE(list.ContainsPair("ALICE", kAliceKey));
    EXPECT_FALSE(list.ContainsPair("", kAliceKey));
    EXPECT_FALSE(list.ContainsPair("Alice", ""));
}

TEST(AutoListStore, AddressMatchesAnEntryWithThatAddress)
{
    TAutoList list;
    list.AddItem(Entry("Alice Example <alice@example.org>", kAliceKey));
    EXPECT_TRUE(list.ContainsPair("ALICE@example.org", kAliceKey));
    EXPECT_FALSE(list.ContainsPair("Alice", kAliceKey));
    EXPECT_EQ(list.AddItem(Entry("alice@example.org", kAliceKey)), -1);
}

TEST(AutoListStore, PutAndExchangeDoNotBreakLaterSearches)
{
    TAutoList list;
    list.AddItem(Entry("Alice", kAliceKey));
    list.AddItem(Entry("Bob", kBobKey));
    list.AddItem(Entry("Carol", kCarolKey));
    list.Put(0, "Zed\\1xFFFFFFFFFFFFFFFF+s");
    EXPECT_TRUE(list.ContainsPair("Zed", "0xFFFFFFFFFFFFFFFF"));
    EXPECT_TRUE(list.ContainsPair("Alice", kAliceKey));
    list.Exchange(0, 2);
    EXPECT_TRUE(list.ContainsPair("Bob", kBobKey));
    EXPECT_EQ(list.AddItem(Entry("Zed", "0xFFFFFFFFFFFFFFFF")), -1);
}

TEST(AutoListStore, OutOfRangeIndexesAreHarmless)
{
    TAutoList list;
    list.AddItem(Entry("Alice", kAliceKey));
    EXPECT_EQ(list.Get(5), "");
    EXPECT_EQ(list.GetItem(-1).Recipient, "");
    EXPECT_EQ(list.GetFlags(3), 0u);
    list.SetFlags(3, 1);
    list.SetKeyId(-2, kBobKey);
    list.Delete(1);
    list.Exchange(0, 1);
    list.Put(1, "a\\1x0011223344556677+s");
    list.Move(4, 0);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetRecipientList(), "Alice");
}

TEST(AutoListStore, SortOrdersAndTheRecipientText)
{
    TAutoList list;
    list.AddItem(Entry("Carol", kAliceKey));
    list.AddItem(Entry("alice", kBobKey));
    list.AddItem(Entry("Bob", kCarolKey));
    list.SetSortOrder(soRecipient);
    EXPECT_EQ(list.GetRecipientList(), "alice\r\nBob\r\nCarol");
    list.SetSortOrder(soKeyID);
    EXPECT_EQ(list.GetRecipientList(), "Bob\r\nCarol\r\nalice");
    list.SetUnsorted(true);
    EXPECT_EQ(list.SortOrder(), soNone);
    EXPECT_GE(list.AddItem(Entry("Carol", kAliceKey)), 0); // unsorted lists accept duplicates
}

TEST(AutoListStore, CopyOfEnabledEntriesIsByRecipient)
{
    TAutoList list;
    list.AddItem(Entry("Carol", kCarolKey));
    list.AddItem(Entry("Bob", kBobKey, kALEncrypt | kALDisabled));
    list.AddItem(Entry("Alice", kAliceKey));
    const auto copy = list.CopyEnabledEntries();
    EXPECT_EQ(copy->FileName(), "");
    EXPECT_EQ(copy->SortOrder(), soRecipient);
    EXPECT_EQ(copy->GetRecipientList(), "Alice\r\nCarol");
}

class Matching : public testing::Test {
protected:
    void SetUp() override
    {
        keys = MakeKeyList({ { kAliceKey, { "Alice Example <alice@example.org>" } },
            { kCarolKey, { "Carol <carol@example.org>" } } });
        list.AddItem(Entry("Alice Example <alice@example.org>", kAliceKey));
        list.AddItem(Entry("Alice Example <alice@example.org>", "0x1111111111111111"));
        list.AddItem(Entry("Bob <bob@example.org>", kBobKey)); // key not in the key list
        list.AddItem(Entry("Carol <carol@example.org>", kCarolKey));
        list.AddItem(Entry("Carol Work <carol@work.example>", "0x2222222222222222"));
    }
    std::unique_ptr<TKeyPropsList> keys;
    TAutoList list;
    TAutoList result;
};

TEST_F(Matching, ExactRecipientWithItsKeysInTheKeyList)
{
    list.FindEntriesForRecipient("alice example <ALICE@example.org>", *keys, result);
    ASSERT_EQ(result.Count(), 1);
    EXPECT_EQ(result.GetKeyId(0), kAliceKey);
    EXPECT_EQ(IntFromObject(result.GetObject(0)), 0);
}

TEST_F(Matching, ExactMatchWithoutUsableKeysEndsTheSearch)
{
    list.AddItem(Entry("carol@example.org", "0x3333333333333333"));
    list.FindEntriesForRecipient("carol@example.org", *keys, result);
    EXPECT_EQ(result.Count(), 0);
}

TEST_F(Matching, AddressThenNameFallbacks)
{
    list.FindEntriesForRecipient("C. <CAROL@example.org>", *keys, result);
    ASSERT_EQ(result.Count(), 1);
    EXPECT_EQ(result.GetKeyId(0), kCarolKey);
    EXPECT_EQ(IntFromObject(result.GetObject(0)), 1);

    result.Clear();
    list.FindEntriesForRecipient("Carol <carol@elsewhere.example>", *keys, result);
    ASSERT_EQ(result.Count(), 1);
    EXPECT_EQ(result.GetKeyId(0), kCarolKey);

    result.Clear();
    list.FindEntriesForRecipient("Bob <bob@example.org>", *keys, result);
    EXPECT_EQ(result.Count(), 0);
}

TEST(AutoListMessage, KeyedRecipientsTakeTheKeysUserIds)
{
    const auto keys
        = MakeKeyList({ { kAliceKey, { "Alice <alice@example.org>", "Alice Work <alice@work.example>" } },
            { kBobKey, { "Bob <bob@example.org>" } } });
    TAutoList list;
    list.SetDefaultFlags(true, true);
    list.AddItem(Entry("Alice <alice@example.org>", kAliceKey));
    TAutoList result;
    TMessageRecipients message { "", kAliceKey + "," + "0x89abcdef01234567,0x0BAD", 2 };
    list.AddEntriesFromMessage(message, *keys, result);
    ASSERT_EQ(result.Count(), 2);
    EXPECT_TRUE(result.ContainsPair("Alice Work <alice@work.example>", kAliceKey));
    EXPECT_TRUE(result.ContainsPair("Bob <bob@example.org>", kBobKey));
    EXPECT_EQ(result.GetFlags(0), 3u);
}

TEST(AutoListMessage, KeyIdsPairedWithRecipientLines)
{
    const auto keys = MakeKeyList({ { kAliceKey, { "A" } }, { kBobKey, { "B" } } });
    TAutoList list;
    list.AddItem(Entry("bob@example.org", kBobKey));
    TAutoList result;
    TMessageRecipients message { "Alice <alice@example.org>\r\n\tBob <bob@example.org>\rno address",
        kAliceKey + kBobKey, 0 };
    list.AddEntriesFromMessage(message, *keys, result);
    EXPECT_TRUE(result.ContainsPair("Alice", kAliceKey));
    EXPECT_TRUE(result.ContainsPair("alice@example.org", kAliceKey));
    EXPECT_TRUE(result.ContainsPair("Bob", kBobKey));
    EXPECT_EQ(result.Count(), 3); // Bob's address is already in the list
}

TEST(AutoListMessage, RecipientsWithoutKeys)
{
    const auto keys = MakeKeyList({});
    TAutoList list;
    TAutoList result;
    list.AddEntriesFromMessage({ "Alice <alice@example.org>\rbob@example.org", "", 0 }, *keys, result);
    EXPECT_TRUE(result.ContainsPair("Alice", kNoKeyID));
    EXPECT_TRUE(result.ContainsPair("alice@example.org", kNoKeyID));
    EXPECT_TRUE(result.ContainsPair("bob@example.org", kNoKeyID));
}

TEST(AutoListFile, MissingFileReadsEmptyAndSaveCommitsWithTheStandardHeader)
{
    TScratchFolder folder;
    const std::string name = folder.File("AutoList.txt");
    TAutoList list(name);
    EXPECT_TRUE(list.LoadFile());
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.FileAge(), -1);
    list.AddItem(Entry("Alice", kAliceKey));
    ASSERT_TRUE(list.SaveFile());
    EXPECT_EQ(ReadFileBytes(name), std::string(kStandardAutoListHeader) + "Alice\\1x0123456789ABCDEF+s\r\n");
    EXPECT_EQ(folder.FileCount(), 1u); // no temporary file left behind
    EXPECT_GE(list.FileAge(), 0);

    TAutoList other(name);
    other.LoadFile();
    EXPECT_EQ(other.GetUpdateNumber(), 4960);
}

TEST(AutoListFile, ReloadsOnlyANewerFile)
{
    TScratchFolder folder;
    const std::string name = folder.File("AutoList.txt");
    WriteFileBytes(name, "Alice\\1x0123456789ABCDEF+s\r\n");
    TAutoList list(name);
    list.LoadFile();
    ASSERT_EQ(list.Count(), 1);
    list.AddItem(Entry("Bob", kBobKey));
    list.LoadFromFile("ignored");
    EXPECT_EQ(list.Count(), 2); // same time stamp: nothing reloaded
    std::filesystem::last_write_time(name, std::filesystem::last_write_time(name) + std::chrono::seconds(5));
    list.LoadFile();
    EXPECT_EQ(list.Count(), 1);
    std::filesystem::remove(name);
    list.LoadFile();
    EXPECT_EQ(list.Count(), 0);
}

TEST(AutoListFile, PurgeKeepsKeylessEntriesAndAnythingWhenNoKeysAreKnown)
{
    TScratchFolder folder;
    const std::string name = folder.File("AutoList.txt");
    WriteFileBytes(
        name, "Alice\\1x0123456789abcdef+s\r\nBob\\1x89ABCDEF01234567+s\r\nNobody\\0x0000000000000000+s\r\n");
    TAutoList list(name);
    EXPECT_EQ(list.PurgeMissingKeys(*MakeKeyList({})), 0);
    EXPECT_EQ(list.Count(), 3);
    // Lower-case hex in the file still names the key.
    EXPECT_EQ(list.PurgeMissingKeys(*MakeKeyList({ { kAliceKey, { "Alice" } } })), 1);
    const std::string saved = ReadFileBytes(name);
    EXPECT_NE(saved.find("Alice\\1x0123456789abcdef+s"), std::string::npos);
    EXPECT_NE(saved.find("Nobody\\0x0000000000000000+s"), std::string::npos);
    EXPECT_EQ(saved.find("Bob"), std::string::npos);
}

TEST(AutoListFile, RemoveKeyEntriesTakesTheFilesLatestState)
{
    TScratchFolder folder;
    const std::string name = folder.File("AutoList.txt");
    WriteFileBytes(name, "Alice\\1x0123456789ABCDEF+s\r\n");
    TAutoList list(name);
    list.LoadFile();
    WriteFileBytes(
        name, "Alice\\1x0123456789ABCDEF+s\r\nBob\\1x89ABCDEF01234567+s\r\nCarol\\1x0011223344556677+s\r\n");
    std::filesystem::last_write_time(name, std::filesystem::last_write_time(name) + std::chrono::seconds(5));
    EXPECT_EQ(list.RemoveKeyEntries("deleted: 0x0123456789abcdef, 0x0011223344556677 and 0x00"), 2);
    const std::string saved = ReadFileBytes(name);
    EXPECT_NE(saved.find("Bob\\1x89ABCDEF01234567+s"), std::string::npos);
    EXPECT_EQ(saved.find("Alice"), std::string::npos);
}

TEST(AutoListFile, AFailedCommitLeavesTheOldFileAndSaysSo)
{
    TScratchFolder folder;
    TAutoList list(folder.File("missing-folder") + "/AutoList.txt");
    list.AddItem(Entry("Alice", kAliceKey));
    EXPECT_FALSE(list.SaveFile());
    EXPECT_THROW(list.SaveToFile(""), Exception);
    TAutoList noFile;
    EXPECT_FALSE(noFile.SaveFile());
}

} // namespace
