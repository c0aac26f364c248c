// Subclassing a window with an ANSI procedure whose record (the previous procedure and the object
// it serves) lives in a named window property. Our framework's windows are ANSI windows; a
// subclass set with the wide API would turn them into Unicode windows under their own procedure.
#pragma once

#include <windows.h>

struct TPropSubclass {
    WNDPROC Previous = nullptr;
    WNDPROC Procedure = nullptr;
    // Null once the object let go while another subclass sat on top (the procedure then only forwards).
    void* Owner = nullptr;
};

// False when the window already carries the property (or is no window).
bool InstallPropSubclass(HWND window, const char* property, WNDPROC procedure, void* owner);
// The record, or null.
TPropSubclass* FindPropSubclass(HWND window, const char* property) noexcept;
// The object the window's subclass serves, or null.
void* PropSubclassOwner(HWND window, const char* property) noexcept;
// Hands the message to the procedure that was there before.
LRESULT CallPreviousProc(HWND window, const char* property, UINT msg, WPARAM wParam, LPARAM lParam);
// Takes the subclass off: the previous procedure comes back when ours is still the current one;
// otherwise ours stays in the chain and only forwards until the window goes.
void RemovePropSubclass(HWND window, const char* property) noexcept;
