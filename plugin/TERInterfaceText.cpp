// The editor interface's window-free text rules (info box, header block, marker lines), kept apart
// so that they build and are tested in both builds.
#include "plugin/TERInterfaceText.h"

#include <algorithm>

namespace TERText {
namespace {

constexpr size_t HEADER_NAME_WIDTH = 16;
constexpr const char* BLANK_LINE = "\r\n\r\n";

std::string Dashes(size_t count) { return std::string(count, MARKER_DASH); }

// The format with its one "%s" replaced; a format without it is followed by the name.
std::string ApplyFormat(const std::string& format, const std::string& name)
{
    const size_t at = format.find("%s");
    return at == std::string::npos ? format + name : format.substr(0, at) + name + format.substr(at + 2);
}

std::string TrimLeft(const std::string& text, const char* characters)
{
    const size_t start = text.find_first_not_of(characters);
    return start == std::string::npos ? std::string() : text.substr(start);
}

std::string RebuildHeaderLine(const std::string& line)
{
    const size_t colon = line.find(':');
    if (colon == std::string::npos)
        return line;
    std::string name = line.substr(0, colon + 1);
    if (name.size() < HEADER_NAME_WIDTH)
        name.append(HEADER_NAME_WIDTH - name.size(), ' ');
    return name + "\t" + TrimLeft(line.substr(colon + 1), " \t");
}

} // namespace

bool InfoBoxColour(int kind, uint32_t& colour)
{
    switch (kind) {
    case 2:
    case 3:
    case 4: colour = 0x8000; return true;
    case 5: colour = 0xFF; return true;
    case 6: colour = 0x80FF; return true;
    default: return false;
    }
}

std::string IndentInfoText(const std::string& text)
{
    std::string result;
    result.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        result += text[i];
        if (text[i] == '\n' && i > 0 && text[i - 1] == '\r')
            result += "\t\t";
    }
    return result;
}

std::string NormaliseLineEnds(const std::string& text)
{
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            result += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            result += "\r\n";
        } else {
            result += c;
        }
    }
    return result;
}

std::string HeaderBlockOf(const std::string& text, int blockNumber)
{
    size_t at = 0;
    for (int i = 0; i <= std::max(blockNumber, 0); ++i) {
        const size_t found = text.find(BLANK_LINE, at);
        if (found == std::string::npos)
            return text;
        at = found + 4;
    }
    return text.substr(0, at - 4);
}

std::string RebuildHeaderBlock(const std::string& block, bool firstLineApart)
{
    std::string result, rest = block;
    const size_t blank = block.find(BLANK_LINE);
    if (blank != std::string::npos) {
        result = TrimLeft(block.substr(0, blank + 4), " ");
        rest = block.substr(blank + 4);
    } else if (firstLineApart) {
        const size_t end = block.find("\r\n");
        result = std::string(BLANK_LINE) + block.substr(0, end) + "\r\n";
        rest = end == std::string::npos ? std::string() : block.substr(end + 2);
    }
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find("\r\n", start);
        if (end == std::string::npos)
            end = rest.size();
        result += RebuildHeaderLine(rest.substr(start, end - start)) + "\r\n";
        start = end + 2;
    }
    if (result.size() < 2 || result.compare(result.size() - 2, 2, "\r\n") != 0)
        result += "\r\n";
    return result;
}

std::string SectionKindName(uint32_t treeKind)
{
    // A signed part says so where it begins and ends: beside unsigned text that is what tells them apart.
    const bool signedKind = treeKind == 6 || treeKind == 9 || treeKind == 10;
    return std::string(signedKind ? "signed " : "") + (treeKind <= 7 ? "PGP/MIME" : "S/MIME");
}

std::string BeginMarkerLine(const std::string& format, const std::string& kindName)
{
    return "< " + Dashes(10) + " " + ApplyFormat(format, kindName) + " " + Dashes(10) + " >\r\n";
}

std::string EndMarkerLine(const std::string& format, const std::string& kindName)
{
    return "< " + Dashes(11) + " " + ApplyFormat(format, kindName) + " " + Dashes(11) + " >\r\n";
}

} // namespace TERText
