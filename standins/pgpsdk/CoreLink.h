// How the four small stand-in libraries reach the core: by the core's module, already loaded by
// whoever loaded them, so there is one handle table and one init count per process.
#pragma once

#include "standins/pgpsdk/StandInExports.h"

#include <windows.h>

#include <vector>

// The core's exports, declared for their types only: the small libraries reach them through
// CoreProc, never by a link, and the compiler checks every call against the engine's lists.
#define STANDIN_DECLARE_TYPE(name, firstGen, lastGen, result, params) extern "C" result PGP_CDECL name params;
PGP_CORE_ENTRIES(STANDIN_DECLARE_TYPE, STANDIN_DECLARE_NOTHING)

namespace standin {

// An export of the loaded core library ("PGPSDK.dll", else "PGP_SDK.dll"), or null.
template <class Proc> Proc CoreProc(const char* name)
{
    HMODULE core = GetModuleHandleA("PGPSDK.dll");
    if (!core)
        core = GetModuleHandleA("PGP_SDK.dll");
    return core ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(core, name))) : nullptr;
}

inline PGPError NoteLibraryInit(int32_t library, int32_t delta)
{
    auto note = CoreProc<decltype(&StandInNoteLibraryInit)>("StandInNoteLibraryInit");
    return note ? note(library, delta) : kPGPError_NotImplemented;
}

inline PGPOptionListRef CoreOption(PGPContextRef context, int32_t kind, int32_t value, PGPHandle handle,
                                   void* pointer, const char* text)
{
    auto make = CoreProc<decltype(&StandInNewOption)>("StandInNewOption");
    return make ? make(context, kind, value, handle, pointer, text) : 0;
}

// The option handles of a variadic list, up to the end marker.
inline std::vector<PGPOptionListRef> OptionHandles(va_list args)
{
    std::vector<PGPOptionListRef> handles;
    for (int count = 0; count < 256; ++count) {
        PGPOptionListRef option = va_arg(args, PGPOptionListRef);
        if (option == kPGPEndOfOptions)
            break;
        handles.push_back(option);
    }
    return handles;
}

// Frees the option handles of a variadic list up to the end marker: consumers own what they get.
inline void DiscardOptions(va_list args)
{
    auto free = CoreProc<decltype(&::PGPFreeOptionList)>("PGPFreeOptionList");
    for (PGPOptionListRef option : OptionHandles(args))
        if (free)
            free(option);
}

// Takes (frees) the option handles and reads what they ask for through the core.
inline PGPError TakeOptions(const std::vector<PGPOptionListRef>& handles, StandInDialogOptions& options)
{
    auto take = CoreProc<decltype(&StandInTakeDialogOptions)>("StandInTakeDialogOptions");
    return take ? take(handles.data(), static_cast<int32_t>(handles.size()), &options) : kPGPError_NotImplemented;
}

} // namespace standin
