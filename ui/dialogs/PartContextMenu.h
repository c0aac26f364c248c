// The context menu of a message part: a dialog's own popup items with the Explorer's commands for
// a placeholder file of the part merged in as a submenu. The dialog's items come back to its
// window as WM_COMMAND; DispatchMenuCommand runs them.
#pragma once

#include "foundation/FileUtilsWin.h"
#include "framework/Menus.h"

#include <string>

#include <windows.h>

struct TPartMenuRequest {
    HWND Window = nullptr;
    TPopupMenu* Menu = nullptr;
    // The Explorer's submenu goes where this item stands.
    TMenuItem* InsertBefore = nullptr;
    std::string Caption;
    // An empty placeholder named like the part; deleted when the menu closes while still empty.
    std::string File;
    // The point in screen coordinates; negative coordinates mean the cursor.
    POINT At { -1, -1 };
    bool Centred = false;
    // Runs before a shell command; true cancels it.
    TContextMenuHandler BeforeCommand;
};

void ShowPartContextMenu(const TPartMenuRequest& request);
// Runs the item of a WM_COMMAND from a menu (no control, notification 0); false when none.
bool DispatchMenuCommand(TPopupMenu& menu, WPARAM wParam, LPARAM lParam);
