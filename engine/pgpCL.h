// The PGP client library's adapters: init and close, the change notifications to other PGP
// programs (the generation-1 name or the decorated one of later generations), the preference store
// the client library keeps for generation 1, and its key-server records, 724 bytes each in
// preference 604.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"

#include <cstdint>
#include <string>
#include <vector>

PGPError InitClientLibrary(PGPContextRef& context);
PGPError CloseClientLibrary();
PGPError NotifyPrefsChanged(uint32_t processID);
PGPError NotifyKeyringChanged(uint32_t processID);

// The client library's preference store (generation 1; later generations keep the preferences in a
// file, so these report kPGPError_NotImplemented there).
PGPError OpenClientPrefs(PGPMemoryMgrRef memoryManager, PGPHandle& prefs);
PGPError CloseClientPrefs(PGPHandle prefs, bool save);
PGPError GetClientPrefBoolean(PGPHandle prefs, int32_t index, bool& value);
PGPError GetClientPrefNumber(PGPHandle prefs, int32_t index, uint32_t& value);
PGPError GetClientPrefString(PGPHandle prefs, int32_t index, std::string& value);
PGPError GetClientPrefData(PGPHandle prefs, int32_t index, std::string& data);

// One key server of the client library's preference 604.
struct TClientKeyServer {
    int32_t protocol = 0;
    std::string host; // at most 255 characters are kept
    uint16_t port = 0;
    uint32_t flags = 0;
    std::string other; // the record's remaining bytes, kept as they were (724 bytes in all)
};
constexpr std::size_t kClientKeyServerSize = 724;
constexpr int32_t kClientPrefKeyServers = 604;

// The records of the preference data; a trailing part shorter than a record is ignored.
std::vector<TClientKeyServer> ParseClientKeyServers(const std::string& data);
std::string BuildClientKeyServers(const std::vector<TClientKeyServer>& servers);

// Preference 604 as records; a store without the preference has no servers.
PGPError GetClientKeyServers(PGPHandle prefs, std::vector<TClientKeyServer>& servers);
PGPError SetClientKeyServers(PGPHandle prefs, const std::vector<TClientKeyServer>& servers);
