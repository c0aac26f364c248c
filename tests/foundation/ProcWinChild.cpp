// A small GUI program the process and window tests start: it shows (or hides, with "hidden") one
// top-level window titled by its second argument and ends on WM_CLOSE or after 30 seconds.
#include <windows.h>

#include <cstring>

namespace {

LRESULT CALLBACK ChildProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    switch (Message) {
    case WM_TIMER:
        DestroyWindow(Window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(Window, Message, WParam, LParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE, LPSTR CommandLine, int)
{
    const bool hidden = std::strstr(CommandLine, "hidden") != nullptr;
    WNDCLASSA windowClass {};
    windowClass.lpfnWndProc = ChildProc;
    windowClass.hInstance = Instance;
    windowClass.lpszClassName = "ProcWinChildClass";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("ProcWinChildClass", CommandLine, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
        nullptr, nullptr, Instance, nullptr);
    if (!window)
        return 1;
    if (!hidden)
        ShowWindow(window, SW_SHOWNOACTIVATE);
    SetTimer(window, 1, 30000, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
