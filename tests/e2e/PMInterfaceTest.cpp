// The mail-client interface inside the stand-in mail client: every request it sends is answered
// there and logged; the test plug-in reports each result on the status line, so the log holds both.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {
using ::testing::HasSubstr;

std::string ProbeArguments()
{
    return "--plugin \"" + StageFolder() + "\\Probe\\PMInterfaceProbe.dll\"";
}

// The result the probe reported for name; "(none)" when it reported nothing.
std::string Report(const THostRun& run, const std::string& name)
{
    const std::string prefix = "request 3075 3 status \"probe " + name + ": ";
    auto lines = run.LinesStartingWith(prefix);
    if (lines.empty())
        return "(none)";
    const std::string& line = lines.front();
    return line.substr(prefix.size(), line.size() - prefix.size() - 1);
}

std::string Probes(std::initializer_list<const char*> names)
{
    std::string script;
    for (const char* name : names)
        script += std::string("export PROBE ") + name + "\n";
    return script;
}

THostRun RunProbe(const std::string& session, const std::string& before, const std::string& probes,
    const std::string& arguments = {})
{
    return THostSession(session).Run(
        before + "load\nforminit\n" + probes + "quit\n", 30000, ProbeArguments() + " " + arguments);
}

TEST(PMInterfaceInHost, VersionLanguageAndDialogTitlesOfTheMailClient)
{
    struct Case {
        const char* before;
        const char* version;
        const char* versionRequest;
        const char* language;
        const char* titles;
        const char* strings;
    } cases[] = {
        { "", "PM 4.52 build 4520", "request 3099 -> 0x452", "en id 9 own",
            "Reminder|Find messages|Send queued mail now|Reply to message|Spelling |Print message|Select a "
            "user "
            "name|Tahoma 9",
            "<Default>|New message %d|" },
        // No version from the mail client: its program's file version 4.52 gives the same numbers.
        { "set version 0\n", "PM 4.52 build 4520", "request 3099 -> 0x0", "en id 9 own", nullptr, nullptr },
        { "set version 0x473\n", "PM 4.73 build 4730", "request 3099 -> 0x473", "en id 9 own", nullptr,
            nullptr },
        // A loaded language library gives its language and its resources; its spelling text has no
        // blank, so the spelling dialog's own caption is taken.
        { "language de\n", "PM 4.52 build 4520", "request 3099 -> 0x452", "de id 7 library",
            "Erinnerung|Nachrichten suchen|Jetzt senden|Antworten|Rechtschreibpruefung|Nachricht "
            "drucken|Benutzername waehlen|Arial 8",
            "<Standard>|Neue Nachricht %d|" },
    };
    for (const Case& c : cases) {
        THostRun run = RunProbe("version", c.before, Probes({ "version", "language", "titles", "strings" }));
        SCOPED_TRACE(run.Text());
        EXPECT_TRUE(run.Has(c.versionRequest)) << c.before;
        EXPECT_EQ(Report(run, "version"), c.version) << c.before;
        EXPECT_EQ(Report(run, "language"), c.language) << c.before;
        if (c.titles)
            EXPECT_EQ(Report(run, "titles"), c.titles) << c.before;
        if (c.strings)
            EXPECT_EQ(Report(run, "strings"), c.strings) << c.before;
        EXPECT_EQ(run.ExitCode, 0);
    }
}

TEST(PMInterfaceInHost, FoldersAndUserNameComeByRequest)
{
    THostRun run = RunProbe("folders",
        "set user \"Alice Example\"\nset mailfolder C:\\Mail\nset newmailfolder C:\\New\n",
        Probes({ "folders", "folders" }));
    SCOPED_TRACE(run.Text());
    const std::string base = StageFolder() + "\\Host\\";
    EXPECT_EQ(Report(run, "folders"), base + "|C:\\Mail\\|C:\\New\\|Alice Example");
    EXPECT_TRUE(run.Has("request 3046 261 -> \"C:\\Mail\\\""));
    EXPECT_TRUE(run.Has("request 3045 261 -> \"C:\\New\\\""));
    EXPECT_TRUE(run.Has("request 3082 -> \"Alice Example\""));
    // The folders are asked once and kept; the user name is asked each time.
    EXPECT_EQ(run.LinesStartingWith("request 3046").size(), 1u);
    EXPECT_EQ(run.LinesStartingWith("request 3045").size(), 1u);
    EXPECT_EQ(run.LinesStartingWith("request 3082").size(), 2u);
}

TEST(PMInterfaceInHost, SettingsAreReadAndWrittenByIndex)
{
    THostRun run = RunProbe("settings", "setting 78 1\ntext 79 \"~L~L x ~L~L\"\nset to bob@example.org\n",
        Probes({ "settings", "strings" }));
    SCOPED_TRACE(run.Text());
    // wrap 1, then written off; option 62; bit 0 of 86 switched off; objects shown; print mode 1;
    // reply placement 2 with two blocks; the message font; setting text 0; the charset fallback.
    EXPECT_EQ(Report(run, "settings"), "1 0 1 0 1 1 2/2 Courier New 10 1|Stand-in Printer Header|WINDOWS-");
    EXPECT_TRUE(run.Has("request 3065 60 0"));
    EXPECT_TRUE(run.Has("request 3065 86 0"));
    EXPECT_TRUE(run.Has("request 3064 45 buffer -> 1"));
    EXPECT_EQ(Report(run, "strings"), "<Default>|New message %d|bob@example.org");
}

TEST(PMInterfaceInHost, ToolbarButtonsAreAddedAndRemovedByRecord)
{
    THostRun run = RunProbe("buttons", "", Probes({ "buttons", "remove" }) + "click 1031\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(Report(run, "buttons"), "2 7 Encrypt and sign|Decrypt|");
    EXPECT_TRUE(run.Has("request 3097 button 1031 \"Encrypt and sign\" -> 100"));
    EXPECT_TRUE(run.Has("request 3097 button 1025 \"Decrypt\" -> 101"));
    // Only the two buttons the host gave ids are removed (in command order), and they are gone.
    auto removed = run.LinesStartingWith("request 3098");
    EXPECT_EQ(removed, (std::vector<std::string> { "request 3098 101", "request 3098 100" }));
    EXPECT_EQ(Report(run, "remove"), "0");
    EXPECT_TRUE(run.Has("no button 1031"));
}

TEST(PMInterfaceInHost, StatusLineMenuChecksAndPostedCommands)
{
    THostRun run = RunProbe("commands", "", Probes({ "menu", "command", "clear" }) + "until \"frame command 309\"\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(Report(run, "menu"), "10");
    EXPECT_TRUE(run.Has("frame command 309"));
    EXPECT_EQ(run.LinesStartingWith("request 3075 0 status \"\"").size(), 2u);
}

TEST(PMInterfaceInHost, WindowClassesAndTheEditorIdentity)
{
    THostRun run = RunProbe("windows", "set identity Work\n",
        Probes({ "windows" }) + "editor\n" + Probes({ "windows" }) + "reader\n" + Probes({ "windows" }), "");
    SCOPED_TRACE(run.Text());
    auto reports = run.LinesStartingWith("request 3075 3 status \"probe windows: ");
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_THAT(reports[0], HasSubstr("editor nil reader nil folder nil mail 0 new 0 identity \""));
    EXPECT_THAT(reports[1], HasSubstr("editor set reader nil folder nil mail 1 new 1 identity Work\""));
    EXPECT_THAT(reports[2], HasSubstr("editor nil reader set folder nil mail 1 new 0 identity \""));
}

TEST(PMInterfaceInHost, ReaderViewStatesFollowTheRawViewCommand)
{
    // Raw, toolbar and panel states: formatted view, then raw view (strip hidden, menu checked).
    struct Case {
        const char* before;
        const char* formatted;
        const char* raw;
    } cases[] = { { "", "011", "101" }, { "set version 0x352\n", "001", "101" } };
    for (const Case& c : cases) {
        THostRun run = RunProbe(
            "reader", c.before, "reader\n" + Probes({ "reader" }) + "command 153\n" + Probes({ "reader" }));
        SCOPED_TRACE(run.Text());
        auto reports = run.LinesStartingWith("request 3075 3 status \"probe reader: ");
        ASSERT_EQ(reports.size(), 2u);
        EXPECT_EQ(reports[0], std::string("request 3075 3 status \"probe reader: ") + c.formatted + "\"")
            << c.before;
        EXPECT_EQ(reports[1], std::string("request 3075 3 status \"probe reader: ") + c.raw + "\"")
            << c.before;
        EXPECT_TRUE(run.Has("raw view on"));
    }
}

TEST(PMInterfaceInHost, NewMessageEditorGetsItsFieldsAndSendsWithSettingsRestored)
{
    THostRun run = RunProbe("editor", "", Probes({ "open", "send" }) + "idle\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(Report(run, "open"), "-1");
    const int opened = run.IndexOf("request 3090 255");
    ASSERT_GE(opened, 0);
    EXPECT_GT(run.IndexOf("editor field 0 \"bob@example.org\""), opened);
    EXPECT_GT(run.IndexOf("editor field 1 \"Greetings\""), opened);
    EXPECT_GT(run.IndexOf("editor field 3 \"Hello Bob\""), opened);
    EXPECT_TRUE(run.Has("editor field 103"));
    // The send: both settings on around the editor's send command, then back to off.
    const int sent = run.IndexOf("editor message sent");
    ASSERT_GE(sent, 0);
    EXPECT_TRUE(run.Has("editor field 9"));
    EXPECT_LT(run.IndexOf("request 3065 32 1"), sent);
    EXPECT_LT(run.IndexOf("request 3065 80 1"), sent);
    EXPECT_GT(run.IndexOf("request 3065 32 0"), sent);
    EXPECT_GT(run.IndexOf("request 3065 80 0"), sent);
    EXPECT_EQ(Report(run, "send"), "00");
    EXPECT_TRUE(run.Has("frame command 151"));
    EXPECT_TRUE(run.Has("frame command 167"));
}

TEST(PMInterfaceInHost, OutsideTheMailClientFoldersAndIdentityComeFromRegistryAndIniFiles)
{
    THostSession session("identity");
    session.WriteFile("Pegasus.ini",
        "[WinPMail 32-bit]\r\nSet Language=DE\r\n"
        "[WinPMail 32-bit environment]\r\nPMR= C:\\Books \r\n");
    session.WriteFile("PMail.ini",
        "[WinPMail Identity - Work Identity]\r\n"
        "Internet E-mail Address                   = work@example.org\r\n"
        "Default BCC field                         =archive@example.org\r\n"
        "Printer device name                       =Laser 5\r\n"
        "Printing banner                           =~f|~c|~S|~D|~t|~P|~Q\r\n"
        "Styled message editor tab width (mm)      =$A\r\n"
        "[Pegasus Mail for Windows]\r\n"
        "Internet E-mail Address                   =me@example.org\r\n"
        "Styled message editor tab width (mm)      =2\r\n");
    const std::string folder = session.File("");
    const std::string before = "set basefolder \"" + folder + "\"\nset newmailfolder \"" + folder
        + "\"\nset mailfolder C:\\Mail\nset user Alice\n";
    THostRun run
        = session.Run(before + "load\nforminit\n" + Probes({ "outside", "identity", "banner" }) + "quit\n",
            30000, ProbeArguments() + " -I \"Work Identity\"");
    SCOPED_TRACE(run.Text());
    // Outside: the registry the mail client wrote; no program file in that base folder gives
    // version 0; the language of Pegasus.ini.
    EXPECT_EQ(Report(run, "outside"),
        folder + "|C:\\Mail\\|" + folder + "|Alice|Work Identity|PM 0.00 build 0|de id 7 own");
    // Inside: the registry identity's section, keys padded to 42 characters; the default identity
    // by its name in any case; the tab width of the default identity (no editor), 2 mm x 25.4.
    EXPECT_EQ(Report(run, "identity"),
        "WinPMail Identity - Work Identity|work@example.org|archive@example.org|Laser "
        "5|~f|~c|~S|~D|~t|~P|~Q|51|"
        "me@example.org|DE|C:\\Books");
    // The banner of the registry identity, in UTF-8, dates in the user's format.
    EXPECT_EQ(Report(run, "banner"),
        "Alice Example|Alice|Gr\xC3\xBC\xC3\x9F"
        "e|7 Mar 2026|9:05 (UTC)|Stand-in Printer Header|~Q");
}
TEST(PMInterfaceInHost, OutsideWithoutRegisteredFolderOrUserTheUserIsAskedOnceAndAGenericNameServes)
{
    // The folder browser is cancelled: no mail folder, and no second question for the next ask.
    THostRun run = RunProbe("unregistered", "answer Browse 2\nset mailfolder -\nset user \"\"\n",
        Probes({ "unregistered" }));
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(Report(run, "unregistered"), "|Admin|");
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"Browse").size(), 1u);
}

TEST(PMInterfaceInHost, SignatureOfTheSelectedKindAndNumber)
{
    THostSession session("signature");
    session.WriteFile("LocalSig.PMS",
        "Gr\x81\xE1"
        "e\r\n"); // OEM text
    session.WriteFile("InetSig3.PMS", "plain three");
    session.WriteFile("InetSig3.PNS", "{\\rtf styled three}");
    session.WriteFile("LocalSig2.PMS", "local one");
    struct Case {
        const char* settings;
        const char* text;
    } cases[] = {
        { "setting 39 0\nset signaturekind 1\n",
            "Gr\xFC\xDF"
            "e" },
        { "setting 39 2\nset signaturekind 4\n", "{\\rtf styled three}" },
        { "setting 39 2\nset signaturekind 3\n", "plain three" },
        { "setting 39 1\nset signaturekind 2\n", "local one" }, // no styled file: the plain one
        { "setting 39 -1\nset signaturekind 1\n", "" },
        { "setting 39 0\nset signaturekind 7\n", "" },
    };
    for (const Case& c : cases) {
        THostRun run = session.Run(std::string(c.settings) + "set mailfolder \"" + session.File("")
                + "\"\nload\nforminit\n" + Probes({ "signature" }) + "quit\n",
            30000, ProbeArguments());
        SCOPED_TRACE(run.Text());
        const std::string report = Report(run, "signature");
        // The status line shows the text up to its line break.
        EXPECT_EQ(report.substr(0, report.find('\r')), c.text) << c.settings;
    }
}

TEST(PMInterfaceInHost, FolderChoiceReadsTheChosenFolderKind)
{
    THostSession session("select");
    const std::string folder = session.File("");
    std::string header(128, '\0');
    session.WriteFile("STATE.PMJ", "[Mailbox_IDs]\r\nDEFAULT=\"0:x\"\r\n");
    session.WriteFile("A.CNM", "From: a\n\none");
    session.WriteFile("B.CNM", "From: b\nTo: c\n\ntwo");
    session.WriteFile("FOLDER1.PMM",
        std::string("Folder One") + header.substr(10) + "X: 1\n\nmsg1\x1A" + "X: 2\nY: 3\n\nmsg2");
    session.WriteFile("EMPTY.PMM", std::string("Nothing here") + header.substr(12));
    session.WriteFile("BOX.PMG", std::string("Unix box") + std::string(300, '\0'));
    session.WriteFile("BOX.MBX", "From ???@??? x\nA: b\n\nbody\n");
    // A name field without its NUL is cut at the 128 bytes of the header.
    session.WriteFile("LONG.PMM", std::string(140, 'n'));
    std::string folderName = folder.substr(0, folder.size() - 1);
    folderName = folderName.substr(folderName.rfind('\\') + 1);
    for (char& c : folderName)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    struct Case {
        std::string choice, report;
    } cases[] = {
        { "\"\"", "|0|0||0" }, // cancelled: no text, nothing shown
        { "\"New mail\"", "New mail (" + folderName + ")|0|From: a//one#From: b/To: c//two#||3" },
        { "MAIN:\\FOLDER1", "Folder One|0|X: 1//msg1#X: 2/Y: 3//msg2||3" },
        { "MAIN:\\BOX", "Unix box|1|From ???@??? x/A: b//body/||3" },
        { "MAIN:\\MISSING", "|0||error (333);|0" },
        { "MAIN:\\EMPTY", "Nothing here|0||info (335);|0" },
        { "MAIN:\\LONG", std::string(128, 'n') + "|0|nnnnnnnnnnnn||2" },
    };
    for (const Case& c : cases) {
        THostRun run = session.Run("set folderchoice " + c.choice + "\nset mailfolder \"" + folder
                + "\"\nset newmailfolder \"" + folder + "\"\nload\nforminit\n" + Probes({ "select" })
                + "quit\n",
            30000, ProbeArguments());
        SCOPED_TRACE(run.Text());
        EXPECT_EQ(Report(run, "select"), c.report) << c.choice;
        EXPECT_EQ(run.LinesStartingWith("request 3063").size(), 2u) << c.choice;
    }
}

TEST(PMInterfaceInHost, AddressBooksAndInsertedEditorText)
{
    THostSession session("books");
    session.WriteFile("STATE.PMJ",
        "[AddressBooks]\r\nALICE.1.FRIENDS.PMR=\"00001\"\r\n"
        "BOB.1.BOB.PMR=\"00000\"\r\nALICE.2.WORK.PMR=\"0000\"\r\n");
    THostRun run = session.Run("set user alice\nset mailfolder \"" + session.File("") + "\"\nload\nforminit\n"
            + Probes({ "books", "insert" }) + "editor\n" + Probes({ "insert" }) + "quit\n",
        30000, ProbeArguments());
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(Report(run, "books"),
        "FRIENDS.PMR=00001/WORK.PMR=0000|" + session.File("") + "/" + StageFolder() + "\\Host\\");
    auto inserts = run.LinesStartingWith("request 3075 3 status \"probe insert: ");
    ASSERT_EQ(inserts.size(), 2u);
    EXPECT_EQ(inserts[0], "request 3075 3 status \"probe insert: 0\"");
    EXPECT_EQ(inserts[1], "request 3075 3 status \"probe insert: -1\"");
    EXPECT_TRUE(run.Has("editor field 12 \"inserted text\""));
}
} // namespace
