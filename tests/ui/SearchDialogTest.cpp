// Tests of the search dialog under Wine, driven by the dialog answerer: options shown only on
// request and written back only then, the text in the form the caller asked for, Cancel and the
// title-bar close, and the focus coming back to the text without losing its selection.
#include "ui/dialogs/SearchDialog.h"
#include "foundation/RichEd20Text.h"
#include "framework/harness/DialogAnswerer.h"
#include "framework/harness/KeyInjector.h"
#include "ui/DialogTestSupport.h"

#include <gtest/gtest.h>

namespace {

TSearchDialog* DialogOf(HWND window)
{
    return ControlOf<TSearchDialog>(window);
}

struct Outcome {
    TSearchTypes options;
    std::string result;
};

Outcome RunDialog(TSearchTypes options, const std::string& current, DialogAnswerer::Action action)
{
    FakeMainObject main;
    DialogAnswerer answerer;
    answerer.Then("TSearchDialog", "", std::move(action));
    Outcome outcome { options, "unchanged" };
    ExecuteSearchDialog(main, current, "Arial", outcome.options, outcome.result);
    EXPECT_TRUE(answerer.Done());
    return outcome;
}

TEST(SearchDialog, WithoutShowOptionsHasNoBoxesAndKeepsTheOptions)
{
    bool optionsShown = true;
    std::string caption;
    const Outcome outcome = RunDialog(stDown | stMatchCase, WideTextOfUnits(u"caf\u00e9"), [&](HWND window) {
        optionsShown = DialogOf(window)->pnOptions->Showing();
        caption = DialogOf(window)->Caption();
        PressKey(window, VK_RETURN);
    });
    EXPECT_FALSE(optionsShown);
    EXPECT_EQ(caption, "Find");
    EXPECT_EQ(outcome.options, stDown | stMatchCase);
    EXPECT_EQ(outcome.result, WideTextOfUnits(u"caf\u00e9"));
}

TEST(SearchDialog, OptionsComeBackFromTheBoxes)
{
    std::vector<bool> boxes;
    const Outcome outcome = RunDialog(stShowOptions | stDown | stWholeWord, "word", [&](HWND window) {
        TSearchDialog& dialog = *DialogOf(window);
        boxes = { dialog.pnOptions->Showing(), dialog.cbCase->Checked(), dialog.cbWord->Checked(),
            dialog.cbUpwards->Checked() };
        dialog.cbCase->Click();
        dialog.cbUpwards->Click();
        dialog.fbOk->Click();
    });
    EXPECT_EQ(boxes, (std::vector<bool> { true, false, true, false }));
    EXPECT_EQ(outcome.options, stShowOptions | stWholeWord | stMatchCase);
    EXPECT_EQ(outcome.result, WideTextOfUnits(u"word"));
}

TEST(SearchDialog, TickingABoxReturnsTheFocusWithTheSelectionKept)
{
    HWND focusAfter = nullptr;
    HWND field = nullptr;
    int selectionStart = -1;
    int selectionLength = -1;
    int selectedOnEntry = -1;
    RunDialog(stShowOptions | stDown, "find me", [&](HWND window) {
        TSearchDialog& dialog = *DialogOf(window);
        const bool fg = EnsureForeground(window);
        dialog.deAnswer->SetFocus();
        PumpPending();
        EXPECT_TRUE(fg);
        selectedOnEntry = dialog.deAnswer->SelLength();
        field = dialog.deAnswer->Handle();
        dialog.deAnswer->SelectRange(2, 3);
        dialog.cbUpwards->SetFocus();
        SendMessageA(dialog.cbUpwards->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageA(dialog.cbUpwards->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        PumpPending();
        focusAfter = GetFocus();
        selectionStart = dialog.deAnswer->SelStart();
        selectionLength = dialog.deAnswer->SelLength();
        dialog.fbCancel->Click();
    });
    EXPECT_EQ(selectedOnEntry, 7);
    EXPECT_EQ(focusAfter, field);
    EXPECT_EQ(selectionStart, 2);
    EXPECT_EQ(selectionLength, 3);
}

TEST(SearchDialog, AnsiOptionGivesEightBitTextAndCancelGivesNothing)
{
    const Outcome ansi
        = RunDialog(stDown | stAnsiChar, "gr\xFC\xDF", [](HWND window) { DialogOf(window)->fbOk->Click(); });
    EXPECT_EQ(ansi.result, "gr\xFC\xDF");

    const Outcome cancelled = RunDialog(stDown, "x", [](HWND window) { PressKey(window, VK_ESCAPE); });
    EXPECT_EQ(cancelled.result, "");

    // A close from the title bar leaves the caller's text.
    const Outcome closed
        = RunDialog(stDown, "x", [](HWND window) { SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); });
    EXPECT_EQ(closed.result, "unchanged");
}

TEST(SearchDialog, TheFieldFollowsTheColourScheme)
{
    TColor own = clNone;
    RunDialog(stDown, "x", [&](HWND window) {
        own = DialogOf(window)->deAnswer->Color();
        DialogOf(window)->fbCancel->Click();
    });
    EXPECT_EQ(own, TSearchDialog::OwnFieldColor);
}

TEST(SearchDialog, TheRichEditAsksThroughIt)
{
    FakeMainObject main;
    TForm form(nullptr);
    form.SetBounds(20, 20, 300, 200);
    auto* edit = new TDropEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(0, 0, 280, 150);
    edit->SetPlainText(true);
    edit->HandleNeeded();
    edit->SelectAll();
    edit->SetText("one two three two");
    edit->SelectRange(0, 0);
    edit->SearchDialog = SearchDialogOf(main);
    DialogAnswerer answerer;
    answerer.Then("TSearchDialog", "", [](HWND window) {
        DialogOf(window)->deAnswer->SelectAll();
        DialogOf(window)->deAnswer->SetText("two");
        DialogOf(window)->fbOk->Click();
    });
    EXPECT_TRUE(edit->FindNext());
    EXPECT_EQ(edit->SelStart(), 4);
    EXPECT_EQ(edit->SelLength(), 3);
}

} // namespace
