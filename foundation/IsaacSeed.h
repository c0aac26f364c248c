// The eight seed words a generator takes from the run time: the local time, the cursor, the last
// window message and the tick count, so two sessions never start from the same state.
#pragma once

#include "foundation/Isaac.h"

#include <array>
#include <cstdint>

// Second<<16|month, day<<16|hour, year<<16|milliseconds, minute<<16|weekday, cursor y<<16|x,
// message time, message position, tick count.
std::array<uint32_t, 8> RunTimeSeedWords();

// Seeds Gen with RunTimeSeedWords.
void SeedIsaacFromRunTime(TIsaac& Gen);
