// The key functions against the stand-in SDK's real key database, on key rings GnuPG made at
// build time: property lists per selection bit, user ids, sub-keys, expiry and revocation,
// searches, reopening after the files changed behind the store's back, passphrase change and
// deletion written to the files.
#include "engine/KeyFuncs.h"
#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"

#include "support/StandInSdk.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

namespace {

void SetWriteTime(const std::string& path, int secondsFromNow)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart += static_cast<int64_t>(secondsFromNow) * 10000000;
    now.dwLowDateTime = t.LowPart;
    now.dwHighDateTime = t.HighPart;
    SetFileTime(file, nullptr, nullptr, &now);
    CloseHandle(file);
}

class KeyRingsStandIn : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LoadStandInSdk();
    }
    static void TearDownTestSuite() { ReleasePGPsdk(); }

    void SetUp() override
    {
        ASSERT_EQ(SDKLoadError, 0);
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "zavek-keyrings-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        publicRing = folder + "pubring.pkr";
        secretRing = folder + "secring.skr";
        Install("pubring.pkr", "secring.skr", -3600);
        ASSERT_EQ(KeyRings().SetRingFiles(publicRing, secretRing), 0);
        KeyRings().WatchRingFiles = true;
    }
    void TearDown() override
    {
        EXPECT_EQ(KeyRings().OpenCount(), 0);
        DeleteFileA(publicRing.c_str());
        DeleteFileA(secretRing.c_str());
        RemoveDirectoryA(folder.c_str());
    }

    // Copies a fixture pair over the rings and dates them `age` seconds from now.
    void Install(const char* publicFixture, const char* secretFixture, int age)
    {
        const std::string fixtures = WindowsPath(std::string(ZAVEK_KEY_FIXTURES) + "/");
        ASSERT_TRUE(CopyFileA((fixtures + publicFixture).c_str(), publicRing.c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((fixtures + secretFixture).c_str(), secretRing.c_str(), FALSE));
        SetWriteTime(publicRing, age);
        SetWriteTime(secretRing, age);
    }

    // The one key matching `text`, with every property.
    TKeyPropsRec KeyOf(const std::string& text, uint32_t selection = 0x3FFFFFDF)
    {
        std::unique_ptr<TKeyPropsList> list;
        EXPECT_EQ(FindKeys(text, list, selection, 0, 2), 1) << text;
        TKeyPropsRec record;
        if (list && list->Count() == 1)
            list->GetRecord(0, record);
        return record;
    }

    std::string folder, publicRing, secretRing;
};

TEST_F(KeyRingsStandIn, RSAKeyWithEncryptionSubKey)
{
    const TKeyPropsRec ann = KeyOf("ann@example.org");
    EXPECT_EQ(ann.KeyID.size(), 10u);
    EXPECT_EQ(ann.KeyID.substr(0, 2), "0x");
    EXPECT_EQ(ann.UserID, "Ann Lee <ann@example.org>");
    EXPECT_EQ(ann.Fingerprint.size(), 50u) << ann.Fingerprint;
    EXPECT_EQ(ann.Fingerprint.substr(24, 2), "  ") << ann.Fingerprint;
    EXPECT_EQ(ann.KeySize, "2048/2048 bits");
    EXPECT_EQ(ann.Algorithm, 1);
    EXPECT_EQ(ann.Expires, 0u);
    EXPECT_EQ(ann.ExpiresText, "");
    EXPECT_NE(ann.Created, 0u);
    EXPECT_FALSE(ann.CreatedText.empty());
    EXPECT_TRUE(ann.CanEncrypt);
    EXPECT_TRUE(ann.CanSign);
    EXPECT_TRUE(ann.Secret);
    EXPECT_FALSE(ann.LegacyKey);
    EXPECT_TRUE(ann.HasSubKey);
    EXPECT_FALSE(ann.Revoked);
    EXPECT_FALSE(ann.Expired);
    EXPECT_FALSE(ann.Corrupt);
    ASSERT_TRUE(ann.UserIDs);
    ASSERT_EQ(ann.UserIDs->Count(), 2);
    std::vector<std::string> names { ann.UserIDs->Get(0), ann.UserIDs->Get(1) };
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "Ann Lee <ann@example.org>", "Ann at work <ann@work.example>" }));
}

TEST_F(KeyRingsStandIn, DSAWithElGamalExpiryAndRevocation)
{
    const TKeyPropsRec bob = KeyOf("bob@example.net");
    EXPECT_EQ(bob.Algorithm, 18);
    EXPECT_FALSE(bob.LegacyKey);
    EXPECT_TRUE(bob.HasSubKey);
    EXPECT_EQ(bob.KeySize, "2048/2048 bits");
    EXPECT_GT(bob.Expires, bob.Created);
    EXPECT_FALSE(bob.ExpiresText.empty());
    EXPECT_FALSE(bob.Expired);

    const TKeyPropsRec carol = KeyOf("carol@");
    EXPECT_TRUE(carol.Expired);
    EXPECT_EQ(carol.Expires, carol.Created + 86400);
    EXPECT_FALSE(carol.Revoked);

    const TKeyPropsRec dave = KeyOf("Dave Gone");
    EXPECT_TRUE(dave.Revoked);
    EXPECT_FALSE(dave.Expired);
}

TEST_F(KeyRingsStandIn, EachSelectionBitAlone)
{
    const struct {
        uint32_t bit;
        bool (*filled)(const TKeyPropsRec&);
    } cases[] = {
        { kKeyPropKeyID, [](const TKeyPropsRec& r) { return !r.KeyID.empty() && r.UserID.empty(); } },
        { kKeyPropUserID, [](const TKeyPropsRec& r) { return !r.UserID.empty() && r.KeyID.empty(); } },
        { kKeyPropFingerprint, [](const TKeyPropsRec& r) { return !r.Fingerprint.empty() && r.Created == 0; } },
        { kKeyPropCreated, [](const TKeyPropsRec& r) { return r.Created != 0 && r.CreatedText.empty(); } },
        { kKeyPropKeySize, [](const TKeyPropsRec& r) { return !r.KeySize.empty() && r.Algorithm == 0; } },
        { kKeyPropAlgorithm, [](const TKeyPropsRec& r) { return r.Algorithm == 1 && r.KeySize.empty(); } },
        { kKeyPropCanEncrypt, [](const TKeyPropsRec& r) { return r.CanEncrypt && !r.CanSign; } },
        { kKeyPropCanSign, [](const TKeyPropsRec& r) { return r.CanSign && !r.CanEncrypt; } },
        { kKeyPropSecret, [](const TKeyPropsRec& r) { return r.Secret && !r.HasSubKey; } },
        { kKeyPropHasSubKey, [](const TKeyPropsRec& r) { return r.HasSubKey && !r.Secret; } },
        { kKeyPropUserIDs, [](const TKeyPropsRec& r) { return r.UserIDs && r.UserIDs->Count() == 2 && r.UserID.empty(); } },
        { kKeyPropHashAlg, [](const TKeyPropsRec& r) { return r.HashAlg != 0 && r.Trust == 0; } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bit);
        EXPECT_TRUE(c.filled(KeyOf("ann@example.org", c.bit)));
    }
}

TEST_F(KeyRingsStandIn, QueriesByKeyIDAddressAndPartialName)
{
    const std::string shortID = KeyOf("bob@example.net", kKeyPropKeyID).KeyID;
    std::unique_ptr<TKeyPropsList> list;
    ASSERT_EQ(FindKeys(shortID, list, kKeyPropUserID, 0, 2), 1);
    EXPECT_EQ(list->Record(0).UserID, "Bob Stone <bob@example.net>");
    const std::string fullID = (*list)[0];
    EXPECT_EQ(fullID.size(), 18u);
    list.reset();
    EXPECT_EQ(FindKeys(fullID, list, kKeyPropUserID, 0, 2), 1);
    list.reset();
    EXPECT_EQ(FindKeys("STONE", list, kKeyPropUserID, 0, 2), 2);
    EXPECT_EQ(list->Record(0).UserID, "Bob Stone <bob@example.net>"); // user-id order
    EXPECT_EQ(list->Record(1).UserID, "Carol Stone <carol@example.com>");
    list.reset();
    EXPECT_EQ(FindKeys("", list, 0, 0, 0), 4);
    EXPECT_EQ(FindKeys("", list, 0, kKeyFilterCountUserIDs, 0), 6);
    EXPECT_EQ(FindKeys("", list, 0, kKeyFilterDSA, 0), 1);
    EXPECT_EQ(FindKeys("nobody@example.org", list, 0, 0, 0), kNoKeyMatches);
    // Capability filters combined with another filter: the expired and the revoked key drop out.
    EXPECT_EQ(FindKeys("", list, 0, kKeyFilterCanEncrypt, 0), 2);
    EXPECT_EQ(FindKeys("", list, 0, kKeyFilterCanEncrypt | kKeyFilterDSA, 0), 1);
    EXPECT_EQ(FindKeys("", list, 0, kKeyFilterCanSign, 0), 2);
    list.reset();
    ASSERT_EQ(FindKeys("", list, kKeyPropKeyID | kKeyPropUserID | kKeyPropUserIDs | kKeyPropCanEncrypt,
                  kKeyFilterCanEncrypt, 0), 2);
    for (int i = 0; i < list->Count(); ++i)
        EXPECT_TRUE(list->Record(i).CanEncrypt) << (*list)[i];
}

TEST_F(KeyRingsStandIn, NonASCIIUserIDsInTheANSICodePage)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the test text is in code page 1252";
    std::unique_ptr<TKeyPropsList> list;
    ASSERT_EQ(FindKeys("J\xF6rg", list, kKeyPropUserIDs, 0, 2), 1);
    const TUserIDs& ids = *list->Record(0).UserIDs;
    ASSERT_EQ(ids.Count(), 2);
    EXPECT_TRUE(ids.IndexOf("J\xF6rg Stone <joerg@example.net>") >= 0) << ids.Text();
}

TEST_F(KeyRingsStandIn, NestedOpeningsKeepTheStoreUntilTheLastClose)
{
    PGPContextRef c1, c2;
    PGPKeySetRef s1, s2;
    ASSERT_EQ(KeyRings().Open(&c1, &s1), 0);
    ASSERT_EQ(KeyRings().Open(&c2, &s2), 0);
    EXPECT_EQ(c1, c2);
    KeyRings().Close();

    std::unique_ptr<TKeyPropsList> list;
    EXPECT_EQ(FindKeys("dave@", list, kKeyPropKeyID, 0, 2), 1);
    // Another program removes Dave's key from both files: the opening that holds the store keeps
    // seeing it, the next first opening does not.
    Install("pubring-nodave.pkr", "secring-nodave.skr", 10);
    list.reset();
    EXPECT_EQ(FindKeys("dave@", list, kKeyPropKeyID, 0, 2), 1);
    EXPECT_EQ(KeyRings().Context(), c1);
    EXPECT_EQ(KeyRings().OpenCount(), 1);
    KeyRings().Close();
    list.reset();
    EXPECT_EQ(FindKeys("dave@", list, kKeyPropKeyID, 0, 2), kNoKeyMatches);
}

TEST_F(KeyRingsStandIn, PassphraseChangeAndDeletionReachTheFiles)
{
    std::unique_ptr<TKeyPropsList> list;
    ASSERT_EQ(FindKeys("ann@example.org", list, kKeyPropKeyID, 0, 2), 1);
    const std::string id = (*list)[0];
    EXPECT_EQ(ChangeKeyPassphrase(id, "wrong", "new-pass"), kPGPError_BadPassphrase);
    EXPECT_EQ(ChangeKeyPassphrase(id, "ann-pass", "new-pass"), 0);
    // Each query opens the files again: only the new passphrase works now.
    EXPECT_EQ(ChangeKeyPassphrase(id, "ann-pass", "other"), kPGPError_BadPassphrase);
    EXPECT_EQ(ChangeKeyPassphrase(id, "new-pass", "ann-pass"), 0);

    EXPECT_EQ(DeleteKeysByText("carol@example.com"), 0);
    list.reset();
    EXPECT_EQ(FindKeys("carol@", list, kKeyPropKeyID, 0, 2), kNoKeyMatches);
    EXPECT_EQ(FindKeys("", list, 0, 0, 0), 3);
}

TEST_F(KeyRingsStandIn, FailedWriteIsReportedAndFilesKept)
{
    SetEnvironmentVariableA("PGPSTANDIN_FAULTS", "write");
    const PGPError status = DeleteKeysByText("carol@example.com");
    SetEnvironmentVariableA("PGPSTANDIN_FAULTS", nullptr);
    EXPECT_LT(status, 0);
    std::unique_ptr<TKeyPropsList> list;
    EXPECT_EQ(FindKeys("carol@", list, kKeyPropKeyID, 0, 2), 1);
}

TEST_F(KeyRingsStandIn, SignatureReaders)
{
    PGPContextRef context;
    PGPKeySetRef keySet;
    ASSERT_EQ(KeyRings().Open(&context, &keySet), 0);
    std::string keyID;
    ASSERT_EQ(FindFirstKeyID(context, keySet, "ann@work.example", keyID), 1);
    PGPKeyDBObjRef key = 0;
    ASSERT_EQ(FindKeyByKeyIDText(keySet, keyID, &key), 0);
    EXPECT_EQ(KeyIDText(key), keyID);
    EXPECT_FALSE(IsLegacyKey(key));
    EXPECT_EQ(GetKeyAlgorithm(key), 1);

    PGPKeySetRef single = 0;
    PGPKeyListRef list = 0;
    PGPKeyIterRef iter = 0;
    ASSERT_EQ(NewSingleKeyIter(key, &single, &list, &iter), 0);
    std::vector<std::pair<std::string, std::string>> seen; // user id and address read through each self-signature
    PGPKeyDBObjRef userID = 0, signature = 0;
    while (SDKProcs.PGPKeyIterNextKeyDBObj(iter, kPGPIter_UserID, &userID) == 0)
        while (SDKProcs.PGPKeyIterNextKeyDBObj(iter, kPGPIter_Signature, &signature) == 0) {
            seen.emplace_back(GetSigUserID(signature), GetCertUserEmail(signature));
            EXPECT_TRUE(IsSigValid(signature));
            EXPECT_FALSE(IsSelfSignedCert(signature)); // no X.509 certificate
        }
    SDKProcs.PGPFreeKeyIter(iter);
    SDKProcs.PGPFreeKeySet(single);
    KeyRings().Close();
    std::sort(seen.begin(), seen.end());
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>> {
                        { "Ann Lee <ann@example.org>", "ann@example.org" },
                        { "Ann at work <ann@work.example>", "ann@work.example" } }));
}

TEST_F(KeyRingsStandIn, RecipientGroupsWithFoundAndMissingKeys)
{
    std::unique_ptr<TKeyPropsList> list;
    ASSERT_EQ(FindKeys("ann@example.org, bob@example.net", list, kKeyPropUserID, 0, 2), 2);
    const std::string ann = (*list)[0], bob = (*list)[1];
    KeyRings().GroupsFile = folder + "PGPgroup.pgr";
    HANDLE file = CreateFileA(KeyRings().GroupsFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::string text = "PGPSTANDIN-GROUPS 1\r\nG\tteam\tThe team\r\nK\t" + ann + "\t1\r\nK\t" + bob
        + "\t17\r\nG\tgone\t\r\nK\t0x7777777777777777\t1\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);

    list.reset();
    ASSERT_EQ(FindKeys("", list, kKeyPropKeyID | kKeyPropGroups, 0, 2), 4);
    ASSERT_EQ(list->Groups().Count(), 2);
    EXPECT_EQ(list->Groups()[0], "The team <team>\t" + ann + "," + bob);
    EXPECT_EQ(list->Groups()[1], "<gone>\t");
    DeleteFileA(KeyRings().GroupsFile.c_str());
}

} // namespace
