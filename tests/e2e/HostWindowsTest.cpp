// End to end through the stand-in mail client: what the plug-in adds to the mail client's windows
// when it is ready (toolbar buttons, the plug-in menu in the menu bar, the about item, the clock,
// the editor control's link handling) and that all of it is gone again after the shut-down.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace {
using ::testing::HasSubstr;

constexpr const char* PLUGIN_MENU_ITEMS
    = "menu &Selvadrin: popup:Selvadrin popup:Recipient list sep 16389:g sep 16390 16391 16392 sep 16393:g "
      "16394:g 16395:g sep 16396 16397:g 16398 sep 16399:g 16400 sep 16401:g 16402 16403 16404 16405:g "
      "16406:g sep 16407";

TEST(HostWindows, ReadyAddsButtonsAndMenusAndShutDownTakesThemAllAway)
{
    THostRun run = THostSession("hostwin").Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nready\nreader\nmenubar\nmenu &Selvadrin\n"
                                               "menu &Selvadrin/Selvadrin\nmenu &Help\nbuttons\nsubclassed\n"
                                               "event 32\nuntil \"frame destroyed\"\n");
    SCOPED_TRACE(run.Text());
    // Default options: no wipe button, the sign-only encrypt button with its drop-down.
    EXPECT_TRUE(run.Has("buttons 1026:0 1027:8202 1028:0 1029:0 1030:0 1031:0"));
    EXPECT_TRUE(run.Has("request 3097 button 1027 \"Sign message\" -> 101"));
    EXPECT_TRUE(run.Has("menubar &File|&Reader|&Selvadrin|&Window|&Help"));
    EXPECT_TRUE(run.Has(PLUGIN_MENU_ITEMS));
    EXPECT_TRUE(run.Has("menu &Selvadrin/Selvadrin: 20504 20505 sep 20506"));
    EXPECT_TRUE(run.Has("menu &Help: 12545 16388"));
    EXPECT_TRUE(run.Has("subclassed: WPMMDI READER LDUWIN WPMDLG_STB"));
    // The shut-down gave every button, menu and window back before the plug-in closed the frame.
    EXPECT_TRUE(run.Has("event 32 -> 0x9999"));
    EXPECT_EQ(run.LinesStartingWith("request 3098").size(), 6u);
    ASSERT_TRUE(run.Has("frame close: frame subclassed=0 statusbar subclassed=0"));
    const int close = run.IndexOf("event 32 on close -> 0x0");
    ASSERT_GE(close, 0);
    EXPECT_EQ(run.IndexOf("menubar &File|&Reader|&Window|&Help"), close + 1);
    EXPECT_EQ(run.IndexOf("menu &Help: 12545"), close + 2);
    EXPECT_EQ(run.IndexOf("buttons"), close + 3);
    EXPECT_EQ(run.IndexOf("subclassed: none"), close + 4);
    EXPECT_TRUE(run.Has("frame destroyed"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(HostWindows, ASecondReadyAndAnMdiMenuKeepOneMenuEachAndShutDownCleansBoth)
{
    THostRun run = THostSession("hostwin-mdi").Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nready\nready\nmenubar\nmenu &Help\nbuttons\n"
                                                   "mdimenu\nmenubar\nmenu &Help\nevent 32\nuntil \"frame destroyed\"\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.LinesStartingWith("request 3097").size(), 6u);
    EXPECT_TRUE(run.Has("menubar &File|&Reader|&Selvadrin|&Window|&Help"));
    EXPECT_TRUE(run.Has("menu &Help: 12545 16388"));
    // The mail client's new frame menu got the plug-in menu and the about item as well.
    EXPECT_TRUE(run.Has("menubar &File|&Edit|&Selvadrin|&Window|&Help"));
    const int close = run.IndexOf("event 32 on close -> 0x0");
    ASSERT_GE(close, 0);
    EXPECT_EQ(run.IndexOf("menubar &File|&Edit|&Window|&Help"), close + 1);
    EXPECT_EQ(run.IndexOf("menu &Help: 12545"), close + 2);
    EXPECT_EQ(run.IndexOf("subclassed: none"), close + 4);
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(HostWindows, MenuStatesHintsAndCommandsGoThroughTheFrame)
{
    // Its own mail folder: the commands change the options. The configuration dialog the menu
    // opens is closed unchanged.
    THostSession session("hostwin-menus");
    THostRun run = session
                       .Run(ANSWER_NO_KEY_RINGS + ANSWER_MESSAGES + "answer Configuration Cancel\n"
                            + session.MailFolderStep()
                            + "load\nforminit\nready\nreader\npopup &Selvadrin\nmenu &Selvadrin\n"
                            "menuselect 16396 &Selvadrin\nmenuselect 16388 &Help\nmenuselect 12545 &Help\n"
                            "exitmenu\ncommand 16390\ncommand 20504\ncommand 1190\nlink ZAVEK_URL:0x1234\n"
                            "link http://example.org/\nevent 5 after\nquit\n");
    SCOPED_TRACE(run.Text());
    // A reader is active: decrypt and verify are offered; without an editor the send items are not.
    EXPECT_TRUE(run.Has("menu &Selvadrin: popup:Selvadrin popup:Recipient list sep 16389:g sep 16390 16391 16392 "
                        "sep 16393:g 16394:g 16395:g sep 16396 16397 16398 sep 16399 16400 sep 16401:g 16402 "
                        "16403 16404 16405:g 16406:g sep 16407"));
    // Hints on the status line; without certificates the folder hint does not mention S/MIME.
    EXPECT_TRUE(run.Has("request 3075 3 status \"Decrypt all new PGP/MIME messages\""));
    EXPECT_TRUE(run.Has("request 3075 3 status \"About the plug-in\""));
    EXPECT_EQ(run.LinesStartingWith("request 3075 3 status").size(), 2u);
    EXPECT_EQ(run.LinesStartingWith("request 3075 0 status \"\"").size(), 2u);
    // The plug-in's items stay with the plug-in; the mail client's own commands reach it.
    EXPECT_FALSE(run.Has("frame command 16390"));
    EXPECT_FALSE(run.Has("frame command 20504"));
    EXPECT_TRUE(run.Has("frame command 1190"));
    // Its own links in a message are the plug-in's; others are the mail client's.
    EXPECT_TRUE(run.Has("link ZAVEK_URL:0x1234 -> 1"));
    EXPECT_TRUE(run.Has("link http://example.org/ -> 0"));
    EXPECT_TRUE(run.Has("event 5 -> 0x0"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(HostWindows, TheOptionsChooseButtonsAutoListItemsAndTheClock)
{
    THostSession session("hostwin-options");
    session.WriteFile("ZAVEK.cfg",
        "[Toolbar]\r\nWipePass=1\r\nEncSign=1\r\nDecrypt=0\r\n[AutoPush]\r\nAuto=0\r\n"
        "[ShowTime]\r\nShow=0\r\n");
    THostSession clockSession("hostwin-clock");
    THostRun run = session.Run(ANSWER_NO_KEY_RINGS + "set mailfolder " + session.File("")
        + "\nload\nforminit\nready\nbuttons\npopup \"&Selvadrin/Recipient list\"\n"
          "menu \"&Selvadrin/Recipient list\"\nstatuspixels\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("buttons 1026:0 1025:0 1027:8201 1029:0 1030:0 1031:0"));
    EXPECT_TRUE(run.Has("request 3097 button 1027 \"Encrypt message\" -> 102"));
    // With the auto-list off its submenu only offers to switch it on.
    EXPECT_TRUE(run.Has("menu &Selvadrin/Recipient list: 24603"));
    EXPECT_TRUE(run.Has("statuspixels blank"));

    THostRun clock = clockSession.Run(ANSWER_NO_KEY_RINGS + "set mailfolder " + clockSession.File("")
        + "\nload\nforminit\nstatuspixels\nready\npopup \"&Selvadrin/Recipient list\"\n"
          "menu \"&Selvadrin/Recipient list\"\nstatuspixels drawn\nquit\n");
    SCOPED_TRACE(clock.Text());
    EXPECT_EQ(clock.LinesStartingWith("statuspixels blank").size(), 1u);
    EXPECT_EQ(clock.LinesStartingWith("statuspixels drawn").size(), 1u);
    EXPECT_TRUE(clock.Has("menu &Selvadrin/Recipient list: 24604:g 24605 sep 24606:g 24607:g 24608"));
}

TEST(HostWindows, CtrlAndTheManageKeysAcceleratorCloseThePluginMenu)
{
    // 13 is Ctrl+M, "&Manage keys"; 11 is Ctrl+K.
    THostRun run = THostSession("hostwin-menuchar")
                       .Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nready\nmenuchar 13 &Selvadrin\nctrl 1\nmenuchar 11 &Selvadrin\n"
                            "menuchar 13 &Help\nmenuchar 13 &Selvadrin\nctrl 0\nevent 5 after\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.LinesStartingWith("menuchar 13 -> 0x0").size(), 2u);
    EXPECT_TRUE(run.Has("menuchar 11 -> 0x0"));
    EXPECT_TRUE(run.Has("menuchar 13 -> 0x10000"));
    EXPECT_TRUE(run.Has("event 5 -> 0x0"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(HostWindows, TheEndOfTheWindowsSessionShutsThePluginDownFirst)
{
    THostRun run = THostSession("hostwin-endsession").Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nready\nframemessage 0x11\nuntil \"frame destroyed\"\n");
    SCOPED_TRACE(run.Text());
    const int query = run.IndexOf("framemessage 0x11 -> 0x1");
    ASSERT_GE(query, 0);
    EXPECT_EQ(run.LinesStartingWith("request 3098").size(), 6u);
    EXPECT_LT(run.IndexOf("request 3098 100"), query);
    EXPECT_TRUE(run.Has("frame close: frame subclassed=0 statusbar subclassed=0"));
    EXPECT_TRUE(run.Has("frame destroyed"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(HostWindows, PGPWindowsOutOfSightComeIntoViewOthersStayWhereTheMailClientPutThem)
{
    THostRun run = THostSession("hostwin-inview")
                       .Run(ANSWER_NO_KEY_RINGS + "load\nforminit\noffscreen \"PGP early\"\nready\noffscreen \"PGP Passphrase\"\n"
                            "offscreen \"Mail client\"\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("offscreen PGP early in view=0")); // the plug-in is not ready yet
    EXPECT_TRUE(run.Has("offscreen PGP Passphrase in view=1"));
    EXPECT_TRUE(run.Has("offscreen Mail client in view=0"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(HostWindows, TheEncryptButtonOffersItsChoicesWithAnEditorAndOnTheRightButton)
{
    THostRun run = THostSession("hostwin-encpopup")
                       .Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nready\nclick 1027\nendmenu 300\nrightclick 1027\n"
                            "until \"menu ended\"\neditor\nendmenu 300\nclick 1027\nrightclick 1028\nidle\n"
                            "endmenu 300\nclick 1026\nevent 5 after\nquit\n");
    SCOPED_TRACE(run.Text());
    // Without an editor the click runs the button's command; the right button and a click with an
    // editor show the seven-item popup, which the menu's end closes.
    EXPECT_EQ(run.LinesStartingWith("frame initmenupopup 7 items").size(), 2u);
    // The right click on the decrypt button shows nothing (a popup's loop would keep the plug-in
    // from being idle). The recipient-list button shows its submenu, filled as it opens.
    EXPECT_EQ(run.LinesStartingWith("frame initmenupopup 6 items").size(), 1u);
    EXPECT_EQ(run.LinesStartingWith("menu ended").size(), 3u);
    EXPECT_TRUE(run.Has("rightclick 1028"));
    EXPECT_TRUE(run.Has("event 5 -> 0x0"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(HostWindows, CtrlWithTheContextMenuKeyOrF10StaysWithThePlugin)
{
    // 0x100 WM_KEYDOWN, 0x104 WM_SYSKEYDOWN; 0x5D the context-menu key, 0x79 F10.
    THostRun run = THostSession("hostwin-keys")
                       .Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nready\nreader\nctrl 1\npostreader 0x100 0x5D\n"
                            "postreader 0x104 0x79\npostreader 0x100 0x41\nidle\nctrl 0\npostreader 0x100 0x5D\n"
                            "postreader 0x104 0x79\nidle\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.LinesStartingWith("reader key 0x5D").size(), 1u);
    EXPECT_EQ(run.LinesStartingWith("reader syskey 0x79").size(), 1u);
    EXPECT_TRUE(run.Has("reader key 0x41"));
    EXPECT_LT(run.IndexOf("reader key 0x41"), run.IndexOf("reader key 0x5D"));
    EXPECT_EQ(run.ExitCode, 0);
}

// A network address the mail client writes into its status line is shown readable, its escapes
// decoded; a system key in a message's HTML viewer goes to the frame, whose menu it opens.
TEST(HostWindows, StatusAddressesAreReadableAndAnHtmlViewersSystemKeysReachTheFrame)
{
    THostRun run = THostSession("hostwin-viewer")
                       .Run(ANSWER_NO_KEY_RINGS + "load\nforminit\nready\nreader\nstatus http://example.org/a%20b\n"
                            "idle\nstatusbar\nstatus file:///C:/a%20b\nidle\nstatusbar\nendmenu 300\nhtmlsyskey 0x46\n"
                            "idle\nquit\n");
    SCOPED_TRACE(run.Text());
    const auto bars = run.LinesStartingWith("statusbar");
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_THAT(bars[0], HasSubstr("\"http://example.org/a b\""));
    EXPECT_THAT(bars[1], HasSubstr("\"file:///C:/a%20b\"")) << "only network addresses";
    // Alt+F went to the frame, which opened its menu, and not to the viewer.
    EXPECT_TRUE(run.Has("frame syskey 0x46"));
    EXPECT_EQ(run.LinesStartingWith("frame initmenupopup").size(), 1u);
    EXPECT_FALSE(run.Has("htmlviewer syskey 0x46"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(HostWindows, TheMailClientsAddressBooksAppearInTheRecipientListSubmenu)
{
    THostSession session("hostwin-books");
    // An address book: its title in the first 128 bytes, then one record of 458 bytes.
    std::string book(128 + 458, '\0');
    book.replace(0, 7, "Friends");
    book.replace(128 + 2, 5, "Alice");
    book.replace(128 + 342, 17, "alice@example.org");
    session.WriteFile("FRIENDS.PMR", book);
    const std::string books = "\"&Selvadrin/Recipient list/Add from the address books\"";
    THostRun run = session.Run(ANSWER_NO_KEY_RINGS + "set mailfolder " + session.File("")
        + "\nload\nforminit\nready\npopup \"&Selvadrin/Recipient list\"\nmenu \"&Selvadrin/Recipient list\"\n"
          "menu "
        + books + "\nmenuselect 28672 " + books + "\nmenuselect 28673 " + books + "\nquit\n");
    SCOPED_TRACE(run.Text());
    EXPECT_TRUE(run.Has("menu &Selvadrin/Recipient list: 24604:g 24605 sep 24606:g 24607:g 24608 "
                        "popup:Add from the address books"));
    EXPECT_TRUE(run.Has("menu &Selvadrin/Recipient list/Add from the address books: 28672 28673"));
    EXPECT_TRUE(run.Has("request 3075 3 status \"Add the address book \"Friends\"\""));
    EXPECT_TRUE(run.Has("request 3075 3 status \"Add all address books\""));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(HostWindows, MessageWindowsOfTheNewerKindAreReadersOnNewerMailClientsOnly)
{
    // Build 4520 (version 0x452): the content pane decides; build 3200 (0x320): the window alone.
    for (const char* version : { "0x452", "0x320" }) {
        THostRun run = THostSession(std::string("hostwin-mdireader") + version)
                           .Run(ANSWER_NO_KEY_RINGS + "set version " + version
                               + "\nload\nforminit\nready\nmdireader\ncheck\nevent 32\nuntil \"frame destroyed\"\n");
        SCOPED_TRACE(run.Text());
        EXPECT_TRUE(run.Has("check frame subclassed=1 statusbar subclassed=1 reader1=subclassed"));
        // The shut-down closed it as one of the plug-in's readers.
        EXPECT_LT(run.IndexOf("message window destroyed"), run.IndexOf("event 32 -> 0x9999"));
        EXPECT_TRUE(run.Has("frame close: frame subclassed=0 statusbar subclassed=0"));
        EXPECT_EQ(run.ExitCode, 0);
    }
}
// The mail client's identity choice: OK keeps a new identity for the plug-in's next start of the
// mail client (it says so) and leaves the mail client's own choice empty; the current user's own
// name is no new choice.
TEST(HostWindows, TheIdentityDialogKeepsAChosenIdentityForTheNextStart)
{
    THostRun run = THostSession("hostwin-identity")
                       .Run(ANSWER_NO_KEY_RINGS + ANSWER_MESSAGES + "answer \"Choose an identity\" 1\nset user Ann\n"
                            "load\nforminit\nready\nidentity Work\nidentity ann\nquit\n");
    SCOPED_TRACE(run.Text());
    const auto closed = run.LinesStartingWith("identity dialog ");
    ASSERT_EQ(closed.size(), 2u);
    for (const std::string& line : closed)
        EXPECT_EQ(line, "identity dialog Cancel \"\"");
    EXPECT_EQ(run.LinesStartingWith("identity -> 2").size(), 2u);
    const auto told = run.LinesStartingWith("answered dialog \"ZA-VEK - Information\"");
    ASSERT_EQ(told.size(), 1u);
    // The note comes as the first dialog goes, before the second one closes; both closing lines
    // read alike, so the second is the last of them.
    const auto lastClosed = std::find(run.Log.rbegin(), run.Log.rend(), closed[1]);
    const int secondClosed = static_cast<int>(std::distance(lastClosed, run.Log.rend())) - 1;
    EXPECT_LT(run.IndexOf(closed[0]), run.IndexOf(told[0]));
    EXPECT_LT(run.IndexOf(told[0]), secondClosed);
    EXPECT_EQ(run.ExitCode, 0);
}
} // namespace
