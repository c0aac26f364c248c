// What the rich-edit control's source files share: the pump, ANSI conversions and the guard that
// keeps the selection and stops drawing while the control reformats.
#pragma once

#include "ui/controls/DropEdit.h"

#include <string>

namespace dropedit {

// Handles the waiting messages of the GUI thread.
void PumpPending();
std::u16string AnsiToUtf16(const std::string& text);
std::string Utf16ToAnsi(const std::u16string& text);

} // namespace dropedit

// Saves the selection and stops drawing for the time of a reformat; gives both back.
class TDropEdit::HiddenState {
public:
    explicit HiddenState(TDropEdit& edit)
        : edit_(edit)
        , active_(!edit.hiddenByCaller_ && edit.HandleAllocated())
    {
        if (!active_)
            return;
        edit_.hiddenByCaller_ = true;
        SendMessageW(edit_.Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection_));
        SendMessageW(edit_.Handle(), WM_SETREDRAW, FALSE, 0);
    }
    ~HiddenState()
    {
        if (!active_)
            return;
        SendMessageW(edit_.Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection_));
        SendMessageW(edit_.Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(edit_.Handle(), nullptr, TRUE);
        edit_.hiddenByCaller_ = false;
    }
    HiddenState(const HiddenState&) = delete;
    HiddenState& operator=(const HiddenState&) = delete;

private:
    TDropEdit& edit_;
    bool active_;
    CHARRANGE selection_ {};
};
