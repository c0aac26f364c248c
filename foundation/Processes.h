// Processes, tokens and impersonation: starting a program and waiting until it is ready, finding a
// top-level window by its process's file name, elevation, the interactive user's token and profile.
// Nothing here raises; optional system functions are bound at unit initialisation and may be absent.
#pragma once

#include <windows.h>

#include <profinfo.h>
#include <tlhelp32.h>

#include <cstdint>
#include <string>

// Owner of a kernel handle (process, token, snapshot). Null and INVALID_HANDLE_VALUE both mean
// "none"; Get() gives INVALID_HANDLE_VALUE for none, the value the token routines report.
class TKernelHandle {
public:
    TKernelHandle() noexcept = default;
    explicit TKernelHandle(HANDLE handle) noexcept
        : handle_(handle)
    {
    }
    ~TKernelHandle() { Close(); }
    TKernelHandle(TKernelHandle&& other) noexcept
        : handle_(other.Release())
    {
    }
    TKernelHandle& operator=(TKernelHandle&& other) noexcept;
    TKernelHandle(const TKernelHandle&) = delete;
    TKernelHandle& operator=(const TKernelHandle&) = delete;

    bool Valid() const noexcept { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const noexcept { return Valid(); }
    HANDLE Get() const noexcept { return Valid() ? handle_ : INVALID_HANDLE_VALUE; }
    HANDLE Release() noexcept;
    void Close() noexcept;

private:
    HANDLE handle_ = nullptr;
};

// The optional entry points of the unit; each stays null when its library or name is missing.
struct TProcessesApi {
    BOOL(WINAPI* LoadUserProfileA)(HANDLE Token, PROFILEINFOA* Info) = nullptr;
    BOOL(WINAPI* UnloadUserProfile)(HANDLE Token, HANDLE Profile) = nullptr;
    HWND(WINAPI* GetShellWindow)() = nullptr;
    BOOL(WINAPI* GetTokenInformation)
    (HANDLE Token, TOKEN_INFORMATION_CLASS Class, void* Info, DWORD Size, DWORD* Returned) = nullptr;
    DWORD(WINAPI* GetModuleFileNameExA)(HANDLE Process, HMODULE Module, char* Name, DWORD Size) = nullptr;
    DWORD(WINAPI* GetMappedFileNameA)(HANDLE Process, void* Address, char* Name, DWORD Size) = nullptr;
    DWORD(WINAPI* GetModuleBaseNameA)(HANDLE Process, HMODULE Module, char* Name, DWORD Size) = nullptr;
    // Only bound when the process-status library cannot be loaded.
    HANDLE(WINAPI* CreateToolhelp32Snapshot)(DWORD Flags, DWORD ProcessID) = nullptr;
    BOOL(WINAPI* Process32First)(HANDLE Snapshot, PROCESSENTRY32* Entry) = nullptr;
    BOOL(WINAPI* Process32Next)(HANDLE Snapshot, PROCESSENTRY32* Entry) = nullptr;
};

// Unit initialisation (loads every library from the system folder and binds; without it each
// library is bound when one of its functions is first wanted) and finalisation.
void InitProcesses();
void DoneProcesses();
// The bound entry points; tests empty single ones to take the fallback roads.
TProcessesApi& ProcessesApi();

// Criteria and result of FindProcessWindow.
struct TProcessWindowSearch {
    std::string ExeName; // compared ignoring case
    bool VisibleOnly = false;
    HWND Window = nullptr;
    DWORD ThreadID = 0;
    DWORD ProcessID = 0;
};

// ShellExecuteExA (no UI, waits for DDE); on success waits at most WaitSeconds for the new process
// to be idle for input and returns the instance value the call gave back; 0 on failure.
uintptr_t RunProgram(HWND Window, const std::string& Verb, const std::string& File,
    const std::string& Parameters, const std::string& Directory, int Show, uint32_t WaitSeconds);
// The base file name of the process's main module; empty when it cannot be read.
std::string GetProcessExeName(DWORD ProcessID);
// The first top-level window of another process whose exe name equals ExeName (ignoring case);
// true when found. The calling process's windows are never returned.
bool FindProcessWindow(const std::string& ExeName, bool VisibleOnly, TProcessWindowSearch& Search);

// The process that owns the shell window; 0 when there is none or the entry point is missing.
DWORD GetShellProcessID();
// The shell process's token (duplicate, impersonate, query); none when any step fails.
TKernelHandle GetShellProcessToken();
// True when the process's token is fully elevated; false for id 0 and on any failure.
bool IsProcessElevated(DWORD ProcessID);

// Token null or -1 means "no token": the routines below then do nothing and report failure (the
// current user's registry for a profile).

// The registry root of the user's profile; HKEY_CURRENT_USER when it cannot be loaded.
HKEY LoadUserProfileKey(HANDLE Token, const std::string& UserName);
// Unloads a profile root from LoadUserProfileKey; false for HKEY_CURRENT_USER or on failure.
bool UnloadUserProfileKey(HANDLE Token, HKEY Key);

// Owner of a loaded user profile: unloads it when it goes. Root() is HKEY_CURRENT_USER when the
// profile could not be loaded, so callers read the current user's registry instead.
class TUserProfileKey {
public:
    TUserProfileKey(HANDLE Token, const std::string& UserName);
    ~TUserProfileKey();
    TUserProfileKey(const TUserProfileKey&) = delete;
    TUserProfileKey& operator=(const TUserProfileKey&) = delete;

    HKEY Root() const noexcept { return root_; }

private:
    HANDLE token_;
    HKEY root_;
};

bool ImpersonateUser(HANDLE Token);
bool RevertImpersonation();
