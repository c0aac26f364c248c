// MIME Base64 encoder and decoder (RFC 2045 alphabet); pure byte arithmetic, no platform calls.
#include "foundation/Base64.h"

#include <array>
#include <cstdint>

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t BytesPerLine = 57;
constexpr uint8_t Skipped = 0xFF;

constexpr std::array<uint8_t, 256> MakeDecodeTable()
{
    std::array<uint8_t, 256> table {};
    for (auto& entry : table)
        entry = Skipped;
    for (uint8_t i = 0; i < 64; ++i)
        table[static_cast<uint8_t>(Alphabet[i])] = i;
    return table;
}

constexpr std::array<uint8_t, 256> DecodeTable = MakeDecodeTable();

// Writes the quad for the last one or two bytes of the input, padded with "=".
char* EncodePaddedGroup(const uint8_t* In, std::size_t Count, char* Out)
{
    const uint32_t bits = (uint32_t(In[0]) << 16) | (Count > 1 ? uint32_t(In[1]) << 8 : 0);
    *Out++ = Alphabet[bits >> 18];
    *Out++ = Alphabet[(bits >> 12) & 63];
    *Out++ = Count > 1 ? Alphabet[(bits >> 6) & 63] : '=';
    *Out++ = '=';
    return Out;
}

} // namespace

std::size_t Base64EncodedSize(std::size_t N)
{
    if (N == 0)
        return 0;
    return (N + 2) / 3 * 4 + (N - 1) / BytesPerLine * 2;
}

std::string Base64Encode(const std::string& Bytes)
{
    std::string result(Base64EncodedSize(Bytes.size()), '\0');
    const auto* in = reinterpret_cast<const uint8_t*>(Bytes.data());
    char* out = result.data();
    std::size_t left = Bytes.size();
    while (left > 0) {
        const std::size_t lineBytes = left < BytesPerLine ? left : BytesPerLine;
        std::size_t done = 0;
        for (; done + 3 <= lineBytes; done += 3) {
            const uint32_t bits = (uint32_t(in[done]) << 16) | (uint32_t(in[done + 1]) << 8) | in[done + 2];
            out[0] = Alphabet[bits >> 18];
            out[1] = Alphabet[(bits >> 12) & 63];
            out[2] = Alphabet[(bits >> 6) & 63];
            out[3] = Alphabet[bits & 63];
            out += 4;
        }
        if (done < lineBytes)
            out = EncodePaddedGroup(in + done, lineBytes - done, out);
        in += lineBytes;
        left -= lineBytes;
        if (left > 0) {
            *out++ = '\r';
            *out++ = '\n';
        }
    }
    return result;
}

std::string Base64Decode(const std::string& Text)
{
    std::string result((Text.size() + 3) / 4 * 3, '\0');
    char* out = result.data();
    uint32_t buffer = 0;
    int held = 0;
    for (const char c : Text) {
        const uint8_t value = DecodeTable[static_cast<uint8_t>(c)];
        if (value == Skipped)
            continue;
        buffer = (buffer << 6) | value;
        if (++held == 4) {
            *out++ = static_cast<char>(buffer >> 16);
            *out++ = static_cast<char>(buffer >> 8);
            *out++ = static_cast<char>(buffer);
            buffer = 0;
            held = 0;
        }
    }
    if (held == 3) {
        *out++ = static_cast<char>(buffer >> 10);
        *out++ = static_cast<char>(buffer >> 2);
    } else if (held == 2) {
        *out++ = static_cast<char>(buffer >> 4);
    }
    result.resize(static_cast<std::size_t>(out - result.data()));
    return result;
}
