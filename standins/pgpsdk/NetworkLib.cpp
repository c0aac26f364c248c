// The stand-in network library (PGPsdkNL.dll): init and clean-up, TLS contexts as plain objects,
// and the key-server options; key-server traffic comes with its own unit.
#include "standins/pgpsdk/CoreLink.h"
#include "standins/pgpsdk/Options.h"

PGP_NETWORK_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

using standin::OptionKind;

extern "C" {

PGPError PGP_CDECL PGPsdkNetworkLibInit(uint32_t) { return standin::NoteLibraryInit(kStandInNetwork, +1); }
PGPError PGP_CDECL PGPsdkNetworkLibCleanup() { return standin::NoteLibraryInit(kStandInNetwork, -1); }

PGPError PGP_CDECL PGPNewTLSContext(PGPContextRef, PGPtlsContextRef*) { return kPGPError_NotImplemented; }
PGPError PGP_CDECL PGPFreeTLSContext(PGPtlsContextRef) { return kPGPError_NotImplemented; }
PGPError PGP_CDECL PGPKeyServerInit() { return kPGPError_NotImplemented; }
PGPError PGP_CDECL PGPKeyServerCleanup() { return kPGPError_NotImplemented; }
PGPError PGP_CDECL PGPKeyServerCreateThreadStorage(PGPKeyServerThreadStorageRef*) { return kPGPError_NotImplemented; }
PGPError PGP_CDECL PGPKeyServerDisposeThreadStorage(PGPKeyServerThreadStorageRef) { return kPGPError_NotImplemented; }

PGPError PGP_CDECL PGPNewKeyServer(PGPContextRef, int32_t, PGPKeyServerRef* server, ...)
{
    va_list args;
    va_start(args, server);
    standin::DiscardOptions(args);
    va_end(args);
    return kPGPError_NotImplemented;
}

PGPError PGP_CDECL PGPFreeKeyServer(PGPKeyServerRef) { return kPGPError_NotImplemented; }

PGPOptionListRef PGP_CDECL PGPONetURL(PGPContextRef context, const char* url)
{
    return url ? standin::CoreOption(context, static_cast<int32_t>(OptionKind::NetURL), 0, 0, nullptr, url) : 0;
}

PGPOptionListRef PGP_CDECL PGPOKeyServerSearchFilter(PGPContextRef context, PGPFilterRef filter)
{
    if (!filter)
        return 0;
    return standin::CoreOption(context, static_cast<int32_t>(OptionKind::KeyServerSearchFilter), 0, filter, nullptr,
                               nullptr);
}

} // extern "C"
