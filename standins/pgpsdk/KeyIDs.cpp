// Key-id records and their texts ("0x" and 8 or 16 upper-case hex digits).
#include "standins/pgpsdk/StandInExports.h"

#include <cstring>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

extern "C" {

PGPError PGP_CDECL PGPGetKeyIDString(const PGPKeyID* keyID, int32_t type, char* text)
{
    if (!keyID || !text || (keyID->length != 8 && keyID->length != 4))
        return kPGPError_BadParams;
    if (type != kPGPKeyIDString_Abbreviated && type != kPGPKeyIDString_Full)
        return kPGPError_BadParams;
    bool full = type == kPGPKeyIDString_Full && keyID->length == 8;
    const uint8_t* first = keyID->id + (full ? 0 : 4);
    static const char kDigits[] = "0123456789ABCDEF";
    char* out = text;
    *out++ = '0';
    *out++ = 'x';
    for (int i = 0; i < (full ? 8 : 4); ++i) {
        *out++ = kDigits[first[i] >> 4];
        *out++ = kDigits[first[i] & 15];
    }
    *out = 0;
    return kPGPError_NoErr;
}

PGPError PGP_CDECL PGPNewKeyIDFromString(const char* text, int32_t algorithm, PGPKeyID* keyID)
{
    if (!text || !keyID)
        return kPGPError_BadParams;
    size_t length = std::strlen(text);
    if ((length != 10 && length != 18) || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return kPGPError_BadParams;
    PGPKeyID result {};
    result.length = static_cast<uint8_t>((length - 2) / 2);
    result.algorithm = static_cast<uint8_t>(algorithm);
    uint8_t* into = result.id + (result.length == 8 ? 0 : 4);
    for (size_t i = 0; i < result.length; ++i) {
        int high = HexValue(text[2 + 2 * i]);
        int low = HexValue(text[3 + 2 * i]);
        if (high < 0 || low < 0)
            return kPGPError_BadParams;
        into[i] = static_cast<uint8_t>(high * 16 + low);
    }
    *keyID = result;
    return kPGPError_NoErr;
}

} // extern "C"
