// Tests of the language text lists over real files: loading, the user-language overlay, the
// cached name tables, error texts by code and the small helpers of the unit.
#include "foundation/ZAVEKResources.h"
#include "framework/Exceptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// A scratch folder of language files, removed after each test.
class LanguageFolder : public testing::Test {
protected:
    void SetUp() override
    {
        folder
            = fs::temp_directory_path() / ("zavek-lang-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
        fs::create_directories(folder);
        pattern = (folder / "Strings%s.txt").string();
    }
    void TearDown() override { fs::remove_all(folder); }

    void Write(const std::string& name, const std::string& content) const
    {
        std::ofstream(folder / name, std::ios::binary) << content;
    }
    // A language file whose entry N reads prefix + N, for entries 0 to last.
    void WriteNumbered(const std::string& language, const std::string& prefix, int last) const
    {
        std::string content = "# numbered test file\r\n";
        for (int n = 0; n <= last; ++n)
            content += prefix + std::to_string(n) + "\r\n";
        content.resize(content.size() - 2);
        Write("Strings" + language + ".txt", content);
    }

    fs::path folder;
    std::string pattern;
};

TEST_F(LanguageFolder, StringListLoadsEntriesAndRaisesForAMissingFile)
{
    Write("list.txt", "# comment\r\nA\r\n\r\n\"B\r\nC\"\r\nD");
    TZAVEKStringList list((folder / "list.txt").string());
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetEntry(1), "B\r\nC");
    EXPECT_EQ(list.GetEntry(3), "");
    EXPECT_EQ(list.GetEntry(65535), "");
    EXPECT_THROW(TZAVEKStringList((folder / "missing.txt").string()), EFOpenError);
}

TEST(ZAVEKStringList, SetTextAndSetEntry)
{
    TZAVEKStringList list;
    list.SetText("one\ntwo\n");
    EXPECT_EQ(list.Count(), 3);
    list.SetEntry(1, "TWO");
    EXPECT_EQ(list.GetEntry(1), "TWO");
    list.SetEntry(5, "six");
    EXPECT_EQ(list.Count(), 6);
    EXPECT_EQ(list.GetEntry(4), "");
    EXPECT_EQ(list.GetEntry(5), "six");
    EXPECT_EQ(list.UpdateCount(), 0);
    list.CommentChar = 0;
    list.SetText("#kept");
    EXPECT_EQ(list.GetEntry(0), "#kept");
}

TEST_F(LanguageFolder, OverlayCopiesExactlyTheUserLanguageEntries)
{
    WriteNumbered("Xx", "X", 460);
    WriteNumbered("Yy", "Y", 355); // lacks 356 to 360
    TZAVEKStrings strings(pattern, "Xx", "Yy");
    const auto& overlay = TZAVEKStrings::OverlayEntries;
    for (int n = 0; n <= 460; ++n) {
        const bool overlaid = std::find(overlay.begin(), overlay.end(), n) != overlay.end();
        const std::string expected
            = !overlaid ? "X" + std::to_string(n) : (n <= 355 ? "Y" + std::to_string(n) : std::string());
        EXPECT_EQ(strings.GetEntry(static_cast<uint16_t>(n)), expected) << n;
    }
}

TEST_F(LanguageFolder, NoOverlayForTheSameLanguageOrAMissingFile)
{
    // Would be read if the codes were compared with case (on a file system that tells them apart;
    // elsewhere the second file replaces it).
    WriteNumbered("xX", "Y", 400);
    WriteNumbered("Xx", "X", 400);
    EXPECT_EQ(TZAVEKStrings(pattern, "Xx", "xX").GetEntry(150), "X150");
    EXPECT_EQ(TZAVEKStrings(pattern, "Xx", "Zz").GetEntry(150), "X150");
    EXPECT_EQ(TZAVEKStrings(pattern, "Xx", "").GetEntry(150), "X150");
    EXPECT_THROW(TZAVEKStrings(pattern, "Qq", "Xx"), EFOpenError);
}

TEST_F(LanguageFolder, NameTablesAreRangeChecked)
{
    WriteNumbered("Xx", "E", 450);
    const TZAVEKStrings strings(pattern, "Xx", "Xx");
    struct NameCase {
        std::string (TZAVEKStrings::*getter)(int) const;
        int n;
        const char* expected;
    };
    const NameCase cases[] = {
        { &TZAVEKStrings::GetKeyTypeName, 0, "E243" },
        { &TZAVEKStrings::GetKeyTypeName, 1, "E244" },
        { &TZAVEKStrings::GetKeyTypeName, 2, "" },
        { &TZAVEKStrings::GetTrustName, 0, "E245" },
        { &TZAVEKStrings::GetTrustName, 7, "E252" },
        { &TZAVEKStrings::GetTrustName, 8, "" },
        { &TZAVEKStrings::GetValidityName, 3, "E256" },
        { &TZAVEKStrings::GetValidityName, 4, "" },
        { &TZAVEKStrings::GetAlgorithmName, 0, "E257" },
        { &TZAVEKStrings::GetAlgorithmName, 3, "E260" },
        { &TZAVEKStrings::GetAlgorithmName, 5, "" },
        { &TZAVEKStrings::GetAlgorithmName, 15, "" },
        { &TZAVEKStrings::GetAlgorithmName, 16, "E261" },
        { &TZAVEKStrings::GetAlgorithmName, 17, "E262" },
        { &TZAVEKStrings::GetAlgorithmName, 18, "E263" },
        { &TZAVEKStrings::GetAlgorithmName, 19, "" },
        { &TZAVEKStrings::GetHashName, 0, "E264" },
        { &TZAVEKStrings::GetHashName, 7, "E271" },
        { &TZAVEKStrings::GetHashName, 8, "E444" },
        { &TZAVEKStrings::GetHashName, 9, "" },
        { &TZAVEKStrings::GetCertValidityName, 0, "E272" },
        { &TZAVEKStrings::GetCertValidityName, 2, "E274" },
        { &TZAVEKStrings::GetCertValidityName, 3, "" },
        { &TZAVEKStrings::GetCertValidityName, -1, "" },
    };
    for (const NameCase& c : cases)
        EXPECT_EQ((strings.*c.getter)(c.n), c.expected) << c.n << " expecting " << c.expected;
}

TEST_F(LanguageFolder, ShippedEnglishFileLoads)
{
    const std::string resources = std::string(ZAVEK_TEST_DATA) + "/../../resources/ZAVEKStrings%s.txt";
    const TZAVEKStrings strings(resources, "En", "En");
    EXPECT_EQ(strings.GetEntry(100), "Error");
    EXPECT_EQ(strings.GetAlgorithmName(17), "DSA");
    EXPECT_EQ(strings.GetHashName(8), "SHA-224");
    EXPECT_NE(strings.GetHashName(8), strings.GetCertValidityName(0));
}

TEST_F(LanguageFolder, ErrorTextsByCode)
{
    Write("errors.txt", "first\r\nsecond\r\n\r\nfourth\r\n");
    const TPGPErrorStrings errors((folder / "errors.txt").string());
    ASSERT_EQ(errors.Count(), 4);
    EXPECT_EQ(errors.GetPGPErrorText(-12000), "first");
    EXPECT_EQ(errors.GetPGPErrorText(-11999), "second");
    EXPECT_EQ(errors.GetPGPErrorText(-11998), "");
    EXPECT_EQ(errors.GetPGPErrorText(-11997), "fourth");
    EXPECT_EQ(errors.GetPGPErrorText(-11996), "#FFFFD124");
    EXPECT_EQ(errors.GetPGPErrorText(-12001), "#FFFFD11F");
    EXPECT_EQ(errors.GetPGPErrorText(0), "#00000000");
    EXPECT_EQ(errors.GetPGPErrorText(INT32_MIN), "#80000000");
    EXPECT_THROW(TPGPErrorStrings((folder / "none.txt").string()), EFOpenError);
}

TEST(LanguageHelpers, FileNameHelpTopicsAndSMimeMention)
{
    EXPECT_EQ(LanguageFileName("C:\\R\\ZAVEKStrings%s.txt", "De"), "C:\\R\\ZAVEKStringsDe.txt");
    EXPECT_EQ(LanguageFileName("plain.txt", "De"), "plain.txt");
    TStringList topics;
    RegisterHelpTopics(&topics);
    ASSERT_EQ(topics.Count(), 6);
    EXPECT_EQ(topics[0], "AUTOLIST_OPTIONS_DLG.htm");
    EXPECT_EQ(IntFromObject(topics.Objects(0)), 28);
    EXPECT_EQ(topics[5], "CONFIGURATION_DLG.htm");
    EXPECT_EQ(IntFromObject(topics.Objects(5)), 33);
    RegisterHelpTopics(nullptr);

    const std::pair<const char*, const char*> mentions[] = {
        { "&Decrypt PGP/MIME and S/MIME messages", "&Decrypt PGP/MIME messages" },
        { "decrypt pgp/mime or s/mime", "decrypt pgp/mime" },
        { "S/MIME before PGP/MIME", "S/MIME before PGP/MIME" },
        { "only PGP/MIME", "only PGP/MIME" },
        { "only S/MIME", "only S/MIME" },
        { "PGP/MIMES/MIME", "PGP/MIME" },
        { "", "" },
    };
    for (const auto& [text, expected] : mentions) {
        EXPECT_EQ(RemoveSMimeMention(text, true), expected) << text;
        EXPECT_EQ(RemoveSMimeMention(text, false), text);
    }
}

} // namespace
