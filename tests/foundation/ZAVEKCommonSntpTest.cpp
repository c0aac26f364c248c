// The SNTP exchange against a small responder on 127.0.0.1 that the test runs on its own
// thread: good, unusable and missing replies.
#include "foundation/ZAVEKCommonSntp.h"

#include <gtest/gtest.h>
#include <winsock2.h>

#include <thread>
#include <vector>

namespace {

// A UDP responder on a free loopback port that answers one request with `reply` (nothing when
// empty) after `delayMs`.
class TLoopbackResponder {
public:
    TLoopbackResponder(std::vector<uint8_t> reply, DWORD delayMs = 0) : reply_(std::move(reply)), delayMs_(delayMs)
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in local {};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        int length = sizeof local;
        getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &length);
        port_ = ntohs(local.sin_port);
        DWORD timeout = 10000;
        setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        thread_ = std::thread([this] { Answer(); });
    }
    ~TLoopbackResponder()
    {
        thread_.join();
        closesocket(socket_);
        WSACleanup();
    }
    uint16_t Port() const { return port_; }
    const std::vector<uint8_t>& Request() const { return request_; }

private:
    void Answer()
    {
        uint8_t buffer[512];
        sockaddr_in client {};
        int length = sizeof client;
        int received = recvfrom(socket_, reinterpret_cast<char*>(buffer), sizeof buffer, 0,
                                reinterpret_cast<sockaddr*>(&client), &length);
        if (received <= 0)
            return;
        request_.assign(buffer, buffer + received);
        Sleep(delayMs_);
        if (!reply_.empty())
            sendto(socket_, reinterpret_cast<const char*>(reply_.data()), static_cast<int>(reply_.size()), 0,
                   reinterpret_cast<sockaddr*>(&client), length);
    }

    std::vector<uint8_t> reply_;
    DWORD delayMs_;
    SOCKET socket_;
    uint16_t port_ = 0;
    std::vector<uint8_t> request_;
    std::thread thread_;
};

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

} // namespace
