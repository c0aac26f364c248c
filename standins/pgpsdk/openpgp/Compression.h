// Compressed data (RFC 4880 section 5.6): ZIP (raw deflate) and ZLIB over zlib; uncompressed
// passes through. Decompression stops at a size limit so a small packet cannot expand without end.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"
#include "standins/pgpsdk/openpgp/Stream.h"

#include <memory>
#include <string>
#include <string_view>

struct z_stream_s;

namespace standin::openpgp {

enum CompressionAlgorithm : int { kCompressNone = 0, kCompressZip = 1, kCompressZlib = 2, kCompressBzip2 = 3 };

// `data` compressed whole into `out`.
PGPError Compress(int algorithm, std::string_view data, std::string& out);
// The most `size` bytes compress to.
size_t CompressBound(size_t size);

// What is written to it compressed (ZIP or ZLIB) into `next` a chunk at a time; Close() ends the
// stream.
class DeflateSink final : public Sink {
public:
    DeflateSink(Sink& next, int algorithm);
    ~DeflateSink() override;
    DeflateSink(const DeflateSink&) = delete;
    DeflateSink& operator=(const DeflateSink&) = delete;
    // kPGPError_NoErr once the stream is set up.
    PGPError Status() const { return status_; }
    void Write(std::string_view data) override;
    void Close();

private:
    void Deflate(std::string_view data, bool finish);

    Sink& next_;
    std::unique_ptr<z_stream_s> stream_;
    Chunk chunk_;
    PGPError status_ = kPGPError_NoErr;
};

// kPGPError_CorruptData for damaged data or output beyond `limit` bytes.
PGPError Decompress(int algorithm, std::string_view data, std::string& out, size_t limit);
// The same in two passes, for storage of the exact size: the size the data inflates to, then the
// inflated data into `out`, which holds that many bytes.
PGPError DecompressedSize(int algorithm, std::string_view data, size_t limit, size_t& size);
PGPError DecompressInto(int algorithm, std::string_view data, char* out, size_t size);
// The same over data read from `in`, which a second pass reads anew.
PGPError DecompressedSize(int algorithm, Source& in, size_t limit, size_t& size);
PGPError DecompressInto(int algorithm, Source& in, char* out, size_t size);

} // namespace standin::openpgp
