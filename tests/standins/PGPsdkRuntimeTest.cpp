// The stand-in SDK's runtime: handle validation, option ownership, init counting, secure memory,
// key-id texts and status texts, called directly (natively under the sanitizers, and under Wine).
#include "standins/pgpsdk/StandInExports.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace {

class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(PGPsdkInit(0), kPGPError_NoErr);
        ASSERT_EQ(PGPNewContext(kPGPContextVersion, &context), kPGPError_NoErr);
        baseline = StandInLiveHandleCount();
    }
    void TearDown() override
    {
        EXPECT_EQ(PGPFreeContext(context), kPGPError_NoErr);
        EXPECT_EQ(PGPsdkCleanup(), kPGPError_NoErr);
    }
    PGPContextRef context = 0;
    uint32_t baseline = 0;
};

TEST_F(RuntimeTest, StaleForeignAndWrongKindHandlesAreRefused)
{
    PGPFileSpecRef spec = 0;
    ASSERT_EQ(PGPNewFileSpecFromFullPath(context, "C:\\keys\\pubring.pkr", &spec), kPGPError_NoErr);
    ASSERT_EQ(PGPFreeFileSpec(spec), kPGPError_NoErr);
    const PGPHandle stale = spec;
    const struct {
        const char* what;
        PGPHandle handle;
    } cases[] = { { "zero", 0 }, { "end marker", kPGPEndOfOptions }, { "stale", stale },
                  { "never issued", 0x7FFFFFF0 }, { "context as spec", context } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PGPFreeFileSpec(c.handle), kPGPError_BadParams);
        EXPECT_EQ(PGPFreeOptionList(c.handle), kPGPError_BadParams);
        EXPECT_EQ(PGPOOutputFile(context, c.handle), 0u);
    }
    EXPECT_EQ(StandInLiveHandleCount(), baseline);
}

TEST_F(RuntimeTest, OptionConstructorsNeedAValidContext)
{
    EXPECT_EQ(PGPOArmorOutput(0, 1), 0u);
    EXPECT_EQ(PGPOPassphrase(context + 1000, "x"), 0u);
    EXPECT_EQ(PGPOPassphrase(context, nullptr), 0u);
    EXPECT_EQ(PGPOPreferredAlgorithms(context, nullptr, 2), 0u);
    int32_t nine[9] = {};
    EXPECT_EQ(PGPOPreferredAlgorithms(context, nine, 9), 0u);
    EXPECT_EQ(PGPOExportFormat(context, 7), 0u);
    EXPECT_EQ(StandInLiveHandleCount(), baseline);
}

TEST_F(RuntimeTest, BuildOptionListConsumesEveryOptionAlsoOnFailure)
{
    PGPOptionListRef list = 0;
    PGPOptionListRef armor = PGPOArmorOutput(context, 1);
    PGPOptionListRef pass = PGPOPassphrase(context, "secret");
    ASSERT_NE(armor, 0u);
    EXPECT_EQ(PGPBuildOptionList(context, &list, armor, PGPHandle(0x7FFFFFF0), pass, kPGPEndOfOptions),
              kPGPError_BadParams);
    EXPECT_EQ(list, 0u);
    EXPECT_EQ(StandInIsOptionList(armor), 0);
    EXPECT_EQ(StandInIsOptionList(pass), 0);
    EXPECT_EQ(StandInLiveHandleCount(), baseline);
}

TEST_F(RuntimeTest, BuiltAndAppendedListsOwnTheirOptionsUntilFreed)
{
    PGPOptionListRef list = 0;
    ASSERT_EQ(PGPBuildOptionList(context, &list, PGPOCompression(context, 1), PGPONullOption(context),
                                 kPGPEndOfOptions),
              kPGPError_NoErr);
    EXPECT_EQ(StandInLiveHandleCount(), baseline + 1);
    PGPOptionListRef input = PGPOInputBuffer(context, "abc", 3);
    EXPECT_EQ(PGPAppendOptionList(list, input, PGPOLastOption(context)), kPGPError_NoErr);
    EXPECT_EQ(StandInIsOptionList(input), 0);
    EXPECT_EQ(StandInIsOptionList(list), 1);
    // A failed append still takes the options, and the list stays usable.
    EXPECT_EQ(PGPAppendOptionList(list, PGPOArmorOutput(context, 0), PGPHandle(0), kPGPEndOfOptions),
              kPGPError_BadParams);
    EXPECT_EQ(StandInLiveHandleCount(), baseline + 1);
    EXPECT_EQ(PGPFreeOptionList(list), kPGPError_NoErr);
    EXPECT_EQ(PGPFreeOptionList(list), kPGPError_BadParams);
    EXPECT_EQ(StandInLiveHandleCount(), baseline);
}

TEST_F(RuntimeTest, NestedOptionsAndRefusedJobsConsumeTheirArguments)
{
    PGPOptionListRef detached = PGPODetachedSig(context, PGPOInputBuffer(context, "x", 1), kPGPEndOfOptions);
    ASSERT_NE(detached, 0u);
    EXPECT_EQ(StandInLiveHandleCount(), baseline + 1);
    EXPECT_EQ(PGPOConventionalEncrypt(context, PGPOPassphrase(context, "p"), PGPHandle(5), kPGPEndOfOptions), 0u);
    // A job refused for want of input still takes every option it was given.
    EXPECT_EQ(PGPEncode(context, detached, PGPOArmorOutput(context, 1), kPGPEndOfOptions), kPGPError_BadOption);
    EXPECT_EQ(PGPAddJobOptions(PGPHandle(77), PGPOArmorOutput(context, 1), kPGPEndOfOptions), kPGPError_BadParams);
    EXPECT_EQ(StandInLiveHandleCount(), baseline);
}

TEST_F(RuntimeTest, OutputBufferOptionsResetTheCallersVariables)
{
    void* buffer = reinterpret_cast<void*>(1);
    PGPSize length = 99;
    PGPOptionListRef option = PGPOAllocatedOutputBuffer(context, &buffer, ~0u, &length);
    ASSERT_NE(option, 0u);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(PGPOAllocatedOutputBuffer(context, nullptr, 0, &length), 0u);
    EXPECT_EQ(PGPFreeOptionList(option), kPGPError_NoErr);
}

TEST(Runtime, InitIsCountedAndCleanupKeepsLiveHandles)
{
    PGPContextRef context = 0;
    EXPECT_EQ(PGPsdkCleanup(), kPGPError_BadParams);
    EXPECT_EQ(PGPNewContext(kPGPContextVersion, &context), kPGPError_BadParams);
    ASSERT_EQ(PGPsdkInit(0), kPGPError_NoErr);
    ASSERT_EQ(PGPsdkInit(0), kPGPError_NoErr);
    EXPECT_EQ(PGPNewContext(kPGPContextVersion + 1, &context), kPGPError_BadParams);
    ASSERT_EQ(PGPNewContext(kPGPContextVersion, &context), kPGPError_NoErr);
    EXPECT_EQ(PGPsdkCleanup(), kPGPError_NoErr);
    EXPECT_GT(PGPsdkReconnect(), 0);
    EXPECT_EQ(PGPsdkCleanup(), kPGPError_NoErr);
    EXPECT_EQ(StandInInitCount(kStandInCore), 0);
    // Clean-up never invalidates what callers still hold.
    EXPECT_EQ(PGPFreeContext(context), kPGPError_NoErr);
}

TEST(Runtime, SecureDataIsZeroedAndOnlyOurBlocksAreFreed)
{
    EXPECT_EQ(PGPNewSecureData(0, 16, 0), nullptr);
    PGPMemoryMgrRef manager = PGPGetDefaultMemoryMgr();
    EXPECT_EQ(PGPGetDefaultMemoryMgr(), manager);
    EXPECT_EQ(PGPNewSecureData(manager, 0, 0), nullptr);
    auto* data = static_cast<unsigned char*>(PGPNewSecureData(manager, 100, 0));
    ASSERT_NE(data, nullptr);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(data[i], 0);
    std::memcpy(data, "passphrase", 10);
    char foreign[8];
    EXPECT_EQ(PGPFreeData(foreign), kPGPError_BadParams);
    EXPECT_EQ(PGPFreeData(nullptr), kPGPError_BadParams);
    EXPECT_EQ(PGPFreeData(data), kPGPError_NoErr);
    EXPECT_EQ(PGPFreeData(data), kPGPError_BadParams);
}

TEST(Runtime, KeyIDTexts)
{
    const struct {
        const char* text;
        PGPError parse;
        int32_t type;
        const char* printed;
    } cases[] = {
        { "0x0123456789ABCDEF", 0, kPGPKeyIDString_Full, "0x0123456789ABCDEF" },
        { "0x0123456789abcdef", 0, kPGPKeyIDString_Abbreviated, "0x89ABCDEF" },
        { "0XDEADBEEF", 0, kPGPKeyIDString_Full, "0xDEADBEEF" },
        { "0x0123456789ABCDE", kPGPError_BadParams, 0, nullptr },
        { "0x0123456789ABCDEG", kPGPError_BadParams, 0, nullptr },
        { "123456789ABCDEF012", kPGPError_BadParams, 0, nullptr },
        { "", kPGPError_BadParams, 0, nullptr },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        PGPKeyID id {};
        ASSERT_EQ(PGPNewKeyIDFromString(c.text, 1, &id), c.parse);
        if (c.parse != 0)
            continue;
        EXPECT_EQ(id.algorithm, 1);
        char printed[20];
        ASSERT_EQ(PGPGetKeyIDString(&id, c.type, printed), kPGPError_NoErr);
        EXPECT_STREQ(printed, c.printed);
    }
    PGPKeyID id {};
    char printed[20];
    EXPECT_EQ(PGPGetKeyIDString(&id, kPGPKeyIDString_Full, printed), kPGPError_BadParams);
}

TEST(Runtime, StatusTexts)
{
    char text[64];
    EXPECT_EQ(PGPGetErrorString(kPGPError_UserAbort, sizeof text, text), kPGPError_NoErr);
    EXPECT_STREQ(text, "Operation cancelled by the user");
    EXPECT_EQ(PGPGetErrorString(kPGPError_UserAbort, 5, text), kPGPError_BufferTooSmall);
    EXPECT_EQ(PGPGetErrorString(-1234, sizeof text, text), kPGPError_NoErr);
    EXPECT_STREQ(text, "Unknown error -1234");
}

} // namespace
