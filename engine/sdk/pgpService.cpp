// Starting the PGP SDK service when the SDK cannot reach its key store. The wait for the service is
// bounded (each sleep 10 ms to 1 s, 30 s in all) so a bogus wait hint cannot freeze the GUI thread.
#include "engine/sdk/pgpBase.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>

namespace {

struct ServiceManagerProcs {
    decltype(&OpenSCManagerA) openManager = nullptr;
    decltype(&OpenServiceA) openService = nullptr;
    decltype(&StartServiceA) startService = nullptr;
    decltype(&QueryServiceStatus) queryStatus = nullptr;
    decltype(&CloseServiceHandle) closeHandle = nullptr;

    bool Complete() const { return openManager && openService && startService && queryStatus && closeHandle; }
};

// Looked up in the already loaded advapi32, never loaded for this.
ServiceManagerProcs FindServiceManager()
{
    ServiceManagerProcs procs;
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    if (!advapi)
        return procs;
    auto find = [&](auto& variable, const char* name) {
        variable = reinterpret_cast<std::remove_reference_t<decltype(variable)>>(
            reinterpret_cast<void*>(GetProcAddress(advapi, name)));
    };
    find(procs.openManager, "OpenSCManagerA");
    find(procs.openService, "OpenServiceA");
    find(procs.startService, "StartServiceA");
    find(procs.queryStatus, "QueryServiceStatus");
    find(procs.closeHandle, "CloseServiceHandle");
    return procs;
}

constexpr DWORD kMinPollMs = 10;
constexpr DWORD kMaxPollMs = 1000;
constexpr DWORD kMaxWaitMs = 30000;

// Starts a stopped service and waits for it; true when it ends up running.
bool StartAndWait(const ServiceManagerProcs& procs, SC_HANDLE service)
{
    SERVICE_STATUS status {};
    if (!procs.queryStatus(service, &status) || status.dwCurrentState == SERVICE_RUNNING)
        return false;
    if (!procs.startService(service, 0, nullptr))
        return false;
    DWORD firstPoll = 0;
    bool polling = false;
    for (;;) {
        if (!procs.queryStatus(service, &status))
            return false;
        if (!polling) {
            firstPoll = GetTickCount();
            polling = true;
        }
        Sleep(std::clamp<DWORD>(status.dwWaitHint / 10, kMinPollMs, kMaxPollMs));
        if (status.dwCurrentState == SERVICE_RUNNING)
            return true;
        DWORD waited = GetTickCount() - firstPoll;
        if (waited > std::min<DWORD>(status.dwWaitHint, kMaxWaitMs))
            return false;
    }
}

bool StartThroughServiceManager(const ServiceManagerProcs& procs)
{
    SC_HANDLE manager = procs.openManager(nullptr, nullptr, GENERIC_EXECUTE);
    if (!manager)
        return false;
    const DWORD access = SERVICE_QUERY_STATUS | SERVICE_START;
    SC_HANDLE service = procs.openService(manager, "PGPSERV", access);
    if (!service)
        service = procs.openService(manager, "PGPSDKSERV", access);
    bool started = false;
    if (service) {
        started = StartAndWait(procs, service);
        procs.closeHandle(service);
    }
    procs.closeHandle(manager);
    return started;
}

bool StartThroughShell()
{
    auto run = [](const char* program) {
        return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", program, nullptr, nullptr, SW_SHOWDEFAULT)) > 32;
    };
    return run("PGPSERV.EXE") || run("PGPSDKSERV.EXE");
}

void DispatchPendingMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Sleep(0);
}

} // namespace

bool StartPGPService()
{
    OSVERSIONINFOA version {};
    version.dwOSVersionInfoSize = sizeof version;
    bool isNT = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    ServiceManagerProcs procs = FindServiceManager();
    bool started = isNT && procs.Complete() ? StartThroughServiceManager(procs) : StartThroughShell();
    DispatchPendingMessages();
    return started;
}
