// Transferable keys (RFC 4880 section 11.1) as the key database holds them: a primary key with its
// user ids, sub-keys and signatures, secret parts when known, and our own trust state. Reading
// groups a packet stream into keys; unknown packets are skipped.
#pragma once

#include "standins/pgpsdk/openpgp/KeyPackets.h"
#include "standins/pgpsdk/openpgp/Signature.h"

#include <memory>
#include <string>
#include <vector>

namespace standin::openpgp {

struct SigRecord {
    Signature signature;
    std::string packet; // the packet body as read
    mutable int verified = -1; // cache: -1 not checked yet, 0 bad or uncheckable, 1 good
};

struct UserIDRecord {
    std::string text;
    bool attribute = false;
    std::vector<SigRecord> signatures;
};

struct SubKeyRecord {
    PublicKey key;
    std::string secretPacket; // secret sub-key packet body, empty when the secret part is unknown
    std::vector<SigRecord> signatures;
};

struct KeyRecord {
    PublicKey key;
    std::string secretPacket;
    std::vector<SigRecord> directSignatures; // direct-key and revocation signatures
    std::vector<UserIDRecord> userIDs;
    std::vector<SubKeyRecord> subKeys;
    // Our own state, kept in a trust packet after the key.
    int ownerTrust = 0;
    bool disabled = false;
    bool axiomatic = false;

    bool HasSecret() const { return !secretPacket.empty(); }
    bool Revoked() const;
    // Expiry as Unix time, 0 for never, from the newest self-signature of the primary user id.
    uint32_t Expiration() const;
    const UserIDRecord* PrimaryUserID() const;
};

// Whether `signer` made the signature over the key part it belongs to: a user id (`userID`), a
// sub-key (`subKey`), or the key itself (both null). The result is cached in the record.
bool SignatureVerified(const PublicKey& signer, const KeyRecord& key, const SigRecord& record,
                       const UserIDRecord* userID, const SubKeyRecord* subKey);

// Only signatures the key itself made and that verify count for revocations, bindings, expiry,
// flags and the primary user id, so a forged packet cannot add a sub-key or change a key.
bool SubKeyRevoked(const KeyRecord& key, const SubKeyRecord& sub);
uint32_t SubKeyExpiration(const KeyRecord& key, const SubKeyRecord& sub);
// The newest valid binding of a sub-key, or null when it has none (such a sub-key is unusable).
const SigRecord* SubKeyBinding(const KeyRecord& key, const SubKeyRecord& sub);
// The newest valid self-certification of a user id, or null.
const SigRecord* SelfCertification(const KeyRecord& key, const UserIDRecord& userID);

// Reads the keys of a key file (binary, or armoured blocks). Public and secret keys both become
// records; secret ones carry their packets. Damaged data gives kPGPError_KeyFileCorrupt.
PGPError ReadKeyRecords(std::string_view data, std::vector<std::shared_ptr<KeyRecord>>& keys);

// Adds `from` into `into`: a key already present (same fingerprint) gains the secret parts,
// user ids, sub-keys and signatures it lacked; others are appended.
void MergeKeyRecords(std::vector<std::shared_ptr<KeyRecord>>& into, const std::vector<std::shared_ptr<KeyRecord>>& from);

// The packets of a key: public parts, or the secret parts where known (of the primary key and of
// the sub-keys separately); with our trust packet for our own key files, without for exports.
std::string WriteKeyRecord(const KeyRecord& key, bool secretPrimary, bool secretSubKeys, bool withTrust);

} // namespace standin::openpgp
