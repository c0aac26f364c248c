// The client library's init, close and notifications by generation: generation 1 binds the cdecl
// names, later ones the decorated stdcall names (the client makes its own context there).
#include "engine/pgpCL.h"

#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"

namespace {

template <class Proc, class... Args> PGPError Call(Proc proc, Args... args)
{
    return proc ? proc(args...) : kPGPError_NotImplemented;
}

bool OldSDK() { return SDKGeneration == 1; }

} // namespace

PGPError InitClientLibrary(PGPContextRef& context)
{
    if (OldSDK())
        return Call(SDKProcs.PGPclInitLibraryGen1, context);
    context = 0;
    return Call(SDKProcs.PGPclInitLibrary, &context, 0u);
}

PGPError CloseClientLibrary()
{
    return OldSDK() ? Call(SDKProcs.PGPclCloseLibraryGen1) : Call(SDKProcs.PGPclCloseLibrary);
}

PGPError NotifyPrefsChanged(uint32_t processID)
{
    return OldSDK() ? Call(SDKProcs.PGPclNotifyPrefsChangesGen1, processID)
                    : Call(SDKProcs.PGPclNotifyPrefsChanges, processID);
}

PGPError NotifyKeyringChanged(uint32_t processID)
{
    return OldSDK() ? Call(SDKProcs.PGPclNotifyKeyringChangesGen1, processID)
                    : Call(SDKProcs.PGPclNotifyKeyringChanges, SDKInitFlags, processID);
}
