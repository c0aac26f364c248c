// Fuzz target: any bytes convert without fault, the result is never shorter than the input, and
// an input without bytes of 0x80 or more comes back unchanged.
#include "foundation/TidyText.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string converted = Utf8ToHtmlEntities(text);
    if (converted.size() < text.size())
        std::abort();
    if (std::all_of(data, data + size, [](uint8_t b) { return b < 0x80; }) && converted != text)
        std::abort();
    return 0;
}
