// The ISAAC random generator (256 words per block): the program's source of random 32-bit
// words for MIME boundaries, the passphrase cache and the file wiper.
#pragma once

#include <cstdint>

constexpr int IsaacBlockWords = 256;

// Generator state; a plain record, seeded by SeedIsaac before use.
struct TIsaac {
    uint32_t Index = 0; // next result word to hand out
    uint32_t Results[IsaacBlockWords] = {};
    uint32_t State[IsaacBlockWords] = {};
    uint32_t aa = 0, bb = 0, cc = 0;
};

// Initialises Gen. With UseSeed, words Seed[0..LastIndex] (LastIndex at most 255) are the seed
// and the rest of the seed block is zero; without it Seed is not read. The first block is
// generated and handed out from its first word.
void SeedIsaac(TIsaac& Gen, const uint32_t* Seed, int LastIndex, bool UseSeed);

// The next word; a new block is generated after the 256th word of a block.
uint32_t IsaacNext(TIsaac& Gen);
