// The hot label: caption measuring and drawing (ANSI or UTF-16), hover over the text itself,
// link look, accelerator to the focus control, and a right click that asks help for that control.
#include "ui/controls/HotLabel.h"

#include "framework/Application.h"
#include "framework/Forms.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int HandCursorSlot = 1;

void EnsureHandCursor()
{
    HCURSOR hand = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)); // IDC_HAND
    if (!hand || hand == LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)))
        hand = LoadCursorA(FrameworkModule(), "HANDCURSOR");
    if (hand)
        Screen().SetCursors(HandCursorSlot, hand);
}

} // namespace

THotLabel::THotLabel(TComponent* owner)
    : TGraphicControl(owner)
{
    EnsureHandCursor();
    SetBounds(0, 0, 65, 17);
}

void THotLabel::SetAlignment(TAlignment value)
{
    alignment_ = value;
    Invalidate();
}

void THotLabel::SetVerticalAlignment(TVerticalAlignment value)
{
    verticalAlignment_ = value;
    Invalidate();
}

void THotLabel::SetHorizontalMargin(int value)
{
    if (std::abs(value) * 2 >= Width())
        return;
    margin_ = std::abs(value);
    Invalidate();
}

void THotLabel::SetLinkLabel(bool value)
{
    linkLabel_ = value;
    if (value)
        ApplyLinkFont(false);
    Invalidate();
}

void THotLabel::SetBounds(int left, int top, int width, int height)
{
    if (alignment_ == taCenter && width / 2 < margin_)
        return;
    TGraphicControl::SetBounds(left, top, width, height);
}

void THotLabel::ApplyLinkFont(bool bold)
{
    Font().SetStyle(bold ? fsUnderline | fsBold : fsUnderline);
    Font().SetColor(LinkColor);
}

bool THotLabel::IsWide() const noexcept
{
    return !text_.empty() && text_.back() == '\0';
}

std::wstring THotLabel::WideCaption() const
{
    std::wstring wide(text_.size() / 2, L'\0');
    std::memcpy(wide.data(), text_.data(), wide.size() * sizeof(wchar_t));
    while (!wide.empty() && wide.back() == L'\0')
        wide.pop_back();
    return wide;
}

UINT THotLabel::DrawFlags() const noexcept
{
    static constexpr UINT horizontal[] = { DT_LEFT, DT_RIGHT, DT_CENTER };
    static constexpr UINT vertical[] = { DT_TOP, DT_BOTTOM, DT_VCENTER };
    UINT flags = horizontal[alignment_] | vertical[verticalAlignment_] | DT_SINGLELINE;
    if (!ShowAccelChar)
        flags |= DT_NOPREFIX;
    return flags;
}

// Every system the plug-in runs on has the wide DrawText, so wide captions need no placement of
// their own with ExtTextOutW.
int THotLabel::DrawCaption(HDC dc, RECT& rect, UINT flags)
{
    if (IsWide()) {
        const std::wstring wide = WideCaption();
        return DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect, flags);
    }
    return DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &rect, flags);
}

SIZE THotLabel::TextSize()
{
    HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, Font().Handle());
    RECT r { 0, 0, Width(), Height() };
    DrawCaption(dc, r, DrawFlags() | DT_EXTERNALLEADING | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    SIZE size { r.right - r.left, r.bottom - r.top };
    if (alignment_ == taCenter)
        size.cx = std::min<LONG>(size.cx, Width() - 2 * margin_);
    return size;
}

RECT THotLabel::TextRect()
{
    const SIZE size = TextSize();
    RECT r {};
    switch (alignment_) {
    case taLeftJustify:
        r.left = 0;
        break;
    case taRightJustify:
        r.left = Width() - size.cx;
        break;
    case taCenter:
        r.left = (Width() - size.cx) / 2;
        break;
    }
    switch (verticalAlignment_) {
    case vaTop:
        r.top = 0;
        break;
    case vaBottom:
        r.top = Height() - size.cy;
        break;
    case vaCenter:
        r.top = (Height() - size.cy) / 2;
        break;
    }
    r.right = r.left + size.cx;
    r.bottom = r.top + size.cy;
    return r;
}

void THotLabel::Paint()
{
    TCanvas& canvas = Canvas();
    RECT client { 0, 0, Width(), Height() };
    if (!Transparent) {
        canvas.Brush.Color = Color();
        canvas.Brush.Style = bsSolid;
        canvas.FillRect(client);
    }
    HDC dc = canvas.Handle();
    const HGDIOBJ old = SelectObject(dc, Font().Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Enabled() ? Font().Color() : clGrayText));
    if (alignment_ == taCenter)
        InflateRect(&client, -margin_, 0);
    DrawCaption(dc, client, DrawFlags() | DT_END_ELLIPSIS);
    SelectObject(dc, old);
}

void THotLabel::TextChanged()
{
    TGraphicControl::TextChanged();
    Invalidate();
}

void THotLabel::DoMouseMove(TShiftState shift, int x, int y)
{
    TGraphicControl::DoMouseMove(shift, x, y);
    const RECT text = TextRect();
    const POINT p { x, y };
    if (PtInRect(&text, p))
        StartHover();
    else
        EndHover();
}

void THotLabel::MouseLeave()
{
    TGraphicControl::MouseLeave();
    EndHover();
}

void THotLabel::StartHover()
{
    if (hover_)
        return;
    hover_ = true;
    if (linkLabel_) {
        Screen().SetCursor(HandCursorSlot);
        ApplyLinkFont(true);
        Invalidate();
    }
    if (OnTextHover)
        OnTextHover(*this, true);
}

void THotLabel::EndHover()
{
    if (!hover_)
        return;
    hover_ = false;
    if (linkLabel_) {
        Screen().SetCursor(crDefault);
        ApplyLinkFont(false);
        Invalidate();
    }
    if (OnTextHover)
        OnTextHover(*this, false);
}

void THotLabel::Click()
{
    if (!linkLabel_) {
        TGraphicControl::Click();
        return;
    }
    Font().SetColor(HotColor);
    Repaint();
    TGraphicControl::Click();
    if (!Destroying()) {
        Font().SetColor(LinkColor);
        Invalidate();
    }
}

bool THotLabel::DialogChar(char c)
{
    if (!Enabled() || !ShowAccelChar || IsWide() || !IsAccel(c, text_))
        return false;
    if (FocusControl && FocusControl->CanFocus())
        FocusControl->SetFocus();
    return true;
}

void THotLabel::AskHelpOfFocusControl()
{
    HELPINFO info {};
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.hItemHandle = FocusControl->Handle();
    info.iCtrlId = GetDlgCtrlID(FocusControl->Handle());
    info.dwContextId = static_cast<DWORD_PTR>(FocusControl->HelpContext);
    GetCursorPos(&info.MousePos);
    FocusControl->Perform(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

void THotLabel::WndProc(TMessage& message)
{
    if (message.Msg == CM_MOUSELEAVE)
        EndHover();
    else if (message.Msg == WM_RBUTTONUP && !PopupMenu() && FocusControl)
        AskHelpOfFocusControl();
    TGraphicControl::WndProc(message);
}

void THotLabel::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == FocusControl)
        FocusControl = nullptr;
}
