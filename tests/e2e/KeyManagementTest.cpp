// End to end through the stand-in mail client: a key file GnuPG exported is imported with MANAGE,
// the key is exported to the clipboard and described, then deleted and gone once the mail client
// starts again. What the plug-in wrote (the key ring, the exports, the description) is left for
// GnuPG to check (gpg-checks-key-management.sh).
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {
using ::testing::HasSubstr;
using ::testing::Not;

std::string WindowsPath(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return "Z:" + path;
}

const std::string kFixtures = WindowsPath(ZAVEK_KEY_FIXTURES "/");
const std::string kOut = WindowsPath(ZAVEK_KEYMGMT_OUT "/");

// Plug-in questions are answered Yes, its reports OK, and the export's save dialog takes the clipboard.
const std::string kAnswers = "answer ZA-VEK Yes\nanswer ZA-VEK OK\nanswer \"Save as\" \"To clipboard\"\n";

std::string Started(const THostSession& session, const std::string& steps)
{
    return kAnswers + session.MailFolderStep() + "load\nforminit\nready\n" + steps + "quit\n";
}

// The stand-in SDK's key selections of the next run, in the order they come.
void AnswerKeySelections(const THostSession& session, const std::string& name, const std::string& answers)
{
    session.WriteFile(name, answers);
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", session.File(name).c_str());
}

std::string ReadOut(const std::string& name)
{
    std::string text;
    HANDLE file = CreateFileA((kOut + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    text.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(file);
    text.resize(read);
    return text;
}

TEST(KeyManagement, AGnuPGKeyIsImportedExportedDescribedAndDeleted)
{
    CreateDirectoryA(kOut.c_str(), nullptr);
    for (const char* name : { "export.asc", "description.txt", "ring-after-import.pkr", "export-after-delete.asc" })
        DeleteFileA((kOut + name).c_str());
    THostSession session("keys");
    session.UseKeyRings();
    // Rings without Dave's key, which comes as the armoured file GnuPG exported.
    ASSERT_TRUE(CopyFileA((kFixtures + "pubring-nodave.pkr").c_str(), session.File("pubring.pkr").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((kFixtures + "secring-nodave.skr").c_str(), session.File("secring.skr").c_str(), FALSE));

    // Import (every key offered), export and describe (Dave's key each time).
    AnswerKeySelections(session, "answers-1.txt",
        "select-keys: all\nselect-keys: named Dave\nselect-keys: named Dave\n");
    THostRun run = session.Run(Started(session,
        "manage \"" + kFixtures + "dave.asc\"\nidle\ncommand 16404\nidle\nclipboard \"" + kOut
            + "export.asc\"\ncommand 16400\nidle\nclipboard \"" + kOut + "description.txt\"\n"),
        60000);
    {
        SCOPED_TRACE(run.Text());
        EXPECT_EQ(run.ExitCode, 0);
        EXPECT_TRUE(run.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").empty());
        // The import told its count before the export's save dialog came.
        const int reported = run.IndexOf("answered dialog \"ZA-VEK - Information\" with OK");
        EXPECT_GE(reported, 0);
        EXPECT_LT(reported, run.IndexOf("answered dialog \"Save as\" with To clipboard"));
        EXPECT_TRUE(CopyFileA(session.File("pubring.pkr").c_str(), (kOut + "ring-after-import.pkr").c_str(), FALSE));
        // The export names the key, then holds its armoured block.
        const std::string exported = ReadOut("export.asc");
        EXPECT_EQ(exported.rfind("Dave Gone <dave@example.com>, RSA, 2048 bits\r\n\r\n-----BEGIN PGP PUBLIC KEY BLOCK-----", 0),
            0u) << exported;
        // The description: user ids and a blank line, the key id, the short one in parentheses, the
        // algorithm, size and creation date, validity and trust, and the fingerprint last.
        const std::string description = ReadOut("description.txt");
        EXPECT_EQ(description.rfind("Dave Gone <dave@example.com>\r\n\r\n0x", 0), 0u) << description;
        EXPECT_THAT(description, HasSubstr("\r\n(0x"));
        EXPECT_THAT(description, HasSubstr(")\r\n\r\nRSA - 2048 bits - "));
        ASSERT_GE(description.size(), 2u);
        EXPECT_EQ(description.substr(description.size() - 2), "\r\n");
    }

    // Delete Dave's key; a new start of the mail client no longer has it to export.
    AnswerKeySelections(session, "answers-2.txt", "select-keys: named Dave\n");
    THostRun deleting = session.Run(Started(session, "command 16403\nidle\n"), 60000);
    {
        SCOPED_TRACE(deleting.Text());
        EXPECT_EQ(deleting.ExitCode, 0);
        EXPECT_TRUE(deleting.LinesStartingWith("answered dialog \"ZA-VEK - Error\"").empty());
        // Asked before deleting, then told.
        EXPECT_GE(deleting.LinesStartingWith("answered dialog \"ZA-VEK").size(), 2u);
    }
    AnswerKeySelections(session, "answers-3.txt", "select-keys: all\n");
    THostRun reopened = session.Run(
        Started(session, "command 16404\nidle\nclipboard \"" + kOut + "export-after-delete.asc\"\n"), 60000);
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    SCOPED_TRACE(reopened.Text());
    const std::string remaining = ReadOut("export-after-delete.asc");
    EXPECT_THAT(remaining, HasSubstr("Ann Lee <ann@example.org>, RSA, 2048"));
    EXPECT_THAT(remaining, Not(HasSubstr("Dave Gone")));
    EXPECT_EQ(reopened.ExitCode, 0);
}

} // namespace
