// Test helper: UTF-16 byte strings (little-endian units and the counted two-byte NUL) from
// UTF-16 literals.
#pragma once

#include <string>

inline std::string Utf16Bytes(const std::u16string& Text, bool WithNul = true)
{
    std::string bytes;
    for (const char16_t unit : Text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    if (WithNul)
        bytes.append(2, '\0');
    return bytes;
}
