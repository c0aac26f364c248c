// The recipient list dialog under Wine over two keys of our own: choosing a recipient's key,
// editing the list with the toggle rules, adding from the key ring (nothing chosen keeps the dialog
// open), and adding address-book entries with a key from the combo box; what it stores is read
// back by a second list over the same file.
#include "framework/harness/DialogAnswerer.h"
#include "framework/harness/KeyInjector.h"
#include "framework/harness/WindowCapture.h"
#include "plugin/AutoListChooser.h"
#include "ui/DialogTestSupport.h"
#include "ui/TestKeyRecord.h"
#include "ui/controls/ToolTip.h"
#include "ui/dialogs/AutoListDialog.h"
#include "ui/dialogs/MessageDialogs.h"
#include "ui/dialogs/SearchDialog.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <fstream>
#include <utility>

namespace {

constexpr const char* kAnnKey = "0x1111111111111111";
constexpr const char* kBobKey = "0x2222222222222222";

// Ann's key is RSA with a certificate (it can do S/MIME); Bob's is DH/DSS without one.
class FakeKeys : public IAutoListDialogKeys {
public:
    FakeKeys()
        : list_(kKeyPropKeyID | kKeyPropUserID | kKeyPropUserIDs | kKeyPropAlgorithm | kKeyPropKeySize)
    {
        Add(kAnnKey, "Ann <ann@example.org>", 1, 2);
        Add(kBobKey, "Bob <bob@example.net>", 16, 0);
    }
    const TKeyPropsList& LoadKeys() override
    {
        ++loads;
        return list_;
    }
    std::string Description(int index) override { return "key " + std::to_string(index); }
    std::string StatusText(const std::string& keyID) override { return "status " + keyID; }
    void Clear() override { ++clears; }

    int loads = 0;
    int clears = 0;

private:
    void Add(const char* id, const char* user, int32_t algorithm, int32_t certState)
    {
        TKeyPropsRec record = TestKeyRecord(id, user, algorithm, certState);
        list_.AddObject(id, &record);
    }

    TKeyPropsList list_;
};

class FakeBooks : public IAddressBookList {
public:
    std::string GetRecipientText() override { return ReadAddressBook(0); }
    int BookCount() const override { return 1; }
    std::string ResolveRecipientNames(const std::string&) const override { return {}; }
    std::string ReadAddressBook(int index) override
    {
        return index == 0 ? "Carl Cook <carl@example.com>\\0x0000000000000000\r\n" : "";
    }
};

// Clicked once the step has returned, as a user's click would come: a dialog the click opens
// is then the answerer's next step.
TFlatBtn* g_clickLater = nullptr;

void CALLBACK ClickNow(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (TFlatBtn* button = std::exchange(g_clickLater, nullptr))
        button->Click();
}

void PostClick(TFlatBtn& button)
{
    g_clickLater = &button;
    SetTimer(nullptr, 0, 10, ClickNow);
}

TAutoListDialog* DialogOf(HWND window)
{
    return ControlOf<TAutoListDialog>(window);
}

std::string ListFile(const std::string& name, const std::string& content)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string Picture(HWND window, const std::string& name)
{
    return SaveWindowPicture(window, name);
}

// A list bound to its file, loaded.
std::unique_ptr<TAutoList> LoadedList(const std::string& path)
{
    auto list = std::make_unique<TAutoList>(path);
    list->SetSortOrder(soKeyID);
    EXPECT_TRUE(list->LoadFile());
    return list;
}

int RowOf(TDropGrid& grid, const std::string& recipient)
{
    for (int row = 1; row < grid.RowCount(); ++row)
        if (grid.Cells(acRecipient, row) == recipient)
            return row;
    ADD_FAILURE() << "no row for " << recipient;
    return 1;
}

// A click in the middle of a header item, as the user gives it.
void ClickHeader(TDropGrid& grid, int col)
{
    const HWND header = ListView_GetHeader(grid.Handle());
    RECT item {};
    Header_GetItemRect(header, col, &item);
    const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(header, WM_LBUTTONUP, 0, point);
    PumpPending();
}

// Whether the cell as painted holds a pixel of the colour.
bool CellShows(TDropGrid& grid, int col, int row, COLORREF colour)
{
    const RECT cell = grid.CellRect(col, row);
    const HDC dc = GetDC(grid.Handle());
    bool found = false;
    for (int y = cell.top; y < cell.bottom && !found; ++y)
        for (int x = cell.left; x < cell.right && !found; ++x)
            found = GetPixel(dc, x, y) == colour;
    ReleaseDC(grid.Handle(), dc);
    return found;
}

std::string CellsOfRow(TAutoListDialog& dialog, int row)
{
    std::string cells;
    for (int col = acChosen; col <= acDisabled; ++col)
        cells += dialog.dgAddresses->Cells(col, row);
    return cells;
}

TEST(AutoListDialog, SelectionReturnsTheChosenRowAndCancelChoosesNothing)
{
    FakeMainObject main;
    FakeKeys keys;
    TAutoList candidates;
    candidates.SetUnsorted(true);
    candidates.AddItem({ "ann@example.org", kAnnKey, kALEncrypt, nullptr });
    candidates.AddItem({ "ann@example.org", kBobKey, kALEncrypt | kALSign, nullptr });
    TAutoListChooser chooser(main, keys);

    std::string caption, label, picture, algorithms;
    bool findShown = true, deleteShown = true;
    DialogAnswerer answerer;
    answerer.Then("TAutoListDialog", "", [&](HWND w) {
        TAutoListDialog& dialog = *DialogOf(w);
        caption = dialog.Caption();
        label = dialog.lblSelect->Caption();
        findShown = dialog.fbFind->Visible();
        deleteShown = dialog.fbDelete->Visible();
        algorithms = dialog.dgAddresses->Cells(acAlgorithm, 1) + "," + dialog.dgAddresses->Cells(acAlgorithm, 2);
        PressKey(w, VK_DOWN);
        picture = Picture(w, "autolist_select");
        PressKey(w, VK_RETURN);
    });
    int chosen = -1;
    EXPECT_EQ(chooser.Choose(candidates, "ann@example.org", 1, chosen), TChooserAnswer::Ok);
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(caption, "Choose a key");
    EXPECT_EQ(label, "ann@example.org");
    EXPECT_FALSE(findShown);
    EXPECT_FALSE(deleteShown);
    EXPECT_EQ(algorithms, "RSA,DH/DSS");
    EXPECT_FALSE(picture.empty());
    EXPECT_EQ(keys.clears, 1);

    DialogAnswerer cancelling;
    cancelling.Then("TAutoListDialog", "", [&](HWND w) { PressKey(w, VK_ESCAPE); });
    chosen = 5;
    EXPECT_EQ(chooser.Choose(candidates, "ann@example.org", 1, chosen), TChooserAnswer::Cancelled);
    EXPECT_TRUE(cancelling.Done());
}

TEST(AutoListDialog, EditingFollowsTheToggleRulesAndStoresTheList)
{
    FakeMainObject main;
    FakeKeys keys;
    // Two recipients of Ann's key, one of Bob's, and two whose keys the key ring no longer has.
    const std::string path = ListFile("autolist_edit.txt",
        "ann@example.org\\1x1111111111111111+s\r\nAnn <ann@example.org>\\1x1111111111111111+s\r\n"
        "bob@example.net\\1x2222222222222222+s\r\ngone@example.com\\3x9999999999999999+s\r\n"
        "lost@example.com\\1x8888888888888888+s\r\n");
    auto list = LoadedList(path);
    ASSERT_EQ(list->GetCount(), 5);

    std::string before, afterEncrypt, afterCtrl, afterSMime, bobSMime, picture;
    bool lostBeforeGone = false, goneBeforeLost = false;
    std::string flagPictures;
    DialogAnswerer answerer;
    answerer.Then("TAutoListDialog", "", [&](HWND w) {
        TAutoListDialog& dialog = *DialogOf(w);
        TDropGrid& grid = *dialog.dgAddresses;
        const int ann = RowOf(grid, "ann@example.org"), annName = RowOf(grid, "Ann <ann@example.org>");
        const int bob = RowOf(grid, "bob@example.net"), gone = RowOf(grid, "gone@example.com");
        before = CellsOfRow(dialog, ann) + "|" + grid.Cells(acAlgorithm, gone);
        dialog.ToggleCell(acSign, ann, false);
        afterEncrypt = CellsOfRow(dialog, ann) + CellsOfRow(dialog, annName);
        dialog.ToggleCell(acSign, annName, true);
        afterCtrl = CellsOfRow(dialog, ann) + CellsOfRow(dialog, annName);
        dialog.ToggleCell(acPgpMime, ann, true);
        dialog.ToggleCell(acSMime, ann, true);
        afterSMime = CellsOfRow(dialog, ann) + (dialog.CanToggle(acPgpMime, ann) ? "+" : "-");
        dialog.ToggleCell(acSMime, bob, false);
        bobSMime = CellsOfRow(dialog, bob);
        // Sorted by recipient, the two missing keys' rows swap places.
        lostBeforeGone = RowOf(grid, "lost@example.com") < gone;
        ClickHeader(grid, acRecipient);
        goneBeforeLost = RowOf(grid, "gone@example.com") < RowOf(grid, "lost@example.com");
        grid.Invalidate();
        PumpPending();
        // The padlock's yellow where Ann's row encrypts, the PGP/MIME envelope's green nowhere in
        // her row, which is S/MIME.
        const int annNow = RowOf(grid, "ann@example.org");
        flagPictures = std::string(CellShows(grid, acEncrypt, annNow, RGB(0xE8, 0xB8, 0x20)) ? "lock" : "-")
            + (CellShows(grid, acPgpMime, annNow, RGB(0x10, 0x90, 0x20)) ? " envelope" : " -");
        picture = Picture(w, "autolist_edit");
        PostClick(*dialog.fbOk);
    });
    EditAutoList(main, keys, *list, 1);
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(before, "OIOOOOO|key not found");
    // Without Ctrl every row of the key follows; with Ctrl only the row.
    EXPECT_EQ(afterEncrypt, "OIIOOOOOIIOOOO");
    EXPECT_EQ(afterCtrl, "OIIOOOOOIOOOOO");
    // S/MIME switches PGP/MIME off and keeps it off; Bob's key cannot do S/MIME.
    EXPECT_EQ(afterSMime, "OIIOOIO-");
    EXPECT_EQ(bobSMime, "OIOOOOO");
    EXPECT_TRUE(lostBeforeGone);
    EXPECT_TRUE(goneBeforeLost);
    EXPECT_EQ(flagPictures, "lock -");
    EXPECT_FALSE(picture.empty());

    // A second list over the file sees the changes, and the entries of the missing keys keep their
    // own key ids through the sort.
    auto reread = LoadedList(path);
    const std::string text = reread->GetTextStr();
    EXPECT_NE(text.find("ann@example.org\\3x1111111111111111+S"), std::string::npos) << text;
    EXPECT_NE(text.find("Ann <ann@example.org>\\1x1111111111111111+s"), std::string::npos) << text;
    EXPECT_NE(text.find("bob@example.net\\1x2222222222222222+s"), std::string::npos) << text;
    EXPECT_NE(text.find("gone@example.com\\3x9999999999999999+s"), std::string::npos) << text;
    EXPECT_NE(text.find("lost@example.com\\1x8888888888888888+s"), std::string::npos) << text;
}

// The user types the pattern into the search dialog's rich edit, which hands over UTF-16 unless
// asked for ANSI; the grid's cells are ANSI.
TEST(AutoListDialog, FindGoesToTheRecipientTypedIntoTheSearchDialog)
{
    FakeMainObject main;
    FakeKeys keys;
    const std::string path = ListFile("autolist_find.txt",
        "ann@example.org\\1x1111111111111111+s\r\nbob@example.net\\1x2222222222222222+s\r\n");
    auto list = LoadedList(path);

    int startRow = 0, bobRow = 0, foundRow = 0;
    std::vector<int> tipPauses;
    std::string notFound;
    DialogAnswerer answerer;
    answerer
        .Then("TAutoListDialog", "", [&](HWND w) {
            TAutoListDialog& dialog = *DialogOf(w);
            TDropGrid& grid = *dialog.dgAddresses;
            // The grid's tips wait their 1.5 s over every cell the mouse comes to.
            for (const int row : { 1, 2 }) {
                const RECT cell = grid.CellRect(acRecipient, row);
                SendMessageA(grid.Handle(), WM_MOUSEMOVE, 0,
                    MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2));
                tipPauses.push_back(grid.ToolTip()->HintPause());
            }
            SendMessageA(grid.Handle(), WM_MOUSELEAVE, 0, 0);
            bobRow = RowOf(grid, "bob@example.net");
            grid.SetCurrent(acRecipient, 1);
            startRow = grid.Row();
            // The search dialog is the next step; the search has ended when the click returns.
            dialog.fbFind->Click();
            foundRow = grid.Row();
            PressKey(w, VK_ESCAPE);
        })
        .Then("TSearchDialog", "", [&](HWND w) {
            TSearchDialog& search = *ControlOf<TSearchDialog>(w);
            for (const char c : std::string("BOB"))
                SendMessageW(search.deAnswer->Handle(), WM_CHAR, static_cast<WPARAM>(c), 0);
            search.fbOk->Click();
        })
        .Then("TMessageDialog", "", [&](HWND w) {
            // Only a search that finds nothing says so.
            notFound = ControlOf<TMessageDialog>(w)->reText->GetText();
            PressKey(w, VK_RETURN);
        });
    EditAutoList(main, keys, *list, 1);
    EXPECT_EQ(answerer.StepsDone(), 2);
    EXPECT_EQ(notFound, "");
    EXPECT_EQ(startRow, 1);
    EXPECT_EQ(bobRow, 2);
    EXPECT_EQ(foundRow, bobRow);
    EXPECT_EQ(tipPauses, (std::vector<int> { 1500, 1500 }));
}

TEST(AutoListDialog, AddingFromTheKeyRingWantsOneRowChosen)
{
    FakeMainObject main;
    FakeKeys keys;
    const std::string path = ListFile("autolist_keyring.txt", "bob@example.net\\1x2222222222222222+s\r\n");
    auto list = LoadedList(path);
    list->SetDefaultFlags(true, true);

    std::string caption, infoNothing, infoAdded;
    int rows = 0;
    DialogAnswerer answerer;
    answerer
        .Then("TAutoListDialog", "", [&](HWND w) {
            TAutoListDialog& dialog = *DialogOf(w);
            caption = dialog.Caption();
            rows = dialog.dgAddresses->RowCount() - 1;
            PostClick(*dialog.fbOk);
        })
        .Then("TMessageDialog", "", [&](HWND w) {
            infoNothing = ControlOf<TMessageDialog>(w)->reText->GetText();
            PressKey(w, VK_RETURN);
        })
        .Then("TAutoListDialog", "", [&](HWND w) {
            DialogOf(w)->dgAddresses->SetFocus();
            PressKey(w, 'A', ssCtrl);
            PostClick(*DialogOf(w)->fbOk);
        })
        .Then("TMessageDialog", "", [&](HWND w) {
            infoAdded = ControlOf<TMessageDialog>(w)->reText->GetText();
            PressKey(w, VK_RETURN);
        });
    EXPECT_TRUE(AddKeyringToAutoList(main, keys, *list, 1));
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(caption, "Add recipients");
    // Bob's key is in the list by the same user id's address only, so his user id is new too.
    EXPECT_EQ(rows, 2);
    EXPECT_NE(infoNothing.find("Please select at least one entry."), std::string::npos) << infoNothing;
    EXPECT_NE(infoAdded.find("2 entries were added"), std::string::npos) << infoAdded;
    const std::string text = LoadedList(path)->GetTextStr();
    // Ann's key can do S/MIME: her entry gets it; the list's default flags encrypt and sign.
    EXPECT_NE(text.find("Ann <ann@example.org>\\3x1111111111111111+S"), std::string::npos) << text;
    EXPECT_NE(text.find("Bob <bob@example.net>\\3x2222222222222222+s"), std::string::npos) << text;
}

TEST(AutoListDialog, AnAddressBookEntryGetsItsKeyFromTheComboBox)
{
    FakeMainObject main;
    FakeKeys keys;
    const std::string path = ListFile("autolist_books.txt", "");
    auto list = LoadedList(path);
    list->SetDefaultFlags(true, false);
    list->OpenAddressBooks("", [](const std::string&) { return std::make_unique<FakeBooks>(); });

    std::string before, comboText, after, picture;
    bool comboShown = false;
    DialogAnswerer answerer;
    answerer
        .Then("TAutoListDialog", "", [&](HWND w) {
            TAutoListDialog& dialog = *DialogOf(w);
            TDropGrid& grid = *dialog.dgAddresses;
            before = grid.Cells(acKeyID, 1) + "|" + (dialog.CanToggle(acChosen, 1) ? "+" : "-");
            grid.SetCurrent(acKeyID, 1);
            PressKey(w, VK_F2);
            comboShown = dialog.pnToolTips->Visible();
            // Typing a letter picks the next key whose user id begins with it.
            dialog.cbxHexIDs->SetItemIndex(dialog.TypeAheadItem('b'));
            dialog.cbxHexIDs->OnChange(*dialog.cbxHexIDs);
            comboText = dialog.pnUserID->Caption();
            PumpPending();
            picture = Picture(w, "autolist_combo");
            dialog.TakeComboKey();
            after = grid.Cells(acChosen, 1) + grid.Cells(acKeyID, 1);
            PostClick(*dialog.fbOk);
        })
        .Then("TMessageDialog", "", [&](HWND w) { PressKey(w, VK_RETURN); });
    EXPECT_TRUE(AddAddressBookToAutoList(main, keys, *list, 0, 1));
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(before, "(no key)|-");
    EXPECT_TRUE(comboShown);
    EXPECT_EQ(comboText, "Bob <bob@example.net>");
    EXPECT_EQ(after, "I0x22222222");
    EXPECT_FALSE(picture.empty());
    // The entry goes in by its name and by its address.
    const std::string text = LoadedList(path)->GetTextStr();
    EXPECT_NE(text.find("Carl Cook\\1x2222222222222222+s"), std::string::npos) << text;
    EXPECT_NE(text.find("carl@example.com\\1x2222222222222222+s"), std::string::npos) << text;
}

} // namespace
