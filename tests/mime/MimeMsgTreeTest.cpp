// Tests of the part-tree model: trees of real messages compared with Python's email package,
// body choice by mode, protected parts through a decode callback, raw mode and the limits.
#include "mime/MimeMsgTree.h"
#include "FakeMailServices.h"
#include "support/FreedTextWatch.h"
#include "tools/mimetree/MimeTreeDump.h"
#include <gtest/gtest.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

namespace {

std::string ReadData(const std::string& Name)
{
    std::ifstream in(std::string(ZAVEK_TEST_DATA) + "/mime/" + Name, std::ios::binary);
    EXPECT_TRUE(in.good()) << Name;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Lower(std::string Text)
{
    for (char& c : Text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return Text;
}

// The value of "Key": in one JSON line as written by the fixture script (strings or numbers).
std::string JsonField(const std::string& Line, const std::string& Key)
{
    const std::size_t at = Line.find("\"" + Key + "\": ");
    if (at == std::string::npos)
        return {};
    std::size_t p = at + Key.size() + 4;
    if (Line[p] != '"') {
        const std::size_t end = Line.find_first_of(",}", p);
        return Line.substr(p, end - p);
    }
    std::string value;
    for (++p; p < Line.size() && Line[p] != '"'; ++p) {
        if (Line[p] == '\\')
            ++p;
        value += Line[p];
    }
    return value;
}

struct TLeaf {
    std::string Type, Charset, File, Decoded;
    bool operator==(const TLeaf&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const TLeaf& Leaf)
{
    return Out << Leaf.Type << " charset=" << Leaf.Charset << " file=" << Leaf.File << " decoded=" << Leaf.Decoded;
}

TMimeMsgTree Load(const std::string& Text, uint32_t Mode, TDecodeCallback Decode = {})
{
    TMimeMsgTree tree;
    tree.Reset();
    tree.TreeData.MessageCaption = "Message";
    tree.TreeData.TextPrefix = "Text";
    tree.TreeData.DefaultTypeName = "File";
    tree.TreeData.SubjectSuffix = "(message)";
    tree.TreeData.Decode = std::move(Decode);
    tree.LoadMessage(Text, 1, Mode, 0);
    return tree;
}

class MimeTree : public testing::Test {
protected:
    TBoundLatin1Services Services;
};

TEST_F(MimeTree, LeavesAgreeWithPythonsEmailPackage)
{
    for (const char* name : {"nested", "related", "single", "plain", "pgpmime-signed", "pgpmime-in-mixed",
                             "smime-multipart-signed"}) {
        std::ifstream probe(std::string(ZAVEK_TEST_DATA) + "/mime/trees/" + name + ".eml");
        const std::string text = probe.good() ? ReadData(std::string("trees/") + name + ".eml")
                                              : ReadData(std::string(name) + ".eml");
        const TMimeMsgTree tree = Load(text, lmPreferFormatted | lmNested);
        std::vector<TLeaf> ours;
        for (int i = 0; i < tree.SectionCount(); ++i) {
            const TSectionNode& node = *tree.GetSection(i);
            if (node.NodeKind != nkOther && node.NodeKind < nkSignature)
                continue;
            // Intended differences: an attachment carries the charset for its name, not its
            // body's; an unnamed one is named by its Content-ID, location or type.
            const std::string type = MediaTypeText(node.Section.ContentType);
            const bool attachment = node.NodeKind != nkTextPlain && node.NodeKind != nkTextHtml &&
                                    node.NodeKind != nkTextRtf && node.NodeKind != nkTextOther;
            const bool named = !GetHeaderParameter(node.Section.ContentType, "name", nullptr, false).empty() ||
                               !GetHeaderParameter(node.Section.Disposition, "filename", nullptr, false).empty();
            ours.push_back({type.empty() ? "text/plain" : type, attachment ? "" : Lower(node.Section.Charset),
                            named ? node.FileName : "", std::to_string(node.DecodedSize)});
        }
        std::istringstream expected(ReadData(std::string("trees/") + name + ".leaves"));
        std::vector<TLeaf> python;
        std::size_t index = 0;
        for (std::string line; std::getline(expected, line); ++index) {
            const bool attachment = index < ours.size() && ours[index].Charset.empty();
            python.push_back({JsonField(line, "type"), attachment ? "" : JsonField(line, "charset"),
                              JsonField(line, "file"), JsonField(line, "decoded")});
        }
        EXPECT_EQ(ours, python) << name << "\n" << TreeJson(tree);
        // A scan keeps no decoded text, yet gives every leaf the same decoded size.
        const TMimeMsgTree scan = Load(text, lmScanOnly | lmPreferFormatted);
        ASSERT_EQ(scan.SectionCount(), tree.SectionCount()) << name;
        for (int i = 0; i < tree.SectionCount(); ++i)
            EXPECT_EQ(scan.GetSection(i)->DecodedSize, tree.GetSection(i)->DecodedSize) << name << " node " << i;
    }
}

TEST_F(MimeTree, NestedMessageShape)
{
    const TMimeMsgTree tree = Load(ReadData("trees/nested.eml"), lmPreferFormatted | lmNested);
    std::vector<uint32_t> kinds;
    for (int i = 0; i < tree.SectionCount(); ++i)
        kinds.push_back(tree.GetSectionKind(i));
    const std::vector<uint32_t> expected = {nkMessage, nkMixed,   nkAlternative, nkTextPlain, nkTextHtml,
                                            nkAttachment, nkOther, nkMessage,    nkMixed,     nkTextPlain};
    EXPECT_EQ(kinds, expected) << TreeJson(tree);
    EXPECT_EQ(tree.AttachmentCount, 3);
    EXPECT_TRUE(tree.HasAttachments);
    EXPECT_EQ(tree.GetSection(6)->Caption, "File: application/octet-stream");
    EXPECT_EQ(tree.GetSection(5)->Caption, "File: Bericht \xC3\xBC" "ber M\xC3\xA4rz.pdf");
    EXPECT_EQ(tree.GetSection(9)->Text, "Inner text \xE4\xF6\xFC\r\n");
    EXPECT_EQ(tree.GetAttachmentList(),
              "=> File: Bericht \xFC" "ber M\xE4rz.pdf\r\n=> File: application/octet-stream\r\n"
              "=> Inner message (message)\r\n");
    // The message node and its multipart stand side by side at the top.
    EXPECT_EQ(tree.GetSection(1)->Parent, -1);
    for (int i = 2; i < tree.SectionCount(); ++i)
        EXPECT_GE(tree.GetSection(i)->Parent, 1);
    EXPECT_GT(tree.GetMessageDate(), 46000);
}

TEST_F(MimeTree, BodyChoiceFollowsTheMode)
{
    const std::string text = ReadData("trees/nested.eml");
    const TMimeMsgTree plain = Load(text, 0x26);
    ASSERT_GE(plain.BodyNode, 0);
    EXPECT_EQ(plain.GetSectionKind(plain.BodyNode), nkTextPlain);
    EXPECT_FALSE(plain.BodyIsFormatted());
    const TMimeMsgTree formatted = Load(text, 0x2E);
    EXPECT_EQ(formatted.GetSectionKind(formatted.BodyNode), nkTextHtml);
    EXPECT_TRUE(formatted.BodyIsFormatted());
}

TEST_F(MimeTree, PlainMessageWithoutMimeHeaders)
{
    const TMimeMsgTree tree = Load(ReadData("trees/plain.eml"), 0x26);
    ASSERT_EQ(tree.SectionCount(), 2);
    EXPECT_EQ(tree.GetSectionKind(0), nkMessage);
    EXPECT_EQ(tree.GetSectionKind(1), nkTextPlain);
    EXPECT_EQ(tree.BodyNode, 1);
    EXPECT_EQ(tree.GetSectionText(1), "A plain message\r\nwithout MIME headers.\r\n");
    EXPECT_EQ(tree.GetHeaderLines(), "From: a@example.org\r\nSubject: no MIME\r\n");
}

TEST_F(MimeTree, SignedPgpMimeGivesStatusAndSignatureNodes)
{
    const std::string text = ReadData("pgpmime-signed.eml");
    int calls = 0;
    const TMimeMsgTree tree = Load(text, 0x3E, [&](const std::string& Section, std::string&, std::string& Decoded,
                                                    int32_t& Code, std::string& Status) {
        ++calls;
        Decoded = Section;
        Code = 1;
        Status = "Good signature";
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(tree.SecureKind, skPgpMimeSigned);
    const int signedNode = 1;
    ASSERT_EQ(tree.GetSectionKind(signedNode), nkSigned) << TreeJson(tree);
    EXPECT_EQ(tree.GetSectionText(signedNode), "Good signature");
    const int signature = tree.SectionCount() - 1;
    ASSERT_EQ(tree.GetSectionKind(signature), nkSignature);
    EXPECT_EQ(tree.GetSection(signature)->Section.Kind, skPgpMimeSigned);
    EXPECT_EQ(tree.GetSection(signature)->Section.Str().rfind("-----BEGIN PGP SIGNATURE-----", 0), 0u);
    EXPECT_NE(tree.GetSectionText(signature).find("--sig-b"), std::string::npos);
    EXPECT_TRUE(tree.GetSection(signature)->IsInSecurePart());
    EXPECT_EQ(tree.AttachmentCount, 0);
}

TEST_F(MimeTree, EncryptedMessageShowsTheDecryptedParts)
{
    const std::string text = ReadData("pgpmime-encrypted.eml");
    const std::string decrypted = "Content-Type: multipart/mixed; boundary=d\r\n\r\n--d\r\nContent-Type: text/plain\r\n\r\n"
                                  "secret body\r\n--d\r\nContent-Type: application/zip; name=a.zip\r\n\r\nPK\r\n--d--\r\n";
    const TMimeMsgTree tree = Load(text, 0x26, [&](const std::string&, std::string&, std::string& Decoded,
                                                    int32_t&, std::string& Status) {
        Decoded = decrypted;
        Status = "Decrypted";
    });
    EXPECT_EQ(tree.SecureKind, skPgpMimeEncrypted);
    EXPECT_EQ(tree.GetSection(0)->StatusText, "Decrypted");
    ASSERT_GE(tree.BodyNode, 0) << TreeJson(tree);
    EXPECT_EQ(tree.GetSectionText(tree.BodyNode), "secret body");
    EXPECT_EQ(tree.FindSectionKind(skPgpMimeEncrypted), -1);
    EXPECT_EQ(tree.AttachmentCount, 1);
    EXPECT_GT(tree.SecureStart, 0);
    EXPECT_EQ(tree.SecureEnd - tree.SecureStart + 1, static_cast<int32_t>(decrypted.size()));
}

TEST_F(MimeTree, ScanOnlyLocatesWithoutTexts)
{
    const std::string text = ReadData("pgpmime-in-mixed.eml");
    const TMimeMsgTree tree = Load(text, lmScanOnly, [](const std::string&, std::string&, std::string&, int32_t&,
                                                        std::string&) { FAIL() << "no decode in a scan"; });
    EXPECT_EQ(tree.SecureKind, skPgpMimeEncrypted);
    EXPECT_EQ(text.substr(tree.SecureStart - 1, 7), "--outer");
    const std::string section = text.substr(tree.SecureStart - 1, tree.SecureEnd - tree.SecureStart + 1);
    EXPECT_EQ(section.substr(section.size() - 11), "--inner--\r\n");
    for (int i = 0; i < tree.SectionCount(); ++i)
        EXPECT_EQ(tree.GetSectionText(i), "") << i;
}

TEST_F(MimeTree, DigestAtTheTopSetsIsDigest)
{
    const std::string text = "Content-Type: multipart/digest; boundary=g\r\n\r\n"
                             "--g\r\n\r\nSubject: one\r\n\r\nfirst\r\n"
                             "--g\r\n\r\nSubject: two\r\n\r\nsecond\r\n--g--\r\n";
    const TMimeMsgTree tree = Load(text, 0x26);
    EXPECT_TRUE(tree.IsDigest);
    EXPECT_EQ(tree.AttachmentCount, 0);
    EXPECT_EQ(tree.FindSectionKind(skNone), 0);
    int messages = 0;
    for (int i = 0; i < tree.SectionCount(); ++i)
        messages += tree.GetSectionKind(i) == nkMessage;
    EXPECT_EQ(messages, 3) << TreeJson(tree);
}

TEST_F(MimeTree, RawModeJoinKeepsEveryDelimiter)
{
    const std::string text = ReadData("trees/related.eml");
    const TMimeMsgTree tree = Load(text, 0x30, [](const std::string&, std::string&, std::string&, int32_t&,
                                                  std::string&) {});
    EXPECT_TRUE(tree.RawMode);
    const std::string joined = tree.JoinSectionTexts();
    for (std::size_t p = text.find("\n--"); p != std::string::npos; p = text.find("\n--", p + 1)) {
        const std::string delimiter = text.substr(p + 1, text.find('\r', p) - p - 1);
        EXPECT_NE(joined.find(delimiter), std::string::npos) << delimiter;
    }
}

TEST_F(MimeTree, BodiesInPlaceReadAsTheCopiedTextsAndCopyNone)
{
    // Parts of every kind: 7-bit and 8-bit text, text to convert, quoted-printable and Base64
    // bodies, an armoured block and a binary attachment sent as it stands.
    const std::string mixed = "From: a@example.org\r\nMIME-Version: 1.0\r\n"
                              "Content-Type: multipart/mixed; boundary=\"m\"\r\n\r\n"
                              "--m\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nplain words\r\n"
                              "--m\r\nContent-Type: text/plain; charset=iso-8859-2\r\n\r\nZa\xBF\xF3\xB3\xE6\r\n"
                              "--m\r\nContent-Type: text/plain; charset=koi8-r\r\n\r\nascii in koi8\r\n"
                              "--m\r\nContent-Type: text/html\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
                              "<p>a=3Db</p>\r\n"
                              "--m\r\nContent-Type: text/plain\r\n\r\n-----BEGIN PGP PUBLIC KEY BLOCK-----\r\n\r\n"
                              "mQENBF\r\n=abcd\r\n-----END PGP PUBLIC KEY BLOCK-----\r\n"
                              "--m\r\nContent-Type: application/octet-stream; name=\"a.bin\"\r\n"
                              "Content-Transfer-Encoding: base64\r\n\r\nAAECAwQF\r\n"
                              "--m\r\nContent-Type: application/octet-stream; name=\"b.bin\"\r\n"
                              "Content-Transfer-Encoding: binary\r\n\r\n\x01\x02\xFF\x00z\r\n--m--\r\n";
    const auto noDecode = [](const std::string&, std::string&, std::string&, int32_t&, std::string&) {};
    const std::string related = ReadData("trees/related.eml"), nested = ReadData("trees/nested.eml");
    for (const std::string& text : {std::cref(related), std::cref(nested), std::cref(mixed)}) {
        for (const uint32_t mode : {lmNested | lmDecode, uint32_t(lmNested)}) {
            const TMimeMsgTree copied = Load(text, mode, noDecode);
            const TMimeMsgTree inPlace = Load(text, mode | lmBodiesInPlace, noDecode);
            EXPECT_EQ(inPlace.RawMode, copied.RawMode);
            EXPECT_EQ(inPlace.JoinSectionTexts(), copied.JoinSectionTexts()) << mode;
            ASSERT_EQ(inPlace.SectionCount(), copied.SectionCount());
            int held = 0;
            for (int i = 0; i < inPlace.SectionCount(); ++i) {
                const TSectionNode& node = *inPlace.GetSection(i);
                EXPECT_EQ(node.WholeText(), copied.GetSection(i)->Text) << i << " in mode " << mode;
                EXPECT_EQ(node.Section.Kind, copied.GetSection(i)->Section.Kind) << i;
                EXPECT_EQ(node.BodyFirst, copied.GetSection(i)->BodyFirst) << i;
                if (!node.HeldText.empty()) {
                    ++held;
                    EXPECT_TRUE(node.Text.empty());
                    const std::string& loaded = node.Section.Str();
                    EXPECT_TRUE(node.HeldText[0].data() >= loaded.data() &&
                                node.HeldText[0].data() < loaded.data() + loaded.size()) << i;
                }
            }
            if (&text == &mixed)
                EXPECT_EQ(held, mode == lmNested ? 2 : 4) << "bodies copied in mode " << mode;
        }
    }
}

TEST_F(MimeTree, DepthBombAndNodeFloodEndCleanly)
{
    std::string bomb = "Content-Type: multipart/mixed; boundary=b0\r\n\r\n";
    for (int i = 1; i <= 3000; ++i)
        bomb += "--b" + std::to_string(i - 1) + "\r\nContent-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\r\n\r\n";
    TMimeMsgTree deep = Load(bomb, 0x3E);
    EXPECT_TRUE(deep.Truncated);
    EXPECT_LE(deep.SectionCount(), MaxMimeDepth + 2);

    std::string embedded = "Subject: x\r\n\r\n";
    for (int i = 0; i < 200; ++i)
        embedded = "Content-Type: multipart/mixed; boundary=e" + std::to_string(i) + "\r\n\r\n--e" + std::to_string(i) +
                   "\r\nContent-Type: message/rfc822\r\n\r\n" + embedded + "\r\n--e" + std::to_string(i) + "--\r\n";
    EXPECT_TRUE(Load(embedded, 0x3E).Truncated);

    std::string flood = "Content-Type: multipart/mixed; boundary=f\r\n\r\n";
    for (int i = 0; i < MaxTreeNodes + 50; ++i)
        flood += "--f\r\nContent-Type: text/plain\r\n\r\nx\r\n";
    flood += "--f--\r\n";
    const TMimeMsgTree many = Load(flood, 0x3E);
    EXPECT_TRUE(many.Truncated);
    EXPECT_EQ(many.SectionCount(), MaxTreeNodes);
}

TEST_F(MimeTree, EndlessDecodingStopsAtTheDecodeLimit)
{
    // A callback that keeps answering with another protected message inside a part.
    const std::string text = ReadData("pgpmime-encrypted.eml");
    int calls = 0;
    const TMimeMsgTree tree = Load(text, 0x26, [&](const std::string&, std::string&, std::string& Decoded,
                                                    int32_t&, std::string&) {
        ++calls;
        Decoded = "Content-Type: multipart/mixed; boundary=z" + std::to_string(calls) + "\r\n\r\n--z" +
                  std::to_string(calls) + "\r\n" + text + "\r\n--z" + std::to_string(calls) + "--\r\n";
    });
    EXPECT_LE(calls, MaxNestedDecodes + 1);
    EXPECT_TRUE(tree.Truncated);
}

} // namespace

namespace {

TEST_F(MimeTree, DecryptedTextIsSplicedInOneEncoding)
{
    const std::string text = "Content-Type: text/plain; charset=UTF-8\r\n\r\nGr\xC3\xBC\xC3\x9F" "e\r\n"
                             "-----BEGIN PGP MESSAGE-----\r\n\r\nhQ\r\n-----END PGP MESSAGE-----\r\n";
    const TMimeMsgTree tree = Load(text, 0x26, [](const std::string&, std::string& Charset, std::string& Decoded,
                                                  int32_t&, std::string&) {
        Decoded = "K\xC3\xA4se";
        Charset = "UTF-8";
    });
    ASSERT_EQ(tree.SectionCount(), 2);
    EXPECT_EQ(tree.GetSectionText(1), "Gr\xFC\xDF" "e\r\nK\xE4se");
    EXPECT_EQ(tree.GetSection(1)->Section.Kind, skPgpMessage);
}

} // namespace

namespace {

TEST_F(MimeTree, SummaryAndHeaderValues)
{
    const std::string text = "Date: Tue, 08 Dec 2026 20:50:34 +0100\r\nFrom: =?UTF-8?Q?J=C3=B6rg?= <j@x.org>\r\n"
                             "To: a@x.org, \"B\\\\ C\" <b@x.org>\r\nSubject:\r\nReply-To: r@x.org\r\n\r\nbody\r\n";
    TMimeMsgTree tree = Load(text, 0x24);
    tree.TreeData.DateCaption = "Date:";
    tree.TreeData.FromCaption = "From:";
    tree.TreeData.ToCaption = "To:";
    tree.TreeData.SubjectCaption = "Subject:";
    tree.TreeData.ReplyToCaption = "Reply-to:";
    tree.TreeData.UnknownValue = "(unknown)";
    const TSectionNode& message = *tree.GetSection(0);
    EXPECT_EQ(message.GetFrom(), "J\xC3\xB6rg <j@x.org>");
    EXPECT_EQ(message.GetDateText(), "2026-12-08, 19:50");
    EXPECT_EQ(message.GetSummaryText(), "Date:\t2026-12-08, 19:50\r\nFrom:\tJ\xC3\xB6rg <j@x.org>\r\n"
                                        "To:\ta@x.org et al.\r\nSubject:\t(unknown)\r\nReply-to: r@x.org\r\n\r\n");
    EXPECT_EQ(tree.GetSummary().substr(0, 40), "Date:\t2026-12-08, 19:50\r\nFrom:\tJ\xF6rg <j@x");
    EXPECT_EQ(tree.GetSection(1)->GetSummaryText(), "");

    // A comma inside an encoded word separates no addresses; a zone name after the offset is
    // a comment, not part of the offset.
    const std::string encoded = "Date: Tue, 8 Dec 2026 20:50:34 +0100 CET\r\n"
                                "To: =?UTF-8?Q?M=C3=BCller=2C_Hans?= <h@x>\r\n\r\nbody\r\n";
    TMimeMsgTree one = Load(encoded, 0x24);
    one.TreeData.ToCaption = "To:";
    EXPECT_NE(one.GetSection(0)->GetSummaryText().find("To:\tM\xC3\xBCller, Hans <h@x>\r\n"), std::string::npos);
    EXPECT_EQ(one.GetSection(0)->GetDateText(), "2026-12-08, 19:50");
    TMimeMsgTree two = Load("To: =?UTF-8?Q?M=C3=BCller=2C_Hans?= <h@x>, b@y\r\n\r\nbody\r\n", 0x24);
    two.TreeData.ToCaption = "To:";
    EXPECT_NE(two.GetSection(0)->GetSummaryText().find("To:\tM\xC3\xBCller, Hans <h@x> et al.\r\n"), std::string::npos);
}

TEST_F(MimeTree, LongAttachmentCaptionsKeepTheirLineBreaks)
{
    const std::string longName(300, 'n');
    const std::string text = "Content-Type: multipart/mixed; boundary=m\r\n\r\n"
                             "--m\r\nContent-Type: application/zip; name=" + longName + ".zip\r\n\r\nPK\r\n"
                             "--m\r\nContent-Type: application/zip; name=b.zip\r\n\r\nPK\r\n--m--\r\n";
    const TMimeMsgTree tree = Load(text, 0x24);
    const std::string shortened = "File: " + longName.substr(0, 252) + " \x85";
    EXPECT_EQ(tree.GetAttachmentList(), "=> " + shortened + "\r\n=> File: b.zip\r\n");
    const TMimeMsgTree wide = Load(text, 0x26 | lmWide);
    const std::string list = wide.GetAttachmentList();
    EXPECT_EQ(list.size(), (3 + 260 + 2 + 3 + 11 + 2 + 1) * 2u);
    EXPECT_EQ(list.substr((3 + 260) * 2, 6), std::string("\r\0\n\0=\0", 6));
}

TEST_F(MimeTree, BodyTextsFollowTheBodyAndSkipDigests)
{
    const std::string text = "Content-Type: multipart/mixed; boundary=m\r\n\r\n"
                             "--m\r\nContent-Type: text/plain\r\n\r\nfirst\r\n"
                             "--m\r\nContent-Type: application/zip; name=a.zip\r\n\r\nPK\r\n"
                             "--m\r\nContent-Type: text/plain\r\n\r\nsecond\r\n--m--\r\n";
    TMimeMsgTree tree = Load(text, 0x24);
    const TTextList& texts = tree.CollectBodyTexts(true);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Text, "first");
    EXPECT_EQ(texts[1].Text, "second");
    EXPECT_EQ(texts[1].Node, tree.SectionCount() - 1);

    TMimeMsgTree wide = Load(text, 0x26 | lmWide);
    EXPECT_EQ(wide.CollectBodyTexts(false)[0].Text, std::string("f\0i\0r\0s\0t\0\0\0", 12));
    EXPECT_EQ(wide.GetAttachmentList(), std::string("=\0>\0 \0F\0i\0l\0e\0:\0 \0a\0.\0z\0i\0p\0\r\0\n\0\0\0", 34));

    TMimeMsgTree digest = Load("Content-Type: multipart/digest; boundary=g\r\n\r\n--g\r\n\r\nSubject: a\r\n\r\nx\r\n--g--\r\n", 0x26);
    EXPECT_TRUE(digest.CollectBodyTexts(false).empty());
}

// Node kinds in load order, with the depth of each node.
std::string Shape(const TMimeMsgTree& Tree)
{
    std::string shape;
    for (int i = 0; i < Tree.SectionCount(); ++i) {
        const TSectionNode& node = *Tree.GetSection(i);
        int depth = 0;
        for (int p = node.Parent; p >= 0; p = Tree.GetSection(p)->Parent)
            ++depth;
        shape += (shape.empty() ? "" : " ") + std::to_string(depth) + ":" + std::to_string(node.NodeKind);
    }
    return shape;
}

TEST_F(MimeTree, MessyShapesKeepEveryHeaderAndPart)
{
    const struct {
        const char* File;
        const char* Shape;
    } cases[] = {
        // A file that ends inside its header, and one without the blank line after it.
        {"header-only", "0:8 0:11"},
        {"no-blank-line", "0:8 0:11"},
        // An empty part between two delimiter lines: the walk goes on to the attachment.
        {"empty-part", "0:8 0:2 1:11 1:11 1:15"},
        // A digest part that names text/plain is text; the others are messages.
        {"digest-typed", "0:8 0:7 1:8 1:11 1:11 1:8 1:11"},
        // One boundary name reused by nested multiparts: the nearest open multipart owns a
        // delimiter line; an unclosed inner multipart ends at its parent's next delimiter.
        {"reused-boundary", "0:8 0:2 1:4 2:11 2:12 1:15"},
        {"triple-boundary", "0:8 0:2 1:3 2:4 3:11 3:12 2:15 1:15"},
        {"unclosed-inner", "0:8 0:2 1:4 2:11 2:12 1:15"},
        // A multipart without a usable boundary, or whose boundary opens no part, is one text
        // leaf with its content.
        {"empty-boundary", "0:8 0:11"},
        {"boundary-never-opens", "0:8 0:11"},
    };
    for (const auto& c : cases) {
        TMimeMsgTree tree = Load(ReadData(std::string("shapes/") + c.File + ".eml"), lmPreferFormatted | lmNested);
        EXPECT_EQ(Shape(tree), c.Shape) << c.File << "\n" << TreeJson(tree);
        // Every message keeps its header: summary values and the date.
        EXPECT_EQ(tree.GetSection(0)->GetFrom(), "Alice <alice@example.org>") << c.File;
        EXPECT_NE(tree.GetSection(0)->GetSubject(), "") << c.File;
        EXPECT_GT(tree.GetMessageDate(), 46000) << c.File;
    }

    TMimeMsgTree headerOnly = Load(ReadData("shapes/header-only.eml"), 0x26);
    EXPECT_EQ(headerOnly.GetSection(1)->Section.Charset, "ISO-8859-1");
    EXPECT_EQ(headerOnly.GetSectionText(1), "");
    TMimeMsgTree noBlank = Load(ReadData("shapes/no-blank-line.eml"), 0x26);
    EXPECT_EQ(noBlank.GetSection(0)->GetSubject(), "no blank line");
    EXPECT_EQ(noBlank.GetSectionText(noBlank.BodyNode).rfind("Dear Bob,\r\nthe body", 0), 0u);
    TMimeMsgTree empty = Load(ReadData("shapes/empty-part.eml"), 0x26);
    EXPECT_EQ(empty.AttachmentCount, 1);
    EXPECT_EQ(empty.GetSectionText(3), "after the empty part");
    TMimeMsgTree digest = Load(ReadData("shapes/digest-typed.eml"), 0x26);
    EXPECT_EQ(digest.GetSection(4)->Section.Charset, "US-ASCII");
    EXPECT_EQ(digest.GetSectionText(4), "A typed text part, not a message.");
    TMimeMsgTree boundless = Load(ReadData("shapes/empty-boundary.eml"), 0x26);
    EXPECT_EQ(boundless.GetSectionText(boundless.BodyNode), "A body that no boundary splits.\r\nIts second line.\r\n");

    // Every leaf's bytes survive the reused names.
    TMimeMsgTree reused = Load(ReadData("shapes/reused-boundary.eml"), lmPreferFormatted | lmNested);
    std::string pdf;
    for (int i = 0; i < 20; ++i)
        pdf += std::string("%PDF-1.4 fake\0\1", 15);
    EXPECT_EQ(reused.GetSectionText(3), "plain text");
    EXPECT_EQ(reused.GetSectionText(4), "<p>html text</p>");
    EXPECT_EQ(reused.GetSectionText(5), pdf);
    TMimeMsgTree triple = Load(ReadData("shapes/triple-boundary.eml"), lmPreferFormatted | lmNested);
    EXPECT_EQ(triple.GetSectionText(4), "innermost plain");
    EXPECT_EQ(triple.GetSectionText(5), "<p>innermost html</p>");
    EXPECT_EQ(triple.GetSectionText(6), std::string("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(triple.GetSectionText(7), std::string("PK\3\4\n\0\0\0\0\0", 10));
    EXPECT_EQ(triple.AttachmentCount, 1); // the picture belongs to its related HTML
}

TEST_F(MimeTree, DecodedFirstPartOfMixedTakesThePartsPlace)
{
    const std::string text = ReadData("pgpmime-in-mixed.eml");
    const std::string decrypted = "Content-Type: text/plain; charset=UTF-8\r\n\r\nsecret body";
    const TMimeMsgTree tree = Load(text, 0x26, [&](const std::string&, std::string&, std::string& Decoded,
                                                    int32_t&, std::string&) { Decoded = decrypted; });
    EXPECT_EQ(Shape(tree), "0:8 0:2 1:11 1:11") << TreeJson(tree);
    ASSERT_GE(tree.BodyNode, 0);
    EXPECT_EQ(tree.GetSectionText(tree.BodyNode), "secret body");
    EXPECT_EQ(tree.GetSectionText(3).rfind("Footer text", 0), 0u);
    const std::string& spliced = tree.GetSection(1)->Section.Str();
    EXPECT_EQ(spliced.substr(tree.SecureStart - 1, tree.SecureEnd - tree.SecureStart + 1), decrypted);
}

TEST_F(MimeTree, SelectionTextTypesAndViewableExtensions)
{
    TMimeMsgTree tree = Load(ReadData("trees/nested.eml"), lmPreferFormatted | lmNested);
    tree.TreeData.ViewableExt2 = ".c/.h";
    tree.TreeData.ViewableExt3 = ".js/.rc";
    tree.TreeData.ViewableExt4 = ".txt/.pdf/.htm";
    EXPECT_EQ(tree.GetSelectedSection(), -1);
    tree.SetSelectedSection(3);
    EXPECT_EQ(tree.GetSelectedSection(), 3);
    tree.SetSelectedSection(999);
    EXPECT_EQ(tree.GetSelectedSection(), -1);
    // An extension's length counts its point, so each list holds extensions of one length.
    EXPECT_TRUE(tree.IsViewableExt2(".C"));
    EXPECT_TRUE(tree.IsViewableExt3(".js"));
    EXPECT_TRUE(tree.IsViewableExt4(".PDF"));
    EXPECT_FALSE(tree.IsViewableExt3(".pdf"));
    EXPECT_FALSE(tree.IsViewableExt4(".html"));
    EXPECT_FALSE(tree.IsViewableExt2(".j"));
    EXPECT_FALSE(tree.IsTextTypeNode(6));
    EXPECT_EQ(tree.GetSection(2)->GetFirstSection(), 3);
    EXPECT_EQ(tree.GetSection(3)->GetParentSection(), 2);
}

TEST_F(MimeTree, DecryptedTextsAreBurntBeforeTheyAreLetGo)
{
    // Only the decoder gives this text: a freed block that still holds it was let go unburnt.
#define SECRET "decrypted-secret-that-no-freed-block-may-hold"
    const std::string armoured = "Content-Type: text/plain\r\n\r\nBefore\r\n-----BEGIN PGP MESSAGE-----\r\n\r\n"
                                 "hQ\r\n-----END PGP MESSAGE-----\r\nAfter\r\n";
    const char* const plain = "Content-Type: text/plain\r\n\r\n" SECRET "\r\nand more of it\r\n";
    const struct {
        const char* Name;
        std::string Text;
        const char* Decrypted;
        const char* Charset; // of the decrypted text
    } cases[] = {
        {"PGP/MIME", ReadData("pgpmime-encrypted.eml"), plain, ""},
        {"PGP/MIME, a Latin-1 part", ReadData("pgpmime-encrypted.eml"),
         "Content-Type: text/plain; charset=ISO-8859-1\r\n\r\n" SECRET "\r\n", ""},
        {"PGP/MIME inside a mixed part", ReadData("pgpmime-in-mixed.eml"), plain, ""},
        {"armour in a text part", armoured, plain, ""},
        {"armour in a text part, UTF-8", armoured, SECRET " and more of it\r\n", "UTF-8"},
    };
    for (const auto& c : cases) {
        for (const bool reset : {true, false}) {
            TFreedTextWatch watch(SECRET);
            {
                TMimeMsgTree tree = Load(c.Text, 0x26, [&c](const std::string&, std::string& Charset,
                                                            std::string& Decoded, int32_t&, std::string&) {
                    Decoded = c.Decrypted;
                    Charset = c.Charset;
                });
                bool held = false;
                for (int i = 0; i < tree.SectionCount(); ++i)
                    held = held || tree.GetSection(i)->Text.find(SECRET) != std::string::npos;
                EXPECT_TRUE(held) << c.Name;
                if (reset)
                    tree.Reset();
            }
            EXPECT_EQ(watch.Hits(), 0) << c.Name << (reset ? ", reset" : ", destroyed");
        }
    }
#undef SECRET
}

} // namespace
