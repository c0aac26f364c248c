// Key packets (RFC 4880 sections 5.5): public keys of versions 3 and 4 with RSA, DSA, ElGamal and
// the elliptic-curve forms GnuPG writes; fingerprints and key ids; secret keys and their unlocking.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"
#include "standins/pgpsdk/openpgp/ByteReader.h"
#include "standins/pgpsdk/openpgp/S2K.h"

#include <string>
#include <vector>

namespace standin::openpgp {

enum PublicKeyAlgorithm : int {
    kPKRSA = 1,
    kPKRSAEncryptOnly = 2,
    kPKRSASignOnly = 3,
    kPKElGamal = 16,
    kPKDSA = 17,
    kPKECDH = 18,
    kPKECDSA = 19,
    kPKEdDSA = 22,
};

struct PublicKey {
    int version = 0;
    uint32_t created = 0;
    uint16_t validDays = 0; // version 3 only
    int algorithm = 0;
    // RSA n, e; DSA p, q, g, y; ElGamal p, g, y; elliptic curves: the curve OID, the point, and for
    // ECDH the KDF parameters.
    std::vector<std::string> material;
    std::string body; // the public key as it appears in a public key packet

    std::string Fingerprint() const; // 20 bytes (version 4) or 16 (version 3)
    std::string KeyID() const; // 8 bytes
    int Bits() const;
    bool CanSign() const;
    bool CanEncrypt() const;
};

// Reads the public part of a key packet body; `key.body` receives exactly the bytes read.
PGPError ReadPublicKey(ByteReader& in, PublicKey& key);
PGPError ParsePublicKey(std::string_view body, PublicKey& key);

struct SecretKey {
    PublicKey publicKey;
    int usage = 0; // 0 clear, 254 SHA-1 checked, 255 checksummed
    int cipher = 0;
    S2K s2k;
    std::string iv;
    std::string secretData; // encrypted, or clear MPIs and checksum for usage 0

    bool Protected() const { return usage != 0; }
};

PGPError ParseSecretKey(std::string_view body, SecretKey& key);

// The secret MPIs of the key, decrypting with the passphrase when protected. A wrong passphrase
// gives kPGPError_BadPassphrase; a key whose secret part is absent kPGPError_KeyUnusable.
PGPError UnlockSecretKey(const SecretKey& key, std::string_view passphrase, std::vector<std::string>& secrets);

// A secret key packet body for `publicKey` holding `secrets`: protected with an iterated S2K and
// AES-256 when the passphrase is not empty, in the clear (checksummed) when it is.
PGPError ProtectSecretKey(const PublicKey& publicKey, const std::vector<std::string>& secrets,
                          std::string_view passphrase, std::string& body);

} // namespace standin::openpgp
