// X.509 certificates as the SDK keeps them, as certificate signatures on user ids of keys in the
// key database: finding, listing, checking S/MIME recipients, exporting, chain verification,
// importing and removing. Every operation opens the key rings and closes them on every path.
#pragma once

#include "engine/KeyFuncsTypes.h"
#include "engine/SecureFuncs.h"
#include "engine/X509Chain.h"
#include "engine/sdk/PGPsdkTypes.h"

#include <windows.h>

#include <memory>
#include <string>

constexpr PGPError kX509NeedsNewerSDK = -11985;
constexpr PGPError kX509KeyCannotSign = -11492;
constexpr PGPError kX509WrongPassphrase = -11500;
constexpr PGPError kX509NoImportData = -10991;
constexpr PGPError kX509NoSigningKeyOffered = -11402;

// Selection flags of the certificate lists (high bits; the low bits are a key filter).
enum : uint32_t {
    kCertSelectAny = 0x1000,
    kCertSelectSelfSigned = 0x2000,
    kCertSelectEncrypt = 0x4000,
    kCertSelectSign = 0x8000,
    kCertSelectKeyFilter = 0x0FFF,
};

// A certificate is a signature whose X.509 property is true.
bool IsCertificate(PGPKeyDBObjRef signature);
// The certificate's DER data; empty when the SDK gives none.
std::string CertificateDer(PGPKeyDBObjRef certificate);
// Fills the record of one certificate: the SDK's properties and what its DER data says.
PGPError ReadCertificateRecord(PGPKeyDBObjRef certificate, TX509CertPropsRec& record);

// Certificates matching an address (keys found by e-mail) and/or held by the key of KeyID; with a
// signer key id only those it issued (the key must be able to sign). The count, or a status.
int FindX509Certificates(const std::string& UserText, const std::string& KeyID, const std::string& SignerKeyID,
    std::unique_ptr<TX509CertPropsList>& List, bool OnePerKey, uint32_t Selection);
// One line per certificate of the set's keys (filtered by the certifier, the user text and the
// selection) added to List. The number added, or a status. These helpers expect the key rings open.
int ListCertificates(PGPKeySetRef KeySet, PGPKeyDBObjRef Certifier, std::unique_ptr<TX509CertPropsList>& List,
    uint32_t KeyFilter, uint32_t Selection, const std::string* UserText);
int CountCertificates(PGPKeyDBObjRef Key, PGPKeyDBObjRef Certifier);
// The key's last usable certificate (whose subject or issuer name contains Text when given); 0 when none.
PGPKeyDBObjRef FindKeyCertificate(const std::string* Text, PGPKeyDBObjRef Key, PGPKeyDBObjRef Certifier);
// 0 when every key of the set has a usable certificate, else -11240.
PGPError CheckSMimeRecipients(PGPKeySetRef KeySet);
// A new set (the caller frees it) of the keys of all certificates in the database that pass.
PGPError MakeCertificateKeySet(
    PGPKeySetRef Database, PGPKeySetRef* KeySet, PGPKeyDBObjRef Certifier, bool UsableOnly, bool SigningOnly);

// The user picks a certificate (with SDK generation below 4, or without CertificatesOnly, the key).
PGPError PickCertificateKey(PGPContextRef Context, PGPKeySetRef From, bool CertificatesOnly, HWND Parent,
    const std::string& Title, PGPKeyDBObjRef& Object);
// The certificate named by KeyIDOrData: an exact 16-digit key id names its key's certificate,
// anything else is taken as DER data. 0 when none.
// What names exactly this certificate to the functions below: its encoded data. Its key's id
// would name the key's last usable certificate, another one where the key has several.
std::string CertificateName(const TX509CertPropsRec& Certificate);
PGPKeyDBObjRef FindNamedCertificate(PGPKeySetRef KeySet, const std::string& KeyIDOrData);
// With ChainAndPem the armoured chain up to a self-signed certificate, else the single DER data.
PGPError ExportCertificateToFile(const std::string& Title, const std::string& KeyIDOrData, HWND Parent,
    std::unique_ptr<TX509CertPropsList>& List, std::string& Text, bool ChainAndPem);
// The chain state of the set's certificates; Record describes the certificate the chain starts at.
// Only certificates of trusted keys serve as roots.
TChainState VerifyCertificateChain(PGPKeySetRef KeySet, TX509CertPropsRec& Record);
// Imports certificate data (PKCS#12 under TransferPassphrase); with a different KeyPassphrase the
// first imported key is given it. The count of imported certificates, or a status.
int ImportCertificates(const std::string& Data, std::unique_ptr<TX509CertPropsList>& List,
    const std::string& KeyPassphrase, const std::string& TransferPassphrase);
// Removes a certificate that is not self-signed (and its user id with RemoveUserID).
PGPError RemoveCertificate(const std::string& Title, const std::string& KeyIDOrData, bool RemoveUserID,
    HWND Parent, std::unique_ptr<TX509CertPropsList>& List);
// The S/MIME signer and its passphrase. With a prompt the user chooses among the candidates (those
// with the signer's address, else all) and the certificate; without, the key is the one of the
// signer key id (or of the certificate with those DER data) and Passphrase must unlock it.
PGPError SMimeSigningPassphrase(PGPContextRef Context, PGPKeySetRef Candidates, PGPKeyDBObjRef& Key, HWND Parent,
    const std::string& Prompt, const std::string& SignerKeyIDOrData, const std::string& SignerUserText,
    TSecureBytes& Passphrase, PGPKeyDBObjRef& Certificate);
// The user picks a certificate; it (for SDK generation below 4 its key's certificate) is listed.
PGPError FindCertificatesForKey(const std::string& Title, std::unique_ptr<TX509CertPropsList>& List, HWND Parent);

PGPError AddCertificateToList(PGPKeyDBObjRef Certificate, std::unique_ptr<TX509CertPropsList>& List);
PGPKeyDBObjRef FindCertificateByData(PGPKeySetRef KeySet, const std::string& Der, PGPKeyDBObjRef* Key);
PGPError BytesToText(const void* Bytes, std::size_t Length, std::string& Text);
