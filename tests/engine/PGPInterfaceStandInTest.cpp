// The PGP interface against the stand-in SDK's key database on key rings GnuPG made at build time:
// key lookup by address, key id and partial name, key status texts, signer resolution, key-ring
// opening, deletion by key id, the passphrase cache front, wiping, help and the status reports of
// operations whose engine units are missing.
#include "engine/KeyFuncs.h"
#include "engine/PGPInterface.h"
#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"
#include "framework/Exceptions.h"
#include "foundation/UserIDs.h"
#include "foundation/ZAVEKCommon.h"

#include "mime/MailUtils.h"

#include "KeyDialogDriver.h"
#include "PGPInterfaceTestTexts.h"
#include "PrefsMemoryHost.h"
#include "SecureFakeSdk.h"

#include "support/StandInSdk.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

struct TShown {
    std::string text;
    TMessageKind kind;
};

class PGPInterfaceStandIn : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Every key pick takes the first key offered.
        AnswerStandInDialogs("zavek-pgpiface-answers.txt", "select-keys: first\n");
        LoadStandInSdk();
    }
    static void TearDownTestSuite() { ReleasePGPsdk(); }

    void SetUp() override
    {
        ASSERT_EQ(SDKLoadError, 0);
        UseKeyRingCopies(scratch, ZAVEK_KEY_FIXTURES);
        if (HasFatalFailure())
            return;
    }
    void TearDown() override
    {
        pgp.reset();
        EXPECT_EQ(KeyRings().OpenCount(), 0);
    }

    void Make(std::unique_ptr<TSecureSdk> secureSdk = NewSdkSecure(), TPrefsFile* prefs = nullptr)
    {
        pgp = std::make_unique<TPGPInterface>(nullptr, *t.errorTexts, *t.texts, prefs, std::move(secureSdk),
            [this](const std::string& text, TMessageKind kind, int) {
                shown.push_back({ text, kind });
                return answer;
            });
    }
    std::string FullKeyID(const std::string& text)
    {
        std::unique_ptr<TKeyPropsList> list;
        EXPECT_EQ(FindKeys(text, list, kKeyPropKeyID, 0, 0), 1) << text;
        return list ? (*list)[0] : "";
    }

    TTestTexts t { { { 281, "inline keys" }, { 282, "inline certificates" }, { 283, "inline hint" },
        { 299, "Missing %s. Look again?" }, { 306, "MIME hint" }, { 307, "MIME keys" }, { 308, "MIME certificates" },
        { 320, "Good signature" }, { 328, "Partly:" } } };
    TScratchFolder scratch { "zavek-pgpiface" };
    const std::string folder = scratch.path;
    std::unique_ptr<TPGPInterface> pgp;
    std::vector<TShown> shown;
    bool answer = false;
};

TEST_F(PGPInterfaceStandIn, ConstructionRefusesAnUnloadedSDK)
{
    const int32_t saved = SDKLoadError;
    SDKLoadError = 3;
    EXPECT_THROW(Make(), EAbort);
    SDKLoadError = saved;

    Make();
    EXPECT_EQ(pgp->PGPVersionText(), "PGP " + ClientLibVersion);
    EXPECT_EQ(pgp->VersionClass(), VersionClassOf(VersionMajor(pgp->PGPVersionNumber()), SDKGeneration));
    EXPECT_TRUE(pgp->StrongHashesAllowed());
    EXPECT_GE(pgp->HelpFile().size(), 7u);
    EXPECT_EQ(pgp->HelpFile().substr(pgp->HelpFile().size() - 7), "PGP.chm");
    pgp->SetHashChoice(2, false);
    EXPECT_EQ(pgp->HashChoice(), 5);
    pgp->SetVersionText(std::string(300, 'v'));
    EXPECT_EQ(pgp->OutputVersionText().size(), 255u);
}

TEST_F(PGPInterfaceStandIn, LookupByAddressKeyIDAndPartialName)
{
    Make();
    const std::string bob = FullKeyID("bob@example.net");
    EXPECT_EQ(pgp->FindSigningKeys("bob@example.net"), 1);
    EXPECT_EQ(pgp->KeyList()[0], bob);
    EXPECT_EQ(pgp->FindSigningKeys(GetShortKeyID(bob)), 1);
    EXPECT_EQ(pgp->FindSigningKeys(bob), 1);
    EXPECT_GE(pgp->FindSigningKeys("Stone"), 1);
    EXPECT_EQ(pgp->FindSigningKeys("nobody@example.org"), 0);
    EXPECT_TRUE(pgp->LastOpSucceeded());
    EXPECT_GE(pgp->ListEncryptionKeys(), 2);
    EXPECT_FALSE(pgp->KeyList()[0].empty());
    EXPECT_FALSE(pgp->KeyHasADK("ann@example.org"));
    EXPECT_EQ(pgp->KeyList().Count(), 0); // cleared after use
}

TEST_F(PGPInterfaceStandIn, KeyStatusTexts)
{
    Make();
    const struct {
        const char* text;
        const char* status;
    } cases[] = {
        { "ann@example.org", "" }, { "carol@example.com", "T222" }, { "dave@example.com", "T221" },
        { "nobody@example.org", "T219" }, { "Stone", "T224" },
    };
    for (const auto& c : cases) {
        std::string status = "old";
        EXPECT_EQ(pgp->KeyStatusText(c.text, status), 0) << c.text;
        EXPECT_EQ(status, c.status) << c.text;
    }
    EXPECT_EQ(pgp->KeyList().Count(), 0);
}

TEST_F(PGPInterfaceStandIn, ResolveSignerByKeyIDThenByName)
{
    Make();
    const std::string ann = FullKeyID("ann@example.org");
    TKeyIDData signer { "Ann at work <ann@work.example>", GetShortKeyID(ann), 0 };
    ASSERT_TRUE(pgp->ResolveSigner(signer, false));
    EXPECT_EQ(signer.KeyIDText, ann);
    EXPECT_EQ(signer.UserText, "Ann at work <ann@work.example>");
    EXPECT_EQ(signer.Count, 1);

    // Two signing keys match the name: the default key among them wins.
    const std::string bob = FullKeyID("bob@example.net");
    pgp->KeyRingSettings.DefaultKey = "Bob\\" + bob;
    TKeyIDData byName { "Stone", "", 0 };
    ASSERT_TRUE(pgp->ResolveSigner(byName, false));
    EXPECT_EQ(byName.KeyIDText, bob);
    EXPECT_EQ(byName.UserText, "Bob Stone <bob@example.net>");

    TKeyIDData none { "nobody@example.org", "", 5 };
    EXPECT_FALSE(pgp->ResolveSigner(none, false));
    EXPECT_EQ(none.Count, 0);
    EXPECT_EQ(pgp->KeyList().Count(), 0);
}

TEST_F(PGPInterfaceStandIn, OpenKeyRingsNormalisesTheDefaultKey)
{
    Make();
    const std::string bob = FullKeyID("bob@example.net");
    pgp->KeyRingSettings.PublicRing = folder + "pubring.pkr";
    pgp->KeyRingSettings.SecretRing = folder + "secring.skr";
    const struct {
        std::string stored, expected;
    } cases[] = {
        { GetShortKeyID(bob), "Bob Stone <bob@example.net>\\" + bob },
        { "x\\" + bob, "Bob Stone <bob@example.net>\\" + bob },
        { "0x0BADC0DE", "" }, // no match: the first signing key
    };
    for (const auto& c : cases) {
        pgp->KeyRingSettings.DefaultKey = c.stored;
        EXPECT_EQ(pgp->OpenKeyRings(), 1);
        if (!c.expected.empty())
            EXPECT_EQ(pgp->KeyRingSettings.DefaultKey, c.expected);
        else
            EXPECT_NE(pgp->KeyRingSettings.DefaultKey.find("\\0x"), std::string::npos);
    }
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(pgp->KeyList().Count(), 0);
}

TEST_F(PGPInterfaceStandIn, MissingRingFilesAreAskedFor)
{
    Make();
    pgp->KeyRingSettings.PublicRing = folder + "none.pkr";
    pgp->KeyRingSettings.SecretRing = folder + "none.skr";
    answer = false;
    pgp->OpenKeyRings();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Missing T147 + T148. Look again?");
    EXPECT_EQ(shown[0].kind, TMessageKind::QuestionYesDefault);
    ASSERT_EQ(KeyRings().SetRingFiles(folder + "pubring.pkr", folder + "secring.skr"), 0);
}

TEST_F(PGPInterfaceStandIn, DeleteOnlyByExactFullKeyID)
{
    Make();
    const std::string dave = FullKeyID("dave@example.com");
    TKeyIDData keys;
    for (const std::string& loose : { GetShortKeyID(dave), std::string("Dave Gone"), std::string("0x0123456789ABCDEF") }) {
        EXPECT_EQ(pgp->DeleteKeys(loose, nullptr, keys, false), kStatusNoKey) << loose;
        EXPECT_EQ(keys.Count, 0);
    }
    EXPECT_TRUE(shown.empty());
    // Without a key id the user picks the keys and is asked; No deletes nothing and reports nothing.
    EXPECT_EQ(pgp->DeleteKeys("", nullptr, keys, false), 0);
    EXPECT_EQ(keys.Count, 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, TMessageKind::QuestionNoDefault);
    EXPECT_EQ(shown[0].text.rfind("T312?\r\n\r\n", 0), 0u) << shown[0].text;
    const std::string picked = shown[0].text.substr(9);
    shown.clear();

    EXPECT_EQ(pgp->DeleteKeys(dave, nullptr, keys, true), 0);
    EXPECT_EQ(keys.Count, 1);
    EXPECT_EQ(keys.KeyIDText, dave);
    EXPECT_EQ(keys.UserText, "Dave Gone <dave@example.com>");
    EXPECT_TRUE(shown.empty());
    std::unique_ptr<TKeyPropsList> list;
    EXPECT_EQ(FindKeys(dave, list, kKeyPropKeyID, 0, 0), kNoKeyMatches);

    // Not quiet: the count is reported and reset.
    const std::string carol = FullKeyID("carol@example.com");
    EXPECT_EQ(pgp->DeleteKeys(carol, nullptr, keys, false), 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "1T315");
    EXPECT_EQ(keys.Count, 0);
    EXPECT_EQ(keys.KeyIDText, carol);

    // Yes deletes the picked key.
    answer = true;
    shown.clear();
    EXPECT_EQ(pgp->DeleteKeys("", nullptr, keys, false), 0);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, "1T315");
    EXPECT_EQ(FindKeys(ExtractEmailAddress(picked), list, kKeyPropKeyID, 0, 0), kNoKeyMatches) << picked;
}

TEST_F(PGPInterfaceStandIn, KeysInAMessageTextAreImported)
{
    const std::string fixtures = WindowsPath(std::string(ZAVEK_KEY_FIXTURES) + "/");
    ASSERT_TRUE(CopyFileA((fixtures + "pubring-nodave.pkr").c_str(), (folder + "pubring.pkr").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((fixtures + "secring-nodave.skr").c_str(), (folder + "secring.skr").c_str(), FALSE));
    ASSERT_EQ(KeyRings().SetRingFiles(folder + "pubring.pkr", folder + "secring.skr"), 0);
    std::ifstream in(fixtures + "dave.asc", std::ios::binary);
    const std::string key((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(key.empty());
    Make();
    TKeyIDData keys;
    EXPECT_EQ(pgp->ImportKeysFromText("Here is my key:\r\n" + key + "Regards\r\n", nullptr, keys, false), 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "1T311"); // the count reported, then reset
    EXPECT_EQ(keys.Count, 0);
    std::unique_ptr<TKeyPropsList> list;
    EXPECT_EQ(FindKeys("dave@example.com", list, kKeyPropKeyID, 0, 0), 1);

    shown.clear();
    EXPECT_EQ(pgp->ImportKeysFromText("no key in here", nullptr, keys, true), kStatusNoKey);
    EXPECT_EQ(pgp->ImportKeysFromText("", nullptr, keys, true), kStatusNoKey);
    EXPECT_TRUE(shown.empty());

    // The key import takes a file by its name as well as a text.
    EXPECT_EQ(pgp->ImportKeys(fixtures + "dave.asc", nullptr, keys, false, true), 0);
    EXPECT_EQ(keys.Count, 1);
    EXPECT_EQ(keys.UserText, "Dave Gone <dave@example.com>");
    // Held once (FindKeys adds to a list it is given, so the count is taken with a fresh one).
    std::unique_ptr<TKeyPropsList> again;
    EXPECT_EQ(FindKeys("dave@example.com", again, kKeyPropKeyID | kKeyPropUserID, 0, 0), 1);
    EXPECT_EQ(FindKeys("dave@example.com", again, 0, 0, 0), 1);
    EXPECT_EQ(pgp->ImportKeys(fixtures + "missing.asc", nullptr, keys, false, true), kStatusNoKey)
        << "a name that is no file is a text without a key";
}

TEST_F(PGPInterfaceStandIn, KeyDescriptionOfTheWorkingList)
{
    Make();
    ASSERT_GE(pgp->ListEncryptionKeyDetails(), 1);
    std::string text;
    ASSERT_TRUE(pgp->GetKeyDescription(0, "", text, true));
    EXPECT_EQ(text.find(pgp->KeyList()[0] + "\r\n(" + pgp->KeyList().Record(0).KeyID + ")\r\n"), text.find("0x"));
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_NE(text.find(pgp->KeyList().Record(0).Fingerprint), std::string::npos);

    const int listed = pgp->KeyList().Count();
    ASSERT_GE(listed, 2);
    const std::string lastKeyID = pgp->KeyList()[listed - 1];

    // Index -1: the user picks the key to describe (answered: the first offered).
    std::string picked;
    ASSERT_TRUE(pgp->GetKeyDescription(-1, "", picked, true));
    EXPECT_EQ(pgp->KeyList().Count(), 1);
    EXPECT_NE(picked.find(pgp->KeyList().Record(0).Fingerprint + "\r\n"), std::string::npos) << picked;
    // With a key text only the keys matching it are offered.
    ASSERT_TRUE(pgp->GetKeyDescription(-1, lastKeyID, picked, true));
    EXPECT_EQ(pgp->KeyList()[0], lastKeyID);

    EXPECT_FALSE(pgp->GetKeyDescription(99, "", text, true));
    EXPECT_EQ(text, "");
    EXPECT_EQ(pgp->LastStatus, kStatusKeyDescription);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "E-11980");
    pgp->ClearKeyList();
}

TEST_F(PGPInterfaceStandIn, EncodeResultRecords)
{
    Make();
    const std::string ann = FullKeyID("ann@example.org");
    const std::string bob = FullKeyID("bob@example.net");
    TKeyIDData recipients, signer, chosen;
    pgp->TakeEncodeResult(ann + "," + bob, bob, true, true, &recipients, signer, chosen);
    EXPECT_EQ(chosen.KeyIDText, ann);
    EXPECT_EQ(chosen.Count, 1);
    EXPECT_EQ(signer.KeyIDText, bob);
    EXPECT_EQ(recipients.Count, 2);
    EXPECT_NE(recipients.UserText.find("Bob Stone <bob@example.net>"), std::string::npos);

    pgp->TakeEncodeResult(ann, bob, true, false, &recipients, signer, chosen);
    EXPECT_EQ(recipients.Count, 0);
    EXPECT_EQ(recipients.KeyIDText, ann);
    EXPECT_EQ(pgp->KeyList().Count(), 0);
}

TEST_F(PGPInterfaceStandIn, CacheFrontFollowsTheCallback)
{
    auto fake = std::make_unique<TFakeSecureSdk>();
    TFakeSecureSdk& sdk = *fake;
    Make(std::move(fake));
    pgp->CacheSeconds = 120;
    sdk.sdkCache[7] = "pass";
    const int purges = sdk.purges;

    // No callback yet: the cache time stays as it is and nothing is purged.
    pgp->PurgePassphrase();
    pgp->BeginCacheHold();
    EXPECT_EQ(sdk.purges, purges);
    EXPECT_FALSE(pgp->IsCacheEmpty());

    // Only a configured time other than the one applied counts as changed: not a hold that drops
    // the passphrase of one request, nor a purge.
    std::vector<std::pair<int32_t, bool>> calls;
    pgp->SetCacheCallback([&](int32_t seconds, bool changed) { calls.emplace_back(seconds, changed); });
    pgp->BeginCacheHold();
    pgp->EndCacheHold();
    pgp->PurgePassphrase();
    pgp->PurgePassphrase();
    pgp->CacheSeconds = 300;
    pgp->EndCacheHold();
    pgp->EndCacheHold();
    const std::vector<std::pair<int32_t, bool>> expected { { 120, false }, { 0, false }, { 120, false }, { -1, false },
        { -1, false }, { 300, true }, { 300, false } };
    EXPECT_EQ(calls, expected);
    EXPECT_TRUE(pgp->IsCacheEmpty());
}

TEST_F(PGPInterfaceStandIn, WipeReportsTruthfully)
{
    Make();
    pgp->WipePasses = 2;
    const std::string file = folder + "wipe.txt";
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(handle, "secret text", 11, &written, nullptr);
    // Held open without sharing: the file cannot be wiped, and that is what comes back.
    EXPECT_FALSE(pgp->WipeFile(file));
    EXPECT_EQ(pgp->LastStatus, kStatusWipeFailed);
    CloseHandle(handle);
    EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);

    EXPECT_TRUE(pgp->WipeFile(file));
    EXPECT_TRUE(pgp->LastOpSucceeded());
    EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PGPInterfaceStandIn, AnSdkStatusWithoutWordsInTheLanguageFileShowsTheSdksText)
{
    // A language file that gives the SDK's statuses by number only.
    const std::string file = (t.folder / "numbers.txt").string();
    std::string lines;
    for (int line = 0; line <= 600; ++line)
        lines += "PGP error " + std::to_string(line - 12000) + ".\r\n";
    std::ofstream(file, std::ios::binary) << lines;
    TPGPErrorStrings numbers(file);
    TPGPInterface words(nullptr, numbers, *t.texts, nullptr, NewSdkSecure(),
        [this](const std::string& text, TMessageKind kind, int) {
            shown.push_back({ text, kind });
            return answer;
        });
    EXPECT_TRUE(words.ShowPGPError(kPGPError_BadPassphrase));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Passphrase missing or wrong (PGP error -11500)");
    // A status the language file words keeps its words.
    Make();
    EXPECT_EQ(pgp->PGPErrorText(kPGPError_BadPassphrase), "E-11500");
}

TEST_F(PGPInterfaceStandIn, StatusReportsAndMissingUnits)
{
    Make();
    EXPECT_FALSE(pgp->ShowPGPError(kStatusCancelled));
    EXPECT_FALSE(pgp->ShowPGPError(0));
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(pgp->ShowPGPError(-11492));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "E-11492");
    EXPECT_EQ(shown[0].kind, TMessageKind::Error);
    EXPECT_TRUE(TPGPInterface::IsShownEncodeError(-11497));
    EXPECT_TRUE(TPGPInterface::IsShownEncodeError(-11493));
    EXPECT_FALSE(TPGPInterface::IsShownEncodeError(-11492));
    shown.clear();

    // A text without a signature or without anything to decode never reports success.
    TSignatureData signature { "x", "y", 3 };
    EXPECT_EQ(pgp->VerifyText("-----BEGIN PGP SIGNED MESSAGE-----", "", signature, true, false, nullptr),
        kPGPError_UnsupportedFormat);
    EXPECT_EQ(signature.StatusCode, 0u);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "E-11976");
    shown.clear();
    std::string output = "old", charset;
    TKeyIDData recipients;
    EXPECT_EQ(pgp->DecryptText("data", nullptr, true, false, false, false, output, charset, recipients, signature),
        kPGPError_UnsupportedFormat);
    EXPECT_EQ(output, "");
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(pgp->DecryptText("", nullptr, true, false, false, false, output, charset, recipients, signature),
        kStatusEmptyInput);
    TKeyIDData keys;
    EXPECT_EQ(pgp->ImportKeys("", nullptr, keys, true, true), kStatusNoKey);
    // Export: a line naming each picked key, a blank line and the armoured block.
    EXPECT_EQ(pgp->ExportKeysText(nullptr, keys, output), kStatusOK);
    EXPECT_EQ(keys.Count, 1);
    EXPECT_EQ(output.find(keys.UserText + ", "), 0u) << output;
    EXPECT_NE(output.find("\r\n\r\n-----BEGIN PGP PUBLIC KEY BLOCK-----"), std::string::npos) << output;
    EXPECT_FALSE(pgp->HasWindowsCertificates());
    // An empty personal store has nothing to import, and nothing is reported as imported.
    shown.clear();
    EXPECT_NE(pgp->ImportWindowsCertificates(nullptr, false, keys), kStatusOK);
    EXPECT_EQ(keys.Count, 0);
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(pgp->LastOpSucceeded());

    std::string burnt = "plain";
    TPGPInterface::BurnText(burnt);
    EXPECT_EQ(burnt, std::string(5, '\xFF'));
}

TEST_F(PGPInterfaceStandIn, HelpTopicMissingForTheVersion)
{
    Make();
    ASSERT_EQ(HelpTopicOf(pgp->VersionClass(), "Groups"), "");
    EXPECT_FALSE(pgp->ShowPGPHelp("groups"));
    EXPECT_EQ(pgp->LastStatus, kStatusNotAvailable);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "E-11975 (" + pgp->PGPVersionText() + ")");
}

TEST_F(PGPInterfaceStandIn, SettingsFromPGPPreferences)
{
    const std::string appData = "C:\\Users\\ann\\AppData\\Roaming";
    TPrefsMemoryHost host;
    std::ifstream in(std::string(ZAVEK_TEST_DATA) + "/prefs/PGPprefs.txt", std::ios::binary);
    host.Put(appData + "\\PGP Corporation\\PGP\\PGPprefs.txt",
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    TPrefsFile prefs(host, 4, appData);
    Make(NewSdkSecure(), &prefs);
    EXPECT_EQ(pgp->Comment, "\"Sent by Ann, reachable at the office\" and home");
    EXPECT_EQ(pgp->CacheSeconds, 120);
    EXPECT_EQ(pgp->WipePasses, 8);
    EXPECT_FALSE(pgp->MarginalIsInvalid());

    EXPECT_EQ(pgp->LoadKeyRingPrefs(), 0);
    EXPECT_EQ(pgp->KeyRingSettings.PublicRing, "C:\\Users\\ann\\PGP\\pubring.pkr");
    EXPECT_EQ(pgp->KeyRingSettings.SecretRing, "C:\\Users\\ann\\PGP\\secring.skr");
    EXPECT_EQ(pgp->KeyRingSettings.DefaultKey, "0x1122334455667788");

    TKeyServer server;
    ASSERT_EQ(pgp->GetKeyServer(server), 0);
    EXPECT_EQ(server.Protocol, 0);
    EXPECT_EQ(server.Host, "keys.example.org");
    EXPECT_EQ(server.Port, "389");
    EXPECT_EQ(server.Flags, 1);

    EXPECT_EQ(pgp->SetKeyServer({ -1, "bad.example", "", 0 }), kStatusBadKeyServer);
    ASSERT_EQ(pgp->SetKeyServer({ 1, "pgp.example.net", "", 0 }), 0);
    ASSERT_EQ(pgp->GetKeyServer(server), 0);
    EXPECT_EQ(server.Protocol, 1);
    EXPECT_EQ(server.Host, "pgp.example.net");
    EXPECT_EQ(server.Port, "");

    // Without preferences the reader's status comes back and the record is zeroed.
    Make();
    server.Host = "old";
    EXPECT_EQ(pgp->GetKeyServer(server), kPrefsUnavailable);
    EXPECT_EQ(server.Host, "");
}

TEST_F(PGPInterfaceStandIn, SecureBlockFoundAlsoInQuotedPrintable)
{
    Make();
    const std::string armour = "-----BEGIN PGP SIGNED MESSAGE-----\r\nHash: SHA256\r\n\r\nHello\r\n"
                               "-----BEGIN PGP SIGNATURE-----\r\n\r\nabc=\r\n-----END PGP SIGNATURE-----\r\n";
    TMessageData data;
    std::string block;
    EXPECT_EQ(pgp->ExtractSecureBlock("Intro\r\n\r\n" + armour, data, block), static_cast<uint32_t>(skPgpSignedMessage));
    EXPECT_TRUE(data.HasOtherText);
    EXPECT_EQ(block.compare(0, 34, "-----BEGIN PGP SIGNED MESSAGE-----"), 0);

    // Quoted-printable: the dashes come as "=2D" and a soft break splits the BEGIN line.
    const std::string quoted = "=2D----BEGIN PGP SIGNED MES=\r\nSAGE-----\r\nHash: SHA256\r\n\r\nHello\r\n"
                               "=2D----BEGIN PGP SIGNATURE-----\r\n\r\nabc=3D\r\n=2D----END PGP SIGNATURE-----\r\n";
    EXPECT_EQ(pgp->ExtractSecureBlock(quoted, data, block), static_cast<uint32_t>(skPgpSignedMessage));
    EXPECT_EQ(block.compare(0, 34, "-----BEGIN PGP SIGNED MESSAGE-----"), 0);
    EXPECT_EQ(pgp->ExtractSecureBlock("plain text only", data, block), static_cast<uint32_t>(skNone));

    // An intact BEGIN line over a quoted-printable body: found at once, but only the decoded
    // text holds an armour the SDK accepts.
    std::ifstream in(WindowsPath(std::string(ZAVEK_KEY_FIXTURES) + "/dave.asc"), std::ios::binary);
    const std::string key((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string quotedKey;
    for (char c : key)
        quotedKey += c == '=' ? std::string("=3D") : std::string(1, c);
    const size_t bodyLine = quotedKey.find("\n\n") + 2;
    ASSERT_NE(bodyLine, std::string::npos + 2);
    quotedKey.insert(bodyLine + 20, "=\r\n");
    EXPECT_EQ(pgp->ExtractSecureBlock(quotedKey, data, block), static_cast<uint32_t>(skPgpPublicKeyBlock));
    EXPECT_EQ(block.find("=3D"), std::string::npos);
    TKeyIDData keys;
    EXPECT_EQ(pgp->ImportKeysFromText(block, nullptr, keys, true), 0) << "the block found is the key, whole";

    TSignatureData signature { "", "Good signature from Ann", 2 };
    data.Kind = skPgpSignedMessage;
    data.HasOtherText = true;
    EXPECT_TRUE(pgp->MarkPartlySigned(signature, data));
    EXPECT_EQ(signature.StatusText, "Partly: Good signature from Ann");
}

TEST_F(PGPInterfaceStandIn, RequestsRunInsideACacheHold)
{
    Make();
    pgp->CacheSeconds = 300;
    std::vector<int32_t> times;
    pgp->SetCacheCallback([&](int32_t seconds, bool) { times.push_back(seconds); });
    TSignatureData signature;
    pgp->VerifyText("-----BEGIN PGP MESSAGE-----", "", signature, false, false, nullptr);
    EXPECT_EQ(times, (std::vector<int32_t> { 300, 0, 300 })); // held, then released also on failure

    // Nothing asked of the encoder: nothing done, and that is a success.
    TEncodeRequest request;
    TKeyIDData recipients, signer, chosen;
    TEncodedText result("old");
    EXPECT_EQ(pgp->EncodeMimeBody("body", request, nullptr, &recipients, signer, chosen, result), 0);
    EXPECT_TRUE(result.Empty());
    request.Encrypt = true;
    {
        TDialogDriver cancel([](HWND dialog, HWND) { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
        EXPECT_EQ(pgp->EncodeMimeBody("body", request, nullptr, &recipients, signer, chosen, result),
            kStatusCancelled);
    }
    bool askedOnce = false;
    EXPECT_EQ(
        pgp->EncodeInlineText("", "utf-8", request, nullptr, askedOnce, &recipients, signer, chosen, result),
        kStatusEmptyInput);
}

// A PGP/MIME or S/MIME body asks for its recipients under its own captions, an inline part under
// the inline ones.
TEST_F(PGPInterfaceStandIn, KeyDialogCaptionsFollowTheBodyKind)
{
    Make();
    struct TCase {
        const char* name;
        bool mime, smime;
        std::string title, hint;
    };
    const TCase cases[] = {
        { "PGP/MIME", true, false, "MIME keys", "MIME hint" },
        { "S/MIME", true, true, "MIME certificates", "MIME hint" },
        { "inline", false, false, "inline keys", "inline hint" },
    };
    for (const TCase& c : cases) {
        TEncodeRequest request;
        request.Encrypt = true;
        request.SMime = c.smime;
        TKeyIDData recipients, signer, chosen;
        TEncodedText result;
        std::string title, hint;
        TDialogDriver read([&](HWND dialog, HWND) {
            char text[128] = {};
            GetDlgItemTextA(dialog, kKeyDialogTitle, text, sizeof text);
            title = text;
            GetDlgItemTextA(dialog, kKeyDialogHint, text, sizeof text);
            hint = text;
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        bool askedOnce = false;
        const int32_t status = c.mime
            ? pgp->EncodeMimeBody("body", request, nullptr, &recipients, signer, chosen, result)
            : pgp->EncodeInlineText("body", "utf-8", request, nullptr, askedOnce, &recipients, signer, chosen, result);
        EXPECT_EQ(status, kStatusCancelled) << c.name;
        EXPECT_EQ(title, c.title) << c.name;
        EXPECT_EQ(hint, c.hint) << c.name;
    }
}

TEST_F(PGPInterfaceStandIn, MissingKeyManagerIsReported)
{
    Make();
    EXPECT_FALSE(pgp->LaunchPGP());
    EXPECT_EQ(pgp->LastStatus, kStatusNotAvailable);
}

} // namespace
