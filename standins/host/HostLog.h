// The stand-in mail client's log: one line per request, message, event, export call and posted
// command it sees, flushed at once so that a test can read it even after a crash.
#pragma once

#include <cstdio>
#include <string>

class THostLog {
public:
    THostLog() = default;
    ~THostLog();
    THostLog(const THostLog&) = delete;
    THostLog& operator=(const THostLog&) = delete;

    bool Open(const std::string& path);
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    std::FILE* file_ = nullptr;
};

extern THostLog g_log;
