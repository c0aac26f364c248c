// The system-drawn group box with its themed background and content area.
#include "ui/controls/GroupBoxEx.h"

#include "foundation/UxThemes.h"

#include <vsstyle.h>

TGroupBoxEx::TGroupBoxEx(TComponent* owner)
    : TGroupBox(owner)
{
    SetBounds(Left(), Top(), 185, 105);
}

TGroupBoxEx::~TGroupBoxEx()
{
    DestroyHandle();
}

void TGroupBoxEx::CreateParams(TCreateParams& params)
{
    TGroupBox::CreateParams(params);
    params.SystemClassName = "BUTTON";
    params.Style |= BS_GROUPBOX;
}

void TGroupBoxEx::CreateWindowHandleDone()
{
    TGroupBox::CreateWindowHandleDone();
    OpenTheme();
}

void TGroupBoxEx::OpenTheme()
{
    theme_.Close();
    if (Color() == clBtnFace)
        theme_.Open(Handle(), L"BUTTON");
}

void TGroupBoxEx::AdjustClientRect(RECT& rect)
{
    if (!theme_) {
        TGroupBox::AdjustClientRect(rect);
        return;
    }
    RECT client;
    GetClientRect(Handle(), &client);
    HDC dc = GetDC(Handle());
    const int state = Enabled() ? GBS_NORMAL : GBS_DISABLED;
    if (FAILED(GetThemeBackgroundContentRect(theme_.Handle(), dc, BP_GROUPBOX, state, &client, &rect)))
        rect = client;
    ReleaseDC(Handle(), dc);
    // Our group box always has the 3-D look.
    InflateRect(&rect, 2, 2);
}

void TGroupBoxEx::ColorChanged()
{
    TGroupBox::ColorChanged();
    if (!HandleAllocated())
        return;
    // The window's own drawing follows the colour as the theme data does: a tinted control is
    // drawn the classic way.
    SetWindowThemed(Handle(), Color() == clBtnFace);
    OpenTheme();
    Invalidate();
}

void TGroupBoxEx::FontChanged()
{
    TGroupBox::FontChanged();
    Invalidate();
}

void TGroupBoxEx::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND:
        if (theme_) {
            DrawThemeParentBackground(Handle(), reinterpret_cast<HDC>(message.WParam), nullptr);
        } else {
            // The system class has no background brush of its own.
            RECT client;
            GetClientRect(Handle(), &client);
            FillRect(reinterpret_cast<HDC>(message.WParam), &client, Brush());
        }
        message.Result = 1;
        return;
    case WM_PAINT: {
        // The system draws frame and caption; the labels inside are ours to draw on top.
        PAINTSTRUCT paint;
        const bool own = message.WParam == 0;
        const HDC dc = own ? BeginPaint(Handle(), &paint) : reinterpret_cast<HDC>(message.WParam);
        if (own && paint.fErase)
            Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc));
        message.WParam = reinterpret_cast<WPARAM>(dc);
        TGroupBox::WndProc(message);
        PaintControls(dc);
        if (own)
            EndPaint(Handle(), &paint);
        message.Result = 0;
        return;
    }
    case CN_CTLCOLORSTATIC:
        if (theme_) {
            SetBkMode(reinterpret_cast<HDC>(message.WParam), TRANSPARENT);
            message.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
            return;
        }
        break;
    case WM_THEMECHANGED:
        TGroupBox::WndProc(message);
        OpenTheme();
        return;
    default:
        break;
    }
    TGroupBox::WndProc(message);
}
