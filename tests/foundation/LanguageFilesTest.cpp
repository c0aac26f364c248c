// Checks of the shipped English language files: entry numbering against the "# N" markers, the
// texts other parts cut or compose, and the line of every error code.
#include "foundation/ZAVEKResourcesParser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>

namespace {

std::string ReadResource(const std::string& name)
{
    std::ifstream in(std::string(ZAVEK_TEST_DATA) + "/../../resources/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ZAVEKStringsEn : public testing::Test {
protected:
    void SetUp() override
    {
        file = ReadResource("ZAVEKStringsEn.txt");
        ASSERT_FALSE(file.empty());
        entries = ParseLanguageText(file);
    }
    std::string file;
    std::vector<std::string> entries;
};

TEST_F(ZAVEKStringsEn, MarkersStandBeforeTheirEntries)
{
    const std::regex marker(R"(\r\n# (\d+)\r\n)");
    int markers = 0;
    for (auto it = std::sregex_iterator(file.begin(), file.end(), marker); it != std::sregex_iterator();
         ++it) {
        const size_t number = std::stoul((*it)[1]);
        const std::string before = file.substr(0, static_cast<size_t>(it->position()));
        EXPECT_EQ(ParseLanguageText(before).size(), number) << "marker # " << number;
        ++markers;
    }
    EXPECT_GT(markers, 40);
    EXPECT_EQ(entries.size(), 455u);
    EXPECT_EQ(file.find('\n'), file.find("\r\n") + 1) << "lines end with CR LF";
}

TEST_F(ZAVEKStringsEn, FixedEntries)
{
    EXPECT_EQ(entries[100], "Error");
    EXPECT_EQ(entries[103], "Question");
    EXPECT_EQ(entries[1], "");
    EXPECT_EQ(entries[444], "SHA-224");
    EXPECT_NE(entries[158].find("\r\n"), std::string::npos) << "one item per line";
    for (int overlay :
        { 150, 329, 337, 338, 339, 340, 347, 348, 349, 350, 351, 352, 353, 354, 355, 356, 357, 358, 359 })
        EXPECT_FALSE(entries[overlay].empty()) << overlay;
}

TEST_F(ZAVEKStringsEn, TextsThatAreCutByRule)
{
    // Toolbar hint 20 is cut at the blank before "(" and at its "/" for the single buttons.
    const std::string hint = entries[20];
    const size_t paren = hint.find(" (");
    ASSERT_NE(paren, std::string::npos);
    const std::string both = hint.substr(0, paren);
    const size_t slash = both.find('/');
    ASSERT_NE(slash, std::string::npos);
    EXPECT_EQ(both.substr(0, slash) + both.substr(both.find(' ', slash)), "Encrypt message");
    EXPECT_EQ(both.substr(slash + 1), "Sign message");
    // Texts that mention S/MIME after PGP/MIME, for hosts without S/MIME.
    for (int n : { 75, 421 }) {
        const size_t pgpMime = entries[n].find("PGP/MIME");
        ASSERT_NE(pgpMime, std::string::npos) << n;
        EXPECT_GT(entries[n].find("S/MIME"), pgpMime) << n;
    }
    EXPECT_NE(entries[299].find("%s"), std::string::npos);
    EXPECT_NE(entries[305].find("%s"), std::string::npos);
}

TEST(PGPErrorStringsEn, OneLinePerCodeFromMinus12000)
{
    const std::string file = ReadResource("PGPErrorStringsEn.txt");
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = file.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(file.substr(start, end - start));
    ASSERT_EQ(lines.size(), 2001u);
    EXPECT_EQ(lines[static_cast<size_t>(PGPErrorLineOfCode(-11987))], "The operation was cancelled.");
    EXPECT_EQ(lines[static_cast<size_t>(PGPErrorLineOfCode(-11999))], "There is not enough memory.");
    EXPECT_EQ(lines[static_cast<size_t>(PGPErrorLineOfCode(-11993))],
        "The file could not be wiped: it could not be overwritten or is still there.");
    EXPECT_EQ(lines[static_cast<size_t>(PGPErrorLineOfCode(-10000))], "PGP error -10000.");
    for (const std::string& line : lines)
        EXPECT_FALSE(line.empty());
}

} // namespace
