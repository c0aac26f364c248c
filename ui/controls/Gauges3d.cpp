// The gauge: shown values from the progress, the kinds drawn into a work bitmap, an optional 3D
// frame, and the text combined by XOR so it shows inverted where the bar lies under it.
#include "ui/controls/Gauges3d.h"

#include "framework/Controls.h"
#include "framework/Exceptions.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <numbers>

#include <vssym32.h>

namespace {

constexpr const char* UtilityClass = "TGauge3dUtility";

// To the nearest integer, halves to even.
int RoundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

std::string OutOfRange(int low, int high)
{
    char text[80];
    std::snprintf(text, sizeof text, "Value must be between %d and %d", low, high);
    return text;
}

void RegisterUtilityClass(WNDPROC proc)
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA wc {};
    wc.lpfnWndProc = proc;
    wc.hInstance = FrameworkModule();
    wc.lpszClassName = UtilityClass;
    registered = RegisterClassA(&wc) != 0;
}

} // namespace

POINT GaugePiePoint(double percentage, int width, int height)
{
    const double theta = (percentage / 50 + 0.5) * std::numbers::pi;
    return { RoundHalfEven((1 - std::cos(theta)) * width) / 2,
        RoundHalfEven((1 - std::sin(theta)) * height) / 2 };
}

POINT GaugeNeedlePoint(double percentage, int halfWidth, int baseline)
{
    const double theta = percentage / 100 * std::numbers::pi;
    return { RoundHalfEven((1 - std::cos(theta)) * halfWidth),
        RoundHalfEven((1 - std::sin(theta)) * baseline) };
}

void TBltBitmap::MakeLike(TBitmap& other)
{
    SetSize(other.Width(), other.Height());
    TCanvas& canvas = Canvas();
    canvas.Brush = TBrush { clWindowFrame, bsSolid };
    canvas.FillRect({ 0, 0, Width(), Height() });
}

TGauge3d::TGauge3d(TComponent* owner)
    : TBevel(owner)
{
    SetBounds(Left(), Top(), 100, 100);
    SetParentColor(true);
    RegisterUtilityClass(UtilityProc);
    // A hidden top-level window: it hears the broadcast of a theme change.
    utility_ = CreateWindowExA(0, UtilityClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, FrameworkModule(), nullptr);
    if (utility_)
        SetWindowLongPtrA(utility_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ComputeShown();
}

TGauge3d::~TGauge3d()
{
    theme_.Close();
    if (utility_) {
        SetWindowLongPtrA(utility_, GWLP_USERDATA, 0);
        DestroyWindow(utility_);
    }
}

LRESULT CALLBACK TGauge3d::UtilityProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* gauge = reinterpret_cast<TGauge3d*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!gauge)
        return DefWindowProcA(window, msg, wParam, lParam);
    try {
        return gauge->UtilityWndProc(msg, wParam, lParam);
    } catch (...) {
        ReportBoundaryException("gauge utility window");
        return 0;
    }
}

LRESULT TGauge3d::UtilityWndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_THEMECHANGED) {
        OpenTheme();
        Invalidate();
        return 0;
    }
    return DefWindowProcA(utility_, msg, wParam, lParam);
}

void TGauge3d::OpenTheme()
{
    theme_.Close();
    if (utility_ && IsBar() && (Color() == clWindow || Color() == clBtnFace))
        theme_.Open(utility_, L"PROGRESS");
}

void TGauge3d::SetMinValue(int value)
{
    if (value == minValue_)
        return;
    if (value > maxValue_)
        throw EInvalidOperation(OutOfRange(0, maxValue_));
    minValue_ = value;
    SetProgress(progress_);
    Refresh();
}

void TGauge3d::SetMaxValue(int value)
{
    if (value == maxValue_)
        return;
    if (value < minValue_)
        throw EInvalidOperation(OutOfRange(minValue_, INT_MAX));
    maxValue_ = value;
    SetProgress(progress_);
    Refresh();
}

void TGauge3d::ComputeShown()
{
    absolute_ = progress_ - minValue_;
    const double range = static_cast<double>(maxValue_) - minValue_;
    percentage_ = range > 0 ? RoundHalfEven(absolute_ * 100.0 / range) : 0;
}

void TGauge3d::SetProgress(int value)
{
    value = std::clamp(value, minValue_, maxValue_);
    if (value == progress_)
        return;
    const std::string before = ShownText();
    const int previous = previousShown_;
    progress_ = value;
    ComputeShown();
    previousShown_ = value;
    if (textKind_ == tkNone || ShownText() != before || previous == minValue_)
        Refresh();
}

std::string TGauge3d::ShownText() const
{
    char text[64];
    switch (textKind_) {
    case tkAbsValue:
        std::snprintf(text, sizeof text, "%.4d", absolute_);
        return text + text_;
    case tkRelValue:
        std::snprintf(text, sizeof text, "%d%%", percentage_);
        return text;
    default:
        return {};
    }
}

// Drawn at once: a long task that sets the progress may not come back to a message loop soon.
void TGauge3d::Refresh()
{
    Invalidate();
    Update();
}

void TGauge3d::SetKind(TGaugeKind kind)
{
    if (kind == kind_)
        return;
    kind_ = kind;
    theme_.Close();
    Refresh();
}

void TGauge3d::SetBackColor(TColor color)
{
    if (color == backColor_)
        return;
    backColor_ = color;
    theme_.Close();
    Refresh();
}

void TGauge3d::SetForeColor(TColor color)
{
    if (color == foreColor_)
        return;
    foreColor_ = color;
    Refresh();
}

void TGauge3d::SetBorderWidth(int width)
{
    width = std::max(width, 0);
    if (width == borderWidth_)
        return;
    borderWidth_ = width;
    Refresh();
}

void TGauge3d::SetTextKind(TTextKind kind)
{
    if (kind == textKind_)
        return;
    textKind_ = kind;
    Refresh();
}

void TGauge3d::SetText(const std::string& text)
{
    text_ = text;
    Refresh();
}

void TGauge3d::ColorChanged()
{
    TBevel::ColorChanged();
    backColor_ = Color();
    if (utility_)
        SetWindowTheme(utility_, nullptr, Color() == clBtnFace ? nullptr : L"");
    theme_.Close();
}

void TGauge3d::Paint()
{
    ComputeShown();
    if (!theme_)
        OpenTheme();
    const int width = Width();
    const int height = Height();
    image_.SetSize(width, height);
    image_.Canvas().Brush = TBrush { clBlack, bsSolid };
    image_.Canvas().FillRect({ 0, 0, width, height });
    drawing_.MakeLike(image_);
    drawing_.Canvas().Brush = TBrush { clBlack, bsSolid };
    drawing_.Canvas().FillRect({ 0, 0, width, height });

    const RECT area { borderWidth_, borderWidth_, width - borderWidth_, height - borderWidth_ };
    DrawKind(drawing_.Canvas(), area);
    if (!theme_ && borderWidth_ > 0)
        DrawFrame(drawing_.Canvas());

    BitBlt(image_.Canvas().Handle(), 0, 0, width, height, drawing_.Canvas().Handle(), 0, 0, SRCINVERT);
    if (textKind_ != tkNone) {
        textImage_.MakeLike(image_);
        TCanvas& text = textImage_.Canvas();
        text.Brush = TBrush { clBlack, bsSolid };
        text.FillRect({ 0, 0, width, height });
        text.Font = Font();
        text.Font.SetColor(clWhite);
        text.Brush.Style = bsClear;
        RECT r { 0, 0, width, height };
        SetBkMode(text.Handle(), TRANSPARENT);
        text.DrawText(ShownText(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        BitBlt(image_.Canvas().Handle(), 0, 0, width, height, text.Handle(), 0, 0, SRCINVERT);
    }
    BitBlt(Canvas().Handle(), 0, 0, width, height, image_.Canvas().Handle(), 0, 0, SRCCOPY);
}

void TGauge3d::DrawFrame(TCanvas& canvas)
{
    const int w = Width();
    const int h = Height();
    TColor topLeft = clWindowFrame;
    TColor bottomRight = clWindowFrame;
    if (Shape == bsFrame) {
        topLeft = Style == bsLowered ? clBtnShadow : clBtnHighlight;
        bottomRight = Style == bsLowered ? clBtnHighlight : clBtnShadow;
    }
    canvas.Brush = TBrush { topLeft, bsSolid };
    canvas.FillRect({ 0, 0, w, borderWidth_ });
    canvas.FillRect({ 0, 0, borderWidth_, h });
    canvas.Brush = TBrush { bottomRight, bsSolid };
    canvas.FillRect({ 0, h - borderWidth_, w, h });
    canvas.FillRect({ w - borderWidth_, 0, w, h });
}

void TGauge3d::DrawKind(TCanvas& canvas, const RECT& area)
{
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    const double p = percentage_;
    switch (kind_) {
    case gkText:
        canvas.Brush = TBrush { backColor_, bsSolid };
        canvas.FillRect(area);
        break;
    case gkHorizontalBar:
    case gkVerticalBar:
        DrawBar(canvas, area);
        break;
    case gkPie: {
        canvas.Brush = TBrush { Color(), bsSolid };
        canvas.FillRect(area);
        canvas.Brush = TBrush { backColor_, bsSolid };
        canvas.Pen = TPen { foreColor_, 1, psSolid };
        canvas.Ellipse(area.left, area.top, area.left + w, area.top + h);
        if (p > 0) {
            const POINT end = GaugePiePoint(p, w, h);
            canvas.Brush = TBrush { foreColor_, bsSolid };
            canvas.Pie(area.left, area.top, area.left + w, area.top + h, area.left + end.x, area.top + end.y,
                area.left + w / 2, area.top);
        }
        break;
    }
    case gkNeedle: {
        canvas.Brush = TBrush { Color(), bsSolid };
        canvas.FillRect(area);
        canvas.Brush = TBrush { backColor_, bsSolid };
        canvas.Pen = TPen { foreColor_, 1, psSolid };
        // The upper half of an ellipse twice as high as the area.
        canvas.Pie(area.left, area.top, area.left + w, area.top + 2 * h, area.left + w, area.top + h, area.left,
            area.top + h);
        canvas.MoveTo(area.left, area.bottom - 1);
        canvas.LineTo(area.right, area.bottom - 1);
        if (p > 0) {
            const int half = Width() / 2;
            const int baseline = area.bottom - 1;
            const POINT end = GaugeNeedlePoint(p, half, baseline);
            canvas.MoveTo(half, baseline);
            canvas.LineTo(end.x, end.y);
        }
        break;
    }
    }
}

void TGauge3d::DrawBar(TCanvas& canvas, const RECT& area)
{
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    const bool horizontal = kind_ == gkHorizontalBar;
    RECT filled = area;
    bool any = false;
    if (horizontal) {
        const int length = std::min(RoundHalfEven(w * percentage_ * 0.01), w);
        filled.right = area.left + length;
        any = length >= 1;
    } else {
        const int length = std::min(RoundHalfEven(h * percentage_ * 0.01), h - 1);
        filled.top = area.top + h - length;
        any = length >= 1;
    }
    if (!theme_) {
        canvas.Brush = TBrush { backColor_, bsSolid };
        canvas.FillRect(area);
        if (any) {
            canvas.Brush = TBrush { foreColor_, bsSolid };
            canvas.FillRect(filled);
        }
        return;
    }
    HDC dc = canvas.Handle();
    const int barPart = horizontal ? PP_BAR : PP_BARVERT;
    const int chunkPart = horizontal ? PP_CHUNK : PP_CHUNKVERT;
    DrawThemeBackground(theme_.Handle(), dc, barPart, 1, &area, nullptr);
    RECT content = area;
    if (SUCCEEDED(GetThemeBackgroundContentRect(theme_.Handle(), dc, barPart, 1, &area, &content))
        && !EqualRect(&content, &area)) {
        if (horizontal)
            filled = { content.left, content.top, std::min<LONG>(content.left + (filled.right - area.left), content.right),
                content.bottom };
        else
            filled = { content.left, std::max<LONG>(content.bottom - (area.bottom - filled.top), content.top),
                content.right, content.bottom };
    }
    if (any) {
        OffsetRect(&filled, borderWidth_ / 2, borderWidth_ / 2);
        DrawThemeBackground(theme_.Handle(), dc, chunkPart, 1, &filled, nullptr);
    }
}
