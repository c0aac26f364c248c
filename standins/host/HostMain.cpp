// The stand-in mail client, "WINPM-32.EXE": loads the plug-in by full path the way the mail client
// does, calls its exports, sends it the mail client's messages, answers its requests, and logs it
// all. A script drives it step by step (one step per posted message, so the message loop runs in
// between):
//   set NAME VALUE | setting INDEX VALUE | text INDEX VALUE   change the settings table
//   load | unload                         LoadLibrary / FreeLibrary of the plug-in
//   forminit [VERSION]                    FORMINIT with the plug-in host window (default: formver)
//   ready | send                          0x0B09 / 0x0B10 to the plug-in window
//   message MSG [WPARAM] [LPARAM]         any message sent to the plug-in window
//   event TYPE [TEXT|KIND]                0x0B11 (5, 28: TEXT; 25: KIND for the last editor)
//   reader [refuse] | editor              open a reader (one that refuses to close) or an editor
//   folder TITLE | folman                 open a folder window with that title / the folder manager
//   queuewindow                           open the queue window (it logs each refresh it is asked for)
//   command ID                            WM_COMMAND ID sent to the frame (189 delivers the queue)
//   addbutton COMMAND TOOLTIP             add a button for the plug-in window as the plug-in does (3097)
//   click COMMAND                         click the plug-in's toolbar button of that command id
//   editorcommand ID                      WM_COMMAND ID sent to the last editor (139 sends)
//   editorclick ID                        click the last editor's control ID (103: its encryption box)
//   editortext TEXT | editors             fill the last editor's text control / log every editor's
//   readertext                            log the text of the last open reader's message control
//   encrypt|sign IN OUT [METHOD] [RECIPIENT] | decrypt IN OUT   message exports (OUT "-" = empty);
//                                         the active editor, else the last reader, shows the OUT
//                                         that DECRYPT gave back (its first 64 KB)
//   verify|manage|destroy FILE|-          file exports ("-" = nil)
//   export NAME [TEXT]                    command exports
//   queue STEP...                         post STEP, then run the next step (its pumps dispatch STEP)
//   onsend STEP...                        run STEP each time an editor's message is sent
//   encdialog | encclick ID               open the last editor's encryption dialog / click its control
//   encselect TEXT                        choose the encryptor of that name in it, as the user would
//   showframe                             hide the frame and show it again
//   answer CAPTION BUTTON | dialog CAPTION   answer rules (BUTTON: id, caption, once:CAPTION or keys:VK,...) / a host question
//   identity NAME                         the mail client's identity choice, its field holding NAME
//   wait MS | check | close | quit        pump; log subclass state; WM_CLOSE to the frame; end
//   elapsed                               log the time since the last message export returned
//   idle                                  wait until the plug-in is idle: our own message loop runs
//                                         the script again (no loop of the plug-in is open) and no
//                                         posted, sent, input or paint message waits in the queue
//                                         (what the last steps set off by messages has run); a
//                                         timer that has not yet come due is not seen
//   until PREFIX [COUNT]                  pump until the log holds COUNT (1) lines beginning with PREFIX
//   capture NAME                          a picture of the screen into the --captures folder
//   clipboard FILE                        write the clipboard's text to FILE
//   language CODE                         load the language library WPM32<CODE>.DLL of the base folder
// and the steps of HostInspect.cpp that look at the plug-in's menus, buttons and subclassed windows,
// and of HostViewers.cpp that open a message in a reader and walk the plug-in's viewers.
// "set" also writes the folders, user name and identity into the registry for the run.
// "load" loads the libraries that the "Form DLL = " lines of the mail folder's form files name (the
// first with a FORMINIT is the plug-in), the staged ..\Plugin\ZAVEKMain.dll when none does, or the
// library of --plugin.
// Command line: [--script FILE] [--log FILE] [--plugin DLL] [--timeout MS] [--captures FOLDER]
// [-I identity]; the dialog answerer also pictures each dialog into FOLDER before it answers. Without a
// script it takes its folders, user name and identity from the registry values a user set, loads,
// starts and readies the plug-in and stays open for a person to use.
#include "standins/host/Host.h"
#include "standins/host/HostEditorControl.h"
#include "standins/host/HostForms.h"
#include "standins/host/HostLog.h"
#include "standins/host/HostResources.h"
#include "standins/host/HostScript.h"

#include <psapi.h>
#include <shellapi.h>

#include <fstream>
#include <sstream>

using namespace HostApi;

bool CreateHostWindows();

namespace {
constexpr UINT_PTR SCRIPT_TIMEOUT_TIMER = 0x4E54;
constexpr int EXIT_TIMEOUT = 3;
constexpr int32_t DECRYPT_WRITTEN = 2; // DECRYPT wrote the message for the mail client to show

std::vector<THostStep> g_steps;
std::vector<THostStep> g_queued;
size_t g_nextStep = 0;
bool g_stepHeld = false;
// The step message being dispatched came from our own message loop, not from a pump of the plug-in.
bool g_dispatchedByMainLoop = false;
bool g_stepAtTop = false;
constexpr UINT HELD_STEP_RETRY_MS = 20;
HWND g_lastEditor = nullptr;
// When the last message export returned, for the "elapsed" step of the speed bench.
LARGE_INTEGER g_exportReturned = {};
// What the mail client does with a message an editor sends (a message export, as a rule).
THostStep g_onSend;
int g_exitCode = 0;

std::string Arg(const THostStep& step, size_t i)
{
    return i < step.size() ? step[i] : std::string();
}

const char* TextOrNil(const std::string& text)
{
    return text == "-" ? nullptr : text.c_str();
}

std::string ModuleFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH] = {};
    GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return full;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

template <class T> T Export(const char* name)
{
    return g_host.Plugin ? reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(g_host.Plugin, name)))
                         : nullptr;
}

// Loads the libraries of the mail folder's form files, as the mail client does; the first with a
// FORMINIT is the plug-in. Without one, the staged plug-in, so that a mail folder nobody set up
// still gets it. Returns the plug-in.
HMODULE LoadFormLibraries()
{
    HMODULE plugin = nullptr;
    for (const std::string& path : FormLibraries(g_host.Settings.MailFolder, g_host.Settings.BaseFolder)) {
        const HMODULE library = LoadLibraryA(path.c_str());
        g_log.Line("form library %s -> %s", path.c_str(), library ? "ok" : "failed");
        if (library && !plugin && GetProcAddress(library, "FORMINIT")) {
            plugin = library;
            g_host.PluginPath = path;
        } else if (library) {
            g_host.FormLibraries.push_back(library);
        }
    }
    if (plugin)
        return plugin;
    g_host.PluginPath = FullPath(ModuleFolder() + "..\\Plugin\\ZAVEKMain.dll");
    g_log.Line("no form file names a plug-in: the staged one");
    return LoadLibraryA(g_host.PluginPath.c_str());
}

// Milliseconds since Start, for the "took" lines the start-up benchmark reads.
double MillisecondsSince(const LARGE_INTEGER& Start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - Start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The working set now and its peak so far, for the memory an export added.
PROCESS_MEMORY_COUNTERS MemoryCounters()
{
    PROCESS_MEMORY_COUNTERS counters = { sizeof counters };
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

void Load()
{
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (g_host.PluginFromCommandLine.empty()) {
        g_host.Plugin = LoadFormLibraries();
    } else {
        g_host.PluginPath = g_host.PluginFromCommandLine;
        g_host.Plugin = LoadLibraryA(g_host.PluginPath.c_str());
    }
    const double took = MillisecondsSince(start);
    g_log.Line("load %s -> %s", g_host.PluginPath.c_str(), g_host.Plugin ? "ok" : "failed");
    g_log.Line("took load %.1f ms", took);
}

// Loaded as a program module, not as data: the plug-in finds it among the process's modules.
void LoadLanguageLibrary(const std::string& code)
{
    const std::string name = "WPM32" + code + ".DLL";
    const HMODULE library = LoadLibraryA((g_host.Settings.BaseFolder + name).c_str());
    if (library)
        g_host.Language = library;
    g_log.Line("language %s -> %s", name.c_str(), library ? "loaded" : "missing");
}

void Unload()
{
    if (!g_host.Plugin)
        return;
    // A plug-in that finalised itself at the shut-down has given its window class back already.
    WNDCLASSA hidden = {};
    g_log.Line("unload: plug-in class %s",
        GetClassInfoA(g_host.Plugin, "ZAVEK_HIDDEN_CLASS", &hidden) ? "registered" : "gone");
    const BOOL freed = FreeLibrary(g_host.Plugin);
    g_host.Plugin = nullptr;
    g_host.PluginWindow = nullptr;
    g_log.Line("unload -> %s, module %s", freed ? "ok" : "failed",
        GetModuleHandleA(g_host.PluginPath.c_str()) ? "still loaded" : "gone");
}

void FormInit(const THostStep& step)
{
    auto formInit = Export<TFormInit>("FORMINIT");
    if (!formInit) {
        g_log.Line("export FORMINIT missing");
        return;
    }
    const uint32_t version
        = step.size() > 1 ? static_cast<uint32_t>(ParseNumber(step[1])) : g_host.Settings.FormVersion;
    HWND window = nullptr;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    const uint32_t result = formInit(version, 0, g_host.PluginHost, 0, &window, 0);
    const double took = MillisecondsSince(start);
    if (result & 0xFFFF)
        g_host.PluginWindow = window;
    g_log.Line("export FORMINIT 0x%X -> %u window %p child %d", version, result & 0xFFFF,
        static_cast<void*>(window), window && GetParent(window) == g_host.PluginHost);
    g_log.Line("took FORMINIT %.1f ms", took);
}

void CallRequestExport(const THostStep& step)
{
    const std::string& name = step[0];
    auto call = Export<TRequestExport>(name == "encrypt" ? "ENCRYPT" : name == "sign" ? "SIGN" : "DECRYPT");
    if (!call)
        return;
    const std::string in = Arg(step, 1), out = Arg(step, 2), method = Arg(step, 3), recipient = Arg(step, 4);
    TEncryptorRequest request = {};
    request.InFile = TextOrNil(in);
    request.OutFile = out == "-" ? "" : out.c_str();
    request.Method = method.c_str();
    request.Recipient = recipient.c_str();
    const DWORD start = GetTickCount();
    const size_t idle = MemoryCounters().WorkingSetSize;
    if (name == "decrypt")
        g_log.Line("took double-click %u ms", GetDoubleClickTime());
    g_log.Line("export %s begin", name.c_str());
    const int32_t result = call(&request);
    g_log.Line("export %s -> %d after %lu ms", name.c_str(), result, GetTickCount() - start);
    QueryPerformanceCounter(&g_exportReturned);
    const size_t peak = MemoryCounters().PeakWorkingSetSize;
    g_log.Line("took memory %s %lu bytes above %lu idle", name.c_str(),
        static_cast<unsigned long>(peak > idle ? peak - idle : 0), static_cast<unsigned long>(idle));
    if (name == "decrypt" && result == DECRYPT_WRITTEN && !out.empty() && out != "-") {
        LARGE_INTEGER shown;
        QueryPerformanceCounter(&shown);
        ShowDecryptedText(ReadFile(out));
        g_log.Line("took reader text %.1f ms", MillisecondsSince(shown));
    }
}

void CallFileExport(const THostStep& step)
{
    const std::string& name = step[0];
    const std::string file = Arg(step, 1);
    int32_t result = 0;
    if (name == "verify") {
        if (auto verify = Export<TFileExport>("VERIFY"))
            result = verify(TextOrNil(file), 0);
    } else if (auto call = Export<TFileNameExport>(name == "manage" ? "MANAGE" : "DESTROY")) {
        result = call(TextOrNil(file));
    }
    g_log.Line("export %s -> %d", name.c_str(), result);
}

void CallCommandExport(const THostStep& step)
{
    const std::string name = Arg(step, 1), text = Arg(step, 2);
    if (name == "USERUNINSTALL" || name == "CLEANUP") {
        if (auto call = Export<TPlainExport>(name.c_str()))
            call();
    } else if (name == "SYNCTIME") {
        if (auto call = Export<TFlagExport>("SYNCTIME"))
            call(text == "1");
    } else if (name == "PMRESTART") {
        if (auto call = Export<TRestartExport>("PMRESTART"))
            call(text.c_str(), g_host.Frame);
    } else if (auto call = Export<TTextExport>(name.c_str())) {
        call(text.c_str());
    }
    g_log.Line("export %s returned", name.c_str());
}

void SendEvent(const THostStep& step)
{
    if (!g_host.PluginWindow)
        return;
    const WPARAM type = static_cast<WPARAM>(ParseNumber(Arg(step, 1)));
    const std::string text = Arg(step, 2);
    THostEvent25 window = { g_lastEditor, static_cast<uint16_t>(ParseNumber(text)) };
    LPARAM record = 0;
    if (type == EVENT_TEXT || type == EVENT_DECODE_FILE)
        record = reinterpret_cast<LPARAM>(text.c_str());
    else if (type == EVENT_WINDOW)
        record = reinterpret_cast<LPARAM>(&window);
    else if (type == EVENT_SHUTDOWN)
        record = 1;
    const LRESULT answer = SendMessageA(g_host.PluginWindow, WM_HOSTEVENT, type, record);
    g_log.Line("event %u -> 0x%lX", static_cast<unsigned>(type), static_cast<long>(answer));
}

void Check()
{
    std::ostringstream line;
    line << "check frame subclassed=" << THost::IsSubclassed(g_host.Frame)
         << " statusbar subclassed=" << THost::IsSubclassed(g_host.StatusBar);
    for (size_t i = 0; i < g_host.Readers.size(); ++i) {
        HWND reader = g_host.Readers[i];
        line << " reader" << i + 1
             << (IsWindow(reader) ? THost::IsSubclassed(reader) ? "=subclassed" : "=plain" : "=gone");
    }
    g_log.Line("%s", line.str().c_str());
}

// The next queued message to dispatch. A step may run inside a popup menu's loop: the keys stay
// queued for that loop, which owns the keyboard while the menu is open.
bool NextMessage(MSG& msg)
{
    GUITHREADINFO thread = { sizeof thread };
    if (!GetGUIThreadInfo(GetCurrentThreadId(), &thread) || !(thread.flags & GUI_INMENUMODE))
        return PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    return PeekMessageA(&msg, nullptr, 0, WM_KEYFIRST - 1, PM_REMOVE)
        || PeekMessageA(&msg, nullptr, WM_KEYLAST + 1, 0xFFFFFFFF, PM_REMOVE);
}

// Dispatches what is queued; false at WM_QUIT, which stays queued for the main loop.
bool PumpPending()
{
    MSG msg;
    while (NextMessage(msg)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (!TranslateMDISysAccel(g_host.MdiClient, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

void Pump(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds && PumpPending())
        Sleep(5);
}

// Pumps until the log holds count lines beginning with prefix; the script's time-out ends a wait
// for something that never comes.
void PumpUntilLogged(const std::string& prefix, size_t count)
{
    while (g_log.CountStartingWith(prefix) < count && PumpPending())
        Sleep(5);
}

// Messages other than timers wait in the queue: something set off by the last steps has yet to run.
bool MessagesWaiting()
{
    return HIWORD(GetQueueStatus((QS_ALLINPUT & ~QS_TIMER) | QS_ALLPOSTMESSAGE)) != 0;
}

void SaveClipboardText(const std::string& fileName)
{
    std::string text;
    if (OpenClipboard(g_host.Frame)) {
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            if (const char* locked = static_cast<const char*>(GlobalLock(data))) {
                text.assign(locked, strnlen(locked, GlobalSize(data)));
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    std::ofstream(fileName, std::ios::binary) << text;
    g_log.Line("clipboard -> %u bytes", static_cast<unsigned>(text.size()));
}

// The mail client's identity choice: its field starts with the given name; the log says which
// button closed it and what the field held then.
INT_PTR CALLBACK IdentityDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(dialog, HOST_IDENTITY_EDIT, reinterpret_cast<const char*>(lParam));
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        char name[128] = {};
        GetDlgItemTextA(dialog, HOST_IDENTITY_EDIT, name, sizeof name);
        g_log.Line("identity dialog %s \"%s\"", LOWORD(wParam) == IDOK ? "OK" : "Cancel", name);
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

void RunStep(const THostStep& step)
{
    const std::string& verb = step[0];
    if (verb == "set") {
        if (!g_host.Settings.Set(Arg(step, 1), Arg(step, 2)))
            g_log.Line("unknown setting %s", Arg(step, 1).c_str());
        WriteHostRegistry();
    } else if (verb == "language") {
        LoadLanguageLibrary(Arg(step, 1));
    } else if (verb == "setting") {
        g_host.Settings.Integers[static_cast<int>(ParseNumber(Arg(step, 1)))]
            = static_cast<int32_t>(ParseNumber(Arg(step, 2)));
    } else if (verb == "text") {
        g_host.Settings.Texts[static_cast<int>(ParseNumber(Arg(step, 1)))] = Arg(step, 2);
    } else if (verb == "load") {
        Load();
    } else if (verb == "unload") {
        Unload();
    } else if (verb == "forminit") {
        FormInit(step);
    } else if (verb == "ready" || verb == "send") {
        if (g_host.PluginWindow) {
            const LRESULT answer
                = SendMessageA(g_host.PluginWindow, verb == "ready" ? WM_HOSTREADY : WM_HOSTSEND, 0, 0);
            g_log.Line("%s -> 0x%lX", verb.c_str(), static_cast<long>(answer));
        }
    } else if (verb == "message") {
        if (g_host.PluginWindow) {
            const LRESULT answer = SendMessageA(g_host.PluginWindow,
                static_cast<UINT>(ParseNumber(Arg(step, 1))), static_cast<WPARAM>(ParseNumber(Arg(step, 2))),
                static_cast<LPARAM>(ParseNumber(Arg(step, 3))));
            g_log.Line("message %s -> 0x%lX", Arg(step, 1).c_str(), static_cast<long>(answer));
        }
    } else if (verb == "event") {
        SendEvent(step);
    } else if (verb == "reader") {
        g_host.CreateReader(Arg(step, 1) == "refuse");
        g_log.Line("reader %u opened", static_cast<unsigned>(g_host.Readers.size()));
    } else if (verb == "editor") {
        g_lastEditor = g_host.CreateEditor();
        g_log.Line("editor opened");
    } else if (verb == "queuewindow") {
        g_host.CreateQueueWindow();
    } else if (verb == "folder" || verb == "folman") {
        g_host.CreateFolderWindow(verb == "folman", verb == "folman" ? "Folder manager" : Arg(step, 1));
        g_log.Line("%s opened", verb.c_str());
    } else if (verb == "command") {
        SendMessageA(g_host.Frame, WM_COMMAND, static_cast<WPARAM>(ParseNumber(Arg(step, 1))), 0);
    } else if (verb == "addbutton") {
        THostButtonRecord record = {};
        lstrcpynA(record.Tooltip, Arg(step, 2).c_str(), sizeof record.Tooltip);
        record.Window = g_host.PluginWindow;
        record.Message = WM_COMMAND;
        record.CommandId = static_cast<uint32_t>(ParseNumber(Arg(step, 1)));
        SendMessageA(g_host.PluginHost, REQ_ADD_BUTTON, 0, reinterpret_cast<LPARAM>(&record));
    } else if (verb == "click") {
        if (!ClickPluginButton(static_cast<uint32_t>(ParseNumber(Arg(step, 1)))))
            g_log.Line("no button %s", Arg(step, 1).c_str());
    } else if (verb == "editorcommand") {
        if (g_lastEditor)
            SendMessageA(g_lastEditor, WM_COMMAND, static_cast<WPARAM>(ParseNumber(Arg(step, 1))), 0);
    } else if (verb == "editorclick") {
        if (HWND control = g_lastEditor ? GetDlgItem(g_lastEditor, static_cast<int>(ParseNumber(Arg(step, 1)))) : nullptr)
            SendMessageA(control, BM_CLICK, 0, 0);
    } else if (verb == "editortext") {
        SetEditorControlText(g_lastEditor, Arg(step, 1));
    } else if (verb == "editors") {
        LogEditorTexts();
    } else if (verb == "readertext") {
        for (auto reader = g_host.Readers.rbegin(); reader != g_host.Readers.rend(); ++reader)
            if (IsWindow(*reader)) {
                LogReaderText(*reader);
                break;
            }
    } else if (verb == "encrypt" || verb == "sign" || verb == "decrypt") {
        CallRequestExport(step);
    } else if (verb == "verify" || verb == "manage" || verb == "destroy") {
        CallFileExport(step);
    } else if (verb == "export") {
        CallCommandExport(step);
    } else if (verb == "queue") {
        // The queued step waits in the message queue while the next step runs: only a message pump
        // inside that step (the plug-in's) dispatches it.
        g_queued.emplace_back(step.begin() + 1, step.end());
        PostMessageA(g_host.Script, WM_HOST_RUN_QUEUED_STEP, g_queued.size() - 1, 0);
        if (g_nextStep < g_steps.size())
            RunStep(g_steps[g_nextStep++]);
    } else if (verb == "showframe") {
        ShowWindow(g_host.Frame, SW_HIDE);
        ShowWindow(g_host.Frame, SW_SHOW);
    } else if (verb == "encdialog") {
        OpenEncryptionDialog(g_lastEditor);
    } else if (verb == "encclick") {
        ClickEncryptionDialog(static_cast<int>(ParseNumber(Arg(step, 1))));
    } else if (verb == "encselect") {
        SelectEncryptor(Arg(step, 1));
    } else if (verb == "onsend") {
        g_onSend.assign(step.begin() + 1, step.end());
    } else if (verb == "answer") {
        AddDialogAnswer(Arg(step, 1), Arg(step, 2));
    } else if (verb == "dialog") {
        const int result = MessageBoxA(
            g_host.Frame, "A question of the stand-in mail client.", Arg(step, 1).c_str(), MB_OKCANCEL);
        g_log.Line("dialog %s -> %d", Arg(step, 1).c_str(), result);
    } else if (verb == "identity") {
        const INT_PTR result = DialogBoxParamA(g_host.Instance, "IDENTITY", g_host.Frame, IdentityDialogProc,
            reinterpret_cast<LPARAM>(Arg(step, 1).c_str()));
        g_log.Line("identity -> %d", static_cast<int>(result));
    } else if (verb == "idle") {
        if (g_stepAtTop && !MessagesWaiting())
            g_log.Line("idle");
        else
            HoldScriptStep();
    } else if (verb == "elapsed") {
        g_log.Line("took since export %.1f ms", MillisecondsSince(g_exportReturned));
    } else if (verb == "wait") {
        Pump(static_cast<DWORD>(ParseNumber(Arg(step, 1))));
    } else if (verb == "until") {
        PumpUntilLogged(Arg(step, 1), step.size() > 2 ? static_cast<size_t>(ParseNumber(step[2])) : 1);
    } else if (verb == "capture") {
        Pump(300); // the windows paint what the last steps changed
        CaptureIntoFolder(Arg(step, 1));
    } else if (verb == "check") {
        Check();
    } else if (verb == "clipboard") {
        SaveClipboardText(Arg(step, 1));
    } else if (verb == "close") {
        PostMessageA(g_host.Frame, WM_CLOSE, 0, 0);
    } else if (verb == "quit") {
        g_host.Closing = true;
        DestroyWindow(g_host.Frame);
    } else if (!RunInspectStep(step) && !RunViewerStep(step)) {
        g_log.Line("unknown step %s", verb.c_str());
    }
}

// A held step runs again by a timer, not by a posted message: the queue stays free for the
// messages, timers among them, that bring the state it waits for.
void CALLBACK RetryHeldStep(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    PostMessageA(g_host.Script, WM_HOST_RUN_NEXT_STEP, 0, 0);
}

// One line per visible window of the host's thread, so that a timed-out log shows what the script
// waited on (a question nobody answered, a dialog that never took its click).
BOOL CALLBACK LogOpenWindow(HWND window, LPARAM)
{
    if (!IsWindowVisible(window))
        return TRUE;
    char caption[256] = {}, className[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    GetClassNameA(window, className, sizeof className);
    g_log.Line("open window \"%s\" %s%s%s", caption, className, IsWindowEnabled(window) ? "" : " disabled",
        GetActiveWindow() == window ? " active" : "");
    return TRUE;
}

void CALLBACK ScriptTimeout(HWND, UINT, UINT_PTR, DWORD)
{
    g_log.Line("timeout: script did not end");
    EnumThreadWindows(GetCurrentThreadId(), LogOpenWindow, 0);
    char focusClass[64] = {};
    if (HWND focus = GetFocus())
        GetClassNameA(focus, focusClass, sizeof focusClass);
    g_log.Line("focus on %s", *focusClass ? focusClass : "no window of the host");
    g_exitCode = EXIT_TIMEOUT;
    PostQuitMessage(EXIT_TIMEOUT);
}

void ParseCommandLine(std::string& script, std::string& log, DWORD& timeout)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    auto narrow = [](LPCWSTR w) {
        char text[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, w, -1, text, sizeof text, nullptr, nullptr);
        return std::string(text);
    };
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string option = narrow(argv[i]);
        const std::string value = narrow(argv[i + 1]);
        if (option == "--script")
            script = value, ++i;
        else if (option == "--log")
            log = value, ++i;
        else if (option == "--plugin")
            g_host.PluginFromCommandLine = FullPath(value), ++i;
        else if (option == "--captures")
            SetCaptureFolder(FullPath(value)), ++i;
        else if (option == "--timeout")
            timeout = static_cast<DWORD>(ParseNumber(value)), ++i;
        else if (option == "-I" || option == "/I")
            g_host.Settings.Identity = value, ++i;
    }
    LocalFree(argv);
}
} // namespace

void RunEditorSendStep()
{
    if (!g_onSend.empty())
        RunStep(g_onSend);
}

void HoldScriptStep()
{
    g_stepHeld = true;
}

// Script steps arrive as posted messages, also through message pumps of the plug-in.
bool RunScriptMessage(UINT message, WPARAM wParam)
{
    if (message == WM_HOST_RUN_NEXT_STEP) {
        if (g_nextStep < g_steps.size()) {
            g_stepAtTop = g_dispatchedByMainLoop;
            g_dispatchedByMainLoop = false;
            RunStep(g_steps[g_nextStep++]);
            if (g_stepHeld) {
                g_stepHeld = false;
                --g_nextStep;
                SetTimer(nullptr, 0, HELD_STEP_RETRY_MS, RetryHeldStep);
            } else if (g_host.Frame) {
                PostMessageA(g_host.Script, WM_HOST_RUN_NEXT_STEP, 0, 0);
            }
        }
        return true;
    }
    if (message == WM_HOST_RUN_QUEUED_STEP && wParam < g_queued.size()) {
        g_log.Line("queued step runs");
        RunStep(g_queued[wParam]);
        return true;
    }
    return false;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    g_host.Instance = instance;
    const std::string base = ModuleFolder();
    std::string script, log = base + "host.log";
    DWORD timeout = 0;
    ParseCommandLine(script, log, timeout);
    g_host.Settings.BaseFolder = base;
    g_host.Settings.MailFolder = FullPath(base + "..\\Mail") + "\\";
    g_host.Settings.NewMailFolder = g_host.Settings.MailFolder;
    if (!g_log.Open(log))
        return 2;
    const bool scripted = !script.empty();
    if (scripted)
        StartScriptedRegistry();
    else
        AdoptUserRegistry(!g_host.Settings.Identity.empty());
    // Without a script it starts as the mail client does: load the plug-in, start it, report ready.
    g_steps = script.empty() ? ParseHostScript("load\nforminit\nready\n") : ParseHostScript(ReadFile(script));
    g_log.Line("start %u steps", static_cast<unsigned>(g_steps.size()));
    if (!CreateHostWindows()) {
        g_log.Line("no frame");
        if (scripted)
            RestoreScriptedRegistry();
        return 2;
    }
    StartDialogAnswerer(g_host.Frame);
    if (!script.empty())
        SetTimer(nullptr, SCRIPT_TIMEOUT_TIMER, timeout ? timeout : 60000, ScriptTimeout);
    PostMessageA(g_host.Script, WM_HOST_RUN_NEXT_STEP, 0, 0);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!TranslateMDISysAccel(g_host.MdiClient, &msg)) {
            TranslateMessage(&msg);
            g_dispatchedByMainLoop = msg.hwnd == g_host.Script;
            DispatchMessageA(&msg);
            g_dispatchedByMainLoop = false;
        }
    }
    if (g_host.Frame)
        DestroyWindow(g_host.Frame);
    Unload();
    for (HMODULE library : g_host.FormLibraries)
        FreeLibrary(library);
    // The process goes on after the plug-in left: a window of ours still works.
    HWND probe = CreateWindowExA(0, "STATIC", "probe", 0, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
    SendMessageA(probe, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("after"));
    DestroyWindow(probe);
    if (scripted)
        RestoreScriptedRegistry();
    g_log.Line("exit %d", g_exitCode);
    return g_exitCode;
}
