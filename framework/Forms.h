// Forms: top-level windows with modal showing (the result is checked after each message, a refused
// close query resets it, other windows of the thread are disabled meanwhile, nesting and repeated
// showing work, WM_QUIT ends the loop with mrCancel and is posted again), dialog keys (Tab order,
// default and cancel buttons, mnemonics), key preview, deferred release; and `TTimer`.
#pragma once

#include "framework/Controls.h"

#include <functional>
#include <string>

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
enum TPosition { poDesigned, poScreenCenter, poOwnerFormCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

struct TSizeConstraints {
    int MinWidth = 0;
    int MinHeight = 0;
    int MaxWidth = 0; // 0 = no limit
    int MaxHeight = 0;
};

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    // Shows the form modally and returns its modal result (mrCancel when WM_QUIT ended the loop).
    int ShowModal();
    void Show() { SetVisible(true); }
    void Close();
    // Frees the form once the messages now waiting have been handled (a posted CM_RELEASE).
    void Release();

    int ModalResult() const noexcept { return modalResult_; }
    void SetModalResult(int result) noexcept { modalResult_ = result; }
    bool Modal() const noexcept { return modal_; }

    bool KeyPreview = false;
    TFormBorderStyle BorderStyle = bsSizeable;
    unsigned BorderIcons = biSystemMenu | biMinimize | biMaximize;
    TPosition Position = poDesigned;
    TSizeConstraints Constraints;
    // The class name of the form's window (so tests and the host can find it).
    std::string WindowClassName = "TForm";

    // The owner window; null means the application's owner window.
    HWND OwnerWindow() const noexcept { return parentWindow_; }
    void SetOwnerWindow(HWND window) noexcept { parentWindow_ = window; }

    TIcon& Icon() noexcept { return icon_; }
    void ApplyIcon();

    TWinControl* ActiveControl() const noexcept { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    // Moves the focus to the next (or previous) focusable control in tab order, wrapping around.
    void SelectNext(TWinControl* current, bool forward, bool checkTabStop);
    // Valid during OnPaint.
    TCanvas& Canvas() noexcept { return canvas_; }

    void SetVisible(bool visible) override;
    RECT ClientRect() const override;
    void SetClientSize(int width, int height) override;
    bool Showing() const override;
    bool DialogKey(WORD key, TShiftState shift) override;

    std::function<void(TCustomForm&)> OnShow;
    std::function<void(TCustomForm&)> OnHide;
    std::function<void(TCustomForm&, TCloseAction&)> OnClose;
    std::function<void(TCustomForm&, bool& canClose)> OnCloseQuery;
    std::function<void(TCustomForm&)> OnActivate;
    std::function<void(TCustomForm&)> OnDeactivate;
    std::function<void(TCustomForm&)> OnPaint;
    std::function<void(TCustomForm&)> OnDestroy;

    virtual bool CloseQuery();

protected:
    friend class TWinControl;
    friend bool PreprocessDialogMessage(MSG& message);

    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;
    void WndProc(TMessage& message) override;
    void PaintWindow(TCanvas& canvas) override;
    virtual void Paint();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);

private:
    SIZE FrameSize() const;
    void FocusChanged(TWinControl* control);
    void ControlRemoved(TControl* control);
    void FocusFirst();
    void PlaceForShowing();
    void CloseModal();

    int modalResult_ = 0;
    bool modal_ = false;
    bool placed_ = false;
    bool freeAfterModal_ = false;
    TWinControl* activeControl_ = nullptr;
    TIcon icon_;
    TCanvas canvas_;
};

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
};

// Our pumps call this before dispatching: key preview, Tab navigation, Enter/Esc for default and
// cancel buttons, and mnemonics. True when the message was handled.
bool PreprocessDialogMessage(MSG& message);

// Calls fn for every control below parent, depth first in child order.
void ForEachControl(TWinControl& parent, const std::function<void(TControl&)>& fn);

// A timer on the application's utility window (fires inside any message loop of the GUI thread).
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);
    UINT Interval() const noexcept { return interval_; }
    void SetInterval(UINT interval);

    std::function<void(TTimer&)> OnTimer;

private:
    void Restart();
    void Stop() noexcept;

    bool enabled_ = true;
    UINT interval_ = 1000;
    UINT_PTR id_ = 0;
};
