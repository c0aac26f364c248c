// The SNTP exchange over Windows Sockets 1.1. Every path closes the socket and ends the sockets
// session; a silent server ends in a timeout, never in a hang of the caller's thread.
#include "foundation/ZAVEKCommonSntp.h"

#include "foundation/TimeUtilsWin.h"

#include <winsock2.h>

namespace {

// Windows Sockets for the life of one query.
class TSocketsSession {
public:
    TSocketsSession() { started_ = WSAStartup(MAKEWORD(1, 1), &data_); }
    ~TSocketsSession()
    {
        if (started_ == 0)
            WSACleanup();
    }
    TSocketsSession(const TSocketsSession&) = delete;
    TSocketsSession& operator=(const TSocketsSession&) = delete;
    int StartError() const { return started_; }

private:
    WSADATA data_ {};
    int started_;
};

class TUdpSocket {
public:
    TUdpSocket()
        : socket_(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP))
    {
    }
    ~TUdpSocket()
    {
        if (socket_ != INVALID_SOCKET)
            closesocket(socket_);
    }
    TUdpSocket(const TUdpSocket&) = delete;
    TUdpSocket& operator=(const TUdpSocket&) = delete;
    SOCKET Handle() const { return socket_; }

private:
    SOCKET socket_;
};

uint32_t SocketError()
{
    return static_cast<uint32_t>(WSAGetLastError());
}

// The IPv4 address of a dotted address or a host name; 0 with the error code on failure.
uint32_t ResolveIPv4(const std::string& server, in_addr& address)
{
    address.s_addr = inet_addr(server.c_str());
    if (address.s_addr != INADDR_NONE || server == "255.255.255.255")
        return 0;
    const hostent* host = gethostbyname(server.c_str());
    if (host == nullptr)
        return SocketError();
    if (host->h_addrtype != AF_INET || host->h_length != 4 || host->h_addr_list[0] == nullptr)
        return WSANO_DATA;
    memcpy(&address, host->h_addr_list[0], 4);
    return 0;
}

} // namespace

uint32_t QuerySntpStamp(
    const std::string& server, uint16_t port, uint32_t timeoutMs, TSntpStamp& stamp, uint32_t& roundTripMs)
{
    TSocketsSession session;
    if (session.StartError() != 0)
        return static_cast<uint32_t>(session.StartError());
    TUdpSocket udp;
    if (udp.Handle() == INVALID_SOCKET)
        return SocketError();
    sockaddr_in peer {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    if (uint32_t error = ResolveIPv4(server, peer.sin_addr))
        return error;
    DWORD timeout = timeoutMs;
    if (setsockopt(
            udp.Handle(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout)
        != 0)
        return SocketError();
    if (connect(udp.Handle(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0)
        return SocketError();

    const ULONGLONG sentAt = GetTickCount64();
    const auto request = SntpRequest();
    if (send(udp.Handle(), reinterpret_cast<const char*>(request.data()), static_cast<int>(request.size()), 0)
        == SOCKET_ERROR)
        return SocketError();
    // One byte more than a packet, so that an oversized reply is seen as such.
    uint8_t reply[SntpPacketSize + 1];
    const int received = recv(udp.Handle(), reinterpret_cast<char*>(reply), sizeof reply, 0);
    if (received == SOCKET_ERROR) {
        const uint32_t error = SocketError();
        return error == WSAEMSGSIZE ? SntpBadReplyError : error;
    }
    roundTripMs = static_cast<uint32_t>(GetTickCount64() - sentAt);
    const auto replyStamp = ReadSntpReply(reply, static_cast<size_t>(received));
    if (!replyStamp)
        return SntpBadReplyError;
    stamp = *replyStamp;
    return 0;
}

double QuerySntpTime(const std::string& server, uint16_t port, uint32_t timeoutMs)
{
    TSntpStamp stamp {};
    uint32_t roundTripMs = 0;
    if (uint32_t error = QuerySntpStamp(server, port, timeoutMs, stamp, roundTripMs)) {
        SetLastError(error);
        return 0;
    }
    constexpr double MillisecondsPerDay = 86400000.0;
    return NtpToLocal(stamp.Seconds, stamp.Fraction) + roundTripMs / 2.0 / MillisecondsPerDay;
}
