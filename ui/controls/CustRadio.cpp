// The radio button: group behaviour among siblings and its own round glyph when not themed.
#include "ui/controls/CustRadio.h"

#include <vssym32.h>

TCustRadioBtn::TCustRadioBtn(TComponent* owner)
    : TCustBtnCtrl(owner)
{
    themePart_ = BP_RADIOBUTTON;
}

std::vector<TCustRadioBtn*> TCustRadioBtn::Siblings() const
{
    std::vector<TCustRadioBtn*> siblings;
    if (!Parent())
        return siblings;
    for (int i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* radio = dynamic_cast<TCustRadioBtn*>(Parent()->Controls(i)); radio && radio != this)
            siblings.push_back(radio);
    return siblings;
}

void TCustRadioBtn::SetState(TCheckState state)
{
    TCustBtnCtrl::SetState(state);
    if (state == cbChecked)
        for (TCustRadioBtn* sibling : Siblings())
            sibling->SetChecked(false);
}

void TCustRadioBtn::Click()
{
    if (Checked() && !Siblings().empty()) {
        if (CanFocus())
            SetFocus();
        TCustomControl::Click();
        return;
    }
    TCustBtnCtrl::Click();
}

int TCustRadioBtn::GetThemeState()
{
    const int base = Checked() ? 4 : 0; // unchecked 1-4, checked 5-8
    if (!Enabled())
        return base + 4;
    if (Pressed())
        return base + 3;
    if (Hot())
        return base + 2;
    return base + 1;
}

void TCustRadioBtn::DrawGlyph(TCanvas& canvas, const RECT& rect)
{
    constexpr int size = 12;
    const int left = rect.left;
    const int top = rect.top + (rect.bottom - rect.top - size) / 2;
    canvas.Pen.Color = canvas.Brush.Color;
    canvas.Ellipse(left + 1, top + 1, left + size - 1, top + size - 1);
    // The 3-D rim: shadow and dark shadow on the upper left, highlight and face on the lower right.
    struct Rim {
        TColor color;
        int inset;
        bool upper;
    };
    const Rim rims[] = { { clBtnShadow, 0, true }, { SystemColor(COLOR_3DDKSHADOW), 1, true },
        { clBtnHighlight, 0, false }, { clBtnFace, 1, false } };
    HDC dc = canvas.Handle();
    for (const Rim& rim : rims) {
        const HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(rim.color));
        const HGDIOBJ old = SelectObject(dc, pen);
        const int l = left + rim.inset;
        const int t = top + rim.inset;
        const int r = left + size - rim.inset;
        const int b = top + size - rim.inset;
        if (rim.upper)
            Arc(dc, l, t, r, b, r, t, l, b);
        else
            Arc(dc, l, t, r, b, l, b, r, t);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    if (Checked()) {
        canvas.Brush.Color = Enabled() ? Font().Color() : clGrayText;
        canvas.Pen.Color = canvas.Brush.Color;
        canvas.Ellipse(left + 4, top + 4, left + 8, top + 8);
    }
}
