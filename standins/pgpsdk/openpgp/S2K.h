// String-to-key specifiers (RFC 4880 section 3.7): simple, salted, iterated and salted, and the
// GnuPG extension for secret keys that are not present ("gnu-dummy", "divert-to-card").
#pragma once

#include "standins/pgpsdk/openpgp/ByteReader.h"

#include <cstdint>
#include <string>

namespace standin::openpgp {

struct S2K {
    enum Type : int { kSimple = 0, kSalted = 1, kIterated = 3, kGnuExtension = 101 };
    int type = kSimple;
    int hashAlgorithm = 0;
    std::string salt; // 8 bytes for salted and iterated
    uint8_t codedCount = 0;
    int gnuMode = 0; // 1001 no secret, 1002 on a card

    // Bytes hashed by the iterated form: the decoded count.
    uint32_t Count() const { return (16u + (codedCount & 15)) << ((codedCount >> 4) + 6); }
};

// Reads an S2K specifier; false when it is truncated or of an unknown type.
bool ReadS2K(ByteReader& in, S2K& s2k);
std::string WriteS2K(const S2K& s2k);

} // namespace standin::openpgp
