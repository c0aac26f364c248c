// Form showing, the modal loop, closing and release, focus and dialog keys, and timers.
#include "framework/Forms.h"

#include "framework/Application.h"
#include "framework/Exceptions.h"

#include <algorithm>
#include <vector>

namespace {

struct DisabledWindows {
    HWND keep;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableWindow(HWND window, LPARAM parameter)
{
    auto* state = reinterpret_cast<DisabledWindows*>(parameter);
    if (window != state->keep && IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        state->windows.push_back(window);
    }
    return TRUE;
}

// Disables the thread's other enabled, visible top-level windows; returns them for re-enabling.
std::vector<HWND> DisableThreadWindows(HWND keep)
{
    DisabledWindows state { keep, {} };
    EnumThreadWindows(GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&state));
    return state.windows;
}

void EnableWindows(const std::vector<HWND>& windows) noexcept
{
    for (HWND window : windows)
        if (IsWindow(window))
            EnableWindow(window, TRUE);
}

TWinControl* ControlOfWindow(HWND window)
{
    for (HWND w = window; w; w = (GetWindowLongA(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
        if (TWinControl* control = TWinControl::FindControl(w))
            return control;
    return nullptr;
}

} // namespace

void ForEachControl(TWinControl& parent, const std::function<void(TControl&)>& fn)
{
    for (int i = 0; i < parent.ControlCount(); ++i) {
        TControl* control = parent.Controls(i);
        fn(*control);
        if (auto* windowed = dynamic_cast<TWinControl*>(control))
            ForEachControl(*windowed, fn);
    }
}

// ---- TCustomForm ----

TCustomForm::TCustomForm(TComponent* owner)
    : TWinControl(owner)
{
    clickEvents_ = true;
    SetVisible(false);
    SetParentColor(false);
    SetParentFont(false);
    SetBounds(0, 0, 320, 240);
}

TCustomForm::~TCustomForm()
{
    if (OnDestroy) {
        try {
            OnDestroy(*this);
        } catch (...) {
            ReportBoundaryException("form destruction");
        }
    }
    DestroyComponents();
    DestroyHandle();
}

void TCustomForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = WindowClassName;
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.ExStyle = 0;
    const DWORD icons = ((BorderIcons & biSystemMenu) ? WS_SYSMENU : 0)
        | ((BorderIcons & biMinimize) ? WS_MINIMIZEBOX : 0)
        | ((BorderIcons & biMaximize) ? WS_MAXIMIZEBOX : 0);
    switch (BorderStyle) {
    case bsNone:
        params.Style |= WS_POPUP;
        break;
    case bsSingle:
        params.Style |= WS_CAPTION | WS_BORDER | icons;
        break;
    case bsSizeable:
        params.Style |= WS_CAPTION | WS_THICKFRAME | icons;
        break;
    case bsDialog:
        params.Style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME | (icons & WS_SYSMENU);
        params.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    case bsToolWindow:
        params.Style |= WS_CAPTION | (icons & WS_SYSMENU);
        params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    }
    if (!Enabled())
        params.Style |= WS_DISABLED;
    params.WndParent = parentWindow_ ? parentWindow_ : Application().OwnerWindow();
}

void TCustomForm::CreateWindowHandleDone()
{
    ApplyIcon();
}

void TCustomForm::ApplyIcon()
{
    if (HandleAllocated() && icon_.Handle()) {
        SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.Handle()));
        SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.Handle()));
    }
}

SIZE TCustomForm::FrameSize() const
{
    // Without a window the frame follows from the styles the window will have.
    TCreateParams params;
    const_cast<TCustomForm*>(this)->CreateParams(params);
    RECT frame {};
    AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
    return { frame.right - frame.left, frame.bottom - frame.top };
}

RECT TCustomForm::ClientRect() const
{
    if (HandleAllocated())
        return TWinControl::ClientRect();
    const SIZE frame = FrameSize();
    return { 0, 0, std::max<int>(Width() - frame.cx, 0), std::max<int>(Height() - frame.cy, 0) };
}

void TCustomForm::SetClientSize(int width, int height)
{
    if (HandleAllocated()) {
        TWinControl::SetClientSize(width, height);
        return;
    }
    const SIZE frame = FrameSize();
    SetBounds(Left(), Top(), width + frame.cx, height + frame.cy);
}

bool TCustomForm::Showing() const
{
    return Visible() && HandleAllocated() && IsWindowVisible(const_cast<TCustomForm*>(this)->Handle());
}

void TCustomForm::PlaceForShowing()
{
    if (placed_)
        return;
    placed_ = true;
    RECT area {};
    if (Position == poScreenCenter)
        area = ScreenWorkArea(OwnerWindow());
    else if (Position == poOwnerFormCenter) {
        const HWND owner = GetWindow(Handle(), GW_OWNER);
        if (owner)
            GetWindowRect(owner, &area);
        else
            area = ScreenWorkArea(nullptr);
    } else {
        return;
    }
    SetBounds(area.left + ((area.right - area.left) - Width()) / 2,
        area.top + ((area.bottom - area.top) - Height()) / 2, Width(), Height());
}

void TCustomForm::SetVisible(bool visible)
{
    if (visible == Visible())
        return;
    if (visible) {
        HandleNeeded();
        DoShow();
        PlaceForShowing();
        TControl::SetVisible(true);
        ShowWindow(Handle(), SW_SHOW);
        ShowingChanged();
        FocusFirst();
    } else {
        if (HandleAllocated())
            ShowWindow(Handle(), SW_HIDE);
        TControl::SetVisible(false);
        ShowingChanged();
        DoHide();
    }
}

void TCustomForm::FocusFirst()
{
    if (activeControl_ && activeControl_->CanFocus()) {
        ::SetFocus(activeControl_->Handle());
        return;
    }
    for (TWinControl* control : TabOrderList()) {
        if (control->TabStop() && control->CanFocus()) {
            ::SetFocus(control->Handle());
            return;
        }
    }
    ::SetFocus(Handle());
}

int TCustomForm::ShowModal()
{
    if (Visible() || !Enabled() || modal_)
        throw EInvalidOperation("Cannot make a visible window modal");
    if (GetCapture())
        SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    const HWND previousActive = GetActiveWindow();
    HandleNeeded();
    const std::vector<HWND> disabled = DisableThreadWindows(Handle());
    modal_ = true;
    modalResult_ = mrNone;
    freeAfterModal_ = false;
    try {
        Show();
        for (;;) {
            // A result set before the first message (in OnShow) still goes through the close query.
            if (modalResult_ == mrNone && !Application().HandleMessage()) {
                modalResult_ = mrCancel;
                break;
            }
            if (modalResult_ != mrNone) {
                CloseModal();
                if (modalResult_ != mrNone)
                    break;
            } else if (!Visible()) {
                modalResult_ = mrCancel;
                break;
            }
        }
    } catch (...) {
        EnableWindows(disabled);
        modal_ = false;
        Hide();
        throw;
    }
    const int result = modalResult_;
    // Re-enable first, so that hiding hands activation back to the owner and not elsewhere.
    EnableWindows(disabled);
    Hide();
    modal_ = false;
    if (previousActive && IsWindow(previousActive))
        SetActiveWindow(previousActive);
    if (freeAfterModal_)
        Release();
    return result;
}

void TCustomForm::CloseModal()
{
    if (!CloseQuery()) {
        modalResult_ = mrNone;
        return;
    }
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        modalResult_ = mrNone;
    else if (action == caFree)
        freeAfterModal_ = true;
}

void TCustomForm::Close()
{
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    DoClose(action);
    switch (action) {
    case caHide:
        Hide();
        break;
    case caFree:
        Release();
        break;
    case caMinimize:
        ShowWindow(Handle(), SW_MINIMIZE);
        break;
    case caNone:
        break;
    }
}

void TCustomForm::Release()
{
    if (HandleAllocated())
        PostMessageA(Handle(), CM_RELEASE, 0, 0);
    else
        delete this;
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(*this, canClose);
    return canClose;
}

void TCustomForm::DoShow()
{
    if (OnShow)
        OnShow(*this);
}

void TCustomForm::DoHide()
{
    if (OnHide)
        OnHide(*this);
}

void TCustomForm::DoClose(TCloseAction& action)
{
    if (OnClose)
        OnClose(*this, action);
}

void TCustomForm::PaintWindow(TCanvas& canvas)
{
    canvas_.SetHandle(canvas.Handle());
    canvas_.Font = Font();
    canvas_.Brush = TBrush { Color(), bsSolid };
    try {
        Paint();
    } catch (...) {
        canvas_.SetHandle(nullptr);
        throw;
    }
    canvas_.SetHandle(nullptr);
}

void TCustomForm::Paint()
{
    if (OnPaint)
        OnPaint(*this);
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (control && !ContainsControl(control))
        throw EInvalidOperation("The active control must be on the form.");
    activeControl_ = control;
    if (control && Showing() && control->CanFocus())
        ::SetFocus(control->Handle());
}

void TCustomForm::SelectNext(TWinControl* current, bool forward, bool checkTabStop)
{
    const std::vector<TWinControl*> list = TabOrderList();
    const int n = static_cast<int>(list.size());
    if (n == 0)
        return;
    const auto found = std::find(list.begin(), list.end(), current);
    const int start = found != list.end() ? static_cast<int>(found - list.begin()) : (forward ? -1 : n);
    for (int step = 1; step <= n; ++step) {
        const int index = (((forward ? start + step : start - step) % n) + n) % n;
        TWinControl* control = list[static_cast<std::size_t>(index)];
        if ((!checkTabStop || control->TabStop()) && control->CanFocus()) {
            control->SetFocus();
            return;
        }
    }
}

void TCustomForm::FocusChanged(TWinControl* control)
{
    if (control == activeControl_)
        return;
    TWinControl* previous = activeControl_;
    activeControl_ = control;
    if (previous)
        previous->DoExit();
    if (control == activeControl_)
        control->DoEnter();
}

void TCustomForm::ControlRemoved(TControl* control)
{
    if (activeControl_
        && (activeControl_ == control
            || (dynamic_cast<TWinControl*>(control)
                && static_cast<TWinControl*>(control)->ContainsControl(activeControl_))))
        activeControl_ = nullptr;
}

bool TCustomForm::DialogKey(WORD key, TShiftState shift)
{
    if (TWinControl* focused = TWinControl::FindControl(GetFocus());
        focused && ContainsControl(focused) && focused != this)
        if (focused->DialogKey(key, shift))
            return true;
    bool handled = false;
    ForEachControl(*this, [&](TControl& control) {
        if (!handled && control.Visible() && control.Enabled())
            handled = control.DialogKey(key, shift);
    });
    return handled;
}

void TCustomForm::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_CLOSE:
        Close();
        message.Result = 0;
        return;
    case CM_RELEASE:
        // Released inside its own modal loop: end the loop first, free afterwards.
        if (modal_) {
            freeAfterModal_ = true;
            if (modalResult_ == mrNone)
                modalResult_ = mrCancel;
            return;
        }
        delete this;
        return;
    case WM_ACTIVATE:
        DefaultHandler(message);
        if (LOWORD(message.WParam) != WA_INACTIVE) {
            if (activeControl_ && activeControl_->CanFocus() && activeControl_->HandleAllocated())
                ::SetFocus(activeControl_->Handle());
            if (OnActivate)
                OnActivate(*this);
        } else if (OnDeactivate) {
            OnDeactivate(*this);
        }
        return;
    case WM_GETMINMAXINFO: {
        DefaultHandler(message);
        auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
        if (Constraints.MinWidth > 0)
            info->ptMinTrackSize.x = Constraints.MinWidth;
        if (Constraints.MinHeight > 0)
            info->ptMinTrackSize.y = Constraints.MinHeight;
        if (Constraints.MaxWidth > 0)
            info->ptMaxTrackSize.x = Constraints.MaxWidth;
        if (Constraints.MaxHeight > 0)
            info->ptMaxTrackSize.y = Constraints.MaxHeight;
        return;
    }
    default:
        break;
    }
    TWinControl::WndProc(message);
}

// ---- dialog keys ----

bool PreprocessDialogMessage(MSG& message)
{
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST)
        return false;
    TWinControl* control = ControlOfWindow(message.hwnd);
    TCustomForm* form = control ? control->ParentForm() : nullptr;
    if (!form || !form->Enabled())
        return false;
    switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = static_cast<WORD>(message.wParam);
        if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE)
            return false;
        const LRESULT code
            = SendMessageA(message.hwnd, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&message));
        if (code & DLGC_WANTALLKEYS)
            return false;
        if (key == VK_TAB && (code & DLGC_WANTTAB))
            return false;
        const TShiftState shift = KeyboardShiftState();
        if (key == VK_TAB && (shift & (ssCtrl | ssAlt)))
            return false;
        // The control (and a previewing form) see the key first, as if it had been dispatched.
        if (control->DoKeyDown(key, shift))
            return true;
        if (key == VK_TAB) {
            form->SelectNext(form->ActiveControl(), !(shift & ssShift), true);
            return true;
        }
        return form->DialogKey(key, shift);
    }
    case WM_CHAR: {
        const LRESULT code
            = SendMessageA(message.hwnd, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message));
        if (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS | DLGC_HASSETSEL) || message.wParam > 0xFF)
            return false;
        const auto c = static_cast<char>(message.wParam);
        return static_cast<unsigned char>(c) >= 32 && form->DialogChar(c);
    }
    case WM_SYSCHAR:
        return form->DialogChar(static_cast<char>(message.wParam));
    default:
        return false;
    }
}

// ---- TTimer ----

TTimer::TTimer(TComponent* owner)
    : TComponent(owner)
{
    Restart();
}

TTimer::~TTimer()
{
    Stop();
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Restart();
}

void TTimer::SetInterval(UINT interval)
{
    if (interval == interval_)
        return;
    interval_ = interval;
    Restart();
}

void TTimer::Stop() noexcept
{
    if (id_)
        Application().Utility().StopTimer(id_);
    id_ = 0;
}

void TTimer::Restart()
{
    Stop();
    if (enabled_ && interval_ > 0)
        id_ = Application().Utility().StartTimer(interval_, [this] {
            if (OnTimer)
                OnTimer(*this);
        });
}
