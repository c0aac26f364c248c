// `TMessageDialog`, the plug-in's message box: MessageBox-style flags (icon kind, button set,
// default button), a text sized to fit (capped to the screen with scroll bars), an optional title,
// a "hide from now on" check box, auto-close, copy and key menu; and the routines callers use.
#pragma once

#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "framework/PrintJob.h"
#include "ui/controls/CustBtnCtrl.h"
#include "ui/controls/FlatBtn.h"
#include "ui/controls/HotLabel.h"
#include "ui/dialogs/ZAVEKForm.h"

#include <string>

// Style flags (the MessageBox values).
enum : int {
    mdIconError = 0x10,
    mdIconQuestion = 0x20,
    mdIconWarning = 0x30,
    mdIconInformation = 0x40,
    mdButtonsOk = 0,
    mdButtonsYesNoCancel = 3,
    mdButtonsYesNo = 4,
    mdDefaultSecond = 0x100,
    mdDefaultThird = 0x200,
};

class TMessageDialog : public TZAVEKForm {
public:
    explicit TMessageDialog(IDialogMainObject& mainObject);

    // Icon, caption, buttons, default and cancel button by the style flags; icon 0 = the kind's.
    void ApplyDialogStyle(int style, HICON icon = nullptr);
    // Sizes the form to the text, title, check box and caption, within the screen's work area.
    void FitToText();

    void SetTitle(const std::string& title);
    void SetMessageText(const std::string& text);
    void SetAutoClose(bool value);
    void SetHideCaption(const std::string& caption);
    bool HideChecked() const noexcept { return cbHideDialog->Checked(); }
    // Three-button panel without the middle button, the outer ones moved closer.
    void UseTwoChoices(const std::string& caption, const std::string& leftCaption, const std::string& rightCaption);

    TFlatBtn* DefaultButton() const noexcept { return defaultButton_; }
    TFlatBtn* CancelButton() const noexcept { return cancelButton_; }
    // True when the text control shows scroll bars (the text did not fit on the screen).
    bool Scrolling() const noexcept { return reText->ScrollBars != ssNone; }

    THotLabel* hlTop;
    TRichEdit* reText;
    TFlatBtn* fbOk;
    TFlatBtn* fbYes;
    TFlatBtn* fbNo;
    TFlatBtn* fbLeft;
    TFlatBtn* fbMiddle;
    TFlatBtn* fbRight;
    TCustCheckBox* cbHideDialog;
    TPanel* pnTop;
    TPanel* pnText;
    TPanel* pnBottom;
    TPanel* pnButtons;
    TPanel* pnYesNo;
    TPanel* pnCustom;
    TPanel* pnInput;
    TTimer* tmPopup;
    TPopupMenu* pmMessage;
    TMenuItem* miSelectAll;
    TMenuItem* miCopySelection;

protected:
    void DoShow() override;
    bool DoKeyDown(WORD& key, TShiftState shift) override;
    void WndProc(TMessage& message) override;

private:
    void BuildLayout();
    void FitCustomButtons();
    TPanel* MakePanel(TWinControl* parent, TAlign align, int width, int height);
    TFlatBtn* MakeButton(TWinControl* parent, int left, int top, int width, int height, int result);
    void TextMouseDown(TMouseButton button, int x, int y);
    void PopupAt(int x, int y);
    void CopyWholeText();
    void MenuClick(TMenuItem& item);
    bool ClickAccelerator(char c);

    std::string messageText_;
    TFlatBtn* defaultButton_ = nullptr;
    TFlatBtn* cancelButton_ = nullptr;
};

// The core routine. Shows nothing while a message dialog is the active window; hideChecked is then
// left as the caller set it.
void ShowMessageDialog(IDialogMainObject& main, int style, HICON icon, const std::string& title,
    const std::string& text, const std::string& hideCaption, bool autoClose, bool& hideChecked);

// Nothing is shown for code 0; format holds one %s for the system's text of the code.
void ShowSystemError(IDialogMainObject& main, const std::string& format, DWORD code);
void ShowError(IDialogMainObject& main, const std::string& text);
// Tells the user why a print did not happen, with the printer's name.
void ShowPrintFailure(IDialogMainObject& main, const EPrintFailure& failure);
void ShowWarning(IDialogMainObject& main, const std::string& text);
void ShowWarningWithIcon(IDialogMainObject& main, HICON icon, const std::string& text);
// True when the check box was ticked.
bool ShowWarningWithCheck(IDialogMainObject& main, const std::string& text, const std::string& checkCaption);
void ShowInfo(IDialogMainObject& main, const std::string& text);
void ShowInfoWithIcon(IDialogMainObject& main, HICON icon, const std::string& text);
void ShowInfoAutoClose(IDialogMainObject& main, HICON icon, const std::string& text);
void ShowTitledInfo(IDialogMainObject& main, HICON icon, const std::string& title, const std::string& text);
void ShowInfoWithCheck(IDialogMainObject& main, const std::string& text, const std::string& checkCaption, bool& ticked);
// Style 0 means 0x24; returns mrYes or mrNo.
int AskYesNo(IDialogMainObject& main, int style, const std::string& text, const std::string& checkCaption, bool& ticked);
bool ConfirmYes(IDialogMainObject& main, const std::string& text);
bool ConfirmYesWithCheck(IDialogMainObject& main, const std::string& text, const std::string& checkCaption, bool& ticked);
bool ConfirmNo(IDialogMainObject& main, const std::string& text);
// Style 0 means 0x23; returns mrYes, mrCancel or mrNo.
int AskYesNoCancelEx(
    IDialogMainObject& main, int style, const std::string& text, const std::string& checkCaption, bool& ticked);
int AskYesNoCancel(IDialogMainObject& main, const std::string& text);
int AskYesNoCancelWithCheck(
    IDialogMainObject& main, const std::string& text, const std::string& checkCaption, bool& ticked);
// Mode 0 or mdDefaultThird (right button default); returns mrYes for left, mrNo for right.
int AskThreeButtons(IDialogMainObject& main, int mode, const std::string& caption, const std::string& text,
    const std::string& leftCaption, const std::string& rightCaption, const std::string& checkCaption, bool& ticked);
bool ConfirmLeftChoice(IDialogMainObject& main, const std::string& caption, const std::string& text,
    const std::string& leftCaption, const std::string& rightCaption);
bool ConfirmRightChoice(IDialogMainObject& main, const std::string& caption, const std::string& text,
    const std::string& leftCaption, const std::string& rightCaption, const std::string& checkCaption, bool& ticked);
