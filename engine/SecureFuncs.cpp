// The passphrase cache: generations 1 and 2 keep each passphrase encrypted under a slot key made at
// run time, later generations steer the SDK's own cache. Every secret lives in TSecureBytes.
#include "engine/SecureFuncs.h"

#include "engine/PrefFuncs.h"
#include "engine/sdk/pgpBindings.h"
#include "foundation/IsaacSeed.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr size_t kSlotCipherSize = 512;
constexpr size_t kSlotKeySize = 32;
constexpr size_t kPassphraseSize = 1024;
constexpr int32_t kNoSecureData = -11981;
// The SDK's "not implemented": the support library has no wipe to offer.
constexpr int32_t kWipeNotAvailable = -11995;

size_t PageRounded(size_t size)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    size_t page = info.dwPageSize ? info.dwPageSize : 4096;
    return (size + page - 1) / page * page;
}

// Index from a random word: the absolute value of its signed remainder.
size_t RandomIndex(int32_t word, size_t range)
{
    int64_t remainder = static_cast<int64_t>(word) % static_cast<int64_t>(range);
    return static_cast<size_t>(remainder < 0 ? -remainder : remainder);
}

} // namespace

// ---- secure bytes ----

TSecureBytes::TSecureBytes(size_t size)
{
    if (size == 0)
        return;
    if (SDKProcs.PGPNewSecureData && SDKProcs.PGPGetDefaultMemoryMgr && SDKProcs.PGPFreeData) {
        void* block = SDKProcs.PGPNewSecureData(SDKProcs.PGPGetDefaultMemoryMgr(), static_cast<PGPSize>(size), 0);
        if (block) {
            std::memset(block, 0, size);
            data_ = static_cast<uint8_t*>(block);
            size_ = size;
            sdkFree_ = SDKProcs.PGPFreeData;
            return;
        }
    }
    void* block = VirtualAlloc(nullptr, PageRounded(size), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!block)
        return;
    // Locking keeps the secret out of the page file where the system allows it.
    VirtualLock(block, size);
    data_ = static_cast<uint8_t*>(block);
    size_ = size;
}

TSecureBytes::TSecureBytes(TSecureBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr))
    , size_(std::exchange(other.size_, 0))
    , sdkFree_(std::exchange(other.sdkFree_, nullptr))
{
}

TSecureBytes& TSecureBytes::operator=(TSecureBytes&& other) noexcept
{
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        sdkFree_ = std::exchange(other.sdkFree_, nullptr);
    }
    return *this;
}

size_t TSecureBytes::TextLength() const { return data_ ? strnlen(reinterpret_cast<const char*>(data_), size_) : 0; }

void TSecureBytes::Release()
{
    if (!data_)
        return;
    SecureZeroMemory(data_, size_);
    if (sdkFree_) {
        // Once the SDK is unbound its free function is gone; the block is then only zeroed.
        if (SDKProcs.PGPFreeData == sdkFree_)
            sdkFree_(data_);
    } else {
        VirtualUnlock(data_, size_);
        VirtualFree(data_, 0, MEM_RELEASE);
    }
    data_ = nullptr;
    size_ = 0;
    sdkFree_ = nullptr;
}

TSecureBytes NewSecureData(size_t size) { return TSecureBytes(size); }

TSecureBytes CopySecureText(const TSecureBytes& text)
{
    const size_t size = text.TextLength() + 1;
    TSecureBytes copy = NewSecureData(size);
    if (copy && text)
        std::memcpy(copy.data(), text.data(), size - 1);
    return copy;
}

int32_t FreeSecureData(TSecureBytes& block)
{
    if (!block)
        return kNoSecureData;
    block.Release();
    return 0;
}

// ---- the cache ----

void TSecure::TSlot::Clear()
{
    length = 0;
    cipher.Release();
    key.Release();
}

TSecure::TSecure(TSecureSdk& sdk, int generation, TPrefsFile* prefs)
    : sdk_(sdk)
    , generation_(generation)
    , prefs_(prefs)
    , waitCursor_(LoadCursor(nullptr, IDC_WAIT))
    , arrowCursor_(LoadCursor(nullptr, IDC_ARROW))
{
    int32_t seconds = -1;
    if (prefs_ && GetPassphraseCacheSeconds(*prefs_, seconds) != 0)
        seconds = -1;
    cacheSeconds_ = seconds;
    cacheEnabled_ = seconds != -1;
    SeedGenerator();
}

TSecure::~TSecure() { ClearCache(); }

void TSecure::SeedGenerator() { SeedIsaacFromRunTime(random_); }

void TSecure::SetCacheSeconds(int32_t seconds)
{
    cacheSeconds_ = seconds;
    cacheEnabled_ = seconds != -1;
    if (seconds == -1)
        ClearCache();
}

bool TSecure::CachePassphrase(
    TSecureKeyRef key, TSecureBytes& passphrase, bool forSigning, const uint8_t* data, size_t dataLength)
{
    // Taken over at once, so the caller's block is zeroed and released on every way out.
    TSecureBytes held = std::move(passphrase);
    if (!cacheEnabled_ || !held)
        return false;
    bool share = false;
    if (CachesInSdk(share))
        return sdk_.CacheInSdk(key, held, share);
    return FillSlot(forSigning ? signSlot_ : decryptSlot_, held, data, dataLength);
}

bool TSecure::CachesInSdk(bool& share) const
{
    share = false;
    if (!cacheEnabled_ || generation_ < 3)
        return false;
    if (prefs_)
        GetShareCachePref(*prefs_, share);
    return true;
}

bool TSecure::FillSlot(TSlot& slot, TSecureBytes& passphrase, const uint8_t* data, size_t dataLength)
{
    int32_t first = NextSigned();
    std::string digits = std::to_string(first < 0 ? -static_cast<int64_t>(first) : first);
    slot.Clear();
    slot.cipher = NewSecureData(kSlotCipherSize);
    slot.key = NewSecureData(kSlotKeySize);
    if (!slot.cipher || !slot.key) {
        slot.Clear();
        return false;
    }
    // Key bytes come from the message's data; without data (nothing to divide by) from the generator.
    uint8_t* key = slot.key.data();
    for (size_t i = 0; i < kSlotKeySize; ++i)
        key[i] = data && dataLength > 0 ? data[RandomIndex(NextSigned(), dataLength)]
                                        : static_cast<uint8_t>(IsaacNext(random_));
    for (char digit : digits)
        key[RandomIndex(NextSigned(), kSlotKeySize)] = static_cast<uint8_t>(digit - '0');
    size_t length = 0;
    if (sdk_.EncryptSlot(passphrase, passphrase.TextLength(), slot.key, slot.cipher, length) != 0 || length == 0
        || length > kSlotCipherSize) {
        slot.Clear();
        return false;
    }
    slot.length = length;
    return true;
}

bool TSecure::GetCachedPassphrase(TSecureKeyRef key, TSecureBytes& passphrase, bool forSigning)
{
    passphrase.Release();
    if (!cacheEnabled_)
        return false;
    TSecureBytes result = NewSecureData(kPassphraseSize);
    if (!result)
        return false;
    // From generation 3 on the SDK supplies the passphrase itself; no buffer is handed out.
    if (generation_ >= 3)
        return forSigning ? sdk_.PassphraseIsValid(key, nullptr) : true;
    bool usable = forSigning ? LoadPassphrase(result, signSlot_) == 0 && sdk_.PassphraseIsValid(key, &result)
                             : LoadPassphrase(result, decryptSlot_) == 0;
    if (usable)
        passphrase = std::move(result);
    return usable;
}

int32_t TSecure::LoadPassphrase(TSecureBytes& out, const TSlot& slot)
{
    if (slot.length == 0)
        return kSlotEmpty;
    return sdk_.DecryptSlot(slot.cipher, slot.length, slot.key, out);
}

bool TSecure::IsCacheEmpty()
{
    if (generation_ >= 3)
        return sdk_.SdkCacheEmpty();
    return signSlot_.length == 0 && decryptSlot_.length == 0;
}

void TSecure::ClearCache()
{
    if (generation_ >= 3)
        PurgeSDKCache();
    signSlot_.Clear();
    decryptSlot_.Clear();
}

bool TSecure::PurgeSDKCache() { return sdk_.PurgeSdkCache(); }

bool TSecure::WipeFile(const std::string& fileName)
{
    if (GetFileAttributesA(fileName.c_str()) == INVALID_FILE_ATTRIBUTES)
        return true;
    if (WipePasses == 0)
        return DeleteFileA(fileName.c_str()) != 0;
    SetCursor(static_cast<HCURSOR>(waitCursor_));
    // Without the support library's wipe (generation 1, or a library that lacks it) the own overwrite runs.
    int32_t status = generation_ >= 2 ? sdk_.WipeFileList(fileName, WipePasses) : kWipeNotAvailable;
    bool gone = status == kWipeNotAvailable
        ? OverwriteAndDeleteFile(fileName, WipePasses, [this] { return IsaacNext(random_); })
        : status == 0 && GetFileAttributesA(fileName.c_str()) == INVALID_FILE_ATTRIBUTES;
    SetCursor(static_cast<HCURSOR>(arrowCursor_));
    return gone;
}

size_t AnsiToUtf8Secure(const char* text, uint8_t* buffer, size_t size)
{
    if (!text || !buffer || size == 0)
        return 0;
    const size_t units = size / 4 + 1;
    TSecureBytes wide(units * sizeof(wchar_t));
    if (!wide)
        return 0;
    auto* wideText = reinterpret_cast<wchar_t*>(wide.data());
    int converted = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wideText, static_cast<int>(units));
    if (converted <= 0)
        return 0;
    int bytes = WideCharToMultiByte(
        CP_UTF8, 0, wideText, converted, reinterpret_cast<char*>(buffer), static_cast<int>(size), nullptr, nullptr);
    // The count includes the terminating zero that came along with the text.
    return bytes > 0 ? static_cast<size_t>(bytes - 1) : 0;
}
