// Tests of the host's header lines: tagging of message texts and files (markers, flags lines,
// placeholders, idempotence), the body charset declaration and the recipient helpers.
#include "mime/MailHost.h"
#include "mime/FileInPlace.h"
#include "FakeMailServices.h"
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

const std::string pgpBody = "-----BEGIN PGP MESSAGE-----\r\n\r\nhQEMA\r\n-----END PGP MESSAGE-----\r\n";

std::string ReadData(const std::string& Name)
{
    std::ifstream in(std::string(ZAVEK_TEST_DATA) + "/mime/" + Name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class Host : public testing::Test {
protected:
    TBoundLatin1Services Services;
};

TEST_F(Host, LinesAreExact)
{
    EXPECT_EQ(EncryptorMarkerLine(1), "X-PM-Encryptor: DIRAZA-ZE32, 1\r\n");
    EXPECT_EQ(EncryptorMarkerLine(1).size(), 32u);
    EXPECT_EQ(PMFlagsLine(0x2080004, "C:\\PMAIL\\MAIL\\ABCD1234.CNM"), "X-PMFLAGS: 34078724 0 0 ABCD1234.CNM");
}

TEST_F(Host, TaggingAnArmouredMessageAddsMarkerAndFlagsOnce)
{
    const std::string text = "From: a@x\r\nSubject: s\r\n\r\n" + pgpBody;
    const TTagResult first = TagMessageText(text, "C:\\MAIL\\M1.CNM", false, false);
    ASSERT_TRUE(first.Changed);
    EXPECT_FALSE(first.ReturnText);
    // The body's MIME block goes in front of the host's own lines.
    EXPECT_EQ(first.Text, "From: a@x\r\nSubject: s\r\nMime-Version: 1.0\r\n"
                          "Content-Type: text/plain; charset=WINDOWS-1252\r\nContent-Transfer-Encoding: 8BIT\r\n"
                          "Content-Description: Mail message body\r\n"
                          "X-PM-Encryptor: DIRAZA-ZE32, 1\r\nX-PMFLAGS: 34078724 0 0 M1.CNM\r\n\r\n" + pgpBody);
    const TTagResult second = TagMessageText(first.Text, "C:\\MAIL\\M1.CNM", false, false);
    EXPECT_FALSE(second.Changed) << second.Text;
}

TEST_F(Host, ArmourIsLookedForInTheBodyOnly)
{
    // A header value that begins "-----BEGIN" is no block, whatever the body holds.
    const std::string text = "From: a@x\r\nSubject: -----BEGIN PGP MESSAGE-----\r\n\r\nQuoted:\r\n -----END PGP MESSAGE-----\r\n";
    EXPECT_FALSE(TagMessageText(text, "C:\\MAIL\\M1.CNM", false, false).Changed);
    const std::string withBlock = "From: a@x\r\nSubject: -----BEGIN PGP MESSAGE-----\r\n\r\n" + pgpBody;
    const TTagResult first = TagMessageText(withBlock, "C:\\MAIL\\M1.CNM", false, false);
    EXPECT_NE(first.Text.find("X-PM-Encryptor: DIRAZA-ZE32, 1\r\n"), std::string::npos);
    EXPECT_FALSE(TagMessageText(first.Text, "C:\\MAIL\\M1.CNM", false, false).Changed);
}

TEST_F(Host, MultipartAndPriorityBits)
{
    const std::string text = ReadData("pgpmime-encrypted.eml");
    const std::string urgent = "X-Priority: 1 (Highest)\r\n" + text;
    const TTagResult result = TagMessageText(urgent, "M.CNM", false, false);
    EXPECT_TRUE(result.EncryptedMime);
    EXPECT_NE(result.Text.find("X-PMFLAGS: " + std::to_string(0x2000000 | 0x20000000 | 0x400000 | 0x04) + " 0 0 M.CNM"),
              std::string::npos)
        << result.Text.substr(0, 400);
}

TEST_F(Host, MarkerWithoutProtectedSectionIsRemoved)
{
    const std::string text = "From: a@x\r\nX-PM-Encryptor: DIRAZA-ZE32, 1\r\nSubject: s\r\n\r\nplain\r\n";
    const TTagResult result = TagMessageText(text, "M.CNM", false, false);
    EXPECT_TRUE(result.Changed);
    EXPECT_EQ(result.Text, "From: a@x\r\nSubject: s\r\n\r\nplain\r\n");
    EXPECT_FALSE(TagMessageText(result.Text, "M.CNM", false, false).Changed);
}

TEST_F(Host, ReturnedTextGetsTheTaggedFlagAndNoMarker)
{
    const std::string text = "Subject: =?UTF-8?Q?Gr=C3=BC=C3=9Fe?=\r\nX-PMFLAGS: 4 0 0 OLD.CNM\r\n" +
                             ReadData("pgpmime-encrypted.eml").substr(0);
    const TTagResult result = TagMessageText(text, "NEW.CNM", false, true);
    ASSERT_TRUE(result.ReturnText);
    EXPECT_EQ(result.Subject, "Gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_NE(result.Text.find("X-PMFLAGS: 524288 0 0 NEW.CNM"), std::string::npos);
    EXPECT_EQ(result.Text.find("X-PM-Encryptor"), std::string::npos);
}

TEST_F(Host, PlaceholderIsCoveredAndTheHeaderKeepsItsLength)
{
    const std::string placeholder = "X-PM-PLACEHOLDER: " + std::string(60, ' ');
    const std::string text = "From: a@x\r\n" + placeholder + "\r\n" + ReadData("pgpmime-encrypted.eml");
    const TTagResult result = TagMessageText(text, "M.CNM", false, false);
    const std::string expectedHead = "From: a@x\r\nX-PM-Encryptor: DIRAZA-ZE32, 1\r\nX-PMFLAGS: 570425348 0 0 M.CNM" +
                                     std::string(78 - 30, ' ') + "\r\nFrom: Alice";
    EXPECT_EQ(result.Text.substr(0, expectedHead.size()), expectedHead);
    EXPECT_EQ(result.Text.find("\r\n\r\n"), text.find("\r\n\r\n") + 32);
}

TEST_F(Host, LongMessageWithEndBeyondTheHeadKeepsItsMarker)
{
    std::string body = "-----BEGIN PGP MESSAGE-----\r\n\r\n";
    for (int i = 0; i < 5000; ++i)
        body += std::string(64, 'A') + "\r\n";
    body += "-----END PGP MESSAGE-----\r\n";
    const std::string text = "From: a@x\r\nX-PM-Encryptor: DIRAZA-ZE32, 1\r\nX-PMFLAGS: 34078724 0 0 M.CNM\r\n"
                             "Mime-Version: 1.0\r\nContent-Type: text/plain; charset=WINDOWS-1252\r\n"
                             "Content-Transfer-Encoding: 8BIT\r\n\r\n" + body;
    const TTagResult result = TagMessageText(text, "M.CNM", false, false);
    EXPECT_FALSE(result.Changed);
}

std::string FileBytes(const std::filesystem::path& Path)
{
    std::ifstream in(Path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void PutFile(const std::filesystem::path& Path, const std::string& Bytes)
{
    std::ofstream out(Path, std::ios::binary | std::ios::trunc);
    out << Bytes;
}

class TagFile : public Host {
protected:
    void SetUp() override
    {
        std::filesystem::remove_all(Folder);
        std::filesystem::create_directories(Folder);
        PutFile(Path, Original);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(Folder);
    }
    bool Tag(std::string& Text, bool WantText = false)
    {
        std::string subject;
        bool encryptedMime = false;
        return TagMessageFile(Path.string(), 10, false, Text, encryptedMime, subject, WantText);
    }
    bool OnlyTheMessageIsLeft() const
    {
        return std::distance(std::filesystem::directory_iterator(Folder), std::filesystem::directory_iterator()) == 1;
    }

    const std::filesystem::path Folder = std::filesystem::temp_directory_path() / "zavek-mailhost-test";
    const std::filesystem::path Path = Folder / "M2.CNM";
    const std::string Original = "From: a@x\r\nSubject: s\r\n\r\n" + pgpBody;
};

// The file is patched where it lies: the same file, tagged once, nothing left beside it; a header
// beyond the host's scan head is not looked at.
TEST_F(TagFile, IsTaggedInPlaceOnceAndOnlyWithinTheHead)
{
#ifndef _WIN32
    const auto links = [&] { return std::filesystem::hard_link_count(Path); };
    std::filesystem::create_hard_link(Path, Folder / "link");
#endif
    std::string text = "x";
    ASSERT_TRUE(Tag(text));
    EXPECT_EQ(text, "");
    const std::string tagged = FileBytes(Path);
    EXPECT_NE(tagged.find("X-PMFLAGS: 34078724 0 0 M2.CNM"), std::string::npos);
    EXPECT_EQ(tagged, TagMessageText(Original, Path.string(), false, false).Text);
#ifndef _WIN32
    // A replaced file would have left the link behind with the old content.
    EXPECT_EQ(links(), 2u);
    EXPECT_EQ(FileBytes(Folder / "link"), tagged);
    std::filesystem::remove(Folder / "link");
#endif
    EXPECT_TRUE(OnlyTheMessageIsLeft());
    ASSERT_TRUE(Tag(text));
    EXPECT_EQ(FileBytes(Path), tagged);

    const std::string longHeader = "From: a@x\r\nX-Long: " + std::string(17000, 'q') + "\r\n\r\n" + pgpBody;
    PutFile(Path, longHeader);
    EXPECT_TRUE(Tag(text));
    EXPECT_EQ(FileBytes(Path), longHeader);
}

// A safe commit replaces the file whole, or leaves it as it was and nothing beside it; the
// temporary copy it gives up (it may hold a decrypted message) is overwritten before it goes.
TEST_F(TagFile, ASafeCommitThatFailsLeavesNoReadableCopyBehind)
{
    ASSERT_TRUE(CommitFileSafely(Path.string(), { std::string_view("plain "), std::string_view("text") }));
    EXPECT_EQ(FileBytes(Path), "plain text");
    EXPECT_TRUE(OnlyTheMessageIsLeft());

    const std::filesystem::path blocked = Folder / "blocked";
    std::filesystem::create_directories(blocked / "inside");
    const std::filesystem::path temporary = Folder / "blocked.zvk-tmp";
#ifndef _WIN32
    // A second name on the temporary file's blocks shows what they hold once it is gone.
    PutFile(temporary, "");
    std::filesystem::create_hard_link(temporary, Folder / "peek");
#endif
    const std::string secret = "the decrypted letter";
    EXPECT_FALSE(CommitFileSafely(blocked.string(), secret));
    EXPECT_FALSE(std::filesystem::exists(temporary));
    EXPECT_TRUE(std::filesystem::is_directory(blocked / "inside"));
#ifndef _WIN32
    EXPECT_EQ(FileBytes(Folder / "peek"), std::string(secret.size(), '\0'));
#endif
}

#ifdef _WIN32
// The mail client keeps the file open while it shows it, sharing reading and writing but not
// deleting: a rename over it fails there, a patch does not, and the file keeps its attributes.
TEST_F(TagFile, IsTaggedWhileTheMailClientHoldsItOpen)
{
    ASSERT_TRUE(SetFileAttributesA(Path.string().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    HANDLE held = CreateFileA(Path.string().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string text;
    const bool tagged = Tag(text);
    char seen[4096] = {};
    DWORD got = 0;
    ReadFile(held, seen, sizeof seen - 1, &got, nullptr);
    CloseHandle(held);
    ASSERT_TRUE(tagged);
    EXPECT_NE(std::string(seen, got).find("X-PMFLAGS: 34078724 0 0 M2.CNM"), std::string::npos);
    EXPECT_EQ(GetFileAttributesA(Path.string().c_str()) & FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(OnlyTheMessageIsLeft());

    // Held without write sharing it cannot be tagged at all: reported, and the file left as it was.
    SetFileAttributesA(Path.string().c_str(), FILE_ATTRIBUTE_NORMAL);
    PutFile(Path, Original);
    held = CreateFileA(Path.string().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Tag(text));
    CloseHandle(held);
    EXPECT_EQ(FileBytes(Path), Original);
    EXPECT_TRUE(OnlyTheMessageIsLeft());
}
#else
// A process that dies in the middle of the patch (here: killed by the file-size limit while the
// grown tail is written) leaves a broken file and its undo file; the next tagging puts the message
// back first and then tags it.
TEST_F(TagFile, SurvivesACrashInTheMiddleOfTheWrite)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{ Original.size() + 60, Original.size() + 60 };
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string text;
        Tag(text);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    const std::string broken = FileBytes(Path);
    ASSERT_NE(broken, Original);
    ASSERT_EQ(broken.size(), Original.size() + 60);
    ASSERT_TRUE(std::filesystem::exists(UndoFileName(Path.string())));

    RepairInterruptedRewrite(Path.string());
    EXPECT_EQ(FileBytes(Path), Original);
    EXPECT_TRUE(OnlyTheMessageIsLeft());
    std::string text;
    ASSERT_TRUE(Tag(text));
    EXPECT_EQ(FileBytes(Path), TagMessageText(Original, Path.string(), false, false).Text);

    // An undo file of a file changed since by someone else is no reason to touch it.
    PutFile(UndoFileName(Path.string()), "3 1 2\nxyz");
    ASSERT_TRUE(Tag(text));
    EXPECT_EQ(FileBytes(Path), TagMessageText(Original, Path.string(), false, false).Text);
}
#endif

TEST_F(Host, BodyCharsetDeclarations)
{
    const struct {
        const char* In;
        const char* Out; // empty: unchanged
    } cases[] = {
        {"Content-Type: text/plain; charset=US-ASCII\r\nContent-Transfer-Encoding: 7BIT\r\nMime-Version: 1.0\r\n\r\nx",
         "Content-Type: text/plain; charset=WINDOWS-1252\r\nContent-Transfer-Encoding: 8BIT\r\nMime-Version: 1.0\r\n\r\nx"},
        {"Mime-Version: 1.0\r\nContent-Type: text/plain; charset=\"ISO-8859-1\"\r\n\r\nx",
         "Mime-Version: 1.0\r\nContent-Type: text/plain; charset=\"WINDOWS-1252\"\r\nContent-Transfer-Encoding: 8BIT\r\n\r\nx"},
        {"Mime-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-8859-15\r\nContent-Transfer-Encoding: 8bit\r\n\r\nx", ""},
        // A multipart without Mime-Version gets only that field, never a second Content-Type.
        {"Subject: s\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\nx\r\n--b--\r\n",
         "Mime-Version: 1.0\r\nSubject: s\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\nx\r\n--b--\r\n"},
        {"Subject: s\r\nX-PMFLAGS: 1 0 0 A\r\n\r\nx",
         "Subject: s\r\nMime-Version: 1.0\r\nContent-Type: text/plain; charset=WINDOWS-1252\r\n"
         "Content-Transfer-Encoding: 8BIT\r\nContent-Description: Mail message body\r\nX-PMFLAGS: 1 0 0 A\r\n\r\nx"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DeclareBodyCharset(c.In), c.Out) << c.In;
}

TEST_F(Host, WritePMFlagsHeaderReplacesCoversOrAdds)
{
    EXPECT_EQ(WritePMFlagsHeader("A: 1\r\nX-PMFLAGS: 99999999999999999999 0 0 X\r\n\r\nb", false, true, false, false, "Y"),
              "A: 1\r\nX-PMFLAGS: 33554436 0 0 Y            \r\n\r\nb");
    EXPECT_EQ(WritePMFlagsHeader("A: 1\r\nX-PM-PLACEHOLDER: x\r\n\r\nb", true, false, true, true, "Y"),
              "A: 1\r\nX-PMFLAGS: 570949760 0 0 Y\r\n\r\nb");
    EXPECT_EQ(WritePMFlagsHeader("A: 1\r\n\r\nb", false, false, false, false, "C:\\D\\Y"),
              "A: 1\r\nX-PMFLAGS: 33554432 0 0 Y\r\n\r\nb");
}

TEST_F(Host, FoldingKeepsQuotedSemicolonsAndDropsEncryptionParameters)
{
    std::string value = "attachment; filename=\"a;b.txt\"; size=3; x-encryption=DIRAZA-ZE32; x-encryption-flags=1";
    FoldHeaderParameters("filename", value, true);
    EXPECT_EQ(value, "attachment;\r\n filename=\"a;b.txt\";\r\n size=3");
    std::string type = "application/pdf;name=\"r.pdf\"";
    FoldHeaderParameters("name", type, false);
    EXPECT_EQ(type, "application/pdf;\r\n name=\"r.pdf\"");
}

TEST_F(Host, ExtensionsAndRecipients)
{
    EXPECT_EQ(GetAttachmentExtension("C:\\x\\Report.PDF", "", ".PM$"), ".pdf");
    EXPECT_EQ(GetAttachmentExtension("A.PM$", "Content-Type: application/octet-stream\r\n", ".PM$"), "");
    EXPECT_EQ(GetAttachmentExtension("A.PM$", "Content-Disposition: attachment; filename=A.PM$\r\n", ".PM$"), ".pm$");

    TRecipientCounts counts;
    std::string list;
    EXPECT_EQ(CollectRecipients("\"Doe, J\" <j@x.org>, b@y.org (Bob)", "Carol", "", counts, list), 3);
    EXPECT_EQ(list, "j@x.org\tb@y.org\tCarol");
    EXPECT_EQ(counts.To, 2);
    EXPECT_EQ(counts.Cc, 1);
    EXPECT_EQ(GetRecipientAddresses("To: A <a@x>\r\nCc: c@x, \r\n", "", list), 2);
    EXPECT_EQ(list, "a@x, c@x");
    EXPECT_EQ(GetRecipientAddresses("To: a@x\r\nBcc: hidden@x\r\n", "", list), 1);
    EXPECT_EQ(list, "hidden@x");
}

} // namespace
