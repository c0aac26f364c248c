// Tests of the portable FileUtils rules: file-name repair, quoting, temporary and numbered names,
// icon locations, icon-group parsing and choice, and ini section buffers.
#include "foundation/FileUtils.h"

#include "framework/StringLists.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(FileUtilsRules, MakeValidFileNameReplacesEveryByteWindowsRefuses)
{
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        { "a*b/c:d<e>f?g\\h|i", "a_b_c_d_e_f_g_h_i" },
        { "Re: \"quoted\" subject", "Re_ _quoted_ subject" },
        { std::string("tab\there\r\nnul\0end", 17), "tab_here__nul_end" },
        { "Umlaut \xE4\xF6\xFC & (ok).txt", "Umlaut \xE4\xF6\xFC & (ok).txt" },
        { "", "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeValidFileName(c.in), c.out) << c.in;
}

TEST(FileUtilsRules, TextAfterLastSlash)
{
    EXPECT_EQ(TextAfterLastSlash("image/png"), "png");
    EXPECT_EQ(TextAfterLastSlash("a/b/c"), "c");
    EXPECT_EQ(TextAfterLastSlash("none"), "none");
    EXPECT_EQ(TextAfterLastSlash("ends/"), "");
}

TEST(FileUtilsRules, QuotesAreAddedAndRemovedOnlyWhereMissingOrPresent)
{
    struct Case {
        std::string text;
        int state;
        std::string added, removed;
    };
    const Case cases[] = {
        { "plain", qsNone, "\"plain\"", "plain" },
        { "\"open", qsOpening, "\"open\"", "open" },
        { "close\"", qsClosing, "\"close\"", "close" },
        { "\"both\"", qsBoth, "\"both\"", "both" },
        { "\"", qsOpening, "\"\"", "" },
        { "\"\"", qsBoth, "\"\"", "" },
        { "", qsNone, "\"\"", "" },
        { "a\"", qsClosing, "\"a\"", "a" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(QuoteState(c.text), c.state) << c.text;
        EXPECT_EQ(AddQuotes(c.text), c.added) << c.text;
        EXPECT_EQ(RemoveQuotes(c.text), c.removed) << c.text;
    }
}

TEST(FileUtilsRules, TempFileNamesAndTheirRecognition)
{
    EXPECT_EQ(TempFileNameOf("C:\\T\\", "0A1B2C", "txt"), "C:\\T\\$0A1B2C$.txt");
    EXPECT_EQ(TempFileNameOf("C:\\T\\", "0A1B2C", ".htm"), "C:\\T\\$0A1B2C$.htm");
    EXPECT_EQ(TempFileNameOf("", "FFFFFF", ""), "$FFFFFF$.tmp");

    struct Case {
        const char* name;
        bool temp;
    };
    const Case cases[] = {
        { "$0A1B2C$.txt", true },
        { "$FFFFFF$.tar.gz", true },
        { "$0a1b2c$.txt", false },  // lower-case digits are not ours
        { "$other$.txt", false },
        { "$0A1B2C$.", false },
        { "$0A1B2CD$.txt", false },
        { "x0A1B2C$.txt", false },
        { "$0A1B2G$.txt", false },
        { "", false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsTempFileName(c.name), c.temp) << c.name;
}

TEST(FileUtilsRules, NumberedFileNameUsesTheFileNamesOwnExtension)
{
    EXPECT_EQ(NumberedFileName("C:\\x\\a.txt", 2), "C:\\x\\a (2).txt");
    EXPECT_EQ(NumberedFileName("C:\\a.b\\file", 1), "C:\\a.b\\file (1)");
    EXPECT_EQ(NumberedFileName("archive.tar.gz", 3), "archive.tar (3).gz");
    EXPECT_EQ(NumberedFileName("noext", 10), "noext (10)");
}

TEST(FileUtilsRules, MimeSubtypesAndListedTypes)
{
    EXPECT_EQ(MimeSubtypeExtension("image/png"), ".png");
    EXPECT_EQ(MimeSubtypeExtension("image/"), "");
    EXPECT_EQ(MimeSubtypeExtension("png"), "");
    EXPECT_EQ(MimeSubtypeExtension(""), "");
    for (const char* listed : { "audio/basic", "IMAGE/png", "midi", "Video/mpeg", "text/html" })
        EXPECT_TRUE(IsListedMimeTypeKey(listed)) << listed;
    for (const char* other : { "application/pdf", "message/rfc822", "", "tex" })
        EXPECT_FALSE(IsListedMimeTypeKey(other)) << other;
}

TEST(FileUtilsRules, IconLocations)
{
    struct Case {
        const char* location;
        bool parsed;
        const char* file;
        int id;
        bool usable;
    };
    const Case cases[] = {
        { "C:\\Windows\\notepad.exe,0", true, "C:\\Windows\\notepad.exe", 1, true },
        { "%SystemRoot%\\shell32.dll,-154", true, "%SystemRoot%\\shell32.dll", 154, false },
        { "\"C:\\Pro gram\\x.exe\", 2", true, "C:\\Pro gram\\x.exe", 3, true },
        { "a,b.dll,4", true, "a,b.dll", 5, true },
        { "x.ico", false, "", 0, false },
        { "x.dll,", false, "", 0, false },
        { "x.dll,1a", false, "", 0, false },
        { ",3", false, "", 0, true },
    };
    for (const Case& c : cases) {
        std::string file;
        int id = 0;
        EXPECT_EQ(ParseIconLocation(c.location, file, id), c.parsed) << c.location;
        if (c.parsed) {
            EXPECT_EQ(file, c.file) << c.location;
            EXPECT_EQ(id, c.id) << c.location;
        }
        EXPECT_EQ(IsUsableIconLocation(c.location), c.usable) << c.location;
    }
}

std::vector<uint8_t> IconGroup(const std::vector<TIconGroupEntry>& Entries)
{
    std::vector<uint8_t> bytes = { 0, 0, 1, 0, static_cast<uint8_t>(Entries.size()), 0 };
    for (const TIconGroupEntry& e : Entries) {
        const uint8_t entry[14] = { static_cast<uint8_t>(e.Width & 0xFF), static_cast<uint8_t>(e.Height & 0xFF), 0, 0, 1,
            0, static_cast<uint8_t>(e.BitCount), 0, 0x28, 1, 0, 0, static_cast<uint8_t>(e.ResourceID & 0xFF),
            static_cast<uint8_t>(e.ResourceID >> 8) };
        bytes.insert(bytes.end(), entry, entry + 14);
    }
    return bytes;
}

TEST(FileUtilsRules, IconGroupEntriesAndTheChoiceBySizeAndColours)
{
    const std::vector<TIconGroupEntry> written = {
        { 32, 32, 4, 1 }, { 16, 16, 8, 2 }, { 16, 16, 32, 3 }, { 16, 16, 8, 4 }, { 256, 256, 32, 5 }, { 32, 32, 32, 6 },
    };
    const std::vector<uint8_t> data = IconGroup(written);
    const std::vector<TIconGroupEntry> entries = ParseIconGroup(data.data(), data.size());
    ASSERT_EQ(entries.size(), written.size());
    EXPECT_EQ(entries[4].Width, 256); // stored as 0
    EXPECT_EQ(entries[5].ResourceID, 6);
    EXPECT_EQ(entries[2].BitCount, 32);

    struct Case {
        int size, maxBits, chosen;
    };
    for (const Case& c : { Case { 16, 32, 2 }, Case { 16, 24, 1 }, Case { 16, 8, 1 }, Case { 16, 4, -1 },
             Case { 32, 8, 0 }, Case { 32, 32, 5 }, Case { 48, 32, -1 }, Case { 256, 32, 4 } })
        EXPECT_EQ(ChooseIconEntry(entries, c.size, c.size, c.maxBits), c.chosen) << c.size << " " << c.maxBits;

    EXPECT_TRUE(ParseIconGroup(data.data(), data.size() - 1).empty()); // declares more than it holds
    EXPECT_TRUE(ParseIconGroup(data.data(), 5).empty());
    EXPECT_TRUE(ParseIconGroup(nullptr, 0).empty());
    std::vector<uint8_t> cursor = data;
    cursor[2] = 2;
    EXPECT_TRUE(ParseIconGroup(cursor.data(), cursor.size()).empty());
}

TEST(FileUtilsRules, SectionBuffersRoundTripWithoutEmptyLines)
{
    TStringList lines;
    for (const char* line : { "a=1", "", "b=two words", "", "c=" })
        lines.Add(line);
    const std::string buffer = LinesToSectionBuffer(lines);
    EXPECT_EQ(buffer, std::string("a=1\0b=two words\0c=\0\0", 20));

    TStringList back;
    SectionBufferToLines(buffer.data(), buffer.size(), back);
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back[1], "b=two words");

    TStringList blank;
    blank.Add("");
    EXPECT_EQ(LinesToSectionBuffer(blank), "");
    TStringList none;
    SectionBufferToLines("", 0, none);
    SectionBufferToLines("x=1", 3, none); // no terminator: the line still ends at the buffer's end
    ASSERT_EQ(none.Count(), 1);
    EXPECT_EQ(none[0], "x=1");
}

} // namespace
