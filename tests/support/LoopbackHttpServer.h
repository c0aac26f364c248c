// A small HTTP/1.0 server on 127.0.0.1 for the download tests: each path answers with a scripted
// status, body, Content-Length (announced, omitted or false) and delay; it records the paths asked.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct THttpAnswer {
    int Status = 200;
    std::string Body;
    bool SendLength = true;
    long long AnnouncedLength = -1; // -1: the body's real length
    DWORD DelayMs = 0;
};

class TLoopbackHttpServer {
public:
    TLoopbackHttpServer()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int size = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        listen(listener_, 16);
        acceptor_ = std::thread([this] { AcceptLoop(); });
    }
    ~TLoopbackHttpServer()
    {
        stopping_ = true;
        closesocket(listener_);
        acceptor_.join();
        for (std::thread& worker : workers_)
            worker.join();
        WSACleanup();
    }
    TLoopbackHttpServer(const TLoopbackHttpServer&) = delete;
    TLoopbackHttpServer& operator=(const TLoopbackHttpServer&) = delete;

    void Answer(const std::string& path, const THttpAnswer& answer)
    {
        std::lock_guard guard(lock_);
        answers_[path] = answer;
    }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    std::vector<std::string> Requests() const
    {
        std::lock_guard guard(lock_);
        return requests_;
    }

private:
    void AcceptLoop()
    {
        while (!stopping_) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                return;
            workers_.emplace_back([this, client] { Serve(client); });
        }
    }

    void Serve(SOCKET client)
    {
        std::string request;
        char buffer[2048];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const int got = recv(client, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            request.append(buffer, static_cast<size_t>(got));
        }
        const size_t pathStart = request.find(' ') + 1;
        const std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
        THttpAnswer answer { 404, "not here", true, -1, 0 };
        {
            std::lock_guard guard(lock_);
            requests_.push_back(path);
            if (auto found = answers_.find(path); found != answers_.end())
                answer = found->second;
        }
        Sleep(answer.DelayMs);
        std::string response = "HTTP/1.0 " + std::to_string(answer.Status) + " X\r\nContent-Type: text/plain\r\n";
        if (answer.SendLength)
            response += "Content-Length: "
                + std::to_string(answer.AnnouncedLength >= 0 ? answer.AnnouncedLength : static_cast<long long>(answer.Body.size()))
                + "\r\n";
        response += "Connection: close\r\n\r\n" + answer.Body;
        for (size_t sent = 0; sent < response.size();) {
            const int put = send(client, response.data() + sent, static_cast<int>(response.size() - sent), 0);
            if (put <= 0)
                break;
            sent += static_cast<size_t>(put);
        }
        shutdown(client, SD_SEND);
        closesocket(client);
    }

    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stopping_ { false };
    std::thread acceptor_;
    std::vector<std::thread> workers_;
    mutable std::mutex lock_;
    std::map<std::string, THttpAnswer> answers_;
    std::vector<std::string> requests_;
};

// A loopback URL whose port refuses connections (a listener that was closed again).
inline std::string RefusedUrl(const std::string& path)
{
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int size = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    closesocket(probe);
    return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + path;
}
