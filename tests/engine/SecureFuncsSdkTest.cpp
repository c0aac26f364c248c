// The cache and the wiper over the real binding and the stand-in SDK under Wine: the SDK's answers
// reach the cache unchanged, and a wipe always ends with the file overwritten and gone.
#include "engine/SecureFuncs.h"
#include "engine/sdk/pgpAdapters.h"
#include "engine/sdk/pgpBase.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <utility>
#include <windows.h>

namespace {

std::string ReadAll(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    return bytes.substr(0, got);
}

struct SecureOverSdk : ::testing::Test {
    void SetUp() override
    {
        std::string folder = std::string("Z:") + ZAVEK_PGPSDK_VARIANTS + "/g13/";
        std::replace(folder.begin(), folder.end(), '/', '\\');
        SDKLoadPlan plan;
        plan.folders = { folder };
        plan.showFatal = [](const char* text) { ADD_FAILURE() << text; };
        LoadPGPsdkWith(plan);
        BindPGPsdk();
        ASSERT_EQ(SDKLoadError, 0);
        ASSERT_GE(SDKGeneration, 3);
    }
    void TearDown() override { ReleasePGPsdk(); }
};

TEST_F(SecureOverSdk, WipeEndsWithTheFileOverwrittenAndGone)
{
    auto sdk = NewSdkSecure();
    TSecure secure(*sdk, SDKGeneration, nullptr);
    secure.WipePasses = 2;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string file = std::string(temp) + "zavek-sdkwipe-" + std::to_string(GetCurrentProcessId()) + ".txt";
    std::string link = file + ".link";
    std::string plain(5000, 'p');
    plain.replace(100, 6, "SECRET");
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(handle, plain.data(), static_cast<DWORD>(plain.size()), &written, nullptr);
    CloseHandle(handle);
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), file.c_str(), nullptr));

    EXPECT_TRUE(secure.WipeFile(file));
    EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
    std::string left = ReadAll(link);
    EXPECT_GE(left.size(), plain.size());
    EXPECT_EQ(left.find("SECRET"), std::string::npos);
    EXPECT_EQ(left.find("pppp"), std::string::npos);
    DeleteFileA(link.c_str());
}

TEST_F(SecureOverSdk, CacheFollowsTheSdksAnswers)
{
    auto sdk = NewSdkSecure();
    TSecure secure(*sdk, SDKGeneration, nullptr);
    secure.SetCacheSeconds(30);
    TSecureBytes passphrase(16);
    std::memcpy(passphrase.data(), "not checked", 12);
    // No key is known to this SDK: nothing is cached, and the caller's block is gone all the same.
    EXPECT_FALSE(secure.CachePassphrase(0, passphrase, true, nullptr, 0));
    EXPECT_FALSE(passphrase);
    TSecureBytes out;
    EXPECT_FALSE(secure.GetCachedPassphrase(0, out, true));
    EXPECT_TRUE(secure.IsCacheEmpty());
    secure.SetCacheSeconds(-1);
    EXPECT_TRUE(secure.IsCacheEmpty());
}

// A key database of the stand-in with Alice's secret key ("test passphrase"), opened through the binding.
struct TAliceKeys {
    PGPContextRef context = 0;
    PGPKeyDBRef db = 0;
    PGPKeyDBObjRef alice = 0;

    static std::string Fixture(const char* name)
    {
        std::string path = std::string("Z:") + ZAVEK_TEST_DATA + "/pgpsdk/" + name;
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }
    TAliceKeys()
    {
        PGPFileSpecRef pub = 0, sec = 0;
        if (SDKProcs.PGPNewContext(kPGPContextVersion, &context) != 0
            || SDKProcs.PGPNewFileSpecFromFullPath(context, Fixture("bob-public.gpg").c_str(), &pub) != 0
            || SDKProcs.PGPNewFileSpecFromFullPath(context, Fixture("alice-secret.asc").c_str(), &sec) != 0)
            return;
        SDKProcs.PGPOpenKeyDBFile(context, 0, pub, sec, &db);
        SDKProcs.PGPFreeFileSpec(pub);
        SDKProcs.PGPFreeFileSpec(sec);
        PGPKeyID id {};
        if (db && SDKProcs.PGPNewKeyIDFromString("0xEAB9540747794AFA", 0, &id) == 0)
            SDKProcs.PGPFindKeyByKeyID(db, &id, &alice);
    }
    ~TAliceKeys()
    {
        if (db)
            SDKProcs.PGPFreeKeyDB(db);
        if (context)
            SDKProcs.PGPFreeContext(context);
    }
};

TSecureBytes Secret(const char* text)
{
    TSecureBytes bytes(std::strlen(text) + 1);
    std::memcpy(bytes.data(), text, std::strlen(text) + 1);
    return bytes;
}

TEST_F(SecureOverSdk, SdkCacheHoldsAValidPassphraseUntilPurged)
{
    TAliceKeys keys;
    ASSERT_NE(keys.alice, 0u);
    auto sdk = NewSdkSecure();
    TSecure secure(*sdk, SDKGeneration, nullptr);
    secure.SetCacheSeconds(-1);
    secure.SetCacheSeconds(60);
    EXPECT_TRUE(secure.IsCacheEmpty());

    TSecureBytes wrong = Secret("not it");
    EXPECT_FALSE(secure.CachePassphrase(keys.alice, wrong, true, nullptr, 0));
    EXPECT_TRUE(secure.IsCacheEmpty());
    TSecureBytes out;
    EXPECT_FALSE(secure.GetCachedPassphrase(keys.alice, out, true));

    // What the SDK keeps: the passphrase and, with it, the key's database; a purge drops both.
    const auto held = [&keys] {
        uint32_t local = 0, shared = 0, localDB = 0, sharedDB = 0;
        EXPECT_EQ(CountCachedPassphrases(keys.context, &local, &shared, &localDB, &sharedDB), 0);
        return std::make_pair(local + shared, localDB + sharedDB);
    };
    TSecureBytes right = Secret("test passphrase");
    ASSERT_TRUE(secure.CachePassphrase(keys.alice, right, true, nullptr, 0));
    EXPECT_FALSE(right);
    EXPECT_FALSE(secure.IsCacheEmpty());
    EXPECT_EQ(held(), std::make_pair(1u, 1u));
    EXPECT_TRUE(secure.GetCachedPassphrase(keys.alice, out, true));
    EXPECT_FALSE(out) << "the SDK answers from its own cache";

    secure.SetCacheSeconds(-1);
    EXPECT_TRUE(secure.IsCacheEmpty());
    EXPECT_EQ(held(), std::make_pair(0u, 0u));
    secure.SetCacheSeconds(60);
    EXPECT_FALSE(secure.GetCachedPassphrase(keys.alice, out, true));
}

TEST_F(SecureOverSdk, SlotsEncryptThroughTheSdk)
{
    TAliceKeys keys;
    ASSERT_NE(keys.alice, 0u);
    auto sdk = NewSdkSecure();
    TSecureBytes probe = Secret("probe"), key(32), cipher(512);
    size_t length = 0;
    if (sdk->EncryptSlot(probe, 5, key, cipher, length) == kPGPError_NotImplemented)
        GTEST_SKIP() << "the stand-in SDK does not encode yet";

    // The slots of the older generations, driven through this SDK's encoder and decoder.
    TSecure secure(*sdk, 2, nullptr);
    secure.SetCacheSeconds(60);
    const uint8_t message[] = "some message data";
    TSecureBytes right = Secret("test passphrase");
    ASSERT_TRUE(secure.CachePassphrase(keys.alice, right, true, message, sizeof message));
    TSecureBytes out;
    ASSERT_TRUE(secure.GetCachedPassphrase(keys.alice, out, true));
    EXPECT_STREQ(reinterpret_cast<const char*>(out.data()), "test passphrase");
    secure.SetCacheSeconds(-1);
    EXPECT_TRUE(secure.IsCacheEmpty());
}

// Counting wrappers around the bound SDK's secure memory.
decltype(PGPsdkProcs::PGPNewSecureData) realNewSecureData;
decltype(PGPsdkProcs::PGPFreeData) realFreeData;
int secureBlocks = 0;

void* PGP_CDECL CountingNewSecureData(PGPMemoryMgrRef mgr, PGPSize size, uint32_t flags)
{
    void* block = realNewSecureData(mgr, size, flags);
    secureBlocks += block != nullptr;
    return block;
}

PGPError PGP_CDECL CountingFreeData(void* data)
{
    PGPError status = realFreeData(data);
    secureBlocks -= status == 0;
    return status;
}

TEST_F(SecureOverSdk, SecretsLiveInTheSdksSecureMemory)
{
    realNewSecureData = SDKProcs.PGPNewSecureData;
    realFreeData = SDKProcs.PGPFreeData;
    SDKProcs.PGPNewSecureData = CountingNewSecureData;
    SDKProcs.PGPFreeData = CountingFreeData;
    {
        TSecureBytes secret(64);
        ASSERT_TRUE(secret);
        EXPECT_EQ(secureBlocks, 1);
        for (size_t i = 0; i < secret.size(); ++i)
            ASSERT_EQ(secret.data()[i], 0);
        TSecureBytes moved = std::move(secret);
        EXPECT_EQ(secureBlocks, 1);
        EXPECT_EQ(FreeSecureData(moved), 0);
        EXPECT_EQ(secureBlocks, 0);
        TSecureBytes kept(16);
        EXPECT_EQ(secureBlocks, 1);
    }
    EXPECT_EQ(secureBlocks, 0) << "released with its owner";
    SDKProcs.PGPNewSecureData = realNewSecureData;
    SDKProcs.PGPFreeData = realFreeData;
}

} // namespace
