// FileUtils, the portable half: file-name and quoting rules, icon locations and icon-group
// entries, ini section buffers. No system calls here, so the rules are tested natively too.
#include "foundation/FileUtils.h"

#include "foundation/StrUtil.h"
#include "framework/StringLists.h"

#include <cstring>

namespace {

bool IsHexUpper(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// A decimal integer with an optional '-' and surrounding blanks; false for anything else.
bool ParseSmallInt(const std::string& Text, int& Value)
{
    const std::string digits = TrimBlanks(Text);
    std::size_t i = 0;
    const bool negative = !digits.empty() && digits[0] == '-';
    if (negative)
        i = 1;
    if (i >= digits.size() || digits.size() - i > 9)
        return false;
    int value = 0;
    for (; i < digits.size(); ++i) {
        if (digits[i] < '0' || digits[i] > '9')
            return false;
        value = value * 10 + (digits[i] - '0');
    }
    Value = negative ? -value : value;
    return true;
}

uint16_t Word(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

} // namespace

std::string MakeValidFileName(const std::string& Text)
{
    std::string name = Text;
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 32 || std::strchr("*/:<>?\\|\"", c) != nullptr)
            c = '_';
    }
    return name;
}

std::string TextAfterLastSlash(const std::string& Text)
{
    const std::size_t slash = Text.rfind('/');
    return slash == std::string::npos ? Text : Text.substr(slash + 1);
}

int QuoteState(const std::string& Text)
{
    int state = qsNone;
    if (!Text.empty() && Text.front() == '"')
        state |= qsOpening;
    if (Text.size() >= 2 && Text.back() == '"')
        state |= qsClosing;
    return state;
}

std::string AddQuotes(const std::string& Text)
{
    const int state = QuoteState(Text);
    return ((state & qsOpening) ? "" : "\"") + Text + ((state & qsClosing) ? "" : "\"");
}

std::string RemoveQuotes(const std::string& Text)
{
    const int state = QuoteState(Text);
    const std::size_t from = (state & qsOpening) ? 1 : 0;
    const std::size_t to = Text.size() - ((state & qsClosing) ? 1 : 0);
    return Text.substr(from, to - from);
}

std::string TempFileNameOf(const std::string& Folder, const std::string& HexDigits, const std::string& Ext)
{
    std::string ext = (!Ext.empty() && Ext[0] == '.') ? Ext.substr(1) : Ext;
    if (ext.empty())
        ext = "tmp";
    return Folder + "$" + HexDigits + "$." + ext;
}

bool IsTempFileName(const std::string& FileName)
{
    if (FileName.size() < 10 || FileName[0] != '$' || FileName[7] != '$' || FileName[8] != '.')
        return false;
    for (std::size_t i = 1; i <= 6; ++i)
        if (!IsHexUpper(FileName[i]))
            return false;
    return true;
}

std::string NumberedFileName(const std::string& Name, int N)
{
    const std::size_t nameStart = GetFolderPart(Name).size();
    std::size_t dot = Name.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        dot = Name.size();
    return Name.substr(0, dot) + " (" + std::to_string(N) + ")" + Name.substr(dot);
}

std::string MimeSubtypeExtension(const std::string& MimeType)
{
    const std::size_t slash = MimeType.find('/');
    if (slash == std::string::npos || slash + 1 >= MimeType.size())
        return {};
    return "." + MimeType.substr(slash + 1);
}

bool IsListedMimeTypeKey(const std::string& KeyName)
{
    for (const char* prefix : { "audio", "image", "midi", "video", "text" })
        if (StartsWithText(prefix, KeyName))
            return true;
    return false;
}

bool ParseIconLocation(const std::string& Location, std::string& FileName, int& ResourceID)
{
    const std::size_t comma = Location.rfind(',');
    int index = 0;
    if (comma == std::string::npos || !ParseSmallInt(Location.substr(comma + 1), index))
        return false;
    FileName = RemoveQuotes(TrimBlanks(Location.substr(0, comma)));
    ResourceID = index < 0 ? -index : index + 1;
    return !FileName.empty();
}

bool IsUsableIconLocation(const std::string& Location)
{
    const std::size_t comma = Location.rfind(',');
    int index = 0;
    return comma != std::string::npos && ParseSmallInt(Location.substr(comma + 1), index) && index >= 0;
}

std::vector<TIconGroupEntry> ParseIconGroup(const void* Data, std::size_t Size)
{
    // GRPICONDIR: reserved, type (1 = icon), count; then 14-byte entries of width, height,
    // colour count, reserved, planes, bit count, bytes in resource and the image's resource id.
    const auto* bytes = static_cast<const unsigned char*>(Data);
    std::vector<TIconGroupEntry> entries;
    if (bytes == nullptr || Size < 6 || Word(bytes + 2) != 1)
        return entries;
    const std::size_t count = Word(bytes + 4);
    if (Size < 6 + count * 14)
        return entries;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* entry = bytes + 6 + i * 14;
        TIconGroupEntry e;
        e.Width = entry[0] == 0 ? 256 : entry[0];
        e.Height = entry[1] == 0 ? 256 : entry[1];
        e.BitCount = Word(entry + 6);
        e.ResourceID = Word(entry + 12);
        entries.push_back(e);
    }
    return entries;
}

int ChooseIconEntry(const std::vector<TIconGroupEntry>& Entries, int Width, int Height, int MaxBits)
{
    int chosen = -1;
    for (std::size_t i = 0; i < Entries.size(); ++i) {
        const TIconGroupEntry& e = Entries[i];
        if (e.Width != Width || e.Height != Height || e.BitCount > MaxBits)
            continue;
        if (chosen < 0 || e.BitCount > Entries[static_cast<std::size_t>(chosen)].BitCount)
            chosen = static_cast<int>(i);
    }
    return chosen;
}

void SectionBufferToLines(const char* Buffer, std::size_t Size, TStrings& Lines)
{
    std::size_t start = 0;
    while (start < Size && Buffer[start] != '\0') {
        std::size_t end = start;
        while (end < Size && Buffer[end] != '\0')
            ++end;
        Lines.Add(std::string(Buffer + start, end - start));
        start = end + 1;
    }
}

std::string LinesToSectionBuffer(const TStrings& Lines)
{
    std::string buffer;
    for (int i = 0; i < Lines.Count(); ++i) {
        const std::string line = Lines[i];
        if (!line.empty()) {
            buffer += line;
            buffer += '\0';
        }
    }
    if (!buffer.empty())
        buffer += '\0';
    return buffer;
}
