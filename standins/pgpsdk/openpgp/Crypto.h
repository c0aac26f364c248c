// The stand-in's use of libgcrypt: OpenPGP algorithm numbers mapped to libgcrypt's, hashing,
// CFB, and the string-to-key derivation. Nothing here knows packet layouts.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace standin::openpgp {

struct S2K;

// Initialises libgcrypt once per process; false when the library is unusable.
bool InitCrypto();

// Digest size of an OpenPGP hash algorithm, 0 when unsupported.
size_t HashSize(int hashAlgorithm);
// Digest of `data`; empty when the algorithm is unsupported.
std::string Hash(int hashAlgorithm, std::string_view data);
// Digest of the pieces one after the other, without joining them first.
std::string Hash(int hashAlgorithm, std::initializer_list<std::string_view> pieces);

// A digest fed piece by piece.
class Digest {
public:
    explicit Digest(int hashAlgorithm);
    ~Digest();
    Digest(const Digest&) = delete;
    Digest& operator=(const Digest&) = delete;
    void Add(std::string_view piece);
    // Empty when the algorithm is unsupported.
    std::string Finish();

private:
    void* handle_ = nullptr;
    int algorithm_ = 0;
};

// Key and block sizes of an OpenPGP symmetric algorithm, 0 when unsupported.
size_t CipherKeySize(int cipherAlgorithm);
size_t CipherBlockSize(int cipherAlgorithm);
// Plain CFB (the secret-key and SEIPD form) with the given IV; false on an unsupported algorithm.
bool CfbDecrypt(int cipherAlgorithm, std::string_view key, std::string_view iv, std::string_view data,
                std::string& out);
bool CfbEncrypt(int cipherAlgorithm, std::string_view key, std::string_view iv, std::string_view data,
                std::string& out);
// The same into `out`, which holds data.size() bytes and may be `data` itself (in place).
bool CfbDecrypt(int cipherAlgorithm, std::string_view key, std::string_view iv, std::string_view data, char* out);
bool CfbEncrypt(int cipherAlgorithm, std::string_view key, std::string_view iv, std::string_view data, char* out);

// CFB over data that comes piece by piece, each piece continuing the last; a zero IV where none
// is given.
class CfbStream {
public:
    CfbStream(int cipherAlgorithm, std::string_view key, std::string_view iv = {});
    ~CfbStream();
    CfbStream(const CfbStream&) = delete;
    CfbStream& operator=(const CfbStream&) = delete;
    // False when the algorithm or the key is unusable.
    bool Ready() const { return handle_ != nullptr; }
    // Encrypts or decrypts `size` bytes where they lie.
    bool Encrypt(char* data, size_t size);
    bool Decrypt(char* data, size_t size);

private:
    void* handle_ = nullptr;
};

// Zeroes bytes that held plaintext or keys, in a way the compiler cannot drop before a release.
void WipeBytes(void* data, size_t size);

// Random bytes of libgcrypt's strong generator.
std::string RandomBytes(size_t count);

// The key `keyLength` bytes long that the S2K specifier makes of the passphrase.
bool DeriveS2KKey(const S2K& s2k, std::string_view passphrase, size_t keyLength, std::string& key);

} // namespace standin::openpgp
