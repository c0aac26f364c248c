// The phase timer of the roads: a clock read per phase, one appended line per run when switched on.
#include "foundation/PhaseTimes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
double MillisecondsBetween(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
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
        std::fprintf(out, "%s\n", Line().c_str());
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
    for (auto& [name, total] : phases_)
        if (std::strcmp(name, phase) == 0) {
            total += took;
            return;
        }
    phases_.emplace_back(phase, took);
}

std::string TPhaseTimes::Line() const
{
    char number[32];
    std::snprintf(number, sizeof number, "%.1f", MillisecondsBetween(start_, last_));
    std::string line = std::string("phases ") + road_ + " " + number + " ms:";
    for (size_t i = 0; i < phases_.size(); ++i) {
        std::snprintf(number, sizeof number, "%.1f", phases_[i].second);
        line += std::string(i ? ", " : " ") + phases_[i].first + " " + number;
    }
    return line;
}
