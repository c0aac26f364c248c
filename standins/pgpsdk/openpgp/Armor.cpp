// ASCII armour: CRC-24, Base64 in 64-column lines, the armour header lines and their parsing.
#include "standins/pgpsdk/openpgp/Armor.h"

#include <algorithm>

namespace standin::openpgp {
namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

std::string Base64Encode(std::string_view data)
{
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    for (size_t i = 0; i < data.size(); i += 3) {
        uint32_t chunk = static_cast<uint8_t>(data[i]) << 16;
        if (i + 1 < data.size())
            chunk |= static_cast<uint8_t>(data[i + 1]) << 8;
        if (i + 2 < data.size())
            chunk |= static_cast<uint8_t>(data[i + 2]);
        out += kBase64[chunk >> 18 & 63];
        out += kBase64[chunk >> 12 & 63];
        out += i + 1 < data.size() ? kBase64[chunk >> 6 & 63] : '=';
        out += i + 2 < data.size() ? kBase64[chunk & 63] : '=';
    }
    return out;
}

// Decodes Base64 ignoring white space; false on any other character or bad padding.
bool Base64Decode(std::string_view text, std::string& out)
{
    uint32_t bits = 0;
    int count = 0;
    int padding = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        int value = Base64Value(c);
        if (value < 0 || padding)
            return false;
        bits = bits << 6 | static_cast<uint32_t>(value);
        if (++count == 4) {
            out += static_cast<char>(bits >> 16 & 0xFF);
            out += static_cast<char>(bits >> 8 & 0xFF);
            out += static_cast<char>(bits & 0xFF);
            bits = 0;
            count = 0;
        }
    }
    if (count == 1 || padding > 2 || (padding && count + padding != 4))
        return false;
    if (count == 2)
        out += static_cast<char>(bits >> 4 & 0xFF);
    if (count == 3) {
        out += static_cast<char>(bits >> 10 & 0xFF);
        out += static_cast<char>(bits >> 2 & 0xFF);
    }
    return true;
}

// Splits `text` into lines without their line ends; `next` is where the following line starts.
std::string_view LineAt(std::string_view text, size_t at, size_t& next)
{
    size_t end = text.find('\n', at);
    next = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view line = text.substr(at, (end == std::string_view::npos ? text.size() : end) - at);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return line;
}

bool StartsWith(std::string_view text, std::string_view head) { return text.substr(0, head.size()) == head; }

// "-----BEGIN PGP X-----" gives "X"; empty when the line is no armour line of that kind.
std::string_view ArmorLabel(std::string_view line, std::string_view kind)
{
    std::string_view head = kind;
    if (!StartsWith(line, head) || line.size() < head.size() + 5 || line.substr(line.size() - 5) != "-----")
        return {};
    return line.substr(head.size(), line.size() - head.size() - 5);
}

} // namespace

uint32_t Crc24(std::string_view data)
{
    uint32_t crc = 0xB704CE;
    for (char c : data) {
        crc ^= static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16;
        for (int i = 0; i < 8; ++i) {
            crc <<= 1;
            if (crc & 0x1000000)
                crc ^= 0x1864CFB;
        }
    }
    return crc & 0xFFFFFF;
}

PGPError Dearmor(std::string_view text, Armored& block, size_t* end)
{
    size_t at = 0, next = 0;
    std::string_view label;
    for (; at < text.size(); at = next) {
        label = ArmorLabel(LineAt(text, at, next), "-----BEGIN PGP ");
        if (!label.empty())
            break;
    }
    if (label.empty())
        return kPGPError_UnsupportedFormat;
    block = Armored {};
    block.label.assign(label);
    // Header lines up to the first empty line.
    for (at = next; at < text.size(); at = next) {
        std::string_view line = LineAt(text, at, next);
        if (line.empty())
            break;
        // "Key: value"; a header whose value is empty may have lost its blank to line trimming.
        size_t colon = line.find(": ");
        if (colon == std::string_view::npos && !line.empty() && line.back() == ':')
            colon = line.size() - 1;
        if (colon == std::string_view::npos)
            return kPGPError_CorruptData;
        block.headers.emplace_back(line.substr(0, colon), line.substr(std::min(colon + 2, line.size())));
    }
    std::string body;
    std::string_view checksum;
    for (at = next; at < text.size(); at = next) {
        std::string_view line = LineAt(text, at, next);
        std::string_view endLabel = ArmorLabel(line, "-----END PGP ");
        if (!endLabel.empty()) {
            if (endLabel != label)
                return kPGPError_CorruptData;
            if (!Base64Decode(body, block.data))
                return kPGPError_CorruptData;
            if (!checksum.empty()) {
                std::string crc;
                if (checksum.size() != 4 || !Base64Decode(checksum, crc) || crc.size() != 3)
                    return kPGPError_CorruptData;
                uint32_t stored = static_cast<uint8_t>(crc[0]) << 16 | static_cast<uint8_t>(crc[1]) << 8
                    | static_cast<uint8_t>(crc[2]);
                if (stored != Crc24(block.data))
                    return kPGPError_CorruptData;
            }
            if (end)
                *end = next;
            return kPGPError_NoErr;
        }
        if (!line.empty() && line[0] == '=' && line.size() == 5) {
            checksum = line.substr(1);
            continue;
        }
        if (!checksum.empty())
            return kPGPError_CorruptData; // data after the checksum line
        body.append(line);
    }
    return kPGPError_CorruptData; // no END line
}

std::string Armor(std::string_view label, std::string_view data,
                  const std::vector<std::pair<std::string, std::string>>& headers)
{
    auto line = [](std::string& out, std::initializer_list<std::string_view> parts) {
        for (auto part : parts)
            out.append(part);
        out.append("\r\n");
    };
    std::string out;
    line(out, { "-----BEGIN PGP ", label, "-----" });
    for (const auto& [key, value] : headers)
        if (!value.empty()) // an empty header says nothing
            line(out, { key, ": ", value });
    line(out, {});
    std::string encoded = Base64Encode(data);
    for (size_t i = 0; i < encoded.size(); i += 64)
        line(out, { std::string_view(encoded).substr(i, 64) });
    uint32_t crc = Crc24(data);
    std::string crcBytes { static_cast<char>(crc >> 16), static_cast<char>(crc >> 8 & 0xFF),
                           static_cast<char>(crc & 0xFF) };
    line(out, { "=", Base64Encode(crcBytes) });
    line(out, { "-----END PGP ", label, "-----" });
    return out;
}

} // namespace standin::openpgp
