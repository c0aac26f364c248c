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

// Two output characters for each 12-bit value, so a group of three bytes takes two look-ups.
constexpr std::array<char, 8192> MakePairTable()
{
    std::array<char, 8192> table {};
    for (std::size_t i = 0; i < 4096; ++i) {
        table[2 * i] = Alphabet[i >> 6];
        table[2 * i + 1] = Alphabet[i & 63];
    }
    return table;
}

constexpr std::array<char, 8192> PairTable = MakePairTable();

// The value of a character already shifted to its place in a quad; a skipped character sets a bit
// no valid quad has, so one test tells whether four characters decode directly.
constexpr uint32_t NotInQuad = 1u << 24;

constexpr std::array<uint32_t, 256> MakeShiftedTable(int Shift)
{
    std::array<uint32_t, 256> table {};
    for (std::size_t c = 0; c < 256; ++c)
        table[c] = DecodeTable[c] == Skipped ? NotInQuad : uint32_t(DecodeTable[c]) << Shift;
    return table;
}

constexpr std::array<uint32_t, 256> Shifted18 = MakeShiftedTable(18);
constexpr std::array<uint32_t, 256> Shifted12 = MakeShiftedTable(12);
constexpr std::array<uint32_t, 256> Shifted6 = MakeShiftedTable(6);
constexpr std::array<uint32_t, 256> Shifted0 = MakeShiftedTable(0);

// Decodes whole quads of alphabet characters from In up to End; returns where it stopped.
const uint8_t* DecodeQuads(const uint8_t* In, const uint8_t* End, char*& Out)
{
    for (; End - In >= 4; In += 4) {
        const uint32_t bits = Shifted18[In[0]] | Shifted12[In[1]] | Shifted6[In[2]] | Shifted0[In[3]];
        if (bits & NotInQuad)
            break;
        Out[0] = static_cast<char>(bits >> 16);
        Out[1] = static_cast<char>(bits >> 8);
        Out[2] = static_cast<char>(bits);
        Out += 3;
    }
    return In;
}

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
            const char* high = &PairTable[2 * (bits >> 12)];
            const char* low = &PairTable[2 * (bits & 4095)];
            out[0] = high[0];
            out[1] = high[1];
            out[2] = low[0];
            out[3] = low[1];
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

std::size_t Base64DecodedSize(std::string_view Text)
{
    std::size_t letters = 0;
    for (const char c : Text)
        letters += DecodeTable[static_cast<uint8_t>(c)] != Skipped;
    // Two or three letters after the last whole quad give one or two bytes; a lone one none.
    const std::size_t tail = letters % 4;
    return letters / 4 * 3 + (tail > 1 ? tail - 1 : 0);
}

std::string Base64Decode(std::string_view Text)
{
    std::string result((Text.size() + 3) / 4 * 3, '\0');
    char* out = result.data();
    uint32_t buffer = 0;
    int held = 0;
    const auto* in = reinterpret_cast<const uint8_t*>(Text.data());
    const uint8_t* end = in + Text.size();
    while (in < end) {
        // Between quads, runs of plain alphabet (whole lines) go four characters at a time.
        if (held == 0 && (in = DecodeQuads(in, end, out)) == end)
            break;
        const uint8_t value = DecodeTable[*in++];
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
