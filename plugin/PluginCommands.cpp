// Decoding of the hidden window's WM_COMMAND parameters into plug-in commands.
#include "plugin/PluginCommands.h"

namespace {
constexpr uint32_t ENCRYPT_DROPDOWN_FIRST = 8201;
constexpr uint32_t ENCRYPT_DROPDOWN_LAST = 8203;
constexpr uint32_t DROPDOWN_TO_MENU_ITEM = 8192;
} // namespace

TPluginCommand DecodePluginCommand(uint32_t wParam, uint32_t lParam, bool wParamIsMenu)
{
    if (lParam != 0) {
        if (lParam == TOOLBAR_ENCRYPT && wParam >= ENCRYPT_DROPDOWN_FIRST && wParam <= ENCRYPT_DROPDOWN_LAST)
            return { TPluginCommandKind::MenuCommand, wParam - DROPDOWN_TO_MENU_ITEM };
        if (wParam == 0 && lParam >= TOOLBAR_FIRST && lParam <= TOOLBAR_LAST)
            return { TPluginCommandKind::ToolbarButton, lParam };
        return {};
    }
    if (wParamIsMenu)
        return {};
    if (wParam >= 0x3001 && wParam <= 0x3FFF)
        return { TPluginCommandKind::KeyMenuItem, wParam - 0x3000 };
    if (wParam >= 0x6000 && wParam <= 0x6FFF)
        return { TPluginCommandKind::AutoListItem, wParam - 0x6000 };
    if (wParam > 0x6FFF)
        return { TPluginCommandKind::AddressBookItem, wParam - 0x7000 };
    return {};
}
