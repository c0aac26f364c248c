// Parser of the language text files. A file can be edited by translators with any editor, so
// every line-break style and an unclosed quote must load without loss.
#include "foundation/ZAVEKResourcesParser.h"

#include <cstdio>

namespace {

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

size_t LineEnd(const std::string& text, size_t pos)
{
    while (pos < text.size() && !IsLineBreak(text[pos]))
        ++pos;
    return pos;
}

size_t SkipLineBreaks(const std::string& text, size_t pos)
{
    while (pos < text.size() && IsLineBreak(text[pos]))
        ++pos;
    return pos;
}

// A quoted entry that opens at `quote`: its text and the end of its last line. The first line
// closes it when a quote stands after the opening one; later lines when they end with a quote.
std::pair<std::string, size_t> QuotedEntry(const std::string& text, size_t quote)
{
    size_t lineEnd = LineEnd(text, quote);
    if (lineEnd - quote >= 2 && text[lineEnd - 1] == '"')
        return { text.substr(quote + 1, lineEnd - quote - 2), lineEnd };
    while (lineEnd < text.size()) {
        size_t lineStart = SkipLineBreaks(text, lineEnd);
        lineEnd = LineEnd(text, lineStart);
        if (lineEnd > lineStart && text[lineEnd - 1] == '"')
            return { text.substr(quote + 1, lineEnd - quote - 2), lineEnd };
    }
    return { text.substr(quote + 1), text.size() };
}

} // namespace

std::vector<std::string> ParseLanguageText(const std::string& text, char commentChar)
{
    std::vector<std::string> entries;
    size_t pos = 0;
    while (true) {
        size_t lineStart = SkipLineBreaks(text, pos);
        if (lineStart == text.size()) {
            // A final line break stands for one more, empty entry.
            if (lineStart > pos)
                entries.emplace_back();
            break;
        }
        if (commentChar != 0 && text[lineStart] == commentChar) {
            pos = LineEnd(text, lineStart);
        } else if (text[lineStart] == '"') {
            auto [entry, end] = QuotedEntry(text, lineStart);
            entries.push_back(std::move(entry));
            pos = end;
        } else {
            pos = LineEnd(text, lineStart);
            entries.push_back(text.substr(lineStart, pos - lineStart));
        }
    }
    return entries;
}

std::string UnknownPGPErrorText(int32_t code)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "#%08X", static_cast<uint32_t>(code));
    return buffer;
}

int64_t PGPErrorLineOfCode(int32_t code)
{
    return static_cast<int64_t>(code) + 12000;
}
