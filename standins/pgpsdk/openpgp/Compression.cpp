// Deflate and inflate for OpenPGP's ZIP and ZLIB compression.
#include "standins/pgpsdk/openpgp/Compression.h"

#include <zlib.h>

namespace standin::openpgp {
namespace {

// zlib's window bits: negative for raw deflate (ZIP), positive for the zlib wrapper.
int WindowBits(int algorithm) { return algorithm == kCompressZip ? -15 : 15; }

} // namespace

PGPError Compress(int algorithm, std::string_view data, std::string& out)
{
    out.clear();
    if (algorithm == kCompressNone) {
        out.assign(data);
        return kPGPError_NoErr;
    }
    if (algorithm != kCompressZip && algorithm != kCompressZlib)
        return kPGPError_UnsupportedAlgorithm;
    z_stream stream {};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, WindowBits(algorithm), 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return kPGPError_OutOfMemory;
    out.resize(deflateBound(&stream, static_cast<uLong>(data.size())));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END ? kPGPError_NoErr : kPGPError_OutOfMemory;
}

PGPError Decompress(int algorithm, std::string_view data, std::string& out, size_t limit)
{
    out.clear();
    if (algorithm == kCompressNone) {
        if (data.size() > limit)
            return kPGPError_CorruptData;
        out.assign(data);
        return kPGPError_NoErr;
    }
    if (algorithm != kCompressZip && algorithm != kCompressZlib)
        return kPGPError_UnsupportedAlgorithm;
    z_stream stream {};
    if (inflateInit2(&stream, WindowBits(algorithm)) != Z_OK)
        return kPGPError_OutOfMemory;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    char chunk[16384];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        result = inflate(&stream, Z_NO_FLUSH);
        size_t produced = sizeof chunk - stream.avail_out;
        if (out.size() + produced > limit) {
            result = Z_DATA_ERROR;
            break;
        }
        out.append(chunk, produced);
        if (result == Z_BUF_ERROR && stream.avail_in == 0)
            break; // input ended before the end of the stream
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END ? kPGPError_NoErr : kPGPError_CorruptData;
}

} // namespace standin::openpgp
