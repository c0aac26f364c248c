// The mail-client interface outside the mail client and the build number it derives from the version.
#include "plugin/PMInterface.h"

#include <gtest/gtest.h>

TEST(PMInterface, BuildNumberFollowsTheHexadecimalVersion)
{
    struct Case {
        uint32_t version, build;
    } cases[]
        = { { 0x452, 4520 }, { 0x473, 4730 }, { 0x481, 4810 }, { 0x499, 4990 }, { 0x400, 4000 }, { 0, 0 } };
    for (const Case& c : cases)
        EXPECT_EQ(TPMInterface::BuildFromVersion(c.version), c.build) << std::hex << c.version;
}

TEST(PMInterface, WithoutAMailClientEveryRequestComesBackEmpty)
{
    TPMInterface outside(nullptr);
    EXPECT_EQ(outside.HostBuild(), 0u);
    EXPECT_EQ(outside.GetHostWindow(0), nullptr);
    EXPECT_EQ(outside.GetMailFolder(), "");
    outside.PostHostCommand(211); // nowhere to post: nothing happens
}
