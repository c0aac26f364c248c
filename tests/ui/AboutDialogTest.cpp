// The about box under Wine against a loopback web server, driven by the dialog answerer: the
// update check's replies, the key download cut to its block, cancelling a running download, and
// the mail link and OK button results.
#include "framework/harness/DialogAnswerer.h"
#include "framework/harness/KeyInjector.h"
#include "support/LoopbackHttpServer.h"
#include "ui/DialogTestSupport.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/MessageDialogs.h"

#include <gtest/gtest.h>

namespace {

TAboutDialog* DialogOf(HWND window)
{
    return ControlOf<TAboutDialog>(window);
}

TAboutProductInfo Product()
{
    return { 9, "(c) The makers", "4.6", "ZAVEK" };
}

TMakerContact ContactOf(const TLoopbackHttpServer& server)
{
    TMakerContact contact;
    contact.WebHost = server.Url("");
    for (std::string& keyServer : contact.KeyServers)
        keyServer = server.Url("");
    contact.KeyId = "0011223344556677";
    return contact;
}

const std::string KeyPath = "/pks/lookup?op=get&search=0x0011223344556677";

// Handles messages until the condition holds or five seconds passed. The answerer's later steps
// would run inside this pump: a test that pumps has one step per window.
bool PumpUntil(const std::function<bool()>& condition)
{
    const ULONGLONG until = GetTickCount64() + 5000;
    while (!condition() && GetTickCount64() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpPending();
    }
    return condition();
}

struct Outcome {
    std::string message; // text of the message box that followed, if any
    std::string keyBlock;
    bool mail = false;
    std::vector<std::string> calls;
};

// Shows the about box, clicks the label, answers the message box that follows with its default.
Outcome ClickLink(TLoopbackHttpServer& server, THotLabel* TAboutDialog::*label, bool expectMessage = true)
{
    FakeMainObject main;
    Outcome outcome;
    DialogAnswerer answerer;
    answerer.Then("TAboutDialog", "", [&](HWND w) { (DialogOf(w)->*label)->Click(); });
    if (expectMessage)
        answerer.Then("TMessageDialog", "", [&](HWND w) {
            outcome.message = ControlOf<TMessageDialog>(w)->reText->GetText();
            PressKey(w, VK_RETURN);
        });
    ShowAboutDialog(main, Product(), false, outcome.keyBlock, outcome.mail, ContactOf(server));
    EXPECT_TRUE(answerer.Done());
    outcome.calls = main.calls;
    return outcome;
}

TEST(AboutDialog, UpdateCheckAnswersByTheVersionTag)
{
    struct Case {
        std::string page;
        std::string message;
        bool opensNotes;
    };
    const Case cases[] = {
        { "<meta name=\"Version\" content=\"4610\">", "A newer version is available. Open the release notes?", true },
        { "<meta name=\"Version\" content=\"4500\">", "You have the latest version.", false },
        { "<meta name=\"Version\" content=\"4.7\">", "The version numbers could not be compared.", false },
        { "<html>no tag here</html>", "The page holds no version information.", false },
    };
    for (const Case& c : cases) {
        TLoopbackHttpServer server;
        server.Answer("/zavek/download.htm", { 200, c.page });
        const Outcome outcome = ClickLink(server, &TAboutDialog::hlUpdate);
        EXPECT_EQ(outcome.message, c.message) << c.page;
        EXPECT_FALSE(outcome.mail);
        if (c.opensNotes)
            EXPECT_EQ(outcome.calls, std::vector<std::string> { "open " + server.Url("/zavek/historyen.htm#new") });
        else
            EXPECT_TRUE(outcome.calls.empty());
    }
}

TEST(AboutDialog, AMissingPageShowsTheServersError)
{
    TLoopbackHttpServer server;
    server.Answer("/zavek/download.htm", { 404, "gone" });
    EXPECT_EQ(ClickLink(server, &TAboutDialog::hlUpdate).message, "The server sent no usable answer.");
}

TEST(AboutDialog, TheKeyIsCutToItsArmouredBlock)
{
    const std::string block = "-----BEGIN PGP PUBLIC KEY BLOCK-----\r\n\r\nmQENBGx\r\n=AbCd\r\n"
                              "-----END PGP PUBLIC KEY BLOCK-----";
    TLoopbackHttpServer server;
    server.Answer(KeyPath, { 200, "<html><pre>\r\n" + block + "\r\n</pre></html>" });
    const Outcome outcome = ClickLink(server, &TAboutDialog::hlPGPKey, false);
    EXPECT_EQ(outcome.keyBlock, block);

    // A page without a block is reported, and no key is handed on.
    server.Answer(KeyPath, { 200, "<html>No results found</html>" });
    const Outcome none = ClickLink(server, &TAboutDialog::hlPGPKey);
    EXPECT_EQ(none.keyBlock, "");
    EXPECT_EQ(none.message, "The server sent no usable answer.");
}

TEST(AboutDialog, TheButtonCancelsARunningDownloadAndTheDialogStays)
{
    TLoopbackHttpServer server;
    server.Answer(KeyPath, { 200, "late", true, -1, 4000 });
    FakeMainObject main;
    std::string countdown;
    bool downloadingAfterClick = false;
    bool groupDisabled = false;
    std::string idleCaption;
    bool groupEnabledAgain = false;
    DialogAnswerer answerer;
    answerer.Then("TAboutDialog", "", [&](HWND w) {
        TAboutDialog& dialog = *DialogOf(w);
        dialog.hlPGPKey->Click();
        PumpUntil([&] { return dialog.Caption().rfind("Connecting to", 0) == 0; });
        countdown = dialog.Caption();
        groupDisabled = !dialog.gbeInfo->Enabled();
        dialog.fbAbout->Click();
        downloadingAfterClick = dialog.ModalResult() == 0;
        PumpUntil([&] { return !dialog.Downloading(); });
        idleCaption = dialog.Caption();
        groupEnabledAgain = dialog.gbeInfo->Enabled();
        // Idle again, the button closes.
        dialog.fbAbout->Click();
    });
    std::string keyBlock = "old";
    bool mail = true;
    ShowAboutDialog(main, Product(), false, keyBlock, mail, ContactOf(server));
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(countdown.rfind("Connecting to 127.0.0.1 (", 0), 0u) << countdown;
    EXPECT_EQ(countdown.substr(countdown.size() - 5), ") ...");
    EXPECT_TRUE(groupDisabled);
    EXPECT_TRUE(downloadingAfterClick);
    EXPECT_EQ(idleCaption, "About ...");
    EXPECT_TRUE(groupEnabledAgain);
    EXPECT_EQ(keyBlock, "");
    EXPECT_FALSE(mail);
}

TEST(AboutDialog, LabelsAndTheMailLinkAndOkResults)
{
    FakeMainObject main;
    std::vector<std::string> labels;
    DialogAnswerer answerer;
    answerer.Then("TAboutDialog", "", [&](HWND w) {
        TAboutDialog& dialog = *DialogOf(w);
        labels = { dialog.Caption(), dialog.hlVersion->Caption(), dialog.hlCopyright->Caption(),
            dialog.hlName->Caption(), dialog.hlUpdate->Caption(), dialog.hlPGPKey->Caption(),
            dialog.hlAddress->Caption() };
        dialog.hlAddress->Click();
    });
    std::string keyBlock;
    bool mail = false;
    ShowAboutDialog(main, Product(), false, keyBlock, mail);
    EXPECT_TRUE(answerer.Done());
    EXPECT_TRUE(mail);
    EXPECT_EQ(labels,
        (std::vector<std::string> { "About ...", "Version 4.6", "(c) The makers", "ZAVEK", "Update", "qro's PGP key",
            TMakerContact().MailAddress }));

    DialogAnswerer closing;
    closing.Then("TAboutDialog", "", [](HWND w) { PressKey(w, VK_RETURN); });
    ShowAboutDialog(main, Product(), false, keyBlock, mail);
    EXPECT_TRUE(closing.Done());
    EXPECT_FALSE(mail);
}

} // namespace
