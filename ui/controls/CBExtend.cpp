// The combo box: list drop and close events, the growing dropped width and the item drawing.
#include "ui/controls/CBExtend.h"

#include "foundation/UxThemes.h"

#include <string>
#include <vector>

namespace {

bool IsThemedColour(TColor colour) noexcept
{
    return colour == clWindow || colour == clBtnFace;
}

std::wstring Widen(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    const int n = MultiByteToWideChar(
        CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return wide;
}

constexpr UINT ItemTextFormat = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;

} // namespace

TPlainCBEx::TPlainCBEx(TComponent* owner)
    : TComboBox(owner)
{
}

void TPlainCBEx::CreateParams(TCreateParams& params)
{
    TComboBox::CreateParams(params);
    if (OwnerDrawVariable)
        params.Style |= CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS;
}

void TPlainCBEx::CreateWindowHandleDone()
{
    // From now on the control keeps its own font.
    SetParentFont(false);
    OpenTheme();
    TComboBox::CreateWindowHandleDone();
}

void TPlainCBEx::OpenTheme()
{
    theme_.Close();
    if (IsThemedColour(Color()))
        theme_.Open(Handle(), L"ComboBox");
}

void TPlainCBEx::ColorChanged()
{
    TComboBox::ColorChanged();
    if (!HandleAllocated())
        return;
    SetWindowThemed(Handle(), IsThemedColour(Color()));
    OpenTheme();
}

int TPlainCBEx::DroppedWidth()
{
    return static_cast<int>(SendMessageA(Handle(), CB_GETDROPPEDWIDTH, 0, 0));
}

std::string TPlainCBEx::ItemText(int index)
{
    const auto length = SendMessageA(Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR)
        return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(Handle(), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return buffer.data();
}

void TPlainCBEx::MeasureItem(MEASUREITEMSTRUCT& item)
{
    if (static_cast<int>(item.itemID) < 0)
        return;
    const std::string text = ItemText(static_cast<int>(item.itemID));
    HDC dc = GetDC(Handle());
    const HGDIOBJ old = SelectObject(dc, Font().Handle());
    RECT bounds {};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &bounds, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(Handle(), dc);
    const int wanted = (bounds.right - bounds.left) + GetSystemMetrics(SM_CXVSCROLL) + 2;
    if (wanted > DroppedWidth())
        SendMessageA(Handle(), CB_SETDROPPEDWIDTH, static_cast<WPARAM>(wanted), 0);
}

void TPlainCBEx::DrawItem(const DRAWITEMSTRUCT& item)
{
    if (static_cast<int>(item.itemID) < 0)
        return;
    const bool selected = (item.itemState & (ODS_SELECTED | ODS_FOCUS)) != 0;
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    FillRect(dc, &rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const HGDIOBJ old = SelectObject(dc, Font().Handle());
    const std::string text = ItemText(static_cast<int>(item.itemID));
    rect.left += 2;
    if (theme_) {
        const std::wstring wide = Widen(text);
        DrawThemeText(theme_.Handle(), dc, 0, 0, wide.c_str(), static_cast<int>(wide.size()), ItemTextFormat, 0, &rect);
    } else {
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, ItemTextFormat);
    }
    SelectObject(dc, old);
    if ((item.itemState & ODS_SELECTED) && OnListItemSelected)
        OnListItemSelected(*this, static_cast<int>(item.itemID));
}

void TPlainCBEx::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND:
        if (HIWORD(message.WParam) == CBN_DROPDOWN) {
            listDropped_ = true;
            if (OnListDrop)
                OnListDrop(*this);
        } else if (HIWORD(message.WParam) == CBN_CLOSEUP) {
            listDropped_ = false;
            if (OnListClose)
                OnListClose(*this);
        }
        break;
    case CN_MEASUREITEM:
        MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam));
        message.Result = 1;
        return;
    case CN_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam));
        message.Result = 1;
        return;
    case WM_THEMECHANGED:
        TComboBox::WndProc(message);
        OpenTheme();
        return;
    default:
        break;
    }
    TComboBox::WndProc(message);
}
