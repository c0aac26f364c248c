// Reads the stand-in's fault switches from the process environment at the time of the call.
#include "standins/pgpsdk/TestHooks.h"

#include <atomic>
#include <cstdlib>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace standin {

bool FaultRequested(const char* word)
{
    std::string faults;
#if defined(_WIN32)
    // The process environment, not the C runtime's copy, so a test can switch faults at run time.
    char buffer[512];
    DWORD length = GetEnvironmentVariableA("PGPSTANDIN_FAULTS", buffer, sizeof buffer);
    if (length > 0 && length < sizeof buffer)
        faults.assign(buffer, length);
#else
    if (const char* value = std::getenv("PGPSTANDIN_FAULTS"))
        faults = value;
#endif
    std::string wanted = word;
    for (size_t start = 0; start <= faults.size();) {
        size_t end = faults.find_first_of(" ,;", start);
        if (end == std::string::npos)
            end = faults.size();
        if (faults.compare(start, end - start, wanted) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

namespace {
std::atomic<bool> serviceFaultFired { false };
}

bool ServiceFaultPending()
{
    return FaultRequested("service") && !serviceFaultFired.exchange(true);
}

void ArmServiceFault() { serviceFaultFired = false; }

} // namespace standin
