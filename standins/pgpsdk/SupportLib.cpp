// The stand-in support library (PGPsc.dll). The log message is appended, as UTF-8, to the file
// named by PGPSTANDIN_LOG (texts arrive 8-bit up to generation 4, UTF-16 from 5 on); file lists
// and wiping come with their own unit and refuse until then; the secure viewer is SecureViewer.cpp.
#include "standins/pgpsdk/CoreLink.h"
#include "standins/pgpsdk/SecureViewer.h"
#include "standins/pgpsdk/StandInLog.h"

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
    standin::AppendToLog(standin::Utf8Of(wide));
    return kPGPError_NoErr;
}

STANDIN_EXPORT PGPError PGP_CDECL PGPscSecureViewer(void* window, const void* text, uint32_t byteLength,
                                                   PGPBoolean isWide)
{
    return standin::ShowSecureText(static_cast<HWND>(window), text, byteLength, isWide != 0);
}

} // extern "C"
