// Tests of the small controls under Wine: the spin edit's range, keys and up-down, the digit mask
// edit's Enter-as-Tab, leave and clipboard events, and the oversize tooltip of the edits.
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/harness/KeyInjector.h"
#include "ui/controls/CBExtend.h"
#include "ui/controls/GroupBoxEx.h"
#include "ui/controls/MaskEdEx.h"
#include "ui/controls/PageCtrlEx.h"

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
    EXPECT_EQ(GetPropA(sheet->Handle(), TPageControlEx::ChildProperty), reinterpret_cast<HANDLE>(pages.get()));
    EXPECT_EQ(GetWindowLongA(pages->Handle(), GWL_STYLE) & 0x108, 0);
    pages->SetButtonStyle(true);
    EXPECT_EQ(GetWindowLongA(pages->Handle(), GWL_STYLE) & 0x108, 0x108);
    pages->SetButtonStyle(false);
    EXPECT_EQ(GetWindowLongA(pages->Handle(), GWL_STYLE) & 0x108, 0);
    auto* later = new TTabSheet(pages.get());
    later->SetPageControl(pages.get());
    EXPECT_EQ(GetPropA(later->Handle(), TPageControlEx::ChildProperty), reinterpret_cast<HANDLE>(pages.get()))
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
