// A small SNTP responder on 127.0.0.1 for the clock tests: it answers one request on its own
// thread with a prepared reply, after a delay, or not at all.
#pragma once

#include <winsock2.h>

#include <cstdint>
#include <thread>
#include <vector>

// A UDP responder on a free loopback port that answers one request with `reply` (nothing when
// empty) after `delayMs`.
class TLoopbackResponder {
public:
    TLoopbackResponder(std::vector<uint8_t> reply, DWORD delayMs = 0)
        : reply_(std::move(reply))
        , delayMs_(delayMs)
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in local {};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        int length = sizeof local;
        getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &length);
        port_ = ntohs(local.sin_port);
        DWORD timeout = 10000;
        setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        thread_ = std::thread([this] { Answer(); });
    }
    ~TLoopbackResponder()
    {
        thread_.join();
        closesocket(socket_);
        WSACleanup();
    }
    uint16_t Port() const { return port_; }
    const std::vector<uint8_t>& Request() const { return request_; }

private:
    void Answer()
    {
        uint8_t buffer[512];
        sockaddr_in client {};
        int length = sizeof client;
        int received = recvfrom(socket_, reinterpret_cast<char*>(buffer), sizeof buffer, 0,
            reinterpret_cast<sockaddr*>(&client), &length);
        if (received <= 0)
            return;
        request_.assign(buffer, buffer + received);
        Sleep(delayMs_);
        if (!reply_.empty())
            sendto(socket_, reinterpret_cast<const char*>(reply_.data()), static_cast<int>(reply_.size()), 0,
                reinterpret_cast<sockaddr*>(&client), length);
    }

    std::vector<uint8_t> reply_;
    DWORD delayMs_;
    SOCKET socket_;
    uint16_t port_ = 0;
    std::vector<uint8_t> request_;
    std::thread thread_;
};
