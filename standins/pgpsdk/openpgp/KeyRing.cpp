// Grouping packet streams into transferable keys, merging them, and writing them back.
#include "standins/pgpsdk/openpgp/KeyRing.h"
#include "standins/pgpsdk/openpgp/Armor.h"
#include "standins/pgpsdk/openpgp/Packets.h"
#include "standins/pgpsdk/openpgp/Verify.h"

#include <algorithm>

namespace standin::openpgp {
namespace {

// Our trust packet: owner trust, then flags (1 disabled, 2 axiomatic), after a "ZT" mark so a
// trust packet of another program is never taken for ours.
constexpr std::string_view kTrustMark = "ZT";

std::string TrustPacket(const KeyRecord& key)
{
    std::string body(kTrustMark);
    body += static_cast<char>(key.ownerTrust);
    body += static_cast<char>((key.disabled ? 1 : 0) | (key.axiomatic ? 2 : 0));
    return WritePacket(kTagTrust, body);
}

void ReadTrust(KeyRecord& key, std::string_view body)
{
    if (body.size() != 4 || body.substr(0, 2) != kTrustMark)
        return;
    key.ownerTrust = std::min(static_cast<uint8_t>(body[2]), uint8_t { 7 });
    key.disabled = body[3] & 1;
    key.axiomatic = (body[3] & 2) != 0;
}

bool IsCertification(int type) { return type >= kSigGenericCert && type <= kSigPositiveCert; }

// Splits the data into binary key streams: each armoured block, or the data itself.
PGPError BinaryParts(std::string_view data, std::vector<std::string>& parts)
{
    if (data.find("-----BEGIN PGP ") == std::string_view::npos) {
        parts.emplace_back(data);
        return kPGPError_NoErr;
    }
    while (true) {
        Armored block;
        size_t end = 0;
        PGPError status = Dearmor(data, block, &end);
        if (status == kPGPError_UnsupportedFormat)
            return kPGPError_NoErr;
        if (status != kPGPError_NoErr)
            return kPGPError_KeyFileCorrupt;
        parts.push_back(std::move(block.data));
        data.remove_prefix(end);
    }
}

PGPError ReadSig(const Packet& packet, SigRecord& record)
{
    record.packet = packet.body;
    PGPError status = ParseSignature(packet.body, record.signature);
    // A signature of a version we do not know is kept for writing back but ignored.
    return status == kPGPError_UnsupportedFormat ? kPGPError_NoErr : status;
}

} // namespace

bool SignatureVerified(const PublicKey& signer, const KeyRecord& key, const SigRecord& record,
                       const UserIDRecord* userID, const SubKeyRecord* subKey)
{
    if (record.verified < 0) {
        std::string digest = userID ? KeySignatureDigest(key.key, record.signature, userID->text,
                                                         userID->attribute ? kTagUserAttribute : kTagUserID)
            : subKey                ? KeySignatureDigest(key.key, record.signature, subKey->key.body, kTagPublicSubkey)
                                    : KeySignatureDigest(key.key, record.signature, {}, 0);
        record.verified = VerifyDigest(signer, record.signature, digest) ? 1 : 0;
    }
    return record.verified == 1;
}

namespace {

bool SelfMade(const KeyRecord& key, const SigRecord& record, const UserIDRecord* userID, const SubKeyRecord* subKey)
{
    const std::string& issuer = record.signature.issuer;
    return (issuer.empty() || issuer == key.key.KeyID()) && SignatureVerified(key.key, key, record, userID, subKey);
}

// The newest signature of one of the wanted types that the key made over that part.
const SigRecord* NewestSelfMade(const KeyRecord& key, const std::vector<SigRecord>& signatures,
                                bool (*wanted)(int type), const UserIDRecord* userID, const SubKeyRecord* subKey)
{
    const SigRecord* newest = nullptr;
    for (const auto& record : signatures)
        if (wanted(record.signature.type) && (!newest || record.signature.created >= newest->signature.created)
            && SelfMade(key, record, userID, subKey))
            newest = &record;
    return newest;
}

bool IsKeyRevocation(int type) { return type == kSigKeyRevocation; }
bool IsSubkeyBinding(int type) { return type == kSigSubkeyBinding; }
bool IsSubkeyRevocation(int type) { return type == kSigSubkeyRevocation; }

} // namespace

const SigRecord* SelfCertification(const KeyRecord& key, const UserIDRecord& userID)
{
    return NewestSelfMade(key, userID.signatures, IsCertification, &userID, nullptr);
}

const SigRecord* SubKeyBinding(const KeyRecord& key, const SubKeyRecord& sub)
{
    return NewestSelfMade(key, sub.signatures, IsSubkeyBinding, nullptr, &sub);
}

bool KeyRecord::Revoked() const { return NewestSelfMade(*this, directSignatures, IsKeyRevocation, nullptr, nullptr); }

uint32_t KeyRecord::Expiration() const
{
    const UserIDRecord* primary = PrimaryUserID();
    const SigRecord* self = primary ? SelfCertification(*this, *primary) : nullptr;
    if (!self || self->signature.keyExpiry == 0)
        return 0;
    return key.created + self->signature.keyExpiry;
}

const UserIDRecord* KeyRecord::PrimaryUserID() const
{
    const UserIDRecord* first = nullptr;
    const UserIDRecord* firstCertified = nullptr;
    for (const auto& userID : userIDs) {
        if (userID.attribute)
            continue;
        const SigRecord* self = SelfCertification(*this, userID);
        if (self && self->signature.primaryUserID)
            return &userID;
        if (!first)
            first = &userID;
        if (self && !firstCertified)
            firstCertified = &userID;
    }
    return firstCertified ? firstCertified : first;
}

bool SubKeyRevoked(const KeyRecord& key, const SubKeyRecord& sub)
{
    return NewestSelfMade(key, sub.signatures, IsSubkeyRevocation, nullptr, &sub) != nullptr;
}

uint32_t SubKeyExpiration(const KeyRecord& key, const SubKeyRecord& sub)
{
    const SigRecord* binding = SubKeyBinding(key, sub);
    return binding && binding->signature.keyExpiry ? sub.key.created + binding->signature.keyExpiry : 0;
}

PGPError ReadKeyRecords(std::string_view data, std::vector<std::shared_ptr<KeyRecord>>& keys)
{
    std::vector<std::string> parts;
    if (BinaryParts(data, parts) != kPGPError_NoErr)
        return kPGPError_KeyFileCorrupt;
    for (const auto& part : parts) {
        std::vector<Packet> packets;
        if (ParsePackets(part, packets) != kPGPError_NoErr)
            return kPGPError_KeyFileCorrupt;
        std::shared_ptr<KeyRecord> key;
        UserIDRecord* userID = nullptr;
        SubKeyRecord* subKey = nullptr;
        for (const auto& packet : packets) {
            switch (packet.tag) {
            case kTagPublicKey:
            case kTagSecretKey: {
                key = std::make_shared<KeyRecord>();
                userID = nullptr;
                subKey = nullptr;
                if (packet.tag == kTagSecretKey) {
                    SecretKey secret;
                    if (ParseSecretKey(packet.body, secret) != kPGPError_NoErr)
                        return kPGPError_KeyFileCorrupt;
                    key->key = secret.publicKey;
                    key->secretPacket = packet.body;
                } else if (ParsePublicKey(packet.body, key->key) != kPGPError_NoErr) {
                    return kPGPError_KeyFileCorrupt;
                }
                keys.push_back(key);
                break;
            }
            case kTagPublicSubkey:
            case kTagSecretSubkey: {
                if (!key)
                    return kPGPError_KeyFileCorrupt;
                SubKeyRecord record;
                if (packet.tag == kTagSecretSubkey) {
                    SecretKey secret;
                    if (ParseSecretKey(packet.body, secret) != kPGPError_NoErr)
                        return kPGPError_KeyFileCorrupt;
                    record.key = secret.publicKey;
                    record.secretPacket = packet.body;
                } else if (ParsePublicKey(packet.body, record.key) != kPGPError_NoErr) {
                    return kPGPError_KeyFileCorrupt;
                }
                key->subKeys.push_back(std::move(record));
                subKey = &key->subKeys.back();
                userID = nullptr;
                break;
            }
            case kTagUserID:
            case kTagUserAttribute:
                if (!key || subKey)
                    return kPGPError_KeyFileCorrupt;
                key->userIDs.push_back({ std::string(packet.body), packet.tag == kTagUserAttribute, {} });
                userID = &key->userIDs.back();
                break;
            case kTagSignature: {
                if (!key)
                    return kPGPError_KeyFileCorrupt;
                SigRecord record;
                if (ReadSig(packet, record) != kPGPError_NoErr)
                    return kPGPError_KeyFileCorrupt;
                auto& list = subKey ? subKey->signatures : userID ? userID->signatures : key->directSignatures;
                list.push_back(std::move(record));
                break;
            }
            case kTagTrust:
                if (key && !userID && !subKey)
                    ReadTrust(*key, packet.body);
                break;
            default:
                break; // markers, certificates of later units and unknown packets
            }
        }
    }
    return kPGPError_NoErr;
}

void MergeKeyRecords(std::vector<std::shared_ptr<KeyRecord>>& into, const std::vector<std::shared_ptr<KeyRecord>>& from)
{
    for (const auto& key : from) {
        auto same = std::find_if(into.begin(), into.end(),
                                 [&](const auto& k) { return k->key.Fingerprint() == key->key.Fingerprint(); });
        if (same == into.end()) {
            into.push_back(key);
            continue;
        }
        KeyRecord& target = **same;
        if (!target.HasSecret())
            target.secretPacket = key->secretPacket;
        for (const auto& userID : key->userIDs) {
            auto match = std::find_if(target.userIDs.begin(), target.userIDs.end(), [&](const UserIDRecord& u) {
                return u.text == userID.text && u.attribute == userID.attribute;
            });
            if (match == target.userIDs.end()) {
                target.userIDs.push_back(userID);
                continue;
            }
            for (const auto& sig : userID.signatures)
                if (std::none_of(match->signatures.begin(), match->signatures.end(),
                                 [&](const SigRecord& s) { return s.packet == sig.packet; }))
                    match->signatures.push_back(sig);
        }
        for (const auto& sub : key->subKeys) {
            auto match = std::find_if(target.subKeys.begin(), target.subKeys.end(), [&](const SubKeyRecord& s) {
                return s.key.Fingerprint() == sub.key.Fingerprint();
            });
            if (match == target.subKeys.end())
                target.subKeys.push_back(sub);
            else if (match->secretPacket.empty())
                match->secretPacket = sub.secretPacket;
        }
    }
}

std::string WriteKeyRecord(const KeyRecord& key, bool secretPrimary, bool secretSubKeys, bool withTrust)
{
    // Certificate signatures (private subpacket 100) are ours alone: key files keep them,
    // OpenPGP exports leave them out.
    auto isCertificate = [](const SigRecord& record) {
        for (const auto& sub : record.signature.unhashed)
            if (sub.type == 100)
                return true;
        return false;
    };
    auto writeSigs = [&](std::string& out, const std::vector<SigRecord>& signatures) {
        for (const auto& record : signatures)
            if (withTrust || !isCertificate(record))
                out += WritePacket(kTagSignature, record.packet);
    };
    std::string out;
    bool secretKey = secretPrimary && key.HasSecret();
    out += WritePacket(secretKey ? kTagSecretKey : kTagPublicKey, secretKey ? key.secretPacket : key.key.body);
    if (withTrust)
        out += TrustPacket(key);
    writeSigs(out, key.directSignatures);
    for (const auto& userID : key.userIDs) {
        out += WritePacket(userID.attribute ? kTagUserAttribute : kTagUserID, userID.text);
        writeSigs(out, userID.signatures);
    }
    for (const auto& sub : key.subKeys) {
        bool secretSub = secretSubKeys && !sub.secretPacket.empty();
        out += WritePacket(secretSub ? kTagSecretSubkey : kTagPublicSubkey, secretSub ? sub.secretPacket : sub.key.body);
        writeSigs(out, sub.signatures);
    }
    return out;
}

} // namespace standin::openpgp
