// Controls: `TControl` (position, visibility, colour, font, mouse events), `TGraphicControl`
// (drawn by its parent, no window), `TWinControl` (a window, children, focus, keys, Align layout,
// reflection of parent notifications as CN_* messages) and `TCustomControl` (own painting).
#pragma once

#include "framework/Components.h"
#include "framework/Graphics.h"
#include "framework/Messages.h"

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

class TWinControl;
class TCustomForm;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const noexcept { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const noexcept { return left_; }
    int Top() const noexcept { return top_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
    void SetTop(int value) { SetBounds(left_, value, width_, height_); }
    void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
    void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const noexcept { return { left_, top_, left_ + width_, top_ + height_ }; }
    virtual RECT ClientRect() const;
    int ClientWidth() const { return ClientRect().right; }
    int ClientHeight() const { return ClientRect().bottom; }
    virtual void SetClientSize(int width, int height);

    bool Visible() const noexcept { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent up to a form.
    virtual bool Showing() const;

    bool Enabled() const noexcept { return enabled_; }
    virtual void SetEnabled(bool enabled);

    // Caption and Text are the same string (window text for windowed controls).
    virtual std::string GetText() const;
    virtual void SetText(const std::string& text);
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& text) { SetText(text); }

    TColor Color() const noexcept { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const noexcept { return parentColor_; }
    void SetParentColor(bool value);
    TFont& Font() noexcept { return font_; }
    const TFont& Font() const noexcept { return font_; }
    bool ParentFont() const noexcept { return parentFont_; }
    void SetParentFont(bool value);

    TAlign Align() const noexcept { return align_; }
    void SetAlign(TAlign align);

    int HelpContext = 0;
    // The mouse cursor over the control (a TScreen cursor id; crDefault = the window class's).
    int Cursor = 0;
    std::string Hint;
    bool ShowHint = false;
    TPopupMenu* PopupMenu() const noexcept { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu) noexcept { popupMenu_ = menu; }

    std::function<void(TControl&)> OnClick;
    std::function<void(TControl&)> OnDblClick;
    std::function<void(TControl&, TMouseButton, TShiftState, int x, int y)> OnMouseDown;
    std::function<void(TControl&, TShiftState, int x, int y)> OnMouseMove;
    std::function<void(TControl&, TMouseButton, TShiftState, int x, int y)> OnMouseUp;
    std::function<void(TControl&)> OnMouseEnter;
    std::function<void(TControl&)> OnMouseLeave;
    std::function<void(TControl&)> OnResize;

    virtual void Click();
    virtual void Invalidate();
    void Update();
    void Repaint();
    POINT ClientToScreen(POINT point) const;
    POINT ScreenToClient(POINT point) const;

    // Sends a message straight to WndProc.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual void WndProc(TMessage& message);

    // Keyboard navigation: a dialog key (Enter, Esc) or a mnemonic offered to every control of a form.
    virtual bool DialogKey(WORD key, TShiftState shift);
    virtual bool DialogChar(char c);

    // The form this control is on (null when it has none).
    TCustomForm* ParentForm() const;

protected:
    friend class TWinControl;

    virtual void ColorChanged();
    virtual void FontChanged();
    virtual void EnabledChanged();
    virtual void TextChanged();
    virtual void VisibleChanged();
    // The form came on the screen or went off it: every control on it hears so, since its
    // handle was usually made while the form was hidden.
    virtual void ShowingChanged();
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void Resize();
    virtual void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoMouseMove(TShiftState shift, int x, int y);
    virtual void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DefaultHandler(TMessage& message);
    // Stores new bounds (repainting the parent area); true when the size changed.
    bool UpdateBounds(int left, int top, int width, int height);
    // Asks the parent to lay its aligned children out again.
    void RequestAlign();
    void Notification(TComponent* component, TOperation operation) override;

    bool clickEvents_ = true;
    std::string text_;

private:
    void ParentColorChanged();
    void ParentFontChanged();

    TWinControl* parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    bool parentColor_ = true;
    bool parentFont_ = true;
    bool mouseDown_ = false;
    TColor color_ = clBtnFace;
    TFont font_;
    TAlign align_ = alNone;
    TPopupMenu* popupMenu_ = nullptr;
};

// A control without a window: its parent paints it and routes mouse messages to it.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;

    // Valid during Paint: the parent's DC with this control's top-left as origin.
    TCanvas& Canvas() noexcept { return canvas_; }

protected:
    friend class TWinControl;
    virtual void Paint();

private:
    TCanvas canvas_;
};

// How a windowed control's window is made.
struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    // Our own window class, registered on first use (CS_DBLCLKS and an arrow cursor by default).
    std::string WinClassName;
    UINT ClassStyle = CS_DBLCLKS;
    // A system class ("BUTTON", "EDIT", ...) created and then subclassed; WinClassName is then unused.
    std::string SystemClassName;
    // Create with the wide API (rich edits); the system class name is then converted from ANSI.
    bool Unicode = false;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    HWND Handle();
    bool HandleAllocated() const noexcept { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    // Destroys and makes the window again with fresh CreateParams (text and bounds are kept).
    void RecreateWnd();

    int ControlCount() const noexcept { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(static_cast<std::size_t>(index)); }
    bool ContainsControl(const TControl* control) const;

    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop() const noexcept { return tabStop_; }
    void SetTabStop(bool value) noexcept { tabStop_ = value; }
    // The tab-ordered list of windowed controls below this one (each followed by its own list).
    std::vector<TWinControl*> TabOrderList() const;

    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();

    int BorderWidth() const noexcept { return borderWidth_; }
    void SetBorderWidth(int width);
    // Lays out the aligned children in the client area (inside BorderWidth).
    void AlignControls();
    void DisableAlign() noexcept { ++alignLock_; }
    void EnableAlign();

    void SetBounds(int left, int top, int width, int height) override;
    RECT ClientRect() const override;
    void SetClientSize(int width, int height) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    bool Showing() const override;
    void Invalidate() override;

    // The background brush for the control's colour (owned by the control).
    HBRUSH Brush();

    std::function<void(TWinControl&, WORD& key, TShiftState)> OnKeyDown;
    std::function<void(TWinControl&, char& key)> OnKeyPress;
    std::function<void(TWinControl&, WORD& key, TShiftState)> OnKeyUp;
    std::function<void(TWinControl&)> OnEnter;
    std::function<void(TWinControl&)> OnExit;

    void WndProc(TMessage& message) override;
    bool DialogChar(char c) override;

    // The control of ours that owns a window (by the subclass table), or null.
    static TWinControl* FindControl(HWND window);

protected:
    friend class TControl;
    friend class TCustomForm;

    void ShowingChanged() override;
    virtual void CreateParams(TCreateParams& params);
    // The area aligned children fill: the client rectangle inside BorderWidth (panels also leave
    // out their bevels).
    virtual void AdjustClientRect(RECT& rect);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    void CreateHandle();
    // Destroys the window now. Destructors of classes that handle WM_DESTROY call it first, while
    // the whole object still exists.
    void DestroyHandle() noexcept;
    // Called after the window exists (and its children were made).
    virtual void CreateWindowHandleDone();
    // Paints the control's own face on the canvas (own-class controls); graphic children follow.
    virtual void PaintWindow(TCanvas& canvas);
    virtual void DoEnter();
    virtual void DoExit();
    // Return true when the key was taken (OnKeyDown/OnKeyPress cleared it).
    virtual bool DoKeyDown(WORD& key, TShiftState shift);
    virtual bool DoKeyPress(char& key);
    virtual bool DoKeyUp(WORD& key, TShiftState shift);
    void DefaultHandler(TMessage& message) override;
    void ColorChanged() override;
    void FontChanged() override;
    void EnabledChanged() override;
    // Paints the graphic children (labels) on dc; system-class windows call it after their own paint.
    void PaintControls(HDC dc);

    // The HWND of this control's parent, or the explicit ParentWindow for top-level ones.
    HWND parentWindow_ = nullptr;
    bool ownClass_ = true;

private:
    friend class SubclassRegistry;
    friend bool PreprocessDialogMessage(MSG& message);
    friend LRESULT CALLBACK StandardWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK StandardWindowProcW(HWND, UINT, WPARAM, LPARAM);

    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void AttachWindow(HWND window, WNDPROC original, bool unicode);
    void DetachWindow() noexcept;
    bool ReflectToChild(TMessage& message);
    void PaintHandler(TMessage& message);
    TGraphicControl* GraphicControlAt(int x, int y) const;
    bool RouteMouseToGraphic(TMessage& message);
    void TrackMouse();

    HWND handle_ = nullptr;
    WNDPROC originalProc_ = nullptr;
    bool unicode_ = false;
    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    bool tabStop_ = false;
    int borderWidth_ = 0;
    int alignLock_ = 0;
    bool aligning_ = false;
    HBRUSH brush_ = nullptr;
    TColor brushColor_ = clNone;
    TGraphicControl* mouseControl_ = nullptr;
    TControl* hoverControl_ = nullptr;
    bool trackingMouse_ = false;
};

// A windowed control of our own class that paints itself through Paint().
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    TCanvas& Canvas() noexcept { return canvas_; }

protected:
    void PaintWindow(TCanvas& canvas) override;
    virtual void Paint();

private:
    TCanvas canvas_;
};

// The accelerator letter of a caption ('&' before it, "&&" is a plain '&'), or 0.
char AcceleratorOf(const std::string& caption) noexcept;
// True when c is the caption's accelerator (letters compare without case).
bool IsAccel(char c, const std::string& caption) noexcept;
// The caption with its '&' marks removed ("&&" becomes '&').
std::string StripAccelerator(const std::string& caption);

// Records an exception caught at a window procedure, timer or thread boundary; never throws.
void ReportBoundaryException(const char* where) noexcept;
// The module that holds the framework's code (for window classes and resources).
HINSTANCE FrameworkModule() noexcept;
