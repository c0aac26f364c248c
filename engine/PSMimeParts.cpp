// Walks a message's MIME structure for protected parts that stand beside plain ones or come as
// attachments, hands each to the decoder on its own and puts what came out in its place, walking
// a decrypted entity and a signed one in turn. Parts are never joined: each decoded one stays a
// part of its own, and every other byte is kept.
#include "engine/PSMimeParts.h"

#include "engine/PSMimeTools.h"
#include "foundation/Base64.h"
#include "foundation/BurnString.h"
#include "mime/MailUtils.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace {

constexpr int kMaxDepth = 32;
constexpr int kMaxNestedDecodes = 8;
const std::vector<std::string> kContentFields
    = { "Content-Type:", "Content-Transfer-Encoding:", "Content-Disposition:", "Content-Description:" };

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsBlank(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c <= ' '; });
}

// A line of Text begins with Marker.
bool HasLineStarting(const std::string& text, const std::string& marker)
{
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1))
        if (at == 0 || text[at - 1] == '\n')
            return true;
    return false;
}

// The value of a parameter (name="value" or name=value) of a header field value, lower-cased name match.
std::string ParameterValue(const std::string& value, const std::string& name)
{
    const std::string lowered = Lower(value);
    for (size_t at = lowered.find(';'); at != std::string::npos; at = lowered.find(';', at + 1)) {
        size_t start = at + 1;
        while (start < lowered.size()
            && (lowered[start] == ' ' || lowered[start] == '\t' || lowered[start] == '\r'
                || lowered[start] == '\n'))
            ++start;
        if (lowered.compare(start, name.size(), name) != 0)
            continue;
        size_t equals = start + name.size();
        while (equals < lowered.size() && lowered[equals] == ' ')
            ++equals;
        if (equals >= lowered.size() || lowered[equals] != '=')
            continue;
        std::string result = value.substr(equals + 1);
        const size_t first = result.find_first_not_of(" \t");
        result = first == std::string::npos ? std::string() : result.substr(first);
        if (!result.empty() && result[0] == '"')
            return result.substr(1, result.find('"', 1) - 1);
        return result.substr(0, result.find_first_of("; \t"));
    }
    return {};
}

std::string DecodeQuotedPrintable(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    const auto hex = [](char c) {
        return std::isdigit(static_cast<unsigned char>(c))
            ? c - '0'
            : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
        } else if (i + 2 < text.size() && text[i + 1] == '\r' && text[i + 2] == '\n') {
            i += 2; // soft line break
        } else if (i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1]))
            && std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string TransferDecoded(const std::string& header, const std::string& body)
{
    const std::string encoding = Lower(HeaderFieldValue(header, "Content-Transfer-Encoding:"));
    if (encoding == "base64")
        return Base64Decode(body);
    if (encoding == "quoted-printable")
        return DecodeQuotedPrintable(body);
    return body;
}

// The file name a part gives: its Content-Type's name, else its Content-Disposition's filename.
// RFC 2231 and RFC 2047 forms are decoded (into UTF-8).
std::string PartFileName(const std::string& header)
{
    std::string name = GetHeaderParameter(HeaderFieldValue(header, "Content-Type:"), "name", nullptr, false);
    if (name.empty())
        name = GetHeaderParameter(
            HeaderFieldValue(header, "Content-Disposition:"), "filename", nullptr, false);
    return name;
}

// A file name as a quoted parameter value: a name beyond ASCII as one RFC 2047 word in UTF-8.
std::string QuotedFileName(const std::string& name)
{
    const bool ascii
        = std::all_of(name.begin(), name.end(), [](unsigned char c) { return c < 0x80 && c >= ' '; });
    return "\"" + (ascii ? name : "=?UTF-8?B?" + Base64Encode(name) + "?=") + "\"";
}

// The name of the file an encrypted one holds: without the extension the encryption added.
std::string PlainFileName(const std::string& name)
{
    const size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : Lower(name.substr(dot));
    if (extension == ".pgp" || extension == ".gpg" || extension == ".asc" || extension == ".p7m")
        return dot == 0 ? std::string("decrypted") : name.substr(0, dot);
    return name.empty() ? std::string("decrypted") : name;
}

enum class TShape {
    Plain,
    Multipart,
    Message,
    Entity,
    Signed,
    Rewrapped,
    ArmouredText,
    ArmouredHtml,
    File,
    SMimeFile
};

// A MIME entity that the decoder gave back: header fields first, then a blank line.
bool LooksLikeEntity(const std::string& text)
{
    const size_t blank = text.find("\r\n\r\n");
    if (blank == std::string::npos)
        return false;
    std::string header, body;
    SplitHeaderBody(text, header, body);
    return !HeaderFieldValue(header, "Content-Type:").empty() && text.find(':') < text.find("\r\n");
}

// The parts of a multipart body between its delimiter lines.
struct TDelimiter {
    size_t Start = 0, LineEnd = 0; // the line, and the position after its line break
    bool Closing = false;
};

std::vector<TDelimiter> DelimiterLines(const std::string& body, const std::string& delimiter)
{
    std::vector<TDelimiter> lines;
    for (size_t at = body.find(delimiter); at != std::string::npos; at = body.find(delimiter, at + 1)) {
        if (at != 0 && body[at - 1] != '\n')
            continue;
        size_t end = body.find('\n', at);
        end = end == std::string::npos ? body.size() : end + 1;
        std::string rest = body.substr(at + delimiter.size(), end - at - delimiter.size());
        const bool closing = rest.compare(0, 2, "--") == 0;
        if (!IsBlank(closing ? rest.substr(2) : rest))
            continue; // a longer boundary that begins with this one
        lines.push_back({ at, end, closing });
        if (closing)
            break;
    }
    return lines;
}

// The multipart holds the PGP/MIME pair (the version part and the encrypted one) without being
// multipart/encrypted: a server re-wrapped it.
bool IsRewrappedPgpMime(const std::string& body, const std::string& delimiter)
{
    const std::vector<TDelimiter> lines = DelimiterLines(body, delimiter);
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::string part = body.substr(lines[i].LineEnd, lines[i + 1].Start - lines[i].LineEnd);
        std::string header, content;
        SplitHeaderBody(part, header, content);
        if (Lower(HeaderFieldValue(header, "Content-Type:")).rfind("application/pgp-encrypted", 0) == 0
            && content.find("Version: 1") != std::string::npos)
            return HasLineStarting(body.substr(lines[i + 1].Start), "-----BEGIN PGP MESSAGE-----");
    }
    return false;
}

TShape ShapeOf(const std::string& header, const std::string& body)
{
    const std::string type = Lower(HeaderFieldValue(header, "Content-Type:"));
    const std::string protocol = ParameterValue(type, "protocol");
    const std::string smimeType = ParameterValue(type, "smime-type");
    if (type.rfind("multipart/", 0) == 0) {
        if (type.rfind("multipart/encrypted", 0) == 0 && protocol.find("pgp-encrypted") != std::string::npos)
            return TShape::Entity;
        if (type.rfind("multipart/signed", 0) == 0)
            return TShape::Signed;
        const std::string delimiter = BoundaryParameter(HeaderFieldValue(header, "Content-Type:"));
        if (delimiter.empty())
            return TShape::Plain;
        return IsRewrappedPgpMime(body, delimiter) ? TShape::Rewrapped : TShape::Multipart;
    }
    if (type.rfind("message/rfc822", 0) == 0)
        return TShape::Message;
    if (type.find("pkcs7-mime") != std::string::npos)
        return smimeType.find("signed") != std::string::npos || smimeType.find("certs") != std::string::npos
            ? TShape::Signed
            : TShape::Entity;
    const std::string name = Lower(PartFileName(header));
    const bool text = type.empty() || type.rfind("text/", 0) == 0;
    if (EndsWith(name, ".p7m"))
        return TShape::SMimeFile;
    // Other files are not decoded to be looked at: only an armour that stands in the body as sent
    // (as this plug-in's inline encryption writes attachments) makes one a protected part.
    const bool pgpFile = EndsWith(name, ".pgp") || EndsWith(name, ".gpg") || EndsWith(name, ".asc")
        || type.find("pgp") != std::string::npos;
    if (!text && !pgpFile)
        return HasLineStarting(body, "-----BEGIN PGP MESSAGE-----") ? TShape::File : TShape::Plain;
    const std::string content = TransferDecoded(header, body);
    const bool armouredMessage = HasLineStarting(content, "-----BEGIN PGP MESSAGE-----");
    // Binary OpenPGP data (its first packet tag has the high bit) under a file name or a type of
    // encrypted PGP data, also as text/pgp; signatures and keys are no message to decrypt.
    const bool binaryPacket = !content.empty() && (static_cast<unsigned char>(content[0]) & 0x80);
    const bool pgpDataType = type.find("pgp") != std::string::npos
        && type.find("pgp-signature") == std::string::npos && type.find("pgp-keys") == std::string::npos;
    if (EndsWith(name, ".pgp") || EndsWith(name, ".gpg"))
        return armouredMessage || binaryPacket ? TShape::File : TShape::Plain;
    if (pgpDataType && binaryPacket)
        return TShape::File;
    // HTML editors put armour lines in elements, not at the start of source lines.
    if (type.rfind("text/html", 0) == 0)
        return content.find("-----BEGIN PGP MESSAGE-----") != std::string::npos
                || content.find("-----BEGIN PGP SIGNED MESSAGE-----") != std::string::npos
            ? TShape::ArmouredHtml
            : TShape::Plain;
    if (text && (armouredMessage || HasLineStarting(content, "-----BEGIN PGP SIGNED MESSAGE-----")))
        return TShape::ArmouredText;
    // An armoured file (a ".asc" may as well be a key or a signature).
    if (armouredMessage && !text)
        return TShape::File;
    return TShape::Plain;
}

// What a text part shows beside its armoured blocks (an HTML part's as the reader shows it).
std::string TextBesideArmour(const std::string& content, bool html)
{
    const std::string begin = "-----BEGIN PGP ";
    std::string beside;
    size_t copied = 0;
    for (size_t at = content.find(begin); at != std::string::npos; at = content.find(begin, copied)) {
        const size_t end = ArmourBlockEnd(content, at);
        if (end == std::string::npos)
            break;
        beside.append(content, copied, at - copied);
        copied = end;
    }
    beside.append(content, copied, std::string::npos);
    return html ? HtmlArmourText(beside, false) : beside;
}

// Whether an entity's header alone shows that it is no multipart holding protected parts and no
// protected file: a text part is plain or armoured text, an encrypted or signed entity is protected
// as a whole. Multiparts and files need their bodies looked into.
bool HeaderRulesOutParts(const std::string& header)
{
    const TShape shape = ShapeOf(header, std::string());
    if (shape == TShape::Entity || shape == TShape::Signed)
        return true;
    const std::string type = Lower(HeaderFieldValue(header, "Content-Type:"));
    const std::string name = Lower(PartFileName(header));
    const bool text = type.empty() || type.rfind("text/", 0) == 0;
    return text && type.rfind("text/html", 0) != 0 && type.find("pgp") == std::string::npos
        && !EndsWith(name, ".pgp") && !EndsWith(name, ".gpg") && !EndsWith(name, ".p7m");
}

class TPartsWalk {
public:
    explicit TPartsWalk(const TPartDecoder* decode)
        : decode_(decode)
    {
    }

    TProtectedParts Result;

    void Entity(const std::string& entity, int depth)
    {
        std::string& out = Result.Message;
        std::string header, body;
        // A decrypted entity's parts are copied on their way: those copies are burnt.
        const TBurnOnExit burnHeader(header), burnBody(body);
        if (depth > kMaxDepth || entity.find("\r\n\r\n") == std::string::npos) {
            NotePlain(entity);
            out += entity;
            return;
        }
        SplitHeaderBody(entity, header, body);
        const TShape shape = ShapeOf(header, body);
        if (shape == TShape::Multipart) {
            Multipart(header, body, depth);
            return;
        }
        if (shape == TShape::Message) {
            // A message forwarded as an attachment: its header as it came, its body walked.
            out += header + "\r\n";
            Entity(body, depth + 1);
            return;
        }
        if (shape == TShape::Plain) {
            NotePlain(body);
            out += entity;
            return;
        }
        ++Result.Protected;
        const int node = static_cast<int>(Result.Parts.size());
        Result.Parts.push_back({ FormOf(shape), depth, inside_ });
        std::string decoded;
        const TBurnOnExit burnDecoded(decoded);
        const int outcome = decode_ ? Decode(shape, header, body, decoded) : kPartRefused;
        const bool done = outcome != kPartRefused;
        Result.Parts[node].Signed = shape == TShape::Signed || outcome == kPartDecodedSigned;
        if (done) {
            ++Result.Decoded;
            Result.Parts[node].Decoded = true;
        }
        if (shape == TShape::Signed) {
            // What a PGP/MIME or S/MIME signature covers may hold encrypted parts of its own; opaque
            // signed data gives its content only through the check, which takes the part's place.
            if (Lower(HeaderFieldValue(header, "Content-Type:")).rfind("multipart/signed", 0) == 0) {
                // A verified signature's content is a decoded part's place: the reader marks it.
                if (done)
                    InRange([&] { Within(node, [&] { Multipart(header, body, depth); }); });
                else
                    Within(node, [&] { Multipart(header, body, depth); });
            } else if (done && !decoded.empty()) {
                out += RemoveHeaderFields(header, kContentFields);
                GiveEntityCrLf(decoded);
                Put(decoded, node, depth, LooksLikeEntity(decoded));
            } else {
                out += entity;
            }
            return;
        }
        if (!done) {
            out += entity;
            return;
        }
        if (shape == TShape::ArmouredText || shape == TShape::ArmouredHtml) {
            // Lines beside a signed block are shown too, but no signature covers them.
            NotePlain(TextBesideArmour(TransferDecoded(header, body), shape == TShape::ArmouredHtml));
            const std::string kept = RemoveHeaderFields(header, { "Content-Transfer-Encoding:" });
            out += kept + "Content-Transfer-Encoding: 8bit\r\n\r\n";
            Put(decoded, node, depth, false);
            return;
        }
        // What replaces the part: a MIME entity as it came out, or the plain file as an attachment.
        out += RemoveHeaderFields(header, kContentFields);
        GiveEntityCrLf(decoded);
        if (LooksLikeEntity(decoded)) {
            Put(decoded, node, depth, true);
            return;
        }
        const std::string name = QuotedFileName(PlainFileName(PartFileName(header)));
        out += "Content-Type: application/octet-stream; name=" + name
            + "\r\nContent-Transfer-Encoding: base64\r\n"
              "Content-Disposition: attachment; filename="
            + name + "\r\n\r\n";
        std::string encoded = Base64Encode(decoded);
        Put(encoded, node, depth, false);
        BurnString(encoded);
    }

private:
    const TPartDecoder* decode_;
    int inside_ = -1; // the protected part being walked, -1 outside every one
    int signatures_ = 0; // signed parts around the one being walked
    int nestedDecodes_ = 0;

    static TPartForm FormOf(TShape shape)
    {
        switch (shape) {
        case TShape::Signed:
            return TPartForm::Signed;
        case TShape::ArmouredText:
            return TPartForm::ArmouredText;
        case TShape::ArmouredHtml:
            return TPartForm::ArmouredHtml;
        case TShape::File:
            return TPartForm::File;
        case TShape::SMimeFile:
            return TPartForm::SMimeFile;
        default:
            return TPartForm::Entity;
        }
    }

    // Text or a file that no signature covers: a signature covers the message in part only.
    void NotePlain(const std::string& content)
    {
        if (signatures_ == 0 && !IsBlank(content))
            Result.PlainContent = true;
    }

    template <typename TWalk> void Within(int node, TWalk walk)
    {
        const int outer = inside_;
        const int covering = Result.Parts[node].Signed ? 1 : 0;
        inside_ = node;
        signatures_ += covering;
        walk();
        signatures_ -= covering;
        inside_ = outer;
    }

    // What a protected part was decoded into takes its place; a decrypted entity is walked in turn
    // for the protected parts it holds.
    void Put(const std::string& decoded, int node, int depth, bool walk)
    {
        InRange([&] {
            if (walk && nestedDecodes_ < kMaxNestedDecodes) {
                ++nestedDecodes_;
                Within(node, [&] { Entity(decoded, depth + 1); });
                --nestedDecodes_;
            } else {
                if (!Result.Parts[node].Signed)
                    NotePlain(decoded);
                Result.Message += decoded;
            }
        });
    }

    // What the walk puts out meanwhile is one decoded range.
    template <typename TWalk> void InRange(TWalk walk)
    {
        const size_t slot = Result.DecodedRanges.size();
        Result.DecodedRanges.emplace_back(Result.Message.size(), 0);
        walk();
        Result.DecodedRanges[slot].second = Result.Message.size();
    }

    int Decode(TShape shape, const std::string& header, const std::string& body, std::string& decoded)
    {
        std::string entity = header + "\r\n" + body;
        const TBurnOnExit burnEntity(entity); // a decrypted entity's part is plaintext
        switch (shape) {
        case TShape::Entity:
            return (*decode_)(TPartForm::Entity, entity, decoded);
        case TShape::Rewrapped: {
            const std::string delimiter = BoundaryParameter(HeaderFieldValue(header, "Content-Type:"));
            const std::string pgpMime
                = "Content-Type: multipart/encrypted; protocol=\"application/pgp-encrypted\"; "
                  "boundary=\""
                + delimiter.substr(2) + "\"\r\n\r\n" + body;
            return (*decode_)(TPartForm::Entity, pgpMime, decoded);
        }
        case TShape::Signed:
            return (*decode_)(TPartForm::Signed, entity, decoded);
        case TShape::ArmouredText:
            return (*decode_)(TPartForm::ArmouredText, TransferDecoded(header, body), decoded);
        case TShape::ArmouredHtml:
            return (*decode_)(TPartForm::ArmouredHtml, TransferDecoded(header, body), decoded);
        case TShape::File:
            return (*decode_)(TPartForm::File, TransferDecoded(header, body), decoded);
        case TShape::SMimeFile:
            return (*decode_)(TPartForm::SMimeFile, TransferDecoded(header, body), decoded);
        default:
            return kPartRefused;
        }
    }

    void Multipart(const std::string& header, const std::string& body, int depth)
    {
        std::string& out = Result.Message;
        out += header + "\r\n";
        const std::string delimiter = BoundaryParameter(HeaderFieldValue(header, "Content-Type:"));
        const std::vector<TDelimiter> lines = DelimiterLines(body, delimiter);
        if (lines.empty()) {
            out += body;
            return;
        }
        out += body.substr(0, lines[0].Start); // the preamble
        for (size_t i = 0; i < lines.size(); ++i) {
            const TDelimiter& line = lines[i];
            out += body.substr(line.Start, line.LineEnd - line.Start);
            if (line.Closing) {
                out += body.substr(line.LineEnd); // the epilogue
                return;
            }
            // The line break before the next delimiter line belongs to that line.
            size_t end = i + 1 < lines.size() ? lines[i + 1].Start : body.size();
            size_t breakLength = 0;
            if (i + 1 < lines.size() && end >= line.LineEnd + 2 && body.compare(end - 2, 2, "\r\n") == 0)
                breakLength = 2;
            std::string part = body.substr(line.LineEnd, end - breakLength - line.LineEnd);
            const TBurnOnExit burnPart(part);
            Entity(part, depth + 1);
            out += body.substr(end - breakLength, breakLength);
        }
    }
};

} // namespace

bool HasProtectedParts(const std::string& message)
{
    // Most messages say in their header alone that they hold no such part: their body, often the
    // whole size of the message, is then not copied and looked through.
    const size_t blank = message.find("\r\n\r\n");
    if (blank != std::string::npos && HeaderRulesOutParts(message.substr(0, blank + 2)))
        return false;
    std::string header, body;
    SplitHeaderBody(message, header, body);
    switch (ShapeOf(header, body)) {
    case TShape::Multipart:
    case TShape::Message: {
        TPartsWalk walk(nullptr);
        walk.Entity(message, 0);
        return walk.Result.Protected > 0;
    }
    case TShape::ArmouredHtml: // an HTML body, which the inline road cannot read
    case TShape::Rewrapped:
    case TShape::File:
    case TShape::SMimeFile:
        return message.find("\r\n\r\n") != std::string::npos;
    default:
        return false;
    }
}

TProtectedParts DecodeProtectedParts(const std::string& message, const TPartDecoder& decode)
{
    TPartsWalk walk(&decode);
    walk.Entity(message, 0);
    return std::move(walk.Result);
}

std::string ArmourPgpMessage(const std::string& bytes)
{
    uint32_t crc = 0xB704CE;
    for (const char c : bytes) {
        crc ^= static_cast<uint32_t>(static_cast<unsigned char>(c)) << 16;
        for (int bit = 0; bit < 8; ++bit) {
            crc <<= 1;
            if (crc & 0x1000000)
                crc ^= 0x1864CFB;
        }
    }
    const std::string checksum = { static_cast<char>(crc >> 16 & 0xFF), static_cast<char>(crc >> 8 & 0xFF),
        static_cast<char>(crc & 0xFF) };
    return "-----BEGIN PGP MESSAGE-----\r\n\r\n" + Base64Encode(bytes) + "\r\n=" + Base64Encode(checksum)
        + "\r\n-----END PGP MESSAGE-----\r\n";
}
