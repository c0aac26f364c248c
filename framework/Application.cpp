// Message pumps, the filter chain, the utility window and the application object.
#include "framework/Application.h"

#include "framework/Controls.h"
#include "framework/Exceptions.h"
#include "framework/Forms.h"
#include "framework/Subclassing.h"
#include "framework/Threads.h"

#include <algorithm>

namespace {

constexpr UINT WM_SYNCHRONIZE = WM_APP + 1;
constexpr UINT WM_POSTED_CALLS = WM_APP + 2;
constexpr char utilityClassName[] = "ZAVEKUtilityWindow";

} // namespace

// ---- MessageFilterChain ----

int MessageFilterChain::Add(Filter filter)
{
    filters_.emplace_back(nextId_, std::move(filter));
    return nextId_++;
}

void MessageFilterChain::Remove(int id) noexcept
{
    for (auto it = filters_.begin(); it != filters_.end(); ++it) {
        if (it->first == id) {
            filters_.erase(it);
            return;
        }
    }
}

bool MessageFilterChain::Run(MSG& message)
{
    // A filter may add or remove filters: run over a copy.
    const auto filters = filters_;
    for (const auto& [id, filter] : filters)
        if (filter(message))
            return true;
    return false;
}

// ---- UtilityWindow ----

UtilityWindow::~UtilityWindow()
{
    Destroy();
}

HWND UtilityWindow::Handle()
{
    if (handle_)
        return handle_;
    WNDCLASSA wc {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = FrameworkModule();
    wc.lpszClassName = utilityClassName;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw EOSError(GetLastError(), "Cannot register the utility window class.");
    handle_ = CreateWindowExA(
        0, utilityClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, FrameworkModule(), nullptr);
    if (!handle_)
        throw EOSError(GetLastError(), "Cannot create the utility window.");
    SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    threadId_ = GetCurrentThreadId();
    return handle_;
}

UINT_PTR UtilityWindow::StartTimer(UINT interval, std::function<void()> callback)
{
    const HWND window = Handle();
    const UINT_PTR id = nextTimer_++;
    if (!SetTimer(window, id, interval, nullptr))
        throw EOSError(GetLastError(), "Cannot start a timer.");
    timers_[id] = std::move(callback);
    return id;
}

void UtilityWindow::StopTimer(UINT_PTR id) noexcept
{
    if (timers_.erase(id) && handle_)
        KillTimer(handle_, id);
}

void UtilityWindow::Synchronize(const std::function<void()>& function)
{
    if (threadId_ == GetCurrentThreadId()) {
        function();
        return;
    }
    SyncCall call { &function, nullptr, false };
    if (!handle_ || !SendMessageA(handle_, WM_SYNCHRONIZE, 0, reinterpret_cast<LPARAM>(&call)) || !call.ran)
        throw EAbort();
    if (call.error)
        std::rethrow_exception(call.error);
}

void UtilityWindow::Post(std::function<void()> function)
{
    const HWND window = Handle();
    posted_.push_back(std::move(function));
    if (!PostMessageA(window, WM_POSTED_CALLS, 0, 0)) {
        posted_.pop_back();
        throw EOSError(GetLastError(), "Cannot post a call.");
    }
}

void UtilityWindow::Destroy() noexcept
{
    if (!handle_)
        return;
    for (const auto& timer : timers_)
        KillTimer(handle_, timer.first);
    timers_.clear();
    posted_.clear();
    DestroyWindow(handle_);
    handle_ = nullptr;
    UnregisterClassA(utilityClassName, FrameworkModule());
}

LRESULT CALLBACK UtilityWindow::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<UtilityWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, msg, wParam, lParam);
    if (msg == WM_SYNCHRONIZE) {
        auto* call = reinterpret_cast<SyncCall*>(lParam);
        try {
            (*call->function)();
        } catch (...) {
            call->error = std::current_exception();
        }
        call->ran = true;
        return 1;
    }
    if (msg == WM_POSTED_CALLS) {
        // A call may destroy this window: the waiting calls are taken out first.
        std::vector<std::function<void()>> calls;
        calls.swap(self->posted_);
        for (const auto& call : calls) {
            try {
                call();
            } catch (...) {
                ReportBoundaryException("posted call");
            }
        }
        return 0;
    }
    if (msg == WM_TIMER) {
        const auto it = self->timers_.find(wParam);
        if (it == self->timers_.end())
            return 0;
        // The callback may stop its own timer: keep a copy while it runs.
        const auto callback = it->second;
        try {
            callback();
        } catch (...) {
            ReportBoundaryException("timer");
        }
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

// ---- TApplication ----

TApplication& Application()
{
    static TApplication application;
    return application;
}

bool TApplication::Dispatch(MSG& message)
{
    if (message.message == WM_QUIT) {
        terminated_ = true;
        quitCode_ = static_cast<int>(message.wParam);
        PostQuitMessage(quitCode_);
        return false;
    }
    try {
        if (filters_.Run(message) || PreprocessDialogMessage(message))
            return true;
    } catch (...) {
        ReportBoundaryException("message filter");
        return true;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

bool TApplication::ProcessMessage()
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        return false;
    return Dispatch(message);
}

bool TApplication::ProcessMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        if (!Dispatch(message))
            return false;
    return true;
}

bool TApplication::HandleMessage()
{
    MSG message;
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == -1)
        return true;
    return Dispatch(message);
}

void TApplication::Shutdown() noexcept
{
    TThread::TerminateAndWaitAll();
    ReleaseWindows();
}

void TApplication::ReleaseWindows() noexcept
{
    utility_.Destroy();
    SubclassRegistry::RestoreAll();
}

// ---- cursor and screen ----

namespace {

int CALLBACK CollectFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM parameter)
{
    auto* names = reinterpret_cast<std::vector<std::string>*>(parameter);
    if (font->lfFaceName[0] != '@')
        names->emplace_back(font->lfFaceName);
    return 1;
}

} // namespace

TScreen& Screen()
{
    static TScreen screen;
    return screen;
}

void TScreen::SetCursor(int cursor)
{
    cursor_ = cursor;
    ::SetCursor(Cursors(cursor == crDefault ? crArrow : cursor));
}

HCURSOR TScreen::Cursors(int index) const
{
    static const std::map<int, LPCSTR> system {
        { crArrow, IDC_ARROW },
        { crCross, IDC_CROSS },
        { crIBeam, IDC_IBEAM },
        { crSizeAll, IDC_SIZEALL },
        { crSizeNESW, IDC_SIZENESW },
        { crSizeNS, IDC_SIZENS },
        { crSizeNWSE, IDC_SIZENWSE },
        { crSizeWE, IDC_SIZEWE },
        { crHourGlass, IDC_WAIT },
        { crNo, IDC_NO },
        { crAppStart, IDC_APPSTARTING },
        { crHelp, IDC_HELP },
        { crHandPoint, IDC_HAND },
    };
    if (const auto slot = slots_.find(index); slot != slots_.end())
        return slot->second;
    const auto known = system.find(index);
    return LoadCursorA(nullptr, known != system.end() ? known->second : IDC_ARROW);
}

void TScreen::SetCursors(int index, HCURSOR cursor)
{
    if (index <= 0)
        throw EInvalidOperation("Cursor slots start at 1.");
    slots_[index] = cursor;
}

RECT TScreen::WorkAreaRect() const
{
    return ScreenWorkArea(nullptr);
}

const std::vector<std::string>& TScreen::Fonts()
{
    if (fonts_.empty()) {
        const HDC dc = GetDC(nullptr);
        LOGFONTA query {};
        query.lfCharSet = DEFAULT_CHARSET;
        EnumFontFamiliesExA(dc, &query, CollectFamily, reinterpret_cast<LPARAM>(&fonts_), 0);
        ReleaseDC(nullptr, dc);
        std::sort(fonts_.begin(), fonts_.end());
        fonts_.erase(std::unique(fonts_.begin(), fonts_.end()), fonts_.end());
    }
    return fonts_;
}

CursorGuard::CursorGuard(int cursor)
    : previous_(Screen().Cursor())
{
    Screen().SetCursor(cursor);
}

CursorGuard::~CursorGuard()
{
    try {
        Screen().SetCursor(previous_);
    } catch (...) {
    }
}

RECT ScreenWorkArea(HWND window)
{
    MONITORINFO info {};
    info.cbSize = sizeof info;
    const HMONITOR monitor = window ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                                    : MonitorFromPoint(POINT { 0, 0 }, MONITOR_DEFAULTTOPRIMARY);
    if (GetMonitorInfoA(monitor, &info))
        return info.rcWork;
    RECT area {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}
