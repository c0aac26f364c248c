// Tests of Processes under Wine+Xvfb: starting a GUI child and finding its window by exe name,
// the calling process never found, the name fallbacks, and the token roads as Wine answers them.
#include "foundation/Processes.h"

#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const ChildExe = "procwin_child.exe";

bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Starts the child program and ends it again when it goes out of scope.
class TChildProgram {
public:
    explicit TChildProgram(const std::string& Arguments)
    {
        const std::string file = GetModuleFolder(nullptr) + ChildExe;
        Instance = RunProgram(nullptr, "open", file, Arguments, "", SW_SHOWNOACTIVATE, 10);
        FoundAtOnce = FindProcessWindow(ChildExe, false, Search);
        // Input idle is reached once the window exists; poll briefly in case the loader is slow.
        for (int i = 0; i < 50 && !FindProcessWindow(ChildExe, false, Search); ++i)
            Sleep(100);
    }
    ~TChildProgram()
    {
        if (!Search.ProcessID)
            return;
        TKernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, Search.ProcessID));
        PostMessageA(Search.Window, WM_CLOSE, 0, 0);
        if (process && WaitForSingleObject(process.Get(), 5000) != WAIT_OBJECT_0)
            TerminateProcess(process.Get(), 1);
    }
    TChildProgram(const TChildProgram&) = delete;
    TChildProgram& operator=(const TChildProgram&) = delete;

    uintptr_t Instance = 0;
    bool FoundAtOnce = false; // the window existed when RunProgram returned
    TProcessWindowSearch Search;
};

class ProcessesTest : public ::testing::Test {
protected:
    void SetUp() override { InitProcesses(); }
    void TearDown() override { DoneProcesses(); }
};

TEST_F(ProcessesTest, StartedChildIsFoundByExeNameInAnyLetterCase)
{
    TChildProgram child("visible");
    EXPECT_GT(child.Instance, 32u);
    EXPECT_TRUE(child.FoundAtOnce) << "RunProgram waits until the child is idle for input";
    ASSERT_NE(child.Search.Window, nullptr);
    EXPECT_EQ(GetClassNameUpper(child.Search.Window), "PROCWINCHILDCLASS");

    for (const char* name : { "procwin_child.exe", "PROCWIN_CHILD.EXE", "ProcWin_Child.Exe" }) {
        SCOPED_TRACE(name);
        TProcessWindowSearch search;
        ASSERT_TRUE(FindProcessWindow(name, true, search));
        EXPECT_EQ(search.ExeName, name);
        EXPECT_TRUE(search.VisibleOnly);
        EXPECT_EQ(search.ProcessID, child.Search.ProcessID);
        EXPECT_NE(search.ProcessID, GetCurrentProcessId());
        DWORD processID = 0;
        EXPECT_EQ(search.ThreadID, GetWindowThreadProcessId(search.Window, &processID));
        EXPECT_EQ(processID, search.ProcessID);
    }
}

TEST_F(ProcessesTest, VisibleOnlySkipsAProcessWithOnlyHiddenWindows)
{
    TChildProgram child("hidden");
    ASSERT_NE(child.Search.Window, nullptr); // found when hidden windows count
    TProcessWindowSearch search;
    EXPECT_FALSE(FindProcessWindow(ChildExe, true, search));
    EXPECT_EQ(search.Window, nullptr);
    EXPECT_EQ(search.ThreadID, 0u);
    EXPECT_EQ(search.ProcessID, 0u);
}

TEST_F(ProcessesTest, NeverReturnsAWindowOfTheCallingProcess)
{
    HWND own = CreateWindowA("STATIC", "own", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
        GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(own, nullptr);
    const std::string ownName = GetFileNamePart(GetModuleFileNameStr(nullptr));
    TProcessWindowSearch search;
    search.Window = own; // stale values are cleared
    search.ProcessID = 7;
    EXPECT_FALSE(FindProcessWindow(ownName, false, search));
    EXPECT_EQ(search.Window, nullptr);
    EXPECT_EQ(search.ProcessID, 0u);
    EXPECT_FALSE(FindProcessWindow("", false, search));
    DestroyWindow(own);
}

TEST_F(ProcessesTest, RunProgramReportsAMissingFileAsZero)
{
    EXPECT_EQ(
        RunProgram(nullptr, "open", GetModuleFolder(nullptr) + "no_such_program.exe", "", "", SW_SHOW, 1),
        0u);
}

TEST_F(ProcessesTest, ExeNameComesFromPsApiOrFromToolHelp)
{
    const std::string own = GetFileNamePart(GetModuleFileNameStr(nullptr));
    EXPECT_EQ(lstrcmpiA(GetProcessExeName(GetCurrentProcessId()).c_str(), own.c_str()), 0);
    EXPECT_EQ(GetProcessExeName(0xFFFFFFF0u), "");

    // The road taken where the process-status library is missing.
    TProcessesApi& api = ProcessesApi();
    api.GetModuleBaseNameA = nullptr;
    EXPECT_EQ(GetProcessExeName(GetCurrentProcessId()), ""); // tool-help not bound: nothing, no crash
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    api.CreateToolhelp32Snapshot = reinterpret_cast<decltype(api.CreateToolhelp32Snapshot)>(
        GetProcAddress(kernel32, "CreateToolhelp32Snapshot"));
    api.Process32First
        = reinterpret_cast<decltype(api.Process32First)>(GetProcAddress(kernel32, "Process32First"));
    api.Process32Next
        = reinterpret_cast<decltype(api.Process32Next)>(GetProcAddress(kernel32, "Process32Next"));
    EXPECT_EQ(lstrcmpiA(GetProcessExeName(GetCurrentProcessId()).c_str(), own.c_str()), 0);
    EXPECT_EQ(GetProcessExeName(0xFFFFFFF0u), "");

    TChildProgram child("visible");
    EXPECT_NE(child.Search.Window, nullptr) << "the window search works on the tool-help road too";
}

TEST_F(ProcessesTest, ElevationIsFalseForNoProcessAndWithoutTheEntryPoint)
{
    EXPECT_FALSE(IsProcessElevated(0));
    EXPECT_FALSE(IsProcessElevated(0xFFFFFFF0u));
    if (RunningUnderWine()) {
        EXPECT_TRUE(IsProcessElevated(GetCurrentProcessId())); // Wine reports every process fully elevated
    }
    ProcessesApi().GetTokenInformation = nullptr;
    EXPECT_FALSE(IsProcessElevated(GetCurrentProcessId()));
}

TEST_F(ProcessesTest, ShellTokenIsNoneWithoutAShellWindow)
{
    if (RunningUnderWine()) {
        EXPECT_EQ(GetShellProcessID(), 0u); // Wine has no shell window
        EXPECT_EQ(GetShellProcessToken().Get(), INVALID_HANDLE_VALUE);
    }
    ProcessesApi().GetShellWindow = nullptr;
    EXPECT_EQ(GetShellProcessID(), 0u);
    TKernelHandle token = GetShellProcessToken();
    EXPECT_FALSE(token);
    EXPECT_EQ(token.Get(), INVALID_HANDLE_VALUE);
}

// Working as the interactive user without its token: no impersonation, the current user's registry.
TEST_F(ProcessesTest, InteractiveUserRoadDegradesWithoutAToken)
{
    ProcessesApi().GetShellWindow = nullptr;
    TKernelHandle token = GetShellProcessToken();
    EXPECT_FALSE(ImpersonateUser(token.Get()));
    EXPECT_EQ(LoadUserProfileKey(token.Get(), GetNetworkUserName()), HKEY_CURRENT_USER);
    EXPECT_FALSE(UnloadUserProfileKey(token.Get(), HKEY_CURRENT_USER));
    TUserProfileKey profile(token.Get(), GetNetworkUserName());
    EXPECT_EQ(profile.Root(), HKEY_CURRENT_USER);
}

int ProfileCalls = 0;

BOOL WINAPI RefusingLoadUserProfile(HANDLE, PROFILEINFOA* Info)
{
    ++ProfileCalls;
    EXPECT_EQ(Info->dwSize, sizeof(PROFILEINFOA));
    EXPECT_EQ(Info->dwFlags, 1u); // no user interface
    return FALSE;
}

BOOL WINAPI RefusingUnloadUserProfile(HANDLE, HANDLE)
{
    ++ProfileCalls;
    return FALSE;
}

// -1 is also the current-process pseudo-handle: the "no token" value must not reach the system.
TEST_F(ProcessesTest, NoTokenNeverReachesTheSystem)
{
    TProcessesApi& api = ProcessesApi();
    api.LoadUserProfileA = RefusingLoadUserProfile;
    api.UnloadUserProfile = RefusingUnloadUserProfile;
    ProfileCalls = 0;
    for (HANDLE none : { INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr) }) {
        EXPECT_EQ(LoadUserProfileKey(none, "user"), HKEY_CURRENT_USER);
        EXPECT_FALSE(UnloadUserProfileKey(none, reinterpret_cast<HKEY>(0x1234)));
        EXPECT_FALSE(ImpersonateUser(none));
    }
    EXPECT_EQ(ProfileCalls, 0);

    HANDLE rawToken = nullptr;
    ASSERT_TRUE(
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_IMPERSONATE | TOKEN_DUPLICATE, &rawToken));
    TKernelHandle token(rawToken);
    EXPECT_EQ(LoadUserProfileKey(token.Get(), "user"), HKEY_CURRENT_USER); // refused: the current user
    EXPECT_FALSE(UnloadUserProfileKey(token.Get(), reinterpret_cast<HKEY>(0x1234)));
    EXPECT_EQ(ProfileCalls, 2);
}

TEST_F(ProcessesTest, ProfileWithoutUserEnvIsTheCurrentUser)
{
    TProcessesApi& api = ProcessesApi();
    api.LoadUserProfileA = nullptr;
    api.UnloadUserProfile = nullptr;
    HANDLE rawToken = nullptr;
    ASSERT_TRUE(
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_IMPERSONATE | TOKEN_DUPLICATE, &rawToken));
    TKernelHandle token(rawToken);
    EXPECT_EQ(LoadUserProfileKey(token.Get(), GetNetworkUserName()), HKEY_CURRENT_USER);
    EXPECT_FALSE(UnloadUserProfileKey(token.Get(), HKEY_CURRENT_USER));
    EXPECT_FALSE(UnloadUserProfileKey(token.Get(), reinterpret_cast<HKEY>(0x1234)));
}

TEST_F(ProcessesTest, OwnTokenImpersonatesAndReverts)
{
    HANDLE rawToken = nullptr;
    ASSERT_TRUE(
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_IMPERSONATE | TOKEN_DUPLICATE, &rawToken));
    TKernelHandle token(rawToken);
    EXPECT_TRUE(ImpersonateUser(token.Get()));
    EXPECT_TRUE(RevertImpersonation());
}

TEST(ProcessesUnitTest, AProgramThatDidNotInitialiseGetsTheBindingOnFirstUse)
{
    DoneProcesses();
    const std::string own = GetFileNamePart(GetModuleFileNameStr(nullptr));
    EXPECT_EQ(lstrcmpiA(GetProcessExeName(GetCurrentProcessId()).c_str(), own.c_str()), 0);
    EXPECT_NE(ProcessesApi().GetTokenInformation, nullptr);
    DoneProcesses();
}

TEST(KernelHandleTest, OwnsOneHandleAndTreatsBothSentinelsAsNone)
{
    TKernelHandle none(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(none);
    TKernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    HANDLE raw = event.Get();
    TKernelHandle moved(std::move(event));
    EXPECT_FALSE(event);
    EXPECT_EQ(moved.Get(), raw);
    none = std::move(moved);
    EXPECT_EQ(none.Get(), raw);
    none.Close();
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(raw, &flags)) << "closed by its owner";
}

} // namespace
