// Checking key signatures: the digest a certification, binding or direct-key signature covers
// (RFC 4880 section 5.2.4) and the public-key check of RSA and DSA signatures over libgcrypt.
#pragma once

#include "standins/pgpsdk/openpgp/KeyPackets.h"
#include "standins/pgpsdk/openpgp/Signature.h"

#include <string>
#include <string_view>
#include <vector>

namespace standin::openpgp {

// What a key signature covers: the primary key, then the user id (or attribute) for
// certifications, or the sub-key for bindings; `subject` is empty for direct-key signatures.
std::string KeySignatureDigest(const PublicKey& primary, const Signature& signature, std::string_view subject,
                               int subjectTag);

// True when `signature` over `digest` was made by `signer` (RSA or DSA; other algorithms are not
// checked and count as unverified).
bool VerifyDigest(const PublicKey& signer, const Signature& signature, std::string_view digest);

// The MPIs of a public-key encryption of `message` (PKCS#1 v1.5 padding) to an RSA or ElGamal key;
// false for other algorithms.
bool EncryptToKey(const PublicKey& key, std::string_view message, std::vector<std::string>& mpis);

// The message a public-key encrypted session key packet holds (PKCS#1 v1.5 padding removed), for
// an RSA or ElGamal key with its secret MPIs; false when it does not decrypt.
bool DecryptWithKey(const PublicKey& key, const std::vector<std::string>& secrets, const std::vector<std::string>& mpis,
                    std::string& message);

// The MPIs of a signature over `digest` (made with OpenPGP hash `hashAlgorithm`) by an RSA or DSA
// key with its secret MPIs; false for other algorithms.
bool SignDigest(const PublicKey& key, const std::vector<std::string>& secrets, int hashAlgorithm,
                std::string_view digest, std::vector<std::string>& mpis);

} // namespace standin::openpgp
