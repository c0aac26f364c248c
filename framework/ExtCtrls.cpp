// Panels, bevels, shapes and images.
#include "framework/ExtCtrls.h"

#include <algorithm>

namespace {

void DrawBevel(HDC dc, RECT& rect, TPanelBevel bevel, int width)
{
    if (bevel == bvNone)
        return;
    const COLORREF topLeft = ColorToRGB(bevel == bvRaised ? clBtnHighlight : clBtnShadow);
    const COLORREF bottomRight = ColorToRGB(bevel == bvRaised ? clBtnShadow : clBtnHighlight);
    for (int i = 0; i < width; ++i) {
        const HBRUSH light = CreateSolidBrush(topLeft);
        const HBRUSH dark = CreateSolidBrush(bottomRight);
        RECT top { rect.left, rect.top, rect.right, rect.top + 1 };
        RECT left { rect.left, rect.top, rect.left + 1, rect.bottom };
        RECT bottom { rect.left, rect.bottom - 1, rect.right, rect.bottom };
        RECT right { rect.right - 1, rect.top, rect.right, rect.bottom };
        FillRect(dc, &top, light);
        FillRect(dc, &left, light);
        FillRect(dc, &bottom, dark);
        FillRect(dc, &right, dark);
        DeleteObject(light);
        DeleteObject(dark);
        InflateRect(&rect, -1, -1);
    }
}

} // namespace

// ---- TPanel ----

TPanel::TPanel(TComponent* owner)
    : TCustomControl(owner)
{
    clickEvents_ = true;
    SetBounds(0, 0, 185, 41);
}

void TPanel::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.WinClassName = "TPanel";
}

void TPanel::SetBevelOuter(TPanelBevel bevel)
{
    bevelOuter_ = bevel;
    AlignControls();
    Invalidate();
}

void TPanel::SetBevelInner(TPanelBevel bevel)
{
    bevelInner_ = bevel;
    AlignControls();
    Invalidate();
}

void TPanel::SetBevelWidth(int width)
{
    bevelWidth_ = std::max(width, 0);
    AlignControls();
    Invalidate();
}

void TPanel::AdjustClientRect(RECT& rect)
{
    TCustomControl::AdjustClientRect(rect);
    const int bevels = (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0);
    InflateRect(&rect, -bevels, -bevels);
}

void TPanel::Paint()
{
    TCanvas& canvas = Canvas();
    RECT r { 0, 0, Width(), Height() };
    canvas.FillRect(r);
    DrawBevel(canvas.Handle(), r, bevelOuter_, bevelWidth_);
    InflateRect(&r, -BorderWidth(), -BorderWidth());
    DrawBevel(canvas.Handle(), r, bevelInner_, bevelWidth_);
    const std::string caption = GetText();
    if (!caption.empty()) {
        static constexpr UINT alignments[] = { DT_LEFT, DT_RIGHT, DT_CENTER };
        canvas.Brush.Style = bsClear;
        canvas.DrawText(caption, r, DT_SINGLELINE | DT_VCENTER | alignments[Alignment]);
    }
}

void TPanel::TextChanged()
{
    Invalidate();
}

// ---- TBevel ----

TBevel::TBevel(TComponent* owner)
    : TGraphicControl(owner)
{
    SetBounds(0, 0, 50, 50);
}

void TBevel::Paint()
{
    const HDC dc = Canvas().Handle();
    RECT r { 0, 0, Width(), Height() };
    const UINT edge = Style == bsLowered ? EDGE_ETCHED : EDGE_BUMP;
    switch (Shape) {
    case bsBox:
        DrawEdge(dc, &r, Style == bsLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        break;
    case bsFrame:
        DrawEdge(dc, &r, edge, BF_RECT);
        break;
    case bsTopLine:
        DrawEdge(dc, &r, edge, BF_TOP);
        break;
    case bsBottomLine:
        DrawEdge(dc, &r, edge, BF_BOTTOM);
        break;
    case bsLeftLine:
        DrawEdge(dc, &r, edge, BF_LEFT);
        break;
    case bsRightLine:
        DrawEdge(dc, &r, edge, BF_RIGHT);
        break;
    case bsSpacer:
        break;
    }
}

// ---- TShape ----

TShape::TShape(TComponent* owner)
    : TGraphicControl(owner)
{
    SetBounds(0, 0, 65, 65);
}

void TShape::Paint()
{
    TCanvas& canvas = Canvas();
    canvas.Brush = Brush;
    canvas.Pen = Pen;
    const int inset = Pen.Width / 2;
    int w = Width() - Pen.Width + 1;
    int h = Height() - Pen.Width + 1;
    int x = inset;
    int y = inset;
    if (Shape == stSquare || Shape == stRoundSquare || Shape == stCircle) {
        const int side = std::min(w, h);
        x += (w - side) / 2;
        y += (h - side) / 2;
        w = h = side;
    }
    switch (Shape) {
    case stRectangle:
    case stSquare:
        canvas.Rectangle(x, y, x + w, y + h);
        break;
    case stRoundRect:
    case stRoundSquare: {
        const int corner = std::min(w, h) / 4;
        canvas.Rectangle(x, y, x, y); // selects pen and brush
        RoundRect(canvas.Handle(), x, y, x + w, y + h, corner, corner);
        break;
    }
    case stEllipse:
    case stCircle:
        canvas.Ellipse(x, y, x + w, y + h);
        break;
    }
}

// ---- TImage ----

TImage::TImage(TComponent* owner)
    : TGraphicControl(owner)
{
    SetBounds(0, 0, 105, 105);
}

void TImage::Paint()
{
    if (picture_.Empty())
        return;
    TCanvas& canvas = Canvas();
    picture_.TransparentColor = Transparent ? static_cast<TColor>(picture_.Bits()[0] & 0xFFFFFF) : clNone;
    if (Stretch) {
        const RECT target { 0, 0, Width(), Height() };
        const RECT source { 0, 0, picture_.Width(), picture_.Height() };
        canvas.CopyRect(target, picture_.Canvas(), source);
        return;
    }
    const int x = Center ? (Width() - picture_.Width()) / 2 : 0;
    const int y = Center ? (Height() - picture_.Height()) / 2 : 0;
    canvas.Draw(x, y, picture_);
}
