// SNTP packets of the clock synchronisation: the client request and the checks a server reply
// must pass. Portable; the socket side is in ZAVEKCommonSntpWin.cpp.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

inline constexpr size_t SntpPacketSize = 48;
// Windows error code for a reply that cannot be used.
inline constexpr uint32_t SntpBadReplyError = 13;

// The receive time stamp of a reply, both words exactly as received (network byte order).
struct TSntpStamp {
    uint32_t Seconds;
    uint32_t Fraction;
};

// A client request: all zero but the first byte 0x1B (version 3, mode 3).
std::array<uint8_t, SntpPacketSize> SntpRequest();

// The receive time stamp of a full 48-byte server reply (mode bit 0x04, stratum not 0, fraction
// not 0); nothing for a reply that cannot be used.
std::optional<TSntpStamp> ReadSntpReply(const uint8_t* data, size_t size);

#ifdef _WIN32
// One SNTP exchange: the reply's receive time stamp and the round trip in milliseconds. Returns
// 0, or the socket error code, or SntpBadReplyError. A server that does not answer within
// `timeoutMs` gives WSAETIMEDOUT.
uint32_t QuerySntpStamp(
    const std::string& server, uint16_t port, uint32_t timeoutMs, TSntpStamp& stamp, uint32_t& roundTripMs);

// The server's time as a local date-time (the receive time stamp plus half the round trip), or
// 0 with the Windows or socket error code as the thread's last error.
double QuerySntpTime(const std::string& server, uint16_t port, uint32_t timeoutMs = 5000);
#endif
