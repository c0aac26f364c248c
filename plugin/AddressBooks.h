// The mail client's address books (*.PMR): their entries as recipient lines for the auto-list, and
// bare names in a recipient list replaced by the address a book gives them. Read only; the mail
// client owns the files. The record layout and the texts are portable; finding the books in their
// folders and the OEM character set are the Windows part.
#pragma once

#include "engine/AutoListHandler.h"
#include "framework/Streams.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Converts a text of a book from the OEM to the ANSI character set.
using TOemToAnsi = std::function<std::string(const std::string&)>;

class TAddressBookList : public IAddressBookList {
public:
    static constexpr int HEADER_SIZE = 128;
    static constexpr int RECORD_SIZE = 458;
    static constexpr int NAME_OFFSET = 2;
    static constexpr int ADDRESS_OFFSET = 342;

    explicit TAddressBookList(TOemToAnsi oemToAnsi);
    // Opens the books of every non-empty line of an LF-separated folder list (Windows).
    TAddressBookList(const std::string& folders, TOemToAnsi oemToAnsi);
    ~TAddressBookList() override;
    TAddressBookList(const TAddressBookList&) = delete;
    TAddressBookList& operator=(const TAddressBookList&) = delete;

    // Adds every "*.PMR" file of an existing folder (Windows).
    void AddFolder(const std::string& folder);
    // Keeps a book whose header holds a title of 1 to 127 characters and that has more than the
    // header; its index, or -1 (the stream is then dropped).
    int AddBook(std::unique_ptr<TStream> book);
    // The book's recipient lines, read once; empty for an unknown index or a book that failed.
    std::string ReadAddressBook(int index) override;

    // The lines of all books the configuration does not switch off; empty without books.
    std::string GetRecipientText() override;
    // Reads every book in resolve form for ResolveRecipientNames, then closes the books.
    void CollectForResolving(const std::string& configuration);
    // A comma-separated recipient list with each bare name replaced by its book address.
    std::string ResolveRecipientNames(const std::string& recipients) const override;
    void CloseBooks();

    int Count() const { return static_cast<int>(books_.size()); }
    int BookCount() const override { return Count(); }
    const std::string& Title(int index) const { return books_[static_cast<size_t>(index)].Title; }
    int64_t Total() const { return total_; }

private:
    struct TBook {
        std::string Title;
        std::unique_ptr<TStream> Stream; // until the book is read
        std::string Text;
    };

    bool SwitchedOff(const std::string& title) const;
    std::string RecordLine(const char* record) const;

    TOemToAnsi oemToAnsi_;
    std::vector<TBook> books_;
    std::string configuration_;
    std::string resolveText_;
    int64_t total_ = 0;
    bool resolveMode_ = false;
};

// The address that resolves a name: the "<...>" part of the line "name TAB <address>" of a resolve
// text (case of the name ignored), without its brackets; empty when no line has that name.
std::string FindResolvedAddress(const std::string& resolveText, const std::string& name);

#ifdef _WIN32
// The books of the host's address-book folders, with the system's OEM conversion; null when none
// can be read. Fits TAutoList::OpenAddressBooks.
std::unique_ptr<IAddressBookList> OpenHostAddressBooks(const std::string& folders);
// The books of the host's folders read for resolving names (the configuration's switched-off
// books left out) and closed again.
std::unique_ptr<TAddressBookList> CollectHostAddressBooks(const std::string& folders, const std::string& configuration);
#endif
