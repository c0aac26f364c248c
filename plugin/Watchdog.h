// The watchdog of a decode the mail client asked for: a thread that waits on an event and, when the
// passphrase dialog is left open too long while nobody types, posts WM_CLOSE to it. It touches only
// the event, the stop flag and the remembered dialog, and talks to the GUI thread only by posting.
#pragma once

#include <windows.h>

#include <atomic>

class TWatchdog {
public:
    static constexpr DWORD DEFAULT_TIMEOUT_MS = 20000;
    static constexpr DWORD CLOSED_ON_TIMEOUT = WAIT_TIMEOUT; // exit code when it closed the dialog

    explicit TWatchdog(DWORD timeoutMs = DEFAULT_TIMEOUT_MS)
        : timeoutMs_(timeoutMs)
    {
    }
    ~TWatchdog() { Stop(); }
    TWatchdog(const TWatchdog&) = delete;
    TWatchdog& operator=(const TWatchdog&) = delete;

    // Starts watching; false when the thread could not be started (the decode then runs unwatched).
    bool Start();
    // Ends the watch and returns the thread's exit code: 0 or WAIT_OBJECT_0 success, CLOSED_ON_TIMEOUT
    // when the dialog was closed on time-out.
    DWORD Stop();
    bool Running() const { return thread_ != nullptr; }

    // Called on the GUI thread by the hooks.
    void RememberDialog(HWND dialog) { dialog_.store(dialog); }
    void DialogDestroyed(HWND dialog);
    void UserTyping() { stop_.store(true); }

private:
    static DWORD WINAPI ThreadProc(LPVOID self);
    DWORD Watch();
    void CloseHandles();

    DWORD timeoutMs_;
    HANDLE event_ = nullptr;
    HANDLE thread_ = nullptr;
    std::atomic<bool> stop_ { false };
    std::atomic<HWND> dialog_ { nullptr };
};
