// End to end through the stand-in mail client with S/MIME: DECRYPT and VERIFY on messages openssl
// encrypted and signed for certificates in the session's rings, and ENCRYPT and SIGN writing S/MIME
// that the same roads read back. A message for someone else, a changed text and an expired or
// revoked signer never read as good, and nothing of a refused message's plaintext reaches the output.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kHeader = "From: Ann Test <ann@example.org>\r\nTo: bob@example.net\r\nSubject: Friday\r\n";
const std::string kText = "Hello Bob,\r\nthe meeting moves to Friday.\r\n";

std::string Fixture(const std::string& name)
{
    const std::string text = ReadBuildFile(ZAVEK_SMIME_FIXTURES "/" + name);
    EXPECT_FALSE(text.empty()) << name;
    return text;
}

// A started plug-in with a reader open on rings holding ann's certificate and key; the SDK's
// passphrase dialogs answer with ann's passphrase, its key selections take every key offered.
std::string Session(const THostSession& session, const std::string& steps)
{
    session.WriteFile("answers.txt", "decryption: pass ann-pass\nsigning: pass ann-pass\nselect-keys: all\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", session.File("answers.txt").c_str());
    // A good signature shows the signer's certificate in the system's viewer, titled with the signer.
    return ANSWER_MESSAGES + "answer Question No\nanswer \"Ann Test <ann@example.org>\" OK\n"
        + "answer \"Gone Test <gone@example.org>\" OK\n" + session.UseKeyRings(ZAVEK_SMIME_RINGS)
        + "load\nforminit\nready\nreader\n" + steps + "quit\n";
}

std::string Quoted(const THostSession& session, const std::string& name) { return "\"" + session.File(name) + "\""; }

// DECRYPT reports a signature it met only with these options; call after Session, which writes the
// options file.
void ReportDecryptedSignatures(const THostSession& session)
{
    session.WriteFile(
        "ZAVEK.cfg", session.ReadFile("ZAVEK.cfg") + "[CheckMessage]\r\nCheckSig=1\r\nInclude=1\r\n");
}

TEST(SMimeRoad, OpensslMessagesDecryptAndVerifyWithTheRightResult)
{
    struct Case {
        const char* file;
        const char* verb; // decrypt or verify
        bool opened; // decrypt: the text came out
        const char* status; // the status line the road ends with (prefix)
    };
    const Case cases[] = {
        { "encrypted-aes128.eml", "decrypt", true, "request 3075 0 status \"Decrypting done\"" },
        { "encrypted-aes256.eml", "decrypt", true, "request 3075 0 status \"Decrypting done\"" },
        { "encrypted-des3.eml", "decrypt", true, "request 3075 0 status \"Decrypting done\"" },
        { "signed-encrypted.eml", "decrypt", true, "request 3075 0 status \"Decrypting done\"" },
        // An outer signature over a letter beside an enveloped part: the part is decrypted too.
        { "signed-over-encrypted.eml", "decrypt", true, "request 3075 0 status \"Decrypting done\"" },
        { "encrypted-for-bob.eml", "decrypt", false, "request 3075 0 status \"Decrypting cancelled\"" },
        { "signed-detached.eml", "verify", false, "request 3075 3 status \"Good " },
        { "signed-opaque.eml", "verify", false, "request 3075 3 status \"Good " },
        { "signed-tampered.eml", "verify", false, "request 3075 3 status \"BAD signature" },
        { "signed-expired.eml", "verify", false, "request 3075 3 status \"Good " },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        THostSession session(std::string("smime-") + c.verb);
        const std::string message = kHeader + Fixture(c.file);
        session.WriteFile("in.cnm", message);
        const std::string step = std::string(c.verb) + " " + Quoted(session, "in.cnm")
            + (std::string(c.verb) == "decrypt" ? " " + Quoted(session, "out.cnm") : "") + "\n";
        THostRun run = session.Run(Session(session, step));
        SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
        SCOPED_TRACE(run.Text());
        EXPECT_FALSE(run.LinesStartingWith(c.status).empty());
        // An expired certificate's signature warns in a box instead.
        const bool expired = std::string(c.file) == "signed-expired.eml";
        if (expired)
            EXPECT_THAT(run.Text(), HasSubstr(": certificate expired\""));
        const bool good = std::string(c.status).find("\"Good ") != std::string::npos;
        EXPECT_EQ(run.LinesStartingWith("answered dialog \"Ann Test <ann@example.org>\"").size(), good && !expired ? 1u : 0u);
        if (expired)
            EXPECT_TRUE(run.Has("answered dialog \"ZA-VEK - Warning\" with OK"));
        EXPECT_EQ(run.ExitCode, 0);
        if (std::string(c.verb) == "decrypt") {
            const std::string out = session.ReadFile("out.cnm");
            if (c.opened) {
                EXPECT_THAT(out, HasSubstr(kText));
                EXPECT_THAT(out, HasSubstr("Subject: Friday\r\n"));
                EXPECT_THAT(out, Not(HasSubstr("application/pkcs7-mime")));
            } else {
                EXPECT_EQ(out, message);
            }
        }
    }
}

// Signed, then enveloped, in the forms mail clients write: multipart/signed inside (a letter, and a
// letter with a PDF attachment) and opaque signed-data inside. DECRYPT gives the letter in place of
// the envelope and, with CheckSig, Ann's signature; without CheckSig no signature is shown; VERIFY
// reports it either way. The signer's certificate words say what its chain check found.
TEST(SMimeRoad, SignedThenEnvelopedMessagesGiveTheLetterAndTheSigner)
{
    const struct {
        const char* file;
        const char* letter;
    } cases[] = {
        { "signed-encrypted.eml", "Hello Bob,\r\nthe meeting moves to Friday.\r\n" },
        { "signed-opaque-encrypted.eml", "Hello Bob,\r\nthe meeting moves to Friday.\r\n" },
        { "signed-attachment-encrypted.eml", "Hello Bob,\r\nthe report is attached.\r\n" },
        { "signed-opaque-encrypted-lf.eml", "Hello Bob,\r\nthe meeting moves to Friday.\r\n" },
        { "signed-attachment-encrypted-lf.eml", "Hello Bob,\r\nthe report is attached.\r\n" },
    };
    for (const auto& c : cases)
        for (const bool checkSig : { true, false }) {
            SCOPED_TRACE(std::string(c.file) + (checkSig ? " with CheckSig" : " without CheckSig"));
            THostSession session("smime-nested");
            session.WriteFile("in.cnm", kHeader + Fixture(c.file));
            const std::string script = Session(session,
                "decrypt " + Quoted(session, "in.cnm") + " " + Quoted(session, "out.cnm") + "\nverify "
                    + Quoted(session, "in.cnm") + "\n");
            session.WriteFile("ZAVEK.cfg",
                session.ReadFile("ZAVEK.cfg") + "[CheckMessage]\r\nCheckSig=" + (checkSig ? "1" : "0")
                    + "\r\nInclude=1\r\n");
            THostRun run = session.Run(script);
            SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
            SCOPED_TRACE(run.Text());
            EXPECT_EQ(session.ReadFile("out.cnm"), kHeader + "MIME-Version: 1.0\r\n\r\n" + c.letter);
            // Ann's chain leads to the test CA, which the rings trust: certificate state 1.
            ExpectDoneWithGoodSigner(run, checkSig ? 2u : 1u, "Ann Test <ann@example.org>, 0x");
            for (const std::string& note : run.LinesStartingWith("request 3075 3 status "))
                EXPECT_THAT(note, HasSubstr(": Valid certificate\""));
            EXPECT_EQ(run.ExitCode, 0);
        }
}

// Enveloped data that a server or client sent as a plain attachment ("smime.p7m" as
// application/octet-stream), alone and beside a text part, encrypted only or holding opaque signed
// data: decrypted where it stands, the signed letter checked and shown.
TEST(SMimeRoad, EnvelopedDataSentAsAPlainAttachmentIsDecrypted)
{
    for (const char* file : { "encrypted-aes128.eml", "signed-opaque-encrypted.eml" }) {
        SCOPED_TRACE(file);
        const bool signedInside = std::string(file).rfind("signed", 0) == 0;
        const std::string fixture = Fixture(file);
        const size_t blank = fixture.find("\r\n\r\n");
        ASSERT_NE(blank, std::string::npos);
        const std::string attachment
            = "Content-Type: application/octet-stream; name=\"smime.p7m\"\r\n"
              "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; "
              "filename=\"smime.p7m\"\r\n\r\n"
            + fixture.substr(blank + 4);
        const std::string messages[] = { kHeader + "MIME-Version: 1.0\r\n" + attachment,
            kHeader
                + "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"m\"\r\n\r\n--m\r\n"
                  "Content-Type: text/plain\r\n\r\nSee the attachment.\r\n--m\r\n"
                + attachment + "\r\n--m--\r\n" };
        for (const std::string& message : messages) {
            THostSession session("smime-p7m");
            session.WriteFile("in.cnm", message);
            const std::string script = Session(
                session, "decrypt " + Quoted(session, "in.cnm") + " " + Quoted(session, "out.cnm") + "\n");
            ReportDecryptedSignatures(session);
            THostRun run = session.Run(script);
            SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
            SCOPED_TRACE(run.Text());
            const std::string out = session.ReadFile("out.cnm");
            EXPECT_THAT(out, HasSubstr(kText));
            EXPECT_THAT(out, HasSubstr("Subject: Friday\r\n"));
            EXPECT_THAT(out, Not(HasSubstr("smime.p7m")));
            EXPECT_THAT(out, Not(HasSubstr("pkcs7")));
            EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting done\""));
            const auto notes = run.LinesStartingWith("request 3075 3 status ");
            EXPECT_EQ(notes.size(), signedInside ? 1u : 0u);
            for (const std::string& note : notes)
                EXPECT_THAT(note, HasSubstr("Ann Test <ann@example.org>, 0x"));
            EXPECT_EQ(run.ExitCode, 0);
        }
    }
}

// A message that brings its sender's certificate as PEM text: DECRYPT leaves it as it came and
// reports nothing decrypted, no error; with "look for key data" on, the certificate is imported
// into the rings and the user is told how many came.
TEST(SMimeRoad, ACertificateInAMessageIsImportedWhenKeysAreLookedFor)
{
    const std::string message = kHeader + "\r\nMy certificate:\r\n\r\n" + Fixture("bob.pem");
    for (const bool lookForKeys : { false, true }) {
        SCOPED_TRACE(lookForKeys);
        THostSession session("smime-pem");
        session.WriteFile("in.cnm", message);
        const std::string script = Session(session,
            "decrypt " + Quoted(session, "in.cnm") + " " + Quoted(session, "out.cnm") + "\n");
        session.WriteFile("ZAVEK.cfg",
            session.ReadFile("ZAVEK.cfg") + "[CheckMessage]\r\nCheckKey=" + (lookForKeys ? "1" : "0") + "\r\n");
        ASSERT_EQ(session.ReadFile("pubring.pkr").find("bob@example.org"), std::string::npos);
        THostRun run = session.Run(script);
        SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
        SCOPED_TRACE(run.Text());
        EXPECT_EQ(run.ExitCode, 0);
        EXPECT_EQ(session.ReadFile("out.cnm"), message);
        EXPECT_TRUE(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").empty());
        EXPECT_TRUE(run.Has("request 3075 0 status \"Decrypting: nothing was decrypted or verified\""));
        EXPECT_EQ(session.ReadFile("pubring.pkr").find("bob@example.org") != std::string::npos, lookForKeys);
        EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZA-VEK - Information\"").size(), lookForKeys ? 1u : 0u);
    }
}

// Signatures made to deceive, in multipart/signed (tests/data/smime/make-smime.sh): a SignedData
// that carries the letter beside another first part, two signers with the first or the second
// signature damaged, a SignedData without any signer, and a signed letter after a forged text.
// DECRYPT, with signatures checked, and VERIFY give the same verdict, on the text the message
// shows; none reads as good as a whole, and the reader shows the signed letter as the signed part.
TEST(SMimeRoad, ForgedSignaturesNeverReadAsGood)
{
    const std::string ann = "Ann Test <ann@example.org>", bob = "Bob Test <bob@example.org>";
    const struct {
        const char* file;
        const char* verdict; // what both notes open with; none for a message nothing signs
        std::vector<std::string> signers;
    } cases[] = {
        { "signed-embedded-other.eml", "status \"BAD signature from Ann Test", { ann } },
        { "signed-two-signers-bad-1.eml", "status \"BAD signature from Ann Test", { ann, bob } },
        { "signed-two-signers-bad-2.eml", "status \"BAD signature from Bob Test", { ann, bob } },
        { "signed-no-signer.eml", nullptr, {} },
        { "signed-beside-forged.eml", "status \"Partly signed: Good (", { ann } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        THostSession session("smime-forged");
        const std::string message = kHeader + Fixture(c.file);
        session.WriteFile("in.cnm", message);
        const std::string script = Session(session,
            "decrypt " + Quoted(session, "in.cnm") + " " + Quoted(session, "out.cnm") + "\nidle\nreadertext\nverify "
                + Quoted(session, "in.cnm") + "\n");
        ReportDecryptedSignatures(session);
        THostRun run = session.Run(script);
        SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
        SCOPED_TRACE(run.Text());
        // The text shown is the first part, the one the verdict is about.
        const std::string forged = "Wire the money to account 666 today.";
        const bool partly = std::string(c.file) == "signed-beside-forged.eml";
        const std::string first = std::string(c.file) == "signed-embedded-other.eml" ? forged : kText;
        EXPECT_THAT(session.ReadFile("out.cnm"), HasSubstr(first));
        if (partly) {
            const auto text = run.LinesStartingWith("reader text ");
            ASSERT_EQ(text.size(), 1u);
            const size_t start = text[0].find("Start of signed S/MIME part");
            const size_t letter = text[0].find("the meeting moves to Friday.");
            EXPECT_LT(text[0].find(forged), start) << text[0];
            EXPECT_LT(start, letter) << text[0];
            EXPECT_LT(letter, text[0].find("End of signed S/MIME part")) << text[0];
            EXPECT_NE(text[0].find("End of signed S/MIME part"), std::string::npos) << text[0];
        }
        const auto notes = run.LinesStartingWith("request 3075 3 status ");
        EXPECT_EQ(notes.size(), c.verdict ? 2u : 0u); // DECRYPT's and VERIFY's
        for (const std::string& note : notes) {
            EXPECT_THAT(note, HasSubstr(c.verdict));
            for (const std::string& signer : c.signers)
                EXPECT_THAT(note, HasSubstr(signer));
        }
        if (c.signers.size() < 2 && !partly)
            EXPECT_THAT(run.Text(), Not(HasSubstr("Good ")));
        EXPECT_THAT(run.Text(), Not(HasSubstr("Unknown signer")));
        EXPECT_TRUE(run.LinesStartingWith("answered dialog \"" + ann + "\"").empty());
        EXPECT_EQ(run.ExitCode, 0);
    }
}

TEST(SMimeRoad, OnceTheCAsListIsImportedARevokedSignerNeverReadsGood)
{
    THostSession session("smime-revoked");
    session.WriteFile("in.cnm", kHeader + Fixture("signed-revoked.eml"));
    session.WriteFile("ca.crl", Fixture("ca.crl"));
    const std::string verify = "verify " + Quoted(session, "in.cnm") + "\n";
    // Before the list is known the signature is good; MANAGE imports the list onto the CA's key;
    // then VERIFY and DECRYPT both tell that the signer's certificate is revoked.
    const std::string script = Session(session,
        verify + "manage " + Quoted(session, "ca.crl") + "\nidle\n" + verify + "decrypt "
            + Quoted(session, "in.cnm") + " " + Quoted(session, "out.cnm") + "\n");
    ReportDecryptedSignatures(session);
    THostRun run = session.Run(script);
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").empty());
    const auto results = run.LinesStartingWith("request 3075 3 status ");
    ASSERT_EQ(results.size(), 3u); // VERIFY, VERIFY, DECRYPT
    EXPECT_THAT(results[0], Not(HasSubstr("revoked")));
    for (int after : { 1, 2 })
        EXPECT_THAT(results[after], HasSubstr(": certificate revoked\""));
    // The certificate viewer of a good signature came only for the first reading.
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"Gone Test <gone@example.org>\"").size(), 1u);
}

TEST(SMimeRoad, WhatEncryptAndSignWriteIsReadBack)
{
    const std::string message = kHeader + "Content-Type: text/plain; charset=us-ascii\r\n\r\n" + kText;
    struct Case {
        const char* verb;
        const char* written; // what the sent file holds
        const char* readBack; // the road that reads it
        const char* status;
    };
    const Case cases[] = {
        { "encrypt", "application/pkcs7-mime", "decrypt", "request 3075 0 status \"Decrypting done\"" },
        { "sign", "application/x-pkcs7-signature", "verify", "request 3075 3 status \"Good " },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.verb);
        THostSession session(std::string("smime-") + c.verb + "-back");
        session.WriteFile("in.tmp", message);
        const std::string write = std::string(c.verb) + " " + Quoted(session, "in.tmp") + " - \"S/MIME\" \"ann@example.org\"\n";
        THostRun run = session.Run(Session(session, write));
        SCOPED_TRACE(run.Text());
        const std::string sent = session.ReadFile("in.tmp");
        EXPECT_THAT(sent, HasSubstr(c.written));
        EXPECT_THAT(sent, HasSubstr("Subject: Friday\r\n"));
        if (std::string(c.verb) == "encrypt")
            EXPECT_THAT(sent, Not(HasSubstr("the meeting moves")));
        const std::string read = std::string(c.readBack) + " " + Quoted(session, "in.tmp")
            + (std::string(c.readBack) == "decrypt" ? " " + Quoted(session, "out.cnm") : "") + "\n";
        run = session.Run(Session(session, read));
        SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
        SCOPED_TRACE(run.Text());
        EXPECT_FALSE(run.LinesStartingWith(c.status).empty());
        if (std::string(c.readBack) == "decrypt")
            EXPECT_THAT(session.ReadFile("out.cnm"), HasSubstr(kText));
    }
}

TEST(SMimeRoad, TheEditorSendsSignedAndEncryptedSMimeThatDecryptsAndVerifies)
{
    // The user picks the plug-in's S/MIME encryptor in the mail client's encryption dialog, which
    // leaves encrypt and sign ticked; the mail client then asks for the S/MIME method.
    THostSession session("smime-editor");
    session.WriteFile("sent.tmp", kHeader + "Content-Type: text/plain; charset=us-ascii\r\n\r\n" + kText);
    const std::string script = Session(session,
        "set to ann@example.org\neditor\neditortext \"Friday\"\nonsend encrypt " + Quoted(session, "sent.tmp")
            + " - \"S/MIME\" \"ann@example.org\"\nencdialog\nencselect \"qro's S/MIME Handler\"\nencclick 1\n"
            + "editorcommand 139\nuntil \"export encrypt ->\"\ndecrypt " + Quoted(session, "sent.tmp") + " "
            + Quoted(session, "out.cnm") + "\n");
    ReportDecryptedSignatures(session);
    THostRun run = session.Run(script);
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("encryption dialog ok encrypt=1 sign=1"));
    EXPECT_TRUE(run.Has("encryption dialog encryptor \"qro's S/MIME Handler\""));
    const std::string sent = session.ReadFile("sent.tmp");
    EXPECT_THAT(sent, HasSubstr("application/pkcs7-mime"));
    EXPECT_THAT(sent, Not(HasSubstr("the meeting moves")));
    EXPECT_FALSE(run.LinesStartingWith("request 3075 0 status \"Decrypting done\"").empty());
    EXPECT_THAT(session.ReadFile("out.cnm"), HasSubstr(kText));
    // Ann's good signature inside, told in the status line (only VERIFY shows the certificate viewer).
    const auto signatures = run.LinesStartingWith("request 3075 3 status ");
    EXPECT_EQ(signatures.size(), 1u);
    for (const std::string& line : signatures) {
        EXPECT_THAT(line, HasSubstr("status \"Good ("));
        EXPECT_THAT(line, HasSubstr("Ann Test <ann@example.org>"));
    }
    EXPECT_TRUE(run.LinesStartingWith("answered dialog \"Ann Test <ann@example.org>\"").empty());
    // openssl and gpgsm read it too (tests/interop/smime-interop.sh).
    CreateDirectoryA(ZAVEK_SMIME_EDITOR_OUT, nullptr);
    EXPECT_TRUE(CopyFileA(
        session.File("sent.tmp").c_str(), ZAVEK_SMIME_EDITOR_OUT "/editor-signed-encrypted.eml", FALSE));
}

} // namespace
