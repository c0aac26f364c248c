// The mail-client interface without the mail client, and its toolbar button records as a fake
// plug-in window of the mail client receives them.
#include "plugin/PMInterface.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
// A message-only window that answers 3097 with ids from 500 and records what 3097 and 3098 carry.
struct TFakeHost {
    static inline std::vector<HostApi::THostButtonRecord> Added;
    static inline std::vector<WPARAM> Removed;
    static inline uint32_t NextId = 500;
    HWND Window = nullptr;

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == HostApi::REQ_ADD_BUTTON) {
            Added.push_back(*reinterpret_cast<const HostApi::THostButtonRecord*>(lParam));
            return NextId++;
        }
        if (message == HostApi::REQ_REMOVE_BUTTON) {
            Removed.push_back(wParam);
            return 1;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    TFakeHost()
    {
        Added.clear();
        Removed.clear();
        NextId = 500;
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Proc;
        windowClass.lpszClassName = "ZAVEKFakeHostButtons";
        RegisterClassA(&windowClass);
        Window = CreateWindowExA(
            0, windowClass.lpszClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    ~TFakeHost() { DestroyWindow(Window); }
};
} // namespace

TEST(PMInterface, WithoutAMailClientNoRequestIsSent)
{
    TPMInterface outside(nullptr);
    EXPECT_EQ(outside.GetHostWindow(0), nullptr);
    EXPECT_EQ(outside.GetHostSetting(60), 0);
    EXPECT_EQ(outside.GetHostSettingText(0, 260), "");
    EXPECT_EQ(outside.OpenNewMessage("a", "b", "c"), 0);
    outside.PostHostCommand(211); // nowhere to post: nothing happens
    // A button is kept without a host id, and removing it asks nobody.
    EXPECT_TRUE(outside.AddButton("x.bmp", "X", 1025, 0, WM_COMMAND, nullptr));
    EXPECT_EQ(outside.GetButtonHint(1025), "X");
    outside.RemoveButtons();
    EXPECT_EQ(outside.Count(), 0u);
}

TEST(ButtonList, RecordsCarryTheWireLayoutAndAreIndexedByCommand)
{
    TFakeHost host;
    TButtonList buttons(host.Window, "C:\\Res\\");
    const std::string longTooltip(100, 't');
    ASSERT_TRUE(buttons.AddButton("Encrypt.bmp", longTooltip, 1031, 8202, WM_COMMAND, host.Window));
    ASSERT_TRUE(buttons.AddButton(std::string(200, 'b'), "Decrypt", 1025, 0, WM_COMMAND, host.Window));
    EXPECT_FALSE(buttons.AddButton("x.bmp", "below the first command", 1024, 0, WM_COMMAND, host.Window));
    ASSERT_EQ(TFakeHost::Added.size(), 2u);
    const HostApi::THostButtonRecord& encrypt = TFakeHost::Added[0];
    EXPECT_STREQ(encrypt.BitmapFile, "C:\\Res\\Encrypt.bmp");
    EXPECT_EQ(std::string(encrypt.Tooltip), std::string(63, 't')); // cut to its field, NUL-terminated
    EXPECT_EQ(encrypt.Window, host.Window);
    EXPECT_EQ(encrypt.Message, 273u);
    EXPECT_EQ(encrypt.Extra, 8202u);
    EXPECT_EQ(encrypt.CommandId, 1031u);
    EXPECT_EQ(encrypt.HostId, 0u);
    EXPECT_EQ(strnlen(TFakeHost::Added[1].BitmapFile, 128), 127u);
    EXPECT_EQ(buttons.Count(), 2u);
    EXPECT_EQ(buttons.Capacity(), 7u); // command 1031 is the seventh record
    EXPECT_EQ(buttons.GetButtonHint(1025), "Decrypt");
    EXPECT_EQ(buttons.GetButtonHint(1026), "");
    EXPECT_EQ(buttons.GetButtonHint(2000), "");

    buttons.RemoveButtons();
    EXPECT_EQ(TFakeHost::Removed, (std::vector<WPARAM> { 501, 500 })); // only buttons with a host id
    EXPECT_EQ(buttons.Count(), 0u);
    EXPECT_EQ(buttons.GetButtonHint(1025), "");
}

TEST(ButtonList, GrowsForCommandsBeyondItsCapacity)
{
    TFakeHost host;
    TButtonList buttons(host.Window, "");
    for (uint32_t id = 1025; id <= 1034; ++id)
        ASSERT_TRUE(buttons.AddButton("b.bmp", "tip " + std::to_string(id), id, 0, WM_COMMAND, host.Window));
    ASSERT_TRUE(buttons.AddButton("b.bmp", "far", 1060, 0, WM_COMMAND, host.Window));
    EXPECT_EQ(buttons.Count(), 11u);
    EXPECT_GE(buttons.Capacity(), 36u);
    EXPECT_EQ(buttons.GetButtonHint(1025), "tip 1025");
    EXPECT_EQ(buttons.GetButtonHint(1034), "tip 1034");
    EXPECT_EQ(buttons.GetButtonHint(1060), "far");
    buttons.RemoveButtons();
    EXPECT_EQ(TFakeHost::Removed.size(), 11u);
}
