// Fuzzes the splitter of received protected entities, in full and header-only mode, and the walk
// over a message's protected parts: any mail text must split without a crash or an out-of-range
// read, and a walk whose decoder refuses everything gives the text back as it came.
#include "engine/PSMimeParts.h"
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
    HasProtectedParts(entity);
    const TProtectedParts refused
        = DecodeProtectedParts(entity, [](TPartForm, const std::string&, std::string&) { return false; });
    if (refused.Message != entity)
        __builtin_trap();
    DecodeProtectedParts(entity, [](TPartForm, const std::string& content, std::string& result) {
        result = content.substr(0, content.size() / 2);
        return true;
    });
    return 0;
}
