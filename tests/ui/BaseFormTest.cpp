// Tests of the base form: owner chain between nested dialogs, title-bar close and Alt+F4, the
// colour scheme, links of help popups, help topics, the system menu and placing over the host.
#include "framework/Application.h"
#include "framework/StdCtrls.h"
#include "framework/harness/DialogAnswerer.h"
#include "framework/harness/KeyInjector.h"
#include "tests/ui/DialogTestSupport.h"
#include "ui/controls/HotLabel.h"
#include "ui/controls/ToolTip.h"
#include "ui/dialogs/MessageDialogs.h"

#include <gtest/gtest.h>

namespace {

class TestDialog : public TZAVEKForm {
public:
    explicit TestDialog(IDialogMainObject& main)
        : TZAVEKForm(main)
    {
        WindowClassName = "TTestDialog";
        SetCaption("Test dialog");
        SetBounds(100, 100, 300, 150);
        button = new TButton(this);
        button->SetParent(this);
        button->SetCaption("OK");
        button->ModalResult = mrOk;
        button->SetBounds(10, 10, 75, 25);
    }
    TButton* button;
};

// A stand-in for the host's frame window.
class HostWindow {
public:
    HostWindow()
    {
        window_ = CreateWindowExA(0, "STATIC", "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30, 800, 640, nullptr,
            nullptr, nullptr, nullptr);
    }
    ~HostWindow() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }

private:
    HWND window_;
};

TEST(BaseForm, NestedDialogIsOwnedByTheFirstWhichIsActiveAgainAfterIt)
{
    FakeMainObject main;
    HostWindow host;
    main.hostWindow = host.Handle();
    auto* outer = new TestDialog(main);
    HWND outerWindow = nullptr;
    HWND innerOwner = nullptr;
    HWND activeDuringInner = nullptr;
    HWND chainAfterInner = nullptr;
    HWND activeAfterInner = nullptr;
    DialogAnswerer answerer;
    answerer
        .Then("TTestDialog", "",
            [&](HWND w) {
                outerWindow = w;
                EnsureForeground(w);
                ShowInfo(main, "Inner");
                chainAfterInner = main.activeDialog;
                PumpUntil([&] { return GetActiveWindow() == w; });
                activeAfterInner = GetActiveWindow();
                outer->SetModalResult(mrOk);
            })
        .Then("TMessageDialog", "", [&](HWND w) {
            innerOwner = GetWindow(w, GW_OWNER);
            activeDuringInner = main.activeDialog;
            ControlOf<TMessageDialog>(w)->SetModalResult(mrOk);
        });
    EXPECT_EQ(outer->ShowModal(), mrOk);
    EXPECT_EQ(GetWindow(outer->Handle(), GW_OWNER), host.Handle());
    outer->CloseDown();
    EXPECT_EQ(innerOwner, outerWindow);
    EXPECT_NE(activeDuringInner, outerWindow);
    EXPECT_EQ(chainAfterInner, outerWindow);
    EXPECT_EQ(activeAfterInner, outerWindow);
    EXPECT_EQ(main.activeDialog, nullptr);
}

TEST(BaseForm, CloseDownFreesTheFormAndKeepsAWaitingQuit)
{
    FakeMainObject main;
    auto* dialog = new TestDialog(main);
    dialog->HandleNeeded();
    const HWND window = dialog->Handle();
    PostQuitMessage(7);
    dialog->CloseDown();
    EXPECT_FALSE(IsWindow(window));
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
}

void SendCloseCommand(HWND window, bool altDown)
{
    BYTE state[256];
    GetKeyboardState(state);
    const BYTE saved = state[VK_MENU];
    state[VK_MENU] = altDown ? 0x80 : 0;
    SetKeyboardState(state);
    SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    state[VK_MENU] = saved;
    SetKeyboardState(state);
}

TEST(BaseForm, TitleBarCloseReturnsFiveAndAltF4IsIgnored)
{
    FakeMainObject main;
    auto* dialog = new TestDialog(main);
    bool openAfterAltF4 = false;
    DialogAnswerer answerer;
    answerer.Then("TTestDialog", "", [&](HWND w) {
        SendCloseCommand(w, true);
        PumpPending();
        openAfterAltF4 = IsWindowVisible(w) && dialog->ModalResult() == mrNone;
        SendCloseCommand(w, false);
    });
    EXPECT_EQ(dialog->ShowModal(), mrIgnore);
    EXPECT_TRUE(openAfterAltF4);
    dialog->CloseDown();
}

TEST(BaseForm, MessageDialogClosedFromTheTitleBarReturnsFive)
{
    FakeMainObject main;
    DialogAnswerer answerer;
    answerer.Then("TMessageDialog", "", [&](HWND w) { SendCloseCommand(w, false); });
    bool ticked = false;
    EXPECT_EQ(AskYesNo(main, 0x24, "Close me", "", ticked), mrIgnore);
}

TEST(BaseForm, MessageDialogHasNoCloseCommandInItsSystemMenu)
{
    FakeMainObject main;
    auto* dialog = new TMessageDialog(main);
    const HMENU menu = GetSystemMenu(dialog->Handle(), FALSE);
    EXPECT_EQ(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        EXPECT_FALSE(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED);
    dialog->CloseDown();
}

struct LinkCase {
    const char* url;
    const char* call; // "" = none
    const char* text = ""; // the tip's new text
};

class BaseFormLinks : public testing::TestWithParam<LinkCase> { };

TEST_P(BaseFormLinks, AreRoutedByTheirPrefixInAnyCase)
{
    FakeMainObject main;
    auto* dialog = new TestDialog(main);
    // Its window makes its help tooltip, which a "TOPIC?" link needs.
    dialog->HandleNeeded();
    std::string text = "old tip";
    dialog->HandleLink(GetParam().url, text);
    EXPECT_EQ(text, GetParam().text);
    if (*GetParam().call)
        EXPECT_EQ(main.calls, std::vector<std::string> { GetParam().call });
    else
        EXPECT_TRUE(main.calls.empty());
    dialog->CloseDown();
}

INSTANTIATE_TEST_SUITE_P(Table, BaseFormLinks,
    testing::Values(LinkCase { "HTTP://example.org/x", "open HTTP://example.org/x" },
        LinkCase { "ftp://example.org", "open ftp://example.org" },
        LinkCase { "mailto:alice@example.org", "open mailto:alice@example.org" },
        LinkCase { "MANUAL?abc", "manual #abc" }, LinkCase { "manual?abc", "manual #abc" },
        LinkCase { "PGPHELP?keys", "pgphelp keys" }, LinkCase { "TOPIC?7", "", "{\\rtf1\\ansi popup 7}" },
        LinkCase { "topic?IDH_9", "", "{\\rtf1\\ansi popup IDH_9}" }, LinkCase { "file:c:/x", "" }));

struct HelpCase {
    int context;
    bool topic;
    bool popup = false;
};

class BaseFormHelp : public testing::TestWithParam<HelpCase> { };

TEST_P(BaseFormHelp, ContextsFrom28AreTopicsAndLowerOnesPopups)
{
    FakeMainObject main;
    auto* dialog = new TestDialog(main);
    dialog->Show();
    dialog->ShowHelpPopup(dialog->button, GetParam().context);
    Application().ProcessMessages();
    if (GetParam().topic)
        EXPECT_EQ(main.calls, std::vector<std::string> { "topic " + std::to_string(GetParam().context) });
    else
        EXPECT_TRUE(main.calls.empty());
    // A popup shows the help entry of context - 1 over the control.
    EXPECT_EQ(dialog->IsToolTipActive(), GetParam().popup);
    if (GetParam().popup) {
        EXPECT_EQ(dialog->HelpToolTip()->GetText(),
            "{\\rtf1\\ansi popup " + std::to_string(GetParam().context - 1) + "}");
        const RECT tool = dialog->HelpToolTip()->ToolRect();
        EXPECT_EQ(tool.left, dialog->button->Left());
        EXPECT_EQ(tool.top, dialog->button->Top());
    }
    dialog->CloseDown();
}

INSTANTIATE_TEST_SUITE_P(Table, BaseFormHelp,
    testing::Values(HelpCase { -1, false }, HelpCase { 0, false }, HelpCase { 1, false, true },
        HelpCase { 27, false, true },
        HelpCase { 28, true }, HelpCase { 33, true }));

TEST(BaseForm, F1OnAControlWithoutContextUsesItsParents)
{
    FakeMainObject main;
    auto* dialog = new TestDialog(main);
    dialog->HelpContext = 30;
    HELPINFO info {};
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.hItemHandle = dialog->button->Handle();
    SendMessageA(dialog->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(main.calls, std::vector<std::string> { "topic 30" });
    dialog->CloseDown();
}

// Help routing from labels and edits: which help topic reached the main object.
struct HelpRouteCase {
    const char* name;
    void (*act)(TestDialog& dialog, THotLabel& label, TEdit& edit);
    std::vector<std::string> calls;
};

class BaseFormHelpRoutes : public testing::TestWithParam<HelpRouteCase> { };

TEST_P(BaseFormHelpRoutes, ReachTheRightControl)
{
    FakeMainObject main;
    auto* dialog = new TestDialog(main);
    dialog->HelpContext = 30;
    dialog->button->HelpContext = 29;
    auto* label = new THotLabel(dialog);
    label->SetParent(dialog);
    label->SetBounds(100, 10, 120, 20);
    label->SetCaption("&Button");
    label->FocusControl = dialog->button;
    auto* edit = new TEdit(dialog);
    edit->SetParent(dialog);
    edit->SetBounds(10, 60, 120, 21);
    edit->HelpContext = 31;
    dialog->HandleNeeded();
    GetParam().act(*dialog, *label, *edit);
    EXPECT_EQ(main.calls, GetParam().calls);
    dialog->CloseDown();
}

INSTANTIATE_TEST_SUITE_P(Table, BaseFormHelpRoutes,
    testing::Values(HelpRouteCase { "RightClickOnLabelAsksForItsControl",
                        [](TestDialog& d, THotLabel&, TEdit&) {
                            SendMessageA(d.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(110, 15));
                        },
                        { "topic 29" } },
        HelpRouteCase { "F1OverLabelShowsItsControlsHelp",
            [](TestDialog& d, THotLabel&, TEdit&) {
                HELPINFO info {};
                info.cbSize = sizeof(info);
                info.iContextType = HELPINFO_WINDOW;
                info.hItemHandle = d.Handle();
                info.MousePos = d.ClientToScreen({ 110, 15 });
                SendMessageA(d.Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
            },
            { "topic 29" } },
        HelpRouteCase { "RightClickOverAnEditShowsNoHelp",
            [](TestDialog& d, THotLabel&, TEdit& e) {
                d.Show();
                const POINT p = e.ClientToScreen({ 5, 5 });
                SendMessageA(d.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(e.Handle()), MAKELPARAM(p.x, p.y));
                d.Hide();
            },
            {} },
        HelpRouteCase { "RightClickOverTheButtonShowsItsHelp",
            [](TestDialog& d, THotLabel&, TEdit&) {
                d.Show();
                const POINT p = d.button->ClientToScreen({ 5, 5 });
                SendMessageA(
                    d.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(d.button->Handle()), MAKELPARAM(p.x, p.y));
                d.Hide();
            },
            { "topic 29" } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BaseForm, PlacesItselfOverTheHostFrame)
{
    FakeMainObject main;
    HostWindow host;
    main.hostWindow = host.Handle();
    RECT frame {};
    GetWindowRect(host.Handle(), &frame);
    const int w = frame.right - frame.left;
    const int h = frame.bottom - frame.top;
    auto* dialog = new TestDialog(main);
    dialog->PlaceOverHostWindow();
    EXPECT_EQ(dialog->Width(), (w / 4) * 3);
    EXPECT_EQ(dialog->Height(), (h / 8) * 5);
    EXPECT_EQ(dialog->Left(), (w - (w / 4) * 3) / 2);
    EXPECT_EQ(dialog->Top(), (h - (h / 8) * 5) / 4);
    dialog->CloseDown();
}

} // namespace
