// Deflate and inflate for OpenPGP's ZIP and ZLIB compression, a piece at a time.
#include "standins/pgpsdk/openpgp/Compression.h"
#include "standins/pgpsdk/openpgp/Crypto.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>

#include <zlib.h>

namespace standin::openpgp {
namespace {

// zlib's window bits: negative for raw deflate (ZIP), positive for the zlib wrapper.
int WindowBits(int algorithm) { return algorithm == kCompressZip ? -15 : 15; }

// zlib's own memory holds plaintext (its window, its pending output), so it is wiped before it
// goes back: each block keeps its size in front of it.
constexpr size_t kSizeField = alignof(std::max_align_t);

voidpf WipedAlloc(voidpf, uInt items, uInt size)
{
    size_t bytes = size_t { items } * size;
    auto* start = static_cast<char*>(std::malloc(kSizeField + bytes));
    if (!start)
        return Z_NULL;
    std::memcpy(start, &bytes, sizeof bytes);
    return start + kSizeField;
}

void WipedFree(voidpf, voidpf address)
{
    char* start = static_cast<char*>(address) - kSizeField;
    size_t bytes;
    std::memcpy(&bytes, start, sizeof bytes);
    WipeBytes(address, bytes);
    std::free(start);
}

void UseWipedMemory(z_stream& stream)
{
    stream.zalloc = WipedAlloc;
    stream.zfree = WipedFree;
}

constexpr size_t kChunk = 65536;

// Inflates what `in` gives, handing each piece of output to `sink`; fails beyond `limit` bytes.
PGPError Inflate(int algorithm, Source& in, size_t limit, const std::function<void(const char*, size_t)>& sink)
{
    Chunk input(kChunk);
    if (algorithm == kCompressNone) {
        size_t total = 0;
        for (size_t got; (got = in.Read(input.Data(), kChunk)) > 0;) {
            total += got;
            if (total > limit)
                return kPGPError_CorruptData;
            sink(input.Data(), got);
        }
        return kPGPError_NoErr;
    }
    if (algorithm != kCompressZip && algorithm != kCompressZlib)
        return kPGPError_UnsupportedAlgorithm;
    z_stream stream {};
    UseWipedMemory(stream);
    if (inflateInit2(&stream, WindowBits(algorithm)) != Z_OK)
        return kPGPError_OutOfMemory;
    Chunk output(kChunk);
    size_t total = 0;
    int result = Z_OK;
    bool inputEnded = false;
    while (result == Z_OK) {
        if (stream.avail_in == 0 && !inputEnded) {
            size_t got = in.Read(input.Data(), kChunk);
            inputEnded = got < kChunk;
            stream.next_in = reinterpret_cast<Bytef*>(input.Data());
            stream.avail_in = static_cast<uInt>(got);
        }
        stream.next_out = reinterpret_cast<Bytef*>(output.Data());
        stream.avail_out = static_cast<uInt>(kChunk);
        result = inflate(&stream, Z_NO_FLUSH);
        size_t produced = kChunk - stream.avail_out;
        total += produced;
        if (total > limit) {
            result = Z_DATA_ERROR;
            break;
        }
        sink(output.Data(), produced);
        if (result == Z_BUF_ERROR && stream.avail_in == 0 && !inputEnded)
            result = Z_OK; // more input to come
        else if (result == Z_BUF_ERROR)
            break; // input ended before the end of the stream
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END ? kPGPError_NoErr : kPGPError_CorruptData;
}

} // namespace

size_t CompressBound(size_t size)
{
    // zlib's own bound with room for the stream's header and the flushes of its pieces.
    return static_cast<size_t>(compressBound(static_cast<uLong>(size))) + 64;
}

PGPError Compress(int algorithm, std::string_view data, std::string& out)
{
    out.clear();
    if (algorithm == kCompressNone) {
        out.assign(data);
        return kPGPError_NoErr;
    }
    StringSink sink(out);
    DeflateSink deflater(sink, algorithm);
    if (deflater.Status() != kPGPError_NoErr)
        return deflater.Status();
    deflater.Write(data);
    deflater.Close();
    return kPGPError_NoErr;
}

DeflateSink::DeflateSink(Sink& next, int algorithm)
    : next_(next)
    , stream_(std::make_unique<z_stream_s>())
    , chunk_(kChunk)
{
    UseWipedMemory(*stream_);
    if (algorithm != kCompressZip && algorithm != kCompressZlib)
        status_ = kPGPError_UnsupportedAlgorithm;
    else if (deflateInit2(stream_.get(), Z_DEFAULT_COMPRESSION, Z_DEFLATED, WindowBits(algorithm), 8,
                 Z_DEFAULT_STRATEGY)
        != Z_OK)
        status_ = kPGPError_OutOfMemory;
}

DeflateSink::~DeflateSink()
{
    if (status_ == kPGPError_NoErr)
        deflateEnd(stream_.get());
}

void DeflateSink::Write(std::string_view data)
{
    constexpr size_t kMostAtOnce = size_t { 1 } << 30; // zlib counts its input in 32 bits
    for (; !data.empty(); data.remove_prefix(std::min(data.size(), kMostAtOnce)))
        Deflate(data.substr(0, kMostAtOnce), false);
}

void DeflateSink::Close() { Deflate({}, true); }

void DeflateSink::Deflate(std::string_view data, bool finish)
{
    if (status_ != kPGPError_NoErr)
        throw std::logic_error("deflate stream not set up");
    z_stream_s& stream = *stream_;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    int result = Z_OK;
    do {
        stream.next_out = reinterpret_cast<Bytef*>(chunk_.Data());
        stream.avail_out = static_cast<uInt>(kChunk);
        result = deflate(&stream, finish ? Z_FINISH : Z_NO_FLUSH);
        if (result == Z_STREAM_ERROR)
            throw std::runtime_error("deflate failed");
        next_.Write({ chunk_.Data(), kChunk - stream.avail_out });
    } while (stream.avail_in > 0 || stream.avail_out == 0 || (finish && result != Z_STREAM_END));
}

PGPError Decompress(int algorithm, std::string_view data, std::string& out, size_t limit)
{
    out.clear();
    ViewSource in(data);
    return Inflate(algorithm, in, limit, [&](const char* piece, size_t size) { out.append(piece, size); });
}

PGPError DecompressedSize(int algorithm, Source& in, size_t limit, size_t& size)
{
    size = 0;
    return Inflate(algorithm, in, limit, [&](const char*, size_t piece) { size += piece; });
}

PGPError DecompressInto(int algorithm, Source& in, char* out, size_t size)
{
    size_t at = 0;
    return Inflate(algorithm, in, size, [&](const char* piece, size_t length) {
        std::memcpy(out + at, piece, length);
        at += length;
    });
}

PGPError DecompressedSize(int algorithm, std::string_view data, size_t limit, size_t& size)
{
    ViewSource in(data);
    return DecompressedSize(algorithm, in, limit, size);
}

PGPError DecompressInto(int algorithm, std::string_view data, char* out, size_t size)
{
    ViewSource in(data);
    return DecompressInto(algorithm, in, out, size);
}

} // namespace standin::openpgp
