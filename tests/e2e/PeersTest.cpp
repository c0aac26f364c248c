// End to end through the stand-in mail client with two OpenPGP programs besides GnuPG, Sequoia's
// sq and RNP (tests/data/peers/make-peers.sh makes their keys and messages at build time). The
// plug-in's user owns Sam's RSA key made by sq, whose primary key only certifies, and Cora's curve
// key. The plug-in verifies and decrypts what the peers wrote, clear-signed texts that end in an
// empty line among them; it signs with Sam's signing sub-key (SHA-256 when no hash was chosen) and
// encrypts to Quinn (sq) and Rita (rnp) at once, and peers-read-plugin.sh then has sq and rnp read
// it. Keys of algorithms the SDK cannot use are named as such, and no recipient is lost for them.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

std::string WindowsPath(std::string path)
{
    path = "Z:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string Message(const std::string& name)
{
    std::ifstream in(WindowsPath(ZAVEK_PEERS "/messages/" + name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_FALSE(text.str().empty()) << name;
    return text.str();
}

// The key ids make-peers.sh wrote: name -> 16 hexadecimal digits.
std::string ShortKeyID(const std::string& who)
{
    std::ifstream in(WindowsPath(ZAVEK_PEERS "/keyids.txt"));
    std::string name, id;
    while (in >> name >> id)
        if (name == who)
            return "0x" + id.substr(8);
    ADD_FAILURE() << "no key id of " << who;
    return {};
}

void Keep(const std::string& name, const std::string& content)
{
    const std::string folder = WindowsPath(ZAVEK_PEERS_OUT);
    CreateDirectoryA(folder.c_str(), nullptr);
    std::ofstream(folder + "\\" + name, std::ios::binary) << content;
}

const std::string kToSam
    = "From: Quinn Seq <quinn@sq.example>\r\nTo: sam@sq.example\r\nSubject: Report\r\n\r\n";

std::string PgpMime(const std::string& armour)
{
    return "From: Quinn Seq <quinn@sq.example>\r\nTo: sam@sq.example\r\nSubject: Parts\r\n"
           "MIME-Version: 1.0\r\nContent-Type: multipart/encrypted; "
           "protocol=\"application/pgp-encrypted\"; boundary=\"zb\"\r\n\r\n"
           "--zb\r\nContent-Type: application/pgp-encrypted\r\n\r\nVersion: 1\r\n\r\n"
           "--zb\r\nContent-Type: application/octet-stream\r\n\r\n"
        + armour + "\r\n--zb--\r\n";
}

// Sam's session: the peers' key rings, signature results shown, and the stand-in SDK's dialogs
// answered from a file (Sam's keys have no passphrase; a decryption passphrase is never given).
std::string Started(const THostSession& session)
{
    const std::string rings = session.UseKeyRings(ZAVEK_PEERS "/rings");
    session.WriteFile(
        "ZAVEK.cfg", session.ReadFile("ZAVEK.cfg") + "[CheckMessage]\r\nCheckSig=1\r\nInclude=1\r\n");
    session.WriteFile("answers.txt", "signing: pass \ndecryption: cancel\nselect-keys: all\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", session.File("answers.txt").c_str());
    return "answer Question No\n" + ANSWER_MESSAGES + rings + "load\nforminit\nready\n";
}

TEST(Peers, ThePluginReadsWhatSqRnpAndGnuPGWrite)
{
    THostSession session("peers-read");
    struct Case {
        std::string name, message, text, status;
        bool checked = true; // a signature whose key's algorithm cannot be used checks nothing
    };
    // The clear-signed texts come out as they were sent, blank line included; a text converted for
    // the mail client gets its CR LF line breaks, so the lines are compared without them.
    const std::string blankEnded = "Hello Sam,\n\nthe report is attached.";
    const Case cases[] = {
        { "rita-clearsigned", kToSam + Message("rita-clearsigned.asc"), blankEnded, "Good (" },
        { "quinn-clearsigned", kToSam + Message("quinn-clearsigned.asc"), blankEnded, "Good (" },
        { "gail-clearsigned", kToSam + Message("gail-clearsigned.asc"), blankEnded, "Good (" },
        { "rita-to-sam", kToSam + Message("rita-to-sam.asc"), "the figures are in.", "Good (" },
        { "quinn-mime-to-sam", PgpMime(Message("quinn-mime-to-sam.asc")), "the parts are in the tree.",
            "Good (" },
        { "cora-clearsigned", kToSam + Message("cora-clearsigned.asc"), "the figures are in.",
            "The key Cora Curve <cora@sq.example> [ " + ShortKeyID("cora")
                + " ] uses an algorithm that is not supported.",
            false },
        { "nina-clearsigned", kToSam + Message("nina-clearsigned.asc"), "the figures are in.",
            "The key Nina Nist <nina@nist.example> [ " + ShortKeyID("nina")
                + " ] uses an algorithm that is not supported.",
            false },
    };
    std::string script = Started(session) + "reader\n";
    for (const Case& c : cases) {
        session.WriteFile(c.name + ".cnm", c.message);
        script += "decrypt \"" + session.File(c.name + ".cnm") + "\" \"" + session.File(c.name + ".out")
            + "\"\n";
    }
    // A message to Cora's curve key: said so at once, no passphrase asked for a key that cannot use it.
    session.WriteFile("to-cora.cnm", kToSam + Message("to-cora.asc"));
    script += "decrypt \"" + session.File("to-cora.cnm") + "\" \"" + session.File("to-cora.out") + "\"\n";
    THostRun run = session.Run(script + "quit\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    SCOPED_TRACE(run.Text());
    const auto notes = run.LinesStartingWith("request 3075 3 status ");
    ASSERT_EQ(notes.size(), std::size(cases));
    // How each decrypt ended, in order (the one to Cora's key last).
    std::vector<std::string> endings = run.LinesStartingWith("request 3075 0 status \"Decrypting");
    endings.erase(std::remove(endings.begin(), endings.end(), "request 3075 0 status \"Decrypting ...\""),
        endings.end());
    ASSERT_EQ(endings.size(), std::size(cases) + 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        std::string out = session.ReadFile(cases[i].name + ".out");
        out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
        EXPECT_THAT(out, HasSubstr(cases[i].text));
        EXPECT_THAT(notes[i], HasSubstr(cases[i].status));
        // A text nothing checked stays as it came, its signature block with it, and is not "done".
        EXPECT_EQ(out.find("-----BEGIN PGP SIGNATURE-----") != std::string::npos, !cases[i].checked) << out;
        EXPECT_EQ(endings[i],
            cases[i].checked ? "request 3075 0 status \"Decrypting done\""
                             : "request 3075 0 status \"Decrypting: nothing was decrypted or verified\"");
        // Only the status itself: a key id made at build time may hold the letters "BAD".
        EXPECT_THAT(notes[i], Not(HasSubstr("status \"BAD")));
    }
    const auto errors = run.LinesStartingWith("dialog text \"ZA-VEK - Error\"");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_THAT(errors[0],
        HasSubstr("The key Cora Curve <cora@sq.example> [ " + ShortKeyID("cora")
            + " ] uses an algorithm that is not supported."));
    EXPECT_THAT(session.ReadFile("to-cora.cnm"), HasSubstr("-----BEGIN PGP MESSAGE-----"));
}

// One session of Sam's: the dialog rules first, then the start and the steps.
THostRun Write(const THostSession& session, const std::string& answers, const std::string& steps)
{
    const std::string started = Started(session);
    return session.Run(answers + started + steps + "quit\n");
}

std::string ExportStep(const THostSession& session, const std::string& verb, const std::string& file,
    const std::string& method, const std::string& recipients)
{
    return verb + " \"" + session.File(file) + "\" - \"" + method + "\" \"" + recipients + "\"\n";
}

const std::string kText = "Dear peers, the draft is final.";
const std::string kMessage
    = "From: sam@sq.example\r\nTo: quinn@sq.example, rita@rnp.example\r\nSubject: Draft\r\n"
      "Content-Type: text/plain; charset=ISO-8859-1\r\n\r\n"
    + kText + "\r\n\r\n";
const std::string kBoth = "quinn@sq.example, rita@rnp.example";

TEST(Peers, WhatThePluginWritesWithAnSqKeyIsReadBySqAndRnp)
{
    THostSession session("peers-write");
    const struct {
        const char* name;
        const char* verb;
        const char* method;
    } cases[] = {
        { "encrypt-inline", "encrypt", "" },
        { "encrypt-mime", "encrypt", "PGP/MIME" },
        { "sign-inline", "sign", "" },
        { "sign-mime", "sign", "PGP/MIME" },
    };
    std::string steps;
    for (const auto& c : cases) {
        session.WriteFile(std::string(c.name) + ".tmp", kMessage);
        steps += ExportStep(session, c.verb, std::string(c.name) + ".tmp", c.method, kBoth);
    }
    // Signed and encrypted from the editor, inline and PGP/MIME; the next editor opens once the
    // export before it is done (two encrypted above).
    int sends = 2;
    for (const char* method : { "", "PGP/MIME" }) {
        const std::string name = *method ? "signenc-mime" : "signenc-inline";
        session.WriteFile(name + ".tmp", kMessage);
        steps += "set to \"" + kBoth + "\"\neditor\neditortext \"" + kText + "\"\nonsend encrypt \""
            + session.File(name + ".tmp") + "\" - \"" + method + "\" \"" + kBoth
            + "\"\nencdialog\nencclick 1\neditorcommand 139\nuntil \"export encrypt ->\" "
            + std::to_string(++sends) + "\n";
    }
    // A key dialog would be cancelled: both recipients resolve on their own.
    THostRun run = Write(session, "answer PGP 2\n", steps);
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    SCOPED_TRACE(run.Text());
    EXPECT_THAT(run.LinesStartingWith("answered dialog \"PGP\""), IsEmpty());
    EXPECT_THAT(run.LinesStartingWith("dialog text \"ZA-VEK - Error"), IsEmpty());
    EXPECT_THAT(run.LinesStartingWith("dialog text \"ZA-VEK - Encryption failed"), IsEmpty());
    EXPECT_THAT(run.LinesStartingWith("export encrypt ->"), ::testing::SizeIs(4));
    EXPECT_THAT(run.LinesStartingWith("export sign ->"), ::testing::SizeIs(2));
    for (const char* verb : { "export encrypt ->", "export sign ->" })
        for (const std::string& line : run.LinesStartingWith(verb))
            EXPECT_THAT(line, HasSubstr("-> 1 "));
    for (const std::string name :
        { "encrypt-inline", "encrypt-mime", "sign-inline", "sign-mime", "signenc-inline", "signenc-mime" }) {
        SCOPED_TRACE(name);
        const std::string written = session.ReadFile(name + ".tmp");
        Keep(name + ".eml", written);
        if (name.rfind("sign-", 0) == 0) {
            EXPECT_THAT(written, HasSubstr("-----BEGIN PGP SIGNATURE-----"));
            // No hash chosen: SHA-256, which sq and rnp accept.
            EXPECT_THAT(written, HasSubstr(name == "sign-mime" ? "micalg=pgp-sha256" : "Hash: SHA256"));
        } else {
            EXPECT_THAT(written, HasSubstr("-----BEGIN PGP MESSAGE-----"));
            EXPECT_THAT(written, Not(HasSubstr("the draft is final.")));
        }
    }
}

// Cora's key, made by sq with its default curves, cannot be used: encrypting to her, alone or
// beside Rita, says so by name, and the user decides: back to the editor keeps the message as it
// was, never encrypted without her. Importing Nina's NIST P-256 key says it cannot be used.
TEST(Peers, ARecipientWithACurveKeyIsNamedAndNeverDropped)
{
    THostSession session("peers-curve");
    session.WriteFile("alone.tmp", kMessage);
    session.WriteFile("beside.tmp", kMessage);
    THostRun run = Write(session, "answer PGP 2\nanswer failed \"Back to editor\"\n",
        ExportStep(session, "encrypt", "alone.tmp", "", "cora@sq.example")
            + ExportStep(session, "encrypt", "beside.tmp", "", "cora@sq.example, rita@rnp.example")
            + "manage \"" + WindowsPath(ZAVEK_PEERS "/peers/nina.asc") + "\"\nidle\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    SCOPED_TRACE(run.Text());
    EXPECT_THAT(run.LinesStartingWith("answered dialog \"PGP\""), IsEmpty());
    const auto questions = run.LinesStartingWith("dialog text \"ZA-VEK - Encryption failed\"");
    ASSERT_EQ(questions.size(), 2u);
    for (const std::string& question : questions) {
        EXPECT_THAT(question,
            HasSubstr("The key Cora Curve <cora@sq.example> [ " + ShortKeyID("cora")
                + " ] uses an algorithm that is not supported.  Put the message back"));
        EXPECT_THAT(question, Not(HasSubstr(".!")));
    }
    EXPECT_EQ(session.ReadFile("alone.tmp"), kMessage);
    EXPECT_EQ(session.ReadFile("beside.tmp"), kMessage);
    const auto imported = run.LinesStartingWith("dialog text \"ZA-VEK - Warning\"");
    ASSERT_EQ(imported.size(), 1u);
    EXPECT_THAT(imported[0],
        HasSubstr("The key Nina Nist <nina@nist.example> [ " + ShortKeyID("nina")
            + " ] uses an algorithm that is not supported."));
}

} // namespace
