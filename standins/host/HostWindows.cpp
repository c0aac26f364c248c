// The stand-in mail client's windows with the mail client's class names: the "WPMMDI" frame with
// its menu bar, the MDI client, the "WPMDLG_STB" status bar with its panel, reader, editor and folder
// shells, and the hidden window that answers the plug-in's requests.
#include "standins/host/Host.h"
#include "standins/host/HostEditorControl.h"
#include "standins/host/HostLog.h"
#include "standins/host/HostResources.h"

using namespace HostApi;

THost g_host;

namespace {
constexpr const char* PLUGIN_HOST_CLASS = "WPMPLUGINHOST";
constexpr const char* SCRIPT_CLASS = "StandInScript";
constexpr int STATUS_HEIGHT = 22;
constexpr int ID_FILE_EXIT = 1001;
constexpr WPARAM CMD_RAW_VIEW = 153;
constexpr const char* REFUSE_CLOSE_PROP = "StandInRefuseClose";
constexpr int EDITOR_STYLED_CHECK = 114;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT CALLBACK StatusBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

constexpr const char* CLASS_READER_STRIP = "DHT_NTLBAR";
constexpr const char* CLASS_READER_BUTTON = "DH_BMBN";
constexpr const char* CLASS_READER_PANEL = "LDUWIN";
constexpr int READER_BUTTONS = 12;
constexpr int READER_VIEW_TOP = 64; // below the strip and the panel
// Wine's rich-edit control, under the editor library, takes seconds per megabyte of text: the
// reader shows the head of a longer message, as far as its last whole line.
constexpr size_t READER_TEXT_LIMIT = 64 * 1024;

// The formatted view: a toolbar strip with more than ten buttons and the panel below it.
void CreateReaderChildren(HWND reader)
{
    HWND strip = CreateWindowExA(0, CLASS_READER_STRIP, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 400, 24, reader,
        nullptr, g_host.Instance, nullptr);
    for (int i = 0; i < READER_BUTTONS; ++i)
        CreateWindowExA(0, CLASS_READER_BUTTON, "", WS_CHILD | WS_VISIBLE, i * 24, 2, 22, 20, strip, nullptr,
            g_host.Instance, nullptr);
    HWND panel = CreateWindowExA(0, CLASS_READER_PANEL, nullptr, WS_CHILD | WS_VISIBLE, 0, 24, 400, 40, reader,
        nullptr, g_host.Instance, nullptr);
    // The editor control that shows the message; its parent hears of followed links.
    CreateWindowExA(0, CLASS_TEXT_EDIT, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 400, 40, panel, nullptr,
        g_host.Instance, nullptr);
    // The message itself, in a control of the editor library below the strip and the panel.
    CreateReaderControl(reader, READER_VIEW_TOP);
}

// The part of a message the reader shows; the log notes a cut.
std::string ReaderPart(const std::string& text)
{
    if (text.size() <= READER_TEXT_LIMIT)
        return text;
    const size_t lineEnd = text.rfind('\n', READER_TEXT_LIMIT - 1);
    const size_t cut = lineEnd == std::string::npos ? READER_TEXT_LIMIT : lineEnd + 1;
    g_log.Line("reader shows %lu of %lu bytes", static_cast<unsigned long>(cut), static_cast<unsigned long>(text.size()));
    return text.substr(0, cut);
}

} // namespace

void ShowDecryptedText(const std::string& whole)
{
    const std::string text = ReaderPart(whole);
    char name[32] = {};
    HWND active = g_host.ActiveChild();
    if (active && GetClassNameA(active, name, sizeof name) && lstrcmpA(name, CLASS_EDITOR) == 0) {
        if (!SetReaderControlText(active, text))
            g_log.Line("editor has no text control");
        return;
    }
    for (auto reader = g_host.Readers.rbegin(); reader != g_host.Readers.rend(); ++reader) {
        if (!IsWindow(*reader))
            continue;
        if (!SetReaderControlText(*reader, text))
            g_log.Line("reader has no text control");
        return;
    }
}

namespace {

// Raw view of the active reader: its strip hidden and the menu item checked, or back.
void ToggleRawView(HWND frame)
{
    HWND reader = g_host.ActiveChild();
    HWND strip = reader ? FindWindowExA(reader, nullptr, CLASS_READER_STRIP, nullptr) : nullptr;
    if (!strip)
        return;
    const bool raw = IsWindowVisible(strip) != FALSE;
    ShowWindow(strip, raw ? SW_HIDE : SW_SHOW);
    CheckMenuItem(GetMenu(frame), CMD_RAW_VIEW, MF_BYCOMMAND | (raw ? MF_CHECKED : MF_UNCHECKED));
    g_log.Line("raw view %s", raw ? "on" : "off");
}

LRESULT CALLBACK ReaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE)
        CreateReaderChildren(window);
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
        g_log.Line("reader %s 0x%X", message == WM_KEYDOWN ? "key" : "syskey", static_cast<unsigned>(wParam));
    if (message == WM_CLOSE && GetPropA(window, REFUSE_CLOSE_PROP)) {
        g_log.Line("reader refused close");
        return 0;
    }
    if (message == WM_DESTROY) {
        RemovePropA(window, REFUSE_CLOSE_PROP);
        g_log.Line("reader destroyed");
    }
    return DefMDIChildProcA(window, message, wParam, lParam);
}

// A folder window or the folder manager: what matters is when it goes.
LRESULT CALLBACK FolderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        char title[128] = {};
        GetWindowTextA(window, title, sizeof title);
        g_log.Line("folder window \"%s\" closed", title);
    }
    return DefMDIChildProcA(window, message, wParam, lParam);
}

// The queue window: the plug-in asks it to read the queue again after it put a message there.
LRESULT CALLBACK QueueProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_QUEUE_REFRESH) {
        g_log.Line("queue window refreshed");
        return 0;
    }
    return DefMDIChildProcA(window, message, wParam, lParam);
}

// Asks the plug-in before a send; its answer HOST_HANDLED means it took the send over.
LRESULT AskPlugin(UINT message, WPARAM wParam, LPARAM lParam, const char* what)
{
    if (!g_host.PluginWindow || !IsWindow(g_host.PluginWindow))
        return 0;
    const LRESULT answer = SendMessageA(g_host.PluginWindow, message, wParam, lParam);
    g_log.Line("%s -> 0x%lX", what, static_cast<long>(answer));
    return answer;
}

// Sub-codes of the editor message whose value is a text.
bool IsTextField(WPARAM subCode)
{
    switch (subCode) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 10:
    case 12:
    case 14:
    case 16:
    case 17:
        return true;
    default:
        return false;
    }
}

void LogEditorField(WPARAM subCode, LPARAM value)
{
    if (IsTextField(subCode) && value)
        g_log.Line("editor field %u \"%.200s\"", static_cast<unsigned>(subCode),
            reinterpret_cast<const char*>(value));
    else
        g_log.Line("editor field %u", static_cast<unsigned>(subCode));
}

LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        // The identity combo box the plug-in reads the editor's identity from.
        HWND identity = CreateWindowExA(0, "COMBOBOX", nullptr, WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 4, 4,
            200, 100, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(EDITOR_IDENTITY_CONTROL)),
            g_host.Instance, nullptr);
        SetWindowTextA(identity, g_host.Settings.Identity.c_str());
        // The editor's own encryption switch of newer mail clients; its command 104 acts on it.
        CreateWindowExA(0, "BUTTON", "Encrypt", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 210, 4, 80, 20, window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(EDITOR_ENCRYPT_BOX)), g_host.Instance, nullptr);
        CreateEditorControl(window);
        // The main page's subject label, and the check box that sends the styled text.
        CreateWindowExA(0, "STATIC", "Subject:", WS_CHILD | WS_VISIBLE, 210, 6, 60, 18, window, nullptr,
            g_host.Instance, nullptr);
        CreateWindowExA(0, "BUTTON", "Styled", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 280, 4, 90, 20, window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(EDITOR_STYLED_CHECK)), g_host.Instance, nullptr);
    }
    if (message == WM_COMMAND && LOWORD(wParam) == EDITOR_STYLED_CHECK && HIWORD(wParam) == BN_CLICKED)
        g_log.Line("editor styled %s",
            SendMessageA(reinterpret_cast<HWND>(lParam), BM_GETCHECK, 0, 0) == BST_CHECKED ? "on" : "off");
    if (message == WM_EDITOR_FIELD)
        LogEditorField(wParam, lParam);
    if (message == WM_COMMAND && LOWORD(wParam) == CMD_EDITOR_SEND) {
        if (AskPlugin(WM_HOSTSEND, 0, 0, "editor send") != HOST_HANDLED) {
            g_log.Line("editor message sent");
            RunEditorSendStep();
        }
        return 0;
    }
    if (message == WM_DESTROY)
        g_log.Line("editor destroyed");
    return DefMDIChildProcA(window, message, wParam, lParam);
}

// Script steps run on a window of their own: a step may unload the plug-in, which must not happen
// inside a message that passed through the plug-in's subclass of the frame.
LRESULT CALLBACK ScriptProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (RunScriptMessage(message, wParam))
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK PluginHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT answer = 0;
    if (AnswerPluginRequest(message, wParam, lParam, answer))
        return answer;
    return DefWindowProcA(window, message, wParam, lParam);
}

void Register(const char* name, WNDPROC proc, HBRUSH background)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = g_host.Instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

HMENU BuildMenuBar()
{
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, ID_FILE_EXIT, "E&xit");
    HMENU reader = CreatePopupMenu();
    AppendMenuA(reader, MF_STRING, CMD_RAW_VIEW, "&Raw view");
    HMENU window = CreatePopupMenu();
    AppendMenuA(window, MF_STRING, 0x3100, "&Cascade");
    HMENU help = CreatePopupMenu();
    AppendMenuA(help, MF_STRING, 0x3101, "&About");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(reader), "&Reader");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(window), "&Window");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
    return bar;
}

void LayOut(HWND frame)
{
    RECT client;
    GetClientRect(frame, &client);
    if (g_host.StatusBar)
        MoveWindow(g_host.StatusBar, 0, client.bottom - STATUS_HEIGHT, client.right, STATUS_HEIGHT, TRUE);
    if (g_host.Toolbar)
        MoveWindow(g_host.Toolbar, 0, 0, client.right, TOOLBAR_HEIGHT, TRUE);
    if (g_host.MdiClient)
        MoveWindow(g_host.MdiClient, 0, TOOLBAR_HEIGHT, client.right,
            client.bottom - STATUS_HEIGHT - TOOLBAR_HEIGHT, TRUE);
}

void CreateChildren(HWND frame)
{
    CLIENTCREATESTRUCT mdi = {};
    mdi.idFirstChild = 0x5000;
    // No WS_EX_NOPARENTNOTIFY: the plug-in watches children appear through their parent.
    g_host.MdiClient = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
        0, 0, frame, nullptr, g_host.Instance, &mdi);
    CreateToolbar(frame);
    g_host.StatusBar = CreateWindowExA(0, CLASS_STATUS_BAR, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame,
        nullptr, g_host.Instance, nullptr);
    g_host.StatusPanel = CreateWindowExA(0, "STATIC", "Ready", WS_CHILD | WS_VISIBLE, 2, 2, 400, 18,
        g_host.StatusBar, nullptr, g_host.Instance, nullptr);
    CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 410, 2, 120, 18, g_host.StatusBar, nullptr,
        g_host.Instance, nullptr);
    g_host.PluginHost = CreateWindowExA(
        0, PLUGIN_HOST_CLASS, nullptr, WS_CHILD, 0, 0, 0, 0, frame, nullptr, g_host.Instance, nullptr);
}

// The mail client's own close: with the new interface the plug-in is asked first and may keep it open.
void Close(HWND frame)
{
    g_log.Line("frame close: frame subclassed=%d statusbar subclassed=%d", THost::IsSubclassed(frame),
        THost::IsSubclassed(g_host.StatusBar));
    if (g_host.PluginWindow && IsWindow(g_host.PluginWindow)
        && g_host.Settings.FormVersion >= NEW_INTERFACE_VERSION) {
        const LRESULT answer = SendMessageA(g_host.PluginWindow, WM_HOSTEVENT, EVENT_SHUTDOWN, 1);
        g_log.Line("event 32 on close -> 0x%lX", static_cast<long>(answer));
        if (answer == HOST_HANDLED)
            return;
    }
    g_host.Closing = true;
    // What the plug-in left in the windows as they go.
    for (const char* step : { "menubar", "menu &Help", "buttons", "subclassed" })
        RunInspectStep(SplitStepWords(step));
    DestroyWindow(frame);
}

// A message window of the newer kind: an MDI child of the frame's own class with a content pane.
LRESULT MdiReaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE)
        CreateWindowExA(0, CLASS_MDI_READER_CONTENT, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 400, 200, window,
            nullptr, g_host.Instance, nullptr);
    if (message == WM_DESTROY)
        g_log.Line("message window destroyed");
    return DefMDIChildProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_MDICHILD)
        return MdiReaderProc(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        g_host.Frame = window;
        CreateChildren(window);
        return 0;
    case WM_SIZE:
        LayOut(window);
        return 0;
    case WM_COMMAND:
        g_log.Line("frame command %u", LOWORD(wParam));
        if (LOWORD(wParam) == CMD_RAW_VIEW)
            ToggleRawView(window);
        if (LOWORD(wParam) == ID_FILE_EXIT)
            PostMessageA(window, WM_CLOSE, 0, 0);
        // Delivering the queue: the plug-in may find nothing left to deliver.
        if (LOWORD(wParam) == CMD_DELIVER_QUEUE
            && AskPlugin(WM_HOSTEVENT, EVENT_QUEUE, 0, "event 15 on delivery") != HOST_HANDLED)
            g_log.Line("queue delivered");
        break;
    case WM_INITMENUPOPUP:
        g_log.Line("frame initmenupopup %d items", GetMenuItemCount(reinterpret_cast<HMENU>(wParam)));
        break;
    case WM_SYSKEYDOWN:
        g_log.Line("frame syskey 0x%X", static_cast<unsigned>(wParam));
        break;
    case WM_CLOSE:
        Close(window);
        return 0;
    case WM_DESTROY:
        g_log.Line("frame destroyed");
        g_host.Frame = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return DefFrameProcA(window, g_host.MdiClient, message, wParam, lParam);
}

HWND CreateMdiChild(const char* className, const char* title)
{
    MDICREATESTRUCTA create = {};
    create.szClass = className;
    create.szTitle = title;
    create.hOwner = g_host.Instance;
    create.x = create.y = create.cx = create.cy = CW_USEDEFAULT;
    return reinterpret_cast<HWND>(
        SendMessageA(g_host.MdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
}
} // namespace

HWND THost::ActiveChild() const
{
    return MdiClient ? reinterpret_cast<HWND>(SendMessageA(MdiClient, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}

HWND THost::CreateReader(bool refuseClose)
{
    HWND reader = CreateMdiChild(CLASS_READER, "Reader");
    if (reader && refuseClose)
        SetPropA(reader, REFUSE_CLOSE_PROP, reinterpret_cast<HANDLE>(1));
    Readers.push_back(reader);
    return reader;
}

HWND THost::CreateMdiReader()
{
    HWND reader = CreateMdiChild(CLASS_MDI_READER, "Message");
    Readers.push_back(reader);
    return reader;
}

HWND THost::CreateEditor()
{
    // Titled as the mail client titles new messages, in the language of its strings.
    // The language text is no format: its one "%d" takes the number, anything else stays text.
    char format[128] = {};
    if (!LoadStringA(Language ? Language : Instance, HOST_STRING_NEW_MESSAGE, format, sizeof format))
        lstrcpyA(format, "New message %d");
    std::string title = format;
    const std::string number = std::to_string(++EditorCount);
    if (const size_t at = title.find("%d"); at != std::string::npos)
        title.replace(at, 2, number);
    return CreateMdiChild(CLASS_EDITOR, title.c_str());
}

HWND THost::CreateFolderWindow(bool manager, const std::string& title)
{
    return CreateMdiChild(manager ? CLASS_FOLDER_MANAGER : CLASS_FOLDER, title.c_str());
}

HWND THost::CreateQueueWindow()
{
    return CreateMdiChild(CLASS_QUEUE, "Queue");
}

bool THost::IsSubclassed(HWND window)
{
    return window && IsWindow(window)
        && GetWindowLongPtrA(window, GWLP_WNDPROC)
        != static_cast<LONG_PTR>(GetClassLongPtrA(window, GCLP_WNDPROC));
}

// Registers the classes and creates the frame with its children.
bool CreateHostWindows()
{
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    Register(CLASS_FRAME, FrameProc, face);
    Register(CLASS_STATUS_BAR, StatusBarProc, face);
    Register(CLASS_READER_PANEL, DefWindowProcA, GetSysColorBrush(COLOR_WINDOW));
    Register(CLASS_TEXT_EDIT, DefWindowProcA, GetSysColorBrush(COLOR_WINDOW));
    Register(CLASS_MDI_READER_CONTENT, DefWindowProcA, GetSysColorBrush(COLOR_WINDOW));
    Register(CLASS_READER, ReaderProc, GetSysColorBrush(COLOR_WINDOW));
    Register(CLASS_EDITOR, EditorProc, GetSysColorBrush(COLOR_WINDOW));
    Register(CLASS_FOLDER, FolderProc, GetSysColorBrush(COLOR_WINDOW));
    Register(CLASS_FOLDER_MANAGER, FolderProc, GetSysColorBrush(COLOR_WINDOW));
    Register(CLASS_QUEUE, QueueProc, GetSysColorBrush(COLOR_WINDOW));
    Register(PLUGIN_HOST_CLASS, PluginHostProc, nullptr);
    Register(SCRIPT_CLASS, ScriptProc, nullptr);
    HWND frame
        = CreateWindowExA(0, CLASS_FRAME, "Stand-in mail client", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
            CW_USEDEFAULT, CW_USEDEFAULT, 800, 600, nullptr, BuildMenuBar(), g_host.Instance, nullptr);
    if (!frame)
        return false;
    g_host.Script = CreateWindowExA(
        0, SCRIPT_CLASS, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, g_host.Instance, nullptr);
    ShowWindow(frame, SW_SHOW);
    UpdateWindow(frame);
    return true;
}
