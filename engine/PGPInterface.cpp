// The PGP interface's construction, request brackets, passphrase cache front, preferences and
// key-ring settings, status reporting, file wiping and PGP help. The key operations are in
// PGPInterfaceKeys.cpp.
#include "engine/PGPInterface.h"

#include "engine/KeyFuncs.h"
#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"
#include "foundation/BurnString.h"
#include "foundation/ZAVEKCommon.h"
#include "foundation/ZAVEKResources.h"
#include "foundation/ZAVEKResourcesParser.h"
#include "framework/Exceptions.h"

#include <shellapi.h>

#include <algorithm>

namespace {

// The working list's own selection: key ids, user ids, algorithms, certificate and key states.
constexpr uint32_t kWorkingListSelection = 0x240E01C3;

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string SystemFolder()
{
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    std::string result(folder, length < MAX_PATH ? length : 0);
    if (!result.empty() && result.back() != '\\')
        result += '\\';
    return result;
}

bool StartProgram(const std::string& program, const std::string& arguments)
{
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", program.c_str(),
        arguments.empty() ? nullptr : arguments.c_str(), nullptr, SW_SHOWNORMAL));
    return result > 32;
}

std::string FormatOne(const std::string& pattern, const std::string& value)
{
    std::string result = pattern;
    const size_t at = result.find("%s");
    if (at != std::string::npos)
        result.replace(at, 2, value);
    return result;
}

std::string PGPVersionOfLoader()
{
    if (!ClientLibVersion.empty())
        return ClientLibVersion;
    return SDKVersionText;
}

// Both checked before anything of the SDK is touched: a failed load means PGP is not available.
void RequireSDK()
{
    if (SDKLoadError != 0)
        throw EAbort();
}

TPrefsFile* SharedPrefsOfLoadedSDK()
{
    RequireSDK();
    return SharedPrefsFile();
}

std::unique_ptr<TSecureSdk> SecureSdkOfLoadedSDK()
{
    RequireSDK();
    return NewSdkSecure();
}

} // namespace

TPGPInterface::TPGPInterface(IKeyDialogAssist* keyDialogAssist, const TPGPErrorStrings& errorTexts,
    const TZAVEKStrings& texts, TMessageSink messages)
    : TPGPInterface(keyDialogAssist, errorTexts, texts, SharedPrefsOfLoadedSDK(), SecureSdkOfLoadedSDK(),
        std::move(messages))
{
}

TPGPInterface::TPGPInterface(IKeyDialogAssist* keyDialogAssist, const TPGPErrorStrings& errorTexts,
    const TZAVEKStrings& texts, TPrefsFile* prefs, std::unique_ptr<TSecureSdk> secureSdk, TMessageSink messages)
    : keyDialogAssist_(keyDialogAssist)
    , errorTexts_(errorTexts)
    , texts_(texts)
    , prefs_(prefs)
    , messages_(std::move(messages))
    , secureSdk_(std::move(secureSdk))
{
    RequireSDK();
    secure_ = std::make_unique<TSecure>(*secureSdk_, SDKGeneration, prefs_);
    keyList_ = std::make_unique<TKeyPropsList>(kWorkingListSelection);

    installFolder_ = PGPInstallPath;
    const std::string helpName = SDKGeneration < 2 ? "PGP.hlp" : "PGP.chm";
    helpFile_ = installFolder_ + helpName;
    if (!FileExists(helpFile_))
        helpFile_ = SystemFolder() + helpName;

    const std::string loaderVersion = PGPVersionOfLoader();
    versionText_ = "PGP " + loaderVersion;
    versionNumber_ = VersionTextToNumber(loaderVersion);
    versionClass_ = VersionClassOf(VersionMajor(versionNumber_), SDKGeneration);

    ReadStartSettings(prefs_, Comment, CacheSeconds, WipePasses);
    strongHashes_ = SDKGeneration > 5;
}

TPGPInterface::~TPGPInterface()
{
    // The cache is emptied whether or not the main object registered its callback.
    secure_->SetCacheSeconds(-1);
    keyList_.reset();
    secure_.reset();
}

// ---- Request brackets and the passphrase cache ----

void TPGPInterface::BeginCacheHold()
{
    if (!cacheCallback_)
        return; // no cache time is steered: nothing to hold
    if (cacheHolds_++ == 0)
        SetCacheTime(0);
}

void TPGPInterface::EndCacheHold()
{
    // Ending an inner hold would clear a passphrase the request still needs (with no time kept).
    if (cacheHolds_ > 0 && --cacheHolds_ > 0)
        return;
    // Only a configured time other than the one last applied is a change; the end of a hold that
    // drops a passphrase cached for one request is none.
    const bool changed = CacheSeconds != appliedCacheSeconds_;
    appliedCacheSeconds_ = CacheSeconds;
    SetCacheTime(CacheSeconds, changed);
}

void TPGPInterface::PurgePassphrase() { SetCacheTime(-1); }

void TPGPInterface::SetCacheTime(int32_t seconds, bool changed)
{
    if (!cacheCallback_)
        return;
    secure_->SetCacheSeconds(seconds);
    cacheCallback_(seconds, changed);
}

void TPGPInterface::SetCacheCallback(TCacheCallback callback)
{
    cacheCallback_ = std::move(callback);
    appliedCacheSeconds_ = CacheSeconds;
    SetCacheTime(CacheSeconds);
}

bool TPGPInterface::IsCacheEmpty() { return secure_->IsCacheEmpty(); }

void TPGPInterface::SetWatchRingFiles(bool watch) { KeyRings().WatchRingFiles = watch; }

// ---- Preferences, key rings and settings ----

int32_t TPGPInterface::LoadKeyRingPrefs() { return LastStatus = ReadKeyRingSettings(prefs_, KeyRingSettings); }

bool TPGPInterface::AskUntilRingsExist()
{
    for (;;) {
        const bool secretMissing = !FileExists(KeyRingSettings.SecretRing);
        const bool publicMissing = !FileExists(KeyRingSettings.PublicRing);
        if (!secretMissing && !publicMissing)
            return true;
        std::string names;
        if (secretMissing)
            names = texts_.GetEntry(147);
        if (publicMissing)
            names += (names.empty() ? "" : " + ") + texts_.GetEntry(148);
        if (!messages_(FormatOne(texts_.GetEntry(299), names), TMessageKind::QuestionYesDefault, 0))
            return false;
    }
}

int TPGPInterface::OpenKeyRings()
{
    AskUntilRingsExist();
    // The random seed file is not handed on: the SDK takes it from the same preferences it was
    // read from, and the key rings have no use of their own for it.
    LastStatus = KeyRings().SetRingFiles(KeyRingSettings.PublicRing, KeyRingSettings.SecretRing);
    const int count = FindSigningKeys("");
    int result = 0;
    if (count > 0) {
        const int index = DefaultKeyIndex(*keyList_, KeyRingSettings.DefaultKey);
        KeyRingSettings.DefaultKey = keyList_->Record(index).UserID + "\\" + (*keyList_)[index];
        result = 1;
        if (SDKGeneration > 3)
            for (int i = 0; i < keyList_->Count(); ++i)
                if (keyList_->Record(i).CertState > 1)
                    result = 2;
    }
    keyList_->Clear();
    return result;
}

int32_t TPGPInterface::GetKeyServer(TKeyServer& server) { return LastStatus = ReadKeyServer(prefs_, server); }

int32_t TPGPInterface::SetKeyServer(const TKeyServer& server)
{
    if (server.Protocol < 0)
        return LastStatus = kStatusBadKeyServer;
    return LastStatus = WriteKeyServer(prefs_, server);
}

void TPGPInterface::SetHashChoice(int32_t signAlg, bool ripeMD) { hashChoice_ = HashChoiceOf(signAlg, ripeMD, strongHashes_); }

void TPGPInterface::SetVersionText(const std::string& text) { outputVersionText_ = text.substr(0, 255); }

bool TPGPInterface::MarginalIsInvalid() { return ReadMarginalIsInvalid(prefs_); }

// ---- Status ----

std::string TPGPInterface::PGPErrorText(int32_t code) const
{
    if (code == kPGPError_UnsupportedAlgorithm && !unsupportedKeys_.empty())
        return unsupportedKeys_;
    const std::string own = errorTexts_.GetPGPErrorText(code);
    // The language file words the plug-in's own statuses; for the SDK's it may hold no more than
    // the number, and then the SDK's own text says what happened.
    const std::string number = std::to_string(code);
    if (own != "PGP error " + number + "." && own != UnknownPGPErrorText(code))
        return own;
    char text[512] {};
    if (!SDKProcs.PGPGetErrorString || SDKProcs.PGPGetErrorString(code, sizeof text, text) != 0 || !text[0])
        return own;
    return std::string(text) + " (PGP error " + number + ")";
}

bool TPGPInterface::ShowPGPError(int32_t code)
{
    if (code >= 0 || code == kStatusCancelled)
        return false;
    messages_(PGPErrorText(code), TMessageKind::Error, 0);
    return true;
}

// ---- Files and programs ----

bool TPGPInterface::WipeFile(const std::string& fileName)
{
    secure_->WipePasses = static_cast<uint32_t>(std::max(WipePasses, 0));
    const bool gone = secure_->WipeFile(fileName);
    LastStatus = gone ? kStatusOK : kStatusWipeFailed;
    return gone;
}

void TPGPInterface::BurnText(std::string& text) { FillString(text, '\xFF'); }

bool TPGPInterface::ShowPGPHelp(const std::string& topicName)
{
    const std::string topic = HelpTopicOf(versionClass_, topicName);
    if (topic.empty()) {
        LastStatus = kStatusNotAvailable;
        messages_(errorTexts_.GetPGPErrorText(kStatusNotAvailable) + " (" + versionText_ + ")", TMessageKind::Error, 0);
        return false;
    }
    bool shown = false;
    if (SDKGeneration < 2)
        shown = WinHelpA(nullptr, helpFile_.c_str(), HELP_PARTIALKEY, reinterpret_cast<ULONG_PTR>(topic.c_str()));
    else
        shown = StartProgram("HH.exe", "ms-its:" + helpFile_ + "::" + topic);
    LastStatus = shown ? kStatusOK : kStatusNotAvailable;
    return shown;
}

bool TPGPInterface::LaunchPGP()
{
    const TKeyManager& manager = KeyManagerOf(versionClass_);
    const bool started = StartProgram(installFolder_ + manager.Program + ".exe", manager.Argument);
    LastStatus = started ? kStatusOK : kStatusNotAvailable;
    return started;
}
