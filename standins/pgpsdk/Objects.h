// The stand-in core's shared object types: file specs and the key database with its sets, lists,
// iterators, filters and the handles of keys, sub-keys, user ids and signatures.
#pragma once

#include "standins/pgpsdk/HandleTable.h"
#include "standins/pgpsdk/openpgp/KeyRing.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace standin {

using openpgp::KeyRecord;
using openpgp::SigRecord;
using openpgp::SubKeyRecord;
using openpgp::UserIDRecord;

struct FileSpec : SdkObject {
    std::string path;
};

struct KeyDBState {
    std::vector<std::shared_ptr<KeyRecord>> keys;
    // Deleted keys stay alive with the database, so sets and lists that still name them stay safe.
    std::vector<std::shared_ptr<KeyRecord>> removed;
    std::string publicPath, secretPath; // empty for an in-memory database
    bool writable = false;
    PGPKeyDBRef handle = 0;
    PGPKeySetRef rootSet = 0;
    std::map<const void*, PGPHandle> objectHandles; // record -> its object handle
};

struct KeyDB : SdkObject {
    std::shared_ptr<KeyDBState> state;
};

enum class KeyObjectKind { Key, SubKey, UserID, Signature };

struct KeyObject : SdkObject {
    std::shared_ptr<KeyDBState> db;
    KeyObjectKind kind = KeyObjectKind::Key;
    KeyRecord* key = nullptr;
    SubKeyRecord* subKey = nullptr;
    UserIDRecord* userID = nullptr;
    SigRecord* signature = nullptr;
};

struct KeySet : SdkObject {
    std::shared_ptr<KeyDBState> db;
    bool root = false; // the database's own set: always all its keys
    std::vector<KeyRecord*> members;
    int references = 1;

    std::vector<KeyRecord*> Keys() const;
};

// A new key set of the named keys of db (0 without a database); the caller frees it.
PGPKeySetRef NewMembersKeySet(const std::shared_ptr<KeyDBState>& db, const std::vector<KeyRecord*>& members);
// The recipients event of a message: the set of its recipients' known keys and the ids it names.
PGPEvent RecipientsEvent(PGPKeySetRef known, std::vector<PGPKeyID>& ids);

struct KeyList : SdkObject {
    std::shared_ptr<KeyDBState> db;
    std::vector<KeyRecord*> keys;
};

struct KeyIter : SdkObject {
    std::shared_ptr<KeyDBState> db;
    std::vector<KeyRecord*> keys;
    int key = -1, subKey = -1, userID = -1, signature = -1;
};

struct Filter : SdkObject {
    enum class Op { Boolean, Numeric, Data, Union, Intersect, Negate } op = Op::Boolean;
    int32_t property = 0;
    int32_t value = 0;
    int32_t match = 0;
    std::string data;
    std::shared_ptr<Filter> first, second;
};

// The handle of a key-database object, made once per record and freed with the database.
PGPKeyDBObjRef ObjectHandle(const std::shared_ptr<KeyDBState>& db, KeyObjectKind kind, KeyRecord* key,
                            SubKeyRecord* subKey = nullptr, UserIDRecord* userID = nullptr, SigRecord* signature = nullptr);

bool FilterMatches(const Filter& filter, const KeyDBState& db, const KeyRecord& key);
bool FilterPropertyKnown(Filter::Op op, int32_t property);

// Comparison helpers shared by properties, filters and orders.
int32_t KeyNumber(const KeyDBState& db, const KeyRecord& key, int32_t property); // numeric key properties 200..208
// Validity 0..3: keys of our own (axiomatic or with a secret part) are valid, and so are keys one of
// them certified with a signature that verifies; the others are unknown.
int KeyValidity(const KeyDBState& db, const KeyRecord& key);
std::string UserIDName(const std::string& text);
std::string UserIDEmail(const std::string& text);
PGPKeyID MakeKeyID(const openpgp::PublicKey& key);

// The part of a key that messages to it are encrypted to: its newest usable encryption sub-key,
// else the primary key when that may encrypt; null when the key cannot receive messages.
const openpgp::PublicKey* EncryptionKeyOf(const KeyRecord& key);
// The part of a key that signs: the primary key when it may sign, else its newest usable signing
// sub-key; with `needSecret` only a part whose secret is known. Null parts when there is none.
struct TSigningPart {
    const openpgp::PublicKey* publicKey = nullptr;
    const std::string* secretPacket = nullptr;
};
TSigningPart SigningKeyOf(const KeyRecord& key, bool needSecret);
// The ciphers the key's owner prefers, from its valid self-certification.
std::vector<int> PreferredCiphersOf(const KeyRecord& key);
PGPKeyID MakeKeyID(const std::string& id8, int algorithm);

} // namespace standin
