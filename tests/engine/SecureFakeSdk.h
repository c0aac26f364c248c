// A recording stand-in for the SDK calls of the passphrase cache: a reversible "encryption" that
// keeps the slot key it was given, known valid passphrases per key, and the SDK's own cache.
#pragma once

#include "engine/SecureFuncs.h"

#include <cstring>
#include <map>
#include <vector>

class TFakeSecureSdk : public TSecureSdk {
public:
    std::map<TSecureKeyRef, std::string> validPassphrases;
    std::map<TSecureKeyRef, std::string> sdkCache;
    std::vector<uint8_t> lastSlotKey;
    bool lastShare = false;
    bool failEncrypt = false;
    int32_t wipeStatus = -1;
    int purges = 0;
    int wipes = 0;

    int32_t EncryptSlot(const TSecureBytes& plain, size_t length, const TSecureBytes& key, TSecureBytes& out,
        size_t& outLength) override
    {
        lastSlotKey.assign(key.data(), key.data() + key.size());
        if (failEncrypt || length + 1 > out.size())
            return -11997;
        for (size_t i = 0; i < length; ++i)
            out.data()[i] = plain.data()[i] ^ key.data()[i % key.size()] ^ 0x5A;
        outLength = length;
        return 0;
    }
    int32_t DecryptSlot(const TSecureBytes& cipher, size_t length, const TSecureBytes& key, TSecureBytes& out) override
    {
        for (size_t i = 0; i < length; ++i)
            out.data()[i] = cipher.data()[i] ^ key.data()[i % key.size()] ^ 0x5A;
        return 0;
    }
    bool PassphraseIsValid(TSecureKeyRef key, const TSecureBytes* passphrase) override
    {
        auto it = validPassphrases.find(key);
        if (it == validPassphrases.end())
            return false;
        if (!passphrase)
            return sdkCache.count(key) != 0;
        return it->second == reinterpret_cast<const char*>(passphrase->data());
    }
    bool CacheInSdk(TSecureKeyRef key, const TSecureBytes& passphrase, bool share) override
    {
        lastShare = share;
        if (!PassphraseIsValid(key, &passphrase))
            return false;
        sdkCache[key] = reinterpret_cast<const char*>(passphrase.data());
        return true;
    }
    bool PurgeSdkCache() override
    {
        ++purges;
        sdkCache.clear();
        return true;
    }
    bool SdkCacheEmpty() override { return sdkCache.empty(); }
    int32_t WipeFileList(const std::string& fileName, uint32_t passes) override
    {
        ++wipes;
        return wipeStatus;
    }
};

inline TSecureBytes SecretText(const std::string& text)
{
    TSecureBytes bytes(text.size() + 1);
    std::memcpy(bytes.data(), text.c_str(), text.size() + 1);
    return bytes;
}
