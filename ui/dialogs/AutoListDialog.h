// `TAutoListDialog`: the recipient list in a grid. It lets the user pick one key for a recipient
// (the selection mode the send uses when several keys match), edit the whole list, or add entries
// taken from the key ring, from the mail client's address books or from a message. Four entry
// functions create, fill, show and free it, and a fifth runs its selection mode for the send.
#pragma once

#include <windows.h>
// <windows.h> renames GetObject to GetObjectA; the recipient lists keep their own GetObject.
#undef GetObject

#include "engine/AutoListHandler.h"
#include "engine/KeyFuncsTypes.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "ui/controls/DropGrid.h"
#include "ui/controls/FlatBtn.h"
#include "ui/dialogs/ZAVEKForm.h"

#include <memory>
#include <string>
#include <vector>

// What the dialog needs of the PGP interface: the keys that can encrypt and their texts.
class IAutoListDialogKeys {
public:
    virtual ~IAutoListDialogKeys() = default;
    // Fills the key list with every key that can encrypt (empty when the keys cannot be read); it
    // stays valid until Clear.
    virtual const TKeyPropsList& LoadKeys() = 0;
    // The description of the key at an index of that list.
    virtual std::string Description(int index) = 0;
    // The status of the key a key id names (not found, revoked and the like).
    virtual std::string StatusText(const std::string& keyID) = 0;
    virtual void Clear() = 0;
};

enum TAutoListDialogMode : int {
    admSelect = 0, // pick one key for a recipient
    admEdit = 1, // the whole list
    admAddKeys = 2, // new entries with keys (from the key ring or a message)
    admAddBooks = 3, // new entries from the address books (a key is chosen per row)
};

// Grid columns.
enum : int {
    acChosen = 0,
    acEncrypt = 1,
    acSign = 2,
    acMode = 3,
    acPgpMime = 4,
    acSMime = 5,
    acDisabled = 6,
    acAlgorithm = 7,
    acKeyID = 8,
    acRecipient = 9,
    acColumns = 10,
};

class TAutoListDialog : public TZAVEKForm {
public:
    // The modal result that asks whether to keep the changes.
    static constexpr int ResultAsk = mrIgnore;
    static constexpr int ResultOkButton = mrYes;

    TAutoListDialog(IDialogMainObject& mainObject, IAutoListDialogKeys& keys);
    ~TAutoListDialog() override;

    TAutoListDialogMode Mode = admEdit;
    // 0: the S/MIME column is hidden.
    int ChooseMode = 0;
    // The entries shown; in modes 0 and 2 and 3 the candidates.
    TAutoList& Working() noexcept { return *working_; }
    // The user's list the dialog changes (modes 1 to 3).
    TAutoList* Target = nullptr;
    int AddedCount() const noexcept { return added_; }
    // Mode 0: the index in Working() of the chosen row.
    int ChosenIndex();

    // The grid from the working list, and back into the target list; false when the target's
    // file could not be saved.
    void FillAddressGrid();
    bool StoreAddressGrid();
    bool CanToggle(int col, int row);
    // Space or double click on a flag cell; a beep when the cell cannot change.
    void ToggleCell(int col, int row, bool onlyThisRow);
    bool GridChanged();
    // The key combo box over the current row (modes 1 to 3).
    void ShowKeyCombo();
    // Enter in the key combo box: its key goes to the current row.
    void TakeComboKey();
    // The first item after the selected one whose user id begins with c (wrapping); -1 none.
    int TypeAheadItem(char c) const;
    void FindInGrid(bool next);
    void DeleteCurrentRow();
    void ShowUserIDEdit();

    TPanel* pnTop;
    TLabel* lblSelect;
    TPanel* pnGrid;
    TDropGrid* dgAddresses;
    TEdit* edUserID;
    TPanel* pnToolTips;
    TPanel* pnSizeFrame;
    TPanel* pnSize;
    TPanel* pnAlgorithmFrame;
    TPanel* pnAlgorithm;
    TPanel* pnHexIDs;
    TComboBox* cbxHexIDs;
    TPanel* pnUserIDFrame;
    TPanel* pnUserID;
    TPanel* pnButtons;
    TFlatBtn* fbOk;
    TFlatBtn* fbFind;
    TFlatBtn* fbHelp;
    TFlatBtn* fbDelete;
    TFlatBtn* fbCancel;

    bool CloseQuery() override;
    void ApplyColorScheme(bool standard) override;

protected:
    void DoShow() override;
    bool DoKeyDown(WORD& key, TShiftState shift) override;

private:
    TPanel* MakePanel(TWinControl* parent, TAlign align, int width, int height);
    TFlatBtn* MakeButton(int result, uint16_t hintText, int glyph);
    void SetUpColumns();
    void FillKeyCombo();
    // The key index of a row (-1 without a key of the key list).
    int RowKey(int row) const;
    // The index of a row's entry in the shown list (the recipient column's object).
    int RowEntry(int row) const;
    int RowKind(int row) const;
    bool RowChosen(int row) const;
    std::string GridSnapshot() const;
    bool AnyRowChosen() const;
    void GridKeyDown(WORD& key, TShiftState shift);
    void GridDoubleClick();
    void SelectCell(int col, int row, bool& canSelect);
    void DrawCell(int col, int row, const RECT& rect, TGridDrawState state);
    // A flag column's picture centred in the cell; false when the library has none.
    bool DrawFlagIcon(int col, const RECT& rect);
    std::string ToolTipText(int col, int row);
    void ShowComboItem();
    void HideEditors();
    void CopyCellToClipboard();
    void SetAllRows(bool chosen);
    void StoreRows(TAutoList& into, bool chosenOnly);
    void ConfirmClose();

    IAutoListDialogKeys& keys_;
    const TKeyPropsList* keyList_ = nullptr;
    std::unique_ptr<TAutoList> working_;
    // Per entry of the shown list: its key id, kept for rows whose key is not in the key list.
    std::vector<std::string> rowKeyIDs_;
    std::string shownGrid_;
    int added_ = 0;
    TColor highlight_;
    TIcon flagIcons_[acDisabled + 1];
    std::string typeAhead_;
    bool searching_ = false;
};

// Mode 1 over the list itself; an empty list only says so.
void EditAutoList(IDialogMainObject& main, IAutoListDialogKeys& keys, TAutoList& autoList, int chooseMode);
// Mode 2 with every key pair of the key ring not yet in the list; true when entries were added.
bool AddKeyringToAutoList(IDialogMainObject& main, IAutoListDialogKeys& keys, TAutoList& autoList, int chooseMode);
// Mode 3 with the entries of one address book (all of them when bookIndex is the number of books).
bool AddAddressBookToAutoList(
    IDialogMainObject& main, IAutoListDialogKeys& keys, TAutoList& autoList, int chooseMode, int bookIndex);
// The recipients and keys of a message: mode 2 when it has key ids, else mode 3.
bool AddEntriesToAutoList(IDialogMainObject& main, IAutoListDialogKeys& keys, const TMessageRecipients& message,
    TAutoList& autoList, int chooseMode);

// Mode 0 over candidates in their order, captioned with the recipient: the modal result, and in
// chosen the index of the chosen candidate (-1 none).
int ChooseAutoListEntry(IDialogMainObject& main, IAutoListDialogKeys& keys, const TAutoList& candidates,
    const std::string& recipient, int chooseMode, int& chosen);
