// The stand-in user-interface library's key-server search: a small window that says what is looked
// for, with Cancel, while a worker thread asks the servers in turn (the mail client's window stays
// alive meanwhile). The first server that has keys answers; of its keys those the search filter
// matches come back as a new key database.
#include "standins/pgpsdk/CoreLink.h"
#include "standins/pgpsdk/DialogTemplate.h"
#include "standins/pgpsdk/Guard.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

PGP_UI_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace {

constexpr int kStatusId = 100;
constexpr UINT WM_SEARCH_DONE = WM_APP + 1;
constexpr uint32_t kTimeoutMs = 20000;

template <class Proc> Proc Core(const char* name) { return standin::CoreProc<Proc>(name); }
template <class Proc> Proc Network(const char* name)
{
    HMODULE network = GetModuleHandleA("PGPsdkNL.dll");
    return network ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(network, name))) : nullptr;
}

HINSTANCE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

struct TSearch {
    std::vector<PGPKeyServerRef> servers;
    std::string text;
    StandInKeyServerQuery query {};
    std::atomic<bool> cancelled { false };
    PGPError status = kPGPError_NoKeyServers;
    std::string reply;
    std::thread worker;
};

// Asks one server after the other until one has keys; the last failure stands otherwise.
void AskServers(TSearch& search, HWND dialog)
{
    auto query = Network<decltype(&StandInQueryKeyServer)>("StandInQueryKeyServer");
    auto release = Network<decltype(&StandInFreeKeyServerReply)>("StandInFreeKeyServerReply");
    if (!query || !release)
        search.status = kPGPError_NotImplemented;
    for (std::size_t i = 0; query && release && i < search.servers.size() && !search.cancelled; ++i) {
        search.query = StandInKeyServerQuery { search.text.c_str(), kTimeoutMs, search.cancelled ? 1 : 0, nullptr, 0 };
        search.status = query(search.servers[i], &search.query);
        if (search.status == kPGPError_NoErr)
            search.reply.assign(search.query.reply, search.query.replyLength);
        release(&search.query);
        if (search.status == kPGPError_NoErr)
            break;
    }
    PostMessageA(dialog, WM_SEARCH_DONE, 0, 0);
}

void Cancel(TSearch& search)
{
    search.cancelled = true;
    if (auto cancel = Network<decltype(&StandInCancelKeyServerQuery)>("StandInCancelKeyServerQuery"))
        cancel(&search.query);
}

standin::TemplateWriter BuildTemplate()
{
    constexpr WORD kButton = 0x0080, kStatic = 0x0082;
    standin::TemplateWriter t;
    t.Dialog(2, 220, 62, L"PGP Key Server Search");
    t.Item(SS_LEFT, 7, 7, 206, 28, kStatusId, kStatic, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 163, 41, 50, 14, IDCANCEL, kButton, L"Cancel");
    return t;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* search = reinterpret_cast<TSearch*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        search = reinterpret_cast<TSearch*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const std::string what = "Searching the key server for \"" + search->text + "\" ...";
        SetDlgItemTextA(dialog, kStatusId, what.c_str());
        standin::CentreOver(dialog, GetParent(dialog));
        search->worker = std::thread(AskServers, std::ref(*search), dialog);
        return TRUE;
    }
    case WM_SEARCH_DONE:
        EndDialog(dialog, IDOK);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL && search) {
            Cancel(*search);
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

PGPError CountOf(PGPKeySetRef set, uint32_t& count)
{
    auto countKeys = Core<decltype(&::PGPCountKeys)>("PGPCountKeys");
    count = 0;
    return countKeys ? countKeys(set, &count) : kPGPError_NotImplemented;
}

// The keys of the reply that the search filter matches, in a key database of their own.
PGPError FoundKeys(PGPContextRef context, const std::string& reply, PGPFilterRef filter, PGPKeyDBRef* found)
{
    auto import = Core<decltype(&::PGPImport)>("PGPImport");
    auto input = Core<decltype(&::PGPOInputBuffer)>("PGPOInputBuffer");
    auto root = Core<decltype(&::PGPPeekKeyDBRootKeySet)>("PGPPeekKeyDBRootKeySet");
    auto filterSet = Core<decltype(&::PGPFilterKeySet)>("PGPFilterKeySet");
    auto newDB = Core<decltype(&::PGPNewKeyDB)>("PGPNewKeyDB");
    auto copy = Core<decltype(&::PGPCopyKeys)>("PGPCopyKeys");
    auto freeSet = Core<decltype(&::PGPFreeKeySet)>("PGPFreeKeySet");
    auto freeDB = Core<decltype(&::PGPFreeKeyDB)>("PGPFreeKeyDB");
    if (!import || !input || !root || !filterSet || !newDB || !copy || !freeSet || !freeDB)
        return kPGPError_NotImplemented;
    PGPKeyDBRef all = 0;
    uint32_t count = 0;
    if (import(context, &all, input(context, reply.data(), reply.size()), kPGPEndOfOptions) != kPGPError_NoErr
        || CountOf(root(all), count) != kPGPError_NoErr || count == 0) {
        if (all)
            freeDB(all);
        return kPGPError_ServerBadReply;
    }
    PGPKeySetRef matched = 0;
    PGPError status = filter ? filterSet(root(all), filter, &matched) : kPGPError_NoErr;
    if (status == kPGPError_NoErr && matched)
        status = CountOf(matched, count);
    if (status == kPGPError_NoErr && count == 0)
        status = kPGPError_ServerKeyNotFound; // the server's keys are not the ones asked for
    PGPKeySetRef copied = 0;
    if (status == kPGPError_NoErr && matched)
        status = newDB(context, found);
    if (status == kPGPError_NoErr && matched)
        status = copy(matched, *found, &copied);
    if (copied)
        freeSet(copied);
    if (matched)
        freeSet(matched);
    if (status == kPGPError_NoErr && !matched)
        *found = all;
    else
        freeDB(all);
    if (status != kPGPError_NoErr && *found) {
        freeDB(*found);
        *found = 0;
    }
    return status;
}

} // namespace

extern "C" PGPError PGP_CDECL PGPSearchKeyServerDialog(PGPContextRef context, uint32_t serverCount,
                                                       const PGPKeyServerRef* servers, PGPtlsContextRef, PGPBoolean,
                                                       PGPHandle* found, ...)
{
    va_list args;
    va_start(args, found);
    const std::vector<PGPOptionListRef> handles = standin::OptionHandles(args);
    va_end(args);
    return standin::Guarded([&]() -> PGPError {
        StandInDialogOptions options {};
        auto searchText = Core<decltype(&StandInFilterSearchText)>("StandInFilterSearchText");
        PGPError status = searchText ? standin::TakeOptions(handles, options) : kPGPError_NotImplemented;
        if (status != kPGPError_NoErr || !found || (serverCount && !servers))
            return status != kPGPError_NoErr ? status : kPGPError_BadParams;
        *found = 0;
        if (serverCount == 0)
            return kPGPError_NoKeyServers;
        char text[256] = {};
        if (!options.searchFilter || searchText(options.searchFilter, text, sizeof text) != kPGPError_NoErr || !*text)
            return kPGPError_BadParams;
        TSearch search;
        search.servers.assign(servers, servers + serverCount);
        search.text = text;
        const standin::TemplateWriter dialog = BuildTemplate();
        const INT_PTR shown = DialogBoxIndirectParamA(ThisModule(), dialog.Template(),
                                                      static_cast<HWND>(options.parentWindow), DialogProc,
                                                      reinterpret_cast<LPARAM>(&search));
        if (search.worker.joinable())
            search.worker.join();
        if (shown != IDOK || search.cancelled)
            return shown == -1 ? kPGPError_OutOfMemory : kPGPError_UserAbort;
        if (search.status != kPGPError_NoErr)
            return search.status;
        return FoundKeys(context, search.reply, options.searchFilter, found);
    });
}
