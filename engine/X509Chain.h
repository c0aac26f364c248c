// The certificate-chain blob the SDK's chain verification reads, the mapping of its X.509 status
// codes, and the verification outcome. Portable: the blob is built from plain DER data, so it is
// tested natively.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t kX509NoCertificate = -11240;
constexpr int32_t kX509SelfSignedChain = -11239;
constexpr int32_t kX509BadSignature = -11238;
constexpr int32_t kX509BadFormat = -11237;
constexpr int32_t kX509ChainTooLong = -10947;
constexpr uint32_t kMaxChainBlob = 0xFFFFFF;

// -10/-20/-30/-40 of the SDK's X.509 code become the certificate codes; others stay.
int32_t MapX509Status(int32_t Status);

// One certificate of a chain: its creation time as 8 hexadecimal digits and its DER data.
struct TChainCertificate {
    std::string CreatedText;
    std::string Der;
};

// The blob: a 3-byte big-endian total, then per certificate a 3-byte length and the DER data,
// ordered by creation text and written from the latest to the earliest. FirstWritten receives the
// index (into Certificates) of the certificate written first. 0, -10947 when a length does not fit
// three bytes, -11240 without any certificate.
int32_t BuildChainBlob(
    const std::vector<TChainCertificate>& Certificates, std::string& Blob, int* FirstWritten = nullptr);

// The chain check's outcome as the decoder keeps it (not the certificate record's state).
enum TChainState : int32_t {
    csChainNotVerified = 0,
    csChainVerified = 1,
    csChainSelfSigned = 2,
};
TChainState ChainStateOf(int32_t VerifyStatus);
