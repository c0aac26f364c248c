// The temporary folders for decoded content: one per dialog, named after the process that made
// it, so that a later start-up can tell which ones a dead process left and wipe them.
#include "foundation/FileUtilsWin.h"

#include "foundation/StrUtilWin.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace {

constexpr char kFolderPrefix[] = "ZAVEK-decoded-";

std::string WithBackslash(std::string folder)
{
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

// One pass of zeros over the whole file, flushed, then the file deleted.
void WipeFile(const std::string& fileName)
{
    SetFileAttributesA(fileName.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        LARGE_INTEGER size {};
        GetFileSizeEx(file, &size);
        const std::string zeros(64 * 1024, '\0');
        for (LONGLONG done = 0; done < size.QuadPart;) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<LONGLONG>(zeros.size(), size.QuadPart - done));
            if (!WriteFile(file, zeros.data(), chunk, &written, nullptr) || written == 0)
                break;
            done += written;
        }
        FlushFileBuffers(file);
        CloseHandle(file);
    }
    DeleteFileA(fileName.c_str());
}

// Wipes every file below folder (with a trailing backslash) and removes the folders that empty.
void WipeFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                WipeFolder(folder + name + "\\");
            else
                WipeFile(folder + name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

ULONGLONG AsNumber(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// True while the process that made a folder at `made` still runs: its id is in use by a process
// that started before the folder was made.
bool OwnerRuns(DWORD processId, const FILETIME& made)
{
    if (processId == GetCurrentProcessId())
        return true;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    FILETIME created {}, exited {}, kernel {}, user {};
    DWORD code = 0;
    const bool runs = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE
        && (!GetProcessTimes(process, &created, &exited, &kernel, &user) || AsNumber(created) <= AsNumber(made));
    CloseHandle(process);
    return runs;
}

} // namespace

const std::string& TDecodedTempFolder::Path()
{
    if (!path_.empty())
        return path_;
    static std::atomic<unsigned> made { 0 };
    const std::string base = WithBackslash(GetTempFolder()) + kFolderPrefix + std::to_string(GetCurrentProcessId()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string folder = base + std::to_string(++made);
        if (CreateDirectoryA(folder.c_str(), nullptr)) {
            path_ = folder + "\\";
            break;
        }
    }
    return path_;
}

void TDecodedTempFolder::Remove()
{
    if (path_.empty())
        return;
    WipeFolder(path_);
    path_.clear();
}

int RemoveOrphanedDecodedTempFolders()
{
    const std::string temp = WithBackslash(GetTempFolder());
    int removed = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((temp + kFolderPrefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        const std::string name = found.cFileName;
        const DWORD owner = strtoul(name.c_str() + strlen(kFolderPrefix), nullptr, 10);
        if (owner == 0 || OwnerRuns(owner, found.ftCreationTime))
            continue;
        WipeFolder(temp + name + "\\");
        ++removed;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return removed;
}
