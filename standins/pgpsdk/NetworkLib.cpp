// The stand-in network library (PGPsdkNL.dll): init and clean-up, TLS contexts as plain objects,
// and the key-server options; the key servers themselves are in KeyServers.cpp.
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

// A TLS context holds nothing (WinINet does the key servers' TLS): a token the caller hands back.
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
