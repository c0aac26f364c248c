// MailHost rebuild: the message preparation of the encrypt road (Content-* fields moved, names
// encoded, 8-bit text parts made quoted-printable) and the per-part headers of PGP parts. Works
// on whole entity texts (header, blank line, body), so no offset survives an edit.
#include "mime/MailHost.h"
#include "mime/MailServices.h"
#include "mime/MailText.h"
#include "foundation/StrTools.h"
#include "foundation/StrUtil.h"

namespace {

struct TEntity {
    std::string Header;    // without the blank line
    std::string Separator; // the header's line break and blank line, as they stand
    bool HasHeader = false;
    std::string Body;
};

// An entity's parts with the body left where it lies in the text.
struct TEntityView {
    std::string Header;
    std::string Separator;
    bool HasHeader = false;
    std::string_view Body;
};

TEntityView SplitEntityView(const std::string& Text)
{
    TEntityView entity;
    THeaderData section = WholeTextSection(BorrowSharedText(Text));
    FindHeaderEnd(section, 0);
    entity.Body = Text;
    if (section.Start != 1 || section.Length <= 0)
        return entity;
    const std::size_t bodyStart = SectionBodyStart(section) - 1;
    entity.Header = Text.substr(0, section.Length);
    entity.Separator = Text.substr(section.Length, bodyStart - section.Length);
    entity.Body.remove_prefix(bodyStart);
    entity.HasHeader = true;
    return entity;
}

// The text is taken by value: a long message handed over as a temporary gives its body without
// a copy.
TEntity SplitEntity(std::string Text)
{
    TEntityView view = SplitEntityView(Text);
    TEntity entity;
    entity.Header = std::move(view.Header);
    entity.Separator = std::move(view.Separator);
    entity.HasHeader = view.HasHeader;
    Text.erase(0, Text.size() - view.Body.size());
    entity.Body = std::move(Text);
    return entity;
}

// The body's own buffer takes the header in front of it.
std::string JoinEntity(TEntity Entity)
{
    Entity.Body.insert(0, Entity.Header + Entity.Separator);
    return std::move(Entity.Body);
}

// A descriptor over a header text alone, searched whole.
THeaderData HeaderOnly(const std::string& Header)
{
    THeaderData section = WholeTextSection(MakeSharedText(Header));
    section.Start = 0;
    return section;
}

std::string LineBreakIn(const std::string& Text)
{
    const std::size_t lf = Text.find('\n');
    if (lf == std::string::npos || lf == 0)
        return "\r\n";
    return Text[lf - 1] == '\r' ? "\r\n" : "\n";
}

void RemoveFieldLine(std::string& Header, const THeaderData& Field)
{
    std::size_t end = Field.Start - 1 + Field.Length;
    if (end < Header.size() && Header[end] == '\r')
        ++end;
    if (end < Header.size() && Header[end] == '\n')
        ++end;
    // The last field has no line break after it: take the one before it instead.
    std::size_t start = Field.Start - 1;
    if (end == Field.Start - 1 + static_cast<std::size_t>(Field.Length) && start > 0) {
        if (Header[start - 1] == '\n')
            --start;
        if (start > 0 && Header[start - 1] == '\r')
            --start;
    }
    Header.erase(start, end - start);
}

void TrimRight(std::string& Text)
{
    while (!Text.empty() && static_cast<unsigned char>(Text.back()) <= ' ')
        Text.pop_back();
}

// Begin and end (0-based, end exclusive) of a parameter value after its name.
std::pair<std::size_t, std::size_t> ParameterExtent(const std::string& Value, int32_t AfterName)
{
    std::size_t p = AfterName - 1;
    while (p < Value.size() && (Value[p] == ' ' || Value[p] == '\t' || Value[p] == '='))
        ++p;
    if (p < Value.size() && Value[p] == '"') {
        std::size_t q = p + 1;
        while (q < Value.size() && Value[q] != '"')
            q += Value[q] == '\\' ? 2 : 1;
        return {p, std::min(q + 1, Value.size())};
    }
    std::size_t q = p;
    while (q < Value.size() && Value[q] != ';')
        ++q;
    while (q > p && (Value[q - 1] == ' ' || Value[q - 1] == '\t'))
        --q;
    return {p, q};
}

std::string NameCharsetOr(const std::string& Charset)
{
    return Charset.empty() ? MailServices().NormalizeCharsetName("") : Charset;
}

// A file name as it goes into a parameter: quoted, Q-encoded when it is not plain ASCII.
std::string QuotedName(const std::string& Name, const std::string& Charset)
{
    const std::string encoded = TextHasNonAscii(Name) ? EncodeQuotedPrintable(Name, NameCharsetOr(Charset)) : Name;
    return "\"" + encoded + "\"";
}

bool IsTextType(const std::string& ContentType)
{
    const std::string type = TrimBlanks(ContentType);
    return type.empty() || StartsWithText("text/", type);
}

std::string PrepareEntity(const std::string& Text, const std::string& Charset, bool QuotedPrintable, int Depth,
                          bool IsPart);

// An entity's header as preparing leaves it: without encryptor marker, attachment names encoded.
std::string PreparedHeader(std::string Header, const std::string& Charset)
{
    THeaderData marker = GetHeaderValue("X-PM-Encryptor:", HeaderOnly(Header), false);
    if (marker.Start > 0)
        RemoveFieldLine(Header, marker);
    return EncodeAttachmentNames(Header, Charset);
}

std::string ContentTypeOf(const std::string& Header)
{
    return GetHeaderValue("Content-Type:", HeaderOnly(Header), true).Str();
}

std::string BoundaryOf(const std::string& ContentType)
{
    THeaderData typed;
    typed.ContentType = ContentType;
    return GetBoundary(typed);
}

// A body that a transport would change: 8-bit or control bytes, blanks at a line end (stripped
// by some relays), a "From " line (quoted by mbox ones) or a line over 76 characters (rewrapped).
// One pass: a long body is read once.
bool NeedsTransportEncoding(std::string_view Body)
{
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i <= Body.size(); ++i) {
        if (i < Body.size() && Body[i] != '\r' && Body[i] != '\n') {
            const unsigned char b = static_cast<unsigned char>(Body[i]);
            if (b != '\t' && (b < ' ' || b > '~'))
                return true;
            continue;
        }
        if (i - lineStart > 76 || Body.compare(lineStart, 5, "From ") == 0)
            return true;
        if (i > lineStart && (Body[i - 1] == ' ' || Body[i - 1] == '\t'))
            return true;
        lineStart = i + 1;
    }
    return false;
}

// A message/rfc822 part: its embedded message (after the part header) prepared and put back.
std::string PrepareEmbedded(const std::string& Part, const std::string& Charset, bool QuotedPrintable, int Depth)
{
    TEntity part = SplitEntity(Part);
    if (!part.HasHeader) {
        // A digest entry without part header fields: the text is the message itself.
        return PrepareEntity(Part, Charset, QuotedPrintable, Depth + 1, false);
    }
    part.Body = PrepareEntity(part.Body, Charset, QuotedPrintable, Depth + 1, false);
    return JoinEntity(std::move(part));
}

std::string PrepareMultipartBody(const std::string& Body, const std::string& Boundary, const std::string& Charset,
                                 bool QuotedPrintable, int Depth, bool Digest)
{
    const int32_t last = static_cast<int32_t>(Body.size());
    TDelimiter delimiter = FindDelimiterLine(Body, Boundary, 1, last);
    if (delimiter.Position == 0)
        return Body;
    std::string out = Body.substr(0, delimiter.Position - 1);
    while (delimiter.Position > 0 && !delimiter.Closing) {
        int32_t lineEnd = delimiter.Position;
        while (lineEnd <= last && Body[lineEnd - 1] != '\r' && Body[lineEnd - 1] != '\n')
            ++lineEnd;
        int32_t partStart = lineEnd;
        if (partStart <= last && Body[partStart - 1] == '\r')
            ++partStart;
        if (partStart <= last && Body[partStart - 1] == '\n')
            ++partStart;
        const TDelimiter next = FindDelimiterLine(Body, Boundary, partStart, last);
        const int32_t partBound = next.Position > 0 ? next.Position - 1 : last; // last position before it
        int32_t partLast = partBound;
        if (next.Position > 0 && partLast >= partStart && Body[partLast - 1] == '\n')
            --partLast;
        if (next.Position > 0 && partLast >= partStart && Body[partLast - 1] == '\r')
            --partLast;
        out += Body.substr(delimiter.Position - 1, partStart - delimiter.Position);
        const std::string part = partLast >= partStart ? Body.substr(partStart - 1, partLast - partStart + 1) : "";
        const std::string type = GetHeaderValue("Content-Type:", HeaderOnly(SplitEntity(part).Header), true).Str();
        if (StartsWithText("message/rfc822", TrimBlanks(type)) || (Digest && TrimBlanks(type).empty()))
            out += PrepareEmbedded(part, Charset, QuotedPrintable, Depth);
        else
            out += PrepareEntity(part, Charset, QuotedPrintable, Depth + 1, true);
        out += Body.substr(std::max(partLast, partStart - 1), partBound - std::max(partLast, partStart - 1));
        delimiter = next;
    }
    if (delimiter.Position > 0)
        out += Body.substr(delimiter.Position - 1);
    return out;
}

// Every text part of a multipart is made quoted-printable, so a signature over it survives any
// transport; a message's own text body only when a transport would change it.
std::string PrepareEntity(const std::string& Text, const std::string& Charset, bool QuotedPrintable, int Depth,
                          bool IsPart)
{
    if (Depth >= MaxMimeDepth)
        return Text;
    TEntity entity = SplitEntity(Text);
    if (!entity.HasHeader)
        return Text;
    entity.Header = PreparedHeader(std::move(entity.Header), Charset);
    const std::string type = ContentTypeOf(entity.Header);
    const std::string boundary = BoundaryOf(type);
    if (!boundary.empty()) {
        const bool digest = StartsWithText("multipart/digest", TrimBlanks(type));
        entity.Body = PrepareMultipartBody(entity.Body, boundary, Charset, QuotedPrintable, Depth, digest);
        return JoinEntity(std::move(entity));
    }
    if (QuotedPrintable && IsTextType(type) && (IsPart || NeedsTransportEncoding(entity.Body)))
        return MakeTextPartQuotedPrintable(JoinEntity(std::move(entity)));
    return JoinEntity(std::move(entity));
}

} // namespace

std::string EncodeAttachmentNames(const std::string& Header, const std::string& Charset)
{
    std::string header = Header;
    const struct {
        const char* Field;
        const char* Label;
        const char* Parameter;
        bool Strip;
    } fields[] = {{"Content-Type:", "Content-Type: ", "name", false},
                  {"Content-Disposition:", "Content-Disposition: ", "filename", true}};
    for (const auto& f : fields) {
        const THeaderData field = GetHeaderValue(f.Field, HeaderOnly(header), false);
        if (field.Start == 0)
            continue;
        std::string value = field.Str();
        const int32_t after = FindParameterName(value, f.Parameter, 1);
        if (after == 0)
            continue;
        const std::string name = ParameterValueAt(value, after);
        if (TextHasNonAscii(name)) {
            const auto [begin, end] = ParameterExtent(value, after);
            value.replace(begin, end - begin, QuotedName(name, Charset));
        }
        FoldHeaderParameters(f.Parameter, value, f.Strip);
        header.replace(field.Start - 1, field.Length, f.Label + value);
    }
    return header;
}

std::string MoveContentHeaders(const std::string& Header, bool Delete, const std::string& Replacement,
                               const std::string& Charset)
{
    std::string rest = Header;
    const std::string lineBreak = LineBreakIn(Header);
    const char* order[] = {"Content-Type", "Content-Location", "Content-ID", "Content-Disposition",
                           "Content-Transfer-Encoding", "Content-Description"};
    std::string kept[6];
    // The values go back as they stood (unfolded, comments kept: a description is free text).
    for (int i = 5; i >= 1; --i) {
        const THeaderData field = GetHeaderValue(std::string(order[i]) + ":", HeaderOnly(rest), false);
        if (field.Start == 0)
            continue;
        kept[i] = std::string(order[i]) + ": " + field.Str();
        RemoveFieldLine(rest, field);
    }
    const THeaderData type = GetHeaderValue("Content-Type:", HeaderOnly(rest), false);
    if (type.Start > 0) {
        kept[0] = "Content-Type: " + type.Str();
        if (!Replacement.empty() && !Delete)
            rest.replace(type.Start - 1, type.Length, Replacement);
        else
            RemoveFieldLine(rest, type);
    }
    TrimRight(rest);
    if (Delete)
        return rest;
    const bool multipart = StartsWithText("multipart/", TrimBlanks(kept[0].empty() ? "" : kept[0].substr(14)));
    for (int i = 0; i < 6; ++i) {
        if (kept[i].empty() || (multipart && i > 0))
            continue;
        if (!rest.empty())
            rest += lineBreak;
        rest += kept[i];
    }
    TrimRight(rest);
    return EncodeAttachmentNames(rest, Charset);
}

std::string MakeTextPartQuotedPrintable(const std::string& Part)
{
    TEntity entity = SplitEntity(Part);
    if (!entity.HasHeader)
        return Part;
    const THeaderData header = HeaderOnly(entity.Header);
    if (!IsTextType(GetHeaderValue("Content-Type:", header, true).Str()))
        return Part;
    const THeaderData encoding = GetHeaderValue("Content-Transfer-Encoding:", header, true);
    const std::string name = TrimBlanks(encoding.Str());
    if (StartsWithText("base64", name))
        return Part;
    if (StartsWithText("quoted-printable", name)) {
        // The host's attachment information text: blanks before its line ends are dropped.
        if (!StartsWithText("Attachment information",
                            TrimBlanks(GetHeaderValue("Content-Description:", header, false).Str())))
            return Part;
        std::string body;
        for (char c : entity.Body) {
            if (c == '\r' || c == '\n')
                while (!body.empty() && body.back() == ' ')
                    body.pop_back();
            body += c;
        }
        entity.Body = body;
        return JoinEntity(std::move(entity));
    }
    entity.Body = EncodeQuotedPrintable(RejoinArmorLines(entity.Body), "");
    const std::string line = "Content-Transfer-Encoding: quoted-printable";
    // Without the field the receiver would take the encoded body as 7bit text.
    if (encoding.Start > 0)
        entity.Header.replace(encoding.Start - 1, encoding.Length, line);
    else
        entity.Header += LineBreakIn(entity.Header) + line;
    return JoinEntity(std::move(entity));
}

std::string PrepareMessageParts(const std::string& MessageText, const std::string& Charset, bool QuotedPrintable)
{
    return PrepareEntity(MessageText, Charset, QuotedPrintable, 0, false);
}

namespace {

// The header preparing gives a message whose body it leaves as it stands (a single part that no
// transport would change); false when preparing changes the body, or when the prepared header
// would end elsewhere in the prepared text.
bool PreparedHeaderAsItStands(const TEntityView& Entity, const std::string& Charset, std::string& Header)
{
    if (!Entity.HasHeader)
        return false;
    std::string header = PreparedHeader(Entity.Header, Charset);
    const std::string type = ContentTypeOf(header);
    if (!BoundaryOf(type).empty() || (IsTextType(type) && NeedsTransportEncoding(Entity.Body)))
        return false;
    const TEntityView again = SplitEntityView(header + Entity.Separator);
    if (!again.HasHeader || again.Header != header || again.Separator != Entity.Separator)
        return false;
    Header = std::move(header);
    return true;
}

} // namespace

void MarkForEncryptor(
    const std::string& MessageText, const std::string& Charset, uint32_t Flags, TMarkedMessage& Marked)
{
    TEntityView entity = SplitEntityView(MessageText);
    std::string header;
    if (!PreparedHeaderAsItStands(entity, Charset, header)) {
        Marked.Prepared = PrepareMessageParts(MessageText, Charset, true);
        entity = SplitEntityView(Marked.Prepared);
        header = std::move(entity.Header);
    }
    std::string marker = "X-PM-Encryptor: DIRAZA-ZE32, " + std::to_string(Flags);
    TrimRight(marker);
    header = MoveContentHeaders(header, false, marker, Charset);
    if (GetHeaderValue("X-PM-Encryptor:", HeaderOnly(header), false).Start == 0)
        header += LineBreakIn(header) + marker;
    Marked.Header = std::move(header);
    Marked.Separator = entity.Separator.empty() ? "\r\n\r\n" : entity.Separator;
    Marked.Body = entity.Body;
}

std::string AddEncryptorHeader(
    const std::string& MessageText, const std::string& Charset, uint32_t Flags, int32_t& HeaderLength)
{
    TMarkedMessage marked;
    MarkForEncryptor(MessageText, Charset, Flags, marked);
    HeaderLength = static_cast<int32_t>(marked.Header.size());
    std::string text;
    text.reserve(marked.Header.size() + marked.Separator.size() + marked.Body.size());
    text.append(marked.Header).append(marked.Separator).append(marked.Body);
    return text;
}

std::string BuildPgpSignaturePart(const std::string& Boundary, const TPartName& Name, uint32_t NodeKind)
{
    const bool named = NodeKind == 0 || NodeKind == 15;
    const std::string fileName = named ? QuotedName(Name.Caption + ".sig", Name.Charset) : "\"\"";
    std::string part = "--" + Boundary + "\r\n";
    part += "Content-Type: application/pgp-signature; name=\r\n " + fileName + "\r\n";
    part += "Content-Transfer-Encoding: 7BIT\r\n";
    // No Content-ID: the signed part already carries it, and two parts may not share one.
    if (!Name.TypeName.empty())
        part += "Content-Description: " + Name.TypeName + "\r\n";
    part += "Content-Disposition: attachment; filename=\r\n " + fileName;
    return part;
}

std::string BuildPgpEncryptedPart(const TPartName& Name, bool PgpExtension, const std::string& TransferEncoding,
                                  uint32_t Flags)
{
    const std::string fileName = QuotedName(Name.Caption + (PgpExtension ? ".pgp" : ""), Name.Charset);
    std::string part = std::string("Content-Type: ") +
                       (PgpExtension ? "application/pgp-encrypted" : "application/octet-stream") + "; name=\r\n " +
                       fileName + "\r\n";
    part += "Content-Transfer-Encoding: " + TransferEncoding + "\r\n";
    if (!Name.ContentRef.empty())
        part += "Content-ID: <" + Name.ContentRef + ">\r\n";
    else if (!Name.TypeName.empty())
        part += "Content-Description: " + Name.TypeName + "\r\n";
    part += "Content-Disposition: attachment; filename=\r\n " + fileName;
    if (Flags != 0) {
        static const char hex[] = "0123456789ABCDEF";
        part += ";\r\n x-encryption=DIRAZA-ZE32; x-encryption-flags=";
        part += hex[Flags & 0xF];
    }
    return part;
}
