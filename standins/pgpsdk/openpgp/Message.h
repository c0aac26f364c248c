// Building OpenPGP messages (RFC 4880 sections 5.1-5.4, 5.9, 5.13, 5.14): literal data with the
// canonical text form, one-pass and v4 signatures, public-key and passphrase session-key packets,
// and integrity-protected encrypted data with its modification detection code.
#pragma once

#include "standins/pgpsdk/openpgp/Crypto.h"
#include "standins/pgpsdk/openpgp/KeyPackets.h"
#include "standins/pgpsdk/openpgp/Stream.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace standin::openpgp {

// Line ends as CR LF, the form text signatures and text literals use.
std::string CanonicalText(std::string_view text);
// The canonical form of `text` fed to `digest`, without a copy of it.
void AddCanonicalText(Digest& digest, std::string_view text);
// The size of that form, and the form itself written to `sink` a chunk at a time (the text itself
// where it is canonical already).
size_t CanonicalTextSize(std::string_view text);
void WriteCanonicalText(Sink& sink, std::string_view text);

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

// A literal packet's header and fields, for data of `dataSize` bytes that follow them; the whole
// packet appended to `out`.
std::string LiteralPacketHeader(size_t dataSize, bool text, std::string_view fileName, uint32_t date);
void AppendLiteralPacket(std::string& out, std::string_view data, bool text, std::string_view fileName, uint32_t date);
std::string OnePassSignatureBody(int signatureType, int hashAlgorithm, const PublicKey& signer);

// A v4 signature packet body over `data` (already canonical for text signatures); empty on failure.
std::string SignatureBody(const PublicKey& signer, const std::vector<std::string>& secrets, int signatureType,
                          int hashAlgorithm, uint32_t created, std::string_view data);
// The same over data that `addData` feeds to the digest, so it need not lie in one piece.
std::string SignatureBody(const PublicKey& signer, const std::vector<std::string>& secrets, int signatureType,
                          int hashAlgorithm, uint32_t created, const std::function<void(Digest&)>& addData);

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

// A SEIPD packet (version 1) of `packets` appended to `out`; false on an unsupported cipher.
bool AppendSEIPDPacket(std::string& out, int cipherAlgorithm, std::string_view sessionKey, std::string_view packets);

// The body of a SEIPD packet (version 1) of what is written to it: the version, then in CFB with a
// zero IV the random prefix, the packets and the MDC, whose SHA-1 runs over them as they pass.
// Close() writes the MDC.
class SeipdSink final : public Sink {
public:
    SeipdSink(Sink& next, int cipherAlgorithm, std::string_view sessionKey);
    SeipdSink(const SeipdSink&) = delete;
    SeipdSink& operator=(const SeipdSink&) = delete;
    // Writes the version and the prefix; false on an unsupported cipher or key.
    bool Begin();
    void Write(std::string_view data) override;
    void Close();
    // The body's size for inner packets of `packetsSize` bytes.
    static size_t BodySize(int cipherAlgorithm, size_t packetsSize);

private:
    void Encrypt(std::string_view data);

    Sink& next_;
    int cipher_;
    CfbStream cfb_;
    Digest mdc_;
    Chunk chunk_;
};

// The plaintext of a SEIPD packet's body (after its version) read as it is decrypted: the prefix
// is taken first, the MDC kept back and checked at the end, with the SHA-1 running meanwhile.
class SeipdSource final : public Source {
public:
    SeipdSource(Source& body, int cipherAlgorithm, std::string_view sessionKey);
    // Takes the prefix; false when the data is too short for one or the cipher unusable.
    bool Begin();
    size_t Read(char* out, size_t size) override;
    enum class Check { Intact, TooShort, Broken };
    // Once all was read: whether the prefix repeated its bytes and the MDC matched.
    Check Finish();

private:
    void Fill();

    Source& body_;
    size_t block_;
    CfbStream cfb_;
    Digest mdc_;
    Chunk buffer_;
    size_t start_ = 0;
    size_t end_ = 0;
    bool ended_ = false;
    bool prefixGood_ = false;
};

} // namespace standin::openpgp
