// The stand-in core's certificate reader: DER or PEM certificates parsed with libksba into the
// facts the key database keeps (names, address, validity, RSA key). Registered when the core loads.
#include "standins/pgpsdk/X509Certs.h"
#include "standins/pgpsdk/openpgp/Crypto.h"

#include <gcrypt.h>
#include <ksba.h>

#include <algorithm>
#include <ctime>
#include <memory>

namespace standin {
namespace {

struct TKsbaFree {
    void operator()(ksba_cert_s* certificate) const { ksba_cert_release(certificate); }
};

std::string TakeText(char* text)
{
    std::string result = text ? text : "";
    ksba_free(text);
    return result;
}

std::string SexpValue(gcry_sexp_t key, const char* name)
{
    gcry_sexp_t token = gcry_sexp_find_token(key, name, 0);
    std::size_t length = 0;
    const char* data = token ? gcry_sexp_nth_data(token, 1, &length) : nullptr;
    std::string value = data ? std::string(data, length) : std::string();
    gcry_sexp_release(token);
    return value;
}

bool ReadOne(const std::string& der, X509Facts& facts)
{
    if (!openpgp::InitCrypto())
        return false;
    ksba_cert_t raw = nullptr;
    if (ksba_cert_new(&raw) != 0)
        return false;
    std::unique_ptr<ksba_cert_s, TKsbaFree> certificate(raw);
    if (ksba_cert_init_from_mem(raw, der.data(), der.size()) != 0)
        return false;
    facts.der = der;
    facts.subject = TakeText(ksba_cert_get_subject(raw, 0));
    facts.issuer = TakeText(ksba_cert_get_issuer(raw, 0));
    for (int index = 1; facts.email.empty(); ++index) {
        const std::string name = TakeText(ksba_cert_get_subject(raw, index));
        if (name.empty())
            break;
        if (name.size() > 2 && name.front() == '<' && name.back() == '>')
            facts.email = name.substr(1, name.size() - 2);
    }
    ksba_isotime_t time;
    facts.notBefore = ksba_cert_get_validity(raw, 0, time) == 0 ? X509IsoTime(time) : 0;
    facts.notAfter = ksba_cert_get_validity(raw, 1, time) == 0 ? X509IsoTime(time) : 0;
    ksba_sexp_t canonical = ksba_cert_get_public_key(raw);
    gcry_sexp_t key = nullptr;
    const std::size_t length = canonical ? gcry_sexp_canon_len(canonical, 0, nullptr, nullptr) : 0;
    if (length > 0)
        gcry_sexp_sscan(&key, nullptr, reinterpret_cast<const char*>(canonical), length);
    ksba_free(canonical);
    if (key) {
        facts.modulus = SexpValue(key, "n");
        facts.exponent = SexpValue(key, "e");
        gcry_sexp_release(key);
    }
    // Integers come with a sign byte where their top bit is set; the key keeps them without.
    for (std::string* integer : {&facts.modulus, &facts.exponent})
        integer->erase(0, std::min(integer->find_first_not_of('\0'), integer->size()));
    return !facts.subject.empty();
}

PGPError ReadCertificates(std::string_view data, std::vector<X509Facts>& certificates)
{
    static const std::string begin = "-----BEGIN CERTIFICATE-----", end = "-----END CERTIFICATE-----";
    std::vector<std::string> ders;
    if (data.find(begin) == std::string_view::npos) {
        ders.emplace_back(data);
    } else {
        for (std::size_t at = data.find(begin); at != std::string_view::npos; at = data.find(begin, at)) {
            const std::size_t stop = data.find(end, at);
            if (stop == std::string_view::npos)
                return kPGPError_CorruptData;
            ders.push_back(X509Unbase64(data.substr(at + begin.size(), stop - at - begin.size())));
            at = stop + end.size();
        }
    }
    for (const std::string& der : ders) {
        X509Facts facts;
        if (!ReadOne(der, facts))
            return kPGPError_X509BadFormat;
        certificates.push_back(std::move(facts));
    }
    return certificates.empty() ? kPGPError_X509CertMissing : kPGPError_NoErr;
}

const bool readerRegistered = (X509CertificateReader() = ReadCertificates, true);

} // namespace
} // namespace standin
