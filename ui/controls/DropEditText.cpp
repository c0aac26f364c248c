// Mail-address runs, link schemes and percent decoding for the rich-edit control (portable).
#include "ui/controls/DropEditText.h"

#include <algorithm>
#include <cctype>

namespace {

bool InControlOrHighRange(char16_t c)
{
    return c <= 0x20 || c >= 0x7F;
}

bool IsLeftStop(char16_t c)
{
    return InControlOrHighRange(c) || c == u'"' || c == u'(' || c == u'<' || c == u'[' || c == u'\\'
        || c == u'{';
}

bool IsRightStop(char16_t c)
{
    return InControlOrHighRange(c) || c == u'"' || c == u')' || c == u'>' || c == u'\\' || c == u']'
        || c == u'}';
}

// The closing partner of an opening quote or bracket, or 0.
char16_t ClosingOf(char16_t c)
{
    switch (c) {
    case u'"':
        return u'"';
    case u'(':
        return u')';
    case u'<':
        return u'>';
    case u'[':
        return u']';
    case u'{':
        return u'}';
    default:
        return 0;
    }
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
        if (i >= text.size()
            || std::tolower(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(prefix[i]))
            return false;
    }
    return true;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A scheme name ("https", "ftps", "file", ...) and its colon stand before the first '@': a mail
// address has no colon there, and a link such as https://example.org/@name is no address.
bool HasSchemeBeforeAt(const std::string& text)
{
    const std::size_t colon = text.find(':');
    if (colon == 0 || colon == std::string::npos || colon > text.find('@'))
        return false;
    if (!std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

} // namespace

std::vector<TTextRun> MailAddressRuns(const std::u16string& line, int from)
{
    std::vector<TTextRun> runs;
    // The line's end leaves out its break.
    int lineEnd = static_cast<int>(line.size());
    while (lineEnd > 0 && (line[lineEnd - 1] == u'\r' || line[lineEnd - 1] == u'\n'))
        --lineEnd;
    int covered = 0;
    for (int at = from < 0 ? 0 : from; at < lineEnd; ++at) {
        if (line[at] != u'@' || at < covered || at == 0 || at + 1 >= lineEnd)
            continue;
        if (IsLeftStop(line[at - 1]) || IsRightStop(line[at + 1]))
            continue;
        int start = at;
        while (start > 0 && !IsLeftStop(line[start - 1]))
            --start;
        int end = at + 1;
        while (end < lineEnd && !IsRightStop(line[end]))
            ++end;
        if (start > 0) {
            if (const char16_t closing = ClosingOf(line[start - 1])) {
                const std::size_t found = line.find(closing, static_cast<std::size_t>(end));
                end = found == std::u16string::npos || static_cast<int>(found) > lineEnd
                    ? lineEnd
                    : static_cast<int>(found);
            }
        }
        runs.push_back({ start, end - start });
        covered = end;
    }
    return runs;
}

std::string LinkTextWithScheme(const std::string& text)
{
    if (text.find('@') == std::string::npos || HasSchemeBeforeAt(text))
        return text;
    return "mailto:" + text;
}

bool IsMailtoLink(const std::string& text)
{
    return StartsWithNoCase(text, "mailto:");
}
