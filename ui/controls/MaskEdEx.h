// The plug-in's edits: `TEditEx` and `TMaskEdEx` show their whole text in a tooltip when it does
// not fit; `TMaskEdEx` also takes digit masks, turns Enter into Tab and reports leaving the field;
// `TSpinEdEx` adds an up-down, a range and keys that step the number.
#pragma once

#include "framework/ComCtrls.h"
#include "framework/StdCtrls.h"
#include "ui/controls/SpinRules.h"
#include "ui/controls/ToolTip.h"

#include <functional>
#include <string>

// The oversize tooltip of an edit, shared by the edit classes.
class TEditTip {
public:
    explicit TEditTip(TEdit& edit) noexcept
        : edit_(edit)
    {
    }
    void Create();
    void Destroy() noexcept;
    // Before the edit's own handling; true when the message was taken.
    bool Before(TMessage& message);
    void After(const TMessage& message);
    void MouseEnter();
    void MouseLeave();
    TToolTip* Tip() const noexcept { return tip_; }

private:
    void Refresh();

    TEdit& edit_;
    TToolTip* tip_ = nullptr;
    bool edited_ = false;
};

class TEditEx : public TEdit {
public:
    explicit TEditEx(TComponent* owner);
    ~TEditEx() override;
    TToolTip* ToolTip() const noexcept { return tip_.Tip(); }
    void WndProc(TMessage& message) override;

protected:
    void CreateWindowHandleDone() override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    TEditTip tip_;
};

class TMaskEdEx : public TEdit {
public:
    explicit TMaskEdEx(TComponent* owner);
    ~TMaskEdEx() override;

    // Only digit masks ("99999;0; ": up to that many digits, blanks allowed) are understood; an
    // empty mask takes any text.
    const std::string& EditMask() const noexcept { return editMask_; }
    void SetEditMask(const std::string& mask);
    TToolTip* ToolTip() const noexcept { return tip_.Tip(); }

    // Key is 0 when the focus left, 9 for Tab (and Enter).
    std::function<void(TMaskEdEx&, WORD key)> OnEditLeave;
    std::function<void(TMaskEdEx&)> OnCopy;
    std::function<void(TMaskEdEx&)> OnPaste;

    void WndProc(TMessage& message) override;

protected:
    void CreateWindowHandleDone() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void DoExit() override;
    bool DoKeyDown(WORD& key, TShiftState shift) override;
    bool DoKeyPress(char& key) override;

private:
    TEditTip tip_;
    std::string editMask_;
    int maskDigits_ = 0;
};

class TSpinEdEx : public TMaskEdEx {
public:
    explicit TSpinEdEx(TComponent* owner);

    int MinValue() const noexcept { return range_.Min; }
    int MaxValue() const noexcept { return range_.Max; }
    void SetMinValue(int value);
    void SetMaxValue(int value);
    // The minimum as an empty field, for a minimum that means "none" (its label says so).
    void SetBlankAtMinimum(bool blank) { range_.BlankAtMinimum = blank; }
    int Increment = 1;
    // The number shown, within the range (a number below the minimum is being typed).
    int Value();
    void SetValue(int value);
    TUpDown* UpDown() const noexcept { return upDown_; }

    void WndProc(TMessage& message) override;

protected:
    void CreateWindowHandleDone() override;
    void DoExit() override;
    bool DoKeyDown(WORD& key, TShiftState shift) override;
    bool DoKeyPress(char& key) override;
    void EnabledChanged() override;
    void Resize() override;

private:
    void RangeChanged();
    void TextEdited();
    void Step(int delta);
    void PlaceUpDown();

    TSpinRange range_ { 0, 100 };
    TUpDown* upDown_ = nullptr;
    bool changing_ = false;
};
