// Per-user installation and removal: form files, the installed-users list, start-menu links.
// Everything that touches a user's folders runs as the logged-on user when the process is elevated.
#include "plugin/UserInstallation.h"

#include "foundation/FileUtilsWin.h"
#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "plugin/SessionUser.h"
#include "plugin/UserInstallationRules.h"

#include <windows.h>

#include <sstream>
#include <vector>

using namespace UserInstallationRules;

namespace {

// Entries of the language texts.
constexpr uint16_t TEXT_LINK_MANUAL = 92;
constexpr uint16_t TEXT_LINK_LICENCE = 93;
constexpr uint16_t TEXT_LINK_HELP = 94;
constexpr uint16_t TEXT_LINK_UNINSTALL = 95;
constexpr uint16_t TEXT_LINK_SETUP = 96;
constexpr uint16_t TEXT_LINK_REMOVE = 97;
constexpr uint16_t TEXT_SET_UP = 128;
constexpr uint16_t TEXT_NO_START_MENU_LINKS = 199;
constexpr uint16_t TEXT_COPY_FAILED = 129;
constexpr uint16_t TEXT_REMOVED = 130;
constexpr uint16_t TEXT_NOT_SET_UP = 131;
constexpr uint16_t TEXT_ASK_SET_UP = 132;
constexpr uint16_t TEXT_ASK_UPDATE_OTHERS = 133;
constexpr uint16_t TEXT_NO_OTHER_USER = 134;
constexpr uint16_t TEXT_REFUSED = 135;
constexpr uint16_t TEXT_ADMINISTRATOR = 336;

constexpr const char* FORM_EXTENSIONS = ".f??";
constexpr const char* MAIN_FORMS = "ZAVEKMain";
constexpr const char* CRYPTOR_FORMS = "ZAVEKCryptor";
// Form files of a foreign module that cannot live beside ours: their presence refuses the set-up.
constexpr const char* FOREIGN_FORMS = "VEVE*";
// The module this one replaced, whose form files a set-up removes.
constexpr const char* EARLIER_MODULE_FORMS[] = { "ZAVEKPGP", "ZAVEKPGPCryptor" };
// The earlier version's service program and the files of it that an upgrade removes.
constexpr const char* EARLIER_SERVICE_PROGRAM = "ZAVEKService.exe";
constexpr const char* EARLIER_VERSION_FILES[] = { "ZAVEKService.exe", "ZAVEKService.ini", "ZAVEKPGP.dll",
    "ZAVEKKeys.dll", "ZAVEKView.dll", "ZAVEKTools.dll" };
constexpr const char* EARLIER_VERSION_EXTENSIONS[] = { ".txt", ".f??", ".bmp", ".gif", ".gid", ".hlp", ".htm" };
// Below this version number there was an earlier version whose files an upgrade removes.
constexpr int LAST_EARLIER_VERSION = 6000;
constexpr const char* UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantrel_is1";

bool SameFolder(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// A short-name match of "*.f??" can hit a longer extension: only ".f" plus up to two characters counts.
bool IsFormFileName(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && name.size() - dot <= 4 && name.size() - dot >= 2
        && (name[dot + 1] == 'f' || name[dot + 1] == 'F');
}

// The files (not folders) of folder that match pattern, as full paths.
std::vector<std::string> MatchingFiles(const std::string& folder, const std::string& pattern)
{
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(folder + found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
}

std::vector<std::string> FormFiles(const std::string& folder, const std::string& baseNames)
{
    std::vector<std::string> files;
    for (const std::string& file : MatchingFiles(folder, baseNames + FORM_EXTENSIONS))
        if (IsFormFileName(file))
            files.push_back(file);
    return files;
}

// Deletes every listed file; the result of the last deletion, false for none.
bool DeleteAll(const std::vector<std::string>& files)
{
    bool deleted = false;
    for (const std::string& file : files)
        deleted = DeleteFileA(file.c_str()) != FALSE;
    return deleted;
}

bool DeleteIfPresent(const std::string& file)
{
    return DeleteFileA(file.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::vector<std::string> ReadLines(const std::string& file)
{
    std::vector<std::string> lines;
    std::istringstream in(ReadWholeFile(file));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool WriteLines(const std::string& file, const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return WriteWholeFile(file, text);
}

// The lines of the Windows user's section of the users list.
std::vector<std::string> ReadSectionLines(const std::string& file, const std::string& section)
{
    std::vector<std::string> lines;
    if (const std::unique_ptr<TStringList> list = ReadIniSectionList(file, section))
        for (int i = 0; i < list->Count(); ++i)
            lines.push_back(list->Get(i));
    return lines;
}

// Writes the section in one call, so that concurrent writers cannot interleave. An empty list
// removes the section: the last user's removal must not leave its line behind.
bool WriteSectionLines(const std::string& file, const std::string& section, const std::vector<std::string>& lines)
{
    TStringList list;
    for (const std::string& line : lines)
        list.Add(line);
    return WriteIniSectionList(file, section, lines.empty() ? nullptr : &list);
}

std::string WithName(const std::string& format, const std::string& name)
{
    return ReplaceAllStr(format, "%s", name);
}

bool EndsWithText(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && lstrcmpiA(text.c_str() + text.size() - suffix.size(), suffix.c_str()) == 0;
}

std::string UpperName(std::string name)
{
    CharUpperBuffA(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

} // namespace

TUserInstallation::TUserInstallation(
    const TInstallSite& site, TOptions& options, const TZAVEKStringList& texts, IInstallDialogs& dialogs)
    : site_(site)
    , options_(options)
    , texts_(texts)
    , dialogs_(dialogs)
{
}

std::string TUserInstallation::LanguageFile(const std::string& prefix, const std::string& extension) const
{
    std::string language = site_.Language.empty() ? std::string("En") : site_.Language;
    language[0] = static_cast<char>(toupper(static_cast<unsigned char>(language[0])));
    return site_.ResourcesFolder + prefix + language + extension;
}

int TUserInstallation::UserSetup(const std::string& argument)
{
    bool linksMade = true;
    {
        TSessionUserScope asUser;
        const int installed = options_.Values().VersionNo;
        if (installed < site_.ProductVersion && installed < LAST_EARLIER_VERSION)
            RemoveEarlierVersion();
        options_.SetVersionNo(site_.ProductVersion);
        RemoveStartMenuFolder(EARLIER_START_MENU_FOLDER, true);
        if (!argument.empty() && !CreateStartMenuLinks(START_MENU_FOLDER, EndsWithText(argument, "AllUsers"))) {
            linksMade = false;
            dialogs_.Error(Text(TEXT_NO_START_MENU_LINKS));
        }
    }
    const TInstallResult result = InstallForUser(site_.ResourcesFolder, site_.MailFolder);
    // A new user chooses the first settings before being told the set-up is done.
    if (result == Installed && site_.NewOptionsFile) {
        TSessionUserScope asUser;
        dialogs_.EditConfiguration();
    }
    ReportInstallResult(result, site_.MailFolder, site_.MailUser);
    if (site_.MailUser == Text(TEXT_ADMINISTRATOR)) {
        // The administrator's mail user only sets up others: without settings of its own it counts
        // as no installed user, and the next set-up of others asks nothing on its behalf.
        TSessionUserScope asUser;
        DeleteIfPresent(site_.MailFolder + TOptions::FILE_NAME);
    }
    return result == Installed && linksMade ? -1 : 0;
}

void TUserInstallation::ReportInstallResult(TInstallResult result, const std::string& folder, const std::string& shownName)
{
    switch (result) {
    case Installed:
        dialogs_.Information(Text(TEXT_SET_UP) + shownName);
        break;
    case Refused:
        dialogs_.Error(WithName(Text(TEXT_REFUSED), UpperName(shownName.substr(shownName.rfind('/') + 1))));
        RemoveFormFiles(folder);
        break;
    case CopyFailed:
        // The files did not reach the mail user: a failure the administrator must see as one, not
        // an information beside the successful set-ups.
        dialogs_.Error(Text(TEXT_COPY_FAILED) + shownName);
        break;
    }
}

TUserInstallation::TInstallResult TUserInstallation::InstallForUser(const std::string& sourceFolder, const std::string& mailFolder)
{
    TSessionUserScope asUser;
    for (const char* earlier : EARLIER_MODULE_FORMS)
        DeleteAll(FormFiles(mailFolder, earlier));
    if (!FormFiles(mailFolder, FOREIGN_FORMS).empty())
        return Refused;
    if (!CopyFormFiles(sourceFolder, mailFolder))
        return CopyFailed;
    if (site_.NewOptionsFile) {
        const std::string autoList = "AutoList.txt";
        CopyFileA((site_.ResourcesFolder + autoList).c_str(), (mailFolder + autoList).c_str(), TRUE);
    }
    if (SameFolder(sourceFolder, site_.ResourcesFolder))
        RegisterUser(true);
    return Installed;
}

bool TUserInstallation::CopyFormFiles(const std::string& sourceFolder, const std::string& mailFolder)
{
    const bool fromResources = SameFolder(sourceFolder, site_.ResourcesFolder);
    bool copied = false;
    for (const std::string& source : FormFiles(sourceFolder, "*")) {
        const std::string name = GetFileNamePart(source);
        const std::string base = ExtractBaseName(name);
        if (!fromResources && lstrcmpiA(base.c_str(), MAIN_FORMS) != 0 && lstrcmpiA(base.c_str(), CRYPTOR_FORMS) != 0)
            continue;
        const std::string target = mailFolder + name;
        if (!CopyFileA(source.c_str(), target.c_str(), FALSE))
            return false;
        if (fromResources && !RewriteFormDll(target))
            return false;
        copied = true;
    }
    return copied;
}

bool TUserInstallation::RewriteFormDll(const std::string& formFile)
{
    std::vector<std::string> lines = ReadLines(formFile);
    RewriteFormDllLines(lines, site_.InstallFolder, site_.BaseFolder);
    return WriteLines(formFile, lines);
}

bool TUserInstallation::RemoveForUser(const std::string& mailFolder)
{
    TSessionUserScope asUser;
    if (!DeleteFileA((mailFolder + TOptions::FILE_NAME).c_str()))
        return false;
    // A user who never kept an auto-list still has the plug-in's forms to remove.
    if (!DeleteIfPresent(mailFolder + "AutoList.txt"))
        return false;
    return RemoveFormFiles(mailFolder);
}

bool TUserInstallation::RemoveFormFiles(const std::string& mailFolder)
{
    TSessionUserScope asUser;
    const bool cryptor = DeleteAll(FormFiles(mailFolder, CRYPTOR_FORMS));
    const bool main = DeleteAll(FormFiles(mailFolder, MAIN_FORMS));
    return cryptor && main;
}

void TUserInstallation::MoveEarlierUsersFile()
{
    if (SameFolder(site_.DataFolder, site_.InstallFolder) || IsExistingFile(UsersFile()))
        return;
    const std::string earlier = site_.InstallFolder + EARLIER_USERS_FILE;
    if (!IsExistingFile(earlier))
        return;
    MoveFileExA(earlier.c_str(), UsersFile().c_str(), MOVEFILE_COPY_ALLOWED);
    DeleteFileA(earlier.c_str());
}

int TUserInstallation::RegisterUser(bool add)
{
    MoveEarlierUsersFile();
    std::vector<std::string> lines = ReadSectionLines(UsersFile(), site_.WindowsUser);
    const TRegisterResult result = RegisterInSection(lines, site_.MailUser, site_.MailFolder, add,
        [](const std::string& folder) { return IsExistingFile(folder + TOptions::FILE_NAME); });
    switch (result) {
    case TRegisterResult::NothingToRemove:
        return -1;
    case TRegisterResult::Unchanged:
        return 0;
    case TRegisterResult::Changed:
        break;
    }
    return WriteSectionLines(UsersFile(), site_.WindowsUser, lines) ? 1 : 0;
}

bool TUserInstallation::UserUninstall()
{
    if (!RemoveForUser(site_.MailFolder)) {
        dialogs_.Information(Text(TEXT_NOT_SET_UP) + site_.MailUser);
        return false;
    }
    dialogs_.Information(Text(TEXT_REMOVED) + site_.MailUser);
    RegisterUser(false);
    return true;
}

int TUserInstallation::UserUpdate(const std::string& argument)
{
    if (!IsExistingFile(UsersFile()) || site_.MailUser == Text(TEXT_ADMINISTRATOR))
        return UserSetup(argument);
    const std::vector<std::string> listLines = ReadLines(UsersFile());
    bool known = false;
    for (const std::string& line : SectionUserLines(listLines, site_.WindowsUser))
        known = known || IsLineOfMailUser(line, site_.MailUser);
    int result = 0;
    if (known || dialogs_.AskYes(WithName(Text(TEXT_ASK_SET_UP), site_.MailUser)))
        result = UserSetup(argument);
    if (listLines.size() > 2 && dialogs_.AskYes(Text(TEXT_ASK_UPDATE_OTHERS)))
        UpdateOtherUsers(listLines);
    return result;
}

void TUserInstallation::UpdateOtherUsers(const std::vector<std::string>& listLines)
{
    std::string section;
    bool handled = false;
    for (const std::string& line : listLines) {
        if (IsSectionLine(line)) {
            section = line.substr(1, line.find(']') == std::string::npos ? std::string::npos : line.find(']') - 1);
            continue;
        }
        const std::string folder = FolderOfUserLine(line);
        if (folder.empty() || SameFolder(folder, site_.MailFolder))
            continue;
        TInstallResult result = InstallForUser(site_.MailFolder, folder);
        if (result == CopyFailed)
            result = InstallForUser(site_.ResourcesFolder, folder);
        ReportInstallResult(result, folder, section + "/" + line.substr(0, line.find('=')));
        handled = true;
    }
    if (!handled)
        dialogs_.Information(Text(TEXT_NO_OTHER_USER));
}

void TUserInstallation::Cleanup()
{
    options_.SetNoPGP(true);
    MoveEarlierUsersFile();
    if (IsExistingFile(UsersFile())) {
        for (const std::string& line : ReadLines(UsersFile())) {
            const std::string folder = FolderOfUserLine(line);
            // Forms left without settings would make the mail client look for a library that goes.
            if (!IsSectionLine(line) && !folder.empty() && !RemoveForUser(folder))
                RemoveFormFiles(folder);
        }
    }
    if (DeleteFileA(UsersFile().c_str()))
        RemoveDirectoryA(site_.DataFolder.c_str());
    RemoveStartMenuFolder(EARLIER_START_MENU_FOLDER, true);
    RemoveStartMenuFolder(START_MENU_FOLDER, true);
}

void TUserInstallation::RemoveEarlierVersion()
{
    // Only a folder that held the earlier version, and never the mail client's own folder, which
    // holds files of the same kinds that are not ours.
    if (!IsExistingFile(site_.InstallFolder + EARLIER_SERVICE_PROGRAM) || SameFolder(site_.InstallFolder, site_.BaseFolder))
        return;
    for (const char* file : EARLIER_VERSION_FILES)
        DeleteFileA((site_.InstallFolder + file).c_str());
    for (const char* extension : EARLIER_VERSION_EXTENSIONS)
        DeleteMatchingFiles(site_.InstallFolder + "*" + extension);
}

bool TUserInstallation::CreateStartMenuLinks(const std::string& name, bool allUsers)
{
    RemoveStartMenuFolder(name, allUsers);
    TSessionUserScope asUser;
    bool created = CreateShortcuts(site_.UserProgramsFolder + name, false);
    if (allUsers)
        created = CreateShortcuts(site_.SharedProgramsFolder + name, true) && created;
    return created;
}

void TUserInstallation::RemoveStartMenuFolder(const std::string& name, bool allUsers)
{
    TSessionUserScope asUser;
    RemoveShortcutFolder(site_.UserProgramsFolder + name);
    if (allUsers)
        RemoveShortcutFolder(site_.SharedProgramsFolder + name);
}

bool TUserInstallation::CreateShortcuts(const std::string& folder, bool adminLinksOnly)
{
    if (!IsExistingFolder(folder) && !CreateDirectoryA(folder.c_str(), nullptr))
        return false;
    struct TLink {
        uint16_t Text;
        std::string Target;
        std::string Arguments;
    };
    std::vector<TLink> links;
    if (!adminLinksOnly) {
        std::string manual = LanguageFile("ZAVEK", ".chm");
        if (!IsExistingFile(manual))
            manual = FindFirstMatchingFile(site_.ResourcesFolder + "ZAVEK??.chm");
        std::string help = LanguageFile("ZAVEKHelp", ".htm");
        if (!IsExistingFile(help))
            help = FindFirstMatchingFile(site_.ResourcesFolder + "ZAVEKHelp??.htm");
        links.push_back({ TEXT_LINK_MANUAL, manual, "" });
        links.push_back({ TEXT_LINK_LICENCE, LanguageFile("ZAVEKLicence", ".txt"), "" });
        links.push_back({ TEXT_LINK_HELP, help, "" });
        links.push_back({ TEXT_LINK_UNINSTALL, RegReadString(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "UninstallString"), "" });
    }
    const std::string admin = site_.InstallFolder + ADMIN_PROGRAM;
    links.push_back({ TEXT_LINK_SETUP, admin, "USERSETUP" });
    links.push_back({ TEXT_LINK_REMOVE, admin, "USERUNINSTALL" });
    for (const TLink& link : links) {
        // A document this install does not carry gets no link; the others are still made.
        if (link.Target.empty() || (link.Arguments.empty() && !IsExistingFile(UnwrapQuotes(link.Target))))
            continue;
        if (!CreateShellLink(folder + Text(link.Text) + ".lnk", link.Target, link.Arguments, ""))
            return false;
    }
    return true;
}
