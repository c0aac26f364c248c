// The rules of the plug-in's additions to the mail client's windows: toolbar buttons per option,
// the encrypt button's cut hints, menu hints by id, caption cuts and the frame's command ranges.
#include "plugin/HostWindowRules.h"

#include <gtest/gtest.h>

#include <string>

using namespace HostWindowRules;

namespace {
// Text n is "tN", except the ones whose wording the rules cut.
std::string FakeText(uint16_t id)
{
    switch (id) {
    case 20:
        return "Encrypt/Sign message (encrypt, sign or both)";
    case 75:
        return "Decrypt all new PGP/MIME and S/MIME messages";
    default:
        return "t" + std::to_string(id);
    }
}

std::string Ids(const std::vector<TToolbarButton>& buttons)
{
    std::string text;
    for (const TToolbarButton& b : buttons)
        text += std::to_string(b.CommandId) + (b.DropDown ? "/" + std::to_string(b.DropDown) : "") + " ";
    return text;
}
} // namespace

TEST(HostWindowRules, ToolbarButtonsFollowTheOptions)
{
    struct Case {
        TToolbarChoice Choice;
        const char* Expected;
    } cases[] = {
        { {}, "1026 1027/8202 1028 1029 1030 1031 " },
        { { true, 0, false, false, false, false }, "1026 1025 " }, // EncSign 0: no encrypt button
        { { false, 1, true, false, false, false }, "1026 1027/8201 1028 " },
        { { false, 3, false, true, false, false }, "1026 1027/8203 1029 " },
        { { false, 4, false, false, true, true }, "1026 1027 1030 1031 " },
        { { false, 7, false, false, false, false }, "1026 " }, // an unknown choice shows none
    };
    for (const Case& c : cases)
        EXPECT_EQ(Ids(ToolbarButtons(c.Choice, FakeText)), c.Expected) << "EncSign " << c.Choice.EncSign;
}

TEST(HostWindowRules, TheEncryptButtonsHintIsCutToItsChoice)
{
    const std::string text = FakeText(20);
    EXPECT_EQ(EncryptButtonHint(text, 1), "Encrypt message");
    EXPECT_EQ(EncryptButtonHint(text, 2), "Sign message");
    EXPECT_EQ(EncryptButtonHint(text, 3), "Encrypt/Sign message");
    EXPECT_EQ(EncryptButtonHint(text, 4), text);
    // Texts of other languages without the marks stay whole where nothing is to cut.
    EXPECT_EQ(EncryptButtonHint("Chiffrer", 3), "Chiffrer");
    EXPECT_EQ(EncryptButtonHint("Chiffrer", 1), "Chiffrer");
    EXPECT_EQ(EncryptButtonHint("Chiffrer", 2), "Chiffrer");
    const auto buttons = ToolbarButtons({ false, 2, false, false, false, false }, FakeText);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[1], (TToolbarButton { 1027, "SignOnly.bmp", "Sign message", 8202 }));
}

TEST(HostWindowRules, MenuHintsByIdRange)
{
    const std::vector<std::string> books = { "Friends", "Work" };
    struct Case {
        uint32_t Id;
        int32_t KeyRingState;
        const char* Expected;
    } cases[] = {
        { 16388, 1, "t58" },
        { 16389, 1, "t68" },
        { 16396, 1, "Decrypt all new PGP/MIME and S/MIME messages" },
        { 16396, 0, "Decrypt all new PGP/MIME messages" },
        { 16407, 0, "t86" },
        { 16408, 0, " " },
        { 20504, 0, "t59" },
        { 20506, 0, "t61" },
        { 20507, 0, " " },
        { 24603, 0, "t62" },
        { 24608, 0, "t67" },
        { 0x7000, 0, "t88\"Friends\"" },
        { 0x7001, 0, "t88\"Work\"" },
        { 0x7002, 0, "t87" },
        { 0x7003, 0, " " },
        { 0, 0, " " },
        { 1190, 0, " " },
    };
    for (const Case& c : cases)
        EXPECT_EQ(MenuHint(c.Id, FakeText, c.KeyRingState, books), c.Expected) << "id " << c.Id;
}

TEST(HostWindowRules, WindowsOutOfViewAreCentredOverTheirOwnerWithinTheWorkArea)
{
    const TScreenRect work = { 0, 0, 1000, 700 };
    const TScreenRect owner = { 100, 100, 500, 400 };
    const TScreenRect cornerOwner = { 800, 550, 1000, 700 };
    struct Case {
        TScreenRect Window;
        const TScreenRect* Owner;
        TScreenRect Expected;
    } cases[] = {
        { { 10, 10, 210, 110 }, &owner, { 10, 10, 210, 110 } }, // in view: stays
        { { 1200, 50, 1400, 150 }, &owner, { 200, 200, 400, 300 } }, // off screen: over the owner
        { { -300, 0, -100, 100 }, nullptr, { 400, 300, 600, 400 } }, // no owner: centre of the work area
        { { 900, 650, 1300, 950 }, &cornerOwner, { 600, 400, 1000, 700 } },
        { { 0, 0, 1200, 900 }, &owner, { 0, 0, 1200, 900 } }, // larger than the work area
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlacedInView(c.Window, c.Owner, work), c.Expected) << c.Window.Left << "," << c.Window.Top;
}

TEST(HostWindowRules, CaptionsAndFrameCommands)
{
    EXPECT_EQ(WithoutAmpersands("&Recipient list"), "Recipient list");
    EXPECT_TRUE(CaptionBeginsWith("&Help", "Help"));
    EXPECT_TRUE(CaptionBeginsWith("H&elp me", "Help"));
    EXPECT_FALSE(CaptionBeginsWith("&Window", "Help"));
    EXPECT_FALSE(CaptionBeginsWith("&Help", ""));
    EXPECT_EQ(ManageKeysCaption("&Manage keys/certificates", 0), "&Manage keys");
    EXPECT_EQ(ManageKeysCaption("&Manage keys/certificates", 2), "&Manage keys/certificates");
    EXPECT_EQ(WithoutSlashPart("Encrypt/Sign message"), "Encrypt message");
    EXPECT_TRUE(IsAcceleratorKey('m', "&Manage keys"));
    EXPECT_TRUE(IsAcceleratorKey('M', "&Manage keys"));
    EXPECT_TRUE(IsAcceleratorKey(13, "&Manage keys")); // Ctrl+M
    EXPECT_TRUE(IsAcceleratorKey(11, "Manage &keys")); // Ctrl+K
    EXPECT_FALSE(IsAcceleratorKey('k', "&Manage keys"));
    EXPECT_FALSE(IsAcceleratorKey('m', "Manage keys"));
    EXPECT_FALSE(IsAcceleratorKey('m', "Manage keys&"));
    EXPECT_FALSE(IsAcceleratorKey(0, "&Manage keys"));

    using K = TPluginCommandKind;
    struct Case {
        uint32_t Id;
        bool IsMenu;
        TPluginCommand Expected;
    } cases[] = {
        { 0x4000, false, {} },
        { 16388, false, { K::MenuCommand, 4 } },
        { 16407, false, { K::MenuCommand, 23 } },
        { 20504, false, { K::MenuCommand, 24 } },
        { 20506, false, { K::MenuCommand, 26 } },
        { 24603, false, { K::AutoListItem, 27 } },
        { 0x7001, false, { K::AddressBookItem, 1 } },
        { 16389, true, {} },
        { 189, false, {} },
        { 0x3001, false, {} }, // the key popup reports to the plug-in window, not the frame
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeFrameCommand(c.Id, c.IsMenu), c.Expected) << "id " << c.Id;
}
