// The download library: one file over HTTP on a worker thread, trying a list of URLs in turn while
// the caller's window caption counts down the connection time-out; and whether a program shows a
// visible window. One download at a time: the download block is the library's one shared state.
#include "download/DownloadCaption.h"
#include "foundation/Processes.h"
#include "foundation/WinInetApi.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

namespace {

// Exit codes of the download thread.
enum : DWORD {
    DOWNLOAD_SAVED = 0,
    DOWNLOAD_NO_URL = 1,
    DOWNLOAD_NO_SESSION = 2,
    DOWNLOAD_NOT_OPENED = 3,
    DOWNLOAD_INCOMPLETE = 4,
    DOWNLOAD_NOT_WRITTEN = 5,
    DOWNLOAD_CANCELLED = 6,
};

constexpr DWORD COUNTDOWN_PERIOD_MS = 1000;
constexpr int COUNTDOWN_RESTART = 60;
constexpr DWORD CAPTION_SEND_TIMEOUT_MS = 1000;

struct TWebThreadParams {
    HWND Wnd;
    const char* Agent;
    const char* Urls; // each followed by a TAB
    const char* CaptionFmt; // one %s (host) and one %d (seconds), in that order
    const char* FileName;
};

struct TDownloadBlock {
    HWND Window = nullptr;
    std::string Agent, Urls, CaptionFormat, FileName;
    TWebHandles Handles;
    std::atomic<bool> Running { false };
    std::atomic<bool> Cancelled { false };

    std::mutex CaptionLock; // the fields below: the worker and the countdown timer share them
    std::string DisplayName;
    int SecondsLeft = 0;
    HANDLE Countdown = nullptr;
};

TDownloadBlock g_download;

std::string TextOf(const char* text)
{
    return text ? text : "";
}

// Shows the countdown in the caller's caption. The window belongs to the caller's thread: a caller
// that does not pump must not hang the download, so the text is sent with a time-out and the window
// is only invalidated (UpdateWindow from here would wait for the caller to paint); the caller's next
// pump paints it.
void UpdateCaption(TDownloadBlock& block)
{
    const std::string caption = FormatDownloadCaption(block.CaptionFormat, block.DisplayName, block.SecondsLeft);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(block.Window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()), SMTO_ABORTIFHUNG,
        CAPTION_SEND_TIMEOUT_MS, &ignored);
    RedrawWindow(block.Window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    block.SecondsLeft = block.SecondsLeft == 0 ? COUNTDOWN_RESTART : block.SecondsLeft - 1;
}

void CALLBACK CountdownTick(void* context, BOOLEAN)
{
    auto& block = *static_cast<TDownloadBlock*>(context);
    std::lock_guard guard(block.CaptionLock);
    UpdateCaption(block);
}

void StopCountdown(TDownloadBlock& block)
{
    HANDLE timer;
    {
        std::lock_guard guard(block.CaptionLock);
        timer = block.Countdown;
        block.Countdown = nullptr;
    }
    // Waits for a running tick, which needs the lock: so the lock is not held here.
    if (timer)
        DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE);
}

void CALLBACK WebStatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, void*, DWORD)
{
    if (context == 0)
        return;
    auto& block = *reinterpret_cast<TDownloadBlock*>(context);
    if (status == INTERNET_STATUS_HANDLE_CREATED) {
        StopCountdown(block);
        std::lock_guard guard(block.CaptionLock);
        block.SecondsLeft = static_cast<int>(ConnectTimeoutSeconds(handle));
        UpdateCaption(block);
        // A timer-queue timer rather than SetTimer: SetTimer on the caller's window works only on the
        // caller's thread, which runs none of our code while it waits; the caption still changes on
        // that thread, through WM_SETTEXT.
        CreateTimerQueueTimer(&block.Countdown, nullptr, CountdownTick, &block, COUNTDOWN_PERIOD_MS,
            COUNTDOWN_PERIOD_MS, WT_EXECUTEDEFAULT);
    } else if (status == INTERNET_STATUS_HANDLE_CLOSING) {
        StopCountdown(block);
        std::lock_guard guard(block.CaptionLock);
        block.SecondsLeft = 0;
        UpdateCaption(block);
    }
}

// Writes the whole body or nothing: a short or failed write leaves no file behind.
DWORD SaveBody(const std::string& fileName, const std::string& body)
{
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return DOWNLOAD_NOT_WRITTEN;
    DWORD written = 0;
    const bool complete = WriteFile(file, body.data(), static_cast<DWORD>(body.size()), &written, nullptr)
        && written == body.size();
    const bool closed = CloseHandle(file) != FALSE;
    if (complete && closed)
        return DOWNLOAD_SAVED;
    DeleteFileA(fileName.c_str());
    return DOWNLOAD_NOT_WRITTEN;
}

DWORD SaveUrlData(TDownloadBlock& block)
{
    std::string body;
    switch (ReadUrlBody(block.Handles.Request.load(), body)) {
    // A cancel that came while the body was read saves nothing: the caller was told it was cancelled.
    case TFetchResult::Ok: return block.Cancelled ? DOWNLOAD_CANCELLED : SaveBody(block.FileName, body);
    case TFetchResult::BadStatus: return DOWNLOAD_NOT_OPENED;
    default: return DOWNLOAD_INCOMPLETE;
    }
}

DWORD TryUrl(TDownloadBlock& block, const std::string& url)
{
    {
        std::lock_guard guard(block.CaptionLock);
        block.DisplayName = UrlHostName(url);
    }
    const TOpenSettings settings { block.Agent, WebStatusCallback, reinterpret_cast<DWORD_PTR>(&block), {} };
    switch (OpenUrlWithFallback(block.Handles, settings, url)) {
    case TFetchResult::Ok: break;
    case TFetchResult::NoSession: return DOWNLOAD_NO_SESSION;
    case TFetchResult::Cancelled: return DOWNLOAD_CANCELLED;
    default: return DOWNLOAD_NOT_OPENED;
    }
    const DWORD result = SaveUrlData(block);
    block.Handles.CloseAll();
    return result;
}

DWORD WINAPI DownloadThread(void* parameter)
{
    auto& block = *static_cast<TDownloadBlock*>(parameter);
    DWORD result = DOWNLOAD_NO_URL;
    try {
        TOfflineModeGuard online;
        std::string urls = block.Urls;
        while (!urls.empty()) {
            // A cancel between two URLs ends the list before the next one is asked.
            if (block.Cancelled) {
                result = DOWNLOAD_CANCELLED;
                break;
            }
            const std::string url = NextListItem(urls);
            if (url.empty())
                continue;
            result = TryUrl(block, url);
            // A file already saved stays the result: it is whole, and the code must say so.
            if (result != DOWNLOAD_SAVED && block.Cancelled)
                result = DOWNLOAD_CANCELLED;
            if (result == DOWNLOAD_SAVED || result == DOWNLOAD_CANCELLED)
                break;
        }
    } catch (...) {
        result = DOWNLOAD_INCOMPLETE;
    }
    block.Handles.CloseAll();
    StopCountdown(block);
    block.Running = false;
    return result;
}

// Handles the calling thread's messages until the thread ends. A WM_QUIT ends the wait at once when
// quitOnQuit is set, else only the current round; either way it is posted again afterwards: one
// taken off the queue and dropped would keep the caller's program running after it was told to end.
// True when the thread ended.
bool PumpUntilSignalled(HANDLE thread, bool quitOnQuit, int& quitCode, bool& quitSeen)
{
    for (;;) {
        const DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0)
            return true;
        if (wait != WAIT_OBJECT_0 + 1)
            return false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quitSeen = true;
                quitCode = static_cast<int>(message.wParam);
                if (quitOnQuit)
                    return false;
                break; // ends this round only
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

// No thread (what a refused CreateWebThread gives): nothing ended and nothing was saved, and the
// download another caller runs is left alone. ERROR_INVALID_HANDLE is not 0, the "saved" code.
DWORD NoThread()
{
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR_INVALID_HANDLE;
}

} // namespace

extern "C" {

HANDLE WINAPI CreateWebThread(const TWebThreadParams* params)
{
    if (!params)
        return nullptr;
    // The block is shared: a second download while one runs would overwrite the texts and handles
    // the first one's thread is using, so it is refused (ERROR_BUSY) rather than let in.
    if (g_download.Running.exchange(true)) {
        SetLastError(ERROR_BUSY);
        return nullptr;
    }
    // WinInet is bound at the first download rather than when the library loads, and stays bound
    // until the process ends: loading or freeing a library from DllMain, under the loader lock,
    // can deadlock the caller.
    if (!WinInetLoaded())
        LoadWinInetApi(false);
    g_download.Window = params->Wnd;
    g_download.Agent = TextOf(params->Agent);
    g_download.Urls = TextOf(params->Urls);
    g_download.CaptionFormat = TextOf(params->CaptionFmt);
    g_download.FileName = TextOf(params->FileName);
    g_download.Cancelled = false;
    HANDLE thread = CreateThread(nullptr, 0, DownloadThread, &g_download, CREATE_SUSPENDED, nullptr);
    if (!thread) {
        g_download.Running = false;
        return nullptr;
    }
    ResumeThread(thread);
    return thread;
}

DWORD WINAPI TerminateWebThread(HANDLE* thread)
{
    g_download.Cancelled = true;
    g_download.Handles.CloseAll();
    if (!thread || !*thread)
        return 0;
    DWORD code = 0;
    GetExitCodeThread(*thread, &code);
    CloseHandle(*thread);
    *thread = nullptr;
    return code;
}

DWORD WINAPI WaitForWebThread(HANDLE thread)
{
    if (!thread)
        return NoThread();
    int quitCode = 0;
    bool quitSeen = false;
    DWORD result = 0;
    if (!PumpUntilSignalled(thread, true, quitCode, quitSeen))
        result = TerminateWebThread(&thread);
    if (quitSeen)
        PostQuitMessage(quitCode);
    return result;
}

DWORD WINAPI FreeWebThread(HANDLE thread)
{
    if (!thread)
        return NoThread();
    int quitCode = 0;
    bool quitSeen = false;
    PumpUntilSignalled(thread, false, quitCode, quitSeen);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    if (quitSeen)
        PostQuitMessage(quitCode);
    return code;
}

int WINAPI FindProcess(const char* exeName)
{
    TProcessWindowSearch search;
    return exeName && FindProcessWindow(exeName, true, search) ? 1 : 0;
}
}
