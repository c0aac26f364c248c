// Benchmark driver (not a test): throughput of the quoted-printable and Base64 codecs on a mail-like
// text and on random bytes of SIZE megabytes, as `CodecBench SIZE`; prints one "name MB/s" line
// per figure, the best of five passes, for bench/run's table.
#include "foundation/Base64.h"
#include "mime/MailUtils.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

// Words and blanks in lines of up to 100 characters, with some accented Latin-1 letters.
std::string MailText(std::size_t size, std::mt19937& random)
{
    static const char* const words[] = { "message", "the", "signature", "Grüße", "of", "encrypted", "a", "key",
                                         "From", "reply", "attachment", "über", "to", "and", "café", "server" };
    std::string text;
    text.reserve(size + 16);
    std::size_t column = 0;
    while (text.size() < size) {
        std::string word = words[random() % std::size(words)];
        if (column + word.size() > 100) {
            text += "\r\n";
            column = 0;
        } else if (column > 0) {
            text += ' ';
            ++column;
        }
        text += word;
        column += word.size();
    }
    text.resize(size);
    return text;
}

template <typename Codec> double MegabytesPerSecond(const std::string& input, Codec codec)
{
    double best = 0;
    for (int pass = 0; pass < 5; ++pass) {
        auto start = std::chrono::steady_clock::now();
        std::string output = codec(input);
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (output.empty())
            std::abort();
        best = std::max(best, input.size() / 1e6 / took.count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t size = (argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64) << 20;
    std::mt19937 random(30);
    std::string text = MailText(size, random);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    std::string qpText = EncodeQuotedPrintable(text, "");
    std::string base64 = Base64Encode(bytes);
    std::printf("qp-encode %.0f\n", MegabytesPerSecond(text, [](const std::string& in) { return EncodeQuotedPrintable(in, ""); }));
    std::printf("qp-decode %.0f\n", MegabytesPerSecond(qpText, [](const std::string& in) { return DecodeQuotedPrintable(in, false); }));
    std::printf("base64-encode %.0f\n", MegabytesPerSecond(bytes, Base64Encode));
    std::printf("base64-decode %.0f\n", MegabytesPerSecond(base64, Base64Decode));
    return 0;
}
