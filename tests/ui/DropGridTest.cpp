// Tests of the drop grid under Wine: cells reach the list view, header clicks sort (and the current
// row and the data column's objects follow), keys and clicks move the current cell and select rows,
// type-ahead and text search find rows, scrolling follows the current row, rows are deleted.
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/harness/KeyInjector.h"
#include "framework/StringLists.h"
#include "framework/harness/WindowCapture.h"
#include "ui/controls/DropGrid.h"
#include "ui/controls/ToolTip.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <cstring>
#include <memory>
#include <shlobj.h>
#include <string>
#include <vector>

namespace {

constexpr int ArrowStripId = 200;

using Rows = std::vector<int>;

class DropGridTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        form = new TForm(nullptr);
        form->BorderStyle = bsNone;
        form->SetBounds(40, 40, 400, 300);
        form->Show();
        Application().ProcessMessages();
    }
    static void TearDownTestSuite()
    {
        delete form;
        form = nullptr;
    }

    void SetUp() override
    {
        grid.reset(new TDropGrid(form));
        grid->SetParent(form);
        grid->SetBounds(0, 0, 400, 300);
        grid->SetColCount(3);
        grid->AllowHeaderClick = true;
        grid->SearchColumn = 1;
        grid->SetHeader(0, caLeft, 0, "Id", caLeft);
        grid->SetHeader(1, caLeft, 0, "Name", caLeft);
        grid->SetHeader(2, caRight, 0, "Size", caRight);
        Fill({ { "1", "bravo", "30" }, { "2", "alpha", "10" }, { "3", "charlie", "" }, { "4", "beta", "20" },
            { "5", "bob", "40" } });
        grid->SetFocus();
        Application().ProcessMessages();
    }
    void TearDown() override { grid.reset(); }

    void Fill(const std::vector<std::vector<std::string>>& rows)
    {
        grid->SetRowCount(static_cast<int>(rows.size()) + 1);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            grid->SetRowCells(static_cast<int>(i) + 1, rows[i]);
            grid->SetObject(0, static_cast<int>(i) + 1, static_cast<std::intptr_t>(100 + i));
        }
    }
    // Column col of every data row.
    std::vector<std::string> Column(int col)
    {
        std::vector<std::string> texts;
        for (int row = 1; row < grid->RowCount(); ++row)
            texts.push_back(grid->Cells(col, row));
        return texts;
    }
    HWND Header() { return ListView_GetHeader(grid->Handle()); }
    // A click in the middle of a header item, as the user gives it.
    void ClickHeader(int col)
    {
        RECT item {};
        Header_GetItemRect(Header(), col, &item);
        const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageA(Header(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageA(Header(), WM_LBUTTONUP, 0, point);
        Application().ProcessMessages();
    }
    void ClickCell(int col, int row, WPARAM modifiers = 0)
    {
        RECT item {};
        item.left = LVIR_BOUNDS;
        SendMessageA(grid->Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&item));
        int x = item.left;
        for (int c = 0; c < col; ++c)
            x += grid->ColWidths(c);
        const LPARAM point = MAKELPARAM(x + grid->ColWidths(col) / 2, (item.top + item.bottom) / 2);
        PostMessageA(grid->Handle(), WM_LBUTTONUP, modifiers, point);
        SendMessageA(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | modifiers, point);
        Application().ProcessMessages();
    }
    void Key(WORD key, TShiftState shift = 0)
    {
        InjectKey(key, shift, grid->Handle());
        PumpPending();
    }
    void Type(const std::string& text)
    {
        for (char c : text)
            SendMessageA(grid->Handle(), WM_CHAR, static_cast<BYTE>(c), 1);
    }

    static TForm* form;
    std::unique_ptr<TDropGrid> grid;
};
TForm* DropGridTest::form = nullptr;

using Texts = std::vector<std::string>;

TEST_F(DropGridTest, CellsReachTheListViewAndWidenTheirColumns)
{
    EXPECT_EQ(ListView_GetItemCount(grid->Handle()), 5);
    char buffer[64] = "";
    ListView_GetItemText(grid->Handle(), 2, 1, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "charlie");
    HDITEMA item {};
    item.mask = HDI_TEXT;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    Header_GetItem(Header(), 1, &item);
    EXPECT_STREQ(buffer, "Name");

    const int before = grid->ColWidths(1);
    grid->SetCell(1, 2, std::string(60, 'W'));
    EXPECT_GT(grid->ColWidths(1), before) << "a long text widens its column";
    EXPECT_EQ(ListView_GetColumnWidth(grid->Handle(), 1), grid->ColWidths(1));
    const int widened = grid->ColWidths(1);
    grid->SetCell(1, 2, "x");
    EXPECT_EQ(grid->ColWidths(1), widened) << "columns never shrink";

    grid->AutoAdjustColWidths = false;
    grid->SetCell(2, 1, std::string(80, 'W'));
    EXPECT_EQ(grid->ColWidths(2), 64);
}

TEST_F(DropGridTest, HeaderClicksSortAscendingDescendingAscending)
{
    ClickHeader(1);
    EXPECT_EQ(grid->SortState(), 2);
    EXPECT_EQ(Column(1), (Texts { "alpha", "beta", "bob", "bravo", "charlie" }));
    ClickHeader(1);
    EXPECT_EQ(grid->SortState(), -2);
    EXPECT_EQ(Column(1), (Texts { "charlie", "bravo", "bob", "beta", "alpha" }));
    ClickHeader(1);
    EXPECT_EQ(grid->SortState(), 2);
    EXPECT_EQ(Column(1), (Texts { "alpha", "beta", "bob", "bravo", "charlie" }));
    EXPECT_EQ(Column(0), (Texts { "2", "4", "5", "1", "3" })) << "whole rows move";
    EXPECT_EQ(grid->Cells(2, 5), " ") << "an empty cell becomes a blank";

    grid->AllowHeaderClick = false;
    ClickHeader(0);
    EXPECT_EQ(grid->SortState(), 2) << "header clicks are off";
}

TEST_F(DropGridTest, SortingKeepsTheCurrentRowAndMovesEveryObjectWithItsRow)
{
    grid->DataColumn = 0;
    for (int row = 1; row <= 5; ++row)
        grid->SetObject(2, row, 200 + row - 1); // a column other than the data column
    grid->SetCurrent(1, 3); // "charlie"
    ASSERT_EQ(grid->Row(), 3);
    ASSERT_TRUE(grid->SortByColumn(1));
    EXPECT_EQ(grid->Cells(1, grid->Row()), "charlie");
    EXPECT_EQ(grid->Row(), 5);
    const std::vector<std::intptr_t> expected { 101, 103, 104, 100, 102 };
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(grid->Objects(0, row), expected[static_cast<std::size_t>(row - 1)]) << "row " << row;
        EXPECT_EQ(grid->Objects(2, row), expected[static_cast<std::size_t>(row - 1)] + 100) << "row " << row;
    }

    std::string text;
    const auto before = Column(1);
    ASSERT_TRUE(grid->SortByColumn(2, true, &text, true));
    EXPECT_EQ(Column(1), before) << "text-only mode leaves the grid";
    EXPECT_EQ(grid->SortState(), 2);
    EXPECT_EQ(text.substr(0, 3), " \n3") << text;
}

TEST_F(DropGridTest, AltArrowSortsByTheCurrentColumnUnlessEditing)
{
    grid->SetCurrent(2, 1);
    Key(VK_DOWN, ssAlt);
    EXPECT_EQ(grid->SortState(), 3);
    EXPECT_EQ(Column(2), (Texts { " ", "10", "20", "30", "40" }));
    grid->Options = goEditing;
    Key(VK_DOWN, ssAlt);
    EXPECT_EQ(grid->SortState(), 3);
}

TEST_F(DropGridTest, KeysAndClicksMoveTheCurrentCell)
{
    grid->SetCurrent(0, 1);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(grid->Row(), 3);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    EXPECT_EQ(grid->Col(), 2) << "stops at the last column";
    Key(VK_LEFT);
    EXPECT_EQ(grid->Col(), 1);
    ClickCell(2, 5);
    EXPECT_EQ(grid->Row(), 5);
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->SelectedRows(), (Rows { 5 }));
}

TEST_F(DropGridTest, HiddenColumnsAreSkippedAndNeverWidened)
{
    grid->SetColWidth(1, TDropGrid::HiddenWidth);
    EXPECT_EQ(ListView_GetColumnWidth(grid->Handle(), 1), 0);
    grid->SetCell(1, 2, std::string(40, 'W'));
    EXPECT_EQ(grid->ColWidths(1), TDropGrid::HiddenWidth);
    grid->SetCurrent(0, 1);
    Key(VK_RIGHT);
    EXPECT_EQ(grid->Col(), 2);
    Key(VK_LEFT);
    EXPECT_EQ(grid->Col(), 0);
    EXPECT_EQ(grid->CellRect(2, 1).left, grid->CellRect(0, 1).right);
}

TEST_F(DropGridTest, SpaceBarMovesAsSet)
{
    struct Case {
        const char* name;
        TSpaceBarMoves moves;
        TShiftState shift;
        int col;
        int row;
    };
    const Case cases[] = {
        { "horizontal", sbmHorizontal, 0, 2, 3 },
        { "horizontal back", sbmHorizontal, ssShift, 0, 3 },
        { "vertical", sbmVertical, 0, 1, 4 },
        { "vertical back", sbmVertical, ssShift, 1, 2 },
        { "none", sbmNone, 0, 1, 3 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->SpaceBarMoves = c.moves;
        grid->SetCurrent(1, 3);
        Key(VK_SPACE, c.shift);
        EXPECT_EQ(grid->Col(), c.col);
        EXPECT_EQ(grid->Row(), c.row);
    }
}

TEST_F(DropGridTest, RefusedCellsAreNotEntered)
{
    grid->SetCurrent(1, 1);
    grid->OnSelectCell = [](TDropGrid&, int col, int row, bool& canSelect) { canSelect = col != 0 && row != 4; };
    Key(VK_LEFT);
    EXPECT_EQ(grid->Col(), 1);
    ClickCell(0, 2);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_FALSE(grid->SetCurrent(1, 4));
    EXPECT_TRUE(grid->SetCurrent(2, 5));
    EXPECT_EQ(grid->Row(), 5);
}

TEST_F(DropGridTest, RangeSelectionTakesSeveralRows)
{
    grid->SetOptions(goRangeSelect);
    Fill({ { "1", "a" }, { "2", "b" }, { "3", "c" }, { "4", "d" }, { "5", "e" } });
    grid->SetFocus();
    grid->SetCurrent(0, 2);
    Key(VK_DOWN, ssShift);
    Key(VK_DOWN, ssShift);
    EXPECT_EQ(grid->SelectedRows(), (Rows { 2, 3, 4 }));
    ClickCell(1, 1, MK_CONTROL);
    EXPECT_EQ(grid->SelectedRows(), (Rows { 1, 2, 3, 4 }));
    grid->SetOptions(0);
    grid->SetCurrent(0, 2);
    Key(VK_DOWN, ssShift);
    EXPECT_EQ(grid->SelectedRows(), (Rows { 3 })) << "one row without range selection";
}

TEST_F(DropGridTest, TypeAheadStepsThroughMatchingRows)
{
    grid->SetCurrent(0, 1); // "bravo"
    struct Step {
        std::string typed;
        int row;
    };
    const Step steps[] = { { "b", 4 }, { "b", 5 }, { "b", 1 }, { "c", 3 } };
    for (const Step& step : steps) {
        Type(step.typed);
        EXPECT_EQ(grid->Row(), step.row) << step.typed;
        // A new search each time: the pause ran out.
        SendMessageA(grid->Handle(), WM_TIMER, 1, 0);
    }
    grid->SetCurrent(0, 1);
    Type("be");
    EXPECT_EQ(grid->Row(), 4) << "typing on keeps searching from the current row";
    Type("z");
    EXPECT_EQ(grid->Row(), 4) << "no row begins with \"bez\"";
    Type("a");
    EXPECT_EQ(grid->Row(), 2) << "the unmatched text was cleared";
}

TEST_F(DropGridTest, FindTextSearchesOnAndAsksAgainAfterTheEnd)
{
    int asked = 0;
    grid->OnSearchPattern = [&asked](TDropGrid&, std::string& pattern) {
        ++asked;
        pattern = "LI";
        return true;
    };
    grid->SetCurrent(0, 1);
    EXPECT_EQ(grid->FindText(), TFindOutcome::Found);
    EXPECT_EQ(grid->Row(), 3); // "charlie"
    EXPECT_EQ(grid->FindPattern(), "li");
    EXPECT_EQ(grid->FindText(), TFindOutcome::EndReached);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(grid->FindText(), TFindOutcome::EndReached);
    EXPECT_EQ(asked, 2) << "the miss made the search ask again";
}

TEST_F(DropGridTest, ScrollingFollowsTheCurrentRow)
{
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 200; ++i)
        rows.push_back({ std::to_string(i), "name " + std::to_string(i), "" });
    Fill(rows);
    grid->SetCurrent(0, 1);
    ASSERT_GT(grid->VisibleRowCount(), 3);
    EXPECT_EQ(grid->TopRow(), 1);
    Key(VK_END);
    EXPECT_EQ(grid->Row(), 200);
    EXPECT_EQ(grid->TopRow(), 200 - grid->VisibleRowCount() + 1);
    Key(VK_HOME);
    EXPECT_EQ(grid->TopRow(), 1);
    grid->ScrollIntoView(120);
    EXPECT_LE(grid->TopRow(), 120);
    EXPECT_GT(grid->TopRow() + grid->VisibleRowCount(), 120);
    Key(VK_NEXT);
    EXPECT_GT(grid->Row(), 1 + grid->VisibleRowCount() / 2);
}

TEST_F(DropGridTest, DeleteRowMovesRowsUpAndEmptiesTheLastOne)
{
    grid->SetCurrent(0, 2);
    grid->DeleteRow(2);
    EXPECT_EQ(Column(1), (Texts { "bravo", "charlie", "beta", "bob" }));
    EXPECT_EQ(ListView_GetItemCount(grid->Handle()), 4);
    grid->SetRowCount(2);
    grid->DeleteRow(1);
    EXPECT_EQ(grid->RowCount(), 2) << "the only data row stays, emptied";
    EXPECT_EQ(grid->Cells(1, 1), "");
    grid->DeleteRow(0);
    EXPECT_EQ(grid->Cells(0, 0), "Id") << "the header row is never deleted";
}

TEST_F(DropGridTest, DraggingAColumnBorderDoesNotSort)
{
    RECT item {};
    Header_GetItemRect(Header(), 0, &item);
    const int y = (item.top + item.bottom) / 2;
    const int width = grid->ColWidths(0);
    SendMessageA(Header(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.right - 1, y));
    SendMessageA(Header(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(item.right + 30, y));
    SendMessageA(Header(), WM_LBUTTONUP, 0, MAKELPARAM(item.right + 30, y));
    Application().ProcessMessages();
    EXPECT_EQ(grid->SortState(), 0);
    EXPECT_GT(grid->ColWidths(0), width) << "the drag resized the column";
}

TEST_F(DropGridTest, RowsTakeTheDefaultRowHeight)
{
    for (const int height : { 17, 30 }) {
        grid->SetDefaultRowHeight(height);
        RECT first {};
        RECT second {};
        first.left = second.left = LVIR_BOUNDS;
        SendMessageA(grid->Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
        SendMessageA(grid->Handle(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
        EXPECT_EQ(second.top - first.top, height);
    }
}

TEST_F(DropGridTest, CellTipsShowOnRequestAndEscapeHidesThem)
{
    grid->OnGetToolTipText = [](TDropGrid& g, int col, int row, std::string& text, bool fixed) {
        text = (fixed ? "header " : "cell ") + g.Cells(col, row);
    };
    grid->SetCurrent(1, 3);
    ASSERT_NE(grid->ToolTip(), nullptr);
    SendMessageA(grid->Handle(), WM_KEYDOWN, 'I', 0); // without Ctrl: no tip
    EXPECT_FALSE(grid->ToolTip()->Showing());
    Key('I', ssCtrl);
    EXPECT_TRUE(grid->ToolTip()->Showing());
    EXPECT_EQ(grid->ToolTip()->GetText(), "cell charlie");
    SendMessageA(grid->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(grid->ToolTip()->Showing());

    SendMessageA(grid->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(grid->Handle()), -1);
    EXPECT_TRUE(grid->ToolTip()->Showing()) << "the context-menu key shows the current cell's tip";
    grid->ShowCellTip(2, 0, true);
    EXPECT_EQ(grid->ToolTip()->GetText(), "header Size");
    grid->OnGetToolTipText = nullptr;
    grid->ShowCellTip(1, 1, true);
    EXPECT_FALSE(grid->ToolTip()->Showing()) << "no text, no tip";
}

TEST_F(DropGridTest, DroppedFilesReachTheHandler)
{
    std::vector<std::string> names;
    grid->OnFileDropped = [&names](TDropGrid&, TStringList& files) {
        for (int i = 0; i < files.Count(); ++i)
            names.push_back(files[i]);
        files.Clear();
    };
    grid->SetAcceptFiles(true);
    EXPECT_TRUE(GetWindowLongA(grid->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    const std::string list = std::string("C:\\a.asc") + '\0' + "C:\\b.asc" + '\0' + '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(memory);
    SendMessageA(grid->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(names, (Texts { "C:\\b.asc", "C:\\a.asc" }));
}

TEST_F(DropGridTest, CellRectanglesAndMouseEventsNameTheCell)
{
    const RECT header = grid->CellRect(1, 0);
    const RECT cell = grid->CellRect(1, 3);
    EXPECT_EQ(header.left, cell.left);
    EXPECT_EQ(cell.right - cell.left, grid->ColWidths(1));
    EXPECT_LE(header.bottom, cell.top);
    int col = -1;
    int row = -1;
    ASSERT_TRUE(grid->MouseToCell(cell.left + 3, cell.top + 3, col, row));
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 3);
    ASSERT_TRUE(grid->MouseToCell(header.left + 3, header.top + 3, col, row));
    EXPECT_EQ(row, 0);

    int doubleClicks = 0;
    grid->OnDblClick = [&doubleClicks](TControl&) { ++doubleClicks; };
    ClickCell(1, 3);
    SendMessageA(grid->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(cell.left + 3, cell.top + 3));
    Application().ProcessMessages();
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->Col(), 1);

    POINT activated { -2, -2 };
    grid->OnMouseActivate = [&activated](TDropGrid&, int, int c, int r) { activated = { c, r }; };
    POINT screen { cell.left + 3, cell.top + 3 };
    ClientToScreen(grid->Handle(), &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageA(grid->Handle(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form->Handle()),
        MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_EQ(activated.x, 1);
    EXPECT_EQ(activated.y, 3);
}

// The colour of a pixel of the grid's client area.
COLORREF ClientPixel(TDropGrid& grid, int x, int y)
{
    TBitmap picture;
    EXPECT_TRUE(CaptureWindow(grid.Handle(), picture));
    RECT window {};
    GetWindowRect(grid.Handle(), &window);
    POINT origin {};
    ClientToScreen(grid.Handle(), &origin);
    const std::uint32_t argb = picture.Bits()[(y + origin.y - window.top) * picture.Width() + x + origin.x - window.left];
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// True when the header's picture holds a pixel of the colour inside the column.
bool HeaderColumnHolds(TDropGrid& grid, int col, COLORREF colour)
{
    HWND header = ListView_GetHeader(grid.Handle());
    RECT item {};
    Header_GetItemRect(header, col, &item);
    TBitmap picture;
    EXPECT_TRUE(CaptureWindow(header, picture));
    for (int y = item.top; y < item.bottom; ++y)
        for (int x = item.left; x < item.right; ++x) {
            const std::uint32_t argb = picture.Bits()[y * picture.Width() + x];
            if (RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF) == colour)
                return true;
        }
    return false;
}

TEST_F(DropGridTest, SortedColumnIsTintedAndItsHeaderShowsTheArrow)
{
    grid->ResourceModule = GetModuleHandleA(nullptr);
    grid->LoadSortArrows(ArrowStripId);
    grid->SetColor(clWhite);
    grid->SetCurrent(0, 1);
    ClickHeader(1);
    grid->Update();
    RECT item {};
    item.left = LVIR_BOUNDS;
    SendMessageA(grid->Handle(), LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    const int y = (item.top + item.bottom) / 2;
    const int sortedX = item.left + grid->ColWidths(0) + grid->ColWidths(1) - 4;
    EXPECT_EQ(ClientPixel(*grid, sortedX, y), RGB(247, 247, 247)) << "white, 8 darker";
    EXPECT_EQ(ClientPixel(*grid, item.left + grid->ColWidths(0) + grid->ColWidths(1) + 4, y), RGB(255, 255, 255));
    const int current = grid->Row();
    SendMessageA(grid->Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(current - 1), reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(ClientPixel(*grid, item.left + grid->ColWidths(0) - 4, (item.top + item.bottom) / 2),
        GetSysColor(COLOR_HIGHLIGHT))
        << "the current cell";

    EXPECT_TRUE(HeaderColumnHolds(*grid, 1, RGB(255, 0, 0))) << "ascending arrow";
    EXPECT_FALSE(HeaderColumnHolds(*grid, 1, RGB(0, 0, 255)));
    EXPECT_FALSE(HeaderColumnHolds(*grid, 0, RGB(255, 0, 0))) << "only the sorted column";
    ClickHeader(1);
    UpdateWindow(Header());
    EXPECT_TRUE(HeaderColumnHolds(*grid, 1, RGB(0, 0, 255))) << "descending arrow";
    SaveWindowPicture(grid->Handle(), "dropgrid_sorted");
}

// The colour of a pixel of the header's window.
COLORREF HeaderPixel(TDropGrid& grid, int x, int y)
{
    TBitmap picture;
    EXPECT_TRUE(CaptureWindow(ListView_GetHeader(grid.Handle()), picture));
    const std::uint32_t argb = picture.Bits()[y * picture.Width() + x];
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// Themed, each header item is framed in light grey; with full-row selection the whole header is
// one item: no frame between the columns, and the space right of the last one is part of it.
TEST_F(DropGridTest, AFullRowGridDrawsItsThemedHeaderAsOneItem)
{
    if (!VisualStylesActive())
        GTEST_SKIP() << "visual styles are off";
    constexpr COLORREF frame = RGB(0xC0, 0xC0, 0xC0);
    RECT first {}, last {}, client {};
    Header_GetItemRect(Header(), 0, &first);
    Header_GetItemRect(Header(), 2, &last);
    GetClientRect(Header(), &client);
    ASSERT_LT(last.right + 8, client.right) << "room right of the last column";
    const int y = (first.top + first.bottom) / 2;
    const auto redrawn = [&](TGridOptions options) {
        grid->SetOptions(options);
        RedrawWindow(Header(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    };
    redrawn(0);
    EXPECT_EQ(HeaderPixel(*grid, first.right - 1, y), frame) << "each item framed";
    redrawn(goRowSelect);
    SaveWindowPicture(grid->Handle(), "dropgrid_fullrow_header");
    EXPECT_EQ(HeaderPixel(*grid, 0, y), frame) << "the one item framed";
    EXPECT_EQ(HeaderPixel(*grid, client.right - 1, y), frame);
    const COLORREF face = HeaderPixel(*grid, first.right - 2, y);
    EXPECT_NE(face, frame);
    EXPECT_EQ(HeaderPixel(*grid, first.right - 1, y), face) << "no frame between the columns";
    EXPECT_EQ(HeaderPixel(*grid, last.right + 4, y), face) << "the space after the last column";
}

TEST_F(DropGridTest, HeaderImagesAndSettingsArePackedIntoTheHeaderCell)
{
    grid->ResourceModule = GetModuleHandleA(nullptr);
    grid->SetHeaderImageSize(8, 8);
    grid->SetHeader(0, caCenter, ArrowStripId, "", caRight);
    const TColumnSettings settings = grid->ColumnSettings(0);
    EXPECT_EQ(settings.ImageIndex, 0);
    EXPECT_EQ(settings.HeaderAlignment, caCenter);
    EXPECT_EQ(settings.CellAlignment, caRight);
    EXPECT_EQ(grid->Objects(0, 0), static_cast<std::intptr_t>(PackColumnSettings(settings)));
    EXPECT_EQ(grid->ColumnSettings(1).ImageIndex, -1);
    UpdateWindow(Header());
    EXPECT_TRUE(HeaderColumnHolds(*grid, 0, RGB(0, 0, 255))) << "the image's first variant";
    EXPECT_FALSE(HeaderColumnHolds(*grid, 1, RGB(0, 0, 255)));
}

TEST_F(DropGridTest, OwnDrawingGetsEveryVisibleCellWithItsState)
{
    std::vector<std::pair<POINT, TGridDrawState>> drawn;
    grid->OnDrawCell = [&drawn](TDropGrid&, int col, int row, const RECT&, TGridDrawState state) {
        drawn.push_back({ POINT { col, row }, state });
    };
    grid->SetCurrent(2, 4);
    grid->Invalidate();
    InvalidateRect(Header(), nullptr, TRUE);
    UpdateWindow(Header());
    grid->Update();
    auto stateOf = [&drawn](int col, int row) {
        TGridDrawState state = 0xFF;
        for (const auto& [cell, cellState] : drawn)
            if (cell.x == col && cell.y == row)
                state = cellState;
        return state;
    };
    EXPECT_EQ(stateOf(1, 0), static_cast<TGridDrawState>(gdFixed));
    EXPECT_EQ(stateOf(0, 1), 0u);
    EXPECT_EQ(stateOf(2, 4) & gdSelected, static_cast<TGridDrawState>(gdSelected));
    EXPECT_EQ(stateOf(0, 4) & gdSelected, 0u) << "only the current cell without row selection";
    grid->SetOptions(goRowSelect);
    drawn.clear();
    grid->Invalidate();
    grid->Update();
    EXPECT_EQ(stateOf(0, 4) & gdSelected, static_cast<TGridDrawState>(gdSelected)) << "the whole row";
}

} // namespace
