// The stand-in's key database read side through its C entry points: GnuPG-made key files opened as
// a public and a secret file, keys and their parts iterated, properties, filters, orders, look-ups,
// and damaged or missing files.
#include "standins/pgpsdk/PassphraseCache.h"
#include "standins/pgpsdk/StandInExports.h"
#include "standins/pgpsdk/openpgp/Packets.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#endif

#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace {

namespace fs = std::filesystem;

std::string FixturePath(const char* name) { return std::string(ZAVEK_TEST_DATA) + "/pgpsdk/" + name; }

std::string ReadFixture(const char* name)
{
    std::ifstream in(FixturePath(name), std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

class KeyDBTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(PGPsdkInit(0), kPGPError_NoErr);
        ASSERT_EQ(PGPNewContext(kPGPContextVersion, &context), kPGPError_NoErr);
        baseline = StandInLiveHandleCount();
        scratch = fs::temp_directory_path() / ("zavek-keydb-" + std::to_string(++counter));
        fs::create_directories(scratch);
    }
    void TearDown() override
    {
        if (db) {
            EXPECT_EQ(PGPFreeKeyDB(db), kPGPError_NoErr);
        }
        EXPECT_EQ(StandInLiveHandleCount(), baseline);
        PGPFreeContext(context);
        PGPsdkCleanup();
        fs::remove_all(scratch);
    }

    PGPError Open(const std::string& publicPath, const std::string& secretPath)
    {
        PGPFileSpecRef pub = 0, sec = 0;
        EXPECT_EQ(PGPNewFileSpecFromFullPath(context, publicPath.c_str(), &pub), kPGPError_NoErr);
        EXPECT_EQ(PGPNewFileSpecFromFullPath(context, secretPath.c_str(), &sec), kPGPError_NoErr);
        PGPError status = PGPOpenKeyDBFile(context, kPGPOpenKeyDB_Mutable, pub, sec, &db);
        PGPFreeFileSpec(pub);
        PGPFreeFileSpec(sec);
        return status;
    }
    void OpenFixtures() { ASSERT_EQ(Open(FixturePath("bob-public.gpg"), FixturePath("alice-secret.asc")), 0); }

    std::string Scratch(const char* name, const std::string& content)
    {
        std::string path = (scratch / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    // The keys of a set in the order of a key list, as their key-id texts.
    std::vector<std::string> KeyIDs(PGPKeySetRef set, int32_t order = kPGPOrder_Any, PGPBoolean reverse = 0)
    {
        std::vector<std::string> ids;
        PGPKeyListRef list = 0;
        PGPKeyIterRef iter = 0;
        EXPECT_EQ(PGPOrderKeySet(set, order, reverse, &list), kPGPError_NoErr);
        EXPECT_EQ(PGPNewKeyIter(list, &iter), kPGPError_NoErr);
        for (PGPKeyDBObjRef key; PGPKeyIterNextKeyDBObj(iter, kPGPIter_Key, &key) == kPGPError_NoErr;) {
            PGPKeyID id;
            char text[20];
            EXPECT_EQ(PGPGetKeyID(key, &id), kPGPError_NoErr);
            EXPECT_EQ(PGPGetKeyIDString(&id, kPGPKeyIDString_Full, text), kPGPError_NoErr);
            ids.push_back(text);
        }
        PGPFreeKeyIter(iter);
        PGPFreeKeyList(list);
        return ids;
    }

    PGPKeyDBObjRef Key(const char* keyID)
    {
        PGPKeyID id;
        PGPKeyDBObjRef key = 0;
        EXPECT_EQ(PGPNewKeyIDFromString(keyID, 0, &id), kPGPError_NoErr);
        EXPECT_EQ(PGPFindKeyByKeyID(db, &id, &key), kPGPError_NoErr);
        return key;
    }

    static inline int counter = 0;
    PGPContextRef context = 0;
    PGPKeyDBRef db = 0;
    uint32_t baseline = 0;
    fs::path scratch;
};

void SetFaults(const char* faults)
{
#if defined(_WIN32)
    SetEnvironmentVariableA("PGPSTANDIN_FAULTS", faults);
#else
    if (faults)
        setenv("PGPSTANDIN_FAULTS", faults, 1);
    else
        unsetenv("PGPSTANDIN_FAULTS");
#endif
}

const char kAlice[] = "0xEAB9540747794AFA";
const char kBob[] = "0xD6B0DD7E9DC84292";

TEST_F(KeyDBTest, KeysAndTheirPropertiesAsGnuPGMadeThem)
{
    OpenFixtures();
    PGPKeySetRef root = PGPPeekKeyDBRootKeySet(db);
    EXPECT_EQ(PGPPeekKeySetKeyDB(root), db);
    uint32_t count = 0;
    ASSERT_EQ(PGPCountKeys(root, &count), kPGPError_NoErr);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(KeyIDs(root), (std::vector<std::string> { kBob, kAlice }));

    const struct {
        const char* keyID;
        int32_t algorithm, bits, validity;
        PGPTime created;
        bool secret, canEncrypt, canDecrypt, canSign;
        const char* userID;
        const char* email;
    } keys[] = {
        { kAlice, 1, 2048, 3, 1796764071, true, true, true, true, "Alice Example <alice@example.org>",
          "alice@example.org" },
        { kBob, 17, 2048, 0, 1796764074, false, true, false, false, "Bob Legacy <bob@example.org>", "bob@example.org" },
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.keyID);
        PGPKeyDBObjRef key = Key(k.keyID);
        int32_t number;
        ASSERT_EQ(PGPGetKeyDBObjNumericProperty(key, kPGPKeyProperty_AlgorithmID, &number), kPGPError_NoErr);
        EXPECT_EQ(number, k.algorithm);
        ASSERT_EQ(PGPGetKeyDBObjNumericProperty(key, kPGPKeyProperty_Bits, &number), kPGPError_NoErr);
        EXPECT_EQ(number, k.bits);
        ASSERT_EQ(PGPGetKeyDBObjNumericProperty(key, kPGPKeyProperty_Validity, &number), kPGPError_NoErr);
        EXPECT_EQ(number, k.validity);
        ASSERT_EQ(PGPGetKeyDBObjNumericProperty(key, kPGPKeyProperty_Version, &number), kPGPError_NoErr);
        EXPECT_EQ(number, 4);
        PGPTime time;
        ASSERT_EQ(PGPGetKeyDBObjTimeProperty(key, kPGPKeyProperty_Creation, &time), kPGPError_NoErr);
        EXPECT_EQ(time, k.created);
        ASSERT_EQ(PGPGetKeyDBObjTimeProperty(key, kPGPKeyProperty_Expiration, &time), kPGPError_NoErr);
        EXPECT_EQ(time, 0u);
        const struct {
            int32_t property;
            bool expected;
        } booleans[] = { { kPGPKeyProperty_IsSecret, k.secret }, { kPGPKeyProperty_CanEncrypt, k.canEncrypt },
                         { kPGPKeyProperty_CanDecrypt, k.canDecrypt }, { kPGPKeyProperty_CanSign, k.canSign },
                         { kPGPKeyProperty_CanVerify, true }, { kPGPKeyProperty_IsRevoked, false },
                         { kPGPKeyProperty_IsExpired, false }, { kPGPKeyProperty_IsNotCorrupt, true } };
        for (const auto& b : booleans) {
            PGPBoolean value = 2;
            ASSERT_EQ(PGPGetKeyDBObjBooleanProperty(key, b.property, &value), kPGPError_NoErr) << b.property;
            EXPECT_EQ(value, b.expected ? 1 : 0) << b.property;
        }
        char name[128];
        PGPSize length = 0;
        ASSERT_EQ(PGPGetPrimaryUserIDName(key, name, sizeof name, &length), kPGPError_NoErr);
        EXPECT_STREQ(name, k.userID);
        EXPECT_EQ(PGPGetPrimaryUserIDName(key, name, 5, &length), kPGPError_BufferTooSmall);
        EXPECT_EQ(length, std::strlen(k.userID));
        uint8_t fingerprint[20];
        ASSERT_EQ(PGPGetKeyDBObjDataProperty(key, kPGPKeyProperty_Fingerprint, fingerprint, 10, &length),
                  kPGPError_BufferTooSmall);
        EXPECT_EQ(length, 20u);

        // The key's parts through an iterator over a one-key set.
        PGPKeySetRef one = 0;
        PGPKeyIterRef iter = 0;
        ASSERT_EQ(PGPNewOneKeySet(key, &one), kPGPError_NoErr);
        ASSERT_EQ(PGPNewKeyIterFromKeySet(one, &iter), kPGPError_NoErr);
        PGPKeyDBObjRef obj = 0;
        EXPECT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_UserID, &obj), kPGPError_EndOfIteration);
        ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_Key, &obj), kPGPError_NoErr);
        EXPECT_EQ(obj, key);
        ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_SubKey, &obj), kPGPError_NoErr);
        EXPECT_EQ(PGPPeekKeyDBObjKey(obj), key);
        ASSERT_EQ(PGPGetKeyDBObjNumericProperty(obj, kPGPSubKeyProperty_Bits, &number), kPGPError_NoErr);
        EXPECT_EQ(number, 2048);
        EXPECT_EQ(PGPGetKeyDBObjNumericProperty(obj, kPGPKeyProperty_Bits, &number), kPGPError_WrongObjectKind);
        EXPECT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_SubKey, &obj), kPGPError_EndOfIteration);
        ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_UserID, &obj), kPGPError_NoErr);
        ASSERT_EQ(PGPGetKeyDBObjDataProperty(obj, kPGPUserIDProperty_EmailAddress, name, sizeof name, &length),
                  kPGPError_NoErr);
        EXPECT_EQ(std::string(name, length), k.email);
        ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_Signature, &obj), kPGPError_NoErr);
        PGPKeyDBObjRef certifier = 0;
        ASSERT_EQ(PGPGetSigCertifierKey(obj, db, &certifier), kPGPError_NoErr);
        EXPECT_EQ(certifier, key);
        PGPBoolean verified = 0;
        ASSERT_EQ(PGPGetKeyDBObjBooleanProperty(obj, kPGPSigProperty_IsVerified, &verified), kPGPError_NoErr);
        EXPECT_EQ(verified, 1);
        ASSERT_EQ(PGPGetKeyDBObjTimeProperty(obj, kPGPSigProperty_Creation, &time), kPGPError_NoErr);
        EXPECT_EQ(time, k.created);
        EXPECT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_Signature, &obj), kPGPError_EndOfIteration);
        EXPECT_EQ(PGPKeyIterRewind(iter, kPGPIter_Signature), kPGPError_NoErr);
        EXPECT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_Signature, &obj), kPGPError_NoErr);
        EXPECT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_Key, &obj), kPGPError_EndOfIteration);
        EXPECT_EQ(PGPKeyIterNextKeyDBObj(iter, 3, &obj), kPGPError_BadParams);
        PGPFreeKeyIter(iter);
        PGPFreeKeySet(one);
    }
}

TEST_F(KeyDBTest, FiltersCombineAndMatch)
{
    OpenFixtures();
    PGPKeySetRef root = PGPPeekKeyDBRootKeySet(db);
    PGPKeyID bobID, shortID;
    ASSERT_EQ(PGPNewKeyIDFromString(kBob, 17, &bobID), kPGPError_NoErr);
    ASSERT_EQ(PGPNewKeyIDFromString("0x9DC84292", 17, &shortID), kPGPError_NoErr);
    PGPKeyID bobSub;
    ASSERT_EQ(PGPNewKeyIDFromString("0xEBAE850406C559EB", 16, &bobSub), kPGPError_NoErr);
    auto filtered = [&](PGPFilterRef filter) {
        PGPKeySetRef out = 0;
        EXPECT_EQ(PGPFilterKeySet(root, filter, &out), kPGPError_NoErr);
        auto ids = KeyIDs(out);
        PGPFreeKeySet(out);
        return ids;
    };
    PGPFilterRef email, secret, algorithm, byID, byShortID, bySubID, notSecret, both, either, name;
    ASSERT_EQ(PGPNewKeyDBObjDataFilter(context, kPGPUserIDProperty_EmailAddress, "ALICE@", 6, kPGPMatch_SubString,
                                       &email),
              kPGPError_NoErr);
    ASSERT_EQ(PGPNewKeyDBObjDataFilter(context, kPGPUserIDProperty_CommonName, "bob legacy", 11, kPGPMatch_Equal, &name),
              kPGPError_NoErr);
    ASSERT_EQ(PGPNewKeyDBObjBooleanFilter(context, kPGPKeyProperty_IsSecret, 1, &secret), kPGPError_NoErr);
    ASSERT_EQ(PGPNewKeyDBObjNumericFilter(context, kPGPKeyProperty_AlgorithmID, 17, kPGPMatch_Equal, &algorithm),
              kPGPError_NoErr);
    ASSERT_EQ(PGPNewKeyDBObjDataFilter(context, kPGPKeyProperty_KeyID, &bobID, sizeof bobID, 1, &byID), 0);
    ASSERT_EQ(PGPNewKeyDBObjDataFilter(context, kPGPKeyProperty_KeyID, &shortID, sizeof shortID, 1, &byShortID), 0);
    ASSERT_EQ(PGPNewKeyDBObjDataFilter(context, kPGPSubKeyProperty_KeyID, &bobSub, sizeof bobSub, 1, &bySubID), 0);
    ASSERT_EQ(PGPNegateFilter(secret, &notSecret), kPGPError_NoErr);
    ASSERT_EQ(PGPIntersectFilters(algorithm, notSecret, &both), kPGPError_NoErr);
    ASSERT_EQ(PGPUnionFilters(email, algorithm, &either), kPGPError_NoErr);
    // Combined filters keep their parts alive after the parts' handles are freed.
    PGPFreeFilter(notSecret);

    EXPECT_EQ(filtered(email), std::vector<std::string> { kAlice });
    EXPECT_EQ(filtered(name), std::vector<std::string> { kBob });
    EXPECT_EQ(filtered(secret), std::vector<std::string> { kAlice });
    EXPECT_EQ(filtered(algorithm), std::vector<std::string> { kBob });
    EXPECT_EQ(filtered(byID), std::vector<std::string> { kBob });
    EXPECT_EQ(filtered(byShortID), std::vector<std::string> { kBob });
    EXPECT_EQ(filtered(bySubID), std::vector<std::string> { kBob });
    EXPECT_EQ(filtered(both), std::vector<std::string> { kBob });
    EXPECT_EQ(filtered(either).size(), 2u);
    for (PGPFilterRef f : { email, name, secret, algorithm, byID, byShortID, bySubID, both, either })
        EXPECT_EQ(PGPFreeFilter(f), kPGPError_NoErr);

    PGPFilterRef unknown = 0;
    EXPECT_EQ(PGPNewKeyDBObjBooleanFilter(context, 555, 1, &unknown), kPGPError_UnknownProperty);
    EXPECT_EQ(PGPNewKeyDBObjNumericFilter(context, 9999, 1, 1, &unknown), kPGPError_UnknownProperty);
    EXPECT_EQ(unknown, 0u);
}

TEST_F(KeyDBTest, OrdersSetsAndLookups)
{
    OpenFixtures();
    PGPKeySetRef root = PGPPeekKeyDBRootKeySet(db);
    EXPECT_EQ(KeyIDs(root, kPGPOrder_UserID), (std::vector<std::string> { kAlice, kBob }));
    EXPECT_EQ(KeyIDs(root, kPGPOrder_UserID, 1), (std::vector<std::string> { kBob, kAlice }));
    EXPECT_EQ(KeyIDs(root, kPGPOrder_Creation), (std::vector<std::string> { kAlice, kBob }));
    EXPECT_EQ(KeyIDs(root, kPGPOrder_Validity, 1), (std::vector<std::string> { kAlice, kBob }));
    PGPKeyListRef list = 0;
    EXPECT_EQ(PGPOrderKeySet(root, 9, 0, &list), kPGPError_BadParams);

    PGPKeySetRef empty = 0;
    ASSERT_EQ(PGPNewEmptyKeySet(db, &empty), kPGPError_NoErr);
    PGPKeySetRef one = 0;
    ASSERT_EQ(PGPNewOneKeySet(Key(kBob), &one), kPGPError_NoErr);
    ASSERT_EQ(PGPAddKeys(one, empty), kPGPError_NoErr);
    ASSERT_EQ(PGPAddKeys(one, empty), kPGPError_NoErr);
    EXPECT_EQ(KeyIDs(empty), std::vector<std::string> { kBob });
    ASSERT_EQ(PGPIncKeySetRefCount(empty), kPGPError_NoErr);
    EXPECT_EQ(PGPFreeKeySet(empty), kPGPError_NoErr);
    EXPECT_EQ(PGPFreeKeySet(empty), kPGPError_NoErr);
    EXPECT_EQ(PGPFreeKeySet(empty), kPGPError_BadParams);
    EXPECT_EQ(PGPFreeKeySet(root), kPGPError_BadParams);

    // A sub-key id finds its key; an unknown id nothing.
    PGPKeyID id;
    PGPKeyDBObjRef found = 0;
    ASSERT_EQ(PGPNewKeyIDFromString("0x54180C538F185CC9", 1, &id), kPGPError_NoErr);
    ASSERT_EQ(PGPFindKeyByKeyID(db, &id, &found), kPGPError_NoErr);
    EXPECT_EQ(found, Key(kAlice));
    ASSERT_EQ(PGPNewKeyIDFromString("0x0000000000000001", 1, &id), kPGPError_NoErr);
    EXPECT_EQ(PGPFindKeyByKeyID(db, &id, &found), kPGPError_EndOfIteration);

    // Keys added from another database join it.
    PGPKeyDBRef other = 0;
    ASSERT_EQ(PGPNewKeyDB(context, &other), kPGPError_NoErr);
    ASSERT_EQ(PGPAddKeys(one, PGPPeekKeyDBRootKeySet(other)), kPGPError_NoErr);
    EXPECT_EQ(KeyIDs(PGPPeekKeyDBRootKeySet(other)), std::vector<std::string> { kBob });
    EXPECT_EQ(PGPFreeKeyDB(other), kPGPError_NoErr);
    PGPFreeKeySet(one);
}

TEST_F(KeyDBTest, ServiceFaultFailsOneOpenPerInit)
{
    SetFaults("service");
    EXPECT_EQ(Open(FixturePath("bob-public.gpg"), FixturePath("alice-secret.asc")), kPGPError_ServiceUnreachable);
    ASSERT_EQ(Open(FixturePath("bob-public.gpg"), FixturePath("alice-secret.asc")), kPGPError_NoErr);
    PGPFreeKeyDB(db);
    db = 0;
    ASSERT_EQ(PGPsdkInit(0), kPGPError_NoErr);
    EXPECT_EQ(Open(FixturePath("bob-public.gpg"), FixturePath("alice-secret.asc")), kPGPError_ServiceUnreachable);
    EXPECT_EQ(PGPsdkCleanup(), kPGPError_NoErr);
    SetFaults(nullptr);
    ASSERT_EQ(Open(FixturePath("bob-public.gpg"), FixturePath("alice-secret.asc")), kPGPError_NoErr);
}

TEST_F(KeyDBTest, ObjectHandlesDieWithTheirDatabase)
{
    OpenFixtures();
    PGPKeyDBObjRef key = Key(kAlice);
    ASSERT_EQ(PGPFreeKeyDB(db), kPGPError_NoErr);
    db = 0;
    int32_t number;
    EXPECT_EQ(PGPGetKeyDBObjNumericProperty(key, kPGPKeyProperty_Bits, &number), kPGPError_BadParams);
    EXPECT_EQ(PGPFreeKeyDB(db), kPGPError_BadParams);
}

TEST_F(KeyDBTest, MissingDamagedAndTruncatedKeyFiles)
{
    ASSERT_EQ(Open((scratch / "none.pkr").string(), (scratch / "none.skr").string()), kPGPError_NoErr);
    uint32_t count = 9;
    ASSERT_EQ(PGPCountKeys(PGPPeekKeyDBRootKeySet(db), &count), kPGPError_NoErr);
    EXPECT_EQ(count, 0u);
    PGPFreeKeyDB(db);
    db = 0;

    std::string bob = ReadFixture("bob-public.gpg");
    std::string alice = ReadFixture("alice-public.asc");
    std::string flipped = bob;
    flipped[0] = 0x00;
    std::string badArmor = alice;
    badArmor[alice.find("\n\n") + 10] ^= 0x01;
    const struct {
        const char* what;
        std::string content;
    } damaged[] = {
        { "truncated", bob.substr(0, bob.size() / 2) },
        { "not a packet", flipped },
        { "broken armour checksum", badArmor },
        { "key packet cut short", bob.substr(0, 40) },
    };
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.what);
        std::string path = Scratch("damaged.pkr", d.content);
        EXPECT_EQ(Open(path, (scratch / "none.skr").string()), kPGPError_KeyFileCorrupt);
        EXPECT_EQ(db, 0u);
    }
}

TEST_F(KeyDBTest, CommitWritesBothFilesAndAFailedWriteChangesNothing)
{
    std::string pub = Scratch("pubring.pkr", ReadFixture("bob-public.gpg"));
    std::string sec = Scratch("secring.skr", ReadFixture("alice-secret.asc"));
    ASSERT_EQ(Open(pub, sec), kPGPError_NoErr);
    ASSERT_EQ(PGPFlushKeyDB(db), kPGPError_NoErr);
    std::string publicFile;
    {
        std::ifstream written(pub, std::ios::binary);
        publicFile.assign(std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>());
    }
    EXPECT_NE(publicFile.find("Alice Example"), std::string::npos);
    EXPECT_EQ(publicFile.find("-----BEGIN"), std::string::npos);

    PGPKeySetRef bob = 0;
    ASSERT_EQ(PGPNewOneKeySet(Key(kBob), &bob), kPGPError_NoErr);
    ASSERT_EQ(PGPDeleteKeys(bob), kPGPError_NoErr);
    uint32_t count = 0;
    EXPECT_EQ(PGPCountKeys(bob, &count), kPGPError_NoErr);
    EXPECT_EQ(count, 0u);
    PGPFreeKeySet(bob);
    SetFaults("write");
    EXPECT_EQ(PGPFlushKeyDB(db), kPGPError_FileWriteFailed);
    SetFaults(nullptr);
    PGPFreeKeyDB(db);
    db = 0;
    ASSERT_EQ(Open(pub, sec), kPGPError_NoErr);
    EXPECT_EQ(KeyIDs(PGPPeekKeyDBRootKeySet(db)), (std::vector<std::string> { kBob, kAlice }));
    EXPECT_FALSE(fs::exists(pub + ".tmp"));

    ASSERT_EQ(PGPNewOneKeySet(Key(kBob), &bob), kPGPError_NoErr);
    ASSERT_EQ(PGPDeleteKeys(bob), kPGPError_NoErr);
    PGPFreeKeySet(bob);
    ASSERT_EQ(PGPFlushKeyDB(db), kPGPError_NoErr);
    PGPFreeKeyDB(db);
    db = 0;
    ASSERT_EQ(Open(pub, sec), kPGPError_NoErr);
    EXPECT_EQ(KeyIDs(PGPPeekKeyDBRootKeySet(db)), std::vector<std::string> { kAlice });
    PGPBoolean secret = 0;
    ASSERT_EQ(PGPGetKeyDBObjBooleanProperty(Key(kAlice), kPGPKeyProperty_IsSecret, &secret), kPGPError_NoErr);
    EXPECT_EQ(secret, 1);
}

TEST_F(KeyDBTest, ImportAndExportThroughEveryOutputForm)
{
    std::string armored = ReadFixture("alice-public.asc");
    PGPKeyDBRef imported = 0;
    ASSERT_EQ(PGPImport(context, &imported, PGPOInputBuffer(context, armored.data(), armored.size()), kPGPEndOfOptions),
              kPGPError_NoErr);
    db = imported;
    EXPECT_EQ(KeyIDs(PGPPeekKeyDBRootKeySet(db)), std::vector<std::string> { kAlice });

    char small[16];
    PGPSize length = 0;
    EXPECT_EQ(PGPExport(context, PGPOExportKeySet(context, PGPPeekKeyDBRootKeySet(db)),
                        PGPOOutputBuffer(context, small, sizeof small, &length), kPGPEndOfOptions),
              kPGPError_BufferTooSmall);
    EXPECT_GT(length, sizeof small);

    void* buffer = nullptr;
    ASSERT_EQ(PGPExport(context, PGPOExportKeySet(context, PGPPeekKeyDBRootKeySet(db)),
                        PGPOArmorOutput(context, 1), PGPOVersionString(context, "ZAVEK test"),
                        PGPOAllocatedOutputBuffer(context, &buffer, ~0u, &length), kPGPEndOfOptions),
              kPGPError_NoErr);
    std::string text(static_cast<const char*>(buffer), length);
    EXPECT_EQ(PGPFreeData(buffer), kPGPError_NoErr);
    EXPECT_EQ(text.rfind("-----BEGIN PGP PUBLIC KEY BLOCK-----\r\nVersion: ZAVEK test\r\n\r\n", 0), 0u);

    // What we exported imports again to the same key.
    PGPKeyDBRef again = 0;
    ASSERT_EQ(PGPImport(context, &again, PGPOInputBuffer(context, text.data(), text.size()), kPGPEndOfOptions),
              kPGPError_NoErr);
    EXPECT_EQ(KeyIDs(PGPPeekKeyDBRootKeySet(again)), std::vector<std::string> { kAlice });
    PGPFreeKeyDB(again);

    const struct {
        const char* what;
        std::string data;
        int32_t format;
        PGPError status;
    } refused[] = {
        { "damaged key data", armored.substr(0, armored.size() / 2) + "\n-----END PGP PUBLIC KEY BLOCK-----\n", 0,
          kPGPError_CorruptData },
        { "not PKCS#12", armored, kPGPFormat_PKCS12, kPGPError_UnsupportedFormat },
        { "PKCS#12 without passphrase", std::string("\x30\x82\x01\x00\x02\x01\x03\x30", 8), kPGPFormat_PKCS12,
          kPGPError_BadPassphrase },
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.what);
        PGPKeyDBRef none = 0;
        PGPError status = r.format
            ? PGPImport(context, &none, PGPOInputBuffer(context, r.data.data(), r.data.size()),
                        PGPOInputFormat(context, r.format), kPGPEndOfOptions)
            : PGPImport(context, &none, PGPOInputBuffer(context, r.data.data(), r.data.size()), kPGPEndOfOptions);
        EXPECT_EQ(status, r.status);
        EXPECT_EQ(none, 0u);
    }
}

TEST_F(KeyDBTest, PassphrasesChangeAreCheckedAndCached)
{
    OpenFixtures();
    PGPKeyDBObjRef alice = Key(kAlice);
    auto valid = [&](const char* passphrase) {
        return PGPPassphraseIsValid(alice, PGPOPassphrase(context, passphrase), kPGPEndOfOptions);
    };
    EXPECT_EQ(valid("test passphrase"), 1);
    EXPECT_EQ(valid("wrong"), 0);
    EXPECT_EQ(PGPPassphraseIsValid(Key(kBob), PGPOPassphrase(context, ""), kPGPEndOfOptions), 0);

    EXPECT_EQ(PGPChangePassphrase(alice, PGPOPassphrase(context, "wrong"), PGPOPassphrase(context, "new one"),
                                  kPGPEndOfOptions),
              kPGPError_BadPassphrase);
    ASSERT_EQ(PGPChangePassphrase(alice, PGPOPassphrase(context, "test passphrase"),
                                  PGPOPassphrase(context, "new one"), kPGPEndOfOptions),
              kPGPError_NoErr);
    EXPECT_EQ(valid("test passphrase"), 0);
    EXPECT_EQ(valid("new one"), 1);
    EXPECT_EQ(PGPChangePassphrase(alice, PGPOPassphrase(context, "new one"), kPGPEndOfOptions), kPGPError_BadOption);

    // Without a passphrase option the SDK's cache answers.
    ASSERT_EQ(PGPPurgePassphraseCache(context), kPGPError_NoErr);
    EXPECT_EQ(PGPPassphraseIsValid(alice, kPGPEndOfOptions), 0);
    EXPECT_EQ(PGPPassphraseIsValid(alice, PGPOPassphrase(context, "new one"), PGPOCachePassphrase(context, -1, 0),
                                   kPGPEndOfOptions),
              1);
    EXPECT_EQ(PGPPassphraseIsValid(alice, kPGPEndOfOptions), 1);
    uint32_t local = 0, shared = 9, localDB = 9, sharedDB = 9;
    ASSERT_EQ(PGPCountCachedPassphrases(context, &local, &shared, &localDB, &sharedDB), kPGPError_NoErr);
    EXPECT_EQ(local, 1u);
    EXPECT_EQ(shared + localDB + sharedDB, 0u);
    ASSERT_EQ(PGPCacheKeyDB(db, 60), kPGPError_NoErr);
    ASSERT_EQ(PGPCountCachedNamedPassphrases(context, "default", &local, &shared, &localDB, &sharedDB), 0);
    EXPECT_EQ(localDB, 1u);
    ASSERT_EQ(PGPPurgeNamedPassphraseCache(context, "default"), kPGPError_NoErr);
    ASSERT_EQ(PGPPurgeKeyDBCache(context), kPGPError_NoErr);
    ASSERT_EQ(PGPCountCachedPassphrases(context, &local, &shared, &localDB, &sharedDB), kPGPError_NoErr);
    EXPECT_EQ(local + localDB, 0u);
    EXPECT_EQ(PGPPassphraseIsValid(alice, kPGPEndOfOptions), 0);
}

// Unlocking a key hashes its passphrase over megabytes: while the passphrase is cached the SDK
// keeps the key it unlocked, for the checks and the signatures that follow. A wrong passphrase, a
// changed key and a purge all go back to a real unlocking.
TEST_F(KeyDBTest, AKeyIsUnlockedOnceWhileItsPassphraseIsCached)
{
    OpenFixtures();
    ASSERT_EQ(PGPPurgePassphraseCache(context), kPGPError_NoErr);
    PGPKeyDBObjRef alice = Key(kAlice);
    PGPKeySetRef one = 0;
    PGPKeyIterRef iter = 0;
    PGPKeyDBObjRef subKey = 0;
    ASSERT_EQ(PGPNewOneKeySet(alice, &one), kPGPError_NoErr);
    ASSERT_EQ(PGPNewKeyIterFromKeySet(one, &iter), kPGPError_NoErr);
    ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_Key, &subKey), kPGPError_NoErr);
    ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_SubKey, &subKey), kPGPError_NoErr);
    PGPFreeKeyIter(iter);
    PGPFreeKeySet(one);

    const auto check = [&](PGPKeyDBObjRef key, const char* passphrase, bool cache) {
        if (!passphrase)
            return PGPPassphraseIsValid(key, kPGPEndOfOptions);
        return cache ? PGPPassphraseIsValid(key, PGPOPassphrase(context, passphrase),
                                            PGPOCachePassphrase(context, -1, 0), kPGPEndOfOptions)
                     : PGPPassphraseIsValid(key, PGPOPassphrase(context, passphrase), kPGPEndOfOptions);
    };
    const auto sign = [&] {
        void* out = nullptr;
        PGPSize length = 0;
        PGPError status = PGPEncode(context, PGPOSignWithKey(context, alice, kPGPEndOfOptions),
                                    PGPOInputBuffer(context, "text", 4),
                                    PGPOAllocatedOutputBuffer(context, &out, ~PGPSize(0), &length), kPGPEndOfOptions);
        if (out)
            PGPFreeData(out);
        return static_cast<PGPBoolean>(status == kPGPError_NoErr);
    };
    const std::string right = "test passphrase";
    struct Step {
        const char* what;
        std::function<PGPBoolean()> run;
        PGPBoolean answer;
        uint32_t unlocks;
    };
    const Step steps[] = {
        { "a passphrase cached as it is checked", [&] { return check(alice, right.c_str(), true); }, 1, 1 },
        { "the cache's check", [&] { return check(alice, nullptr, false); }, 1, 0 },
        { "the same passphrase given again", [&] { return check(alice, right.c_str(), false); }, 1, 0 },
        { "a signature with the cached passphrase", sign, 1, 0 },
        { "a wrong passphrase", [&] { return check(alice, "wrong", false); }, 0, 1 },
        { "the cache keeps the right one", [&] { return check(alice, nullptr, false); }, 1, 0 },
        { "a purge drops the unlocked key", [&] { return PGPBoolean(PGPPurgePassphraseCache(context) == 0); }, 1, 0 },
        { "nothing cached", [&] { return check(alice, nullptr, false); }, 0, 0 },
        { "uncached, every check unlocks", [&] { return check(alice, right.c_str(), false); }, 1, 1 },
        { "and again", [&] { return check(alice, right.c_str(), false); }, 1, 1 },
        // The decode caches the sub-key's passphrase as it unlocks it; the key's check then needs
        // no unlocking of its own, but a use of the key's cached passphrase does.
        { "the sub-key unlocked and cached", [&] { return check(subKey, right.c_str(), true); }, 1, 1 },
        { "the key's check with that passphrase", [&] { return check(alice, right.c_str(), true); }, 1, 0 },
        { "the key's own first use", [&] { return check(alice, nullptr, false); }, 1, 1 },
        { "a wrong one for the key", [&] { return check(alice, "wrong", true); }, 0, 1 },
        { "a new passphrase for the key",
          [&] {
              return PGPBoolean(PGPChangePassphrase(alice, PGPOPassphrase(context, right.c_str()),
                                                    PGPOPassphrase(context, "new one"), kPGPEndOfOptions)
                                == 0);
          },
          1, 0 },
        { "the old one no longer opens the changed key", [&] { return check(alice, nullptr, false); }, 0, 1 },
    };
    for (const Step& step : steps) {
        const uint32_t before = standin::KeyUnlockCount();
        EXPECT_EQ(step.run(), step.answer) << step.what;
        EXPECT_EQ(standin::KeyUnlockCount() - before, step.unlocks) << step.what;
    }
    ASSERT_EQ(PGPPurgePassphraseCache(context), kPGPError_NoErr);
}

TEST_F(KeyDBTest, UserIDsAndSignaturesCanBeRemoved)
{
    OpenFixtures();
    PGPKeyDBObjRef bob = Key(kBob);
    PGPKeySetRef one = 0;
    PGPKeyIterRef iter = 0;
    ASSERT_EQ(PGPNewOneKeySet(bob, &one), kPGPError_NoErr);
    ASSERT_EQ(PGPNewKeyIterFromKeySet(one, &iter), kPGPError_NoErr);
    PGPKeyDBObjRef key = 0, userID = 0, sig = 0;
    ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_Key, &key), kPGPError_NoErr);
    ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_UserID, &userID), kPGPError_NoErr);
    ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_Signature, &sig), kPGPError_NoErr);
    EXPECT_EQ(PGPRemoveSig(userID), kPGPError_WrongObjectKind);
    ASSERT_EQ(PGPRemoveSig(sig), kPGPError_NoErr);
    // The removed signature's handle, and its user id's, end; the key's stays.
    EXPECT_EQ(PGPRemoveSig(sig), kPGPError_BadParams);
    PGPBoolean flag;
    EXPECT_EQ(PGPGetKeyDBObjBooleanProperty(userID, kPGPUserIDProperty_IsAttribute, &flag), kPGPError_BadParams);
    EXPECT_EQ(PGPGetKeyDBObjBooleanProperty(bob, kPGPKeyProperty_IsSecret, &flag), kPGPError_NoErr);
    ASSERT_EQ(PGPKeyIterRewind(iter, kPGPIter_UserID), kPGPError_NoErr);
    ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_UserID, &userID), kPGPError_NoErr);
    EXPECT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_Signature, &sig), kPGPError_EndOfIteration);
    ASSERT_EQ(PGPRemoveUserID(userID), kPGPError_NoErr);
    char name[64];
    PGPSize length;
    EXPECT_EQ(PGPGetPrimaryUserIDName(bob, name, sizeof name, &length), kPGPError_EndOfIteration);
    PGPFreeKeyIter(iter);
    PGPFreeKeySet(one);
}

TEST_F(KeyDBTest, ForgedSelfSignaturesAndBindingsCountForNothing)
{
    using namespace standin::openpgp;
    std::string fixture = ReadFixture("bob-public.gpg");
    std::vector<Packet> packets;
    ASSERT_EQ(ParsePackets(fixture, packets), kPGPError_NoErr);
    ASSERT_EQ(packets[1].tag, kTagUserID);
    ASSERT_EQ(packets[4].tag, kTagSignature);
    const struct {
        const char* what;
        size_t packet;
        bool userIDVerified, canEncrypt;
    } cases[] = {
        { "untouched", 0, true, true },
        { "user id text changed", 1, false, true },
        { "sub-key binding damaged", 4, true, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string file;
        for (size_t i = 0; i < packets.size(); ++i) {
            std::string body(packets[i].body);
            if (c.packet && i == c.packet) {
                if (packets[i].tag == kTagUserID)
                    body.replace(4, 6, "Forged");
                else
                    body.back() ^= 0x01;
            }
            file += WritePacket(packets[i].tag, body);
        }
        ASSERT_EQ(Open(Scratch("forged.pkr", file), (scratch / "none.skr").string()), kPGPError_NoErr);
        PGPKeyDBObjRef key = Key(kBob);
        PGPBoolean canEncrypt = 2;
        ASSERT_EQ(PGPGetKeyDBObjBooleanProperty(key, kPGPKeyProperty_CanEncrypt, &canEncrypt), kPGPError_NoErr);
        EXPECT_EQ(canEncrypt, c.canEncrypt ? 1 : 0);
        PGPKeyIterRef iter = 0;
        PGPKeyDBObjRef obj = 0;
        ASSERT_EQ(PGPNewKeyIterFromKeySet(PGPPeekKeyDBRootKeySet(db), &iter), kPGPError_NoErr);
        ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_Key, &obj), kPGPError_NoErr);
        ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_UserID, &obj), kPGPError_NoErr);
        ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_Signature, &obj), kPGPError_NoErr);
        PGPBoolean verified = 2;
        ASSERT_EQ(PGPGetKeyDBObjBooleanProperty(obj, kPGPSigProperty_IsVerified, &verified), kPGPError_NoErr);
        EXPECT_EQ(verified, c.userIDVerified ? 1 : 0);
        PGPFreeKeyIter(iter);
        PGPFreeKeyDB(db);
        db = 0;
    }
}

TEST_F(KeyDBTest, KeysCertifiedByOurOwnKeysAreValid)
{
    // Bob's key as certified by Alice, whose secret key is ours; without Alice's key he stays unknown.
    const struct {
        const char* secretFile;
        int32_t validity;
        PGPBoolean certificationVerified;
    } cases[] = { { "alice-secret.asc", 3, 1 }, { "none.skr", 0, 0 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.secretFile);
        std::string secret = std::string(c.secretFile) == "none.skr" ? (scratch / "none.skr").string()
                                                                     : FixturePath(c.secretFile);
        ASSERT_EQ(Open(FixturePath("bob-certified.gpg"), secret), kPGPError_NoErr);
        int32_t validity = -1;
        ASSERT_EQ(PGPGetKeyDBObjNumericProperty(Key(kBob), kPGPKeyProperty_Validity, &validity), kPGPError_NoErr);
        EXPECT_EQ(validity, c.validity);
        PGPKeyIterRef iter = 0;
        PGPKeyDBObjRef obj = 0;
        ASSERT_EQ(PGPNewKeyIterFromKeySet(PGPPeekKeyDBRootKeySet(db), &iter), kPGPError_NoErr);
        while (PGPKeyIterNextKeyDBObj(iter, kPGPIter_Key, &obj) == kPGPError_NoErr && obj != Key(kBob)) {
        }
        ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_UserID, &obj), kPGPError_NoErr);
        ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_Signature, &obj), kPGPError_NoErr);
        ASSERT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_Signature, &obj), kPGPError_NoErr);
        PGPBoolean verified = 2;
        ASSERT_EQ(PGPGetKeyDBObjBooleanProperty(obj, kPGPSigProperty_IsVerified, &verified), kPGPError_NoErr);
        EXPECT_EQ(verified, c.certificationVerified);
        PGPFreeKeyIter(iter);
        PGPFreeKeyDB(db);
        db = 0;
    }
}

class GroupsTest : public KeyDBTest {
protected:
    PGPError Read(const std::string& content, PGPGroupSetRef& groups)
    {
        PGPFileSpecRef spec = 0;
        EXPECT_EQ(PGPNewFileSpecFromFullPath(context, Scratch("PGPgroup.pgr", content).c_str(), &spec), 0);
        PGPError status = PGPNewGroupSetFromFile(context, spec, &groups);
        PGPFreeFileSpec(spec);
        return status;
    }
    std::vector<std::string> Items(PGPGroupSetRef groups, PGPGroupID id, uint32_t flags)
    {
        std::vector<std::string> ids;
        PGPGroupItemIterRef iter = 0;
        EXPECT_EQ(PGPNewGroupItemIter(groups, id, flags, &iter), kPGPError_NoErr);
        for (PGPGroupItem item; PGPGroupItemIterNext(iter, &item) == kPGPError_NoErr;) {
            char text[20] = "group";
            if (item.type == kPGPGroupItem_Key)
                PGPGetKeyIDString(&item.keyID, kPGPKeyIDString_Full, text);
            ids.push_back(text);
        }
        PGPFreeGroupItemIter(iter);
        return ids;
    }
};

TEST_F(GroupsTest, GroupsNestWithoutLooping)
{
    PGPGroupSetRef groups = 0;
    ASSERT_EQ(Read("PGPSTANDIN-GROUPS 1\r\n"
                   "G\tTeam\tThe whole team\r\n"
                   "K\t0xEAB9540747794AFA\t1\r\n"
                   "S\tSub\r\n"
                   "G\tSub\tA part\r\n"
                   "K\t0xd6b0dd7e9dc84292\t17\r\n"
                   "S\tTeam\r\n"
                   "S\tNo such group\r\n"
                   "G\tEmpty\r\n",
                   groups),
              kPGPError_NoErr);
    uint32_t count = 0;
    ASSERT_EQ(PGPCountGroupsInSet(groups, &count), kPGPError_NoErr);
    EXPECT_EQ(count, 3u);
    PGPGroupID id = 0;
    ASSERT_EQ(PGPGetIndGroupID(groups, 0, &id), kPGPError_NoErr);
    PGPGroupInfo info;
    ASSERT_EQ(PGPGetGroupInfo(groups, id, &info), kPGPError_NoErr);
    EXPECT_STREQ(info.name, "Team");
    EXPECT_STREQ(info.description, "The whole team");
    EXPECT_EQ(PGPGetIndGroupID(groups, 3, &id), kPGPError_EndOfIteration);
    EXPECT_EQ(Items(groups, 1, 6), (std::vector<std::string> { kAlice, kBob }));
    EXPECT_EQ(Items(groups, 1, 2), std::vector<std::string> { kAlice });
    // Sub: Bob, group Team (entered: Alice, group Sub not entered again), the unknown group.
    EXPECT_EQ(Items(groups, 2, 7), (std::vector<std::string> { kBob, "group", kAlice, "group", "group" }));
    EXPECT_TRUE(Items(groups, 3, 6).empty());
    uint32_t keys = 0, total = 0;
    ASSERT_EQ(PGPCountGroupItems(groups, 1, 1, &keys, &total), kPGPError_NoErr);
    EXPECT_EQ(keys, 2u);
    EXPECT_EQ(total, 5u);
    ASSERT_EQ(PGPCountGroupItems(groups, 1, 0, &keys, &total), kPGPError_NoErr);
    EXPECT_EQ(keys, 1u);
    EXPECT_EQ(total, 2u);
    EXPECT_EQ(PGPGetGroupInfo(groups, 4, &info), kPGPError_BadParams);
    EXPECT_EQ(PGPFreeGroupSet(groups), kPGPError_NoErr);
}

TEST_F(GroupsTest, DamagedAndMissingGroupFiles)
{
    PGPGroupSetRef groups = 0;
    EXPECT_EQ(Read("GROUPS\r\n", groups), kPGPError_UnsupportedFormat);
    EXPECT_EQ(Read("PGPSTANDIN-GROUPS 1\r\nG\tX\r\nK\t0x12\r\n", groups), kPGPError_KeyFileCorrupt);
    EXPECT_EQ(Read("PGPSTANDIN-GROUPS 1\r\nK\t0xEAB9540747794AFA\r\n", groups), kPGPError_KeyFileCorrupt);
    EXPECT_EQ(groups, 0u);
    PGPFileSpecRef spec = 0;
    ASSERT_EQ(PGPNewFileSpecFromFullPath(context, (scratch / "none.pgr").string().c_str(), &spec), 0);
    ASSERT_EQ(PGPNewGroupSetFromFile(context, spec, &groups), kPGPError_NoErr);
    uint32_t count = 9;
    EXPECT_EQ(PGPCountGroupsInSet(groups, &count), kPGPError_NoErr);
    EXPECT_EQ(count, 0u);
    PGPFreeGroupSet(groups);
    PGPFreeFileSpec(spec);
}

} // namespace
