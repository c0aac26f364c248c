// Benchmark driver: Base64-encodes or -decodes a whole file into another, as the command-line
// tools it is compared with do. Not a test; run by base64-bench.sh.
#include "foundation/Base64.h"

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
    const std::string result = std::strcmp(argv[1], "encode") == 0 ? Base64Encode(data) : Base64Decode(data);
    std::ofstream out(argv[3], std::ios::binary);
    out.write(result.data(), static_cast<std::streamsize>(result.size()));
    return out ? 0 : 1;
}
