// Standard controls over the system classes: push button, check box, edit, combo box; and the
// labels and group boxes we draw ourselves.
#pragma once

#include "framework/Controls.h"
#include "framework/StringLists.h"

#include <functional>
#include <string>

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };

// A push button: Enter presses the default one (or the focused one), Esc the cancel one; a click
// gives the form the button's ModalResult.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);

    bool Default() const noexcept { return default_; }
    void SetDefault(bool value);
    bool Cancel = false;
    int ModalResult = mrNone;

    void Click() override;
    bool DialogKey(WORD key, TShiftState shift) override;
    bool DialogChar(char c) override;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    bool default_ = false;
};

// A button drawn by DrawItem (system owner-draw), with an optional glyph.
class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* owner);
    TBitmap& Glyph() noexcept { return glyph_; }
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    // Draws the face: frame, glyph left of the caption, focus rectangle.
    virtual void DrawItem(const DRAWITEMSTRUCT& item);

private:
    TBitmap glyph_;
};

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);

    bool Checked() const;
    // Changing the state fires OnClick, as a click would.
    void SetChecked(bool checked);
    bool DialogChar(char c) override;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;

private:
    bool checked_ = false;
};

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner);

    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool value);
    int MaxLength() const noexcept { return maxLength_; }
    void SetMaxLength(int value);
    char PasswordChar = 0;
    bool BorderVisible = true;

    int SelStart();
    int SelLength();
    void SetSelStart(int start);
    void SetSelLength(int length);
    std::string SelText();
    void SetSelText(const std::string& text);
    void SelectAll();

    std::function<void(TEdit&)> OnChange;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;

private:
    bool readOnly_ = false;
    int maxLength_ = 0;
};

enum TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* owner);

    // Changes to Items show in the list at once.
    TStringList& Items() noexcept { return items_; }
    TComboBoxStyle Style = csDropDown;
    int DropDownCount = 8;
    int ItemIndex();
    void SetItemIndex(int index);

    std::function<void(TComboBox&)> OnChange;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;

private:
    void FillList();

    TStringList items_;
    int itemIndex_ = -1;
};

// Text drawn on the parent; a mnemonic moves the focus to FocusControl.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);

    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool value);
    TAlignment Alignment = taLeftJustify;
    TTextLayout Layout = tlTop;
    bool WordWrap = false;
    bool Transparent = false;
    bool ShowAccelChar = true;
    TWinControl* FocusControl = nullptr;

    bool DialogChar(char c) override;
    // Width and height the caption needs in the label's font.
    SIZE TextSize();

protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    UINT DrawFlags() const;
    void AdjustBounds();

    bool autoSize_ = true;
};

// A frame with a caption around a group of controls.
class TGroupBox : public TCustomControl {
public:
    explicit TGroupBox(TComponent* owner);

protected:
    void CreateParams(TCreateParams& params) override;
    void AdjustClientRect(RECT& rect) override;
    void Paint() override;
    void TextChanged() override;
};
