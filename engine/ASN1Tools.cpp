// Certificate facts from DER data by a forward walk over tags. Every length is checked against what
// remains before a byte is read; the walk never recurses, so nesting depth cannot exhaust anything.
#include "engine/ASN1Tools.h"

#include "engine/KeyFuncsTypes.h"
#include "foundation/StrUtil.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kVersionTag = "\xA0"sv;
constexpr std::string_view kInteger = "\x02"sv;
constexpr std::string_view kObjectId = "\x06"sv;
constexpr std::string_view kDsaPrefix = "\x2A\x86\x48\xCE\x38\x04"sv;
constexpr std::string_view kPkcs1Prefix = "\x2A\x86\x48\x86\xF7\x0D\x01\x01"sv;
constexpr std::string_view kExtensionsTag = "\xA3"sv;
constexpr std::string_view kKeyUsageOid = "\x55\x1D\x0F"sv;
constexpr std::string_view kBasicConstraintsOid = "\x55\x1D\x13"sv;
constexpr std::string_view kBooleanTrue = "\x01\x01\xFF"sv;
constexpr std::string_view kDNSerialNumber = "\x06\x03\x55\x04\x05\x13"sv;

constexpr uint8_t kOctetStringTag = 0x04;
constexpr uint8_t kBitStringTag = 0x03;
constexpr uint8_t kSequenceTag = 0x30;
constexpr uint8_t kConstructedBit = 0x20;
constexpr uint8_t kBooleanTag = 0x01;
// A key-usage BIT STRING longer than this (unused-bits byte and two bytes) is not one we know.
constexpr size_t kMaxKeyUsageBytes = 3;
constexpr uint16_t kKeyUsageBits = 0x1FF;
// Usage assumed when the certificate names none: signing and encryption, plus certifying for a CA.
constexpr uint16_t kDefaultUsage = 0x1F;
constexpr uint16_t kDefaultCAUsage = 0x7F;

bool StartsWith(const uint8_t* data, size_t size, std::string_view pattern)
{
    return size >= pattern.size() && std::memcmp(data, pattern.data(), pattern.size()) == 0;
}

bool MatchesAt(const uint8_t* data, size_t length, size_t position, std::string_view pattern)
{
    return position <= length && StartsWith(data + position, length - position, pattern);
}

// Reads the tag at `position` when it is `tag` and returns its content length, or 0.
size_t EnterElement(uint8_t tag, const uint8_t* data, size_t length, size_t& position)
{
    if (position >= length || data[position] != tag)
        return 0;
    const size_t content = ReadLength(data, length, position);
    return content <= length - position ? content : 0;
}

std::string SpacedHex(const uint8_t* bytes, size_t size)
{
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        char pair[2];
        ByteToHexPair(bytes[i], pair);
        if (i > 0)
            text += ' ';
        text.append(pair, 2);
    }
    return text;
}

// The keyUsage value after its OID: an optional critical flag, the OCTET STRING, the BIT STRING.
uint32_t ReadKeyUsageValue(const uint8_t* data, size_t length, size_t position)
{
    if (MatchesAt(data, length, position, kBooleanTrue))
        position += kBooleanTrue.size();
    if (EnterElement(kOctetStringTag, data, length, position) == 0)
        return 0;
    if (position >= length || data[position] != kBitStringTag)
        return 0;
    const size_t count = ReadLength(data, length, position);
    if (count > kMaxKeyUsageBytes)
        return 0;
    return ReadBitString(data, length, count, position);
}

// Whether the basicConstraints value after its OID says cA TRUE. The critical flag that may follow
// the OID says nothing about the certificate being a CA, so it is stepped over.
bool ReadIsCA(const uint8_t* data, size_t length, size_t position)
{
    if (MatchesAt(data, length, position, kBooleanTrue))
        position += kBooleanTrue.size();
    if (EnterElement(kOctetStringTag, data, length, position) == 0)
        return false;
    const size_t sequence = EnterElement(kSequenceTag, data, length, position);
    return sequence >= 3 && data[position] == kBooleanTag && data[position + 1] == 1
        && data[position + 2] != 0;
}

uint16_t ReadKeyUsage(const uint8_t* data, size_t length, size_t position)
{
    uint32_t usage = 0;
    bool isCA = false;
    if (FindTag(kExtensionsTag, data, length, position) > 0) {
        while (position < length) {
            const size_t oidSize = FindTag(kObjectId, data, length, position);
            if (oidSize == 0)
                break;
            const size_t afterOid = position + oidSize;
            if (oidSize == 3 && StartsWith(data + position, oidSize, kKeyUsageOid))
                usage = ReadKeyUsageValue(data, length, afterOid);
            else if (oidSize == 3 && StartsWith(data + position, oidSize, kBasicConstraintsOid))
                isCA = ReadIsCA(data, length, afterOid);
            position = afterOid;
        }
    }
    const uint16_t bits = static_cast<uint16_t>(usage & kKeyUsageBits);
    if (bits != 0)
        return bits;
    return isCA ? kDefaultCAUsage : kDefaultUsage;
}

} // namespace

size_t ReadLength(const uint8_t* data, size_t length, size_t& position)
{
    ++position;
    if (position >= length) {
        position = length;
        return 0;
    }
    const uint8_t first = data[position++];
    if (first < 0x80)
        return first;
    const size_t count = first & 0x7F;
    if (count > 4 || count > length - position) {
        position = std::min(position + count, length);
        return 0;
    }
    size_t value = 0;
    for (size_t i = 0; i < count; ++i)
        value = (value << 8) | data[position++];
    return value;
}

size_t FindTag(std::string_view pattern, const uint8_t* data, size_t length, size_t& position)
{
    while (position < length && pattern.size() <= length - position) {
        const uint8_t tag = data[position];
        const bool found = StartsWith(data + position, length - position, pattern);
        const size_t content = ReadLength(data, length, position);
        if (found) {
            if (content <= length - position)
                return content;
            break;
        }
        // Only structures are entered: the content of a primitive element (such as a unique
        // identifier's random bits) is data, and read as tags it could pose as any field.
        if (tag < kSequenceTag || !(tag & kConstructedBit))
            position += std::min(content, length - position);
    }
    position = length;
    return 0;
}

uint8_t ReverseBits(uint8_t value)
{
    uint8_t reversed = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (value & (1u << bit))
            reversed |= static_cast<uint8_t>(0x80u >> bit);
    return reversed;
}

uint32_t ReadBitString(const uint8_t* data, size_t length, size_t count, size_t& position)
{
    if (position > length || count > length - position)
        return 0;
    const uint8_t* bytes = data + position;
    position += count;
    if (count < 2)
        return 0;
    const unsigned unused = bytes[0];
    uint32_t value = unused >= 8 ? 0u : ReverseBits(bytes[count - 1]) & (0xFFu >> unused);
    for (size_t i = count - 2; i >= 1; --i)
        value = (value << 8) + ReverseBits(bytes[i]);
    return value;
}

void TX509CertASN1Parser::ScanCertificate(const uint8_t* data, size_t length)
{
    *this = TX509CertASN1Parser();
    size_t position = 0;
    FindTag(kVersionTag, data, length, position);
    size_t content = FindTag(kInteger, data, length, position);
    if (content > 0) {
        Version = data[position] + 1;
        position += content;
    }
    content = FindTag(kInteger, data, length, position);
    if (content > 0) {
        Serial = SpacedHex(data + position, content);
        position += content;
    }
    content = FindTag(kObjectId, data, length, position);
    if (content > 0) {
        ReadAlgorithm(data + position, content);
        position += content;
    }
    KeyUsage = ReadKeyUsage(data, length, position);
}

void TX509CertASN1Parser::ReadAlgorithm(const uint8_t* oid, size_t size)
{
    if (size == kDsaPrefix.size() + 1 && StartsWith(oid, size, kDsaPrefix)) {
        KeyAlgorithm = 17;
        if (oid[size - 1] == 3)
            HashCode = 3;
    } else if (size == kPkcs1Prefix.size() + 1 && StartsWith(oid, size, kPkcs1Prefix)) {
        KeyAlgorithm = 1;
        switch (oid[size - 1]) {
        case 2:
            HashCode = 1;
            break;
        case 4:
            HashCode = 2;
            break;
        case 5:
            HashCode = 3;
            break;
        case 11:
            HashCode = 5;
            break;
        case 12:
            HashCode = 6;
            break;
        case 13:
            HashCode = 7;
            break;
        default:
            break;
        }
    }
}

std::string TX509CertASN1Parser::ReadDNSerialNumber(const uint8_t* data, size_t length) const
{
    size_t position = 0;
    const size_t oidSize = FindTag(kDNSerialNumber, data, length, position);
    if (oidSize == 0)
        return {};
    position += oidSize;
    const size_t size = EnterElement(static_cast<uint8_t>(kDNSerialNumber.back()), data, length, position);
    return std::string(reinterpret_cast<const char*>(data + position), size);
}

void ApplyCertificateFacts(const std::string& certificate, TX509CertPropsRec& record)
{
    TX509CertASN1Parser parser;
    parser.ScanCertificate(reinterpret_cast<const uint8_t*>(certificate.data()), certificate.size());
    record.SerialNumber = parser.Serial;
    record.KeyAlgorithm = parser.KeyAlgorithm;
    record.HashAlgorithm = parser.HashCode;
    record.KeyUsage = parser.KeyUsage;
}

std::string DNSerialNumber(const std::string& encodedName)
{
    return TX509CertASN1Parser().ReadDNSerialNumber(
        reinterpret_cast<const uint8_t*>(encodedName.data()), encodedName.size());
}
