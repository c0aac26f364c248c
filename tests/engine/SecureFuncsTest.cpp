// The passphrase cache under Wine: slots of generations 1 and 2, the SDK's cache from generation 3,
// turning the cache off, expiry driven by a window timer, and the secure byte blocks themselves.
#include "engine/PrefFuncs.h"
#include "engine/SecureFuncs.h"
#include "PrefsMemoryHost.h"
#include "SecureFakeSdk.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

constexpr TSecureKeyRef kKey = 7;

std::string Text(const TSecureBytes& bytes) { return reinterpret_cast<const char*>(bytes.data()); }

struct CacheFixture : ::testing::Test {
    TFakeSecureSdk sdk;
    std::vector<uint8_t> messageData = std::vector<uint8_t>(100, 0xAB);

    bool Cache(TSecure& secure, const std::string& passphrase, bool forSigning)
    {
        TSecureBytes block = SecretText(passphrase);
        bool cached = secure.CachePassphrase(kKey, block, forSigning, messageData.data(), messageData.size());
        EXPECT_FALSE(block) << "the caller's passphrase block is released in every case";
        return cached;
    }
};

TEST(SecureBytes, ZeroedLockedAndOwnedOnce)
{
    TSecureBytes block(1000);
    ASSERT_TRUE(block);
    for (size_t i = 0; i < block.size(); ++i)
        ASSERT_EQ(block.data()[i], 0);
    std::memcpy(block.data(), "secret", 7);
    EXPECT_EQ(block.TextLength(), 6u);
    TSecureBytes moved = std::move(block);
    EXPECT_FALSE(block);
    EXPECT_EQ(Text(moved), "secret");
    EXPECT_EQ(FreeSecureData(moved), 0);
    EXPECT_FALSE(moved);
    EXPECT_EQ(FreeSecureData(moved), -11981);
    EXPECT_FALSE(TSecureBytes(0));
}

TEST(SecureBytes, AnsiToUtf8)
{
    uint8_t buffer[64] = {};
    EXPECT_EQ(AnsiToUtf8Secure("pass word", buffer, sizeof buffer), 9u);
    EXPECT_STREQ(reinterpret_cast<char*>(buffer), "pass word");
    if (GetACP() == 1252) {
        EXPECT_EQ(AnsiToUtf8Secure("caf\xE9", buffer, sizeof buffer), 5u);
        EXPECT_STREQ(reinterpret_cast<char*>(buffer), "caf\xC3\xA9");
    }
    EXPECT_EQ(AnsiToUtf8Secure(nullptr, buffer, sizeof buffer), 0u);
    EXPECT_EQ(AnsiToUtf8Secure("x", nullptr, 8), 0u);
    EXPECT_EQ(AnsiToUtf8Secure("longer than the room", buffer, 4), 0u);
}

TEST_F(CacheFixture, SlotsKeepBothPassphrasesOfGenerationTwo)
{
    TSecure secure(sdk, 2, nullptr);
    EXPECT_EQ(secure.CacheSeconds(), -1);
    secure.SetCacheSeconds(60);
    sdk.validPassphrases[kKey] = "signing secret";

    EXPECT_TRUE(secure.IsCacheEmpty());
    TSecureBytes out;
    EXPECT_FALSE(secure.GetCachedPassphrase(kKey, out, false)) << "empty decryption slot";
    ASSERT_TRUE(Cache(secure, "signing secret", true));
    ASSERT_TRUE(Cache(secure, "decryption secret", false));
    EXPECT_FALSE(secure.IsCacheEmpty());

    ASSERT_TRUE(secure.GetCachedPassphrase(kKey, out, true));
    EXPECT_EQ(Text(out), "signing secret");
    EXPECT_EQ(out.size(), 1024u);
    ASSERT_TRUE(secure.GetCachedPassphrase(kKey, out, false));
    EXPECT_EQ(Text(out), "decryption secret");

    // A signing passphrase the key no longer accepts is not handed out.
    sdk.validPassphrases[kKey] = "changed";
    EXPECT_FALSE(secure.GetCachedPassphrase(kKey, out, true));
    EXPECT_FALSE(out);

    // Storing replaces; turning the cache off empties both slots.
    ASSERT_TRUE(Cache(secure, "second", false));
    ASSERT_TRUE(secure.GetCachedPassphrase(kKey, out, false));
    EXPECT_EQ(Text(out), "second");
    secure.SetCacheSeconds(-1);
    EXPECT_TRUE(secure.IsCacheEmpty());
    EXPECT_FALSE(secure.GetCachedPassphrase(kKey, out, false));
    EXPECT_FALSE(Cache(secure, "refused while off", false));
    EXPECT_TRUE(secure.IsCacheEmpty());
}

TEST_F(CacheFixture, SlotKeyFromMessageDataOrGenerator)
{
    TSecure secure(sdk, 1, nullptr);
    secure.SetCacheSeconds(0);
    ASSERT_TRUE(Cache(secure, "pw", false));
    ASSERT_EQ(sdk.lastSlotKey.size(), 32u);
    int fromData = 0;
    for (uint8_t byte : sdk.lastSlotKey) {
        EXPECT_TRUE(byte == 0xAB || byte <= 9) << int(byte);
        fromData += byte == 0xAB;
    }
    EXPECT_GT(fromData, 16);

    // No message data: nothing to divide by, the key comes from the generator alone.
    messageData.clear();
    ASSERT_TRUE(Cache(secure, "pw", false));
    int distinct = 0;
    for (size_t i = 1; i < sdk.lastSlotKey.size(); ++i)
        distinct += sdk.lastSlotKey[i] != sdk.lastSlotKey[0];
    EXPECT_GT(distinct, 0);
    TSecureBytes out;
    ASSERT_TRUE(secure.GetCachedPassphrase(kKey, out, false));
    EXPECT_EQ(Text(out), "pw");

    sdk.failEncrypt = true;
    EXPECT_FALSE(Cache(secure, "pw", false));
    EXPECT_TRUE(secure.IsCacheEmpty()) << "a failed store leaves the slot empty";
}

TEST_F(CacheFixture, LaterGenerationsSteerTheSdkCache)
{
    TPrefsMemoryHost host;
    host.Put("C:\\AppData\\PGP Corporation\\PGP\\PGPprefs.xml",
        "<dict>\r\n<key>PassphraseCacheType</key>\r\n<integer>1</integer>\r\n"
        "<key>PassphraseCacheSeconds</key>\r\n<integer>120</integer>\r\n"
        "<key>PassphraseShareCache</key>\r\n<true></true>\r\n</dict>\r\n");
    TPrefsFile prefs(host, 9, "C:\\AppData");
    TSecure secure(sdk, 9, &prefs);
    EXPECT_EQ(secure.CacheSeconds(), 120);
    EXPECT_TRUE(secure.CacheEnabled());
    sdk.validPassphrases[kKey] = "right";

    EXPECT_FALSE(Cache(secure, "wrong", true));
    EXPECT_TRUE(secure.IsCacheEmpty());
    ASSERT_TRUE(Cache(secure, "right", true));
    EXPECT_TRUE(sdk.lastShare);
    EXPECT_FALSE(secure.IsCacheEmpty());

    TSecureBytes out;
    EXPECT_TRUE(secure.GetCachedPassphrase(kKey, out, true));
    EXPECT_FALSE(out) << "the SDK supplies the passphrase itself";
    EXPECT_TRUE(secure.GetCachedPassphrase(kKey, out, false));

    secure.SetCacheSeconds(-1);
    EXPECT_EQ(sdk.purges, 1);
    EXPECT_TRUE(secure.IsCacheEmpty());
    EXPECT_FALSE(secure.GetCachedPassphrase(kKey, out, false));
}

// The main window's timer 1 turns the cache off when the cache time has run out.
LRESULT CALLBACK ExpiryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == 1) {
        KillTimer(window, 1);
        reinterpret_cast<TSecure*>(GetWindowLongPtrA(window, GWLP_USERDATA))->SetCacheSeconds(-1);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(CacheFixture, CachedPassphraseExpiresOnTimerOne)
{
    TSecure secure(sdk, 2, nullptr);
    const UINT interval = 300;
    secure.SetCacheSeconds(1);
    ASSERT_TRUE(Cache(secure, "until the timer", false));

    WNDCLASSA windowClass {};
    windowClass.lpfnWndProc = ExpiryWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ZavekCacheExpiryTest";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("ZavekCacheExpiryTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
        windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&secure));

    DWORD start = GetTickCount();
    SetTimer(window, 1, interval, nullptr);
    TSecureBytes out;
    EXPECT_TRUE(secure.GetCachedPassphrase(kKey, out, false)) << "still cached before the timer";
    while (!secure.IsCacheEmpty() && GetTickCount() - start < 5000) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(10);
    }
    DWORD elapsed = GetTickCount() - start;
    EXPECT_TRUE(secure.IsCacheEmpty());
    EXPECT_GE(elapsed + 20, interval) << "expired early";
    EXPECT_LT(elapsed, 3000u);
    EXPECT_FALSE(secure.CacheEnabled());
    EXPECT_FALSE(secure.GetCachedPassphrase(kKey, out, false));
    DestroyWindow(window);
}

} // namespace
