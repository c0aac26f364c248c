// Start-up of the configuration object in its fixed order, its teardown in reverse, the companion
// library, and the command export bodies.
// The recipient list's headers come before <windows.h>, whose GetObject macro would rename a
// method they declare.
#include "plugin/RecipientsData.h"

#include "plugin/Configuration.h"

#include "engine/PGPInterface.h"
#include "engine/sdk/pgpBase.h"

#include "foundation/FileUtilsWin.h"
#include "foundation/StrUtil.h"
#include "foundation/Tidy.h"
#include "foundation/StrUtilWin.h"
#include "foundation/UTF8.h"
#include "foundation/ZAVEKCommon.h"
#include "plugin/DecryptPassphrase.h"
#include "plugin/Guard.h"
#include "plugin/InstallCommands.h"
#include "plugin/MessageFileIO.h"
#include "plugin/SessionUser.h"
#include "plugin/TERInterface.h"
#include "plugin/ZAVEKHelp.h"

#include <cctype>

#include <shellapi.h>
#include <shlobj.h>

namespace {

// Entries of the language texts the page commands show.
constexpr uint16_t TEXT_MANUAL_NOT_OPENED = 127;
constexpr uint16_t TEXT_PAGE_NOT_OPENED = 342;
constexpr uint16_t TEXT_HELP_NOT_SHOWN = 454;

constexpr const char* VERSION_TRANSLATION = "040904B0";
constexpr const char* DEFAULT_WINDOWS_USER = "DefaultUser";
// The language whose texts every install carries.
constexpr const char* DEFAULT_LANGUAGE = "en";

HMODULE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

std::string LoggedOnUserName()
{
    char name[256] = {};
    DWORD size = sizeof name;
    const std::string user = GetUserNameA(name, &size) ? std::string(name) : std::string();
    return user.empty() ? DEFAULT_WINDOWS_USER : user;
}

// The shared application-data folder + "ZAVEK\", created when missing; else the install folder.
std::string SharedDataFolder(const std::string& installFolder)
{
    const std::string shared = GetSpecialFolder(CSIDL_COMMON_APPDATA);
    if (shared.empty() || !IsExistingFolder(shared))
        return installFolder;
    const std::string folder = shared + "ZAVEK\\";
    if (IsExistingFolder(folder) || CreateDirectoryA(folder.c_str(), nullptr))
        return folder;
    return installFolder;
}

// Restores the current directory when it goes out of scope.
class TCurrentDirectory {
public:
    explicit TCurrentDirectory(const std::string& folder)
    {
        char previous[MAX_PATH] = {};
        const DWORD length = GetCurrentDirectoryA(MAX_PATH, previous);
        if (length > 0 && length < MAX_PATH)
            previous_ = previous;
        SetCurrentDirectoryA(folder.c_str());
    }
    ~TCurrentDirectory()
    {
        if (!previous_.empty())
            SetCurrentDirectoryA(previous_.c_str());
    }
    TCurrentDirectory(const TCurrentDirectory&) = delete;
    TCurrentDirectory& operator=(const TCurrentDirectory&) = delete;

private:
    std::string previous_;
};

} // namespace

TConfiguration::TConfiguration()
{
    {
        // An elevated process (the administrator program) still reads the facts of the desktop's user.
        TSessionUserScope asUser;
        windowsUser_ = LoggedOnUserName();
        windowsVersionText_ = ::WindowsVersionText(false, true, true, true);
        windowsVersion_ = VersionTextToNumber(::WindowsVersionText(true, true, false, false));
        fixedFontName_ = StockFixedFontName();
    }

    installFolder_ = WithTrailingBackslash(GetModuleFolder(ThisModule()));
    resourcesFolder_ = installFolder_ + "Resources\\";
    dataFolder_ = SharedDataFolder(installFolder_);
}

TConfiguration::~TConfiguration()
{
    ReleaseStartUpObjects();
}

bool TConfiguration::StartedForInstallation()
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring first = arguments && count > 1 ? arguments[1] : L"";
    LocalFree(arguments);
    std::wstring upper = first;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(towupper(c));
    return upper.find(L"USER") != std::wstring::npos || first == L"CLEANUP";
}

TZAVEKHelp& TConfiguration::HelpHandler()
{
    // Outside a start-up that made one, a handler of the moment serves the request.
    if (!helpHandler_)
        helpHandler_ = std::make_unique<TZAVEKHelp>(pluginWindow_, PMInterface().LanguageCode(), resourcesFolder_);
    return *helpHandler_;
}

void TConfiguration::ReleaseStartUpObjects() noexcept
{
    // Reverse order of creation, except that the texts go last: every other part may use them.
    // Freeing the PGP interface empties the passphrase cache.
    pgpInterface_.reset();
    helpHandler_.reset();
    autoList_.reset();
    pmInterface_.reset();
    editorInterface_.reset();
    pgpErrorTexts_.reset();
    texts_.reset();
    Close();
}

std::string TConfiguration::StockFixedFontName()
{
    LOGFONTA font = {};
    GetObjectA(GetStockObject(ANSI_FIXED_FONT), sizeof font, &font);
    const std::string face = font.lfFaceName;
    return lstrcmpiA(face.c_str(), "Courier") == 0 ? "Courier New" : face;
}

int TConfiguration::ProductVersionNumber(const std::string& versionText)
{
    std::string text = versionText.substr(0, versionText.find('/'));
    text = text.substr(0, text.find('b'));
    return VersionTextToNumber(text);
}

int TConfiguration::StartUp(HWND pluginWindow, HWND parentWindow)
{
    pluginWindow_ = pluginWindow;
    parentWindow_ = parentWindow;
    ReleaseStartUpObjects();
    failedLibrary_.clear();
    int code;
    try {
        code = RunStartUp();
    } catch (...) {
        code = STARTUP_EXCEPTION;
    }
    if (code == STARTUP_OK)
        return code;
    // Reported while the texts still exist, so that it shows in the plug-in's own dialog.
    if (code != STARTUP_FAILED_SILENTLY)
        ShowSystemErrorText(code);
    ReleaseStartUpObjects();
    return code;
}

void TConfiguration::ShowSystemErrorText(int code)
{
    char* text = nullptr;
    FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = text ? text : "Windows error " + std::to_string(code) + ".";
    if (text)
        LocalFree(text);
    // A library that would not load is named: the system's text alone does not say which.
    if (!failedLibrary_.empty()) {
        while (!message.empty() && std::isspace(static_cast<unsigned char>(message.back())))
            message.pop_back();
        message += "\r\n" + failedLibrary_;
    }
    ShowMessage(message, TMessageKind::Error);
}

int TConfiguration::RunStartUp()
{
    ReadVersionBlock();
    pmInterface_ = std::make_unique<TPMInterface>(parentWindow_, resourcesFolder_);

    CreateLanguageTexts(pmInterface_->LanguageCode());
    productInfo_.LanguageId = pmInterface_->LanguageId();
    pmInterface_->Strings = texts_.get();
    pmInterface_->PGPErrorStrings = pgpErrorTexts_.get();

    Open(pmInterface_->GetMailFolder());

    // Both libraries are optional: the mail client's folder may hold them or not.
    LoadTidyLibraryWhenNeeded(pmInterface_->GetBaseFolder());
    LoadIconvLibrary(pmInterface_->GetBaseFolder());

    if (FileName().empty()) {
        ShowMessage(texts_->GetEntry(TEXT_NO_MAIL_FOLDER), TMessageKind::Warning);
        return STARTUP_FAILED_SILENTLY;
    }
    // The administrator's own mail user sets up others; a fresh file there is not a new user's,
    // but it still starts from the PGP preferences.
    freshOptionsFile_ = NewFile();
    if (NewFile() && pmInterface_->GetMailUserName() == texts_->GetEntry(TEXT_ADMINISTRATOR))
        ClearNewFile();

    editorInterface_ = std::make_unique<TTERInterface>(pmInterface_->GetBaseFolder(), pmInterface_->HostBuild() > 4730);
    pmInterface_->EditorInterface = editorInterface_.get();

    // Set-up and clean-up run without help: their programs show no help pages.
    if (!StartedForInstallation())
        helpHandler_ = std::make_unique<TZAVEKHelp>(
            pluginWindow_, pmInterface_->LanguageCode(), resourcesFolder_, editorInterface_->Converter());

    if (parentWindow_)
        autoList_ = std::make_unique<TALInterface>(pmInterface_->GetMailFolder() + AUTO_LIST_FILE);
    // After a clean-up nothing may reach the key rings any more.
    if (NoPGP())
        return STARTUP_OK;
    CreatePGPInterface();
    if (!parentWindow_)
        return STARTUP_OK;
    RecoverLeftovers();
    return LoadCryptor();
}

void TConfiguration::RecoverLeftovers()
{
    RecoverMessageFolder(pmInterface_->GetMailFolder(),
        [this](const std::string& fileName) { return pgpInterface_->WipeFile(fileName); });
    RemoveOrphanedDecodedTempFolders();
}

void TConfiguration::CreatePGPInterface()
{
    // The key-selection dialogs' Help and F1 go to the plug-in's help handler like every dialog's.
    keyDialogAssist_ = std::make_unique<TKeyDialogAssist>([this](int context) { ShowHelpTopic(context); });
    pgpInterface_ = std::make_unique<TPGPInterface>(keyDialogAssist_.get(), *pgpErrorTexts_, *texts_,
        [this](const std::string& text, TMessageKind kind, int icon) { return ShowMessage(text, kind, icon); });
    // Every decode of this interface asks for its passphrase, whichever command runs it first.
    pgpInterface_->DecryptPassphraseAsk = SdkDecryptionPassphraseAsk([this] { return DialogOwner(); });
    productInfo_.ProductVersion += std::string(" (+ ") + SDKVersionText + ")";
    pgpInterface_->SetVersionText(productInfo_.ProductName + " " + productInfo_.ProductVersion);
    pgpInterface_->LoadKeyRingPrefs();
    // A fresh options file starts from what the PGP preferences say.
    if (freshOptionsFile_) {
        SetComment(pgpInterface_->Comment);
        SetStorePassphrase(pgpInterface_->CacheSeconds);
        SetWipeCount(pgpInterface_->WipePasses);
    }
    ApplyPGPSettings();
    if (autoList_) {
        autoList_->SetDefaultFlags(Values().FullAuto, Values().FullAutoSigned);
        TKeyRingKeySource keys;
        autoList_->MigrateAutoList(keys);
    }
}

namespace {
// An option that is set and differs wins; otherwise the option takes the interface's value.
template <class Setter> void ExchangeSetting(const std::string& option, std::string& interfaceValue, Setter set)
{
    if (!option.empty() && option != interfaceValue)
        interfaceValue = option;
    else
        set(interfaceValue);
}
} // namespace

void TConfiguration::ApplyPGPSettings()
{
    if (!pgpInterface_)
        return;
    TPGPInterface& pgp = *pgpInterface_;
    TKeyRingSettings& rings = pgp.KeyRingSettings;
    ExchangeSetting(Values().SecRing, rings.SecretRing, [this](const std::string& v) { SetSecRing(v); });
    ExchangeSetting(Values().PubRing, rings.PublicRing, [this](const std::string& v) { SetPubRing(v); });
    ExchangeSetting(Values().PGPGroup, rings.GroupsFile, [this](const std::string& v) { SetPGPGroup(v); });
    ExchangeSetting(Values().DefaultUser, rings.DefaultKey, [this](const std::string& v) { SetDefaultUser(v); });
    keyRingState_ = pgp.OpenKeyRings();
    SetDefaultUser(rings.DefaultKey);
    if (KeyServer().Protocol == -1)
        LoadKeyServerPrefs();
    pgp.Comment = Values().Comment;
    pgp.CacheSeconds = Values().StorePassphrase;
    pgp.WipePasses = Values().WipeCount;
    pgp.EndCacheHold();
}

void TConfiguration::LoadKeyServerPrefs()
{
    if (!pgpInterface_)
        return;
    TKeyServer server;
    const int32_t status = pgpInterface_->GetKeyServer(server);
    if (status == 0) {
        keyServer_.Protocol = server.Protocol;
        keyServer_.Host = server.Host;
        keyServer_.Port = server.Port;
        keyServer_.Flags = server.Flags;
    } else {
        pgpInterface_->ShowPGPError(status);
    }
}

void TConfiguration::SaveKeyServerPrefs()
{
    if (!pgpInterface_)
        return;
    TKeyServer server;
    server.Protocol = keyServer_.Protocol;
    server.Host = keyServer_.Host;
    server.Port = keyServer_.Port;
    server.Flags = keyServer_.Flags;
    const int32_t status = pgpInterface_->SetKeyServer(server);
    if (status != 0)
        pgpInterface_->ShowPGPError(status);
}

bool TConfiguration::ShowMessage(const std::string& text, TMessageKind kind, int icon)
{
    return ShowInterfaceMessage(text, kind, icon);
}

void TConfiguration::ReadVersionBlock()
{
    TVersionRecord record;
    record.FileName = GetModuleFileNameStr(ThisModule());
    record.Translation = VERSION_TRANSLATION;
    record.Flags = VersionLegalCopyright | VersionProductName | VersionProductVersion;
    if (!ReadVersionStrings(record))
        return;
    // The strings sit in flag order: Comments, CompanyName, FileDescription, FileVersion,
    // InternalName, LegalCopyright, LegalTrademarks, OriginalFilename, PrivateBuild, ProductName,
    // ProductVersion, SpecialBuild.
    productInfo_.LegalCopyright = record.Strings[5];
    productInfo_.ProductName = record.Strings[9];
    productInfo_.ProductVersion = record.Strings[10];
    if (!productInfo_.ProductVersion.empty()) {
        productText_ = "ZAVEK " + productInfo_.ProductVersion;
        productVersion_ = ProductVersionNumber(productInfo_.ProductVersion);
    }
}

void TConfiguration::CreateLanguageTexts(const std::string& hostLanguage)
{
    // A language without its own text files gets the English ones rather than no start-up.
    const std::string language
        = IsExistingFile(LanguageFileName(resourcesFolder_ + "ZAVEKStrings%s.txt", hostLanguage))
        ? hostLanguage
        : DEFAULT_LANGUAGE;
    pgpErrorTexts_ = std::make_unique<TPGPErrorStrings>(
        LanguageFileName(resourcesFolder_ + "PGPErrorStrings%s.txt", language));
    texts_ = std::make_unique<TZAVEKStrings>(resourcesFolder_ + "ZAVEKStrings%s.txt", language);
}

void TConfiguration::LoadHostSettings()
{
    if (!pmInterface_)
        return;
    hostSettings_.HeaderScanLines = pmInterface_->GetHostSetting(HOST_SETTING_HEADER_LINES);
    hostSettings_.EditMargin = pmInterface_->GetHostSetting(HOST_SETTING_EDIT_MARGIN);
}

void TConfiguration::SaveHostSettings()
{
    if (!pmInterface_)
        return;
    pmInterface_->SetHostSetting(HOST_SETTING_HEADER_LINES, hostSettings_.HeaderScanLines);
    pmInterface_->SetHostSetting(HOST_SETTING_EDIT_MARGIN, hostSettings_.EditMargin);
}

int TConfiguration::LoadCryptor()
{
    if (GetModuleHandleA(CRYPTOR_LIBRARY))
        return 0;
    TCurrentDirectory inInstallFolder(installFolder_);
    // Loaded for the life of the process; none of its functions is called.
    const std::string library = installFolder_ + CRYPTOR_LIBRARY;
    if (!LoadLibraryA(library.c_str())) {
        const int code = static_cast<int>(GetLastError());
        failedLibrary_ = library;
        return code;
    }
    return 0;
}

TPMInterface& TConfiguration::PMInterface() const
{
    if (!pmInterface_)
        throw ENotAvailable("the mail-client interface");
    return *pmInterface_;
}

TPGPInterface& TConfiguration::PGPInterface() const
{
    if (!pgpInterface_)
        throw ENotAvailable("the PGP interface");
    return *pgpInterface_;
}

const TZAVEKStrings& TConfiguration::Texts() const
{
    if (!texts_)
        throw ENotAvailable("the language texts");
    return *texts_;
}

TALInterface& TConfiguration::AutoList() const
{
    if (!autoList_)
        throw ENotAvailable("the recipient auto-list");
    return *autoList_;
}

void TConfiguration::UserSetup(const std::string& arguments)
{
    TConfigurationDialogs dialogs(*this);
    TUserInstallation(InstallSiteOf(*this), *this, Texts(), dialogs).UserSetup(arguments);
}

void TConfiguration::UserUpdate(const std::string& arguments)
{
    TConfigurationDialogs dialogs(*this);
    TUserInstallation(InstallSiteOf(*this), *this, Texts(), dialogs).UserUpdate(arguments);
}

void TConfiguration::UserUninstall()
{
    TConfigurationDialogs dialogs(*this);
    TUserInstallation(InstallSiteOf(*this), *this, Texts(), dialogs).UserUninstall();
}

void TConfiguration::RegisterUser()
{
    TConfigurationDialogs dialogs(*this);
    TUserInstallation(InstallSiteOf(*this), *this, Texts(), dialogs).RegisterUser(true);
}

void TConfiguration::Cleanup()
{
    TConfigurationDialogs dialogs(*this);
    TUserInstallation(InstallSiteOf(*this), *this, Texts(), dialogs).Cleanup();
}

void TConfiguration::RestartMailClient(const std::string& identity, HWND mailClient)
{
    restartStarted_ = PMInterface().RestartHost(installFolder_ + "ZAVEKHelper.exe", identity, mailClient);
}

void TConfiguration::SyncTimeElevated(HWND owner, bool show)
{
    ShellOpenFile(owner, "", installFolder_ + "ZAVEKAdmin.exe", show ? "SYNCTIME SHOW" : "SYNCTIME", show);
}

intptr_t TConfiguration::ImpersonateSessionUser()
{
    sessionUser_ = std::make_unique<TSessionUserScope>();
    if (sessionUser_->Impersonating())
        return reinterpret_cast<intptr_t>(sessionUser_->Token());
    sessionUser_.reset();
    return -1;
}

void TConfiguration::RevertImpersonation()
{
    sessionUser_.reset();
}

std::string TConfiguration::GetVersionInfoText() const
{
    return "\r\n\r\n" + windowsVersionText_ + "\r\n" + SDKVersionText + "\r\n"
        + (pmInterface_ ? pmInterface_->VersionText() : std::string());
}

void TConfiguration::OpenHtmlPage(const std::string& page)
{
    TSessionUserScope asUser;
    if (!HelpHandler().OpenHtmlPage(page))
        ShowMessage(page + "\r\n\r\n" + Texts().GetEntry(TEXT_PAGE_NOT_OPENED), TMessageKind::Error);
}

void TConfiguration::ShowPGPHelp(const std::string& topic)
{
    if (!pgpInterface_)
        return;
    TSessionUserScope asUser;
    pgpInterface_->ShowPGPHelp(topic);
}

void TConfiguration::ShowHelpTopic(int context)
{
    // Without a help file or a viewer for it a Help button would do nothing at all: say so instead.
    if (!HelpHandler().ShowTopic(context))
        ShowMessage(Texts().GetEntry(TEXT_HELP_NOT_SHOWN), TMessageKind::Error);
}

void TConfiguration::ShowManual(const std::string& topic)
{
    TSessionUserScope asUser;
    if (!HelpHandler().ShowManualPage(topic))
        ShowMessage(Texts().GetEntry(TEXT_MANUAL_NOT_OPENED), TMessageKind::Error);
}
