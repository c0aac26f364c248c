// The rules behind the plug-in's additions to the mail client's windows that need no window: the
// menu ids and their hint texts, the toolbar buttons the options ask for with their hints, captions
// cut to the key-ring state, and the frame commands that belong to the plug-in.
#pragma once

#include "plugin/PluginCommands.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace HostWindowRules {

// Language texts by number.
using TTextLookup = std::function<std::string(uint16_t)>;

// Id bases of the plug-in's menus: item number n of a menu has the id base + n.
constexpr uint32_t KEY_MENU_BASE = 0x3000;
constexpr uint32_t PLUGIN_MENU_BASE = 0x4000;
constexpr uint32_t PRODUCT_MENU_BASE = 0x5000;
constexpr uint32_t AUTO_LIST_MENU_BASE = 0x6000;
constexpr uint32_t ADDRESS_BOOK_MENU_BASE = 0x7000;

// Items of the plug-in menu, the product submenu, the auto-list submenu and the key popup.
constexpr uint32_t ITEM_ABOUT_ON_HOST_MENU = 16388;
constexpr uint32_t ITEM_WIPE_PASSPHRASE = 16389;
constexpr uint32_t ITEM_PGP_MIME = 16390;
constexpr uint32_t ITEM_PGP_EXT = 16391;
constexpr uint32_t ITEM_FULL_AUTO = 16392;
constexpr uint32_t ITEM_SEND_BOTH = 16393;
constexpr uint32_t ITEM_SEND_SIGNED = 16395;
constexpr uint32_t ITEM_DECRYPT_FOLDER = 16396;
constexpr uint32_t ITEM_DECRYPT_MESSAGE = 16397;
constexpr uint32_t ITEM_VERIFY_FILE = 16399;
constexpr uint32_t ITEM_IMPORT_CERTIFICATES = 16401;
constexpr uint32_t ITEM_MANAGE_KEYS = 16402;
constexpr uint32_t ITEM_REMOVE_CERTIFICATE = 16405;
constexpr uint32_t ITEM_EXPORT_CERTIFICATE = 16406;
constexpr uint32_t ITEM_START_PGP = 16407;
constexpr uint32_t ITEM_CONFIGURATION = 20504;
constexpr uint32_t ITEM_ABOUT = 20506;
constexpr uint32_t ITEM_AUTO_LIST_ON = 24603;
constexpr uint32_t ITEM_AUTO_LIST_NEW_PAIRS = 24604;
constexpr uint32_t ITEM_AUTO_LIST_FROM_KEY_RING = 24605;
constexpr uint32_t ITEM_AUTO_LIST_EDIT = 24606;
constexpr uint32_t ITEM_AUTO_LIST_PURGE = 24607;
constexpr uint32_t ITEM_AUTO_LIST_FILE = 24608;

// The caption of the plug-in menu in the frame's menu bar, and its product submenu's.
constexpr const char* PLUGIN_MENU_CAPTION = "&Selvadrin";
constexpr const char* PRODUCT_MENU_CAPTION = "Selvadrin";

// The text without its '&' marks.
std::string WithoutAmpersands(const std::string& text);
// True when the caption, without '&', begins with prefix (an empty prefix matches nothing).
bool CaptionBeginsWith(const std::string& caption, const std::string& prefix);
// The text without the part from its first '/' up to the next blank (or the end).
std::string WithoutSlashPart(const std::string& text);
// True when key, typed alone or with Ctrl (a control character), is the caption's '&' accelerator.
bool IsAcceleratorKey(unsigned key, const std::string& caption);
// The caption of the manage-keys item: without its certificate part when the key-ring state is 0.
std::string ManageKeysCaption(const std::string& text, int32_t keyRingState);

// The status-line hint of a menu item of the plug-in; blank for other ids up to the address books.
// addressBooks: the names of the address-book items, in order.
std::string MenuHint(
    uint32_t id, const TTextLookup& texts, int32_t keyRingState, const std::vector<std::string>& addressBooks);

// The command a frame's WM_COMMAND id stands for: plug-in menu and product submenu items become
// menu commands (item number), auto-list and address-book items their own kinds; None otherwise.
TPluginCommand DecodeFrameCommand(uint32_t id, bool idIsMenu);

// A screen rectangle (left, top, right, bottom).
struct TScreenRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TScreenRect&) const = default;
};

// Where a window goes to be in view of its owner: where it is when it lies within the work area;
// otherwise centred over the owner (the work area without one) and moved into the work area.
TScreenRect PlacedInView(const TScreenRect& window, const TScreenRect* owner, const TScreenRect& workArea);

// The options that choose the toolbar buttons.
struct TToolbarChoice {
    bool WipePass = false;
    int32_t EncSign = 2;
    bool Decrypt = true, Verify = true, Manage = true, PGPkeys = true;
};

struct TToolbarButton {
    uint32_t CommandId;
    std::string Bitmap;
    std::string Hint;
    uint32_t DropDown; // 0: none
    bool operator==(const TToolbarButton&) const = default;
};

// The buttons in the order they are added, with their hint texts.
std::vector<TToolbarButton> ToolbarButtons(const TToolbarChoice& choice, const TTextLookup& texts);
// The encrypt button's hint for an "EncSign" choice (1 encrypt, 2 sign, 3 both with a drop-down,
// 4 both); text is language text 20.
std::string EncryptButtonHint(const std::string& text, int32_t encSign);

} // namespace HostWindowRules
