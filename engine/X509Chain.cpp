// The chain blob of the SDK's certificate-chain verification and the X.509 status mapping.
#include "engine/X509Chain.h"

#include <algorithm>
#include <numeric>

namespace {

void PutLength(std::string& Blob, std::size_t Length)
{
    Blob += static_cast<char>((Length >> 16) & 0xFF);
    Blob += static_cast<char>((Length >> 8) & 0xFF);
    Blob += static_cast<char>(Length & 0xFF);
}

} // namespace

int32_t MapX509Status(int32_t Status)
{
    switch (Status) {
    case -10: return kX509NoCertificate;
    case -20: return kX509SelfSignedChain;
    case -30: return kX509BadSignature;
    case -40: return kX509BadFormat;
    default: return Status;
    }
}

int32_t BuildChainBlob(const std::vector<TChainCertificate>& Certificates, std::string& Blob, int* FirstWritten)
{
    Blob.clear();
    if (FirstWritten)
        *FirstWritten = -1;
    std::vector<int> order(Certificates.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
        [&](int a, int b) { return Certificates[a].CreatedText < Certificates[b].CreatedText; });
    std::string body;
    for (auto index = order.rbegin(); index != order.rend(); ++index) {
        const std::string& der = Certificates[*index].Der;
        if (der.empty())
            continue;
        if (der.size() > kMaxChainBlob || body.size() + 3 + der.size() > kMaxChainBlob)
            return kX509ChainTooLong;
        if (FirstWritten && *FirstWritten < 0)
            *FirstWritten = *index;
        PutLength(body, der.size());
        body += der;
    }
    if (body.empty())
        return kX509NoCertificate;
    PutLength(Blob, body.size());
    Blob += body;
    return 0;
}

TChainState ChainStateOf(int32_t VerifyStatus)
{
    if (VerifyStatus == kX509SelfSignedChain)
        return csChainSelfSigned;
    return VerifyStatus == 0 ? csChainVerified : csChainNotVerified;
}
