// The drop grid over a report-mode list view with owner data: the list view scrolls, selects rows
// and tracks the mouse; we keep the cells, draw rows and header items ourselves, and add the
// current column, sorting, type-ahead and text search.
#include "ui/controls/DropGrid.h"

#include "framework/Application.h"
#include "framework/Subclassing.h"
#include "ui/controls/DropFiles.h"
#include "ui/controls/GridImages.h"
#include "ui/controls/ToolTip.h"

#include <algorithm>
#include <commctrl.h>
#include <vssym32.h>
#include <windowsx.h>

namespace {

// The header's mouse position, posted to the grid (-1, -1 when the mouse left the header).
constexpr UINT WM_APP_HEADERMOUSE = WM_APP + 0x4D47;

constexpr UINT_PTR TypeAheadTimerId = 1;
constexpr UINT_PTR HeaderTipTimerId = 2;
// The pause after which typed characters start a new search.
constexpr UINT TypeAheadPause = 1000;
constexpr int CellInset = 2;

void EnsureListViewClass()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX init { sizeof init, ICC_LISTVIEW_CLASSES };
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)done;
}

int CompareKeys(const std::string& a, const std::string& b)
{
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
               static_cast<int>(b.size()))
        - CSTR_EQUAL;
}

UINT TextFlags(int alignment)
{
    const UINT base = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    if (alignment == caRight)
        return base | DT_RIGHT;
    if (alignment == caCenter)
        return base | DT_CENTER;
    return base | DT_LEFT;
}

// Mouse moves over the header reach the grid as its own (in its client coordinates).
LRESULT CALLBACK HeaderProc(HWND header, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR grid)
{
    if (msg == WM_MOUSEMOVE || msg == WM_MOUSELEAVE) {
        POINT point { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
        if (msg == WM_MOUSEMOVE) {
            MapWindowPoints(header, reinterpret_cast<HWND>(grid), &point, 1);
            TRACKMOUSEEVENT track { sizeof track, TME_LEAVE, header, 0 };
            TrackMouseEvent(&track);
        } else {
            point = { -1, -1 };
        }
        PostMessageA(reinterpret_cast<HWND>(grid), WM_APP_HEADERMOUSE, 0, MAKELPARAM(point.x, point.y));
    }
    return DefSubclassProc(header, msg, wParam, lParam);
}

void Fill(HDC dc, const RECT& rect, COLORREF colour)
{
    const COLORREF old = SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

} // namespace

TDropGrid::TDropGrid(TComponent* owner)
    : TWinControl(owner)
{
    EnsureListViewClass();
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    SetBounds(0, 0, 320, 120);
    cells_.assign(2, std::vector<std::string>(static_cast<std::size_t>(colCount_)));
    objects_.assign(2, std::vector<std::intptr_t>(static_cast<std::size_t>(colCount_), 0));
    widths_.assign(static_cast<std::size_t>(colCount_), DefaultColWidth);
    for (int col = 0; col < colCount_; ++col)
        objects_[0][static_cast<std::size_t>(col)] = static_cast<std::intptr_t>(PackColumnSettings({}));
    arrows_ = std::make_unique<TArrowImages>(nullptr);
    headerImages_ = std::make_unique<THeaderImages>(nullptr);
    drop_ = std::make_unique<TDropFiles>(*this);
    drop_->OnDrop = [this](TDropFiles& drop) {
        if (OnFileDropped)
            OnFileDropped(*this, drop.Files());
    };
}

TDropGrid::~TDropGrid()
{
    DestroyHandle();
    if (headerFont_)
        DeleteObject(headerFont_);
    if (rowHeightImages_)
        ImageList_Destroy(rowHeightImages_);
}

void TDropGrid::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SystemClassName = WC_LISTVIEWA;
    params.ExStyle |= WS_EX_CLIENTEDGE;
    params.Style |= LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
    if (!(Options & goRangeSelect))
        params.Style |= LVS_SINGLESEL;
}

void TDropGrid::CreateWindowHandleDone()
{
    DWORD extended = LVS_EX_FULLROWSELECT;
    if (Options & goLines)
        extended |= LVS_EX_GRIDLINES;
    SendMessageA(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extended);
    SyncColumns();
    SyncRowCount();
    UpdateHeaderFont();
    ApplyRowHeight();
    OpenHeaderTheme();
    drop_->SetAccept(acceptFiles_);
    if (HWND header = ListView_GetHeader(Handle()))
        SubclassRegistry::Subclass(header, HeaderProc, reinterpret_cast<DWORD_PTR>(Handle()));
    if (!tip_) {
        tip_ = new TToolTip(this);
        tip_->SetToolTipStyle(ttsCenterText);
        tip_->HMargin = 4;
        tip_->VMargin = 2;
        tip_->SetToolRect(ClientRect());
        // A tip following the mouse starts one row above the cell under it, one pixel left.
        tip_->OnGetToolTipOrigin = [this](POINT& topLeft) {
            if (fixedTip_ || mouseCell_.y < FixedRows)
                return;
            RECT item {};
            item.left = LVIR_BOUNDS;
            SendMessageA(Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(mouseCell_.y - FixedRows),
                reinterpret_cast<LPARAM>(&item));
            POINT origin { item.left + ColumnLeft(mouseCell_.x) - 1, item.top - (item.bottom - item.top) };
            ::ClientToScreen(Handle(), &origin);
            topLeft = origin;
        };
    }
}

void TDropGrid::ColorChanged()
{
    TWinControl::ColorChanged();
    if (HandleAllocated()) {
        OpenHeaderTheme();
        Invalidate();
    }
}

void TDropGrid::OpenHeaderTheme()
{
    headerTheme_.Close();
    if (Color() == clWindow || Color() == clBtnFace)
        headerTheme_.Open(Handle(), L"HEADER");
}

void TDropGrid::DrawThemedHeaderItem(HDC dc, const RECT& rect, int state, const RECT* clip)
{
    DrawThemeBackground(headerTheme_.Handle(), dc, HP_HEADERITEM, state, &rect, clip);
    HBRUSH frame = CreateSolidBrush(RGB(0xC0, 0xC0, 0xC0));
    FrameRect(dc, &rect, frame);
    DeleteObject(frame);
}

bool TDropGrid::HeaderDrawnAsOne() const noexcept
{
    return headerTheme_ && (Options & goRowSelect);
}

// The one item under the whole header of a full-row grid, or the part of it within clip.
void TDropGrid::DrawHeaderAsOne(HWND header, HDC dc, const RECT* clip)
{
    RECT whole {};
    GetClientRect(header, &whole);
    DrawThemedHeaderItem(dc, whole, HIS_NORMAL, clip);
}

void TDropGrid::SetAcceptFiles(bool accept)
{
    acceptFiles_ = accept;
    if (HandleAllocated())
        drop_->SetAccept(accept);
}

void TDropGrid::SetDefaultRowHeight(int height)
{
    rowHeight_ = std::max(0, height);
    if (HandleAllocated())
        ApplyRowHeight();
}

// A list view's rows are as high as its small images plus its own padding: an empty image list
// of the height less that padding (measured on the first row, which always exists) sets them.
void TDropGrid::ApplyRowHeight()
{
    if (rowHeight_ <= 0)
        return;
    int imageHeight = rowHeight_;
    for (int attempt = 0; attempt < 2; ++attempt) {
        HIMAGELIST images = ImageList_Create(1, std::max(1, imageHeight), ILC_COLOR, 1, 0);
        SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
        if (rowHeightImages_)
            ImageList_Destroy(rowHeightImages_);
        rowHeightImages_ = images;
        RECT first {};
        first.left = LVIR_BOUNDS;
        SendMessageA(Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
        const int padding = (first.bottom - first.top) - imageHeight;
        if (padding <= 0 || imageHeight != rowHeight_)
            return;
        imageHeight = rowHeight_ - padding;
    }
}

void TDropGrid::SetOptions(TGridOptions options)
{
    const bool recreate = ((options ^ Options) & goRangeSelect) != 0;
    Options = options;
    if (!HandleAllocated())
        return;
    if (recreate)
        RecreateWnd();
    else
        CreateWindowHandleDone();
    Invalidate();
}

void TDropGrid::FontChanged()
{
    TWinControl::FontChanged();
    if (HandleAllocated())
        UpdateHeaderFont();
}

HFONT TDropGrid::HeaderFont()
{
    if (!headerFont_) {
        LOGFONTA face {};
        GetObjectA(Font().Handle(), sizeof face, &face);
        if (BoldHeaderText)
            face.lfWeight = FW_BOLD;
        headerFont_ = CreateFontIndirectA(&face);
    }
    return headerFont_;
}

void TDropGrid::UpdateHeaderFont()
{
    if (headerFont_)
        DeleteObject(headerFont_);
    headerFont_ = nullptr;
    if (HWND header = ListView_GetHeader(Handle()))
        SendMessageA(header, WM_SETFONT, reinterpret_cast<WPARAM>(HeaderFont()), TRUE);
}

// ---- cells ----

void TDropGrid::SetColCount(int count)
{
    count = std::max(1, count);
    colCount_ = count;
    for (auto& row : cells_)
        row.resize(static_cast<std::size_t>(count));
    for (auto& row : objects_)
        row.resize(static_cast<std::size_t>(count), 0);
    const std::size_t old = widths_.size();
    widths_.resize(static_cast<std::size_t>(count), DefaultColWidth);
    for (std::size_t col = old; col < widths_.size(); ++col)
        objects_[0][col] = static_cast<std::intptr_t>(PackColumnSettings({}));
    col_ = std::min(col_, count - 1);
    if (HandleAllocated())
        SyncColumns();
}

void TDropGrid::SetRowCount(int count)
{
    count = std::max(FixedRows + 1, count);
    cells_.resize(static_cast<std::size_t>(count), std::vector<std::string>(static_cast<std::size_t>(colCount_)));
    objects_.resize(static_cast<std::size_t>(count), std::vector<std::intptr_t>(static_cast<std::size_t>(colCount_), 0));
    if (HandleAllocated())
        SyncRowCount();
}

std::string TDropGrid::Cells(int col, int row) const
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= colCount_)
        return {};
    return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void TDropGrid::SetCell(int col, int row, const std::string& text)
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= colCount_)
        return;
    cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = text;
    if (AutoAdjustColWidths)
        WidenColumn(col, row);
    if (row == 0 && HandleAllocated())
        SyncColumns();
    RedrawRow(row);
}

std::vector<std::string> TDropGrid::RowCells(int row) const
{
    if (row < 0 || row >= RowCount())
        return {};
    return cells_[static_cast<std::size_t>(row)];
}

void TDropGrid::SetRowCells(int row, const std::vector<std::string>& texts)
{
    if (row < 0 || row >= RowCount())
        return;
    auto& cells = cells_[static_cast<std::size_t>(row)];
    for (int col = 0; col < colCount_; ++col) {
        cells[static_cast<std::size_t>(col)] = col < static_cast<int>(texts.size()) ? texts[static_cast<std::size_t>(col)] : "";
        if (AutoAdjustColWidths)
            WidenColumn(col, row);
    }
    if (row == 0 && HandleAllocated())
        SyncColumns();
    RedrawRow(row);
}

std::intptr_t TDropGrid::Objects(int col, int row) const
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= colCount_)
        return 0;
    return objects_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void TDropGrid::SetObject(int col, int row, std::intptr_t object)
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= colCount_)
        return;
    objects_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = object;
}

int TDropGrid::ColWidths(int col) const
{
    if (col < 0 || col >= colCount_)
        return 0;
    return widths_[static_cast<std::size_t>(col)];
}

void TDropGrid::SetColWidth(int col, int width)
{
    if (col < 0 || col >= colCount_)
        return;
    widths_[static_cast<std::size_t>(col)] = std::max(HiddenWidth, width);
    if (HandleAllocated())
        SendMessageA(Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(col), MAKELPARAM(ShownWidth(col), 0));
}

int TDropGrid::ShownWidth(int col) const
{
    return std::max(0, widths_[static_cast<std::size_t>(col)]);
}

void TDropGrid::WidenColumn(int col, int row)
{
    if (ColWidths(col) == HiddenWidth)
        return;
    const std::string& text = cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, row == 0 ? HeaderFont() : Font().Handle());
    SIZE extent {};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int lineWidth = (Options & goLines) ? 1 : 0;
    const int width = WidenedColumnWidth(ColWidths(col), extent.cx, lineWidth);
    if (width != ColWidths(col))
        SetColWidth(col, width);
}

void TDropGrid::SyncColumns()
{
    HWND list = Handle();
    HWND header = ListView_GetHeader(list);
    int existing = header ? Header_GetItemCount(header) : 0;
    while (existing > colCount_)
        SendMessageA(list, LVM_DELETECOLUMN, static_cast<WPARAM>(--existing), 0);
    for (int col = 0; col < colCount_; ++col) {
        std::string text = Cells(col, 0);
        LVCOLUMNA column {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = ShownWidth(col);
        column.pszText = text.data();
        const UINT message = col < existing ? LVM_SETCOLUMNA : LVM_INSERTCOLUMNA;
        SendMessageA(list, message, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&column));
    }
}

void TDropGrid::SyncRowCount()
{
    SendMessageA(Handle(), LVM_SETITEMCOUNT, static_cast<WPARAM>(RowCount() - FixedRows), 0);
    Invalidate();
}

void TDropGrid::RedrawRow(int row)
{
    if (!HandleAllocated())
        return;
    if (row < FixedRows) {
        if (HWND header = ListView_GetHeader(Handle()))
            InvalidateRect(header, nullptr, TRUE);
        return;
    }
    SendMessageA(Handle(), LVM_REDRAWITEMS, static_cast<WPARAM>(row - FixedRows), row - FixedRows);
}

// ---- current cell and selection ----

int TDropGrid::Row() const
{
    if (!HandleAllocated())
        return FixedRows;
    const auto item = SendMessageA(const_cast<TDropGrid*>(this)->Handle(), LVM_GETNEXTITEM,
        static_cast<WPARAM>(-1), LVNI_FOCUSED);
    return item < 0 ? FixedRows : static_cast<int>(item) + FixedRows;
}

bool TDropGrid::SetCurrent(int col, int row)
{
    if (row < FixedRows || row >= RowCount() || col < 0 || col >= colCount_)
        return false;
    if (OnSelectCell) {
        bool canSelect = true;
        OnSelectCell(*this, col, row, canSelect);
        if (!canSelect)
            return false;
    }
    const int oldRow = Row();
    col_ = col;
    HWND list = Handle();
    LVITEMA state {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = 0;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row - FixedRows), reinterpret_cast<LPARAM>(&state));
    SendMessageA(list, LVM_SETSELECTIONMARK, 0, row - FixedRows);
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row - FixedRows), FALSE);
    RedrawRow(oldRow);
    RedrawRow(row);
    return true;
}

bool TDropGrid::RowSelected(int row) const
{
    if (row < FixedRows || row >= RowCount() || !HandleAllocated())
        return false;
    return (SendMessageA(const_cast<TDropGrid*>(this)->Handle(), LVM_GETITEMSTATE,
                static_cast<WPARAM>(row - FixedRows), LVIS_SELECTED)
               & LVIS_SELECTED)
        != 0;
}

std::vector<int> TDropGrid::SelectedRows() const
{
    std::vector<int> rows;
    for (int row = FixedRows; row < RowCount(); ++row)
        if (RowSelected(row))
            rows.push_back(row);
    return rows;
}

void TDropGrid::SelectRow(int row, bool selected)
{
    if (row < FixedRows || row >= RowCount())
        return;
    LVITEMA state {};
    state.stateMask = LVIS_SELECTED;
    state.state = selected ? LVIS_SELECTED : 0;
    SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row - FixedRows), reinterpret_cast<LPARAM>(&state));
}

int TDropGrid::TopRow() const
{
    return static_cast<int>(SendMessageA(const_cast<TDropGrid*>(this)->Handle(), LVM_GETTOPINDEX, 0, 0)) + FixedRows;
}

int TDropGrid::VisibleRowCount() const
{
    return static_cast<int>(SendMessageA(const_cast<TDropGrid*>(this)->Handle(), LVM_GETCOUNTPERPAGE, 0, 0));
}

void TDropGrid::ScrollIntoView(int row)
{
    if (row >= FixedRows && row < RowCount())
        SendMessageA(Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row - FixedRows), FALSE);
}

int TDropGrid::ColumnLeft(int col) const
{
    int left = 0;
    for (int c = 0; c < col; ++c)
        left += ShownWidth(c);
    return left;
}

bool TDropGrid::MouseToCell(int x, int y, int& col, int& row) const
{
    HWND list = const_cast<TDropGrid*>(this)->Handle();
    const int scrolled = GetScrollPos(list, SB_HORZ);
    col = -1;
    for (int c = 0, left = -scrolled; c < colCount_; left += ShownWidth(c), ++c)
        if (x >= left && x < left + ShownWidth(c))
            col = c;
    if (col < 0)
        return false;
    if (HWND header = ListView_GetHeader(list); header && IsWindowVisible(header)) {
        RECT headerRect {};
        GetWindowRect(header, &headerRect);
        if (y < headerRect.bottom - headerRect.top) {
            row = 0;
            return true;
        }
    }
    LVHITTESTINFO hit {};
    hit.pt = { x, y };
    const auto item = SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (item < 0)
        return false;
    row = static_cast<int>(item) + FixedRows;
    return true;
}

RECT TDropGrid::CellRect(int col, int row) const
{
    if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount())
        return {};
    HWND list = const_cast<TDropGrid*>(this)->Handle();
    RECT rect {};
    if (row < FixedRows) {
        HWND header = ListView_GetHeader(list);
        Header_GetItemRect(header, col, &rect);
        MapWindowPoints(header, list, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    rect.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row - FixedRows), reinterpret_cast<LPARAM>(&rect));
    const int left = rect.left + ColumnLeft(col);
    return { left, rect.top, left + ShownWidth(col), rect.bottom };
}

// ---- header and sorting ----

void TDropGrid::SetHeader(
    int col, TCellAlignment headerAlignment, int imageResource, const std::string& text, TCellAlignment cellAlignment)
{
    if (col < 0 || col >= colCount_)
        return;
    TColumnSettings settings;
    settings.HeaderAlignment = headerAlignment;
    settings.CellAlignment = cellAlignment;
    if (imageResource != 0)
        settings.ImageIndex = headerImages_->AddFromResource(ResourceModule ? ResourceModule : FrameworkModule(), imageResource);
    objects_[0][static_cast<std::size_t>(col)] = static_cast<std::intptr_t>(PackColumnSettings(settings));
    SetCell(col, 0, text);
    Invalidate();
}

TColumnSettings TDropGrid::ColumnSettings(int col) const
{
    return UnpackColumnSettings(static_cast<std::uint32_t>(Objects(col, 0)));
}

void TDropGrid::LoadSortArrows(int resourceId)
{
    if (resourceId == 0)
        return;
    arrows_ = std::make_unique<TArrowImages>(nullptr);
    arrows_->LoadArrowsFromResource(ResourceModule ? ResourceModule : FrameworkModule(), resourceId);
}

void TDropGrid::SetHeaderImageSize(int width, int height)
{
    headerImages_ = std::make_unique<THeaderImages>(nullptr);
    headerImages_->SetSize(width, height);
}

bool TDropGrid::SortByColumn(int col, bool wantText, std::string* text, bool textOnly)
{
    std::vector<std::uint32_t> dataObjects;
    const bool withData = DataColumn >= 0 && DataColumn < colCount_;
    if (withData)
        for (const auto& row : objects_)
            dataObjects.push_back(static_cast<std::uint32_t>(row[static_cast<std::size_t>(DataColumn)]));
    // Keys are built on a copy in the text-only mode, which must leave even the blanks unset.
    TGridRows copy;
    TGridRows& rows = textOnly ? (copy = cells_) : cells_;
    const auto sorted = SortRows(rows, FixedRows, col, sortState_, withData ? &dataObjects : nullptr, CompareKeys);
    if (!sorted)
        return false;
    if (wantText && text)
        *text = sorted->Text;
    if (textOnly)
        return true;
    const bool keepCurrent = Showing() && !(Options & goRangeSelect);
    const int current = Row() - FixedRows;
    // A row's objects are its own: all of them travel with it, not only the data column's (which
    // also give the sort its last key), so that what a caller keeps by a row stays by it.
    ApplyOrder(cells_, FixedRows, sorted->Order, nullptr);
    std::vector<std::vector<std::intptr_t>> rowObjects;
    for (const int index : sorted->Order)
        rowObjects.push_back(std::move(objects_[static_cast<std::size_t>(index + FixedRows)]));
    for (std::size_t i = 0; i < rowObjects.size(); ++i)
        objects_[i + FixedRows] = std::move(rowObjects[i]);
    sortState_ = sorted->SortState;
    if (keepCurrent && current >= 0) {
        const auto found = std::find(sorted->Order.begin(), sorted->Order.end(), current);
        if (found != sorted->Order.end()) {
            const int row = static_cast<int>(found - sorted->Order.begin()) + FixedRows;
            SetCurrent(col_, row);
            ScrollIntoView(row);
        }
    }
    Invalidate();
    if (HWND header = ListView_GetHeader(Handle()))
        InvalidateRect(header, nullptr, TRUE);
    return true;
}

// ---- searching ----

void TDropGrid::ClearTypeAhead()
{
    typeAhead_.Clear();
    if (typeAheadTimer_ && HandleAllocated())
        KillTimer(Handle(), TypeAheadTimerId);
    typeAheadTimer_ = false;
}

void TDropGrid::TypeAhead(char c)
{
    const auto step = typeAhead_.Feed(c);
    if (typeAheadTimer_)
        KillTimer(Handle(), TypeAheadTimerId);
    std::vector<std::string> column;
    for (const auto& row : cells_)
        column.push_back(SearchColumn >= 0 && SearchColumn < colCount_ ? row[static_cast<std::size_t>(SearchColumn)] : "");
    const int current = Row();
    const int start = step.FromCurrent ? current : (current + 1 < RowCount() ? current + 1 : FixedRows);
    const int found = FindTypeAheadRow(column, FixedRows, start, typeAhead_.Text());
    if (found < 0) {
        ClearTypeAhead();
        MessageBeep(0);
        return;
    }
    SetCurrent(col_, found);
    ScrollIntoView(found);
    typeAheadTimer_ = SetTimer(Handle(), TypeAheadTimerId, TypeAheadPause, nullptr) != 0;
}

void TDropGrid::SetFindPattern(const std::string& pattern)
{
    findPattern_ = pattern;
    CharLowerBuffA(findPattern_.data(), static_cast<DWORD>(findPattern_.size()));
    askPattern_ = false;
}

TFindOutcome TDropGrid::FindText()
{
    if (findPattern_.empty() || askPattern_) {
        std::string pattern = findPattern_;
        if (!OnSearchPattern || !OnSearchPattern(*this, pattern) || pattern.empty())
            return TFindOutcome::NotFound;
        CharLowerBuffA(pattern.data(), static_cast<DWORD>(pattern.size()));
        findPattern_ = pattern;
        askPattern_ = false;
    }
    std::vector<std::string> column;
    for (const auto& row : cells_)
        column.push_back(SearchColumn >= 0 && SearchColumn < colCount_ ? row[static_cast<std::size_t>(SearchColumn)] : "");
    HCURSOR old = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    const auto result = FindTextRow(column, FixedRows, Row(), findPattern_);
    SetCursor(old);
    if (result.Outcome == TFindOutcome::Found) {
        SetCurrent(col_, result.Row);
        ScrollIntoView(result.Row);
    } else if (result.Outcome == TFindOutcome::EndReached) {
        askPattern_ = true;
    }
    return result.Outcome;
}

// ---- rows ----

void TDropGrid::DeleteRow(int row)
{
    const int current = Row();
    if (!DeleteGridRow(cells_, FixedRows, row))
        return;
    if (static_cast<int>(cells_.size()) < static_cast<int>(objects_.size())) {
        objects_.erase(objects_.begin() + row);
    } else {
        std::fill(objects_[static_cast<std::size_t>(row)].begin(), objects_[static_cast<std::size_t>(row)].end(), 0);
    }
    if (HandleAllocated()) {
        SyncRowCount();
        SetCurrent(col_, std::min(current, RowCount() - 1));
    }
}

// ---- cell tooltips ----

std::string TDropGrid::CellToolTipText(int col, int row)
{
    std::string text;
    if (OnGetToolTipText)
        OnGetToolTipText(*this, col, row, text, row < FixedRows);
    return text;
}

int TDropGrid::TipPause() const
{
    return ToolTipPause > 0 ? ToolTipPause : Application().HintPause;
}

void TDropGrid::ShowCellTip(int col, int row, bool fixed)
{
    if (!tip_)
        return;
    tip_->DeactivateTip();
    const std::string text = CellToolTipText(col, row);
    if (text.empty())
        return;
    fixedTip_ = fixed;
    tip_->FixedPos = row < FixedRows;
    tip_->CenterToolTip = fixed ? cttInParent : cttNot;
    tip_->SetToolRect(ClientRect());
    tip_->SetText(text);
    tip_->ActivateTip();
    // Activating sets the application's pauses: the grid's own comes after.
    tip_->SetHintPause(TipPause());
    // A tip the user asked for stays until a key or the mouse takes it away.
    if (fixed)
        tip_->SetHintHidePause(MAXSHORT);
}

void TDropGrid::TrackMouseCell(int x, int y)
{
    int col = -1;
    int row = -1;
    if (x < 0 || !MouseToCell(x, y, col, row))
        col = row = -1;
    if (col == mouseCell_.x && row == mouseCell_.y)
        return;
    mouseCell_ = { col, row };
    KillTimer(Handle(), HeaderTipTimerId);
    if (tip_)
        tip_->DeactivateTip();
    if (row == 0)
        // The header is a window of its own: its tips are shown, fixed, after the hint pause.
        SetTimer(Handle(), HeaderTipTimerId, static_cast<UINT>(TipPause()), nullptr);
    else if (row > 0)
        ShowCellTip(col, row, false);
}

// ---- keys ----

void TDropGrid::MoveCol(int delta)
{
    int col = col_ + delta;
    while (col >= 0 && col < colCount_ && ColWidths(col) == HiddenWidth)
        col += delta;
    if (col < 0 || col >= colCount_)
        return;
    if (OnSelectCell) {
        bool canSelect = true;
        OnSelectCell(*this, col, Row(), canSelect);
        if (!canSelect)
            return;
    }
    col_ = col;
    RedrawRow(Row());
}

bool TDropGrid::HandleKeyBeforeDefault(WORD key, TShiftState shift)
{
    if (!tip_)
        return false;
    const bool showing = tip_->Showing();
    tip_->DeactivateTip();
    if (key == VK_ESCAPE && showing)
        return true;
    if (key == 'I' && shift == ssCtrl) {
        ShowCellTip(col_, Row(), true);
        return true;
    }
    return false;
}

bool TDropGrid::DoKeyDown(WORD& key, TShiftState shift)
{
    if (HandleKeyBeforeDefault(key, shift))
        return true;
    if (TWinControl::DoKeyDown(key, shift))
        return true;
    const bool alt = (shift & ssAlt) != 0;
    if (alt && (key == VK_UP || key == VK_DOWN)) {
        if (!(Options & goEditing))
            SortByColumn(col_);
        return true;
    }
    if ((key == VK_LEFT || key == VK_RIGHT) && !(Options & goRowSelect)) {
        MoveCol(key == VK_LEFT ? -1 : 1);
        return true;
    }
    if (key == VK_SPACE && SpaceBarMoves != sbmNone && !(Options & goRangeSelect)) {
        const int delta = (shift & ssShift) ? -1 : 1;
        if (SpaceBarMoves == sbmHorizontal) {
            MoveCol(delta);
        } else {
            const int row = std::clamp(Row() + delta, static_cast<int>(FixedRows), RowCount() - 1);
            SetCurrent(col_, row);
            ScrollIntoView(row);
        }
        return true;
    }
    return false;
}

// ---- drawing ----

void TDropGrid::DrawCell(HDC dc, int col, int row, const RECT& rect, TGridDrawState state)
{
    if (OnDrawCell) {
        canvas_.SetHandle(dc);
        OnDrawCell(*this, col, row, rect, state);
        canvas_.SetHandle(nullptr);
        return;
    }
    const bool sorted = sortState_ != 0 && std::abs(sortState_) - 1 == col;
    COLORREF back = ColorToRGB(Color());
    COLORREF fore = ColorToRGB(Font().Color());
    if (state & gdSelected) {
        back = GetSysColor(COLOR_HIGHLIGHT);
        fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
    } else if (sorted) {
        back = TintColour(back);
    }
    Fill(dc, rect, back);
    RECT inner = rect;
    InflateRect(&inner, -CellInset, 0);
    SetTextColor(dc, fore);
    SetBkMode(dc, TRANSPARENT);
    const std::string text = Cells(col, row);
    DrawTextA(dc, text.data(), static_cast<int>(text.size()), &inner, TextFlags(ColumnSettings(col).CellAlignment));
}

LRESULT TDropGrid::CustomDrawRow(NMLVCUSTOMDRAW& draw)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        const int row = static_cast<int>(draw.nmcd.dwItemSpec) + FixedRows;
        if (row >= RowCount())
            return CDRF_SKIPDEFAULT;
        RECT bounds {};
        bounds.left = LVIR_BOUNDS;
        SendMessageA(Handle(), LVM_GETITEMRECT, draw.nmcd.dwItemSpec, reinterpret_cast<LPARAM>(&bounds));
        HDC dc = draw.nmcd.hdc;
        HGDIOBJ oldFont = SelectObject(dc, Font().Handle());
        const bool selected = RowSelected(row);
        const bool current = row == Row();
        for (int col = 0; col < colCount_; ++col) {
            RECT cell { bounds.left + ColumnLeft(col), bounds.top, bounds.left + ColumnLeft(col + 1), bounds.bottom };
            if (Options & goLines) {
                cell.right -= 1;
                cell.bottom -= 1;
            }
            TGridDrawState state = 0;
            if (selected && ((Options & (goRowSelect | goRangeSelect)) || col == col_))
                state |= gdSelected;
            if (current && col == col_)
                state |= gdFocused;
            DrawCell(dc, col, row, cell, state);
        }
        const int rightEdge = bounds.left + ColumnLeft(colCount_);
        if (rightEdge < bounds.right)
            Fill(dc, { rightEdge, bounds.top, bounds.right, bounds.bottom }, ColorToRGB(Color()));
        if (current && Focused()) {
            RECT focus { bounds.left + ColumnLeft(col_), bounds.top, bounds.left + ColumnLeft(col_ + 1), bounds.bottom };
            if (Options & (goRowSelect | goRangeSelect))
                focus = { bounds.left, bounds.top, rightEdge, bounds.bottom };
            DrawFocusRect(dc, &focus);
        }
        SelectObject(dc, oldFont);
        return CDRF_SKIPDEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

void TDropGrid::DrawHeaderItemBackground(HDC dc, RECT rect, UINT itemState, COLORREF face)
{
    const bool pressed = (itemState & CDIS_SELECTED) != 0;
    if (headerTheme_) {
        DrawThemedHeaderItem(dc, rect, pressed ? HIS_PRESSED : (itemState & CDIS_HOT) ? HIS_HOT : HIS_NORMAL, nullptr);
        return;
    }
    Fill(dc, rect, face);
    if (!pressed) {
        DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
        return;
    }
    // Shadow on both sides of a pressed header.
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

LRESULT TDropGrid::CustomDrawHeader(NMCUSTOMDRAW& draw)
{
    // A full-row grid's header is one item across the grid; its cells draw only their content.
    const bool asOne = HeaderDrawnAsOne() && !OnDrawCell;
    if (draw.dwDrawStage == CDDS_PREPAINT) {
        if (!asOne)
            return CDRF_NOTIFYITEMDRAW;
        DrawHeaderAsOne(draw.hdr.hwndFrom, draw.hdc, nullptr);
        return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    }
    if (draw.dwDrawStage == CDDS_POSTPAINT && asOne) {
        // The header fills the space right of its last item on its own: the one item goes on there.
        RECT rest {};
        GetClientRect(draw.hdr.hwndFrom, &rest);
        rest.left = 0;
        for (int i = 0, count = Header_GetItemCount(draw.hdr.hwndFrom); i < count; ++i) {
            RECT item {};
            if (Header_GetItemRect(draw.hdr.hwndFrom, i, &item))
                rest.left = std::max(rest.left, item.right);
        }
        if (rest.left < rest.right)
            DrawHeaderAsOne(draw.hdr.hwndFrom, draw.hdc, &rest);
        return CDRF_DODEFAULT;
    }
    if (draw.dwDrawStage != CDDS_ITEMPREPAINT)
        return CDRF_DODEFAULT;
    const int col = static_cast<int>(draw.dwItemSpec);
    if (col < 0 || col >= colCount_)
        return CDRF_DODEFAULT;
    HDC dc = draw.hdc;
    RECT rect = draw.rc;
    if (OnDrawCell) {
        DrawCell(dc, col, 0, rect, gdFixed);
        return CDRF_SKIPDEFAULT;
    }
    const bool sorted = sortState_ != 0 && std::abs(sortState_) - 1 == col;
    const COLORREF fixed = GetSysColor(COLOR_BTNFACE);
    const bool pressed = (draw.uItemState & CDIS_SELECTED) != 0;
    if (!asOne)
        DrawHeaderItemBackground(dc, rect, draw.uItemState, sorted ? TintColour(fixed) : fixed);
    const TColumnSettings settings = ColumnSettings(col);
    RECT inner = rect;
    InflateRect(&inner, -CellInset, 0);
    int textLeft = inner.left;
    int textRight = inner.right;
    if (settings.ImageIndex >= 0 && headerImages_->Count() > settings.ImageIndex) {
        const int width = headerImages_->Width();
        int x = inner.left;
        if (settings.HeaderAlignment == caRight)
            x = inner.right - width;
        else if (settings.HeaderAlignment == caCenter)
            x = (inner.left + inner.right - width) / 2;
        TCanvas canvas(dc);
        headerImages_->Draw(canvas, x, (rect.top + rect.bottom - headerImages_->Height()) / 2, settings.ImageIndex);
        canvas.SetHandle(nullptr);
        textLeft = x;
        textRight = x + width;
    } else {
        const std::string text = Cells(col, 0);
        HGDIOBJ oldFont = SelectObject(dc, HeaderFont());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawTextA(dc, text.data(), static_cast<int>(text.size()), &inner, TextFlags(settings.HeaderAlignment));
        SIZE extent {};
        GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &extent);
        SelectObject(dc, oldFont);
        if (settings.HeaderAlignment == caRight)
            textLeft = inner.right - extent.cx;
        else if (settings.HeaderAlignment == caCenter)
            textLeft = (inner.left + inner.right - extent.cx) / 2;
        textRight = textLeft + extent.cx;
    }
    if (sorted && !pressed && arrows_->Loaded()) {
        const bool ascending = sortState_ > 0;
        const int width = arrows_->Width();
        const int top = (rect.top + rect.bottom - arrows_->Height()) / 2;
        TCanvas canvas(dc);
        if (settings.HeaderAlignment == caRight && textLeft - width - CellInset >= inner.left)
            arrows_->DrawArrow(canvas, textLeft - width - CellInset, top, ascending);
        else if (textRight + CellInset + width <= inner.right)
            arrows_->DrawArrow(canvas, textRight + CellInset, top, ascending);
        else if (width <= inner.right - inner.left)
            arrows_->DrawArrowBlended(canvas, inner, ascending, static_cast<TColor>(TintColour(fixed)));
        canvas.SetHandle(nullptr);
    }
    return CDRF_SKIPDEFAULT;
}

// ---- messages ----

void TDropGrid::FillDisplayText(NMHDR& header)
{
    auto& info = reinterpret_cast<NMLVDISPINFOA&>(header);
    if (!(info.item.mask & LVIF_TEXT) || !info.item.pszText || info.item.cchTextMax <= 0)
        return;
    const std::string text = Cells(info.item.iSubItem, info.item.iItem + FixedRows);
    if (header.code == LVN_GETDISPINFOW) {
        auto* wide = reinterpret_cast<wchar_t*>(info.item.pszText);
        const int written = MultiByteToWideChar(
            CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide, info.item.cchTextMax - 1);
        wide[std::max(0, written)] = L'\0';
        return;
    }
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
    text.copy(info.item.pszText, length);
    info.item.pszText[length] = '\0';
}

bool TDropGrid::HandleNotify(const NMHDR& header, LRESULT& result)
{
    auto& mutableHeader = const_cast<NMHDR&>(header);
    switch (header.code) {
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW:
        FillDisplayText(mutableHeader);
        result = 0;
        return true;
    case NM_CUSTOMDRAW:
        result = CustomDrawRow(reinterpret_cast<NMLVCUSTOMDRAW&>(mutableHeader));
        return true;
    case LVN_COLUMNCLICK:
        if (AllowHeaderClick)
            SortByColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        result = 0;
        return true;
    default:
        return false;
    }
}

void TDropGrid::WndProc(TMessage& message)
{
    if (drop_->Dispatch(message))
        return;
    switch (message.Msg) {
    case WM_MOUSEACTIVATE:
        if (OnMouseActivate) {
            POINT point {};
            GetCursorPos(&point);
            ::ScreenToClient(Handle(), &point);
            int col = -1;
            int row = -1;
            if (!MouseToCell(point.x, point.y, col, row))
                col = row = -1;
            OnMouseActivate(*this, HIWORD(message.LParam), col, row);
        }
        break;
    case CN_NOTIFY: {
        LRESULT result = 0;
        if (HandleNotify(*reinterpret_cast<NMHDR*>(message.LParam), result)) {
            message.Result = result;
            return;
        }
        break;
    }
    case WM_NOTIFY: {
        auto& header = *reinterpret_cast<NMHDR*>(message.LParam);
        if (HandleAllocated() && header.hwndFrom == ListView_GetHeader(Handle())) {
            if (header.code == NM_CUSTOMDRAW) {
                message.Result = CustomDrawHeader(reinterpret_cast<NMCUSTOMDRAW&>(header));
                return;
            }
            if (header.code == HDN_ITEMCHANGEDA || header.code == HDN_ITEMCHANGEDW) {
                // A column the user resized keeps its new width (a hidden one stays hidden).
                const auto& change = reinterpret_cast<const NMHEADERA&>(header);
                if (change.pitem && (change.pitem->mask & HDI_WIDTH) && change.iItem >= 0 && change.iItem < colCount_
                    && widths_[static_cast<std::size_t>(change.iItem)] != HiddenWidth)
                    widths_[static_cast<std::size_t>(change.iItem)] = change.pitem->cxy;
            }
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: {
        int col = 0;
        int row = 0;
        if (MouseToCell(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam), col, row) && row >= FixedRows) {
            if (OnSelectCell) {
                bool canSelect = true;
                OnSelectCell(*this, col, row, canSelect);
                if (!canSelect) {
                    SetFocus();
                    return;
                }
            }
            const int oldRow = Row();
            col_ = col;
            RedrawRow(oldRow);
        }
        break;
    }
    case WM_CHAR: {
        const char c = static_cast<char>(message.WParam);
        const TShiftState shift = KeyboardShiftState();
        if (static_cast<unsigned char>(c) > ' ' && !(shift & (ssShift | ssCtrl | ssAlt))) {
            char key = c;
            if (DoKeyPress(key))
                return;
            char lower[2] = { key, 0 };
            CharLowerA(lower);
            TypeAhead(lower[0]);
            return;
        }
        if (c == ' ' && SpaceBarMoves != sbmNone)
            return;
        break;
    }
    case WM_TIMER:
        if (message.WParam == TypeAheadTimerId) {
            ClearTypeAhead();
            return;
        }
        if (message.WParam == HeaderTipTimerId) {
            KillTimer(Handle(), HeaderTipTimerId);
            if (mouseCell_.y == 0)
                ShowCellTip(mouseCell_.x, 0, true);
            return;
        }
        break;
    case WM_MOUSEMOVE:
        TrackMouseCell(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
        break;
    case WM_APP_HEADERMOUSE:
        TrackMouseCell(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
        return;
    case WM_CONTEXTMENU: {
        int col = col_;
        int row = Row();
        if (message.LParam != -1) {
            POINT point { GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam) };
            ::ScreenToClient(Handle(), &point);
            if (!MouseToCell(point.x, point.y, col, row))
                break;
        }
        ShowCellTip(col, row, true);
        return;
    }
    case WM_THEMECHANGED:
        OpenHeaderTheme();
        break;
    case WM_SIZE:
        TWinControl::WndProc(message);
        if (tip_)
            tip_->SetToolRect(ClientRect());
        return;
    case WM_DESTROY:
        ClearTypeAhead();
        KillTimer(Handle(), HeaderTipTimerId);
        if (HWND header = ListView_GetHeader(Handle()))
            SubclassRegistry::Unsubclass(header, HeaderProc);
        delete tip_;
        tip_ = nullptr;
        headerTheme_.Close();
        break;
    default:
        break;
    }
    TWinControl::WndProc(message);
}
