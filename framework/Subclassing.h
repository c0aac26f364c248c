// The one table of subclassed windows. Our controls: each window's control and its original window
// procedure. Foreign windows (the host's, system dialogs'): procedures in the common controls'
// subclass chain, where each can be taken out wherever it sits, however many others subclassed the
// window after us. Windows leave the table when destroyed; at library tear-down RestoreAll gives
// every window its own procedure back and destroys the windows of our classes, so that no window
// calls into unloaded code. GUI thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

class TWinControl;

class SubclassRegistry {
public:
    // Sees a foreign window's messages first; calls CallOriginal for the window's own handling.
    using Handler = std::function<LRESULT(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)>;

    // One of our controls.
    struct Entry {
        TWinControl* control = nullptr;
        WNDPROC original = nullptr;
        bool unicode = false;
        bool ownClass = false;
    };

    static void Add(HWND window, const Entry& entry);
    static const Entry* Find(HWND window) noexcept;
    static void Remove(HWND window) noexcept;
    // Controls and foreign subclasses together.
    static int Count() noexcept;

    // Gives a system window its own procedure back, but only while the current one is still ours:
    // a procedure installed after ours keeps its place (it calls ours, which keeps forwarding).
    static bool RestoreProcedure(HWND window, const Entry& entry) noexcept;

    // Puts procedure (with its data) into a foreign window's chain, once per window and procedure;
    // false when it is no window or Windows refused. The procedure calls DefSubclassProc onwards.
    static bool Subclass(HWND window, SUBCLASSPROC procedure, DWORD_PTR data);
    static bool IsSubclassed(HWND window, SUBCLASSPROC procedure) noexcept;
    // The windows that carry procedure, in the order they were subclassed.
    static std::vector<HWND> WindowsWith(SUBCLASSPROC procedure);
    static void Unsubclass(HWND window, SUBCLASSPROC procedure) noexcept;
    // Subclasses a foreign window with a handler (one per window). False when it is no window, one
    // of our controls, or already has a handler. Exceptions of the handler are caught.
    static bool Subclass(HWND window, Handler handler);
    // From inside a handler: the window's own handling of the message.
    static LRESULT CallOriginal(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // Takes every procedure and handler of the table out of the window's chain.
    static void Unsubclass(HWND window) noexcept;

    // Registers one of our window classes once (procedure: the framework's standard one).
    static void RegisterOwnClass(const std::string& className, UINT classStyle);
    // Restores or destroys every window in the table, then unregisters our classes.
    static void RestoreAll() noexcept;
};
