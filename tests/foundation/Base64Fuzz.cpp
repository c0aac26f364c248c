// Fuzz target: any text decodes without fault, and re-encoding the decoded bytes decodes back to them.
#include "foundation/Base64.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string bytes = Base64Decode(text);
    if (Base64DecodedSize(text) != bytes.size())
        __builtin_trap();
    if (bytes.size() > (size + 3) / 4 * 3)
        std::abort();
    const std::string encoded = Base64Encode(bytes);
    if (encoded.size() != Base64EncodedSize(bytes.size()) || Base64Decode(encoded) != bytes)
        std::abort();
    return 0;
}
