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

// Sets a flag for its lifetime and puts the old value back after.
class TConvertedOnly {
public:
    explicit TConvertedOnly(bool& flag) noexcept
        : flag_(flag)
        , saved_(flag)
    {
        flag_ = true;
    }
    ~TConvertedOnly() { flag_ = saved_; }
    TConvertedOnly(const TConvertedOnly&) = delete;
    TConvertedOnly& operator=(const TConvertedOnly&) = delete;

private:
    bool& flag_;
    bool saved_;
};

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
    Clear();
    pending_ = { SplitPopupParagraphs(text, IdPrefix), 0, Convert, Width };
}

int TPopupList::GetCount() const
{
    if (!convertedOnly_)
        ConvertUntil([] { return false; });
    return TStringList::GetCount();
}

void TPopupList::Clear()
{
    pending_ = {};
    TStringList::Clear();
}

void TPopupList::ConvertUntil(const std::function<bool()>& enough) const
{
    const TConvertedOnly convertedOnly(convertedOnly_);
    // The lines are the list's own; only the time of their conversion differs from the page's setting.
    auto& lines = const_cast<TPopupList&>(*this);
    while (pending_.Next < pending_.Paragraphs.size() && !enough()) {
        const THelpParagraph& paragraph = pending_.Paragraphs[pending_.Next];
        std::string converted;
        int number = 0;
        pending_.Convert(paragraph.Html, pending_.Width, converted, number);
        ++pending_.Next;
        if (!converted.empty())
            lines.AddObject(paragraph.Id + "=" + converted, ObjectFromInt(number));
    }
    if (pending_.Next == pending_.Paragraphs.size())
        pending_ = {};
}

std::string TPopupList::GetPopupText(int index) const
{
    ConvertUntil([&] { return index < Count(); });
    const TConvertedOnly convertedOnly(convertedOnly_);
    if (index < 0 || index >= Count())
        return Prefix;
    return Prefix + Values(Names(index));
}

std::string TPopupList::GetPopupTextByName(const std::string& id) const
{
    ConvertUntil([&] { return IndexOfName(id) >= 0; });
    const TConvertedOnly convertedOnly(convertedOnly_);
    return Prefix + Values(id);
}

int TPopupList::GetPopupNumber(int index) const
{
    ConvertUntil([&] { return index < Count(); });
    const TConvertedOnly convertedOnly(convertedOnly_);
    if (index < 0 || index >= Count())
        return 0;
    const int line = IndexOfName(Names(index));
    return line < 0 ? 0 : static_cast<int>(IntFromObject(Objects(line)));
}
