// The client library's init, close, notifications and preference store by generation: generation 1
// binds the cdecl names, later ones the decorated stdcall names (the client makes its own context).
#include "engine/pgpCL.h"

#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"

#include <cstring>

namespace {

template <class Proc, class... Args> PGPError Call(Proc proc, Args... args)
{
    return proc ? proc(args...) : kPGPError_NotImplemented;
}

bool OldSDK() { return SDKGeneration == 1; }

// Memory the client library handed out, freed through the SDK.
class TClientMemory {
public:
    ~TClientMemory()
    {
        if (data && SDKProcs.PGPFreeData)
            SDKProcs.PGPFreeData(data);
    }
    void* data = nullptr;
};

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

PGPError OpenClientPrefs(PGPMemoryMgrRef memoryManager, PGPHandle& prefs)
{
    prefs = 0;
    return OldSDK() ? Call(SDKProcs.PGPclOpenClientPrefs, memoryManager, &prefs) : kPGPError_NotImplemented;
}

PGPError CloseClientPrefs(PGPHandle prefs, bool save)
{
    return OldSDK() ? Call(SDKProcs.PGPclCloseClientPrefs, prefs, PGPBoolean(save)) : kPGPError_NotImplemented;
}

PGPError GetClientPrefBoolean(PGPHandle prefs, int32_t index, bool& value)
{
    PGPBoolean flag = 0;
    const PGPError status
        = OldSDK() ? Call(SDKProcs.PGPclGetPrefBoolean, prefs, index, &flag) : kPGPError_NotImplemented;
    value = status == kPGPError_NoErr && flag != 0;
    return status;
}

PGPError GetClientPrefNumber(PGPHandle prefs, int32_t index, uint32_t& value)
{
    value = 0;
    return OldSDK() ? Call(SDKProcs.PGPclGetPrefNumber, prefs, index, &value) : kPGPError_NotImplemented;
}

PGPError GetClientPrefString(PGPHandle prefs, int32_t index, std::string& value)
{
    value.clear();
    TClientMemory text;
    char* allocated = nullptr;
    const PGPError status
        = OldSDK() ? Call(SDKProcs.PGPclGetPrefStringAlloc, prefs, index, &allocated) : kPGPError_NotImplemented;
    text.data = allocated;
    if (status == kPGPError_NoErr && allocated)
        value = allocated;
    return status;
}

PGPError GetClientPrefData(PGPHandle prefs, int32_t index, std::string& data)
{
    data.clear();
    TClientMemory block;
    PGPSize size = 0;
    const PGPError status
        = OldSDK() ? Call(SDKProcs.PGPclGetPrefData, prefs, index, &size, &block.data) : kPGPError_NotImplemented;
    if (status == kPGPError_NoErr && block.data)
        data.assign(static_cast<const char*>(block.data), size);
    return status;
}

PGPError GetClientKeyServers(PGPHandle prefs, std::vector<TClientKeyServer>& servers)
{
    std::string data;
    const PGPError status = GetClientPrefData(prefs, kClientPrefKeyServers, data);
    servers = status == kPGPError_NoErr ? ParseClientKeyServers(data) : std::vector<TClientKeyServer> {};
    return status;
}

PGPError SetClientKeyServers(PGPHandle prefs, const std::vector<TClientKeyServer>& servers)
{
    const std::string data = BuildClientKeyServers(servers);
    return OldSDK() ? Call(SDKProcs.PGPclSetPrefData, prefs, kClientPrefKeyServers, static_cast<PGPSize>(data.size()),
                           static_cast<const void*>(data.data()))
                    : kPGPError_NotImplemented;
}
