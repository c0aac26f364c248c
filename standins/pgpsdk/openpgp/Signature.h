// Signature packets (RFC 4880 section 5.2) of versions 3 and 4 with their subpackets, as far as a
// key database needs them: type, algorithms, times, issuer, key flags, preferences, primary flag.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"

#include <string>
#include <string_view>
#include <vector>

namespace standin::openpgp {

enum SignatureType : int {
    kSigBinary = 0x00,
    kSigText = 0x01,
    kSigGenericCert = 0x10,
    kSigPositiveCert = 0x13,
    kSigSubkeyBinding = 0x18,
    kSigPrimaryKeyBinding = 0x19,
    kSigDirectKey = 0x1F,
    kSigKeyRevocation = 0x20,
    kSigSubkeyRevocation = 0x28,
    kSigCertRevocation = 0x30,
};

enum SubpacketType : int {
    kSubCreationTime = 2,
    kSubSignatureExpiry = 3,
    kSubKeyExpiry = 9,
    kSubPreferredCiphers = 11,
    kSubRevocationKey = 12,
    kSubIssuer = 16,
    kSubPreferredHashes = 21,
    kSubPreferredCompression = 22,
    kSubPrimaryUserID = 25,
    kSubKeyFlags = 27,
    kSubIssuerFingerprint = 33,
};

struct Subpacket {
    int type = 0;
    bool critical = false;
    std::string data;
};

struct Signature {
    int version = 0;
    int type = 0;
    int publicKeyAlgorithm = 0;
    int hashAlgorithm = 0;
    std::string hashedData; // what the signature hashes after the signed content (v4: version..hashed area)
    std::vector<Subpacket> hashed;
    std::vector<Subpacket> unhashed;
    std::string left16;
    std::vector<std::string> mpis;

    uint32_t created = 0;
    std::string issuer; // 8 bytes, empty when unknown
    uint32_t signatureExpiry = 0; // seconds after creation, 0 none
    uint32_t keyExpiry = 0; // seconds after the key's creation, 0 none
    int keyFlags = -1; // -1 when absent
    bool primaryUserID = false;
    std::vector<int> preferredCiphers, preferredHashes, preferredCompression;
};

// Parses a signature packet body. Unknown subpackets are kept and skipped; an unknown critical one
// is kept too (the caller decides). Malformed data gives kPGPError_CorruptData.
PGPError ParseSignature(std::string_view body, Signature& signature);

} // namespace standin::openpgp
