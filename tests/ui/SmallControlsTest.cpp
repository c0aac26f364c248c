// Tests of the small controls under Wine: the spin edit's range, keys and up-down, the digit mask
// edit's Enter-as-Tab, leave and clipboard events, and the oversize tooltip of the edits.
#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "framework/Forms.h"
#include "framework/harness/KeyInjector.h"
#include "ui/controls/CBExtend.h"
#include "ui/controls/GroupBoxEx.h"
#include "ui/controls/MaskEdEx.h"
#include "ui/controls/MenuControl.h"
#include "ui/controls/PageCtrlEx.h"
#include "ui/controls/PropSubclass.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class SmallControlsTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        form = new TForm(nullptr);
        form->SetBounds(60, 60, 360, 240);
        form->Show();
        Application().ProcessMessages();
    }
    static void TearDownTestSuite()
    {
        delete form;
        form = nullptr;
    }
    template <typename T>
    std::unique_ptr<T> Make(int top, int width = 120)
    {
        std::unique_ptr<T> control(new T(form));
        control->SetParent(form);
        control->SetBounds(10, top, width, 22);
        control->HandleNeeded();
        return control;
    }
    static void TypeChar(TWinControl& control, char c)
    {
        SendMessageA(control.Handle(), WM_CHAR, static_cast<BYTE>(c), 1);
    }
    static void TypeText(TWinControl& control, const std::string& text)
    {
        for (char c : text)
            TypeChar(control, c);
    }
    static TForm* form;
};
TForm* SmallControlsTest::form = nullptr;

TEST_F(SmallControlsTest, SpinRangeLimitsTheTextLength)
{
    auto spin = Make<TSpinEdEx>(10);
    spin->SetMinValue(0);
    spin->SetMaxValue(999);
    EXPECT_EQ(SendMessageA(spin->Handle(), EM_GETLIMITTEXT, 0, 0), 3);
    spin->SetText("");
    TypeText(*spin, "12345");
    EXPECT_EQ(spin->GetText(), "123");
}

TEST_F(SmallControlsTest, SpinClampsAboveWhileTypingAndBelowOnLeaving)
{
    auto spin = Make<TSpinEdEx>(10);
    auto other = Make<TEdit>(40);
    spin->SetMinValue(10);
    spin->SetMaxValue(50);
    spin->SetFocus();
    spin->SetText("");
    TypeText(*spin, "99");
    EXPECT_EQ(spin->GetText(), "50");
    spin->SetText("");
    TypeText(*spin, "5");
    EXPECT_EQ(spin->GetText(), "5") << "the first digit of 50 or 20 stays while typing";
    EXPECT_EQ(spin->Value(), 10);
    other->SetFocus();
    Application().ProcessMessages();
    EXPECT_EQ(spin->GetText(), "10");
    spin->SetFocus();
    spin->SetText("");
    TypeText(*spin, "25");
    EXPECT_EQ(spin->GetText(), "25") << "a number below the minimum on the way to one inside";
}

TEST_F(SmallControlsTest, SpinKeysStepAndJump)
{
    auto spin = Make<TSpinEdEx>(10);
    spin->SetMinValue(0);
    spin->SetMaxValue(20);
    spin->Increment = 5;
    spin->SetValue(7);
    const struct {
        WORD key;
        int expected;
    } steps[] = { { VK_UP, 12 }, { VK_UP, 17 }, { VK_UP, 20 }, { VK_DOWN, 15 }, { VK_NEXT, 0 }, { VK_DOWN, 0 },
        { VK_PRIOR, 20 } };
    for (const auto& step : steps) {
        SendMessageA(spin->Handle(), WM_KEYDOWN, step.key, 1);
        EXPECT_EQ(spin->Value(), step.expected) << "key " << step.key;
    }
    TypeChar(*spin, '-');
    EXPECT_EQ(spin->Value(), 15);
    TypeChar(*spin, '+');
    EXPECT_EQ(spin->Value(), 20);
    EXPECT_EQ(spin->UpDown()->Position(), 20);

    spin->SetReadOnly(true);
    SendMessageA(spin->Handle(), WM_KEYDOWN, VK_DOWN, 1);
    TypeChar(*spin, '-');
    EXPECT_EQ(spin->Value(), 20) << "a read-only spin edit does not step";
}

TEST_F(SmallControlsTest, SpinDigitsOvertypeASelection)
{
    auto spin = Make<TSpinEdEx>(10);
    spin->SetMaxValue(999);
    spin->SetValue(123);
    spin->SelectAll();
    TypeChar(*spin, '4');
    EXPECT_EQ(spin->GetText(), "423");
    EXPECT_EQ(spin->SelStart(), 1);
    EXPECT_EQ(spin->SelLength(), 2);
    TypeChar(*spin, '5');
    TypeChar(*spin, '6');
    EXPECT_EQ(spin->GetText(), "456");
}

TEST_F(SmallControlsTest, UpDownStepsAndIsHandled)
{
    auto spin = Make<TSpinEdEx>(10);
    spin->SetMaxValue(10);
    spin->SetValue(4);
    ASSERT_NE(spin->UpDown(), nullptr);
    const RECT client = spin->ClientRect();
    RECT buttons {};
    GetWindowRect(spin->UpDown()->Handle(), &buttons);
    EXPECT_EQ(buttons.right - buttons.left, GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_LE(buttons.bottom - buttons.top, client.bottom);
    for (const int delta : { 1, 1, -1 }) {
        NMUPDOWN change {};
        change.hdr.hwndFrom = spin->UpDown()->Handle();
        change.hdr.code = static_cast<UINT>(UDN_DELTAPOS);
        change.iDelta = delta;
        EXPECT_EQ(SendMessageA(spin->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change)), 1);
    }
    EXPECT_EQ(spin->Value(), 5);
    spin->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(spin->UpDown()->Handle()));

    TUpDown* buttonsBefore = spin->UpDown();
    spin->RecreateWnd();
    EXPECT_EQ(spin->UpDown(), buttonsBefore) << "a window made again keeps its one up-down";
    EXPECT_TRUE(IsChild(spin->Handle(), spin->UpDown()->Handle()));
    int upDowns = 0;
    for (HWND child = GetWindow(spin->Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = "";
        GetClassNameA(child, className, sizeof className);
        upDowns += std::string(className) == UPDOWN_CLASSA;
    }
    EXPECT_EQ(upDowns, 1);
}

TEST_F(SmallControlsTest, MaskEditTakesDigitsAndTurnsEnterIntoTab)
{
    auto first = Make<TMaskEdEx>(10);
    auto second = Make<TMaskEdEx>(40);
    first->SetEditMask("99999;0; ");
    std::vector<WORD> leaves;
    first->OnEditLeave = [&](TMaskEdEx&, WORD key) { leaves.push_back(key); };
    TypeText(*first, "1a2b345678");
    EXPECT_EQ(first->GetText(), "12345");

    ASSERT_TRUE(EnsureForeground(form->Handle()));
    first->SetFocus();
    PressKey(form->Handle(), VK_RETURN);
    EXPECT_TRUE(second->Focused());
    EXPECT_EQ(leaves, (std::vector<WORD> { VK_TAB, 0 }));
}

TEST_F(SmallControlsTest, MaskEditClipboardEventsReplaceTheDefault)
{
    auto edit = Make<TMaskEdEx>(10);
    edit->SetText("abc");
    int copies = 0;
    int pastes = 0;
    edit->OnCopy = [&](TMaskEdEx&) { ++copies; };
    edit->OnPaste = [&](TMaskEdEx&) { ++pastes; };
    edit->SelectAll();
    SendMessageA(edit->Handle(), WM_COPY, 0, 0);
    SendMessageA(edit->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(pastes, 1);
    EXPECT_EQ(edit->GetText(), "abc");
}

TEST_F(SmallControlsTest, EditTipShowsOnlyTextThatDoesNotFit)
{
    auto edit = Make<TEditEx>(10, 80);
    ASSERT_NE(edit->ToolTip(), nullptr);
    edit->SetText("short");
    EXPECT_EQ(edit->ToolTip()->GetText(), "");
    const std::string longText = "a text much wider than the eighty pixels of this edit";
    edit->SetText(longText);
    EXPECT_EQ(edit->ToolTip()->GetText(), longText);
    edit->SetText("ok");
    EXPECT_EQ(edit->ToolTip()->GetText(), "");
}

TEST_F(SmallControlsTest, ComboListGrowsToTheWidestItemAndNeverShrinks)
{
    std::unique_ptr<TPlainCBEx> combo(new TPlainCBEx(form));
    combo->OwnerDrawVariable = true;
    combo->Style = csDropDownList;
    combo->SetParent(form);
    combo->SetBounds(10, 10, 100, 22);
    combo->Items().Add("one");
    const int start = combo->DroppedWidth();
    const std::string wide(120, 'W');
    combo->Items().Add(wide);
    const int grown = combo->DroppedWidth();
    HDC dc = GetDC(combo->Handle());
    const HGDIOBJ old = SelectObject(dc, combo->Font().Handle());
    SIZE extent {};
    GetTextExtentPoint32A(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(combo->Handle(), dc);
    EXPECT_GT(grown, start);
    EXPECT_EQ(grown, extent.cx + GetSystemMetrics(SM_CXVSCROLL) + 2);
    combo->Items().Delete(1);
    EXPECT_EQ(combo->DroppedWidth(), grown);
}

TEST_F(SmallControlsTest, ComboReportsDropCloseAndTheSelectedItemDrawn)
{
    std::unique_ptr<TPlainCBEx> combo(new TPlainCBEx(form));
    combo->OwnerDrawVariable = true;
    combo->Style = csDropDownList;
    combo->SetParent(form);
    combo->SetBounds(10, 10, 100, 22);
    combo->Items().Add("alpha");
    combo->Items().Add("beta");
    combo->SetItemIndex(1);
    std::vector<std::string> events;
    combo->OnListDrop = [&](TPlainCBEx& c) { events.push_back(c.ListDropped() ? "drop" : "drop?"); };
    combo->OnListClose = [&](TPlainCBEx& c) { events.push_back(c.ListDropped() ? "close?" : "close"); };
    int selectedDrawn = -1;
    combo->OnListItemSelected = [&](TPlainCBEx&, int index) { selectedDrawn = index; };
    ASSERT_TRUE(EnsureForeground(form->Handle()));
    combo->SetFocus();
    SendMessageA(combo->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    for (int i = 0; i < 10 && selectedDrawn < 0; ++i) {
        Application().ProcessMessages();
        Sleep(20);
    }
    SendMessageA(combo->Handle(), CB_SHOWDROPDOWN, FALSE, 0);
    Application().ProcessMessages();
    EXPECT_EQ(events, (std::vector<std::string> { "drop", "close" }));
    EXPECT_EQ(selectedDrawn, 1);
}

TEST_F(SmallControlsTest, PageControlButtonStyleAndSubclassedSheets)
{
    std::unique_ptr<TPageControlEx> pages(new TPageControlEx(form));
    pages->SetParent(form);
    pages->SetBounds(10, 10, 300, 200);
    auto* sheet = new TTabSheet(pages.get());
    sheet->SetText("First");
    sheet->SetPageControl(pages.get());
    pages->HandleNeeded();
    EXPECT_EQ(PropSubclassOwner(sheet->Handle(), TPageControlEx::ChildProperty), pages.get());
    EXPECT_EQ(GetWindowLongA(pages->Handle(), GWL_STYLE) & 0x108, 0);
    pages->SetButtonStyle(true);
    EXPECT_EQ(GetWindowLongA(pages->Handle(), GWL_STYLE) & 0x108, 0x108);
    pages->SetButtonStyle(false);
    EXPECT_EQ(GetWindowLongA(pages->Handle(), GWL_STYLE) & 0x108, 0);
    auto* later = new TTabSheet(pages.get());
    later->SetPageControl(pages.get());
    EXPECT_EQ(PropSubclassOwner(later->Handle(), TPageControlEx::ChildProperty), pages.get())
        << "a sheet made later is subclassed too";
}

TEST_F(SmallControlsTest, GroupBoxIsASystemGroupBoxHoldingItsChildren)
{
    std::unique_ptr<TGroupBoxEx> group(new TGroupBoxEx(form));
    group->SetParent(form);
    group->SetText("Options");
    EXPECT_EQ(group->Width(), 185);
    EXPECT_EQ(group->Height(), 105);
    char className[32] = "";
    GetClassNameA(group->Handle(), className, sizeof className);
    EXPECT_STREQ(CharUpperA(className), "BUTTON");
    EXPECT_EQ(GetWindowLongA(group->Handle(), GWL_STYLE) & 0xF, BS_GROUPBOX);
    auto* inner = new TEdit(group.get());
    inner->SetParent(group.get());
    inner->SetAlign(alClient);
    EXPECT_GT(inner->Top(), 0);
    EXPECT_LT(inner->Left() + inner->Width(), group->Width());
    EXPECT_TRUE(IsChild(group->Handle(), inner->Handle()));
}

} // namespace

namespace {

// A form of its own per test: the menu control subclasses its form.
class MenuControlTest : public testing::Test {
protected:
    void SetUp() override
    {
        form.reset(new TForm(nullptr));
        form->SetBounds(80, 80, 300, 200);
        form->Show();
        menu = new TMenuControl(form.get());
        menu->SetText("&Actions");
        popup = new TMCPopupMenu(form.get());
        menu->SetPopupMenu(popup);
        menu->OnShowPopupMenu = [this](TMenuControl&, POINT position, BOOL& cancel) {
            shown.push_back(position);
            cancel = TRUE;
        };
        menu->SetParent(form.get());
        Application().ProcessMessages();
    }
    void TearDown() override { form.reset(); }

    LPARAM TitlePoint()
    {
        const RECT title = menu->TitleRect();
        return MAKELPARAM((title.left + title.right) / 2, (title.top + title.bottom) / 2);
    }

    std::unique_ptr<TForm> form;
    TMenuControl* menu = nullptr;
    TMCPopupMenu* popup = nullptr;
    std::vector<POINT> shown;
};

TEST_F(MenuControlTest, SecondMenuControlOnAFormFails)
{
    EXPECT_EQ(PropSubclassOwner(form->Handle(), TMenuControl::FormProperty), menu);
    std::unique_ptr<TMenuControl> second(new TMenuControl(form.get()));
    EXPECT_THROW(second->SetParent(form.get()), EInvalidOperation);
    EXPECT_EQ(PropSubclassOwner(form->Handle(), TMenuControl::FormProperty), menu);

    // Once the first one goes, the form takes another.
    delete menu;
    EXPECT_EQ(GetPropA(form->Handle(), TMenuControl::FormProperty), nullptr);
    second.reset(new TMenuControl(form.get()));
    second->SetParent(form.get());
    EXPECT_EQ(PropSubclassOwner(form->Handle(), TMenuControl::FormProperty), second.get());
}

TEST_F(MenuControlTest, SizeAndTitleArea)
{
    HDC dc = GetDC(menu->Handle());
    const HGDIOBJ old = SelectObject(dc, menu->Font().Handle());
    SIZE size {};
    GetTextExtentPoint32A(dc, "Actions", 7, &size);
    SelectObject(dc, old);
    ReleaseDC(menu->Handle(), dc);
    EXPECT_EQ(menu->Height(), size.cy + 14);
    EXPECT_EQ(menu->Top(), 0);
    EXPECT_EQ(menu->Width(), form->ClientWidth());
    const RECT title = menu->TitleRect();
    EXPECT_EQ(title.right, size.cx + 12);
    EXPECT_EQ(title.bottom, menu->ClientHeight() - 3);
    EXPECT_FALSE(popup->AutoPopup);
}

TEST_F(MenuControlTest, ClickInTheTitleDropsTheMenuBelowIt)
{
    SendMessageA(menu->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(menu->TitleRect().right + 20, 5));
    SendMessageA(menu->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(menu->TitleRect().right + 20, 5));
    EXPECT_TRUE(shown.empty()) << "a click beside the title is ignored";
    SendMessageA(menu->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, TitlePoint());
    SendMessageA(menu->Handle(), WM_LBUTTONUP, 0, TitlePoint());
    ASSERT_EQ(shown.size(), 1u);
    const POINT expected = menu->ClientToScreen(POINT { 0, menu->ClientHeight() - 3 });
    EXPECT_EQ(shown[0].x, expected.x);
    EXPECT_EQ(shown[0].y, expected.y);
    EXPECT_FALSE(menu->Pressed());
}

TEST_F(MenuControlTest, AltSelectsDownOpensEscapeLeaves)
{
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 0);
    EXPECT_TRUE(menu->Open());
    ASSERT_TRUE(EnsureForeground(form->Handle()));
    InjectKey(VK_DOWN, 0, form->Handle());
    PumpPending();
    EXPECT_EQ(shown.size(), 1u);
    InjectKey(VK_ESCAPE, 0, form->Handle());
    PumpPending();
    EXPECT_FALSE(menu->Open());
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 0);
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 0);
    EXPECT_FALSE(menu->Open()) << "F10 or Alt again toggles it off";
}

TEST_F(MenuControlTest, EscapeHeldKeepsTheSelectionAfterTheMenuCloses)
{
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 0);
    BYTE keys[256];
    GetKeyboardState(keys);
    const BYTE saved = keys[VK_ESCAPE];
    keys[VK_ESCAPE] = 0x80;
    SetKeyboardState(keys);
    SendMessageA(menu->Handle(), WM_EXITMENULOOP, TRUE, 0);
    EXPECT_TRUE(menu->Open());
    keys[VK_ESCAPE] = saved;
    SetKeyboardState(keys);
    SendMessageA(menu->Handle(), WM_EXITMENULOOP, TRUE, 0);
    EXPECT_FALSE(menu->Open());
}

TEST_F(MenuControlTest, AcceleratorOpensAndClicksElsewhereLeave)
{
    EXPECT_TRUE(menu->DialogChar('a'));
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_FALSE(menu->DialogChar('x'));
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 0);
    ASSERT_TRUE(menu->Open());
    SendMessageA(form->Handle(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form->Handle()), 0);
    EXPECT_FALSE(menu->Open());
}

TEST_F(MenuControlTest, MenuSelectionSetsTheHint)
{
    auto* item = new TMenuItem(popup);
    item->Caption = "Copy";
    item->Hint = "Copies the part";
    popup->Items().Add(item);
    SendMessageA(menu->Handle(), WM_MENUSELECT, MAKEWPARAM(item->Command(), MF_STRING), reinterpret_cast<LPARAM>(HMENU(1)));
    EXPECT_EQ(menu->MenuHint(), "Copies the part");
    SendMessageA(menu->Handle(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(menu->MenuHint(), "");
}

} // namespace

namespace {

// Runs inside the menu's own loop: the keys choose the first item; a later tick gives up.
HWND keyTarget = nullptr;
int ticks = 0;
void CALLBACK ChooseFirstItem(HWND, UINT, UINT_PTR, DWORD)
{
    if (++ticks == 1) {
        PostMessageA(keyTarget, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(keyTarget, WM_KEYDOWN, VK_RETURN, 0);
    } else if (ticks > 20) {
        EndMenu();
    }
}

TEST_F(MenuControlTest, ChosenItemIsClicked)
{
    int clicks = 0;
    int popups = 0;
    auto* item = new TMenuItem(popup);
    item->Caption = "Run";
    item->OnClick = [&](TMenuItem&) { ++clicks; };
    popup->Items().Add(item);
    popup->OnPopup = [&](TPopupMenu&) { ++popups; };
    menu->OnShowPopupMenu = nullptr;
    keyTarget = menu->Handle();
    ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, ChooseFirstItem);
    SendMessageA(menu->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, TitlePoint());
    KillTimer(nullptr, timer);
    SendMessageA(menu->Handle(), WM_LBUTTONUP, 0, TitlePoint());
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(menu->Pressed());
}

} // namespace
