// The client library's 724-byte key-server records: fields at their offsets, the other bytes kept,
// a short tail ignored, long host names cut to fit.
#include "engine/pgpCL.h"

#include <gtest/gtest.h>

namespace {

TEST(ClientKeyServerRecord, FieldsSitAtTheirOffsetsAndOtherBytesSurvive)
{
    std::string record(kClientKeyServerSize, '\0');
    record[0] = static_cast<char>(0xD4); // 724
    record[1] = 0x02;
    record[4] = 3;
    record.replace(264, 16, "keys.example.org");
    record[520] = 0x6B; // 11371
    record[521] = 0x2C;
    record[656] = 0x05;
    record[100] = 'x'; // the client library's own
    const std::string data = record + record + std::string(100, 'y');
    const std::vector<TClientKeyServer> servers = ParseClientKeyServers(data);
    ASSERT_EQ(servers.size(), 2u);
    EXPECT_EQ(servers[0].protocol, 3);
    EXPECT_EQ(servers[0].host, "keys.example.org");
    EXPECT_EQ(servers[0].port, 11371);
    EXPECT_EQ(servers[0].flags, 5u);
    EXPECT_EQ(BuildClientKeyServers(servers), record + record);

    TClientKeyServer fresh;
    fresh.host = std::string(300, 'h');
    fresh.port = 80;
    const std::string built = BuildClientKeyServers({ fresh });
    ASSERT_EQ(built.size(), kClientKeyServerSize);
    EXPECT_EQ(static_cast<uint8_t>(built[0]), 0xD4);
    EXPECT_EQ(static_cast<uint8_t>(built[1]), 0x02);
    const TClientKeyServer back = ParseClientKeyServers(built).at(0);
    EXPECT_EQ(back.host, std::string(255, 'h'));
    EXPECT_EQ(back.port, 80);
    EXPECT_TRUE(ParseClientKeyServers(std::string(723, '\0')).empty());
}

} // namespace
