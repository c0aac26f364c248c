// The binding units on Windows: every entry point looked up by name in the library the loader
// loaded, then the network and user-interface libraries started.
#include "engine/sdk/pgpBindings.h"
#include "engine/sdk/pgpBase.h"

#include <windows.h>

namespace {

// Clean-ups run only for libraries whose init succeeded.
bool networkStarted = false;
bool uiStarted = false;

void* LookupInLoadedLibrary(int library, const char* exportName)
{
    auto module = static_cast<HMODULE>(SDKLibraryHandles[library]);
    return module ? reinterpret_cast<void*>(GetProcAddress(module, exportName)) : nullptr;
}

} // namespace

void BindPGPsdk()
{
    if (SDKLoadError != 0)
        return;
    FillSDKProcs(SDKGeneration, LookupInLoadedLibrary);
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
