// The SDK loader on Windows: loads the five libraries by full path in their fixed order, starts the
// SDK, reads the generation from the core's version resource, and unloads in reverse. It runs once
// on first use (never inside DllMain); a failure is shown once and leaves every binding empty.
#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>

TLibrary SDKLibraries[kSDKLibraryCount];

namespace {

// The SDK's clean-up, kept only after an init that succeeded; it survives a failed load, which
// empties the procedure table, so the unload still balances the init.
PGPError(PGP_CDECL* sdkCleanup)() = nullptr;

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Loads `name` from the first folder that has it, by full path, so the search path can never
// supply another copy. Returns false when no folder has a loadable one.
bool LoadFromFolders(SDKLibrary library, const std::vector<std::string>& folders, const char* name)
{
    for (const auto& folder : folders) {
        std::string path = folder + name;
        if (!FileExists(path))
            continue;
        TLibrary loaded(path);
        if (loaded) {
            SDKLibraries[library] = std::move(loaded);
            SDKLibraryNames[library] = path;
            return true;
        }
    }
    return false;
}

template <class Function> void BindCore(Function*& variable, const char* name)
{
    const ProcBinding row[] = { BindProc(name, variable) };
    BindProcs(SDKLibraries[kCoreLibrary].Handle(), row);
}

std::vector<char> VersionInfoOf(SDKLibrary library)
{
    if (SDKLibraryNames[library].empty())
        return {};
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(SDKLibraryNames[library].c_str(), &ignored);
    std::vector<char> info(size);
    if (size == 0 || !GetFileVersionInfoA(SDKLibraryNames[library].c_str(), 0, size, info.data()))
        return {};
    return info;
}

std::string FolderWithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder;
}

std::function<void(const char*)> fatalShower;

// The steps of the load in order; returns the fatal code of the first that fails, or 0.
int32_t LoadSteps(const SDKLoadPlan& plan)
{
    if (!LoadFromFolders(kCoreLibrary, plan.folders, "PGPSDK.dll")
        && !LoadFromFolders(kCoreLibrary, plan.folders, "PGP_SDK.dll"))
        return 1;
    BindCore(SDKProcs.PGPsdkInit, "PGPsdkInit");
    BindCore(SDKProcs.PGPsdkCleanup, "PGPsdkCleanup");
    if (!SDKProcs.PGPsdkInit || SDKProcs.PGPsdkInit(SDKInitFlags) != kPGPError_NoErr)
        return 7;
    sdkCleanup = SDKProcs.PGPsdkCleanup;
    if (DetectSDKVersion() == 0)
        return 8;
    if (SDKGeneration >= 2)
        BindCore(SDKProcs.PGPsdkReconnect, "PGPsdkReconnect");
    PGPError versionStatus = kPGPError_NotImplemented;
    if (SDKGeneration == 1) {
        BindCore(SDKProcs.PGPGetSDKString, "PGPGetSDKString");
        if (SDKProcs.PGPGetSDKString)
            versionStatus = SDKProcs.PGPGetSDKString(SDKVersionText);
    } else {
        BindCore(SDKProcs.PGPGetPGPsdkVersionString, "PGPGetPGPsdkVersionString");
        if (SDKProcs.PGPGetPGPsdkVersionString)
            versionStatus = SDKProcs.PGPGetPGPsdkVersionString(SDKVersionText);
    }
    SDKVersionText[sizeof SDKVersionText - 1] = 0;
    if (versionStatus != kPGPError_NoErr)
        std::strcpy(SDKVersionText, "N/A");
    BindCore(SDKProcs.PGPGetErrorString, "PGPGetErrorString");
    if (!LoadFromFolders(kNetworkLibrary, plan.folders, "PGPsdkNL.dll"))
        return 2;
    if (!LoadFromFolders(kUILibrary, plan.folders, "PGPsdkUI.dll"))
        return 3;
    bool olderClient = SDKGeneration >= 2 && SDKGeneration <= 4;
    if (!LoadFromFolders(kClientLibrary, plan.folders, olderClient ? "PGPclientLib.dll" : "PGPcl.dll"))
        return 4;
    if (!LoadFromFolders(kSupportLibrary, plan.folders, "PGPsc.dll"))
        return 5;
    PGPInstallPath = ReadPGPInstallPath(SDKGeneration < 3 ? "Software\\Network Associates\\PGP"
                                                          : "Software\\PGP Corporation\\PGP");
    ClientLibVersion = GetClientLibVersion();
    return 0;
}

std::once_flag sdkOnce;

} // namespace

void EnsurePGPsdk()
{
    std::call_once(sdkOnce, [] {
        LoadPGPsdk();
        BindPGPsdk();
    });
}

void ReleasePGPsdk()
{
    UnbindPGPsdk();
    UnloadPGPsdk();
}

void LoadPGPsdk()
{
    SDKLoadPlan plan;
    plan.folders.push_back(GetLibraryFolder());
    for (const char* key : { "Software\\PGP Corporation\\PGP", "Software\\Network Associates\\PGP" }) {
        std::string folder = ReadPGPInstallPath(key);
        if (!folder.empty())
            plan.folders.push_back(FolderWithSlash(folder));
    }
    // Last, where a search by bare name would also have found them; by full path all the same,
    // so that the current folder never supplies a library.
    const std::string systemFolder = SystemFolderPath("");
    if (!systemFolder.empty())
        plan.folders.push_back(systemFolder);
    plan.showFatal = [](const char* text) {
        MessageBoxA(nullptr, text, "ZAVEK: fatal error in the PGP binding", MB_OK | MB_ICONERROR);
    };
    LoadPGPsdkWith(plan);
}

void LoadPGPsdkWith(const SDKLoadPlan& plan)
{
    SDKGeneration = 0;
    SDKLoadError = 0;
    SDKVersionText[0] = 0;
    fatalShower = plan.showFatal;
    int32_t code = LoadSteps(plan);
    if (code != 0) {
        ShowSDKFatalError(code);
        SDKProcs = PGPsdkProcs {};
    }
    fatalShower = nullptr;
}

void UnloadPGPsdk()
{
    if (sdkCleanup)
        sdkCleanup();
    sdkCleanup = nullptr;
    for (int library : { kSupportLibrary, kClientLibrary, kUILibrary, kNetworkLibrary, kCoreLibrary }) {
        SDKLibraries[library].Free();
        SDKLibraryNames[library].clear();
    }
    SDKProcs = PGPsdkProcs {};
    PGPInstallPath.clear();
    ClientLibVersion.clear();
}

uint8_t DetectSDKVersion()
{
    SDKGeneration = GenerationOfVersion(ParseMajorMinor(GetSDKProductVersion()));
    return SDKGeneration;
}

int32_t ShowSDKFatalError(int32_t code)
{
    SDKLoadError = code;
    if (fatalShower)
        fatalShower(SDKFatalErrorText(code));
    return -1;
}

std::string ReadPGPInstallPath(const char* key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &handle) != ERROR_SUCCESS)
        return {};
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    DWORD type = 0;
    LONG status = RegQueryValueExA(handle, "InstallPath", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    return std::string(value, strnlen(value, std::min<DWORD>(size, MAX_PATH)));
}

std::string GetSDKProductVersion()
{
    std::vector<char> info = VersionInfoOf(kCoreLibrary);
    char* value = nullptr;
    UINT length = 0;
    if (info.empty()
        || !VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\ProductVersion", reinterpret_cast<void**>(&value),
                           &length)
        || !value)
        return {};
    return std::string(value, strnlen(value, length));
}

std::string GetClientLibVersion()
{
    std::vector<char> info = VersionInfoOf(kClientLibrary);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (info.empty() || !VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed
        || length < sizeof(VS_FIXEDFILEINFO))
        return {};
    char text[40];
    wsprintfA(text, "%d.%d.%d", HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
              HIWORD(fixed->dwProductVersionLS));
    return text;
}

std::string GetLibraryFolder()
{
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&GetLibraryFolder), &self))
        return {};
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}
