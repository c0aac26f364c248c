// Posting keys with a deterministic modifier state.
#include "framework/harness/KeyInjector.h"

#include "framework/Application.h"

namespace {

constexpr UINT WM_RESTORE_KEYS = WM_APP + 0x177;

void EnsureRestoreFilter()
{
    static BYTE saved[256];
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    Application().Filters().Add([](MSG& message) {
        if (message.message != WM_RESTORE_KEYS || message.hwnd)
            return false;
        GetKeyboardState(saved);
        saved[VK_SHIFT] = saved[VK_CONTROL] = saved[VK_MENU] = 0;
        saved[VK_LSHIFT] = saved[VK_LCONTROL] = saved[VK_LMENU] = 0;
        SetKeyboardState(saved);
        return true;
    });
}

} // namespace

void InjectKey(WORD virtualKey, TShiftState shift, HWND target)
{
    EnsureRestoreFilter();
    if (!target)
        target = GetFocus();
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_SHIFT] = state[VK_LSHIFT] = (shift & ssShift) ? 0x80 : 0;
    state[VK_CONTROL] = state[VK_LCONTROL] = (shift & ssCtrl) ? 0x80 : 0;
    state[VK_MENU] = state[VK_LMENU] = (shift & ssAlt) ? 0x80 : 0;
    SetKeyboardState(state);
    const bool alt = shift & ssAlt;
    const UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | (alt ? (1 << 29) : 0);
    const LPARAM up = down | (1u << 30) | (1u << 31);
    PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, down);
    PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, virtualKey, up);
    PostThreadMessageA(GetCurrentThreadId(), WM_RESTORE_KEYS, 0, 0);
}

void PumpPending()
{
    // Twice: translated characters are posted behind the keys that made them.
    Application().ProcessMessages();
    Application().ProcessMessages();
}

bool PumpUntil(bool (*condition)(void*), void* context, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition(context)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        PumpPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

bool EnsureForeground(HWND window)
{
    const HWND focus = GetFocus();
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (GetForegroundWindow() == window && GetActiveWindow() == window)
            break;
        SetForegroundWindow(window);
        SetActiveWindow(window);
        PumpPending();
        Sleep(10);
    }
    if (focus && IsChild(window, focus) && GetFocus() != focus)
        SetFocus(focus);
    PumpPending();
    return GetActiveWindow() == window;
}

void PressKey(HWND topLevel, WORD virtualKey, TShiftState shift)
{
    HWND focus = nullptr;
    for (int attempt = 0; attempt < 5 && !focus; ++attempt) {
        EnsureForeground(topLevel);
        focus = GetFocus();
    }
    InjectKey(virtualKey, shift, focus && (focus == topLevel || IsChild(topLevel, focus)) ? focus : topLevel);
    PumpPending();
}
