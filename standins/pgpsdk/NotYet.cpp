// Core entry points whose stand-in work (key database, jobs, import and export, groups) comes with
// later units: they exist so the engine binds every name, refuse with "not available", and still
// take ownership of the option handles passed to them.
#include "standins/pgpsdk/Options.h"
#include "standins/pgpsdk/StandInExports.h"

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

#define NOT_YET(name, params)               \
    PGPError PGP_CDECL name params          \
    {                                       \
        return kPGPError_NotImplemented;    \
    }
#define NOT_YET_CONSUMING(name, result, failure, params, last) \
    result PGP_CDECL name params                               \
    {                                                          \
        va_list args;                                          \
        va_start(args, last);                                  \
        std::vector<standin::Option> options;                  \
        standin::ConsumeOptionArguments(args, options);        \
        va_end(args);                                          \
        return failure;                                        \
    }

extern "C" {

NOT_YET_CONSUMING(PGPEncode, PGPError, kPGPError_NotImplemented, (PGPContextRef context, ...), context)
NOT_YET_CONSUMING(PGPDecode, PGPError, kPGPError_NotImplemented, (PGPContextRef context, ...), context)
NOT_YET_CONSUMING(PGPImport, PGPError, kPGPError_NotImplemented, (PGPContextRef context, PGPKeyDBRef* db, ...), db)
NOT_YET_CONSUMING(PGPExport, PGPError, kPGPError_NotImplemented, (PGPContextRef context, ...), context)
NOT_YET_CONSUMING(PGPChangePassphrase, PGPError, kPGPError_NotImplemented, (PGPKeyDBObjRef key, ...), key)
NOT_YET_CONSUMING(PGPPassphraseIsValid, PGPBoolean, 0, (PGPKeyDBObjRef key, ...), key)

NOT_YET(PGPOpenKeyDBFile, (PGPContextRef, uint32_t, PGPFileSpecRef, PGPFileSpecRef, PGPKeyDBRef*))
PGPKeySetRef PGP_CDECL PGPPeekKeyDBRootKeySet(PGPKeyDBRef) { return 0; }
NOT_YET(PGPFreeKeyDB, (PGPKeyDBRef))
NOT_YET(PGPNewKeyDB, (PGPContextRef, PGPKeyDBRef*))
NOT_YET(PGPFlushKeyDB, (PGPKeyDBRef))
PGPKeyDBRef PGP_CDECL PGPPeekKeySetKeyDB(PGPKeySetRef) { return 0; }
NOT_YET(PGPCacheKeyDB, (PGPKeyDBRef, uint32_t))
NOT_YET(PGPPurgeKeyDBCache, (PGPContextRef))
NOT_YET(PGPNewEmptyKeySet, (PGPKeyDBRef, PGPKeySetRef*))
NOT_YET(PGPNewOneKeySet, (PGPKeyDBObjRef, PGPKeySetRef*))
NOT_YET(PGPAddKeys, (PGPKeySetRef, PGPKeySetRef))
NOT_YET(PGPCopyKeys, (PGPKeySetRef, PGPKeyDBRef, PGPKeySetRef*))
NOT_YET(PGPDeleteKeys, (PGPKeySetRef))
NOT_YET(PGPFreeKeySet, (PGPKeySetRef))
NOT_YET(PGPIncKeySetRefCount, (PGPKeySetRef))
NOT_YET(PGPCountKeys, (PGPKeySetRef, uint32_t*))
NOT_YET(PGPFilterKeySet, (PGPKeySetRef, PGPFilterRef, PGPKeySetRef*))
NOT_YET(PGPNewKeyDBObjBooleanFilter, (PGPContextRef, int32_t, PGPBoolean, PGPFilterRef*))
NOT_YET(PGPNewKeyDBObjNumericFilter, (PGPContextRef, int32_t, int32_t, int32_t, PGPFilterRef*))
NOT_YET(PGPNewKeyDBObjDataFilter, (PGPContextRef, int32_t, const void*, PGPSize, int32_t, PGPFilterRef*))
NOT_YET(PGPUnionFilters, (PGPFilterRef, PGPFilterRef, PGPFilterRef*))
NOT_YET(PGPIntersectFilters, (PGPFilterRef, PGPFilterRef, PGPFilterRef*))
NOT_YET(PGPNegateFilter, (PGPFilterRef, PGPFilterRef*))
NOT_YET(PGPFreeFilter, (PGPFilterRef))
NOT_YET(PGPOrderKeySet, (PGPKeySetRef, int32_t, PGPBoolean, PGPKeyListRef*))
NOT_YET(PGPFreeKeyList, (PGPKeyListRef))
NOT_YET(PGPNewKeyIter, (PGPKeyListRef, PGPKeyIterRef*))
NOT_YET(PGPNewKeyIterFromKeySet, (PGPKeySetRef, PGPKeyIterRef*))
NOT_YET(PGPFreeKeyIter, (PGPKeyIterRef))
NOT_YET(PGPKeyIterNextKeyDBObj, (PGPKeyIterRef, int32_t, PGPKeyDBObjRef*))
NOT_YET(PGPKeyIterRewind, (PGPKeyIterRef, int32_t))
NOT_YET(PGPGetKeyDBObjBooleanProperty, (PGPKeyDBObjRef, int32_t, PGPBoolean*))
NOT_YET(PGPGetKeyDBObjNumericProperty, (PGPKeyDBObjRef, int32_t, int32_t*))
NOT_YET(PGPGetKeyDBObjTimeProperty, (PGPKeyDBObjRef, int32_t, PGPTime*))
NOT_YET(PGPGetKeyDBObjDataProperty, (PGPKeyDBObjRef, int32_t, void*, PGPSize, PGPSize*))
NOT_YET(PGPGetPrimaryUserIDName, (PGPKeyDBObjRef, char*, PGPSize, PGPSize*))
PGPKeyDBObjRef PGP_CDECL PGPPeekKeyDBObjKey(PGPKeyDBObjRef) { return 0; }
NOT_YET(PGPGetKeyID, (PGPKeyDBObjRef, PGPKeyID*))
NOT_YET(PGPFindKeyByKeyID, (PGPKeyDBRef, const PGPKeyID*, PGPKeyDBObjRef*))
NOT_YET(PGPCountRevocationKeys, (PGPKeyDBObjRef, uint32_t*))
NOT_YET(PGPGetIndexedRevocationKey, (PGPKeyDBObjRef, uint32_t, PGPKeyDBObjRef*, PGPKeyID*))
NOT_YET(PGPCountAdditionalRecipientRequests, (PGPKeyDBObjRef, uint32_t*))
NOT_YET(PGPGetIndexedAdditionalRecipientRequestKey, (PGPKeyDBObjRef, uint32_t, PGPKeyDBObjRef*, PGPKeyID*, uint8_t*))
NOT_YET(PGPGetSigCertifierKey, (PGPKeyDBObjRef, PGPHandle, PGPKeyDBObjRef*))
NOT_YET(PGPRemoveSig, (PGPKeyDBObjRef))
NOT_YET(PGPRemoveUserID, (PGPKeyDBObjRef))
#if !defined(STANDIN_WITHOUT_NAMED_CACHE)
// The generation-2 variant is built without the named cache, as an SDK that predates it.
NOT_YET(PGPPurgeNamedPassphraseCache, (PGPContextRef, const char*))
NOT_YET(PGPCountCachedNamedPassphrases, (PGPContextRef, const char*, uint32_t*, uint32_t*, uint32_t*, uint32_t*))
#endif
NOT_YET(PGPPurgePassphraseCache, (PGPContextRef))
NOT_YET(PGPCountCachedPassphrases, (PGPContextRef, uint32_t*, uint32_t*, uint32_t*, uint32_t*))
NOT_YET(PGPVerifyX509CertificateChain, (PGPContextRef, const uint8_t*, const uint8_t*))
NOT_YET(PGPNewGroupSetFromFile, (PGPContextRef, PGPFileSpecRef, PGPGroupSetRef*))
NOT_YET(PGPCountGroupsInSet, (PGPGroupSetRef, uint32_t*))
NOT_YET(PGPGetIndGroupID, (PGPGroupSetRef, uint32_t, PGPGroupID*))
NOT_YET(PGPGetGroupInfo, (PGPGroupSetRef, PGPGroupID, PGPGroupInfo*))
NOT_YET(PGPCountGroupItems, (PGPGroupSetRef, PGPGroupID, PGPBoolean, uint32_t*, uint32_t*))
NOT_YET(PGPNewGroupItemIter, (PGPGroupSetRef, PGPGroupID, uint32_t, PGPGroupItemIterRef*))
NOT_YET(PGPGroupItemIterNext, (PGPGroupItemIterRef, PGPGroupItem*))
NOT_YET(PGPFreeGroupItemIter, (PGPGroupItemIterRef))
NOT_YET(PGPFreeGroupSet, (PGPGroupSetRef))

} // extern "C"
