// The plug-in's one speaker to the mail client: its build and language, folders, user and identity,
// ini files and registry values, numbered requests to its plug-in window, commands posted to its
// frame, window-class tests, new editor windows and the restart. Inside the mail client the values
// come by request; outside it (helper program) from the registry of the session user.
#pragma once

#include "foundation/Processes.h"
#include "plugin/ButtonList.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

class TZAVEKStrings;
class TPGPErrorStrings;
class TTERInterface;
struct TPutBackRecord;

// The captions of the mail client's dialogs that the hooks recognise by title.
struct THostDialogTitles {
    std::string Reminder, Search, SendNow, Reply, Spelling, Print, UserName;
};

struct THostFontDesc {
    std::string Name;
    int PointSize = 0;
    int Height = 0; // negative: character height in screen pixels
    int Style = 0;
};

// Where the interface shows its error and information texts; tests put a recorder in its place.
class IUserPrompt {
public:
    virtual ~IUserPrompt() = default;
    virtual void ShowError(const std::string& text) = 0;
    virtual void ShowInformation(const std::string& text) = 0;
};

class TPMInterface : public TButtonList {
public:
    static constexpr const char* HOST_PROGRAM = "WINPM-32.EXE";
    static constexpr const char* REGISTRY_KEY = "Software\\Pegasus Mail";

    // hostWindow: the mail client's plug-in window, nil outside the mail client.
    explicit TPMInterface(HWND hostWindow, std::string bitmapFolder = {});
    ~TPMInterface() override;

    // ---- Build and language
    uint32_t HostBuild() const { return build_; }
    const std::string& VersionText() const { return versionText_; }
    bool IsHostV4() const { return build_ >= 4000; }
    const std::string& LanguageCode() const { return languageCode_; }
    uint16_t LanguageId() const { return languageId_; }
    HMODULE HostLanguageLibrary() const { return languageLibrary_; }
    const THostDialogTitles& DialogTitles() const { return dialogTitles_; }
    const THostFontDesc& DialogFont() const { return dialogFont_; }
    const std::string& HostCommandLine() const { return hostCommandLine_; }
    HKEY RegistryRoot() const { return userProfile_ ? userProfile_->Root() : HKEY_CURRENT_USER; }

    // ---- Set by the owner after construction
    TZAVEKStrings* Strings = nullptr;
    TPGPErrorStrings* PGPErrorStrings = nullptr;
    TTERInterface* EditorInterface = nullptr;
    // Shows texts 333-335 of the folder choice; nil: message boxes owned by the mail client.
    IUserPrompt* Prompt = nullptr;

    // ---- Folders (trailing backslash), user and identity; cached after the first call
    std::string GetBaseFolder();
    std::string GetMailFolder();
    std::string GetNewMailFolder();
    std::string GetMailUserName();
    std::string GetIdentity() const;
    // The identity combo box (440) of the given or the active editor; empty without an editor.
    std::string GetEditorIdentity(HWND editor);

    // ---- Ini files
    std::string ReadPMailIni(const std::string& section, const std::string& key);
    std::string ReadPegasusIni(const std::string& section, const std::string& key);
    // The identity from the registry or from the editor's identity combo box decides the section.
    std::string ReadIdentitySetting(const std::string& key, bool fromRegistry, HWND editor);
    std::string GetIdentityAddress(const std::string& identity);
    std::string GetDefaultBcc(const std::string& identity);
    std::string GetPrinterDeviceName();
    std::string GetPrintingBanner();
    int GetEditorTabWidth(HWND editor);
    std::string GetAddressBookFolder();
    // The identity's printing banner with its '~' codes filled in, as UTF-8.
    std::string FormatPrintingBanner(
        const std::string& address, const std::string& subject, const SYSTEMTIME& date);
    // Mail folder, base folder and address-book folder, LF-separated.
    std::string GetAddressBookFolders();
    // The user's address books from "STATE.PMJ" of the mail folder, LF-separated key=value lines.
    std::string GetAddressBookSettings();
    // The text of the signature the mail client has selected; empty when none.
    std::string GetSignatureText();
    // "To: " + text 330 + CR LF + "Subject: " + text 331.
    std::string GetPlaceholderMessage() const;
    // The section of "PMail.ini" that holds an identity's settings.
    std::string IdentitySection(const std::string& identity);

    // ---- Requests and settings
    HWND GetHostWindow(WPARAM index) const;
    int32_t GetHostSetting(int index) const;
    void SetHostSetting(int index, int32_t value) const;
    std::string GetHostSettingText(int index, size_t length) const;
    const void* GetHostRecord(int index) const;
    std::string GetHostText(int n) const;
    std::string GetHostString(UINT id) const;
    std::string GetHostCharset() const;
    bool GetWordWrap() const;
    void SetWordWrap(bool on) const;
    bool IsHostOption62() const;
    bool GetSetting86Bit0() const;
    void SetSetting86Bit0(bool on) const;
    bool GetShowObjects() const;
    bool GetPrintHeader() const;
    bool GetPrintFooter() const;
    int GetPrintMode() const;
    // left and right from setting 51, top and bottom from setting 50.
    void GetPrintMargins(int& leftRight, int& topBottom) const;
    // Flags: bit 0 setting 77 on, bit 1 setting 78 on.
    int GetReplyPlacement(int& blockNumber) const;
    THostFontDesc GetMessageFont() const;
    THostFontDesc GetPrinterFont() const;

    // ---- Status line and commands
    void SetStatusText(const std::string& text) const;
    void ClearStatusText() const;
    // The form the message roads use (wParam 0).
    void SetRoadStatusText(const std::string& text) const;
    void PostHostCommand(WPARAM id) const;
    bool IsHostMenuItemChecked(UINT id) const;
    void SetHostMenuItemCheck(UINT id, bool checked) const;
    // Sends the shut-down event to the plug-in window: lParam 1 when flag is clear, 0 when set.
    LRESULT SendShutdownEvent(HWND pluginWindow, bool flag) const;

    // ---- Host windows (nil window: the active MDI child)
    HWND ActiveFolderManager(HWND window) const;
    HWND ActiveFolderWindow(HWND window) const;
    HWND ActiveEditorWindow(HWND window) const;
    HWND ActiveReaderWindow(HWND window) const;
    bool IsMailWindowActive() const;
    // The mail client's folder window of its new-mail folder (known by the folder's display name
    // at the start of its title) and its folder manager, wherever they stand; nil when not open.
    HWND NewMailFolderWindow() const;
    HWND OpenFolderManager() const;
    bool IsNewMessageEditor(HWND window) const;
    // The editor's pages: the parent of its "STATIC" whose caption holds text 6, and of its
    // "BUTTON" captioned text 7 (the first '&' of a caption ignored); nil when absent.
    HWND EditorMainPage(HWND editor) const;
    HWND EditorOptionsPage(HWND editor) const;
    // Reader states the hooks use (nil window: the active MDI child).
    bool IsReaderRaw(HWND window) const;
    bool IsReaderToolbarOn(HWND window) const;
    bool IsReaderPanelOn(HWND window) const;

    // ---- Messages and editors
    // Opens a new editor with the fields; -1 when it opened, 0 when not.
    int OpenNewMessage(
        const std::string& recipient, const std::string& subject, const std::string& text) const;
    // The editor library's control of the window; the styled one when asked for and not raw.
    HWND GetEditorHandle(HWND window, bool styled) const;
    // The settings for putting a message back into the window: mode 0 reader, 1 reply, 2 forward.
    void GetPutBackSettings(HWND window, int mode, TPutBackRecord& record);
    // Moves the active editor's message into a new editor; text becomes the placeholder message
    // that the message file holds instead. False, with empty text, when that was not possible.
    bool ReopenMessageInEditor(HWND& window, std::string& text);
    // Inserts text at the active editor's caret; -1 when there was an editor, 0 otherwise.
    int SetEditorValue12(const std::string& text) const;
    // Lets the user choose a folder in the mail client and reads its messages. A cancelled choice
    // gives the text "\0" and shows nothing; mailbox is set for a Unix-mailbox folder.
    void SelectFolder(std::string& name, bool& mailbox, std::string& text);
    std::string GetMbxFileName(const std::string& name);
    // The header-line count of the chosen folder's last messages; 0 when nothing was chosen.
    int MeasureHeaderLines();
    // Makes the active editor send; settings 32 and 80 are back as they were on every path.
    void SendFromEditor(bool plain, bool switchSettings);
    // Removes empty queued-message files and counts the others.
    // Deletes the placeholders a cancelled send left in the queue and counts the other queued
    // messages; then refreshes the queue window.
    int CleanQueueFolder();
    void RefreshQueueWindow();
    // Inside the mail client: starts the helper program that restarts it. Outside: closes the given
    // frame's process and starts the mail client again with " -I " + identity.
    bool RestartHost(const std::string& helperProgram, const std::string& identity, HWND frame);

    static uint32_t BuildFromVersion(uint32_t version);

private:
    void FindRegistryRoot();
    void ReadHostVersion();
    void FindHostLanguageLibrary();
    void ReadHostDialogTitles();
    void ReadHostLanguageOutside();
    std::string FolderRequest(UINT request) const;
    std::string RegistryFolder(const char* value) const;
    std::string RegistryValue(const char* value) const;
    HWND WindowOfClass(HWND window, const char* classes) const;
    // The first MDI child of the class whose title begins with titleStart.
    HWND MdiChildOfClass(const char* className, const std::string& titleStart) const;
    std::string NewMailFolderName() const;
    // Outside the mail client without a registered mail folder: the user points at it, or cancels.
    std::string BrowseForMailFolder() const;
    THostFontDesc HostFont(int index) const;
    bool IsDefaultIdentity(const std::string& identity) const;
    std::string AskHostForFolder() const;
    std::string FolderFileOfAnswer(const std::string& answer);
    void ReadChosenFolder(const std::string& folder, std::string& name, bool& mailbox, std::string& text);
    void ShowText(uint16_t id, bool error) const;

    // Elevated: the shell user's token and the profile loaded with it; the profile goes first.
    TKernelHandle userToken_;
    std::unique_ptr<TUserProfileKey> userProfile_;
    std::string versionText_;
    uint32_t build_ = 0;
    THostDialogTitles dialogTitles_;
    THostFontDesc dialogFont_;
    std::string hostCommandLine_;
    std::string baseFolder_, mailFolder_, newMailFolder_;
    bool mailFolderBrowsed_ = false;
    std::string languageCode_ = "en";
    HMODULE languageLibrary_ = nullptr;
    bool ownsLanguageReference_ = false;
    uint16_t languageId_ = 0;
};
