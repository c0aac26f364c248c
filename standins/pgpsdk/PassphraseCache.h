// The SDK's own passphrase cache (per process; the "shared" flag is accepted and ignored) and the
// key-database cache, both with expiry.
#pragma once

#include "standins/pgpsdk/SecretBytes.h"

#include <memory>
#include <optional>
#include <string>

namespace standin {

struct KeyDBState;

// seconds < 0: until purged.
void CachePassphrase(const std::string& keyID, std::string_view passphrase, int32_t seconds);
std::optional<SecretBytes> CachedPassphrase(const std::string& keyID);
uint32_t CachedPassphraseCount();
void PurgePassphrases();

void CacheKeyDB(const std::shared_ptr<KeyDBState>& db, uint32_t seconds);
uint32_t CachedKeyDBCount();
void PurgeKeyDBs();

} // namespace standin
