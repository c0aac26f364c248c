// Writing the packets of an OpenPGP message.
#include "standins/pgpsdk/openpgp/Message.h"
#include "standins/pgpsdk/openpgp/Crypto.h"
#include "standins/pgpsdk/openpgp/Packets.h"
#include "standins/pgpsdk/openpgp/S2K.h"
#include "standins/pgpsdk/openpgp/Signature.h"
#include "standins/pgpsdk/openpgp/Verify.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace standin::openpgp {
namespace {

std::string Be32(uint32_t value)
{
    return { static_cast<char>(value >> 24), static_cast<char>(value >> 16 & 0xFF), static_cast<char>(value >> 8 & 0xFF),
             static_cast<char>(value & 0xFF) };
}

std::string Be16(size_t value) { return { static_cast<char>(value >> 8 & 0xFF), static_cast<char>(value & 0xFF) }; }

std::string SubpacketBytes(int type, std::string_view data)
{
    std::string out;
    out += static_cast<char>(data.size() + 1); // every subpacket we write is shorter than 192 bytes
    out += static_cast<char>(type);
    out.append(data);
    return out;
}

// The canonical form of `text` as pieces in order: each line's text, and CR LF for its line end
// (CR LF, a lone CR or a lone LF).
template <class Piece> void ForEachCanonicalPiece(std::string_view text, Piece piece)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t end = at;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        piece(text.substr(at, end - at));
        if (end == text.size())
            return;
        piece(std::string_view("\r\n"));
        at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
}

} // namespace

std::string CanonicalText(std::string_view text)
{
    std::string out;
    out.reserve(CanonicalTextSize(text));
    ForEachCanonicalPiece(text, [&](std::string_view piece) { out.append(piece); });
    return out;
}

void AddCanonicalText(Digest& digest, std::string_view text)
{
    ForEachCanonicalPiece(text, [&](std::string_view piece) { digest.Add(piece); });
}

size_t CanonicalTextSize(std::string_view text)
{
    size_t size = 0;
    ForEachCanonicalPiece(text, [&](std::string_view piece) { size += piece.size(); });
    return size;
}

void WriteCanonicalText(Sink& sink, std::string_view text)
{
    if (CanonicalTextSize(text) == text.size()) {
        sink.Write(text);
        return;
    }
    // Short lines go out gathered in chunks, not one write each.
    constexpr size_t kChunk = 65536;
    Chunk chunk(kChunk);
    size_t used = 0;
    ForEachCanonicalPiece(text, [&](std::string_view piece) {
        while (!piece.empty()) {
            size_t taken = std::min(piece.size(), kChunk - used);
            std::memcpy(chunk.Data() + used, piece.data(), taken);
            used += taken;
            piece.remove_prefix(taken);
            if (used == kChunk) {
                sink.Write({ chunk.Data(), used });
                used = 0;
            }
        }
    });
    sink.Write({ chunk.Data(), used });
}

std::string ClearSignedText(std::string_view text)
{
    std::string canonical = CanonicalText(text);
    if (canonical.size() >= 2 && canonical.compare(canonical.size() - 2, 2, "\r\n") == 0)
        canonical.resize(canonical.size() - 2); // the line end before the armour is the armour's
    std::string out;
    size_t at = 0;
    while (true) {
        size_t end = canonical.find("\r\n", at);
        std::string_view line(canonical.data() + at, (end == std::string::npos ? canonical.size() : end) - at);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        out.append(line);
        if (end == std::string::npos)
            return out;
        out += "\r\n";
        at = end + 2;
    }
}

std::string DashEscape(std::string_view text)
{
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && c == '-')
            out += "- ";
        out += c;
        lineStart = c == '\n';
    }
    return out;
}

std::string DashUnescape(std::string_view text)
{
    std::string out;
    bool lineStart = true;
    for (size_t i = 0; i < text.size(); ++i) {
        if (lineStart && text.compare(i, 2, "- ") == 0)
            i += 2;
        if (i >= text.size())
            break;
        out += text[i];
        lineStart = text[i] == '\n';
    }
    return out;
}

std::string HashArmorName(int hashAlgorithm)
{
    switch (hashAlgorithm) {
    case 1:
        return "MD5";
    case 2:
        return "SHA1";
    case 3:
        return "RIPEMD160";
    case 8:
        return "SHA256";
    case 9:
        return "SHA384";
    case 10:
        return "SHA512";
    case 11:
        return "SHA224";
    default:
        return {};
    }
}

int HashFromArmorName(std::string_view name)
{
    for (int algorithm : { 1, 2, 3, 8, 9, 10, 11 })
        if (HashArmorName(algorithm) == name)
            return algorithm;
    return 0;
}

std::string LiteralPacketHeader(size_t dataSize, bool text, std::string_view fileName, uint32_t date)
{
    std::string_view name = fileName.substr(0, 255);
    std::string header;
    AppendPacketHeader(header, kTagLiteral, 6 + name.size() + dataSize);
    header += text ? 't' : 'b';
    header += static_cast<char>(name.size());
    header.append(name);
    header += Be32(date);
    return header;
}

void AppendLiteralPacket(std::string& out, std::string_view data, bool text, std::string_view fileName, uint32_t date)
{
    std::string header = LiteralPacketHeader(data.size(), text, fileName, date);
    out.reserve(out.size() + header.size() + data.size());
    out += header;
    out.append(data);
}

std::string OnePassSignatureBody(int signatureType, int hashAlgorithm, const PublicKey& signer)
{
    std::string body { 3, static_cast<char>(signatureType), static_cast<char>(hashAlgorithm),
                       static_cast<char>(signer.algorithm) };
    body += signer.KeyID();
    body += '\x01'; // not nested
    return body;
}

std::string SignatureBody(const PublicKey& signer, const std::vector<std::string>& secrets, int signatureType,
                          int hashAlgorithm, uint32_t created, std::string_view data)
{
    return SignatureBody(signer, secrets, signatureType, hashAlgorithm, created, [&](Digest& digest) { digest.Add(data); });
}

std::string SignatureBody(const PublicKey& signer, const std::vector<std::string>& secrets, int signatureType,
                          int hashAlgorithm, uint32_t created, const std::function<void(Digest&)>& addData)
{
    std::string hashed = SubpacketBytes(kSubCreationTime, Be32(created))
        + SubpacketBytes(kSubIssuerFingerprint, std::string(1, '\x04') + signer.Fingerprint());
    std::string head { 4, static_cast<char>(signatureType), static_cast<char>(signer.algorithm),
                       static_cast<char>(hashAlgorithm) };
    head += Be16(hashed.size()) + hashed;
    std::string trailer = std::string { 4, static_cast<char>(0xFF) } + Be32(static_cast<uint32_t>(head.size()));
    Digest hash(hashAlgorithm);
    addData(hash);
    hash.Add(head);
    hash.Add(trailer);
    std::string digest = hash.Finish();
    std::vector<std::string> mpis;
    if (digest.empty() || !SignDigest(signer, secrets, hashAlgorithm, digest, mpis))
        return {};
    std::string unhashed = SubpacketBytes(kSubIssuer, signer.KeyID());
    std::string body = head + Be16(unhashed.size()) + unhashed + digest.substr(0, 2);
    for (const auto& mpi : mpis)
        body += EncodeMpi(mpi);
    return body;
}

std::string PKESKBody(const PublicKey& key, int cipherAlgorithm, std::string_view sessionKey)
{
    uint32_t sum = 0;
    for (char c : sessionKey)
        sum += static_cast<uint8_t>(c);
    std::string message = std::string(1, static_cast<char>(cipherAlgorithm)) + std::string(sessionKey) + Be16(sum & 0xFFFF);
    std::vector<std::string> mpis;
    bool ok = EncryptToKey(key, message, mpis);
    std::fill(message.begin(), message.end(), '\0');
    if (!ok)
        return {};
    std::string body(1, '\x03');
    body += key.KeyID();
    body += static_cast<char>(key.algorithm);
    for (const auto& mpi : mpis)
        body += EncodeMpi(mpi);
    return body;
}

std::string SKESKBody(int cipherAlgorithm, std::string_view passphrase, std::string& sessionKey)
{
    S2K s2k;
    s2k.type = S2K::kIterated;
    s2k.hashAlgorithm = 8;
    s2k.salt = RandomBytes(8);
    s2k.codedCount = 0xE0;
    if (!DeriveS2KKey(s2k, passphrase, CipherKeySize(cipherAlgorithm), sessionKey))
        return {};
    return std::string { 4, static_cast<char>(cipherAlgorithm) } + WriteS2K(s2k);
}

std::string SKESKBodyFor(int cipherAlgorithm, std::string_view passphrase, std::string_view sessionKey)
{
    std::string keyEncryptingKey;
    std::string body = SKESKBody(cipherAlgorithm, passphrase, keyEncryptingKey);
    std::string plain = std::string(1, static_cast<char>(cipherAlgorithm)) + std::string(sessionKey);
    std::string encrypted;
    bool ok = !body.empty()
        && CfbEncrypt(cipherAlgorithm, keyEncryptingKey, std::string(CipherBlockSize(cipherAlgorithm), '\0'), plain,
                      encrypted);
    std::fill(plain.begin(), plain.end(), '\0');
    std::fill(keyEncryptingKey.begin(), keyEncryptingKey.end(), '\0');
    return ok ? body + encrypted : std::string();
}

bool SessionKeyFromSKESK(std::string_view body, std::string_view passphrase, int& cipher, std::string& sessionKey)
{
    if (body.size() < 4 || body[0] != 4)
        return false;
    int algorithm = static_cast<uint8_t>(body[1]);
    ByteReader in(body.substr(2));
    S2K s2k;
    std::string derived;
    if (!ReadS2K(in, s2k) || CipherKeySize(algorithm) == 0
        || !DeriveS2KKey(s2k, passphrase, CipherKeySize(algorithm), derived))
        return false;
    if (in.AtEnd()) {
        cipher = algorithm;
        sessionKey = std::move(derived);
        return true;
    }
    std::string plain;
    bool ok = CfbDecrypt(algorithm, derived, std::string(CipherBlockSize(algorithm), '\0'), in.Rest(), plain);
    std::fill(derived.begin(), derived.end(), '\0');
    if (!ok || plain.size() < 2 || CipherKeySize(static_cast<uint8_t>(plain[0])) != plain.size() - 1)
        return false;
    cipher = static_cast<uint8_t>(plain[0]);
    sessionKey = plain.substr(1);
    std::fill(plain.begin(), plain.end(), '\0');
    return true;
}

namespace {

constexpr size_t kMdcSize = 22;
constexpr size_t kSeipdChunk = 65536;

} // namespace

bool AppendSEIPDPacket(std::string& out, int cipherAlgorithm, std::string_view sessionKey, std::string_view packets)
{
    if (CipherBlockSize(cipherAlgorithm) == 0)
        return false;
    AppendPacketHeader(out, kTagSEIPD, SeipdSink::BodySize(cipherAlgorithm, packets.size()));
    StringSink sink(out);
    SeipdSink encrypted(sink, cipherAlgorithm, sessionKey);
    if (!encrypted.Begin())
        return false;
    encrypted.Write(packets);
    encrypted.Close();
    return true;
}

SeipdSink::SeipdSink(Sink& next, int cipherAlgorithm, std::string_view sessionKey)
    : next_(next)
    , cipher_(cipherAlgorithm)
    , cfb_(cipherAlgorithm, sessionKey)
    , mdc_(2)
    , chunk_(kSeipdChunk)
{
}

bool SeipdSink::Begin()
{
    size_t block = CipherBlockSize(cipher_);
    if (block == 0 || !cfb_.Ready())
        return false;
    next_.Write("\x01");
    std::string prefix = RandomBytes(block);
    prefix.append(prefix, block - 2, 2); // the repeated bytes a reader checks its key by
    Write(prefix);
    return true;
}

void SeipdSink::Write(std::string_view data)
{
    mdc_.Add(data);
    Encrypt(data);
}

void SeipdSink::Close()
{
    Write("\xD3\x14"); // the MDC packet's header is covered by its own hash
    Encrypt(mdc_.Finish());
}

void SeipdSink::Encrypt(std::string_view data)
{
    for (; !data.empty();) {
        size_t size = std::min(data.size(), kSeipdChunk);
        std::memcpy(chunk_.Data(), data.data(), size);
        if (!cfb_.Encrypt(chunk_.Data(), size))
            throw std::runtime_error("encryption failed");
        next_.Write({ chunk_.Data(), size });
        data.remove_prefix(size);
    }
}

size_t SeipdSink::BodySize(int cipherAlgorithm, size_t packetsSize)
{
    return 1 + CipherBlockSize(cipherAlgorithm) + 2 + packetsSize + kMdcSize;
}

SeipdSource::SeipdSource(Source& body, int cipherAlgorithm, std::string_view sessionKey)
    : body_(body)
    , block_(CipherBlockSize(cipherAlgorithm))
    , cfb_(cipherAlgorithm, sessionKey)
    , mdc_(2)
    , buffer_(kSeipdChunk + kMdcSize)
{
}

void SeipdSource::Fill()
{
    // What is kept back moves to the front; the rest of the buffer takes the next ciphertext.
    std::memmove(buffer_.Data(), buffer_.Data() + start_, end_ - start_);
    end_ -= start_;
    start_ = 0;
    size_t wanted = buffer_.Size() - end_;
    size_t got = body_.Read(buffer_.Data() + end_, wanted);
    if (!cfb_.Decrypt(buffer_.Data() + end_, got))
        throw std::runtime_error("decryption failed");
    end_ += got;
    ended_ = got < wanted;
}

bool SeipdSource::Begin()
{
    if (block_ == 0 || !cfb_.Ready())
        return false;
    while (!ended_ && end_ - start_ < block_ + 2 + kMdcSize)
        Fill();
    if (end_ - start_ < block_ + 2 + kMdcSize)
        return false;
    const char* prefix = buffer_.Data() + start_;
    prefixGood_ = std::memcmp(prefix + block_ - 2, prefix + block_, 2) == 0;
    mdc_.Add({ prefix, block_ + 2 });
    start_ += block_ + 2;
    return true;
}

size_t SeipdSource::Read(char* out, size_t size)
{
    size_t done = 0;
    while (done < size) {
        size_t ready = end_ - start_ > kMdcSize ? end_ - start_ - kMdcSize : 0;
        if (ready == 0) {
            if (ended_)
                break;
            Fill();
            continue;
        }
        size_t taken = std::min(ready, size - done);
        std::memcpy(out + done, buffer_.Data() + start_, taken);
        mdc_.Add({ buffer_.Data() + start_, taken });
        start_ += taken;
        done += taken;
    }
    return done;
}

SeipdSource::Check SeipdSource::Finish()
{
    Drain(*this); // what the reader left, up to the MDC
    if (end_ - start_ != kMdcSize)
        return Check::TooShort;
    std::string_view mdc(buffer_.Data() + start_, kMdcSize);
    mdc_.Add(mdc.substr(0, 2));
    return prefixGood_ && mdc.substr(0, 2) == "\xD3\x14" && mdc_.Finish() == mdc.substr(2) ? Check::Intact
                                                                                         : Check::Broken;
}

} // namespace standin::openpgp
