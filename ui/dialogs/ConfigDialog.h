// `TConfigDialog`, where the mail user edits the plug-in's options and the two mail-client settings
// shown beside them, on a working copy that is handed back and saved only when confirmed;
// and `ShowConfigDialog`, which runs it and says whether the mail client should start again.
#pragma once

#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "framework/TreeView.h"
#include "ui/controls/CBExtend.h"
#include "ui/controls/CustBtnCtrl.h"
#include "ui/controls/CustRadio.h"
#include "ui/controls/FlatBtn.h"
#include "ui/controls/MaskEdEx.h"
#include "ui/controls/PageCtrlEx.h"
#include "ui/dialogs/ConfigDialogSources.h"
#include "ui/dialogs/ZAVEKForm.h"

#include <string>
#include <vector>

class TConfigDialog : public TZAVEKForm {
public:
    TConfigDialog(IDialogMainObject& mainObject, IConfigDialogSources& sources, bool openedFromSetup);
    ~TConfigDialog() override;

    void OptionsToControls();
    void ControlsToOptions();
    bool ToolbarOptionsChanged() const;
    void ApplyColorScheme(bool standard) override;
    bool CloseQuery() override;

    bool ToolbarChanged() const noexcept { return toolbarChanged_; }

    static constexpr int ResultEnterOrEscape = 5;
    static constexpr int ResultOk = 6;
    static constexpr int ResultCancel = 7;
    static constexpr TColor OwnTreeColor = 0x00C2E0E0;

    TTreeView* tvNavigation;
    TPageControlEx* pcConfiguration;
    TTabSheet *tsPGPPaths, *tsPGPMiscellaneous, *tsPMToolbar, *tsPMMiscellaneous, *tsZAVEKEncoding,
        *tsZAVEKDecoding, *tsZAVEKMiscellaneous;
    TPlainCBEx* cbxKeyserverProtocol;
    TEdit* edKeyserverName;
    TMaskEdEx* meKeyserverPort;
    TEdit *edSecring, *edPubring, *edGroups;
    TPlainCBEx* cbxDefaultUser;
    TLabel* lblDefaultUser;
    TCustCheckBox *cbUseAlways, *cbUseRIPEMD;
    TLabel* lblSignAlgorithm;
    TPlainCBEx* cbxSignAlgorithm;
    TEdit* edComment;
    TCustCheckBox *cbWipePassphrase, *cbDecryptMessage, *cbVerifySignature, *cbManageKeys, *cbLaunchPGP;
    TPlainCBEx* cbxEncryptSignOptions;
    TSpinEdEx *seScanLines, *seEditMargin;
    TFlatBtn* fbCheckHeaderLines;
    TPanel* pnNoChange;
    TLabel* lblNoChange;
    TCustCheckBox *cbUseAutoList, *cbHideKeyDialog, *cbEncryptToSelf, *cbEncryptAttachments, *cbConfirmEncryption,
        *cbMixOptionsWarning, *cbADKWarning;
    TCustCheckBox *cbCheckForKeyData, *cbKeyserverLookup, *cbPreDecodePSMime, *cbAutoVerify;
    TCustRadioBtn *rbNoInfo, *rbInReaderWindow, *rbInExtraWindow;
    TSpinEdEx *seSeconds, *sePasses;
    TLabel *lblSeconds, *lblScanLines;
    TCustCheckBox *cbStandardColors, *cbShowTime, *cbTimeAutoSync;
    TLabel* lblShowTime;
    TPlainCBEx* cbxTimeServerName;
    TMaskEdEx* meTimeServerPort;
    TFlatBtn *fbOk, *fbCancel, *fbHelp;

protected:
    void DoShow() override;
    bool DoKeyDown(WORD& key, TShiftState shift) override;
    void WndProc(TMessage& message) override;

private:
    void BuildPages();
    void BuildNavigation();
    TTabSheet* MakePage();
    // A label of the page at the row; text 0 leaves its caption to the code.
    TLabel* MakeLabel(TWinControl* page, int top, uint16_t text, int left = 12, int width = 150);
    TCustCheckBox* MakeCheck(TWinControl* page, int top, uint16_t text);
    TEdit* MakeEdit(TWinControl* page, int top, int left, int width);
    TPlainCBEx* MakeCombo(TWinControl* page, int top, int left, int width, TComboBoxStyle style);
    TSpinEdEx* MakeSpin(TWinControl* page, int top, int min, int max);
    TMaskEdEx* MakePortEdit(TWinControl* page, int top, int left);
    TFlatBtn* MakeButton(int left, int result);
    // Captions and hints from the language texts; the help contexts of the controls.
    void SetConfigCaptions();
    void SetConfigHelpContexts();

    void NodeSelected(TTreeNode* node);
    void ChooseKeyRing(TEdit& field, int kind, const std::string& caption);
    void CheckHeaderLines();
    void SecondsChanged();
    void ShowTimeChanged();
    void DefaultUserChanged();
    void ShowDefaultUserLabel(bool listLine);
    bool EnterOrEscapeClosesHere() const;
    bool Save();

    IConfigDialogSources& sources_;
    TConfigSettings live_;
    TConfigSettings working_;
    std::vector<TSigningKeyChoice> keys_;
    std::vector<std::pair<TTreeNode*, TTabSheet*>> pageNodes_;
    std::vector<std::pair<TControl*, uint16_t>> captions_;
    TLabel* ringLabels_[3] {};
    uint16_t ringTexts_[3] {};
    bool openedFromSetup_;
    bool toolbarChanged_ = false;
    bool movingUp_ = false;
    bool secondsWereMinusOne_ = false;
};

// Runs the dialog; true when the toolbar changed and the user wants the mail client restarted.
bool ShowConfigDialog(IDialogMainObject& mainObject, IConfigDialogSources& sources, bool openedFromSetup);
