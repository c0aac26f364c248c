// File wiping under Wine: a Linux hard link made to the file before the wipe shares its data, so
// after the wipe it shows what was really written there: patterns only, no byte of the plaintext.
// Files that may not be overwritten are kept and the wipe says so.
#include "engine/SecureFuncs.h"
#include "SecureFakeSdk.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <windows.h>

namespace {

const std::set<uint8_t> kPatternBytes = { 0x55, 0xAA, 0x92, 0x49, 0x24, 0x00, 0xFF, 0x11, 0x22, 0x33, 0x44, 0x66,
    0x77, 0x88, 0x99, 0xBB, 0xCC, 0xDD, 0xEE, 0x6D, 0xB6, 0xDB };

std::string ReadAll(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

void WriteAll(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Plaintext without zero bytes, so every high byte of the patterns differs from it.
std::string Plaintext(size_t size)
{
    std::string text;
    const std::string line = "SECRET plaintext line of a decrypted message, 0123456789.\r\n";
    while (text.size() < size)
        text += line;
    return text.substr(0, size);
}

// The Unix path of a file on drive Z:, which a Wine prefix maps to the Unix root; empty elsewhere.
std::string UnixPath(const std::string& path)
{
    if (path.size() < 3 || (path[0] != 'Z' && path[0] != 'z') || path[1] != ':')
        return {};
    std::string unix = path.substr(2);
    std::replace(unix.begin(), unix.end(), '\\', '/');
    return unix;
}

bool SameFile(const std::string& a, const std::string& b)
{
    auto info = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& data) {
        HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, 0, nullptr);
        bool ok = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &data);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        return ok;
    };
    BY_HANDLE_FILE_INFORMATION x, y;
    return info(a, x) && info(b, y) && x.nFileIndexLow == y.nFileIndexLow && x.nFileIndexHigh == y.nFileIndexHigh
        && x.nNumberOfLinks >= 2;
}

// A hard link made by Linux itself: Wine starts the Unix "ln" (without a handle to wait on, so the
// link is awaited). Outside drive Z: the system's own hard link stands in.
bool MakeHardLink(const std::string& file, const std::string& link)
{
    std::string from = UnixPath(file), to = UnixPath(link);
    if (from.empty() || to.empty())
        return CreateHardLinkA(link.c_str(), file.c_str(), nullptr) && SameFile(file, link);
    std::string command = "/bin/ln " + from + " " + to;
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessA("Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
            &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 500 && !SameFile(file, link); ++i)
        Sleep(10);
    return SameFile(file, link);
}

struct TCounting {
    uint32_t next = 1;
    int drawn = 0;
    uint32_t operator()()
    {
        ++drawn;
        return next = next * 1103515245u + 12345u;
    }
};

struct WipeFixture : ::testing::Test {
    std::string folder;
    size_t sector = 512;

    void SetUp() override
    {
        // Drive Z: is the Unix root in a Wine prefix: the files lie in a real Linux folder.
        folder = "Z:\\tmp\\zavek-wipe-" + std::to_string(GetCurrentProcessId());
        if (GetFileAttributesA("Z:\\tmp") == INVALID_FILE_ATTRIBUTES) {
            char temp[MAX_PATH];
            GetTempPathA(MAX_PATH, temp);
            folder = std::string(temp) + "zavek-wipe-" + std::to_string(GetCurrentProcessId());
        }
        CreateDirectoryA(folder.c_str(), nullptr);
        DWORD perCluster = 0, bytes = 0, free = 0, total = 0;
        if (GetDiskFreeSpaceA((folder.substr(0, 3)).c_str(), &perCluster, &bytes, &free, &total))
            sector = WipeSectorSize(bytes);
    }
    void TearDown() override
    {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::string path = folder + "\\" + data.cFileName;
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            } while (FindNextFileA(find, &data));
            FindClose(find);
        }
        RemoveDirectoryA(folder.c_str());
    }
    std::string Path(const std::string& name) { return folder + "\\" + name; }

    void ExpectOnlyPatterns(const std::string& bytes, size_t plainSize)
    {
        ASSERT_GE(bytes.size(), plainSize);
        EXPECT_EQ(bytes.size() % sector, 0u) << "whole sectors are written";
        for (size_t i = 0; i < bytes.size(); ++i) {
            uint8_t byte = static_cast<uint8_t>(bytes[i]);
            if (i % 2 == 1)
                ASSERT_EQ(byte, 0) << "at " << i;
            else
                ASSERT_TRUE(kPatternBytes.count(byte)) << "at " << i;
        }
        EXPECT_EQ(bytes.find("SECRET"), std::string::npos);
    }
};

TEST_F(WipeFixture, HardLinkHoldsOnlyPatternsAfterTheWipe)
{
    struct Case {
        size_t size;
        uint32_t passes;
    } cases[] = { { 1, 1 }, { 511, 3 }, { 512, 2 }, { 5000, 3 }, { 200001, 2 }, { 0, 3 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        std::string file = Path("plain.txt"), link = Path("link.txt");
        WriteAll(file, Plaintext(c.size));
        ASSERT_TRUE(MakeHardLink(file, link));

        TCounting random;
        EXPECT_TRUE(OverwriteAndDeleteFile(file, c.passes, std::ref(random)));
        EXPECT_FALSE(Exists(file));
        ASSERT_TRUE(Exists(link));
        ExpectOnlyPatterns(ReadAll(link), c.size);
        // Each pass draws a fresh set of patterns for one sector.
        int perSector = static_cast<int>((std::min<size_t>(sector, kWipePatternSpan) + 5) / 6);
        EXPECT_EQ(random.drawn, static_cast<int>(c.passes) * perSector);
        DeleteFileA(link.c_str());
    }
}

TEST_F(WipeFixture, ReadOnlyFilesAreWipedLockedOnesKeptAndReported)
{
    std::string file = Path("kept.txt"), link = Path("kept-link.txt");
    const std::string plain = Plaintext(3000);
    TCounting random;

    WriteAll(file, plain);
    ASSERT_TRUE(MakeHardLink(file, link));
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(OverwriteAndDeleteFile(file, 3, std::ref(random))) << "a protected plaintext is still wiped";
    EXPECT_FALSE(Exists(file));
    ExpectOnlyPatterns(ReadAll(link), plain.size());
    SetFileAttributesA(link.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(link.c_str());

    WriteAll(file, plain);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    const DWORD protectedAttributes = GetFileAttributesA(file.c_str());
    HANDLE locked = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(OverwriteAndDeleteFile(file, 3, std::ref(random)));
    CloseHandle(locked);
    EXPECT_EQ(ReadAll(file), plain);
    EXPECT_EQ(GetFileAttributesA(file.c_str()), protectedAttributes) << "a failed wipe changes nothing";
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_FALSE(OverwriteAndDeleteFile(folder, 1, std::ref(random))) << "a folder is no file to wipe";
}

TEST_F(WipeFixture, NoPassesOnlyDeletes)
{
    std::string file = Path("plain.txt"), link = Path("link.txt");
    WriteAll(file, Plaintext(100));
    ASSERT_TRUE(MakeHardLink(file, link));
    TCounting random;
    EXPECT_TRUE(OverwriteAndDeleteFile(file, 0, std::ref(random)));
    EXPECT_FALSE(Exists(file));
    EXPECT_EQ(ReadAll(link), Plaintext(100));
    EXPECT_EQ(random.drawn, 0);
    EXPECT_TRUE(OverwriteAndDeleteFile(Path("never-there.txt"), 3, std::ref(random)));
}

TEST_F(WipeFixture, SecureWipesWithItsConfiguredPasses)
{
    TFakeSecureSdk sdk;
    TSecure own(sdk, 1, nullptr);
    own.WipePasses = 2;
    std::string file = Path("plain.txt"), link = Path("link.txt");
    WriteAll(file, Plaintext(4000));
    ASSERT_TRUE(MakeHardLink(file, link));
    EXPECT_TRUE(own.WipeFile(file));
    EXPECT_FALSE(Exists(file));
    ExpectOnlyPatterns(ReadAll(link), 4000);

    // From generation 2 the support library wipes; its failure is reported, not hidden.
    TSecure support(sdk, 2, nullptr);
    WriteAll(file, "x");
    EXPECT_FALSE(support.WipeFile(file));
    EXPECT_EQ(sdk.wipes, 1);
    EXPECT_TRUE(Exists(file));
    EXPECT_TRUE(support.WipeFile(Path("never-there.txt")));

    // A support library without a wipe leaves the work to the own overwrite.
    sdk.wipeStatus = -11995;
    ASSERT_TRUE(MakeHardLink(file, Path("link2.txt")));
    EXPECT_TRUE(support.WipeFile(file));
    EXPECT_FALSE(Exists(file));
    ExpectOnlyPatterns(ReadAll(Path("link2.txt")), 1);
}

} // namespace
