// Certificate parser tests: openssl-made certificates checked against what openssl itself reports
// (tests/data/certs/facts.tsv, written by make-certs.sh there), hand-made DER for the corner cases,
// and truncated or corrupted certificates that must be read without leaving the data.
#include "engine/ASN1Tools.h"
#include "engine/KeyFuncsTypes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <vector>

namespace {

const std::string kCertFolder = std::string(ZAVEK_TEST_DATA) + "/certs/";

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

struct TFacts {
    std::string file, version, serial, signature, keyUsage, basicConstraints, issuerSerial;
};

std::vector<TFacts> ReadFacts()
{
    std::ifstream in(kCertFolder + "facts.tsv");
    std::vector<TFacts> facts;
    std::string line;
    std::getline(in, line); // column names
    while (std::getline(in, line)) {
        std::istringstream row(line);
        TFacts f;
        for (std::string* field : { &f.file, &f.version, &f.serial, &f.signature, &f.keyUsage,
                 &f.basicConstraints, &f.issuerSerial })
            std::getline(row, *field, '\t');
        facts.push_back(f);
    }
    return facts;
}

// openssl prints the integer's value: no blanks and no leading zero byte that only keeps it positive.
std::string AsOpensslSerial(const std::string& spaced)
{
    std::string hex;
    for (char c : spaced)
        if (c != ' ')
            hex += c;
    if (hex.size() > 2 && hex.compare(0, 2, "00") == 0)
        hex.erase(0, 2);
    return hex;
}

uint16_t UsageBits(const std::string& names)
{
    static const std::map<std::string, uint16_t> kBits = {
        { "Digital Signature", 0x1 },
        { "Non Repudiation", 0x2 },
        { "Key Encipherment", 0x4 },
        { "Data Encipherment", 0x8 },
        { "Key Agreement", 0x10 },
        { "Certificate Sign", 0x20 },
        { "CRL Sign", 0x40 },
        { "Encipher Only", 0x80 },
        { "Decipher Only", 0x100 },
    };
    uint16_t bits = 0;
    std::istringstream list(names);
    std::string name;
    while (std::getline(list, name, ',')) {
        name.erase(0, name.find_first_not_of(' '));
        EXPECT_TRUE(kBits.count(name)) << name;
        bits |= kBits.count(name) ? kBits.at(name) : 0;
    }
    return bits;
}

TEST(ASN1ToolsPeer, EveryFactMatchesWhatOpensslReports)
{
    // Only RSA (PKCS #1) and DSA signature algorithms with these OIDs are known; the rest read as 0/0.
    const std::map<std::string, std::pair<int32_t, int32_t>> algorithms = {
        { "md5WithRSAEncryption", { 1, 2 } },
        { "sha1WithRSAEncryption", { 1, 3 } },
        { "sha256WithRSAEncryption", { 1, 5 } },
        { "sha384WithRSAEncryption", { 1, 6 } },
        { "sha512WithRSAEncryption", { 1, 7 } },
        { "dsaWithSHA1", { 17, 3 } },
        { "dsa_with_SHA256", { 0, 0 } },
        { "ecdsa-with-SHA256", { 0, 0 } },
        { "ecdsa-with-SHA384", { 0, 0 } },
    };
    const std::vector<TFacts> facts = ReadFacts();
    ASSERT_GE(facts.size(), 10u);
    for (const TFacts& f : facts) {
        SCOPED_TRACE(f.file);
        const std::vector<uint8_t> der = ReadFile(kCertFolder + f.file);
        ASSERT_FALSE(der.empty());
        TX509CertASN1Parser parser;
        parser.ScanCertificate(der.data(), der.size());
        if (f.version == "1") {
            // No explicit version tag: the search for it runs to the end and nothing else is read.
            EXPECT_EQ(parser.Version, 0);
            EXPECT_EQ(parser.Serial, "");
            EXPECT_EQ(parser.KeyAlgorithm, 0);
            EXPECT_EQ(parser.HashCode, 0);
            EXPECT_EQ(parser.KeyUsage, 0x1F);
            continue;
        }
        EXPECT_EQ(std::to_string(parser.Version), f.version);
        EXPECT_EQ(AsOpensslSerial(parser.Serial), f.serial);
        if (f.file == "rsa-sha512-ee-critical.der") { // the sign-keeping zero byte stays in the text
            EXPECT_EQ(parser.Serial, "00 80 00 00 00 00 00 00 01");
        }
        ASSERT_TRUE(algorithms.count(f.signature)) << f.signature;
        EXPECT_EQ(parser.KeyAlgorithm, algorithms.at(f.signature).first);
        EXPECT_EQ(parser.HashCode, algorithms.at(f.signature).second);
        const uint16_t expectedUsage = f.keyUsage != "-" ? UsageBits(f.keyUsage)
            : f.basicConstraints == "CA:TRUE"            ? 0x7F
                                                         : 0x1F;
        EXPECT_EQ(parser.KeyUsage, expectedUsage) << f.keyUsage << " / " << f.basicConstraints;
        EXPECT_EQ(
            parser.ReadDNSerialNumber(der.data(), der.size()), f.issuerSerial == "-" ? "" : f.issuerSerial);

        TX509CertPropsRec record;
        ApplyCertificateFacts(std::string(der.begin(), der.end()), record);
        EXPECT_EQ(record.SerialNumber, parser.Serial);
        EXPECT_EQ(record.KeyAlgorithm, parser.KeyAlgorithm);
        EXPECT_EQ(record.HashAlgorithm, parser.HashCode);
        EXPECT_EQ(record.KeyUsage, parser.KeyUsage);
    }
}

// ---- Hand-made DER ---------------------------------------------------------------------------------

// Short-form lengths only: every hand-made element here stays below 128 bytes.
std::string Tlv(uint8_t tag, const std::string& content)
{
    return std::string { static_cast<char>(tag), static_cast<char>(content.size()) } + content;
}

std::string Hex(const std::string& text)
{
    std::string out;
    std::istringstream pairs(text);
    std::string pair;
    while (pairs >> pair)
        out += static_cast<char>(std::stoi(pair, nullptr, 16));
    return out;
}

std::string Extension(const std::string& oid, bool critical, const std::string& value)
{
    return Tlv(0x30, Tlv(0x06, Hex(oid)) + (critical ? Hex("01 01 FF") : "") + Tlv(0x04, value));
}

// A certificate skeleton: version 3, a serial, sha256WithRSAEncryption, a name, the given extensions.
std::string Certificate(const std::string& extensions, const std::string& uniqueIds = "")
{
    std::string tbs = Hex("A0 03 02 01 02  02 02 01 02  30 0D 06 09 2A 86 48 86 F7 0D 01 01 0B 05 00")
        + Tlv(0x30, Tlv(0x31, Tlv(0x30, Hex("06 03 55 04 03") + Tlv(0x13, "x"))));
    tbs += uniqueIds;
    if (!extensions.empty())
        tbs += Tlv(0xA3, Tlv(0x30, extensions));
    return Tlv(0x30, Tlv(0x30, tbs) + Tlv(0x03, Hex("00 AA")));
}

TX509CertASN1Parser Scan(const std::string& der)
{
    TX509CertASN1Parser parser;
    parser.ScanCertificate(reinterpret_cast<const uint8_t*>(der.data()), der.size());
    return parser;
}

TEST(ASN1ToolsParser, KeyUsageFromExtensions)
{
    const std::string ku = "55 1D 0F", bc = "55 1D 13";
    const std::string caTrue = Tlv(0x30, Hex("01 01 FF")), caFalse = Tlv(0x30, "");
    const struct {
        const char* name;
        std::string extensions;
        uint16_t usage;
    } cases[] = {
        { "no extensions", "", 0x1F },
        { "digitalSignature and keyEncipherment", Extension(ku, true, Hex("03 02 05 A0")), 0x05 },
        { "not critical", Extension(ku, false, Hex("03 02 07 80")), 0x01 },
        { "decipherOnly in a second byte", Extension(ku, true, Hex("03 03 07 80 80")), 0x101 },
        { "unused bits hide set bits", Extension(ku, true, Hex("03 02 06 FF")), 0x03 },
        { "more than three bytes", Extension(ku, true, Hex("03 04 00 80 80 80")), 0x1F },
        { "all bits clear", Extension(ku, true, Hex("03 01 00")), 0x1F },
        { "CA, critical, no keyUsage", Extension(bc, true, caTrue), 0x7F },
        { "CA, not critical", Extension(bc, false, caTrue), 0x7F },
        { "end entity, critical", Extension(bc, true, caFalse), 0x1F },
        { "cA explicitly FALSE", Extension(bc, true, Tlv(0x30, Hex("01 01 00"))), 0x1F },
        { "CA with keyUsage", Extension(bc, true, caTrue) + Extension(ku, true, Hex("03 02 01 06")), 0x60 },
        { "last keyUsage wins",
            Extension(ku, false, Hex("03 02 07 80")) + Extension(ku, false, Hex("03 02 03 08")), 0x10 },
        { "keyUsage value not a BIT STRING", Extension(ku, true, Hex("04 02 05 A0")), 0x1F },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Scan(Certificate(c.extensions)).KeyUsage, c.usage);
    }
    // A unique identifier's bits are data: extensions faked inside them are not read.
    const std::string uniqueId = Tlv(0x82, Hex("A3 0D 30 0B 06 03 55 1D 0F 04 04 03 02 07 80"));
    EXPECT_EQ(Scan(Certificate("", uniqueId)).KeyUsage, 0x1F);
}

TEST(ASN1ToolsParser, ReadLengthForms)
{
    const struct {
        const char* bytes;
        size_t length, position;
    } cases[] = {
        { "02 05", 5, 2 }, { "02 81 C8", 200, 3 }, { "02 82 01 00", 256, 4 },
        { "02 84 7F FF FF FF", 0x7FFFFFFF, 6 },
        { "02 85 00 00 00 00 05", 0, 7 }, // more than four length bytes
        { "02 82 01", 0, 3 }, // length bytes cut off
        { "02", 0, 1 }, // tag alone
        { "02 80", 0, 2 }, // indefinite form
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        const std::string der = Hex(c.bytes);
        size_t position = 0;
        EXPECT_EQ(ReadLength(reinterpret_cast<const uint8_t*>(der.data()), der.size(), position), c.length);
        EXPECT_EQ(position, c.position);
    }
}

// Every prefix and many single-byte corruptions of the fixtures: read without leaving the buffer
// (the sanitizer build fails on any stray read), and a cut certificate never invents a longer serial.
TEST(ASN1ToolsHostile, TruncatedAndCorruptedCertificates)
{
    for (const TFacts& f : ReadFacts()) {
        SCOPED_TRACE(f.file);
        const std::vector<uint8_t> der = ReadFile(kCertFolder + f.file);
        TX509CertASN1Parser whole;
        whole.ScanCertificate(der.data(), der.size());
        for (size_t size = 0; size < der.size(); ++size) {
            const std::vector<uint8_t> cut(der.begin(), der.begin() + static_cast<std::ptrdiff_t>(size));
            TX509CertASN1Parser parser;
            parser.ScanCertificate(cut.data(), cut.size());
            parser.ReadDNSerialNumber(cut.data(), cut.size());
            EXPECT_LE(parser.Serial.size(), whole.Serial.size());
        }
        for (size_t at = 0; at < der.size(); ++at) {
            for (uint8_t value : { 0x00, 0x30, 0x84, 0xFF }) {
                std::vector<uint8_t> bad = der;
                bad[at] = value;
                TX509CertASN1Parser parser;
                parser.ScanCertificate(bad.data(), bad.size());
                parser.ReadDNSerialNumber(bad.data(), bad.size());
            }
        }
    }
}

} // namespace
