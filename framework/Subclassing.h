// The one table of windows our controls drive: each window's control and its original window
// procedure. Windows leave it when destroyed; at library unload RestoreAll hands every system window
// back to its own procedure and destroys the windows of our classes, so that no window calls into
// unloaded code. GUI thread only.
#pragma once

#include <functional>
#include <string>

#include <windows.h>

class TWinControl;

class SubclassRegistry {
public:
    // Sees a foreign window's messages first; calls CallOriginal for the window's own handling.
    using Handler = std::function<LRESULT(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)>;

    struct Entry {
        TWinControl* control = nullptr; // null for a foreign window driven by a handler
        WNDPROC original = nullptr;
        bool unicode = false;
        bool ownClass = false;
        Handler handler;
    };

    static void Add(HWND window, const Entry& entry);
    static const Entry* Find(HWND window) noexcept;
    static void Remove(HWND window) noexcept;
    static int Count() noexcept;

    // Gives a system window its own procedure back, but only while the current one is still ours:
    // a procedure installed after ours keeps its place (it calls ours, which keeps forwarding).
    static bool RestoreProcedure(HWND window, const Entry& entry) noexcept;
    // Subclasses a window that is not one of our controls (a host window) with an ANSI procedure.
    // False when it is no window or already in the table. Exceptions of the handler are caught.
    static bool Subclass(HWND window, Handler handler);
    // Hands the window back to its procedure when ours is still the current one; otherwise our
    // procedure stays in the chain and only forwards from now on. The entry goes with the window.
    static void Unsubclass(HWND window) noexcept;
    static LRESULT CallOriginal(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // Registers one of our window classes once (procedure: the framework's standard one).
    static void RegisterOwnClass(const std::string& className, UINT classStyle);
    // Restores or destroys every window in the table, then unregisters our classes.
    static void RestoreAll() noexcept;
};
