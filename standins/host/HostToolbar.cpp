// The stand-in mail client's toolbar strip ("DHT_NTLBAR") with its buttons ("DH_BMBN"): its own
// buttons, and the ones the plug-in adds from button records; a click sends the record's message
// with the command id to the record's window, as the mail client does. Each button shows its
// bitmap (the plug-in's from the record's file, the host's own from the system's standard set),
// its bottom-left pixel's colour left out.
#include "standins/host/Host.h"
#include "standins/host/HostLog.h"

#include <map>

using namespace HostApi;

namespace {
constexpr const char* CLASS_TOOLBAR = "DHT_NTLBAR";
constexpr const char* CLASS_BUTTON = "DH_BMBN";
constexpr int BUTTON_WIDTH = 24;
constexpr int HOST_BUTTONS = 11;

struct TButton {
    HWND Window;
    THostButtonRecord Record;
};
std::map<int, TButton> g_pluginButtons; // by host id
std::map<HWND, HBITMAP> g_bitmaps;       // by button window

// One 16 x 16 picture of the system's standard toolbar strip (cut, copy, paste, ...).
HBITMAP StandardPicture(int index)
{
    const HMODULE comctl = GetModuleHandleA("comctl32.dll");
    const auto strip = static_cast<HBITMAP>(
        LoadImageA(comctl ? comctl : LoadLibraryA("comctl32.dll"), MAKEINTRESOURCEA(120), IMAGE_BITMAP, 0, 0, 0));
    if (!strip)
        return nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC from = CreateCompatibleDC(screen);
    const HDC to = CreateCompatibleDC(screen);
    const HBITMAP picture = CreateCompatibleBitmap(screen, 16, 16);
    const HGDIOBJ oldFrom = SelectObject(from, strip);
    const HGDIOBJ oldTo = SelectObject(to, picture);
    BitBlt(to, 0, 0, 16, 16, from, index * 16, 0, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    DeleteObject(strip);
    return picture;
}

void PaintButton(HWND window)
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const auto found = g_bitmaps.find(window);
    BITMAP info {};
    if (found != g_bitmaps.end() && GetObjectA(found->second, sizeof info, &info)) {
        const HDC source = CreateCompatibleDC(dc);
        const HGDIOBJ old = SelectObject(source, found->second);
        const COLORREF transparent = GetPixel(source, 0, info.bmHeight - 1);
        const int left = (client.right - info.bmWidth) / 2;
        const int top = (client.bottom - info.bmHeight) / 2;
        TransparentBlt(dc, left, top, info.bmWidth, info.bmHeight, source, 0, 0, info.bmWidth, info.bmHeight,
            transparent);
        SelectObject(source, old);
        DeleteDC(source);
    }
    EndPaint(window, &paint);
}

void ForgetBitmap(HWND window)
{
    const auto found = g_bitmaps.find(window);
    if (found == g_bitmaps.end())
        return;
    DeleteObject(found->second);
    g_bitmaps.erase(found);
}

void Click(HWND button)
{
    for (const auto& [id, entry] : g_pluginButtons) {
        if (entry.Window != button)
            continue;
        g_log.Line("button %d clicked", id);
        SendMessageA(entry.Record.Window, entry.Record.Message, 0, entry.Record.CommandId);
        return;
    }
}

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONUP) {
        Click(window);
        return 0;
    }
    if (message == WM_PAINT) {
        PaintButton(window);
        return 0;
    }
    if (message == WM_NCDESTROY)
        ForgetBitmap(window);
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND NewButton(const char* caption)
{
    const int index = static_cast<int>(HOST_BUTTONS + g_pluginButtons.size());
    return CreateWindowExA(0, CLASS_BUTTON, caption, WS_CHILD | WS_VISIBLE | WS_BORDER,
        2 + index * BUTTON_WIDTH, 2, BUTTON_WIDTH - 2, TOOLBAR_HEIGHT - 4, g_host.Toolbar, nullptr,
        g_host.Instance, nullptr);
}
} // namespace

void CreateToolbar(HWND frame)
{
    WNDCLASSA windowClass = {};
    windowClass.hInstance = g_host.Instance;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = CLASS_TOOLBAR;
    RegisterClassA(&windowClass);
    windowClass.lpfnWndProc = ButtonProc;
    windowClass.lpszClassName = CLASS_BUTTON;
    RegisterClassA(&windowClass);
    g_host.Toolbar = CreateWindowExA(0, CLASS_TOOLBAR, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0,
        TOOLBAR_HEIGHT, frame, nullptr, g_host.Instance, nullptr);
    for (int i = 0; i < HOST_BUTTONS; ++i) {
        const HWND button = CreateWindowExA(0, CLASS_BUTTON, "", WS_CHILD | WS_VISIBLE | WS_BORDER,
            2 + i * BUTTON_WIDTH, 2, BUTTON_WIDTH - 2, TOOLBAR_HEIGHT - 4, g_host.Toolbar, nullptr, g_host.Instance,
            nullptr);
        if (const HBITMAP picture = StandardPicture(i))
            g_bitmaps[button] = picture;
    }
}

LRESULT AddPluginButton(const THostButtonRecord& record)
{
    const int id = g_host.NextButtonId++;
    TButton button = { nullptr, record };
    button.Record.Tooltip[sizeof button.Record.Tooltip - 1] = '\0';
    button.Window = NewButton(button.Record.Tooltip);
    button.Record.BitmapFile[sizeof button.Record.BitmapFile - 1] = '\0';
    if (const auto picture = static_cast<HBITMAP>(
            LoadImageA(nullptr, button.Record.BitmapFile, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)))
        g_bitmaps[button.Window] = picture;
    g_pluginButtons[id] = button;
    return id;
}

bool RemovePluginButton(int id)
{
    auto it = g_pluginButtons.find(id);
    if (it == g_pluginButtons.end())
        return false;
    DestroyWindow(it->second.Window);
    g_pluginButtons.erase(it);
    return true;
}

HWND PluginButtonWindow(uint32_t commandId)
{
    for (const auto& [id, entry] : g_pluginButtons)
        if (entry.Record.CommandId == commandId)
            return entry.Window;
    return nullptr;
}

std::string PluginButtonList()
{
    std::string list;
    for (const auto& [id, entry] : g_pluginButtons)
        list += " " + std::to_string(entry.Record.CommandId) + ":" + std::to_string(entry.Record.Extra);
    return list;
}

bool ClickPluginButton(uint32_t commandId)
{
    for (const auto& [id, entry] : g_pluginButtons) {
        if (entry.Record.CommandId == commandId) {
            Click(entry.Window);
            return true;
        }
    }
    return false;
}
