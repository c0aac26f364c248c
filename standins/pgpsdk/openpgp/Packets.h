// OpenPGP packet framing (RFC 4880 section 4): old and new headers, the length forms including
// partial body lengths, reading a packet stream and writing packets back.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"
#include "standins/pgpsdk/openpgp/Stream.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace standin::openpgp {

enum PacketTag : int {
    kTagPKESK = 1,
    kTagSignature = 2,
    kTagSKESK = 3,
    kTagOnePassSignature = 4,
    kTagSecretKey = 5,
    kTagPublicKey = 6,
    kTagSecretSubkey = 7,
    kTagCompressed = 8,
    kTagSymmetricallyEncrypted = 9,
    kTagMarker = 10,
    kTagLiteral = 11,
    kTagTrust = 12,
    kTagUserID = 13,
    kTagPublicSubkey = 14,
    kTagUserAttribute = 17,
    kTagSEIPD = 18,
    kTagMDC = 19,
    kTagCertificate = 61, // private tag: an X.509 certificate kept with a key
};

// A packet's body is a view into the data it was read from, so a large packet costs no copy; only
// a body split into partial chunks is joined into storage of its own, shared by copies of the packet.
struct Packet {
    int tag = 0;
    bool newFormat = false;
    std::string_view body;
    std::shared_ptr<std::string> joined;
};

// Reads every packet of `data`, which must outlive the packets. Malformed or truncated framing
// gives kPGPError_CorruptData and leaves the packets read before it in `packets`.
PGPError ParsePackets(std::string_view data, std::vector<Packet>& packets);
// The same where `writable` is `data` and the caller lets it be rewritten (null: it may not): a
// body split into partial chunks is joined where it lies, each chunk moved back over the length
// headers before it, instead of into a copy. Where `data` may not be rewritten, `storage` (when
// given) provides the caller's own block of a joined body's size to join it into, so the caller
// can go on working on the body there.
using JoinStorage = std::function<char*(size_t size)>;
PGPError ParsePacketsInPlace(
    std::string_view data, char* writable, std::vector<Packet>& packets, const JoinStorage& storage = {});
// Only the first packet of `data`, so a look at a message does not read all of it.
PGPError ParseFirstPacket(std::string_view data, Packet& packet);

// One packet with a definite length: old format for tags below 16 (as common implementations
// write keys), new format otherwise.
std::string WritePacket(int tag, std::string_view body);
// The header of such a packet, appended to `out`, so a large body can be written in place after it.
void AppendPacketHeader(std::string& out, int tag, size_t length);

// Packets read from a stream: a header, then its body as a source of its own.
struct PacketHeader {
    int tag = 0;
    size_t length = 0; // of the body, or of its first chunk
    bool partial = false; // more chunks follow the first
    bool toEnd = false; // old format without a length: the body runs to the end of the data
};
enum class HeaderRead { Packet, End, Malformed };
HeaderRead ReadPacketHeader(Source& in, PacketHeader& header);

// A packet's body read from the stream after its header, its partial chunks joined on the way.
class PacketBodySource final : public Source {
public:
    PacketBodySource(Source& in, const PacketHeader& header);
    size_t Read(char* out, size_t size) override;
    // Whether the body ended early or a chunk's length was malformed.
    bool Broken() const { return broken_; }

private:
    Source& in_;
    size_t left_; // in the current chunk
    bool partial_;
    bool toEnd_;
    bool broken_ = false;
};

// A data packet whose length is not known when it starts, written as peers write one: new format,
// in partial chunks of 64 KiB and a last one of definite length, which Close() writes.
class PartialPacketSink final : public Sink {
public:
    PartialPacketSink(Sink& next, int tag);
    PartialPacketSink(const PartialPacketSink&) = delete;
    PartialPacketSink& operator=(const PartialPacketSink&) = delete;
    void Write(std::string_view data) override;
    void Close();
    // The most a packet of `bodySize` bytes takes with its headers.
    static size_t MaxSize(size_t bodySize);

private:
    static constexpr int kChunkPower = 16;
    static constexpr size_t kChunk = size_t { 1 } << kChunkPower;

    Sink& next_;
    Chunk chunk_; // held until it is known whether more follows
    size_t chunkSize_ = 0;
};

} // namespace standin::openpgp
