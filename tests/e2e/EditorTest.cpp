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
    THostRun run = session.Run(ANSWER_MESSAGES + "answer Selvadrin OK\nanswer failed \"Back to editor\"\n"
        + session.UseKeyRings() + "load\nforminit\nready\neditor\neditortext \"Meet at noon.\"\n"
        + "encrypt \"" + session.File("keep.tmp") + "\" - \"\" \"nobody@example.org\"\neditors\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_THAT(run.LinesStartingWith("export encrypt ->")[0], HasSubstr("-> 0 "));
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
