// The stand-in mail client's dialog answerer: a timer that looks for dialogs of this thread whose
// caption contains a scripted text and clicks the scripted button, so that tests drive the
// plug-in's modal questions without any test hook in the plug-in. A button is named by its dialog
// id, or by its caption (without '&') for windows that are not system dialogs, like the plug-in's
// own forms. "keys:K1,K2,..." instead types those virtual keys into the window's focused control,
// once (a user moving through a list and pressing Enter); "once:CAPTION" clicks that button once
// (a button that opens another window, like Help, which a person presses only once). A window is answered only once it takes
// input as a person would use it: enabled (no nested modal window over it), the button enabled, and
// for keys its focus inside it; until then its rules wait for a later tick, so that a slow machine
// never has an answer land on a window that is not ready and get lost.
#include "standins/host/Host.h"
#include "standins/host/HostLog.h"

#include <cstring>
#include <vector>

namespace {
struct TAnswer {
    std::string CaptionPart;
    int ButtonId;             // 0 when the button is named by its caption
    std::string ButtonCaption;
    std::vector<WORD> Keys;   // typed instead of a click, by a rule that is then used up
    bool Once = false;        // a click by a rule that is then used up
    bool Used = false;
};

constexpr const char* KEYS_PREFIX = "keys:";
constexpr const char* ONCE_PREFIX = "once:";

std::vector<WORD> ParseKeys(const std::string& list)
{
    std::vector<WORD> keys;
    for (size_t at = 0; at < list.size();) {
        const size_t comma = list.find(',', at);
        keys.push_back(static_cast<WORD>(std::stoi(list.substr(at, comma - at))));
        at = comma == std::string::npos ? list.size() : comma + 1;
    }
    return keys;
}

// The window's focused control (or the window itself when it holds the focus); null while the
// focus is elsewhere, as between a dialog's showing and its activation.
HWND FocusInside(HWND window)
{
    HWND focus = GetFocus();
    return focus && (focus == window || IsChild(window, focus)) ? focus : nullptr;
}

void TypeKeys(HWND target, const std::vector<WORD>& keys)
{
    for (WORD key : keys) {
        PostMessageA(target, WM_KEYDOWN, key, 1);
        PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    }
}
std::vector<TAnswer> g_answers;

constexpr UINT_PTR ANSWER_TIMER = 0x4E53;
constexpr UINT ANSWER_PERIOD_MS = 100;

bool IsDialog(HWND window)
{
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    return lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window);
}

std::string WithoutAccelerators(const std::string& text)
{
    std::string plain;
    for (char c : text)
        if (c != '&')
            plain += c;
    return plain;
}

struct TButtonSearch {
    std::string Caption;
    HWND Found = nullptr;
};

BOOL CALLBACK FindButtonByCaption(HWND child, LPARAM search)
{
    auto& wanted = *reinterpret_cast<TButtonSearch*>(search);
    char text[128] = {};
    GetWindowTextA(child, text, sizeof text);
    if (IsWindowVisible(child) && IsWindowEnabled(child) && WithoutAccelerators(text) == wanted.Caption) {
        wanted.Found = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectText(HWND child, LPARAM texts)
{
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    const std::string kind = className;
    if (kind != "Static" && kind.find("Rich") == std::string::npos && kind.find("RICH") == std::string::npos)
        return TRUE;
    char text[2048] = {};
    GetWindowTextA(child, text, sizeof text);
    auto& all = *reinterpret_cast<std::string*>(texts);
    for (const char* c = text; *c; ++c)
        if (*c != '\r')
            all += *c == '\n' ? ' ' : *c;
    if (*text)
        all += ' ';
    return TRUE;
}

// The dialog as a person saw it: its text in the log, and a picture when pictures are asked for.
void Picture(HWND window, const char* caption)
{
    std::string texts;
    EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&texts));
    g_log.Line("dialog text \"%s\": %s", caption, texts.c_str());
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    CaptureIntoFolder(caption);
}

bool ReadyForInput(HWND window, const TAnswer& answer)
{
    return IsWindowEnabled(window) && (answer.Keys.empty() || FocusInside(window));
}

// Clicks the scripted button of a matching window; true when it did.
bool Answer(HWND window, const char* caption, TAnswer& answer)
{
    if (!answer.Keys.empty()) {
        answer.Used = true;
        g_log.Line("answered dialog \"%s\" with keys", caption);
        TypeKeys(FocusInside(window), answer.Keys);
        return true;
    }
    if (answer.ButtonId != 0) {
        HWND button = GetDlgItem(window, answer.ButtonId);
        if (!IsDialog(window) || (button && !IsWindowEnabled(button)))
            return false;
        Picture(window, caption);
        g_log.Line("answered dialog \"%s\" with %d", caption, answer.ButtonId);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer.ButtonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return true;
    }
    TButtonSearch search { answer.ButtonCaption };
    EnumChildWindows(window, FindButtonByCaption, reinterpret_cast<LPARAM>(&search));
    if (!search.Found)
        return false;
    Picture(window, caption);
    g_log.Line("answered dialog \"%s\" with %s", caption, answer.ButtonCaption.c_str());
    answer.Used = answer.Once;
    PostMessageA(search.Found, BM_CLICK, 0, 0);
    return true;
}

BOOL CALLBACK AnswerDialog(HWND window, LPARAM)
{
    if (!IsWindowVisible(window))
        return TRUE;
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    for (TAnswer& answer : g_answers) {
        if (answer.Used || std::string(caption).find(answer.CaptionPart) == std::string::npos)
            continue;
        if (ReadyForInput(window, answer)) {
            if (Answer(window, caption, answer))
                break;
            continue;
        }
        // As a person clicks on a window before typing into it (another program may hold the
        // focus): activated now, typed into on a later tick.
        if (!answer.Keys.empty() && IsWindowEnabled(window))
            SetActiveWindow(window);
        // A later rule must not answer in place of one that waits for the window to be ready.
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

void AddDialogAnswer(const std::string& captionPart, const std::string& button)
{
    if (button.rfind(KEYS_PREFIX, 0) == 0) {
        g_answers.push_back({ captionPart, 0, std::string(), ParseKeys(button.substr(std::strlen(KEYS_PREFIX))) });
        return;
    }
    if (button.rfind(ONCE_PREFIX, 0) == 0) {
        g_answers.push_back({ captionPart, 0, button.substr(std::strlen(ONCE_PREFIX)), {}, true });
        return;
    }
    const bool isId = !button.empty() && button.find_first_not_of("0123456789") == std::string::npos;
    g_answers.push_back({ captionPart, isId ? std::stoi(button) : 0, isId ? std::string() : button });
}

void StartDialogAnswerer(HWND timerWindow)
{
    SetTimer(timerWindow, ANSWER_TIMER, ANSWER_PERIOD_MS, AnswerTick);
}
