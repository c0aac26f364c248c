// Digest framing of key signatures and RSA/DSA verification with libgcrypt S-expressions.
#include "standins/pgpsdk/openpgp/Verify.h"
#include "standins/pgpsdk/openpgp/Crypto.h"
#include "standins/pgpsdk/openpgp/Packets.h"

#include <gcrypt.h>

#include <vector>

namespace standin::openpgp {
namespace {

const char* HashName(int hashAlgorithm)
{
    switch (hashAlgorithm) {
    case 1:
        return "md5";
    case 2:
        return "sha1";
    case 3:
        return "rmd160";
    case 8:
        return "sha256";
    case 9:
        return "sha384";
    case 10:
        return "sha512";
    case 11:
        return "sha224";
    default:
        return nullptr;
    }
}

std::string Length32(size_t length)
{
    return { static_cast<char>(length >> 24), static_cast<char>(length >> 16 & 0xFF),
             static_cast<char>(length >> 8 & 0xFF), static_cast<char>(length & 0xFF) };
}

std::string FramedKey(const PublicKey& key)
{
    return std::string { static_cast<char>(0x99), static_cast<char>(key.body.size() >> 8),
                         static_cast<char>(key.body.size() & 0xFF) }
    + key.body;
}

// Owns an S-expression.
struct Sexp {
    gcry_sexp_t value = nullptr;
    Sexp() = default;
    Sexp(const Sexp&) = delete;
    Sexp& operator=(const Sexp&) = delete;
    ~Sexp()
    {
        if (value)
            gcry_sexp_release(value);
    }
};

// Builds an S-expression whose "%b" slots take the given byte strings, in order.
bool Build(Sexp& out, const std::string& format, std::initializer_list<const std::string*> values)
{
    struct Buffer {
        int length;
        const void* data;
    };
    std::vector<Buffer> buffers;
    buffers.reserve(values.size());
    std::vector<void*> arguments;
    for (const std::string* value : values) {
        buffers.push_back({ static_cast<int>(value->size()), value->data() });
        arguments.push_back(&buffers.back().length);
        arguments.push_back(&buffers.back().data);
    }
    return gcry_sexp_build_array(&out.value, nullptr, format.c_str(), arguments.data()) == 0;
}

} // namespace

std::string KeySignatureDigest(const PublicKey& primary, const Signature& signature, std::string_view subject,
                               int subjectTag)
{
    std::string data = FramedKey(primary);
    if (subjectTag == kTagUserID || subjectTag == kTagUserAttribute) {
        if (signature.version == 4)
            data += static_cast<char>(subjectTag == kTagUserID ? 0xB4 : 0xD1) + Length32(subject.size());
        data.append(subject);
    } else if (subjectTag == kTagPublicSubkey) {
        PublicKey sub;
        if (ParsePublicKey(subject, sub) != kPGPError_NoErr)
            return {};
        data += FramedKey(sub);
    }
    data += signature.hashedData;
    if (signature.version == 4)
        data += std::string { 0x04, static_cast<char>(0xFF) } + Length32(signature.hashedData.size());
    return Hash(signature.hashAlgorithm, data);
}

bool VerifyDigest(const PublicKey& signer, const Signature& signature, std::string_view digest)
{
    const char* hash = HashName(signature.hashAlgorithm);
    if (!InitCrypto() || !hash || digest.size() < 2 || signature.left16.size() != 2
        || digest.substr(0, 2) != signature.left16)
        return false;
    const std::string value(digest);
    const auto& m = signer.material;
    const auto& s = signature.mpis;
    Sexp key, sig, data;
    bool built = false;
    if ((signer.algorithm == kPKRSA || signer.algorithm == kPKRSASignOnly) && m.size() >= 2 && !s.empty()) {
        built = Build(key, "(public-key (rsa (n %b) (e %b)))", { &m[0], &m[1] })
            && Build(sig, "(sig-val (rsa (s %b)))", { &s[0] })
            && Build(data, std::string("(data (flags pkcs1) (hash ") + hash + " %b))", { &value });
    } else if (signer.algorithm == kPKDSA && m.size() >= 4 && s.size() >= 2) {
        built = Build(key, "(public-key (dsa (p %b) (q %b) (g %b) (y %b)))", { &m[0], &m[1], &m[2], &m[3] })
            && Build(sig, "(sig-val (dsa (r %b) (s %b)))", { &s[0], &s[1] })
            && Build(data, "(data (flags raw) (value %b))", { &value });
    }
    return built && gcry_pk_verify(sig.value, data.value, key.value) == 0;
}

} // namespace standin::openpgp
