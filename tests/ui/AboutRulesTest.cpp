// The about box's rules without windows: the version comparison of the update page, the key
// block cut from a key server's page, and the maker's addresses.
#include "ui/dialogs/AboutRules.h"

#include <gtest/gtest.h>

namespace {

std::string Page(const std::string& content)
{
    return "<html><head><meta name=\"Version\" content=" + content + "></head></html>";
}

TEST(AboutRules, VersionComparison)
{
    struct Case {
        std::string page;
        std::string caption;
        TVersionCheck expected;
    };
    const Case cases[] = {
        { Page("\"4610\""), "Version 4.6", TVersionCheck::Newer },
        { Page("\"47\""), "Version 4.6", TVersionCheck::Newer },
        { Page("\"4.7\""), "Version 4.6", TVersionCheck::NotComparable },
        { Page("\"4600\""), "Version 4.6", TVersionCheck::UpToDate },
        { Page("\"46\""), "Version 4.6 beta", TVersionCheck::UpToDate },
        { Page("\"45\""), "Version 4.6.1", TVersionCheck::UpToDate },
        { Page("\"4611\""), "Version 4.6.1", TVersionCheck::Newer },
        { Page("\"\""), "Version 4.6", TVersionCheck::UpToDate },
        { Page("\"99999999999\""), "Version 4.6", TVersionCheck::NotComparable },
        { Page("\"50\""), "Version x.y", TVersionCheck::NotComparable },
        { "<meta name=\"version\" content=\"99\">", "Version 4.6", TVersionCheck::NoVersionTag },
        { "", "Version 4.6", TVersionCheck::NoVersionTag },
        // The first tag counts.
        { Page("\"40\"") + Page("\"99\""), "Version 4.6", TVersionCheck::UpToDate },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareVersionPage(c.page, c.caption), c.expected) << c.page << " / " << c.caption;
}

TEST(AboutRules, KeyBlockIsCutToTheArmour)
{
    const std::string block = "-----BEGIN PGP PUBLIC KEY BLOCK-----\r\n\r\nmQENBF...\r\n=abcd\r\n"
                              "-----END PGP PUBLIC KEY BLOCK-----";
    struct Case {
        std::string page;
        std::string expected;
    };
    const Case cases[] = {
        { "<html><pre>\r\n" + block + "\r\n</pre></html>\r\n", block },
        { block, block },
        { "x" + block + "   trailing on the line\nnext", block + "   trailing on the line" },
        // Two blocks: from the first BEGIN to the last END.
        { "a\n" + block + "\n" + block + "\nz", block + "\n" + block },
        { "<html>No results found</html>", "" },
        { "-----BEGIN PGP PUBLIC KEY BLOCK-----\nno end", "" },
        { "-----END PGP PUBLIC KEY BLOCK-----\n-----BEGIN PGP PUBLIC KEY BLOCK-----\n", "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CutKeyBlock(c.page), c.expected) << c.page;
}

TEST(AboutRules, Addresses)
{
    TMakerContact contact;
    contact.WebHost = "https://w.test";
    contact.KeyServers[0] = "http://a:11371";
    contact.KeyServers[1] = "http://b:11371";
    contact.KeyServers[2] = "http://c:11371";
    contact.KeyId = "0011223344556677";
    EXPECT_EQ(UpdatePageUrl(contact), "https://w.test/zavek/download.htm");
    EXPECT_EQ(ReleaseNotesUrl(contact, 7), "https://w.test/zavek/historyde.htm#new");
    EXPECT_EQ(ReleaseNotesUrl(contact, 9), "https://w.test/zavek/historyen.htm#new");
    EXPECT_EQ(KeyServerUrls(contact),
        "http://a:11371/pks/lookup?op=get&search=0x0011223344556677\t"
        "http://b:11371/pks/lookup?op=get&search=0x0011223344556677\t"
        "http://c:11371/pks/lookup?op=get&search=0x0011223344556677");
    EXPECT_EQ(TMakerContact().KeyId.size(), 16u);
}

} // namespace
