// The message-file commit under kills: a child process commits a 50 MB message and dies at one
// of 20 points spread over the write, the renames and the wipe; after every kill the message's
// name holds the whole old or the whole new file, and the start-up recovery leaves that file
// alone in its folder. Also the failure paths that must keep the original.
#include "plugin/MessageFileIO.h"

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr size_t kOriginalSize = 50u << 20;
constexpr size_t kNewSize = 52u << 20;
constexpr char kKillVariable[] = "ZAVEK_COMMIT_KILL";
constexpr DWORD kKilledCode = 99;

std::string Pattern(size_t size, char seed)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(seed + (i % 61));
    return bytes;
}

std::string ReadAll(const std::string& fileName)
{
    std::string bytes;
    ReadMessageFile(fileName, bytes);
    return bytes;
}

void WriteAll(const std::string& fileName, const std::string& bytes)
{
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << fileName;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

[[noreturn]] void Die() { TerminateProcess(GetCurrentProcess(), kKilledCode); abort(); }

// Overwrites with zeros a megabyte at a time and deletes; `dieHalfway` kills the process in the
// middle of the overwrite.
bool ZeroWipe(const std::string& fileName, bool dieHalfway)
{
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetFileAttributesA(fileName.c_str()) == INVALID_FILE_ATTRIBUTES;
    const DWORD size = GetFileSize(file, nullptr);
    const std::string zeros(1u << 20, '\0');
    for (DWORD done = 0; done < size;) {
        DWORD written = 0;
        WriteFile(file, zeros.data(), std::min<DWORD>(zeros.size(), size - done), &written, nullptr);
        done += written;
        if (dieHalfway && done >= size / 2) {
            FlushFileBuffers(file);
            Die();
        }
    }
    FlushFileBuffers(file);
    CloseHandle(file);
    return DeleteFileA(fileName.c_str()) != FALSE;
}

// A kill point: the step, and for the write which megabyte; kWipeHalfway dies inside the wipe.
struct TKillPoint {
    TCommitStep step;
    int megabyte;
};
constexpr TCommitStep kWipeHalfway = static_cast<TCommitStep>(100);

const std::vector<TKillPoint> kKillPoints = {
    { TCommitStep::Writing, 1 }, { TCommitStep::Writing, 4 }, { TCommitStep::Writing, 8 },
    { TCommitStep::Writing, 11 }, { TCommitStep::Writing, 15 }, { TCommitStep::Writing, 18 },
    { TCommitStep::Writing, 22 }, { TCommitStep::Writing, 26 }, { TCommitStep::Writing, 29 },
    { TCommitStep::Writing, 33 }, { TCommitStep::Writing, 37 }, { TCommitStep::Writing, 41 },
    { TCommitStep::Writing, 45 }, { TCommitStep::Writing, 49 }, { TCommitStep::Writing, 52 },
    { TCommitStep::Written, 0 }, { TCommitStep::OriginalKept, 0 }, { TCommitStep::Replaced, 0 },
    { kWipeHalfway, 0 }, { TCommitStep::OldCopyGone, 0 },
};

} // namespace

// Run only as the child of the kill test: commits the new content and dies at the point named.
TEST(MessageFileCommitKill, DISABLED_Child)
{
    const char* request = getenv(kKillVariable);
    ASSERT_NE(request, nullptr);
    std::string fileName = request;
    const size_t bar = fileName.rfind('|');
    const TKillPoint point = kKillPoints.at(std::stoul(fileName.substr(bar + 1)));
    fileName.resize(bar);
    int megabytes = 0;
    CommitMessageFile(
        fileName, Pattern(kNewSize, 'N'),
        [&](const std::string& name) { return ZeroWipe(name, point.step == kWipeHalfway); },
        [&](TCommitStep step) {
            if (step == TCommitStep::Writing)
                ++megabytes;
            if (step == point.step && (step != TCommitStep::Writing || megabytes == point.megabyte))
                Die();
        });
}

TEST(MessageFileCommitKill, EveryKillLeavesAWholeMessageAndRecoveryCleansTheFolder)
{
    TScratchFolder scratch("commit-kill");
    const std::string message = scratch.path + "QUEUED.PMX";
    const std::string original = Pattern(kOriginalSize, 'o'), fresh = Pattern(kNewSize, 'N');
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (size_t i = 0; i < kKillPoints.size(); ++i) {
        SCOPED_TRACE("kill point " + std::to_string(i));
        WriteAll(message, original);
        SetEnvironmentVariableA(kKillVariable, (message + "|" + std::to_string(i)).c_str());
        std::string command = std::string("\"") + self
            + "\" --gtest_also_run_disabled_tests --gtest_filter=MessageFileCommitKill.DISABLED_Child";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child = {};
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
            &child));
        ASSERT_EQ(WaitForSingleObject(child.hProcess, 60000), WAIT_OBJECT_0);
        DWORD code = 0;
        GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hProcess);
        CloseHandle(child.hThread);
        ASSERT_EQ(code, kKilledCode) << "the child never reached its kill point";

        // From the rename on, the new file holds the name; before it, the original.
        const bool committed = kKillPoints[i].step >= TCommitStep::Replaced;
        const std::string& expected = committed ? fresh : original;
        std::string found = ReadAll(message);
        ASSERT_EQ(found.size(), expected.size());
        EXPECT_TRUE(found == expected);

        RecoverMessageFolder(scratch.path, [](const std::string& name) { return ZeroWipe(name, false); });
        EXPECT_EQ(FilesIn(scratch.path), std::vector<std::string> { "QUEUED.PMX" });
        found = ReadAll(message);
        EXPECT_TRUE(found == expected);
    }
    SetEnvironmentVariableA(kKillVariable, nullptr);
}

TEST(MessageFileCommit, TheOriginalStaysWhenTheNewFileCannotTakeItsPlace)
{
    TScratchFolder scratch("commit-fail");
    const std::string message = scratch.path + "msg.txt";
    std::vector<std::string> wiped;
    const TFileWiper wipe = [&](const std::string& name) {
        wiped.push_back(name);
        return DeleteFileA(name.c_str()) != FALSE;
    };

    // The wiper meets the old copy only once the new content holds the name.
    WriteAll(message, "old secret");
    ASSERT_TRUE(CommitMessageFile(message, "new content", [&](const std::string& name) {
        EXPECT_EQ(ReadAll(message), "new content");
        EXPECT_EQ(ReadAll(name), "old secret");
        return wipe(name);
    }));
    EXPECT_EQ(wiped, std::vector<std::string> { OldContentName(message) });
    EXPECT_EQ(FilesIn(scratch.path), std::vector<std::string> { "msg.txt" });

    // A mail client holding the message open without delete sharing blocks the rename: the
    // original stays whole and nothing of the attempt is left beside it.
    wiped.clear();
    HANDLE held = CreateFileA(message.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CommitMessageFile(message, "newer", wipe));
    CloseHandle(held);
    EXPECT_EQ(ReadAll(message), "new content");
    EXPECT_EQ(FilesIn(scratch.path), std::vector<std::string> { "msg.txt" });
    EXPECT_TRUE(wiped.empty()) << "nothing was written, so nothing is wiped";

    // Nothing can be written into a missing folder: nothing is wiped.
    wiped.clear();
    EXPECT_FALSE(CommitMessageFile(scratch.path + "none\\x.txt", "y", wipe));
    EXPECT_TRUE(wiped.empty());

    // Leftovers of a commit killed after its rename are finished before the next commit starts.
    WriteAll(OldContentName(message), "stale secret");
    ASSERT_TRUE(CommitMessageFile(message, "third", nullptr));
    EXPECT_EQ(ReadAll(message), "third");
    EXPECT_EQ(FilesIn(scratch.path), std::vector<std::string> { "msg.txt" });
}
