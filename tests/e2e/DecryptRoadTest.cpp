// End to end through the stand-in mail client: DECRYPT on a reader's message file decrypts a
// message GnuPG encrypted to a key of the session's rings into the output file; a tampered one is
// refused with its error shown and the message left as it came; a text without a protected block
// and an armoured attachment go through as the mail client expects. VERIFY and MANAGE without a
// file hand over to the mail client's own commands.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kHeader = "From: Ann Lee <ann@example.org>\r\nTo: bob@example.net\r\nSubject: Friday\r\n\r\n";

std::string Message(const std::string& name)
{
    std::string path = "Z:" ZAVEK_DECROAD_MESSAGES "/" + name;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_FALSE(text.str().empty()) << path;
    return text.str();
}

// A PGP/MIME message from Bob to Ann, signed by Bob.
std::string PgpMimeMessage()
{
    return "From: Bob Stone <bob@example.net>\r\nTo: ann@example.org\r\nSubject: Parts\r\n"
           "MIME-Version: 1.0\r\nContent-Type: multipart/encrypted; "
           "protocol=\"application/pgp-encrypted\"; boundary=\"zb\"\r\n\r\n"
           "--zb\r\nContent-Type: application/pgp-encrypted\r\n\r\nVersion: 1\r\n\r\n"
           "--zb\r\nContent-Type: application/octet-stream\r\n\r\n"
        + Message("mime-to-ann-signed-by-bob.asc") + "\r\n--zb--\r\n";
}

// A started plug-in with a reader open, then the given steps.
std::string Session(const THostSession& session, const std::string& steps)
{
    return ANSWER_MESSAGES + session.UseKeyRings() + "load\nforminit\nready\nreader\n" + steps + "quit\n";
}

// DECRYPT of a message to Ann in an open reader with the signer included (signatures checked
// unless told otherwise), then the given steps.
THostRun DecryptInReader(
    const THostSession& session, const std::string& message, const std::string& steps, bool checkSig = true)
{
    session.WriteFile("in.cnm", message);
    const std::string rings = session.UseKeyRings();
    session.WriteFile("ZAVEK.cfg",
        session.ReadFile("ZAVEK.cfg") + "[CheckMessage]\r\nCheckSig=" + (checkSig ? "1" : "0")
            + "\r\nInclude=1\r\n");
    // Ann's passphrase for the DECRYPT and for a VERIFY among the steps.
    session.WriteFile("answers.txt", "decryption: pass ann-pass\ndecryption: pass ann-pass\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", session.File("answers.txt").c_str());
    THostRun run = session.Run(ANSWER_MESSAGES + rings + "load\nforminit\nready\nreader\ndecrypt \""
        + session.File("in.cnm") + "\" \"" + session.File("out.cnm") + "\"\nidle\n" + steps + "quit\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    return run;
}

TEST(DecryptRoad, AnEncryptedMessageIsDecryptedIntoTheOutputFile)
{
    THostSession session("decrypt");
    session.WriteFile("in.cnm", kHeader + Message("to-bob.asc"));
    THostRun run = session.Run(
        Session(session, "decrypt \"" + session.File("in.cnm") + "\" \"" + session.File("out.cnm") + "\"\n"));
    SCOPED_TRACE(run.Text());
    const auto calls = run.LinesStartingWith("export decrypt ->");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], HasSubstr("-> 2 "));
    const std::string out = session.ReadFile("out.cnm");
    EXPECT_EQ(out, kHeader + "Hello Bob,\r\nthe meeting moves to Friday.\r\n");
    EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting ...\""));
    EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting done\""));
    EXPECT_TRUE(run.LinesStartingWith("answered dialog").empty());
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(DecryptRoad, AnOutputFolderThatIsMissingIsNamedInAnErrorAndTheRequestFails)
{
    THostSession session("nooutfolder");
    session.WriteFile("in.cnm", kHeader + Message("to-bob.asc"));
    THostRun run = session.Run(Session(
        session, "decrypt \"" + session.File("in.cnm") + "\" \"" + session.File("gone\\out.cnm") + "\"\n"));
    SCOPED_TRACE(run.Text());
    const auto calls = run.LinesStartingWith("export decrypt ->");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], HasSubstr("-> 0 "));
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").size(), 1u);
    EXPECT_FALSE(session.Exists("gone"));
}

TEST(DecryptRoad, AnArmourSentQuotedPrintableIsReadAsAReceivingClientReadsIt)
{
    THostSession session("quoted");
    std::string armour = Message("to-bob.asc"), quoted;
    for (char c : armour)
        quoted += c == '=' ? std::string("=3D") : std::string(1, c);
    const std::string header = kHeader.substr(0, kHeader.size() - 2)
        + "Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n";
    session.WriteFile("in.cnm", header + quoted);
    THostRun run = session.Run(
        Session(session, "decrypt \"" + session.File("in.cnm") + "\" \"" + session.File("out.cnm") + "\"\n"));
    SCOPED_TRACE(run.Text());
    const std::string out = session.ReadFile("out.cnm");
    EXPECT_THAT(out, HasSubstr("Content-Transfer-Encoding: 8bit\r\n\r\nHello Bob,\r\nthe meeting moves to Friday."));
    EXPECT_EQ(out.find("quoted-printable"), std::string::npos) << out;
    EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting done\""));
}

TEST(DecryptRoad, ATamperedMessageIsRefusedAndLeftAsItCame)
{
    THostSession session("tampered");
    const std::string message = kHeader + Message("to-bob-tampered.asc");
    session.WriteFile("in.cnm", message);
    THostRun run = session.Run(
        Session(session, "decrypt \"" + session.File("in.cnm") + "\" \"" + session.File("out.cnm") + "\"\n"));
    SCOPED_TRACE(run.Text());
    const auto calls = run.LinesStartingWith("export decrypt ->");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], HasSubstr("-> 2 "));
    const std::string out = session.ReadFile("out.cnm");
    EXPECT_EQ(out, message);
    EXPECT_EQ(out.find("Friday."), std::string::npos);
    // The refusal is shown once, and the status line says the decryption did not happen.
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").size(), 1u);
    EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting cancelled\""));
    // Nothing of the plaintext is left in the session's folder either.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(session.File("*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            EXPECT_EQ(session.ReadFile(found.cFileName).find("meeting moves"), std::string::npos) << found.cFileName;
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

TEST(DecryptRoad, PlainTextAndArmouredAttachmentsGoThroughAsTheMailClientExpects)
{
    THostSession session("passthrough");
    const char bytes[] = "Subject: plain\r\n\r\nNo armour here.\rLone CR\nLone LF\x01\x00!";
    const std::string plain(bytes, sizeof bytes - 1);
    session.WriteFile("plain.cnm", plain);
    session.WriteFile("letter.asc", "Attached:\r\n\r\n" + Message("to-bob.asc"));
    // Command 151 to the frame while the reader is active puts the decode into attachment mode; a
    // reader activated afterwards starts without it.
    const std::string letter = "decrypt \"" + session.File("letter.asc") + "\" \"" + session.File("letter.out") + "\"\n";
    THostRun run = session.Run(Session(session,
        "decrypt \"" + session.File("plain.cnm") + "\" \"" + session.File("plain.out") + "\"\n" + "command 151\n"
            + letter + "reader\n"
            + "decrypt \"" + session.File("letter.asc") + "\" \"" + session.File("letter2.out") + "\"\n"));
    SCOPED_TRACE(run.Text());
    const auto calls = run.LinesStartingWith("export decrypt ->");
    ASSERT_EQ(calls.size(), 3u);
    for (const std::string& call : calls)
        EXPECT_THAT(call, HasSubstr("-> 2 "));
    EXPECT_NE(session.ReadFile("letter2.out").find("Attached:\r\n\r\nHello Bob,"), std::string::npos)
        << session.ReadFile("letter2.out");
    EXPECT_EQ(session.ReadFile("plain.out"), plain);
    const std::string block = session.ReadFile("letter.out");
    EXPECT_EQ(block.rfind("-----BEGIN PGP MESSAGE-----", 0), 0u) << block;
    EXPECT_NE(block.find("-----END PGP MESSAGE-----"), std::string::npos) << block;
    EXPECT_EQ(block.find("Attached:"), std::string::npos);
}

TEST(DecryptRoad, VerifyAndManageWithoutAFileHandOverToTheMailClient)
{
    THostSession session("handover");
    THostRun run = session.Run(ANSWER_MESSAGES + session.UseKeyRings()
        + "load\nforminit\nready\nverify -\nmanage -\nuntil \"frame command 182\"\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("export verify -> -2"));
    EXPECT_TRUE(run.Has("export manage -> 0"));
    const int verify = run.IndexOf("frame command 181");
    const int manage = run.IndexOf("frame command 182");
    EXPECT_GE(verify, 0);
    EXPECT_GT(manage, verify);
}

// The mail client's own verify and key management hold the decode off only while they run; our
// link in a message holds it off until the mail client's window that shows the message without the
// decode (titled with its text 44) is gone.
TEST(DecryptRoad, TheMailClientsOwnCommandsHoldTheDecodeOffOnlyWhileTheyRun)
{
    THostSession session("holdoff");
    const std::string message = kHeader + Message("to-bob.asc");
    session.WriteFile("in.cnm", message);
    const auto decrypt = [&](const char* out) {
        return "decrypt \"" + session.File("in.cnm") + "\" \"" + session.File(out) + "\"\n";
    };
    THostRun run = session.Run(Session(session,
        "command 181\ncommand 182\n" + decrypt("after-commands.cnm")
            + "answer \"ZA-VEK - Question\" No\nlink ZAVEK_URL:0x1234\nidle\n"
            + decrypt("held.cnm") + "answer \"Message source\" 1\ndialog \"Message source\"\n"
            + decrypt("after-view.cnm")));
    SCOPED_TRACE(run.Text());
    const std::string plain = kHeader + "Hello Bob,\r\nthe meeting moves to Friday.\r\n";
    EXPECT_EQ(session.ReadFile("after-commands.cnm"), plain);
    EXPECT_EQ(session.ReadFile("held.cnm"), message);
    EXPECT_EQ(session.ReadFile("after-view.cnm"), plain);
}

TEST(DecryptRoad, VerifyShowsTheSignerOncePerFileName)
{
    THostSession session("verify");
    session.WriteFile("signed.cnm", kHeader + "Intro\r\n\r\n" + Message("signed-by-ann.asc"));
    const std::string verify = "verify \"" + session.File("signed.cnm") + "\"\n";
    // The mail client asks twice for one check; a third request is a new one.
    THostRun run = session.Run(Session(session, verify + verify + verify));
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.LinesStartingWith("export verify -> -2").size(), 3u);
    const auto boxes = run.LinesStartingWith("answered dialog \"ZA-VEK - Information\"");
    EXPECT_EQ(boxes.size(), 2u);
    // "Intro" stands outside the signed text.
    const auto notes = run.LinesStartingWith("request 3075 3 status \"Partly signed: Good ");
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_THAT(notes[0], HasSubstr("Ann Lee <ann@example.org>"));
    EXPECT_TRUE(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").empty());
}

TEST(DecryptRoad, AnSMimeSignedMessageStaysAsItCameWithAClearMessage)
{
    THostSession session("smime");
    const std::string message = kHeader.substr(0, kHeader.size() - 2)
        + "MIME-Version: 1.0\r\nContent-Type: multipart/signed; protocol=\"application/pkcs7-signature\"; "
          "micalg=sha-256; boundary=\"s1\"\r\n\r\n--s1\r\nContent-Type: text/plain\r\n\r\nSigned with S/MIME.\r\n"
          "--s1\r\nContent-Type: application/pkcs7-signature; name=\"smime.p7s\"\r\n"
          "Content-Transfer-Encoding: base64\r\n\r\nMIAGCSqGSIb3DQEHAqCAMIACAQExDzANBglghkgBZQMEAgEFADCABgkqhkiG9w0BBwEAAA==\r\n"
          "--s1--\r\n";
    session.WriteFile("in.cnm", message);
    THostRun run = session.Run(
        Session(session, "decrypt \"" + session.File("in.cnm") + "\" \"" + session.File("out.cnm") + "\"\n"));
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(session.ReadFile("out.cnm"), message);
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").size(), 1u);
    EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting cancelled\""));
    EXPECT_FALSE(run.Has("request 3075 0 status \"Decrypting done\""));
}

TEST(DecryptRoad, TextBesideTheProtectedPartGetsNoResultOfIt)
{
    THostSession session("mixed");
    const std::string forged = "Wire the money to account 666 today.";
    const std::string message = kHeader.substr(0, kHeader.size() - 2)
        + "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"m1\"\r\n\r\n--m1\r\n"
          "Content-Type: text/plain\r\n\r\n"
        + Message("signed-to-bob.asc") + "\r\n--m1\r\nContent-Type: text/plain\r\n\r\n" + forged + "\r\n--m1--\r\n";
    session.WriteFile("in.cnm", message);
    session.WriteFile("whole.cnm", kHeader + Message("signed-to-bob.asc"));
    const auto decrypt = [&](const std::string& in, const std::string& out) {
        const std::string script
            = Session(session, "decrypt \"" + session.File(in) + "\" \"" + session.File(out) + "\"\n");
        // Signature results are shown, with the information block in the reader.
        session.WriteFile("ZAVEK.cfg", session.ReadFile("ZAVEK.cfg") + "[CheckMessage]\r\nCheckSig=1\r\nInclude=1\r\n");
        return session.Run(script);
    };
    THostRun run = decrypt("in.cnm", "out.cnm");
    SCOPED_TRACE(run.Text());
    const std::string out = session.ReadFile("out.cnm");
    EXPECT_THAT(out, HasSubstr("the meeting moves to Friday."));
    EXPECT_THAT(out, HasSubstr(forged));
    // The signature note says the signature covers a part only.
    const auto notes = run.LinesStartingWith("request 3075 3 status ");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_THAT(notes[0], HasSubstr("\"Partly signed: Good ("));

    // The same message without the added part is signed as a whole: no partly-signed note.
    run = decrypt("whole.cnm", "whole.out");
    const auto whole = run.LinesStartingWith("request 3075 3 status ");
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_THAT(whole[0], HasSubstr("status \"Good ("));
}

TEST(DecryptRoad, ThePassphraseIsAskedInTheSdkDialog)
{
    THostSession session("passphrase");
    const std::string message = kHeader + Message("to-ann.asc");
    session.WriteFile("in.cnm", message);
    // The stand-in SDK's dialog answers from this file: Ann's passphrase, then a cancel.
    session.WriteFile("answers.txt", "decryption: pass ann-pass\ndecryption: cancel\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", session.File("answers.txt").c_str());
    const std::string decrypt = "decrypt \"" + session.File("in.cnm") + "\" \"" + session.File("out.cnm") + "\"\n";
    SetEnvironmentVariableA("PGPSTANDIN_LOG", session.File("sdk.log").c_str());
    THostRun run = session.Run(Session(session, decrypt));
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    SetEnvironmentVariableA("PGPSTANDIN_LOG", nullptr);
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(session.ReadFile("out.cnm"), kHeader + "Hello Bob,\r\nthe meeting moves to Friday.\r\n");
    // The dialog names the key the message is for.
    EXPECT_THAT(session.ReadFile("sdk.log"), HasSubstr("Decryption dialog \"PGP\" for:\r\n  Ann Lee <ann@example.org> (0x"));

    // Cancelled: the message goes back as it came, and no error is shown for a cancel.
    session.WriteFile("answers.txt", "decryption: cancel\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", session.File("answers.txt").c_str());
    run = session.Run(Session(session, decrypt));
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    EXPECT_EQ(session.ReadFile("out.cnm"), message);
    EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting cancelled\""));
    EXPECT_TRUE(run.LinesStartingWith("answered dialog").empty());
}

// A message sent for the reader's eyes only is shown in the SDK's secure viewer alone (answered,
// the viewer closes at once and the stand-in logs what it showed): the mail client gets the
// message as it came, no error, and PGP's log the verification text of its signature.
TEST(DecryptRoad, AForYourEyesOnlyMessageIsShownOnlyInTheSecureViewer)
{
    THostSession session("eyesonly");
    const std::string message = kHeader + Message("eyes-only-to-ann.asc");
    SetEnvironmentVariableA("PGPSTANDIN_LOG", session.File("sdk.log").c_str());
    THostRun run = DecryptInReader(session, message, "");
    SetEnvironmentVariableA("PGPSTANDIN_LOG", nullptr);
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(session.ReadFile("out.cnm"), message);
    EXPECT_TRUE(run.LinesStartingWith("answered dialog").empty());
    const std::string log = session.ReadFile("sdk.log");
    EXPECT_THAT(log, HasSubstr("Secure viewer:\r\nHello Bob,"));
    EXPECT_THAT(log, HasSubstr("Good Signature\n(...)\nBob Stone <bob@example.net>\n0x"));
    EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting done\""));
}

// The first thing the user does is open an encrypted message's part tree from its reader: the
// tree's decode asks for the passphrase in the SDK's dialog, as a DECRYPT would.
TEST(DecryptRoad, TheMessageTreeAsksForThePassphraseBeforeAnyDecrypt)
{
    THostSession session("treefirst");
    session.WriteFile("message.cnm", kHeader + Message("to-ann.asc"));
    session.WriteFile("answers.txt", "decryption: pass ann-pass\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", session.File("answers.txt").c_str());
    SetEnvironmentVariableA("PGPSTANDIN_LOG", session.File("sdk.log").c_str());
    const std::string tree = "\"Message parts\"";
    THostRun run = session.Run("answer \"ZA-VEK - Question\" Yes\n" + ANSWER_MESSAGES + session.UseKeyRings()
        + "load\nforminit\nready\nreadmessage \"" + session.File("message.cnm") + "\"\ncommand 16397\n"
        + "tree " + tree + "\ntreeselect " + tree + " 1\npress " + tree + " View\nwindow Text Friday\n"
        + "texts Text\nclosewindow Text\npress " + tree + " Close\ngone " + tree + "\nquit\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    SetEnvironmentVariableA("PGPSTANDIN_LOG", nullptr);
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_THAT(session.ReadFile("sdk.log"), HasSubstr("Decryption dialog \"PGP\" for:\r\n  Ann Lee <ann@example.org> (0x"));
    EXPECT_TRUE(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").empty());
}

// The mail client opens a message GnuPG encrypted to Ann and signed by Bob in a reader and asks
// for it to be decrypted: the reader shows the plaintext with the signer's information box, the
// status bar the signer's note, which the mail client's next status text takes away and the
// frame's activation brings back; the right button there offers the signer's key. A notice of the
// mail client that the plug-in knows by its title is closed.
TEST(DecryptRoad, AReaderShowsTheDecryptedTextAndTheSignerStaysInView)
{
    THostSession session("reader");
    THostRun run = DecryptInReader(session, kHeader + Message("to-ann-signed-by-bob.asc"),
        "readertext\nstatusbar\ncapture reader-panel\nstatus Ready\nstatusbar\nframemessage 0x86 1\nstatusbar\n"
        "endmenu 300\npoststatus 0x204 0\nuntil \"menu ended\"\ndialog \"Message notice\"\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(session.ReadFile("out.cnm"), kHeader + "Hello Bob,\r\nthe meeting moves to Friday.\r\n");
    const auto text = run.LinesStartingWith("reader text ");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_THAT(text[0], HasSubstr("||Subject: Friday||||Hello Bob,||the meeting moves to Friday.||"));
    EXPECT_EQ(text[0].rfind("reader text \"PGP-Info:", 0), 0u);
    EXPECT_THAT(text[0], HasSubstr("signature from Bob Stone <bob@example.net>,"));
    const auto bar = run.LinesStartingWith("statusbar");
    ASSERT_EQ(bar.size(), 3u);
    const std::string note = "(icon) \"\" Static \"Good (";
    EXPECT_THAT(bar[0], HasSubstr(note));
    const std::string signer = "0x" + TestKey("bob").Id.substr(8);
    EXPECT_THAT(bar[0], HasSubstr(" signature from Bob Stone <bob@example.net>, " + signer + ": Validity: Complete\""));
    EXPECT_EQ(bar[1], "statusbar Static \"Ready\" Static \"\"");
    EXPECT_THAT(bar[2], HasSubstr(note));
    // The right button on the status line offers the signer's key in the three-item key popup.
    EXPECT_EQ(run.LinesStartingWith("frame initmenupopup 3 items").size(), 1u);
    EXPECT_TRUE(run.Has("menu ended"));
    // The mail client's notice with its text 4 as title is closed at once.
    EXPECT_TRUE(run.Has("dialog Message notice -> 2"));
    // The end of the decrypt's passphrase hold changed no cache time: nothing says so.
    EXPECT_TRUE(run.LinesStartingWith("request 3075 3 status \"The passphrase cache").empty());
    EXPECT_EQ(run.ExitCode, 0);
}

// The key popup on the signer's note acts on the signer's key: its id goes to the clipboard, and
// the key goes into the recipient list with a user id of the key ring.
TEST(DecryptRoad, TheKeyPopupItemsActOnTheSignersKey)
{
    const TTestKey bob = TestKey("bob");
    THostSession session("keypopup");
    // The right button on the note, then the item the keys choose; the menu's loop reads the keys
    // once the step that waits for them has returned to it.
    const auto choose = [](int item) {
        const std::string number = std::to_string(item);
        return "choosemenu 400 " + number + "\npoststatus 0x204 0\nuntil \"menu item " + number + " chosen\"\n";
    };
    // The recipient list's dialog is answered twice: its keys, then OK.
    THostRun run = DecryptInReader(session, kHeader + Message("to-ann-signed-by-bob.asc"),
        "answer \"Add recipients\" keys:32\nanswer \"Add recipients\" OK\n" + choose(3) + "clipboard \""
            + session.File("clip.txt") + "\"\n" + choose(1) + "until answered 2\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.LinesStartingWith("frame initmenupopup 3 items").size(), 2u);
    EXPECT_EQ(session.ReadFile("clip.txt"), "0x" + bob.Id.substr(8));
    EXPECT_FALSE(run.LinesStartingWith("answered dialog \"Add recipients\" with OK").empty());
    EXPECT_THAT(session.ReadFile("AutoList.txt"), HasSubstr("x" + bob.Id));
    EXPECT_EQ(run.ExitCode, 0);
}

// A PGP/MIME message with an HTML body decrypted for an answer being written: where the mail client
// shows formatted text the styled body goes into the editor's control after the answer's lead, and
// the editor is set to send styled text; elsewhere the editor keeps the text the mail client put in.
TEST(DecryptRoad, AFormattedMessageDecryptedForAnAnswerGoesIntoTheEditor)
{
    const std::string message = "From: Ann Lee <ann@example.org>\r\nTo: bob@example.net\r\nSubject: Styled\r\n"
                                "MIME-Version: 1.0\r\nContent-Type: multipart/encrypted; "
                                "protocol=\"application/pgp-encrypted\"; boundary=\"zb\"\r\n\r\n"
                                "--zb\r\nContent-Type: application/pgp-encrypted\r\n\r\nVersion: 1\r\n\r\n"
                                "--zb\r\nContent-Type: application/octet-stream\r\n\r\n"
        + Message("mime-html-to-bob.asc") + "\r\n--zb--\r\n";
    for (const bool formatted : { true, false }) {
        THostSession session(formatted ? "editor-styled" : "editor-plain");
        session.WriteFile("in.cnm", message);
        // Setting 88 with 0x1000: the mail client shows formatted text.
        THostRun run = session.Run(Session(session,
            std::string(formatted ? "setting 88 0x1000\n" : "setting 88 0\n") + "editor\ndecrypt \"" + session.File("in.cnm")
                + "\" \"" + session.File("out.cnm") + "\"\nidle\neditors\n"));
        SCOPED_TRACE(run.Text());
        EXPECT_EQ(session.ReadFile("out.cnm").find("-----BEGIN PGP"), std::string::npos);
        const auto editors = run.LinesStartingWith("editor \"New message 1\" text ");
        ASSERT_EQ(editors.size(), 1u);
        // The answer's lead stands before the letter only where the plug-in put the letter in.
        const size_t lead = editors[0].find("You wrote:");
        EXPECT_EQ(lead != std::string::npos, formatted) << editors[0];
        if (formatted) {
            EXPECT_THAT(editors[0], HasSubstr("the styled letter."));
            EXPECT_GT(editors[0].find("the styled letter."), lead);
        }
        EXPECT_EQ(run.Has("editor styled on"), formatted);
        EXPECT_EQ(run.ExitCode, 0);
    }
}

// A PGP/MIME message: the mail client gets its header lines back, and the reader's editor control
// the decrypted parts with the signer.
TEST(DecryptRoad, APgpMimeMessageIsPutIntoTheReadersControl)
{
    THostSession session("reader-mime");
    const std::string message = PgpMimeMessage();
    // The speed bench's phase timer is on: a line each for the decoder, the road and the put-back.
    SetEnvironmentVariableA("ZAVEK_PHASE_LOG", session.File("phases.log").c_str());
    THostRun run = DecryptInReader(session, message, "readertext\n");
    SetEnvironmentVariableA("ZAVEK_PHASE_LOG", nullptr);
    SCOPED_TRACE(run.Text());
    const std::string phases = session.ReadFile("phases.log");
    // The decoder's line, which tells the SDK's calls from its own work, ends first.
    EXPECT_EQ(phases.rfind("phases decoder ", 0), 0u) << phases;
    for (const char* phase : { ", split ", ", analyse ", ", sdk ", ", output ", ", cache " })
        EXPECT_THAT(phases.substr(0, phases.find('\n')), HasSubstr(phase));
    EXPECT_THAT(phases, HasSubstr("\nphases decrypt "));
    for (const char* phase : { ": window ", ", read ", ", extract ", ", sdk ", ", render ", ", write ", ", status " })
        EXPECT_THAT(phases, HasSubstr(phase));
    EXPECT_THAT(phases, HasSubstr("\nphases put-back "));
    EXPECT_THAT(phases, HasSubstr(", parts "));
    EXPECT_EQ(phases.find("Hello"), std::string::npos) << "no message text in the timer's lines";
    const std::string out = session.ReadFile("out.cnm");
    EXPECT_EQ(out.find("-----BEGIN PGP"), std::string::npos) << out;
    const auto text = run.LinesStartingWith("reader text ");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_THAT(text[0], HasSubstr("Hello Ann,||the parts are in the tree."));
    EXPECT_THAT(text[0], HasSubstr("signature from Bob Stone <bob@example.net>,"));
    EXPECT_EQ(run.ExitCode, 0);
}

// Signed, then encrypted, as mail clients write it (RFC 3156 section 6.1): the letter comes out in
// place of the ciphertext under the message's own header, and Bob's signature inside is checked:
// with CheckSig it is reported in the status bar and the reader, without it nothing is shown; VERIFY
// finds it either way. A letter with an attachment gives the same, and the attachment is one of the
// parts of the message tree.
TEST(DecryptRoad, ASignedThenEncryptedPgpMimeMessageGivesItsLetterAndItsSigner)
{
    struct Case {
        const char* file;
        const char* subject;
        const char* letter;
    };
    const Case cases[] = {
        { "nested-signed.eml", "Letter", "Hello Ann,\r\nthe signed letter is inside.\r\n" },
        { "nested-signed-attachment.eml", "Report", "Hello Ann,\r\nthe report is attached.\r\n" },
    };
    for (const Case& c : cases)
        for (const bool checkSig : { true, false }) {
            SCOPED_TRACE(std::string(c.file) + (checkSig ? " with CheckSig" : " without CheckSig"));
            THostSession session("nested");
            THostRun run = DecryptInReader(session, Message(c.file),
                "readertext\nverify \"" + session.File("in.cnm") + "\"\n", checkSig);
            SCOPED_TRACE(run.Text());
            EXPECT_EQ(session.ReadFile("out.cnm"),
                "From: Bob Stone <bob@example.net>\r\nTo: Ann Lee <ann@example.org>\r\nSubject: "
                    + std::string(c.subject)
                    + "\r\nDate: Fri, 04 Dec 2026 10:00:00 +0100\r\nMIME-Version: 1.0\r\n\r\n" + c.letter);
            // The signer: in the status bar after DECRYPT with CheckSig, and after VERIFY.
            ExpectDoneWithGoodSigner(run, checkSig ? 2u : 1u, "signature from Bob Stone <bob@example.net>,");
            const auto text = run.LinesStartingWith("reader text ");
            ASSERT_EQ(text.size(), 1u);
            std::string letter = c.letter;
            for (size_t at; (at = letter.find("\r\n")) != std::string::npos;)
                letter.replace(at, 2, "||");
            EXPECT_THAT(text[0], HasSubstr(letter));
            EXPECT_EQ(text[0].find("signature from Bob Stone") != std::string::npos, checkSig) << text[0];
            EXPECT_EQ(run.ExitCode, 0);
        }
}

// A colleague forwards to Ann, as an attachment, a message Bob encrypted to her (message/rfc822
// holding PGP/MIME), signed inside or not: the colleague's text stays, the forwarded message comes
// out decrypted below it, and its signer is reported.
TEST(DecryptRoad, AnEncryptedMessageForwardedAsAnAttachmentIsDecryptedInPlace)
{
    for (const bool signedInside : { false, true }) {
        SCOPED_TRACE(signedInside ? "signed inside" : "not signed");
        THostSession session("forwarded");
        const std::string message
            = Message(signedInside ? "nested-forwarded-signed.eml" : "nested-forwarded.eml");
        THostRun run = DecryptInReader(session, message, "readertext\n");
        SCOPED_TRACE(run.Text());
        // The mail client gets the message as it came up to the forwarded message's own header, then
        // that message decrypted: its header fields above its decrypted entity, a MIME message again.
        const std::string out = session.ReadFile("out.cnm");
        const std::string before = message.substr(0, message.find("From: Bob Stone"));
        EXPECT_EQ(
            out.rfind(before + "From: Bob Stone <bob@example.net>\r\nTo: Ann Lee <ann@example.org>\r\n", 0),
            0u)
            << out;
        EXPECT_THAT(out, HasSubstr("Ann, Bob sent this to me by mistake."));
        EXPECT_THAT(out,
            HasSubstr(
                "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=us-ascii\r\n"
                "Content-Transfer-Encoding: 7bit\r\n\r\nHello Ann,\r\nthe signed letter is inside.\r\n"));
        EXPECT_THAT(out, Not(HasSubstr("multipart/encrypted")));
        EXPECT_EQ(out.find("-----BEGIN PGP"), std::string::npos) << out;
        const std::string closing = "\r\n--------------fwdK1--\r\n";
        EXPECT_EQ(out.substr(out.size() - std::min(out.size(), closing.size())), closing);
        EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting done\""));
        const auto notes = run.LinesStartingWith("request 3075 3 status ");
        ASSERT_EQ(notes.size(), signedInside ? 1u : 0u);
        if (signedInside)
            EXPECT_THAT(notes[0], HasSubstr("signature from Bob Stone <bob@example.net>,"));
        EXPECT_EQ(run.ExitCode, 0);
    }
}

// Nothing is "done" that was neither decrypted nor verified: a key block, and a clear-signed letter
// whose signature block is damaged, stay as they came, and the status line says what happened.
TEST(DecryptRoad, NothingDecryptedOrVerifiedIsNeverDone)
{
    std::string damaged = Message("signed-by-ann.asc");
    damaged = damaged.substr(0, damaged.find("-----BEGIN PGP SIGNATURE-----"))
        + "-----BEGIN PGP SIGNATURE-----\n\n!!!!\n-----END PGP SIGNATURE-----\n";
    const std::string key = ReadBuildFile(ZAVEK_KEY_FIXTURES "/dave.asc");
    ASSERT_NE(key.find("-----BEGIN PGP PUBLIC KEY BLOCK-----"), std::string::npos);
    for (const std::string& message : { kHeader + damaged, kHeader + key }) {
        THostSession session("nothing");
        session.WriteFile("in.cnm", message);
        THostRun run = session.Run(Session(
            session, "decrypt \"" + session.File("in.cnm") + "\" \"" + session.File("out.cnm") + "\"\n"));
        SCOPED_TRACE(run.Text());
        const auto calls = run.LinesStartingWith("export decrypt ->");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_THAT(calls[0], HasSubstr("-> 2 "));
        EXPECT_EQ(session.ReadFile("out.cnm"), message);
        EXPECT_FALSE(run.Has("request 3075 0 status \"Decrypting done\""));
        EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting: nothing was decrypted or verified\""));
    }
}

// "Decrypt/show current message" in a reader's formatted view asks, switches the reader to the
// raw view and runs again there; a raw view without a protected text asks for word wrap off.
TEST(DecryptRoad, ShowingTheCurrentMessageGoesThroughTheRawView)
{
    THostSession session("showcurrent");
    THostRun run = session.Run("answer ZA-VEK Yes\n" + ANSWER_MESSAGES + session.UseKeyRings()
        + "setting 60 1\nload\nforminit\nready\nreader\ncommand 16397\nuntil \"answered dialog\" 2\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Question\" with Yes").size(), 1u);
    const int raw = run.IndexOf("raw view on");
    ASSERT_GE(raw, 0);
    EXPECT_LT(run.IndexOf("frame command 153"), raw);
    // The run on the raw view finds no protected text there.
    const auto notes = run.LinesStartingWith("answered dialog \"ZA-VEK - Information\"");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_GT(run.IndexOf(notes[0]), raw);
    EXPECT_EQ(run.ExitCode, 0);
}

// Messages as other mail clients and servers write them (tests/data/decroad/make-shapes.sh).
std::string Shape(const std::string& name)
{
    return Message("shapes/" + name);
}

// The part of a message between the delimiter line "--Boundary" that opens it and the next one.
std::string PartAfter(const std::string& message, const std::string& opening)
{
    const size_t start = message.find(opening);
    if (start == std::string::npos)
        return {};
    const size_t end = message.find("\r\n--", start + opening.size());
    return message.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// An encrypted part beside plain ones: every part stays where it was, the encrypted ones
// decrypted in their own places; an HTML part that opens an image reference before them shares
// nothing with the decrypted text, in the file or in the reader, where the decrypted part is marked.
TEST(DecryptRoad, EncryptedPartsBesidePlainOnesAreDecryptedInTheirPlaces)
{
    const std::string secret = "The secret plan is in the attachment.";
    for (const bool checkSig : { true, false }) {
        SCOPED_TRACE(checkSig ? "CheckSig" : "no CheckSig");
        THostSession session(checkSig ? "parts-sig" : "parts");
        const std::string footer = Shape("pgpmime-beside-plain.eml");
        THostRun run = DecryptInReader(session, footer, "", checkSig);
        SCOPED_TRACE(run.Text());
        std::string out = session.ReadFile("out.cnm");
        EXPECT_EQ(out.find("-----BEGIN PGP"), std::string::npos) << out;
        // The message's header and its plain parts byte for byte; the decrypted entity in its part.
        EXPECT_EQ(out.substr(0, out.find("\r\n\r\n")), footer.substr(0, footer.find("\r\n\r\n")));
        const std::string pdf = PartAfter(footer, "--outer\r\nContent-Type: application/pdf");
        ASSERT_FALSE(pdf.empty());
        EXPECT_THAT(out, HasSubstr(pdf));
        EXPECT_THAT(out,
            HasSubstr("--outer\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n_______________\r\n"
                      "list footer\r\n--outer--\r\n"));
        EXPECT_THAT(out,
            HasSubstr("--outer\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: "
                      "7bit\r\n\r\n"
                + secret + "\r\n"));
        EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting done\""));

        const std::string efail = Shape("efail.eml");
        run = DecryptInReader(session, efail, "readertext\n", checkSig);
        out = session.ReadFile("out.cnm");
        const std::string html
            = "--outer\r\nContent-Type: text/html\r\n\r\n<img src=\"http://attacker.example/\r\n--outer\r\n";
        EXPECT_THAT(out,
            HasSubstr(html
                + "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 7bit\r\n\r\n"
                + secret + "\r\n\r\n--outer\r\nContent-Type: text/html\r\n\r\n\">\r\n--outer--\r\n"));
        // The reader shows the decrypted part apart, between its markers; no link or picture reaches it.
        const auto text = run.LinesStartingWith("reader text ");
        ASSERT_EQ(text.size(), 1u);
        const size_t start = text[0].find("Start of PGP/MIME part");
        const size_t plan = text[0].find(secret);
        const size_t end = text[0].find("End of PGP/MIME part");
        EXPECT_LT(start, plan) << text[0];
        EXPECT_LT(plan, end) << text[0];
        EXPECT_NE(end, std::string::npos) << text[0];
        EXPECT_EQ(text[0].find("attacker.example/" + secret), std::string::npos);
        EXPECT_EQ(text[0].find("attacker.example/The"), std::string::npos);
        EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting done\""));

        // Two encrypted parts: both are decrypted.
        run = DecryptInReader(session, Shape("two-encrypted-parts.eml"), "", checkSig);
        out = session.ReadFile("out.cnm");
        EXPECT_THAT(out, HasSubstr("Content-Transfer-Encoding: 8bit\r\n\r\nFirst secret.\r\n"));
        EXPECT_THAT(out, HasSubstr("7bit\r\n\r\nSecond secret.\r\n"));
        EXPECT_EQ(out.find("-----BEGIN PGP"), std::string::npos) << out;
        EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting done\""));
        EXPECT_EQ(run.ExitCode, 0);
    }
}

// A decoded inline block's text between the marker lines that show where it stands among plain lines.
std::string MarkedBlock(const std::string& text)
{
    const std::string dashes(10, '\x97');
    return "< " + dashes + " Start of PGP/MIME part " + dashes + " >\r\n" + text + "< " + dashes
        + "\x97 End of PGP/MIME part \x97" + dashes + " >\r\n";
}

// Several armoured blocks in one text, encrypted and signed, with text between them: each is
// decoded in its place, between its part markers; the signature of the first is shown as covering
// a part only.
TEST(DecryptRoad, EveryArmouredBlockOfATextIsDecoded)
{
    const std::string message = Shape("several-blocks.eml");
    const std::string head = message.substr(0, message.find("\r\n\r\n") + 4);
    for (const bool checkSig : { true, false }) {
        SCOPED_TRACE(checkSig ? "CheckSig" : "no CheckSig");
        THostSession session(checkSig ? "blocks-sig" : "blocks");
        session.WriteFile("blocks.cnm", message);
        THostRun run
            = DecryptInReader(session, message, "verify \"" + session.File("blocks.cnm") + "\"\n", checkSig);
        SCOPED_TRACE(run.Text());
        const std::string out = session.ReadFile("out.cnm");
        EXPECT_EQ(out.find("-----BEGIN PGP MESSAGE-----"), std::string::npos) << out;
        EXPECT_EQ(out.rfind(head + "Intro line.\r\n\r\n" + MarkedBlock("First secret.\r\n"), 0), 0u) << out;
        EXPECT_THAT(out, HasSubstr("Text between the blocks."));
        EXPECT_THAT(out, HasSubstr("Between again.\r\n\r\n" + MarkedBlock("Second secret.\r\n")));
        EXPECT_THAT(out, HasSubstr("Closing line."));
        // The clear-signed text is unwrapped only where signatures are checked.
        EXPECT_EQ(out.find("-----BEGIN PGP SIGNED MESSAGE-----") == std::string::npos, checkSig) << out;
        EXPECT_THAT(out, HasSubstr(checkSig ? MarkedBlock("Signed words.\r\n") : "Signed words."));
        EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting done\""));
        // DECRYPT's note (with signatures checked) and VERIFY's.
        const auto notes = run.LinesStartingWith("request 3075 3 status ");
        ASSERT_EQ(notes.size(), checkSig ? 2u : 1u);
        for (const std::string& note : notes) {
            EXPECT_THAT(note, HasSubstr("\"Partly signed: Good ("));
            EXPECT_THAT(note, HasSubstr("Ann Lee <ann@example.org>"));
        }
    }
}

// Encrypted content sent as an attachment only, or in PGP/MIME re-wrapped or Base64-encoded by a
// server: decrypted where it stands, under the name it came with.
TEST(DecryptRoad, EncryptedAttachmentsAndRewrappedPgpMimeAreDecrypted)
{
    const std::string plan
        = "Content-Disposition: attachment; filename=\"plan.txt\"\r\n\r\nVGhlIHBsYW4sIGFzIGEgZmlsZS4K";
    const struct {
        const char* file;
        std::string decrypted;
    } cases[] = {
        { "binary-attachment.eml",
            "--outer\r\nContent-Type: text/plain\r\n\r\nSee the file.\r\n--outer\r\n"
            "Content-Type: application/octet-stream; name=\"plan.txt\"\r\nContent-Transfer-Encoding: "
            "base64\r\n"
                + plan },
        { "binary-attachment-alone.eml",
            "Subject: Binary attachment alone\r\nMIME-Version: 1.0\r\n"
            "Content-Type: application/octet-stream; name=\"plan.txt\"\r\n"
            "Content-Transfer-Encoding: base64\r\n"
                + plan },
        { "armoured-attachment.eml", plan },
        { "pgpmime-rewrapped.eml",
            "Subject: Rewrapped\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; "
            "charset=utf-8\r\nContent-Transfer-Encoding: 7bit\r\n\r\nRewrapped by the server.\r\n" },
        { "pgpmime-base64.eml", "Sent as Base64 by the gateway." },
        // Alone, under text/PGP; under a name in RFC 2231 or RFC 2047 form ("Plan\xe4.txt.pgp").
        { "walk/binary-text-pgp-alone.eml",
            "Content-Disposition: attachment; filename=\"decrypted\"\r\n\r\nVGhlIHBsYW4sIGFzIGEgZmlsZS4K" },
        { "walk/binary-rfc2231.eml",
            "Content-Disposition: attachment; "
            "filename=\"=?UTF-8?B?UGxhbsOkLnR4dA==?=\"\r\n\r\nVGhlIHBsYW4sIGFzIGEgZmlsZS4K" },
        { "walk/binary-rfc2047.eml",
            "Content-Disposition: attachment; "
            "filename=\"=?UTF-8?B?UGxhbsOkLnR4dA==?=\"\r\n\r\nVGhlIHBsYW4sIGFzIGEgZmlsZS4K" },
    };
    for (const auto& c : cases) {
        for (const bool checkSig : { true, false }) {
            SCOPED_TRACE(std::string(c.file) + (checkSig ? " CheckSig" : ""));
            THostSession session("attached");
            THostRun run = DecryptInReader(session, Shape(c.file), "", checkSig);
            SCOPED_TRACE(run.Text());
            const std::string out = session.ReadFile("out.cnm");
            EXPECT_THAT(out, HasSubstr(c.decrypted));
            EXPECT_EQ(out.find("-----BEGIN PGP"), std::string::npos) << out;
            EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting done\""));
            EXPECT_TRUE(run.LinesStartingWith("answered dialog").empty());
        }
    }
}

// Protected parts nested as mail clients nest them (tests/data/decroad/walk-shapes.sh), through
// DECRYPT with and without signature checks, then VERIFY of the same message: every protected part
// is decoded where it stands, each letter reaches the mail client, and both give one verdict for
// Ann's signature ("Partly signed" where plain parts stand beside what it covers).
TEST(DecryptRoad, NestedProtectedPartsAreDecodedWhereverTheyStand)
{
    const std::string letter = "Hello Bob,\r\nthe signed letter is inside.\r\n";
    const std::string munich = "Gr\xfc\xdf"
                               "e aus M\xfcnchen"; // in windows-1252
    const std::string html = "Hello Bob,<br>\r\nthe armour came in HTML &amp; &lt;tags&gt;.";
    const struct {
        const char* file;
        std::vector<std::string> shown; // in the file for the mail client
        const char* verdict; // what every note on Ann's signature opens with
        std::string marked; // between part markers (a clear-signed text where signatures are checked)
    } cases[] = {
        { "signed-then-encrypted-lf.eml", { letter }, "\"Good (" },
        { "signed-then-encrypted-crlf.eml", { letter }, "\"Good (" },
        { "signed-then-encrypted-attachment-lf.eml", { "Hello Bob,\r\nthe report is attached." },
            "\"Good (" },
        { "mixed-signed-then-encrypted-lf.eml", { letter, "Content-Type: image/png; name=\"walk.png\"" },
            "\"Partly signed: Good (" },
        { "mixed-encrypted-image.eml",
            { "The picture is below.", "The secret is beside the picture.", "Content-Type: image/png" },
            nullptr },
        { "mixed-two-encrypted.eml", { "First secret part.", letter }, "\"Partly signed: Good (" },
        { "signed-over-encrypted.eml", { "The outer text, signed.", "The inner secret, signed outside." },
            "\"Good (" },
        { "forwarded-signed.eml", { "Bob, see the message below.", letter }, "\"Partly signed: Good (" },
        { "forwarded-signed-then-encrypted-lf.eml", { "Bob, see the message below.", letter },
            "\"Partly signed: Good (" },
        // 8-bit text under a US-ASCII label, in ISO-8859-1 and in UTF-8: in the mail client's charset.
        { "ascii-label-latin1.eml", { munich }, nullptr },
        { "ascii-label-utf8.eml", { munich }, nullptr },
        // An inline armour whose blank line holds a no-break space: 0xA0, UTF-8, quoted-printable,
        // and in a text part beside a picture.
        { "nbsp-latin1.eml", { "the no-break space is in the armour." }, nullptr },
        { "nbsp-utf8.eml", { "the no-break space is in the armour." }, nullptr },
        { "nbsp-qp.eml", { "the no-break space is in the armour." }, nullptr },
        { "nbsp-mixed.eml", { "the no-break space is in the armour.", "Content-Type: image/png" }, nullptr },
        // A damaged signature packet, and a text changed after it was signed.
        { "signed-damaged.eml", { letter }, "\"BAD signature" },
        { "signed-other-text.eml", { "Hello Bob,\r\nthe letter was changed.\r\n" }, "\"BAD signature" },
        // Armour in HTML, in a <div> with <br> line ends or in a <pre> after a plain paragraph, and
        // beside its text alternative: decrypted into HTML in its place.
        { "html-div.eml", { "<html><body><div dir=\"ltr\">" + html + "<br></div></body></html>" },
            "\"Good (" },
        { "html-pre.eml",
            { "<p>Read it below.</p>\r\n<pre>Hello Bob,\r\nthe armour came in HTML &amp; &lt;tags&gt;.\r\n</pre>" },
            "\"Partly signed: Good (" },
        { "alternative-armoured.eml",
            { "charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\nHello Bob,\r\nthe armour came in HTML "
              "& <tags>.",
                "<div dir=\"ltr\">" + html + "<br></div>" },
            "\"Good (" },
        // An encrypted block and a clear-signed one between plain lines: marked where they stand.
        { "inline-between.eml", { "Plain words before.\r\n\r\n", "\r\nPlain words after.\r\n" }, nullptr,
            "The encrypted words.\r\n" },
        { "clearsigned-between.eml", { "Plain words before.", "The signed words.", "Plain words after." },
            "\"Partly signed: Good (", "The signed words.\r\n" },
    };
    for (const auto& c : cases)
        for (const bool checkSig : { true, false }) {
            SCOPED_TRACE(std::string(c.file) + (checkSig ? " with CheckSig" : " without CheckSig"));
            THostSession session("walk");
            const std::string message = Shape(std::string("walk/") + c.file);
            THostRun run
                = DecryptInReader(session, message, "verify \"" + session.File("in.cnm") + "\"\n", checkSig);
            SCOPED_TRACE(run.Text());
            const std::string out = session.ReadFile("out.cnm");
            for (const std::string& shown : c.shown)
                EXPECT_THAT(out, HasSubstr(shown));
            if (!c.marked.empty() && (checkSig || !c.verdict))
                EXPECT_THAT(out, HasSubstr(MarkedBlock(c.marked)));
            EXPECT_EQ(out.find("-----BEGIN PGP MESSAGE-----"), std::string::npos) << out;
            EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting done\""));
            // Only VERIFY of a message that nothing signs has an error to tell.
            const auto errors = run.LinesStartingWith("dialog text \"ZA-VEK - Error\"");
            EXPECT_EQ(errors.size(), c.verdict ? 0u : 1u);
            if (!c.verdict && errors.size() == 1) {
                EXPECT_THAT(errors[0], HasSubstr("Unsupported data format"));
                EXPECT_GT(run.IndexOf(errors[0]), run.IndexOf(run.LinesStartingWith("export decrypt ->")[0]));
            }
            // DECRYPT's note where signatures are checked, and VERIFY's.
            const auto notes = run.LinesStartingWith("request 3075 3 status ");
            EXPECT_EQ(notes.size(), c.verdict ? (checkSig ? 2u : 1u) : 0u);
            for (const std::string& note : notes) {
                EXPECT_THAT(note, HasSubstr(std::string("status ") + (c.verdict ? c.verdict : "")));
                EXPECT_THAT(note, HasSubstr("Ann Lee <ann@example.org>"));
            }
            EXPECT_EQ(run.ExitCode, 0);
        }
}

// A text signed by two signers, one signature packet each: both are reported, by DECRYPT and by
// VERIFY.
TEST(DecryptRoad, EverySignerOfATextIsReported)
{
    THostSession session("signers");
    const std::string message = Shape("two-signers.eml");
    session.WriteFile("signed.cnm", message);
    THostRun run = DecryptInReader(session, message, "verify \"" + session.File("signed.cnm") + "\"\n");
    SCOPED_TRACE(run.Text());
    EXPECT_THAT(session.ReadFile("out.cnm"), HasSubstr("\r\n\r\nSigned by two.\r\n"));
    const auto notes = run.LinesStartingWith("request 3075 3 status ");
    ASSERT_EQ(notes.size(), 2u); // DECRYPT's and VERIFY's
    for (const std::string& note : notes) {
        const size_t ann = note.find("Good (");
        EXPECT_NE(ann, std::string::npos) << note;
        EXPECT_THAT(note, HasSubstr("Ann Lee <ann@example.org>"));
        EXPECT_THAT(note, HasSubstr("Bob Stone <bob@example.net>"));
        EXPECT_NE(note.find("Good (", ann + 1), std::string::npos) << note;
    }
    const auto boxes = run.LinesStartingWith("answered dialog \"ZA-VEK - Information\"");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(run.ExitCode, 0);
}

// Messages in which Ann's signature covers a part only, as forgers send them
// (tests/data/decroad/partly-signed.sh): DECRYPT with signatures checked and VERIFY give the same
// verdict, never a plain "Good"; the reader shows our result box on top, above any result line the
// message wrote itself, and the signed letter, between the markers of a signed part, wherever the
// message put it. A signed letter sent as an opaque file is checked by nobody and read as unsigned.
TEST(DecryptRoad, APartlySignedMessageNeverReadsAsSignedAsAWhole)
{
    const std::string letter = "the signed letter is inside.", forged = "Wire the money to account 666 today.";
    const struct {
        const char* file;
        bool checked; // the signature is found and checked
        bool marked; // the letter stands between signed-part markers (an inline block has none)
    } cases[] = {
        { "signed-after-forged.eml", true, true },
        { "signed-attached.eml", false, false },
        { "signed-message-attached.eml", true, true },
        { "signed-behind-html.eml", true, true },
        { "signed-in-alternative.eml", true, true },
        { "signed-by-reference.eml", true, true },
        { "inline-after-forged.eml", true, false },
        { "inline-attached.eml", true, false },
        { "info-line-above.eml", true, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        THostSession session("partly");
        THostRun run = DecryptInReader(session, Shape(std::string("partly/") + c.file),
            "readertext\nverify \"" + session.File("in.cnm") + "\"\n");
        SCOPED_TRACE(run.Text());
        const auto notes = run.LinesStartingWith("request 3075 3 status ");
        EXPECT_EQ(notes.size(), c.checked ? 2u : 0u); // DECRYPT's and VERIFY's
        for (const std::string& note : notes) {
            EXPECT_THAT(note, HasSubstr("status \"Partly signed: Good ("));
            EXPECT_THAT(note, HasSubstr("Ann Lee <ann@example.org>"));
        }
        EXPECT_EQ(run.LinesStartingWith("dialog text \"ZA-VEK - Error\"").size(), c.checked ? 0u : 1u);
        const auto text = run.LinesStartingWith("reader text ");
        ASSERT_EQ(text.size(), 1u);
        EXPECT_THAT(text[0], HasSubstr(forged));
        if (!c.checked) {
            EXPECT_THAT(text[0], Not(HasSubstr("Good")));
            continue;
        }
        EXPECT_THAT(text[0], HasSubstr(letter));
        const std::string box = "reader text \"PGP-Info:\t\tPartly signed: Good (";
        EXPECT_EQ(text[0].rfind(box, 0), 0u) << text[0];
        // Any other result line is the message's own text, below ours.
        EXPECT_EQ(text[0].find("PGP-Info:", box.size()), text[0].find("PGP-Info:\t\tGood signature from")) << text[0];
        if (c.marked) {
            const size_t start = text[0].find("Start of signed PGP/MIME part");
            const size_t end = text[0].find("End of signed PGP/MIME part");
            EXPECT_LT(start, text[0].find(letter)) << text[0];
            EXPECT_LT(text[0].find(letter), end) << text[0];
            EXPECT_NE(end, std::string::npos) << text[0];
            EXPECT_EQ(text[0].substr(start, end - start).find(forged), std::string::npos) << text[0];
        }
        EXPECT_EQ(run.ExitCode, 0);
    }
}

// UTF-8 text, encrypted and signed or clear-signed, is converted for the mail client the same way
// with and without signature checking, under a header that names the charset of the bytes written.
TEST(DecryptRoad, DecryptedUtf8TextIsWrittenInTheMailClientsCharsetUnderItsName)
{
    const std::string label = "Content-Type: text/plain; charset=windows-1252\r\n";
    std::vector<std::string> bodies;
    for (const bool checkSig : { true, false }) {
        SCOPED_TRACE(checkSig ? "CheckSig" : "no CheckSig");
        THostSession session("utf8");
        THostRun run = DecryptInReader(session, Shape("utf8-encrypted.eml"), "", checkSig);
        SCOPED_TRACE(run.Text());
        const std::string out = session.ReadFile("out.cnm");
        EXPECT_THAT(out, HasSubstr(label));
        bodies.push_back(out.substr(out.find("\r\n\r\n") + 4));
        EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting done\""));
    }
    EXPECT_EQ(bodies[0], bodies[1]);
    // The characters of Windows-1252 are its bytes; the others as the conversion spells them.
    EXPECT_EQ(bodies[0].rfind("Gr\xFC\xDF"
                              "e \x96 5 \x80, ",
                  0),
        0u)
        << bodies[0];
    EXPECT_EQ(bodies[0].find("\xC3"), std::string::npos) << bodies[0];

    THostSession session("utf8-signed");
    session.WriteFile("signed.cnm", Shape("utf8-clearsigned.eml"));
    THostRun run = DecryptInReader(
        session, Shape("utf8-clearsigned.eml"), "verify \"" + session.File("signed.cnm") + "\"\n");
    SCOPED_TRACE(run.Text());
    const std::string out = session.ReadFile("out.cnm");
    EXPECT_THAT(out, HasSubstr(label));
    EXPECT_EQ(out.substr(out.find("\r\n\r\n") + 4), bodies[0]);
    // The signature holds over the sender's bytes, for DECRYPT and VERIFY alike.
    const auto notes = run.LinesStartingWith("request 3075 3 status \"Good (");
    EXPECT_EQ(notes.size(), 2u);
}

} // namespace

namespace {

// Event 28: the mail client hands over a file it is about to show; the plug-in decrypts it in place.
TEST(DecodeInPlace, AnEncryptedAttachmentIsDecryptedInItsFile)
{
    THostSession session("inplace");
    session.WriteFile("part.asc", "Before\r\n" + Message("to-bob.asc") + "After\r\n");
    THostRun run = session.Run(Session(session, "event 28 \"" + session.File("part.asc") + "\"\n"));
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("event 28 -> 0x0"));
    const std::string decoded = session.ReadFile("part.asc");
    EXPECT_NE(decoded.find("the meeting moves to Friday."), std::string::npos) << decoded;
    EXPECT_EQ(decoded.find("-----BEGIN PGP"), std::string::npos);
    EXPECT_EQ(decoded.rfind("Before\r\n", 0), 0u);
    EXPECT_EQ(run.LinesStartingWith("request 3075 3 status \"Decrypting done\"").size(), 1u);
    EXPECT_TRUE(run.LinesStartingWith("answered dialog").empty());
}

TEST(DecodeInPlace, AnEncryptedMessageFileIsDecryptedBelowItsHeader)
{
    THostSession session("inplace-msg");
    session.WriteFile("message.cnm", kHeader + Message("to-bob.asc"));
    THostRun run = session.Run(Session(session, "event 28 \"" + session.File("message.cnm") + "\"\n"));
    SCOPED_TRACE(run.Text());
    const std::string decoded = session.ReadFile("message.cnm");
    EXPECT_NE(decoded.find("the meeting moves to Friday."), std::string::npos) << decoded;
    EXPECT_NE(decoded.find("Subject: Friday\r\n"), std::string::npos);
    EXPECT_EQ(decoded.find("-----BEGIN PGP"), std::string::npos);
}

// The mail client holds the file open while it shows it: the plaintext goes into that same file,
// and "done" is said only once it is there. A file no one may write is said so, and keeps its text.
TEST(DecodeInPlace, AFileTheMailClientHoldsOpenIsDecryptedWhereItLies)
{
    THostSession session("inplace-held");
    const std::string encrypted = "Before\r\n" + Message("to-bob.asc") + "After\r\n";
    for (const DWORD sharing : { DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE), DWORD(FILE_SHARE_READ) }) {
        const bool writable = (sharing & FILE_SHARE_WRITE) != 0;
        session.WriteFile("part.asc", encrypted);
        HANDLE held = CreateFileA(session.File("part.asc").c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0,
            nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        THostRun run = session.Run(Session(session, "event 28 \"" + session.File("part.asc") + "\"\n"));
        CloseHandle(held);
        SCOPED_TRACE(run.Text());
        const std::string file = session.ReadFile("part.asc");
        const auto done = run.LinesStartingWith("request 3075 3 status \"Decrypting done\"");
        if (writable) {
            EXPECT_NE(file.find("the meeting moves to Friday."), std::string::npos) << file;
            EXPECT_EQ(file.find("-----BEGIN PGP"), std::string::npos);
            EXPECT_EQ(done.size(), 1u);
        } else {
            EXPECT_EQ(file, encrypted);
            EXPECT_TRUE(done.empty());
            const auto error = run.LinesStartingWith("dialog text \"ZA-VEK - Error\"");
            ASSERT_EQ(error.size(), 1u);
            EXPECT_NE(error[0].find("The file could not be written."), std::string::npos) << error[0];
        }
        EXPECT_FALSE(session.Exists("part.asc.zvk-tmp"));
    }
}

// The watchdog thread ran; then the plug-in goes, through the mail client's shut-down or by a bare
// FreeLibrary. Neither hangs (the unload runs under the loader lock), and the mail client's windows
// work on without the plug-in.
TEST(DecodeInPlace, ThePlugInUnloadsAfterTheWatchdogRanWithOrWithoutShutDown)
{
    THostSession session("inplace-unload");
    const std::string decode = "event 28 \"" + session.File("part.asc") + "\"\n";
    struct Case {
        const char* ending;
        const char* unloaded;
        const char* afterwards;
    } cases[] = { { "close\nuntil \"frame destroyed\"\n", "unload: plug-in class gone", "frame destroyed" },
        { "unload\nreader\ncommand 1190\ncheck\nquit\n", "unload: plug-in class registered",
            "check frame subclassed=0 statusbar subclassed=0 reader1=plain reader2=plain" } };
    for (const Case& c : cases) {
        session.WriteFile("part.asc", Message("to-bob.asc"));
        THostRun run = session.Run(ANSWER_MESSAGES + session.UseKeyRings() + "load\nforminit\nready\nreader\n" + decode + c.ending);
        SCOPED_TRACE(run.Text());
        EXPECT_NE(session.ReadFile("part.asc").find("the meeting moves to Friday."), std::string::npos);
        EXPECT_TRUE(run.Has(c.unloaded));
        EXPECT_TRUE(run.Has("unload -> ok, module gone"));
        EXPECT_TRUE(run.Has(c.afterwards));
        EXPECT_TRUE(run.Has("exit 0"));
        EXPECT_EQ(run.ExitCode, 0);
    }
}

// A PGP/MIME message file is decoded into the mail folder only when the user asked for protected
// MIME parts to be decoded as a message opens; otherwise it is tagged and keeps its ciphertext.
TEST(DecodeInPlace, APgpMimeMessageIsDecodedInItsFileOnlyWhenAskedFor)
{
    const std::string message = PgpMimeMessage();
    for (const bool preDecode : { false, true }) {
        THostSession session("inplace-mime");
        const std::string rings = session.UseKeyRings();
        session.WriteFile("ZAVEK.cfg",
            session.ReadFile("ZAVEK.cfg") + "[CheckMessage]\r\nPreDecode=" + (preDecode ? "1" : "0") + "\r\n");
        session.WriteFile("message.cnm", message);
        session.WriteFile("answers.txt", "decryption: pass ann-pass\n");
        SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", session.File("answers.txt").c_str());
        THostRun run = session.Run(ANSWER_MESSAGES + rings + "load\nforminit\nready\nreader\nevent 28 \""
            + session.File("message.cnm") + "\"\nquit\n");
        SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
        SCOPED_TRACE(run.Text());
        const std::string file = session.ReadFile("message.cnm");
        EXPECT_NE(file.find("Subject: Parts\r\n"), std::string::npos) << file;
        if (preDecode) {
            EXPECT_NE(file.find("the parts are in the tree."), std::string::npos) << file;
            EXPECT_EQ(file.find("-----BEGIN PGP"), std::string::npos);
        } else {
            EXPECT_NE(file.find("X-PM-Encryptor: DIRAZA-ZE32, 1\r\n"), std::string::npos) << file;
            EXPECT_NE(file.find("-----BEGIN PGP MESSAGE-----"), std::string::npos);
            EXPECT_TRUE(run.LinesStartingWith("request 3075 3 status \"Decrypting").empty());
        }
    }
}

TEST(DecodeInPlace, ATamperedAttachmentKeepsItsText)
{
    THostSession session("inplace-bad");
    const std::string original = Message("to-bob-tampered.asc");
    session.WriteFile("part.asc", original);
    THostRun run = session.Run(Session(session, "event 28 \"" + session.File("part.asc") + "\"\n"));
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("event 28 -> 0x0"));
    EXPECT_EQ(session.ReadFile("part.asc"), original);
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").size(), 1u);
    // The refusal is no success.
    EXPECT_TRUE(run.Has("request 3075 3 status \"Decrypting cancelled\""));
    EXPECT_FALSE(run.Has("request 3075 3 status \"Decrypting done\""));
}

} // namespace
