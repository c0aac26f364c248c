// Tests of the help handler under Wine with a stand-in for the HTML Help viewer (the real one needs
// a browser engine the test prefix lacks): viewer choice, the call made for a topic, the bounded
// wait, Escape in the content window, placement of a small help window, Tab handling, the popups
// file and what the handler closes when it goes.
#include "framework/Application.h"
#include "ui/controls/HelpCtrl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr UINT HH_DISPLAY_TOPIC = 0x0000;
constexpr UINT HH_CLOSE_ALL = 0x0012;
constexpr UINT HH_INITIALIZE = 0x001C;
constexpr UINT HH_UNINITIALIZE = 0x001D;
constexpr UINT HH_PRETRANSLATEMESSAGE = 0x00FD;

struct FakeViewer {
    std::vector<UINT> commands;
    std::string file;
    std::string page;
    bool makeWindow = true;
    SIZE size { 300, 200 };
    bool takesMessages = false;
    HWND help = nullptr;
    HWND content = nullptr;
    int closes = 0;
};
FakeViewer fake;

LRESULT CALLBACK HelpWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CLOSE)
        ++fake.closes;
    return DefWindowProcA(window, msg, wParam, lParam);
}

void RegisterFakeClasses()
{
    static bool done = false;
    if (done)
        return;
    WNDCLASSA help {};
    help.lpfnWndProc = HelpWindowProc;
    help.hInstance = GetModuleHandleA(nullptr);
    help.lpszClassName = "HH PARENT";
    RegisterClassA(&help);
    WNDCLASSA content = help;
    content.lpfnWndProc = DefWindowProcA;
    content.lpszClassName = "Internet Explorer_Server";
    RegisterClassA(&content);
    done = true;
}

HWND WINAPI FakeHtmlHelp(HWND, LPCSTR file, UINT command, DWORD_PTR data)
{
    fake.commands.push_back(command);
    if (command == HH_PRETRANSLATEMESSAGE)
        return reinterpret_cast<HWND>(static_cast<INT_PTR>(fake.takesMessages));
    if (command != HH_DISPLAY_TOPIC)
        return nullptr;
    fake.file = file ? file : "";
    fake.page = reinterpret_cast<const char*>(data);
    if (!fake.makeWindow)
        return nullptr;
    fake.help = CreateWindowExA(0, "HH PARENT", "Viewer Title", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30,
        fake.size.cx, fake.size.cy, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    fake.content = CreateWindowExA(0, "Internet Explorer_Server", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, fake.help,
        nullptr, GetModuleHandleA(nullptr), nullptr);
    return fake.help;
}

class HelpHandlerTest : public testing::Test {
protected:
    void SetUp() override
    {
        RegisterFakeClasses();
        fake = FakeViewer {};
        HtmlHelpA = FakeHtmlHelp;
    }
    void TearDown() override
    {
        if (fake.help && IsWindow(fake.help))
            DestroyWindow(fake.help);
        Application().ProcessMessages();
    }
    static std::unique_ptr<THelpHandler> MakeHtmlHandler()
    {
        auto handler = std::make_unique<THelpHandler>(nullptr, "C:\\help\\ZAVEK.chm", "", nullptr, nullptr, 444);
        handler->SetWindowTitle("Viewer Title");
        handler->WindowType = "SIMPLE";
        handler->Topics().AddTopic(28, "intro.htm");
        return handler;
    }
};

struct KindCase {
    const char* file;
    THelpKind kind;
};

class HelpKind : public HelpHandlerTest, public testing::WithParamInterface<KindCase> { };

TEST_P(HelpKind, FollowsTheLowerCasedExtension)
{
    THelpHandler handler(nullptr, GetParam().file, "", nullptr, nullptr, 444);
    EXPECT_EQ(handler.Kind(), GetParam().kind);
    EXPECT_EQ(handler.Viewer() != nullptr, GetParam().kind != hkNone);
}

INSTANTIATE_TEST_SUITE_P(Files, HelpKind,
    testing::Values(KindCase { "C:\\h\\ZAVEK.CHM", hkHtmlHelp }, KindCase { "C:\\h\\zavek.chm", hkHtmlHelp },
        KindCase { "C:\\h\\zavek.HLP", hkWinHelp }, KindCase { "C:\\h\\zavek.txt", hkNone },
        KindCase { "C:\\h.chm\\zavek", hkNone }, KindCase { "", hkNone }));

TEST_F(HelpHandlerTest, WithoutViewerNoTopicIsShown)
{
    THelpHandler handler(nullptr, "C:\\help\\ZAVEK.doc", "", nullptr, nullptr, 444);
    EXPECT_FALSE(handler.ShowTopic(28));
    EXPECT_TRUE(fake.commands.empty());
}

TEST_F(HelpHandlerTest, TopicOpensThePageInTheWindowTypeAndSubclassesTheContent)
{
    auto owned = MakeHtmlHandler();
    THelpHandler& handler = *owned;
    EXPECT_EQ(fake.commands, std::vector<UINT> { HH_INITIALIZE });
    ASSERT_TRUE(handler.ShowTopic(28));
    EXPECT_EQ(fake.file, "C:\\help\\ZAVEK.chm>SIMPLE");
    EXPECT_EQ(fake.page, "intro.htm");
    EXPECT_EQ(handler.Viewer()->ContentWindow(), fake.content);
    EXPECT_EQ(GetPropA(fake.content, "WindowProcProp"), static_cast<HANDLE>(handler.Viewer()));
    EXPECT_EQ(GetFocus(), fake.content);
}

TEST_F(HelpHandlerTest, UnknownContextShowsAnEmptyPageName)
{
    auto owned = MakeHtmlHandler();
    THelpHandler& handler = *owned;
    handler.WindowType.clear();
    ASSERT_TRUE(handler.ShowTopic(99));
    EXPECT_EQ(fake.file, "C:\\help\\ZAVEK.chm");
    EXPECT_EQ(fake.page, "");
}

TEST_F(HelpHandlerTest, NoHelpWindowEndsAtOnce)
{
    fake.makeWindow = false;
    auto owned = MakeHtmlHandler();
    THelpHandler& handler = *owned;
    const DWORD start = GetTickCount();
    EXPECT_FALSE(handler.ShowTopic(28));
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(HelpHandlerTest, UnboundViewerShowsNothing)
{
    auto owned = MakeHtmlHandler();
    THelpHandler& handler = *owned;
    HtmlHelpA = nullptr;
    EXPECT_FALSE(handler.ShowTopic(28));
    EXPECT_TRUE(fake.file.empty());
}

TEST_F(HelpHandlerTest, EscapeClosesTheHelpButNotWhileItsContextMenuIsOpen)
{
    auto owned = MakeHtmlHandler();
    THelpHandler& handler = *owned;
    ASSERT_TRUE(handler.ShowTopic(28));
    SetActiveWindow(fake.help);

    SendMessageA(fake.content, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(fake.content), MAKELPARAM(10, 10));
    SendMessageA(fake.content, WM_KEYDOWN, VK_ESCAPE, 0);
    Application().ProcessMessages();
    EXPECT_EQ(fake.closes, 0);

    SendMessageA(fake.content, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    SendMessageA(fake.content, WM_KEYDOWN, VK_ESCAPE, 0);
    Application().ProcessMessages();
    EXPECT_EQ(fake.closes, 1);
    EXPECT_FALSE(IsWindow(fake.help));
    EXPECT_EQ(handler.Viewer()->ContentWindow(), nullptr);
}

TEST_F(HelpHandlerTest, MenuValueSetByTheCallerAlsoHoldsEscapeBack)
{
    auto owned = MakeHtmlHandler();
    THelpHandler& handler = *owned;
    ASSERT_TRUE(handler.ShowTopic(28));
    SetActiveWindow(fake.help);
    handler.SetTCardValue(-1);
    SendMessageA(fake.content, WM_KEYDOWN, VK_ESCAPE, 0);
    Application().ProcessMessages();
    EXPECT_EQ(fake.closes, 0);
}

TEST_F(HelpHandlerTest, SmallHelpWindowIsWidenedOverTheDesktop)
{
    auto owned = MakeHtmlHandler();
    THelpHandler& handler = *owned;
    ASSERT_TRUE(handler.ShowTopic(28));
    const RECT desk = ScreenWorkArea(fake.help);
    const int margin = (desk.right - desk.left) / 8;
    RECT r;
    GetWindowRect(fake.help, &r);
    EXPECT_EQ(r.left, margin);
    EXPECT_EQ(r.top, desk.top);
    EXPECT_EQ(r.right - r.left, desk.right - 2 * margin);
    EXPECT_EQ(r.bottom - r.top, desk.bottom);
}

struct PlaceCase {
    const char* name;
    RECT client;
    bool moved;
};

class HelpPlacement : public testing::TestWithParam<PlaceCase> { };

TEST_P(HelpPlacement, MovesOnlyWindowsSmallerThanHalfTheDesktop)
{
    const RECT desktop { 0, 0, 800, 600 };
    const RECT window { 10, 20, 10 + GetParam().client.right + 8, 20 + GetParam().client.bottom + 30 };
    const RECT placed = PlaceHelpWindow(window, GetParam().client, desktop);
    const RECT wide { 100, 0, 700, 600 };
    EXPECT_TRUE(EqualRect(&placed, GetParam().moved ? &wide : &window));
}

INSTANTIATE_TEST_SUITE_P(Sizes, HelpPlacement,
    testing::Values(PlaceCase { "Small", { 0, 0, 300, 200 }, true }, PlaceCase { "Large", { 0, 0, 500, 400 }, false },
        PlaceCase { "ExactlyHalf", { 0, 0, 400, 300 }, false }, PlaceCase { "NarrowOnly", { 0, 0, 399, 500 }, true },
        PlaceCase { "LowOnly", { 0, 0, 700, 299 }, true }),
    [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

TEST_F(HelpHandlerTest, LargeHelpWindowKeepsItsPlace)
{
    const RECT desk = ScreenWorkArea(nullptr);
    fake.size = { (desk.right - desk.left) * 3 / 4, (desk.bottom - desk.top) * 3 / 4 };
    auto owned = MakeHtmlHandler();
    THelpHandler& handler = *owned;
    ASSERT_TRUE(handler.ShowTopic(28));
    RECT r;
    GetWindowRect(fake.help, &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
}

TEST_F(HelpHandlerTest, TabAndTheViewersOwnMessagesAreTakenOnlyWhileTheHelpIsActive)
{
    auto owned = MakeHtmlHandler();
    THelpHandler& handler = *owned;
    ASSERT_TRUE(handler.ShowTopic(28));
    MSG tab { fake.content, WM_KEYDOWN, VK_TAB, 0, 0, {} };
    MSG other { fake.content, WM_KEYDOWN, 'A', 0, 0, {} };
    MSG mouse { fake.content, WM_MOUSEMOVE, VK_TAB, 0, 0, {} };

    HWND elsewhere = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
        nullptr, nullptr);
    SetActiveWindow(elsewhere);
    EXPECT_FALSE(handler.PreTranslateMessage(tab));
    DestroyWindow(elsewhere);

    SetActiveWindow(fake.help);
    EXPECT_TRUE(handler.PreTranslateMessage(tab));
    EXPECT_FALSE(handler.PreTranslateMessage(other));
    EXPECT_FALSE(handler.PreTranslateMessage(mouse));
    fake.takesMessages = true;
    EXPECT_TRUE(handler.PreTranslateMessage(other));
}

TEST_F(HelpHandlerTest, GoingAwayClosesTheHelpWindowAndTheViewer)
{
    {
        auto owned = MakeHtmlHandler();
    THelpHandler& handler = *owned;
        ASSERT_TRUE(handler.ShowTopic(28));
    }
    Application().ProcessMessages();
    EXPECT_EQ(fake.closes, 1);
    EXPECT_EQ(fake.commands,
        (std::vector<UINT> { HH_INITIALIZE, HH_DISPLAY_TOPIC, HH_CLOSE_ALL, HH_UNINITIALIZE }));
}

void CountingConverter(void* data, const std::string& html, int width, std::string& text, int& number)
{
    ++*static_cast<int*>(data);
    text = "{\\rtf1 " + std::to_string(width) + "}";
    number = static_cast<int>(html.size());
}

std::string WriteTempFile(const std::string& name, const std::string& content)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

TEST_F(HelpHandlerTest, PopupsComeOnlyFromAnHtmPage)
{
    const std::string page = "<body><p id=\"IDH_ONE\">one</p><p id=\"IDH_TWO\">two</p></body>";
    const std::string htm = WriteTempFile("zavek_helpctrl_popups.htm", page);
    const std::string txt = WriteTempFile("zavek_helpctrl_popups.txt", page);
    int calls = 0;
    THelpHandler loaded(nullptr, "x.chm", htm, &calls, CountingConverter, 444);
    THelpHandler other(nullptr, "x.chm", txt, &calls, CountingConverter, 444);
    THelpHandler missing(nullptr, "x.chm", htm + ".htm", &calls, CountingConverter, 444);
    EXPECT_EQ(calls, 0) << "the paragraphs are converted when first asked for";
    ASSERT_EQ(loaded.Popups().Count(), 2);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(loaded.GetPopupText(1), "{\\rtf1 444}");
    EXPECT_EQ(loaded.GetPopupTextByName("IDH_ONE"), "{\\rtf1 444}");
    EXPECT_EQ(loaded.GetPopupNumber(0), static_cast<int>(std::string("<p id=\"IDH_ONE\">one</p>").size()));
    EXPECT_EQ(other.Popups().Count(), 0);
    EXPECT_EQ(missing.Popups().Count(), 0);
    EXPECT_EQ(missing.GetPopupNumber(0), 0);
    std::remove(htm.c_str());
    std::remove(txt.c_str());
}

// Last: binds the registered control itself, which then stays loaded for the process.
TEST_F(HelpHandlerTest, RegisteredControlIsBoundByItsFullPath)
{
    HtmlHelpA = nullptr;
    THtmlHelp viewer(nullptr, "C:\\none\\missing.chm");
    EXPECT_NE(HtmlHelpA, nullptr);
}

} // namespace
