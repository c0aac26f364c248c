// Library tear-down, run from a posted call: every subclassed system window gets its own procedure
// back (unless another procedure was installed after ours), our own windows are destroyed, worker
// threads are stopped, and the objects left behind can still be freed.
#include "framework/Application.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "framework/Subclassing.h"
#include "framework/Threads.h"

#include <gtest/gtest.h>

namespace {

WNDPROC foreignNext = nullptr;

LRESULT CALLBACK ForeignProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(foreignNext, window, msg, wParam, lParam);
}

class Waiter : public TThread {
protected:
    void Execute() override
    {
        while (!Terminated())
            Sleep(5);
    }
};

TEST(Unload, ShutdownRestoresDestroysAndStops)
{
    auto* form = new TForm(nullptr);
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    auto* button = new TButton(form);
    button->SetParent(form);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    form->Show();
    const HWND editWindow = edit->Handle();
    const HWND buttonWindow = button->Handle();
    const HWND formWindow = form->Handle();

    // Detach the edit from its form first so its window outlives our own windows.
    SetParent(editWindow, nullptr);
    // Someone subclasses the button after us: our procedure must stay in its chain.
    foreignNext = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(buttonWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ForeignProc)));

    // A host window subclassed by a handler gets its procedure back too.
    const HWND host
        = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const LONG_PTR hostProc = GetWindowLongPtrA(host, GWLP_WNDPROC);
    ASSERT_TRUE(SubclassRegistry::Subclass(host, nullptr));

    auto* waiter = new Waiter();
    waiter->Start();

    // As the plug-in does after the host's shut-down: from a posted call, inside the utility
    // window's own procedure, which the shut-down destroys.
    bool ran = false;
    Application().Utility().Post([&] {
        Application().Shutdown();
        ran = true;
    });
    MSG msg;
    while (!ran && GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    EXPECT_TRUE(ran);

    EXPECT_EQ(SubclassRegistry::Count(), 0);
    EXPECT_EQ(TThread::RunningCount(), 0);
    EXPECT_TRUE(waiter->Finished());
    EXPECT_FALSE(IsWindow(formWindow));
    ASSERT_TRUE(IsWindow(editWindow));
    WNDCLASSA editClass {};
    GetClassInfoA(nullptr, "EDIT", &editClass);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(editWindow, GWLP_WNDPROC)), editClass.lpfnWndProc);
    EXPECT_FALSE(edit->HandleAllocated());
    EXPECT_FALSE(form->HandleAllocated());
    EXPECT_EQ(GetWindowLongPtrA(host, GWLP_WNDPROC), hostProc);
    DestroyWindow(host);
    DestroyWindow(editWindow);
    delete waiter;
    delete form;
}

} // namespace
