// Every mail-client window whose procedure the plug-in replaced, in one table, so that each one is
// given back: when the window goes, at shut-down, and at the latest when the library is torn down.
// Built on the common controls' subclass chain, which keeps other subclassers' order intact.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <vector>

class TSubclassRegistry {
public:
    TSubclassRegistry() = default;
    TSubclassRegistry(const TSubclassRegistry&) = delete;
    TSubclassRegistry& operator=(const TSubclassRegistry&) = delete;
    ~TSubclassRegistry() { RestoreAll(); }

    // Installs proc on window (once per window and proc); false when Windows refused.
    bool Subclass(HWND window, SUBCLASSPROC proc, DWORD_PTR data);
    bool IsSubclassed(HWND window, SUBCLASSPROC proc) const;
    // Gives the window its procedures back (all of ours, or the one named).
    void Restore(HWND window);
    void Restore(HWND window, SUBCLASSPROC proc);
    // The windows that carry proc, in the order they were subclassed.
    std::vector<HWND> WindowsWith(SUBCLASSPROC proc) const;
    void RestoreAll();
    bool Empty() const { return entries_.empty(); }

private:
    struct TEntry {
        HWND Window;
        SUBCLASSPROC Proc;
    };
    std::vector<TEntry> entries_;
};
