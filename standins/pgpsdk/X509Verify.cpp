// The stand-in's certificate-chain check: certificates parsed with libksba, each signature checked
// with libgcrypt against its issuer's key, and the chain accepted only when it ends at one of the
// given roots. Blobs are 3-byte big-endian lengths, the whole first, then each certificate.
#include "standins/pgpsdk/CmsSupport.h"
#include "standins/pgpsdk/Guard.h"
#include "standins/pgpsdk/StandInExports.h"
#include "standins/pgpsdk/openpgp/Crypto.h"

#include <ksba.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMaxChainLength = 16;

std::size_t Length3(const uint8_t* at)
{
    return static_cast<std::size_t>(at[0]) << 16 | static_cast<std::size_t>(at[1]) << 8 | at[2];
}

// The certificates of a blob; false when a length runs past the whole.
bool SplitBlob(const uint8_t* blob, std::vector<std::string>& certificates)
{
    if (!blob)
        return true;
    const std::size_t total = Length3(blob);
    for (std::size_t at = 3; at < total + 3;) {
        if (at + 3 > total + 3)
            return false;
        const std::size_t length = Length3(blob + at);
        if (length == 0 || at + 3 + length > total + 3)
            return false;
        certificates.emplace_back(reinterpret_cast<const char*>(blob) + at + 3, length);
        at += 3 + length;
    }
    return true;
}

using standin::cms::TakeKsbaText;

struct TParsed {
    std::string der;
    standin::cms::CertPtr certificate;
    std::string issuer, subject;
};

bool Parse(const std::string& der, TParsed& parsed)
{
    parsed.der = der;
    parsed.certificate = standin::cms::ParseCertificate(der);
    if (!parsed.certificate)
        return false;
    parsed.issuer = TakeKsbaText(ksba_cert_get_issuer(parsed.certificate.get(), 0));
    parsed.subject = TakeKsbaText(ksba_cert_get_subject(parsed.certificate.get(), 0));
    return !parsed.subject.empty();
}

// Whether the issuer's key made the certificate's signature.
bool SignedBy(const TParsed& certificate, const TParsed& issuer)
{
    std::string signedPart;
    const bool hashed
        = ksba_cert_hash(
              certificate.certificate.get(), 1,
              [](void* into, const void* data, std::size_t length) {
                  static_cast<std::string*>(into)->append(static_cast<const char*>(data), length);
              },
              &signedPart)
        == 0;
    ksba_sexp_t signature = ksba_cert_get_sig_val(certificate.certificate.get());
    const bool good = hashed
        && standin::cms::SignedWithKeyOf(issuer.certificate.get(),
            ksba_cert_get_digest_algo(certificate.certificate.get()), signedPart, signature);
    ksba_free(signature);
    return good;
}

const TParsed* FindIssuer(const TParsed& certificate, const std::vector<TParsed>& candidates)
{
    for (const TParsed& candidate : candidates)
        if (&candidate != &certificate && candidate.subject == certificate.issuer && candidate.der != certificate.der)
            return &candidate;
    return nullptr;
}

bool IsRoot(const TParsed& certificate, const std::vector<TParsed>& roots)
{
    for (const TParsed& root : roots)
        if (root.der == certificate.der)
            return true;
    return false;
}

PGPError VerifyChain(const uint8_t* chainBlob, const uint8_t* rootBlob)
{
    if (!standin::openpgp::InitCrypto())
        return kPGPError_NotImplemented;
    std::vector<std::string> chainData, rootData;
    if (!SplitBlob(chainBlob, chainData) || !SplitBlob(rootBlob, rootData))
        return kPGPError_X509BadFormat;
    if (chainData.empty())
        return kPGPError_X509CertMissing;
    std::vector<TParsed> chain(chainData.size()), roots(rootData.size());
    for (std::size_t i = 0; i < chain.size(); ++i)
        if (!Parse(chainData[i], chain[i]))
            return kPGPError_X509BadFormat;
    for (std::size_t i = 0; i < roots.size(); ++i)
        if (!Parse(rootData[i], roots[i]))
            return kPGPError_X509BadFormat;
    const TParsed* current = &chain.front();
    for (std::size_t step = 0; step < kMaxChainLength; ++step) {
        if (current->issuer == current->subject) {
            if (!SignedBy(*current, *current))
                return kPGPError_X509BadSignature;
            return IsRoot(*current, roots) ? kPGPError_NoErr : kPGPError_X509SelfSignedChain;
        }
        const TParsed* issuer = FindIssuer(*current, chain);
        if (!issuer)
            issuer = FindIssuer(*current, roots);
        if (!issuer)
            return kPGPError_X509CertMissing;
        if (!SignedBy(*current, *issuer))
            return kPGPError_X509BadSignature;
        if (IsRoot(*issuer, roots))
            return kPGPError_NoErr;
        current = issuer;
    }
    return kPGPError_X509CertMissing;
}

} // namespace

extern "C" STANDIN_EXPORT PGPError PGP_CDECL PGPVerifyX509CertificateChain(
    PGPContextRef, const uint8_t* chain, const uint8_t* root)
{
    return standin::Guarded([&] { return VerifyChain(chain, root); });
}
