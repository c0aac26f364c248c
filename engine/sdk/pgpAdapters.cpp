// Generation translation for the SDK calls whose shape changed: the newer property numbers, filter
// kinds, iterator steps and argument orders mapped onto the generation-1 entry points.
#include "engine/sdk/pgpAdapters.h"
#include "engine/sdk/pgpBase.h"

namespace {

bool OldSDK() { return SDKGeneration == 1; }

template <class Proc, class... Args> PGPError Call(Proc proc, Args... args)
{
    return proc ? proc(args...) : kPGPError_NotImplemented;
}

bool In(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

PGPKeyDBRef KeyDBOf(PGPKeySetRef set)
{
    return SDKProcs.PGPPeekKeySetKeyDB ? SDKProcs.PGPPeekKeySetKeyDB(set) : 0;
}

} // namespace

PGPError DeleteKeys(PGPKeySetRef set, PGPKeySetRef fromSet)
{
    return OldSDK() ? Call(SDKProcs.PGPRemoveKeys, set, fromSet) : Call(SDKProcs.PGPDeleteKeys, set);
}

PGPError OrderKeySet(PGPKeySetRef set, int32_t order, PGPBoolean reverse, PGPKeyListRef* outList)
{
    if (!OldSDK())
        return Call(SDKProcs.PGPOrderKeySet, set, order, reverse, outList);
    int32_t oldOrder = order <= 1 ? order : 2 * (order - 1) + (reverse ? 1 : 0);
    return Call(SDKProcs.PGPOrderKeySetGen1, set, oldOrder, outList);
}

PGPError KeyIterNext(PGPKeyIterRef iter, int32_t kind, PGPKeyDBObjRef* outObj)
{
    if (!OldSDK())
        return Call(SDKProcs.PGPKeyIterNextKeyDBObj, iter, kind, outObj);
    switch (kind) {
    case kPGPIter_Key:
        return Call(SDKProcs.PGPKeyIterNext, iter, outObj);
    case kPGPIter_SubKey:
        return Call(SDKProcs.PGPKeyIterNextSubKey, iter, outObj);
    case kPGPIter_UserID:
        return Call(SDKProcs.PGPKeyIterNextUserID, iter, outObj);
    case kPGPIter_Signature:
        return Call(SDKProcs.PGPKeyIterNextUIDSig, iter, outObj);
    default:
        return kPGPError_AdapterIterKind;
    }
}

PGPError KeyIterRewind(PGPKeyIterRef iter, int32_t kind)
{
    if (!OldSDK())
        return Call(SDKProcs.PGPKeyIterRewind, iter, kind);
    switch (kind) {
    case kPGPIter_Key:
        return Call(SDKProcs.PGPKeyIterRewindGen1, iter);
    case kPGPIter_SubKey:
        return Call(SDKProcs.PGPKeyIterRewindSubKey, iter);
    case kPGPIter_UserID:
        return Call(SDKProcs.PGPKeyIterRewindUserID, iter);
    case kPGPIter_Signature:
        return Call(SDKProcs.PGPKeyIterRewindUIDSig, iter);
    default:
        return kPGPError_AdapterIterKind;
    }
}

PGPError GetIndexedADK(PGPKeyDBObjRef key, PGPKeySetRef set, uint32_t index, PGPKeyDBObjRef* outKey,
                       PGPKeyID* outKeyID, uint8_t* outClass)
{
    if (OldSDK())
        return Call(SDKProcs.PGPGetIndexedAdditionalRecipientRequestKeyGen1, key, set, index, outKey, outKeyID,
                    outClass);
    return Call(SDKProcs.PGPGetIndexedAdditionalRecipientRequestKey, key, index, outKey, outKeyID, outClass);
}

PGPError GetSigCertifierKey(PGPKeyDBObjRef sig, PGPKeySetRef set, PGPKeyDBObjRef* outKey)
{
    return Call(SDKProcs.PGPGetSigCertifierKey, sig, OldSDK() ? set : KeyDBOf(set), outKey);
}

PGPError GetIndexedRevocationKey(PGPKeyDBObjRef key, PGPKeySetRef set, uint32_t index, PGPKeyDBObjRef* outKey,
                                 PGPKeyID* outKeyID)
{
    if (OldSDK())
        return Call(SDKProcs.PGPGetIndexedRevocationKeyGen1, key, set, index, outKey, outKeyID);
    return Call(SDKProcs.PGPGetIndexedRevocationKey, key, index, outKey, outKeyID);
}

PGPError GetPrimaryUserIDName(PGPKeyDBObjRef key, char* buffer, PGPSize size, PGPSize* outLength)
{
    if (OldSDK())
        return Call(SDKProcs.PGPGetPrimaryUserIDNameBuffer, key, size, buffer, outLength);
    return Call(SDKProcs.PGPGetPrimaryUserIDName, key, buffer, size, outLength);
}

PGPError FindKeyByKeyID(PGPKeySetRef set, const PGPKeyID* keyID, int32_t algorithm, PGPKeyDBObjRef* outKey)
{
    if (OldSDK())
        return Call(SDKProcs.PGPGetKeyByKeyID, set, keyID, algorithm, outKey);
    return Call(SDKProcs.PGPFindKeyByKeyID, KeyDBOf(set), keyID, outKey);
}

PGPError KeyIDFromString(const char* text, int32_t algorithm, PGPKeyID* outKeyID)
{
    if (OldSDK())
        return Call(SDKProcs.PGPGetKeyIDFromString, text, outKeyID);
    return Call(SDKProcs.PGPNewKeyIDFromString, text, algorithm, outKeyID);
}

PGPError PurgePassphraseCache(PGPContextRef context)
{
    if (SDKProcs.PGPPurgeNamedPassphraseCache)
        return SDKProcs.PGPPurgeNamedPassphraseCache(context, "default");
    return Call(SDKProcs.PGPPurgePassphraseCache, context);
}

PGPError CountCachedPassphrases(PGPContextRef context, uint32_t* local, uint32_t* shared, uint32_t* localDB,
                                uint32_t* sharedDB)
{
    if (SDKProcs.PGPCountCachedNamedPassphrases)
        return SDKProcs.PGPCountCachedNamedPassphrases(context, "default", local, shared, localDB, sharedDB);
    return Call(SDKProcs.PGPCountCachedPassphrases, context, local, shared, localDB, sharedDB);
}

PGPError NewBooleanFilter(PGPContextRef context, int32_t property, PGPBoolean match, PGPFilterRef* outFilter)
{
    if (!OldSDK())
        return Call(SDKProcs.PGPNewKeyDBObjBooleanFilter, context, property, match, outFilter);
    if (property == kPGPKeyProperty_IsDisabled)
        return Call(SDKProcs.PGPNewKeyDisabledFilter, context, match, outFilter);
    if (In(property, kPGPKeyProperty_CanEncrypt, kPGPKeyProperty_CanVerify))
        return Call(SDKProcs.PGPNewKeyBooleanFilter, context, property - 40, match, outFilter);
    return kPGPError_AdapterProperty;
}

PGPError NewNumericFilter(PGPContextRef context, int32_t property, int32_t value, PGPFilterRef* outFilter,
                          int32_t match)
{
    if (!OldSDK())
        return Call(SDKProcs.PGPNewKeyDBObjNumericFilter, context, property, value, match, outFilter);
    if (property == kPGPKeyProperty_AlgorithmID)
        return Call(SDKProcs.PGPNewKeySigAlgorithmFilter, context, value, outFilter);
    if (property == kPGPKeyProperty_Validity)
        return Call(SDKProcs.PGPNewKeyNumberFilter, context, 23, value, match, outFilter);
    return kPGPError_AdapterProperty;
}

PGPError NewDataFilter(PGPContextRef context, int32_t property, const void* value, PGPFilterRef* outFilter,
                       PGPSize size, int32_t match)
{
    if (!OldSDK())
        return Call(SDKProcs.PGPNewKeyDBObjDataFilter, context, property, value, size, match, outFilter);
    auto keyID = static_cast<const PGPKeyID*>(value);
    auto text = static_cast<const char*>(value);
    switch (property) {
    case kPGPKeyProperty_KeyID:
        return Call(SDKProcs.PGPNewKeyIDFilter, context, keyID, outFilter);
    case kPGPSubKeyProperty_KeyID:
        return Call(SDKProcs.PGPNewSubKeyIDFilter, context, keyID, outFilter);
    case kPGPSigProperty_KeyID:
        return Call(SDKProcs.PGPNewSigKeyIDFilter, context, keyID, outFilter);
    case kPGPUserIDProperty_Name:
        return Call(SDKProcs.PGPNewUserIDStringFilter, context, text, match, outFilter);
    case kPGPUserIDProperty_CommonName:
        return Call(SDKProcs.PGPNewUserIDNameFilter, context, text, match, outFilter);
    case kPGPUserIDProperty_EmailAddress:
        return Call(SDKProcs.PGPNewUserIDEmailFilter, context, text, match, outFilter);
    default:
        return kPGPError_AdapterProperty;
    }
}

PGPError GetBooleanProperty(PGPKeyDBObjRef obj, int32_t property, PGPBoolean* out)
{
    if (!OldSDK())
        return Call(SDKProcs.PGPGetKeyDBObjBooleanProperty, obj, property, out);
    if (In(property, 100, 116))
        return Call(SDKProcs.PGPGetKeyBoolean, obj, property - 40, out);
    if (property == 501)
        return Call(SDKProcs.PGPGetSubKeyBoolean, obj, 62, out);
    if (In(property, 502, 505))
        return Call(SDKProcs.PGPGetSubKeyBoolean, obj, property - 438, out);
    if (In(property, 506, 507))
        return Call(SDKProcs.PGPGetSubKeyBoolean, obj, property - 431, out);
    if (property == 900)
        return Call(SDKProcs.PGPGetUserIDBoolean, obj, 110, out);
    if (In(property, 1300, 1308))
        return Call(SDKProcs.PGPGetSigBoolean, obj, property - 1120, out);
    return kPGPError_AdapterProperty;
}

PGPError GetNumericProperty(PGPKeyDBObjRef obj, int32_t property, int32_t* out)
{
    if (!OldSDK())
        return Call(SDKProcs.PGPGetKeyDBObjNumericProperty, obj, property, out);
    if (In(property, 200, 206))
        return Call(SDKProcs.PGPGetKeyNumber, obj, property - 180, out);
    if (property == 207)
        return Call(SDKProcs.PGPGetHashAlgUsed, obj, out);
    if (In(property, 600, 601))
        return Call(SDKProcs.PGPGetSubKeyNumber, obj, property - 580, out);
    if (In(property, 602, 603))
        return Call(SDKProcs.PGPGetSubKeyNumber, obj, property - 578, out);
    if (property == 605)
        return Call(SDKProcs.PGPGetSubKeyNumber, obj, 206, out);
    if (In(property, 1000, 1002))
        return Call(SDKProcs.PGPGetUserIDNumber, obj, property - 900, out);
    if (In(property, 1400, 1402))
        return Call(SDKProcs.PGPGetSigNumber, obj, property - 1258, out);
    return kPGPError_AdapterProperty;
}

PGPError GetTimeProperty(PGPKeyDBObjRef obj, int32_t property, PGPTime* out)
{
    if (!OldSDK())
        return Call(SDKProcs.PGPGetKeyDBObjTimeProperty, obj, property, out);
    if (In(property, 300, 301))
        return Call(SDKProcs.PGPGetKeyTime, obj, property - 260, out);
    if (In(property, 700, 701))
        return Call(SDKProcs.PGPGetSubKeyTime, obj, property - 660, out);
    if (In(property, 1500, 1501))
        return Call(SDKProcs.PGPGetSigTime, obj, property - 1340, out);
    return kPGPError_AdapterProperty;
}

PGPError GetDataProperty(PGPKeyDBObjRef obj, int32_t property, void* buffer, PGPSize size, PGPSize* outLength)
{
    if (!OldSDK())
        return Call(SDKProcs.PGPGetKeyDBObjDataProperty, obj, property, buffer, size, outLength);
    if (property == 401)
        return Call(SDKProcs.PGPGetKeyPropertyBuffer, obj, 1, size, buffer, outLength);
    if (In(property, 403, 404))
        return Call(SDKProcs.PGPGetKeyPropertyBuffer, obj, property - 401, size, buffer, outLength);
    if (In(property, 1200, 1201))
        return Call(SDKProcs.PGPGetUserIDStringBuffer, obj, property - 1120, size, buffer, outLength);
    if (In(property, 1600, 1601))
        return Call(SDKProcs.PGPGetSigPropertyBuffer, obj, property - 1480, size, buffer, outLength);
    return kPGPError_AdapterProperty;
}

PGPOptionListRef OptionKeySource(PGPContextRef context, PGPKeySetRef set)
{
    if (OldSDK())
        return SDKProcs.PGPOKeySetRef ? SDKProcs.PGPOKeySetRef(context, set) : 0;
    return SDKProcs.PGPOKeyDBRef ? SDKProcs.PGPOKeyDBRef(context, KeyDBOf(set)) : 0;
}

PGPOptionListRef OptionCachePassphrase(PGPContextRef context, int32_t seconds, PGPBoolean shared)
{
    if (SDKProcs.PGPOCacheNamedPassphrase)
        return SDKProcs.PGPOCacheNamedPassphrase(context, seconds, shared, "default");
    return SDKProcs.PGPOCachePassphrase ? SDKProcs.PGPOCachePassphrase(context, seconds, shared) : 0;
}

PGPError SupportWipeFileList(void* window, PGPContextRef context, void* fileList, uint32_t flags, uint32_t passes)
{
    if (OldSDK())
        return Call(SDKProcs.WipeFileList, window, context, fileList, flags, passes);
    return Call(SDKProcs.PGPscWipeFileList, window, context, fileList, flags, passes);
}
