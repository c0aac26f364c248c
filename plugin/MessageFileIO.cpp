// Whole-file reads and the wipe-then-replace commit of message files, over the Win32 file calls
// (ANSI paths, as the mail client hands them over).
#include "plugin/MessageFileIO.h"

#include <windows.h>

#include <algorithm>

namespace {

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

std::string FolderOf(const std::string& fileName)
{
    const size_t slash = fileName.find_last_of("\\/:");
    return slash == std::string::npos ? std::string(".") : fileName.substr(0, slash + 1);
}

bool WriteAndFlush(const std::string& fileName, const std::string& bytes)
{
    TFileHandle file(CreateFileA(
        fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return false;
    size_t written = 0;
    while (written < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 20));
        DWORD done = 0;
        if (!WriteFile(file.Get(), bytes.data() + written, chunk, &done, nullptr) || done == 0)
            return false;
        written += done;
    }
    return FlushFileBuffers(file.Get()) != FALSE;
}

} // namespace

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

bool CommitMessageFile(const std::string& fileName, const std::string& bytes, const TFileWiper& wipe)
{
    char temporary[MAX_PATH] = {};
    if (!GetTempFileNameA(FolderOf(fileName).c_str(), "zvk", 0, temporary))
        return false;
    if (!WriteAndFlush(temporary, bytes)) {
        DeleteFileA(temporary);
        return false;
    }
    // Only now that the new content is safe on disk may the old one go.
    if (wipe)
        wipe(fileName);
    if (MoveFileExA(temporary, fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    // A failed move keeps the new content: as a copy under the name, or else where it was written.
    if (CopyFileA(temporary, fileName.c_str(), FALSE)) {
        DeleteFileA(temporary);
        return true;
    }
    if (GetFileAttributesA(fileName.c_str()) != INVALID_FILE_ATTRIBUTES)
        DeleteFileA(temporary);
    return false;
}
