// Certificate signatures of the stand-in's key database: building them from imported facts,
// reading their subpackets, finding their issuers and writing them out as DER or PEM.
#include "standins/pgpsdk/X509Certs.h"

#include "standins/pgpsdk/Cms.h"

#include "standins/pgpsdk/openpgp/Packets.h"

#include <ctime>

namespace standin {
namespace {

void PutU32(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void PutU16(std::string& out, std::size_t value)
{
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

// One subpacket: its length (of type and data) in the one, two or five byte form.
void PutSubpacket(std::string& out, int type, std::string_view data)
{
    const std::size_t length = data.size() + 1;
    if (length < 192) {
        out += static_cast<char>(length);
    } else if (length < 8384) {
        out += static_cast<char>(((length - 192) >> 8) + 192);
        out += static_cast<char>((length - 192) & 0xFF);
    } else {
        out += static_cast<char>(0xFF);
        PutU32(out, static_cast<uint32_t>(length));
    }
    out += static_cast<char>(type);
    out += data;
}

void PutMpi(std::string& out, const std::string& value)
{
    std::size_t start = value.find_first_not_of('\0');
    const std::string bytes = start == std::string::npos ? std::string() : value.substr(start);
    std::size_t bits = bytes.size() * 8;
    for (unsigned char top = bytes.empty() ? 0 : bytes[0]; bits > 0 && !(top & 0x80); top <<= 1)
        --bits;
    PutU16(out, bits);
    out += bytes;
}

std::string Base64(std::string_view data)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < data.size(); i += 3) {
        uint32_t group = static_cast<unsigned char>(data[i]) << 16;
        if (i + 1 < data.size())
            group |= static_cast<unsigned char>(data[i + 1]) << 8;
        if (i + 2 < data.size())
            group |= static_cast<unsigned char>(data[i + 2]);
        out += digits[(group >> 18) & 63];
        out += digits[(group >> 12) & 63];
        out += i + 1 < data.size() ? digits[(group >> 6) & 63] : '=';
        out += i + 2 < data.size() ? digits[group & 63] : '=';
    }
    return out;
}

// The signature packet body of an X.509 record: a generic certification valid from Created for
// ValidFor seconds (0: no end), with the X.509 data in private subpackets of its unhashed area.
std::string X509SigBody(uint32_t created, uint32_t validFor, const std::string& unhashed)
{
    std::string hashed;
    std::string time;
    PutU32(time, created);
    PutSubpacket(hashed, openpgp::kSubCreationTime, time);
    if (validFor) {
        std::string expiry;
        PutU32(expiry, validFor);
        PutSubpacket(hashed, openpgp::kSubSignatureExpiry, expiry);
    }
    std::string body = {4, static_cast<char>(openpgp::kSigGenericCert), static_cast<char>(openpgp::kPKRSA), 8};
    PutU16(body, hashed.size());
    body += hashed;
    PutU16(body, unhashed.size());
    body += unhashed;
    body += std::string(2, '\0');
    PutMpi(body, std::string(1, '\x01')); // no OpenPGP signature value: the X.509 data is the proof
    return body;
}

// A certificate's record carries its times and the certificate itself.
std::string CertificateSigBody(const X509Facts& facts)
{
    std::string unhashed;
    PutSubpacket(unhashed, kSubX509Certificate, facts.der);
    PutSubpacket(unhashed, kSubX509Subject, facts.subject);
    PutSubpacket(unhashed, kSubX509Issuer, facts.issuer);
    return X509SigBody(
        facts.notBefore, facts.notAfter > facts.notBefore ? facts.notAfter - facts.notBefore : 0, unhashed);
}

bool HasSubpacket(const SigRecord& record, int type)
{
    for (const auto& sub : record.signature.unhashed)
        if (sub.type == type)
            return true;
    return false;
}

std::string UserIDText(const X509Facts& facts)
{
    std::string name;
    const std::size_t cn = facts.subject.find("CN=");
    if (cn != std::string::npos)
        name = facts.subject.substr(cn + 3, facts.subject.find(',', cn) - cn - 3);
    if (name.empty())
        name = facts.subject;
    return facts.email.empty() ? name : name + " <" + facts.email + ">";
}

} // namespace

// "YYYYMMDDTHHMMSS" as Unix time; 0 when not set.
uint32_t X509IsoTime(const char* time)
{
    if (!time[0])
        return 0;
    auto number = [&](int at, int digits) {
        int value = 0;
        for (int i = 0; i < digits; ++i)
            value = value * 10 + (time[at + i] - '0');
        return value;
    };
    const int year = number(0, 4), month = number(4, 2), day = number(6, 2);
    // Days from the civil date (proleptic Gregorian), as in the well-known algorithm.
    const int y = year - (month <= 2);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t days = era * 146097LL + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
    const int64_t seconds = days * 86400 + number(9, 2) * 3600 + number(11, 2) * 60 + number(13, 2);
    return seconds < 0 ? 0 : seconds > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<uint32_t>(seconds);
}

bool IsX509(const SigRecord& record)
{
    return HasSubpacket(record, kSubX509Certificate) && !HasSubpacket(record, kSubX509RevocationList);
}

bool IsX509RevocationList(const SigRecord& record)
{
    return HasSubpacket(record, kSubX509RevocationList);
}

std::string X509Field(const SigRecord& record, int type)
{
    for (const auto& sub : record.signature.unhashed)
        if (sub.type == type)
            return sub.data;
    return {};
}

bool X509Expired(const SigRecord& record)
{
    const auto& sig = record.signature;
    return sig.signatureExpiry != 0 && static_cast<uint64_t>(sig.created) + sig.signatureExpiry
        < static_cast<uint64_t>(std::time(nullptr));
}

std::shared_ptr<KeyRecord> X509KeyRecord(const X509Facts& facts)
{
    if (facts.modulus.empty() || facts.exponent.empty() || facts.der.size() > 60000)
        return nullptr;
    std::string keyBody = {4};
    PutU32(keyBody, facts.notBefore);
    keyBody += static_cast<char>(openpgp::kPKRSA);
    PutMpi(keyBody, facts.modulus);
    PutMpi(keyBody, facts.exponent);
    auto key = std::make_shared<KeyRecord>();
    if (openpgp::ParsePublicKey(keyBody, key->key) != kPGPError_NoErr)
        return nullptr;
    SigRecord certificate;
    certificate.packet = CertificateSigBody(facts);
    if (openpgp::ParseSignature(certificate.packet, certificate.signature) != kPGPError_NoErr)
        return nullptr;
    UserIDRecord userID;
    userID.text = UserIDText(facts);
    userID.signatures.push_back(std::move(certificate));
    key->userIDs.push_back(std::move(userID));
    return key;
}

KeyRecord* X509Certifier(KeyDBState& db, KeyRecord& owner, const SigRecord& record)
{
    const std::string issuer = X509Field(record, kSubX509Issuer);
    if (issuer == X509Field(record, kSubX509Subject))
        return &owner;
    for (const auto& key : db.keys)
        for (const auto& userID : key->userIDs)
            for (const auto& candidate : userID.signatures)
                if (IsX509(candidate) && &candidate != &record && X509Field(candidate, kSubX509Subject) == issuer)
                    return key.get();
    return nullptr;
}

SigRecord X509RevocationListRecord(const std::string& der, const std::string& issuer, uint32_t issued)
{
    std::string unhashed;
    PutSubpacket(unhashed, kSubX509Certificate, der);
    PutSubpacket(unhashed, kSubX509Issuer, issuer);
    PutSubpacket(unhashed, kSubX509RevocationList, {});
    SigRecord record;
    record.packet = X509SigBody(issued, 0, unhashed);
    openpgp::ParseSignature(record.packet, record.signature);
    return record;
}

bool X509Revoked(const KeyDBState& db, const SigRecord& certificate)
{
    return X509RevocationListParser().revoked && X509RevocationListParser().revoked(db, certificate);
}

X509RevocationLists& X509RevocationListParser()
{
    static X509RevocationLists parser;
    return parser;
}

std::string X509ExportText(const SigRecord& record, bool armour)
{
    const std::string der = X509Field(record, kSubX509Certificate);
    if (!armour)
        return der;
    const std::string encoded = Base64(der);
    std::string text = "-----BEGIN CERTIFICATE-----\r\n";
    for (std::size_t i = 0; i < encoded.size(); i += 64)
        text += encoded.substr(i, 64) + "\r\n";
    return text + "-----END CERTIFICATE-----\r\n";
}

std::string X509Unbase64(std::string_view text)
{
    std::string out;
    uint32_t group = 0;
    int bits = 0;
    for (char c : text) {
        int value = c >= 'A' && c <= 'Z' ? c - 'A'
            : c >= 'a' && c <= 'z'       ? c - 'a' + 26
            : c >= '0' && c <= '9'       ? c - '0' + 52
            : c == '+'                   ? 62
            : c == '/'                   ? 63
                                         : -1;
        if (value < 0)
            continue;
        group = group << 6 | static_cast<uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((group >> bits) & 0xFF);
        }
    }
    return out;
}

namespace {

// One DER element at `position`: its whole encoding and its content; false when it runs past the end.
bool NextElement(std::string_view der, std::size_t& position, std::string_view& whole, std::string_view& content)
{
    const std::size_t start = position;
    if (der.size() - start < 2)
        return false;
    std::size_t at = start + 1;
    std::size_t length = static_cast<unsigned char>(der[at++]);
    if (length & 0x80) {
        const std::size_t bytes = length & 0x7F;
        if (bytes == 0 || bytes > 4 || der.size() - at < bytes)
            return false;
        length = 0;
        for (std::size_t i = 0; i < bytes; ++i)
            length = (length << 8) | static_cast<unsigned char>(der[at++]);
    }
    if (der.size() - at < length)
        return false;
    content = der.substr(at, length);
    whole = der.substr(start, at + length - start);
    position = at + length;
    return true;
}

std::string DerSequence(std::string_view content)
{
    std::string out(1, '\x30');
    const std::size_t length = content.size();
    if (length < 0x80) {
        out += static_cast<char>(length);
    } else {
        std::string bytes;
        for (std::size_t rest = length; rest; rest >>= 8)
            bytes.insert(bytes.begin(), static_cast<char>(rest & 0xFF));
        out += static_cast<char>(0x80 | bytes.size());
        out += bytes;
    }
    out += content;
    return out;
}

} // namespace

bool X509NameParts(std::string_view der, std::string& issuerAndSerial, std::string& subjectName)
{
    // Certificate ::= SEQUENCE { tbsCertificate SEQUENCE { [0] version OPTIONAL, serialNumber,
    // signature, issuer, validity, subject, ... }, ... }
    std::size_t position = 0;
    std::string_view whole, certificate, tbs, serial, issuer, subject;
    if (!NextElement(der, position, whole, certificate))
        return false;
    position = 0;
    if (!NextElement(certificate, position, whole, tbs))
        return false;
    position = 0;
    std::string_view content;
    if (!NextElement(tbs, position, whole, content))
        return false;
    if (whole[0] == '\xA0' && !NextElement(tbs, position, whole, content))
        return false;
    serial = whole;
    std::string_view algorithm, validity;
    if (!NextElement(tbs, position, algorithm, content) || !NextElement(tbs, position, issuer, content)
        || !NextElement(tbs, position, validity, content) || !NextElement(tbs, position, subject, content))
        return false;
    issuerAndSerial = DerSequence(std::string(issuer) + std::string(serial));
    subjectName = subject;
    return true;
}

X509Reader& X509CertificateReader()
{
    static X509Reader reader;
    return reader;
}

CmsDecoder& CmsMessageDecoder()
{
    static CmsDecoder decoder;
    return decoder;
}

CmsEncoder& CmsMessageEncoder()
{
    static CmsEncoder encoder;
    return encoder;
}

Pkcs12Reader& X509Pkcs12Reader()
{
    static Pkcs12Reader reader;
    return reader;
}

PGPError Pkcs12KeyRecords(const Pkcs12Content& content, std::string_view passphrase,
                          std::vector<std::shared_ptr<KeyRecord>>& keys)
{
    bool keyPlaced = false;
    for (const X509Facts& facts : content.certificates) {
        auto key = X509KeyRecord(facts);
        if (!key)
            return kPGPError_X509BadFormat;
        const bool owner = content.secrets.size() == 4 && !keyPlaced && facts.modulus == content.modulus;
        if (owner) {
            const PGPError status
                = openpgp::ProtectSecretKey(key->key, content.secrets, passphrase, key->secretPacket);
            if (status != kPGPError_NoErr)
                return status;
            keyPlaced = true;
        }
        keys.push_back(std::move(key));
    }
    return keys.empty() ? kPGPError_X509CertMissing : kPGPError_NoErr;
}

} // namespace standin
