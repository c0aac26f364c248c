// ISAAC as in its reference code (block size 256): initialisation with the golden-ratio
// constant, the optional second seeding pass, and the block step. Results are read ascending.
#include "foundation/Isaac.h"

#include <algorithm>
#include <iterator>

namespace {

struct TMixRegisters {
    uint32_t a, b, c, d, e, f, g, h;

    // The reference layout, one line per register.
    // clang-format off
    void Mix()
    {
        a ^= b << 11; d += a; b += c;
        b ^= c >> 2;  e += b; c += d;
        c ^= d << 8;  f += c; d += e;
        d ^= e >> 16; g += d; e += f;
        e ^= f << 10; h += e; f += g;
        f ^= g >> 4;  a += f; g += h;
        g ^= h << 8;  b += g; h += a;
        h ^= a >> 9;  c += h; a += b;
    }

    void Add(const uint32_t* w)
    {
        a += w[0]; b += w[1]; c += w[2]; d += w[3];
        e += w[4]; f += w[5]; g += w[6]; h += w[7];
    }

    void Store(uint32_t* w) const
    {
        w[0] = a; w[1] = b; w[2] = c; w[3] = d;
        w[4] = e; w[5] = f; w[6] = g; w[7] = h;
    }
    // clang-format on
};

// Word of State selected by bits 2-9 of X.
uint32_t Indirect(const uint32_t* State, uint32_t X)
{
    return State[(X >> 2) & (IsaacBlockWords - 1)];
}

void GenerateBlock(TIsaac& Gen)
{
    uint32_t a = Gen.aa;
    uint32_t b = Gen.bb + (++Gen.cc);
    constexpr int half = IsaacBlockWords / 2;
    for (int i = 0; i < IsaacBlockWords; ++i) {
        // The shift of a changes with the step's position in each group of four.
        const uint32_t mix = i % 4 == 0 ? a << 13 : i % 4 == 1 ? a >> 6 : i % 4 == 2 ? a << 2 : a >> 16;
        const uint32_t x = Gen.State[i];
        a = (a ^ mix) + Gen.State[(i + half) % IsaacBlockWords];
        const uint32_t y = Indirect(Gen.State, x) + a + b;
        Gen.State[i] = y;
        b = Indirect(Gen.State, y >> 8) + x;
        Gen.Results[i] = b;
    }
    Gen.aa = a;
    Gen.bb = b;
}

} // namespace

void SeedIsaac(TIsaac& Gen, const uint32_t* Seed, int LastIndex, bool UseSeed)
{
    std::fill(std::begin(Gen.Results), std::end(Gen.Results), 0u);
    if (UseSeed && Seed != nullptr && LastIndex >= 0) {
        const int count = std::min(LastIndex, IsaacBlockWords - 1) + 1;
        std::copy(Seed, Seed + count, Gen.Results);
    }
    Gen.aa = Gen.bb = Gen.cc = 0;

    constexpr uint32_t golden = 0x9e3779b9;
    TMixRegisters r { golden, golden, golden, golden, golden, golden, golden, golden };
    for (int i = 0; i < 4; ++i)
        r.Mix();
    for (int i = 0; i < IsaacBlockWords; i += 8) {
        if (UseSeed)
            r.Add(Gen.Results + i);
        r.Mix();
        r.Store(Gen.State + i);
    }
    if (UseSeed) {
        // The second pass spreads every seed word over the whole state.
        for (int i = 0; i < IsaacBlockWords; i += 8) {
            r.Add(Gen.State + i);
            r.Mix();
            r.Store(Gen.State + i);
        }
    }
    GenerateBlock(Gen);
    Gen.Index = 0;
}

uint32_t IsaacNext(TIsaac& Gen)
{
    const uint32_t word = Gen.Results[Gen.Index % IsaacBlockWords];
    if (Gen.Index >= IsaacBlockWords - 1) {
        GenerateBlock(Gen);
        Gen.Index = 0;
    } else {
        ++Gen.Index;
    }
    return word;
}
