// The grid's image lists: `TArrowImages`, the pair of sort arrows cut from one bitmap, drawn plainly
// or blended into a cell's centre when they are squeezed there; `THeaderImages`, header images
// whose bitmaps may hold several state variants side by side, drawn faded when highlighted.
#pragma once

#include "ui/controls/ImgListEx.h"

class TArrowImages : public TBlendImages {
public:
    explicit TArrowImages(TComponent* owner);

    // The strip holds the descending arrow on the left half and the ascending one on the right;
    // its transparent colour is its bottom-left pixel. False for a strip that cannot be halved.
    bool LoadArrows(TBitmap& strip);
    // Nothing for resource id 0 (false).
    bool LoadArrowsFromResource(HINSTANCE module, int id);
    bool Loaded() { return Count() == 2; }

    void DrawArrow(TCanvas& canvas, int x, int y, bool ascending);
    // The arrow centred in rect, blended at 80 % over the background colour.
    void DrawArrowBlended(TCanvas& canvas, const RECT& rect, bool ascending, TColor background);
};

class THeaderImages : public TBlendImages {
public:
    explicit THeaderImages(TComponent* owner);

    // State variants per image: the last added bitmap's width divided by the image width.
    int Multiple() const noexcept { return multiple_; }
    // Adds a bitmap (masked by its bottom-left pixel); the index of its first image, or -1.
    int AddHeaderImage(TBitmap& bitmap);
    int AddFromResource(HINSTANCE module, int id);
    // Highlighted images are drawn faded (blended at 50 % over the background); without blending,
    // in the selected style for single images, else as the next variant.
    void DrawHeaderImage(TCanvas& canvas, int x, int y, int index, bool highlighted, TColor background);

private:
    int multiple_ = 1;
};
