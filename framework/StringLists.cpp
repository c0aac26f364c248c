// The generic line operations of `TStrings` (text, name=value, files) and the `TStringList` store.
#include "framework/StringLists.h"

#include "framework/Exceptions.h"
#include "framework/Streams.h"

#include <algorithm>
#include <numeric>

namespace {

unsigned char AsciiUpper(unsigned char c) noexcept
{
    return (c >= 'a' && c <= 'z') ? c - 32 : c;
}

int CompareBytes(const std::string& a, const std::string& b, bool caseSensitive) noexcept
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (!caseSensitive) {
            ca = AsciiUpper(ca);
            cb = AsciiUpper(cb);
        }
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

// ---- TStrings ----

void* TStrings::GetObject(int) const
{
    return nullptr;
}

void TStrings::Put(int index, const std::string& text)
{
    BeginUpdate();
    void* object = GetObject(index);
    Delete(index);
    InsertObject(index, text, object);
    EndUpdate();
}

void TStrings::PutObject(int, void*) { }

void TStrings::SetCapacity(int) { }

int TStrings::Add(const std::string& text)
{
    const int index = GetCount();
    Insert(index, text);
    return index;
}

int TStrings::AddObject(const std::string& text, void* object)
{
    const int index = Add(text);
    PutObject(index, object);
    return index;
}

void TStrings::Exchange(int index1, int index2)
{
    BeginUpdate();
    const std::string text1 = Get(index1);
    void* object1 = GetObject(index1);
    Put(index1, Get(index2));
    PutObject(index1, GetObject(index2));
    Put(index2, text1);
    PutObject(index2, object1);
    EndUpdate();
}

void TStrings::InsertObject(int index, const std::string& text, void* object)
{
    Insert(index, text);
    PutObject(index, object);
}

void TStrings::Move(int currentIndex, int newIndex)
{
    if (currentIndex == newIndex)
        return;
    BeginUpdate();
    const std::string text = Get(currentIndex);
    void* object = GetObject(currentIndex);
    Delete(currentIndex);
    InsertObject(newIndex, text, object);
    EndUpdate();
}

int TStrings::IndexOf(const std::string& text) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (CompareStrings(Get(i), text) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfName(const std::string& name) const
{
    for (int i = 0; i < GetCount(); ++i) {
        const std::string line = Get(i);
        const auto equals = line.find('=');
        if (equals != std::string::npos && CompareStrings(line.substr(0, equals), name) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(const void* object) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (GetObject(i) == object)
            return i;
    return -1;
}

std::string TStrings::Names(int index) const
{
    const std::string line = Get(index);
    const auto equals = line.find('=');
    return equals == std::string::npos ? std::string() : line.substr(0, equals);
}

std::string TStrings::ValueFromIndex(int index) const
{
    const std::string line = Get(index);
    const auto equals = line.find('=');
    return equals == std::string::npos ? std::string() : line.substr(equals + 1);
}

std::string TStrings::Values(const std::string& name) const
{
    const int index = IndexOfName(name);
    return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStrings::SetValue(const std::string& name, const std::string& value)
{
    const int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0)
            Delete(index);
    } else if (index >= 0) {
        Put(index, name + "=" + value);
    } else {
        Add(name + "=" + value);
    }
}

std::string TStrings::GetTextStr() const
{
    std::string text;
    for (int i = 0; i < GetCount(); ++i) {
        text += Get(i);
        text += "\r\n";
    }
    return text;
}

void TStrings::SetTextStr(const std::string& text)
{
    BeginUpdate();
    try {
        Clear();
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find_first_of("\r\n", start);
            if (end == std::string::npos)
                end = text.size();
            Add(text.substr(start, end - start));
            start = end;
            if (start < text.size() && text[start] == '\r')
                ++start;
            if (start < text.size() && text[start] == '\n')
                ++start;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::BeginUpdate()
{
    if (updateCount_++ == 0)
        SetUpdateState(true);
}

void TStrings::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) { }

void TStrings::LoadFromStream(TStream& stream)
{
    const std::int64_t available = stream.Size() - stream.Position();
    std::string text(static_cast<std::size_t>(std::max<std::int64_t>(available, 0)), '\0');
    stream.ReadBuffer(text.data(), static_cast<std::int32_t>(text.size()));
    SetTextStr(text);
}

void TStrings::SaveToStream(TStream& stream) const
{
    const std::string text = GetTextStr();
    stream.WriteBuffer(text.data(), static_cast<std::int32_t>(text.size()));
}

void TStrings::LoadFromFile(const std::string& fileName)
{
    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    LoadFromStream(stream);
}

void TStrings::SaveToFile(const std::string& fileName) const
{
    TMemoryStream stream;
    SaveToStream(stream);
    stream.SaveToFile(fileName);
}

void TStrings::AddStrings(const TStrings& source)
{
    BeginUpdate();
    try {
        for (int i = 0; i < source.GetCount(); ++i)
            AddObject(source.Get(i), source.GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Assign(const TStrings& source)
{
    if (&source == this)
        return;
    BeginUpdate();
    try {
        Clear();
        AddStrings(source);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::CompareStrings(const std::string& a, const std::string& b) const
{
    return CompareBytes(a, b, false);
}

// ---- TStringList ----

TStringList::TStringList(const TStringList& other)
    : TStrings()
    , items_(other.items_)
    , sorted_(other.sorted_)
    , caseSensitive_(other.caseSensitive_)
    , duplicates_(other.duplicates_)
{
}

TStringList& TStringList::operator=(const TStringList& other)
{
    if (this != &other) {
        Changing();
        items_ = other.items_;
        sorted_ = other.sorted_;
        caseSensitive_ = other.caseSensitive_;
        duplicates_ = other.duplicates_;
        Changed();
    }
    return *this;
}

int TStringList::Checked(int index) const
{
    if (index < 0 || index >= GetCount())
        throw EListError(index);
    return index;
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging)
        OnChanging(*this);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange)
        OnChange(*this);
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating) {
        if (OnChanging)
            OnChanging(*this);
    } else if (OnChange) {
        OnChange(*this);
    }
}

std::string TStringList::Get(int index) const
{
    return items_[Checked(index)].text;
}

void* TStringList::GetObject(int index) const
{
    return items_[Checked(index)].object;
}

void TStringList::Put(int index, const std::string& text)
{
    if (sorted_)
        throw EListError("Operation not allowed on sorted list");
    Checked(index);
    Changing();
    items_[index].text = text;
    Changed();
}

void TStringList::PutObject(int index, void* object)
{
    Checked(index);
    Changing();
    items_[index].object = object;
    Changed();
}

void TStringList::SetCapacity(int capacity)
{
    if (capacity > GetCount())
        items_.reserve(static_cast<std::size_t>(capacity));
}

int TStringList::Add(const std::string& text)
{
    return AddObject(text, nullptr);
}

int TStringList::AddObject(const std::string& text, void* object)
{
    int index = GetCount();
    if (sorted_ && Find(text, index)) {
        if (duplicates_ == dupIgnore)
            return index;
        if (duplicates_ == dupError)
            throw EListError("String list does not allow duplicates");
        // dupAccept: a new duplicate goes after the equal ones already there.
        while (index < GetCount() && CompareStrings(items_[index].text, text) == 0)
            ++index;
    }
    InsertItem(index, text, object);
    return index;
}

void TStringList::InsertItem(int index, const std::string& text, void* object)
{
    Changing();
    items_.insert(items_.begin() + index, Item { text, object });
    Changed();
}

void TStringList::Clear()
{
    if (items_.empty())
        return;
    Changing();
    items_.clear();
    Changed();
}

void TStringList::Delete(int index)
{
    Checked(index);
    Changing();
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Exchange(int index1, int index2)
{
    Checked(index1);
    Checked(index2);
    Changing();
    std::swap(items_[index1], items_[index2]);
    Changed();
}

void TStringList::Insert(int index, const std::string& text)
{
    InsertObject(index, text, nullptr);
}

void TStringList::InsertObject(int index, const std::string& text, void* object)
{
    if (sorted_)
        throw EListError("Operation not allowed on sorted list");
    if (index < 0 || index > GetCount())
        throw EListError(index);
    InsertItem(index, text, object);
}

int TStringList::IndexOf(const std::string& text) const
{
    if (!sorted_)
        return TStrings::IndexOf(text);
    int index = 0;
    return Find(text, index) ? index : -1;
}

int TStringList::CompareStrings(const std::string& a, const std::string& b) const
{
    return CompareBytes(a, b, caseSensitive_);
}

bool TStringList::Find(const std::string& text, int& index) const
{
    // Lower bound: the first line not less than text, so equal lines report their first index.
    int low = 0;
    int high = GetCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (CompareStrings(items_[middle].text, text) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    index = low;
    return low < GetCount() && CompareStrings(items_[low].text, text) == 0;
}

void TStringList::SortBy(const CompareFunction& compare)
{
    if (GetCount() < 2)
        return;
    std::vector<int> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
    Changing();
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : order)
        sorted.push_back(std::move(items_[i]));
    items_ = std::move(sorted);
    Changed();
}

void TStringList::Sort()
{
    SortBy([](const TStringList& list, int a, int b) {
        return list.CompareStrings(list.items_[a].text, list.items_[b].text);
    });
}

void TStringList::CustomSort(const CompareFunction& compare)
{
    if (!sorted_)
        SortBy(compare);
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted && !sorted_)
        Sort();
    sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive)
{
    if (caseSensitive == caseSensitive_)
        return;
    caseSensitive_ = caseSensitive;
    if (sorted_)
        Sort();
}

std::vector<std::string> SplitCommaText(const std::string& text)
{
    std::vector<std::string> items;
    size_t i = 0;
    const size_t n = text.size();
    auto skipBlanks = [&] {
        while (i < n && static_cast<unsigned char>(text[i]) <= ' ')
            ++i;
    };
    skipBlanks();
    while (i < n) {
        std::string item;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
            while (i < n && static_cast<unsigned char>(text[i]) > ' ' && text[i] != ',')
                item += text[i++];
        } else {
            while (i < n && static_cast<unsigned char>(text[i]) > ' ' && text[i] != ',')
                item += text[i++];
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (i < n && text[i] == ',') {
            ++i;
            skipBlanks();
        }
    }
    return items;
}
