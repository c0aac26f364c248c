// The stand-in support library (PGPsc.dll). The log message is appended, as UTF-8, to the file
// named by PGPSTANDIN_LOG (texts arrive 8-bit up to generation 4, UTF-16 from 5 on); file lists,
// wiping and the viewer come with their own unit and refuse until then.
#include "standins/pgpsdk/CoreLink.h"

#include <fstream>
#include <string>

extern "C" {

STANDIN_EXPORT PGPError PGP_CDECL PGPscWipeFileList(void*, PGPContextRef, void*, uint32_t, uint32_t)
{
    return kPGPError_NotImplemented;
}

// One export for both text forms: the engine passes 8-bit text up to generation 4, UTF-16 after.
STANDIN_EXPORT void* PGP_CDECL PGPscCmdLineToFileList(const void*) { return nullptr; }
STANDIN_EXPORT PGPError PGP_CDECL PGPscSendPGPlogMsg(void*, const void* text)
{
    if (!text)
        return kPGPError_BadParams;
    char logPath[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("PGPSTANDIN_LOG", logPath, sizeof logPath);
    if (length == 0 || length >= sizeof logPath)
        return kPGPError_NoErr; // no log wanted
    auto generation = standin::CoreProc<decltype(&StandInGeneration)>("StandInGeneration");
    std::wstring wide;
    if (generation && generation() >= 5) {
        wide = static_cast<const wchar_t*>(text);
    } else {
        const char* ansi = static_cast<const char*>(text);
        int count = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
        wide.resize(count > 0 ? count - 1 : 0);
        if (count > 1)
            MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide.data(), count);
    }
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), utf8.data(), bytes, nullptr, nullptr);
    std::ofstream(logPath, std::ios::binary | std::ios::app) << utf8 << "\r\n";
    return kPGPError_NoErr;
}

STANDIN_EXPORT PGPError PGP_CDECL PGPscSecureViewer(void*, const void*, uint32_t, PGPBoolean)
{
    return kPGPError_NotImplemented;
}

} // extern "C"
