// The chooser asks the dialog and reads its modal result; a choice without a row is no choice.
#include "plugin/AutoListChooser.h"

TAutoListChooser::TAutoListChooser(IDialogMainObject& main, IAutoListDialogKeys& keys)
    : main_(main)
    , keys_(keys)
{
}

TChooserAnswer TAutoListChooser::Choose(
    const TAutoList& candidates, const std::string& recipient, int chooseMode, int& chosen)
{
    const int result = ChooseAutoListEntry(main_, keys_, candidates, recipient, chooseMode, chosen);
    const TChooserAnswer answer = ChooserAnswerFromModalResult(result);
    return answer == TChooserAnswer::Ok && chosen >= 0 ? answer : TChooserAnswer::Cancelled;
}
