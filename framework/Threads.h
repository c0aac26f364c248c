// `TThread`: a worker thread object. It is made suspended and runs Execute after Start. Synchronize
// hands a function to the GUI thread through the application's utility window, so it works inside
// any message loop. At library tear-down every running thread is told to stop and waited for.
#pragma once

#include <functional>

#include <windows.h>

class TThread {
public:
    // Construct on the GUI thread (it makes sure the utility window exists there).
    TThread();
    // A running thread is told to terminate and waited for.
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Start();
    void Resume() { Start(); }
    void Terminate() noexcept { terminated_ = true; }
    bool Terminated() const noexcept { return terminated_; }
    bool Finished() const noexcept { return finished_; }
    // Waits for the end (handling sent messages meanwhile, so Synchronize calls cannot deadlock);
    // returns ReturnValue.
    int WaitFor();

    HANDLE Handle() const noexcept { return handle_; }
    DWORD ThreadId() const noexcept { return threadId_; }
    int ReturnValue() const noexcept { return returnValue_; }

    // The object deletes itself when Execute has ended (set before Start).
    bool FreeOnTerminate = false;
    // Runs on the GUI thread after Execute.
    std::function<void(TThread&)> OnTerminate;

    // Terminates every running thread and waits for them (library tear-down).
    static void TerminateAndWaitAll() noexcept;
    static int RunningCount() noexcept;

protected:
    virtual void Execute() = 0;
    // Calls OnTerminate through Synchronize.
    virtual void DoTerminate();
    void Synchronize(const std::function<void()>& function);
    void SetReturnValue(int value) noexcept { returnValue_ = value; }

private:
    static unsigned __stdcall ThreadProc(void* parameter);

    HANDLE handle_ = nullptr;
    DWORD threadId_ = 0;
    volatile bool terminated_ = false;
    volatile bool finished_ = false;
    bool started_ = false;
    int returnValue_ = 0;
};

// Waits for a handle while handling messages sent to this thread.
DWORD WaitHandlingSentMessages(HANDLE handle, DWORD timeout = INFINITE);
