// The SDK loader and binding under Wine against the stand-in SDK: every generation variant, missing
// and misnamed libraries, the version fault, the runtime reached through the bound procedures, and
// the client library's decorated exports.
#include "engine/sdk/pgpAdapters.h"
#include "engine/sdk/pgpBase.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The stand-in's numbering of the libraries in its private init counter.
enum { kStandInCoreForTest = 0, kStandInNetworkForTest = 1, kStandInUIForTest = 2 };

std::string VariantFolder(int generation)
{
    std::string path = std::string("Z:") + ZAVEK_PGPSDK_VARIANTS + "/g" + std::to_string(generation) + "/";
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A scratch SDK folder with a chosen set of the variant's files, removed again at the end.
class ScratchSdk {
public:
    ScratchSdk(int generation, const std::vector<std::pair<std::string, std::string>>& files)
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "zavek-sdk-" + std::to_string(GetCurrentProcessId()) + "-"
            + std::to_string(++counter_) + "\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
        for (const auto& [from, to] : files) {
            std::string target = folder_ + to;
            EXPECT_TRUE(CopyFileA((VariantFolder(generation) + from).c_str(), target.c_str(), FALSE)) << from;
            copied_.push_back(target);
        }
    }
    ~ScratchSdk()
    {
        for (const auto& file : copied_)
            DeleteFileA(file.c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    const std::string& Folder() const { return folder_; }

private:
    static inline int counter_ = 0;
    std::string folder_;
    std::vector<std::string> copied_;
};

std::vector<std::pair<std::string, std::string>> FullSet(const char* client = "PGPcl.dll")
{
    return { { "PGPSDK.dll", "PGPSDK.dll" }, { "PGPsdkNL.dll", "PGPsdkNL.dll" }, { "PGPsdkUI.dll", "PGPsdkUI.dll" },
             { client, client }, { "PGPsc.dll", "PGPsc.dll" } };
}

class SdkLoader : public ::testing::Test {
protected:
    void Load(const std::string& folder)
    {
        SDKLoadPlan plan;
        plan.folders = { folder };
        plan.showFatal = [this](const char* text) { fatalTexts.push_back(text); };
        LoadPGPsdkWith(plan);
        BindPGPsdk();
    }
    void TearDown() override { ReleasePGPsdk(); }

    // The core's private test export for init counts (null when the core is not loaded).
    int32_t InitCount(int32_t library)
    {
        auto core = SDKLibraries[kCoreLibrary].Handle();
        auto count = core ? reinterpret_cast<int32_t(__cdecl*)(int32_t)>(
                                reinterpret_cast<void*>(GetProcAddress(core, "StandInInitCount")))
                          : nullptr;
        return count ? count(library) : -1;
    }

    std::vector<std::string> fatalTexts;
};

std::vector<std::string> UnboundNames(uint8_t generation)
{
    std::vector<std::string> unbound;
#define CHECK_BOUND(var, first, last)                                  \
    if (generation >= (first) && generation <= (last) && !SDKProcs.var) \
        unbound.push_back(#var);
#define CHECK_E(name, first, last, result, params) CHECK_BOUND(name, first, last)
#define CHECK_N(var, exportName, first, last, result, params) CHECK_BOUND(var, first, last)
    PGP_CORE_ENTRIES(CHECK_E, CHECK_N)
    PGP_NETWORK_ENTRIES(CHECK_E, CHECK_N)
    PGP_UI_ENTRIES(CHECK_E, CHECK_N)
    PGP_CLIENT_ENTRIES(CHECK_E, CHECK_N)
    PGP_SUPPORT_ENTRIES(CHECK_E, CHECK_N)
#undef CHECK_BOUND
#undef CHECK_E
#undef CHECK_N
    return unbound;
}

TEST_F(SdkLoader, EveryGenerationVariantLoadsAndBinds)
{
    const struct {
        int generation;
        const char* pgpVersion;
        const char* client;
        std::vector<std::string> unbound;
    } variants[] = {
        { 13, "10.2.0", "PGPcl.dll", {} },
        { 11, "9.12.0", "PGPcl.dll", {} },
        { 8, "9.7.0", "PGPcl.dll", {} },
        { 5, "9.0.0", "PGPcl.dll", {} },
        { 4, "8.1.0", "PGPclientLib.dll", {} },
        { 2, "7.0.3", "PGPclientLib.dll", { "PGPPurgeNamedPassphraseCache", "PGPCountCachedNamedPassphrases" } },
    };
    for (const auto& v : variants) {
        SCOPED_TRACE(v.generation);
        Load(VariantFolder(v.generation));
        EXPECT_EQ(SDKLoadError, 0);
        EXPECT_EQ(SDKGeneration, v.generation);
        EXPECT_EQ(std::string(SDKVersionText).rfind(v.pgpVersion, 0), 0u) << SDKVersionText;
        EXPECT_TRUE(EndsWith(SDKLibraryNames[kClientLibrary], std::string("\\") + v.client));
        EXPECT_EQ(ClientLibVersion, "10.2.0");
        EXPECT_EQ(UnboundNames(SDKGeneration), v.unbound);
        EXPECT_EQ(SDKProcs.PGPsdkReconnect != nullptr, true);
        EXPECT_EQ(KeyIDTextType, 2);
        EXPECT_NE(PGPKeyringsReloadMessage, 0u);
        EXPECT_EQ(InitCount(kStandInNetworkForTest), 1);
        EXPECT_EQ(InitCount(kStandInUIForTest), 1);
        UnbindPGPsdk();
        EXPECT_EQ(InitCount(kStandInNetworkForTest), 0);
        EXPECT_EQ(InitCount(kStandInUIForTest), 0);
        EXPECT_EQ(SDKProcs.PGPNewContext, nullptr);
        UnloadPGPsdk();
        for (const auto& library : SDKLibraries)
            EXPECT_FALSE(library);
        EXPECT_TRUE(fatalTexts.empty());
    }
}

TEST_F(SdkLoader, OnlyTheOtherCoreNameIsPresent)
{
    auto files = FullSet();
    files[0].second = "PGP_SDK.dll";
    ScratchSdk sdk(13, files);
    Load(sdk.Folder());
    EXPECT_EQ(SDKLoadError, 0);
    EXPECT_EQ(SDKGeneration, 13);
    EXPECT_TRUE(EndsWith(SDKLibraryNames[kCoreLibrary], "\\PGP_SDK.dll"));
    // The small libraries reach the renamed core too.
    EXPECT_EQ(InitCount(kStandInUIForTest), 1);
}

TEST_F(SdkLoader, MissingSupportLibraryIsFatalAndLeavesNothingBound)
{
    auto files = FullSet();
    files.pop_back();
    ScratchSdk sdk(13, files);
    char before[MAX_PATH], after[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    Load(sdk.Folder());
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(before, after);
    EXPECT_EQ(SDKLoadError, 5);
    ASSERT_EQ(fatalTexts.size(), 1u);
    EXPECT_EQ(fatalTexts[0], "PGP Cryptographic Support Library not found");
    for (int library : { kCoreLibrary, kNetworkLibrary, kUILibrary, kClientLibrary })
        EXPECT_TRUE(SDKLibraries[library]) << library;
    EXPECT_FALSE(SDKLibraries[kSupportLibrary]);
    EXPECT_EQ(SDKProcs.PGPNewContext, nullptr);
    EXPECT_EQ(SDKProcs.PGPsdkInit, nullptr);
    EXPECT_EQ(InitCount(kStandInNetworkForTest), 0);
    EXPECT_EQ(InitCount(kStandInUIForTest), 0);
    // The SDK was started, so unloading cleans it up exactly once.
    EXPECT_EQ(InitCount(kStandInCoreForTest), 1);
    UnbindPGPsdk();
    auto core = SDKLibraries[kCoreLibrary].Handle();
    auto count = reinterpret_cast<int32_t(__cdecl*)(int32_t)>(
        reinterpret_cast<void*>(GetProcAddress(core, "StandInInitCount")));
    LoadLibraryA(SDKLibraryNames[kCoreLibrary].c_str()); // keep the core mapped to read its count afterwards
    UnloadPGPsdk();
    EXPECT_EQ(count(kStandInCoreForTest), 0);
    FreeLibrary(core);
}

TEST_F(SdkLoader, ClientLibraryNameFollowsTheGeneration)
{
    {
        ScratchSdk sdk(5, { { "PGPSDK.dll", "PGPSDK.dll" }, { "PGPsdkNL.dll", "PGPsdkNL.dll" },
                            { "PGPsdkUI.dll", "PGPsdkUI.dll" }, { "PGPcl.dll", "PGPclientLib.dll" },
                            { "PGPsc.dll", "PGPsc.dll" } });
        Load(sdk.Folder());
        EXPECT_EQ(SDKLoadError, 4);
        ReleasePGPsdk();
    }
    {
        ScratchSdk sdk(4, { { "PGPSDK.dll", "PGPSDK.dll" }, { "PGPsdkNL.dll", "PGPsdkNL.dll" },
                            { "PGPsdkUI.dll", "PGPsdkUI.dll" }, { "PGPclientLib.dll", "PGPcl.dll" },
                            { "PGPsc.dll", "PGPsc.dll" } });
        Load(sdk.Folder());
        EXPECT_EQ(SDKLoadError, 4);
    }
    EXPECT_EQ(fatalTexts, std::vector<std::string>(2, "PGP Client Library not found"));
}

TEST_F(SdkLoader, NoCoreLibraryGivesErrorOneAndEmptyBindings)
{
    ScratchSdk sdk(13, {});
    Load(sdk.Folder());
    EXPECT_EQ(SDKLoadError, 1);
    EXPECT_EQ(SDKGeneration, 0);
    for (const auto& library : SDKLibraries)
        EXPECT_FALSE(library);
    EXPECT_EQ(SDKProcs.PGPBuildOptionList, nullptr);
    EXPECT_EQ(SDKProcs.PGPOArmorOutput, nullptr);
    PGPOptionListRef list = 0;
    EXPECT_EQ(BuildOptionList(1, &list), kPGPError_NotImplemented);
}

TEST_F(SdkLoader, FailingVersionFunctionGivesNA)
{
    SetEnvironmentVariableA("PGPSTANDIN_FAULTS", "version");
    Load(VariantFolder(13));
    SetEnvironmentVariableA("PGPSTANDIN_FAULTS", nullptr);
    EXPECT_EQ(SDKLoadError, 0);
    EXPECT_STREQ(SDKVersionText, "N/A");
}

TEST_F(SdkLoader, RuntimeThroughTheBoundProcedures)
{
    Load(VariantFolder(13));
    ASSERT_EQ(SDKLoadError, 0);
    PGPContextRef context = 0;
    ASSERT_EQ(SDKProcs.PGPNewContext(kPGPContextVersion, &context), kPGPError_NoErr);
    PGPOptionListRef list = 0;
    EXPECT_EQ(BuildOptionList(context, &list, SDKProcs.PGPOArmorOutput(context, 1),
                              SDKProcs.PGPOUIWindowTitle(context, "PGP"), SDKProcs.PGPONetURL(context, "hkp://x")),
              kPGPError_NoErr);
    EXPECT_EQ(AppendOptionList(list, SDKProcs.PGPOUIDialogPrompt(context, nullptr)), kPGPError_BadParams);
    EXPECT_EQ(SDKProcs.PGPFreeOptionList(list), kPGPError_NoErr);
    // Without an output-passphrase option the dialog has nowhere to put its answer.
    EXPECT_EQ(SDKProcs.PGPPassphraseDialog(context, SDKProcs.PGPOUIWindowTitle(context, "PGP"), kPGPEndOfOptions),
              kPGPError_BadParams);
    void* secret = SDKProcs.PGPNewSecureData(SDKProcs.PGPGetDefaultMemoryMgr(), 64, 0);
    ASSERT_NE(secret, nullptr);
    EXPECT_EQ(SDKProcs.PGPFreeData(secret), kPGPError_NoErr);
    PGPKeyID id {};
    ASSERT_EQ(KeyIDFromString("0x0011223344556677", 1, &id), kPGPError_NoErr);
    char text[20];
    ASSERT_EQ(SDKProcs.PGPGetKeyIDString(&id, KeyIDTextType, text), kPGPError_NoErr);
    EXPECT_STREQ(text, "0x0011223344556677");
    EXPECT_EQ(SDKProcs.PGPFreeContext(context), kPGPError_NoErr);

    auto core = SDKLibraries[kCoreLibrary].Handle();
    auto live = reinterpret_cast<uint32_t(__cdecl*)()>(
        reinterpret_cast<void*>(GetProcAddress(core, "StandInLiveHandleCount")));
    ASSERT_NE(live, nullptr);
    EXPECT_EQ(live(), 1u); // only the process's default memory manager is left
}

TEST_F(SdkLoader, ClientLibraryExportsOnlyTheDecoratedNames)
{
    Load(VariantFolder(13));
    auto client = SDKLibraries[kClientLibrary].Handle();
    for (const char* name : { "_PGPclInitLibrary@8", "_PGPclCloseLibrary@0", "_PGPclNotifyPrefsChanges@4",
                              "_PGPclNotifyKeyringChanges@8", "_PGPclSelectKeys@28", "_PGPclSelectX509Cert@24" })
        EXPECT_NE(GetProcAddress(client, name), nullptr) << name;
    for (const char* name : { "PGPclInitLibrary", "PGPclInitLibrary@8", "_PGPclInitLibrary" })
        EXPECT_EQ(GetProcAddress(client, name), nullptr) << name;
    PGPContextRef context = 0;
    ASSERT_EQ(SDKProcs.PGPclInitLibrary(&context, 0), kPGPError_NoErr);
    EXPECT_NE(context, 0u);
    EXPECT_EQ(SDKProcs.PGPclNotifyKeyringChanges(0, GetCurrentProcessId()), kPGPError_NoErr);
    EXPECT_EQ(SDKProcs.PGPclCloseLibrary(), kPGPError_NoErr);
}

TEST_F(SdkLoader, SupportTextIsEightBitUpToGenerationFourAndUtf16After)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string log = std::string(temp) + "zavek-sdk-log-" + std::to_string(GetCurrentProcessId()) + ".txt";
    const std::string text = "Gr\xFC\xDF" "e, PGP";
    // What the text is as UTF-8 when read in the process's ANSI code page.
    wchar_t wide[64];
    int wideLength = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 64);
    char expected[128];
    WideCharToMultiByte(CP_UTF8, 0, wide, wideLength, expected, sizeof expected, nullptr, nullptr);
    SetEnvironmentVariableA("PGPSTANDIN_LOG", log.c_str());
    for (int generation : { 4, 5 }) {
        SCOPED_TRACE(generation);
        DeleteFileA(log.c_str());
        Load(VariantFolder(generation));
        ASSERT_EQ(SDKLoadError, 0);
        EXPECT_EQ(SendPGPlogMsg(nullptr, text), kPGPError_NoErr);
        ReleasePGPsdk();
        std::ifstream in(log, std::ios::binary);
        std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(written, std::string(expected) + "\r\n");
    }
    SetEnvironmentVariableA("PGPSTANDIN_LOG", nullptr);
    DeleteFileA(log.c_str());
}

TEST(SdkService, StartingAnAbsentServiceReturnsFalsePromptly)
{
    DWORD start = GetTickCount();
    EXPECT_FALSE(StartPGPService());
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST(SdkService, InstallPathIsReadFromTheRegistry)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\PGP Corporation\\PGP", 0, nullptr, 0,
                              KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char folder[] = "C:\\Program Files\\PGP";
    RegSetValueExA(key, "InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder), sizeof folder);
    EXPECT_EQ(ReadPGPInstallPath("Software\\PGP Corporation\\PGP"), folder);
    RegDeleteValueA(key, "InstallPath");
    RegCloseKey(key);
    EXPECT_EQ(ReadPGPInstallPath("Software\\PGP Corporation\\PGP"), "");
    EXPECT_EQ(ReadPGPInstallPath("Software\\No Such Vendor"), "");
}

} // namespace
