// Auto-close of the message dialog, in real time: 5 seconds, 10 with a title line, never without
// auto-close; an auto-closed dialog ends with result 2.
#include "framework/Application.h"
#include "framework/harness/DialogAnswerer.h"
#include "tests/ui/DialogTestSupport.h"
#include "ui/dialogs/MessageDialogs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsOf(const std::function<void()>& run)
{
    const auto start = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct AutoCloseCase {
    const char* name;
    std::function<void(FakeMainObject&)> show;
    double atLeast;
    double atMost;
};

class AutoClose : public testing::TestWithParam<AutoCloseCase> { };

TEST_P(AutoClose, ClosesItselfAfterItsInterval)
{
    FakeMainObject main;
    const double seconds = SecondsOf([&] { GetParam().show(main); });
    EXPECT_GE(seconds, GetParam().atLeast);
    EXPECT_LE(seconds, GetParam().atMost);
}

INSTANTIATE_TEST_SUITE_P(Table, AutoClose,
    testing::Values(
        AutoCloseCase { "Plain", [](FakeMainObject& m) { ShowInfoAutoClose(m, nullptr, "Done."); }, 4.8, 7.5 },
        AutoCloseCase { "WithTitle",
            [](FakeMainObject& m) { ShowTitledInfo(m, nullptr, "Good signature", "Signed by Alice"); }, 9.8, 12.5 },
        AutoCloseCase { "WithCheck",
            [](FakeMainObject& m) {
                bool ticked = true;
                ShowInfoWithCheck(m, "Done.", "&Hide", ticked);
                EXPECT_FALSE(ticked);
            },
            4.8, 7.5 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AutoClose, EndsWithResultTwo)
{
    FakeMainObject main;
    auto* dialog = new TMessageDialog(main);
    dialog->ApplyDialogStyle(0x40);
    dialog->SetMessageText("Closing by itself");
    dialog->SetAutoClose(true);
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    dialog->CloseDown();
}

TEST(AutoClose, WithoutItTheDialogIsStillOpenAfterSixSeconds)
{
    FakeMainObject main;
    bool openAfterSix = false;
    DialogAnswerer answerer(6000);
    answerer.Then("TMessageDialog", "", [&](HWND w) {
        openAfterSix = IsWindowVisible(w);
        ControlOf<TMessageDialog>(w)->SetModalResult(mrOk);
    });
    const double seconds = SecondsOf([&] { ShowInfo(main, "Stays"); });
    EXPECT_TRUE(openAfterSix);
    EXPECT_GE(seconds, 5.9);
}

} // namespace
