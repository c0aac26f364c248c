// Base64: line layout and padding of the encoder, the skipping decoder, and round trips of
// random binary data.
#include "foundation/Base64.h"
#include "foundation/Isaac.h"

#include <gtest/gtest.h>

namespace {

std::string RandomBytes(TIsaac& Gen, std::size_t N)
{
    std::string bytes(N, '\0');
    for (auto& b : bytes)
        b = static_cast<char>(IsaacNext(Gen));
    return bytes;
}

TEST(Base64, EncodedSizeMatchesOutputAndFormula)
{
    const struct {
        std::size_t n, size;
    } cases[] = { { 0, 0 }, { 1, 4 }, { 2, 4 }, { 3, 4 }, { 56, 76 }, { 57, 76 }, { 58, 82 }, { 114, 154 },
        { 115, 160 }, { 171, 232 }, { 172, 238 } };
    for (const auto& c : cases) {
        EXPECT_EQ(Base64EncodedSize(c.n), c.size) << c.n;
        EXPECT_EQ(Base64Encode(std::string(c.n, 'x')).size(), c.size) << c.n;
    }
}

TEST(Base64, KnownVectorsAndPadding)
{
    const struct {
        const char *plain, *encoded;
    } cases[] = { { "", "" }, { "f", "Zg==" }, { "fo", "Zm8=" }, { "foo", "Zm9v" }, { "foob", "Zm9vYg==" },
        { "fooba", "Zm9vYmE=" }, { "foobar", "Zm9vYmFy" }, { "\xFF\xFE\xFD", "//79" },
        { "\xFB\xEF", "++8=" } };
    for (const auto& c : cases) {
        EXPECT_EQ(Base64Encode(c.plain), c.encoded) << c.plain;
        EXPECT_EQ(Base64Decode(c.encoded), c.plain) << c.encoded;
    }
}

TEST(Base64, LinesOf76CharactersSeparatedByCrLfOnly)
{
    const std::string one = Base64Encode(std::string(57, 'a'));
    EXPECT_EQ(one.size(), 76u);
    EXPECT_EQ(one.find('\r'), std::string::npos);

    const std::string two = Base64Encode(std::string(58, 'a'));
    ASSERT_EQ(two.size(), 82u);
    EXPECT_EQ(two.substr(76, 2), "\r\n");
    EXPECT_EQ(two.substr(78), "YQ==");

    const std::string three = Base64Encode(std::string(171, 'a')); // exactly three full lines
    ASSERT_EQ(three.size(), 232u);
    EXPECT_EQ(three.substr(76, 2), "\r\n");
    EXPECT_EQ(three.substr(154, 2), "\r\n");
    EXPECT_NE(three.back(), '\n');
}

TEST(Base64, DecoderSkipsEveryNonAlphabetByte)
{
    TIsaac gen;
    SeedIsaac(gen, nullptr, 0, false);
    const std::string bytes = RandomBytes(gen, 200);
    const std::string clean = Base64Encode(bytes);
    std::string noisy;
    for (std::size_t i = 0; i < clean.size(); ++i) {
        noisy += clean[i];
        noisy += std::string(" \t=\0\x80\xFF-*.:!\"", 12).substr(i % 12, 1 + i % 3);
    }
    noisy += "====\r\n";
    EXPECT_EQ(Base64Decode(noisy), bytes);

    std::string joined;
    for (const char c : clean)
        if (c != '\r' && c != '\n')
            joined += c;
    EXPECT_EQ(Base64Decode(joined), bytes);
}

TEST(Base64, TrailingGroupsOfTwoThreeAndOneCharacters)
{
    EXPECT_EQ(Base64Decode("Zm9vYmFyZg"), "foobarf");
    EXPECT_EQ(Base64Decode("Zm9vYmFyZm8"), "foobarfo");
    EXPECT_EQ(Base64Decode("Zm9vYmFyZ"), "foobar"); // 4k + 1 characters: the last is dropped
    EXPECT_EQ(Base64Decode("Z"), "");
    EXPECT_EQ(Base64Decode("===="), "");
    EXPECT_EQ(Base64Decode(""), "");
}

TEST(Base64, RandomRoundTripsOverManyLengths)
{
    TIsaac gen;
    const uint32_t seed[8] = { 1, 2, 3, 4, 5, 6, 7, 8 };
    SeedIsaac(gen, seed, 7, true);
    for (std::size_t n = 0; n <= 400; ++n) {
        const std::string bytes = RandomBytes(gen, n);
        const std::string text = Base64Encode(bytes);
        ASSERT_EQ(text.size(), Base64EncodedSize(n));
        ASSERT_EQ(Base64Decode(text), bytes) << n;
    }
    const std::string large = RandomBytes(gen, 1 << 20);
    EXPECT_EQ(Base64Decode(Base64Encode(large)), large);
}

} // namespace
