// The mail-client interface: start-up (registry root, version, language library, dialog titles),
// folders and identity, ini readers, requests and settings, window tests, editors and the restart.
#include "plugin/PMInterface.h"

#include "foundation/FileUtilsWin.h"
#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "foundation/ZAVEKCommon.h"
#include "foundation/ZAVEKResources.h"
#include "framework/IniFiles.h"
#include "plugin/Guard.h"
#include "plugin/PMInterfaceRules.h"

#include <lmcons.h>
#include <shlobj.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace HostApi;

namespace {
constexpr size_t HOST_TEXT_LIMIT = 65536;
constexpr const char* DEFAULT_SECTION = "Pegasus Mail for Windows";
constexpr const char* DEFAULT_TCPIP_SECTION = "Pegasus Mail for Windows - built-in TCP/IP Mail";
constexpr const char* IDENTITY_SECTION_PREFIX = "WinPMail Identity - ";
constexpr uint32_t BUILD_INTERNET_ADDRESS_KEY = 4100;
constexpr uint32_t BUILD_LONG_LIBRARY_NAMES = 4800;
constexpr DWORD RESTART_CLOSE_WAIT_MS = 10000;

// Starts a program with parameters; false when it could not be started.
bool StartProgram(const std::string& program, const std::string& parameters, WORD show)
{
    std::string commandLine
        = "\"" + program + "\"" + (parameters.empty() || parameters[0] == ' ' ? "" : " ") + parameters;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
            &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// Dialog resources of the mail client whose captions the hooks recognise.
constexpr const char* DIALOG_REMINDER = "AREMIND";
constexpr const char* DIALOG_SEARCH = "MSEARCH";
constexpr const char* DIALOG_SEND_NOW = "SENDNOW";
constexpr const char* DIALOG_REPLY = "REPLY";
constexpr const char* DIALOG_SPELL = "SPELL";
constexpr const char* DIALOG_PRINT = "PRINTV4M";
constexpr const char* DIALOG_USER_NAME = "UNAME3";
constexpr const char* DIALOG_FONT = "FMV5";

constexpr UINT HOST_STRING_DEFAULT_IDENTITY = 45;
constexpr UINT HOST_STRING_NEW_MESSAGE_TITLE = 21;
// The new-mail folder's display name, before and from build 4000.
constexpr UINT HOST_STRING_NEW_MAIL_OLD = 15;
constexpr UINT HOST_STRING_NEW_MAIL = 197;
constexpr UINT HOST_STRING_SPELLING_TITLE = 830;

std::string CutAtNul(const std::vector<char>& buffer)
{
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

// The account name of the token's user; empty when it cannot be read.
std::string TokenUserName(HANDLE token)
{
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
        return {};
    const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
    char name[UNLEN + 1] = {};
    char domain[DNLEN + 1] = {};
    DWORD nameSize = sizeof name, domainSize = sizeof domain;
    SID_NAME_USE use;
    if (!LookupAccountSidA(nullptr, user->User.Sid, name, &nameSize, domain, &domainSize, &use))
        return {};
    return name;
}

struct TIdSearch {
    int Id;
    HWND Found;
};

BOOL CALLBACK MatchControlId(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<TIdSearch*>(data);
    if (GetDlgCtrlID(child) != search->Id)
        return TRUE;
    search->Found = child;
    return FALSE;
}

HWND FindDescendantById(HWND parent, int id)
{
    TIdSearch search = { id, nullptr };
    EnumChildWindows(parent, MatchControlId, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

struct TClassCount {
    const char* ClassName;
    bool OnlyVisibleDisabled;
    int Count;
};

BOOL CALLBACK CountClass(HWND child, LPARAM data)
{
    auto* count = reinterpret_cast<TClassCount*>(data);
    if (PMInterfaceRules::IsClassInList(GetClassNameUpper(child), count->ClassName)
        && (!count->OnlyVisibleDisabled || (IsWindowVisible(child) && !IsWindowEnabled(child))))
        ++count->Count;
    return TRUE;
}

// Descendants of a class; with onlyVisibleDisabled the visible and disabled ones only.
int CountDescendants(HWND parent, const char* className, bool onlyVisibleDisabled)
{
    TClassCount count = { className, onlyVisibleDisabled, 0 };
    if (parent)
        EnumChildWindows(parent, CountClass, reinterpret_cast<LPARAM>(&count));
    return count.Count;
}

bool HasVisibleChild(HWND parent, const char* className)
{
    HWND child = FindWindowExA(parent, nullptr, className, nullptr);
    return child && IsWindowVisible(child);
}

// A visible, disabled host toolbar button somewhere below the window (the older builds' sign of
// the formatted view being off).
bool HasDisabledToolbarButton(HWND window)
{
    return CountDescendants(window, "DH_BMBN", true) > 0 || CountDescendants(window, "BMBNDH", true) > 0;
}

std::string AnsiToUtf8(const std::string& text)
{
    if (text.empty())
        return text;
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring w(wide, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), w.data(), wide);
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

std::string FormatDate(const SYSTEMTIME& date, DWORD flags, const char* picture)
{
    char text[128] = {};
    return GetDateFormatA(LOCALE_USER_DEFAULT, flags, &date, picture, text, sizeof text) > 0 ? text : "";
}

// The "key=value" lines of an ini section as they stand: values keep their double quotes, which a
// value read would strip.
std::vector<std::string> RawSectionLines(const std::string& file, const char* section)
{
    std::vector<char> buffer(32768, '\0');
    DWORD length = 0;
    while ((length = GetPrivateProfileSectionA(
                section, buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str()))
            >= buffer.size() - 2
        && buffer.size() < (1u << 24))
        buffer.assign(buffer.size() * 2, '\0');
    std::vector<std::string> lines;
    for (size_t at = 0; at < length && buffer[at] != '\0';) {
        const size_t n = strnlen(buffer.data() + at, length - at);
        lines.emplace_back(buffer.data() + at, n);
        at += n + 1;
    }
    return lines;
}

struct TCaptionSearch {
    const char* ClassName;
    std::string Text;
    bool Contains; // else the caption equals the text
    HWND Found;
};

BOOL CALLBACK MatchCaption(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<TCaptionSearch*>(data);
    if (!PMInterfaceRules::IsClassInList(GetClassNameUpper(child), search->ClassName))
        return TRUE;
    std::string caption = GetWindowTextStr(child);
    const size_t accel = caption.find('&');
    if (accel != std::string::npos)
        caption.erase(accel, 1);
    if (search->Contains ? caption.find(search->Text) == std::string::npos : caption != search->Text)
        return TRUE;
    search->Found = child;
    return FALSE;
}

// The parent of the first descendant of a class with that caption; nil without one.
HWND ParentOfCaptioned(HWND window, const char* className, const std::string& text, bool contains)
{
    if (!window || text.empty())
        return nullptr;
    TCaptionSearch search = { className, text, contains, nullptr };
    EnumChildWindows(window, MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.Found ? GetParent(search.Found) : nullptr;
}

// Decimal, or hexadecimal after "$" or "0x"; 0 when it is no number.
int ParseSettingNumber(const std::string& text)
{
    const std::string t = TrimBlanks(text);
    const bool hex = t.rfind("$", 0) == 0 || t.rfind("0x", 0) == 0 || t.rfind("0X", 0) == 0;
    const std::string digits = hex ? t.substr(t[0] == '$' ? 1 : 2) : t;
    if (digits.empty())
        return 0;
    char* end = nullptr;
    const long value = std::strtol(digits.c_str(), &end, hex ? 16 : 10);
    return *end == '\0' ? static_cast<int>(value) : 0;
}
} // namespace

// ---- Construction ---------------------------------------------------------------------------------

TPMInterface::TPMInterface(HWND hostWindow, std::string bitmapFolder)
    : TButtonList(hostWindow, std::move(bitmapFolder))
{
    FindRegistryRoot();
    hostCommandLine_ = RegistryValue("Command");
    ReadHostVersion();
    FindHostLanguageLibrary();
    if (hostWindow)
        ReadHostDialogTitles();
    else
        ReadHostLanguageOutside();
    languageId_ = LangCodeToID(languageCode_);
}

TPMInterface::~TPMInterface()
{
    if (ownsLanguageReference_)
        FreeLibrary(languageLibrary_);
}

uint32_t TPMInterface::BuildFromVersion(uint32_t version)
{
    return PMInterfaceRules::BuildFromVersion(version);
}

void TPMInterface::FindRegistryRoot()
{
    // An elevated process reads the settings of the user whose desktop it runs on, not the
    // administrator's.
    if (!IsProcessElevated(GetCurrentProcessId()))
        return;
    userToken_ = GetShellProcessToken();
    userProfile_ = std::make_unique<TUserProfileKey>(userToken_.Get(), TokenUserName(userToken_.Get()));
}

void TPMInterface::ReadHostVersion()
{
    uint32_t version = static_cast<uint32_t>(Request(REQ_VERSION, 0, 0));
    if (version == 0) {
        const uint32_t fileVersion = GetFileVersionNumber(GetBaseFolder() + HOST_PROGRAM, false);
        version = fileVersion ? PMInterfaceRules::VersionFromFileVersion(fileVersion) : 0;
    }
    versionText_ = PMInterfaceRules::VersionText(version);
    build_ = PMInterfaceRules::BuildFromVersion(version);
}

void TPMInterface::FindHostLanguageLibrary()
{
    languageCode_ = "en";
    WIN32_FIND_DATAA found = {};
    const std::string folder = GetBaseFolder();
    HANDLE search
        = folder.empty() ? INVALID_HANDLE_VALUE : FindFirstFileA((folder + "WPM32*.DLL").c_str(), &found);
    std::string lastName;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            lastName = found.cFileName;
            HMODULE loaded = GetModuleHandleA(found.cFileName);
            if (!loaded || (build_ < BUILD_LONG_LIBRARY_NAMES && lastName.size() > 12))
                continue;
            // Our own reference: the library stays while we read its resources.
            languageLibrary_ = LoadLibraryA((folder + lastName).c_str());
            ownsLanguageReference_ = languageLibrary_ != nullptr;
            if (!languageLibrary_)
                languageLibrary_ = loaded;
            languageCode_ = PMInterfaceRules::LanguageFromLibraryName(lastName);
            break;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    if (!languageLibrary_)
        languageLibrary_ = GetModuleHandleA(nullptr);
}

void TPMInterface::ReadHostDialogTitles()
{
    HMODULE library = languageLibrary_;
    dialogTitles_.Reminder = GetDialogTemplateCaption(library, DIALOG_REMINDER);
    dialogTitles_.Search = GetDialogTemplateCaption(library, DIALOG_SEARCH);
    dialogTitles_.SendNow = GetDialogTemplateCaption(library, DIALOG_SEND_NOW);
    dialogTitles_.Reply = GetDialogTemplateCaption(library, DIALOG_REPLY);
    const std::string spelling = GetHostString(HOST_STRING_SPELLING_TITLE);
    const size_t blank = spelling.find(' ');
    dialogTitles_.Spelling = blank != std::string::npos ? spelling.substr(0, blank + 1)
                                                        : GetDialogTemplateCaption(library, DIALOG_SPELL);
    dialogTitles_.Print = GetDialogTemplateCaption(library, DIALOG_PRINT);
    dialogTitles_.UserName = GetDialogTemplateCaption(library, DIALOG_USER_NAME);
    const TDialogFont font = GetDialogTemplateFont(library, DIALOG_FONT);
    dialogFont_.Name = font.FaceName;
    dialogFont_.PointSize = font.PointSize;
}

void TPMInterface::ReadHostLanguageOutside()
{
    std::string code = PMInterfaceRules::LanguageFromCommandLine(hostCommandLine_);
    if (code.empty()) {
        const std::string set = ReadPegasusIni("WinPMail 32-bit", "Set Language");
        code = set.empty() ? languageCode_ : set;
    }
    for (char& c : code)
        c = LowerAsciiChar(c);
    languageCode_ = code;
}

// ---- Folders, user and identity -------------------------------------------------------------------

std::string TPMInterface::RegistryValue(const char* value) const
{
    return RegReadString(RegistryRoot(), REGISTRY_KEY, value);
}

std::string TPMInterface::RegistryFolder(const char* value) const
{
    const std::string folder = RegistryValue(value);
    return folder.empty() ? folder : WithTrailingBackslash(folder);
}

std::string TPMInterface::FolderRequest(UINT request) const
{
    std::vector<char> buffer(FOLDER_BUFFER_SIZE, '\0');
    Request(request, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.back() = '\0'; // the answer is cut at its NUL, whatever the mail client wrote
    const std::string folder = CutAtNul(buffer);
    return folder.empty() ? folder : WithTrailingBackslash(folder);
}

std::string TPMInterface::GetBaseFolder()
{
    if (baseFolder_.empty())
        baseFolder_ = HostWindow() ? FolderRequest(REQ_BASE_FOLDER) : RegistryFolder("Basedir");
    return baseFolder_;
}

std::string TPMInterface::GetMailFolder()
{
    if (mailFolder_.empty())
        mailFolder_ = HostWindow() ? FolderRequest(REQ_MAIL_FOLDER) : RegistryFolder("Mailbox");
    if (mailFolder_.empty() && !HostWindow() && !mailFolderBrowsed_) {
        mailFolderBrowsed_ = true; // a user who cancelled is not asked again
        mailFolder_ = BrowseForMailFolder();
    }
    return mailFolder_;
}

std::string TPMInterface::BrowseForMailFolder() const
{
    constexpr uint16_t TEXT_CHOOSE_MAIL_FOLDER = 329;
    const std::string searchList
        = PMInterfaceRules::MailFolderSearchList(GetSpecialFolder(CSIDL_PROGRAM_FILES));
    const std::string title = Strings ? Strings->GetEntry(TEXT_CHOOSE_MAIL_FOLDER) : std::string();
    for (;;) {
        const std::string chosen = BrowseForFolderDialog(nullptr, searchList, HOST_PROGRAM, title);
        if (chosen.empty() || IsExistingFile(chosen + HOST_PROGRAM))
            return chosen;
    }
}

std::string TPMInterface::GetNewMailFolder()
{
    if (newMailFolder_.empty())
        newMailFolder_ = HostWindow() ? FolderRequest(REQ_NEW_MAIL_FOLDER) : RegistryFolder("Newmail");
    return newMailFolder_;
}

std::string TPMInterface::GetMailUserName()
{
    if (!HostWindow()) {
        constexpr uint16_t TEXT_DEFAULT_USER = 336;
        const std::string name = RegistryValue("Username");
        return name.empty() && Strings ? Strings->GetEntry(TEXT_DEFAULT_USER) : name;
    }
    std::vector<char> buffer(NAME_BUFFER_SIZE, '\0');
    Request(REQ_USER_NAME, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.back() = '\0';
    return CutAtNul(buffer);
}

std::string TPMInterface::GetIdentity() const
{
    return RegistryValue("Identity");
}

std::string TPMInterface::GetEditorIdentity(HWND editor)
{
    HWND window = ActiveEditorWindow(editor);
    HWND combo = window ? FindDescendantById(window, EDITOR_IDENTITY_CONTROL) : nullptr;
    return combo ? GetWindowTextStr(combo) : std::string();
}

// ---- Ini files ------------------------------------------------------------------------------------

std::string TPMInterface::ReadPMailIni(const std::string& section, const std::string& key)
{
    const std::string folder = GetNewMailFolder();
    if (folder.empty())
        return {};
    return TrimBlanks(TIniFile(folder + "PMail.ini").ReadString(section, key, ""));
}

std::string TPMInterface::ReadPegasusIni(const std::string& section, const std::string& key)
{
    const std::string folder = GetBaseFolder();
    if (folder.empty())
        return {};
    std::string value = TIniFile(folder + "Pegasus.ini").ReadString(section, key, "");
    if (value.empty())
        value = TIniFile(folder + "WinPMail.ini").ReadString(section, key, "");
    return TrimBlanks(value);
}

bool TPMInterface::IsDefaultIdentity(const std::string& identity) const
{
    const std::string defaultName = GetHostString(HOST_STRING_DEFAULT_IDENTITY);
    return TrimBlanks(identity).empty() || SameTextLocale(identity, defaultName)
        || SameTextIgnoreSymbols(identity, defaultName);
}

std::string TPMInterface::IdentitySection(const std::string& identity)
{
    return IsDefaultIdentity(identity) ? DEFAULT_SECTION : IDENTITY_SECTION_PREFIX + identity;
}

std::string TPMInterface::ReadIdentitySetting(const std::string& key, bool fromRegistry, HWND editor)
{
    // The session user's identity, also when elevated (the administrator's would be the wrong one).
    const std::string identity = fromRegistry ? GetIdentity() : GetEditorIdentity(editor);
    return ReadPMailIni(IdentitySection(identity), PMInterfaceRules::PaddedIdentityKey(key));
}

std::string TPMInterface::GetIdentityAddress(const std::string& identity)
{
    if (build_ >= BUILD_INTERNET_ADDRESS_KEY)
        return ReadPMailIni(
            IdentitySection(identity), PMInterfaceRules::PaddedIdentityKey("Internet E-mail Address"));
    const std::string section
        = IsDefaultIdentity(identity) ? DEFAULT_TCPIP_SECTION : IdentitySection(identity);
    return ReadPMailIni(section, PMInterfaceRules::PaddedIdentityKey("Alternative From: field for message"));
}

std::string TPMInterface::GetDefaultBcc(const std::string& identity)
{
    return ReadPMailIni(IdentitySection(identity), PMInterfaceRules::PaddedIdentityKey("Default BCC field"));
}

std::string TPMInterface::GetPrinterDeviceName()
{
    return ReadIdentitySetting("Printer device name", true, nullptr);
}

std::string TPMInterface::GetPrintingBanner()
{
    return ReadIdentitySetting("Printing banner", true, nullptr);
}

int TPMInterface::GetEditorTabWidth(HWND editor)
{
    const int value
        = ParseSettingNumber(ReadIdentitySetting("Styled message editor tab width (mm)", false, editor));
    return static_cast<int>(std::lround(value * 25.4));
}

std::string TPMInterface::GetAddressBookFolder()
{
    std::string folder = ReadPegasusIni("WinPMail 32-bit environment", "PMR");
    if (folder.empty()) {
        char value[MAX_PATH] = {};
        const DWORD n = GetEnvironmentVariableA("PMR", value, sizeof value);
        folder = n > 0 && n < sizeof value ? std::string(value, n) : std::string();
    }
    return folder;
}

std::string TPMInterface::FormatPrintingBanner(
    const std::string& address, const std::string& subject, const SYSTEMTIME& date)
{
    constexpr uint16_t TEXT_EMPTY_VALUE = 13;
    const std::string name = PMInterfaceRules::AddressNamePart(address);
    char time[32] = {};
    wsprintfA(time, "%u:%02u (UTC)", date.wHour, date.wMinute);
    const std::map<char, std::string> values = {
        { 'A', AnsiToUtf8(address) },
        { 'C', AnsiToUtf8(name.substr(0, name.find(' '))) },
        { 'D', AnsiToUtf8(FormatDate(date, 0, "d MMM yyyy")) },
        { 'F', AnsiToUtf8(name) },
        { 'L', "\r\n" },
        { 'P', AnsiToUtf8(GetHostSettingText(0, NAME_BUFFER_SIZE)) },
        { 'S', AnsiToUtf8(subject) },
        { 'T', time },
        { 'X', AnsiToUtf8(FormatDate(date, DATE_LONGDATE, nullptr)) },
    };
    const std::string empty = Strings ? Strings->GetEntry(TEXT_EMPTY_VALUE) : std::string();
    return PMInterfaceRules::ReplaceBannerCodes(AnsiToUtf8(GetPrintingBanner()), values, empty);
}

std::string TPMInterface::GetAddressBookFolders()
{
    return TrimBlanks(GetMailFolder() + "\n" + GetBaseFolder() + "\n" + GetAddressBookFolder());
}

std::string TPMInterface::GetAddressBookSettings()
{
    const std::string folder = GetMailFolder();
    if (folder.empty())
        return {};
    return PMInterfaceRules::AddressBookSettings(
        RawSectionLines(folder + "STATE.PMJ", "AddressBooks"), GetMailUserName(), IsHostV4());
}

std::string TPMInterface::GetSignatureText()
{
    constexpr int SETTING_SIGNATURE = 39, RECORD_SIGNATURE = 91;
    const int number = GetHostSetting(SETTING_SIGNATURE);
    if (number < 0)
        return {};
    std::vector<uint8_t> record(SIGNATURE_RECORD_SIZE, 0);
    Request(REQ_GET_SETTING, RECORD_SIGNATURE, reinterpret_cast<LPARAM>(record.data()));
    const int kind = record[SIGNATURE_KIND_OFFSET];
    const std::string name = PMInterfaceRules::SignatureFileName(number, kind);
    if (name.empty())
        return {};
    const std::string base = GetMailFolder() + name;
    // Kinds 2 and 4 may have a styled signature, taken as it is; the plain one is in the OEM set.
    if (kind == 2 || kind == 4) {
        if (IsExistingFile(base + ".PNS"))
            return ReadWholeFile(base + ".PNS");
    }
    std::string text = ReadWholeFile(base + ".PMS");
    if (!text.empty())
        OemToCharBuffA(text.c_str(), text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::string TPMInterface::GetPlaceholderMessage() const
{
    constexpr uint16_t TEXT_PLACEHOLDER_TO = 330, TEXT_PLACEHOLDER_SUBJECT = 331;
    if (!Strings)
        return "To: \r\nSubject: ";
    return "To: " + Strings->GetEntry(TEXT_PLACEHOLDER_TO)
        + "\r\nSubject: " + Strings->GetEntry(TEXT_PLACEHOLDER_SUBJECT);
}

// ---- Requests and settings ------------------------------------------------------------------------

HWND TPMInterface::GetHostWindow(WPARAM index) const
{
    return reinterpret_cast<HWND>(Request(REQ_HOST_WINDOW, index, 0));
}

int32_t TPMInterface::GetHostSetting(int index) const
{
    return static_cast<int32_t>(Request(REQ_GET_SETTING, index, 0));
}

void TPMInterface::SetHostSetting(int index, int32_t value) const
{
    Request(REQ_SET_SETTING, index, value);
}

std::string TPMInterface::GetHostSettingText(int index, size_t length) const
{
    std::vector<char> buffer(length + 1, '\0');
    Request(REQ_GET_SETTING, index, reinterpret_cast<LPARAM>(buffer.data()));
    buffer.back() = '\0';
    return CutAtNul(buffer);
}

const void* TPMInterface::GetHostRecord(int index) const
{
    return reinterpret_cast<const void*>(Request(REQ_HOST_RECORD, index, 0));
}

std::string TPMInterface::GetHostText(int n) const
{
    const char* text = reinterpret_cast<const char*>(Request(REQ_HOST_TEXT, n, 0));
    return text ? TrimBlanks(std::string(text, strnlen(text, HOST_TEXT_LIMIT))) : std::string();
}

std::string TPMInterface::GetHostString(UINT id) const
{
    return LoadStringText(languageLibrary_, id);
}

std::string TPMInterface::GetHostCharset() const
{
    constexpr int SETTING_CHARSET = 26;
    constexpr size_t CHARSET_LENGTH = 20;
    const std::string charset = GetHostSettingText(SETTING_CHARSET, CHARSET_LENGTH);
    return charset.empty() ? "WINDOWS-" + std::to_string(GetACP()) : charset;
}

bool TPMInterface::GetWordWrap() const
{
    return GetHostSetting(60) != 0;
}

void TPMInterface::SetWordWrap(bool on) const
{
    SetHostSetting(60, on ? 1 : 0);
}

bool TPMInterface::IsHostOption62() const
{
    return GetHostSetting(62) == 0 && (GetHostSetting(61) & 64) != 0;
}

bool TPMInterface::GetSetting86Bit0() const
{
    return (GetHostSetting(86) & 1) != 0;
}

void TPMInterface::SetSetting86Bit0(bool on) const
{
    const int32_t value = GetHostSetting(86);
    if (((value & 1) != 0) != on)
        SetHostSetting(86, on ? value | 1 : value & ~1);
}

bool TPMInterface::GetShowObjects() const
{
    return (GetHostSetting(88) & 0x1000) != 0;
}

bool TPMInterface::GetPrintHeader() const
{
    return (GetHostSetting(73) & 0x100) == 0;
}

bool TPMInterface::GetPrintFooter() const
{
    return (GetHostSetting(73) & 0x40) == 0;
}

int TPMInterface::GetPrintMode() const
{
    static constexpr int MODES[4] = { 1, 1, 2, 0 };
    return MODES[GetHostSetting(73) & 3];
}

void TPMInterface::GetPrintMargins(int& leftRight, int& topBottom) const
{
    leftRight = GetHostSetting(51);
    topBottom = GetHostSetting(50);
}

int TPMInterface::GetReplyPlacement(int& blockNumber) const
{
    const bool above = GetHostSetting(77) != 0, quoted = GetHostSetting(78) != 0;
    blockNumber = 0;
    if (quoted) {
        const std::string codes = GetHostSettingText(79, 64);
        if (codes.empty() && !above) {
            blockNumber = -1;
        } else {
            for (size_t at = codes.find("~L~L"); at != std::string::npos; at = codes.find("~L~L", at + 4))
                ++blockNumber;
        }
    }
    return (above ? 1 : 0) | (quoted ? 2 : 0);
}

THostFontDesc TPMInterface::HostFont(int index) const
{
    THostFontRecord record = {};
    Request(REQ_GET_SETTING, index, reinterpret_cast<LPARAM>(&record));
    record.Face[sizeof record.Face - 1] = '\0';
    THostFontDesc font;
    font.Name = record.Face;
    font.PointSize = record.Points;
    font.Style = record.Style;
    HDC screen = GetDC(nullptr);
    font.Height = -MulDiv(record.Points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return font;
}

THostFontDesc TPMInterface::GetMessageFont() const
{
    return HostFont(45);
}

THostFontDesc TPMInterface::GetPrinterFont() const
{
    return HostFont(48);
}

// ---- Status line and commands ---------------------------------------------------------------------

void TPMInterface::SetStatusText(const std::string& text) const
{
    Request(REQ_STATUS_TEXT, STATUS_TEXT, reinterpret_cast<LPARAM>(text.c_str()));
}

void TPMInterface::ClearStatusText() const
{
    Request(REQ_STATUS_TEXT, 0, 0);
    Request(REQ_STATUS_TEXT, 0, 0);
}

void TPMInterface::SetRoadStatusText(const std::string& text) const
{
    Request(REQ_STATUS_TEXT, STATUS_ROAD, reinterpret_cast<LPARAM>(text.c_str()));
}

void TPMInterface::PostHostCommand(WPARAM id) const
{
    if (HWND frame = GetHostWindow(HOST_WINDOW_FRAME))
        PostMessageA(frame, WM_COMMAND, id, 0);
}

bool TPMInterface::IsHostMenuItemChecked(UINT id) const
{
    auto checked = [id](HWND window) {
        HMENU menu = window ? GetMenu(window) : nullptr;
        const UINT state = menu ? GetMenuState(menu, id, MF_BYCOMMAND) : 0xFFFFFFFF;
        return state != 0xFFFFFFFF && (state & MF_CHECKED) != 0;
    };
    return checked(GetHostWindow(HOST_WINDOW_FRAME)) || checked(GetHostWindow(HOST_WINDOW_ACTIVE_CHILD));
}

void TPMInterface::SetHostMenuItemCheck(UINT id, bool on) const
{
    HWND frame = GetHostWindow(HOST_WINDOW_FRAME);
    if (HMENU menu = frame ? GetMenu(frame) : nullptr)
        CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

LRESULT TPMInterface::SendShutdownEvent(HWND pluginWindow, bool flag) const
{
    return SendMessageA(pluginWindow, WM_HOSTEVENT, EVENT_SHUTDOWN, flag ? 0 : 1);
}

// ---- Host windows ---------------------------------------------------------------------------------

HWND TPMInterface::WindowOfClass(HWND window, const char* classes) const
{
    if (!window)
        window = GetHostWindow(HOST_WINDOW_ACTIVE_CHILD);
    return window && PMInterfaceRules::IsClassInList(GetClassNameUpper(window), classes) ? window : nullptr;
}

HWND TPMInterface::ActiveFolderManager(HWND window) const
{
    return WindowOfClass(window, CLASS_FOLDER_MANAGER);
}

HWND TPMInterface::ActiveFolderWindow(HWND window) const
{
    return WindowOfClass(window, CLASS_FOLDER);
}

HWND TPMInterface::ActiveEditorWindow(HWND window) const
{
    return WindowOfClass(window, CLASS_EDITOR);
}

HWND TPMInterface::ActiveReaderWindow(HWND window) const
{
    HWND reader = WindowOfClass(window, "READER,WPMMDI");
    if (reader && PMInterfaceRules::IsClassInList(GetClassNameUpper(reader), CLASS_MDI_READER))
        return PMInterfaceRules::IsClassInList(
                   GetClassNameUpper(GetWindow(reader, GW_CHILD)), CLASS_MDI_READER_CONTENT)
            ? reader
            : nullptr;
    return reader;
}

bool TPMInterface::IsMailWindowActive() const
{
    HWND active = GetHostWindow(HOST_WINDOW_ACTIVE_CHILD);
    return WindowOfClass(active, "FOLMAN,FOLDER,EDMAIL,READER") || ActiveReaderWindow(active);
}

std::string TPMInterface::NewMailFolderName() const
{
    return GetHostString(IsHostV4() ? HOST_STRING_NEW_MAIL : HOST_STRING_NEW_MAIL_OLD);
}

HWND TPMInterface::MdiChildOfClass(const char* className, const std::string& titleStart) const
{
    HWND mdiClient = GetHostWindow(HOST_WINDOW_MDI_CLIENT);
    for (HWND child = mdiClient ? GetWindow(mdiClient, GW_CHILD) : nullptr; child;
         child = GetWindow(child, GW_HWNDNEXT))
        if (WindowOfClass(child, className)
            && GetWindowTextStr(child).compare(0, titleStart.size(), titleStart) == 0)
            return child;
    return nullptr;
}

HWND TPMInterface::NewMailFolderWindow() const
{
    const std::string name = NewMailFolderName();
    return name.empty() ? nullptr : MdiChildOfClass(CLASS_FOLDER, name);
}

HWND TPMInterface::OpenFolderManager() const
{
    return MdiChildOfClass(CLASS_FOLDER_MANAGER, "");
}

bool TPMInterface::IsNewMessageEditor(HWND window) const
{
    HWND editor = ActiveEditorWindow(window);
    if (!editor)
        return false;
    const std::string title = GetHostString(HOST_STRING_NEW_MESSAGE_TITLE);
    const std::string lead = title.substr(0, title.find("%d"));
    return !lead.empty() && SameTextLocaleN(GetWindowTextStr(editor), lead, static_cast<int>(lead.size()));
}

HWND TPMInterface::EditorMainPage(HWND editor) const
{
    constexpr uint16_t TEXT_MAIN_PAGE = 6;
    return Strings ? ParentOfCaptioned(editor, "STATIC", Strings->GetEntry(TEXT_MAIN_PAGE), true) : nullptr;
}

HWND TPMInterface::EditorOptionsPage(HWND editor) const
{
    constexpr uint16_t TEXT_OPTIONS_PAGE = 7;
    return Strings ? ParentOfCaptioned(editor, "BUTTON", Strings->GetEntry(TEXT_OPTIONS_PAGE), false)
                   : nullptr;
}

bool TPMInterface::IsReaderRaw(HWND window) const
{
    constexpr UINT RAW_VIEW = 153;
    HWND reader = ActiveReaderWindow(window);
    if (!IsHostV4())
        return reader && IsHostMenuItemChecked(RAW_VIEW);
    HWND target = window ? window : GetHostWindow(HOST_WINDOW_ACTIVE_CHILD);
    return target && IsWindowVisible(target) && !HasVisibleChild(target, "DHT_NTLBAR")
        && !HasVisibleChild(target, "DH_NTLBAR");
}

bool TPMInterface::IsReaderToolbarOn(HWND window) const
{
    constexpr UINT RAW_VIEW = 153;
    constexpr int MANY_BUTTONS = 10;
    HWND reader = ActiveReaderWindow(window);
    if (!IsHostV4()) {
        if (!reader)
            return true;
        if (FindWindowExA(reader, nullptr, "LDUWIN", nullptr) && !HasDisabledToolbarButton(reader))
            return false;
        return !IsHostMenuItemChecked(RAW_VIEW);
    }
    if (!reader)
        return false;
    if (!IsWindowVisible(reader))
        return true;
    HWND strip = FindWindowExA(reader, nullptr, "DHT_NTLBAR", nullptr);
    if (!strip)
        strip = FindWindowExA(reader, nullptr, "DH_NTLBAR", nullptr);
    return strip && IsWindowVisible(strip)
        && (CountDescendants(strip, "DH_BMBN", false) > MANY_BUTTONS
            || CountDescendants(strip, "BMBNDH", false) > MANY_BUTTONS);
}

bool TPMInterface::IsReaderPanelOn(HWND window) const
{
    HWND target = window ? window : GetHostWindow(HOST_WINDOW_ACTIVE_CHILD);
    return target && HasVisibleChild(target, "LDUWIN")
        && (IsHostV4() || CountDescendants(target, "DH_BMBN", true) == 0
            || CountDescendants(target, "BMBNDH", true) == 0);
}

// ---- Messages and editors -------------------------------------------------------------------------

int TPMInterface::OpenNewMessage(
    const std::string& recipient, const std::string& subject, const std::string& text) const
{
    HWND editor = reinterpret_cast<HWND>(Request(REQ_NEW_EDITOR, NEW_EDITOR_ALL_FIELDS, 0));
    if (!editor)
        return 0;
    SendMessageA(editor, WM_EDITOR_FIELD, EDITOR_TO, reinterpret_cast<LPARAM>(recipient.c_str()));
    SendMessageA(editor, WM_EDITOR_FIELD, EDITOR_SUBJECT, reinterpret_cast<LPARAM>(subject.c_str()));
    SendMessageA(editor, WM_EDITOR_FIELD, EDITOR_BODY, reinterpret_cast<LPARAM>(text.c_str()));
    PostMessageA(editor, WM_EDITOR_FIELD, EDITOR_COMMIT, 0);
    return -1;
}

std::string TPMInterface::AskHostForFolder() const
{
    std::vector<char> buffer(NAME_BUFFER_SIZE, '\0');
    if (Request(REQ_CHOOSE_FOLDER, 0, reinterpret_cast<LPARAM>(buffer.data())) == 0)
        return std::string(1, '\0');
    buffer.back() = '\0';
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return CutAtNul(buffer);
}

// The folder file (or TAB + folder for the new-mail folder) the mail client's answer names.
std::string TPMInterface::FolderFileOfAnswer(const std::string& answer)
{
    const std::string newMail = NewMailFolderName();
    if (!newMail.empty() && answer.compare(0, newMail.size(), newMail) == 0)
        return "\t" + GetNewMailFolder();
    const size_t colon = answer.find(':');
    if (colon == std::string::npos) {
        std::string tree = ReadPegasusIni("Systemwide Folders", "PublicTree");
        const size_t comma = tree.find(',');
        tree = comma == std::string::npos ? std::string() : tree.substr(comma + 1);
        tree = TrimCharSet(tree, TCharSet(" \t\""));
        tree = ReplaceAllStr(tree, "\\\\", "\\");
        return tree.empty() ? std::string() : WithTrailingBackslash(tree) + answer;
    }
    const size_t last = answer.find_last_of("\\:");
    const std::string fileName = answer.substr(last + 1);
    if (fileName.find('.') != std::string::npos)
        return answer.substr(colon + 1);
    const auto mailboxes = PMInterfaceRules::ParseMailboxIds(
        RawSectionLines(GetMailFolder() + "STATE.PMJ", "Mailbox_IDs"), GetMailFolder());
    for (const char* extension : { ".PMM", ".PMG" })
        for (const PMInterfaceRules::TMailboxEntry& mailbox : mailboxes)
            if (IsExistingFile(mailbox.Folder + fileName + extension))
                return mailbox.Folder + fileName + extension;
    return {};
}

void TPMInterface::ReadChosenFolder(
    const std::string& folder, std::string& name, bool& mailbox, std::string& text)
{
    constexpr size_t PMM_HEADER_SIZE = 128, PMG_NAME_SIZE = 260;
    if (folder[0] == '\t') {
        const std::string path = folder.substr(1);
        // The mail client did not say where its new mail is: searching "*.CNM" would read the
        // process's current folder instead.
        if (path.empty()) {
            ShowText(333, true);
            return;
        }
        std::string last = ExtractBaseName(path.substr(0, path.size() - 1));
        for (char& c : last)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        name = GetHostString(15) + " (" + last + ")";
        WIN32_FIND_DATAA found = {};
        HANDLE search = FindFirstFileA((path + "*.CNM").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return;
        do
            text += ReadWholeFile(path + found.cFileName) + '\x1A';
        while (FindNextFileA(search, &found));
        FindClose(search);
        return;
    }
    const std::string data = ReadWholeFile(folder);
    if (data.empty() && GetFileSizeByName(folder) != 0) {
        ShowText(334, true);
        return;
    }
    const bool isMailbox = SameTextLocale(GetFileExtension(folder), ".PMG");
    // The name field ends at its NUL and never runs past its field.
    const size_t field = std::min(data.size(), isMailbox ? PMG_NAME_SIZE : PMM_HEADER_SIZE);
    name = std::string(data.data(), strnlen(data.data(), field));
    if (isMailbox) {
        mailbox = true;
        const std::string mbx = ReplaceFileExtension(folder, ".MBX");
        text = ReadWholeFile(mbx);
        if (text.empty() && GetFileSizeByName(mbx) != 0)
            ShowText(334, true);
    } else {
        text = data.size() > PMM_HEADER_SIZE ? data.substr(PMM_HEADER_SIZE) : std::string();
    }
}

void TPMInterface::SelectFolder(std::string& name, bool& mailbox, std::string& text)
{
    name.clear();
    mailbox = false;
    text = AskHostForFolder();
    if (text == std::string(1, '\0'))
        return;
    const std::string folder = text.empty() ? std::string() : FolderFileOfAnswer(text);
    text.clear();
    if (folder.empty()) {
        ShowText(333, true);
        return;
    }
    HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    ReadChosenFolder(folder, name, mailbox, text);
    SetCursor(cursor);
    if (!name.empty() && text.empty())
        ShowText(335, false);
}

std::string TPMInterface::GetMbxFileName(const std::string& name)
{
    return GetMailFolder() + name + ".MBX";
}

int TPMInterface::MeasureHeaderLines()
{
    std::string name, text;
    bool mailbox = false;
    SelectFolder(name, mailbox, text);
    if (text.empty() || text == std::string(1, '\0'))
        return 0;
    return PMInterfaceRules::MeasureHeaderLines(text, mailbox);
}

void TPMInterface::ShowText(uint16_t id, bool error) const
{
    const std::string text = Strings ? Strings->GetEntry(id) : "(" + std::to_string(id) + ")";
    if (Prompt) {
        error ? Prompt->ShowError(text) : Prompt->ShowInformation(text);
        return;
    }
    MessageBoxA(GetHostWindow(HOST_WINDOW_FRAME), text.c_str(), "Selvadrin",
        MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

int TPMInterface::SetEditorValue12(const std::string& text) const
{
    constexpr WPARAM EDITOR_INSERT_TEXT = 12;
    HWND editor = ActiveEditorWindow(nullptr);
    if (!editor)
        return 0;
    SendMessageA(editor, WM_EDITOR_FIELD, EDITOR_COMMIT, 0);
    SendMessageA(editor, WM_EDITOR_FIELD, EDITOR_INSERT_TEXT, reinterpret_cast<LPARAM>(text.c_str()));
    // Let the editor take the text in before the caller goes on.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return -1;
}

void TPMInterface::SendFromEditor(bool plain, bool switchSettings)
{
    constexpr int SETTING_SEND_A = 32, SETTING_SEND_B = 80;
    HWND editor = ActiveEditorWindow(nullptr);
    if (!editor)
        return;
    if (!plain) {
        PostHostCommand(CMD_BEFORE_SEND_1);
        PostHostCommand(CMD_BEFORE_SEND_2);
        if (switchSettings)
            SendMessageA(editor, WM_EDITOR_FIELD, EDITOR_UNWRAPPED_SEND, 1);
    }
    // The two settings are the user's: they are back as they were whatever the send does.
    struct TRestore {
        const TPMInterface& Host;
        int32_t A, B;
        ~TRestore()
        {
            Host.SetHostSetting(SETTING_SEND_A, A);
            Host.SetHostSetting(SETTING_SEND_B, B);
        }
    } restore { *this, GetHostSetting(SETTING_SEND_A), GetHostSetting(SETTING_SEND_B) };
    if (switchSettings) {
        SetHostSetting(SETTING_SEND_A, 1);
        SetHostSetting(SETTING_SEND_B, 1);
    }
    SendMessageA(editor, WM_COMMAND, CMD_EDITOR_SEND, 0);
}

int TPMInterface::CleanQueueFolder()
{
    const std::string folder = GetMailFolder();
    // The subject line of the placeholder a cancelled send leaves in the queue.
    const std::string placeholder = GetPlaceholderMessage();
    const std::string subjectLine = placeholder.substr(placeholder.find("\r\nSubject: ") + 2);
    int count = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = folder.empty() ? INVALID_HANDLE_VALUE : FindFirstFileA((folder + "*.PM?").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsQueuedMessageName(found.cFileName))
                continue;
            const std::string name = folder + found.cFileName;
            // An unreadable file reads as empty here and stays counted: only a placeholder goes.
            if (IsQueuedPlaceholder(ReadWholeFile(name), subjectLine) && DeleteFileA(name.c_str()))
                continue;
            ++count;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RefreshQueueWindow();
    return count;
}

void TPMInterface::RefreshQueueWindow()
{
    HWND client = GetHostWindow(HOST_WINDOW_MDI_CLIENT);
    if (HWND queue = client ? FindWindowExA(client, nullptr, CLASS_QUEUE, nullptr) : nullptr)
        PostMessageA(queue, WM_QUEUE_REFRESH, 0, 0);
}

bool TPMInterface::RestartHost(const std::string& helperProgram, const std::string& identity, HWND frame)
{
    if (HostWindow()) {
        const std::string parameters = "PMRESTART " + identity + " "
            + std::to_string(reinterpret_cast<uintptr_t>(GetHostWindow(HOST_WINDOW_FRAME)));
        return StartProgram(helperProgram, parameters, SW_HIDE);
    }
    if (frame) {
        DWORD processId = 0;
        GetWindowThreadProcessId(frame, &processId);
        if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId)) {
            PostMessageA(frame, WM_CLOSE, 0, 0);
            const DWORD waited = WaitForSingleObject(process, RESTART_CLOSE_WAIT_MS);
            CloseHandle(process);
            if (waited == WAIT_TIMEOUT)
                return false;
        }
    }
    const std::string program = GetBaseFolder() + HOST_PROGRAM;
    const std::string parameters
        = PMInterfaceRules::RestartParameters(hostCommandLine_, program.size(), identity);
    return StartProgram(program, parameters, SW_SHOW);
}
