// The key database of the stand-in SDK: opening the two key files, key sets, orders, lists,
// iterators and look-ups. Every handle passed in is checked in the handle table.
#include "standins/pgpsdk/Guard.h"
#include "standins/pgpsdk/Objects.h"
#include "standins/pgpsdk/StandInExports.h"
#include "standins/pgpsdk/TestHooks.h"
#include "standins/pgpsdk/X509Certs.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace standin {

std::vector<KeyRecord*> KeySet::Keys() const
{
    std::vector<KeyRecord*> all;
    for (const auto& key : db->keys)
        all.push_back(key.get());
    if (root)
        return all;
    std::vector<KeyRecord*> present;
    for (KeyRecord* key : members)
        if (std::find(all.begin(), all.end(), key) != all.end())
            present.push_back(key);
    return present;
}

PGPKeySetRef NewMembersKeySet(const std::shared_ptr<KeyDBState>& db, const std::vector<KeyRecord*>& members)
{
    if (!db)
        return 0;
    auto set = std::make_shared<KeySet>();
    set->db = db;
    set->members = members;
    return Handles().Add(ObjectKind::KeySet, set);
}

PGPEvent RecipientsEvent(PGPKeySetRef known, std::vector<PGPKeyID>& ids)
{
    PGPEvent event {};
    event.type = kPGPEvent_Recipients;
    event.data.recipientsData.recipientSet = known;
    event.data.recipientsData.keyCount = static_cast<uint32_t>(ids.size());
    event.data.recipientsData.keyIDArray = ids.data();
    return event;
}

PGPKeyDBObjRef ObjectHandle(const std::shared_ptr<KeyDBState>& db, KeyObjectKind kind, KeyRecord* key,
                            SubKeyRecord* subKey, UserIDRecord* userID, SigRecord* signature)
{
    const void* record = signature ? static_cast<const void*>(signature)
        : userID                   ? static_cast<const void*>(userID)
        : subKey                   ? static_cast<const void*>(subKey)
                                   : static_cast<const void*>(key);
    auto known = db->objectHandles.find(record);
    if (known != db->objectHandles.end())
        return known->second;
    auto object = std::make_shared<KeyObject>();
    object->db = db;
    object->kind = kind;
    object->key = key;
    object->subKey = subKey;
    object->userID = userID;
    object->signature = signature;
    PGPKeyDBObjRef handle = Handles().Add(ObjectKind::KeyDBObj, std::move(object));
    db->objectHandles[record] = handle;
    return handle;
}

PGPKeyID MakeKeyID(const std::string& id8, int algorithm)
{
    PGPKeyID id {};
    id.length = 8;
    id.algorithm = static_cast<uint8_t>(algorithm);
    std::memcpy(id.id, id8.data(), std::min<size_t>(id8.size(), 8));
    return id;
}

PGPKeyID MakeKeyID(const openpgp::PublicKey& key) { return MakeKeyID(key.KeyID(), key.algorithm); }

namespace {

std::string ReadWholeFile(const std::string& path, bool& exists)
{
    std::ifstream in(path, std::ios::binary);
    exists = static_cast<bool>(in);
    std::ostringstream data;
    if (exists)
        data << in.rdbuf();
    return data.str();
}

PGPError ReadKeyFile(const std::string& path, std::vector<std::shared_ptr<KeyRecord>>& keys)
{
    bool exists = false;
    std::string data = ReadWholeFile(path, exists);
    if (!exists)
        return kPGPError_NoErr; // a key file not made yet holds no keys
    std::vector<std::shared_ptr<KeyRecord>> read;
    PGPError status = openpgp::ReadKeyRecords(data, read);
    if (status == kPGPError_NoErr)
        openpgp::MergeKeyRecords(keys, read);
    return status;
}

PGPKeyDBRef RegisterDB(std::shared_ptr<KeyDBState> state)
{
    auto db = std::make_shared<KeyDB>();
    db->state = state;
    state->handle = Handles().Add(ObjectKind::KeyDB, db);
    auto root = std::make_shared<KeySet>();
    root->db = state;
    root->root = true;
    state->rootSet = Handles().Add(ObjectKind::KeySet, root);
    return state->handle;
}

PGPKeySetRef NewSet(const std::shared_ptr<KeyDBState>& db, std::vector<KeyRecord*> members)
{
    auto set = std::make_shared<KeySet>();
    set->db = db;
    set->members = std::move(members);
    return Handles().Add(ObjectKind::KeySet, std::move(set));
}

bool Contains(const std::vector<KeyRecord*>& keys, const KeyRecord* key)
{
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string PrimaryText(const KeyRecord* key)
{
    const UserIDRecord* primary = key->PrimaryUserID();
    return primary ? Lower(primary->text) : std::string();
}

// Sort key of an order; a smaller value sorts first.
bool OrderLess(const KeyDBState& db, int32_t order, const KeyRecord* a, const KeyRecord* b)
{
    switch (order) {
    case kPGPOrder_UserID:
        return PrimaryText(a) < PrimaryText(b);
    case kPGPOrder_KeyID:
        return a->key.KeyID() < b->key.KeyID();
    case kPGPOrder_Validity:
        return KeyValidity(db, *a) < KeyValidity(db, *b);
    case kPGPOrder_Trust:
        return a->ownerTrust < b->ownerTrust;
    case kPGPOrder_KeySize:
        return a->key.Bits() < b->key.Bits();
    case kPGPOrder_Creation:
        return a->key.created < b->key.created;
    case kPGPOrder_Expiration:
        return a->Expiration() < b->Expiration();
    default:
        return false;
    }
}

std::shared_ptr<KeyObject> ObjectOf(PGPKeyDBObjRef handle)
{
    return Handles().Get<KeyObject>(handle, ObjectKind::KeyDBObj);
}

KeyRecord* FindKey(KeyDBState& db, const PGPKeyID& id)
{
    if (id.length != 8 && id.length != 4)
        return nullptr;
    auto matches = [&](const std::string& keyID) {
        return id.length == 8 ? std::memcmp(keyID.data(), id.id, 8) == 0
                              : std::memcmp(keyID.data() + 4, id.id + 4, 4) == 0;
    };
    for (const auto& key : db.keys) {
        if (matches(key->key.KeyID()))
            return key.get();
        for (const auto& sub : key->subKeys)
            if (matches(sub.key.KeyID()))
                return key.get();
    }
    return nullptr;
}

} // namespace
} // namespace standin

using namespace standin;

extern "C" {

PGPError PGP_CDECL PGPOpenKeyDBFile(PGPContextRef context, uint32_t flags, PGPFileSpecRef pub, PGPFileSpecRef sec,
                                    PGPKeyDBRef* db)
{
    return Guarded([&]() -> PGPError {
        if (!db)
            return kPGPError_BadParams;
        *db = 0;
        auto publicSpec = Handles().Get<FileSpec>(pub, ObjectKind::FileSpec);
        auto secretSpec = Handles().Get<FileSpec>(sec, ObjectKind::FileSpec);
        if (!Handles().Contains(context, ObjectKind::Context) || !publicSpec || !secretSpec)
            return kPGPError_BadParams;
        if (ServiceFaultPending())
            return kPGPError_ServiceUnreachable;
        auto state = std::make_shared<KeyDBState>();
        state->publicPath = publicSpec->path;
        state->secretPath = secretSpec->path;
        state->writable = (flags & kPGPOpenKeyDB_Mutable) != 0;
        PGPError status = ReadKeyFile(state->publicPath, state->keys);
        if (status == kPGPError_NoErr)
            status = ReadKeyFile(state->secretPath, state->keys);
        if (status != kPGPError_NoErr)
            return status;
        *db = RegisterDB(std::move(state));
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPNewKeyDB(PGPContextRef context, PGPKeyDBRef* db)
{
    return Guarded([&]() -> PGPError {
        if (!db)
            return kPGPError_BadParams;
        *db = 0;
        if (!Handles().Contains(context, ObjectKind::Context))
            return kPGPError_BadParams;
        auto state = std::make_shared<KeyDBState>();
        state->writable = true;
        *db = RegisterDB(std::move(state));
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPFreeKeyDB(PGPKeyDBRef db)
{
    return Guarded([&]() -> PGPError {
        auto object = std::static_pointer_cast<KeyDB>(Handles().Take(db, ObjectKind::KeyDB));
        if (!object)
            return kPGPError_BadParams;
        Handles().Take(object->state->rootSet, ObjectKind::KeySet);
        for (const auto& [record, handle] : object->state->objectHandles)
            Handles().Take(handle, ObjectKind::KeyDBObj);
        object->state->objectHandles.clear();
        return kPGPError_NoErr;
    });
}

PGPKeySetRef PGP_CDECL PGPPeekKeyDBRootKeySet(PGPKeyDBRef db)
{
    auto object = Handles().Get<KeyDB>(db, ObjectKind::KeyDB);
    return object ? object->state->rootSet : 0;
}

PGPKeyDBRef PGP_CDECL PGPPeekKeySetKeyDB(PGPKeySetRef set)
{
    auto object = Handles().Get<KeySet>(set, ObjectKind::KeySet);
    return object ? object->db->handle : 0;
}

PGPError PGP_CDECL PGPNewEmptyKeySet(PGPKeyDBRef db, PGPKeySetRef* set)
{
    return Guarded([&]() -> PGPError {
        if (!set)
            return kPGPError_BadParams;
        *set = 0;
        auto object = Handles().Get<KeyDB>(db, ObjectKind::KeyDB);
        if (!object)
            return kPGPError_BadParams;
        *set = NewSet(object->state, {});
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPNewOneKeySet(PGPKeyDBObjRef key, PGPKeySetRef* set)
{
    return Guarded([&]() -> PGPError {
        if (!set)
            return kPGPError_BadParams;
        *set = 0;
        auto object = ObjectOf(key);
        if (!object)
            return kPGPError_BadParams;
        *set = NewSet(object->db, { object->key });
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPAddKeys(PGPKeySetRef from, PGPKeySetRef to)
{
    return Guarded([&]() -> PGPError {
        auto source = Handles().Get<KeySet>(from, ObjectKind::KeySet);
        auto target = Handles().Get<KeySet>(to, ObjectKind::KeySet);
        if (!source || !target)
            return kPGPError_BadParams;
        std::vector<KeyRecord*> adding = source->Keys();
        if (source->db != target->db) {
            // Keys of another database join the target's database (merged by fingerprint).
            std::vector<std::shared_ptr<KeyRecord>> copies;
            for (KeyRecord* key : adding)
                copies.push_back(std::make_shared<KeyRecord>(*key));
            openpgp::MergeKeyRecords(target->db->keys, copies);
            adding.clear();
            for (const auto& copy : copies)
                for (const auto& key : target->db->keys)
                    if (key->key.Fingerprint() == copy->key.Fingerprint() && !Contains(adding, key.get()))
                        adding.push_back(key.get());
        }
        if (!target->root)
            for (KeyRecord* key : adding)
                if (!Contains(target->members, key))
                    target->members.push_back(key);
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPFreeKeySet(PGPKeySetRef set)
{
    return Guarded([&]() -> PGPError {
        auto object = Handles().Get<KeySet>(set, ObjectKind::KeySet);
        if (!object || object->root)
            return kPGPError_BadParams; // the root set belongs to its database
        if (--object->references == 0)
            Handles().Take(set, ObjectKind::KeySet);
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPIncKeySetRefCount(PGPKeySetRef set)
{
    return Guarded([&]() -> PGPError {
        auto object = Handles().Get<KeySet>(set, ObjectKind::KeySet);
        if (!object)
            return kPGPError_BadParams;
        if (!object->root)
            ++object->references;
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPCountKeys(PGPKeySetRef set, uint32_t* count)
{
    return Guarded([&]() -> PGPError {
        auto object = Handles().Get<KeySet>(set, ObjectKind::KeySet);
        if (!object || !count)
            return kPGPError_BadParams;
        *count = static_cast<uint32_t>(object->Keys().size());
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPFilterKeySet(PGPKeySetRef set, PGPFilterRef filter, PGPKeySetRef* out)
{
    return Guarded([&]() -> PGPError {
        if (!out)
            return kPGPError_BadParams;
        *out = 0;
        auto object = Handles().Get<KeySet>(set, ObjectKind::KeySet);
        auto test = Handles().Get<Filter>(filter, ObjectKind::Filter);
        if (!object || !test)
            return kPGPError_BadParams;
        std::vector<KeyRecord*> kept;
        for (KeyRecord* key : object->Keys())
            if (FilterMatches(*test, *object->db, *key))
                kept.push_back(key);
        *out = NewSet(object->db, std::move(kept));
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPOrderKeySet(PGPKeySetRef set, int32_t order, PGPBoolean reverse, PGPKeyListRef* list)
{
    return Guarded([&]() -> PGPError {
        if (!list)
            return kPGPError_BadParams;
        *list = 0;
        auto object = Handles().Get<KeySet>(set, ObjectKind::KeySet);
        if (!object || order < kPGPOrder_Any || order > kPGPOrder_Expiration)
            return kPGPError_BadParams;
        auto ordered = std::make_shared<KeyList>();
        ordered->db = object->db;
        ordered->keys = object->Keys();
        std::stable_sort(ordered->keys.begin(), ordered->keys.end(),
                         [&](const KeyRecord* a, const KeyRecord* b) { return OrderLess(*ordered->db, order, a, b); });
        if (reverse)
            std::reverse(ordered->keys.begin(), ordered->keys.end());
        *list = Handles().Add(ObjectKind::KeyList, std::move(ordered));
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPFreeKeyList(PGPKeyListRef list)
{
    return Guarded([&]() -> PGPError {
        return Handles().Take(list, ObjectKind::KeyList) ? kPGPError_NoErr : kPGPError_BadParams;
    });
}

PGPError PGP_CDECL PGPNewKeyIter(PGPKeyListRef list, PGPKeyIterRef* iter)
{
    return Guarded([&]() -> PGPError {
        if (!iter)
            return kPGPError_BadParams;
        *iter = 0;
        auto object = Handles().Get<KeyList>(list, ObjectKind::KeyList);
        if (!object)
            return kPGPError_BadParams;
        auto walker = std::make_shared<KeyIter>();
        walker->db = object->db;
        walker->keys = object->keys;
        *iter = Handles().Add(ObjectKind::KeyIter, std::move(walker));
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPNewKeyIterFromKeySet(PGPKeySetRef set, PGPKeyIterRef* iter)
{
    return Guarded([&]() -> PGPError {
        if (!iter)
            return kPGPError_BadParams;
        *iter = 0;
        auto object = Handles().Get<KeySet>(set, ObjectKind::KeySet);
        if (!object)
            return kPGPError_BadParams;
        auto walker = std::make_shared<KeyIter>();
        walker->db = object->db;
        walker->keys = object->Keys();
        *iter = Handles().Add(ObjectKind::KeyIter, std::move(walker));
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPFreeKeyIter(PGPKeyIterRef iter)
{
    return Guarded([&]() -> PGPError {
        return Handles().Take(iter, ObjectKind::KeyIter) ? kPGPError_NoErr : kPGPError_BadParams;
    });
}

PGPError PGP_CDECL PGPKeyIterNextKeyDBObj(PGPKeyIterRef iter, int32_t kind, PGPKeyDBObjRef* out)
{
    return Guarded([&]() -> PGPError {
        if (!out)
            return kPGPError_BadParams;
        *out = 0;
        auto it = Handles().Get<KeyIter>(iter, ObjectKind::KeyIter);
        if (!it)
            return kPGPError_BadParams;
        switch (kind) {
        case kPGPIter_Key:
            if (it->key + 1 >= static_cast<int>(it->keys.size()))
                return kPGPError_EndOfIteration;
            ++it->key;
            it->subKey = it->userID = it->signature = -1;
            *out = ObjectHandle(it->db, KeyObjectKind::Key, it->keys[it->key]);
            return kPGPError_NoErr;
        case kPGPIter_SubKey: {
            if (it->key < 0)
                return kPGPError_EndOfIteration;
            KeyRecord* key = it->keys[it->key];
            if (it->subKey + 1 >= static_cast<int>(key->subKeys.size()))
                return kPGPError_EndOfIteration;
            ++it->subKey;
            *out = ObjectHandle(it->db, KeyObjectKind::SubKey, key, &key->subKeys[it->subKey]);
            return kPGPError_NoErr;
        }
        case kPGPIter_UserID: {
            if (it->key < 0)
                return kPGPError_EndOfIteration;
            KeyRecord* key = it->keys[it->key];
            if (it->userID + 1 >= static_cast<int>(key->userIDs.size()))
                return kPGPError_EndOfIteration;
            ++it->userID;
            it->signature = -1;
            *out = ObjectHandle(it->db, KeyObjectKind::UserID, key, nullptr, &key->userIDs[it->userID]);
            return kPGPError_NoErr;
        }
        case kPGPIter_Signature: {
            if (it->key < 0 || it->userID < 0)
                return kPGPError_EndOfIteration;
            KeyRecord* key = it->keys[it->key];
            UserIDRecord& userID = key->userIDs[it->userID];
            if (it->signature + 1 >= static_cast<int>(userID.signatures.size()))
                return kPGPError_EndOfIteration;
            ++it->signature;
            *out = ObjectHandle(it->db, KeyObjectKind::Signature, key, nullptr, &userID,
                                &userID.signatures[it->signature]);
            return kPGPError_NoErr;
        }
        default:
            return kPGPError_BadParams;
        }
    });
}

PGPError PGP_CDECL PGPKeyIterRewind(PGPKeyIterRef iter, int32_t kind)
{
    return Guarded([&]() -> PGPError {
        auto it = Handles().Get<KeyIter>(iter, ObjectKind::KeyIter);
        if (!it)
            return kPGPError_BadParams;
        switch (kind) {
        case kPGPIter_Key:
            it->key = it->subKey = it->userID = it->signature = -1;
            return kPGPError_NoErr;
        case kPGPIter_SubKey:
            it->subKey = -1;
            return kPGPError_NoErr;
        case kPGPIter_UserID:
            it->userID = it->signature = -1;
            return kPGPError_NoErr;
        case kPGPIter_Signature:
            it->signature = -1;
            return kPGPError_NoErr;
        default:
            return kPGPError_BadParams;
        }
    });
}

PGPKeyDBObjRef PGP_CDECL PGPPeekKeyDBObjKey(PGPKeyDBObjRef obj)
{
    auto object = ObjectOf(obj);
    return object ? ObjectHandle(object->db, KeyObjectKind::Key, object->key) : 0;
}

PGPError PGP_CDECL PGPGetKeyID(PGPKeyDBObjRef obj, PGPKeyID* id)
{
    return Guarded([&]() -> PGPError {
        auto object = ObjectOf(obj);
        if (!object || !id)
            return kPGPError_BadParams;
        if (object->kind == KeyObjectKind::Key)
            *id = MakeKeyID(object->key->key);
        else if (object->kind == KeyObjectKind::SubKey)
            *id = MakeKeyID(object->subKey->key);
        else
            return kPGPError_WrongObjectKind;
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPFindKeyByKeyID(PGPKeyDBRef db, const PGPKeyID* id, PGPKeyDBObjRef* key)
{
    return Guarded([&]() -> PGPError {
        if (!key)
            return kPGPError_BadParams;
        *key = 0;
        auto object = Handles().Get<KeyDB>(db, ObjectKind::KeyDB);
        if (!object || !id)
            return kPGPError_BadParams;
        KeyRecord* found = FindKey(*object->state, *id);
        if (!found)
            return kPGPError_EndOfIteration;
        *key = ObjectHandle(object->state, KeyObjectKind::Key, found);
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPGetSigCertifierKey(PGPKeyDBObjRef sig, PGPHandle db, PGPKeyDBObjRef* key)
{
    return Guarded([&]() -> PGPError {
        if (!key)
            return kPGPError_BadParams;
        *key = 0;
        auto object = ObjectOf(sig);
        auto database = Handles().Get<KeyDB>(db, ObjectKind::KeyDB);
        if (!object || !database)
            return kPGPError_BadParams;
        if (object->kind != KeyObjectKind::Signature)
            return kPGPError_WrongObjectKind;
        if (IsX509(*object->signature)) {
            KeyRecord* certifier = X509Certifier(*database->state, *object->key, *object->signature);
            if (!certifier)
                return kPGPError_EndOfIteration;
            *key = ObjectHandle(database->state, KeyObjectKind::Key, certifier);
            return kPGPError_NoErr;
        }
        const std::string& issuer = object->signature->signature.issuer;
        if (issuer.size() != 8)
            return kPGPError_EndOfIteration;
        KeyRecord* found = FindKey(*database->state, MakeKeyID(issuer, 0));
        if (!found)
            return kPGPError_EndOfIteration;
        *key = ObjectHandle(database->state, KeyObjectKind::Key, found);
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPGetPrimaryUserIDName(PGPKeyDBObjRef key, char* buffer, PGPSize size, PGPSize* length)
{
    return Guarded([&]() -> PGPError {
        auto object = ObjectOf(key);
        if (!object || !length)
            return kPGPError_BadParams;
        if (object->kind != KeyObjectKind::Key)
            return kPGPError_WrongObjectKind;
        const UserIDRecord* primary = object->key->PrimaryUserID();
        if (!primary)
            return kPGPError_EndOfIteration;
        *length = static_cast<PGPSize>(primary->text.size());
        if (!buffer || size <= primary->text.size())
            return kPGPError_BufferTooSmall;
        std::memcpy(buffer, primary->text.c_str(), primary->text.size() + 1);
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPCountRevocationKeys(PGPKeyDBObjRef key, uint32_t* count)
{
    return Guarded([&]() -> PGPError {
        if (!ObjectOf(key) || !count)
            return kPGPError_BadParams;
        *count = 0; // designated revokers are not kept
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPGetIndexedRevocationKey(PGPKeyDBObjRef key, uint32_t, PGPKeyDBObjRef*, PGPKeyID*)
{
    return Guarded([&]() -> PGPError {
        return ObjectOf(key) ? kPGPError_EndOfIteration : kPGPError_BadParams;
    });
}

PGPError PGP_CDECL PGPCountAdditionalRecipientRequests(PGPKeyDBObjRef key, uint32_t* count)
{
    return Guarded([&]() -> PGPError {
        if (!ObjectOf(key) || !count)
            return kPGPError_BadParams;
        *count = 0; // additional decryption keys are not kept
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPGetIndexedAdditionalRecipientRequestKey(PGPKeyDBObjRef key, uint32_t, PGPKeyDBObjRef*,
                                                              PGPKeyID*, uint8_t*)
{
    return Guarded([&]() -> PGPError {
        return ObjectOf(key) ? kPGPError_EndOfIteration : kPGPError_BadParams;
    });
}

} // extern "C"
