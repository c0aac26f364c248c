// Taking a received MIME-protected entity apart: header, the part the PGPsdk must see, the
// detached signature and the inline armour's charset, with the small MIME helpers it uses.
#include "engine/PSMimeTools.h"

#include "foundation/Base64.h"
#include "foundation/BurnString.h"

#include <algorithm>
#include <cctype>
#include <tuple>
#include <utility>

namespace {

const char kCRLF[] = "\r\n";

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string Trim(const std::string& text)
{
    size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ')
        --last;
    return text.substr(first, last - first);
}

// Position of the first line of `text` starting with `marker`, npos when none.
size_t FindAtLineStart(const std::string& text, const std::string& marker, size_t from = 0)
{
    for (size_t at = text.find(marker, from); at != std::string::npos; at = text.find(marker, at + 1))
        if (at == 0 || text[at - 1] == '\n')
            return at;
    return std::string::npos;
}

// The text between two boundary lines: the `index`-th part (0-based), empty when missing.
std::string NthMimePart(const std::string& body, const std::string& boundaryLine, int index)
{
    size_t at = FindAtLineStart(body, boundaryLine);
    for (int i = 0; i < index && at != std::string::npos; ++i)
        at = FindAtLineStart(body, boundaryLine, at + boundaryLine.size());
    if (at == std::string::npos)
        return {};
    const size_t start = body.find(kCRLF, at);
    if (start == std::string::npos)
        return {};
    const size_t next = FindAtLineStart(body, boundaryLine, start + 2);
    if (next == std::string::npos)
        return {};
    const size_t end = next >= start + 4 && body.compare(next - 2, 2, kCRLF) == 0 ? next - 2 : next;
    return end > start + 2 ? body.substr(start + 2, end - start - 2) : std::string();
}

} // namespace

void SplitHeaderBody(const std::string& text, std::string& header, std::string& body)
{
    const size_t blank = text.find("\r\n\r\n");
    if (blank == std::string::npos) {
        header = text;
        if (header.size() < 2 || header.compare(header.size() - 2, 2, kCRLF) != 0)
            header += kCRLF;
        body.clear();
        return;
    }
    header = text.substr(0, blank + 2);
    body = text.substr(blank + 4);
}

std::string HeaderFieldValue(const std::string& header, const std::string& name)
{
    const std::string lowered = Lower(header), wanted = Lower(name);
    const size_t at = FindAtLineStart(lowered, wanted);
    if (at == std::string::npos)
        return {};
    std::string value;
    size_t from = at + wanted.size();
    for (;;) {
        size_t end = header.find(kCRLF, from);
        if (end == std::string::npos)
            end = header.size();
        value += header.substr(from, end - from);
        if (end + 2 >= header.size() || (header[end + 2] != ' ' && header[end + 2] != '\t'))
            break;
        from = end + 2;
    }
    return Trim(value);
}

std::string ApplicationSubtype(const std::string& contentType)
{
    const size_t at = Lower(contentType).find("application/");
    if (at == std::string::npos)
        return {};
    std::string subtype = contentType.substr(at + 12);
    subtype = Trim(subtype.substr(0, subtype.find(';')));
    return subtype.substr(0, subtype.find('"'));
}

std::string BoundaryParameter(const std::string& contentType)
{
    const std::string lowered = Lower(contentType);
    const size_t at = contentType.size() > 10 ? lowered.find("boundary", 10) : std::string::npos;
    if (at == std::string::npos)
        return {};
    const size_t equals = contentType.find('=', at + 8);
    if (equals == std::string::npos)
        return {};
    std::string value = contentType.substr(equals + 1);
    value = value.substr(0, value.find(';'));
    std::erase_if(value, [](char c) { return c == '"' || static_cast<unsigned char>(c) < 33; });
    return value.empty() ? std::string() : "--" + value;
}

std::string RemoveHeaderFields(const std::string& header, const std::vector<std::string>& names)
{
    std::string result;
    bool dropping = false;
    for (size_t from = 0; from < header.size();) {
        size_t end = header.find(kCRLF, from);
        end = end == std::string::npos ? header.size() : end + 2;
        const std::string line = header.substr(from, end - from);
        if (line[0] != ' ' && line[0] != '\t') {
            const std::string lowered = Lower(line);
            dropping = std::any_of(names.begin(), names.end(),
                [&](const std::string& name) { return lowered.rfind(Lower(name), 0) == 0; });
        }
        if (!dropping)
            result += line;
        from = end;
    }
    return result;
}

std::string FirstMimePart(const std::string& body, const std::string& boundaryLine)
{
    return NthMimePart(body, boundaryLine, 0);
}

std::string DecodedPartBody(const std::string& part)
{
    std::string header, body;
    SplitHeaderBody(part, header, body);
    if (Lower(HeaderFieldValue(header, "Content-Transfer-Encoding:")) == "base64")
        return Base64Decode(body);
    return body;
}

std::string FoldHeaderLine(const std::string& line)
{
    if (line.size() < 77 || line.find(kCRLF) != std::string::npos)
        return line;
    std::string result;
    size_t lineStart = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        result += line[i];
        if (line[i] != ';' || i + 1 >= line.size())
            continue;
        const size_t nextSemicolon = line.find(';', i + 1);
        const size_t nextEnd = nextSemicolon == std::string::npos ? line.size() : nextSemicolon + 1;
        if (result.size() - lineStart + (nextEnd - i - 1) <= 76)
            continue;
        result += kCRLF;
        lineStart = result.size();
        if (line[i + 1] != ' ' && line[i + 1] != '\t')
            result += ' ';
    }
    return result;
}

namespace {

// Where FirstArmoredBlock's block stands: its start and length; start npos when there is none.
std::pair<size_t, size_t> FirstArmoredBlockPlace(const std::string& text, size_t from)
{
    const std::string marker = "-----BEGIN PGP";
    const size_t begin
        = text.compare(from, marker.size(), marker) == 0 ? from : FindAtLineStart(text, marker, from);
    if (begin == std::string::npos)
        return { std::string::npos, 0 };
    const size_t endLine = FindAtLineStart(text, "-----END PGP", begin);
    if (endLine == std::string::npos)
        return { begin, text.size() - begin };
    size_t end = text.find("-----", endLine + 12);
    end = end == std::string::npos ? text.size() : end + 5;
    while (end < text.size() && (text[end] == '\r' || text[end] == '\n' || text[end] == '\0'))
        ++end;
    return { begin, end - begin };
}

// Whether an entity of this Content-Type holds armour that the SDK takes alone: PGP/MIME
// encrypted data or keys.
bool HoldsPgpArmour(const std::string& contentType)
{
    const std::string subtype = Lower(ApplicationSubtype(contentType));
    return subtype.find("pkcs7-") == std::string::npos && subtype.find("pgp-") != std::string::npos
        && (subtype.find("signature") == std::string::npos || BoundaryParameter(contentType).empty())
        && (subtype.find("encrypted") != std::string::npos || subtype.find("keys") != std::string::npos);
}

} // namespace

std::string FirstArmoredBlock(const std::string& text, size_t from)
{
    const auto [begin, length] = FirstArmoredBlockPlace(text, from);
    return begin == std::string::npos ? std::string() : text.substr(begin, length);
}

bool FindPgpMimeArmour(const std::string& entity, size_t& start, size_t& length)
{
    const size_t blank = entity.find("\r\n\r\n");
    if (blank == std::string::npos
        || !HoldsPgpArmour(HeaderFieldValue(entity.substr(0, blank + 2), "Content-Type:")))
        return false;
    size_t bodyStart = blank + 4;
    while (bodyStart < entity.size() && static_cast<unsigned char>(entity[bodyStart]) < 33)
        ++bodyStart;
    std::tie(start, length) = FirstArmoredBlockPlace(entity, bodyStart);
    return start != std::string::npos && length > 0;
}

std::string ArmorCharset(const std::string& text)
{
    size_t begin = FindAtLineStart(text, "-----BEGIN PGP");
    if (begin != std::string::npos && text.compare(begin + 14, 7, " SIGNED") == 0) {
        do
            begin = FindAtLineStart(text, "-----BEGIN PGP", begin + 14);
        while (begin != std::string::npos && text.compare(begin + 14, 10, " SIGNATURE") != 0);
    }
    if (begin == std::string::npos)
        return {};
    size_t from = text.find(kCRLF, begin);
    while (from != std::string::npos) {
        from += 2;
        const size_t end = text.find(kCRLF, from);
        const std::string line = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
        if (line.empty())
            break;
        if (Lower(line).rfind("charset:", 0) == 0) {
            size_t first = 8;
            while (first < line.size() && (line[first] == ' ' || line[first] == '\t'))
                ++first;
            size_t last = first;
            while (last < line.size() && static_cast<unsigned char>(line[last]) >= 32)
                ++last;
            return line.substr(first, last - first);
        }
        from = end;
    }
    return {};
}

int SplitSecureMime(const std::string& entity, std::string& header, std::string& body, bool headerOnly,
    std::string& charset, std::string& signature)
{
    signature.clear();
    charset.clear();
    // The body is copied out of a long entity at most once, and not at all where only the armour
    // in it is wanted.
    const size_t blank = entity.find("\r\n\r\n");
    size_t bodyStart = entity.size();
    if (blank == std::string::npos) {
        header = entity;
        if (header.size() < 2 || header.compare(header.size() - 2, 2, kCRLF) != 0)
            header += kCRLF;
    } else {
        header.assign(entity, 0, blank + 2);
        bodyStart = headerOnly ? 0 : blank + 4;
        while (!headerOnly && bodyStart < entity.size() && static_cast<unsigned char>(entity[bodyStart]) < 33)
            ++bodyStart;
    }
    const std::vector<std::string> mimeFields = { "Content-Type:", "Content-Transfer-Encoding:",
        "Content-Disposition:" };
    const std::string contentType = HeaderFieldValue(header, "Content-Type:");
    const std::string subtype = Lower(ApplicationSubtype(contentType));
    const std::string boundary = BoundaryParameter(contentType);
    const bool pgpArmour = !headerOnly && HoldsPgpArmour(contentType);
    if (pgpArmour) {
        header = RemoveHeaderFields(header, mimeFields);
        body = FirstArmoredBlock(entity, bodyStart);
        // Some clients and gateways send the encrypted part Base64: its armour is in the decoded body.
        const std::string parts
            = body.empty() && !boundary.empty() ? entity.substr(bodyStart) : std::string();
        for (int part = 0; body.empty() && !boundary.empty() && part < 2; ++part)
            body = FirstArmoredBlock(DecodedPartBody(NthMimePart(parts, boundary, part)));
        return 1;
    }
    body.assign(entity, bodyStart, std::string::npos);

    if (subtype.find("pkcs7-") == std::string::npos) {
        if (subtype.find("pgp-") == std::string::npos) {
            charset = Upper(ArmorCharset(entity));
            return 0;
        }
        if (headerOnly)
            return 1;
        if (subtype.find("signature") != std::string::npos && !boundary.empty()) {
            header = RemoveHeaderFields(header, mimeFields);
            body = FoldHeaderLine("Content-Type: " + contentType) + "\r\n\r\n" + body;
        }
        return 1;
    }
    if (Lower(contentType).find("multipart/signed") != std::string::npos) {
        if (headerOnly || boundary.empty())
            return 4;
        header = RemoveHeaderFields(header, mimeFields);
        const std::string parts = std::move(body);
        body = FirstMimePart(parts, boundary);
        signature = DecodedPartBody(NthMimePart(parts, boundary, 1));
        return 4;
    }
    const std::string lowered = Lower(contentType);
    const size_t typeParam = lowered.find("smime-type", lowered.find("application/"));
    int kind = 3;
    if (typeParam != std::string::npos) {
        std::string value = lowered.substr(typeParam);
        value = value.substr(0, value.find(';'));
        if (value.find("signed") != std::string::npos || value.find("certs") != std::string::npos)
            kind = 2;
    }
    if (!headerOnly) {
        header = RemoveHeaderFields(header, mimeFields);
        body = DecodedPartBody(entity);
    }
    return kind;
}

void GiveEntityCrLf(std::string& output, size_t lead)
{
    constexpr size_t kLongestHeader = 16384;
    const std::string_view entity = std::string_view(output).substr(std::min(lead, output.size()));
    // "\n\n" ends a header only where the lines end in a bare LF.
    const size_t end = entity.find("\n\n");
    if (end == std::string_view::npos || end > kLongestHeader)
        return;
    std::string header = "\n" + std::string(entity.substr(0, end));
    const TBurnOnExit burnHeader(header);
    for (char& c : header)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (header.find("\ncontent-type:") == std::string::npos
        || header.find("-----begin ") != std::string::npos)
        return;
    std::string normal;
    normal.reserve(output.size() + output.size() / 16);
    for (size_t i = 0; i < output.size(); ++i) {
        if (output[i] == '\n' && (i == 0 || output[i - 1] != '\r'))
            normal += '\r';
        normal += output[i];
    }
    BurnString(output);
    output = std::move(normal);
}

namespace {

// A line of blanks that is not empty: spaces, tabs and no-break spaces (0xA0, or C2 A0 in UTF-8).
bool IsBlankNotEmptyLine(std::string_view line)
{
    if (line.empty())
        return false;
    for (size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (c == 0xC2 && i + 1 < line.size() && static_cast<unsigned char>(line[i + 1]) == 0xA0)
            ++i;
        else if (c != ' ' && c != '\t' && c != 0xA0)
            return false;
    }
    return true;
}

// An armour header line: "Name: value", the name without blanks.
bool IsArmourHeaderLine(std::string_view line)
{
    const size_t colon = line.find(": ");
    return colon != std::string_view::npos && colon > 0
        && line.substr(0, colon).find(' ') == std::string_view::npos;
}

} // namespace

bool MendArmourBlankLines(std::string_view text, std::string& mended)
{
    std::string out;
    bool changed = false;
    bool inHeader = false; // after an armour's BEGIN line, before its blank line
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        end = end == std::string_view::npos ? text.size() : end + 1;
        std::string_view line = text.substr(at, end - at);
        std::string_view content = line;
        while (!content.empty() && (content.back() == '\n' || content.back() == '\r'))
            content.remove_suffix(1);
        if (inHeader && !IsArmourHeaderLine(content)) {
            inHeader = false;
            if (IsBlankNotEmptyLine(content)) {
                if (!changed)
                    out.assign(text.substr(0, at));
                changed = true;
                line = line.substr(content.size()); // its line break alone
            }
        } else if (content.rfind("-----BEGIN PGP ", 0) == 0) {
            inHeader = true;
        }
        if (changed)
            out.append(line);
        at = end;
    }
    if (!changed)
        return false;
    mended = std::move(out);
    return true;
}
