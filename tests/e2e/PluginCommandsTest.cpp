// End to end through the stand-in mail client: the plug-in's menu commands do their work — option
// switches with their check marks, the recipient list switched on, the new-mail folder decrypted,
// and the folder viewer opened on the mail client's folder choice.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kHeader
    = "From: Ann Lee <ann@example.org>\r\nTo: bob@example.net\r\nSubject: Friday\r\n\r\n";

std::string Message(const std::string& name)
{
    std::string path = "Z:" ZAVEK_DECROAD_MESSAGES "/" + name;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_FALSE(text.str().empty()) << path;
    return text.str();
}

constexpr const char* LIST_OFF = "[AutoPush]\r\nAuto=0\r\n";
constexpr const char* OPEN_LIST_MENU = "popup \"&Selvadrin/Recipient list\"\n";

// A started plug-in in the session's mail folder (its options with the extra lines), then the
// given steps.
std::string Session(const THostSession& session, const std::string& answers, const std::string& steps,
    const std::string& options = {})
{
    const std::string folderStep = session.UseKeyRings();
    session.WriteFile("ZAVEK.cfg", session.ReadFile("ZAVEK.cfg") + options);
    return answers + folderStep + "set newmailfolder \"" + session.File("") + "\"\n"
        + "load\nforminit\nready\n" + steps + "quit\n";
}

TEST(PluginCommands, TheSwitchesOfThePluginMenuFollowTheirOptionsAndAreStored)
{
    THostSession session("cmd-switches");
    THostRun run = session.Run(Session(session, "answer ZA-VEK Yes\n",
        "command 16390\ncommand 16391\ncommand 16392\nmenu &Selvadrin\ncommand 16391\nmenu &Selvadrin\n"));
    SCOPED_TRACE(run.Text());
    EXPECT_THAT(
        run.LinesStartingWith("menu &Selvadrin:").at(0), HasSubstr("sep 16390:c 16391:c 16392:c sep"));
    EXPECT_THAT(run.LinesStartingWith("menu &Selvadrin:").at(1), HasSubstr("sep 16390:c 16391 16392:c sep"));
    // Switching the automatic mode on asked whether to sign as well.
    EXPECT_EQ(run.LinesStartingWith("answered dialog").size(), 1u);
    const std::string options = session.ReadFile("ZAVEK.cfg");
    EXPECT_THAT(options, HasSubstr("PGPMime=1"));
    EXPECT_THAT(options, HasSubstr("PGPExt=0"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginCommands, TheNewMailFolderIsDecryptedAndWhatCannotBeStaysAsItCame)
{
    THostSession session("cmd-folder");
    const std::string tampered = kHeader + Message("to-bob-tampered.asc");
    session.WriteFile("GOOD.CNM", kHeader + Message("to-bob.asc"));
    session.WriteFile("BAD.CNM", tampered);
    session.WriteFile("OTHER.TXT", Message("to-bob.asc"));
    // The new-mail folder's window is open behind another folder's, and the folder manager too.
    THostRun run = session.Run(Session(session, "answer ZA-VEK Yes\nanswer ZA-VEK OK\n",
                                   "folder \"New mail\"\nfolman\nfolder Drafts\ncommand 16396\nidle\n"),
        60000);
    SCOPED_TRACE(run.Text());
    // Only the new-mail folder's window went before the run; the folder manager was told before and after.
    const int run16396 = run.IndexOf("answered dialog \"ZA-VEK - Question\" with Yes");
    const int end = run.IndexOf("frame destroyed");
    EXPECT_GT(run.IndexOf("folder window \"New mail\" closed"), run16396);
    EXPECT_LT(run.IndexOf("folder window \"New mail\" closed"), run.IndexOf("request 3075 3 status \"Decrypting ...\""));
    EXPECT_GT(run.IndexOf("folder window \"Drafts\" closed"), end);
    EXPECT_EQ(run.LinesStartingWith("frame command 309").size(), 2u);
    EXPECT_THAT(session.ReadFile("GOOD.CNM"), HasSubstr("the meeting moves to Friday."));
    EXPECT_EQ(session.ReadFile("GOOD.CNM").find("-----BEGIN PGP"), std::string::npos);
    EXPECT_EQ(session.ReadFile("BAD.CNM").find("the meeting"), std::string::npos);
    EXPECT_NE(session.ReadFile("BAD.CNM").find("-----BEGIN PGP MESSAGE"), std::string::npos);
    // Only the ".CNM" files are the new mail.
    EXPECT_EQ(session.ReadFile("OTHER.TXT"), Message("to-bob.asc"));
    // Only what was decrypted is done: the tampered message's refusal is no success.
    EXPECT_EQ(run.LinesStartingWith("request 3075 3 status \"Decrypting done\"").size(), 1u);
    EXPECT_EQ(run.LinesStartingWith("request 3075 3 status \"Decrypting cancelled\"").size(), 1u);
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginCommands, ACancelledPassphraseEndsTheFolderRun)
{
    THostSession session("cmd-folder-cancel");
    const std::string toAnn = kHeader + Message("to-ann.asc");
    const std::string toBob = kHeader + Message("to-bob.asc");
    session.WriteFile("A.CNM", toAnn);
    session.WriteFile("B.CNM", toBob);
    // The stand-in SDK's passphrase dialog is cancelled.
    session.WriteFile("answers.txt", "decryption: cancel\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", session.File("answers.txt").c_str());
    THostRun run = session.Run(
        Session(session, "answer ZA-VEK Yes\nanswer ZA-VEK OK\n", "command 16396\nidle\n"), 60000);
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("request 3075 3 status \"Decrypting cancelled\""));
    EXPECT_EQ(session.ReadFile("A.CNM").find("-----BEGIN PGP MESSAGE") != std::string::npos, true);
    // The run ended there: the next message was not touched.
    EXPECT_EQ(session.ReadFile("B.CNM"), toBob);
    EXPECT_EQ(run.ExitCode, 0);
}

// A message for the eyes only is shown in the secure viewer and its text stays in the folder as
// it came (tagged); that is done, no cancel, and the run goes on to the next message.
TEST(PluginCommands, AMessageForTheEyesOnlyIsShownAndTheFolderRunGoesOn)
{
    THostSession session("cmd-folder-eyes");
    session.WriteFile("A.CNM", kHeader + Message("eyes-only-to-ann.asc"));
    session.WriteFile("B.CNM", kHeader + Message("to-bob.asc"));
    session.WriteFile("answers.txt", "decryption: pass ann-pass\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", session.File("answers.txt").c_str());
    SetEnvironmentVariableA("PGPSTANDIN_LOG", session.File("sdk.log").c_str());
    THostRun run = session.Run(
        Session(session, "answer ZA-VEK Yes\nanswer ZA-VEK OK\n", "command 16396\nidle\n"), 60000);
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    SetEnvironmentVariableA("PGPSTANDIN_LOG", nullptr);
    SCOPED_TRACE(run.Text());
    EXPECT_THAT(session.ReadFile("sdk.log"), HasSubstr("Secure viewer:\r\nHello Bob,"));
    EXPECT_THAT(session.ReadFile("A.CNM"), HasSubstr(Message("eyes-only-to-ann.asc")));
    EXPECT_THAT(session.ReadFile("A.CNM"), Not(HasSubstr("Hello Bob,")));
    EXPECT_THAT(session.ReadFile("B.CNM"), HasSubstr("the meeting moves to Friday."));
    EXPECT_EQ(run.LinesStartingWith("request 3075 3 status \"Decrypting done\"").size(), 2u);
    EXPECT_FALSE(run.Has("request 3075 3 status \"Decrypting cancelled\""));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginCommands, ANewMailFolderWithoutMessagesAsksNothing)
{
    THostSession session("cmd-folder-empty");
    THostRun run
        = session.Run(Session(session, "answer ZA-VEK Yes\nanswer ZA-VEK OK\n", "command 16396\nidle\n"));
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.LinesStartingWith("answered dialog").empty());
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginCommands, TheRecipientListIsSwitchedOnFromTheMenuAtOnceAndFromTheButtonOnlyWhenConfirmed)
{
    THostSession button("cmd-list-button");
    THostRun declined = button.Run(Session(button, "answer ZA-VEK No\n", "click 1026\nidle\n", LIST_OFF));
    SCOPED_TRACE(declined.Text());
    EXPECT_EQ(declined.LinesStartingWith("answered dialog").size(), 1u);
    EXPECT_THAT(button.ReadFile("ZAVEK.cfg"), HasSubstr("Auto=0"));

    THostSession menu("cmd-list-menu");
    THostRun run = menu.Run(Session(menu, "answer ZA-VEK No\n",
        std::string(OPEN_LIST_MENU) + "command 24603\n" + OPEN_LIST_MENU
            + "menu \"&Selvadrin/Recipient list\"\n",
        LIST_OFF));
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.LinesStartingWith("answered dialog").empty());
    EXPECT_THAT(menu.ReadFile("ZAVEK.cfg"), HasSubstr("Auto=1"));
    EXPECT_TRUE(run.Has("menu &Selvadrin/Recipient list: 24604:g 24605 sep 24606:g 24607:g 24608"));
}

TEST(PluginCommands, PurgingAListWhoseKeysAllExistRemovesNothing)
{
    THostSession session("cmd-purge");
    THostRun run = session.Run(
        Session(session, ANSWER_MESSAGES, std::string(OPEN_LIST_MENU) + "command 24607\nidle\n"));
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Information\"").size(), 1u);
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginCommands, TheDecryptButtonInAReaderAsksBeforeItSwitchesToTheRawView)
{
    THostSession session("cmd-decrypt-button");
    // The raw view comes by a command posted to the frame: once the plug-in is idle it would be in.
    THostRun run = session.Run(
        Session(session, "answer ZA-VEK No\n", "click 1028\nidle\nreader\nclick 1028\nidle\n"));
    SCOPED_TRACE(run.Text());
    // Without a reader or folder manager there is nothing to show; in a reader No leaves it as it is.
    const int opened = run.IndexOf("reader 1 opened");
    ASSERT_GE(opened, 0);
    const auto questions = run.LinesStartingWith("answered dialog \"ZA-VEK - Question\" with No");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_GT(run.IndexOf(questions[0]), opened);
    EXPECT_EQ(run.IndexOf("raw view on"), -1);
    EXPECT_TRUE(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").empty());
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginCommands, TheSendItemsNeedAnEditorThePluginHandles)
{
    THostSession session("cmd-send");
    THostRun run
        = session.Run(Session(session, ANSWER_MESSAGES, "command 16394\neditor\ncommand 16394\nidle\n"));
    SCOPED_TRACE(run.Text());
    // Without an editor the item does nothing; with one it makes the editor send, and the plug-in
    // takes that send over.
    const int opened = run.IndexOf("editor opened");
    ASSERT_GE(opened, 0);
    EXPECT_GT(run.IndexOf("editor send -> 0x9999"), opened);
    EXPECT_TRUE(run.LinesStartingWith("answered dialog").empty());
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginCommands, TheFolderViewerOpensFromTheMenuAndAsksForAFolder)
{
    THostSession session("cmd-folderviewer");
    // The user cancels the mail client's folder choice; the empty viewer closes with Escape (a
    // second rule in case the first key came while the viewer was still busy).
    THostRun run = session.Run(Session(session,
        ANSWER_MESSAGES + "set folderchoice \"\"\nanswer \"Text viewer\" keys:27\nanswer \"Text viewer\" keys:27\n",
        "command 16398\nidle\n"));
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.LinesStartingWith("request 3063").size(), 1u);
    EXPECT_GE(run.LinesStartingWith("answered dialog \"Text viewer\" with keys").size(), 1u);
    EXPECT_TRUE(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").empty());
    EXPECT_EQ(run.ExitCode, 0);
}

} // namespace
