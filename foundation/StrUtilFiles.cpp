// StrUtil's folders and whole files: system, temporary, module and shell folders, environment
// expansion, reading and writing whole files, existence checks. Failures give empty text or false.
#include "foundation/StrUtil.h"
#include "framework/LibraryBinding.h"

#include <shlobj.h>
#include <winnetwk.h>

#include <algorithm>
#include <memory>

namespace {

struct FileHandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using TFileHandle = std::unique_ptr<void, FileHandleCloser>;

// Owns a CreateFile result; empty for INVALID_HANDLE_VALUE.
TFileHandle OwnFile(HANDLE h) { return TFileHandle(h == INVALID_HANDLE_VALUE ? nullptr : h); }

struct FindCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};
using TFindHandle = std::unique_ptr<void, FindCloser>;

// True when a search for Pattern yields an entry whose directory bit equals WantDirectory.
bool FindsEntry(const std::string& Pattern, bool WantDirectory)
{
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(Pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    TFindHandle search(h);
    do {
        bool isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isDirectory == WantDirectory)
            return true;
    } while (FindNextFileA(h, &data));
    return false;
}

std::string FromBuffer(const char* Buffer, DWORD Length, DWORD Capacity)
{
    return (Length == 0 || Length >= Capacity) ? std::string() : std::string(Buffer, Length);
}

} // namespace

// ---- Folders ------------------------------------------------------------------------------------

std::string GetSystemFolder()
{
    return SystemFolderPath("");
}

std::string GetTempFolder()
{
    char buf[MAX_PATH + 1];
    return WithTrailingBackslash(FromBuffer(buf, GetTempPathA(sizeof buf, buf), sizeof buf));
}

std::string GetModuleFileNameStr(HMODULE Module)
{
    char buf[MAX_PATH];
    return FromBuffer(buf, GetModuleFileNameA(Module, buf, MAX_PATH), MAX_PATH);
}

std::string GetModuleFolder(HMODULE Module) { return GetFolderPart(GetModuleFileNameStr(Module)); }

std::string GetSpecialFolder(int CSIDL)
{
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL, &pidl)) || !pidl)
        return {};
    std::unique_ptr<void, decltype(&CoTaskMemFree)> owner(pidl, &CoTaskMemFree);
    char buf[MAX_PATH] = {};
    if (!SHGetPathFromIDListA(pidl, buf))
        return {};
    return WithTrailingBackslash(buf);
}

std::string GetNetworkUserName()
{
    DWORD size = 0;
    char probe[1];
    DWORD sizing = WNetGetUserA(nullptr, probe, &size);
    if ((sizing != ERROR_MORE_DATA && sizing != ERROR_INSUFFICIENT_BUFFER) || size == 0)
        return {};
    std::string name(size, '\0');
    if (WNetGetUserA(nullptr, name.data(), &size) != NO_ERROR)
        return {};
    name.resize(strnlen(name.c_str(), name.size()));
    return name;
}

std::string ExpandEnvVars(const std::string& Text)
{
    if (Text.empty())
        return {};
    DWORD size = ExpandEnvironmentStringsA(Text.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::string expanded(size, '\0');
    DWORD written = ExpandEnvironmentStringsA(Text.c_str(), expanded.data(), size);
    if (written == 0 || written > size)
        return {};
    expanded.resize(written - 1);
    return expanded;
}

// ---- Files --------------------------------------------------------------------------------------

HANDLE OpenFileForWrite(const std::string& Name)
{
    return CreateFileA(Name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
        FILE_FLAG_WRITE_THROUGH, nullptr);
}

HANDLE OpenFileForRead(const std::string& Name)
{
    return CreateFileA(Name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
        FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool WriteWholeFile(const std::string& Name, const std::string& Data)
{
    TFileHandle file = OwnFile(OpenFileForWrite(Name));
    if (!file)
        return false;
    size_t done = 0;
    while (done < Data.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(Data.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file.get(), Data.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

std::string ReadWholeFile(const std::string& Name)
{
    TFileHandle file = OwnFile(OpenFileForRead(Name));
    LARGE_INTEGER end {};
    if (!file || !SetFilePointerEx(file.get(), LARGE_INTEGER {}, &end, FILE_END)
        || !SetFilePointerEx(file.get(), LARGE_INTEGER {}, nullptr, FILE_BEGIN) || end.QuadPart > 0x7FFFFFFF)
        return {};
    std::string data(static_cast<size_t>(end.QuadPart), '\0');
    DWORD read = 0;
    if (!data.empty() && (!ReadFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &read, nullptr)
                             || read != data.size()))
        return {};
    return data;
}

bool MoveOrCopyFile(const std::string& From, const std::string& To, bool Replace)
{
    DWORD flags = MOVEFILE_COPY_ALLOWED | (Replace ? MOVEFILE_REPLACE_EXISTING : 0);
    return MoveFileExA(From.c_str(), To.c_str(), flags) != 0;
}

bool DeleteFileStr(const std::string& Name) { return DeleteFileA(Name.c_str()) != 0; }

int GetFileSizeByName(const std::string& Name)
{
    TFileHandle file = OwnFile(OpenFileForRead(Name));
    if (!file)
        return -1;
    return static_cast<int>(GetFileSize(file.get(), nullptr));
}

bool IsExistingFile(const std::string& Name) { return !Name.empty() && FindsEntry(Name, false); }

bool IsExistingFolder(const std::string& Path)
{
    if (Path.empty())
        return false;
    std::string bare = Path.back() == '\\' ? Path.substr(0, Path.size() - 1) : Path;
    if (!bare.empty() && FindsEntry(bare, true))
        return true;
    // A drive root ("C:\") has no directory entry of its own to find.
    DWORD attributes = GetFileAttributesA(Path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
        && Path.find_first_of("*?") == std::string::npos;
}
