// Acting as the logged-on user: an elevated process (the administrator program's helper) does the
// user's file, start-menu and browser work with the token of the desktop shell's user.
#pragma once

#include "foundation/Processes.h"

// Impersonates the desktop shell's user for its lifetime when the process runs elevated; does
// nothing otherwise, when the shell's token cannot be had, or inside another scope (nests safely).
class TSessionUserScope {
public:
    TSessionUserScope();
    ~TSessionUserScope();
    TSessionUserScope(const TSessionUserScope&) = delete;
    TSessionUserScope& operator=(const TSessionUserScope&) = delete;

    bool Impersonating() const { return impersonating_; }
    HANDLE Token() const { return token_.Get(); }

private:
    TKernelHandle token_;
    bool impersonating_ = false;
};
