// The own UTF-8 codec: characters of every length including surrogate pairs, unpaired halves,
// malformed input, the byte order mark, and random round trips.
#include "foundation/UTF8Codec.h"
#include "Utf16Text.h"
#include "foundation/Isaac.h"

#include <gtest/gtest.h>

namespace {

const struct {
    std::u16string utf16;
    std::string utf8;
} WellFormed[] = {
    { u"A", "A" },
    { u"\u00E9", "\xC3\xA9" },
    { u"\u07FF", "\xDF\xBF" },
    { u"\u0800", "\xE0\xA0\x80" },
    { u"\u20AC", "\xE2\x82\xAC" },
    { u"\uFFFF", "\xEF\xBF\xBF" },
    { u"\U0001F600", "\xF0\x9F\x98\x80" },
    { u"\U00010000", "\xF0\x90\x80\x80" },
    { u"\U0010FFFF", "\xF4\x8F\xBF\xBF" },
    { u"a\U0001F600b\u00E9",
        "a\xF0\x9F\x98\x80"
        "b\xC3\xA9" },
};

TEST(UTF8Codec, EncodesEveryLengthAndSurrogatePairs)
{
    for (const auto& c : WellFormed)
        EXPECT_EQ(EncodeUtf8(Utf16Bytes(c.utf16)), c.utf8) << c.utf8;
}

TEST(UTF8Codec, DecodesEveryLengthIntoSurrogatePairs)
{
    for (const auto& c : WellFormed)
        EXPECT_EQ(DecodeUtf8(c.utf8), Utf16Bytes(c.utf16)) << c.utf8;
}

TEST(UTF8Codec, EncoderKeepsUnpairedHalvesAndStopsAtNul)
{
    EXPECT_EQ(EncodeUtf8(Utf16Bytes(std::u16string(1, char16_t(0xD800)))), "\xED\xA0\x80");
    EXPECT_EQ(EncodeUtf8(Utf16Bytes(std::u16string { char16_t(0xDC00), u'A' })),
        "\xED\xB0\x80"
        "A");
    EXPECT_EQ(EncodeUtf8(Utf16Bytes(std::u16string { char16_t(0xD83D), u'A' })),
        "\xED\xA0\xBD"
        "A");
    EXPECT_EQ(EncodeUtf8(Utf16Bytes(std::u16string(u"ab\0cd", 5))), "ab");
    EXPECT_EQ(EncodeUtf8(Utf16Bytes(u"")), "");
    EXPECT_EQ(EncodeUtf8("A"), ""); // half a unit
}

TEST(UTF8Codec, MalformedInputGivesEmpty)
{
    const char* malformed[] = {
        "\x80", // lone continuation byte
        "ab\xBF"
        "cd",
        "\xFE", "\xFF", "a\xFF",
        "\xC3", // cut short
        "\xE2\x82",
        "\xC3"
        "A", // lead without continuation
        "\xF4\x90\x80\x80", // above U+10FFFF
        "\xF8\x88\x80\x80\x80", // five bytes
    };
    for (const char* text : malformed)
        EXPECT_EQ(DecodeUtf8(text), "") << text;
}

TEST(UTF8Codec, DecoderStopsAtNulAndTerminates)
{
    EXPECT_EQ(DecodeUtf8(std::string("ab\0\xFF", 4)), Utf16Bytes(u"ab"));
    EXPECT_EQ(DecodeUtf8(""), std::string(2, '\0'));
}

TEST(UTF8Codec, ByteOrderMark)
{
    EXPECT_TRUE(HasUtf8Bom("\xEF\xBB\xBF"));
    EXPECT_TRUE(HasUtf8Bom("\xEF\xBB\xBFx"));
    EXPECT_FALSE(HasUtf8Bom("\xEF\xBB"));
    EXPECT_FALSE(HasUtf8Bom(""));
    EXPECT_FALSE(HasUtf8Bom(nullptr));
    EXPECT_EQ(WithoutUtf8Bom("\xEF\xBB\xBF"
                             "abc"),
        "abc");
    EXPECT_EQ(WithoutUtf8Bom("abc"), "abc");
}

TEST(UTF8Codec, RandomRoundTrips)
{
    TIsaac gen;
    SeedIsaac(gen, nullptr, 0, false);
    for (int round = 0; round < 300; ++round) {
        std::u16string text;
        const int length = 1 + int(IsaacNext(gen) % 40);
        for (int i = 0; i < length; ++i) {
            uint32_t cp = 1 + IsaacNext(gen) % 0x10FFFF;
            if (cp >= 0xD800 && cp <= 0xDFFF)
                cp = 0xFFFD;
            if (cp >= 0x10000) {
                text += char16_t(0xD800 + ((cp - 0x10000) >> 10));
                text += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                text += char16_t(cp);
            }
        }
        const std::string utf16 = Utf16Bytes(text);
        ASSERT_EQ(DecodeUtf8(EncodeUtf8(utf16)), utf16) << round;
    }
}

} // namespace
