// The thread hooks that make the PGP libraries' dialogs behave inside the mail client: owner and
// centring for every dialog, and for the selection dialogs the double-click, Escape and sorting rules.
#include "engine/PGPDialogsParts.h"

#include <commctrl.h>

#include <cstring>

namespace {

// The window the next dialog is centred over, and the hook that does it.
struct TCentring {
    HWND caller = nullptr;
    HWND over = nullptr;
    HHOOK hook = nullptr;
};

// The stand-alone hook's state; the selection dialogs keep their own.
TCentring standaloneCentring;

struct TSelectionState {
    TCentring centring;
    HHOOK mouse = nullptr;
    HHOOK keyboard = nullptr;
    bool menuOpen = false;
    const char* listClass = "";
    bool sortLists = false;
};
TSelectionState selection;

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsChild(HWND window) { return (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) != 0; }

// Creation, destruction and showing of a top-level PGP window; menu loops for the selection dialogs.
void ApplyCentringRules(TCentring& centring, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        bool* menuOpen)
{
    if (message == WM_ENTERMENULOOP && menuOpen)
        *menuOpen = true;
    if (message == WM_EXITMENULOOP && menuOpen)
        *menuOpen = false;
    if (IsChild(window) || !IsPGPWindow(window))
        return;
    switch (message) {
    case WM_NCCREATE:
    case WM_CREATE:
        if (lParam && centring.over)
            reinterpret_cast<CREATESTRUCTA*>(lParam)->hwndParent = centring.over;
        break;
    case WM_DESTROY:
        // A nested dialog has closed: the next one centres over what owned it (the caller's window
        // when nothing did).
        if (HWND owner = GetWindow(window, GW_OWNER))
            centring.over = owner;
        else if (centring.over == window)
            centring.over = centring.caller;
        break;
    case WM_SHOWWINDOW:
        if (!wParam)
            break;
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED | SWP_NOACTIVATE);
        CenterOver(window, centring.over ? centring.over : GetDesktopWindow());
        centring.over = window;
        break;
    default:
        break;
    }
}

LRESULT CALLBACK StandaloneProc(int code, WPARAM wParam, LPARAM lParam)
{
    try {
        if (code == HC_ACTION) {
            const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
            ApplyCentringRules(standaloneCentring, call->hwnd, call->message, call->wParam, call->lParam, nullptr);
        }
    } catch (...) {
        // the dialog goes on without our adjustments
    }
    return CallNextHookEx(standaloneCentring.hook, code, wParam, lParam);
}

LRESULT CALLBACK SelectionCallProc(int code, WPARAM wParam, LPARAM lParam)
{
    try {
        if (code == HC_ACTION) {
            const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
            ApplyCentringRules(selection.centring, call->hwnd, call->message, call->wParam, call->lParam,
                               &selection.menuOpen);
        }
    } catch (...) {
    }
    return CallNextHookEx(selection.centring.hook, code, wParam, lParam);
}

int CALLBACK CompareListTexts(LPARAM first, LPARAM second, LPARAM list)
{
    char a[260] = {}, b[260] = {};
    ListView_GetItemText(reinterpret_cast<HWND>(list), static_cast<int>(first), 0, a, sizeof a);
    ListView_GetItemText(reinterpret_cast<HWND>(list), static_cast<int>(second), 0, b, sizeof b);
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE | NORM_IGNORENONSPACE | NORM_IGNORESYMBOLS, a, -1, b,
                          -1)
        - CSTR_EQUAL;
}

// The certificate dialog: its lists are sorted when they gain the focus; top-level windows centred.
LRESULT CALLBACK SelectionReturnProc(int code, WPARAM wParam, LPARAM lParam)
{
    try {
        if (code == HC_ACTION) {
            const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
            if (IsChild(call->hwnd)) {
                if (call->message == WM_SETFOCUS && ClassOf(call->hwnd) == WC_LISTVIEWA) {
                    SendMessageA(call->hwnd, LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(call->hwnd),
                                 reinterpret_cast<LPARAM>(&CompareListTexts));
                    SetWindowPos(call->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                }
            } else {
                ApplyCentringRules(selection.centring, call->hwnd, call->message, call->wParam, call->lParam,
                                   &selection.menuOpen);
            }
        }
    } catch (...) {
    }
    return CallNextHookEx(selection.centring.hook, code, wParam, lParam);
}

LRESULT CALLBACK SelectionMouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    try {
        if (code == HC_ACTION && wParam == WM_LBUTTONDBLCLK) {
            const auto* mouse = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
            SelectionDoubleClick(WindowFromPoint(mouse->pt), selection.listClass, GetActiveWindow());
        }
    } catch (...) {
    }
    return CallNextHookEx(selection.mouse, code, wParam, lParam);
}

LRESULT CALLBACK SelectionKeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    try {
        if (code == HC_ACTION)
            SelectionEscape(wParam, lParam, selection.menuOpen, GetActiveWindow());
    } catch (...) {
    }
    return CallNextHookEx(selection.keyboard, code, wParam, lParam);
}

} // namespace

bool IsPGPWindow(HWND window)
{
    const std::string name = ClassOf(window);
    return _stricmp(name.c_str(), "#32770") == 0 || _strnicmp(name.c_str(), "PGP", 3) == 0;
}

void CenterOver(HWND window, HWND reference)
{
    RECT self {}, area {};
    if (!GetWindowRect(window, &self) || !GetWindowRect(reference, &area))
        return;
    const int width = self.right - self.left, height = self.bottom - self.top;
    const int x = (area.left + area.right) / 2 - width / 2;
    const int y = (area.top + area.bottom) / 2 - height / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
}

void InstallDialogHook(HWND window)
{
    RemoveDialogHook();
    standaloneCentring.caller = standaloneCentring.over = window;
    standaloneCentring.hook = SetWindowsHookExA(WH_CALLWNDPROC, StandaloneProc, nullptr, GetCurrentThreadId());
}

void RemoveDialogHook()
{
    if (standaloneCentring.hook)
        UnhookWindowsHookEx(standaloneCentring.hook);
    standaloneCentring = {};
}

bool PressDialogButton(HWND dialog, int id)
{
    HWND button = dialog ? GetDlgItem(dialog, id) : nullptr;
    if (!button || !IsWindowEnabled(button))
        return false;
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != 0;
}

bool SelectionDoubleClick(HWND target, const char* listClass, HWND active)
{
    return target && listClass && _stricmp(ClassOf(target).c_str(), listClass) == 0 && PressDialogButton(active, IDOK);
}

bool SelectionEscape(WPARAM key, LPARAM flags, bool menuOpen, HWND active)
{
    const bool pressed = (flags & (1u << 31)) == 0;
    return key == VK_ESCAPE && pressed && !menuOpen && PressDialogButton(active, IDCANCEL);
}

TDialogHookScope::TDialogHookScope(HWND window) { InstallDialogHook(window); }

TDialogHookScope::~TDialogHookScope() { RemoveDialogHook(); }

TSelectionHookScope::TSelectionHookScope(HWND window, bool certificates)
{
    const DWORD thread = GetCurrentThreadId();
    selection = {};
    selection.centring.caller = selection.centring.over = window;
    selection.listClass = certificates ? WC_LISTVIEWA : "TreeListCtrl32";
    selection.mouse = SetWindowsHookExA(WH_MOUSE, SelectionMouseProc, nullptr, thread);
    selection.keyboard = SetWindowsHookExA(WH_KEYBOARD, SelectionKeyboardProc, nullptr, thread);
    selection.centring.hook = certificates
        ? SetWindowsHookExA(WH_CALLWNDPROCRET, SelectionReturnProc, nullptr, thread)
        : SetWindowsHookExA(WH_CALLWNDPROC, SelectionCallProc, nullptr, thread);
}

TSelectionHookScope::~TSelectionHookScope()
{
    for (HHOOK hook : { selection.mouse, selection.keyboard, selection.centring.hook })
        if (hook)
            UnhookWindowsHookEx(hook);
    selection = {};
}
