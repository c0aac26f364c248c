// The Windows side of the preferences under Wine: the registry lookup, the application-data
// folder, and the save that only ever replaces PGP's file with a complete new one.
#include "engine/PrefFuncs.h"
#include "engine/sdk/pgpBase.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <windows.h>

namespace {

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

int CountFiles(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    int count = 0;
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++count;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}

struct WinPrefs : ::testing::Test {
    std::string appData;
    std::string folder;

    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        appData = std::string(temp) + "zavek-prefs-" + std::to_string(GetCurrentProcessId()) + "-"
            + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = PrefsFolder(appData, 5);
        CreateDirectoryA(appData.c_str(), nullptr);
        CreateDirectoryA((appData + "\\PGP Corporation").c_str(), nullptr);
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    void TearDown() override
    {
        std::string file = folder + "\\PGPprefs.xml";
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file.c_str());
        RemoveDirectoryA(folder.c_str());
        RemoveDirectoryA((appData + "\\PGP Corporation").c_str());
        RemoveDirectoryA(appData.c_str());
    }
};

TEST_F(WinPrefs, CommitReplacesWholeAndLeavesNoTemporaryFile)
{
    auto host = NewWindowsPrefsHost();
    std::string path = folder + "\\PGPprefs.xml";
    EXPECT_FALSE(host->FileTime(path));
    WriteBytes(path, "old text\r\n");
    std::string big(300000, 'x');
    ASSERT_TRUE(host->CommitFile(path, big));
    std::string back;
    ASSERT_TRUE(host->ReadFile(path, back));
    EXPECT_EQ(back, big);
    EXPECT_EQ(CountFiles(folder), 1);
    EXPECT_TRUE(host->FileTime(path));
}

TEST_F(WinPrefs, FailedCommitKeepsPGPsFile)
{
    auto host = NewWindowsPrefsHost();
    std::string path = folder + "\\PGPprefs.xml";
    WriteBytes(path, "PGP's own settings\r\n");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(host->CommitFile(path, "replacement\r\n"));
    EXPECT_EQ(ReadBytes(path), "PGP's own settings\r\n");
    EXPECT_EQ(CountFiles(folder), 1) << "the temporary file must be gone";

    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE locked = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(host->CommitFile(path, "replacement\r\n"));
    CloseHandle(locked);
    EXPECT_EQ(ReadBytes(path), "PGP's own settings\r\n");
    EXPECT_EQ(CountFiles(folder), 1);

    EXPECT_FALSE(host->CommitFile(folder + "\\missing\\PGPprefs.xml", "x"));
}

TEST_F(WinPrefs, KeyServerRoundTripThroughTheFile)
{
    auto host = NewWindowsPrefsHost();
    std::string path = folder + "\\PGPprefs.xml";
    WriteBytes(path, ReadBytes(std::string(ZAVEK_TEST_DATA) + "/prefs/PGPprefs.xml"));
    TPrefsFile prefs(*host, 13, appData);
    ASSERT_EQ(prefs.FileName(), path);

    std::string comment;
    ASSERT_EQ(GetCommentPref(prefs, comment), 0);
    EXPECT_EQ(comment.substr(0, 17), "Ann & Bob <team> ");
    if (GetACP() == 1252) {
        EXPECT_EQ(comment.substr(17, 4), "Caf\xE9");
    }

    ASSERT_EQ(SetKeyServerPref(prefs, { 2, "m\xFCller&co.example.org", 8080, 0 }), 0);
    std::string saved = ReadBytes(path);
    if (GetACP() == 1252) {
        EXPECT_NE(saved.find("<string>m\xC3\xBCller&amp;co.example.org</string>"), std::string::npos);
    }

    TPrefsFile again(*host, 13, appData);
    std::vector<std::string> urls;
    ASSERT_EQ(GetKeyServerList(again, urls), 0);
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(urls[0], "http://m\xFCller&co.example.org:8080");
}

TEST(WinPrefsRegistry, ShellFolderValues)
{
    const std::string key = "Software\\ZAVEK-tests\\PrefFuncs-" + std::to_string(GetCurrentProcessId());
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                  nullptr),
        ERROR_SUCCESS);
    const char value[] = "D:\\Profiles\\ann\\Application Data";
    RegSetValueExA(handle, "AppData", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
    std::string tooLong(300, 'a');
    RegSetValueExA(handle, "Long", 0, REG_SZ, reinterpret_cast<const BYTE*>(tooLong.c_str()),
        static_cast<DWORD>(tooLong.size() + 1));
    RegCloseKey(handle);

    EXPECT_EQ(GetShellFolder(key, "AppData"), value);
    EXPECT_EQ(GetShellFolder(key, "Missing"), "");
    EXPECT_EQ(GetShellFolder(key, "Long"), "");
    EXPECT_EQ(GetShellFolder(key + "\\none", "AppData"), "");
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());

    EXPECT_FALSE(AppDataFolder().empty());
}

TEST(WinPrefsShared, OneInstanceBetweenInitAndDone)
{
    EXPECT_EQ(SharedPrefs(), nullptr);
    SDKGeneration = 9;
    InitPrefFuncs();
    ASSERT_NE(SharedPrefs(), nullptr);
    EXPECT_EQ(SharedPrefs()->FileName(), AppDataFolder() + "\\PGP Corporation\\PGP\\PGPprefs.xml");
    DonePrefFuncs();
    EXPECT_EQ(SharedPrefs(), nullptr);
    SDKGeneration = 0;
}

} // namespace
