// Takes the place of the HTML Help control for the end-to-end tests of the help: each call goes on
// to the system's control and is written to "htmlhelp.log" beside this library, a page shown with
// the window the viewer gave back, so that a test sees which page of which file a Help button or
// F1 opened, and in which window.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
using THtmlHelp = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
constexpr UINT HH_DISPLAY_TOPIC = 0x0000;

HMODULE ThisLibrary()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ThisLibrary), &module);
    return module;
}

THtmlHelp SystemHtmlHelp()
{
    static THtmlHelp entry = [] {
        HMODULE control = LoadLibraryA("hhctrl.ocx");
        return control ? reinterpret_cast<THtmlHelp>(GetProcAddress(control, "HtmlHelpA")) : nullptr;
    }();
    return entry;
}

void Log(const std::string& line)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(ThisLibrary(), path, MAX_PATH);
    std::string log = path;
    log = log.substr(0, log.find_last_of('\\') + 1) + "htmlhelp.log";
    if (FILE* file = std::fopen(log.c_str(), "a")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

std::string WindowText(HWND window)
{
    char className[64] = {};
    char title[128] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    return std::string(className) + " \"" + title + "\"";
}
} // namespace

extern "C" HWND WINAPI HtmlHelpA(HWND owner, LPCSTR file, UINT command, DWORD_PTR data)
{
    const THtmlHelp system = SystemHtmlHelp();
    const HWND result = system ? system(owner, file, command, data) : nullptr;
    if (command == HH_DISPLAY_TOPIC)
        Log(std::string("display ") + (file ? file : "") + " page " + reinterpret_cast<const char*>(data) + " -> "
            + (result ? WindowText(result) : "no window"));
    return result;
}
