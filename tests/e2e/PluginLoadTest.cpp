// End to end through the stand-in mail client: the plug-in loads, creates its window once, hooks
// the mail client's windows, takes the mail client's messages, keeps the host alive whatever an
// export does, and leaves nothing of itself behind when it is shut down or unloaded.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {
using ::testing::Contains;
using ::testing::HasSubstr;

// "export FORMINIT 0x112 -> 1 window 0001007e child 1" -> "0001007e"
std::string WindowOf(const std::string& formInitLine)
{
    const size_t at = formInitLine.find(" window ");
    return at == std::string::npos ? std::string()
                                   : formInitLine.substr(at + 8, formInitLine.find(' ', at + 8) - at - 8);
}

// "export decrypt -> 0 after 501 ms" -> 501
long MillisecondsOf(const std::string& exportLine)
{
    const size_t at = exportLine.find(" after ");
    return at == std::string::npos ? -1 : std::strtol(exportLine.c_str() + at + 7, nullptr, 10);
}

TEST(PluginLoad, SecondFormInitReturnsTheSameWindowWithoutAnotherStartUp)
{
    THostRun run = THostSession("forminit").Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nforminit\nquit\n");
    SCOPED_TRACE(run.Text());
    auto calls = run.LinesStartingWith("export FORMINIT");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_THAT(calls[0], HasSubstr("-> 1 window"));
    EXPECT_THAT(calls[0], HasSubstr("child 1"));
    EXPECT_EQ(WindowOf(calls[0]), WindowOf(calls[1]));
    EXPECT_NE(WindowOf(calls[0]), "00000000");
    // The start-up asked for the version once only.
    EXPECT_EQ(run.LinesStartingWith("request 3099").size(), 1u);
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginLoad, InterfaceVersionsAboveOneHundredAndFFAreRefused)
{
    struct Case {
        const char* version;
        const char* expected;
    } cases[] = { { "0x1FF", "export FORMINIT 0x1FF -> 1" },
        { "0x200", "export FORMINIT 0x200 -> 0 window 00000000" }, { "0x0", "export FORMINIT 0x0 -> 1" } };
    for (const Case& c : cases) {
        THostRun run = THostSession("version").Run(ANSWER_NO_KEY_RINGS + "load\nforminit " + c.version + "\nquit\n");
        SCOPED_TRACE(run.Text());
        auto calls = run.LinesStartingWith("export FORMINIT");
        ASSERT_EQ(calls.size(), 1u) << c.version;
        EXPECT_THAT(calls[0], HasSubstr(c.expected)) << c.version;
    }
}

TEST(PluginLoad, StartUpWithoutMailFolderFailsSilentlyAndCanBeRetried)
{
    THostSession session("nomail");
    THostRun run = session.Run(ANSWER_MESSAGES + ANSWER_NO_KEY_RINGS + "set mailfolder -\nload\nforminit\n"
        + session.MailFolderStep() + "forminit\nquit\n");
    SCOPED_TRACE(run.Text());
    auto calls = run.LinesStartingWith("export FORMINIT");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_THAT(calls[0], HasSubstr("-> 0 window 00000000"));
    EXPECT_THAT(calls[1], HasSubstr("-> 1 window"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginLoad, HooksSeeAReaderCreatedAfterStartUp)
{
    THostRun run = THostSession("hooks").Run(ANSWER_NO_KEY_RINGS + "reader\nload\nforminit\nready\nreader\ncheck\nquit\n");
    SCOPED_TRACE(run.Text());
    // Ready: the plug-in asked for the frame and the MDI client and subclassed frame and status bar;
    // the reader opened before the plug-in was loaded stays untouched.
    EXPECT_TRUE(run.Has("request 3081 0"));
    EXPECT_TRUE(run.Has("request 3081 1"));
    EXPECT_TRUE(run.Has("check frame subclassed=1 statusbar subclassed=1 reader1=plain reader2=subclassed"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginLoad, HostEventsReachTheMainObject)
{
    THostRun run = THostSession("events").Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nready\nevent 5 hello\nevent 77\nevent 32\n"
                                              "check\nuntil \"frame destroyed\"\n");
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("event 5 -> 0x0"));
    EXPECT_TRUE(run.Has("event 77 -> 0x0"));
    // Shut-down: taken over, everything given back, and the plug-in closes the frame itself;
    // the second shut-down event then lets the close pass.
    EXPECT_TRUE(run.Has("event 32 -> 0x9999"));
    EXPECT_TRUE(run.Has("check frame subclassed=0 statusbar subclassed=0"));
    EXPECT_TRUE(run.Has("event 32 on close -> 0x0"));
    EXPECT_TRUE(run.Has("frame destroyed"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginLoad, EventsAreAnsweredAndABrokenAttachmentKeepsItsText)
{
    THostSession session("pending");
    const std::string message = "-----BEGIN PGP MESSAGE-----\r\nxyz\r\n-----END PGP MESSAGE-----\r\n";
    session.WriteFile("attachment.asc", message);
    THostRun run = session.Run(ANSWER_MESSAGES + ANSWER_NO_KEY_RINGS + session.MailFolderStep()
        + "load\nforminit\nready\neditor\nevent 25 18\nevent 25 4\nevent 15\n"
                               "event 28 "
        + session.File("attachment.asc")
        + "\nsend\nset to bob@example.net\neditorcommand 139\nuntil \"editor message sent\"\ncommand 189\n"
          "event 5 after\nquit\n");
    SCOPED_TRACE(run.Text());
    // Not taken over: the mail client goes on as without the plug-in.
    EXPECT_EQ(run.LinesStartingWith("event 25 -> 0x0").size(), 2u);
    // An empty queue: nothing for the mail client to deliver.
    EXPECT_TRUE(run.Has("event 15 -> 0x9999"));
    EXPECT_TRUE(run.Has("event 28 -> 0x0"));
    EXPECT_TRUE(run.Has("send -> 0x0"));
    // The editor's send: taken over first, then made again by the plug-in and let through.
    EXPECT_TRUE(run.Has("editor send -> 0x9999"));
    EXPECT_TRUE(run.Has("editor send -> 0x0"));
    EXPECT_TRUE(run.Has("editor message sent"));
    EXPECT_TRUE(run.Has("event 15 on delivery -> 0x9999"));
    // Nothing to deliver after the mail client's own delivery command: the plug-in tells it so.
    EXPECT_FALSE(run.Has("queue delivered"));
    EXPECT_TRUE(run.Has("frame command 211"));
    // The attachment's block cannot be decrypted: the error is shown and the file keeps its text.
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").size(), 1u);
    EXPECT_EQ(session.ReadFile("attachment.asc"), message);
    EXPECT_TRUE(run.Has("event 5 -> 0x0"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginLoad, CleaningTheQueueDeletesOnlyPlaceholdersOfCancelledSends)
{
    THostSession session("queue");
    const std::string placeholder = "To: nobody\r\nSubject: Encryption cancelled - message not sent\r\n\r\n";
    session.WriteFile("A.PMW", placeholder);
    session.WriteFile("B.PMX", "To: x@example.org\r\nSubject: hi\r\n\r\nok\r\n"); // short, but the user's
    session.WriteFile("C.PMW", placeholder + std::string(500, 'x')); // not short
    session.WriteFile("D.PMM", placeholder); // not a queued message
    THostRun run = session.Run(ANSWER_NO_KEY_RINGS + session.MailFolderStep() + "load\nforminit\nready\nevent 15\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("event 15 -> 0x0")); // two messages are left to deliver
    EXPECT_FALSE(session.Exists("A.PMW"));
    EXPECT_TRUE(session.Exists("B.PMX"));
    EXPECT_TRUE(session.Exists("C.PMW"));
    EXPECT_TRUE(session.Exists("D.PMM"));

    THostSession onlyPlaceholders("queue-empty");
    onlyPlaceholders.WriteFile("E.pmx", placeholder);
    THostRun emptied = onlyPlaceholders.Run(
        ANSWER_NO_KEY_RINGS + onlyPlaceholders.MailFolderStep() + "load\nforminit\nready\nevent 15\nquit\n");
    SCOPED_TRACE(emptied.Text());
    EXPECT_TRUE(emptied.Has("event 15 -> 0x9999"));
    EXPECT_FALSE(onlyPlaceholders.Exists("E.pmx"));
}

TEST(PluginLoad, TimersAndCommandsOfThePluginWindow)
{
    // WM_TIMER 0x113 with ids outside 1..5, the deferred re-run (3), and WM_COMMAND 0x111 from a
    // toolbar button and from a menu handle. The re-run runs before the plug-in takes its own menu
    // commands from the frame, so the frame's own procedure logs it.
    THostRun run = THostSession("timers").Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nmessage 0x113 3\nuntil \"frame command 16397\"\nready\n"
                                              "message 0x113 0\nmessage 0x113 6\nmessage 0x111 0 1025\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.LinesStartingWith("message 0x113 -> 0x0").size(), 3u);
    EXPECT_EQ(run.LinesStartingWith("message 0x111 -> 0x0").size(), 1u);
    // Timer 3 ends by posting the re-run command to the frame, once.
    EXPECT_EQ(run.LinesStartingWith("frame command 16397").size(), 1u);
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginLoad, AToolbarClickReachesThePluginWindowWhoseCommandFailsQuietly)
{
    THostRun run = THostSession("toolbar").Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nready\naddbutton 1025 \"Wipe passphrase\"\n"
                                               "click 1025\nclick 1032\nevent 5 after\nquit\n");
    SCOPED_TRACE(run.Text());
    // The plug-in's own six buttons took the ids from 100.
    EXPECT_TRUE(run.Has("request 3097 button 1025 \"Wipe passphrase\" -> 106"));
    EXPECT_TRUE(run.Has("button 106 clicked"));
    EXPECT_TRUE(run.Has("no button 1032"));
    EXPECT_TRUE(run.Has("event 5 -> 0x0"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginLoad, AReaderThatStaysOpenCancelsTheShutDownAndKeepsTheHooks)
{
    THostRun run
        = THostSession("refuse").Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nready\nreader refuse\nreader\nevent 32\ncheck\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("reader refused close"));
    EXPECT_TRUE(run.Has("event 32 -> 0x9999"));
    // The other reader closed; frame and status bar still carry the plug-in.
    EXPECT_TRUE(run.Has("check frame subclassed=1 statusbar subclassed=1 reader1=subclassed reader2=gone"));
    EXPECT_FALSE(run.Has("frame close: frame subclassed=1 statusbar subclassed=1"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginLoad, OldInterfaceCloseBecomesTheShutDownEvent)
{
    THostRun run
        = THostSession("oldclose").Run(ANSWER_NO_KEY_RINGS + "set formver 0x111\nload\nforminit\nready\nclose\nuntil \"frame destroyed\"\n");
    SCOPED_TRACE(run.Text());
    // The frame's close reached the plug-in, which shut down and closed the frame again.
    EXPECT_TRUE(run.Has("frame close: frame subclassed=0 statusbar subclassed=0"));
    EXPECT_TRUE(run.Has("frame destroyed"));
    EXPECT_TRUE(run.Has("exit 0"));
}

TEST(PluginLoad, AMessageExportNestedInAnotherFailsCleanly)
{
    THostSession session("nested");
    session.WriteFile("in.txt", "-----BEGIN PGP MESSAGE-----\r\nabc\r\n-----END PGP MESSAGE-----\r\n");
    const std::string in = session.File("in.txt");
    THostRun run = session.Run(ANSWER_NO_KEY_RINGS + ANSWER_MESSAGES + "load\nforminit\nready\n"
                               "queue decrypt "
        + in + " " + session.File("nested.txt")
        + "\n"
          "decrypt "
        + in + " " + session.File("outer.txt")
        + "\n"
          "queue encrypt "
        + in
        + " -\n"
          "decrypt "
        + in + " " + session.File("outer2.txt")
        + "\n"
          "quit\n");
    SCOPED_TRACE(run.Text());
    auto decrypts = run.LinesStartingWith("export decrypt ->");
    ASSERT_EQ(decrypts.size(), 3u);
    // The nested decrypt ran inside the outer one's wait and handed the message back unchanged.
    EXPECT_THAT(decrypts[0], HasSubstr("-> 2 "));
    EXPECT_EQ(session.ReadFile("nested.txt"), session.ReadFile("in.txt"));
    // The outer one could not decrypt the broken block either: it showed why and handed it back.
    EXPECT_THAT(decrypts[1], HasSubstr("-> 2 "));
    EXPECT_EQ(session.ReadFile("outer.txt"), session.ReadFile("in.txt"));
    EXPECT_THAT(run.LinesStartingWith("export encrypt ->"), Contains(HasSubstr("-> 0 ")));
    EXPECT_EQ(
        session.ReadFile("in.txt"), "-----BEGIN PGP MESSAGE-----\r\nabc\r\n-----END PGP MESSAGE-----\r\n");
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginLoad, AnExceptionInsideAnExportDoesNotKillTheHost)
{
    THostSession session("exception");
    session.WriteFile("in.txt", "text\r\n");
    const std::string in = session.File("in.txt");
    // The encrypt road finds no key for the recipient and asks (back to the editor keeps the file),
    // and VERIFY finds no signature; each failure stays in its export.
    THostRun run = session.Run(ANSWER_NO_KEY_RINGS + "answer failed \"Back to editor\"\n" + ANSWER_MESSAGES
        + "load\nforminit\nready\n"
                               "encrypt "
        + in
        + " - PGP/MIME someone@example.org\n"
          "sign "
        + in
        + " -\n"
          "verify "
        + in + "\nmanage -\n"
          "export HTMLPAGE x\n"
          "decrypt "
        + in + " " + session.File("out.txt")
        + "\n"
          "quit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_THAT(run.LinesStartingWith("export encrypt ->"), Contains(HasSubstr("-> 0 ")));
    EXPECT_THAT(run.LinesStartingWith("export sign ->"), Contains(HasSubstr("-> 0 ")));
    EXPECT_TRUE(run.Has("export verify -> -2"));
    EXPECT_TRUE(run.Has("export manage -> 0"));
    EXPECT_TRUE(session.Exists("in.txt"));
    EXPECT_TRUE(run.Has("export HTMLPAGE returned"));
    // The failed requests released the busy state: the last decrypt is not refused as nested (it
    // waited one double-click interval first) and hands the text without a block back as it is.
    auto decrypt = run.LinesStartingWith("export decrypt ->");
    ASSERT_EQ(decrypt.size(), 1u);
    EXPECT_THAT(decrypt[0], HasSubstr("-> 2 "));
    EXPECT_EQ(session.ReadFile("out.txt"), "text\r\n");
    EXPECT_GE(MillisecondsOf(decrypt[0]), 450);
    EXPECT_TRUE(run.Has("exit 0"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginLoad, DestroyWipesTheFileAndReportsItGone)
{
    THostSession session("destroy");
    session.WriteFile("plain.txt", std::string(5000, 'p'));
    const std::string file = session.File("plain.txt");
    THostRun run = session.Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nready\ndestroy " + file + "\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("export destroy -> 1"));
    EXPECT_FALSE(session.Exists("plain.txt"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginLoad, ShutDownAndUnloadLeaveNoSubclassOrHookBehind)
{
    THostRun run = THostSession("shutdown").Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nready\nreader\nclose\nuntil \"frame destroyed\"\n");
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("reader destroyed"));
    EXPECT_TRUE(run.Has("frame close: frame subclassed=0 statusbar subclassed=0"));
    // The shut-down finalised the plug-in; the unload had nothing left to do.
    EXPECT_TRUE(run.Has("unload: plug-in class gone"));
    EXPECT_TRUE(run.Has("unload -> ok, module gone"));
    EXPECT_TRUE(run.Has("exit 0"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(PluginLoad, UnloadWhileHookedGivesEveryWindowBackAndTheHostKeepsWorking)
{
    THostRun run = THostSession("unload").Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nready\nreader\nunload\ncheck\n"
                                              "reader\ncommand 1190\ncheck\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("unload: plug-in class registered"));
    EXPECT_TRUE(run.Has("unload -> ok, module gone"));
    EXPECT_TRUE(run.Has("check frame subclassed=0 statusbar subclassed=0 reader1=plain"));
    EXPECT_TRUE(run.Has("frame command 1190"));
    EXPECT_TRUE(run.Has("check frame subclassed=0 statusbar subclassed=0 reader1=plain reader2=plain"));
    EXPECT_TRUE(run.Has("exit 0"));
}

TEST(PluginLoad, TheDialogAnswererClosesAModalQuestion)
{
    THostRun run = THostSession("answer").Run("answer Question 2\ndialog \"A Question\"\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("answered dialog \"A Question\" with 2"));
    EXPECT_TRUE(run.Has("dialog A Question -> 2"));
}
} // namespace
