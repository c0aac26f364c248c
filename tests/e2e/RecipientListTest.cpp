// End to end through the stand-in mail client: a recipient for whom the recipient list holds two
// keys is sent to with the key the user picks in the list dialog (GnuPG then decrypts the message
// with that key, see gpg-reads-recipient-choice.sh), and a cancelled choice keeps the message in
// its editor and says so.
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

const std::string kMessage = "From: ann@example.org\r\nTo: team@example.com\r\nSubject: plans\r\n"
                             "Content-Type: text/plain; charset=ISO-8859-1\r\n\r\nMeet at noon.\r\n";

struct TTestKey {
    std::string Id; // 16 hexadecimal digits
    std::string SubKeyId;
};

// A key of the test key rings by its owner's name, from the ids GnuPG wrote when it made them.
TTestKey TestKey(const std::string& name)
{
    std::ifstream file(ZAVEK_KEY_FIXTURES "/keyids.txt");
    std::string who;
    TTestKey key;
    while (file >> who >> key.Id >> key.SubKeyId)
        if (who == name)
            return key;
    ADD_FAILURE() << "no key id for " << name;
    return {};
}

// The list entry of a recipient and key, encrypting only.
std::string EncryptEntry(const std::string& recipient, const TTestKey& key)
{
    return recipient + "\\1x" + key.Id + "+s\r\n";
}

// The session with the test key rings, encrypting to the recipients only (not to the sender too).
std::string Started(THostSession& session)
{
    const std::string rings = session.UseKeyRings();
    session.WriteFile("ZAVEK.cfg", session.ReadFile("ZAVEK.cfg") + "[EncryptToSelf]\r\nSelf=0\r\n");
    return ANSWER_MESSAGES + rings + "load\nforminit\nready\n";
}

// The user sends; the plug-in ticks the editor's encryption box, and the mail client's encryption
// dialog (opened by the script, as the stand-in editor has no such box) is confirmed.
std::string SendFromEditor(const THostSession& session, const std::string& file)
{
    return "set to team@example.com\neditor\neditortext \"Meet at noon.\"\nonsend encrypt \"" + session.File(file)
        + "\" - \"\" \"team@example.com\"\neditorcommand 139\nencdialog\nencclick 1\nwait 2500\neditors\nquit\n";
}

void SaveForGnuPG(const std::string& name, const std::string& content)
{
    CreateDirectoryA(ZAVEK_RECIPIENT_OUT, nullptr);
    std::ofstream(std::string(ZAVEK_RECIPIENT_OUT) + "/" + name, std::ios::binary) << content;
}

TEST(RecipientList, TheKeyChosenInTheDialogIsTheOneTheMessageIsEncryptedTo)
{
    const TTestKey ann = TestKey("ann"), bob = TestKey("bob");
    THostSession session("recipchoice");
    session.WriteFile("out.tmp", kMessage);
    session.WriteFile("AutoList.txt", EncryptEntry("team@example.com", ann) + EncryptEntry("team@example.com", bob));
    // The candidates are shown by key id: Bob's is the first row or the second.
    const std::string keysToBob = bob.Id < ann.Id ? "keys:13" : "keys:40,13";
    THostRun run
        = session.Run("answer \"Choose a key\" " + keysToBob + "\n" + Started(session) + SendFromEditor(session, "out.tmp"));
    SCOPED_TRACE(run.Text());
    // Asked once: the send's second resolution keeps the choice.
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"Choose a key\" with keys").size(), 1u);
    ASSERT_EQ(run.LinesStartingWith("export encrypt ->").size(), 1u);
    EXPECT_THAT(run.LinesStartingWith("export encrypt ->")[0], HasSubstr("-> 1 "));
    EXPECT_TRUE(run.Has("editor message sent"));
    const std::string sent = session.ReadFile("out.tmp");
    EXPECT_THAT(sent, HasSubstr("-----BEGIN PGP MESSAGE-----"));
    EXPECT_THAT(sent, Not(HasSubstr("Meet at noon.")));
    SaveForGnuPG("chosen.eml", sent);
    SaveForGnuPG("chosen.key", bob.SubKeyId + "\n" + ann.SubKeyId + "\n");
    // The pair was in the list already: nothing is offered to add.
    EXPECT_TRUE(run.LinesStartingWith("answered dialog \"ZA-VEK - Question\"").empty());
}

TEST(RecipientList, ACancelledChoiceKeepsTheMessageAndSaysSo)
{
    const TTestKey ann = TestKey("ann"), bob = TestKey("bob");
    THostSession session("recipcancel");
    session.WriteFile("out.tmp", kMessage);
    session.WriteFile("AutoList.txt", EncryptEntry("team@example.com", ann) + EncryptEntry("team@example.com", bob));
    THostRun run = session.Run("answer \"Choose a key\" Cancel\n" + Started(session) + SendFromEditor(session, "out.tmp"));
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"Choose a key\" with Cancel").size(), 1u);
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\" with OK").size(), 1u);
    // Not sent, not encoded: the editor still holds the message.
    EXPECT_FALSE(run.Has("editor message sent"));
    EXPECT_TRUE(run.LinesStartingWith("export encrypt ->").empty());
    EXPECT_EQ(session.ReadFile("out.tmp"), kMessage);
    EXPECT_FALSE(run.LinesStartingWith("editor \"").empty());
    EXPECT_THAT(run.LinesStartingWith("editor \"")[0], HasSubstr("Meet at noon."));
}

} // namespace
