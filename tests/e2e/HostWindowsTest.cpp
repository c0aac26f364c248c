// End to end through the stand-in mail client: what the plug-in adds to the mail client's windows
// when it is ready (toolbar buttons, the plug-in menu in the menu bar, the about item, the clock,
// the editor control's link handling) and that all of it is gone again after the shut-down.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {
using ::testing::HasSubstr;

constexpr const char* PLUGIN_MENU_ITEMS
    = "menu &Selvadrin: popup:Selvadrin popup:Recipient list sep 16389:g sep 16390 16391 16392 sep 16393:g "
      "16394:g 16395:g sep 16396 16397:g 16398 sep 16399:g 16400 sep 16401:g 16402 16403 16404 16405:g "
      "16406:g sep 16407";

TEST(HostWindows, ReadyAddsButtonsAndMenusAndShutDownTakesThemAllAway)
{
    THostRun run = THostSession("hostwin").Run("load\nforminit\nready\nreader\nmenubar\nmenu &Selvadrin\n"
                                               "menu &Selvadrin/Selvadrin\nmenu &Help\nbuttons\nsubclassed\n"
                                               "event 32\nwait 300\n");
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
} // namespace
