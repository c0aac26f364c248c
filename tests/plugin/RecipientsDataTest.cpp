// Tests of the recipient list file (creation that never empties a file, migration by update
// number) and of the recipient choices of a message (candidates, the chooser, counts, flags).
#include "plugin/RecipientsData.h"

#include "AutoListTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using testing::_;
using testing::DoAll;
using testing::Return;
using testing::SetArgReferee;

const std::string kAliceKey = "0x0123456789ABCDEF";
const std::string kAlice2Key = "0x1111111111111111";
const std::string kBobKey = "0x89ABCDEF01234567";

class TFakeKeySource : public IAutoListKeySource {
public:
    explicit TFakeKeySource(std::unique_ptr<TKeyPropsList> keys)
        : keys_(std::move(keys))
    {
    }
    const TKeyPropsList* LoadAllKeys() override
    {
        ++loads;
        return failLoad ? nullptr : keys_.get();
    }
    const TKeyPropsList* LoadEncryptionKeys() override { return LoadAllKeys(); }
    void ClearKeyList() override { ++clears; }

    bool failLoad = false;
    int loads = 0;
    int clears = 0;

private:
    std::unique_ptr<TKeyPropsList> keys_;
};

class TMockChooser : public IRecipientChooser {
public:
    MOCK_METHOD(TChooserAnswer, Choose, (const TAutoList&, const std::string&, int, int&), (override));
};

std::string Header(const std::string& update)
{
    return "#++++++++++++\r\n# Update " + update + "\r\n++++#\r\n";
}

TEST(ALInterface, MissingFileIsCreatedEmptyAndLoadsWithoutHeader)
{
    TScratchFolder folder;
    const std::string name = folder.File("AutoList.txt");
    TALInterface list(name);
    EXPECT_EQ(list.FileName(), name);
    EXPECT_EQ(ReadFileBytes(name), "");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Header(), "");
    EXPECT_EQ(list.GetUpdateNumber(), 0);
}

TEST(ALInterface, ExistingFileIsLoadedByKeyIdAndNeverEmptied)
{
    TScratchFolder folder;
    const std::string name = folder.File("AutoList.txt");
    const std::string text
        = Header("4.9.6.0") + "Bob\\1x89ABCDEF01234567+s\r\nAlice\\3x0123456789ABCDEF+S\r\n";
    WriteFileBytes(name, text);
    TALInterface list(name);
    EXPECT_EQ(ReadFileBytes(name), text);
    EXPECT_EQ(list.SortOrder(), soKeyID);
    EXPECT_EQ(list.GetRecipientList(), "Alice\r\nBob");
}

TEST(ALInterface, UnusableFileLeavesAListWithoutFile)
{
    TScratchFolder folder;
    TALInterface list(folder.File("no-such-folder") + "/AutoList.txt");
    EXPECT_EQ(list.FileName(), "");
    EXPECT_EQ(list.Count(), 0);
}

#if defined(_WIN32)
// Another program holding the list open, as an editor reading it does, costs the user nothing;
// one that locks it whole makes a change of the list fail as such, not pass as nothing to change.
TEST(ALInterface, AListFileHeldByAnotherProgram)
{
    TScratchFolder folder;
    const std::string name = folder.File("AutoList.txt");
    WriteFileBytes(name, Header("4.9.6.0") + "Alice\\3x0123456789ABCDEF+S\r\n");
    HANDLE reader = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    TALInterface list(name);
    CloseHandle(reader);
    EXPECT_EQ(list.FileName(), name);
    EXPECT_EQ(list.GetRecipientList(), "Alice");

    Sleep(20); // a newer time stamp, so that the list is read again
    WriteFileBytes(name, Header("4.9.6.0") + "Alice\\3x0123456789ABCDEF+S\r\nBob\\1x89ABCDEF01234567+s\r\n");
    HANDLE locker = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locker, INVALID_HANDLE_VALUE);
    EXPECT_EQ(list.RemoveKeyEntries(kBobKey), -1);
    EXPECT_EQ(list.PurgeMissingKeys(*MakeKeyList({ { kAliceKey, { "Alice" } } })), -1);
    CloseHandle(locker);
    EXPECT_EQ(list.RemoveKeyEntries(kBobKey), 1);
}
#endif

TEST(ALInterface, MigrationFrom4850OnlySwitchesOffPgpMimeEntriesOnce)
{
    TScratchFolder folder;
    const std::string name = folder.File("AutoList.txt");
    WriteFileBytes(name, Header("4.8.5.0") + "Alice\\9x0123456789ABCDEF+s\r\nBob\\1x89ABCDEF01234567+S\r\n");
    TALInterface list(name);
    TFakeKeySource keys(MakeKeyList({}));
    ASSERT_TRUE(list.MigrateAutoList(keys));
    EXPECT_EQ(keys.loads, 0);
    EXPECT_EQ(keys.clears, 1);
    EXPECT_EQ(ReadFileBytes(name),
        Header("4.9.6.0") + "Alice\\1x0123456789ABCDEF-s\r\nBob\\1x89ABCDEF01234567+S\r\n");

    // Switched back on by the user, it stays so at the next start.
    WriteFileBytes(name, Header("4.9.6.0") + "Alice\\9x0123456789ABCDEF+s\r\n");
    TALInterface again(name);
    ASSERT_TRUE(again.MigrateAutoList(keys));
    EXPECT_EQ(again.GetFlags(0), 0x09u);
}

TEST(ALInterface, OldListsHaveKeyIdsRepairedAndDefaultsGiven)
{
    TScratchFolder folder;
    const std::string name = folder.File("AutoList.txt");
    WriteFileBytes(name, Header("4.5.0.0") + "Alice\\0x89abcdef+s\r\nBob\\8x0123456789ABCDEF+s\r\n");
    TALInterface list(name);
    list.SetDefaultFlags(true, false);
    TFakeKeySource keys(
        MakeKeyList({ { kAliceKey, { "Alice" } }, { "0x0000000089ABCDEF", { "Alice old" } } }));
    // Key 0's short id is its low half (0x89ABCDEF): the entry takes that key's full id.
    ASSERT_TRUE(list.MigrateAutoList(keys));
    EXPECT_TRUE(list.ContainsPair("Alice", kAliceKey));
    const std::string saved = ReadFileBytes(name);
    EXPECT_NE(saved.find("Alice\\1x0123456789ABCDEF+s"), std::string::npos);
    EXPECT_NE(saved.find("Bob\\0x0123456789ABCDEF-s"), std::string::npos);
    EXPECT_NE(saved.find("# Update 4.9.6.0"), std::string::npos);
    EXPECT_EQ(keys.clears, 1);
}

TEST(ALInterface, HeaderlessListIsMigratedOnceAndThenCarriesTheHeader)
{
    TScratchFolder folder;
    const std::string name = folder.File("AutoList.txt");
    WriteFileBytes(name, "Carol\\0x0011223344556677+s\r\n");
    TFakeKeySource keys(MakeKeyList({}));
    {
        TALInterface list(name);
        list.SetDefaultFlags(true, true);
        ASSERT_TRUE(list.MigrateAutoList(keys));
    }
    EXPECT_EQ(ReadFileBytes(name), std::string(kStandardAutoListHeader) + "Carol\\3x0011223344556677+s\r\n");
    TALInterface list(name);
    EXPECT_EQ(list.GetUpdateNumber(), 4960);
}

TEST(ALInterface, FailedKeyLoadChangesNothingAndStillClears)
{
    TScratchFolder folder;
    const std::string name = folder.File("AutoList.txt");
    const std::string text = Header("4.0.0.0") + "Alice\\0x89abcdef+s\r\n";
    WriteFileBytes(name, text);
    TALInterface list(name);
    TFakeKeySource keys(MakeKeyList({}));
    keys.failLoad = true;
    EXPECT_FALSE(list.MigrateAutoList(keys));
    EXPECT_EQ(keys.clears, 1);
    EXPECT_EQ(ReadFileBytes(name), text);
}

TEST(RecipientsData, KeepsInsertionOrderRefusesPairsAndClearsEverything)
{
    TRecipientsData data;
    TAutoListEntry entry { "Zed", kBobKey, 1, nullptr };
    EXPECT_EQ(data.AddItem(entry), 0);
    entry.Recipient = "Alice";
    EXPECT_EQ(data.AddItem(entry), 1);
    entry.Recipient = "ZED";
    EXPECT_EQ(data.AddItem(entry), -1);
    data.Mixed = true;
    data.RecipientsWithoutKey = 2;
    data.RecipientCounts = { 1, 2, 3 };
    data.CombineFlags(3);
    data.Clear();
    EXPECT_EQ(data.Count(), 0);
    EXPECT_FALSE(data.Mixed);
    EXPECT_EQ(data.RecipientsWithoutKey, 0);
    EXPECT_EQ(data.RecipientCounts[rkBcc], 0);
    EXPECT_EQ(data.CombinedFlags(), 0u);
}

TEST(RecipientsData, KeyedFlagsKeepTheMimeBits)
{
    TRecipientsData data;
    data.AddItem({ "A", kAliceKey, kALPgpMime | kALSMime | kALSign | kALDisabled, nullptr });
    data.AddItem({ "B", kNoKeyID, kALSign, nullptr });
    data.SetKeyedFlags(0xFD);
    EXPECT_EQ(data.GetFlags(0), kALPgpMime | kALSMime | 5u);
    EXPECT_EQ(data.GetFlags(1), kALSign);
}

TEST(RecipientsData, ModalResultsOneAndSixAccept)
{
    EXPECT_EQ(ChooserAnswerFromModalResult(1), TChooserAnswer::Ok);
    EXPECT_EQ(ChooserAnswerFromModalResult(6), TChooserAnswer::Ok);
    EXPECT_EQ(ChooserAnswerFromModalResult(2), TChooserAnswer::Cancelled);
    EXPECT_EQ(ChooserAnswerFromModalResult(5), TChooserAnswer::Cancelled);
}

class Selecting : public testing::Test {
protected:
    Selecting()
        : keys(MakeKeyList({ { kAliceKey, { "Alice <alice@example.org>" } },
            { kAlice2Key, { "Alice <alice@example.org>" } }, { kBobKey, { "Bob <bob@example.org>" } } }))
    {
        autoList.AddItem({ "Alice <alice@example.org>", kAliceKey, kALEncrypt | kALSign, nullptr });
        autoList.AddItem({ "Alice <alice@example.org>", kAlice2Key, kALEncrypt | kALPgpMime, nullptr });
        autoList.AddItem({ "Bob <bob@example.org>", kBobKey, kALSign, nullptr });
        autoList.AddItem({ "Carol <carol@example.org>", kBobKey, kALEncrypt | kALDisabled, nullptr });
    }
    TFakeKeySource keys;
    TAutoList autoList;
    TRecipientsData data;
    testing::StrictMock<TMockChooser> chooser;
};

TEST_F(Selecting, OneCandidateIsTakenAndAnUnknownRecipientGoesWithoutKey)
{
    data.RecipientCounts[rkTo] = 2;
    EXPECT_EQ(SelectRecipientKeys(
                  keys, chooser, "Bob <bob@example.org>\tCarol <carol@example.org>", autoList, 0, data),
        TSelectResult::Done);
    ASSERT_EQ(data.Count(), 2);
    EXPECT_EQ(data.GetKeyId(0), kBobKey);
    EXPECT_EQ(data.GetItem(1).Recipient, "Carol <carol@example.org>"); // its only entry is switched off
    EXPECT_EQ(data.GetKeyId(1), kNoKeyID);
    EXPECT_EQ(data.GetFlags(1), 0u);
    EXPECT_EQ(data.RecipientsWithoutKey, 1);
}

TEST_F(Selecting, SeveralCandidatesGoToTheChooser)
{
    EXPECT_CALL(chooser, Choose(_, "Alice <alice@example.org>", 3, _))
        .WillOnce(DoAll(SetArgReferee<3>(1), Return(TChooserAnswer::Ok)));
    data.RecipientCounts[rkTo] = 1;
    EXPECT_EQ(SelectRecipientKeys(keys, chooser, "Alice <alice@example.org>", autoList, 3, data),
        TSelectResult::Done);
    ASSERT_EQ(data.Count(), 1);
    EXPECT_EQ(data.GetKeyId(0), kAlice2Key);
    EXPECT_EQ(data.CombinedFlags(), kALEncrypt | kALPgpMime);
}

TEST_F(Selecting, TheSecondResolutionOfASendKeepsTheFirstChoice)
{
    // The choice is remembered by its key id, whatever the order of the candidates.
    int asked = 0;
    EXPECT_CALL(chooser, Choose(_, _, 0, _))
        .Times(2)
        .WillRepeatedly([&](const TAutoList& candidates, const std::string&, int, int& chosen) {
            ++asked;
            chosen = candidates.GetKeyId(0) == kAlice2Key ? 0 : 1;
            return TChooserAnswer::Ok;
        });
    TRememberingChooser remembering(chooser);
    for (int run = 0; run < 2; ++run) {
        data.Clear();
        ASSERT_EQ(SelectRecipientKeys(keys, remembering, "Alice <alice@example.org>", autoList, 0, data),
            TSelectResult::Done);
        ASSERT_EQ(data.Count(), 1);
        EXPECT_EQ(data.GetKeyId(0), kAlice2Key);
    }
    EXPECT_EQ(asked, 1);
    // The next send asks again.
    remembering.Forget();
    ASSERT_EQ(SelectRecipientKeys(keys, remembering, "alice <ALICE@example.org>", autoList, 0, data),
        TSelectResult::Done);
    EXPECT_EQ(asked, 2);
}

TEST_F(Selecting, CancelOrNoChooserClearsEverything)
{
    EXPECT_CALL(chooser, Choose(_, _, _, _)).WillOnce(Return(TChooserAnswer::Cancelled));
    EXPECT_EQ(SelectRecipientKeys(
                  keys, chooser, "Bob <bob@example.org>\tAlice <alice@example.org>", autoList, 0, data),
        TSelectResult::Cancelled);
    EXPECT_EQ(data.Count(), 0);
    TNoRecipientChooser none;
    EXPECT_EQ(SelectRecipientKeys(keys, none, "Alice <alice@example.org>", autoList, 0, data),
        TSelectResult::ChooserUnavailable);
    EXPECT_EQ(data.Count(), 0);
}

TEST_F(Selecting, MixedEncryptBitsOfToRecipientsAndCcFlagsLeftOut)
{
    EXPECT_CALL(chooser, Choose(_, _, _, _)).WillOnce(DoAll(SetArgReferee<3>(0), Return(TChooserAnswer::Ok)));
    data.RecipientCounts = { 2, 1, 0 };
    autoList.AddItem({ "Dan <dan@example.org>", kBobKey, kALEncrypt | kALSMime, nullptr });
    EXPECT_EQ(
        SelectRecipientKeys(keys, chooser,
            "Bob <bob@example.org>\tAlice <alice@example.org>\tDan <dan@example.org>", autoList, 0, data),
        TSelectResult::Done);
    ASSERT_EQ(data.Count(), 3);
    EXPECT_TRUE(data.Mixed);
    EXPECT_EQ(data.CombinedFlags(), kALSign | kALEncrypt); // Dan (Cc) left out
}

TEST_F(Selecting, EmptyRecipientsDoNothing)
{
    EXPECT_EQ(SelectRecipientKeys(keys, chooser, "", autoList, 0, data), TSelectResult::Done);
    EXPECT_EQ(keys.loads, 0);
}

} // namespace
