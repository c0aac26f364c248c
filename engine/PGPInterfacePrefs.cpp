// The PGP interface's side of PGP's preferences: key-ring settings, the key server and the
// settings taken over at start-up, through the preference readers.
#include "engine/PGPInterfacePrefs.h"

#include "engine/PrefFuncs.h"

#include <cstdlib>

TPrefsFile* SharedPrefsFile() { return SharedPrefs(); }

int32_t ReadKeyRingSettings(TPrefsFile* prefs, TKeyRingSettings& settings)
{
    if (!prefs)
        return kPrefsUnavailable;
    TPreferenceRec rec;
    const int32_t status = GetKeyRingPrefs(
        *prefs, rec, kPrefPublicRing | kPrefPrivateRing | kPrefRandomSeed | kPrefDefaultKey | kPrefGroupsFile);
    if (status == 0) {
        settings.PublicRing = rec.publicRing;
        settings.SecretRing = rec.privateRing;
        settings.RandomSeed = rec.randomSeed;
        settings.DefaultKey = rec.defaultKeyID;
        settings.GroupsFile = rec.groupsFile;
    }
    return status;
}

int32_t ReadKeyServer(TPrefsFile* prefs, TKeyServer& server)
{
    server = TKeyServer();
    if (!prefs)
        return kPrefsUnavailable;
    TServerEntry entry;
    const int32_t status = GetKeyServerPref(*prefs, entry);
    if (status != 0)
        return status;
    server.Protocol = entry.protocol - 1;
    server.Host = entry.host;
    server.Port = entry.port == 0 ? "" : std::to_string(entry.port);
    server.Flags = entry.flags;
    return status;
}

int32_t WriteKeyServer(TPrefsFile* prefs, const TKeyServer& server)
{
    if (!prefs)
        return kPrefsUnavailable;
    TServerEntry entry;
    entry.protocol = server.Protocol + 1;
    entry.host = server.Host;
    const long port = std::strtol(server.Port.c_str(), nullptr, 10);
    entry.port = port > 0 && port <= 65535 ? static_cast<uint16_t>(port) : 0;
    entry.flags = server.Flags;
    return SetKeyServerPref(*prefs, entry);
}

void ReadStartSettings(TPrefsFile* prefs, std::string& comment, int32_t& cacheSeconds, int32_t& wipePasses)
{
    if (!prefs)
        return;
    GetCommentPref(*prefs, comment);
    GetPassphraseCacheSeconds(*prefs, cacheSeconds);
    GetWipePassesPref(*prefs, wipePasses);
}

bool ReadMarginalIsInvalid(TPrefsFile* prefs)
{
    bool invalid = false;
    if (prefs)
        GetMarginalIsInvalidPref(*prefs, invalid);
    return invalid;
}
