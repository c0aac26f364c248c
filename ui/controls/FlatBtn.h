// `TFlatBtn`: an owner-drawn bitmap button that stays flat until hovered, can show its glyph alone
// ("&X" caption) and can act as a toggling toolbar button.
#pragma once

#include "framework/StdCtrls.h"
#include "ui/controls/ThemeApi.h"

#include <functional>
#include <memory>
#include <string>

class TToolTip;

enum TToolBarStyle { tbsNone, tbsPushButton, tbsToolbarButton };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TFlatBtn : public TBitBtn {
public:
    explicit TFlatBtn(TComponent* owner);
    ~TFlatBtn() override;

    bool BtnDown() const noexcept { return btnDown_; }
    void SetBtnDown(bool value);
    TToolBarStyle ToolbarStyle() const noexcept { return toolbarStyle_; }
    void SetToolbarStyle(TToolBarStyle value);
    // Toolbar buttons can never be default or cancel buttons.
    void SetDefaultButton(bool value);
    void SetCancelButton(bool value);
    // The hint shows in the button's own tooltip while the mouse rests on it.
    void SetHint(const std::string& hint);
    TToolTip* HintToolTip() const noexcept { return hintTip_.get(); }
    int Spacing = 4;
    int NumGlyphs = 1;
    TButtonLayout Layout = blGlyphLeft;
    std::function<void(TFlatBtn&)> OnToggleToolbarButton;

    // The caption is '&' and one other character: the glyph is drawn alone.
    bool GlyphOnly() const noexcept { return glyphOnly_; }
    // Draws the glyph alone while the caption stays the button's name (for the keyboard, for
    // screen readers and for programs that find the button by its text).
    bool CaptionHidden = false;
    bool Hot() const noexcept { return hot_; }
    bool Themed() const noexcept { return static_cast<bool>(theme_); }
    // The theme state the button is drawn in now (also the basis of the classic frame).
    int ThemeState(bool pressed, bool focused, bool isDefault) const noexcept;

    void Click() override;
    bool DialogChar(char c) override;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    void TextChanged() override;
    void ColorChanged() override;
    void MouseEnter() override;
    void MouseLeave() override;

    void Resize() override;
    void DestroyWnd() override;

private:
    void OpenTheme();
    void MakeHintToolTip();
    int ThemePart() const noexcept;
    void DrawFrame(TCanvas& canvas, const RECT& rect, bool sunken, bool raised);
    void DrawGlyphAndCaption(TCanvas& canvas, RECT content, bool shifted);
    void CopyGlyph(TCanvas& canvas, int x, int y);

    bool btnDown_ = false;
    TToolBarStyle toolbarStyle_ = tbsNone;
    bool glyphOnly_ = false;
    bool hot_ = false;
    TBitmap work_;
    TThemeHandle theme_;
    std::unique_ptr<TToolTip> hintTip_;
};
