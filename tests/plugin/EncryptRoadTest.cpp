// The encrypt road against the stand-in SDK on the GnuPG-made key rings, with a recorded mail
// client and scripted questions: the output-file pass-through, inline and PGP/MIME encryption
// decoded back, the method and recipient rules of the send states, the attachment question,
// and the failure paths that keep the message.
#include <windows.h>

#include "plugin/ConvertFile.h"
#include "plugin/EncryptRoad.h"

#include "engine/KeyFuncs.h"
#include "mime/MailUtils.h"
#include "mime/MimeMsgTree.h"

#include "../engine/KeyDialogDriver.h"
#include "../engine/PGPInterfaceTestTexts.h"
#include "support/StandInSdk.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

namespace {

const std::string kPlainMessage = "From: ann@example.org\r\nTo: bob@example.net\r\nSubject: plans\r\n"
                                  "Content-Type: text/plain; charset=ISO-8859-1\r\n\r\nMeet at noon.\r\n";
const std::string kTwoParts = "From: ann@example.org\r\nTo: bob@example.net\r\nSubject: files\r\n"
                              "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"zz\"\r\n\r\n"
                              "--zz\r\nContent-Type: text/plain; charset=ISO-8859-1\r\n\r\nThe report.\r\n"
                              "--zz\r\nContent-Type: application/octet-stream; name=\"r.bin\"\r\n"
                              "Content-Transfer-Encoding: base64\r\n"
                              "Content-Disposition: attachment; filename=\"r.bin\"\r\n\r\nAAECAwQF\r\n--zz--\r\n";

std::string ReadAll(const std::string& fileName)
{
    std::string bytes;
    ReadMessageFile(fileName, bytes);
    return bytes;
}

void WriteAll(const std::string& fileName, const std::string& bytes)
{
    SetFileAttributesA(fileName.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << fileName;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class TRecordedHost : public IEncryptHost {
public:
    TEditorData* ActiveEditorData() override { return record; }
    HWND ActiveEditor() override { return nullptr; }
    void ShowStatus(const std::string& text) override { status.push_back(text); }
    std::string Charset() override { return "ISO-8859-1"; }
    bool SendsEightBit() override { return false; }
    std::string PlaceholderMessage() override { return "To: nobody\r\nSubject: cancelled"; }
    std::string IdentityAddress(HWND) override { return "ann@example.org"; }
    bool ReopenMessageInEditor(std::string& text) override
    {
        ++reopened;
        text = canReopen ? PlaceholderMessage() : "";
        return canReopen;
    }
    void RefreshQueueWindow() override { ++refreshed; }
    HWND OwnerWindow() override { return nullptr; }
    void RecipientFields(std::string& toField, std::string& ccField, std::string& bccField) override
    {
        toField = to;
        ccField = cc;
        bccField = bcc;
    }
    std::string DefaultBcc(HWND) override { return defaultBcc; }
    void ClickEncryptionCheckBox(HWND) override { ++clicked; }

    TEditorData* record = nullptr;
    std::string to, cc, bcc, defaultBcc;
    int clicked = 0;
    bool canReopen = false;
    int reopened = 0;
    int refreshed = 0;
    std::vector<std::string> status;
};

class TScriptedPrompts : public IEncryptPrompts {
public:
    bool AskYesNo(const std::string& text, const std::string&, bool& ticked) override
    {
        asked.push_back(text);
        ticked = tick;
        return yes;
    }
    TChoice AskChoice(const std::string& title, const std::string& text, const std::string&, const std::string&,
        const std::string&, bool& ticked) override
    {
        asked.push_back(title + "|" + text);
        ticked = tick;
        return choice;
    }
    TChoice AskYesNoCancel(const std::string& text, const std::string&, bool& ticked) override
    {
        asked.push_back(text);
        ticked = tick;
        return choice;
    }
    void Inform(const std::string& text, const std::string&, bool& ticked) override
    {
        asked.push_back(text);
        ticked = tick;
    }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    bool AddToRecipientList(const TKeyIDData& pairs) override
    {
        offered.push_back(pairs.KeyIDText);
        return addToList;
    }

    std::vector<std::string> offered;
    bool addToList = false;
    bool yes = false;
    bool tick = false;
    TChoice choice = TChoice::First;
    std::vector<std::string> asked;
    std::vector<std::string> errors;
};

class EncryptRoad : public testing::Test {
protected:
    static void SetUpTestSuite() { LoadStandInSdk(); }
    static void TearDownTestSuite() { ReleasePGPsdk(); }

    void SetUp() override
    {
        ASSERT_EQ(SDKLoadError, 0);
        UseKeyRingCopies(scratch, ZAVEK_KEY_FIXTURES);
        if (HasFatalFailure())
            return;
        pgp = std::make_unique<TPGPInterface>(nullptr, *texts.errorTexts, *texts.texts, nullptr, NewSdkSecure(),
            [](const std::string&, TMessageKind, int) { return false; });
        pgp->DecryptPassphraseAsk
            = [](const std::string&, const std::string&, bool, TSecureBytes& out) -> PGPError {
            const std::string pass = "ann-pass";
            out = NewSecureData(pass.size() + 1);
            std::memcpy(out.data(), pass.c_str(), pass.size() + 1);
            return kPGPError_NoErr;
        };
        pgp->SetVersionText("ZAVEK test");
        pgp->Comment = "test";
        options.SetEncryptToSelf(false);
        road = std::make_unique<TEncryptRoad>(
            *pgp, options, *texts.texts, host, prompts, nullptr);
    }
    void TearDown() override
    {
        road.reset();
        pgp.reset();
        EXPECT_EQ(KeyRings().OpenCount(), 0);
    }

    std::string Message(const std::string& content)
    {
        const std::string name = scratch.path + "message.tmp";
        WriteAll(name, content);
        return name;
    }
    std::string Decrypt(const std::string& armoured)
    {
        const std::string answers = scratch.path + "decrypt-answers.txt";
        WriteAll(answers, "decryption: pass ann-pass\npassphrase: pass ann-pass\n");
        SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", answers.c_str());
        std::string output, charset;
        TKeyIDData recipients;
        TSignatureData signature;
        EXPECT_EQ(pgp->DecryptText(armoured, nullptr, true, false, false, false, output, charset, recipients, signature),
            0);
        SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
        return output;
    }

    TScratchFolder scratch { "zavek-encroad" };
    TTestTexts texts;
    TOptions options;
    TRecordedHost host;
    TScriptedPrompts prompts;
    std::unique_ptr<TPGPInterface> pgp;
    std::unique_ptr<TEncryptRoad> road;
};

TEST_F(EncryptRoad, ConvertFilePassesTheMessageOn)
{
    const std::string binary("PM\0\x07\r\n\x1A\xFF", 8);
    const struct {
        const char* in;
        std::string content;
        bool writable;
        int32_t result;
    } cases[] = {
        { "queued.PM$", binary, true, CONVERT_COPIED },
        { "queued.pm$", "plain text\r\n", true, CONVERT_COPIED },
        { "empty.txt", "", true, CONVERT_COPIED },
        { "bell.txt", "ring \x07 now\r\n", true, CONVERT_COPIED },
        { "plain.txt", "line one\r\n\tline two\n", true, CONVERT_TEXT },
        { "plain2.txt", "text", false, CONVERT_FAILED },
    };
    for (const auto& c : cases) {
        const std::string in = scratch.path + c.in;
        WriteAll(in, c.content);
        const std::string out = c.writable ? scratch.path + "out.txt" : scratch.path + "missing\\out.txt";
        DeleteFileA(out.c_str());
        EXPECT_EQ(ConvertFile(in, out), c.result) << c.in;
        if (c.writable) {
            EXPECT_EQ(ReadAll(out), c.content) << c.in;
        }
    }
    EXPECT_EQ(ConvertFile(scratch.path + "absent.txt", scratch.path + "out.txt"), CONVERT_FAILED);
}

TEST_F(EncryptRoad, NoFileOrNoRecipientDoesNothing)
{
    EXPECT_EQ(road->EncryptMessage(scratch.path + "absent.tmp", "bob@example.net", "", TRequestedAction::Encrypt), 0);
    const std::string name = Message(kPlainMessage);
    EXPECT_EQ(road->EncryptMessage(name, "", "", TRequestedAction::Encrypt), 0);
    EXPECT_EQ(ReadAll(name), kPlainMessage);
    EXPECT_EQ(road->EncryptMessage(Message(""), "bob@example.net", "", TRequestedAction::Encrypt), 0);
}

TEST_F(EncryptRoad, EditorWithoutFlagsSendsThePreparedMessage)
{
    // The user's choice in the encryption dialog: neither encrypt nor sign.
    TEditorData record;
    record.SendState = ssHostDialog;
    host.record = &record;
    const std::string name = Message("X-PM-Encryptor: DIRAZA-ZE32, 1\r\n" + kPlainMessage);
    EXPECT_EQ(road->EncryptMessage(name, "bob@example.net", "PGP/MIME", TRequestedAction::Encrypt), 1);
    const std::string sent = ReadAll(name);
    EXPECT_FALSE(Contains(sent, "X-PM-Encryptor")) << sent;
    EXPECT_TRUE(Contains(sent, "Meet at noon.")) << sent;
    EXPECT_EQ(host.status.back(), "T439T420");
    EXPECT_EQ(host.refreshed, 1);
}

TEST_F(EncryptRoad, AnUndecidedEditorRecordKeepsTheExportsRequest)
{
    // The editor's send was never decided through the plug-in: ENCRYPT still encrypts.
    TEditorData record;
    host.record = &record;
    const std::string name = Message(kPlainMessage);
    ASSERT_EQ(road->EncryptMessage(name, "ann@example.org", "", TRequestedAction::Encrypt), 1);
    const std::string sent = ReadAll(name);
    EXPECT_TRUE(Contains(sent, "-----BEGIN PGP MESSAGE-----")) << sent;
    EXPECT_FALSE(Contains(sent, "Meet at noon.")) << sent;
}

TEST_F(EncryptRoad, WithoutEditorRecordTheExportsRequestHolds)
{
    // ENCRYPT without a record of the plug-in encrypts: never plain text reported as success.
    const std::string name = Message(kPlainMessage);
    ASSERT_EQ(road->EncryptMessage(name, "ann@example.org", "", TRequestedAction::Encrypt), 1) << prompts.asked.size();
    const std::string sent = ReadAll(name);
    EXPECT_FALSE(Contains(sent, "Meet at noon.")) << sent;
    const size_t begin = sent.find("-----BEGIN PGP MESSAGE-----");
    ASSERT_NE(begin, std::string::npos) << sent;
    EXPECT_TRUE(Contains(sent, "Subject: plans\r\n"));
    // The armour is 7-bit: it is read as it stands.
    EXPECT_TRUE(Contains(sent, "Content-Transfer-Encoding: 7BIT")) << sent;
    EXPECT_TRUE(Contains(Decrypt(sent.substr(begin)), "Meet at noon."));

    // SIGN signs only: the text stays readable under a clear signature.
    const std::string signedName = Message(kPlainMessage);
    const std::string answers = scratch.path + "answers.txt";
    WriteAll(answers, "signing: pass ann-pass\n");
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", answers.c_str());
    road->ResetSendState(nullptr, 0);
    EXPECT_EQ(road->EncryptMessage(signedName, "bob@example.net", "", TRequestedAction::Sign), 1);
    SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr);
    const std::string clearSigned = ReadAll(signedName);
    EXPECT_TRUE(Contains(clearSigned, "-----BEGIN PGP SIGNED MESSAGE-----")) << clearSigned;
    EXPECT_TRUE(Contains(clearSigned, "Meet at noon."));
}

TEST_F(EncryptRoad, PgpMimeEncryptsTheWholeBodyOfATwoPartMessage)
{
    options.SetConfirmEncrypt(true);
    prompts.tick = true;
    const std::string name = Message(kTwoParts);
    ASSERT_EQ(road->EncryptMessage(name, "ann@example.org", "PGP/MIME", TRequestedAction::Encrypt), 1);
    // The confirmation, which a ticked box switches off.
    EXPECT_EQ(prompts.asked, std::vector<std::string> { "T176" });
    EXPECT_FALSE(options.Values().ConfirmEncrypt);
    const std::string sent = ReadAll(name);
    EXPECT_TRUE(Contains(sent, "Subject: files\r\n")) << sent;
    EXPECT_TRUE(Contains(sent, "X-PM-Encryptor: DIRAZA-ZE32, 1")) << sent;
    EXPECT_TRUE(Contains(sent, "multipart/encrypted")) << sent;
    EXPECT_FALSE(Contains(sent, "The report.")) << sent;
    const size_t begin = sent.find("-----BEGIN PGP MESSAGE-----");
    ASSERT_NE(begin, std::string::npos);
    const std::string inner = Decrypt(sent.substr(begin, sent.find("-----END PGP MESSAGE-----") + 25 - begin));
    EXPECT_TRUE(Contains(inner, "Content-Type: multipart/mixed; boundary=\"zz\"")) << inner;
    EXPECT_TRUE(Contains(inner, "The report.")) << inner;
    EXPECT_TRUE(Contains(inner, "AAECAwQF")) << inner;
    EXPECT_TRUE(Contains(host.status[1], "(PGP/MIME)"));
}

TEST_F(EncryptRoad, InlineEncryptsEachPartOfATwoPartMessage)
{
    const std::string name = Message(kTwoParts);
    ASSERT_EQ(road->EncryptMessage(name, "ann@example.org", "", TRequestedAction::Encrypt), 1);
    const std::string sent = ReadAll(name);
    EXPECT_FALSE(Contains(sent, "The report.")) << sent;
    TMimeMsgTree tree;
    tree.Reset();
    tree.LoadMessage(sent, 1, lmNested, 0);
    int texts = 0, attachments = 0;
    for (int i = 0; i < tree.SectionCount(); ++i) {
        const TSectionNode* node = tree.GetSection(i);
        if (node->NodeKind == nkTextPlain) {
            ++texts;
            EXPECT_TRUE(Contains(Decrypt(node->Text), "The report.")) << node->Text;
        } else if (node->NodeKind == nkAttachment) {
            ++attachments;
            EXPECT_EQ(Decrypt(node->Text), std::string("\x00\x01\x02\x03\x04\x05", 6));
        }
    }
    EXPECT_EQ(texts, 1) << sent;
    EXPECT_EQ(attachments, 1) << sent;

    // A part without a file name is encrypted as well.
    const std::string nameless = "Subject: x\r\nContent-Type: multipart/mixed; boundary=\"n\"\r\n\r\n"
                                 "--n\r\nContent-Type: text/plain\r\n\r\nsee below\r\n"
                                 "--n\r\nContent-Type: application/octet-stream\r\n"
                                 "Content-Transfer-Encoding: base64\r\n\r\nc2VjcmV0IGJ5dGVz\r\n--n--\r\n";
    const std::string other = Message(nameless);
    ASSERT_EQ(road->EncryptMessage(other, "ann@example.org", "", TRequestedAction::Encrypt), 1);
    const std::string otherSent = ReadAll(other);
    EXPECT_FALSE(Contains(otherSent, "c2VjcmV0IGJ5dGVz")) << otherSent;
    EXPECT_FALSE(Contains(otherSent, "secret bytes")) << otherSent;
    EXPECT_FALSE(Contains(otherSent, "see below")) << otherSent;
}

TEST_F(EncryptRoad, MethodTextCountsOnlyInTheHostDialogState)
{
    const struct {
        uint32_t state;
        const char* method;
        bool mime;
    } cases[] = {
        { ssHostDialog, "PGP/MIME", true },
        { ssHostDialog, "ZAVEK", false },
        { ssMenuEncrypt, "PGP/MIME", false },
        { ssList, "PGP/MIME", false },
    };
    for (const auto& c : cases) {
        TEditorData record;
        record.Flags = efEncrypt;
        record.SendState = c.state;
        host.record = &record;
        road->ResetSendState(nullptr, 0);
        const std::string name = Message(kPlainMessage);
        ASSERT_EQ(road->EncryptMessage(name, "ann@example.org", c.method, TRequestedAction::Sign), 1) << c.state;
        EXPECT_EQ(Contains(ReadAll(name), "multipart/encrypted"), c.mime) << c.state << c.method;
    }
}

TEST_F(EncryptRoad, ListedRecipientKeyAndFlagsAreTakenOnce)
{
    TEditorData record;
    record.Flags = efSign;
    record.SendState = ssList;
    host.record = &record;
    std::unique_ptr<TKeyPropsList> keys;
    ASSERT_EQ(FindKeys("ann@example.org", keys, kKeyPropKeyID, 0, 0), 1);
    road->Recipients().AddItem({ "Ann <ann@example.org>", (*keys)[0], efEncrypt | efPGPMime });
    const std::string name = Message(kPlainMessage);
    ASSERT_EQ(road->EncryptMessage(name, "Ann <ann@example.org>", "", TRequestedAction::Sign), 1);
    EXPECT_EQ(road->Recipients().GetCount(), 0);
    EXPECT_EQ(road->Send().Recipient.KeyIDText, (*keys)[0]);
    EXPECT_TRUE(Contains(ReadAll(name), "multipart/encrypted"));

    // A listed recipient who wants neither encryption nor a signature gets the message as it is.
    road->Recipients().AddItem({ "Ann <ann@example.org>", (*keys)[0], efPGPMime });
    const std::string plain = Message(kPlainMessage);
    ASSERT_EQ(road->EncryptMessage(plain, "Ann <ann@example.org>", "", TRequestedAction::Sign), 1);
    EXPECT_TRUE(Contains(ReadAll(plain), "Meet at noon.")) << ReadAll(plain);
    EXPECT_FALSE(road->Send().SendUnencrypted);
}

TEST_F(EncryptRoad, AttachmentQuestionIsAskedOncePerSend)
{
    options.SetEncryptAttachments(false);
    road->ResetSendState(nullptr, 0);
    prompts.yes = false;
    const std::string twoAttachments = "Subject: two\r\nContent-Type: multipart/mixed; boundary=\"q\"\r\n\r\n"
                                       "--q\r\nContent-Type: text/plain\r\n\r\nsee files\r\n"
                                       "--q\r\nContent-Type: application/octet-stream; name=\"a.bin\"\r\n"
                                       "Content-Transfer-Encoding: base64\r\n\r\nAAEC\r\n"
                                       "--q\r\nContent-Type: application/octet-stream; name=\"b.bin\"\r\n"
                                       "Content-Transfer-Encoding: base64\r\n\r\nAwQF\r\n--q--\r\n";
    const std::string name = Message(twoAttachments);
    ASSERT_EQ(road->EncryptMessage(name, "ann@example.org", "", TRequestedAction::Encrypt), 1);
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0], "T442");
    const std::string sent = ReadAll(name);
    EXPECT_TRUE(Contains(sent, "AAEC")) << sent; // left as it was
    EXPECT_TRUE(Contains(sent, "AwQF")) << sent;
    EXPECT_FALSE(Contains(sent, "see files")) << sent;

    // The same send asks no more; a new send asks again, and a tick keeps the answer for good.
    ASSERT_EQ(road->EncryptMessage(Message(twoAttachments), "ann@example.org", "", TRequestedAction::Encrypt), 1);
    EXPECT_EQ(prompts.asked.size(), 1u);
    road->ResetSendState(nullptr, 0);
    prompts.yes = true;
    prompts.tick = true;
    const std::string again = Message(twoAttachments);
    ASSERT_EQ(road->EncryptMessage(again, "ann@example.org", "", TRequestedAction::Encrypt), 1);
    EXPECT_EQ(prompts.asked.size(), 2u);
    EXPECT_TRUE(options.Values().EncryptAttachments);
    EXPECT_FALSE(Contains(ReadAll(again), "AAEC"));
}

TEST_F(EncryptRoad, NewRecipientKeysAreOfferedForTheRecipientListOnce)
{
    TAutoList autoList;
    road = std::make_unique<TEncryptRoad>(*pgp, options, *texts.texts, host, prompts, &autoList);
    ASSERT_EQ(road->EncryptMessage(Message(kPlainMessage), "ann@example.org", "", TRequestedAction::Encrypt), 1);
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0], "T277\r\n\r\n\r\nann@example.org");
    EXPECT_TRUE(road->Send().AutoListCandidate.UserText.empty());
    // Declined, the pair stays for the recipient list menu, also past the end of the send.
    road->ResetSendState(nullptr, 0);
    EXPECT_EQ(road->NewPairs().Count, 1);
    EXPECT_TRUE(prompts.offered.empty());
    // Accepted, the dialog gets the pairs; added, nothing stays.
    prompts.yes = prompts.addToList = true;
    ASSERT_EQ(road->EncryptMessage(Message(kPlainMessage), "ann@example.org", "", TRequestedAction::Encrypt), 1);
    ASSERT_EQ(prompts.offered.size(), 1u);
    EXPECT_NE(prompts.offered[0].find("0x"), std::string::npos);
    EXPECT_EQ(road->NewPairs().Count, 0);
    prompts.asked.resize(1);

    // A pair the list already holds is not offered again; nor is anything with the option off.
    std::unique_ptr<TKeyPropsList> keys;
    ASSERT_EQ(FindKeys("ann@example.org", keys, kKeyPropKeyID, 0, 0), 1);
    autoList.AddItem({ "ann@example.org", (*keys)[0], efEncrypt });
    ASSERT_EQ(road->EncryptMessage(Message(kPlainMessage), "ann@example.org", "", TRequestedAction::Encrypt), 1);
    autoList.Clear();
    options.SetAutoPush(false);
    ASSERT_EQ(road->EncryptMessage(Message(kPlainMessage), "ann@example.org", "", TRequestedAction::Encrypt), 1);
    EXPECT_EQ(prompts.asked.size(), 1u);
}

TEST_F(EncryptRoad, SendCheckSettlesTheStateFromTheRecipientList)
{
    TAutoList autoList;
    road = std::make_unique<TEncryptRoad>(*pgp, options, *texts.texts, host, prompts, &autoList);
    std::unique_ptr<TKeyPropsList> keys;
    ASSERT_EQ(FindKeys("ann@example.org", keys, kKeyPropKeyID, 0, 0), 1);
    autoList.AddItem({ "ann@example.org", (*keys)[0], efEncrypt | efSign });
    options.SetFullAutoSigned(false);
    struct {
        const char* to;
        uint32_t state;
        TChoice answer;
        bool result;
        uint32_t stateAfter;
        int questions;
        int clicks;
    } cases[] = {
        // One listed recipient decides: state 4, the encryption box ticked.
        { "ann@example.org", ssUndecided, TChoice::First, true, ssList, 0, 1 },
        // The host's own dialog decided: nothing to check.
        { "ann@example.org", ssHostDialog, TChoice::First, true, ssHostDialog, 0, 0 },
        // Nobody listed and nothing decided: the send goes on untouched.
        { "zoe@example.org", ssUndecided, TChoice::First, true, ssUndecided, 0, 0 },
        // One recipient encrypts, one does not: yes keeps deciding per message.
        { "ann@example.org, zoe@example.org", ssUndecided, TChoice::First, true, ssUndecided, 1, 0 },
        { "ann@example.org, zoe@example.org", ssMenuBoth, TChoice::First, true, ssMenuSign, 1, 0 },
        { "ann@example.org, zoe@example.org", ssUndecided, TChoice::Second, true, ssListMixed, 1, 1 },
        { "ann@example.org, zoe@example.org", ssUndecided, TChoice::None, false, ssCancelled, 1, 0 },
        // Signing from the menu does not care whether the recipients encrypt.
        { "ann@example.org, zoe@example.org", ssMenuSign, TChoice::None, true, ssMenuSign, 0, 1 },
    };
    for (const auto& c : cases) {
        TEditorData record;
        record.SendState = c.state;
        host.to = c.to;
        host.clicked = 0;
        prompts.asked.clear();
        prompts.choice = c.answer;
        EXPECT_EQ(road->CheckRecipientsOnSend(record, nullptr), c.result) << c.to << " " << c.state;
        EXPECT_EQ(record.SendState, c.stateAfter) << c.to << " " << c.state;
        EXPECT_EQ(static_cast<int>(prompts.asked.size()), c.questions) << c.to << " " << c.state;
        EXPECT_EQ(host.clicked, c.clicks) << c.to << " " << c.state;
    }

    // A ticked box silences the question for good.
    TEditorData record;
    host.to = "ann@example.org, zoe@example.org";
    prompts.choice = TChoice::Second;
    prompts.tick = true;
    road->CheckRecipientsOnSend(record, nullptr);
    EXPECT_FALSE(options.Values().MixedWarning);
}

TEST_F(EncryptRoad, SendResolvesTheRecipientsAgainWithTheDefaultBcc)
{
    TAutoList autoList;
    road = std::make_unique<TEncryptRoad>(*pgp, options, *texts.texts, host, prompts, &autoList);
    TEditorData record;
    EXPECT_TRUE(road->ResolveSendRecipients(record, nullptr)); // nothing chosen before
    std::unique_ptr<TKeyPropsList> keys;
    ASSERT_EQ(FindKeys("ann@example.org", keys, kKeyPropKeyID, 0, 0), 1);
    autoList.AddItem({ "ann@example.org", (*keys)[0], efEncrypt });
    host.to = "zoe@example.org";
    ASSERT_TRUE(road->CheckRecipientsOnSend(record, nullptr));
    ASSERT_EQ(road->Recipients().GetCount(), 1);
    host.defaultBcc = "ann@example.org";
    record.SendState = ssMenuBoth;
    record.Flags = efEncrypt | efSign;
    EXPECT_TRUE(road->ResolveSendRecipients(record, nullptr));
    ASSERT_EQ(road->Recipients().GetCount(), 2);
    EXPECT_EQ(road->Recipients().GetFlags(0) & (efEncrypt | efSign), efEncrypt | efSign);
    EXPECT_EQ(road->Recipients().GetFlags(1) & (efEncrypt | efSign), efEncrypt | efSign);
}

TEST_F(EncryptRoad, FailureKeepsTheMessageOrSendsItAsTheUserChose)
{
    // No key for the recipient: the key selection dialog, declined, then the failure question;
    // going back to an editor that cannot be opened leaves the message file exactly as it was.
    TKeyDialogCanceller keyDialogs;
    const std::string name = Message(kPlainMessage);
    prompts.choice = TChoice::First;
    EXPECT_EQ(road->EncryptMessage(name, "nobody@example.org", "", TRequestedAction::Encrypt), 0);
    EXPECT_EQ(ReadAll(name), kPlainMessage);
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].substr(0, 9), "T433|E-11");
    EXPECT_GT(keyDialogs.Cancelled(), 0);
    EXPECT_EQ(host.reopened, 1);
    EXPECT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(host.status.back(), "T439T419");

    // S/MIME needs certificates this build cannot use: reported, never sent as plain text.
    EXPECT_EQ(road->EncryptMessage(name, "ann@example.org", "S/MIME", TRequestedAction::Encrypt), 0);
    EXPECT_EQ(ReadAll(name), kPlainMessage);
    EXPECT_EQ(prompts.asked.size(), 2u);

    // Put back into a new editor: the file holds the placeholder, and the send is cancelled.
    host.canReopen = true;
    road->ResetSendState(nullptr, 0);
    EXPECT_EQ(road->EncryptMessage(name, "nobody@example.org", "", TRequestedAction::Encrypt), 0);
    EXPECT_EQ(ReadAll(name), host.PlaceholderMessage());
    EXPECT_TRUE(road->Send().Cancelled);
    // The next request of a cancelled send writes the placeholder at once and succeeds.
    const std::string next = Message(kPlainMessage);
    EXPECT_EQ(road->EncryptMessage(next, "bob@example.net", "", TRequestedAction::Encrypt), 1);
    EXPECT_EQ(ReadAll(next), host.PlaceholderMessage());

    // Send unencrypted: the user chose to send, so the request succeeds with the plain message.
    road->ResetSendState(nullptr, 0);
    prompts.choice = TChoice::Second;
    const std::string plain = Message(kPlainMessage);
    EXPECT_EQ(road->EncryptMessage(plain, "nobody@example.org", "", TRequestedAction::Encrypt), 1);
    EXPECT_TRUE(Contains(ReadAll(plain), "Meet at noon."));
    EXPECT_TRUE(road->Send().SendUnencrypted);

    // The same after a PGP/MIME attempt, whose entity was built in the message's memory: the
    // message goes as the user wrote it, byte for byte what the inline road sends.
    for (const std::string& text : { kPlainMessage, kTwoParts }) {
        road->ResetSendState(nullptr, 0);
        const std::string name = Message(text);
        EXPECT_EQ(road->EncryptMessage(name, "nobody@example.org", "", TRequestedAction::Encrypt), 1);
        const std::string sentInline = ReadAll(name);
        road->ResetSendState(nullptr, 0);
        Message(text);
        EXPECT_EQ(road->EncryptMessage(name, "nobody@example.org", "PGP/MIME", TRequestedAction::Encrypt), 1);
        EXPECT_EQ(ReadAll(name), sentInline);
        EXPECT_TRUE(road->Send().SendUnencrypted);
    }
}

TEST_F(EncryptRoad, AFileThatCannotBeReplacedKeepsItsBytes)
{
    // Another program holds the file open without letting it be deleted or written.
    const std::string name = Message(kPlainMessage);
    HANDLE held = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    road->SetWiper([](const std::string&) { return false; });
    EXPECT_EQ(road->EncryptMessage(name, "ann@example.org", "", TRequestedAction::Encrypt), 0);
    CloseHandle(held);
    EXPECT_EQ(ReadAll(name), kPlainMessage);
    EXPECT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(host.status.back(), "T439T419");
}

} // namespace
