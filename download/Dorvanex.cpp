// Web download library. The download thread and the process finder come with their own work;
// until then every entry point reports failure.
#include <windows.h>

extern "C" {
HANDLE WINAPI CreateWebThread(const void*) { return nullptr; }
DWORD WINAPI TerminateWebThread(HANDLE* thread) { if (thread) *thread = nullptr; return 1; }
DWORD WINAPI WaitForWebThread(HANDLE) { return 1; }
DWORD WINAPI FreeWebThread(HANDLE) { return 1; }
BOOL WINAPI FindProcess(const char*) { return FALSE; }
}
