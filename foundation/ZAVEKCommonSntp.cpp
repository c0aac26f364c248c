// SNTP request and reply checks. A reply is taken only when it looks like a synchronised
// server's answer, so that the clock is never set from a packet of another kind.
#include "foundation/ZAVEKCommonSntp.h"

#include <cstring>

std::array<uint8_t, SntpPacketSize> SntpRequest()
{
    std::array<uint8_t, SntpPacketSize> packet {};
    packet[0] = 0x1B;
    return packet;
}

std::optional<TSntpStamp> ReadSntpReply(const uint8_t* data, size_t size)
{
    if (data == nullptr || size != SntpPacketSize)
        return std::nullopt;
    const bool serverMode = (data[0] & 0x04) != 0;
    const bool synchronised = data[1] != 0;
    TSntpStamp stamp;
    std::memcpy(&stamp.Seconds, data + 32, 4);
    std::memcpy(&stamp.Fraction, data + 36, 4);
    if (!serverMode || !synchronised || stamp.Fraction == 0)
        return std::nullopt;
    return stamp;
}
