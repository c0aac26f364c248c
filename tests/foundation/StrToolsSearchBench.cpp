// Benchmark (not a test): the search family on a 50 MB byte string against std::string::find,
// std::search with Boyer-Moore-Horspool and, where the C library has it, memmem. Prints MB/s.
#include "foundation/StrTools.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <algorithm>
#include <random>
#include <string>

namespace {

volatile long long Sink;

void Measure(const char* name, size_t bytes, const std::function<long long()>& run)
{
    auto begin = std::chrono::steady_clock::now();
    long long result = 0;
    const int rounds = 5;
    for (int i = 0; i < rounds; ++i)
        result += run();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count() / rounds;
    Sink = result;
    std::printf("%-34s %9.1f MB/s  (%lld)\n", name, bytes / seconds / 1e6, result / rounds);
}

} // namespace

int main()
{
    const size_t size = 50u * 1000 * 1000;
    std::string text(size, ' ');
    std::mt19937 random(1);
    for (char& c : text)
        c = static_cast<char>('a' + random() % 26);
    const std::string pattern = "Content-Transfer-Encoding";
    text.replace(size - pattern.size() - 10, pattern.size(), pattern);
    const std::string folded = "content-TRANSFER-encoding";

    std::printf("text %zu bytes, pattern of %zu bytes near the end\n", size, pattern.size());
    Measure("PosStr", size, [&] { return PosStr(pattern, text); });
    Measure("std::string::find", size, [&] { return static_cast<long long>(text.find(pattern)); });
    Measure("std::search (Horspool)", size, [&] {
        return static_cast<long long>(std::search(text.begin(), text.end(),
                                          std::boyer_moore_horspool_searcher(pattern.begin(), pattern.end()))
            - text.begin());
    });
#ifndef _WIN32
    Measure("memmem", size, [&] {
        const void* at = memmem(text.data(), text.size(), pattern.data(), pattern.size());
        return at ? static_cast<const char*>(at) - text.data() : -1LL;
    });
#endif
    Measure("PosText (case-folding)", size, [&] { return PosText(folded, text); });
    Measure("LastPosStr (absent)", size, [&] { return LastPosStr("Missing-Header", text); });
    Measure("std::string::rfind (absent)", size, [&] { return static_cast<long long>(text.rfind("Missing-Header")); });
    Measure("PosChar ('#', absent)", size, [&] { return PosChar('#', text); });
    Measure("std::string::find char", size, [&] { return static_cast<long long>(text.find('#')); });
    Measure("CountChar ('e')", size, [&] { return CountChar('e', text); });
    Measure("CountStr (\"ab\")", size, [&] { return CountStr("ab", text); });
    return 0;
}
