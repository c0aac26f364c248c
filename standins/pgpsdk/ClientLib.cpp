// The stand-in client library (PGPcl.dll, also deployed as PGPclientLib.dll): init and close, and
// the change notifications, broadcast as registered window messages with the sender's process id.
// Its exports are stdcall, exported only under the decorated names of ClientLib.def; the key
// and certificate selection dialog is in KeySelectDialog.cpp.
#include "standins/pgpsdk/CoreLink.h"

#include <mutex>

namespace {

using NewContextProc = PGPError(PGP_CDECL*)(uint32_t, PGPContextRef*);
using FreeContextProc = PGPError(PGP_CDECL*)(PGPContextRef);

PGPError Broadcast(const char* messageName, uint32_t processID)
{
    UINT message = RegisterWindowMessageA(messageName);
    if (message == 0)
        return kPGPError_NotImplemented;
    PostMessageA(HWND_BROADCAST, message, processID, 0);
    return kPGPError_NoErr;
}

// The context the library made at init; the caller uses it until the library is closed.
struct ClientState {
    std::mutex lock;
    PGPContextRef context = 0;
};

ClientState& State()
{
    static ClientState state;
    return state;
}

} // namespace

extern "C" {

PGPError PGP_STDCALL PGPclInitLibrary(PGPContextRef* context, uint32_t)
{
    if (!context)
        return kPGPError_BadParams;
    *context = 0;
    auto newContext = standin::CoreProc<decltype(&::PGPNewContext)>("PGPNewContext");
    if (!newContext)
        return kPGPError_NotImplemented;
    std::lock_guard guard(State().lock);
    if (State().context == 0) {
        PGPError status = newContext(kPGPContextVersion, &State().context);
        if (status != kPGPError_NoErr)
            return status;
    }
    *context = State().context;
    return kPGPError_NoErr;
}

PGPError PGP_STDCALL PGPclCloseLibrary()
{
    std::lock_guard guard(State().lock);
    if (State().context == 0)
        return kPGPError_NoErr;
    auto freeContext = standin::CoreProc<decltype(&::PGPFreeContext)>("PGPFreeContext");
    PGPError status = freeContext ? freeContext(State().context) : kPGPError_NotImplemented;
    State().context = 0;
    return status;
}

PGPError PGP_STDCALL PGPclNotifyPrefsChanges(uint32_t processID)
{
    return Broadcast("PGP Prefs Reload", processID);
}

PGPError PGP_STDCALL PGPclNotifyKeyringChanges(uint32_t, uint32_t processID)
{
    return Broadcast("PGP Keyrings Reload", processID);
}

} // extern "C"
