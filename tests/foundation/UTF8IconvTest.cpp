// The charset unit with the iconv library loaded (the stand-in beside this program): the same
// conversions as without it, charset names through the library, transliteration and output
// that outgrows the first buffer.
#include "UTF8RoadCases.h"

namespace {

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\'));
}

// Runs before every test: the library loads only by its full path, and then once.
class TLoadIconv : public testing::Environment {
public:
    void SetUp() override
    {
        EXPECT_FALSE(LoadIconvLibrary("."));
        EXPECT_FALSE(LoadIconvLibrary(""));
        EXPECT_FALSE(LoadIconvLibrary("C:\\no such folder"));
        EXPECT_FALSE(IconvLoaded());
        ASSERT_TRUE(LoadIconvLibrary(ProgramFolder()));
        EXPECT_TRUE(IconvLoaded());
    }
};

const auto* const LoadIconv = testing::AddGlobalTestEnvironment(new TLoadIconv);

TEST(UTF8Iconv, ConversionsWithIconv)
{
    ExpectConversionsOfBothRoads();
}

TEST(UTF8Iconv, NamesThroughTheLibrary)
{
    EXPECT_EQ(CanonicalCharsetName("windows-1250"), "CP1250");
    EXPECT_EQ(CanonicalCharsetName("latin1"), "ISO-8859-1");
    EXPECT_EQ(CanonicalCharsetName("X-UNKNOWN"), "X-UNKNOWN");
}

TEST(UTF8Iconv, NamedCharsets)
{
    const struct {
        const char* what;
        std::string actual, expected;
    } cases[] = {
        { "locale to ISO-8859-2", LocaleToCharset("caf\xE9", "ISO-8859-2"), "caf\xE9" },
        { "ISO-8859-2 to locale", CharsetToLocale("caf\xE9", "iso-8859-2"), "caf\xE9" },
        { "UTF-8 to Shift-JIS", Utf8ToCharset(Utf8Nihon, "SHIFT_JIS"), ShiftJisNihon },
        { "UTF-8 to Windows-1250", Utf8ToCharset("\xC5\x82", "WINDOWS-1250"), "\xB3" },
        { "transliterated euro", Utf8ToCharset("a\xE2\x82\xAC", "ISO-8859-1"), "aEUR" },
        { "unknown target", Utf8ToCharset("abc", "X-UNKNOWN"), "" },
        { "unknown source", CharsetToLocale("abc", "X-UNKNOWN"), "" },
        { "unknown body", CharsetToUtf8("abc", "X-UNKNOWN"), "" },
        { "invalid UTF-8 source", Utf8ToCharset("caf\xE9", "ISO-8859-1"), "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.what;
    // Characters the target lacks are replaced rather than failing the conversion.
    EXPECT_NE(CharsetToLocale("\xB3", "ISO-8859-2"), "");
    EXPECT_NE(Utf8ToCharset("\xC5\x81", "ISO-8859-1"), "");
}

TEST(UTF8Iconv, OutputLargerThanTheFirstBufferIsNotLost)
{
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "\xC3\xA9";
    const std::string utf7 = Utf8ToCharset(text, "UTF-7");
    EXPECT_GT(utf7.size(), text.size() + 16); // more than the first buffer holds
    EXPECT_EQ(CharsetToUtf8(utf7, "UTF-7"), text);
}

// Runs last: finalisation releases the library, and it can be bound again.
TEST(UTF8Iconv, FinalisationReleasesTheLibrary)
{
    DoneUTF8();
    EXPECT_FALSE(IconvLoaded());
    EXPECT_EQ(TCharsetList.Count(), 0);
    EXPECT_EQ(CanonicalCharsetName("latin1"), "latin1");
    InitUTF8();
    ASSERT_TRUE(LoadIconvLibrary(ProgramFolder() + "\\"));
    EXPECT_EQ(CanonicalCharsetName("latin1"), "ISO-8859-1");
}

} // namespace
