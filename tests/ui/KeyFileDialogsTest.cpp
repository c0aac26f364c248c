// The key-file dialogs under Wine: each one is shown and looked at while it runs (title, file
// types, suggested name, start folder, the files its filter lets through) and then answered.
#include "ui/dialogs/KeyFileDialogs.h"

#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "framework/harness/DialogAnswerer.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <vector>

namespace {

// What a running file dialog shows.
struct TShown {
    std::vector<std::string> Types; // the descriptions of the file-type box
    std::string Name; // the name box
    std::string Folder;
    int Files = -1; // entries of the file list
};

BOOL CALLBACK TakeListView(HWND Window, LPARAM Found)
{
    char name[32] = {};
    GetClassNameA(Window, name, sizeof name);
    if (lstrcmpiA(name, WC_LISTVIEWA) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(Found) = Window;
    return FALSE;
}

TShown Look(HWND Dialog)
{
    TShown shown;
    const HWND types = GetDlgItem(Dialog, cmb1);
    const int count = static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        shown.Types.push_back(text);
    }
    char text[MAX_PATH] = {};
    SendMessageA(Dialog, CDM_GETSPEC, MAX_PATH, reinterpret_cast<LPARAM>(text));
    shown.Name = text;
    SendMessageA(Dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(text));
    shown.Folder = WithTrailingBackslash(text);
    HWND list = nullptr;
    EnumChildWindows(Dialog, TakeListView, reinterpret_cast<LPARAM>(&list));
    if (list)
        shown.Files = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    return shown;
}

void Accept(HWND Dialog, const std::string& Name)
{
    SendMessageA(Dialog, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(Name.c_str()));
    SendMessageA(Dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(Name.c_str()));
    PostMessageA(
        Dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(Dialog, IDOK)));
}

void Cancel(HWND Dialog)
{
    PostMessageA(Dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

class KeyFileDialogs : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = GetTempFolder() + "keyfiledialogs_" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
        for (const char* name : Files)
            WriteWholeFile(folder_ + name, "x");
        SetCurrentDirectoryA(folder_.c_str());
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(GetTempFolder().c_str());
        for (const char* name : Files)
            DeleteFileA((folder_ + name).c_str());
        for (const char* name : { "Alice _a@b_.asc", "mycert.cer" })
            DeleteFileA((folder_ + name).c_str());
        RemoveDirectoryA(folder_.c_str());
    }

    static constexpr const char* Files[] = { "ring.kbx", "pub.pkr", "notes.txt", "key.asc" };
    std::string folder_;
    TShown shown_;
};

TEST_F(KeyFileDialogs, OpenKeyFileOffersKeyTypesAndTheClipboard)
{
    DialogAnswerer answerer;
    answerer.Then("#32770", "Import", [&](HWND window) {
        shown_ = Look(window);
        ClickButton(window, "From clipboard");
    });
    EXPECT_EQ(OpenKeyFileDialog("Import", "From &clipboard", nullptr), ":CLIP:");
    ASSERT_EQ(shown_.Types.size(), 2u);
    EXPECT_EQ(shown_.Types[0], "asc, gpg, pgp, pkr, pubkr, cer, der, pem, pfx, p7b, p12");
    EXPECT_EQ(shown_.Types[1], "*.*");
    EXPECT_EQ(shown_.Files, 2) << "key.asc and pub.pkr";
}

TEST_F(KeyFileDialogs, SaveArmoredSuggestsAValidNameWithAsc)
{
    DialogAnswerer answerer;
    answerer.Then("#32770", "Export", [&](HWND window) {
        shown_ = Look(window);
        Accept(window, shown_.Name);
    });
    EXPECT_EQ(SaveArmoredFileDialog("Export", "", "Alice <a@b>", nullptr), folder_ + "Alice _a@b_.asc");
    EXPECT_EQ(shown_.Name, "Alice _a@b_.asc");
    ASSERT_FALSE(shown_.Types.empty());
    EXPECT_EQ(shown_.Types[0], "asc, gpg, pgp");
}

TEST_F(KeyFileDialogs, SaveCertificateAddsCerToATypedName)
{
    DialogAnswerer answerer;
    answerer.Then("#32770", "Certificate", [&](HWND window) {
        shown_ = Look(window);
        Accept(window, "mycert");
    });
    EXPECT_EQ(SaveCertificateFileDialog("Certificate", "", "Bob", nullptr), folder_ + "mycert.cer");
    EXPECT_EQ(shown_.Name, "Bob.cer");
    ASSERT_FALSE(shown_.Types.empty());
    EXPECT_EQ(shown_.Types[0], "cer, pem");
}

TEST_F(KeyFileDialogs, SaveAsStartsInTheGivenFolderAndFilterDialogShowsThePatterns)
{
    DialogAnswerer answerer;
    answerer.Then("#32770", "Save as", [&](HWND window) {
        shown_ = Look(window);
        Cancel(window);
    });
    EXPECT_EQ(SaveFileAsDialog("C:\\elsewhere\\part.txt", folder_, "Save as", nullptr), "");
    EXPECT_EQ(shown_.Folder, folder_);
    EXPECT_EQ(shown_.Name, "part.txt");
    EXPECT_EQ(shown_.Types, std::vector<std::string> { "*.*" });

    DialogAnswerer filtered;
    filtered.Then("#32770", "Save page", [&](HWND window) {
        shown_ = Look(window);
        Cancel(window);
    });
    EXPECT_EQ(SaveFileFilterDialog(folder_ + "page.htm", "Save page", "*.HTM;*.html", nullptr), "");
    EXPECT_EQ(shown_.Types, std::vector<std::string> { "*.htm,*.html" });
    EXPECT_EQ(shown_.Name, "page.htm");
}

TEST_F(KeyFileDialogs, KeyringDialogOffersTheCurrentRingsOwnExtension)
{
    DialogAnswerer answerer;
    answerer.Then("#32770", "Key ring", [&](HWND window) {
        shown_ = Look(window);
        Cancel(window);
    });
    EXPECT_EQ(OpenKeyringFileDialog("Key ring", "C:\\", folder_ + "ring.kbx", krPublicKeyring, nullptr), "");
    EXPECT_EQ(shown_.Folder, folder_);
    ASSERT_FALSE(shown_.Types.empty());
    EXPECT_EQ(shown_.Types[0], "pgp, pkr, pubkr, gpg");
    EXPECT_EQ(shown_.Files, 2) << "ring.kbx by its own extension and pub.pkr";

    DialogAnswerer missing;
    missing.Then("#32770", "Groups", [&](HWND window) {
        shown_ = Look(window);
        Cancel(window);
    });
    EXPECT_EQ(
        OpenKeyringFileDialog("Groups", folder_, "C:\\no such folder\\groups.pgr", krGroups, nullptr), "");
    EXPECT_EQ(shown_.Folder, folder_) << "the default folder when the current one is gone";
    EXPECT_EQ(shown_.Files, 0);
    EXPECT_EQ(OpenKeyringFileDialog("Groups", folder_, "", static_cast<TKeyringKind>(7), nullptr), "");
}

} // namespace
