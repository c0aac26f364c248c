// Reading the mail client's address books and resolving bare names (portable part).
#include "plugin/AddressBooks.h"

#include "foundation/StrTools.h"
#include "foundation/StrUtil.h"
#include "foundation/UserIDs.h"
#include "mime/MailUtils.h"

#include <algorithm>
#include <cstring>

namespace {
const std::string kNoKeySuffix = "\\" + kNoKeyID;

// The NUL-terminated text of a fixed field, never read past the field.
std::string FieldText(const char* field, size_t size)
{
    return std::string(field, strnlen(field, size));
}

std::string Unquoted(const std::string& text)
{
    return UnwrapQuotes(TrimBlanks(text));
}
} // namespace

TAddressBookList::TAddressBookList(TOemToAnsi oemToAnsi)
    : oemToAnsi_(std::move(oemToAnsi))
{
}

TAddressBookList::~TAddressBookList()
{
    CloseBooks();
}

int TAddressBookList::AddBook(std::unique_ptr<TStream> book)
{
    try {
        if (!book || book->Size() <= HEADER_SIZE)
            return -1;
        char header[HEADER_SIZE] = {};
        book->SetPosition(0);
        if (book->Read(header, HEADER_SIZE) != HEADER_SIZE)
            return -1;
        // A title that fills the whole header has no terminator: not a book.
        const size_t titleLength = strnlen(header, HEADER_SIZE);
        if (titleLength == 0 || titleLength == HEADER_SIZE)
            return -1;
        books_.push_back({ std::string(header, titleLength), std::move(book), {} });
        return Count() - 1;
    } catch (...) {
        return -1;
    }
}

std::string TAddressBookList::RecordLine(const char* record) const
{
    const std::string name
        = Unquoted(oemToAnsi_(FieldText(record + NAME_OFFSET, ADDRESS_OFFSET - NAME_OFFSET)));
    const std::string address
        = Unquoted(oemToAnsi_(FieldText(record + ADDRESS_OFFSET, RECORD_SIZE - ADDRESS_OFFSET)));
    // An entry without an address names nobody to write to; leaving it out also keeps its name
    // from running into the next entry's line.
    if (address.empty())
        return {};
    std::string line;
    if (!name.empty())
        line = name + (resolveMode_ ? "\t" : " ");
    line += "<" + address + ">";
    if (!resolveMode_)
        line += kNoKeySuffix;
    return line + "\r\n";
}

std::string TAddressBookList::ReadAddressBook(int index)
{
    if (index < 0 || index >= Count())
        return {};
    TBook& book = books_[static_cast<size_t>(index)];
    if (!book.Stream)
        return book.Text;
    std::string text;
    try {
        char record[RECORD_SIZE];
        book.Stream->SetPosition(HEADER_SIZE);
        while (book.Stream->Read(record, RECORD_SIZE) == RECORD_SIZE)
            text += RecordLine(record);
        book.Text = text;
    } catch (...) {
        text.clear();
    }
    book.Stream.reset();
    return text;
}

bool TAddressBookList::SwitchedOff(const std::string& title) const
{
    const std::string entry = title + ".PMR=";
    const int at = PosText(entry, configuration_);
    if (at == 0)
        return false;
    const size_t fifth = static_cast<size_t>(at - 1) + entry.size() + 4;
    return fifth < configuration_.size() && configuration_[fifth] == '1';
}

std::string TAddressBookList::GetRecipientText()
{
    std::string text;
    for (int i = 0; i < Count(); ++i)
        if (!SwitchedOff(Title(i)))
            text += ReadAddressBook(i);
    return text;
}

void TAddressBookList::CollectForResolving(const std::string& configuration)
{
    resolveMode_ = true;
    configuration_ = configuration;
    try {
        resolveText_ = GetRecipientText();
    } catch (...) {
        resolveText_.clear();
    }
    resolveMode_ = false;
    CloseBooks();
}

std::string FindResolvedAddress(const std::string& resolveText, const std::string& name)
{
    const std::string key = name + "\t<";
    for (int at = PosText(key, resolveText); at != 0; at = PosTextFrom(key, resolveText, at + 1)) {
        const size_t start = static_cast<size_t>(at - 1);
        if (start != 0 && (start < 2 || resolveText.compare(start - 2, 2, "\r\n") != 0))
            continue;
        const size_t addressStart = start + key.size() - 1;
        const size_t lineEnd = std::min(resolveText.find("\r\n", addressStart), resolveText.size());
        return UnwrapAngleBrackets(TrimBlanks(resolveText.substr(addressStart, lineEnd - addressStart)));
    }
    return {};
}

std::string TAddressBookList::ResolveRecipientNames(const std::string& recipients) const
{
    if (resolveText_.empty() || recipients.empty())
        return {};
    std::string result;
    const int length = static_cast<int>(recipients.size());
    for (int start = 1; start <= length;) {
        const int itemLength = AddressItemLength(recipients, start);
        const std::string item = TrimBlanks(recipients.substr(static_cast<size_t>(start - 1), static_cast<size_t>(itemLength)));
        start += itemLength + 1;
        if (item.empty())
            continue;
        std::string address = ExtractEmailAddress(item);
        if (address.empty())
            address = FindResolvedAddress(resolveText_, item);
        result += (address.empty() ? item : address) + ", ";
    }
    if (!result.empty())
        result.resize(result.size() - 2);
    return result;
}

void TAddressBookList::CloseBooks()
{
    books_.clear();
}
