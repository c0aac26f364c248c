// The configuration dialog: its pages and tree, the copy between options and controls, the rules
// for closing (save, discard or ask) and the small live behaviours of single controls.
#include "ui/dialogs/ConfigDialog.h"

#include "ui/dialogs/MessageDialogs.h"
#include "ui/dialogs/TextViewerRules.h"

#include <algorithm>
#include <exception>

namespace {

constexpr int DesignWidth = 600;
constexpr int DesignHeight = 400;
constexpr int TreeWidth = 170;
constexpr int LabelWidth = 150;
constexpr int FieldLeft = 170;
constexpr int RowHeight = 28;
// Posted to itself when the passphrase time first leaves "keep none": shows the warning once.
constexpr UINT WM_SECONDS_WARNING = WM_APP + 0x140;

int Row(int index)
{
    return 12 + index * RowHeight;
}

bool SameKeyID(const std::string& a, const std::string& b)
{
    if (a.size() < 10 || b.size() < 10)
        return false;
    // An 8-digit id is the tail of the 16-digit one.
    const std::string tailA = a.substr(a.size() - 8);
    const std::string tailB = b.substr(b.size() - 8);
    return _stricmp(tailA.c_str(), tailB.c_str()) == 0
        && (a.size() == b.size() ? _stricmp(a.c_str(), b.c_str()) == 0 : true);
}

bool FileExists(const std::string& fileName)
{
    const DWORD attributes = GetFileAttributesA(fileName.c_str());
    return !fileName.empty() && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int NumberOf(const std::string& text)
{
    try {
        std::size_t used = 0;
        const int value = std::stoi(text, &used);
        return used > 0 ? value : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

} // namespace

TConfigDialog::TConfigDialog(
    IDialogMainObject& mainObject, TOptions& liveOptions, IConfigDialogSources& sources, bool openedFromSetup)
    : TZAVEKForm(mainObject)
    , live_(liveOptions)
    , sources_(sources)
    , working_(std::make_unique<TOptions>())
    , openedFromSetup_(openedFromSetup)
{
    WindowClassName = "TConfigDialog";
    BorderStyle = bsSingle;
    BorderIcons = biSystemMenu;
    Position = poScreenCenter;
    KeyPreview = true;
    Font().SetName("Tahoma");
    Font().SetHeight(-12);
    SetClientSize(DesignWidth, DesignHeight);
    SetCaption(Texts().GetEntry(136).empty() ? "Configuration" : Texts().GetEntry(136));

    pcConfiguration = new TPageControlEx(this);
    pcConfiguration->SetParent(this);
    pcConfiguration->SetBounds(TreeWidth + 8, 8, DesignWidth - TreeWidth - 16, DesignHeight - 60);
    BuildPages();
    BuildNavigation();

    fbOk = MakeButton(DesignWidth - 250, ResultOk, "OK");
    fbCancel = MakeButton(DesignWidth - 170, ResultCancel, "Cancel");
    fbHelp = MakeButton(DesignWidth - 90, 0, "Help");
    fbHelp->OnClick = [this](TControl&) { ShowHelpPopup(this, HelpContext); };
    OptionsToControls();
}

TConfigDialog::~TConfigDialog() = default;

TTabSheet* TConfigDialog::MakePage()
{
    auto* page = new TTabSheet(this);
    page->SetPageControl(pcConfiguration);
    page->SetTabVisible(false);
    return page;
}

TLabel* TConfigDialog::MakeLabel(TWinControl* page, int top, const std::string& caption)
{
    auto* label = new TLabel(this);
    label->SetParent(page);
    label->SetBounds(12, top + 3, LabelWidth, 16);
    label->SetCaption(caption);
    return label;
}

TCustCheckBox* TConfigDialog::MakeCheck(TWinControl* page, int top, const std::string& caption)
{
    auto* box = new TCustCheckBox(this);
    box->SetParent(page);
    box->SetBounds(12, top, 380, 18);
    box->SetTabStop(true);
    box->SetCaption(caption);
    return box;
}

TEdit* TConfigDialog::MakeEdit(TWinControl* page, int top, int left, int width)
{
    auto* edit = new TEdit(this);
    edit->SetParent(page);
    edit->SetBounds(left, top, width, 21);
    edit->SetTabStop(true);
    return edit;
}

TPlainCBEx* TConfigDialog::MakeCombo(TWinControl* page, int top, int left, int width, TComboBoxStyle style)
{
    auto* combo = new TPlainCBEx(this);
    combo->Style = style;
    combo->SetParent(page);
    combo->SetBounds(left, top, width, 21);
    combo->SetTabStop(true);
    return combo;
}

TSpinEdEx* TConfigDialog::MakeSpin(TWinControl* page, int top, int min, int max)
{
    auto* spin = new TSpinEdEx(this);
    spin->SetParent(page);
    spin->SetBounds(FieldLeft, top, 70, 21);
    spin->SetMinValue(min);
    spin->SetMaxValue(max);
    spin->SetTabStop(true);
    return spin;
}

TFlatBtn* TConfigDialog::MakeButton(int left, int result, const std::string& caption)
{
    auto* button = new TFlatBtn(this);
    button->SetParent(this);
    button->SetBounds(left, DesignHeight - 42, 72, 28);
    button->ModalResult = result;
    button->SetTabStop(true);
    button->SetCaption(caption);
    return button;
}

void TConfigDialog::BuildPages()
{
    const TZAVEKStringList& texts = Texts();

    tsPGPPaths = MakePage();
    MakeLabel(tsPGPPaths, Row(0), "Key server");
    cbxKeyserverProtocol = MakeCombo(tsPGPPaths, Row(0), FieldLeft, 60, csDropDownList);
    for (const char* protocol : { "ldap", "http", "ldaps", "https" })
        cbxKeyserverProtocol->Items().Add(protocol);
    edKeyserverName = MakeEdit(tsPGPPaths, Row(0), FieldLeft + 64, 130);
    meKeyserverPort = new TMaskEdEx(this);
    meKeyserverPort->SetParent(tsPGPPaths);
    meKeyserverPort->SetBounds(FieldLeft + 198, Row(0), 50, 21);
    meKeyserverPort->SetEditMask("99999;0; ");
    meKeyserverPort->SetTabStop(true);
    const struct {
        TEdit** field;
        int kind;
        int text;
    } rings[] = { { &edSecring, 0, 147 }, { &edPubring, 1, 148 }, { &edGroups, 2, -1 } };
    for (int i = 0; i < 3; ++i) {
        const std::string caption = rings[i].text < 0 ? "&Groups" : "&" + texts.GetEntry(rings[i].text);
        MakeLabel(tsPGPPaths, Row(i + 1), caption);
        TEdit* field = MakeEdit(tsPGPPaths, Row(i + 1), FieldLeft, 220);
        *rings[i].field = field;
        const int kind = rings[i].kind;
        field->OnClick = [this, field, kind, caption](TControl&) { ChooseKeyRing(*field, kind, caption); };
        field->OnKeyPress = [this, field, kind, caption](TWinControl&, char& key) {
            if (key == '\t')
                return;
            key = 0;
            ChooseKeyRing(*field, kind, caption);
        };
    }

    tsPGPMiscellaneous = MakePage();
    MakeLabel(tsPGPMiscellaneous, Row(0), "Default key");
    cbxDefaultUser = MakeCombo(tsPGPMiscellaneous, Row(0), FieldLeft, 220, csDropDownList);
    cbxDefaultUser->OnChange = [this](TComboBox&) { DefaultUserChanged(); };
    lblDefaultUser = MakeLabel(tsPGPMiscellaneous, Row(1), "");
    lblDefaultUser->SetBounds(FieldLeft, Row(1) + 3, 220, 16);
    cbUseAlways = MakeCheck(tsPGPMiscellaneous, Row(2), "Always use the default key");
    lblSignAlgorithm = MakeLabel(tsPGPMiscellaneous, Row(3), "Signature hash");
    cbxSignAlgorithm = MakeCombo(tsPGPMiscellaneous, Row(3), FieldLeft, 120, csDropDownList);
    for (const char* hash : { "MD-5 / SHA-1", "SHA-2 256", "SHA-2 384", "SHA-2 512" })
        cbxSignAlgorithm->Items().Add(hash);
    cbUseRIPEMD = MakeCheck(tsPGPMiscellaneous, Row(4), "Use RIPEMD-160");
    MakeLabel(tsPGPMiscellaneous, Row(5), "Comment");
    edComment = MakeEdit(tsPGPMiscellaneous, Row(5), FieldLeft, 220);
    edComment->SetMaxLength(67);

    tsPMToolbar = MakePage();
    cbWipePassphrase = MakeCheck(tsPMToolbar, Row(0), "Wipe passphrase button");
    cbxEncryptSignOptions = MakeCombo(tsPMToolbar, Row(1), 12, 260, csDropDownList);
    cbxEncryptSignOptions->Items().SetText(texts.GetEntry(158));
    cbDecryptMessage = MakeCheck(tsPMToolbar, Row(2), "Decrypt button");
    cbVerifySignature = MakeCheck(tsPMToolbar, Row(3), "Verify button");
    cbManageKeys = MakeCheck(tsPMToolbar, Row(4), "Key management button");
    cbLaunchPGP = MakeCheck(tsPMToolbar, Row(5), "PGP program button");

    tsPMMiscellaneous = MakePage();
    MakeLabel(tsPMMiscellaneous, Row(0), "Header scan lines");
    seScanLines = MakeSpin(tsPMMiscellaneous, Row(0), 20, 999);
    fbCheckHeaderLines = new TFlatBtn(this);
    fbCheckHeaderLines->SetParent(tsPMMiscellaneous);
    fbCheckHeaderLines->SetBounds(FieldLeft + 80, Row(0) - 2, 80, 25);
    fbCheckHeaderLines->SetCaption("<" + texts.GetEntry(165) + ">");
    fbCheckHeaderLines->OnClick = [this](TControl&) { CheckHeaderLines(); };
    MakeLabel(tsPMMiscellaneous, Row(1), "Edit margin");
    seEditMargin = MakeSpin(tsPMMiscellaneous, Row(1), 1, 256);
    pnNoChange = new TPanel(this);
    pnNoChange->SetParent(tsPMMiscellaneous);
    pnNoChange->SetBevelOuter(bvNone);
    pnNoChange->SetBounds(12, Row(3), 380, 40);
    lblNoChange = new TLabel(this);
    lblNoChange->SetParent(pnNoChange);
    lblNoChange->WordWrap = true;
    lblNoChange->SetCaption(texts.GetEntry(163));

    tsZAVEKEncoding = MakePage();
    cbUseAutoList = MakeCheck(tsZAVEKEncoding, Row(0), "Use the recipient list");
    cbHideKeyDialog = MakeCheck(tsZAVEKEncoding, Row(1), "Hide the key dialog");
    cbEncryptToSelf = MakeCheck(tsZAVEKEncoding, Row(2), "Encrypt to the default key as well");
    cbEncryptAttachments = MakeCheck(tsZAVEKEncoding, Row(3), texts.GetEntry(174));
    cbConfirmEncryption = MakeCheck(tsZAVEKEncoding, Row(4), "Confirm encryption");
    cbMixOptionsWarning = MakeCheck(tsZAVEKEncoding, Row(5), "Warn of mixed options");
    cbADKWarning = MakeCheck(tsZAVEKEncoding, Row(6), "Warn of additional decryption keys");

    tsZAVEKDecoding = MakePage();
    cbCheckForKeyData = MakeCheck(tsZAVEKDecoding, Row(0), "Check messages for keys");
    cbKeyserverLookup = MakeCheck(tsZAVEKDecoding, Row(1), "Look up unknown keys on the key server");
    cbPreDecodePSMime = MakeCheck(tsZAVEKDecoding, Row(2), "Decode secure MIME parts first");
    cbAutoVerify = MakeCheck(tsZAVEKDecoding, Row(3), "Verify signatures when a message opens");
    cbAutoVerify->OnChanged = [this](TCustBtnCtrl*) {
        for (TCustRadioBtn* radio : { rbNoInfo, rbInReaderWindow, rbInExtraWindow })
            radio->SetEnabled(cbAutoVerify->Checked());
    };
    const char* radioCaptions[] = { "No information", "Information in the reader window",
        "Information in an extra window" };
    TCustRadioBtn** radios[] = { &rbNoInfo, &rbInReaderWindow, &rbInExtraWindow };
    for (int i = 0; i < 3; ++i) {
        auto* radio = new TCustRadioBtn(this);
        radio->SetParent(tsZAVEKDecoding);
        radio->SetBounds(32, Row(4 + i), 360, 18);
        radio->SetTabStop(true);
        radio->SetCaption(radioCaptions[i]);
        *radios[i] = radio;
    }

    tsZAVEKMiscellaneous = MakePage();
    lblSeconds = MakeLabel(tsZAVEKMiscellaneous, Row(0), "");
    seSeconds = MakeSpin(tsZAVEKMiscellaneous, Row(0), -1, 900);
    seSeconds->OnChange = [this](TEdit&) { SecondsChanged(); };
    MakeLabel(tsZAVEKMiscellaneous, Row(1), "Wipe passes");
    sePasses = MakeSpin(tsZAVEKMiscellaneous, Row(1), 0, 49);
    cbStandardColors = MakeCheck(tsZAVEKMiscellaneous, Row(2), "Standard colours");
    cbStandardColors->OnChanged = [this](TCustBtnCtrl* sender) {
        if (!sender)
            return;
        working_->SetStandardColor(cbStandardColors->Checked());
        ApplyColorScheme(cbStandardColors->Checked());
    };
    cbShowTime = MakeCheck(tsZAVEKMiscellaneous, Row(3), "Clock");
    cbShowTime->SetBounds(12, Row(3), 80, 18);
    cbShowTime->AllowGrayed = true;
    cbShowTime->OnChanged = [this](TCustBtnCtrl*) { ShowTimeChanged(); };
    lblShowTime = MakeLabel(tsZAVEKMiscellaneous, Row(3), "");
    lblShowTime->SetBounds(100, Row(3) + 3, 280, 16);
    MakeLabel(tsZAVEKMiscellaneous, Row(4), "Time server");
    cbxTimeServerName = MakeCombo(tsZAVEKMiscellaneous, Row(4), FieldLeft, 160, csDropDown);
    meTimeServerPort = new TMaskEdEx(this);
    meTimeServerPort->SetParent(tsZAVEKMiscellaneous);
    meTimeServerPort->SetBounds(FieldLeft + 166, Row(4), 50, 21);
    meTimeServerPort->SetEditMask("99999;0; ");
    meTimeServerPort->SetTabStop(true);
    cbTimeAutoSync = MakeCheck(tsZAVEKMiscellaneous, Row(5), "Set the clock from the time server");
}

void TConfigDialog::BuildNavigation()
{
    tvNavigation = new TTreeView(this);
    tvNavigation->SetParent(this);
    tvNavigation->SetBounds(8, 8, TreeWidth - 8, DesignHeight - 60);
    tvNavigation->HideSelection = false;
    tvNavigation->SetTabStop(true);
    const TZAVEKStringList& texts = Texts();
    const struct {
        std::string root;
        std::vector<std::pair<int, TTabSheet*>> pages;
    } roots[] = {
        { "PGP", { { 137, tsPGPPaths }, { 141, tsPGPMiscellaneous } } },
        { "Pegasus Mail", { { 138, tsPMToolbar }, { 141, tsPMMiscellaneous } } },
        { "ZAVEK", { { 139, tsZAVEKEncoding }, { 140, tsZAVEKDecoding }, { 141, tsZAVEKMiscellaneous } } },
    };
    for (const auto& root : roots) {
        TTreeNode* rootNode = tvNavigation->Items().Add(root.root);
        for (const auto& [text, page] : root.pages)
            pageNodes_.emplace_back(tvNavigation->Items().AddChild(rootNode, texts.GetEntry(text)), page);
    }
    tvNavigation->OnChange = [this](TTreeView&, TTreeNode* node) { NodeSelected(node); };
    tvNavigation->OnKeyDown = [this](TWinControl&, WORD& key, TShiftState) {
        movingUp_ = key == VK_UP;
        if (key == VK_LEFT || key == VK_RIGHT)
            key = 0;
    };
}

void TConfigDialog::NodeSelected(TTreeNode* node)
{
    if (!node)
        return;
    for (const auto& [pageNode, page] : pageNodes_)
        if (pageNode == node) {
            pcConfiguration->SetActivePage(page);
            if (page == tsPMMiscellaneous)
                pnNoChange->SetVisible(openedFromSetup_);
            return;
        }
    // A root: its first page, or going upwards the last page of the root above.
    TTreeNode* target = node->GetFirstChild();
    if (movingUp_ && node->GetPrev()) {
        target = node->GetPrev();
        while (target->Parent() == nullptr && target->GetPrev())
            target = target->GetPrev();
    }
    movingUp_ = false;
    if (target)
        tvNavigation->SetSelected(target);
}

void TConfigDialog::OptionsToControls()
{
    working_->CopyFrom(live_);
    const TOptionValues& v = working_->Values();

    const TKeyServerRecord& server = working_->KeyServer();
    cbxKeyserverProtocol->SetItemIndex(server.Protocol);
    edKeyserverName->SetText(server.Host);
    meKeyserverPort->SetText(server.Port);
    edSecring->SetText(v.SecRing);
    edPubring->SetText(v.PubRing);
    edGroups->SetText(v.PGPGroup);

    keys_ = sources_.SigningKeys();
    cbxDefaultUser->Items().Clear();
    int chosen = -1;
    const std::string defaultKey = working_->GetDefaultKeyID();
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        cbxDefaultUser->Items().Add(keys_[i].Line);
        if (SameKeyID(keys_[i].KeyID, defaultKey))
            chosen = static_cast<int>(i);
    }
    if (keys_.size() <= 8)
        cbxDefaultUser->DropDownCount = static_cast<int>(std::max<std::size_t>(keys_.size(), 1));
    cbxDefaultUser->SetItemIndex(chosen);
    DefaultUserChanged();
    cbUseAlways->SetChecked(v.AlwaysDefault);
    cbxSignAlgorithm->SetItemIndex(std::clamp(v.SignAlg, 0, 3));
    cbUseRIPEMD->SetChecked(v.RipeMD);
    edComment->SetText(v.Comment);

    cbWipePassphrase->SetChecked(v.WipePassButton);
    cbxEncryptSignOptions->SetItemIndex(v.EncSignButtons);
    cbDecryptMessage->SetChecked(v.DecryptButton);
    cbVerifySignature->SetChecked(v.VerifyButton);
    cbManageKeys->SetChecked(v.ManageButton);
    cbLaunchPGP->SetChecked(v.PGPkeysButton);

    seScanLines->SetValue(working_->HostSettings().HeaderScanLines);
    seEditMargin->SetValue(working_->HostSettings().EditMargin);

    cbUseAutoList->SetChecked(v.AutoPush);
    cbHideKeyDialog->SetChecked(v.HideKeyDialog);
    cbEncryptToSelf->SetChecked(v.EncryptToSelf);
    cbEncryptAttachments->SetChecked(v.EncryptAttachments);
    cbConfirmEncryption->SetChecked(v.ConfirmEncrypt);
    cbMixOptionsWarning->SetChecked(v.MixedWarning);
    cbADKWarning->SetChecked(v.ADKWarning);

    cbCheckForKeyData->SetChecked(v.CheckKey);
    cbKeyserverLookup->SetChecked(v.Lookup);
    cbPreDecodePSMime->SetChecked(v.PreDecode);
    cbAutoVerify->SetChecked(v.CheckSig);
    TCustRadioBtn* radios[] = { rbNoInfo, rbInReaderWindow, rbInExtraWindow };
    radios[std::clamp(v.IncludeInfo, 0, 2)]->SetChecked(true);
    for (TCustRadioBtn* radio : radios)
        radio->SetEnabled(v.CheckSig);

    secondsWereMinusOne_ = v.StorePassphrase == -1;
    seSeconds->SetValue(v.StorePassphrase);
    SecondsChanged();
    sePasses->SetValue(v.WipeCount);
    cbStandardColors->SetChecked(v.StandardColor);
    cbShowTime->SetCheckState(static_cast<TCheckState>(std::clamp(v.ShowTime, 0, 2)));
    ShowTimeChanged();
    cbxTimeServerName->Items().Clear();
    for (const std::string& server : sources_.SystemTimeServers())
        cbxTimeServerName->Items().Add(server);
    const std::string timeServer = working_->GetShowTimeServer();
    int serverIndex = cbxTimeServerName->Items().IndexOf(timeServer);
    if (serverIndex < 0 && !timeServer.empty()) {
        cbxTimeServerName->Items().Insert(0, timeServer);
        serverIndex = 0;
    }
    cbxTimeServerName->SetItemIndex(serverIndex);
    meTimeServerPort->SetText(std::to_string(working_->GetShowTimePort()));
    cbTimeAutoSync->SetChecked(v.AutoSync);
}

void TConfigDialog::ControlsToOptions()
{
    TOptions& w = *working_;
    if (cbxKeyserverProtocol->ItemIndex() >= 0)
        w.SetKeyServer({ cbxKeyserverProtocol->ItemIndex(), edKeyserverName->GetText(),
            meKeyserverPort->GetText(), w.KeyServer().Flags });
    w.SetSecRing(edSecring->GetText());
    w.SetPubRing(edPubring->GetText());
    w.SetPGPGroup(edGroups->GetText());

    const int key = cbxDefaultUser->ItemIndex();
    if (key >= 0 && key < static_cast<int>(keys_.size()))
        w.SetDefaultUser(keys_[static_cast<std::size_t>(key)].StoredText);
    w.SetAlwaysDefault(cbUseAlways->Checked());
    w.SetSignAlg(std::max(cbxSignAlgorithm->ItemIndex(), 0));
    w.SetRipeMD(cbUseRIPEMD->Checked());
    w.SetComment(edComment->GetText());

    w.SetWipePassButton(cbWipePassphrase->Checked());
    w.SetEncSignButtons(cbxEncryptSignOptions->ItemIndex());
    w.SetDecryptButton(cbDecryptMessage->Checked());
    w.SetVerifyButton(cbVerifySignature->Checked());
    w.SetManageButton(cbManageKeys->Checked());
    w.SetPGPkeysButton(cbLaunchPGP->Checked());

    w.SetHostSettings({ seScanLines->Value(), seEditMargin->Value() });

    w.SetAutoPush(cbUseAutoList->Checked());
    w.SetHideKeyDialog(cbHideKeyDialog->Checked());
    w.SetEncryptToSelf(cbEncryptToSelf->Checked());
    w.SetEncryptAttachments(cbEncryptAttachments->Checked());
    w.SetConfirmEncrypt(cbConfirmEncryption->Checked());
    w.SetMixedWarning(cbMixOptionsWarning->Checked());
    w.SetADKWarning(cbADKWarning->Checked());

    w.SetCheckKey(cbCheckForKeyData->Checked());
    w.SetLookup(cbKeyserverLookup->Checked());
    w.SetPreDecode(cbPreDecodePSMime->Checked());
    w.SetCheckSig(cbAutoVerify->Checked());
    w.SetIncludeInfo(rbInExtraWindow->Checked() ? 2 : rbInReaderWindow->Checked() ? 1 : 0);

    w.SetStorePassphrase(seSeconds->Value());
    w.SetWipeCount(sePasses->Value());
    w.SetStandardColor(cbStandardColors->Checked());
    w.SetShowTime(static_cast<int32_t>(cbShowTime->State()));
    // The box shows the system's server and port for unset ones: only an edit is stored.
    const std::string timeServer = cbxTimeServerName->GetText();
    if (timeServer != w.GetShowTimeServer())
        w.SetTimeServer(timeServer);
    const int timePort = NumberOf(meTimeServerPort->GetText());
    if (timePort != w.GetShowTimePort())
        w.SetTimePort(timePort);
    w.SetAutoSync(cbTimeAutoSync->Checked());
}

bool TConfigDialog::ToolbarOptionsChanged() const
{
    const TOptionValues& a = working_->Values();
    const TOptionValues& b = live_.Values();
    return a.WipePassButton != b.WipePassButton || a.EncSignButtons != b.EncSignButtons
        || a.DecryptButton != b.DecryptButton || a.VerifyButton != b.VerifyButton
        || a.ManageButton != b.ManageButton || a.PGPkeysButton != b.PGPkeysButton;
}

void TConfigDialog::ApplyColorScheme(bool standard)
{
    TZAVEKForm::ApplyColorScheme(standard);
    const TColor fieldColor = standard ? clWindow : OwnTreeColor;
    tvNavigation->SetColor(fieldColor);
    pcConfiguration->SetColor(Color());
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* edit = dynamic_cast<TEdit*>(Components(i)))
            edit->SetColor(fieldColor);
}

bool TConfigDialog::Save()
{
    toolbarChanged_ = ToolbarOptionsChanged();
    try {
        live_.CopyFrom(*working_);
        live_.SaveOptions();
        return true;
    } catch (const std::exception&) {
        // The dialog stays open so the edits are not lost; the user may still cancel.
        ShowError(MainObject(), Texts().GetEntry(144));
        return false;
    }
}

bool TConfigDialog::CloseQuery()
{
    if (!TZAVEKForm::CloseQuery())
        return false;
    ControlsToOptions();
    if (working_->SameAs(live_))
        return true;
    if (openedFromSetup_)
        return Save();
    switch (ModalResult()) {
    case ResultOk:
        return Save();
    case ResultEnterOrEscape:
        switch (AskYesNoCancel(MainObject(), Texts().GetEntry(143))) {
        case mrYes:
            return Save();
        case mrNo:
            return true;
        default:
            return false;
        }
    default:
        return true;
    }
}

bool TConfigDialog::EnterOrEscapeClosesHere() const
{
    for (const TPlainCBEx* combo :
        { cbxKeyserverProtocol, cbxDefaultUser, cbxSignAlgorithm, cbxEncryptSignOptions, cbxTimeServerName })
        if (combo->ListDropped())
            return false;
    const TWinControl* active = ActiveControl();
    for (const TWinControl* numeric : std::initializer_list<const TWinControl*> {
             meKeyserverPort, meTimeServerPort, seScanLines, seEditMargin, seSeconds, sePasses })
        if (active == numeric)
            return false;
    return !IsToolTipActive();
}

bool TConfigDialog::DoKeyDown(WORD& key, TShiftState shift)
{
    if ((key == VK_RETURN || key == VK_ESCAPE) && EnterOrEscapeClosesHere()) {
        DiscardKeyMessage();
        key = 0;
        SetModalResult(ResultEnterOrEscape);
        return true;
    }
    return TZAVEKForm::DoKeyDown(key, shift);
}

void TConfigDialog::WndProc(TMessage& message)
{
    if (message.Msg == WM_SECONDS_WARNING) {
        ShowWarning(MainObject(), Texts().GetEntry(188));
        return;
    }
    TZAVEKForm::WndProc(message);
}

void TConfigDialog::DoShow()
{
    Font().SetSize(9);
    TZAVEKForm::DoShow();
    if (!FileExists(edSecring->GetText()))
        SetActiveControl(edSecring);
    else if (!FileExists(edPubring->GetText()))
        SetActiveControl(edPubring);
    else
        SetActiveControl(tvNavigation);
    tvNavigation->SetSelected(pageNodes_.front().first);
    NodeSelected(pageNodes_.front().first);
    if (!sources_.OffersHashChoice()) {
        lblSignAlgorithm->SetEnabled(false);
        cbxSignAlgorithm->SetEnabled(false);
        cbxSignAlgorithm->SetItemIndex(0);
    }
}

void TConfigDialog::ChooseKeyRing(TEdit& field, int kind, const std::string& caption)
{
    std::string fileName = field.GetText();
    const std::string title = Texts().GetEntry(150) + "\"" + WithoutAccelerator(caption) + "\"";
    if (sources_.ChooseKeyRingFile(title, kind, fileName))
        field.SetText(fileName);
}

void TConfigDialog::CheckHeaderLines()
{
    SetEnabled(false);
    const int lines = sources_.MeasureHeaderLines();
    SetEnabled(true);
    const TZAVEKStringList& texts = Texts();
    const int scanLines = seScanLines->Value();
    if (lines > scanLines) {
        const int rounded = (lines + 9) / 10 * 10;
        // A translation is never a format: its conversions other than the one "%s" stay as text.
        const std::string detail = FormatWithOne(texts.GetEntry(167), "Header scan lines");
        if (ConfirmYes(MainObject(),
                texts.GetEntry(166) + std::to_string(lines) + detail + std::to_string(rounded) + "?"))
            seScanLines->SetValue(rounded);
    } else if (lines > 0) {
        ShowInfo(MainObject(), texts.GetEntry(166) + std::to_string(lines) + texts.GetEntry(168));
    }
}

void TConfigDialog::SecondsChanged()
{
    const int seconds = seSeconds->Value();
    lblSeconds->SetCaption(Texts().GetEntry(seconds < 0 ? 190 : seconds == 0 ? 191 : 192));
    if (secondsWereMinusOne_ && seconds >= 0) {
        secondsWereMinusOne_ = false;
        if (HandleAllocated())
            PostMessage(Handle(), WM_SECONDS_WARNING, 0, 0);
    }
}

void TConfigDialog::ShowTimeChanged()
{
    const TCheckState state = cbShowTime->State();
    lblShowTime->SetCaption(state == cbUnchecked ? "" : Texts().GetEntry(state == cbChecked ? 197 : 196));
}

void TConfigDialog::DefaultUserChanged()
{
    const int index = cbxDefaultUser->ItemIndex();
    lblDefaultUser->SetCaption(
        index >= 0 && index < static_cast<int>(keys_.size()) ? keys_[static_cast<std::size_t>(index)].LabelText
                                                               : "");
}

bool ShowConfigDialog(
    IDialogMainObject& mainObject, TOptions& liveOptions, IConfigDialogSources& sources, bool openedFromSetup)
{
    auto* dialog = new TConfigDialog(mainObject, liveOptions, sources, openedFromSetup);
    dialog->ShowModal();
    const bool toolbarChanged = dialog->ToolbarChanged();
    dialog->CloseDown();
    return toolbarChanged && ConfirmYes(mainObject, mainObject.Texts().GetEntry(142));
}
