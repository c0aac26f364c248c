// Conversions that must give the same result with and without the iconv library; each test
// program of the charset unit runs them on its road. Expects the ANSI code page 1252.
#pragma once

#include "Utf16Text.h"
#include "foundation/UTF8.h"

#include <gtest/gtest.h>
#include <windows.h>

const std::string Bom = "\xEF\xBB\xBF";
const std::string Emoji = "\xF0\x9F\x98\x80"; // U+1F600, beyond the basic plane
const std::string ShiftJisNihon = "\x93\xFA\x96\x7B";
const std::string Utf8Nihon = "\xE6\x97\xA5\xE6\x9C\xAC";

inline void ExpectConversionsOfBothRoads()
{
    ASSERT_EQ(GetACP(), 1252u);
    const struct {
        const char* what;
        std::string actual, expected;
    } cases[] = {
        { "locale to UTF-8", LocaleToUtf8("caf\xE9"), "caf\xC3\xA9" },
        { "UTF-8 to locale drops the BOM", Utf8ToLocale(Bom + "caf\xC3\xA9"), "caf\xE9" },
        { "UTF-8 euro to locale", Utf8ToLocale("\xE2\x82\xAC"), "\x80" },
        { "locale to UTF-16", LocaleToUcs2("caf\xE9"), Utf16Bytes(u"caf\u00E9") },
        { "UTF-16 to locale", Ucs2ToLocale(Utf16Bytes(u"caf\u00E9")), "caf\xE9" },
        { "UTF-16 terminator only", Ucs2ToLocale(std::string(2, '\0')), "" },
        { "UTF-8 to UTF-16 with a pair", Utf8ToUcs2(Bom + "a" + Emoji), Utf16Bytes(u"a\U0001F600") },
        { "UTF-16 pair to UTF-8", Ucs2ToUtf8(Utf16Bytes(u"a\U0001F600")), "a" + Emoji },
        { "UTF-16 round trip", Ucs2ToUtf8(Utf8ToUcs2(Emoji + "x" + Emoji)), Emoji + "x" + Emoji },
        { "invalid UTF-8 stays as it was", AnyTextToLocale("caf\xE9"), "caf\xE9" },
        { "lone continuation byte",
            AnyTextToLocale("\xBF"
                            "abc"),
            "\xBF"
            "abc" },
        { "UTF-8 to locale", AnyTextToLocale("caf\xC3\xA9"), "caf\xE9" },
        { "UTF-16 to locale", AnyTextToLocale(Utf16Bytes(u"caf\u00E9")), "caf\xE9" },
        { "UTF-16 stays", AnyTextToUcs2(Utf16Bytes(u"x")), Utf16Bytes(u"x") },
        { "UTF-8 to UTF-16", AnyTextToUcs2("caf\xC3\xA9"), Utf16Bytes(u"caf\u00E9") },
        { "ANSI to UTF-16", AnyTextToUcs2("caf\xE9"), Utf16Bytes(u"caf\u00E9") },
        { "Shift-JIS by code page", CharsetToUtf8(ShiftJisNihon, "shift_jis"), Utf8Nihon },
        { "EUC-JP body", CharsetToUtf8("\xC6\xFC\xCB\xDC", "EUC-JP"), Utf8Nihon },
        { "code page with BOM", CodePageToUtf8(ShiftJisNihon, "SHIFT_JIS", true), Bom + Utf8Nihon },
        { "code page without BOM", CodePageToUtf8(ShiftJisNihon, "Shift_JIS", false), Utf8Nihon },
        { "code page outside the list", CodePageToUtf8("abc", "ISO-8859-2", false), "" },
        { "UTF-8 body stays UTF-8", CharsetToUtf8("caf\xC3\xA9" + Emoji, "utf-8"), "caf\xC3\xA9" + Emoji },
        { "ISO-8859-2 body", CharsetToUtf8("\xB3\xF3", "ISO-8859-2"), "\xC5\x82\xC3\xB3" },
        { "Windows-1250 body", CharsetToUtf8("\xB3\xF3", "windows-1250"), "\xC5\x82\xC3\xB3" },
        { "KOI8-R body", CharsetToUtf8("\xF0\xD2\xC9", "KOI8-R"), "\xD0\x9F\xD1\x80\xD0\xB8" },
        { "invalid UTF-8 body", CharsetToUtf8("caf\xE9", "UTF-8"), "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.what;

    for (auto convert : { LocaleToUtf8, Utf8ToLocale, LocaleToUcs2, Ucs2ToLocale, Utf8ToUcs2, Ucs2ToUtf8,
             AnyTextToLocale, AnyTextToUcs2 })
        EXPECT_EQ(convert(""), "");
    EXPECT_EQ(CharsetToUtf8("", "UTF-8"), "");
    EXPECT_EQ(CodePageToUtf8("", "BIG5", true), "");
}
