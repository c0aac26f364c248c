// Busy depth and in-request guard of the plug-in.
#include "plugin/BusyState.h"

bool TBusyState::Enter()
{
    return ++depth_ == 1;
}

bool TBusyState::Leave()
{
    if (depth_ == 0)
        return false;
    return --depth_ == 0;
}

bool TBusyState::TryBeginRequest()
{
    if (requests_ > nestingAllowed_)
        return false;
    ++requests_;
    return true;
}

void TBusyState::EndRequest()
{
    if (requests_ > 0)
        --requests_;
}

void TBusyState::DisallowNested()
{
    if (nestingAllowed_ > 0)
        --nestingAllowed_;
}
