// `TSearchDialog`, the small dialog that asks for a search text and, when the caller allows it,
// match case, whole word and search upwards; and `ExecuteSearchDialog`, the search callback that
// the rich-edit control and the grid ask through.
#pragma once

#include "framework/ExtCtrls.h"
#include "ui/controls/CustBtnCtrl.h"
#include "ui/controls/DropEdit.h"
#include "ui/controls/ExtCtrlsEx.h"
#include "ui/controls/FlatBtn.h"
#include "ui/dialogs/ZAVEKForm.h"

#include <string>

class TSearchDialog : public TZAVEKForm {
public:
    explicit TSearchDialog(IDialogMainObject& mainObject);

    void ApplyColorScheme(bool standard) override;

    // The field's colour with the plug-in's own colour scheme.
    static constexpr TColor OwnFieldColor = 0x00C2E0E0;

    TPanel* pnTop;
    TPanel* pnOptions;
    TCustCheckBox* cbCase;
    TCustCheckBox* cbWord;
    TCustCheckBox* cbUpwards;
    TPanel* pnLeft;
    TPanel* pnRight;
    TColoredFramePanel* pnEdit;
    TDropEdit* deAnswer;
    TPanel* pnButtons;
    TFlatBtn* fbOk;
    TFlatBtn* fbCancel;

protected:
    void DoShow() override;
    bool DoKeyDown(WORD& key, TShiftState shift) override;

private:
    TPanel* MakePanel(TWinControl* parent, TAlign align, int width, int height);
    TCustCheckBox* MakeBox(int left, int width);
    TFlatBtn* MakeButton(int left, int result, int glyph, int fallbackText);
    void AnswerEnter();
    void OptionChanged();

    bool answerEntered_ = false;
    bool keepSelection_ = false;
};

// The search callback: current is the selected text (8-bit or wide), options may come back
// changed (only with stShowOptions), result is the search text (ANSI with stAnsiChar, else in the
// field's own form); Cancel gives an empty result, a title-bar close leaves it as it was.
void ExecuteSearchDialog(IDialogMainObject& main, const std::string& current, const std::string& fontName,
    TSearchTypes& options, std::string& result);
// The callback bound to a main object, as the rich-edit control takes it.
TSearchDialogProc SearchDialogOf(IDialogMainObject& main);
