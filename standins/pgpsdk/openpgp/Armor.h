// ASCII armour (RFC 4880 section 6): Base64 with a CRC-24 checksum between BEGIN and END lines,
// with "Key: value" headers. We write CR LF line ends and a blank line after the headers.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace standin::openpgp {

uint32_t Crc24(std::string_view data);

struct Armored {
    std::string label; // "PUBLIC KEY BLOCK", "MESSAGE", ...
    std::vector<std::pair<std::string, std::string>> headers;
    std::string data;
};

// Decodes the first armoured block in `text`. `end` (optional) receives the offset after its END
// line. No block gives kPGPError_UnsupportedFormat; a broken one kPGPError_CorruptData.
PGPError Dearmor(std::string_view text, Armored& block, size_t* end = nullptr);

std::string Armor(std::string_view label, std::string_view data,
                  const std::vector<std::pair<std::string, std::string>>& headers = {});

} // namespace standin::openpgp
