// The decoder and the PGP interface's decode operations against the stand-in SDK, on messages and
// key rings GnuPG makes at build time: inline, clear-signed and PGP/MIME messages, good, bad and
// unknown signatures, damaged and unprotected data, passphrase retries and key import.
#include "engine/KeyFuncs.h"
#include "engine/PGPDecode.h"
#include "engine/PGPInterface.h"
#include "engine/SecureFuncs.h"
#include "engine/sdk/pgpAdapters.h"
#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"

#include "PGPInterfaceTestTexts.h"

#include "support/StandInSdk.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::string Message(const std::string& name)
{
    std::ifstream in(WindowsPath(std::string(ZAVEK_DECODER_FIXTURES) + "/" + name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

constexpr const char* kPlainLine = "the meeting moves to ";

class PGPDecodeStandIn : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LoadStandInSdk();
    }
    static void TearDownTestSuite() { ReleasePGPsdk(); }

    void SetUp() override
    {
        ASSERT_EQ(SDKLoadError, 0);
        UseKeyRingCopies(scratch, ZAVEK_DECODER_FIXTURES);
        if (HasFatalFailure())
            return;
        if (SDKProcs.PGPPurgeKeyDBCache) {
            PGPContextRef context = 0;
            PGPKeySetRef keys = 0;
            ASSERT_EQ(KeyRings().Open(&context, &keys), 0);
            PurgePassphraseCache(context); // no passphrase from an earlier test
            KeyRings().Close();
        }
        decoder.AskPassphrase = [this](const std::string& keyIDs, const std::string&, bool retry,
                                    TSecureBytes& out) -> PGPError {
            asked.push_back({ keyIDs, retry });
            if (answers.empty())
                return kDecodeCancelled;
            const std::string next = answers.front();
            answers.erase(answers.begin());
            out = NewSecureData(next.size() + 1);
            std::memcpy(out.data(), next.c_str(), next.size() + 1);
            return kPGPError_NoErr;
        };
    }
    void TearDown() override
    {
        EXPECT_EQ(KeyRings().OpenCount(), 0);
    }

    struct TAsk {
        std::string keyIDs;
        bool retry;
    };
    TScratchFolder scratch { "zavek-decode" };
    const std::string folder = scratch.path;
    TPGPDecode decoder;
    std::vector<std::string> answers;
    std::vector<TAsk> asked;
};

struct TDecodeCase {
    const char* file;
    bool keepInput;
    int32_t status;
    bool plaintext; // the output holds the message's text
    int32_t kind;
    int32_t state;
    const char* signer;
};

TEST_F(PGPDecodeStandIn, GnuPGMessagesDecodeWithTheirSignatureResult)
{
    const TDecodeCase cases[] = {
        { "encrypted.asc", false, 0, true, kResultPGPEncrypted, kSigNotChecked, "" },
        { "encrypted.gpg", false, 0, true, kResultPGPEncrypted, kSigNotChecked, "" }, // binary, as attached
        { "signed-encrypted.asc", false, 0, true, kResultPGPEncrypted, kSigGood, "Sam Signer <sam@example.org>" },
        { "signed.asc", false, 0, true, kResultPGPSigned, kSigGood, "Sam Signer <sam@example.org>" },
        { "clearsigned.asc", false, 0, true, kResultPGPSigned, kSigGood, "Sam Signer <sam@example.org>" },
        { "clearsigned.asc", true, 0, false, kResultPGPSigned, kSigGood, "Sam Signer <sam@example.org>" },
        { "clearsigned-bad.asc", false, 0, true, kResultPGPSigned, kSigBad, "Sam Signer <sam@example.org>" },
        { "clearsigned-unknown.asc", false, 0, true, kResultPGPSigned, kSigKeyMissing, "" },
        { "pgpmime-signed.eml", false, 0, true, kResultPGPSigned, kSigGood, "Sam Signer <sam@example.org>" },
        // Unprotected or damaged encrypted data is refused and nothing of it comes out.
        { "no-mdc.asc", false, kPGPError_IntegrityCheckFailed, false, kResultPGPEncrypted, kSigNotChecked, "" },
        { "tampered.asc", false, kPGPError_IntegrityCheckFailed, false, kResultPGPEncrypted, kSigNotChecked, "" },
        // A text in memory has no file holding what a detached signature signed.
        { "detached.asc", false, kDecodeNoDetachedData, false, kResultPGPDetached, kSigNotChecked, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        answers = { "rita-pass" };
        decoder.CheckSignatures = true;
        decoder.Recursive = true;
        decoder.KeepInput = c.keepInput;
        const std::string input = Message(c.file);
        ASSERT_FALSE(input.empty());
        EXPECT_EQ(decoder.DecodePass(input), c.status);
        EXPECT_EQ(decoder.Output.find(kPlainLine) != std::string::npos, c.plaintext);
        if (c.status != 0) {
            EXPECT_TRUE(decoder.Output.empty());
        }
        EXPECT_EQ(decoder.ResultKind, c.kind);
        EXPECT_EQ(decoder.SigProps.State, c.state);
        EXPECT_EQ(decoder.SigProps.UserIDText, c.signer);
        if (c.state != kSigNotChecked) {
            EXPECT_EQ(decoder.SigProps.KeyIDText.size(), 18u) << decoder.SigProps.KeyIDText;
            EXPECT_NE(decoder.SigProps.SigTime, 0u);
            EXPECT_FALSE(decoder.SigProps.SigTimeText.empty());
        }
    }
}

TEST_F(PGPDecodeStandIn, RecipientsAreReportedAndThePassphraseIsAskedForThem)
{
    answers = { "rita-pass" };
    ASSERT_EQ(decoder.DecodePass(Message("encrypted.asc")), 0);
    EXPECT_EQ(decoder.RecipientCount, 1);
    EXPECT_EQ(decoder.RecipientKeyIDs.size(), 18u);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].keyIDs, decoder.RecipientKeyIDs);
    EXPECT_FALSE(asked[0].retry);
}

TEST_F(PGPDecodeStandIn, AWrongPassphraseIsAskedAgainForTheSameSection)
{
    answers = { "wrong", "also wrong", "rita-pass" };
    ASSERT_EQ(decoder.DecodePass(Message("encrypted.asc")), 0);
    EXPECT_NE(decoder.Output.find(kPlainLine), std::string::npos);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_FALSE(asked[0].retry);
    EXPECT_TRUE(asked[1].retry);
    EXPECT_TRUE(asked[2].retry);
}

TEST_F(PGPDecodeStandIn, ACancelledOrMissingPassphraseEndsWithoutPlaintext)
{
    answers = {};
    EXPECT_EQ(decoder.DecodePass(Message("encrypted.asc")), kDecodeCancelled);
    EXPECT_TRUE(decoder.Output.empty());
    // A dialog that cannot be shown fails the decode with its reason: no cancel the user never made.
    decoder.AskPassphrase = [](const TPassphraseRecipients&, const std::string&, bool, TSecureBytes&) {
        return kDecodeNotAvailable;
    };
    EXPECT_EQ(decoder.DecodePass(Message("encrypted.asc")), kDecodeNotAvailable);
    EXPECT_TRUE(decoder.Output.empty());
    decoder.AskPassphrase = nullptr;
    EXPECT_EQ(decoder.DecodePass(Message("encrypted.asc")), kDecodeCancelled);
    EXPECT_EQ(decoder.DecodePass(""), kDecodeEmptyInput);
}

TEST_F(PGPDecodeStandIn, FoundKeysAreImportedOnRequestAndThenVerify)
{
    decoder.CheckSignatures = true;
    decoder.PassThroughKeys = false;
    ASSERT_EQ(decoder.DecodePass(Message("una-key.asc")), 0);
    EXPECT_EQ(decoder.ImportedKeys, 0); // not asked to import
    EXPECT_EQ(decoder.ResultKind, kResultKeys);

    decoder.ImportFoundKeys = true;
    ASSERT_EQ(decoder.DecodePass(Message("una-key.asc")), 0);
    EXPECT_EQ(decoder.ImportStatus, 0);
    EXPECT_EQ(decoder.ImportedKeys, 1);

    decoder.ImportFoundKeys = false;
    ASSERT_EQ(decoder.DecodePass(Message("clearsigned-unknown.asc")), 0);
    EXPECT_EQ(decoder.SigProps.State, kSigGood);
    EXPECT_EQ(decoder.SigProps.UserIDText, "Una Known <una@example.org>");
}

TEST_F(PGPDecodeStandIn, AMissingSignerFromTheKeySourceVerifiesWithoutTouchingTheRings)
{
    decoder.CheckSignatures = true;
    decoder.KeySourceText = "Her key:\r\n" + Message("una-key.asc");
    ASSERT_EQ(decoder.DecodePass(Message("clearsigned-unknown.asc")), 0);
    EXPECT_EQ(decoder.SigProps.State, kSigGood);
    EXPECT_EQ(decoder.SigProps.UserIDText, "Una Known <una@example.org>");
    EXPECT_NE(decoder.Output.find(kPlainLine), std::string::npos);

    decoder.KeySourceText = Message("sam-key.asc"); // not the signer
    ASSERT_EQ(decoder.DecodePass(Message("clearsigned-unknown.asc")), 0);
    EXPECT_EQ(decoder.SigProps.State, kSigKeyMissing);

    decoder.KeySourceText.clear();
    ASSERT_EQ(decoder.DecodePass(Message("clearsigned-unknown.asc")), 0);
    EXPECT_EQ(decoder.SigProps.State, kSigKeyMissing); // nothing was imported into the rings
}

TEST_F(PGPDecodeStandIn, TheAcceptanceTestRecognisesOpenPGPDataOnly)
{
    EXPECT_EQ(decoder.AcceptBuffer(Message("encrypted.asc")), 0);
    EXPECT_EQ(decoder.ResultKind, kResultPGPEncrypted);
    EXPECT_EQ(decoder.AcceptBuffer(Message("clearsigned.asc")), 0);
    EXPECT_NE(decoder.AcceptBuffer("Just a plain letter.\r\n"), 0);
    EXPECT_TRUE(asked.empty()); // analysis never needs a passphrase
}

TEST_F(PGPDecodeStandIn, PlainTextAroundABlockPassesThroughWhenAsked)
{
    EXPECT_EQ(decoder.DecodePass("Just a plain letter.\r\n"), kPGPError_UnsupportedFormat);
    EXPECT_TRUE(decoder.Output.empty());
    answers = { "rita-pass" };
    decoder.PassThroughUnrecognised = true;
    ASSERT_EQ(decoder.DecodePass("Before\r\n" + Message("encrypted.asc") + "After\r\n"), 0);
    const size_t before = decoder.Output.find("Before");
    const size_t plain = decoder.Output.find(kPlainLine);
    const size_t after = decoder.Output.find("After");
    ASSERT_NE(before, std::string::npos);
    ASSERT_NE(plain, std::string::npos);
    ASSERT_NE(after, std::string::npos);
    EXPECT_LT(before, plain);
    EXPECT_LT(plain, after);
}

TEST_F(PGPDecodeStandIn, SpecialMessagesKeepTheirRules)
{
    // For your eyes only: the secure viewer shows it (answered, it closes at once and the stand-in
    // logs what it showed); the decode succeeds and the caller gets nothing of it. A signed one
    // writes its verification text to PGP's log.
    const std::string log = folder + "standin.log";
    SetEnvironmentVariableA("PGPSTANDIN_LOG", log.c_str());
    AnswerStandInDialogs("zavek-decode-answers.txt", "secure-viewer: close\n");
    answers = { "rita-pass" };
    EXPECT_EQ(decoder.DecodePass(Message("eyes-only.asc")), 0);
    EXPECT_TRUE(decoder.ForYourEyesOnly);
    EXPECT_TRUE(decoder.Output.empty());
    decoder.CheckSignatures = true;
    decoder.SignatureWords = { "not verified", "not valid", "disabled", "expired", "revoked", "unknown signer" };
    answers = { "rita-pass" };
    EXPECT_EQ(decoder.DecodePass(Message("eyes-only-signed.asc")), 0);
    EXPECT_TRUE(decoder.ForYourEyesOnly);
    EXPECT_TRUE(decoder.Output.empty());
    decoder.CheckSignatures = false;
    SetEnvironmentVariableA("PGPSTANDIN_LOG", nullptr);
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    std::ifstream in(log, std::ios::binary);
    const std::string logged(std::istreambuf_iterator<char>(in), {});
    size_t shown = 0;
    for (size_t at = logged.find("Secure viewer:\r\nHello Rita,"); at != std::string::npos;
         at = logged.find("Secure viewer:\r\nHello Rita,", at + 1))
        ++shown;
    EXPECT_EQ(shown, 2u);
    EXPECT_NE(logged.find("Good Signature\n(...)\nSam Signer <sam@example.org>\n0x"), std::string::npos) << logged;

    // Conventional encryption asks without naming keys.
    answers = { "shared-secret" };
    asked.clear();
    ASSERT_EQ(decoder.DecodePass(Message("conventional.asc")), 0);
    EXPECT_NE(decoder.Output.find(kPlainLine), std::string::npos);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].keyIDs, "");

    answers = { "rita-pass" };
    ASSERT_EQ(decoder.DecodePass(Message("charset.asc")), 0);
    EXPECT_EQ(decoder.Charset, "ISO-8859-15");

    // A certificate, alone or below a line of text, is no message: its kind and nothing decoded.
    const std::string certificate = "-----BEGIN CERTIFICATE-----\r\nMIIBszCCAVmgAwIBAgIUQ2VydA==\r\n"
                                    "-----END CERTIFICATE-----\r\n";
    asked.clear();
    for (const std::string& text : { certificate, "My certificate:\r\n" + certificate }) {
        ASSERT_EQ(decoder.DecodePass(text), 0);
        EXPECT_EQ(decoder.ResultKind, kResultCertificate);
        EXPECT_TRUE(decoder.Output.empty());
        EXPECT_FALSE(decoder.SignatureSeen);
    }
    EXPECT_TRUE(asked.empty());

    // A cut-off S/MIME entity: refused, never faked.
    EXPECT_EQ(decoder.DecodePass("Content-Type: application/pkcs7-mime; smime-type=enveloped-data\r\n"
                                 "Content-Transfer-Encoding: base64\r\n\r\nMIAGCSqGSIb3DQEHA6CAMIACAQAx\r\n"),
        kPGPError_CorruptData);
    EXPECT_TRUE(decoder.Output.empty());
}

TEST_F(PGPDecodeStandIn, PGPMimeEncryptedHoldingASignedEntityGivesBoth)
{
    answers = { "rita-pass" };
    decoder.CheckSignatures = true;
    decoder.Recursive = true;
    ASSERT_EQ(decoder.DecodePass(Message("pgpmime-encrypted.eml")), 0);
    EXPECT_NE(decoder.Output.find(kPlainLine), std::string::npos);
    EXPECT_EQ(decoder.ResultKind, kResultPGPEncrypted); // OpenPGP inside OpenPGP is no S/MIME result
    EXPECT_EQ(decoder.SigProps.State, kSigGood);
    EXPECT_EQ(decoder.SigProps.UserIDText, "Sam Signer <sam@example.org>");
}

// ---- The interface's decode operations ----------------------------------------------------------

class PGPInterfaceDecode : public PGPDecodeStandIn {
protected:
    void Make()
    {
        pgp = std::make_unique<TPGPInterface>(nullptr, *t.errorTexts, *t.texts, nullptr, NewSdkSecure(),
            [this](const std::string& text, TMessageKind kind, int icon) {
                shown.push_back({ text, kind, icon });
                return false;
            });
        pgp->DecryptPassphraseAsk = decoder.AskPassphrase;
    }
    void TearDown() override
    {
        pgp.reset();
        PGPDecodeStandIn::TearDown();
    }

    struct TShown {
        std::string text;
        TMessageKind kind;
        int icon;
    };
    TTestTexts t;
    std::unique_ptr<TPGPInterface> pgp;
    std::vector<TShown> shown;
};

TEST_F(PGPInterfaceDecode, DecryptTextGivesPlaintextSignerAndRecipients)
{
    Make();
    answers = { "rita-pass" };
    std::string output, charset;
    TKeyIDData recipients;
    TSignatureData signature;
    ASSERT_EQ(pgp->DecryptText(Message("signed-encrypted.asc"), nullptr, false, true, false, false, output, charset,
                  recipients, signature),
        0);
    EXPECT_NE(output.find(kPlainLine), std::string::npos);
    EXPECT_EQ(recipients.Count, 1);
    EXPECT_EQ(signature.SignerText.size(), 18u);
    EXPECT_NE(signature.StatusCode & kSignatureEncryptedBit, 0u);
    const uint32_t resultClass = signature.StatusCode & 0xFFFF;
    EXPECT_TRUE(resultClass == 2 || resultClass == 3) << resultClass;
    EXPECT_TRUE(shown.empty());
}

TEST_F(PGPInterfaceDecode, AnEnteredPassphraseIsCachedForTheNextMessage)
{
    Make();
    pgp->SetCacheCallback([](int32_t, bool) {});
    pgp->SetCacheTime(60);
    std::string output, charset;
    TKeyIDData recipients;
    TSignatureData signature;
    answers = { "rita-pass" };
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(pgp->DecryptText(Message("encrypted.asc"), nullptr, false, false, false, false, output, charset,
                      recipients, signature),
            0);
        EXPECT_NE(output.find(kPlainLine), std::string::npos);
    }
    EXPECT_EQ(asked.size(), 1u);
    // The key itself keeps it too, beside the sub-key the decode cached: signing asks for nothing.
    PGPContextRef context = 0;
    PGPKeySetRef keys = 0, found = 0;
    PGPKeyDBObjRef key = 0;
    ASSERT_EQ(KeyRings().Open(&context, &keys), 0);
    EXPECT_EQ(FindKeysByText(context, keys, "rita", &found), 0);
    EXPECT_EQ(FirstKeyOfSet(found, &key), 0);
    EXPECT_EQ(SDKProcs.PGPPassphraseIsValid(key, kPGPEndOfOptions), 1);
    SDKProcs.PGPFreeKeySet(found);
    KeyRings().Close();
    pgp->PurgePassphrase();
    answers = {};
    EXPECT_EQ(pgp->DecryptText(Message("encrypted.asc"), nullptr, false, false, false, false, output, charset,
                  recipients, signature),
        kDecodeCancelled);
    EXPECT_TRUE(shown.empty()); // a cancel is not shown as an error
}

TEST_F(PGPInterfaceDecode, DecryptTextShowsAFailureAndReturnsNothing)
{
    Make();
    answers = { "rita-pass" };
    std::string output = "old", charset;
    TKeyIDData recipients;
    TSignatureData signature;
    EXPECT_EQ(pgp->DecryptText(Message("tampered.asc"), nullptr, false, true, false, false, output, charset,
                  recipients, signature),
        kPGPError_IntegrityCheckFailed);
    EXPECT_TRUE(output.empty());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "E-11983");
    EXPECT_EQ(shown[0].kind, TMessageKind::Error);
}

TEST_F(PGPInterfaceDecode, VerifyTextFindsTheBlockAndShowsTheResult)
{
    Make();
    TSignatureData signature;
    const std::string mail = "Hello,\r\nsee below.\r\n\r\n" + Message("clearsigned-bad.asc");
    ASSERT_EQ(pgp->VerifyText(mail, "", signature, true, false, nullptr), 0);
    EXPECT_EQ(signature.StatusCode & kSignatureEncryptedBit, 0u);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, TMessageKind::Warning); // a bad signature is never good news
    EXPECT_EQ(shown[0].icon, static_cast<int>(signature.StatusCode & 0xFFFF));

    shown.clear();
    ASSERT_EQ(pgp->VerifyText(Message("clearsigned.asc"), "", signature, false, false, nullptr), 0);
    const uint32_t resultClass = signature.StatusCode & 0xFFFF;
    EXPECT_TRUE(resultClass == 2 || resultClass == 3) << resultClass;
    EXPECT_TRUE(shown.empty());
}

TEST_F(PGPInterfaceDecode, DecodeSectionTextPassesKeysAndTextAndReportsTheCheck)
{
    Make();
    std::string output, statusText, charset;
    uint32_t statusCode = 0;
    ASSERT_EQ(pgp->DecodeSectionText(Message("clearsigned.asc"), nullptr, true, output, statusCode, statusText,
                  charset),
        0);
    EXPECT_NE(output.find(kPlainLine), std::string::npos);
    EXPECT_EQ(statusText.substr(0, 2), std::to_string(statusCode & 0xFFFF) + " ");
    EXPECT_TRUE(KeyRings().WatchRingFiles);

    ASSERT_EQ(pgp->DecodeSectionText(Message("sam-key.asc"), nullptr, false, output, statusCode, statusText, charset),
        0);
    EXPECT_NE(output.find("-----BEGIN PGP PUBLIC KEY BLOCK-----"), std::string::npos);
    EXPECT_EQ(statusCode, 0u);
    EXPECT_TRUE(statusText.empty());
}

TEST_F(PGPInterfaceDecode, ATextLetGoIsFreedOnlyOnceItsDecodeIsDone)
{
    Make();
    answers = std::vector<std::string>(5, "rita-pass");
    std::string output, charset;
    TKeyIDData recipients;
    TSignatureData signature;
    std::string plain;
    ASSERT_EQ(pgp->DecryptText(Message("encrypted.asc"), nullptr, true, true, false, false, plain, charset,
                  recipients, signature),
        0);
    ASSERT_NE(plain.find(kPlainLine), std::string::npos);

    // Decrypted: the text is gone, the output is the same.
    std::string text = Message("encrypted.asc");
    ASSERT_EQ(pgp->DecryptLettingGo(text, nullptr, true, true, false, false, output, charset, recipients, signature),
        0);
    EXPECT_EQ(output, plain);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(text.capacity(), std::string().capacity());

    // A failure, or a clear-signed text kept as it is, leaves the text for the caller.
    for (const char* name : { "tampered.asc", "clearsigned.asc" }) {
        text = Message(name);
        pgp->DecryptLettingGo(text, nullptr, true, true, true, false, output, charset, recipients, signature);
        EXPECT_TRUE(output.empty()) << name;
        EXPECT_EQ(text, Message(name)) << name;
    }

    // The signing key is in the key source: the second decode still reads the text.
    decoder.CheckSignatures = true;
    decoder.KeySourceText = Message("una-key.asc");
    text = Message("clearsigned-unknown.asc");
    ASSERT_EQ(decoder.DecodeLettingGo(text), 0);
    EXPECT_EQ(decoder.SigProps.State, kSigGood);
    EXPECT_NE(decoder.Output.find(kPlainLine), std::string::npos);
    EXPECT_TRUE(text.empty());

    // A PGP/MIME section decrypts under its other header fields, whether the plaintext is a signed
    // entity (decoded once more) or plain text (kept as it came out).
    const std::string header = "Subject: Plans\r\nMessage-ID: <1@example.org>\r\n";
    const auto entity = [&header](const std::string& armour) {
        return header
            + "Content-Type: multipart/encrypted; protocol=\"application/pgp-encrypted\"; boundary=\"e1\"\r\n\r\n"
              "--e1\r\nContent-Type: application/pgp-encrypted\r\n\r\nVersion: 1\r\n\r\n"
              "--e1\r\nContent-Type: application/octet-stream\r\n\r\n"
            + armour + "\r\n--e1--\r\n";
    };
    std::string statusText;
    uint32_t statusCode = 0;
    ASSERT_EQ(pgp->DecodeSectionText(entity(Message("encrypted.asc")), nullptr, true, output, statusCode, statusText,
                  charset),
        0);
    EXPECT_EQ(output.substr(0, header.size()), header);
    ASSERT_GE(output.size(), plain.size());
    EXPECT_EQ(output.substr(output.size() - plain.size()), plain);
    EXPECT_LT(output.size(), header.size() + plain.size() + 8) << output;

    const std::string signedEntity = Message("pgpmime-encrypted.eml");
    const size_t armour = signedEntity.find("-----BEGIN PGP MESSAGE");
    ASSERT_NE(armour, std::string::npos);
    ASSERT_EQ(pgp->DecodeSectionText(entity(signedEntity.substr(armour, signedEntity.find("\r\n--e1--") - armour)),
                  nullptr, true, output, statusCode, statusText, charset),
        0);
    EXPECT_EQ(output.substr(0, header.size()), header);
    EXPECT_NE(output.find(kPlainLine), std::string::npos);
    EXPECT_EQ(output.find("-----BEGIN PGP"), std::string::npos);
    EXPECT_NE(statusCode, 0u);
    EXPECT_TRUE(shown.empty());
}

} // namespace
