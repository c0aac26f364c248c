// Benchmark driver: Base64-encodes or -decodes a whole file into another, as the command-line
// tools it is compared with do, and reports the in-memory rate on stderr. Not a test; run by
// base64-bench.sh.
#include "foundation/Base64.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "encode") != 0 && std::strcmp(argv[1], "decode") != 0)) {
        std::fprintf(stderr, "usage: Base64Bench encode|decode IN OUT\n");
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    std::string data(std::filesystem::file_size(argv[2]), '\0');
    in.read(data.data(), static_cast<std::streamsize>(data.size()));
    const auto start = std::chrono::steady_clock::now();
    const std::string result = std::strcmp(argv[1], "encode") == 0 ? Base64Encode(data) : Base64Decode(data);
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    // The conversion alone, without the file I/O that the whole-process figure includes.
    std::fprintf(stderr, "%s in memory: %.0f MB/s\n", argv[1], data.size() / 1048576.0 / spent.count());
    std::ofstream out(argv[3], std::ios::binary);
    out.write(result.data(), static_cast<std::streamsize>(result.size()));
    return out ? 0 : 1;
}
