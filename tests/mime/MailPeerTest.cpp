// Compares our decoders with Python's email package: tests/data/mime/peer-python.tsv holds what
// that peer made of sample headers, quoted-printable bodies, file-name parameters and dates
// (written by tests/mime/peer_expectations.py). On Windows the real charset unit converts.
#include "mime/MailUtils.h"
#include "FakeMailServices.h"
#include <gtest/gtest.h>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

std::string FromHex(const std::string& Hex)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < Hex.size(); i += 2)
        out += static_cast<char>(std::stoi(Hex.substr(i, 2), nullptr, 16));
    return out;
}

TEST(PythonPeer, DecodersAgreeWithPythonsEmailPackage)
{
#ifndef _WIN32
    TBoundLatin1Services services;
#endif
    std::ifstream in(std::string(ZAVEK_TEST_DATA) + "/mime/peer-python.tsv");
    ASSERT_TRUE(in.good());
    std::string line;
    int rows = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind, input, expected;
        if (!std::getline(fields, kind, '\t') || !std::getline(fields, input, '\t') || !std::getline(fields, expected))
            continue;
        input = FromHex(input);
        expected = FromHex(expected);
        ++rows;
        if (kind == "words") {
            EXPECT_EQ(DecodeEncodedWords(input), expected) << input;
        } else if (kind == "qp") {
            EXPECT_EQ(DecodeQuotedPrintable(input, false), expected) << input;
        } else if (kind == "filename") {
            EXPECT_EQ(GetHeaderParameter(input, "filename", nullptr, false), expected) << input;
        } else if (kind == "date") {
            TDateTime utc;
            std::string display;
            ASSERT_TRUE(ParseDateHeader(input, utc, display)) << input;
            EXPECT_EQ(FormatRfc822Date(utc), expected) << input;
        }
    }
    EXPECT_GE(rows, 30);
}

#ifdef _WIN32
// The default services are the charset unit's code-page conversions.
TEST(DefaultServices, CharsetUnitConvertsOnWindows)
{
    EXPECT_EQ(CharsetTextToUtf8("caf\xE9", "ISO-8859-1"), "caf\xC3\xA9");
    EXPECT_EQ(DecodeEncodedWords("=?ISO-8859-1?Q?Caf=E9?="), "Caf\xC3\xA9");
    EXPECT_EQ(Utf8TextToWide("\xEF\xBB\xBF" "a"), std::string("a\0\0\0", 4));
}
#endif

} // namespace
