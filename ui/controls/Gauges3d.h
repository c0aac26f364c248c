// `TGauge3d`, a progress gauge drawn as text only, a horizontal or vertical bar, a pie or a needle,
// with the value as text inverted over the bar; and `TBltBitmap`, the gauge's work bitmap.
#pragma once

#include "framework/ExtCtrls.h"
#include "ui/controls/ExtCtrlsEx.h"
#include "ui/controls/ThemeApi.h"

#include <string>

class TBltBitmap : public TBitmap {
public:
    // Takes the other bitmap's size and fills itself with the window frame colour.
    void MakeLike(TBitmap& other);
};

enum TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };

// Where the pie's moving edge meets its ellipse of width x height, and where the needle of a
// half-width long ends above the baseline, for a percentage; rounded to the nearest, halves to even.
POINT GaugePiePoint(double percentage, int width, int height);
POINT GaugeNeedlePoint(double percentage, int halfWidth, int baseline);
enum TTextKind { tkNone, tkAbsValue, tkRelValue };

// Shape (bsBox, bsFrame) and Style (bsLowered, bsRaised) are the bevel's own fields.
class TGauge3d : public TBevel {
public:
    explicit TGauge3d(TComponent* owner);
    ~TGauge3d() override;

    int MinValue() const noexcept { return minValue_; }
    // Raises EInvalidOperation for a value above MaxValue.
    void SetMinValue(int value);
    int MaxValue() const noexcept { return maxValue_; }
    // Raises EInvalidOperation for a value below MinValue.
    void SetMaxValue(int value);
    int Progress() const noexcept { return progress_; }
    // Clamped into [MinValue, MaxValue]; the gauge is redrawn at once when what it shows changes.
    void SetProgress(int value);
    void AddProgress(int delta) { SetProgress(progress_ + delta); }

    TGaugeKind Kind() const noexcept { return kind_; }
    void SetKind(TGaugeKind kind);
    TColor BackColor() const noexcept { return backColor_; }
    void SetBackColor(TColor color);
    TColor ForeColor() const noexcept { return foreColor_; }
    void SetForeColor(TColor color);
    int BorderWidth() const noexcept { return borderWidth_; }
    void SetBorderWidth(int width);
    TTextKind TextKind() const noexcept { return textKind_; }
    void SetTextKind(TTextKind kind);
    // Follows the absolute value.
    const std::string& Text() const noexcept { return text_; }
    void SetText(const std::string& text) override;

    // What the gauge shows now.
    int AbsoluteValue() const noexcept { return absolute_; }
    int Percentage() const noexcept { return percentage_; }
    std::string ShownText() const;

protected:
    void Paint() override;
    void ColorChanged() override;
    // The hidden window's messages (theme changes).
    virtual LRESULT UtilityWndProc(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK UtilityProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void ComputeShown();
    void Refresh();
    void OpenTheme();
    bool IsBar() const noexcept { return kind_ == gkHorizontalBar || kind_ == gkVerticalBar; }
    void DrawKind(TCanvas& canvas, const RECT& area);
    void DrawBar(TCanvas& canvas, const RECT& area);
    void DrawFrame(TCanvas& canvas);

    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
    TGaugeKind kind_ = gkHorizontalBar;
    TColor backColor_ = clBtnFace;
    TColor foreColor_ = clHighlight;
    int borderWidth_ = 0;
    TTextKind textKind_ = tkNone;
    std::string text_;
    int absolute_ = 0;
    int percentage_ = 0;
    int previousShown_ = 0;
    TBitmap image_;
    TBltBitmap drawing_;
    TBltBitmap textImage_;
    HWND utility_ = nullptr;
    TThemeHandle theme_;
};
