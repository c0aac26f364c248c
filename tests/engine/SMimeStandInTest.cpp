// S/MIME through the decoder and the encoder against the stand-in SDK: messages openssl signs and
// encrypts decrypt and verify with the right signature state (tampered, expired, revoked and
// wrong-recipient messages never read as good), and what the encoder signs and encrypts decodes again. The
// encoder's outputs stay in smime-interop/ for the openssl and gpgsm checks of
// tests/interop/SMimeInterop.cmake, and its key rings with the certificates in smime-interop-rings/ for the
// S/MIME roads of tests/e2e.
#include "engine/PGPDecode.h"
#include "engine/PGPDialogs.h"
#include "engine/PGPEncode.h"
#include "engine/PGPInterface.h"
#include "engine/PSMimeTools.h"
#include "engine/X509Funcs.h"
#include "support/StandInSdk.h"

#include "PGPInterfaceTestTexts.h"
#include "SecureFakeSdk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

std::string Fixture(const std::string& name)
{
    std::ifstream in(WindowsPath(std::string(ZAVEK_SMIME_FIXTURES) + "/" + name), std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Save(const std::string& name, const std::string& data)
{
    const std::string folder = WindowsPath(ZAVEK_SMIME_OUT);
    CreateDirectoryA(folder.c_str(), nullptr);
    std::ofstream(folder + "\\" + name, std::ios::binary) << data;
}

const std::string kContent = "Content-Type: text/plain; charset=us-ascii\r\n\r\nHello Bob,\r\nthe meeting moves to Friday.\r\n";

class SMimeStandIn : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The certificate signing and picking dialogs answer from this file (read at the first dialog).
        const std::string answers = WindowsPath(std::string(ZAVEK_SMIME_OUT) + "-answers.txt");
        std::ofstream(answers, std::ios::binary) << "signing: pass ann-pass\nselect-keys: first\n";
        SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", answers.c_str());
        LoadStandInSdk();
    }
    static void TearDownTestSuite() { ReleasePGPsdk(); }

    void SetUp() override
    {
        ASSERT_EQ(SDKLoadError, 0);
        UseKeyRingCopies(scratch, ZAVEK_KEY_FIXTURES);
        // The imports below rewrite the ring files; a nested opening must not reload them mid-job.
        KeyRings().WatchRingFiles = false;
        for (const char* name : { "ann", "old", "gone" }) {
            std::unique_ptr<TX509CertPropsList> imported;
            ASSERT_GT(ImportCertificates(Fixture(std::string(name) + ".p12"), imported, "", std::string(name) + "-pass"), 0)
                << name;
        }
        // These rings serve the S/MIME roads of tests/e2e as well.
        const std::string rings = WindowsPath(std::string(ZAVEK_SMIME_OUT) + "-rings");
        CreateDirectoryA(rings.c_str(), nullptr);
        for (const char* name : { "pubring.pkr", "secring.skr" })
            CopyFileA((scratch.path + name).c_str(), (rings + "\\" + name).c_str(), FALSE);
        decoder.AskPassphrase
            = [this](const std::string&, const std::string&, bool, TSecureBytes& out) -> PGPError {
            ++asked;
            out = NewSecureData(sizeof "ann-pass");
            std::memcpy(out.data(), "ann-pass", sizeof "ann-pass");
            return kPGPError_NoErr;
        };
        decoder.CheckSignatures = true;
        decoder.Recursive = true;
    }
    void TearDown() override
    {
        EXPECT_EQ(KeyRings().OpenCount(), 0);
        KeyRings().WatchRingFiles = true;
    }

    TScratchFolder scratch { "zavek-smime" };
    TPGPDecode decoder;
    int asked = 0;
};

TEST_F(SMimeStandIn, OpensslMessagesDecryptAndVerifyWithTheirSignatureState)
{
    struct Case {
        const char* file;
        int32_t status;
        int32_t kind;
        int32_t state;
        bool expired;
    };
    const Case cases[] = {
        { "encrypted-aes128.eml", 0, kResultSMimeEnveloped, kSigNotChecked, false },
        { "encrypted-aes256.eml", 0, kResultSMimeEnveloped, kSigNotChecked, false },
        { "encrypted-des3.eml", 0, kResultSMimeEnveloped, kSigNotChecked, false },
        { "signed-detached.eml", 0, kResultSMimeSigned, kSigGood, false },
        { "signed-opaque.eml", 0, kResultSMimeSigned, kSigGood, false },
        { "signed-encrypted.eml", 0, kResultSMimeEnveloped, kSigGood, false },
        { "signed-tampered.eml", 0, kResultSMimeSigned, kSigBad, false },
        { "signed-expired.eml", 0, kResultSMimeSigned, kSigGood, true },
        // Not for a certificate of ours: nothing to open it with, nothing comes out.
        { "encrypted-for-bob.eml", kPGPError_NoSecretKey, kResultSMimeEnveloped, kSigNotChecked, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        asked = 0;
        const std::string message = Fixture(c.file);
        EXPECT_EQ(decoder.DecodePass(message), c.status);
        EXPECT_EQ(decoder.ResultKind, c.kind);
        EXPECT_EQ(decoder.SigProps.State, c.state);
        EXPECT_EQ(decoder.SigProps.Expired, c.expired);
        if (c.status == 0 && c.state != kSigBad)
            EXPECT_EQ(decoder.Output, kContent);
        if (c.status != 0)
            EXPECT_TRUE(decoder.Output.empty());
        if (c.state != kSigNotChecked)
            EXPECT_NE(decoder.SigProps.KeyIDText, "");
        EXPECT_EQ(asked, c.kind == kResultSMimeEnveloped && c.status == 0 ? 1 : 0);
    }
}

TEST_F(SMimeStandIn, TheCAsRevocationListMakesItsRevokedSignerReadRevoked)
{
    auto signerOfRevokedMessage = [&] {
        EXPECT_EQ(decoder.DecodePass(Fixture("signed-revoked.eml")), 0);
        EXPECT_EQ(decoder.SigProps.State, kSigGood);
        return decoder.SigProps.Revoked;
    };
    auto usableCertificates = [](const char* address, uint32_t selection) {
        std::unique_ptr<TX509CertPropsList> found;
        return FindX509Certificates(address, "", "", found, false, selection);
    };
    // Nothing known about revocations yet.
    EXPECT_FALSE(signerOfRevokedMessage());
    EXPECT_EQ(usableCertificates("gone@example.org", kCertSelectSign), 1);

    // A list in the CA's name that another key signed is refused; the CA's own list joins its key.
    std::unique_ptr<TKeyPropsList> imported;
    PGPKeySetRef set = 0;
    EXPECT_NE(
        ImportKeys(nullptr, Fixture("forged.crl"), "", set, kKeyPropKeyID | kKeyPropUserID, imported, false),
        0);
    ASSERT_EQ(
        ImportKeys(nullptr, Fixture("ca.crl"), "", set, kKeyPropKeyID | kKeyPropUserID, imported, false), 0);
    ASSERT_TRUE(imported);
    ASSERT_EQ(imported->Count(), 1);
    EXPECT_EQ(imported->Record(0).UserID, "ZAVEK Test CA");

    // From the key files: the revoked signer reads revoked, its certificate no longer signs or
    // encrypts; ann, whom the list does not name, is untouched.
    EXPECT_TRUE(signerOfRevokedMessage());
    EXPECT_EQ(usableCertificates("gone@example.org", kCertSelectSign), 0);
    EXPECT_EQ(usableCertificates("gone@example.org", kCertSelectEncrypt), 0);
    EXPECT_EQ(decoder.DecodePass(Fixture("signed-opaque.eml")), 0);
    EXPECT_EQ(decoder.SigProps.State, kSigGood);
    EXPECT_FALSE(decoder.SigProps.Revoked);
    EXPECT_EQ(usableCertificates("ann@example.org", kCertSelectSign), 1);
}

TEST_F(SMimeStandIn, WhatTheEncoderSignsAndEncryptsDecodesAgain)
{
    std::unique_ptr<TX509CertPropsList> annCertificates;
    ASSERT_EQ(FindX509Certificates("ann@example.org", "", "", annCertificates, true, kCertSelectEncrypt), 1);
    const std::string ann = (*annCertificates)[0];
    struct Case {
        const char* file;
        bool sign, encrypt;
        int32_t hashChoice;
        const char* start;
    };
    const Case cases[] = {
        { "signed.eml", true, false, 0,
            "Content-Type: multipart/signed; protocol=\"application/x-pkcs7-signature\";\r\n micalg=sha-256;" },
        { "signed-sha1.eml", true, false, 2,
            "Content-Type: multipart/signed; protocol=\"application/x-pkcs7-signature\";\r\n micalg=sha1;" },
        { "encrypted.eml", false, true, 0, "Content-Type: application/pkcs7-mime;\r\n smime-type=enveloped-data;" },
        { "signed-encrypted.eml", true, true, 0, "Content-Type: application/pkcs7-mime;" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TPGPEncode encoder(nullptr);
        encoder.Settings.HashChoice = c.hashChoice;
        encoder.Settings.PassphrasePrompt = "Enter the passphrase of the signing key:";
        encoder.SignerKeyID = ann;
        encoder.SignerUserText = "Ann Test <ann@example.org>";
        encoder.RecipientText = "ann@example.org";
        const int32_t status = c.encrypt ? encoder.EncryptBuffer(kContent, c.sign, true) : encoder.SignBuffer(kContent, true);
        ASSERT_EQ(status, 0);
        const std::string out = encoder.OutputText();
        EXPECT_EQ(out.rfind(c.start, 0), 0u) << out.substr(0, 200);
        Save(c.file, "Mime-Version: 1.0\r\n" + out);
        asked = 0;
        ASSERT_EQ(decoder.DecodePass(out), 0);
        EXPECT_EQ(decoder.Output, kContent);
        EXPECT_EQ(decoder.SigProps.State, c.sign ? kSigGood : kSigNotChecked);
        EXPECT_EQ(asked, c.encrypt ? 1 : 0);
    }
}

TEST_F(SMimeStandIn, WithoutAKnownAddressTheRecipientDialogOffersCertificatesOnly)
{
    std::vector<std::string> offered;
    bool certificateMode = false;
    TPGPEncode encoder(nullptr, TPGPEncode::AskSigningPassphrase,
        [&](std::string& recipients, TKeyPropsList& keys, bool&, const TEncodeSettings& settings) {
            certificateMode = settings.SMime;
            int chosen = -1;
            for (int i = 0; i < keys.Count(); ++i) {
                offered.push_back(keys[i] + " " + keys.Record(i).UserID);
                if (keys.Record(i).UserID.find("ann@example.org") != std::string::npos)
                    chosen = i;
            }
            if (chosen < 0)
                return 0; // cancelled
            recipients = keys.Record(chosen).KeyID;
            return static_cast<int>(kKeyDialogChosen);
        });
    encoder.RecipientText = "nobody@example.org";
    ASSERT_EQ(encoder.EncryptBuffer(kContent, false, true), 0) << testing::PrintToString(offered);
    EXPECT_TRUE(certificateMode);
    // Ann's and the other certificates with keys that can encrypt; none of the OpenPGP-only keys.
    EXPECT_FALSE(offered.empty());
    for (const std::string& userID : offered)
        EXPECT_NE(userID.find(" Test"), std::string::npos) << userID;
    ASSERT_EQ(decoder.DecodePass(encoder.OutputText()), 0);
    EXPECT_EQ(decoder.Output, kContent);
}

TEST_F(SMimeStandIn, TheCertificateThePersonPicksIsExportedWithItsChainAndRemoved)
{
    TTestTexts texts { { { 239, "X.509 certificate for" }, { 274, "Valid certificate" },
        { 301, "Certificate issued by" }, { 313, "Remove this certificate" }, { 315, " keys were deleted." },
        { 317, "Export a certificate" }, { 318, "Certificate chain for" } } };
    std::vector<std::string> shown;
    bool answer = false;
    TPGPInterface pgp(nullptr, *texts.errorTexts, *texts.texts, nullptr, NewSdkSecure(),
        [&](const std::string& text, TMessageKind, int) {
            shown.push_back(text);
            return answer;
        });
    // The picker offers ann's certificate first: its chain up to the CA, as PEM.
    TKeyIDData keys;
    std::string text;
    ASSERT_EQ(pgp.ExportCertificate(nullptr, keys, text), 0);
    EXPECT_EQ(keys.Count, 1);
    EXPECT_EQ(keys.UserText, "Certificate chain for Ann Test\r\n");
    EXPECT_EQ(keys.KeyIDText, "issued by ZAVEK Test CA\r\n");
    const std::size_t first = text.find("-----BEGIN CERTIFICATE-----");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(text.substr(0, first), keys.UserText + keys.KeyIDText + "\r\n");
    EXPECT_NE(text.find("-----BEGIN CERTIFICATE-----", first + 1), std::string::npos) << text;

    // Removing asks first; No keeps it, Yes removes it from its key.
    auto annCertificates = [] {
        std::unique_ptr<TX509CertPropsList> found;
        return FindX509Certificates("ann@example.org", "", "", found, false, kCertSelectAny);
    };
    ASSERT_EQ(annCertificates(), 1);
    EXPECT_EQ(pgp.RemoveCertificate(nullptr, true, keys), kStatusCancelled);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().rfind("Remove this certificate?\r\n\r\n", 0), 0u) << shown.back();
    EXPECT_EQ(annCertificates(), 1);
    answer = true;
    EXPECT_EQ(pgp.RemoveCertificate(nullptr, true, keys), 0);
    EXPECT_EQ(keys.Count, 1);
    EXPECT_EQ(annCertificates(), 0);
}

} // namespace
