// The text viewer's window-free rules (captions, names, date range, summary spans).
#include "ui/dialogs/TextViewerRules.h"

#include "foundation/RichEd20Text.h"

#include <algorithm>
#include <string_view>

std::string HtmlWithImagesCaption(const std::string& withObjects)
{
    const std::size_t blank = withObjects.find(' ');
    if (blank == std::string::npos)
        return "Html Text &" + withObjects;
    return "Html Text " + withObjects.substr(0, blank + 1) + "&" + withObjects.substr(blank + 1);
}

std::string FormatWithOne(const std::string& pattern, const std::string& argument)
{
    std::string out = pattern;
    const std::size_t at = out.find("%s");
    if (at != std::string::npos)
        out.replace(at, 2, argument);
    return out;
}

std::string WithoutAccelerator(const std::string& caption)
{
    std::string out = caption;
    const std::size_t amp = out.find('&');
    if (amp != std::string::npos)
        out.erase(amp, 1);
    return out;
}

std::string FileSafeName(const std::string& name)
{
    std::string out = name;
    for (char& c : out)
        if (std::string_view("*/:<>?\\|").find(c) != std::string_view::npos)
            c = '_';
    return out;
}

std::string ReplaceExtension(const std::string& name, const std::string& extension)
{
    const std::size_t slash = name.find_last_of("\\/:");
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? name.substr(0, dot) : name) + extension;
}

std::string DateRangeText(int count, const std::string& countText, TDateTime first, TDateTime last,
    const std::string& firstText, const std::string& lastText)
{
    const bool inOrder = first <= last;
    return std::to_string(count) + countText + ", " + (inOrder ? firstText : lastText) + " - "
        + (inOrder ? lastText : firstText);
}

std::string WideFileBytes(const std::string& wideText)
{
    std::string bytes = "\xFF\xFE";
    if (IsWideText(wideText))
        bytes.append(wideText, 0, wideText.size() - 2);
    else
        bytes += wideText;
    return bytes;
}

std::vector<TBoldSpan> SummaryValueSpans(const std::u16string& summary)
{
    std::vector<TBoldSpan> spans;
    int position = 0;
    std::size_t lineStart = 0;
    while (lineStart < summary.size()) {
        std::size_t lineEnd = summary.find_first_of(u"\r\n", lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = summary.size();
        const std::u16string_view line(summary.data() + lineStart, lineEnd - lineStart);
        if (std::all_of(line.begin(), line.end(), [](char16_t c) { return c <= u' '; }))
            break;
        const std::size_t tab = line.find(u'\t');
        if (tab != std::u16string_view::npos && tab + 1 < line.size())
            spans.push_back(
                { position + static_cast<int>(tab) + 1, static_cast<int>(line.size() - tab - 1) });
        position += static_cast<int>(line.size()) + 1;
        lineStart = lineEnd;
        if (lineStart < summary.size() && summary[lineStart] == u'\r')
            ++lineStart;
        if (lineStart < summary.size() && summary[lineStart] == u'\n')
            ++lineStart;
    }
    return spans;
}
