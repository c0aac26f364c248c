// Whole-file reads and the crash-safe commit of message files, over the Win32 file calls (ANSI
// paths, as the mail client hands them over). The commit point is one rename: before it the
// original holds the name, after it the new file does.
#include "plugin/MessageFileIO.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr char kNewSuffix[] = ".zvk-new";
constexpr char kOldSuffix[] = ".zvk-old";
constexpr size_t kWriteChunk = 1u << 20;

// Closes a file handle when the scope ends.
class TFileHandle {
public:
    explicit TFileHandle(HANDLE handle)
        : handle_(handle)
    {
    }
    ~TFileHandle()
    {
        if (Valid())
            CloseHandle(handle_);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

void Notify(const TCommitObserver& observe, TCommitStep step)
{
    if (observe)
        observe(step);
}

bool Exists(const std::string& fileName) { return GetFileAttributesA(fileName.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Remove(const std::string& fileName, const TFileWiper& wipe)
{
    if (!Exists(fileName))
        return true;
    if (wipe)
        return wipe(fileName);
    return DeleteFileA(fileName.c_str()) != FALSE || !Exists(fileName);
}

// True when both names lead to the same file (a hard link of it).
bool SameFile(const std::string& a, const std::string& b)
{
    auto identify = [](const std::string& name, BY_HANDLE_FILE_INFORMATION& info) {
        TFileHandle file(CreateFileA(name.c_str(), FILE_READ_ATTRIBUTES,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
        return file.Valid() && GetFileInformationByHandle(file.Get(), &info);
    };
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    return identify(a, infoA) && identify(b, infoB) && infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber
        && infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
}

bool WriteAndFlush(const std::string& fileName, const TContentPieces& pieces, const TCommitObserver& observe)
{
    TFileHandle file(CreateFileA(
        fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return false;
    for (const std::string_view piece : pieces) {
        size_t written = 0;
        while (written < piece.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min(piece.size() - written, kWriteChunk));
            DWORD done = 0;
            if (!WriteFile(file.Get(), piece.data() + written, chunk, &done, nullptr) || done == 0)
                return false;
            written += done;
            Notify(observe, TCommitStep::Writing);
        }
    }
    return FlushFileBuffers(file.Get()) != FALSE;
}

// A file another program holds open without delete sharing cannot be renamed over: that is
// known before anything is written.
bool CanBeReplaced(const std::string& fileName)
{
    if (!Exists(fileName))
        return true;
    TFileHandle file(CreateFileA(fileName.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, 0, nullptr));
    return file.Valid();
}

// A second name for the original, so that the rename of the new file can replace the first one
// at a stroke; a volume without hard links moves the original aside instead.
bool KeepOriginal(const std::string& fileName, const std::string& oldName)
{
    return CreateHardLinkA(oldName.c_str(), fileName.c_str(), nullptr)
        || MoveFileExA(fileName.c_str(), oldName.c_str(), MOVEFILE_WRITE_THROUGH);
}

} // namespace

std::string NewContentName(const std::string& fileName) { return fileName + kNewSuffix; }
std::string OldContentName(const std::string& fileName) { return fileName + kOldSuffix; }

bool ReadMessageFile(const std::string& fileName, std::string& bytes)
{
    bytes.clear();
    TFileHandle file(CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t read = 0;
    while (read < bytes.size()) {
        DWORD done = 0;
        if (!ReadFile(file.Get(), bytes.data() + read, static_cast<DWORD>(bytes.size() - read), &done, nullptr)
            || done == 0) {
            bytes.clear();
            return false;
        }
        read += done;
    }
    return true;
}

bool CommitMessageFile(
    const std::string& fileName, const std::string& bytes, const TFileWiper& wipe, const TCommitObserver& observe)
{
    return CommitMessageFile(fileName, TContentPieces { bytes }, wipe, observe);
}

bool CommitMessageFile(const std::string& fileName, const TContentPieces& pieces, const TFileWiper& wipe,
    const TCommitObserver& observe)
{
    // What an earlier, killed commit left beside the file would be taken for this one's.
    if (!RecoverMessageFile(fileName, wipe) || !CanBeReplaced(fileName))
        return false;
    const std::string newName = NewContentName(fileName), oldName = OldContentName(fileName);
    if (!WriteAndFlush(newName, pieces, observe)) {
        const DWORD error = GetLastError();
        Remove(newName, wipe);
        SetLastError(error);
        return false;
    }
    Notify(observe, TCommitStep::Written);
    const bool hadOriginal = Exists(fileName);
    if (hadOriginal && !KeepOriginal(fileName, oldName)) {
        const DWORD error = GetLastError();
        Remove(newName, wipe);
        SetLastError(error);
        return false;
    }
    Notify(observe, TCommitStep::OriginalKept);
    if (!MoveFileExA(newName.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        RecoverMessageFile(fileName, wipe);
        SetLastError(error);
        return false;
    }
    Notify(observe, TCommitStep::Replaced);
    // A copy that resists the wipe now is wiped by the recovery at the next start.
    if (hadOriginal)
        Remove(oldName, wipe);
    Notify(observe, TCommitStep::OldCopyGone);
    return true;
}

bool RecoverMessageFile(const std::string& fileName, const TFileWiper& wipe)
{
    const std::string newName = NewContentName(fileName), oldName = OldContentName(fileName);
    if (Exists(oldName)) {
        if (!Exists(fileName))
            // Moved aside, the new file not yet in: the original goes back.
            MoveFileExA(oldName.c_str(), fileName.c_str(), MOVEFILE_WRITE_THROUGH);
        else if (SameFile(oldName, fileName))
            // Only a second name of the message itself: wiping it would wipe the message.
            DeleteFileA(oldName.c_str());
        else
            // The new file took the name: the old copy was on its way out.
            Remove(oldName, wipe);
    }
    // A new file that never took the name belongs to a commit that did not happen.
    if (Exists(newName))
        Remove(newName, wipe);
    return !Exists(oldName) && !Exists(newName);
}

int RecoverMessageFolder(const std::string& folder, const TFileWiper& wipe)
{
    if (folder.empty())
        return 0;
    const std::string prefix = folder.back() == '\\' || folder.back() == '/' ? folder : folder + "\\";
    int recovered = 0;
    for (const char* suffix : { kOldSuffix, kNewSuffix }) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((prefix + "*" + suffix).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        const size_t suffixLength = strlen(suffix);
        do {
            const std::string name = found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.size() <= suffixLength
                || _stricmp(name.c_str() + name.size() - suffixLength, suffix) != 0)
                continue;
            if (RecoverMessageFile(prefix + name.substr(0, name.size() - suffixLength), wipe))
                ++recovered;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return recovered;
}
