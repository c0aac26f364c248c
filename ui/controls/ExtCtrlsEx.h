// `TColoredFramePanel`, a panel with a one-pixel frame of a chosen colour and an optional themed
// tab-page background, and `TAlignedShape`, a shape that can be aligned in its parent.
#pragma once

#include "framework/ExtCtrls.h"
#include "ui/controls/ThemeApi.h"

// The window frame's system colour (the framework names only the colours it uses itself).
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);

class TColoredFramePanel : public TPanel {
public:
    explicit TColoredFramePanel(TComponent* owner);
    ~TColoredFramePanel() override;

    TColor FrameColor() const noexcept { return frameColor_; }
    // clNone: no frame, the client area is the whole window.
    void SetFrameColor(TColor color);
    bool TabStyle() const noexcept { return tabStyle_; }
    void SetTabStyle(bool value);
    bool Themed() const noexcept { return static_cast<bool>(theme_); }

    void WndProc(TMessage& message) override;

protected:
    void Paint() override;
    void ColorChanged() override;
    void TextChanged() override;
    void CreateWindowHandleDone() override;

private:
    void OpenTheme();
    void Retheme();
    void EraseThemed(HDC dc);

    TColor frameColor_ = clWindowFrame;
    bool tabStyle_ = false;
    TThemeHandle theme_;
};

class TAlignedShape : public TShape {
public:
    using TShape::TShape;
};
