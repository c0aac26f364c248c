// Parsing signature packets and their subpacket areas.
#include "standins/pgpsdk/openpgp/Signature.h"
#include "standins/pgpsdk/openpgp/ByteReader.h"

namespace standin::openpgp {
namespace {

uint32_t BigEndian32(std::string_view data)
{
    uint32_t value = 0;
    for (char c : data.substr(0, 4))
        value = value << 8 | static_cast<uint8_t>(c);
    return value;
}

bool ReadSubpackets(std::string_view area, std::vector<Subpacket>& out)
{
    ByteReader in(area);
    while (!in.AtEnd()) {
        uint8_t first;
        in.U8(first);
        uint32_t length;
        if (first < 192) {
            length = first;
        } else if (first < 255) {
            uint8_t second;
            if (!in.U8(second))
                return false;
            length = ((first - 192) << 8) + second + 192;
        } else if (!in.U32(length)) {
            return false;
        }
        std::string_view data;
        uint8_t type;
        if (length == 0 || !in.U8(type) || !in.Bytes(length - 1, data))
            return false;
        out.push_back({ type & 0x7F, (type & 0x80) != 0, std::string(data) });
    }
    return true;
}

std::vector<int> ByteList(std::string_view data) { return std::vector<int>(data.begin(), data.end()); }

void Interpret(Signature& s, const Subpacket& sub, bool hashed)
{
    switch (sub.type) {
    case kSubCreationTime:
        if (hashed && sub.data.size() == 4)
            s.created = BigEndian32(sub.data);
        break;
    case kSubSignatureExpiry:
        if (hashed && sub.data.size() == 4)
            s.signatureExpiry = BigEndian32(sub.data);
        break;
    case kSubKeyExpiry:
        if (hashed && sub.data.size() == 4)
            s.keyExpiry = BigEndian32(sub.data);
        break;
    case kSubIssuer:
        if (sub.data.size() == 8 && s.issuer.empty())
            s.issuer = sub.data;
        break;
    case kSubIssuerFingerprint:
        if (sub.data.size() == 21 && sub.data[0] == 4 && s.issuer.empty())
            s.issuer = sub.data.substr(13);
        break;
    case kSubKeyFlags:
        if (hashed && !sub.data.empty())
            s.keyFlags = static_cast<uint8_t>(sub.data[0]);
        break;
    case kSubPrimaryUserID:
        if (hashed && !sub.data.empty())
            s.primaryUserID = sub.data[0] != 0;
        break;
    case kSubPreferredCiphers:
        if (hashed)
            s.preferredCiphers = ByteList(sub.data);
        break;
    case kSubPreferredHashes:
        if (hashed)
            s.preferredHashes = ByteList(sub.data);
        break;
    case kSubPreferredCompression:
        if (hashed)
            s.preferredCompression = ByteList(sub.data);
        break;
    default:
        break;
    }
}

bool ReadMpis(ByteReader& in, Signature& s)
{
    while (!in.AtEnd()) {
        std::string value;
        if (!in.Mpi(value))
            return false;
        s.mpis.push_back(std::move(value));
    }
    return !s.mpis.empty();
}

} // namespace

PGPError ParseSignature(std::string_view body, Signature& s)
{
    s = Signature {};
    ByteReader in(body);
    uint8_t version;
    if (!in.U8(version))
        return kPGPError_CorruptData;
    s.version = version;
    uint8_t type, publicKey, hash;
    if (version == 3 || version == 2) {
        uint8_t hashedLength;
        std::string_view hashed;
        if (!in.U8(hashedLength) || hashedLength != 5 || !in.Bytes(5, hashed))
            return kPGPError_CorruptData;
        s.hashedData.assign(hashed);
        s.type = static_cast<uint8_t>(hashed[0]);
        s.created = BigEndian32(hashed.substr(1));
        if (!in.Bytes(8, s.issuer) || !in.U8(publicKey) || !in.U8(hash) || !in.Bytes(2, s.left16))
            return kPGPError_CorruptData;
    } else if (version == 4) {
        uint16_t hashedLength, unhashedLength;
        std::string_view hashedArea, unhashedArea;
        if (!in.U8(type) || !in.U8(publicKey) || !in.U8(hash) || !in.U16(hashedLength)
            || !in.Bytes(hashedLength, hashedArea))
            return kPGPError_CorruptData;
        s.hashedData.assign(body.substr(0, 6 + hashedLength));
        if (!in.U16(unhashedLength) || !in.Bytes(unhashedLength, unhashedArea) || !in.Bytes(2, s.left16))
            return kPGPError_CorruptData;
        s.type = type;
        if (!ReadSubpackets(hashedArea, s.hashed) || !ReadSubpackets(unhashedArea, s.unhashed))
            return kPGPError_CorruptData;
        for (const auto& sub : s.hashed)
            Interpret(s, sub, true);
        for (const auto& sub : s.unhashed)
            Interpret(s, sub, false);
    } else {
        return kPGPError_UnsupportedFormat;
    }
    s.publicKeyAlgorithm = publicKey;
    s.hashAlgorithm = hash;
    return ReadMpis(in, s) ? kPGPError_NoErr : kPGPError_CorruptData;
}

} // namespace standin::openpgp
