// Tests of the common controls under Wine: up-down with its edit, status bar panels, page control
// with visible and hidden tabs, image lists, and the rich-edit base (text, lines, selection,
// notification, recreation).
#include "framework/ComCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "framework/harness/KeyInjector.h"

#include <gtest/gtest.h>

namespace {

template <typename T> T* Make(TForm& form, TWinControl* parent = nullptr)
{
    T* control = new T(&form);
    control->SetParent(parent ? parent : &form);
    return control;
}

class ControlsForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.SetBounds(50, 50, 420, 320);
        form.Show();
        EnsureForeground(form.Handle());
    }
    TForm form { nullptr };
};

TEST_F(ControlsForm, UpDownShowsItsPositionInTheEditAndReportsArrowKeys)
{
    TEdit* edit = Make<TEdit>(form);
    TUpDown* upDown = Make<TUpDown>(form);
    upDown->Min = 1;
    upDown->Max = 10;
    upDown->SetAssociate(edit);
    upDown->SetPosition(5);
    EXPECT_EQ(edit->GetText(), "5");
    upDown->SetPosition(99);
    EXPECT_EQ(upDown->Position(), 10);
    upDown->SetPosition(4);
    std::vector<bool> clicks;
    int changing = 0;
    upDown->OnChanging = [&](TUpDown&, bool& allow) { allow = ++changing != 2; };
    upDown->OnClick = [&](TUpDown&, bool up) { clicks.push_back(up); };
    // Keys go to the edit itself: the up-down watches its buddy's keys whether focused or not.
    InjectKey(VK_UP, 0, edit->Handle());
    PumpPending();
    InjectKey(VK_UP, 0, edit->Handle()); // refused by OnChanging
    PumpPending();
    InjectKey(VK_DOWN, 0, edit->Handle());
    PumpPending();
    EXPECT_EQ(changing, 3);
    EXPECT_EQ(upDown->Position(), 4);
    EXPECT_EQ(edit->GetText(), "4");
    EXPECT_EQ(clicks, (std::vector<bool> { true, false }));
}

TEST_F(ControlsForm, StatusBarPanelsAndSimpleText)
{
    TStatusBar* bar = Make<TStatusBar>(form);
    bar->SetPanels({ { "one", 80 }, { "two", 100 } });
    bar->SetPanelText(1, "second");
    char text[64] = {};
    SendMessageA(bar->Handle(), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "second");
    EXPECT_EQ(SendMessageA(bar->Handle(), SB_GETPARTS, 0, 0), 2);
    EXPECT_EQ(bar->Top() + bar->Height(), form.ClientHeight()); // aligned to the bottom
    bar->SetSimplePanel(true);
    bar->SetSimpleText("busy");
    EXPECT_TRUE(SendMessageA(bar->Handle(), SB_ISSIMPLE, 0, 0));
}

TEST_F(ControlsForm, PageControlShowsOnlyTheActivePageAndFollowsTabSelection)
{
    TPageControl* pages = Make<TPageControl>(form);
    pages->SetAlign(alClient);
    std::vector<TTabSheet*> sheets;
    for (const char* caption : { "First", "Second", "Third" }) {
        auto* sheet = new TTabSheet(&form);
        sheet->SetPageControl(pages);
        sheet->SetCaption(caption);
        sheets.push_back(sheet);
    }
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_EQ(TabCtrl_GetItemCount(pages->Handle()), 3);
    EXPECT_TRUE(IsWindowVisible(sheets[0]->Handle()));
    EXPECT_FALSE(IsWindowVisible(sheets[1]->Handle()));
    // The sheet lies inside the tab control's display area.
    EXPECT_GT(sheets[0]->Top(), 0);
    EXPECT_LT(sheets[0]->Width(), pages->Width());

    int changes = 0;
    pages->OnChange = [&](TPageControl&) { ++changes; };
    InjectKey(VK_RIGHT, 0, pages->Handle());
    PumpPending();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(pages->ActivePage(), sheets[1]);
    EXPECT_TRUE(IsWindowVisible(sheets[1]->Handle()));
    EXPECT_FALSE(IsWindowVisible(sheets[0]->Handle()));

    pages->OnChanging = [](TPageControl&, bool& allow) { allow = false; };
    InjectKey(VK_RIGHT, 0, pages->Handle());
    PumpPending();
    EXPECT_EQ(pages->ActivePage(), sheets[1]);

    // Hidden tabs: no tab items, the page fills the whole control.
    for (TTabSheet* sheet : sheets)
        sheet->SetTabVisible(false);
    pages->SetActivePageIndex(2);
    EXPECT_EQ(TabCtrl_GetItemCount(pages->Handle()), 0);
    EXPECT_EQ(sheets[2]->Width(), pages->ClientWidth());
    EXPECT_EQ(sheets[2]->Height(), pages->ClientHeight());

    delete sheets[2];
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
}

TEST(ImageList, AddsAndDrawsImages)
{
    TImageList images(nullptr);
    images.SetSize(8, 8);
    TBitmap red(8, 8);
    red.Canvas().Brush.Color = clRed;
    red.Canvas().FillRect({ 0, 0, 8, 8 });
    TBitmap blue(8, 8);
    blue.Canvas().Brush.Color = clBlue;
    blue.Canvas().FillRect({ 0, 0, 8, 8 });
    EXPECT_EQ(images.AddMasked(red, clWhite), 0);
    EXPECT_EQ(images.Add(blue), 1);
    EXPECT_EQ(images.Count(), 2);
    TBitmap target(16, 8);
    images.Draw(target.Canvas(), 8, 0, 1);
    images.Draw(target.Canvas(), 0, 0, 0);
    images.Draw(target.Canvas(), 0, 0, 5); // out of range: nothing
    GdiFlush();
    EXPECT_EQ(target.Bits()[4 * 16 + 2] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(target.Bits()[4 * 16 + 12] & 0xFFFFFF, 0x0000FFu);
    images.Clear();
    EXPECT_EQ(images.Count(), 0);
}

TEST_F(ControlsForm, RichEditTextLinesSelectionAndChange)
{
    ASSERT_FALSE(TRichEdit::ClassName().empty());
    TRichEdit* edit = Make<TRichEdit>(form);
    edit->SetPlainText(true);
    edit->SetBounds(8, 8, 300, 120);
    edit->SetText("first line\r\nsecond \x80 line\r\n");
    EXPECT_EQ(edit->GetText().substr(0, 12), "first line\r\n");
    EXPECT_EQ(edit->Lines().Count(), 2);
    EXPECT_EQ(edit->Lines()[1], "second \x80 line"); // the euro sign of code page 1252 travels both ways
    edit->Lines().Add("third");
    EXPECT_EQ(edit->Lines().Count(), 3);
    EXPECT_EQ(edit->WideText().substr(0, 5), L"first");

    int changes = 0;
    edit->OnChange = [&](TRichEdit&) { ++changes; };
    edit->SetSelStart(0);
    edit->SetSelLength(5);
    EXPECT_EQ(edit->SelText(), "first");
    edit->SetSelText("1st");
    EXPECT_EQ(edit->Lines()[0], "1st line");
    EXPECT_GE(changes, 1);

    edit->SetWordWrap(false); // recreates the window
    EXPECT_EQ(edit->Lines()[0], "1st line");
    EXPECT_EQ(edit->Lines().Count(), 3);
    edit->SetWideText(L"\u0416");
    EXPECT_EQ(edit->WideText(), L"\u0416");

    // Each line break reads back as two characters: the whole text must still come back.
    edit->SetText("one\r\ntwo\r\nthree");
    EXPECT_EQ(edit->GetText(), "one\r\ntwo\r\nthree");
}

} // namespace
