// `TDropFiles`: files dropped from the shell onto one of our controls. The control hands it its
// messages; it collects the dropped names (last to first) and tells the owner, who takes the names
// and clears the list.
#pragma once

#include "framework/Messages.h"
#include "framework/StringLists.h"

#include <functional>

class TWinControl;

class TDropFiles {
public:
    explicit TDropFiles(TWinControl& control);
    ~TDropFiles();
    TDropFiles(const TDropFiles&) = delete;
    TDropFiles& operator=(const TDropFiles&) = delete;

    TStringList& Files() noexcept { return files_; }
    bool Accept() const noexcept { return accept_; }
    // Only while the control has a window (DragAcceptFiles).
    void SetAccept(bool value);
    std::function<void(TDropFiles&)> OnDrop;

    // Called first by the control's window procedure: true when the message was a drop (answered 0).
    bool Dispatch(TMessage& message);

private:
    TWinControl& control_;
    TStringList files_;
    bool accept_ = false;
};
