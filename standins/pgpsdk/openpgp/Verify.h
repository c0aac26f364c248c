// Checking key signatures: the digest a certification, binding or direct-key signature covers
// (RFC 4880 section 5.2.4) and the public-key check of RSA and DSA signatures over libgcrypt.
#pragma once

#include "standins/pgpsdk/openpgp/KeyPackets.h"
#include "standins/pgpsdk/openpgp/Signature.h"

#include <string>
#include <string_view>

namespace standin::openpgp {

// What a key signature covers: the primary key, then the user id (or attribute) for
// certifications, or the sub-key for bindings; `subject` is empty for direct-key signatures.
std::string KeySignatureDigest(const PublicKey& primary, const Signature& signature, std::string_view subject,
                               int subjectTag);

// True when `signature` over `digest` was made by `signer` (RSA or DSA; other algorithms are not
// checked and count as unverified).
bool VerifyDigest(const PublicKey& signer, const Signature& signature, std::string_view digest);

} // namespace standin::openpgp
