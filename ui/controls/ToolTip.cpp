// The tooltip control: tool bookkeeping, the text window that draws the tip, placement, the show
// and hide steps (message filter, mouse capture, focus of rich tips), link walking and clicking,
// and the free routines for tracking tooltips.
#include "ui/controls/ToolTip.h"

#include "foundation/WindowUtils.h"
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/Subclassing.h"

#include <algorithm>
#include <vector>

#include <vssym32.h>

namespace {

constexpr DWORD TipStyle = WS_POPUP | 0x133; // always tip, no prefix, no animation, no fade, visual style
constexpr UINT ToolFlags = TTF_SUBCLASS | TTF_TRANSPARENT | TTF_PARSELINKS;
constexpr UINT PlainFlags = DT_CENTER | DT_VCENTER | DT_EXTERNALLEADING | DT_HIDEPREFIX;
constexpr DWORD RichEventMask = 0x040F0007;
constexpr const char* TipProperty = "tooltips_class32";
// The application-wide short pause; the framework keeps the other two.
constexpr int ShortHintPause = 250;

std::wstring ToWide(const std::string& text)
{
    if (text.empty())
        return {};
    std::wstring wide(text.size(), L'\0');
    const int n = MultiByteToWideChar(
        CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(std::max(n, 0)));
    return wide;
}

std::string FromWide(const std::wstring& wide)
{
    if (wide.empty())
        return {};
    const int n = WideCharToMultiByte(
        CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(
        CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr, nullptr);
    return text;
}

POINT CursorOrNone()
{
    POINT p;
    if (!GetCursorPos(&p))
        return { -1, -1 };
    return p;
}

bool IsNoPoint(POINT p) noexcept
{
    return p.x == -1 && p.y == -1;
}

struct RtfSource {
    const std::string* text;
    std::size_t position;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* done)
{
    try {
        auto* source = reinterpret_cast<RtfSource*>(cookie);
        const std::size_t left = source->text->size() - source->position;
        const auto n = std::min<std::size_t>(left, static_cast<std::size_t>(std::max<LONG>(wanted, 0)));
        std::copy_n(source->text->data() + source->position, n, buffer);
        source->position += n;
        *done = static_cast<LONG>(n);
        return 0;
    } catch (...) {
        *done = 0;
        return static_cast<DWORD>(-1);
    }
}

// A key press with chosen modifier states, as the rich edit's own key handling reads them.
class ForcedModifiers {
public:
    ForcedModifiers(bool shift, bool control)
    {
        GetKeyboardState(saved_);
        BYTE state[256];
        std::copy(std::begin(saved_), std::end(saved_), state);
        state[VK_SHIFT] = shift ? 0x80 : 0;
        state[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(state);
    }
    ~ForcedModifiers() { SetKeyboardState(saved_); }
    ForcedModifiers(const ForcedModifiers&) = delete;
    ForcedModifiers& operator=(const ForcedModifiers&) = delete;

private:
    BYTE saved_[256] {};
};

BOOL CALLBACK PopFirstVisibleTip(HWND window, LPARAM)
{
    auto* tip = dynamic_cast<TToolTip*>(TWinControl::FindControl(window));
    if (!tip || !IsWindowVisible(window))
        return TRUE;
    tip->Pop();
    return FALSE;
}

RECT ClientRectOrEmpty(HWND window)
{
    RECT r {};
    if (!window || !GetClientRect(window, &r))
        return {};
    return r;
}

RECT WindowRectOrEmpty(HWND window)
{
    RECT r {};
    if (!window || !GetWindowRect(window, &r))
        return {};
    return r;
}

} // namespace

// ---- placement ----

POINT PlaceToolTip(const TTipPlacement& in)
{
    const RECT& w = in.WorkArea;
    const int width = in.Size.cx;
    const int height = in.Size.cy;
    POINT p = in.Proposed;
    // Into the work area; the left and top edges win.
    p.x = std::max<LONG>(std::min<LONG>(p.x, w.right - width), w.left);
    p.y = std::max<LONG>(std::min<LONG>(p.y, w.bottom - height), w.top);
    if (!in.FixedPos && in.Mode == cttNot)
        return p;

    POINT anchor {};
    const POINT toolTopLeft { in.OwnerClientOrigin.x + in.ToolRect.left, in.OwnerClientOrigin.y + in.ToolRect.top };
    const int toolWidth = in.ToolRect.right - in.ToolRect.left;
    const int toolHeight = in.ToolRect.bottom - in.ToolRect.top;
    const int ownerWidth = in.OwnerWindow.right - in.OwnerWindow.left;
    const int ownerHeight = in.OwnerWindow.bottom - in.OwnerWindow.top;
    if (in.KeepPosition) {
        anchor = in.Proposed;
    } else {
        switch (in.Mode) {
        case cttSubMouse:
            anchor = { in.Cursor.x - width / 2, in.Cursor.y - (in.VMargin + 1) };
            break;
        case cttInParent:
            anchor = { in.OwnerWindow.left + (ownerWidth - width) / 2, in.OwnerWindow.top + (ownerHeight - height) / 2 };
            break;
        case cttSubParent:
            anchor = { in.OwnerWindow.left + (ownerWidth - width) / 2, in.OwnerWindow.bottom + 2 };
            break;
        case cttInToolRect:
            anchor = { toolTopLeft.x + (toolWidth - width) / 2, toolTopLeft.y + (toolHeight - height) / 2 };
            break;
        case cttSubToolRect:
            anchor = { toolTopLeft.x + (toolWidth - width) / 2, toolTopLeft.y + toolHeight + 2 };
            break;
        case cttNot:
        case cttTrack:
            anchor = in.OwnerClientOrigin;
            break;
        }
    }
    if (in.AdjustAnchor)
        in.AdjustAnchor(anchor);
    anchor.x = std::max<LONG>(std::min<LONG>(anchor.x, w.right - width), 0);
    anchor.y = std::max<LONG>(std::min<LONG>(anchor.y, w.bottom - height), 0);
    return anchor;
}

// ---- TToolTip ----

TToolTip::TToolTip(TWinControl* owner)
    : TWinControl(owner)
    , owner_(owner)
{
    TControl::SetVisible(false);
    Font().SetColor(clInfoText);
    info_.cbSize = sizeof(info_);
    info_.uFlags = ToolFlags;
    // The owner's window first: making it also makes the windows of its controls, this one included.
    if (owner)
        owner->HandleNeeded();
    SetParent(owner);
    HandleNeeded();
}

TToolTip::~TToolTip()
{
    HideStep();
    DestroyHandle();
}

HWND TToolTip::OwnerWindow() const
{
    return owner_ && owner_->HandleAllocated() ? owner_->Handle() : nullptr;
}

void TToolTip::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SystemClassName = TOOLTIPS_CLASSA;
    params.Style = TipStyle;
    params.ExStyle = WS_EX_TOOLWINDOW;
    params.X = params.Y = params.Width = params.Height = static_cast<int>(CW_USEDEFAULT);
    params.WndParent = owner_ ? owner_->Handle() : nullptr;
    params.Caption.clear();
}

// What the tooltip's WM_CREATE would do: it came before our procedure was in place.
void TToolTip::CreateWindowHandleDone()
{
    TWinControl::CreateWindowHandleDone();
    info_.hwnd = OwnerWindow();
    SendMessageA(Handle(), TTM_SETMAXTIPWIDTH, 0, 0x7FFFFFFF);
    Application().HintPause = 500;
    Application().HintHidePause = 2500;
    SetColor(clInfoBk);
    SetToolRect(ClientRectOrEmpty(info_.hwnd));
    ApplyStyle();
}

int TToolTip::HintPause()
{
    return static_cast<int>(SendMessageA(Handle(), TTM_GETDELAYTIME, TTDT_INITIAL, 0));
}

void TToolTip::SetHintPause(int value)
{
    SendMessageA(Handle(), TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(value, 0));
}

int TToolTip::HintHidePause()
{
    return static_cast<int>(SendMessageA(Handle(), TTM_GETDELAYTIME, TTDT_AUTOPOP, 0));
}

void TToolTip::SetHintHidePause(int value)
{
    SendMessageA(Handle(), TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(value, 0));
}

int TToolTip::HintShortPause()
{
    return static_cast<int>(SendMessageA(Handle(), TTM_GETDELAYTIME, TTDT_RESHOW, 0));
}

void TToolTip::SetHintShortPause(int value)
{
    SendMessageA(Handle(), TTM_SETDELAYTIME, TTDT_RESHOW, MAKELPARAM(value, 0));
}

void TToolTip::SetMaxWidth(int value)
{
    if (value == maxWidth_)
        return;
    maxWidth_ = value;
    SendMessageA(Handle(), TTM_SETMAXTIPWIDTH, 0, value);
    if (value != 0)
        drawFlags_ |= DT_WORDBREAK;
}

void TToolTip::SetToolTipStyle(TToolTipStyle style)
{
    style_ = style;
    ApplyStyle();
}

int TToolTip::LimitWidth() const
{
    return maxWidth_ < 0 ? ClientRectOrEmpty(OwnerWindow()).right : maxWidth_;
}

void TToolTip::DestroyTextWindow() noexcept
{
    if (textWindow_ && IsWindow(textWindow_))
        DestroyWindow(textWindow_);
    textWindow_ = nullptr;
}

void TToolTip::ApplyStyle()
{
    DestroyTextWindow();
    if (style_ == ttsRichText) {
        const std::string className = TRichEdit::ClassName();
        if (!className.empty())
            textWindow_ = CreateWindowExW(WS_EX_TRANSPARENT, className == "RichEdit50W" ? L"RichEdit50W" : L"RichEdit20W",
                L"", 0x50000804, 0, 0, 0, 0, Handle(), nullptr, FrameworkModule(), nullptr);
        if (textWindow_) {
            if (maxWidth_ == 0)
                SetMaxWidth(ClientRectOrEmpty(OwnerWindow()).right);
            SendMessageW(textWindow_, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
            SendMessageW(textWindow_, EM_SETEVENTMASK, 0, RichEventMask);
            SendMessageW(textWindow_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
            SendMessageW(textWindow_, EM_HIDESELECTION, FALSE, 0);
            SendMessageW(textWindow_, EM_SETREADONLY, TRUE, 0);
        }
        HMargin = 4;
        VMargin = 4;
    } else {
        textWindow_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, Handle(), nullptr,
            FrameworkModule(), nullptr);
        drawFlags_ = maxWidth_ != 0 ? PlainFlags | DT_WORDBREAK : PlainFlags;
        if (style_ == ttsUnderscore)
            drawFlags_ &= ~static_cast<UINT>(DT_HIDEPREFIX);
        HMargin = 4;
        VMargin = 2;
    }
    if (!textWindow_)
        return;
    SetPropA(textWindow_, TipProperty, this);
    if (VisualStylesActive())
        theme_.Open(textWindow_, L"TOOLTIP");
    SubclassRegistry::Subclass(textWindow_, [this](HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        return TextWindowProc(window, msg, wParam, lParam);
    });
    if (!ParentFont())
        Font().SetName(GetDialogFontName(theme_.Handle(), TMT_MSGBOXFONT));
    ApplyFontToTextWindow();
}

void TToolTip::SetText(const std::string& text)
{
    if (style_ == ttsRichText) {
        SetRichText(text);
        return;
    }
    const std::string shown = OversizeOnly ? OversizedText(text) : text;
    drawText_ = ToWide(shown);
    UpdateToolText(shown);
}

std::string TToolTip::OversizedText(const std::string& text)
{
    if (OnGetOversizedText)
        return OnGetOversizedText(text);
    HWND owner = OwnerWindow();
    const RECT client = ClientRectOrEmpty(owner);
    RECT measured = client;
    const std::wstring wide = ToWide(text);
    HDC dc = GetDC(owner);
    const auto font = reinterpret_cast<HFONT>(SendMessageA(owner, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    TThemeHandle edit;
    if (edit.Open(owner, L"EDIT"))
        GetThemeTextExtent(edit.Handle(), dc, 1, 1, wide.c_str(), static_cast<int>(wide.size()), drawFlags_, &client,
            &measured);
    else
        DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &measured, drawFlags_ | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(owner, dc);
    return measured.right > client.right ? text : std::string();
}

void TToolTip::UpdateToolText(const std::string& text)
{
    if (textWindow_)
        MoveWindow(textWindow_, 0, 0, 0, 0, FALSE);
    if (text.empty()) {
        info_.lpszText = nullptr;
        text_.clear();
        DeactivateTip();
        return;
    }
    if (text == text_)
        return;
    text_ = text;
    info_.lpszText = blank_;
    if (CenterToolTip == cttNot) {
        ActivateTip();
    } else if (Showing()) {
        retexting_ = true;
        SendMessageA(Handle(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info_));
        retexting_ = false;
    }
}

void TToolTip::SetRichText(const std::string& rtf)
{
    UpdateToolText(rtf);
    if (!textWindow_)
        return;
    RECT margins { HMargin, VMargin, HMargin, VMargin };
    SendMessageW(textWindow_, EM_SETRECTNP, 1, reinterpret_cast<LPARAM>(&margins));
    if (rtf.empty()) {
        SETTEXTEX set { ST_DEFAULT, 1200 };
        SendMessageW(textWindow_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(L""));
        return;
    }
    StreamRichText(rtf);
}

void TToolTip::StreamRichText(const std::string& rtf)
{
    RtfSource source { &rtf, 0 };
    EDITSTREAM stream {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadRtf;
    SendMessageW(textWindow_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    if (stream.dwError != 0) {
        SETTEXTEX set { ST_DEFAULT, 1200 };
        SendMessageW(textWindow_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(L""));
    }
}

void TToolTip::SetToolRect(const RECT& rect)
{
    info_.rect = rect;
    SendMessageA(Handle(), TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&info_));
}

int TToolTip::ToolCount()
{
    return static_cast<int>(SendMessageA(Handle(), TTM_GETTOOLCOUNT, 0, 0));
}

bool TToolTip::ActivateTip()
{
    if (ToolCount() != 0)
        return false;
    if (ParentFont()) {
        const auto font = reinterpret_cast<HFONT>(SendMessageA(OwnerWindow(), WM_GETFONT, 0, 0));
        if (font)
            ownerFont_.AssignHandle(font);
    }
    SetHintPause(Application().HintPause);
    SetHintHidePause(Application().HintHidePause);
    SetHintShortPause(ShortHintPause);
    info_.hwnd = OwnerWindow();
    SendMessageA(Handle(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info_));
    SendMessageA(Handle(), TTM_ACTIVATE, TRUE, 0);
    if (CenterToolTip != cttNot)
        SendMessageA(Handle(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info_));
    return true;
}

bool TToolTip::DeactivateTip()
{
    if (!HandleAllocated() || ToolCount() == 0)
        return false;
    if (CenterToolTip != cttNot)
        SendMessageA(Handle(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info_));
    SendMessageA(Handle(), TTM_ACTIVATE, FALSE, 0);
    SendMessageA(Handle(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info_));
    // A tip taken away while shown may never hear its pop notice.
    HideStep();
    return true;
}

bool TToolTip::ReshowTip()
{
    DeactivateTip();
    return ActivateTip();
}

void TToolTip::SetActive(bool active)
{
    SendMessageA(Handle(), TTM_ACTIVATE, active, 0);
}

bool TToolTip::Showing() const
{
    return HandleAllocated() && IsWindowVisible(const_cast<TToolTip*>(this)->Handle());
}

void TToolTip::SetVisible(bool visible)
{
    HWND window = Handle();
    const auto style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(visible ? style | WS_VISIBLE : style & ~WS_VISIBLE));
}

// A tip has no parent control, so no owner's colour or font change reaches it: a tip that follows
// its owner's font takes it when it is activated (ActivateTip), and no owner asks a tip to follow
// its colour.
void TToolTip::ColorChanged()
{
    TWinControl::ColorChanged();
    if (!HandleAllocated())
        return;
    SendMessageA(Handle(), TTM_SETTIPBKCOLOR, ColorToRGB(Color()), 0);
    if (style_ == ttsRichText && textWindow_)
        SendMessageW(textWindow_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
}

void TToolTip::FontChanged()
{
    TWinControl::FontChanged();
    if (!HandleAllocated())
        return;
    ApplyFontToTextWindow();
    SendMessageA(Handle(), TTM_SETTIPTEXTCOLOR, ColorToRGB(Font().Color()), 0);
}

void TToolTip::ApplyFontToTextWindow()
{
    if (!textWindow_)
        return;
    if (style_ != ttsRichText) {
        SendMessageA(textWindow_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
        return;
    }
    CHARFORMAT2W format {};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_SIZE | CFM_COLOR | CFM_FACE;
    const TFontStyles style = Font().Style();
    format.dwEffects = ((style & fsBold) ? CFE_BOLD : 0) | ((style & fsItalic) ? CFE_ITALIC : 0)
        | ((style & fsUnderline) ? CFE_UNDERLINE : 0) | ((style & fsStrikeOut) ? CFE_STRIKEOUT : 0);
    format.yHeight = Font().Size() * 20;
    format.crTextColor = ColorToRGB(Font().Color());
    const std::wstring face = ToWide(Font().Name());
    lstrcpynW(format.szFaceName, face.c_str(), LF_FACESIZE);
    SendMessageW(textWindow_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

// ---- window procedures ----

void TToolTip::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_DESTROY:
        HideStep();
        textWindow_ = nullptr;
        break;
    case WM_PAINT:
        if (textWindow_) {
            const RECT client = ClientRectOrEmpty(Handle());
            if (OversizeOnly) {
                MoveWindow(textWindow_, 0, 0, client.right, client.bottom, TRUE);
                break;
            }
            PAINTSTRUCT paint;
            BeginPaint(Handle(), &paint);
            MoveWindow(textWindow_, 0, 0, client.right, client.bottom, TRUE);
            EndPaint(Handle(), &paint);
            message.Result = 0;
            return;
        }
        break;
    case WM_SHOWWINDOW:
        if (message.WParam == 0)
            text_.clear();
        break;
    case WM_SETFONT:
        ApplyFontToTextWindow();
        break;
    case WM_WINDOWPOSCHANGING:
        PlaceOnPositionChanging(*reinterpret_cast<WINDOWPOS*>(message.LParam));
        DefaultHandler(message);
        return;
    case WM_WINDOWPOSCHANGED:
        DefaultHandler(message);
        OnPositionChanged(*reinterpret_cast<const WINDOWPOS*>(message.LParam));
        return;
    case WM_NOTIFY: {
        auto& header = *reinterpret_cast<NMHDR*>(message.LParam);
        if (textWindow_ && header.hwndFrom == textWindow_ && style_ == ttsRichText
            && OnRichNotify(header, message.Result))
            return;
        break;
    }
    case WM_COMMAND:
        if (textWindow_ && reinterpret_cast<HWND>(message.LParam) == textWindow_ && style_ == ttsRichText
            && (HIWORD(message.WParam) == EN_CHANGE || HIWORD(message.WParam) == EN_UPDATE) && !text_.empty())
            SendMessageW(textWindow_, EM_REQUESTRESIZE, 0, 0);
        break;
    case WM_CTLCOLORSTATIC:
        SetBkColor(reinterpret_cast<HDC>(message.WParam), ColorToRGB(Color()));
        message.Result = reinterpret_cast<LRESULT>(Brush());
        return;
    case WM_PARENTNOTIFY:
        if (LOWORD(message.WParam) == WM_DESTROY && reinterpret_cast<HWND>(message.LParam) == textWindow_
            && textWindow_) {
            RemovePropA(textWindow_, TipProperty);
            SubclassRegistry::Unsubclass(textWindow_);
            theme_.Close();
        }
        break;
    case CN_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(message.LParam);
        if (header.code == TTN_SHOW)
            ShowStep();
        else if (header.code == TTN_POP)
            HideStep();
        return;
    }
    default:
        break;
    }
    TWinControl::WndProc(message);
}

LRESULT TToolTip::TextWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        if (style_ != ttsRichText) {
            PaintPlainText(window);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (style_ == ttsRichText) {
            if (theme_)
                DrawThemeParentBackground(window, reinterpret_cast<HDC>(wParam), nullptr);
            else
                SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return 1;
        }
        break;
    case WM_MOUSEMOVE: {
        TRACKMOUSEEVENT track { sizeof(track), TME_LEAVE, window, 0 };
        TrackMouseEvent(&track);
        break;
    }
    case WM_MOUSELEAVE:
        HideTip();
        break;
    default:
        break;
    }
    const LRESULT result = SubclassRegistry::CallOriginal(window, msg, wParam, lParam);
    if (msg == WM_PAINT)
        HideCaret(window);
    return result;
}

void TToolTip::PaintPlainText(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT r = ClientRectOrEmpty(window);
    const HGDIOBJ oldFont = SelectObject(dc, OversizeOnly ? ownerFont_.Handle() : Font().Handle());
    const HGDIOBJ oldBrush = SelectObject(dc, Brush());
    SetTextColor(dc, ColorToRGB(Font().Color()));
    if (!theme_ || OversizeOnly) {
        SetBkMode(dc, TRANSPARENT);
        DrawEdge(dc, &r, 0, BF_RECT | BF_MONO);
        r.top += GetSystemMetrics(SM_CYBORDER);
        DrawTextW(dc, drawText_.c_str(), static_cast<int>(drawText_.size()), &r, drawFlags_);
    } else {
        DrawThemeParentBackground(window, dc, &r);
        DrawThemeEdge(theme_.Handle(), dc, 1, 1, &r, 0, BF_RECT | BF_MONO, nullptr);
        DrawThemeText(theme_.Handle(), dc, 1, 1, drawText_.c_str(), static_cast<int>(drawText_.size()), drawFlags_, 0, &r);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldFont);
    EndPaint(window, &paint);
}

// ---- placement and measuring ----

int TToolTip::MeasureRichHeight()
{
    if (!textWindow_)
        return 0;
    POINTL first {};
    POINTL last {};
    const auto lines = static_cast<int>(SendMessageW(textWindow_, EM_GETLINECOUNT, 0, 0));
    const auto lastStart = static_cast<int>(SendMessageW(textWindow_, EM_LINEINDEX, std::max(lines - 1, 0), 0));
    SendMessageW(textWindow_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&first), 0);
    SendMessageW(textWindow_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&last), std::max(lastStart, 0));
    return (last.y - first.y) + Font().Size() + 1 + 2 * VMargin;
}

SIZE TToolTip::MeasureText(const RECT& workArea)
{
    const int limit = LimitWidth();
    if (style_ == ttsRichText) {
        if (!textWindow_ || text_.empty())
            return {};
        const int lineWidth = std::max(static_cast<int>(limit > 0 ? limit : workArea.right - workArea.left) - 2 * HMargin, 1);
        HDC screen = GetDC(nullptr);
        const int twips = MulDiv(lineWidth, 1440, GetDeviceCaps(screen, LOGPIXELSX));
        SendMessageW(textWindow_, EM_SETTARGETDEVICE, reinterpret_cast<WPARAM>(screen), twips);
        ReleaseDC(nullptr, screen);
        // The rich edit answers with the height at the new line width (EN_REQUESTRESIZE).
        SendMessageW(textWindow_, EM_REQUESTRESIZE, 0, 0);
        const int height = TextHeight > 0 ? TextHeight + 4 * VMargin : measuredHeight_ + VMargin;
        return { lineWidth, height };
    }
    if (drawText_.empty())
        return {};
    RECT r { 0, 0, limit > 0 ? limit : workArea.right - workArea.left, workArea.bottom - workArea.top };
    HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, OversizeOnly ? ownerFont_.Handle() : Font().Handle());
    if (theme_ && !OversizeOnly) {
        const RECT bounds = r;
        GetThemeTextExtent(theme_.Handle(), dc, 1, 1, drawText_.c_str(), static_cast<int>(drawText_.size()),
            drawFlags_ | DT_CALCRECT, &bounds, &r);
    } else {
        DrawTextW(dc, drawText_.c_str(), static_cast<int>(drawText_.size()), &r, drawFlags_ | DT_CALCRECT);
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return { r.right - r.left, r.bottom - r.top };
}

void TToolTip::PlaceOnPositionChanging(WINDOWPOS& pos)
{
    if ((pos.flags & SWP_NOSIZE) && !(pos.flags & SWP_SHOWWINDOW))
        return;
    TTipPlacement in;
    in.WorkArea = ScreenWorkArea(Handle());
    const SIZE text = MeasureText(in.WorkArea);
    if (text.cx <= 0 || text.cy <= 0)
        return;
    in.Size = { text.cx + 2 * HMargin, text.cy + 2 * VMargin };
    in.Mode = CenterToolTip;
    in.FixedPos = FixedPos;
    in.VMargin = VMargin;
    const RECT current = WindowRectOrEmpty(Handle());
    in.Proposed = (pos.flags & SWP_NOMOVE) ? POINT { current.left, current.top } : POINT { pos.x, pos.y };
    in.KeepPosition = retexting_ && Showing();
    if (in.KeepPosition)
        in.Proposed = { current.left, current.top };
    in.Cursor = CursorOrNone();
    HWND owner = OwnerWindow();
    in.OwnerWindow = WindowRectOrEmpty(owner);
    POINT origin {};
    if (owner)
        ::ClientToScreen(owner, &origin);
    in.OwnerClientOrigin = origin;
    in.ToolRect = info_.rect;
    if (OnGetToolTipOrigin)
        in.AdjustAnchor = OnGetToolTipOrigin;
    else if (!IsNoPoint(Origin))
        in.AdjustAnchor = [this](POINT& anchor) { anchor = Origin; };
    const POINT p = PlaceToolTip(in);
    pos.x = p.x;
    pos.y = p.y;
    pos.cx = in.Size.cx;
    pos.cy = in.Size.cy;
    pos.flags &= ~static_cast<UINT>(SWP_NOMOVE | SWP_NOSIZE);
}

void TToolTip::OnPositionChanged(const WINDOWPOS& pos)
{
    if (!(pos.flags & SWP_SHOWWINDOW) || (pos.flags & SWP_NOREDRAW) || style_ != ttsRichText)
        return;
    // A rich tip takes the pointer in, so the user can reach its links.
    const RECT r = WindowRectOrEmpty(Handle());
    const int y = r.top + GetSystemMetrics(SM_CYCURSOR) / 2;
    RECT reach = r;
    reach.top = y;
    if (!PtInRect(&reach, CursorOrNone())) {
        SetCursorPos((r.left + r.right) / 2, y);
        SetCursor(nullptr);
    }
}

// ---- showing and hiding ----

void TToolTip::ShowStep()
{
    if (shown_)
        return;
    shown_ = true;
    if (filterId_ == 0)
        filterId_ = Application().Filters().Add([this](MSG& message) { return OnApplicationMessage(message); });
    if (OnShowToolTip)
        OnShowToolTip(*this);
    if (style_ == ttsRichText) {
        previousFocus_ = GetFocus();
        if (textWindow_)
            ::SetFocus(textWindow_);
    } else if (HWND owner = OwnerWindow()) {
        SetCapture(owner);
        captured_ = true;
    }
}

void TToolTip::HideStep() noexcept
{
    if (filterId_ != 0) {
        Application().Filters().Remove(filterId_);
        filterId_ = 0;
    }
    if (!shown_)
        return;
    shown_ = false;
    try {
        if (HandleAllocated())
            ShowWindow(Handle(), SW_HIDE);
        if (captured_) {
            captured_ = false;
            if (GetCapture() == OwnerWindow())
                ReleaseCapture();
        }
        if (style_ == ttsRichText && previousFocus_ && IsWindow(previousFocus_)) {
            HWND target = std::exchange(previousFocus_, nullptr);
            char className[32] {};
            GetClassNameA(target, className, sizeof(className));
            const bool edit = lstrcmpiA(className, "Edit") == 0;
            DWORD start = 0;
            DWORD end = 0;
            if (edit)
                SendMessageA(target, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            ::SetFocus(target);
            if (edit)
                SendMessageA(target, EM_SETSEL, start, end);
        }
        if (OnHideToolTip && !Destroying())
            OnHideToolTip(*this);
    } catch (...) {
        ReportBoundaryException("tooltip hide");
    }
}

void TToolTip::Pop()
{
    // A centred tip is a tracking one: switching the tooltip off alone leaves it on the screen.
    if (CenterToolTip != cttNot)
        SendMessageA(Handle(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info_));
    SendMessageA(Handle(), TTM_ACTIVATE, FALSE, 0);
    SendMessageA(Handle(), TTM_ACTIVATE, TRUE, 0);
}

bool TToolTip::OnApplicationMessage(MSG& message)
{
    if (message.message != WM_KEYDOWN || !HandleAllocated()
        || (message.hwnd != Handle() && (!textWindow_ || message.hwnd != textWindow_)))
        return false;
    const auto key = static_cast<WORD>(message.wParam);
    const TShiftState shift = KeyboardShiftState();
    const bool rich = style_ == ttsRichText && textWindow_;
    if (key == VK_ESCAPE) {
        EnumThreadWindows(GetCurrentThreadId(), PopFirstVisibleTip, 0);
        return true;
    }
    if (rich && key == VK_TAB && Showing()) {
        SelectNextLink(!(shift & ssShift));
        return true;
    }
    if (rich && key == VK_RETURN && Showing()) {
        ClickSelectedLink();
        return true;
    }
    if (rich && (shift & (ssCtrl | ssShift)) && key > ' ' && key < 0x80 && key != VK_SHIFT && key != VK_CONTROL) {
        if (key == 'A')
            SendMessageW(textWindow_, EM_SETSEL, 0, -1);
        else if (key == 'C')
            SendMessageW(textWindow_, WM_COPY, 0, 0);
        else
            MessageBeep(MB_ICONHAND);
        return true;
    }
    if (key == VK_SHIFT || key == VK_CONTROL)
        return true;
    Pop();
    return true;
}

// ---- rich tips: notifications, links ----

bool TToolTip::OnRichNotify(NMHDR& header, LRESULT& result)
{
    HideCaret(textWindow_);
    switch (header.code) {
    case EN_MSGFILTER: {
        const auto& filter = reinterpret_cast<const MSGFILTER&>(header);
        if (filter.msg == WM_KEYDOWN && Showing() && (filter.wParam == VK_TAB || filter.wParam == VK_RETURN)) {
            if (filter.wParam == VK_TAB)
                SelectNextLink(GetKeyState(VK_SHIFT) >= 0);
            else
                ClickSelectedLink();
            result = 1;
            return true;
        }
        return false;
    }
    case EN_REQUESTRESIZE:
        if (TextHeight == 0)
            measuredHeight_ = MeasureRichHeight();
        return false;
    case EN_LINK: {
        const auto& link = reinterpret_cast<const ENLINK&>(header);
        if (link.msg != WM_LBUTTONUP || !OnLinkClick)
            return false;
        OnLink(link);
        result = 1;
        return true;
    }
    default:
        return false;
    }
}

void TToolTip::OnLink(const ENLINK& link)
{
    const LONG length = std::max<LONG>(link.chrg.cpMax - link.chrg.cpMin, 0);
    std::wstring url(static_cast<std::size_t>(length) + 1, L'\0');
    TEXTRANGEW range { link.chrg, url.data() };
    const auto copied = SendMessageW(textWindow_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    url.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
    const RECT r = WindowRectOrEmpty(Handle());
    HideTip();
    const std::string next = OnLinkClick(FromWide(url));
    if (next.empty()) {
        SetRichText("");
        return;
    }
    SetCursorPos((r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYCURSOR) / 2);
    SetRichText(next);
    ReshowTip();
}

void TToolTip::SelectNextLink(bool forward)
{
    if (!textWindow_)
        return;
    GETTEXTLENGTHEX lengthQuery { GTL_NUMCHARS, 1200 };
    const auto length
        = static_cast<LONG>(SendMessageW(textWindow_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0));
    CHARRANGE selection {};
    SendMessageW(textWindow_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (length <= 0)
        return;

    SendMessageW(textWindow_, WM_SETREDRAW, FALSE, 0);
    std::vector<bool> linked(static_cast<std::size_t>(length));
    for (LONG i = 0; i < length; ++i) {
        CHARRANGE one { i, i + 1 };
        SendMessageW(textWindow_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&one));
        CHARFORMAT2W format {};
        format.cbSize = sizeof(format);
        format.dwMask = CFM_LINK;
        SendMessageW(textWindow_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        linked[static_cast<std::size_t>(i)] = (format.dwMask & CFM_LINK) && (format.dwEffects & CFE_LINK);
    }
    const auto isLinked = [&](LONG i) { return i >= 0 && i < length && linked[static_cast<std::size_t>(i)]; };
    const bool hasSelection = selection.cpMax > selection.cpMin;

    CHARRANGE result = selection;
    if (forward) {
        LONG p = hasSelection ? selection.cpMax : selection.cpMin;
        if (hasSelection && p >= length) {
            // Nothing lies beyond: the selection stays.
        } else {
            if (hasSelection || (p > 0 && isLinked(p) && isLinked(p - 1)))
                while (isLinked(p))
                    ++p;
            while (p < length && !isLinked(p))
                ++p;
            result = { p, p };
            if (p < length) {
                LONG end = p;
                while (isLinked(end))
                    ++end;
                result = { p, end };
            }
        }
    } else {
        LONG p = selection.cpMin;
        if (!hasSelection && isLinked(p) && isLinked(p - 1))
            while (isLinked(p - 1))
                --p;
        while (p > 0 && !isLinked(p - 1))
            --p;
        result = { p, p };
        if (p > 0) {
            LONG start = p;
            while (isLinked(start - 1))
                --start;
            result = { start, p };
        }
    }
    SendMessageW(textWindow_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&result));
    SendMessageW(textWindow_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(textWindow_, nullptr, TRUE);
}

void TToolTip::ClickSelectedLink()
{
    CHARRANGE selection {};
    SendMessageW(textWindow_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (selection.cpMax <= selection.cpMin)
        return;
    CHARRANGE probe { selection.cpMin, std::max<LONG>(selection.cpMax - 1, selection.cpMin + 1) };
    SendMessageW(textWindow_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&probe));
    CHARFORMAT2W format {};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_LINK;
    SendMessageW(textWindow_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(textWindow_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (!(format.dwMask & CFM_LINK) || !(format.dwEffects & CFE_LINK))
        return;
    POINTL at {};
    SendMessageW(textWindow_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), selection.cpMin);
    const LPARAM where = MAKELPARAM(at.x + 1, at.y + 1);
    SendMessageW(textWindow_, WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageW(textWindow_, WM_LBUTTONUP, 0, where);
    Application().ProcessMessages();
}

// ---- tracking tooltips ----

namespace {

TOOLINFOA TrackingToolInfo(HWND window, HWND idWindow)
{
    TOOLINFOA info {};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_TRACK;
    info.hwnd = window;
    info.uId = reinterpret_cast<UINT_PTR>(idWindow ? idWindow : window);
    info.hinst = FrameworkModule();
    return info;
}

} // namespace

HWND CreateTrackingToolTip(HWND window, HWND idWindow, const RECT& rect, const std::string& text, int maxWidth,
    const TTitleData& title, LPARAM lParam, bool absolute, bool balloon, bool parseLinks)
{
    HWND tip = CreateWindowExA(WS_EX_TOOLWINDOW, TOOLTIPS_CLASSA, nullptr, TipStyle | (balloon ? TTS_BALLOON : 0),
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, FrameworkModule(), nullptr);
    if (!tip)
        return nullptr;
    TOOLINFOA info = TrackingToolInfo(window, idWindow);
    if (absolute)
        info.uFlags |= TTF_ABSOLUTE;
    if (parseLinks)
        info.uFlags |= TTF_PARSELINKS;
    info.rect = rect;
    info.lParam = lParam;
    std::string buffer = text;
    info.lpszText = buffer.data();
    if (title.Icon != 0)
        SendMessageA(tip, TTM_SETTITLEA, static_cast<WPARAM>(title.Icon), reinterpret_cast<LPARAM>(title.Title.c_str()));
    if (maxWidth != 0)
        SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, maxWidth);
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    return tip;
}

void ActivateTrackingToolTip(HWND tip, HWND window, bool activate, TOOLINFOA* info, HWND idWindow)
{
    if (!tip)
        return;
    TOOLINFOA own = TrackingToolInfo(window, idWindow);
    SendMessageA(tip, TTM_TRACKACTIVATE, activate, reinterpret_cast<LPARAM>(info ? info : &own));
}

void HideTrackingToolTip(HWND tip, HWND window, HWND idWindow, TOOLINFOA* info)
{
    ActivateTrackingToolTip(tip, window, false, info, idWindow);
}

void GetTrackingToolInfo(HWND tip, HWND window, HWND idWindow, TOOLINFOA& info, std::string& text)
{
    std::string buffer(65536, '\0');
    info = TrackingToolInfo(window, idWindow);
    info.lpszText = buffer.data();
    if (!tip || !SendMessageA(tip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info))) {
        info = TOOLINFOA {};
        text.clear();
        return;
    }
    text.assign(buffer.c_str());
    info.lpszText = nullptr;
}

bool ShowTrackingToolTip(HWND tip, HWND window, HWND idWindow, POINT point, const std::string* appendText)
{
    if (!tip)
        return false;
    SendMessageA(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(point.x, point.y));
    TOOLINFOA info {};
    std::string text;
    GetTrackingToolInfo(tip, window, idWindow, info, text);
    if (appendText && info.cbSize != 0) {
        text += *appendText;
        info.lpszText = text.data();
        SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
    }
    ActivateTrackingToolTip(tip, window, true, info.cbSize != 0 ? &info : nullptr, idWindow);
    return !text.empty();
}

HWND DestroyTrackingToolTip(HWND tip, HWND window, HWND idWindow)
{
    if (!tip)
        return nullptr;
    TOOLINFOA info = TrackingToolInfo(window, idWindow);
    SendMessageA(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
    SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    return DestroyWindow(tip) ? nullptr : tip;
}
