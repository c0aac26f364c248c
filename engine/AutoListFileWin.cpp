// File access of the recipient key list on Windows: ANSI file names, no sharing for the open
// test, CREATE_NEW for creation, and a write-through move for the safe commit.
#include "engine/AutoListFile.h"

#include <windows.h>

#include <algorithm>

namespace {

class TFileHandle {
public:
    explicit TFileHandle(HANDLE handle)
        : handle_(handle)
    {
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    ~TFileHandle() { Close(); }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close()
    {
        const bool closed = !Valid() || CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

bool IsMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

TListFileRead ReadListFile(const std::string& fileName, std::string& text)
{
    TFileHandle file(CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return IsMissing(GetLastError()) ? TListFileRead::Missing : TListFileRead::Failed;
    std::string data;
    char buffer[16384];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &n, nullptr))
            return TListFileRead::Failed;
        if (n == 0)
            break;
        data.append(buffer, n);
    }
    text.swap(data);
    return TListFileRead::Ok;
}

int64_t ListFileStamp(const std::string& fileName)
{
    WIN32_FILE_ATTRIBUTE_DATA info {};
    if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &info))
        return -1;
    return static_cast<int64_t>(static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32
        | info.ftLastWriteTime.dwLowDateTime);
}

int64_t ListFileSize(const std::string& fileName)
{
    WIN32_FILE_ATTRIBUTE_DATA info {};
    if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &info))
        return -1;
    return static_cast<int64_t>(static_cast<uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow);
}

TListFileOpen EnsureListFile(const std::string& fileName)
{
    TFileHandle existing(CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (existing.Valid())
        return TListFileOpen::Existing;
    // A list that another program holds open (a sharing violation) is still the user's list: it
    // is read with shared access, not dropped for the whole run.
    if (!IsMissing(GetLastError()))
        return GetFileAttributesA(fileName.c_str()) != INVALID_FILE_ATTRIBUTES ? TListFileOpen::Existing
                                                                                 : TListFileOpen::Unavailable;
    TFileHandle created(CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_NORMAL, nullptr));
    return created.Valid() ? TListFileOpen::Created : TListFileOpen::Unavailable;
}

bool CommitListFile(const std::string& fileName, const std::string& text)
{
    const size_t slash = fileName.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string(".") : fileName.substr(0, slash);
    char temp[MAX_PATH + 1] = {};
    if (folder.size() >= MAX_PATH - 14 || !GetTempFileNameA(folder.c_str(), "AL", 0, temp))
        return false;
    TFileHandle file(
        CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    bool written = file.Valid();
    size_t done = 0;
    while (written && done < text.size()) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1 << 20));
        written = WriteFile(file.Get(), text.data() + done, chunk, &n, nullptr) && n == chunk;
        done += n;
    }
    written = written && FlushFileBuffers(file.Get());
    written = file.Close() && written;
    if (!written
        || !MoveFileExA(temp, fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp);
        return false;
    }
    return true;
}
