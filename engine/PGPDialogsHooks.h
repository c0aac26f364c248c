// The dialog hooks as scopes, for the PGP dialog wrappers: the stand-alone centring hook, and the
// three hooks of a selection dialog (key list "TreeListCtrl32", or the certificate dialog's lists).
#pragma once

#include "engine/PGPDialogs.h"

class TDialogHookScope {
public:
    explicit TDialogHookScope(HWND window);
    ~TDialogHookScope();
    TDialogHookScope(const TDialogHookScope&) = delete;
    TDialogHookScope& operator=(const TDialogHookScope&) = delete;
};

class TSelectionHookScope {
public:
    TSelectionHookScope(HWND window, bool certificates);
    ~TSelectionHookScope();
    TSelectionHookScope(const TSelectionHookScope&) = delete;
    TSelectionHookScope& operator=(const TSelectionHookScope&) = delete;
};

// Whether a menu of the running selection dialog is open (Escape then closes only the menu).
bool SelectionMenuOpen();
