// Sort arrows and header images of the grid.
#include "ui/controls/GridImages.h"

#include <algorithm>

namespace {

TColor BottomLeftColour(const TBitmap& bitmap)
{
    const std::uint32_t rgb = bitmap.Bits()[(bitmap.Height() - 1) * bitmap.Width()];
    return static_cast<TColor>(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
}

constexpr int ArrowBlendLevel = 80;
constexpr int HighlightBlendLevel = 50;

} // namespace

// ---- TArrowImages ----

TArrowImages::TArrowImages(TComponent* owner)
    : TBlendImages(owner)
{
}

bool TArrowImages::LoadArrows(TBitmap& strip)
{
    if (strip.Empty() || strip.Width() < 2)
        return false;
    SetSize(strip.Width() / 2, strip.Height());
    SetMasked(true);
    return AddMasked(strip, BottomLeftColour(strip)) >= 0 && Count() == 2;
}

bool TArrowImages::LoadArrowsFromResource(HINSTANCE module, int id)
{
    if (id == 0)
        return false;
    TBitmap strip;
    return strip.LoadFromResourceId(module, id) && LoadArrows(strip);
}

void TArrowImages::DrawArrow(TCanvas& canvas, int x, int y, bool ascending)
{
    Draw(canvas, x, y, ascending ? 1 : 0);
}

void TArrowImages::DrawArrowBlended(TCanvas& canvas, const RECT& rect, bool ascending, TColor background)
{
    if (!Loaded())
        return;
    PrepareWork(ascending ? 1 : 0, background);
    const int left = (rect.left + rect.right - Width()) / 2;
    const int top = (rect.top + rect.bottom - Height()) / 2;
    DrawBlended(canvas, left, top, Width(), Height(), ArrowBlendLevel);
}

// ---- THeaderImages ----

THeaderImages::THeaderImages(TComponent* owner)
    : TBlendImages(owner)
{
}

int THeaderImages::AddHeaderImage(TBitmap& bitmap)
{
    if (bitmap.Empty() || Width() <= 0)
        return -1;
    multiple_ = std::max(bitmap.Width() / Width(), 1);
    return AddMasked(bitmap, BottomLeftColour(bitmap));
}

int THeaderImages::AddFromResource(HINSTANCE module, int id)
{
    TBitmap bitmap;
    return bitmap.LoadFromResourceId(module, id) ? AddHeaderImage(bitmap) : -1;
}

void THeaderImages::DrawHeaderImage(TCanvas& canvas, int x, int y, int index, bool highlighted, TColor background)
{
    if (!highlighted) {
        Draw(canvas, x, y, index);
        return;
    }
    if (CanBlend()) {
        PrepareWork(index, background);
        DrawBlended(canvas, x, y, Width(), Height(), HighlightBlendLevel);
        return;
    }
    if (multiple_ < 2)
        ImageList_Draw(Handle(), index, canvas.Handle(), x, y, ILD_SELECTED);
    else
        Draw(canvas, x, y, index + 1);
}
