// The passphrase cache and the file wiper: passphrases kept for a limited time in memory that is
// locked and zeroed on release, and files overwritten with the configured number of passes before
// they are deleted. The SDK calls the cache needs come in through TSecureSdk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/SecureFuncsPattern.h"
#include "foundation/Isaac.h"

class TPrefsFile;

// Bytes for secrets, zeroed before they are released and owned by one object: the SDK's secure
// memory while the SDK is bound, otherwise memory of our own locked against paging.
class TSecureBytes {
public:
    TSecureBytes() = default;
    explicit TSecureBytes(size_t size);
    ~TSecureBytes() { Release(); }
    TSecureBytes(TSecureBytes&& other) noexcept;
    TSecureBytes& operator=(TSecureBytes&& other) noexcept;
    TSecureBytes(const TSecureBytes&) = delete;
    TSecureBytes& operator=(const TSecureBytes&) = delete;

    explicit operator bool() const { return data_ != nullptr; }
    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    // Length of the zero-terminated text held at the start.
    size_t TextLength() const;
    void Release();

private:
    using TSdkFree = int32_t (*)(void*);

    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    TSdkFree sdkFree_ = nullptr; // set when the SDK gave the block
};

// NewSecureData (size): zeroed secure memory, empty on failure. FreeSecureData: -11981 for none.
// Blocks are released before the SDK is unloaded; one the SDK gave is then only zeroed.
TSecureBytes NewSecureData(size_t size);
int32_t FreeSecureData(TSecureBytes& block);
// The zero-terminated text at the start of the block in a fresh secure block; empty on failure.
TSecureBytes CopySecureText(const TSecureBytes& text);
// The ANSI text as UTF-8 in the caller's buffer (through UTF-16 in secure memory); the byte count
// without the terminating zero, 0 when an argument is missing or the text does not convert.
size_t AnsiToUtf8Secure(const char* text, uint8_t* buffer, size_t size);

using TSecureKeyRef = uint32_t;

// What the cache and the wiper ask of the SDK; the engine's binding implements it.
class TSecureSdk {
public:
    virtual ~TSecureSdk() = default;
    // Conventional encryption (compressed, cipher 1) of length bytes of plain under the key bytes.
    virtual int32_t EncryptSlot(const TSecureBytes& plain, size_t length, const TSecureBytes& key, TSecureBytes& out,
        size_t& outLength)
        = 0;
    virtual int32_t DecryptSlot(
        const TSecureBytes& cipher, size_t length, const TSecureBytes& key, TSecureBytes& out)
        = 0;
    // Without a passphrase the SDK's own cache answers (generation 3 on).
    virtual bool PassphraseIsValid(TSecureKeyRef key, const TSecureBytes* passphrase) = 0;
    // Generation 3 on: the SDK keeps a valid passphrase (and the key's database) until purged.
    virtual bool CacheInSdk(TSecureKeyRef key, const TSecureBytes& passphrase, bool share) = 0;
    virtual bool PurgeSdkCache() = 0;
    virtual bool SdkCacheEmpty() = 0;
    // Generation 2 on: the support library overwrites and deletes the file; a status.
    virtual int32_t WipeFileList(const std::string& fileName, uint32_t passes) = 0;
};

// The implementation over the bound SDK, with an SDK context of its own.
std::unique_ptr<TSecureSdk> NewSdkSecure();

// Status of LoadPassphrase for an empty slot.
constexpr int32_t kSlotEmpty = -11489;

class TSecure {
public:
    struct TSlot {
        size_t length = 0; // of the ciphertext, 0 = empty
        TSecureBytes cipher;
        TSecureBytes key;
        void Clear();
    };

    // The cache time and the share setting come from PGP's preferences when given.
    TSecure(TSecureSdk& sdk, int generation, TPrefsFile* prefs);
    ~TSecure();
    TSecure(const TSecure&) = delete;
    TSecure& operator=(const TSecure&) = delete;

    // -1 turns caching off and empties the cache; 0 keeps without a time limit.
    void SetCacheSeconds(int32_t seconds);
    int32_t CacheSeconds() const { return cacheSeconds_; }
    bool CacheEnabled() const { return cacheEnabled_; }

    // Keeps the passphrase (zero-terminated in passphrase); the caller's block is released in every case.
    bool CachePassphrase(
        TSecureKeyRef key, TSecureBytes& passphrase, bool forSigning, const uint8_t* data, size_t dataLength);
    // Whether passphrases are kept in the SDK's own cache now, and with which share setting: the
    // SDK may then cache one itself as it decodes with it.
    bool CachesInSdk(bool& share) const;
    bool GetCachedPassphrase(TSecureKeyRef key, TSecureBytes& passphrase, bool forSigning);
    bool IsCacheEmpty();
    void ClearCache();
    bool PurgeSDKCache();
    int32_t LoadPassphrase(TSecureBytes& out, const TSlot& slot);

    // Overwrites the file WipePasses times and deletes it; true when the file is gone afterwards.
    bool WipeFile(const std::string& fileName);
    uint32_t WipePasses = 3;

    // The next word of the generator, for one-time secrets such as a transfer passphrase.
    uint32_t NextRandomWord() { return IsaacNext(random_); }

private:
    void SeedGenerator();
    int32_t NextSigned() { return static_cast<int32_t>(IsaacNext(random_)); }
    bool FillSlot(TSlot& slot, TSecureBytes& passphrase, const uint8_t* data, size_t dataLength);

    TSecureSdk& sdk_;
    int generation_;
    TPrefsFile* prefs_;
    void* waitCursor_;
    void* arrowCursor_;
    TIsaac random_;
    int32_t cacheSeconds_ = -1;
    bool cacheEnabled_ = false;
    bool shareCache_ = false;
    TSlot decryptSlot_;
    TSlot signSlot_;
};

// The own overwrite: passes of random patterns over every sector of the file, written unbuffered from
// an aligned buffer and flushed, then the file deleted; its attributes are cleared first. A locked or
// unwritable file is kept with its attributes and the answer is false; true when the file is gone.
bool OverwriteAndDeleteFile(const std::string& fileName, uint32_t passes, const std::function<uint32_t()>& nextRandom);
