// Stands in for the plug-in library in the helper program's tests: each command export appends
// "ordinal|argument" to calls.log beside the library, so a test reads what the helper passed.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HMODULE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

void Record(int ordinal, const std::string& argument)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(ThisModule(), path, MAX_PATH);
    std::string log = path;
    log = log.substr(0, log.rfind('\\') + 1) + "calls.log";
    if (FILE* file = std::fopen(log.c_str(), "ab")) {
        std::fprintf(file, "%d|%s\n", ordinal, argument.c_str());
        std::fclose(file);
    }
}

std::string Text(const char* text)
{
    return text ? text : "(null)";
}

} // namespace

extern "C" {
void WINAPI USERSETUP(const char* arguments) { Record(10, Text(arguments)); }
void WINAPI USERUNINSTALL() { Record(11, ""); }
void WINAPI USERUPDATE(const char* arguments) { Record(12, Text(arguments)); }
void WINAPI PMRESTART(const char* identity, HWND window)
{
    Record(13, Text(identity) + "|" + std::to_string(reinterpret_cast<uintptr_t>(window)));
}
void WINAPI SYNCTIME(BOOL show) { Record(14, show ? "true" : "false"); }
void WINAPI HTMLPAGE(const char* page) { Record(15, Text(page)); }
void WINAPI PGPHELP(const char* topic) { Record(16, Text(topic)); }
void WINAPI MANUAL(const char* topic) { Record(17, Text(topic)); }
void WINAPI CLEANUP() { Record(18, ""); }
}
