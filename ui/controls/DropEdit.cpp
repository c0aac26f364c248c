// The rich-edit control: construction and window, text in and out, link marking and link
// events, search, clipboard, keys and mouse, the URL tip and the colour rule. Printing is in
// DropEditPrint.cpp.
#include "ui/controls/DropEdit.h"

#include "foundation/RichEd20.h"
#include "framework/Application.h"
#include "framework/Menus.h"
#include "ui/controls/DropEditPrintText.h"
#include "ui/controls/DropEditText.h"
#include "ui/controls/ToolTip.h"

#include <algorithm>
#include <cstring>

#include <objbase.h>
#include <richole.h>
#include <tom.h>
#include <uxtheme.h>
#include <vssym32.h>
#include <windowsx.h>

namespace {

// Change, update, scroll, scroll events, key and mouse events, request-resize, selection change,
// drop files and link notifications.
constexpr DWORD ExtraEventMask = 0x041F000F;
// SES_EXTENDBACKCOLOR or SES_HIDEGRIDLINES.
constexpr WPARAM ExtraEditStyle = 0x20004;
constexpr GUID TextDocumentIid = { 0x8CC497C0, 0xA1DF, 0x11CE, { 0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D } };

void PumpPending()
{
    Application().ProcessMessages();
}

std::u16string AnsiToUtf16(const std::string& text)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

std::string Utf16ToAnsi(const std::u16string& text)
{
    if (text.empty())
        return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int n = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

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
        stream.data->append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(std::max<LONG>(count, 0)));
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

bool WindowsSixOrLater()
{
    return (GetVersion() & 0xFF) >= 6;
}

} // namespace

// Saves the selection and stops drawing for the time of a reformat; gives both back.
class TDropEdit::HiddenState {
public:
    explicit HiddenState(TDropEdit& edit)
        : edit_(edit)
        , active_(!edit.hiddenByCaller_ && edit.HandleAllocated())
    {
        if (!active_)
            return;
        edit_.hiddenByCaller_ = true;
        SendMessageW(edit_.Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection_));
        SendMessageW(edit_.Handle(), WM_SETREDRAW, FALSE, 0);
    }
    ~HiddenState()
    {
        if (!active_)
            return;
        SendMessageW(edit_.Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection_));
        SendMessageW(edit_.Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(edit_.Handle(), nullptr, TRUE);
        edit_.hiddenByCaller_ = false;
    }
    HiddenState(const HiddenState&) = delete;
    HiddenState& operator=(const HiddenState&) = delete;

private:
    TDropEdit& edit_;
    bool active_;
    CHARRANGE selection_ {};
};

// ---- TClipboardHandler ----------------------------------------------------------------------------------

TClipboardHandler::~TClipboardHandler()
{
    ReleasePrivateData();
}

void TClipboardHandler::ReleasePrivateData() noexcept
{
    if (privateData_)
        privateData_->Release();
    privateData_ = nullptr;
}

bool TClipboardHandler::Execute(HWND control, TKind kind, bool releasePrivateData)
{
    bool done = false;
    IRichEditOle* ole = nullptr;
    SendMessageW(control, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole));
    if (ole) {
        ITextDocument* document = nullptr;
        ole->QueryInterface(TextDocumentIid, reinterpret_cast<void**>(&document));
        if (document) {
            CHARRANGE selection {};
            SendMessageW(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
            ITextRange* range = nullptr;
            document->Range(selection.cpMin, selection.cpMax, &range);
            if (range) {
                VARIANT data;
                VariantInit(&data);
                data.vt = VT_UNKNOWN | VT_BYREF;
                data.ppunkVal = &privateData_;
                HRESULT result = E_FAIL;
                switch (kind) {
                case ckCopy:
                    result = range->Copy(nullptr);
                    break;
                case ckCut:
                    result = range->Cut(nullptr);
                    break;
                case ckPaste:
                    result = range->Paste(nullptr, 0);
                    break;
                case ckCopyPrivate:
                    ReleasePrivateData();
                    result = range->Copy(&data);
                    break;
                case ckPastePrivate:
                    result = privateData_ ? range->Paste(&data, 0) : E_FAIL;
                    break;
                }
                done = SUCCEEDED(result) && (kind != ckCopyPrivate || privateData_);
                if (done && (kind == ckCut || kind == ckPaste || kind == ckPastePrivate)) {
                    long start = 0;
                    range->GetStart(&start);
                    SendMessageW(control, EM_SETSEL, static_cast<WPARAM>(start), start);
                }
                range->Release();
            }
            document->Release();
        }
        ole->Release();
    }
    // The user's clipboard work falls back on the messages, also where the model refuses. The
    // private transfers never touch the user's clipboard: their caller takes another road.
    if (!done && (kind == ckCopy || kind == ckCut || kind == ckPaste))
        SendMessageW(control, kind == ckCopy ? WM_COPY : kind == ckCut ? WM_CUT : WM_PASTE, 0, 0);
    if (releasePrivateData)
        ReleasePrivateData();
    return done;
}

void TClipboardHandler::Reinsert(HWND control)
{
    if (!Execute(control, ckCopyPrivate, false) || !Execute(control, ckPastePrivate, true)) {
        ReleasePrivateData();
        SendMessageW(control, WM_COPY, 0, 0);
        SendMessageW(control, WM_PASTE, 0, 0);
    }
}

// ---- TRtfConverter ------------------------------------------------------------------------------------------

TRtfConverter::TRtfConverter(int index)
{
    static const char* const formats[2] = { "TEXT", "HTML" };
    static const char* const files[2] = { "", "HTML32.CNV" };
    const int at = std::clamp(index, 0, 1);
    FormatName = formats[at];
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(FrameworkModule(), path, MAX_PATH);
    std::string folder(path, n);
    folder.erase(folder.find_last_of("\\/") + 1);
    FileName = folder + files[at];
}

// ---- Construction ---------------------------------------------------------------------------------------------

TDropEdit::TDropEdit(TComponent* owner)
    : TRichEdit(owner)
    , version_(RichEditVersionInUse())
    , wideMode_(version_ > 2)
    , datedLines_(wideMode_ ? std::make_unique<TDatedWideStrings>() : std::make_unique<TDatedStrings>())
    , dropFiles_(*this)
    , callback_(IREOCallback::Create())
    , converter_(1)
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
    } else if (wordWrap_) {
        params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL | WS_HSCROLL);
    } else {
        params.Style |= ES_AUTOHSCROLL;
    }
}

void TDropEdit::CreateWindowHandleDone()
{
    TRichEdit::CreateWindowHandleDone();
    const HWND window = Handle();
    const auto mask = static_cast<DWORD>(SendMessageW(window, EM_GETEVENTMASK, 0, 0));
    SendMessageW(window, EM_SETEVENTMASK, 0, mask | ExtraEventMask);
    if (callback_)
        SendMessageW(window, EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(static_cast<IRichEditOleCallback*>(callback_.get())));
    SendMessageW(window, EM_SETEDITSTYLE, ExtraEditStyle, ExtraEditStyle);
    SendMessageW(window, EM_EXLIMITTEXT, 0, MaxLength());
    SendMessageW(window, EM_SETTARGETDEVICE, 0, wordWrap_ || singleLine_ ? 0 : 1);
    ApplyBorderWidth();
    SetReadOnly(ReadOnly());
    OpenTheme();
    SendMessageW(window, EM_AUTOURLDETECT, urlDetection_, 0);
    dropFiles_.SetAccept(acceptFiles_);
}

// ---- Themed border -----------------------------------------------------------------------------------------------

void TDropEdit::OpenTheme()
{
    theme_.Close();
    if (HandleAllocated() && BorderVisible && (Color() == clWindow || Color() == clBtnFace))
        theme_.Open(Handle(), L"EDIT");
    if (HandleAllocated())
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    const HRESULT result = GetThemeBackgroundContentRect(theme_.Handle(), dc, EP_EDITTEXT, ThemeState(), rect, &content);
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

// ---- Properties ----------------------------------------------------------------------------------------------

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

void TDropEdit::SetMaxLength(int value)
{
    TRichEdit::SetMaxLength(value);
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

// ---- Text ------------------------------------------------------------------------------------------------------

void TDropEdit::ReplaceSel(const std::string& text)
{
    const std::u16string wide = AnsiToUtf16(text);
    if (wideMode_) {
        SETTEXTEX set { ST_SELECTION, 1200 };
        SendMessageW(Handle(), EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(wide.c_str()));
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
        SendMessageW(Handle(), EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(units.c_str()));
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
    if (!rtfLoad_)
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
        SetWideText(L"");
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
    const auto n = static_cast<int>(
        SendMessageW(Handle(), EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(units.data())));
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
    SendMessageW(window, EM_HIDESELECTION, hideCaret_, 0);
    return (format.dwEffects & CFE_LINK) != 0;
}

int TDropEdit::FindText(const std::string& text, int start, int length)
{
    const auto flags = static_cast<WPARAM>(SearchOptions & 7);
    const LONG end = start + length;
    if (!wideMode_ || (SearchOptions & stAnsiChar)) {
        FINDTEXTA find { { start, end }, text.c_str() };
        return static_cast<int>(SendMessageW(Handle(), EM_FINDTEXT, flags, reinterpret_cast<LPARAM>(&find)));
    }
    const std::u16string units = IsWideText(text) ? WideTextUnits(text) : AnsiToUtf16(text);
    FINDTEXTW find { { start, end }, reinterpret_cast<const wchar_t*>(units.c_str()) };
    return static_cast<int>(SendMessageW(Handle(), EM_FINDTEXTW, flags, reinterpret_cast<LPARAM>(&find)));
}

bool TDropEdit::FindNext()
{
    if (searchBusy_) {
        searchAgain_ = false;
        return false;
    }
    searchBusy_ = true;
    struct BusyReset {
        bool& busy;
        ~BusyReset() { busy = false; }
    } busyReset { searchBusy_ };

    bool result = true;
    std::string selected = GetSelText();
    const bool wide = IsWideText(selected);
    if (wide) {
        std::u16string units = WideTextUnits(selected);
        units.resize(std::min(units.size(), units.find(u'\r')));
        selected = WideTextOfUnits(units);
    } else {
        selected.resize(std::min(selected.size(), selected.find('\r')));
    }
    const bool hasSelection = wide ? WideTextLength(selected) > 0 : !selected.empty();
    const auto empty = [](const std::string& s) { return IsWideText(s) ? WideTextLength(s) == 0 : s.empty(); };
    if (searchAgain_ && hasSelection)
        searchText_ = selected;
    if (SearchDialog && (!searchAgain_ || empty(searchText_)))
        SearchDialog(selected, Font().Name(), SearchOptions, searchText_);
    searchAgain_ = false;
    if (empty(searchText_))
        return result;

    const CursorGuard hourglass;
    PumpPending();
    CHARRANGE selection {};
    SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const int length = TextLength();
    const bool down = (SearchOptions & stDown) != 0;
    int start = 0;
    if (down) {
        start = selection.cpMax >= length ? 0 : selection.cpMax;
    } else {
        start = selection.cpMin;
        if (start == 0) {
            MessageBeep(MB_ICONHAND);
            SendMessageW(Handle(), EM_SETSEL, 0, 0);
            result = false;
        }
    }
    // Upwards the rich edit searches from the start towards the range's other end.
    const int found = FindText(searchText_, start, down ? length : -start);
    if (found >= 0) {
        const int hitLength = IsWideText(searchText_) ? WideTextLength(searchText_) : static_cast<int>(searchText_.size());
        SelectRange(found, hitLength);
        CHARRANGE now {};
        SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&now));
        result = now.cpMax > now.cpMin;
    } else if (down) {
        searchAgain_ = true;
    } else {
        SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(selection.cpMin), selection.cpMin);
        MessageBeep(MB_ICONHAND);
        result = false;
    }
    return result;
}

// ---- Clipboard ----------------------------------------------------------------------------------------------------

void TDropEdit::CopyToClipboard()
{
    clipboard_.Execute(Handle(), TClipboardHandler::ckCopy, false);
}

void TDropEdit::CutToClipboard()
{
    if (ReadOnly())
        return;
    {
        const HiddenState hidden(*this);
        clipboard_.Execute(Handle(), TClipboardHandler::ckCut, false);
    }
    Reformat(rfMailAddresses);
}

void TDropEdit::PasteFromClipboard()
{
    if (ReadOnly())
        return;
    clipboard_.Execute(Handle(), TClipboardHandler::ckPaste, false);
    Reformat(rfMailAddresses);
}

// ---- Reformat and links ---------------------------------------------------------------------------------------------

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
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_CHARSET;
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
    const auto n = static_cast<int>(SendMessageW(window, EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buffer.data())));
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
        const auto found = static_cast<int>(SendMessageW(window, EM_FINDTEXTW, FR_DOWN, reinterpret_cast<LPARAM>(&find)));
        if (found < 0)
            break;
        const auto line = static_cast<int>(SendMessageW(window, EM_EXLINEFROMCHAR, 0, found));
        const auto lineStart = static_cast<int>(SendMessageW(window, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
        const auto lineLength = static_cast<int>(SendMessageW(window, EM_LINELENGTH, static_cast<WPARAM>(lineStart), 0));
        if (!IsLinkAt(found)) {
            for (const TTextRun& run : MailAddressRuns(LineAt(line), found - lineStart)) {
                SendMessageW(window, EM_SETSEL, static_cast<WPARAM>(lineStart + run.Start), lineStart + run.Start + run.Length);
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
    const auto n = static_cast<int>(SendMessageW(Handle(), EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)));
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

void TDropEdit::HandleEnterOnLink()
{
    CHARRANGE selection {};
    SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (!IsLinkAt(selection.cpMin))
        return;
    POINTL point {};
    SendMessageW(Handle(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), selection.cpMin);
    PostMessageW(Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(point.x + 1, point.y + 1));
}

// ---- URL tip -------------------------------------------------------------------------------------------------------

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
    SendMessageW(window, EM_HIDESELECTION, hideCaret_, 0);
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
    tipPoint_ = mouse;
    const bool balloon = WindowsSixOrLater();
    tip_ = CreateTrackingToolTip(window, nullptr, tipRect_, shown, ClientWidth() / 2, TTitleData { TTI_INFO, "URL-Info" },
        0, !balloon, balloon, false);
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
        const POINT at { cursor.x + GetSystemMetrics(SM_CXCURSOR) / 2, cursor.y + GetSystemMetrics(SM_CYCURSOR) / 4 };
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
    tipPoint_ = { -1, -1 };
    tipRect_ = { -1, -1, -1, -1 };
    const HWND tip = std::exchange(tip_, nullptr);
    DestroyTrackingToolTip(tip, HandleAllocated() ? Handle() : nullptr, nullptr);
}

// ---- Keys and mouse ----------------------------------------------------------------------------------------------------

void TDropEdit::DoEnter()
{
    TRichEdit::DoEnter();
    if (AutoSelect && singleLine_ && !(GetKeyState(VK_LBUTTON) & 0x8000))
        SelectAll();
}

void TDropEdit::SendKeyPair(WORD key)
{
    // The page keys of the rich edit must not see the modifiers that chose them.
    BYTE state[256] = {};
    GetKeyboardState(state);
    BYTE released[256];
    std::memcpy(released, state, sizeof released);
    for (const int modifier : { VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_CONTROL, VK_LCONTROL, VK_RCONTROL })
        released[modifier] = 0;
    SetKeyboardState(released);
    TMessage down { WM_KEYDOWN, key, 1 };
    DefaultHandler(down);
    TMessage up { WM_KEYUP, key, static_cast<LPARAM>(0xC0000001) };
    DefaultHandler(up);
    SetKeyboardState(state);
}

bool TDropEdit::PageKeys(WORD key, TShiftState shift)
{
    if (key != VK_SPACE || !ReadOnly())
        return false;
    SendKeyPair((shift & (ssShift | ssCtrl)) ? VK_PRIOR : VK_NEXT);
    return true;
}

bool TDropEdit::DoKeyDown(WORD& key, TShiftState shift)
{
    CloseUrlTip();
    if (TRichEdit::DoKeyDown(key, shift))
        return true;
    const HWND window = Handle();
    if (shift & ssAlt) {
        if (key == VK_BACK) {
            SendMessageW(window, (shift & ssShift) ? EM_REDO : EM_UNDO, 0, 0);
            return true;
        }
        return false;
    }
    if ((shift & ssCtrl) && !(shift & ssShift)) {
        switch (key) {
        case 'A':
            SelectAll();
            return true;
        case 'C':
            CopyToClipboard();
            return true;
        case 'V':
            PasteFromClipboard();
            return true;
        case 'X':
            CutToClipboard();
            return true;
        case 'Y':
            SendMessageW(window, EM_REDO, 0, 0);
            return true;
        case 'Z':
            SendMessageW(window, EM_UNDO, 0, 0);
            return true;
        default:
            break;
        }
    }
    switch (key) {
    case VK_RETURN:
        HandleEnterOnLink();
        return true;
    case VK_APPS:
        return true;
    default:
        return PageKeys(key, shift);
    }
}

bool TDropEdit::DoKeyPress(char& key)
{
    if (TRichEdit::DoKeyPress(key))
        return true;
    // Control characters of the shortcuts above are no text.
    if (static_cast<unsigned char>(key) < 0x20 && key != '\r' && key != '\t' && key != '\b')
        return true;
    if (ReadOnly() && key == ' ')
        return true;
    if (singleLine_ && static_cast<unsigned char>(key) >= 0x20) {
        CHARRANGE selection {};
        SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        if (selection.cpMax == selection.cpMin && TextLength() >= MaxLength())
            MessageBeep(0);
    }
    return false;
}

bool TDropEdit::HandleRightButton(TMessage& message)
{
    const POINTL point { GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam) };
    const auto position = static_cast<int>(SendMessageW(Handle(), EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&point)));
    if (position >= 0 && position < TextLength() && IsLinkAt(position))
        return false;
    POINT screen { point.x, point.y };
    ::ClientToScreen(Handle(), &screen);
    OpenContextMenu(screen);
    return true;
}

void TDropEdit::OpenContextMenu(POINT screen)
{
    TPopupMenu* menu = PopupMenu();
    if (!menu)
        return;
    if (!menu->AutoPopup)
        return;
    POINT client = screen;
    ::ScreenToClient(Handle(), &client);
    RECT area {};
    GetClientRect(Handle(), &area);
    if (!PtInRect(&area, client))
        screen = ClientToScreen({ area.right / 2, area.bottom / 2 });
    menu->PopupComponent = this;
    menu->Popup(screen.x, screen.y);
}

void TDropEdit::WndProc(TMessage& message)
{
    if (dropFiles_.Dispatch(message))
        return;
    const HWND window = HandleAllocated() ? Handle() : nullptr;
    switch (message.Msg) {
    case CN_NOTIFY: {
        TRichEdit::WndProc(message);
        const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
        if (header && header->code == EN_LINK)
            HandleLink(*reinterpret_cast<const ENLINK*>(message.LParam));
        return;
    }
    case CN_COMMAND:
        if (HIWORD(message.WParam) == EN_UPDATE && !plainText_ && window) {
            const int position = GetScrollPos(window, SB_HORZ);
            if (position != lastHorzScroll_) {
                lastHorzScroll_ = position;
                InvalidateRect(window, nullptr, TRUE);
            }
        }
        if (HIWORD(message.WParam) == EN_CHANGE && Showing() && window && GetFocus() != window
            && GetAncestor(window, GA_ROOT) == GetForegroundWindow())
            SetFocus();
        TRichEdit::WndProc(message);
        return;
    case WM_MOUSEMOVE:
        if (tip_) {
            const POINT point { GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam) };
            if (!PtInRect(&tipRect_, point))
                CloseUrlTip();
        }
        if (Showing() && window && GetFocus() != window && GetAncestor(window, GA_ROOT) == GetForegroundWindow())
            SetFocus();
        break;
    case WM_LBUTTONDBLCLK: {
        SendMessageW(window, EM_HIDESELECTION, TRUE, 0);
        TRichEdit::WndProc(message);
        if (restoreCaret_ >= 0) {
            SendMessageW(window, EM_SETSEL, static_cast<WPARAM>(restoreCaret_), restoreCaret_);
            restoreCaret_ = -1;
        }
        SendMessageW(window, EM_HIDESELECTION, hideCaret_, 0);
        return;
    }
    case WM_RBUTTONDOWN:
        if (HandleRightButton(message))
            return;
        break;
    case WM_CONTEXTMENU:
        if (PopupMenu() && PopupMenu()->AutoPopup) {
            POINT at { GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam) };
            if (at.x == -1 && at.y == -1)
                at = ClientToScreen({ -1, -1 });
            OpenContextMenu(at);
            return;
        }
        break;
    case WM_NCCALCSIZE:
        if (theme_ && ThemedClientArea(message))
            return;
        break;
    case WM_NCPAINT:
        if (theme_) {
            // The scroll bars are drawn by the system, the frame by the theme.
            TRichEdit::WndProc(message);
            PaintThemedBorder();
            message.Result = 0;
            return;
        }
        break;
    case WM_THEMECHANGED:
        TRichEdit::WndProc(message);
        OpenTheme();
        return;
    case WM_TIMER:
        if (tip_ && message.WParam == reinterpret_cast<WPARAM>(tip_)) {
            UrlTipTimer();
            return;
        }
        break;
    case WM_DESTROY:
        CloseUrlTip();
        TRichEdit::WndProc(message);
        // The framework keeps the text for a new window as 8-bit text.
        text_ = TRichEdit::GetText();
        return;
    default:
        break;
    }
    TRichEdit::WndProc(message);
}
