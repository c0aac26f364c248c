// `TGroupBoxEx`: a group box drawn by the system's button class, so that it takes the theme; with
// the theme open its background is the parent's and its children fill the theme's content area.
#pragma once

#include "framework/StdCtrls.h"
#include "ui/controls/ThemeApi.h"

class TGroupBoxEx : public TGroupBox {
public:
    explicit TGroupBoxEx(TComponent* owner);
    ~TGroupBoxEx() override;
    bool Themed() const noexcept { return static_cast<bool>(theme_); }
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;
    void AdjustClientRect(RECT& rect) override;
    void ColorChanged() override;
    void FontChanged() override;

private:
    void OpenTheme();

    TThemeHandle theme_;
};
