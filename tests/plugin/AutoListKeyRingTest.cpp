// The recipient key list against real keys: the stand-in SDK's key database on key rings GnuPG
// made at build time, read through the key-ring key source (matching, message entries, purge
// and the short-id repair of old lists).
#include "plugin/RecipientsData.h"

#include "engine/KeyFuncs.h"
#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"

#include "support/StandInSdk.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

std::string ReadBytes(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class AutoListKeyRing : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LoadStandInSdk();
    }
    static void TearDownTestSuite() { ReleasePGPsdk(); }

    void SetUp() override
    {
        ASSERT_EQ(SDKLoadError, 0);
        UseKeyRingCopies(scratch, ZAVEK_KEY_FIXTURES);
        if (HasFatalFailure())
            return;
        keys = source.LoadAllKeys();
        ASSERT_NE(keys, nullptr);
        ann = IndexOfUserID("Ann Lee <ann@example.org>");
        ASSERT_GE(ann, 0);
        annID = keys->Get(ann);
    }
    void TearDown() override
    {
        source.ClearKeyList();
    }

    int IndexOfUserID(const std::string& userID) const
    {
        for (int i = 0; i < keys->Count(); ++i) {
            const TKeyPropsRec& record = keys->Record(i);
            if (record.UserIDs && record.UserIDs->IndexOf(userID) >= 0)
                return i;
        }
        return -1;
    }

    TKeyRingKeySource source;
    const TKeyPropsList* keys = nullptr;
    TScratchFolder scratch { "zavek-autolist-keys" };
    const std::string folder = scratch.path;
    int ann = -1;
    std::string annID;
};

TEST_F(AutoListKeyRing, RecipientsFindTheirKeysInTheKeyRing)
{
    TAutoList list;
    list.AddItem({ "Ann Lee <ann@example.org>", annID, kALEncrypt, nullptr });
    list.AddItem({ "Gone <gone@example.org>", "0x0123456789ABCDEF", kALEncrypt, nullptr });
    TAutoList result;
    list.FindEntriesForRecipient("Mrs Lee <ANN@example.org>", *keys, result);
    ASSERT_EQ(result.Count(), 1);
    EXPECT_EQ(IntFromObject(result.GetObject(0)), ann);
    result.Clear();
    list.FindEntriesForRecipient("Gone <gone@example.org>", *keys, result);
    EXPECT_EQ(result.Count(), 0);

    // A message encrypted to Ann's key offers her other user id.
    list.AddEntriesFromMessage({ "", annID, 1 }, *keys, result);
    ASSERT_EQ(result.Count(), 1);
    EXPECT_EQ(result.GetItem(0).Recipient, "Ann at work <ann@work.example>");
}

TEST_F(AutoListKeyRing, EncryptionKeysLeaveOutRevokedAndExpiredOnes)
{
    const TKeyPropsList* encryption = source.LoadEncryptionKeys();
    ASSERT_NE(encryption, nullptr);
    EXPECT_GE(encryption->IndexOf(annID), 0);
    EXPECT_LT(encryption->Count(), 4); // of four keys, one expired and one revoked
}

TEST_F(AutoListKeyRing, PurgeAndShortIdRepairOnTheFile)
{
    const std::string name = folder + "AutoList.txt";
    const std::string shortID = keys->Record(ann).KeyID;
    ASSERT_EQ(shortID.size(), 10u);
    std::ofstream(name, std::ios::binary) << "#++++\r\n# Update 4.5.0.0\r\n++++#\r\n"
                                          << "Ann\\1" << shortID.substr(1) << "+s\r\n"
                                          << "Gone\\1x0123456789ABCDEF+s\r\n";
    {
        TALInterface list(name);
        keys = nullptr; // the migration loads and clears the key list itself
        ASSERT_TRUE(list.MigrateAutoList(source));
        EXPECT_TRUE(list.ContainsPair("Ann", annID));
        keys = source.LoadAllKeys();
        EXPECT_EQ(list.PurgeMissingKeys(*keys), 1);
    }
    const std::string saved = ReadBytes(name);
    EXPECT_NE(saved.find("Ann\\1" + annID.substr(1) + "+s"), std::string::npos);
    EXPECT_EQ(saved.find("Gone"), std::string::npos);
    EXPECT_NE(saved.find("# Update 4.9.6.0"), std::string::npos);
}

} // namespace
