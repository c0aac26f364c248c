// The SDK's own passphrase cache (per process; the "shared" flag is accepted and ignored) and the
// key-database cache, both with expiry.
#pragma once

#include "standins/pgpsdk/SecretBytes.h"
#include "engine/sdk/PGPsdkTypes.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace standin {

namespace openpgp {
struct SecretKey;
}

struct KeyDBState;

// seconds < 0: until purged. Another passphrase for the key drops what its unlocking left.
void CachePassphrase(const std::string& keyID, std::string_view passphrase, int32_t seconds);
std::optional<SecretBytes> CachedPassphrase(const std::string& keyID);
uint32_t CachedPassphraseCount();
void PurgePassphrases();

// The secret MPIs of the key for the passphrase. Unlocking hashes the passphrase over many
// megabytes, so what it gives is kept with the key's cached passphrase, in secure memory, until the
// cache drops it: a key is unlocked once while its passphrase is cached. `cacheSeconds` caches the
// passphrase for the key when it unlocks it.
PGPError UnlockKey(const openpgp::SecretKey& key, std::string_view passphrase, std::vector<std::string>& secrets,
                   const int32_t* cacheSeconds = nullptr);
// Whether the passphrase unlocked the key part of one of these ids while it was cached.
bool UnlockedWith(const std::vector<std::string>& keyIDs, std::string_view passphrase);
// How many times UnlockKey unlocked a protected key afresh: what the kept unlocking saves.
uint32_t KeyUnlockCount();

void CacheKeyDB(const std::shared_ptr<KeyDBState>& db, uint32_t seconds);
uint32_t CachedKeyDBCount();
void PurgeKeyDBs();

} // namespace standin
