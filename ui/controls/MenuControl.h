// `TMenuControl`: a menu bar with one title along the top of a form. A click, its accelerator, or
// Down after Alt or F10 selected it, drops its `TMCPopupMenu`. It watches the form's window (a
// subclass marked with a window property) and the application's messages for the keys and clicks
// that select it and leave it.
#pragma once

#include "framework/Controls.h"
#include "framework/Menus.h"

#include <functional>
#include <string>

class TMenuControl;

class TMCPopupMenu : public TPopupMenu {
public:
    explicit TMCPopupMenu(TComponent* owner);
    ~TMCPopupMenu() override;
    TMenuControl* MenuControl() const noexcept { return menuControl_; }
    // Pops up only for its menu control, owned by the control's window.
    void Popup(int x, int y) override;

private:
    friend class TMenuControl;
    TMenuControl* menuControl_ = nullptr;
};

class TMenuControl : public TCustomControl {
public:
    using TOnShowPopupMenu = std::function<void(TMenuControl&, POINT position, BOOL& cancel)>;

    explicit TMenuControl(TComponent* owner);
    ~TMenuControl() override;

    TMCPopupMenu* PopupMenu() const noexcept { return popup_; }
    void SetPopupMenu(TMCPopupMenu* menu);
    TOnShowPopupMenu OnShowPopupMenu;

    bool Hot() const noexcept { return hot_; }
    bool Open() const noexcept { return open_; }
    bool Pressed() const noexcept { return pressed_; }
    // The hint of the menu item under selection (empty for none).
    const std::string& MenuHint() const noexcept { return menuHint_; }
    // Where the caption is: from the left edge, caption width + 12 wide, client height - 3 high.
    RECT TitleRect();

    // The window property on the form that names its menu control.
    static constexpr const char* FormProperty = "MenuLabelProp";

    void Click() override;
    bool DialogChar(char c) override;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void CreateWindowHandleDone() override;
    void Paint() override;
    void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoMouseMove(TShiftState shift, int x, int y) override;
    void MouseLeave() override;
    void TextChanged() override;

private:
    friend class TMCPopupMenu;
    static LRESULT CALLBACK FormProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    bool OnApplicationMessage(MSG& message);
    // Messages the form and the popup's owner (this control) both see.
    void MenuLoopMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void SetStates(bool hot, bool open, bool pressed);
    void ClearStates() { SetStates(false, false, false); }
    void ReleaseForm() noexcept;
    int CaptionWidth();

    TMCPopupMenu* popup_ = nullptr;
    HWND form_ = nullptr;
    int filterId_ = 0;
    bool hot_ = false;
    bool open_ = false;
    bool pressed_ = false;
    bool popupShowing_ = false;
    std::string menuHint_;
};
