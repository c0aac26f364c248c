// Process-wide life of the stand-in SDK: reference-counted init and clean-up (clean-up never
// invalidates live handles), contexts, file specs, the status texts and the test counters.
#include "standins/pgpsdk/Guard.h"
#include "standins/pgpsdk/Objects.h"
#include "standins/pgpsdk/StandInExports.h"
#include "standins/pgpsdk/StatusTable.h"
#include "standins/pgpsdk/TestHooks.h"

#include <atomic>
#include <cstring>
#include <string>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace standin {
namespace {

std::atomic<int32_t> initCounts[kStandInLibraryCount];

struct Context : SdkObject { };

} // namespace
} // namespace standin

using namespace standin;

extern "C" {

PGPError PGP_CDECL PGPsdkInit(uint32_t)
{
    return Guarded([&]() -> PGPError {
        ArmServiceFault();
        return StandInNoteLibraryInit(kStandInCore, +1);
    });
}
PGPError PGP_CDECL PGPsdkCleanup() { return StandInNoteLibraryInit(kStandInCore, -1); }

// There is no service process to re-attach to; a positive result means "already attached".
PGPError PGP_CDECL PGPsdkReconnect() { return initCounts[kStandInCore] > 0 ? 1 : kPGPError_BadParams; }

PGPError PGP_CDECL StandInNoteLibraryInit(int32_t library, int32_t delta)
{
    return Guarded([&]() -> PGPError {
        if (library < 0 || library >= kStandInLibraryCount || (delta != 1 && delta != -1))
            return kPGPError_BadParams;
        auto& count = initCounts[library];
        if (delta < 0) {
            int32_t now = count.load();
            do {
                if (now == 0)
                    return kPGPError_BadParams;
            } while (!count.compare_exchange_weak(now, now - 1));
            return kPGPError_NoErr;
        }
        ++count;
        return kPGPError_NoErr;
    });
}

int32_t PGP_CDECL StandInInitCount(int32_t library)
{
    return library >= 0 && library < kStandInLibraryCount ? initCounts[library].load() : -1;
}

uint32_t PGP_CDECL StandInLiveHandleCount() { return static_cast<uint32_t>(Handles().LiveCount()); }

PGPError PGP_CDECL PGPGetErrorString(PGPError error, PGPSize size, char* text)
{
    return Guarded([&]() -> PGPError {
        if (!text || size == 0)
            return kPGPError_BadParams;
        std::string message = StatusText(error);
        if (message.size() >= size)
            return kPGPError_BufferTooSmall;
        std::memcpy(text, message.c_str(), message.size() + 1);
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPNewContext(uint32_t version, PGPContextRef* context)
{
    return Guarded([&]() -> PGPError {
        if (!context)
            return kPGPError_BadParams;
        *context = 0;
        if (version != kPGPContextVersion || initCounts[kStandInCore] == 0)
            return kPGPError_BadParams;
        *context = Handles().Add(ObjectKind::Context, std::make_shared<Context>());
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPFreeContext(PGPContextRef context)
{
    return Guarded([&]() -> PGPError {
        return Handles().Take(context, ObjectKind::Context) ? kPGPError_NoErr : kPGPError_BadParams;
    });
}

PGPError PGP_CDECL PGPNewFileSpecFromFullPath(PGPContextRef context, const char* path, PGPFileSpecRef* spec)
{
    return Guarded([&]() -> PGPError {
        if (!spec)
            return kPGPError_BadParams;
        *spec = 0;
        if (!path || !*path || !Handles().Contains(context, ObjectKind::Context))
            return kPGPError_BadParams;
        auto object = std::make_shared<FileSpec>();
        object->path = path;
        *spec = Handles().Add(ObjectKind::FileSpec, std::move(object));
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPFreeFileSpec(PGPFileSpecRef spec)
{
    return Guarded([&]() -> PGPError {
        return Handles().Take(spec, ObjectKind::FileSpec) ? kPGPError_NoErr : kPGPError_BadParams;
    });
}

} // extern "C"
