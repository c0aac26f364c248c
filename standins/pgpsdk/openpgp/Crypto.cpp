// libgcrypt glue: algorithm tables, hashing, CFB and the S2K key derivation.
#include "standins/pgpsdk/openpgp/Crypto.h"
#include "standins/pgpsdk/openpgp/S2K.h"

#include <gcrypt.h>

#include <cstring>
#include <mutex>

#if defined(_WIN32)
#include <windows.h>
#include <bcrypt.h>
#endif

namespace standin::openpgp {
namespace {

int GcryHash(int hashAlgorithm)
{
    switch (hashAlgorithm) {
    case 1:
        return GCRY_MD_MD5;
    case 2:
        return GCRY_MD_SHA1;
    case 3:
        return GCRY_MD_RMD160;
    case 8:
        return GCRY_MD_SHA256;
    case 9:
        return GCRY_MD_SHA384;
    case 10:
        return GCRY_MD_SHA512;
    case 11:
        return GCRY_MD_SHA224;
    default:
        return 0;
    }
}

int GcryCipher(int cipherAlgorithm)
{
    switch (cipherAlgorithm) {
    case 1:
        return GCRY_CIPHER_IDEA;
    case 2:
        return GCRY_CIPHER_3DES;
    case 3:
        return GCRY_CIPHER_CAST5;
    case 4:
        return GCRY_CIPHER_BLOWFISH;
    case 7:
        return GCRY_CIPHER_AES128;
    case 8:
        return GCRY_CIPHER_AES192;
    case 9:
        return GCRY_CIPHER_AES256;
    case 10:
        return GCRY_CIPHER_TWOFISH;
    default:
        return 0;
    }
}

bool Cfb(bool encrypt, int cipherAlgorithm, std::string_view key, std::string_view iv, std::string_view data, char* out)
{
    if (iv.size() != CipherBlockSize(cipherAlgorithm))
        return false;
    CfbStream stream(cipherAlgorithm, key, iv);
    if (!stream.Ready())
        return false;
    if (data.data() != out && !data.empty())
        std::memmove(out, data.data(), data.size());
    return encrypt ? stream.Encrypt(out, data.size()) : stream.Decrypt(out, data.size());
}

bool Cfb(bool encrypt, int cipherAlgorithm, std::string_view key, std::string_view iv, std::string_view data,
         std::string& out)
{
    out.resize(data.size());
    return Cfb(encrypt, cipherAlgorithm, key, iv, data, out.data());
}

} // namespace

bool InitCrypto()
{
    static std::once_flag once;
    static bool usable = false;
    std::call_once(once, [] {
        if (!gcry_check_version(GCRYPT_VERSION))
            return;
        gcry_control(GCRYCTL_DISABLE_SECMEM_WARN);
        gcry_control(GCRYCTL_INIT_SECMEM, 65536, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        usable = true;
    });
    return usable;
}

size_t HashSize(int hashAlgorithm)
{
    int algorithm = GcryHash(hashAlgorithm);
    return algorithm ? gcry_md_get_algo_dlen(algorithm) : 0;
}

std::string Hash(int hashAlgorithm, std::string_view data)
{
    return Hash(hashAlgorithm, std::initializer_list<std::string_view> { data });
}

std::string Hash(int hashAlgorithm, std::initializer_list<std::string_view> pieces)
{
    Digest digest(hashAlgorithm);
    for (std::string_view piece : pieces)
        digest.Add(piece);
    return digest.Finish();
}

Digest::Digest(int hashAlgorithm)
    : algorithm_(GcryHash(hashAlgorithm))
{
    gcry_md_hd_t handle;
    if (InitCrypto() && algorithm_ && !gcry_md_open(&handle, algorithm_, 0))
        handle_ = handle;
}

Digest::~Digest()
{
    if (handle_)
        gcry_md_close(static_cast<gcry_md_hd_t>(handle_));
}

void Digest::Add(std::string_view piece)
{
    if (handle_)
        gcry_md_write(static_cast<gcry_md_hd_t>(handle_), piece.data(), piece.size());
}

std::string Digest::Finish()
{
    if (!handle_)
        return {};
    auto handle = static_cast<gcry_md_hd_t>(handle_);
    return { reinterpret_cast<const char*>(gcry_md_read(handle, algorithm_)),
        gcry_md_get_algo_dlen(algorithm_) };
}

size_t CipherKeySize(int cipherAlgorithm)
{
    int algorithm = GcryCipher(cipherAlgorithm);
    return algorithm ? gcry_cipher_get_algo_keylen(algorithm) : 0;
}

size_t CipherBlockSize(int cipherAlgorithm)
{
    int algorithm = GcryCipher(cipherAlgorithm);
    return algorithm ? gcry_cipher_get_algo_blklen(algorithm) : 0;
}

bool CfbDecrypt(int cipherAlgorithm, std::string_view key, std::string_view iv, std::string_view data,
                std::string& out)
{
    return Cfb(false, cipherAlgorithm, key, iv, data, out);
}

bool CfbEncrypt(int cipherAlgorithm, std::string_view key, std::string_view iv, std::string_view data,
                std::string& out)
{
    return Cfb(true, cipherAlgorithm, key, iv, data, out);
}

bool CfbDecrypt(int cipherAlgorithm, std::string_view key, std::string_view iv, std::string_view data, char* out)
{
    return Cfb(false, cipherAlgorithm, key, iv, data, out);
}

bool CfbEncrypt(int cipherAlgorithm, std::string_view key, std::string_view iv, std::string_view data, char* out)
{
    return Cfb(true, cipherAlgorithm, key, iv, data, out);
}

CfbStream::CfbStream(int cipherAlgorithm, std::string_view key, std::string_view iv)
{
    int algorithm = GcryCipher(cipherAlgorithm);
    size_t block = CipherBlockSize(cipherAlgorithm);
    if (!InitCrypto() || !algorithm || key.size() != CipherKeySize(cipherAlgorithm)
        || !(iv.empty() || iv.size() == block))
        return;
    gcry_cipher_hd_t handle;
    if (gcry_cipher_open(&handle, algorithm, GCRY_CIPHER_MODE_CFB, GCRY_CIPHER_SECURE))
        return;
    const std::string zeroIv(iv.empty() ? block : 0, '\0');
    if (iv.empty())
        iv = zeroIv;
    if (gcry_cipher_setkey(handle, key.data(), key.size()) || gcry_cipher_setiv(handle, iv.data(), iv.size())) {
        gcry_cipher_close(handle);
        return;
    }
    handle_ = handle;
}

CfbStream::~CfbStream()
{
    if (handle_)
        gcry_cipher_close(static_cast<gcry_cipher_hd_t>(handle_));
}

bool CfbStream::Encrypt(char* data, size_t size)
{
    return handle_ && !gcry_cipher_encrypt(static_cast<gcry_cipher_hd_t>(handle_), data, size, nullptr, 0);
}

bool CfbStream::Decrypt(char* data, size_t size)
{
    return handle_ && !gcry_cipher_decrypt(static_cast<gcry_cipher_hd_t>(handle_), data, size, nullptr, 0);
}

void WipeBytes(void* data, size_t size)
{
    std::memset(data, 0, size);
    asm volatile("" : : "r"(data) : "memory");
}

// The system's generator first: on Windows libgcrypt's own seeds itself by a slow poll of the
// whole system (tens of milliseconds and megabytes) before its first byte. Its generator remains
// the fall-back where the system's refuses.
std::string RandomBytes(size_t count)
{
    std::string bytes(count, '\0');
#if defined(_WIN32)
    if (count == 0
        || BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(bytes.data()), static_cast<ULONG>(count),
                           BCRYPT_USE_SYSTEM_PREFERRED_RNG)
            == 0)
        return bytes;
#endif
    if (InitCrypto())
        gcry_randomize(bytes.data(), bytes.size(), GCRY_STRONG_RANDOM);
    return bytes;
}

bool DeriveS2KKey(const S2K& s2k, std::string_view passphrase, size_t keyLength, std::string& key)
{
    int hash = GcryHash(s2k.hashAlgorithm);
    if (!InitCrypto() || !hash || keyLength == 0)
        return false;
    int method = s2k.type == S2K::kSimple ? GCRY_KDF_SIMPLE_S2K
        : s2k.type == S2K::kSalted        ? GCRY_KDF_SALTED_S2K
        : s2k.type == S2K::kIterated      ? GCRY_KDF_ITERSALTED_S2K
                                          : 0;
    if (!method)
        return false;
    key.assign(keyLength, '\0');
    gpg_error_t error = gcry_kdf_derive(passphrase.data(), passphrase.size(), method, hash,
                                        s2k.salt.empty() ? nullptr : s2k.salt.data(), s2k.salt.size(),
                                        s2k.type == S2K::kIterated ? s2k.Count() : 0, keyLength, key.data());
    return error == 0;
}

} // namespace standin::openpgp
