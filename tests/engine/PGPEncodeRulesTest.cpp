// The encoder's SDK-free rules: hash choice resolution by key algorithm and S/MIME, SDK hash
// numbers, micalg codes, key-id lists and encrypt-to-self joining.
#include "engine/PGPEncodeRules.h"

#include <gtest/gtest.h>

namespace {

TEST(ResolveHashChoice, ByChoiceFamilyAndKeyAlgorithm)
{
    struct Case { int32_t choice; bool smime; int32_t algorithm; bool legacy; int32_t expected; };
    const Case cases[] = {
        { 4, false, 1, false, 4 }, { 6, false, 17, false, 6 }, { 0, false, 1, false, 2 }, { 0, false, 1, true, 1 },
        { 0, false, 17, false, 2 }, { 0, false, 16, false, 2 }, { 0, false, 22, false, kEncodeCannotSign },
        { 0, false, 19, false, kEncodeCannotSign }, { 4, true, 17, false, 2 }, { 2, true, 1, true, 2 },
        { 1, true, 1, false, 4 }, { 0, true, 1, true, 4 }, { 9, false, 1, false, 2 }, { 3, false, 22, false, 3 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveHashChoice(c.choice, c.smime, c.algorithm, c.legacy), c.expected)
            << c.choice << " " << c.smime << " " << c.algorithm;
}

TEST(HashNumbers, SdkAndMicalgCodes)
{
    const int32_t sdk[] = { 0, 1, 2, 3, 8, 9, 10 };
    for (int32_t choice = 0; choice <= 6; ++choice) {
        EXPECT_EQ(SdkHashOfChoice(choice), sdk[choice]);
        EXPECT_EQ(MicalgCodeOfChoice(choice), choice ? choice + 1 : 0);
    }
    EXPECT_EQ(SdkHashOfChoice(7), 0);
}

TEST(Recipients, KeyIDListsAndSelfOnce)
{
    EXPECT_TRUE(AllKeyIDs("0x1234ABCD"));
    EXPECT_TRUE(AllKeyIDs("0x1234ABCD1234ABCD, 0xDEADBEEF"));
    EXPECT_FALSE(AllKeyIDs(""));
    EXPECT_FALSE(AllKeyIDs("0x1234ABCD,ann@example.org"));
    EXPECT_FALSE(AllKeyIDs("0x123"));

    struct Case { const char* recipients; const char* signer; const char* expected; };
    const Case cases[] = { { "0xAA", "0xBB", "0xAA,0xBB" }, { "0xAA,0xbb", "0xBB", "0xAA,0xbb" },
        { "", "0xBB", "" }, { "0xAA", "", "0xAA" } };
    for (const Case& c : cases)
        EXPECT_EQ(WithSelfRecipient(c.recipients, c.signer), c.expected) << c.recipients;
}

} // namespace
