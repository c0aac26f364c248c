// One guard for every boundary the host or Windows calls into (exports, window procedures, hooks,
// timers, threads): an exception never unwinds into foreign frames; it is reported and turned into
// the boundary's failure answer.
#pragma once

#include "framework/Exceptions.h"

#include <exception>
#include <string>

// Raised where a step cannot be taken: an owned interface the start-up has not made, an editor the
// plug-in does not handle, a dialog the plug-in lacks. The guards turn it into the failure answer,
// so such a step never reports success.
class ENotAvailable : public Exception {
public:
    explicit ENotAvailable(const std::string& operation)
        : Exception(operation + " is not available")
    {
    }
};

// Writes "ZAVEK: <where>: <what>" to the debugger output; never message contents.
void ReportGuardedFailure(const char* where, const char* what) noexcept;

// Runs body; on an exception reports it and returns fallback() instead.
template <class Body, class Fallback>
auto GuardedOr(const char* where, Fallback&& fallback, Body&& body) noexcept -> decltype(body())
{
    try {
        return body();
    } catch (const std::exception& e) {
        ReportGuardedFailure(where, e.what());
    } catch (...) {
        ReportGuardedFailure(where, "unknown exception");
    }
    try {
        return fallback();
    } catch (...) {
        ReportGuardedFailure(where, "fallback failed");
    }
    return decltype(body())();
}

// Runs body; on an exception reports it and returns failure.
template <class Result, class Body> Result Guarded(const char* where, Result failure, Body&& body) noexcept
{
    return GuardedOr(
        where, [failure] { return failure; }, [&]() -> Result { return body(); });
}

// The same for bodies without a result.
template <class Body> void GuardedVoid(const char* where, Body&& body) noexcept
{
    GuardedOr(
        where, [] {}, [&] { body(); });
}
