// The decrypt road under Wine against the stand-in SDK, on messages GnuPG made: what reaches the
// mail client's output file for encrypted, tampered, clear-signed and PGP/MIME messages, the
// pass-through paths (byte for byte), attachments, raw view and refused decodes; VERIFY and MANAGE
// with and without a file. A recorder stands in for the mail client's windows.
#include "plugin/DecryptRoad.h"
#include "plugin/DecryptPassphrase.h"

#include "engine/KeyFuncs.h"
#include "engine/PGPInterfaceTestTexts.h"
#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"
#include "mime/MailUtils.h"

#include "support/StandInSdk.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

namespace {

const std::string kPlainLine = "the meeting moves to Friday.";

class TRecordingHost : public IDecryptHost {
public:
    TDecodeWindow Window;
    bool Raw = false;
    bool PutBack = false;
    bool Setting86 = true;
    bool Control = false;
    bool HasMessage = false;
    std::string Message;
    bool KeyFileChosen = false;
    std::string KeyFile;
    std::vector<std::string> Status, Errors, SignatureNotes;
    std::vector<uint32_t> Posted;
    int TreesShown = 0;

    TDecodeWindow FindDecodeWindow() override { return Window; }
    bool IsReaderRaw(HWND) override { return Raw; }
    HWND OwnerWindow() override { return nullptr; }
    uint32_t HostBuild() override { return 4500; }
    void SetStatusText(const std::string& text) override { Status.push_back(text); }
    bool ShowsObjects() override { return false; }
    bool GetSetting86Bit0() override { return Setting86; }
    void SetSetting86Bit0(bool on) override { Setting86 = on; }
    TRtfFontSpec MessageFont() override { return {}; }
    bool CanPutBack() override { return PutBack; }
    bool ShowMessageTree(TMimeMsgTree&, HWND) override
    {
        ++TreesShown;
        return false;
    }
    void CloseWindow(HWND) override { ADD_FAILURE() << "no window may be closed"; }
    void ShowSignatureResult(const TSignatureData& signature) override
    {
        SignatureNotes.push_back(signature.StatusText);
    }
    void ShowError(const std::string& text) override { Errors.push_back(text); }
    void PostFrameCommand(uint32_t command) override { Posted.push_back(command); }
    bool ControlHeld() override { return Control; }
    bool ActiveMessageText(std::string& text) override
    {
        text = Message;
        return HasMessage;
    }
    bool ChooseKeyFile(std::string& choice) override
    {
        choice = KeyFile;
        return KeyFileChosen;
    }
    std::string ClipboardText() override { return "clipboard text"; }
    void OfferForRecipientList(const TKeyIDData& keys) override { Offered.push_back(keys.KeyIDText); }
    std::vector<std::string> Offered;
};

class DecryptRoadStandIn : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        AnswerStandInDialogs("zavek-decroad-answers.txt", "select-keys: all\n");
        LoadStandInSdk();
    }
    static void TearDownTestSuite() { ReleasePGPsdk(); }

    void SetUp() override
    {
        ASSERT_EQ(SDKLoadError, 0);
        UseKeyRingCopies(scratch, ZAVEK_DECODER_FIXTURES);
        if (HasFatalFailure())
            return;
        pgp = std::make_unique<TPGPInterface>(nullptr, *t.errorTexts, *t.texts, nullptr, NewSdkSecure(),
            [this](const std::string& text, TMessageKind, int) {
                shown.push_back(text);
                return true;
            });
        pgp->PurgePassphrase();
        pgp->DecryptPassphraseAsk
            = [this](const std::string&, const std::string&, bool, TSecureBytes& out) -> PGPError {
            ++asked;
            if (passphrase.empty())
                return kDecodeCancelled;
            out = NewSecureData(passphrase.size() + 1);
            std::memcpy(out.data(), passphrase.c_str(), passphrase.size() + 1);
            return kPGPError_NoErr;
        };
        options.CheckSig = true;
        options.IncludeInfo = 1;
        road = std::make_unique<TDecryptRoad>(*pgp, host, options, *t.texts, context);
    }
    void TearDown() override
    {
        road.reset();
        pgp.reset();
        EXPECT_EQ(KeyRings().OpenCount(), 0);
    }

    static std::string Fixture(const std::string& name)
    {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(WindowsPath(std::string(ZAVEK_DECODER_FIXTURES) + "/" + name), bytes)) << name;
        return bytes;
    }
    std::string Put(const std::string& name, const std::string& bytes)
    {
        std::ofstream(scratch.path + name, std::ios::binary) << bytes;
        return scratch.path + name;
    }
    std::string Out()
    {
        std::string bytes;
        ReadFileBytes(scratch.path + "out.txt", bytes);
        return bytes;
    }
    static int UnaKeys()
    {
        std::unique_ptr<TKeyPropsList> list;
        const int count = FindKeys("una@example.org", list, kKeyPropKeyID, 0, 0);
        return count == kNoKeyMatches ? 0 : count;
    }
    // The public ring as written; user ids stand in it as plain text.
    std::string RingFile()
    {
        std::string bytes;
        ReadFileBytes(scratch.path + "pubring.pkr", bytes);
        return bytes;
    }
    int32_t Decrypt(const std::string& name, const std::string& bytes)
    {
        DeleteFileA((scratch.path + "out.txt").c_str());
        return road->DecryptMessage(Put(name, bytes), scratch.path + "out.txt");
    }

    TTestTexts t;
    TScratchFolder scratch { "zavek-decroad" };
    std::unique_ptr<TPGPInterface> pgp;
    TRecordingHost host;
    TOptionValues options;
    TDecodeContext context;
    std::unique_ptr<TDecryptRoad> road;
    std::vector<std::string> shown;
    std::string passphrase = "rita-pass";
    int asked = 0;
};

const std::string kHeader = "From: Sam <sam@example.org>\r\nSubject: Friday\r\n\r\n";

TEST_F(DecryptRoadStandIn, AnEncryptedMessageIsDecryptedBetweenItsLeadingAndTrailingText)
{
    const std::string message = kHeader + Fixture("encrypted.asc") + "\r\n-- \r\nSam\r\n";
    ASSERT_EQ(Decrypt("msg.cnm", message), TDecryptRoad::WRITTEN);
    const std::string out = Out();
    EXPECT_EQ(out.rfind(kHeader, 0), 0u) << out;
    EXPECT_NE(out.find("Hello Rita,\r\n" + kPlainLine), std::string::npos) << out;
    EXPECT_EQ(out.find("BEGIN PGP"), std::string::npos) << out;
    EXPECT_EQ(out.substr(out.size() - 12), "\r\n-- \r\nSam\r\n");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(host.Status, (std::vector<std::string> { "T418 ...", "T418T420" }));
    EXPECT_TRUE(shown.empty());
}

TEST_F(DecryptRoadStandIn, RefusedDecryptionsLeaveTheMessageAsItCameAndNoPlaintext)
{
    struct TCase {
        const char* file;
        std::string pass;
        bool errorShown;
    };
    const TCase cases[] = {
        { "tampered.asc", "rita-pass", true }, { "no-mdc.asc", "rita-pass", true },
        { "encrypted.asc", "", false }, // the passphrase dialog was cancelled
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.file);
        shown.clear();
        host.Status.clear();
        passphrase = c.pass;
        const std::string message = kHeader + Fixture(c.file);
        ASSERT_EQ(Decrypt("msg.cnm", message), TDecryptRoad::WRITTEN);
        EXPECT_EQ(Out(), message);
        EXPECT_EQ(shown.size(), c.errorShown ? 1u : 0u);
        EXPECT_EQ(host.Status.back(), "T418T419");
        EXPECT_TRUE(road->SignatureResult().StatusText.empty());
        EXPECT_TRUE(host.SignatureNotes.empty());
    }
}

TEST_F(DecryptRoadStandIn, PassThroughKeepsTheBytesAsRead)
{
    // No protected block: lone CR and LF bytes and a NUL survive.
    const std::string binary = std::string("GIF89a\r\x00\x01\n\r\r\n\xFF", 14) + "plain\n";
    ASSERT_EQ(Decrypt("image.gif", binary), TDecryptRoad::WRITTEN);
    EXPECT_EQ(Out(), binary);
    EXPECT_TRUE(host.Status.empty());

    // Raw view hands the message through once and disarms itself.
    const std::string armoured = "Intro\n" + Fixture("encrypted.asc");
    context.RawViewToggle = true;
    ASSERT_EQ(Decrypt("msg.cnm", armoured), TDecryptRoad::WRITTEN);
    EXPECT_EQ(Out(), armoured);
    EXPECT_FALSE(context.RawViewToggle);
    host.Window.ShownRaw = true;
    ASSERT_EQ(Decrypt("msg.cnm", armoured), TDecryptRoad::WRITTEN);
    EXPECT_EQ(Out(), armoured);
    EXPECT_EQ(asked, 0);
}

TEST_F(DecryptRoadStandIn, RefusedDecodesCopyTheFileThrough)
{
    const std::string armoured = Fixture("encrypted.asc");
    struct TCase {
        const char* name;
        bool allowed;
        bool suppressed;
    };
    for (const TCase& c : { TCase { "folder manager without 343", false, false }, TCase { "suppressed", true, true } }) {
        SCOPED_TRACE(c.name);
        host.Window.FolderManager = true;
        host.Window.DecodeAllowed = c.allowed;
        context.DecodingSuppressed = c.suppressed;
        ASSERT_EQ(Decrypt("msg.cnm", armoured), TDecryptRoad::WRITTEN);
        EXPECT_EQ(Out(), armoured);
        EXPECT_TRUE(context.FolderManagerMode);
    }
    EXPECT_EQ(asked, 0);

    EXPECT_TRUE(host.Errors.empty());
    // No input file, or no output file: nothing at all, and nothing to tell.
    EXPECT_EQ(road->DecryptMessage("", scratch.path + "out.txt"), 0);
    EXPECT_EQ(road->DecryptMessage(Put("plain.txt", "just text"), ""), 0);
    EXPECT_TRUE(host.Errors.empty());
}

TEST_F(DecryptRoadStandIn, WithoutTheTreeDialogAPendingTreeGivesWayToTheDecode)
{
    context.ShowAsTreePending = true;
    ASSERT_EQ(Decrypt("msg.cnm", kHeader + Fixture("encrypted.asc")), TDecryptRoad::WRITTEN);
    EXPECT_EQ(host.TreesShown, 1);
    EXPECT_FALSE(context.ShowAsTreePending);
    EXPECT_EQ(Out(), kHeader + "Hello Rita,\r\n" + kPlainLine + "\r\n");
}

TEST_F(DecryptRoadStandIn, EveryFailedRequestNamesTheFileAndWhatFailed)
{
    const std::string out = scratch.path + "out.txt";
    const std::string missingFolder = scratch.path + "no-such-folder\\out.txt";
    const std::string locked = Put("locked.cnm", Fixture("encrypted.asc"));
    HANDLE lock = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    struct TCase {
        const char* name;
        std::string in, out, named;
        bool decodeAllowed;
    } cases[] = {
        { "locked input", locked, out, locked, true },
        { "missing input", scratch.path + "missing.cnm", out, scratch.path + "missing.cnm", true },
        { "encrypted into a missing folder", Put("msg.cnm", Fixture("encrypted.asc")), missingFolder,
            missingFolder, true },
        { "plain text into a missing folder", Put("plain.txt", "just text"), missingFolder, missingFolder, true },
        { "copied through into a missing folder", Put("copy.cnm", "text"), missingFolder, missingFolder, false },
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        host.Errors.clear();
        host.Window.DecodeAllowed = c.decodeAllowed;
        EXPECT_EQ(road->DecryptMessage(c.in, c.out), 0);
        ASSERT_EQ(host.Errors.size(), 1u);
        EXPECT_EQ(host.Errors[0].rfind(c.named + "\r\n\r\n", 0), 0u) << host.Errors[0];
        EXPECT_GT(host.Errors[0].size(), c.named.size() + 6) << "the reason is missing";
    }
    CloseHandle(lock);
}

TEST_F(DecryptRoadStandIn, AttachmentsInAttachmentModeByExtension)
{
    const std::string encrypted = "Intro\r\n\r\n" + Fixture("encrypted.asc");
    const std::string clearSigned = "Intro\r\n\r\n" + Fixture("clearsigned.asc");
    context.AttachmentMode = true;
    // ".asc" and ".pgp" give the armoured block alone, without a passphrase asked.
    for (const char* name : { "letter.asc", "LETTER.PGP" }) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Decrypt(name, encrypted), TDecryptRoad::WRITTEN);
        EXPECT_EQ(Out().rfind("-----BEGIN PGP MESSAGE-----", 0), 0u);
        EXPECT_EQ(Out().find("Intro"), std::string::npos);
    }
    EXPECT_EQ(asked, 0);
    // Another extension: a signed block goes through as it came, an encrypted one is decrypted.
    ASSERT_EQ(Decrypt("letter.txt", clearSigned), TDecryptRoad::WRITTEN);
    EXPECT_EQ(Out(), clearSigned);
    ASSERT_EQ(Decrypt("letter.txt", encrypted), TDecryptRoad::WRITTEN);
    EXPECT_NE(Out().find(kPlainLine), std::string::npos);
    // The mail client's own temporary files are messages, not attachments, unless the part names a file.
    ASSERT_EQ(Decrypt("~PM4711.PM$", clearSigned), TDecryptRoad::WRITTEN);
    EXPECT_EQ(Out().find("BEGIN PGP SIGNATURE"), std::string::npos);
    const std::string namedPart = "Content-Disposition: attachment; filename=\"letter.txt\"\r\n\r\n"
        + Fixture("clearsigned.asc");
    ASSERT_EQ(Decrypt("~PM4712.PM$", namedPart), TDecryptRoad::WRITTEN);
    EXPECT_EQ(Out(), namedPart);
    // Without attachment mode ".asc" is decrypted as well.
    context.AttachmentMode = false;
    ASSERT_EQ(Decrypt("letter.asc", encrypted), TDecryptRoad::WRITTEN);
    EXPECT_NE(Out().find(kPlainLine), std::string::npos);
}

TEST_F(DecryptRoadStandIn, ClearSignedMessagesShowTheSignedText)
{
    struct TCase {
        const char* file;
        bool checkSig;
        bool armourKept;
    };
    const TCase cases[] = {
        { "clearsigned.asc", true, false },
        { "clearsigned-bad.asc", true, false }, // a bad signature is still a decode that counts
        { "clearsigned-unknown.asc", true, false },
        { "clearsigned.asc", false, true },
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " " << c.checkSig);
        options.CheckSig = c.checkSig;
        host.SignatureNotes.clear();
        ASSERT_EQ(Decrypt("msg.cnm", kHeader + Fixture(c.file)), TDecryptRoad::WRITTEN);
        const std::string out = Out();
        EXPECT_EQ(out.rfind(kHeader, 0), 0u);
        EXPECT_NE(out.find("Hello Rita,"), std::string::npos) << out;
        EXPECT_EQ(out.find("BEGIN PGP SIGNATURE") != std::string::npos, c.armourKept) << out;
        // The signer is shown only with CheckSig and Include on.
        EXPECT_EQ(host.SignatureNotes.size(), c.checkSig ? 1u : 0u);
    }
    // A signature block the decoder cannot read checks nothing: the message stays as it came, and
    // the status line says that nothing was decrypted or verified instead of "done".
    options.CheckSig = true;
    std::string damaged = Fixture("clearsigned.asc");
    const size_t signature = damaged.find("-----BEGIN PGP SIGNATURE-----");
    ASSERT_NE(signature, std::string::npos);
    damaged = damaged.substr(0, signature) + "-----BEGIN PGP SIGNATURE-----\n\n!!!!\n-----END PGP SIGNATURE-----\n";
    shown.clear();
    host.SignatureNotes.clear();
    ASSERT_EQ(Decrypt("msg.cnm", kHeader + damaged), TDecryptRoad::WRITTEN);
    EXPECT_EQ(Out(), kHeader + damaged);
    EXPECT_EQ(host.Status.back(), "T418T449");
    EXPECT_FALSE(road->Outcome().Done());
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(host.SignatureNotes.empty());

    // In the signature popup the note is left to the mail client.
    context.SignaturePopup = true;
    host.SignatureNotes.clear();
    ASSERT_EQ(Decrypt("msg.cnm", Fixture("clearsigned.asc")), TDecryptRoad::WRITTEN);
    EXPECT_TRUE(host.SignatureNotes.empty());
    EXPECT_FALSE(road->SignatureResult().StatusText.empty());
}

TEST_F(DecryptRoadStandIn, PgpMimeMessageBecomesItsBodyUnderAPlainHeader)
{
    const std::string message = "From: Sam <sam@example.org>\r\nSubject: Friday\r\nMIME-Version: 1.0\r\n"
        + Fixture("pgpmime-encrypted.eml");
    ASSERT_EQ(Decrypt("msg.cnm", message), TDecryptRoad::WRITTEN);
    const std::string out = Out();
    EXPECT_EQ(out.rfind("From: Sam <sam@example.org>\r\nSubject: Friday\r\n", 0), 0u) << out;
    EXPECT_EQ(out.find("multipart/encrypted"), std::string::npos) << out;
    EXPECT_NE(out.find(kPlainLine), std::string::npos) << out;
    EXPECT_EQ(out.find("BEGIN PGP"), std::string::npos) << out;
    // Without a put-back the mail client's setting is left alone.
    EXPECT_TRUE(host.Setting86);
    EXPECT_FALSE(context.Setting86Saved);

    // A signed PGP/MIME message shows its body and its signer.
    host.SignatureNotes.clear();
    ASSERT_EQ(Decrypt("msg.cnm", "From: Sam <sam@example.org>\r\n" + Fixture("pgpmime-signed.eml")),
        TDecryptRoad::WRITTEN);
    const std::string signedOut = Out();
    EXPECT_EQ(signedOut.rfind("From: Sam <sam@example.org>\r\n\r\n", 0), 0u) << signedOut;
    EXPECT_NE(signedOut.find(kPlainLine), std::string::npos) << signedOut;
    EXPECT_EQ(signedOut.find("BEGIN PGP SIGNATURE"), std::string::npos) << signedOut;
    EXPECT_EQ(signedOut.find("multipart/signed"), std::string::npos) << signedOut;
    EXPECT_EQ(host.SignatureNotes.size(), 1u);
}

TEST_F(DecryptRoadStandIn, WithAPutBackTheSettingIsSavedAndGivenBackOnce)
{
    host.PutBack = true;
    ASSERT_EQ(Decrypt("msg.cnm", Fixture("pgpmime-encrypted.eml")), TDecryptRoad::WRITTEN);
    EXPECT_FALSE(host.Setting86);
    EXPECT_TRUE(context.Setting86Saved);
    road->RestoreHostSetting();
    EXPECT_TRUE(host.Setting86);
    host.Setting86 = false;
    road->RestoreHostSetting();
    EXPECT_FALSE(host.Setting86);

    // An inline message is never formatted: its text goes into the file.
    context.Formatted = true;
    ASSERT_EQ(Decrypt("msg.cnm", "Subject: x\r\n\r\n" + Fixture("encrypted.asc")), TDecryptRoad::WRITTEN);
    EXPECT_EQ(Out(), "Subject: x\r\n\r\nHello Rita,\r\n" + kPlainLine + "\r\n");
    EXPECT_FALSE(context.Formatted);
}

TEST_F(DecryptRoadStandIn, VerifyFileOnceBySameNameAndReportsUnreadableFiles)
{
    road->VerifyFile("");
    EXPECT_EQ(host.Posted, (std::vector<uint32_t> { TDecryptRoad::CMD_HOST_VERIFY }));

    const std::string file = Put("signed.txt", kHeader + "Intro\r\n\r\n" + Fixture("clearsigned.asc"));
    context.DecodingSuppressed = true;
    road->VerifyFile(file);
    EXPECT_FALSE(context.DecodingSuppressed);
    ASSERT_EQ(host.SignatureNotes.size(), 1u);
    EXPECT_FALSE(host.SignatureNotes[0].empty());
    EXPECT_EQ(shown.size(), 1u); // the interface's own result box
    road->VerifyFile(file);
    EXPECT_EQ(host.SignatureNotes.size(), 1u);
    road->VerifyFile(file);
    EXPECT_EQ(host.SignatureNotes.size(), 2u);

    // A PGP/MIME signed message with the mail's own header fields above its Content-Type.
    road->VerifyFile(Put("mime.txt", "From: Sam <sam@example.org>\r\n" + Fixture("pgpmime-signed.eml")));
    ASSERT_EQ(host.SignatureNotes.size(), 3u);
    EXPECT_EQ(host.SignatureNotes[2].rfind("T320", 0), 0u) << host.SignatureNotes[2]; // good, and wholly signed

    road->VerifyFile(scratch.path + "missing.txt");
    EXPECT_EQ(host.Errors, (std::vector<std::string> { scratch.path + "missing.txt\r\n\r\nT342" }));
}

TEST_F(DecryptRoadStandIn, ManageKeysFromTextFileWindowOrKeyFileDialog)
{
    // Without the recipient list each import reports its count itself.
    options.AutoPush = false;
    // No message open and Ctrl up: the mail client's own command, nothing imported.
    road->ManageKeys("", 0);
    EXPECT_EQ(host.Posted, (std::vector<uint32_t> { TDecryptRoad::CMD_HOST_MANAGE }));
    EXPECT_TRUE(shown.empty());
    // Ctrl held and the dialog cancelled: nothing either.
    host.Control = true;
    road->ManageKeys("", 0);
    EXPECT_EQ(host.Posted.size(), 1u);
    EXPECT_TRUE(shown.empty());
    // A key file that cannot be read is reported by name.
    host.KeyFileChosen = true;
    host.KeyFile = scratch.path + "gone.asc";
    road->ManageKeys("", 0);
    EXPECT_EQ(host.Errors, (std::vector<std::string> { host.KeyFile + "\r\n\r\nT342" }));
    // The clipboard choice takes the clipboard's text, which holds no key: said as that.
    host.KeyFile = TDecryptRoad::CLIPBOARD_CHOICE;
    road->ManageKeys("", 0);
    EXPECT_EQ(shown, (std::vector<std::string> { "E-10988" }));
    shown.clear();

    // The same key file twice in a row is taken once; a key from a text, a file or the open
    // message lands in the ring and on disk, with the count reported.
    const std::string keyFile = Put("key.asc", Fixture("una-key.asc"));
    road->ManageKeys(keyFile, -1);
    EXPECT_EQ(UnaKeys(), 1);
    road->ManageKeys(keyFile, -1);
    road->ManageKeys(Fixture("una-key.asc"), 0);
    host.HasMessage = true;
    host.Message = Fixture("una-key.asc");
    road->ManageKeys("", 0);
    EXPECT_EQ(shown, std::vector<std::string>(3, "1T311"));
    EXPECT_EQ(host.Posted.size(), 1u);
    EXPECT_TRUE(host.Offered.empty());
    // With the recipient list the import is quiet: its keys are offered for the list, which reports them.
    options.AutoPush = true;
    shown.clear();
    road->ManageKeys(Fixture("una-key.asc"), 0);
    EXPECT_TRUE(shown.empty());
    ASSERT_EQ(host.Offered.size(), 1u);
    options.AutoPush = false;
    // A binary key file (here a key ring of three keys) is taken byte for byte.
    shown.clear();
    road->ManageKeys(WindowsPath(std::string(ZAVEK_DECODER_FIXTURES) + "/pubring.pkr"), -1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0], "E-10988");
    EXPECT_EQ(shown[0].substr(shown[0].size() - 4), "T311") << shown[0];
    EXPECT_NE(RingFile().find("una@example.org"), std::string::npos);
}

TEST_F(DecryptRoadStandIn, KeysOfAFailedDecodeNeverReachTheRings)
{
    // A key followed by a message that fails its integrity check: the decode fails as a whole and
    // the key is not even offered.
    TKeyIDData keys;
    EXPECT_EQ(pgp->ImportKeysFromText(Fixture("una-key.asc") + "\r\n" + Fixture("tampered.asc"), nullptr, keys, false),
        kStatusNoKey);
    EXPECT_EQ(UnaKeys(), 0);
    EXPECT_TRUE(shown.empty());
    // A later import that commits writes only its own keys.
    road->ManageKeys(Fixture("sam-key.asc"), 0);
    EXPECT_EQ(UnaKeys(), 0);
    EXPECT_EQ(RingFile().find("una@example.org"), std::string::npos);

    // CheckKey: a key block the mail client shows is imported, and the import is reported.
    options.CheckKey = true;
    options.AutoPush = false;
    shown.clear();
    EXPECT_EQ(Decrypt("key.txt", kHeader + Fixture("una-key.asc")), TDecryptRoad::WRITTEN);
    EXPECT_EQ(UnaKeys(), 1);
    EXPECT_EQ(shown, (std::vector<std::string> { "1T311" }));
}

TEST_F(DecryptRoadStandIn, SignedAndSpecialPgpMessages)
{
    struct TCase {
        const char* file;
        bool plaintext;
        size_t notes;
        size_t errors;
    };
    const TCase cases[] = {
        { "signed.asc", true, 1, 0 }, // signed only: unwrapped, not kept as armour
        { "signed-encrypted.asc", true, 1, 0 },
        { "charset.asc", true, 0, 0 },
        // Shown in the secure viewer only (answered: closed at once): the message stays as it came,
        // and the decryption is done all the same.
        { "eyes-only.asc", false, 0, 0 },
        { "eyes-only-signed.asc", false, 1, 0 },
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.file);
        host.SignatureNotes.clear();
        shown.clear();
        const std::string message = kHeader + Fixture(c.file);
        ASSERT_EQ(Decrypt("msg.cnm", message), TDecryptRoad::WRITTEN);
        if (c.plaintext)
            EXPECT_EQ(Out(), kHeader + "Hello Rita,\r\n" + kPlainLine + "\r\n");
        else
            EXPECT_EQ(Out(), message);
        EXPECT_EQ(host.SignatureNotes.size(), c.notes);
        EXPECT_EQ(shown.size(), c.errors);
        EXPECT_EQ(host.Status.back(), "T418T420");
    }
    // A block for the eyes only after a decrypted one stays in the text as it came.
    const std::string eyesOnly = Fixture("eyes-only.asc");
    ASSERT_EQ(Decrypt("msg.cnm", kHeader + Fixture("encrypted.asc") + eyesOnly), TDecryptRoad::WRITTEN);
    const std::string out = Out();
    EXPECT_NE(out.find(kPlainLine), std::string::npos);
    EXPECT_NE(NormalizeLineBreaks(out).find(NormalizeLineBreaks(eyesOnly)), std::string::npos) << out;
}

TEST_F(DecryptRoadStandIn, TheSdkPassphraseDialogsAnswerTheDecoder)
{
    // The stand-in's dialogs answer themselves from this file, in order per dialog kind.
    const std::string answers = scratch.path + "answers.txt";
    std::ofstream(answers) << "decryption: pass rita-pass\ndecryption: cancel\n"
                              "conventional-decryption: pass shared-secret\n";
    ASSERT_TRUE(SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", answers.c_str()));
    const std::string log = scratch.path + "standin.log";
    ASSERT_TRUE(SetEnvironmentVariableA("PGPSTANDIN_LOG", log.c_str()));
    HWND owner = nullptr;
    pgp->DecryptPassphraseAsk = SdkDecryptionPassphraseAsk([&owner] { return owner; });

    ASSERT_EQ(Decrypt("msg.cnm", kHeader + Fixture("encrypted.asc")), TDecryptRoad::WRITTEN);
    EXPECT_EQ(Out(), kHeader + "Hello Rita,\r\n" + kPlainLine + "\r\n");
    // The decryption dialog names the keys the message is for.
    std::ifstream in(log, std::ios::binary);
    const std::string logged(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(logged.rfind("Decryption dialog \"PGP\" for:\r\n  Rita Reader <rita@example.org> (0x", 0), 0u) << logged;
    SetEnvironmentVariableA("PGPSTANDIN_LOG", nullptr);
    pgp->PurgePassphrase();
    const std::string message = kHeader + Fixture("encrypted.asc");
    ASSERT_EQ(Decrypt("msg.cnm", message), TDecryptRoad::WRITTEN);
    EXPECT_EQ(Out(), message); // cancelled: the message as it came
    EXPECT_EQ(host.Status.back(), "T418T419");
    ASSERT_EQ(Decrypt("msg.cnm", kHeader + Fixture("conventional.asc")), TDecryptRoad::WRITTEN);
    EXPECT_EQ(Out(), kHeader + "Hello Rita,\r\n" + kPlainLine + "\r\n");
    EXPECT_TRUE(shown.empty());
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);

    // Without the SDK's dialog nothing can ask: the user is told so, and the message stays as it came.
    pgp->PurgePassphrase();
    const auto dialog = std::exchange(SDKProcs.PGPDecryptionPassphraseDialog, nullptr);
    const int32_t result = Decrypt("msg.cnm", message);
    SDKProcs.PGPDecryptionPassphraseDialog = dialog;
    ASSERT_EQ(result, TDecryptRoad::WRITTEN);
    EXPECT_EQ(Out(), message);
    EXPECT_EQ(shown, (std::vector<std::string> { "E-11975" }));
}

} // namespace

