// Tests of the framed panel, the gauge and the coloured grip under Wine: the frame in the
// non-client area, the gauge's values (range rules, clamping, rounding, shown text) and its bars
// pixel by pixel, and the grip's alignment, simple mode and grip drawing by window state.
#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "framework/Forms.h"
#include "framework/harness/WindowCapture.h"
#include "ui/controls/ColGrip.h"
#include "ui/controls/ExtCtrlsEx.h"
#include "ui/controls/Gauges3d.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr TColor Tint = 0x00A8C8C7;

// The capture's pixel as a COLORREF (0x00BBGGRR).
COLORREF PixelAt(const TBitmap& picture, int x, int y)
{
    const std::uint32_t rgb = picture.Bits()[y * picture.Width() + x];
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// One borderless shown form for the whole program: showing and closing forms is slow under Wine.
class ShownForm : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        form = new TForm(nullptr);
        form->BorderStyle = bsNone;
        form->SetBounds(60, 60, 320, 200);
        form->SetColor(Tint);
        form->Show();
        Application().ProcessMessages();
    }
    static void TearDownTestSuite()
    {
        delete form;
        form = nullptr;
    }
    std::unique_ptr<TBitmap> Capture()
    {
        auto picture = std::make_unique<TBitmap>();
        EXPECT_TRUE(CaptureWindow(form->Handle(), *picture));
        return picture;
    }
    static TForm* form;
};
TForm* ShownForm::form = nullptr;

// ---- framed panel ----

TEST_F(ShownForm, FramedPanelDrawsItsFrameOutsideTheClientArea)
{
    std::unique_ptr<TColoredFramePanel> panel(new TColoredFramePanel(form));
    panel->SetParent(form);
    panel->SetBounds(10, 10, 100, 50);
    panel->SetFrameColor(clRed);
    const RECT client = panel->ClientRect();
    EXPECT_EQ(client.right, 98);
    EXPECT_EQ(client.bottom, 48);
    const auto shot = Capture();
    const TBitmap& picture = *shot;
    EXPECT_EQ(PixelAt(picture, 10, 10), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(picture, 109, 59), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(picture, 50, 30), ColorToRGB(Tint));
}

TEST_F(ShownForm, FramelessPanelsClientAreaIsTheWholeWindow)
{
    std::unique_ptr<TColoredFramePanel> panel(new TColoredFramePanel(form));
    panel->SetParent(form);
    panel->SetBounds(10, 10, 100, 50);
    panel->SetFrameColor(clNone);
    EXPECT_EQ(panel->ClientRect().right, 100);
    EXPECT_EQ(panel->ClientRect().bottom, 50);
    panel->SetFrameColor(clBlue);
    EXPECT_EQ(panel->ClientRect().right, 98);
    EXPECT_EQ(panel->BevelOuter(), bvNone);
    EXPECT_EQ(panel->BevelInner(), bvNone);
}

TEST_F(ShownForm, TabStyleNeedsTheFaceColourAndVisualStyles)
{
    std::unique_ptr<TColoredFramePanel> panel(new TColoredFramePanel(form));
    panel->SetParent(form);
    panel->SetTabStyle(true);
    EXPECT_FALSE(panel->Themed()); // the form's own tint
    panel->SetColor(clBtnFace);
    EXPECT_EQ(panel->Themed(), VisualStylesActive());
}

// ---- gauge values ----

TEST(GaugeValues, ProgressStaysInsideTheRange)
{
    TGauge3d gauge(nullptr);
    gauge.SetProgress(150);
    EXPECT_EQ(gauge.Progress(), 100);
    EXPECT_EQ(gauge.Percentage(), 100);
    gauge.SetProgress(-5);
    EXPECT_EQ(gauge.Progress(), 0);
    gauge.SetProgress(80);
    gauge.SetMaxValue(60);
    EXPECT_EQ(gauge.Progress(), 60);
    gauge.SetMinValue(70 - 20);
    gauge.AddProgress(-100);
    EXPECT_EQ(gauge.Progress(), 50);
    EXPECT_EQ(gauge.AbsoluteValue(), 0);
}

TEST(GaugeValues, EmptyRangeShowsZeroPercent)
{
    TGauge3d gauge(nullptr);
    gauge.SetMaxValue(0);
    gauge.SetTextKind(tkRelValue);
    EXPECT_EQ(gauge.Percentage(), 0);
    EXPECT_EQ(gauge.ShownText(), "0%");
}

TEST(GaugeValues, RangeThatWouldTurnOverIsRefused)
{
    TGauge3d gauge(nullptr);
    gauge.SetMinValue(10);
    try {
        gauge.SetMaxValue(5);
        FAIL() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Value must be between 10 and 2147483647");
    }
    try {
        gauge.SetMinValue(101);
        FAIL() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Value must be between 0 and 100");
    }
    EXPECT_EQ(gauge.MinValue(), 10);
    EXPECT_EQ(gauge.MaxValue(), 100);
}

struct PercentCase {
    int max;
    int progress;
    int percent;
};

class GaugePercent : public testing::TestWithParam<PercentCase> { };

TEST_P(GaugePercent, RoundsHalvesToEven)
{
    TGauge3d gauge(nullptr);
    gauge.SetMaxValue(GetParam().max);
    gauge.SetProgress(GetParam().progress);
    EXPECT_EQ(gauge.Percentage(), GetParam().percent);
}

INSTANTIATE_TEST_SUITE_P(Values, GaugePercent,
    testing::Values(PercentCase { 200, 1, 0 }, PercentCase { 200, 3, 2 }, PercentCase { 200, 5, 2 },
        PercentCase { 200, 199, 100 }, PercentCase { 3, 1, 33 }, PercentCase { 3, 2, 67 }));

// Truncating would give (7, 0) for the pie and 20 across for the needle.
TEST(GaugeValues, PieAndNeedleEndsRoundToTheNearest)
{
    const POINT pie = GaugePiePoint(10, 10, 10);
    EXPECT_EQ(pie.x, 8);
    EXPECT_EQ(pie.y, 1);
    const POINT needle = GaugeNeedlePoint(30, 50, 49);
    EXPECT_EQ(needle.x, 21);
    EXPECT_EQ(needle.y, 9);
    // A quarter ends at the right end of the ellipse's middle line, a half at its bottom.
    EXPECT_EQ(GaugePiePoint(25, 10, 10).x, 10);
    EXPECT_EQ(GaugePiePoint(25, 10, 10).y, 5);
    EXPECT_EQ(GaugePiePoint(50, 10, 10).y, 10);
}

TEST(GaugeValues, AbsoluteTextHasFourDigitsAndTheSuffix)
{
    TGauge3d gauge(nullptr);
    gauge.SetMaxValue(100000);
    gauge.SetMinValue(8);
    gauge.SetTextKind(tkAbsValue);
    gauge.SetText(" kB");
    gauge.SetProgress(50);
    EXPECT_EQ(gauge.ShownText(), "0042 kB");
    gauge.SetProgress(12345 + 8);
    EXPECT_EQ(gauge.ShownText(), "12345 kB");
}

// ---- gauge drawing ----

TEST_F(ShownForm, HorizontalBarFillsItsShareFromTheLeft)
{
    auto* gauge = new TGauge3d(form);
    std::unique_ptr<TGauge3d> owned(gauge);
    gauge->SetParent(form);
    gauge->SetBounds(20, 100, 100, 20);
    gauge->SetBackColor(clBlue);
    gauge->SetForeColor(clRed);
    gauge->SetProgress(50);
    const auto shot = Capture();
    const TBitmap& picture = *shot;
    EXPECT_EQ(PixelAt(picture, 20 + 49, 110), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(picture, 20 + 50, 110), RGB(0, 0, 255));
}

TEST_F(ShownForm, FullVerticalBarLeavesTheTopRowUnfilled)
{
    auto* gauge = new TGauge3d(form);
    std::unique_ptr<TGauge3d> owned(gauge);
    gauge->SetParent(form);
    gauge->SetBounds(200, 20, 20, 100);
    gauge->SetKind(gkVerticalBar);
    gauge->SetBackColor(clBlue);
    gauge->SetForeColor(clRed);
    gauge->SetProgress(100);
    const auto shot = Capture();
    const TBitmap& picture = *shot;
    EXPECT_EQ(PixelAt(picture, 210, 20), RGB(0, 0, 255));
    EXPECT_EQ(PixelAt(picture, 210, 21), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(picture, 210, 119), RGB(255, 0, 0));
}

TEST_F(ShownForm, TextIsInvertedOverTheBar)
{
    auto* gauge = new TGauge3d(form);
    std::unique_ptr<TGauge3d> owned(gauge);
    gauge->SetParent(form);
    gauge->SetBounds(20, 140, 200, 30);
    gauge->SetBackColor(clBlack);
    gauge->SetForeColor(clWhite);
    gauge->SetTextKind(tkRelValue);
    gauge->SetProgress(100);
    const auto shot = Capture();
    const TBitmap& picture = *shot;
    // White bar, so the white text shows black in its middle; the corners stay white.
    bool dark = false;
    for (int x = 100; x < 140 && !dark; ++x)
        for (int y = 145; y < 165 && !dark; ++y)
            dark = PixelAt(picture, x, y) == RGB(0, 0, 0);
    EXPECT_TRUE(dark);
    EXPECT_EQ(PixelAt(picture, 21, 141), RGB(255, 255, 255));
}

// ---- coloured grip ----

TEST_F(ShownForm, GripStaysAtTheBottomInSimpleMode)
{
    std::unique_ptr<TColoredGrip> grip(new TColoredGrip(form));
    grip->SetParent(form);
    grip->SetAlign(alTop);
    grip->SetSimplePanel(false);
    EXPECT_EQ(grip->Align(), alBottom);
    EXPECT_TRUE(grip->SimplePanel());
    EXPECT_EQ(grip->Top() + grip->Height(), form->ClientHeight());
    EXPECT_EQ(grip->Color(), Tint);
}

TEST_F(ShownForm, GripIsDrawnUnlessTheFormIsMaximised)
{
    std::unique_ptr<TColoredGrip> grip(new TColoredGrip(form));
    grip->SetParent(form);
    grip->SetSimpleText("Ready");
    const auto shot = Capture();
    const TBitmap& picture = *shot;
    EXPECT_TRUE(grip->SizeGrip);
    const int r = grip->Left() + grip->Width();
    const int b = grip->Top() + grip->Height();
    // On the highlight line from (r - 13, b) to (r, b - 13) and the shadow line inside it.
    EXPECT_EQ(PixelAt(picture, r - 7, b - 6), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(PixelAt(picture, r - 6, b - 5), ColorToRGB(clBtnShadow));

    ShowWindow(form->Handle(), SW_MAXIMIZE);
    Application().ProcessMessages();
    const auto maximised = Capture();
    EXPECT_FALSE(grip->SizeGrip);
    const int r2 = grip->Left() + grip->Width();
    const int b2 = grip->Top() + grip->Height();
    EXPECT_EQ(PixelAt(*maximised, r2 - 7, b2 - 6), ColorToRGB(Tint));
    ShowWindow(form->Handle(), SW_RESTORE);
    Application().ProcessMessages();
}

} // namespace
