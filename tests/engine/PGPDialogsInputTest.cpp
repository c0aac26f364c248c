// The selection dialog's hooks with real input under Wine: the stand-in's key selection dialog runs
// interactively (no answers file), and synthesised mouse and keyboard input reaches the hooks: a
// double-click in the key list is OK when OK is enabled, Escape is Cancel.
#include "engine/KeyFuncs.h"
#include "engine/PGPDialogs.h"
#include "engine/sdk/pgpBindings.h"

#include "support/StandInSdk.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

namespace {

// Runs `act` once the stand-in's key selection dialog is shown, from a timer of its thread; should
// the input go astray, the dialog is cancelled after a while instead of waiting for ever.
std::function<void(HWND dialog, HWND list)> pending;
int ticksSinceAct = -1;
bool watchdogFired = false;
constexpr int kPatienceTicks = 100;

BOOL CALLBACK FindSelection(HWND window, LPARAM found)
{
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    if (IsWindowVisible(window) && std::string(title) == "PGP Key Selection") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindSelection, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog)
        return;
    if (pending) {
        auto act = std::move(pending);
        pending = nullptr;
        ticksSinceAct = 0;
        act(dialog, FindWindowExA(dialog, nullptr, "TreeListCtrl32", nullptr));
    } else if (ticksSinceAct >= 0 && ++ticksSinceAct > kPatienceTicks) {
        watchdogFired = true;
        ticksSinceAct = -1;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

void SendMouse(DWORD flags)
{
    INPUT input {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

void DoubleClickOn(HWND window)
{
    RECT rect {};
    GetWindowRect(window, &rect);
    SetCursorPos(rect.left + 20, rect.top + 8);
    for (int i = 0; i < 2; ++i) {
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        SendMouse(MOUSEEVENTF_LEFTUP);
    }
}

void PressEscape()
{
    INPUT keys[2] {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof keys[0]);
}

class PGPDialogsInput : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
        LoadStandInSdk();
    }
    static void TearDownTestSuite() { ReleasePGPsdk(); }
    void SetUp() override
    {
        ASSERT_EQ(SDKLoadError, 0);
        UseKeyRingCopies(scratch, ZAVEK_KEY_FIXTURES);
        ASSERT_EQ(KeyRings().Open(&context, &ring), 0);
    }
    void TearDown() override { KeyRings().Close(); }

    PGPError Select(std::function<void(HWND, HWND)> act, uint32_t& count)
    {
        pending = std::move(act);
        ticksSinceAct = -1;
        watchdogFired = false;
        const UINT_PTR timer = SetTimer(nullptr, 0, 30, Tick);
        PGPKeySetRef chosen = 0;
        const PGPError status = SelectKeysDialog(context, nullptr, "Choose", &chosen, false, ring, 0);
        KillTimer(nullptr, timer);
        EXPECT_FALSE(watchdogFired) << "the input never reached the dialog";
        count = 0;
        if (chosen) {
            SDKProcs.PGPCountKeys(chosen, &count);
            SDKProcs.PGPFreeKeySet(chosen);
        }
        return status;
    }

    TScratchFolder scratch { "zavek-pgpdialogs-input" };
    PGPContextRef context = 0;
    PGPKeySetRef ring = 0;
};

// The stand-in's list does nothing of its own on a double-click: OK comes from the mouse hook.
TEST_F(PGPDialogsInput, DoubleClickInTheKeyListIsOk)
{
    uint32_t count = 0;
    EXPECT_EQ(Select(
                  [](HWND dialog, HWND list) {
                      SetForegroundWindow(dialog);
                      SendMessageA(list, LB_SETSEL, TRUE, 1);
                      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                                   reinterpret_cast<LPARAM>(list));
                      DoubleClickOn(list);
                  },
                  count),
              0);
    EXPECT_GE(count, 1u);
}

TEST_F(PGPDialogsInput, EscapeIsCancel)
{
    uint32_t count = 0;
    EXPECT_EQ(Select(
                  [](HWND dialog, HWND) {
                      SetForegroundWindow(dialog);
                      PressEscape();
                  },
                  count),
              kPGPError_UserAbort);
}

} // namespace
