// The engine's key functions: the readers that fill key and certificate records from the SDK, the
// one shared key store (`TKeyRings`, opened and closed around every engine operation) and the key
// queries built on it. GUI thread only.
#pragma once

#include "engine/KeyFuncsTypes.h"
#include "engine/sdk/PGPsdkTypes.h"

#include <memory>
#include <string>

// Status of an SDK that could not be loaded or used, and of a failed line add.
constexpr PGPError kKeyRingsNoSDK = -11977;
constexpr PGPError kKeyListAddFailed = -11999;
constexpr PGPError kNoKeyMatches = -10988;

// Filter flags of the key queries.
enum : uint32_t {
    kKeyFilterCanEncrypt = 0x1,
    kKeyFilterCanDecrypt = 0x2,
    kKeyFilterCanSign = 0x4,
    kKeyFilterCanVerify = 0x8,
    kKeyFilterEnabled = 0x10,
    kKeyFilterDisabled = 0x20,
    kKeyFilterDSA = 0x100,
    kKeyFilterRSA = 0x200,
    kKeyFilterNewFormat = 0x400,
    kKeyFilterLegacy = 0x800,
    kKeyFilterCertificates = 0xF000,
    kKeyFilterCertEncrypt = 0x4000,
    kKeyFilterCertSign = 0x8000,
    kKeyFilterCountUserIDs = 0x10000,
};

// ---- Readers -------------------------------------------------------------------------------------

// Fills `record` with the properties asked for by `selection`; 0, an SDK status, or -1 when an
// exception occurred. `filter` decides which certificate entries count as usable.
PGPError FillKeyProps(PGPKeySetRef set, PGPKeyDBObjRef key, uint32_t selection, TKeyPropsRec& record,
                      uint32_t filter);
// Fills one certificate record from a certificate signature; the SDK's status when the
// certificate data cannot be read, -1 on an exception.
PGPError FillCertProps(PGPKeyDBObjRef signature, TX509CertPropsRec& record);

// "0x" and 16 hexadecimal digits; empty when the SDK refuses.
std::string KeyIDText(PGPKeyDBObjRef key);
bool IsSigValid(PGPKeyDBObjRef signature);
bool IsSelfSignedCert(PGPKeyDBObjRef signature);
std::string GetCertIASN(PGPKeyDBObjRef signature);
std::string GetCertUserEmail(PGPKeyDBObjRef signature);
std::string GetSigUserID(PGPKeyDBObjRef signature);
std::string GetCertIssuerName(PGPKeyDBObjRef signature);
std::string GetCertSubjectName(PGPKeyDBObjRef signature);
bool IsLegacyKey(PGPKeyDBObjRef key);
int32_t GetKeyAlgorithm(PGPKeyDBObjRef key);

uint32_t NowUnix();
// Local time as "ddd, dd mmm yyyy, " and the user's time format.
std::string UnixDateText(uint32_t seconds);

// ---- The key store -------------------------------------------------------------------------------

class TKeyRings {
public:
    TKeyRings() = default;
    TKeyRings(const TKeyRings&) = delete;
    TKeyRings& operator=(const TKeyRings&) = delete;
    ~TKeyRings();

    // Opens the store or joins the current opening (which keeps its files even when they changed
    // since: the outer holder still uses its handles).
    PGPError Open(PGPContextRef* context, PGPKeySetRef* keySet);
    // Ends one opening; the last one frees the store and the context.
    void Close();
    // Closes every opening, opens again and keeps the count; with more than one opening (another
    // holder besides the caller) it keeps the current store.
    PGPError Reopen(PGPContextRef* context, PGPKeySetRef* keySet);
    // New ring files take effect at the next first opening.
    PGPError SetRingFiles(const std::string& publicRing, const std::string& secretRing);
    // True when a ring file was written at or after the last open or commit.
    bool RingsChanged() const;
    // Writes the store, tells other PGP programs, and takes the files' new state as seen.
    PGPError Commit();

    // Kept for the callers that pause the watching (a folder viewer, a section decode): with every
    // opening scoped to one operation no opening is ever reopened under its holder (see Open).
    bool WatchRingFiles = true;
    std::string GroupsFile;

    int OpenCount() const noexcept { return openCount_; }
    bool Retried() const noexcept { return retried_; }
    bool SDKUnusable() const noexcept { return sdkUnusable_; }
    PGPContextRef Context() const noexcept { return context_; }
    PGPKeySetRef KeySet() const noexcept { return keySet_; }
    const std::string& PublicRing() const noexcept { return publicRing_; }
    const std::string& SecretRing() const noexcept { return secretRing_; }

private:
    PGPError OpenStore();
    void FreeStore();
    PGPError RestartSDK(PGPContextRef* context, PGPKeySetRef* keySet);

    std::string publicRing_;
    std::string secretRing_;
    uint32_t lastOpened_ = 0; // local file date of the last open or commit
    int openCount_ = 0;
    bool retried_ = false;
    bool sdkUnusable_ = false; // the SDK could not be started again after a clean-up
    PGPKeyDBRef keyDB_ = 0;
    PGPKeySetRef keySet_ = 0;
    PGPContextRef context_ = 0;
};

// The process's one key store.
TKeyRings& KeyRings();

// ---- Queries -------------------------------------------------------------------------------------

// Keys matching `text` (all with an empty text). With a selection their properties go into `list`
// (created when null) and the result is its count; without, the count of keys passing `filter`
// (of user ids with kKeyFilterCountUserIDs). Negative: a status.
int FindKeys(const std::string& text, std::unique_ptr<TKeyPropsList>& list, uint32_t selection, uint32_t filter,
             int32_t order);
int FindFirstKeyID(PGPContextRef context, PGPKeySetRef keySet, const std::string& text, std::string& keyIDText);
PGPError DeleteKeysByText(const std::string& text);
// Changes the passphrase of the key and its sub-keys; nothing is written unless all succeeded.
// Changes the passphrase of the key and its sub-keys in the database that holds them, in memory.
PGPError ChangeKeyAndSubKeyPassphrases(
    PGPContextRef context, PGPKeyDBObjRef key, const char* oldPassphrase, const char* newPassphrase);
PGPError ChangeKeyPassphrase(const std::string& keyIDText, const char* oldPassphrase, const char* newPassphrase);
// Recipient groups as "description <name><TAB>0x…,0x…"; the number of lines, or a status.
int ReadGroupFile(PGPContextRef context, PGPKeySetRef keySet, TStringList& groups);

// The set of keys matched by any item of `text`; every item must match some key.
PGPError FindKeysByText(PGPContextRef context, PGPKeySetRef keySet, const std::string& text, PGPKeySetRef* outSet);
PGPError BuildKeyFilter(PGPContextRef context, uint32_t flags, PGPFilterRef* outFilter);
int FillKeyList(PGPContextRef context, PGPKeySetRef keySet, std::unique_ptr<TKeyPropsList>& list, uint32_t selection,
                uint32_t filter, int32_t order);
PGPError FindKeyByKeyIDText(PGPKeySetRef keySet, const std::string& text, PGPKeyDBObjRef* outKey);
PGPError FindSameKey(PGPKeyDBObjRef key, PGPKeySetRef keySet, PGPKeyDBObjRef* outKey);
// A filter that passes every key but `key`; 0 on failure.
PGPFilterRef ExcludeKeyFilter(PGPContextRef context, PGPKeyDBObjRef key);
PGPError FirstKeyOfSet(PGPKeySetRef keySet, PGPKeyDBObjRef* outKey);
PGPError NewKeyIterOfSet(PGPKeySetRef keySet, PGPKeyListRef* outList, PGPKeyIterRef* outIter);
// An iterator over a set of just `key`, already standing on it (ready for its sub-keys and user ids).
PGPError NewSingleKeyIter(PGPKeyDBObjRef key, PGPKeySetRef* outSet, PGPKeyListRef* outList, PGPKeyIterRef* outIter);
PGPError FilterCertKeys(PGPKeySetRef keySet, bool forEncryption, PGPKeySetRef* outSet);
