// The edits with the oversize tooltip, the digit-mask edit and the spin edit.
#include "ui/controls/MaskEdEx.h"

#include <algorithm>
#include <cctype>

// ---- TEditTip ----

void TEditTip::Create()
{
    tip_ = new TToolTip(&edit_);
    tip_->FixedPos = true;
    tip_->OversizeOnly = true;
    // A borderless edit's text starts where the frame would be: the tip moves out by its width.
    tip_->OnGetToolTipOrigin = [this](POINT& topLeft) {
        if (!edit_.BorderVisible) {
            topLeft.x -= GetSystemMetrics(SM_CXBORDER);
            topLeft.y -= GetSystemMetrics(SM_CYBORDER);
        }
    };
    Refresh();
}

void TEditTip::Destroy() noexcept
{
    delete tip_;
    tip_ = nullptr;
}

void TEditTip::Refresh()
{
    if (tip_)
        tip_->SetText(edit_.GetText());
}

void TEditTip::MouseEnter()
{
    Refresh();
}

void TEditTip::MouseLeave()
{
    if (edited_)
        Refresh();
    edited_ = false;
}

void TEditTip::After(const TMessage& message)
{
    if (message.Msg == WM_SETTEXT)
        Refresh();
}

bool TEditTip::Before(TMessage& message)
{
    switch (message.Msg) {
    case WM_CONTEXTMENU: {
        POINT point { static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam)) };
        if (message.LParam == -1 || !edit_.Parent())
            return false;
        ScreenToClient(edit_.Handle(), &point);
        const RECT client = edit_.ClientRect();
        if (PtInRect(&client, point))
            return false;
        message.Result = SendMessageA(edit_.Parent()->Handle(), WM_CONTEXTMENU, message.WParam, message.LParam);
        return true;
    }
    case WM_DESTROY:
        Destroy();
        return false;
    case CN_COMMAND:
        if (HIWORD(message.WParam) == EN_CHANGE)
            edited_ = true;
        return false;
    default:
        return false;
    }
}

// ---- TEditEx ----

TEditEx::TEditEx(TComponent* owner)
    : TEdit(owner)
    , tip_(*this)
{
}

TEditEx::~TEditEx()
{
    DestroyHandle();
}

void TEditEx::CreateWindowHandleDone()
{
    TEdit::CreateWindowHandleDone();
    tip_.Create();
}

void TEditEx::MouseEnter()
{
    tip_.MouseEnter();
    TEdit::MouseEnter();
}

void TEditEx::MouseLeave()
{
    tip_.MouseLeave();
    TEdit::MouseLeave();
}

void TEditEx::WndProc(TMessage& message)
{
    if (tip_.Before(message))
        return;
    TEdit::WndProc(message);
    tip_.After(message);
}

// ---- TMaskEdEx ----

TMaskEdEx::TMaskEdEx(TComponent* owner)
    : TEdit(owner)
    , tip_(*this)
{
}

TMaskEdEx::~TMaskEdEx()
{
    DestroyHandle();
}

void TMaskEdEx::SetEditMask(const std::string& mask)
{
    editMask_ = mask;
    const std::string digits = mask.substr(0, mask.find(';'));
    const bool digitMask = !digits.empty() && digits.find_first_not_of('9') == std::string::npos;
    maskDigits_ = digitMask ? static_cast<int>(digits.size()) : 0;
    if (digitMask)
        SetMaxLength(maskDigits_);
}

void TMaskEdEx::CreateWindowHandleDone()
{
    TEdit::CreateWindowHandleDone();
    tip_.Create();
}

void TMaskEdEx::MouseEnter()
{
    tip_.MouseEnter();
    TEdit::MouseEnter();
}

void TMaskEdEx::MouseLeave()
{
    tip_.MouseLeave();
    TEdit::MouseLeave();
}

void TMaskEdEx::DoExit()
{
    TEdit::DoExit();
    if (OnEditLeave)
        OnEditLeave(*this, 0);
}

bool TMaskEdEx::DoKeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_RETURN)
        key = VK_TAB;
    if (key == VK_TAB && OnEditLeave)
        OnEditLeave(*this, VK_TAB);
    return TEdit::DoKeyDown(key, shift);
}

bool TMaskEdEx::DoKeyPress(char& key)
{
    const auto c = static_cast<unsigned char>(key);
    if (maskDigits_ > 0 && c >= ' ' && c != ' ' && !std::isdigit(c)) {
        key = 0;
        return true;
    }
    return TEdit::DoKeyPress(key);
}

void TMaskEdEx::WndProc(TMessage& message)
{
    if (message.Msg == WM_COPY && OnCopy) {
        OnCopy(*this);
        return;
    }
    if (message.Msg == WM_PASTE && OnPaste) {
        OnPaste(*this);
        return;
    }
    if (tip_.Before(message))
        return;
    TEdit::WndProc(message);
    tip_.After(message);
}

// ---- TSpinEdEx ----

TSpinEdEx::TSpinEdEx(TComponent* owner)
    : TMaskEdEx(owner)
{
    SetTabStop(true);
    SetMaxLength(RangeTextLength(range_));
}

void TSpinEdEx::CreateWindowHandleDone()
{
    TMaskEdEx::CreateWindowHandleDone();
    // A window made again keeps its up-down (whose own window comes back with it).
    if (!upDown_) {
        upDown_ = new TUpDown(this);
        upDown_->Min = range_.Min;
        upDown_->Max = range_.Max;
        upDown_->SetParent(this);
        upDown_->OnMouseDown = [this](TControl&, TMouseButton, TShiftState, int, int) {
            if (!ReadOnly() && !Focused())
                SetFocus();
        };
    }
    upDown_->SetEnabled(Enabled());
    PlaceUpDown();
    upDown_->SetPosition(Value());
}

void TSpinEdEx::PlaceUpDown()
{
    if (!upDown_ || !HandleAllocated())
        return;
    const RECT client = ClientRect();
    const int width = std::min<int>(GetSystemMetrics(SM_CXVSCROLL), client.right);
    upDown_->SetBounds(client.right - width, 0, width, client.bottom);
    // The text stops where the buttons begin.
    SendMessageA(Handle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELONG(0, width));
}

void TSpinEdEx::Resize()
{
    TMaskEdEx::Resize();
    PlaceUpDown();
}

void TSpinEdEx::EnabledChanged()
{
    TMaskEdEx::EnabledChanged();
    if (upDown_)
        upDown_->SetEnabled(Enabled());
}

void TSpinEdEx::SetMinValue(int value)
{
    range_.Min = value;
    RangeChanged();
}

void TSpinEdEx::SetMaxValue(int value)
{
    range_.Max = value;
    RangeChanged();
}

void TSpinEdEx::RangeChanged()
{
    SetMaxLength(RangeTextLength(range_));
    if (!upDown_)
        return;
    upDown_->Min = range_.Min;
    upDown_->Max = range_.Max;
    SendMessageA(upDown_->Handle(), UDM_SETRANGE32, static_cast<WPARAM>(range_.Min), range_.Max);
}

int TSpinEdEx::Value()
{
    return ClampToRange(ParseSpinNumber(GetText()).value_or(range_.Min), range_);
}

void TSpinEdEx::SetValue(int value)
{
    const std::string old = GetText();
    const int selStart = HandleAllocated() ? SelStart() : 0;
    const int selLength = HandleAllocated() ? SelLength() : 0;
    SetText(SpinText(value, range_));
    if (HandleAllocated()) {
        if (selLength < static_cast<int>(old.size())) {
            SetSelStart(selStart);
            SetSelLength(selLength);
        } else {
            SelectAll();
        }
    }
    TextEdited();
}

// While typing only the maximum binds, so that every number of the range can be typed digit by
// digit; the minimum binds when the field is left and when Value is read.
void TSpinEdEx::TextEdited()
{
    if (changing_)
        return;
    const auto number = ParseSpinNumber(GetText());
    if (!number) {
        // An empty field is the minimum where the minimum shows blank.
        if (upDown_ && range_.BlankAtMinimum)
            upDown_->SetPosition(range_.Min);
        return;
    }
    const int typed = ClampWhileTyping(*number, range_);
    if (typed != *number) {
        changing_ = true;
        SetText(std::to_string(typed));
        SetSelStart(static_cast<int>(GetText().size()));
        changing_ = false;
    }
    if (upDown_)
        upDown_->SetPosition(ClampToRange(typed, range_));
}

void TSpinEdEx::DoExit()
{
    const auto number = ParseSpinNumber(GetText());
    if (!number || *number < range_.Min)
        SetValue(Value());
    TMaskEdEx::DoExit();
}

void TSpinEdEx::Step(int delta)
{
    SetValue(StepSpinValue(Value(), delta, range_));
}

bool TSpinEdEx::DoKeyDown(WORD& key, TShiftState shift)
{
    if (!ReadOnly()) {
        switch (key) {
        case VK_UP:
            Step(Increment);
            return true;
        case VK_DOWN:
            Step(-Increment);
            return true;
        case VK_PRIOR:
            SetValue(range_.Max);
            return true;
        case VK_NEXT:
            SetValue(range_.Min);
            return true;
        default:
            break;
        }
    }
    return TMaskEdEx::DoKeyDown(key, shift);
}

bool TSpinEdEx::DoKeyPress(char& key)
{
    if (!ReadOnly()) {
        if (key == '+' || key == '-') {
            Step(key == '+' ? Increment : -Increment);
            key = 0;
            return true;
        }
        if (std::isdigit(static_cast<unsigned char>(key)) && SelLength() > 0) {
            const TOvertype typed = OvertypeDigit(GetText(), SelStart(), SelLength(), key);
            SetText(typed.Text);
            SetSelStart(typed.SelStart);
            SetSelLength(typed.SelLength);
            key = 0;
            return true;
        }
    }
    return TMaskEdEx::DoKeyPress(key);
}

void TSpinEdEx::WndProc(TMessage& message)
{
    if (message.Msg == WM_NOTIFY && upDown_ && upDown_->HandleAllocated()) {
        const auto& change = *reinterpret_cast<const NMUPDOWN*>(message.LParam);
        if (change.hdr.hwndFrom == upDown_->Handle() && change.hdr.code == static_cast<UINT>(UDN_DELTAPOS)) {
            if (!ReadOnly())
                Step(change.iDelta > 0 ? Increment : -Increment);
            message.Result = 1;
            return;
        }
    }
    if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == EN_CHANGE)
        TextEdited();
    TMaskEdEx::WndProc(message);
}
