// Fuzz target: the language text parser on arbitrary files. Checks that the entries never hold
// more bytes than the file.
#include "foundation/ZAVEKResourcesParser.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t total = 0;
    for (const std::string& entry : ParseLanguageText(text))
        total += entry.size();
    if (total > size)
        __builtin_trap();
    return 0;
}
