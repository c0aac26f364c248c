// UTF-8 <-> UTF-16 conversion of the charset unit, written out so that it behaves the same with
// and without the iconv library and builds natively for its fuzz target.
#include "foundation/UTF8Codec.h"

#include <cstdint>

namespace {

void PutUnit(std::string& Out, uint32_t Unit)
{
    Out += static_cast<char>(Unit & 0xFF);
    Out += static_cast<char>(Unit >> 8);
}

void PutUtf8(std::string& Out, uint32_t Value)
{
    if (Value < 0x80) {
        Out += static_cast<char>(Value);
    } else if (Value < 0x800) {
        Out += static_cast<char>(0xC0 | (Value >> 6));
        Out += static_cast<char>(0x80 | (Value & 0x3F));
    } else if (Value < 0x10000) {
        Out += static_cast<char>(0xE0 | (Value >> 12));
        Out += static_cast<char>(0x80 | ((Value >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Value & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | (Value >> 18));
        Out += static_cast<char>(0x80 | ((Value >> 12) & 0x3F));
        Out += static_cast<char>(0x80 | ((Value >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Value & 0x3F));
    }
}

bool IsHighSurrogate(uint32_t Unit)
{
    return Unit >= 0xD800 && Unit <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t Unit)
{
    return Unit >= 0xDC00 && Unit <= 0xDFFF;
}

int LeadingOnes(uint8_t Byte)
{
    int n = 0;
    while (n < 8 && (Byte & (0x80 >> n)) != 0)
        ++n;
    return n;
}

} // namespace

std::string EncodeUtf8(const std::string& Utf16)
{
    const std::size_t units = Utf16.size() / 2;
    const auto unitAt = [&](std::size_t i) {
        return uint32_t(uint8_t(Utf16[2 * i])) | uint32_t(uint8_t(Utf16[2 * i + 1])) << 8;
    };
    std::string out;
    out.reserve(Utf16.size() * 2);
    for (std::size_t i = 0; i < units; ++i) {
        const uint32_t unit = unitAt(i);
        if (unit == 0)
            break;
        if (IsHighSurrogate(unit) && i + 1 < units && IsLowSurrogate(unitAt(i + 1))) {
            PutUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
            ++i;
        } else {
            PutUtf8(out, unit);
        }
    }
    return out;
}

std::string DecodeUtf8(const std::string& Utf8)
{
    std::string out;
    out.reserve(Utf8.size() * 2 + 2);
    std::size_t i = 0;
    while (i < Utf8.size() && Utf8[i] != '\0') {
        const auto lead = static_cast<uint8_t>(Utf8[i++]);
        const int ones = LeadingOnes(lead);
        if (ones == 0) {
            PutUnit(out, lead);
            continue;
        }
        // A stray continuation byte, or 0xFE / 0xFF, which never occur in UTF-8.
        if (ones == 1 || ones >= 7)
            return {};
        uint32_t value = lead & (0x7F >> ones);
        for (int k = 1; k < ones; ++k) {
            if (i >= Utf8.size() || (static_cast<uint8_t>(Utf8[i]) & 0xC0) != 0x80)
                return {};
            value = (value << 6) | (static_cast<uint8_t>(Utf8[i++]) & 0x3F);
        }
        if (value > 0x10FFFF)
            return {};
        if (value >= 0x10000) {
            PutUnit(out, 0xD800 + ((value - 0x10000) >> 10));
            PutUnit(out, 0xDC00 + ((value - 0x10000) & 0x3FF));
        } else {
            PutUnit(out, value);
        }
    }
    PutUnit(out, 0);
    return out;
}

bool HasUtf8Bom(const char* Text)
{
    return Text != nullptr && static_cast<uint8_t>(Text[0]) == 0xEF && static_cast<uint8_t>(Text[1]) == 0xBB
        && static_cast<uint8_t>(Text[2]) == 0xBF;
}

std::string WithoutUtf8Bom(const std::string& Text)
{
    return HasUtf8Bom(Text.c_str()) ? Text.substr(3) : Text;
}
