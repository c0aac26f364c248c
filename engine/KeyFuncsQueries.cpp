// The key queries on the shared store: searches by text and capability filters, key lists with
// properties, key deletion, passphrase changes and the recipient groups. Each query opens the
// store at its start and closes it on every way out.
#include "engine/KeyFuncs.h"
#include "engine/KeyFuncsSdk.h"
#include "engine/sdk/pgpBase.h"
#include "foundation/StrUtil.h"
#include "foundation/UTF8.h"

#include <algorithm>

namespace {

// One opening of the shared store for the length of a query.
class TRingsOpening {
public:
    TRingsOpening() { status = KeyRings().Open(&context, &keySet); }
    TRingsOpening(const TRingsOpening&) = delete;
    TRingsOpening& operator=(const TRingsOpening&) = delete;
    ~TRingsOpening()
    {
        if (status == kPGPError_NoErr)
            KeyRings().Close();
    }

    PGPError status;
    PGPContextRef context = 0;
    PGPKeySetRef keySet = 0;
};

PGPError CountKeys(PGPKeySetRef set, uint32_t& count)
{
    count = 0;
    return SDKProcs.PGPCountKeys ? SDKProcs.PGPCountKeys(set, &count) : kPGPError_NotImplemented;
}

// Both filters are kept by the caller; the result is a new one.
PGPError Combine(PGPError (*combine)(PGPFilterRef, PGPFilterRef, PGPFilterRef*), TOwnedFilter& into,
                 TOwnedFilter& other)
{
    if (!other.Get())
        return kPGPError_NoErr;
    if (!into.Get()) {
        *into.Out() = other.Release();
        return kPGPError_NoErr;
    }
    if (!combine)
        return kPGPError_NotImplemented;
    TOwnedFilter combined;
    const PGPError status = combine(into.Get(), other.Get(), combined.Out());
    if (status == kPGPError_NoErr)
        *into.Out() = combined.Release();
    return status;
}

PGPError KeyIDFilter(PGPContextRef context, const PGPKeyID& keyID, TOwnedFilter& filter)
{
    return NewDataFilter(context, kPGPKeyProperty_KeyID, &keyID, filter.Out(), sizeof keyID, kPGPMatch_Equal);
}

// The filter of one search item: a key id, or a part of a user id (in both text forms when the
// SDK compares UTF-8).
PGPError ItemFilter(PGPContextRef context, const std::string& item, TOwnedFilter& filter)
{
    if (IsKeyIDText(item)) {
        PGPKeyID keyID {};
        const PGPError status = KeyIDFromString(item.c_str(), 0, &keyID);
        return status != kPGPError_NoErr ? status : KeyIDFilter(context, keyID, filter);
    }
    PGPError status = NewDataFilter(context, kPGPUserIDProperty_Name, item.c_str(), filter.Out(),
                                    static_cast<PGPSize>(item.size()), kPGPMatch_SubString);
    if (status != kPGPError_NoErr || SDKGeneration < 3)
        return status;
    const std::string utf8 = LocaleToUtf8(item);
    if (utf8.size() <= item.size())
        return status;
    TOwnedFilter second;
    status = NewDataFilter(context, kPGPUserIDProperty_Name, utf8.c_str(), second.Out(),
                           static_cast<PGPSize>(utf8.size()), kPGPMatch_SubString);
    if (status != kPGPError_NoErr)
        return status;
    return Combine(SDKProcs.PGPUnionFilters, filter, second);
}

PGPError NewEmptySetLike(PGPContextRef context, PGPKeySetRef keySet, TOwnedKeySet& set)
{
    if (SDKGeneration == 1)
        return SDKProcs.PGPNewKeySet ? SDKProcs.PGPNewKeySet(context, set.Out()) : kPGPError_NotImplemented;
    if (!SDKProcs.PGPNewEmptyKeySet || !SDKProcs.PGPPeekKeySetKeyDB)
        return kPGPError_NotImplemented;
    return SDKProcs.PGPNewEmptyKeySet(SDKProcs.PGPPeekKeySetKeyDB(keySet), set.Out());
}

PGPError FilterSet(PGPKeySetRef keySet, PGPFilterRef filter, TOwnedKeySet& out)
{
    return SDKProcs.PGPFilterKeySet ? SDKProcs.PGPFilterKeySet(keySet, filter, out.Out()) : kPGPError_NotImplemented;
}

// The SDK takes over the two passphrase options of each call, so every call gets its own.
PGPError ChangeOnePassphrase(PGPContextRef context, PGPKeyDBObjRef keyOrSubKey, bool subKey, const char* oldPassphrase,
                             const char* newPassphrase)
{
    auto change = SDKGeneration == 1 && subKey ? SDKProcs.PGPChangeSubKeyPassphrase : SDKProcs.PGPChangePassphrase;
    if (!change || !SDKProcs.PGPOPassphrase)
        return kPGPError_NotImplemented;
    return change(keyOrSubKey, SDKProcs.PGPOPassphrase(context, oldPassphrase),
                  SDKProcs.PGPOPassphrase(context, newPassphrase), kPGPEndOfOptions);
}

int CountUserIDs(PGPKeySetRef set)
{
    TKeyWalk walk;
    PGPError status = WalkKeySet(set, walk);
    if (status != kPGPError_NoErr)
        return status;
    int count = 0;
    PGPError inner = kPGPError_NoErr;
    status = ForEachObject(walk.iter.Get(), kPGPIter_Key, [&](PGPKeyDBObjRef) {
        inner = ForEachObject(walk.iter.Get(), kPGPIter_UserID, [&](PGPKeyDBObjRef userID) {
            PGPBoolean attribute = 0;
            if (GetBooleanProperty(userID, kPGPUserIDProperty_IsAttribute, &attribute) != kPGPError_NoErr
                || !attribute)
                ++count;
            return true;
        });
        return inner == kPGPError_NoErr;
    });
    if (inner != kPGPError_NoErr)
        return inner;
    return status != kPGPError_NoErr ? status : count;
}

} // namespace

PGPError FindKeysByText(PGPContextRef context, PGPKeySetRef keySet, const std::string& text, PGPKeySetRef* outSet)
{
    *outSet = 0;
    if (TrimBlanks(text).empty())
        return kNoKeyMatches;
    const std::vector<std::string> items = SplitCommaText(text);
    TOwnedKeySet result;
    PGPError status = NewEmptySetLike(context, keySet, result);
    if (status != kPGPError_NoErr)
        return status;
    for (const std::string& item : items) {
        if (TrimBlanks(item).empty())
            continue;
        TOwnedFilter filter;
        TOwnedKeySet found;
        uint32_t count = 0;
        status = ItemFilter(context, item, filter);
        if (status == kPGPError_NoErr)
            status = FilterSet(keySet, filter.Get(), found);
        if (status == kPGPError_NoErr)
            status = CountKeys(found.Get(), count);
        if (status == kPGPError_NoErr && count == 0)
            status = kNoKeyMatches;
        if (status == kPGPError_NoErr)
            status = SDKProcs.PGPAddKeys ? SDKProcs.PGPAddKeys(found.Get(), result.Get()) : kPGPError_NotImplemented;
        if (status != kPGPError_NoErr)
            return status;
    }
    *outSet = result.Release();
    return kPGPError_NoErr;
}

PGPError BuildKeyFilter(PGPContextRef context, uint32_t flags, PGPFilterRef* outFilter)
{
    *outFilter = 0;
    if (flags & kKeyFilterCertEncrypt)
        flags |= kKeyFilterCanEncrypt;
    if (flags & kKeyFilterCertSign)
        flags |= kKeyFilterCanSign;
    const bool gen1 = SDKGeneration == 1;
    TOwnedFilter result, capability, algorithm, certificates;
    PGPError status = kPGPError_NoErr;
    if (flags & kKeyFilterCanEncrypt)
        status = NewBooleanFilter(context, kPGPKeyProperty_CanEncrypt, 1, capability.Out());
    else if (flags & kKeyFilterCanDecrypt)
        status = NewBooleanFilter(context, kPGPKeyProperty_CanDecrypt, 1, capability.Out());
    else if (flags & kKeyFilterCanSign)
        status = NewBooleanFilter(context, kPGPKeyProperty_CanSign, 1, capability.Out());
    else if (flags & kKeyFilterCanVerify)
        status = NewBooleanFilter(context, kPGPKeyProperty_CanVerify, 1, capability.Out());
    else if (flags & kKeyFilterEnabled)
        status = NewBooleanFilter(context, kPGPKeyProperty_IsDisabled, 0, capability.Out());
    else if (flags & kKeyFilterDisabled)
        status = NewBooleanFilter(context, kPGPKeyProperty_IsDisabled, 1, capability.Out());
    if (status != kPGPError_NoErr)
        return status;
    if (flags & kKeyFilterDSA)
        status = NewNumericFilter(context, kPGPKeyProperty_AlgorithmID, 17, algorithm.Out(), kPGPMatch_Equal);
    else if (flags & kKeyFilterRSA)
        status = NewNumericFilter(context, kPGPKeyProperty_AlgorithmID, 1, algorithm.Out(), kPGPMatch_Equal);
    else if (flags & kKeyFilterNewFormat)
        status = gen1 ? NewNumericFilter(context, kPGPKeyProperty_AlgorithmID, 17, algorithm.Out(), kPGPMatch_Equal)
                      : NewNumericFilter(context, kPGPKeyProperty_Version, 4, algorithm.Out(), kPGPMatch_Equal);
    else if (flags & kKeyFilterLegacy)
        status = gen1 ? NewNumericFilter(context, kPGPKeyProperty_AlgorithmID, 1, algorithm.Out(), kPGPMatch_Equal)
                      : NewNumericFilter(context, kPGPKeyProperty_Version, 3, algorithm.Out(), kPGPMatch_LessOrEqual);
    if (status != kPGPError_NoErr)
        return status;
    if (flags & kKeyFilterCertificates)
        status = NewBooleanFilter(context, kPGPSigProperty_IsX509, 1, certificates.Out());
    if (status == kPGPError_NoErr)
        status = Combine(SDKProcs.PGPIntersectFilters, result, capability);
    if (status == kPGPError_NoErr)
        status = Combine(SDKProcs.PGPIntersectFilters, result, algorithm);
    if (status == kPGPError_NoErr)
        status = Combine(SDKProcs.PGPIntersectFilters, result, certificates);
    if (status == kPGPError_NoErr)
        *outFilter = result.Release();
    return status;
}

int FillKeyList(PGPContextRef context, PGPKeySetRef keySet, std::unique_ptr<TKeyPropsList>& list, uint32_t selection,
                uint32_t filter, int32_t order)
{
    PGPKeySetRef set = keySet;
    TOwnedKeySet filtered;
    if (filter & 0xFFFF) {
        TOwnedFilter keyFilter;
        PGPError status = BuildKeyFilter(context, filter, keyFilter.Out());
        if (status == kPGPError_NoErr && keyFilter.Get()) {
            status = FilterSet(keySet, keyFilter.Get(), filtered);
            set = filtered.Get();
        }
        if (status != kPGPError_NoErr)
            return status;
    }
    uint32_t count = 0;
    PGPError status = CountKeys(set, count);
    if (status != kPGPError_NoErr)
        return status;
    if (selection == 0)
        return static_cast<int>(count);
    if (!list)
        list = std::make_unique<TKeyPropsList>(selection);
    if (list->Count() == 0 && (selection & kKeyPropGroups))
        ReadGroupFile(context, keySet, list->Groups());

    TOwnedKeyList ordered;
    TOwnedKeyIter iter;
    const PGPBoolean reverse = (order & 1) || (order & ~0xFF) ? 1 : 0;
    status = OrderKeySet(set, ((order & 0xFF) >> 1) + 1, reverse, ordered.Out());
    if (status == kPGPError_NoErr)
        status = SDKProcs.PGPNewKeyIter ? SDKProcs.PGPNewKeyIter(ordered.Get(), iter.Out()) : kPGPError_NotImplemented;
    if (status != kPGPError_NoErr)
        return status;
    PGPError fillStatus = kPGPError_NoErr;
    status = ForEachObject(iter.Get(), kPGPIter_Key, [&](PGPKeyDBObjRef key) {
        int line = -1;
        try {
            line = list->Add(KeyIDText(key));
        } catch (...) {
            fillStatus = kKeyListAddFailed;
            return false;
        }
        fillStatus = FillKeyProps(keySet, key, selection, list->Record(line), filter);
        if (fillStatus != kPGPError_NoErr)
            return false;
        const TKeyPropsRec& record = list->Record(line);
        if (record.CertOnly && record.CertState < kCertValid)
            list->Delete(line);
        return true;
    });
    if (fillStatus != kPGPError_NoErr)
        return fillStatus;
    return status != kPGPError_NoErr ? status : list->Count();
}

int FindKeys(const std::string& text, std::unique_ptr<TKeyPropsList>& list, uint32_t selection, uint32_t filter,
             int32_t order)
{
    TRingsOpening rings;
    if (rings.status != kPGPError_NoErr)
        return rings.status;
    TOwnedKeySet matches;
    PGPKeySetRef set = rings.keySet;
    if (!text.empty()) {
        const PGPError status = FindKeysByText(rings.context, rings.keySet, text, matches.Out());
        if (status != kPGPError_NoErr)
            return status;
        set = matches.Get();
    }
    if (selection == 0 && (filter & kKeyFilterCountUserIDs))
        return CountUserIDs(set);
    return FillKeyList(rings.context, set, list, selection, filter, order);
}

int FindFirstKeyID(PGPContextRef context, PGPKeySetRef keySet, const std::string& text, std::string& keyIDText)
{
    keyIDText.clear();
    TOwnedKeySet matches;
    PGPError status = FindKeysByText(context, keySet, text, matches.Out());
    uint32_t count = 0;
    if (status == kPGPError_NoErr)
        status = CountKeys(matches.Get(), count);
    if (status != kPGPError_NoErr)
        return status;
    PGPKeyDBObjRef first = 0;
    if (count > 0 && FirstKeyOfSet(matches.Get(), &first) == kPGPError_NoErr)
        keyIDText = KeyIDText(first);
    return static_cast<int>(count);
}

PGPError DeleteKeysByText(const std::string& text)
{
    TRingsOpening rings;
    if (rings.status != kPGPError_NoErr)
        return rings.status;
    TOwnedKeySet matches;
    if (FindKeysByText(rings.context, rings.keySet, text, matches.Out()) == kPGPError_NoErr) {
        const PGPError status = DeleteKeys(matches.Get(), rings.keySet);
        if (status != kPGPError_NoErr)
            return status;
    }
    matches.Reset();
    return KeyRings().Commit();
}

namespace {

PGPError ChangeSubKeyPassphrases(
    PGPContextRef context, PGPKeyDBObjRef key, const char* oldPassphrase, const char* newPassphrase)
{
    if (IsLegacyKey(key))
        return kPGPError_NoErr;
    TKeyWalk walk;
    PGPError status = WalkOneKey(key, walk);
    PGPError subStatus = kPGPError_NoErr;
    if (status == kPGPError_NoErr)
        status = ForEachObject(walk.iter.Get(), kPGPIter_SubKey, [&](PGPKeyDBObjRef subKey) {
            subStatus = ChangeOnePassphrase(context, subKey, true, oldPassphrase, newPassphrase);
            return subStatus == kPGPError_NoErr;
        });
    return subStatus != kPGPError_NoErr ? subStatus : status;
}

} // namespace

PGPError ChangeKeyAndSubKeyPassphrases(
    PGPContextRef context, PGPKeyDBObjRef key, const char* oldPassphrase, const char* newPassphrase)
{
    const PGPError status = ChangeOnePassphrase(context, key, false, oldPassphrase, newPassphrase);
    return status != kPGPError_NoErr ? status : ChangeSubKeyPassphrases(context, key, oldPassphrase, newPassphrase);
}

PGPError ChangeKeyPassphrase(const std::string& keyIDText, const char* oldPassphrase, const char* newPassphrase)
{
    TRingsOpening rings;
    if (rings.status != kPGPError_NoErr)
        return rings.status;
    PGPKeyDBObjRef key = 0;
    PGPError status = FindKeyByKeyIDText(rings.keySet, keyIDText, &key);
    if (status == kPGPError_NoErr)
        status = ChangeOnePassphrase(rings.context, key, false, oldPassphrase, newPassphrase);
    if (status != kPGPError_NoErr)
        return status; // nothing changed yet
    status = ChangeSubKeyPassphrases(rings.context, key, oldPassphrase, newPassphrase);
    if (status == kPGPError_NoErr)
        return KeyRings().Commit();
    // A key with mixed passphrases must not reach the files: drop the changes held in memory.
    KeyRings().Reopen(nullptr, nullptr);
    return status;
}

int ReadGroupFile(PGPContextRef context, PGPKeySetRef keySet, TStringList& groups)
{
    groups.Clear();
    try {
        if (!SDKProcs.PGPNewFileSpecFromFullPath || !SDKProcs.PGPNewGroupSetFromFile || !SDKProcs.PGPCountGroupsInSet
            || !SDKProcs.PGPGetIndGroupID || !SDKProcs.PGPGetGroupInfo || !SDKProcs.PGPCountGroupItems
            || !SDKProcs.PGPNewGroupItemIter || !SDKProcs.PGPGroupItemIterNext)
            return kPGPError_NotImplemented;
        TOwnedFileSpec spec;
        TOwnedGroupSet groupSet;
        PGPError status = SDKProcs.PGPNewFileSpecFromFullPath(context, KeyRings().GroupsFile.c_str(), spec.Out());
        if (status == kPGPError_NoErr)
            status = SDKProcs.PGPNewGroupSetFromFile(context, spec.Get(), groupSet.Out());
        uint32_t groupCount = 0;
        if (status == kPGPError_NoErr)
            status = SDKProcs.PGPCountGroupsInSet(groupSet.Get(), &groupCount);
        for (uint32_t i = 0; i < groupCount && status == kPGPError_NoErr; ++i) {
            PGPGroupID id = 0;
            PGPGroupInfo info {};
            uint32_t keys = 0, total = 0;
            status = SDKProcs.PGPGetIndGroupID(groupSet.Get(), i, &id);
            if (status == kPGPError_NoErr)
                status = SDKProcs.PGPGetGroupInfo(groupSet.Get(), id, &info);
            if (status == kPGPError_NoErr)
                status = SDKProcs.PGPCountGroupItems(groupSet.Get(), id, 1, &keys, &total);
            if (status != kPGPError_NoErr || total == 0)
                continue;
            info.name[sizeof info.name - 1] = 0;
            info.description[sizeof info.description - 1] = 0;
            std::string line = info.description[0] ? std::string(info.description) + " <" + info.name + ">\t"
                                                    : std::string("<") + info.name + ">\t";
            TOwnedGroupItemIter items;
            status = SDKProcs.PGPNewGroupItemIter(groupSet.Get(), id, 6, items.Out());
            std::string keyIDs;
            PGPGroupItem item {};
            while (status == kPGPError_NoErr
                   && (status = SDKProcs.PGPGroupItemIterNext(items.Get(), &item)) == kPGPError_NoErr) {
                PGPKeyDBObjRef key = 0;
                if (item.type != kPGPGroupItem_Key
                    || FindKeyByKeyID(keySet, &item.keyID, item.algorithm, &key) != kPGPError_NoErr)
                    continue;
                if (!keyIDs.empty())
                    keyIDs += ',';
                keyIDs += KeyIDText(key);
            }
            if (status == kPGPError_EndOfIteration)
                status = kPGPError_NoErr;
            groups.Add(line + keyIDs);
        }
        if (status != kPGPError_NoErr || groups.Count() == 0) {
            groups.Clear();
            return status;
        }
        return groups.Count();
    } catch (...) {
        groups.Clear();
        return -1;
    }
}

PGPError FindKeyByKeyIDText(PGPKeySetRef keySet, const std::string& text, PGPKeyDBObjRef* outKey)
{
    *outKey = 0;
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerAsciiChar);
    PGPKeyID keyID {};
    const PGPError status = KeyIDFromString(lower.c_str(), 0, &keyID);
    return status != kPGPError_NoErr ? status : FindKeyByKeyID(keySet, &keyID, keyID.algorithm, outKey);
}

PGPError FindSameKey(PGPKeyDBObjRef key, PGPKeySetRef keySet, PGPKeyDBObjRef* outKey)
{
    *outKey = 0;
    PGPKeyID keyID {};
    const PGPError status = SDKProcs.PGPGetKeyID ? SDKProcs.PGPGetKeyID(key, &keyID) : kPGPError_NotImplemented;
    return status != kPGPError_NoErr ? status : FindKeyByKeyID(keySet, &keyID, keyID.algorithm, outKey);
}

PGPFilterRef ExcludeKeyFilter(PGPContextRef context, PGPKeyDBObjRef key)
{
    PGPKeyID keyID {};
    TOwnedFilter match;
    PGPFilterRef negated = 0;
    if (!SDKProcs.PGPGetKeyID || !SDKProcs.PGPNegateFilter || SDKProcs.PGPGetKeyID(key, &keyID) != kPGPError_NoErr
        || KeyIDFilter(context, keyID, match) != kPGPError_NoErr
        || SDKProcs.PGPNegateFilter(match.Get(), &negated) != kPGPError_NoErr)
        return 0;
    return negated;
}

PGPError FirstKeyOfSet(PGPKeySetRef keySet, PGPKeyDBObjRef* outKey)
{
    *outKey = 0;
    TKeyWalk walk;
    const PGPError status = WalkKeySet(keySet, walk);
    return status != kPGPError_NoErr ? status : KeyIterNext(walk.iter.Get(), kPGPIter_Key, outKey);
}

PGPError NewKeyIterOfSet(PGPKeySetRef keySet, PGPKeyListRef* outList, PGPKeyIterRef* outIter)
{
    *outList = 0;
    *outIter = 0;
    TOwnedKeyList list;
    TOwnedKeyIter iter;
    PGPError status;
    if (SDKGeneration == 1) {
        status = OrderKeySet(keySet, kPGPOrder_Any, 0, list.Out());
        if (status == kPGPError_NoErr)
            status = SDKProcs.PGPNewKeyIter ? SDKProcs.PGPNewKeyIter(list.Get(), iter.Out()) : kPGPError_NotImplemented;
    } else {
        status = SDKProcs.PGPNewKeyIterFromKeySet ? SDKProcs.PGPNewKeyIterFromKeySet(keySet, iter.Out())
                                                  : kPGPError_NotImplemented;
    }
    if (status != kPGPError_NoErr)
        return status;
    *outList = list.Release();
    *outIter = iter.Release();
    return kPGPError_NoErr;
}

PGPError NewSingleKeyIter(PGPKeyDBObjRef key, PGPKeySetRef* outSet, PGPKeyListRef* outList, PGPKeyIterRef* outIter)
{
    *outSet = 0;
    *outList = 0;
    *outIter = 0;
    auto newSet = SDKGeneration == 1 ? SDKProcs.PGPNewSingletonKeySet : SDKProcs.PGPNewOneKeySet;
    TOwnedKeySet set;
    PGPError status = newSet ? newSet(key, set.Out()) : kPGPError_NotImplemented;
    TKeyWalk walk;
    if (status == kPGPError_NoErr)
        status = WalkKeySet(set.Get(), walk);
    PGPKeyDBObjRef first = 0;
    if (status == kPGPError_NoErr)
        status = KeyIterNext(walk.iter.Get(), kPGPIter_Key, &first);
    if (status != kPGPError_NoErr)
        return status;
    *outSet = set.Release();
    *outList = walk.list.Release();
    *outIter = walk.iter.Release();
    return kPGPError_NoErr;
}

PGPError FilterCertKeys(PGPKeySetRef keySet, bool forEncryption, PGPKeySetRef* outSet)
{
    *outSet = 0;
    TOwnedFilter filter;
    TOwnedKeySet filtered;
    PGPError status = BuildKeyFilter(KeyRings().Context(),
                                     kKeyFilterCertificates | (forEncryption ? uint32_t(kKeyFilterCanEncrypt) : 0u), filter.Out());
    if (status == kPGPError_NoErr)
        status = FilterSet(keySet, filter.Get(), filtered);
    if (status == kPGPError_NoErr)
        *outSet = filtered.Release();
    return status;
}
