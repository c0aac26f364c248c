// Fuzz target of the host-header and rebuild code: tagging any bytes twice never adds a second
// marker or flags line, and the preparation for the encrypt road never fails on any input.
#include "mime/MailHost.h"
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

int CountOf(const std::string& Pattern, const std::string& Text)
{
    int count = 0;
    for (std::size_t p = Text.find(Pattern); p != std::string::npos; p = Text.find(Pattern, p + 1))
        ++count;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const std::string text(reinterpret_cast<const char*>(Data), Size);
    const TTagResult first = TagMessageText(text, "C:\\MAIL\\X.CNM", Size % 2 == 0, false);
    const TTagResult second = TagMessageText(first.Text, "C:\\MAIL\\X.CNM", Size % 2 == 0, false);
    if (CountOf("X-PM-Encryptor:", second.Text) > CountOf("X-PM-Encryptor:", first.Text) ||
        CountOf("X-PMFLAGS:", second.Text) > CountOf("X-PMFLAGS:", first.Text))
        std::abort();
    const std::string prepared = PrepareMessageParts(text, "UTF-8", true);
    int32_t headerLength = 0;
    const std::string marked = AddEncryptorHeader(text, "UTF-8", 1, headerLength);
    if (headerLength < 0 || static_cast<std::size_t>(headerLength) > marked.size())
        std::abort();
    std::string value = text;
    FoldHeaderParameters("filename", value, true);
    WritePMFlagsHeader(text, true, true, false, true, "X");
    DeclareBodyCharset(text);
    std::string list;
    GetRecipientAddresses(text, "", list);
    return 0;
}
