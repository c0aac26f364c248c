// The PGP interface's portable rules and texts: version classes and help topics, hash choice,
// encode key-id clean-up, signature status lines, signer texts, key descriptions and key choices.
#include "engine/PGPInterfaceTexts.h"

#include "PGPInterfaceTestTexts.h"

#include <gtest/gtest.h>

namespace {

const std::string kAnnFull = "0x1111111122222222";
const std::string kBobFull = "0x33333333AAAABBBB";

TEST(PGPInterfaceRules, VersionClassKeyManagerAndHelpTopics)
{
    const struct {
        int major, generation, versionClass;
        const char *program, *general, *groups, *wipe;
    } cases[] = {
        { 6, 2, 0, "PGPkeys", "Additional Decryption Keys", "Groups", "wipe\\,using to wipe free space" },
        { 7, 3, 1, "PGPkeys", "/pgp/About_ADKs.htm", "/pgp/To_create_a_distribution_list.htm", "/pgp/Recommended_number_of_passes.htm" },
        { 8, 5, 2, "PGPkeys", "/65keys/keys-aboutadk.htm", "/65keys/keys-createlist.htm", "/45wipe/wipe-passes.htm" },
        { 9, 6, 3, "PGPdesk", "/Additional_Decryption_Keys.htm", "", "/Free_Space_Wiping.htm" },
        { 9, 7, 4, "PGPdesk", "2047.htm", "", "2063.htm" },
        { 9, 8, 5, "PGPdesk", "3443.htm", "", "2063.htm" },
        { 10, 13, 5, "PGPdesk", "3443.htm", "", "2063.htm" },
        { 11, 13, 0, "PGPkeys", "Additional Decryption Keys", "Groups", "wipe\\,using to wipe free space" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + "/" + std::to_string(c.generation));
        const int versionClass = VersionClassOf(c.major, c.generation);
        EXPECT_EQ(versionClass, c.versionClass);
        EXPECT_STREQ(KeyManagerOf(versionClass).Program, c.program);
        EXPECT_EQ(HelpTopicOf(versionClass, "ADK"), c.general);
        EXPECT_EQ(HelpTopicOf(versionClass, "groups"), c.groups);
        EXPECT_EQ(HelpTopicOf(versionClass, "WIPEFILES.free"), c.wipe);
    }
    EXPECT_STREQ(KeyManagerOf(0).Argument, "/s");
    EXPECT_STREQ(KeyManagerOf(3).Argument, "");
}

TEST(PGPInterfaceRules, HashChoice)
{
    const struct {
        int32_t signAlg;
        bool ripeMD, strong;
        int32_t hash;
    } cases[] = {
        { 0, true, true, 3 }, { 0, true, false, 3 }, { 0, false, true, 0 }, { 1, true, true, 4 },
        { 2, false, true, 5 }, { 3, false, true, 6 }, { 3, false, false, 0 }, { 4, false, true, 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(HashChoiceOf(c.signAlg, c.ripeMD, c.strong), c.hash) << c.signAlg << c.ripeMD << c.strong;
}

TEST(PGPInterfaceRules, SignerKeyIDAddedByEncryptToSelfIsDropped)
{
    const struct {
        std::string keyIDs, signer, expected;
    } cases[] = {
        { kAnnFull + "," + kBobFull, kBobFull, kAnnFull },
        { kAnnFull + "," + kBobFull, "0x33333333aaaabbbb", kAnnFull },
        { kBobFull, kBobFull, kBobFull }, // a lone signer key stays
        { kBobFull + "," + kAnnFull, kBobFull, kBobFull + "," + kAnnFull },
        { kAnnFull + "," + kBobFull, "", kAnnFull + "," + kBobFull },
        { "x" + kBobFull, kBobFull, "x" + kBobFull }, // no comma before it
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithoutTrailingSigner(c.keyIDs, c.signer), c.expected) << c.keyIDs;
}

TEST(PGPInterfaceRules, ShortKeyID)
{
    EXPECT_EQ(GetShortKeyID(kBobFull), "0xAAAABBBB");
    EXPECT_EQ(GetShortKeyID("0xAAAABBBB"), "0xAAAABBBB");
    EXPECT_EQ(GetShortKeyID("0xAAAABBB"), "");
    EXPECT_EQ(GetShortKeyID("AAAABBBBCCCCDDDD"), "");
    EXPECT_EQ(GetShortKeyID(""), "");
}

class SignatureTexts : public testing::Test {
protected:
    SignatureTexts()
        : t({ { 289, "valid as" }, { 293, "key expired" }, { 294, "key revoked" }, { 319, "not checked" },
            { 320, "Good signature" }, { 321, "BAD signature" }, { 322, "expired" }, { 323, " from" },
            { 324, "Unknown signer" }, { 325, "Unusable key" }, { 326, "of this signature" },
            { 327, "Import the key to check it." } })
    {
    }
    std::string Status(int32_t kind, const TSigPropsRec& props, bool marginalInvalid, uint32_t& code)
    {
        std::string text;
        SignatureStatusText(kind, props, marginalInvalid, *t.texts, text, code);
        return text;
    }
    TSigPropsRec Good(int32_t state, int32_t validity)
    {
        TSigPropsRec props;
        props.State = state;
        props.Validity = validity;
        props.KeyIDText = kBobFull;
        props.UserIDText = "Bob Stone <bob@example.net>";
        props.SigTimeText = "Tue, 08 Dec 2026, 12:00";
        return props;
    }
    TTestTexts t;
};

TEST_F(SignatureTexts, PGPStatesClassesAndLines)
{
    const std::string valid = t.texts->GetValidityName(3);
    const struct {
        int32_t kind, state, validity;
        bool marginalInvalid, revoked, expired;
        std::string subKey;
        uint32_t code;
        std::string text;
    } cases[] = {
        { 1, 0, 3, false, false, false, "", 1, "0x not checked" },
        { 0, 0, 3, false, false, false, "", 0x10001, "0x not checked" },
        { 1, 9, 3, false, false, false, "", 1, "0x not checked" },
        { 1, 2, 3, false, false, false, "", 2,
            "Good (Tue, 08 Dec 2026, 12:00) signature from Bob Stone <bob@example.net>, 0xAAAABBBB: valid as " + valid },
        { 0, 2, 2, false, false, false, "", 0x10002,
            "Good (Tue, 08 Dec 2026, 12:00) signature from Bob Stone <bob@example.net>, 0xAAAABBBB: valid as "
                + t.texts->GetValidityName(2) },
        { 1, 2, 2, true, false, false, "", 3,
            "Good (Tue, 08 Dec 2026, 12:00) signature from Bob Stone <bob@example.net>, 0xAAAABBBB: valid as "
                + t.texts->GetValidityName(2) },
        { 1, 2, 0, false, false, false, "", 3,
            "Good (Tue, 08 Dec 2026, 12:00) signature from Bob Stone <bob@example.net>, 0xAAAABBBB: "
                + t.texts->GetValidityName(0) },
        { 1, 2, 3, false, true, false, "0x5555555566667777", 6,
            "Good (Tue, 08 Dec 2026, 12:00) signature from Bob Stone <bob@example.net>, 0xAAAABBBB: key revoked (0x66667777)" },
        { 1, 1, 3, false, false, true, "", 5,
            "BAD signature from Bob Stone <bob@example.net>, 0xAAAABBBB: key expired" },
        { 1, 5, 3, false, false, false, "", 4,
            "Good expired signature from Bob Stone <bob@example.net>, 0xAAAABBBB: valid as " + valid },
        { 1, 3, 3, false, false, false, "", 6,
            "Unknown signer [ 0xAAAABBBB ] of this signature\r\nImport the key to check it." },
        { 1, 4, 3, false, false, false, "", 6, "Unusable key of this signature" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TSigPropsRec props = Good(c.state, c.validity);
        props.Revoked = c.revoked;
        props.Expired = c.expired;
        props.SubKeyIDText = c.subKey;
        uint32_t code = 0;
        EXPECT_EQ(Status(c.kind, props, c.marginalInvalid, code), c.text);
        EXPECT_EQ(code, c.code);
    }
}

TEST_F(SignatureTexts, SMimeValidityComesFromTheCertificateState)
{
    const struct {
        int32_t kind, certState, validity;
        bool disabled;
        uint32_t code;
        const char* tail;
    } cases[] = {
        // State 2, a chain the check could not complete: invalid unless the user trusts the key itself.
        { 9, 2, 2, false, 3, "T273" },
        { 9, 2, 3, false, 2, "T274" },
        { 9, 1, 0, false, 2, "T274" }, // state 1, a chain verified to a trusted root: valid
        { 8, 0, 3, false, 0x10003, "T272" }, // state 0, no chain check: not certified
        { 9, 1, 3, true, 6, "T298" },
    };
    for (const auto& c : cases) {
        TSigPropsRec props = Good(2, c.validity);
        props.CertState = c.certState;
        props.Disabled = c.disabled;
        uint32_t code = 0;
        const std::string text = Status(c.kind, props, false, code);
        EXPECT_EQ(code, c.code) << text;
        EXPECT_EQ(text.substr(text.size() - 4), c.tail) << text;
    }
}

// Several signers, a bad one before or after a good one: every signer is named, the worst first,
// and the code is the worst; no signer at all gives no text.
TEST_F(SignatureTexts, SeveralSignersOpenWithTheWorst)
{
    TSigPropsRec good = Good(2, 3), bad = Good(1, 3);
    bad.UserIDText = "Ann Lee <ann@example.org>";
    const std::string valid = t.texts->GetValidityName(3);
    const std::string goodText
        = "Good (Tue, 08 Dec 2026, 12:00) signature from Bob Stone <bob@example.net>, 0xAAAABBBB: valid as " + valid;
    const std::string badText = "BAD signature from Ann Lee <ann@example.org>, 0xAAAABBBB: valid as " + valid;
    const std::vector<std::vector<TSigPropsRec>> orders = { { good, bad }, { bad, good } };
    for (const auto& signatures : orders) {
        std::string text;
        uint32_t code = 0;
        SignersStatusText(1, signatures, false, *t.texts, text, code);
        EXPECT_EQ(text, badText + kSignerSeparator + goodText);
        EXPECT_EQ(code, 5u);
    }
    std::string text = "old";
    uint32_t code = 7;
    SignersStatusText(1, {}, false, *t.texts, text, code);
    EXPECT_EQ(text, "");
    EXPECT_EQ(code, 0u);
}

TEST_F(SignatureTexts, SignerTextOnThreeLines)
{
    const struct {
        std::string in, out;
    } cases[] = {
        { "Unknown signer [ 0x1 ] x", "Unknown signer [ 0x1 ] x" },
        { "0x not checked", "not checked" },
        { "Good (Tue, 12:00) signature from Bob <b@x>, 0xAAAABBBB: valid",
            "Good (Tue, 12:00)\r\nsignature from Bob <b@x>,\r\n0xAAAABBBB: valid" },
        // Without a comma the key line keeps its first character.
        { "Good (time) signature", "Good (time)\r\n\r\nsignature" },
        { "BAD signature from Bob, 0xAAAABBBB: x", "BAD signature from Bob,\r\n0xAAAABBBB: x" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatSignerText(c.in, *t.texts), c.out) << c.in;
}

TEST_F(SignatureTexts, PartlySignedMark)
{
    t.texts->SetEntry(328, "Partly signed:");
    const struct {
        uint32_t kind;
        bool other;
        std::string status;
        bool marked;
    } cases[] = {
        { 2, true, "Good signature from Bob", true },
        { 1, true, "Good signature from Bob", true },
        { 2, false, "Good signature from Bob", false },
        { 4, true, "Good signature from Bob", false }, // certificates and MIME kinds are whole
        { 6, true, "Good signature from Bob", false },
        { 2, true, "BAD signature from Bob", false },
        // As the status text of a good signature reads: its time or "(expired)" after "Good".
        { 1, true, "Good (Wed, 09 Dec 2026, 4:08:31 AM) signature from Bob", true },
        { 2, true, "Good (expired) signature from Bob", true },
        { 1, true, "Goodness", false },
    };
    for (const auto& c : cases) {
        std::string status = c.status;
        EXPECT_EQ(MarkPartlySignedText(c.kind, c.other, status, *t.texts), c.marked) << c.kind << c.status;
        EXPECT_EQ(status, c.marked ? "Partly signed: " + c.status : c.status);
    }
}

// A key list of three keys: Ann with two user ids and a certificate entry, Bob, and Carol.
class KeyListTexts : public testing::Test {
protected:
    KeyListTexts() : list(0x240E01C3)
    {
        TKeyPropsRec ann;
        ann.KeyID = "0x22222222";
        ann.UserID = "Ann Lee <ann@example.org>";
        ann.KeySize = "2048/2048 bits";
        ann.Algorithm = 1;
        ann.CreatedText = "Tue, 08 Dec 2026, 22:10";
        ann.Fingerprint = "AAAA BBBB";
        ann.Validity = 3;
        ann.Trust = 2;
        ann.UserIDs.emplace();
        ann.UserIDs->Add("Ann Lee <ann@example.org>");
        ann.UserIDs->Add("Ann at work <ann@work.example>");
        ann.UserIDs->Add("Ann Cert <ann@work.example>\tCN=Ann Cert, EMAIL=ann@work.example");
        ann.UserIDs->SetKind(2, 2);
        list.AddObject(kAnnFull, &ann);
        TKeyPropsRec bob;
        bob.KeyID = "0xAAAABBBB";
        bob.UserID = "Bob Stone <bob@example.net>";
        bob.KeySize = "1024 bits";
        list.AddObject(kBobFull, &bob);
        TKeyPropsRec carol;
        carol.KeyID = "0xCCCCDDDD";
        carol.UserID = "Carol Stone <carol@example.com>";
        carol.KeySize = "2048 bits";
        list.AddObject("0x99999999CCCCDDDD", &carol);
    }
    TTestTexts t;
    TKeyPropsList list;
};

TEST_F(KeyListTexts, KeyListResultJoinsAllKeys)
{
    TKeyIDData data { "old", "old", 9 };
    EXPECT_EQ(KeyListResult(&list, data), 3);
    EXPECT_EQ(data.UserText, "Ann Lee <ann@example.org>\r\nBob Stone <bob@example.net>\r\nCarol Stone <carol@example.com>");
    EXPECT_EQ(data.KeyIDText, kAnnFull + "," + kBobFull + ",0x99999999CCCCDDDD");
    EXPECT_EQ(data.Count, 3);
    EXPECT_EQ(KeyListResult(nullptr, data), 0);
    EXPECT_EQ(data.UserText, "");
    EXPECT_EQ(data.Count, 0);
}

TEST(CertificateTexts, CertListResult)
{
    TX509CertPropsList list;
    TKeyIDData data { "old", "old", 9 };
    EXPECT_EQ(CertListResult(&list, data), 0);
    EXPECT_EQ(data.UserText, "");
    TX509CertPropsRec first;
    first.SubjectName = "CN=Ann Lee, EMAIL=ann@example.org, O=Example";
    first.KeyID = kAnnFull;
    list.AddObject("a", &first);
    TX509CertPropsRec second;
    second.SubjectName = "O=Example Org, OU=Mail";
    second.KeyID = kBobFull;
    list.AddObject("b", &second);
    EXPECT_EQ(CertListResult(&list, data), 2);
    EXPECT_EQ(data.UserText, DNToUserID(first.SubjectName) + "\r\n" + DNToUserID(second.SubjectName));
    EXPECT_EQ(data.UserText.substr(0, 25), "Ann Lee <ann@example.org>");
    EXPECT_EQ(data.KeyIDText, kAnnFull + "," + kBobFull);
}

TEST_F(KeyListTexts, ChosenUserID)
{
    EXPECT_EQ(ChosenUserID(list, 0, "Ann at work <ann@work.example>", false), "Ann at work <ann@work.example>");
    EXPECT_EQ(ChosenUserID(list, 0, "someone <ann@work.example>", false), "Ann at work <ann@work.example>");
    EXPECT_EQ(ChosenUserID(list, 0, "someone <ann@work.example>", true), "Ann Cert <ann@work.example>");
    EXPECT_EQ(ChosenUserID(list, 0, "nobody <no@where>", false), "Ann Lee <ann@example.org>");
    // A key without a match keeps its own name, never the first key's.
    EXPECT_EQ(ChosenUserID(list, 1, "nobody <no@where>", false), "Bob Stone <bob@example.net>");
}

TEST_F(KeyListTexts, KeyChoicesAndDefaultKey)
{
    const struct {
        std::string keyID;
        int match;
    } cases[] = {
        { "0xAAAABBBB", 1 }, { "0xaaaabbbb", 1 }, { kAnnFull, 0 }, { "0x99999999CCCCDDDD", 2 },
        { "0x22222222", 0 }, { "0x12345678", -1 }, { "", -1 }, { "0x1111111122", -1 },
    };
    for (const auto& c : cases) {
        TStringList choices;
        EXPECT_EQ(FillKeyChoices(list, c.keyID, choices), c.match) << c.keyID;
        ASSERT_EQ(choices.Count(), 3);
        EXPECT_EQ(choices[1], "Bob Stone <bob@example.net> (1024 bits)");
        EXPECT_EQ(IntFromObject(choices.GetObject(2)), 2);
    }
    EXPECT_EQ(DefaultKeyIndex(list, "Bob Stone <bob@example.net>\\0xAAAABBBB"), 1);
    EXPECT_EQ(DefaultKeyIndex(list, "0x99999999ccccdddd"), 2);
    EXPECT_EQ(DefaultKeyIndex(list, "0x12345678"), 0);
    EXPECT_EQ(DefaultKeyIndex(list, ""), 0);
    EXPECT_EQ(KeyIDOfStoredKey("Ann\\0x1111111122222222"), kAnnFull);
}

TEST_F(KeyListTexts, KeyDescription)
{
    TKeyPropsRec ann = list.Record(0);
    const std::string tail = kAnnFull + "\r\n(0x22222222)\r\n\r\n" + t.texts->GetAlgorithmName(1)
        + " - 2048/2048 bits - 08 Dec 2026\r\n\r\n";
    EXPECT_EQ(KeyDescriptionText(kAnnFull, ann, false, "", *t.texts),
        "Ann Lee <ann@example.org>\r\n" + tail + "AAAA BBBB\r\n");

    const std::string validity = t.texts->GetValidityName(3) + "\r\n" + t.texts->GetTrustName(2) + "\r\n\r\n";
    EXPECT_EQ(KeyDescriptionText(kAnnFull, ann, true, "CERT\r\n", *t.texts),
        "Ann Lee <ann@example.org>\r\nAnn at work <ann@work.example>\r\n\r\n" + tail + validity + "AAAA BBBB\r\n");

    ann.ADKState = 1;
    ann.CertState = 2;
    EXPECT_EQ(KeyDescriptionText(kAnnFull, ann, true, "CERT\r\n", *t.texts),
        "CERT\r\nAnn Lee <ann@example.org>\r\nAnn at work <ann@work.example>\r\n\r\n>>>>>>>>>> A D K <<<<<<<<<<\r\n"
            + tail + validity + "AAAA BBBB\r\n");
}

TEST_F(KeyListTexts, KeyStatusLine)
{
    TKeyPropsRec key;
    EXPECT_EQ(KeyStatusLine(0, nullptr, *t.texts), "T219");
    EXPECT_EQ(KeyStatusLine(2, nullptr, *t.texts), "T224");
    EXPECT_EQ(KeyStatusLine(1, &key, *t.texts), "");
    key.Disabled = true;
    EXPECT_EQ(KeyStatusLine(1, &key, *t.texts), "T223");
    key.Expired = true;
    EXPECT_EQ(KeyStatusLine(1, &key, *t.texts), "T222");
    key.Revoked = true;
    EXPECT_EQ(KeyStatusLine(1, &key, *t.texts), "T221");
    key.Corrupt = true;
    EXPECT_EQ(KeyStatusLine(1, &key, *t.texts), "T220");
}

} // namespace
