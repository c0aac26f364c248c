#include "foundation/IsaacSeed.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <chrono>
#include <ctime>
#endif

namespace {

uint32_t HighLow(unsigned high, unsigned low) { return (high & 0xFFFFu) << 16 | (low & 0xFFFFu); }

} // namespace

#ifdef _WIN32
std::array<uint32_t, 8> RunTimeSeedWords()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    POINT cursor {};
    GetCursorPos(&cursor);
    return {
        HighLow(now.wSecond, now.wMonth),
        HighLow(now.wDay, now.wHour),
        HighLow(now.wYear, now.wMilliseconds),
        HighLow(now.wMinute, now.wDayOfWeek),
        HighLow(static_cast<unsigned>(cursor.y), static_cast<unsigned>(cursor.x)),
        static_cast<uint32_t>(GetMessageTime()),
        static_cast<uint32_t>(GetMessagePos()),
        static_cast<uint32_t>(GetTickCount()),
    };
}
#else
// The native build has no cursor and no message queue: the clock alone stands in for them.
std::array<uint32_t, 8> RunTimeSeedWords()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local {};
    localtime_r(&seconds, &local);
    const auto millis = static_cast<unsigned>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    const auto ticks = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return {
        HighLow(static_cast<unsigned>(local.tm_sec), static_cast<unsigned>(local.tm_mon + 1)),
        HighLow(static_cast<unsigned>(local.tm_mday), static_cast<unsigned>(local.tm_hour)),
        HighLow(static_cast<unsigned>(local.tm_year + 1900), millis),
        HighLow(static_cast<unsigned>(local.tm_min), static_cast<unsigned>(local.tm_wday)),
        0,
        static_cast<uint32_t>(seconds),
        static_cast<uint32_t>(ticks >> 32),
        static_cast<uint32_t>(ticks),
    };
}
#endif

void SeedIsaacFromRunTime(TIsaac& Gen)
{
    const std::array<uint32_t, 8> seed = RunTimeSeedWords();
    SeedIsaac(Gen, seed.data(), 7, true);
}
