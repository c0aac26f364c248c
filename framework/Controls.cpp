// The control tree: bounds, visibility, colours and fonts inherited from parents, window creation
// and subclassing, message routing (reflection to children, graphic children, keys, focus) and
// Align layout.
#include "framework/Controls.h"

#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/Subclassing.h"

#include <algorithm>
#include <string>
#include <utility>

#include <windowsx.h>

LRESULT CALLBACK StandardWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StandardWindowProcW(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

namespace {

bool IsMouseMessage(UINT msg) noexcept
{
    return msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK && msg != WM_MOUSEWHEEL;
}

std::wstring Widen(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    const int n = MultiByteToWideChar(
        CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(std::max(n, 0)));
    return wide;
}

LRESULT RunWindowProc(TWinControl* control, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message { msg, wParam, lParam, 0 };
    try {
        control->WndProc(message);
    } catch (...) {
        ReportBoundaryException("window procedure");
        return 0;
    }
    return message.Result;
}

} // namespace

LRESULT CALLBACK StandardWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const SubclassRegistry::Entry* entry = SubclassRegistry::Find(window);
    if (!entry) {
        if (msg != WM_NCCREATE)
            return DefWindowProcA(window, msg, wParam, lParam);
        auto* control = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (!control)
            return DefWindowProcA(window, msg, wParam, lParam);
        control->AttachWindow(window, DefWindowProcA, false);
        return RunWindowProc(control, msg, wParam, lParam);
    }
    return RunWindowProc(entry->control, msg, wParam, lParam);
}

LRESULT CALLBACK StandardWindowProcW(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const SubclassRegistry::Entry* entry = SubclassRegistry::Find(window);
    if (!entry)
        return DefWindowProcW(window, msg, wParam, lParam);
    return RunWindowProc(entry->control, msg, wParam, lParam);
}

void ReportBoundaryException(const char* where) noexcept
{
    try {
        std::string text = "ZAVEK: exception caught in ";
        text += where;
        try {
            throw;
        } catch (const std::exception& e) {
            text += ": ";
            text += e.what();
        } catch (...) {
        }
        text += "\n";
        OutputDebugStringA(text.c_str());
    } catch (...) {
    }
}

HINSTANCE FrameworkModule() noexcept
{
    static HMODULE module = [] {
        HMODULE found = nullptr;
        GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&FrameworkModule), &found);
        return found;
    }();
    return module;
}

char AcceleratorOf(const std::string& caption) noexcept
{
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] != '&')
            return caption[i + 1];
        ++i;
    }
    return 0;
}

bool IsAccel(char c, const std::string& caption) noexcept
{
    const char accel = AcceleratorOf(caption);
    const auto up = [](char x) { return (x >= 'a' && x <= 'z') ? static_cast<char>(x - 32) : x; };
    return accel != 0 && c != 0 && up(accel) == up(c);
}

std::string StripAccelerator(const std::string& caption)
{
    std::string plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        else if (caption[i] == '&')
            continue;
        plain += caption[i];
    }
    return plain;
}

// ---- TControl ----

TControl::TControl(TComponent* owner)
    : TComponent(owner)
{
    font_.OnChange = [this](TFont&) {
        parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl()
{
    DestroyComponents();
    if (parent_)
        parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_)
        return;
    if (parent
        && (parent == this
            || (dynamic_cast<TWinControl*>(this)
                && static_cast<TWinControl*>(this)->ContainsControl(parent))))
        throw EInvalidOperation("A control cannot be its own parent.");
    if (parent_)
        parent_->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (UpdateBounds(left, top, width, height))
        Resize();
    RequestAlign();
}

bool TControl::UpdateBounds(int left, int top, int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    const bool resized = width != width_ || height != height_;
    if (left == left_ && top == top_ && !resized)
        return false;
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
    return resized;
}

RECT TControl::ClientRect() const
{
    return { 0, 0, width_, height_ };
}

void TControl::SetClientSize(int width, int height)
{
    SetBounds(left_, top_, width, height);
}

void TControl::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    if (!visible)
        Invalidate();
    visible_ = visible;
    if (visible)
        Invalidate();
    VisibleChanged();
    if (parent_ && align_ != alNone)
        parent_->AlignControls();
}

bool TControl::Showing() const
{
    return visible_ && parent_ && parent_->Showing();
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    EnabledChanged();
}

std::string TControl::GetText() const
{
    return text_;
}

void TControl::SetText(const std::string& text)
{
    if (text == text_)
        return;
    text_ = text;
    TextChanged();
}

void TControl::SetColor(TColor color)
{
    parentColor_ = false;
    if (color == color_)
        return;
    color_ = color;
    ColorChanged();
}

void TControl::SetParentColor(bool value)
{
    parentColor_ = value;
    if (value)
        ParentColorChanged();
}

void TControl::SetParentFont(bool value)
{
    parentFont_ = value;
    if (value)
        ParentFontChanged();
}

void TControl::ParentColorChanged()
{
    if (parentColor_ && parent_ && parent_->Color() != color_) {
        color_ = parent_->Color();
        ColorChanged();
    }
}

void TControl::ParentFontChanged()
{
    if (!parentFont_ || !parent_ || parent_->Font().SameAs(font_))
        return;
    font_ = parent_->Font(); // fires OnChange, which clears parentFont_
    parentFont_ = true;
}

void TControl::SetAlign(TAlign align)
{
    if (align == align_)
        return;
    align_ = align;
    RequestAlign();
}

void TControl::Click()
{
    if (OnClick)
        OnClick(*this);
}

void TControl::Invalidate()
{
    if (parent_ && parent_->HandleAllocated() && visible_) {
        const RECT r = BoundsRect();
        InvalidateRect(parent_->Handle(), &r, TRUE);
    }
}

void TControl::Update()
{
    if (parent_ && parent_->HandleAllocated())
        UpdateWindow(parent_->Handle());
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

POINT TControl::ClientToScreen(POINT point) const
{
    if (auto* self = dynamic_cast<const TWinControl*>(this)) {
        if (self->HandleAllocated())
            ::ClientToScreen(const_cast<TWinControl*>(self)->Handle(), &point);
        return point;
    }
    point.x += left_;
    point.y += top_;
    return parent_ ? parent_->ClientToScreen(point) : point;
}

POINT TControl::ScreenToClient(POINT point) const
{
    if (auto* self = dynamic_cast<const TWinControl*>(this)) {
        if (self->HandleAllocated())
            ::ScreenToClient(const_cast<TWinControl*>(self)->Handle(), &point);
        return point;
    }
    if (parent_)
        point = parent_->ScreenToClient(point);
    point.x -= left_;
    point.y -= top_;
    return point;
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message { msg, wParam, lParam, 0 };
    WndProc(message);
    return message.Result;
}

void TControl::WndProc(TMessage& message)
{
    const int x = GET_X_LPARAM(message.LParam);
    const int y = GET_Y_LPARAM(message.LParam);
    const TShiftState shift = IsMouseMessage(message.Msg) ? MouseShiftState(message.WParam) : 0;
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
        mouseDown_ = true;
        DoMouseDown(mbLeft, shift, x, y);
        break;
    case WM_RBUTTONDOWN:
        DoMouseDown(mbRight, shift, x, y);
        break;
    case WM_MBUTTONDOWN:
        DoMouseDown(mbMiddle, shift, x, y);
        break;
    case WM_LBUTTONDBLCLK:
        DoMouseDown(mbLeft, shift | ssDouble, x, y);
        if (OnDblClick)
            OnDblClick(*this);
        break;
    case WM_LBUTTONUP: {
        const bool wasDown = std::exchange(mouseDown_, false);
        DoMouseUp(mbLeft, shift, x, y);
        const RECT client = ClientRect();
        const POINT p { x, y };
        if (wasDown && clickEvents_ && PtInRect(&client, p))
            Click();
        break;
    }
    case WM_RBUTTONUP:
        DoMouseUp(mbRight, shift, x, y);
        break;
    case WM_MBUTTONUP:
        DoMouseUp(mbMiddle, shift, x, y);
        break;
    case WM_MOUSEMOVE:
        DoMouseMove(shift, x, y);
        break;
    case CM_MOUSEENTER:
        MouseEnter();
        return;
    case CM_MOUSELEAVE:
        MouseLeave();
        return;
    default:
        break;
    }
    DefaultHandler(message);
}

bool TControl::DialogKey(WORD, TShiftState)
{
    return false;
}

bool TControl::DialogChar(char)
{
    return false;
}

TCustomForm* TControl::ParentForm() const
{
    const TControl* control = this;
    while (control->parent_)
        control = control->parent_;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(control));
}

void TControl::ColorChanged()
{
    Invalidate();
}

void TControl::FontChanged()
{
    Invalidate();
}

void TControl::EnabledChanged()
{
    Invalidate();
}

void TControl::TextChanged()
{
    Invalidate();
}

void TControl::VisibleChanged() { }

void TControl::ShowingChanged() { }

void TControl::MouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(*this);
}

void TControl::MouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(*this);
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(*this);
}

void TControl::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(*this, button, shift, x, y);
}

void TControl::DoMouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(*this, shift, x, y);
}

void TControl::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(*this, button, shift, x, y);
}

void TControl::DefaultHandler(TMessage& message)
{
    message.Result = 0;
}

void TControl::RequestAlign()
{
    if (parent_ && align_ != alNone)
        parent_->AlignControls();
}

void TControl::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component == popupMenu_)
        popupMenu_ = nullptr;
}

// ---- TGraphicControl ----

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner)
{
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Paint() { }

// ---- TWinControl ----

TWinControl::TWinControl(TComponent* owner)
    : TControl(owner)
{
    clickEvents_ = false;
}

TWinControl::~TWinControl()
{
    DestroyComponents();
    DestroyHandle();
    while (!controls_.empty())
        delete controls_.back();
    if (brush_)
        DeleteObject(brush_);
}

HWND TWinControl::Handle()
{
    if (!handle_)
        CreateHandle();
    return handle_;
}

void TWinControl::CreateHandle()
{
    if (handle_)
        return;
    // The parent's window comes first and makes its children's windows, this one among them;
    // making ours here as well would leave an orphan window behind.
    if (Parent() && !Parent()->HandleAllocated()) {
        Parent()->CreateHandle();
        if (handle_)
            return;
    }
    CreateWnd();
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), 0);
    for (TControl* control : std::vector<TControl*>(controls_))
        if (auto* child = dynamic_cast<TWinControl*>(control))
            child->CreateHandle();
    // Keep the windows' z-order in tab order, which is also the order IsDialogMessage-like walks use.
    CreateWindowHandleDone();
    AlignControls();
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = text_;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (Visible())
        params.Style |= WS_VISIBLE;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    if (tabStop_)
        params.Style |= WS_TABSTOP;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    if (Parent())
        params.WndParent = Parent()->Handle();
    else
        params.WndParent = parentWindow_;
    params.WinClassName = "TWinControl";
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && !params.WndParent)
        throw EInvalidOperation("Control '" + Name() + "' has no parent window.");
    static int nextId = 100;
    const auto menuOrId
        = (params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId++)) : nullptr;
    HWND window = nullptr;
    if (!params.SystemClassName.empty()) {
        if (params.Unicode) {
            window = CreateWindowExW(params.ExStyle, Widen(params.SystemClassName).c_str(),
                Widen(params.Caption).c_str(), params.Style, params.X, params.Y, params.Width, params.Height,
                params.WndParent, menuOrId, FrameworkModule(), nullptr);
        } else {
            window = CreateWindowExA(params.ExStyle, params.SystemClassName.c_str(), params.Caption.c_str(),
                params.Style, params.X, params.Y, params.Width, params.Height, params.WndParent, menuOrId,
                FrameworkModule(), nullptr);
        }
        if (!window)
            throw EOSError(GetLastError(), "Cannot create a " + params.SystemClassName + " window.");
        const auto proc = params.Unicode ? reinterpret_cast<LONG_PTR>(StandardWindowProcW)
                                         : reinterpret_cast<LONG_PTR>(StandardWindowProc);
        const auto original
            = reinterpret_cast<WNDPROC>(params.Unicode ? SetWindowLongPtrW(window, GWLP_WNDPROC, proc)
                                                       : SetWindowLongPtrA(window, GWLP_WNDPROC, proc));
        AttachWindow(window, original, params.Unicode);
        ownClass_ = false;
    } else {
        SubclassRegistry::RegisterOwnClass(params.WinClassName, params.ClassStyle);
        ownClass_ = true;
        window = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(),
            params.Style, params.X, params.Y, params.Width, params.Height, params.WndParent, menuOrId,
            FrameworkModule(), this);
        if (!window)
            throw EOSError(GetLastError(), "Cannot create a " + params.WinClassName + " window.");
    }
}

void TWinControl::AttachWindow(HWND window, WNDPROC original, bool unicode)
{
    handle_ = window;
    originalProc_ = original;
    unicode_ = unicode;
    SubclassRegistry::Add(window, { this, original, unicode, original == DefWindowProcA });
}

void TWinControl::DetachWindow() noexcept
{
    if (!handle_)
        return;
    if (!ownClass_)
        SubclassRegistry::RestoreProcedure(handle_, { this, originalProc_, unicode_, false });
    SubclassRegistry::Remove(handle_);
    handle_ = nullptr;
    trackingMouse_ = false;
}

void TWinControl::CreateWindowHandleDone() { }

void TWinControl::DestroyWnd()
{
    if (handle_)
        DestroyWindow(handle_);
}

void TWinControl::DestroyHandle() noexcept
{
    if (!handle_)
        return;
    try {
        DestroyWnd();
    } catch (...) {
        ReportBoundaryException("window destruction");
    }
    // A window that would not go is at least no longer ours.
    DetachWindow();
}

void TWinControl::RecreateWnd()
{
    if (!handle_)
        return;
    DestroyHandle();
    CreateHandle();
}

void TWinControl::InsertControl(TControl* control)
{
    controls_.push_back(control);
    control->parent_ = this;
    if (auto* windowed = dynamic_cast<TWinControl*>(control))
        tabList_.push_back(windowed);
    control->ParentColorChanged();
    control->ParentFontChanged();
    if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed && handle_)
        windowed->CreateHandle();
    control->Invalidate();
    control->RequestAlign();
}

void TWinControl::RemoveControl(TControl* control)
{
    if (auto* windowed = dynamic_cast<TWinControl*>(control))
        windowed->DestroyHandle();
    // By address: from ~TControl the control is no longer a TWinControl to dynamic_cast.
    tabList_.erase(std::remove_if(tabList_.begin(), tabList_.end(),
                       [control](const TWinControl* windowed) { return windowed == control; }),
        tabList_.end());
    if (mouseControl_ == control)
        mouseControl_ = nullptr;
    if (hoverControl_ == control)
        hoverControl_ = nullptr;
    control->Invalidate();
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    control->parent_ = nullptr;
    if (control->Align() != alNone)
        AlignControls();
    if (TCustomForm* form = ParentForm())
        form->ControlRemoved(control);
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    for (const TControl* p = control; p; p = p->Parent())
        if (p == this)
            return true;
    return false;
}

int TWinControl::TabOrder() const
{
    if (!Parent())
        return -1;
    const auto& list = Parent()->tabList_;
    return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int order)
{
    if (!Parent())
        return;
    auto& list = Parent()->tabList_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
}

std::vector<TWinControl*> TWinControl::TabOrderList() const
{
    std::vector<TWinControl*> list;
    for (TWinControl* child : tabList_) {
        list.push_back(child);
        const auto inner = child->TabOrderList();
        list.insert(list.end(), inner.begin(), inner.end());
    }
    return list;
}

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return ParentForm() != nullptr;
}

bool TWinControl::Focused() const
{
    return handle_ && GetFocus() == handle_;
}

void TWinControl::SetFocus()
{
    TCustomForm* form = ParentForm();
    if (form && form != this && !form->Showing()) {
        form->SetActiveControl(this);
        return;
    }
    ::SetFocus(Handle());
}

void TWinControl::SetBorderWidth(int width)
{
    if (width == borderWidth_)
        return;
    borderWidth_ = std::max(width, 0);
    AlignControls();
    Invalidate();
}

void TWinControl::EnableAlign()
{
    if (alignLock_ > 0 && --alignLock_ == 0)
        AlignControls();
}

void TWinControl::AlignControls()
{
    if (alignLock_ > 0 || aligning_)
        return;
    aligning_ = true;
    RECT area = ClientRect();
    AdjustClientRect(area);
    for (TAlign align : { alTop, alBottom, alLeft, alRight, alClient }) {
        std::vector<TControl*> group;
        for (TControl* control : controls_)
            if (control->Align() == align && control->Visible())
                group.push_back(control);
        // Controls keep their order along the edge they stick to (as they lie now).
        std::stable_sort(group.begin(), group.end(), [align](const TControl* a, const TControl* b) {
            switch (align) {
            case alTop:
                return a->Top() < b->Top();
            case alBottom:
                return a->Top() + a->Height() > b->Top() + b->Height();
            case alLeft:
                return a->Left() < b->Left();
            case alRight:
                return a->Left() + a->Width() > b->Left() + b->Width();
            default:
                return false;
            }
        });
        for (TControl* c : group) {
            const int width = std::max<int>(area.right - area.left, 0);
            const int height = std::max<int>(area.bottom - area.top, 0);
            switch (align) {
            case alTop:
                c->SetBounds(area.left, area.top, width, c->Height());
                area.top += c->Height();
                break;
            case alBottom:
                c->SetBounds(area.left, area.bottom - c->Height(), width, c->Height());
                area.bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(area.left, area.top, c->Width(), height);
                area.left += c->Width();
                break;
            case alRight:
                c->SetBounds(area.right - c->Width(), area.top, c->Width(), height);
                area.right -= c->Width();
                break;
            default:
                c->SetBounds(area.left, area.top, width, height);
                break;
            }
        }
    }
    aligning_ = false;
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (left == Left() && top == Top() && width == Width() && height == Height())
        return;
    // The fields change first, so WM_WINDOWPOSCHANGED finds them current and does nothing more.
    const bool resized = UpdateBounds(left, top, width, height);
    if (handle_)
        SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (resized) {
        AlignControls();
        Resize();
    }
    RequestAlign();
}

RECT TWinControl::ClientRect() const
{
    RECT r {};
    if (handle_)
        GetClientRect(handle_, &r);
    else
        r = TControl::ClientRect();
    return r;
}

void TWinControl::SetClientSize(int width, int height)
{
    HandleNeeded();
    RECT window;
    RECT client;
    GetWindowRect(handle_, &window);
    GetClientRect(handle_, &client);
    SetBounds(Left(), Top(), width + (window.right - window.left) - client.right,
        height + (window.bottom - window.top) - client.bottom);
}

void TWinControl::SetVisible(bool visible)
{
    if (visible == Visible())
        return;
    TControl::SetVisible(visible);
    if (handle_)
        ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled)
{
    if (enabled == Enabled())
        return;
    if (handle_)
        EnableWindow(handle_, enabled);
    TControl::SetEnabled(enabled);
}

std::string TWinControl::GetText() const
{
    if (!handle_)
        return text_;
    const int length = GetWindowTextLengthA(handle_);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int n = GetWindowTextA(handle_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return text;
}

void TWinControl::SetText(const std::string& text)
{
    if (text == GetText())
        return;
    text_ = text;
    if (handle_)
        SetWindowTextA(handle_, text.c_str());
    TextChanged();
}

void TWinControl::ShowingChanged()
{
    for (TControl* control : controls_)
        control->ShowingChanged();
}

bool TWinControl::Showing() const
{
    if (!Visible())
        return false;
    if (!Parent())
        return handle_ && IsWindowVisible(handle_);
    return Parent()->Showing();
}

void TWinControl::Invalidate()
{
    if (handle_)
        InvalidateRect(handle_, nullptr, TRUE);
}

HBRUSH TWinControl::Brush()
{
    if (!brush_ || brushColor_ != Color()) {
        if (brush_)
            DeleteObject(brush_);
        brush_ = CreateSolidBrush(ColorToRGB(Color()));
        brushColor_ = Color();
    }
    return brush_;
}

TWinControl* TWinControl::FindControl(HWND window)
{
    const SubclassRegistry::Entry* entry = window ? SubclassRegistry::Find(window) : nullptr;
    return entry ? entry->control : nullptr;
}

bool TWinControl::DialogChar(char c)
{
    for (TControl* control : std::vector<TControl*>(controls_))
        if (control->Visible() && control->Enabled() && control->DialogChar(c))
            return true;
    return false;
}

void TWinControl::PaintWindow(TCanvas&) { }

void TWinControl::AdjustClientRect(RECT& rect)
{
    InflateRect(&rect, -borderWidth_, -borderWidth_);
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(*this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(*this);
}

bool TWinControl::DoKeyDown(WORD& key, TShiftState shift)
{
    TCustomForm* form = ParentForm();
    if (form && form != this && form->KeyPreview && form->DoKeyDown(key, shift))
        return true;
    if (OnKeyDown && key != 0)
        OnKeyDown(*this, key, shift);
    return key == 0;
}

bool TWinControl::DoKeyPress(char& key)
{
    TCustomForm* form = ParentForm();
    if (form && form != this && form->KeyPreview && form->DoKeyPress(key))
        return true;
    if (OnKeyPress && key != 0)
        OnKeyPress(*this, key);
    return key == 0;
}

bool TWinControl::DoKeyUp(WORD& key, TShiftState shift)
{
    TCustomForm* form = ParentForm();
    if (form && form != this && form->KeyPreview && form->DoKeyUp(key, shift))
        return true;
    if (OnKeyUp && key != 0)
        OnKeyUp(*this, key, shift);
    return key == 0;
}

void TWinControl::DefaultHandler(TMessage& message)
{
    // Our private messages never reach a window procedure of the system.
    if (!handle_ || (message.Msg >= CM_BASE && message.Msg < 0xC000)) {
        message.Result = 0;
        return;
    }
    message.Result = unicode_
        ? CallWindowProcW(originalProc_, handle_, message.Msg, message.WParam, message.LParam)
        : CallWindowProcA(originalProc_, handle_, message.Msg, message.WParam, message.LParam);
}

void TWinControl::ColorChanged()
{
    Invalidate();
    for (TControl* control : controls_)
        control->ParentColorChanged();
}

void TWinControl::FontChanged()
{
    if (handle_)
        SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
    Invalidate();
    for (TControl* control : controls_)
        control->ParentFontChanged();
}

void TWinControl::EnabledChanged()
{
    Invalidate();
}

bool TWinControl::ReflectToChild(TMessage& message)
{
    HWND child = nullptr;
    switch (message.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        child = reinterpret_cast<HWND>(message.LParam);
        break;
    case WM_NOTIFY:
        child = reinterpret_cast<NMHDR*>(message.LParam)->hwndFrom;
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
        if (item->CtlType != ODT_MENU)
            child = item->hwndItem;
        break;
    }
    case WM_MEASUREITEM: {
        const auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
        if (item->CtlType != ODT_MENU && handle_)
            child = GetDlgItem(handle_, static_cast<int>(item->CtlID));
        break;
    }
    case WM_DELETEITEM:
        child = reinterpret_cast<DELETEITEMSTRUCT*>(message.LParam)->hwndItem;
        break;
    case WM_COMPAREITEM:
        child = reinterpret_cast<COMPAREITEMSTRUCT*>(message.LParam)->hwndItem;
        break;
    default:
        return false;
    }
    TWinControl* control = child && child != handle_ ? FindControl(child) : nullptr;
    if (!control)
        return false;
    message.Result = control->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
    return true;
}

void TWinControl::PaintControls(HDC dc)
{
    for (TControl* control : std::vector<TControl*>(controls_)) {
        auto* graphic = dynamic_cast<TGraphicControl*>(control);
        if (!graphic || !graphic->Visible())
            continue;
        const int saved = SaveDC(dc);
        SetViewportOrgEx(dc, graphic->Left(), graphic->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, graphic->Width(), graphic->Height());
        graphic->canvas_.SetHandle(dc);
        graphic->canvas_.Font = graphic->Font();
        graphic->canvas_.Brush = TBrush { graphic->Color(), bsSolid };
        try {
            graphic->Paint();
        } catch (...) {
            ReportBoundaryException("paint");
        }
        graphic->canvas_.SetHandle(nullptr);
        RestoreDC(dc, saved);
    }
}

void TWinControl::PaintHandler(TMessage& message)
{
    PAINTSTRUCT paint;
    HDC dc = message.WParam ? reinterpret_cast<HDC>(message.WParam) : BeginPaint(handle_, &paint);
    {
        TCanvas canvas(dc);
        canvas.Font = Font();
        canvas.Brush = TBrush { Color(), bsSolid };
        PaintWindow(canvas);
    }
    PaintControls(dc);
    if (!message.WParam)
        EndPaint(handle_, &paint);
    message.Result = 0;
}

TGraphicControl* TWinControl::GraphicControlAt(int x, int y) const
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        auto* graphic = dynamic_cast<TGraphicControl*>(*it);
        const RECT r = (*it)->BoundsRect();
        if (graphic && graphic->Visible() && x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return graphic;
    }
    return nullptr;
}

void TWinControl::TrackMouse()
{
    if (trackingMouse_ || !handle_)
        return;
    TRACKMOUSEEVENT track { sizeof track, TME_LEAVE, handle_, 0 };
    trackingMouse_ = TrackMouseEvent(&track) != FALSE;
}

bool TWinControl::RouteMouseToGraphic(TMessage& message)
{
    const int x = GET_X_LPARAM(message.LParam);
    const int y = GET_Y_LPARAM(message.LParam);
    TGraphicControl* target = mouseControl_ ? mouseControl_ : GraphicControlAt(x, y);
    if (message.Msg == WM_MOUSEMOVE) {
        TControl* hover = target ? static_cast<TControl*>(target) : this;
        if (hover != hoverControl_) {
            if (hoverControl_ && hoverControl_ != this)
                hoverControl_->Perform(CM_MOUSELEAVE);
            hoverControl_ = hover;
            if (hover != this)
                hover->Perform(CM_MOUSEENTER);
        }
    }
    if (!target || !target->Enabled())
        return false;
    const bool down = message.Msg == WM_LBUTTONDOWN || message.Msg == WM_RBUTTONDOWN
        || message.Msg == WM_MBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK;
    const bool up = message.Msg == WM_LBUTTONUP || message.Msg == WM_RBUTTONUP || message.Msg == WM_MBUTTONUP;
    if (down) {
        mouseControl_ = target;
        SetCapture(handle_);
    }
    TMessage routed { message.Msg, message.WParam, MAKELPARAM(x - target->Left(), y - target->Top()), 0 };
    target->WndProc(routed);
    message.Result = routed.Result;
    if (up && !(message.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
        mouseControl_ = nullptr;
        ReleaseCapture();
    }
    return true;
}

void TWinControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_NCDESTROY:
        DefaultHandler(message);
        DetachWindow();
        return;
    case WM_DESTROY:
        text_ = GetText();
        break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        if (ReflectToChild(message))
            return;
        break;
    case CN_CTLCOLORBTN:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORSCROLLBAR: {
        const auto dc = reinterpret_cast<HDC>(message.WParam);
        SetTextColor(dc, ColorToRGB(Font().Color()));
        SetBkColor(dc, ColorToRGB(Color()));
        message.Result = reinterpret_cast<LRESULT>(Brush());
        return;
    }
    case WM_ERASEBKGND:
        if (ownClass_) {
            RECT r;
            GetClientRect(handle_, &r);
            FillRect(reinterpret_cast<HDC>(message.WParam), &r, Brush());
            message.Result = 1;
            return;
        }
        break;
    case WM_PAINT:
        if (ownClass_) {
            PaintHandler(message);
            return;
        }
        break;
    case WM_PRINTCLIENT:
        if (ownClass_) {
            RECT r;
            GetClientRect(handle_, &r);
            FillRect(reinterpret_cast<HDC>(message.WParam), &r, Brush());
            PaintHandler(message);
            return;
        }
        break;
    case WM_WINDOWPOSCHANGED: {
        DefaultHandler(message);
        const auto* pos = reinterpret_cast<WINDOWPOS*>(message.LParam);
        if (!(pos->flags & SWP_NOSIZE) || !(pos->flags & SWP_NOMOVE)) {
            RECT r;
            GetWindowRect(handle_, &r);
            if (Parent() && Parent()->HandleAllocated())
                MapWindowPoints(nullptr, Parent()->Handle(), reinterpret_cast<POINT*>(&r), 2);
            if (UpdateBounds(r.left, r.top, r.right - r.left, r.bottom - r.top)) {
                AlignControls();
                Resize();
            }
        }
        return;
    }
    case WM_SETFOCUS:
        DefaultHandler(message);
        if (TCustomForm* form = ParentForm(); form && form != this)
            form->FocusChanged(this);
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        auto key = static_cast<WORD>(message.WParam);
        if (DoKeyDown(key, KeyboardShiftState()))
            return;
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        auto key = static_cast<WORD>(message.WParam);
        if (DoKeyUp(key, KeyboardShiftState()))
            return;
        break;
    }
    case WM_CHAR: {
        // A wide window's character beyond 8 bits is no byte the key events know: it goes on whole.
        if (message.WParam > 0xFF)
            break;
        auto key = static_cast<char>(message.WParam);
        if (DoKeyPress(key))
            return;
        message.WParam = static_cast<BYTE>(key);
        break;
    }
    case WM_MOUSEMOVE:
        TrackMouse();
        if (!hoverControl_) {
            hoverControl_ = this;
            MouseEnter();
        }
        if (ownClass_ && RouteMouseToGraphic(message))
            return;
        break;
    case WM_MOUSELEAVE:
        trackingMouse_ = false;
        if (hoverControl_ && hoverControl_ != this)
            hoverControl_->Perform(CM_MOUSELEAVE);
        if (hoverControl_) {
            hoverControl_ = nullptr;
            MouseLeave();
        }
        return;
    case WM_SETCURSOR:
        // The screen's cursor wins; otherwise the control under the pointer in this window chooses.
        if (LOWORD(message.LParam) == HTCLIENT
            && (Screen().Cursor() != crDefault || reinterpret_cast<HWND>(message.WParam) == handle_)) {
            int cursor = Screen().Cursor();
            if (cursor == crDefault) {
                POINT p;
                GetCursorPos(&p);
                ::ScreenToClient(handle_, &p);
                const TGraphicControl* graphic = GraphicControlAt(p.x, p.y);
                cursor = graphic && graphic->Cursor != crDefault ? graphic->Cursor : Cursor;
            }
            if (cursor != crDefault) {
                ::SetCursor(Screen().Cursors(cursor));
                message.Result = TRUE;
                return;
            }
        }
        break;
    case WM_CONTEXTMENU:
        if (PopupMenu() && PopupMenu()->AutoPopup) {
            POINT p { GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam) };
            if (p.x == -1 && p.y == -1) {
                const RECT client = ClientRect();
                p = ClientToScreen({ client.right / 2, client.bottom / 2 });
            }
            PopupMenu()->PopupComponent = this;
            PopupMenu()->Popup(p.x, p.y);
            message.Result = 0;
            return;
        }
        break;
    default:
        if (IsMouseMessage(message.Msg) && ownClass_ && RouteMouseToGraphic(message))
            return;
        break;
    }
    TControl::WndProc(message);
}

// ---- TCustomControl ----

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner)
{
    clickEvents_ = true;
}

void TCustomControl::PaintWindow(TCanvas& canvas)
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

void TCustomControl::Paint() { }

// ---- shift states ----

TShiftState KeyboardShiftState()
{
    TShiftState state = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        state |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0)
        state |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0)
        state |= ssAlt;
    return state;
}

TShiftState MouseShiftState(WPARAM keys)
{
    TShiftState state = 0;
    if (keys & MK_SHIFT)
        state |= ssShift;
    if (keys & MK_CONTROL)
        state |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0)
        state |= ssAlt;
    if (keys & MK_LBUTTON)
        state |= ssLeft;
    if (keys & MK_RBUTTON)
        state |= ssRight;
    if (keys & MK_MBUTTON)
        state |= ssMiddle;
    return state;
}
