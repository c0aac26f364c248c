// The configuration dialog: its pages and tree, the copy between options and controls, the rules
// for closing (save, discard or ask) and the small live behaviours of single controls.
#include "ui/dialogs/ConfigDialog.h"

#include "ui/dialogs/MessageDialogs.h"
#include "ui/dialogs/TextViewerRules.h"

#include <algorithm>
#include <cctype>
#include <exception>

namespace {

constexpr int DesignWidth = 620;
constexpr int DesignHeight = 400;
constexpr int TreeWidth = 170;
// The page's client width (the page control less its frame).
constexpr int PageWidth = DesignWidth - TreeWidth - 16 - 4;
constexpr int FieldLeft = 170;
constexpr int RowHeight = 30;

// The help file's page of the dialog.
constexpr int ConfigHelpPage = 33;

// The language texts of the dialog's captions.
enum : uint16_t {
    TextHelp = 0,
    TextCancel = 104,
    TextOk = 107,
    TextCaption = 136,
    TextKeyServer = 145,
    TextSecRing = 147,
    TextPubRing = 148,
    TextGroups = 149,
    TextDefaultKey = 151,
    TextUseAlways = 152,
    TextSignHash = 153,
    TextRipeMD = 154,
    TextComment = 155,
    TextWipeButton = 156,
    TextEncSignButtons = 157,
    TextEncSignChoices = 158,
    TextDecryptButton = 159,
    TextVerifyButton = 160,
    TextManageButton = 161,
    TextLaunchButton = 162,
    TextNoChange = 163,
    TextScanLines = 164,
    TextCheckHeaderLines = 165,
    TextEditMargin = 169,
    TextUseAutoList = 170,
    TextHideKeyDialog = 171,
    TextEncryptToSelf = 172,
    TextConfirmEncryption = 173,
    TextEncryptAttachments = 174,
    TextMixedWarning = 175,
    TextADKWarning = 177,
    TextCheckForKeys = 179,
    TextKeyServerLookup = 181,
    TextPreDecode = 182,
    TextAutoVerify = 183,
    TextNoInfo = 184, // 185 and 186 follow for the reader window and the extra window
    TextWipePasses = 187,
    TextStandardColors = 189,
    TextClock = 193,
    TextTimeServer = 194,
    TextAutoSync = 195,
    TextCheckHeaderLinesHint = 198,
};

// A text that begins a line: its first letter in capitals ("secret key ring" as a field's label).
std::string Capitalised(std::string text)
{
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}
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

TConfigDialog::TConfigDialog(IDialogMainObject& mainObject, IConfigDialogSources& sources, bool openedFromSetup)
    : TZAVEKForm(mainObject)
    , sources_(sources)
    , openedFromSetup_(openedFromSetup)
{
    WindowClassName = "TConfigDialog";
    BorderStyle = bsSingle;
    BorderIcons = biSystemMenu;
    Position = poScreenCenter;
    KeyPreview = true;
    Font().SetName("Tahoma");
    Font().SetSize(9);
    SetClientSize(DesignWidth, DesignHeight);

    pcConfiguration = new TPageControlEx(this);
    pcConfiguration->SetParent(this);
    pcConfiguration->SetBounds(TreeWidth + 8, 8, DesignWidth - TreeWidth - 16, DesignHeight - 60);
    BuildPages();
    BuildNavigation();

    fbOk = MakeButton(DesignWidth - 270, ResultOk);
    fbCancel = MakeButton(DesignWidth - 182, ResultCancel);
    fbHelp = MakeButton(DesignWidth - 94, 0);
    fbHelp->OnClick = [this](TControl&) { ShowHelpPopup(this, HelpContext); };
    SetConfigCaptions();
    SetConfigHelpContexts();
    OptionsToControls();
    ScaleLayoutToScreen();
}

TConfigDialog::~TConfigDialog() = default;

TTabSheet* TConfigDialog::MakePage()
{
    auto* page = new TTabSheet(this);
    page->SetPageControl(pcConfiguration);
    page->SetTabVisible(false);
    return page;
}

TLabel* TConfigDialog::MakeLabel(TWinControl* page, int top, uint16_t text, int left, int width)
{
    auto* label = new TLabel(this);
    label->SetParent(page);
    label->SetBounds(left, top + 3, width, 16);
    if (text)
        captions_.emplace_back(label, text);
    return label;
}

TCustCheckBox* TConfigDialog::MakeCheck(TWinControl* page, int top, uint16_t text)
{
    auto* box = new TCustCheckBox(this);
    box->SetParent(page);
    box->SetBounds(12, top, PageWidth - 24, 18);
    // The box before its text, as a user expects it.
    box->SetAlignment(taRightJustify);
    box->SetTabStop(true);
    captions_.emplace_back(box, text);
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

TMaskEdEx* TConfigDialog::MakePortEdit(TWinControl* page, int top, int left)
{
    auto* port = new TMaskEdEx(this);
    port->SetParent(page);
    port->SetBounds(left, top, 56, 21);
    port->SetEditMask("99999;0; ");
    port->SetTabStop(true);
    return port;
}

TFlatBtn* TConfigDialog::MakeButton(int left, int result)
{
    auto* button = new TFlatBtn(this);
    button->SetParent(this);
    button->SetBounds(left, DesignHeight - 42, 80, 28);
    button->ModalResult = result;
    button->SetTabStop(true);
    return button;
}

void TConfigDialog::BuildPages()
{
    tsPGPPaths = MakePage();
    TLabel* keyServerLabel = MakeLabel(tsPGPPaths, Row(0), TextKeyServer);
    // Protocol, host and port in one row below their label: a host name needs the room.
    cbxKeyserverProtocol = MakeCombo(tsPGPPaths, Row(1), 12, 72, csDropDownList);
    for (const char* protocol : { "ldap", "http", "ldaps", "https" })
        cbxKeyserverProtocol->Items().Add(protocol);
    edKeyserverName = MakeEdit(tsPGPPaths, Row(1), 88, PageWidth - 88 - 72);
    meKeyserverPort = MakePortEdit(tsPGPPaths, Row(1), PageWidth - 68);
    // A label's accelerator and help lead to its field.
    keyServerLabel->FocusControl = cbxKeyserverProtocol;
    const struct {
        TEdit** field;
        int kind;
        uint16_t text;
    } rings[] = { { &edSecring, 0, TextSecRing }, { &edPubring, 1, TextPubRing }, { &edGroups, 2, TextGroups } };
    for (int i = 0; i < 3; ++i) {
        TLabel* label = MakeLabel(tsPGPPaths, Row(i + 2), 0);
        ringLabels_[i] = label;
        ringTexts_[i] = rings[i].text;
        TEdit* field = MakeEdit(tsPGPPaths, Row(i + 2), FieldLeft, PageWidth - FieldLeft - 12);
        label->FocusControl = field;
        *rings[i].field = field;
        const int kind = rings[i].kind;
        field->OnClick = [this, field, kind, label](TControl&) { ChooseKeyRing(*field, kind, label->Caption()); };
        field->OnKeyPress = [this, field, kind, label](TWinControl&, char& key) {
            if (key == '\t')
                return;
            key = 0;
            ChooseKeyRing(*field, kind, label->Caption());
        };
    }

    tsPGPMiscellaneous = MakePage();
    TLabel* defaultKeyLabel = MakeLabel(tsPGPMiscellaneous, Row(0), TextDefaultKey);
    // A key's line is long: the box takes the whole row below its label.
    cbxDefaultUser = MakeCombo(tsPGPMiscellaneous, Row(1), 12, PageWidth - 24, csDropDownList);
    cbxDefaultUser->OnChange = [this](TComboBox&) { DefaultUserChanged(); };
    defaultKeyLabel->FocusControl = cbxDefaultUser;
    lblDefaultUser = MakeLabel(tsPGPMiscellaneous, Row(2), 0, 12, PageWidth - 24);
    lblDefaultUser->OnMouseEnter = [this](TControl&) { ShowDefaultUserLabel(true); };
    lblDefaultUser->OnMouseLeave = [this](TControl&) { ShowDefaultUserLabel(false); };
    cbUseAlways = MakeCheck(tsPGPMiscellaneous, Row(3), TextUseAlways);
    lblSignAlgorithm = MakeLabel(tsPGPMiscellaneous, Row(4), TextSignHash);
    cbxSignAlgorithm = MakeCombo(tsPGPMiscellaneous, Row(4), FieldLeft, 130, csDropDownList);
    for (const char* hash : { "MD-5 / SHA-1", "SHA-2 256", "SHA-2 384", "SHA-2 512" })
        cbxSignAlgorithm->Items().Add(hash);
    lblSignAlgorithm->FocusControl = cbxSignAlgorithm;
    cbUseRIPEMD = MakeCheck(tsPGPMiscellaneous, Row(5), TextRipeMD);
    MakeLabel(tsPGPMiscellaneous, Row(6), TextComment)->FocusControl
        = edComment = MakeEdit(tsPGPMiscellaneous, Row(6), FieldLeft, PageWidth - FieldLeft - 12);
    edComment->SetMaxLength(67);

    tsPMToolbar = MakePage();
    cbWipePassphrase = MakeCheck(tsPMToolbar, Row(0), TextWipeButton);
    MakeLabel(tsPMToolbar, Row(1), TextEncSignButtons)->FocusControl = cbxEncryptSignOptions
        = MakeCombo(tsPMToolbar, Row(1), FieldLeft, PageWidth - FieldLeft - 12, csDropDownList);
    cbDecryptMessage = MakeCheck(tsPMToolbar, Row(2), TextDecryptButton);
    cbVerifySignature = MakeCheck(tsPMToolbar, Row(3), TextVerifyButton);
    cbManageKeys = MakeCheck(tsPMToolbar, Row(4), TextManageButton);
    cbLaunchPGP = MakeCheck(tsPMToolbar, Row(5), TextLaunchButton);

    tsPMMiscellaneous = MakePage();
    lblScanLines = MakeLabel(tsPMMiscellaneous, Row(0), TextScanLines);
    seScanLines = MakeSpin(tsPMMiscellaneous, Row(0), 20, 999);
    lblScanLines->FocusControl = seScanLines;
    fbCheckHeaderLines = new TFlatBtn(this);
    fbCheckHeaderLines->SetParent(tsPMMiscellaneous);
    fbCheckHeaderLines->SetBounds(FieldLeft + 78, Row(0) - 3, PageWidth - FieldLeft - 78 - 12, 26);
    fbCheckHeaderLines->SetTabStop(true);
    fbCheckHeaderLines->OnClick = [this](TControl&) { CheckHeaderLines(); };
    MakeLabel(tsPMMiscellaneous, Row(1), TextEditMargin)->FocusControl = seEditMargin
        = MakeSpin(tsPMMiscellaneous, Row(1), 1, 256);
    pnNoChange = new TPanel(this);
    pnNoChange->SetParent(tsPMMiscellaneous);
    pnNoChange->SetBevelOuter(bvNone);
    pnNoChange->SetBounds(12, Row(3), PageWidth - 24, 40);
    lblNoChange = new TLabel(this);
    lblNoChange->SetParent(pnNoChange);
    lblNoChange->WordWrap = true;
    lblNoChange->SetAlign(alClient);

    tsZAVEKEncoding = MakePage();
    cbUseAutoList = MakeCheck(tsZAVEKEncoding, Row(0), TextUseAutoList);
    cbHideKeyDialog = MakeCheck(tsZAVEKEncoding, Row(1), TextHideKeyDialog);
    cbEncryptToSelf = MakeCheck(tsZAVEKEncoding, Row(2), TextEncryptToSelf);
    cbEncryptAttachments = MakeCheck(tsZAVEKEncoding, Row(3), TextEncryptAttachments);
    cbConfirmEncryption = MakeCheck(tsZAVEKEncoding, Row(4), TextConfirmEncryption);
    cbMixOptionsWarning = MakeCheck(tsZAVEKEncoding, Row(5), TextMixedWarning);
    cbADKWarning = MakeCheck(tsZAVEKEncoding, Row(6), TextADKWarning);

    tsZAVEKDecoding = MakePage();
    cbCheckForKeyData = MakeCheck(tsZAVEKDecoding, Row(0), TextCheckForKeys);
    cbKeyserverLookup = MakeCheck(tsZAVEKDecoding, Row(1), TextKeyServerLookup);
    cbPreDecodePSMime = MakeCheck(tsZAVEKDecoding, Row(2), TextPreDecode);
    cbAutoVerify = MakeCheck(tsZAVEKDecoding, Row(3), TextAutoVerify);
    cbAutoVerify->OnChanged = [this](TCustBtnCtrl*) {
        for (TCustRadioBtn* radio : { rbNoInfo, rbInReaderWindow, rbInExtraWindow })
            radio->SetEnabled(cbAutoVerify->Checked());
    };
    TCustRadioBtn** radios[] = { &rbNoInfo, &rbInReaderWindow, &rbInExtraWindow };
    for (int i = 0; i < 3; ++i) {
        auto* radio = new TCustRadioBtn(this);
        radio->SetParent(tsZAVEKDecoding);
        radio->SetBounds(32, Row(4 + i), PageWidth - 44, 18);
        radio->SetAlignment(taRightJustify);
        radio->SetTabStop(true);
        captions_.emplace_back(radio, static_cast<uint16_t>(TextNoInfo + i));
        *radios[i] = radio;
    }

    tsZAVEKMiscellaneous = MakePage();
    // The time is a number of seconds; its label says what the number means.
    seSeconds = MakeSpin(tsZAVEKMiscellaneous, Row(0), -1, 900);
    seSeconds->SetLeft(12);
    // -1 keeps no passphrase: the field stays empty and its label says so.
    seSeconds->SetBlankAtMinimum(true);
    seSeconds->OnChange = [this](TEdit&) { SecondsChanged(); };
    lblSeconds = MakeLabel(tsZAVEKMiscellaneous, Row(0), 0, 90, PageWidth - 102);
    lblSeconds->FocusControl = seSeconds;
    // "until the mail client closes" is long: it may take a second line, which the next row leaves free.
    lblSeconds->WordWrap = true;
    sePasses = MakeSpin(tsZAVEKMiscellaneous, Row(2), 0, 49);
    sePasses->SetLeft(12);
    MakeLabel(tsZAVEKMiscellaneous, Row(2), TextWipePasses, 90, PageWidth - 102)->FocusControl = sePasses;
    cbStandardColors = MakeCheck(tsZAVEKMiscellaneous, Row(3), TextStandardColors);
    cbStandardColors->OnChanged = [this](TCustBtnCtrl* sender) {
        if (!sender)
            return;
        working_.Values.StandardColor = cbStandardColors->Checked();
        ApplyColorScheme(cbStandardColors->Checked());
    };
    cbShowTime = MakeCheck(tsZAVEKMiscellaneous, Row(4), TextClock);
    cbShowTime->SetWidth(FieldLeft - 16);
    cbShowTime->AllowGrayed = true;
    cbShowTime->OnChanged = [this](TCustBtnCtrl*) { ShowTimeChanged(); };
    lblShowTime = MakeLabel(tsZAVEKMiscellaneous, Row(4), 0, FieldLeft, PageWidth - FieldLeft - 12);
    MakeLabel(tsZAVEKMiscellaneous, Row(5), TextTimeServer)->FocusControl = cbxTimeServerName
        = MakeCombo(tsZAVEKMiscellaneous, Row(5), FieldLeft, PageWidth - FieldLeft - 12 - 60, csDropDown);
    meTimeServerPort = MakePortEdit(tsZAVEKMiscellaneous, Row(5), PageWidth - 68);
    cbTimeAutoSync = MakeCheck(tsZAVEKMiscellaneous, Row(6), TextAutoSync);
}

void TConfigDialog::SetConfigCaptions()
{
    const TZAVEKStringList& texts = Texts();
    SetCaption(texts.GetEntry(TextCaption));
    for (const auto& [control, text] : captions_)
        control->SetCaption(texts.GetEntry(text));
    for (int i = 0; i < 3; ++i)
        ringLabels_[i]->SetCaption("&" + Capitalised(texts.GetEntry(ringTexts_[i])));
    cbxEncryptSignOptions->Items().SetText(texts.GetEntry(TextEncSignChoices));
    fbCheckHeaderLines->SetCaption("<" + texts.GetEntry(TextCheckHeaderLines) + ">");
    lblNoChange->SetCaption(texts.GetEntry(TextNoChange));
    fbOk->SetCaption(texts.GetEntry(TextOk));
    fbCancel->SetCaption(texts.GetEntry(TextCancel));
    fbHelp->SetCaption(texts.GetEntry(TextHelp));
    SetButtonHint(*fbCheckHeaderLines, texts.GetEntry(TextCheckHeaderLinesHint));
}

void TConfigDialog::SetConfigHelpContexts()
{
    // 1 to 27 are popups of single controls; the dialog's page of the help file is 33, which every
    // control without a context of its own takes from its parents.
    HelpContext = ConfigHelpPage;
    const std::pair<TControl*, int> contexts[] = { { cbxKeyserverProtocol, 1 }, { edKeyserverName, 1 },
        { meKeyserverPort, 1 }, { edSecring, 2 }, { edPubring, 3 }, { edGroups, 4 }, { cbxDefaultUser, 5 },
        { cbUseAlways, 6 }, { cbxSignAlgorithm, 7 }, { cbUseRIPEMD, 8 }, { edComment, 9 }, { cbWipePassphrase, 10 },
        { cbxEncryptSignOptions, 11 }, { cbDecryptMessage, 12 }, { cbVerifySignature, 12 }, { cbManageKeys, 12 },
        { cbLaunchPGP, 12 }, { seScanLines, 13 }, { fbCheckHeaderLines, 14 }, { seEditMargin, 15 },
        { cbUseAutoList, 16 }, { cbHideKeyDialog, 17 }, { cbEncryptToSelf, 18 }, { cbEncryptAttachments, 19 },
        { cbConfirmEncryption, 20 }, { cbMixOptionsWarning, 21 }, { cbADKWarning, 22 }, { cbCheckForKeyData, 23 },
        { cbKeyserverLookup, 24 }, { cbPreDecodePSMime, 25 }, { cbAutoVerify, 26 }, { rbNoInfo, 26 },
        { rbInReaderWindow, 26 }, { rbInExtraWindow, 26 }, { seSeconds, 27 } };
    for (const auto& [control, context] : contexts)
        control->HelpContext = context;
}

void TConfigDialog::BuildNavigation()
{
    tvNavigation = new TTreeView(this);
    tvNavigation->SetParent(this);
    tvNavigation->SetBounds(8, 8, TreeWidth - 8, DesignHeight - 60);
    tvNavigation->HideSelection = false;
    tvNavigation->SetTabStop(true);
    tvNavigation->HelpContext = ConfigHelpPage;
    const TZAVEKStringList& texts = Texts();
    const struct {
        std::string root;
        std::vector<std::pair<int, TTabSheet*>> pages;
    } roots[] = {
        { "PGP", { { 137, tsPGPPaths }, { 141, tsPGPMiscellaneous } } },
        { "Pegasus Mail", { { 138, tsPMToolbar }, { 141, tsPMMiscellaneous } } },
        // The product by the name its menu bears.
        { "Selvadrin", { { 139, tsZAVEKEncoding }, { 140, tsZAVEKDecoding }, { 141, tsZAVEKMiscellaneous } } },
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
    working_ = sources_.LiveSettings();
    const TOptionValues& v = working_.Values;

    const TKeyServerRecord& server = working_.KeyServer;
    cbxKeyserverProtocol->SetItemIndex(server.Protocol);
    edKeyserverName->SetText(server.Host);
    meKeyserverPort->SetText(server.Port);
    edSecring->SetText(v.SecRing);
    edPubring->SetText(v.PubRing);
    edGroups->SetText(v.PGPGroup);

    keys_ = sources_.SigningKeys();
    cbxDefaultUser->Items().Clear();
    int chosen = -1;
    const std::string defaultKey = KeyIDOfDefaultUser(v.DefaultUser);
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

    seScanLines->SetValue(working_.HostSettings.HeaderScanLines);
    seEditMargin->SetValue(working_.HostSettings.EditMargin);

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
    int serverIndex = cbxTimeServerName->Items().IndexOf(v.TimeServer);
    if (serverIndex < 0 && !v.TimeServer.empty()) {
        cbxTimeServerName->Items().Insert(0, v.TimeServer);
        serverIndex = 0;
    }
    cbxTimeServerName->SetItemIndex(serverIndex);
    meTimeServerPort->SetText(std::to_string(v.TimePort));
    cbTimeAutoSync->SetChecked(v.AutoSync);
}

void TConfigDialog::ControlsToOptions()
{
    TOptionValues& v = working_.Values;
    if (cbxKeyserverProtocol->ItemIndex() >= 0)
        working_.KeyServer = { cbxKeyserverProtocol->ItemIndex(), edKeyserverName->GetText(),
            meKeyserverPort->GetText(), working_.KeyServer.Flags };
    v.SecRing = edSecring->GetText();
    v.PubRing = edPubring->GetText();
    v.PGPGroup = edGroups->GetText();

    const int key = cbxDefaultUser->ItemIndex();
    if (key >= 0 && key < static_cast<int>(keys_.size()))
        v.DefaultUser = keys_[static_cast<std::size_t>(key)].StoredText;
    v.AlwaysDefault = cbUseAlways->Checked();
    v.SignAlg = std::max(cbxSignAlgorithm->ItemIndex(), 0);
    v.RipeMD = cbUseRIPEMD->Checked();
    v.Comment = edComment->GetText();

    v.WipePassButton = cbWipePassphrase->Checked();
    v.EncSignButtons = cbxEncryptSignOptions->ItemIndex();
    v.DecryptButton = cbDecryptMessage->Checked();
    v.VerifyButton = cbVerifySignature->Checked();
    v.ManageButton = cbManageKeys->Checked();
    v.PGPkeysButton = cbLaunchPGP->Checked();

    working_.HostSettings = { seScanLines->Value(), seEditMargin->Value() };

    v.AutoPush = cbUseAutoList->Checked();
    v.HideKeyDialog = cbHideKeyDialog->Checked();
    v.EncryptToSelf = cbEncryptToSelf->Checked();
    v.EncryptAttachments = cbEncryptAttachments->Checked();
    v.ConfirmEncrypt = cbConfirmEncryption->Checked();
    v.MixedWarning = cbMixOptionsWarning->Checked();
    v.ADKWarning = cbADKWarning->Checked();

    v.CheckKey = cbCheckForKeyData->Checked();
    v.Lookup = cbKeyserverLookup->Checked();
    v.PreDecode = cbPreDecodePSMime->Checked();
    v.CheckSig = cbAutoVerify->Checked();
    v.IncludeInfo = rbInExtraWindow->Checked() ? 2 : rbInReaderWindow->Checked() ? 1 : 0;

    v.StorePassphrase = seSeconds->Value();
    v.WipeCount = sePasses->Value();
    v.StandardColor = cbStandardColors->Checked();
    v.ShowTime = static_cast<int32_t>(cbShowTime->State());
    v.TimeServer = cbxTimeServerName->GetText();
    v.TimePort = NumberOf(meTimeServerPort->GetText());
    v.AutoSync = cbTimeAutoSync->Checked();
}

bool TConfigDialog::ToolbarOptionsChanged() const
{
    const TOptionValues& a = working_.Values;
    const TOptionValues b = sources_.LiveSettings().Values;
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
        sources_.SaveSettings(working_);
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
    if (working_ == sources_.LiveSettings())
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
    // Every page is in sight: the roots are open.
    for (const auto& entry : pageNodes_)
        entry.first->Parent()->Expand();
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
        const std::string detail = FormatWithOne(texts.GetEntry(167), WithoutAccelerator(lblScanLines->Caption()));
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
    ShowDefaultUserLabel(false);
}

// The label names the chosen key by id and algorithm; under the mouse it shows the key's whole list
// line, which the box may cut off.
void TConfigDialog::ShowDefaultUserLabel(bool listLine)
{
    const int index = cbxDefaultUser->ItemIndex();
    if (index < 0 || index >= static_cast<int>(keys_.size())) {
        lblDefaultUser->SetCaption("");
        return;
    }
    const TSigningKeyChoice& key = keys_[static_cast<std::size_t>(index)];
    lblDefaultUser->SetCaption(listLine ? key.Line : key.LabelText);
}

bool ShowConfigDialog(IDialogMainObject& mainObject, IConfigDialogSources& sources, bool openedFromSetup)
{
    auto* dialog = new TConfigDialog(mainObject, sources, openedFromSetup);
    dialog->ShowModal();
    const bool toolbarChanged = dialog->ToolbarChanged();
    dialog->CloseDown();
    return toolbarChanged && ConfirmYes(mainObject, mainObject.Texts().GetEntry(142));
}
