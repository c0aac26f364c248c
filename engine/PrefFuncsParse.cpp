// Parsing and rewriting of PGP's preferences files: the line list, continuation lines of the text
// file, comma texts, XML elements (one per line) with their character references, key-id records.
// Portable: no Windows header, so it builds in the sanitizer build and under the fuzzer.
#include "engine/PrefFuncs.h"

#include "foundation/StrUtil.h"

#include <cctype>
#include <charconv>
#include <unordered_map>

namespace {

// Nesting deeper than any real preferences file is read as an unknown element.
constexpr int kMaxElementDepth = 32;

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && (a.empty() || TextMatchesAt(b, a, 1));
}

// 0-based forms of the string unit's 1-based text search.
bool MatchesNoCaseAt(const std::string& text, size_t pos, const std::string& part)
{
    return pos < text.size() && TextMatchesAt(part, text, static_cast<int>(pos) + 1);
}

size_t FindNoCase(const std::string& text, const std::string& part, size_t from)
{
    if (from >= text.size())
        return std::string::npos;
    int pos = PosTextFrom(part, text, static_cast<int>(from) + 1);
    return pos == 0 ? std::string::npos : static_cast<size_t>(pos) - 1;
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The character a reference such as "#38" or "#x26" stands for; false for anything not a character.
bool ParseNumericReference(const std::string& body, uint32_t& cp)
{
    if (body.size() < 2 || body[0] != '#')
        return false;
    int base = 10;
    size_t first = 1;
    if (body[1] == 'x' || body[1] == 'X') {
        base = 16;
        first = 2;
    }
    if (first >= body.size())
        return false;
    const char* end = body.data() + body.size();
    auto [ptr, ec] = std::from_chars(body.data() + first, end, cp, base);
    if (ec != std::errc() || ptr != end)
        return false;
    return cp != 0 && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

// Content between the element's opening tag (at the line's "<") and its closing tag.
std::string ElementContent(const std::string& line, size_t contentStart, const std::string& closeTag)
{
    size_t end = FindNoCase(line, closeTag, contentStart);
    if (end == std::string::npos)
        end = line.size();
    return line.substr(contentStart, end - contentStart);
}

} // namespace

// ---- the line list ----

void TPrefsList::Load(const std::string& text, bool xml)
{
    xml_ = xml;
    BeginUpdate();
    SetTextStr(text);
    for (int i = 0; i < Count(); ++i)
        PutObject(i, ObjectFromInt(TagPosOf(Get(i))));
    EndUpdate();
}

int TPrefsList::TagPosOf(const std::string& line) const
{
    if (!xml_)
        return 0;
    size_t pos = line.find('<');
    return pos == std::string::npos ? 0 : static_cast<int>(pos) + 1;
}

void TPrefsList::Replace(int index, const std::string& line)
{
    Put(index, line);
    PutObject(index, ObjectFromInt(TagPosOf(line)));
}

bool TPrefsList::HasTag(int index, const std::string& tag) const
{
    int pos = TagPos(index);
    return pos > 0 && MatchesNoCaseAt(Get(index), pos - 1, tag);
}

int TPrefsList::IndexOfTag(const std::string& tag, int from) const
{
    for (int i = from < 0 ? 0 : from; i < Count(); ++i)
        if (HasTag(i, tag))
            return i;
    return -1;
}

// ---- text helpers ----

std::string XmlEscape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string XmlUnescape(const std::string& text)
{
    static const std::unordered_map<std::string, char> named
        = { { "amp", '&' }, { "lt", '<' }, { "gt", '>' }, { "quot", '"' }, { "apos", '\'' } };
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        size_t semi = text[pos] == '&' ? text.find(';', pos + 1) : std::string::npos;
        // A reference is short; a lone "&" further away is kept as it stands.
        if (semi != std::string::npos && semi - pos <= 10) {
            std::string body = text.substr(pos + 1, semi - pos - 1);
            uint32_t cp = 0;
            if (auto it = named.find(body); it != named.end()) {
                out += it->second;
                pos = semi + 1;
                continue;
            }
            if (ParseNumericReference(body, cp)) {
                AppendUtf8(out, cp);
                pos = semi + 1;
                continue;
            }
        }
        out += text[pos++];
    }
    return out;
}

std::string JoinContinuationLines(const std::string& source)
{
    std::string text = source;
    size_t pos = 0;
    while ((pos = text.find(" \\", pos)) != std::string::npos) {
        size_t breakLen = 0;
        if (text.compare(pos + 2, 2, "\r\n") == 0)
            breakLen = 2;
        else if (text.compare(pos + 2, 1, "\n") == 0)
            breakLen = 1;
        if (breakLen == 0) {
            pos += 2;
            continue;
        }
        size_t next = pos + 2 + breakLen;
        // "a" \ + "b" joins to "ab" only when the continued piece really opens with a quote.
        if (pos > 0 && text[pos - 1] == '"' && next < text.size() && text[next] == '"') {
            text.erase(pos - 1, next + 1 - (pos - 1));
            pos -= 1;
        } else {
            text.erase(pos, next - pos);
        }
    }
    return text;
}

std::string QuoteCommaItem(const std::string& item)
{
    std::string out = "\"";
    for (char c : item) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

std::string KeyIDTextFromRecordHex(const std::string& value)
{
    constexpr size_t kRecordSize = 36;
    if (value.size() != 2 + 2 * kRecordSize || value[0] != '0' || LowerAsciiChar(value[1]) != 'x')
        return {};
    uint8_t record[kRecordSize];
    for (size_t i = 0; i < kRecordSize; ++i) {
        const char* pair = value.data() + 2 + 2 * i;
        if (!std::isxdigit(static_cast<unsigned char>(pair[0])) || !std::isxdigit(static_cast<unsigned char>(pair[1])))
            return {};
        record[i] = HexPairToByte(pair);
    }
    // Byte 0 gives the id's length; the id itself stands big-endian in bytes 4 to 11.
    size_t first;
    if (record[0] == 8)
        first = 4;
    else if (record[0] == 4)
        first = 8;
    else
        return {};
    return "0x" + BytesToHex(record + first, static_cast<int>(2 * (12 - first)));
}

// ---- the preferences file's values ----

std::string TPrefsFile::GetTextValue(const std::string& name) const
{
    int index = lines_.IndexOfName(name);
    if (index < 0)
        return {};
    const std::string& line = lines_[index];
    std::string value = line.substr(line.find('=') + 1);
    if (value.size() >= 2 && value.compare(value.size() - 2, 2, " \\") == 0)
        value.erase(value.size() - 2);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

bool TPrefsFile::SetTextValue(const std::string& name, const std::string& value)
{
    int index = lines_.IndexOfName(name);
    if (index < 0)
        return false;
    const std::string& line = lines_[index];
    lines_.Replace(index, line.substr(0, line.find('=') + 1) + value);
    return true;
}

int TPrefsFile::IndexOfKey(const std::string& name) const
{
    for (int i = 0; i < lines_.Count(); ++i) {
        int tag = lines_.TagPos(i);
        const std::string& line = lines_[i];
        if (tag == 0 || !MatchesNoCaseAt(line, tag - 1, "<key>"))
            continue;
        size_t start = tag - 1 + 5;
        size_t end = FindNoCase(line, "</key>", start);
        if (end != std::string::npos && EqualsNoCase(XmlUnescape(line.substr(start, end - start)), name))
            return i;
    }
    return -1;
}

std::string TPrefsFile::GetXmlValue(const std::string& name, int& index) const
{
    if (!name.empty()) {
        int key = IndexOfKey(name);
        if (key < 0)
            return {};
        index = key + 1;
    }
    return ReadElement(index, 0);
}

std::string TPrefsFile::ReadElement(int& index, int depth) const
{
    if (index < 0 || index >= lines_.Count()) {
        index = lines_.Count();
        return {};
    }
    const std::string& line = lines_[index];
    int tagPos = lines_.TagPos(index);
    ++index;
    if (tagPos == 0)
        return {};
    size_t tag = tagPos - 1;
    auto startsWith = [&](const char* t) { return MatchesNoCaseAt(line, tag, t); };

    if (startsWith("<string>"))
        return host_.Utf8ToLocale(XmlUnescape(ElementContent(line, tag + 8, "</string>")));
    if (startsWith("<integer>"))
        return XmlUnescape(ElementContent(line, tag + 9, "</integer>"));
    if (startsWith("<data>"))
        return XmlUnescape(ElementContent(line, tag + 6, "</data>"));
    if (startsWith("<true>"))
        return "TRUE";
    if (startsWith("<false>"))
        return "FALSE";
    if (depth >= kMaxElementDepth)
        return {};
    if (startsWith("<array>")) {
        if (FindNoCase(line, "</array>", tag + 7) != std::string::npos)
            return {};
        std::string values;
        bool first = true;
        while (index < lines_.Count()) {
            if (lines_.HasTag(index, "</array>")) {
                ++index;
                break;
            }
            if (lines_.HasTag(index, "<key>")) {
                ++index;
                continue;
            }
            std::string value = ReadElement(index, depth + 1);
            if (!first)
                values += "\r\n";
            values += value;
            first = false;
        }
        return values;
    }
    if (startsWith("<dict>")) {
        if (FindNoCase(line, "</dict>", tag + 6) != std::string::npos)
            return {};
        std::string items;
        while (index < lines_.Count()) {
            if (lines_.HasTag(index, "</dict>")) {
                ++index;
                break;
            }
            if (!lines_.HasTag(index, "<key>")) {
                ReadElement(index, depth + 1);
                continue;
            }
            const std::string& keyLine = lines_[index];
            size_t start = lines_.TagPos(index) - 1 + 5;
            std::string keyName = XmlUnescape(ElementContent(keyLine, start, "</key>"));
            ++index;
            std::string value = ReadElement(index, depth + 1);
            if (!items.empty())
                items += ',';
            items += QuoteCommaItem(host_.Utf8ToLocale(keyName) + "=" + value);
        }
        return items;
    }
    return {};
}

bool TPrefsFile::SetXmlValue(const std::string& name, const std::string& value, int& index)
{
    if (!name.empty()) {
        int key = IndexOfKey(name);
        if (key < 0)
            return false;
        index = key + 1;
    }
    // The value line must be followed by at least the file's closing line.
    if (index < 0 || index >= lines_.Count() - 1)
        return false;
    return WriteElement(index, value, 0);
}

bool TPrefsFile::WriteElement(int& index, const std::string& value, int depth)
{
    if (index < 0 || index >= lines_.Count()) {
        index = lines_.Count();
        return false;
    }
    const int at = index;
    const std::string line = lines_[at];
    int tagPos = lines_.TagPos(at);
    if (tagPos == 0) {
        ++index;
        return false;
    }
    size_t tag = tagPos - 1;
    auto startsWith = [&](const char* t) { return MatchesNoCaseAt(line, tag, t); };
    auto writeLeaf = [&](size_t tagLen, const std::string& content, const char* closeTag) {
        lines_.Replace(at, line.substr(0, tag + tagLen) + content + closeTag);
        ++index;
        return true;
    };

    if (startsWith("<data>"))
        return writeLeaf(6, XmlEscape(value), "</data>");
    if (startsWith("<string>"))
        return writeLeaf(8, value == "\\" ? std::string() : XmlEscape(host_.LocaleToUtf8(value)), "</string>");
    if (startsWith("<integer>"))
        return writeLeaf(9, XmlEscape(value), "</integer>");
    if (startsWith("<true>") || startsWith("<false>")) {
        if (EqualsNoCase(value, "TRUE"))
            return writeLeaf(0, "<true>", "</true>");
        if (EqualsNoCase(value, "FALSE"))
            return writeLeaf(0, "<false>", "</false>");
        ++index;
        return false;
    }
    if (depth >= kMaxElementDepth) {
        ++index;
        return false;
    }
    if (startsWith("<array>")) {
        ++index;
        if (FindNoCase(line, "</array>", tag + 7) != std::string::npos)
            return false;
        std::vector<std::string> values;
        for (size_t start = 0; !value.empty() && start <= value.size();) {
            size_t end = value.find("\r\n", start);
            if (end == std::string::npos)
                end = value.size();
            values.push_back(value.substr(start, end - start));
            start = end + 2;
        }
        bool written = false;
        size_t next = 0;
        while (index < lines_.Count()) {
            if (lines_.HasTag(index, "</array>")) {
                ++index;
                break;
            }
            if (lines_.HasTag(index, "<key>")) {
                ++index;
                continue;
            }
            if (next < values.size())
                written |= WriteElement(index, values[next], depth + 1);
            else
                ReadElement(index, depth + 1);
            ++next;
        }
        return written;
    }
    if (startsWith("<dict>")) {
        ++index;
        if (FindNoCase(line, "</dict>", tag + 6) != std::string::npos)
            return false;
        std::vector<std::pair<std::string, std::string>> pairs;
        for (const auto& item : SplitCommaText(value)) {
            size_t eq = item.find('=');
            if (eq != std::string::npos)
                pairs.emplace_back(item.substr(0, eq), item.substr(eq + 1));
        }
        bool written = false;
        while (index < lines_.Count()) {
            if (lines_.HasTag(index, "</dict>")) {
                ++index;
                break;
            }
            if (!lines_.HasTag(index, "<key>")) {
                ReadElement(index, depth + 1);
                continue;
            }
            size_t start = lines_.TagPos(index) - 1 + 5;
            std::string keyName = host_.Utf8ToLocale(XmlUnescape(ElementContent(lines_[index], start, "</key>")));
            ++index;
            const std::pair<std::string, std::string>* pair = nullptr;
            for (const auto& p : pairs)
                if (EqualsNoCase(p.first, keyName)) {
                    pair = &p;
                    break;
                }
            if (pair)
                written |= WriteElement(index, pair->second, depth + 1);
            else
                ReadElement(index, depth + 1);
        }
        return written;
    }
    ++index;
    return false;
}
