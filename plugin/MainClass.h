// TMainClass: the plug-in's one object inside the mail client's process. It owns the hidden window
// ("ZAVEK_HIDDEN_CLASS") that receives the mail client's messages, commands and timers, the two
// thread hooks that watch the mail client's windows, the busy state, the watchdog, and the mail
// client's windows it subclassed; it carries the bodies of the exported functions.
#pragma once

#include "framework/Subclassing.h"
#include "plugin/BusyState.h"
#include "plugin/Configuration.h"
#include "plugin/EncryptRoadHost.h"
#include "plugin/DecodeContext.h"
#include "plugin/PluginCommands.h"
#include "plugin/PluginMenus.h"
#include "plugin/SignatureNote.h"
#include "plugin/StatusClock.h"
#include "plugin/ViewerMain.h"
#include "plugin/Watchdog.h"
#include "ui/dialogs/DialogMainObject.h"
#include "ui/dialogs/MsgTreeDialog.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TDecryptRoad;
class TPMDecryptHost;

class TMainClass : public TConfiguration, public IDialogMainObject {
    // The bodies of the plug-in's menu commands.
    friend class TPluginCommandRunner;
    // The viewers' settings come from the message tree's.
    friend class TViewerMain;

public:
    static constexpr const char* HIDDEN_CLASS = "ZAVEK_HIDDEN_CLASS";
    static constexpr UINT_PTR TIMER_PASSPHRASE = 1;
    static constexpr UINT_PTR TIMER_DEFERRED_SEND = 2;
    static constexpr UINT_PTR TIMER_RERUN_COMMAND = 3;
    static constexpr UINT_PTR TIMER_SIGNATURE_NOTE = 4;
    static constexpr UINT_PTR TIMER_CLOCK = 5;

    // Registers the hidden window class and hooks the calling thread.
    explicit TMainClass(HINSTANCE instance);
    // Destroys the plug-in window, gives back every subclassed window, unhooks.
    ~TMainClass() override;

    // The library's unit initialisation and finalisation (first export call; after the host's
    // shut-down).
    static TMainClass* UnitInitialisation(HINSTANCE instance);
    static void UnitFinalisation();
    static TMainClass* Instance();
    // The library is unloaded before the host shut the plug-in down: the hooks, the plug-in window
    // and every subclassed mail-client window are given back, and nothing else is done (this runs
    // under the loader lock).
    static void ReleaseAtUnload() noexcept;

    // Called once the mail client destroyed the window of a started plug-in: the plug-in's life in
    // this host is over. It runs inside the window procedure and must not free the main object.
    std::function<void()> OnHostDone;

    // Creates the plug-in window and runs the start-up once; the window, or 0.
    HWND CreatePluginWindow(HWND parent, uint32_t version);
    HWND PluginWindow() const { return pluginWindow_; }

    TBusyState& Busy() { return busy_; }
    // Marks one level busy (or done) and grays the plug-in's menu while busy.
    void SetBusy(bool busy);

    // Bodies of the message exports.
    int32_t EncryptRequest(const std::string& inFile, const std::string& outFile,
        const std::string& recipient, const std::string& method, TRequestedAction requested);
    int32_t DecryptMessage(const std::string& inFile, const std::string& outFile, uint32_t hostContext);
    void VerifyFile(const std::string& fileName);
    void ManageKeys(const std::string& fileName, int mode);
    void WipeFile(const std::string& fileName);
    void SyncTime(bool show);
    // The configuration dialog; restarts the mail client when the user accepts that for a toolbar change.
    void EditConfiguration() override;
    // The mail client's frame once it is ready, else the desktop.
    HWND DialogOwner() const override { return ownerWindow_; }
    // Forgets what the mail client's commands said about the next decode (a mail window became
    // active); a host setting a decode switched off is given back.
    void ClearDecodeState();

    // The clock follows the "ShowTime" option.
    void ShowTimeChanged() override;
    // The encrypt road of the current start-up (its per-send state lives there).
    TEncryptRoad& EncryptRoad();
    // What the text viewer asks of the plug-in; its printer choices last for the process.
    TViewerMain& ViewerMain();

    // What the plug-in's dialogs ask of the main object.
    const TZAVEKStrings& Texts() const override { return TConfiguration::Texts(); }
    bool StandardColor() const override { return Values().StandardColor; }
    std::string FixedFontName() const override { return TConfiguration::FixedFontName(); }
    HWND ActiveDialogWindow() const override { return activeDialog_; }
    void SetActiveDialogWindow(HWND window) override { activeDialog_ = window; }
    HWND GetHostWindow() const override { return frame_; }
    bool ShowKeyMenuForText(HWND window, const std::string& text) override;
    void OpenHtmlPage(const std::string& url) override;
    void ShowPGPHelp(const std::string& topic) override;
    void ShowManual(const std::string& topic) override;
    void ShowTopic(HWND window, int context) override;
    std::string HelpPopupText(int index) override;
    std::string HelpPopupTextByName(const std::string& id) override;
    int HelpPopupHeight(int index) override;

    // In the plug-in's own message dialog once the language texts exist.
    bool ShowMessage(const std::string& text, TMessageKind kind, int icon = 0) override;

private:
    static LRESULT CALLBACK HiddenWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK GetMsgHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK FrameProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK StatusBarProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK ReaderProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK TextEditParentProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    LRESULT HandleHiddenMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void HandleCommand(WPARAM wParam, LPARAM lParam);
    void RunPluginCommand(const TPluginCommand& command);
    // Keys that came into the key ring, offered for the recipient list (a yes opens its dialog).
    void OfferAutoListEntries(const TKeyIDData& keys);
    void HandleTimer(UINT_PTR id);
    HWND HostReady();
    void StartHostAdditions();
    // The plug-in's parts of the mail client's windows (host windows unit).
    void AddToolbarButtons();
    void AddMenus(HMENU bar);
    void RemoveHostAdditions();
    void StartClock();
    // The PGP interface's cache callback: timer 1 runs for the cache time, 16389 follows the cache.
    void StartPassphraseTimer(int32_t seconds, bool changed);
    std::string Text(uint16_t id) const;
    TPluginMenuState MenuState() const;
    // The frame's messages about commands and menus; true when handled (result set).
    bool HandleFrameMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // F1 on a plug-in menu item: the menu closes and its help page shows; false for other items.
    bool ShowMenuItemHelp(HWND window, const HELPINFO* info);
    bool IsPluginMenuItem(UINT id) const;
    void ShowMenuHint(UINT item, UINT flags, HMENU menu);
    // F1 on an item of the plug-in's menus; false for any other help request.
    bool ShowMenuItemHelp(const HELPINFO& help);
    void ShowEncryptPopup();
    void ShowAutoListPopup();
    // The titles of the mail client's address books, in the order the auto-list reads them.
    std::vector<std::string> AddressBookTitles();
    // Shows a popup menu at the mouse; the frame receives the chosen item as its command.
    void TrackPopupAtCursor(HMENU popup);
    void SubclassTextEditParent(HWND textEdit);
    // The message window of the mail client's newer kind that a created window makes a reader of.
    HWND MdiReaderOf(HWND created) const;
    // A message posted to the mail client's windows; true when the plug-in took it.
    bool PostedMessageTaken(const MSG& msg);
    // A window of this thread was shown (not by its parent).
    void WindowShown(HWND window);
    // The mail client's dialogs the plug-in knows by the beginning of their title.
    void HandleTitledDialog(HWND dialog, const std::string& title);
    static LRESULT CALLBACK IdentityDialogProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void IdentityDialogClosed(HWND dialog);
    // The PGP passphrase dialog while the watchdog runs: remembered, its field watched for typing.
    void WatchPassphraseDialog(HWND dialog);
    static LRESULT CALLBACK PassphraseFieldProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT BeforeSend();
    // The mail client's editors (editors unit): record and procedure when first seen, the page
    // that sees the send command, and the record freed when the editor goes or the plug-in does.
    void SubclassEditor(HWND editor);
    void SubclassEditorPage(HWND editor);
    void ReleaseEditor(HWND editor);
    void ReleaseEditors();
    void ResetEditorSendState(TEditorData* editor);
    void WarnOfEncryptionSwitchedOff(HWND window, WPARAM wParam);
    // Asks the plug-in-handled editors to close; false when one stays open.
    bool CloseEditorWindows();
    static LRESULT CALLBACK EditorProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK EditorPageProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT EditorPageSend(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    // The editor's encryption dialog (encryption dialog unit), working on the active editor's record.
    void SubclassEncryptionDialog(HWND dialog);
    // The encryptors offered in the dialog (or the editor's encryption page) and the one selected.
    void ApplyEncryptorChoice(HWND dialog, const TEditorData& record);
    static LRESULT CALLBACK EncryptionDialogProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void EncryptionDialogCommand(HWND dialog, WPARAM wParam);
    void EncryptionDialogClosed(HWND dialog);
    LRESULT HostEvent(WPARAM type, LPARAM record);
    LRESULT HostShutdown(bool windowDestroyed);
    void DecodeFileInPlace(const std::string& fileName);
    // The decrypted text of the file's first protected block under the watchdog; false when the
    // decode failed, was cancelled or the watchdog closed its passphrase dialog.
    bool DecryptUnderWatchdog(const std::string& text, TMessageData& data, std::string& block, std::string& output,
        TSignatureData& signature);
    // The status line after DecryptUnderWatchdog: done only when something was decrypted or verified;
    // cancelled when the decode failed or was cancelled; otherwise that nothing was decrypted or verified.
    std::string DecryptEndStatus(bool decrypted);
    // Writes a decrypted message file where it lies (the mail client may hold it open), burns the
    // joined text and only then says "done"; a file that cannot be written is said so, keeps its
    // text, and the status says cancelled.
    bool WriteDecryptedFile(const std::string& fileName, const TMessageData& data, const std::string& output);
    void ShowSignatureNote(const TSignatureData& signature);

    // The mail client's readers (readers unit): record and procedure, the decoded message put into
    // the reader's editor control, its signature icon, the key popup over message text and the
    // signature note.
    void SubclassReader(HWND reader);
    void ReleaseReader(HWND reader);
    // A message posted to a reader's or the status bar's windows; true when the plug-in took it.
    bool ReaderMessageTaken(const MSG& msg);
    void PutBackIntoReader(HWND control);
    // The decoded message into the editor it was decoded for, when the mail client shows
    // formatted text and the message body is HTML or RTF.
    void PutBackIntoEditor(HWND control);
    // The control of the window waiting for the decoded message; nil when none waits.
    HWND PutBackControl(HWND activeChild) const;
    void UpdateReaderIcon(HWND reader);
    // The key popup for the key id of a text; false when the text holds none.
    bool ShowKeyPopup(const std::string& keyText);
    // The key id on the line under the caret (or the mouse) of the window's editor control.
    bool ShowKeyPopupInEditor(HWND window, bool underMouse);
    void ShowSignatureResult();
    // The message tree of the protected text in a reader's raw view; information text 417 when it
    // holds none. The word wrap the switch to the raw view turned off comes back.
    void ShowReaderMessageTree(HWND reader);
    void SaveWordWrap();
    TMsgTreeSettings MessageTreeSettings();
    // The host wrote its status line over the signature note.
    void StatusTextChanged(HWND panel, const char* text);
    // A network address in the status line is shown in its readable form (escapes decoded).
    void ShowStatusUrlForDisplay(HWND panel, const char* text);

    // What the hooks tell about the mail client's windows.
    void WindowCreated(HWND window);
    void WindowDestroyed(HWND window);
    // Asks the plug-in-handled readers to close; false when one stays open.
    bool CloseReaderWindows();
    void ReleaseHostWindows();
    void ReleaseHooksAndWindows() noexcept;
    void UpdateBusyMenu();
    // The decrypt road over the PGP interface of the current start-up.
    TDecryptRoad& DecryptRoad();
    // A mail window of the mail client became the active MDI child.
    void MdiChildActivated(HWND child);
    // A command or control notification the mail client sent to one of its windows.
    void NoteHostCommand(HWND target, WPARAM wParam, LPARAM lParam);
    // Runs a request of a dialog and shows its failure instead of raising it.
    void RunDialogRequest(const std::function<void()>& request);

    HINSTANCE instance_;
    ATOM hiddenClass_ = 0;
    HHOOK callWndHook_ = nullptr;
    HHOOK getMsgHook_ = nullptr;
    int unitReferences_ = 0;
    // The start-up succeeded and the plug-in window is the mail client's to destroy.
    bool windowWithHost_ = false;
    TBusyState busy_;
    bool shuttingDown_ = false;
    bool noParent_ = false;
    bool newInterface_ = false;
    bool sendInProgress_ = false;
    // The shut-down closes the readers and editors the plug-in handles.
    bool closingWindows_ = false;
    // The identity chosen in the mail client's identity dialog; empty: none or the current one.
    std::string chosenIdentity_;
    // The mail client's word wrap while the plug-in switched it off for the raw view.
    bool wordWrapSaved_ = false;
    bool savedWordWrap_ = false;
    // The editor's page saw the send command: the next BeforeSend is about that send.
    bool sendArmed_ = false;
    // The editor whose encryption dialog is open.
    HWND encryptionDialogEditor_ = nullptr;
    TWatchdog watchdog_;
    HWND ownerWindow_;
    HWND frame_ = nullptr;
    HWND mdiClient_ = nullptr;
    HWND statusBar_ = nullptr;
    HWND rememberedEditor_ = nullptr;
    HWND activeDialog_ = nullptr;
    WPARAM lastHostCommand_ = 0;
    TPluginMenus menus_;
    TStatusClock clock_;
    TSignatureNote signatureNote_;
    // The key id text of the key popup now open.
    std::string keyMenuText_;
    bool menuHintShown_ = false;
    std::string statusUrlShown_; // the readable form of the last network address in the status line
    std::unique_ptr<TPluginEncryptRoad> encryptRoad_;
    TDecodeContext decodeContext_;
    std::unique_ptr<TPMDecryptHost> decryptHost_;
    std::unique_ptr<TDecryptRoad> decryptRoad_;
    std::unique_ptr<TViewerMain> viewerMain_;
};
