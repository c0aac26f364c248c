// End to end through the stand-in mail client: ENCRYPT and SIGN on a message file. With an output
// file the message is passed on unchanged; without one it is encrypted for the recipient over the
// same file, the new recipient key is offered for the recipient list, and a recipient without a
// key leads to the failure question, whose answers keep the message or send it as the user chose.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

std::string Step(const std::string& verb, const THostSession& session, const std::string& in,
    const std::string& out, const std::string& method, const std::string& recipient)
{
    return verb + " \"" + session.File(in) + "\" " + (out == "-" ? "-" : "\"" + session.File(out) + "\"") + " \""
        + method + "\" \"" + recipient + "\"\n";
}

TEST(EncryptRoad, WithAnOutputFileTheMessageIsPassedOn)
{
    THostSession session("encpass");
    session.WriteFile("in.tmp", kMessage);
    session.WriteFile("bell.tmp", "ring \x07\r\n");
    THostRun run = session.Run(Started(session) + Step("encrypt", session, "in.tmp", "out.tmp", "", "")
        + Step("sign", session, "bell.tmp", "bell.out", "", "") + "quit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.LinesStartingWith("export encrypt ->").size(), 1u);
    EXPECT_THAT(run.LinesStartingWith("export encrypt ->")[0], HasSubstr("-> 1 "));
    EXPECT_THAT(run.LinesStartingWith("export sign ->")[0], HasSubstr("-> 2 "));
    EXPECT_EQ(session.ReadFile("out.tmp"), kMessage);
    EXPECT_EQ(session.ReadFile("in.tmp"), kMessage);
    EXPECT_EQ(session.ReadFile("bell.out"), "ring \x07\r\n");
}

TEST(EncryptRoad, TheMessageIsEncryptedOverItsFile)
{
    THostSession session("encfile");
    session.WriteFile("in.tmp", kMessage);
    // The new recipient and key are offered for the recipient list: declined. The open queue
    // window is asked to show the queue again.
    THostRun run = session.Run("answer Question No\n" + Started(session) + "queuewindow\n"
        + Step("encrypt", session, "in.tmp", "-", "", "ann@example.org") + "idle\nquit\n");
    SCOPED_TRACE(run.Text());
    ASSERT_EQ(run.LinesStartingWith("export encrypt ->").size(), 1u);
    EXPECT_GT(run.IndexOf("queue window refreshed"), run.IndexOf("export encrypt ->"));
    EXPECT_THAT(run.LinesStartingWith("export encrypt ->")[0], HasSubstr("-> 1 "));
    const std::string sent = session.ReadFile("in.tmp");
    EXPECT_THAT(sent, HasSubstr("Subject: plans\r\n"));
    EXPECT_THAT(sent, HasSubstr("-----BEGIN PGP MESSAGE-----"));
    EXPECT_THAT(sent, Not(HasSubstr("Meet at noon.")));
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Question\" with No").size(), 1u);
    // The mail client's status line follows the road.
    EXPECT_LT(run.IndexOf("request 3075 0 status \"Encrypting ...\""),
        run.IndexOf("request 3075 0 status \"Encrypting done\""));
    EXPECT_GE(run.IndexOf("request 3075 0 status \"Encrypting ...\""), 0);
}

TEST(EncryptRoad, PgpMimeIsTheHostsChoiceWithoutAnEditor)
{
    THostSession session("encmime");
    session.WriteFile("in.tmp", kMessage);
    THostRun run = session.Run("answer Question No\n" + Started(session)
        + Step("encrypt", session, "in.tmp", "-", "PGP/MIME", "ann@example.org") + "quit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_THAT(run.LinesStartingWith("export encrypt ->")[0], HasSubstr("-> 1 "));
    const std::string sent = session.ReadFile("in.tmp");
    EXPECT_THAT(sent, HasSubstr("Content-Type: multipart/encrypted"));
    EXPECT_THAT(sent, HasSubstr("X-PM-Encryptor: DIRAZA-ZE32, 1"));
    EXPECT_THAT(sent, Not(HasSubstr("Meet at noon.")));
}

TEST(EncryptRoad, AFailureKeepsTheMessageOrSendsItUnencrypted)
{
    THostSession session("encfail");
    session.WriteFile("keep.tmp", kMessage);
    session.WriteFile("plain.tmp", kMessage);
    // No key for the recipient: the key selection dialog ("PGP") is cancelled, then the failure
    // question. Back to the editor: no editor can take the message here, so it stays in its file.
    THostRun back = session.Run("answer PGP 2\nanswer failed \"Back to editor\"\n" + Started(session)
        + Step("encrypt", session, "keep.tmp", "-", "", "nobody@example.org") + "quit\n");
    SCOPED_TRACE(back.Text());
    EXPECT_THAT(back.LinesStartingWith("export encrypt ->")[0], HasSubstr("-> 0 "));
    EXPECT_EQ(session.ReadFile("keep.tmp"), kMessage);
    EXPECT_FALSE(back.LinesStartingWith("answered dialog \"PGP\" with 2").empty());

    THostRun plain = session.Run("answer PGP 2\nanswer failed \"Send unencrypted\"\n" + Started(session)
        + Step("encrypt", session, "plain.tmp", "-", "", "nobody@example.org") + "quit\n");
    SCOPED_TRACE(plain.Text());
    EXPECT_THAT(plain.LinesStartingWith("export encrypt ->")[0], HasSubstr("-> 1 "));
    EXPECT_THAT(session.ReadFile("plain.tmp"), HasSubstr("Meet at noon."));
}

} // namespace
