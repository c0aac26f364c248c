// What the PGP interface reads from and writes to PGP's preferences: the key-ring settings, the
// first key server and the settings taken over at start-up.
#pragma once

#include <cstdint>
#include <string>

class TPrefsFile;

struct TKeyRingSettings {
    std::string PublicRing;
    std::string SecretRing;
    std::string RandomSeed;
    std::string DefaultKey; // "user id\\key id" once the key rings were opened
    std::string GroupsFile;
};

struct TKeyServer {
    int32_t Protocol = 0; // the preferences' protocol number minus 1
    std::string Host;
    std::string Port; // empty for port 0
    int32_t Flags = 0;
};

// The engine's shared preferences file, none before the preferences unit started.
TPrefsFile* SharedPrefsFile();
// Each answers the reader's status; without preferences kPrefsUnavailable and nothing changes.
int32_t ReadKeyRingSettings(TPrefsFile* prefs, TKeyRingSettings& settings);
int32_t ReadKeyServer(TPrefsFile* prefs, TKeyServer& server);
int32_t WriteKeyServer(TPrefsFile* prefs, const TKeyServer& server);
void ReadStartSettings(TPrefsFile* prefs, std::string& comment, int32_t& cacheSeconds, int32_t& wipePasses);
bool ReadMarginalIsInvalid(TPrefsFile* prefs);
