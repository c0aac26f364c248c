// The adapters in front of the SDK calls whose shape changed after generation 1. The engine calls
// these, never the raw procedure variables they cover; each speaks the newer interface and
// translates for generation 1. A call whose procedure is not bound returns kPGPError_NotImplemented.
#pragma once

#include "engine/sdk/pgpBindings.h"

#include <string>

PGPError DeleteKeys(PGPKeySetRef set, PGPKeySetRef fromSet);
PGPError OrderKeySet(PGPKeySetRef set, int32_t order, PGPBoolean reverse, PGPKeyListRef* outList);
PGPError KeyIterNext(PGPKeyIterRef iter, int32_t kind, PGPKeyDBObjRef* outObj);
PGPError KeyIterRewind(PGPKeyIterRef iter, int32_t kind);
PGPError GetIndexedADK(PGPKeyDBObjRef key, PGPKeySetRef set, uint32_t index, PGPKeyDBObjRef* outKey,
                       PGPKeyID* outKeyID, uint8_t* outClass);
PGPError GetSigCertifierKey(PGPKeyDBObjRef sig, PGPKeySetRef set, PGPKeyDBObjRef* outKey);
PGPError GetIndexedRevocationKey(PGPKeyDBObjRef key, PGPKeySetRef set, uint32_t index, PGPKeyDBObjRef* outKey,
                                 PGPKeyID* outKeyID);
PGPError GetPrimaryUserIDName(PGPKeyDBObjRef key, char* buffer, PGPSize size, PGPSize* outLength);
PGPError FindKeyByKeyID(PGPKeySetRef set, const PGPKeyID* keyID, int32_t algorithm, PGPKeyDBObjRef* outKey);
PGPError KeyIDFromString(const char* text, int32_t algorithm, PGPKeyID* outKeyID);
PGPError PurgePassphraseCache(PGPContextRef context);
PGPError CountCachedPassphrases(PGPContextRef context, uint32_t* local, uint32_t* shared, uint32_t* localDB,
                                uint32_t* sharedDB);
PGPError NewBooleanFilter(PGPContextRef context, int32_t property, PGPBoolean match, PGPFilterRef* outFilter);
PGPError NewNumericFilter(PGPContextRef context, int32_t property, int32_t value, PGPFilterRef* outFilter,
                          int32_t match);
PGPError NewDataFilter(PGPContextRef context, int32_t property, const void* value, PGPFilterRef* outFilter,
                       PGPSize size, int32_t match);
PGPError GetBooleanProperty(PGPKeyDBObjRef obj, int32_t property, PGPBoolean* out);
PGPError GetNumericProperty(PGPKeyDBObjRef obj, int32_t property, int32_t* out);
PGPError GetTimeProperty(PGPKeyDBObjRef obj, int32_t property, PGPTime* out);
PGPError GetDataProperty(PGPKeyDBObjRef obj, int32_t property, void* buffer, PGPSize size, PGPSize* outLength);
PGPOptionListRef OptionKeySource(PGPContextRef context, PGPKeySetRef set);
PGPOptionListRef OptionCachePassphrase(PGPContextRef context, int32_t seconds, PGPBoolean shared);
PGPError SupportWipeFileList(void* window, PGPContextRef context, void* fileList, uint32_t flags, uint32_t passes);
// Generations 2..4 take the text as 8-bit characters; 5 and later as UTF-16 (Windows only).
void* CmdLineToFileList(const std::string& text);
PGPError SendPGPlogMsg(void* window, const std::string& text);

// Option lists with the end marker added; the options are handed over to the SDK.
template <class... Options> PGPError BuildOptionList(PGPContextRef context, PGPOptionListRef* outList, Options... options)
{
    if (!SDKProcs.PGPBuildOptionList)
        return kPGPError_NotImplemented;
    return SDKProcs.PGPBuildOptionList(context, outList, static_cast<PGPOptionListRef>(options)..., kPGPEndOfOptions);
}

template <class... Options> PGPError AppendOptionList(PGPOptionListRef list, Options... options)
{
    if (!SDKProcs.PGPAppendOptionList)
        return kPGPError_NotImplemented;
    return SDKProcs.PGPAppendOptionList(list, static_cast<PGPOptionListRef>(options)..., kPGPEndOfOptions);
}
