// Tests of the user-id parsers on the shapes user ids take in real key rings, and on broken ones.
#include "foundation/UserIDs.h"

#include <gtest/gtest.h>

namespace {

struct UserIDCase {
    const char* userID;
    const char* email;
    const char* name;
};

const UserIDCase userIDCases[] = {
    { "Alice Example <alice@example.org>", "alice@example.org", "Alice Example" },
    { "<alice@example.org>", "alice@example.org", "<alice@example.org>" },
    { "alice@example.org", "alice@example.org", "alice@example.org" },
    { "Bob Smith bob@example.org", "bob@example.org", "Bob Smith" },
    { "bob@example.org (Bob Smith)", "bob@example.org", "Bob Smith" },
    { "Carol (work) <carol@example.org>", "carol@example.org", "Carol (work)" },
    { "\"Doe, John\" <john@example.org>", "john@example.org", "Doe, John" },
    { "\"Doe \\\"JD\\\" John\" <jd@example.org>", "jd@example.org", "Doe \"JD\" John" },
    { "<x@y.z> trailing name", "x@y.z", "trailing name" },
    { "Name < [bracketed@example.org] >", "bracketed@example.org", "Name" },
    { "Two <one@a.b> and <two@c.d>", "two@c.d", "Two" },
    { "no address here", "", "no address here" },
    { "  \t spaced \t ", "", "spaced" },
    { "back\\slash <b@s.t>", "b@s.t", "backslash" },
    { "open <only@a.b", "<only@a.b", "open" },
    { "", "", "" },
    { "@", "@", "@" },
    { "\"unclosed <u@v.w>", "u@v.w", "\"unclosed" },
};

class UserIDParsers : public testing::TestWithParam<UserIDCase> { };

TEST_P(UserIDParsers, AddressAndName)
{
    const UserIDCase& c = GetParam();
    EXPECT_EQ(ExtractEmailAddress(c.userID), c.email) << c.userID;
    EXPECT_EQ(ExtractUserName(c.userID), c.name) << c.userID;
}

INSTANTIATE_TEST_SUITE_P(Table, UserIDParsers, testing::ValuesIn(userIDCases));

TEST(IsEmailAddress, AcceptsOnlyOneRunOfAddressBytesWithAt)
{
    EXPECT_TRUE(IsEmailAddress("a@b.c"));
    EXPECT_TRUE(IsEmailAddress("@"));
    EXPECT_TRUE(IsEmailAddress("~a^b@_c"));
    EXPECT_FALSE(IsEmailAddress(""));
    EXPECT_FALSE(IsEmailAddress("abc"));
    EXPECT_FALSE(IsEmailAddress("a b@c"));
    EXPECT_FALSE(IsEmailAddress("a[b]@c"));
    EXPECT_FALSE(IsEmailAddress("a\\b@c"));
    EXPECT_FALSE(IsEmailAddress(std::string("a@b\x7F", 4)));
    EXPECT_FALSE(IsEmailAddress("a@b\xE9"));
}

} // namespace
