// Reading and writing PGP's preferences files of both kinds through an in-memory platform: file
// choice by generation, every reader, the key-server write-back, escaping, reload and save failures.
#include "engine/PrefFuncs.h"
#include "engine/sdk/pgpBindings.h"
#include "PrefsMemoryHost.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

const std::string kAppData = "C:\\Users\\ann\\AppData\\Roaming";
const std::string kTextPath = kAppData + "\\PGP Corporation\\PGP\\PGPprefs.txt";
const std::string kXmlPath = kAppData + "\\PGP Corporation\\PGP\\PGPprefs.xml";

std::string Fixture(const std::string& name)
{
    std::ifstream in(std::string(ZAVEK_TEST_DATA) + "/prefs/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct PrefsFixture : ::testing::Test {
    TPrefsMemoryHost host;
};

TEST(PrefsPaths, FileAndFolderFollowTheGeneration)
{
    struct Case {
        int generation;
        const char* file;
    } cases[] = {
        { 1, "\\Network Associates\\PGP\\PGPprefs.txt" },
        { 2, "\\Network Associates\\PGP\\PGPprefs.txt" },
        { 3, "\\PGP Corporation\\PGP\\PGPprefs.txt" },
        { 4, "\\PGP Corporation\\PGP\\PGPprefs.txt" },
        { 5, "\\PGP Corporation\\PGP\\PGPprefs.xml" },
        { 13, "\\PGP Corporation\\PGP\\PGPprefs.xml" },
    };
    TPrefsMemoryHost host;
    for (const auto& c : cases) {
        TPrefsFile prefs(host, c.generation, kAppData);
        EXPECT_EQ(prefs.FileName(), kAppData + c.file) << c.generation;
        std::string folder = prefs.FileName().substr(0, prefs.FileName().rfind('\\'));
        EXPECT_EQ(prefs.GroupsFileName(), folder + "\\PGPgroup.pgr");
    }
    // Without the folder there is no file at all, never one at the drive's root.
    TPrefsFile nowhere(host, 5, "");
    EXPECT_EQ(nowhere.FileName(), "");
    std::string comment = "kept";
    EXPECT_EQ(GetCommentPref(nowhere, comment), 0);
}

TEST(PrefsText, ContinuationLinesJoin)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        { "a=one \\\r\ntwo\r\n", "a=onetwo\r\n" },
        { "a=\"one \" \\\r\n\"two\"\r\n", "a=\"one two\"\r\n" },
        // The next piece does not open with a quote: nothing of it may be lost.
        { "a=\"one\" \\\r\nxtwo\r\n", "a=\"one\"xtwo\r\n" },
        { "a=one \\\ntwo", "a=onetwo" },
        { "a=one \\\r\n", "a=one" },
        { "a=one \\ two", "a=one \\ two" },
        { "a=x \\\r\n \\\r\ny", "a=xy" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(JoinContinuationLines(c.in), c.out) << c.in;
}

TEST(PrefsText, DefaultKeyIDNeedsTheWholeRecord)
{
    std::string zeros(48, '0');
    struct Case {
        std::string value;
        const char* keyID;
    } cases[] = {
        { "0x0811000011223344556677AA" + zeros, "0x11223344556677AA" },
        { "0X04000000000000009ABCDEF0" + zeros, "0x9ABCDEF0" },
        { "0x0811000011223344556677AA" + zeros.substr(1), "" },
        { "0x0811000011223344556677AA" + zeros + "0", "" },
        { "0x0811000011223344556677AZ" + zeros, "" },
        { "0x0311000011223344556677AA" + zeros, "" },
        { "", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyIDTextFromRecordHex(c.value), c.keyID) << c.value;
}

TEST_F(PrefsFixture, TextFileReaders)
{
    host.Put(kTextPath, Fixture("PGPprefs.txt"));
    TPrefsFile prefs(host, 4, kAppData);

    TPreferenceRec rec;
    ASSERT_EQ(GetKeyRingPrefs(prefs, rec, 0x1F), 0);
    EXPECT_EQ(rec.publicRing, "C:\\Users\\ann\\PGP\\pubring.pkr");
    EXPECT_EQ(rec.privateRing, "C:\\Users\\ann\\PGP\\secring.skr");
    EXPECT_EQ(rec.randomSeed, "C:\\Users\\ann\\PGP\\randseed.rnd");
    EXPECT_EQ(rec.groupsFile, kAppData + "\\PGP Corporation\\PGP\\PGPgroup.pgr");
    EXPECT_EQ(rec.defaultKeyID, "0x1122334455667788");

    TPreferenceRec some;
    ASSERT_EQ(GetKeyRingPrefs(prefs, some, kPrefPrivateRing), 0);
    EXPECT_EQ(some.publicRing, "");
    EXPECT_NE(some.privateRing, "");

    std::string comment;
    ASSERT_EQ(GetCommentPref(prefs, comment), 0);
    EXPECT_EQ(comment, "\"Sent by Ann, reachable at the office\" and home");

    std::vector<std::string> urls;
    ASSERT_EQ(GetKeyServerList(prefs, urls), 0);
    EXPECT_EQ(urls, (std::vector<std::string> { "ldap://keys.example.org:389", "http://pgp.example.net" }));

    TServerEntry server;
    ASSERT_EQ(GetKeyServerPref(prefs, server), 0);
    EXPECT_EQ(server.protocol, 1);
    EXPECT_EQ(server.host, "keys.example.org");
    EXPECT_EQ(server.port, 389);
    EXPECT_EQ(server.flags, 1);

    int32_t seconds = 0, passes = 0, count = 0;
    bool share = false, marginal = true;
    std::vector<int32_t> algorithms;
    EXPECT_EQ(GetPassphraseCacheSeconds(prefs, seconds), 0);
    EXPECT_EQ(seconds, 120);
    EXPECT_EQ(GetShareCachePref(prefs, share), 0);
    EXPECT_TRUE(share);
    EXPECT_EQ(GetWipePassesPref(prefs, passes), 0);
    EXPECT_EQ(passes, 8);
    EXPECT_EQ(GetMarginalIsInvalidPref(prefs, marginal), 0);
    EXPECT_FALSE(marginal);
    EXPECT_EQ(GetAllowedAlgorithms(prefs, algorithms, count), 0);
    EXPECT_EQ(algorithms, (std::vector<int32_t> { 9, 7, 3 }));
    EXPECT_EQ(count, 3);
}

TEST_F(PrefsFixture, CacheTypeGivesSeconds)
{
    struct Case {
        const char* type;
        int32_t seconds;
    } cases[] = {
        { "1", 45 },
        { "2", 0 }, // no time limit
        { "0", -1 }, // caching off: keep nothing
        { "7", -1 },
        { "", -1 },
    };
    for (const auto& c : cases) {
        host.Put(kTextPath, std::string("CacheType=") + c.type + "\r\nCacheSeconds=45\r\n");
        host.Put(kXmlPath,
            std::string("<dict>\r\n<key>PassphraseCacheType</key>\r\n<integer>") + c.type
                + "</integer>\r\n<key>PassphraseCacheSeconds</key>\r\n<integer>45</integer>\r\n</dict>\r\n");
        for (int generation : { 3, 5 }) {
            TPrefsFile prefs(host, generation, kAppData);
            int32_t seconds = 99;
            EXPECT_EQ(GetPassphraseCacheSeconds(prefs, seconds), 0);
            EXPECT_EQ(seconds, c.seconds) << "type " << c.type << " generation " << generation;
        }
    }
}

TEST_F(PrefsFixture, XmlFileReaders)
{
    host.Put(kXmlPath, Fixture("PGPprefs.xml"));
    TPrefsFile prefs(host, 13, kAppData);

    TPreferenceRec rec;
    ASSERT_EQ(GetKeyRingPrefs(prefs, rec, 0x1F), 0);
    EXPECT_EQ(rec.publicRing, "C:\\Users\\ann\\PGP\\pubring.pkr");
    EXPECT_EQ(rec.defaultKeyID, "0x1122334455667788");

    std::string comment;
    ASSERT_EQ(GetCommentPref(prefs, comment), 0);
    // Entities decoded, UTF-8 turned into the ANSI code page (the smiley has no ANSI form).
    EXPECT_EQ(comment, "Ann & Bob <team> Caf\xE9 ?");

    std::vector<std::string> urls;
    ASSERT_EQ(GetKeyServerList(prefs, urls), 0);
    EXPECT_EQ(urls, (std::vector<std::string> { "ldap://keys.example.org:389", "http://pgp.example.net" }));

    int32_t seconds = 0, passes = 0, count = 0;
    bool share = true, marginal = true;
    std::vector<int32_t> algorithms;
    EXPECT_EQ(GetPassphraseCacheSeconds(prefs, seconds), 0);
    EXPECT_EQ(seconds, 300);
    EXPECT_EQ(GetShareCachePref(prefs, share), 0);
    EXPECT_FALSE(share);
    EXPECT_EQ(GetWipePassesPref(prefs, passes), 0);
    EXPECT_EQ(passes, 3);
    // A self-closing boolean is not an element this file format knows: it reads as empty.
    EXPECT_EQ(GetMarginalIsInvalidPref(prefs, marginal), 0);
    EXPECT_FALSE(marginal);
    EXPECT_EQ(GetAllowedAlgorithms(prefs, algorithms, count), 0);
    EXPECT_EQ(algorithms, (std::vector<int32_t> { 9, 8 }));

    int index = 0;
    EXPECT_EQ(prefs.GetXmlValue("RecentFolders", index), "");
    EXPECT_EQ(prefs.Lines()[index], "</dict>");
    index = 0;
    EXPECT_EQ(prefs.GetXmlValue("NoSuchKey", index), "");
    index = prefs.IndexOfKey("KeyServers") + 1;
    std::string servers = prefs.GetXmlValue("", index);
    EXPECT_EQ(servers.substr(0, servers.find("\r\n")),
        "\"title=Company\",\"domain=example.org\",\"protocol=1\",\"hostname=keys.example.org\",\"port=389\","
        "\"flags=1\",\"keyserverType=100\",\"authAlgorithm=0\",\"trusted=TRUE\"");
    EXPECT_TRUE(prefs.Lines().HasTag(index, "<key>"));
    EXPECT_EQ(prefs.Lines().IndexOfTag("<array>"), prefs.IndexOfKey("KeyServers") + 1);
}

TEST_F(PrefsFixture, XmlKeyServerWrittenBackEscaped)
{
    host.Put(kXmlPath, Fixture("PGPprefs.xml"));
    TPrefsFile prefs(host, 9, kAppData);
    TServerEntry entry { 4, "k&s<1>.example.org", 443, 2 };
    ASSERT_EQ(SetKeyServerPref(prefs, entry), 0);
    EXPECT_EQ(host.commits, 1);
    EXPECT_EQ(host.notifications, 1);

    const std::string& saved = host.files[kXmlPath].bytes;
    EXPECT_NE(saved.find("\t\t\t<string>k&amp;s&lt;1&gt;.example.org</string>\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\t\t\t<key>title</key>\r\n\t\t\t<string></string>\r\n"), std::string::npos);
    EXPECT_NE(saved.find("<integer>105</integer>"), std::string::npos);
    EXPECT_NE(saved.find("\t\t\t<false></false>\r\n\t\t</dict>"), std::string::npos);
    // Everything outside the first server stays as PGP wrote it.
    EXPECT_NE(saved.find("Ann &amp; Bob &lt;team&gt; Caf\xC3\xA9 &#x263A;"), std::string::npos);
    const std::string original = Fixture("PGPprefs.xml");
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), std::count(original.begin(), original.end(), '\n'));

    TPrefsFile again(host, 9, kAppData);
    TServerEntry read;
    ASSERT_EQ(GetKeyServerPref(again, read), 0);
    EXPECT_EQ(read.protocol, 4);
    EXPECT_EQ(read.host, entry.host);
    EXPECT_EQ(read.port, 443);
    EXPECT_EQ(read.flags, 2);
}

TEST_F(PrefsFixture, TextKeyServerWrittenBack)
{
    host.Put(kTextPath, Fixture("PGPprefs.txt"));
    TPrefsFile prefs(host, 3, kAppData);
    ASSERT_EQ(SetKeyServerPref(prefs, { 3, "ldaps.example.com", 636, 0 }), 0);
    EXPECT_NE(host.files[kTextPath].bytes.find("KeyServerList1=3,0,\"\",\"ldaps.example.com\",636,\"\",0,0\r\n"),
        std::string::npos);

    // Quotes, commas and blanks in the host survive the comma text.
    ASSERT_EQ(SetKeyServerPref(prefs, { 2, "odd \"host\", <x>", 8080, 3 }), 0);
    TPrefsFile again(host, 3, kAppData);
    TServerEntry read;
    ASSERT_EQ(GetKeyServerPref(again, read), 0);
    EXPECT_EQ(read.host, "odd \"host\", <x>");
    EXPECT_EQ(read.port, 8080);
    EXPECT_EQ(read.flags, 3);

    // A first entry of too few items is not rewritten, and the file is left untouched.
    host.Put(kTextPath, "KeyServerList1=1,0,\"\",\"x\"\r\n");
    TPrefsFile shortList(host, 3, kAppData);
    int commits = host.commits, notifications = host.notifications;
    EXPECT_EQ(SetKeyServerPref(shortList, { 1, "y", 1, 0 }), 0);
    EXPECT_EQ(host.commits, commits);
    EXPECT_EQ(host.notifications, notifications);
}

TEST_F(PrefsFixture, SetXmlValueByElement)
{
    host.Put(kXmlPath,
        "<dict>\r\n<key>s</key>\r\n<string>old</string>\r\n<key>b</key>\r\n<true></true>\r\n"
        "<key>i</key>\r\n<integer>1</integer>\r\n<key>d</key>\r\n<data>AAAA</data>\r\n"
        "<key>a</key>\r\n<array>\r\n<string>1</string>\r\n<string>2</string>\r\n</array>\r\n"
        "<key>e</key>\r\n<array></array>\r\n<key>t</key>\r\n<true/>\r\n<key>last</key>\r\n</dict>\r\n");
    TPrefsFile prefs(host, 5, kAppData);
    struct Case {
        const char* key;
        const char* value;
        bool written;
        const char* readBack;
    } cases[] = {
        { "s", "\xE9 & <x>", true, "\xE9 & <x>" },
        { "s", "\\", true, "" },
        { "b", "false", true, "FALSE" },
        { "b", "maybe", false, "FALSE" },
        { "i", "42", true, "42" },
        { "d", "QkJC", true, "QkJC" },
        { "a", "x\r\ny", true, "x\r\ny" },
        { "a", "only", true, "only\r\ny" },
        { "e", "z", false, "" },
        { "t", "TRUE", false, "" },
        { "missing", "v", false, "" },
        { "last", "v", false, "" },
    };
    for (const auto& c : cases) {
        int index = 0;
        EXPECT_EQ(prefs.SetXmlValue(c.key, c.value, index), c.written) << c.key << " " << c.value;
        index = 0;
        EXPECT_EQ(prefs.GetXmlValue(c.key, index), c.readBack) << c.key;
    }
    EXPECT_EQ(prefs.Lines()[2], "<string></string>");
}

TEST_F(PrefsFixture, MissingEmptyAndChangedFiles)
{
    // No file: empty values and success, the caller's defaults stand.
    TPrefsFile missing(host, 5, kAppData);
    std::string comment = "mine";
    EXPECT_EQ(GetCommentPref(missing, comment), 0);
    EXPECT_EQ(comment, "");

    // An empty file is unreadable preferences.
    host.Put(kXmlPath, "");
    TPrefsFile empty(host, 5, kAppData);
    comment = "mine";
    EXPECT_EQ(GetCommentPref(empty, comment), kPrefsUnavailable);
    EXPECT_EQ(comment, "mine");

    host.Put(kTextPath, "Comment=first\r\n");
    TPrefsFile prefs(host, 4, kAppData);
    int reads = host.reads;
    ASSERT_EQ(GetCommentPref(prefs, comment), 0);
    EXPECT_EQ(comment, "first");
    EXPECT_EQ(host.reads, reads) << "an unchanged file is not read again";
    host.Put(kTextPath, "Comment=second\r\n");
    ASSERT_EQ(GetCommentPref(prefs, comment), 0);
    EXPECT_EQ(comment, "second");

}

TEST_F(PrefsFixture, FailedSaveIsReportedAndKeepsTheFile)
{
    host.Put(kXmlPath, Fixture("PGPprefs.xml"));
    TPrefsFile prefs(host, 5, kAppData);
    host.failCommits = true;
    EXPECT_EQ(SetKeyServerPref(prefs, { 2, "new.example.org", 80, 0 }), kPrefsUnavailable);
    EXPECT_EQ(host.files[kXmlPath].bytes, Fixture("PGPprefs.xml"));
    EXPECT_EQ(host.notifications, 0) << "nothing changed for PGP to reload";
}

// Generation 1: the SDK's and the client library's stores through a fake procedure table that
// counts what is opened and freed.
struct TFakeGen1 {
    static inline int contexts = 0, clientOpen = 0, sdkData = 0, specs = 0, clientSaves = 0;
    static inline std::map<int32_t, uint32_t> numbers;
    static inline std::map<int32_t, PGPBoolean> booleans;
    static inline std::string algorithms, keyServers;

    static void* Alloc(const void* bytes, size_t size)
    {
        ++sdkData;
        void* block = std::malloc(size + 1);
        std::memcpy(block, bytes, size);
        static_cast<char*>(block)[size] = 0;
        return block;
    }
    static PGPError PGP_CDECL NewContext(uint32_t, PGPContextRef* context)
    {
        ++contexts;
        *context = 77;
        return 0;
    }
    static PGPError PGP_CDECL FreeContext(PGPContextRef) { return --contexts, 0; }
    static PGPError PGP_CDECL LoadPrefs(PGPContextRef) { return 0; }
    static PGPError PGP_CDECL GetFileSpec(PGPContextRef, int32_t pref, PGPFileSpecRef* spec)
    {
        ++specs;
        *spec = static_cast<PGPFileSpecRef>(pref);
        return 0;
    }
    static PGPError PGP_CDECL FreeFileSpec(PGPFileSpecRef) { return --specs, 0; }
    static PGPError PGP_CDECL FullPath(PGPFileSpecRef spec, char** path)
    {
        std::string text = "C:\\PGP\\file" + std::to_string(spec);
        *path = static_cast<char*>(Alloc(text.c_str(), text.size()));
        return 0;
    }
    static PGPError PGP_CDECL FreeData(void* data)
    {
        --sdkData;
        std::free(data);
        return 0;
    }
    static PGPError PGP_CDECL GetData(PGPContextRef, int32_t pref, void** data, PGPSize* size)
    {
        uint8_t record[34] = { 8, 1, 0, 0, 0xDE, 0xAD, 0xBE, 0xEF, 0x01, 0x02, 0x03, 0x04 };
        *data = Alloc(record, sizeof record);
        *size = sizeof record;
        return pref == 3 ? 0 : -1;
    }
    static PGPError PGP_CDECL KeyIDString(const PGPKeyID* id, int32_t type, char* text)
    {
        std::string hex = type == kPGPKeyIDString_FullGen1 && id->length == 8 ? "0x" : "bad";
        for (uint8_t byte : id->id)
            hex += "0123456789ABCDEF"[byte >> 4], hex += "0123456789ABCDEF"[byte & 15];
        std::strcpy(text, hex.c_str());
        return 0;
    }
    static PGPMemoryMgrRef PGP_CDECL MemoryMgr() { return 5; }
    static PGPError PGP_CDECL OpenClient(PGPMemoryMgrRef mgr, PGPHandle* prefs)
    {
        ++clientOpen;
        *prefs = 9;
        return mgr == 5 ? 0 : -1;
    }
    static PGPError PGP_CDECL CloseClient(PGPHandle, PGPBoolean save)
    {
        --clientOpen;
        clientSaves += save ? 1 : 0;
        return 0;
    }
    static PGPError PGP_CDECL GetBoolean(PGPHandle, int32_t index, PGPBoolean* value)
    {
        *value = booleans[index];
        return 0;
    }
    static PGPError PGP_CDECL GetNumber(PGPHandle, int32_t index, uint32_t* value)
    {
        *value = numbers[index];
        return 0;
    }
    static PGPError PGP_CDECL GetString(PGPHandle, int32_t index, char** text)
    {
        *text = static_cast<char*>(Alloc(index == 403 ? "from the client" : "", index == 403 ? 15 : 0));
        return 0;
    }
    static PGPError PGP_CDECL GetClientData(PGPHandle, int32_t index, PGPSize* size, void** data)
    {
        const std::string& stored = index == 604 ? keyServers : algorithms;
        *data = Alloc(stored.data(), stored.size());
        *size = static_cast<PGPSize>(stored.size());
        return index == 608 || index == 604 ? 0 : -1;
    }
    static PGPError PGP_CDECL SetClientData(PGPHandle, int32_t index, PGPSize size, const void* data)
    {
        if (index != 604)
            return -1;
        keyServers.assign(static_cast<const char*>(data), size);
        return 0;
    }

    TFakeGen1()
    {
        SDKProcs = PGPsdkProcs {};
        SDKProcs.PGPNewContext = NewContext;
        SDKProcs.PGPFreeContext = FreeContext;
        SDKProcs.PGPsdkLoadDefaultPrefs = LoadPrefs;
        SDKProcs.PGPsdkPrefGetFileSpec = GetFileSpec;
        SDKProcs.PGPFreeFileSpec = FreeFileSpec;
        SDKProcs.PGPGetFullPathFromFileSpec = FullPath;
        SDKProcs.PGPFreeData = FreeData;
        SDKProcs.PGPsdkPrefGetData = GetData;
        SDKProcs.PGPGetKeyIDString = KeyIDString;
        SDKProcs.PGPGetDefaultMemoryMgr = MemoryMgr;
        SDKProcs.PGPclOpenClientPrefs = OpenClient;
        SDKProcs.PGPclCloseClientPrefs = CloseClient;
        SDKProcs.PGPclGetPrefBoolean = GetBoolean;
        SDKProcs.PGPclGetPrefNumber = GetNumber;
        SDKProcs.PGPclGetPrefStringAlloc = GetString;
        SDKProcs.PGPclGetPrefData = GetClientData;
        SDKProcs.PGPclSetPrefData = SetClientData;
    }
    ~TFakeGen1() { SDKProcs = PGPsdkProcs {}; }
};

TEST(PrefsGeneration1, SettingsFromTheSdkStores)
{
    TFakeGen1 fake;
    TPrefsMemoryHost host;
    TPrefsFile prefs(host, 1, kAppData);

    TPreferenceRec rec;
    ASSERT_EQ(GetKeyRingPrefs(prefs, rec, 0x1F), 0);
    EXPECT_EQ(rec.publicRing, "C:\\PGP\\file5");
    EXPECT_EQ(rec.privateRing, "C:\\PGP\\file6");
    EXPECT_EQ(rec.randomSeed, "C:\\PGP\\file7");
    EXPECT_EQ(rec.groupsFile, "C:\\PGP\\file8");
    EXPECT_EQ(rec.defaultKeyID, "0xDEADBEEF01020304");

    std::string comment;
    EXPECT_EQ(GetCommentPref(prefs, comment), 0);
    EXPECT_EQ(comment, "from the client");

    struct Case {
        PGPBoolean decryption, signing;
        int32_t seconds;
    } cases[] = { { 1, 1, 150 }, { 1, 0, -1 }, { 0, 1, -1 }, { 0, 0, -1 } };
    TFakeGen1::numbers = { { 202, 100 }, { 203, 201 }, { 209, 7 } };
    for (const auto& c : cases) {
        TFakeGen1::booleans = { { 2, c.decryption }, { 3, c.signing }, { 10, 1 } };
        int32_t seconds = 99;
        EXPECT_EQ(GetPassphraseCacheSeconds(prefs, seconds), 0);
        EXPECT_EQ(seconds, c.seconds) << int(c.decryption) << int(c.signing);
    }

    int32_t passes = 0, count = 0;
    bool invalid = false, share = true;
    EXPECT_EQ(GetWipePassesPref(prefs, passes), 0);
    EXPECT_EQ(passes, 7);
    EXPECT_EQ(GetMarginalIsInvalidPref(prefs, invalid), 0);
    EXPECT_TRUE(invalid);
    EXPECT_EQ(GetShareCachePref(prefs, share), 0);
    EXPECT_FALSE(share);

    std::vector<int32_t> algorithms;
    TFakeGen1::algorithms = std::string("\x09\0\0\0\x07\0\0\0\x03\0\0\0", 12);
    EXPECT_EQ(GetAllowedAlgorithms(prefs, algorithms, count), 0);
    EXPECT_EQ(algorithms, (std::vector<int32_t> { 9, 7, 3 }));
    TFakeGen1::algorithms = std::string(36, '\x01');
    EXPECT_EQ(GetAllowedAlgorithms(prefs, algorithms, count), 0);
    EXPECT_EQ(count, 8);
    EXPECT_EQ(algorithms[0], 0x01010101);

    // Key servers live in the client library's records of 724 bytes; its own bytes stay as they
    // are, the host is cut to 255 characters, and an entry without protocol or host writes nothing.
    auto record = [](int32_t protocol, const std::string& host, uint16_t port, int32_t flags) {
        std::string bytes(724, '\x5A');
        std::memcpy(&bytes[0], "\xD4\x02\0\0", 4);
        std::memcpy(&bytes[4], &protocol, 4);
        std::memset(&bytes[264], 0, 256);
        std::memcpy(&bytes[264], host.data(), host.size());
        std::memcpy(&bytes[520], &port, 2);
        std::memcpy(&bytes[656], &flags, 4);
        return bytes;
    };
    TFakeGen1::keyServers = record(1, "keys.example.org", 11371, 0) + record(2, "other.example.net", 0, 3);
    TServerEntry server;
    EXPECT_EQ(GetKeyServerPref(prefs, server), 0);
    EXPECT_EQ(server.protocol, 1);
    EXPECT_EQ(server.host, "keys.example.org");
    EXPECT_EQ(server.port, 11371);
    std::vector<std::string> urls;
    EXPECT_EQ(GetKeyServerList(prefs, urls), 0);
    EXPECT_EQ(urls.size(), 2u);
    const std::string longHost(300, 'h');
    EXPECT_EQ(SetKeyServerPref(prefs, { 2, longHost, 80, 7 }), 0);
    EXPECT_EQ(TFakeGen1::keyServers.substr(0, 724), record(2, longHost.substr(0, 255), 80, 7));
    EXPECT_EQ(TFakeGen1::keyServers.substr(724), record(2, "other.example.net", 0, 3));
    EXPECT_EQ(TFakeGen1::clientSaves, 1);
    const std::string stored = TFakeGen1::keyServers;
    EXPECT_EQ(SetKeyServerPref(prefs, { 0, "x.example.org", 80, 0 }), 0);
    EXPECT_EQ(SetKeyServerPref(prefs, { 1, "", 80, 0 }), 0);
    TFakeGen1::keyServers.clear();
    EXPECT_EQ(SetKeyServerPref(prefs, { 1, "keys.example.org", 80, 0 }), 0);
    EXPECT_TRUE(TFakeGen1::keyServers.empty()) << "an empty list gains no entry";
    EXPECT_EQ(TFakeGen1::clientSaves, 1) << "nothing written, nothing saved";
    TFakeGen1::keyServers = stored;
    EXPECT_EQ(GetKeyServerPref(prefs, server), 0);
    EXPECT_EQ(server.host, longHost.substr(0, 255));

    EXPECT_EQ(TFakeGen1::contexts, 0);
    EXPECT_EQ(TFakeGen1::clientOpen, 0);
    EXPECT_EQ(TFakeGen1::sdkData, 0);
    EXPECT_EQ(TFakeGen1::specs, 0);
}

TEST(PrefsGeneration1, UnboundSdkLeavesTheCallersValues)
{
    SDKProcs = PGPsdkProcs {};
    TPrefsMemoryHost host;
    TPrefsFile prefs(host, 1, kAppData);
    std::string comment = "mine";
    EXPECT_EQ(GetCommentPref(prefs, comment), kPGPError_NotImplemented);
    EXPECT_EQ(comment, "mine");
    TPreferenceRec rec;
    EXPECT_EQ(GetKeyRingPrefs(prefs, rec, 0x1F), kPGPError_NotImplemented);
}

TEST(PrefsXml, EscapeAndUnescape)
{
    EXPECT_EQ(XmlEscape("a&b<c>d\"e'"), "a&amp;b&lt;c&gt;d\"e'");
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        { "&amp;&lt;&gt;&quot;&apos;", "&<>\"'" },
        { "&#65;&#x42;&#X43;", "ABC" },
        { "&#xE9;", "\xC3\xA9" },
        { "&#x1F600;", "\xF0\x9F\x98\x80" },
        { "&#0;&#xD800;&#x110000;&#;&#x;&bogus;", "&#0;&#xD800;&#x110000;&#;&#x;&bogus;" },
        { "fish & chips; ok", "fish & chips; ok" },
        { "&amp", "&amp" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(XmlUnescape(c.in), c.out) << c.in;
}

TEST(PrefsCommaText, SplitAndQuote)
{
    EXPECT_EQ(SplitCommaText("1,0,\"\",\"a \"\"b\"\"\",389,,x y"),
        (std::vector<std::string> { "1", "0", "", "a \"b\"", "389", "", "x", "y" }));
    EXPECT_EQ(SplitCommaText(""), std::vector<std::string> {});
    EXPECT_EQ(QuoteCommaItem("a\"b"), "\"a\"\"b\"");
    std::string item = "name=va,l \"ue\"";
    EXPECT_EQ(SplitCommaText(QuoteCommaItem(item) + "," + QuoteCommaItem("")),
        (std::vector<std::string> { item, "" }));
}

} // namespace
