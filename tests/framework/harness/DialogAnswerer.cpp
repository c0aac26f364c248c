// The timer-driven dialog answerer and its button and text actions.
#include "framework/harness/DialogAnswerer.h"

#include "framework/Controls.h"
#include "framework/StdCtrls.h"

#include <map>

namespace {

std::map<UINT_PTR, DialogAnswerer*>& Answerers()
{
    static std::map<UINT_PTR, DialogAnswerer*> answerers;
    return answerers;
}

std::string ClassOf(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window)
{
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

struct Search {
    std::string windowClass;
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    if (!IsWindowVisible(window) || !IsWindowEnabled(window))
        return TRUE;
    if (!search->windowClass.empty() && ClassOf(window) != search->windowClass)
        return TRUE;
    if (!search->caption.empty() && TextOf(window) != search->caption)
        return TRUE;
    search->found = window;
    return FALSE;
}

struct Collect {
    std::string cls;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter)
{
    auto* c = reinterpret_cast<Collect*>(parameter);
    if (c->cls.empty() || _stricmp(ClassOf(window).c_str(), c->cls.c_str()) == 0)
        c->windows.push_back(window);
    return TRUE;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& childClass)
{
    Collect collect { childClass, {} };
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&collect));
    return collect.windows;
}

} // namespace

DialogAnswerer::DialogAnswerer(UINT interval)
{
    timer_ = SetTimer(nullptr, 0, interval, Tick);
    Answerers()[timer_] = this;
}

DialogAnswerer::~DialogAnswerer()
{
    KillTimer(nullptr, timer_);
    Answerers().erase(timer_);
}

DialogAnswerer& DialogAnswerer::Then(
    const std::string& windowClass, const std::string& caption, Action action)
{
    steps_.push_back({ windowClass, caption, std::move(action) });
    return *this;
}

HWND DialogAnswerer::FindWindowOfThread(const std::string& windowClass, const std::string& caption)
{
    Search search { windowClass, caption };
    EnumThreadWindows(GetCurrentThreadId(), MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CALLBACK DialogAnswerer::Tick(HWND, UINT, UINT_PTR id, DWORD)
{
    const auto it = Answerers().find(id);
    if (it != Answerers().end())
        it->second->Poll();
}

void DialogAnswerer::Poll()
{
    if (Done())
        return;
    const Step& step = steps_[static_cast<std::size_t>(next_)];
    const HWND window = FindWindowOfThread(step.windowClass, step.caption);
    if (!window)
        return;
    // Advance first: the action may open a nested modal dialog whose loop polls the next step.
    const Action action = step.action;
    ++next_;
    try {
        action(window);
    } catch (...) {
        ReportBoundaryException("dialog answerer");
    }
}

bool ClickButton(HWND dialog, const std::string& caption)
{
    for (HWND button : ChildrenOfClass(dialog, "")) {
        if (StripAccelerator(TextOf(button)) != caption || !IsWindowVisible(button)
            || !IsWindowEnabled(button))
            continue;
        if (TWinControl* control = TWinControl::FindControl(button)) {
            control->Click();
            return true;
        }
        SendMessageA(button, BM_CLICK, 0, 0);
        return true;
    }
    return false;
}

bool SetCheckBox(HWND dialog, const std::string& caption, bool checked)
{
    for (HWND box : ChildrenOfClass(dialog, "")) {
        if (StripAccelerator(TextOf(box)) != caption)
            continue;
        if (auto* control = dynamic_cast<TCheckBox*>(TWinControl::FindControl(box))) {
            control->SetChecked(checked);
            return true;
        }
        if (ClassOf(box) == "Button") {
            const bool now = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
            if (now != checked)
                SendMessageA(box, BM_CLICK, 0, 0);
            return true;
        }
    }
    return false;
}

bool SetChildText(HWND dialog, const std::string& childClass, int index, const std::string& text)
{
    const auto children = ChildrenOfClass(dialog, childClass);
    if (index < 0 || index >= static_cast<int>(children.size()))
        return false;
    SetWindowTextA(children[static_cast<std::size_t>(index)], text.c_str());
    return true;
}

std::string ChildText(HWND dialog, const std::string& childClass, int index)
{
    const auto children = ChildrenOfClass(dialog, childClass);
    if (index < 0 || index >= static_cast<int>(children.size()))
        return {};
    return TextOf(children[static_cast<std::size_t>(index)]);
}
