// `TDropGrid`: the list dialogs' string grid, a list view in report mode whose rows are our own
// cells (owner data). Row 0 is the header; its cell objects hold the packed column settings. Adds
// sorting by a header click with arrows and a tinted sorted column, type-ahead and text search in
// one column, a current column, cell tooltips texts, automatic column widening and row deletion.
#pragma once

#include "framework/Controls.h"
#include "ui/controls/DropGridRules.h"
#include "ui/controls/ThemeApi.h"

#include <commctrl.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TArrowImages;
class THeaderImages;
class TToolTip;
class TDropFiles;
class TStringList;

enum TGridOption : unsigned {
    // Several rows may be selected (Shift and Ctrl with keys and clicks).
    goRangeSelect = 1,
    // The whole row is drawn as the current cell.
    goRowSelect = 2,
    // Cells are edited in place (sorting by Alt+Up/Down is then off).
    goEditing = 4,
    // Grid lines between the cells.
    goLines = 8,
};
using TGridOptions = unsigned;

enum TSpaceBarMoves { sbmNone, sbmHorizontal, sbmVertical };

enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

class TDropGrid : public TWinControl {
public:
    explicit TDropGrid(TComponent* owner);
    ~TDropGrid() override;

    // ---- cells (row 0 is the header row) ----
    int ColCount() const noexcept { return colCount_; }
    void SetColCount(int count);
    // Rows including the header row; at least 2 (one data row, possibly empty).
    int RowCount() const noexcept { return static_cast<int>(cells_.size()); }
    void SetRowCount(int count);
    static constexpr int FixedRows = 1;

    std::string Cells(int col, int row) const;
    // Sets a cell; AutoAdjustColWidths widens its column when the text needs it.
    void SetCell(int col, int row, const std::string& text);
    std::vector<std::string> RowCells(int row) const;
    // Sets a row's cells (missing ones empty); AutoAdjustColWidths widens every column that needs it.
    void SetRowCells(int row, const std::vector<std::string>& texts);
    std::intptr_t Objects(int col, int row) const;
    void SetObject(int col, int row, std::intptr_t object);

    // A column's width; HiddenWidth hides it (no widening, skipped by Left and Right).
    int ColWidths(int col) const;
    void SetColWidth(int col, int width);
    static constexpr int HiddenWidth = -1;
    int DefaultColWidth = 64;
    // The height of every data row (0: the font's).
    int DefaultRowHeight() const noexcept { return rowHeight_; }
    void SetDefaultRowHeight(int height);

    // ---- current cell and selection ----
    // The current row (a data row) and column.
    int Row() const;
    int Col() const noexcept { return col_; }
    // Makes the cell current (and the only selected row, scrolled into view); false when
    // OnSelectCell refused it.
    bool SetCurrent(int col, int row);
    void SetRow(int row) { SetCurrent(col_, row); }
    void SetCol(int col) { SetCurrent(col, Row()); }
    bool RowSelected(int row) const;
    std::vector<int> SelectedRows() const;
    void SelectRow(int row, bool selected);
    // The first data row shown and how many rows fit.
    int TopRow() const;
    int VisibleRowCount() const;
    void ScrollIntoView(int row);
    // The cell at a client point (row 0 for the header), false outside the cells.
    bool MouseToCell(int x, int y, int& col, int& row) const;
    // A cell's rectangle in client coordinates (the header row's too); empty for an unknown cell.
    RECT CellRect(int col, int row) const;

    TGridOptions Options = 0;
    void SetOptions(TGridOptions options);

    // ---- the drop grid's own settings ----
    bool AllowHeaderClick = false;
    bool AutoAdjustColWidths = true;
    bool BoldHeaderText = true;
    int SearchColumn = 0;
    TSpaceBarMoves SpaceBarMoves = sbmNone;
    // Columns and rows move only by sorting: the list view lets the user drag neither (no
    // LVS_EX_HEADERDRAGDROP), so there are no ColumnMoved or RowMoved events. Column dragging would
    // need an HDN_ENDDRAG handler that moves DataColumn along.
    // A column whose cell objects travel with their rows when sorting (-1 none).
    int DataColumn = -1;
    // The pause before a cell or header tip shows, in ms (0: the application's hint pause).
    int ToolTipPause = 0;
    // Files dropped from the shell are accepted and handed to OnFileDropped.
    bool AcceptFiles() const noexcept { return acceptFiles_; }
    void SetAcceptFiles(bool accept);

    // Sets the header of an existing column: text, alignments and (resource id non-zero) an image.
    void SetHeader(int col, TCellAlignment headerAlignment, int imageResource, const std::string& text,
        TCellAlignment cellAlignment);
    TColumnSettings ColumnSettings(int col) const;
    // The two sort arrows from a bitmap resource (nothing for 0).
    void LoadSortArrows(int resourceId);
    void SetHeaderImageSize(int width, int height);
    // The module the resources are loaded from (the framework's by default).
    HINSTANCE ResourceModule = nullptr;

    // Sorts the data rows by a column (sorting it again reverses the order). With wantText the
    // sorted keys joined by CR LF go to text; textOnly leaves the grid and the sort state alone.
    // False when there is nothing to sort.
    bool SortByColumn(int col, bool wantText = false, std::string* text = nullptr, bool textOnly = false);
    // 0 none; +(k+1) ascending by column k; -(k+1) descending.
    int SortState() const noexcept { return sortState_; }

    // Searches the find pattern in SearchColumn after the current row; asks for the pattern through
    // OnSearchPattern when there is none yet or the last search missed. The found row becomes current.
    TFindOutcome FindText();
    std::string FindPattern() const { return findPattern_; }
    // The pattern the next FindText searches without asking.
    void SetFindPattern(const std::string& pattern);

    // Deletes a data row (the only one left is emptied instead).
    void DeleteRow(int row);

    // ---- events ----
    // Draws a cell instead of the grid (canvas set to the cell's DC).
    std::function<void(TDropGrid&, int col, int row, const RECT& rect, TGridDrawState state)> OnDrawCell;
    std::function<void(TDropGrid&, int col, int row, bool& canSelect)> OnSelectCell;
    std::function<void(TDropGrid&, int col, int row, std::string& text, bool fixed)> OnGetToolTipText;
    // The dropped files' names (the handler takes them and may clear the list).
    std::function<void(TDropGrid&, TStringList& files)> OnFileDropped;
    // A mouse button activates the grid's window over a cell (col and row -1 when none).
    std::function<void(TDropGrid&, int mouseMessage, int col, int row)> OnMouseActivate;
    // Asks for a search pattern; false when the user cancelled.
    std::function<bool(TDropGrid&, std::string& pattern)> OnSearchPattern;

    // Valid during OnDrawCell.
    TCanvas& Canvas() noexcept { return canvas_; }
    // The text of a cell's tooltip (empty without OnGetToolTipText).
    std::string CellToolTipText(int col, int row);
    // Shows a cell's tooltip: fixed ones at once, inside the grid; others follow the mouse.
    void ShowCellTip(int col, int row, bool fixed);
    // The cell tooltip (null before the window exists).
    TToolTip* ToolTip() const noexcept { return tip_; }

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;
    bool DoKeyDown(WORD& key, TShiftState shift) override;
    void FontChanged() override;
    void ColorChanged() override;

private:
    int TipPause() const;
    void SyncColumns();
    void SyncRowCount();
    void RedrawRow(int row);
    void WidenColumn(int col, int row);
    bool HandleNotify(const NMHDR& header, LRESULT& result);
    LRESULT CustomDrawRow(NMLVCUSTOMDRAW& draw);
    LRESULT CustomDrawHeader(NMCUSTOMDRAW& draw);
    void DrawCell(HDC dc, int col, int row, const RECT& rect, TGridDrawState state);
    void FillDisplayText(NMHDR& header);
    void TypeAhead(char c);
    void MoveCol(int delta);
    void ClearTypeAhead();
    void UpdateHeaderFont();
    // The header's font (bold with BoldHeaderText), made on first use.
    HFONT HeaderFont();
    int ShownWidth(int col) const;
    void ApplyRowHeight();
    // The header is drawn themed only while styles are on and the grid has a face colour.
    void OpenHeaderTheme();
    void DrawThemedHeaderItem(HDC dc, const RECT& rect, int state, const RECT* clip);
    bool HeaderDrawnAsOne() const noexcept;
    void DrawHeaderItemBackground(HDC dc, RECT rect, UINT itemState, COLORREF face);
    void DrawHeaderAsOne(HWND header, HDC dc, const RECT* clip);
    void TrackMouseCell(int x, int y);
    bool HandleKeyBeforeDefault(WORD key, TShiftState shift);
    int ColumnLeft(int col) const;

    int colCount_ = 5;
    TGridRows cells_;
    std::vector<std::vector<std::intptr_t>> objects_;
    std::vector<int> widths_;
    int col_ = 0;
    int sortState_ = 0;
    TTypeAhead typeAhead_;
    bool typeAheadTimer_ = false;
    std::string findPattern_;
    bool askPattern_ = false;
    TCanvas canvas_;
    HFONT headerFont_ = nullptr;
    int rowHeight_ = 0;
    HIMAGELIST rowHeightImages_ = nullptr;
    TToolTip* tip_ = nullptr;
    std::unique_ptr<TDropFiles> drop_;
    TThemeHandle headerTheme_;
    bool acceptFiles_ = false;
    bool fixedTip_ = false;
    // The cell last under the mouse (col, row; -1 none).
    POINT mouseCell_ { -1, -1 };
    std::unique_ptr<TArrowImages> arrows_;
    std::unique_ptr<THeaderImages> headerImages_;
};
