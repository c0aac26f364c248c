// Fuzz target of the part-tree load: any bytes as a message, in every load mode, with a decode
// callback that answers with a nested copy; nodes must stay inside their texts and the limits hold.
#include "mime/MimeMsgTree.h"
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size < 1)
        return 0;
    const uint32_t mode = Data[0] & 0x3F;
    const std::string text(reinterpret_cast<const char*>(Data) + 1, Size - 1);
    TMimeMsgTree tree;
    tree.Reset();
    tree.TreeData.Decode = [&](const std::string& Section, std::string&, std::string& Decoded, int32_t&, std::string&) {
        Decoded = Section.size() % 2 ? text : std::string();
    };
    tree.LoadMessage(text, 1, mode, 0);
    if (tree.SectionCount() > MaxTreeNodes)
        std::abort();
    for (int i = 0; i < tree.SectionCount(); ++i) {
        const TSectionNode& node = *tree.GetSection(i);
        if (node.Parent >= i || node.Section.Start < 0 || node.Section.Length < 0)
            std::abort();
        if (static_cast<std::size_t>(node.Section.Start) + node.Section.Length > node.Section.Str().size() + 1)
            std::abort();
        if (node.BodyLast > static_cast<int64_t>(node.Section.Str().size()))
            std::abort();
    }
    tree.JoinSectionTexts();
    tree.GetAttachmentList();
    tree.GetHeaderLines();
    return 0;
}
