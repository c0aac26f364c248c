// X.509 certificates in the stand-in's key database: a certificate is kept as a signature on a
// user id whose private subpackets carry the DER data and the facts read from it at import, so
// the key files keep them and the properties need no certificate parser. A certificate revocation
// list is kept the same way on the user id of the CA certificate that signed it.
#pragma once

#include "standins/pgpsdk/Objects.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// Private subpackets (RFC 4880 section 5.2.3.1) of a certificate signature.
enum X509Subpacket : int {
    kSubX509Certificate = 100,
    kSubX509Subject = 101,
    kSubX509Issuer = 102,
    // Marks a record whose DER data (kSubX509Certificate) is a revocation list, not a certificate.
    kSubX509RevocationList = 103,
};

// What an importer reads from one certificate.
struct X509Facts {
    std::string der;
    std::string subject, issuer; // RFC 2253 text
    std::string email;
    uint32_t notBefore = 0, notAfter = 0;
    std::string modulus, exponent; // RSA public key, big-endian without leading zeros
};

// "YYYYMMDDTHHMMSS" (UTC) as Unix time; 0 when empty.
uint32_t X509IsoTime(const char* time);
// Whether the record holds a certificate (a revocation list is no certificate).
bool IsX509(const SigRecord& record);
bool IsX509RevocationList(const SigRecord& record);
// The value of a certificate subpacket; empty when absent.
std::string X509Field(const SigRecord& record, int type);
bool X509Expired(const SigRecord& record);
// A key of its own for the certificate: its RSA key (created at the certificate's start), a user
// id "name <email>" and the certificate signature on it. Null when the key cannot be built.
std::shared_ptr<KeyRecord> X509KeyRecord(const X509Facts& facts);
// The key holding the certificate that issued this one (its subject is this one's issuer); the
// owner itself for a self-signed certificate; null when the database has none.
KeyRecord* X509Certifier(KeyDBState& db, KeyRecord& owner, const SigRecord& record);
// The record of a revocation list: its DER data, its issuer (RFC 2253) and its issue time.
SigRecord X509RevocationListRecord(const std::string& der, const std::string& issuer, uint32_t issued);
// Whether the newest revocation list of the database that the certificate's issuer signed names
// the certificate; false when the core has no revocation-list parser.
bool X509Revoked(const KeyDBState& db, const SigRecord& certificate);
// The core's revocation lists, set when a parser is built in (empty otherwise).
struct X509RevocationLists {
    std::function<bool(const KeyDBState& db, const SigRecord& certificate)> revoked;
    // Reads a list (DER, or PEM "-----BEGIN X509 CRL-----") into a copy of the key of the CA
    // certificate that signed it, found in the key files open; kPGPError_X509BadFormat when the
    // data is no revocation list.
    std::function<PGPError(std::string_view data, std::vector<std::shared_ptr<KeyRecord>>& keys)> import;
};
X509RevocationLists& X509RevocationListParser();
// DER, or PEM ("-----BEGIN CERTIFICATE-----", CR LF line ends) with Armour.
std::string X509ExportText(const SigRecord& record, bool armour);
// The bytes of base64 text; other characters are skipped.
std::string X509Unbase64(std::string_view text);
// The DER of a certificate's issuer-and-serial (the issuer name and the serial number in one
// SEQUENCE, as CMS names a certificate) and of its subject name; false when the data holds no
// certificate.
bool X509NameParts(std::string_view der, std::string& issuerAndSerial, std::string& subjectName);

// Reads certificates (DER, or PEM blocks) into facts; set by the core when a parser is built in,
// empty otherwise (certificate imports are then unsupported).
using X509Reader = std::function<PGPError(std::string_view data, std::vector<X509Facts>& certificates)>;
X509Reader& X509CertificateReader();

// What a PKCS #12 file holds: its certificates and one RSA private key, its modulus and its secret
// values in OpenPGP's order (d, p, q, u with p < q and u = p^-1 mod q), big-endian without leading zeros.
struct Pkcs12Content {
    std::vector<X509Facts> certificates;
    std::string modulus;
    std::vector<std::string> secrets;
};
// Reads a PKCS #12 file under its password (kPGPError_BadPassphrase when it does not open it); set
// by the core when a reader is built in.
using Pkcs12Reader = std::function<PGPError(std::string_view data, std::string_view password, Pkcs12Content& content)>;
Pkcs12Reader& X509Pkcs12Reader();
// The key of the certificate that matches the private key, with the secret part protected by
// Passphrase; the other certificates as keys of their own.
PGPError Pkcs12KeyRecords(const Pkcs12Content& content, std::string_view passphrase,
                          std::vector<std::shared_ptr<KeyRecord>>& keys);

} // namespace standin
