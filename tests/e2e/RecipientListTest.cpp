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
#include <vector>

namespace {
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kMessage = "From: ann@example.org\r\nTo: team@example.com\r\nSubject: plans\r\n"
                             "Content-Type: text/plain; charset=ISO-8859-1\r\n\r\nMeet at noon.\r\n";

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

// The user sends; the recipient list decides (the stand-in editor has no encryption box for the
// plug-in to tick, so no encryption dialog adds flags of its own). The send ends with the step
// that waits for its outcome.
std::string SendFromEditor(const THostSession& session, const std::string& file, const std::string& outcome)
{
    return "set to team@example.com\neditor\neditortext \"Meet at noon.\"\nonsend encrypt \"" + session.File(file)
        + "\" - \"\" \"team@example.com\"\neditorcommand 139\n" + outcome + "editors\nquit\n";
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
        = session.Run("answer \"Choose a key\" " + keysToBob + "\n" + Started(session)
        + SendFromEditor(session, "out.tmp", "until \"export encrypt ->\"\n"));
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
    // The key choice's Cancel, then the error's OK.
    THostRun run = session.Run("answer \"Choose a key\" Cancel\n" + Started(session)
        + SendFromEditor(session, "out.tmp", "until \"answered dialog\" 2\n"));
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

namespace {

constexpr const char* OPEN_LIST_MENU = "popup \"&Selvadrin/Recipient list\"\n";

// The entry lines of the recipient list file, after its header block.
std::vector<std::string> ListLines(const THostSession& session)
{
    std::string text = session.ReadFile("AutoList.txt");
    const size_t headerEnd = text.rfind("#++++", 0) == 0 ? text.find("++++#", 5) : std::string::npos;
    if (headerEnd != std::string::npos)
        text = text.substr(headerEnd + 5);
    std::istringstream lines(text);
    std::vector<std::string> entries;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            entries.push_back(line);
    }
    return entries;
}

TEST(RecipientList, KeysFromTheKeyRingAreAddedAndTheListEditedFromTheMenu)
{
    const TTestKey ann = TestKey("ann"), bob = TestKey("bob");
    THostSession session("recipmenu");
    session.WriteFile("AutoList.txt", EncryptEntry("Bob Stone <bob@example.net>", bob));
    // New: Ann's key with its first user id, and Bob's second user id. Both rows are chosen with
    // the space bar; OK stores them.
    THostRun add = session.Run("answer \"Add recipients\" keys:32,40,32\nanswer \"Add recipients\" OK\n"
        + Started(session) + OPEN_LIST_MENU + "command 24605\nidle\nquit\n");
    SCOPED_TRACE(add.Text());
    EXPECT_FALSE(add.LinesStartingWith("answered dialog \"Add recipients\" with OK").empty());
    EXPECT_EQ(add.LinesStartingWith("answered dialog \"ZA-VEK - Information\" with OK").size(), 1u);
    // New entries sign, as the automatic mode's options say (it is off, signing on). The file
    // holds the system's 8-bit character set.
    const std::vector<std::string> added = ListLines(session);
    const std::vector<std::string> expected = { "Ann Lee <ann@example.org>\\2x" + ann.Id + "+s",
        "Bob Stone <bob@example.net>\\1x" + bob.Id + "+s", "J\xf6rg Stone <joerg@example.net>\\2x" + bob.Id + "+s" };
    EXPECT_THAT(added, ::testing::UnorderedElementsAreArray(expected));

    // Another start of the plug-in edits a list: the row's encrypt switched off and sign on with
    // the space bar, then OK; a second row of the same key follows without Ctrl.
    session.WriteFile("AutoList.txt",
        EncryptEntry("Ann Lee <ann@example.org>", ann) + EncryptEntry("Ann at work <ann@work.example>", ann));
    THostRun edit = session.Run("answer \"Recipient list\" keys:32,39,32\nanswer \"Recipient list\" OK\n"
        + Started(session) + OPEN_LIST_MENU + "command 24606\nidle\nquit\n");
    SCOPED_TRACE(edit.Text());
    EXPECT_FALSE(edit.LinesStartingWith("answered dialog \"Recipient list\" with OK").empty());
    EXPECT_THAT(ListLines(session),
        ::testing::UnorderedElementsAre(
            "Ann Lee <ann@example.org>\\2x" + ann.Id + "+s", "Ann at work <ann@work.example>\\2x" + ann.Id + "+s"));
    EXPECT_EQ(session.ReadFile("AutoList.txt").substr(0, 5), "#++++");
}

TEST(RecipientList, ANewPairOfASendIsAddedFromTheMenu)
{
    const TTestKey bob = TestKey("bob");
    THostSession session("recipnew");
    session.WriteFile("in.tmp", "From: ann@example.org\r\nTo: bob@example.net\r\nSubject: plans\r\n\r\nHi.\r\n");
    // Declined after the send; the menu then offers the pair, and the dialog adds it.
    THostRun run = session.Run("answer Question No\nanswer \"Add recipients\" keys:32\nanswer \"Add recipients\" OK\n"
        + Started(session) + OPEN_LIST_MENU + "menu \"&Selvadrin/Recipient list\"\nencrypt \"" + session.File("in.tmp")
        + "\" - \"\" \"bob@example.net\"\n" + OPEN_LIST_MENU + "menu \"&Selvadrin/Recipient list\"\n"
        + "command 24604\nidle\n" + OPEN_LIST_MENU + "menu \"&Selvadrin/Recipient list\"\nquit\n");
    SCOPED_TRACE(run.Text());
    const auto menus = run.LinesStartingWith("menu &Selvadrin/Recipient list:");
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_THAT(menus[0], HasSubstr("24604:g"));
    EXPECT_THAT(menus[1], Not(HasSubstr("24604:g")));
    EXPECT_THAT(menus[2], HasSubstr("24604:g"));
    EXPECT_FALSE(run.LinesStartingWith("answered dialog \"Add recipients\" with OK").empty());
    EXPECT_THAT(ListLines(session), ::testing::ElementsAre("Bob Stone <bob@example.net>\\2x" + bob.Id + "+s"));
}

} // namespace

namespace {

// An address book of the mail client: a 128-byte header with its title, then 458-byte records
// with the name at byte 2 and the address at byte 342.
std::string AddressBook(const std::string& title, const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string book(128, '\0');
    book.replace(0, title.size(), title);
    for (const auto& [name, address] : entries) {
        std::string record(458, '\0');
        record.replace(2, name.size(), name);
        record.replace(342, address.size(), address);
        book += record;
    }
    return book;
}

TEST(RecipientList, ANameTheAddressBookKnowsIsSentToItsAddress)
{
    THostSession session("recipbooks");
    session.WriteFile("FRIENDS.PMR", AddressBook("Friends", { { "Robert", "bob@example.net" } }));
    session.WriteFile("out.tmp", "From: ann@example.org\r\nTo: Robert\r\nSubject: plans\r\n\r\nMeet at noon.\r\n");
    // The user picks the encryptor that resolves names and encrypts only; no key matches "Robert"
    // itself (a key dialog would be cancelled).
    THostRun run = session.Run("answer Question No\nanswer PGP 2\nanswer failed \"Back to editor\"\n" + Started(session)
        + "set to Robert\neditor\neditortext \"Meet at noon.\"\nonsend encrypt \"" + session.File("out.tmp")
        + "\" - \"\" \"Robert\"\nencdialog\nencselect \"*** Selvadrin with address books\"\nencclick 104\nencclick 1\n"
        + "editorcommand 139\nuntil \"export encrypt ->\"\nquit\n");
    SCOPED_TRACE(run.Text());
    // The plug-in's own handler is not offered, nor S/MIME without a certificate to sign with.
    EXPECT_TRUE(run.Has("encryption dialog encryptors \"(none)|Selvadrin|qro's PGP/MIME Handler|"
                        "*** Selvadrin with address books\" chosen \"Selvadrin\" enabled=1"));
    EXPECT_TRUE(run.Has("encryption dialog encryptor \"*** Selvadrin with address books\""));
    ASSERT_EQ(run.LinesStartingWith("export encrypt ->").size(), 1u);
    EXPECT_THAT(run.LinesStartingWith("export encrypt ->")[0], HasSubstr("-> 1 "));
    EXPECT_TRUE(run.LinesStartingWith("answered dialog \"PGP\"").empty());
    const std::string sent = session.ReadFile("out.tmp");
    EXPECT_THAT(sent, HasSubstr("-----BEGIN PGP MESSAGE-----"));
    EXPECT_THAT(sent, Not(HasSubstr("Meet at noon.")));
}

} // namespace
