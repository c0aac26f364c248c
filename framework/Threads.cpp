// Worker threads: start, termination flag, waiting that keeps Synchronize alive, self-freeing,
// and the table of running threads for library tear-down.
#include "framework/Threads.h"

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Exceptions.h"

#include <algorithm>
#include <mutex>
#include <process.h>
#include <vector>

namespace {

struct Running {
    std::mutex lock;
    std::vector<TThread*> threads;
};

Running& RunningThreads()
{
    static Running running;
    return running;
}

} // namespace

DWORD WaitHandlingSentMessages(HANDLE handle, DWORD timeout)
{
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD left = INFINITE;
        if (timeout != INFINITE) {
            const DWORD spent = GetTickCount() - start;
            if (spent >= timeout)
                return WAIT_TIMEOUT;
            left = timeout - spent;
        }
        const DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1)
            return result;
        MSG message;
        // Peeking delivers the sent messages; nothing is taken from the queue.
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

TThread::TThread()
{
    Application().Utility().Handle();
    unsigned id = 0;
    handle_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &id));
    if (!handle_)
        throw EOSError(GetLastError(), "Cannot create a thread.");
    threadId_ = id;
}

TThread::~TThread()
{
    if (started_ && !finished_ && GetCurrentThreadId() != threadId_) {
        Terminate();
        WaitFor();
    }
    if (!started_) {
        // Never started: the suspended thread sees started_ false and ends at once.
        finished_ = true;
        ResumeThread(handle_);
        WaitForSingleObject(handle_, INFINITE);
    }
    CloseHandle(handle_);
}

void TThread::Start()
{
    if (started_)
        return;
    started_ = true;
    {
        std::lock_guard guard(RunningThreads().lock);
        RunningThreads().threads.push_back(this);
    }
    ResumeThread(handle_);
}

int TThread::WaitFor()
{
    if (GetCurrentThreadId() == Application().Utility().ThreadId())
        WaitHandlingSentMessages(handle_);
    else
        WaitForSingleObject(handle_, INFINITE);
    return returnValue_;
}

void TThread::DoTerminate()
{
    if (OnTerminate)
        Synchronize([this] { OnTerminate(*this); });
}

void TThread::Synchronize(const std::function<void()>& function)
{
    Application().Utility().Synchronize(function);
}

unsigned __stdcall TThread::ThreadProc(void* parameter)
{
    auto* thread = static_cast<TThread*>(parameter);
    if (!thread->started_)
        return 0;
    try {
        thread->Execute();
    } catch (...) {
        ReportBoundaryException("thread");
    }
    try {
        thread->DoTerminate();
    } catch (...) {
        ReportBoundaryException("thread end");
    }
    const bool freeSelf = thread->FreeOnTerminate;
    const int result = thread->returnValue_;
    {
        std::lock_guard guard(RunningThreads().lock);
        auto& threads = RunningThreads().threads;
        threads.erase(std::remove(threads.begin(), threads.end(), thread), threads.end());
        thread->finished_ = true;
    }
    if (freeSelf)
        delete thread;
    return static_cast<unsigned>(result);
}

void TThread::TerminateAndWaitAll() noexcept
{
    std::vector<HANDLE> handles;
    {
        std::lock_guard guard(RunningThreads().lock);
        for (TThread* thread : RunningThreads().threads) {
            thread->Terminate();
            HANDLE copy = nullptr;
            if (DuplicateHandle(
                    GetCurrentProcess(), thread->handle_, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0))
                handles.push_back(copy);
        }
    }
    for (HANDLE handle : handles) {
        WaitHandlingSentMessages(handle);
        CloseHandle(handle);
    }
}

int TThread::RunningCount() noexcept
{
    std::lock_guard guard(RunningThreads().lock);
    return static_cast<int>(RunningThreads().threads.size());
}
