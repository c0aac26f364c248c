// The engine's procedure variables for every SDK entry point it calls, one table filled by name
// after the loader ran. A variable stays null when its name is missing or when loading failed;
// callers go through the adapters (pgpAdapters.h) wherever the SDK's shape changed by generation.
#pragma once

#include "engine/sdk/PGPsdkEntries.h"

#include <functional>

#define ZAVEK_SDK_PROC(name, firstGen, lastGen, result, params) result(PGP_CDECL* name) params = nullptr;
#define ZAVEK_SDK_PROC_AS(var, exportName, firstGen, lastGen, result, params) \
    result(PGP_CDECL* var) params = nullptr;
#define ZAVEK_SDK_STDCALL_AS(var, exportName, firstGen, lastGen, result, params) \
    result(PGP_STDCALL* var) params = nullptr;

struct PGPsdkProcs {
    PGP_CORE_ENTRIES(ZAVEK_SDK_PROC, ZAVEK_SDK_PROC_AS)
    PGP_NETWORK_ENTRIES(ZAVEK_SDK_PROC, ZAVEK_SDK_PROC_AS)
    PGP_UI_ENTRIES(ZAVEK_SDK_PROC, ZAVEK_SDK_PROC_AS)
    PGP_CLIENT_ENTRIES(ZAVEK_SDK_PROC, ZAVEK_SDK_STDCALL_AS)
    PGP_CLIENT_GEN1_ENTRIES(ZAVEK_SDK_PROC, ZAVEK_SDK_PROC_AS)
    PGP_SUPPORT_ENTRIES(ZAVEK_SDK_PROC, ZAVEK_SDK_PROC_AS)
};

#undef ZAVEK_SDK_PROC
#undef ZAVEK_SDK_PROC_AS
#undef ZAVEK_SDK_STDCALL_AS

extern PGPsdkProcs SDKProcs;

// The key-id text kind for a full 16-digit key id: 3 for generation 1, 2 later.
extern int32_t KeyIDTextType;

// The client library's change notifications, registered at binding (0 until then).
extern uint32_t PGPPrefsReloadMessage;
extern uint32_t PGPKeyringsReloadMessage;
extern uint32_t PGPKeyserverPrefsReloadMessage;

// The binding units' initialization: binds nothing when SDKLoadError is set; otherwise binds every
// name of SDKGeneration from its library, registers the messages and starts the network and
// user-interface libraries.
void BindPGPsdk();
// The finalizations: the user-interface and network clean-ups (only after their init succeeded),
// then every variable back to null.
void UnbindPGPsdk();

// Visits the procedure variable of every name valid for `generation`, with its library and export
// name; the binding fills them, tests fill them with fakes.
void ForEachSDKProc(uint8_t generation, const std::function<void(int library, const char* exportName, void** slot)>& visit);
