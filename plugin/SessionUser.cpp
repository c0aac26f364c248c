// Impersonation of the desktop shell's user for elevated processes.
#include "plugin/SessionUser.h"

TSessionUserScope::TSessionUserScope()
{
    if (!IsProcessElevated(GetCurrentProcessId()))
        return;
    token_ = GetShellProcessToken();
    impersonating_ = token_ && ImpersonateUser(token_.Get());
}

TSessionUserScope::~TSessionUserScope()
{
    if (impersonating_)
        RevertImpersonation();
}
