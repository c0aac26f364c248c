// The key readers, the shared key store and the key queries against an in-memory SDK: each
// selection bit alone, user ids and flags, text searches, filters, order, reference counting,
// reopen when the ring files change, the SDK restart, passphrase changes and groups. Every test
// ends with the store closed and no SDK object left alive.
#include "engine/KeyFuncs.h"
#include "KeyFakeSdk.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <set>

namespace {

using fake::S;

constexpr uint32_t kCreated = 1600000000;

std::string Fingerprint20()
{
    std::string bytes;
    for (int i = 0; i < 20; ++i)
        bytes += static_cast<char>(0x10 + i);
    return bytes;
}

std::vector<fake::Key> SampleKeys()
{
    fake::Key ann;
    ann.id = 0x1111AAAA2222BBBBull;
    ann.algorithm = 1;
    ann.bits = 3072;
    ann.hash = 8;
    ann.trust = 6;
    ann.validity = 3;
    ann.created = kCreated;
    ann.fingerprint = Fingerprint20();
    ann.flags = { { 100, true }, { 101, true }, { 104, true }, { 108, true }, { 109, true }, { 110, true }, { 111, true } };
    ann.subKeys = { { 0x51, 1024, true, false }, { 0x52, 2048, false, true }, { 0x53, 4096 } };
    ann.userIDs = { { "Ann Lee <ann@example.org>", 3 }, { "photo", 0, true }, { "Ann at work <ann@work.example>", 2 } };

    fake::Key bob;
    bob.id = 0x3333CCCC4444DDDDull;
    bob.algorithm = 17;
    bob.bits = 1024;
    bob.created = kCreated;
    bob.expires = kCreated + 86400;
    bob.flags = { { 102, true }, { 104, true }, { 105, true }, { 111, true } };
    bob.subKeys = { { 0x61, 2048 } };
    bob.userIDs = { { "Bob Stone <bob@example.net>", 1 } };
    bob.revokers = { 0x1111AAAA2222BBBBull };
    bob.adks = { { 0x1111AAAA2222BBBBull, 0 }, { 0x5555EEEE6666FFFFull, 0x80 } };

    fake::Key carol;
    carol.id = 0x5555EEEE6666FFFFull;
    carol.algorithm = 1;
    carol.version = 3;
    carol.bits = 1024;
    carol.created = kCreated;
    carol.expires = kCreated; // never expires
    carol.flags = { { 103, true } };
    carol.userIDs = { { "Carol Stone <carol@example.com>", 0 } };
    return { ann, bob, carol };
}

std::string TempFolder()
{
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    std::string folder = std::string(path) + "zavek-keyfuncs-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// Sets a file's write time `secondsFromNow` away from now (creating the file when needed).
void TouchFile(const std::string& path, int secondsFromNow)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
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

class KeyFuncsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::Install(4);
        S().disk = SampleKeys();
        folder = TempFolder();
        publicRing = folder + "pubring.pkr";
        secretRing = folder + "secring.skr";
        TouchFile(publicRing, -3600);
        TouchFile(secretRing, -3600);
        ASSERT_EQ(KeyRings().SetRingFiles(publicRing, secretRing), 0);
        KeyRings().WatchRingFiles = true;
        KeyRings().GroupsFile = folder + "PGPgroup.pgr";
    }
    void TearDown() override
    {
        EXPECT_EQ(KeyRings().OpenCount(), 0);
        EXPECT_TRUE(S().live.empty()) << S().live.size() << " SDK objects left alive";
        EXPECT_TRUE(S().doubleFrees.empty()) << S().doubleFrees.front();
    }

    // The list of all keys by user id, with `selection`.
    std::unique_ptr<TKeyPropsList> All(uint32_t selection, uint32_t filter = 0, int32_t order = 2)
    {
        std::unique_ptr<TKeyPropsList> list;
        EXPECT_EQ(FindKeys("", list, selection, filter, order), 3);
        return list;
    }

    std::string folder, publicRing, secretRing;
};

// The names of the fields that differ from a zeroed record.
std::set<std::string> FilledFields(const TKeyPropsRec& r)
{
    std::set<std::string> names;
    auto note = [&](const char* name, bool filled) {
        if (filled)
            names.insert(name);
    };
    note("KeyID", !r.KeyID.empty());
    note("UserID", !r.UserID.empty());
    note("Fingerprint", !r.Fingerprint.empty());
    note("CreatedText", !r.CreatedText.empty());
    note("ExpiresText", !r.ExpiresText.empty());
    note("KeySize", !r.KeySize.empty());
    note("CertState", r.CertState != 0);
    note("Algorithm", r.Algorithm != 0);
    note("HashAlg", r.HashAlg != 0);
    note("Trust", r.Trust != 0);
    note("Validity", r.Validity != 0);
    note("Created", r.Created != 0);
    note("Expires", r.Expires != 0);
    note("Corrupt", r.Corrupt);
    note("Secret", r.Secret);
    note("Axiomatic", r.Axiomatic);
    note("Revoked", r.Revoked);
    note("Disabled", r.Disabled);
    note("Expired", r.Expired);
    note("CanEncrypt", r.CanEncrypt);
    note("CanDecrypt", r.CanDecrypt);
    note("CanSign", r.CanSign);
    note("CanVerify", r.CanVerify);
    note("HasRevokers", r.HasRevokers || (r.Revokers && r.Revokers->Count()));
    note("ADKState", r.ADKState != 0 || (r.ADKs && r.ADKs->Count()));
    note("HasSubKey", r.HasSubKey);
    note("LegacyKey", r.LegacyKey);
    note("CertOnly", r.CertOnly);
    note("UserIDs", r.UserIDs && r.UserIDs->Count());
    return names;
}

TEST_F(KeyFuncsTest, EachSelectionBitFillsOnlyItsField)
{
    // Lines are in user-id order: Ann, Bob, Carol. Each row names the one key where the field is set.
    const struct {
        uint32_t bit;
        int line;
        const char* field;
    } cases[] = {
        { kKeyPropKeyID, 0, "KeyID" }, { kKeyPropUserID, 0, "UserID" }, { kKeyPropFingerprint, 0, "Fingerprint" },
        { kKeyPropCreatedText, 0, "CreatedText" }, { kKeyPropExpiresText, 1, "ExpiresText" },
        { kKeyPropKeySize, 0, "KeySize" }, { kKeyPropAlgorithm, 0, "Algorithm" }, { kKeyPropHashAlg, 0, "HashAlg" },
        { kKeyPropTrust, 0, "Trust" }, { kKeyPropValidity, 0, "Validity" }, { kKeyPropCreated, 0, "Created" },
        { kKeyPropExpires, 1, "Expires" }, { kKeyPropCorrupt, 2, "Corrupt" }, { kKeyPropSecret, 0, "Secret" },
        { kKeyPropAxiomatic, 0, "Axiomatic" }, { kKeyPropRevoked, 1, "Revoked" }, { kKeyPropDisabled, 2, "Disabled" },
        { kKeyPropExpired, 1, "Expired" }, { kKeyPropCanEncrypt, 0, "CanEncrypt" },
        { kKeyPropCanDecrypt, 0, "CanDecrypt" }, { kKeyPropCanSign, 0, "CanSign" },
        { kKeyPropCanVerify, 0, "CanVerify" }, { kKeyPropRevokers, 1, "HasRevokers" },
        { kKeyPropADKs, 1, "ADKState" }, { kKeyPropHasSubKey, 0, "HasSubKey" }, { kKeyPropLegacyKey, 2, "LegacyKey" },
        { kKeyPropUserIDs, 0, "UserIDs" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        auto list = All(c.bit);
        ASSERT_TRUE(list);
        const std::set<std::string> expected { c.field };
        EXPECT_EQ(FilledFields(list->Record(c.line)), expected);
    }
    // The 0x20 bit and the certificate bit without certificates fill nothing.
    for (uint32_t bit : { 0x20u, static_cast<uint32_t>(kKeyPropCertState) }) {
        auto list = All(bit);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(FilledFields(list->Record(i)).empty()) << bit;
    }
}

TEST_F(KeyFuncsTest, FieldValues)
{
    auto list = All(0x3FFFFFDF);
    ASSERT_EQ(list->Count(), 3);
    EXPECT_EQ((*list)[0], "0x1111AAAA2222BBBB");
    const TKeyPropsRec& ann = list->Record(0);
    EXPECT_EQ(ann.KeyID, "0x2222BBBB");
    EXPECT_EQ(ann.UserID, "Ann Lee <ann@example.org>");
    EXPECT_EQ(ann.Fingerprint, "1011 1213 1415 1617 1819  1A1B 1C1D 1E1F 2021 2223");
    EXPECT_EQ(ann.KeySize, "4096/3072 bits"); // the revoked and the expired sub-key are skipped
    EXPECT_EQ(ann.Algorithm, 1);
    EXPECT_EQ(ann.HashAlg, 5);
    EXPECT_EQ(ann.Created, kCreated);
    EXPECT_EQ(ann.Expires, 0u);
    EXPECT_EQ(ann.ExpiresText, "");
    EXPECT_NE(ann.CreatedText.find(" Sep 2020, "), std::string::npos) << ann.CreatedText;
    EXPECT_TRUE(ann.HasSubKey);
    EXPECT_FALSE(ann.LegacyKey);
    EXPECT_FALSE(ann.Corrupt);
    ASSERT_EQ(ann.UserIDs->Count(), 2); // the photo is no user id
    EXPECT_EQ(ann.UserIDs->Get(1), "Ann at work <ann@work.example>");
    EXPECT_EQ(ann.UserIDs->Validity(0), 3);
    EXPECT_EQ(ann.UserIDs->Validity(1), 2);
    EXPECT_EQ(ann.UserIDs->Kind(0), 0);

    const TKeyPropsRec& bob = list->Record(1);
    EXPECT_EQ(bob.Algorithm, 18); // DSA with a sub-key
    EXPECT_EQ(bob.KeySize, "2048/1024 bits");
    EXPECT_EQ(bob.Expires, kCreated + 86400);
    EXPECT_FALSE(bob.ExpiresText.empty());
    EXPECT_TRUE(bob.Revoked);
    EXPECT_TRUE(bob.Expired);
    EXPECT_EQ(bob.Revokers->Text(), "0x1111AAAA2222BBBB\r\n");
    EXPECT_EQ(bob.ADKState, 2);
    EXPECT_EQ(bob.ADKs->Count(), 2);

    const TKeyPropsRec& carol = list->Record(2);
    EXPECT_EQ(carol.Expires, 0u); // expiry equal to creation: never
    EXPECT_EQ(carol.ExpiresText, "");
    EXPECT_TRUE(carol.LegacyKey);
    EXPECT_FALSE(carol.HasSubKey);
    EXPECT_EQ(carol.KeySize, "1024 bits");
    EXPECT_TRUE(carol.Corrupt);
    EXPECT_TRUE(carol.Disabled);
}

TEST_F(KeyFuncsTest, SearchesByKeyIDAddressAndName)
{
    const struct {
        const char* text;
        int count; // negative: status
        const char* first;
    } cases[] = {
        { "0x2222BBBB", 1, "0x1111AAAA2222BBBB" },
        { "0x3333cccc4444dddd", 1, "0x3333CCCC4444DDDD" },
        { "bob@example.net", 1, "0x3333CCCC4444DDDD" },
        { "stone", 2, "0x3333CCCC4444DDDD" },
        { "ANN@WORK", 1, "0x1111AAAA2222BBBB" },
        // Three items, each must match some key; "Stone" also matches Carol.
        { "Bob Stone <bob@example.net>", 2, "0x3333CCCC4444DDDD" },
        { "Bob Stone <nobody@example.net>", kNoKeyMatches, "" },
        { "ann, carol", 2, "0x1111AAAA2222BBBB" },
        { "\"Ann Lee\"", 1, "0x1111AAAA2222BBBB" },
        { "0x2222BBB", kNoKeyMatches, "" }, // seven digits: a user-id text
        { "0x9999999999999999", kNoKeyMatches, "" },
        { "  ", kNoKeyMatches, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::unique_ptr<TKeyPropsList> list;
        EXPECT_EQ(FindKeys(c.text, list, kKeyPropKeyID, 0, 2), c.count);
        if (c.count > 0) {
            EXPECT_EQ((*list)[0], c.first);
        }
        EXPECT_EQ(FindKeys(c.text, list, 0, 0, 2), c.count);
    }
    PGPContextRef context;
    PGPKeySetRef keySet;
    ASSERT_EQ(KeyRings().Open(&context, &keySet), 0);
    std::string first;
    EXPECT_EQ(FindFirstKeyID(context, keySet, "example.com", first), 1);
    EXPECT_EQ(first, "0x5555EEEE6666FFFF");
    PGPKeyDBObjRef key = 0;
    EXPECT_EQ(FindKeyByKeyIDText(keySet, "0X5555EEEE6666FFFF", &key), 0);
    EXPECT_EQ(KeyIDText(key), "0x5555EEEE6666FFFF");
    KeyRings().Close();
}

TEST_F(KeyFuncsTest, CountsByFilterAndOrder)
{
    const struct {
        uint32_t filter;
        int count;
    } cases[] = {
        { 0, 3 }, { kKeyFilterCanEncrypt, 1 }, { kKeyFilterCanVerify, 2 }, { kKeyFilterEnabled, 2 },
        { kKeyFilterDisabled, 1 }, { kKeyFilterDSA, 1 }, { kKeyFilterRSA, 2 }, { kKeyFilterNewFormat, 2 },
        { kKeyFilterLegacy, 1 }, { kKeyFilterRSA | kKeyFilterLegacy, 2 }, // only the first algorithm bit counts
        { kKeyFilterCanVerify | kKeyFilterRSA, 1 }, { kKeyFilterCertificates, 0 },
        { kKeyFilterCountUserIDs, 4 },
    };
    for (const auto& c : cases) {
        std::unique_ptr<TKeyPropsList> list;
        EXPECT_EQ(FindKeys("", list, 0, c.filter, 0), c.count) << std::hex << c.filter;
        EXPECT_FALSE(list);
    }
    auto forward = All(kKeyPropUserID, 0, 2);
    auto reverse = All(kKeyPropUserID, 0, 3);
    EXPECT_EQ(forward->Record(0).UserID, "Ann Lee <ann@example.org>");
    EXPECT_EQ(reverse->Record(0).UserID, "Carol Stone <carol@example.com>");
    auto reverseHigh = All(kKeyPropUserID, 0, 0x102);
    EXPECT_EQ(reverseHigh->Record(0).UserID, "Carol Stone <carol@example.com>");
}

TEST_F(KeyFuncsTest, NestedOpeningsShareOneContext)
{
    PGPContextRef c1, c2;
    PGPKeySetRef s1, s2;
    ASSERT_EQ(KeyRings().Open(&c1, &s1), 0);
    ASSERT_EQ(KeyRings().Open(&c2, &s2), 0);
    EXPECT_EQ(c1, c2);
    EXPECT_EQ(s1, s2);
    EXPECT_EQ(KeyRings().OpenCount(), 2);
    EXPECT_EQ(S().contextsMade, 1);
    EXPECT_EQ(S().reconnects, 1);
    KeyRings().Close();
    EXPECT_EQ(fake::LiveOf(fake::kContext), 1);
    KeyRings().Close();
    EXPECT_EQ(fake::LiveOf(fake::kContext), 0);
    KeyRings().Close(); // one too many does nothing
    EXPECT_EQ(KeyRings().OpenCount(), 0);
    EXPECT_EQ(S().openedPaths, (std::vector<std::string> { publicRing, secretRing }));
}

TEST_F(KeyFuncsTest, ANestedOpeningNeverFreesWhatTheOuterHolderUses)
{
    PGPContextRef outer, inner;
    PGPKeySetRef outerSet, innerSet;
    ASSERT_EQ(KeyRings().Open(&outer, &outerSet), 0);
    EXPECT_FALSE(KeyRings().RingsChanged());
    // A commit writes the files within the file date's two seconds; the key lookup of an encode
    // opens the rings again at once.
    EXPECT_EQ(KeyRings().Commit(), 0);
    TouchFile(publicRing, 0);
    std::unique_ptr<TKeyPropsList> list;
    EXPECT_EQ(FindKeys("", list, kKeyPropKeyID, 0, 2), 3);
    // Another program changes a ring while the outer holder works.
    S().disk[0].userIDs[0].name = "Ann Changed <ann@example.org>";
    TouchFile(secretRing, 10);
    EXPECT_TRUE(KeyRings().RingsChanged());
    ASSERT_EQ(KeyRings().Open(&inner, &innerSet), 0);
    EXPECT_EQ(inner, outer);
    EXPECT_EQ(innerSet, outerSet);
    // Dropping the changes of a failed passphrase change inside the outer opening keeps it too.
    EXPECT_EQ(KeyRings().Reopen(&inner, &innerSet), 0);
    EXPECT_EQ(inner, outer);
    EXPECT_EQ(KeyRings().OpenCount(), 2);
    EXPECT_EQ(S().opens, 1);
    EXPECT_EQ(fake::LiveOf(fake::kContext), 1);
    KeyRings().Close();
    KeyRings().Close();
    TouchFile(secretRing, -3600);

    // The next first opening reads the files as they are now.
    list.reset();
    EXPECT_EQ(FindKeys("Changed", list, kKeyPropUserID, 0, 2), 1);
    EXPECT_EQ(S().opens, 2);
    EXPECT_EQ(S().contextsMade, 2);
}

TEST_F(KeyFuncsTest, SetRingFiles)
{
    PGPContextRef context;
    PGPKeySetRef keySet;
    ASSERT_EQ(KeyRings().Open(&context, &keySet), 0);
    std::string upper = publicRing;
    for (auto& ch : upper)
        ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    EXPECT_EQ(KeyRings().SetRingFiles(upper, secretRing), 0);
    EXPECT_EQ(KeyRings().SetRingFiles("", secretRing), kKeyRingsNoSDK);
    // The holder keeps its store; the new files are opened by the next first opening.
    const std::string other = folder + "other.pkr";
    EXPECT_EQ(KeyRings().SetRingFiles(other, secretRing), 0);
    EXPECT_EQ(S().opens, 1);
    EXPECT_EQ(KeyRings().Context(), context);
    KeyRings().Close();
    ASSERT_EQ(KeyRings().Open(&context, &keySet), 0);
    EXPECT_EQ(S().opens, 2);
    EXPECT_EQ(S().openedPaths[0], other);
    KeyRings().Close();
    EXPECT_EQ(KeyRings().SetRingFiles(publicRing, secretRing), 0);
}

TEST_F(KeyFuncsTest, ServiceUnreachableRestartsTheSDKOnce)
{
    S().failNextOpen = kPGPError_ServiceUnreachable;
    PGPContextRef context;
    PGPKeySetRef keySet;
    ASSERT_EQ(KeyRings().Open(&context, &keySet), 0);
    EXPECT_EQ(S().cleanups, 1);
    EXPECT_EQ(S().inits, 1);
    EXPECT_EQ(KeyRings().OpenCount(), 1);
    EXPECT_FALSE(KeyRings().Retried());
    EXPECT_NE(context, 0u);
    KeyRings().Close();
}

TEST_F(KeyFuncsTest, SDKThatCannotStartAgainIsNotUsed)
{
    S().failNextOpen = kPGPError_ServiceUnreachable;
    S().failInit = -11990;
    TKeyRings rings;
    ASSERT_EQ(rings.SetRingFiles(publicRing, secretRing), 0);
    PGPContextRef context;
    PGPKeySetRef keySet;
    EXPECT_EQ(rings.Open(&context, &keySet), kKeyRingsNoSDK);
    EXPECT_TRUE(rings.SDKUnusable());
    const int contexts = S().contextsMade;
    EXPECT_EQ(rings.Open(&context, &keySet), kKeyRingsNoSDK);
    EXPECT_EQ(S().inits, 1);
    EXPECT_EQ(S().contextsMade, contexts);
}

TEST_F(KeyFuncsTest, LoaderFailureAnswersWithoutSDKCalls)
{
    SDKLoadError = 1;
    std::unique_ptr<TKeyPropsList> list;
    EXPECT_EQ(FindKeys("", list, kKeyPropKeyID, 0, 2), kKeyRingsNoSDK);
    EXPECT_EQ(S().contextsMade, 0);
    SDKLoadError = 0;
}

TEST_F(KeyFuncsTest, PassphraseChangeIsCommittedOnlyWhenComplete)
{
    EXPECT_EQ(ChangeKeyPassphrase("0x1111AAAA2222BBBB", "wrong", "new"), kPGPError_BadPassphrase);
    EXPECT_EQ(S().flushes, 0);

    S().failSubKeyChange = 1;
    EXPECT_EQ(ChangeKeyPassphrase("0x1111AAAA2222BBBB", "old", "new"), kPGPError_BadPassphrase);
    EXPECT_EQ(S().flushes, 0);
    EXPECT_EQ(S().disk[0].passphrase, "old");
    EXPECT_EQ(S().opens, 3); // the half-changed key was dropped by reopening

    S().failSubKeyChange = -1;
    EXPECT_EQ(ChangeKeyPassphrase("0x1111AAAA2222BBBB", "old", "new"), 0);
    EXPECT_EQ(S().flushes, 1);
    EXPECT_EQ(S().notices, 1);
    EXPECT_EQ(S().disk[0].passphrase, "new");
    for (const auto& sub : S().disk[0].subKeys)
        EXPECT_EQ(sub.passphrase, "new");

    // A legacy key has no sub-key passphrases to change.
    EXPECT_EQ(ChangeKeyPassphrase("0x6666FFFF", "old", "new"), 0);
    EXPECT_EQ(S().disk[2].passphrase, "new");
}

TEST_F(KeyFuncsTest, DeleteKeysByTextCommits)
{
    EXPECT_EQ(DeleteKeysByText("carol@"), 0);
    EXPECT_EQ(S().flushes, 1);
    EXPECT_TRUE(S().disk[2].deleted);
    std::unique_ptr<TKeyPropsList> list;
    EXPECT_EQ(FindKeys("", list, 0, 0, 0), 2);
    EXPECT_EQ(DeleteKeysByText("nobody"), 0); // nothing matched: still committed
    EXPECT_EQ(S().flushes, 2);
}

TEST_F(KeyFuncsTest, GroupsAreReadIntoTheListOnFirstFill)
{
    S().groups = {
        { "team", "The team", { 0x1111AAAA2222BBBBull, 0x3333CCCC4444DDDDull } },
        { "gone", "", { 0x7777777777777777ull } },
        { "empty", "nothing", {} },
    };
    auto list = All(kKeyPropKeyID | kKeyPropGroups);
    ASSERT_EQ(list->Groups().Count(), 2);
    EXPECT_EQ(list->Groups()[0], "The team <team>\t0x1111AAAA2222BBBB,0x3333CCCC4444DDDD");
    EXPECT_EQ(list->Groups()[1], "<gone>\t");
}

TEST_F(KeyFuncsTest, KeyHelpers)
{
    PGPContextRef context;
    PGPKeySetRef keySet;
    ASSERT_EQ(KeyRings().Open(&context, &keySet), 0);
    PGPKeyDBObjRef first = 0, same = 0;
    ASSERT_EQ(FirstKeyOfSet(keySet, &first), 0);
    EXPECT_EQ(KeyIDText(first), "0x1111AAAA2222BBBB");
    EXPECT_EQ(FindSameKey(first, keySet, &same), 0);
    EXPECT_EQ(same, first);

    PGPFilterRef others = ExcludeKeyFilter(context, first);
    ASSERT_NE(others, 0u);
    PGPKeySetRef rest = 0;
    uint32_t count = 0;
    ASSERT_EQ(SDKProcs.PGPFilterKeySet(keySet, others, &rest), 0);
    SDKProcs.PGPCountKeys(rest, &count);
    EXPECT_EQ(count, 2u);
    SDKProcs.PGPFreeKeySet(rest);
    SDKProcs.PGPFreeFilter(others);

    PGPKeySetRef certKeys = 0;
    ASSERT_EQ(FilterCertKeys(keySet, true, &certKeys), 0);
    SDKProcs.PGPCountKeys(certKeys, &count);
    EXPECT_EQ(count, 0u);
    SDKProcs.PGPFreeKeySet(certKeys);

    PGPKeyDBObjRef missing = 0;
    EXPECT_EQ(FindKeyByKeyIDText(keySet, "0x0000000000000001", &missing), kPGPError_EndOfIteration);
    EXPECT_EQ(missing, 0u);
    KeyRings().Close();
}

TEST_F(KeyFuncsTest, CertificateStatesOfUserIDs)
{
    fake::Sig selfSigned;
    selfSigned.x509 = true;
    selfSigned.subject = selfSigned.issuer = "CN=Dave Hill,EMAIL=dave@example.org";
    selfSigned.selfCertified = true;
    fake::Sig revoked = selfSigned;
    revoked.revoked = true;
    fake::Sig openPGP;
    fake::Key dave;
    dave.id = 0x7777000077770000ull;
    dave.userIDs = { { "Dave <dave@example.org>", 3 } };
    dave.userIDs[0].sigs = { openPGP, selfSigned, revoked };
    fake::Key eve;
    eve.id = 0x8888000088880000ull;
    eve.userIDs = { { "Eve <eve@example.org>", 0 } };
    eve.userIDs[0].sigs = { revoked };
    S().disk.push_back(dave);
    S().disk.push_back(eve);

    // Eve holds nothing but an invalid certificate and is left out; the others stay.
    for (uint32_t selection : { kKeyPropCertState | kKeyPropUserIDs, static_cast<uint32_t>(kKeyPropCertState) }) {
        SCOPED_TRACE(selection);
        std::unique_ptr<TKeyPropsList> list;
        ASSERT_EQ(FindKeys("", list, selection, 0, 2), 4);
        const int line = list->IndexOf("0x7777000077770000");
        ASSERT_GE(line, 0);
        const TKeyPropsRec& record = list->Record(line);
        EXPECT_EQ(record.CertState, kCertSelfSigned);
        EXPECT_FALSE(record.CertOnly);
        EXPECT_EQ(list->IndexOf("0x8888000088880000"), -1);
        EXPECT_FALSE(list->Record(0).CertOnly); // a key without any signature
        if (!(selection & kKeyPropUserIDs))
            continue;
        const TUserIDs& ids = *record.UserIDs;
        ASSERT_EQ(ids.Count(), 1);
        EXPECT_EQ(ids.Kind(0), kCertInvalid); // the last certificate decides
        EXPECT_EQ(ids.CheckResult(0), kCertSelfSigned - 1);
        EXPECT_EQ(ids.GetCertUserID(0), "Dave <dave@example.org>");
        EXPECT_EQ(ids.GetCertSubject(0), "CN=Dave Hill,EMAIL=dave@example.org");
    }
    std::unique_ptr<TKeyPropsList> list;
    EXPECT_EQ(FindKeys("eve@", list, kKeyPropUserIDs, 0, 2), 1); // without certificate bit Eve is listed
}

} // namespace
