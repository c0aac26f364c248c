// `TColoredGrip`, a bottom-aligned single-panel status bar that paints itself in its own colour,
// with its own size grip (none while the form is maximised).
#pragma once

#include "framework/ComCtrls.h"
#include "ui/controls/ThemeApi.h"

class TColoredGrip : public TStatusBar {
public:
    explicit TColoredGrip(TComponent* owner);
    ~TColoredGrip() override;

    // Writes keep it at the bottom and in simple mode.
    void SetAlign(TAlign) { TStatusBar::SetAlign(alBottom); }
    void SetSimplePanel(bool) { TStatusBar::SetSimplePanel(true); }

    // Where the grip goes: the square of the bar's height at the right end.
    RECT GripRect() const;

    void WndProc(TMessage& message) override;

protected:
    void CreateWindowHandleDone() override;
    void ColorChanged() override;

private:
    void PaintBar(HDC dc);
    void DrawGrip(HDC dc, const RECT& client);
    bool FormMaximized() const;

    TThemeHandle theme_;
};
