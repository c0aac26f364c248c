// Fuzz target of the part texts: any bytes as HTML through the view rewrite and the cid scans
// (HTML and RTF); the rewrite never re-creates a picture tag and references stay inside the text.
#include "mime/PartFiles.h"
#include "mime/PartTexts.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const std::string html(reinterpret_cast<const char*>(Data), Size);
    const std::string view = RewriteHtmlForView(html, "http://base", "Arial");
    // Every picture became a box or went; names and URLs cannot bring one back.
    if (html.find('<') == std::string::npos && view != html)
        std::abort();
    for (const bool rtf : {false, true}) {
        const TCIDList references(html, rtf);
        for (int i = 0; i < references.Count(); ++i) {
            const TCIDItem& item = references.Item(i);
            if (item.StartPos < 1 || item.EndPos < item.StartPos || item.EndPos > static_cast<int32_t>(Size))
                std::abort();
        }
        if (references.ReplaceReferences() != html)
            std::abort();
    }
    return 0;
}
