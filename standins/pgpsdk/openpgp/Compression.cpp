// Deflate and inflate for OpenPGP's ZIP and ZLIB compression, a piece at a time.
#include "standins/pgpsdk/openpgp/Compression.h"
#include "standins/pgpsdk/openpgp/Crypto.h"

#include <cstring>
#include <functional>

#include <zlib.h>

namespace standin::openpgp {
namespace {

// zlib's window bits: negative for raw deflate (ZIP), positive for the zlib wrapper.
int WindowBits(int algorithm) { return algorithm == kCompressZip ? -15 : 15; }

constexpr size_t kChunk = 65536;

// Inflates `data`, handing each piece of output to `sink`; fails beyond `limit` bytes.
PGPError Inflate(
    int algorithm, std::string_view data, size_t limit, const std::function<void(const char*, size_t)>& sink)
{
    if (algorithm == kCompressNone) {
        if (data.size() > limit)
            return kPGPError_CorruptData;
        sink(data.data(), data.size());
        return kPGPError_NoErr;
    }
    if (algorithm != kCompressZip && algorithm != kCompressZlib)
        return kPGPError_UnsupportedAlgorithm;
    z_stream stream {};
    if (inflateInit2(&stream, WindowBits(algorithm)) != Z_OK)
        return kPGPError_OutOfMemory;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    char chunk[kChunk];
    size_t total = 0;
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        result = inflate(&stream, Z_NO_FLUSH);
        size_t produced = sizeof chunk - stream.avail_out;
        total += produced;
        if (total > limit) {
            result = Z_DATA_ERROR;
            break;
        }
        sink(chunk, produced);
        if (result == Z_BUF_ERROR && stream.avail_in == 0)
            break; // input ended before the end of the stream
    }
    inflateEnd(&stream);
    WipeBytes(chunk, sizeof chunk); // it held plaintext
    return result == Z_STREAM_END ? kPGPError_NoErr : kPGPError_CorruptData;
}

} // namespace

size_t CompressBound(size_t size)
{
    // zlib's own bound with room for the stream's header and the flushes of its pieces.
    return static_cast<size_t>(compressBound(static_cast<uLong>(size))) + 64;
}

PGPError Compress(int algorithm, std::span<const std::string_view> pieces, std::string& out)
{
    if (algorithm == kCompressNone) {
        for (std::string_view piece : pieces)
            out.append(piece);
        return kPGPError_NoErr;
    }
    if (algorithm != kCompressZip && algorithm != kCompressZlib)
        return kPGPError_UnsupportedAlgorithm;
    z_stream stream {};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, WindowBits(algorithm), 8, Z_DEFAULT_STRATEGY)
        != Z_OK)
        return kPGPError_OutOfMemory;
    char chunk[kChunk];
    int result = Z_OK;
    for (size_t i = 0; i <= pieces.size() && result != Z_STREAM_ERROR; ++i) {
        bool last = i == pieces.size();
        stream.next_in = last ? nullptr : reinterpret_cast<Bytef*>(const_cast<char*>(pieces[i].data()));
        stream.avail_in = last ? 0 : static_cast<uInt>(pieces[i].size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(chunk);
            stream.avail_out = sizeof chunk;
            result = deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            out.append(chunk, sizeof chunk - stream.avail_out);
        } while (result == Z_OK
            && (stream.avail_in > 0 || stream.avail_out == 0 || (last && result != Z_STREAM_END)));
    }
    deflateEnd(&stream);
    WipeBytes(chunk, sizeof chunk); // compressed plaintext
    return result == Z_STREAM_END ? kPGPError_NoErr : kPGPError_OutOfMemory;
}

PGPError Compress(int algorithm, std::string_view data, std::string& out)
{
    out.clear();
    return Compress(algorithm, { &data, 1 }, out);
}

PGPError Decompress(int algorithm, std::string_view data, std::string& out, size_t limit)
{
    out.clear();
    return Inflate(algorithm, data, limit, [&](const char* piece, size_t size) { out.append(piece, size); });
}

PGPError DecompressedSize(int algorithm, std::string_view data, size_t limit, size_t& size)
{
    size = 0;
    return Inflate(algorithm, data, limit, [&](const char*, size_t piece) { size += piece; });
}

PGPError DecompressInto(int algorithm, std::string_view data, char* out, size_t size)
{
    size_t at = 0;
    return Inflate(algorithm, data, size, [&](const char* piece, size_t length) {
        std::memcpy(out + at, piece, length);
        at += length;
    });
}

} // namespace standin::openpgp
