// The key dialog's window-free rules: the tree items built from a key list with groups, the
// preselection order (never a fuzzy guess for a key id), the fuzzy search, the result key ids
// (groups given as their members) and the marked-count text.
#include "engine/KeyDialogRules.h"

#include <gtest/gtest.h>

namespace {

const std::string kAnn = "0xAAAAAAAA11111111";
const std::string kBob = "0xBBBBBBBB22222222";
const std::string kFan = "0xCCCCCCCC33333333";

void AddKey(TKeyPropsList& list, const std::string& id, const std::string& userID, int32_t algorithm,
            const std::vector<std::pair<std::string, uint8_t>>& userIDs, int32_t validity = 2)
{
    const int line = list.Add(id);
    TKeyPropsRec& record = list.Record(line);
    record.KeyID = "0x" + id.substr(10);
    record.UserID = userID;
    record.KeySize = "2048";
    record.Algorithm = algorithm;
    record.Validity = validity;
    record.UserIDs.emplace();
    for (const auto& [text, uidValidity] : userIDs) {
        const int u = record.UserIDs->Add(text);
        record.UserIDs->SetValidity(u, uidValidity);
    }
}

// Ann (RSA, two user ids of different validity), Bob (DSA/ElGamal), a key whose user id looks
// like a key id; groups "team" (Ann and Bob) and "gone" (unknown keys only).
void Fill(TKeyPropsList& list)
{
    AddKey(list, kAnn, "Ann Lee <ann@example.org>", 1,
           { { "Ann Lee <ann@example.org>", 2 }, { "Ann at work <ann@work.example>", 1 } });
    AddKey(list, kBob, "Bob Stone <bob@example.net>", 17, { { "Bob Stone <bob@example.net>", 2 } });
    AddKey(list, kFan, "0x12345678 fan <fan@example.com>", 1, { { "0x12345678 fan <fan@example.com>", 2 } }, 1);
    list.Groups().Add("The team <team>\t" + kBob + "," + kAnn);
    list.Groups().Add("<gone>\t0x0000000000000001");
}

int FindItem(const std::vector<TKeyTreeItem>& items, const std::string& text)
{
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].text == text)
            return static_cast<int>(i);
    return -1;
}

TEST(KeyDialogRules, TreeHoldsKeysUserIDsAndGroupsInOrder)
{
    TKeyPropsList list(kKeyPropKeyID);
    Fill(list);
    const std::vector<TKeyTreeItem> items = BuildKeyTree(list, false, "group");
    ASSERT_EQ(items.size(), 3u + 4u + 1u + 3u);
    EXPECT_EQ(items[0].text, "Ann Lee <ann@example.org> (2048)");
    EXPECT_EQ(items[0].image, kKeyImageRSA);
    EXPECT_EQ(items[0].state, 2) << "user ids of differing validity make the key marginal";
    EXPECT_EQ(list.Record(0).Validity, 2);
    EXPECT_EQ(items[2].text, "Ann at work <ann@work.example>");
    EXPECT_EQ(items[2].parent, 0);
    EXPECT_EQ(items[2].state, 1);
    EXPECT_EQ(items[3].image, kKeyImageDH);
    EXPECT_EQ(items[4].image, kKeyImageUserIDDH);
    // Groups from the last line to the first, data below zero.
    const int gone = FindItem(items, "gone (group)");
    const int team = FindItem(items, "team (group)");
    ASSERT_GE(gone, 0);
    ASSERT_GT(team, gone);
    EXPECT_EQ(items[gone].data, -1);
    EXPECT_EQ(items[team].data, -2);
    EXPECT_EQ(items[gone].state, 1);
    EXPECT_EQ(team, static_cast<int>(items.size()) - 3) << "a group of unknown keys keeps no children";
    EXPECT_EQ(items[team + 1].text, "Ann Lee <ann@example.org> (2048)") << "members are sorted";
    EXPECT_EQ(items[team + 1].parent, team);
    EXPECT_TRUE(items[team + 1].greyed);
    EXPECT_EQ(items[team].state, 3);
}

TEST(KeyDialogRules, CertificateModeShowsOnlyCertificatesSortedAtTheRoot)
{
    TKeyPropsList list(kKeyPropKeyID);
    AddKey(list, kAnn, "Ann", 1, { { "Zed\tCN=Zed", 2 }, { "plain user id", 2 }, { "Amy\tCN=Amy", 1 } });
    list.Record(0).UserIDs->SetKind(0, kCertValid);
    list.Record(0).UserIDs->SetCheckResult(0, 2);
    list.Record(0).UserIDs->SetKind(2, kCertInvalid);
    const std::vector<TKeyTreeItem> items = BuildKeyTree(list, true, "group");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, "CN=Amy");
    EXPECT_EQ(items[0].state, 1);
    EXPECT_EQ(items[1].text, "CN=Zed");
    EXPECT_EQ(items[1].state, 3) << "self-signed with full validity counts as checked";
    EXPECT_EQ(items[1].image, kKeyImageCertificate);
    EXPECT_EQ(items[1].parent, -1);
}

TEST(KeyDialogRules, PreselectionOrder)
{
    TKeyPropsList list(kKeyPropKeyID);
    Fill(list);
    const std::vector<TKeyTreeItem> items = BuildKeyTree(list, false, "group");
    struct Case {
        const char* wanted;
        bool single;
        std::string expected; // item text, empty: none
    };
    const Case cases[] = {
        { "0xbbbbbbbb22222222", true, "Bob Stone <bob@example.net> (2048)" },
        { "0x22222222", true, "Bob Stone <bob@example.net> (2048)" },
        { "0xBBBBBBBB22222222", false, "" },
        { "ANN AT WORK <ann@work.example>", false, "Ann at work <ann@work.example>" },
        { "tea", false, "team (group)" },
        { "t", true, "" },
        // A key id that is nobody's never leads to a guess, though a user id starts with it.
        { "0x12345678", true, "" },
        { "0x1234567 fan", true, "0x12345678 fan <fan@example.com>" },
        { "Bobby <bob@example.net>", true, "Bob Stone <bob@example.net>" },
        { "Bobby <bob@example.net>", false, "" },
        { "", true, "" },
    };
    for (const Case& c : cases) {
        const int found = FindPreselection(items, list, c.wanted, c.single);
        EXPECT_EQ(found < 0 ? "" : items[found].text, c.expected) << c.wanted << " single=" << c.single;
    }
}

// Several typed recipients in the multiple mode: each one's key is marked, once, in typed order;
// a recipient that finds no key adds none.
TEST(KeyDialogRules, EachTypedRecipientMarksItsKey)
{
    TKeyPropsList list(kKeyPropKeyID);
    Fill(list);
    const std::vector<TKeyTreeItem> items = BuildKeyTree(list, false, "group");
    std::vector<std::string> marked;
    for (int top : FindPreselections(items, list, "bob@example.net, zz top, ann@example.org, 0x22222222"))
        marked.push_back(items[top].text);
    ASSERT_EQ(marked.size(), 2u);
    EXPECT_EQ(marked[0].rfind("Bob Stone <bob@example.net>", 0), 0u) << marked[0];
    EXPECT_EQ(marked[1].rfind("Ann Lee <ann@example.org>", 0), 0u) << marked[1];
    EXPECT_TRUE(FindPreselections(items, list, "").empty());
}

TEST(KeyDialogRules, FuzzySearch)
{
    const std::vector<std::string> userIDs = {
        "Ann Lee <ann@example.org>", "Ann at work <ann@work.example>", "Bob Stone <bob@example.net>",
        "Carol Stone <carol@example.com>", "Dave",
    };
    const std::pair<const char*, int> cases[] = {
        { "ANN@EXAMPLE.ORG", 0 }, // the address, whatever the case
        { "\"Ann\" <ann@work.example>", 1 },
        { "bob stone", 2 }, // the whole user id
        { "bob.stone", 2 },
        { "dave@elsewhere.org", 4 }, // the part before the at sign
        { "carol@other.org", 3 }, // a user id beginning with it
        { "Caroline Smith", 3 }, // shortened word by word, then letter by letter
        { "Jim Dave", 4 }, // the last word of a user id
        { "x", -1 },
        { "zz top", -1 },
    };
    for (const auto& [wanted, expected] : cases)
        EXPECT_EQ(FuzzyFind(userIDs, wanted), expected) << wanted;
    EXPECT_EQ(NormaliseForSearch("A.b-C <d@E>"), "a b c  d e ");
}

TEST(KeyDialogRules, ChosenItemsGiveKeyIDsInTreeOrderWithGroupsExpanded)
{
    TKeyPropsList list(kKeyPropKeyID);
    Fill(list);
    const std::vector<TKeyTreeItem> items = BuildKeyTree(list, false, "group");
    const int team = FindItem(items, "team (group)");
    const int gone = FindItem(items, "gone (group)");
    const int fan = FindItem(items, "0x12345678 fan <fan@example.com> (2048)");
    EXPECT_EQ(ChosenKeyIDs(items, list, { fan, team }), kFan + "," + kAnn + "," + kBob);
    EXPECT_EQ(ChosenKeyIDs(items, list, { 0, team }), kAnn + "," + kBob) << "each key once";
    EXPECT_EQ(ChosenKeyIDs(items, list, { 2 }), kAnn) << "a user id stands for its key";
    EXPECT_EQ(ChosenKeyIDs(items, list, { team + 1 }), kAnn + "," + kBob) << "a member stands for its group";
    EXPECT_EQ(ChosenKeyIDs(items, list, { gone }), "");
}

TEST(KeyDialogRules, Texts)
{
    EXPECT_EQ(MarkedCountText(2, "marked"), "0002 marked");
    EXPECT_EQ(MarkedCountText(12345, "marked"), "12345 marked");
    EXPECT_EQ(LegacyKeyTypeName("RSA"), "RSA-Legacy");
    EXPECT_EQ(LegacyKeyTypeName("RSA/E"), "RSA-Legacy/E");
    EXPECT_EQ(LegacyKeyTypeName("DH/DSS"), "DH/DSS");
    const TKeyGroup group = ParseGroupLine("Friends <pals>\t0x1,,0x2");
    EXPECT_EQ(group.title, "Friends <pals>");
    EXPECT_EQ(group.name, "pals");
    EXPECT_EQ(group.keyIDs, (std::vector<std::string> { "0x1", "0x2" }));
    EXPECT_TRUE(ParseGroupLine("<none>").keyIDs.empty());

    TKeyPropsRec record;
    record.UserID = "Ann";
    record.Validity = 2;
    record.Trust = 1;
    record.KeySize = "2048";
    record.Algorithm = 1;
    record.CreatedText = "Mon";
    record.ADKState = 1;
    TKeyDialogNames names;
    names.Validity = { "invalid", "marginal", "valid" };
    names.Trust = { "none", "some" };
    EXPECT_EQ(KeyDetailsText(record, kAnn, names),
              ">>>>>>>>>> A D K <<<<<<<<<<\r\nAnn\r\nvalid, some\r\n" + kAnn + "\r\n2048 1\r\nMon");
    names.Algorithms = { "none", "RSA" };
    record.LegacyKey = true;
    record.ADKState = 0;
    record.ExpiresText = "Tue";
    EXPECT_EQ(KeyDetailsText(record, kAnn, names), "Ann\r\nvalid, some\r\n" + kAnn + "\r\n2048 RSA-Legacy\r\nMon - Tue");
}

TEST(KeyDialogRules, CertificateDetailsNameStateSubjectIssuerAndDates)
{
    TKeyDialogNames names;
    names.CertificateStates = { "Not certified", "Invalid certificate", "Valid certificate" };
    TX509CertPropsRec valid, revoked;
    valid.SubjectName = "CN=Ann";
    valid.IssuerName = "CN=CA";
    valid.CreatedText = "Mon";
    valid.ExpiresText = "Tue";
    valid.Verified = true;
    revoked = valid;
    revoked.Revoked = true;
    revoked.ExpiresText.clear();
    EXPECT_EQ(CertificateDetailsText({ valid, revoked }, names),
        "Valid certificate\r\nCN=Ann\r\nCN=CA\r\nMon - Tue\r\n\r\nInvalid certificate\r\nCN=Ann\r\nCN=CA\r\nMon");
    valid.Verified = false;
    EXPECT_EQ(CertificateDetailsText({ valid }, names).substr(0, 15), "Not certified\r\n");
    EXPECT_EQ(CertificateDetailsText({}, names), "");
}

} // namespace
