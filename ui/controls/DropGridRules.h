// The grid's rules apart from any window: the per-column settings packed in a header cell's
// object, sorting rows by a column (keys, the unstable quicksort, the sort state), the tint of the
// sorted column, column widening, type-ahead and text search over one column, and row deletion.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// ---- column settings ----

enum TCellAlignment : int { caLeft = 0, caRight = 1, caCenter = 2 };

struct TColumnSettings {
    int ImageIndex = -1;
    int CellAlignment = caLeft;
    int HeaderAlignment = caLeft;
};
// Bits 0-15 the image index (signed), 16-23 the cell alignment, 24-31 the header alignment.
std::uint32_t PackColumnSettings(const TColumnSettings& settings) noexcept;
TColumnSettings UnpackColumnSettings(std::uint32_t packed) noexcept;

// ---- sorting ----

// Compares two keys: negative, zero or positive.
using TKeyCompare = std::function<int(const std::string&, const std::string&)>;

// The rows' keys in sort order, with the row each came from.
class TSortList {
public:
    struct Item {
        std::string Key;
        int Row = 0;
        // 1-based position in the key where column 0's text starts.
        int Column0Position = 1;
    };
    bool Descending = false;
    std::vector<Item> Items;

    // Quicksort with the middle element as pivot (not stable); descending exchanges the operands.
    void Sort(const TKeyCompare& compare);
};

using TGridRows = std::vector<std::vector<std::string>>;

// The key of a row sorted by column: the cells from column on, then those before it, each followed
// by LF; with a data object, its 8 upper-case hexadecimal digits follow. Empty cells are set to a
// single blank in the row first. column0Position receives where column 0 starts (1-based).
std::string BuildSortKey(std::vector<std::string>& cells, int column, std::optional<std::uint32_t> dataObject,
    int& column0Position);

// The sort state after sorting by column: sorting the column sorted ascending sorts it descending.
// States: 0 none, +(k+1) ascending by column k, -(k+1) descending.
int NextSortState(int state, int column) noexcept;

struct TSortResult {
    // The new order: data row i of the result is data row Order[i] before (both from the first data
    // row on, 0-based).
    std::vector<int> Order;
    // The sorted keys joined by CR LF.
    std::string Text;
    int SortState = 0;
};
// Sorts the data rows (below fixedRows) by column. Empty cells of rows become blanks. Nothing
// (an empty result) without data rows or with a column outside the rows.
std::optional<TSortResult> SortRows(TGridRows& rows, int fixedRows, int column, int sortState,
    const std::vector<std::uint32_t>* dataObjects, const TKeyCompare& compare);
// Puts the rows (and their data objects, when given) into a sort result's order.
void ApplyOrder(TGridRows& rows, int fixedRows, const std::vector<int>& order, std::vector<std::uint32_t>* dataObjects);

// ---- drawing arithmetic ----

// The sorted column's colour (0x00BBGGRR): 8 darker per channel for light colours (the channels
// adding up to 256 or more), 8 lighter for dark ones, never past 0 or 255.
std::uint32_t TintColour(std::uint32_t rgb) noexcept;
// The width a column needs for a text extent: extent + 1 + 4 + 2 x line width (+1 without lines);
// an already wide enough column keeps its width.
int WidenedColumnWidth(int currentWidth, int textExtent, int gridLineWidth) noexcept;

// ---- searching ----

// True when text, without leading blanks, starts with prefix; letters compare by the 0x20 bit.
bool StartsWithTypeAhead(const std::string& text, const std::string& prefix) noexcept;

// The type-ahead text of the grid.
class TTypeAhead {
public:
    struct Step {
        // Search from the current row itself (typing continues) or from the row after it.
        bool FromCurrent = false;
    };
    // Takes a character (lower-cased); the same single character again searches for the next row.
    Step Feed(char c);
    void Clear() noexcept { text_.clear(); }
    const std::string& Text() const noexcept { return text_; }

private:
    std::string text_;
};

// The first row from start (wrapping from the last to the first data row) whose cell starts with
// the text, or -1. cells holds the search column of every row.
int FindTypeAheadRow(const std::vector<std::string>& cells, int fixedRows, int start, const std::string& text);

enum class TFindOutcome { Found, NotFound, EndReached };
struct TFindResult {
    TFindOutcome Outcome = TFindOutcome::NotFound;
    int Row = -1;
};
// Searches the rows after current (from the first data row when current is the last) for a cell
// containing pattern (lower case) without regard to case. A miss is NotFound when the search
// started at the first data row or the last row, else EndReached (offer to search again).
TFindResult FindTextRow(const std::vector<std::string>& cells, int fixedRows, int current, const std::string& pattern);

// ---- rows ----

// Deletes a data row: the rows below move up and the last is removed; the only data row left is
// emptied instead. False for a row that is not a data row.
bool DeleteGridRow(TGridRows& rows, int fixedRows, int row);
