// The user's PGP desktop preferences: the text ("PGPprefs.txt") and XML ("PGPprefs.xml") files that
// PGP keeps in the application-data folder, and one reader per setting the engine takes from them.
// Parsing and writing are portable; file access, code pages and the registry come in through TPrefsHost.
#pragma once

#include "framework/StringLists.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Answered by every reader when the preferences exist but cannot be read; the caller keeps its values.
constexpr int32_t kPrefsUnavailable = -11979;

// What the preferences file needs of the platform: whole-file access, a clock and code pages.
class TPrefsHost {
public:
    virtual ~TPrefsHost() = default;
    // Last write time of the file in the clock's units; none when the file is missing.
    virtual std::optional<int64_t> FileTime(const std::string& path) = 0;
    virtual int64_t Now() = 0;
    virtual bool ReadFile(const std::string& path, std::string& bytes) = 0;
    // Replaces the file as a whole or leaves it untouched; true only when the new bytes are in place.
    virtual bool CommitFile(const std::string& path, const std::string& bytes) = 0;
    virtual std::string Utf8ToLocale(const std::string& utf8) = 0;
    virtual std::string LocaleToUtf8(const std::string& ansi) = 0;
    // Tells PGP's running programs that their preferences file changed.
    virtual void NotifyPrefsChanged() = 0;
};

// The lines of the preferences file; for the XML file each line's object holds the 1-based position
// of the line's first "<" (0 when it has none), where its element starts.
class TPrefsList : public TStringList {
public:
    void Load(const std::string& text, bool xml);
    int TagPos(int index) const { return static_cast<int>(IntFromObject(GetObject(index))); }
    // Replaces a line and notes where its element starts.
    void Replace(int index, const std::string& line);
    // First line that holds the tag at its "<" position (case ignored), -1 when none.
    int IndexOfTag(const std::string& tag, int from = 0) const;
    bool HasTag(int index, const std::string& tag) const;

private:
    int TagPosOf(const std::string& line) const;

    bool xml_ = false;
};

// Protocol indexes of a key server: 0 none, 1 "ldap", 2 "http", 3 "ldaps", 4 "https".
struct TServerEntry {
    int32_t protocol = 0;
    std::string host;
    uint16_t port = 0;
    int32_t flags = 0;
};

// Selection bits of GetKeyRingPrefs.
enum : uint32_t {
    kPrefPublicRing = 0x1,
    kPrefPrivateRing = 0x2,
    kPrefRandomSeed = 0x4,
    kPrefDefaultKey = 0x8,
    kPrefGroupsFile = 0x10,
};

struct TPreferenceRec {
    std::string publicRing;
    std::string privateRing;
    std::string randomSeed;
    std::string groupsFile;
    std::string defaultKeyID;
};

class TPrefsFile {
public:
    // Chooses the file by SDK generation under the application-data folder and loads it at once.
    TPrefsFile(TPrefsHost& host, int generation, const std::string& appDataFolder);

    int Generation() const { return generation_; }
    bool IsXml() const { return generation_ >= 5; }
    const std::string& FileName() const { return fileName_; }
    const std::string& GroupsFileName() const { return groupsFileName_; }
    TPrefsList& Lines() { return lines_; }
    TPrefsHost& Host() { return host_; }

    bool Reload();
    bool Save();

    // Text file: the value of the first setting of that name, continuation and quotes removed.
    std::string GetTextValue(const std::string& name) const;
    bool SetTextValue(const std::string& name, const std::string& value);
    // XML file: with a name the value after that key, without one the element at index;
    // index ends past the element read or written.
    std::string GetXmlValue(const std::string& name, int& index) const;
    bool SetXmlValue(const std::string& name, const std::string& value, int& index);
    // XML file: line of the key of that name, -1 when none.
    int IndexOfKey(const std::string& name) const;

private:
    std::string ReadElement(int& index, int depth) const;
    bool WriteElement(int& index, const std::string& value, int depth);

    TPrefsHost& host_;
    int generation_;
    std::string fileName_;
    std::string groupsFileName_;
    TPrefsList lines_;
    int64_t loadTime_ = 0;
};

// Folder of the preferences below the application-data folder, by generation.
std::string PrefsFolder(const std::string& appDataFolder, int generation);

// Readers: 0, kPrefsUnavailable, or an SDK status.
int32_t GetKeyRingPrefs(TPrefsFile& prefs, TPreferenceRec& rec, uint32_t selection);
int32_t GetKeyServerList(TPrefsFile& prefs, std::vector<std::string>& urls);
int32_t GetKeyServerPref(TPrefsFile& prefs, TServerEntry& entry);
int32_t SetKeyServerPref(TPrefsFile& prefs, const TServerEntry& entry);
int32_t GetCommentPref(TPrefsFile& prefs, std::string& comment);
int32_t GetShareCachePref(TPrefsFile& prefs, bool& share);
int32_t GetWipePassesPref(TPrefsFile& prefs, int32_t& passes);
int32_t GetMarginalIsInvalidPref(TPrefsFile& prefs, bool& invalid);
int32_t GetAllowedAlgorithms(TPrefsFile& prefs, std::vector<int32_t>& algorithms, int32_t& count);
// Seconds to keep a passphrase: -1 keep nothing, 0 keep without limit, else the seconds.
int32_t GetPassphraseCacheSeconds(TPrefsFile& prefs, int32_t& seconds);

// Generation 1 sources: the SDK's preferences and the client library's store (through the binding).
int32_t Gen1KeyRingPrefs(TPreferenceRec& rec, uint32_t selection);
int32_t Gen1ClientBoolean(int32_t index, bool& value);
int32_t Gen1ClientNumber(int32_t index, uint32_t& value);
int32_t Gen1ClientString(int32_t index, std::string& value);
int32_t Gen1ClientData(int32_t index, std::string& value);
// Writes the data and saves the client library's store.
int32_t Gen1ClientSetData(int32_t index, const std::string& value);

// Parsing helpers shared by the readers and the tests.
std::string XmlEscape(const std::string& text);
std::string XmlUnescape(const std::string& text);
std::string JoinContinuationLines(const std::string& text);
std::string QuoteCommaItem(const std::string& item);
// Key-id text ("0x" and 16 hex digits) of a "DefaultKeyID" value; empty unless "0x" + 72 hex digits.
std::string KeyIDTextFromRecordHex(const std::string& value);

// ---- Windows build only: the platform side and the one shared instance ----

// A string value under HKEY_CURRENT_USER (at most 260 characters), empty when missing.
std::string GetShellFolder(const std::string& key, const std::string& name);
// The user's application-data folder: PGP's own lookup, then the shell's answer when that is missing.
std::string AppDataFolder();
// Files through Win32 (saved through a temporary file in the same folder), ANSI code page conversions.
std::unique_ptr<TPrefsHost> NewWindowsPrefsHost();
// The engine's one preferences file for the loaded SDK's generation, created (and loaded) by the
// unit's initialization InitPrefFuncs, freed by DonePrefFuncs; none before.
void InitPrefFuncs();
void DonePrefFuncs();
TPrefsFile* SharedPrefs();
