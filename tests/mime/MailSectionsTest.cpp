// Tests of the section half of MailUtils: header lookup and unfolding, the multipart walk, the
// protected-section finder over real gpg/openssl messages, and range safety on cut messages.
#include "mime/MailUtils.h"
#include "FakeMailServices.h"
#include <gtest/gtest.h>
#include <fstream>
#include <iterator>

namespace {

std::string WithCrLf(const std::string& Text)
{
    std::string out;
    for (char c : Text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string WithLf(const std::string& Text)
{
    std::string out;
    for (char c : Text)
        if (c != '\r')
            out += c;
    return out;
}

std::string ReadFixture(const std::string& Name)
{
    std::ifstream in(std::string(ZAVEK_TEST_DATA) + "/mime/" + Name, std::ios::binary);
    EXPECT_TRUE(in.good()) << Name;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

THeaderData HeaderRead(const std::string& Text, uint32_t Mask = hmAll)
{
    THeaderData section = WholeTextSection(MakeSharedText(Text));
    FindHeaderEnd(section, Mask);
    return section;
}

// No descriptor may point outside its text.
void ExpectInside(const THeaderData& Section, std::size_t TextLength)
{
    EXPECT_GE(Section.Start, 0);
    EXPECT_GE(Section.Length, 0);
    EXPECT_LE(static_cast<std::size_t>(Section.Start) + Section.Length, TextLength + 1);
}

const std::string folded =
    "From: a@example.org\n"
    "Content-Type: multipart/signed;\n"
    "\tprotocol=\"application/pgp-signature\";\n"
    " boundary=\"b1\"\n"
    "Content-Type-Extra: no\n"
    "Subject : spaced\n"
    "X-PM-Flags: 1 2\n"
    "Content-Description: Mail (draft)\n"
    "Empty:\n"
    "Next: line\n"
    "Late:\n"
    " on the next line\n"
    "Last: value\n"
    "\n"
    "  indented first body line\n";

struct THeaderCase {
    const char* Name;
    bool Strip;
    const char* Expected; // nullptr = absent
};

class HeaderLookup : public testing::TestWithParam<bool> {};

TEST_P(HeaderLookup, FindsUnfoldsAndRejectsAsTheFieldRulesSay)
{
    const std::string text = GetParam() ? WithCrLf(folded) : folded;
    const THeaderData section = HeaderRead(text);
    const THeaderCase cases[] = {
        {"Content-Type:", true,
         "multipart/signed; protocol=\"application/pgp-signature\"; boundary=\"b1\""},
        {"Subject:", false, "spaced"},
        {"Content-Type-Extra:", false, "no"},
        {"Content:", false, nullptr},
        {"X-PM*", false, "1 2"},
        {"Content-Description:", true, "Mail "},
        {"Empty:", false, nullptr},
        {"Late:", false, "on the next line"},
        // The last field must not swallow an indented first body line.
        {"Last:", false, "value"},
        {"Missing:", false, nullptr},
    };
    for (const auto& c : cases) {
        const THeaderData value = GetHeaderValue(c.Name, section, c.Strip);
        if (!c.Expected) {
            EXPECT_EQ(value.Start, 0) << c.Name;
            EXPECT_EQ(value.Str(), "") << c.Name;
        } else {
            EXPECT_GT(value.Start, 0) << c.Name;
            EXPECT_EQ(value.Str(), c.Expected) << c.Name;
            EXPECT_EQ(value.Limit, static_cast<int32_t>(value.Str().size()));
            ExpectInside(value, text.size());
        }
    }
    // Content-Description is free text: its parentheses stay.
    EXPECT_EQ(section.Description, "Mail (draft)");
    std::string boundary;
    EXPECT_EQ(ClassifySecurePart(section, true, boundary), skPgpMimeSigned);
    EXPECT_EQ(boundary, "b1");
}

INSTANTIATE_TEST_SUITE_P(LineEnds, HeaderLookup, testing::Values(false, true));

TEST(HeaderLookup, FieldLengthCoversEveryFoldedLine)
{
    const std::string text = "A: 1\r\nContent-Type: text/plain;\r\n charset=x\r\nB: 2\r\n\r\nbody";
    const THeaderData value = GetHeaderValue("Content-Type:", HeaderRead(text), true);
    EXPECT_EQ(value.Start, 7);
    EXPECT_EQ(text.substr(value.Start - 1, value.Length), "Content-Type: text/plain;\r\n charset=x");
}

TEST(HeaderLookup, PartWithoutHeaderBlockHasNoFields)
{
    THeaderData part = WholeTextSection(MakeSharedText("Content-Type: text/html\n\nx\n--b\nbody"));
    part.Start = 28;
    part.Length = 0;
    EXPECT_EQ(GetHeaderValue("Content-Type:", part, true).Start, 0);
}

TEST(StripHeaderComments, KeepsQuotedTextAndStopsAtAnUnterminatedPart)
{
    const std::pair<const char*, const char*> cases[] = {
        {"text/plain (comment); a=\"(kept)\"", "text/plain ; a=\"(kept)\""},
        {"a (one) b (two)", "a  b "},
        {"a \"open (x)", "a \"open (x)"},
        {"a (open", "a (open"},
        {"\"q\\\"(x)\" (y)", "\"q\\\"(x)\" "},
    };
    for (const auto& [in, out] : cases) {
        std::string value = in;
        StripHeaderComments(value);
        EXPECT_EQ(value, out) << in;
    }
}

TEST(FindHeaderEnd, HeaderFieldsEndAtTheBlankLineOrTheFirstLineThatIsNoField)
{
    EXPECT_EQ(HeaderRead("A: 1\r\nB: 2\r\n\r\nbody").Length, 10);
    EXPECT_EQ(HeaderRead("A: 1\nB: 2\n\nbody").Length, 9);
    EXPECT_EQ(HeaderRead("no header at all").Length, 0);
    EXPECT_EQ(HeaderRead("\r\nA: 1\r\n").Start, 0);
    // A file that ends inside its header keeps it as a header, with its Content-Type.
    for (const std::string text : {"A: 1\nContent-Type: text/plain; charset=UTF-8\n",
                                   "A: 1\nContent-Type: text/plain; charset=UTF-8"}) {
        const THeaderData header = HeaderRead(text);
        EXPECT_EQ(header.Start, 1);
        EXPECT_EQ(header.Length, 44) << text;
        EXPECT_EQ(header.ContentType, "text/plain; charset=UTF-8");
        EXPECT_EQ(SectionBodyStart(header), static_cast<int32_t>(text.size()) + 1);
    }
    // No blank line: the fields stay a header (folded lines included) and the body begins with
    // the first line that is no field.
    const std::string noBlank = "From: a@x\r\nSubject: one\r\n two\r\nDear Bob,\r\n\r\nText: more\r\n";
    const THeaderData header = HeaderRead(noBlank);
    EXPECT_EQ(header.Length, 29);
    EXPECT_EQ(GetHeaderValue("Subject:", header, false).Str(), "one two");
    EXPECT_EQ(noBlank.substr(SectionBodyStart(header) - 1, 9), "Dear Bob,");
}

TEST(GetBoundary, QuotedSpacedAndUnquotedForms)
{
    const std::pair<const char*, const char*> cases[] = {
        {"multipart/mixed; boundary = \"a b\"", "a b"},
        {"Multipart/Alternative; boundary=plain ; x=y", "plain"},
        {"multipart/mixed; x-boundary-hint=no; boundary=real", "real"},
        {"multipart/mixed; name=\"boundary=fake\"; boundary=real", "real"},
        {"multipart/mixed; boundary=\"\"", ""},
        {"multipart/signed; boundary*=\"us-ascii''EeQf\"", "EeQf"},
        {"text/plain; boundary=x", ""},
        {"multipart/mixed", ""},
    };
    for (const auto& [value, expected] : cases) {
        THeaderData section;
        section.ContentType = value;
        EXPECT_EQ(GetBoundary(section), expected) << value;
    }
}

// ---- Multipart walk ------------------------------------------------------------------------------

const std::string multipart =
    "Content-Type: multipart/mixed; boundary=\"abc\"\n"
    "\n"
    "preamble --abc not a delimiter\n"
    "--abc_1\n"
    "Content-Type: text/x-wrong\n"
    "\n"
    "a longer boundary is not ours\n"
    "--abc \n"
    "Content-Type: text/plain; charset=\"utf-8\"\n"
    "Content-Transfer-Encoding: 8bit\n"
    "\n"
    "first\n"
    "--abc\n"
    "\n"
    "second without header fields\n"
    "--abc\n"
    "Content-Type: text/html\n"
    "\n"
    "<p>third</p>\n"
    "--abc--\n"
    "epilogue\n";

std::vector<THeaderData> WalkParts(const std::string& Text)
{
    THeaderData message = HeaderRead(Text);
    const std::string boundary = GetBoundary(message);
    std::vector<THeaderData> parts;
    THeaderData part = FindNextPart(message, boundary, hmAll);
    while (part.Start > 0 && parts.size() < 10) {
        parts.push_back(part);
        part = FindNextPart(part, boundary, hmAll);
    }
    return parts;
}

class MultipartWalk : public testing::TestWithParam<bool> {};

TEST_P(MultipartWalk, FindsEveryPartAndOnlyItsOwnBoundary)
{
    const std::string text = GetParam() ? WithCrLf(multipart) : multipart;
    const std::vector<THeaderData> parts = WalkParts(text);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0].ContentType, "text/plain; charset=\"utf-8\"");
    EXPECT_EQ(parts[0].TransferEncoding, "8bit");
    EXPECT_EQ(parts[1].ContentType, "");
    EXPECT_EQ(parts[2].ContentType, "text/html");
    for (const THeaderData& part : parts) {
        EXPECT_EQ(text.compare(part.Start - 1, 5, "--abc"), 0);
        ExpectInside(part, text.size());
    }
}

INSTANTIATE_TEST_SUITE_P(LineEnds, MultipartWalk, testing::Values(false, true));

TEST(MultipartWalk, PartsWithoutBlankLineAndEmptyPartsAreParts)
{
    const std::string text = "Content-Type: multipart/mixed; boundary=b\n\n"
                             "--b\nContent-Type: text/plain\nno blank line here\n"
                             "--b\n"
                             "--b\nContent-Type: text/html\n\nlater part\n--b--\n";
    std::vector<std::string> types;
    std::vector<std::string> bodies;
    for (THeaderData part = FindNextPart(HeaderRead(text), "b", hmAll); part.Start > 0;
         part = FindNextPart(part, "b", hmAll)) {
        ExpectInside(part, text.size());
        types.push_back(part.ContentType);
        const int32_t body = SectionBodyStart(part);
        bodies.push_back(text.substr(body - 1, text.find("\n", body - 1) - body + 1));
    }
    EXPECT_EQ(types, (std::vector<std::string>{"text/plain", "", "text/html"}));
    // The empty part's body ends where it begins, at the next delimiter line.
    EXPECT_EQ(bodies, (std::vector<std::string>{"no blank line here", "--b", "later part"}));
}

TEST(MultipartWalk, ClosingDelimiterGivesNoPart)
{
    const std::string text = "Content-Type: multipart/mixed; boundary=b\n\n--b--\n";
    EXPECT_EQ(FindNextPart(HeaderRead(text), "b", hmAll).Start, 0);
}

TEST(FindFirstPart, DescendsByModeThroughContentTypesOnly)
{
    const std::string text =
        "Content-Type: multipart/mixed; boundary=o\n\n"
        "--o\nContent-Type: multipart/alternative; boundary=i\n\n"
        "--i\nContent-Type: text/plain\nContent-Description: not multipart/mixed\n\nleaf\n--i--\n"
        "--o--\n";
    const THeaderData message = HeaderRead(text);
    EXPECT_EQ(FindFirstPart(message, hmAll, 0).ContentType, "multipart/alternative; boundary=i");
    EXPECT_EQ(FindFirstPart(message, hmAll, 1).ContentType, "multipart/alternative; boundary=i");
    EXPECT_EQ(FindFirstPart(message, hmAll, 2).ContentType, "multipart/alternative; boundary=i");
    EXPECT_EQ(FindFirstPart(message, hmAll, 3).ContentType, "text/plain");
}

TEST(FindFirstPart, NestingBombEndsAtTheDepthLimit)
{
    std::string text = "Content-Type: multipart/mixed; boundary=b0\n\n";
    const int depth = 5000;
    for (int i = 1; i <= depth; ++i)
        text += "--b" + std::to_string(i - 1) + "\nContent-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\n\n";
    text += "--b" + std::to_string(depth) + "\nContent-Type: text/plain\n\nx\n";
    const THeaderData leaf = FindFirstPart(HeaderRead(text), hmAll, 3);
    EXPECT_EQ(leaf.Start, 0);
    THeaderData found;
    EXPECT_EQ(FindSecureSection(MakeSharedText(text), found), skNone);
}

// ---- Protected sections over real messages -------------------------------------------------------

struct TFixtureCase {
    const char* File;
    uint32_t Kind;
    const char* BlockBegins; // what the found block starts with
    const char* BlockEnds;   // what it ends with (before any line break)
};

class SecureFixtures : public testing::TestWithParam<bool> {};

TEST_P(SecureFixtures, KindsAndRangesOfMessagesMadeByGpgAndOpenssl)
{
    const TFixtureCase cases[] = {
        {"inline-message.eml", skPgpMessage, "-----BEGIN PGP MESSAGE-----", "-----END PGP MESSAGE-----"},
        {"clearsigned.eml", skPgpSignedMessage, "-----BEGIN PGP SIGNED MESSAGE-----", "-----END PGP SIGNATURE-----"},
        {"keyblock.txt", skPgpPublicKeyBlock, "-----BEGIN PGP PUBLIC KEY BLOCK-----", "-----END PGP PUBLIC KEY BLOCK-----"},
        {"certificate.txt", skCertificate, "-----BEGIN CERTIFICATE-----", "-----END CERTIFICATE-----"},
        {"detached-first.txt", skNone, "", ""},
        {"pgpmime-encrypted.eml", skPgpMimeEncrypted, "From: Alice", "--enc-b--"},
        {"pgpmime-signed.eml", skPgpMimeSigned, "From: Alice", "--sig-b--"},
        {"pgpmime-in-mixed.eml", skPgpMimeEncrypted, "--outer", "--inner--"},
        {"smime-enveloped.eml", skSmimeEnveloped, "From: Alice", ""},
        {"smime-enveloped-no-type.eml", skSmimeEnveloped, "From: Alice", ""},
        {"cms-enveloped.eml", skSmimeEnveloped, "From: Alice", ""},
        {"gpgsm-enveloped.eml", skSmimeEnveloped, "From: Alice", ""},
        {"smime-multipart-signed.eml", skSmimeMultipartSigned, "From: Alice", "--"},
        {"smime-opaque-signed.eml", skSmimeSignedData, "From: Alice", ""},
    };
    for (const auto& c : cases) {
        std::string text = ReadFixture(c.File);
        if (!GetParam())
            text = WithLf(text);
        THeaderData found;
        const uint32_t kind = FindSecureSection(MakeSharedText(text), found);
        EXPECT_EQ(kind, c.Kind) << c.File;
        ExpectInside(found, text.size());
        if (c.Kind == skNone)
            continue;
        ASSERT_GT(found.Start, 0) << c.File;
        std::string block = text.substr(found.Start - 1, found.Length);
        EXPECT_EQ(block.rfind(c.BlockBegins, 0), 0u) << c.File;
        while (!block.empty() && (block.back() == '\n' || block.back() == '\r'))
            block.pop_back();
        const std::string ends = c.BlockEnds;
        EXPECT_EQ(block.substr(block.size() - std::min(block.size(), ends.size())), ends) << c.File;
    }
}

INSTANTIATE_TEST_SUITE_P(LineEnds, SecureFixtures, testing::Values(false, true));

TEST(SecureFixtures, BareLfAndCrLfGiveTheSameSections)
{
    for (const char* file : {"inline-message.eml", "pgpmime-encrypted.eml", "pgpmime-in-mixed.eml",
                             "smime-multipart-signed.eml", "clearsigned.eml", "certificate.txt"}) {
        const std::string crlf = ReadFixture(file);
        const std::string lf = WithLf(crlf);
        TMessageData crlfData, lfData;
        std::string crlfBlock, lfBlock;
        SplitSecureMessage(crlf, crlfData, crlfBlock);
        SplitSecureMessage(lf, lfData, lfBlock);
        EXPECT_EQ(crlfData.Kind, lfData.Kind) << file;
        EXPECT_EQ(WithLf(crlfBlock), lfBlock) << file;
        EXPECT_EQ(WithLf(crlfData.TextAfter), lfData.TextAfter) << file;
        EXPECT_EQ(crlfData.HasOtherText, lfData.HasOtherText) << file;
    }
}

TEST(ClassifySecurePart, OnlyMediaTypeAndProtocolDecide)
{
    const std::pair<const char*, uint32_t> cases[] = {
        {"multipart/encrypted; protocol=\"application/pgp-encrypted\"; boundary=b", skPgpMimeEncrypted},
        {"multipart/signed; protocol=\"application/pgp-signature\"; boundary=\"encrypted-b\"", skPgpMimeSigned},
        {"multipart/mixed; protocol=\"application/pgp-keys\"", skPgpMimeKeys},
        {"application/pkcs7-mime; smime-type=enveloped-data; name=\"signed.p7m\"", skSmimeEnveloped},
        {"application/pkcs7-mime; name=smime.p7m", skSmimeEnveloped},
        {"application/pkcs7-mime; smime-type=signed-data", skSmimeSignedData},
        {"application/pkcs7-mime; smime-type=certs-only", skNone},
        {"application/pkcs7-signature; name=smime.p7s", skNone},
        {"multipart/signed; protocol=\"application/pkcs7-signature\"", skSmimeMultipartSigned},
        {"text/plain; name=\"encrypted pkcs7\"", skNone},
        {"multipart/mixed; boundary=\"protocol=application/pgp-encrypted\"", skNone},
    };
    for (const auto& [value, kind] : cases) {
        THeaderData section;
        section.ContentType = value;
        std::string boundary;
        EXPECT_EQ(ClassifySecurePart(section, false, boundary), kind) << value;
    }
}

// ---- Armour --------------------------------------------------------------------------------------

THeaderData Armour(const std::string& Text)
{
    return FindArmoredBlock(WholeTextSection(MakeSharedText(Text)));
}

TEST(FindArmoredBlock, EdgeCasesOfPrefixesAndLineEnds)
{
    const std::string body = "-----BEGIN PGP MESSAGE-----\nabc\n-----END PGP MESSAGE-----\n";
    struct TCase {
        std::string Text;
        uint32_t Kind;
        int32_t Start;
        int32_t Length;
    } cases[] = {
        {body + "next", skPgpMessage, 1, static_cast<int32_t>(body.size())},
        {"hi\n" + body, skPgpMessage, 4, static_cast<int32_t>(body.size())},
        // A bare LF after END belongs to the block and nothing of the next line does.
        {"x\n" + body + "Next line", skPgpMessage, 3, static_cast<int32_t>(body.size())},
        {"> -----BEGIN PGP MESSAGE-----\n> abc\n-----END PGP MESSAGE-----\n> -----END PGP MESSAGE-----\n",
         skPgpMessage, 1, 90},
        {"-----BEGIN PGP MESS=\r\nAGE-----\r\nabc\r\n-----END PGP MESSAGE-----\r\n", skPgpMessage, 1, 64},
        {"-----BEGIN PGP SIGNATURE-----\nx\n-----END PGP SIGNATURE-----\n" + body, skNone, 0, 0},
        {"-----BEGIN PGP MESSAGE-----\nno end", skNone, 0, 0},
        {"-----END CERTIFICATE-----\n-----BEGIN CERTIFICATE-----\nMII\n-----END CERTIFICATE-----\r\n",
         skCertificate, 27, 59},
        {"-----END CERTIFICATE-----\n-----BEGIN CERTIFICATE-----\nMII\n", skNone, 0, 0},
    };
    for (const auto& c : cases) {
        const THeaderData found = Armour(c.Text);
        EXPECT_EQ(found.Kind, c.Kind) << c.Text;
        EXPECT_EQ(found.Start, c.Start) << c.Text;
        EXPECT_EQ(found.Length, c.Length) << c.Text;
        ExpectInside(found, c.Text.size());
    }
}

TEST(SplitSecureMessage, GreetingBeforeAnArmouredMessage)
{
    const std::string block = "-----BEGIN PGP MESSAGE-----\r\nabc\r\n-----END PGP MESSAGE-----\r\n";
    TMessageData data;
    std::string found;
    SplitSecureMessage("Hello Bob,\r\n\r\n" + block, data, found);
    EXPECT_EQ(data.Kind, skPgpMessage);
    EXPECT_EQ(data.TextBefore, "Hello Bob,\r\n\r\n");
    EXPECT_EQ(data.TextAfter, "");
    EXPECT_TRUE(data.HasOtherText);
    EXPECT_EQ(found, block);
}

TEST(SplitSecureMessage, MimeTextBeforeIsTheMessageHeader)
{
    const std::string text = ReadFixture("pgpmime-encrypted.eml");
    TMessageData data;
    std::string block;
    SplitSecureMessage(text + "trailing words\r\n", data, block);
    EXPECT_EQ(data.Kind, skPgpMimeEncrypted);
    EXPECT_EQ(data.TextBefore.rfind("From: Alice", 0), 0u);
    EXPECT_EQ(data.TextBefore.substr(data.TextBefore.size() - 20), "boundary=\"enc-b\"\r\n\r\n");
    EXPECT_EQ(data.TextAfter, "trailing words\r\n");
    EXPECT_TRUE(data.HasOtherText);
}

TEST(SplitSecureMessage, MissingClosingDelimiterKeepsTheKindButNoBlock)
{
    std::string text = ReadFixture("pgpmime-encrypted.eml");
    text.resize(text.find("--enc-b--"));
    TMessageData data;
    std::string block;
    SplitSecureMessage(text, data, block);
    EXPECT_EQ(data.Kind, skPgpMimeEncrypted);
    EXPECT_EQ(block, "");
    EXPECT_EQ(data.TextAfter, "");
}

class TNoConverterServices : public TMailServices {
public:
    std::string HtmlToRtf(const std::string&, int) override { return {}; }
};

TEST(SplitSecureMessage, HtmlKeyBlockIsConvertedOrKeptWhenNoConverterAnswers)
{
    const std::string html =
        "<p>-----BEGIN PGP PUBLIC KEY BLOCK-----</p>\n<p>abc</p>\n<p>-----END PGP PUBLIC KEY BLOCK-----</p>\n";
    TMessageData data;
    std::string block;
    SplitSecureMessage(html, data, block);
    EXPECT_EQ(data.Kind, skPgpPublicKeyBlock);
    EXPECT_EQ(block.substr(0, 8), "<p><br>-");

    TNoConverterServices none;
    BindMailServices(&none);
    SplitSecureMessage(html, data, block);
    BindMailServices(nullptr);
    EXPECT_EQ(data.Kind, skPgpPublicKeyBlock);
    EXPECT_EQ(block, html);
}

TEST(ExtractClearSignedText, DashEscapesAndLineEnds)
{
    for (bool crlf : {false, true}) {
        const std::string text = ReadFixture("clearsigned.eml");
        const std::string input = crlf ? text.substr(text.find("-----BEGIN")) : WithLf(text.substr(text.find("-----BEGIN")));
        const std::string signedText = ExtractClearSignedText(input);
        EXPECT_EQ(WithLf(signedText), "Signed line one\n- dash line\n-- double dash\n") << crlf;
    }
    // Without an armour header line the first signed line is kept.
    EXPECT_EQ(ExtractClearSignedText("-----BEGIN PGP SIGNED MESSAGE-----\n\nfirst\n- - x\n-----BEGIN PGP SIGNATURE-----\n"),
              "first\n- x\n");
    EXPECT_EQ(ExtractClearSignedText("-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\nno signature\n"), "");
    EXPECT_EQ(ExtractClearSignedText("text first\n-----BEGIN PGP SIGNED MESSAGE-----\n"), "");
}

TEST(RejoinArmorLines, WrappedKeyBlockGetsLinesOf64AndStaysStable)
{
    std::string base64;
    for (int i = 0; i < 200; ++i)
        base64 += static_cast<char>('A' + i % 26);
    std::string wrapped = "Key:\r\n-----BEGIN PGP PUBLIC KEY BLOCK-----\r\nComment: x\r\n\r\n";
    for (std::size_t i = 0; i < base64.size(); i += 40)
        wrapped += base64.substr(i, 40) + "\r\n";
    wrapped += "=ABCD\r\n-----END PGP PUBLIC KEY BLOCK-----\r\nafter\r\n";
    const std::string joined = RejoinArmorLines(wrapped);
    std::string expected = "Key:\r\n-----BEGIN PGP PUBLIC KEY BLOCK-----\r\nComment: x\r\n\r\n";
    expected += base64.substr(0, 80) + "\r\n" + base64.substr(80, 80) + "\r\n" + base64.substr(160) + "\r\n";
    expected += "=ABCD\r\n-----END PGP PUBLIC KEY BLOCK-----\r\nafter\r\n";
    EXPECT_EQ(joined, expected);
    EXPECT_EQ(RejoinArmorLines(joined), joined);
    const std::string key = ReadFixture("keyblock.txt");
    EXPECT_EQ(RejoinArmorLines(key), key);
}

TEST(AddBreaksAfterParagraphs, ManyParagraphTagsOnOneLine)
{
    std::string html;
    for (int i = 0; i < 1000; ++i)
        html += "<P>x";
    const std::string result = AddBreaksAfterParagraphs(html);
    EXPECT_EQ(result.size(), html.size() + 4000);
    EXPECT_EQ(result.substr(0, 9), "<P><br>x<");
}

TEST(IsSecureKind, BothSets)
{
    for (uint32_t kind = 0; kind <= 10; ++kind) {
        EXPECT_EQ(IsSecureKind(kind, true), kind == 3 || kind == 4 || kind >= 8) << kind;
        EXPECT_EQ(IsSecureKind(kind, false), kind == 1 || kind == 2 || kind == 5 || kind == 6 || kind >= 8) << kind;
    }
}

// ---- Cut and fed piece by piece ------------------------------------------------------------------

// Every prefix of a message, as a reader would see it arriving byte by byte, must give either a
// section inside the prefix or none; and once the whole message is there, the full result.
TEST(ByteByByte, EveryPrefixOfEveryFixtureGivesRangesInsideIt)
{
    for (const char* file : {"pgpmime-in-mixed.eml", "smime-multipart-signed.eml", "inline-message.eml",
                             "certificate.txt", "keyblock.txt"}) {
        const std::string text = ReadFixture(file);
        for (std::size_t n = 0; n <= text.size(); ++n) {
            const std::string prefix = text.substr(0, n);
            THeaderData found;
            FindSecureSection(MakeSharedText(prefix), found);
            ExpectInside(found, prefix.size());
            TMessageData data;
            std::string block;
            SplitSecureMessage(prefix, data, block);
            EXPECT_LE(data.TextAfter.size() + block.size(), prefix.size());
            for (const THeaderData& part : WalkParts(prefix))
                ExpectInside(part, prefix.size());
        }
    }
}

TEST(Ranges, HostileDescriptorFieldsStayInsideTheText)
{
    const TSharedText text = MakeSharedText(multipart);
    const int32_t values[] = {INT32_MIN, -1, 0, 1, 5, 400, INT32_MAX};
    for (int32_t start : values)
        for (int32_t length : values)
            for (int32_t limit : values) {
                THeaderData section;
                section.Text = text;
                section.Start = start;
                section.Length = length;
                section.Limit = limit;
                ExpectInside(FindNextPart(section, "abc", hmAll), text->size());
                ExpectInside(FindArmoredBlock(section), text->size());
                ExpectInside(FindMimeSecurePart(section), text->size());
                ExpectInside(GetHeaderValue("Content-Type:", section, true), text->size());
                THeaderData copy = section;
                FindHeaderEnd(copy, hmAll);
                ExpectInside(copy, text->size());
            }
}

} // namespace
