// The plug-in's command table (every menu item, toolbar button and key-popup item reaches its
// action through the frame's and the hidden window's decoding) and the texts its commands build.
#include "plugin/PluginCommandRules.h"
#include "plugin/HostWindowRules.h"

#include <gtest/gtest.h>

#include <string>

using namespace PluginCommandRules;

namespace {
std::string FakeText(uint16_t id)
{
    return "<" + std::to_string(id) + ">";
}

struct TIdCase {
    uint32_t Id;
    TPluginAction Action;
};

TEST(PluginCommandRules, EveryMenuItemOfTheFrameReachesItsAction)
{
    const TIdCase cases[] = {
        { 16388, TPluginAction::About },
        { 16389, TPluginAction::WipePassphrase },
        { 16390, TPluginAction::TogglePGPMime },
        { 16391, TPluginAction::TogglePGPExt },
        { 16392, TPluginAction::ToggleFullAuto },
        { 16393, TPluginAction::SendEncrypted },
        { 16394, TPluginAction::SendSigned },
        { 16395, TPluginAction::SendEncryptedSigned },
        { 16396, TPluginAction::DecryptFolder },
        { 16397, TPluginAction::DecryptMessage },
        { 16398, TPluginAction::FolderViewer },
        { 16399, TPluginAction::VerifyFile },
        { 16400, TPluginAction::KeyDescription },
        { 16401, TPluginAction::ImportCertificates },
        { 16402, TPluginAction::ManageKeys },
        { 16403, TPluginAction::DeleteKeys },
        { 16404, TPluginAction::ExportKeys },
        { 16405, TPluginAction::RemoveCertificate },
        { 16406, TPluginAction::ExportCertificate },
        { 16407, TPluginAction::StartPGP },
        { 20504, TPluginAction::Configuration },
        { 20505, TPluginAction::Manual },
        { 20506, TPluginAction::About },
        { 24603, TPluginAction::AutoListOn },
        { 24604, TPluginAction::AutoListNewPairs },
        { 24605, TPluginAction::AutoListFromKeyRing },
        { 24606, TPluginAction::AutoListEdit },
        { 24607, TPluginAction::AutoListPurge },
        { 24608, TPluginAction::AutoListFile },
        { 0x7000, TPluginAction::AddAddressBook },
        { 0x7003, TPluginAction::AddAddressBook },
        // Ids between the items belong to nothing.
        { 16387, TPluginAction::None },
        { 20507, TPluginAction::None },
        { 24602, TPluginAction::None },
        { 24609, TPluginAction::None },
    };
    for (const TIdCase& c : cases) {
        SCOPED_TRACE(c.Id);
        EXPECT_EQ(ActionOf(HostWindowRules::DecodeFrameCommand(c.Id, false)), c.Action);
    }
}

TEST(PluginCommandRules, ButtonsDropDownsAndTheKeyPopupReachTheirActions)
{
    struct TCase {
        uint32_t WParam, LParam;
        TPluginAction Action;
    };
    const TCase cases[] = {
        { 0, 1025, TPluginAction::WipePassphrase },
        { 0, 1026, TPluginAction::AutoListOn },
        { 0, 1028, TPluginAction::DecryptMessage },
        { 0, 1029, TPluginAction::VerifyFile },
        { 0, 1030, TPluginAction::ManageKeys },
        { 0, 1031, TPluginAction::StartPGP },
        // Without an editor the encrypt button has nothing to send.
        { 0, 1027, TPluginAction::None },
        { 8201, 1027, TPluginAction::SendEncrypted },
        { 8202, 1027, TPluginAction::SendSigned },
        { 8203, 1027, TPluginAction::SendEncryptedSigned },
        { 0x3001, 0, TPluginAction::AddKeyToAutoList },
        { 0x3002, 0, TPluginAction::SearchKeyServer },
        { 0x3003, 0, TPluginAction::CopyKeyID },
        { 0x3004, 0, TPluginAction::None },
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.WParam) + "/" + std::to_string(c.LParam));
        EXPECT_EQ(ActionOf(DecodePluginCommand(c.WParam, c.LParam, false)), c.Action);
    }
}

TEST(PluginCommandRules, SendItemsGiveTheirSendStatesAndListItemsAreKnown)
{
    EXPECT_EQ(SendStateOf(TPluginAction::SendEncrypted), 5u);
    EXPECT_EQ(SendStateOf(TPluginAction::SendSigned), 6u);
    EXPECT_EQ(SendStateOf(TPluginAction::SendEncryptedSigned), 7u);
    EXPECT_EQ(SendStateOf(TPluginAction::DecryptFolder), 0u);
    EXPECT_TRUE(IsAutoListAction(TPluginAction::AutoListPurge));
    EXPECT_TRUE(IsAutoListAction(TPluginAction::AddAddressBook));
    // The key popup works without the list being on.
    EXPECT_FALSE(IsAutoListAction(TPluginAction::AddKeyToAutoList));
}

TEST(PluginCommandRules, ExportNamesCountTheKeysAfterTheFirst)
{
    struct TCase {
        std::string Keys;
        int32_t Count;
        std::string Name;
    };
    const TCase cases[] = {
        { "Alice <alice@example.org>", 1, "Alice _alice@example.org_" },
        { "Alice <alice@example.org>\r\nBob\r\nCarol", 3, "Alice _alice@example.org_ et al. (3)" },
        { "Bob\nCarol", 2, "Bob et al. (2)" },
        { "a/b:c?", 1, "a_b_c_" },
        { "", 0, "" },
    };
    for (const TCase& c : cases)
        EXPECT_EQ(SuggestedExportName(FirstLine(c.Keys), c.Count), c.Name) << c.Keys;
}

TEST(PluginCommandRules, ReportsNameTheClipboardOrTheFileAndWhatWent)
{
    EXPECT_TRUE(IsClipboardChoice(":CLIP:"));
    EXPECT_FALSE(IsClipboardChoice("C:\\keys\\:CLIP:.asc"));
    EXPECT_EQ(ExportTargetName(":CLIP:", FakeText), "<241>");
    EXPECT_EQ(ExportTargetName("C:\\keys.asc", FakeText), "C:\\keys.asc");
    EXPECT_EQ(ExportReport("Alice\r\nBob", "<241>", false, FakeText), "<238>Alice\r\nBob<240>\"<241>\"");
    EXPECT_EQ(
        ExportReport("CN=Alice0x1234", "C:\\a.cer", true, FakeText), "CN=Alice0x1234<240>\"C:\\a.cer\"");
}

TEST(PluginCommandRules, DeletedKeysQuestionAndReports)
{
    EXPECT_EQ(DeletedKeysQuestion("Alice\r\nBob", FakeText), "<278>\r\n\r\nAlice\r\nBob");
    EXPECT_EQ(DeletedKeysReport(true, 2, FakeText), "<314><315>");
    EXPECT_EQ(DeletedKeysReport(false, 2, FakeText), "2<315>");
    EXPECT_EQ(ListFileError("C:\\mail\\AutoList.txt", FakeText), "C:\\mail\\AutoList.txt\r\n\r\n<276>");
    EXPECT_EQ(ListFileSaveError("C:\\mail\\AutoList.txt", FakeText), "C:\\mail\\AutoList.txt\r\n\r\n<345>");
}

TEST(PluginCommandRules, FirstLineEndsAtEitherLineBreak)
{
    EXPECT_EQ(FirstLine("one\r\ntwo"), "one");
    EXPECT_EQ(FirstLine("one\ntwo"), "one");
    EXPECT_EQ(FirstLine("one"), "one");
    EXPECT_EQ(FirstLine(""), "");
}
} // namespace
