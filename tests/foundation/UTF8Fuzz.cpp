// Fuzz target for the own UTF-8 decoder: any input decodes without fault, a result is whole
// units ending in the NUL unit, and encoding it again decodes to the same units.
#include "foundation/UTF8Codec.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string utf16 = DecodeUtf8(text);
    if (utf16.empty())
        return 0;
    if (utf16.size() % 2 != 0 || utf16.compare(utf16.size() - 2, 2, std::string(2, '\0')) != 0)
        std::abort();
    // An overlong form of NUL ends the text early, so compare up to the first NUL unit.
    const std::string again = DecodeUtf8(EncodeUtf8(utf16));
    std::string units;
    for (size_t i = 0; i + 1 < utf16.size() && (utf16[i] != 0 || utf16[i + 1] != 0); i += 2)
        units += utf16.substr(i, 2);
    if (again != units + std::string(2, '\0'))
        std::abort();
    return 0;
}
