// Armoured blocks that HTML mail editors wrote into an HTML body: each is read back into the lines
// a reader sees, decoded, and what came out stands in its place as HTML again.
#include "engine/PSMimeTools.h"

#include "foundation/BurnString.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <vector>

namespace {

constexpr std::string_view kBeginArmour = "-----BEGIN PGP ";
constexpr std::string_view kEndArmour = "-----END PGP ";
constexpr std::string_view kDashes = "-----";
constexpr size_t kLongestEntity = 10; // "&#x10FFFF;"

std::string Lower(std::string_view text)
{
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

void AppendUtf8(std::string& text, uint32_t code)
{
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | code >> 6);
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | code >> 12);
        text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | code >> 18);
        text += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The character an entity (between "&" and ";") stands for, appended; false for one not known.
bool AppendEntity(std::string& text, const std::string& name)
{
    static const struct {
        const char* Name;
        char Character;
    } kNamed[] = { { "amp", '&' }, { "lt", '<' }, { "gt", '>' }, { "quot", '"' }, { "apos", '\'' },
        { "nbsp", ' ' } }; // a no-break space on an armour's blank line is a blank
    for (const auto& named : kNamed)
        if (name == named.Name) {
            text += named.Character;
            return true;
        }
    if (name.size() < 2 || name[0] != '#')
        return false;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [hex](unsigned char c) {
            return hex ? std::isxdigit(c) != 0 : std::isdigit(c) != 0;
        }))
        return false;
    const unsigned long code = std::stoul(digits, nullptr, hex ? 16 : 10);
    if (code == 0 || code > 0x10FFFF)
        return false;
    AppendUtf8(text, code == 0xA0 ? ' ' : static_cast<uint32_t>(code));
    return true;
}

// The tag's name, lower case, without a leading "/" (Closing says whether it had one).
std::string TagName(std::string_view tag, bool& closing)
{
    size_t at = 0;
    closing = !tag.empty() && tag[0] == '/';
    if (closing)
        ++at;
    size_t end = at;
    while (end < tag.size() && std::isalnum(static_cast<unsigned char>(tag[end])))
        ++end;
    return Lower(tag.substr(at, end - at));
}

// A line end; the blanks before it go (a no-break space on an armour's blank line, an editor's
// space before a break), as they are not part of armour nor of the text a clear signature covers.
void EndLine(std::string& text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    text += "\r\n";
}

bool EndsLine(const std::string& text)
{
    return text.empty() || text.back() == '\n';
}

// Whether the body is inside a <pre> element at Position: its source line ends are lines then.
bool InsidePre(const std::string& lowered, size_t position)
{
    const size_t open = lowered.rfind("<pre", position);
    const size_t close = lowered.rfind("</pre", position);
    return open != std::string::npos && (close == std::string::npos || close < open);
}

} // namespace

size_t ArmourBlockEnd(const std::string& text, size_t begin)
{
    const size_t endLine = text.find(kEndArmour, begin);
    if (endLine == std::string::npos)
        return std::string::npos;
    const size_t dashes = text.find(kDashes, endLine + kEndArmour.size());
    return dashes == std::string::npos ? dashes : dashes + kDashes.size();
}

std::string HtmlArmourText(std::string_view html, bool preformatted)
{
    std::string text;
    for (size_t at = 0; at < html.size(); ++at) {
        const char c = html[at];
        if (c == '<') {
            const size_t close = html.find('>', at);
            if (close == std::string_view::npos) {
                text.append(html.substr(at));
                break;
            }
            bool closing = false;
            const std::string name = TagName(html.substr(at + 1, close - at - 1), closing);
            // A <br> ends a line; a block element's edge ends one only where a line stands open.
            if (name == "br")
                EndLine(text);
            else if ((name == "div" || name == "p" || name == "pre" || name == "tr" || name == "li")
                && !EndsLine(text))
                EndLine(text);
            if (name == "pre")
                preformatted = !closing;
            at = close;
        } else if (c == '&') {
            const size_t semicolon = html.find(';', at);
            if (semicolon != std::string_view::npos && semicolon - at <= kLongestEntity
                && AppendEntity(text, Lower(html.substr(at + 1, semicolon - at - 1))))
                at = semicolon;
            else
                text += c;
        } else if (c == '\r' || c == '\n') {
            // Outside <pre> a source line end is a space between words; armour lines have none.
            if (preformatted && !(c == '\n' && at > 0 && html[at - 1] == '\r'))
                EndLine(text);
        } else {
            text += c;
        }
    }
    return text;
}

// The HTML for one character of decoded text (CR of a CR LF pair: nothing, its LF ends the line);
// a line end is a <br> but in preformatted text.
std::string_view HtmlOf(std::string_view text, size_t at, bool preformatted)
{
    switch (text[at]) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    case '\r':
        if (at + 1 < text.size() && text[at + 1] == '\n')
            return {};
        [[fallthrough]];
    case '\n':
        return preformatted ? "\r\n" : "<br>\r\n";
    default:
        return text.substr(at, 1);
    }
}

std::string TextAsHtml(std::string_view text, bool preformatted)
{
    // Sized before it is written: plaintext must not be left behind in memory that grew.
    size_t size = 0;
    for (size_t at = 0; at < text.size(); ++at)
        size += HtmlOf(text, at, preformatted).size();
    std::string html;
    html.reserve(size);
    for (size_t at = 0; at < text.size(); ++at)
        html += HtmlOf(text, at, preformatted);
    return html;
}

bool DecodeHtmlArmour(const std::string& html, const THtmlArmourDecoder& decode, std::string& result)
{
    result.clear();
    const std::string lowered = Lower(html);
    struct TDecodedBlock {
        size_t Begin, End;
        std::string Shown;
    };
    std::vector<TDecodedBlock> blocks; // reserved: a moved short text would stay in the freed array
    size_t count = 0;
    for (size_t at = html.find(kBeginArmour); at != std::string::npos; at = html.find(kBeginArmour, at + 1))
        ++count;
    blocks.reserve(count);
    size_t size = html.size();
    for (size_t begin = html.find(kBeginArmour); begin != std::string::npos;) {
        const size_t end = ArmourBlockEnd(html, begin);
        if (end == std::string::npos)
            break;
        const bool preformatted = InsidePre(lowered, begin);
        const std::string armour
            = HtmlArmourText(std::string_view(html).substr(begin, end - begin), preformatted) + "\r\n";
        std::string text;
        const TBurnOnExit burnText(text);
        if (decode(armour, text)) {
            // The armour's last line keeps the line end that follows it in the HTML.
            std::string_view shown = text;
            while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r'))
                shown.remove_suffix(1);
            blocks.push_back({ begin, end, TextAsHtml(shown, preformatted) });
            size += blocks.back().Shown.size();
        }
        begin = html.find(kBeginArmour, end);
    }
    if (blocks.empty())
        return false;
    result.reserve(size);
    size_t copied = 0;
    for (TDecodedBlock& block : blocks) {
        result.append(html, copied, block.Begin - copied).append(block.Shown);
        BurnString(block.Shown);
        copied = block.End;
    }
    result.append(html, copied, std::string::npos);
    return true;
}
