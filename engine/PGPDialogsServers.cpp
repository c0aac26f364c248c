// Key-server search through the user-interface library's search dialog: one key-server object per
// configured server, the search filter for the text, and the found keys offered for import or
// handed back.
#include "engine/PGPDialogs.h"

#include "engine/KeyFuncsSdk.h"
#include "engine/PGPDialogsParts.h"
#include "engine/PrefFuncs.h"
#include "engine/sdk/pgpAdapters.h"
#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"

namespace {

constexpr int32_t kKeyServerClass = 1;

// The filter of the search text: a key id (of the key, or of a sub-key when asked), else a part of a
// user id, in its UTF-8 form too when asked.
PGPError TextFilter(PGPContextRef context, const std::string& text, bool subKeys, bool utf8, TOwnedFilter& filter)
{
    if (IsKeyIDText(text)) {
        PGPKeyID keyID {};
        const PGPError status = KeyIDFromString(text.c_str(), 0, &keyID);
        if (status != kPGPError_NoErr)
            return status;
        return NewDataFilter(context, subKeys ? kPGPSubKeyProperty_KeyID : kPGPKeyProperty_KeyID, &keyID,
                             filter.Out(), sizeof keyID, kPGPMatch_Equal);
    }
    PGPError status = NewDataFilter(context, kPGPUserIDProperty_Name, text.c_str(), filter.Out(),
                                    static_cast<PGPSize>(text.size()), kPGPMatch_SubString);
    if (status != kPGPError_NoErr || !utf8)
        return status;
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, utf16.data(), wide);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, utf16.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.c_str(), -1, converted.data(), bytes, nullptr, nullptr);
    converted.resize(converted.empty() ? 0 : converted.size() - 1);
    if (converted == text || !SDKProcs.PGPUnionFilters)
        return status;
    TOwnedFilter second, both;
    status = NewDataFilter(context, kPGPUserIDProperty_Name, converted.c_str(), second.Out(),
                           static_cast<PGPSize>(converted.size()), kPGPMatch_SubString);
    if (status == kPGPError_NoErr)
        status = SDKProcs.PGPUnionFilters(filter.Get(), second.Get(), both.Out());
    if (status == kPGPError_NoErr)
        *filter.Out() = both.Release();
    return status;
}

// The search dialog over the configured servers; the keys found, as the SDK hands them out.
PGPError RunSearch(PGPContextRef context, TPrefsFile& prefs, const std::string& text, HWND window,
                   uint32_t filterFlags, PGPHandle& found)
{
    auto& sdk = SDKProcs;
    if (!sdk.PGPSearchKeyServerDialog)
        return kPGPError_NotImplemented;
    TKeyServers servers;
    PGPError status = InitKeyServers(context, prefs, servers);
    PGPOptionListRef options = 0;
    TOwnedFilter filter;
    if (status == kPGPError_NoErr)
        status = BuildSearchOptions(context, text, filterFlags, false, SDKGeneration >= 3, &options, window,
                                    filter.Out());
    PGPtlsContextRef tls = 0;
    if (status == kPGPError_NoErr && sdk.PGPNewTLSContext)
        status = sdk.PGPNewTLSContext(context, &tls);
    if (status == kPGPError_NoErr) {
        TDialogHookScope hooks(window);
        status = sdk.PGPSearchKeyServerDialog(context, static_cast<uint32_t>(servers.servers.size()),
                                              servers.servers.data(), tls, 0, &found, options, kPGPEndOfOptions);
    }
    if (tls && sdk.PGPFreeTLSContext)
        sdk.PGPFreeTLSContext(tls);
    if (options && sdk.PGPFreeOptionList)
        sdk.PGPFreeOptionList(options);
    FreeKeyServers(servers);
    return status;
}

PGPKeySetRef FoundKeys(PGPHandle found)
{
    if (SDKGeneration == 1 || !found)
        return found;
    return SDKProcs.PGPPeekKeyDBRootKeySet ? SDKProcs.PGPPeekKeyDBRootKeySet(found) : 0;
}

} // namespace

PGPError InitKeyServers(PGPContextRef context, TPrefsFile& prefs, TKeyServers& servers)
{
    auto& sdk = SDKProcs;
    servers = {};
    if (!sdk.PGPKeyServerInit || !sdk.PGPKeyServerCreateThreadStorage || !sdk.PGPNewKeyServer || !sdk.PGPONetURL)
        return kPGPError_NotImplemented;
    PGPError status = sdk.PGPKeyServerInit();
    if (status != kPGPError_NoErr)
        return status;
    servers.initialised = true;
    if ((status = sdk.PGPKeyServerCreateThreadStorage(&servers.storage)) != kPGPError_NoErr)
        return status;
    std::vector<std::string> urls;
    if ((status = GetKeyServerList(prefs, urls)) != kPGPError_NoErr)
        return status;
    for (const std::string& url : urls) {
        PGPKeyServerRef server = 0;
        if (sdk.PGPNewKeyServer(context, kKeyServerClass, &server, sdk.PGPONetURL(context, url.c_str()),
                                kPGPEndOfOptions)
            != kPGPError_NoErr)
            break; // the servers made so far still serve
        servers.servers.push_back(server);
    }
    return kPGPError_NoErr;
}

void FreeKeyServers(TKeyServers& servers)
{
    auto& sdk = SDKProcs;
    for (PGPKeyServerRef server : servers.servers)
        if (sdk.PGPFreeKeyServer)
            sdk.PGPFreeKeyServer(server);
    if (servers.storage && sdk.PGPKeyServerDisposeThreadStorage)
        sdk.PGPKeyServerDisposeThreadStorage(servers.storage);
    if (servers.initialised && sdk.PGPKeyServerCleanup)
        sdk.PGPKeyServerCleanup();
    servers = {};
}

PGPError BuildSearchOptions(PGPContextRef context, const std::string& text, uint32_t filterFlags, bool subKeys,
                            bool utf8, PGPOptionListRef* options, HWND window, PGPFilterRef* searchFilter)
{
    auto& sdk = SDKProcs;
    *options = 0;
    *searchFilter = 0;
    if (!sdk.PGPOKeyServerSearchFilter || !sdk.PGPOUIParentWindowHandle)
        return kPGPError_NotImplemented;
    TOwnedFilter filter, flags, both;
    PGPError status = TextFilter(context, text, subKeys, utf8, filter);
    if (status == kPGPError_NoErr && filterFlags)
        status = BuildKeyFilter(context, filterFlags, flags.Out());
    if (status == kPGPError_NoErr && flags.Get()) {
        status = sdk.PGPIntersectFilters ? sdk.PGPIntersectFilters(filter.Get(), flags.Get(), both.Out())
                                         : kPGPError_NotImplemented;
        if (status == kPGPError_NoErr)
            *filter.Out() = both.Release();
    }
    if (status != kPGPError_NoErr)
        return status;
    status = BuildOptionList(context, options, sdk.PGPOKeyServerSearchFilter(context, filter.Get()),
                             sdk.PGPOUIParentWindowHandle(context, window));
    if (status == kPGPError_NoErr)
        *searchFilter = filter.Release();
    return status;
}

PGPError SearchKeyServer(HWND window, TPrefsFile& prefs, const std::string& text,
                         std::unique_ptr<TKeyPropsList>& list, const std::string& prompt, uint32_t selection)
{
    PGPContextRef context = 0;
    PGPKeySetRef ring = 0;
    PGPError status = KeyRings().Open(&context, &ring);
    if (status != kPGPError_NoErr)
        return status;
    PGPHandle found = 0;
    status = RunSearch(context, prefs, text, window, 0, found);
    if (status == kPGPError_NoErr)
        status = AddSelectedKeys(context, ring, FoundKeys(found), window, prompt, selection, list);
    FreeImportedKeys(FoundKeys(found));
    KeyRings().Close();
    return status;
}

PGPError SearchKeyServerToSet(PGPContextRef context, TPrefsFile& prefs, const std::string& text, HWND window,
                              PGPKeySetRef* keySet, uint32_t filterFlags)
{
    *keySet = 0;
    PGPHandle found = 0;
    const PGPError status = RunSearch(context, prefs, text, window, filterFlags, found);
    if (status == kPGPError_NoErr)
        *keySet = FoundKeys(found);
    else
        FreeImportedKeys(FoundKeys(found));
    return status;
}
