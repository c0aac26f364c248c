// The about box's rules that need no window: where the maker's pages and key live, comparing the
// version of the update page with our own, and cutting a key server's answer to the armoured block.
#pragma once

#include <string>

// The maker's addresses. They are the product's configuration, kept in this one place; tests put
// their loopback server in.
struct TMakerContact {
    std::string WebHost = "https://zavek.example.org";
    // Each with its port; the thread tries them in this order.
    std::string KeyServers[3] = { "http://keys1.example.net:11371", "http://keys2.example.net:11371",
        "http://keys3.example.net:11371" };
    std::string KeyId = "5A7E3C1D09B2F468";
    std::string MailAddress = "zavek@example.org";
};

std::string UpdatePageUrl(const TMakerContact& contact);
// The German notes for language 7, the English ones otherwise.
std::string ReleaseNotesUrl(const TMakerContact& contact, int languageId);
// The key servers' lookups for the maker's key, TAB-separated.
std::string KeyServerUrls(const TMakerContact& contact);

enum class TVersionCheck { NoVersionTag, NotComparable, Newer, UpToDate };

// The update page's version tag against our own version caption ("Version 4.6 ..."): the own
// version loses its dots, both are padded on the right with '0' to four characters and compared as
// whole numbers.
TVersionCheck CompareVersionPage(const std::string& page, const std::string& versionCaption);

// The armoured public key block of a key server's page, from the first BEGIN line to the end of
// the last END line; empty when the page holds no such block.
std::string CutKeyBlock(const std::string& page);
