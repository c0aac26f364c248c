// What the PGP dialog units share: the dialog hooks as scopes (the stand-alone centring hook, and the
// three hooks of a selection dialog with its key list "TreeListCtrl32" or the certificate lists).
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
