// The SNTP exchange and the clock synchronisation against a small responder on 127.0.0.1 that
// the test runs on its own thread: good, unusable and missing replies. The clock is never set.
#include "foundation/ZAVEKCommonSntp.h"
#include "foundation/TimeUtilsWin.h"
#include "foundation/ZAVEKCommon.h"

#include "foundation/LoopbackSntpResponder.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> ServerReply(uint8_t first, uint8_t stratum, size_t size = SntpPacketSize)
{
    std::vector<uint8_t> reply(size);
    reply[0] = first;
    reply[1] = stratum;
    const uint8_t stamp[8] = { 0xE9, 0x1A, 0x2B, 0x3C, 0x80, 0x00, 0x00, 0x00 };
    if (size >= 40)
        std::copy(stamp, stamp + 8, reply.begin() + 32);
    return reply;
}

TEST(SntpQuery, GoodReplyGivesReceiveStamp)
{
    TLoopbackResponder responder(ServerReply(0x1C, 2), 40);
    TSntpStamp stamp {};
    uint32_t roundTrip = 0;
    ASSERT_EQ(QuerySntpStamp("127.0.0.1", responder.Port(), 5000, stamp, roundTrip), 0u);
    const uint8_t* seconds = reinterpret_cast<const uint8_t*>(&stamp.Seconds);
    EXPECT_EQ(seconds[0], 0xE9);
    EXPECT_EQ(seconds[3], 0x3C);
    EXPECT_EQ(ntohl(stamp.Fraction), 0x80000000u);
    EXPECT_GE(roundTrip, 30u);
    EXPECT_LT(roundTrip, 5000u);
    ASSERT_EQ(responder.Request().size(), SntpPacketSize);
    EXPECT_EQ(responder.Request()[0], 0x1B);
}

TEST(SntpQuery, UnusableRepliesGiveError13)
{
    const std::vector<uint8_t> replies[] = {
        ServerReply(0x1C, 0), // stratum 0: server not synchronised
        ServerReply(0x1B, 2), // client mode
        ServerReply(0x1C, 2, 40), // short
        ServerReply(0x1C, 2, 60), // oversized
    };
    for (const auto& reply : replies) {
        TLoopbackResponder responder(reply);
        TSntpStamp stamp {};
        uint32_t roundTrip = 0;
        EXPECT_EQ(QuerySntpStamp("127.0.0.1", responder.Port(), 5000, stamp, roundTrip), SntpBadReplyError)
            << reply.size();
    }
}

TEST(SntpQuery, SilentServerTimesOut)
{
    TLoopbackResponder responder({});
    TSntpStamp stamp {};
    uint32_t roundTrip = 0;
    const DWORD start = GetTickCount();
    EXPECT_EQ(QuerySntpStamp("127.0.0.1", responder.Port(), 300, stamp, roundTrip),
        static_cast<uint32_t>(WSAETIMEDOUT));
    EXPECT_LT(GetTickCount() - start, 4000u);
}

TEST(SntpQuery, LocalTimeIsTheStampPlusHalfTheRoundTrip)
{
    TLoopbackResponder responder(ServerReply(0x24, 1), 200);
    const double stampTime = NtpToLocal(htonl(0xE91A2B3C), htonl(0x80000000));
    const double time = QuerySntpTime("127.0.0.1", responder.Port());
    const double halfRoundTripMs = (time - stampTime) * 86400000.0;
    EXPECT_GE(halfRoundTripMs, 90.0);
    EXPECT_LT(halfRoundTripMs, 2500.0);
}

TEST(SntpQuery, FailureGivesZeroAndTheCodeAsLastError)
{
    TLoopbackResponder responder(ServerReply(0x1C, 0));
    SetLastError(0);
    EXPECT_EQ(QuerySntpTime("127.0.0.1", responder.Port()), 0.0);
    EXPECT_EQ(GetLastError(), SntpBadReplyError);
}

struct TClockSpy {
    std::vector<double> times;
    DWORD answer = 0;
    TClockSetter Setter()
    {
        return [this](double time) {
            times.push_back(time);
            return answer;
        };
    }
};

TEST(SyncSystemTime, SetsTheServersTimeAndReturnsTheSettersOutcome)
{
    const double stampTime = NtpToLocal(htonl(0xE91A2B3C), htonl(0x80000000));
    for (DWORD answer : { 0ul, 1314ul }) {
        TLoopbackResponder responder(ServerReply(0x1C, 2));
        TClockSpy spy;
        spy.answer = answer;
        EXPECT_EQ(SyncSystemTime("127.0.0.1", responder.Port(), spy.Setter()), answer);
        ASSERT_EQ(spy.times.size(), 1u);
        EXPECT_NEAR(spy.times[0], stampTime, 2.0 / 86400.0);
    }
}

TEST(SyncSystemTime, UnusableReplyLeavesTheClockAlone)
{
    TLoopbackResponder responder(ServerReply(0x1C, 0));
    TClockSpy spy;
    EXPECT_EQ(SyncSystemTime("127.0.0.1", responder.Port(), spy.Setter()), SntpBadReplyError);
    EXPECT_TRUE(spy.times.empty());
}

} // namespace
