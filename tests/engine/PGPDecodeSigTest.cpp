// The decoder's rules without the SDK: which signature event fields make a signature good, bad,
// expired, unusable, unchecked or one by a missing key; armour charsets; S/MIME recognition.
#include "engine/PGPDecode.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kNow = 1'700'000'000;

struct TStateCase {
    const char* what;
    bool key, checked, verified, canVerify;
    uint32_t created, period;
    int32_t state;
};

TEST(PGPDecodeSig, StateFollowsTheEventFields)
{
    const TStateCase cases[] = {
        { "good", true, true, true, true, kNow - 10, 0, kSigGood },
        { "bad", true, true, false, true, kNow - 10, 0, kSigBad },
        { "not checked", true, false, false, true, kNow - 10, 0, kSigNotChecked },
        { "verified but not checked is no good", true, false, true, true, kNow - 10, 0, kSigNotChecked },
        { "expired signature", true, true, true, true, kNow - 100, 50, kSigGoodExpired },
        { "not yet expired", true, true, true, true, kNow - 100, 500, kSigGood },
        { "key not fit for verifying", true, true, true, false, kNow - 10, 0, kSigKeyNotUsable },
        { "bad stays bad on an unusable key", true, true, false, false, kNow - 10, 0, kSigBad },
        { "no key", false, false, false, false, kNow - 10, 0, kSigKeyMissing },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PGPEventSignatureData data {};
        data.signingKey = c.key ? 7 : 0;
        data.checked = c.checked;
        data.verified = c.verified;
        data.keyCanVerify = c.canVerify;
        data.creationTime = c.created;
        data.validityPeriod = c.period;
        TSigPropsRec props;
        FillSigState(data, kNow, props);
        EXPECT_EQ(props.State, c.state);
        EXPECT_EQ(props.SigTime, c.created);
        EXPECT_EQ(props.ExpiryTime, c.period ? c.created + c.period : 0u);
    }
}

TEST(PGPDecodeSig, KeyFlagsAreTakenOnlyFromAKnownKey)
{
    PGPEventSignatureData data {};
    data.keyRevoked = data.keyDisabled = data.keyExpired = 1;
    data.keyValidity = 3;
    data.hashAlgorithm = 8;
    TSigPropsRec props;
    FillSigState(data, kNow, props);
    EXPECT_FALSE(props.Revoked || props.Disabled || props.Expired);
    EXPECT_EQ(props.Validity, 0);
    EXPECT_EQ(props.HashAlg, 8);

    data.signingKey = 7;
    data.checked = data.verified = data.keyCanVerify = 1;
    FillSigState(data, kNow, props);
    EXPECT_TRUE(props.Revoked && props.Disabled && props.Expired);
    EXPECT_EQ(props.Validity, 3);
}

TEST(PGPDecodeSig, CharsetComesFromTheFirstBlocksArmourHeaders)
{
    const struct {
        const char* text;
        const char* charset;
    } cases[] = {
        { "-----BEGIN PGP MESSAGE-----\r\nVersion: x\r\nCharset: ISO-8859-1\r\n\r\nhQ==\r\n", "ISO-8859-1" },
        { "Hi\n-----BEGIN PGP SIGNED MESSAGE-----\ncharset:  utf-8\n\ntext\n", "utf-8" },
        { "-----BEGIN PGP MESSAGE-----\r\n\r\nCharset: late\r\n", "" }, // in the body, not a header
        { "> -----BEGIN PGP MESSAGE-----\nCharset: quoted\n\n", "" }, // not at a line start
        { "no armour at all", "" },
        { "-----BEGIN PGP MESSAGE-----\nCharset: cut off", "cut off" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ArmourCharset(c.text), c.charset) << c.text;
}

TEST(PGPDecodeSig, SMimeEntitiesAndCertificatesAreRecognisedByTheirHeader)
{
    const struct {
        const char* text;
        bool smime;
        bool certificate;
    } cases[] = {
        { "Content-Type: application/pkcs7-mime; smime-type=enveloped-data\r\n\r\nMIAG", true, false },
        { "Content-Type: application/x-pkcs7-mime\n\nMIAG", true, false },
        { "Content-Type: multipart/signed; protocol=\"application/pkcs7-signature\"\r\n\r\n--b", true,
            false },
        { "-----BEGIN CERTIFICATE-----\nMIIB\n", true, true },
        { "My certificate:\r\n-----BEGIN CERTIFICATE-----\r\nMIIB\r\n-----END CERTIFICATE-----\r\n", true,
            true },
        { "Not one: -----BEGIN CERTIFICATE-----\r\nMIIB\r\n", false, false },
        { "Content-Type: multipart/signed; protocol=\"application/pgp-signature\"\r\n\r\n--b", false, false },
        { "Content-Type: text/plain\r\n\r\napplication/pkcs7-mime in the body", false, false },
        { "-----BEGIN PGP MESSAGE-----\n\nhQ==\n", false, false },
        { "Cert attached:\n-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n"
          "-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\ntext\n",
            false, false },
        { "-----BEGIN PGP MESSAGE-----\n\nhQ==\n-----END PGP MESSAGE-----\n-----BEGIN "
          "CERTIFICATE-----\nMIIB\n",
            false, false },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSMimeOrCertificate(c.text), c.smime) << c.text;
        EXPECT_EQ(IsPemCertificate(c.text), c.certificate) << c.text;
    }
}

} // namespace

TEST(PGPDecodeSig, VerificationTextForPGPsLog)
{
    const TSignatureWords words { "not verified", "not valid", "disabled", "expired", "revoked", "unknown signer" };
    TSigPropsRec props;
    EXPECT_EQ(FormatSignatureResult(props, words, 13, false), ""); // nothing checked
    props.State = kSigGood;
    props.Checked = props.Verified = true;
    props.KeyIDText = "0x0123456789ABCDEF";
    props.UserIDText = "Sam <sam@example.org>";
    props.Validity = 3;
    props.SigTimeText = "Mon, 01 Jan 2024, 10:00";
    EXPECT_EQ(FormatSignatureResult(props, words, 13, false),
        "Good Signature\n(...)\nSam <sam@example.org>\n0x89ABCDEF\nValid Key\nMon, 01 Jan 2024, 10:00");
    EXPECT_EQ(FormatSignatureResult(props, words, 2, true),
        "Good Signature\n(...)\nSam <sam@example.org>\nImplicit Trust\nMon, 01 Jan 2024, 10:00");
    // The last word that applies counts.
    props.Revoked = props.Expired = true;
    props.Validity = 2;
    EXPECT_EQ(FormatSignatureResult(props, words, 13, false).substr(54), "Marginal Key\nMon, 01 Jan 2024, 10:00 (expired)");
    props.State = kSigBad;
    props.Verified = false;
    EXPECT_EQ(FormatSignatureResult(props, words, 13, false).substr(0, 15), "Bad Signature\n(");
    EXPECT_NE(FormatSignatureResult(props, words, 13, false).find("(not verified)"), std::string::npos);
    // A signer whose key is missing is named by its key id.
    props = TSigPropsRec();
    props.State = kSigKeyMissing;
    props.KeyIDText = "0x0123456789ABCDEF";
    props.SigTimeText = "Mon";
    EXPECT_EQ(FormatSignatureResult(props, words, 13, false),
        "Bad Signature\n(...)\n(0x0123456789ABCDEF)\n0x89ABCDEF\nInvalid Key\nMon (unknown signer)");
    EXPECT_EQ(FormatSignatureResult(props, words, 2, false),
        "Bad Signature\n(...)\n(0x89ABCDEF)\nInvalid Key\nMon (unknown signer)");
}
