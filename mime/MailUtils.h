// MailUtils: the raw-message model. A message stays one 8-bit string; sections of it are addressed
// by descriptors (THeaderData) that hold 1-based positions into that string. Also the encodings a
// message uses (quoted-printable, RFC 2047 words, RFC 2231 parameters, RFC 822 dates).
#pragma once
#include "foundation/TimeUtils.h"
#include "mime/MailRange.h"
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The message text every descriptor of one message points into; shared, never copied per section.
using TSharedText = std::shared_ptr<const std::string>;
TSharedText MakeSharedText(std::string Text);
// A handle on a text the caller keeps alive while the handle is in use: a search over a
// temporary text needs no copy of it.
TSharedText BorrowSharedText(const std::string& Text);

// ---- Sections -----------------------------------------------------------------------------------

// Kinds below FirstMimeKind are armoured blocks; callers rely on that order.
enum TSectionKind : uint32_t {
    skNone = 0,
    skPgpMessage = 1,
    skPgpSignedMessage = 2,
    skPgpPublicKeyBlock = 3,
    skCertificate = 4,
    skPgpMimeEncrypted = 5,
    skPgpMimeSigned = 6,
    skPgpMimeKeys = 7,
    skSmimeEnveloped = 8,
    skSmimeMultipartSigned = 9,
    skSmimeSignedData = 10,
};
constexpr uint32_t FirstMimeKind = skPgpMimeEncrypted;

// Header mask bits: which Content-* values a header read fills.
constexpr uint32_t hmContentType = 0x01;
constexpr uint32_t hmTransferEncoding = 0x02;
constexpr uint32_t hmDisposition = 0x04;
constexpr uint32_t hmDescription = 0x08;
constexpr uint32_t hmLocation = 0x10;
constexpr uint32_t hmContentID = 0x20;
constexpr uint32_t hmAll = 0x3F;

// Nested multiparts deeper than this are not descended into.
constexpr int MaxMimeDepth = 32;

struct THeaderData {
    TSharedText Text;
    int32_t Start = 0;  // section start (a part: its "--" boundary line); 0 = no section
    int32_t Length = 0; // header block length after a header read; section length after a find
    int32_t Limit = 0;  // last position of the enclosing text; 0 = the text's length
    int32_t Level = 0;  // 0 outermost message, 1 a message loaded below existing tree nodes
    uint32_t Kind = skNone;
    std::string ContentType;
    std::string TransferEncoding;
    std::string Disposition;
    std::string Description;
    std::string Location;
    std::string ContentID;

    const std::string& Str() const; // the text, or an empty one
};

struct THeaderDataEx : THeaderData {
    int32_t PartKind = 0;
    std::string Boundary;
    std::string Charset;
};

struct TMessageData {
    uint32_t Kind = skNone;
    bool HasOtherText = false;
    std::string TextBefore;
    std::string TextAfter;
    // Where the block stands in the text, when it was only located there and not copied out.
    std::size_t BlockStart = std::string::npos;
    std::size_t BlockLength = 0;
    bool BlockLocated() const { return BlockStart != std::string::npos; }
};

// A descriptor over a whole text: Start 1, Length 0, Limit = its length.
THeaderData WholeTextSection(TSharedText Text);

// Value.Text: unfolded value; Start: position of the field name (0 = absent); Length: length of
// the whole field in the message; Limit: length of the value. Name carries its colon; a name
// ending in '*' ("X-PM*") matches every field that begins with the rest.
THeaderData GetHeaderValue(const std::string& Name, const THeaderData& Section, bool StripComments);
void StripHeaderComments(std::string& Value);
// Length becomes the header block's length up to the line break that ends its last field; a
// block ends at an empty line or at the first line that is no header field.
void FindHeaderEnd(THeaderData& Section, uint32_t Mask);
// Where the body of a section whose header block was read begins: behind the header's line
// break and its blank line (when it has one).
int32_t SectionBodyStart(const THeaderData& Section);
void ReadSectionHeaders(THeaderData& Section, uint32_t Mask, bool KeepRead);
std::string GetBoundary(const THeaderData& Section);
THeaderData FindNextPart(const THeaderData& Section, const std::string& Boundary, uint32_t Mask);
THeaderData FindFirstPart(const THeaderData& Section, uint32_t Mask, int Mode);

uint32_t ClassifySecurePart(const THeaderData& Section, bool WantBoundary, std::string& Boundary);
THeaderData FindMimeSecurePart(const THeaderData& Section);
THeaderData FindArmoredBlock(const THeaderData& Section);
uint32_t FindSecureSection(const TSharedText& Text, THeaderData& Found);
// With LocateOnly a block that stands as it is in Text is not copied: Block stays empty and
// Data.BlockStart and BlockLength say where it is.
void SplitSecureMessage(
    const std::string& Text, TMessageData& Data, std::string& Block, bool LocateOnly = false);
bool IsSecureKind(uint32_t Kind, bool KeysAndCertificates);
std::string ExtractClearSignedText(const std::string& Text);
std::string RejoinArmorLines(std::string Text);
std::string AddBreaksAfterParagraphs(const std::string& Html);
std::string FormattedTextToPlain(const std::string& Text, uint32_t Flags, int Width);

// ---- Encodings ----------------------------------------------------------------------------------

bool TextHasControlChars(const std::string& Text);
bool TextHasNonAscii(const std::string& Text);
std::string AnyTextToAnsi(const std::string& Text);
std::string Utf8TextToAnsi(const std::string& Text);
std::string AnsiTextToUtf8(const std::string& Text);
std::string Utf8TextToWide(const std::string& Text);
std::string WideTextToUtf8(const std::string& Text);
std::string AnsiTextToWide(const std::string& Text);
// UTF-16 of any text: UTF-16 (last byte 0) stays, UTF-8 is converted, anything else is ANSI.
std::string AnyTextToWide(const std::string& Text);
std::string WideTextToLocaleText(const std::string& Text);
std::string CharsetTextToAnsi(std::string Text, const std::string& Charset);
std::string CharsetTextToUtf8(const std::string& Text, const std::string& Charset);
std::string TextToCharset(const std::string& Text, const std::string& Charset);
struct TRtfFontSpec;
// A decoded text for a mail-client window: for an HTML window (its text begins with '<') as
// cleaned HTML made from the text in Font; otherwise, or when a step gives nothing, as ANSI.
std::string ConvertTextForHost(const std::string& Text, const std::string& HostText, const std::string& Charset,
                               const TRtfFontSpec& Font);

std::string DecodeBase64Body(std::string_view Text);
std::string EncodeBase64Body(const std::string& Bytes);
std::string DecodeQuotedPrintable(std::string_view Text, bool Header);
// Without a charset a quoted-printable body; with one RFC 2047 Q words of at most 75 characters.
std::string EncodeQuotedPrintable(const std::string& Text, const std::string& Charset);
std::string EncodeAddressHeader(const std::string& Text, const std::string& Charset);
std::string DecodeEncodedWords(const std::string& Text);
// With a section, NameOrValue names a header field of it; without, it is the field value itself.
std::string GetHeaderParameter(const std::string& NameOrValue, const std::string& ParamName,
                               const THeaderData* Section, bool Raw);

std::string NormalizeLineBreaks(const std::string& Text);
// Whether NormalizeLineBreaks has anything to mend in Text.
bool HasDoubledCarriageReturns(const std::string& Text);
std::string ConcatTexts(const std::vector<std::string>& Texts, int LastIndex);
std::string ShortenText(const std::string& Text, int Maximum);
int FirstNumberInText(const std::string& Text);
std::string DropBlankText(const std::string& Text);
std::string BlankLineSuffix(const std::string& Text);
void RemoveBackslashEscapes(std::string& Text);
bool IsUnescapedAt(const std::string& Text, int Position);
int AddressItemLength(const std::string& Text, int Start);
std::string FirstAddressEtAl(const std::string& Text);

// ---- Dates --------------------------------------------------------------------------------------

// Both give false, Utc 0 and an empty display text for a text that is no date.
bool ParseRfc822Date(const std::string& Text, TDateTime& Utc, std::string& Display);
bool ParseDateHeader(const std::string& Value, TDateTime& Utc, std::string& Display);
// English date with its zone ("Tue, 8 Dec 2026 20:50:34 +0000"); ZoneMinutes is local - UTC.
std::string FormatRfc822Date(TDateTime Value, int ZoneMinutes = 0);
