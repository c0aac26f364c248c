// Where a road's time and memory go, for the speed bench: each phase's share of one run of the
// decrypt or encrypt road, and the process's memory as each phase ends. Silent and next to free
// unless the environment variable ZAVEK_PHASE_LOG names a file; then each run appends its lines to
// it when it ends. Never writes message content.
#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

class TPhaseTimes {
public:
    // The environment variable that switches the timing on: a file the lines are appended to.
    static constexpr const char* ENVIRONMENT_VARIABLE = "ZAVEK_PHASE_LOG";

    explicit TPhaseTimes(const char* road);
    // Appends "phases ROAD TOTAL ms: PHASE MS, ..." to the file, phases in their first order, then
    // "peak ROAD MB: PHASE MB, ..." and "held ROAD MB: ...": the process's peak working set and its
    // working set as each phase last ended.
    ~TPhaseTimes();
    TPhaseTimes(const TPhaseTimes&) = delete;
    TPhaseTimes& operator=(const TPhaseTimes&) = delete;

    // Charges the time since the last mark (or the start) to phase; a phase met again adds up.
    void Mark(const char* phase);
    bool On() const { return !file_.empty(); }
    // The lines the destructor writes, without their line ends.
    std::string Line() const;
    std::string MemoryLine(bool peak) const;

private:
    using TClock = std::chrono::steady_clock;
    const char* road_;
    std::string file_;
    TClock::time_point start_, last_;
    struct TPhase {
        const char* name;
        double milliseconds;
        double peakMegabytes, heldMegabytes;
    };
    std::vector<TPhase> phases_;
};
