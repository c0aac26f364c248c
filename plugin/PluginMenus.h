// The plug-in's menus in the mail client: the plug-in menu with its product, auto-list and
// address-book submenus (inserted into the frame's menu bar), the about item on the mail client's
// own help menu, and the encrypt popup. One owner destroys them all.
#pragma once

#include "plugin/HostWindowRules.h"

#include <windows.h>

#include <string>
#include <vector>

// What decides the plug-in menu's check marks and enabled items.
struct TPluginMenuState {
    bool PassphraseCached = false;
    bool ReaderActive = false;
    bool EditorActive = false;
    int32_t KeyRingState = 0;
    // Windows' personal store holds a certificate with its private key: there is one to import.
    // Asked only when the menu opens, since it loads the certificate library.
    bool WindowsCertificates = false;
    bool PGPMime = false, PGPExt = false, FullAuto = false;
};

// What the auto-list submenu shows when it opens.
struct TAutoListMenuState {
    bool AutoPush = true;
    bool HasNewPairs = false;
    bool ListEmpty = true;
    std::vector<std::string> AddressBooks; // titles, in the order of their item ids
};

class TPluginMenus {
public:
    using TTextLookup = HostWindowRules::TTextLookup;

    TPluginMenus() = default;
    ~TPluginMenus() { Destroy(); }
    TPluginMenus(const TPluginMenus&) = delete;
    TPluginMenus& operator=(const TPluginMenus&) = delete;

    // Builds the plug-in menu once; later calls keep the menus there are.
    void Build(const TTextLookup& texts, const TPluginMenuState& state);
    bool Built() const { return pluginMenu_ != nullptr; }
    HMENU PluginMenu() const { return pluginMenu_; }
    HMENU AutoListMenu() const { return autoListMenu_; }
    // One of the plug-in's menus (the popups included).
    bool Owns(HMENU menu) const;

    // Inserts the plug-in menu before the bar's last two items and remembers the bar; false when
    // it is there already.
    bool InsertInto(HMENU bar);
    // Appends the about item to the bar's submenu whose caption begins with prefix (once).
    void AddAboutItem(HMENU bar, const std::string& prefix, const std::string& caption) const;
    // Takes the plug-in menu and the about item out of the bar (the menus stay ours).
    void RemoveFrom(HMENU bar) const;
    // The same for every bar the menu went into that still exists.
    void RemoveFromAll();
    void Destroy();

    // Check marks from the options; items enabled as they apply.
    void UpdateStates(const TPluginMenuState& state) const;
    // Fills the auto-list submenu afresh, with an address-book submenu when there are books.
    void RebuildAutoListMenu(const TTextLookup& texts, const TAutoListMenuState& state);
    // The address books of the last rebuild, for the hints of their items.
    const std::vector<std::string>& AddressBooks() const { return addressBooks_; }

    // A new encrypt popup (send items and the three switches); the caller destroys it. Building
    // stops at the first item Windows refuses.
    static HMENU BuildEncryptPopup(const TTextLookup& texts, const TPluginMenuState& state);

private:
    HMENU pluginMenu_ = nullptr;
    HMENU productMenu_ = nullptr;
    HMENU autoListMenu_ = nullptr;
    HMENU addressBookMenu_ = nullptr;
    std::vector<std::string> addressBooks_;
    // Bars that received the plug-in menu: a bar the mail client swapped out still holds it.
    std::vector<HMENU> bars_;
};
