// The actions behind the plug-in's menu items, toolbar buttons and key popup: each calls the PGP
// interface, a dialog or the mail client, and keeps the recipient list in step where keys were
// added or removed. They run on the mail client's GUI thread and never while the plug-in is busy.
#include "plugin/MainClass.h"

#include "engine/PGPInterface.h"
#include "ui/dialogs/KeyFileDialogs.h"
#include "foundation/BurnString.h"
#include "foundation/FileUtilsWin.h"
#include "foundation/StrUtilWin.h"
#include "mime/MailHost.h"
#include "mime/MailUtils.h"
#include "plugin/CommandDialogsUi.h"
#include "plugin/EditorData.h"
#include "plugin/Guard.h"
#include "plugin/HostApi.h"
#include "plugin/PluginCommandRules.h"
#include "ui/dialogs/MessageDialogs.h"

#include <memory>

using namespace PluginCommandRules;

namespace {
constexpr uint16_t TEXT_SIGN_IN_FULL_AUTO = 202;
constexpr uint16_t TEXT_SWITCH_LIST_ON = 203;
constexpr uint16_t TEXT_ADD_TO_LIST = 277;
constexpr uint16_t TEXT_PURGED = 280;
constexpr uint16_t TEXT_KEYS_IMPORTED = 311;
constexpr uint16_t TEXT_COPY_DESCRIPTION = 302;
constexpr uint16_t TEXT_SAVE_TITLE = 338;
constexpr uint16_t TEXT_TO_CLIPBOARD = 340;
constexpr uint16_t TEXT_FILE_NOT_WRITTEN = 345;
constexpr uint16_t TEXT_DECRYPTING = 418;
constexpr uint16_t TEXT_DECRYPT_FOLDER = 421;
constexpr uint16_t TEXT_DECRYPTED_COUNT = 422;
constexpr WPARAM CMD_FOLDER_MANAGER_SHOW = 1190;
constexpr UINT CMD_RAW_VIEW = 153;
constexpr UINT RERUN_DELAY_MS = 500;
constexpr uint32_t FIRST_BUILD_WITH_OWN_RAW_STATE = 4000;
constexpr uint16_t TEXT_SHOW_RAW = 414;
constexpr uint16_t TEXT_SHOW_RAW_END = 416;
constexpr WPARAM CMD_FOLDER_MANAGER_REFRESH = 309;
constexpr const char* NEW_MAIL_PATTERN = "*.CNM";

// The PGP interface's list of the keys that can encrypt, cleared again on every path.
class TEncryptionKeyListing {
public:
    explicit TEncryptionKeyListing(TPGPInterface& pgp)
        : pgp_(pgp)
    {
        try {
            pgp_.ListEncryptionKeys();
        } catch (...) {
            pgp_.ClearKeyList();
            throw;
        }
    }
    ~TEncryptionKeyListing() { pgp_.ClearKeyList(); }
    TEncryptionKeyListing(const TEncryptionKeyListing&) = delete;
    TEncryptionKeyListing& operator=(const TEncryptionKeyListing&) = delete;
    const TKeyPropsList& Keys() const { return pgp_.KeyList(); }

private:
    TPGPInterface& pgp_;
};

// The key ring's id ("0x" and 16 digits) of a key named by any shorter tail of it, as the
// signature note shows it; the text itself when no key of the list has that tail.
std::string KeyRingKeyID(const TKeyPropsList& keys, const std::string& keyText)
{
    const std::string digits = keyText.compare(0, 2, "0x") == 0 ? keyText.substr(2) : keyText;
    for (int i = 0; i < keys.Count() && !digits.empty(); ++i) {
        const std::string id = keys.Get(i);
        if (id.size() >= digits.size()
            && lstrcmpiA(id.substr(id.size() - digits.size()).c_str(), digits.c_str()) == 0)
            return id;
    }
    return keyText;
}
} // namespace

// The command bodies; a friend of the main object, created for one command.
class TPluginCommandRunner {
public:
    explicit TPluginCommandRunner(TMainClass& main)
        : main_(main)
        , dialogs_(std::make_unique<TPluginCommandDialogs>(main))
    {
    }

    void Run(TPluginAction action, const TPluginCommand& command);
    // The recipient-list dialog offered for keys that arrived in the key ring.
    void OfferAutoListEntries(const TKeyIDData& keys);

private:
    std::string Text(uint16_t id) const { return main_.Text(id); }
    TTextLookup Texts() const
    {
        return [this](uint16_t id) { return Text(id); };
    }
    TPGPInterface& Pgp() const { return main_.PGPInterface(); }
    HWND Owner() const { return main_.ownerWindow_; }
    bool AutoListOn() const { return main_.Values().AutoPush; }
    void Inform(const std::string& text) { ShowInfo(main_, text); }
    // The PGP interface leaves telling its failures to the caller; a cancel is no failure.
    void ReportFailure(int32_t status) { Pgp().ShowPGPError(status); }
    bool Ask(const std::string& text) { return ConfirmYes(main_, text); }

    void About();
    void ToggleFullAuto();
    void SendFromActiveEditor(uint32_t sendState);
    void DecryptFolder();
    bool DecryptFolderFile(const std::string& fileName, bool& cancelled);
    void DecryptMessage();
    void FolderViewer();
    void KeyDescription();
    void ImportCertificates();
    void DeleteKeys(bool certificate);
    void Export(bool certificate);
    void SwitchAutoListOn(bool fromToolbar);
    void SetAutoListModeBits();
    void AddNewPairs(const std::string& keyText);
    void SearchKeyServer(const std::string& keyText);
    void PurgeAutoList();
    void OpenListFile();
    void RemoveDeletedFromAutoList(const TKeyIDData& deleted);
    void UpdateMenuChecks();

    TMainClass& main_;
    std::unique_ptr<ICommandDialogs> dialogs_;
};

void TMainClass::RunPluginCommand(const TPluginCommand& command)
{
    const TPluginAction action = ActionOf(command);
    if (action == TPluginAction::None)
        return;
    // What a command cannot do (a dialog this build lacks, a failed step) is told, not raised.
    RunDialogRequest([&] { TPluginCommandRunner(*this).Run(action, command); });
}

void TMainClass::OfferAutoListEntries(const TKeyIDData& keys)
{
    RunDialogRequest([&] { TPluginCommandRunner(*this).OfferAutoListEntries(keys); });
}

void TPluginCommandRunner::Run(TPluginAction action, const TPluginCommand& command)
{
    const bool fromToolbar = command.Kind == TPluginCommandKind::ToolbarButton;
    // Any recipient-list command while the list is off only switches it on.
    if (IsAutoListAction(action) && (!AutoListOn() || action == TPluginAction::AutoListOn)) {
        SwitchAutoListOn(fromToolbar);
        return;
    }
    TPGPInterface& pgp = Pgp();
    switch (action) {
    case TPluginAction::About:
        About();
        return;
    case TPluginAction::WipePassphrase:
        pgp.PurgePassphrase();
        return;
    case TPluginAction::TogglePGPMime:
        main_.TogglePGPMime();
        UpdateMenuChecks();
        return;
    case TPluginAction::TogglePGPExt:
        main_.TogglePGPExt();
        UpdateMenuChecks();
        return;
    case TPluginAction::ToggleFullAuto:
        ToggleFullAuto();
        return;
    case TPluginAction::SendEncrypted:
    case TPluginAction::SendSigned:
    case TPluginAction::SendEncryptedSigned:
        SendFromActiveEditor(SendStateOf(action));
        return;
    case TPluginAction::DecryptFolder:
        DecryptFolder();
        return;
    case TPluginAction::DecryptMessage:
        DecryptMessage();
        return;
    case TPluginAction::FolderViewer:
        FolderViewer();
        return;
    case TPluginAction::VerifyFile:
        main_.VerifyFile("");
        return;
    case TPluginAction::KeyDescription:
        KeyDescription();
        return;
    case TPluginAction::ImportCertificates:
        ImportCertificates();
        return;
    case TPluginAction::ManageKeys:
        main_.ManageKeys("", 0);
        return;
    case TPluginAction::DeleteKeys:
        DeleteKeys(false);
        return;
    case TPluginAction::ExportKeys:
        Export(false);
        return;
    case TPluginAction::RemoveCertificate:
        DeleteKeys(true);
        return;
    case TPluginAction::ExportCertificate:
        Export(true);
        return;
    case TPluginAction::StartPGP:
        if (!pgp.LaunchPGP())
            ReportFailure(pgp.LastStatus);
        return;
    case TPluginAction::Configuration:
        if (dialogs_->EditConfiguration())
            main_.RestartMailClient(main_.PMInterface().GetMailUserName(), main_.frame_);
        return;
    case TPluginAction::Manual:
        main_.ShowManual("");
        return;
    case TPluginAction::AutoListNewPairs:
        AddNewPairs("");
        return;
    case TPluginAction::AutoListFromKeyRing:
        SetAutoListModeBits();
        dialogs_->AddKeyringToAutoList();
        return;
    case TPluginAction::AutoListEdit:
        dialogs_->EditAutoList();
        return;
    case TPluginAction::AutoListPurge:
        PurgeAutoList();
        return;
    case TPluginAction::AutoListFile:
        OpenListFile();
        return;
    case TPluginAction::AddAddressBook:
        dialogs_->AddAddressBookToAutoList(static_cast<int>(command.Number));
        return;
    // Without a key under the popup the candidate pairs of the last send are offered.
    case TPluginAction::AddKeyToAutoList:
        AddNewPairs(main_.keyMenuText_);
        return;
    case TPluginAction::SearchKeyServer:
        SearchKeyServer(main_.keyMenuText_);
        return;
    case TPluginAction::CopyKeyID:
        if (!main_.keyMenuText_.empty())
            PutClipboardData(main_.keyMenuText_, cfText, Owner());
        return;
    case TPluginAction::AutoListOn:
    case TPluginAction::None:
        return;
    }
}

void TPluginCommandRunner::About()
{
    bool writeToMaker = false;
    std::string keyText;
    dialogs_->ShowAboutBox(writeToMaker, keyText);
    if (!keyText.empty())
        main_.ManageKeys(keyText, 0);
}

void TPluginCommandRunner::UpdateMenuChecks()
{
    if (main_.menus_.Built())
        main_.menus_.UpdateStates(main_.MenuState());
}

void TPluginCommandRunner::ToggleFullAuto()
{
    // Only switching it on asks whether the automatic messages are signed too.
    const bool sign = !main_.Values().FullAuto && Ask(Text(TEXT_SIGN_IN_FULL_AUTO));
    main_.ToggleFullAuto(sign);
    UpdateMenuChecks();
}

void TPluginCommandRunner::SendFromActiveEditor(uint32_t sendState)
{
    HWND window = main_.PMInterface().ActiveEditorWindow(nullptr);
    if (!window)
        return;
    // An editor opened before the plug-in started is taken on now, so that it keeps a send state.
    main_.SubclassEditor(window);
    TEditorData* editor = EditorDataOf(window);
    if (!editor)
        throw Exception("The plug-in cannot send from this editor.");
    editor->SendState = sendState;
    // The mail client calls ENCRYPT inside this send: that nested request is ours.
    TNestedRequestAllowance allowance(main_.busy_);
    main_.PMInterface().SendFromEditor(false, false);
}

void TPluginCommandRunner::DecryptFolder()
{
    std::vector<std::string> files;
    std::string folder = main_.PMInterface().GetNewMailFolder();
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + NEW_MAIL_PATTERN).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                files.push_back(folder + found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    // Nothing to decrypt: nothing to ask.
    if (files.empty())
        return;
    if (!Ask(RemoveSMimeMention(Text(TEXT_DECRYPT_FOLDER), main_.KeyRingState() == 0)))
        return;
    // The decode pumps messages: no message export may start inside it.
    TRequestScope request(main_.busy_);
    if (!request.Granted())
        return;
    TPMInterface& host = main_.PMInterface();
    // The mail client must not show or hold the files while they are rewritten; its other
    // folders stay open.
    if (HWND folderWindow = host.NewMailFolderWindow())
        SendMessageA(folderWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    const bool managerOpen = host.OpenFolderManager() != nullptr;
    if (managerOpen)
        host.PostHostCommand(CMD_FOLDER_MANAGER_REFRESH);
    TPGPInterface& pgp = Pgp();
    pgp.BeginCacheHold();
    int decrypted = 0;
    try {
        bool cancelled = false;
        for (const std::string& file : files) {
            if (DecryptFolderFile(file, cancelled))
                ++decrypted;
            if (cancelled)
                break;
        }
    } catch (...) {
        pgp.EndCacheHold();
        throw;
    }
    pgp.EndCacheHold();
    Inform(std::to_string(decrypted) + Text(TEXT_DECRYPTED_COUNT));
    if (managerOpen)
        host.PostHostCommand(CMD_FOLDER_MANAGER_REFRESH);
}

bool TPluginCommandRunner::DecryptFolderFile(const std::string& fileName, bool& cancelled)
{
    const int scanLines = main_.HostSettings().HeaderScanLines;
    const bool keepSigned = main_.KeyRingState() != 0;
    std::string tagged, subject;
    bool encryptedMime = false;
    TagMessageFile(fileName, scanLines, keepSigned, tagged, encryptedMime, subject, true);
    const std::string text = tagged.empty() ? ReadWholeFile(fileName) : tagged;
    if (text.empty())
        return false;
    TPMInterface& host = main_.PMInterface();
    host.SetStatusText(Text(TEXT_DECRYPTING) + " ...");
    TMessageData data;
    std::string block, output;
    const TBurnOnExit burnOutput(output);
    const TBurnOnExit burnBlock(block);
    TSignatureData signature;
    const bool done = main_.DecryptUnderWatchdog(NormalizeLineBreaks(text), data, block, output, signature);
    cancelled = Pgp().LastOpCancelled();
    if (!done) {
        host.SetStatusText(main_.DecryptEndStatus(false));
        // The message keeps its text; only its tags are brought up to date.
        TagMessageFile(fileName, scanLines, keepSigned, tagged, encryptedMime, subject, false);
        return false;
    }
    return main_.WriteDecryptedFile(fileName, data, output);
}

void TPluginCommandRunner::DecryptMessage()
{
    TPMInterface& host = main_.PMInterface();
    if (host.ActiveFolderManager(nullptr)) {
        host.PostHostCommand(CMD_FOLDER_MANAGER_SHOW);
        return;
    }
    HWND reader = host.ActiveReaderWindow(nullptr);
    if (!reader)
        return;
    // The raw view holds the message as it came: its protected text goes into the message tree.
    if (host.IsReaderRaw(reader)) {
        main_.ShowReaderMessageTree(reader);
        return;
    }
    if (!main_.decodeContext_.ShowAsTreePending && !Ask(Text(TEXT_SHOW_RAW) + Text(TEXT_SHOW_RAW_END))) {
        SetFocus(reader);
        return;
    }
    // The formatted view is switched to the raw one; timer 3 runs this command again there.
    const bool olderHost = host.HostBuild() < FIRST_BUILD_WITH_OWN_RAW_STATE;
    HWND frame = host.GetHostWindow(HostApi::HOST_WINDOW_FRAME);
    if (olderHost && frame)
        CheckMenuItem(GetMenu(frame), CMD_RAW_VIEW, MF_BYCOMMAND | MF_CHECKED);
    main_.SaveWordWrap();
    host.PostHostCommand(CMD_RAW_VIEW);
    SetTimer(main_.pluginWindow_, TMainClass::TIMER_RERUN_COMMAND, RERUN_DELAY_MS, nullptr);
    if (olderHost)
        main_.decodeContext_.DecodingSuppressed = true;
}

void TPluginCommandRunner::FolderViewer()
{
    TPGPInterface& pgp = Pgp();
    // The viewer reads the key rings itself; their watching resumes on every path.
    pgp.SetWatchRingFiles(false);
    try {
        dialogs_->ShowFolderViewer();
    } catch (...) {
        pgp.SetWatchRingFiles(true);
        throw;
    }
    pgp.SetWatchRingFiles(true);
}

void TPluginCommandRunner::KeyDescription()
{
    std::string description;
    // The PGP interface lets the user pick the keys and reports its own failures.
    if (!Pgp().GetKeyDescription(-1, "", description, true) || description.empty())
        return;
    if (Ask(Text(TEXT_COPY_DESCRIPTION) + "\r\n" + description))
        PutClipboardData(description, cfText, Owner());
}

void TPluginCommandRunner::ImportCertificates()
{
    TKeyIDData keys;
    // With the recipient list on, its offer reports the count: the import stays quiet then.
    const int32_t status = Pgp().ImportWindowsCertificates(Owner(), AutoListOn(), keys);
    ReportFailure(status);
    if (status == kStatusOK && AutoListOn())
        OfferAutoListEntries(keys);
}

void TPluginCommandRunner::DeleteKeys(bool certificate)
{
    TKeyIDData deleted;
    // With the recipient list on, its report tells the count of deleted keys.
    const bool quiet = AutoListOn();
    const int32_t status = certificate ? Pgp().RemoveCertificate(Owner(), quiet, deleted)
                                       : Pgp().DeleteKeys("", Owner(), deleted, quiet);
    ReportFailure(status);
    if (status == kStatusOK && AutoListOn())
        RemoveDeletedFromAutoList(deleted);
}

void TPluginCommandRunner::RemoveDeletedFromAutoList(const TKeyIDData& deleted)
{
    if (deleted.Count <= 0)
        return;
    const bool remove = Ask(DeletedKeysQuestion(deleted.UserText, Texts()));
    const int removed = remove ? main_.AutoList().RemoveKeyEntries(deleted.KeyIDText) : 0;
    if (removed < 0) {
        // The list's file could not be saved: saying it was updated would be untrue.
        ShowError(main_, ListFileSaveError(main_.AutoList().FileName(), Texts()));
        return;
    }
    Inform(DeletedKeysReport(removed > 0, deleted.Count, Texts()));
}

void TPluginCommandRunner::Export(bool certificate)
{
    TKeyIDData keys;
    std::string text;
    TPGPInterface& pgp = Pgp();
    const int32_t status
        = certificate ? pgp.ExportCertificate(Owner(), keys, text) : pgp.ExportKeysText(Owner(), keys, text);
    ReportFailure(status);
    if (status != kStatusOK || text.empty())
        return;
    // An active editor takes the keys at its caret.
    if (main_.PMInterface().SetEditorValue12(text) != 0)
        return;
    const std::string suggested = SuggestedExportName(FirstLine(keys.UserText), keys.Count);
    const std::string title = Text(TEXT_SAVE_TITLE), clip = Text(TEXT_TO_CLIPBOARD);
    const std::string choice = certificate ? SaveCertificateFileDialog(title, clip, suggested, Owner())
                                           : SaveArmoredFileDialog(title, clip, suggested, Owner());
    if (choice.empty())
        return;
    const bool written = IsClipboardChoice(choice) ? PutClipboardData(text, cfText, Owner())
                                                   : CommitFileSafely(choice, text);
    if (!written) {
        ShowError(main_, Text(TEXT_FILE_NOT_WRITTEN) + "\r\n" + ExportTargetName(choice, Texts()));
        return;
    }
    const std::string what = certificate ? keys.UserText + keys.KeyIDText : keys.UserText;
    Inform(ExportReport(what, ExportTargetName(choice, Texts()), certificate, Texts()));
}

void TPluginCommandRunner::SwitchAutoListOn(bool fromToolbar)
{
    if (AutoListOn())
        return;
    if (fromToolbar && !Ask(Text(TEXT_SWITCH_LIST_ON)))
        return;
    main_.SetAutoPush(true);
}

void TPluginCommandRunner::SetAutoListModeBits()
{
    const TOptionValues& v = main_.Values();
    main_.AutoList().SetDefaultFlags(v.FullAuto, v.FullAutoSigned);
}

void TPluginCommandRunner::AddNewPairs(const std::string& keyText)
{
    SetAutoListModeBits();
    TKeyIDData& candidate = main_.EncryptRoad().NewPairs();
    TKeyIDData pairs;
    // The recipient list knows keys by the key ring's full id.
    pairs.KeyIDText = keyText.empty() ? keyText : KeyRingKeyID(TEncryptionKeyListing(Pgp()).Keys(), keyText);
    pairs.Count = keyText.empty() ? 0 : 1;
    if (dialogs_->AddEntriesToAutoList(keyText.empty() ? candidate : pairs, main_.KeyRingState() == 2)
        && keyText.empty())
        candidate = TKeyIDData();
}

void TPluginCommandRunner::SearchKeyServer(const std::string& keyText)
{
    if (keyText.empty())
        return;
    TKeyIDData found;
    // A server that cannot be reached or finds nothing is told, not passed over in silence.
    const int32_t status = Pgp().SearchKeyServerKeys(keyText, Owner(), found, AutoListOn());
    ReportFailure(status);
    if (status == kStatusOK && AutoListOn())
        OfferAutoListEntries(found);
}

void TPluginCommandRunner::PurgeAutoList()
{
    const int removed = main_.AutoList().PurgeMissingKeys(TEncryptionKeyListing(Pgp()).Keys());
    if (removed < 0) {
        ShowError(main_, ListFileSaveError(main_.AutoList().FileName(), Texts()));
        return;
    }
    Inform(std::to_string(removed) + Text(TEXT_PURGED));
}

void TPluginCommandRunner::OpenListFile()
{
    if (!main_.AutoList().OpenInEditor())
        ShowError(main_, ListFileError(main_.AutoList().FileName(), Texts()));
}

void TPluginCommandRunner::OfferAutoListEntries(const TKeyIDData& keys)
{
    if (keys.Count <= 0)
        return;
    if (!Ask(Text(TEXT_ADD_TO_LIST) + "\r\n\r\n" + keys.UserText)) {
        if (keys.Count > 0)
            Inform(std::to_string(keys.Count) + Text(TEXT_KEYS_IMPORTED));
        return;
    }
    SetAutoListModeBits();
    dialogs_->AddEntriesToAutoList(keys, main_.KeyRingState() == 2);
}
