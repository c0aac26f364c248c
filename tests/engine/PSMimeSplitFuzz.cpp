// Fuzzes the splitter of received protected entities, in full and header-only mode: any mail
// text must split without a crash or an out-of-range read.
#include "engine/PSMimeTools.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string entity(reinterpret_cast<const char*>(data), size);
    std::string header, body, charset, signature;
    for (bool headerOnly : { false, true })
        SplitSecureMime(entity, header, body, headerOnly, charset, signature);
    FoldHeaderLine(entity);
    return 0;
}
