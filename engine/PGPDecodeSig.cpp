// The decoder's rules that need no SDK: the signature state of a signature event, the charset
// named in an armour header, and the recognition of S/MIME entities and certificates.
#include "engine/PGPDecode.h"

void FillSigState(const PGPEventSignatureData& data, uint32_t now, TSigPropsRec& props)
{
    props.SigTime = static_cast<uint32_t>(data.creationTime);
    props.Checked = data.checked != 0;
    props.Verified = data.verified != 0;
    props.HashAlg = data.hashAlgorithm;
    props.ExpiryTime = data.validityPeriod ? props.SigTime + data.validityPeriod : 0;
    if (!data.signingKey) {
        props.State = kSigKeyMissing;
        return;
    }
    props.Validity = data.keyValidity;
    props.Revoked = data.keyRevoked != 0;
    props.Disabled = data.keyDisabled != 0;
    props.Expired = data.keyExpired != 0;
    // A signature that was not checked is never good, whatever the verified flag says.
    props.State = !props.Checked ? kSigNotChecked : props.Verified ? kSigGood : kSigBad;
    if (props.State == kSigGood && props.ExpiryTime && props.ExpiryTime < now)
        props.State = kSigGoodExpired;
    if (!data.keyCanVerify && props.State != kSigBad)
        props.State = kSigKeyNotUsable;
}

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The header of a MIME entity: the text up to the first empty line.
std::string EntityHeader(const std::string& text)
{
    size_t end = text.find("\n\r\n");
    const size_t bare = text.find("\n\n");
    if (end == std::string::npos || (bare != std::string::npos && bare < end))
        end = bare;
    return text.substr(0, end == std::string::npos ? text.size() : end);
}

} // namespace

std::string ArmourCharset(std::string_view text)
{
    size_t begin = text.find("-----BEGIN PGP ");
    while (begin != std::string::npos && begin != 0 && text[begin - 1] != '\n')
        begin = text.find("-----BEGIN PGP ", begin + 1);
    if (begin == std::string::npos)
        return {};
    size_t line = text.find('\n', begin);
    while (line != std::string::npos) {
        const size_t start = line + 1;
        size_t end = text.find('\n', start);
        std::string header(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (!header.empty() && header.back() == '\r')
            header.pop_back();
        if (header.empty())
            return {}; // the armour headers end at the first empty line
        if (Lower(header.substr(0, 8)) == "charset:") {
            const size_t value = header.find_first_not_of(' ', 8);
            return value == std::string::npos ? std::string() : header.substr(value);
        }
        line = end;
    }
    return {};
}

bool IsPemCertificate(const std::string& text)
{
    // The certificate test is for what holds no OpenPGP data: a PGP message may carry a
    // certificate in its text without becoming one.
    const bool armoured = text.rfind("-----BEGIN PGP ", 0) == 0 || text.find("\n-----BEGIN PGP ") != std::string::npos;
    return !armoured
        && (text.rfind("-----BEGIN CERTIFICATE-----", 0) == 0
            || text.find("\n-----BEGIN CERTIFICATE-----") != std::string::npos);
}

bool IsSMimeOrCertificate(const std::string& text)
{
    if (IsPemCertificate(text))
        return true;
    const std::string header = Lower(EntityHeader(text));
    if (header.find("content-type:") == std::string::npos)
        return false;
    return header.find("application/pkcs7-mime") != std::string::npos
        || header.find("application/x-pkcs7-mime") != std::string::npos
        || header.find("application/pkcs7-signature") != std::string::npos
        || header.find("application/x-pkcs7-signature") != std::string::npos;
}
