// Processes, tokens and impersonation over the Windows process, token and profile functions.
// The optional libraries are loaded from the system folder by full path and owned by the unit.
#include "foundation/Processes.h"

#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "framework/LibraryBinding.h"

// The functions are bound from PsApi.dll under their own names, not kernel32's K32 ones.
#define PSAPI_VERSION 1
#include <psapi.h>
#include <shellapi.h>
#include <userenv.h>

namespace {

constexpr DWORD ProcessNameAccess = 0x438; // query information, VM read/write/operation
constexpr DWORD ShellTokenAccess = TOKEN_DUPLICATE | TOKEN_IMPERSONATE | TOKEN_QUERY; // 14
constexpr ULONG RunMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI; // 0x540
constexpr DWORD ElevationTypeClass = 18; // TokenElevationType
constexpr DWORD ElevationTypeFull = 2;
constexpr DWORD ProfileNoUi = 1; // PI_NOUI
static_assert(sizeof(PROFILEINFOA) == 8 + 6 * sizeof(void*), "the profile record the system expects");

// The libraries of the unit, each bound on its own.
enum TLibraryGroup { ProfileLibrary, ShellLibrary, TokenLibrary, ProcessNameLibrary, LibraryGroupCount };

struct TProcessesUnit {
    TLibrary UserEnv;
    TLibrary User32;
    TLibrary Advapi32;
    TLibrary PsApi;
    TLibrary Kernel32;
    TProcessesApi Api;
    bool Bound[LibraryGroupCount] = {};
};

TProcessesUnit Unit;

void Bind(TLibraryGroup group)
{
    const std::string system = GetSystemFolder();
    TProcessesApi& api = Unit.Api;
    switch (group) {
    case ProfileLibrary: {
        Unit.UserEnv = TLibrary(system + "userenv.dll");
        const ProcBinding userEnv[] = { DECLARED_PROC(LoadUserProfileA, api.LoadUserProfileA),
            DECLARED_PROC(UnloadUserProfile, api.UnloadUserProfile) };
        BindProcs(Unit.UserEnv.Handle(), userEnv);
        break;
    }
    case ShellLibrary: {
        Unit.User32 = TLibrary(system + "user32.dll");
        const ProcBinding user32[] = { DECLARED_PROC(GetShellWindow, api.GetShellWindow) };
        BindProcs(Unit.User32.Handle(), user32);
        break;
    }
    case TokenLibrary: {
        Unit.Advapi32 = TLibrary(system + "advapi32.dll");
        const ProcBinding advapi32[] = { DECLARED_PROC(GetTokenInformation, api.GetTokenInformation) };
        BindProcs(Unit.Advapi32.Handle(), advapi32);
        break;
    }
    case ProcessNameLibrary:
        Unit.PsApi = TLibrary(system + "psapi.dll");
        if (Unit.PsApi) {
            const ProcBinding psApi[] = { DECLARED_PROC(GetModuleFileNameExA, api.GetModuleFileNameExA),
                DECLARED_PROC(GetMappedFileNameA, api.GetMappedFileNameA),
                DECLARED_PROC(GetModuleBaseNameA, api.GetModuleBaseNameA) };
            BindProcs(Unit.PsApi.Handle(), psApi);
        } else {
            Unit.Kernel32 = TLibrary(system + "kernel32.dll");
            const ProcBinding toolHelp[] = { DECLARED_PROC(CreateToolhelp32Snapshot, api.CreateToolhelp32Snapshot),
                DECLARED_PROC(Process32First, api.Process32First), DECLARED_PROC(Process32Next, api.Process32Next) };
            BindProcs(Unit.Kernel32.Handle(), toolHelp);
        }
        break;
    case LibraryGroupCount:
        break;
    }
}

// The bound entry points. Each library is loaded when one of its functions is first wanted: the
// plug-in's start-up only asks whether the process is elevated, and the profile and process-status
// libraries take milliseconds to load.
const TProcessesApi& Api(TLibraryGroup group)
{
    if (!Unit.Bound[group]) {
        Unit.Bound[group] = true;
        Bind(group);
    }
    return Unit.Api;
}

void BindAll()
{
    for (int group = 0; group < LibraryGroupCount; ++group)
        Api(static_cast<TLibraryGroup>(group));
}

// The "no token" values. -1 doubles as the current-process pseudo-handle, so it must never reach
// the system as a token.
bool IsNoToken(HANDLE Token)
{
    return Token == nullptr || Token == INVALID_HANDLE_VALUE;
}

const char* NullIfEmpty(const std::string& Text)
{
    return Text.empty() ? nullptr : Text.c_str();
}

// The file-name part of the process's image as the tool-help snapshot lists it.
std::string ExeNameFromSnapshot(DWORD ProcessID)
{
    const TProcessesApi& api = Api(ProcessNameLibrary);
    if (!api.CreateToolhelp32Snapshot || !api.Process32First || !api.Process32Next)
        return {};
    TKernelHandle snapshot(api.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return {};
    PROCESSENTRY32 entry {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = api.Process32First(snapshot.Get(), &entry); more;
         more = api.Process32Next(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == ProcessID) {
            entry.szExeFile[MAX_PATH - 1] = '\0';
            return GetFileNamePart(entry.szExeFile);
        }
    }
    return {};
}

struct TEnumState {
    TProcessWindowSearch* Search;
    DWORD OwnProcessID;
};

BOOL CALLBACK ProcessWindowStep(HWND Window, LPARAM Data)
{
    auto& state = *reinterpret_cast<TEnumState*>(Data);
    TProcessWindowSearch& search = *state.Search;
    try {
        if (search.VisibleOnly && !IsWindowVisible(Window))
            return TRUE;
        DWORD processID = 0;
        search.ThreadID = GetWindowThreadProcessId(Window, &processID);
        if (processID != state.OwnProcessID && processID != 0) {
            const std::string name = GetProcessExeName(processID);
            if (!name.empty() && lstrcmpiA(name.c_str(), search.ExeName.c_str()) == 0) {
                search.Window = Window;
                search.ProcessID = processID;
                return FALSE;
            }
        }
        search.ThreadID = 0;
        return TRUE;
    } catch (...) {
        search.ThreadID = 0;
        return FALSE; // out of memory: end the search, nothing found
    }
}

} // namespace

TKernelHandle& TKernelHandle::operator=(TKernelHandle&& other) noexcept
{
    if (this != &other) {
        Close();
        handle_ = other.Release();
    }
    return *this;
}

HANDLE TKernelHandle::Release() noexcept
{
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
}

void TKernelHandle::Close() noexcept
{
    if (Valid())
        CloseHandle(handle_);
    handle_ = nullptr;
}

void InitProcesses()
{
    Unit = TProcessesUnit {};
    BindAll();
}

void DoneProcesses()
{
    Unit = TProcessesUnit {};
}

TProcessesApi& ProcessesApi()
{
    BindAll();
    return Unit.Api;
}

uintptr_t RunProgram(HWND Window, const std::string& Verb, const std::string& File,
    const std::string& Parameters, const std::string& Directory, int Show, uint32_t WaitSeconds)
{
    SHELLEXECUTEINFOA info {};
    info.cbSize = sizeof(info);
    info.fMask = RunMask;
    info.hwnd = Window;
    info.lpVerb = NullIfEmpty(Verb);
    info.lpFile = File.c_str();
    info.lpParameters = NullIfEmpty(Parameters);
    info.lpDirectory = NullIfEmpty(Directory);
    info.nShow = Show;
    if (!ShellExecuteExA(&info))
        return 0;
    // A document handed to a program that already runs gives no process handle to wait on.
    TKernelHandle process(info.hProcess);
    if (process)
        WaitForInputIdle(process.Get(), WaitSeconds * 1000);
    return reinterpret_cast<uintptr_t>(info.hInstApp);
}

std::string GetProcessExeName(DWORD ProcessID)
{
    if (!Api(ProcessNameLibrary).GetModuleBaseNameA)
        return ExeNameFromSnapshot(ProcessID);
    TKernelHandle process(OpenProcess(ProcessNameAccess, FALSE, ProcessID));
    if (!process)
        return {};
    char name[MAX_PATH];
    const DWORD length = Api(ProcessNameLibrary).GetModuleBaseNameA(process.Get(), nullptr, name, MAX_PATH);
    return std::string(name, length < MAX_PATH ? length : 0);
}

bool FindProcessWindow(const std::string& ExeName, bool VisibleOnly, TProcessWindowSearch& Search)
{
    Search.ExeName = ExeName;
    Search.VisibleOnly = VisibleOnly;
    Search.Window = nullptr;
    Search.ThreadID = 0;
    Search.ProcessID = 0;
    if (ExeName.empty())
        return false;
    TEnumState state { &Search, GetCurrentProcessId() };
    EnumWindows(ProcessWindowStep, reinterpret_cast<LPARAM>(&state));
    return Search.Window != nullptr;
}

DWORD GetShellProcessID()
{
    if (!Api(ShellLibrary).GetShellWindow)
        return 0;
    HWND shell = Api(ShellLibrary).GetShellWindow();
    if (!shell)
        return 0;
    DWORD processID = 0;
    GetWindowThreadProcessId(shell, &processID);
    return processID;
}

TKernelHandle GetShellProcessToken()
{
    const DWORD processID = GetShellProcessID();
    if (processID == 0)
        return {};
    TKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processID));
    HANDLE token = nullptr;
    if (!process || !OpenProcessToken(process.Get(), ShellTokenAccess, &token))
        return {};
    return TKernelHandle(token);
}

bool IsProcessElevated(DWORD ProcessID)
{
    if (ProcessID == 0 || !Api(TokenLibrary).GetTokenInformation)
        return false;
    TKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, ProcessID));
    HANDLE rawToken = nullptr;
    if (!process || !OpenProcessToken(process.Get(), TOKEN_QUERY, &rawToken))
        return false;
    TKernelHandle token(rawToken);
    DWORD elevationType = 0;
    DWORD returned = 0;
    if (!Api(TokenLibrary).GetTokenInformation(token.Get(), static_cast<TOKEN_INFORMATION_CLASS>(ElevationTypeClass),
            &elevationType, sizeof(elevationType), &returned))
        return false;
    return returned == sizeof(elevationType) && elevationType == ElevationTypeFull;
}

HKEY LoadUserProfileKey(HANDLE Token, const std::string& UserName)
{
    if (IsNoToken(Token) || !Api(ProfileLibrary).LoadUserProfileA)
        return HKEY_CURRENT_USER;
    std::string name = UserName; // the call takes a writable text
    PROFILEINFOA info {};
    info.dwSize = sizeof(info);
    info.dwFlags = ProfileNoUi;
    info.lpUserName = name.data();
    if (!Api(ProfileLibrary).LoadUserProfileA(Token, &info) || !info.hProfile)
        return HKEY_CURRENT_USER;
    return static_cast<HKEY>(info.hProfile);
}

bool UnloadUserProfileKey(HANDLE Token, HKEY Key)
{
    if (Key == HKEY_CURRENT_USER || IsNoToken(Token) || !Api(ProfileLibrary).UnloadUserProfile)
        return false;
    return Api(ProfileLibrary).UnloadUserProfile(Token, Key) != FALSE;
}

TUserProfileKey::TUserProfileKey(HANDLE Token, const std::string& UserName)
    : token_(Token)
    , root_(LoadUserProfileKey(Token, UserName))
{
}

TUserProfileKey::~TUserProfileKey()
{
    UnloadUserProfileKey(token_, root_);
}

bool ImpersonateUser(HANDLE Token)
{
    return !IsNoToken(Token) && ImpersonateLoggedOnUser(Token) != FALSE;
}

bool RevertImpersonation()
{
    return RevertToSelf() != FALSE;
}
