// The stand-in mail client's log: one line per request, message, event, export call and posted
// command it sees, flushed at once so that a test can read it even after a crash.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class THostLog {
public:
    THostLog() = default;
    ~THostLog();
    THostLog(const THostLog&) = delete;
    THostLog& operator=(const THostLog&) = delete;

    bool Open(const std::string& path);
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // How many lines so far begin with prefix: a script waits on what happened, not on a time.
    size_t CountStartingWith(const std::string& prefix) const;

private:
    std::FILE* file_ = nullptr;
    std::vector<std::string> lines_;
};

extern THostLog g_log;
