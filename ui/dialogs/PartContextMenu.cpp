// The part context menu of the image viewer and the message-tree dialog.
#include "ui/dialogs/PartContextMenu.h"

namespace {

// Above the command ids our menus take from their pool, below WM_COMMAND's 16-bit limit.
constexpr UINT FirstShellCommand = 0x6000;

} // namespace

void ShowPartContextMenu(const TPartMenuRequest& request)
{
    const HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    TMenuItem& items = request.Menu->Items();
    items.AppendTo(menu);
    int position = 0;
    for (int i = 0; i < items.Count() && items.Items(i) != request.InsertBefore; ++i)
        position += items.Items(i)->Visible ? 1 : 0;
    if (!ShowShellContextMenu(request.File, request.Caption, request.Window, menu, position, FirstShellCommand,
            &request.At, request.Centred ? cmaCenter : cmaLeft, request.BeforeCommand, true)) {
        // Without the Explorer's commands the dialog's own items still show.
        DeleteFileA(request.File.c_str());
        POINT at = request.At;
        if (at.x < 0 || at.y < 0)
            GetCursorPos(&at);
        TrackPopupMenu(menu, TPM_RIGHTBUTTON | (request.Centred ? TPM_CENTERALIGN : TPM_LEFTALIGN), at.x, at.y, 0,
            request.Window, nullptr);
    }
    DestroyMenu(menu);
}

bool DispatchMenuCommand(TPopupMenu& menu, WPARAM wParam, LPARAM lParam)
{
    if (lParam != 0 || HIWORD(wParam) != 0)
        return false;
    TMenuItem* item = menu.Items().FindCommand(LOWORD(wParam));
    if (!item)
        return false;
    item->Click();
    return true;
}
