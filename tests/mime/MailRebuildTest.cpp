// Tests of the encrypt road's message preparation: Content-* fields moved, names encoded,
// 8-bit text parts made quoted-printable (checked against Python's email package natively) and
// the golden layouts of the PGP part headers.
#include "mime/MailHost.h"
#include "mime/MimeMsgTree.h"
#include "FakeMailServices.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

class Rebuild : public testing::Test {
protected:
    TBoundLatin1Services Services;
};

const std::string eightBitMessage =
    "From: a@x\r\nSubject: s\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\nMime-Version: 1.0\r\n"
    "X-PM-Encryptor: DIRAZA-ZE32, 1\r\n\r\n"
    "--b\r\nContent-Type: text/plain; charset=ISO-8859-1\r\n\r\nK\xE4se und Br\xF6tchen = lecker\r\n"
    "--b\r\nContent-Type: application/pdf; name=\"M\xE4rz.pdf\"\r\nContent-Disposition: attachment; "
    "filename=\"M\xE4rz.pdf\"\r\nContent-Transfer-Encoding: base64\r\n\r\nJVBERg==\r\n"
    "--b\r\nContent-Type: message/rfc822\r\n\r\nSubject: inner\r\nContent-Type: text/plain; charset=ISO-8859-1\r\n"
    "Content-Transfer-Encoding: 8bit\r\n\r\n\xDC" "ber\r\n"
    "--b--\r\n";

TEST_F(Rebuild, MoveContentHeadersOrderAndReplacement)
{
    const std::string header = "Content-Type: text/plain; charset=x\r\nFrom: a\r\nContent-Description: Body (draft)\r\n"
                               "Content-Transfer-Encoding: 8bit\r\nSubject: s";
    EXPECT_EQ(MoveContentHeaders(header, false, "", "UTF-8"),
              "From: a\r\nSubject: s\r\nContent-Type: text/plain; charset=x\r\nContent-Transfer-Encoding: 8bit\r\n"
              "Content-Description: Body (draft)");
    EXPECT_EQ(MoveContentHeaders(header, false, "X-PM-Encryptor: DIRAZA-ZE32, 1", "UTF-8"),
              "X-PM-Encryptor: DIRAZA-ZE32, 1\r\nFrom: a\r\nSubject: s\r\nContent-Type: text/plain; charset=x\r\n"
              "Content-Transfer-Encoding: 8bit\r\nContent-Description: Body (draft)");
    EXPECT_EQ(MoveContentHeaders(header, true, "", "UTF-8"), "From: a\r\nSubject: s");
    EXPECT_EQ(MoveContentHeaders("Content-Type: multipart/mixed; boundary=b\r\nContent-Transfer-Encoding: 7bit\r\nA: 1",
                                 false, "", "UTF-8"),
              "A: 1\r\nContent-Type: multipart/mixed; boundary=b");
}

TEST_F(Rebuild, NonAsciiNamesAreEncodedQuotedAndFolded)
{
    const std::string header = EncodeAttachmentNames(
        "Content-Type: application/pdf; name=\"M\xE4rz.pdf\"\r\nContent-Disposition: attachment; filename=M\xE4rz.pdf",
        "ISO-8859-1");
    EXPECT_EQ(header, "Content-Type: application/pdf;\r\n name=\"=?ISO-8859-1?Q?M=E4rz=2Epdf?=\"\r\n"
                      "Content-Disposition: attachment;\r\n filename=\"=?ISO-8859-1?Q?M=E4rz=2Epdf?=\"");
    THeaderData section = WholeTextSection(MakeSharedText(header + "\r\n\r\n"));
    FindHeaderEnd(section, hmAll);
    EXPECT_EQ(GetHeaderParameter("Content-Disposition:", "filename", &section, false), "M\xC3\xA4rz.pdf");
}

TEST_F(Rebuild, QuotedPrintablePartGetsItsTransferEncodingField)
{
    const std::string part = "Content-Type: text/plain; charset=ISO-8859-1\r\n\r\nK\xE4se\r\n";
    EXPECT_EQ(MakeTextPartQuotedPrintable(part),
              "Content-Type: text/plain; charset=ISO-8859-1\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
              "K=E4se\r\n");
    const std::string replaced = MakeTextPartQuotedPrintable(
        "Content-Type: text/plain\r\nContent-Transfer-Encoding: 8bit\r\n\r\nx\xFF\r\n");
    EXPECT_EQ(replaced, "Content-Type: text/plain\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\nx=FF\r\n");
    const std::string base64 = "Content-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n\r\nAAA=\r\n";
    EXPECT_EQ(MakeTextPartQuotedPrintable(base64), base64);
}

TEST_F(Rebuild, PreparedMessageKeepsStructureNamesAndPayloads)
{
    const std::string prepared = PrepareMessageParts(eightBitMessage, "ISO-8859-1", true);
    EXPECT_EQ(prepared.find("X-PM-Encryptor"), std::string::npos);
    EXPECT_FALSE(TextHasNonAscii(prepared)) << prepared;
    TMimeMsgTree before, after;
    before.Reset();
    after.Reset();
    before.LoadMessage(eightBitMessage, 1, lmPreferFormatted | lmNested, 0);
    after.LoadMessage(prepared, 1, lmPreferFormatted | lmNested, 0);
    ASSERT_EQ(before.SectionCount(), after.SectionCount());
    for (int i = 0; i < before.SectionCount(); ++i) {
        EXPECT_EQ(before.GetSectionKind(i), after.GetSectionKind(i)) << i;
        EXPECT_EQ(before.GetSection(i)->FileName, after.GetSection(i)->FileName) << i;
        if (before.GetSectionKind(i) != nkMessage) {
            EXPECT_EQ(before.GetSectionText(i), after.GetSectionText(i)) << i;
        }
    }
    EXPECT_EQ(PrepareMessageParts(prepared, "ISO-8859-1", true), prepared);
    // Bodies that need no change keep every byte, and so does everything outside the parts.
    EXPECT_NE(prepared.find("base64\r\n\r\nJVBERg==\r\n--b\r\n"), std::string::npos);
    const std::string plain = "Subject: s\r\nContent-Type: multipart/mixed; boundary=q\r\n\r\npreamble\r\n"
                              "--q\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                              "iVBORw0KGgo=\r\n--q--\r\nepilogue\r\n";
    EXPECT_EQ(PrepareMessageParts(plain, "UTF-8", true), plain);
}

#ifndef _WIN32
// Python's email package reads the prepared message with the same parts, names and payloads.
TEST_F(Rebuild, PythonReadsThePreparedMessageAsTheOriginal)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zavek-rebuild-test";
    std::filesystem::create_directories(folder);
    const std::string prepared = (folder / "prepared.eml").string();
    std::ofstream(prepared, std::ios::binary) << PrepareMessageParts(eightBitMessage, "ISO-8859-1", true);
    const std::string script = (folder / "leaves.py").string();
    // Names: raw 8-bit ones read as Latin-1, encoded words decoded, so both spell the same.
    std::ofstream(script) << "import email, email.policy, sys\n"
                             "from email.header import decode_header, make_header\n"
                             "for name in sys.argv[1:]:\n"
                             "    m = email.message_from_bytes(open(name, 'rb').read(), policy=email.policy.compat32)\n"
                             "    for p in m.walk():\n"
                             "        if p.is_multipart():\n"
                             "            continue\n"
                             "        n = p.get_filename() or ''\n"
                             "        if '=?' in n:\n"
                             "            n = str(make_header(decode_header(n)))\n"
                             "        else:\n"
                             "            n = n.encode('utf-8', 'surrogateescape').decode('latin-1')\n"
                             "        print(p.get_content_type(), ascii(n), p.get_payload(decode=True))\n"
                             "    print('--')\n";
    const std::string output = (folder / "b.txt").string();
    if (std::system(("python3 " + script + " " + prepared + " > " + output).c_str()) != 0)
        GTEST_SKIP() << "python3 is not available";
    std::ifstream in(output);
    const std::string seen((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    // What the original says, without the 8-bit name that Python itself cannot read there.
    EXPECT_EQ(seen, "text/plain '' b'K\\xe4se und Br\\xf6tchen = lecker'\n"
                    "application/pdf 'M\\xe4rz.pdf' b'%PDF'\n"
                    "text/plain '' b'\\xdcber'\n--\n");
    std::filesystem::remove_all(folder);
}
#endif

TEST_F(Rebuild, EncryptorHeaderTakesTheContentTypesPlace)
{
    int32_t headerLength = 0;
    const std::string text = AddEncryptorHeader(
        "Content-Type: text/plain; charset=ISO-8859-1\r\nSubject: s\r\n\r\nK\xE4se\r\n", "ISO-8859-1", 1, headerLength);
    EXPECT_EQ(text, "X-PM-Encryptor: DIRAZA-ZE32, 1\r\nSubject: s\r\nContent-Type: text/plain; charset=ISO-8859-1\r\n"
                    "Content-Transfer-Encoding: quoted-printable\r\n\r\nK=E4se\r\n");
    EXPECT_EQ(text.substr(headerLength, 4), "\r\n\r\n");
}

TEST_F(Rebuild, PgpPartHeaderLayouts)
{
    TPartName name{"Bericht.pdf", "UTF-8", "", "PDF file"};
    EXPECT_EQ(BuildPgpEncryptedPart(name, true, "7BIT", 0x9),
              "Content-Type: application/pgp-encrypted; name=\r\n \"Bericht.pdf.pgp\"\r\n"
              "Content-Transfer-Encoding: 7BIT\r\nContent-Description: PDF file\r\n"
              "Content-Disposition: attachment; filename=\r\n \"Bericht.pdf.pgp\";\r\n"
              " x-encryption=DIRAZA-ZE32; x-encryption-flags=9");
    name.ContentRef = "part1@x";
    name.Caption = "M\xC3\xA4rz";
    EXPECT_EQ(BuildPgpEncryptedPart(name, false, "base64", 0),
              "Content-Type: application/octet-stream; name=\r\n \"=?UTF-8?Q?M=C3=A4rz?=\"\r\n"
              "Content-Transfer-Encoding: base64\r\nContent-ID: <part1@x>\r\n"
              "Content-Disposition: attachment; filename=\r\n \"=?UTF-8?Q?M=C3=A4rz?=\"");
    EXPECT_EQ(BuildPgpSignaturePart("sb", name, 15),
              "--sb\r\nContent-Type: application/pgp-signature; name=\r\n \"=?UTF-8?Q?M=C3=A4rz=2Esig?=\"\r\n"
              "Content-Transfer-Encoding: 7BIT\r\nContent-Description: PDF file\r\n"
              "Content-Disposition: attachment; filename=\r\n \"=?UTF-8?Q?M=C3=A4rz=2Esig?=\"");
    std::string folded = "attachment; filename=\r\n \"x.pgp\";\r\n x-encryption=DIRAZA-ZE32; x-encryption-flags=9";
    FoldHeaderParameters("filename", folded, true);
    EXPECT_EQ(folded.find("x-encryption"), std::string::npos);
}

} // namespace
