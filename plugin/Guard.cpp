// Reporting of failures caught at the plug-in's boundaries.
#include "plugin/Guard.h"

#include <windows.h>

#include <cstdio>

void ReportGuardedFailure(const char* where, const char* what) noexcept
{
    // A fixed buffer: reporting must not fail for want of memory.
    char line[512];
    std::snprintf(line, sizeof line, "ZAVEK: %s: %s\n", where ? where : "?", what ? what : "?");
    OutputDebugStringA(line);
}
