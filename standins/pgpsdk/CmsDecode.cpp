// The CMS decoder: an EnvelopedData opened with the secret key of a recipient the key database
// knows by issuer and serial (AES or triple DES, padding checked, nothing output when it does not
// decrypt), or a SignedData, embedded or detached, whose message digest and signature are checked
// for each signer against its certificate from the database or from the message, and that
// certificate against the database's revocation lists; data given beside it is what is checked.
// Events as for OpenPGP: begin, analyse, recipients, passphrase, key found, output, a signature
// per signer, end.
#include "standins/pgpsdk/Cms.h"
#include "standins/pgpsdk/CmsSupport.h"
#include "standins/pgpsdk/Output.h"
#include "standins/pgpsdk/PassphraseCache.h"
#include "standins/pgpsdk/StandInExports.h"
#include "standins/pgpsdk/X509Certs.h"
#include "standins/pgpsdk/openpgp/Crypto.h"
#include "standins/pgpsdk/openpgp/KeyPackets.h"
#include "standins/pgpsdk/openpgp/Verify.h"

#include <gcrypt.h>

#include <algorithm>
#include <ctime>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace standin::cms {
namespace {

constexpr int kMaxPassphraseAsks = 5;

void Burn(std::string& text)
{
    std::fill(text.begin(), text.end(), '\0');
    text.clear();
}

struct Recipient {
    Holder holder;
    std::string encryptedKey;
};

// A key database of the certificates a message carries; freed with the decode.
struct FoundKeys {
    PGPKeyDBRef handle = 0;
    std::shared_ptr<KeyDBState> state;
    ~FoundKeys()
    {
        if (handle)
            PGPFreeKeyDB(handle);
    }
};

class Decode {
public:
    explicit Decode(CmsDecodeJob& job) : job_(job) {}
    ~Decode() { Burn(content_); }

    PGPError Run(std::string_view input);

private:
    std::shared_ptr<KeyDBState> Keys() const
    {
        const Option* db = FindOption(job_.options, OptionKind::KeyDBRef);
        auto object = db ? Handles().Get<KeyDB>(db->handle, ObjectKind::KeyDB) : nullptr;
        return object ? object->state : nullptr;
    }
    PGPError Simple(int type)
    {
        PGPEvent event {};
        event.type = type;
        return job_.event(event);
    }
    PGPError Enveloped(ksba_cms_t cms, const std::string& encrypted);
    PGPError OpenWith(const std::vector<Recipient>& recipients, ksba_cms_t cms, const std::string& encrypted,
                      std::string& plain);
    PGPError AskPassphrase(std::string& passphrase);
    PGPError Signed(ksba_cms_t cms, bool detached);
    PGPError CheckSigner(ksba_cms_t cms, int index, const std::string& content, const FoundKeys& found);
    PGPError ReadCertificates(ksba_cms_t cms, FoundKeys& found);
    PGPError Output(std::string_view data);

    CmsDecodeJob& job_;
    std::string content_; // what libksba hashed: the embedded content, later a signer's signed attributes
};

PGPError Decode::Run(std::string_view input)
{
    PGPEvent begin {};
    begin.type = kPGPEvent_BeginLex;
    PGPError status = job_.event(begin);
    if (status != kPGPError_NoErr)
        return status;
    ReaderPtr reader;
    WriterPtr writer;
    CmsPtr cms = NewCms(input, reader, writer);
    if (!cms)
        return kPGPError_OutOfMemory;
    ksba_cms_set_hash_function(
        cms.get(), [](void* into, const void* data, size_t length) {
            static_cast<std::string*>(into)->append(static_cast<const char*>(data), length);
        },
        &content_);
    bool detached = false;
    ksba_stop_reason_t reason = KSBA_SR_NONE;
    do {
        if (ksba_cms_parse(cms.get(), &reason) != 0)
            return kPGPError_CorruptData;
        // Embedded content ends with END_DATA; only a detached signature asks for the hash without it.
        if (reason == KSBA_SR_NEED_HASH || reason == KSBA_SR_END_DATA)
            detached = reason == KSBA_SR_NEED_HASH;
    } while (reason != KSBA_SR_READY);
    const ksba_content_type_t type = ksba_cms_get_content_type(cms.get(), 0);
    if (type != KSBA_CT_ENVELOPED_DATA && type != KSBA_CT_SIGNED_DATA)
        return kPGPError_UnsupportedFormat;
    PGPEvent analyse {};
    analyse.type = kPGPEvent_Analyze;
    analyse.data.analyzeData.analyzeType = type == KSBA_CT_ENVELOPED_DATA ? kPGPAnalyze_Encrypted : kPGPAnalyze_Signed;
    status = job_.event(analyse);
    if (status == kPGPError_SkipSection)
        return Simple(kPGPEvent_EndLex);
    if (status != kPGPError_NoErr)
        return status;
    if (type == KSBA_CT_ENVELOPED_DATA) {
        std::string encrypted = TakeWritten(writer.get());
        status = Enveloped(cms.get(), encrypted);
    } else {
        status = Signed(cms.get(), detached);
    }
    return status != kPGPError_NoErr ? status : Simple(kPGPEvent_EndLex);
}

PGPError Decode::Output(std::string_view data)
{
    if (FindOption(job_.options, OptionKind::DiscardOutput))
        return kPGPError_NoErr;
    PGPEvent event {};
    event.type = kPGPEvent_Output;
    PGPError status = job_.event(event);
    if (status == kPGPError_NoErr
        && (FindOption(job_.options, OptionKind::AllocatedOutputBuffer) || FindOption(job_.options, OptionKind::OutputBuffer)
            || FindOption(job_.options, OptionKind::OutputFile)))
        status = DeliverOutput(job_.options, data);
    return status;
}

PGPError Decode::Enveloped(ksba_cms_t cms, const std::string& encrypted)
{
    auto db = Keys();
    std::vector<Recipient> recipients;
    std::vector<PGPKeyID> ids;
    std::vector<KeyRecord*> known;
    for (int index = 0;; ++index) {
        char* issuer = nullptr;
        ksba_sexp_t serial = nullptr;
        if (ksba_cms_get_issuer_serial(cms, index, &issuer, &serial) != 0)
            break;
        Recipient recipient;
        const std::string serialText = CanonicalText(serial);
        ksba_free(serial);
        if (db)
            recipient.holder = FindByIssuerSerial(*db, TakeKsbaText(issuer), serialText);
        else
            ksba_free(issuer);
        ksba_sexp_t value = ksba_cms_get_enc_val(cms, index);
        recipient.encryptedKey = SexpToken(value, "a");
        ksba_free(value);
        if (KeyRecord* key = recipient.holder.key) {
            if (std::find(known.begin(), known.end(), key) == known.end()) {
                known.push_back(key);
                ids.push_back(MakeKeyID(key->key));
            }
            recipients.push_back(std::move(recipient));
        }
    }
    PGPKeySetRef set = NewMembersKeySet(db, known);
    PGPEvent event = RecipientsEvent(set, ids);
    PGPError status = job_.event(event);
    std::string plain;
    if (status == kPGPError_NoErr)
        status = OpenWith(recipients, cms, encrypted, plain);
    if (set)
        PGPFreeKeySet(set);
    if (status == kPGPError_NoErr)
        status = Output(plain);
    Burn(plain);
    return status;
}

PGPError Decode::AskPassphrase(std::string& passphrase)
{
    PGPEvent event {};
    event.type = kPGPEvent_Passphrase;
    const std::size_t before = job_.options.size();
    PGPError status = job_.event(event);
    if (status != kPGPError_NoErr)
        return status;
    for (std::size_t i = before; i < job_.options.size(); ++i)
        if (job_.options[i].kind == OptionKind::Passphrase) {
            passphrase = std::string(job_.options[i].secret.View());
            return kPGPError_NoErr;
        }
    return kPGPError_BadPassphrase;
}

PGPError Decode::OpenWith(const std::vector<Recipient>& recipients, ksba_cms_t cms, const std::string& encrypted,
                          std::string& plain)
{
    const Cipher* cipher = CipherOfOid(ksba_cms_get_content_oid(cms, 2));
    unsigned char iv[16];
    std::size_t ivLength = 0;
    if (!cipher || ksba_cms_get_content_enc_iv(cms, iv, sizeof iv, &ivLength) != 0)
        return kPGPError_UnsupportedAlgorithm;
    struct Candidate {
        const Recipient* recipient;
        openpgp::SecretKey secret;
    };
    std::vector<Candidate> candidates;
    for (const Recipient& recipient : recipients) {
        Candidate candidate { &recipient, {} };
        if (!recipient.holder.key->secretPacket.empty()
            && openpgp::ParseSecretKey(recipient.holder.key->secretPacket, candidate.secret) == kPGPError_NoErr)
            candidates.push_back(std::move(candidate));
    }
    if (candidates.empty())
        return kPGPError_NoSecretKey;
    bool unlocked = false;
    auto open = [&](std::string_view passphrase) {
        for (const Candidate& candidate : candidates) {
            std::vector<std::string> secrets;
            if (openpgp::UnlockSecretKey(candidate.secret, passphrase, secrets) != kPGPError_NoErr)
                continue;
            unlocked = true;
            std::string key;
            const bool decrypted = openpgp::DecryptWithKey(candidate.secret.publicKey, secrets,
                                                           { candidate.recipient->encryptedKey }, key);
            for (auto& secret : secrets)
                Burn(secret);
            const bool opened = decrypted && key.size() == cipher->keySize
                && CbcDecrypt(*cipher, key, std::string_view(reinterpret_cast<const char*>(iv), ivLength), encrypted, plain);
            Burn(key);
            if (opened)
                return true;
        }
        return false;
    };
    auto finished = [&] { return unlocked ? kPGPError_CorruptData : kPGPError_NoErr; };
    if (std::any_of(candidates.begin(), candidates.end(), [](const Candidate& c) { return !c.secret.Protected(); })
        && open(""))
        return kPGPError_NoErr;
    for (const Candidate& candidate : candidates)
        if (auto cached = CachedPassphrase(candidate.secret.publicKey.KeyID()); cached && open(cached->View()))
            return kPGPError_NoErr;
    for (const Option& option : job_.options)
        if (option.kind == OptionKind::Passphrase && open(option.secret.View()))
            return kPGPError_NoErr;
    // A key that unlocks but does not open the content: the message is damaged, asking again is no use.
    if (finished() != kPGPError_NoErr)
        return finished();
    for (int ask = 0; ask < kMaxPassphraseAsks; ++ask) {
        std::string passphrase;
        PGPError status = AskPassphrase(passphrase);
        if (status == kPGPError_BadPassphrase)
            continue;
        if (status != kPGPError_NoErr)
            return status;
        const bool opened = open(passphrase);
        if (opened)
            if (const Option* cache = FindOption(job_.options, OptionKind::CachePassphrase))
                for (const Candidate& candidate : candidates)
                    CachePassphrase(candidate.secret.publicKey.KeyID(), passphrase, cache->value);
        Burn(passphrase);
        if (opened)
            return kPGPError_NoErr;
        if (finished() != kPGPError_NoErr)
            return finished();
    }
    return kPGPError_BadPassphrase;
}

PGPError Decode::ReadCertificates(ksba_cms_t cms, FoundKeys& found)
{
    PGPError status = PGPNewKeyDB(job_.context, &found.handle);
    if (status != kPGPError_NoErr)
        return status;
    found.state = Handles().Get<KeyDB>(found.handle, ObjectKind::KeyDB)->state;
    for (int index = 0;; ++index) {
        ksba_cert_t cert = ksba_cms_get_cert(cms, index);
        if (!cert)
            break;
        std::size_t length = 0;
        const unsigned char* image = ksba_cert_get_image(cert, &length);
        std::vector<X509Facts> facts;
        if (image && X509CertificateReader()
            && X509CertificateReader()(std::string_view(reinterpret_cast<const char*>(image), length), facts)
                == kPGPError_NoErr)
            for (const X509Facts& one : facts)
                if (auto key = X509KeyRecord(one))
                    found.state->keys.push_back(std::move(key));
        ksba_cert_release(cert);
    }
    if (found.state->keys.empty() || !OptionFlag(job_.options, OptionKind::SendEventIfKeyFound))
        return kPGPError_NoErr;
    PGPEvent event {};
    event.type = kPGPEvent_KeyFound;
    event.data.keyFoundData.keyDB = found.handle;
    return job_.event(event);
}

PGPError Decode::Signed(ksba_cms_t cms, bool detached)
{
    // Data given beside the signature is what the caller shows, so that is what is checked, also
    // when the SignedData carries content of its own: embedded content is then neither checked
    // nor output.
    const Option* data = FindOption(job_.options, OptionKind::DetachedSig);
    const Option* buffer = data ? FindOption(data->nested, OptionKind::InputBuffer) : nullptr;
    if (detached && !buffer)
        return kPGPError_BadOption; // a detached signature needs the signed data beside it
    std::string content = buffer ? std::string(static_cast<const char*>(buffer->pointer), buffer->size) : content_;
    Burn(content_);
    FoundKeys found;
    PGPError status = ReadCertificates(cms, found);
    if (status == kPGPError_NoErr && !buffer)
        status = Output(content);
    // Every signer is checked and reported; a SignedData without one reports no signature.
    for (int index = 0; status == kPGPError_NoErr && ksba_cms_get_digest_algo(cms, index); ++index)
        status = CheckSigner(cms, index, content, found);
    Burn(content);
    return status;
}

PGPError Decode::CheckSigner(ksba_cms_t cms, int index, const std::string& content, const FoundKeys& found)
{
    // The signer: by issuer and serial, in the key database first, else among the message's certificates.
    char* issuerText = nullptr;
    ksba_sexp_t serialSexp = nullptr;
    Holder signer;
    std::shared_ptr<KeyDBState> signerDB;
    if (ksba_cms_get_issuer_serial(cms, index, &issuerText, &serialSexp) == 0) {
        const std::string issuer = TakeKsbaText(issuerText), serial = CanonicalText(serialSexp);
        ksba_free(serialSexp);
        for (const auto& db : { Keys(), found.state })
            if (db && !signer.key && (signer = FindByIssuerSerial(*db, issuer, serial)).key)
                signerDB = db;
    }
    const int hash = HashOfOid(ksba_cms_get_digest_algo(cms, index));
    const std::string contentDigest = hash ? openpgp::Hash(hash, content) : std::string();
    bool digestGood = !contentDigest.empty();
    std::string signedDigest = contentDigest;
    char* attribute = nullptr;
    std::size_t attributeLength = 0;
    const gpg_error_t attributes = ksba_cms_get_message_digest(cms, index, &attribute, &attributeLength);
    if (attributes == 0) {
        digestGood = digestGood && std::string(attribute, attributeLength) == contentDigest;
        ksba_free(attribute);
        Burn(content_);
        digestGood = digestGood && ksba_cms_hash_signed_attrs(cms, index) == 0;
        signedDigest = hash ? openpgp::Hash(hash, content_) : std::string();
    } else if (gpg_err_code(attributes) != GPG_ERR_NO_DATA) {
        digestGood = false;
    }
    ksba_sexp_t sigval = ksba_cms_get_sig_val(cms, index);
    openpgp::Signature signature;
    signature.publicKeyAlgorithm = 1;
    signature.hashAlgorithm = hash;
    signature.mpis.push_back(SexpToken(sigval, "s"));
    signature.left16 = signedDigest.substr(0, 2);
    ksba_free(sigval);
    ksba_isotime_t signingTime {};
    if (ksba_cms_get_signing_time(cms, index, signingTime) == 0)
        signature.created = X509IsoTime(signingTime);

    PGPEvent event {};
    event.type = kPGPEvent_Signature;
    auto& data = event.data.signatureData;
    data.creationTime = signature.created;
    data.hashAlgorithm = hash;
    if (signer.key) {
        const KeyRecord& key = *signer.key;
        data.signingKeyID = MakeKeyID(key.key);
        data.signingKey = ObjectHandle(signerDB, KeyObjectKind::Key, signer.key);
        data.checked = true;
        data.verified = digestGood && !signature.mpis.front().empty()
            && openpgp::VerifyDigest(key.key, signature, signedDigest);
        const auto& certificate = signer.certificate->signature;
        const uint64_t notAfter = certificate.signatureExpiry ? uint64_t { certificate.created } + certificate.signatureExpiry : 0;
        const bool outside = signature.created
            && (signature.created < certificate.created || (notAfter && signature.created > notAfter));
        data.certExpired = X509Expired(*signer.certificate) || outside;
        data.keyExpired = data.certExpired;
        data.keyRevoked = key.Revoked();
        // Revocation lists live in the key database, also for a signer known only from the message.
        data.certRevoked = Keys() && X509Revoked(*Keys(), *signer.certificate);
        data.keyDisabled = key.disabled;
        data.keyValidity = signerDB == found.state ? 0 : KeyValidity(*signerDB, key);
        // An expired or revoked certificate still tells who signed; the state says it is expired or revoked.
        data.keyCanVerify = true;
    }
    return job_.event(event);
}

PGPError DecodeCms(CmsDecodeJob& job, std::string_view input)
{
    if (!openpgp::InitCrypto())
        return kPGPError_NotImplemented;
    Decode decode(job);
    return decode.Run(input);
}

const bool decoderRegistered = (CmsMessageDecoder() = DecodeCms, true);

} // namespace
} // namespace standin::cms
