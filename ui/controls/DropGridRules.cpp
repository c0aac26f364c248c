// Sorting, tinting, widening and searching rules of the grid.
#include "ui/controls/DropGridRules.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

bool IsAsciiLetter(char c) noexcept
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string LowerCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void QuickSort(std::vector<TSortList::Item>& items, int left, int right, const TKeyCompare& compare, bool descending)
{
    const auto order = [&](int a, int b) {
        return descending ? compare(items[static_cast<std::size_t>(b)].Key, items[static_cast<std::size_t>(a)].Key)
                          : compare(items[static_cast<std::size_t>(a)].Key, items[static_cast<std::size_t>(b)].Key);
    };
    int i = left;
    do {
        i = left;
        int j = right;
        int pivot = (left + right) / 2;
        do {
            // The bounds only matter for a comparison that contradicts itself.
            while (i < right && order(i, pivot) < 0)
                ++i;
            while (j > left && order(j, pivot) > 0)
                --j;
            if (i <= j) {
                if (i != j)
                    std::swap(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
                // The pivot is followed through the exchange.
                if (pivot == i)
                    pivot = j;
                else if (pivot == j)
                    pivot = i;
                ++i;
                --j;
            }
        } while (i <= j);
        if (left < j)
            QuickSort(items, left, j, compare, descending);
        left = i;
    } while (i < right);
}

} // namespace

std::uint32_t PackColumnSettings(const TColumnSettings& settings) noexcept
{
    return (static_cast<std::uint32_t>(settings.ImageIndex) & 0xFFFFu)
        | ((static_cast<std::uint32_t>(settings.CellAlignment) & 0xFFu) << 16)
        | ((static_cast<std::uint32_t>(settings.HeaderAlignment) & 0xFFu) << 24);
}

TColumnSettings UnpackColumnSettings(std::uint32_t packed) noexcept
{
    TColumnSettings settings;
    settings.ImageIndex = static_cast<std::int16_t>(packed & 0xFFFFu);
    settings.CellAlignment = static_cast<int>((packed >> 16) & 0xFFu);
    settings.HeaderAlignment = static_cast<int>((packed >> 24) & 0xFFu);
    return settings;
}

void TSortList::Sort(const TKeyCompare& compare)
{
    if (Items.size() > 1)
        QuickSort(Items, 0, static_cast<int>(Items.size()) - 1, compare, Descending);
}

std::string BuildSortKey(
    std::vector<std::string>& cells, int column, std::optional<std::uint32_t> dataObject, int& column0Position)
{
    for (std::string& cell : cells)
        if (cell.empty())
            cell = " ";
    std::string key;
    const int count = static_cast<int>(cells.size());
    const auto append = [&key](const std::string& cell) {
        key.append(cell);
        key.push_back('\n');
    };
    for (int i = column; i < count; ++i)
        append(cells[static_cast<std::size_t>(i)]);
    column0Position = static_cast<int>(key.size()) + 1;
    if (column == 0)
        column0Position = 1;
    for (int i = 0; i < column && i < count; ++i)
        append(cells[static_cast<std::size_t>(i)]);
    if (dataObject) {
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(*dataObject));
        key += digits;
    }
    return key;
}

int NextSortState(int state, int column) noexcept
{
    return state == column + 1 ? -(column + 1) : column + 1;
}

std::optional<TSortResult> SortRows(TGridRows& rows, int fixedRows, int column, int sortState,
    const std::vector<std::uint32_t>* dataObjects, const TKeyCompare& compare)
{
    const int rowCount = static_cast<int>(rows.size());
    if (fixedRows < 0 || rowCount <= fixedRows || column < 0)
        return std::nullopt;
    const int columnCount = static_cast<int>(rows.front().size());
    if (column >= columnCount)
        return std::nullopt;
    TSortList list;
    list.Descending = sortState == column + 1;
    for (int row = fixedRows; row < rowCount; ++row) {
        std::vector<std::string>& cells = rows[static_cast<std::size_t>(row)];
        cells.resize(static_cast<std::size_t>(columnCount));
        std::optional<std::uint32_t> object;
        if (dataObjects && static_cast<std::size_t>(row) < dataObjects->size())
            object = (*dataObjects)[static_cast<std::size_t>(row)];
        TSortList::Item item;
        item.Row = row - fixedRows;
        item.Key = BuildSortKey(cells, column, object, item.Column0Position);
        list.Items.push_back(std::move(item));
    }
    list.Sort(compare);
    TSortResult result;
    result.SortState = NextSortState(sortState, column);
    for (std::size_t i = 0; i < list.Items.size(); ++i) {
        result.Order.push_back(list.Items[i].Row);
        if (i > 0)
            result.Text += "\r\n";
        result.Text += list.Items[i].Key;
    }
    return result;
}

void ApplyOrder(TGridRows& rows, int fixedRows, const std::vector<int>& order, std::vector<std::uint32_t>* dataObjects)
{
    const auto first = static_cast<std::size_t>(fixedRows);
    TGridRows sorted;
    std::vector<std::uint32_t> objects;
    for (const int index : order) {
        const std::size_t from = first + static_cast<std::size_t>(index);
        sorted.push_back(std::move(rows[from]));
        if (dataObjects && from < dataObjects->size())
            objects.push_back((*dataObjects)[from]);
    }
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        rows[first + i] = std::move(sorted[i]);
        if (dataObjects && first + i < dataObjects->size() && i < objects.size())
            (*dataObjects)[first + i] = objects[i];
    }
}

std::uint32_t TintColour(std::uint32_t rgb) noexcept
{
    const int channels[3] = { static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
        static_cast<int>((rgb >> 16) & 0xFF) };
    const bool light = channels[0] + channels[1] + channels[2] >= 256;
    std::uint32_t tinted = 0;
    for (int i = 0; i < 3; ++i) {
        const int value = light ? std::max(channels[i] - 8, 0) : std::min(channels[i] + 8, 255);
        tinted |= static_cast<std::uint32_t>(value) << (8 * i);
    }
    return tinted;
}

int WidenedColumnWidth(int currentWidth, int textExtent, int gridLineWidth) noexcept
{
    const int width = textExtent + 1;
    if (currentWidth >= width + 4)
        return currentWidth;
    return width + 4 + 2 * gridLineWidth + (gridLineWidth == 0 ? 1 : 0);
}

bool StartsWithTypeAhead(const std::string& text, const std::string& prefix) noexcept
{
    const std::size_t start = std::min(text.find_first_not_of(' '), text.size());
    if (text.size() - start < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char a = text[start + i];
        const char b = prefix[i];
        const bool same = IsAsciiLetter(a) && IsAsciiLetter(b) ? (a | 0x20) == (b | 0x20) : a == b;
        if (!same)
            return false;
    }
    return true;
}

TTypeAhead::Step TTypeAhead::Feed(char c)
{
    const auto lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (text_.size() == 1 && text_[0] == lower)
        return { false };
    const bool continuing = !text_.empty();
    text_ += lower;
    return { continuing };
}

int FindTypeAheadRow(const std::vector<std::string>& cells, int fixedRows, int start, const std::string& text)
{
    const int rowCount = static_cast<int>(cells.size());
    const int dataRows = rowCount - fixedRows;
    if (dataRows <= 0 || text.empty())
        return -1;
    if (start < fixedRows || start >= rowCount)
        start = fixedRows;
    for (int i = 0; i < dataRows; ++i) {
        const int row = fixedRows + (start - fixedRows + i) % dataRows;
        if (StartsWithTypeAhead(cells[static_cast<std::size_t>(row)], text))
            return row;
    }
    return -1;
}

TFindResult FindTextRow(const std::vector<std::string>& cells, int fixedRows, int current, const std::string& pattern)
{
    const int last = static_cast<int>(cells.size()) - 1;
    if (last < fixedRows || pattern.empty())
        return {};
    const int start = current >= last ? fixedRows : std::max(current + 1, fixedRows);
    const std::string wanted = LowerCase(pattern);
    for (int row = start; row <= last; ++row)
        if (LowerCase(cells[static_cast<std::size_t>(row)]).find(wanted) != std::string::npos)
            return { TFindOutcome::Found, row };
    return { start == fixedRows || start == last ? TFindOutcome::NotFound : TFindOutcome::EndReached, -1 };
}

bool DeleteGridRow(TGridRows& rows, int fixedRows, int row)
{
    const int rowCount = static_cast<int>(rows.size());
    if (row < fixedRows || row >= rowCount)
        return false;
    if (rowCount - fixedRows == 1) {
        for (std::string& cell : rows[static_cast<std::size_t>(row)])
            cell.clear();
        return true;
    }
    rows.erase(rows.begin() + row);
    return true;
}
