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

NOT_YET(PGPRemoveSig, (PGPKeyDBObjRef))
NOT_YET(PGPRemoveUserID, (PGPKeyDBObjRef))
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
