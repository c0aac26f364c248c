// Building, placing, updating and removing the plug-in's menus.
#include "plugin/PluginMenus.h"

using namespace HostWindowRules;

namespace {
constexpr uint16_t TEXT_CONFIGURATION = 25;
constexpr uint16_t TEXT_MANUAL = 26;
constexpr uint16_t TEXT_ABOUT = 27;
constexpr uint16_t TEXT_AUTO_LIST_MENU = 28;
constexpr uint16_t TEXT_AUTO_LIST_ON = 29;
constexpr uint16_t TEXT_PLUGIN_ITEMS_FIRST = 35; // caption of 16389; the items follow in order
constexpr uint32_t ITEM_PRODUCT_MANUAL = ITEM_CONFIGURATION + 1;
constexpr uint16_t TEXT_AUTO_LIST_ITEMS_FIRST = 30; // caption of 24604; the items follow in order
constexpr uint16_t TEXT_ALL_ADDRESS_BOOKS = 87;
constexpr uint16_t TEXT_ADDRESS_BOOK_MENU = 235;

void Append(HMENU menu, UINT id, const std::string& caption, UINT flags = 0)
{
    AppendMenuA(menu, MF_STRING | flags, id, caption.c_str());
}

void Separator(HMENU menu)
{
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
}

UINT Checked(bool on)
{
    return on ? MF_CHECKED : MF_UNCHECKED;
}

UINT Grayed(bool grayed)
{
    return grayed ? MF_GRAYED : MF_ENABLED;
}

void Enable(HMENU menu, UINT id, bool enabled)
{
    EnableMenuItem(menu, id, MF_BYCOMMAND | Grayed(!enabled));
}

std::string Caption(HMENU menu, int position)
{
    char caption[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), caption, sizeof caption, MF_BYPOSITION);
    return caption;
}

void DestroyOwned(HMENU& menu)
{
    if (menu && IsMenu(menu))
        DestroyMenu(menu);
    menu = nullptr;
}

// Removes every item of the menu without destroying submenus (they are destroyed by their owner).
void Empty(HMENU menu)
{
    while (GetMenuItemCount(menu) > 0)
        RemoveMenu(menu, 0, MF_BYPOSITION);
}
} // namespace

bool TPluginMenus::Owns(HMENU menu) const
{
    return menu && (menu == pluginMenu_ || menu == productMenu_ || menu == autoListMenu_ || menu == addressBookMenu_);
}

void TPluginMenus::Build(const TTextLookup& texts, const TPluginMenuState& state)
{
    if (Built())
        return;
    productMenu_ = CreatePopupMenu();
    Append(productMenu_, ITEM_CONFIGURATION, texts(TEXT_CONFIGURATION));
    Append(productMenu_, ITEM_PRODUCT_MANUAL, texts(TEXT_MANUAL));
    Separator(productMenu_);
    Append(productMenu_, ITEM_ABOUT, texts(TEXT_ABOUT));
    autoListMenu_ = CreatePopupMenu();

    pluginMenu_ = CreatePopupMenu();
    AppendMenuA(pluginMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(productMenu_), PRODUCT_MENU_CAPTION);
    AppendMenuA(pluginMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(autoListMenu_),
        WithoutAmpersands(texts(TEXT_AUTO_LIST_MENU)).c_str());
    const bool noCertificates = state.KeyRingState == 0;
    for (UINT id = ITEM_WIPE_PASSPHRASE; id <= ITEM_START_PGP; ++id) {
        if (id == ITEM_WIPE_PASSPHRASE || id == ITEM_PGP_MIME || id == ITEM_SEND_BOTH || id == ITEM_DECRYPT_FOLDER
            || id == ITEM_VERIFY_FILE || id == ITEM_IMPORT_CERTIFICATES || id == ITEM_START_PGP)
            Separator(pluginMenu_);
        std::string caption = texts(static_cast<uint16_t>(TEXT_PLUGIN_ITEMS_FIRST + (id - ITEM_WIPE_PASSPHRASE)));
        UINT flags = 0;
        if (id == ITEM_MANAGE_KEYS)
            caption = ManageKeysCaption(caption, state.KeyRingState);
        if (id == ITEM_PGP_MIME)
            flags = Checked(state.PGPMime);
        else if (id == ITEM_PGP_EXT)
            flags = Checked(state.PGPExt);
        else if (id == ITEM_FULL_AUTO)
            flags = Checked(state.FullAuto);
        else if (id == ITEM_WIPE_PASSPHRASE || (id >= ITEM_SEND_BOTH && id <= ITEM_SEND_SIGNED)
            || id == ITEM_DECRYPT_MESSAGE || id == ITEM_VERIFY_FILE)
            flags = MF_GRAYED;
        else if (id == ITEM_IMPORT_CERTIFICATES || id == ITEM_REMOVE_CERTIFICATE || id == ITEM_EXPORT_CERTIFICATE)
            flags = Grayed(noCertificates);
        Append(pluginMenu_, id, caption, flags);
    }
}

bool TPluginMenus::InsertInto(HMENU bar)
{
    if (!Built() || !bar || !IsMenu(bar))
        return false;
    const int count = GetMenuItemCount(bar);
    for (int i = 0; i < count; ++i) {
        if (GetSubMenu(bar, i) == pluginMenu_ || Caption(bar, i) == PLUGIN_MENU_CAPTION)
            return false;
    }
    const int position = count >= 2 ? count - 2 : 0;
    if (!InsertMenuA(bar, static_cast<UINT>(position), MF_BYPOSITION | MF_POPUP,
            reinterpret_cast<UINT_PTR>(pluginMenu_), PLUGIN_MENU_CAPTION))
        return false;
    bars_.push_back(bar);
    return true;
}

void TPluginMenus::AddAboutItem(HMENU bar, const std::string& prefix, const std::string& caption) const
{
    if (!bar || !IsMenu(bar))
        return;
    const int count = GetMenuItemCount(bar);
    for (int i = 0; i < count; ++i) {
        HMENU submenu = GetSubMenu(bar, i);
        if (!submenu || Owns(submenu) || !CaptionBeginsWith(Caption(bar, i), prefix))
            continue;
        if (GetMenuState(submenu, ITEM_ABOUT_ON_HOST_MENU, MF_BYCOMMAND) == 0xFFFFFFFF)
            Append(submenu, ITEM_ABOUT_ON_HOST_MENU, caption);
        return;
    }
}

void TPluginMenus::RemoveFrom(HMENU bar) const
{
    if (!bar || !IsMenu(bar))
        return;
    for (int i = GetMenuItemCount(bar) - 1; i >= 0; --i) {
        HMENU submenu = GetSubMenu(bar, i);
        if (submenu && submenu == pluginMenu_)
            RemoveMenu(bar, static_cast<UINT>(i), MF_BYPOSITION);
        else if (submenu)
            RemoveMenu(submenu, ITEM_ABOUT_ON_HOST_MENU, MF_BYCOMMAND);
    }
}

void TPluginMenus::RemoveFromAll()
{
    for (HMENU bar : bars_)
        RemoveFrom(bar);
    bars_.clear();
}

void TPluginMenus::Destroy()
{
    // No bar may keep a handle of a destroyed menu.
    RemoveFromAll();
    // The address-book submenu may be out of the auto-list submenu: it goes on its own.
    if (autoListMenu_)
        Empty(autoListMenu_);
    DestroyOwned(addressBookMenu_);
    addressBooks_.clear();
    // The plug-in menu takes its submenus with it.
    DestroyOwned(pluginMenu_);
    productMenu_ = autoListMenu_ = nullptr;
}

void TPluginMenus::UpdateStates(const TPluginMenuState& state) const
{
    if (!Built())
        return;
    CheckMenuItem(pluginMenu_, ITEM_PGP_MIME, MF_BYCOMMAND | Checked(state.PGPMime));
    CheckMenuItem(pluginMenu_, ITEM_PGP_EXT, MF_BYCOMMAND | Checked(state.PGPExt));
    CheckMenuItem(pluginMenu_, ITEM_FULL_AUTO, MF_BYCOMMAND | Checked(state.FullAuto));
    Enable(pluginMenu_, ITEM_WIPE_PASSPHRASE, state.PassphraseCached);
    Enable(pluginMenu_, ITEM_DECRYPT_MESSAGE, state.ReaderActive);
    Enable(pluginMenu_, ITEM_VERIFY_FILE, state.ReaderActive);
    for (UINT id = ITEM_SEND_BOTH; id <= ITEM_SEND_SIGNED; ++id)
        Enable(pluginMenu_, id, state.EditorActive);
    // Certificates need the key ring that holds them: a key ring opened later enables them.
    for (UINT id : { ITEM_REMOVE_CERTIFICATE, ITEM_EXPORT_CERTIFICATE })
        Enable(pluginMenu_, id, state.KeyRingState != 0);
    Enable(pluginMenu_, ITEM_IMPORT_CERTIFICATES, state.KeyRingState != 0 && state.WindowsCertificates);
}

void TPluginMenus::RebuildAutoListMenu(const TTextLookup& texts, const TAutoListMenuState& state)
{
    if (!autoListMenu_)
        return;
    Empty(autoListMenu_);
    DestroyOwned(addressBookMenu_);
    addressBooks_.clear();
    if (!state.AutoPush) {
        Append(autoListMenu_, ITEM_AUTO_LIST_ON, texts(TEXT_AUTO_LIST_ON));
        return;
    }
    for (UINT id = ITEM_AUTO_LIST_NEW_PAIRS; id <= ITEM_AUTO_LIST_FILE; ++id) {
        if (id == ITEM_AUTO_LIST_EDIT)
            Separator(autoListMenu_);
        UINT flags = 0;
        if (id == ITEM_AUTO_LIST_NEW_PAIRS)
            flags = Grayed(!state.HasNewPairs);
        else if (id == ITEM_AUTO_LIST_EDIT || id == ITEM_AUTO_LIST_PURGE)
            flags = Grayed(state.ListEmpty);
        Append(autoListMenu_, id,
            texts(static_cast<uint16_t>(TEXT_AUTO_LIST_ITEMS_FIRST + (id - ITEM_AUTO_LIST_NEW_PAIRS))), flags);
    }
    if (state.AddressBooks.empty())
        return;
    // One item per book, then one for all of them (its number is the count of books).
    addressBookMenu_ = CreatePopupMenu();
    addressBooks_ = state.AddressBooks;
    UINT id = ADDRESS_BOOK_MENU_BASE;
    for (const std::string& title : addressBooks_)
        Append(addressBookMenu_, id++, title);
    Append(addressBookMenu_, id, texts(TEXT_ALL_ADDRESS_BOOKS));
    AppendMenuA(autoListMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(addressBookMenu_),
        texts(TEXT_ADDRESS_BOOK_MENU).c_str());
}

HMENU TPluginMenus::BuildEncryptPopup(const TTextLookup& texts, const TPluginMenuState& state)
{
    HMENU popup = CreatePopupMenu();
    if (!popup)
        return nullptr;
    struct TItem {
        UINT Id;
        UINT Flags;
    };
    // Sending needs an editor.
    const UINT send = Grayed(!state.EditorActive);
    const TItem items[] = { { ITEM_SEND_BOTH, send }, { ITEM_SEND_BOTH + 1, send }, { ITEM_SEND_SIGNED, send },
        { 0, MF_SEPARATOR }, { ITEM_PGP_MIME, Checked(state.PGPMime) }, { ITEM_PGP_EXT, Checked(state.PGPExt) },
        { ITEM_FULL_AUTO, Checked(state.FullAuto) } };
    for (const TItem& item : items) {
        const std::string caption = item.Id
            ? texts(static_cast<uint16_t>(TEXT_PLUGIN_ITEMS_FIRST + (item.Id - ITEM_WIPE_PASSPHRASE)))
            : std::string();
        const BOOL added = item.Flags == MF_SEPARATOR
            ? AppendMenuA(popup, MF_SEPARATOR, 0, nullptr)
            : AppendMenuA(popup, MF_STRING | item.Flags, item.Id, caption.c_str());
        if (!added)
            break;
    }
    return popup;
}
