// `TToolTip`: the tooltip of one owner control (a form, grid, tree, button). It shows one tip at a
// time: plain text, text only when the owner's own text does not fit, or rich text with links the
// user can enter, walk with Tab and click. A common-controls tooltip whose text is drawn by a child
// window. Also the free routines for plain tracking tooltips shown next to an item.
#pragma once

#include "framework/Controls.h"
#include "ui/controls/ThemeApi.h"

#include <functional>
#include <string>

#include <commctrl.h>
#include <richedit.h>

enum TCenterToolTip { cttNot, cttTrack, cttSubMouse, cttInParent, cttSubParent, cttInToolRect, cttSubToolRect };
enum TToolTipStyle { ttsLiteralPrefix, ttsCenterText, ttsUnderscore, ttsRichText };

struct TTitleData {
    int Icon = 0;
    std::string Title;
};

// Where a tip goes: everything placement looks at, gathered so the arithmetic stands alone.
struct TTipPlacement {
    TCenterToolTip Mode = cttNot;
    bool FixedPos = false;
    // Re-texting a visible tip keeps it where it is.
    bool KeepPosition = false;
    RECT WorkArea {};
    // Where the tooltip itself would put the tip, and the tip's size (margins included).
    POINT Proposed {};
    SIZE Size {};
    POINT Cursor {};
    int VMargin = 0;
    RECT OwnerWindow {}; // screen
    POINT OwnerClientOrigin {}; // screen
    RECT ToolRect {}; // owner's client coordinates
    // Applied to the anchor before the last clamp (the origin event or a fixed origin).
    std::function<void(POINT&)> AdjustAnchor;
};

// The tip's top-left on the screen.
POINT PlaceToolTip(const TTipPlacement& placement);

class TToolTip : public TWinControl {
public:
    using TOnGetOversizedText = std::function<std::string(const std::string& text)>;
    using TOnGetToolTipOrigin = std::function<void(POINT& topLeft)>;
    using TOnLinkClick = std::function<std::string(const std::string& url)>;

    explicit TToolTip(TWinControl* owner);
    ~TToolTip() override;

    TWinControl* OwnerControl() const noexcept { return owner_; }

    TCenterToolTip CenterToolTip = cttNot;
    bool FixedPos = false;
    int HMargin = 4;
    int VMargin = 2;
    int TextHeight = 0;
    bool OversizeOnly = false;
    // A fixed screen point for the tip; (-1, -1) = none.
    POINT Origin { -1, -1 };

    int HintPause();
    void SetHintPause(int value);
    int HintHidePause();
    void SetHintHidePause(int value);
    int HintShortPause();
    void SetHintShortPause(int value);

    int MaxWidth() const noexcept { return maxWidth_; }
    void SetMaxWidth(int value);
    TToolTipStyle ToolTipStyle() const noexcept { return style_; }
    void SetToolTipStyle(TToolTipStyle style);

    // The tip's text: plain text, or RTF for the rich style; empty hides the tip.
    std::string GetText() const override { return text_; }
    void SetText(const std::string& text) override;
    void SetRichText(const std::string& rtf);
    void SetToolRect(const RECT& rect);
    const RECT& ToolRect() const noexcept { return info_.rect; }

    // Adds the tool (false when there already is one); Deactivate removes it.
    bool ActivateTip();
    bool DeactivateTip();
    bool HideTip() { return DeactivateTip(); }
    bool ReshowTip();
    void SetActive(bool active);
    // Takes the shown tip off the screen; the tool stays.
    void Pop();
    int ToolCount();

    // The tooltip window's visible bit, read and written without ShowWindow.
    bool Showing() const override;
    void SetVisible(bool visible) override;

    // The child that draws the text (STATIC or rich edit); null without one.
    HWND TextWindow() const noexcept { return textWindow_; }
    // What the plain tip draws.
    const std::wstring& TipText() const noexcept { return drawText_; }
    UINT DrawFlags() const noexcept { return drawFlags_; }

    TOnGetOversizedText OnGetOversizedText;
    TOnGetToolTipOrigin OnGetToolTipOrigin;
    std::function<void(TToolTip&)> OnHideToolTip;
    std::function<void(TToolTip&)> OnShowToolTip;
    TOnLinkClick OnLinkClick;

    void WndProc(TMessage& message) override;

    // The text the oversize-only tip shows for text: the text when it does not fit the owner.
    std::string OversizedText(const std::string& text);
    // Tab (forward) or Shift+Tab: selects the next or previous link of a rich tip.
    void SelectNextLink(bool forward);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;
    void ColorChanged() override;
    void FontChanged() override;

private:
    void ApplyStyle();
    void DestroyTextWindow() noexcept;
    void UpdateToolText(const std::string& text);
    void StreamRichText(const std::string& rtf);
    LRESULT TextWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void PaintPlainText(HWND window);
    void PlaceOnPositionChanging(WINDOWPOS& pos);
    SIZE MeasureText(const RECT& workArea);
    int MeasureRichHeight();
    void OnPositionChanged(const WINDOWPOS& pos);
    bool OnRichNotify(NMHDR& header, LRESULT& result);
    void OnLink(const ENLINK& link);
    void ClickSelectedLink();
    void ApplyFontToTextWindow();
    void ShowStep();
    // Undoes what showing did (filter, capture, focus); safe to call more than once.
    void HideStep() noexcept;
    bool OnApplicationMessage(MSG& message);
    HWND OwnerWindow() const;
    int LimitWidth() const;

    TWinControl* owner_;
    HWND textWindow_ = nullptr;
    TFont ownerFont_;
    UINT drawFlags_ = 0x100205;
    HWND previousFocus_ = nullptr;
    bool retexting_ = false;
    int measuredHeight_ = 0;
    TOOLINFOA info_ {};
    std::string text_;
    std::wstring drawText_;
    TThemeHandle theme_;
    int filterId_ = 0;
    bool captured_ = false;
    bool shown_ = false;
    int maxWidth_ = 0;
    TToolTipStyle style_ = ttsLiteralPrefix;
    char blank_[2] = " ";
};

// Plain tracking tooltips over a window (id window null = the window itself).
HWND CreateTrackingToolTip(HWND window, HWND idWindow, const RECT& rect, const std::string& text, int maxWidth,
    const TTitleData& title, LPARAM lParam, bool absolute, bool balloon, bool parseLinks);
void ActivateTrackingToolTip(HWND tip, HWND window, bool activate, TOOLINFOA* info, HWND idWindow);
void HideTrackingToolTip(HWND tip, HWND window, HWND idWindow, TOOLINFOA* info);
// Reads the tool; the record is zeroed when there is none. text receives the tool's text.
void GetTrackingToolInfo(HWND tip, HWND window, HWND idWindow, TOOLINFOA& info, std::string& text);
// Moves the tip to point (screen), appends text to the tool's text when given, and shows it.
// True when the tool has a text.
bool ShowTrackingToolTip(HWND tip, HWND window, HWND idWindow, POINT point, const std::string* appendText);
// Returns null when the tip was destroyed, else the tip.
HWND DestroyTrackingToolTip(HWND tip, HWND window, HWND idWindow);
