// Version arithmetic, language codes, the restart command line and class lists of the
// mail-client interface, table by table.
#include "plugin/PMInterfaceRules.h"

#include <gtest/gtest.h>

using namespace PMInterfaceRules;

TEST(PMInterfaceRules, VersionTextAndBuild)
{
    struct Case {
        uint32_t version;
        const char* text;
        uint32_t build;
    } cases[] = { { 0x452, "PM 4.52", 4520 }, { 0x473, "PM 4.73", 4730 }, { 0x481, "PM 4.81", 4810 },
        { 0x400, "PM 4.00", 4000 }, { 0x3C1, "PM 3.C1", 4210 }, { 0, "PM 0.00", 0 } };
    for (const Case& c : cases) {
        EXPECT_EQ(VersionText(c.version), c.text) << std::hex << c.version;
        EXPECT_EQ(BuildFromVersion(c.version), c.build) << std::hex << c.version;
    }
}

TEST(PMInterfaceRules, FileVersionGivesTheVersionTheMailClientReports)
{
    // The minor number's decimal digits are the version's hexadecimal digits: 4.52 is 0x452,
    // not 0x453 as scaling the number by 1.6 would give.
    struct Case {
        uint32_t major, minor, version;
    } cases[] = { { 4, 52, 0x452 }, { 4, 81, 0x481 }, { 4, 50, 0x450 }, { 4, 5, 0x405 }, { 3, 12, 0x312 },
        { 4, 0, 0x400 } };
    for (const Case& c : cases)
        EXPECT_EQ(VersionFromFileVersion(c.major << 16 | c.minor), c.version) << c.major << "." << c.minor;
    EXPECT_EQ(BuildFromVersion(VersionFromFileVersion(4 << 16 | 52)), 4520u);
}

TEST(PMInterfaceRules, LanguageCodeOfALanguageLibrary)
{
    struct Case {
        const char* name;
        const char* code;
    } cases[]
        = { { "WPM32DE.DLL", "de" }, { "wpm32fr.dll", "fr" }, { "WPM32_ESP.DLL", "es" }, { "WPM3", "" } };
    for (const Case& c : cases)
        EXPECT_EQ(LanguageFromLibraryName(c.name), c.code) << c.name;
}

TEST(PMInterfaceRules, LanguageOptionOfTheCommandLine)
{
    struct Case {
        const char* line;
        const char* code;
    } cases[] = { { "C:\\PM\\WINPM-32.EXE -X de", "de" }, { "C:\\PM\\WINPM-32.EXE /xFR -I bob", "fr" },
        { "C:\\PM\\WINPM-32.EXE -Xit", "it" }, { "C:\\PM\\WINPM-32.EXE -X=DE", "de" },
        { "C:\\PM\\WINPM-32.EXE /X: fr", "fr" }, { "C:\\PM\\WINPM-32.EXE -I bob", "" },
        { "C:\\PM-Xtra\\WINPM-32.EXE", "" }, { "C:\\PM\\WINPM-32.EXE -X", "" }, { "", "" } };
    for (const Case& c : cases)
        EXPECT_EQ(LanguageFromCommandLine(c.line), c.code) << c.line;
}

TEST(PMInterfaceRules, RestartParametersCarryTheIdentity)
{
    const std::string program = "C:\\PMAIL\\WINPM-32.EXE";
    struct Case {
        std::string line, identity, parameters;
    } cases[] = {
        { program, "bob", " -I bob" },
        { program + " -I alice", "bob", " -I bob" },
        { program + " /i alice -X de", "bob", " -X de -I bob" },
        { program + " -Z -I \"Old Name\" -X de", "New Name", " -Z -X de -I \"New Name\"" },
        { "\"" + program + "\" -I alice", "bob", " -I bob" },
        { program + " -X de", "", " -X de" },
        { program + " -Idle", "bob", " -I bob" },
        { "", "bob", " -I bob" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(RestartParameters(c.line, program.size(), c.identity), c.parameters) << c.line;
}

TEST(PMInterfaceRules, ClassNamesMatchWholeNamesOnly)
{
    const std::string readers = "READER,WPMMDI";
    const std::string mail = "FOLMAN,FOLDER,EDMAIL,READER,WPMMDI";
    struct Case {
        const char* name;
        const std::string& list;
        bool member;
    } cases[] = { { "READER", readers, true }, { "reader", readers, true }, { "WPMMDI", readers, true },
        { "", readers, false }, { "ER", readers, false }, { "MDI", readers, false },
        { "READER,WPMMDI", readers, false }, { "EDMAIL", mail, true }, { "FOLD", mail, false },
        { "QMAN", mail, false } };
    for (const Case& c : cases)
        EXPECT_EQ(IsClassInList(c.name, c.list), c.member) << c.name << " in " << c.list;
}

TEST(PMInterfaceRules, ButtonCapacityGrowthAndPaddedKeys)
{
    const uint32_t from[] = { 0, 4, 5, 7, 8, 9, 24 }, to[] = { 4, 8, 13, 15, 16, 25, 40 };
    for (size_t i = 0; i < std::size(from); ++i)
        EXPECT_EQ(GrownCapacity(from[i]), to[i]) << from[i];
    EXPECT_EQ(PaddedIdentityKey("Default BCC field"), "Default BCC field                         ");
    EXPECT_EQ(PaddedIdentityKey("Default BCC field").size(), 42u);
    EXPECT_EQ(PaddedIdentityKey("Styled message editor tab width (mm)"),
        "Styled message editor tab width (mm)      ");
    EXPECT_EQ(PaddedIdentityKey(std::string(50, 'x')).size(), 50u);
}

TEST(PMInterfaceRules, AddressBooksOfTheUserFromTheStateFile)
{
    const std::vector<std::string> lines = { "ALICE.1.FRIENDS.PMR=\"0000,Friends\"",
        "alice.2.WORK.PMR=\"0001\",x", "ALICEB.1.OTHER.PMR=\"0\"", "BOB.1.BOB.PMR=\"0\"",
        "ALICE.X.ODD.PMR=\"0\"", "OLDBOOK.PMR=\"00001\"", "ALICE.3.BROKEN.PMR=no quotes", "no equals sign" };
    EXPECT_EQ(
        AddressBookSettings(lines, "Alice", true), "FRIENDS.PMR=0000,Friends\nWORK.PMR=0001\nBROKEN.PMR=");
    EXPECT_EQ(AddressBookSettings(lines, "Alice", false),
        "ALICEB.1.OTHER.PMR=0\nBOB.1.BOB.PMR=0\nALICE.X.ODD.PMR=0\nOLDBOOK.PMR=00001");
    EXPECT_EQ(AddressBookSettings({}, "Alice", true), "");
}

TEST(PMInterfaceRules, SignatureFileNames)
{
    struct Case {
        int number, kind;
        const char* name;
    } cases[] = { { 0, 1, "LocalSig" }, { 0, 2, "LocalSig" }, { 1, 3, "InetSig2" }, { 2, 4, "InetSig3" },
        { 9, 1, "LocalSigA" }, { -1, 1, "" }, { 0, 0, "" }, { 0, 5, "" } };
    for (const Case& c : cases)
        EXPECT_EQ(SignatureFileName(c.number, c.kind), c.name) << c.number << "/" << c.kind;
}

TEST(PMInterfaceRules, BannerCodesAreReplacedInAnyCase)
{
    const std::map<char, std::string> values
        = { { 'A', "Alice <a@x.org>" }, { 'S', "Report" }, { 'L', "\r\n" }, { 'P', "" } };
    struct Case {
        const char* banner;
        const char* text;
    } cases[] = { { "~A: ~s~L", "Alice <a@x.org>: Report\r\n" }, { "[~P]", "[(none)]" },
        { "~Q stays", "~Q stays" }, { "ends with ~", "ends with ~" }, { "~~S", "~Report" }, { "", "" } };
    for (const Case& c : cases)
        EXPECT_EQ(ReplaceBannerCodes(c.banner, values, "(none)"), c.text) << c.banner;
}

TEST(PMInterfaceRules, NamePartOfAnAddress)
{
    struct Case {
        const char* address;
        const char* name;
    } cases[] = { { "Alice Example <alice@example.org>", "Alice Example" },
        { "\"Bob, B.\" <b@x.org>", "Bob, B." }, { "<c@x.org>", "" }, { "d@x.org", "" } };
    for (const Case& c : cases)
        EXPECT_EQ(AddressNamePart(c.address), c.name) << c.address;
}

TEST(PMInterfaceRules, MailboxIdsWithTheDefaultMailboxFirst)
{
    const std::vector<std::string> lines = { "C:\\Boxes\\Work=\"1A2B:x\"", "no quote=1:2", "Broken=\"zz:1\"",
        "default=\"0:0\"", "C:\\Boxes\\Home\\=\"ff:\"", "Empty=\":1\"" };
    auto boxes = ParseMailboxIds(lines, "C:\\Mail\\");
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].Name, "default");
    EXPECT_EQ(boxes[0].Folder, "C:\\Mail\\");
    EXPECT_EQ(boxes[1].Id, 0x1A2Bu);
    EXPECT_EQ(boxes[1].Folder, "C:\\Boxes\\Work\\");
    EXPECT_EQ(boxes[2].Id, 0xFFu);
    EXPECT_EQ(boxes[2].Folder, "C:\\Boxes\\Home\\");
}

TEST(PMInterfaceRules, HeaderLinesOfTheLastMessages)
{
    // Counted: the line breaks inside the header, + 2.
    const std::string shortMessage = "From: a\nTo: b\n\nbody\n"; // 1 + 2
    const std::string longMessage = "From: a\nTo: b\nCc: c\nSubject: d\n\nbody\n"; // 3 + 2
    const std::string crlfMessage = "From: a\r\nTo: b\r\nX: 1\r\n\r\nbody\r\n"; // 2 + 2
    struct Case {
        std::string text;
        bool mailbox;
        int lines;
    } cases[] = {
        { "", false, 0 },
        { shortMessage + "\x1A" + longMessage + "\x1A" + shortMessage, false, 5 },
        { crlfMessage, false, 4 },
        // The separator line belongs to the header.
        { "From ???@??? Mon\n" + shortMessage + "\nFrom ???@??? Tue\n" + longMessage, true, 6 },
        // "From ???@???" inside a body line is no separator.
        { "From ???@??? Mon\n" + longMessage + "quoted From ???@??? x\n", true, 6 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(MeasureHeaderLines(c.text, c.mailbox), c.lines) << c.text;
}

TEST(PMInterfaceRules, OnlyShortPlaceholdersOfTheQueueMayGo)
{
    const std::string subject = "Subject: Encryption cancelled - message not sent";
    const std::string placeholder = "To: nobody\r\n" + subject + "\r\n\r\n";
    EXPECT_TRUE(IsQueuedPlaceholder(placeholder, subject));
    EXPECT_FALSE(IsQueuedPlaceholder("To: a\r\nSubject: hi\r\n\r\nok\r\n", subject)); // the user's own
    EXPECT_FALSE(IsQueuedPlaceholder(placeholder + std::string(400, 'x'), subject)); // not short
    EXPECT_FALSE(IsQueuedPlaceholder(placeholder + "\n\n\n\n\n", subject)); // 7 line feeds
    EXPECT_FALSE(IsQueuedPlaceholder("", subject)); // unreadable reads as empty
    EXPECT_FALSE(IsQueuedPlaceholder(placeholder, ""));
    for (const char* name : { "A.PMW", "b.pmx", "C.Pmw" })
        EXPECT_TRUE(IsQueuedMessageName(name)) << name;
    for (const char* name : { "A.PMM", "PMW", "x.PMWX", "" })
        EXPECT_FALSE(IsQueuedMessageName(name)) << name;
}
