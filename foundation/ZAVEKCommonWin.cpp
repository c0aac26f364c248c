// The Windows side of the product helpers: message pump, user language, time servers, clock
// setting and the fatal error box.
#include "foundation/ZAVEKCommon.h"

namespace {

bool IsWindowOrChildOf(HWND candidate, HWND window)
{
    return candidate == window || IsChild(window, candidate);
}

} // namespace

bool PumpMessagesFor(HWND window)
{
    MSG msg;
    // Look before taking: a message that ends the loop stays queued for the host's own loop, so
    // neither a WM_QUIT nor a message for another window is lost.
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT)
            return true;
        if (window != nullptr && !IsWindowOrChildOf(msg.hwnd, window))
            return true;
        HWND filter = msg.hwnd != nullptr ? msg.hwnd : reinterpret_cast<HWND>(-1);
        if (!PeekMessageA(&msg, filter, msg.message, msg.message, PM_REMOVE))
            return false;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return false;
}

std::string GetUserLanguageCode()
{
    return LangIDToCode(GetUserDefaultLangID());
}
