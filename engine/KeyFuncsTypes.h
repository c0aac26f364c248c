// The answer of every key query: a list of keys, one record of properties per key, plus the
// certificate list and the text helpers for distinguished names. Portable: no SDK calls here,
// the readers that fill the records live in KeyFuncs.h.
#pragma once

#include "framework/StringLists.h"

#include <cstdint>
#include <optional>
#include <string>

// Selection bits: which properties a key query reads (each costs SDK calls).
enum : uint32_t {
    kKeyPropKeyID = 0x1,
    kKeyPropUserID = 0x2,
    kKeyPropFingerprint = 0x4,
    kKeyPropCreatedText = 0x8,
    kKeyPropExpiresText = 0x10,
    kKeyPropKeySize = 0x40,
    kKeyPropCertState = 0x80, // also CertOnly
    kKeyPropAlgorithm = 0x100,
    kKeyPropHashAlg = 0x200,
    kKeyPropTrust = 0x400,
    kKeyPropValidity = 0x800,
    kKeyPropCreated = 0x1000,
    kKeyPropExpires = 0x2000,
    kKeyPropCorrupt = 0x4000,
    kKeyPropSecret = 0x8000,
    kKeyPropAxiomatic = 0x10000,
    kKeyPropRevoked = 0x20000,
    kKeyPropDisabled = 0x40000,
    kKeyPropExpired = 0x80000,
    kKeyPropSecretShared = 0x100000,
    kKeyPropCanEncrypt = 0x200000,
    kKeyPropCanDecrypt = 0x400000,
    kKeyPropCanSign = 0x800000,
    kKeyPropCanVerify = 0x1000000,
    kKeyPropRevokers = 0x2000000,
    kKeyPropADKs = 0x4000000,
    kKeyPropHasSubKey = 0x8000000,
    kKeyPropLegacyKey = 0x10000000,
    kKeyPropUserIDs = 0x20000000,
    kKeyPropSignatures = 0x40000000, // implies kKeyPropUserIDs
    kKeyPropGroups = 0x80000000u,
};

// Certificate states of a key or a user-id entry.
enum : int32_t { kCertNone = 0, kCertInvalid = 1, kCertValid = 2, kCertSelfSigned = 3 };

// The user ids of one key in the key's order. Each line's object packs four bytes: the certificate
// check result, the user id's validity, the entry kind (certificate state) and the low byte of
// the certificate's key usage. A certificate entry's text is "user id<TAB>subject name".
class TUserIDs : public TStringList {
public:
    TUserIDs();

    // The user id: the stored text, or for a certificate entry the user id made from its subject.
    std::string Get(int index) const override;
    std::string GetCertUserID(int index) const;
    std::string GetCertSubject(int index) const;

    uint8_t CheckResult(int index) const { return EntryByte(index, 0); }
    uint8_t Validity(int index) const { return EntryByte(index, 1); }
    uint8_t Kind(int index) const { return EntryByte(index, 2); }
    uint8_t KeyUsage(int index) const { return EntryByte(index, 3); }
    void SetCheckResult(int index, uint8_t value) { SetEntryByte(index, 0, value); }
    void SetValidity(int index, uint8_t value) { SetEntryByte(index, 1, value); }
    void SetKind(int index, uint8_t value) { SetEntryByte(index, 2, value); }
    void SetKeyUsage(int index, uint8_t value) { SetEntryByte(index, 3, value); }

private:
    uint8_t EntryByte(int index, int byte) const;
    void SetEntryByte(int index, int byte, uint8_t value);
};

// One key's properties; a field is filled only when its selection bit was asked for.
struct TKeyPropsRec {
    std::string KeyID; // "0x" + 8 hexadecimal digits
    std::string UserID;
    std::string Fingerprint;
    std::string CreatedText;
    std::string ExpiresText;
    std::string KeySize;
    int32_t CertState = 0;
    int32_t Algorithm = 0;
    int32_t HashAlg = 0;
    int32_t Trust = 0;
    int32_t Validity = 0;
    uint32_t Created = 0; // Unix seconds, UTC
    uint32_t Expires = 0; // 0: never
    bool Corrupt = false;
    bool Secret = false;
    bool Axiomatic = false;
    bool Revoked = false;
    bool Disabled = false;
    bool Expired = false;
    bool SecretShared = false;
    bool CanEncrypt = false;
    bool CanDecrypt = false;
    bool CanSign = false;
    bool CanVerify = false;
    bool HasRevokers = false;
    int32_t ADKState = 0; // 0 none, 1 some, 2 one of them enforced
    bool HasSubKey = false;
    bool LegacyKey = false;
    bool CertOnly = false;
    // Sub-lists exist only when the owning list's selection asked for them.
    std::optional<TUserIDs> UserIDs;
    std::optional<TStringList> Signatures; // kept empty: no caller reads signer lists
    std::optional<TStringList> ADKs; // full key id texts
    std::optional<TStringList> Revokers; // full key id texts
};

// Keys by full key id text ("0x" + 16 hexadecimal digits), each line owning its TKeyPropsRec.
// Never sorted, duplicates kept, no change events. The group list holds the recipient groups.
class TKeyPropsList : public TStringList {
public:
    explicit TKeyPropsList(uint32_t selection);
    TKeyPropsList(const TKeyPropsList&) = delete;
    TKeyPropsList& operator=(const TKeyPropsList&) = delete;
    ~TKeyPropsList() override;

    int Add(const std::string& text) override;
    // `object` is a TKeyPropsRec to copy from, or null for a zeroed record.
    int AddObject(const std::string& text, void* object) override;
    void Clear() override;
    void Delete(int index) override;
    void Insert(int index, const std::string& text) override;
    void InsertObject(int index, const std::string& text, void* object) override;
    void Move(int currentIndex, int newIndex) override;

    TKeyPropsRec& Record(int index) const;
    void GetRecord(int index, TKeyPropsRec& record) const;
    uint32_t Selection() const noexcept { return selection_; }
    TStringList& Groups() noexcept { return groups_; }

private:
    TKeyPropsRec* NewRecord(const TKeyPropsRec* source) const;

    uint32_t selection_;
    TStringList groups_;
};

// The key-usage bits (digitalSignature = bit 0) that allow encrypting to a certificate: RSA
// certificates name keyEncipherment, some dataEncipherment.
constexpr uint16_t kCertUsageEncrypt = 0x0C;

struct TX509CertPropsRec {
    std::string SerialNumber;
    int32_t KeyAlgorithm = 0;
    int32_t HashAlgorithm = 0;
    std::string IssuerName;
    std::string IssuerSerial;
    std::string KeyID;
    std::string UserID;
    std::string SubjectName;
    std::string SubjectSerial;
    std::string CreatedText;
    std::string ExpiresText;
    uint32_t Created = 0;
    uint32_t Expires = 0;
    uint16_t KeyUsage = 0;
    bool UsableToEncrypt = false;
    bool UsableToSign = false;
    bool UsableToCertify = false;
    bool UsableForCRL = false;
    bool Verified = false;
    bool Corrupt = false;
    bool Revoked = false;
    bool Expired = false;
    bool SelfSigned = false;
    // The certificate's encoded data: it names this certificate and no other of its key.
    std::string Der;
};

// Certificates, one line each, each line owning its TX509CertPropsRec; duplicates accepted.
class TX509CertPropsList : public TStringList {
public:
    TX509CertPropsList();
    TX509CertPropsList(const TX509CertPropsList&) = delete;
    TX509CertPropsList& operator=(const TX509CertPropsList&) = delete;
    ~TX509CertPropsList() override;

    int Add(const std::string& text) override;
    // `object` is a TX509CertPropsRec to copy from, or null for an empty record.
    int AddObject(const std::string& text, void* object) override;
    void Clear() override;
    void Delete(int index) override;
    void Insert(int index, const std::string& text) override;
    void InsertObject(int index, const std::string& text, void* object) override;
    void Move(int currentIndex, int newIndex) override;

    TX509CertPropsRec& Record(int index) const;
    void GetRecord(int index, TX509CertPropsRec& record) const;
};

// "Name <address>" from a distinguished name: the CN and EMAIL values, else the O and OU values.
std::string DNToUserID(const std::string& dn);
// The same attributes kept with their names ("CN=x, EMAIL=y"); only the first unless `all`.
std::string DNShortForm(const std::string& dn, bool all);

// Text forms of key properties.
std::string FingerprintText(const uint8_t* bytes, size_t length);
std::string ShortKeyIDText(const std::string& fullKeyIDText);
int32_t MapHashAlgorithm(int32_t sdkHash);
// "0x" or "0X" followed by exactly 8 or 16 hexadecimal digits.
bool IsKeyIDText(const std::string& text);
// Whether the SDK signs, verifies, encrypts and decrypts with keys of this public-key algorithm:
// RSA, ElGamal and DSA. Elliptic-curve keys are listed but cannot be used.
bool KeyAlgorithmSupported(int32_t algorithm);
