// Certificate revocation lists in the stand-in core, over libksba and libgcrypt. A list is imported
// onto the key of the CA certificate that signed it, so it travels with that key into the key files;
// a certificate counts as revoked when the newest list its issuer signed names its serial number.
// A list's signature is checked each time it is used: the key files are not trusted to keep it.
#include "standins/pgpsdk/CmsSupport.h"
#include "standins/pgpsdk/X509Certs.h"
#include "standins/pgpsdk/openpgp/Crypto.h"

#include <algorithm>

namespace standin {
namespace {

struct CrlRelease {
    void operator()(ksba_crl_s* crl) const { ksba_crl_release(crl); }
};

struct RevocationList {
    std::string der;
    std::string issuer; // RFC 2253
    uint32_t issued = 0;
    std::vector<std::string> serials; // canonical S-expressions, as IssuerSerialOf gives them
    std::string digestAlgorithm;
    std::string signedPart; // what the issuer signed
    std::string signature; // canonical sig-val

    bool SignedBy(const SigRecord& certificate) const
    {
        const cms::CertPtr issuerCertificate
            = cms::ParseCertificate(X509Field(certificate, kSubX509Certificate));
        return issuerCertificate
            && cms::SignedWithKeyOf(issuerCertificate.get(), digestAlgorithm.c_str(), signedPart,
                reinterpret_cast<const unsigned char*>(signature.data()));
    }
    bool Names(const std::string& serial) const
    {
        return std::find(serials.begin(), serials.end(), serial) != serials.end();
    }
};

// The DER of the first PEM block, or the data itself when it has none.
std::string RevocationListDer(std::string_view data)
{
    static const std::string begin = "-----BEGIN X509 CRL-----", end = "-----END X509 CRL-----";
    const std::size_t start = data.find(begin);
    if (start == std::string_view::npos)
        return std::string(data);
    const std::size_t stop = data.find(end, start);
    return stop == std::string_view::npos
        ? std::string()
        : X509Unbase64(data.substr(start + begin.size(), stop - start - begin.size()));
}

bool ParseRevocationList(std::string der, RevocationList& list)
{
    if (der.empty() || !openpgp::InitCrypto())
        return false;
    list.der = std::move(der);
    ksba_crl_t raw = nullptr;
    ksba_reader_t rawReader = nullptr;
    if (ksba_crl_new(&raw) != 0)
        return false;
    const std::unique_ptr<ksba_crl_s, CrlRelease> crl(raw);
    if (ksba_reader_new(&rawReader) != 0)
        return false;
    const cms::ReaderPtr reader(rawReader);
    if (ksba_reader_set_mem(rawReader, list.der.data(), list.der.size()) != 0
        || ksba_crl_set_reader(raw, rawReader) != 0)
        return false;
    ksba_crl_set_hash_function(
        raw,
        [](void* into, const void* data, std::size_t length) {
            static_cast<std::string*>(into)->append(static_cast<const char*>(data), length);
        },
        &list.signedPart);
    ksba_stop_reason_t reason = KSBA_SR_NONE;
    do {
        if (ksba_crl_parse(raw, &reason) != 0)
            return false;
        if (reason == KSBA_SR_GOT_ITEM) {
            ksba_sexp_t serial = nullptr;
            ksba_isotime_t revoked;
            ksba_crl_reason_t why = KSBA_CRLREASON_UNSPECIFIED;
            if (ksba_crl_get_item(raw, &serial, revoked, &why) != 0)
                return false;
            list.serials.push_back(cms::CanonicalText(serial));
            ksba_free(serial);
        }
    } while (reason != KSBA_SR_READY);
    char* issuer = nullptr;
    ksba_crl_get_issuer(raw, &issuer);
    list.issuer = cms::TakeKsbaText(issuer);
    ksba_isotime_t thisUpdate {}, nextUpdate {};
    if (ksba_crl_get_update_times(raw, thisUpdate, nextUpdate) == 0)
        list.issued = X509IsoTime(thisUpdate);
    const char* algorithm = ksba_crl_get_digest_algo(raw);
    list.digestAlgorithm = algorithm ? algorithm : "";
    ksba_sexp_t signature = ksba_crl_get_sig_val(raw);
    list.signature = cms::CanonicalText(signature);
    ksba_free(signature);
    return !list.issuer.empty() && !list.signature.empty();
}

struct Certificate {
    const UserIDRecord* userID = nullptr;
    const SigRecord* record = nullptr;
};

// The key's certificate whose subject is the list's issuer and whose key signed the list.
Certificate SigningCertificate(const KeyRecord& key, const RevocationList& list)
{
    for (const auto& userID : key.userIDs)
        for (const auto& record : userID.signatures)
            if (IsX509(record) && X509Field(record, kSubX509Subject) == list.issuer && list.SignedBy(record))
                return { &userID, &record };
    return {};
}

bool CertificateRevoked(const KeyDBState& db, const SigRecord& certificate)
{
    std::string issuer, serial;
    if (!cms::IssuerSerialOf(X509Field(certificate, kSubX509Certificate), issuer, serial))
        return false;
    RevocationList newest;
    for (const auto& key : db.keys)
        for (const auto& userID : key->userIDs)
            for (const auto& record : userID.signatures) {
                RevocationList list;
                if (IsX509RevocationList(record) && X509Field(record, kSubX509Issuer) == issuer
                    && ParseRevocationList(X509Field(record, kSubX509Certificate), list)
                    && list.issuer == issuer && list.issued >= newest.issued
                    && SigningCertificate(*key, list).record)
                    newest = std::move(list);
            }
    return newest.Names(serial);
}

PGPError ImportRevocationList(std::string_view data, std::vector<std::shared_ptr<KeyRecord>>& keys)
{
    RevocationList list;
    if (!ParseRevocationList(RevocationListDer(data), list))
        return kPGPError_X509BadFormat;
    // Only a CA the key files know can vouch for the list.
    for (const auto& db : Handles().All<KeyDB>(ObjectKind::KeyDB)) {
        if (db->state->publicPath.empty())
            continue;
        for (const auto& key : db->state->keys) {
            const Certificate certificate = SigningCertificate(*key, list);
            if (!certificate.record)
                continue;
            // The CA's key with just the user id of its certificate, which the list joins.
            auto holder = std::make_shared<KeyRecord>();
            holder->key = key->key;
            UserIDRecord userID;
            userID.text = certificate.userID->text;
            userID.signatures
                = { *certificate.record, X509RevocationListRecord(list.der, list.issuer, list.issued) };
            holder->userIDs.push_back(std::move(userID));
            keys.push_back(std::move(holder));
            return kPGPError_NoErr;
        }
    }
    return kPGPError_X509CertMissing;
}

const bool registered = (X509RevocationListParser() = { CertificateRevoked, ImportRevocationList }, true);

} // namespace
} // namespace standin
