// Tests of the plug-in's buttons, check boxes and hot label under Wine: check-state cycles and who
// reported a change, radio groups, flat-button glyph-only captions, toolbar toggling, theme states,
// classic drawing (frame only when hovered or pressed, grey glyph when disabled) and label hover.
#include "framework/Application.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/harness/KeyInjector.h"
#include "framework/harness/WindowCapture.h"
#include "ui/controls/CustRadio.h"
#include "ui/controls/FlatBtn.h"
#include "ui/controls/ToolTip.h"
#include "ui/controls/HotLabel.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class ControlForm : public testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(50, 50, 400, 300);
        form->SetColor(0x00A8C8C7);
        form->HandleNeeded();
    }
    template <typename T> T* Make(int left, int top, int width, int height, const std::string& caption = {})
    {
        T* control = new T(form.get());
        control->SetParent(form.get());
        control->SetBounds(left, top, width, height);
        if (!caption.empty())
            control->SetCaption(caption);
        return control;
    }
    static void MouseClick(TWinControl& control)
    {
        SendMessageA(control.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageA(control.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
    std::unique_ptr<TForm> form;
};

TEST_F(ControlForm, CheckBoxWithGrayedCyclesThroughThreeStatesAndBack)
{
    auto* box = Make<TCustCheckBox>(10, 10, 150, 17, "&Grayed");
    box->AllowGrayed = true;
    std::vector<TCheckState> seen;
    for (int i = 0; i < 3; ++i) {
        MouseClick(*box);
        seen.push_back(box->State());
    }
    EXPECT_EQ(seen, (std::vector<TCheckState> { cbGrayed, cbChecked, cbUnchecked }));
}

TEST_F(ControlForm, CheckBoxIgnoresGrayedStateUnlessAllowed)
{
    auto* box = Make<TCustCheckBox>(10, 10, 150, 17, "Plain");
    box->SetCheckState(cbGrayed);
    EXPECT_EQ(box->State(), cbUnchecked);
    MouseClick(*box);
    EXPECT_TRUE(box->Checked());
    MouseClick(*box);
    EXPECT_FALSE(box->Checked());
}

struct ChangeCase {
    const char* name;
    void (*change)(TCustCheckBox&);
    bool byUser;
};

class CheckBoxChanges : public ControlForm, public testing::WithParamInterface<ChangeCase> { };

TEST_P(CheckBoxChanges, ReportTheControlOnlyForTheUsersChanges)
{
    auto* box = Make<TCustCheckBox>(10, 10, 150, 17, "&Report");
    int calls = 0;
    TCustBtnCtrl* sender = reinterpret_cast<TCustBtnCtrl*>(1);
    box->OnChanged = [&](TCustBtnCtrl* s) {
        ++calls;
        sender = s;
    };
    GetParam().change(*box);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(sender, GetParam().byUser ? box : nullptr);
    EXPECT_TRUE(box->Checked());
}

INSTANTIATE_TEST_SUITE_P(Table, CheckBoxChanges,
    testing::Values(ChangeCase { "ByCode", [](TCustCheckBox& b) { b.SetChecked(true); }, false },
        ChangeCase { "ByMouse",
            [](TCustCheckBox& b) {
                SendMessageA(b.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
                SendMessageA(b.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
            },
            true },
        ChangeCase { "BySpace", [](TCustCheckBox& b) { SendMessageA(b.Handle(), WM_CHAR, ' ', 0); }, true },
        ChangeCase { "ByAccelerator",
            [](TCustCheckBox& b) {
                b.ParentForm()->Show(); // only a control that can take the focus answers its accelerator
                b.DialogChar('r');
            },
            true }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ControlForm, MouseUpWithoutTheCaptureDoesNotClick)
{
    auto* box = Make<TCustCheckBox>(10, 10, 150, 17, "Capture");
    SendMessageA(box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ReleaseCapture();
    SendMessageA(box->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_FALSE(box->Checked());
    EXPECT_FALSE(box->Pressed());
}

TEST_F(ControlForm, RadioButtonsKeepOneCheckedAmongSiblings)
{
    auto* panel = Make<TPanel>(10, 10, 200, 100);
    std::vector<TCustRadioBtn*> radios;
    for (int i = 0; i < 3; ++i) {
        auto* radio = new TCustRadioBtn(form.get());
        radio->SetParent(panel);
        radio->SetBounds(5, 5 + 20 * i, 150, 17);
        radios.push_back(radio);
    }
    auto* outsider = Make<TCustRadioBtn>(10, 150, 150, 17, "Other group");
    outsider->SetChecked(true);
    radios[1]->SetChecked(true);
    EXPECT_FALSE(radios[0]->Checked());
    EXPECT_TRUE(radios[1]->Checked());
    EXPECT_TRUE(outsider->Checked());
    MouseClick(*radios[1]);
    EXPECT_TRUE(radios[1]->Checked());
    MouseClick(*radios[2]);
    EXPECT_FALSE(radios[1]->Checked());
    EXPECT_TRUE(radios[2]->Checked());
}

struct GlyphOnlyCase {
    const char* caption;
    bool glyphOnly;
};

class FlatButtonCaptions : public ControlForm, public testing::WithParamInterface<GlyphOnlyCase> { };

TEST_P(FlatButtonCaptions, AmpersandAndOneLetterMeanGlyphOnly)
{
    auto* button = Make<TFlatBtn>(10, 10, 75, 33, GetParam().caption);
    EXPECT_EQ(button->GlyphOnly(), GetParam().glyphOnly);
}

INSTANTIATE_TEST_SUITE_P(Table, FlatButtonCaptions,
    testing::Values(GlyphOnlyCase { "&S", true }, GlyphOnlyCase { "&&", false }, GlyphOnlyCase { "&Save", false },
        GlyphOnlyCase { "S", false }, GlyphOnlyCase { "&", false }));

TEST_F(ControlForm, FlatButtonShowsItsHintInItsOwnTooltipOverTheWholeButton)
{
    auto* button = Make<TFlatBtn>(10, 10, 75, 33, "&S");
    button->HandleNeeded();
    EXPECT_EQ(button->HintToolTip(), nullptr);
    button->SetHint("&Save the text");
    ASSERT_NE(button->HintToolTip(), nullptr);
    EXPECT_EQ(button->HintToolTip()->GetText(), "&Save the text");
    EXPECT_EQ(button->HintToolTip()->ToolTipStyle(), ttsUnderscore);
    button->SetBounds(10, 10, 90, 40);
    const RECT tool = button->HintToolTip()->ToolRect();
    EXPECT_EQ(tool.right - tool.left, 90);
    EXPECT_EQ(tool.bottom - tool.top, 40);
    button->SetHint("Print");
    EXPECT_EQ(button->HintToolTip()->GetText(), "Print");
}

TEST_F(ControlForm, ToolbarButtonTogglesOnEachClickAndIsNeverDefaultOrCancel)
{
    auto* button = Make<TFlatBtn>(10, 10, 75, 33, "Wrap");
    button->SetDefaultButton(true);
    button->SetCancelButton(true);
    button->SetToolbarStyle(tbsToolbarButton);
    EXPECT_FALSE(button->Default());
    EXPECT_FALSE(button->Cancel);
    button->SetDefaultButton(true);
    EXPECT_FALSE(button->Default());
    int toggles = 0;
    button->OnToggleToolbarButton = [&](TFlatBtn&) { ++toggles; };
    button->Click();
    EXPECT_TRUE(button->BtnDown());
    button->Click();
    EXPECT_FALSE(button->BtnDown());
    EXPECT_EQ(toggles, 2);
}

struct StateCase {
    const char* name;
    TToolBarStyle style;
    bool enabled, pressed, hot, focused, isDefault, down;
    int expected;
};

class FlatButtonThemeStates : public ControlForm, public testing::WithParamInterface<StateCase> { };

TEST_P(FlatButtonThemeStates, FollowTheToolbarStyle)
{
    const StateCase& c = GetParam();
    auto* button = Make<TFlatBtn>(10, 10, 75, 33, "State");
    button->SetToolbarStyle(c.style);
    button->SetBtnDown(c.down);
    button->SetEnabled(c.enabled);
    if (c.hot)
        SendMessageA(button->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    ASSERT_EQ(button->Hot(), c.hot);
    EXPECT_EQ(button->ThemeState(c.pressed, c.focused, c.isDefault), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, FlatButtonThemeStates,
    testing::Values(StateCase { "NoneDisabled", tbsNone, false, true, true, true, true, false, 4 },
        StateCase { "NonePressed", tbsNone, true, true, true, false, false, false, 3 },
        StateCase { "NoneHot", tbsNone, true, false, true, true, false, false, 2 },
        StateCase { "NoneFocused", tbsNone, true, false, false, true, false, false, 5 },
        StateCase { "NoneDefault", tbsNone, true, false, false, false, true, false, 5 },
        StateCase { "NoneNormal", tbsNone, true, false, false, false, false, false, 1 },
        StateCase { "ToolbarUp", tbsToolbarButton, true, false, false, false, false, false, 1 },
        StateCase { "ToolbarDown", tbsToolbarButton, true, false, false, false, false, true, 5 },
        StateCase { "ToolbarHotUp", tbsToolbarButton, true, false, true, false, false, false, 2 },
        StateCase { "ToolbarFocusedDown", tbsToolbarButton, true, false, false, true, false, true, 6 },
        StateCase { "ToolbarPressed", tbsToolbarButton, true, true, false, false, false, true, 3 },
        StateCase { "PushHot", tbsPushButton, true, false, true, false, false, false, 6 },
        StateCase { "PushPlain", tbsPushButton, true, false, false, false, false, false, 1 },
        StateCase { "PushDefault", tbsPushButton, true, false, false, false, true, false, 2 },
        StateCase { "PushDisabled", tbsPushButton, false, false, false, false, false, false, 4 }),
    [](const auto& info) { return std::string(info.param.name); });

// Draws the button into a bitmap through its owner-draw handler.
std::uint32_t DrawAndRead(TFlatBtn& button, UINT itemState, int x, int y, TBitmap& target)
{
    target.SetSize(button.Width(), button.Height());
    DRAWITEMSTRUCT item {};
    item.CtlType = ODT_BUTTON;
    item.hwndItem = button.Handle();
    item.itemState = itemState;
    item.hDC = target.Canvas().Handle();
    item.rcItem = { 0, 0, button.Width(), button.Height() };
    button.Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    GdiFlush();
    return target.Bits()[y * target.Width() + x];
}

std::uint32_t Rgb(TColor color)
{
    const COLORREF c = ColorToRGB(color);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

TEST_F(ControlForm, ClassicFrameShowsWhenHoveredPressedOrAToolbarButton)
{
    auto* button = Make<TFlatBtn>(10, 10, 75, 33, "Frame");
    ASSERT_FALSE(button->Themed());
    TBitmap picture;
    EXPECT_EQ(DrawAndRead(*button, 0, 0, 0, picture), Rgb(form->Color()));
    EXPECT_EQ(DrawAndRead(*button, ODS_SELECTED, 0, 0, picture), Rgb(clBtnShadow));
    SendMessageA(button->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(DrawAndRead(*button, 0, 0, 0, picture), Rgb(clWhite));

    // A toolbar button is raised when up without the mouse over it, and sunk while down.
    auto* toggle = Make<TFlatBtn>(100, 10, 75, 33, "Toggle");
    toggle->SetToolbarStyle(tbsToolbarButton);
    EXPECT_EQ(DrawAndRead(*toggle, 0, 0, 0, picture), Rgb(clWhite));
    toggle->SetBtnDown(true);
    EXPECT_EQ(DrawAndRead(*toggle, 0, 0, 0, picture), Rgb(clBtnShadow));
}

TEST_F(ControlForm, GlyphPixelsAreCopiedWithoutTransparentOnesAndGreyedWhenDisabled)
{
    auto* button = Make<TFlatBtn>(10, 10, 40, 40, "&G");
    TBitmap& glyph = button->Glyph();
    glyph.SetSize(8, 8);
    for (int i = 0; i < 64; ++i)
        glyph.Bits()[i] = (i % 8 < 4) ? 0xFF0000u : 0xFFFFFFu; // left half red, right half white
    glyph.TransparentColor = clWhite;
    const int left = (40 - 8) / 2;
    const int top = (40 - 8) / 2;
    TBitmap picture;
    EXPECT_EQ(DrawAndRead(*button, 0, left + 1, top + 1, picture), 0xFF0000u);
    EXPECT_EQ(picture.Bits()[(top + 1) * picture.Width() + left + 6], Rgb(form->Color()));
    button->SetEnabled(false);
    const std::uint32_t grey = 255 / 6 + 128;
    EXPECT_EQ(DrawAndRead(*button, 0, left + 1, top + 1, picture), (grey << 16) | (grey << 8) | grey);
}

TEST_F(ControlForm, HotLabelMarginOfHalfTheWidthOrMoreIsIgnored)
{
    auto* label = Make<THotLabel>(10, 10, 100, 20, "Margins");
    label->SetHorizontalMargin(50);
    EXPECT_EQ(label->HorizontalMargin(), 0);
    label->SetHorizontalMargin(-20);
    EXPECT_EQ(label->HorizontalMargin(), 20);
    label->SetAlignment(taCenter);
    label->SetBounds(10, 10, 30, 20);
    EXPECT_EQ(label->Width(), 100);
}

TEST_F(ControlForm, HotLabelHoversOnlyOverItsText)
{
    auto* label = Make<THotLabel>(10, 10, 300, 20, "Short link");
    label->SetLinkLabel(true);
    std::vector<bool> reports;
    label->OnTextHover = [&](THotLabel&, bool active) { reports.push_back(active); };
    const RECT text = label->TextRect();
    ASSERT_LT(text.right, 200);
    SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10 + text.left + 2, 10 + 10));
    EXPECT_TRUE(label->Hovering());
    EXPECT_EQ(Screen().Cursor(), 1);
    EXPECT_TRUE(label->Font().Style() & fsBold);
    SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10 + 250, 10 + 10));
    EXPECT_FALSE(label->Hovering());
    EXPECT_EQ(Screen().Cursor(), crDefault);
    EXPECT_EQ(label->Font().Style(), static_cast<TFontStyles>(fsUnderline));
    EXPECT_EQ(reports, (std::vector<bool> { true, false }));
}

TEST_F(ControlForm, HotLabelMeasuresUtf16CaptionsLikeTheirAnsiText)
{
    auto* ansi = Make<THotLabel>(10, 10, 300, 20, "Wide text");
    auto* wide = Make<THotLabel>(10, 40, 300, 20);
    const std::wstring text = L"Wide text";
    std::string bytes(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
    wide->SetCaption(bytes);
    const SIZE a = ansi->TextSize();
    const SIZE w = wide->TextSize();
    EXPECT_EQ(a.cx, w.cx);
    EXPECT_EQ(a.cy, w.cy);
}

TEST_F(ControlForm, HotLabelAcceleratorFocusesItsControl)
{
    auto* edit = Make<TCustCheckBox>(10, 40, 150, 17, "Target");
    auto* label = Make<THotLabel>(10, 10, 100, 20, "&Name");
    label->FocusControl = edit;
    EnsureForeground(form->Handle());
    form->Show();
    PumpPending();
    EXPECT_TRUE(label->DialogChar('n'));
    EXPECT_TRUE(edit->Focused());
    EXPECT_FALSE(label->DialogChar('x'));
}

TEST_F(ControlForm, PictureOfTheControlsIsWritten)
{
    auto* unchecked = Make<TCustCheckBox>(10, 10, 160, 17, "&Unchecked");
    unchecked->SetAlignment(taRightJustify);
    auto* checked = Make<TCustCheckBox>(10, 30, 160, 17, "&Checked");
    checked->SetAlignment(taRightJustify);
    checked->SetChecked(true);
    auto* grayed = Make<TCustCheckBox>(10, 50, 160, 17, "&Grayed");
    grayed->AllowGrayed = true;
    grayed->SetCheckState(cbGrayed);
    auto* radio = Make<TCustRadioBtn>(10, 70, 160, 17, "&Radio on");
    radio->SetAlignment(taRightJustify);
    radio->SetChecked(true);
    auto* other = Make<TCustRadioBtn>(10, 90, 160, 17, "R&adio off");
    other->SetAlignment(taRightJustify);
    auto* disabled = Make<TCustCheckBox>(10, 110, 160, 17, "&Disabled");
    disabled->SetAlignment(taRightJustify);
    disabled->SetChecked(true);
    disabled->SetEnabled(false);
    auto* flat = Make<TFlatBtn>(200, 10, 75, 33, "&Flat");
    auto* hot = Make<TFlatBtn>(200, 50, 75, 33, "&Hot");
    auto* label = Make<THotLabel>(200, 100, 150, 20, "A link label");
    label->SetLinkLabel(true);
    (void)flat;
    form->Show();
    EnsureForeground(form->Handle());
    SendMessageA(hot->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    UpdateWindow(form->Handle());
    PumpPending();
    EXPECT_FALSE(SaveWindowPicture(form->Handle(), "controls").empty());
}

} // namespace
