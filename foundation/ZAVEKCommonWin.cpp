// The Windows side of the product helpers: message pump, user language, time servers, clock
// setting and the fatal error box.
#include "foundation/ZAVEKCommon.h"

#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "foundation/TimeUtilsWin.h"
#include "foundation/ZAVEKCommonSntp.h"
#include "framework/StringLists.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsWindowOrChildOf(HWND candidate, HWND window)
{
    return candidate == window || IsChild(window, candidate);
}

const char* const TimeServersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\DateTime\\Servers";
const char* const TimeServiceKey = "System\\CurrentControlSet\\Services\\W32Time\\Parameters";
const char* const BuiltInTimeServer = "pool.ntp.org";

class TRegistryKey {
public:
    TRegistryKey(HKEY root, const char* path, REGSAM access)
    {
        if (RegOpenKeyExA(root, path, 0, access, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~TRegistryKey()
    {
        if (key_ != nullptr)
            RegCloseKey(key_);
    }
    TRegistryKey(const TRegistryKey&) = delete;
    TRegistryKey& operator=(const TRegistryKey&) = delete;
    HKEY Handle() const { return key_; }

private:
    HKEY key_ = nullptr;
};

class TTokenHandle {
public:
    explicit TTokenHandle(HANDLE token)
        : token_(token)
    {
    }
    ~TTokenHandle() { CloseHandle(token_); }
    TTokenHandle(const TTokenHandle&) = delete;
    TTokenHandle& operator=(const TTokenHandle&) = delete;
    HANDLE Handle() const { return token_; }

private:
    HANDLE token_;
};

} // namespace

bool PumpMessagesFor(HWND window)
{
    MSG msg;
    // Look before taking: a message that ends the loop stays queued for the host's own loop, so
    // neither a WM_QUIT nor a message for another window is lost.
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT)
            return true;
        if (window != nullptr && !IsWindowOrChildOf(msg.hwnd, window))
            return true;
        HWND filter = msg.hwnd != nullptr ? msg.hwnd : reinterpret_cast<HWND>(-1);
        if (!PeekMessageA(&msg, filter, msg.message, msg.message, PM_REMOVE))
            return false;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return false;
}

std::string GetUserLanguageCode()
{
    return LangIDToCode(GetUserDefaultLangID());
}

void ShowSystemErrorBox(DWORD code)
{
    if (code == 0)
        return;
    MessageBoxA(GetDesktopWindow(), SystemErrorText(code).c_str(), "Selvadrin", MB_ICONERROR);
}

int GetTimeServerList(TStrings& list)
{
    TRegistryKey servers(HKEY_LOCAL_MACHINE, TimeServersKey, KEY_QUERY_VALUE);
    if (servers.Handle() == nullptr)
        return 0;
    for (DWORD index = 0;; ++index) {
        // The numbered servers have one-character names; longer names do not fit and are passed over.
        char name[2];
        DWORD nameSize = sizeof name;
        char data[256];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LONG result = RegEnumValueA(servers.Handle(), index, name, &nameSize, nullptr, &type,
            reinterpret_cast<BYTE*>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || nameSize == 0 || (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        // A one-character name is a number only when it is a decimal digit.
        if (name[0] < '0' || name[0] > '9')
            continue;
        const uint32_t position = static_cast<uint32_t>(name[0] - '0');
        const std::string server(data, strnlen(data, dataSize));
        list.Insert(
            static_cast<int>(std::min<uint32_t>(position, static_cast<uint32_t>(list.Count()))), server);
    }
    return list.Count();
}

std::string GetDefaultTimeServer()
{
    std::string server = RegReadString(HKEY_LOCAL_MACHINE, TimeServiceKey, "NtpServer");
    server = server.substr(0, server.find(','));
    if (server.empty()) {
        const std::string chosen = RegReadString(HKEY_LOCAL_MACHINE, TimeServersKey, "");
        if (!chosen.empty())
            server = RegReadString(HKEY_LOCAL_MACHINE, TimeServersKey, chosen);
    }
    return server.empty() ? BuiltInTimeServer : server;
}

DWORD SetLocalClock(double localTime)
{
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_WRITE | TOKEN_QUERY, &rawToken))
        return GetLastError();
    TTokenHandle token(rawToken);
    TOKEN_PRIVILEGES wanted {};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueA(nullptr, "SeSystemtimePrivilege", &wanted.Privileges[0].Luid))
        return GetLastError();
    TOKEN_PRIVILEGES previous {};
    DWORD previousSize = 0;
    if (!AdjustTokenPrivileges(token.Handle(), FALSE, &wanted, sizeof previous, &previous, &previousSize))
        return GetLastError();
    SYSTEMTIME time;
    FillSystemTime(time, localTime);
    // The outcome is taken here: restoring the privilege afterwards overwrites the last error.
    const DWORD outcome = SetLocalTime(&time) ? 0 : GetLastError();
    AdjustTokenPrivileges(token.Handle(), FALSE, &previous, 0, nullptr, nullptr);
    return outcome;
}

DWORD SyncSystemTime(const std::string& server, uint16_t port, const TClockSetter& setClock)
{
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const double time = QuerySntpTime(server, port);
    const DWORD outcome = time == 0 ? GetLastError() : setClock(time);
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    return outcome;
}

std::string DefaultBitmapFileName()
{
    return WithTrailingBackslash(GetModuleFolder(nullptr)) + "DEFAULT.BMP";
}
