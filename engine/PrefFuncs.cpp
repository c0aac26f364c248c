// The preferences file object (which file, when to read it again, saving it whole) and the readers
// that turn its settings into what the engine uses; for generation 1 they read the SDK's own stores.
#include "engine/PrefFuncs.h"

#include "foundation/StrTools.h"

#include <charconv>
#include <cstring>

namespace {

int32_t ParseNumber(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return 0;
    int32_t value = 0;
    const char* begin = text.data() + first;
    if (*begin == '+')
        ++begin;
    std::from_chars(begin, text.data() + text.size(), value);
    return value;
}

bool IsTrueText(const std::string& text) { return text.size() == 4 && StartsWithText("TRUE", text); }

const char* ProtocolName(int32_t protocol)
{
    static const char* const names[] = { "", "ldap", "http", "ldaps", "https" };
    return protocol >= 0 && protocol <= 4 ? names[protocol] : "";
}

// Name=value items of a dictionary's comma text, looked up by name.
class TDictItems {
public:
    explicit TDictItems(const std::string& commaText)
    {
        for (auto& item : SplitCommaText(commaText)) {
            size_t eq = item.find('=');
            if (eq != std::string::npos)
                items_.emplace_back(item.substr(0, eq), item.substr(eq + 1));
        }
    }
    std::string Get(const std::string& name) const
    {
        for (const auto& [key, value] : items_)
            if (key == name)
                return value;
        return {};
    }
    void Set(const std::string& name, const std::string& value)
    {
        for (auto& item : items_)
            if (item.first == name) {
                item.second = value;
                return;
            }
        items_.emplace_back(name, value);
    }
    std::string CommaText() const
    {
        std::string text;
        for (const auto& [key, value] : items_) {
            if (!text.empty())
                text += ',';
            text += QuoteCommaItem(key + "=" + value);
        }
        return text;
    }

private:
    std::vector<std::pair<std::string, std::string>> items_;
};

std::vector<std::string> SplitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    size_t start = 0;
    while (true) {
        size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    return lines;
}

// Client-library numbers of generation 1.
enum : int32_t {
    kClientCacheDecryption = 2,
    kClientCacheSigning = 3,
    kClientMarginalIsInvalid = 10,
    kClientDecryptionSeconds = 202,
    kClientSigningSeconds = 203,
    kClientWipePasses = 209,
    kClientComment = 403,
    kClientAllowedAlgorithms = 608,
    kClientKeyServers = 604,
};

template <typename Body> int32_t Guarded(Body body)
{
    try {
        return body();
    } catch (...) {
        return kPrefsUnavailable;
    }
}

// Runs a reader's body on fresh preferences (generation 1: on the SDK's stores); any failure leaves
// the caller's values alone.
template <typename Body, typename Gen1Body> int32_t WithPrefs(TPrefsFile& prefs, Body body, Gen1Body gen1)
{
    return Guarded([&] {
        if (prefs.Generation() < 2)
            return gen1();
        return prefs.Reload() ? body() : kPrefsUnavailable;
    });
}

template <typename Body> int32_t WithPrefs(TPrefsFile& prefs, Body body)
{
    return WithPrefs(prefs, body, [] { return kPrefsUnavailable; });
}

std::string Value(TPrefsFile& prefs, const std::string& textName, const std::string& xmlName)
{
    int index = 0;
    return prefs.IsXml() ? prefs.GetXmlValue(xmlName, index) : prefs.GetTextValue(textName);
}

std::string TextKeyServer(TPrefsFile& prefs, int number)
{
    return prefs.GetTextValue("KeyServerList" + std::to_string(number));
}

// Key servers as dictionaries' comma texts (XML) or as the text file's 8-item comma texts.
std::vector<TServerEntry> KeyServers(TPrefsFile& prefs)
{
    std::vector<TServerEntry> entries;
    if (prefs.IsXml()) {
        int index = 0;
        for (const auto& dict : SplitCrLf(prefs.GetXmlValue("KeyServers", index))) {
            TDictItems items(dict);
            entries.push_back({ ParseNumber(items.Get("protocol")), items.Get("hostname"),
                static_cast<uint16_t>(ParseNumber(items.Get("port"))), ParseNumber(items.Get("flags")) });
        }
        return entries;
    }
    for (int number = 1;; ++number) {
        std::string value = TextKeyServer(prefs, number);
        if (value.empty())
            break;
        auto items = SplitCommaText(value);
        if (items.size() < 8)
            continue;
        entries.push_back({ ParseNumber(items[0]), items[3], static_cast<uint16_t>(ParseNumber(items[4])),
            ParseNumber(items[7]) });
    }
    return entries;
}

// The client library's key-server records: 724 bytes each, the library's own bytes kept as they are.
constexpr std::size_t kClientServerSize = 724, kClientServerProtocol = 4, kClientServerHost = 264,
                      kClientServerHostSize = 256, kClientServerPort = 520, kClientServerFlags = 656;

template <typename T> T RecordField(const std::string& data, std::size_t at)
{
    T value {};
    std::memcpy(&value, data.data() + at, sizeof value);
    return value;
}

template <typename T> void SetRecordField(std::string& data, std::size_t at, T value)
{
    std::memcpy(&data[at], &value, sizeof value);
}

std::vector<TServerEntry> ClientKeyServers(const std::string& data)
{
    std::vector<TServerEntry> entries;
    for (std::size_t at = 0; at + kClientServerSize <= data.size(); at += kClientServerSize) {
        const char* host = data.data() + at + kClientServerHost;
        entries.push_back({ RecordField<int32_t>(data, at + kClientServerProtocol),
            std::string(host, strnlen(host, kClientServerHostSize - 1)),
            RecordField<uint16_t>(data, at + kClientServerPort), RecordField<int32_t>(data, at + kClientServerFlags) });
    }
    return entries;
}

// The first record takes the entry; false when there is none or the entry names no server.
bool SetFirstClientKeyServer(std::string& data, const TServerEntry& entry)
{
    if (data.size() < kClientServerSize || entry.protocol == 0 || entry.host.empty())
        return false;
    SetRecordField<uint32_t>(data, 0, kClientServerSize);
    SetRecordField<int32_t>(data, kClientServerProtocol, entry.protocol);
    const std::string host = entry.host.substr(0, kClientServerHostSize - 1);
    std::memset(&data[kClientServerHost], 0, kClientServerHostSize);
    std::memcpy(&data[kClientServerHost], host.data(), host.size());
    SetRecordField<uint16_t>(data, kClientServerPort, entry.port);
    SetRecordField<int32_t>(data, kClientServerFlags, entry.flags);
    return true;
}

// The configured key servers of any generation.
int32_t ReadKeyServers(TPrefsFile& prefs, std::vector<TServerEntry>& entries)
{
    return WithPrefs(prefs, [&] {
        entries = KeyServers(prefs);
        return 0;
    },
        [&] {
            std::string data;
            const int32_t status = Gen1ClientData(kClientKeyServers, data);
            if (status == 0)
                entries = ClientKeyServers(data);
            return status;
        });
}

int32_t WriteGen1KeyServer(const TServerEntry& entry)
{
    std::string data;
    int32_t status = Gen1ClientData(kClientKeyServers, data);
    if (status == 0 && SetFirstClientKeyServer(data, entry))
        status = Gen1ClientSetData(kClientKeyServers, data);
    return status;
}

bool WriteTextKeyServer(TPrefsFile& prefs, const TServerEntry& entry)
{
    auto items = SplitCommaText(TextKeyServer(prefs, 1));
    if (items.size() <= 7)
        return false;
    std::string value = std::to_string(entry.protocol) + "," + items[1] + "," + QuoteCommaItem(items[2]) + ","
        + QuoteCommaItem(entry.host) + "," + std::to_string(entry.port) + "," + QuoteCommaItem(items[5]) + ","
        + items[6] + "," + std::to_string(entry.flags);
    return prefs.SetTextValue("KeyServerList1", value);
}

bool WriteXmlKeyServer(TPrefsFile& prefs, const TServerEntry& entry)
{
    // The first dictionary of the "KeyServers" array is rewritten in place.
    int arrayLine = prefs.IndexOfKey("KeyServers") + 1;
    if (arrayLine == 0 || arrayLine >= prefs.Lines().Count() || !prefs.Lines().HasTag(arrayLine, "<array>"))
        return false;
    int index = arrayLine;
    auto servers = SplitCrLf(prefs.GetXmlValue("", index));
    if (servers.empty())
        return false;
    TDictItems items(servers.front());
    static const int32_t serverTypes[] = { 0, 100, 105, 101, 105 };
    items.Set("title", "\\");
    items.Set("domain", "\\");
    items.Set("protocol", std::to_string(entry.protocol));
    items.Set("hostname", entry.host);
    items.Set("port", std::to_string(entry.port));
    items.Set("flags", std::to_string(entry.flags));
    if (entry.protocol >= 1 && entry.protocol <= 4)
        items.Set("keyserverType", std::to_string(serverTypes[entry.protocol]));
    items.Set("authAlgorithm", "-1");
    items.Set("trusted", "FALSE");
    int element = arrayLine + 1;
    return prefs.SetXmlValue("", items.CommaText(), element);
}

} // namespace

std::string PrefsFolder(const std::string& appDataFolder, int generation)
{
    return appDataFolder + (generation < 3 ? "\\Network Associates\\PGP" : "\\PGP Corporation\\PGP");
}

TPrefsFile::TPrefsFile(TPrefsHost& host, int generation, const std::string& appDataFolder)
    : host_(host)
    , generation_(generation)
{
    // Without an application-data folder there is no file: the path would point at the drive's root.
    if (!appDataFolder.empty()) {
        std::string folder = PrefsFolder(appDataFolder, generation);
        fileName_ = folder + (generation < 5 ? "\\PGPprefs.txt" : "\\PGPprefs.xml");
        groupsFileName_ = folder + "\\PGPgroup.pgr";
    }
    if (generation >= 2)
        Reload();
}

bool TPrefsFile::Reload()
{
    try {
        auto fileTime = fileName_.empty() ? std::nullopt : host_.FileTime(fileName_);
        if (!fileTime || *fileTime < loadTime_)
            return true;
        std::string bytes;
        if (!host_.ReadFile(fileName_, bytes))
            return false;
        TPrefsList lines;
        lines.Load(IsXml() ? bytes : JoinContinuationLines(bytes), IsXml());
        if (lines.Count() == 0)
            return false;
        lines_ = lines;
        loadTime_ = host_.Now();
        return true;
    } catch (...) {
        return false;
    }
}

bool TPrefsFile::Save()
{
    try {
        return !fileName_.empty() && lines_.Count() > 0 && host_.CommitFile(fileName_, lines_.Text());
    } catch (...) {
        return false;
    }
}

int32_t GetKeyRingPrefs(TPrefsFile& prefs, TPreferenceRec& rec, uint32_t selection)
{
    return WithPrefs(prefs, [&] {
        if (selection & kPrefPublicRing)
            rec.publicRing = Value(prefs, "PublicKeyringFile", "PublicKeyringFile");
        if (selection & kPrefPrivateRing)
            rec.privateRing = Value(prefs, "PrivateKeyringFile", "PrivateKeyringFile");
        if (selection & kPrefRandomSeed)
            rec.randomSeed = Value(prefs, "RNGSeedFile", "RNGSeedFile");
        if (selection & kPrefGroupsFile)
            rec.groupsFile = prefs.GroupsFileName();
        if (selection & kPrefDefaultKey)
            rec.defaultKeyID = prefs.IsXml() ? Value(prefs, "", "LastSigningKeyID")
                                             : KeyIDTextFromRecordHex(prefs.GetTextValue("DefaultKeyID"));
        return 0;
    },
        [&] { return Gen1KeyRingPrefs(rec, selection); });
}

int32_t GetKeyServerList(TPrefsFile& prefs, std::vector<std::string>& urls)
{
    std::vector<TServerEntry> entries;
    const int32_t status = ReadKeyServers(prefs, entries);
    if (status != 0)
        return status;
    urls.clear();
    for (const auto& entry : entries) {
        std::string url = ProtocolName(entry.protocol);
        url.append("://").append(entry.host);
        if (entry.port != 0)
            url.append(1, ':').append(std::to_string(entry.port));
        urls.push_back(url);
    }
    return 0;
}

int32_t GetKeyServerPref(TPrefsFile& prefs, TServerEntry& entry)
{
    std::vector<TServerEntry> entries;
    const int32_t status = ReadKeyServers(prefs, entries);
    if (status == 0 && !entries.empty())
        entry = entries.front();
    return status;
}

int32_t SetKeyServerPref(TPrefsFile& prefs, const TServerEntry& entry)
{
    return WithPrefs(prefs, [&] {
        bool written = prefs.IsXml() ? WriteXmlKeyServer(prefs, entry) : WriteTextKeyServer(prefs, entry);
        // Nothing changed: PGP's file is left as it is rather than rewritten.
        if (!written)
            return 0;
        if (!prefs.Save())
            return kPrefsUnavailable;
        prefs.Host().NotifyPrefsChanged();
        return 0;
    },
        [&] { return WriteGen1KeyServer(entry); });
}

int32_t GetCommentPref(TPrefsFile& prefs, std::string& comment)
{
    return WithPrefs(prefs, [&] {
        comment = Value(prefs, "Comment", "CommentString");
        return 0;
    },
        [&] { return Gen1ClientString(kClientComment, comment); });
}

int32_t GetShareCachePref(TPrefsFile& prefs, bool& share)
{
    if (prefs.Generation() < 2) {
        share = false;
        return 0;
    }
    return WithPrefs(prefs, [&] {
        share = IsTrueText(Value(prefs, "ShareCache", "PassphraseShareCache"));
        return 0;
    });
}

int32_t GetWipePassesPref(TPrefsFile& prefs, int32_t& passes)
{
    return WithPrefs(prefs, [&] {
        passes = ParseNumber(Value(prefs, "FileWipePasses", "FileWipePasses"));
        return 0;
    },
        [&] {
            uint32_t number = 0;
            int32_t status = Gen1ClientNumber(kClientWipePasses, number);
            if (status == 0)
                passes = static_cast<int32_t>(number);
            return status;
        });
}

int32_t GetMarginalIsInvalidPref(TPrefsFile& prefs, bool& invalid)
{
    return WithPrefs(prefs, [&] {
        invalid = IsTrueText(Value(prefs, "MarginalValidityIsInvalid", "MarginalIsInvalid"));
        return 0;
    },
        [&] { return Gen1ClientBoolean(kClientMarginalIsInvalid, invalid); });
}

int32_t GetAllowedAlgorithms(TPrefsFile& prefs, std::vector<int32_t>& algorithms, int32_t& count)
{
    constexpr size_t kMaxAlgorithms = 8;
    return WithPrefs(prefs, [&] {
        algorithms.clear();
        if (prefs.IsXml()) {
            int index = 0;
            for (const auto& line : SplitCrLf(prefs.GetXmlValue("AllowedAlgorithmsList", index)))
                if (algorithms.size() < kMaxAlgorithms)
                    algorithms.push_back(ParseNumber(line));
        } else {
            for (size_t number = 1; number <= kMaxAlgorithms; ++number) {
                std::string value = prefs.GetTextValue("AllowedAlgorithmsList" + std::to_string(number));
                if (value.empty())
                    break;
                algorithms.push_back(ParseNumber(value));
            }
        }
        count = static_cast<int32_t>(algorithms.size());
        return 0;
    },
        [&] {
            std::string data;
            int32_t status = Gen1ClientData(kClientAllowedAlgorithms, data);
            if (status != 0)
                return status;
            // Four bytes per algorithm, low byte first; a store of more than 35 bytes holds eight.
            size_t numbers = data.size() > 35 ? kMaxAlgorithms : data.size() / 4;
            algorithms.clear();
            for (size_t i = 0; i < numbers; ++i) {
                uint32_t value = 0;
                for (int b = 3; b >= 0; --b)
                    value = value << 8 | static_cast<uint8_t>(data[4 * i + b]);
                algorithms.push_back(static_cast<int32_t>(value));
            }
            count = static_cast<int32_t>(algorithms.size());
            return 0;
        });
}

int32_t GetPassphraseCacheSeconds(TPrefsFile& prefs, int32_t& seconds)
{
    return WithPrefs(prefs, [&] {
        // Type 1 keeps for the given time, type 2 without a limit; anything else keeps nothing.
        switch (ParseNumber(Value(prefs, "CacheType", "PassphraseCacheType"))) {
        case 1: seconds = ParseNumber(Value(prefs, "CacheSeconds", "PassphraseCacheSeconds")); break;
        case 2: seconds = 0; break;
        default: seconds = -1;
        }
        return 0;
    },
        [&] {
            // Both caches on: the mean of their times; otherwise nothing is kept.
            bool decryption = false, signing = false;
            uint32_t decryptionSeconds = 0, signingSeconds = 0;
            int32_t status = Gen1ClientBoolean(kClientCacheDecryption, decryption);
            if (status == 0)
                status = Gen1ClientBoolean(kClientCacheSigning, signing);
            if (status == 0 && decryption && signing) {
                status = Gen1ClientNumber(kClientDecryptionSeconds, decryptionSeconds);
                if (status == 0)
                    status = Gen1ClientNumber(kClientSigningSeconds, signingSeconds);
            }
            if (status == 0)
                seconds = decryption && signing
                    ? static_cast<int32_t>((static_cast<uint64_t>(decryptionSeconds) + signingSeconds) / 2)
                    : -1;
            return status;
        });
}
