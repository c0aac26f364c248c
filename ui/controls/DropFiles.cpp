// Shell file drops onto a control. The control's own window procedure passes its messages here
// first, so no second subclass has to be kept in step with the framework's table.
#include "ui/controls/DropFiles.h"

#include "framework/Controls.h"

#include <shellapi.h>

TDropFiles::TDropFiles(TWinControl& control)
    : control_(control)
{
}

TDropFiles::~TDropFiles()
{
    if (accept_ && control_.HandleAllocated())
        DragAcceptFiles(control_.Handle(), FALSE);
}

void TDropFiles::SetAccept(bool value)
{
    if (!control_.HandleAllocated())
        return;
    accept_ = value;
    DragAcceptFiles(control_.Handle(), value);
}

bool TDropFiles::Dispatch(TMessage& message)
{
    if (message.Msg != WM_DROPFILES)
        return false;
    const auto drop = reinterpret_cast<HDROP>(message.WParam);
    try {
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        // The handler of the event takes the names and clears the list; it is not emptied here.
        for (UINT i = count; i-- > 0;) {
            const UINT length = DragQueryFileA(drop, i, nullptr, 0);
            std::string name(length + 1, '\0');
            name.resize(DragQueryFileA(drop, i, name.data(), length + 1));
            files_.Add(name);
        }
    } catch (...) {
        DragFinish(drop);
        throw;
    }
    DragFinish(drop);
    if (files_.Count() > 0 && OnDrop)
        OnDrop(*this);
    message.Result = 0;
    return true;
}
