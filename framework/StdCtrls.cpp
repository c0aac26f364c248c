// Buttons, check boxes, edits, combo boxes, labels and group boxes.
#include "framework/StdCtrls.h"

#include "framework/Forms.h"

#include <algorithm>

namespace {

WORD NotifyCode(const TMessage& message) noexcept
{
    return HIWORD(message.WParam);
}

} // namespace

// ---- TButton ----

TButton::TButton(TComponent* owner)
    : TWinControl(owner)
{
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool value)
{
    if (value == default_)
        return;
    default_ = value;
    // An owner-drawn button keeps its style (it draws the default frame itself).
    if (HandleAllocated() && (GetWindowLongA(Handle(), GWL_STYLE) & BS_TYPEMASK) != BS_OWNERDRAW)
        SendMessageA(Handle(), BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SystemClassName = "BUTTON";
    params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::Click()
{
    if (ModalResult != mrNone)
        if (TCustomForm* form = ParentForm())
            form->SetModalResult(ModalResult);
    TWinControl::Click();
}

bool TButton::DialogKey(WORD key, TShiftState)
{
    const bool mine = (key == VK_RETURN && (default_ || Focused())) || (key == VK_ESCAPE && Cancel);
    if (!mine || !CanFocus())
        return false;
    Click();
    return true;
}

bool TButton::DialogChar(char c)
{
    if (!IsAccel(c, GetText()) || !CanFocus())
        return false;
    SetFocus();
    Click();
    return true;
}

void TButton::WndProc(TMessage& message)
{
    if (message.Msg == CN_COMMAND) {
        if (NotifyCode(message) == BN_CLICKED)
            Click();
        return;
    }
    TWinControl::WndProc(message);
}

// ---- TBitBtn ----

TBitBtn::TBitBtn(TComponent* owner)
    : TButton(owner)
{
}

void TBitBtn::CreateParams(TCreateParams& params)
{
    TButton::CreateParams(params);
    params.Style = (params.Style & ~(BS_DEFPUSHBUTTON | BS_PUSHBUTTON)) | BS_OWNERDRAW;
}

void TBitBtn::WndProc(TMessage& message)
{
    if (message.Msg == CN_DRAWITEM) {
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam));
        message.Result = TRUE;
        return;
    }
    // Owner-drawn buttons cannot show the default style; Enter still reaches them through DialogKey.
    TButton::WndProc(message);
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& item)
{
    TCanvas canvas(item.hDC);
    RECT r = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    canvas.Brush.Color = Color();
    canvas.FillRect(r);
    DrawEdge(item.hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    if (pressed)
        OffsetRect(&r, 1, 1);
    const std::string caption = GetText();
    canvas.Font = Font();
    canvas.Brush.Style = bsClear;
    const SIZE text = canvas.TextExtent(StripAccelerator(caption));
    const int gap = glyph_.Empty() || caption.empty() ? 0 : 4;
    const int total = glyph_.Width() + gap + text.cx;
    int x = r.left + ((r.right - r.left) - total) / 2;
    if (!glyph_.Empty()) {
        canvas.Draw(x, r.top + ((r.bottom - r.top) - glyph_.Height()) / 2, glyph_);
        x += glyph_.Width() + gap;
    }
    if (!caption.empty()) {
        RECT textRect { x, r.top, r.right, r.bottom };
        if (!Enabled())
            canvas.Font.SetColor(clGrayText);
        canvas.DrawText(caption, textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    }
    if (item.itemState & ODS_FOCUS) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(item.hDC, &focus);
    }
}

// ---- TCheckBox ----

TCheckBox::TCheckBox(TComponent* owner)
    : TWinControl(owner)
{
    SetTabStop(true);
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SystemClassName = "BUTTON";
    params.Style |= BS_CHECKBOX;
}

void TCheckBox::CreateWindowHandleDone()
{
    SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::Checked() const
{
    return checked_;
}

void TCheckBox::SetChecked(bool checked)
{
    if (checked == checked_)
        return;
    checked_ = checked;
    if (HandleAllocated())
        SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    Click();
}

bool TCheckBox::DialogChar(char c)
{
    if (!IsAccel(c, GetText()) || !CanFocus())
        return false;
    SetFocus();
    SetChecked(!checked_);
    return true;
}

void TCheckBox::WndProc(TMessage& message)
{
    if (message.Msg == CN_COMMAND) {
        // BS_CHECKBOX does not toggle by itself: the state has one owner, this object.
        if (NotifyCode(message) == BN_CLICKED)
            SetChecked(!checked_);
        return;
    }
    TWinControl::WndProc(message);
}

// ---- TEdit ----

TEdit::TEdit(TComponent* owner)
    : TWinControl(owner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetParentFont(true);
    SetBounds(0, 0, 121, 21);
}

void TEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SystemClassName = "EDIT";
    params.Style |= ES_AUTOHSCROLL | (readOnly_ ? ES_READONLY : 0) | (PasswordChar ? ES_PASSWORD : 0);
    if (BorderVisible)
        params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::CreateWindowHandleDone()
{
    if (maxLength_ > 0)
        SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
    if (PasswordChar)
        SendMessageA(Handle(), EM_SETPASSWORDCHAR, static_cast<BYTE>(PasswordChar), 0);
}

void TEdit::SetReadOnly(bool value)
{
    readOnly_ = value;
    if (HandleAllocated())
        SendMessageA(Handle(), EM_SETREADONLY, value, 0);
}

void TEdit::SetMaxLength(int value)
{
    maxLength_ = std::max(value, 0);
    if (HandleAllocated())
        SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

int TEdit::SelStart()
{
    DWORD start = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return static_cast<int>(start);
}

int TEdit::SelLength()
{
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TEdit::SetSelStart(int start)
{
    SendMessageA(Handle(), EM_SETSEL, static_cast<WPARAM>(start), start);
}

void TEdit::SetSelLength(int length)
{
    const int start = SelStart();
    SendMessageA(Handle(), EM_SETSEL, static_cast<WPARAM>(start), start + length);
}

std::string TEdit::SelText()
{
    const std::string text = GetText();
    const auto start = static_cast<std::size_t>(std::min<int>(SelStart(), static_cast<int>(text.size())));
    return text.substr(start, static_cast<std::size_t>(SelLength()));
}

void TEdit::SetSelText(const std::string& text)
{
    SendMessageA(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TEdit::SelectAll()
{
    SendMessageA(Handle(), EM_SETSEL, 0, -1);
}

void TEdit::WndProc(TMessage& message)
{
    if (message.Msg == CN_COMMAND) {
        if (NotifyCode(message) == EN_CHANGE && OnChange)
            OnChange(*this);
        return;
    }
    TWinControl::WndProc(message);
}

// ---- TComboBox ----

TComboBox::TComboBox(TComponent* owner)
    : TWinControl(owner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 145, 21);
    items_.OnChange = [this](TStringList&) { FillList(); };
}

void TComboBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SystemClassName = "COMBOBOX";
    params.Style
        |= WS_VSCROLL | CBS_AUTOHSCROLL | (Style == csDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN);
    // The height of a combo box's window includes its drop-down list.
    params.Height = Height() + DropDownCount * 16;
}

void TComboBox::CreateWindowHandleDone()
{
    FillList();
    if (Style == csDropDown && !text_.empty())
        SetWindowTextA(Handle(), text_.c_str());
}

void TComboBox::FillList()
{
    if (!HandleAllocated())
        return;
    SendMessageA(Handle(), CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < items_.Count(); ++i)
        SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items_[i].c_str()));
    SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

int TComboBox::ItemIndex()
{
    if (HandleAllocated())
        itemIndex_ = static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
    return itemIndex_;
}

void TComboBox::SetItemIndex(int index)
{
    itemIndex_ = (index >= 0 && index < items_.Count()) ? index : -1;
    if (HandleAllocated())
        SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TComboBox::WndProc(TMessage& message)
{
    if (message.Msg == CN_COMMAND) {
        const WORD code = NotifyCode(message);
        if ((code == CBN_SELCHANGE || code == CBN_EDITCHANGE) && OnChange)
            OnChange(*this);
        return;
    }
    TWinControl::WndProc(message);
}

// ---- TLabel ----

TLabel::TLabel(TComponent* owner)
    : TGraphicControl(owner)
{
    SetBounds(0, 0, 65, 17);
}

void TLabel::SetAutoSize(bool value)
{
    autoSize_ = value;
    AdjustBounds();
}

UINT TLabel::DrawFlags() const
{
    static constexpr UINT alignments[] = { DT_LEFT, DT_RIGHT, DT_CENTER };
    UINT flags = alignments[Alignment] | DT_EXPANDTABS | (WordWrap ? DT_WORDBREAK : 0);
    if (!ShowAccelChar)
        flags |= DT_NOPREFIX;
    return flags;
}

SIZE TLabel::TextSize()
{
    const HDC dc = GetDC(nullptr);
    SIZE size {};
    {
        TCanvas canvas(dc);
        canvas.Font = Font();
        RECT r { 0, 0, WordWrap ? Width() : 0, 0 };
        // An empty caption still takes one line's height.
        const std::string caption = GetText();
        canvas.DrawText(caption.empty() ? std::string(1, ' ') : caption, r, DrawFlags() | DT_CALCRECT);
        size = { r.right - r.left, r.bottom - r.top };
    }
    ReleaseDC(nullptr, dc);
    return size;
}

void TLabel::AdjustBounds()
{
    if (!autoSize_)
        return;
    const SIZE size = TextSize();
    int left = Left();
    if (Alignment == taRightJustify)
        left = Left() + Width() - size.cx;
    else if (Alignment == taCenter)
        left = Left() + (Width() - size.cx) / 2;
    SetBounds(WordWrap ? Left() : left, Top(), WordWrap ? Width() : size.cx, size.cy);
}

void TLabel::TextChanged()
{
    AdjustBounds();
    TGraphicControl::TextChanged();
}

void TLabel::FontChanged()
{
    AdjustBounds();
    TGraphicControl::FontChanged();
}

void TLabel::Paint()
{
    TCanvas& canvas = Canvas();
    RECT r { 0, 0, Width(), Height() };
    if (!Transparent)
        canvas.FillRect(r);
    canvas.Brush.Style = bsClear;
    UINT flags = DrawFlags();
    if (Layout != tlTop) {
        RECT measure = r;
        canvas.DrawText(GetText(), measure, flags | DT_CALCRECT);
        const int offset = Height() - (measure.bottom - measure.top);
        r.top += Layout == tlBottom ? offset : offset / 2;
    }
    if (!Enabled()) {
        OffsetRect(&r, 1, 1);
        canvas.Font.SetColor(clBtnHighlight);
        canvas.DrawText(GetText(), r, flags);
        OffsetRect(&r, -1, -1);
        canvas.Font.SetColor(clBtnShadow);
    }
    canvas.DrawText(GetText(), r, flags);
}

bool TLabel::DialogChar(char c)
{
    if (!ShowAccelChar || !FocusControl || !IsAccel(c, GetText()) || !FocusControl->CanFocus())
        return false;
    FocusControl->SetFocus();
    return true;
}

void TLabel::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == FocusControl)
        FocusControl = nullptr;
}

// ---- TGroupBox ----

TGroupBox::TGroupBox(TComponent* owner)
    : TCustomControl(owner)
{
    SetBounds(0, 0, 185, 105);
}

void TGroupBox::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.WinClassName = "TGroupBox";
}

void TGroupBox::AdjustClientRect(RECT& rect)
{
    TCustomControl::AdjustClientRect(rect);
    const int captionHeight = std::abs(Font().Height()) + 4;
    rect.top += captionHeight;
    InflateRect(&rect, -2, -2);
}

void TGroupBox::Paint()
{
    TCanvas& canvas = Canvas();
    const int captionHeight = std::abs(Font().Height()) + 4;
    RECT frame { 0, captionHeight / 2, Width(), Height() };
    DrawEdge(canvas.Handle(), &frame, EDGE_ETCHED, BF_RECT);
    const std::string caption = GetText();
    if (!caption.empty()) {
        const SIZE size = canvas.TextExtent(StripAccelerator(caption));
        RECT textRect { 8, 0, 8 + size.cx + 4, captionHeight };
        canvas.Brush.Style = bsSolid;
        canvas.FillRect(textRect);
        textRect.left += 2;
        canvas.Brush.Style = bsClear;
        canvas.DrawText(caption, textRect, DT_SINGLELINE | DT_LEFT | DT_VCENTER);
    }
}

void TGroupBox::TextChanged()
{
    Invalidate();
}
