// End to end through the stand-in mail client and its editor-library controls: a message whose
// encryption fails goes back into a new editor with its text, and the message file then holds
// only the placeholder that keeps it from being sent.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kMessage = "From: ann@example.org\r\nTo: nobody@example.org\r\nSubject: plans\r\n"
                             "Content-Type: text/plain; charset=ISO-8859-1\r\n\r\nMeet at noon.\r\n";

TEST(Editor, AnAbandonedEncryptionReopensTheMessageInANewEditor)
{
    THostSession session("editorback");
    session.WriteFile("keep.tmp", kMessage);
    // No key for the recipient: the key selection dialog ("PGP") is cancelled, the failure question
    // sends the message back to an editor, and the mail client's notice says so.
    THostRun run = session.Run(ANSWER_MESSAGES + "answer PGP 2\nanswer failed \"Back to editor\"\nanswer Selvadrin OK\n"
        + session.UseKeyRings() + "load\nforminit\nready\neditor\neditortext \"Meet at noon.\"\n"
        + "encrypt \"" + session.File("keep.tmp") + "\" - \"\" \"nobody@example.org\"\neditors\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_THAT(run.LinesStartingWith("export encrypt ->")[0], HasSubstr("-> 0 "));
    EXPECT_FALSE(run.LinesStartingWith("answered dialog \"PGP\" with 2").empty());
    EXPECT_FALSE(run.LinesStartingWith("answered dialog \"ZA-VEK - Encryption failed\" with Back to editor").empty());
    EXPECT_FALSE(run.LinesStartingWith("answered dialog \"Selvadrin\" with OK").empty());
    // The file no longer holds the message: only the placeholder the queue clean-up knows.
    const std::string file = session.ReadFile("keep.tmp");
    EXPECT_THAT(file, Not(HasSubstr("Meet at noon.")));
    EXPECT_THAT(file, HasSubstr("To: "));
    // Both editors hold the text: the old one and the new one the plug-in opened.
    const auto editors = run.LinesStartingWith("editor \"");
    ASSERT_EQ(editors.size(), 2u);
    for (const std::string& line : editors)
        EXPECT_THAT(line, HasSubstr("text \"Meet at noon."));
    EXPECT_GE(run.IndexOf("request 3090 255"), 0);
}

} // namespace

namespace {

// The result the probe reported for name; "(none)" when it reported nothing.
std::string Report(const THostRun& run, const std::string& name)
{
    const std::string prefix = "request 3075 3 status \"probe " + name + ": ";
    auto lines = run.LinesStartingWith(prefix);
    if (lines.empty())
        return "(none)";
    const std::string& line = lines.front();
    return line.substr(prefix.size(), line.size() - prefix.size() - 1);
}

THostRun RunProbe(const std::string& session, const std::string& steps)
{
    return THostSession(session).Run("load\nforminit\n" + steps + "quit\n", 30000,
        "--plugin \"" + StageFolder() + "\\Probe\\EditorProbe.dll\"");
}

} // namespace

TEST(EditorInHost, PutBackIntoAForwardAndAReplyWithTheMailClientsSettings)
{
    THostRun run = RunProbe("editorprobe",
        "export PROBE handle\neditor\nexport PROBE handle\n"
        "editortext \"Forwarded\rFrom:   ann@example.org\r\r-----BEGIN PGP MESSAGE-----\"\nexport PROBE putback2\n"
        "editor\neditortext \"Quoted\rSubject:  plans\r\rarmour\"\nsetting 77 1\nexport PROBE putback1\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(Report(run, "handle"), "nil"); // no editor open yet
    EXPECT_EQ(run.LinesStartingWith("request 3075 3 status \"probe handle: set").size(), 1u);
    EXPECT_EQ(Report(run, "putback2"),
        "1|1|0|0|-- Forwarded message --|-- End of forwarded message --|"
        "~/~/Forwarded~/From:           >ann@example.org~/Meet at noon.~/~/-- End of forwarded message --~/");
    EXPECT_EQ(Report(run, "putback1"),
        "1|1|1|0|You wrote:||~/~/You wrote:Quoted~/Subject:        >plans~/Meet at noon.~/");
}
