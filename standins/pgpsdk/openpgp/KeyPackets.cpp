// Parsing key packets, fingerprints, key sizes and unlocking secret keys.
#include "standins/pgpsdk/openpgp/KeyPackets.h"
#include "standins/pgpsdk/openpgp/Crypto.h"

namespace standin::openpgp {
namespace {

int PublicMpiCount(int algorithm)
{
    switch (algorithm) {
    case kPKRSA:
    case kPKRSAEncryptOnly:
    case kPKRSASignOnly:
        return 2;
    case kPKElGamal:
        return 3;
    case kPKDSA:
        return 4;
    default:
        return -1;
    }
}

int SecretMpiCount(int algorithm)
{
    switch (algorithm) {
    case kPKRSA:
    case kPKRSAEncryptOnly:
    case kPKRSASignOnly:
        return 4;
    default:
        return 1;
    }
}

bool IsEllipticCurve(int algorithm)
{
    return algorithm == kPKECDH || algorithm == kPKECDSA || algorithm == kPKEdDSA;
}

// Key sizes of the curves GnuPG offers, by OID bytes.
int CurveBits(std::string_view oid)
{
    static const struct {
        const char* oid;
        size_t size;
        int bits;
    } kCurves[] = {
        { "\x2B\x06\x01\x04\x01\xDA\x47\x0F\x01", 9, 255 }, // Ed25519
        { "\x2B\x06\x01\x04\x01\x97\x55\x01\x05\x01", 10, 255 }, // Curve25519
        { "\x2A\x86\x48\xCE\x3D\x03\x01\x07", 8, 256 }, // NIST P-256
        { "\x2B\x81\x04\x00\x22", 5, 384 }, // NIST P-384
        { "\x2B\x81\x04\x00\x23", 5, 521 }, // NIST P-521
        { "\x2B\x24\x03\x03\x02\x08\x01\x01\x07", 9, 256 }, // brainpoolP256r1
    };
    for (const auto& curve : kCurves)
        if (oid == std::string_view(curve.oid, curve.size))
            return curve.bits;
    return 0;
}

uint16_t Checksum(std::string_view data)
{
    uint32_t sum = 0;
    for (char c : data)
        sum += static_cast<uint8_t>(c);
    return static_cast<uint16_t>(sum);
}

// Splits clear secret data into MPIs and checks the trailing SHA-1 or checksum.
PGPError ReadSecretMpis(const SecretKey& key, std::string_view clear, std::vector<std::string>& secrets)
{
    size_t checkSize = key.usage == 254 ? 20 : 2;
    if (clear.size() < checkSize)
        return key.Protected() ? kPGPError_BadPassphrase : kPGPError_KeyFileCorrupt;
    std::string_view mpis = clear.substr(0, clear.size() - checkSize);
    std::string_view check = clear.substr(clear.size() - checkSize);
    bool good;
    if (key.usage == 254) {
        good = Hash(2, mpis) == check;
    } else {
        uint16_t sum = Checksum(mpis);
        good = static_cast<uint8_t>(check[0]) == (sum >> 8) && static_cast<uint8_t>(check[1]) == (sum & 0xFF);
    }
    if (!good)
        return key.Protected() ? kPGPError_BadPassphrase : kPGPError_KeyFileCorrupt;
    ByteReader in(mpis);
    secrets.clear();
    for (int i = 0; i < SecretMpiCount(key.publicKey.algorithm); ++i) {
        std::string value;
        if (!in.Mpi(value))
            return kPGPError_KeyFileCorrupt;
        secrets.push_back(std::move(value));
    }
    return in.AtEnd() ? kPGPError_NoErr : kPGPError_KeyFileCorrupt;
}

} // namespace

PGPError ReadPublicKey(ByteReader& in, PublicKey& key)
{
    size_t start = in.Position();
    std::string_view all = in.Rest();
    key = PublicKey {};
    uint8_t version, algorithm;
    if (!in.U8(version) || !in.U32(key.created))
        return kPGPError_KeyFileCorrupt;
    key.version = version;
    if (version == 2 || version == 3) {
        if (!in.U16(key.validDays))
            return kPGPError_KeyFileCorrupt;
    } else if (version != 4) {
        return kPGPError_UnsupportedFormat;
    }
    if (!in.U8(algorithm))
        return kPGPError_KeyFileCorrupt;
    key.algorithm = algorithm;
    if (IsEllipticCurve(algorithm)) {
        if (version != 4)
            return kPGPError_KeyFileCorrupt;
        uint8_t oidLength;
        std::string oid, point;
        if (!in.U8(oidLength) || oidLength == 0 || oidLength == 0xFF || !in.Bytes(oidLength, oid) || !in.Mpi(point))
            return kPGPError_KeyFileCorrupt;
        key.material = { oid, point };
        if (algorithm == kPKECDH) {
            uint8_t kdfLength;
            std::string kdf;
            if (!in.U8(kdfLength) || !in.Bytes(kdfLength, kdf))
                return kPGPError_KeyFileCorrupt;
            key.material.push_back(kdf);
        }
    } else {
        int count = PublicMpiCount(algorithm);
        if (count < 0)
            return kPGPError_UnsupportedAlgorithm;
        if (version != 4 && algorithm > kPKRSASignOnly)
            return kPGPError_KeyFileCorrupt;
        for (int i = 0; i < count; ++i) {
            std::string value;
            if (!in.Mpi(value))
                return kPGPError_KeyFileCorrupt;
            key.material.push_back(std::move(value));
        }
    }
    key.body.assign(all.substr(0, in.Position() - start));
    return kPGPError_NoErr;
}

PGPError ParsePublicKey(std::string_view body, PublicKey& key)
{
    ByteReader in(body);
    PGPError status = ReadPublicKey(in, key);
    if (status == kPGPError_NoErr && !in.AtEnd())
        return kPGPError_KeyFileCorrupt;
    return status;
}

std::string PublicKey::Fingerprint() const
{
    if (version == 4) {
        std::string framed { static_cast<char>(0x99), static_cast<char>(body.size() >> 8),
                             static_cast<char>(body.size() & 0xFF) };
        return Hash(2, framed + body);
    }
    return material.size() >= 2 ? Hash(1, material[0] + material[1]) : std::string();
}

std::string PublicKey::KeyID() const
{
    if (version == 4) {
        std::string fingerprint = Fingerprint();
        return fingerprint.size() == 20 ? fingerprint.substr(12) : std::string();
    }
    const std::string& modulus = material.empty() ? std::string() : material[0];
    return modulus.size() >= 8 ? modulus.substr(modulus.size() - 8) : std::string(8 - modulus.size(), '\0') + modulus;
}

int PublicKey::Bits() const
{
    if (IsEllipticCurve(algorithm))
        return material.empty() ? 0 : CurveBits(material[0]);
    return material.empty() ? 0 : BitLength(material[0]);
}

// Elliptic-curve keys are read and shown, but this SDK has no curve arithmetic: they neither sign,
// verify, encrypt nor decrypt here.
bool PublicKey::CanSign() const
{
    return algorithm == kPKRSA || algorithm == kPKRSASignOnly || algorithm == kPKDSA;
}

bool PublicKey::CanEncrypt() const
{
    return algorithm == kPKRSA || algorithm == kPKRSAEncryptOnly || algorithm == kPKElGamal;
}

PGPError ParseSecretKey(std::string_view body, SecretKey& key)
{
    ByteReader in(body);
    key = SecretKey {};
    PGPError status = ReadPublicKey(in, key.publicKey);
    if (status != kPGPError_NoErr)
        return status;
    uint8_t usage;
    if (!in.U8(usage))
        return kPGPError_KeyFileCorrupt;
    key.usage = usage;
    if (usage == 254 || usage == 255) {
        uint8_t cipher;
        if (!in.U8(cipher) || !ReadS2K(in, key.s2k))
            return kPGPError_KeyFileCorrupt;
        key.cipher = cipher;
        if (key.s2k.type != S2K::kGnuExtension) {
            size_t blockSize = CipherBlockSize(cipher);
            if (blockSize == 0)
                return kPGPError_UnsupportedAlgorithm;
            if (!in.Bytes(blockSize, key.iv))
                return kPGPError_KeyFileCorrupt;
        }
    } else if (usage != 0) {
        return kPGPError_UnsupportedFormat; // the pre-S2K form of very old keys
    }
    in.Bytes(in.Remaining(), key.secretData);
    return kPGPError_NoErr;
}

PGPError UnlockSecretKey(const SecretKey& key, std::string_view passphrase, std::vector<std::string>& secrets)
{
    if (!key.Protected())
        return ReadSecretMpis(key, key.secretData, secrets);
    if (key.s2k.type == S2K::kGnuExtension)
        return kPGPError_KeyUnusable;
    std::string sessionKey, clear;
    if (!DeriveS2KKey(key.s2k, passphrase, CipherKeySize(key.cipher), sessionKey)
        || !CfbDecrypt(key.cipher, sessionKey, key.iv, key.secretData, clear))
        return kPGPError_UnsupportedAlgorithm;
    PGPError status = ReadSecretMpis(key, clear, secrets);
    std::fill(clear.begin(), clear.end(), '\0');
    std::fill(sessionKey.begin(), sessionKey.end(), '\0');
    return status;
}

PGPError ProtectSecretKey(const PublicKey& publicKey, const std::vector<std::string>& secrets,
                          std::string_view passphrase, std::string& body)
{
    std::string clear;
    for (const auto& secret : secrets)
        clear += EncodeMpi(secret);
    body = publicKey.body;
    if (passphrase.empty()) {
        uint16_t sum = Checksum(clear);
        body += '\0';
        body += clear;
        body += static_cast<char>(sum >> 8);
        body += static_cast<char>(sum & 0xFF);
        std::fill(clear.begin(), clear.end(), '\0');
        return kPGPError_NoErr;
    }
    constexpr int kCipher = 9; // AES-256
    S2K s2k;
    s2k.type = S2K::kIterated;
    s2k.hashAlgorithm = 8; // SHA-256
    s2k.salt = RandomBytes(8);
    s2k.codedCount = 0xE0; // 16 MiB hashed
    std::string iv = RandomBytes(CipherBlockSize(kCipher));
    std::string sessionKey, encrypted;
    clear += Hash(2, clear);
    bool ok = DeriveS2KKey(s2k, passphrase, CipherKeySize(kCipher), sessionKey)
        && CfbEncrypt(kCipher, sessionKey, iv, clear, encrypted);
    std::fill(clear.begin(), clear.end(), '\0');
    std::fill(sessionKey.begin(), sessionKey.end(), '\0');
    if (!ok)
        return kPGPError_UnsupportedAlgorithm;
    body += static_cast<char>(254);
    body += static_cast<char>(kCipher);
    body += WriteS2K(s2k);
    body += iv;
    body += encrypted;
    return kPGPError_NoErr;
}

} // namespace standin::openpgp
