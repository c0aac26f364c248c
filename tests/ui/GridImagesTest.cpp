// The grid's image lists under Wine: arrows cut from one strip and drawn by direction, plainly and
// blended into a cell's centre; header images with state variants, drawn faded when highlighted.
#include "ui/controls/GridImages.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::uint32_t White = 0xFFFFFF;
constexpr std::uint32_t Red = 0xFF0000; // as the bitmap's 0x00RRGGBB pixels
constexpr std::uint32_t Blue = 0x0000FF;

// A strip of blocks: each block a square of its colour in the middle, white around it.
void FillStrip(TBitmap& strip, int blockWidth, const std::vector<std::uint32_t>& colours)
{
    strip.SetSize(blockWidth * static_cast<int>(colours.size()), 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < strip.Width(); ++x) {
            const int inner = x % blockWidth;
            const bool middle = inner >= 4 && inner < blockWidth - 4 && y >= 4 && y < 12;
            strip.Bits()[y * strip.Width() + x] = middle ? colours[static_cast<std::size_t>(x / blockWidth)] : White;
        }
}

std::uint32_t At(const TBitmap& bitmap, int x, int y)
{
    return bitmap.Bits()[y * bitmap.Width() + x] & 0xFFFFFF;
}

TEST(GridImages, ArrowsAreTheHalvesOfOneStrip)
{
    TArrowImages arrows(nullptr);
    EXPECT_FALSE(arrows.LoadArrowsFromResource(nullptr, 0));
    TBitmap strip;
    FillStrip(strip, 16, { Red, Blue });
    ASSERT_TRUE(arrows.LoadArrows(strip));
    EXPECT_EQ(arrows.Width(), 16);
    EXPECT_EQ(arrows.Count(), 2);

    TBitmap target(40, 20);
    target.Canvas().Brush.Color = clLime;
    target.Canvas().FillRect(RECT { 0, 0, 40, 20 });
    arrows.DrawArrow(target.Canvas(), 0, 0, true);
    arrows.DrawArrow(target.Canvas(), 20, 0, false);
    EXPECT_EQ(At(target, 8, 8), Blue) << "ascending is the second image";
    EXPECT_EQ(At(target, 28, 8), Red) << "descending is the first";
    EXPECT_EQ(At(target, 1, 1), 0x00FF00u) << "the strip's background colour is transparent";
}

TEST(GridImages, SqueezedArrowIsBlendedIntoTheCentre)
{
    TArrowImages arrows(nullptr);
    TBitmap strip;
    FillStrip(strip, 16, { Red, Blue });
    ASSERT_TRUE(arrows.LoadArrows(strip));
    TBitmap target(60, 20);
    target.Canvas().Brush.Color = clWhite;
    target.Canvas().FillRect(RECT { 0, 0, 60, 20 });
    arrows.DrawArrowBlended(target.Canvas(), RECT { 0, 0, 60, 20 }, true, clWhite);
    // Centre of the cell: 80 % blue over white.
    const std::uint32_t centre = At(target, 30, 10);
    EXPECT_NEAR(static_cast<int>(centre >> 16), 51, 3);
    EXPECT_EQ(centre & 0xFF, 0xFFu);
    EXPECT_EQ(At(target, 2, 2), White);
}

TEST(GridImages, HeaderImagesCountVariantsAndFadeWhenHighlighted)
{
    THeaderImages images(nullptr);
    images.SetSize(16, 16);
    TBitmap bitmap;
    FillStrip(bitmap, 16, { Red, Blue });
    EXPECT_EQ(images.AddHeaderImage(bitmap), 0);
    EXPECT_EQ(images.Multiple(), 2);
    TBitmap target(40, 20);
    target.Canvas().Brush.Color = clWhite;
    target.Canvas().FillRect(RECT { 0, 0, 40, 20 });
    images.DrawHeaderImage(target.Canvas(), 0, 0, 0, false, clWhite);
    images.DrawHeaderImage(target.Canvas(), 20, 0, 0, true, clWhite);
    EXPECT_EQ(At(target, 8, 8), Red);
    const std::uint32_t faded = At(target, 28, 8);
    EXPECT_EQ(faded >> 16, 0xFFu);
    EXPECT_NEAR(static_cast<int>(faded & 0xFF), 128, 3) << "half red over white";
}

} // namespace
