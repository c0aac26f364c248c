// Drives the key selection dialog in tests: a timer of the dialog's own thread finds the dialog once
// it is shown and runs the test's actions on it (the dialog is modal, so nothing else could).
#pragma once

#include "engine/KeyDialog.h"

#include <windows.h>

#include <functional>
#include <string>

// Runs `act` on the key dialog once it is up, from a timer of the dialog's own thread.
class TDialogDriver {
public:
    explicit TDialogDriver(std::function<void(HWND dialog, HWND tree)> act)
    {
        Act() = std::move(act);
        timer_ = SetTimer(nullptr, 0, 30, &TDialogDriver::Tick);
    }
    ~TDialogDriver()
    {
        KillTimer(nullptr, timer_);
        Act() = nullptr;
    }
    TDialogDriver(const TDialogDriver&) = delete;
    TDialogDriver& operator=(const TDialogDriver&) = delete;

private:
    static std::function<void(HWND, HWND)>& Act()
    {
        static std::function<void(HWND, HWND)> act;
        return act;
    }
    static BOOL CALLBACK FindDialog(HWND window, LPARAM found)
    {
        char name[32] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::string(name) == "#32770" && IsWindowVisible(window) && GetDlgItem(window, kKeyDialogTree)) {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog || !Act())
            return;
        KillTimer(nullptr, timer);
        auto act = std::move(Act());
        Act() = nullptr;
        act(dialog, GetDlgItem(dialog, kKeyDialogTree));
    }

    UINT_PTR timer_ = 0;
};


// Cancels every key dialog the thread shows while it lives, for tests of callers that only need
// the user to decline; counts the dialogs it cancelled.
class TKeyDialogCanceller {
public:
    TKeyDialogCanceller()
    {
        Count() = 0;
        timer_ = SetTimer(nullptr, 0, 30, &TKeyDialogCanceller::Tick);
    }
    ~TKeyDialogCanceller() { KillTimer(nullptr, timer_); }
    TKeyDialogCanceller(const TKeyDialogCanceller&) = delete;
    TKeyDialogCanceller& operator=(const TKeyDialogCanceller&) = delete;

    int Cancelled() const { return Count(); }

private:
    static int& Count()
    {
        static int count = 0;
        return count;
    }
    static BOOL CALLBACK CancelDialog(HWND window, LPARAM)
    {
        char name[32] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::string(name) == "#32770" && IsWindowVisible(window) && GetDlgItem(window, kKeyDialogTree)) {
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            ++Count();
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
    }

    UINT_PTR timer_ = 0;
};
