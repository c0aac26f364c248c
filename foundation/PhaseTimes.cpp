// The phase timer of the roads: a clock read per phase, its lines appended per run when switched on.
#include "foundation/PhaseTimes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>

#include <psapi.h>
#endif

namespace {
double MillisecondsBetween(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

struct TWorkingSet {
    double peakMegabytes = 0, heldMegabytes = 0;
};

// The process's working set now and its peak so far, as the mail client's memory figure counts it.
TWorkingSet WorkingSet()
{
    constexpr double MEGABYTE = 1048576.0;
    TWorkingSet set;
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        set.peakMegabytes = static_cast<double>(counters.PeakWorkingSetSize) / MEGABYTE;
        set.heldMegabytes = static_cast<double>(counters.WorkingSetSize) / MEGABYTE;
    }
#else
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[128];
        while (std::fgets(line, sizeof line, status)) {
            unsigned long kilobytes = 0;
            if (std::sscanf(line, "VmHWM: %lu", &kilobytes) == 1)
                set.peakMegabytes = static_cast<double>(kilobytes) * 1024 / MEGABYTE;
            else if (std::sscanf(line, "VmRSS: %lu", &kilobytes) == 1)
                set.heldMegabytes = static_cast<double>(kilobytes) * 1024 / MEGABYTE;
        }
        std::fclose(status);
    }
#endif
    return set;
}
} // namespace

TPhaseTimes::TPhaseTimes(const char* road)
    : road_(road)
{
    if (const char* file = std::getenv(ENVIRONMENT_VARIABLE))
        file_ = file;
    if (On())
        start_ = last_ = TClock::now();
}

TPhaseTimes::~TPhaseTimes()
{
    if (!On())
        return;
    if (std::FILE* out = std::fopen(file_.c_str(), "a")) {
        std::fprintf(out, "%s\n%s\n%s\n", Line().c_str(), MemoryLine(true).c_str(), MemoryLine(false).c_str());
        std::fclose(out);
    }
}

void TPhaseTimes::Mark(const char* phase)
{
    if (!On())
        return;
    const TClock::time_point now = TClock::now();
    const double took = MillisecondsBetween(last_, now);
    last_ = now;
    const TWorkingSet set = WorkingSet();
    for (TPhase& known : phases_)
        if (std::strcmp(known.name, phase) == 0) {
            known.milliseconds += took;
            known.peakMegabytes = set.peakMegabytes;
            known.heldMegabytes = set.heldMegabytes;
            return;
        }
    phases_.push_back({ phase, took, set.peakMegabytes, set.heldMegabytes });
}

std::string TPhaseTimes::Line() const
{
    char number[32];
    std::snprintf(number, sizeof number, "%.1f", MillisecondsBetween(start_, last_));
    std::string line = std::string("phases ") + road_ + " " + number + " ms:";
    for (size_t i = 0; i < phases_.size(); ++i) {
        std::snprintf(number, sizeof number, "%.1f", phases_[i].milliseconds);
        line += std::string(i ? ", " : " ") + phases_[i].name + " " + number;
    }
    return line;
}

std::string TPhaseTimes::MemoryLine(bool peak) const
{
    std::string line = std::string(peak ? "peak " : "held ") + road_ + " MB:";
    char number[32];
    for (size_t i = 0; i < phases_.size(); ++i) {
        std::snprintf(number, sizeof number, "%.1f", peak ? phases_[i].peakMegabytes : phases_[i].heldMegabytes);
        line += std::string(i ? ", " : " ") + phases_[i].name + " " + number;
    }
    return line;
}
