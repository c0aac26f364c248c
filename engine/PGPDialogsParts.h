// What the PGP dialog units share: the dialog hooks as scopes (the stand-alone centring hook, and the
// three hooks of a selection dialog with its key list "TreeListCtrl32" or the certificate lists),
// and the import selection that key import and key-server search end with.
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


// The keys of `offered` in the selection dialog (all of them without a prompt); the chosen ones go
// into the key ring, which is committed, and are listed with `selection`. -10988 when none offered.
PGPError AddSelectedKeys(PGPContextRef context, PGPKeySetRef ring, PGPKeySetRef offered, HWND window,
                         const std::string& prompt, uint32_t selection, std::unique_ptr<TKeyPropsList>& list);
