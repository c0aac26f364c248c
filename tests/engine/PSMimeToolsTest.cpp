// The mail-body builders: PGP/MIME rewrapping of SDK output, S/MIME entities, micalg texts and the
// armour "Charset:" line, including header-less armour and output without its separator.
#include "engine/PSMimeTools.h"

#include "foundation/Base64.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace {

const std::string kSdkEncrypted = "Content-Type: multipart/encrypted; boundary=\"SDKSEP\"\r\n\r\n"
                                  "--SDKSEP\r\nContent-Type: application/pgp-encrypted\r\n\r\nVersion: 1\r\n\r\n"
                                  "--SDKSEP\r\nContent-Type: application/octet-stream\r\n\r\n"
                                  "-----BEGIN PGP MESSAGE-----\r\n\r\nabc\r\n-----END PGP MESSAGE-----\r\n"
                                  "--SDKSEP--\r\n";

TEST(MicalgParameter, NamesByHashCodeAndFamily)
{
    struct Case { int code; const char* pgp; const char* smime; };
    const Case cases[] = { { 0, "", "" }, { 1, "", "" }, { 2, "micalg=pgp-md5", "micalg=md5" },
        { 3, "micalg=pgp-sha1", "micalg=sha1" }, { 4, "micalg=pgp-ripemd160", "micalg=ripemd160" },
        { 5, "micalg=pgp-sha256", "micalg=sha-256" }, { 6, "micalg=pgp-sha384", "micalg=sha-384" },
        { 7, "micalg=pgp-sha512", "micalg=sha-512" }, { 8, "", "" } };
    for (const Case& c : cases) {
        EXPECT_EQ(MicalgParameter(c.code, true), c.pgp) << c.code;
        EXPECT_EQ(MicalgParameter(c.code, false), c.smime) << c.code;
    }
}

TEST(NewMimeBoundary, PrefixAndFreshHexSuffix)
{
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        const std::string b = NewMimeBoundary(i % 2 == 0);
        EXPECT_TRUE(std::regex_match(b, std::regex("(PGPMime|SMime)-=-=-Boundary-=-=-[0-9A-F]{8}"))) << b;
        seen.insert(b.substr(b.size() - 8));
    }
    EXPECT_GT(seen.size(), 45u);
}

TEST(BuildPgpMimeBody, EncryptedRewrapsEveryPartUnderNewBoundary)
{
    std::string separator = "SDKSEP";
    TEncodedText pieces;
    std::size_t offset = kSdkEncrypted.find("\r\n\r\n") + 4;
    ASSERT_TRUE(BuildPgpMimeBody(kSdkEncrypted, separator, offset, pieces, true, true, 0));
    const std::string result = pieces.Joined();
    const std::string b = separator;
    EXPECT_EQ(b.rfind("PGPMime-=-=-Boundary-=-=-", 0), 0u);
    const std::string header = "Content-Type: multipart/encrypted; protocol=\"application/pgp-encrypted\";\r\n"
                               " boundary=\"" + b + "\"\r\n\r\n";
    EXPECT_EQ(result, header + "--" + b + "\r\nContent-Type: application/pgp-encrypted\r\n\r\nVersion: 1\r\n\r\n--" + b
                          + "\r\nContent-Type: application/octet-stream\r\n\r\n-----BEGIN PGP MESSAGE-----\r\n\r\nabc"
                            "\r\n-----END PGP MESSAGE-----\r\n--" + b + "--\r\n");
    EXPECT_EQ(offset, header.size());
    EXPECT_EQ(result.find("SDKSEP"), std::string::npos);
}

TEST(BuildPgpMimeBody, SignedHeaderCarriesMicalgAndVersionLine)
{
    std::string separator = "SDKSEP";
    TEncodedText pieces;
    std::size_t offset = kSdkEncrypted.find("\r\n\r\n") + 4;
    ASSERT_TRUE(BuildPgpMimeBody(kSdkEncrypted, separator, offset, pieces, false, false, 5));
    const std::string result = pieces.Joined();
    EXPECT_EQ(result.rfind("Mime-Version: 1.0\r\nContent-Type: multipart/signed; protocol=\"application/pgp-signature\";"
                           "\r\n micalg=pgp-sha256; boundary=\"" + separator + "\"\r\n\r\n--" + separator + "\r\n", 0),
        0u);
}

TEST(BuildPgpMimeBody, MissingOrEmptySeparatorIsAFailureNotAnEmptyBody)
{
    for (const std::string& sep : { std::string(), std::string("ELSEWHERE") }) {
        std::string separator = sep;
        TEncodedText result;
        std::size_t offset = 10;
        EXPECT_FALSE(BuildPgpMimeBody(kSdkEncrypted, separator, offset, result, true, true, 3)) << sep;
        EXPECT_TRUE(result.Pieces().empty());
        EXPECT_EQ(offset, 0u);
    }
}

TEST(BuildSMimeBody, EnvelopedIsBase64OfContentWithoutBoundary)
{
    const std::string der(200, '\x81');
    std::string boundary = "old", result;
    std::size_t headerLength = 0;
    BuildSMimeBody(der, nullptr, boundary, result, false, true, 0, headerLength);
    EXPECT_TRUE(boundary.empty());
    const std::string header = "Mime-Version: 1.0\r\nContent-Type: application/pkcs7-mime;\r\n smime-type=enveloped-data;"
                               "\r\n name=SMime.p7m\r\nContent-Transfer-Encoding: base64\r\n"
                               "Content-Disposition: attachment; filename=SMime.p7m\r\n\r\n";
    EXPECT_EQ(result, header + Base64Encode(der) + "\r\n");
    EXPECT_EQ(headerLength, std::string("Mime-Version: 1.0\r\nContent-Type: application/pkcs7-mime;\r\n "
                                        "smime-type=enveloped-data;\r\n name=SMime.p7m").size() + 3);
}

TEST(BuildSMimeBody, SignedHasContentThenSignaturePart)
{
    const std::string content = "Content-Type: text/plain\r\n\r\nhello", signature = "\x30\x82sig";
    std::string boundary, result;
    std::size_t headerLength = 0;
    BuildSMimeBody(content, &signature, boundary, result, true, false, 3, headerLength);
    const std::string contentType = "Content-Type: multipart/signed; protocol=\"application/x-pkcs7-signature\";\r\n"
                                    " micalg=sha1; boundary=\"" + boundary + "\"";
    EXPECT_EQ(result, contentType + "\r\n\r\n--" + boundary + "\r\n" + content + "\r\n--" + boundary
                          + "\r\nContent-Type: application/x-pkcs7-signature; name=SMime.p7s\r\n"
                            "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=SMime.p7s"
                            "\r\n\r\n" + Base64Encode(signature) + "\r\n--" + boundary + "--\r\n");
    EXPECT_EQ(headerLength, contentType.size() + 3);
    EXPECT_EQ(boundary.rfind("SMime-=-=-Boundary-=-=-", 0), 0u);
}

TEST(InsertArmorCharset, LandsAmongTheRightBlocksArmourHeaders)
{
    struct Case { const char* name; std::string text; bool isSigned; std::string expected; };
    const std::string clearSigned = "-----BEGIN PGP SIGNED MESSAGE-----\r\nHash: SHA256\r\n\r\nhi\r\n"
                                    "-----BEGIN PGP SIGNATURE-----\r\n%H\r\niQE=\r\n-----END PGP SIGNATURE-----\r\n";
    auto with = [](std::string t, const std::string& h) { return t.replace(t.find("%H"), 2, h); };
    const Case cases[] = {
        { "message with headers", "-----BEGIN PGP MESSAGE-----\r\nVersion: X\r\n\r\nhQ=\r\n-----END PGP MESSAGE-----",
            false, "-----BEGIN PGP MESSAGE-----\r\nVersion: X\r\nCharset: UTF-8\r\n\r\nhQ=\r\n-----END PGP MESSAGE-----" },
        { "message without headers", "-----BEGIN PGP MESSAGE-----\r\n\r\nhQ=\r\n-----END PGP MESSAGE-----", false,
            "-----BEGIN PGP MESSAGE-----\r\nCharset: UTF-8\r\n\r\nhQ=\r\n-----END PGP MESSAGE-----" },
        { "signed with headers", with(clearSigned, "Version: X\r\n"), true,
            with(clearSigned, "Version: X\r\nCharset: UTF-8\r\n") },
        { "signed without headers", with(clearSigned, ""), true, with(clearSigned, "Charset: UTF-8\r\n") },
        { "no marker", "plain text\r\n\r\nmore", false, "plain text\r\n\r\nmore" },
        { "blank line only after the data", "-----BEGIN PGP MESSAGE-----\r\nhQ=\r\n\r\n", false,
            "-----BEGIN PGP MESSAGE-----\r\nhQ=\r\n\r\n" },
        { "empty", "", true, "" },
    };
    for (const Case& c : cases) {
        TEncodedText result;
        InsertArmorCharset("UTF-8", c.text, c.isSigned, result);
        EXPECT_EQ(result.Joined(), c.expected) << c.name;
    }
}

} // namespace
