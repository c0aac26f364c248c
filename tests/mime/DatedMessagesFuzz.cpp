// Fuzz target of the dated message export: any bytes as a folder (mailbox or Ctrl-Z form, ANSI or
// UTF-16 list, sorted or not), then the list written as a mailbox; items keep their shape.
#include "mime/DatedMessages.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size < 1)
        return 0;
    const uint8_t flags = Data[0];
    const std::string folder(reinterpret_cast<const char*>(Data) + 1, Size - 1);
    TDatedStrings ansi;
    TDatedWideStrings wide;
    TDatedStrings& list = (flags & 0x02) ? wide : ansi;
    list.SetSortState((flags >> 2 & 0x03) % 3);
    TDatedMessages messages(&list);
    messages.TreeData.FromCaption = "From";
    messages.TreeData.ToCaption = "To";
    messages.TreeData.SubjectCaption = "Subject";
    messages.TreeData.ReplyToCaption = "Reply-to:";
    messages.SetEmbeddedNote("Attachments");
    messages.LoadMessages(folder, (flags & 0x01) != 0);
    for (int i = 0; i < list.Count(); ++i) {
        const std::string item = list[i];
        if (&list == &wide && (item.size() % 2 != 0 || item.size() < 2 || item[item.size() - 1] != 0))
            std::abort();
        if (i > 0 && list.SortState() == dsAscending && list.GetDate(i - 1) > list.GetDate(i))
            std::abort();
    }
    if (list.Count() > 0 && !messages.SaveToFile("/dev/null"))
        std::abort();
    return 0;
}
