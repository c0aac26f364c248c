// `TPageControlEx`: the dialogs' page control. Its tabs can look like buttons, and with the theme
// open its pane is the themed tab pane, which its tab sheets show through their own background.
#pragma once

#include "framework/ComCtrls.h"
#include "ui/controls/ThemeApi.h"

class TPageControlEx : public TPageControl {
public:
    explicit TPageControlEx(TComponent* owner);
    ~TPageControlEx() override;

    bool ButtonStyle() const noexcept { return buttonStyle_; }
    void SetButtonStyle(bool value);
    bool Themed() const noexcept { return static_cast<bool>(theme_); }

    // The window property that marks the children this control subclassed.
    static constexpr const char* ChildProperty = "TPageControlEx";

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;
    void ColorChanged() override;

private:
    static LRESULT CALLBACK ChildProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void OpenTheme();
    void SubclassChild(HWND child);
    void ReleaseChildren() noexcept;
    void PaintBackground(HDC dc);

    bool buttonStyle_ = false;
    TThemeHandle theme_;
};
