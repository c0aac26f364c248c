// Protected parts of a message that is not protected as a whole: PGP/MIME and S/MIME parts beside
// plain ones, armoured text parts, HTML bodies holding armour, encrypted files sent as attachments,
// the PGP/MIME pair that a server re-wrapped into multipart/mixed, and messages forwarded as
// attachments. Each one is decoded on its own and takes its part's place; what a decrypted entity
// or a signed one holds is walked in turn, to a bounded depth. Every other part stays byte for byte.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// How a protected part reaches the decoder.
enum class TPartForm {
    Entity, // a PGP/MIME or S/MIME encrypted entity with its header: decoded into a MIME entity
    Signed, // a PGP/MIME or S/MIME signed entity: verified, it stays as it is; opaque signed data
            // gives its content, which takes its place
    ArmouredText, // a text part's body (transfer encoding undone) holding armoured blocks: decoded text
    ArmouredHtml, // an HTML part's body (transfer encoding undone) holding armoured blocks: decoded HTML
    File, // an encrypted file's bytes (armoured or binary OpenPGP): the plain file
    SMimeFile, // an S/MIME enveloped file's DER bytes (an "smime.p7m" sent as a plain attachment)
};

// What the decoder made of one protected part.
enum : int {
    kPartRefused = 0, // not decoded (a signed one: not verified)
    kPartDecoded = 1,
    kPartDecodedSigned = 2, // decoded, and a signature inside the protected data covers what came out
};

// Decodes one protected part into Result; one of the kPart values (true and false read as
// decoded and refused).
using TPartDecoder = std::function<int(TPartForm form, const std::string& content, std::string& result)>;

// A protected part the walk met: its form (Signed for a signed one, Entity for an encrypted
// entity, else the form it was decoded in), its MIME depth, the protected part it lies in (an
// index into Parts, -1 for none), whether it was decoded (a signed one: verified) and whether a
// signature covers what it holds (a signed part's, or one inside its encrypted data).
struct TWalkedPart {
    TPartForm Form = TPartForm::Entity;
    int Depth = 0;
    int Inside = -1;
    bool Decoded = false;
    bool Signed = false;
};

struct TProtectedParts {
    std::string Message; // the message with every decoded part in place of its protected one
    int Protected = 0; // protected parts met
    int Decoded = 0; // of them decoded or verified
    bool PlainContent = false; // text or a file that no signature covers
    // Where the decoded contents, and the contents of verified multipart/signed parts, stand in
    // Message: [first, end) byte offsets, in the order decoded (a part decoded inside another one
    // lies within that one's range).
    std::vector<std::pair<std::size_t, std::size_t>> DecodedRanges;
    // Every protected part, in the order met: what a decoded entity held is walked in turn.
    std::vector<TWalkedPart> Parts;
};

// True when the message holds protected parts but is no protected entity as a whole: a multipart
// that is neither encrypted nor signed, or a message that is one encrypted attachment.
bool HasProtectedParts(const std::string& message);

// Decodes every protected part through Decode (CR LF line ends expected).
TProtectedParts DecodeProtectedParts(const std::string& message, const TPartDecoder& decode);

// Binary OpenPGP data in ASCII armour as a "PGP MESSAGE" block (with its CRC-24 checksum), the
// form the decoder takes text in.
std::string ArmourPgpMessage(const std::string& bytes);
