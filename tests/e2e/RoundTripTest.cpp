// End to end through the stand-in mail client: what ENCRYPT and SIGN write over a message file
// comes back through DECRYPT, inline and PGP/MIME, text and a binary attachment; SIGN holds twenty
// times in one session and in twenty sessions. Every written message is also left for GnuPG
// (gpg-reads-roundtrips.sh checks them after this test).
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kHeader = "From: ann@example.org\r\nTo: ann@example.org\r\nSubject: plans\r\n";
const std::string kText = "Meet at noon; bring a=b and the 3D plans.";
const std::string kTextMessage
    = kHeader + "Content-Type: text/plain; charset=ISO-8859-1\r\n\r\n" + kText + "\r\n";
// A file whose first byte looks like an OpenPGP packet header, as base64 of \xFD\x01\x02\x03 ... .
const std::string kAttachmentMessage = kHeader
    + "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n--b1\r\n"
      "Content-Type: text/plain; charset=ISO-8859-1\r\n\r\n"
    + kText + "\r\n--b1\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
      "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\"data.bin\"\r\n\r\n"
      "/QECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8=\r\n--b1--\r\n";

// The folder gpg-reads-roundtrips.sh reads, as a Windows path.
std::string OutputFolder()
{
    std::string path = "Z:" ZAVEK_ROUNDTRIP_OUT;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    CreateDirectoryA(path.c_str(), nullptr);
    return path + "\\";
}

void Keep(const std::string& name, const std::string& content)
{
    std::ofstream(OutputFolder() + name, std::ios::binary) << content;
}

// The answers of the stand-in SDK's dialogs: Ann's passphrase for signing and decrypting.
void UseAnnsPassphrase(const THostSession& session)
{
    session.WriteFile("answers.txt", "signing: pass ann-pass\ndecryption: pass ann-pass\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", session.File("answers.txt").c_str());
}

std::string Started(const THostSession& session)
{
    return "answer Question No\n" + ANSWER_MESSAGES + session.UseKeyRings() + "load\nforminit\nready\n";
}

std::string Export(const std::string& verb, const THostSession& session, const std::string& file,
    const std::string& method)
{
    return verb + " \"" + session.File(file) + "\" - \"" + method + "\" \"ann@example.org\"\n";
}

// The first part and the signature of a PGP/MIME signed message, as gpg --verify takes them.
void KeepMimeSignedParts(const std::string& name, const std::string& message)
{
    const size_t at = message.find("boundary=\"");
    ASSERT_NE(at, std::string::npos) << message;
    const std::string boundary = message.substr(at + 10, message.find('"', at + 10) - at - 10);
    const std::string delimiter = "--" + boundary + "\r\n";
    const size_t first = message.find(delimiter, at) + delimiter.size();
    const size_t second = message.find("\r\n" + delimiter, first);
    ASSERT_NE(second, std::string::npos);
    Keep(name + ".part", message.substr(first, second - first));
    const size_t signature = message.find("-----BEGIN PGP SIGNATURE-----", second);
    Keep(name + ".part.asc", message.substr(signature, message.find("-----END PGP SIGNATURE-----") + 27 - signature));
}

TEST(RoundTrip, WhatTheRoadsWriteComesBackThroughDecrypt)
{
    THostSession session("roundtrip");
    UseAnnsPassphrase(session);
    const struct {
        const char* name;
        const char* verb;
        const char* method;
        const std::string* message;
    } cases[] = {
        { "encrypt-inline-text", "encrypt", "", &kTextMessage },
        { "encrypt-inline-attachment", "encrypt", "", &kAttachmentMessage },
        { "encrypt-mime-text", "encrypt", "PGP/MIME", &kTextMessage },
        { "encrypt-mime-attachment", "encrypt", "PGP/MIME", &kAttachmentMessage },
        { "sign-inline-text", "sign", "", &kTextMessage },
        { "sign-inline-attachment", "sign", "", &kAttachmentMessage },
        { "sign-mime-text", "sign", "PGP/MIME", &kTextMessage },
        { "sign-mime-attachment", "sign", "PGP/MIME", &kAttachmentMessage },
    };
    std::string script = Started(session);
    for (const auto& c : cases) {
        session.WriteFile(std::string(c.name) + ".tmp", *c.message);
        script += Export(c.verb, session, std::string(c.name) + ".tmp", c.method);
    }
    script += "reader\n";
    for (const auto& c : cases)
        script += "decrypt \"" + session.File(std::string(c.name) + ".tmp") + "\" \""
            + session.File(std::string(c.name) + ".out") + "\"\n";
    THostRun run = session.Run(script + "quit\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    SCOPED_TRACE(run.Text());
    const auto exports = run.LinesStartingWith("export ");
    EXPECT_THAT(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\""), ::testing::IsEmpty());
    EXPECT_THAT(run.LinesStartingWith("answered dialog \"ZA-VEK - Encryption failed\""), ::testing::IsEmpty());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string written = session.ReadFile(std::string(c.name) + ".tmp");
        const std::string decrypted = session.ReadFile(std::string(c.name) + ".out");
        Keep(std::string(c.name) + ".eml", written);
        if (std::string(c.method) == "PGP/MIME" && std::string(c.verb) == "sign")
            KeepMimeSignedParts(c.name, written);
        // An armour is 7-bit: it is never made quoted-printable (a signed text part beside it may be).
        // Its checksum line is "=" and four base64 letters, which may well be "=3D..".
        for (size_t begin = written.find("-----BEGIN PGP"); begin != std::string::npos;
             begin = written.find("-----BEGIN PGP", begin + 1)) {
            const size_t end = written.find("-----END PGP", begin);
            std::istringstream armour(written.substr(begin, end - begin));
            for (std::string line; std::getline(armour, line);) {
                const bool checksum = line == std::string("=") + line.substr(1, 4) + "\r";
                EXPECT_TRUE(checksum || line.find("=3D") == std::string::npos) << line;
            }
        }
        if (std::string(c.verb) == "encrypt")
            EXPECT_THAT(written, Not(HasSubstr(kText)));
        EXPECT_THAT(decrypted, HasSubstr(kText)) << decrypted;
        // DECRYPT opens every protected part: an encrypted attachment comes back as the file it was.
        EXPECT_EQ(decrypted.find("-----BEGIN PGP MESSAGE-----"), std::string::npos) << decrypted;
        if (std::string(c.name) == "encrypt-inline-attachment")
            EXPECT_THAT(decrypted,
                HasSubstr("filename=\"data.bin\"\r\n\r\n/QECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8="));
    }
    EXPECT_EQ(run.LinesStartingWith("request 3075 0 status \"Decrypting done\"").size()
            + run.LinesStartingWith("request 3075 3 status \"Decrypting done\"").size(),
        std::size(cases));
    for (const std::string& line : run.LinesStartingWith("export encrypt ->"))
        EXPECT_THAT(line, HasSubstr("-> 1 "));
    for (const std::string& line : run.LinesStartingWith("export sign ->"))
        EXPECT_THAT(line, HasSubstr("-> 1 "));
}

// Signed and encrypted: the editor's send, decided in the encryption dialog (encrypt and sign),
// inline and PGP/MIME.
TEST(RoundTrip, SignedAndEncryptedFromTheEditorComesBackThroughDecrypt)
{
    THostSession session("roundtrip-both");
    UseAnnsPassphrase(session);
    const struct {
        const char* name;
        const char* method;
        const std::string* message;
    } cases[] = { { "signenc-inline-text", "", &kTextMessage },
        { "signenc-inline-attachment", "", &kAttachmentMessage }, { "signenc-mime-text", "PGP/MIME", &kTextMessage },
        { "signenc-mime-attachment", "PGP/MIME", &kAttachmentMessage } };
    std::string script = Started(session) + "set to ann@example.org\n";
    int sends = 0;
    for (const auto& c : cases) {
        session.WriteFile(std::string(c.name) + ".tmp", *c.message);
        // The next editor opens once this one's message went through ENCRYPT, however long that takes.
        script += "editor\neditortext \"" + kText + "\"\nonsend encrypt \"" + session.File(std::string(c.name) + ".tmp")
            + "\" - \"" + c.method + "\" \"ann@example.org\"\nencdialog\nencclick 1\neditorcommand 139\n"
            + "until \"export encrypt ->\" " + std::to_string(++sends) + "\n";
    }
    script += "reader\n";
    for (const auto& c : cases)
        script += "decrypt \"" + session.File(std::string(c.name) + ".tmp") + "\" \""
            + session.File(std::string(c.name) + ".out") + "\"\n";
    THostRun run = session.Run(script + "quit\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    SCOPED_TRACE(run.Text());
    EXPECT_THAT(run.LinesStartingWith("encryption dialog ok encrypt=1 sign=1"), ::testing::SizeIs(std::size(cases)));
    EXPECT_THAT(run.LinesStartingWith("export encrypt ->"), ::testing::SizeIs(std::size(cases)));
    for (const std::string& line : run.LinesStartingWith("export encrypt ->"))
        EXPECT_THAT(line, HasSubstr("-> 1 "));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string written = session.ReadFile(std::string(c.name) + ".tmp");
        Keep(std::string(c.name) + ".eml", written);
        EXPECT_THAT(written, HasSubstr("-----BEGIN PGP MESSAGE-----"));
        EXPECT_EQ(written.find("Content-Type: multipart/encrypted") != std::string::npos, *c.method != '\0');
        EXPECT_THAT(written, Not(HasSubstr(kText)));
        EXPECT_THAT(session.ReadFile(std::string(c.name) + ".out"), HasSubstr(kText));
    }
}

// Twenty signatures in one session, then twenty sessions of one, four sessions at a time.
TEST(RoundTrip, SignHoldsTwentyTimesInASessionAndInTwentySessions)
{
    THostSession together("sign20");
    UseAnnsPassphrase(together);
    std::string script = Started(together);
    for (int i = 0; i < 20; ++i) {
        together.WriteFile("m" + std::to_string(i) + ".tmp", kTextMessage);
        script += Export("sign", together, "m" + std::to_string(i) + ".tmp", "");
    }
    THostRun run = together.Run(script + "quit\n");
    SCOPED_TRACE(run.Text());
    const auto signs = run.LinesStartingWith("export sign ->");
    ASSERT_EQ(signs.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        EXPECT_THAT(signs[i], HasSubstr("-> 1 "));
        const std::string signedText = together.ReadFile("m" + std::to_string(i) + ".tmp");
        EXPECT_THAT(signedText, HasSubstr("-----BEGIN PGP SIGNATURE-----"));
        Keep("sign-session-" + std::to_string(i) + ".eml", signedText);
    }

    // The sessions share the first one's answers file.
    std::vector<THostSession> sessions;
    for (int i = 0; i < 20; ++i)
        sessions.emplace_back("sign1-" + std::to_string(i));
    std::vector<THostRun> runs(sessions.size());
    std::vector<std::thread> workers;
    for (int worker = 0; worker < 4; ++worker)
        workers.emplace_back([&, worker] {
            for (size_t i = worker; i < sessions.size(); i += 4) {
                sessions[i].WriteFile("m.tmp", kTextMessage);
                runs[i] = sessions[i].Run(Started(sessions[i]) + Export("sign", sessions[i], "m.tmp", "") + "quit\n");
            }
        });
    for (auto& worker : workers)
        worker.join();
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    for (size_t i = 0; i < sessions.size(); ++i) {
        SCOPED_TRACE(runs[i].Text());
        ASSERT_EQ(runs[i].LinesStartingWith("export sign ->").size(), 1u);
        EXPECT_THAT(runs[i].LinesStartingWith("export sign ->")[0], HasSubstr("-> 1 "));
        Keep("sign-alone-" + std::to_string(i) + ".eml", sessions[i].ReadFile("m.tmp"));
    }
}

} // namespace
