// `THotLabel`: a label that can act as a hyperlink (hover changes cursor and font, a click flashes
// the hot colour) and can show UTF-16 captions (a caption whose last byte is 0).
#pragma once

#include "framework/StdCtrls.h"

#include <functional>
#include <string>

enum TVerticalAlignment { vaTop, vaBottom, vaCenter };

// The label keeps the size it is given: the framework's graphic controls have no AutoSize, which
// a link label would have to switch off anyway.
class THotLabel : public TGraphicControl {
public:
    explicit THotLabel(TComponent* owner);

    TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TAlignment value);
    TVerticalAlignment VerticalAlignment() const noexcept { return verticalAlignment_; }
    void SetVerticalAlignment(TVerticalAlignment value);
    int HorizontalMargin() const noexcept { return margin_; }
    // Taken only when below half the width; the absolute value is stored.
    void SetHorizontalMargin(int value);
    bool LinkLabel() const noexcept { return linkLabel_; }
    void SetLinkLabel(bool value);
    bool Hovering() const noexcept { return hover_; }

    TColor HotColor = clRed;
    TColor LinkColor = clBlue;
    bool Transparent = false;
    bool ShowAccelChar = true;
    TWinControl* FocusControl = nullptr;
    std::function<void(THotLabel&, bool active)> OnTextHover;

    // Width and height the caption needs (for centred text at most the width less both margins).
    SIZE TextSize();
    // Where the caption is drawn in client coordinates.
    RECT TextRect();

    void SetBounds(int left, int top, int width, int height) override;
    void Click() override;
    bool DialogChar(char c) override;
    void WndProc(TMessage& message) override;

protected:
    void Paint() override;
    void TextChanged() override;
    void DoMouseMove(TShiftState shift, int x, int y) override;
    void MouseLeave() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    bool IsWide() const noexcept;
    std::wstring WideCaption() const;
    UINT DrawFlags() const noexcept;
    int DrawCaption(HDC dc, RECT& rect, UINT flags);
    void StartHover();
    void EndHover();
    void ApplyLinkFont(bool bold);
    void AskHelpOfFocusControl();

    TAlignment alignment_ = taLeftJustify;
    TVerticalAlignment verticalAlignment_ = vaCenter;
    int margin_ = 0;
    bool linkLabel_ = false;
    bool hover_ = false;
};
