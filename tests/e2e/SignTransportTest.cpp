// End to end through the stand-in mail client: SIGN (PGP/MIME) on a multipart message whose 7-bit
// text parts a transport would change (blanks at line ends, a "From " line, a long line). The
// signed message is written to sign-transport/ for GnuPG, which verifies it after a transport
// that strips the blanks at line ends.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

namespace {
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kMessage =
    "From: ann@example.org\r\nTo: bob@example.net\r\nSubject: transport\r\nMIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"t\"\r\n\r\n"
    "--t\r\nContent-Type: text/plain; charset=US-ASCII\r\n\r\n"
    "A line with blanks at its end   \r\nFrom the start of a line\r\n" + std::string(90, 'x') + "\r\n"
    "--t\r\nContent-Type: text/plain; name=\"notes.txt\"\r\nContent-Disposition: attachment; filename=\"notes.txt\"\r\n\r\n"
    "note with a tab\t\r\n--t--\r\n";

TEST(SignTransport, SignedPartsAreWrittenSoThatTransportChangesNothing)
{
    THostSession session("signtransport");
    session.WriteFile("in.tmp", kMessage);
    session.WriteFile("answers.txt", "signing: pass ann-pass\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", session.File("answers.txt").c_str());
    THostRun run = session.Run(ANSWER_MESSAGES + session.UseKeyRings() + "load\nforminit\nready\n" + "sign \"" +
                               session.File("in.tmp") + "\" - \"PGP/MIME\" \"bob@example.net\"\nquit\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    SCOPED_TRACE(run.Text());
    ASSERT_EQ(run.LinesStartingWith("export sign ->").size(), 1u);
    EXPECT_THAT(run.LinesStartingWith("export sign ->")[0], HasSubstr("-> 1 "));
    const std::string sent = session.ReadFile("in.tmp");
    EXPECT_THAT(sent, HasSubstr("Content-Type: multipart/signed"));
    EXPECT_THAT(sent, HasSubstr("Content-Transfer-Encoding: quoted-printable"));
    EXPECT_THAT(sent, HasSubstr("=46rom the start of a line"));
    EXPECT_THAT(sent, Not(HasSubstr(" \r\n")));
    CreateDirectoryA(ZAVEK_SIGN_TRANSPORT_OUT, nullptr);
    std::ofstream(std::string(ZAVEK_SIGN_TRANSPORT_OUT) + "/signed.eml", std::ios::binary) << sent;
}

} // namespace
