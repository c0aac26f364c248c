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

