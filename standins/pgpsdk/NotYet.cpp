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

NOT_YET(PGPFlushKeyDB, (PGPKeyDBRef))
NOT_YET(PGPCacheKeyDB, (PGPKeyDBRef, uint32_t))
NOT_YET(PGPPurgeKeyDBCache, (PGPContextRef))
NOT_YET(PGPCopyKeys, (PGPKeySetRef, PGPKeyDBRef, PGPKeySetRef*))
NOT_YET(PGPDeleteKeys, (PGPKeySetRef))
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
