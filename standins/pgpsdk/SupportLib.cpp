// The stand-in support library (PGPsc.dll). File lists, wiping, the log message and the viewer
// come with their own unit; until then the entries refuse.
#include "standins/pgpsdk/StandInExports.h"

extern "C" {

STANDIN_EXPORT PGPError PGP_CDECL PGPscWipeFileList(void*, PGPContextRef, void*, uint32_t, uint32_t)
{
    return kPGPError_NotImplemented;
}

// One export for both text forms: the engine passes 8-bit text up to generation 4, UTF-16 after.
STANDIN_EXPORT void* PGP_CDECL PGPscCmdLineToFileList(const void*) { return nullptr; }
STANDIN_EXPORT PGPError PGP_CDECL PGPscSendPGPlogMsg(void*, const void*) { return kPGPError_NotImplemented; }

STANDIN_EXPORT PGPError PGP_CDECL PGPscSecureViewer(void*, const void*, uint32_t, PGPBoolean)
{
    return kPGPError_NotImplemented;
}

} // extern "C"
