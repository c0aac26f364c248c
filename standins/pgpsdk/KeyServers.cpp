// The stand-in network library's key servers: one object per server URL, and the HKP lookup
// (GET /pks/lookup?op=get&options=mr&search=...) over WinINet with a time-out for the connection
// and for each wait for data, cancellable from another thread.
#include "standins/pgpsdk/CoreLink.h"
#include "standins/pgpsdk/Guard.h"

#include <wininet.h>

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

PGP_NETWORK_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace {

constexpr PGPKeyServerRef kServerTokenBase = 0x7D000000; // apart from the core's and the TLS handles
constexpr PGPKeyServerThreadStorageRef kStorageToken = 0x7D7F0000;
constexpr PGPSize kMaxReply = 8u << 20; // a key server's answer of keys, not a download
constexpr int kHkpPort = 11371;

std::mutex g_lock;
std::map<PGPKeyServerRef, std::string> g_servers;
PGPKeyServerRef g_nextServer = kServerTokenBase;
int g_initCount = 0;

std::string ServerURL(PGPKeyServerRef server)
{
    std::lock_guard<std::mutex> guard(g_lock);
    const auto found = g_servers.find(server);
    return found == g_servers.end() ? std::string() : found->second;
}

// "hkp://host[:port]" is HTTP on the HKP port; HTTP and HTTPS stay as they are.
bool LookupBase(const std::string& url, std::string& base)
{
    const std::size_t scheme = url.find("://");
    const std::string name = scheme == std::string::npos ? "" : url.substr(0, scheme);
    std::string rest = scheme == std::string::npos ? url : url.substr(scheme + 3);
    while (!rest.empty() && rest.back() == '/')
        rest.pop_back();
    if (rest.empty())
        return false;
    if (_stricmp(name.c_str(), "hkp") == 0)
        base = "http://" + rest + (rest.find(':') == std::string::npos ? ":" + std::to_string(kHkpPort) : "");
    else if (_stricmp(name.c_str(), "http") == 0 || _stricmp(name.c_str(), "https") == 0)
        base = name + "://" + rest;
    else
        return false;
    return true;
}

std::string Escaped(const std::string& text)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == '@') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kDigits[c >> 4];
            out += kDigits[c & 15];
        }
    }
    return out;
}

PGPError StatusOfFailure(DWORD error)
{
    switch (error) {
    case ERROR_INTERNET_TIMEOUT:
        return kPGPError_ServerTimedOut;
    case ERROR_INTERNET_OPERATION_CANCELLED:
    case ERROR_INVALID_HANDLE:
        return kPGPError_UserAbort;
    default:
        return kPGPError_ServerConnectFailed;
    }
}

bool Cancelled(StandInKeyServerQuery* query)
{
    return InterlockedCompareExchangePointer(&query->session, nullptr, nullptr) == nullptr;
}

// Closes the lookup's session once, whichever of the lookup and its cancel comes first.
void CloseSession(StandInKeyServerQuery* query)
{
    if (HINTERNET session = InterlockedExchangePointer(&query->session, nullptr))
        InternetCloseHandle(session);
}

PGPError ReadReply(HINTERNET request, StandInKeyServerQuery* query)
{
    DWORD status = 0, size = sizeof status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return kPGPError_ServerBadReply;
    if (status == 404)
        return kPGPError_ServerKeyNotFound;
    if (status != 200)
        return kPGPError_ServerBadReply;
    std::string reply;
    char buffer[8192];
    DWORD read = 0;
    while (InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0) {
        reply.append(buffer, read);
        if (reply.size() > kMaxReply)
            return kPGPError_ServerBadReply;
    }
    if (Cancelled(query))
        return kPGPError_UserAbort;
    if (read != 0 || reply.empty())
        return read != 0 ? StatusOfFailure(GetLastError()) : kPGPError_ServerKeyNotFound;
    query->reply = new char[reply.size()];
    std::memcpy(query->reply, reply.data(), reply.size());
    query->replyLength = reply.size();
    return kPGPError_NoErr;
}

PGPError Lookup(const std::string& url, StandInKeyServerQuery* query)
{
    HINTERNET session = InternetOpenA("PGPsdk key server client", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session)
        return kPGPError_ServerConnectFailed;
    DWORD timeout = query->timeoutMs;
    for (DWORD option : { INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT })
        InternetSetOptionA(session, option, &timeout, sizeof timeout);
    InterlockedExchangePointer(&query->session, session);
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI
        | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES;
    PGPError status = kPGPError_UserAbort;
    if (HINTERNET request = InternetOpenUrlA(session, url.c_str(), "Accept: application/pgp-keys\r\n",
            static_cast<DWORD>(-1L), flags, 0)) {
        status = ReadReply(request, query);
        InternetCloseHandle(request);
    } else if (!Cancelled(query)) {
        status = StatusOfFailure(GetLastError());
    }
    CloseSession(query);
    return status;
}

} // namespace

extern "C" {

PGPError PGP_CDECL PGPKeyServerInit()
{
    std::lock_guard<std::mutex> guard(g_lock);
    ++g_initCount;
    return kPGPError_NoErr;
}

PGPError PGP_CDECL PGPKeyServerCleanup()
{
    std::lock_guard<std::mutex> guard(g_lock);
    if (g_initCount == 0)
        return kPGPError_BadParams;
    if (--g_initCount == 0)
        g_servers.clear();
    return kPGPError_NoErr;
}

// The lookups keep no state between calls: the storage is a token the caller hands back.
PGPError PGP_CDECL PGPKeyServerCreateThreadStorage(PGPKeyServerThreadStorageRef* storage)
{
    if (!storage)
        return kPGPError_BadParams;
    *storage = kStorageToken;
    return kPGPError_NoErr;
}

PGPError PGP_CDECL PGPKeyServerDisposeThreadStorage(PGPKeyServerThreadStorageRef storage)
{
    return storage == kStorageToken ? kPGPError_NoErr : kPGPError_BadParams;
}

PGPError PGP_CDECL PGPNewKeyServer(PGPContextRef, int32_t, PGPKeyServerRef* server, ...)
{
    va_list args;
    va_start(args, server);
    const std::vector<PGPOptionListRef> handles = standin::OptionHandles(args);
    va_end(args);
    return standin::Guarded([&]() -> PGPError {
        StandInDialogOptions options {};
        PGPError status = standin::TakeOptions(handles, options);
        if (status != kPGPError_NoErr || !server)
            return status != kPGPError_NoErr ? status : kPGPError_BadParams;
        std::string base;
        if (!LookupBase(options.url, base))
            return kPGPError_ServerProtocol;
        std::lock_guard<std::mutex> guard(g_lock);
        if (g_initCount == 0)
            return kPGPError_BadParams;
        *server = g_nextServer++;
        g_servers[*server] = base;
        return kPGPError_NoErr;
    });
}

PGPError PGP_CDECL PGPFreeKeyServer(PGPKeyServerRef server)
{
    std::lock_guard<std::mutex> guard(g_lock);
    return g_servers.erase(server) ? kPGPError_NoErr : kPGPError_BadParams;
}

PGPError PGP_CDECL StandInQueryKeyServer(PGPKeyServerRef server, StandInKeyServerQuery* query)
{
    return standin::Guarded([&]() -> PGPError {
        const std::string base = ServerURL(server);
        if (base.empty() || !query || !query->search)
            return kPGPError_BadParams;
        query->reply = nullptr;
        query->replyLength = 0;
        return Lookup(base + "/pks/lookup?op=get&options=mr&search=" + Escaped(query->search), query);
    });
}

void PGP_CDECL StandInCancelKeyServerQuery(StandInKeyServerQuery* query)
{
    if (query)
        CloseSession(query);
}

void PGP_CDECL StandInFreeKeyServerReply(StandInKeyServerQuery* query)
{
    if (!query || !query->reply)
        return;
    std::memset(query->reply, 0, query->replyLength);
    delete[] query->reply;
    query->reply = nullptr;
    query->replyLength = 0;
}

} // extern "C"
