// The Windows side of the product helpers: the message pump keeps what stops it queued, and the
// user language comes through the language table.
#include "foundation/ZAVEKCommon.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr UINT TestMessage = WM_APP + 1;
std::vector<std::pair<HWND, UINT>> dispatched;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_APP)
        dispatched.emplace_back(window, message);
    return DefWindowProcA(window, message, wParam, lParam);
}

class MessagePump : public testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA windowClass {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "ZAVEKPumpTest";
        RegisterClassA(&windowClass);
        own = CreateWindowA("ZAVEKPumpTest", "own", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
            GetModuleHandleA(nullptr), nullptr);
        child = CreateWindowA(
            "ZAVEKPumpTest", "child", WS_CHILD, 0, 0, 5, 5, own, nullptr, GetModuleHandleA(nullptr), nullptr);
        foreign = CreateWindowA("ZAVEKPumpTest", "foreign", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr,
            nullptr, GetModuleHandleA(nullptr), nullptr);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        dispatched.clear();
    }
    void TearDown() override
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) { }
        DestroyWindow(foreign);
        DestroyWindow(own);
    }
    HWND own = nullptr, child = nullptr, foreign = nullptr;
};

TEST_F(MessagePump, DispatchesOwnMessagesUntilTheQueueIsEmpty)
{
    PostMessageA(own, TestMessage, 0, 0);
    PostMessageA(child, TestMessage + 1, 0, 0);
    EXPECT_FALSE(PumpMessagesFor(own));
    ASSERT_EQ(dispatched.size(), 2u);
    EXPECT_EQ(dispatched[0].first, own);
    EXPECT_EQ(dispatched[1].first, child);
}

TEST_F(MessagePump, StopsAtAForeignWindowAndLeavesItQueued)
{
    PostMessageA(own, TestMessage, 0, 0);
    PostMessageA(foreign, TestMessage + 2, 0, 0);
    PostMessageA(own, TestMessage + 3, 0, 0);
    EXPECT_TRUE(PumpMessagesFor(own));
    ASSERT_EQ(dispatched.size(), 1u);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, foreign);
    EXPECT_EQ(msg.message, TestMessage + 2);
}

TEST_F(MessagePump, WithoutWindowDispatchesEveryWindowsMessages)
{
    PostMessageA(foreign, TestMessage, 0, 0);
    PostMessageA(own, TestMessage, 0, 0);
    EXPECT_FALSE(PumpMessagesFor(nullptr));
    EXPECT_EQ(dispatched.size(), 2u);
}

TEST_F(MessagePump, StopsAtQuitAndKeepsIt)
{
    PostMessageA(own, TestMessage, 0, 0);
    PostQuitMessage(7);
    EXPECT_TRUE(PumpMessagesFor(own));
    EXPECT_EQ(dispatched.size(), 1u);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(UserLanguage, ComesThroughTheTable)
{
    EXPECT_EQ(GetUserLanguageCode(), LangIDToCode(GetUserDefaultLangID()));
    EXPECT_EQ(GetUserLanguageCode().size(), 2u);
}

} // namespace
