// Script steps of the stand-in mail client that look at what the plug-in added to its windows and
// drive its menus as a person would: the menu bar and menu items with their states, the menu
// messages of the frame, the plug-in's toolbar buttons, a changed MDI menu, the editor control's
// link message, and which windows carry a foreign window procedure.
//   menubar | menu PATH                   log the bar's captions / the items of a submenu
//   popup PATH | menuselect ID PATH       WM_INITMENUPOPUP / WM_MENUSELECT of that submenu to the frame
//   exitmenu                              WM_EXITMENULOOP to the frame
//   mdimenu                               a new frame menu through WM_MDISETMENU, kept in the menu record
//   buttons | link TEXT | subclassed      the plug-in's buttons / message 2726 / subclassed windows
//   statuspixels [drawn]                  count the drawn pixels at the right end of the status bar;
//                                         with "drawn", wait until there are some
//   framemessage MSG [WPARAM] [LPARAM]    any message sent to the frame, with its answer logged
//   ctrl 1|0 | menuchar CHAR PATH         hold Ctrl down or not / WM_MENUCHAR of that submenu
//   offscreen TITLE                       show a dialog window owned by the frame far off the screen
//   rightclick COMMAND | endmenu MS       post a right click to a plug-in button / end the menu open
//                                         after MS (or the next one to open)
//   choosemenu MS ITEM                    after MS choose item ITEM (from 1) of the open popup menu (or
//                                         the next one to open), by keys
//   postreader MSG WPARAM                 post a message to the last reader (keys are logged there)
//   htmlsyskey VK                         post WM_SYSKEYDOWN to an HTML viewer in the last reader
//                                         (the viewer and the frame log the system keys they get)
//   poststatus MSG WPARAM                 post a message to the status bar's first panel
//   mdireader                             open a message window of the newer kind (counted as a reader)
//   status TEXT | statusbar               the mail client's own status text / log the status bar's children
// PATH: captions separated by '/', e.g. "&Selvadrin/Recipient list".
#include "standins/host/Host.h"
#include "standins/host/HostLog.h"

#include <sstream>

using namespace HostApi;

namespace {
constexpr const char* CLASS_HTML_VIEWER = "THTMLVIEWER";

LRESULT CALLBACK HtmlViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSKEYDOWN)
        g_log.Line("htmlviewer syskey 0x%X", static_cast<unsigned>(wParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

// The last reader's HTML viewer, made the first time it is asked for.
HWND LastReaderHtmlViewer()
{
    if (g_host.Readers.empty() || !IsWindow(g_host.Readers.back()))
        return nullptr;
    HWND reader = g_host.Readers.back();
    if (HWND viewer = FindWindowExA(reader, nullptr, CLASS_HTML_VIEWER, nullptr))
        return viewer;
    WNDCLASSA kind = {};
    kind.lpfnWndProc = HtmlViewerProc;
    kind.hInstance = g_host.Instance;
    kind.lpszClassName = CLASS_HTML_VIEWER;
    RegisterClassA(&kind);
    return CreateWindowExA(0, CLASS_HTML_VIEWER, nullptr, WS_CHILD | WS_VISIBLE, 0, 64, 100, 40, reader, nullptr,
        g_host.Instance, nullptr);
}

std::string Caption(HMENU menu, int position)
{
    char caption[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), caption, sizeof caption, MF_BYPOSITION);
    return caption;
}

HMENU SubmenuByPath(const std::string& path)
{
    HMENU menu = g_host.Frame ? GetMenu(g_host.Frame) : nullptr;
    std::istringstream parts(path);
    std::string part;
    while (menu && std::getline(parts, part, '/')) {
        HMENU found = nullptr;
        for (int i = 0; i < GetMenuItemCount(menu) && !found; ++i)
            if (Caption(menu, i) == part)
                found = GetSubMenu(menu, i);
        menu = found;
    }
    return menu;
}

// One word per item: "sep", "popup:CAPTION", or the id with ":g" (grayed) and ":c" (checked).
std::string Items(HMENU menu)
{
    std::string text;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        text += ' ';
        if (info.fType & MFT_SEPARATOR) {
            text += "sep";
            continue;
        }
        if (info.hSubMenu) {
            text += "popup:" + Caption(menu, i);
            continue;
        }
        text += std::to_string(info.wID);
        if (info.fState & MFS_GRAYED)
            text += ":g";
        if (info.fState & MFS_CHECKED)
            text += ":c";
    }
    return text;
}

THostMenuRecord g_menuRecord = {};

HMENU BuildOtherMenuBar()
{
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 1001, "E&xit");
    HMENU edit = CreatePopupMenu();
    AppendMenuA(edit, MF_STRING, 0x3102, "&Copy");
    HMENU window = CreatePopupMenu();
    AppendMenuA(window, MF_STRING, 0x3100, "&Cascade");
    HMENU help = CreatePopupMenu();
    AppendMenuA(help, MF_STRING, 0x3101, "&About");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(window), "&Window");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
    return bar;
}

// The window procedure is not its class's: someone subclassed it. The plug-in's own windows and
// the system's popups do not count.
void CollectSubclassed(HWND window, std::string& names)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (THost::IsSubclassed(window) && lstrcmpA(name, "ZAVEK_HIDDEN_CLASS") != 0)
        names += std::string(" ") + name;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        CollectSubclassed(child, names);
}

// Pixels unlike the status bar's background in its right-most part, where the mail client draws nothing.
int StatusBarRightPixels()
{
    constexpr int WIDTH = 120;
    HWND bar = g_host.StatusBar;
    if (!bar)
        return -1;
    RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client;
    GetClientRect(bar, &client);
    HDC dc = GetDC(bar);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    int count = 0;
    for (int x = client.right - WIDTH; x < client.right; ++x)
        for (int y = client.top; y < client.bottom; ++y)
            if (GetPixel(dc, x, y) != face)
                ++count;
    ReleaseDC(bar, dc);
    return count;
}

// A menu of this thread is open: its loop runs.
bool MenuOpen()
{
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    return GetGUIThreadInfo(GetCurrentThreadId(), &thread) && (thread.flags & GUI_INMENUMODE);
}

// The timers below act on a menu once it is open; until then they tick again.
void CALLBACK EndMenuTimer(HWND window, UINT, UINT_PTR id, DWORD)
{
    if (!MenuOpen())
        return;
    KillTimer(window, id);
    g_log.Line("menu ended");
    EndMenu();
}

UINT g_chosenItem = 0;

// The menu loop reads the keys of the whole thread's queue: Down moves to the next item (the first
// from none), the Enter character chooses it, as a user's keys would.
void CALLBACK ChooseMenuTimer(HWND window, UINT, UINT_PTR id, DWORD)
{
    if (!MenuOpen())
        return;
    KillTimer(window, id);
    g_log.Line("menu item %u chosen", g_chosenItem);
    for (UINT i = 0; i < g_chosenItem; ++i)
        PostMessageA(window, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageA(window, WM_CHAR, '\r', 1);
}

void LogStatusBar()
{
    std::string children;
    for (HWND child = GetWindow(g_host.StatusBar, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = {}, text[300] = {};
        GetClassNameA(child, name, sizeof name);
        GetWindowTextA(child, text, sizeof text);
        const bool icon = (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (IsWindowVisible(child))
            children += std::string(" ") + name + (icon ? "(icon)" : "") + " \"" + text + "\"";
    }
    g_log.Line("statusbar%s", children.c_str());
}

HWND LastReaderTextEdit()
{
    for (auto it = g_host.Readers.rbegin(); it != g_host.Readers.rend(); ++it) {
        if (!IsWindow(*it))
            continue;
        HWND panel = FindWindowExA(*it, nullptr, "LDUWIN", nullptr);
        if (HWND edit = panel ? FindWindowExA(panel, nullptr, "DH_TEXTEDIT", nullptr) : nullptr)
            return edit;
    }
    return nullptr;
}
} // namespace

const THostMenuRecord& HostMenuRecord()
{
    return g_menuRecord;
}

bool RunInspectStep(const THostStep& step)
{
    const std::string& verb = step[0];
    const std::string arg1 = step.size() > 1 ? step[1] : std::string();
    const std::string arg2 = step.size() > 2 ? step[2] : std::string();
    if (verb == "menubar") {
        HMENU bar = g_host.Frame ? GetMenu(g_host.Frame) : nullptr;
        std::string captions;
        for (int i = 0; bar && i < GetMenuItemCount(bar); ++i)
            captions += (i ? "|" : "") + Caption(bar, i);
        g_log.Line("menubar %s", captions.c_str());
    } else if (verb == "menu") {
        HMENU menu = SubmenuByPath(arg1);
        g_log.Line("menu %s:%s", arg1.c_str(), menu ? Items(menu).c_str() : " missing");
    } else if (verb == "popup") {
        if (HMENU menu = SubmenuByPath(arg1))
            SendMessageA(g_host.Frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    } else if (verb == "menuselect") {
        HMENU menu = SubmenuByPath(arg2);
        SendMessageA(g_host.Frame, WM_MENUSELECT, MAKEWPARAM(ParseNumber(arg1), 0), reinterpret_cast<LPARAM>(menu));
    } else if (verb == "exitmenu") {
        SendMessageA(g_host.Frame, WM_EXITMENULOOP, 0, 0);
    } else if (verb == "mdimenu") {
        HMENU bar = BuildOtherMenuBar();
        if (g_menuRecord.Count < HOST_MENU_RECORD_LIMIT)
            g_menuRecord.Menus[g_menuRecord.Count++] = bar;
        SendMessageA(g_host.MdiClient, WM_MDISETMENU, reinterpret_cast<WPARAM>(bar), 0);
        DrawMenuBar(g_host.Frame);
        g_log.Line("mdimenu set");
    } else if (verb == "buttons") {
        g_log.Line("buttons%s", PluginButtonList().c_str());
    } else if (verb == "link") {
        HWND edit = LastReaderTextEdit();
        const LRESULT answer = edit
            ? SendMessageA(GetParent(edit), WM_TEXT_EDIT_LINK, 0, reinterpret_cast<LPARAM>(arg1.c_str()))
            : 0;
        g_log.Line("link %s -> %ld", arg1.c_str(), static_cast<long>(answer));
    } else if (verb == "framemessage") {
        const LRESULT answer = SendMessageA(g_host.Frame, static_cast<UINT>(ParseNumber(arg1)),
            static_cast<WPARAM>(ParseNumber(arg2)), static_cast<LPARAM>(ParseNumber(step.size() > 3 ? step[3] : "")));
        g_log.Line("framemessage %s -> 0x%lX", arg1.c_str(), static_cast<long>(answer));
    } else if (verb == "ctrl") {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = arg1 == "1" ? 0x80 : 0;
        SetKeyboardState(keys);
    } else if (verb == "menuchar") {
        const LRESULT answer = SendMessageA(g_host.Frame, WM_MENUCHAR, MAKEWPARAM(ParseNumber(arg1), MF_POPUP),
            reinterpret_cast<LPARAM>(SubmenuByPath(arg2)));
        g_log.Line("menuchar %s -> 0x%lX", arg1.c_str(), static_cast<long>(answer));
    } else if (verb == "offscreen") {
        HWND window = CreateWindowExA(0, "#32770", arg1.c_str(), WS_POPUP | WS_CAPTION, -3000, -3000, 200, 100,
            g_host.Frame, nullptr, g_host.Instance, nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        RECT r = {};
        GetWindowRect(window, &r);
        const RECT screen = { 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) };
        RECT seen = {};
        g_log.Line("offscreen %s in view=%d", arg1.c_str(), IntersectRect(&seen, &r, &screen) ? 1 : 0);
        DestroyWindow(window);
    } else if (verb == "rightclick") {
        HWND button = PluginButtonWindow(static_cast<uint32_t>(ParseNumber(arg1)));
        if (button)
            PostMessageA(button, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
        g_log.Line("rightclick %s%s", arg1.c_str(), button ? "" : " no button");
    } else if (verb == "postreader") {
        if (!g_host.Readers.empty() && IsWindow(g_host.Readers.back()))
            PostMessageA(g_host.Readers.back(), static_cast<UINT>(ParseNumber(arg1)),
                static_cast<WPARAM>(ParseNumber(arg2)), 0);
    } else if (verb == "htmlsyskey") {
        HWND viewer = LastReaderHtmlViewer();
        if (viewer)
            PostMessageA(viewer, WM_SYSKEYDOWN, static_cast<WPARAM>(ParseNumber(arg1)), 0x20000000);
        g_log.Line("htmlsyskey %s%s", arg1.c_str(), viewer ? "" : " no viewer");
    } else if (verb == "poststatus") {
        PostMessageA(g_host.StatusPanel, static_cast<UINT>(ParseNumber(arg1)), static_cast<WPARAM>(ParseNumber(arg2)), 0);
    } else if (verb == "mdireader") {
        g_host.CreateMdiReader();
        g_log.Line("reader %u opened", static_cast<unsigned>(g_host.Readers.size()));
    } else if (verb == "endmenu") {
        constexpr UINT_PTR END_MENU_TIMER = 0x4E55;
        SetTimer(g_host.Frame, END_MENU_TIMER, static_cast<UINT>(ParseNumber(arg1)), EndMenuTimer);
    } else if (verb == "choosemenu") {
        constexpr UINT_PTR CHOOSE_MENU_TIMER = 0x4E56;
        g_chosenItem = static_cast<UINT>(ParseNumber(arg2));
        SetTimer(g_host.Frame, CHOOSE_MENU_TIMER, static_cast<UINT>(ParseNumber(arg1)), ChooseMenuTimer);
    } else if (verb == "status") {
        SetWindowTextA(g_host.StatusPanel, arg1.c_str());
    } else if (verb == "statusbar") {
        LogStatusBar();
    } else if (verb == "statuspixels") {
        const bool drawn = StatusBarRightPixels() > 0;
        if (!drawn && arg1 == "drawn")
            HoldScriptStep();
        else
            g_log.Line("statuspixels %s", drawn ? "drawn" : "blank");
    } else if (verb == "subclassed") {
        std::string names;
        if (g_host.Frame)
            CollectSubclassed(g_host.Frame, names);
        g_log.Line("subclassed:%s", names.empty() ? " none" : names.c_str());
    } else {
        return false;
    }
    return true;
}
