// The CMS unit's shared helpers over libksba and libgcrypt.
#include "standins/pgpsdk/CmsSupport.h"

#include "standins/pgpsdk/X509Certs.h"

#include <gcrypt.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace standin::cms {
namespace {

const Cipher kCiphers[] = {
    { GCRY_CIPHER_AES128, 16, "2.16.840.1.101.3.4.1.2" },
    { GCRY_CIPHER_AES192, 24, "2.16.840.1.101.3.4.1.22" },
    { GCRY_CIPHER_AES256, 32, "2.16.840.1.101.3.4.1.42" },
    { GCRY_CIPHER_3DES, 24, "1.2.840.113549.3.7" },
};

struct HashOid {
    int hash;
    const char* oid;
};
const HashOid kHashes[] = {
    { 1, "1.2.840.113549.2.5" }, { 2, "1.3.14.3.2.26" }, { 8, "2.16.840.1.101.3.4.2.1" },
    { 9, "2.16.840.1.101.3.4.2.2" }, { 10, "2.16.840.1.101.3.4.2.3" },
};

struct SexpRelease {
    void operator()(gcry_sexp* expression) const { gcry_sexp_release(expression); }
};
using SexpPtr = std::unique_ptr<gcry_sexp, SexpRelease>;

SexpPtr SexpOf(const unsigned char* canonical)
{
    gcry_sexp_t expression = nullptr;
    const std::size_t length = canonical ? gcry_sexp_canon_len(canonical, 0, nullptr, nullptr) : 0;
    if (length > 0)
        gcry_sexp_sscan(&expression, nullptr, reinterpret_cast<const char*>(canonical), length);
    return SexpPtr(expression);
}

bool Cbc(const Cipher& cipher, std::string_view key, std::string_view iv, std::string& data, bool encrypt)
{
    gcry_cipher_hd_t handle = nullptr;
    if (key.size() != cipher.keySize || gcry_cipher_open(&handle, cipher.algorithm, GCRY_CIPHER_MODE_CBC, 0) != 0)
        return false;
    const bool done = gcry_cipher_setkey(handle, key.data(), key.size()) == 0
        && gcry_cipher_setiv(handle, iv.data(), iv.size()) == 0
        && (encrypt ? gcry_cipher_encrypt(handle, data.data(), data.size(), nullptr, 0)
                    : gcry_cipher_decrypt(handle, data.data(), data.size(), nullptr, 0))
            == 0;
    gcry_cipher_close(handle);
    return done;
}

} // namespace

CmsPtr NewCms(std::string_view input, ReaderPtr& reader, WriterPtr& writer)
{
    ksba_cms_t raw = nullptr;
    ksba_writer_t rawWriter = nullptr;
    if (ksba_cms_new(&raw) != 0)
        return nullptr;
    CmsPtr cms(raw);
    if (ksba_writer_new(&rawWriter) != 0)
        return nullptr;
    writer.reset(rawWriter);
    if (ksba_writer_set_mem(rawWriter, 4096) != 0)
        return nullptr;
    if (!input.empty()) {
        ksba_reader_t rawReader = nullptr;
        if (ksba_reader_new(&rawReader) != 0)
            return nullptr;
        reader.reset(rawReader);
        if (ksba_reader_set_mem(rawReader, input.data(), input.size()) != 0)
            return nullptr;
    }
    if (ksba_cms_set_reader_writer(raw, reader.get(), rawWriter) != 0)
        return nullptr;
    return cms;
}

std::string TakeWritten(ksba_writer_t writer)
{
    std::size_t length = 0;
    void* memory = ksba_writer_snatch_mem(writer, &length);
    std::string data = memory ? std::string(static_cast<const char*>(memory), length) : std::string();
    if (memory) {
        std::memset(memory, 0, length);
        ksba_free(memory);
    }
    return data;
}

std::string TakeKsbaText(char* text)
{
    std::string result = text ? text : "";
    ksba_free(text);
    return result;
}

CertPtr ParseCertificate(std::string_view der)
{
    ksba_cert_t raw = nullptr;
    if (ksba_cert_new(&raw) != 0)
        return nullptr;
    CertPtr cert(raw);
    if (ksba_cert_init_from_mem(raw, der.data(), der.size()) != 0)
        return nullptr;
    return cert;
}

bool SignedWithKeyOf(
    ksba_cert_t signer, const char* digestAlgorithm, std::string_view data, const unsigned char* signature)
{
    const int algorithm = digestAlgorithm ? gcry_md_map_name(digestAlgorithm) : 0;
    const std::size_t length = algorithm ? gcry_md_get_algo_dlen(algorithm) : 0;
    if (length == 0)
        return false;
    std::string digest(length, '\0');
    gcry_md_hash_buffer(algorithm, digest.data(), data.data(), data.size());
    std::string name = gcry_md_algo_name(algorithm);
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    gcry_sexp_t hashed = nullptr;
    gcry_sexp_build(&hashed, nullptr, "(data (flags pkcs1) (hash %s %b))", name.c_str(),
        static_cast<int>(length), digest.data());
    const SexpPtr hashedOwner(hashed);
    const SexpPtr signatureValue = SexpOf(signature);
    ksba_sexp_t keyText = ksba_cert_get_public_key(signer);
    const SexpPtr key = SexpOf(keyText);
    ksba_free(keyText);
    return hashed && signatureValue && key && gcry_pk_verify(signatureValue.get(), hashed, key.get()) == 0;
}

std::string CanonicalText(const unsigned char* sexp)
{
    const std::size_t length = sexp ? gcry_sexp_canon_len(sexp, 0, nullptr, nullptr) : 0;
    return std::string(reinterpret_cast<const char*>(sexp), length);
}

std::string SexpToken(const unsigned char* sexp, const char* name)
{
    const std::string canonical = CanonicalText(sexp);
    gcry_sexp_t parsed = nullptr;
    if (canonical.empty() || gcry_sexp_sscan(&parsed, nullptr, canonical.data(), canonical.size()) != 0)
        return {};
    gcry_sexp_t token = gcry_sexp_find_token(parsed, name, 0);
    std::size_t length = 0;
    const char* data = token ? gcry_sexp_nth_data(token, 1, &length) : nullptr;
    std::string value = data ? std::string(data, length) : std::string();
    gcry_sexp_release(token);
    gcry_sexp_release(parsed);
    return value;
}

SigRecord* CertificateOf(KeyRecord& key)
{
    SigRecord* found = nullptr;
    for (auto& userID : key.userIDs)
        for (auto& signature : userID.signatures)
            if (IsX509(signature))
                found = &signature;
    return found;
}

bool IssuerSerialOf(std::string_view der, std::string& issuer, std::string& serial)
{
    CertPtr cert = ParseCertificate(der);
    if (!cert)
        return false;
    issuer = TakeKsbaText(ksba_cert_get_issuer(cert.get(), 0));
    ksba_sexp_t number = ksba_cert_get_serial(cert.get());
    serial = CanonicalText(number);
    ksba_free(number);
    return !issuer.empty() && !serial.empty();
}

Holder FindByIssuerSerial(const KeyDBState& db, const std::string& issuer, const std::string& serial)
{
    for (const auto& key : db.keys)
        for (auto& userID : key->userIDs)
            for (auto& signature : userID.signatures) {
                if (!IsX509(signature) || X509Field(signature, kSubX509Issuer) != issuer)
                    continue;
                std::string ownIssuer, ownSerial;
                if (IssuerSerialOf(X509Field(signature, kSubX509Certificate), ownIssuer, ownSerial)
                    && ownSerial == serial)
                    return { key.get(), &signature };
            }
    return {};
}

int HashOfOid(const char* oid)
{
    for (const HashOid& known : kHashes)
        if (oid && std::strcmp(oid, known.oid) == 0)
            return known.hash;
    return 0;
}

const char* OidOfHash(int hash)
{
    for (const HashOid& known : kHashes)
        if (known.hash == hash)
            return known.oid;
    return nullptr;
}

const Cipher* CipherOfOid(const char* oid)
{
    for (const Cipher& cipher : kCiphers)
        if (oid && cipher.oid == oid)
            return &cipher;
    return nullptr;
}

const Cipher& CipherOfOpenPGP(int algorithm) { return algorithm == 7 ? kCiphers[0] : kCiphers[2]; }

bool CbcEncrypt(const Cipher& cipher, std::string_view key, std::string_view iv, std::string_view data,
                std::string& out)
{
    const std::size_t block = gcry_cipher_get_algo_blklen(cipher.algorithm);
    const std::size_t pad = block - data.size() % block;
    out.assign(data);
    out.append(pad, static_cast<char>(pad));
    return Cbc(cipher, key, iv, out, true);
}

bool CbcDecrypt(const Cipher& cipher, std::string_view key, std::string_view iv, std::string_view data,
                std::string& out)
{
    const std::size_t block = gcry_cipher_get_algo_blklen(cipher.algorithm);
    out.assign(data);
    if (block == 0 || iv.size() != block || out.empty() || out.size() % block != 0 || !Cbc(cipher, key, iv, out, false))
        return false;
    const std::size_t pad = static_cast<uint8_t>(out.back());
    bool good = pad >= 1 && pad <= block;
    for (std::size_t i = 0; good && i < pad; ++i)
        good = static_cast<uint8_t>(out[out.size() - 1 - i]) == pad;
    if (!good) {
        std::fill(out.begin(), out.end(), '\0');
        out.clear();
        return false;
    }
    out.resize(out.size() - pad);
    return true;
}

} // namespace standin::cms
