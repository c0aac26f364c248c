// Finding the address books in the mail client's folders and reading their OEM texts (Windows).
#include "plugin/AddressBooks.h"

#include "foundation/StrUtil.h"

#include <windows.h>

#include <algorithm>

namespace {
std::string OemTextToAnsi(const std::string& text)
{
    std::string ansi(text.size(), '\0');
    if (!text.empty())
        OemToCharBuffA(text.data(), ansi.data(), static_cast<DWORD>(text.size()));
    return ansi;
}

std::string WithBackslash(const std::string& folder)
{
    return !folder.empty() && folder.back() != '\\' ? folder + "\\" : folder;
}
} // namespace

TAddressBookList::TAddressBookList(const std::string& folders, TOemToAnsi oemToAnsi)
    : TAddressBookList(std::move(oemToAnsi))
{
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find('\n', start), folders.size());
        const std::string folder = TrimBlanks(folders.substr(start, end - start));
        if (!folder.empty())
            AddFolder(folder);
        start = end + 1;
    }
}

void TAddressBookList::AddFolder(const std::string& folder)
{
    const std::string prefix = WithBackslash(folder);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((prefix + "*.PMR").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        total_ += (static_cast<int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        try {
            // The mail client may have the book open: share everything.
            AddBook(std::make_unique<TFileStream>(prefix + found.cFileName, fmOpenRead | fmShareDenyNone));
        } catch (...) {
            // An unreadable book is skipped.
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::unique_ptr<TAddressBookList> CollectHostAddressBooks(const std::string& folders, const std::string& configuration)
{
    auto books = std::make_unique<TAddressBookList>(folders, OemTextToAnsi);
    books->CollectForResolving(configuration);
    return books;
}

std::unique_ptr<IAddressBookList> OpenHostAddressBooks(const std::string& folders)
{
    auto books = std::make_unique<TAddressBookList>(folders, OemTextToAnsi);
    if (books->Count() == 0)
        return nullptr;
    return books;
}
