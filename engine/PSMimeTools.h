// Mail bodies around PGPsdk output: PGP/MIME multipart bodies, S/MIME enveloped and signed
// entities, the "Charset:" armour line and the micalg parameter, and the splitting of received
// protected entities. Pure text work, no SDK calls; every text is 8-bit with CR LF line ends.
#pragma once

#include "engine/EncodedText.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The micalg parameter for a hash code (the encoder's hash choice + 1): "micalg=pgp-sha256" style
// for PGP/MIME, "micalg=sha-256" style for S/MIME; empty for an unknown code.
std::string MicalgParameter(int hashCode, bool pgpMime);

// A fresh boundary, "PGPMime-=-=-Boundary-=-=-" or "SMime-=-=-Boundary-=-=-" and 8 random hex digits.
std::string NewMimeBoundary(bool pgpMime);

// Rewraps the PGPsdk's PGP/MIME entity (its header block is `bodyOffset` bytes long, its parts are
// separated by "--" + `separator`) under our own header and a new boundary, appended to `result`
// as pieces: views of `sdkOutput`, which `result` or its caller must keep, between texts it keeps.
// On return `separator` holds the new boundary and `bodyOffset` the length of our header block.
// False, with nothing appended, when the SDK's separator is empty or absent: such output is no
// body to send.
bool BuildPgpMimeBody(std::string_view sdkOutput, std::string& separator, std::size_t& bodyOffset,
    TEncodedText& result, bool omitMimeVersion, bool encrypted, int hashCode);

// An S/MIME entity: enveloped data around the DER `content`, or a multipart/signed entity of the
// MIME `content` and the DER `signature`. `headerLength` is the Content-Type block's length + 3.
void BuildSMimeBody(std::string_view content, const std::string* signature, std::string& boundary,
    std::string& result, bool omitMimeVersion, bool enveloped, int hashCode, std::size_t& headerLength);

// The armoured text with "Charset: N" as the last armour header line of the signature block
// (`isSigned`, a clear-signed text) or of the first message block; unchanged without that block.
// Appended to `result` as pieces: views of `text` around the line, which `result` keeps.
void InsertArmorCharset(
    const std::string& charset, std::string_view text, bool isSigned, TEncodedText& result);

// ---- Splitting received entities ----

// What SplitSecureMime found.
enum : int {
    kSecureMimeNone = 0, // not MIME-protected; the inline armour's charset is returned
    kSecureMimePgp = 1, // PGP/MIME signed, encrypted or keys
    kSecureMimeSignedData = 2, // application/pkcs7-mime signed-data or certs-only
    kSecureMimeEnveloped = 3, // application/pkcs7-mime of any other or no smime-type
    kSecureMimeSigned = 4, // S/MIME multipart/signed
};

// Splits an entity into its header (without its MIME fields once a body was taken out), the body
// the PGPsdk must see, the armour charset (upper-case, kind 0) and the decoded detached signature
// (kind 4). With `headerOnly` only the kind is decided. Returns the kind.
int SplitSecureMime(const std::string& entity, std::string& header, std::string& body, bool headerOnly,
    std::string& charset, std::string& signature);

// The header up to and including the CR LF before the first blank line, and the body after it;
// without a blank line all is header (ending in CR LF) and the body is empty.
void SplitHeaderBody(const std::string& text, std::string& header, std::string& body);
// The value of the field `name` (e.g. "Content-Type:") that begins a line, unfolded and trimmed.
std::string HeaderFieldValue(const std::string& header, const std::string& name);
// The subtype after "application/" up to ";" or a quote, trimmed.
std::string ApplicationSubtype(const std::string& contentType);
// "--" + the boundary parameter's value, empty when none.
std::string BoundaryParameter(const std::string& contentType);
// The header without the named fields and their continuation lines.
std::string RemoveHeaderFields(const std::string& header, const std::vector<std::string>& names);
// The text between the first two boundary lines, without the line ends that belong to them.
std::string FirstMimePart(const std::string& body, const std::string& boundaryLine);
// A part's body, Base64-decoded when its Content-Transfer-Encoding says base64.
std::string DecodedPartBody(const std::string& part);
// A header line of 77 characters or more broken after semicolons into lines of at most 76.
std::string FoldHeaderLine(const std::string& line);
// The first ASCII-armoured PGP block with the line ends that follow it, found from position
// `from` on (which counts as the start of a line).
std::string FirstArmoredBlock(const std::string& text, size_t from = 0);
// Where the armoured block of a PGP/MIME encrypted or keys entity stands in the entity itself:
// true with its start and length (as FirstArmoredBlock has it); false for any other entity and
// for one that sent its armour Base64-encoded.
bool FindPgpMimeArmour(const std::string& entity, size_t& start, size_t& length);
// The "Charset:" value of the first armour block (of the signature block of a clear-signed text).
std::string ArmorCharset(const std::string& text);
// A decrypted MIME entity (after `lead` bytes of other text) comes back with the line ends it was
// encrypted with, bare LF from most mail clients: it is given CR LF, the line ends MIME is split in
// and a signature inside it was made over; the text it was is burnt. Armour and other data stay.
void GiveEntityCrLf(std::string& output, std::size_t lead = 0);
// An armour whose blank line after its header lines holds only blanks (no-break spaces too, as
// 0xA0 or in UTF-8, as some clients' editors write it) in Mended with that line empty; false, and
// Mended untouched, when every armour of Text has its blank line empty already.
bool MendArmourBlankLines(std::string_view text, std::string& mended);

// ---- Armour in HTML bodies ----

// Where the armoured block whose BEGIN line opens at Begin ends: past the dashes of its END line;
// npos when it has none.
size_t ArmourBlockEnd(const std::string& text, size_t begin);
// The text an armoured block in HTML stands for, as a reader shows it: a line per <br> and per
// block element, source line ends kept only inside <pre> (Preformatted: the block starts in one),
// other tags dropped, entities decoded, blanks at line ends dropped, CR LF line ends.
std::string HtmlArmourText(std::string_view html, bool preformatted);
// Text as HTML that shows it line for line: markup characters escaped, each line end a <br>
// (Preformatted: a line end, for text inside <pre>).
std::string TextAsHtml(std::string_view text, bool preformatted);
// Decodes an armoured block's text into Text; false when it cannot.
using THtmlArmourDecoder = std::function<bool(const std::string& armour, std::string& text)>;
// Every armoured block of an HTML body read as text and decoded through Decode; what came out
// takes its place as HTML (without its last line end: the armour's own stays), all else stays
// byte for byte. False, Result empty, when none was decoded.
bool DecodeHtmlArmour(const std::string& html, const THtmlArmourDecoder& decode, std::string& result);
