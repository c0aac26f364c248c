// Tests of the standard controls: combo box items and selection, check box state, edit selection
// and limits, owner-drawn buttons (WM_DRAWITEM reflected to the button), images and group boxes.
#include "framework/StdCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/harness/KeyInjector.h"
#include "framework/harness/WindowCapture.h"

#include <gtest/gtest.h>

namespace {

class StdControls : public testing::Test {
protected:
    void SetUp() override
    {
        form.SetBounds(60, 60, 400, 300);
        form.Show();
        EnsureForeground(form.Handle());
    }
    template <typename T> T* Make(TWinControl* parent = nullptr)
    {
        T* control = new T(&form);
        control->SetParent(parent ? parent : &form);
        return control;
    }
    std::uint32_t PixelAt(TControl* control, int x, int y)
    {
        TBitmap picture;
        EXPECT_TRUE(CaptureWindow(form.Handle(), picture));
        const POINT p = control->Parent()->ClientToScreen({ control->Left() + x, control->Top() + y });
        RECT window;
        GetWindowRect(form.Handle(), &window);
        return picture.Bits()[(p.y - window.top) * picture.Width() + (p.x - window.left)] & 0xFFFFFF;
    }
    TForm form { nullptr };
};

TEST_F(StdControls, ComboBoxItemsSelectionAndChange)
{
    TComboBox* combo = Make<TComboBox>();
    combo->Style = csDropDownList;
    combo->RecreateWnd();
    combo->Items().Add("alpha");
    combo->Items().Add("beta");
    combo->Items().Add("gamma");
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 3);
    combo->SetItemIndex(1);
    EXPECT_EQ(combo->GetText(), "beta");
    combo->SetItemIndex(7);
    EXPECT_EQ(combo->ItemIndex(), -1);
    int changes = 0;
    combo->OnChange = [&](TComboBox&) { ++changes; };
    combo->SetItemIndex(0);
    InjectKey(VK_DOWN, 0, combo->Handle());
    PumpPending();
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(changes, 1);
    combo->Items().Delete(0);
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 2);
}

TEST_F(StdControls, CheckBoxStateHasOneOwner)
{
    TCheckBox* check = Make<TCheckBox>();
    check->SetCaption("&Option");
    int clicks = 0;
    check->OnClick = [&](TControl&) { ++clicks; };
    check->SetChecked(true);
    EXPECT_EQ(SendMessageA(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(check->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(check->Checked());
    EXPECT_EQ(SendMessageA(check->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(clicks, 2);
    check->RecreateWnd();
    EXPECT_FALSE(check->Checked());
    check->SetChecked(true);
    check->RecreateWnd();
    EXPECT_EQ(SendMessageA(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(StdControls, EditSelectionAndLimits)
{
    TEdit* edit = Make<TEdit>();
    edit->SetText("hello world");
    edit->SetSelStart(6);
    edit->SetSelLength(5);
    EXPECT_EQ(edit->SelText(), "world");
    edit->SetSelText("there");
    EXPECT_EQ(edit->GetText(), "hello there");
    edit->SelectAll();
    EXPECT_EQ(edit->SelLength(), 11);
    edit->SetMaxLength(3);
    edit->SetText("");
    for (char c : std::string("ABCDE"))
        InjectKey(c, 0, edit->Handle());
    PumpPending();
    EXPECT_EQ(edit->GetText(), "abc");
    edit->SetReadOnly(true);
    InjectKey(VK_BACK, 0, edit->Handle());
    PumpPending();
    EXPECT_EQ(edit->GetText(), "abc");
}

TEST_F(StdControls, OwnerDrawnButtonDrawsItsGlyphAndClicks)
{
    TBitBtn* button = Make<TBitBtn>();
    button->SetBounds(20, 20, 60, 40);
    button->Glyph().SetSize(16, 16);
    button->Glyph().Canvas().Brush.Color = clLime;
    button->Glyph().Canvas().FillRect({ 0, 0, 16, 16 });
    button->SetDefault(true);
    EXPECT_EQ(GetWindowLongA(button->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    int clicks = 0;
    button->OnClick = [&](TControl&) { ++clicks; };
    button->Invalidate();
    PumpPending();
    EXPECT_EQ(PixelAt(button, 30, 20), 0x00FF00u); // the glyph's middle: the button is 60 wide, glyph 16
    SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    InjectKey(VK_RETURN, 0, form.Handle());
    PumpPending();
    EXPECT_EQ(clicks, 2);
}

TEST_F(StdControls, ImageAndGroupBox)
{
    TGroupBox* group = Make<TGroupBox>();
    group->SetCaption("Group");
    group->SetBounds(10, 10, 200, 150);
    TPanel* inside = Make<TPanel>(group);
    inside->SetAlign(alClient);
    EXPECT_GT(inside->Top(), 0); // below the caption
    TImage* image = Make<TImage>();
    image->SetBounds(250, 20, 40, 40);
    image->Picture().SetSize(40, 40);
    image->Picture().Canvas().Brush.Color = clNavy;
    image->Picture().Canvas().FillRect({ 0, 0, 40, 40 });
    image->Invalidate();
    PumpPending();
    EXPECT_EQ(PixelAt(image, 20, 20), 0x000080u);
}

} // namespace
