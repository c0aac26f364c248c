// Mail bodies around PGPsdk output: PGP/MIME multipart bodies, S/MIME enveloped and signed
// entities, the "Charset:" armour line and the micalg parameter. Pure text work, no SDK calls;
// every text is 8-bit with CR LF line ends.
#pragma once

#include <cstddef>
#include <string>

// The micalg parameter for a hash code (the encoder's hash choice + 1): "micalg=pgp-sha256" style
// for PGP/MIME, "micalg=sha-256" style for S/MIME; empty for an unknown code.
std::string MicalgParameter(int hashCode, bool pgpMime);

// A fresh boundary, "PGPMime-=-=-Boundary-=-=-" or "SMime-=-=-Boundary-=-=-" and 8 random hex digits.
std::string NewMimeBoundary(bool pgpMime);

// Rewraps the PGPsdk's PGP/MIME entity (its header block is `bodyOffset` bytes long, its parts are
// separated by "--" + `separator`) under our own header and a new boundary. On return `separator`
// holds the new boundary and `bodyOffset` the length of our header block. False, with an empty
// result, when the SDK's separator is empty or absent: such output is no body to send.
bool BuildPgpMimeBody(const std::string& sdkOutput, std::string& separator, std::size_t& bodyOffset,
    std::string& result, bool omitMimeVersion, bool encrypted, int hashCode);

// An S/MIME entity: enveloped data around the DER `content`, or a multipart/signed entity of the
// MIME `content` and the DER `signature`. `headerLength` is the Content-Type block's length + 3.
void BuildSMimeBody(const std::string& content, const std::string* signature, std::string& boundary,
    std::string& result, bool omitMimeVersion, bool enveloped, int hashCode, std::size_t& headerLength);

// The armoured text with "Charset: N" as the last armour header line of the signature block
// (`isSigned`, a clear-signed text) or of the first message block; unchanged without that block.
void InsertArmorCharset(const std::string& charset, const std::string& text, bool isSigned, std::string& result);
