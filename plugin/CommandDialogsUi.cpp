// The dialogs behind the menu commands: the about box (with the mail to the maker it may ask for),
// the configuration dialog, the folder viewer and the recipient list dialog.
#include "plugin/CommandDialogsUi.h"

#include "plugin/AddressBooks.h"
#include "plugin/MainClass.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/AutoListDialog.h"
#include "ui/dialogs/TextViewer.h"

TPluginCommandDialogs::TPluginCommandDialogs(TMainClass& main)
    : main_(main)
    , keys_(main.PGPInterface(), main.Texts())
{
}

void TPluginCommandDialogs::ShowAboutBox(bool& writeToMaker, std::string& keyText)
{
    const TZAVEKProductInfo& product = main_.ProductInfo();
    TAboutProductInfo info;
    info.LanguageId = product.LanguageId;
    info.LegalCopyright = product.LegalCopyright;
    info.ProductVersion = product.ProductVersion;
    info.ProductName = product.ProductName;
    const TMakerContact contact;
    // The mail client's option 62 says whether its internet functions load afresh.
    ShowAboutDialog(main_, info, main_.PMInterface().IsHostOption62(), keyText, writeToMaker, contact);
    // The mail to the maker says which versions the user runs.
    if (writeToMaker)
        main_.PMInterface().OpenNewMessage(contact.MailAddress, main_.ProductText(), main_.GetVersionInfoText());
}

bool TPluginCommandDialogs::EditConfiguration()
{
    // The dialog offers the restart itself when a change needs one.
    main_.EditConfiguration();
    return false;
}

void TPluginCommandDialogs::ShowFolderViewer()
{
    ::ShowFolderViewer(main_.ViewerMain());
}

int TPluginCommandDialogs::ChooseMode() const
{
    // S/MIME is offered only while a signing key with a certificate is there.
    return main_.KeyRingState() == 2 ? 1 : 0;
}

bool TPluginCommandDialogs::AddEntriesToAutoList(const TKeyIDData& pairs, bool certificates)
{
    const TMessageRecipients message { pairs.UserText, pairs.KeyIDText, pairs.Count };
    return ::AddEntriesToAutoList(main_, keys_, message, main_.AutoList(), certificates ? 1 : 0);
}

void TPluginCommandDialogs::AddKeyringToAutoList()
{
    ::AddKeyringToAutoList(main_, keys_, main_.AutoList(), ChooseMode());
}

void TPluginCommandDialogs::EditAutoList()
{
    ::EditAutoList(main_, keys_, main_.AutoList(), ChooseMode());
}

void TPluginCommandDialogs::AddAddressBookToAutoList(int index)
{
    TAutoList& list = main_.AutoList();
    // The books stay open only while the dialog reads them: the mail client writes to them.
    list.OpenAddressBooks(main_.PMInterface().GetAddressBookFolders(), OpenHostAddressBooks);
    struct TBooksCloser {
        TAutoList& list;
        ~TBooksCloser() { list.CloseAddressBooks(); }
    } closer { list };
    ::AddAddressBookToAutoList(main_, keys_, list, ChooseMode(), index);
}
