// An in-memory SDK behind the engine's procedure table for the key-function tests: a key store
// with keys, sub-keys, user ids and signatures, sets, filters, ordered lists and iterators, open
// and flush against a "disk" copy, fault injection, and a live-handle count to catch leaks.
#pragma once

#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fake {

struct Sig {
    bool x509 = false;
    bool notCorrupt = true;
    bool revoked = false;
    bool expired = false;
    bool verified = true;
    std::string subject, issuer;
    bool selfCertified = false;
};
struct UserID {
    UserID(std::string text, int validityValue = 0, bool isAttribute = false)
        : name(std::move(text))
        , validity(validityValue)
        , attribute(isAttribute)
    {
    }
    std::string name;
    int validity = 0;
    bool attribute = false;
    std::vector<Sig> sigs;
};
struct SubKey {
    uint64_t id = 0;
    int bits = 0;
    bool revoked = false;
    bool expired = false;
    std::string passphrase = "old";
};
struct Key {
    uint64_t id = 0;
    int algorithm = 1;
    int bits = 2048;
    int version = 4;
    int hash = 8;
    int trust = 0;
    int validity = 0;
    uint32_t created = 0;
    uint32_t expires = 0;
    std::string fingerprint;
    std::map<int, bool> flags; // Boolean key properties
    std::vector<SubKey> subKeys;
    std::vector<UserID> userIDs;
    std::vector<uint64_t> revokers;
    std::vector<std::pair<uint64_t, uint8_t>> adks;
    std::string passphrase = "old";
    bool deleted = false;
};
struct Group {
    std::string name, description;
    std::vector<uint64_t> members;
};

struct Iter {
    std::vector<int> keys;
    int key = -1, sub = -1, uid = -1, sig = -1;
};

enum Kind { kContext = 1, kSpec, kDB, kSet, kFilter, kList, kIter, kOption, kGroupSet, kGroupIter };

struct State {
    // "Disk": what open reads and flush writes.
    std::vector<Key> disk;
    std::vector<Group> groups;
    // The open database's keys (one database at a time).
    std::vector<Key> keys;
    std::map<PGPHandle, Kind> live;
    std::vector<std::string> doubleFrees;
    PGPHandle next = 0x100;
    std::map<PGPHandle, std::vector<int>> sets;
    std::map<PGPHandle, std::function<bool(int)>> filters;
    std::map<PGPHandle, std::vector<int>> lists;
    std::map<PGPHandle, Iter> iters;
    std::map<PGPHandle, std::string> options; // passphrase options
    std::map<PGPHandle, std::string> specs;
    std::map<PGPHandle, int> groupIters;
    PGPHandle rootSet = 0;
    PGPHandle db = 0;
    int contextsMade = 0, opens = 0, flushes = 0, notices = 0, inits = 0, cleanups = 0, reconnects = 0;
    std::vector<std::string> openedPaths;
    PGPError failNextOpen = 0;
    PGPError failInit = 0;
    int failSubKeyChange = -1; // index of a sub-key whose passphrase change fails
};

inline State& S()
{
    static State state;
    return state;
}

inline PGPHandle Make(Kind kind)
{
    PGPHandle h = S().next++;
    S().live[h] = kind;
    return h;
}
inline bool Free(PGPHandle h, Kind kind)
{
    auto it = S().live.find(h);
    if (it == S().live.end() || it->second != kind) {
        S().doubleFrees.push_back(std::to_string(kind) + ":" + std::to_string(h));
        return false;
    }
    S().live.erase(it);
    return true;
}
inline int LiveOf(Kind kind)
{
    int n = 0;
    for (auto& [h, k] : S().live)
        n += k == kind;
    return n;
}

// Object handles encode the position: key k, sub-key j, user id u, signature s.
constexpr PGPHandle kKeyBase = 0x10000000, kSubBase = 0x20000000, kUidBase = 0x30000000, kSigBase = 0x40000000;
inline PGPHandle KeyRef(int k) { return kKeyBase + k; }
inline PGPHandle SubRef(int k, int j) { return kSubBase + k * 256 + j; }
inline PGPHandle UidRef(int k, int u) { return kUidBase + k * 256 + u; }
inline PGPHandle SigRef(int k, int u, int s) { return kSigBase + (k * 256 + u) * 256 + s; }
inline int KeyOf(PGPHandle h)
{
    if (h >= kSigBase)
        return (h - kSigBase) / 65536;
    if (h >= kUidBase)
        return (h - kUidBase) / 256;
    if (h >= kSubBase)
        return (h - kSubBase) / 256;
    return h - kKeyBase;
}

inline void PutKeyID(PGPKeyID* out, uint64_t id, int algorithm)
{
    std::memset(out, 0, sizeof *out);
    out->length = 8;
    out->algorithm = static_cast<uint8_t>(algorithm);
    for (int i = 0; i < 8; ++i)
        out->id[i] = static_cast<uint8_t>(id >> (56 - 8 * i));
}
inline uint64_t IDOf(const PGPKeyID& keyID)
{
    uint64_t id = 0;
    for (int i = 0; i < 8; ++i)
        id = id << 8 | keyID.id[i];
    return id;
}
inline bool IDMatches(const PGPKeyID& keyID, uint64_t id)
{
    return keyID.length == 4 ? (IDOf(keyID) & 0xFFFFFFFFu) == (id & 0xFFFFFFFFu) : IDOf(keyID) == id;
}
inline std::string Lower(std::string s)
{
    for (auto& c : s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}
inline std::vector<int> AllKeys()
{
    std::vector<int> all;
    for (int k = 0; k < static_cast<int>(S().keys.size()); ++k)
        if (!S().keys[k].deleted)
            all.push_back(k);
    return all;
}
inline std::vector<int> SetKeys(PGPKeySetRef set)
{
    if (set == S().rootSet)
        return AllKeys();
    std::vector<int> keys;
    for (int k : S().sets[set])
        if (!S().keys[k].deleted)
            keys.push_back(k);
    return keys;
}
inline PGPKeySetRef NewSet(std::vector<int> keys)
{
    PGPHandle h = Make(kSet);
    S().sets[h] = std::move(keys);
    return h;
}
inline PGPFilterRef NewFilter(std::function<bool(int)> test)
{
    PGPHandle h = Make(kFilter);
    S().filters[h] = std::move(test);
    return h;
}

// ---- the entry points ----

inline PGPError Init(uint32_t)
{
    ++S().inits;
    return S().failInit;
}
inline PGPError Cleanup()
{
    ++S().cleanups;
    return 0;
}
inline PGPError Reconnect()
{
    ++S().reconnects;
    return 1;
}
inline PGPError NewContext(uint32_t, PGPContextRef* out)
{
    ++S().contextsMade;
    *out = Make(kContext);
    return 0;
}
inline PGPError FreeContext(PGPContextRef h) { return Free(h, kContext) ? 0 : -11998; }
inline PGPError NewSpec(PGPContextRef, const char* path, PGPFileSpecRef* out)
{
    *out = Make(kSpec);
    S().specs[*out] = path;
    return 0;
}
inline PGPError FreeSpec(PGPFileSpecRef h) { return Free(h, kSpec) ? 0 : -11998; }
inline PGPError OpenDB(PGPContextRef, uint32_t, PGPFileSpecRef pub, PGPFileSpecRef sec, PGPKeyDBRef* out)
{
    *out = 0;
    if (PGPError fail = S().failNextOpen) {
        S().failNextOpen = 0;
        return fail;
    }
    ++S().opens;
    S().openedPaths = { S().specs[pub], S().specs[sec] };
    S().keys = S().disk;
    S().db = *out = Make(kDB);
    S().rootSet = S().next++; // owned by the database
    return 0;
}
inline PGPKeySetRef RootSet(PGPKeyDBRef) { return S().rootSet; }
inline PGPKeyDBRef DBOfSet(PGPKeySetRef) { return S().db; }
inline PGPError FreeDB(PGPKeyDBRef h)
{
    S().rootSet = 0;
    return Free(h, kDB) ? 0 : -11998;
}
inline PGPError Flush(PGPKeyDBRef)
{
    ++S().flushes;
    S().disk = S().keys;
    return 0;
}
inline PGPError NewEmptySet(PGPKeyDBRef, PGPKeySetRef* out)
{
    *out = NewSet({});
    return 0;
}
inline PGPError NewOneSet(PGPKeyDBObjRef key, PGPKeySetRef* out)
{
    *out = NewSet({ KeyOf(key) });
    return 0;
}
inline PGPError AddKeys(PGPKeySetRef from, PGPKeySetRef to)
{
    auto& keys = S().sets[to];
    for (int k : SetKeys(from))
        if (std::find(keys.begin(), keys.end(), k) == keys.end())
            keys.push_back(k);
    return 0;
}
inline PGPError DeleteKeys(PGPKeySetRef set)
{
    for (int k : SetKeys(set))
        S().keys[k].deleted = true;
    return 0;
}
inline PGPError FreeSet(PGPKeySetRef h)
{
    S().sets.erase(h);
    return Free(h, kSet) ? 0 : -11998;
}
inline PGPError CountKeys(PGPKeySetRef set, uint32_t* count)
{
    *count = static_cast<uint32_t>(SetKeys(set).size());
    return 0;
}
inline PGPError FilterSet(PGPKeySetRef set, PGPFilterRef filter, PGPKeySetRef* out)
{
    std::vector<int> keys;
    for (int k : SetKeys(set))
        if (S().filters[filter](k))
            keys.push_back(k);
    *out = NewSet(keys);
    return 0;
}
inline bool KeyFlag(int k, int prop)
{
    const Key& key = S().keys[k];
    if (prop == kPGPSigProperty_IsX509) {
        for (auto& u : key.userIDs)
            for (auto& s : u.sigs)
                if (s.x509)
                    return true;
        return false;
    }
    auto it = key.flags.find(prop);
    return it != key.flags.end() && it->second;
}
inline PGPError BoolFilter(PGPContextRef, int32_t prop, PGPBoolean value, PGPFilterRef* out)
{
    *out = NewFilter([=](int k) { return KeyFlag(k, prop) == (value != 0); });
    return 0;
}
inline PGPError NumFilter(PGPContextRef, int32_t prop, int32_t value, int32_t match, PGPFilterRef* out)
{
    *out = NewFilter([=](int k) {
        const Key& key = S().keys[k];
        const int v = prop == kPGPKeyProperty_AlgorithmID ? key.algorithm : key.version;
        return match == kPGPMatch_LessOrEqual ? v <= value : v == value;
    });
    return 0;
}
inline PGPError DataFilter(PGPContextRef, int32_t prop, const void* data, PGPSize size, int32_t, PGPFilterRef* out)
{
    if (prop == kPGPKeyProperty_KeyID || prop == kPGPSubKeyProperty_KeyID) {
        PGPKeyID keyID = *static_cast<const PGPKeyID*>(data);
        *out = NewFilter([=](int k) { return IDMatches(keyID, S().keys[k].id); });
        return 0;
    }
    std::string text = Lower(std::string(static_cast<const char*>(data), size));
    *out = NewFilter([=](int k) {
        for (auto& u : S().keys[k].userIDs)
            if (Lower(u.name).find(text) != std::string::npos)
                return true;
        return false;
    });
    return 0;
}
inline PGPError Union(PGPFilterRef a, PGPFilterRef b, PGPFilterRef* out)
{
    auto fa = S().filters[a], fb = S().filters[b];
    *out = NewFilter([=](int k) { return fa(k) || fb(k); });
    return 0;
}
inline PGPError Intersect(PGPFilterRef a, PGPFilterRef b, PGPFilterRef* out)
{
    auto fa = S().filters[a], fb = S().filters[b];
    *out = NewFilter([=](int k) { return fa(k) && fb(k); });
    return 0;
}
inline PGPError Negate(PGPFilterRef a, PGPFilterRef* out)
{
    auto fa = S().filters[a];
    *out = NewFilter([=](int k) { return !fa(k); });
    return 0;
}
inline PGPError FreeFilter(PGPFilterRef h)
{
    S().filters.erase(h);
    return Free(h, kFilter) ? 0 : -11998;
}
inline std::string PrimaryName(int k)
{
    return S().keys[k].userIDs.empty() ? std::string() : S().keys[k].userIDs[0].name;
}
inline PGPError Order(PGPKeySetRef set, int32_t order, PGPBoolean reverse, PGPKeyListRef* out)
{
    std::vector<int> keys = SetKeys(set);
    if (order == kPGPOrder_UserID)
        std::stable_sort(keys.begin(), keys.end(),
                         [](int a, int b) { return Lower(PrimaryName(a)) < Lower(PrimaryName(b)); });
    if (reverse)
        std::reverse(keys.begin(), keys.end());
    *out = Make(kList);
    S().lists[*out] = keys;
    return 0;
}
inline PGPError FreeList(PGPKeyListRef h)
{
    S().lists.erase(h);
    return Free(h, kList) ? 0 : -11998;
}
inline PGPError NewIter(PGPKeyListRef list, PGPKeyIterRef* out)
{
    *out = Make(kIter);
    S().iters[*out].keys = S().lists[list];
    return 0;
}
inline PGPError NewIterFromSet(PGPKeySetRef set, PGPKeyIterRef* out)
{
    *out = Make(kIter);
    S().iters[*out].keys = SetKeys(set);
    return 0;
}
inline PGPError FreeIter(PGPKeyIterRef h)
{
    S().iters.erase(h);
    return Free(h, kIter) ? 0 : -11998;
}
inline PGPError IterNext(PGPKeyIterRef h, int32_t kind, PGPKeyDBObjRef* out)
{
    Iter& it = S().iters[h];
    *out = 0;
    if (kind == kPGPIter_Key) {
        if (++it.key >= static_cast<int>(it.keys.size()))
            return kPGPError_EndOfIteration;
        it.sub = it.uid = it.sig = -1;
        *out = KeyRef(it.keys[it.key]);
        return 0;
    }
    if (it.key < 0 || it.key >= static_cast<int>(it.keys.size()))
        return kPGPError_EndOfIteration;
    const int k = it.keys[it.key];
    const Key& key = S().keys[k];
    if (kind == kPGPIter_SubKey) {
        if (++it.sub >= static_cast<int>(key.subKeys.size()))
            return kPGPError_EndOfIteration;
        *out = SubRef(k, it.sub);
        return 0;
    }
    if (kind == kPGPIter_UserID) {
        if (++it.uid >= static_cast<int>(key.userIDs.size()))
            return kPGPError_EndOfIteration;
        it.sig = -1;
        *out = UidRef(k, it.uid);
        return 0;
    }
    if (it.uid < 0 || ++it.sig >= static_cast<int>(key.userIDs[it.uid].sigs.size()))
        return kPGPError_EndOfIteration;
    *out = SigRef(k, it.uid, it.sig);
    return 0;
}
inline const Sig& SigOf(PGPHandle h)
{
    const int rest = (h - kSigBase) % 65536;
    return S().keys[KeyOf(h)].userIDs[rest / 256].sigs[rest % 256];
}
inline PGPError GetBool(PGPKeyDBObjRef obj, int32_t prop, PGPBoolean* out)
{
    *out = 0;
    if (obj >= kSigBase) {
        const Sig& s = SigOf(obj);
        const std::map<int, bool> values = { { 1300, s.revoked }, { 1301, s.notCorrupt }, { 1303, s.verified },
                                             { 1307, s.expired }, { 1308, s.x509 } };
        auto it = values.find(prop);
        if (it == values.end())
            return kPGPError_WrongObjectKind;
        *out = it->second;
        return 0;
    }
    if (obj >= kUidBase) {
        if (prop != kPGPUserIDProperty_IsAttribute)
            return kPGPError_WrongObjectKind;
        *out = S().keys[KeyOf(obj)].userIDs[(obj - kUidBase) % 256].attribute;
        return 0;
    }
    if (obj >= kSubBase) {
        const SubKey& sub = S().keys[KeyOf(obj)].subKeys[(obj - kSubBase) % 256];
        if (prop == kPGPSubKeyProperty_IsRevoked)
            *out = sub.revoked;
        else if (prop == kPGPSubKeyProperty_IsExpired)
            *out = sub.expired;
        else
            return kPGPError_WrongObjectKind;
        return 0;
    }
    const Key& key = S().keys[KeyOf(obj)];
    auto it = key.flags.find(prop);
    if (prop < 100 || prop > 114)
        return kPGPError_UnknownProperty;
    *out = it != key.flags.end() && it->second;
    return 0;
}
inline PGPError GetNum(PGPKeyDBObjRef obj, int32_t prop, int32_t* out)
{
    *out = 0;
    if (obj >= kUidBase && obj < kSigBase) {
        *out = S().keys[KeyOf(obj)].userIDs[(obj - kUidBase) % 256].validity;
        return prop == kPGPUserIDProperty_Validity ? 0 : kPGPError_WrongObjectKind;
    }
    if (obj >= kSubBase && obj < kUidBase) {
        *out = S().keys[KeyOf(obj)].subKeys[(obj - kSubBase) % 256].bits;
        return prop == kPGPSubKeyProperty_Bits ? 0 : kPGPError_WrongObjectKind;
    }
    const Key& key = S().keys[KeyOf(obj)];
    switch (prop) {
    case 200: *out = key.algorithm; return 0;
    case 201: *out = key.bits; return 0;
    case 202: *out = key.trust; return 0;
    case 203: *out = key.validity; return 0;
    case 207: *out = key.hash; return 0;
    case 208:
        if (key.version == 0)
            return kPGPError_UnknownProperty;
        *out = key.version;
        return 0;
    default: return kPGPError_UnknownProperty;
    }
}
inline PGPError GetTime(PGPKeyDBObjRef obj, int32_t prop, PGPTime* out)
{
    const Key& key = S().keys[KeyOf(obj)];
    *out = prop == kPGPKeyProperty_Creation ? key.created : key.expires;
    return prop == 300 || prop == 301 ? 0 : kPGPError_UnknownProperty;
}
inline PGPError PutData(const std::string& value, void* buffer, PGPSize size, PGPSize* length)
{
    *length = static_cast<PGPSize>(value.size());
    if (value.size() > size)
        return kPGPError_BufferTooSmall;
    std::memcpy(buffer, value.data(), value.size());
    return 0;
}
inline PGPError GetData(PGPKeyDBObjRef obj, int32_t prop, void* buffer, PGPSize size, PGPSize* length)
{
    if (obj >= kSigBase) {
        const Sig& s = SigOf(obj);
        if (prop == kPGPSigProperty_X509LongName)
            return PutData(s.subject, buffer, size, length);
        if (prop == kPGPSigProperty_X509IssuerLongName)
            return PutData(s.issuer, buffer, size, length);
        return kPGPError_UnknownProperty;
    }
    if (obj >= kUidBase)
        return PutData(S().keys[KeyOf(obj)].userIDs[(obj - kUidBase) % 256].name, buffer, size, length);
    if (prop == kPGPKeyProperty_Fingerprint)
        return PutData(S().keys[KeyOf(obj)].fingerprint, buffer, size, length);
    return kPGPError_UnknownProperty;
}
inline PGPError PrimaryUserID(PGPKeyDBObjRef key, char* buffer, PGPSize size, PGPSize* length)
{
    return PutData(PrimaryName(KeyOf(key)), buffer, size, length);
}
inline PGPKeyDBObjRef PeekKey(PGPKeyDBObjRef obj) { return KeyRef(KeyOf(obj)); }
inline PGPError GetKeyID(PGPKeyDBObjRef obj, PGPKeyID* out)
{
    const Key& key = S().keys[KeyOf(obj)];
    PutKeyID(out, obj >= kSubBase && obj < kUidBase ? key.subKeys[(obj - kSubBase) % 256].id : key.id, key.algorithm);
    return 0;
}
inline PGPError KeyIDString(const PGPKeyID* keyID, int32_t type, char* text)
{
    const uint64_t id = IDOf(*keyID);
    if (type == kPGPKeyIDString_Abbreviated)
        std::snprintf(text, 19, "0x%08X", static_cast<unsigned>(id));
    else
        std::snprintf(text, 19, "0x%08X%08X", static_cast<unsigned>(id >> 32), static_cast<unsigned>(id));
    return 0;
}
inline PGPError KeyIDFromText(const char* text, int32_t, PGPKeyID* out)
{
    const size_t n = std::strlen(text);
    if ((n != 10 && n != 18) || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return kPGPError_BadParams;
    const uint64_t id = std::stoull(std::string(text + 2), nullptr, 16);
    PutKeyID(out, id, 0);
    if (n == 10)
        out->length = 4;
    return 0;
}
inline PGPError FindByID(PGPKeyDBRef, const PGPKeyID* keyID, PGPKeyDBObjRef* out)
{
    for (int k : AllKeys())
        if (IDMatches(*keyID, S().keys[k].id)) {
            *out = KeyRef(k);
            return 0;
        }
    return kPGPError_EndOfIteration;
}
inline PGPError CountRevokers(PGPKeyDBObjRef key, uint32_t* count)
{
    *count = static_cast<uint32_t>(S().keys[KeyOf(key)].revokers.size());
    return 0;
}
inline PGPError IndexedRevoker(PGPKeyDBObjRef key, uint32_t index, PGPKeyDBObjRef* out, PGPKeyID* keyID)
{
    *out = 0;
    PutKeyID(keyID, S().keys[KeyOf(key)].revokers.at(index), 1);
    return 0;
}
inline PGPError CountADKs(PGPKeyDBObjRef key, uint32_t* count)
{
    *count = static_cast<uint32_t>(S().keys[KeyOf(key)].adks.size());
    return 0;
}
inline PGPError IndexedADK(PGPKeyDBObjRef key, uint32_t index, PGPKeyDBObjRef* out, PGPKeyID* keyID, uint8_t* cls)
{
    *out = 0;
    auto [id, c] = S().keys[KeyOf(key)].adks.at(index);
    PutKeyID(keyID, id, 1);
    *cls = c;
    return 0;
}
inline PGPError CertifierKey(PGPKeyDBObjRef sig, PGPHandle, PGPKeyDBObjRef* out)
{
    *out = SigOf(sig).selfCertified ? KeyRef(KeyOf(sig)) : KeyRef(0x7FFF);
    return SigOf(sig).selfCertified ? 0 : kPGPError_EndOfIteration;
}
inline PGPOptionListRef Passphrase(PGPContextRef, const char* text)
{
    PGPHandle h = Make(kOption);
    S().options[h] = text;
    return h;
}
// Takes over its two passphrase options, as the SDK does.
inline PGPError ChangePassphrase(PGPKeyDBObjRef obj, ...)
{
    va_list args;
    va_start(args, obj);
    std::vector<std::string> pass;
    for (PGPOptionListRef o = va_arg(args, PGPOptionListRef); o != kPGPEndOfOptions;
         o = va_arg(args, PGPOptionListRef)) {
        pass.push_back(S().options[o]);
        Free(o, kOption);
    }
    va_end(args);
    if (pass.size() != 2)
        return kPGPError_BadOption;
    Key& key = S().keys[KeyOf(obj)];
    if (obj >= kSubBase) {
        const int j = (obj - kSubBase) % 256;
        SubKey& sub = key.subKeys[j];
        if (j == S().failSubKeyChange || sub.passphrase != pass[0])
            return kPGPError_BadPassphrase;
        sub.passphrase = pass[1];
        return 0;
    }
    if (key.passphrase != pass[0])
        return kPGPError_BadPassphrase;
    key.passphrase = pass[1];
    return 0;
}
inline PGPError PGP_STDCALL NotifyKeyrings(uint32_t, uint32_t)
{
    ++S().notices;
    return 0;
}
inline PGPError NewGroupSet(PGPContextRef, PGPFileSpecRef, PGPGroupSetRef* out)
{
    *out = Make(kGroupSet);
    return 0;
}
inline PGPError CountGroups(PGPGroupSetRef, uint32_t* n)
{
    *n = static_cast<uint32_t>(S().groups.size());
    return 0;
}
inline PGPError GroupID(PGPGroupSetRef, uint32_t index, PGPGroupID* id)
{
    *id = index + 1;
    return 0;
}
inline PGPError GroupInfo(PGPGroupSetRef, PGPGroupID id, PGPGroupInfo* info)
{
    const Group& g = S().groups.at(id - 1);
    std::snprintf(info->name, sizeof info->name, "%s", g.name.c_str());
    std::snprintf(info->description, sizeof info->description, "%s", g.description.c_str());
    return 0;
}
inline PGPError CountItems(PGPGroupSetRef, PGPGroupID id, PGPBoolean, uint32_t* keys, uint32_t* total)
{
    *keys = *total = static_cast<uint32_t>(S().groups.at(id - 1).members.size());
    return 0;
}
inline PGPError NewGroupIter(PGPGroupSetRef, PGPGroupID id, uint32_t, PGPGroupItemIterRef* out)
{
    *out = Make(kGroupIter);
    S().groupIters[*out] = static_cast<int>(id - 1) * 1000;
    return 0;
}
inline PGPError GroupNext(PGPGroupItemIterRef h, PGPGroupItem* item)
{
    int& pos = S().groupIters[h];
    const Group& g = S().groups.at(pos / 1000);
    if (pos % 1000 >= static_cast<int>(g.members.size()))
        return kPGPError_EndOfIteration;
    item->type = kPGPGroupItem_Key;
    item->algorithm = 1;
    PutKeyID(&item->keyID, g.members[pos % 1000], 1);
    ++pos;
    return 0;
}
inline PGPError FreeGroupIter(PGPGroupItemIterRef h) { return Free(h, kGroupIter) ? 0 : -11998; }
inline PGPError FreeGroupSet(PGPGroupSetRef h) { return Free(h, kGroupSet) ? 0 : -11998; }

// A fresh fake SDK of a newer generation bound into the engine's table.
inline void Install(uint8_t generation = 4)
{
    S() = State {};
    SDKGeneration = generation;
    SDKLoadError = 0;
    KeyIDTextType = kPGPKeyIDString_Full;
    PGPsdkProcs& p = SDKProcs;
    p = PGPsdkProcs {};
    p.PGPsdkInit = Init;
    p.PGPsdkCleanup = Cleanup;
    p.PGPsdkReconnect = Reconnect;
    p.PGPNewContext = NewContext;
    p.PGPFreeContext = FreeContext;
    p.PGPNewFileSpecFromFullPath = NewSpec;
    p.PGPFreeFileSpec = FreeSpec;
    p.PGPOpenKeyDBFile = OpenDB;
    p.PGPPeekKeyDBRootKeySet = RootSet;
    p.PGPPeekKeySetKeyDB = DBOfSet;
    p.PGPFreeKeyDB = FreeDB;
    p.PGPFlushKeyDB = Flush;
    p.PGPNewEmptyKeySet = NewEmptySet;
    p.PGPNewOneKeySet = NewOneSet;
    p.PGPAddKeys = AddKeys;
    p.PGPDeleteKeys = DeleteKeys;
    p.PGPFreeKeySet = FreeSet;
    p.PGPCountKeys = CountKeys;
    p.PGPFilterKeySet = FilterSet;
    p.PGPNewKeyDBObjBooleanFilter = BoolFilter;
    p.PGPNewKeyDBObjNumericFilter = NumFilter;
    p.PGPNewKeyDBObjDataFilter = DataFilter;
    p.PGPUnionFilters = Union;
    p.PGPIntersectFilters = Intersect;
    p.PGPNegateFilter = Negate;
    p.PGPFreeFilter = FreeFilter;
    p.PGPOrderKeySet = Order;
    p.PGPFreeKeyList = FreeList;
    p.PGPNewKeyIter = NewIter;
    p.PGPNewKeyIterFromKeySet = NewIterFromSet;
    p.PGPFreeKeyIter = FreeIter;
    p.PGPKeyIterNextKeyDBObj = IterNext;
    p.PGPGetKeyDBObjBooleanProperty = GetBool;
    p.PGPGetKeyDBObjNumericProperty = GetNum;
    p.PGPGetKeyDBObjTimeProperty = GetTime;
    p.PGPGetKeyDBObjDataProperty = GetData;
    p.PGPGetPrimaryUserIDName = PrimaryUserID;
    p.PGPPeekKeyDBObjKey = PeekKey;
    p.PGPGetKeyID = GetKeyID;
    p.PGPGetKeyIDString = KeyIDString;
    p.PGPNewKeyIDFromString = KeyIDFromText;
    p.PGPFindKeyByKeyID = FindByID;
    p.PGPCountRevocationKeys = CountRevokers;
    p.PGPGetIndexedRevocationKey = IndexedRevoker;
    p.PGPCountAdditionalRecipientRequests = CountADKs;
    p.PGPGetIndexedAdditionalRecipientRequestKey = IndexedADK;
    p.PGPGetSigCertifierKey = CertifierKey;
    p.PGPOPassphrase = Passphrase;
    p.PGPChangePassphrase = ChangePassphrase;
    p.PGPclNotifyKeyringChanges = NotifyKeyrings;
    p.PGPNewGroupSetFromFile = NewGroupSet;
    p.PGPCountGroupsInSet = CountGroups;
    p.PGPGetIndGroupID = GroupID;
    p.PGPGetGroupInfo = GroupInfo;
    p.PGPCountGroupItems = CountItems;
    p.PGPNewGroupItemIter = NewGroupIter;
    p.PGPGroupItemIterNext = GroupNext;
    p.PGPFreeGroupItemIter = FreeGroupIter;
    p.PGPFreeGroupSet = FreeGroupSet;
}

} // namespace fake
