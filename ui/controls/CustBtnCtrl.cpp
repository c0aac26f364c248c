// The check-button base and the check box: layout of glyph and caption, themed or hand-drawn
// painting, and the toggling by mouse, Space and accelerator.
#include "ui/controls/CustBtnCtrl.h"

#include "framework/Forms.h"

#include <iterator>

#include <vssym32.h>

TCustBtnCtrl::TCustBtnCtrl(TComponent* owner)
    : TCustomControl(owner)
{
    // Clicks come from our own mouse-up handling (only with the capture held), not the framework's.
    clickEvents_ = false;
    SetParentColor(true);
    SetTabStop(true);
    SetBounds(0, 0, 97, 17);
}

TCustBtnCtrl::~TCustBtnCtrl()
{
    DestroyHandle();
}

void TCustBtnCtrl::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.ExStyle |= WS_EX_TRANSPARENT;
}

void TCustBtnCtrl::CreateWindowHandleDone()
{
    TCustomControl::CreateWindowHandleDone();
    OpenTheme();
}

void TCustBtnCtrl::OpenTheme()
{
    theme_.Close();
    glyph_ = {};
    if (HandleAllocated() && Color() == clBtnFace)
        theme_.Open(Handle(), L"BUTTON");
}

void TCustBtnCtrl::SetAlignment(TAlignment value)
{
    alignment_ = value;
    glyph_ = {};
    Invalidate();
}

RECT TCustBtnCtrl::GlyphRect()
{
    if (!IsRectEmpty(&glyph_))
        return glyph_;
    SIZE size { 13, 13 };
    if (theme_ && HandleAllocated()) {
        HDC dc = GetDC(Handle());
        SIZE themed {};
        if (SUCCEEDED(GetThemePartSize(theme_.Handle(), dc, themePart_, GetThemeState(), nullptr, TS_TRUE, &themed))
            && themed.cx > 0 && themed.cy > 0)
            size = themed;
        ReleaseDC(Handle(), dc);
    }
    const int top = (Height() - size.cy) / 2;
    const int left = alignment_ == taLeftJustify ? Width() - size.cx : 0;
    glyph_ = { left, top, left + size.cx, top + size.cy };
    return glyph_;
}

RECT TCustBtnCtrl::TextRect()
{
    const RECT glyph = GlyphRect();
    RECT r { 0, 0, Width(), Height() };
    if (alignment_ == taLeftJustify)
        r.right -= glyph.right - glyph.left;
    else
        r.left += glyph.right - glyph.left;
    InflateRect(&r, -4, 0);
    TCanvas& canvas = Canvas();
    canvas.Font = Font();
    const int height = canvas.TextHeight("W");
    r.top = (Height() - height) / 2 - 1;
    r.bottom = r.top + height;
    return r;
}

void TCustBtnCtrl::Paint()
{
    TCanvas& canvas = Canvas();
    HDC dc = canvas.Handle();
    RECT client { 0, 0, Width(), Height() };
    const RECT glyph = GlyphRect();
    if (theme_) {
        DrawThemeParentBackground(Handle(), dc, &client);
        DrawThemeBackground(theme_.Handle(), dc, themePart_, GetThemeState(), &glyph, nullptr);
    } else {
        canvas.Brush.Color = Color();
        canvas.Brush.Style = bsSolid;
        canvas.FillRect(client);
        canvas.Pen.Color = WindowColor;
        canvas.Brush.Color = !Enabled() ? Color() : Color() == clBtnFace ? clWindow : WindowColor;
        DrawGlyph(canvas, glyph);
    }
    RECT text = TextRect();
    canvas.Font = Font();
    if (!Enabled())
        canvas.Font.SetColor(SystemColor(COLOR_GRAYTEXT));
    canvas.Brush.Style = bsClear;
    const std::string caption = GetText();
    canvas.DrawText(caption, text, DT_SINGLELINE);
    if (Focused()) {
        RECT focus = text;
        canvas.DrawText(caption, focus, DT_CALCRECT | DT_NOCLIP | DT_SINGLELINE);
        InflateRect(&focus, 2, 2);
        DrawFocusRect(dc, &focus);
    }
}

void TCustBtnCtrl::InvalidateGlyph()
{
    if (!HandleAllocated())
        return;
    const RECT glyph = GlyphRect();
    InvalidateRect(Handle(), &glyph, TRUE);
}

void TCustBtnCtrl::SetPressed(bool value)
{
    pressed_ = value;
    InvalidateGlyph();
}

void TCustBtnCtrl::SetState(TCheckState state)
{
    if (state == state_)
        return;
    state_ = state;
    InvalidateGlyph();
    if (OnChanged)
        OnChanged(pressed_ ? this : nullptr);
}

void TCustBtnCtrl::Click()
{
    if (CanFocus())
        SetFocus();
    SetState(state_ == cbChecked ? cbUnchecked : cbChecked);
    TCustomControl::Click();
}

bool TCustBtnCtrl::DialogChar(char c)
{
    if (!IsAccel(c, GetText()) || !CanFocus())
        return false;
    pressed_ = true;
    Click();
    SetPressed(false);
    return true;
}

void TCustBtnCtrl::ColorChanged()
{
    TCustomControl::ColorChanged();
    OpenTheme();
    Invalidate();
}

void TCustBtnCtrl::EnabledChanged()
{
    TCustomControl::EnabledChanged();
    Invalidate();
}

void TCustBtnCtrl::TextChanged()
{
    TCustomControl::TextChanged();
    Invalidate();
}

void TCustBtnCtrl::FontChanged()
{
    TCustomControl::FontChanged();
    Invalidate();
}

void TCustBtnCtrl::DoEnter()
{
    TCustomControl::DoEnter();
    Invalidate();
}

void TCustBtnCtrl::DoExit()
{
    TCustomControl::DoExit();
    Invalidate();
}

void TCustBtnCtrl::MouseEnter()
{
    TCustomControl::MouseEnter();
    hot_ = true;
    InvalidateGlyph();
}

void TCustBtnCtrl::MouseLeave()
{
    TCustomControl::MouseLeave();
    hot_ = false;
    InvalidateGlyph();
}

void TCustBtnCtrl::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::DoMouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    if (CanFocus())
        SetFocus();
    SetCapture(Handle());
    SetPressed(true);
}

void TCustBtnCtrl::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::DoMouseUp(button, shift, x, y);
    if (button != mbLeft)
        return;
    if (GetCapture() == Handle()) {
        ReleaseCapture();
        Click();
    }
    SetPressed(false);
}

bool TCustBtnCtrl::DoKeyDown(WORD& key, TShiftState shift)
{
    if (TCustomControl::DoKeyDown(key, shift))
        return true;
    if (key == VK_SPACE)
        SetPressed(true);
    return false;
}

bool TCustBtnCtrl::DoKeyUp(WORD& key, TShiftState shift)
{
    if (TCustomControl::DoKeyUp(key, shift))
        return true;
    if (key == VK_SPACE)
        SetPressed(false);
    return false;
}

bool TCustBtnCtrl::DoKeyPress(char& key)
{
    if (TCustomControl::DoKeyPress(key))
        return true;
    if (key != ' ')
        return false;
    pressed_ = true;
    Click();
    pressed_ = false;
    return true;
}

void TCustBtnCtrl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_THEMECHANGED:
        OpenTheme();
        Invalidate();
        break;
    case WM_SIZE:
        glyph_ = {};
        break;
    case WM_ERASEBKGND:
        if (theme_) {
            message.Result = 1;
            return;
        }
        break;
    case WM_GETDLGCODE:
        message.Result = DLGC_BUTTON;
        return;
    case WM_DESTROY:
        theme_.Close();
        break;
    default:
        break;
    }
    TCustomControl::WndProc(message);
}

// ---- TCustCheckBox ----

TCustCheckBox::TCustCheckBox(TComponent* owner)
    : TCustBtnCtrl(owner)
{
    themePart_ = BP_CHECKBOX;
}

void TCustCheckBox::SetCheckState(TCheckState state)
{
    if (AllowGrayed)
        SetState(state);
}

void TCustCheckBox::Click()
{
    if (!AllowGrayed) {
        TCustBtnCtrl::Click();
        return;
    }
    if (CanFocus())
        SetFocus();
    static constexpr TCheckState next[] = { cbGrayed, cbUnchecked, cbChecked };
    SetState(next[CheckState()]);
    TCustomControl::Click();
}

int TCustCheckBox::GetThemeState()
{
    const int base = CheckState() * 4; // unchecked 1-4, checked 5-8, grayed 9-12
    if (!Enabled())
        return base + 4;
    if (Pressed())
        return base + 3;
    if (Hot())
        return base + 2;
    return base + 1;
}

void TCustCheckBox::DrawGlyph(TCanvas& canvas, const RECT& rect)
{
    RECT inner = rect;
    HDC dc = canvas.Handle();
    if (Ctl3D) {
        DrawEdge(dc, &inner, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        DrawEdge(dc, &inner, BDR_SUNKENINNER, BF_RECT | BF_ADJUST);
    } else {
        InflateRect(&inner, -2, -2);
        const HBRUSH frame = CreateSolidBrush(ColorToRGB(Font().Color()));
        FrameRect(dc, &inner, frame);
        DeleteObject(frame);
        InflateRect(&inner, -1, -1);
    }
    canvas.FillRect(inner);
    if (CheckState() == cbUnchecked)
        return;
    static constexpr POINT tick[] = { { 1, 3 }, { 3, 5 }, { 7, 1 }, { 7, 2 }, { 3, 6 }, { 1, 4 }, { 1, 5 },
        { 3, 7 }, { 8, 2 } };
    POINT points[std::size(tick)];
    for (std::size_t i = 0; i < std::size(tick); ++i)
        points[i] = { inner.left + tick[i].x, inner.top + tick[i].y };
    canvas.Pen.Color = Enabled() && CheckState() == cbChecked ? Font().Color() : clGrayText;
    canvas.Polyline(points, static_cast<int>(std::size(points)));
}
