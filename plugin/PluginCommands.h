// Decoding of the commands that reach the plug-in's hidden window: toolbar buttons (command id in
// lParam), choices from the encrypt button's drop-down, and menu commands (lParam 0) by id range.
#pragma once

#include <cstdint>

enum class TPluginCommandKind {
    None,
    ToolbarButton, // Number: command id 1025..1031
    MenuCommand, // Number: plug-in menu item (9..11 from the encrypt drop-down)
    KeyMenuItem, // Number: item of the key menu, from 1
    AutoListItem, // Number: auto-list command, from 0
    AddressBookItem // Number: address-book item, from 0
};

struct TPluginCommand {
    TPluginCommandKind Kind = TPluginCommandKind::None;
    uint32_t Number = 0;
    bool operator==(const TPluginCommand&) const = default;
};

constexpr uint32_t TOOLBAR_FIRST = 1025;
constexpr uint32_t TOOLBAR_LAST = 1031;
constexpr uint32_t TOOLBAR_AUTO_LIST = 1026;
constexpr uint32_t TOOLBAR_ENCRYPT = 1027;

// wParamIsMenu: wParam is a menu handle (such commands are not the plug-in's).
TPluginCommand DecodePluginCommand(uint32_t wParam, uint32_t lParam, bool wParamIsMenu);
