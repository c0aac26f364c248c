// The rich-edit control's links: mail addresses marked by the stop sets, the reformat around
// them, link events and Enter on a link, and the "URL-Info" tip.
#include "ui/controls/DropEdit.h"

#include "foundation/RichEd20.h"
#include "ui/controls/DropEditInternal.h"
#include "ui/controls/DropEditText.h"
#include "ui/controls/ToolTip.h"

#include <algorithm>
#include <utility>

#include <windowsx.h>

using namespace dropedit;

namespace {

bool WindowsSixOrLater()
{
    return (GetVersion() & 0xFF) >= 6;
}

} // namespace

// ---- Reformat and links
// ---------------------------------------------------------------------------------------------

void TDropEdit::Reformat(unsigned flags)
{
    if (!HandleAllocated())
        return;
    const HiddenState hidden(*this);
    if (flags & rfMailAddresses)
        MarkMailAddresses();
    SelectAll();
    if (flags & rfDefaultAttributes)
        ApplyDefaultAttributes();
    if ((flags & rfTabStops) && !singleLine_)
        ApplyTabStops();
}

void TDropEdit::ApplyDefaultAttributes()
{
    CHARFORMATA format = FontToCharFormat(Font(), "", 0, 0);
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT
        | CFM_CHARSET;
    SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

void TDropEdit::ApplyTabStops()
{
    HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, Font().Handle());
    TEXTMETRICW metrics {};
    GetTextMetricsW(dc, &metrics);
    const int pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int step = MulDiv(tabSize_ * metrics.tmAveCharWidth, 1440, pixelsPerInch);
    PARAFORMAT2 format {};
    format.cbSize = sizeof format;
    format.dwMask = PFM_TABSTOPS;
    format.cTabCount = 32;
    for (int i = 0; i < 32; ++i)
        format.rgxTabs[i] = (i + 1) * step;
    SendMessageW(Handle(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
}

std::u16string TDropEdit::LineAt(int line)
{
    const HWND window = Handle();
    const auto start = static_cast<int>(SendMessageW(window, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
    const auto length = static_cast<int>(SendMessageW(window, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
    // The buffer's first word carries its size; a line of less than one word still gets one.
    std::u16string buffer(static_cast<std::size_t>(std::max(length, 1)) + 1, u'\0');
    buffer[0] = static_cast<char16_t>(buffer.size());
    const auto n = static_cast<int>(
        SendMessageW(window, EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buffer.data())));
    buffer.resize(static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(buffer.size()))));
    return buffer;
}

void TDropEdit::MarkMailAddresses()
{
    if (!urlDetection_ || version_ < 2 || !HandleAllocated())
        return;
    const HWND window = Handle();
    const int length = TextLength();
    int position = 0;
    while (position < length) {
        FINDTEXTW find { { position, -1 }, L"@" };
        const auto found
            = static_cast<int>(SendMessageW(window, EM_FINDTEXTW, FR_DOWN, reinterpret_cast<LPARAM>(&find)));
        if (found < 0)
            break;
        const auto line = static_cast<int>(SendMessageW(window, EM_EXLINEFROMCHAR, 0, found));
        const auto lineStart
            = static_cast<int>(SendMessageW(window, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
        const auto lineLength
            = static_cast<int>(SendMessageW(window, EM_LINELENGTH, static_cast<WPARAM>(lineStart), 0));
        if (!IsLinkAt(found)) {
            for (const TTextRun& run : MailAddressRuns(LineAt(line), found - lineStart)) {
                SendMessageW(window, EM_SETSEL, static_cast<WPARAM>(lineStart + run.Start),
                    lineStart + run.Start + run.Length);
                CHARFORMAT2W format {};
                format.cbSize = sizeof format;
                format.dwMask = CFM_LINK;
                format.dwEffects = CFE_LINK;
                SendMessageW(window, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
            }
        }
        position = std::max(lineStart + lineLength + 1, found + 1);
        PumpPending();
    }
}

void TDropEdit::ReapplyLinkDetection()
{
    if (TextLength() == 0)
        return;
    if (ObjectCount() == 0) {
        const HiddenState hidden(*this);
        StreamRtfIn(GetRtfText());
        return;
    }
    {
        const HiddenState hidden(*this);
        SelectAll();
        clipboard_.Reinsert(Handle());
    }
    Reformat(rfMailAddresses);
    SendMessageW(Handle(), EM_SETSEL, 0, 0);
}

std::string TDropEdit::TextRange(int start, int end)
{
    if (end <= start)
        return {};
    std::u16string buffer(static_cast<std::size_t>(end - start) + 1, u'\0');
    TEXTRANGEW range { { start, end }, reinterpret_cast<wchar_t*>(buffer.data()) };
    const auto n
        = static_cast<int>(SendMessageW(Handle(), EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)));
    buffer.resize(static_cast<std::size_t>(std::clamp(n, 0, end - start)));
    return Utf16ToAnsi(buffer);
}

void TDropEdit::HandleLink(const ENLINK& link)
{
    const std::string url = LinkTextWithScheme(TextRange(link.chrg.cpMin, link.chrg.cpMax));
    const POINT point { GET_X_LPARAM(link.lParam), GET_Y_LPARAM(link.lParam) };
    switch (link.msg) {
    case WM_MOUSEMOVE:
        ShowUrlTip(url, link.chrg.cpMin, point);
        break;
    case WM_LBUTTONDOWN:
        if (OnUrlClick)
            OnUrlClick(url, mbLeft, point.x, point.y);
        break;
    case WM_RBUTTONDOWN:
        if (OnUrlClick)
            OnUrlClick(url, mbRight, point.x, point.y);
        break;
    case WM_LBUTTONDBLCLK: {
        CHARRANGE selection {};
        SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        restoreCaret_ = selection.cpMin;
        if (OnUrlDblClick)
            OnUrlDblClick(url);
        break;
    }
    default:
        break;
    }
}

bool TDropEdit::HandleEnterOnLink()
{
    CHARRANGE selection {};
    SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (selection.cpMin >= TextLength() || !IsLinkAt(selection.cpMin))
        return false;
    POINTL point {};
    SendMessageW(Handle(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), selection.cpMin);
    PostMessageW(Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(point.x + 1, point.y + 1));
    return true;
}

// ---- URL tip
// -------------------------------------------------------------------------------------------------------

RECT TDropEdit::LinkRect(int linkStart)
{
    const HWND window = Handle();
    const int length = TextLength();
    int end = linkStart;
    CHARRANGE saved {};
    SendMessageW(window, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    SendMessageW(window, EM_HIDESELECTION, TRUE, 0);
    while (end < length) {
        SendMessageW(window, EM_SETSEL, static_cast<WPARAM>(end), end + 1);
        CHARFORMAT2W format {};
        format.cbSize = sizeof format;
        format.dwMask = CFM_LINK | CFM_HIDDEN;
        SendMessageW(window, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        if (!(format.dwEffects & (CFE_LINK | CFE_HIDDEN)))
            break;
        ++end;
    }
    SendMessageW(window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    SendMessageW(window, EM_HIDESELECTION, FALSE, 0);
    POINTL first {};
    POINTL last {};
    SendMessageW(window, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&first), linkStart);
    SendMessageW(window, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&last), end);
    TEXTMETRICW metrics {};
    HDC dc = GetDC(window);
    const HGDIOBJ old = SelectObject(dc, Font().Handle());
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    RECT rect { first.x, first.y, last.x, last.y + metrics.tmHeight };
    if (rect.right <= rect.left) {
        // A link over more than one line: the rectangle spans the lines' whole width.
        rect.left = 0;
        rect.right = ClientWidth();
    }
    return rect;
}

void TDropEdit::ShowUrlTip(const std::string& url, int linkStart, POINT mouse)
{
    const std::string shown = DecodeIdnText(DecodePercentEscapes(url));
    if (IsMailtoLink(shown))
        return;
    if (tip_ && PtInRect(&tipRect_, mouse))
        return;
    CloseUrlTip();
    const HWND window = Handle();
    ::HideCaret(window);
    tipRect_ = LinkRect(linkStart);
    const bool balloon = WindowsSixOrLater();
    tip_ = CreateTrackingToolTip(window, nullptr, tipRect_, shown, ClientWidth() / 2,
        TTitleData { TTI_INFO, "URL-Info" }, 0, !balloon, balloon, false);
    if (tip_)
        SetTimer(window, reinterpret_cast<UINT_PTR>(tip_), GetDoubleClickTime(), nullptr);
    ::ShowCaret(window);
}

void TDropEdit::UrlTipTimer()
{
    const HWND window = Handle();
    KillTimer(window, reinterpret_cast<UINT_PTR>(tip_));
    POINT cursor {};
    GetCursorPos(&cursor);
    POINT client = cursor;
    ::ScreenToClient(window, &client);
    if (PtInRect(&tipRect_, client)) {
        const POINT at { cursor.x + GetSystemMetrics(SM_CXCURSOR) / 2,
            cursor.y + GetSystemMetrics(SM_CYCURSOR) / 4 };
        if (ShowTrackingToolTip(tip_, window, nullptr, at, nullptr))
            return;
    }
    CloseUrlTip();
}

void TDropEdit::CloseUrlTip()
{
    if (!tip_)
        return;
    if (HandleAllocated())
        KillTimer(Handle(), reinterpret_cast<UINT_PTR>(tip_));
    tipRect_ = { -1, -1, -1, -1 };
    const HWND tip = std::exchange(tip_, nullptr);
    DestroyTrackingToolTip(tip, HandleAllocated() ? Handle() : nullptr, nullptr);
}
