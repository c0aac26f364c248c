// Reads the few facts the engine needs from a DER-encoded X.509 certificate (version, serial,
// signature algorithm, key usage) and the serialNumber attribute of an encoded name. It walks the
// bytes for known tags instead of decoding ASN.1, and never reads past the end of the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct TX509CertPropsRec;

// Length of the element whose tag byte stands at `position`; moves `position` to its first content
// byte. 0 at the end of the data and for a length of more than 4 bytes or one cut off by the end.
size_t ReadLength(const uint8_t* data, size_t length, size_t& position);
// Walks forward from `position` (into constructed elements, over primitive ones) to the next element
// that starts with `pattern`; returns its content length with `position` on the content, or 0 with
// `position` at the end when there is none or its content would run past the data.
size_t FindTag(std::string_view pattern, const uint8_t* data, size_t length, size_t& position);
// The value of a BIT STRING with `count` content bytes at `position` (the unused-bits byte), bit 0
// being the first named bit; 0 when the content runs past the data. Moves past the content.
uint32_t ReadBitString(const uint8_t* data, size_t length, size_t count, size_t& position);
uint8_t ReverseBits(uint8_t value);

class TX509CertASN1Parser {
public:
    int32_t Version = 0;
    // The serial number's content bytes as upper-case hexadecimal pairs, separated by one blank.
    std::string Serial;
    int32_t HashCode = 0; // 1 MD2, 2 MD5, 3 SHA-1, 5 SHA-256, 6 SHA-384, 7 SHA-512, 0 unknown
    int32_t KeyAlgorithm = 0; // 1 RSA, 17 DSA, 0 unknown
    uint16_t KeyUsage = 0; // key-usage bits 0..8, digitalSignature being bit 0

    void ScanCertificate(const uint8_t* data, size_t length);
    // The serialNumber attribute (a PrintableString) of an encoded name, empty when absent.
    std::string ReadDNSerialNumber(const uint8_t* data, size_t length) const;

private:
    void ReadAlgorithm(const uint8_t* oid, size_t size);
};

// Puts what the parser reads from a certificate's DER data into the certificate's record:
// SerialNumber, KeyAlgorithm, HashAlgorithm and KeyUsage.
void ApplyCertificateFacts(const std::string& certificate, TX509CertPropsRec& record);
// The serialNumber attribute of an encoded name given as a byte string (issuer-and-serial or
// subject name data).
std::string DNSerialNumber(const std::string& encodedName);
