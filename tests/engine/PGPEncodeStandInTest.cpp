// The encoder under Wine against the stand-in SDK on key rings GnuPG made: inline, PGP/MIME and
// detached output, signer and recipient resolution, encrypt-to-self, the passphrase cache, the
// failure statuses, and the interface's encode operations. Outputs go to a folder that the gpg
// interop check reads afterwards.
#include "engine/KeyFuncs.h"
#include "engine/PGPDecode.h"
#include "engine/PGPEncode.h"
#include "engine/PGPInterface.h"
#include "engine/X509Chain.h"
#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"

#include "KeyDialogDriver.h"
#include "PGPInterfaceTestTexts.h"

#include "support/StandInSdk.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <regex>

namespace {

const std::string kLetter = "Dear Bob,\r\n-- not a signature dash line\r\nFrom the garden: \xE4pfel.\r\n";

class PGPEncodeStandIn : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LoadStandInSdk();
        CreateDirectoryA(WindowsPath(ZAVEK_ENCODER_OUT).c_str(), nullptr);
    }
    static void TearDownTestSuite() { ReleasePGPsdk(); }

    void SetUp() override
    {
        ASSERT_EQ(SDKLoadError, 0);
        UseKeyRingCopies(scratch, ZAVEK_KEY_FIXTURES);
        if (HasFatalFailure())
            return;
        ann = FullKeyID("ann@example.org");
        bob = FullKeyID("bob@example.net");
    }
    void TearDown() override
    {
        EXPECT_EQ(KeyRings().OpenCount(), 0);
    }

    static std::string FullKeyID(const std::string& text)
    {
        std::unique_ptr<TKeyPropsList> list;
        EXPECT_EQ(FindKeys(text, list, kKeyPropKeyID, 0, 0), 1) << text;
        return list ? (*list)[0] : "";
    }
    // An encoder whose passphrase "dialog" answers from `passphrases` by key and counts its calls.
    std::unique_ptr<TPGPEncode> Encoder(TSecure* secure = nullptr)
    {
        auto encoder = std::make_unique<TPGPEncode>(secure,
            [this](PGPContextRef, PGPKeySetRef, PGPKeyDBObjRef& key, const TEncodeSettings&, TSecureBytes& out) {
                ++asked;
                if (answer != kPGPError_NoErr)
                    return answer;
                const std::string pass = KeyIDText(key) == ann ? annPassphrase : "";
                out = NewSecureData(pass.size() + 1);
                std::copy(pass.begin(), pass.end(), out.data());
                return PGPError(kPGPError_NoErr);
            },
            [this](std::string& text, TKeyPropsList& keys, bool& remembered, const TEncodeSettings&) {
                offered = keys.Count();
                return choices.empty() ? int(kKeyDialogCancelled) : choices.at(choice++)(text, remembered);
            });
        encoder->Settings.Charset = "ISO-8859-1";
        encoder->Settings.HashChoice = 4;
        return encoder;
    }
    static void Save(const std::string& name, const std::string& content)
    {
        std::ofstream(WindowsPath(std::string(ZAVEK_ENCODER_OUT) + "/" + name), std::ios::binary) << content;
    }

    TScratchFolder scratch { "zavek-encode" };
    const std::string folder = scratch.path;
    std::string ann, bob;
    std::string annPassphrase = "ann-pass";
    PGPError answer = kPGPError_NoErr;
    int asked = 0;
    // The key dialog's answers in turn (none: cancelled), and how many keys it was offered.
    std::vector<std::function<int(std::string& text, bool& remembered)>> choices;
    std::size_t choice = 0;
    int offered = -1;
};

TEST_F(PGPEncodeStandIn, ClearSignedInlineCarriesCharsetInTheSignatureBlock)
{
    auto encoder = Encoder();
    encoder->SignerKeyID = "ann@example.org";
    ASSERT_EQ(encoder->SignBuffer(kLetter, false), 0);
    const std::string& out = encoder->OutputText();
    EXPECT_EQ(out.rfind("-----BEGIN PGP SIGNED MESSAGE-----\r\nHash: SHA256\r\n", 0), 0u) << out;
    const size_t signature = out.find("-----BEGIN PGP SIGNATURE-----");
    ASSERT_NE(signature, std::string::npos);
    EXPECT_NE(out.find("Charset: ISO-8859-1\r\n\r\n", signature), std::string::npos) << out;
    EXPECT_EQ(out.find("Charset:"), out.find("Charset:", signature));
    EXPECT_EQ(encoder->SignerKeyID, ann);
    EXPECT_EQ(encoder->MimeHeaderLength(), 0u);
    Save("clearsigned.asc", out);
}

TEST_F(PGPEncodeStandIn, SignedAndEncryptedInlineToKeyIDWithEncryptToSelfOnce)
{
    struct Case { std::string recipients; std::string expected; };
    const Case cases[] = { { bob, bob + "," + ann }, { bob + "," + ann, bob + "," + ann },
        { "bob@example.net", bob + "," + ann } };
    for (const Case& c : cases) {
        auto encoder = Encoder();
        encoder->Settings.EncryptToSelf = true;
        encoder->RecipientText = c.recipients;
        encoder->SignerKeyID = ann;
        ASSERT_EQ(encoder->EncryptBuffer(kLetter, true, false), 0) << c.recipients;
        EXPECT_EQ(encoder->RecipientText, c.expected);
        const std::string& out = encoder->OutputText();
        EXPECT_EQ(out.rfind("-----BEGIN PGP MESSAGE-----\r\n", 0), 0u);
        EXPECT_NE(out.find("Charset: ISO-8859-1\r\n\r\n"), std::string::npos) << out;
        Save("signed-encrypted.asc", out);
    }
}

TEST_F(PGPEncodeStandIn, PgpMimeEncryptedBodyUnderOwnBoundary)
{
    auto encoder = Encoder();
    encoder->Settings.PGPMime = true;
    encoder->RecipientText = ann;
    const std::string entity = "Content-Type: text/plain; charset=us-ascii\r\n\r\n" + std::string("hello ann\r\n");
    ASSERT_EQ(encoder->EncryptBuffer(entity, false, false), 0);
    const std::string& out = encoder->OutputText();
    std::smatch match;
    ASSERT_TRUE(std::regex_search(out, match,
        std::regex("^Content-Type: multipart/encrypted; protocol=\"application/pgp-encrypted\";\r\n boundary=\""
                   "(PGPMime-=-=-Boundary-=-=-[0-9A-F]{8})\"\r\n\r\n")))
        << out;
    EXPECT_EQ(encoder->MimeHeaderLength(), match.length(0) + 1);
    EXPECT_EQ(out.substr(out.size() - match[1].length() - 8), "\r\n--" + match[1].str() + "--\r\n");
    EXPECT_EQ(out.find("=_PGPStandIn_"), std::string::npos);
    EXPECT_EQ(asked, 0);
    Save("pgpmime-encrypted.eml", "Mime-Version: 1.0\r\n" + out);
}

TEST_F(PGPEncodeStandIn, PgpMimeSignedBodyNamesItsHashInRfcForm)
{
    struct Case { int32_t choice; const char* micalg; };
    // No choice (0) signs with SHA-256; a chosen SHA-1 (2) stays.
    for (const Case& c :
        { Case { 4, "pgp-sha256" }, Case { 6, "pgp-sha512" }, Case { 0, "pgp-sha256" }, Case { 2, "pgp-sha1" } }) {
        auto encoder = Encoder();
        encoder->Settings.PGPMime = true;
        encoder->Settings.OmitMimeVersion = false;
        encoder->Settings.HashChoice = c.choice;
        encoder->SignerKeyID = ann;
        ASSERT_EQ(encoder->SignBuffer("Content-Type: text/plain\r\n\r\nsigned by ann\r\n", false), 0);
        const std::string& out = encoder->OutputText();
        EXPECT_EQ(out.rfind(std::string("Mime-Version: 1.0\r\nContent-Type: multipart/signed; protocol=\"application/"
                                        "pgp-signature\";\r\n micalg=") + c.micalg + "; boundary=\"PGPMime-=-=-Boundary",
                      0),
            0u) << out;
        if (c.choice == 4)
            Save("pgpmime-signed.eml", out);
    }
}

TEST_F(PGPEncodeStandIn, DetachedSignatureOfTheText)
{
    auto encoder = Encoder();
    encoder->SignerKeyID = bob;
    ASSERT_EQ(encoder->SignDetached(kLetter), 0);
    EXPECT_EQ(encoder->OutputText().rfind("-----BEGIN PGP SIGNATURE-----", 0), 0u) << encoder->OutputText();
    EXPECT_EQ(encoder->SignerKeyID, bob);
    Save("detached.txt", kLetter);
    Save("detached.txt.asc", encoder->OutputText());
}

TEST_F(PGPEncodeStandIn, FailuresGiveTheirStatusAndNoOutput)
{
    struct Case {
        const char* name;
        std::string text, recipients, signer;
        bool sign, encrypt, smime;
        PGPError dialogAnswer;
        std::string passphrase;
        int32_t status;
    };
    const Case cases[] = {
        { "empty input", "", bob, "", false, true, false, 0, "ann-pass", kStatusEmptyInput },
        { "key dialog cancelled on ambiguous recipients", "x", "example", "", false, true, false, 0, "ann-pass",
            kStatusCancelled },
        { "key dialog cancelled on no recipients", "x", "", "", false, true, false, 0, "ann-pass", kStatusCancelled },
        { "no signer and no default", "x", "", "nobody@nowhere", true, false, false, 0, "ann-pass",
            kStatusNoSigningKey },
        { "passphrase dialog cancelled", "x", "", ann, true, false, false, kStatusCancelled, "ann-pass",
            kStatusCancelled },
        { "wrong passphrase", "x", bob, ann, true, true, false, 0, "wrong", kPGPError_BadPassphrase },
        { "S/MIME signing needs a certificate", "x", "", ann, true, false, true, 0, "ann-pass", kX509NoCertificate },
        { "S/MIME encryption needs a certificate", "x", bob, "", false, true, true, 0, "ann-pass", kX509NoCertificate },
    };
    for (const Case& c : cases) {
        answer = c.dialogAnswer;
        annPassphrase = c.passphrase;
        auto encoder = Encoder();
        encoder->RecipientText = c.recipients;
        encoder->SignerKeyID = c.signer;
        const int32_t status
            = c.encrypt ? encoder->EncryptBuffer(c.text, c.sign, c.smime) : encoder->SignBuffer(c.text, c.smime);
        EXPECT_EQ(status, c.status) << c.name;
        EXPECT_EQ(encoder->OutputText(), "") << c.name;
        EXPECT_EQ(KeyRings().OpenCount(), 0) << c.name;
    }
}

TEST_F(PGPEncodeStandIn, KeyDialogResultsBecomeKeyIDs)
{
    auto choose = [](std::string value, int result) {
        return [value, result](std::string& text, bool&) {
            text = value;
            return result;
        };
    };
    struct Case {
        const char* name;
        std::string recipients;
        bool multiple;
        std::vector<std::function<int(std::string&, bool&)>> answers;
        int32_t status;
        std::string expected; // recipient text afterwards; filled in below for key ids
    };
    const std::vector<Case> cases = {
        { "chosen key ids", "example", false, { choose(bob + "," + ann, kKeyDialogChosen) }, 0, "B,A" },
        { "multiple selection always asks", "bob@example.net", true, { choose(ann, kKeyDialogChosen) }, 0, "A" },
        { "a text that is no key id asks again", "", false,
            { choose("team", kKeyDialogChosen), choose(bob, kKeyDialogChosen) }, 0, "B" },
        { "typed key", "bobby@example.com", false, { choose(bob + "bobby@example.com", kKeyDialogTypedKey) }, 0, "B" },
        { "key-server search", "nobody@example.com", false, { choose("nobody@example.com", kKeyDialogSearchServer) },
            kStatusNotAvailable, "nobody@example.com" },
        { "typed key without a key id", "x", false, { choose("0xnothing", kKeyDialogTypedKey) }, kStatusNoKey,
            "0xnothing" },
        { "no dialog could be made", "x", false, { choose("", kKeyDialogFailed) }, kStatusNoKey, "" },
    };
    for (const Case& c : cases) {
        choices = c.answers;
        choice = 0;
        auto encoder = Encoder();
        encoder->Settings.MultipleSelection = c.multiple;
        encoder->RecipientText = c.recipients;
        EXPECT_EQ(encoder->EncryptBuffer(kLetter, false, false), c.status) << c.name;
        std::string expected = c.expected;
        if (expected == "B,A")
            expected = bob + "," + ann;
        else if (expected == "A")
            expected = ann;
        else if (expected == "B")
            expected = bob;
        EXPECT_EQ(encoder->RecipientText, expected) << c.name;
        EXPECT_EQ(choice, c.answers.size()) << c.name;
        EXPECT_GE(offered, 2) << c.name;
        if (std::string(c.name) == "typed key") {
            ASSERT_EQ(encoder->FoundKeys.Count(), 1);
            EXPECT_EQ(encoder->FoundKeys[0], bob);
            EXPECT_EQ(encoder->FoundKeys.Record(0).UserID, "bobby@example.com");
        }
    }
}

TEST_F(PGPEncodeStandIn, EnteredPassphraseIsCachedForTheNextSignature)
{
    auto sdk = NewSdkSecure();
    TSecure secure(*sdk, SDKGeneration, nullptr);
    secure.SetCacheSeconds(60);
    for (int round = 0; round < 2; ++round) {
        auto encoder = Encoder(&secure);
        encoder->SignerKeyID = ann;
        ASSERT_EQ(encoder->SignBuffer(kLetter, false), 0) << round;
    }
    EXPECT_EQ(asked, 1);
    secure.SetCacheSeconds(-1);
    auto encoder = Encoder(&secure);
    encoder->SignerKeyID = ann;
    ASSERT_EQ(encoder->SignBuffer(kLetter, false), 0);
    EXPECT_EQ(asked, 2);
}

TEST_F(PGPEncodeStandIn, InterfaceEncodesMimeAndInlineAndFillsTheRecords)
{
    TTestTexts texts;
    TPGPInterface pgp(nullptr, *texts.errorTexts, *texts.texts, nullptr, NewSdkSecure(),
        [](const std::string&, TMessageKind, int) { return false; });
    TEncodeRequest request;
    request.Encrypt = true;
    TKeyIDData recipients, signer, chosen;
    chosen.KeyIDText = bob;
    chosen.Count = 1;
    TEncodedText encoded;
    ASSERT_EQ(pgp.EncodeMimeBody("Content-Type: text/plain\r\n\r\nhi\r\n", request, nullptr, &recipients,
                  signer, chosen, encoded),
        0);
    std::string result = encoded.Joined();
    EXPECT_EQ(result.rfind("Content-Type: multipart/encrypted;", 0), 0u) << result;
    EXPECT_EQ(chosen.KeyIDText, bob);
    EXPECT_EQ(recipients.Count, 1);
    EXPECT_NE(recipients.UserText.find("bob@example.net"), std::string::npos);

    bool askedOnce = false;
    chosen = TKeyIDData();
    chosen.UserText = "ann@example.org";
    // A typed text without automatic lookup goes to the key dialog, here cancelled.
    std::string dialogTitle;
    {
        TDialogDriver cancel([&](HWND dialog, HWND) {
            char title[128] = {};
            GetDlgItemTextA(dialog, kKeyDialogTitle, title, sizeof title);
            dialogTitle = title;
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(pgp.EncodeInlineText(
                      "hello\r\n", "UTF-8", request, nullptr, askedOnce, &recipients, signer, chosen, encoded),
            kStatusCancelled);
    }
    EXPECT_EQ(dialogTitle, texts.texts->GetEntry(281));
    request.AutoRecipients = true;
    ASSERT_EQ(pgp.EncodeInlineText(
                  "hello\r\n", "UTF-8", request, nullptr, askedOnce, &recipients, signer, chosen, encoded),
        0);
    result = encoded.Joined();
    EXPECT_EQ(result.rfind("-----BEGIN PGP MESSAGE-----\r\n", 0), 0u);
    EXPECT_NE(result.find("Charset: UTF-8"), std::string::npos);
    EXPECT_EQ(chosen.KeyIDText, ann);

    ASSERT_EQ(pgp.EncryptTextToKey("binary please", bob, result, nullptr), 0);
    EXPECT_FALSE(result.empty());
    EXPECT_EQ(result.find("-----BEGIN"), std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>(result[0]) & 0x80, 0x80); // a binary packet header

    // Keys marked in the dialog are kept for the message's other inline parts.
    request.AutoRecipients = false;
    request.MultipleSelection = true;
    chosen = TKeyIDData();
    askedOnce = false;
    {
        TDialogDriver markAll([](HWND dialog, HWND tree) {
            BYTE keys[256] = {};
            keys[VK_CONTROL] = 0x80;
            SetKeyboardState(keys);
            SendMessageA(tree, WM_KEYDOWN, 'A', 0);
            keys[VK_CONTROL] = 0;
            SetKeyboardState(keys);
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        ASSERT_EQ(pgp.EncodeInlineText(
                      "hello\r\n", "UTF-8", request, nullptr, askedOnce, &recipients, signer, chosen, encoded),
            0);
    }
    EXPECT_TRUE(askedOnce);
    EXPECT_NE(chosen.KeyIDText.find(ann), std::string::npos) << chosen.KeyIDText;
    EXPECT_NE(chosen.KeyIDText.find(bob), std::string::npos) << chosen.KeyIDText;
}

TEST_F(PGPEncodeStandIn, TheSdkPassphraseDialogsSignAndEncryptConventionally)
{
    // The stand-in's dialogs answer themselves from this file: twice the passphrase, then cancel;
    // for passphrase-only encryption a passphrase, then cancel.
    const std::string answers = folder + "answers.txt";
    std::ofstream(answers) << "signing: pass ann-pass\nsigning: pass ann-pass\nsigning: cancel\n"
                           << "conventional-encryption: pass sesame\nconventional-encryption: cancel\n";
    ASSERT_TRUE(SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", answers.c_str()));
    TTestTexts texts;
    TPGPInterface pgp(nullptr, *texts.errorTexts, *texts.texts, nullptr, NewSdkSecure(),
        [](const std::string&, TMessageKind, int) { return false; });

    // As the plug-in runs it: a cache callback, no passphrase kept between requests, and every
    // request one hold. One send signs each of its parts with the passphrase asked once.
    pgp.SetCacheCallback([](int32_t, bool) {});
    pgp.CacheSeconds = -1;
    TKeyIDData signer;
    signer.UserText = "ann@example.org";
    TEncodeRequest request;
    request.Sign = true;
    TKeyIDData recipients, chosen;
    TEncodedText result;
    pgp.BeginCacheHold();
    ASSERT_EQ(pgp.EncodeMimeBody("Content-Type: text/plain\r\n\r\nx\r\n", request, nullptr, &recipients,
                  signer, chosen, result),
        0);
    EXPECT_NE(result.Joined().find("micalg=pgp-"), std::string::npos) << result.Joined();
    bool askedOnce = false;
    ASSERT_EQ(pgp.EncodeInlineText("second part\r\n", "UTF-8", request, nullptr, askedOnce, &recipients, signer,
                  chosen, result),
        0);
    EXPECT_EQ(result.Joined().rfind("-----BEGIN PGP ", 0), 0u) << result.Joined();
    pgp.EndCacheHold();
    EXPECT_TRUE(pgp.IsCacheEmpty());

    // The next request asks again (the second answer); the one after it is cancelled.
    std::string signature;
    pgp.BeginCacheHold();
    ASSERT_EQ(pgp.SignDetached(kLetter, nullptr, signature, signer), 0);
    pgp.EndCacheHold();
    EXPECT_EQ(signature.rfind("-----BEGIN PGP SIGNATURE-----", 0), 0u);
    EXPECT_EQ(signer.KeyIDText, ann);
    EXPECT_EQ(pgp.SignDetached(kLetter, nullptr, signature, signer), kStatusCancelled);
    EXPECT_EQ(signature, "");
    EXPECT_TRUE(pgp.LastOpCancelled());

    // Passphrase-only: no key is asked for, and the passphrase alone opens the message.
    auto encoder = Encoder();
    encoder->SetConventional(true);
    ASSERT_EQ(encoder->EncryptConventional(kLetter), 0);
    EXPECT_EQ(asked, 0);
    const std::string conventional = encoder->OutputText();
    EXPECT_EQ(conventional.rfind("-----BEGIN PGP MESSAGE-----", 0), 0u) << conventional.substr(0, 80);
    EXPECT_NE(conventional.find("Charset: ISO-8859-1"), std::string::npos);
    Save("conventional.asc", conventional);
    TPGPDecode decoder;
    std::string keyIDsAsked = "none";
    decoder.AskPassphrase
        = [&](const std::string& keyIDs, const std::string&, bool, TSecureBytes& out) -> PGPError {
        keyIDsAsked = keyIDs;
        out = NewSecureData(7);
        std::memcpy(out.data(), "sesame", 7);
        return kPGPError_NoErr;
    };
    ASSERT_EQ(decoder.DecodePass(conventional), 0);
    EXPECT_EQ(decoder.Output, kLetter);
    EXPECT_EQ(keyIDsAsked, "") << "a conventional passphrase names no key";
    EXPECT_EQ(encoder->EncryptConventional(kLetter), kStatusCancelled);
    EXPECT_EQ(encoder->OutputText(), "");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    DeleteFileA(answers.c_str());
}

} // namespace
