// Properties of keys, sub-keys, user ids and signatures, and the key filters built on them.
#include "standins/pgpsdk/Guard.h"
#include "standins/pgpsdk/Objects.h"
#include "standins/pgpsdk/StandInExports.h"
#include "standins/pgpsdk/X509Certs.h"

#include <algorithm>
#include <cstring>
#include <ctime>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace standin {
namespace {

using openpgp::Signature;

uint32_t Now() { return static_cast<uint32_t>(std::time(nullptr)); }

bool Expired(uint32_t expiration) { return expiration != 0 && expiration <= Now(); }

// Key flags of the primary user id's valid self-certification, -1 when absent.
int PrimaryKeyFlags(const KeyRecord& key)
{
    const UserIDRecord* primary = key.PrimaryUserID();
    const SigRecord* self = primary ? openpgp::SelfCertification(key, *primary) : nullptr;
    return self ? self->signature.keyFlags : -1;
}

// A sub-key counts only with a valid binding, unrevoked and unexpired.
bool SubKeyUsable(const KeyRecord& key, const SubKeyRecord& sub, int& flags)
{
    const SigRecord* binding = openpgp::SubKeyBinding(key, sub);
    flags = binding ? binding->signature.keyFlags : -1;
    return binding && !openpgp::SubKeyRevoked(key, sub) && !Expired(openpgp::SubKeyExpiration(key, sub));
}

bool CanEncrypt(const KeyRecord& key, bool needSecret)
{
    if (key.Revoked() || Expired(key.Expiration()))
        return false;
    int flags = PrimaryKeyFlags(key);
    if (key.key.CanEncrypt() && (flags < 0 || (flags & 0x0C)) && (!needSecret || key.HasSecret()))
        return true;
    for (const auto& sub : key.subKeys) {
        int subFlags = -1;
        if (SubKeyUsable(key, sub, subFlags) && sub.key.CanEncrypt() && (subFlags < 0 || (subFlags & 0x0C))
            && (!needSecret || !sub.secretPacket.empty()))
            return true;
    }
    return false;
}

bool CanSign(const KeyRecord& key, bool needSecret) { return SigningKeyOf(key, needSecret).publicKey != nullptr; }

} // namespace

TSigningPart SigningKeyOf(const KeyRecord& key, bool needSecret)
{
    if (key.Revoked() || Expired(key.Expiration()))
        return {};
    int flags = PrimaryKeyFlags(key);
    if (key.key.CanSign() && (flags < 0 || (flags & 0x02)) && (!needSecret || key.HasSecret()))
        return { &key.key, &key.secretPacket };
    // A certify-only primary key signs through its newest usable signing sub-key.
    TSigningPart chosen;
    for (const auto& sub : key.subKeys) {
        int subFlags = -1;
        if (SubKeyUsable(key, sub, subFlags) && sub.key.CanSign() && subFlags >= 0 && (subFlags & 0x02)
            && (!needSecret || !sub.secretPacket.empty())
            && (!chosen.publicKey || sub.key.created >= chosen.publicKey->created))
            chosen = { &sub.key, &sub.secretPacket };
    }
    return chosen;
}

const openpgp::PublicKey* EncryptionKeyOf(const KeyRecord& key)
{
    if (key.Revoked() || Expired(key.Expiration()))
        return nullptr;
    const openpgp::PublicKey* chosen = nullptr;
    for (const auto& sub : key.subKeys) {
        int flags = -1;
        if (SubKeyUsable(key, sub, flags) && sub.key.CanEncrypt() && (flags < 0 || (flags & 0x0C))
            && (!chosen || sub.key.created >= chosen->created))
            chosen = &sub.key;
    }
    int flags = PrimaryKeyFlags(key);
    if (!chosen && key.key.CanEncrypt() && (flags < 0 || (flags & 0x0C)))
        chosen = &key.key;
    return chosen;
}

std::vector<int> PreferredCiphersOf(const KeyRecord& key)
{
    const UserIDRecord* primary = key.PrimaryUserID();
    const SigRecord* self = primary ? openpgp::SelfCertification(key, *primary) : nullptr;
    return self ? self->signature.preferredCiphers : std::vector<int> {};
}

namespace {

PGPError KeyBoolean(const KeyRecord& key, int32_t property, bool& value)
{
    switch (property) {
    case kPGPKeyProperty_IsSecret:
        value = key.HasSecret();
        break;
    case kPGPKeyProperty_IsAxiomatic:
        value = key.axiomatic;
        break;
    case kPGPKeyProperty_IsRevoked:
        value = key.Revoked();
        break;
    case kPGPKeyProperty_IsDisabled:
        value = key.disabled;
        break;
    case kPGPKeyProperty_IsNotCorrupt:
        value = true;
        break;
    case kPGPKeyProperty_IsExpired:
        value = Expired(key.Expiration());
        break;
    case kPGPKeyProperty_CanEncrypt:
        value = CanEncrypt(key, false);
        break;
    case kPGPKeyProperty_CanDecrypt:
        value = CanEncrypt(key, true);
        break;
    case kPGPKeyProperty_CanSign:
        value = CanSign(key, true);
        break;
    case kPGPKeyProperty_CanVerify:
        value = CanSign(key, false);
        break;
    case kPGPKeyProperty_IsSecretShared:
        value = false;
        break;
    default:
        return kPGPError_UnknownProperty;
    }
    return kPGPError_NoErr;
}

bool KeyNumberKnown(int32_t property)
{
    return property == kPGPKeyProperty_AlgorithmID || property == kPGPKeyProperty_Bits
        || property == kPGPKeyProperty_Trust || property == kPGPKeyProperty_Validity
        || property == kPGPKeyProperty_PreferredHash || property == kPGPKeyProperty_Version;
}

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool TextMatches(const std::string& text, const std::string& wanted, int32_t match)
{
    std::string a = LowerAscii(text), b = LowerAscii(wanted);
    return match == kPGPMatch_SubString ? a.find(b) != std::string::npos : a == b;
}

bool NumberMatches(int32_t value, int32_t wanted, int32_t match)
{
    switch (match) {
    case kPGPMatch_GreaterOrEqual:
        return value >= wanted;
    case kPGPMatch_LessOrEqual:
        return value <= wanted;
    default:
        return value == wanted;
    }
}

// A key-id record matches an 8-byte id fully, or a short record its low 4 bytes.
bool KeyIDMatches(const std::string& filterRecord, const std::string& id8)
{
    if (filterRecord.size() < 12 || id8.size() != 8)
        return false;
    auto length = static_cast<uint8_t>(filterRecord[0]);
    if (length == 8)
        return filterRecord.compare(4, 8, id8) == 0;
    return length == 4 && filterRecord.compare(8, 4, id8, 4, 4) == 0;
}

PGPError CopyOut(const std::string& data, void* buffer, PGPSize size, PGPSize* length)
{
    if (!length)
        return kPGPError_BadParams;
    *length = static_cast<PGPSize>(data.size());
    if (!buffer || size < data.size())
        return kPGPError_BufferTooSmall;
    std::memcpy(buffer, data.data(), data.size());
    return kPGPError_NoErr;
}

std::shared_ptr<KeyObject> ObjectOf(PGPKeyDBObjRef handle)
{
    return Handles().Get<KeyObject>(handle, ObjectKind::KeyDBObj);
}

// A user-id signature checked against its issuer: the key itself, or another key of the database.
bool SignatureVerified(const KeyObject& object)
{
    const std::string& issuer = object.signature->signature.issuer;
    const KeyRecord* signer = nullptr;
    if (issuer.empty() || issuer == object.key->key.KeyID()) {
        signer = object.key;
    } else {
        for (const auto& key : object.db->keys)
            if (key->key.KeyID() == issuer)
                signer = key.get();
    }
    return signer && openpgp::SignatureVerified(signer->key, *object.key, *object.signature, object.userID, nullptr);
}

PGPError NewFilter(PGPContextRef context, std::shared_ptr<Filter> filter, PGPFilterRef* out)
{
    if (!out)
        return kPGPError_BadParams;
    *out = 0;
    if (!Handles().Contains(context, ObjectKind::Context))
        return kPGPError_BadParams;
    if (!FilterPropertyKnown(filter->op, filter->property))
        return kPGPError_UnknownProperty;
    *out = Handles().Add(ObjectKind::Filter, std::move(filter));
    return kPGPError_NoErr;
}

PGPError Combine(Filter::Op op, PGPFilterRef a, PGPFilterRef b, PGPFilterRef* out)
{
    if (!out)
        return kPGPError_BadParams;
    *out = 0;
    auto first = Handles().Get<Filter>(a, ObjectKind::Filter);
    auto second = op == Filter::Op::Negate ? nullptr : Handles().Get<Filter>(b, ObjectKind::Filter);
    if (!first || (op != Filter::Op::Negate && !second))
        return kPGPError_BadParams;
    auto combined = std::make_shared<Filter>();
    combined->op = op;
    combined->first = first;
    combined->second = second;
    *out = Handles().Add(ObjectKind::Filter, std::move(combined));
    return kPGPError_NoErr;
}

} // namespace

std::string UserIDName(const std::string& text)
{
    size_t end = text.find_first_of("<(");
    std::string name = text.substr(0, end);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

std::string UserIDEmail(const std::string& text)
{
    size_t open = text.rfind('<');
    size_t close = text.rfind('>');
    if (open != std::string::npos && close != std::string::npos && close > open)
        return text.substr(open + 1, close - open - 1);
    return text.find('@') != std::string::npos && text.find(' ') == std::string::npos ? text : std::string();
}

int KeyValidity(const KeyDBState& db, const KeyRecord& key)
{
    auto ownKey = [](const KeyRecord& k) { return k.axiomatic || k.HasSecret(); };
    if (ownKey(key))
        return 3;
    for (const auto& userID : key.userIDs)
        for (const auto& record : userID.signatures) {
            const std::string& issuer = record.signature.issuer;
            if (issuer.empty() || issuer == key.key.KeyID() || record.signature.type < openpgp::kSigGenericCert
                || record.signature.type > openpgp::kSigPositiveCert)
                continue;
            for (const auto& certifier : db.keys)
                if (ownKey(*certifier) && certifier->key.KeyID() == issuer
                    && openpgp::SignatureVerified(certifier->key, key, record, &userID, nullptr))
                    return 3;
        }
    return 0;
}

int32_t KeyNumber(const KeyDBState& db, const KeyRecord& key, int32_t property)
{
    switch (property) {
    case kPGPKeyProperty_AlgorithmID:
        return key.key.algorithm;
    case kPGPKeyProperty_Bits:
        return key.key.Bits();
    case kPGPKeyProperty_Trust:
        return key.ownerTrust;
    case kPGPKeyProperty_Validity:
        return KeyValidity(db, key);
    case kPGPKeyProperty_PreferredHash: {
        const UserIDRecord* primary = key.PrimaryUserID();
        const SigRecord* self = primary ? openpgp::SelfCertification(key, *primary) : nullptr;
        return self && !self->signature.preferredHashes.empty() ? self->signature.preferredHashes.front() : 0;
    }
    case kPGPKeyProperty_Version:
        return key.key.version;
    default:
        return 0;
    }
}

bool FilterPropertyKnown(Filter::Op op, int32_t property)
{
    bool unused;
    switch (op) {
    case Filter::Op::Boolean:
        return property == kPGPSigProperty_IsX509 || KeyBoolean(KeyRecord {}, property, unused) == kPGPError_NoErr;
    case Filter::Op::Numeric:
        return KeyNumberKnown(property);
    case Filter::Op::Data:
        return property == kPGPKeyProperty_KeyID || property == kPGPSubKeyProperty_KeyID
            || property == kPGPSigProperty_KeyID || property == kPGPUserIDProperty_Name
            || property == kPGPUserIDProperty_CommonName || property == kPGPUserIDProperty_EmailAddress;
    default:
        return true;
    }
}

bool FilterMatches(const Filter& filter, const KeyDBState& db, const KeyRecord& key)
{
    switch (filter.op) {
    case Filter::Op::Boolean: {
        bool value = false;
        if (filter.property == kPGPSigProperty_IsX509) { // keys that hold a certificate
            for (const auto& userID : key.userIDs)
                value = value || std::any_of(userID.signatures.begin(), userID.signatures.end(), IsX509);
            return value == (filter.value != 0);
        }
        return KeyBoolean(key, filter.property, value) == kPGPError_NoErr && value == (filter.value != 0);
    }
    case Filter::Op::Numeric:
        return NumberMatches(KeyNumber(db, key, filter.property), filter.value, filter.match);
    case Filter::Op::Data:
        switch (filter.property) {
        case kPGPKeyProperty_KeyID:
            return KeyIDMatches(filter.data, key.key.KeyID());
        case kPGPSubKeyProperty_KeyID:
            return std::any_of(key.subKeys.begin(), key.subKeys.end(),
                               [&](const SubKeyRecord& sub) { return KeyIDMatches(filter.data, sub.key.KeyID()); });
        case kPGPSigProperty_KeyID:
            return std::any_of(key.userIDs.begin(), key.userIDs.end(), [&](const UserIDRecord& userID) {
                return std::any_of(userID.signatures.begin(), userID.signatures.end(),
                                   [&](const SigRecord& sig) { return KeyIDMatches(filter.data, sig.signature.issuer); });
            });
        default:
            return std::any_of(key.userIDs.begin(), key.userIDs.end(), [&](const UserIDRecord& userID) {
                if (userID.attribute)
                    return false;
                const std::string text = filter.property == kPGPUserIDProperty_CommonName ? UserIDName(userID.text)
                    : filter.property == kPGPUserIDProperty_EmailAddress                 ? UserIDEmail(userID.text)
                                                                                          : userID.text;
                return TextMatches(text, filter.data, filter.match);
            });
        }
    case Filter::Op::Union:
        return FilterMatches(*filter.first, db, key) || FilterMatches(*filter.second, db, key);
    case Filter::Op::Intersect:
        return FilterMatches(*filter.first, db, key) && FilterMatches(*filter.second, db, key);
    case Filter::Op::Negate:
        return !FilterMatches(*filter.first, db, key);
    }
    return false;
}

} // namespace standin

using namespace standin;

extern "C" {

PGPError PGP_CDECL PGPGetKeyDBObjBooleanProperty(PGPKeyDBObjRef obj, int32_t property, PGPBoolean* out)
{
    return Guarded([&]() -> PGPError {
        auto object = ObjectOf(obj);
        if (!object || !out)
            return kPGPError_BadParams;
        bool value = false;
        PGPError status = kPGPError_WrongObjectKind;
        switch (object->kind) {
        case KeyObjectKind::Key:
            status = KeyBoolean(*object->key, property, value);
            break;
        case KeyObjectKind::SubKey:
            status = kPGPError_NoErr;
            if (property == kPGPSubKeyProperty_IsRevoked)
                value = openpgp::SubKeyRevoked(*object->key, *object->subKey);
            else if (property == kPGPSubKeyProperty_IsExpired)
                value = Expired(openpgp::SubKeyExpiration(*object->key, *object->subKey));
            else
                status = property / 100 == 5 ? kPGPError_UnknownProperty : kPGPError_WrongObjectKind;
            break;
        case KeyObjectKind::UserID:
            status = kPGPError_NoErr;
            if (property == kPGPUserIDProperty_IsAttribute)
                value = object->userID->attribute;
            else
                status = property / 100 == 9 ? kPGPError_UnknownProperty : kPGPError_WrongObjectKind;
            break;
        case KeyObjectKind::Signature: {
            const Signature& sig = object->signature->signature;
            status = kPGPError_NoErr;
            const bool x509 = IsX509(*object->signature);
            // A certificate was read whole at import; its own signature is checked in chains.
            if (x509 && (property == kPGPSigProperty_IsNotCorrupt || property == kPGPSigProperty_IsVerified))
                value = true;
            else if (x509 && property == kPGPSigProperty_IsExpired)
                value = X509Expired(*object->signature);
            else if (x509 && property == kPGPSigProperty_IsRevoked)
                value = X509Revoked(*object->db, *object->signature);
            else if (property == kPGPSigProperty_IsRevoked)
                value = false; // certification revocations are not tracked per signature
            else if (property == kPGPSigProperty_IsNotCorrupt)
                value = !sig.mpis.empty();
            else if (property == kPGPSigProperty_IsVerified)
                value = SignatureVerified(*object);
            else if (property == kPGPSigProperty_IsExpired)
                value = sig.signatureExpiry != 0 && Expired(sig.created + sig.signatureExpiry);
            else if (property == kPGPSigProperty_IsX509)
                value = x509;
            else
                status = property / 100 == 13 ? kPGPError_UnknownProperty : kPGPError_WrongObjectKind;
            break;
        }
        }
        if (status == kPGPError_NoErr)
            *out = value ? 1 : 0;
        return status;
    });
}

PGPError PGP_CDECL PGPGetKeyDBObjNumericProperty(PGPKeyDBObjRef obj, int32_t property, int32_t* out)
{
    return Guarded([&]() -> PGPError {
        auto object = ObjectOf(obj);
        if (!object || !out)
            return kPGPError_BadParams;
        switch (object->kind) {
        case KeyObjectKind::Key:
            if (!KeyNumberKnown(property))
                return property / 100 == 2 ? kPGPError_UnknownProperty : kPGPError_WrongObjectKind;
            *out = KeyNumber(*object->db, *object->key, property);
            return kPGPError_NoErr;
        case KeyObjectKind::SubKey:
            if (property != kPGPSubKeyProperty_Bits)
                return property / 100 == 6 ? kPGPError_UnknownProperty : kPGPError_WrongObjectKind;
            *out = object->subKey->key.Bits();
            return kPGPError_NoErr;
        case KeyObjectKind::UserID:
            if (property != kPGPUserIDProperty_Validity)
                return property / 100 == 10 ? kPGPError_UnknownProperty : kPGPError_WrongObjectKind;
            *out = KeyValidity(*object->db, *object->key);
            return kPGPError_NoErr;
        default:
            return kPGPError_WrongObjectKind;
        }
    });
}

PGPError PGP_CDECL PGPGetKeyDBObjTimeProperty(PGPKeyDBObjRef obj, int32_t property, PGPTime* out)
{
    return Guarded([&]() -> PGPError {
        auto object = ObjectOf(obj);
        if (!object || !out)
            return kPGPError_BadParams;
        if (object->kind == KeyObjectKind::Key && property == kPGPKeyProperty_Creation)
            *out = object->key->key.created;
        else if (object->kind == KeyObjectKind::Key && property == kPGPKeyProperty_Expiration)
            *out = object->key->Expiration();
        else if (object->kind == KeyObjectKind::Signature && property == kPGPSigProperty_Creation)
            *out = object->signature->signature.created;
        else if (object->kind == KeyObjectKind::Signature && property == kPGPSigProperty_Expiration)
            *out = object->signature->signature.signatureExpiry
                ? object->signature->signature.created + object->signature->signature.signatureExpiry
                : 0;
        else
            return kPGPError_UnknownProperty;
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPGetKeyDBObjDataProperty(PGPKeyDBObjRef obj, int32_t property, void* buffer, PGPSize size,
                                              PGPSize* length)
{
    return Guarded([&]() -> PGPError {
        auto object = ObjectOf(obj);
        if (!object || !length)
            return kPGPError_BadParams;
        auto record = [](const PGPKeyID& id) { return std::string(reinterpret_cast<const char*>(&id), sizeof id); };
        switch (object->kind) {
        case KeyObjectKind::Key:
            if (property == kPGPKeyProperty_Fingerprint)
                return CopyOut(object->key->key.Fingerprint(), buffer, size, length);
            if (property == kPGPKeyProperty_KeyID)
                return CopyOut(record(MakeKeyID(object->key->key)), buffer, size, length);
            break;
        case KeyObjectKind::SubKey:
            if (property == kPGPSubKeyProperty_KeyID)
                return CopyOut(record(MakeKeyID(object->subKey->key)), buffer, size, length);
            break;
        case KeyObjectKind::UserID:
            if (property == kPGPUserIDProperty_Name)
                return CopyOut(object->userID->text, buffer, size, length);
            if (property == kPGPUserIDProperty_CommonName)
                return CopyOut(UserIDName(object->userID->text), buffer, size, length);
            if (property == kPGPUserIDProperty_EmailAddress)
                return CopyOut(UserIDEmail(object->userID->text), buffer, size, length);
            break;
        case KeyObjectKind::Signature:
            if (IsX509(*object->signature) && property == kPGPSigProperty_X509Certificate)
                return CopyOut(X509Field(*object->signature, kSubX509Certificate), buffer, size, length);
            if (IsX509(*object->signature) && property == kPGPSigProperty_X509LongName)
                return CopyOut(X509Field(*object->signature, kSubX509Subject), buffer, size, length);
            if (IsX509(*object->signature) && property == kPGPSigProperty_X509IssuerLongName)
                return CopyOut(X509Field(*object->signature, kSubX509Issuer), buffer, size, length);
            if (IsX509(*object->signature)
                && (property == kPGPSigProperty_X509IASN || property == kPGPSigProperty_X509DERDName)) {
                std::string issuerAndSerial, subjectName;
                if (!X509NameParts(X509Field(*object->signature, kSubX509Certificate), issuerAndSerial, subjectName))
                    return kPGPError_X509BadFormat;
                return CopyOut(property == kPGPSigProperty_X509IASN ? issuerAndSerial : subjectName, buffer, size,
                               length);
            }
            if (property == kPGPSigProperty_KeyID && object->signature->signature.issuer.size() == 8)
                return CopyOut(record(MakeKeyID(object->signature->signature.issuer,
                                                object->signature->signature.publicKeyAlgorithm)),
                               buffer, size, length);
            break;
        }
        return kPGPError_UnknownProperty;
    });
}

PGPError PGP_CDECL PGPNewKeyDBObjBooleanFilter(PGPContextRef context, int32_t property, PGPBoolean value,
                                               PGPFilterRef* out)
{
    return Guarded([&]() -> PGPError {
        auto filter = std::make_shared<Filter>();
        filter->op = Filter::Op::Boolean;
        filter->property = property;
        filter->value = value != 0;
        return NewFilter(context, std::move(filter), out);
    });
}

PGPError PGP_CDECL PGPNewKeyDBObjNumericFilter(PGPContextRef context, int32_t property, int32_t value, int32_t match,
                                               PGPFilterRef* out)
{
    return Guarded([&]() -> PGPError {
        auto filter = std::make_shared<Filter>();
        filter->op = Filter::Op::Numeric;
        filter->property = property;
        filter->value = value;
        filter->match = match;
        return NewFilter(context, std::move(filter), out);
    });
}

PGPError PGP_CDECL PGPNewKeyDBObjDataFilter(PGPContextRef context, int32_t property, const void* data, PGPSize size,
                                            int32_t match, PGPFilterRef* out)
{
    return Guarded([&]() -> PGPError {
        if (!data && size)
            return kPGPError_BadParams;
        auto filter = std::make_shared<Filter>();
        filter->op = Filter::Op::Data;
        filter->property = property;
        filter->match = match;
        bool keyID = property == kPGPKeyProperty_KeyID || property == kPGPSubKeyProperty_KeyID
            || property == kPGPSigProperty_KeyID;
        if (keyID && size < 12)
            return kPGPError_BadParams;
        filter->data.assign(static_cast<const char*>(data), keyID ? 12 : size);
        if (!keyID) // texts may come with their terminator counted
            filter->data = filter->data.substr(0, filter->data.find('\0'));
        return NewFilter(context, std::move(filter), out);
    });
}

PGPError PGP_CDECL PGPUnionFilters(PGPFilterRef a, PGPFilterRef b, PGPFilterRef* out)
{
    return Guarded([&]() -> PGPError {
        return Combine(Filter::Op::Union, a, b, out);
    });
}

PGPError PGP_CDECL PGPIntersectFilters(PGPFilterRef a, PGPFilterRef b, PGPFilterRef* out)
{
    return Guarded([&]() -> PGPError {
        return Combine(Filter::Op::Intersect, a, b, out);
    });
}

PGPError PGP_CDECL PGPNegateFilter(PGPFilterRef a, PGPFilterRef* out) { return Combine(Filter::Op::Negate, a, 0, out); }

PGPError PGP_CDECL PGPFreeFilter(PGPFilterRef filter)
{
    return Guarded([&]() -> PGPError {
        return Handles().Take(filter, ObjectKind::Filter) ? kPGPError_NoErr : kPGPError_BadParams;
    });
}

} // extern "C"
