// `TCustBtnCtrl`, the base of our check box and radio button: a glyph beside a caption, themed
// when styles are on and the colour is the button face, drawn by hand otherwise; and
// `TCustCheckBox`, the three-state check box on it.
#pragma once

#include "framework/StdCtrls.h"
#include "ui/controls/ThemeApi.h"

#include <functional>

enum TCheckState { cbUnchecked = 0, cbChecked = 1, cbGrayed = 2 };

class TCustBtnCtrl : public TCustomControl {
public:
    explicit TCustBtnCtrl(TComponent* owner);
    ~TCustBtnCtrl() override;

    TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TAlignment value);
    bool Checked() const noexcept { return state_ == cbChecked; }
    void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
    TColor WindowColor = clWindow;
    bool Ctl3D = true;
    // Sender is the control for a change by the user, null for a change by code.
    std::function<void(TCustBtnCtrl*)> OnChanged;

    bool Pressed() const noexcept { return pressed_; }
    bool Themed() const noexcept { return static_cast<bool>(theme_); }
    RECT GlyphRect();

    void Click() override;
    bool DialogChar(char c) override;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;
    void Paint() override;
    void ColorChanged() override;
    void EnabledChanged() override;
    void TextChanged() override;
    void FontChanged() override;
    void DoEnter() override;
    void DoExit() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    bool DoKeyDown(WORD& key, TShiftState shift) override;
    bool DoKeyUp(WORD& key, TShiftState shift) override;
    bool DoKeyPress(char& key) override;

    // Stores a new state, repaints the glyph and reports the change.
    virtual void SetState(TCheckState state);
    TCheckState CheckState() const noexcept { return state_; }
    // The theme state of the glyph now; the descendants know their parts.
    virtual int GetThemeState() = 0;
    // Draws the glyph without a theme, on the prepared canvas.
    virtual void DrawGlyph(TCanvas& canvas, const RECT& rect) = 0;
    bool Hot() const noexcept { return hot_; }

    int themePart_ = 3;

private:
    void OpenTheme();
    RECT TextRect();
    void InvalidateGlyph();
    void SetPressed(bool value);

    TAlignment alignment_ = taLeftJustify;
    TCheckState state_ = cbUnchecked;
    bool pressed_ = false;
    bool hot_ = false;
    RECT glyph_ {};
    TThemeHandle theme_;
};

class TCustCheckBox : public TCustBtnCtrl {
public:
    explicit TCustCheckBox(TComponent* owner);

    bool AllowGrayed = false;
    TCheckState State() const noexcept { return CheckState(); }
    // Ignored unless AllowGrayed.
    void SetCheckState(TCheckState state);
    void Click() override;

protected:
    int GetThemeState() override;
    void DrawGlyph(TCanvas& canvas, const RECT& rect) override;
};
