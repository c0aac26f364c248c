// The recipient key list: entry lines, the file text with its header and update number, the
// sorted store without duplicate pairs, and the matching of recipients to keys.
#include "engine/AutoListHandler.h"

#include "engine/AutoListFile.h"
#include "foundation/StrUtil.h"
#include "foundation/UserIDs.h"
#include "foundation/ZAVEKCommon.h"
#include "framework/Exceptions.h"

#include <algorithm>

// The Windows headers StrUtil brings in rename GetObject; the list keeps its own name.
#ifdef GetObject
#undef GetObject
#endif

const char* const kStandardAutoListHeader
    = "#++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++\r\n"
      "# Update 4.9.6.0\r\n"
      "# Recipient key list. One entry per line:\r\n"
      "#   recipient\\Fx<16 hexadecimal digits of the key id><+|-><S|s>\r\n"
      "#   F = flags digit: 1 encrypt, 2 sign, 4 mode, 8 PGP/MIME (sum as hex)\r\n"
      "#   + offered for automatic choice, - switched off; S = S/MIME, s = not\r\n"
      "++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++#\r\n";

int CompareAsciiNoCase(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(LowerAsciiChar(a[i]));
        const unsigned char y = static_cast<unsigned char>(LowerAsciiChar(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

namespace {

constexpr size_t kKeyIDLength = 18;

bool ContainsAsciiNoCase(const std::string& text, const std::string& part)
{
    if (part.empty() || part.size() > text.size())
        return false;
    for (size_t at = 0; at + part.size() <= text.size(); ++at)
        if (CompareAsciiNoCase(text.substr(at, part.size()), part) == 0)
            return true;
    return false;
}

std::string TrimBelow33(const std::string& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) < 33)
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) < 33)
        --last;
    return text.substr(first, last - first);
}

bool IsLineEnd(char c)
{
    return c == '\0' || c == '\r' || c == '\n';
}

// Every key id text ("0x" and up to 16 characters) of a text, in order.
std::vector<std::string> KeyIDsInText(const std::string& text)
{
    std::vector<std::string> ids;
    for (size_t at = text.find("0x"); at != std::string::npos; at = text.find("0x", at + 2))
        ids.push_back(text.substr(at, kKeyIDLength));
    return ids;
}

// Lines separated by CR (LF too), each with its leading bytes below 32 skipped.
std::vector<std::string> RecipientLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && static_cast<unsigned char>(text[at]) < 32)
            ++at;
        size_t end = at;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        if (end > at)
            lines.push_back(text.substr(at, end - at));
        at = end;
    }
    return lines;
}

// The first user id of a key: its record's primary one, else the first of its list.
std::string FirstUserID(const TKeyPropsList& keys, int index)
{
    const TKeyPropsRec& record = keys.Record(index);
    if (!record.UserID.empty())
        return record.UserID;
    if (record.UserIDs && record.UserIDs->Count() > 0)
        return record.UserIDs->Get(0);
    return std::string();
}

constexpr const char* kUpdateMarker = "\r\n# update ";

size_t FindUpdateMarker(const std::string& header)
{
    const std::string marker = kUpdateMarker;
    for (size_t at = 0; at + marker.size() <= header.size(); ++at)
        if (CompareAsciiNoCase(header.substr(at, marker.size()), marker) == 0)
            return at + marker.size();
    return std::string::npos;
}

} // namespace

// ---- Entry lines ---------------------------------------------------------------------------------

bool ParseEntryLine(const std::string& line, TAutoListEntry& entry)
{
    const size_t length = line.size();
    size_t separator = std::string::npos;
    if (length >= 21 && line[length - 21] == '\\')
        separator = length - 21;
    else
        separator = line.rfind('\\');
    if (separator == std::string::npos)
        return false;

    // The sign and the S/MIME letter close the line; a short key id must not swallow them.
    const std::string after = line.substr(separator + 1);
    char sign = 0;
    char letter = 0;
    size_t suffix = 0;
    if (!after.empty()) {
        const char last = after.back();
        if (last == '+' || last == '-') {
            sign = last;
            suffix = 1;
        } else if (after.size() >= 2 && (after[after.size() - 2] == '+' || after[after.size() - 2] == '-')) {
            letter = last;
            sign = after[after.size() - 2];
            suffix = 2;
        }
    }
    const std::string recipient = TrimBelow33(line.substr(0, separator));
    std::string keyID = TrimBelow33(after.substr(0, std::min(kKeyIDLength, after.size() - suffix)));
    if (recipient.empty() || keyID.size() <= 9)
        return false;

    entry.Recipient = recipient;
    entry.Flags = HexDigitValue(keyID[0]);
    if (letter == 'S')
        entry.Flags |= kALSMime;
    if (sign == '-')
        entry.Flags |= kALDisabled;
    keyID[0] = '0';
    entry.KeyID = keyID;
    entry.Object = nullptr;
    return true;
}

std::string FormatEntryLine(const TAutoListEntry& entry)
{
    std::string keyID = entry.KeyID;
    if (!keyID.empty())
        keyID[0] = NibbleToHexChar(static_cast<uint8_t>(entry.Flags & 0x0F));
    return entry.Recipient + "\\" + keyID + ((entry.Flags & kALDisabled) ? "-" : "+")
        + ((entry.Flags & kALSMime) ? "S" : "s");
}

// ---- Header and update number --------------------------------------------------------------------

int HeaderUpdateNumber(const std::string& header, bool& found)
{
    const size_t at = FindUpdateMarker(header);
    found = at != std::string::npos;
    if (!found)
        return 0;
    size_t end = at;
    while (end < header.size() && header[end] != ' ' && !IsLineEnd(header[end]))
        ++end;
    return VersionTextToNumber(header.substr(at, end - at));
}

std::string HeaderWithUpdateNumber(const std::string& header, int number)
{
    const size_t at = FindUpdateMarker(header);
    if (at == std::string::npos)
        return header;
    size_t end = at;
    while (end < header.size() && ((header[end] >= '0' && header[end] <= '9') || header[end] == '.'))
        ++end;
    const std::string text = number > 0 ? VersionNumberToText(number) : std::string("0");
    return header.substr(0, at) + text + header.substr(end);
}

// ---- TAutoList -----------------------------------------------------------------------------------

TAutoList::TAutoList(const std::string& fileName)
    : fileName_(fileName)
{
}

TAutoList::~TAutoList()
{
    entries_.clear();
}

std::string TAutoList::Get(int index) const
{
    return ValidIndex(index) ? FormatEntryLine(entries_[static_cast<size_t>(index)]) : std::string();
}

void* TAutoList::GetObject(int index) const
{
    return ValidIndex(index) ? entries_[static_cast<size_t>(index)].Object : nullptr;
}

std::string TAutoList::GetTextStr() const
{
    std::string text = header_;
    for (const TAutoListEntry& entry : entries_)
        text += FormatEntryLine(entry) + "\r\n";
    return text;
}

void TAutoList::Put(int index, const std::string& text)
{
    TAutoListEntry entry;
    if (!ValidIndex(index) || !ParseEntryLine(text, entry))
        return;
    entry.Object = entries_[static_cast<size_t>(index)].Object;
    entries_[static_cast<size_t>(index)] = entry;
    inOrder_ = false;
}

void TAutoList::PutObject(int index, void* object)
{
    if (ValidIndex(index))
        entries_[static_cast<size_t>(index)].Object = object;
}

void TAutoList::SetCapacity(int capacity)
{
    if (capacity > 0)
        entries_.reserve(static_cast<size_t>(capacity));
}

void TAutoList::SetTextStr(const std::string& text)
{
    BeginUpdate();
    Clear();
    header_.clear();
    size_t at = 0;
    const size_t firstLF = text.find('\n');
    if (text.compare(0, 5, "#++++") == 0 && firstLF != std::string::npos) {
        const size_t close = text.find("++++#", firstLF + 1);
        if (close != std::string::npos) {
            at = close + 5;
            while (at < text.size() && static_cast<unsigned char>(text[at]) < '!')
                ++at;
            header_ = text.substr(0, at);
        }
    }
    while (at < text.size()) {
        if (static_cast<unsigned char>(text[at]) <= 32) { // NUL too: it must not stall the walk
            ++at;
            continue;
        }
        size_t end = at;
        while (end < text.size() && !IsLineEnd(text[end]))
            ++end;
        if (text[at] != commentChar_)
            Add(text.substr(at, end - at));
        at = end;
    }
    EndUpdate();
}

int TAutoList::Add(const std::string& text)
{
    TAutoListEntry entry;
    if (!ParseEntryLine(text, entry))
        return -1;
    return AddItem(entry);
}

int TAutoList::AddObject(const std::string& text, void* object)
{
    const int index = Add(text);
    PutObject(index, object);
    return index;
}

void TAutoList::Clear()
{
    entries_.clear();
}

void TAutoList::Delete(int index)
{
    if (ValidIndex(index))
        RemoveAt(index);
}

void TAutoList::RemoveAt(int index)
{
    entries_.erase(entries_.begin() + index);
}

void TAutoList::Exchange(int index1, int index2)
{
    if (!ValidIndex(index1) || !ValidIndex(index2))
        return;
    std::swap(entries_[static_cast<size_t>(index1)], entries_[static_cast<size_t>(index2)]);
    inOrder_ = false;
}

void TAutoList::Insert(int /*index*/, const std::string& text)
{
    Add(text);
}

void TAutoList::InsertObject(int /*index*/, const std::string& text, void* object)
{
    AddObject(text, object);
}

void TAutoList::Move(int currentIndex, int /*newIndex*/)
{
    if (!ValidIndex(currentIndex))
        return;
    const TAutoListEntry entry = entries_[static_cast<size_t>(currentIndex)];
    RemoveAt(currentIndex);
    const int index = AddItem(entry);
    PutObject(index, entry.Object);
}

void TAutoList::LoadFromFile(const std::string& /*fileName*/)
{
    LoadFile();
}

void TAutoList::SaveToFile(const std::string& /*fileName*/) const
{
    if (!SaveFile())
        throw EFCreateError(fileName_);
}

bool TAutoList::LoadFile()
{
    if (fileName_.empty())
        return true;
    const int64_t stamp = ListFileStamp(fileName_);
    if (stamp < 0) {
        Clear();
        header_.clear();
        fileAge_ = -1;
        return true;
    }
    if (stamp <= fileAge_)
        return true;
    std::string text;
    switch (ReadListFile(fileName_, text)) {
    case TListFileRead::Failed:
        return false;
    case TListFileRead::Missing:
        text.clear();
        break;
    case TListFileRead::Ok:
        break;
    }
    SetTextStr(text);
    fileAge_ = stamp;
    return true;
}

bool TAutoList::SaveFile() const
{
    if (fileName_.empty())
        return false;
    // A file without a header would read as never migrated and be migrated again at every start.
    if (header_.empty())
        header_ = kStandardAutoListHeader;
    if (!CommitListFile(fileName_, GetTextStr()))
        return false;
    fileAge_ = ListFileStamp(fileName_);
    return true;
}

void TAutoList::SetDefaultFlags(bool encrypt, bool sign)
{
    defaultFlags_ = (encrypt ? kALEncrypt : 0) + (sign ? kALSign : 0);
}

bool TAutoList::OpenAddressBooks(const std::string& folders, const TAddressBookOpener& opener)
{
    CloseAddressBooks();
    if (opener)
        addressBooks_ = opener(folders);
    return addressBooks_ != nullptr;
}

void TAutoList::CloseAddressBooks()
{
    addressBooks_.reset();
}

TAutoListEntry TAutoList::GetItem(int index) const
{
    return ValidIndex(index) ? entries_[static_cast<size_t>(index)] : TAutoListEntry {};
}

uint32_t TAutoList::GetFlags(int index) const
{
    return ValidIndex(index) ? entries_[static_cast<size_t>(index)].Flags : 0;
}

void TAutoList::SetFlags(int index, uint32_t flags)
{
    if (ValidIndex(index))
        entries_[static_cast<size_t>(index)].Flags = flags;
}

std::string TAutoList::GetKeyId(int index) const
{
    return ValidIndex(index) ? entries_[static_cast<size_t>(index)].KeyID : std::string();
}

void TAutoList::SetKeyId(int index, const std::string& keyID)
{
    if (!ValidIndex(index))
        return;
    entries_[static_cast<size_t>(index)].KeyID = keyID;
    inOrder_ = false;
}

bool TAutoList::IsMime(int index) const
{
    return (GetFlags(index) & kALPgpMime) != 0;
}

std::string TAutoList::GetRecipientList() const
{
    std::string text;
    for (size_t i = 0; i < entries_.size(); ++i)
        text += (i > 0 ? "\r\n" : "") + entries_[i].Recipient;
    return text;
}

int TAutoList::AddItem(const TAutoListEntry& entry)
{
    int index = 0;
    if (FindEntry(entry, index))
        return -1;
    index = std::clamp(index, 0, GetCount());
    entries_.insert(entries_.begin() + index, entry);
    return index;
}

void TAutoList::AddItems(const TAutoList& other)
{
    for (const TAutoListEntry& entry : other.entries_)
        AddItem(entry);
}

bool TAutoList::ContainsPair(const std::string& recipient, const std::string& keyID)
{
    if (recipient.empty() || keyID.empty())
        return false;
    TAutoListEntry wanted;
    wanted.Recipient = recipient;
    wanted.KeyID = keyID;
    int index = 0;
    return FindEntry(wanted, index);
}

bool TAutoList::RecipientMatches(const TAutoListEntry& entry, const std::string& wanted)
{
    if (CompareRecipients(entry.Recipient, wanted) == 0)
        return true;
    return IsEmailAddress(wanted) && CompareAsciiNoCase(ExtractEmailAddress(entry.Recipient), wanted) == 0;
}

bool TAutoList::FindEntry(const TAutoListEntry& entry, int& index)
{
    if (unsorted_) {
        index = GetCount();
        return false;
    }
    SortBy(soKeyID);
    const auto first = std::lower_bound(entries_.begin(), entries_.end(), entry.KeyID,
        [](const TAutoListEntry& e, const std::string& key) { return CompareAsciiNoCase(e.KeyID, key) < 0; });
    auto it = first;
    for (; it != entries_.end() && CompareAsciiNoCase(it->KeyID, entry.KeyID) == 0; ++it)
        if (RecipientMatches(*it, entry.Recipient)) {
            index = static_cast<int>(it - entries_.begin());
            return true;
        }
    // After the entries with the same key, so that a file read and written keeps its order.
    index = static_cast<int>(it - entries_.begin());
    return false;
}

void TAutoList::AddCandidates(
    const std::vector<int>& indexes, const TKeyPropsList& keys, TAutoList& result) const
{
    for (const int i : indexes) {
        const TAutoListEntry& entry = entries_[static_cast<size_t>(i)];
        const int key = keys.IndexOf(entry.KeyID);
        if (key < 0)
            continue;
        TAutoListEntry candidate = entry;
        candidate.Object = ObjectFromInt(key);
        const int at = result.AddItem(candidate);
        result.PutObject(at, candidate.Object);
    }
}

void TAutoList::FindEntriesForRecipient(
    const std::string& recipient, const TKeyPropsList& keys, TAutoList& result)
{
    SetSortOrder(soRecipient);
    result.SetSortOrder(soRecipient);
    const auto low = std::lower_bound(entries_.begin(), entries_.end(), recipient,
        [](const TAutoListEntry& e, const std::string& r) { return CompareRecipients(e.Recipient, r) < 0; });
    const auto high = std::upper_bound(low, entries_.end(), recipient,
        [](const std::string& r, const TAutoListEntry& e) { return CompareRecipients(r, e.Recipient) < 0; });
    std::vector<int> found;
    for (auto it = low; it != high; ++it)
        found.push_back(static_cast<int>(it - entries_.begin()));
    if (!found.empty()) {
        // An exact match decides, even when none of its keys is in the key list.
        AddCandidates(found, keys, result);
        return;
    }
    const std::string address = ExtractEmailAddress(recipient);
    if (!address.empty()) {
        for (size_t i = 0; i < entries_.size(); ++i)
            if (ContainsAsciiNoCase(entries_[i].Recipient, address))
                found.push_back(static_cast<int>(i));
        AddCandidates(found, keys, result);
    }
    if (result.GetCount() > 0)
        return;
    const std::string name = ExtractUserName(recipient);
    if (name.empty())
        return;
    found.clear();
    for (size_t i = 0; i < entries_.size(); ++i)
        if (CompareRecipients(ExtractUserName(entries_[i].Recipient), name) == 0)
            found.push_back(static_cast<int>(i));
    AddCandidates(found, keys, result);
}

void TAutoList::AddEntriesFromMessage(
    const TMessageRecipients& message, const TKeyPropsList& keys, TAutoList& result)
{
    TAutoListEntry fresh;
    fresh.KeyID = kNoKeyID;
    fresh.Flags = defaultFlags_;
    auto addFor = [&](const std::string& recipient, const std::string& keyID, bool onlyWhenNew) {
        if (recipient.empty() || (onlyWhenNew && ContainsPair(recipient, keyID)))
            return;
        TAutoListEntry entry = fresh;
        entry.Recipient = recipient;
        entry.KeyID = keyID;
        result.AddItem(entry);
    };

    if (message.Count > 0) {
        for (const std::string& id : KeyIDsInText(message.KeyIDs)) {
            const int key = keys.IndexOf(id);
            if (key < 0)
                continue;
            const std::string keyID = keys.Get(key);
            const std::string userID = FirstUserID(keys, key);
            if (!ContainsPair(userID, keyID)) {
                addFor(userID, keyID, false);
                continue;
            }
            const TKeyPropsRec& record = keys.Record(key);
            if (record.UserIDs)
                for (int u = 0; u < record.UserIDs->Count(); ++u)
                    addFor(record.UserIDs->Get(u), keyID, true);
        }
        return;
    }

    const std::vector<std::string> lines = RecipientLines(message.Recipients);
    if (message.KeyIDs.empty()) {
        for (const std::string& line : lines) {
            addFor(ExtractUserName(line), kNoKeyID, false);
            addFor(ExtractEmailAddress(line), kNoKeyID, false);
        }
        return;
    }
    std::vector<std::string> found;
    for (const std::string& id : KeyIDsInText(message.KeyIDs)) {
        const int key = keys.IndexOf(id);
        if (key >= 0)
            found.push_back(keys.Get(key));
    }
    for (size_t i = 0; i < lines.size() && i < found.size(); ++i) {
        const std::string address = ExtractEmailAddress(lines[i]);
        if (address.empty())
            break;
        addFor(ExtractUserName(lines[i]), found[i], false);
        addFor(address, found[i], true);
    }
}

std::unique_ptr<TAutoList> TAutoList::CopyEnabledEntries() const
{
    auto copy = std::make_unique<TAutoList>();
    copy->SetSortOrder(soRecipient);
    for (const TAutoListEntry& entry : entries_) {
        if (entry.Flags & kALDisabled)
            continue;
        const auto place = std::upper_bound(copy->entries_.begin(), copy->entries_.end(), entry,
            [](const TAutoListEntry& a, const TAutoListEntry& b) {
                return CompareRecipients(a.Recipient, b.Recipient) < 0;
            });
        copy->entries_.insert(place, entry);
    }
    return copy;
}

int TAutoList::PurgeMissingKeys(const TKeyPropsList& keys)
{
    // A list that cannot be read cannot be purged: saying so beats reporting nothing removed.
    if (!LoadFile())
        return -1;
    // No keys at all means the key ring is not readable now, not that every key is gone.
    if (keys.Count() == 0)
        return 0;
    const size_t before = entries_.size();
    std::erase_if(entries_, [&keys](const TAutoListEntry& entry) {
        return CompareAsciiNoCase(entry.KeyID, kNoKeyID) != 0 && keys.IndexOf(entry.KeyID) < 0;
    });
    const int deleted = static_cast<int>(before - entries_.size());
    if (deleted > 0 && !fileName_.empty() && !SaveFile())
        return -1;
    return deleted;
}

int TAutoList::RemoveKeyEntries(const std::string& text)
{
    // Changes made to the file since the last load would otherwise be overwritten.
    if (!LoadFile())
        return -1;
    SetSortOrder(soKeyID);
    int deleted = 0;
    for (const std::string& id : KeyIDsInText(text)) {
        const auto first = std::lower_bound(
            entries_.begin(), entries_.end(), id, [](const TAutoListEntry& e, const std::string& key) {
                return CompareAsciiNoCase(e.KeyID, key) < 0;
            });
        if (first != entries_.end() && CompareAsciiNoCase(first->KeyID, id) == 0) {
            entries_.erase(first);
            ++deleted;
        }
    }
    if (deleted > 0 && !fileName_.empty() && !SaveFile())
        return -1;
    return deleted;
}

void TAutoList::SortBy(TAutoListSortOrder order)
{
    if (order == sortOrder_ && inOrder_)
        return;
    if (order == soKeyID)
        std::stable_sort(
            entries_.begin(), entries_.end(), [](const TAutoListEntry& a, const TAutoListEntry& b) {
                return CompareAsciiNoCase(a.KeyID, b.KeyID) < 0;
            });
    else if (order == soRecipient)
        std::stable_sort(
            entries_.begin(), entries_.end(), [](const TAutoListEntry& a, const TAutoListEntry& b) {
                return CompareRecipients(a.Recipient, b.Recipient) < 0;
            });
    sortOrder_ = order;
    inOrder_ = true;
}

void TAutoList::SetSortOrder(TAutoListSortOrder order)
{
    if (unsorted_)
        return;
    SortBy(order);
}

void TAutoList::SetUnsorted(bool on)
{
    unsorted_ = on;
    if (on)
        sortOrder_ = soNone;
}

int TAutoList::GetUpdateNumber()
{
    if (header_.empty())
        return 0;
    bool found = false;
    const int number = HeaderUpdateNumber(header_, found);
    if (found)
        return number;
    // Give the header its update line, made from the first line so that the block keeps its look.
    const size_t lf = header_.find('\n');
    std::string line = lf == std::string::npos ? header_ + "\r\n" : header_.substr(0, lf + 1);
    const std::string lineEnd = line.size() >= 2 && line[line.size() - 2] == '\r' ? "\r\n" : "\n";
    std::string body = line.substr(0, line.size() - lineEnd.size());
    if (body.size() < 10)
        body.resize(10, ' ');
    std::replace(body.begin(), body.end(), '+', ' ');
    body.replace(0, 10, "# Update 0");
    const size_t insertAt = lf == std::string::npos ? header_.size() : lf + 1;
    header_.insert(insertAt, body + lineEnd);
    return 0;
}

void TAutoList::SetUpdateNumber(int number)
{
    header_ = HeaderWithUpdateNumber(header_, number);
}
