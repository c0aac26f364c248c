// The flat button: theme state by toolbar style, drawing into a work bitmap (themed background or
// a frame that shows only when hovered or pressed), glyph and caption layout, and toolbar toggling.
#include "ui/controls/FlatBtn.h"

#include "ui/controls/ToolTip.h"

#include "framework/Forms.h"

#include <vssym32.h>

TFlatBtn::TFlatBtn(TComponent* owner)
    : TBitBtn(owner)
{
    SetParentColor(true);
    SetBounds(0, 0, 75, 33);
}

TFlatBtn::~TFlatBtn()
{
    DestroyHandle();
}

void TFlatBtn::CreateParams(TCreateParams& params)
{
    TBitBtn::CreateParams(params);
    params.Style |= BS_OWNERDRAW;
    params.ExStyle |= WS_EX_TRANSPARENT;
}

void TFlatBtn::CreateWindowHandleDone()
{
    TBitBtn::CreateWindowHandleDone();
    OpenTheme();
    MakeHintToolTip();
}

void TFlatBtn::MakeHintToolTip()
{
    if (hintTip_ || Hint.empty() || !HandleAllocated())
        return;
    hintTip_ = std::make_unique<TToolTip>(this);
    hintTip_->SetToolTipStyle(ttsUnderscore);
    hintTip_->SetToolRect(ClientRect());
    hintTip_->SetText(Hint);
}

void TFlatBtn::SetHint(const std::string& hint)
{
    Hint = hint;
    if (hintTip_)
        hintTip_->SetText(hint);
    else
        MakeHintToolTip();
}

void TFlatBtn::Resize()
{
    TBitBtn::Resize();
    if (hintTip_)
        hintTip_->SetToolRect(ClientRect());
}

void TFlatBtn::DestroyWnd()
{
    hintTip_.reset();
    TBitBtn::DestroyWnd();
}

void TFlatBtn::OpenTheme()
{
    theme_.Close();
    if (HandleAllocated() && Color() == clBtnFace)
        theme_.Open(Handle(), toolbarStyle_ == tbsNone ? L"BUTTON" : L"TOOLBAR");
}

int TFlatBtn::ThemePart() const noexcept
{
    return toolbarStyle_ == tbsNone ? static_cast<int>(BP_PUSHBUTTON) : static_cast<int>(TP_BUTTON);
}

void TFlatBtn::SetBtnDown(bool value)
{
    if (value == btnDown_)
        return;
    Invalidate();
    btnDown_ = value;
    if (OnToggleToolbarButton)
        OnToggleToolbarButton(*this);
}

void TFlatBtn::SetToolbarStyle(TToolBarStyle value)
{
    toolbarStyle_ = value;
    if (value == tbsToolbarButton) {
        SetDefault(false);
        Cancel = false;
    }
    if (HandleAllocated())
        PostMessageA(Handle(), WM_THEMECHANGED, 0, 0);
}

void TFlatBtn::SetDefaultButton(bool value)
{
    SetDefault(value && toolbarStyle_ != tbsToolbarButton);
}

void TFlatBtn::SetCancelButton(bool value)
{
    Cancel = value && toolbarStyle_ != tbsToolbarButton;
}

int TFlatBtn::ThemeState(bool pressed, bool focused, bool isDefault) const noexcept
{
    if (!Enabled())
        return 4;
    if (pressed)
        return 3;
    switch (toolbarStyle_) {
    case tbsNone:
        return hot_ ? 2 : (focused || isDefault) ? 5 : 1;
    case tbsToolbarButton:
        if (!hot_ && !focused)
            return btnDown_ ? 5 : 1;
        return btnDown_ ? 6 : 2;
    case tbsPushButton:
        return hot_ ? 6 : (!focused && !isDefault) ? 1 : 2;
    }
    return 1;
}

void TFlatBtn::Click()
{
    TBitBtn::Click();
    if (toolbarStyle_ == tbsToolbarButton && !Destroying())
        SetBtnDown(!btnDown_);
}

bool TFlatBtn::DialogChar(char c)
{
    if (!IsAccel(c, GetText()) || !CanFocus())
        return false;
    Click();
    return true;
}

void TFlatBtn::TextChanged()
{
    TBitBtn::TextChanged();
    const std::string caption = GetText();
    glyphOnly_ = caption.size() == 2 && caption[0] == '&' && caption[1] != '&';
    Invalidate();
}

void TFlatBtn::ColorChanged()
{
    TBitBtn::ColorChanged();
    OpenTheme();
    Invalidate();
}

void TFlatBtn::MouseEnter()
{
    TBitBtn::MouseEnter();
    if (hintTip_)
        hintTip_->SetActive(true);
    hot_ = true;
    Invalidate();
}

void TFlatBtn::MouseLeave()
{
    TBitBtn::MouseLeave();
    if (hintTip_)
        hintTip_->SetActive(false);
    hot_ = false;
    Invalidate();
}

void TFlatBtn::DrawFrame(TCanvas& canvas, const RECT& rect, bool sunken, bool raised)
{
    const TColor topLeft = sunken ? clBtnShadow : raised ? clWhite : Color();
    const TColor bottomRight = sunken ? clWhite : raised ? clBtnShadow : Color();
    canvas.Pen.Color = topLeft;
    canvas.MoveTo(rect.left, rect.bottom - 1);
    canvas.LineTo(rect.left, rect.top);
    canvas.LineTo(rect.right - 1, rect.top);
    canvas.Pen.Color = bottomRight;
    canvas.LineTo(rect.right - 1, rect.bottom - 1);
    canvas.LineTo(rect.left - 1, rect.bottom - 1);
}

void TFlatBtn::CopyGlyph(TCanvas& canvas, int x, int y)
{
    TBitmap& glyph = Glyph();
    const int frameWidth = glyph.Width() / std::max(1, NumGlyphs);
    const int frame = !Enabled() && NumGlyphs > 1 ? 1 : 0;
    const bool grey = !Enabled() && NumGlyphs <= 1;
    const std::uint32_t transparent
        = glyph.TransparentColor == clNone ? 0xFFFFFFFFu : [&] {
              const COLORREF c = ColorToRGB(glyph.TransparentColor);
              return static_cast<std::uint32_t>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
          }();
    const std::uint32_t* source = glyph.Bits();
    std::uint32_t* target = work_.Bits();
    (void)canvas;
    if (!source || !target)
        return;
    for (int row = 0; row < glyph.Height(); ++row) {
        const int ty = y + row;
        if (ty < 0 || ty >= work_.Height())
            continue;
        for (int col = 0; col < frameWidth; ++col) {
            const int tx = x + col;
            if (tx < 0 || tx >= work_.Width())
                continue;
            std::uint32_t pixel = source[row * glyph.Width() + frame * frameWidth + col] & 0xFFFFFF;
            if (pixel == transparent)
                continue;
            if (grey) {
                const unsigned sum = ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF);
                const unsigned g = sum / 6 + 128;
                pixel = (g << 16) | (g << 8) | g;
            }
            target[ty * work_.Width() + tx] = pixel;
        }
    }
}

void TFlatBtn::DrawGlyphAndCaption(TCanvas& canvas, RECT content, bool shifted)
{
    if (shifted)
        OffsetRect(&content, 1, 1);
    TBitmap& glyph = Glyph();
    const int glyphWidth = glyph.Empty() ? 0 : glyph.Width() / std::max(1, NumGlyphs);
    const int glyphHeight = glyph.Empty() ? 0 : glyph.Height();
    const std::string caption = GetText();
    const int width = content.right - content.left;
    const int height = content.bottom - content.top;
    GdiFlush();
    if (caption.empty() || glyphOnly_ || (CaptionHidden && Glyph().Width() > 0)) {
        if (glyphWidth > 0)
            CopyGlyph(canvas, content.left + (width - glyphWidth) / 2, content.top + (height - glyphHeight) / 2);
        return;
    }
    RECT text = content;
    UINT flags = DT_SINGLELINE;
    if (glyphWidth == 0) {
        flags |= DT_CENTER | DT_VCENTER;
    } else {
        switch (Layout) {
        case blGlyphLeft:
            CopyGlyph(canvas, content.left, content.top + (height - glyphHeight) / 2);
            text.left += glyphWidth + Spacing;
            flags |= DT_VCENTER;
            break;
        case blGlyphRight:
            CopyGlyph(canvas, content.right - glyphWidth, content.top + (height - glyphHeight) / 2);
            text.right -= glyphWidth + Spacing;
            flags |= DT_VCENTER | DT_RIGHT;
            break;
        case blGlyphTop:
            CopyGlyph(canvas, content.left + (width - glyphWidth) / 2, content.top);
            text.top += glyphHeight + Spacing;
            flags |= DT_CENTER;
            break;
        case blGlyphBottom:
            CopyGlyph(canvas, content.left + (width - glyphWidth) / 2, content.bottom - glyphHeight);
            text.bottom -= glyphHeight + Spacing;
            flags |= DT_CENTER | DT_BOTTOM;
            break;
        }
    }
    canvas.Brush.Style = bsClear;
    canvas.DrawText(caption, text, flags);
}

void TFlatBtn::DrawItem(const DRAWITEMSTRUCT& item)
{
    const bool pressed = item.itemState & ODS_SELECTED;
    const bool focused = item.itemState & ODS_FOCUS;
    const bool isDefault = (item.itemState & ODS_DEFAULT) || Default();
    RECT bounds { 0, 0, item.rcItem.right - item.rcItem.left, item.rcItem.bottom - item.rcItem.top };
    if (work_.Width() != bounds.right || work_.Height() != bounds.bottom)
        work_.SetSize(bounds.right, bounds.bottom);
    TCanvas& canvas = work_.Canvas();
    canvas.Font = Font();
    if (!Enabled())
        canvas.Font.SetColor(clGrayText);
    canvas.Pen.Color = Color();
    canvas.Brush.Color = Color();
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(bounds);
    const bool down = pressed || (toolbarStyle_ == tbsToolbarButton && btnDown_);
    RECT content = bounds;
    if (theme_) {
        const int state = ThemeState(pressed, focused, isDefault);
        if (IsThemeBackgroundPartiallyTransparent(theme_.Handle(), ThemePart(), state))
            DrawThemeParentBackground(Handle(), canvas.Handle(), &bounds);
        DrawThemeBackground(theme_.Handle(), canvas.Handle(), ThemePart(), state, &bounds, nullptr);
        GetThemeBackgroundContentRect(theme_.Handle(), canvas.Handle(), ThemePart(), state, &bounds, &content);
    } else {
        // A toolbar button that stays down shows it is one by its raised frame when up.
        DrawFrame(canvas, bounds, down, !down && (hot_ || toolbarStyle_ == tbsToolbarButton));
    }
    content.left = std::min<LONG>(content.left, 4);
    content.right = std::max<LONG>(content.right, bounds.right - 4);
    DrawGlyphAndCaption(canvas, content, down);
    if (focused && !(theme_ && toolbarStyle_ == tbsToolbarButton)) {
        RECT focus = content;
        if (toolbarStyle_ != tbsNone)
            InflateRect(&focus, -2, -2);
        DrawFocusRect(canvas.Handle(), &focus);
    }
    BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, bounds.right, bounds.bottom, canvas.Handle(), 0, 0, SRCCOPY);
}

void TFlatBtn::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_THEMECHANGED:
        OpenTheme();
        Invalidate();
        break;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_DESTROY:
        theme_.Close();
        break;
    default:
        break;
    }
    TBitBtn::WndProc(message);
}
