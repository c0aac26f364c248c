// ISAAC: words of the reference algorithm for a zero seed and for an eight-word seed, block
// boundaries, repeatability of seeding, and the run-time seed words.
#include "foundation/Isaac.h"
#include "foundation/IsaacSeed.h"

#include <gtest/gtest.h>
#include <ctime>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::vector<uint32_t> Draw(TIsaac& Gen, int Count)
{
    std::vector<uint32_t> words;
    for (int i = 0; i < Count; ++i)
        words.push_back(IsaacNext(Gen));
    return words;
}

TEST(Isaac, ZeroSeedGivesReferenceWords)
{
    const uint32_t zeros[256] = {};
    TIsaac gen;
    SeedIsaac(gen, zeros, 255, true);
    const std::vector<uint32_t> w = Draw(gen, 513);
    EXPECT_EQ(w[0], 0xe76dd339u);
    EXPECT_EQ(w[255], 0x182600f3u);
    // Words 257-264: the first line of the reference program's published output.
    const uint32_t published[]
        = { 0xf650e4c8, 0xe448e96d, 0x98db2fb4, 0xf5fad54f, 0x433f1afb, 0xedec154a, 0xd8370487, 0x46ca4f9a };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(w[256 + i], published[i]) << "word " << 257 + i;
    EXPECT_EQ(w[512], 0x82ac484fu);
}

TEST(Isaac, EightWordSeedGivesReferenceWords)
{
    // Expected values from an independent transcription of the reference code.
    const uint32_t seed[8]
        = { 0x0001000c, 0x00080009, 0x07e90064, 0x001e0002, 0x01000200, 0x12345678, 0x9abcdef0, 0xdeadbeef };
    TIsaac gen;
    SeedIsaac(gen, seed, 7, true);
    const std::vector<uint32_t> w = Draw(gen, 513);
    EXPECT_EQ(w[0], 0x55a72027u);
    EXPECT_EQ(w[1], 0x8267e81cu);
    EXPECT_EQ(w[255], 0x4adef238u);
    EXPECT_EQ(w[256], 0x31a4aff5u);
    EXPECT_EQ(w[511], 0x8c673d52u);
    EXPECT_EQ(w[512], 0x5dfcea88u);
}

TEST(Isaac, WordsPastTheLastIndexAreNotSeed)
{
    uint32_t seed[9] = { 0x0001000c, 0x00080009, 0x07e90064, 0x001e0002, 0x01000200, 0x12345678, 0x9abcdef0,
        0xdeadbeef, 0xFFFFFFFF };
    TIsaac gen;
    SeedIsaac(gen, seed, 7, true);
    EXPECT_EQ(IsaacNext(gen), 0x55a72027u);
}

TEST(Isaac, SameSeedSameSequenceAndReseedRestarts)
{
    const uint32_t seed[8] = { 11, 22, 33, 44, 55, 66, 77, 88 };
    TIsaac a, b;
    SeedIsaac(a, seed, 7, true);
    SeedIsaac(b, seed, 7, true);
    const std::vector<uint32_t> first = Draw(a, 700);
    EXPECT_EQ(first, Draw(b, 700));
    SeedIsaac(a, seed, 7, true);
    EXPECT_EQ(Draw(a, 700), first);
}

TEST(Isaac, The257thCallStartsTheSecondBlock)
{
    TIsaac gen;
    SeedIsaac(gen, nullptr, 0, false);
    const std::vector<uint32_t> block = Draw(gen, 256);
    EXPECT_EQ(gen.Index, 0u);
    EXPECT_EQ(IsaacNext(gen), gen.Results[0]);
    EXPECT_NE(gen.Results[0], block[0]);
    EXPECT_EQ(gen.Index, 1u);
}

TEST(Isaac, SeedFlagOffIgnoresSeedWords)
{
    const uint32_t seed[8] = { 1, 2, 3, 4, 5, 6, 7, 8 };
    TIsaac withWords, without;
    SeedIsaac(withWords, seed, 7, false);
    SeedIsaac(without, nullptr, 0, false);
    const std::vector<uint32_t> unseeded = Draw(without, 300);
    EXPECT_EQ(Draw(withWords, 300), unseeded);
    TIsaac seeded;
    SeedIsaac(seeded, seed, 7, true);
    EXPECT_NE(Draw(seeded, 300), unseeded);
}

// The words carry the clock's fields in their halves and, on Windows, the cursor, the last message
// and the tick count in that order: a swapped or truncated word would weaken every seed.
TEST(Isaac, RunTimeSeedWordsCarryClockCursorAndMessage)
{
#ifdef _WIN32
    SetCursorPos(37, 21);
    POINT cursor {};
    GetCursorPos(&cursor);
    const DWORD ticksBefore = GetTickCount();
#endif
    const std::time_t seconds = std::time(nullptr);
    const std::array<uint32_t, 8> w = RunTimeSeedWords();
    std::tm local {};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    EXPECT_EQ(w[0] & 0xFFFF, static_cast<uint32_t>(local.tm_mon + 1));
    EXPECT_LT(w[0] >> 16, 60u);
    EXPECT_EQ(w[2] >> 16, static_cast<uint32_t>(local.tm_year + 1900));
    EXPECT_LT(w[2] & 0xFFFF, 1000u);
    EXPECT_EQ(w[3] & 0xFFFF, static_cast<uint32_t>(local.tm_wday));
    EXPECT_LT(w[3] >> 16, 60u);
#ifdef _WIN32
    EXPECT_EQ(w[4], static_cast<uint32_t>(cursor.y) << 16 | static_cast<uint32_t>(cursor.x));
    EXPECT_EQ(w[5], static_cast<uint32_t>(GetMessageTime()));
    EXPECT_EQ(w[6], static_cast<uint32_t>(GetMessagePos()));
    EXPECT_GE(w[7], ticksBefore);
    EXPECT_LE(w[7], GetTickCount());
#endif
}

} // namespace
