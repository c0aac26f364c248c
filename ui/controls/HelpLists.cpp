// Topic and popup lists of the help handler, and the scan of a popups page for its paragraphs.
#include "ui/controls/HelpLists.h"

#include <algorithm>

namespace {

// The page's own rule for letters: equal, or both in the letter range of bit 0x40 and different
// only in the case bit 0x20.
bool SameIgnoringCase(char a, char b) noexcept
{
    const auto x = static_cast<unsigned char>(a);
    const auto y = static_cast<unsigned char>(b);
    return x == y || ((x & 0x40) && (y & 0x40) && (x ^ y) == 0x20);
}

bool MatchesAt(const std::string& text, std::size_t pos, const std::string& pattern) noexcept
{
    if (pos + pattern.size() > text.size())
        return false;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (!SameIgnoringCase(text[pos + i], pattern[i]))
            return false;
    return true;
}

std::size_t FindFirst(const std::string& text, const std::string& pattern, std::size_t from, std::size_t end)
{
    for (std::size_t pos = from; pos + pattern.size() <= end; ++pos)
        if (MatchesAt(text, pos, pattern))
            return pos;
    return std::string::npos;
}

std::size_t FindLast(const std::string& text, const std::string& pattern)
{
    if (pattern.size() > text.size())
        return std::string::npos;
    for (std::size_t pos = text.size() - pattern.size() + 1; pos-- > 0;)
        if (MatchesAt(text, pos, pattern))
            return pos;
    return std::string::npos;
}

} // namespace

std::vector<THelpParagraph> SplitPopupParagraphs(const std::string& page, const std::string& idPrefix)
{
    std::vector<THelpParagraph> paragraphs;
    const std::size_t open = FindFirst(page, "<body", 0, page.size());
    if (open == std::string::npos)
        return paragraphs;
    const std::size_t begin = std::min(open + 6, page.size());
    std::size_t end = FindLast(page, "</body");
    if (end == std::string::npos || end < begin)
        end = page.size();

    const std::string marker = "<p id=\"" + idPrefix;
    std::size_t start = FindFirst(page, marker, begin, end);
    while (start != std::string::npos) {
        const std::size_t next = FindFirst(page, marker, start + 1, end);
        const std::size_t stop = next == std::string::npos ? end : next;
        const std::size_t idStart = start + 7; // after `<p id="`
        const std::size_t idEnd = page.find('"', idStart);
        if (idEnd == std::string::npos || idEnd >= stop || idEnd == idStart)
            break;
        paragraphs.push_back({ page.substr(idStart, idEnd - idStart), page.substr(start, stop - start) });
        start = next;
    }
    return paragraphs;
}

void TTopicList::AddTopic(int context, const std::string& page)
{
    AddObject(page, ObjectFromInt(context));
}

std::string TTopicList::GetTopic(int context) const
{
    const int index = IndexOfObject(ObjectFromInt(context));
    return index < 0 ? std::string() : Get(index);
}

void TPopupList::SetTextStr(const std::string& text)
{
    if (!Convert)
        return;
    BeginUpdate();
    Clear();
    for (const THelpParagraph& paragraph : SplitPopupParagraphs(text, IdPrefix)) {
        std::string converted;
        int number = 0;
        Convert(paragraph.Html, Width, converted, number);
        if (!converted.empty())
            AddObject(paragraph.Id + "=" + converted, ObjectFromInt(number));
    }
    EndUpdate();
}

std::string TPopupList::GetPopupText(int index) const
{
    if (index < 0 || index >= Count())
        return Prefix;
    return Prefix + Values(Names(index));
}

std::string TPopupList::GetPopupTextByName(const std::string& id) const
{
    return Prefix + Values(id);
}

int TPopupList::GetPopupNumber(int index) const
{
    if (index < 0 || index >= Count())
        return 0;
    const int line = IndexOfName(Names(index));
    return line < 0 ? 0 : static_cast<int>(IntFromObject(Objects(line)));
}
