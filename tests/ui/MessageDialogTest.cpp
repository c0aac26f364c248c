// Tests of the message dialog under Wine: buttons, icon, caption, default button and result for
// each style; keys (accelerators, Ctrl+C); the hide check box; refusal over an open message
// dialog; sizing to the text and to the work area; the key menu; and a picture of each kind.
#include "framework/Application.h"
#include "framework/harness/DialogAnswerer.h"
#include "framework/harness/KeyInjector.h"
#include "framework/harness/WindowCapture.h"
#include "tests/ui/DialogTestSupport.h"
#include "ui/dialogs/MessageDialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

namespace {

TMessageDialog* DialogOf(HWND window)
{
    return ControlOf<TMessageDialog>(window);
}

std::map<std::string, TFlatBtn*> ButtonsOf(TMessageDialog& dialog)
{
    return { { "Ok", dialog.fbOk }, { "Yes", dialog.fbYes }, { "No", dialog.fbNo }, { "Left", dialog.fbLeft },
        { "Middle", dialog.fbMiddle }, { "Right", dialog.fbRight } };
}

std::vector<std::string> VisibleButtons(TMessageDialog& dialog)
{
    std::vector<std::string> names;
    for (const auto& [name, button] : ButtonsOf(dialog))
        if (IsWindowVisible(button->Handle()))
            names.push_back(name);
    return names;
}

std::string FocusedButton(TMessageDialog& dialog)
{
    for (const auto& [name, button] : ButtonsOf(dialog))
        if (GetFocus() == button->Handle())
            return name;
    return "";
}

std::string WindowText(HWND window)
{
    char text[512] {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string ClipboardText()
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const auto* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

BOOL CALLBACK CountMessageDialogs(HWND window, LPARAM count)
{
    char name[64] {};
    GetClassNameA(window, name, sizeof(name));
    if (IsWindowVisible(window) && std::string(name) == "TMessageDialog")
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

void CALLBACK EndMenuSoon(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    EndMenu();
}

RECT shownMenu {};

void CALLBACK RecordAndEndMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (const HWND menu = FindWindowA("#32768", nullptr))
        GetWindowRect(menu, &shownMenu);
    EndMenu();
}

// Runs an ask routine with the style while the answerer looks at the dialog and presses a key.
struct StyleCase {
    const char* name;
    int style;
    WORD key;
    int expectedResult;
    const char* captionKind;
    std::vector<std::string> visible;
    const char* focused;
};

class MessageDialogStyles : public testing::TestWithParam<StyleCase> { };

TEST_P(MessageDialogStyles, ShowTheButtonsIconAndDefaultOfTheStyleAndReturnTheKeysResult)
{
    const StyleCase& c = GetParam();
    FakeMainObject main;
    std::string caption;
    std::vector<std::string> visible;
    std::string focused;
    bool hasIcon = false;
    DialogAnswerer answerer;
    answerer.Then("TMessageDialog", "", [&](HWND w) {
        EnsureForeground(w);
        TMessageDialog& dialog = *DialogOf(w);
        caption = WindowText(w);
        visible = VisibleButtons(dialog);
        focused = FocusedButton(dialog);
        hasIcon = SendMessageA(w, WM_GETICON, ICON_SMALL, 0) != 0;
        InjectKey(c.key);
    });
    bool ticked = false;
    EXPECT_EQ(AskYesNo(main, c.style, "A question of style", "", ticked), c.expectedResult);
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(caption, std::string("ZA-VEK - ") + c.captionKind);
    EXPECT_EQ(visible, c.visible);
    EXPECT_EQ(focused, c.focused);
    EXPECT_TRUE(hasIcon);
}

using V = std::vector<std::string>;
INSTANTIATE_TEST_SUITE_P(Table, MessageDialogStyles,
    testing::Values(StyleCase { "ErrorEscape", 0x10, VK_ESCAPE, mrOk, "Error", V { "Ok" }, "Ok" },
        StyleCase { "WarningEscape", 0x30, VK_ESCAPE, mrOk, "Warning", V { "Ok" }, "Ok" },
        StyleCase { "InformationEnter", 0x40, VK_RETURN, mrOk, "Information", V { "Ok" }, "Ok" },
        StyleCase { "InformationIgnoresDefaultBits", 0x140, VK_RETURN, mrOk, "Information", V { "Ok" }, "Ok" },
        StyleCase { "QuestionWithoutButtons", 0x20, VK_ESCAPE, mrOk, "Question", V {}, "" },
        StyleCase { "YesNoEscapeIsNo", 0x24, VK_ESCAPE, mrNo, "Question", V { "No", "Yes" }, "Yes" },
        StyleCase { "YesNoEnterIsYes", 0x24, VK_RETURN, mrYes, "Question", V { "No", "Yes" }, "Yes" },
        StyleCase { "YesNoDefaultNo", 0x124, VK_RETURN, mrNo, "Question", V { "No", "Yes" }, "No" },
        StyleCase { "YesNoDefaultNoEscape", 0x124, VK_ESCAPE, mrNo, "Question", V { "No", "Yes" }, "No" },
        StyleCase { "YesNoThirdDefaultIsYes", 0x224, VK_RETURN, mrYes, "Question", V { "No", "Yes" }, "Yes" },
        StyleCase { "WarningYesNo", 0x34, VK_RETURN, mrYes, "Warning", V { "No", "Yes" }, "Yes" },
        StyleCase { "YesNoAcceleratorN", 0x24, 'N', mrNo, "Question", V { "No", "Yes" }, "Yes" },
        StyleCase { "ThreeEscapeIsCancel", 0x23, VK_ESCAPE, mrCancel, "Question", V { "Left", "Middle", "Right" },
            "Left" },
        StyleCase { "ThreeEnterLeft", 0x23, VK_RETURN, mrYes, "Question", V { "Left", "Middle", "Right" }, "Left" },
        StyleCase { "ThreeEnterMiddle", 0x123, VK_RETURN, mrCancel, "Question", V { "Left", "Middle", "Right" },
            "Middle" },
        StyleCase { "ThreeEnterRight", 0x223, VK_RETURN, mrNo, "Question", V { "Left", "Middle", "Right" },
            "Right" },
        StyleCase { "ThreeRightDefaultEscape", 0x223, VK_ESCAPE, mrCancel, "Question",
            V { "Left", "Middle", "Right" }, "Right" },
        StyleCase { "ErrorThreeButtons", 0x13, VK_RETURN, mrYes, "Error", V { "Left", "Middle", "Right" }, "Left" },
        StyleCase { "ThreeAcceleratorY", 0x23, 'Y', mrYes, "Question", V { "Left", "Middle", "Right" }, "Left" }),
    [](const auto& info) { return std::string(info.param.name); });

// The routines: which style each one shows and what it makes of the answer.
struct RoutineCase {
    const char* name;
    std::function<int(FakeMainObject&)> call;
    WORD key;
    int expected;
    const char* caption;
};

class MessageDialogRoutines : public testing::TestWithParam<RoutineCase> { };

TEST_P(MessageDialogRoutines, ShowTheirStyleAndMapTheAnswer)
{
    FakeMainObject main;
    std::string caption;
    DialogAnswerer answerer;
    answerer.Then("TMessageDialog", "", [&](HWND w) {
        EnsureForeground(w);
        caption = WindowText(w);
        InjectKey(GetParam().key);
    });
    EXPECT_EQ(GetParam().call(main), GetParam().expected);
    EXPECT_EQ(caption, GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(Table, MessageDialogRoutines,
    testing::Values(
        RoutineCase { "ConfirmYesEnter", [](FakeMainObject& m) { return int(ConfirmYes(m, "Sure?")); }, VK_RETURN,
            1, "ZA-VEK - Question" },
        RoutineCase { "ConfirmNoEnterMeansNo", [](FakeMainObject& m) { return int(ConfirmNo(m, "Drop?")); },
            VK_RETURN, 1, "ZA-VEK - Question" },
        RoutineCase { "ConfirmNoEscape", [](FakeMainObject& m) { return int(ConfirmNo(m, "Drop?")); }, VK_ESCAPE,
            1, "ZA-VEK - Question" },
        RoutineCase { "AskYesNoCancelEscape", [](FakeMainObject& m) { return AskYesNoCancel(m, "Save?"); },
            VK_ESCAPE, mrCancel, "ZA-VEK - Question" },
        RoutineCase { "AskYesNoZeroStyleIsQuestion",
            [](FakeMainObject& m) {
                bool t = false;
                return AskYesNo(m, 0, "Go?", "", t);
            },
            VK_RETURN, mrYes, "ZA-VEK - Question" },
        RoutineCase { "ConfirmLeftChoice",
            [](FakeMainObject& m) { return int(ConfirmLeftChoice(m, "Pick", "Which?", "&Left", "&Right")); },
            VK_RETURN, 1, "ZA-VEK - Pick" },
        RoutineCase { "ConfirmRightChoiceDefaultsRight",
            [](FakeMainObject& m) {
                bool t = false;
                return int(ConfirmRightChoice(m, "Pick", "Which?", "&Left", "&Right", "", t));
            },
            VK_RETURN, 1, "ZA-VEK - Pick" },
        RoutineCase { "TwoChoicesEscapeIsCancel",
            [](FakeMainObject& m) {
                bool t = false;
                return AskThreeButtons(m, 0, "Pick", "Which?", "&Left", "&Right", "", t);
            },
            VK_ESCAPE, mrCancel, "ZA-VEK - Pick" },
        RoutineCase { "ShowErrorReturns",
            [](FakeMainObject& m) {
                ShowError(m, "Broken");
                return 0;
            },
            VK_RETURN, 0, "ZA-VEK - Error" },
        RoutineCase { "SystemErrorFillsTheFormat",
            [](FakeMainObject& m) {
                ShowSystemError(m, "Cannot open: %s", ERROR_FILE_NOT_FOUND);
                return 0;
            },
            VK_RETURN, 0, "ZA-VEK - Error" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageDialog, OkButtonShowsTheGlyphWithoutItsBackground)
{
    FakeMainObject main;
    auto* dialog = new TMessageDialog(main);
    // Drawn as the glyph alone, named by its caption.
    EXPECT_EQ(dialog->fbOk->Caption(), main.Texts().GetEntry(107));
    EXPECT_TRUE(dialog->fbOk->CaptionHidden);
    EXPECT_EQ(dialog->fbOk->Glyph().Width(), 16);
    EXPECT_EQ(dialog->fbOk->Glyph().TransparentColor, clWhite);
    dialog->CloseDown();
}

TEST(MessageDialog, SystemErrorCodeZeroShowsNothing)
{
    FakeMainObject main;
    ShowSystemError(main, "Cannot open: %s", 0);
    EXPECT_EQ(DialogAnswerer::FindWindowOfThread("TMessageDialog", ""), nullptr);
}

TEST(MessageDialog, TwoChoicesHideTheMiddleButtonAndMoveTheOuterOnesInward)
{
    FakeMainObject main;
    int leftShift = 0;
    int rightShift = 0;
    bool middleVisible = true;
    DialogAnswerer answerer;
    answerer.Then("TMessageDialog", "", [&](HWND w) {
        TMessageDialog& dialog = *DialogOf(w);
        leftShift = dialog.fbLeft->Left() - 22;
        rightShift = 238 - dialog.fbRight->Left();
        middleVisible = IsWindowVisible(dialog.fbMiddle->Handle());
        dialog.SetModalResult(mrNo);
    });
    bool ticked = false;
    EXPECT_EQ(AskThreeButtons(main, 0, "Pick", "Which?", "A", "B", "", ticked), mrNo);
    EXPECT_EQ(leftShift, 31);
    EXPECT_EQ(rightShift, 31);
    EXPECT_FALSE(middleVisible);
}

TEST(MessageDialog, TickedCheckBoxIsReportedAndAnUntickedOneIsNot)
{
    for (const bool tick : { true, false }) {
        FakeMainObject main;
        DialogAnswerer answerer;
        answerer.Then("TMessageDialog", "", [&](HWND w) {
            TMessageDialog& dialog = *DialogOf(w);
            EXPECT_TRUE(IsWindowVisible(dialog.cbHideDialog->Handle()));
            if (tick) {
                const HWND box = dialog.cbHideDialog->Handle();
                SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
                SendMessageA(box, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
            }
            dialog.SetModalResult(mrOk);
        });
        EXPECT_EQ(ShowWarningWithCheck(main, "Careful", "&Do not show this again"), tick);
    }
}

TEST(MessageDialog, RememberedHideChoiceSuppressesTheNextMessage)
{
    // What a caller does with the box: keep the choice in its options and not ask again.
    FakeMainObject main;
    bool hideWarning = false;
    int shown = 0;
    auto warnUnlessHidden = [&] {
        if (!hideWarning)
            hideWarning = ShowWarningWithCheck(main, "The key is about to expire.", "&Do not warn again");
    };
    DialogAnswerer answerer;
    answerer.Then("TMessageDialog", "", [&](HWND w) {
        ++shown;
        DialogOf(w)->cbHideDialog->Click();
        DialogOf(w)->SetModalResult(mrOk);
    });
    warnUnlessHidden();
    warnUnlessHidden();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(hideWarning);
}

TEST(MessageDialog, NoSecondMessageOverAnActiveOneAndTheCallersFlagStays)
{
    FakeMainObject main;
    bool nestedTicked = true;
    bool nestedWarning = true;
    int dialogsDuringNested = 0;
    DialogAnswerer answerer;
    answerer.Then("TMessageDialog", "", [&](HWND w) {
        EnsureForeground(w);
        ShowMessageDialog(main, 0x40, nullptr, "", "Nested", "&Hide", false, nestedTicked);
        nestedWarning = ShowWarningWithCheck(main, "Nested warning", "&Hide");
        EnumThreadWindows(GetCurrentThreadId(), CountMessageDialogs, reinterpret_cast<LPARAM>(&dialogsDuringNested));
        DialogOf(w)->SetModalResult(mrOk);
    });
    ShowInfo(main, "Outer");
    EXPECT_TRUE(nestedTicked);
    EXPECT_FALSE(nestedWarning);
    EXPECT_EQ(dialogsDuringNested, 1);
}

TEST(MessageDialog, CtrlCCopiesTheWholeTextOrOnlyTheSelection)
{
    FakeMainObject main;
    std::string whole;
    std::string part;
    DialogAnswerer answerer;
    answerer.Then("TMessageDialog", "", [&](HWND w) {
        EnsureForeground(w);
        TMessageDialog& dialog = *DialogOf(w);
        InjectKey('C', ssCtrl);
        PumpPending();
        whole = ClipboardText();
        dialog.reText->SetSelStart(6);
        dialog.reText->SetSelLength(4);
        InjectKey('C', ssCtrl);
        PumpPending();
        part = ClipboardText();
        dialog.SetModalResult(mrOk);
    });
    ShowInfo(main, "First line\r\nsecond line");
    EXPECT_EQ(whole, "First line\r\nsecond line");
    EXPECT_EQ(part, "line");
}

TEST(MessageDialog, MenuKeyOpensTheCopyMenuAtTheCentreAndItsItemsSelectAndCopy)
{
    FakeMainObject main;
    RECT dialogRect {};
    std::vector<std::string> captions;
    std::string copied;
    int selected = 0;
    DialogAnswerer answerer;
    answerer.Then("TMessageDialog", "", [&](HWND w) {
        TMessageDialog& dialog = *DialogOf(w);
        dialog.pmMessage->OnMenuBuilt = [&](TPopupMenu&, HMENU) {
            captions = { dialog.miSelectAll->Caption, dialog.miCopySelection->Caption };
            SetTimer(nullptr, 0, 100, RecordAndEndMenu);
        };
        GetWindowRect(w, &dialogRect);
        shownMenu = {};
        SendMessageA(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w), MAKELPARAM(-1, -1));
        dialog.miSelectAll->Click();
        selected = dialog.reText->SelLength();
        dialog.miCopySelection->Click();
        copied = ClipboardText();
        dialog.SetModalResult(mrOk);
    });
    ShowInfo(main, "Copy me\r\nwhole");
    EXPECT_EQ(captions, (std::vector<std::string> { "Select &all", "&Copy selection" }));
    EXPECT_EQ(shownMenu.left, dialogRect.left + (dialogRect.right - dialogRect.left) / 2);
    EXPECT_EQ(shownMenu.top, dialogRect.top + (dialogRect.bottom - dialogRect.top) / 2);
    EXPECT_GT(selected, 0);
    EXPECT_EQ(copied, "Copy me\r\nwhole");
}

TEST(MessageDialog, RightClickOnAKeyIdOpensTheKeyMenuOnlyInMessages)
{
    FakeMainObject main;
    DialogAnswerer answerer;
    answerer.Then("TMessageDialog", "", [&](HWND w) {
        SendMessageA(DialogOf(w)->reText->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        DialogOf(w)->SetModalResult(mrOk);
    });
    ShowWarning(main, "Key [ 0x0123456789ABCDEF ] has expired.");
    ASSERT_EQ(main.keyMenuTexts.size(), 1u);
    EXPECT_EQ(main.keyMenuTexts[0], "Key [ 0x0123456789ABCDEF ] has expired.");

    // A question has no OK button: the copy menu opens instead (closed again by a timer).
    bool menuShown = false;
    DialogAnswerer questionAnswerer;
    questionAnswerer.Then("TMessageDialog", "", [&](HWND w) {
        TMessageDialog& dialog = *DialogOf(w);
        dialog.pmMessage->OnMenuBuilt = [&](TPopupMenu&, HMENU) {
            menuShown = true;
            SetTimer(nullptr, 0, 50, EndMenuSoon);
        };
        SendMessageA(dialog.reText->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        dialog.SetModalResult(mrNo);
    });
    EXPECT_FALSE(ConfirmYes(main, "Use key [ 0x0123456789ABCDEF ]?"));
    EXPECT_EQ(main.keyMenuTexts.size(), 1u);
    EXPECT_TRUE(menuShown);
}

TEST(MessageDialogSize, ShortTextIsAsWideAsTheCheckBoxTextPlusItsMargins)
{
    FakeMainObject main;
    const std::string check = "&Do not show this message again in this session";
    int clientWidth = 0;
    int checkTextWidth = 0;
    DialogAnswerer answerer;
    answerer.Then("TMessageDialog", "", [&](HWND w) {
        TMessageDialog& dialog = *DialogOf(w);
        RECT client {};
        GetClientRect(w, &client);
        clientWidth = client.right;
        TCanvas& canvas = dialog.cbHideDialog->Canvas();
        HDC dc = GetDC(w);
        canvas.SetHandle(dc);
        canvas.Font = dialog.Font();
        checkTextWidth = canvas.TextWidth("Do not show this message again in this session");
        canvas.SetHandle(nullptr);
        ReleaseDC(w, dc);
        dialog.SetModalResult(mrOk);
    });
    ShowWarningWithCheck(main, "0123456789", check);
    EXPECT_GE(clientWidth, checkTextWidth + 20);
}

TEST(MessageDialogSize, IsAsWideAsItsCaptionButNoWiderThanItsOwner)
{
    const std::string caption(60, 'M');
    for (const bool owned : { false, true }) {
        FakeMainObject main;
        HWND host = nullptr;
        if (owned)
            host = CreateWindowExA(0, "STATIC", "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                nullptr, nullptr, nullptr);
        main.hostWindow = host;
        int width = 0;
        int captionWidth = 0;
        DialogAnswerer answerer;
        answerer.Then("TMessageDialog", "", [&](HWND w) {
            RECT client {};
            GetClientRect(w, &client);
            width = client.right;
            HDC dc = GetDC(w);
            SIZE size {};
            const std::string text = "ZA-VEK - " + caption;
            GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
            ReleaseDC(w, dc);
            captionWidth = size.cx;
            DialogOf(w)->SetModalResult(mrYes);
        });
        EXPECT_TRUE(ConfirmLeftChoice(main, caption, "Which?", "A", "B"));
        SCOPED_TRACE(owned);
        if (owned) {
            EXPECT_LE(width, 400);
            EXPECT_GE(width, 350);
            DestroyWindow(host);
        } else {
            EXPECT_GE(width, captionWidth);
        }
    }
}

TEST(MessageDialogSize, AWideMessageIsCentredOverItsOwner)
{
    FakeMainObject main;
    const HWND host = CreateWindowExA(0, "STATIC", "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 80, 800, 600,
        nullptr, nullptr, nullptr, nullptr);
    main.hostWindow = host;
    RECT dialog {};
    DialogAnswerer answerer;
    answerer.Then("TMessageDialog", "", [&](HWND w) {
        GetWindowRect(w, &dialog);
        DialogOf(w)->SetModalResult(mrOk);
    });
    ShowError(main, "The message could not be decrypted: none of its recipients' keys is in the key ring.");
    DestroyWindow(host);
    EXPECT_GT(dialog.right - dialog.left, 400);
    EXPECT_NEAR((dialog.left + dialog.right) / 2, 500, 2);
    EXPECT_NEAR((dialog.top + dialog.bottom) / 2, 380, 2);
}

TEST(MessageDialogSize, LongTextsStayOnTheWorkAreaWithTheirButtons)
{
    for (const int lines : { 300, 10000 }) {
        FakeMainObject main;
        std::string text;
        for (int i = 1; i <= lines; ++i)
            text += "Line " + std::to_string(i) + " of a long list of keys and their user ids\r\n";
        text += std::string(400, 'W');
        RECT window {};
        RECT ok {};
        RECT area {};
        bool scrolling = false;
        DialogAnswerer answerer;
        answerer.Then("TMessageDialog", "", [&](HWND w) {
            TMessageDialog& dialog = *DialogOf(w);
            GetWindowRect(w, &window);
            GetWindowRect(dialog.fbOk->Handle(), &ok);
            area = ScreenWorkArea(w);
            scrolling = dialog.Scrolling();
            if (lines == 10000)
                SaveWindowPicture(w, "message_long_text");
            dialog.SetModalResult(mrOk);
        });
        ShowError(main, text);
        SCOPED_TRACE(lines);
        EXPECT_TRUE(scrolling);
        RECT inside {};
        EXPECT_TRUE(IntersectRect(&inside, &window, &area) && EqualRect(&inside, &window));
        EXPECT_TRUE(IntersectRect(&inside, &ok, &window) && EqualRect(&inside, &ok));
    }
}

TEST(MessageDialogSize, ShortTextNeedsNoScrollBars)
{
    FakeMainObject main;
    bool scrolling = true;
    DialogAnswerer answerer;
    answerer.Then("TMessageDialog", "", [&](HWND w) {
        scrolling = DialogOf(w)->Scrolling();
        DialogOf(w)->SetModalResult(mrOk);
    });
    ShowInfo(main, "Short");
    EXPECT_FALSE(scrolling);
}

// The colour scheme: the plug-in's tint by default, the system face with the standard colours.
class MessageDialogColours : public testing::TestWithParam<bool> { };

TEST_P(MessageDialogColours, ClientCornerHasTheSchemesColour)
{
    FakeMainObject main;
    main.standardColor = GetParam();
    std::uint32_t pixel = 0;
    DialogAnswerer answerer;
    answerer.Then("TMessageDialog", "", [&](HWND w) {
        UpdateWindow(w);
        PumpPending();
        TBitmap picture;
        ASSERT_TRUE(CaptureWindow(w, picture));
        RECT frame {};
        GetWindowRect(w, &frame);
        POINT origin { 0, 0 };
        ClientToScreen(w, &origin);
        const int x = origin.x - frame.left + 2;
        const int y = origin.y - frame.top + 2;
        pixel = picture.Bits()[y * picture.Width() + x];
        DialogOf(w)->SetModalResult(mrOk);
    });
    ShowInfo(main, "Colours");
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const std::uint32_t expected = GetParam()
        ? static_cast<std::uint32_t>((GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face))
        : 0xC7C8A8u;
    EXPECT_EQ(pixel, expected);
}

INSTANTIATE_TEST_SUITE_P(Schemes, MessageDialogColours, testing::Bool());

// A picture of each kind of dialog, for people to look at.
struct PictureCase {
    const char* name;
    std::function<void(FakeMainObject&)> show;
};

class MessageDialogPictures : public testing::TestWithParam<PictureCase> { };

TEST_P(MessageDialogPictures, AreWritten)
{
    FakeMainObject main;
    std::string file;
    DialogAnswerer answerer;
    answerer.Then("TMessageDialog", "", [&](HWND w) {
        EnsureForeground(w);
        UpdateWindow(w);
        PumpPending();
        file = SaveWindowPicture(w, std::string("message_") + GetParam().name);
        DialogOf(w)->SetModalResult(mrCancel);
    });
    GetParam().show(main);
    EXPECT_FALSE(file.empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, MessageDialogPictures,
    testing::Values(PictureCase { "error",
                        [](FakeMainObject& m) {
                            ShowError(m, "The message could not be encrypted.\r\nNo key was found for "
                                         "alice@example.org.");
                        } },
        PictureCase { "warning_with_check",
            [](FakeMainObject& m) { ShowWarningWithCheck(m, "The key expires in 3 days.", "&Do not warn again"); } },
        PictureCase { "titled_info",
            [](FakeMainObject& m) {
                ShowTitledInfo(m, nullptr, "Good signature", "Signed by Alice <alice@example.org>\r\nKey [ "
                                                             "0x0123456789ABCDEF ]");
            } },
        PictureCase { "question_yes_no", [](FakeMainObject& m) { ConfirmYes(m, "Send the message unencrypted?"); } },
        PictureCase { "question_three", [](FakeMainObject& m) { AskYesNoCancel(m, "Save the changes?"); } },
        PictureCase { "two_choices",
            [](FakeMainObject& m) {
                ConfirmLeftChoice(m, "Signature", "Sign with which key?", "&Private", "&Business");
            } }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
