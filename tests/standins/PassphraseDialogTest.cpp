// The stand-in's passphrase dialogs under Wine, answered from a scripted answers file: a decode gets
// its passphrase through the dialog (wrong, then right), cancels give the user's-cancel status, the
// signing dialog offers a key with a secret part, and every option handle is consumed.
#include "standins/pgpsdk/StandInExports.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)
PGP_UI_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace fs = std::filesystem;

namespace {

constexpr const char* kAnswers = "# the scripted answers of this test\n"
                                 "conventional-decryption: pass wrong horse\n"
                                 "conventional-decryption: pass right horse\n"
                                 "signing: cancel\n"
                                 "signing: pass alice's words\n"
                                 "conventional-encryption: pass new words\n"
                                 "decryption: pass test passphrase\n";

class PassphraseDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Read once per process by the first dialog, so it must be in place before any.
        answers = fs::temp_directory_path() / ("zavek-answers-" + std::to_string(GetCurrentProcessId()));
        std::ofstream(answers, std::ios::binary) << kAnswers;
        SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", answers.string().c_str());
    }
    static void TearDownTestSuite() { fs::remove(answers); }

    void SetUp() override
    {
        ASSERT_EQ(PGPsdkInit(0), kPGPError_NoErr);
        ASSERT_EQ(PGPsdkUILibInit(0), kPGPError_NoErr);
        ASSERT_EQ(PGPNewContext(kPGPContextVersion, &context), kPGPError_NoErr);
        PGPGetDefaultMemoryMgr(); // made once, on first use by a dialog's secure output
        baseline = StandInLiveHandleCount();
    }
    void TearDown() override
    {
        EXPECT_EQ(StandInLiveHandleCount(), baseline); // options, jobs and key databases all released
        EXPECT_EQ(PGPFreeContext(context), kPGPError_NoErr);
        EXPECT_EQ(PGPsdkUILibCleanup(), kPGPError_NoErr);
        EXPECT_EQ(PGPsdkCleanup(), kPGPError_NoErr);
    }

    // Asks a signing dialog with the usual options; the passphrase (if any) is returned and freed.
    PGPError AskSigning(PGPHandle db, PGPKeyDBObjRef& key, std::string& passphrase)
    {
        char* secure = nullptr;
        PGPError status = PGPSigningPassphraseDialog(context, db, &key, PGPOUIWindowTitle(context, "Sign"),
                                                     PGPOUIDialogPrompt(context, "Passphrase of your key:"),
                                                     PGPOUIOutputPassphrase(context, &secure), kPGPEndOfOptions);
        passphrase = secure ? secure : "";
        if (secure) {
            EXPECT_EQ(PGPFreeData(secure), kPGPError_NoErr); // it came from the SDK's memory
        }
        return status;
    }

    static fs::path answers;
    PGPContextRef context = 0;
    uint32_t baseline = 0;
};
fs::path PassphraseDialogTest::answers;

// A decode whose passphrase events are answered through the dialogs, as the plug-in does: the
// decryption dialog for messages to keys (offered the recipients), the conventional one otherwise.
struct DialogDecode {
    PGPContextRef context;
    int asked = 0;
    void* output = nullptr;
    PGPSize length = 0;
    PGPEventRecipientsData recipients {};
    PGPKeyDBObjRef offered = 0;

    PGPError Ask(PGPContextRef context, bool conventional, char** passphrase)
    {
        if (conventional)
            return PGPConventionalDecryptionPassphraseDialog(context, PGPOUIOutputPassphrase(context, passphrase),
                                                             kPGPEndOfOptions);
        return PGPDecryptionPassphraseDialog(context, recipients.recipientSet, recipients.keyCount,
                                             recipients.keyIDArray, &offered,
                                             PGPOUIOutputPassphrase(context, passphrase), kPGPEndOfOptions);
    }

    static PGPError Handler(PGPContextRef context, PGPEvent* event, void* user)
    {
        auto* self = static_cast<DialogDecode*>(user);
        if (event->type == kPGPEvent_Passphrase) {
            ++self->asked;
            char* passphrase = nullptr;
            PGPError status = self->Ask(context, event->data.passphraseData.fromConventional != 0, &passphrase);
            if (status != kPGPError_NoErr)
                return status;
            PGPAddJobOptions(event->job, PGPOPassphrase(context, passphrase), kPGPEndOfOptions);
            PGPFreeData(passphrase);
        } else if (event->type == kPGPEvent_Recipients) {
            self->recipients = event->data.recipientsData; // valid until the decode ends
        } else if (event->type == kPGPEvent_Output) {
            PGPAddJobOptions(event->job, PGPOAllocatedOutputBuffer(context, &self->output, ~0u, &self->length),
                             kPGPEndOfOptions);
        }
        return kPGPError_NoErr;
    }
};

TEST_F(PassphraseDialogTest, DecodeTakesItsPassphraseThroughTheUnattendedDialog)
{
    std::string text = "sent with a passphrase\r\n";
    void* message = nullptr;
    PGPSize messageLength = 0;
    ASSERT_EQ(PGPEncode(context, PGPOInputBuffer(context, text.data(), text.size()),
                        PGPOConventionalEncrypt(context, PGPOPassphrase(context, "right horse"), kPGPEndOfOptions),
                        PGPOArmorOutput(context, 1), PGPOAllocatedOutputBuffer(context, &message, ~0u, &messageLength),
                        kPGPEndOfOptions),
              kPGPError_NoErr);
    PGPKeyDBRef db = 0;
    ASSERT_EQ(PGPNewKeyDB(context, &db), kPGPError_NoErr);
    DialogDecode decode { context };
    EXPECT_EQ(PGPDecode(context, PGPOInputBuffer(context, message, messageLength), PGPOKeyDBRef(context, db),
                        PGPOEventHandler(context, DialogDecode::Handler, &decode), kPGPEndOfOptions),
              kPGPError_NoErr);
    EXPECT_EQ(decode.asked, 2); // the wrong answer first, then the right one
    ASSERT_NE(decode.output, nullptr);
    EXPECT_EQ(std::string(static_cast<char*>(decode.output), decode.length), text);
    PGPFreeData(decode.output);
    PGPFreeData(message);
    PGPFreeKeyDB(db);
}

TEST_F(PassphraseDialogTest, DecryptionDialogOffersTheRecipientKeyOfOurs)
{
    std::ifstream file(std::string(ZAVEK_TEST_DATA) + "/pgpsdk/alice-secret.asc", std::ios::binary);
    std::string keys((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    PGPKeyDBRef db = 0;
    ASSERT_EQ(PGPImport(context, &db, PGPOInputBuffer(context, keys.data(), keys.size()), kPGPEndOfOptions),
              kPGPError_NoErr);
    std::string text(20000, 'k');
    void* message = nullptr;
    PGPSize messageLength = 0;
    ASSERT_EQ(PGPEncode(context, PGPOInputBuffer(context, text.data(), text.size()),
                        PGPOEncryptToKeySet(context, PGPPeekKeyDBRootKeySet(db)),
                        PGPOAllocatedOutputBuffer(context, &message, ~0u, &messageLength), kPGPEndOfOptions),
              kPGPError_NoErr);
    DialogDecode decode { context };
    EXPECT_EQ(PGPDecode(context, PGPOInputBuffer(context, message, messageLength), PGPOKeyDBRef(context, db),
                        PGPOEventHandler(context, DialogDecode::Handler, &decode), kPGPEndOfOptions),
              kPGPError_NoErr);
    EXPECT_EQ(decode.asked, 1);
    EXPECT_NE(decode.offered, 0);
    EXPECT_EQ(std::string(static_cast<char*>(decode.output), decode.output ? decode.length : 0), text);
    PGPFreeData(decode.output);
    PGPFreeData(message);
    PGPFreeKeyDB(db);
}

TEST_F(PassphraseDialogTest, SigningDialogOffersASecretKeyThenCancelsAndAnswers)
{
    PGPKeyDBRef empty = 0;
    ASSERT_EQ(PGPNewKeyDB(context, &empty), kPGPError_NoErr);
    PGPKeyDBObjRef key = 0;
    std::string passphrase;
    // No key to sign with: refused before any window, so no answer is used up.
    EXPECT_EQ(AskSigning(empty, key, passphrase), kPGPError_NoSigningSecretKey);
    PGPFreeKeyDB(empty);

    std::ifstream file(std::string(ZAVEK_TEST_DATA) + "/pgpsdk/alice-secret.asc", std::ios::binary);
    std::string keys((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    PGPKeyDBRef db = 0;
    ASSERT_EQ(PGPImport(context, &db, PGPOInputBuffer(context, keys.data(), keys.size()), kPGPEndOfOptions),
              kPGPError_NoErr);
    EXPECT_EQ(AskSigning(db, key, passphrase), kPGPError_UserAbort);
    EXPECT_NE(key, 0);
    key = 0;
    EXPECT_EQ(AskSigning(db, key, passphrase), kPGPError_NoErr);
    EXPECT_NE(key, 0);
    EXPECT_EQ(passphrase, "alice's words");
    PGPFreeKeyDB(db);
}

TEST_F(PassphraseDialogTest, NewPassphraseIsAskedTwiceAndTheAnswerFillsBoth)
{
    char* passphrase = nullptr;
    EXPECT_EQ(PGPConventionalEncryptionPassphraseDialog(context, PGPOUIVerifyPassphrase(context, 1),
                                                        PGPOUIOutputPassphrase(context, &passphrase), kPGPEndOfOptions),
              kPGPError_NoErr);
    ASSERT_NE(passphrase, nullptr);
    EXPECT_STREQ(passphrase, "new words");
    EXPECT_EQ(PGPFreeData(passphrase), kPGPError_NoErr);
}

TEST_F(PassphraseDialogTest, DialogsWithoutAnAnswerOrOutputAreRefused)
{
    char* passphrase = nullptr;
    // No line for this kind: cancelled rather than waiting for a person who is not there.
    EXPECT_EQ(PGPPassphraseDialog(context, PGPOUIOutputPassphrase(context, &passphrase),
                                  PGPOUIParentWindowHandle(context, nullptr), kPGPEndOfOptions),
              kPGPError_UserAbort);
    EXPECT_EQ(passphrase, nullptr);
    EXPECT_EQ(PGPConventionalEncryptionPassphraseDialog(context, PGPOUIVerifyPassphrase(context, 1), kPGPEndOfOptions),
              kPGPError_BadParams);
    EXPECT_EQ(PGPPassphraseDialog(context, PGPOUIOutputPassphrase(context, &passphrase), static_cast<PGPOptionListRef>(12345),
                                  kPGPEndOfOptions),
              kPGPError_BadParams);
}

} // namespace
