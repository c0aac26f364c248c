// Tests of the encrypt road's tree edits: an attachment replaced by its encrypted form, a
// detached signature part added, node insertion and removal, and the view mirror.
#include "mime/MimeTreeEdit.h"
#include "FakeMailServices.h"
#include "tools/mimetree/MimeTreeDump.h"
#include <gtest/gtest.h>

namespace {

const std::string message = "From: a@x\r\nSubject: s\r\nX-PM-Encryptor: DIRAZA-ZE32, 0\r\n"
                            "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
                            "--b\r\nContent-Type: text/plain\r\n\r\nfirst\r\n"
                            "--b\r\nContent-Type: application/pdf; name=\"r.pdf\"\r\n"
                            "Content-Disposition: attachment; filename=\"r.pdf\"\r\n\r\n%PDF\r\n--b--\r\n";

TMimeMsgTree RawTree(const std::string& Text)
{
    TMimeMsgTree tree;
    tree.Reset();
    tree.TreeData.DefaultTypeName = "File";
    tree.TreeData.Decode = [](const std::string&, std::string&, std::string&, int32_t&, std::string&) {};
    tree.LoadMessage(Text, 1, 0x30, 0);
    return tree;
}

class TreeEdit : public testing::Test {
protected:
    TBoundLatin1Services Services;
};

TEST_F(TreeEdit, RawJoinGivesTheMessageBack)
{
    TMimeMsgTree tree = RawTree(message);
    ASSERT_TRUE(tree.RawMode);
    TMimeMsgTree again;
    again.Reset();
    again.LoadMessage(tree.JoinSectionTexts(), 1, lmPreferFormatted | lmNested, 0);
    TMimeMsgTree original;
    original.Reset();
    original.LoadMessage(message, 1, lmPreferFormatted | lmNested, 0);
    ASSERT_EQ(again.SectionCount(), original.SectionCount()) << tree.JoinSectionTexts();
    for (int i = 0; i < again.SectionCount(); ++i)
        EXPECT_EQ(again.GetSectionKind(i), original.GetSectionKind(i)) << i;
}

TEST_F(TreeEdit, AttachmentIsReplacedByItsEncryptedForm)
{
    TMimeMsgTree tree = RawTree(message);
    int attachment = -1;
    for (int i = 0; i < tree.SectionCount(); ++i)
        if (tree.GetSectionKind(i) == nkAttachment)
            attachment = i;
    ASSERT_GT(attachment, 0) << TreeJson(tree);
    EXPECT_EQ(EncodeSectionBody(tree, attachment, "ENCRYPTED", "base64", false, true, 0x9), attachment);
    const std::string rebuilt = tree.JoinSectionTexts();
    TMimeMsgTree check;
    check.Reset();
    check.LoadMessage(rebuilt, 1, lmPreferFormatted | lmNested, 0);
    const TSectionNode* last = check.GetSection(check.SectionCount() - 1);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->FileName, "r.pdf.pgp") << rebuilt;
    EXPECT_EQ(MediaTypeText(last->Section.ContentType), "application/pgp-encrypted");
    EXPECT_EQ(last->Text, "ENCRYPTED");
    EXPECT_NE(rebuilt.find("x-encryption-flags=9"), std::string::npos);
}

TEST_F(TreeEdit, SignaturePartFollowsTheSignedNode)
{
    TMimeMsgTree tree = RawTree(message);
    const int attachment = tree.SectionCount() - 2;
    ASSERT_EQ(tree.GetSectionKind(attachment), nkAttachment) << TreeJson(tree);
    const int count = tree.SectionCount();
    const int last = EncodeSectionBody(tree, attachment, "-----BEGIN PGP SIGNATURE-----\r\n", "", true, false, 0);
    EXPECT_EQ(last, attachment + 2);
    EXPECT_EQ(tree.SectionCount(), count + 2);
    EXPECT_EQ(tree.GetSectionKind(attachment + 1), nkRawText);
    EXPECT_EQ(tree.GetSectionText(attachment + 1).substr(0, 65),
              "--b\r\nContent-Type: application/pgp-signature; name=\r\n \"r.pdf.sig\"");
    EXPECT_EQ(tree.GetSectionText(attachment), "JVBERg==");
    // An empty signature leaves only the header node.
    TMimeMsgTree other = RawTree(message);
    EXPECT_EQ(EncodeSectionBody(other, attachment, "", "", true, false, 0), attachment + 1);
    EXPECT_EQ(other.SectionCount(), count + 1);
}

// Mail services that name file types by extension, as the system's type list does.
class TTypeNamingServices : public TLatin1MailServices {
public:
    std::string SigName, PdfName;
    std::vector<std::string> Asked;
    std::string FileTypeName(const std::string& FileName, const std::string& MimeType) override
    {
        Asked.push_back(FileName + " " + MimeType);
        const std::string extension = FileName.substr(FileName.rfind('.') + 1);
        return extension == "sig" ? SigName : extension == "pdf" ? PdfName : std::string();
    }
};

TEST_F(TreeEdit, PgpPartsDescribeTheirFileTypes)
{
    const struct {
        const char* SigName;
        const char* PdfName;
        const char* SigLine;
        const char* PdfLine;
    } cases[] = {
        {"PGP signature", "PDF document", "Content-Description: PGP signature\r\n",
         "Content-Description: PDF document\r\n"},
        // The system's names are UTF-8; a header carries them as encoded words.
        {"PGP-Signat\xC3\xBCr", "PDF-Dokument", "Content-Description: =?UTF-8?Q?PGP-Signat=C3=BCr?=\r\n",
         "Content-Description: PDF-Dokument\r\n"},
        {"", "", "Content-Description: File\r\n", "Content-Description: File\r\n"},
    };
    for (const auto& c : cases) {
        TTypeNamingServices services;
        services.SigName = c.SigName;
        services.PdfName = c.PdfName;
        BindMailServices(&services);
        TMimeMsgTree signedTree = RawTree(message);
        const int attachment = signedTree.SectionCount() - 2;
        EncodeSectionBody(signedTree, attachment, "-----BEGIN PGP SIGNATURE-----\r\n", "", true, false, 0);
        const std::string signaturePart = signedTree.GetSectionText(attachment + 1);
        EXPECT_NE(signaturePart.find(c.SigLine), std::string::npos) << signaturePart;
        TMimeMsgTree encryptedTree = RawTree(message);
        EncodeSectionBody(encryptedTree, attachment, "ENCRYPTED", "base64", false, true, 0);
        const std::string encryptedPart = encryptedTree.GetSectionText(attachment - 1);
        EXPECT_NE(encryptedPart.find(c.PdfLine), std::string::npos) << encryptedPart;
        EXPECT_EQ(services.Asked, (std::vector<std::string> {"r.pdf.sig application/pgp-signature",
                                                              "r.pdf application/pdf"}));
        BindMailServices(nullptr);
    }
}

TEST_F(TreeEdit, TextBodyHeaderGetsEncodingAndFlagsDigit)
{
    const std::string single = "Subject: s\r\nX-PM-Encryptor: DIRAZA-ZE32, 0\r\nContent-Type: text/plain\r\n"
                               "Content-Transfer-Encoding: 8bit\r\n\r\nhello\r\n";
    TMimeMsgTree tree = RawTree(single);
    ASSERT_EQ(tree.SectionCount(), 2) << TreeJson(tree);
    EncodeSectionBody(tree, 1, "secret", "base64", false, false, 0xA);
    EXPECT_EQ(tree.GetSectionText(0), "Subject: s\r\nX-PM-Encryptor: DIRAZA-ZE32, A\r\nContent-Type: text/plain\r\n"
                                      "Content-Transfer-Encoding: base64");
    EXPECT_EQ(tree.GetSectionText(1), "c2VjcmV0");
}

class TRecordingView : public TMimeTreeViewAdapter {
public:
    std::vector<std::pair<uintptr_t, std::string>> Items;
    void Clear() override { Items.clear(); }
    uintptr_t AddItem(uintptr_t Parent, const std::string& Caption, uint32_t, int) override
    {
        Items.emplace_back(Parent, Caption);
        return Items.size();
    }
};

TEST_F(TreeEdit, MirrorKeepsParentsAndOrder)
{
    TMimeMsgTree tree;
    tree.Reset();
    tree.TreeData.DefaultTypeName = "File";
    tree.LoadMessage(message, 1, lmPreferFormatted | lmNested, 0);
    TRecordingView view;
    MirrorTree(tree, view);
    ASSERT_EQ(view.Items.size(), static_cast<std::size_t>(tree.SectionCount()));
    EXPECT_EQ(view.Items[1], std::make_pair(uintptr_t{0}, std::string("(mixed)")));
    EXPECT_EQ(view.Items[3], std::make_pair(uintptr_t{2}, std::string("File: r.pdf")));
}

} // namespace
