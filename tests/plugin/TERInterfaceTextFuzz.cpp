// Fuzzes the editor interface's text rules and the converter's picture-reference answers with
// arbitrary text: no crash, no read past the input, and a rebuilt header block always ends a line.
#include "foundation/HtsTerPictures.h"
#include "plugin/TERInterfaceText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int block = size ? data[0] % 4 : 0;
    const std::string header = TERText::HeaderBlockOf(text, block);
    const std::string rebuilt = TERText::RebuildHeaderBlock(header, (size & 1) != 0);
    if (rebuilt.size() < 2 || rebuilt.compare(rebuilt.size() - 2, 2, "\r\n") != 0)
        abort();
    TERText::IndentInfoText(text);
    TERText::NormaliseLineEnds(text);
    TERText::BeginMarkerLine(text, "PGP/MIME");
    const TPictureResolution r = ResolvePictureReference(text, [](const std::string&) { return true; });
    if (r.Answer == TPictureAnswer::Keep && r.Path.size() >= 2 && r.Path[0] == '\\' && r.Path[1] == '\\')
        abort();
    return 0;
}
