// The menu commands' dialogs that are not part of this build: each says so.
#include "plugin/CommandDialogs.h"

#include "plugin/Guard.h"

void TUnbuiltCommandDialogs::ShowFolderViewer()
{
    throw ENotAvailable("The folder viewer");
}
