// WinInet's binding and the shared download steps.
#include "foundation/WinInetApi.h"

#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "framework/LibraryBinding.h"

#include <algorithm>
#include <array>

namespace {
constexpr const char* WININET_NAME = "WinInet.dll";
constexpr DWORD ICU_DISPLAY_FLAGS = ICU_DECODE | ICU_NO_ENCODE;
constexpr DWORD READ_PIECE_BYTES = 65536;

TWinInetApi g_api;
bool g_loaded = false;

void Bind(HMODULE module)
{
    TWinInetApi& a = g_api;
    const std::array table {
        DECLARED_PROC(InternetGetConnectedState, a.InternetGetConnectedState),
        DECLARED_PROC(InternetQueryOptionA, a.InternetQueryOptionA),
        DECLARED_PROC(InternetSetOptionA, a.InternetSetOptionA),
        DECLARED_PROC(InternetAutodial, a.InternetAutodial),
        DECLARED_PROC(InternetOpenA, a.InternetOpenA),
        DECLARED_PROC(InternetOpenUrlA, a.InternetOpenUrlA),
        DECLARED_PROC(InternetSetStatusCallback, a.InternetSetStatusCallback),
        DECLARED_PROC(InternetQueryDataAvailable, a.InternetQueryDataAvailable),
        DECLARED_PROC(InternetReadFile, a.InternetReadFile),
        DECLARED_PROC(InternetCloseHandle, a.InternetCloseHandle),
        DECLARED_PROC(InternetAutodialHangup, a.InternetAutodialHangup),
        DECLARED_PROC(HttpQueryInfoA, a.HttpQueryInfoA),
        DECLARED_PROC(HttpSendRequestA, a.HttpSendRequestA),
        DECLARED_PROC(InternetCanonicalizeUrlA, a.InternetCanonicalizeUrlA),
        DECLARED_PROC(InternetCrackUrlA, a.InternetCrackUrlA),
        DECLARED_PROC(DeleteUrlCacheEntryA, a.DeleteUrlCacheEntryA),
    };
    BindProcs(module, table);
}

// Whether the functions that read an answer are bound: a WinInet without one would crash the
// worker that calls it.
bool CanReadAnswers()
{
    return g_api.HttpQueryInfoA && g_api.InternetQueryDataAvailable && g_api.InternetReadFile;
}

void CloseHandleOnce(std::atomic<HINTERNET>& slot) noexcept
{
    if (HINTERNET handle = slot.exchange(nullptr); handle && g_api.InternetCloseHandle)
        g_api.InternetCloseHandle(handle);
}

// The response's number for a query (status code, content length); false when absent.
bool QueryNumber(HINTERNET request, DWORD query, DWORD& value)
{
    DWORD size = sizeof value;
    return g_api.HttpQueryInfoA(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr) != FALSE;
}

DWORD ConnectedState()
{
    DWORD state = 0;
    DWORD size = sizeof state;
    if (!g_api.InternetQueryOptionA || !g_api.InternetQueryOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &state, &size))
        return 0;
    return state;
}

void SetConnectedState(DWORD state)
{
    if (!g_api.InternetSetOptionA)
        return;
    INTERNET_CONNECTED_INFO info = { state, 0 };
    g_api.InternetSetOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, sizeof info);
}

// A URL cleaned for cracking: trimmed, enclosing angle brackets removed, canonical when WinInet
// can make it so.
std::string CanonicalUrl(const std::string& url, DWORD flags)
{
    std::string text = TrimBlanks(url);
    while (text.size() >= 2 && text.front() == '<' && text.back() == '>')
        text = TrimBlanks(text.substr(1, text.size() - 2));
    if (text.compare(0, 5, "data:") == 0 || !g_api.InternetCanonicalizeUrlA)
        return text;
    DWORD size = 0;
    char probe[1];
    g_api.InternetCanonicalizeUrlA(text.c_str(), probe, &size, flags);
    if (size == 0)
        return text;
    std::string canonical(size + 1, '\0');
    size = static_cast<DWORD>(canonical.size());
    if (!g_api.InternetCanonicalizeUrlA(text.c_str(), canonical.data(), &size, flags))
        return text;
    canonical.resize(size);
    return canonical;
}
} // namespace

std::string NextListItem(std::string& list)
{
    const size_t tab = list.find('\t');
    std::string item = list.substr(0, tab);
    list.erase(0, tab == std::string::npos ? list.size() : tab + 1);
    return item;
}

TWinInetApi& WinInet()
{
    return g_api;
}

bool WinInetLoaded()
{
    return g_loaded;
}

bool LoadWinInetApi(bool reload)
{
    const std::string path = WithTrailingBackslash(GetSystemFolder()) + WININET_NAME;
    if (reload)
        while (HMODULE loaded = GetModuleHandleA(WININET_NAME))
            if (!FreeLibrary(loaded))
                break;
    HMODULE module = reload ? nullptr : GetModuleHandleA(WININET_NAME);
    // Taken for the life of the process: the bound functions point into it.
    if (!module)
        module = LoadLibraryA(path.c_str());
    g_api = TWinInetApi();
    g_loaded = module != nullptr;
    if (g_loaded)
        Bind(module);
    return g_loaded;
}

void TWebHandles::CloseAll() noexcept
{
    CloseHandleOnce(Request);
    CloseHandleOnce(Session);
}

void TWebHandles::CloseRequest() noexcept
{
    CloseHandleOnce(Request);
}

bool HasNamedProxy()
{
    if (!g_api.InternetQueryOptionA)
        return false;
    DWORD size = 0;
    g_api.InternetQueryOptionA(nullptr, INTERNET_OPTION_PROXY, nullptr, &size);
    if (size < sizeof(INTERNET_PROXY_INFO))
        return false;
    std::string buffer(size, '\0');
    if (!g_api.InternetQueryOptionA(nullptr, INTERNET_OPTION_PROXY, buffer.data(), &size))
        return false;
    const auto* info = reinterpret_cast<const INTERNET_PROXY_INFO*>(buffer.data());
    return info->dwAccessType == INTERNET_OPEN_TYPE_PROXY && info->lpszProxy && info->lpszProxy[0] != '\0';
}

TFetchResult OpenUrlRequest(TWebHandles& handles, const TOpenSettings& settings, const std::string& url, DWORD access)
{
    if (!g_api.InternetOpenA || !g_api.InternetOpenUrlA)
        return TFetchResult::NoSession;
    if (!CanReadAnswers())
        return TFetchResult::NotOpened;
    HINTERNET session = g_api.InternetOpenA(settings.Agent.c_str(), access, nullptr, nullptr, 0);
    if (!session)
        return TFetchResult::NoSession;
    handles.Session = session;
    if (settings.StatusCallback && g_api.InternetSetStatusCallback)
        g_api.InternetSetStatusCallback(session, settings.StatusCallback);
    if (settings.SessionOpened)
        settings.SessionOpened(session);
    if (!handles.Session.load()) // cancelled while the caller was told
        return TFetchResult::Cancelled;
    HINTERNET request = g_api.InternetOpenUrlA(session, url.c_str(), nullptr, 0, DOWNLOAD_OPEN_FLAGS, settings.Context);
    const DWORD error = GetLastError();
    if (request) {
        handles.Request = request;
        // Cancelled meanwhile: the session is gone, and so must the request be.
        if (!handles.Session.load()) {
            handles.CloseAll();
            return TFetchResult::Cancelled;
        }
        return TFetchResult::Ok;
    }
    const bool cancelled = error == ERROR_INTERNET_OPERATION_CANCELLED || !handles.Session.load();
    handles.CloseAll();
    return cancelled ? TFetchResult::Cancelled : TFetchResult::NotOpened;
}

TFetchResult OpenUrlWithFallback(TWebHandles& handles, const TOpenSettings& settings, const std::string& url)
{
    const bool viaProxy = HasNamedProxy();
    const TFetchResult result
        = OpenUrlRequest(handles, settings, url, viaProxy ? INTERNET_OPEN_TYPE_PRECONFIG : INTERNET_OPEN_TYPE_DIRECT);
    if (viaProxy && (result == TFetchResult::NoSession || result == TFetchResult::NotOpened))
        return OpenUrlRequest(handles, settings, url, INTERNET_OPEN_TYPE_DIRECT);
    return result;
}

TFetchResult ReadUrlBody(HINTERNET request, std::string& body)
{
    body.clear();
    if (!CanReadAnswers())
        return TFetchResult::NotOpened;
    // Only a 200 answer is the file: an error page saved under its name would be reported as the
    // download itself.
    DWORD status = 0;
    if (!QueryNumber(request, HTTP_QUERY_STATUS_CODE, status) || status != HTTP_STATUS_OK)
        return TFetchResult::BadStatus;
    DWORD announced = 0;
    const bool known = QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, announced);
    if (known && announced > MAX_DOWNLOAD_BYTES)
        return TFetchResult::Incomplete;
    // Read in pieces to the end: a server may send more or less than it announced. A body without a
    // length is read to its end too, never cut at a fixed size: a cut file reported as saved would
    // be a broken file the caller takes for whole. Past MAX_DOWNLOAD_BYTES it is refused instead.
    const uint64_t limit = known ? announced : MAX_DOWNLOAD_BYTES;
    std::string piece;
    while (body.size() <= limit) {
        DWORD available = 0;
        if (!g_api.InternetQueryDataAvailable(request, &available, 0, 0) || available == 0)
            break;
        piece.resize(std::max<DWORD>(available, READ_PIECE_BYTES));
        DWORD read = 0;
        if (!g_api.InternetReadFile(request, piece.data(), static_cast<DWORD>(piece.size()), &read) || read == 0)
            break;
        body.append(piece, 0, read);
    }
    if (known) {
        // More than announced is cut at the announced length; less is incomplete; a body announced
        // as empty is whole with nothing read.
        if (body.size() < announced)
            return TFetchResult::Incomplete;
        body.resize(announced);
        return TFetchResult::Ok;
    }
    if (body.size() > MAX_DOWNLOAD_BYTES) {
        body.clear();
        return TFetchResult::Incomplete;
    }
    return body.empty() ? TFetchResult::Incomplete : TFetchResult::Ok;
}

DWORD ConnectTimeoutSeconds(HINTERNET handle)
{
    DWORD milliseconds = 0;
    DWORD size = sizeof milliseconds;
    if (!g_api.InternetQueryOptionA || !g_api.InternetQueryOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &milliseconds, &size))
        return 0;
    return milliseconds / 1000;
}

TOfflineModeGuard::TOfflineModeGuard()
{
    wasOffline_ = (ConnectedState() & INTERNET_STATE_DISCONNECTED_BY_USER) != 0;
    if (wasOffline_)
        SetConnectedState(INTERNET_STATE_CONNECTED);
}

TOfflineModeGuard::~TOfflineModeGuard()
{
    if (wasOffline_)
        SetConnectedState(INTERNET_STATE_DISCONNECTED_BY_USER);
}

std::string DecodeUrlForDisplay(const std::string& url)
{
    if (!g_api.InternetCanonicalizeUrlA)
        return url;
    // Asked first with room to spare (decoding shortens; canonicalising may add a slash): an
    // implementation may refuse an empty buffer outright instead of telling the size it needs.
    std::string decoded(url.size() + 16, '\0');
    DWORD size = static_cast<DWORD>(decoded.size());
    if (!g_api.InternetCanonicalizeUrlA(url.c_str(), decoded.data(), &size, ICU_DISPLAY_FLAGS)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= decoded.size())
            return url;
        decoded.assign(size + 1, '\0');
        size = static_cast<DWORD>(decoded.size());
        if (!g_api.InternetCanonicalizeUrlA(url.c_str(), decoded.data(), &size, ICU_DISPLAY_FLAGS))
            return url;
    }
    decoded.resize(size);
    return decoded;
}

std::string UrlHostName(const std::string& url)
{
    const std::string canonical = CanonicalUrl(url, ICU_DECODE | ICU_BROWSER_MODE);
    if (!g_api.InternetCrackUrlA)
        return canonical;
    char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    if (!g_api.InternetCrackUrlA(canonical.c_str(), 0, 0, &parts) || host[0] == '\0')
        return canonical;
    return host;
}
