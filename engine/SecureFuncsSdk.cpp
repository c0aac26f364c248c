// The passphrase cache's SDK side: one SDK context of its own, slot encryption and decryption in
// single encode and decode calls, the SDK's passphrase cache, and the support library's wipe.
#include "engine/SecureFuncs.h"

#include "engine/KeyFuncsSdk.h"
#include "engine/sdk/pgpAdapters.h"

namespace {

constexpr uint32_t kWipeFlags = 14;
constexpr uint32_t kUntilPurged = static_cast<uint32_t>(-1);

class TSdkSecure : public TSecureSdk {
public:
    TSdkSecure()
    {
        if (SDKProcs.PGPNewContext && SDKProcs.PGPNewContext(kPGPContextVersion, &context_) != 0)
            context_ = 0;
    }
    ~TSdkSecure() override
    {
        if (context_ && SDKProcs.PGPFreeContext)
            SDKProcs.PGPFreeContext(context_);
    }
    TSdkSecure(const TSdkSecure&) = delete;
    TSdkSecure& operator=(const TSdkSecure&) = delete;

    int32_t EncryptSlot(const TSecureBytes& plain, size_t length, const TSecureBytes& key, TSecureBytes& out,
        size_t& outLength) override
    {
        if (!Bound(SDKProcs.PGPEncode) || !SDKProcs.PGPOConventionalEncrypt || !SDKProcs.PGPOPassphraseBuffer)
            return kPGPError_NotImplemented;
        PGPSize written = 0;
        PGPError status = SDKProcs.PGPEncode(context_,
            SDKProcs.PGPOInputBuffer(context_, plain.data(), static_cast<PGPSize>(length)),
            SDKProcs.PGPOOutputBuffer(context_, out.data(), static_cast<PGPSize>(out.size()), &written),
            SDKProcs.PGPOCompression(context_, 1), SDKProcs.PGPOCipherAlgorithm(context_, 1),
            SDKProcs.PGPOConventionalEncrypt(context_,
                SDKProcs.PGPOPassphraseBuffer(context_, key.data(), static_cast<PGPSize>(key.size())),
                kPGPEndOfOptions),
            kPGPEndOfOptions);
        outLength = written;
        return status;
    }

    int32_t DecryptSlot(const TSecureBytes& cipher, size_t length, const TSecureBytes& key, TSecureBytes& out) override
    {
        if (!Bound(SDKProcs.PGPDecode) || !SDKProcs.PGPOPassphraseBuffer)
            return kPGPError_NotImplemented;
        PGPSize written = 0;
        // One byte of the buffer stays zero, so the passphrase is always terminated.
        return SDKProcs.PGPDecode(context_,
            SDKProcs.PGPOInputBuffer(context_, cipher.data(), static_cast<PGPSize>(length)),
            SDKProcs.PGPOOutputBuffer(context_, out.data(), static_cast<PGPSize>(out.size() - 1), &written),
            SDKProcs.PGPOPassphraseBuffer(context_, key.data(), static_cast<PGPSize>(key.size())), kPGPEndOfOptions);
    }

    bool PassphraseIsValid(TSecureKeyRef key, const TSecureBytes* passphrase) override
    {
        if (!Bound(SDKProcs.PGPPassphraseIsValid))
            return false;
        if (!passphrase)
            return SDKProcs.PGPPassphraseIsValid(key, kPGPEndOfOptions) == 1;
        return SDKProcs.PGPPassphraseIsValid(key,
                   SDKProcs.PGPOPassphrase(context_, reinterpret_cast<const char*>(passphrase->data())),
                   kPGPEndOfOptions)
            == 1;
    }

    bool CacheInSdk(TSecureKeyRef key, const TSecureBytes& passphrase, bool share) override
    {
        if (!Bound(SDKProcs.PGPPassphraseIsValid) || !SDKProcs.PGPOPassphrase)
            return false;
        PGPOptionListRef options = 0;
        if (BuildOptionList(context_, &options,
                SDKProcs.PGPOPassphrase(context_, reinterpret_cast<const char*>(passphrase.data())),
                OptionCachePassphrase(context_, -1, share ? 1 : 0))
            != 0)
            return false;
        bool cached = SDKProcs.PGPPassphraseIsValid(key, options, kPGPEndOfOptions) == 1;
        if (SDKProcs.PGPFreeOptionList)
            SDKProcs.PGPFreeOptionList(options);
        return cached && CacheKeyDBOf(key);
    }

    bool PurgeSdkCache() override
    {
        if (!context_)
            return false;
        bool purged = PurgePassphraseCache(context_) == 0;
        return SDKProcs.PGPPurgeKeyDBCache && SDKProcs.PGPPurgeKeyDBCache(context_) == 0 && purged;
    }

    bool SdkCacheEmpty() override
    {
        uint32_t local = 0, shared = 0, localDB = 0, sharedDB = 0;
        if (!context_ || CountCachedPassphrases(context_, &local, &shared, &localDB, &sharedDB) != 0)
            return true;
        return local == 0 && shared == 0 && localDB == 0 && sharedDB == 0;
    }

    int32_t WipeFileList(const std::string& fileName, uint32_t passes) override
    {
        if (!context_)
            return kPGPError_NotImplemented;
        void* list = CmdLineToFileList(fileName);
        if (!list)
            return kPGPError_NotImplemented;
        // The support library consumes the list. Its initialisation is not called: its arguments
        // are not known here, and a guess passed to the library would be unsafe; the library
        // the plug-in ships with needs none for the file list and the wipe.
        return SupportWipeFileList(nullptr, context_, list, kWipeFlags, passes);
    }

private:
    template <class Proc> bool Bound(Proc proc) const { return context_ != 0 && proc != nullptr; }

    // The SDK keeps the database of the key as long as the passphrase: the key it unlocked stays
    // with it.
    static bool CacheKeyDBOf(TSecureKeyRef key)
    {
        if (!SDKProcs.PGPCacheKeyDB || !SDKProcs.PGPNewOneKeySet || !SDKProcs.PGPPeekKeySetKeyDB)
            return false;
        TOwnedKeySet one;
        if (SDKProcs.PGPNewOneKeySet(key, one.Out()) != 0)
            return false;
        const PGPKeyDBRef db = SDKProcs.PGPPeekKeySetKeyDB(one.Get());
        return db && SDKProcs.PGPCacheKeyDB(db, kUntilPurged) == 0;
    }

    PGPContextRef context_ = 0;
};

} // namespace

std::unique_ptr<TSecureSdk> NewSdkSecure() { return std::make_unique<TSdkSecure>(); }
