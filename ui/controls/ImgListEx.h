// Image lists of the plug-in: `TBlendImages` draws its work bitmap alpha-blended onto a canvas (the
// grid's arrow and header images build on it), `T32BitImages` holds 32-bit icons drawn over a
// background brush with a mask made from the icon.
#pragma once

#include "framework/ComCtrls.h"
#include "framework/Graphics.h"

class TBlendImages : public TImageList {
public:
    explicit TBlendImages(TComponent* owner);

    // True when the system's AlphaBlend could be bound (its library was already loaded).
    bool CanBlend() const noexcept { return canBlend_; }
    // What DrawBlended puts on the canvas.
    TBitmap& WorkBitmap() noexcept { return work_; }
    // Blends the whole work bitmap into the destination at percent opacity; nothing without AlphaBlend.
    void DrawBlended(TCanvas& canvas, int left, int top, int width, int height, int percent);

protected:
    // Puts image index of the list, over the background colour, into the work bitmap (sized to the list).
    void PrepareWork(int index, TColor background);

private:
    bool canBlend_;
    TBitmap work_;
};

class T32BitImages : public TImageList {
public:
    explicit T32BitImages(TComponent* owner);

    // Makes the list (32-bit colour with mask); icons are drawn over brush unless addDirectly.
    // Throws EInvalidOperation when no list could be made or no brush is given.
    void InitList(int width, int height, int initialCount, HBRUSH brush, bool addDirectly);
    // Adds the icon (and, with withSelected, its selected look right after it); returns the first
    // image's index, -1 for no icon. The icon is destroyed afterwards when freeIcon, even on failure.
    int AddIconImage(HICON icon, bool withSelected, bool freeIcon);

private:
    int AddDrawn(HICON icon, bool drawMask);

    TBitmap image_;
    TBitmap mask_;
    HBRUSH brush_ = nullptr;
    bool addDirectly_ = false;
};
