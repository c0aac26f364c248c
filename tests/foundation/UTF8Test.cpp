// The charset unit without the iconv library: names, the charset list, and conversions through
// the Windows code pages and the own codec.
#include "UTF8RoadCases.h"

namespace {

TEST(UTF8, NormalizeCharsetName)
{
    const std::string ansi = "WINDOWS-" + std::to_string(GetACP());
    const struct {
        const char *name, *expected;
    } cases[] = { { "", ansi.c_str() },         { "us-ascii", ansi.c_str() },          { "CHAR", ansi.c_str() },
                  { "char", ansi.c_str() },     { "iso-8859-1", "WINDOWS-1252" },      { "ISO-8859-1", "WINDOWS-1252" },
                  { "iso-8859-15", "ISO-8859-15" }, { "utf-8", "UTF-8" },            { "Shift_JIS", "SHIFT_JIS" } };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizeCharsetName(c.name), c.expected) << c.name;
}

TEST(UTF8, CanonicalCharsetNameWithoutIconv)
{
    EXPECT_FALSE(IconvLoaded());
    EXPECT_EQ(CanonicalCharsetName("WINDOWS-1250"), "CP1250");
    EXPECT_EQ(CanonicalCharsetName("windows-1250"), "CP1250");
    EXPECT_EQ(CanonicalCharsetName("ISO-8859-2"), "ISO-8859-2");
}

TEST(UTF8, CharsetList)
{
    const struct {
        const char* name;
        unsigned codePage;
    } rows[] = { { "SHIFT_JIS", 932 }, { "ksc_5601", 949 }, { "GB2312", 936 }, { "Big5", 950 },
                 { "EUC-CN", 51936 }, { "euc-jp", 51932 }, { "EUC-KR", 51949 } };
    for (const auto& row : rows) {
        const int index = CharsetListIndex(row.name);
        ASSERT_GE(index, 0) << row.name;
        EXPECT_EQ(CharsetListCodePage(index), row.codePage) << row.name;
    }
    EXPECT_EQ(CharsetListIndex("UTF-8"), -1);
    EXPECT_EQ(CharsetListIndex("CP932"), -1); // values are not names
    EXPECT_EQ(CharsetListIndex(""), -1);
}

TEST(UTF8, ConversionsWithoutIconv)
{
    ExpectConversionsOfBothRoads();
}

TEST(UTF8, NamedCharsetsNeedIconvExceptForBodiesToUtf8)
{
    EXPECT_EQ(LocaleToCharset("abc", "ISO-8859-2"), "");
    EXPECT_EQ(CharsetToLocale("abc", "ISO-8859-2"), "");
    EXPECT_EQ(Utf8ToCharset("abc", "ISO-8859-2"), "");
    // An unknown name is read as ANSI.
    EXPECT_EQ(CharsetToUtf8("caf\xE9", "X-UNKNOWN"), "caf\xC3\xA9");
}

} // namespace
