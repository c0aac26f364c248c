// MailUtils sections: header lookup and unfolding, the multipart walk and the finder of the first
// protected section (PGP/MIME, S/MIME, armoured blocks). Every range comes from ClampRange, and a
// result is either a range inside the text or "not found" (Start 0).
#include "mime/MailUtils.h"
#include "mime/MailServices.h"
#include "mime/MailText.h"
#include "foundation/StrTools.h"
#include "foundation/StrUtil.h"
#include <algorithm>

namespace {

const std::string emptyText;

struct TContentField {
    uint32_t Bit;
    const char* Name;
    std::string THeaderData::*Value;
};

const TContentField contentFields[] = {
    {hmContentType, "Content-Type:", &THeaderData::ContentType},
    {hmTransferEncoding, "Content-Transfer-Encoding:", &THeaderData::TransferEncoding},
    {hmDisposition, "Content-Disposition:", &THeaderData::Disposition},
    {hmDescription, "Content-Description:", &THeaderData::Description},
    {hmLocation, "Content-Location:", &THeaderData::Location},
    {hmContentID, "Content-ID:", &THeaderData::ContentID},
};

void ClearContentValues(THeaderData& Section)
{
    for (const auto& field : contentFields)
        (Section.*field.Value).clear();
}

// A header field line: a field name of printable characters, optional blanks, then ':'.
// An mbox "From " line counts too, as mature parsers read it as part of the header.
bool IsFieldLineAt(const std::string& Text, int32_t Pos, int32_t LineEnd)
{
    if (StrMatchesAt("From ", Text, Pos) && Pos + 4 < LineEnd)
        return true;
    int32_t p = Pos;
    while (p < LineEnd && Text[p - 1] > ' ' && Text[p - 1] < 0x7F && Text[p - 1] != ':')
        ++p;
    if (p == Pos)
        return false;
    while (p < LineEnd && (Text[p - 1] == ' ' || Text[p - 1] == '\t'))
        ++p;
    return p < LineEnd && Text[p - 1] == ':';
}

bool StartsWithMediaType(const std::string& Prefix, const std::string& ContentType)
{
    return StartsWithText(Prefix, TrimBlanksLeft(ContentType));
}

// The media type of a Content-Type value ("type/subtype"), without parameters and blanks.
std::string MediaTypeOf(const std::string& ContentType)
{
    return TrimBlanks(ContentType.substr(0, ContentType.find(';')));
}

struct TFirstPart {
    THeaderData Part;      // the leaf reached
    THeaderData Enclosing; // the innermost multipart whose first part is Part
};

TFirstPart FirstPartWithin(const THeaderData& Section, uint32_t Mask, int Mode, int Depth)
{
    TFirstPart result;
    result.Part.Text = Section.Text;
    const std::string boundary = GetBoundary(Section);
    if (boundary.empty())
        return result;
    THeaderData part = FindNextPart(Section, boundary, Mask | hmContentType);
    result.Enclosing = Section;
    if (Mode != 0 && part.Start > 0 && part.Length > 0) {
        // The part's Content-Type decides, not the text anywhere in its header: a description or
        // a file name that mentions "multipart/" must not send the search into a leaf.
        const bool descend = Mode == 1 ? StartsWithMediaType("multipart/mixed", part.ContentType)
                                       : StartsWithMediaType("multipart/", part.ContentType);
        if (descend) {
            if (Depth + 1 >= MaxMimeDepth)
                return TFirstPart{};
            return FirstPartWithin(part, Mask, Mode, Depth + 1);
        }
    }
    result.Part = part;
    return result;
}

// Line-break length at Pos: CR LF 2, a lone CR or LF 1, anything else 0; never past Last.
int32_t LineBreakAt(const std::string& Text, int32_t Pos, int32_t Last)
{
    if (Pos < 1 || Pos > Last)
        return 0;
    if (Text[Pos - 1] == '\r')
        return (Pos + 1 <= Last && Text[Pos] == '\n') ? 2 : 1;
    return Text[Pos - 1] == '\n' ? 1 : 0;
}

// First position at or after Pos holding a CR or LF, or Last + 1.
int32_t LineEndFrom(const std::string& Text, int32_t Pos, int32_t Last)
{
    while (Pos <= Last && Text[Pos - 1] != '\r' && Text[Pos - 1] != '\n')
        ++Pos;
    return Pos;
}

// The end of the header fields that begin at First (up to Last): the position of the line break
// that ends the last field line, or Last + 1 when the text ends inside the block; 0 when the
// first line is no field. The block ends at an empty line, and also at the first line that is
// no field and no continuation, so a header without its blank line keeps its fields.
int32_t HeaderFieldsEnd(const std::string& Text, int32_t First, int32_t Last)
{
    int32_t end = 0;
    for (int32_t p = First; p >= 1 && p <= Last;) {
        const int32_t lineEnd = LineEndFrom(Text, p, Last);
        if (lineEnd == p)
            break;
        const bool continuation = end > 0 && (Text[p - 1] == ' ' || Text[p - 1] == '\t');
        if (!continuation && !IsFieldLineAt(Text, p, lineEnd))
            break;
        end = lineEnd;
        const int32_t breakLength = LineBreakAt(Text, lineEnd, Last);
        if (breakLength == 0)
            break;
        p = lineEnd + breakLength;
    }
    return end;
}

bool IsBlankText(const std::string& Text)
{
    return std::all_of(Text.begin(), Text.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

} // namespace

TSharedText MakeSharedText(std::string Text) { return std::make_shared<const std::string>(std::move(Text)); }

TSharedText BorrowSharedText(const std::string& Text) { return TSharedText(TSharedText(), &Text); }

const std::string& THeaderData::Str() const { return Text ? *Text : emptyText; }

THeaderData WholeTextSection(TSharedText Text)
{
    THeaderData section;
    section.Text = std::move(Text);
    section.Start = 1;
    section.Limit = static_cast<int32_t>(std::min<std::size_t>(section.Str().size(), INT32_MAX));
    return section;
}

// ---- Header lookup -------------------------------------------------------------------------------

THeaderData GetHeaderValue(const std::string& Name, const THeaderData& Section, bool StripComments)
{
    THeaderData value;
    const std::string& text = Section.Str();
    // A part without a header block has no fields; looking in the whole text would find the
    // enclosing message's.
    if (Section.Start > 1 && Section.Length <= 0)
        return value;
    const TTextRange range = Section.Start > 0 && Section.Length > 0
                                 ? ClampRange(text.size(), Section.Start, Section.Length, Section.Limit)
                                 : ClampRange(text.size(), 1, 0, Section.Limit);
    if (range.IsEmpty())
        return value;
    std::string name = Name;
    if (!name.empty() && name.back() == ':')
        name.pop_back();
    const bool wildcard = !name.empty() && name.back() == '*';
    if (wildcard)
        name.pop_back();
    if (name.empty())
        return value;

    const int32_t last = range.Last;
    int32_t from = range.First;
    int32_t fieldStart = 0;
    int32_t p = 0;
    while (from <= last) {
        const int32_t hit = PosTextBetween(name, text, from, last);
        if (hit == 0)
            return value;
        from = hit + 1;
        if (!IsLineStartAt(text, hit))
            continue;
        p = hit + static_cast<int32_t>(name.size());
        if (wildcard) {
            while (p <= last && text[p - 1] != ':' && text[p - 1] != '\r' && text[p - 1] != '\n')
                ++p;
        } else {
            while (p <= last && (text[p - 1] == ' ' || text[p - 1] == '\t'))
                ++p;
        }
        // A longer field name that merely begins with the searched one: keep looking.
        if (p > last || text[p - 1] != ':')
            continue;
        fieldStart = hit;
        break;
    }
    if (fieldStart == 0)
        return value;

    ++p; // the colon
    while (p <= last && (text[p - 1] == ' ' || text[p - 1] == '\t'))
        ++p;
    std::string unfolded;
    bool pendingBlank = false;
    int32_t fieldEnd = p;
    bool firstLine = true;
    while (p <= last) {
        const int32_t lineEnd = LineEndFrom(text, p, last);
        for (int32_t i = p; i < lineEnd && text[i - 1] != '\0'; ++i) {
            if (pendingBlank) {
                unfolded += ' ';
                pendingBlank = false;
            }
            unfolded += text[i - 1];
        }
        if (lineEnd > p)
            fieldEnd = lineEnd;
        // A continuation is exactly one line break followed by a blank or TAB; an empty line
        // ends the header block, so unfolding never runs into the body.
        const int32_t breakLength = LineBreakAt(text, lineEnd, last);
        const int32_t next = lineEnd + breakLength;
        if (breakLength == 0 || next > last || (text[next - 1] != ' ' && text[next - 1] != '\t')) {
            if (firstLine && lineEnd == p)
                return value; // value neither on the name's line nor on a continuation line
            break;
        }
        p = next;
        while (p <= last && (text[p - 1] == ' ' || text[p - 1] == '\t'))
            ++p;
        pendingBlank = !unfolded.empty();
        firstLine = false;
    }
    if (StripComments)
        StripHeaderComments(unfolded);
    value.Start = fieldStart;
    value.Length = fieldEnd - fieldStart;
    value.Limit = static_cast<int32_t>(unfolded.size());
    value.Text = MakeSharedText(std::move(unfolded));
    return value;
}

void StripHeaderComments(std::string& Value)
{
    std::string result;
    result.reserve(Value.size());
    std::size_t i = 0;
    while (i < Value.size()) {
        const char c = Value[i];
        if (c == '"') {
            std::size_t close = i + 1;
            while (close < Value.size() && Value[close] != '"')
                close += Value[close] == '\\' ? 2 : 1;
            if (close >= Value.size())
                break; // an unterminated quote ends the stripping; the rest is kept
            result.append(Value, i, close + 1 - i);
            i = close + 1;
        } else if (c == '(') {
            const std::size_t close = Value.find(')', i + 1);
            if (close == std::string::npos)
                break;
            i = close + 1;
        } else {
            result += c;
            ++i;
        }
    }
    result.append(Value, std::min(i, Value.size()), std::string::npos);
    Value = std::move(result);
}

void FindHeaderEnd(THeaderData& Section, uint32_t Mask)
{
    const std::string& text = Section.Str();
    const TTextRange range = ClampRange(text.size(), Section.Start, 0, Section.Limit);
    Section.Length = 0;
    const int32_t end = range.IsEmpty() ? 0 : HeaderFieldsEnd(text, range.First, range.Last);
    if (end > range.First)
        Section.Length = end - range.First;
    else
        Section.Start = 0;
    if (Section.Length <= 0) {
        ClearContentValues(Section);
        return;
    }
    ReadSectionHeaders(Section, Mask, false);
}

int32_t SectionBodyStart(const THeaderData& Section)
{
    const std::string& text = Section.Str();
    const int32_t last = EffectiveLimit(text.size(), Section.Limit);
    int32_t p = Section.Start + std::max(Section.Length, 0);
    if (Section.Length <= 0)
        return p;
    // The line break that ends the header, then the blank line when there is one.
    const int32_t first = LineBreakAt(text, p, last);
    p += first;
    if (first > 0)
        p += LineBreakAt(text, p, last);
    return p;
}

void ReadSectionHeaders(THeaderData& Section, uint32_t Mask, bool KeepRead)
{
    for (const auto& field : contentFields) {
        std::string& slot = Section.*field.Value;
        if (!(Mask & field.Bit)) {
            slot.clear();
            continue;
        }
        if (KeepRead && !slot.empty())
            continue;
        // The description is free text: parentheses in it are not comments.
        const bool strip = field.Bit != hmDescription;
        const THeaderData value = GetHeaderValue(field.Name, Section, strip);
        slot = value.Str();
    }
}

// ---- Multipart walk ------------------------------------------------------------------------------

std::string GetBoundary(const THeaderData& Section)
{
    std::string value;
    if (!Section.ContentType.empty())
        value = Section.ContentType;
    else if (Section.Start == 0)
        value = Section.Str();
    else
        value = GetHeaderValue("Content-Type:", Section, true).Str();
    if (!StartsWithMediaType("multipart/", value))
        return {};
    const int32_t after = FindParameterName(value, "boundary", 1);
    // The RFC 2231 form (boundary*=charset''value) is read by the parameter decoder.
    int32_t p = after;
    while (p > 0 && p <= static_cast<int32_t>(value.size()) && (value[p - 1] == ' ' || value[p - 1] == '\t'))
        ++p;
    if (p > 0 && p <= static_cast<int32_t>(value.size()) && value[p - 1] == '*')
        return GetHeaderParameter(value, "boundary", nullptr, true);
    return ParameterValueAt(value, after);
}

THeaderData FindNextPart(const THeaderData& Section, const std::string& Boundary, uint32_t Mask)
{
    THeaderData part;
    part.Text = Section.Text;
    part.Limit = Section.Limit;
    part.Level = Section.Level;
    const std::string& text = Section.Str();
    const int64_t from = static_cast<int64_t>(std::max(Section.Start, 1)) + std::max(Section.Length, 0);
    const TTextRange range = ClampRange(text.size(), from, 0, Section.Limit);
    if (Boundary.empty() || range.IsEmpty())
        return part;
    const TDelimiter delimiter = FindDelimiterLine(text, Boundary, range.First, range.Last);
    if (delimiter.Position == 0 || delimiter.Closing)
        return part;
    const int32_t lineEnd = LineEndFrom(text, delimiter.Position, range.Last);
    // The part's header fields end before the next delimiter line; a part without them (an
    // empty part, or a body right after the delimiter) is still a part.
    const TDelimiter next = FindDelimiterLine(text, Boundary, lineEnd, range.Last);
    const int32_t bound = next.Position > 0 ? next.Position - 1 : range.Last;
    const int32_t fieldsStart = lineEnd + LineBreakAt(text, lineEnd, bound);
    const int32_t fieldsEnd = fieldsStart > lineEnd ? HeaderFieldsEnd(text, fieldsStart, bound) : 0;
    const int32_t headerEnd = fieldsEnd > 0 ? fieldsEnd : lineEnd;
    part.Start = delimiter.Position;
    part.Length = headerEnd - delimiter.Position;
    ReadSectionHeaders(part, Mask, false);
    return part;
}

THeaderData FindFirstPart(const THeaderData& Section, uint32_t Mask, int Mode)
{
    TFirstPart found = FirstPartWithin(Section, Mask, Mode, 0);
    THeaderData result = Mode == 2 && found.Part.Start > 0 ? found.Enclosing : found.Part;
    if (result.Start > 0)
        ReadSectionHeaders(result, Mask, false);
    return result;
}

// ---- Protected sections --------------------------------------------------------------------------

uint32_t ClassifySecurePart(const THeaderData& Section, bool WantBoundary, std::string& Boundary)
{
    Boundary.clear();
    std::string contentType = Section.ContentType;
    if (contentType.empty() && Section.Start > 0)
        contentType = GetHeaderValue("Content-Type:", Section, true).Str();
    // Only the media type and the protocol and smime-type parameters decide: a boundary or file
    // name that happens to contain "encrypted" or "signed" must not change the kind.
    const std::string mediaType = MediaTypeOf(contentType);
    const std::string protocol = ParameterValueAt(contentType, FindParameterName(contentType, "protocol", 1));
    const std::string smimeType = ParameterValueAt(contentType, FindParameterName(contentType, "smime-type", 1));
    const std::string typeAndProtocol = mediaType + ";" + protocol;
    const std::string typeAndSmime = mediaType + ";" + smimeType;
    uint32_t kind = skNone;
    if (PosText("PKCS7", typeAndProtocol) > 0) {
        if (StartsWithText("multipart/", mediaType) && PosTextFrom("signed", mediaType, 11) > 0)
            kind = skSmimeMultipartSigned;
        else if (StartsWithText("application/", mediaType) && PosTextFrom("signature", typeAndSmime, 13) == 0 &&
                 PosTextFrom("signed", typeAndSmime, 13) > 0)
            kind = skSmimeSignedData;
        else if (PosText("enveloped", typeAndSmime) > 0)
            kind = skSmimeEnveloped;
        else if (smimeType.empty() && PosText("pkcs7-mime", mediaType) > 0)
            kind = skSmimeEnveloped; // older clients send enveloped data without smime-type
    } else if (StartsWithText("application/pgp-", protocol)) {
        if (PosText("encrypted", typeAndProtocol) > 0)
            kind = skPgpMimeEncrypted;
        else if (PosText("signature", typeAndProtocol) > 0)
            kind = skPgpMimeSigned;
        else if (PosText("keys", typeAndProtocol) > 0)
            kind = skPgpMimeKeys;
    }
    if (WantBoundary && kind != skNone) {
        THeaderData typed = Section;
        typed.ContentType = contentType;
        Boundary = GetBoundary(typed);
    }
    return kind;
}

THeaderData FindMimeSecurePart(const THeaderData& Section)
{
    THeaderData message = Section;
    if (message.Start > 0 && message.Length <= 0)
        FindHeaderEnd(message, hmContentType);
    else if (message.ContentType.empty())
        ReadSectionHeaders(message, hmContentType, true);

    std::string inner;
    std::string outer;
    THeaderData found = message;
    uint32_t kind = ClassifySecurePart(message, true, inner);
    if (kind == skNone) {
        const TFirstPart first = FirstPartWithin(message, hmContentType, 1, 0);
        found = first.Part;
        outer = GetBoundary(first.Enclosing);
        kind = found.Start > 0 ? ClassifySecurePart(found, true, inner) : skNone;
    }
    found.Kind = kind;
    const std::string& text = found.Str();
    if (kind >= FirstMimeKind && found.Start >= 1) {
        const int32_t last = EffectiveLimit(text.size(), found.Limit);
        const int64_t searchFrom = static_cast<int64_t>(found.Start) + std::max(found.Length, 0);
        int32_t end = 0;
        if (!inner.empty()) {
            const TTextRange range = ClampRange(text.size(), searchFrom, 0, found.Limit);
            TDelimiter closing;
            int32_t from = range.First;
            while (!range.IsEmpty() && from <= range.Last) {
                closing = FindDelimiterLine(text, inner, from, range.Last);
                if (closing.Position == 0 || closing.Closing)
                    break;
                from = closing.Position + 1;
            }
            if (closing.Position > 0 && closing.Closing) {
                const int32_t afterMarker = closing.Position + static_cast<int32_t>(inner.size()) + 4;
                end = afterMarker + LineBreakAt(text, afterMarker, last);
            }
        } else if (!outer.empty()) {
            const TTextRange range = ClampRange(text.size(), searchFrom, 0, found.Limit);
            const TDelimiter next = range.IsEmpty() ? TDelimiter{}
                                                    : FindDelimiterLine(text, outer, range.First, range.Last);
            end = next.Position > 0 ? next.Position : last + 1;
        } else {
            end = last + 1;
        }
        if (end > found.Start) {
            found.Length = end - found.Start;
        } else {
            found.Start = 0;
            found.Length = 0;
        }
    } else {
        found.Start = 0;
        found.Length = 0;
    }
    if (found.Start == 0 || found.Length == 0) {
        found.Text.reset();
        found.Limit = 0;
    }
    return found;
}

THeaderData FindArmoredBlock(const THeaderData& Section)
{
    THeaderData found = Section;
    found.Kind = skNone;
    const std::string& text = Section.Str();
    const TTextRange range = ClampRange(text.size(), std::max(Section.Start, 1), 0, Section.Limit);
    const int32_t last = range.Last;
    const int32_t begin = range.IsEmpty() ? 0 : PosStrBetween("-----BEGIN ", text, range.First, last);
    found.Start = 0;
    found.Length = 0;
    if (begin == 0)
        return found;
    const char prefix = begin == 1 ? '\n' : text[begin - 2];
    uint32_t kind = skNone;
    int32_t endMarker = 0;
    if (StrMatchesAt("PGP", text, begin + 11)) {
        int32_t lineEnd = begin;
        while (lineEnd <= last && static_cast<unsigned char>(text[lineEnd - 1]) >= 32)
            ++lineEnd;
        std::string line = text.substr(begin - 1, lineEnd - begin);
        if (!line.empty() && line.back() == '=') {
            line.pop_back();
            int32_t next = lineEnd + LineBreakAt(text, lineEnd, last);
            int32_t nextEnd = next;
            while (nextEnd <= last && static_cast<unsigned char>(text[nextEnd - 1]) >= 32)
                ++nextEnd;
            if (next <= last)
                line += text.substr(next - 1, nextEnd - next);
            lineEnd = nextEnd;
        }
        const std::string tail = line.size() >= 15 ? line.substr(14) : std::string();
        if (StartsWithStr(" MESSAGE-----", tail))
            kind = skPgpMessage;
        else if (StartsWithStr(" SIGNED MESSAGE-----", tail))
            kind = skPgpSignedMessage;
        else if (StartsWithStr(" PUBLIC KEY BLOCK-----", tail))
            kind = skPgpPublicKeyBlock;
        if (kind != skNone) {
            const int32_t hit = PosStrBetween(std::string(1, prefix) + "-----END PGP", text, lineEnd, last);
            endMarker = hit > 0 ? hit + 1 : 0;
            if (endMarker == 0)
                kind = skNone;
        }
    } else if (StrMatchesAt("CERTIFICATE-----", text, begin + 11)) {
        // From the BEGIN line on: an END line before it must not close the block.
        const int32_t hit = PosStrBetween(std::string(1, prefix) + "-----END CERTIFICATE-----", text, begin + 27, last);
        if (hit > begin) {
            kind = skCertificate;
            endMarker = hit + 1;
        }
    }
    if (kind == skNone)
        return found;

    int32_t start = begin;
    while (start > range.First && text[start - 2] != '\n' && text[start - 2] != '\r')
        --start;
    int32_t end = LineEndFrom(text, endMarker, last);
    if (end - 1 >= endMarker && text[end - 2] == '=') {
        while (end <= last && static_cast<unsigned char>(text[end - 1]) < 32)
            ++end;
        end = LineEndFrom(text, end, last);
    }
    end += LineBreakAt(text, end, last);
    found.Kind = kind;
    found.Start = start;
    found.Length = end - start;
    if (found.Length <= 0) {
        found.Kind = skNone;
        found.Start = 0;
        found.Length = 0;
    }
    return found;
}

uint32_t FindSecureSection(const TSharedText& Text, THeaderData& Found)
{
    Found = THeaderData{};
    if (!Text || Text->empty())
        return skNone;
    Found = FindMimeSecurePart(WholeTextSection(Text));
    if (Found.Kind >= FirstMimeKind)
        return Found.Kind;
    // The MIME search leaves its descriptor cleared: armour is looked for over the whole text.
    Found = FindArmoredBlock(WholeTextSection(Text));
    return Found.Kind;
}

void SplitSecureMessage(const std::string& Text, TMessageData& Data, std::string& Block, bool LocateOnly)
{
    Data = TMessageData{};
    Block.clear();
    const TSharedText shared = BorrowSharedText(Text);
    THeaderData found;
    Data.Kind = FindSecureSection(shared, found);
    if (Data.Kind == skNone)
        return;
    const int32_t last = static_cast<int32_t>(std::min<std::size_t>(Text.size(), INT32_MAX));
    const bool located = found.Start > 0 && found.Length > 0;
    if (located) {
        const TTextRange block = ClampRange(Text.size(), found.Start, found.Length, 0);
        // A key block in HTML is converted below: only it is always copied.
        const bool keys = Data.Kind == skPgpPublicKeyBlock || Data.Kind == skCertificate;
        if (LocateOnly && !(keys && Text[block.First - 1] == '<')) {
            Data.BlockStart = static_cast<std::size_t>(block.First - 1);
            Data.BlockLength = static_cast<std::size_t>(block.Last - block.First + 1);
        } else {
            Block = Text.substr(block.First - 1, block.Last - block.First + 1);
        }
        if (block.Last < last)
            Data.TextAfter = Text.substr(block.Last);
    }
    if (Data.Kind < FirstMimeKind) {
        std::string before = located ? TrimBlanksRight(Text.substr(0, found.Start - 1)) : std::string();
        if (!before.empty())
            Data.TextBefore = before + "\r\n\r\n";
        Data.HasOtherText = !IsBlankText(Data.TextAfter) || !IsBlankText(before);
    } else {
        THeaderData header = WholeTextSection(shared);
        FindHeaderEnd(header, 0);
        if (header.Start > 0 && header.Length > 0)
            Data.TextBefore = Text.substr(0, header.Length) + "\r\n\r\n";
        Data.HasOtherText = !IsBlankText(Data.TextAfter);
    }
    if ((Data.Kind == skPgpPublicKeyBlock || Data.Kind == skCertificate) && !Block.empty() && Block[0] == '<') {
        const std::string html = AddBreaksAfterParagraphs(MailServices().CleanHtml(Block));
        const std::string plain = TrimBlanks(FormattedTextToPlain(html, 0, 0));
        // Without a working converter the block stays as it came rather than being lost.
        if (!plain.empty())
            Block = plain;
    }
}

bool IsSecureKind(uint32_t Kind, bool KeysAndCertificates)
{
    if (KeysAndCertificates)
        return Kind == 3 || Kind == 4 || Kind == 8 || Kind == 9 || Kind == 10;
    return Kind == 1 || Kind == 2 || Kind == 5 || Kind == 6 || Kind == 8 || Kind == 9 || Kind == 10;
}

std::string ExtractClearSignedText(const std::string& Text)
{
    const int32_t last = static_cast<int32_t>(std::min<std::size_t>(Text.size(), INT32_MAX));
    int32_t p = 1;
    while (p <= last && static_cast<unsigned char>(Text[p - 1]) < '!')
        ++p;
    const std::string marker = "-----BEGIN PGP SIGNED MESSAGE-----";
    if (!StrMatchesAt(marker, Text, p))
        return {};
    // The marker and exactly its own line break, whatever the line-end style.
    p += static_cast<int32_t>(marker.size());
    p = LineEndFrom(Text, p, last);
    p += LineBreakAt(Text, p, last);
    // Armour header lines up to and including the first blank line.
    for (;;) {
        if (p > last)
            return {};
        const int32_t lineEnd = LineEndFrom(Text, p, last);
        bool blank = true;
        for (int32_t i = p; i < lineEnd; ++i)
            blank = blank && static_cast<unsigned char>(Text[i - 1]) < '!';
        p = lineEnd + LineBreakAt(Text, lineEnd, last);
        if (blank)
            break;
    }
    const int32_t signature = PosStrFrom("\n-----BEGIN PGP SIGNATURE-----", Text, std::max(p - 1, 1));
    if (signature == 0 || signature < p - 1)
        return {};
    std::string result;
    bool lineStart = true;
    for (int32_t i = p; i <= signature; ++i) {
        const char c = Text[i - 1];
        if (lineStart && c == '-' && i + 1 <= signature && Text[i] == ' ') {
            ++i;
            lineStart = false;
            continue;
        }
        result += c;
        lineStart = c == '\n';
    }
    return result;
}

std::string AddBreaksAfterParagraphs(const std::string& Html)
{
    std::string result;
    result.reserve(Html.size());
    int32_t from = 1;
    for (;;) {
        const int32_t hit = PosTextFrom("<p>", Html, from);
        if (hit == 0)
            break;
        result.append(Html, from - 1, hit + 3 - from);
        result += "<br>";
        from = hit + 3;
    }
    if (from - 1 < static_cast<int32_t>(Html.size()))
        result.append(Html, from - 1, std::string::npos);
    return result;
}

std::string FormattedTextToPlain(const std::string& Text, uint32_t Flags, int Width)
{
    if (Text.empty())
        return {};
    const std::string rtf = StartsWithText("{\\rtf", Text) ? Text : MailServices().HtmlToRtf(Text, Width);
    if (Flags & 0x04)
        return rtf;
    return MailServices().RtfToText(rtf, (Flags & 0x02) != 0);
}

namespace {

// One key block or certificate with its wrapped Base64 lines re-joined to lines of 64 characters
// or more; the checksum line of a key block stays alone. A quoted block is left as it is: its
// prefixes would otherwise end up inside the joined lines.
std::string RejoinBlock(const std::string& Block, uint32_t Kind)
{
    if (!StartsWithStr("-----BEGIN ", Block))
        return Block;
    // Each line with its own line break, so lines that are not rewritten stay byte for byte.
    struct TLine {
        std::string Text;
        std::string Break;
    };
    std::vector<TLine> lines;
    const int32_t last = static_cast<int32_t>(Block.size());
    for (int32_t p = 1; p <= last;) {
        const int32_t end = LineEndFrom(Block, p, last);
        const int32_t breakLength = LineBreakAt(Block, end, last);
        lines.push_back({Block.substr(p - 1, end - p), Block.substr(end - 1, breakLength)});
        p = end + breakLength;
    }
    std::size_t endLine = lines.size();
    while (endLine > 0 && !StartsWithStr("-----END ", lines[endLine - 1].Text))
        --endLine;
    if (endLine < 2)
        return Block;
    --endLine;
    std::size_t bodyFirst = 1;
    if (Kind == skPgpPublicKeyBlock) {
        std::size_t blank = 1;
        while (blank < endLine && !TrimBlanks(lines[blank].Text).empty())
            ++blank;
        if (blank < endLine)
            bodyFirst = blank + 1;
    }
    // Only a clean Base64 body in one line-break style is re-joined; anything else is no
    // wrapped armour and stays as it is.
    if (bodyFirst >= endLine)
        return Block;
    const std::string lineBreak = lines[bodyFirst].Break;
    std::vector<std::string> body;
    for (std::size_t i = bodyFirst; i < endLine; ++i) {
        const std::string line = TrimBlanks(lines[i].Text);
        const bool base64 = std::all_of(line.begin(), line.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
                   c == '/' || c == '=';
        });
        if (!base64 || lines[i].Break != lineBreak)
            return Block;
        if (!line.empty())
            body.push_back(line);
    }
    if (body.empty() || lineBreak.empty())
        return Block;

    std::string out;
    for (std::size_t i = 0; i < bodyFirst; ++i)
        out += lines[i].Text + lines[i].Break;
    std::string current;
    for (std::size_t i = 0; i + 1 < body.size(); ++i) {
        current += body[i];
        if (current.size() >= 64) {
            out += current + lineBreak;
            current.clear();
        }
    }
    const std::string& lastLine = body.back();
    if (Kind == skCertificate && current.size() < 64) {
        current += lastLine;
        out += current + lineBreak;
    } else {
        if (!current.empty())
            out += current + lineBreak;
        out += lastLine + lineBreak;
    }
    for (std::size_t i = endLine; i < lines.size(); ++i)
        out += lines[i].Text + lines[i].Break;
    return out;
}

} // namespace

std::string RejoinArmorLines(std::string Text)
{
    const TSharedText shared = BorrowSharedText(Text);
    std::string result;
    int32_t from = 1;
    for (;;) {
        THeaderData section = WholeTextSection(shared);
        section.Start = from;
        if (from > section.Limit)
            break;
        const THeaderData block = FindArmoredBlock(section);
        if (block.Kind != skPgpPublicKeyBlock && block.Kind != skCertificate)
            break;
        result.append(Text, from - 1, block.Start - from);
        result += RejoinBlock(Text.substr(block.Start - 1, block.Length), block.Kind);
        from = block.Start + block.Length;
    }
    if (from == 1)
        return Text;
    if (from - 1 < static_cast<int32_t>(Text.size()))
        result.append(Text, from - 1, std::string::npos);
    return result;
}
