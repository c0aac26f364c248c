// Fuzz target: scanning any page for popup paragraphs stays inside the text and every paragraph
// starts with its own opening tag.
#include "ui/controls/HelpLists.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string page(reinterpret_cast<const char*>(data), size);
    for (const THelpParagraph& p : SplitPopupParagraphs(page, "IDH_")) {
        if (p.Id.empty() || p.Html.size() < 7 + p.Id.size() || page.find(p.Html) == std::string::npos)
            std::abort();
    }
    return 0;
}
