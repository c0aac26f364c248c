// Watchdog thread of a mail-client-requested decode.
#include "plugin/Watchdog.h"

#include "plugin/Guard.h"

bool TWatchdog::Start()
{
    Stop();
    dialog_.store(nullptr);
    stop_.store(false);
    event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!event_)
        return false;
    DWORD threadId = 0;
    thread_ = CreateThread(nullptr, 0, &TWatchdog::ThreadProc, this, 0, &threadId);
    if (!thread_) {
        CloseHandles();
        return false;
    }
    return true;
}

DWORD TWatchdog::Stop()
{
    if (!thread_)
        return 0;
    // Always wake the thread: the decode is over, and a later post could hit a stale window.
    SetEvent(event_);
    WaitForSingleObject(thread_, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeThread(thread_, &exitCode);
    CloseHandles();
    return exitCode;
}

void TWatchdog::DialogDestroyed(HWND dialog)
{
    if (dialog && dialog_.load() == dialog && event_)
        SetEvent(event_);
}

DWORD WINAPI TWatchdog::ThreadProc(LPVOID self)
{
    return Guarded("WatchdogThread", DWORD(0), [self] { return static_cast<TWatchdog*>(self)->Watch(); });
}

DWORD TWatchdog::Watch()
{
    const DWORD waited = WaitForSingleObject(event_, timeoutMs_);
    if (stop_.load())
        return 0;
    if (waited == WAIT_TIMEOUT) {
        if (HWND dialog = dialog_.load())
            PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
    return waited;
}

void TWatchdog::CloseHandles()
{
    if (thread_)
        CloseHandle(thread_);
    if (event_)
        CloseHandle(event_);
    thread_ = nullptr;
    event_ = nullptr;
}
