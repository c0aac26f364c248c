// Fuzz target of the recipient list file reader: any bytes must load without a hang or a fault,
// and the written text must read back with the same header and no entry more. (Lines with short
// key ids and backslashes in the recipient may read back differently: the format is ambiguous
// there.)
#include "engine/AutoListHandler.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TAutoList list;
    list.SetTextStr(std::string(reinterpret_cast<const char*>(data), size));
    list.GetUpdateNumber();
    list.SetUpdateNumber(4960);
    const std::string written = list.GetTextStr();
    TAutoList again;
    again.SetTextStr(written);
    if (again.Header() != list.Header() || again.Count() > list.Count())
        std::abort();
    return 0;
}
