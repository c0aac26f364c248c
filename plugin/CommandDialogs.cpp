// The menu commands' dialogs that are not part of this build: each says so.
#include "plugin/CommandDialogs.h"

#include "plugin/Guard.h"

void TUnbuiltCommandDialogs::ShowAboutBox(bool&, std::string&)
{
    throw ENotAvailable("The about box");
}

bool TUnbuiltCommandDialogs::EditConfiguration()
{
    throw ENotAvailable("The configuration dialog");
}

void TUnbuiltCommandDialogs::ShowFolderViewer()
{
    throw ENotAvailable("The folder viewer");
}

bool TUnbuiltCommandDialogs::AddEntriesToAutoList(const TKeyIDData&, bool)
{
    throw ENotAvailable("The recipient list dialog");
}

void TUnbuiltCommandDialogs::AddKeyringToAutoList()
{
    throw ENotAvailable("The recipient list dialog");
}

void TUnbuiltCommandDialogs::EditAutoList()
{
    throw ENotAvailable("The recipient list dialog");
}

void TUnbuiltCommandDialogs::AddAddressBookToAutoList(int)
{
    throw ENotAvailable("The recipient list dialog");
}
