// The binding units on Windows: every entry point looked up by name in the library the loader
// loaded, then the network and user-interface libraries started.
#include "engine/sdk/pgpBindings.h"
#include "engine/sdk/pgpBase.h"

#include <windows.h>

#include <vector>

namespace {

// Clean-ups run only for libraries whose init succeeded.
bool networkStarted = false;
bool uiStarted = false;


} // namespace

void BindPGPsdk()
{
    if (SDKLoadError != 0)
        return;
    std::vector<ProcBinding> rows[kSDKLibraryCount];
    ForEachSDKProc(SDKGeneration, [&](int library, const char* exportName, void** slot) {
        rows[library].push_back({ exportName, reinterpret_cast<FARPROC*>(slot) });
    });
    for (int library = 0; library < kSDKLibraryCount; ++library)
        BindProcs(SDKLibraries[library].Handle(), rows[library]);
    bool first = SDKGeneration == 1;
    PGPPrefsReloadMessage = RegisterWindowMessageA(first ? "PGPM_RELOADPREFS" : "PGP Prefs Reload");
    PGPKeyringsReloadMessage = RegisterWindowMessageA(first ? "PGPM_RELOADKEYRING" : "PGP Keyrings Reload");
    PGPKeyserverPrefsReloadMessage
        = RegisterWindowMessageA(first ? "PGPM_RELOADKEYSERVERPREFS" : "PGP Keyserver Prefs Reload");
    if (SDKProcs.PGPsdkNetworkLibInit)
        networkStarted = SDKProcs.PGPsdkNetworkLibInit(SDKInitFlags) == kPGPError_NoErr;
    if (SDKProcs.PGPsdkUILibInit)
        uiStarted = SDKProcs.PGPsdkUILibInit(SDKInitFlags) == kPGPError_NoErr;
}

void UnbindPGPsdk()
{
    if (uiStarted && SDKProcs.PGPsdkUILibCleanup)
        SDKProcs.PGPsdkUILibCleanup();
    if (networkStarted && SDKProcs.PGPsdkNetworkLibCleanup)
        SDKProcs.PGPsdkNetworkLibCleanup();
    uiStarted = networkStarted = false;
    SDKProcs = PGPsdkProcs {};
    PGPPrefsReloadMessage = PGPKeyringsReloadMessage = PGPKeyserverPrefsReloadMessage = 0;
}
