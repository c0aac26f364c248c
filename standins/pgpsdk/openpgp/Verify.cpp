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

// The value of a named element of an S-expression as unsigned big-endian bytes.
bool ElementBytes(gcry_sexp_t list, const char* name, std::string& out)
{
    gcry_sexp_t element = gcry_sexp_find_token(list, name, 0);
    if (!element)
        return false;
    gcry_mpi_t mpi = gcry_sexp_nth_mpi(element, 1, GCRYMPI_FMT_USG);
    gcry_sexp_release(element);
    if (!mpi)
        return false;
    unsigned char* buffer = nullptr;
    size_t length = 0;
    bool ok = gcry_mpi_aprint(GCRYMPI_FMT_USG, &buffer, &length, mpi) == 0;
    if (ok)
        out.assign(reinterpret_cast<char*>(buffer), length);
    gcry_free(buffer);
    gcry_mpi_release(mpi);
    return ok;
}

// DSA signs the leftmost bits of a digest that is longer than the group order (FIPS 186-3).
std::string DsaValue(const PublicKey& key, std::string_view digest)
{
    size_t orderBytes = key.material.size() >= 2 ? (BitLength(key.material[1]) + 7) / 8 : digest.size();
    return std::string(digest.substr(0, std::min(digest.size(), orderBytes)));
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
        const std::string truncated = DsaValue(signer, value);
        built = Build(key, "(public-key (dsa (p %b) (q %b) (g %b) (y %b)))", { &m[0], &m[1], &m[2], &m[3] })
            && Build(sig, "(sig-val (dsa (r %b) (s %b)))", { &s[0], &s[1] })
            && Build(data, "(data (flags raw) (value %b))", { &truncated });
    }
    return built && gcry_pk_verify(sig.value, data.value, key.value) == 0;
}

bool EncryptToKey(const PublicKey& key, std::string_view message, std::vector<std::string>& mpis)
{
    if (!InitCrypto())
        return false;
    const std::string value(message);
    const auto& m = key.material;
    Sexp publicKey, data, result;
    bool rsa = key.algorithm == kPKRSA || key.algorithm == kPKRSAEncryptOnly;
    bool built = false;
    if (rsa && m.size() >= 2)
        built = Build(publicKey, "(public-key (rsa (n %b) (e %b)))", { &m[0], &m[1] });
    else if (key.algorithm == kPKElGamal && m.size() >= 3)
        built = Build(publicKey, "(public-key (elg (p %b) (g %b) (y %b)))", { &m[0], &m[1], &m[2] });
    if (!built || !Build(data, "(data (flags pkcs1) (value %b))", { &value })
        || gcry_pk_encrypt(&result.value, data.value, publicKey.value) != 0)
        return false;
    mpis.assign(rsa ? 1 : 2, {});
    return rsa ? ElementBytes(result.value, "a", mpis[0])
               : ElementBytes(result.value, "a", mpis[0]) && ElementBytes(result.value, "b", mpis[1]);
}

bool DecryptWithKey(const PublicKey& key, const std::vector<std::string>& secrets, const std::vector<std::string>& mpis,
                    std::string& message)
{
    if (!InitCrypto())
        return false;
    const auto& m = key.material;
    const auto& x = secrets;
    Sexp secretKey, data, result;
    bool rsa = key.algorithm == kPKRSA || key.algorithm == kPKRSAEncryptOnly;
    bool built = false;
    if (rsa && m.size() >= 2 && x.size() >= 4 && !mpis.empty())
        built = Build(secretKey, "(private-key (rsa (n %b) (e %b) (d %b) (p %b) (q %b) (u %b)))",
                      { &m[0], &m[1], &x[0], &x[1], &x[2], &x[3] })
            && Build(data, "(enc-val (flags pkcs1) (rsa (a %b)))", { &mpis[0] });
    else if (key.algorithm == kPKElGamal && m.size() >= 3 && !x.empty() && mpis.size() >= 2)
        built = Build(secretKey, "(private-key (elg (p %b) (g %b) (y %b) (x %b)))", { &m[0], &m[1], &m[2], &x[0] })
            && Build(data, "(enc-val (flags pkcs1) (elg (a %b) (b %b)))", { &mpis[0], &mpis[1] });
    if (!built || gcry_pk_decrypt(&result.value, data.value, secretKey.value) != 0)
        return false;
    // With PKCS#1 unpadding the result is "(value %b)".
    Sexp token;
    token.value = gcry_sexp_find_token(result.value, "value", 0);
    size_t length = 0;
    const char* value = token.value ? gcry_sexp_nth_data(token.value, 1, &length) : nullptr;
    if (!value)
        return false;
    message.assign(value, length);
    return true;
}

bool SignDigest(const PublicKey& key, const std::vector<std::string>& secrets, int hashAlgorithm,
                std::string_view digest, std::vector<std::string>& mpis)
{
    const char* hash = HashName(hashAlgorithm);
    if (!InitCrypto() || !hash)
        return false;
    const std::string value(digest);
    const auto& m = key.material;
    const auto& x = secrets;
    Sexp secretKey, data, result;
    bool rsa = key.algorithm == kPKRSA || key.algorithm == kPKRSASignOnly;
    bool built = false;
    if (rsa && m.size() >= 2 && x.size() >= 4)
        built = Build(secretKey, "(private-key (rsa (n %b) (e %b) (d %b) (p %b) (q %b) (u %b)))",
                      { &m[0], &m[1], &x[0], &x[1], &x[2], &x[3] })
            && Build(data, std::string("(data (flags pkcs1) (hash ") + hash + " %b))", { &value });
    const std::string truncated = key.algorithm == kPKDSA ? DsaValue(key, value) : std::string();
    if (key.algorithm == kPKDSA && m.size() >= 4 && !x.empty())
        built = Build(secretKey, "(private-key (dsa (p %b) (q %b) (g %b) (y %b) (x %b)))",
                      { &m[0], &m[1], &m[2], &m[3], &x[0] })
            && Build(data, "(data (flags raw) (value %b))", { &truncated });
    if (!built || gcry_pk_sign(&result.value, data.value, secretKey.value) != 0)
        return false;
    mpis.assign(rsa ? 1 : 2, {});
    return rsa ? ElementBytes(result.value, "s", mpis[0])
               : ElementBytes(result.value, "r", mpis[0]) && ElementBytes(result.value, "s", mpis[1]);
}

} // namespace standin::openpgp
