// Fuzz target of the section scanner: any bytes as a message must give ranges inside the text
// from the finder, the splitter, the multipart walk and the header lookup.
#include "mime/MailUtils.h"
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool Condition)
{
    if (!Condition)
        std::abort();
}

void CheckInside(const THeaderData& Section, std::size_t Length)
{
    Check(Section.Start >= 0 && Section.Length >= 0);
    Check(static_cast<std::size_t>(Section.Start) + Section.Length <= Length + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const std::string text(reinterpret_cast<const char*>(Data), Size);
    const TSharedText shared = MakeSharedText(text);
    THeaderData found;
    FindSecureSection(shared, found);
    CheckInside(found, Size);

    TMessageData message;
    std::string block;
    SplitSecureMessage(text, message, block);
    Check(block.size() + message.TextAfter.size() <= Size);

    THeaderData section = WholeTextSection(shared);
    FindHeaderEnd(section, hmAll);
    CheckInside(section, Size);
    CheckInside(GetHeaderValue("X-PM*", section, false), Size);
    const std::string boundary = GetBoundary(section);
    THeaderData part = FindNextPart(section, boundary, hmAll);
    for (int count = 0; part.Start > 0 && count < 1000; ++count) {
        CheckInside(part, Size);
        Check(part.Start > section.Start);
        part = FindNextPart(part, boundary, hmAll);
    }
    for (int mode = 0; mode <= 3; ++mode)
        CheckInside(FindFirstPart(section, hmAll, mode), Size);

    const std::string joined = RejoinArmorLines(text);
    Check(RejoinArmorLines(joined).size() <= joined.size());
    Check(ExtractClearSignedText(text).size() <= Size);
    return 0;
}
