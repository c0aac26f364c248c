// The chain blob of the certificate-chain check: lengths, order, the size limit and the empty
// chain; the status mapping and the chain states.
#include "engine/X509Chain.h"

#include <gtest/gtest.h>

namespace {

std::string Length3(std::size_t n)
{
    return {static_cast<char>(n >> 16), static_cast<char>((n >> 8) & 0xFF), static_cast<char>(n & 0xFF)};
}

} // namespace

TEST(X509Chain, CertificatesAreWrittenFromTheLatestBack)
{
    std::string blob;
    int first = -1;
    ASSERT_EQ(BuildChainBlob({{"00000200", "leaf"}, {"00000100", "root"}, {"00000150", "mid"}}, blob, &first), 0);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(blob, Length3(3 + 4 + 3 + 3 + 3 + 4) + Length3(4) + "leaf" + Length3(3) + "mid" + Length3(4) + "root");
}

TEST(X509Chain, EqualTimesKeepTheirOrderReversed)
{
    std::string blob;
    int first = -1;
    ASSERT_EQ(BuildChainBlob({{"00000001", "a"}, {"00000001", "b"}}, blob, &first), 0);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(blob.substr(3), Length3(1) + "b" + Length3(1) + "a");
}

TEST(X509Chain, EmptyAndOversizedChainsFail)
{
    std::string blob = "old";
    int first = 7;
    EXPECT_EQ(BuildChainBlob({}, blob, &first), kX509NoCertificate);
    EXPECT_EQ(blob, "");
    EXPECT_EQ(first, -1);
    EXPECT_EQ(BuildChainBlob({{"1", ""}}, blob), kX509NoCertificate);
    const std::string big(0x800000, 'x');
    EXPECT_EQ(BuildChainBlob({{"1", big}, {"2", big}}, blob), kX509ChainTooLong);
    EXPECT_EQ(BuildChainBlob({{"1", std::string(kMaxChainBlob - 6, 'x')}}, blob), 0);
    EXPECT_EQ(BuildChainBlob({{"1", std::string(kMaxChainBlob - 2, 'x')}}, blob), kX509ChainTooLong);
}

TEST(X509Chain, StatusesMapToCertificateCodes)
{
    const int32_t cases[][2] = {{-10, -11240}, {-20, -11239}, {-30, -11238}, {-40, -11237}, {0, 0}, {-11500, -11500}, {-50, -50}};
    for (const auto& c : cases)
        EXPECT_EQ(MapX509Status(c[0]), c[1]) << c[0];
    EXPECT_EQ(ChainStateOf(0), csChainVerified);
    EXPECT_EQ(ChainStateOf(-11239), csChainSelfSigned);
    EXPECT_EQ(ChainStateOf(-11238), csChainNotVerified);
}
