// The CMS encoder: a detached SignedData (signing time and message digest signed, the signer's
// certificate and its issuers inside, RSA PKCS #1 v1.5) or an EnvelopedData (AES-CBC under a random
// key, one RSA key-transport recipient per certificate), both built with libksba.
#include "standins/pgpsdk/Cms.h"
#include "standins/pgpsdk/CmsSupport.h"
#include "standins/pgpsdk/Output.h"
#include "standins/pgpsdk/PassphraseCache.h"
#include "standins/pgpsdk/X509Certs.h"
#include "standins/pgpsdk/openpgp/Crypto.h"
#include "standins/pgpsdk/openpgp/KeyPackets.h"
#include "standins/pgpsdk/openpgp/Verify.h"

#include <algorithm>
#include <ctime>

namespace standin::cms {
namespace {

constexpr int kSha1 = 2, kSha256 = 8;
constexpr std::size_t kMaxChain = 8;

// A canonical S-expression "(Outer(rsa(Name Value)))" of libksba's signature and key-transport values.
std::string RsaValue(const char* outer, const char* name, const std::string& value)
{
    auto atom = [](std::string_view text) { return std::to_string(text.size()) + ":" + std::string(text); };
    return "(" + atom(outer) + "(" + atom("rsa") + "(" + atom(name) + atom(value) + ")))";
}

// An RSA value as PKCS #1 writes it, as long as the modulus: OpenPGP's MPIs drop leading zero bytes,
// and a signature one byte short fails every verifier now and then.
std::string ModulusSized(const openpgp::PublicKey& key, const std::string& value)
{
    const std::size_t length = (static_cast<std::size_t>(key.Bits()) + 7) / 8;
    return value.size() < length ? std::string(length - value.size(), '\0') + value : value;
}

struct Secrets {
    std::vector<std::string> values;
    ~Secrets()
    {
        for (auto& value : values)
            std::fill(value.begin(), value.end(), '\0');
    }
};

PGPError UnlockKey(const Option& signWith, const KeyRecord& key, Secrets& secrets)
{
    openpgp::SecretKey secret;
    if (key.secretPacket.empty())
        return kPGPError_KeyUnusable;
    if (openpgp::ParseSecretKey(key.secretPacket, secret) != kPGPError_NoErr)
        return kPGPError_KeyFileCorrupt;
    const Option* passphrase = FindOption(signWith.nested, OptionKind::Passphrase);
    std::optional<SecretBytes> cached;
    if (!passphrase)
        cached = CachedPassphrase(secret.publicKey.KeyID());
    if (!passphrase && !cached && secret.Protected())
        return kPGPError_BadPassphrase;
    const std::string_view text = passphrase ? passphrase->secret.View() : cached ? cached->View() : std::string_view();
    return openpgp::UnlockSecretKey(secret, text, secrets.values);
}

std::string IsoNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts {};
#ifdef _WIN32
    gmtime_s(&parts, &now);
#else
    gmtime_r(&now, &parts);
#endif
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%S", &parts);
    return text;
}

// Runs a build to its end; At(reason) answers each stop (false ends it as failed).
template <class Stop> bool Build(ksba_cms_t cms, Stop&& at)
{
    ksba_stop_reason_t reason = KSBA_SR_NONE;
    do {
        if (ksba_cms_build(cms, &reason) != 0 || !at(reason))
            return false;
    } while (reason != KSBA_SR_READY);
    return true;
}

PGPError EncodeSigned(const std::vector<Option>& options, std::string_view content, std::string& output)
{
    const Option* signWith = FindOption(options, OptionKind::SignWithKey);
    auto object = signWith ? Handles().Get<KeyObject>(signWith->handle, ObjectKind::KeyDBObj) : nullptr;
    if (!object || object->kind != KeyObjectKind::Key)
        return kPGPError_BadOption;
    SigRecord* certificate = CertificateOf(*object->key);
    if (const Option* chosen = FindOption(signWith->nested, OptionKind::SMIMESigner)) {
        auto picked = Handles().Get<KeyObject>(chosen->handle, ObjectKind::KeyDBObj);
        if (!picked || picked->kind != KeyObjectKind::Signature || picked->key != object->key || !IsX509(*picked->signature))
            return kPGPError_X509CertMissing;
        certificate = picked->signature;
    }
    if (!certificate)
        return kPGPError_X509CertMissing;
    if (!object->key->key.CanSign())
        return kPGPError_KeyUnusable;
    Secrets secrets;
    PGPError status = UnlockKey(*signWith, *object->key, secrets);
    if (status != kPGPError_NoErr)
        return status;
    const Option* hashOption = FindOption(options, OptionKind::HashAlgorithm);
    const int hash = hashOption && hashOption->value == kSha1 ? kSha1 : kSha256;

    ReaderPtr reader;
    WriterPtr writer;
    CmsPtr cms = NewCms({}, reader, writer);
    std::vector<CertPtr> certificates;
    certificates.push_back(ParseCertificate(X509Field(*certificate, kSubX509Certificate)));
    if (!cms || !certificates.front())
        return kPGPError_X509BadFormat;
    ksba_cms_t c = cms.get();
    const std::string digest = openpgp::Hash(hash, content);
    bool ready = ksba_cms_set_content_type(c, 0, KSBA_CT_SIGNED_DATA) == 0
        && ksba_cms_set_content_type(c, 1, KSBA_CT_DATA) == 0 && ksba_cms_add_signer(c, certificates.front().get()) == 0
        && ksba_cms_add_digest_algo(c, OidOfHash(hash)) == 0
        && ksba_cms_add_cert(c, certificates.front().get()) == 0;
    // The issuers travel along so a receiver can check the chain.
    KeyRecord* holder = object->key;
    for (std::size_t depth = 0; ready && depth < kMaxChain; ++depth) {
        KeyRecord* issuer = X509Certifier(*object->db, *holder, *certificate);
        SigRecord* issued = issuer && issuer != holder ? CertificateOf(*issuer) : nullptr;
        if (!issued)
            break;
        certificates.push_back(ParseCertificate(X509Field(*issued, kSubX509Certificate)));
        ready = certificates.back() && ksba_cms_add_cert(c, certificates.back().get()) == 0;
        holder = issuer;
        certificate = issued;
    }
    // A message digest given before the build makes the signature detached.
    const std::string now = IsoNow();
    ready = ready && ksba_cms_set_message_digest(c, 0, reinterpret_cast<const unsigned char*>(digest.data()), digest.size()) == 0
        && ksba_cms_set_signing_time(c, 0, now.c_str()) == 0;
    std::string signedAttributes;
    ksba_cms_set_hash_function(
        c, [](void* into, const void* data, size_t length) {
            static_cast<std::string*>(into)->append(static_cast<const char*>(data), length);
        },
        &signedAttributes);
    ready = ready && Build(c, [&](ksba_stop_reason_t reason) {
        if (reason != KSBA_SR_NEED_SIG)
            return true;
        if (ksba_cms_hash_signed_attrs(c, 0) != 0)
            return false;
        std::vector<std::string> value;
        if (!openpgp::SignDigest(object->key->key, secrets.values, hash, openpgp::Hash(hash, signedAttributes), value)
            || value.empty())
            return false;
        const std::string sigval = RsaValue("sig-val", "s", ModulusSized(object->key->key, value.front()));
        return ksba_cms_set_sig_val(c, 0, reinterpret_cast<const unsigned char*>(sigval.data())) == 0;
    });
    if (!ready)
        return kPGPError_UnsupportedAlgorithm;
    output = TakeWritten(writer.get());
    return output.empty() ? kPGPError_OutOfMemory : kPGPError_NoErr;
}

PGPError EncodeEnveloped(const std::vector<Option>& options, std::string_view content, std::string& output)
{
    const Option* to = FindOption(options, OptionKind::EncryptToKeySet);
    auto set = to ? Handles().Get<KeySet>(to->handle, ObjectKind::KeySet) : nullptr;
    if (!set)
        return kPGPError_BadOption;
    const std::vector<KeyRecord*> recipients = set->Keys();
    if (recipients.empty())
        return kPGPError_NoRecipients;
    int wanted = 0;
    if (const Option* cipher = FindOption(options, OptionKind::CipherAlgorithm))
        wanted = cipher->value;
    else if (const Option* preferred = FindOption(options, OptionKind::PreferredAlgorithms); preferred && !preferred->numbers.empty())
        wanted = preferred->numbers.front();
    const Cipher& cipher = CipherOfOpenPGP(wanted);
    std::string key = openpgp::RandomBytes(cipher.keySize);
    const std::string iv = openpgp::RandomBytes(16);

    // libksba reads the encrypted content from the reader into the message.
    std::string encrypted;
    const bool sealed = CbcEncrypt(cipher, key, iv, content, encrypted);
    ReaderPtr reader;
    WriterPtr writer;
    CmsPtr cms = sealed ? NewCms(encrypted, reader, writer) : nullptr;
    if (!cms) {
        std::fill(key.begin(), key.end(), '\0');
        return sealed ? kPGPError_OutOfMemory : kPGPError_UnsupportedAlgorithm;
    }
    ksba_cms_t c = cms.get();
    const std::string oid(cipher.oid);
    bool ready = ksba_cms_set_content_type(c, 0, KSBA_CT_ENVELOPED_DATA) == 0
        && ksba_cms_set_content_type(c, 1, KSBA_CT_DATA) == 0
        && ksba_cms_set_content_enc_algo(c, oid.c_str(), iv.data(), iv.size()) == 0;
    std::vector<CertPtr> certificates;
    PGPError status = kPGPError_NoErr;
    for (std::size_t index = 0; ready && index < recipients.size(); ++index) {
        SigRecord* certificate = CertificateOf(*recipients[index]);
        if (!certificate || !recipients[index]->key.CanEncrypt()) {
            status = kPGPError_X509CertMissing;
            break;
        }
        certificates.push_back(ParseCertificate(X509Field(*certificate, kSubX509Certificate)));
        std::vector<std::string> wrapped;
        ready = certificates.back() && ksba_cms_add_recipient(c, certificates.back().get()) == 0
            && openpgp::EncryptToKey(recipients[index]->key, key, wrapped) && !wrapped.empty();
        const std::string encval
            = ready ? RsaValue("enc-val", "a", ModulusSized(recipients[index]->key, wrapped.front())) : std::string();
        ready = ready && ksba_cms_set_enc_val(c, static_cast<int>(index), reinterpret_cast<const unsigned char*>(encval.data())) == 0;
    }
    std::fill(key.begin(), key.end(), '\0');
    ready = ready && status == kPGPError_NoErr && Build(c, [](ksba_stop_reason_t) { return true; });
    if (status != kPGPError_NoErr)
        return status;
    if (!ready)
        return kPGPError_UnsupportedAlgorithm;
    output = TakeWritten(writer.get());
    return output.empty() ? kPGPError_OutOfMemory : kPGPError_NoErr;
}

PGPError Encode(const std::vector<Option>& options, int32_t format, std::string& output)
{
    const Option* input = FindOption(options, OptionKind::InputBuffer);
    if (!input || !openpgp::InitCrypto())
        return input ? kPGPError_NotImplemented : kPGPError_BadOption;
    const std::string_view content(static_cast<const char*>(input->pointer), input->size);
    switch (format) {
    case kPGPFormat_CMSSigned:
        return EncodeSigned(options, content, output);
    case kPGPFormat_CMSEnveloped:
        return EncodeEnveloped(options, content, output);
    default:
        return kPGPError_BadOption;
    }
}

const bool encoderRegistered = (CmsMessageEncoder() = Encode, true);

} // namespace
} // namespace standin::cms
