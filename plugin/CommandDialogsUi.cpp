// The dialogs of this build behind the menu commands: the about box (with the mail to the maker it
// may ask for) and the configuration dialog; the dialogs still missing keep saying so.
#include "plugin/CommandDialogsUi.h"

#include "plugin/MainClass.h"
#include "ui/dialogs/AboutDialog.h"

TPluginCommandDialogs::TPluginCommandDialogs(TMainClass& main)
    : main_(main)
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
