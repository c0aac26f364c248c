// The plug-in's menus on real menu handles: building, placing into a menu bar once, the about item
// on the help menu, states, the auto-list submenu, the encrypt popup and the removal.
#include "plugin/PluginMenus.h"

#include <gtest/gtest.h>

#include <string>

using namespace HostWindowRules;

namespace {
std::string Text(uint16_t id)
{
    return id == 48 ? "&Manage keys/certificates" : "t" + std::to_string(id);
}

std::string CaptionAt(HMENU menu, int position)
{
    char caption[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), caption, sizeof caption, MF_BYPOSITION);
    return caption;
}

std::string CaptionOf(HMENU menu, UINT id)
{
    char caption[128] = {};
    GetMenuStringA(menu, id, caption, sizeof caption, MF_BYCOMMAND);
    return caption;
}

UINT State(HMENU menu, UINT id)
{
    return GetMenuState(menu, id, MF_BYCOMMAND);
}

// A bar like the mail client's: File, Edit, Window, Help (with one item).
HMENU HostBar(int items = 4)
{
    const char* captions[] = { "&File", "&Edit", "&Window", "&Help" };
    HMENU bar = CreateMenu();
    for (int i = 0; i < items; ++i) {
        HMENU popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, 100 + i, "item");
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), captions[4 - items + i]);
    }
    return bar;
}

TPluginMenuState Plain()
{
    TPluginMenuState state;
    state.KeyRingState = 2;
    return state;
}
} // namespace

TEST(PluginMenus, TheMenuGoesBeforeTheBarsLastTwoItemsOnceAndComesOutAgain)
{
    TPluginMenus menus;
    EXPECT_FALSE(menus.InsertInto(HostBar())); // nothing built yet
    menus.Build(Text, Plain());
    HMENU bar = HostBar();
    EXPECT_TRUE(menus.InsertInto(bar));
    EXPECT_FALSE(menus.InsertInto(bar));
    ASSERT_EQ(GetMenuItemCount(bar), 5);
    EXPECT_EQ(CaptionAt(bar, 2), PLUGIN_MENU_CAPTION);
    EXPECT_EQ(GetSubMenu(bar, 2), menus.PluginMenu());
    menus.AddAboutItem(bar, "Help", PLUGIN_MENU_CAPTION);
    menus.AddAboutItem(bar, "Help", PLUGIN_MENU_CAPTION);
    HMENU help = GetSubMenu(bar, 4);
    ASSERT_EQ(GetMenuItemCount(help), 2);
    EXPECT_EQ(CaptionOf(help, ITEM_ABOUT_ON_HOST_MENU), PLUGIN_MENU_CAPTION);

    menus.RemoveFrom(bar);
    EXPECT_EQ(GetMenuItemCount(bar), 4);
    EXPECT_EQ(GetMenuItemCount(help), 1);
    // The menu is still ours after its removal, and goes into a second bar.
    EXPECT_TRUE(IsMenu(menus.PluginMenu()));
    HMENU small = HostBar(1);
    EXPECT_TRUE(menus.InsertInto(small));
    EXPECT_EQ(CaptionAt(small, 0), PLUGIN_MENU_CAPTION);
    // Destroying takes the menu out of every bar it is still in.
    menus.Destroy();
    EXPECT_FALSE(menus.Built());
    EXPECT_EQ(GetMenuItemCount(small), 1);
    DestroyMenu(bar);
    DestroyMenu(small);
}

TEST(PluginMenus, StatesFollowTheActiveWindowsTheOptionsAndTheKeyRing)
{
    TPluginMenuState state;
    state.KeyRingState = 0;
    state.PGPMime = true;
    TPluginMenus menus;
    menus.Build(Text, state);
    HMENU menu = menus.PluginMenu();
    EXPECT_EQ(CaptionOf(menu, ITEM_MANAGE_KEYS), "&Manage keys");
    EXPECT_TRUE(State(menu, ITEM_PGP_MIME) & MF_CHECKED);
    EXPECT_FALSE(State(menu, ITEM_FULL_AUTO) & MF_CHECKED);
    for (UINT id : { ITEM_WIPE_PASSPHRASE, ITEM_SEND_BOTH, ITEM_DECRYPT_MESSAGE, ITEM_VERIFY_FILE,
             ITEM_IMPORT_CERTIFICATES, ITEM_REMOVE_CERTIFICATE, ITEM_EXPORT_CERTIFICATE })
        EXPECT_TRUE(State(menu, id) & MF_GRAYED) << id;
    EXPECT_FALSE(State(menu, ITEM_START_PGP) & MF_GRAYED);

    state.PassphraseCached = true;
    state.ReaderActive = true;
    state.EditorActive = true;
    state.KeyRingState = 1;
    state.PGPMime = false;
    state.FullAuto = true;
    // Nothing to import while Windows holds no certificate with its private key.
    menus.UpdateStates(state);
    EXPECT_TRUE(State(menu, ITEM_IMPORT_CERTIFICATES) & MF_GRAYED);
    EXPECT_FALSE(State(menu, ITEM_EXPORT_CERTIFICATE) & MF_GRAYED);
    state.WindowsCertificates = true;
    menus.UpdateStates(state);
    for (UINT id : { ITEM_WIPE_PASSPHRASE, ITEM_SEND_BOTH, ITEM_SEND_BOTH + 1, ITEM_SEND_SIGNED, ITEM_DECRYPT_MESSAGE, ITEM_VERIFY_FILE,
             ITEM_IMPORT_CERTIFICATES, ITEM_REMOVE_CERTIFICATE, ITEM_EXPORT_CERTIFICATE })
        EXPECT_FALSE(State(menu, id) & MF_GRAYED) << id;
    // Without a key ring again, no certificate item can run.
    state.KeyRingState = 0;
    menus.UpdateStates(state);
    for (UINT id : { ITEM_IMPORT_CERTIFICATES, ITEM_REMOVE_CERTIFICATE, ITEM_EXPORT_CERTIFICATE })
        EXPECT_TRUE(State(menu, id) & MF_GRAYED) << id;
    EXPECT_FALSE(State(menu, ITEM_PGP_MIME) & MF_CHECKED);
    EXPECT_TRUE(State(menu, ITEM_FULL_AUTO) & MF_CHECKED);
}

TEST(PluginMenus, TheAutoListSubmenuIsRebuiltEachTime)
{
    TPluginMenus menus;
    menus.Build(Text, Plain());
    HMENU list = menus.AutoListMenu();
    ASSERT_TRUE(list);
    EXPECT_EQ(CaptionAt(menus.PluginMenu(), 1), "t28");
    EXPECT_TRUE(menus.Owns(list));

    TAutoListMenuState state;
    state.AutoPush = false;
    menus.RebuildAutoListMenu(Text, state);
    ASSERT_EQ(GetMenuItemCount(list), 1);
    EXPECT_EQ(GetMenuItemID(list, 0), ITEM_AUTO_LIST_ON);

    state.AutoPush = true;
    state.ListEmpty = false;
    menus.RebuildAutoListMenu(Text, state);
    menus.RebuildAutoListMenu(Text, state);
    ASSERT_EQ(GetMenuItemCount(list), 6);
    EXPECT_TRUE(State(list, ITEM_AUTO_LIST_NEW_PAIRS) & MF_GRAYED);
    EXPECT_FALSE(State(list, ITEM_AUTO_LIST_EDIT) & MF_GRAYED);
    EXPECT_EQ(CaptionOf(list, ITEM_AUTO_LIST_FILE), "t34");

    state.ListEmpty = true;
    state.HasNewPairs = true;
    menus.RebuildAutoListMenu(Text, state);
    EXPECT_FALSE(State(list, ITEM_AUTO_LIST_NEW_PAIRS) & MF_GRAYED);
    EXPECT_TRUE(State(list, ITEM_AUTO_LIST_EDIT) & MF_GRAYED);
    EXPECT_TRUE(State(list, ITEM_AUTO_LIST_PURGE) & MF_GRAYED);
}

TEST(PluginMenus, AddressBooksGetASubmenuWithOneItemEachAndOneForAll)
{
    TPluginMenus menus;
    menus.Build(Text, Plain());
    HMENU list = menus.AutoListMenu();
    TAutoListMenuState state;
    state.AddressBooks = { "Friends", "Work" };
    menus.RebuildAutoListMenu(Text, state);
    ASSERT_EQ(GetMenuItemCount(list), 7);
    EXPECT_EQ(CaptionAt(list, 6), "t235");
    HMENU books = GetSubMenu(list, 6);
    ASSERT_TRUE(books);
    EXPECT_TRUE(menus.Owns(books));
    ASSERT_EQ(GetMenuItemCount(books), 3);
    EXPECT_EQ(CaptionOf(books, ADDRESS_BOOK_MENU_BASE), "Friends");
    EXPECT_EQ(CaptionOf(books, ADDRESS_BOOK_MENU_BASE + 1), "Work");
    EXPECT_EQ(CaptionOf(books, ADDRESS_BOOK_MENU_BASE + 2), "t87");
    EXPECT_EQ(menus.AddressBooks(), state.AddressBooks);

    // Rebuilt without books (the list switched off): the old submenu is gone, not leaked.
    state.AutoPush = false;
    menus.RebuildAutoListMenu(Text, state);
    EXPECT_EQ(GetMenuItemCount(list), 1);
    EXPECT_FALSE(IsMenu(books));
    EXPECT_TRUE(menus.AddressBooks().empty());
    state.AutoPush = true;
    menus.RebuildAutoListMenu(Text, state);
    books = GetSubMenu(list, 6);
    menus.Destroy();
    EXPECT_FALSE(IsMenu(books));
}

TEST(PluginMenus, TheEncryptPopupHoldsTheSendItemsAndTheSwitches)
{
    TPluginMenuState state = Plain();
    state.PGPExt = true;
    HMENU popup = TPluginMenus::BuildEncryptPopup(Text, state);
    ASSERT_TRUE(popup);
    ASSERT_EQ(GetMenuItemCount(popup), 7);
    EXPECT_EQ(GetMenuItemID(popup, 0), ITEM_SEND_BOTH);
    EXPECT_EQ(GetMenuItemID(popup, 2), ITEM_SEND_SIGNED);
    EXPECT_EQ(CaptionOf(popup, ITEM_SEND_SIGNED), "t41");
    EXPECT_TRUE(State(popup, ITEM_PGP_EXT) & MF_CHECKED);
    EXPECT_FALSE(State(popup, ITEM_PGP_MIME) & MF_CHECKED);
    EXPECT_TRUE(State(popup, ITEM_SEND_BOTH) & MF_GRAYED); // no editor to send from
    DestroyMenu(popup);
    state.EditorActive = true;
    popup = TPluginMenus::BuildEncryptPopup(Text, state);
    EXPECT_FALSE(State(popup, ITEM_SEND_BOTH) & MF_GRAYED);
    DestroyMenu(popup);
}
