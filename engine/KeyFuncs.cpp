// The property readers: one small reader per record field, each answering with the field's zero
// value when the SDK refuses, and the fill routines that call them in order.
#include "engine/KeyFuncs.h"
#include "engine/ASN1Tools.h"
#include "engine/KeyFuncsSdk.h"
#include "engine/sdk/pgpBase.h"
#include "foundation/UTF8.h"

#include <algorithm>
#include <vector>

namespace {

std::string KeyIDRecordText(const PGPKeyID& keyID)
{
    char text[64] = {};
    if (!SDKProcs.PGPGetKeyIDString || SDKProcs.PGPGetKeyIDString(&keyID, KeyIDTextType, text) != kPGPError_NoErr)
        return {};
    return text;
}

bool ReadBool(PGPKeyDBObjRef obj, int32_t property)
{
    PGPBoolean value = 0;
    return GetBooleanProperty(obj, property, &value) == kPGPError_NoErr && value != 0;
}

int32_t ReadNumber(PGPKeyDBObjRef obj, int32_t property)
{
    int32_t value = 0;
    return GetNumericProperty(obj, property, &value) == kPGPError_NoErr ? value : 0;
}

uint32_t ReadTime(PGPKeyDBObjRef obj, int32_t property)
{
    PGPTime value = 0;
    return GetTimeProperty(obj, property, &value) == kPGPError_NoErr ? value : 0;
}

// Data of at most `limit` bytes; an SDK that asks for more room gets it once.
std::string ReadData(PGPKeyDBObjRef obj, int32_t property, PGPSize limit)
{
    std::vector<char> buffer(256 < limit ? 256 : limit);
    PGPSize length = 0;
    PGPError status = GetDataProperty(obj, property, buffer.data(), static_cast<PGPSize>(buffer.size()), &length);
    if (status == kPGPError_BufferTooSmall && length <= limit) {
        buffer.resize(length);
        status = GetDataProperty(obj, property, buffer.data(), static_cast<PGPSize>(buffer.size()), &length);
    }
    if (status != kPGPError_NoErr || length > buffer.size())
        return {};
    return std::string(buffer.data(), length);
}

// User-id texts are UTF-8 from generation 3 on; bytes that are no valid UTF-8 are kept as they are.
std::string UserIDToAnsi(const std::string& text)
{
    if (SDKGeneration < 3 || text.empty())
        return text;
    std::string converted = Utf8ToLocale(text);
    return converted.empty() ? text : converted;
}

std::string Utf8NameToAnsi(const std::string& text)
{
    std::string converted = Utf8ToLocale(text);
    return converted.empty() ? text : converted;
}

std::string PrimaryUserID(PGPKeyDBObjRef key)
{
    std::vector<char> buffer(256);
    PGPSize length = 0;
    PGPError status = GetPrimaryUserIDName(key, buffer.data(), static_cast<PGPSize>(buffer.size()), &length);
    if (status == kPGPError_BufferTooSmall && length > buffer.size() && length < 65536) {
        buffer.resize(length);
        status = GetPrimaryUserIDName(key, buffer.data(), static_cast<PGPSize>(buffer.size()), &length);
    }
    if (status != kPGPError_NoErr || length > buffer.size())
        return {};
    std::string text(buffer.data(), length);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return UserIDToAnsi(text);
}

std::string ExpiryText(uint32_t created, uint32_t expires)
{
    return expires > created ? UnixDateText(expires) : std::string();
}

bool HasAnySubKey(PGPKeyDBObjRef key)
{
    TKeyWalk walk;
    if (WalkOneKey(key, walk) != kPGPError_NoErr)
        return false;
    PGPKeyDBObjRef subKey = 0;
    return KeyIterNext(walk.iter.Get(), kPGPIter_SubKey, &subKey) == kPGPError_NoErr;
}

std::string KeySizeText(PGPKeyDBObjRef key)
{
    const int32_t bits = ReadNumber(key, kPGPKeyProperty_Bits);
    int32_t subBits = 0;
    TKeyWalk walk;
    if (WalkOneKey(key, walk) == kPGPError_NoErr)
        ForEachObject(walk.iter.Get(), kPGPIter_SubKey, [&](PGPKeyDBObjRef subKey) {
            if (ReadBool(subKey, kPGPSubKeyProperty_IsRevoked) || ReadBool(subKey, kPGPSubKeyProperty_IsExpired))
                return true;
            subBits = ReadNumber(subKey, kPGPSubKeyProperty_Bits);
            return false;
        });
    if (subBits > 0)
        return std::to_string(subBits) + "/" + std::to_string(bits) + " bits";
    return std::to_string(bits) + " bits";
}

int32_t CertStateOfSignature(PGPKeyDBObjRef signature)
{
    if (!ReadBool(signature, kPGPSigProperty_IsX509))
        return kCertNone;
    if (!IsSigValid(signature))
        return kCertInvalid;
    return IsSelfSignedCert(signature) ? kCertSelfSigned : kCertValid;
}

int32_t KeyCertState(PGPKeyDBObjRef key)
{
    int32_t best = kCertNone;
    TKeyWalk walk;
    if (WalkOneKey(key, walk) != kPGPError_NoErr)
        return best;
    ForEachObject(walk.iter.Get(), kPGPIter_UserID, [&](PGPKeyDBObjRef) {
        ForEachObject(walk.iter.Get(), kPGPIter_Signature, [&](PGPKeyDBObjRef signature) {
            best = std::max(best, CertStateOfSignature(signature));
            return true;
        });
        return true;
    });
    return best;
}

void ReadRevokers(PGPKeySetRef set, PGPKeyDBObjRef key, TKeyPropsRec& record)
{
    uint32_t count = 0;
    if (!SDKProcs.PGPCountRevocationKeys || SDKProcs.PGPCountRevocationKeys(key, &count) != kPGPError_NoErr)
        return;
    record.HasRevokers = count > 0;
    for (uint32_t i = 0; i < count && record.Revokers; ++i) {
        PGPKeyDBObjRef revoker = 0;
        PGPKeyID keyID {};
        if (GetIndexedRevocationKey(key, set, i, &revoker, &keyID) == kPGPError_NoErr)
            record.Revokers->Add(KeyIDRecordText(keyID));
    }
}

void ReadADKs(PGPKeySetRef set, PGPKeyDBObjRef key, TKeyPropsRec& record)
{
    uint32_t count = 0;
    if (!SDKProcs.PGPCountAdditionalRecipientRequests
        || SDKProcs.PGPCountAdditionalRecipientRequests(key, &count) != kPGPError_NoErr || count == 0)
        return;
    record.ADKState = 1;
    for (uint32_t i = 0; i < count; ++i) {
        PGPKeyDBObjRef adk = 0;
        PGPKeyID keyID {};
        uint8_t keyClass = 0;
        if (GetIndexedADK(key, set, i, &adk, &keyID, &keyClass) != kPGPError_NoErr)
            continue;
        if (keyClass != 0)
            record.ADKState = 2;
        if (record.ADKs)
            record.ADKs->Add(KeyIDRecordText(keyID));
    }
}

// The user id a signature belongs to: found by walking its key, as the SDK hands out one handle
// per object. 0 when the signature is not on a user id.
PGPKeyDBObjRef UserIDOfSignature(PGPKeyDBObjRef signature)
{
    if (!SDKProcs.PGPPeekKeyDBObjKey)
        return 0;
    TKeyWalk walk;
    if (WalkOneKey(SDKProcs.PGPPeekKeyDBObjKey(signature), walk) != kPGPError_NoErr)
        return 0;
    PGPKeyDBObjRef owner = 0;
    ForEachObject(walk.iter.Get(), kPGPIter_UserID, [&](PGPKeyDBObjRef userID) {
        ForEachObject(walk.iter.Get(), kPGPIter_Signature, [&](PGPKeyDBObjRef candidate) {
            if (candidate == signature)
                owner = userID;
            return owner == 0;
        });
        return owner == 0;
    });
    return owner;
}

// The low eight key-usage bits of a certificate signature's DER data (digitalSignature = bit 0).
uint8_t CertificateUsage(PGPKeyDBObjRef signature)
{
    std::string der(65536, '\0');
    PGPSize length = 0;
    if (GetDataProperty(signature, kPGPSigProperty_X509Certificate, der.data(), static_cast<PGPSize>(der.size()), &length)
        != kPGPError_NoErr)
        return 0;
    der.resize(std::min<std::size_t>(length, der.size()));
    TX509CertPropsRec facts;
    ApplyCertificateFacts(der, facts);
    return static_cast<uint8_t>(facts.KeyUsage & 0xFF);
}

// The user ids of the key and, when asked for, what their X.509 certificates say.
PGPError UserIDPass(PGPKeyDBObjRef key, uint32_t selection, TKeyPropsRec& record, uint32_t filter)
{
    const bool certsWanted = SDKGeneration >= 2 && (selection & kKeyPropCertState) != 0;
    TUserIDs* userIDs = record.UserIDs ? &*record.UserIDs : nullptr;
    if (certsWanted) {
        record.CertOnly = true;
        if (userIDs)
            record.CertState = kCertNone;
    }
    TKeyWalk walk;
    PGPError status = WalkOneKey(key, walk);
    if (status != kPGPError_NoErr)
        return status;
    int signatures = 0;
    PGPError inner = kPGPError_NoErr;
    status = ForEachObject(walk.iter.Get(), kPGPIter_UserID, [&](PGPKeyDBObjRef userID) {
        if (ReadBool(userID, kPGPUserIDProperty_IsAttribute))
            return true;
        const std::string text = UserIDToAnsi(ReadData(userID, kPGPUserIDProperty_Name, 65536));
        int line = -1;
        if (userIDs) {
            line = userIDs->Add(text);
            userIDs->SetValidity(line, static_cast<uint8_t>(ReadNumber(userID, kPGPUserIDProperty_Validity)));
        }
        if (!certsWanted)
            return true;
        inner = ForEachObject(walk.iter.Get(), kPGPIter_Signature, [&](PGPKeyDBObjRef signature) {
            ++signatures;
            if (!ReadBool(signature, kPGPSigProperty_IsX509)) {
                record.CertOnly = false;
                return true;
            }
            if (line < 0)
                return true;
            const bool valid = IsSigValid(signature);
            uint8_t kind = IsSelfSignedCert(signature) ? kCertSelfSigned : kCertValid;
            const uint8_t usage = CertificateUsage(signature);
            userIDs->SetKeyUsage(line, usage);
            if ((filter & kKeyFilterCertEncrypt) && (!valid || !(usage & kCertUsageEncrypt)))
                kind = kCertNone;
            if ((filter & kKeyFilterCertSign) && (!valid || !(usage & 0x01)))
                kind = kCertNone;
            if (kind != kCertNone) {
                if (valid) {
                    if (ReadBool(signature, kPGPSigProperty_IsVerified))
                        userIDs->SetCheckResult(line, static_cast<uint8_t>(kind - 1));
                    userIDs->Put(line, text + "\t" + GetCertSubjectName(signature));
                } else {
                    kind = kCertInvalid;
                }
            }
            userIDs->SetKind(line, kind);
            record.CertState = std::max<int32_t>(record.CertState, kind);
            return true;
        });
        return inner == kPGPError_NoErr;
    });
    if (signatures == 0)
        record.CertOnly = false;
    return inner != kPGPError_NoErr ? inner : status;
}

PGPError FillKeyPropsUnguarded(PGPKeySetRef set, PGPKeyDBObjRef key, uint32_t selection, TKeyPropsRec& record,
                               uint32_t filter)
{
    if (selection & kKeyPropKeyID)
        record.KeyID = ShortKeyIDText(KeyIDText(key));
    if (selection & kKeyPropUserID)
        record.UserID = PrimaryUserID(key);
    if (selection & kKeyPropFingerprint) {
        const std::string bytes = ReadData(key, kPGPKeyProperty_Fingerprint, 63);
        record.Fingerprint = FingerprintText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    const bool timesWanted
        = (selection & (kKeyPropCreatedText | kKeyPropExpiresText | kKeyPropCreated | kKeyPropExpires)) != 0;
    const uint32_t created = timesWanted ? ReadTime(key, kPGPKeyProperty_Creation) : 0;
    const uint32_t expiresRaw = timesWanted ? ReadTime(key, kPGPKeyProperty_Expiration) : 0;
    const uint32_t expires = expiresRaw > created ? expiresRaw : 0;
    if (selection & kKeyPropCreatedText)
        record.CreatedText = UnixDateText(created);
    if (selection & kKeyPropExpiresText)
        record.ExpiresText = ExpiryText(created, expiresRaw);
    if (selection & kKeyPropKeySize)
        record.KeySize = KeySizeText(key);
    if ((selection & kKeyPropCertState) && SDKGeneration >= 2)
        record.CertState = KeyCertState(key);
    if (selection & kKeyPropAlgorithm)
        record.Algorithm = GetKeyAlgorithm(key);
    if (selection & kKeyPropHashAlg)
        record.HashAlg = MapHashAlgorithm(ReadNumber(key, kPGPKeyProperty_PreferredHash));
    if (selection & kKeyPropTrust)
        record.Trust = ReadNumber(key, kPGPKeyProperty_Trust);
    if (selection & kKeyPropValidity)
        record.Validity = ReadNumber(key, kPGPKeyProperty_Validity);
    if (selection & kKeyPropCreated)
        record.Created = created;
    if (selection & kKeyPropExpires)
        record.Expires = expires;
    static const struct {
        uint32_t bit;
        int32_t property;
        bool TKeyPropsRec::*field;
    } flags[] = {
        { kKeyPropSecret, kPGPKeyProperty_IsSecret, &TKeyPropsRec::Secret },
        { kKeyPropAxiomatic, kPGPKeyProperty_IsAxiomatic, &TKeyPropsRec::Axiomatic },
        { kKeyPropRevoked, kPGPKeyProperty_IsRevoked, &TKeyPropsRec::Revoked },
        { kKeyPropDisabled, kPGPKeyProperty_IsDisabled, &TKeyPropsRec::Disabled },
        { kKeyPropExpired, kPGPKeyProperty_IsExpired, &TKeyPropsRec::Expired },
        { kKeyPropSecretShared, kPGPKeyProperty_IsSecretShared, &TKeyPropsRec::SecretShared },
        { kKeyPropCanEncrypt, kPGPKeyProperty_CanEncrypt, &TKeyPropsRec::CanEncrypt },
        { kKeyPropCanDecrypt, kPGPKeyProperty_CanDecrypt, &TKeyPropsRec::CanDecrypt },
        { kKeyPropCanSign, kPGPKeyProperty_CanSign, &TKeyPropsRec::CanSign },
        { kKeyPropCanVerify, kPGPKeyProperty_CanVerify, &TKeyPropsRec::CanVerify },
    };
    if (selection & kKeyPropCorrupt)
        record.Corrupt = !ReadBool(key, kPGPKeyProperty_IsNotCorrupt);
    for (const auto& flag : flags)
        if (selection & flag.bit)
            record.*flag.field = ReadBool(key, flag.property);
    if (selection & kKeyPropRevokers)
        ReadRevokers(set, key, record);
    if (selection & kKeyPropADKs)
        ReadADKs(set, key, record);
    if (selection & (kKeyPropHasSubKey | kKeyPropLegacyKey)) {
        const bool legacy = IsLegacyKey(key);
        if (selection & kKeyPropHasSubKey)
            record.HasSubKey = !legacy && HasAnySubKey(key);
        if (selection & kKeyPropLegacyKey)
            record.LegacyKey = legacy;
    }
    const bool userIDPass = (selection & (kKeyPropUserIDs | kKeyPropSignatures)) != 0
        || (filter & (kKeyFilterCertEncrypt | kKeyFilterCertSign)) != 0 || record.CertState != 0;
    if (userIDPass)
        return UserIDPass(key, selection | kKeyPropUserIDs, record, filter);
    return kPGPError_NoErr;
}

} // namespace

PGPError ForEachObject(PGPKeyIterRef iter, int32_t kind, const std::function<bool(PGPKeyDBObjRef)>& visit)
{
    for (;;) {
        PGPKeyDBObjRef obj = 0;
        const PGPError status = KeyIterNext(iter, kind, &obj);
        if (status == kPGPError_EndOfIteration)
            return kPGPError_NoErr;
        if (status != kPGPError_NoErr)
            return status;
        if (!visit(obj))
            return kPGPError_NoErr;
    }
}

PGPError WalkKeySet(PGPKeySetRef keySet, TKeyWalk& walk)
{
    PGPKeyListRef list = 0;
    PGPKeyIterRef iter = 0;
    const PGPError status = NewKeyIterOfSet(keySet, &list, &iter);
    *walk.list.Out() = list;
    *walk.iter.Out() = iter;
    return status;
}

PGPError WalkOneKey(PGPKeyDBObjRef key, TKeyWalk& walk)
{
    PGPKeySetRef set = 0;
    PGPKeyListRef list = 0;
    PGPKeyIterRef iter = 0;
    const PGPError status = NewSingleKeyIter(key, &set, &list, &iter);
    *walk.set.Out() = set;
    *walk.list.Out() = list;
    *walk.iter.Out() = iter;
    return status;
}

PGPError FillKeyProps(PGPKeySetRef set, PGPKeyDBObjRef key, uint32_t selection, TKeyPropsRec& record,
                      uint32_t filter)
{
    try {
        return FillKeyPropsUnguarded(set, key, selection, record, filter);
    } catch (...) {
        return -1;
    }
}

PGPError FillCertProps(PGPKeyDBObjRef signature, TX509CertPropsRec& record)
{
    try {
        std::vector<char> certificate(65536);
        PGPSize length = 0;
        const PGPError status = GetDataProperty(signature, kPGPSigProperty_X509Certificate, certificate.data(),
                                                static_cast<PGPSize>(certificate.size()), &length);
        if (status != kPGPError_NoErr)
            return status;
        record.IssuerName = GetCertIssuerName(signature);
        record.SubjectName = GetCertSubjectName(signature);
        record.IssuerSerial = DNSerialNumber(GetCertIASN(signature));
        record.SubjectSerial = DNSerialNumber(ReadData(signature, kPGPSigProperty_X509DERDName, 65536));
        record.UserID = GetSigUserID(signature);
        if (SDKProcs.PGPPeekKeyDBObjKey)
            record.KeyID = KeyIDText(SDKProcs.PGPPeekKeyDBObjKey(signature));
        record.Created = ReadTime(signature, kPGPSigProperty_Creation);
        const uint32_t expires = ReadTime(signature, kPGPSigProperty_Expiration);
        record.Expires = expires > record.Created ? expires : 0;
        record.CreatedText = UnixDateText(record.Created);
        record.ExpiresText = ExpiryText(record.Created, expires);
        record.Verified = ReadBool(signature, kPGPSigProperty_IsVerified);
        record.Corrupt = !ReadBool(signature, kPGPSigProperty_IsNotCorrupt);
        record.Revoked = ReadBool(signature, kPGPSigProperty_IsRevoked);
        record.Expired = ReadBool(signature, kPGPSigProperty_IsExpired);
        record.SelfSigned = IsSelfSignedCert(signature);
        return kPGPError_NoErr;
    } catch (...) {
        return -1;
    }
}

std::string KeyIDText(PGPKeyDBObjRef key)
{
    PGPKeyID keyID {};
    if (!SDKProcs.PGPGetKeyID || SDKProcs.PGPGetKeyID(key, &keyID) != kPGPError_NoErr)
        return {};
    return KeyIDRecordText(keyID);
}

bool IsSigValid(PGPKeyDBObjRef signature)
{
    return ReadBool(signature, kPGPSigProperty_IsNotCorrupt) && !ReadBool(signature, kPGPSigProperty_IsExpired)
        && !ReadBool(signature, kPGPSigProperty_IsRevoked);
}

bool IsSelfSignedCert(PGPKeyDBObjRef signature)
{
    // An OpenPGP self-signature has no names to compare and is no certificate.
    if (!ReadBool(signature, kPGPSigProperty_IsX509) || !SDKProcs.PGPPeekKeyDBObjKey
        || GetCertIssuerName(signature) != GetCertSubjectName(signature))
        return false;
    PGPKeyDBObjRef certifier = 0;
    if (GetSigCertifierKey(signature, KeyRings().KeySet(), &certifier) != kPGPError_NoErr)
        return false;
    const std::string owner = KeyIDText(SDKProcs.PGPPeekKeyDBObjKey(signature));
    return !owner.empty() && owner == KeyIDText(certifier);
}

std::string GetCertIASN(PGPKeyDBObjRef signature)
{
    return ReadData(signature, kPGPSigProperty_X509IASN, 65536);
}

std::string GetCertUserEmail(PGPKeyDBObjRef signature)
{
    const PGPKeyDBObjRef userID = UserIDOfSignature(signature);
    return userID ? ReadData(userID, kPGPUserIDProperty_EmailAddress, 65536).c_str() : std::string();
}

std::string GetSigUserID(PGPKeyDBObjRef signature)
{
    const PGPKeyDBObjRef userID = UserIDOfSignature(signature);
    return userID ? UserIDToAnsi(ReadData(userID, kPGPUserIDProperty_Name, 65536).c_str()) : std::string();
}

std::string GetCertIssuerName(PGPKeyDBObjRef signature)
{
    return Utf8NameToAnsi(ReadData(signature, kPGPSigProperty_X509IssuerLongName, 65536).c_str());
}

std::string GetCertSubjectName(PGPKeyDBObjRef signature)
{
    return Utf8NameToAnsi(ReadData(signature, kPGPSigProperty_X509LongName, 65536).c_str());
}

int32_t GetKeyAlgorithm(PGPKeyDBObjRef key)
{
    const int32_t algorithm = ReadNumber(key, kPGPKeyProperty_AlgorithmID);
    return algorithm == 17 && HasAnySubKey(key) ? 18 : algorithm;
}

bool IsLegacyKey(PGPKeyDBObjRef key)
{
    if (SDKGeneration == 1)
        return GetKeyAlgorithm(key) == 1;
    int32_t version = 0;
    return GetNumericProperty(key, kPGPKeyProperty_Version, &version) != kPGPError_NoErr || version < 4;
}
