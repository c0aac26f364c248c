// Tests of the dated message export: folders cut into dated items (mailbox and Ctrl-Z form),
// notes for attachments and digests, progress, and the mailbox written back and read again.
#include "mime/DatedMessages.h"

#include "FakeMailServices.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

std::string Message(const std::string& Date, const std::string& Subject, const std::string& Body,
    const std::string& To = "Bob <bob@example.org>")
{
    std::string header = "From: Alice <alice@example.org>\r\nTo: " + To + "\r\nSubject: " + Subject + "\r\n";
    if (!Date.empty())
        header = "Date: " + Date + "\r\n" + header;
    return header + "\r\n" + Body + "\r\n";
}

std::string Mailbox(const std::vector<std::string>& Messages)
{
    std::string folder;
    for (const std::string& message : Messages)
        folder += "From ???@???\r\n" + message;
    return folder;
}

std::string WithAttachments(const std::string& Date)
{
    return "Date: " + Date
        + "\r\nFrom: a@example.org\r\nTo: b@example.org\r\nSubject: Files\r\nMIME-Version: 1.0\r\n"
          "Content-Type: multipart/mixed; boundary=\"XX\"\r\n\r\n"
          "--XX\r\nContent-Type: text/plain\r\n\r\nSee the files.\r\n"
          "--XX\r\nContent-Type: application/pdf; name=\"one.pdf\"\r\nContent-Disposition: attachment; "
          "filename=\"one.pdf\"\r\nContent-Transfer-Encoding: base64\r\n\r\nJVBERi0=\r\n"
          "--XX\r\nContent-Type: image/png; name=\"two.png\"\r\nContent-Disposition: attachment; "
          "filename=\"two.png\"\r\nContent-Transfer-Encoding: base64\r\n\r\niVBORw0=\r\n"
          "--XX--\r\n";
}

std::string Digest()
{
    return "Date: Mon, 2 Mar 2026 10:00:00 +0000\r\nFrom: list@example.org\r\nTo: b@example.org\r\nSubject: "
           "Digest\r\nMIME-Version: 1.0\r\nContent-Type: multipart/digest; boundary=\"DD\"\r\n\r\n"
           "--DD\r\n\r\nFrom: x@example.org\r\nSubject: First\r\n\r\nOne\r\n"
           "--DD\r\n\r\nFrom: y@example.org\r\nSubject: Second\r\n\r\nTwo\r\n--DD--\r\n";
}

std::string ReadFile(const std::string& Name)
{
    std::ifstream in(Name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int CountOf(const std::string& Text, const std::string& Part)
{
    int count = 0;
    for (std::size_t at = Text.find(Part); at != std::string::npos; at = Text.find(Part, at + 1))
        ++count;
    return count;
}

class DatedMessagesTest : public ::testing::Test {
protected:
    void Configure(TDatedMessages& messages)
    {
        messages.TreeData.DateCaption = "Date";
        messages.TreeData.FromCaption = "From";
        messages.TreeData.ToCaption = "To";
        messages.TreeData.SubjectCaption = "Subject";
        messages.TreeData.ReplyToCaption = "Reply-to:";
        messages.TreeData.UnknownValue = "(unknown)";
        messages.TreeData.SubjectSuffix = "(message)";
        messages.TreeData.DefaultTypeName = "File";
        messages.SetEmbeddedNote("Attachments:");
        messages.SetDigestNote("Digest:");
    }
    std::string TempName(const char* name) const { return ::testing::TempDir() + name; }

    TBoundLatin1Services services_;
};

TEST_F(DatedMessagesTest, MessagesOutOfOrderLandInDateOrderAndUndatedOnesFirst)
{
    TDatedStrings list;
    list.SetSortState(dsAscending);
    TDatedMessages messages(&list);
    Configure(messages);
    messages.LoadMessages(Mailbox({ Message("Wed, 3 Jun 2026 10:00:00 +0000", "third", "c"),
                              Message("Mon, 1 Jun 2026 10:00:00 +0000", "first", "a"), Message("", "undated", "u"),
                              Message("Tue, 2 Jun 2026 10:00:00 +0000", "second", "b") }),
        true);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.GetDate(0), 0);
    const char* order[] = { "undated", "first", "second", "third" };
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(list[i].find("Subject\t" + std::string(order[i]) + "\r\n"), std::string::npos) << list[i];
        if (i > 1) {
            EXPECT_LT(list.GetDate(i - 1), list.GetDate(i));
        }
    }
    const std::string& item = list[1];
    EXPECT_EQ(item.rfind("Date\t", 0), 0u) << "the item opens with the summary";
    EXPECT_NE(item.find("\r\n\r\na\r\n\r\n"), std::string::npos) << item;
    EXPECT_TRUE(item.size() > 88 && item.substr(item.size() - 86) == std::string(40, '\x97') + "  "
            + std::string(40, '\x97') + "\r\n\r\n");
    EXPECT_EQ(CountOf(item, "Attachments:"), 0);
}

TEST_F(DatedMessagesTest, CtrlZSeparatedFoldersAndEmptyPieces)
{
    TDatedStrings list;
    TDatedMessages messages(&list);
    Configure(messages);
    messages.LoadMessages(Message("Mon, 1 Jun 2026 10:00:00 +0000", "one", "1") + "\x1A"
            + Message("Tue, 2 Jun 2026 10:00:00 +0000", "two", "From ???@??? inside a body") + "\x1A\r\n\x1A",
        false);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_NE(list[1].find("Subject\ttwo"), std::string::npos);
    EXPECT_NE(list[1].find("From ???@??? inside"), std::string::npos);

    messages.LoadMessages("", false); // nothing happens without a text
    EXPECT_EQ(list.Count(), 2);
    TDatedMessages without(nullptr);
    without.LoadMessages(Message("", "x", "y"), false);
    EXPECT_FALSE(without.SaveToFile(TempName("never.mbx")));
}

TEST_F(DatedMessagesTest, AttachmentsAndDigestsGetTheirNotesAndLists)
{
    TDatedStrings list;
    list.SetSortState(dsAscending);
    TDatedMessages messages(&list);
    Configure(messages);
    messages.LoadMessages(Mailbox({ WithAttachments("Sun, 1 Mar 2026 10:00:00 +0000"), Digest() }), true);
    ASSERT_EQ(list.Count(), 2);

    const std::string& files = list[0];
    const std::string note = "\r\nAttachments:" + std::string(40, '\x97') + "\r\n";
    const std::size_t at = files.find(note);
    ASSERT_NE(at, std::string::npos) << files;
    EXPECT_EQ(CountOf(files.substr(at), "\r\n=> "), 2) << files;
    EXPECT_NE(files.find("See the files."), std::string::npos);
    EXPECT_EQ(CountOf(files, "Digest:"), 0);

    const std::string& digest = list[1];
    EXPECT_NE(digest.find("\r\nDigest:" + std::string(40, '\x97') + "\r\n"), std::string::npos) << digest;
    EXPECT_EQ(CountOf(digest, "Attachments:"), 0);
}

TEST_F(DatedMessagesTest, ProgressMovesForwardAndCanStopTheLoad)
{
    const std::string folder = Mailbox({ Message("Mon, 1 Jun 2026 10:00:00 +0000", "a", "1"),
        Message("Tue, 2 Jun 2026 10:00:00 +0000", "b", "2"), Message("Wed, 3 Jun 2026 10:00:00 +0000", "c", "3") });
    TDatedStrings list;
    TDatedMessages messages(&list);
    Configure(messages);
    std::vector<int64_t> seen;
    messages.OnProgress = [&](int64_t processed) {
        seen.push_back(processed);
        return true;
    };
    messages.LoadMessages(folder, true);
    EXPECT_EQ(list.Count(), 3);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_LT(seen[0], seen[1]);
    EXPECT_LT(seen[1], seen[2]);
    EXPECT_EQ(seen[2], static_cast<int64_t>(folder.size()));
    EXPECT_EQ(messages.TextLength, static_cast<int64_t>(folder.size()));

    messages.OnProgress = [](int64_t) { return false; };
    messages.LoadMessages(folder, true);
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(DatedMessagesTest, SavedMailboxIsPlainUtf8AndReadsBackTheSame)
{
    TDatedStrings list;
    list.SetSortState(dsAscending);
    TDatedMessages messages(&list);
    Configure(messages);
    // The host's own folder form, where a body line may begin like a mailbox message.
    messages.LoadMessages(
        Message("Tue, 2 Jun 2026 10:00:00 +0000", "=?ISO-8859-1?Q?Gr=FC=DFe?=", "Hello\r\nFrom ???@??? here") + "\x1A"
            + Message("Mon, 1 Jun 2026 09:30:00 +0200", "Plain", "Body", "a@example.org, b@example.org"),
        false);
    ASSERT_EQ(list.Count(), 2);
    const std::string file = TempName("dated_export.mbx");
    ASSERT_TRUE(messages.SaveToFile(file));
    const std::string saved = ReadFile(file);

    EXPECT_EQ(saved.rfind("From ???@???\r\nDate: Mon, 1 Jun 2026 07:30:00 +0000\r\n"
                          "From: Alice <alice@example.org>\r\nTo: a@example.org\r\nSubject: Plain\r\n"
                          "Mime-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
                          "Content-Transfer-Encoding: 8BIT\r\nContent-Description: Mail message body\r\n\r\n",
                  0),
        0u)
        << saved;
    EXPECT_NE(saved.find("Subject: =?UTF-8?Q?Gr=C3=BC=C3=9Fe?=\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\n>From ???@??? here\r\n"), std::string::npos) << "a body line never starts a message";
    EXPECT_EQ(CountOf(saved, "\nFrom ???@???"), 1);
    const std::string dashes = TLatin1MailServices::Latin1ToUtf8(std::string(40, '\x97'));
    EXPECT_EQ(CountOf(saved, dashes + "\r\n"), 2);
    EXPECT_EQ(CountOf(saved, dashes + "  "), 0) << "the separator is cut back to its first dashes";
    EXPECT_EQ(saved.substr(saved.size() - dashes.size() - 2), dashes + "\r\n");

    TDatedStrings again;
    again.SetSortState(dsAscending);
    TDatedMessages reread(&again);
    Configure(reread);
    reread.LoadMessages(saved, true);
    ASSERT_EQ(again.Count(), 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(again.GetDate(i), list.GetDate(i));
    EXPECT_NE(again[1].find("Subject\tGr\xFC\xDF" "e"), std::string::npos) << again[1];
    std::remove(file.c_str());
}

TEST_F(DatedMessagesTest, WideListsHoldUtf16AndSaveTheSameMailbox)
{
    const std::string folder = Mailbox({ WithAttachments("Sun, 1 Mar 2026 10:00:00 +0000"),
        Message("Mon, 2 Mar 2026 10:00:00 +0000", "=?UTF-8?Q?Caf=C3=A9?=", "Text \xE9") });
    TDatedStrings ansi;
    TDatedMessages ansiMessages(&ansi);
    Configure(ansiMessages);
    ansiMessages.LoadMessages(folder, true);
    TDatedWideStrings wide;
    TDatedMessages wideMessages(&wide);
    Configure(wideMessages);
    EXPECT_EQ(wideMessages.Mode, lmDecode | lmWide);
    EXPECT_EQ(ansiMessages.Mode, lmDecode);
    wideMessages.LoadMessages(folder, true);

    ASSERT_EQ(wide.Count(), 2);
    for (int i = 0; i < 2; ++i) {
        const std::string item = wide[i];
        ASSERT_EQ(item.size() % 2, 0u);
        EXPECT_EQ(item.substr(item.size() - 2), std::string(2, '\0'));
        EXPECT_EQ(item.substr(0, item.size() - 2).find(std::string(2, '\0')) % 2, 1u) << "one terminator, at the end";
        EXPECT_EQ(TLatin1MailServices().Ucs2ToLocale(item), ansi[i]);
    }

    const std::string ansiFile = TempName("dated_ansi.mbx");
    const std::string wideFile = TempName("dated_wide.mbx");
    ASSERT_TRUE(ansiMessages.SaveToFile(ansiFile));
    ASSERT_TRUE(wideMessages.SaveToFile(wideFile));
    EXPECT_EQ(ReadFile(wideFile), ReadFile(ansiFile));
    EXPECT_NE(ReadFile(wideFile).find("Text \xC3\xA9"), std::string::npos);
    std::remove(ansiFile.c_str());
    std::remove(wideFile.c_str());
}

TEST_F(DatedMessagesTest, NothingToSaveOrNowhereToSaveIt)
{
    TDatedStrings list;
    TDatedMessages messages(&list);
    Configure(messages);
    const std::string file = TempName("dated_empty.mbx");
    std::remove(file.c_str());
    EXPECT_FALSE(messages.SaveToFile(file));
    EXPECT_FALSE(std::ifstream(file).good()) << "an empty list writes no file";

    messages.LoadMessages(Mailbox({ Message("", "x", "y") }), true);
    EXPECT_FALSE(messages.SaveToFile(TempName("no_such_folder/x/y.mbx")));
}

} // namespace
