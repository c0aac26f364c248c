// Protected parts of a message that is not protected as a whole: PGP/MIME and S/MIME parts beside
// plain ones, armoured text parts, encrypted files sent as attachments, and the PGP/MIME pair that
// a server re-wrapped into multipart/mixed. Each one is decoded on its own and takes its part's
// place; every other part stays byte for byte.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// How a protected part reaches the decoder.
enum class TPartForm {
    Entity, // a PGP/MIME or S/MIME encrypted entity with its header: decoded into a MIME entity
    Signed, // a PGP/MIME or S/MIME signed entity: verified, it stays as it is
    ArmouredText, // a text part's body (transfer encoding undone) holding armoured blocks: decoded text
    File, // an encrypted file's bytes (armoured or binary OpenPGP): the plain file
    SMimeFile, // an S/MIME enveloped file's DER bytes (an "smime.p7m" sent as a plain attachment)
};

// Decodes one protected part into Result; false when it was not decoded (or, for a signed one,
// not verified).
using TPartDecoder = std::function<bool(TPartForm form, const std::string& content, std::string& result)>;

struct TProtectedParts {
    std::string Message; // the message with every decoded part in place of its protected one
    int Protected = 0; // protected parts met
    int Decoded = 0; // of them decoded or verified
    bool PlainContent = false; // a part outside the protected ones holds text or a file
    // Where the decoded contents stand in Message: [first, end) byte offsets.
    std::vector<std::pair<std::size_t, std::size_t>> DecodedRanges;
};

// True when the message holds protected parts but is no protected entity as a whole: a multipart
// that is neither encrypted nor signed, or a message that is one encrypted attachment.
bool HasProtectedParts(const std::string& message);

// Decodes every protected part through Decode (CR LF line ends expected).
TProtectedParts DecodeProtectedParts(const std::string& message, const TPartDecoder& decode);

// Binary OpenPGP data in ASCII armour as a "PGP MESSAGE" block (with its CRC-24 checksum), the
// form the decoder takes text in.
std::string ArmourPgpMessage(const std::string& bytes);
