// Tests of WindowUtils under Wine+Xvfb: the child-window search over a window with standard and
// registered-class children, the control wrappers, the message pump and the unit helpers.
#include "foundation/WindowUtils.h"

#include "foundation/Processes.h"
#include "foundation/StrUtilWin.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <string>

namespace {

enum : int {
    IdOk = 101,
    IdCancel,
    IdCheck,
    IdEdit,
    IdStatic,
    IdCombo,
    IdList,
    IdTer32,
    IdTerXY,
    IdDisabled,
    IdHidden,
    IdPanel,
    IdPanelEdit
};

int ClickCount = 0; // BN_CLICKED heard by the test window

LRESULT CALLBACK TestWindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (Message == WM_COMMAND && HIWORD(WParam) == BN_CLICKED)
        ++ClickCount;
    if (Message == WM_USER)
        ++ClickCount;
    return DefWindowProcA(Window, Message, WParam, LParam);
}

void RegisterTestClasses()
{
    for (const char* name : { "ProcWinTestParent", "TER32CLASS", "TERXYCLASS" }) {
        WNDCLASSA windowClass {};
        windowClass.lpfnWndProc = TestWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = name;
        RegisterClassA(&windowClass);
    }
    WNDCLASSA mdiChild {};
    mdiChild.lpfnWndProc = DefMDIChildProcA;
    mdiChild.hInstance = GetModuleHandleA(nullptr);
    mdiChild.lpszClassName = "ProcWinMdiChild";
    RegisterClassA(&mdiChild);
}

class WindowUtilsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterTestClasses();
        InitWindowUtils();
        ClickCount = 0;
        Parent = CreateWindowA("ProcWinTestParent", "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600,
            400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(Parent, nullptr);
        Child("BUTTON", "&OK", BS_PUSHBUTTON, IdOk);
        Child("BUTTON", "Cancel", BS_PUSHBUTTON, IdCancel);
        Child("BUTTON", "Check &me", BS_AUTOCHECKBOX, IdCheck);
        Child("EDIT", "Edit text", 0, IdEdit);
        Child("STATIC", "Hello &World", 0, IdStatic);
        Combo = Child("COMBOBOX", "", CBS_DROPDOWNLIST, IdCombo);
        List = Child("LISTBOX", "", 0, IdList);
        Child("TER32CLASS", "Ter one", 0, IdTer32);
        Child("TERXYCLASS", "Ter two", 0, IdTerXY);
        EnableWindow(Child("BUTTON", "Disabled", BS_PUSHBUTTON, IdDisabled), FALSE);
        ShowWindow(Child("STATIC", "Hidden static", 0, IdHidden), SW_HIDE);
        HWND panel = Child("STATIC", "Panel", 0, IdPanel);
        CreateWindowA("EDIT", "Nested", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, panel,
            reinterpret_cast<HMENU>(IdPanelEdit), GetModuleHandleA(nullptr), nullptr);
        for (const char* item : { "zero", "one", "two" })
            SendMessageA(Combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    void TearDown() override
    {
        DestroyWindow(Parent);
        DoneWindowUtils();
    }

    HWND Child(const char* ClassName, const char* Caption, DWORD Style, int ID)
    {
        return CreateWindowA(ClassName, Caption, WS_CHILD | WS_VISIBLE | Style, 0, 0, 80, 60, Parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID)), GetModuleHandleA(nullptr), nullptr);
    }
    int IdOf(HWND Window) const { return Window ? GetDlgCtrlID(Window) : 0; }

    HWND Parent = nullptr;
    HWND Combo = nullptr;
    HWND List = nullptr;
};

struct TFindCase {
    const char* ClassNames;
    const char* Caption;
    uint32_t ControlID;
    bool Wildcards;
    int Expected; // control id, 0 = none
};

TEST_F(WindowUtilsTest, FindChildWindowMatchesClassCaptionAndId)
{
    const TFindCase cases[] = {
        { "TER??CLASS", "", 0, true, IdTer32 },
        { "TER??CLASS", "", 0, false, 0 },
        { "ter??class", "", 0, true, IdTer32 }, // the list is upper-cased
        { "TER?CLASS", "", 0, true, 0 }, // lengths differ
        { "TERXYCLASS", "", 0, false, IdTerXY },
        { "TER32CLASS", "", 0, true, IdTer32 }, // exact names still match with wildcards on
        { "BUTTON", "OK", 0, false, IdOk },
        { "BUTTON", "&OK", 0, false, IdOk }, // '&' removed on both sides
        { "BUTTON", "ok", 0, false, 0 }, // the caption is case-sensitive
        { "BUTTON", "Check m", 0, false, IdCheck },
        { "EDIT", "Hello", 0, false, 0 }, // a caption match in another class is not returned
        { "", "Hello World", 0, false, IdStatic },
        { "", "", IdDisabled, false, IdDisabled },
        { "EDIT", "Nope", IdCancel, false, IdCancel }, // the control id is taken at once
        { "STATIC,BUTTON", "Cancel", 0, false, IdCancel },
        { "BUTTON,STATIC", "Panel", 0, false, IdPanel },
        { "EDIT", "Nested", 0, false, IdPanelEdit }, // grandchildren are searched too
        { "", "", 0, false, 0 },
        { "LISTBOX,", "", 0, false, IdList },
    };
    for (const TFindCase& c : cases) {
        SCOPED_TRACE(std::string(c.ClassNames) + " / " + c.Caption);
        EXPECT_EQ(
            IdOf(FindChildWindow(Parent, c.ClassNames, c.Caption, c.ControlID, c.Wildcards)), c.Expected);
    }
    EXPECT_EQ(FindChildWindow(nullptr, "BUTTON", "", 0, false), nullptr);
}

TEST_F(WindowUtilsTest, SecondChildWindowPassesOverTheFirstMatch)
{
    EXPECT_EQ(IdOf(FindSecondChildWindow(Parent, "TER??CLASS", "", 0, true)), IdTerXY);
    EXPECT_EQ(IdOf(FindSecondChildWindow(Parent, "TER32CLASS", "", 0, false)), 0); // only one
    EXPECT_EQ(IdOf(FindSecondChildWindow(Parent, "BUTTON", "", 0, false)), IdCancel);
    EXPECT_EQ(IdOf(FindSecondChildWindow(Parent, "COMBOBOX", "", 0, false)), 0);
}

TEST_F(WindowUtilsTest, CollectModesGatherEveryMatchOfTheirKind)
{
    TList all;
    EXPECT_EQ(CollectChildWindows(Parent, "BUTTON", all), 4);
    EXPECT_EQ(IdOf(static_cast<HWND>(all[0])), IdOk);
    TList disabled;
    EXPECT_EQ(CollectDisabledChildWindows(Parent, "BUTTON,STATIC", disabled), 1);
    EXPECT_EQ(IdOf(static_cast<HWND>(disabled[0])), IdDisabled);
    TList statics;
    EXPECT_EQ(CollectChildWindows(Parent, "STATIC", statics), 3);

    TList hidden;
    TWindowParams params;
    params.ClassNames = "STATIC,EDIT";
    params.HiddenOnly = true;
    params.Mode = WindowSearchCollect;
    params.List = &hidden;
    SearchChildWindows(Parent, params);
    ASSERT_EQ(hidden.Count(), 1);
    EXPECT_EQ(IdOf(static_cast<HWND>(hidden[0])), IdHidden);
    EXPECT_EQ(params.Result, nullptr);

    TList none;
    EXPECT_EQ(CollectChildWindows(nullptr, "BUTTON", none), 0);
}

TEST_F(WindowUtilsTest, TypedFindersTakeTheirClass)
{
    EXPECT_EQ(IdOf(FindButtonChild(Parent, "Cancel", 0)), IdCancel);
    EXPECT_EQ(IdOf(FindButtonChild(Parent, "", BS_CHECKBOX)), IdCheck); // style bit test
    EXPECT_EQ(IdOf(FindButtonChild(Parent, "", 0)), IdOk);
    EXPECT_EQ(IdOf(FindComboBoxChild(Parent)), IdCombo);
    EXPECT_EQ(IdOf(FindEditChild(Parent)), IdEdit);
    EXPECT_EQ(IdOf(FindEditWindow(Parent)), IdEdit);
    EXPECT_EQ(IdOf(FindStaticChild(Parent, "World")), IdStatic);
    EXPECT_EQ(IdOf(FindStaticChild(Parent, "Cancel")), 0);
}

TEST(WindowUtilsWildcardTest, MatchesOnlyWholeTextsOfTheGivenLength)
{
    struct {
        const char* Text;
        const char* Pattern;
        int Len;
        bool Expected;
    } const cases[] = {
        { "TER32CLASS", "TER??CLASS", 10, true },
        { "TER32CLASS", "TER??CLASs", 10, false },
        { "TER32CLASS", "TER??CLASS", 9, false },
        { "TER32", "TER32CLASS", 5, false }, // no reading past
        { "TER32CLASS", "TER", 10, false },
        { "", "", 0, true },
        { "A", "?", 1, true },
        { "a", "A", 1, false },
        { "AB", "??", -1, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Text) + " ~ " + c.Pattern);
        EXPECT_EQ(MatchesWildcard(c.Text, c.Pattern, c.Len), c.Expected);
    }
}

TEST_F(WindowUtilsTest, ButtonWrappersCheckAndClick)
{
    HWND check = GetDlgItem(Parent, IdCheck);
    EXPECT_EQ(GetDlgButtonCheck(Parent, IdCheck), 0);
    EXPECT_TRUE(ClickCheckBoxOn(check));
    EXPECT_TRUE(IsButtonChecked(check));
    EXPECT_TRUE(ClickCheckBoxOn(check)); // already checked: still ends checked, through a click
    EXPECT_TRUE(IsButtonChecked(check));
    EXPECT_EQ(ClickCount, 2);
    EXPECT_TRUE(SetButtonCheck(check, false));
    EXPECT_FALSE(IsButtonChecked(check));
    ClickDlgButton(Parent, IdOk);
    EXPECT_EQ(ClickCount, 3);
    EXPECT_FALSE(IsVisibleDisabled(GetDlgItem(Parent, IdOk)));
    EXPECT_TRUE(IsVisibleDisabled(GetDlgItem(Parent, IdDisabled)));
}

TEST_F(WindowUtilsTest, ComboWrappers)
{
    std::string text = "kept";
    EXPECT_FALSE(GetComboSelectedText(Combo, text)); // nothing selected
    EXPECT_TRUE(SetComboSelection(Combo, 0));
    EXPECT_FALSE(GetComboSelectedText(Combo, text)); // index 0 leaves the text
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(SelectComboItem(Combo, 2), 2);
    EXPECT_TRUE(GetComboSelectedText(Combo, text));
    EXPECT_EQ(text, "two");
    EXPECT_EQ(GetComboSelection(Combo), 2);
    EXPECT_FALSE(SetComboSelection(Combo, 7));
    EXPECT_EQ(FindComboItemExact(Combo, "one"), 1);
    EXPECT_EQ(FindComboItemExact(Combo, "on"), CB_ERR);
    EXPECT_EQ(FindComboItemExact(Combo, ""), -1);
    EXPECT_EQ(SelectComboItem(Combo, -1), -1);
    EXPECT_EQ(DeleteComboItem(Combo, -1), -1);
    EXPECT_EQ(DeleteComboItem(Combo, 0), 2); // items left
}

TEST_F(WindowUtilsTest, ListBoxTextsEachEndWithAZeroByte)
{
    EXPECT_EQ(GetListBoxItemsText(List), "");
    for (const char* item : { "alpha", "", "beta" })
        SendMessageA(List, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(GetListBoxItemsText(List), std::string("alpha\0\0beta\0", 12));
}

TEST_F(WindowUtilsTest, MenuItemCheck)
{
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 5, "Item");
    EXPECT_TRUE(SetMenuItemCheck(menu, 5, true));
    EXPECT_TRUE(GetMenuState(menu, 5, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(SetMenuItemCheck(menu, 5, false));
    EXPECT_FALSE(GetMenuState(menu, 5, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(SetMenuItemCheck(menu, 99, true));
    DestroyMenu(menu);
}

TEST_F(WindowUtilsTest, PendingMessagesAreDispatchedAndAQuitIsKept)
{
    PostMessageA(Parent, WM_USER, 0, 0);
    PostQuitMessage(7);
    PostMessageA(Parent, WM_USER, 0, 0);
    ProcessPendingMessages();
    EXPECT_EQ(ClickCount, 2);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT)) << "the host can still quit";
    EXPECT_EQ(message.wParam, 7u);
}

TEST_F(WindowUtilsTest, MdiChildOfAWindowAndTheActiveChild)
{
    CLIENTCREATESTRUCT create {};
    create.idFirstChild = 1000;
    HWND client = CreateWindowA("MDICLIENT", "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, Parent, nullptr,
        GetModuleHandleA(nullptr), &create);
    ASSERT_NE(client, nullptr);
    HWND mdiChild = CreateMDIWindowA(
        "ProcWinMdiChild", "Doc", WS_VISIBLE, 0, 0, 100, 100, client, GetModuleHandleA(nullptr), 0);
    ASSERT_NE(mdiChild, nullptr);
    HWND edit = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, mdiChild, nullptr,
        GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(FindMDIChildOf(edit), mdiChild);
    EXPECT_EQ(FindMDIChildOf(mdiChild), mdiChild);
    EXPECT_EQ(FindMDIChildOf(GetDlgItem(Parent, IdOk)), nullptr);
    EXPECT_EQ(FindMDIChildOf(nullptr), nullptr);
    EXPECT_TRUE(IsInActiveMDIChild(client, edit));
    EXPECT_TRUE(IsInActiveMDIChild(client, mdiChild));
    EXPECT_FALSE(IsInActiveMDIChild(client, GetDlgItem(Parent, IdOk)));
}

TEST_F(WindowUtilsTest, OwnModuleWindows)
{
    EXPECT_TRUE(IsOwnModuleWindow(Parent));
    HWND foreign = CreateWindowA(
        "STATIC", "", WS_CHILD, 0, 0, 5, 5, Parent, nullptr, GetModuleHandleA("user32.dll"), nullptr);
    EXPECT_FALSE(IsOwnModuleWindow(foreign));
}

TEST(WindowUtilsPointTest, PointsAndLParams)
{
    POINT point;
    ClearPoint(point);
    EXPECT_EQ(point.x, -1);
    EXPECT_EQ(point.y, -1);
    EXPECT_FALSE(IsZeroPoint(point));
    SetPoint(point, 0, 0);
    EXPECT_TRUE(IsZeroPoint(point));
    struct {
        LPARAM Value;
        LONG X, Y;
    } const cases[]
        = { { 0, 0, 0 }, { 0x00020001, 1, 2 }, { static_cast<LPARAM>(0xFFFF8000u), 0x8000, 0xFFFF } };
    for (const auto& c : cases) {
        POINT expected;
        SetPoint(expected, c.X, c.Y);
        EXPECT_TRUE(PointsEqual(PointFromLParam(c.Value), expected)) << c.Value;
    }
    POINT other;
    SetPoint(other, 1, 0);
    EXPECT_FALSE(PointsEqual(point, other));
}

TEST_F(WindowUtilsTest, RectanglesAndUnits)
{
    EXPECT_TRUE(IsNullRect(GetWindowRectOrZero(nullptr)));
    EXPECT_TRUE(IsNullRect(GetClientRectOrZero(nullptr)));
    EXPECT_FALSE(IsNullRect(GetWindowRectOrZero(Parent)));
    const int width = GetWindowClientWidth(Parent);
    EXPECT_GT(width, 0);
    EXPECT_EQ(ClientWidthLessVScroll(Parent), width - GetSystemMetrics(SM_CXVSCROLL));
    const SIZE area = GetWorkAreaSize();
    EXPECT_GT(area.cx, 0);
    EXPECT_GT(area.cy, 0);

    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    const SIZE pixels = TwipsToPixels(nullptr, { 1440, 720 });
    EXPECT_EQ(pixels.cx, dpiX);
    EXPECT_EQ(pixels.cy, dpiY / 2);
    const SIZE twips = PixelsToTwips(screen, { dpiX, dpiY * 2 });
    EXPECT_EQ(twips.cx, 1440);
    EXPECT_EQ(twips.cy, 2880);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(TwipsToPixelsY(2880), 2 * dpiY);
    EXPECT_EQ(WidthToTwips(Parent, dpiX), 1440);

    HWND edit = GetDlgItem(Parent, IdEdit);
    EXPECT_EQ(WidthToTwips(edit, std::string()), 0);
    EXPECT_GT(WidthToTwips(edit, std::string("WWWW")), WidthToTwips(edit, std::string("i")));
}

TEST(WindowUtilsScaleTest, RoundsToNearestWhateverTheCallersMode)
{
    struct {
        double Value;
        int Expected;
    } const cases[] = { { 0, 0 }, { 1, 25 }, { 0.5, 13 }, { -0.5, -13 }, { 10, 254 }, { 0.02, 1 } };
    const int saved = std::fegetround();
    std::fesetround(FE_DOWNWARD);
    for (const auto& c : cases)
        EXPECT_EQ(ScaleBy25_4(c.Value), c.Expected) << c.Value;
    EXPECT_EQ(std::fegetround(), FE_DOWNWARD) << "the caller's mode is restored";
    std::fesetround(saved);
}

TEST(WindowUtilsSystemTest, DialogFontIconAndDropShadow)
{
    InitWindowUtils();
    // Without a theme: the "MS Shell Dlg 2" substitute (Tahoma in Wine's registry), else the plain name.
    const std::string substitute = RegReadString(HKEY_LOCAL_MACHINE,
        "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", "MS Shell Dlg 2");
    EXPECT_EQ(GetDialogFontName(nullptr, 0), substitute.empty() ? std::string("MS Shell Dlg") : substitute);
    TSmallIcon icon = LoadSmallSystemIcon(MAKEINTRESOURCEW(32515)); // IDI_WARNING
    EXPECT_NE(icon.Handle(), nullptr);
    TSmallIcon moved = std::move(icon);
    EXPECT_EQ(icon.Handle(), nullptr);
    EXPECT_NE(moved.Handle(), nullptr);
    DropShadowEnabled(); // answers without failing; the value is the desktop's
    DoneWindowUtils();
}

TEST(WindowUtilsProcessTest, ProcessChildWindowByExePath)
{
    InitProcesses();
    const std::string file = GetModuleFolder(nullptr) + "procwin_window_child.exe";
    ASSERT_GT(RunProgram(nullptr, "open", file, "visible", "", SW_SHOWNOACTIVATE, 10), 32u);
    HWND top = nullptr;
    for (int i = 0; i < 50 && !top; ++i, Sleep(100))
        top = FindProcessChildWindow("C:\\elsewhere\\PROCWIN_WINDOW_CHILD.EXE", "", "");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(GetClassNameUpper(top), "PROCWINCHILDCLASS");
    EXPECT_EQ(FindProcessChildWindow(file, "BUTTON", ""), nullptr); // it has no children
    EXPECT_EQ(FindProcessChildWindow("C:\\no_such_program.exe", "", ""), nullptr);
    DWORD processID = 0;
    GetWindowThreadProcessId(top, &processID);
    TKernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processID));
    PostMessageA(top, WM_CLOSE, 0, 0);
    if (process && WaitForSingleObject(process.Get(), 5000) != WAIT_OBJECT_0)
        TerminateProcess(process.Get(), 1);
    DoneProcesses();
}

} // namespace
