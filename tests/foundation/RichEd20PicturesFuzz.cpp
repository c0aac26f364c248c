// Fuzz target: any text goes through the picture scanner without fault; with a maker that makes
// nothing, the text comes back unchanged.
#include "foundation/RichEd20Pictures.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string rtf(reinterpret_cast<const char*>(data), size);
    const auto nothing = [](const std::string&) { return std::string(); };
    if (RewriteRtfPictures(rtf, "file:", {}, nothing) != rtf)
        std::abort();
    const auto marker = [](const std::string& Link) { return "{\\pict " + Link; };
    const auto sections = [](const std::string& Ref, std::string& Group) {
        Group = Ref;
        return Ref.size() % 2 == 0;
    };
    RewriteRtfPictures(rtf, "file:", sections, marker);
    return 0;
}
