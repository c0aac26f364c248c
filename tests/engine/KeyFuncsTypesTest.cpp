// The key and certificate lists and their text forms, without an SDK: record ownership through
// every list operation (the sanitizer build catches leaks and double frees), sub-lists by
// selection, user-id entries, distinguished names, fingerprints and search-text splitting.
#include "engine/KeyFuncsTypes.h"
#include "framework/Exceptions.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyFuncsText, DistinguishedNames)
{
    const struct {
        const char* dn;
        const char* userID;
        const char* shortForm;
        const char* shortAll;
    } cases[] = {
        { "CN=Ann Lee,EMAIL=ann@example.org,O=Example", "Ann Lee <ann@example.org>", "CN=Ann Lee",
          "CN=Ann Lee, EMAIL=ann@example.org" },
        { "CN=Ann Lee,O=Example", "Ann Lee", "CN=Ann Lee", "CN=Ann Lee" },
        { "EMAIL=ann@example.org", "<ann@example.org>", "EMAIL=ann@example.org", "EMAIL=ann@example.org" },
        // Only organisation and unit: the organisation, a blank and the unit in angle brackets.
        { "O=Example Ltd,OU=Sales", "Example Ltd <Sales>", "O=Example Ltd", "O=Example Ltd, OU=Sales" },
        // EMAIL is searched only after the CN value.
        { "EMAIL=a@x,CN=Bob", "Bob", "CN=Bob", "CN=Bob" },
        { "cn=lower case", "", "", "" },
        { "", "", "", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dn);
        EXPECT_EQ(DNToUserID(c.dn), c.userID);
        EXPECT_EQ(DNShortForm(c.dn, false), c.shortForm);
        EXPECT_EQ(DNShortForm(c.dn, true), c.shortAll);
    }
}

TEST(KeyFuncsText, FingerprintGroupsWithWiderGapInTheMiddle)
{
    uint8_t bytes[20];
    for (int i = 0; i < 20; ++i)
        bytes[i] = static_cast<uint8_t>(0xA0 + i);
    const std::string v4 = FingerprintText(bytes, 20);
    EXPECT_EQ(v4, "A0A1 A2A3 A4A5 A6A7 A8A9  AAAB ACAD AEAF B0B1 B2B3");
    EXPECT_EQ(v4.size(), 50u);
    const std::string v3 = FingerprintText(bytes, 16);
    EXPECT_EQ(v3, "A0A1 A2A3 A4A5 A6A7  A8A9 AAAB ACAD AEAF");
    EXPECT_EQ(v3.size(), 40u);
    EXPECT_EQ(FingerprintText(bytes, 0), "");
}

TEST(KeyFuncsText, KeyIDsAndHashNumbers)
{
    EXPECT_EQ(ShortKeyIDText("0x0123456789ABCDEF"), "0x89ABCDEF");
    EXPECT_EQ(ShortKeyIDText(""), "");
    const struct {
        const char* text;
        bool keyID;
    } ids[] = {
        { "0x89ABCDEF", true }, { "0X89abcdef", true }, { "0x0123456789ABCDEF", true }, { "0x89ABCDE", false },
        { "0x89ABCDEG", false }, { "89ABCDEF", false }, { "0x0123456789ABCDEF0", false }, { "0x", false },
    };
    for (const auto& c : ids)
        EXPECT_EQ(IsKeyIDText(c.text), c.keyID) << c.text;
    const int32_t hashes[][2] = { { 0, 1 }, { 1, 2 }, { 3, 4 }, { 4, 1 }, { 5, 2 }, { 11, 8 } };
    for (const auto& h : hashes)
        EXPECT_EQ(MapHashAlgorithm(h[0]), h[1]) << h[0];
}

TEST(KeyFuncsText, CommaTextItems)
{
    const struct {
        const char* text;
        std::vector<std::string> items;
    } cases[] = {
        { "John Smith <js@example.org>", { "John", "Smith", "<js@example.org>" } },
        { "\"John Smith\", 0x89ABCDEF", { "John Smith", "0x89ABCDEF" } },
        { "  a,b  ,  c ", { "a", "b", "c" } },
        { "\"say \"\"hi\"\"\"", { "say \"hi\"" } },
        { "a,,b", { "a", "", "b" } },
        { "", {} },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SplitCommaText(c.text), c.items);
    }
}

TEST(KeyPropsList, SubListsFollowTheSelection)
{
    const struct {
        uint32_t selection;
        bool userIDs, signatures, adks, revokers;
    } cases[] = {
        { 0, false, false, false, false },
        { kKeyPropSignatures, true, true, false, false },
        { kKeyPropUserIDs, true, false, false, false },
        { kKeyPropADKs | kKeyPropRevokers, false, false, true, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selection);
        TKeyPropsList list(c.selection);
        list.Add("0x0000000000000001");
        const TKeyPropsRec& record = list.Record(0);
        EXPECT_EQ(record.UserIDs.has_value(), c.userIDs);
        EXPECT_EQ(record.Signatures.has_value(), c.signatures);
        EXPECT_EQ(record.ADKs.has_value(), c.adks);
        EXPECT_EQ(record.Revokers.has_value(), c.revokers);
        if (record.UserIDs) {
            EXPECT_GT(record.UserIDs->UpdateCount(), 0);
        }
    }
}

TEST(KeyPropsList, EachLineOwnsOneRecord)
{
    TKeyPropsList list(kKeyPropUserIDs);
    EXPECT_GT(list.UpdateCount(), 0);
    TKeyPropsRec source;
    source.UserID = "Ann <ann@example.org>";
    source.Algorithm = 17;
    source.ADKs.emplace().Add("0x1"); // the list did not ask for ADKs
    source.UserIDs.emplace().Add("kept");
    list.AddObject("0xAAAAAAAAAAAAAAAA", &source);
    list.AddObject("0xAAAAAAAAAAAAAAAA", &source); // a duplicate is still a new line
    ASSERT_EQ(list.Count(), 2);
    EXPECT_NE(&list.Record(0), &list.Record(1));
    EXPECT_EQ(list.Record(1).UserID, source.UserID);
    EXPECT_EQ(list.Record(1).Algorithm, 17);
    EXPECT_FALSE(list.Record(1).ADKs.has_value());
    ASSERT_TRUE(list.Record(1).UserIDs.has_value());
    EXPECT_EQ(list.Record(1).UserIDs->Count(), 1);
    source.UserID = "changed";
    EXPECT_EQ(list.Record(0).UserID, "Ann <ann@example.org>");

    list.Insert(0, "0xBBBBBBBBBBBBBBBB");
    list.InsertObject(3, "0xCCCCCCCCCCCCCCCC", &source);
    EXPECT_EQ(list.Record(0).UserID, "");
    EXPECT_EQ(list.Record(3).UserID, "changed");

    TKeyPropsRec* moving = &list.Record(3);
    list.Move(3, 0);
    EXPECT_EQ(&list.Record(0), moving);
    EXPECT_EQ(list[0], "0xCCCCCCCCCCCCCCCC");
    list.Move(0, 2);
    EXPECT_EQ(&list.Record(2), moving);
    EXPECT_THROW(list.Move(0, 9), EListError);

    TKeyPropsRec copy;
    list.GetRecord(2, copy);
    copy.UserIDs->Add("only in the copy");
    EXPECT_EQ(copy.UserIDs->Count(), 2);
    EXPECT_EQ(list.Record(2).UserIDs->Count(), 1);

    list.Delete(1);
    EXPECT_EQ(list.Count(), 3);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    list.Add("0xDDDDDDDDDDDDDDDD"); // freed by the destructor
    list.Groups().Add("<group>\t");
}

TEST(KeyPropsList, SortedListIgnoringDuplicateDoesNotLeak)
{
    TKeyPropsList list(0);
    list.SetDuplicates(dupIgnore);
    list.SetSorted(true);
    list.Add("0x1");
    EXPECT_EQ(list.Add("0x1"), 0);
    EXPECT_EQ(list.Count(), 1);
}

TEST(UserIDs, EntryBytesAndCertificateTexts)
{
    TUserIDs ids;
    ids.Add("Ann <ann@example.org>");
    ids.Add("Ann <ann@example.org>\tCN=Ann Lee,EMAIL=ann@example.org");
    ids.Add("Bob\tCN=Bob");
    ids.SetValidity(0, 3);
    ids.SetKind(1, kCertSelfSigned);
    ids.SetCheckResult(1, 2);
    ids.SetKeyUsage(1, 0xA0);
    ids.SetValidity(1, 2);
    ids.SetKind(2, kCertInvalid);

    EXPECT_EQ(ids.Get(0), "Ann <ann@example.org>");
    EXPECT_EQ(ids.Get(1), "Ann Lee <ann@example.org>");
    EXPECT_EQ(ids.Get(2), "Bob\tCN=Bob"); // an invalid certificate shows its stored text
    EXPECT_EQ(ids.GetCertUserID(1), "Ann <ann@example.org>");
    EXPECT_EQ(ids.GetCertSubject(1), "CN=Ann Lee,EMAIL=ann@example.org");
    EXPECT_EQ(ids.GetCertSubject(0), "");
    EXPECT_EQ(ids.Validity(0), 3);
    EXPECT_EQ(ids.Kind(0), 0);
    EXPECT_EQ(ids.CheckResult(1), 2);
    EXPECT_EQ(ids.Validity(1), 2);
    EXPECT_EQ(ids.Kind(1), kCertSelfSigned);
    EXPECT_EQ(ids.KeyUsage(1), 0xA0);
    EXPECT_EQ(IntFromObject(ids.Objects(1)), 0xA0030202);
}

TEST(X509CertPropsList, DuplicatesAndOwnership)
{
    TX509CertPropsList list;
    TX509CertPropsRec record;
    record.SubjectName = "CN=Ann";
    list.AddObject("cert", &record);
    list.AddObject("cert", &record);
    list.Add("empty");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Record(1).SubjectName, "CN=Ann");
    EXPECT_EQ(list.Record(2).SubjectName, "");
    list.Move(2, 0);
    EXPECT_EQ(list[0], "empty");
    TX509CertPropsRec out;
    list.GetRecord(1, out);
    EXPECT_EQ(out.SubjectName, "CN=Ann");
    list.Delete(0);
    list.Insert(0, "again");
    EXPECT_EQ(list.Count(), 3);
}

} // namespace
