// Building OpenPGP messages (RFC 4880 sections 5.1-5.4, 5.9, 5.13, 5.14): literal data with the
// canonical text form, one-pass and v4 signatures, public-key and passphrase session-key packets,
// and integrity-protected encrypted data with its modification detection code.
#pragma once

#include "standins/pgpsdk/openpgp/Crypto.h"
#include "standins/pgpsdk/openpgp/KeyPackets.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace standin::openpgp {

// Line ends as CR LF, the form text signatures and text literals use.
std::string CanonicalText(std::string_view text);
// The canonical form of `text` fed to `digest`, without a copy of it.
void AddCanonicalText(Digest& digest, std::string_view text);

// What a clear-text signature covers: canonical text without trailing blanks on each line and
// without its one final line end, which belongs to the armour that follows (RFC 4880 section 7.1);
// an empty line before it stays signed.
std::string ClearSignedText(std::string_view text);
// Text lines starting with a dash, escaped as "- -" for clear-signed messages, and back.
std::string DashEscape(std::string_view text);
std::string DashUnescape(std::string_view text);
// The armour name of a hash ("SHA256"), empty when unknown.
std::string HashArmorName(int hashAlgorithm);
int HashFromArmorName(std::string_view name);

// The messages are written by appending to one string, so the data is copied once into it.
// A literal packet's header and fields, for data of `dataSize` bytes that follow them.
std::string LiteralPacketHeader(size_t dataSize, bool text, std::string_view fileName, uint32_t date);
void AppendLiteralPacket(std::string& out, std::string_view data, bool text, std::string_view fileName, uint32_t date);
std::string OnePassSignatureBody(int signatureType, int hashAlgorithm, const PublicKey& signer);

// A v4 signature packet body over `data` (already canonical for text signatures); empty on failure.
std::string SignatureBody(const PublicKey& signer, const std::vector<std::string>& secrets, int signatureType,
                          int hashAlgorithm, uint32_t created, std::string_view data);

// A v3 public-key encrypted session key packet body; empty when the key's algorithm cannot encrypt.
std::string PKESKBody(const PublicKey& key, int cipherAlgorithm, std::string_view sessionKey);

// A v4 passphrase packet body whose S2K key is the session key itself; `sessionKey` receives it.
std::string SKESKBody(int cipherAlgorithm, std::string_view passphrase, std::string& sessionKey);
// A v4 passphrase packet body that carries the given session key, encrypted with the S2K key (used
// when the same message is also encrypted to keys).
std::string SKESKBodyFor(int cipherAlgorithm, std::string_view passphrase, std::string_view sessionKey);
// The session key a v4 passphrase packet gives for a passphrase (its own S2K key, or the session key
// it carries); false when the packet is malformed or of an unknown cipher.
bool SessionKeyFromSKESK(std::string_view body, std::string_view passphrase, int& cipher, std::string& sessionKey);

// A SEIPD packet (version 1): random prefix, the packets, and the MDC, in CFB with a zero IV,
// encrypted in place; false on an unsupported cipher. SEIPDPacketSize tells its size with header
// for inner packets of `packetsSize` bytes; WriteSEIPDPacket writes it to `out`, which holds that
// many, copying the packets in from their pieces, so a large literal is copied once, from where it
// lies; AppendSEIPDPacket appends it to `out`.
size_t SEIPDPacketSize(int cipherAlgorithm, size_t packetsSize);
bool WriteSEIPDPacket(char* out, int cipherAlgorithm, std::string_view sessionKey,
                      std::span<const std::string_view> packets);
bool AppendSEIPDPacket(std::string& out, int cipherAlgorithm, std::string_view sessionKey, std::string_view packets);

} // namespace standin::openpgp
