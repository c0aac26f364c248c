// The recipient key list (`TAutoList`): which key serves which recipient and how, one entry per
// line of text, backed by AutoList.txt or held in memory as a working list. Parsing, writing and
// matching are portable; only the recipient compare and opening the file in an editor are Windows.
#pragma once

#include "engine/KeyFuncsTypes.h"
#include "framework/StringLists.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Entry flags. The low nibble is written as the key id's first digit.
enum : uint32_t {
    kALEncrypt = 0x01,
    kALSign = 0x02,
    kALMode = 0x04,
    kALPgpMime = 0x08,
    kALSMime = 0x10,
    kALDisabled = 0x20, // not offered for automatic choice
};

inline const std::string kNoKeyID = "0x0000000000000000";

struct TAutoListEntry {
    std::string Recipient;
    std::string KeyID;
    uint32_t Flags = 0;
    void* Object = nullptr;
};

// "recipient\Fx<16 hex digits><+|-><S|s>"; false for a line that is not an entry.
bool ParseEntryLine(const std::string& line, TAutoListEntry& entry);
std::string FormatEntryLine(const TAutoListEntry& entry);

// Recipient texts compared like the user sees them: <0, 0, >0, ignoring case (the user locale on
// Windows, ASCII letters elsewhere).
int CompareRecipients(const std::string& a, const std::string& b);
// ASCII letters without regard to case, bytes otherwise; shorter first on a common start.
int CompareAsciiNoCase(const std::string& a, const std::string& b);

// The version text after "# Update " in a header (0 without one); the header text with the
// number replaced. Exposed for the file's round-trip tests.
int HeaderUpdateNumber(const std::string& header, bool& found);
std::string HeaderWithUpdateNumber(const std::string& header, int number);
// The header a list file gets when it is first written, current at update 4.9.6.0.
extern const char* const kStandardAutoListHeader;

enum TAutoListSortOrder : int { soNone = 0, soKeyID = 1, soRecipient = 2 };

// The mail client's address books as the list reads them; the address-book unit implements it.
class IAddressBookList {
public:
    virtual ~IAddressBookList() = default;
    // The books' entries as auto-list text: "name <address>\0x0000000000000000" lines.
    virtual std::string GetRecipientText() = 0;
    virtual int BookCount() const = 0;
    // One book's entries in the same form; empty for an unknown index.
    virtual std::string ReadAddressBook(int index) = 0;
    // A comma-separated recipient list with each bare name replaced by its book address (empty
    // unless the books were collected for resolving).
    virtual std::string ResolveRecipientNames(const std::string& recipients) const = 0;
};
// Opens the books of an LF-separated list of folders; null when none can be read.
using TAddressBookOpener = std::function<std::unique_ptr<IAddressBookList>(const std::string& folders)>;

// The recipients of a message as the roads hand them over: CR-separated recipient lines, a text
// of key ids ("0x…"), and the number of keys chosen for it.
struct TMessageRecipients {
    std::string Recipients;
    std::string KeyIDs;
    int Count = 0;
};

class TAutoList : public TStrings {
public:
    explicit TAutoList(const std::string& fileName = std::string());
    TAutoList(const TAutoList&) = delete;
    TAutoList& operator=(const TAutoList&) = delete;
    ~TAutoList() override;

    // ---- TStrings: lines are entries in their text form
    std::string Get(int index) const override;
    int GetCount() const override { return static_cast<int>(entries_.size()); }
    void* GetObject(int index) const override;
    std::string GetTextStr() const override;
    // Replaces the entry; an invalid line or index is ignored.
    void Put(int index, const std::string& text) override;
    void PutObject(int index, void* object) override;
    void SetCapacity(int capacity) override;
    void SetTextStr(const std::string& text) override;
    // Add, AddObject, Insert and InsertObject put the entry at its sorted place (the index asked
    // for is not used) and return that place, or -1 for an invalid line or a duplicate.
    int Add(const std::string& text) override;
    int AddObject(const std::string& text, void* object) override;
    void Clear() override;
    void Delete(int index) override;
    void Exchange(int index1, int index2) override;
    void Insert(int index, const std::string& text) override;
    void InsertObject(int index, const std::string& text, void* object) override;
    void Move(int currentIndex, int newIndex) override;
    // Both work on the list's own file (`fileName` is not used): load reloads only a newer file,
    // save raises EFCreateError when the file could not be replaced.
    void LoadFromFile(const std::string& fileName) override;
    void SaveToFile(const std::string& fileName) const override;

    // Reloads the file when it is newer than the last load or save; a missing file empties the
    // list. False when the file is there but could not be read (the list is then unchanged).
    bool LoadFile();
    // Replaces the file through a safe commit; true only when the file now holds the list.
    bool SaveFile() const;

    // Opens the list's file with the program Windows associates with it; false when that failed.
    bool OpenInEditor() const;
    void SetDefaultFlags(bool encrypt, bool sign);
    uint32_t DefaultFlags() const { return defaultFlags_; }
    bool OpenAddressBooks(const std::string& folders, const TAddressBookOpener& opener);
    void CloseAddressBooks();
    IAddressBookList* AddressBooks() const { return addressBooks_.get(); }

    TAutoListEntry GetItem(int index) const;
    uint32_t GetFlags(int index) const;
    void SetFlags(int index, uint32_t flags);
    std::string GetKeyId(int index) const;
    void SetKeyId(int index, const std::string& keyID);
    bool IsMime(int index) const;
    // The recipients joined by CR LF, without a final CR LF.
    std::string GetRecipientList() const;

    // Inserts the entry where FindEntry places it; -1 when the pair is already there.
    int AddItem(const TAutoListEntry& entry);
    void AddItems(const TAutoList& other);
    bool ContainsPair(const std::string& recipient, const std::string& keyID);
    // True and the match's index, or false and the index where the entry belongs.
    virtual bool FindEntry(const TAutoListEntry& entry, int& index);
    // Adds the entries for a recipient whose keys are lines of `keys` (object: the key's index):
    // exact recipient first; else the address within recipients; else the name.
    void FindEntriesForRecipient(const std::string& recipient, const TKeyPropsList& keys, TAutoList& result);
    void AddEntriesFromMessage(
        const TMessageRecipients& message, const TKeyPropsList& keys, TAutoList& result);
    // A list without file, by recipient, of the entries offered for automatic choice.
    std::unique_ptr<TAutoList> CopyEnabledEntries() const;
    // Deletes entries whose key is not in `keys`; keyless entries stay, and an empty key list
    // deletes nothing. Returns the number deleted (-1 when the file could not be read or saved).
    int PurgeMissingKeys(const TKeyPropsList& keys);
    // Deletes the first entry of every "0x" key id in `text`; returns the number deleted (-1
    // when the file could not be read or saved).
    int RemoveKeyEntries(const std::string& text);

    void SetSortOrder(TAutoListSortOrder order);
    TAutoListSortOrder SortOrder() const { return sortOrder_; }
    void SetUnsorted(bool on);
    bool Unsorted() const { return unsorted_; }
    int GetUpdateNumber();
    void SetUpdateNumber(int number);

    const std::string& FileName() const { return fileName_; }
    const std::string& Header() const { return header_; }
    int64_t FileAge() const { return fileAge_; }

protected:
    // Used by subclasses that bind the list to a file after construction.
    void SetFileName(const std::string& fileName) { fileName_ = fileName; }
    // The default flags field doubles as a subclass's combined flags.
    void SetDefaultFlagsValue(uint32_t flags) { defaultFlags_ = flags; }
    // True when the entry matches the wanted pair (same key id assumed).
    static bool RecipientMatches(const TAutoListEntry& entry, const std::string& wanted);
    std::vector<TAutoListEntry>& Entries() { return entries_; }
    const std::vector<TAutoListEntry>& Entries() const { return entries_; }

private:
    bool ValidIndex(int index) const { return index >= 0 && index < GetCount(); }
    void SortBy(TAutoListSortOrder order);
    void AddCandidates(const std::vector<int>& indexes, const TKeyPropsList& keys, TAutoList& result) const;
    void RemoveAt(int index);

    std::unique_ptr<IAddressBookList> addressBooks_;
    std::vector<TAutoListEntry> entries_;
    char commentChar_ = '#';
    uint32_t defaultFlags_ = 0;
    bool unsorted_ = false;
    std::string fileName_;
    mutable std::string header_; // a file written without one gets the standard header
    mutable int64_t fileAge_ = -1;
    TAutoListSortOrder sortOrder_ = soNone;
    bool inOrder_ = true; // false after a change that may break the recorded order
};
