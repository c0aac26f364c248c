// The one table of windows our controls drive: each window's control and its original window
// procedure. Windows leave it when destroyed; at library unload RestoreAll hands every system window
// back to its own procedure and destroys the windows of our classes, so that no window calls into
// unloaded code. GUI thread only.
#pragma once

#include <string>

#include <windows.h>

class TWinControl;

class SubclassRegistry {
public:
    struct Entry {
        TWinControl* control = nullptr;
        WNDPROC original = nullptr;
        bool unicode = false;
        bool ownClass = false;
    };

    static void Add(HWND window, const Entry& entry);
    static const Entry* Find(HWND window) noexcept;
    static void Remove(HWND window) noexcept;
    static int Count() noexcept;

    // Gives a system window its own procedure back, but only while the current one is still ours:
    // a procedure installed after ours keeps its place (it calls ours, which keeps forwarding).
    static bool RestoreProcedure(HWND window, const Entry& entry) noexcept;
    // Registers one of our window classes once (procedure: the framework's standard one).
    static void RegisterOwnClass(const std::string& className, UINT classStyle);
    // Restores or destroys every window in the table, then unregisters our classes.
    static void RestoreAll() noexcept;
};
