// Panels (bevelled containers whose Align area excludes BorderWidth and bevels), bevels, shapes
// and images.
#pragma once

#include "framework/Controls.h"
#include "framework/StdCtrls.h"

enum TPanelBevel { bvNone, bvLowered, bvRaised };

class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* owner);

    TPanelBevel BevelOuter() const noexcept { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel bevel);
    TPanelBevel BevelInner() const noexcept { return bevelInner_; }
    void SetBevelInner(TPanelBevel bevel);
    int BevelWidth() const noexcept { return bevelWidth_; }
    void SetBevelWidth(int width);
    TAlignment Alignment = taCenter;

protected:
    void CreateParams(TCreateParams& params) override;
    void AdjustClientRect(RECT& rect) override;
    void Paint() override;
    void TextChanged() override;

private:
    TPanelBevel bevelOuter_ = bvRaised;
    TPanelBevel bevelInner_ = bvNone;
    int bevelWidth_ = 1;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* owner);
    TBevelShape Shape = bsBox;
    TBevelStyle Style = bsLowered;

protected:
    void Paint() override;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
public:
    explicit TShape(TComponent* owner);
    TShapeType Shape = stRectangle;
    TBrush Brush;
    TPen Pen;

protected:
    void Paint() override;
};

class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    TBitmap& Picture() noexcept { return picture_; }
    bool Center = false;
    bool Stretch = false;
    bool Transparent = false;

protected:
    void Paint() override;

private:
    TBitmap picture_;
};
