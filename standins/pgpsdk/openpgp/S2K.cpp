// Reading and writing string-to-key specifiers.
#include "standins/pgpsdk/openpgp/S2K.h"

namespace standin::openpgp {

bool ReadS2K(ByteReader& in, S2K& s2k)
{
    uint8_t type, hash;
    if (!in.U8(type) || !in.U8(hash))
        return false;
    s2k = S2K {};
    s2k.type = type;
    s2k.hashAlgorithm = hash;
    switch (type) {
    case S2K::kSimple:
        return true;
    case S2K::kSalted:
        return in.Bytes(8, s2k.salt);
    case S2K::kIterated:
        return in.Bytes(8, s2k.salt) && in.U8(s2k.codedCount);
    case S2K::kGnuExtension: {
        std::string_view gnu;
        uint8_t mode;
        if (!in.Bytes(3, gnu) || gnu != "GNU" || !in.U8(mode))
            return false;
        s2k.gnuMode = 1000 + mode;
        if (s2k.gnuMode == 1002) { // serial number of the card
            uint8_t length;
            std::string_view serial;
            return in.U8(length) && in.Bytes(length, serial);
        }
        return s2k.gnuMode == 1001;
    }
    default:
        return false;
    }
}

std::string WriteS2K(const S2K& s2k)
{
    std::string out { static_cast<char>(s2k.type), static_cast<char>(s2k.hashAlgorithm) };
    if (s2k.type == S2K::kSalted || s2k.type == S2K::kIterated)
        out += s2k.salt;
    if (s2k.type == S2K::kIterated)
        out += static_cast<char>(s2k.codedCount);
    return out;
}

} // namespace standin::openpgp
