// Tests of the portable product helpers: language table, version numbers, key-id texts, stored
// selections and the SNTP reply checks.
#include "foundation/ZAVEKCommon.h"
#include "foundation/ZAVEKCommonSntp.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(LanguageTable, BothWays)
{
    EXPECT_EQ(LangCodeToID("fr"), 12);
    EXPECT_EQ(LangCodeToID("DE"), 7);
    EXPECT_EQ(LangCodeToID("It"), 16);
    EXPECT_EQ(LangCodeToID("en"), 9);
    EXPECT_EQ(LangCodeToID("Es"), 9);
    EXPECT_EQ(LangCodeToID("Fra"), 9);
    EXPECT_EQ(LangCodeToID(""), 9);
    EXPECT_EQ(LangIDToCode(0x0407), "De");
    EXPECT_EQ(LangIDToCode(0x0809), "En");
    EXPECT_EQ(LangIDToCode(0x040C), "Fr");
    EXPECT_EQ(LangIDToCode(0x0410), "It");
    EXPECT_EQ(LangIDToCode(0x0411), "En");
    EXPECT_EQ(LangIDToCode(0), "En");
}

struct VersionCase {
    const char* text;
    int number;
};

TEST(VersionNumbers, TextToNumber)
{
    const VersionCase cases[] = {
        { "v3.07", 3000 },
        { "1.2.3.4", 1234 },
        { "2.10", 2100 },
        { "x", 0 },
        { "", 0 },
        { "12.3.4.5.6", 12345 },
        { "Version 4.5 beta", 4500 },
        { "7.", 7000 },
        { "7..1", 7000 },
        { "1.2a.3", 1200 },
        { "99999999999.9", 2147482900 },
    };
    for (const VersionCase& c : cases)
        EXPECT_EQ(VersionTextToNumber(c.text), c.number) << c.text;
}

TEST(VersionNumbers, NumberToTextAndMajor)
{
    const VersionCase cases[] = {
        { "3.0.7.0", 3070 },
        { "12.3.4.5", 12345 },
        { "1.2", 12 },
        { "5", 5 },
        { "1.2.3", 123 },
        { "", 0 },
        { "", -5 },
    };
    for (const VersionCase& c : cases)
        EXPECT_EQ(VersionNumberToText(c.number), c.text) << c.number;
    EXPECT_EQ(VersionMajor(12345), 12);
    EXPECT_EQ(VersionMajor(999), 0);
    EXPECT_EQ(VersionTextToNumber(VersionNumberToText(4321)), 4321);
}

TEST(KeyIDText, Normalize)
{
    const std::pair<const char*, const char*> cases[] = {
        { "0x0123456789ABCDEF", "0x0123456789ABCDEF" },
        { "0X0123456789ABCDEF01", "0x0123456789ABCDEF" },
        { "  key 89ABCDEF", "0x89ABCDEF" },
        { "0x89ABCDEF0123", "0x89ABCDEF" },
        { "0x89ABCDE", "" },
        { "0xabcdefabcdefabcd", "" },
        { "0x0123456789abcdef", "0x01234567" },
        { "", "" },
        { "zzz", "" },
        { "<0123456789ABCDEF>", "0x0123456789ABCDEF" },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(NormalizeKeyIDText(text), expected) << text;
}

TEST(StoredSelection, SplitsUserIDsAndKeyIDs)
{
    std::string userIDs = "stale", keyIDs = "stale";
    EXPECT_EQ(SplitUserIDsAndKeyIDs("Alice <a@b.c>\\0x0123456789ABCDEF", userIDs, keyIDs), 1);
    EXPECT_EQ(userIDs, "Alice <a@b.c>");
    EXPECT_EQ(keyIDs, "0x0123456789ABCDEF");

    EXPECT_EQ(SplitUserIDsAndKeyIDs("a\\b\\0x0123456789ABCDEF", userIDs, keyIDs), 1);
    EXPECT_EQ(userIDs, "a\\b");

    EXPECT_EQ(SplitUserIDsAndKeyIDs("A\nB\\0x01234567,0x89ABCDEF", userIDs, keyIDs), 2);
    EXPECT_EQ(userIDs, "A\nB");
    EXPECT_EQ(keyIDs, "0x01234567,0x89ABCDEF");

    EXPECT_EQ(SplitUserIDsAndKeyIDs("A\nB\nC\\", userIDs, keyIDs), 3);
    EXPECT_EQ(keyIDs, "");
    EXPECT_EQ(SplitUserIDsAndKeyIDs("\\", userIDs, keyIDs), 0);

    EXPECT_EQ(SplitUserIDsAndKeyIDs("no backslash", userIDs, keyIDs), 0);
    EXPECT_EQ(userIDs, "");
    EXPECT_EQ(keyIDs, "");
}

TEST(UserIDParts, EmailAndName)
{
    EXPECT_EQ(EmailOfUserID("Alice Example <alice@example.org>"), "alice@example.org");
    EXPECT_EQ(NameOfUserID("Alice Example <alice@example.org>"), "Alice Example");
}

std::array<uint8_t, SntpPacketSize> Reply(uint8_t first, uint8_t stratum, uint32_t fraction)
{
    std::array<uint8_t, SntpPacketSize> packet {};
    packet[0] = first;
    packet[1] = stratum;
    const uint8_t seconds[4] = { 0x83, 0xAA, 0x7E, 0x80 }; // 1 Jan 1970
    std::copy(seconds, seconds + 4, packet.begin() + 32);
    for (int i = 0; i < 4; ++i)
        packet[36 + i] = static_cast<uint8_t>(fraction >> (24 - 8 * i));
    return packet;
}

TEST(Sntp, RequestIsVersion3Client)
{
    const auto request = SntpRequest();
    EXPECT_EQ(request[0], 0x1B);
    for (size_t i = 1; i < request.size(); ++i)
        EXPECT_EQ(request[i], 0) << i;
}

TEST(Sntp, ReplyChecks)
{
    auto good = Reply(0x1C, 2, 0x80000000);
    auto stamp = ReadSntpReply(good.data(), good.size());
    ASSERT_TRUE(stamp);
    const uint8_t* sec = reinterpret_cast<const uint8_t*>(&stamp->Seconds);
    EXPECT_EQ(sec[0], 0x83); // kept in network order
    EXPECT_EQ(sec[3], 0x80);
    const uint8_t* frac = reinterpret_cast<const uint8_t*>(&stamp->Fraction);
    EXPECT_EQ(frac[0], 0x80);

    auto stratum0 = Reply(0x1C, 0, 0x80000000);
    EXPECT_FALSE(ReadSntpReply(stratum0.data(), stratum0.size()));
    auto clientMode = Reply(0x1B, 2, 0x80000000);
    EXPECT_FALSE(ReadSntpReply(clientMode.data(), clientMode.size()));
    auto noFraction = Reply(0x1C, 2, 0);
    EXPECT_FALSE(ReadSntpReply(noFraction.data(), noFraction.size()));
    EXPECT_FALSE(ReadSntpReply(good.data(), 47));
    EXPECT_FALSE(ReadSntpReply(nullptr, 48));
    auto broadcast = Reply(0x1D, 1, 1); // mode 5 has bit 0x04 as well
    EXPECT_TRUE(ReadSntpReply(broadcast.data(), broadcast.size()));
}

} // namespace
