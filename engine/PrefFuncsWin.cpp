// The Windows side of the preferences: where PGP keeps its folder, whole-file reads, the save
// through a temporary file that replaces PGP's file only once it is complete, and code pages.
#include "engine/PrefFuncs.h"

#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"
#include "foundation/UTF8.h"

#include <windows.h>
#include <shlobj.h>

namespace {

class TFileHandle {
public:
    explicit TFileHandle(HANDLE handle) : handle_(handle) {}
    ~TFileHandle()
    {
        if (valid())
            CloseHandle(handle_);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool Close()
    {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != 0;
    }

private:
    HANDLE handle_;
};

int64_t ToInt64(const FILETIME& time)
{
    return static_cast<int64_t>(static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime);
}

bool WriteAll(HANDLE file, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

class TWindowsPrefsHost : public TPrefsHost {
public:
    std::optional<int64_t> FileTime(const std::string& path) override
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)
            || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return std::nullopt;
        return ToInt64(data.ftLastWriteTime);
    }

    int64_t Now() override
    {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        return ToInt64(now);
    }

    bool ReadFile(const std::string& path, std::string& bytes) override
    {
        TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size;
        if (!file.valid() || !GetFileSizeEx(file.get(), &size) || size.QuadPart > (64 << 20))
            return false;
        bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            if (!::ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr))
                return false;
            if (got == 0)
                break;
            done += got;
        }
        bytes.resize(done);
        return true;
    }

    // The new text goes to a temporary file beside PGP's file and replaces it only when written
    // and flushed completely; on any failure PGP's file stays as it was and the answer is false.
    bool CommitFile(const std::string& path, const std::string& bytes) override
    {
        // A read-only file is one the user keeps as it is (Windows refuses to replace it; Wine would not).
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            return false;
        size_t slash = path.find_last_of("\\/");
        std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
        char temp[MAX_PATH];
        if (!GetTempFileNameA(folder.c_str(), "zpf", 0, temp))
            return false;
        bool written = false;
        {
            TFileHandle file(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            written = file.valid() && WriteAll(file.get(), bytes) && FlushFileBuffers(file.get()) && file.Close();
        }
        if (written && MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        DeleteFileA(temp);
        return false;
    }

    // The client library broadcasts the reload to PGP's programs, naming this process as the sender.
    void NotifyPrefsChanged() override
    {
        if (SDKProcs.PGPclNotifyPrefsChanges)
            SDKProcs.PGPclNotifyPrefsChanges(GetCurrentProcessId());
    }

    std::string Utf8ToLocale(const std::string& utf8) override { return ::Utf8ToLocale(utf8); }
    std::string LocaleToUtf8(const std::string& ansi) override { return ::LocaleToUtf8(ansi); }
};

struct TSharedPrefs {
    std::unique_ptr<TPrefsHost> host;
    std::unique_ptr<TPrefsFile> file;
};

TSharedPrefs& Shared()
{
    static TSharedPrefs shared;
    return shared;
}

} // namespace

std::string GetShellFolder(const std::string& key, const std::string& name)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return {};
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    DWORD type = 0;
    LONG result = RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    return std::string(value, strnlen(value, MAX_PATH));
}

std::string AppDataFolder()
{
    std::string folder
        = GetShellFolder("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "AppData");
    if (!folder.empty())
        return folder;
    char path[MAX_PATH];
    if (SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK)
        return path;
    return {};
}

std::unique_ptr<TPrefsHost> NewWindowsPrefsHost() { return std::make_unique<TWindowsPrefsHost>(); }

void InitPrefFuncs()
{
    auto& shared = Shared();
    shared.file.reset();
    shared.host = NewWindowsPrefsHost();
    shared.file = std::make_unique<TPrefsFile>(*shared.host, SDKGeneration, AppDataFolder());
}

void DonePrefFuncs()
{
    auto& shared = Shared();
    shared.file.reset();
    shared.host.reset();
}

TPrefsFile* SharedPrefs() { return Shared().file.get(); }
