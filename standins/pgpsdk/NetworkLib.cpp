// The stand-in network library (PGPsdkNL.dll): init and clean-up, TLS contexts as plain objects,
// and the key-server options; key-server traffic comes with its own unit.
#include "standins/pgpsdk/CoreLink.h"
#include "standins/pgpsdk/Options.h"

#include <atomic>

PGP_NETWORK_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

using standin::OptionKind;

namespace {
constexpr PGPtlsContextRef kTLSTokenBase = 0x7E000000; // far above the core's handles
} // namespace

extern "C" {

PGPError PGP_CDECL PGPsdkNetworkLibInit(uint32_t) { return standin::NoteLibraryInit(kStandInNetwork, +1); }
PGPError PGP_CDECL PGPsdkNetworkLibCleanup() { return standin::NoteLibraryInit(kStandInNetwork, -1); }

// A TLS context holds nothing until key-server traffic exists: a token the caller hands back.
PGPError PGP_CDECL PGPNewTLSContext(PGPContextRef context, PGPtlsContextRef* tls)
{
    static std::atomic<PGPtlsContextRef> next { kTLSTokenBase };
    if (!tls || !context)
        return kPGPError_BadParams;
    *tls = next++;
    return kPGPError_NoErr;
}
PGPError PGP_CDECL PGPFreeTLSContext(PGPtlsContextRef tls)
{
    return tls >= kTLSTokenBase ? kPGPError_NoErr : kPGPError_BadParams;
}
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
