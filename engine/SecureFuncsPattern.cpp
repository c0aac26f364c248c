// The wipe pattern table and the fill of one sector with randomly chosen patterns.
#include "engine/SecureFuncsPattern.h"

#include <cstring>

namespace {

// Three 16-bit words per entry, written low byte first: each pattern byte is followed by a zero.
const uint16_t kWipePatterns[kWipePatternCount][3] = {
    { 0x55, 0x55, 0x55 }, { 0xAA, 0xAA, 0xAA }, { 0x92, 0x49, 0x24 }, { 0x49, 0x24, 0x92 },
    { 0x24, 0x92, 0x49 }, { 0x00, 0x00, 0x00 }, { 0xFF, 0xFF, 0xFF }, { 0x11, 0x11, 0x11 },
    { 0x22, 0x22, 0x22 }, { 0x33, 0x33, 0x33 }, { 0x44, 0x44, 0x44 }, { 0x66, 0x66, 0x66 },
    { 0x77, 0x77, 0x77 }, { 0x88, 0x88, 0x88 }, { 0x99, 0x99, 0x99 }, { 0xBB, 0xBB, 0xBB },
    { 0xCC, 0xCC, 0xCC }, { 0xDD, 0xDD, 0xDD }, { 0xEE, 0xEE, 0xEE }, { 0x6D, 0xB6, 0xDB },
    { 0xB6, 0xDB, 0x6D }, { 0xDB, 0x6D, 0xB6 },
};

constexpr size_t kEntryBytes = 6;

} // namespace

size_t WipeSectorSize(uint32_t reported)
{
    // A drive that gives no sector size (a network path) would leave the writes without progress.
    return reported == 0 ? 512 : reported;
}

int FillWipePattern(uint8_t* sector, size_t sectorSize, const std::function<uint32_t()>& nextRandom)
{
    size_t span = sectorSize < kWipePatternSpan ? sectorSize : kWipePatternSpan;
    std::memset(sector, 0, sectorSize);
    int drawn = 0;
    for (size_t pos = 0; pos < span; pos += kEntryBytes) {
        int32_t word = static_cast<int32_t>(nextRandom());
        int index = word % kWipePatternCount;
        const uint16_t* entry = kWipePatterns[index < 0 ? -index : index];
        ++drawn;
        uint8_t bytes[kEntryBytes];
        for (int w = 0; w < 3; ++w) {
            bytes[2 * w] = static_cast<uint8_t>(entry[w] & 0xFF);
            bytes[2 * w + 1] = static_cast<uint8_t>(entry[w] >> 8);
        }
        std::memcpy(sector + pos, bytes, span - pos < kEntryBytes ? span - pos : kEntryBytes);
    }
    // A sector larger than the pattern span repeats what was drawn, so every byte is overwritten.
    for (size_t pos = span; pos < sectorSize; pos += span)
        std::memcpy(sector + pos, sector, sectorSize - pos < span ? sectorSize - pos : span);
    return drawn;
}
