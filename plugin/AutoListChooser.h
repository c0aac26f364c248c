// The send's recipient chooser over the recipient list dialog's selection mode.
#pragma once

#include "plugin/RecipientsData.h"
#include "ui/dialogs/AutoListDialog.h"

class TAutoListChooser : public IRecipientChooser {
public:
    TAutoListChooser(IDialogMainObject& main, IAutoListDialogKeys& keys);
    TChooserAnswer Choose(
        const TAutoList& candidates, const std::string& recipient, int chooseMode, int& chosen) override;

private:
    IDialogMainObject& main_;
    IAutoListDialogKeys& keys_;
};
