// The stand-in core's PKCS #12 reader: the certificates and the RSA private key of a PFX file, its
// bags decrypted with the password-based schemes Windows and common tools write (SHA-1 with
// triple DES or RC2, and PBES2 with PBKDF2 and AES). Registered when the core loads.
#include "standins/pgpsdk/X509Certs.h"
#include "standins/pgpsdk/openpgp/Crypto.h"

#include <gcrypt.h>

#include <algorithm>
#include <string_view>

namespace standin {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view kOidData = "\x2A\x86\x48\x86\xF7\x0D\x01\x07\x01"sv;
constexpr std::string_view kOidEncryptedData = "\x2A\x86\x48\x86\xF7\x0D\x01\x07\x06"sv;
constexpr std::string_view kOidKeyBag = "\x2A\x86\x48\x86\xF7\x0D\x01\x0C\x0A\x01\x01"sv;
constexpr std::string_view kOidShroudedKeyBag = "\x2A\x86\x48\x86\xF7\x0D\x01\x0C\x0A\x01\x02"sv;
constexpr std::string_view kOidCertBag = "\x2A\x86\x48\x86\xF7\x0D\x01\x0C\x0A\x01\x03"sv;
constexpr std::string_view kOidPbe3Des = "\x2A\x86\x48\x86\xF7\x0D\x01\x0C\x01\x03"sv;
constexpr std::string_view kOidPbeRc2128 = "\x2A\x86\x48\x86\xF7\x0D\x01\x0C\x01\x05"sv;
constexpr std::string_view kOidPbeRc240 = "\x2A\x86\x48\x86\xF7\x0D\x01\x0C\x01\x06"sv;
constexpr std::string_view kOidPbes2 = "\x2A\x86\x48\x86\xF7\x0D\x01\x05\x0D"sv;
constexpr std::string_view kOidHmacSha256 = "\x2A\x86\x48\x86\xF7\x0D\x02\x09"sv;
constexpr std::string_view kOidAes128Cbc = "\x60\x86\x48\x01\x65\x03\x04\x01\x02"sv;
constexpr std::string_view kOidAes256Cbc = "\x60\x86\x48\x01\x65\x03\x04\x01\x2A"sv;

// One DER element taken off the front of In; false at the end or on damage.
bool Next(std::string_view& in, uint8_t& tag, std::string_view& content)
{
    if (in.size() < 2)
        return false;
    tag = static_cast<uint8_t>(in[0]);
    std::size_t length = static_cast<uint8_t>(in[1]);
    std::size_t header = 2;
    if (length & 0x80) {
        const std::size_t count = length & 0x7F;
        if (count == 0 || count > 4 || in.size() < 2 + count)
            return false;
        length = 0;
        for (std::size_t i = 0; i < count; ++i)
            length = length << 8 | static_cast<uint8_t>(in[2 + i]);
        header += count;
    }
    if (in.size() - header < length)
        return false;
    content = in.substr(header, length);
    in.remove_prefix(header + length);
    return true;
}

// The content of the next element when it has the wanted tag.
bool Expect(std::string_view& in, uint8_t wanted, std::string_view& content)
{
    uint8_t tag = 0;
    return Next(in, tag, content) && tag == wanted;
}

std::string Unsigned(std::string_view integer)
{
    while (!integer.empty() && integer[0] == 0)
        integer.remove_prefix(1);
    return std::string(integer);
}

uint32_t Number(std::string_view integer)
{
    uint32_t value = 0;
    for (char c : Unsigned(integer).substr(0, 4))
        value = value << 8 | static_cast<uint8_t>(c);
    return value;
}

// RFC 7292 appendix B.2 with SHA-1: key material of purpose Id (1 key, 2 IV) from the password.
std::string Pkcs12Kdf(std::string_view password, std::string_view salt, uint32_t iterations, int id, std::size_t size)
{
    constexpr std::size_t v = 64, u = 20;
    std::string bmp;
    for (char c : password) {
        bmp += '\0';
        bmp += c;
    }
    bmp += std::string(2, '\0');
    auto repeat = [&](std::string_view text) {
        std::string out;
        if (!text.empty())
            while (out.size() < (text.size() + v - 1) / v * v)
                out += text[out.size() % text.size()];
        return out;
    };
    std::string i = repeat(salt) + repeat(bmp);
    const std::string d(v, static_cast<char>(id));
    std::string result;
    while (result.size() < size) {
        std::string a = d + i;
        unsigned char digest[u];
        for (uint32_t round = 0; round < std::max<uint32_t>(iterations, 1); ++round) {
            gcry_md_hash_buffer(GCRY_MD_SHA1, digest, a.data(), a.size());
            a.assign(reinterpret_cast<char*>(digest), u);
        }
        result += a;
        std::string b;
        while (b.size() < v)
            b += a[b.size() % u];
        for (std::size_t block = 0; block < i.size(); block += v) {
            unsigned carry = 1;
            for (std::size_t k = v; k-- > 0;) {
                carry += static_cast<uint8_t>(i[block + k]) + static_cast<uint8_t>(b[k]);
                i[block + k] = static_cast<char>(carry & 0xFF);
                carry >>= 8;
            }
        }
    }
    return result.substr(0, size);
}

// CBC decryption with PKCS #7 padding checked; empty when the key or padding is wrong.
std::string Decrypt(int algorithm, std::string_view key, std::string_view iv, std::string_view data)
{
    gcry_cipher_hd_t cipher = nullptr;
    if (data.empty() || gcry_cipher_open(&cipher, algorithm, GCRY_CIPHER_MODE_CBC, 0) != 0)
        return {};
    std::string out(data);
    const bool ok = gcry_cipher_setkey(cipher, key.data(), key.size()) == 0
        && gcry_cipher_setiv(cipher, iv.data(), iv.size()) == 0
        && gcry_cipher_decrypt(cipher, out.data(), out.size(), nullptr, 0) == 0;
    gcry_cipher_close(cipher);
    const std::size_t pad = ok ? static_cast<uint8_t>(out.back()) : 0;
    if (pad == 0 || pad > 16 || pad > out.size())
        return {};
    for (std::size_t k = out.size() - pad; k < out.size(); ++k)
        if (static_cast<uint8_t>(out[k]) != pad)
            return {};
    out.resize(out.size() - pad);
    return out;
}

std::string DecryptPbes2(std::string_view params, std::string_view password, std::string_view data)
{
    std::string_view sequence, kdf, kdfOid, kdfParams, scheme, schemeOid, iv, salt, count, rest;
    if (!Expect(params, 0x30, sequence) || !Expect(sequence, 0x30, kdf) || !Expect(kdf, 0x06, kdfOid)
        || !Expect(kdf, 0x30, kdfParams) || !Expect(kdfParams, 0x04, salt) || !Expect(kdfParams, 0x02, count)
        || !Expect(sequence, 0x30, scheme) || !Expect(scheme, 0x06, schemeOid) || !Expect(scheme, 0x04, iv))
        return {};
    int hash = GCRY_MD_SHA1;
    for (uint8_t tag = 0; Next(kdfParams, tag, rest);) {
        std::string_view prfOid;
        if (tag == 0x30 && Expect(rest, 0x06, prfOid) && prfOid == kOidHmacSha256)
            hash = GCRY_MD_SHA256;
    }
    const std::size_t keySize = schemeOid == kOidAes256Cbc ? 32 : schemeOid == kOidAes128Cbc ? 16 : 0;
    if (keySize == 0)
        return {};
    std::string key(keySize, '\0');
    if (gcry_kdf_derive(password.data(), password.size(), GCRY_KDF_PBKDF2, hash, salt.data(), salt.size(),
            Number(count), key.size(), key.data())
        != 0)
        return {};
    return Decrypt(keySize == 32 ? GCRY_CIPHER_AES256 : GCRY_CIPHER_AES128, key, iv, data);
}

// Data encrypted under an AlgorithmIdentifier (given as its content) with the password.
std::string DecryptWith(std::string_view algorithm, std::string_view password, std::string_view data)
{
    std::string_view oid, params, salt, count;
    if (!Expect(algorithm, 0x06, oid))
        return {};
    if (oid == kOidPbes2)
        return DecryptPbes2(algorithm, password, data);
    if (!Expect(algorithm, 0x30, params) || !Expect(params, 0x04, salt) || !Expect(params, 0x02, count))
        return {};
    const uint32_t iterations = Number(count);
    if (oid == kOidPbe3Des)
        return Decrypt(GCRY_CIPHER_3DES, Pkcs12Kdf(password, salt, iterations, 1, 24),
            Pkcs12Kdf(password, salt, iterations, 2, 8), data);
    if (oid == kOidPbeRc240 || oid == kOidPbeRc2128) {
        const bool weak = oid == kOidPbeRc240;
        return Decrypt(weak ? GCRY_CIPHER_RFC2268_40 : GCRY_CIPHER_RFC2268_128,
            Pkcs12Kdf(password, salt, iterations, 1, weak ? 5 : 16), Pkcs12Kdf(password, salt, iterations, 2, 8),
            data);
    }
    return {};
}

// RSAPrivateKey inside PrivateKeyInfo: modulus and OpenPGP's secret values.
bool ReadPrivateKey(std::string_view info, Pkcs12Content& content)
{
    std::string_view sequence, version, algorithm, octets, key, n, e, d, p, q;
    if (!Expect(info, 0x30, sequence) || !Expect(sequence, 0x02, version) || !Expect(sequence, 0x30, algorithm)
        || !Expect(sequence, 0x04, octets) || !Expect(octets, 0x30, key) || !Expect(key, 0x02, version)
        || !Expect(key, 0x02, n) || !Expect(key, 0x02, e) || !Expect(key, 0x02, d) || !Expect(key, 0x02, p)
        || !Expect(key, 0x02, q))
        return false;
    gcry_mpi_t mp = nullptr, mq = nullptr;
    gcry_mpi_scan(&mp, GCRYMPI_FMT_USG, p.data(), p.size(), nullptr);
    gcry_mpi_scan(&mq, GCRYMPI_FMT_USG, q.data(), q.size(), nullptr);
    if (gcry_mpi_cmp(mp, mq) > 0) {
        std::swap(mp, mq);
        std::swap(p, q);
    }
    gcry_mpi_t mu = gcry_mpi_new(0);
    const bool inverted = gcry_mpi_invm(mu, mp, mq) != 0;
    unsigned char* buffer = nullptr;
    std::size_t length = 0;
    if (inverted)
        gcry_mpi_aprint(GCRYMPI_FMT_USG, &buffer, &length, mu);
    std::string u = buffer ? std::string(reinterpret_cast<char*>(buffer), length) : std::string();
    gcry_free(buffer);
    gcry_mpi_release(mp);
    gcry_mpi_release(mq);
    gcry_mpi_release(mu);
    if (u.empty())
        return false;
    content.modulus = Unsigned(n);
    content.secrets = {Unsigned(d), Unsigned(p), Unsigned(q), Unsigned(u)};
    return true;
}

X509Reader& CertificateReader() { return X509CertificateReader(); }

// The bags of one SafeContents.
PGPError ReadBags(std::string_view safeContents, std::string_view password, Pkcs12Content& content)
{
    std::string_view bags, bag;
    if (!Expect(safeContents, 0x30, bags))
        return kPGPError_CorruptData;
    while (Expect(bags, 0x30, bag)) {
        std::string_view oid, value;
        if (!Expect(bag, 0x06, oid) || !Expect(bag, 0xA0, value))
            return kPGPError_CorruptData;
        if (oid == kOidCertBag) {
            std::string_view certBag, certType, wrapped, der;
            if (!Expect(value, 0x30, certBag) || !Expect(certBag, 0x06, certType) || !Expect(certBag, 0xA0, wrapped)
                || !Expect(wrapped, 0x04, der) || !CertificateReader())
                return kPGPError_CorruptData;
            const PGPError status = CertificateReader()(der, content.certificates);
            if (status != kPGPError_NoErr)
                return status;
        } else if (oid == kOidShroudedKeyBag) {
            std::string_view encrypted, algorithm, data;
            if (!Expect(value, 0x30, encrypted) || !Expect(encrypted, 0x30, algorithm)
                || !Expect(encrypted, 0x04, data))
                return kPGPError_CorruptData;
            std::string info = DecryptWith(algorithm, password, data);
            const bool read = !info.empty() && ReadPrivateKey(info, content);
            std::fill(info.begin(), info.end(), '\0');
            if (!read)
                return kPGPError_BadPassphrase;
        } else if (oid == kOidKeyBag && !ReadPrivateKey(value, content)) {
            return kPGPError_CorruptData;
        }
    }
    return kPGPError_NoErr;
}

PGPError ReadPkcs12(std::string_view data, std::string_view password, Pkcs12Content& content)
{
    if (!openpgp::InitCrypto())
        return kPGPError_NotImplemented;
    std::string_view pfx, version, authSafe, oid, wrapped, octets, infos, info;
    if (!Expect(data, 0x30, pfx) || !Expect(pfx, 0x02, version) || !Expect(pfx, 0x30, authSafe)
        || !Expect(authSafe, 0x06, oid) || oid != kOidData || !Expect(authSafe, 0xA0, wrapped)
        || !Expect(wrapped, 0x04, octets) || !Expect(octets, 0x30, infos))
        return kPGPError_CorruptData;
    while (Expect(infos, 0x30, info)) {
        std::string_view type, body;
        if (!Expect(info, 0x06, type) || !Expect(info, 0xA0, body))
            return kPGPError_CorruptData;
        PGPError status = kPGPError_NoErr;
        if (type == kOidData) {
            std::string_view safeContents;
            status = Expect(body, 0x04, safeContents) ? ReadBags(safeContents, password, content)
                                                      : kPGPError_CorruptData;
        } else if (type == kOidEncryptedData) {
            std::string_view encryptedData, dataVersion, contentInfo, contentType, algorithm, encrypted;
            if (!Expect(body, 0x30, encryptedData) || !Expect(encryptedData, 0x02, dataVersion)
                || !Expect(encryptedData, 0x30, contentInfo) || !Expect(contentInfo, 0x06, contentType)
                || !Expect(contentInfo, 0x30, algorithm) || !Expect(contentInfo, 0x80, encrypted))
                return kPGPError_CorruptData;
            const std::string safeContents = DecryptWith(algorithm, password, encrypted);
            status = safeContents.empty() ? kPGPError_BadPassphrase : ReadBags(safeContents, password, content);
        }
        if (status != kPGPError_NoErr)
            return status;
    }
    return content.certificates.empty() ? kPGPError_X509CertMissing : kPGPError_NoErr;
}

const bool pkcs12ReaderRegistered = (X509Pkcs12Reader() = ReadPkcs12, true);

} // namespace
} // namespace standin
