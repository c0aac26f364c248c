// The wipe patterns of one sector: which entry a random word picks, how far the entries reach,
// and how a sector larger than the pattern span is still covered completely.
#include "engine/SecureFuncsPattern.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Random words counting up from a start value, so the chosen entries are known.
struct TCountingRandom {
    int32_t next;
    int drawn = 0;
    uint32_t operator()()
    {
        ++drawn;
        return static_cast<uint32_t>(next++);
    }
};

TEST(WipePattern, EntryChosenByTheSignedRemainder)
{
    struct Case {
        int32_t word;
        uint8_t first, second, third;
    } cases[] = {
        { 0, 0x55, 0x55, 0x55 },
        { 1, 0xAA, 0xAA, 0xAA },
        { -23, 0xAA, 0xAA, 0xAA }, // |-23 rem 22| = 1
        { 2, 0x92, 0x49, 0x24 },
        { 21, 0xDB, 0x6D, 0xB6 },
        { 22 + 19, 0x6D, 0xB6, 0xDB },
        { INT32_MIN, 0x92, 0x49, 0x24 }, // |-2147483648 rem 22| = 2
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> sector(512);
        FillWipePattern(sector.data(), sector.size(), [&] { return static_cast<uint32_t>(c.word); });
        std::vector<uint8_t> expected = { c.first, 0, c.second, 0, c.third, 0 };
        EXPECT_EQ(std::vector<uint8_t>(sector.begin(), sector.begin() + 6), expected) << c.word;
    }
}

TEST(WipePattern, SectorSizesAndCoverage)
{
    struct Case {
        size_t sector;
        int entries;
    } cases[] = {
        { 512, 86 }, // 516 bytes of entries, the last one cut at the sector's end
        { 1024, 171 },
        { 3072, 512 },
        { 4096, 512 }, // the span stays at 3072 bytes; the rest repeats it
        { 8192, 512 },
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> sector(c.sector, 0xEE);
        TCountingRandom random { 5 };
        EXPECT_EQ(FillWipePattern(sector.data(), sector.size(), std::ref(random)), c.entries) << c.sector;
        EXPECT_EQ(random.drawn, c.entries);
        for (size_t i = 1; i < sector.size(); i += 2)
            ASSERT_EQ(sector[i], 0) << "high byte at " << i << " of " << c.sector;
        size_t span = std::min<size_t>(c.sector, 3072);
        for (size_t i = span; i < sector.size(); ++i)
            ASSERT_EQ(sector[i], sector[i - span]) << i;
    }
    // The last entry of a 512-byte sector is entry 85, cut after its first two bytes.
    std::vector<uint8_t> sector(512);
    TCountingRandom random { 0 };
    FillWipePattern(sector.data(), sector.size(), std::ref(random));
    EXPECT_EQ(sector[510], 0x6D); // the 86th word is 85: entry 19
    EXPECT_EQ(sector[511], 0);
}

TEST(WipePattern, UnknownSectorSizeFallsBack)
{
    EXPECT_EQ(WipeSectorSize(0), 512u);
    EXPECT_EQ(WipeSectorSize(4096), 4096u);
}

} // namespace
