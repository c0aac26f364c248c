// Tests of the StrUtil text routines that go through Windows: locale compares, browser URLs,
// HashData, Base64, case changes, UTF-16 buffers, memory blocks and the x87 rounding mode.
#include "foundation/StrUtil.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>

namespace {

TEST(StrUtilWinText, LocaleCompares)
{
    EXPECT_TRUE(SameTextLocale("Hello", "hELLO"));
    EXPECT_FALSE(SameTextLocale("Hello", "Hell"));
    EXPECT_TRUE(SameTextLocaleN("abcX", "ABCy", 3));
    EXPECT_FALSE(SameTextLocaleN("abcX", "ABCy", 4));
    EXPECT_TRUE(SameTextIgnoreSymbols("https:", "HTTPS"));
    EXPECT_FALSE(SameTextIgnoreSymbols("http:", "https:"));
    EXPECT_EQ(CompareTextIgnoreSymbols("a", "B"), -1);
    EXPECT_EQ(CompareTextIgnoreSymbols("b", "A"), 1);
    EXPECT_TRUE(SameTextPCharN("abcd", "ABCe", 3));
    EXPECT_FALSE(SameTextPCharN("abcd", "ABCe", 4));
    EXPECT_TRUE(SameTextPCharN("ab", "AB", 10)) << "stops at the terminating zero";
    const std::string list[] = { "one", "Two", "t-h-r-e-e" };
    EXPECT_EQ(IndexOfTextInList("THREE", list, 2), 2);
    EXPECT_EQ(IndexOfTextInList("THREE", list, 1), 0) << "outside HighIndex";
    EXPECT_EQ(IndexOfTextInList("two", list, 99), 1);
}

TEST(StrUtilWinText, BrowserUrls)
{
    struct Case {
        const char* url;
        bool skipLead, expected;
    } cases[] = {
        { "https://x", false, true },
        { "HTTP://x", false, true },
        { "\"http://x", true, true },
        { "\"http://x", false, false },
        { "<ftp://x", true, true },
        { "  http://x", true, false },
        { "javascript:alert(1)", false, true },
        { "vbscript:x", false, true },
        { "ftps:x", false, true },
        { "mailto:a@b", false, false },
        { "file:///c:/x", false, false },
        { "http", false, false },
        { "", true, false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsBrowserUrl(c.url, c.skipLead), c.expected) << c.url << " " << c.skipLead;
}

TEST(StrUtilWinText, HashBase64CaseAndWide)
{
    std::string h = HashDataHex("abc", 6);
    EXPECT_EQ(h.size(), 6u);
    EXPECT_EQ(h.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(HashDataHex("abc", 6), h);
    EXPECT_NE(HashDataHex("abd", 6), h);
    EXPECT_EQ(HashDataHex("", 6), "");

    EXPECT_EQ(DecodeBase64Text("QUJD"), "ABC");
    EXPECT_EQ(DecodeBase64Text("AAEC/w=="), std::string("\x00\x01\x02\xFF", 4));
    EXPECT_EQ(DecodeBase64Text("!!!"), "");
    EXPECT_EQ(DecodeBase64Text(""), "");

    EXPECT_EQ(LowerFirstChar("ABC"), "aBC");
    EXPECT_EQ(LowerFirstChar(""), "");
    std::string s = "abcd";
    UpperFirstChars(s, 2);
    EXPECT_EQ(s, "ABcd");
    UpperFirstChars(s, 5);
    EXPECT_EQ(s, "ABcd");

    EXPECT_EQ(AnsiToWideBuffer("ab"), std::string("a\0b\0\0\0", 6));
    EXPECT_EQ(AnsiToWideBuffer(""), std::string(2, '\0'));
    EXPECT_EQ(AnsiToWideBuffer("\xE9"), std::string("\xE9\0\0\0", 4)) << "code page 1252";
}

TEST(StrUtilWinText, MemoryBlocks)
{
    for (bool useLocal : { false, true }) {
        HANDLE h = TextToMemHandle("hello", nullptr, useLocal);
        ASSERT_NE(h, nullptr);
        if (useLocal) {
            const char* p = static_cast<const char*>(LocalLock(h));
            EXPECT_STREQ(p, "hello");
            LocalUnlock(h);
            LocalFree(h);
            continue;
        }
        EXPECT_EQ(GlobalSize(h), 6u);
        EXPECT_EQ(TextFromMemHandle(h, -1, false), "hello");
        EXPECT_EQ(TextFromMemHandle(h, 0, false), "hello");
        EXPECT_EQ(TextFromMemHandle(h, 3, false), "hel");
        EXPECT_EQ(TextFromMemHandle(h, 6, false), "hello") << "trailing zeros dropped";
        EXPECT_EQ(TextFromMemHandle(h, 99, false), "hello") << "never past the block";
        h = TextToMemHandle("a longer text", h, false);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(TextFromMemHandle(h, -1, true), "a longer text");
    }
    EXPECT_EQ(TextToMemHandle("", nullptr, false), nullptr);
    EXPECT_EQ(TextFromMemHandle(nullptr, -1, false), "");

    std::string wide = AnsiToWideBuffer("hi");
    HANDLE w = WideTextToMemHandle(wide, nullptr, false);
    ASSERT_NE(w, nullptr);
    const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(w));
    EXPECT_EQ(std::wstring(p), L"hi");
    GlobalUnlock(w);
    GlobalFree(w);

    // A wide text without its terminating zero still ends in one in the block.
    HANDLE bare = WideTextToMemHandle(std::string("h\0i\0", 4), nullptr, false);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(GlobalLock(bare))), L"hi");
    GlobalUnlock(bare);
    GlobalFree(bare);
}

volatile double Half = 2.5; // volatile: the rounding must happen at run time

TEST(StrUtilWinText, FpuRoundingMode)
{
    int original = SetFpuRoundingMode(3);
    EXPECT_EQ(original, 0) << "round to nearest is the default";
    EXPECT_EQ(SetFpuRoundingMode(1), 3);
    EXPECT_EQ(SetFpuRoundingMode(0), 1);
    EXPECT_EQ(std::nearbyint(Half), 2.0) << "half to even";
    SetFpuRoundingMode(original);
}

} // namespace
