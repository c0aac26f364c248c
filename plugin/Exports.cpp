// Exported functions. The main object behind them comes with the plug-in core; until then every
// export reports failure (or does nothing, for the command exports) rather than pretend to work.
#include "plugin/Exports.h"

namespace {
HMODULE g_module = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    // Only the module handle: all start-up runs on the first export call.
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}

extern "C" {

uint32_t WINAPI FORMINIT(uint32_t, uint32_t, HWND, uint32_t, HWND*, uint32_t) { return 0; }
int32_t WINAPI ENCRYPT(const TEncryptorRequest*) { return 0; }
int32_t WINAPI DECRYPT(const TEncryptorRequest*) { return 0; }
int32_t WINAPI SIGN(const TEncryptorRequest*) { return 0; }
int32_t WINAPI VERIFY(const char*, uint32_t) { return -2; }
int32_t WINAPI MANAGE(const char*) { return 0; }
int32_t WINAPI DESTROY(const char*) { return 0; }
void WINAPI USERSETUP(const char*) {}
void WINAPI USERUNINSTALL() {}
void WINAPI USERUPDATE(const char*) {}
void WINAPI PMRESTART(const char*, HWND) {}
void WINAPI SYNCTIME(BOOL) {}
void WINAPI HTMLPAGE(const char*) {}
void WINAPI PGPHELP(const char*) {}
void WINAPI MANUAL(const char*) {}
void WINAPI CLEANUP() {}
}
