// Drives modal dialogs from tests: a thread timer, which every modal loop of the GUI thread
// dispatches, waits for each scripted window (by class and caption) and then runs its step's action
// (set controls, press buttons, send keys). Production code needs no hooks for it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

class DialogAnswerer {
public:
    using Action = std::function<void(HWND window)>;

    explicit DialogAnswerer(UINT interval = 30);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // Adds a step: wait for a visible, enabled top-level window of this thread with that class name
    // and caption (empty = any), then run action on it. Steps run in order, each once.
    DialogAnswerer& Then(const std::string& windowClass, const std::string& caption, Action action);

    int StepsDone() const noexcept { return next_; }
    bool Done() const noexcept { return next_ == static_cast<int>(steps_.size()); }

    // The visible, enabled top-level window of this thread with that class and caption, or null.
    static HWND FindWindowOfThread(const std::string& windowClass, const std::string& caption);

private:
    struct Step {
        std::string windowClass;
        std::string caption;
        Action action;
    };
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    void Poll();

    std::vector<Step> steps_;
    int next_ = 0;
    UINT_PTR timer_ = 0;
};

// Actions for steps.
// Presses the child button whose caption without '&' is caption (our TButton or a system one).
bool ClickButton(HWND dialog, const std::string& caption);
// Sets the check box whose caption without '&' is caption (our TCheckBox or a system one).
bool SetCheckBox(HWND dialog, const std::string& caption, bool checked);
// Sets the text of the index-th child window of a class (0-based, in z-order).
bool SetChildText(HWND dialog, const std::string& childClass, int index, const std::string& text);
// The text of the index-th child window of a class, or "" when absent.
std::string ChildText(HWND dialog, const std::string& childClass, int index);
