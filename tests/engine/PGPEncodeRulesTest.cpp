// The encoder's SDK-free rules: hash choice resolution by key algorithm and S/MIME, SDK hash
// numbers, micalg codes, key-id lists and encrypt-to-self joining.
#include "engine/PGPEncodeRules.h"

#include <gtest/gtest.h>

namespace {

TEST(ResolveHashChoice, ByChoiceFamilyAndKeyAlgorithm)
{
    // No choice signs with SHA-256 (4); a choice of the user stays, MD5 and SHA-1 included.
    struct Case { int32_t choice; bool smime; int32_t algorithm; int32_t expected; };
    const Case cases[] = {
        { 4, false, 1, 4 }, { 6, false, 17, 6 }, { 0, false, 1, 4 }, { 1, false, 1, 1 }, { 2, false, 17, 2 },
        { 0, false, 17, 4 }, { 0, false, 16, 4 }, { 0, false, 22, kEncodeCannotSign },
        { 0, false, 19, kEncodeCannotSign }, { 4, true, 17, 2 }, { 2, true, 1, 2 },
        { 1, true, 1, 4 }, { 0, true, 1, 4 }, { 9, false, 1, 4 }, { 3, false, 22, 3 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveHashChoice(c.choice, c.smime, c.algorithm), c.expected)
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
