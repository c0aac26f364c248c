// The message dialog: layout, style flags, fitting to the text within the work area, keys, copy
// and key menu, auto-close; and the routines that build it for each common case.
#include "ui/dialogs/MessageDialogs.h"

#include "foundation/StrUtilWin.h"
#include "framework/Application.h"

#include <richedit.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int DesignWidth = 350;
constexpr int DesignHeight = 125;
constexpr int AutoCloseInterval = 5000;
constexpr int TitledAutoCloseInterval = 10000;
constexpr int CheckBoxLeft = 10;
const char* const DialogClassName = "TMessageDialog";

// The text control: centred lines in the form's colour.
class TMessageText : public TRichEdit {
public:
    using TRichEdit::TRichEdit;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TRichEdit::CreateParams(params);
        params.Style |= ES_CENTER;
    }
    void ColorChanged() override
    {
        TRichEdit::ColorChanged();
        if (HandleAllocated())
            SendMessageW(Handle(), EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
    }
};

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos)
            return lines;
        start = end + 1;
    }
}

// Text extents in one font on a screen DC.
class TextMeasure {
public:
    explicit TextMeasure(HFONT font, HWND window = nullptr)
        : window_(window)
        , dc_(GetDC(window))
        , old_(font ? SelectObject(dc_, font) : nullptr)
    {
    }
    ~TextMeasure()
    {
        if (old_)
            SelectObject(dc_, old_);
        ReleaseDC(window_, dc_);
    }
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    // Width of count characters of text (count may take in the terminating zero).
    int Width(const char* text, std::size_t count) const
    {
        SIZE size {};
        GetTextExtentPoint32A(dc_, text, static_cast<int>(count), &size);
        return size.cx;
    }
    int Width(const std::string& text) const { return Width(text.c_str(), text.size()); }
    int LineHeight() const
    {
        TEXTMETRICA metrics {};
        GetTextMetricsA(dc_, &metrics);
        return metrics.tmHeight + metrics.tmExternalLeading;
    }

private:
    HWND window_;
    HDC dc_;
    HGDIOBJ old_;
};

bool PutTextOnClipboard(HWND owner, const std::string& text)
{
    if (!OpenClipboard(owner))
        return false;
    EmptyClipboard();
    bool done = false;
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* bytes = GlobalLock(memory)) {
            std::memcpy(bytes, text.c_str(), text.size() + 1);
            GlobalUnlock(memory);
            done = SetClipboardData(CF_TEXT, memory) != nullptr;
        }
        if (!done)
            GlobalFree(memory);
    }
    CloseClipboard();
    return done;
}

HICON SmallSystemIcon(int id)
{
    const auto shared = static_cast<HICON>(LoadImageA(nullptr, MAKEINTRESOURCEA(id), IMAGE_ICON,
        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    return shared ? CopyIcon(shared) : nullptr;
}

bool MessageDialogIsActive()
{
    char name[64] {};
    const HWND active = GetActiveWindow();
    return active && GetClassNameA(active, name, sizeof(name)) > 0 && lstrcmpiA(name, DialogClassName) == 0;
}

// A button caption with its first letter as accelerator.
std::string WithAccelerator(const std::string& text)
{
    std::string caption(1, '&');
    caption += text;
    return caption;
}

int StyleOr(int style, int fallback)
{
    return style != 0 ? style : fallback;
}

} // namespace

TMessageDialog::TMessageDialog(IDialogMainObject& mainObject)
    : TZAVEKForm(mainObject)
{
    WindowClassName = DialogClassName;
    BorderStyle = bsSingle;
    BorderIcons = biSystemMenu;
    Font().SetName("Arial");
    Font().SetHeight(-13);
    Font().SetColor(clBlack);
    BuildLayout();
    // The window starts at its minimum width, centred on the screen; fitting centres it again.
    const RECT area = ScreenWorkArea(nullptr);
    const int minimumWidth = GetSystemMetrics(SM_CXMINTRACK);
    SetBounds(area.left + (area.right - area.left - minimumWidth) / 2,
        area.top + (area.bottom - area.top - Height()) / 2, Width(), Height());
    RemoveCloseCommand();
}

TPanel* TMessageDialog::MakePanel(TWinControl* parent, TAlign align, int width, int height)
{
    auto* panel = new TPanel(this);
    panel->SetParent(parent);
    panel->SetBevelOuter(bvNone);
    panel->SetBounds(0, 0, width, height);
    panel->SetAlign(align);
    return panel;
}

TFlatBtn* TMessageDialog::MakeButton(TWinControl* parent, int left, int top, int width, int height, int result)
{
    auto* button = new TFlatBtn(this);
    button->SetParent(parent);
    button->SetBounds(left, top, width, height);
    button->ModalResult = result;
    button->SetTabStop(true);
    return button;
}

void TMessageDialog::BuildLayout()
{
    SetClientSize(DesignWidth, DesignHeight);
    const TZAVEKStringList& texts = Texts();

    pnTop = MakePanel(this, alTop, DesignWidth, 28);
    hlTop = new THotLabel(this);
    hlTop->SetParent(pnTop);
    hlTop->SetBounds(0, 0, DesignWidth, 28);
    hlTop->SetAlign(alClient);
    hlTop->SetAlignment(taCenter);
    hlTop->SetHorizontalMargin(8);

    pnBottom = MakePanel(this, alBottom, DesignWidth, 36);
    pnButtons = MakePanel(pnBottom, alNone, 106, 36);
    fbOk = MakeButton(pnButtons, 38, 3, 30, 30, mrOk);
    TBitmap& glyph = fbOk->Glyph();
    // The button says what it does, drawn as the plug-in's glyph when there is one.
    fbOk->SetCaption(texts.GetEntry(107));
    fbOk->CaptionHidden = true;
    if (glyph.LoadFromResourceId(FrameworkModule(), 100)) {
        // As with every button glyph, the bottom-left pixel's colour is the transparent one.
        const std::uint32_t corner = glyph.Bits()[(glyph.Height() - 1) * glyph.Width()];
        glyph.TransparentColor = static_cast<TColor>(
            ((corner & 0xFF) << 16) | (corner & 0xFF00) | ((corner >> 16) & 0xFF));
    }
    pnYesNo = MakePanel(pnButtons, alClient, 106, 36);
    fbYes = MakeButton(pnYesNo, 2, 5, 49, 26, mrYes);
    fbYes->SetCaption(WithAccelerator(texts.GetEntry(105)));
    fbNo = MakeButton(pnYesNo, 55, 5, 49, 26, mrNo);
    fbNo->SetCaption(WithAccelerator(texts.GetEntry(106)));
    pnYesNo->Hide();
    pnCustom = MakePanel(pnBottom, alNone, DesignWidth, 36);
    fbLeft = MakeButton(pnCustom, 22, 5, 90, 26, mrYes);
    fbLeft->SetCaption(fbYes->Caption());
    fbMiddle = MakeButton(pnCustom, 130, 5, 90, 26, mrCancel);
    fbMiddle->SetCaption(texts.GetEntry(104));
    fbRight = MakeButton(pnCustom, 238, 5, 90, 26, mrNo);
    fbRight->SetCaption(fbNo->Caption());
    pnCustom->Hide();

    pnInput = MakePanel(this, alBottom, DesignWidth, 26);
    cbHideDialog = new TCustCheckBox(this);
    cbHideDialog->SetParent(pnInput);
    cbHideDialog->SetAlignment(taRightJustify);
    cbHideDialog->SetBounds(CheckBoxLeft, 4, 330, 17);

    pnText = MakePanel(this, alClient, DesignWidth, DesignHeight - 28 - 36 - 26);
    pnText->SetBorderWidth(10);
    reText = new TMessageText(this);
    reText->SetPlainText(true);
    reText->SetReadOnly(true);
    reText->SetWordWrap(false);
    reText->BorderVisible = false;
    reText->ScrollBars = ssNone;
    reText->SetTabStop(false);
    reText->SetParent(pnText);
    reText->SetAlign(alClient);
    reText->OnMouseDown = [this](TControl&, TMouseButton button, TShiftState, int x, int y) {
        TextMouseDown(button, x, y);
    };

    tmPopup = new TTimer(this);
    tmPopup->SetEnabled(false);
    tmPopup->SetInterval(AutoCloseInterval);
    tmPopup->OnTimer = [this](TTimer& timer) {
        timer.SetEnabled(false);
        SetModalResult(mrCancel);
    };

    pmMessage = new TPopupMenu(this);
    pmMessage->AutoPopup = false;
    miSelectAll = new TMenuItem(this);
    miCopySelection = new TMenuItem(this);
    for (TMenuItem* item : { miSelectAll, miCopySelection }) {
        item->OnClick = [this](TMenuItem& chosen) { MenuClick(chosen); };
        pmMessage->Items().Add(item);
    }
    pmMessage->OnPopup = [this](TPopupMenu&) {
        miSelectAll->Caption = Texts().GetEntry(98);
        miCopySelection->Caption = Texts().GetEntry(99);
    };
}

void TMessageDialog::ApplyDialogStyle(int style, HICON icon)
{
    defaultButton_ = fbOk;
    cancelButton_ = fbNo;
    Font().SetStyle(Font().Style() | fsBold);
    // Only the icon bits: MessageBeep knows a sound per icon kind, and any other value (a question
    // with its yes/no and default-button bits, say) plays the plain default sound instead of the
    // question's.
    MessageBeep(static_cast<UINT>(style & 0xF0));

    struct Kind {
        int flag;
        int iconId;
        int captionText;
    };
    static constexpr Kind kinds[] = { { mdIconError, 32513, 100 }, { mdIconQuestion, 32514, 103 },
        { mdIconWarning, 32515, 101 }, { mdIconInformation, 32516, 102 } };
    std::string caption = "ZA-VEK - ";
    for (const Kind& kind : kinds) {
        if ((style & 0xF0) != kind.flag)
            continue;
        Icon().SetHandle(icon ? CopyIcon(icon) : SmallSystemIcon(kind.iconId));
        caption += Texts().GetEntry(static_cast<uint16_t>(kind.captionText));
        if (kind.flag == mdIconQuestion)
            fbOk->Hide();
    }
    if (icon && !(style & 0xF0))
        Icon().SetHandle(CopyIcon(icon));
    ApplyIcon();
    SetCaption(caption);

    const int buttons = style & 0x0F;
    if (buttons != 0)
        fbOk->Hide();
    if (buttons == mdButtonsYesNoCancel) {
        // The two-button panel would lie over the middle of the three.
        pnButtons->Hide();
        pnCustom->Show();
        defaultButton_ = (style & 0xF00) == mdDefaultSecond ? fbMiddle
            : (style & 0xF00) == mdDefaultThird           ? fbRight
                                                          : fbLeft;
        cancelButton_ = fbMiddle;
    } else if (buttons == mdButtonsYesNo) {
        pnYesNo->Show();
        defaultButton_ = (style & 0xF00) == mdDefaultSecond ? fbNo : fbYes;
        cancelButton_ = fbNo;
    }
    for (TFlatBtn* button : { fbOk, fbYes, fbNo, fbLeft, fbMiddle, fbRight }) {
        button->SetDefaultButton(button == defaultButton_);
        button->SetCancelButton(button == cancelButton_);
    }
}

void TMessageDialog::SetTitle(const std::string& title)
{
    hlTop->SetCaption(title);
    if (!title.empty())
        tmPopup->SetInterval(TitledAutoCloseInterval);
}

void TMessageDialog::SetMessageText(const std::string& text)
{
    // Kept as given: the control hands its text back with its own line breaks.
    messageText_ = text;
    reText->SetText(text);
}

void TMessageDialog::SetAutoClose(bool value)
{
    tmPopup->SetEnabled(value);
}

void TMessageDialog::SetHideCaption(const std::string& caption)
{
    cbHideDialog->SetCaption(caption);
}

void TMessageDialog::UseTwoChoices(
    const std::string& caption, const std::string& leftCaption, const std::string& rightCaption)
{
    SetCaption("ZA-VEK - " + caption);
    fbMiddle->Hide();
    fbLeft->SetCaption(leftCaption);
    fbRight->SetCaption(rightCaption);
    const int shift = (fbRight->Left() - (fbLeft->Left() + fbLeft->Width())) / 4;
    fbLeft->SetLeft(fbLeft->Left() + shift);
    fbRight->SetLeft(fbRight->Left() - shift);
}

void TMessageDialog::FitCustomButtons()
{
    // Each button as wide as its widest caption needs, the margins and gaps kept: a translated or
    // long caption is never cut.
    std::vector<TFlatBtn*> shown;
    for (TFlatBtn* button : { fbLeft, fbMiddle, fbRight })
        if (button->Visible())
            shown.push_back(button);
    if (shown.empty())
        return;
    const TextMeasure measure(Font().Handle());
    const int padding = measure.Width("MM");
    int buttonWidth = shown.front()->Width();
    for (TFlatBtn* button : shown)
        buttonWidth = std::max(buttonWidth, measure.Width(StripAccelerator(button->Caption())) + padding);
    const int margin = shown.front()->Left();
    const int gap = shown.size() > 1 ? shown[1]->Left() - (shown[0]->Left() + shown[0]->Width()) : 0;
    int left = margin;
    for (TFlatBtn* button : shown) {
        button->SetLeft(left);
        button->SetWidth(buttonWidth);
        left += buttonWidth + gap;
    }
    pnCustom->SetWidth(std::max(pnCustom->Width(), left - gap + margin));
}

void TMessageDialog::FitToText()
{
    HandleNeeded();
    AlignControls();
    int width = ClientWidth();
    int height = ClientHeight();

    {
        const TextMeasure measure(Font().Handle());
        const std::vector<std::string> lines = SplitLines(messageText_);
        int widest = 0;
        for (const std::string& line : lines)
            widest = std::max(widest, measure.Width(line.c_str(), line.size() + 1));
        const int needed = measure.LineHeight() * static_cast<int>(lines.size());
        if (reText->Width() < widest || reText->Height() < needed) {
            width += widest - reText->Width();
            height += needed - reText->Height();
        }
        if (!hlTop->Caption().empty()) {
            width = std::max(width, measure.Width(hlTop->Caption()) + 16);
            pnTop->Show();
        } else {
            height -= pnTop->Height();
            pnTop->Hide();
        }
        if (!cbHideDialog->Caption().empty()) {
            const int box = measure.Width(StripAccelerator(cbHideDialog->Caption())) + 13 + 12;
            cbHideDialog->SetWidth(box);
            width = std::max(width, box + 2 * CheckBoxLeft);
            pnInput->Show();
        } else {
            height -= pnInput->Height();
            pnInput->Hide();
        }
        if (pnCustom->Visible()) {
            FitCustomButtons();
            width = std::max(width, pnCustom->Width());
        }
    }
    {
        // The caption in the window's own DC, capped at the owner's width.
        const TextMeasure measure(nullptr, Handle());
        const std::string caption = Caption();
        int captionWidth = measure.Width(caption.c_str(), caption.size() + 1) + GetSystemMetrics(SM_CXSMICON)
            + GetSystemMetrics(SM_CXSIZE);
        RECT owner {};
        const HWND ownerWindow = GetWindow(Handle(), GW_OWNER);
        if (ownerWindow && GetWindowRect(ownerWindow, &owner))
            captionWidth = std::min<int>(captionWidth, owner.right - owner.left);
        width = std::max(width, captionWidth);
    }

    // Never larger than the work area: a long text scrolls instead of pushing the buttons off it.
    const RECT area = ScreenWorkArea(Handle());
    const int frameWidth = Width() - ClientWidth();
    const int frameHeight = Height() - ClientHeight();
    const int maxWidth = (area.right - area.left) - frameWidth;
    const int maxHeight = (area.bottom - area.top) - frameHeight;
    if (width > maxWidth || height > maxHeight) {
        width = std::min(width, maxWidth);
        height = std::min(height, maxHeight);
        reText->ScrollBars = ssBoth;
        reText->RecreateWnd();
    }
    SetClientSize(width, height);
    // Centred over the window it belongs to (the screen when it has none), and on the work area:
    // a text that made it wider does not push it off to one side.
    RECT over = area;
    const HWND ownerWindow = GetWindow(Handle(), GW_OWNER);
    if (ownerWindow && IsWindowVisible(ownerWindow))
        GetWindowRect(ownerWindow, &over);
    const int centredLeft = (over.left + over.right - Width()) / 2;
    const int centredTop = (over.top + over.bottom - Height()) / 2;
    const int left = std::max<int>(area.left, std::min<int>(centredLeft, area.right - Width()));
    const int top = std::max<int>(area.top, std::min<int>(centredTop, area.bottom - Height()));
    SetBounds(left, top, Width(), Height());
    AlignControls();

    pnButtons->SetLeft((pnBottom->ClientWidth() - pnButtons->Width()) / 2);
    pnCustom->SetLeft((pnBottom->ClientWidth() - pnCustom->Width()) / 2);
    cbHideDialog->SetLeft((ClientWidth() - cbHideDialog->Width()) / 2);
}

void TMessageDialog::DoShow()
{
    TZAVEKForm::DoShow();
    // The text lies on the dialog's face, not in a field.
    reText->SetColor(Color());
    FitToText();
    if (defaultButton_ && defaultButton_->Visible())
        SetActiveControl(defaultButton_);
}

bool TMessageDialog::ClickAccelerator(char c)
{
    for (TFlatBtn* button : { fbOk, fbYes, fbNo, fbLeft, fbMiddle, fbRight }) {
        if (button->CanFocus() && IsAccel(c, button->Caption())) {
            DiscardKeyMessage();
            button->Click();
            return true;
        }
    }
    return false;
}

bool TMessageDialog::DoKeyDown(WORD& key, TShiftState shift)
{
    if (TZAVEKForm::DoKeyDown(key, shift))
        return true;
    if (shift & ssShift)
        return false;
    bool handled = false;
    if (key == VK_RETURN || key == VK_ESCAPE) {
        if (defaultButton_ == fbOk) {
            SetModalResult(fbOk->ModalResult);
            handled = true;
        } else if (key == VK_ESCAPE && cancelButton_) {
            SetModalResult(cancelButton_->ModalResult);
            handled = true;
        } else if (auto* focused = dynamic_cast<TFlatBtn*>(ActiveControl()); focused && focused->CanFocus()) {
            focused->Click();
            handled = true;
        }
    } else if ((shift & ssCtrl) && key == 'A') {
        reText->SetFocus();
        reText->SelectAll();
        handled = true;
    } else if ((shift & ssCtrl) && key == 'C') {
        if (reText->SelLength() == 0) {
            CopyWholeText();
            DiscardKeyMessage();
        } else {
            reText->Perform(WM_COPY);
        }
        handled = true;
    } else if (!(shift & (ssCtrl | ssAlt)) && key > VK_SPACE) {
        const auto c = static_cast<char>(MapVirtualKeyA(key, MAPVK_VK_TO_CHAR));
        handled = c > ' ' && ClickAccelerator(c);
    }
    if (handled)
        key = 0;
    return handled;
}

void TMessageDialog::CopyWholeText()
{
    PutTextOnClipboard(Handle(), messageText_);
}

void TMessageDialog::MenuClick(TMenuItem& item)
{
    reText->SetFocus();
    if (&item == miSelectAll)
        reText->SelectAll();
    else
        reText->Perform(WM_COPY);
}

void TMessageDialog::PopupAt(int x, int y)
{
    pmMessage->PopupComponent = reText;
    pmMessage->Popup(x, y);
}

void TMessageDialog::TextMouseDown(TMouseButton button, int x, int y)
{
    if (button != mbRight)
        return;
    if (fbOk->Visible() && MainObject().ShowKeyMenuForText(Handle(), messageText_))
        return;
    const POINT screen = reText->ClientToScreen({ x, y });
    PopupAt(screen.x, screen.y);
}

void TMessageDialog::WndProc(TMessage& message)
{
    if (message.Msg == WM_CONTEXTMENU) {
        // Only the keyboard's menu key opens the copy menu here; the mouse opens it on the text.
        if (GET_X_LPARAM(message.LParam) == -1 && GET_Y_LPARAM(message.LParam) == -1)
            PopupAt(Left() + Width() / 2, Top() + Height() / 2);
        return;
    }
    TZAVEKForm::WndProc(message);
}

// ---- Routines ----

namespace {

// Builds, shows and closes one dialog; returns the modal result (0 when it could not be made).
int RunDialog(IDialogMainObject& main, const std::function<void(TMessageDialog&)>& prepare,
    bool* hideChecked = nullptr)
{
    TMessageDialog* dialog = nullptr;
    try {
        dialog = new TMessageDialog(main);
    } catch (...) {
        ReportBoundaryException("TMessageDialog");
        return mrNone;
    }
    int result = mrNone;
    try {
        prepare(*dialog);
        result = dialog->ShowModal();
        if (hideChecked)
            *hideChecked = dialog->HideChecked();
    } catch (...) {
        dialog->CloseDown();
        throw;
    }
    dialog->CloseDown();
    return result;
}

int BuildAndAsk(IDialogMainObject& main, int style, const std::string& text, const std::string& checkCaption,
    bool& ticked)
{
    return RunDialog(
        main,
        [&](TMessageDialog& dialog) {
            dialog.SetHideCaption(checkCaption);
            dialog.ApplyDialogStyle(style);
            dialog.SetMessageText(text);
        },
        &ticked);
}

} // namespace

void ShowMessageDialog(IDialogMainObject& main, int style, HICON icon, const std::string& title,
    const std::string& text, const std::string& hideCaption, bool autoClose, bool& hideChecked)
{
    if (MessageDialogIsActive())
        return;
    RunDialog(
        main,
        [&](TMessageDialog& dialog) {
            dialog.SetHideCaption(hideCaption);
            dialog.ApplyDialogStyle(style, icon);
            dialog.SetTitle(title);
            dialog.SetMessageText(text);
            dialog.SetAutoClose(autoClose);
        },
        &hideChecked);
}

namespace {

void Show(IDialogMainObject& main, int style, HICON icon, const std::string& title, const std::string& text,
    bool autoClose)
{
    bool unused = false;
    ShowMessageDialog(main, style, icon, title, text, {}, autoClose, unused);
}

} // namespace

void ShowSystemError(IDialogMainObject& main, const std::string& format, DWORD code)
{
    if (code == 0)
        return;
    const std::string system = SystemErrorText(code);
    const std::size_t place = format.find("%s");
    ShowError(main, place == std::string::npos ? format : format.substr(0, place) + system + format.substr(place + 2));
}

void ShowError(IDialogMainObject& main, const std::string& text)
{
    Show(main, mdIconError, nullptr, {}, text, false);
}

void ShowPrintFailure(IDialogMainObject& main, const EPrintFailure& failure)
{
    enum : uint16_t { TextPrinterNotOpened = 451, TextJobRefused = 452, TextPageNotPrinted = 453 };
    const uint16_t id = failure.Kind() == TPrintFailure::PrinterNotOpened ? TextPrinterNotOpened
        : failure.Kind() == TPrintFailure::JobRefused                  ? TextJobRefused
                                                                        : TextPageNotPrinted;
    std::string text = main.Texts().GetEntry(id);
    const std::size_t place = text.find("%s");
    if (place != std::string::npos)
        text.replace(place, 2, failure.Message());
    ShowError(main, text);
}

void ShowWarning(IDialogMainObject& main, const std::string& text)
{
    Show(main, mdIconWarning, nullptr, {}, text, false);
}

void ShowWarningWithIcon(IDialogMainObject& main, HICON icon, const std::string& text)
{
    Show(main, mdIconWarning, icon, {}, text, false);
}

bool ShowWarningWithCheck(IDialogMainObject& main, const std::string& text, const std::string& checkCaption)
{
    bool ticked = false;
    ShowMessageDialog(main, mdIconWarning, nullptr, {}, text, checkCaption, false, ticked);
    return ticked;
}

void ShowInfo(IDialogMainObject& main, const std::string& text)
{
    Show(main, mdIconInformation, nullptr, {}, text, false);
}

void ShowInfoWithIcon(IDialogMainObject& main, HICON icon, const std::string& text)
{
    Show(main, mdIconInformation, icon, {}, text, false);
}

void ShowInfoAutoClose(IDialogMainObject& main, HICON icon, const std::string& text)
{
    Show(main, mdIconInformation, icon, {}, text, true);
}

void ShowTitledInfo(IDialogMainObject& main, HICON icon, const std::string& title, const std::string& text)
{
    Show(main, mdIconInformation, icon, title, text, true);
}

void ShowInfoWithCheck(IDialogMainObject& main, const std::string& text, const std::string& checkCaption, bool& ticked)
{
    ShowMessageDialog(main, mdIconInformation, nullptr, {}, text, checkCaption, true, ticked);
}

int AskYesNo(IDialogMainObject& main, int style, const std::string& text, const std::string& checkCaption, bool& ticked)
{
    return BuildAndAsk(main, StyleOr(style, 0x24), text, checkCaption, ticked);
}

bool ConfirmYes(IDialogMainObject& main, const std::string& text)
{
    bool unused = false;
    return AskYesNo(main, 0x24, text, {}, unused) == mrYes;
}

bool ConfirmYesWithCheck(IDialogMainObject& main, const std::string& text, const std::string& checkCaption, bool& ticked)
{
    return AskYesNo(main, 0x24, text, checkCaption, ticked) == mrYes;
}

bool ConfirmNo(IDialogMainObject& main, const std::string& text)
{
    bool unused = false;
    return AskYesNo(main, 0x124, text, {}, unused) == mrNo;
}

int AskYesNoCancelEx(
    IDialogMainObject& main, int style, const std::string& text, const std::string& checkCaption, bool& ticked)
{
    return BuildAndAsk(main, StyleOr(style, 0x23), text, checkCaption, ticked);
}

int AskYesNoCancel(IDialogMainObject& main, const std::string& text)
{
    bool unused = false;
    return AskYesNoCancelEx(main, 0x23, text, {}, unused);
}

int AskYesNoCancelWithCheck(
    IDialogMainObject& main, const std::string& text, const std::string& checkCaption, bool& ticked)
{
    return AskYesNoCancelEx(main, 0x123, text, checkCaption, ticked);
}

int AskThreeButtons(IDialogMainObject& main, int mode, const std::string& caption, const std::string& text,
    const std::string& leftCaption, const std::string& rightCaption, const std::string& checkCaption, bool& ticked)
{
    const int style = mode == mdDefaultThird ? 0x233 : 0x23;
    return RunDialog(
        main,
        [&](TMessageDialog& dialog) {
            dialog.SetHideCaption(checkCaption);
            dialog.ApplyDialogStyle(style);
            dialog.UseTwoChoices(caption, leftCaption, rightCaption);
            dialog.SetMessageText(text);
        },
        &ticked);
}

bool ConfirmLeftChoice(IDialogMainObject& main, const std::string& caption, const std::string& text,
    const std::string& leftCaption, const std::string& rightCaption)
{
    bool unused = false;
    return AskThreeButtons(main, 0, caption, text, leftCaption, rightCaption, {}, unused) == mrYes;
}

bool ConfirmRightChoice(IDialogMainObject& main, const std::string& caption, const std::string& text,
    const std::string& leftCaption, const std::string& rightCaption, const std::string& checkCaption, bool& ticked)
{
    return AskThreeButtons(main, mdDefaultThird, caption, text, leftCaption, rightCaption, checkCaption, ticked)
        == mrNo;
}
