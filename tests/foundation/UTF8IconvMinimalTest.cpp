// The charset unit with an iconv library that has only the three conversion calls: names and the
// locale charset come from the unit's own rules, and lack of room is recognised without the
// library's error entry point.
#include "UTF8RoadCases.h"

namespace {

std::string MinimalLibraryFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program = path;
    return program.substr(0, program.find_last_of('\\')) + "\\iconv-minimal";
}

class TLoadMinimalIconv : public testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(LoadIconvLibrary(MinimalLibraryFolder())); }
};

const auto* const LoadMinimalIconv = testing::AddGlobalTestEnvironment(new TLoadMinimalIconv);

TEST(UTF8IconvMinimal, ConversionsWithIconv)
{
    ExpectConversionsOfBothRoads();
}

TEST(UTF8IconvMinimal, NamesByTheUnitsOwnRules)
{
    EXPECT_EQ(CanonicalCharsetName("windows-1250"), "CP1250");
    EXPECT_EQ(CanonicalCharsetName("latin1"), "latin1");
    EXPECT_EQ(Utf8ToCharset("\xC5\x82", "WINDOWS-1250"), "\xB3");
}

TEST(UTF8IconvMinimal, OutputLargerThanTheFirstBufferIsNotLost)
{
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "\xC3\xA9";
    const std::string utf7 = Utf8ToCharset(text, "UTF-7");
    EXPECT_GT(utf7.size(), text.size() + 16);
    EXPECT_EQ(CharsetToUtf8(utf7, "UTF-7"), text);
}

} // namespace
