// The framed panel: its frame lives in the non-client area (one pixel on each side, painted in
// the frame colour), the tab-page look comes from the theme when the panel has the face colour,
// and the caption is drawn vertically centred on one line's height.
#include "ui/controls/ExtCtrlsEx.h"

#include <vssym32.h>

TColoredFramePanel::TColoredFramePanel(TComponent* owner)
    : TPanel(owner)
{
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
}

TColoredFramePanel::~TColoredFramePanel()
{
    DestroyHandle();
}

void TColoredFramePanel::SetFrameColor(TColor color)
{
    if (color == frameColor_)
        return;
    frameColor_ = color;
    if (HandleAllocated())
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
            SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TColoredFramePanel::SetTabStyle(bool value)
{
    if (value == tabStyle_)
        return;
    tabStyle_ = value;
    Retheme();
}

void TColoredFramePanel::CreateWindowHandleDone()
{
    TPanel::CreateWindowHandleDone();
    OpenTheme();
    if (frameColor_ != clNone)
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
            SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TColoredFramePanel::OpenTheme()
{
    theme_.Close();
    if (HandleAllocated() && tabStyle_ && Color() == clBtnFace)
        theme_.Open(Handle(), L"TAB");
}

void TColoredFramePanel::Retheme()
{
    if (!HandleAllocated())
        return;
    Perform(WM_THEMECHANGED);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TColoredFramePanel::ColorChanged()
{
    TPanel::ColorChanged();
    Retheme();
}

void TColoredFramePanel::TextChanged()
{
    if (theme_)
        Retheme();
    else
        TPanel::TextChanged();
}

void TColoredFramePanel::EraseThemed(HDC dc)
{
    RECT client {};
    GetClientRect(Handle(), &client);
    const int state = Enabled() ? TIS_NORMAL : TIS_DISABLED;
    if (IsThemeBackgroundPartiallyTransparent(theme_.Handle(), TABP_BODY, state))
        DrawThemeParentBackground(Handle(), dc, &client);
    DrawThemeBackground(theme_.Handle(), dc, TABP_BODY, state, &client, nullptr);
}

void TColoredFramePanel::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_NCCALCSIZE:
        if (frameColor_ == clNone)
            break;
        if (message.WParam) {
            auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam);
            InflateRect(&params->rgrc[0], -1, -1);
            message.Result = WVR_REDRAW;
        } else {
            InflateRect(reinterpret_cast<RECT*>(message.LParam), -1, -1);
            message.Result = 0;
        }
        return;
    case WM_NCPAINT:
        if (frameColor_ == clNone)
            break;
        if (HDC dc = GetWindowDC(Handle())) {
            RECT r {};
            GetWindowRect(Handle(), &r);
            OffsetRect(&r, -r.left, -r.top);
            HBRUSH brush = CreateSolidBrush(ColorToRGB(frameColor_));
            FrameRect(dc, &r, brush);
            DeleteObject(brush);
            ReleaseDC(Handle(), dc);
        }
        message.Result = 0;
        return;
    case WM_SIZE:
        RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
        break;
    case WM_ERASEBKGND:
        if (theme_) {
            EraseThemed(reinterpret_cast<HDC>(message.WParam));
            message.Result = 1;
            return;
        }
        break;
    case WM_THEMECHANGED:
        theme_.Close();
        TPanel::WndProc(message);
        OpenTheme();
        InvalidateRect(Handle(), nullptr, TRUE);
        return;
    default:
        break;
    }
    TPanel::WndProc(message);
}

void TColoredFramePanel::Paint()
{
    TCanvas& canvas = Canvas();
    canvas.Brush.Style = bsClear;
    RECT r = ClientRect();
    const int lineHeight = canvas.TextHeight("W");
    r.top = (r.bottom - lineHeight) / 2;
    r.bottom = r.top + lineHeight;
    static constexpr UINT alignment[] = { DT_LEFT, DT_RIGHT, DT_CENTER };
    canvas.DrawText(GetText(), r, alignment[Alignment] | DT_VCENTER | DT_EXPANDTABS);
}
