// Per-user installation and removal: the form files copied into a mail folder and pointed at the
// install folder, the installed-users list "ZAVEKUsers.cfg" in the data folder, the start-menu links,
// and their removal. The bodies of the set-up, update, uninstall and clean-up commands.
#pragma once

#include "foundation/ZAVEKResources.h"
#include "plugin/Options.h"

#include <string>

// Where the installation works; every folder with a trailing backslash.
struct TInstallSite {
    std::string InstallFolder;
    std::string ResourcesFolder;
    std::string DataFolder;
    std::string BaseFolder; // the mail client's
    std::string WindowsUser;
    std::string MailUser;
    std::string MailFolder;
    std::string UserProgramsFolder; // the start menu's programs folder of the user
    std::string SharedProgramsFolder; // ... and of all users
    std::string Language; // the mail client's language code, e.g. "en"
    int ProductVersion = 0;
    bool NewOptionsFile = false;
};

// The messages the installation shows.
class IInstallDialogs {
public:
    virtual ~IInstallDialogs() = default;
    virtual void Information(const std::string& text) = 0;
    virtual void Error(const std::string& text) = 0;
    // A question whose default answer is no; true for yes.
    virtual bool AskYes(const std::string& text) = 0;
    // The configuration dialog, for a new user's first settings.
    virtual void EditConfiguration() = 0;
};

class TUserInstallation {
public:
    static constexpr const char* USERS_FILE = "ZAVEKUsers.cfg";
    static constexpr const char* EARLIER_USERS_FILE = "Users.cfg";
    static constexpr const char* START_MENU_FOLDER = "Vantrel\\";
    static constexpr const char* EARLIER_START_MENU_FOLDER = "Ostravel\\";
    static constexpr const char* ADMIN_PROGRAM = "ZAVEKAdmin.exe";

    enum TInstallResult { Installed = 0, Refused = 1, CopyFailed = 2 };

    TUserInstallation(const TInstallSite& site, TOptions& options, const TZAVEKStringList& texts, IInstallDialogs& dialogs);

    // -1 installed, 0 otherwise (also when the start-menu links the argument asks for were not
    // made). An argument ending in "AllUsers" adds the shared start-menu links.
    int UserSetup(const std::string& argument);
    int UserUpdate(const std::string& argument);
    bool UserUninstall();
    void Cleanup();

    TInstallResult InstallForUser(const std::string& sourceFolder, const std::string& mailFolder);
    bool CopyFormFiles(const std::string& sourceFolder, const std::string& mailFolder);
    bool RewriteFormDll(const std::string& formFile);
    // The options file, the auto-list and the plug-in's form files; true when all were deleted.
    bool RemoveForUser(const std::string& mailFolder);
    // Only the plug-in's form files; a refused install keeps the user's settings and auto-list.
    bool RemoveFormFiles(const std::string& mailFolder);
    // 1 written, 0 the write failed or nothing changed, -1 nothing to remove.
    int RegisterUser(bool add);
    void RemoveEarlierVersion();
    bool CreateStartMenuLinks(const std::string& name, bool allUsers);
    void RemoveStartMenuFolder(const std::string& name, bool allUsers);
    bool CreateShortcuts(const std::string& folder, bool adminLinksOnly);

    std::string UsersFile() const { return site_.DataFolder + USERS_FILE; }

private:
    void MoveEarlierUsersFile();
    void ReportInstallResult(TInstallResult result, const std::string& folder, const std::string& shownName);
    void UpdateOtherUsers(const std::vector<std::string>& listLines);
    std::string Text(uint16_t id) const { return texts_.GetEntry(id); }
    std::string LanguageFile(const std::string& prefix, const std::string& extension) const;

    TInstallSite site_;
    TOptions& options_;
    const TZAVEKStringList& texts_;
    IInstallDialogs& dialogs_;
};
