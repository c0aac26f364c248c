// MailHost: the host's header lines, message-file tagging, body charset declaration, parameter
// folding and recipient helpers. A message file is read whole and patched in place.
#include "mime/MailHost.h"
#include "mime/FileInPlace.h"
#include "mime/MailServices.h"
#include "mime/MailText.h"
#include "foundation/StrTools.h"
#include "foundation/StrUtil.h"
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

THeaderData ReadHeader(const std::string& Text, uint32_t Mask)
{
    THeaderData section = WholeTextSection(MakeSharedText(Text));
    FindHeaderEnd(section, Mask);
    return section;
}

// The line-break style of a header, from its first line.
std::string LineBreakOf(const std::string& Text, int32_t Start)
{
    const std::size_t lf = Text.find('\n', Start > 0 ? Start - 1 : 0);
    return lf != std::string::npos && lf > 0 && Text[lf - 1] == '\r' ? "\r\n" : "\n";
}

std::size_t LineBreakLengthAt(const std::string& Text, std::size_t Index)
{
    if (Index < Text.size() && Text[Index] == '\r')
        return Index + 1 < Text.size() && Text[Index + 1] == '\n' ? 2 : 1;
    return Index < Text.size() && Text[Index] == '\n' ? 1 : 0;
}

// Removes a field found by GetHeaderValue with the line break in front of it, so the line break
// behind it, which may begin the header's blank line, stays as it was; a field on the first line
// goes with the line break behind it.
void RemoveField(std::string& Text, const THeaderData& Field)
{
    std::size_t start = Field.Start - 1;
    const std::size_t end = start + Field.Length;
    if (start == 0) {
        Text.erase(0, end + LineBreakLengthAt(Text, end));
        return;
    }
    if (Text[start - 1] == '\n')
        --start;
    if (start > 0 && Text[start - 1] == '\r')
        --start;
    Text.erase(start, end - start);
}

// Puts Line in the place of a field: a longer line replaces it, a shorter one is padded with
// blanks to the field's length, so the host's own file offsets after it stay valid.
void OverwriteField(std::string& Text, const THeaderData& Field, std::string Line)
{
    if (Line.size() < static_cast<std::size_t>(Field.Length))
        Line.append(Field.Length - Line.size(), ' ');
    Text.replace(Field.Start - 1, Field.Length, Line);
}

std::string NamePart(const std::string& Path)
{
    const std::size_t slash = Path.find_last_of("\\/");
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

bool ValueStartsWith(const std::string& Prefix, const THeaderData& Section, const char* Name)
{
    const THeaderData value = GetHeaderValue(Name, Section, true);
    return value.Start > 0 && StartsWithText(Prefix, TrimBlanks(value.Str()));
}

// A field of the header, also one whose value is empty (the host's placeholder is all blanks):
// Start is the name's position, Length the field up to its line end.
THeaderData FindField(const THeaderData& Header, const char* Name)
{
    THeaderData field = GetHeaderValue(Name, Header, false);
    if (field.Start > 0)
        return field;
    const std::string& text = Header.Str();
    const std::string name = std::string(Name);
    const int32_t last = Header.Start + Header.Length - 1;
    for (int32_t from = std::max(Header.Start, 1); from <= last;) {
        const int32_t hit = PosTextBetween(name, text, from, last);
        if (hit == 0)
            break;
        from = hit + 1;
        if (!IsLineStartAt(text, hit))
            continue;
        int32_t end = hit;
        while (end <= last && text[end - 1] != '\r' && text[end - 1] != '\n')
            ++end;
        field.Start = hit;
        field.Length = end - hit;
        return field;
    }
    return field;
}

uint32_t MarkerNumberOf(uint32_t Kind)
{
    switch (Kind) {
    case skPgpMessage:
    case skPgpMimeEncrypted:
    case skSmimeEnveloped:
        return 1;
    case skPgpSignedMessage:
    case skPgpMimeSigned:
    case skSmimeMultipartSigned:
    case skSmimeSignedData:
        return 4;
    default:
        return 0;
    }
}

bool IsSignedMimeKind(uint32_t Kind)
{
    return Kind == skPgpMimeSigned || Kind == skSmimeMultipartSigned || Kind == skSmimeSignedData;
}

uint32_t LeadingNumber(const std::string& Text)
{
    const std::string value = TrimBlanksLeft(Text);
    uint64_t number = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            break;
        number = std::min<uint64_t>(number * 10 + (c - '0'), UINT32_MAX);
    }
    return static_cast<uint32_t>(number);
}

// Replaces the first Old after the last "charset" of a field by New (Old must not run on into
// more digits, so "ISO-8859-15" stays).
bool ReplaceCharsetValue(std::string& Field, const std::string& Old, const std::string& New)
{
    const int32_t charset = LastPosText("charset", Field);
    if (charset == 0)
        return false;
    const int32_t at = PosTextFrom(Old, Field, charset);
    if (at == 0)
        return false;
    const std::size_t after = at - 1 + Old.size();
    if (after < Field.size() && Field[after] >= '0' && Field[after] <= '9')
        return false;
    Field.replace(at - 1, Old.size(), New);
    return true;
}

// The first protected section of a message: a MIME one, else an armoured block in its body. A
// header value that begins "-----BEGIN" is no block; taking it for one made the tagging add a
// second marker on the next run.
uint32_t FindMessageSecureSection(const std::string& Text, const THeaderData& Header)
{
    const TSharedText shared = BorrowSharedText(Text);
    const THeaderData mime = FindMimeSecurePart(WholeTextSection(shared));
    if (mime.Kind >= FirstMimeKind)
        return mime.Kind;
    THeaderData body = WholeTextSection(shared);
    body.Start = SectionBodyStart(Header);
    return body.Start <= body.Limit ? FindArmoredBlock(body).Kind : skNone;
}

// The part of a file the host scans for its header lines: BodyLineCount lines of 80 bytes (at
// least 8000 bytes), rounded up to the next multiple of 16 KiB above, at most the file.
std::size_t HeadLength(int BodyLineCount, std::size_t FileSize)
{
    constexpr std::size_t block = 16384;
    const std::size_t wanted = BodyLineCount < 100 ? 8000 : static_cast<std::size_t>(BodyLineCount) * 80;
    return std::min((wanted / block + 1) * block, FileSize);
}

bool HeaderEndsWithin(const std::string& Text, std::size_t Head)
{
    const THeaderData header = ReadHeader(Text, 0);
    return header.Start == 1 && header.Length > 0 && static_cast<std::size_t>(header.Length) <= Head;
}

} // namespace

std::string EncryptorMarkerLine(uint32_t Number)
{
    return "X-PM-Encryptor: DIRAZA-ZE32, " + std::to_string(Number) + "\r\n";
}

std::string PMFlagsLine(uint32_t Flags, const std::string& FileName)
{
    return "X-PMFLAGS: " + std::to_string(Flags) + " 0 0 " + NamePart(FileName);
}

TTagResult TagMessageText(const std::string& Text, const std::string& FileName, bool KeepSigned, bool WantText)
{
    TTagResult result;
    result.Text = Text;
    // A text that begins with an empty line has no header to tag.
    if (Text.empty() || Text[0] == '\r' || Text[0] == '\n')
        return result;
    const THeaderData header = ReadHeader(Text, hmContentType);
    if (header.Start != 1 || header.Length <= 0)
        return result;
    const uint32_t kind = FindMessageSecureSection(Text, header);
    const THeaderData marker = FindField(header, "X-PM-Encryptor:");
    const uint32_t number = MarkerNumberOf(kind);
    if (number == 0) {
        if (marker.Start > 0) {
            RemoveField(result.Text, marker);
            result.Changed = true;
        }
        return result;
    }
    result.EncryptedMime = kind == skPgpMimeEncrypted || kind == skSmimeEnveloped || kind == skSmimeSignedData;
    result.ReturnText = WantText && (kind == skPgpMimeEncrypted || kind == skSmimeEnveloped ||
                                     (KeepSigned && IsSignedMimeKind(kind)));
    if (result.ReturnText)
        result.Subject = DecodeEncodedWords(GetHeaderValue("Subject:", header, false).Str());

    const std::string lineBreak = LineBreakOf(Text, 1);
    std::string markerLine = EncryptorMarkerLine(number);
    if (lineBreak == "\n")
        markerLine.erase(markerLine.size() - 2, 1);
    // Only a missing marker is added: tagging the same file again must change nothing.
    const std::string newMarker = marker.Start > 0 ? std::string() : markerLine;
    std::string head = Text.substr(0, header.Length);
    const std::string rest = Text.substr(header.Length);
    const THeaderData flags = FindField(header, "X-PMFLAGS:");
    if (flags.Start > 0) {
        if (result.ReturnText) {
            const uint32_t value = (LeadingNumber(flags.Str()) & ~pmfNew) | pmfTagged;
            OverwriteField(head, flags, PMFlagsLine(value, FileName));
        }
        head.insert(flags.Start - 1, newMarker);
    } else {
        uint32_t value = pmfAlways | pmfNew;
        if (StartsWithText("multipart/", TrimBlanksLeft(header.ContentType)))
            value |= pmfMultipart;
        if (ValueStartsWith("1", header, "X-Priority:") || ValueStartsWith("high", header, "Importance:") ||
            ValueStartsWith("urgent", header, "Priority:"))
            value |= pmfPriority;
        if (GetHeaderValue("X-Confirm-reading-to:", header, false).Start > 0)
            value |= pmfConfirmReading;
        if (kind == skPgpMessage || kind == skPgpSignedMessage || (IsSignedMimeKind(kind) && !KeepSigned) ||
            result.ReturnText)
            value |= pmfTagged;
        const std::string line = PMFlagsLine(value, FileName);
        const THeaderData placeholder = FindField(header, "X-PM-PLACEHOLDER:");
        if (placeholder.Start > 0) {
            std::string covered = line;
            if (covered.size() < static_cast<std::size_t>(placeholder.Length))
                covered.append(placeholder.Length - covered.size(), ' ');
            head.replace(placeholder.Start - 1, placeholder.Length, newMarker + covered);
        } else {
            head += lineBreak + newMarker + line;
        }
    }
    std::string tagged = head + rest;
    if (kind == skPgpMessage || kind == skPgpSignedMessage) {
        const std::string declared = DeclareBodyCharset(tagged);
        if (!declared.empty())
            tagged = declared;
    }
    if (result.ReturnText) {
        const THeaderData taggedHeader = ReadHeader(tagged, 0);
        const THeaderData taggedMarker = FindField(taggedHeader, "X-PM-Encryptor:");
        if (taggedMarker.Start > 0)
            RemoveField(tagged, taggedMarker);
    }
    result.Changed = tagged != Text;
    result.Text = std::move(tagged);
    return result;
}

namespace {

// A temporary file that is given up may hold a decrypted message: its bytes are overwritten
// before it goes, so no plaintext is left in the folder's free blocks under a name nobody sees.
void DiscardTemporaryFile(const std::filesystem::path& Temporary)
{
    std::error_code ignored;
    const std::uintmax_t size = std::filesystem::file_size(Temporary, ignored);
    if (!ignored && size > 0) {
        std::fstream out(Temporary, std::ios::binary | std::ios::in | std::ios::out);
        const std::string zeros(static_cast<std::size_t>(std::min<std::uintmax_t>(size, 65536)), '\0');
        for (std::uintmax_t left = size; out && left > 0;) {
            const std::size_t step = static_cast<std::size_t>(std::min<std::uintmax_t>(left, zeros.size()));
            out.write(zeros.data(), static_cast<std::streamsize>(step));
            left -= step;
        }
        out.flush();
    }
    std::filesystem::remove(Temporary, ignored);
}

} // namespace

bool CommitFileSafely(const std::string& Path, const std::string& Bytes)
{
    return CommitFileSafely(Path, { std::string_view(Bytes) });
}

bool CommitFileSafely(const std::string& Path, std::initializer_list<std::string_view> Pieces)
{
    namespace fs = std::filesystem;
    const fs::path target(Path);
    fs::path temporary = target;
    temporary += ".zvk-tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        for (const std::string_view piece : Pieces)
            out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        out.flush();
        if (!out) {
            out.close();
            DiscardTemporaryFile(temporary);
            return false;
        }
    }
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error) {
        DiscardTemporaryFile(temporary);
        return false;
    }
    return true;
}

bool TagMessageFile(const std::string& FileName, int BodyLineCount, bool KeepSigned, std::string& MessageText,
                    bool& EncryptedMime, std::string& Subject, bool WantText)
{
    MessageText.clear();
    Subject.clear();
    EncryptedMime = false;
    try {
        RepairInterruptedRewrite(FileName);
        std::ifstream in(std::filesystem::path(FileName), std::ios::binary);
        if (!in)
            return false;
        // The whole file is read: a protected section whose END line lies beyond the host's
        // scan head still counts, and the new content is built completely before any write.
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad())
            return false;
        in.close();
        if (text.empty() || !HeaderEndsWithin(text, HeadLength(BodyLineCount, text.size())))
            return true;
        TTagResult result = TagMessageText(text, FileName, KeepSigned, WantText);
        if (result.ReturnText) {
            MessageText = std::move(result.Text);
            Subject = std::move(result.Subject);
            EncryptedMime = result.EncryptedMime;
            return true;
        }
        if (result.Changed && !RewriteFileInPlace(FileName, text, result.Text))
            return false;
        EncryptedMime = result.EncryptedMime;
        return true;
    } catch (...) {
        MessageText.clear();
        Subject.clear();
        EncryptedMime = false;
        return false;
    }
}

std::string EnsureBodyMimeHeaders(const THeaderData& Section, bool AddMime)
{
    const std::string original = Section.Str();
    if (Section.Start < 1 || Section.Length <= 0 || Section.Start > static_cast<int32_t>(original.size()))
        return {};
    // A header block that begins with an empty line is none: fields put in front of it would
    // become a header of their own and push the real one into the body.
    const char first = original[Section.Start - 1];
    if (first == '\r' || first == '\n')
        return {};
    std::string text = original;
    const std::string lineBreak = LineBreakOf(text, Section.Start);
    auto reread = [&]() {
        THeaderData section = Section;
        section.Text = MakeSharedText(text);
        section.Length = 0;
        // The limit moves with what was inserted before it.
        if (section.Limit > 0)
            section.Limit += static_cast<int32_t>(text.size() - original.size());
        FindHeaderEnd(section, hmAll);
        return section;
    };
    THeaderData header = reread();
    if (header.Start < 1)
        return {};
    if (AddMime && GetHeaderValue("Mime-Version:", header, false).Start == 0) {
        // Only what is missing: a header that declares its own Content-Type keeps it alone.
        const bool hasType = GetHeaderValue("Content-Type:", header, false).Start > 0;
        const bool hasEncoding = GetHeaderValue("Content-Transfer-Encoding:", header, false).Start > 0;
        const bool hasDescription = GetHeaderValue("Content-Description:", header, false).Start > 0;
        std::string block = "Mime-Version: 1.0" + lineBreak;
        if (!hasType) {
            block += "Content-Type: text/plain; charset=US-ASCII" + lineBreak;
            if (!hasEncoding)
                block += "Content-Transfer-Encoding: 7BIT" + lineBreak;
            if (!hasDescription)
                block += "Content-Description: Mail message body" + lineBreak;
        }
        const THeaderData hostField = GetHeaderValue("X-PM*", header, false);
        text.insert((hostField.Start > 0 ? hostField.Start : header.Start) - 1, block);
        header = reread();
    }
    // A header that no longer reads as one after an edit (malformed input) is left as it came.
    if (header.Start < 1 || header.Length <= 0)
        return {};
    if (StartsWithText("multipart/", TrimBlanksLeft(header.ContentType)))
        return text != original ? text : std::string();
    if (GetHeaderValue("Content-Type:", header, false).Start == 0) {
        text.insert(header.Start - 1 + header.Length, lineBreak + "Content-Type: text/plain; charset=US-ASCII");
        header = reread();
    }
    const THeaderData type = GetHeaderValue("Content-Type:", header, false);
    if (header.Start < 1 || type.Start < 1)
        return {};
    std::string typeField = text.substr(type.Start - 1, type.Length);
    const std::string ansi = MailServices().NormalizeCharsetName("US-ASCII");
    if (ReplaceCharsetValue(typeField, "US-ASCII", ansi) || ReplaceCharsetValue(typeField, "ISO-8859-1", "WINDOWS-1252")) {
        text.replace(type.Start - 1, type.Length, typeField);
        header = reread();
    }
    if (GetHeaderValue("Content-Transfer-Encoding:", header, false).Start == 0) {
        text.insert(header.Start - 1 + header.Length, lineBreak + "Content-Transfer-Encoding: 7BIT");
        header = reread();
    }
    const THeaderData encoding = GetHeaderValue("Content-Transfer-Encoding:", header, false);
    if (header.Start < 1 || encoding.Start < 1)
        return {};
    std::string encodingField = text.substr(encoding.Start - 1, encoding.Length);
    const int32_t sevenBit = PosText("7BIT", encodingField);
    if (sevenBit > 0) {
        encodingField.replace(sevenBit - 1, 4, "8BIT");
        text.replace(encoding.Start - 1, encoding.Length, encodingField);
    }
    return text != original ? text : std::string();
}

std::string DeclareBodyCharset(const std::string& MessageText)
{
    THeaderData message = ReadHeader(MessageText, hmAll);
    const std::string whole = EnsureBodyMimeHeaders(message, true);
    if (!whole.empty())
        return whole;
    const THeaderData leaf = FindFirstPart(message, hmAll, 3);
    if (leaf.Start < 1 || leaf.Length <= 0)
        return {};
    return EnsureBodyMimeHeaders(leaf, false);
}

std::string WritePMFlagsHeader(const std::string& MessageText, bool Multipart, bool Flag04, bool Flag80000,
                               bool Flag80, const std::string& FileName)
{
    const uint32_t number = pmfAlways | (Multipart ? pmfMultipart : 0) | (Flag04 ? pmfNew : 0) |
                            (Flag80000 ? pmfTagged : 0) | (Flag80 ? pmfSaved : 0);
    const std::string line = PMFlagsLine(number, FileName);
    std::string text = MessageText;
    const THeaderData header = ReadHeader(text, 0);
    if (header.Start < 1 || header.Length <= 0)
        return text;
    const THeaderData flags = FindField(header, "X-PMFLAGS:");
    if (flags.Start > 0) {
        OverwriteField(text, flags, line);
        return text;
    }
    const THeaderData placeholder = FindField(header, "X-PM-PLACEHOLDER:");
    if (placeholder.Start > 0) {
        OverwriteField(text, placeholder, line);
        return text;
    }
    text.insert(header.Start - 1 + header.Length, LineBreakOf(text, 1) + line);
    return text;
}

void FoldHeaderParameters(const std::string& Name, std::string& Value, bool Strip)
{
    if (Strip && TrimBlanks(Name).size() == 8 && StartsWithText("filename", TrimBlanks(Name))) {
        // Every parameter whose name begins "x-encryption", through its ';'.
        std::string kept;
        bool quoted = false;
        std::size_t parameterStart = 0;
        for (std::size_t i = 0; i <= Value.size(); ++i) {
            const bool end = i == Value.size();
            if (!end && Value[i] == '"' && IsUnescapedAt(Value, static_cast<int>(i) + 1))
                quoted = !quoted;
            if (end || (Value[i] == ';' && !quoted)) {
                const std::string parameter = Value.substr(parameterStart, i + (end ? 0 : 1) - parameterStart);
                if (!StartsWithText("x-encryption", TrimBlanksLeft(parameter)))
                    kept += parameter;
                parameterStart = i + 1;
            }
        }
        Value = kept;
        while (!Value.empty() && (Value.back() == ' ' || Value.back() == '\t' || Value.back() == ';' ||
                                  Value.back() == '\r' || Value.back() == '\n'))
            Value.pop_back();
    }
    const int32_t after = FindParameterName(Value, Name, 1);
    if (after == 0)
        return;
    const int32_t nameStart = after - static_cast<int32_t>(Name.size());
    // Parameter boundaries: right after each ';' outside quoted strings.
    std::vector<std::size_t> boundaries;
    bool quoted = false;
    for (std::size_t i = 0; i < Value.size(); ++i) {
        const char c = Value[i];
        if (c == '\\' && quoted) {
            ++i;
            continue;
        }
        if (c == '"')
            quoted = !quoted;
        else if (c == ';' && !quoted && i + 1 < Value.size()) {
            std::size_t next = i + 1;
            while (next < Value.size() && (Value[next] == ' ' || Value[next] == '\t' || Value[next] == '\r' ||
                                           Value[next] == '\n'))
                ++next;
            if (next + 1 >= static_cast<std::size_t>(nameStart))
                boundaries.push_back(i + 1);
        }
    }
    for (auto it = boundaries.rbegin(); it != boundaries.rend(); ++it) {
        const std::size_t at = *it;
        if (Value[at] == '\r' || Value[at] == '\n')
            continue; // already folded
        Value.insert(at, Value[at] == ' ' || Value[at] == '\t' ? "\r\n" : "\r\n ");
    }
}

std::string GetAttachmentExtension(const std::string& FileName, const std::string& PartHeader,
                                   const std::string& HostTempExtension)
{
    const std::string name = NamePart(FileName);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return {};
    std::string extension = name.substr(dot);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    if (HostTempExtension.empty() || !StartsWithText(HostTempExtension, extension))
        return extension;
    // A host temporary name counts only when the part itself names a file.
    THeaderData header = WholeTextSection(MakeSharedText(PartHeader));
    header.Start = 0;
    const std::string disposition = GetHeaderValue("Content-Disposition:", header, true).Str();
    const std::string type = GetHeaderValue("Content-Type:", header, true).Str();
    if (FindParameterName(disposition, "filename", 1) > 0 || FindParameterName(type, "name", 1) > 0)
        return extension;
    return {};
}

namespace {

// The e-mail address of one address item, or the item's name when it has none.
std::string ItemAddress(const std::string& Item)
{
    bool quoted = false;
    std::size_t open = std::string::npos;
    for (std::size_t i = 0; i < Item.size(); ++i) {
        if (Item[i] == '"' && IsUnescapedAt(Item, static_cast<int>(i) + 1))
            quoted = !quoted;
        else if (Item[i] == '<' && !quoted)
            open = i;
    }
    if (open != std::string::npos) {
        const std::size_t close = Item.find('>', open);
        return TrimBlanks(Item.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1));
    }
    std::string plain = Item;
    StripHeaderComments(plain);
    return UnwrapQuotes(TrimBlanks(plain));
}

std::vector<std::string> AddressItems(const std::string& List)
{
    std::vector<std::string> items;
    int position = 1;
    const int length = static_cast<int>(List.size());
    while (position <= length) {
        const int itemLength = AddressItemLength(List, position);
        const std::string address = ItemAddress(List.substr(position - 1, itemLength));
        if (!address.empty())
            items.push_back(address);
        position += itemLength + 1;
    }
    return items;
}

} // namespace

int CollectRecipients(const std::string& To, const std::string& Cc, const std::string& Bcc, TRecipientCounts& Counts,
                      std::string& List)
{
    List.clear();
    int total = 0;
    int* counts[] = {&Counts.To, &Counts.Cc, &Counts.Bcc};
    const std::string* lists[] = {&To, &Cc, &Bcc};
    for (int i = 0; i < 3; ++i) {
        const std::vector<std::string> items = AddressItems(AnyTextToAnsi(*lists[i]));
        for (const std::string& item : items) {
            if (!List.empty())
                List += '\t';
            List += item;
        }
        *counts[i] += static_cast<int>(items.size());
        total += static_cast<int>(items.size());
    }
    return total;
}

int GetRecipientAddresses(const std::string& HeaderText, const std::string& Fallback, std::string& List)
{
    List.clear();
    THeaderData header = WholeTextSection(MakeSharedText(HeaderText));
    header.Start = 0;
    const THeaderData bcc = GetHeaderValue("Bcc:", header, false);
    std::string value;
    if (bcc.Start > 0)
        value = TrimBlanks(bcc.Str()).empty() ? Fallback : bcc.Str();
    else
        value = GetHeaderValue("To:", header, false).Str() + ", " + GetHeaderValue("Cc:", header, false).Str();
    while (!value.empty() && (value.back() == ' ' || value.back() == ',' || value.back() == '\t'))
        value.pop_back();
    const std::vector<std::string> items = AddressItems(value);
    for (const std::string& item : items) {
        if (!List.empty())
            List += ", ";
        List += item;
    }
    return static_cast<int>(items.size());
}
