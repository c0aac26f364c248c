// The one-title menu bar: states, painting, the popup, and the form subclass and application
// filter that handle Alt, F10, the accelerator and clicks elsewhere.
#include "ui/controls/MenuControl.h"

#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "framework/Forms.h"
#include "ui/controls/PropSubclass.h"

namespace {

constexpr const char* PreferredFont = "MS Shell Dlg 2";

bool FlatMenus()
{
    BOOL flat = FALSE;
    SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0);
    return flat != FALSE;
}

bool IsButtonDown(UINT msg) noexcept
{
    return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN || msg == WM_NCLBUTTONDOWN
        || msg == WM_NCRBUTTONDOWN || msg == WM_NCMBUTTONDOWN;
}

} // namespace

// ---- TMCPopupMenu ----

TMCPopupMenu::TMCPopupMenu(TComponent* owner)
    : TPopupMenu(owner)
{
    AutoPopup = false;
}

// The menu and its control unlink whichever goes first (an owner going down notifies no one).
TMCPopupMenu::~TMCPopupMenu()
{
    if (menuControl_)
        menuControl_->popup_ = nullptr;
}

void TMCPopupMenu::Popup(int x, int y)
{
    AutoPopup = false;
    if (!menuControl_ || !menuControl_->HandleAllocated() || Showing())
        return;
    if (OnPopup)
        OnPopup(*this);
    const HMENU menu = CreatePopupMenu();
    if (!menu)
        throw EOSError(GetLastError(), "Cannot create a menu.");
    UINT command = 0;
    try {
        Items().AppendTo(menu);
        if (OnMenuBuilt)
            OnMenuBuilt(*this, menu);
        static constexpr UINT alignments[] = { TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN };
        command = static_cast<UINT>(TrackPopupMenuEx(
            menu, alignments[Alignment] | TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, menuControl_->Handle(), nullptr));
    } catch (...) {
        DestroyMenu(menu);
        throw;
    }
    DestroyMenu(menu);
    if (command)
        if (TMenuItem* item = Items().FindCommand(command))
            item->Click();
}

// ---- TMenuControl ----

TMenuControl::TMenuControl(TComponent* owner)
    : TCustomControl(owner)
{
    // The menu drops when the button goes down, not on a click.
    clickEvents_ = false;
    SetAlign(alTop);
    SetParentColor(true);
    Font().SetColor(SystemColor(COLOR_MENUTEXT));
    filterId_ = Application().Filters().Add([this](MSG& message) { return OnApplicationMessage(message); });
}

TMenuControl::~TMenuControl()
{
    Application().Filters().Remove(filterId_);
    DestroyHandle();
    ReleaseForm();
    if (popup_)
        popup_->menuControl_ = nullptr;
}

void TMenuControl::SetPopupMenu(TMCPopupMenu* menu)
{
    if (popup_)
        popup_->menuControl_ = nullptr;
    popup_ = menu;
    if (popup_) {
        popup_->menuControl_ = this;
        popup_->AutoPopup = false;
    }
}

void TMenuControl::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.WinClassName = "TMenuControl";
}

// The form's window gets one menu control only: a second one is not made.
void TMenuControl::CreateWnd()
{
    TCustomForm* form = dynamic_cast<TCustomForm*>(Parent());
    if (!form)
        throw EInvalidOperation("A menu control must be placed on a form.");
    HWND window = form->Handle();
    if (GetPropA(window, FormProperty))
        throw EInvalidOperation("The form already has a menu control.");
    TCustomControl::CreateWnd();
    if (InstallPropSubclass(window, FormProperty, FormProc, this))
        form_ = window;
}

void TMenuControl::CreateWindowHandleDone()
{
    TCustomControl::CreateWindowHandleDone();
    for (const std::string& name : Screen().Fonts())
        if (name == PreferredFont) {
            Font().SetName(PreferredFont);
            break;
        }
    const std::string caption = StripAccelerator(GetText());
    int height = 6 + 2;
    if (!caption.empty()) {
        HDC dc = GetDC(Handle());
        const HGDIOBJ old = SelectObject(dc, Font().Handle());
        SIZE size {};
        GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(Handle(), dc);
        height = size.cy + 12 + 2;
    }
    SetHeight(height);
}

void TMenuControl::ReleaseForm() noexcept
{
    if (!form_)
        return;
    if (IsWindow(form_) && PropSubclassOwner(form_, FormProperty) == this)
        RemovePropSubclass(form_, FormProperty);
    form_ = nullptr;
}

int TMenuControl::CaptionWidth()
{
    const std::string caption = StripAccelerator(GetText());
    if (caption.empty() || !HandleAllocated())
        return 0;
    HDC dc = GetDC(Handle());
    const HGDIOBJ old = SelectObject(dc, Font().Handle());
    RECT bounds {};
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &bounds, DT_SINGLELINE | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(Handle(), dc);
    return bounds.right - bounds.left;
}

RECT TMenuControl::TitleRect()
{
    return { 0, 0, CaptionWidth() + 12, ClientHeight() - 3 };
}

void TMenuControl::SetStates(bool hot, bool open, bool pressed)
{
    if (hot == hot_ && open == open_ && pressed == pressed_)
        return;
    hot_ = hot;
    open_ = open;
    pressed_ = pressed;
    Invalidate();
}

void TMenuControl::TextChanged()
{
    TCustomControl::TextChanged();
    Invalidate();
}

void TMenuControl::Paint()
{
    TCanvas& canvas = Canvas();
    HDC dc = canvas.Handle();
    RECT client = ClientRect();
    canvas.Brush.Color = Color();
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(client);
    DrawEdge(dc, &client, EDGE_ETCHED, BF_BOTTOM);
    RECT title = TitleRect();
    const bool flat = FlatMenus();
    if (hot_ || open_) {
        if (flat)
            FillRect(dc, &title, GetSysColorBrush(COLOR_HIGHLIGHT));
        else
            DrawEdge(dc, &title, (open_ || pressed_) ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    const std::string caption = GetText();
    if (caption.empty())
        return;
    RECT text = title;
    if (pressed_ && !flat)
        OffsetRect(&text, 1, 1);
    UINT format = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
    if (SendMessageA(Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL)
        format |= DT_HIDEPREFIX;
    SetBkMode(dc, TRANSPARENT);
    const HGDIOBJ old = SelectObject(dc, Font().Handle());
    if (Enabled()) {
        SetTextColor(dc, ColorToRGB(Font().Color()));
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format);
    } else {
        // Greyed: the highlight edge below and right of the shadow text.
        RECT shadow = text;
        OffsetRect(&shadow, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &shadow, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format);
    }
    SelectObject(dc, old);
}

void TMenuControl::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::DoMouseDown(button, shift, x, y);
    const RECT title = TitleRect();
    if (button != mbLeft || !PtInRect(&title, POINT { x, y }))
        return;
    SetStates(true, open_, true);
    Update();
    Click();
}

void TMenuControl::DoMouseMove(TShiftState shift, int x, int y)
{
    TCustomControl::DoMouseMove(shift, x, y);
    if (popupShowing_)
        return;
    const RECT title = TitleRect();
    SetStates(PtInRect(&title, POINT { x, y }) != FALSE, open_, pressed_);
}

void TMenuControl::MouseLeave()
{
    TCustomControl::MouseLeave();
    if (!popupShowing_)
        ClearStates();
}

void TMenuControl::Click()
{
    TCustomControl::Click();
    if (!popup_ || popupShowing_)
        return;
    const POINT position = ClientToScreen(POINT { 0, ClientHeight() - 3 });
    BOOL cancel = FALSE;
    popupShowing_ = true;
    SetStates(true, open_, pressed_);
    try {
        if (OnShowPopupMenu)
            OnShowPopupMenu(*this, position, cancel);
        if (!cancel)
            popup_->Popup(position.x, position.y);
    } catch (...) {
        popupShowing_ = false;
        throw;
    }
    popupShowing_ = false;
    POINT cursor {};
    GetCursorPos(&cursor);
    cursor = ScreenToClient(cursor);
    const RECT title = TitleRect();
    SetStates(PtInRect(&title, cursor) != FALSE, open_, false);
}

bool TMenuControl::DialogChar(char c)
{
    if (!Enabled() || !IsAccel(c, GetText()))
        return false;
    Click();
    return true;
}

void TMenuControl::MenuLoopMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_EXITMENULOOP:
        // Escape closed the menu: the title stays selected for the keyboard.
        SetStates(hot_, open_ && GetKeyState(VK_ESCAPE) < 0, pressed_);
        break;
    case WM_MENUSELECT: {
        // The hint stays with the control rather than in an application-wide hint: our class
        // framework keeps none, and no form of the plug-in has a status line that would show one.
        menuHint_.clear();
        const auto menu = reinterpret_cast<HMENU>(lParam);
        const UINT flags = HIWORD(wParam);
        if (popup_ && menu && !(flags & MF_POPUP) && flags != 0xFFFF)
            if (TMenuItem* item = popup_->Items().FindCommand(LOWORD(wParam)))
                menuHint_ = item->Hint;
        break;
    }
    default:
        break;
    }
}

LRESULT CALLBACK TMenuControl::FormProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* control = static_cast<TMenuControl*>(PropSubclassOwner(window, FormProperty));
    if (!control)
        return CallPreviousProc(window, FormProperty, msg, wParam, lParam);
    try {
        switch (msg) {
        case WM_SYSCOMMAND:
            // Alt alone or F10.
            if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == 0) {
                control->SetStates(control->hot_, !control->open_, false);
                return 0;
            }
            break;
        case WM_MOUSEACTIVATE:
            control->SetStates(control->hot_, false, control->pressed_);
            break;
        case WM_PARENTNOTIFY:
            if (IsButtonDown(LOWORD(wParam)))
                control->SetStates(control->hot_, false, control->pressed_);
            break;
        case WM_EXITMENULOOP:
        case WM_MENUSELECT:
            control->MenuLoopMessage(msg, wParam, lParam);
            break;
        case WM_UPDATEUISTATE: {
            const LRESULT result = CallPreviousProc(window, FormProperty, msg, wParam, lParam);
            control->Invalidate();
            return result;
        }
        case WM_NCDESTROY:
            control->form_ = nullptr;
            break;
        default:
            break;
        }
    } catch (...) {
        ReportBoundaryException("menu control form subclass");
    }
    return CallPreviousProc(window, FormProperty, msg, wParam, lParam);
}

bool TMenuControl::OnApplicationMessage(MSG& message)
{
    if (!HandleAllocated() || !form_)
        return false;
    if (IsButtonDown(message.message) && message.hwnd != Handle() && open_) {
        SetStates(hot_, false, pressed_);
        return false;
    }
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)
        return false;
    if (!(hot_ || open_) || popupShowing_ || GetAncestor(message.hwnd, GA_ROOT) != form_)
        return false;
    const auto key = static_cast<WORD>(message.wParam);
    switch (key) {
    case VK_ESCAPE:
        SetStates(hot_, false, pressed_);
        return true;
    case VK_UP:
    case VK_DOWN:
        Click();
        return true;
    default: {
        const auto c = static_cast<char>(MapVirtualKeyA(key, MAPVK_VK_TO_CHAR));
        if (c && IsAccel(c, GetText())) {
            Click();
            return true;
        }
        return false;
    }
    }
}

void TMenuControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_EXITMENULOOP:
    case WM_MENUSELECT:
        MenuLoopMessage(message.Msg, message.WParam, message.LParam);
        break;
    case WM_KILLFOCUS:
        ClearStates();
        break;
    case WM_DESTROY:
        ReleaseForm();
        break;
    default:
        break;
    }
    TCustomControl::WndProc(message);
}
