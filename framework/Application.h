// The application object of the GUI thread: message pumping that never swallows WM_QUIT, the
// message-filter chain, the owner window for forms without one, the hidden utility window that
// runs timers and thread synchronisation, and the screen cursor.
#pragma once

#include <exception>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

// Filters see every message our pumps take, in the order they were added, before it is dispatched.
// A filter that returns true has handled the message, which then goes no further.
class MessageFilterChain {
public:
    using Filter = std::function<bool(MSG&)>;
    int Add(Filter filter);
    void Remove(int id) noexcept;
    bool Run(MSG& message);
    int Count() const noexcept { return static_cast<int>(filters_.size()); }

private:
    std::vector<std::pair<int, Filter>> filters_;
    int nextId_ = 1;
};

// A message-only window on the GUI thread. It runs timer callbacks and the functions that worker
// threads hand to the GUI thread, so both work inside any message loop (ours or the host's).
class UtilityWindow {
public:
    UtilityWindow() = default;
    ~UtilityWindow();
    UtilityWindow(const UtilityWindow&) = delete;
    UtilityWindow& operator=(const UtilityWindow&) = delete;

    // Made on first use; the thread that makes it is the GUI thread.
    HWND Handle();
    DWORD ThreadId() const noexcept { return threadId_; }

    // Returns the timer's id (never 0).
    UINT_PTR StartTimer(UINT interval, std::function<void()> callback);
    void StopTimer(UINT_PTR id) noexcept;

    // Runs function on the GUI thread and waits for it; an exception it raises is raised here.
    // From the GUI thread itself it runs at once. Raises EAbort when there is no window (never made,
    // or gone at unload).
    void Synchronize(const std::function<void()>& function);
    // Runs function on the GUI thread (called there) once the message now handled has returned, from
    // whatever message loop runs next; what it raises is reported. Dropped when the window goes first.
    void Post(std::function<void()> function);

    void Destroy() noexcept;

private:
    struct SyncCall {
        const std::function<void()>* function;
        std::exception_ptr error;
        bool ran = false;
    };
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
    DWORD threadId_ = 0;
    std::map<UINT_PTR, std::function<void()>> timers_;
    UINT_PTR nextTimer_ = 1;
    std::vector<std::function<void()>> posted_;
};

class TApplication {
public:
    TApplication() = default;
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Forms made without an owner window are owned by this window (the plug-in's host window).
    HWND OwnerWindow() const noexcept { return ownerWindow_; }
    void SetOwnerWindow(HWND window) noexcept { ownerWindow_ = window; }

    MessageFilterChain& Filters() noexcept { return filters_; }
    UtilityWindow& Utility() noexcept { return utility_; }

    // Each pump re-posts a WM_QUIT it takes (so the thread's own loop still ends) and then stops.
    // Handles one waiting message; false when none waited or WM_QUIT was met.
    bool ProcessMessage();
    // Handles waiting messages until none is left; false when WM_QUIT was met.
    bool ProcessMessages();
    // Waits for one message and handles it; false when WM_QUIT was met.
    bool HandleMessage();
    // True once a pump met WM_QUIT.
    bool Terminated() const noexcept { return terminated_; }
    int QuitCode() const noexcept { return quitCode_; }

    int HintPause = 500;
    int HintHidePause = 2500;

    // At library tear-down: stops worker threads, then releases the windows.
    void Shutdown() noexcept;
    // Destroys our windows and gives every subclassed window its procedure back. It waits for no
    // thread and frees no library, so it may run where the loader lock is held.
    void ReleaseWindows() noexcept;

private:
    bool Dispatch(MSG& message);

    HWND ownerWindow_ = nullptr;
    MessageFilterChain filters_;
    UtilityWindow utility_;
    bool terminated_ = false;
    int quitCode_ = 0;
};

// The one application object of the library.
TApplication& Application();

// Cursor ids: negative ones are the system cursors; 1 and up are slots the program fills.
enum : int {
    crDefault = 0,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeAll = -22,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crHourGlass = -11,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
};

// The screen: a cursor that overrides every control's while it is set, cursor slots, the work
// area and the installed font families.
class TScreen {
public:
    int Cursor() const noexcept { return cursor_; }
    // Shows the cursor at once; crDefault hands the choice back to the controls.
    void SetCursor(int cursor);
    // The cursor of an id (a system cursor for negative ids; the arrow for an empty slot).
    HCURSOR Cursors(int index) const;
    // Fills a slot (1 and up) with a cursor the caller keeps alive (usually a resource).
    void SetCursors(int index, HCURSOR cursor);
    RECT WorkAreaRect() const;
    // Font family names, sorted, read once.
    const std::vector<std::string>& Fonts();

private:
    int cursor_ = crDefault;
    std::map<int, HCURSOR> slots_;
    std::vector<std::string> fonts_;
};

TScreen& Screen();

// Shows a cursor (the hourglass by default) on the screen while work runs and restores the
// previous screen cursor when it goes.
class CursorGuard {
public:
    explicit CursorGuard(int cursor = crHourGlass);
    ~CursorGuard();
    CursorGuard(const CursorGuard&) = delete;
    CursorGuard& operator=(const CursorGuard&) = delete;

private:
    int previous_;
};

// The work area of the monitor that holds the given window (the primary one for null).
RECT ScreenWorkArea(HWND window = nullptr);
