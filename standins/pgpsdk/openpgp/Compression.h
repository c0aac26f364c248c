// Compressed data (RFC 4880 section 5.6): ZIP (raw deflate) and ZLIB over zlib; uncompressed
// passes through. Decompression stops at a size limit so a small packet cannot expand without end.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"

#include <string>
#include <string_view>

namespace standin::openpgp {

enum CompressionAlgorithm : int { kCompressNone = 0, kCompressZip = 1, kCompressZlib = 2, kCompressBzip2 = 3 };

PGPError Compress(int algorithm, std::string_view data, std::string& out);
// kPGPError_CorruptData for damaged data or output beyond `limit` bytes.
PGPError Decompress(int algorithm, std::string_view data, std::string& out, size_t limit);

} // namespace standin::openpgp
