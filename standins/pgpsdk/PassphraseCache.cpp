// Passphrase and key-database caches of the stand-in SDK, and their entry points.
#include "standins/pgpsdk/Guard.h"
#include "standins/pgpsdk/PassphraseCache.h"
#include "standins/pgpsdk/Objects.h"
#include "standins/pgpsdk/StandInExports.h"

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

struct Caches {
    std::mutex lock;
    std::map<std::string, std::pair<SecretBytes, int64_t>> passphrases;
    std::vector<std::pair<std::shared_ptr<KeyDBState>, int64_t>> databases;

    void DropExpired()
    {
        for (auto it = passphrases.begin(); it != passphrases.end();)
            it = Alive(it->second.second) ? std::next(it) : passphrases.erase(it);
        std::erase_if(databases, [](const auto& entry) { return !Alive(entry.second); });
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
    caches.passphrases[keyID] = { SecretBytes(passphrase), ExpiryAfter(seconds) };
}

std::optional<SecretBytes> CachedPassphrase(const std::string& keyID)
{
    auto& caches = TheCaches();
    std::lock_guard guard(caches.lock);
    caches.DropExpired();
    auto it = caches.passphrases.find(keyID);
    if (it == caches.passphrases.end())
        return std::nullopt;
    return it->second.first;
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
