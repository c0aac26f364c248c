// Tests of the application layer: the message-filter chain, Synchronize errors, graphic controls
// receiving mouse messages through their parent, and canvas and bitmap basics.
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/Exceptions.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "framework/Subclassing.h"
#include "framework/Threads.h"
#include "framework/harness/KeyInjector.h"
#include "framework/harness/WindowCapture.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(MessageFilters, RunInOrderStopAtTheFirstTakerAndCanBeRemoved)
{
    constexpr UINT probe = WM_APP + 0x2A0;
    std::vector<std::string> seen;
    int dispatched = 0;
    auto& filters = Application().Filters();
    const int first = filters.Add([&](MSG& m) {
        if (m.message == probe)
            seen.push_back("first");
        return false;
    });
    const int second = filters.Add([&](MSG& m) {
        if (m.message != probe)
            return false;
        seen.push_back("second");
        return m.wParam == 1;
    });
    const int third = filters.Add([&](MSG& m) {
        if (m.message == probe)
            ++dispatched;
        return false;
    });
    PostThreadMessageA(GetCurrentThreadId(), probe, 1, 0);
    PostThreadMessageA(GetCurrentThreadId(), probe, 0, 0);
    Application().ProcessMessages();
    EXPECT_EQ(seen, (std::vector<std::string> { "first", "second", "first", "second" }));
    EXPECT_EQ(dispatched, 1);
    filters.Remove(second);
    PostThreadMessageA(GetCurrentThreadId(), probe, 1, 0);
    Application().ProcessMessages();
    EXPECT_EQ(dispatched, 2);
    filters.Remove(first);
    filters.Remove(third);
}

class FailingThread : public TThread {
public:
    std::string caught;

protected:
    void Execute() override
    {
        try {
            Synchronize([] { throw std::runtime_error("on the GUI thread"); });
        } catch (const std::exception& e) {
            caught = e.what();
        }
    }
};

TEST(Threads, AnExceptionInsideSynchronizeReachesTheWorker)
{
    FailingThread thread;
    thread.Start();
    thread.WaitFor();
    EXPECT_EQ(thread.caught, "on the GUI thread");
}

TEST(Threads, SynchronizeFromTheGuiThreadRunsAtOnce)
{
    int ran = 0;
    Application().Utility().Synchronize([&] { ++ran; });
    EXPECT_EQ(ran, 1);
}

TEST(GraphicControls, MouseMessagesReachTheControlUnderThePointer)
{
    TForm form(nullptr);
    form.SetBounds(40, 40, 300, 200);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 280, 150);
    auto* label = new TLabel(&form);
    label->SetParent(panel);
    label->SetCaption("Click me");
    label->SetLeft(100);
    label->SetTop(50);
    int labelClicks = 0;
    int panelClicks = 0;
    std::vector<std::string> hover;
    POINT down {};
    label->OnClick = [&](TControl&) { ++labelClicks; };
    label->OnMouseDown = [&](TControl&, TMouseButton, TShiftState, int x, int y) { down = { x, y }; };
    label->OnMouseEnter = [&](TControl&) { hover.push_back("enter"); };
    label->OnMouseLeave = [&](TControl&) { hover.push_back("leave"); };
    panel->OnClick = [&](TControl&) { ++panelClicks; };
    form.Show();
    const HWND window = panel->Handle();
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(103, 52));
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(103, 52));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(104, 53));
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(labelClicks, 1);
    EXPECT_EQ(panelClicks, 1);
    EXPECT_EQ(down.x, 3); // in the label's own coordinates
    EXPECT_EQ(down.y, 2);
    EXPECT_EQ(hover, (std::vector<std::string> { "enter", "leave" }));
    // A disabled label lets the click through to the panel.
    label->SetEnabled(false);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(103, 52));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(103, 52));
    EXPECT_EQ(labelClicks, 1);
    EXPECT_EQ(panelClicks, 2);
}

TEST(Graphics, LabelAutoSizeFollowsTextAndFont)
{
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetCaption("Short");
    const int shortWidth = label->Width();
    label->SetCaption("A much longer caption");
    EXPECT_GT(label->Width(), shortWidth);
    const int height = label->Height();
    label->Font().SetHeight(-30);
    EXPECT_GT(label->Height(), height);
}

TEST(Graphics, CanvasDrawsIntoABitmapAndFontsKeepTheirValues)
{
    TBitmap bitmap(20, 10);
    bitmap.Canvas().Brush.Color = clBlue;
    bitmap.Canvas().FillRect({ 0, 0, 10, 10 });
    bitmap.Canvas().Pen.Color = clRed;
    bitmap.Canvas().MoveTo(15, 0);
    bitmap.Canvas().LineTo(15, 10);
    GdiFlush();
    EXPECT_EQ(bitmap.Bits()[5 * 20 + 5] & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(bitmap.Bits()[5 * 20 + 15] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(bitmap.Bits()[5 * 20 + 12] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColorToRGB(0x00A8C8C7), RGB(199, 200, 168));

    TFont font;
    font.SetName("Arial");
    font.SetSize(10);
    font.SetStyle(fsBold | fsItalic);
    TFont copy;
    copy.AssignHandle(font.Handle());
    EXPECT_EQ(copy.Name(), "Arial");
    EXPECT_EQ(copy.Height(), font.Height());
    EXPECT_EQ(copy.Style(), fsBold | fsItalic);
    EXPECT_EQ(font.Size(), 10);
}

TEST(Screen, CursorsFollowControlsUnlessTheScreenCursorIsSet)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 300, 200);
    panel->Cursor = crIBeam;
    auto* label = new TLabel(&form);
    label->SetParent(panel);
    label->SetBounds(0, 0, 300, 200); // the whole panel: wherever the pointer is, it is over the label
    label->SetAutoSize(false);
    label->Cursor = crHandPoint;
    form.Show();
    const HWND window = panel->Handle();
    const POINT centre = panel->ClientToScreen({ 150, 100 });
    SetCursorPos(centre.x, centre.y);
    const auto setCursor = [&] {
        return SendMessageA(
            window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    };
    EXPECT_TRUE(setCursor());
    EXPECT_EQ(GetCursor(), Screen().Cursors(crHandPoint));
    {
        CursorGuard busy;
        EXPECT_EQ(Screen().Cursor(), crHourGlass);
        EXPECT_TRUE(setCursor());
        EXPECT_EQ(GetCursor(), Screen().Cursors(crHourGlass));
    }
    EXPECT_EQ(Screen().Cursor(), crDefault);
    const HCURSOR own = LoadCursorA(nullptr, IDC_CROSS);
    Screen().SetCursors(1, own);
    label->Cursor = 1;
    EXPECT_TRUE(setCursor());
    EXPECT_EQ(GetCursor(), own);
    EXPECT_THROW(Screen().SetCursors(0, own), EInvalidOperation);
    EXPECT_FALSE(Screen().Fonts().empty());
}

TEST(PageControls, FreeingThePageControlFreesItsSheets)
{
    TForm form(nullptr);
    auto* pages = new TPageControl(nullptr);
    pages->SetParent(&form);
    auto* sheet = new TTabSheet(nullptr);
    sheet->SetPageControl(pages);
    new TEdit(sheet);
    form.Show();
    delete pages; // the sheet is not owned by anyone: the parent frees it
    EXPECT_EQ(form.ControlCount(), 0);
}

TEST(Capture, PicturesForPeopleGoToTheCaptureFolder)
{
    TForm form(nullptr);
    form.SetCaption("Picture");
    form.Show();
    const std::string path = SaveWindowPicture(form.Handle(), "zavek_picture_test");
    ASSERT_FALSE(path.empty());
    EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(path.c_str());
}

TEST(Subclassing, ForeignWindowsGetAHandlerAndTheirProcedureBack)
{
    const HWND window
        = CreateWindowExA(0, "STATIC", "start", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    const LONG_PTR own = GetWindowLongPtrA(window, GWLP_WNDPROC);
    std::vector<std::string> texts;
    const int before = SubclassRegistry::Count();
    ASSERT_TRUE(
        SubclassRegistry::Subclass(window, [&](HWND w, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (msg == WM_SETTEXT) {
                texts.push_back(reinterpret_cast<const char*>(lParam));
                if (texts.size() == 2)
                    throw std::runtime_error("handler failure"); // caught; the window still gets the text
            }
            return SubclassRegistry::CallOriginal(w, msg, wParam, lParam);
        }));
    EXPECT_FALSE(SubclassRegistry::Subclass(window, nullptr));
    EXPECT_EQ(SubclassRegistry::Count(), before + 1);
    SetWindowTextA(window, "one");
    SetWindowTextA(window, "two");
    char text[16] = {};
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "two");
    EXPECT_EQ(texts, (std::vector<std::string> { "one", "two" }));
    SubclassRegistry::Unsubclass(window);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), own);
    EXPECT_EQ(SubclassRegistry::Count(), before);

    // A window destroyed while subclassed leaves the table.
    ASSERT_TRUE(SubclassRegistry::Subclass(window, nullptr));
    DestroyWindow(window);
    EXPECT_EQ(SubclassRegistry::Count(), before);
}

LRESULT CALLBACK Marker(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    return message == WM_USER + 7 ? static_cast<LRESULT>(data) : DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK OtherMarker(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    return message == WM_USER + 8 ? 8 : DefSubclassProc(window, message, wParam, lParam);
}

WNDPROC laterNext = nullptr;

LRESULT CALLBACK LaterProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(laterNext, window, msg, wParam, lParam);
}

// Procedures of a chain: several per window, each once, taken out one by one or all at once, also
// when someone replaced the window procedure after us; a window that goes takes its entries along.
TEST(Subclassing, ChainedProceduresComeOutWhereverTheySit)
{
    const auto newWindow = [] {
        return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    };
    const HWND a = newWindow(), b = newWindow();
    const int before = SubclassRegistry::Count();
    ASSERT_TRUE(SubclassRegistry::Subclass(a, Marker, 41));
    ASSERT_TRUE(SubclassRegistry::Subclass(b, Marker, 42));
    ASSERT_TRUE(SubclassRegistry::Subclass(b, Marker, 43)); // once per window and procedure
    ASSERT_TRUE(SubclassRegistry::Subclass(b, OtherMarker, 0));
    laterNext = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(b, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LaterProc)));
    EXPECT_EQ(SendMessageA(a, WM_USER + 7, 0, 0), 41);
    EXPECT_EQ(SendMessageA(b, WM_USER + 7, 0, 0), 42);
    EXPECT_EQ(SubclassRegistry::WindowsWith(Marker), (std::vector<HWND> { a, b }));
    EXPECT_EQ(SubclassRegistry::Count(), before + 3);

    SubclassRegistry::Unsubclass(b, Marker);
    EXPECT_EQ(SendMessageA(b, WM_USER + 7, 0, 0), 0);
    EXPECT_EQ(SendMessageA(b, WM_USER + 8, 0, 0), 8);
    SubclassRegistry::Unsubclass(b);
    EXPECT_FALSE(SubclassRegistry::IsSubclassed(b, OtherMarker));
    EXPECT_EQ(SendMessageA(b, WM_USER + 8, 0, 0), 0);
    SetWindowTextA(b, "still works");
    char text[16] = {};
    GetWindowTextA(b, text, sizeof text);
    EXPECT_STREQ(text, "still works");

    DestroyWindow(a);
    EXPECT_EQ(SubclassRegistry::Count(), before);
    EXPECT_TRUE(SubclassRegistry::WindowsWith(Marker).empty());
    EXPECT_FALSE(SubclassRegistry::Subclass(a, Marker, 1));
    DestroyWindow(b);
}

} // namespace
