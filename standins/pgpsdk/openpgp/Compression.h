// Compressed data (RFC 4880 section 5.6): ZIP (raw deflate) and ZLIB over zlib; uncompressed
// passes through. Decompression stops at a size limit so a small packet cannot expand without end.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"

#include <span>
#include <string>
#include <string_view>

namespace standin::openpgp {

enum CompressionAlgorithm : int { kCompressNone = 0, kCompressZip = 1, kCompressZlib = 2, kCompressBzip2 = 3 };

// The pieces compressed one after the other, appended to `out`, which grows only by what is written:
// its caller reserves CompressBound() so no reallocation leaves a copy of the data behind.
PGPError Compress(int algorithm, std::span<const std::string_view> pieces, std::string& out);
PGPError Compress(int algorithm, std::string_view data, std::string& out);
size_t CompressBound(size_t size);

// kPGPError_CorruptData for damaged data or output beyond `limit` bytes.
PGPError Decompress(int algorithm, std::string_view data, std::string& out, size_t limit);
// The same in two passes, for storage of the exact size: the size the data inflates to, then the
// inflated data into `out`, which holds that many bytes.
PGPError DecompressedSize(int algorithm, std::string_view data, size_t limit, size_t& size);
PGPError DecompressInto(int algorithm, std::string_view data, char* out, size_t size);

} // namespace standin::openpgp
