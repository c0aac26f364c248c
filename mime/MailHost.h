// MailHost: the mail client's own header lines ("X-PM-Encryptor:", "X-PMFLAGS:",
// "X-PM-PLACEHOLDER:"), the tagging of a message file whose protected section was found, the
// body charset declaration and the small recipient and extension helpers of the encrypt road.
#pragma once
#include "mime/MailUtils.h"
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

constexpr uint32_t pmfAlways = 0x2000000;
constexpr uint32_t pmfMultipart = 0x20000000;
constexpr uint32_t pmfTagged = 0x00080000;
constexpr uint32_t pmfPriority = 0x00400000;
constexpr uint32_t pmfConfirmReading = 0x00002000;
constexpr uint32_t pmfSaved = 0x00000080;
constexpr uint32_t pmfNew = 0x00000004;

// "X-PM-Encryptor: DIRAZA-ZE32, " + Number + CR LF.
std::string EncryptorMarkerLine(uint32_t Number);
// "X-PMFLAGS: " + Flags + " 0 0 " + the name part of FileName.
std::string PMFlagsLine(uint32_t Flags, const std::string& FileName);

struct TTagResult {
    bool Changed = false;       // the text differs from the input
    bool ReturnText = false;    // the text is for the caller; the file stays as it is
    bool EncryptedMime = false; // kinds 5, 8 and 10
    std::string Text;           // the whole re-tagged message
    std::string Subject;        // decoded, when the text is returned
};

// The tagging of a whole message text; a protected section anywhere in it counts, so a marker is
// never taken from a message whose END line lies beyond the first kilobytes. Tagging twice
// changes nothing the second time.
TTagResult TagMessageText(const std::string& Text, const std::string& FileName, bool KeepSigned, bool WantText);

// Writes a whole file safely: a temporary file in the same folder, flushed, then moved over the
// original; false (and the original untouched) on any failure.
bool CommitFileSafely(const std::string& Path, const std::string& Bytes);
// The same for a file made of pieces, written one after the other: a long text is not joined in
// memory first.
bool CommitFileSafely(const std::string& Path, std::initializer_list<std::string_view> Pieces);

// Tags a message file in place or, for the kinds that ask for it with WantText, returns its
// re-tagged text. The file is patched where it lies (the mail client may hold it open, and it
// keeps its identity and attributes); only its header within the first BodyLineCount lines' worth
// of bytes is looked at. False when the file could not be read or written: it then holds what it
// held before, and the outputs are empty.
bool TagMessageFile(const std::string& FileName, int BodyLineCount, bool KeepSigned, std::string& MessageText,
                    bool& EncryptedMime, std::string& Subject, bool WantText);

// The body's header with its real charset and 8BIT declared; empty when nothing changed.
// Only missing fields are added, so a multipart Content-Type is never shadowed by a second one.
std::string EnsureBodyMimeHeaders(const THeaderData& Section, bool AddMime);
// The message with the charset of its body (or of its first leaf part) declared; empty when
// nothing changed.
std::string DeclareBodyCharset(const std::string& MessageText);

// The header text with a new host flags line replacing "X-PMFLAGS:", covering "X-PM-PLACEHOLDER:"
// or added as the last header line.
std::string WritePMFlagsHeader(const std::string& MessageText, bool Multipart, bool Flag04, bool Flag80000,
                               bool Flag80, const std::string& FileName);

// Folds a parameter list so each parameter from Name on starts a line; ';' inside quotes is no
// boundary. With Strip, "x-encryption" parameters are removed first (for "filename").
void FoldHeaderParameters(const std::string& Name, std::string& Value, bool Strip);

std::string GetAttachmentExtension(const std::string& FileName, const std::string& PartHeader,
                                   const std::string& HostTempExtension);

struct TRecipientCounts {
    int To = 0;
    int Cc = 0;
    int Bcc = 0;
};
// TAB-separated addresses (or names) of the three lists; returns their total.
int CollectRecipients(const std::string& To, const std::string& Cc, const std::string& Bcc, TRecipientCounts& Counts,
                      std::string& List);
// ", "-separated addresses of Bcc, else of To and Cc; returns their count.
int GetRecipientAddresses(const std::string& HeaderText, const std::string& Fallback, std::string& List);

// ---- Rebuild for the encrypt road -----------------------------------------------------------------

// The header block (without its blank line) with its Content-* fields moved to the end in the
// fixed order (a multipart keeps only its Content-Type); Replacement takes the Content-Type's
// place. With Delete the Content-* fields are dropped. Attachment names are then encoded.
std::string MoveContentHeaders(const std::string& Header, bool Delete, const std::string& Replacement,
                               const std::string& Charset);
// The header block with non-ASCII "name" and "filename" values as quoted RFC 2047 Q words in
// Charset (the ANSI charset when none is given), each parameter on a folded line.
std::string EncodeAttachmentNames(const std::string& Header, const std::string& Charset);
// A text part (header block, blank line, body) made quoted-printable when it is neither base64
// nor quoted-printable yet; the Content-Transfer-Encoding field is replaced or added.
std::string MakeTextPartQuotedPrintable(const std::string& Part);
// The whole message without encryptor marker, with encoded attachment names and, with
// QuotedPrintable, 8-bit text parts made quoted-printable, through every multipart and embedded
// message (at most MaxMimeDepth levels).
std::string PrepareMessageParts(const std::string& MessageText, const std::string& Charset, bool QuotedPrintable);
// The prepared message whose header carries the encryptor marker in place of its Content-Type,
// in its pieces: the marked header block (without its blank line), the line breaks after it and
// the body. The body is a view into MessageText where preparing leaves it as it stands (a single
// part that no transport would change), else into Prepared: a long body is not copied.
struct TMarkedMessage {
    TMarkedMessage() = default;
    // Body may point into Prepared: the pieces stay where they were made.
    TMarkedMessage(const TMarkedMessage&) = delete;
    TMarkedMessage& operator=(const TMarkedMessage&) = delete;

    std::string Header;
    std::string Separator;
    std::string_view Body;
    std::string Prepared;
};
void MarkForEncryptor(
    const std::string& MessageText, const std::string& Charset, uint32_t Flags, TMarkedMessage& Marked);
// The same joined; HeaderLength receives the new header block's length.
std::string AddEncryptorHeader(const std::string& MessageText, const std::string& Charset, uint32_t Flags,
                               int32_t& HeaderLength);

struct TPartName {
    std::string Caption;    // file name shown for the node
    std::string Charset;    // charset for encoding the name
    std::string ContentRef; // Content-ID without brackets, or empty
    std::string TypeName;   // file-type name for the description line
};
std::string BuildPgpSignaturePart(const std::string& Boundary, const TPartName& Name, uint32_t NodeKind);
std::string BuildPgpEncryptedPart(const TPartName& Name, bool PgpExtension, const std::string& TransferEncoding,
                                  uint32_t Flags);
