// The coloured grip: the whole bar painted in the control's colour and font, the grip as the
// theme's gripper or as the classic diagonal lines, and the simple panel's text beside it.
#include "ui/controls/ColGrip.h"

#include "framework/Forms.h"

#include <vssym32.h>

TColoredGrip::TColoredGrip(TComponent* owner)
    : TStatusBar(owner)
{
    TStatusBar::SetAlign(alBottom);
    TStatusBar::SetSimplePanel(true);
    SetParentColor(true);
}

TColoredGrip::~TColoredGrip()
{
    DestroyHandle();
}

void TColoredGrip::CreateWindowHandleDone()
{
    TStatusBar::CreateWindowHandleDone();
    if (Color() == clBtnFace)
        theme_.Open(Handle(), L"STATUS");
}

void TColoredGrip::ColorChanged()
{
    TStatusBar::ColorChanged();
    theme_.Close();
    if (HandleAllocated() && Color() == clBtnFace)
        theme_.Open(Handle(), L"STATUS");
}

bool TColoredGrip::FormMaximized() const
{
    const TCustomForm* form = ParentForm();
    return form && form->HandleAllocated() && IsZoomed(const_cast<TCustomForm*>(form)->Handle());
}

RECT TColoredGrip::GripRect() const
{
    const RECT client = ClientRect();
    const int size = client.bottom - client.top;
    return { client.right - size, client.top, client.right, client.bottom };
}

void TColoredGrip::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = message.WParam ? reinterpret_cast<HDC>(message.WParam) : BeginPaint(Handle(), &paint);
        const int saved = SaveDC(dc);
        PaintBar(dc);
        RestoreDC(dc, saved);
        if (!message.WParam)
            EndPaint(Handle(), &paint);
        message.Result = 0;
        return;
    }
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_THEMECHANGED:
        theme_.Close();
        TStatusBar::WndProc(message);
        if (Color() == clBtnFace)
            theme_.Open(Handle(), L"STATUS");
        Invalidate();
        return;
    default:
        break;
    }
    TStatusBar::WndProc(message);
}

void TColoredGrip::PaintBar(HDC dc)
{
    const RECT client = ClientRect();
    FillRect(dc, &client, Brush());
    SelectObject(dc, Font().Handle());
    RECT text = client;
    SizeGrip = !FormMaximized();
    if (SizeGrip) {
        DrawGrip(dc, client);
        text.right = GripRect().left;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font().Color()));
    const std::string caption = SimpleText();
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_VCENTER);
}

void TColoredGrip::DrawGrip(HDC dc, const RECT& client)
{
    RECT grip = GripRect();
    if (theme_) {
        if (IsThemeBackgroundPartiallyTransparent(theme_.Handle(), SP_GRIPPER, 0))
            DrawThemeParentBackground(Handle(), dc, &grip);
        DrawThemeBackground(theme_.Handle(), dc, SP_GRIPPER, 0, &grip, nullptr);
        return;
    }
    const LONG r = client.right;
    const LONG b = client.bottom;
    const POINT light[] = { { r - 2, b }, { r, b - 2 }, { r - 13, b }, { r, b - 13 }, { r - 9, b }, { r, b - 9 },
        { r - 5, b }, { r, b - 5 }, { r - 1, b }, { r, b } };
    const POINT dark[] = { { r - 11, b }, { r, b - 11 }, { r - 7, b }, { r, b - 7 }, { r - 3, b }, { r, b - 3 } };
    const BYTE lightTypes[] = { PT_MOVETO, PT_LINETO, PT_MOVETO, PT_LINETO, PT_MOVETO, PT_LINETO, PT_MOVETO,
        PT_LINETO, PT_MOVETO, PT_LINETO };
    const BYTE darkTypes[] = { PT_MOVETO, PT_LINETO, PT_MOVETO, PT_LINETO, PT_MOVETO, PT_LINETO };
    HPEN highlight = CreatePen(PS_SOLID, 1, ColorToRGB(clBtnHighlight));
    HPEN shadow = CreatePen(PS_SOLID, 1, ColorToRGB(clBtnShadow));
    const HGDIOBJ old = SelectObject(dc, highlight);
    PolyDraw(dc, light, lightTypes, 10);
    SelectObject(dc, shadow);
    PolyDraw(dc, dark, darkTypes, 6);
    SelectObject(dc, old);
    DeleteObject(highlight);
    DeleteObject(shadow);
}
