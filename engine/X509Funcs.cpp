// X.509 certificates in the key database: the walks over certificate signatures and the
// operations built on them. SDK objects are owned by the KeyFuncs owners on every path.
#include "engine/X509Funcs.h"

#include "engine/ASN1Tools.h"
#include "engine/KeyFuncs.h"
#include "engine/KeyFuncsSdk.h"
#include "engine/PGPDialogs.h"
#include "engine/sdk/pgpAdapters.h"
#include "engine/sdk/pgpBase.h"
#include "foundation/StrTools.h"
#include "foundation/StrUtil.h"
#include "foundation/UserIDs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

// One opening of the shared store for the length of an operation.
class TRingsOpening {
public:
    TRingsOpening()
    {
        status = SDKGeneration < 2 ? kX509NeedsNewerSDK : KeyRings().Open(&context, &keySet);
        opened = status == kPGPError_NoErr;
    }
    TRingsOpening(const TRingsOpening&) = delete;
    TRingsOpening& operator=(const TRingsOpening&) = delete;
    ~TRingsOpening()
    {
        if (opened)
            KeyRings().Close();
    }

    PGPError status;
    bool opened = false;
    PGPContextRef context = 0;
    PGPKeySetRef keySet = 0;
};

// A buffer the SDK allocated, freed with it.
class TSdkBuffer {
public:
    TSdkBuffer() = default;
    TSdkBuffer(const TSdkBuffer&) = delete;
    TSdkBuffer& operator=(const TSdkBuffer&) = delete;
    ~TSdkBuffer()
    {
        if (data && SDKProcs.PGPFreeData)
            SDKProcs.PGPFreeData(data);
    }
    void* data = nullptr;
    PGPSize length = 0;
};

bool ReadBoolean(PGPKeyDBObjRef object, int32_t property)
{
    PGPBoolean value = 0;
    return GetBooleanProperty(object, property, &value) == kPGPError_NoErr && value != 0;
}

std::string CreatedText(PGPKeyDBObjRef certificate)
{
    PGPTime created = 0;
    GetTimeProperty(certificate, kPGPSigProperty_Creation, &created);
    return CardinalToHex8(created);
}

PGPKeyDBObjRef KeyOf(PGPKeyDBObjRef object)
{
    return SDKProcs.PGPPeekKeyDBObjKey ? SDKProcs.PGPPeekKeyDBObjKey(object) : 0;
}

bool SameKey(PGPKeyDBObjRef a, PGPKeyDBObjRef b)
{
    const std::string id = KeyIDText(a);
    return !id.empty() && id == KeyIDText(b);
}

bool IssuedBy(PGPKeyDBObjRef certificate, PGPKeyDBObjRef certifier)
{
    PGPKeyDBObjRef issuer = 0;
    return GetSigCertifierKey(certificate, KeyRings().KeySet(), &issuer) == kPGPError_NoErr &&
           SameKey(issuer, certifier);
}

// Calls Visit(user id, certificate) for each certificate of the key; a false stops the walk.
PGPError ForEachCertificate(PGPKeyDBObjRef key, const std::function<bool(PGPKeyDBObjRef, PGPKeyDBObjRef)>& visit)
{
    TKeyWalk walk;
    PGPError status = WalkOneKey(key, walk);
    if (status != kPGPError_NoErr)
        return status;
    bool stopped = false;
    status = ForEachObject(walk.iter.Get(), kPGPIter_UserID, [&](PGPKeyDBObjRef userID) {
        ForEachObject(walk.iter.Get(), kPGPIter_Signature, [&](PGPKeyDBObjRef signature) {
            if (IsCertificate(signature) && !visit(userID, signature))
                stopped = true;
            return !stopped;
        });
        return !stopped;
    });
    return status;
}

// Calls Visit(key) for each key of the set; a false stops.
PGPError ForEachKey(PGPKeySetRef keySet, const std::function<bool(PGPKeyDBObjRef)>& visit)
{
    TKeyWalk walk;
    const PGPError status = WalkKeySet(keySet, walk);
    return status != kPGPError_NoErr ? status : ForEachObject(walk.iter.Get(), kPGPIter_Key, visit);
}

bool ContainsText(const std::string& text, const std::string& part)
{
    return PosText(part, text) > 0;
}

bool SameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && (a.empty() || PosText(a, b) == 1);
}

bool IsExactKeyID(const std::string& text) { return text.size() == 18 && IsKeyIDText(text); }

bool PassesSelection(const TX509CertPropsRec& record, uint32_t selection)
{
    if ((selection & kCertSelectSelfSigned) && !record.SelfSigned)
        return false;
    if ((selection & kCertSelectEncrypt) && !record.UsableToEncrypt)
        return false;
    return !((selection & kCertSelectSign) && !record.UsableToSign);
}

bool KeyCanSign(PGPKeyDBObjRef key) { return ReadBoolean(key, kPGPKeyProperty_CanSign); }

// A set of just the key that holds Object, in the key's own database.
PGPError OneKeySet(PGPKeyDBObjRef object, TOwnedKeySet& set)
{
    return SDKProcs.PGPNewOneKeySet ? SDKProcs.PGPNewOneKeySet(KeyOf(object), set.Out()) : kPGPError_NotImplemented;
}

PGPError ExportCertificate(PGPContextRef context, PGPKeyDBObjRef certificate, bool armour, std::string& text)
{
    text.clear();
    if (!SDKProcs.PGPExport || !SDKProcs.PGPOExportKeyDBObj)
        return kPGPError_NotImplemented;
    TSdkBuffer output;
    const PGPError status = MapX509Status(SDKProcs.PGPExport(context, SDKProcs.PGPONullOption(context),
        SDKProcs.PGPOExportKeyDBObj(context, certificate), SDKProcs.PGPOArmorOutput(context, armour ? 1 : 0),
        SDKProcs.PGPOExportFormat(context, kPGPFormat_X509Cert), SDKProcs.PGPOExportPrivateKeys(context, 0),
        SDKProcs.PGPOAllocatedOutputBuffer(context, &output.data, 0xFFFFFFFFu, &output.length),
        SDKProcs.PGPOLastOption(context)));
    if (status != kPGPError_NoErr)
        return status;
    return BytesToText(output.data, output.length, text);
}

// The certificate of the issuer's key whose subject is this certificate's issuer; 0 at the top.
PGPKeyDBObjRef IssuerCertificate(PGPKeyDBObjRef certificate)
{
    if (IsSelfSignedCert(certificate))
        return 0;
    PGPKeyDBObjRef issuerKey = 0;
    if (GetSigCertifierKey(certificate, KeyRings().KeySet(), &issuerKey) != kPGPError_NoErr || !issuerKey)
        return 0;
    const std::string issuerName = GetCertIssuerName(certificate);
    PGPKeyDBObjRef found = 0;
    ForEachCertificate(issuerKey, [&](PGPKeyDBObjRef, PGPKeyDBObjRef candidate) {
        if (candidate != certificate && GetCertSubjectName(candidate) == issuerName)
            found = candidate;
        return found == 0;
    });
    return found;
}

// The certificates of all keys of a set (all of a key's certificates, or only self-signed ones).
PGPError CollectChain(PGPKeySetRef keySet, bool selfSignedOnly, std::vector<TChainCertificate>& certificates,
    std::vector<PGPKeyDBObjRef>* objects)
{
    return ForEachKey(keySet, [&](PGPKeyDBObjRef key) {
        ForEachCertificate(key, [&](PGPKeyDBObjRef, PGPKeyDBObjRef certificate) {
            if (selfSignedOnly && !IsSelfSignedCert(certificate))
                return true;
            certificates.push_back({CreatedText(certificate), CertificateDer(certificate)});
            if (objects)
                objects->push_back(certificate);
            return true;
        });
        return true;
    });
}

bool IsTrustedKey(PGPKeyDBObjRef key)
{
    int32_t validity = 0;
    return ReadBoolean(key, kPGPKeyProperty_IsAxiomatic) ||
           (GetNumericProperty(key, kPGPKeyProperty_Validity, &validity) == kPGPError_NoErr && validity >= 3);
}

// The self-signed certificates of the trusted keys of the database, as a chain blob.
std::string TrustedRootsBlob(PGPKeySetRef database)
{
    std::vector<TChainCertificate> roots;
    ForEachKey(database, [&](PGPKeyDBObjRef key) {
        if (IsTrustedKey(key))
            ForEachCertificate(key, [&](PGPKeyDBObjRef, PGPKeyDBObjRef certificate) {
                if (IsSelfSignedCert(certificate))
                    roots.push_back({CreatedText(certificate), CertificateDer(certificate)});
                return true;
            });
        return true;
    });
    std::string blob;
    return BuildChainBlob(roots, blob) == 0 ? blob : std::string();
}

PGPError VerifyChainBlob(PGPContextRef context, const std::string& chain, const std::string& roots)
{
    if (!SDKProcs.PGPVerifyX509CertificateChain)
        return kPGPError_NotImplemented;
    return MapX509Status(SDKProcs.PGPVerifyX509CertificateChain(context,
        reinterpret_cast<const uint8_t*>(chain.data()), reinterpret_cast<const uint8_t*>(roots.data())));
}

} // namespace

// ---- Records and lists ------------------------------------------------------------------------------

bool IsCertificate(PGPKeyDBObjRef signature) { return ReadBoolean(signature, kPGPSigProperty_IsX509); }

std::string CertificateDer(PGPKeyDBObjRef certificate)
{
    std::string der(65536, '\0');
    PGPSize length = 0;
    if (GetDataProperty(certificate, kPGPSigProperty_X509Certificate, der.data(), static_cast<PGPSize>(der.size()),
            &length) != kPGPError_NoErr)
        return {};
    der.resize(std::min<std::size_t>(length, der.size()));
    return der;
}

PGPError ReadCertificateRecord(PGPKeyDBObjRef certificate, TX509CertPropsRec& record)
{
    const PGPError status = FillCertProps(certificate, record);
    if (status != kPGPError_NoErr)
        return status;
    record.Der = CertificateDer(certificate);
    ApplyCertificateFacts(record.Der, record);
    // No key usage extension means no restriction.
    const uint16_t usage = record.KeyUsage == 0 ? 0x1FF : record.KeyUsage;
    const PGPKeyDBObjRef key = KeyOf(certificate);
    // A corrupt, revoked or expired certificate may be used for nothing.
    const bool sound = !record.Corrupt && !record.Revoked && !record.Expired;
    const bool canSign = sound && KeyCanSign(key);
    record.UsableToEncrypt
        = sound && (usage & kCertUsageEncrypt) != 0 && ReadBoolean(key, kPGPKeyProperty_CanEncrypt);
    record.UsableToSign = (usage & 0x01) != 0 && canSign;
    record.UsableToCertify = (usage & 0x20) != 0 && canSign;
    record.UsableForCRL = (usage & 0x40) != 0 && canSign;
    return kPGPError_NoErr;
}

PGPError AddCertificateToList(PGPKeyDBObjRef certificate, std::unique_ptr<TX509CertPropsList>& list)
{
    if (!list)
        list = std::make_unique<TX509CertPropsList>();
    TX509CertPropsRec record;
    const PGPError status = ReadCertificateRecord(certificate, record);
    if (status != kPGPError_NoErr)
        return status;
    list->AddObject(record.KeyID, &record);
    return kPGPError_NoErr;
}

PGPError BytesToText(const void* bytes, std::size_t length, std::string& text)
{
    try {
        text.assign(static_cast<const char*>(bytes), bytes ? length : 0);
        return kPGPError_NoErr;
    } catch (const std::bad_alloc&) {
        text.clear();
        return kPGPError_OutOfMemory;
    }
}

int ListCertificates(PGPKeySetRef keySet, PGPKeyDBObjRef certifier, std::unique_ptr<TX509CertPropsList>& list,
    uint32_t keyFilter, uint32_t selection, const std::string* userText)
{
    if (!list)
        list = std::make_unique<TX509CertPropsList>();
    const int before = list->Count();
    PGPKeySetRef walked = keySet;
    TOwnedKeySet filtered;
    if ((keyFilter & kCertSelectKeyFilter) != 0 && SDKProcs.PGPFilterKeySet) {
        TOwnedFilter filter;
        PGPError status = BuildKeyFilter(KeyRings().Context(), keyFilter & kCertSelectKeyFilter, filter.Out());
        if (status == kPGPError_NoErr)
            status = SDKProcs.PGPFilterKeySet(keySet, filter.Get(), filtered.Out());
        if (status != kPGPError_NoErr)
            return MapX509Status(status);
        walked = filtered.Get();
    }
    const std::string address = userText ? ExtractEmailAddress(*userText) : std::string();
    const PGPError status = ForEachKey(walked, [&](PGPKeyDBObjRef key) {
        ForEachCertificate(key, [&](PGPKeyDBObjRef, PGPKeyDBObjRef certificate) {
            if (certifier && !IssuedBy(certificate, certifier))
                return true;
            if (userText && !userText->empty()) {
                const bool byAddress = !address.empty() && SameText(address, GetCertUserEmail(certificate));
                if (!byAddress && !SameText(*userText, GetSigUserID(certificate)))
                    return true;
            }
            TX509CertPropsRec record;
            if (ReadCertificateRecord(certificate, record) == kPGPError_NoErr && PassesSelection(record, selection))
                list->AddObject(record.KeyID, &record);
            return true;
        });
        return true;
    });
    return status != kPGPError_NoErr ? MapX509Status(status) : list->Count() - before;
}

int CountCertificates(PGPKeyDBObjRef key, PGPKeyDBObjRef certifier)
{
    int count = 0;
    ForEachCertificate(key, [&](PGPKeyDBObjRef, PGPKeyDBObjRef certificate) {
        count += !certifier || IssuedBy(certificate, certifier);
        return true;
    });
    return count;
}

PGPKeyDBObjRef FindKeyCertificate(const std::string* text, PGPKeyDBObjRef key, PGPKeyDBObjRef certifier)
{
    PGPKeyDBObjRef found = 0;
    ForEachCertificate(key, [&](PGPKeyDBObjRef, PGPKeyDBObjRef certificate) {
        if (!IsSigValid(certificate) || (certifier && !IssuedBy(certificate, certifier)))
            return true;
        if (text && !text->empty() && !ContainsText(GetCertSubjectName(certificate), *text) &&
            !ContainsText(GetCertIssuerName(certificate), *text))
            return true;
        found = certificate;
        return true;
    });
    return found;
}

PGPError CheckSMimeRecipients(PGPKeySetRef keySet)
{
    TRingsOpening rings;
    if (rings.status != kPGPError_NoErr)
        return rings.status;
    bool all = true;
    const PGPError status = ForEachKey(keySet, [&](PGPKeyDBObjRef key) {
        all = FindKeyCertificate(nullptr, key, 0) != 0;
        return all;
    });
    if (status != kPGPError_NoErr)
        return MapX509Status(status);
    return all ? kPGPError_NoErr : kX509NoCertificate;
}

PGPError MakeCertificateKeySet(
    PGPKeySetRef database, PGPKeySetRef* keySet, PGPKeyDBObjRef certifier, bool usableOnly, bool signingOnly)
{
    *keySet = 0;
    TRingsOpening rings;
    if (rings.status != kPGPError_NoErr)
        return rings.status;
    if (!SDKProcs.PGPNewEmptyKeySet || !SDKProcs.PGPPeekKeySetKeyDB || !SDKProcs.PGPAddKeys)
        return kPGPError_NotImplemented;
    TOwnedKeySet result;
    PGPError status = SDKProcs.PGPNewEmptyKeySet(SDKProcs.PGPPeekKeySetKeyDB(database), result.Out());
    if (status != kPGPError_NoErr)
        return status;
    status = ForEachKey(database, [&](PGPKeyDBObjRef key) {
        if (signingOnly && !KeyCanSign(key))
            return true;
        bool passes = false;
        ForEachCertificate(key, [&](PGPKeyDBObjRef, PGPKeyDBObjRef certificate) {
            passes = (!usableOnly || IsSigValid(certificate)) && (!certifier || IssuedBy(certificate, certifier));
            return !passes;
        });
        if (!passes)
            return true;
        TOwnedKeySet one;
        status = OneKeySet(key, one);
        if (status == kPGPError_NoErr)
            status = SDKProcs.PGPAddKeys(one.Get(), result.Get());
        return status == kPGPError_NoErr;
    });
    if (status != kPGPError_NoErr)
        return MapX509Status(status);
    *keySet = result.Release();
    return kPGPError_NoErr;
}

int FindX509Certificates(const std::string& userText, const std::string& keyID, const std::string& signerKeyID,
    std::unique_ptr<TX509CertPropsList>& list, bool onePerKey, uint32_t selection)
{
    TRingsOpening rings;
    if (rings.status != kPGPError_NoErr)
        return rings.status;
    if (!list)
        list = std::make_unique<TX509CertPropsList>();
    PGPKeyDBObjRef signer = 0;
    if (!signerKeyID.empty() &&
        (FindKeyByKeyIDText(rings.keySet, signerKeyID, &signer) != kPGPError_NoErr || !KeyCanSign(signer)))
        return kX509KeyCannotSign;
    const int before = list->Count();
    const uint32_t keyFilter = selection & kCertSelectKeyFilter;
    if (!userText.empty()) {
        const std::string address = ExtractEmailAddress(userText);
        const std::string wanted = address.empty() ? userText : address;
        TOwnedFilter filter;
        TOwnedKeySet matches;
        PGPError status = NewDataFilter(rings.context, kPGPUserIDProperty_EmailAddress, wanted.data(), filter.Out(),
            static_cast<PGPSize>(wanted.size()), kPGPMatch_Equal);
        if (status == kPGPError_NoErr)
            status = SDKProcs.PGPFilterKeySet ? SDKProcs.PGPFilterKeySet(rings.keySet, filter.Get(), matches.Out())
                                              : kPGPError_NotImplemented;
        if (status != kPGPError_NoErr)
            return MapX509Status(status);
        const int listed = ListCertificates(matches.Get(), signer, list, keyFilter, selection, &userText);
        if (listed < 0)
            return listed;
    }
    if (!keyID.empty()) {
        PGPKeyDBObjRef key = 0;
        if (FindKeyByKeyIDText(rings.keySet, keyID, &key) == kPGPError_NoErr) {
            TOwnedKeySet one;
            PGPError status = OneKeySet(key, one);
            if (status != kPGPError_NoErr)
                return MapX509Status(status);
            const int listed = ListCertificates(one.Get(), signer, list, keyFilter, selection, nullptr);
            if (listed < 0)
                return listed;
        }
    }
    if (onePerKey)
        for (int i = list->Count() - 1; i > before; --i)
            for (int j = before; j < i; ++j)
                if (list->Record(j).KeyID == list->Record(i).KeyID) {
                    list->Delete(i);
                    break;
                }
    return list->Count() - before;
}

// ---- Choosing and naming ---------------------------------------------------------------------------

PGPError PickCertificateKey(PGPContextRef context, PGPKeySetRef from, bool certificatesOnly, HWND parent,
    const std::string& title, PGPKeyDBObjRef& object)
{
    object = 0;
    PGPKeyDBObjRef certificate = 0;
    TOwnedKeySet picked;
    // The certificate dialog where the SDK has one and certificates are wanted; else the key dialog.
    const PGPError status = SelectKeysOrCert(context, parent, title, from, certificatesOnly, true, picked.Out(),
                                             &certificate);
    if (status != kPGPError_NoErr)
        return status;
    if (certificate)
        object = certificate;
    else if (picked.Get())
        FirstKeyOfSet(picked.Get(), &object);
    return kPGPError_NoErr;
}

PGPKeyDBObjRef FindCertificateByData(PGPKeySetRef keySet, const std::string& der, PGPKeyDBObjRef* key)
{
    PGPKeyDBObjRef found = 0;
    ForEachKey(keySet, [&](PGPKeyDBObjRef candidateKey) {
        ForEachCertificate(candidateKey, [&](PGPKeyDBObjRef, PGPKeyDBObjRef certificate) {
            if (CertificateDer(certificate) == der)
                found = certificate;
            return found == 0;
        });
        if (found && key)
            *key = candidateKey;
        return found == 0;
    });
    return found;
}

std::string CertificateName(const TX509CertPropsRec& certificate)
{
    return certificate.Der.empty() ? certificate.KeyID : certificate.Der;
}

PGPKeyDBObjRef FindNamedCertificate(PGPKeySetRef keySet, const std::string& keyIDOrData)
{
    if (keyIDOrData.empty())
        return 0;
    if (IsExactKeyID(keyIDOrData)) {
        PGPKeyDBObjRef key = 0;
        return FindKeyByKeyIDText(keySet, keyIDOrData, &key) == kPGPError_NoErr ? FindKeyCertificate(nullptr, key, 0)
                                                                                  : 0;
    }
    return FindCertificateByData(keySet, keyIDOrData, nullptr);
}

namespace {

PGPKeyDBObjRef ChosenCertificate(const TRingsOpening& rings, const std::string& title, const std::string& keyIDOrData,
    HWND parent)
{
    PGPKeyDBObjRef object = 0;
    if (!title.empty()) {
        PickCertificateKey(rings.context, rings.keySet, true, parent, title, object);
        if (object && SDKGeneration < 4)
            object = FindKeyCertificate(nullptr, object, 0);
        return object;
    }
    return FindNamedCertificate(rings.keySet, keyIDOrData);
}

} // namespace

// ---- Export and chain -------------------------------------------------------------------------------

PGPError ExportCertificateToFile(const std::string& title, const std::string& keyIDOrData, HWND parent,
    std::unique_ptr<TX509CertPropsList>& list, std::string& text, bool chainAndPem)
{
    text.clear();
    TRingsOpening rings;
    if (rings.status != kPGPError_NoErr)
        return rings.status;
    const PGPKeyDBObjRef certificate = ChosenCertificate(rings, title, keyIDOrData, parent);
    if (!certificate)
        return kX509NoCertificate;
    if (!chainAndPem) {
        const PGPError status = ExportCertificate(rings.context, certificate, false, text);
        if (status != kPGPError_NoErr)
            return status;
        return AddCertificateToList(certificate, list);
    }
    std::vector<PGPKeyDBObjRef> chain;
    for (PGPKeyDBObjRef link = certificate; link && chain.size() < 32; link = IssuerCertificate(link)) {
        if (std::find(chain.begin(), chain.end(), link) != chain.end())
            break; // a loop of cross-certified issuers
        chain.push_back(link);
    }
    for (PGPKeyDBObjRef link : chain) {
        std::string armoured;
        const PGPError status = ExportCertificate(rings.context, link, true, armoured);
        if (status != kPGPError_NoErr) {
            text.clear();
            return status;
        }
        text += armoured + "\r\n";
        // The list names what the text holds, the chain's own certificates: the caller's headline
        // counts them, and the other certificates of the chain's keys are not in the text.
        AddCertificateToList(link, list);
    }
    text.resize(text.size() - 2);
    return kPGPError_NoErr;
}

TChainState VerifyCertificateChain(PGPKeySetRef keySet, TX509CertPropsRec& record)
{
    if (SDKGeneration < 2)
        return csChainNotVerified;
    TRingsOpening rings;
    if (rings.status != kPGPError_NoErr)
        return csChainNotVerified;
    std::vector<TChainCertificate> certificates;
    std::vector<PGPKeyDBObjRef> objects;
    if (CollectChain(keySet, false, certificates, &objects) != kPGPError_NoErr)
        return csChainNotVerified;
    std::string chain;
    int first = -1;
    if (BuildChainBlob(certificates, chain, &first) != 0)
        return csChainNotVerified;
    ReadCertificateRecord(objects[first], record);
    // The chain must hold together on its own; it counts as verified only when it also leads to a
    // certificate of a key the user trusts, otherwise the signer key's own validity decides.
    if (ChainStateOf(VerifyChainBlob(rings.context, chain, chain)) == csChainNotVerified)
        return csChainNotVerified;
    const std::string roots = TrustedRootsBlob(rings.keySet);
    if (roots.empty())
        return csChainSelfSigned;
    return VerifyChainBlob(rings.context, chain, roots) == kPGPError_NoErr ? csChainVerified : csChainSelfSigned;
}

// ---- Changing the database ---------------------------------------------------------------------------

// A direct import rather than the key import with its selection dialog: the key must get the
// user's passphrase while it is still only in the imported database, and that import commits into
// the key rings at once, which would leave a key locked under the wiped transfer passphrase
// whenever the change fails. Its one caller, the certificate store, asks no questions anyway.
int ImportCertificates(const std::string& data, std::unique_ptr<TX509CertPropsList>& list,
    const std::string& keyPassphrase, const std::string& transferPassphrase)
{
    if (data.empty())
        return kX509NoImportData;
    TRingsOpening rings;
    if (rings.status != kPGPError_NoErr)
        return rings.status;
    if (!SDKProcs.PGPImport || !SDKProcs.PGPCopyKeys || !SDKProcs.PGPPeekKeyDBRootKeySet ||
        !SDKProcs.PGPPeekKeySetKeyDB)
        return kPGPError_NotImplemented;
    TOwnedKeyDB imported;
    PGPError status = SDKProcs.PGPImport(rings.context, imported.Out(),
        SDKProcs.PGPOInputBuffer(rings.context, data.data(), static_cast<PGPSize>(data.size())),
        SDKProcs.PGPOInputFormat(rings.context, kPGPFormat_PKCS12),
        SDKProcs.PGPOPassphrase(rings.context, transferPassphrase.c_str()), SDKProcs.PGPOLastOption(rings.context));
    if (status != kPGPError_NoErr)
        return MapX509Status(status);
    // The key gets its own passphrase while it is only in the imported database: a change that
    // fails then imports nothing, instead of leaving a key in the user's files locked under a
    // transfer passphrase nobody knows.
    const PGPKeySetRef importedKeys = SDKProcs.PGPPeekKeyDBRootKeySet(imported.Get());
    PGPKeyDBObjRef first = 0;
    if (!keyPassphrase.empty() && keyPassphrase != transferPassphrase &&
        FirstKeyOfSet(importedKeys, &first) == kPGPError_NoErr) {
        status = ChangeKeyAndSubKeyPassphrases(rings.context, first, transferPassphrase.c_str(), keyPassphrase.c_str());
        if (status != kPGPError_NoErr)
            return status;
    }
    TOwnedKeySet copied;
    status = SDKProcs.PGPCopyKeys(importedKeys, SDKProcs.PGPPeekKeySetKeyDB(rings.keySet), copied.Out());
    if (status == kPGPError_NoErr)
        status = KeyRings().Commit();
    if (status != kPGPError_NoErr)
        return MapX509Status(status);
    const int listed = ListCertificates(copied.Get(), 0, list, kKeyFilterCanDecrypt, 0, nullptr);
    return listed > 0 ? listed : listed < 0 ? listed : kX509NoCertificate;
}

PGPError RemoveCertificate(const std::string& title, const std::string& keyIDOrData, bool removeUserID, HWND parent,
    std::unique_ptr<TX509CertPropsList>& list)
{
    TRingsOpening rings;
    if (rings.status != kPGPError_NoErr)
        return rings.status;
    const PGPKeyDBObjRef certificate = ChosenCertificate(rings, title, keyIDOrData, parent);
    if (!certificate)
        return kX509NoCertificate;
    AddCertificateToList(certificate, list);
    const PGPKeyDBObjRef key = KeyOf(certificate);
    PGPKeyDBObjRef userID = 0;
    ForEachCertificate(key, [&](PGPKeyDBObjRef owner, PGPKeyDBObjRef candidate) {
        if (candidate == certificate)
            userID = owner;
        return userID == 0;
    });
    bool changed = false;
    if (!IsSelfSignedCert(certificate)) {
        const PGPError status =
            SDKProcs.PGPRemoveSig ? SDKProcs.PGPRemoveSig(certificate) : kPGPError_NotImplemented;
        if (status != kPGPError_NoErr)
            return MapX509Status(status);
        changed = true;
    }
    if (removeUserID && userID) {
        int signaturesLeft = 0;
        TKeyWalk walk;
        if (WalkOneKey(key, walk) == kPGPError_NoErr)
            ForEachObject(walk.iter.Get(), kPGPIter_UserID, [&](PGPKeyDBObjRef candidate) {
                if (candidate == userID)
                    ForEachObject(walk.iter.Get(), kPGPIter_Signature, [&](PGPKeyDBObjRef) {
                        ++signaturesLeft;
                        return true;
                    });
                return candidate != userID;
            });
        if (signaturesLeft == 0) {
            const PGPError status =
                SDKProcs.PGPRemoveUserID ? SDKProcs.PGPRemoveUserID(userID) : kPGPError_NotImplemented;
            if (status == kPGPError_NoErr) {
                changed = true;
            } else {
                // The key's last user id: the whole key goes.
                TOwnedKeySet one;
                uint32_t count = 0;
                if (OneKeySet(key, one) == kPGPError_NoErr && SDKProcs.PGPCountKeys &&
                    SDKProcs.PGPCountKeys(one.Get(), &count) == kPGPError_NoErr && count == 1 &&
                    DeleteKeys(one.Get(), rings.keySet) == kPGPError_NoErr)
                    changed = true;
            }
        }
    }
    if (changed)
        return MapX509Status(KeyRings().Commit());
    return removeUserID ? kPGPError_NoErr : kX509SelfSignedChain;
}

namespace {

// The prompt's first word with a colon: "Passphrase for ..." gives "Passphrase:".
std::string PickTitle(const std::string& prompt)
{
    const std::size_t blank = prompt.find(' ');
    return blank == std::string::npos ? prompt : prompt.substr(0, blank) + ":";
}

PGPError CopyPassphrase(const char* entered, TSecureBytes& passphrase)
{
    const std::size_t length = std::strlen(entered);
    passphrase = NewSecureData(length + 1);
    if (!passphrase)
        return kPGPError_OutOfMemory;
    std::memcpy(passphrase.data(), entered, length);
    return kPGPError_NoErr;
}

// The candidates with the signer's address; Offered stays the whole set when none has it.
PGPError CandidatesWithAddress(PGPContextRef context, PGPKeySetRef candidates, const std::string& address,
    TOwnedKeySet& matching, PGPKeySetRef& offered)
{
    offered = candidates;
    if (address.empty() || !SDKProcs.PGPFilterKeySet || !SDKProcs.PGPCountKeys)
        return kPGPError_NoErr;
    TOwnedFilter filter;
    PGPError status = NewDataFilter(context, kPGPUserIDProperty_EmailAddress, address.data(), filter.Out(),
        static_cast<PGPSize>(address.size()), kPGPMatch_Equal);
    if (status == kPGPError_NoErr)
        status = SDKProcs.PGPFilterKeySet(candidates, filter.Get(), matching.Out());
    uint32_t count = 0;
    if (status == kPGPError_NoErr)
        status = SDKProcs.PGPCountKeys(matching.Get(), &count);
    if (status == kPGPError_NoErr && count > 0)
        offered = matching.Get();
    return status;
}

// The signer's key named by key id or certificate data (0 when none names one).
PGPKeyDBObjRef NamedSigner(PGPKeySetRef keySet, const std::string& signerKeyIDOrData,
    const std::string& signerUserText, PGPKeyDBObjRef* certificate)
{
    PGPKeyDBObjRef key = 0;
    if (IsKeyIDText(signerKeyIDOrData)) {
        if (FindKeyByKeyIDText(keySet, signerKeyIDOrData, &key) == kPGPError_NoErr && certificate)
            *certificate = FindKeyCertificate(&signerUserText, key, 0);
    } else if (!signerKeyIDOrData.empty()) {
        const PGPKeyDBObjRef found = FindCertificateByData(keySet, signerKeyIDOrData, &key);
        if (certificate)
            *certificate = found;
    }
    return key;
}

// The signing dialog over the offered keys, the named signer chosen at first, and the passphrase
// checked against the chosen key before the dialog closes: a mistyped one would fail later, at
// the signing, with the message already composed.
PGPError AskSigner(PGPContextRef context, PGPKeySetRef offered, PGPKeyDBObjRef signer, HWND parent,
    const std::string& prompt, PGPKeyDBObjRef& chosen, TSecureBytes& passphrase)
{
    if (!SDKProcs.PGPNewKeyDB || !SDKProcs.PGPCopyKeys || !SDKProcs.PGPPeekKeyDBRootKeySet ||
        !SDKProcs.PGPSigningPassphraseDialog || !SDKProcs.PGPOUIOutputPassphrase)
        return kPGPError_NotImplemented;
    // The dialog sees only the offered keys: a database of copies of them.
    TOwnedKeyDB candidates;
    PGPError status = SDKProcs.PGPNewKeyDB(context, candidates.Out());
    TOwnedKeySet copied;
    if (status == kPGPError_NoErr)
        status = SDKProcs.PGPCopyKeys(offered, candidates.Get(), copied.Out());
    if (status != kPGPError_NoErr)
        return MapX509Status(status);
    const PGPKeySetRef shown = SDKProcs.PGPPeekKeyDBRootKeySet(candidates.Get());
    PGPKeyDBObjRef signerCopy = 0;
    if (signer && SDKProcs.PGPOUIDefaultKey)
        FindSameKey(signer, shown, &signerCopy);
    char* entered = nullptr;
    status = SDKProcs.PGPSigningPassphraseDialog(context, shown, &chosen,
        SDKProcs.PGPOUIDialogPrompt(context, prompt.c_str()), SDKProcs.PGPOUIParentWindowHandle(context, parent),
        signerCopy ? SDKProcs.PGPOUIDefaultKey(context, signerCopy) : SDKProcs.PGPONullOption(context),
        SDKProcs.PGPOUIVerifyPassphrase ? SDKProcs.PGPOUIVerifyPassphrase(context, 1) : SDKProcs.PGPONullOption(context),
        SDKProcs.PGPOUIOutputPassphrase(context, &entered), SDKProcs.PGPOLastOption(context));
    if (status == kPGPError_NoErr && entered)
        status = CopyPassphrase(entered, passphrase);
    if (entered) {
        SecureZeroMemory(entered, std::strlen(entered));
        if (SDKProcs.PGPFreeData)
            SDKProcs.PGPFreeData(entered);
    }
    PGPKeyDBObjRef inMain = 0;
    if (status == kPGPError_NoErr)
        status = FindSameKey(chosen, KeyRings().KeySet(), &inMain);
    chosen = inMain;
    return status == kX509NoSigningKeyOffered ? kX509NoCertificate : status;
}

} // namespace

PGPError SMimeSigningPassphrase(PGPContextRef context, PGPKeySetRef candidates, PGPKeyDBObjRef& key, HWND parent,
    const std::string& prompt, const std::string& signerKeyIDOrData, const std::string& signerUserText,
    TSecureBytes& passphrase, PGPKeyDBObjRef& certificate)
{
    certificate = 0;
    TRingsOpening rings;
    if (rings.status != kPGPError_NoErr)
        return rings.status;
    if (prompt.empty()) {
        key = NamedSigner(rings.keySet, signerKeyIDOrData, signerUserText, &certificate);
        if (!key || !KeyCanSign(key))
            return kX509KeyCannotSign;
        const bool valid = passphrase && SDKProcs.PGPPassphraseIsValid &&
                           SDKProcs.PGPPassphraseIsValid(key,
                               SDKProcs.PGPOPassphrase(context, reinterpret_cast<const char*>(passphrase.data())),
                               SDKProcs.PGPOLastOption(context));
        if (!valid)
            return kX509WrongPassphrase;
        return certificate ? kPGPError_NoErr : kX509NoCertificate;
    }
    std::string address = ExtractEmailAddress(DNToUserID(signerUserText));
    if (address.empty())
        address = ExtractEmailAddress(signerUserText);
    TOwnedKeySet matching;
    PGPKeySetRef offered = candidates;
    PGPError status = CandidatesWithAddress(context, candidates, address, matching, offered);
    if (status != kPGPError_NoErr)
        return MapX509Status(status);
    status = AskSigner(context, offered, NamedSigner(rings.keySet, signerKeyIDOrData, signerUserText, nullptr), parent,
        prompt, key, passphrase);
    if (status != kPGPError_NoErr)
        return status;
    const bool addressMatched = offered != candidates;
    if (SDKGeneration <= 3 || addressMatched || CountCertificates(key, 0) <= 1) {
        // Names hold the address ("E=..."), not the user id text; any usable certificate of the
        // chosen key will do when none names it.
        const std::string& wanted = address.empty() ? signerUserText : address;
        certificate = FindKeyCertificate(&wanted, key, 0);
        if (!certificate)
            certificate = FindKeyCertificate(nullptr, key, 0);
    } else {
        TOwnedKeySet one;
        status = OneKeySet(key, one);
        if (status == kPGPError_NoErr)
            status = PickCertificateKey(context, one.Get(), true, parent, PickTitle(prompt), certificate);
        if (status != kPGPError_NoErr)
            return status;
    }
    return certificate ? kPGPError_NoErr : kX509NoCertificate;
}

PGPError FindCertificatesForKey(const std::string& title, std::unique_ptr<TX509CertPropsList>& list, HWND parent)
{
    TRingsOpening rings;
    if (rings.status != kPGPError_NoErr)
        return rings.status;
    PGPKeyDBObjRef picked = 0;
    PGPError status = PickCertificateKey(rings.context, rings.keySet, true, parent, title, picked);
    if (status != kPGPError_NoErr)
        return status;
    if (picked && SDKGeneration < 4)
        picked = FindKeyCertificate(nullptr, picked, 0);
    return picked ? AddCertificateToList(picked, list) : kX509NoCertificate;
}
