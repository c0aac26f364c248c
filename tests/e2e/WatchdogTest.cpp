// End to end through the stand-in mail client: the mail client hands over a file to decode in place
// (event 28) and the passphrase dialog that opens is left alone. The watchdog closes it after its
// twenty seconds, and the file keeps its ciphertext: nothing is said to be done.
#include "e2e/HostSession.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>

namespace {

constexpr DWORD WATCHDOG_MS = 20000;
// The decode after the dialog closed, and a machine shared with other builds.
constexpr DWORD WATCHDOG_SLACK_MS = 40000;

std::string Message(const std::string& name)
{
    std::string path = "Z:" ZAVEK_DECROAD_MESSAGES "/" + name;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Watchdog, APassphraseDialogLeftOpenIsClosedAndTheFileKeepsItsText)
{
    THostSession session("watchdog");
    const std::string encrypted = "Before\r\n" + Message("to-ann.asc") + "After\r\n";
    ASSERT_NE(encrypted.find("-----BEGIN PGP MESSAGE-----"), std::string::npos);
    session.WriteFile("part.asc", encrypted);
    // No answers for the stand-in SDK: its passphrase dialog waits for a person, who never comes.
    const DWORD start = GetTickCount();
    const THostRun run = session.Run(ANSWER_MESSAGES + session.UseKeyRings() + "load\nforminit\nready\nreader\nevent 28 \""
        + session.File("part.asc") + "\"\nquit\n");
    const DWORD took = GetTickCount() - start;
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("event 28 -> 0x0"));
    EXPECT_GE(took, WATCHDOG_MS);
    EXPECT_LT(took, WATCHDOG_MS + WATCHDOG_SLACK_MS);
    EXPECT_EQ(session.ReadFile("part.asc"), encrypted);
    EXPECT_TRUE(run.Has("request 3075 3 status \"Decrypting cancelled\""));
    EXPECT_FALSE(run.Has("request 3075 3 status \"Decrypting done\""));
    EXPECT_EQ(run.ExitCode, 0);
}

} // namespace
