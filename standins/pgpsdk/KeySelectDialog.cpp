// The stand-in client library's key and certificate selection dialog: a prompt, a list of class
// "TreeListCtrl32" (one or several keys, or one certificate), a Keys menu, OK and Cancel.
// Double-clicking the list does nothing of its own. With an unattended answer (select-keys: all |
// first | named TEXT | cancel) the window opens and answers itself. The chosen keys come back as a
// new key set over the offered set's database.
#include "standins/pgpsdk/AnswersFile.h"
#include "standins/pgpsdk/CoreLink.h"
#include "standins/pgpsdk/Guard.h"

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kPromptId = 100;
constexpr int kListId = 101;
constexpr int kSelectAllCommand = 201;
constexpr const char* kListClass = "TreeListCtrl32";

struct TOfferedKey {
    PGPKeyDBObjRef key;
    std::string name;
};

struct TDialogState {
    const void* prompt;
    bool widePrompt;
    bool single;
    const std::vector<TOfferedKey>& keys;
    const std::optional<standin::DialogAnswer>& answer;
    std::vector<int> chosen;
};

HINSTANCE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

// The key list is a list box under the class name the PGP client's key lists have.
bool RegisterListClass()
{
    static const bool registered = [] {
        WNDCLASSEXA list {};
        list.cbSize = sizeof list;
        if (!GetClassInfoExA(nullptr, "LISTBOX", &list))
            return false;
        list.hInstance = ThisModule();
        list.lpszClassName = kListClass;
        list.style &= ~CS_GLOBALCLASS;
        return RegisterClassExA(&list) != 0;
    }();
    return registered;
}

void Word(std::vector<WORD>& t, WORD value) { t.push_back(value); }
void Text(std::vector<WORD>& t, const wchar_t* text)
{
    for (; *text; ++text)
        t.push_back(static_cast<WORD>(*text));
    t.push_back(0);
}
void Item(std::vector<WORD>& t, DWORD style, short x, short y, short cx, short cy, WORD id, const wchar_t* cls,
          const wchar_t* text)
{
    if (t.size() % 2)
        Word(t, 0);
    style |= WS_CHILD | WS_VISIBLE;
    for (WORD value : { LOWORD(style), HIWORD(style), WORD(0), WORD(0), WORD(x), WORD(y), WORD(cx), WORD(cy), id })
        Word(t, value);
    Text(t, cls);
    Text(t, text);
    Word(t, 0);
}

std::vector<WORD> BuildTemplate(bool single)
{
    std::vector<WORD> t;
    const DWORD style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    for (WORD value : { LOWORD(style), HIWORD(style), WORD(0), WORD(0), WORD(4), WORD(0), WORD(0), WORD(260),
                        WORD(184), WORD(0), WORD(0) })
        Word(t, value);
    Text(t, L"PGP Key Selection");
    Word(t, 8);
    Text(t, L"MS Shell Dlg");
    Item(t, SS_LEFT, 7, 7, 246, 20, kPromptId, L"STATIC", L"");
    const DWORD list = LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP | (single ? 0 : LBS_EXTENDEDSEL);
    Item(t, list, 7, 30, 246, 112, kListId, L"TreeListCtrl32", L"");
    Item(t, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_DISABLED, 149, 149, 50, 14, IDOK, L"BUTTON", L"OK");
    Item(t, BS_PUSHBUTTON | WS_TABSTOP, 203, 149, 50, 14, IDCANCEL, L"BUTTON", L"Cancel");
    return t;
}

void UpdateOk(HWND dialog)
{
    const LRESULT count = SendDlgItemMessageA(dialog, kListId, LB_GETSELCOUNT, 0, 0);
    const LRESULT current = SendDlgItemMessageA(dialog, kListId, LB_GETCURSEL, 0, 0);
    EnableWindow(GetDlgItem(dialog, IDOK), count > 0 || (count == LB_ERR && current != LB_ERR));
}

void SelectAll(HWND dialog, bool single)
{
    if (single)
        SendDlgItemMessageA(dialog, kListId, LB_SETCURSEL, 0, 0);
    else
        SendDlgItemMessageA(dialog, kListId, LB_SETSEL, TRUE, -1);
    UpdateOk(dialog);
}

// Selects what the unattended answer names; false when it names nothing that was offered.
bool SelectAnswered(HWND dialog, const TDialogState& state)
{
    const standin::DialogAnswer& answer = *state.answer;
    if (answer.cancel || state.keys.empty())
        return false;
    if (answer.allKeys) {
        SelectAll(dialog, state.single);
        return true;
    }
    bool any = false;
    for (int i = 0; i < static_cast<int>(state.keys.size()); ++i) {
        if (!answer.named.empty() && state.keys[i].name.find(answer.named) == std::string::npos)
            continue;
        if (state.single) {
            SendDlgItemMessageA(dialog, kListId, LB_SETCURSEL, i, 0);
            return true;
        }
        SendDlgItemMessageA(dialog, kListId, LB_SETSEL, TRUE, i);
        any = true;
        if (answer.named.empty())
            break; // the first
    }
    return any;
}

void Initialise(HWND dialog, TDialogState& state)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    if (state.widePrompt)
        SetDlgItemTextW(dialog, kPromptId, static_cast<const wchar_t*>(state.prompt));
    else
        SetDlgItemTextA(dialog, kPromptId, static_cast<const char*>(state.prompt));
    for (const TOfferedKey& key : state.keys)
        SendDlgItemMessageA(dialog, kListId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(key.name.c_str()));
    HMENU bar = CreateMenu();
    HMENU keys = CreatePopupMenu();
    AppendMenuA(keys, MF_STRING | (state.single ? MF_GRAYED : 0), kSelectAllCommand, "Select &all");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(keys), "&Keys");
    SetMenu(dialog, bar); // destroyed with the window
    RECT area {};
    HWND owner = GetParent(dialog);
    if (!owner || !GetWindowRect(owner, &area))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT self {};
    GetWindowRect(dialog, &self);
    SetWindowPos(dialog, nullptr, (area.left + area.right - (self.right - self.left)) / 2,
                 (area.top + area.bottom - (self.bottom - self.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!state.answer)
        return;
    PostMessageA(dialog, WM_COMMAND, SelectAnswered(dialog, state) ? IDOK : IDCANCEL, 0);
}

void TakeChoice(HWND dialog, TDialogState& state)
{
    state.chosen.clear();
    for (int i = 0; i < static_cast<int>(state.keys.size()); ++i) {
        const bool chosen = state.single ? SendDlgItemMessageA(dialog, kListId, LB_GETCURSEL, 0, 0) == i
                                         : SendDlgItemMessageA(dialog, kListId, LB_GETSEL, i, 0) > 0;
        if (chosen)
            state.chosen.push_back(i);
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        auto* state = reinterpret_cast<TDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
        switch (message) {
        case WM_INITDIALOG:
            Initialise(dialog, *reinterpret_cast<TDialogState*>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_SELCHANGE) {
                UpdateOk(dialog);
            } else if (LOWORD(wParam) == kSelectAllCommand && state) {
                SelectAll(dialog, state->single);
            } else if (LOWORD(wParam) == IDOK && state) {
                TakeChoice(dialog, *state);
                if (!state->chosen.empty())
                    EndDialog(dialog, IDOK);
            } else if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
            }
            return TRUE;
        default:
            return FALSE;
        }
    } catch (...) {
        EndDialog(dialog, IDABORT);
        return TRUE;
    }
}

template <class Proc> Proc Core(const char* name) { return standin::CoreProc<Proc>(name); }

// The keys of `set` with their primary user ids, in the set's order.
PGPError OfferedKeys(PGPKeySetRef set, std::vector<TOfferedKey>& keys)
{
    auto newIter = Core<decltype(&::PGPNewKeyIterFromKeySet)>("PGPNewKeyIterFromKeySet");
    auto next = Core<decltype(&::PGPKeyIterNextKeyDBObj)>("PGPKeyIterNextKeyDBObj");
    auto freeIter = Core<decltype(&::PGPFreeKeyIter)>("PGPFreeKeyIter");
    auto name = Core<decltype(&::PGPGetPrimaryUserIDName)>("PGPGetPrimaryUserIDName");
    if (!newIter || !next || !freeIter || !name)
        return kPGPError_NotImplemented;
    PGPKeyIterRef iter = 0;
    PGPError status = newIter(set, &iter);
    if (status != kPGPError_NoErr)
        return status;
    PGPKeyDBObjRef key = 0;
    while (next(iter, kPGPIter_Key, &key) == kPGPError_NoErr) {
        char text[256] = {};
        PGPSize length = 0;
        name(key, text, sizeof text - 1, &length);
        keys.push_back({ key, text });
    }
    freeIter(iter);
    return kPGPError_NoErr;
}

PGPError ChosenSet(PGPKeySetRef from, const std::vector<TOfferedKey>& keys, const std::vector<int>& chosen,
                   PGPKeySetRef* selected)
{
    auto peekDB = Core<decltype(&::PGPPeekKeySetKeyDB)>("PGPPeekKeySetKeyDB");
    auto newEmpty = Core<decltype(&::PGPNewEmptyKeySet)>("PGPNewEmptyKeySet");
    auto newOne = Core<decltype(&::PGPNewOneKeySet)>("PGPNewOneKeySet");
    auto add = Core<decltype(&::PGPAddKeys)>("PGPAddKeys");
    auto freeSet = Core<decltype(&::PGPFreeKeySet)>("PGPFreeKeySet");
    if (!peekDB || !newEmpty || !newOne || !add || !freeSet)
        return kPGPError_NotImplemented;
    PGPKeySetRef result = 0;
    PGPError status = newEmpty(peekDB(from), &result);
    for (std::size_t i = 0; i < chosen.size() && status == kPGPError_NoErr; ++i) {
        PGPKeySetRef one = 0;
        status = newOne(keys[chosen[i]].key, &one);
        if (status == kPGPError_NoErr)
            status = add(one, result);
        if (one)
            freeSet(one);
    }
    if (status != kPGPError_NoErr) {
        if (result)
            freeSet(result);
        return status;
    }
    *selected = result;
    return kPGPError_NoErr;
}

// One entry per certificate of the set's keys ("subject, issued by issuer"), its certificate beside it.
PGPError OfferedCertificates(PGPKeySetRef set, std::vector<TOfferedKey>& entries, std::vector<PGPKeyDBObjRef>& certificates)
{
    auto newIter = Core<decltype(&::PGPNewKeyIterFromKeySet)>("PGPNewKeyIterFromKeySet");
    auto next = Core<decltype(&::PGPKeyIterNextKeyDBObj)>("PGPKeyIterNextKeyDBObj");
    auto freeIter = Core<decltype(&::PGPFreeKeyIter)>("PGPFreeKeyIter");
    auto flag = Core<decltype(&::PGPGetKeyDBObjBooleanProperty)>("PGPGetKeyDBObjBooleanProperty");
    auto data = Core<decltype(&::PGPGetKeyDBObjDataProperty)>("PGPGetKeyDBObjDataProperty");
    if (!newIter || !next || !freeIter || !flag || !data)
        return kPGPError_NotImplemented;
    auto text = [&](PGPKeyDBObjRef object, int32_t property) {
        char value[512] = {};
        PGPSize length = 0;
        data(object, property, value, sizeof value - 1, &length);
        return std::string(value, strnlen(value, sizeof value - 1));
    };
    PGPKeyIterRef iter = 0;
    PGPError status = newIter(set, &iter);
    if (status != kPGPError_NoErr)
        return status;
    for (PGPKeyDBObjRef key = 0; next(iter, kPGPIter_Key, &key) == kPGPError_NoErr;)
        for (PGPKeyDBObjRef userID = 0; next(iter, kPGPIter_UserID, &userID) == kPGPError_NoErr;)
            for (PGPKeyDBObjRef signature = 0; next(iter, kPGPIter_Signature, &signature) == kPGPError_NoErr;) {
                PGPBoolean x509 = 0;
                if (flag(signature, kPGPSigProperty_IsX509, &x509) != kPGPError_NoErr || !x509)
                    continue;
                entries.push_back({ key, text(signature, kPGPSigProperty_X509LongName) + ", issued by "
                                        + text(signature, kPGPSigProperty_X509IssuerLongName) });
                certificates.push_back(signature);
            }
    freeIter(iter);
    return kPGPError_NoErr;
}

// Runs the dialog over the offered entries; IDOK with the chosen indexes in the state.
INT_PTR RunDialog(void* window, const char* prompt, bool single, const std::vector<TOfferedKey>& entries,
                  std::vector<int>& chosen)
{
    // From generation 5 on the prompt comes as UTF-16.
    auto generation = Core<decltype(&::StandInGeneration)>("StandInGeneration");
    const bool wide = generation && generation() >= 5;
    const std::optional<standin::DialogAnswer> answer = standin::NextAnswer(standin::DialogKind::SelectKeys);
    TDialogState state { prompt ? static_cast<const void*>(prompt) : "", wide && prompt, single, entries, answer, {} };
    const std::vector<WORD> dialog = BuildTemplate(single);
    const INT_PTR result = DialogBoxIndirectParamA(ThisModule(), reinterpret_cast<const DLGTEMPLATE*>(dialog.data()),
                                                   static_cast<HWND>(window), DialogProc, reinterpret_cast<LPARAM>(&state));
    chosen = state.chosen;
    return result;
}

} // namespace

// The certificate picker: every certificate of the set's keys, one to choose.
extern "C" PGPError PGP_STDCALL PGPclSelectX509Cert(PGPContextRef, void* window, const char* prompt, PGPKeySetRef from,
                                                    uint32_t, PGPKeyDBObjRef* certificate)
{
    return standin::Guarded([&]() -> PGPError {
        if (!certificate || !from)
            return kPGPError_BadParams;
        *certificate = 0;
        if (!RegisterListClass())
            return kPGPError_OutOfMemory;
        std::vector<TOfferedKey> entries;
        std::vector<PGPKeyDBObjRef> certificates;
        PGPError status = OfferedCertificates(from, entries, certificates);
        if (status != kPGPError_NoErr)
            return status;
        if (certificates.empty())
            return kPGPError_X509CertMissing;
        std::vector<int> chosen;
        const INT_PTR result = RunDialog(window, prompt, true, entries, chosen);
        if (result != IDOK)
            return result == IDCANCEL ? kPGPError_UserAbort : kPGPError_OutOfMemory;
        if (chosen.empty())
            return kPGPError_UserAbort;
        *certificate = certificates[chosen.front()];
        return kPGPError_NoErr;
    });
}

extern "C" PGPError PGP_STDCALL PGPclSelectKeys(PGPContextRef, PGPtlsContextRef, void* window, const char* prompt,
                                                PGPKeySetRef from, uint32_t single, PGPKeySetRef* selected)
{
    return standin::Guarded([&]() -> PGPError {
        if (!selected || !from)
            return kPGPError_BadParams;
        *selected = 0;
        if (!RegisterListClass())
            return kPGPError_OutOfMemory;
        std::vector<TOfferedKey> keys;
        PGPError status = OfferedKeys(from, keys);
        if (status != kPGPError_NoErr)
            return status;
        std::vector<int> chosen;
        const INT_PTR result = RunDialog(window, prompt, single != 0, keys, chosen);
        if (result != IDOK)
            return result == IDCANCEL ? kPGPError_UserAbort : kPGPError_OutOfMemory;
        return ChosenSet(from, keys, chosen, selected);
    });
}
