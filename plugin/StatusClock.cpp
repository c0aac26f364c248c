// The status-bar clock: text, place, drawing and tooltip.
#include "plugin/StatusClock.h"

#include <commctrl.h>

namespace {
constexpr int PADDING = 6;
constexpr UINT_PTR TOOL_ID = 1;

bool IsToolbarStrip(HWND window)
{
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, "DHT_NTLBAR") == 0 || lstrcmpiA(name, "DH_NTLBAR") == 0;
}

// The bottom of the mail client's toolbar strip on the status bar when it starts at its left edge.
int TopBelowToolbarStrip(HWND statusBar)
{
    for (HWND child = GetWindow(statusBar, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || !IsToolbarStrip(child))
            continue;
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(HWND_DESKTOP, statusBar, reinterpret_cast<POINT*>(&r), 2);
        if (r.left <= 0)
            return r.bottom;
    }
    return 0;
}
} // namespace

std::string TStatusClock::FormatText(int mode, const SYSTEMTIME& time)
{
    char date[80] = {}, clock[80] = {};
    GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, sizeof clock);
    if (mode == MODE_TIME)
        return clock;
    if (mode != MODE_DATE_TIME)
        return {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
    return std::string(date) + ", " + clock;
}

void TStatusClock::Attach(HWND statusBar, int mode, const std::string& tooltipText)
{
    Detach();
    if (mode != MODE_DATE_TIME && mode != MODE_TIME)
        return;
    if (!statusBar || !IsWindow(statusBar))
        return;
    statusBar_ = statusBar;
    mode_ = mode;
    SYSTEMTIME now;
    GetLocalTime(&now);
    text_ = FormatText(mode_, now);
    if (!tooltipText.empty()) {
        tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX, 0, 0, 0, 0,
            statusBar_, nullptr, nullptr, nullptr);
        if (tooltip_) {
            TOOLINFOA tool = {};
            tool.cbSize = sizeof tool;
            // Mouse messages are relayed from our status-bar procedure: a tooltip's own subclass
            // of the mail client's window would outlive it on some systems.
            tool.uFlags = 0;
            tool.hwnd = statusBar_;
            tool.uId = TOOL_ID;
            tool.lpszText = const_cast<char*>(tooltipText.c_str());
            SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
            SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
            SendMessageA(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, TOOLTIP_SHOW_MS);
        }
    }
    Place();
}

TStatusClock::~TStatusClock()
{
    Detach();
    if (font_)
        DeleteObject(font_);
}

void TStatusClock::SetFont(const std::string& face, int pointSize)
{
    if (face.empty() || pointSize <= 0)
        return;
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    if (!font)
        return;
    if (font_)
        DeleteObject(font_);
    font_ = font;
    Place();
}

void TStatusClock::Detach()
{
    if (tooltip_ && IsWindow(tooltip_)) {
        // Deleting the tool gives the status bar back its procedure before the tooltip goes.
        TOOLINFOA tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = statusBar_;
        tool.uId = TOOL_ID;
        SendMessageA(tooltip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        DestroyWindow(tooltip_);
    }
    tooltip_ = nullptr;
    if (statusBar_ && IsWindow(statusBar_))
        InvalidateRect(statusBar_, &rect_, TRUE);
    statusBar_ = nullptr;
    mode_ = MODE_OFF;
    text_.clear();
    rect_ = {};
}

HFONT TStatusClock::Font() const
{
    if (font_)
        return font_;
    // The status bar's own font, so the clock reads like the mail client's status texts.
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(statusBar_, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void TStatusClock::Place()
{
    if (!statusBar_ || !IsWindow(statusBar_))
        return;
    const RECT old = rect_;
    RECT client;
    GetClientRect(statusBar_, &client);
    SIZE extent = {};
    if (HDC dc = GetDC(statusBar_)) {
        HGDIOBJ previous = SelectObject(dc, Font());
        GetTextExtentPoint32A(dc, text_.c_str(), static_cast<int>(text_.size()), &extent);
        SelectObject(dc, previous);
        ReleaseDC(statusBar_, dc);
    }
    rect_.right = client.right;
    rect_.left = client.right - extent.cx - 2 * PADDING;
    if (rect_.left < client.left)
        rect_.left = client.left;
    rect_.top = TopBelowToolbarStrip(statusBar_);
    rect_.bottom = client.bottom;
    if (!EqualRect(&old, &rect_)) {
        InvalidateRect(statusBar_, &old, TRUE);
        InvalidateRect(statusBar_, &rect_, TRUE);
    }
    PlaceTooltip();
}

void TStatusClock::PlaceTooltip() const
{
    if (!tooltip_)
        return;
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = statusBar_;
    tool.uId = TOOL_ID;
    tool.rect = rect_;
    SendMessageA(tooltip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void TStatusClock::Tick()
{
    if (!statusBar_)
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string text = FormatText(mode_, now);
    if (text == text_)
        return;
    text_ = std::move(text);
    Place();
    InvalidateRect(statusBar_, &rect_, TRUE);
}

void TStatusClock::Paint() const
{
    if (!statusBar_ || !IsWindow(statusBar_))
        return;
    HDC dc = GetDC(statusBar_);
    if (!dc)
        return;
    RECT r = rect_;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ previous = SelectObject(dc, Font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, previous);
    ReleaseDC(statusBar_, dc);
}

void TStatusClock::RelayMouse(UINT message, WPARAM wParam, LPARAM lParam) const
{
    if (!tooltip_)
        return;
    MSG msg = {};
    msg.hwnd = statusBar_;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

bool TStatusClock::Contains(POINT point) const
{
    return statusBar_ && PtInRect(&rect_, point);
}
