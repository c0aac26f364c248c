// The search dialog: layout, option boxes shown on request, the focus rules between the text and
// the option boxes, and the routine that runs it for the text controls.
#include "ui/dialogs/SearchDialog.h"

#include <cstdint>

namespace {

constexpr int DesignWidth = 412;
constexpr int DesignHeight = 95;

} // namespace

TSearchDialog::TSearchDialog(IDialogMainObject& mainObject)
    : TZAVEKForm(mainObject)
{
    WindowClassName = "TSearchDialog";
    BorderStyle = bsSingle;
    BorderIcons = biSystemMenu;
    Position = poScreenCenter;
    Font().SetName("Tahoma");
    Font().SetHeight(-11);
    SetClientSize(DesignWidth, DesignHeight);

    pnTop = MakePanel(this, alTop, DesignWidth, 26);
    pnOptions = MakePanel(pnTop, alClient, DesignWidth, 26);
    cbCase = MakeBox(16, 124);
    cbWord = MakeBox(144, 124);
    cbUpwards = MakeBox(272, 124);

    pnButtons = MakePanel(this, alBottom, DesignWidth, 36);
    fbOk = MakeButton(DesignWidth / 2 - 34, mrOk, 100, 107);
    fbOk->SetDefaultButton(true);
    fbCancel = MakeButton(DesignWidth / 2 + 4, mrCancel, 101, 104);
    fbCancel->SetCancelButton(true);

    pnLeft = MakePanel(this, alLeft, 16, 33);
    pnRight = MakePanel(this, alRight, 16, 33);
    pnEdit = new TColoredFramePanel(this);
    pnEdit->SetParent(this);
    pnEdit->SetBevelOuter(bvNone);
    pnEdit->SetBounds(16, 26, DesignWidth - 32, 33);
    pnEdit->SetAlign(alClient);
    pnEdit->SetBorderWidth(4);

    deAnswer = new TDropEdit(this);
    deAnswer->SetPlainText(true);
    deAnswer->SetSingleLine(true);
    deAnswer->SetUrlDetection(false);
    deAnswer->SetAcceptFiles(false);
    deAnswer->SetMaxLength(50);
    deAnswer->BorderVisible = false;
    deAnswer->ScrollBars = ssNone;
    // Selecting on entry is this form's rule (keep-selection), not the control's.
    deAnswer->AutoSelect = false;
    deAnswer->Font().SetName("Segoe UI");
    deAnswer->Font().SetHeight(-13);
    deAnswer->SetParent(pnEdit);
    deAnswer->SetAlign(alClient);
    // The text comes first in the tab order, the option boxes and the buttons after it.
    pnEdit->SetTabOrder(0);
    deAnswer->OnEnter = [this](TWinControl&) { AnswerEnter(); };

    for (TWinControl* control :
        std::initializer_list<TWinControl*> { cbCase, cbWord, cbUpwards, fbOk, fbCancel })
        control->OnExit = [this](TWinControl&) { keepSelection_ = true; };
    for (TCustCheckBox* box : { cbCase, cbWord, cbUpwards })
        box->OnChanged = [this](TCustBtnCtrl* sender) {
            if (sender)
                OptionChanged();
        };
    SetCaption(Texts().GetEntry(109));
}

TPanel* TSearchDialog::MakePanel(TWinControl* parent, TAlign align, int width, int height)
{
    auto* panel = new TPanel(this);
    panel->SetParent(parent);
    panel->SetBevelOuter(bvNone);
    panel->SetBounds(0, 0, width, height);
    panel->SetAlign(align);
    return panel;
}

TCustCheckBox* TSearchDialog::MakeBox(int left, int width)
{
    auto* box = new TCustCheckBox(this);
    box->SetParent(pnOptions);
    box->SetAlignment(taRightJustify);
    box->SetBounds(left, 5, width, 17);
    box->SetTabStop(true);
    return box;
}

TFlatBtn* TSearchDialog::MakeButton(int left, int result, int glyph, int fallbackText)
{
    auto* button = new TFlatBtn(this);
    button->SetParent(pnButtons);
    button->SetBounds(left, 3, 30, 30);
    button->ModalResult = result;
    button->SetTabStop(true);
    TBitmap& bitmap = button->Glyph();
    // The button is named by its text and drawn as the plug-in's glyph when there is one.
    button->SetCaption(Texts().GetEntry(static_cast<uint16_t>(fallbackText)));
    button->CaptionHidden = true;
    if (bitmap.LoadFromResourceId(FrameworkModule(), glyph)) {
        // The bottom-left pixel's colour is the transparent one.
        const std::uint32_t corner = bitmap.Bits()[(bitmap.Height() - 1) * bitmap.Width()];
        bitmap.TransparentColor
            = static_cast<TColor>(((corner & 0xFF) << 16) | (corner & 0xFF00) | ((corner >> 16) & 0xFF));
    } else {
        button->SetBounds(left - 20 * (result == mrOk), 5, 50, 26);
    }
    return button;
}

void TSearchDialog::ApplyColorScheme(bool standard)
{
    TZAVEKForm::ApplyColorScheme(standard);
    deAnswer->SetColor(standard ? clWindow : OwnFieldColor);
}

void TSearchDialog::DoShow()
{
    pnOptions->SetVisible((deAnswer->SearchOptions & stShowOptions) != 0);
    cbCase->SetCaption(Texts().GetEntry(110));
    cbWord->SetCaption(Texts().GetEntry(111));
    cbUpwards->SetCaption(Texts().GetEntry(112));
    TZAVEKForm::DoShow();
}

bool TSearchDialog::DoKeyDown(WORD& key, TShiftState shift)
{
    if (TZAVEKForm::DoKeyDown(key, shift))
        return true;
    switch (key) {
    case VK_RETURN:
        fbOk->Click();
        return true;
    case VK_ESCAPE:
        fbCancel->Click();
        return true;
    case VK_SPACE:
        answerEntered_ = false;
        return false;
    case 'A':
        if (!(shift & ssCtrl))
            return false;
        deAnswer->SelectAll();
        DiscardKeyMessage();
        return true;
    default:
        return false;
    }
}

void TSearchDialog::AnswerEnter()
{
    if (!keepSelection_)
        deAnswer->SelectAll();
    keepSelection_ = false;
    answerEntered_ = true;
}

void TSearchDialog::OptionChanged()
{
    if (!answerEntered_)
        return;
    keepSelection_ = true;
    deAnswer->SetFocus();
}

void ExecuteSearchDialog(IDialogMainObject& main, const std::string& current, const std::string& /*fontName*/,
    TSearchTypes& options, std::string& result)
{
    auto* dialog = new TSearchDialog(main);
    try {
        dialog->deAnswer->SearchOptions = options;
        // The form makes its windows first: a child's window asked for alone would make its
        // parents' windows twice.
        dialog->HandleNeeded();
        dialog->deAnswer->SelectAll();
        dialog->deAnswer->SetText(current);
        if (options & stShowOptions) {
            dialog->cbCase->SetChecked((options & stMatchCase) != 0);
            dialog->cbWord->SetChecked((options & stWholeWord) != 0);
            dialog->cbUpwards->SetChecked(!(options & stDown));
        }
        // The text is the first control in the tab order, so the focus starts there and enters it
        // as the user's first entry (which selects it).
        const int answer = dialog->ShowModal();
        if (answer == mrOk) {
            if (options & stShowOptions) {
                options &= ~static_cast<TSearchTypes>(stMatchCase | stWholeWord | stDown);
                options |= (dialog->cbCase->Checked() ? stMatchCase : 0u)
                    | (dialog->cbWord->Checked() ? stWholeWord : 0u)
                    | (dialog->cbUpwards->Checked() ? 0u : stDown);
            }
            result = (options & stAnsiChar) ? dialog->deAnswer->GetAnsiText() : dialog->deAnswer->GetText();
        } else if (answer == mrCancel) {
            result.clear();
        }
    } catch (...) {
        dialog->CloseDown();
        throw;
    }
    dialog->CloseDown();
}

TSearchDialogProc SearchDialogOf(IDialogMainObject& main)
{
    return
        [&main](const std::string& selected, const std::string& fontName, TSearchTypes& options,
            std::string& searchText) { ExecuteSearchDialog(main, selected, fontName, options, searchText); };
}
