// The rich-edit control: construction, properties and text in and out (plain, wide, RTF and
// UTF-8 streams). Links are in DropEditLinks.cpp, input and search in DropEditInput.cpp,
// printing in DropEditPrint.cpp.
#include "ui/controls/DropEdit.h"

#include "foundation/RichEd20.h"
#include "framework/Application.h"
#include "ui/controls/DropEditInternal.h"
#include "ui/controls/DropEditPrintText.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include <uxtheme.h>
#include <vssym32.h>

using namespace dropedit;

namespace {

// Change, update, scroll, scroll events, key and mouse events, request-resize, selection change,
// drop files and link notifications.
constexpr DWORD ExtraEventMask = 0x041F000F;
// SES_EXTENDBACKCOLOR or SES_HIDEGRIDLINES.
constexpr WPARAM ExtraEditStyle = 0x20004;

int CountOf(const std::string& text, char c)
{
    return static_cast<int>(std::count(text.begin(), text.end(), c));
}

bool StartsWithRtf(const std::string& data)
{
    static const char prefix[] = "{\\rtf";
    if (data.size() <= 5)
        return false;
    for (int i = 0; i < 5; ++i)
        if (std::tolower(static_cast<unsigned char>(data[static_cast<std::size_t>(i)])) != prefix[i])
            return false;
    return true;
}

// The rich edit's stream transfers run through one of these.
struct StreamBuffer {
    std::string* data;
    std::size_t position = 0;
};

DWORD CALLBACK StreamInCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done)
{
    try {
        auto& stream = *reinterpret_cast<StreamBuffer*>(cookie);
        const std::size_t left = stream.data->size() - stream.position;
        const auto n = std::min<std::size_t>(left, static_cast<std::size_t>(std::max<LONG>(count, 0)));
        std::memcpy(buffer, stream.data->data() + stream.position, n);
        stream.position += n;
        *done = static_cast<LONG>(n);
        return 0;
    } catch (...) {
        return 1;
    }
}

DWORD CALLBACK StreamOutCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done)
{
    try {
        auto& stream = *reinterpret_cast<StreamBuffer*>(cookie);
        stream.data->append(
            reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(std::max<LONG>(count, 0)));
        *done = count;
        return 0;
    } catch (...) {
        return 2;
    }
}

// RichEd20.dll's major version; where its version resource cannot be read, that of the class in
// use (Msftedit's class is version 5).
int RichEditVersionInUse()
{
    if (const int version = GetRichEditVersion(); version > 0)
        return version;
    const std::string className = TRichEdit::ClassName();
    return className == "RichEdit50W" ? 5 : className.empty() ? 0 : 2;
}

} // namespace

// ---- Construction
// ---------------------------------------------------------------------------------------------

TDropEdit::TDropEdit(TComponent* owner)
    : TRichEdit(owner)
    , version_(RichEditVersionInUse())
    , wideMode_(version_ > 2)
    , datedLines_(wideMode_ ? std::make_unique<TDatedWideStrings>() : std::make_unique<TDatedStrings>())
    , dropFiles_(*this)
    , callback_(IREOCallback::Create())
{
    urlDetection_ = version_ >= 2;
    TRichEdit::SetMaxLength(0x7FFFFFFF);
    fontColor_ = Font().Color();
    dropFiles_.OnDrop = [this](TDropFiles& files) {
        if (OnFileDropped)
            OnFileDropped(files);
    };
}

TDropEdit::~TDropEdit()
{
    CloseUrlTip();
    // The window holds the OLE callback: it goes first.
    DestroyHandle();
}

void TDropEdit::CreateParams(TCreateParams& params)
{
    TRichEdit::CreateParams(params);
    if (singleLine_) {
        params.Style &= ~static_cast<DWORD>(ES_MULTILINE | WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL);
        params.Style |= ES_AUTOHSCROLL;
        return;
    }
    // A text of several lines takes Enter as a line break, also inside a dialog.
    params.Style |= ES_WANTRETURN;
    if (wordWrap_)
        params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL | WS_HSCROLL);
    else
        params.Style |= ES_AUTOHSCROLL;
}

void TDropEdit::CreateWindowHandleDone()
{
    TRichEdit::CreateWindowHandleDone();
    const HWND window = Handle();
    const auto mask = static_cast<DWORD>(SendMessageW(window, EM_GETEVENTMASK, 0, 0));
    SendMessageW(window, EM_SETEVENTMASK, 0, mask | ExtraEventMask);
    if (callback_)
        SendMessageW(window, EM_SETOLECALLBACK, 0,
            reinterpret_cast<LPARAM>(static_cast<IRichEditOleCallback*>(callback_.get())));
    SendMessageW(window, EM_SETEDITSTYLE, ExtraEditStyle, ExtraEditStyle);
    SendMessageW(window, EM_EXLIMITTEXT, 0, MaxLength());
    SendMessageW(window, EM_SETTARGETDEVICE, 0, wordWrap_ || singleLine_ ? 0 : 1);
    ApplyBorderWidth();
    SetReadOnly(ReadOnly());
    OpenTheme();
    SendMessageW(window, EM_AUTOURLDETECT, urlDetection_, 0);
    dropFiles_.SetAccept(acceptFiles_);
}

// ---- Themed border
// -----------------------------------------------------------------------------------------------

void TDropEdit::OpenTheme()
{
    theme_.Close();
    if (HandleAllocated() && BorderVisible && (Color() == clWindow || Color() == clBtnFace))
        theme_.Open(Handle(), L"EDIT");
    if (HandleAllocated())
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
            SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TDropEdit::ThemeState() const
{
    return !Enabled() ? ETS_DISABLED : ReadOnly() ? ETS_READONLY : ETS_NORMAL;
}

bool TDropEdit::ThemedClientArea(TMessage& message)
{
    // The theme's content rectangle, one pixel further in and less the scroll bars, is the client area.
    RECT* rect = message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam)->rgrc[0]
                                : reinterpret_cast<RECT*>(message.LParam);
    HDC dc = GetWindowDC(Handle());
    RECT content {};
    const HRESULT result
        = GetThemeBackgroundContentRect(theme_.Handle(), dc, EP_EDITTEXT, ThemeState(), rect, &content);
    ReleaseDC(Handle(), dc);
    if (FAILED(result))
        return false;
    InflateRect(&content, -1, -1);
    const LONG style = GetWindowLongW(Handle(), GWL_STYLE);
    if (style & WS_VSCROLL)
        content.right -= GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL)
        content.bottom -= GetSystemMetrics(SM_CYHSCROLL);
    content.right = std::max(content.right, content.left);
    content.bottom = std::max(content.bottom, content.top);
    *rect = content;
    message.Result = message.WParam ? WVR_REDRAW : 0;
    return true;
}

void TDropEdit::PaintThemedBorder()
{
    const HWND window = Handle();
    HDC dc = GetWindowDC(window);
    RECT bounds {};
    GetWindowRect(window, &bounds);
    OffsetRect(&bounds, -bounds.left, -bounds.top);
    RECT client {};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    RECT windowRect {};
    GetWindowRect(window, &windowRect);
    OffsetRect(&client, -windowRect.left, -windowRect.top);
    // The scroll bars are the system's: only the frame around them is ours.
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    RECT inner = client;
    if (style & WS_VSCROLL)
        inner.right += GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL)
        inner.bottom += GetSystemMetrics(SM_CYHSCROLL);
    ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    const int state = ThemeState();
    if (IsThemeBackgroundPartiallyTransparent(theme_.Handle(), EP_EDITTEXT, state))
        DrawThemeParentBackground(window, dc, &bounds);
    DrawThemeBackground(theme_.Handle(), dc, EP_EDITTEXT, state, &bounds, nullptr);
    SelectClipRgn(dc, nullptr);
    if ((style & WS_VSCROLL) && (style & WS_HSCROLL)) {
        COLORREF fill = GetSysColor(COLOR_BTNFACE);
        GetThemeColor(theme_.Handle(), EP_EDITTEXT, ETS_DISABLED, TMT_FILLCOLOR, &fill);
        const RECT corner { client.right, client.bottom, inner.right, inner.bottom };
        HBRUSH brush = CreateSolidBrush(fill);
        FillRect(dc, &corner, brush);
        DeleteObject(brush);
    }
    ReleaseDC(window, dc);
}

// ---- Properties
// ----------------------------------------------------------------------------------------------

void TDropEdit::SetAcceptFiles(bool value)
{
    acceptFiles_ = value;
    dropFiles_.SetAccept(value);
}

void TDropEdit::SetBorderWidth(int value)
{
    textMargin_ = std::max(value, 0);
    ApplyBorderWidth();
}

void TDropEdit::ApplyBorderWidth()
{
    if (!HandleAllocated() || textMargin_ == 0)
        return;
    RECT rect {};
    GetClientRect(Handle(), &rect);
    rect.left += textMargin_;
    SendMessageW(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&rect));
}

bool TDropEdit::ContainsText()
{
    return HandleAllocated() ? GetWindowTextLengthW(Handle()) > 0 : !text_.empty();
}

void TDropEdit::SetHideCaret(bool value)
{
    hideCaret_ = value;
    if (!HandleAllocated())
        return;
    SendMessageW(Handle(), EM_HIDESELECTION, value, 0);
    if (value)
        ::HideCaret(Handle());
    else
        ::ShowCaret(Handle());
}

int TDropEdit::Lines()
{
    return static_cast<int>(SendMessageW(Handle(), EM_GETLINECOUNT, 0, 0));
}

void TDropEdit::SetReadOnly(bool value)
{
    TRichEdit::SetReadOnly(value);
    SetHideCaret(value);
    ApplyColorRule();
}

void TDropEdit::SetShowObjects(bool value)
{
    if (callback_)
        callback_->SetObjectsAllowed(value);
}

void TDropEdit::SetSingleLine(bool value)
{
    if (value == singleLine_)
        return;
    singleLine_ = value;
    RecreateWnd();
}

void TDropEdit::SetTabSize(int value)
{
    if (value == tabSize_)
        return;
    tabSize_ = value;
    if (!HandleAllocated() || singleLine_)
        return;
    const HiddenState hidden(*this);
    SelectAll();
    ApplyTabStops();
}

void TDropEdit::SetUrlDetection(bool value)
{
    if (version_ < 2)
        value = false;
    if (value == urlDetection_)
        return;
    urlDetection_ = value;
    if (!HandleAllocated())
        return;
    SendMessageW(Handle(), EM_AUTOURLDETECT, value, 0);
    ReapplyLinkDetection();
}

void TDropEdit::SetWordWrap(bool value)
{
    if (value == wordWrap_)
        return;
    wordWrap_ = value;
    if (!HandleAllocated())
        return;
    const CursorGuard hourglass;
    const HWND window = Handle();
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    LONG style = GetWindowLongW(window, GWL_STYLE);
    style = value ? (style & ~ES_AUTOHSCROLL) : (style | ES_AUTOHSCROLL);
    SetWindowLongW(window, GWL_STYLE, style);
    SendMessageW(window, EM_SETTARGETDEVICE, 0, value ? 0 : 1);
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
}

void TDropEdit::SetFont(const TFont& font)
{
    Font() = font;
    fontColor_ = font.Color();
    if (plainText_ && HandleAllocated()) {
        const HiddenState hidden(*this);
        SelectAll();
        ApplyDefaultAttributes();
    }
}

void TDropEdit::ApplyColorRule()
{
    if (Color() != clWindow && Color() != clBtnFace)
        return;
    if (Enabled()) {
        Font().SetColor(fontColor_);
        if (plainText_ && !ParentColor())
            SetColor(ReadOnly() ? clBtnFace : clWindow);
    } else {
        Font().SetColor(clGrayText);
        if (Color() == clWindow && !ParentColor())
            SetColor(clBtnFace);
    }
}

void TDropEdit::EnabledChanged()
{
    TRichEdit::EnabledChanged();
    ApplyColorRule();
}

void TDropEdit::ColorChanged()
{
    TRichEdit::ColorChanged();
    if (!HandleAllocated())
        return;
    SendMessageW(Handle(), EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
    if (static_cast<bool>(theme_) != (BorderVisible && (Color() == clWindow || Color() == clBtnFace)))
        OpenTheme();
}

// ---- Text
// ------------------------------------------------------------------------------------------------------

void TDropEdit::ReplaceSel(const std::string& text)
{
    const std::u16string wide = AnsiToUtf16(text);
    if (wideMode_) {
        SETTEXTEX set { ST_SELECTION, 1200 };
        SendMessageW(
            Handle(), EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(wide.c_str()));
    } else {
        SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
    }
}

void TDropEdit::SetTextNow(const std::string& text)
{
    CHARRANGE selection {};
    SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    int inserted = 0;
    if (wideMode_ && IsWideText(text)) {
        const std::u16string units = WideTextUnits(text);
        SETTEXTEX set { ST_SELECTION, 1200 };
        SendMessageW(
            Handle(), EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(units.c_str()));
        inserted = static_cast<int>(units.size() - std::count(units.begin(), units.end(), u'\n'));
    } else if (rtfLoad_) {
        TStringStream stream(text);
        LoadFromStream(&stream);
    } else {
        ReplaceSel(text);
        inserted = static_cast<int>(text.size()) - CountOf(text, '\n');
    }
    const int caret = rtfLoad_ ? 0 : selection.cpMin + inserted;
    SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(caret), caret);
    // Plain text takes the control's font and tab stops; rich text keeps its own formatting.
    if (!rtfLoad_ && plainText_)
        Reformat(rfMailAddresses | rfDefaultAttributes | rfTabStops);
}

void TDropEdit::SetText(const std::string& text)
{
    if (!HandleAllocated()) {
        TRichEdit::SetText(text);
        return;
    }
    PumpPending();
    if (rtfLoad_) {
        // A new window reads the rich text on the default formats, not on those the plain text
        // before it left behind; the load goes on with redraw off, as SetRtfText began it.
        const bool focused = GetFocus() == Handle();
        const bool caretHidden = hideCaret_;
        SetWideText(L"");
        CloseUrlTip();
        plainText_ = false; // the new window takes rich text
        RecreateWnd();
        SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
        if (hideCaret_ != caretHidden)
            SetHideCaret(caretHidden);
        if (focused)
            ::SetFocus(Handle());
        plainText_ = true;
    }
    SetTextNow(text);
    PumpPending();
}

void TDropEdit::SetRtfText(const std::string& text)
{
    HandleNeeded();
    SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    rtfLoad_ = true;
    try {
        SetText(text);
    } catch (...) {
        rtfLoad_ = false;
        SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
        throw;
    }
    rtfLoad_ = false;
    SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TDropEdit::StreamRtfIn(const std::string& rtf)
{
    std::string data = rtf;
    StreamBuffer buffer { &data };
    EDITSTREAM stream { reinterpret_cast<DWORD_PTR>(&buffer), 0, &StreamInCallback };
    SendMessageW(Handle(), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
}

std::string TDropEdit::ReadStream(UINT format)
{
    std::string data;
    StreamBuffer buffer { &data };
    EDITSTREAM stream { reinterpret_cast<DWORD_PTR>(&buffer), 0, &StreamOutCallback };
    SendMessageW(Handle(), EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&stream));
    return data;
}

void TDropEdit::LoadFromStream(TStream* stream)
{
    HandleNeeded();
    if (!stream) {
        SetWideText(L"");
        return;
    }
    std::string data;
    const std::int64_t size = stream->Size() - stream->Position();
    if (size > 0) {
        data.resize(static_cast<std::size_t>(size));
        data.resize(static_cast<std::size_t>(stream->Read(data.data(), static_cast<std::int32_t>(size))));
    }
    if (StartsWithRtf(data)) {
        SetWordWrap(true);
        plainText_ = false;
        StreamRtfIn(data);
        return;
    }
    const bool eightBit = !wideMode_ || (SearchOptions & stAnsiChar);
    const std::string text = eightBit ? Utf8ToAnsiText(data) : Utf8ToWideText(data);
    const bool rtfLoad = std::exchange(rtfLoad_, false);
    SetTextNow(text);
    rtfLoad_ = rtfLoad;
}

void TDropEdit::SaveToStream(TStream& stream)
{
    const std::wstring text = WideText();
    const std::string wide = WideTextOfUnits(std::u16string(text.begin(), text.end()));
    const std::string utf8 = WideTextToUtf8Bom(wide);
    stream.WriteBuffer(utf8.data(), static_cast<std::int32_t>(utf8.size()));
}

std::string TDropEdit::GetText() const
{
    if (!HandleAllocated() || !wideMode_)
        return TRichEdit::GetText();
    auto& self = const_cast<TDropEdit&>(*this);
    const std::wstring text = self.WideText();
    const std::u16string units(text.begin(), text.end());
    return (SearchOptions & stAnsiChar) ? Utf16ToAnsi(units) : WideTextOfUnits(units);
}

std::string TDropEdit::GetAnsiText()
{
    if (!HandleAllocated())
        return text_;
    const std::wstring text = WideText();
    return Utf16ToAnsi(std::u16string(text.begin(), text.end()));
}

std::string TDropEdit::GetSelText()
{
    CHARRANGE selection {};
    SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const int length = selection.cpMax - selection.cpMin;
    if (length <= 0)
        return wideMode_ && !(SearchOptions & stAnsiChar) ? WideTextOfUnits(u"") : std::string();
    // Each CR may come back as CR LF.
    std::u16string units(static_cast<std::size_t>(length) * 2 + 1, u'\0');
    GETTEXTEX get {};
    get.cb = static_cast<DWORD>(units.size() * sizeof(char16_t));
    get.flags = GT_SELECTION | GT_USECRLF;
    get.codepage = 1200;
    const auto n = static_cast<int>(SendMessageW(
        Handle(), EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(units.data())));
    units.resize(static_cast<std::size_t>(std::max(n, 0)));
    if (!wideMode_ || (SearchOptions & stAnsiChar))
        return Utf16ToAnsi(units);
    return WideTextOfUnits(units);
}

std::string TDropEdit::GetRtfText()
{
    return ReadStream(SF_RTF);
}

void TDropEdit::LoadFromStrings()
{
    SetRtfText(datedLines_->Text());
}

int TDropEdit::TextLength()
{
    if (!HandleAllocated())
        return 0;
    if (version_ < 2)
        return static_cast<int>(SendMessageW(Handle(), WM_GETTEXTLENGTH, 0, 0));
    GETTEXTLENGTHEX length { GTL_DEFAULT, 1200 };
    return static_cast<int>(SendMessageW(Handle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
}

void TDropEdit::SelectAll()
{
    SendMessageW(Handle(), EM_SETSEL, 0, TextLength());
}

void TDropEdit::SelectRange(int start, int length)
{
    SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(start), start + length);
    SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    SendMessageW(Handle(), EM_SCROLLCARET, 0, 0);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TDropEdit::CollapseToEnd()
{
    CHARRANGE selection {};
    SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (selection.cpMax != 0)
        SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(selection.cpMax), selection.cpMax);
}

bool TDropEdit::IsLinkAt(int position)
{
    const HWND window = Handle();
    CHARRANGE saved {};
    SendMessageW(window, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    SendMessageW(window, EM_HIDESELECTION, TRUE, 0);
    SendMessageW(window, EM_SETSEL, static_cast<WPARAM>(position), position + 1);
    CHARFORMAT2W format {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_LINK;
    SendMessageW(window, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    SendMessageW(window, EM_HIDESELECTION, FALSE, 0);
    return (format.dwEffects & CFE_LINK) != 0;
}
