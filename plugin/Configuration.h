// The configuration object under the main object: the plug-in's folders, the Windows user and
// system facts, the start-up that builds the owned interfaces in their fixed order (and tears them
// down in reverse), the companion library, and the bodies of the command exports. An interface the
// start-up has not made (none yet, a failed one, or one without the mail client) is absent;
// whatever needs it fails with an error instead of pretending to work.
#pragma once

#include "engine/PGPInterface.h"
#include "foundation/ZAVEKResources.h"
#include "plugin/Options.h"
#include "plugin/PMInterface.h"
#include "plugin/TERInterface.h"
#include "ui/controls/KeyDialogAssist.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

class TALInterface;
class TSessionUserScope;
class TZAVEKHelp;

struct TZAVEKProductInfo {
    uint16_t LanguageId = 0; // the mail client's
    std::string LegalCopyright;
    std::string ProductVersion;
    std::string ProductName;
};

class TConfiguration : public TOptions {
public:
    static constexpr const char* CRYPTOR_LIBRARY = "ZAVEKCryptor.dll";
    static constexpr const char* AUTO_LIST_FILE = "AutoList.txt";
    // Result codes of StartUp besides Windows error codes.
    static constexpr int STARTUP_OK = 0;
    static constexpr int STARTUP_FAILED_SILENTLY = -1;
    // An exception anywhere in the start-up ("a DLL initialisation routine failed").
    static constexpr int STARTUP_EXCEPTION = 1114;
    // Entries of the language texts the start-up uses.
    static constexpr uint16_t TEXT_NO_MAIL_FOLDER = 125;
    static constexpr uint16_t TEXT_ADMINISTRATOR = 336;
    // The mail client's settings the configuration dialog shows.
    static constexpr int HOST_SETTING_HEADER_LINES = 1;
    static constexpr int HOST_SETTING_EDIT_MARGIN = 34;

    // Reads the Windows user, the Windows version and the fixed font; sets the folders.
    TConfiguration();
    // Frees the owned objects in reverse order of their creation.
    ~TConfiguration() override;

    // Result code: 0 success, -1 failed silently or already reported, other values a Windows error
    // code, whose system text it shows. A failed start-up leaves nothing of itself behind, so it can
    // be tried again.
    int StartUp(HWND pluginWindow, HWND parentWindow);
    // Starts the administrator program to set the clock from the time server, shown with show.
    void SyncTimeElevated(HWND owner, bool show);
    // Loads the companion library from the install folder once; 0 or the Windows error code.
    int LoadCryptor();
    // While the process runs elevated, acts as the user of the desktop shell until
    // RevertImpersonation; the token's value, or -1 when not elevated or when that fails.
    intptr_t ImpersonateSessionUser();
    void RevertImpersonation();
    // Blank lines, then the Windows, PGP SDK and mail-client versions, a line each (the about box).
    std::string GetVersionInfoText() const;

    // Bodies of the command exports.
    void UserSetup(const std::string& arguments);
    void UserUpdate(const std::string& arguments);
    void UserUninstall();
    void Cleanup();
    // Enters the mail user and folder in the installed-users list when they are not there yet.
    void RegisterUser();
    void RestartMailClient(const std::string& identity, HWND mailClient);
    void OpenHtmlPage(const std::string& page);
    void ShowPGPHelp(const std::string& topic);
    void ShowManual(const std::string& topic);
    // The help file's page of a context; tells the user when no help can be shown.
    void ShowHelpTopic(int context);

    // The owned objects; each raises ENotAvailable before a successful start-up.
    TPMInterface& PMInterface() const;
    const TZAVEKStrings& Texts() const;
    bool HasTexts() const { return texts_ != nullptr; }
    TPGPInterface& PGPInterface() const;
    // Only inside the mail client (a start-up with a parent window) is there a recipient auto-list.
    TALInterface& AutoList() const;

    bool RestartStarted() const { return restartStarted_; }
    const std::string& InstallFolder() const { return installFolder_; }
    const std::string& ResourcesFolder() const { return resourcesFolder_; }
    const std::string& DataFolder() const { return dataFolder_; }
    const std::string& WindowsUser() const { return windowsUser_; }
    const std::string& WindowsVersionText() const { return windowsVersionText_; }
    int WindowsVersion() const { return windowsVersion_; }
    const std::string& FixedFontName() const { return fixedFontName_; }
    const std::string& ProductText() const { return productText_; }
    int ProductVersion() const { return productVersion_; }
    const TZAVEKProductInfo& ProductInfo() const { return productInfo_; }

    // Exchange the key-ring files, default user, comment, cache time and wipe passes with the PGP
    // interface and open the key rings; nothing without the interface.
    void ApplyPGPSettings() override;
    // The key-server record from / to the PGP preferences; nothing without the PGP interface.
    void LoadKeyServerPrefs() override;
    void SaveKeyServerPrefs() override;
    // Exchange the two mail-client settings with the mail client; nothing without its interface.
    void LoadHostSettings() override;
    void SaveHostSettings() override;

    // The face of the stock fixed font; "Courier" becomes "Courier New".
    static std::string StockFixedFontName();
    // The number of a product version text, cut at its first "/" and its first "b".
    static int ProductVersionNumber(const std::string& versionText);

    // Shows a message of the start-up or the PGP interface; true for OK or Yes. Here the system's
    // message box; the main object shows its own message dialog once the texts exist.
    // icon: a picture resource of the plug-in shown in place of the kind's (0: the kind's).
    virtual bool ShowMessage(const std::string& text, TMessageKind kind, int icon = 0);
    // The configuration dialog; the main object has it, the bare configuration shows none.
    virtual void EditConfiguration() { }
    // The window the PGP interface's passphrase dialogs belong to when they open.
    virtual HWND DialogOwner() const { return pluginWindow_; }
    // The system's text for a Windows error code, as an error message.
    void ShowSystemErrorText(int code);

protected:
    // The start-up's help handler; made on first use when the start-up made none.
    TZAVEKHelp& HelpHandler();
    // The help handler when it has been made, else null (the message hook must not make it).
    TZAVEKHelp* HelpHandlerIfMade() const noexcept { return helpHandler_.get(); }

    HWND pluginWindow_ = nullptr;
    HWND parentWindow_ = nullptr;

private:
    int RunStartUp();
    void ReadVersionBlock();
    void CreateLanguageTexts(const std::string& language);
    // Raises when the SDK did not load.
    void CreatePGPInterface();
    // Finishes what a process that died left behind: half-done message commits in the mail
    // folder and the folders of decoded parts opened with other programs.
    void RecoverLeftovers();
    // True when the process was started for a set-up, update, removal or clean-up command.
    static bool StartedForInstallation();
    // Frees what a start-up created, texts last: everything else may still use them.
    void ReleaseStartUpObjects() noexcept;

    bool restartStarted_ = false;
    std::string installFolder_;
    std::string resourcesFolder_;
    std::string dataFolder_;
    std::string windowsUser_;
    std::string windowsVersionText_;
    int windowsVersion_ = 0;
    std::string fixedFontName_;
    std::string productText_ = "ZAVEK";
    int productVersion_ = 0;
    TZAVEKProductInfo productInfo_;

    std::unique_ptr<TZAVEKStrings> texts_;
    std::unique_ptr<TPGPErrorStrings> pgpErrorTexts_;
    std::unique_ptr<TTERInterface> editorInterface_;
    std::unique_ptr<TPMInterface> pmInterface_;
    std::unique_ptr<TALInterface> autoList_;
    // Declared before the PGP interface, which uses it until its end.
    std::unique_ptr<TKeyDialogAssist> keyDialogAssist_;
    std::unique_ptr<TPGPInterface> pgpInterface_;
    std::unique_ptr<TSessionUserScope> sessionUser_;
    std::unique_ptr<TZAVEKHelp> helpHandler_;
    // The library whose loading failed the start-up, for its error message.
    std::string failedLibrary_;
    // The options file did not exist before this start-up (for any mail user, the administrator's too).
    bool freshOptionsFile_ = false;
};
