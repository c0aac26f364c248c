// Benchmark (not a test): sections of a 50 MB message with 1,000 parts; prints seconds and MB/s
// for the multipart walk and for the protected-section finder.
#include "mime/MailUtils.h"
#include <chrono>
#include <cstdio>
#include <string>

namespace {

std::string BigMessage(std::size_t Parts, std::size_t PartBytes)
{
    std::string text = "From: a@example.org\r\nContent-Type: multipart/mixed; boundary=\"bench-boundary\"\r\n\r\n";
    std::string line;
    for (int i = 0; i < 76; ++i)
        line += static_cast<char>('A' + i % 26);
    line += "\r\n";
    for (std::size_t part = 0; part < Parts; ++part) {
        text += "--bench-boundary\r\nContent-Type: application/octet-stream; name=\"p" + std::to_string(part) +
                ".bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n";
        for (std::size_t size = 0; size < PartBytes; size += line.size())
            text += line;
    }
    text += "--bench-boundary--\r\n";
    return text;
}

double Seconds(std::chrono::steady_clock::time_point Since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Since).count();
}

} // namespace

int main()
{
    const std::string text = BigMessage(1000, 50 * 1024 * 1024 / 1000);
    const double megabytes = text.size() / 1048576.0;
    const TSharedText shared = MakeSharedText(text);

    auto start = std::chrono::steady_clock::now();
    THeaderData message = WholeTextSection(shared);
    FindHeaderEnd(message, hmAll);
    const std::string boundary = GetBoundary(message);
    int parts = 0;
    for (THeaderData part = FindNextPart(message, boundary, hmAll); part.Start > 0;
         part = FindNextPart(part, boundary, hmAll))
        ++parts;
    const double walk = Seconds(start);

    start = std::chrono::steady_clock::now();
    THeaderData found;
    const uint32_t kind = FindSecureSection(shared, found);
    const double finder = Seconds(start);

    std::printf("message %.1f MB, %d parts\n", megabytes, parts);
    std::printf("walk:   %.3f s, %.1f MB/s\n", walk, megabytes / walk);
    std::printf("finder: %.3f s, %.1f MB/s (kind %u)\n", finder, megabytes / finder, kind);
    return parts == 1000 ? 0 : 1;
}
