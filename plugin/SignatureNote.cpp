// The status bar's signature note: two standard controls laid over the left of the status bar and
// a tooltip on the text.
#include "plugin/SignatureNote.h"

#include <commctrl.h>

#include <algorithm>

namespace {
constexpr int ICON_SIZE = 16;
constexpr int MARGIN = 2;
constexpr int TEXT_WIDTH = 520;
constexpr UINT TOOLTIP_WIDTH = 500;

void DestroyOwned(HWND& window)
{
    if (window && IsWindow(window))
        DestroyWindow(window);
    window = nullptr;
}
} // namespace

TSignatureNote::~TSignatureNote()
{
    Remove();
}

void TSignatureNote::Show(HWND statusBar, const std::string& text, bool good)
{
    Remove();
    if (!statusBar || !IsWindow(statusBar) || text.empty())
        return;
    RECT bar;
    GetClientRect(statusBar, &bar);
    const int height = bar.bottom - bar.top;
    const int top = height > ICON_SIZE ? (height - ICON_SIZE) / 2 : 0;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(statusBar, GWLP_HINSTANCE));
    icon_ = CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON | SS_REALSIZECONTROL, MARGIN, top,
        ICON_SIZE, ICON_SIZE, statusBar, nullptr, instance, nullptr);
    // Shared system icons: nothing to free.
    HICON picture = static_cast<HICON>(LoadImageA(nullptr, good ? IDI_ASTERISK : IDI_EXCLAMATION,
        IMAGE_ICON, ICON_SIZE, ICON_SIZE, LR_SHARED));
    if (icon_ && picture)
        SendMessageA(icon_, STM_SETICON, reinterpret_cast<WPARAM>(picture), 0);
    const int left = MARGIN * 2 + ICON_SIZE;
    text_ = CreateWindowExA(0, "STATIC", text.c_str(),
        WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_ENDELLIPSIS | SS_NOPREFIX | SS_NOTIFY, left,
        0, std::min<int>(TEXT_WIDTH, bar.right - left), height, statusBar, nullptr, instance, nullptr);
    if (!text_) {
        Remove();
        return;
    }
    signer_ = text;
    SendMessageA(text_, WM_SETFONT, SendMessageA(statusBar, WM_GETFONT, 0, 0), FALSE);
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0,
        0, 0, 0, statusBar, nullptr, instance, nullptr);
    if (tooltip_) {
        TOOLINFOA tool = {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = statusBar;
        tool.uId = reinterpret_cast<UINT_PTR>(text_);
        tool.lpszText = const_cast<char*>(signer_.c_str());
        SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, TOOLTIP_WIDTH);
    }
    BringWindowToTop(icon_);
    BringWindowToTop(text_);
}

void TSignatureNote::Remove()
{
    HWND bar = text_ ? GetParent(text_) : nullptr;
    DestroyOwned(tooltip_);
    DestroyOwned(text_);
    DestroyOwned(icon_);
    signer_.clear();
    if (bar)
        InvalidateRect(bar, nullptr, TRUE);
}

void TSignatureNote::Redraw() const
{
    for (HWND part : { icon_, text_ })
        if (part)
            InvalidateRect(part, nullptr, TRUE);
}

UINT TSignatureNote::PopDelay(const NMHDR& notification) const
{
    if (!tooltip_ || notification.hwndFrom != tooltip_ || notification.code != TTN_POP)
        return 0;
    return static_cast<UINT>(SendMessageA(tooltip_, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0));
}
