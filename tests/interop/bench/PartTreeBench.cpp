// Benchmark driver (not a test): the part tree of one message file with every leaf decoded, as
// `PartTreeBench FILE`; `PartTreeBench --write FILE` first writes the benchmark's message: 50 MB
// with 1,000 parts (quoted-printable text and Base64 data) and one 30 MB attachment;
// `PartTreeBench --read FILE` only reads the message into memory, the floor of the first form.
// Timed from outside by bench/run, beside GMime's parser on the same file.
#include "foundation/Base64.h"
#include "mime/MailUtils.h"
#include "mime/MimeMsgTree.h"

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>

namespace {

std::string Lines(std::string Body)
{
    std::string out;
    for (std::size_t at = 0; at < Body.size(); at += 76)
        out += Body.substr(at, 76) + "\r\n";
    return out;
}

std::string BenchMessage()
{
    std::mt19937 random(30);
    std::string text = "From: a@example.org\r\nTo: b@example.org\r\nSubject: bench\r\nMIME-Version: 1.0\r\n"
                       "Content-Type: multipart/mixed; boundary=\"bench-boundary\"\r\n\r\n";
    std::string words;
    while (words.size() < 19000) {
        static const char* const vocabulary[] = { "message", "the", "Grüße", "of", "encrypted", "über", "café", "key" };
        words += vocabulary[random() % 8];
        words += words.size() % 90 < 8 ? "\r\n" : " ";
    }
    std::string bytes(15000, '\0');
    for (std::size_t part = 0; part < 999; ++part) {
        text += "--bench-boundary\r\n";
        if (part % 2 == 0) {
            text += "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n";
            text += EncodeQuotedPrintable(words, "") + "\r\n";
        } else {
            for (char& c : bytes)
                c = static_cast<char>(random());
            text += "Content-Type: application/octet-stream; name=\"p" + std::to_string(part) +
                    ".bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" + Lines(Base64Encode(bytes));
        }
    }
    std::string attachment(22 << 20, '\0'); // 30 MB in Base64
    for (char& c : attachment)
        c = static_cast<char>(random());
    text += "--bench-boundary\r\nContent-Type: application/octet-stream; name=\"big.bin\"\r\n"
            "Content-Disposition: attachment; filename=\"big.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
        Lines(Base64Encode(attachment)) + "--bench-boundary--\r\n";
    return text;
}

// The message in memory once, as the plug-in has it.
bool ReadMessage(const char* Path, std::string& Text)
{
    std::FILE* file = std::fopen(Path, "rb");
    if (!file)
        return false;
    if (std::fseek(file, 0, SEEK_END) != 0) {
        std::fclose(file);
        return false;
    }
    Text.assign(static_cast<std::size_t>(std::ftell(file)), '\0');
    const bool read = std::fseek(file, 0, SEEK_SET) == 0 && std::fread(Text.data(), 1, Text.size(), file) == Text.size();
    std::fclose(file);
    return read;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write") == 0) {
        std::string text = BenchMessage();
        std::FILE* file = std::fopen(argv[2], "wb");
        bool ok = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
        return file && std::fclose(file) == 0 && ok ? 0 : 1;
    }
    std::string text;
    if (argc == 3 && std::strcmp(argv[1], "--read") == 0)
        return ReadMessage(argv[2], text) ? 0 : 1;
    if (argc != 2) {
        std::fprintf(stderr, "usage: PartTreeBench [--write | --read] FILE\n");
        return 2;
    }
    if (!ReadMessage(argv[1], text))
        return 1;
    TMimeMsgTree tree;
    tree.LoadMessage(std::move(text), 1, 0, 0);
    std::size_t decoded = 0;
    for (int i = 0; i < tree.SectionCount(); ++i)
        decoded += tree.GetSection(i)->DecodedSize;
    std::printf("%d parts, %zu bytes decoded\n", tree.SectionCount(), decoded);
    return tree.SectionCount() > 1000 ? 0 : 1;
}
