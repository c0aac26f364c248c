// Decoding of the hidden window's commands at the edges of every range.
#include "plugin/PluginCommands.h"

#include <gtest/gtest.h>

TEST(PluginCommands, DecodesEachRangeAtItsEdges)
{
    using K = TPluginCommandKind;
    struct Case {
        uint32_t wParam, lParam;
        bool isMenu;
        TPluginCommand expected;
    } cases[] = {
        { 0, 1025, false, { K::ToolbarButton, 1025 } },
        { 0, 1031, false, { K::ToolbarButton, 1031 } },
        { 0, 1024, false, {} },
        { 0, 1032, false, {} },
        { 5, 1025, false, {} }, // a toolbar id with a stray wParam
        { 8201, 1027, false, { K::MenuCommand, 9 } }, // encrypt drop-down variants
        { 8203, 1027, false, { K::MenuCommand, 11 } },
        { 8204, 1027, false, {} },
        { 8201, 1026, false, {} },
        { 0x3000, 0, false, {} },
        { 0x3001, 0, false, { K::KeyMenuItem, 1 } },
        { 0x3FFF, 0, false, { K::KeyMenuItem, 0xFFF } },
        { 0x4000, 0, false, {} },
        { 0x5FFF, 0, false, {} },
        { 0x6000, 0, false, { K::AutoListItem, 0 } },
        { 0x6FFF, 0, false, { K::AutoListItem, 0xFFF } },
        { 0x7000, 0, false, { K::AddressBookItem, 0 } },
        { 0x7005, 0, true, {} }, // a menu handle is not a command
        { 0, 0, false, {} },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodePluginCommand(c.wParam, c.lParam, c.isMenu), c.expected)
            << "wParam " << c.wParam << " lParam " << c.lParam;
    }
}
