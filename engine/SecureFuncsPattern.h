// The patterns that overwrite a file being wiped, one sector at a time. Portable, so the fill is
// checked in the sanitizer build as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// The pattern fill of one pass never reaches further than this; a larger sector repeats it.
constexpr size_t kWipePatternSpan = 3072;
constexpr int kWipePatternCount = 22;

// Sector size to write with: the drive's answer, or 512 when it gave none.
size_t WipeSectorSize(uint32_t reported);
// Fills one sector with pattern entries (six bytes each, every pattern byte followed by a zero byte),
// each chosen by the next random word; returns the number of entries drawn.
int FillWipePattern(uint8_t* sector, size_t sectorSize, const std::function<uint32_t()>& nextRandom);
