// The key selection dialog's rules without a window: the items its tree shows for a key list, the
// preselection and fuzzy search for a typed recipient, the marked-count text and the result text.
// Portable, so the native build tests them; KeyDialog.cpp puts the items into a tree view.
#pragma once

#include "engine/KeyFuncsTypes.h"

#include <string>
#include <vector>

// Images of the key image list, in this order.
enum : int {
    kKeyImageNone = 0,
    kKeyImageRSALegacy = 1,
    kKeyImageRSA = 2,
    kKeyImageDH = 3,
    kKeyImageUserIDRSALegacy = 4,
    kKeyImageUserIDDH = 5,
    kKeyImageCertificate = 6,
};

enum class TKeyItemKind { Key, UserID, Group };

// One item of the tree: a key, a user id or certificate entry, or a group with its member keys.
struct TKeyTreeItem {
    TKeyItemKind kind = TKeyItemKind::Key;
    std::string text;
    // The key's index in the key list; for a group its line number minus the number of group lines.
    int data = 0;
    int parent = -1; // index of the parent item; -1 at the root
    int image = kKeyImageNone;
    int state = 0; // state image 0 (none) to 3
    bool greyed = false; // group members, revoked, disabled and expired keys
    bool warning = false; // keys with additional decryption keys
};

// A group line of the key list: "description <name><TAB>0x…,0x…".
struct TKeyGroup {
    std::string title; // the part before the TAB
    std::string name; // between the last '<' and '>' of the title, else the title
    std::vector<std::string> keyIDs;
};
TKeyGroup ParseGroupLine(const std::string& line);

// The key-type name with "-Legacy" after "RSA", for the key images' names.
std::string LegacyKeyTypeName(const std::string& rsaName);

// The items for `list` in tree order (each parent before its children). Keys in list order with
// their user ids (S/MIME: certificate entries at the root, sorted), then the groups from the last
// line to the first with their members sorted; member key ids not in the list are dropped.
std::vector<TKeyTreeItem> BuildKeyTree(TKeyPropsList& list, bool smime, const std::string& groupSuffix);

// The item to preselect for the typed `wanted` text, or -1.
int FindPreselection(const std::vector<TKeyTreeItem>& items, const TKeyPropsList& list, const std::string& wanted,
                     bool single);
// The keys to mark in the multiple mode: for each recipient of the comma-separated `wanted` text
// the top-level item it preselects alone, each once, in the order typed.
std::vector<int> FindPreselections(const std::vector<TKeyTreeItem>& items, const TKeyPropsList& list,
                                   const std::string& wanted);
// Fuzzy search of `wanted` among the user ids; the index of the matching one, or -1.
int FuzzyFind(const std::vector<std::string>& userIDs, const std::string& wanted);
// Lower case with every character other than a letter or digit as a blank.
std::string NormaliseForSearch(const std::string& text);

// Names for the details texts, indexed by the SDK's numbers.
struct TKeyDialogNames {
    std::vector<std::string> KeyTypes, Trust, Validity, Algorithms, Hashes;
    std::vector<std::string> CertificateStates; // not certified, invalid, valid
};
// The details of a key: user id (after a warning line when it has additional decryption keys),
// validity and trust, key id, size and algorithm, creation and expiry dates.
std::string KeyDetailsText(const TKeyPropsRec& record, const std::string& keyID, const TKeyDialogNames& names);
// The details of certificates: for each its state word, subject, issuer and validity dates, with an
// empty line between two certificates.
std::string CertificateDetailsText(const std::vector<TX509CertPropsRec>& certificates, const TKeyDialogNames& names);
// The certificate a root entry of the S/MIME tree stands for among its key's `certificates`: the
// n-th one with the entry's subject when the entry is the n-th root of its key with that subject.
// -1 when none matches.
int EntryCertificate(const std::vector<TKeyTreeItem>& items, int entry,
                     const std::vector<TX509CertPropsRec>& certificates);
// A group's name and its members' user ids, one a line.
std::string GroupDetailsText(const std::vector<TKeyTreeItem>& items, const TKeyPropsList& list, int group);

// Control 30's text in multiple mode: the count with four digits, a blank and the suffix.
std::string MarkedCountText(int count, const std::string& suffix);

// The top-level item an item belongs to.
int TopLevelItem(const std::vector<TKeyTreeItem>& items, int index);
// The key ids the chosen top-level items stand for, in order, joined by ","; groups give their
// members' key ids (only key ids may reach the key-set builder), each id once.
std::string ChosenKeyIDs(const std::vector<TKeyTreeItem>& items, const TKeyPropsList& list,
                         const std::vector<int>& chosen);
