// The stand-in network library's key servers: one object per server URL, and the HKP lookup
// (GET /pks/lookup?op=get&options=mr&search=...) over Winsock, with a time-out for the connection
// and for each wait for data, and cancellable from another thread at any wait.
#include "standins/pgpsdk/CoreLink.h"
#include "standins/pgpsdk/Guard.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstdlib>
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
constexpr const char* kHkpPort = "11371";

struct TServer {
    std::string host;
    std::string port;
};

std::mutex g_lock;
std::map<PGPKeyServerRef, TServer> g_servers;
PGPKeyServerRef g_nextServer = kServerTokenBase;
int g_initCount = 0;

bool FindServer(PGPKeyServerRef handle, TServer& server)
{
    std::lock_guard<std::mutex> guard(g_lock);
    const auto found = g_servers.find(handle);
    if (found == g_servers.end())
        return false;
    server = found->second;
    return true;
}

// "hkp://host[:port]" (port 11371 unless given) or "http://host[:port]"; other kinds are refused.
bool ParseServer(const std::string& url, TServer& server)
{
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos)
        return false;
    const std::string name = url.substr(0, scheme);
    std::string rest = url.substr(scheme + 3);
    rest = rest.substr(0, rest.find('/'));
    const bool hkp = _stricmp(name.c_str(), "hkp") == 0;
    if (rest.empty() || (!hkp && _stricmp(name.c_str(), "http") != 0))
        return false;
    const std::size_t colon = rest.rfind(':');
    server.host = rest.substr(0, colon);
    server.port = colon == std::string::npos ? (hkp ? kHkpPort : "80") : rest.substr(colon + 1);
    return !server.host.empty() && !server.port.empty();
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

bool Cancelled(StandInKeyServerQuery* query) { return InterlockedCompareExchange(&query->cancelled, 0, 0) != 0; }

// One TCP connection, waited on in short slices so that a cancel or the time-out ends any wait.
class TConnection {
public:
    explicit TConnection(StandInKeyServerQuery* query)
        : query_(query)
    {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~TConnection()
    {
        if (socket_ != INVALID_SOCKET)
            closesocket(socket_);
        if (started_)
            WSACleanup();
    }
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    PGPError Connect(const TServer& server)
    {
        addrinfo hints {};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (!started_ || getaddrinfo(server.host.c_str(), server.port.c_str(), &hints, &found) != 0 || !found)
            return kPGPError_ServerConnectFailed;
        socket_ = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
        u_long nonBlocking = 1;
        const bool started = socket_ != INVALID_SOCKET && ioctlsocket(socket_, FIONBIO, &nonBlocking) == 0
            && (connect(socket_, found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0
                || WSAGetLastError() == WSAEWOULDBLOCK);
        freeaddrinfo(found);
        if (!started)
            return kPGPError_ServerConnectFailed;
        PGPError status = Wait(true);
        int error = 0, size = sizeof error;
        if (status == kPGPError_NoErr
            && (getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0 || error != 0))
            status = kPGPError_ServerConnectFailed;
        return status;
    }
    PGPError Send(const std::string& request)
    {
        for (std::size_t sent = 0; sent < request.size();) {
            if (PGPError status = Wait(true); status != kPGPError_NoErr)
                return status;
            const int count = send(socket_, request.data() + sent, static_cast<int>(request.size() - sent), 0);
            if (count == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK)
                return kPGPError_ServerConnectFailed;
            sent += count > 0 ? static_cast<std::size_t>(count) : 0;
        }
        return kPGPError_NoErr;
    }
    // Everything the server sends until it closes the connection.
    PGPError ReceiveAll(std::string& answer)
    {
        char buffer[8192];
        for (;;) {
            if (PGPError status = Wait(false); status != kPGPError_NoErr)
                return status;
            const int count = recv(socket_, buffer, sizeof buffer, 0);
            if (count == 0)
                return kPGPError_NoErr;
            if (count == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK)
                return kPGPError_ServerConnectFailed;
            if (count > 0)
                answer.append(buffer, static_cast<std::size_t>(count));
            if (answer.size() > kMaxReply)
                return kPGPError_ServerBadReply;
        }
    }

private:
    // Until the socket can be written (or read), the query is cancelled, or its time-out passes.
    PGPError Wait(bool writable)
    {
        constexpr DWORD kSliceMs = 100;
        const DWORD start = GetTickCount();
        for (;;) {
            if (Cancelled(query_))
                return kPGPError_UserAbort;
            fd_set ready, failed;
            FD_ZERO(&ready);
            FD_ZERO(&failed);
            FD_SET(socket_, &ready);
            FD_SET(socket_, &failed);
            timeval slice { 0, static_cast<long>(kSliceMs * 1000) };
            const int count = select(0, writable ? nullptr : &ready, writable ? &ready : nullptr, &failed, &slice);
            if (count == SOCKET_ERROR || FD_ISSET(socket_, &failed))
                return kPGPError_ServerConnectFailed;
            if (count > 0)
                return kPGPError_NoErr;
            if (GetTickCount() - start >= query_->timeoutMs)
                return kPGPError_ServerTimedOut;
        }
    }

    StandInKeyServerQuery* query_;
    bool started_ = false;
    SOCKET socket_ = INVALID_SOCKET;
};

// The body of an HTTP answer with status 200; 404 is a search without keys.
PGPError TakeBody(const std::string& answer, StandInKeyServerQuery* query)
{
    const std::size_t space = answer.find(' ');
    const std::size_t headerEnd = answer.find("\r\n\r\n");
    if (answer.compare(0, 5, "HTTP/") != 0 || space == std::string::npos || headerEnd == std::string::npos)
        return kPGPError_ServerBadReply;
    const int status = atoi(answer.c_str() + space + 1);
    if (status == 404)
        return kPGPError_ServerKeyNotFound;
    const std::string body = answer.substr(headerEnd + 4);
    if (status != 200 || body.empty())
        return status == 200 ? kPGPError_ServerKeyNotFound : kPGPError_ServerBadReply;
    query->reply = new char[body.size()];
    std::memcpy(query->reply, body.data(), body.size());
    query->replyLength = body.size();
    return kPGPError_NoErr;
}

PGPError Lookup(const TServer& server, const std::string& path, StandInKeyServerQuery* query)
{
    TConnection connection(query);
    PGPError status = connection.Connect(server);
    const std::string request = "GET " + path + " HTTP/1.0\r\nHost: " + server.host + ":" + server.port
        + "\r\nAccept: application/pgp-keys\r\nUser-Agent: PGPsdk key server client\r\nConnection: close\r\n\r\n";
    if (status == kPGPError_NoErr)
        status = connection.Send(request);
    std::string answer;
    if (status == kPGPError_NoErr)
        status = connection.ReceiveAll(answer);
    if (status == kPGPError_NoErr)
        status = TakeBody(answer, query);
    std::fill(answer.begin(), answer.end(), '\0');
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
        TServer parsed;
        if (!ParseServer(options.url, parsed))
            return kPGPError_ServerProtocol;
        std::lock_guard<std::mutex> guard(g_lock);
        if (g_initCount == 0)
            return kPGPError_BadParams;
        *server = g_nextServer++;
        g_servers[*server] = parsed;
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
        TServer found;
        if (!query || !query->search || !FindServer(server, found))
            return kPGPError_BadParams;
        query->reply = nullptr;
        query->replyLength = 0;
        return Lookup(found, "/pks/lookup?op=get&options=mr&search=" + Escaped(query->search), query);
    });
}

void PGP_CDECL StandInCancelKeyServerQuery(StandInKeyServerQuery* query)
{
    if (query)
        InterlockedExchange(&query->cancelled, 1);
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
