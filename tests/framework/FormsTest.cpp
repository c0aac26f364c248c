// Tests of forms under Wine: modal results by button, key and title bar, close queries, nested and
// repeated modal showing with other windows disabled, WM_QUIT inside a modal loop, Tab and mnemonic
// navigation, Align layout, ownership, reflection, timers, threads and a captured picture.
#include "framework/Forms.h"
#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Subclassing.h"
#include "framework/Threads.h"
#include "framework/harness/DialogAnswerer.h"
#include "framework/harness/KeyInjector.h"
#include "framework/harness/WindowCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <vector>

namespace {

template <typename T> T* Make(TWinControl* parent, const std::string& caption = {})
{
    T* control = new T(parent->ParentForm() ? static_cast<TComponent*>(parent->ParentForm()) : parent);
    control->SetParent(parent);
    if (!caption.empty())
        control->SetCaption(caption);
    return control;
}

class ChoiceForm : public TForm {
public:
    explicit ChoiceForm(const std::string& caption = "Choose")
        : TForm(nullptr)
    {
        WindowClassName = "TChoiceForm";
        SetCaption(caption);
        SetBounds(80, 80, 420, 160);
        int x = 8;
        for (const auto& [text, result] : std::vector<std::pair<std::string, int>> { { "&Yes", mrYes },
                 { "&No", mrNo }, { "OK", mrOk }, { "Cancel", mrCancel }, { "&Retry", mrRetry } }) {
            TButton* button = Make<TButton>(this, text);
            button->ModalResult = result;
            button->SetBounds(x, 80, 75, 25);
            x += 80;
            buttons.push_back(button);
        }
        buttons[2]->SetDefault(true);
        buttons[3]->Cancel = true;
        edit = Make<TEdit>(this);
        edit->SetBounds(8, 8, 200, 21);
        SetActiveControl(edit);
    }
    std::vector<TButton*> buttons;
    TEdit* edit;
};

struct ResultCase {
    const char* name;
    std::function<void(HWND)> answer;
    int expected;
};

class ModalResults : public testing::TestWithParam<ResultCase> { };

TEST_P(ModalResults, AnswererClosesTheFormWithEachResult)
{
    ChoiceForm form;
    DialogAnswerer answerer;
    answerer.Then("TChoiceForm", "Choose", GetParam().answer);
    EXPECT_EQ(form.ShowModal(), GetParam().expected);
    EXPECT_TRUE(answerer.Done());
    EXPECT_FALSE(form.Visible());
}

INSTANTIATE_TEST_SUITE_P(All, ModalResults,
    testing::Values(ResultCase { "Yes", [](HWND w) { ClickButton(w, "Yes"); }, mrYes },
        ResultCase { "No", [](HWND w) { ClickButton(w, "No"); }, mrNo },
        ResultCase { "Ok", [](HWND w) { ClickButton(w, "OK"); }, mrOk },
        ResultCase { "Cancel", [](HWND w) { ClickButton(w, "Cancel"); }, mrCancel },
        ResultCase { "Retry", [](HWND w) { ClickButton(w, "Retry"); }, mrRetry },
        ResultCase { "SystemButtonClick",
            [](HWND w) { SendMessageA(FindWindowExA(w, nullptr, "BUTTON", "&No"), BM_CLICK, 0, 0); }, mrNo },
        ResultCase { "EnterPressesDefault", [](HWND w) { InjectKey(VK_RETURN, 0, w); }, mrOk },
        ResultCase { "EscapePressesCancel", [](HWND w) { InjectKey(VK_ESCAPE, 0, w); }, mrCancel },
        ResultCase { "MnemonicWithAlt", [](HWND w) { InjectKey('R', ssAlt, w); }, mrRetry },
        ResultCase { "TitleBarClose", [](HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, mrCancel },
        ResultCase { "WmClose", [](HWND w) { PostMessageA(w, WM_CLOSE, 0, 0); }, mrCancel }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Forms, EnterOnAFocusedButtonPressesThatButton)
{
    ChoiceForm form;
    DialogAnswerer answerer;
    answerer.Then("TChoiceForm", "", [&](HWND w) {
        EnsureForeground(w);
        form.buttons[0]->SetFocus();
        InjectKey(VK_RETURN, 0, form.buttons[0]->Handle());
    });
    EXPECT_EQ(form.ShowModal(), mrYes);
}

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST(Forms, AChildsWindowAskedForFirstIsMadeOnceInsideItsForm)
{
    TForm form(nullptr);
    auto* panel = Make<TPanel>(&form);
    auto* button = Make<TButton>(panel, "Go");
    const HWND buttonWindow = button->Handle();
    ASSERT_TRUE(form.HandleAllocated());
    EXPECT_EQ(GetParent(buttonWindow), panel->Handle());
    EXPECT_EQ(GetParent(panel->Handle()), form.Handle());
    int windows = 0;
    EnumChildWindows(form.Handle(), CountWindow, reinterpret_cast<LPARAM>(&windows));
    EXPECT_EQ(windows, 2); // the panel and the button, no orphan copies
}

TEST(Forms, RefusedCloseQueryResetsTheResultAndShowModalRepeats)
{
    ChoiceForm form;
    int queries = 0;
    form.OnCloseQuery = [&](TCustomForm& f, bool& canClose) {
        ++queries;
        canClose = queries > 1;
        EXPECT_NE(f.ModalResult(), mrNone);
    };
    DialogAnswerer answerer;
    answerer.Then("TChoiceForm", "", [&](HWND w) { ClickButton(w, "Yes"); })
        .Then("TChoiceForm", "", [&](HWND w) {
            EXPECT_EQ(form.ModalResult(), mrNone); // the refused close reset it
            ClickButton(w, "No");
        });
    EXPECT_EQ(form.ShowModal(), mrNo);
    EXPECT_EQ(queries, 2);

    DialogAnswerer again;
    again.Then("TChoiceForm", "", [](HWND w) { ClickButton(w, "OK"); });
    EXPECT_EQ(form.ShowModal(), mrOk);
}

TEST(Forms, ShowingAVisibleFormModallyIsRefused)
{
    ChoiceForm form;
    form.Show();
    EXPECT_THROW(form.ShowModal(), EInvalidOperation);
    form.Hide();
}

TEST(Forms, NestedModalFormsDisableAndReenableTheOuterOne)
{
    ChoiceForm outer("Outer");
    ChoiceForm inner("Inner");
    TForm bystander(nullptr);
    bystander.SetCaption("Bystander");
    bystander.Show();
    int innerResult = -1;
    bool outerEnabledDuringInner = true;
    bool bystanderEnabledDuringOuter = true;
    outer.buttons[4]->ModalResult = mrNone;
    outer.buttons[4]->OnClick = [&](TControl&) {
        innerResult = inner.ShowModal();
        outer.SetModalResult(mrOk);
    };
    DialogAnswerer answerer;
    answerer
        .Then("TChoiceForm", "Outer",
            [&](HWND w) {
                bystanderEnabledDuringOuter = IsWindowEnabled(bystander.Handle());
                ClickButton(w, "Retry");
            })
        .Then("TChoiceForm", "Inner", [&](HWND w) {
            outerEnabledDuringInner = IsWindowEnabled(outer.Handle());
            EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr);
            ClickButton(w, "No");
        });
    EXPECT_EQ(outer.ShowModal(), mrOk);
    EXPECT_EQ(innerResult, mrNo);
    EXPECT_FALSE(outerEnabledDuringInner);
    EXPECT_FALSE(bystanderEnabledDuringOuter);
    EXPECT_TRUE(IsWindowEnabled(bystander.Handle()));
    EXPECT_TRUE(IsWindowEnabled(outer.Handle()));
}

TEST(Forms, OwnerWindowBecomesTheWindowOwner)
{
    TForm host(nullptr);
    host.SetCaption("Host");
    host.Show();
    ChoiceForm dialog;
    dialog.SetOwnerWindow(host.Handle());
    HWND owner = nullptr;
    DialogAnswerer answerer;
    answerer.Then("TChoiceForm", "", [&](HWND w) {
        owner = GetWindow(w, GW_OWNER);
        ClickButton(w, "OK");
    });
    dialog.ShowModal();
    EXPECT_EQ(owner, host.Handle());
    EXPECT_EQ(GetActiveWindow(), host.Handle());
}

TEST(Forms, QuitDuringModalLoopEndsItAndIsPostedAgain)
{
    ChoiceForm form;
    DialogAnswerer answerer;
    answerer.Then("TChoiceForm", "", [](HWND) { PostQuitMessage(7); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_TRUE(Application().Terminated());
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);

    // The pumps behave the same way.
    PostQuitMessage(3);
    EXPECT_FALSE(Application().ProcessMessages());
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
}

class KeyForm : public TForm {
public:
    KeyForm()
        : TForm(nullptr)
    {
        WindowClassName = "TKeyForm";
        SetBounds(60, 60, 400, 220);
        first = Make<TEdit>(this);
        first->SetBounds(90, 8, 120, 21);
        panel = Make<TPanel>(this);
        panel->SetBounds(8, 40, 300, 80);
        label = Make<TLabel>(panel, "&Name");
        label->SetBounds(8, 8, 60, 17);
        second = Make<TEdit>(panel);
        second->SetBounds(80, 8, 120, 21);
        label->FocusControl = second;
        check = Make<TCheckBox>(panel, "&Check");
        check->SetBounds(80, 40, 100, 17);
        apply = Make<TButton>(this, "&Apply");
        apply->SetBounds(8, 150, 75, 25);
        apply->OnClick = [this](TControl&) { ++applied; };
        hidden = Make<TButton>(this, "&Hidden");
        hidden->SetVisible(false);
    }
    TEdit* first;
    TPanel* panel;
    TLabel* label;
    TEdit* second;
    TCheckBox* check;
    TButton* apply;
    TButton* hidden;
    int applied = 0;
};

TEST(Forms, TabOrderNavigationSkipsHiddenControlsAndWraps)
{
    KeyForm form;
    form.Show();
    EnsureForeground(form.Handle());
    // The form's active control follows the focus (and, unlike GetFocus, stays when another program
    // on the shared display takes the focus for a moment).
    EXPECT_EQ(form.ActiveControl(), form.first);
    const std::vector<TWinControl*> order { form.second, form.check, form.apply, form.first };
    for (TWinControl* expected : order) {
        PressKey(form.Handle(), VK_TAB);
        EXPECT_EQ(form.ActiveControl(), expected) << expected->Caption();
    }
    PressKey(form.Handle(), VK_TAB, ssShift);
    EXPECT_EQ(form.ActiveControl(), form.apply);
    form.apply->SetTabOrder(0);
    PressKey(form.Handle(), VK_TAB);
    EXPECT_EQ(form.ActiveControl(), form.first); // apply is now first, first comes after it
}

TEST(Forms, MnemonicsFocusClickAndToggle)
{
    KeyForm form;
    form.Show();
    EnsureForeground(form.Handle());
    PressKey(form.Handle(), 'N', ssAlt);
    EXPECT_EQ(form.ActiveControl(), form.second);
    PressKey(form.Handle(), 'A', ssAlt);
    EXPECT_EQ(form.applied, 1);
    EXPECT_EQ(form.ActiveControl(), form.apply);
    // A plain letter on a control that takes no characters is a mnemonic as well.
    PressKey(form.Handle(), 'C');
    EXPECT_TRUE(form.check->Checked());
    EXPECT_EQ(form.ActiveControl(), form.check);
    // In an edit the letter is text, not a mnemonic; a hidden button's mnemonic does nothing.
    form.first->SetFocus();
    InjectKey('A', 0, form.first->Handle());
    PressKey(form.Handle(), 'H', ssAlt);
    EXPECT_EQ(form.applied, 1);
    EXPECT_EQ(form.first->GetText(), "a");
}

TEST(Forms, KeyPreviewSeesKeysBeforeTheControl)
{
    KeyForm form;
    form.KeyPreview = true;
    std::vector<std::string> seen;
    form.OnKeyDown = [&](TWinControl&, WORD& key, TShiftState shift) {
        if (key == 'Q' && (shift & ssCtrl)) {
            seen.push_back("form");
            key = 0;
        }
    };
    form.first->OnKeyDown = [&](TWinControl&, WORD& key, TShiftState) {
        if (key == 'Q')
            seen.push_back("edit");
    };
    form.Show();
    EnsureForeground(form.Handle());
    PressKey(form.Handle(), 'Q', ssCtrl);
    PressKey(form.Handle(), 'Q');
    EXPECT_EQ(seen, (std::vector<std::string> { "form", "edit" }));
}

TEST(Forms, AlignLayoutFollowsResizeVisibilityAndBorderWidth)
{
    TForm form(nullptr);
    form.SetClientSize(300, 200);
    TPanel* top = Make<TPanel>(&form);
    top->SetHeight(30);
    top->SetAlign(alTop);
    TPanel* bottom = Make<TPanel>(&form);
    bottom->SetHeight(40);
    bottom->SetAlign(alBottom);
    TPanel* left = Make<TPanel>(&form);
    left->SetWidth(50);
    left->SetAlign(alLeft);
    TPanel* right = Make<TPanel>(&form);
    right->SetWidth(20);
    right->SetAlign(alRight);
    TPanel* client = Make<TPanel>(&form);
    client->SetAlign(alClient);
    client->SetBevelOuter(bvNone);
    client->SetBorderWidth(10);
    TPanel* inner = Make<TPanel>(client);
    inner->SetAlign(alClient);

    const auto bounds = [](TControl* c) {
        const RECT r = c->BoundsRect();
        return std::vector<long> { r.left, r.top, r.right, r.bottom };
    };
    using B = std::vector<long>;
    EXPECT_EQ(bounds(top), (B { 0, 0, 300, 30 }));
    EXPECT_EQ(bounds(bottom), (B { 0, 160, 300, 200 }));
    EXPECT_EQ(bounds(left), (B { 0, 30, 50, 160 }));
    EXPECT_EQ(bounds(right), (B { 280, 30, 300, 160 }));
    EXPECT_EQ(bounds(client), (B { 50, 30, 280, 160 }));
    EXPECT_EQ(bounds(inner), (B { 10, 10, 220, 120 }));

    form.SetClientSize(400, 300);
    EXPECT_EQ(bounds(bottom), (B { 0, 260, 400, 300 }));
    EXPECT_EQ(bounds(right), (B { 380, 30, 400, 260 }));
    EXPECT_EQ(bounds(client), (B { 50, 30, 380, 260 }));
    EXPECT_EQ(bounds(inner), (B { 10, 10, 320, 220 }));

    top->SetVisible(false);
    EXPECT_EQ(bounds(client), (B { 50, 0, 380, 260 }));
    bottom->SetHeight(60);
    EXPECT_EQ(bounds(bottom), (B { 0, 240, 400, 300 }));
    EXPECT_EQ(bounds(client), (B { 50, 0, 380, 240 }));
    // The window itself moved along with the object.
    RECT r;
    GetWindowRect(client->Handle(), &r);
    MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.bottom, 240);
}

class Probe : public TComponent {
public:
    Probe(TComponent* owner, std::vector<std::string>& log, std::string name)
        : TComponent(owner)
        , log_(log)
    {
        SetName(std::move(name));
    }
    ~Probe() override { log_.push_back(Name()); }

private:
    std::vector<std::string>& log_;
};

TEST(Components, OwnerFreesOwnedComponentsLastFirst)
{
    std::vector<std::string> log;
    auto* root = new Probe(nullptr, log, "root");
    auto* a = new Probe(root, log, "a");
    new Probe(a, log, "a1");
    auto* b = new Probe(root, log, "b");
    new Probe(root, log, "c");
    EXPECT_EQ(root->ComponentCount(), 3);
    EXPECT_EQ(root->FindComponent("B"), b);
    delete b; // leaves its owner's list
    EXPECT_EQ(root->ComponentCount(), 2);
    delete root;
    EXPECT_EQ(log, (std::vector<std::string> { "b", "root", "c", "a", "a1" }));
}

TEST(Components, FormFreesItsControlsAndTheirWindows)
{
    const int windowsBefore = SubclassRegistry::Count();
    auto* form = new KeyForm();
    form->Show();
    const HWND edit = form->second->Handle();
    EXPECT_GT(SubclassRegistry::Count(), windowsBefore);
    delete form;
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(SubclassRegistry::Count(), windowsBefore);
}

TEST(Forms, ReleaseFreesTheFormAfterWaitingMessages)
{
    std::vector<std::string> log;
    auto* form = new TForm(nullptr);
    new Probe(form, log, "child");
    form->Show();
    form->Release();
    EXPECT_TRUE(log.empty());
    PumpPending();
    EXPECT_EQ(log, (std::vector<std::string> { "child" }));
}

TEST(Forms, ReleaseInsideItsOwnModalLoopEndsItBeforeFreeing)
{
    std::vector<std::string> log;
    auto* form = new ChoiceForm();
    new Probe(form, log, "child");
    DialogAnswerer answerer;
    answerer.Then("TChoiceForm", "", [&](HWND) { form->Release(); });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_TRUE(log.empty());
    PumpPending();
    EXPECT_EQ(log, (std::vector<std::string> { "child" }));
}

TEST(Forms, AnswererSetsControlsBeforeItCloses)
{
    KeyForm form;
    form.apply->ModalResult = mrOk;
    DialogAnswerer answerer;
    answerer.Then("TKeyForm", "", [](HWND w) {
        SetCheckBox(w, "Check", true);
        SetChildText(w, "Edit", 1, "typed by the script");
        ClickButton(w, "Apply");
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_TRUE(form.check->Checked());
    EXPECT_EQ(form.second->GetText(), "typed by the script");
}

TEST(Forms, AResultSetWhileShowingStillPassesTheCloseQuery)
{
    ChoiceForm form;
    int queries = 0;
    form.OnShow = [](TCustomForm& f) { f.SetModalResult(mrYes); };
    form.OnCloseQuery = [&](TCustomForm&, bool& canClose) { canClose = ++queries > 0; };
    EXPECT_EQ(form.ShowModal(), mrYes);
    EXPECT_EQ(queries, 1);
}

TEST(Controls, NotificationsAreReflectedToTheChild)
{
    KeyForm form;
    form.Show();
    form.second->SetColor(clRed);
    const HDC dc = GetDC(form.second->Handle());
    const auto brush = SendMessageA(form.panel->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
        reinterpret_cast<LPARAM>(form.second->Handle()));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), form.second->Brush());
    EXPECT_EQ(GetBkColor(dc), RGB(255, 0, 0));
    ReleaseDC(form.second->Handle(), dc);

    int changes = 0;
    form.second->OnChange = [&](TEdit&) { ++changes; };
    SetWindowTextA(form.second->Handle(), "typed"); // EN_CHANGE goes to the panel, then to the edit
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(form.second->GetText(), "typed");
}

TEST(Controls, ColourAndFontFollowTheParentUntilSetOwn)
{
    KeyForm form;
    form.SetColor(clGreen);
    form.Font().SetName("Courier New");
    EXPECT_EQ(form.panel->Color(), clGreen);
    EXPECT_EQ(form.label->Color(), clGreen);
    EXPECT_EQ(form.label->Font().Name(), "Courier New");
    form.panel->SetColor(clBlue);
    form.SetColor(clWhite);
    EXPECT_EQ(form.panel->Color(), clBlue);
    EXPECT_EQ(form.label->Color(), clBlue);
    EXPECT_EQ(form.second->Color(), clWindow); // an edit keeps the window colour
}

TEST(Controls, RecreateWndKeepsTextAndChildren)
{
    KeyForm form;
    form.Show();
    form.second->SetText("kept");
    const HWND before = form.panel->Handle();
    form.panel->RecreateWnd();
    EXPECT_NE(form.panel->Handle(), before);
    EXPECT_EQ(form.second->GetText(), "kept");
    EXPECT_EQ(GetParent(form.second->Handle()), form.panel->Handle());
}

TEST(Timers, TimerFiresInsideAModalLoop)
{
    ChoiceForm form;
    TTimer* timer = new TTimer(&form);
    timer->SetInterval(20);
    int ticks = 0;
    timer->OnTimer = [&](TTimer& t) {
        if (++ticks == 3) {
            t.SetEnabled(false);
            form.SetModalResult(mrAbort);
        }
    };
    EXPECT_EQ(form.ShowModal(), mrAbort);
    EXPECT_EQ(ticks, 3);
}

class CountingThread : public TThread {
public:
    std::atomic<int> synced { 0 };
    DWORD syncThread = 0;

protected:
    void Execute() override
    {
        for (int i = 0; i < 3 && !Terminated(); ++i)
            Synchronize([this] {
                syncThread = GetCurrentThreadId();
                ++synced;
            });
        SetReturnValue(synced);
    }
};

TEST(Threads, SynchronizeRunsOnTheGuiThreadWhileItWaits)
{
    CountingThread thread;
    int terminated = 0;
    thread.OnTerminate = [&](TThread&) { ++terminated; };
    thread.Start();
    EXPECT_EQ(thread.WaitFor(), 3);
    EXPECT_EQ(thread.syncThread, GetCurrentThreadId());
    EXPECT_EQ(terminated, 1);
}

class SleepyThread : public TThread {
public:
    explicit SleepyThread(std::atomic<int>& ended)
        : ended_(ended)
    {
        FreeOnTerminate = true;
    }
    ~SleepyThread() override { ++ended_; }

protected:
    void Execute() override
    {
        while (!Terminated())
            Sleep(5);
    }

private:
    std::atomic<int>& ended_;
};

TEST(Threads, TerminateAndWaitAllStopsSelfFreeingThreads)
{
    std::atomic<int> ended { 0 };
    (new SleepyThread(ended))->Start();
    (new SleepyThread(ended))->Start();
    EXPECT_EQ(TThread::RunningCount(), 2);
    TThread::TerminateAndWaitAll();
    EXPECT_EQ(ended, 2);
    EXPECT_EQ(TThread::RunningCount(), 0);
}

HWND menuOwner = nullptr;

void CALLBACK ChooseByKeyboard(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    PostMessageA(menuOwner, WM_KEYDOWN, VK_UP, 0); // from no selection to the last item
    PostMessageA(menuOwner, WM_KEYDOWN, VK_RETURN, 0);
}

TEST(Menus, PopupRunsTheChosenItem)
{
    KeyForm form;
    form.Show();
    EnsureForeground(form.Handle());
    menuOwner = form.Handle();
    TPopupMenu* menu = new TPopupMenu(&form);
    menu->PopupComponent = form.first;
    std::string clicked;
    for (const char* caption : { "&First", "-", "&Second\tCtrl+S" }) {
        auto* item = new TMenuItem(menu);
        item->Caption = caption;
        item->OnClick = [&clicked, caption](TMenuItem&) { clicked = caption; };
        menu->Items().Add(item);
    }
    menu->Items().Items(0)->Enabled = false;
    int popups = 0;
    menu->OnPopup = [&](TPopupMenu&) { ++popups; };
    // The menu's own loop dispatches the timer, which chooses by keyboard.
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, ChooseByKeyboard);
    menu->Popup(100, 100);
    KillTimer(nullptr, timer);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(clicked, "&Second\tCtrl+S");
}

TEST(Capture, SampleFormPictureIsWrittenAndNotBlank)
{
    KeyForm form;
    form.SetCaption("Sample");
    form.second->SetText("Some text");
    TShape* shape = Make<TShape>(&form);
    shape->SetBounds(320, 20, 50, 50);
    shape->Shape = stEllipse;
    shape->Brush.Color = clRed;
    form.Show();
    EnsureForeground(form.Handle());
    TBitmap picture;
    ASSERT_TRUE(CaptureWindow(form.Handle(), picture));
    EXPECT_FALSE(IsUniform(picture));
    // The red ellipse's centre, in window coordinates.
    POINT centre = form.ClientToScreen({ 345, 45 });
    RECT window;
    GetWindowRect(form.Handle(), &window);
    EXPECT_EQ(picture.Bits()[(centre.y - window.top) * picture.Width() + (centre.x - window.left)] & 0xFFFFFF,
        0xFF0000u);
    const std::string name = testing::TempDir() + "zavek_sample_form.png";
    ASSERT_TRUE(SaveBitmapAsPng(picture, name));
    std::FILE* file = std::fopen(name.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    unsigned char signature[8] = {};
    EXPECT_EQ(std::fread(signature, 1, 8, file), 8u);
    std::fseek(file, 0, SEEK_END);
    EXPECT_GT(std::ftell(file), picture.Width() * picture.Height() * 3);
    std::fclose(file);
    EXPECT_EQ(signature[1], 'P');
    std::remove(name.c_str());
}

} // namespace
