// The rich-edit control's input: search, clipboard work through the text object model, keys,
// mouse, context menu and the window procedure.
#include "ui/controls/DropEdit.h"

#include "foundation/RichEd20Text.h"
#include "framework/Application.h"
#include "framework/Menus.h"
#include "ui/controls/DropEditInternal.h"
#include "ui/controls/DropEditPrintText.h"

#include <algorithm>
#include <cstring>

#include <objbase.h>
#include <richole.h>
#include <tom.h>
#include <windowsx.h>

using namespace dropedit;

namespace {

constexpr GUID TextDocumentIid
    = { 0x8CC497C0, 0xA1DF, 0x11CE, { 0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D } };

} // namespace

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
    const auto empty
        = [](const std::string& s) { return IsWideText(s) ? WideTextLength(s) == 0 : s.empty(); };
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
        const int hitLength
            = IsWideText(searchText_) ? WideTextLength(searchText_) : static_cast<int>(searchText_.size());
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

// ---- Clipboard
// ----------------------------------------------------------------------------------------------------

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

// ---- Keys and mouse
// ----------------------------------------------------------------------------------------------------

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
    // Enter on a link opens it as a double-click would, and breaks no line.
    if (key == VK_RETURN && !(shift & (ssAlt | ssCtrl)) && HandleEnterOnLink())
        return true;
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
    case VK_APPS:
        return true;
    default:
        return PageKeys(key, shift);
    }
}

bool TDropEdit::HandleChar(TMessage& message)
{
    const WPARAM c = message.WParam;
    // Control characters of the shortcuts are no text, and Space pages a read-only control.
    if ((c < 0x20 && c != '\r' && c != '\t' && c != '\b') || (ReadOnly() && c == ' ')) {
        message.Result = 0;
        return true;
    }
    if (singleLine_ && c >= 0x20) {
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
    const auto position
        = static_cast<int>(SendMessageW(Handle(), EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&point)));
    // Nobody to answer the click: it takes the default handling, which passes the request on.
    if ((position >= 0 && position < TextLength() && IsLinkAt(position)) || !AnswersContextMenu())
        return false;
    POINT screen { point.x, point.y };
    ::ClientToScreen(Handle(), &screen);
    OpenContextMenu(screen);
    return true;
}

bool TDropEdit::AnswersContextMenu() const
{
    TPopupMenu* menu = PopupMenu();
    return (menu && menu->AutoPopup) || OnContextPopup;
}

void TDropEdit::OpenContextMenu(POINT screen)
{
    TPopupMenu* menu = PopupMenu();
    if (!menu || !menu->AutoPopup) {
        if (OnContextPopup) {
            POINT client = screen;
            if (screen.x != -1 || screen.y != -1)
                ::ScreenToClient(Handle(), &client);
            OnContextPopup(*this, client);
        }
        return;
    }
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
        if (Showing() && window && GetFocus() != window
            && GetAncestor(window, GA_ROOT) == GetForegroundWindow())
            SetFocus();
        break;
    case WM_LBUTTONDBLCLK: {
        SendMessageW(window, EM_HIDESELECTION, TRUE, 0);
        TRichEdit::WndProc(message);
        if (restoreCaret_ >= 0) {
            SendMessageW(window, EM_SETSEL, static_cast<WPARAM>(restoreCaret_), restoreCaret_);
            restoreCaret_ = -1;
        }
        SendMessageW(window, EM_HIDESELECTION, FALSE, 0);
        return;
    }
    case WM_RBUTTONDOWN:
        if (HandleRightButton(message))
            return;
        break;
    case WM_CHAR:
        CloseUrlTip();
        if (HandleChar(message))
            return;
        break;
    case WM_CONTEXTMENU:
        if (AnswersContextMenu()) {
            POINT at { GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam) };
            // From the keyboard a popup menu opens centred on the client area.
            if (at.x == -1 && at.y == -1 && PopupMenu() && PopupMenu()->AutoPopup)
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
