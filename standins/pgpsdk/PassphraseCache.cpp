// Passphrase and key-database caches of the stand-in SDK, what unlocking a key with a cached
// passphrase gave, and their entry points.
#include "standins/pgpsdk/Guard.h"
#include "standins/pgpsdk/PassphraseCache.h"
#include "standins/pgpsdk/Memory.h"
#include "standins/pgpsdk/Objects.h"
#include "standins/pgpsdk/StandInExports.h"
#include "standins/pgpsdk/openpgp/KeyPackets.h"

#include <algorithm>
#include <ctime>
#include <map>
#include <mutex>
#include <vector>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace standin {
namespace {

int64_t Now() { return static_cast<int64_t>(std::time(nullptr)); }

int64_t ExpiryAfter(int64_t seconds) { return seconds < 0 ? 0 : Now() + seconds; }

bool Alive(int64_t expiry) { return expiry == 0 || expiry > Now(); }

// Constant time: how much of a guess is right must not show.
bool SameSecret(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    unsigned char differ = 0;
    for (size_t i = 0; i < a.size(); ++i)
        differ |= static_cast<unsigned char>(a[i] ^ b[i]);
    return differ == 0;
}

// A cached passphrase and, once it unlocked its key, the key's secret MPIs, both in secure memory.
// The unlocking counts only for the protected form it opened: a changed passphrase or key is
// unlocked afresh.
class CachedKey {
public:
    CachedKey(std::string_view passphrase, int64_t expiry) : passphrase_(passphrase), expiry_(expiry) { }

    bool Holds(std::string_view passphrase) const { return SameSecret(passphrase_.View(), passphrase); }
    bool Unlocked() const { return !secretSizes_.empty(); }
    bool Opens(const openpgp::SecretKey& key, std::string_view passphrase) const
    {
        return Unlocked() && lockedForm_ == LockedForm(key) && Holds(passphrase);
    }
    SecretBytes Passphrase() const { return SecretBytes(passphrase_.View()); }
    int64_t Expiry() const { return expiry_; }
    void ExpireAfter(int64_t expiry) { expiry_ = expiry; }

    void Keep(const openpgp::SecretKey& key, const std::vector<std::string>& secrets)
    {
        PlainString joined;
        std::vector<size_t> sizes;
        for (const auto& secret : secrets) {
            joined.Text() += secret;
            sizes.push_back(secret.size());
        }
        secrets_ = SecureBlock(joined.View());
        secretSizes_ = std::move(sizes);
        lockedForm_ = LockedForm(key);
    }
    std::vector<std::string> Secrets() const
    {
        std::vector<std::string> secrets;
        size_t at = 0;
        for (size_t size : secretSizes_) {
            secrets.emplace_back(secrets_.View().substr(at, size));
            at += size;
        }
        return secrets;
    }

private:
    static std::string LockedForm(const openpgp::SecretKey& key) { return key.iv + key.secretData; }

    SecureBlock passphrase_;
    int64_t expiry_;
    std::string lockedForm_; // encrypted: nothing secret
    SecureBlock secrets_;
    std::vector<size_t> secretSizes_;
};

struct Caches {
    std::mutex lock;
    std::map<std::string, CachedKey> passphrases;
    std::vector<std::pair<std::shared_ptr<KeyDBState>, int64_t>> databases;
    uint32_t unlocks = 0;

    void DropExpired()
    {
        for (auto it = passphrases.begin(); it != passphrases.end();)
            it = Alive(it->second.Expiry()) ? std::next(it) : passphrases.erase(it);
        std::erase_if(databases, [](const auto& entry) { return !Alive(entry.second); });
    }
    CachedKey* Find(const std::string& keyID)
    {
        DropExpired();
        auto it = passphrases.find(keyID);
        return it == passphrases.end() ? nullptr : &it->second;
    }
    // The same passphrase again keeps what its unlocking left; another one replaces it.
    CachedKey& Cache(const std::string& keyID, std::string_view passphrase, int32_t seconds)
    {
        CachedKey* held = Find(keyID);
        if (held && held->Holds(passphrase)) {
            held->ExpireAfter(ExpiryAfter(seconds));
            return *held;
        }
        passphrases.erase(keyID);
        return passphrases.emplace(keyID, CachedKey(passphrase, ExpiryAfter(seconds))).first->second;
    }
};

Caches& TheCaches()
{
    static Caches caches;
    return caches;
}

PGPError Count(uint32_t* local, uint32_t* shared, uint32_t* localDB, uint32_t* sharedDB)
{
    if (!local || !shared || !localDB || !sharedDB)
        return kPGPError_BadParams;
    *local = CachedPassphraseCount();
    *localDB = CachedKeyDBCount();
    *shared = *sharedDB = 0;
    return kPGPError_NoErr;
}

} // namespace

void CachePassphrase(const std::string& keyID, std::string_view passphrase, int32_t seconds)
{
    auto& caches = TheCaches();
    std::lock_guard guard(caches.lock);
    caches.Cache(keyID, passphrase, seconds);
}

std::optional<SecretBytes> CachedPassphrase(const std::string& keyID)
{
    auto& caches = TheCaches();
    std::lock_guard guard(caches.lock);
    const CachedKey* held = caches.Find(keyID);
    if (!held)
        return std::nullopt;
    return held->Passphrase();
}

PGPError UnlockKey(const openpgp::SecretKey& key, std::string_view passphrase, std::vector<std::string>& secrets,
                   const int32_t* cacheSeconds)
{
    auto& caches = TheCaches();
    const std::string keyID = key.publicKey.KeyID();
    if (key.Protected()) {
        std::lock_guard guard(caches.lock);
        if (CachedKey* held = caches.Find(keyID); held && held->Opens(key, passphrase)) {
            secrets = held->Secrets();
            if (cacheSeconds)
                held->ExpireAfter(ExpiryAfter(*cacheSeconds));
            return kPGPError_NoErr;
        }
    }
    // Outside the lock: the hashing takes long.
    PGPError status = openpgp::UnlockSecretKey(key, passphrase, secrets);
    std::lock_guard guard(caches.lock);
    if (key.Protected())
        ++caches.unlocks;
    if (status != kPGPError_NoErr)
        return status;
    CachedKey* held = cacheSeconds ? &caches.Cache(keyID, passphrase, *cacheSeconds) : caches.Find(keyID);
    if (held && key.Protected() && held->Holds(passphrase))
        held->Keep(key, secrets);
    return status;
}

bool UnlockedWith(const std::vector<std::string>& keyIDs, std::string_view passphrase)
{
    auto& caches = TheCaches();
    std::lock_guard guard(caches.lock);
    return std::any_of(keyIDs.begin(), keyIDs.end(), [&](const std::string& keyID) {
        const CachedKey* held = caches.Find(keyID);
        return held && held->Unlocked() && held->Holds(passphrase);
    });
}

uint32_t KeyUnlockCount()
{
    auto& caches = TheCaches();
    std::lock_guard guard(caches.lock);
    return caches.unlocks;
}

uint32_t CachedPassphraseCount()
{
    auto& caches = TheCaches();
    std::lock_guard guard(caches.lock);
    caches.DropExpired();
    return static_cast<uint32_t>(caches.passphrases.size());
}

void PurgePassphrases()
{
    auto& caches = TheCaches();
    std::lock_guard guard(caches.lock);
    caches.passphrases.clear();
}

void CacheKeyDB(const std::shared_ptr<KeyDBState>& db, uint32_t seconds)
{
    auto& caches = TheCaches();
    std::lock_guard guard(caches.lock);
    std::erase_if(caches.databases, [&](const auto& entry) { return entry.first == db; });
    caches.databases.emplace_back(db, ExpiryAfter(seconds));
}

uint32_t CachedKeyDBCount()
{
    auto& caches = TheCaches();
    std::lock_guard guard(caches.lock);
    caches.DropExpired();
    return static_cast<uint32_t>(caches.databases.size());
}

void PurgeKeyDBs()
{
    auto& caches = TheCaches();
    std::lock_guard guard(caches.lock);
    caches.databases.clear();
}

} // namespace standin

using namespace standin;

extern "C" {

#if !defined(STANDIN_WITHOUT_NAMED_CACHE)
// The generation-2 variant is built without the named cache, as an SDK that predates it.
PGPError PGP_CDECL PGPPurgeNamedPassphraseCache(PGPContextRef context, const char*)
{
    return Guarded([&]() -> PGPError {
        if (!Handles().Contains(context, ObjectKind::Context))
            return kPGPError_BadParams;
        PurgePassphrases();
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPCountCachedNamedPassphrases(PGPContextRef context, const char*, uint32_t* local,
                                                  uint32_t* shared, uint32_t* localDB, uint32_t* sharedDB)
{
    return Guarded([&]() -> PGPError {
        if (!Handles().Contains(context, ObjectKind::Context))
            return kPGPError_BadParams;
        return Count(local, shared, localDB, sharedDB);
    });
}
#endif

PGPError PGP_CDECL PGPPurgePassphraseCache(PGPContextRef context)
{
    return Guarded([&]() -> PGPError {
        if (!Handles().Contains(context, ObjectKind::Context))
            return kPGPError_BadParams;
        PurgePassphrases();
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPCountCachedPassphrases(PGPContextRef context, uint32_t* local, uint32_t* shared,
                                             uint32_t* localDB, uint32_t* sharedDB)
{
    return Guarded([&]() -> PGPError {
        if (!Handles().Contains(context, ObjectKind::Context))
            return kPGPError_BadParams;
        return Count(local, shared, localDB, sharedDB);
    });
}

PGPError PGP_CDECL PGPCacheKeyDB(PGPKeyDBRef db, uint32_t seconds)
{
    return Guarded([&]() -> PGPError {
        auto object = Handles().Get<KeyDB>(db, ObjectKind::KeyDB);
        if (!object)
            return kPGPError_BadParams;
        CacheKeyDB(object->state, seconds);
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPPurgeKeyDBCache(PGPContextRef context)
{
    return Guarded([&]() -> PGPError {
        if (!Handles().Contains(context, ObjectKind::Context))
            return kPGPError_BadParams;
        PurgeKeyDBs();
        return kPGPError_NoErr;
    });
}

} // extern "C"
