// End to end through the stand-in mail client with S/MIME: DECRYPT and VERIFY on messages openssl
// encrypted and signed for certificates in the session's rings, and ENCRYPT and SIGN writing S/MIME
// that the same roads read back. A message for someone else, a changed text and an expired signer
// never read as good, and nothing of a refused message's plaintext reaches the output.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

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
// passphrase dialogs answer with ann's passphrase.
std::string Session(const THostSession& session, const std::string& steps)
{
    session.WriteFile("answers.txt", "decryption: pass ann-pass\nsigning: pass ann-pass\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", session.File("answers.txt").c_str());
    // A good signature shows the signer's certificate in the system's viewer, titled with the signer.
    return ANSWER_MESSAGES + "answer Question No\nanswer \"Ann Test <ann@example.org>\" OK\n"
        + session.UseKeyRings(ZAVEK_SMIME_RINGS)
        + "load\nforminit\nready\nreader\n" + steps + "quit\n";
}

std::string Quoted(const THostSession& session, const std::string& name) { return "\"" + session.File(name) + "\""; }

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

} // namespace
