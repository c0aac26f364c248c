// The recipient list dialog: layout, the grid's rows from the working list and back, the toggle
// rules of the flag columns, the key combo box and the user-id field, find, delete, tooltips, the
// close query, and the entry functions that fill and show it.
#include "ui/dialogs/AutoListDialog.h"

#include "foundation/FileUtilsWin.h"
#include "ui/controls/ToolTip.h"
#include "ui/dialogs/MessageDialogs.h"
#include "ui/dialogs/SearchDialog.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>

// <commdlg.h> renames FindText to FindTextA; the grid keeps its own.
#undef FindText

namespace {

constexpr int DesignWidth = 482;
constexpr int TopHeight = 26;
constexpr int ButtonsHeight = 44;
constexpr int RowHeight = 17;
constexpr int VisibleRows = 12;
constexpr int FlagWidth = 18;
constexpr int GlyphOk = 100;
constexpr int GlyphCancel = 101;
// The help glyph has a number of its own: 102 is the message-tree dialog's View eye.
constexpr int GlyphHelp = 115;
constexpr int HelpGrid = 28;
constexpr int HelpSelect = 30;
constexpr int TipDelayMs = 1500;
// The flag columns' pictures, in column order from the chosen column on.
constexpr int FirstFlagIcon = 113;
constexpr int FlagIconSize = 16;

constexpr uint16_t TextOk = 107;
constexpr uint16_t TextCancel = 108;
constexpr uint16_t TextNotFound = 113;
constexpr uint16_t TextFromStart = 114;
constexpr uint16_t TextSaveChanges = 143;
constexpr uint16_t TextNotSaved = 144;
constexpr uint16_t TextListEmpty = 204;
constexpr uint16_t TextRecipients = 205;
constexpr uint16_t TextFind = 206;
constexpr uint16_t TextHelp = 207;
constexpr uint16_t TextDelete = 208;
constexpr uint16_t TextFirstHeaderTip = 209;
constexpr uint16_t TextOtherAlgorithm = 225;
constexpr uint16_t TextKeyNotFound = 226;
constexpr uint16_t TextNone = 227;
constexpr uint16_t TextNoKey = 228;
constexpr uint16_t TextNoKeyChosen = 229;
constexpr uint16_t TextFor = 230;
constexpr uint16_t TextDeleteEntry = 231;
constexpr uint16_t TextFirstCaption = 232;
constexpr uint16_t TextSelectOne = 236;
constexpr uint16_t TextNothingNew = 237;
constexpr uint16_t TextAdded = 279;

const std::string On = "I";
const std::string Off = "O";
// The flag columns' header texts: what programs reading the grid find, and what is drawn where the
// library holds no column picture.
const char* const FlagHeaders[] = { "*", "E", "S", "3", "P", "M", "-" };
const uint32_t ColumnFlags[] = { 0, kALEncrypt, kALSign, kALMode, kALPgpMime, kALSMime, kALDisabled };
// The user-id field ends words at these, as the recipient's parts are separated.
const char* const WordSeparators = " \t<>@.,;:\"()[]";

// Key kinds (the key's certificate state) that can serve S/MIME.
bool SMimeKind(int kind)
{
    return kind > 1;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string AlgorithmText(int32_t algorithm, const TZAVEKStringList& texts)
{
    if (algorithm >= 1 && algorithm <= 3)
        return "RSA";
    if (algorithm >= 16 && algorithm <= 18)
        return "DH/DSS";
    return texts.GetEntry(TextOtherAlgorithm);
}

std::string ShortKeyID(const std::string& keyID)
{
    return keyID.size() > 8 ? "0x" + keyID.substr(keyID.size() - 8) : keyID;
}

int FindKey(const TKeyPropsList& keys, const std::string& keyID)
{
    const std::string wanted = Lower(keyID);
    for (int i = 0; i < keys.Count(); ++i)
        if (Lower(keys.Get(i)) == wanted)
            return i;
    return -1;
}

std::string ShownKeyID(const TKeyPropsList& keys, int index)
{
    const std::string& id = keys.Record(index).KeyID;
    return id.empty() ? ShortKeyID(keys.Get(index)) : id;
}

std::string FirstUserID(const TKeyPropsList& keys, int index)
{
    const TKeyPropsRec& record = keys.Record(index);
    if (record.UserIDs && record.UserIDs->Count() > 0)
        return record.UserIDs->Get(0);
    return record.UserID;
}

// The text that names the recipient: its name part, or else the address.
std::string TrimmedText(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string NamePart(const std::string& recipient)
{
    const size_t open = recipient.find('<');
    std::string name = TrimmedText(open == std::string::npos ? std::string() : recipient.substr(0, open));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return name;
}

std::string AddressPart(const std::string& recipient)
{
    const size_t open = recipient.find('<');
    const size_t close = open == std::string::npos ? std::string::npos : recipient.find('>', open);
    if (close != std::string::npos)
        return TrimmedText(recipient.substr(open + 1, close - open - 1));
    const std::string text = TrimmedText(recipient);
    return text.find('@') != std::string::npos ? text : std::string();
}

bool IsSeparator(char c)
{
    return std::strchr(WordSeparators, c) != nullptr;
}

// The caret position of the next (or previous) word start in an edit text.
int NextWordStart(const std::string& text, int from, bool forward)
{
    const int length = static_cast<int>(text.size());
    int at = std::clamp(from, 0, length);
    if (forward) {
        while (at < length && !IsSeparator(text[static_cast<size_t>(at)]))
            ++at;
        while (at < length && IsSeparator(text[static_cast<size_t>(at)]))
            ++at;
    } else {
        while (at > 0 && IsSeparator(text[static_cast<size_t>(at - 1)]))
            --at;
        while (at > 0 && !IsSeparator(text[static_cast<size_t>(at - 1)]))
            --at;
    }
    return at;
}

// Puts a control that floats over the grid above it.
void RaiseAbove(TWinControl& control)
{
    SetWindowPos(control.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Reloads a list bound to a file when the file is newer.
void ReloadWhenNewer(TAutoList& list)
{
    if (!list.FileName().empty())
        list.LoadFile();
}

// Runs a filled dialog, lets `taken` read what it needs of it, and frees it; its modal result.
int RunDialog(TAutoListDialog* dialog, const std::function<void(TAutoListDialog&)>& taken = {})
{
    int result = mrCancel;
    try {
        result = dialog->ShowModal();
        if (taken)
            taken(*dialog);
    } catch (...) {
        dialog->CloseDown();
        throw;
    }
    dialog->CloseDown();
    return result;
}

} // namespace

// ---- the form --------------------------------------------------------------------------------------

TAutoListDialog::TAutoListDialog(IDialogMainObject& mainObject, IAutoListDialogKeys& keys)
    : TZAVEKForm(mainObject)
    , keys_(keys)
    , working_(std::make_unique<TAutoList>())
    , highlight_(OwnTint)
{
    WindowClassName = "TAutoListDialog";
    BorderStyle = bsSingle;
    BorderIcons = biSystemMenu;
    Position = poScreenCenter;
    KeyPreview = true;
    Font().SetSize(9);
    const int gridHeight = RowHeight * (VisibleRows + 1) + 8;
    SetClientSize(DesignWidth, TopHeight + gridHeight + ButtonsHeight);

    pnTop = MakePanel(this, alTop, DesignWidth, TopHeight);
    lblSelect = new TLabel(this);
    lblSelect->SetParent(pnTop);
    lblSelect->SetBounds(8, 6, DesignWidth - 16, 16);
    lblSelect->Font().SetStyle(fsBold);
    lblSelect->Font().SetColor(clBlue);
    lblSelect->ShowAccelChar = false;

    pnButtons = MakePanel(this, alBottom, DesignWidth, ButtonsHeight);
    fbOk = MakeButton(ResultOkButton, TextOk, GlyphOk);
    fbFind = MakeButton(mrNone, TextFind, 0);
    fbHelp = MakeButton(mrNone, TextHelp, GlyphHelp);
    fbDelete = MakeButton(mrNone, TextDelete, 0);
    fbCancel = MakeButton(mrCancel, TextCancel, GlyphCancel);
    fbFind->OnClick = [this](TControl&) { FindInGrid(false); };
    fbHelp->OnClick = [this](TControl&) { ShowHelpPopup(dgAddresses, dgAddresses->HelpContext); };
    fbDelete->OnClick = [this](TControl&) { DeleteCurrentRow(); };

    pnGrid = MakePanel(this, alClient, DesignWidth, gridHeight);
    pnGrid->SetBorderWidth(4);
    dgAddresses = new TDropGrid(this);
    dgAddresses->SetParent(pnGrid);
    dgAddresses->SetAlign(alClient);
    dgAddresses->SetColCount(acColumns);
    dgAddresses->DefaultColWidth = FlagWidth;
    dgAddresses->SetDefaultRowHeight(RowHeight);
    dgAddresses->SearchColumn = acRecipient;
    // Key ids and the algorithm texts of other languages get the width they need.
    dgAddresses->AutoAdjustColWidths = true;
    dgAddresses->AllowHeaderClick = true;
    dgAddresses->DataColumn = acKeyID;
    dgAddresses->ToolTipPause = TipDelayMs;
    dgAddresses->HelpContext = HelpGrid;
    dgAddresses->SetTabStop(true);
    dgAddresses->OnDrawCell = [this](TDropGrid&, int col, int row, const RECT& rect, TGridDrawState state) {
        DrawCell(col, row, rect, state);
    };
    dgAddresses->OnSelectCell = [this](TDropGrid&, int col, int row, bool& can) { SelectCell(col, row, can); };
    dgAddresses->OnGetToolTipText = [this](TDropGrid&, int col, int row, std::string& text, bool) {
        text = ToolTipText(col, row);
    };
    dgAddresses->OnSearchPattern = [this](TDropGrid&, std::string& pattern) {
        // The grid's cells are ANSI, and so must be the pattern it searches them for.
        TSearchTypes options = stAnsiChar;
        std::string answer = pattern;
        ExecuteSearchDialog(MainObject(), pattern, "", options, answer);
        pattern = answer;
        return !answer.empty();
    };
    dgAddresses->OnKeyDown = [this](TWinControl&, WORD& key, TShiftState shift) { GridKeyDown(key, shift); };
    dgAddresses->OnDblClick = [this](TControl&) { GridDoubleClick(); };

    edUserID = new TEdit(this);
    edUserID->SetParent(pnGrid);
    edUserID->SetMaxLength(255);
    edUserID->SetVisible(false);
    edUserID->HelpContext = HelpGrid;
    edUserID->OnKeyDown = [this](TWinControl&, WORD& key, TShiftState shift) {
        if (key == VK_RETURN) {
            const std::string text = TrimmedText(edUserID->GetText());
            if (!text.empty())
                dgAddresses->SetCell(acRecipient, dgAddresses->Row(), text);
            key = 0;
            HideEditors();
        } else if (key == VK_ESCAPE) {
            key = 0;
            HideEditors();
        } else if ((key == VK_LEFT || key == VK_RIGHT) && (shift & ssCtrl)) {
            const int at = NextWordStart(edUserID->GetText(), edUserID->SelStart(), key == VK_RIGHT);
            edUserID->SetSelStart(at);
            edUserID->SetSelLength(0);
            key = 0;
        }
    };
    edUserID->OnDblClick = [this](TControl&) {
        const std::string text = edUserID->GetText();
        const int start = NextWordStart(text, edUserID->SelStart() + 1, false);
        int end = start;
        while (end < static_cast<int>(text.size()) && !IsSeparator(text[static_cast<size_t>(end)]))
            ++end;
        edUserID->SetSelStart(start);
        edUserID->SetSelLength(end - start);
    };
    edUserID->OnExit = [this](TWinControl&) { edUserID->SetVisible(false); };

    pnToolTips = MakePanel(pnGrid, alNone, 300, RowHeight + 6);
    pnToolTips->SetVisible(false);
    pnToolTips->SetBevelOuter(bvRaised);
    pnSizeFrame = MakePanel(pnToolTips, alNone, FlagWidth * 2, RowHeight + 2);
    pnSize = MakePanel(pnSizeFrame, alClient, FlagWidth * 2, RowHeight);
    pnAlgorithmFrame = MakePanel(pnToolTips, alNone, 53, RowHeight + 2);
    pnAlgorithm = MakePanel(pnAlgorithmFrame, alClient, 53, RowHeight);
    pnHexIDs = MakePanel(pnToolTips, alNone, 96, RowHeight + 2);
    cbxHexIDs = new TComboBox(this);
    cbxHexIDs->SetParent(pnHexIDs);
    cbxHexIDs->SetAlign(alClient);
    cbxHexIDs->Style = csDropDownList;
    cbxHexIDs->DropDownCount = 12;
    cbxHexIDs->HelpContext = HelpGrid;
    cbxHexIDs->OnChange = [this](TComboBox&) { ShowComboItem(); };
    cbxHexIDs->OnKeyDown = [this](TWinControl&, WORD& key, TShiftState) {
        if (key == VK_RETURN) {
            key = 0;
            TakeComboKey();
        } else if (key == VK_ESCAPE) {
            key = 0;
            HideEditors();
        }
    };
    cbxHexIDs->OnKeyPress = [this](TWinControl&, char& key) {
        if (static_cast<unsigned char>(key) < 32)
            return;
        const int item = TypeAheadItem(key);
        key = 0;
        if (item >= 0) {
            cbxHexIDs->SetItemIndex(item);
            ShowComboItem();
        }
    };
    cbxHexIDs->OnExit = [this](TWinControl&) { pnToolTips->SetVisible(false); };
    pnUserIDFrame = MakePanel(pnToolTips, alNone, 150, RowHeight + 2);
    pnUserID = MakePanel(pnUserIDFrame, alClient, 150, RowHeight);
    for (TPanel* label : { pnSize, pnAlgorithm, pnUserID }) {
        label->Alignment = taLeftJustify;
        label->SetBevelOuter(bvLowered);
    }

    SetUpColumns();
    SetCaption(Texts().GetEntry(TextFirstCaption + 1));
    lblSelect->SetCaption(Texts().GetEntry(TextRecipients));
    keyList_ = &keys_.LoadKeys();
}

TAutoListDialog::~TAutoListDialog()
{
    keys_.Clear();
}

TPanel* TAutoListDialog::MakePanel(TWinControl* parent, TAlign align, int width, int height)
{
    auto* panel = new TPanel(this);
    panel->SetParent(parent);
    panel->SetBevelOuter(bvNone);
    panel->SetBounds(0, 0, width, height);
    panel->SetAlign(align);
    panel->SetParentColor(true);
    return panel;
}

TFlatBtn* TAutoListDialog::MakeButton(int result, uint16_t hintText, int glyph)
{
    auto* button = new TFlatBtn(this);
    button->SetParent(pnButtons);
    button->ModalResult = result;
    button->SetTabStop(true);
    const std::string text = Texts().GetEntry(hintText);
    // The caption stays the button's name even when its picture is drawn alone: the keyboard and
    // programs that find a button by its text still reach it.
    button->SetCaption(text);
    TBitmap& bitmap = button->Glyph();
    if (glyph != 0 && bitmap.LoadFromResourceId(FrameworkModule(), glyph)) {
        button->CaptionHidden = true;
        button->SetHint(text);
        button->ShowHint = true;
    } else {
        bitmap.SetSize(0, 0);
    }
    return button;
}

void TAutoListDialog::ApplyColorScheme(bool standard)
{
    TZAVEKForm::ApplyColorScheme(standard);
    constexpr TColor Highlights[2] = { 0x00D8F0EF, 0x00F0E8E0 };
    highlight_ = Highlights[standard ? 1 : 0];
}

void TAutoListDialog::SetUpColumns()
{
    TDropGrid& grid = *dgAddresses;
    for (int col = acChosen; col <= acDisabled; ++col) {
        flagIcons_[col].LoadFromResourceName(FrameworkModule(), MAKEINTRESOURCEA(FirstFlagIcon + col), FlagIconSize);
        grid.SetHeader(col, caCenter, 0, FlagHeaders[col], caCenter);
        grid.SetColWidth(col, FlagWidth);
    }
    grid.SetHeader(acAlgorithm, caLeft, 0, "ALG", caLeft);
    grid.SetColWidth(acAlgorithm, 53);
    grid.SetHeader(acKeyID, caLeft, 0, "ID", caLeft);
    grid.SetColWidth(acKeyID, 78);
    grid.SetHeader(acRecipient, caLeft, 0, "ADR", caLeft);
    grid.SetColWidth(acRecipient, 194);
}

void TAutoListDialog::DoShow()
{
    RemoveCloseCommand();
    TZAVEKForm::DoShow();
    TDropGrid& grid = *dgAddresses;
    fbFind->SetVisible(Mode != admSelect);
    fbDelete->SetVisible(Mode != admSelect);
    if (ChooseMode == 0)
        grid.SetColWidth(acSMime, TDropGrid::HiddenWidth);
    switch (Mode) {
    case admSelect:
        grid.AllowHeaderClick = false;
        grid.SetOptions(goRowSelect);
        grid.HelpContext = HelpSelect;
        grid.SetColWidth(acChosen, TDropGrid::HiddenWidth);
        grid.SetColWidth(acDisabled, TDropGrid::HiddenWidth);
        break;
    case admEdit:
        grid.SetOptions(goLines);
        grid.SpaceBarMoves = sbmVertical;
        grid.SetColWidth(acChosen, TDropGrid::HiddenWidth);
        break;
    default:
        grid.SetOptions(goLines);
        break;
    }
    // The recipient takes the width the other columns leave (a longer one keeps its own).
    int used = GetSystemMetrics(SM_CXVSCROLL) + 4;
    for (int col = acChosen; col < acRecipient; ++col)
        used += std::max(grid.ColWidths(col), 0);
    grid.SetColWidth(acRecipient, std::max(grid.ColWidths(acRecipient) > 194 ? grid.ColWidths(acRecipient) : 0,
                                      grid.ClientWidth() - used));
    SetCaption(Texts().GetEntry(static_cast<uint16_t>(TextFirstCaption + Mode)));
    shownGrid_ = GridSnapshot();
    const int firstCol = Mode == admSelect || Mode == admEdit ? acEncrypt : acChosen;
    grid.SetCurrent(firstCol, TDropGrid::FixedRows);
    if (Mode != admSelect)
        FillKeyCombo();
    // The buttons are spread over the panel by those shown.
    std::vector<TFlatBtn*> shown;
    for (TFlatBtn* button : { fbOk, fbFind, fbHelp, fbDelete, fbCancel })
        if (button->Visible())
            shown.push_back(button);
    const int width = 76, gap = 8;
    int left = (ClientWidth() - static_cast<int>(shown.size()) * (width + gap) + gap) / 2;
    for (TFlatBtn* button : shown) {
        button->SetBounds(left, 8, width, 28);
        left += width + gap;
    }
    grid.SetFocus();
}

// ---- rows ----------------------------------------------------------------------------------------

void TAutoListDialog::FillAddressGrid()
{
    TDropGrid& grid = *dgAddresses;
    TAutoList& list = Mode == admEdit && Target ? *Target : *working_;
    const int count = list.GetCount();
    grid.SetRowCount(std::max(count, 1) + TDropGrid::FixedRows);
    rowKeyIDs_.assign(static_cast<size_t>(std::max(count, 1)), std::string());
    const TZAVEKStringList& texts = Texts();
    for (int i = 0; i < count; ++i) {
        const TAutoListEntry entry = list.GetItem(i);
        const int row = i + TDropGrid::FixedRows;
        uint32_t flags = Mode == admAddBooks ? list.DefaultFlags() : entry.Flags;
        std::vector<std::string> cells(acColumns);
        int key = -1;
        if (Mode == admAddBooks) {
            cells[acAlgorithm] = texts.GetEntry(TextNone);
            cells[acKeyID] = texts.GetEntry(TextNoKey);
        } else {
            key = FindKey(*keyList_, entry.KeyID);
            if (key < 0) {
                cells[acAlgorithm] = texts.GetEntry(TextKeyNotFound);
                cells[acKeyID] = ShortKeyID(entry.KeyID);
            } else {
                const TKeyPropsRec& record = keyList_->Record(key);
                cells[acAlgorithm] = AlgorithmText(record.Algorithm, texts);
                cells[acKeyID] = ShownKeyID(*keyList_, key);
                if (Mode == admAddKeys && SMimeKind(record.CertState))
                    flags |= kALSMime;
            }
        }
        cells[acChosen] = Off;
        for (int col = acEncrypt; col <= acDisabled; ++col)
            cells[static_cast<size_t>(col)] = (flags & ColumnFlags[col]) ? On : Off;
        cells[acRecipient] = entry.Recipient;
        grid.SetRowCells(row, cells);
        grid.SetObject(acKeyID, row, key);
        grid.SetObject(acRecipient, row, i);
        rowKeyIDs_[static_cast<size_t>(i)] = entry.KeyID;
    }
}

int TAutoListDialog::RowKey(int row) const
{
    if (row < TDropGrid::FixedRows || row >= dgAddresses->RowCount())
        return -1;
    const auto key = static_cast<int>(dgAddresses->Objects(acKeyID, row));
    return key >= 0 && key < keyList_->Count() ? key : -1;
}

int TAutoListDialog::RowEntry(int row) const
{
    return static_cast<int>(dgAddresses->Objects(acRecipient, row));
}

int TAutoListDialog::RowKind(int row) const
{
    const int key = RowKey(row);
    return key < 0 ? 0 : keyList_->Record(key).CertState;
}

bool TAutoListDialog::RowChosen(int row) const
{
    return dgAddresses->Cells(acChosen, row) == On;
}

int TAutoListDialog::ChosenIndex()
{
    const int row = dgAddresses->Row();
    if (row < TDropGrid::FixedRows || dgAddresses->Cells(acRecipient, row).empty())
        return -1;
    return RowEntry(row);
}

std::string TAutoListDialog::GridSnapshot() const
{
    std::string text;
    for (int row = TDropGrid::FixedRows; row < dgAddresses->RowCount(); ++row) {
        for (int col = acEncrypt; col < acColumns; ++col)
            text += dgAddresses->Cells(col, row) + '\t';
        text += "\r\n";
    }
    return text;
}

bool TAutoListDialog::AnyRowChosen() const
{
    for (int row = TDropGrid::FixedRows; row < dgAddresses->RowCount(); ++row)
        if (RowChosen(row) && !dgAddresses->Cells(acRecipient, row).empty())
            return true;
    return false;
}

bool TAutoListDialog::GridChanged()
{
    // Every cell counts: a flag switched or a row deleted is a change as much as a new key.
    if (Mode == admEdit)
        return Lower(GridSnapshot()) != Lower(shownGrid_);
    return AnyRowChosen();
}

void TAutoListDialog::StoreRows(TAutoList& into, bool chosenOnly)
{
    // The rows go in in their entries' order, whatever order a sort left them in: of two entries
    // with one key and address the list keeps the first, and that must not depend on a sort.
    std::vector<int> rows;
    for (int row = TDropGrid::FixedRows; row < dgAddresses->RowCount(); ++row)
        rows.push_back(row);
    std::stable_sort(rows.begin(), rows.end(), [this](int a, int b) { return RowEntry(a) < RowEntry(b); });
    for (const int row : rows) {
        const std::string recipient = TrimmedText(dgAddresses->Cells(acRecipient, row));
        if (recipient.empty() || (chosenOnly && !RowChosen(row)))
            continue;
        TAutoListEntry entry;
        entry.Recipient = recipient;
        const int key = RowKey(row);
        const size_t index = static_cast<size_t>(RowEntry(row));
        // A key the key ring does not have now keeps the id its entry had: editing is no purge.
        if (key >= 0)
            entry.KeyID = keyList_->Get(key);
        else if (Mode != admAddBooks && index < rowKeyIDs_.size())
            entry.KeyID = rowKeyIDs_[index];
        else
            entry.KeyID = kNoKeyID;
        if (entry.KeyID.empty())
            continue;
        for (int col = acEncrypt; col <= acDisabled; ++col)
            if (dgAddresses->Cells(col, row) == On)
                entry.Flags |= ColumnFlags[col];
        entry.Object = reinterpret_cast<void*>(static_cast<std::intptr_t>(key));
        into.AddItem(entry);
    }
}

bool TAutoListDialog::StoreAddressGrid()
{
    if (!Target)
        return false;
    working_->Clear();
    working_->SetCapacity(dgAddresses->RowCount());
    added_ = 0;
    if (Mode == admEdit) {
        StoreRows(*working_, false);
        Target->Clear();
        Target->AddItems(*working_);
        return Target->SaveFile();
    }
    StoreRows(*working_, true);
    for (int i = 0; i < working_->GetCount(); ++i) {
        TAutoListEntry entry = working_->GetItem(i);
        if (Mode == admAddKeys) {
            if (Target->AddItem(entry) >= 0)
                ++added_;
            continue;
        }
        // An address-book entry goes in by its name and by its address.
        const std::string recipient = entry.Recipient;
        for (const std::string& part : { NamePart(recipient), AddressPart(recipient) }) {
            if (part.empty())
                continue;
            entry.Recipient = part;
            if (Target->AddItem(entry) >= 0)
                ++added_;
        }
    }
    if (!Target->SaveFile())
        return false;
    ShowInfo(MainObject(), std::to_string(added_) + Texts().GetEntry(TextAdded));
    return true;
}

// ---- toggles -------------------------------------------------------------------------------------

bool TAutoListDialog::CanToggle(int col, int row)
{
    if (col < acChosen || col > acDisabled || row < TDropGrid::FixedRows || row >= dgAddresses->RowCount())
        return false;
    if (dgAddresses->Cells(acRecipient, row).empty())
        return false;
    if (Mode == admAddBooks && col == acChosen && RowKey(row) < 0)
        return false;
    if (!(Mode == admSelect || Mode == admEdit || col == acChosen || RowChosen(row)))
        return false;
    if (!(col == acChosen || col == acDisabled || dgAddresses->Cells(acDisabled, row) == Off))
        return false;
    if (col == acPgpMime && dgAddresses->Cells(acSMime, row) == On)
        return false;
    return !(col == acSMime && !SMimeKind(RowKind(row)));
}

void TAutoListDialog::ToggleCell(int col, int row, bool onlyThisRow)
{
    if (!CanToggle(col, row)) {
        MessageBeep(MB_OK);
        return;
    }
    const std::string value = dgAddresses->Cells(col, row) == On ? Off : On;
    const int key = RowKey(row);
    for (int other = TDropGrid::FixedRows; other < dgAddresses->RowCount(); ++other) {
        if (other != row && (onlyThisRow || key < 0 || RowKey(other) != key))
            continue;
        dgAddresses->SetCell(col, other, value);
        // S/MIME and PGP/MIME exclude each other.
        if (col == acSMime && value == On)
            dgAddresses->SetCell(acPgpMime, other, Off);
    }
}

void TAutoListDialog::SetAllRows(bool chosen)
{
    for (int row = TDropGrid::FixedRows; row < dgAddresses->RowCount(); ++row) {
        if (dgAddresses->Cells(acRecipient, row).empty())
            continue;
        if (chosen && Mode == admAddBooks && RowKey(row) < 0)
            continue;
        dgAddresses->SetCell(acChosen, row, chosen ? On : Off);
    }
}

// ---- grid events ---------------------------------------------------------------------------------

void TAutoListDialog::GridKeyDown(WORD& key, TShiftState shift)
{
    if (searching_)
        return;
    TDropGrid& grid = *dgAddresses;
    const int col = grid.Col(), row = grid.Row();
    const bool listMode = Mode != admSelect;
    const bool adding = Mode == admAddKeys || Mode == admAddBooks;
    if (shift & ssCtrl) {
        switch (key) {
        case VK_DELETE:
            if (adding)
                SetAllRows(false);
            break;
        case 'A':
            if (adding)
                SetAllRows(true);
            break;
        case 'C':
            if (listMode)
                CopyCellToClipboard();
            break;
        case 'F':
            FindInGrid(false);
            break;
        case 'G':
            FindInGrid(true);
            break;
        case VK_SPACE:
            if (listMode && col <= acDisabled)
                ToggleCell(col, row, true);
            break;
        default:
            return;
        }
        grid.Invalidate();
        key = 0;
        return;
    }
    if (!listMode)
        return;
    switch (key) {
    case VK_DELETE:
        DeleteCurrentRow();
        break;
    case VK_F2:
        if (col == acKeyID && Mode != admAddKeys)
            ShowKeyCombo();
        else if (col == acRecipient && Mode == admEdit)
            ShowUserIDEdit();
        break;
    case VK_F3:
        FindInGrid(true);
        break;
    case VK_SPACE:
        if (col <= acDisabled)
            ToggleCell(col, row, false);
        else if (col == acKeyID && Mode != admAddKeys)
            ShowKeyCombo();
        else if (col == acRecipient && Mode == admEdit)
            ShowUserIDEdit();
        else
            return; // the grid's own space (moving down)
        break;
    default:
        return;
    }
    grid.Invalidate();
    key = 0;
}

void TAutoListDialog::GridDoubleClick()
{
    TDropGrid& grid = *dgAddresses;
    POINT point {};
    GetCursorPos(&point);
    ::ScreenToClient(grid.Handle(), &point);
    int col = 0, row = 0;
    if (!grid.MouseToCell(point.x, point.y, col, row) || row < TDropGrid::FixedRows)
        return;
    if (Mode == admSelect) {
        SetModalResult(mrOk);
        return;
    }
    WORD key = VK_SPACE;
    GridKeyDown(key, (GetKeyState(VK_CONTROL) < 0) ? ssCtrl : 0);
}

void TAutoListDialog::SelectCell(int col, int row, bool& canSelect)
{
    if ((Mode == admSelect || Mode == admEdit) && col == acChosen) {
        canSelect = false;
        dgAddresses->SetCurrent(acEncrypt, row);
        return;
    }
    if (Mode == admAddBooks && row >= TDropGrid::FixedRows)
        lblSelect->SetCaption("=> " + dgAddresses->Cells(acRecipient, row));
    HideEditors();
}

void TAutoListDialog::DrawCell(int col, int row, const RECT& rect, TGridDrawState state)
{
    TCanvas& canvas = dgAddresses->Canvas();
    const std::string text = dgAddresses->Cells(col, row);
    RECT inner = rect;
    if (row < TDropGrid::FixedRows) {
        canvas.Brush.Color = clBtnFace;
        canvas.FillRect(rect);
        DrawEdge(canvas.Handle(), &inner, BDR_RAISEDINNER, BF_RECT);
        canvas.Font = dgAddresses->Font();
        canvas.Font.SetStyle(fsBold);
        canvas.Brush.Style = bsClear;
        InflateRect(&inner, -2, 0);
        if (col > acDisabled || !DrawFlagIcon(col, rect))
            canvas.DrawText(text, inner, DT_SINGLELINE | DT_VCENTER | (col <= acDisabled ? DT_CENTER : DT_LEFT));
        canvas.Brush.Style = bsSolid;
        return;
    }
    const bool selected = (state & gdSelected) != 0;
    TColor back = selected ? clHighlight : clWindow;
    if (!selected && col <= acDisabled) {
        const bool keyless = Mode == admAddBooks && RowKey(row) < 0;
        if (col == acChosen ? !keyless : CanToggle(col, row))
            back = highlight_;
    }
    canvas.Brush.Color = back;
    canvas.FillRect(rect);
    canvas.Font = dgAddresses->Font();
    canvas.Font.SetColor(selected ? clHighlightText : clWindowText);
    if (dgAddresses->Cells(acRecipient, row).empty())
        return;
    if (col == acChosen) {
        if (text == Off) {
            RECT square = rect;
            InflateRect(&square, -4, -4);
            canvas.Brush.Color = selected ? clHighlightText : clGray;
            canvas.FillRect(square);
        }
        return;
    }
    if (col <= acDisabled) {
        if (text == On && !DrawFlagIcon(col, rect)) {
            canvas.Brush.Style = bsClear;
            canvas.Font.SetStyle(fsBold);
            canvas.DrawText(FlagHeaders[col], inner, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
            canvas.Brush.Style = bsSolid;
        }
        return;
    }
    canvas.Brush.Style = bsClear;
    InflateRect(&inner, -2, 0);
    canvas.DrawText(text, inner, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    canvas.Brush.Style = bsSolid;
}

bool TAutoListDialog::DrawFlagIcon(int col, const RECT& rect)
{
    const HICON icon = flagIcons_[col].Handle();
    if (!icon)
        return false;
    const int x = (rect.left + rect.right - FlagIconSize) / 2;
    const int y = (rect.top + rect.bottom - FlagIconSize) / 2;
    return DrawIconEx(dgAddresses->Canvas().Handle(), x, y, icon, FlagIconSize, FlagIconSize, 0, nullptr, DI_NORMAL);
}

std::string TAutoListDialog::ToolTipText(int col, int row)
{
    const TZAVEKStringList& texts = Texts();
    if (row < TDropGrid::FixedRows)
        return col >= 0 && col < acColumns ? texts.GetEntry(static_cast<uint16_t>(TextFirstHeaderTip + col)) : "";
    const int key = RowKey(row);
    if (key >= 0)
        return keys_.Description(key);
    if (col == acAlgorithm && dgAddresses->Cells(acAlgorithm, row) == texts.GetEntry(TextNone))
        return keys_.StatusText(dgAddresses->Cells(acKeyID, row));
    return texts.GetEntry(TextNoKeyChosen) + texts.GetEntry(TextFor) + "\"" + dgAddresses->Cells(acRecipient, row)
        + "\"";
}

void TAutoListDialog::CopyCellToClipboard()
{
    const int col = dgAddresses->Col(), row = dgAddresses->Row();
    if (col == acKeyID)
        PutClipboardData(dgAddresses->Cells(acKeyID, row), cfText, Handle());
    else if (col == acRecipient)
        PutClipboardData(TrimmedText(dgAddresses->Cells(acRecipient, row)), cfText, Handle());
}

// ---- key combo and user-id field -----------------------------------------------------------------

void TAutoListDialog::FillKeyCombo()
{
    TStringList& items = cbxHexIDs->Items();
    items.Clear();
    typeAhead_.clear();
    if (Mode == admAddBooks) {
        items.AddObject(" " + Texts().GetEntry(TextNoKey), reinterpret_cast<void*>(std::intptr_t(-1)));
        typeAhead_ += ' ';
    }
    for (int i = 0; i < keyList_->Count(); ++i) {
        items.AddObject(" " + ShownKeyID(*keyList_, i), reinterpret_cast<void*>(std::intptr_t(i)));
        const std::string user = FirstUserID(*keyList_, i);
        typeAhead_ += user.empty() ? ' ' : static_cast<char>(std::toupper(static_cast<unsigned char>(user[0])));
    }
}

int TAutoListDialog::TypeAheadItem(char c) const
{
    const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const int count = static_cast<int>(typeAhead_.size());
    if (count == 0)
        return -1;
    const int current = cbxHexIDs->HandleAllocated() ? const_cast<TComboBox*>(cbxHexIDs)->ItemIndex() : -1;
    for (int step = 1; step <= count; ++step) {
        const int item = (current + step + count) % count;
        if (typeAhead_[static_cast<size_t>(item)] == wanted)
            return item;
    }
    return -1;
}

void TAutoListDialog::ShowComboItem()
{
    const int item = cbxHexIDs->ItemIndex();
    if (item < 0 || item >= cbxHexIDs->Items().Count())
        return;
    const auto key = reinterpret_cast<std::intptr_t>(cbxHexIDs->Items().GetObject(item));
    if (key < 0 || key >= keyList_->Count()) {
        pnSize->SetCaption("");
        pnAlgorithm->SetCaption(Texts().GetEntry(TextNone));
        pnUserID->SetCaption(Texts().GetEntry(TextNoKeyChosen));
        return;
    }
    const TKeyPropsRec& record = keyList_->Record(static_cast<int>(key));
    pnSize->SetCaption(record.KeySize.substr(0, record.KeySize.find(' ')));
    pnAlgorithm->SetCaption(AlgorithmText(record.Algorithm, Texts()));
    pnUserID->SetCaption(FirstUserID(*keyList_, static_cast<int>(key)));
}

void TAutoListDialog::ShowKeyCombo()
{
    TDropGrid& grid = *dgAddresses;
    const int row = grid.Row();
    if (cbxHexIDs->Items().Count() == 0 || grid.Cells(acRecipient, row).empty()) {
        MessageBeep(MB_OK);
        return;
    }
    // Over the columns from PGP/MIME to the recipient: size, algorithm, key, user id.
    const RECT from = grid.CellRect(acPgpMime, row), to = grid.CellRect(acRecipient, row);
    const int left = grid.Left() + from.left, top = grid.Top() + from.top - 2;
    const int width = to.right - from.left, height = RowHeight + 6;
    pnToolTips->SetBounds(left, top, width, height);
    const int sizeWidth = grid.CellRect(acDisabled, row).right - from.left;
    const int algorithmWidth = grid.CellRect(acAlgorithm, row).right - grid.CellRect(acAlgorithm, row).left;
    const int keyWidth = grid.CellRect(acKeyID, row).right - grid.CellRect(acKeyID, row).left + 24;
    pnSizeFrame->SetBounds(2, 2, std::max(sizeWidth, 24), height - 4);
    pnAlgorithmFrame->SetBounds(pnSizeFrame->Left() + pnSizeFrame->Width(), 2, algorithmWidth, height - 4);
    pnHexIDs->SetBounds(pnAlgorithmFrame->Left() + pnAlgorithmFrame->Width(), 1, keyWidth, height - 2);
    pnUserIDFrame->SetBounds(pnHexIDs->Left() + keyWidth, 2, std::max(width - pnHexIDs->Left() - keyWidth - 4, 20),
        height - 4);
    const int key = RowKey(row);
    int item = Mode == admAddBooks ? 0 : -1;
    for (int i = 0; i < cbxHexIDs->Items().Count(); ++i)
        if (reinterpret_cast<std::intptr_t>(cbxHexIDs->Items().GetObject(i)) == key && key >= 0)
            item = i;
    pnToolTips->SetVisible(true);
    RaiseAbove(*pnToolTips);
    cbxHexIDs->SetItemIndex(std::max(item, 0));
    ShowComboItem();
    cbxHexIDs->SetFocus();
    // The mouse goes onto the combo's button, where the next click opens the list.
    const POINT button = cbxHexIDs->ClientToScreen({ cbxHexIDs->Width() - 8, cbxHexIDs->Height() / 2 });
    SetCursorPos(button.x, button.y);
}

void TAutoListDialog::TakeComboKey()
{
    TDropGrid& grid = *dgAddresses;
    const int row = grid.Row();
    const int item = cbxHexIDs->ItemIndex();
    if (item >= 0 && item < cbxHexIDs->Items().Count()) {
        const auto key = reinterpret_cast<std::intptr_t>(cbxHexIDs->Items().GetObject(item));
        if (key < 0 || key >= keyList_->Count()) {
            grid.SetCell(acAlgorithm, row, Texts().GetEntry(TextNone));
            grid.SetCell(acKeyID, row, Texts().GetEntry(TextNoKey));
            grid.SetObject(acKeyID, row, -1);
            grid.SetCell(acChosen, row, Off);
        } else {
            const TKeyPropsRec& record = keyList_->Record(static_cast<int>(key));
            grid.SetCell(acAlgorithm, row, AlgorithmText(record.Algorithm, Texts()));
            grid.SetCell(acKeyID, row, ShownKeyID(*keyList_, static_cast<int>(key)));
            grid.SetObject(acKeyID, row, key);
            grid.SetCell(acChosen, row, On);
            if (!SMimeKind(record.CertState))
                grid.SetCell(acSMime, row, Off);
        }
    }
    HideEditors();
    grid.Invalidate();
}

void TAutoListDialog::ShowUserIDEdit()
{
    TDropGrid& grid = *dgAddresses;
    const int row = grid.Row();
    const RECT cell = grid.CellRect(acRecipient, row);
    edUserID->SetBounds(grid.Left() + cell.left, grid.Top() + cell.top - 1, cell.right - cell.left,
        cell.bottom - cell.top + 4);
    edUserID->SetText(grid.Cells(acRecipient, row));
    edUserID->SetVisible(true);
    RaiseAbove(*edUserID);
    edUserID->SetFocus();
    edUserID->SelectAll();
}

void TAutoListDialog::HideEditors()
{
    const bool had = pnToolTips->Visible() || edUserID->Visible();
    pnToolTips->SetVisible(false);
    edUserID->SetVisible(false);
    if (had && dgAddresses->HandleAllocated())
        dgAddresses->SetFocus();
}

// ---- find, delete, close -------------------------------------------------------------------------

void TAutoListDialog::FindInGrid(bool next)
{
    if (Mode == admSelect || searching_)
        return;
    searching_ = true;
    struct TSearching {
        bool& flag;
        ~TSearching() { flag = false; }
    } searching { searching_ };
    TDropGrid& grid = *dgAddresses;
    std::string pattern = grid.FindPattern();
    if (!next || pattern.empty()) {
        // A cancelled search dialog is no search.
        if (!grid.OnSearchPattern(grid, pattern) || pattern.empty())
            return;
    }
    grid.SetFindPattern(pattern);
    const TFindOutcome outcome = grid.FindText();
    if (outcome == TFindOutcome::NotFound) {
        ShowInfo(MainObject(), Texts().GetEntry(TextNotFound));
    } else if (outcome == TFindOutcome::EndReached
        && ConfirmYes(MainObject(), Texts().GetEntry(TextNotFound) + Texts().GetEntry(TextFromStart))) {
        // From the last row the search goes on at the first.
        grid.SetFindPattern(pattern);
        grid.SetRow(grid.RowCount() - 1);
        if (grid.FindText() != TFindOutcome::Found)
            ShowInfo(MainObject(), Texts().GetEntry(TextNotFound));
    }
}

void TAutoListDialog::DeleteCurrentRow()
{
    TDropGrid& grid = *dgAddresses;
    if (Mode == admAddKeys || Mode == admAddBooks || searching_) {
        MessageBeep(MB_OK);
        return;
    }
    const int row = grid.Row();
    if (grid.Cells(acRecipient, grid.RowCount() - 1).empty() || grid.Cells(acRecipient, row).empty())
        return;
    char question[512];
    std::snprintf(question, sizeof question, Texts().GetEntry(TextDeleteEntry).c_str(),
        grid.Cells(acRecipient, row).c_str());
    if (ConfirmYes(MainObject(), question))
        grid.DeleteRow(row);
}

bool TAutoListDialog::DoKeyDown(WORD& key, TShiftState shift)
{
    if (key != VK_RETURN && key != VK_ESCAPE)
        return TZAVEKForm::DoKeyDown(key, shift);
    if (pnToolTips->Visible() || edUserID->Visible() || searching_)
        return false;
    if (Mode != admSelect && GridChanged())
        SetModalResult(ResultAsk);
    else
        SetModalResult(key == VK_RETURN ? mrOk : mrCancel);
    key = 0;
    return true;
}

bool TAutoListDialog::CloseQuery()
{
    if (!TZAVEKForm::CloseQuery())
        return false;
    const int result = ModalResult();
    if (searching_ || Mode == admSelect || result == mrCancel)
        return true;
    const bool accepting = result == mrOk || result == ResultOkButton;
    if (!GridChanged()) {
        if (accepting && Mode != admEdit) {
            ShowInfo(MainObject(), Texts().GetEntry(TextSelectOne));
            return false;
        }
        return true;
    }
    if (result == ResultAsk) {
        const int answer = AskYesNoCancel(MainObject(), Texts().GetEntry(TextSaveChanges));
        if (answer == mrCancel)
            return false;
        if (answer == mrNo) {
            SetModalResult(mrCancel);
            return true;
        }
    } else if (!accepting) {
        return true;
    }
    if (!StoreAddressGrid()) {
        // Nothing is lost: the grid stays for another try.
        ShowError(MainObject(), Texts().GetEntry(TextNotSaved));
        return false;
    }
    SetModalResult(mrOk);
    return true;
}

// ---- entry functions -----------------------------------------------------------------------------

void EditAutoList(IDialogMainObject& main, IAutoListDialogKeys& keys, TAutoList& autoList, int chooseMode)
{
    ReloadWhenNewer(autoList);
    if (autoList.GetCount() == 0) {
        ShowInfo(main, main.Texts().GetEntry(TextListEmpty));
        return;
    }
    auto* dialog = new TAutoListDialog(main, keys);
    dialog->Mode = admEdit;
    dialog->ChooseMode = chooseMode;
    dialog->Target = &autoList;
    dialog->FillAddressGrid();
    RunDialog(dialog);
}

namespace {

// Shows a dialog over candidates already in its working list; true when entries were added.
bool ShowCandidates(IDialogMainObject& main, TAutoListDialog* dialog)
{
    if (dialog->Working().GetCount() == 0) {
        dialog->CloseDown();
        ShowInfo(main, main.Texts().GetEntry(TextNothingNew));
        return false;
    }
    dialog->FillAddressGrid();
    int added = 0;
    RunDialog(dialog, [&](TAutoListDialog& shown) { added = shown.AddedCount(); });
    return added > 0;
}

TAutoListDialog* NewAddDialog(IDialogMainObject& main, IAutoListDialogKeys& keys, TAutoList& autoList,
    int chooseMode, TAutoListDialogMode mode)
{
    ReloadWhenNewer(autoList);
    auto* dialog = new TAutoListDialog(main, keys);
    dialog->Mode = mode;
    dialog->ChooseMode = chooseMode;
    dialog->Target = &autoList;
    dialog->Working().SetDefaultFlags(autoList.DefaultFlags() & kALEncrypt, autoList.DefaultFlags() & kALSign);
    return dialog;
}

bool ListHasKey(const TAutoList& list, const std::string& keyID)
{
    const std::string wanted = Lower(keyID);
    for (int i = 0; i < list.GetCount(); ++i)
        if (Lower(list.GetKeyId(i)) == wanted)
            return true;
    return false;
}

} // namespace

bool AddKeyringToAutoList(IDialogMainObject& main, IAutoListDialogKeys& keys, TAutoList& autoList, int chooseMode)
{
    TAutoListDialog* dialog = NewAddDialog(main, keys, autoList, chooseMode, admAddKeys);
    const TKeyPropsList& keyList = keys.LoadKeys();
    TAutoList& working = dialog->Working();
    for (int i = 0; i < keyList.Count(); ++i) {
        TAutoListEntry entry;
        entry.KeyID = keyList.Get(i);
        entry.Flags = autoList.DefaultFlags();
        if (!ListHasKey(autoList, entry.KeyID)) {
            entry.Recipient = FirstUserID(keyList, i);
            if (!entry.Recipient.empty())
                working.AddItem(entry);
            continue;
        }
        const TKeyPropsRec& record = keyList.Record(i);
        for (int u = 0; record.UserIDs && u < record.UserIDs->Count(); ++u) {
            entry.Recipient = record.UserIDs->Get(u);
            if (!entry.Recipient.empty() && !autoList.ContainsPair(entry.Recipient, entry.KeyID))
                working.AddItem(entry);
        }
    }
    return ShowCandidates(main, dialog);
}

bool AddAddressBookToAutoList(
    IDialogMainObject& main, IAutoListDialogKeys& keys, TAutoList& autoList, int chooseMode, int bookIndex)
{
    IAddressBookList* books = autoList.AddressBooks();
    if (!books) {
        ShowInfo(main, main.Texts().GetEntry(TextNothingNew));
        return false;
    }
    const std::string text
        = bookIndex == books->BookCount() ? books->GetRecipientText() : books->ReadAddressBook(bookIndex);
    TAutoListDialog* dialog = NewAddDialog(main, keys, autoList, chooseMode, admAddBooks);
    dialog->Working().SetTextStr(text);
    return ShowCandidates(main, dialog);
}

bool AddEntriesToAutoList(IDialogMainObject& main, IAutoListDialogKeys& keys, const TMessageRecipients& message,
    TAutoList& autoList, int chooseMode)
{
    const bool keyed = !message.KeyIDs.empty();
    TAutoListDialog* dialog = NewAddDialog(main, keys, autoList, chooseMode, keyed ? admAddKeys : admAddBooks);
    autoList.AddEntriesFromMessage(message, keys.LoadKeys(), dialog->Working());
    return ShowCandidates(main, dialog);
}

// ---- the selection mode for the send -----------------------------------------------------------

int ChooseAutoListEntry(IDialogMainObject& main, IAutoListDialogKeys& keys, const TAutoList& candidates,
    const std::string& recipient, int chooseMode, int& chosen)
{
    chosen = -1;
    auto* dialog = new TAutoListDialog(main, keys);
    dialog->Mode = admSelect;
    dialog->ChooseMode = chooseMode;
    // The rows keep the candidates' order, so a row names its candidate by its index.
    dialog->Working().SetUnsorted(true);
    dialog->Working().AddItems(candidates);
    dialog->lblSelect->SetCaption(recipient);
    dialog->FillAddressGrid();
    return RunDialog(dialog, [&](TAutoListDialog& shown) { chosen = shown.ChosenIndex(); });
}
