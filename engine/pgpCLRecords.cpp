// The client library's 724-byte key-server record: size, protocol, host, port and flags at their
// fixed offsets; every other byte belongs to the client library and is carried through unchanged.
#include "engine/pgpCL.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kProtocolAt = 4, kHostAt = 264, kHostSize = 256, kPortAt = 520, kFlagsAt = 656;

template <class T> T Read(const char* record, std::size_t at)
{
    T value {};
    std::memcpy(&value, record + at, sizeof value); // little-endian like the client library
    return value;
}

template <class T> void Write(std::string& record, std::size_t at, T value)
{
    std::memcpy(record.data() + at, &value, sizeof value);
}

} // namespace

std::vector<TClientKeyServer> ParseClientKeyServers(const std::string& data)
{
    std::vector<TClientKeyServer> servers;
    for (std::size_t at = 0; at + kClientKeyServerSize <= data.size(); at += kClientKeyServerSize) {
        const char* record = data.data() + at;
        TClientKeyServer server;
        server.protocol = Read<int32_t>(record, kProtocolAt);
        server.host.assign(record + kHostAt, strnlen(record + kHostAt, kHostSize));
        server.port = Read<uint16_t>(record, kPortAt);
        server.flags = Read<uint32_t>(record, kFlagsAt);
        server.other.assign(record, kClientKeyServerSize);
        servers.push_back(std::move(server));
    }
    return servers;
}

std::string BuildClientKeyServers(const std::vector<TClientKeyServer>& servers)
{
    std::string data;
    for (const TClientKeyServer& server : servers) {
        std::string record = server.other.size() == kClientKeyServerSize ? server.other
                                                                         : std::string(kClientKeyServerSize, '\0');
        Write<uint32_t>(record, 0, kClientKeyServerSize);
        Write<int32_t>(record, kProtocolAt, server.protocol);
        std::memset(record.data() + kHostAt, 0, kHostSize);
        std::memcpy(record.data() + kHostAt, server.host.data(), std::min(server.host.size(), kHostSize - 1));
        Write<uint16_t>(record, kPortAt, server.port);
        Write<uint32_t>(record, kFlagsAt, server.flags);
        data += record;
    }
    return data;
}
