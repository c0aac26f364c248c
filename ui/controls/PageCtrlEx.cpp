// The page control: button-styled tabs, the themed pane and the subclassed tab sheets that erase
// their background with it.
#include "ui/controls/PageCtrlEx.h"

#include "ui/controls/PropSubclass.h"

#include "foundation/UxThemes.h"

#include <vsstyle.h>

namespace {

constexpr DWORD ButtonTabStyles = TCS_BUTTONS | TCS_FLATBUTTONS; // 0x108

} // namespace

TPageControlEx::TPageControlEx(TComponent* owner)
    : TPageControl(owner)
{
}

TPageControlEx::~TPageControlEx()
{
    DestroyHandle();
}

void TPageControlEx::CreateParams(TCreateParams& params)
{
    TPageControl::CreateParams(params);
    if (buttonStyle_)
        params.Style |= ButtonTabStyles;
}

void TPageControlEx::CreateWindowHandleDone()
{
    TPageControl::CreateWindowHandleDone();
    OpenTheme();
    for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SubclassChild(child);
}

void TPageControlEx::SetButtonStyle(bool value)
{
    buttonStyle_ = value;
    if (!HandleAllocated())
        return;
    const auto style = static_cast<DWORD>(GetWindowLongA(Handle(), GWL_STYLE));
    SetWindowLongA(Handle(), GWL_STYLE, static_cast<LONG>(value ? style | ButtonTabStyles : style & ~ButtonTabStyles));
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    AlignControls();
    Invalidate();
}

void TPageControlEx::OpenTheme()
{
    theme_.Close();
    if (Color() == clBtnFace)
        theme_.Open(Handle(), L"TAB");
}

void TPageControlEx::ColorChanged()
{
    TPageControl::ColorChanged();
    if (!HandleAllocated())
        return;
    // The window's own drawing follows the colour as the theme data does: a tinted control is
    // drawn the classic way.
    SetWindowThemed(Handle(), Color() == clBtnFace);
    OpenTheme();
}

void TPageControlEx::SubclassChild(HWND child)
{
    InstallPropSubclass(child, ChildProperty, ChildProc, this);
}

void TPageControlEx::ReleaseChildren() noexcept
{
    if (!HandleAllocated())
        return;
    for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (PropSubclassOwner(child, ChildProperty) == this)
            RemovePropSubclass(child, ChildProperty);
    }
}

LRESULT CALLBACK TPageControlEx::ChildProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const auto* control = static_cast<TPageControlEx*>(PropSubclassOwner(window, ChildProperty));
    if (msg == WM_ERASEBKGND && control && control->theme_) {
        DrawThemeParentBackground(window, reinterpret_cast<HDC>(wParam), nullptr);
        return 1;
    }
    return CallPreviousProc(window, ChildProperty, msg, wParam, lParam);
}

// The themed pane below the tabs (over the parent where the pane lets it through), the strip beside
// the tabs in the control's own colour.
void TPageControlEx::PaintBackground(HDC dc)
{
    RECT client;
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, Brush());
    RECT pane = client;
    TabCtrl_AdjustRect(Handle(), FALSE, &pane);
    InflateRect(&pane, 4, 4);
    pane.bottom = client.bottom;
    const int state = Enabled() ? TIS_NORMAL : TIS_DISABLED;
    if (IsThemeBackgroundPartiallyTransparent(theme_.Handle(), TABP_PANE, state))
        DrawThemeParentBackground(Handle(), dc, &pane);
    DrawThemeBackground(theme_.Handle(), dc, TABP_PANE, state, &pane, nullptr);
}

void TPageControlEx::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_PARENTNOTIFY:
        if (LOWORD(message.WParam) == WM_CREATE)
            SubclassChild(reinterpret_cast<HWND>(message.LParam));
        break;
    case WM_ERASEBKGND:
        if (theme_) {
            PaintBackground(reinterpret_cast<HDC>(message.WParam));
            message.Result = 1;
            return;
        }
        break;
    case WM_THEMECHANGED:
        TPageControl::WndProc(message);
        OpenTheme();
        return;
    case WM_DESTROY:
        ReleaseChildren();
        break;
    default:
        break;
    }
    TPageControl::WndProc(message);
}
