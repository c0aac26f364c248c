// Dated string lists: one array of text and date records with a sort state that later
// insertions keep, and the UTF-16 text rules of the wide variant.
#include "foundation/DatedStrings.h"

#include "framework/Exceptions.h"

#include <utility>

TDatedStrings::~TDatedStrings() = default;

void TDatedStrings::CheckIndex(int index) const
{
    if (index < 0 || index >= GetCount())
        throw EListError(index);
}

std::string TDatedStrings::Get(int index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].Text;
}

int TDatedStrings::GetCount() const
{
    return static_cast<int>(items_.size());
}

void TDatedStrings::Put(int index, const std::string& text)
{
    CheckIndex(index);
    items_[static_cast<std::size_t>(index)].Text = text;
}

void TDatedStrings::SetCapacity(int capacity)
{
    if (capacity < GetCount())
        capacity = GetCount();
    items_.reserve(static_cast<std::size_t>(capacity));
    capacity_ = capacity;
}

// Small lists grow in small steps, larger ones by 16 records at a time.
void TDatedStrings::Grow()
{
    const int step = capacity_ > 8 ? 16 : (capacity_ > 4 ? 8 : 4);
    SetCapacity(capacity_ + step);
}

void TDatedStrings::InsertItem(int index, std::string text, TDateTime date)
{
    if (index < 0 || index > GetCount())
        throw EListError(index);
    if (GetCount() == capacity_)
        Grow();
    items_.insert(items_.begin() + index, TDatedItem { std::move(text), date });
}

int TDatedStrings::Add(const std::string& text)
{
    const int index = GetCount();
    InsertItem(index, text, 0);
    sortState_ = dsUnsorted;
    return index;
}

void TDatedStrings::Clear()
{
    std::vector<TDatedItem>().swap(items_);
    capacity_ = 0;
}

void TDatedStrings::Delete(int index)
{
    CheckIndex(index);
    items_.erase(items_.begin() + index);
}

void TDatedStrings::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
    sortState_ = dsUnsorted;
}

void TDatedStrings::Insert(int index, const std::string& text)
{
    InsertItem(index, text, 0);
    sortState_ = dsUnsorted;
}

void TDatedStrings::Move(int currentIndex, int newIndex)
{
    if (currentIndex == newIndex)
        return;
    CheckIndex(currentIndex);
    if (newIndex < 0 || newIndex >= GetCount())
        throw EListError(newIndex);
    TDatedItem item = std::move(items_[static_cast<std::size_t>(currentIndex)]);
    Delete(currentIndex);
    InsertDated(newIndex, item.Text, item.Date);
}

TDateTime TDatedStrings::GetDate(int index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].Date;
}

void TDatedStrings::SetDate(int index, TDateTime date)
{
    CheckIndex(index);
    items_[static_cast<std::size_t>(index)].Date = date;
}

int TDatedStrings::AddDated(const std::string& text, TDateTime date)
{
    if (sortState_ == dsUnsorted) {
        const int index = Add(text);
        SetDate(index, date);
        return index;
    }
    int index = 0;
    FindDate(date, index);
    InsertItem(index, text, date);
    return index;
}

bool TDatedStrings::FindDate(TDateTime date, int& index) const
{
    if (sortState_ == dsUnsorted) {
        for (int i = 0; i < GetCount(); ++i) {
            if (items_[static_cast<std::size_t>(i)].Date == date) {
                index = i;
                return true;
            }
        }
        index = -1;
        return false;
    }
    // Lower bound: equal dates send the search left, so a new line lands before them.
    const bool descending = sortState_ == dsDescending;
    bool found = false;
    int low = 0;
    int high = GetCount() - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const TDateTime itemDate = items_[static_cast<std::size_t>(middle)].Date;
        const TDateTime difference = descending ? date - itemDate : itemDate - date;
        if (difference >= 0) {
            high = middle - 1;
            if (difference == 0)
                found = true;
        } else {
            low = middle + 1;
        }
    }
    index = low;
    return found;
}

void TDatedStrings::InsertDated(int index, const std::string& text, TDateTime date)
{
    InsertItem(index, text, date);
    sortState_ = dsUnsorted;
}

void TDatedStrings::SortByDate(bool descending)
{
    if (GetCount() >= 2)
        QuickSort(0, GetCount() - 1, descending);
    sortState_ = descending ? dsDescending : dsAscending;
}

// Hoare partition around the middle record's date. The smaller part is sorted by recursion and the
// larger by the loop, which bounds the stack depth by log2 of the count on any input.
void TDatedStrings::QuickSort(int low, int high, bool descending)
{
    const auto before = [descending](TDateTime a, TDateTime b) { return descending ? a > b : a < b; };
    while (low < high) {
        int i = low;
        int j = high;
        const TDateTime pivot = items_[static_cast<std::size_t>((low + high) / 2)].Date;
        while (i <= j) {
            while (before(items_[static_cast<std::size_t>(i)].Date, pivot))
                ++i;
            while (before(pivot, items_[static_cast<std::size_t>(j)].Date))
                --j;
            if (i <= j) {
                std::swap(items_[static_cast<std::size_t>(i)], items_[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        }
        if (j - low < high - i) {
            QuickSort(low, j, descending);
            low = i;
        } else {
            QuickSort(i, high, descending);
            high = j;
        }
    }
}

void TDatedStrings::SetSortState(int32_t state)
{
    if (state == sortState_)
        return;
    SortByDate(state == dsDescending);
    sortState_ = state;
}

// ---- TDatedWideStrings ----

namespace {

const std::string WideCrLf("\r\0\n\0", 4);
const std::string WideTerminator(2, '\0');

char16_t UnitAt(const std::string& text, std::size_t unit)
{
    return static_cast<char16_t>(static_cast<unsigned char>(text[2 * unit])
        | (static_cast<unsigned char>(text[2 * unit + 1]) << 8));
}

// Units of a UTF-16 byte string, without the terminator and without an odd last byte.
std::size_t UnitCount(const std::string& text)
{
    std::size_t units = text.size() / 2;
    if (units > 0 && UnitAt(text, units - 1) == 0)
        --units;
    return units;
}

char16_t UpperAsciiUnit(char16_t unit)
{
    return (unit >= u'a' && unit <= u'z') ? static_cast<char16_t>(unit - 32) : unit;
}

} // namespace

std::string TDatedWideStrings::GetTextStr() const
{
    std::string text;
    for (int i = 0; i < GetCount(); ++i) {
        const std::string line = Get(i);
        text.append(line, 0, 2 * UnitCount(line));
        text += WideCrLf;
    }
    return text + WideTerminator;
}

void TDatedWideStrings::SetTextStr(const std::string& text)
{
    BeginUpdate();
    try {
        Clear();
        const std::size_t units = text.size() / 2;
        std::size_t start = 0;
        while (start < units && UnitAt(text, start) != 0) {
            std::size_t end = start;
            while (end < units && UnitAt(text, end) != u'\r' && UnitAt(text, end) != u'\n' && UnitAt(text, end) != 0)
                ++end;
            Add(text.substr(2 * start, 2 * (end - start)) + WideTerminator);
            if (end < units && UnitAt(text, end) == 0)
                break;
            start = end;
            if (start < units && UnitAt(text, start) == u'\r')
                ++start;
            if (start < units && UnitAt(text, start) == u'\n')
                ++start;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// Compares 16-bit units, not bytes: a 0x3D byte inside another character is no '='.
int TDatedWideStrings::IndexOfName(const std::string& name) const
{
    const std::size_t nameUnits = UnitCount(name);
    if (nameUnits == 0)
        return -1;
    for (int i = 0; i < GetCount(); ++i) {
        const std::string line = Get(i);
        const std::size_t lineUnits = UnitCount(line);
        std::size_t equals = 0;
        while (equals < lineUnits && UnitAt(line, equals) != u'=')
            ++equals;
        if (equals == lineUnits || equals != nameUnits)
            continue;
        bool same = true;
        for (std::size_t u = 0; u < nameUnits && same; ++u)
            same = UpperAsciiUnit(UnitAt(line, u)) == UpperAsciiUnit(UnitAt(name, u));
        if (same)
            return i;
    }
    return -1;
}
