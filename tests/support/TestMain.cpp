// The main of every test program. Output is unbuffered and the first line is written before any
// test runs: a program that dies in a test still leaves what it printed, so a program with no
// output at all is one that never started (the Wine runner's one sign of a failed start).
#include <gmock/gmock.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    // The C library's local time is UTC unless a test sets a zone: no result depends on the
    // machine's own zone.
#ifdef _WIN32
    _putenv("TZ=UTC0");
    _tzset();
#else
    setenv("TZ", "UTC0", 1);
    tzset();
#endif
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::printf("Running %s\n", argc > 0 ? argv[0] : "tests");
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
