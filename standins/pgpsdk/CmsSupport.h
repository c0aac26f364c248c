// What the CMS encoder and decoder and the X.509 checks share: owners of libksba objects, the
// certificates of the key database by issuer and serial number, the check of an RSA signature
// with a certificate's key, and the algorithm identifiers both sides know.
#pragma once

#include "standins/pgpsdk/Objects.h"

#include <ksba.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace standin::cms {

struct KsbaRelease {
    void operator()(ksba_cms_s* cms) const { ksba_cms_release(cms); }
    void operator()(ksba_cert_s* cert) const { ksba_cert_release(cert); }
    void operator()(ksba_reader_s* reader) const { ksba_reader_release(reader); }
    void operator()(ksba_writer_s* writer) const { ksba_writer_release(writer); }
};
using CmsPtr = std::unique_ptr<ksba_cms_s, KsbaRelease>;
using CertPtr = std::unique_ptr<ksba_cert_s, KsbaRelease>;
using ReaderPtr = std::unique_ptr<ksba_reader_s, KsbaRelease>;
using WriterPtr = std::unique_ptr<ksba_writer_s, KsbaRelease>;

// A CMS object with a memory writer (and a reader over Input when given); null on failure.
CmsPtr NewCms(std::string_view input, ReaderPtr& reader, WriterPtr& writer);
// What the writer collected so far (taken out of it).
std::string TakeWritten(ksba_writer_t writer);
// A text libksba allocated, as a string (freed).
std::string TakeKsbaText(char* text);
CertPtr ParseCertificate(std::string_view der);
// Whether the certificate's RSA key made Signature (a sig-val of libksba) over Data, hashed with
// the digest or signature algorithm libksba names (PKCS #1 v1.5).
bool SignedWithKeyOf(
    ksba_cert_t signer, const char* digestAlgorithm, std::string_view data, const unsigned char* signature);

// A canonical S-expression of libksba as its text, and the data of its first Name token.
std::string CanonicalText(const unsigned char* sexp);
std::string SexpToken(const unsigned char* sexp, const char* name);

// The key's X.509 certificate signature (its last one); null when it has none.
SigRecord* CertificateOf(KeyRecord& key);
struct Holder {
    KeyRecord* key = nullptr;
    SigRecord* certificate = nullptr;
};
// The key of the database whose certificate has this issuer (RFC 2253) and serial (canonical).
Holder FindByIssuerSerial(const KeyDBState& db, const std::string& issuer, const std::string& serial);
// Issuer and serial of a certificate, in the forms above.
bool IssuerSerialOf(std::string_view der, std::string& issuer, std::string& serial);

// OpenPGP hash numbers of the CMS digest algorithms; 0 for others.
int HashOfOid(const char* oid);
const char* OidOfHash(int hash);

// The content ciphers: libgcrypt's cipher, key size, and the OID.
struct Cipher {
    int algorithm = 0;
    std::size_t keySize = 0;
    std::string_view oid;
};
const Cipher* CipherOfOid(const char* oid);
const Cipher& CipherOfOpenPGP(int algorithm); // AES-128 for 7, else AES-256

// CBC with PKCS #7 padding; decrypting checks the padding and gives false when it is wrong.
bool CbcEncrypt(const Cipher& cipher, std::string_view key, std::string_view iv, std::string_view data,
                std::string& out);
bool CbcDecrypt(const Cipher& cipher, std::string_view key, std::string_view iv, std::string_view data,
                std::string& out);

} // namespace standin::cms
