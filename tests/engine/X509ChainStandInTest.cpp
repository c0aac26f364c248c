// The stand-in SDK's certificate-chain check with real certificates: a leaf and its CA verify
// only when the CA is among the roots, a self-signed top outside the roots is reported as such,
// and damaged signatures, impostor CAs, missing issuers and broken blobs fail.
#include "engine/X509Chain.h"
#include "support/StandInSdk.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::string Der(const std::string& name)
{
    std::ifstream in(std::string(ZAVEK_TEST_DATA) + "/engine/x509chain/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The blob of the certificates in the given order (the latest creation text first).
std::string Blob(const std::vector<std::string>& names)
{
    std::vector<TChainCertificate> certificates;
    for (std::size_t i = 0; i < names.size(); ++i)
        certificates.push_back({std::to_string(9 - i), Der(names[i])});
    std::string blob;
    EXPECT_EQ(BuildChainBlob(certificates, blob), 0);
    return blob;
}

class X509ChainStandIn : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadStandInSdk(); }
    PGPError Verify(const std::string& chain, const std::string& roots)
    {
        return SDKProcs.PGPVerifyX509CertificateChain(
            0, reinterpret_cast<const uint8_t*>(chain.data()), reinterpret_cast<const uint8_t*>(roots.data()));
    }
};

} // namespace

TEST_F(X509ChainStandIn, ChainsVerifyOnlyUpToTheGivenRoots)
{
    const struct {
        std::vector<std::string> chain, roots;
        PGPError expected;
    } cases[] = {
        {{"leaf.der", "ca.der"}, {"leaf.der", "ca.der"}, 0},
        {{"leaf.der", "ca.der"}, {"ca.der"}, 0},
        {{"leaf.der"}, {"ca.der"}, 0},
        {{"leaf.der", "ca.der"}, {"other-ca.der"}, kX509SelfSignedChain},
        {{"ca.der"}, {"other-ca.der"}, kX509SelfSignedChain},
        {{"leaf.der"}, {"other-ca.der"}, kX509BadSignature},
        {{"leaf-damaged.der", "ca.der"}, {"ca.der"}, kX509BadSignature},
        {{"leaf.der"}, {"leaf.der"}, kX509NoCertificate},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Verify(Blob(c.chain), Blob(c.roots)), c.expected) << c.chain.front() << " " << c.roots.front();
}

TEST_F(X509ChainStandIn, BrokenBlobsAreRefused)
{
    std::string blob = Blob({"leaf.der", "ca.der"});
    std::string roots = Blob({"ca.der"});
    std::string cut = blob;
    cut[2] = static_cast<char>(cut[2] + 1); // the whole claims one byte more than its parts
    EXPECT_EQ(Verify(cut, roots), kX509BadFormat);
    std::string garbage = std::string("\x00\x00\x08\x00\x00\x05hello", 11);
    EXPECT_EQ(Verify(garbage, roots), kX509BadFormat);
    EXPECT_EQ(SDKProcs.PGPVerifyX509CertificateChain(0, reinterpret_cast<const uint8_t*>(blob.data()), nullptr),
        kX509SelfSignedChain);
}
