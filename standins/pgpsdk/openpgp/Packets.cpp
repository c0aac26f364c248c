// Packet framing: the header byte, the old and new length forms, partial body chunks.
#include "standins/pgpsdk/openpgp/Packets.h"
#include "standins/pgpsdk/openpgp/ByteReader.h"

#include <algorithm>

#include <cstring>

namespace standin::openpgp {
namespace {

// Only data packets may be split into partial body chunks.
bool MayBePartial(int tag)
{
    return tag == kTagCompressed || tag == kTagSymmetricallyEncrypted || tag == kTagLiteral || tag == kTagSEIPD;
}

// A big-endian number of `bytes` bytes, from memory (a ByteReader) or from a stream (SourceBytes).
template <class Reader> bool BigEndian(Reader& in, int bytes, size_t& value)
{
    value = 0;
    for (uint8_t byte; bytes > 0; --bytes) {
        if (!in.U8(byte))
            return false;
        value = value << 8 | byte;
    }
    return true;
}

// A new-format length; `partial` tells that more chunks follow.
template <class Reader> bool NewLength(Reader& in, size_t& length, bool& partial)
{
    uint8_t first;
    if (!in.U8(first))
        return false;
    partial = false;
    if (first < 192) {
        length = first;
    } else if (first < 224) {
        uint8_t second;
        if (!in.U8(second))
            return false;
        length = ((first - 192) << 8) + second + 192;
    } else if (first == 255) {
        return BigEndian(in, 4, length);
    } else {
        length = size_t { 1 } << (first & 0x1F);
        partial = true;
    }
    return true;
}

// The bytes of an old-format length of type 0, 1 or 2 (type 3 has none: the body runs to the end).
int OldLengthBytes(int lengthType) { return lengthType == 2 ? 4 : lengthType + 1; }

// `writable` is the data under `in` where its caller lets it be rewritten, null otherwise.
PGPError ReadNewBody(ByteReader& in, Packet& packet, char* writable, const JoinStorage& storage)
{
    size_t length;
    bool partial;
    if (!NewLength(in, length, partial))
        return kPGPError_CorruptData;
    if (partial && !MayBePartial(packet.tag))
        return kPGPError_CorruptData;
    if (!partial)
        return in.Bytes(length, packet.body) ? kPGPError_NoErr : kPGPError_CorruptData;
    // The chunks are gathered first so the join allocates once, or moves them where they lie.
    std::vector<std::string_view> chunks;
    size_t total = 0;
    for (;;) {
        std::string_view chunk;
        if (!in.Bytes(length, chunk))
            return kPGPError_CorruptData;
        chunks.push_back(chunk);
        total += chunk.size();
        if (!partial)
            break;
        if (!NewLength(in, length, partial))
            return kPGPError_CorruptData;
    }
    if (writable) {
        const char* base = in.Rest().data() - in.Position();
        char* const start = writable + (chunks.front().data() - base);
        char* at = start;
        for (std::string_view chunk : chunks) {
            std::memmove(at, chunk.data(), chunk.size()); // each chunk only moves back over headers
            at += chunk.size();
        }
        packet.body = { start, total };
        return kPGPError_NoErr;
    }
    if (storage) {
        char* at = storage(total);
        packet.body = { at, total };
        for (std::string_view chunk : chunks) {
            std::memcpy(at, chunk.data(), chunk.size());
            at += chunk.size();
        }
        return kPGPError_NoErr;
    }
    auto joined = std::make_shared<std::string>();
    joined->reserve(total);
    for (std::string_view chunk : chunks)
        joined->append(chunk);
    packet.body = *joined;
    packet.joined = std::move(joined);
    return kPGPError_NoErr;
}

PGPError ReadOldBody(ByteReader& in, int lengthType, std::string_view& body)
{
    size_t length = in.Remaining(); // indeterminate: to the end of the data
    if (lengthType != 3 && !BigEndian(in, OldLengthBytes(lengthType), length))
        return kPGPError_CorruptData;
    return in.Bytes(length, body) ? kPGPError_NoErr : kPGPError_CorruptData;
}

void AppendNewLength(std::string& out, size_t length)
{
    if (length < 192) {
        out += static_cast<char>(length);
    } else if (length < 8384) {
        size_t value = length - 192;
        out += static_cast<char>((value >> 8) + 192);
        out += static_cast<char>(value & 0xFF);
    } else {
        out += static_cast<char>(0xFF);
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>((length >> shift) & 0xFF);
    }
}

PGPError ReadPacket(ByteReader& in, Packet& packet, char* writable = nullptr, const JoinStorage& storage = {})
{
    uint8_t header;
    if (!in.U8(header) || !(header & 0x80))
        return kPGPError_CorruptData;
    packet.newFormat = (header & 0x40) != 0;
    PGPError status;
    if (packet.newFormat) {
        packet.tag = header & 0x3F;
        status = ReadNewBody(in, packet, writable, storage);
    } else {
        packet.tag = (header >> 2) & 0x0F;
        status = ReadOldBody(in, header & 3, packet.body);
    }
    if (status != kPGPError_NoErr)
        return status;
    return packet.tag == 0 ? kPGPError_CorruptData : kPGPError_NoErr;
}

} // namespace

PGPError ParsePackets(std::string_view data, std::vector<Packet>& packets)
{
    return ParsePacketsInPlace(data, nullptr, packets);
}

PGPError ParsePacketsInPlace(
    std::string_view data, char* writable, std::vector<Packet>& packets, const JoinStorage& storage)
{
    ByteReader in(data);
    while (!in.AtEnd()) {
        Packet packet;
        PGPError status = ReadPacket(in, packet, writable, storage);
        if (status != kPGPError_NoErr)
            return status;
        packets.push_back(std::move(packet));
    }
    return kPGPError_NoErr;
}

PGPError ParseFirstPacket(std::string_view data, Packet& packet)
{
    ByteReader in(data);
    return ReadPacket(in, packet);
}

std::string WritePacket(int tag, std::string_view body)
{
    std::string out;
    out.reserve(body.size() + 6);
    AppendPacketHeader(out, tag, body.size());
    out.append(body);
    return out;
}

void AppendPacketHeader(std::string& out, int tag, size_t length)
{
    if (tag < 16) {
        int lengthType = length < 0x100 ? 0 : length < 0x10000 ? 1 : 2;
        out += static_cast<char>(0x80 | tag << 2 | lengthType);
        for (int bytes = lengthType == 0 ? 1 : lengthType == 1 ? 2 : 4; bytes > 0; --bytes)
            out += static_cast<char>((length >> (8 * (bytes - 1))) & 0xFF);
    } else {
        out += static_cast<char>(0xC0 | tag);
        AppendNewLength(out, length);
    }
}

namespace {

// A stream read a byte at a time, as the length readers above take their bytes.
struct SourceBytes {
    Source& in;
    bool U8(uint8_t& value)
    {
        char c;
        if (in.Read(&c, 1) != 1)
            return false;
        value = static_cast<uint8_t>(c);
        return true;
    }
};

} // namespace

HeaderRead ReadPacketHeader(Source& in, PacketHeader& header)
{
    SourceBytes bytes { in };
    uint8_t first;
    if (!bytes.U8(first))
        return HeaderRead::End;
    if (!(first & 0x80))
        return HeaderRead::Malformed;
    header = PacketHeader {};
    if (first & 0x40) {
        header.tag = first & 0x3F;
        if (!NewLength(bytes, header.length, header.partial) || (header.partial && !MayBePartial(header.tag)))
            return HeaderRead::Malformed;
    } else {
        header.tag = (first >> 2) & 0x0F;
        int lengthType = first & 3;
        header.toEnd = lengthType == 3;
        if (!header.toEnd && !BigEndian(bytes, OldLengthBytes(lengthType), header.length))
            return HeaderRead::Malformed;
    }
    return header.tag == 0 ? HeaderRead::Malformed : HeaderRead::Packet;
}

PacketBodySource::PacketBodySource(Source& in, const PacketHeader& header)
    : in_(in)
    , left_(header.length)
    , partial_(header.partial)
    , toEnd_(header.toEnd)
{
}

size_t PacketBodySource::Read(char* out, size_t size)
{
    if (toEnd_)
        return in_.Read(out, size);
    size_t done = 0;
    while (done < size && !broken_) {
        if (left_ == 0) {
            if (!partial_)
                break;
            SourceBytes bytes { in_ };
            if (!NewLength(bytes, left_, partial_)) {
                broken_ = true;
                break;
            }
            continue;
        }
        size_t wanted = std::min(size - done, left_);
        size_t got = in_.Read(out + done, wanted);
        done += got;
        left_ -= got;
        if (got < wanted)
            broken_ = true; // the data ended inside the body
    }
    return done;
}

PartialPacketSink::PartialPacketSink(Sink& next, int tag)
    : next_(next)
    , chunk_(kChunk)
{
    const char header = static_cast<char>(0xC0 | tag);
    next_.Write({ &header, 1 });
}

void PartialPacketSink::Write(std::string_view data)
{
    while (!data.empty()) {
        if (chunkSize_ == kChunk) {
            // More follows, so the full chunk goes out as a partial one.
            const char length = static_cast<char>(0xE0 | kChunkPower);
            next_.Write({ &length, 1 });
            next_.Write({ chunk_.Data(), kChunk });
            chunkSize_ = 0;
        }
        size_t taken = std::min(kChunk - chunkSize_, data.size());
        std::memcpy(chunk_.Data() + chunkSize_, data.data(), taken);
        chunkSize_ += taken;
        data.remove_prefix(taken);
    }
}

void PartialPacketSink::Close()
{
    std::string length;
    AppendNewLength(length, chunkSize_);
    next_.Write(length);
    next_.Write({ chunk_.Data(), chunkSize_ });
    chunkSize_ = 0;
}

size_t PartialPacketSink::MaxSize(size_t bodySize) { return 1 + bodySize / kChunk + 5 + bodySize; }

} // namespace standin::openpgp
