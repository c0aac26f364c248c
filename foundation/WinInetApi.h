// WinInet bound by name at run time, and the download steps the web thread and the download
// library share: opening a URL through the configured proxy and then directly, reading a body that
// counts only with HTTP status 200, leaving WinInet's offline mode for the time of a download, and
// the host name of a URL for status texts.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

struct TWinInetApi {
    BOOL(WINAPI* InternetGetConnectedState)(DWORD*, DWORD) = nullptr;
    BOOL(WINAPI* InternetQueryOptionA)(HINTERNET, DWORD, void*, DWORD*) = nullptr;
    BOOL(WINAPI* InternetSetOptionA)(HINTERNET, DWORD, void*, DWORD) = nullptr;
    BOOL(WINAPI* InternetAutodial)(DWORD, HWND) = nullptr;
    HINTERNET(WINAPI* InternetOpenA)(const char*, DWORD, const char*, const char*, DWORD) = nullptr;
    HINTERNET(WINAPI* InternetOpenUrlA)(HINTERNET, const char*, const char*, DWORD, DWORD, DWORD_PTR) = nullptr;
    INTERNET_STATUS_CALLBACK(WINAPI* InternetSetStatusCallback)(HINTERNET, INTERNET_STATUS_CALLBACK) = nullptr;
    BOOL(WINAPI* InternetQueryDataAvailable)(HINTERNET, DWORD*, DWORD, DWORD_PTR) = nullptr;
    BOOL(WINAPI* InternetReadFile)(HINTERNET, void*, DWORD, DWORD*) = nullptr;
    BOOL(WINAPI* InternetCloseHandle)(HINTERNET) = nullptr;
    BOOL(WINAPI* InternetAutodialHangup)(DWORD) = nullptr;
    BOOL(WINAPI* HttpQueryInfoA)(HINTERNET, DWORD, void*, DWORD*, DWORD*) = nullptr;
    BOOL(WINAPI* HttpSendRequestA)(HINTERNET, const char*, DWORD, void*, DWORD) = nullptr;
    BOOL(WINAPI* InternetCanonicalizeUrlA)(const char*, char*, DWORD*, DWORD) = nullptr;
    BOOL(WINAPI* InternetCrackUrlA)(const char*, DWORD, DWORD, URL_COMPONENTSA*) = nullptr;
    BOOL(WINAPI* DeleteUrlCacheEntryA)(const char*) = nullptr;
};

// The process's binding; every member null until LoadWinInetApi succeeded.
TWinInetApi& WinInet();
// Binds "WinInet.dll" from the system folder: the loaded module, or a fresh load with reload set
// (the module is freed until it is gone first). False when the library cannot be loaded.
bool LoadWinInetApi(bool reload);
// True once LoadWinInetApi bound the library.
bool WinInetLoaded();

// The largest body a download accepts; a longer one fails rather than being cut.
constexpr uint32_t MAX_DOWNLOAD_BYTES = 64u * 1024 * 1024;
constexpr DWORD DOWNLOAD_OPEN_FLAGS = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;

enum class TFetchResult { Ok, NoSession, NotOpened, BadStatus, Incomplete, Cancelled };

// The session and request handles of one download. Either side may close them (the worker when
// done, the GUI thread to cancel); each handle is closed exactly once.
class TWebHandles {
public:
    ~TWebHandles() { CloseAll(); }
    void CloseAll() noexcept;
    void CloseRequest() noexcept;
    std::atomic<HINTERNET> Session { nullptr };
    std::atomic<HINTERNET> Request { nullptr };
};

// How a download opens its URLs: its agent, and optionally a status callback with its context and
// a call for each session opened (the direct retry opens its own), before its URL is opened.
struct TOpenSettings {
    std::string Agent;
    INTERNET_STATUS_CALLBACK StatusCallback = nullptr;
    DWORD_PTR Context = 0;
    std::function<void(HINTERNET Session)> SessionOpened;
};

// True when WinInet is set to a named proxy (access type "proxy" with a proxy name).
bool HasNamedProxy();
// Opens the URL with the given access type (INTERNET_OPEN_TYPE_PRECONFIG or _DIRECT) into handles;
// NotOpened, before any session, when WinInet lacks a function that reading the answer needs.
TFetchResult OpenUrlRequest(TWebHandles& handles, const TOpenSettings& settings, const std::string& url, DWORD access);
// Through the configured proxy when there is one, and once more directly when that fails.
TFetchResult OpenUrlWithFallback(TWebHandles& handles, const TOpenSettings& settings, const std::string& url);
// The body of an opened request: status 200, read to its end; no more than the announced length
// nor MAX_DOWNLOAD_BYTES. Incomplete when shorter than announced, longer than the limit, or empty
// without an announced length of 0; NotOpened when WinInet lacks a function reading needs.
TFetchResult ReadUrlBody(HINTERNET request, std::string& body);
// The connect time-out of a handle in seconds (0 when unknown).
DWORD ConnectTimeoutSeconds(HINTERNET handle);

// Leaves WinInet's "disconnected by the user" state for its life and restores it afterwards.
class TOfflineModeGuard {
public:
    TOfflineModeGuard();
    ~TOfflineModeGuard();
    TOfflineModeGuard(const TOfflineModeGuard&) = delete;
    TOfflineModeGuard& operator=(const TOfflineModeGuard&) = delete;

private:
    bool wasOffline_ = false;
};

// The next item of a TAB-separated list, cut off its front.
std::string NextListItem(std::string& list);

// The URL with escapes decoded for showing; unchanged when canonicalising fails.
std::string DecodeUrlForDisplay(const std::string& url);
// The host name of the canonical URL; the canonical URL when it cannot be cracked.
std::string UrlHostName(const std::string& url);
