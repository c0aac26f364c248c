// Key injection for tests: sets the modifier state with SetKeyboardState, posts the key's down and
// up messages to a window, and restores the state once our pump has handled them, so handlers that
// ask GetKeyState see the modifiers they would see from a real keyboard.
#pragma once

#include "framework/Messages.h"

#include <windows.h>

// Posts the key to target (the focused window when null). Alt makes it a system key.
void InjectKey(WORD virtualKey, TShiftState shift = 0, HWND target = nullptr);
// Handles the waiting messages (the injected keys included).
void PumpPending();
// Presses a key in a top-level window as a user would: the window is made foreground first (the
// form then gives the focus back to its active control), the key goes to the focused window in it
// (or to the window itself), and the resulting messages are handled.
void PressKey(HWND topLevel, WORD virtualKey, TShiftState shift = 0);
// Makes window the foreground window and waits (up to a second) until it is: other programs on
// the same display may hold the focus. Restores focus to the control that had it in the window.
bool EnsureForeground(HWND window);
// Handles messages until condition holds or timeoutMs passed; tells whether it held. Activation
// and focus changes under Wine arrive as messages, not at once, while another program runs.
bool PumpUntil(bool (*condition)(void*), void* context, DWORD timeoutMs = 2000);
template <class Condition> bool PumpUntil(Condition condition, DWORD timeoutMs = 2000)
{
    return PumpUntil([](void* c) { return (*static_cast<Condition*>(c))(); }, &condition, timeoutMs);
}
