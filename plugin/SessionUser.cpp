// Impersonation of the desktop shell's user for elevated processes.
#include "plugin/SessionUser.h"

namespace {

// True while the thread already acts as someone: an inner scope then leaves it to the outer one,
// whose end alone reverts.
bool ThreadImpersonates()
{
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token))
        return false;
    CloseHandle(token);
    return true;
}

} // namespace

TSessionUserScope::TSessionUserScope()
{
    if (ThreadImpersonates() || !IsProcessElevated(GetCurrentProcessId()))
        return;
    token_ = GetShellProcessToken();
    impersonating_ = token_ && ImpersonateUser(token_.Get());
}

TSessionUserScope::~TSessionUserScope()
{
    if (impersonating_)
        RevertImpersonation();
}
