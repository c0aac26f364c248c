// End to end through the stand-in mail client: a send from an editor is first taken over by the
// plug-in, then made again by the plug-in and left to the mail client, which hands the message to
// ENCRYPT; what the user chose for one send does not carry over to the next; editors close at
// shut-down.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
// after windows.h
#include <shlobj.h>

#include <algorithm>
#include <string>

namespace {
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kMessage = "From: ann@example.org\r\nTo: bob@example.net\r\nSubject: plans\r\n"
                             "Content-Type: text/plain; charset=ISO-8859-1\r\n\r\nMeet at noon.\r\n";

std::string Started(THostSession& session)
{
    return ANSWER_MESSAGES + session.UseKeyRings() + "load\nforminit\nready\n";
}

// The mail client's setting 89 = 2: new messages are signed.
std::string SignedEditor(const THostSession& session, const std::string& file)
{
    return "setting 89 2\nset to bob@example.net\neditor\neditortext \"Meet at noon.\"\nonsend encrypt \"" + session.File(file)
        + "\" - \"\" \"bob@example.net\"\n";
}

// The stand-in SDK answers its dialogs from a file while the run lasts.
THostRun RunWithAnswers(THostSession& session, const std::string& answers, const std::string& script)
{
    session.WriteFile("answers.txt", answers);
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", session.File("answers.txt").c_str());
    THostRun run = session.Run(script);
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    return run;
}

TEST(SendFlow, AnEditorsSendIsTakenOverThenSentAndEncoded)
{
    THostSession session("sendflow");
    session.WriteFile("out.tmp", kMessage);
    THostRun run = RunWithAnswers(session, "signing: pass ann-pass\n",
        Started(session) + SignedEditor(session, "out.tmp") + "editorcommand 139\nuntil \"editor message sent\"\nquit\n");
    SCOPED_TRACE(run.Text());
    // First ask: the plug-in takes the send over; then it sends again itself and lets it go.
    const int takenOver = run.IndexOf("editor send -> 0x9999");
    // The plug-in's own send: the editor's switch for unwrapped text, the mail client's send settings.
    const int prepared = run.IndexOf("request 3065 32 1");
    const int passed = run.IndexOf("editor send -> 0x0");
    const int sent = run.IndexOf("editor message sent");
    ASSERT_GE(takenOver, 0);
    EXPECT_LT(takenOver, prepared);
    EXPECT_LT(prepared, passed);
    EXPECT_EQ(passed + 1, sent);
    EXPECT_EQ(run.LinesStartingWith("editor send ->").size(), 2u);
    EXPECT_TRUE(run.Has("frame command 151"));
    EXPECT_TRUE(run.Has("frame command 167"));
    // The recipient list knows no key for Bob: the send is decided by the list and the editor's
    // record, which signs new messages.
    ASSERT_EQ(run.LinesStartingWith("export encrypt ->").size(), 1u);
    EXPECT_THAT(run.LinesStartingWith("export encrypt ->")[0], HasSubstr("-> 1 "));
    EXPECT_THAT(session.ReadFile("out.tmp"), HasSubstr("-----BEGIN PGP SIGNED MESSAGE-----"));
}

TEST(SendFlow, ASendAskedForByAnotherWindowIsLeftToTheMailClient)
{
    THostSession session("sendplain");
    // No editor announced the send: the mail client sends on its own.
    THostRun run = session.Run(Started(session) + "send\neditor\nsend\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.LinesStartingWith("send -> 0x0").size(), 2u);
}

TEST(SendFlow, ASendUnencryptedChoiceEndsWithItsSend)
{
    THostSession session("sendchoice");
    session.WriteFile("out.tmp", kMessage);
    // First send: the passphrase is cancelled and the user sends this one unencrypted. Second send
    // from the same editor: signed again, no question.
    THostRun run = RunWithAnswers(session, "signing: cancel\nsigning: pass ann-pass\n",
        "answer failed \"Send unencrypted\"\n" + Started(session) + SignedEditor(session, "out.tmp")
            + "editorcommand 139\nuntil \"editor message sent\"\neditorcommand 139\nuntil \"editor message sent\" 2\nquit\n");
    SCOPED_TRACE(run.Text());
    const auto results = run.LinesStartingWith("export encrypt ->");
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - ").size(), 1u);
    EXPECT_THAT(session.ReadFile("out.tmp"), HasSubstr("-----BEGIN PGP SIGNED MESSAGE-----"));
}

TEST(SendFlow, EditorsCloseAtShutDown)
{
    THostSession session("sendclose");
    THostRun run = session.Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nready\neditor\neditor\nevent 32\nuntil \"frame destroyed\"\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.LinesStartingWith("editor destroyed").size(), 2u);
    EXPECT_LT(run.IndexOf("editor destroyed"), run.IndexOf("event 32 -> 0x9999"));
}

} // namespace

namespace {

TEST(SendFlow, TheEncryptionDialogDecidesTheSend)
{
    THostSession session("sendbox");
    session.WriteFile("out.tmp", kMessage);
    // Opened undecided: encrypt, and sign as the options say; the user unticks sign and says OK. The
    // new recipient is not put into the recipient list.
    THostRun run = session.Run("answer Question No\n" + Started(session) + "set to ann@example.org\neditor\neditortext \"Meet at noon.\"\n"
        + "onsend encrypt \"" + session.File("out.tmp") + "\" - \"\" \"ann@example.org\"\n"
        + "encdialog\nencclick 104\nencclick 1\neditorcommand 139\nuntil \"editor message sent\"\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("encryption dialog shown encrypt=1 sign=1 edit=0 -> 0x0"));
    EXPECT_TRUE(run.Has("encryption dialog ok encrypt=1 sign=0"));
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Question\" with No").size(), 1u);
    EXPECT_FALSE(run.Has("timeout: script did not end"));
    ASSERT_EQ(run.LinesStartingWith("export encrypt ->").size(), 1u);
    EXPECT_THAT(run.LinesStartingWith("export encrypt ->")[0], HasSubstr("-> 1 "));
    const std::string file = session.ReadFile("out.tmp");
    EXPECT_THAT(file, HasSubstr("-----BEGIN PGP MESSAGE-----"));
    EXPECT_THAT(file, Not(HasSubstr("Meet at noon.")));
}

TEST(SendFlow, ACancelledEncryptionDialogIsNotConfirmedWhenItOpensAgain)
{
    THostSession session("sendauto");
    // The plug-in confirms a dialog by a click it posts: once it is idle the click would have come.
    THostRun run = session.Run(ANSWER_MESSAGES + ANSWER_NO_KEY_RINGS + session.MailFolderStep()
        + "load\nforminit\nready\neditor\nencdialog\nencclick 2\nencdialog\nidle\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("encryption dialog cancel encrypt=1 sign=1"));
    // Cancelled before: the next opening is not confirmed by itself.
    EXPECT_EQ(run.LinesStartingWith("encryption dialog ok").size(), 0u);
}

} // namespace

namespace {

std::string ReadWhole(const std::string& path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

TEST(SendFlow, TheFrameShownRegistersItsMailUser)
{
    THostSession session("senduser");
    char data[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, data);
    const std::string usersFile = std::string(data) + "\\ZAVEK\\ZAVEKUsers.cfg";
    const std::string entry = "senduser=\"" + session.File("") + "\"";
    // The list of an earlier run must not stand in for this one's.
    DeleteFileA(usersFile.c_str());
    THostRun run = session.Run(ANSWER_MESSAGES + session.UseKeyRings() + "set user senduser\nload\nforminit\nready\n"
        + "showframe\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_NE(ReadWhole(usersFile).find(entry), std::string::npos) << ReadWhole(usersFile);
    // The entry names the session's folder, which goes with the session.
    DeleteFileA(usersFile.c_str());
}

} // namespace

namespace {

TEST(SendFlow, OlderMailClientsPointTheEditorsEncryptCommandToTheEncryptionPage)
{
    struct Case {
        const char* version;
        size_t notes;
    } cases[] = { { "0x441", 1u }, { "0x473", 0u } };
    for (const Case& c : cases) {
        THostSession session("sendold");
        THostRun run = session.Run(ANSWER_MESSAGES + ANSWER_NO_KEY_RINGS + session.MailFolderStep() + "set version "
            + c.version + "\nload\nforminit\nready\neditor\nevent 25 18\neditorcommand 104\nquit\n");
        SCOPED_TRACE(run.Text());
        EXPECT_TRUE(run.Has("event 25 -> 0x0"));
        EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Information\"").size(), c.notes) << c.version;
    }
}

// Newer mail clients run the editor's command 104 themselves: while the editor's encryption box is
// off the user is warned, unless the warning was switched off.
TEST(SendFlow, NewerMailClientsWarnOfTheEditorsEncryptCommandWhileItsEncryptionIsOff)
{
    struct Case {
        const char* what;
        const char* options;
        const char* steps;
        size_t warnings;
    } cases[] = {
        { "box off", "", "editorcommand 104\n", 1u },
        { "box on", "", "editorclick 103\neditorcommand 104\n", 0u },
        { "warning off", "[MMWarning]\r\nWarn=0\r\n", "editorcommand 104\n", 0u },
    };
    for (const Case& c : cases) {
        THostSession session("mmwarning");
        const std::string folder = session.MailFolderStep();
        session.WriteFile("ZAVEK.cfg", c.options);
        THostRun run = session.Run(ANSWER_MESSAGES + ANSWER_NO_KEY_RINGS + folder
            + "set version 0x473\nload\nforminit\nready\neditor\nevent 25 18\n" + c.steps + "quit\n");
        SCOPED_TRACE(run.Text());
        const int remembered = run.IndexOf("event 25 -> 0x0");
        ASSERT_GE(remembered, 0);
        const auto warnings = std::count_if(run.Log.begin() + remembered, run.Log.end(),
            [](const std::string& line) { return line.rfind("answered dialog \"ZA-VEK - Warning\"", 0) == 0; });
        EXPECT_EQ(static_cast<size_t>(warnings), c.warnings) << c.what;
    }
}

} // namespace
