// The charset unit without the iconv library: names, the charset list, and conversions through
// the Windows code pages and the own codec.
#include "UTF8RoadCases.h"

namespace {

TEST(UTF8, NormalizeCharsetName)
{
    const std::string ansi = "WINDOWS-" + std::to_string(GetACP());
    const struct {
        const char *name, *expected;
    } cases[] = { { "", ansi.c_str() }, { "us-ascii", ansi.c_str() }, { "CHAR", ansi.c_str() },
        { "char", ansi.c_str() }, { "iso-8859-1", "WINDOWS-1252" }, { "ISO-8859-1", "WINDOWS-1252" },
        { "iso-8859-15", "ISO-8859-15" }, { "utf-8", "UTF-8" }, { "Shift_JIS", "SHIFT_JIS" } };
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
    InitUTF8();
    ASSERT_EQ(TCharsetList.Count(), 7);
    EXPECT_TRUE(TCharsetList.Sorted());
    const struct {
        const char *name, *value;
        intptr_t codePage;
    } rows[] = { { "SHIFT_JIS", "CP932", 932 }, { "ksc_5601", "CP949", 949 }, { "GB2312", "CP936", 936 },
        { "Big5", "CP950", 950 }, { "EUC-CN", "EUC-CN", 51936 }, { "euc-jp", "EUC-JP", 51932 },
        { "EUC-KR", "EUC-KR", 51949 } };
    for (const auto& row : rows) {
        const int index = TCharsetList.IndexOfName(row.name);
        ASSERT_GE(index, 0) << row.name;
        EXPECT_EQ(TCharsetList.ValueFromIndex(index), row.value) << row.name;
        EXPECT_EQ(IntFromObject(TCharsetList.Objects(index)), row.codePage) << row.name;
    }
    EXPECT_EQ(TCharsetList.IndexOfName("UTF-8"), -1);
    EXPECT_EQ(TCharsetList.IndexOfName("CP932"), -1); // values are not names
    EXPECT_EQ(TCharsetList.IndexOfName(""), -1);
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
