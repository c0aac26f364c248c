// The stand-in mail client's dialog answerer: a timer that looks for dialogs of this thread whose
// caption contains a scripted text and clicks the scripted button, so that tests drive the
// plug-in's modal questions without any test hook in the plug-in.
#include "standins/host/Host.h"
#include "standins/host/HostLog.h"

#include <vector>

namespace {
struct TAnswer {
    std::string CaptionPart;
    int ButtonId;
};
std::vector<TAnswer> g_answers;

constexpr UINT_PTR ANSWER_TIMER = 0x4E53;
constexpr UINT ANSWER_PERIOD_MS = 100;

bool IsDialog(HWND window)
{
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    return lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window);
}

BOOL CALLBACK AnswerDialog(HWND window, LPARAM)
{
    if (!IsDialog(window))
        return TRUE;
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    for (const TAnswer& answer : g_answers) {
        if (std::string(caption).find(answer.CaptionPart) == std::string::npos)
            continue;
        g_log.Line("answered dialog \"%s\" with %d", caption, answer.ButtonId);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer.ButtonId, BN_CLICKED),
            reinterpret_cast<LPARAM>(GetDlgItem(window, answer.ButtonId)));
        break;
    }
    return TRUE;
}

void CALLBACK AnswerTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (!g_answers.empty())
        EnumThreadWindows(GetCurrentThreadId(), AnswerDialog, 0);
}
} // namespace

void AddDialogAnswer(const std::string& captionPart, int buttonId)
{
    g_answers.push_back({ captionPart, buttonId });
}

void StartDialogAnswerer(HWND timerWindow)
{
    SetTimer(timerWindow, ANSWER_TIMER, ANSWER_PERIOD_MS, AnswerTick);
}
