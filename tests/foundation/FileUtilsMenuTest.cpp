// Tests of the shell's interactive pieces (under Wine with a display): the Explorer context menu
// inside our menus (filled when first selected, commands to the caller's handler, every close path
// releases it) and the folder browser's start folder and result.
#include "foundation/FileUtilsWin.h"

#include "foundation/StrUtilWin.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <objbase.h>

#include <vector>

namespace {

// Ends the modal menu loop once it runs: a tick that comes while the shell still builds the menu
// waits for the next one, so that a slow machine never leaves the loop running.
void CALLBACK EndMenuLoop(HWND, UINT, UINT_PTR ID, DWORD)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetCurrentThreadId(), &info) || !(info.flags & GUI_INMENUMODE))
        return;
    KillTimer(nullptr, ID);
    EndMenu();
}

void PumpFor(DWORD Milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < Milliseconds);
}

class ShellContextMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        window_ = CreateWindowExA(0, "STATIC", "menu owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
            nullptr, nullptr);
        parent_ = CreatePopupMenu();
        AppendMenuA(parent_, MF_STRING, 100, "First");
        AppendMenuA(parent_, MF_STRING, 101, "Last");
        file_ = GetTempFolder() + "context_menu_" + std::to_string(GetCurrentProcessId()) + ".txt";
        WriteWholeFile(file_, "content");
    }
    void TearDown() override
    {
        DestroyWindow(window_);
        DestroyMenu(parent_);
        DeleteFileA(file_.c_str());
        CoUninitialize();
    }
    bool Attached() const { return GetPropA(window_, "ContextMenuDataProp") != nullptr; }
    HMENU Submenu() const { return GetSubMenu(parent_, 1); }
    bool Show(const std::string& file, bool deleteEmpty = false)
    {
        return ShowShellContextMenu(file, "Open with", window_, parent_, 1, 256, nullptr, cmaLeft,
            [this](HWND, UINT id) {
                commands_.push_back(id);
                return true;
            },
            deleteEmpty);
    }
    // What the menu loop sends when the user rests the mouse on the submenu item.
    void SelectSubmenu(UINT flags = MF_POPUP | MF_MOUSESELECT)
    {
        SendMessageA(window_, WM_MENUSELECT, MAKEWPARAM(1, flags), reinterpret_cast<LPARAM>(parent_));
    }

    HWND window_ = nullptr;
    HMENU parent_ = nullptr;
    std::string file_;
    std::vector<UINT> commands_;
};

TEST_F(ShellContextMenu, SubmenuIsFilledOnFirstSelectionAndCommandsReachTheHandler)
{
    ASSERT_TRUE(Show(file_));
    EXPECT_TRUE(Attached());
    ASSERT_EQ(GetMenuItemCount(parent_), 3);
    HMENU submenu = Submenu();
    ASSERT_NE(submenu, nullptr);
    char caption[32] = {};
    GetMenuStringA(parent_, 1, caption, sizeof caption, MF_BYPOSITION);
    EXPECT_STREQ(caption, "Open with");
    EXPECT_EQ(GetMenuItemCount(submenu), 0) << "filled only when opened";

    SelectSubmenu();
    UINT delay = 400;
    SystemParametersInfoA(SPI_GETMENUSHOWDELAY, 0, &delay, 0);
    PumpFor(delay + 200);
    const int items = GetMenuItemCount(submenu);
    ASSERT_GT(items, 0);
    UINT firstCommand = 0;
    for (int i = 0; i < items && firstCommand == 0; ++i) {
        const UINT id = GetMenuItemID(submenu, i);
        if (id != 0 && id != static_cast<UINT>(-1))
            firstCommand = id;
    }
    EXPECT_GE(firstCommand, 256u);
    EXPECT_LE(firstCommand, 0x7FFFu);

    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(firstCommand, 0), 0);
    EXPECT_EQ(commands_, std::vector<UINT> { firstCommand });
    EXPECT_FALSE(Attached());
    EXPECT_EQ(GetMenuItemCount(parent_), 2) << "the submenu left the parent menu";
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(firstCommand, 0), 0);
    EXPECT_EQ(commands_.size(), 1u) << "the window is no longer subclassed";
}

TEST_F(ShellContextMenu, EveryClosePathReleasesTheMenu)
{
    struct Case {
        const char* name;
        void (*close)(HWND);
    };
    const Case cases[] = {
        { "exit menu loop", [](HWND w) {
             SendMessageA(w, WM_EXITMENULOOP, 0, 0);
             PumpFor(100);
         } },
        { "cancel mode", [](HWND w) { SendMessageA(w, WM_CANCELMODE, 0, 0); } },
        { "close call", [](HWND w) { EXPECT_TRUE(CloseShellContextMenu(w)); } },
        { "shown again", [](HWND) {} },
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Show(file_)) << c.name;
        if (std::string(c.name) == "shown again") {
            ASSERT_TRUE(Show(file_)); // the first one is torn down before the second comes
            EXPECT_EQ(GetMenuItemCount(parent_), 3);
            CloseShellContextMenu(window_);
        } else {
            c.close(window_);
        }
        EXPECT_FALSE(Attached()) << c.name;
        EXPECT_EQ(GetMenuItemCount(parent_), 2) << c.name;
    }
    EXPECT_FALSE(CloseShellContextMenu(window_));
    EXPECT_TRUE(commands_.empty());
}

TEST_F(ShellContextMenu, MissingFilesShowNothing)
{
    EXPECT_FALSE(Show(file_ + ".missing"));
    EXPECT_FALSE(Show(""));
    EXPECT_FALSE(Attached());
    EXPECT_EQ(GetMenuItemCount(parent_), 2);
}

TEST_F(ShellContextMenu, OnlyAPlaceholderAskedForIsDeletedWhenEmpty)
{
    const std::string empty = GetTempFolder() + "context_empty_" + std::to_string(GetCurrentProcessId()) + ".txt";
    WriteWholeFile(empty, "");
    ASSERT_TRUE(Show(empty));
    CloseShellContextMenu(window_);
    EXPECT_NE(GetFileAttributesA(empty.c_str()), INVALID_FILE_ATTRIBUTES) << "a user's empty file stays";

    ASSERT_TRUE(Show(empty, true));
    CloseShellContextMenu(window_);
    EXPECT_EQ(GetFileAttributesA(empty.c_str()), INVALID_FILE_ATTRIBUTES);

    ASSERT_TRUE(Show(file_, true));
    CloseShellContextMenu(window_);
    EXPECT_NE(GetFileAttributesA(file_.c_str()), INVALID_FILE_ATTRIBUTES) << "a file with content stays";
}

TEST_F(ShellContextMenu, PopupAtAPointClosesWithItsMenuLoop)
{
    SetTimer(nullptr, 0, 50, EndMenuLoop);
    const POINT cursor { -1, -1 };
    ShowWindow(window_, SW_SHOW);
    ASSERT_TRUE(ShowShellContextMenu(file_, "", window_, nullptr, 0, 256, &cursor, cmaRight, nullptr));
    PumpFor(100);
    EXPECT_FALSE(Attached());
}

// The caller destroys its menu once the menu loop is over, before the tear-down comes; the
// submenu must not go with it.
TEST_F(ShellContextMenu, APopupInsideTheCallersMenuLeavesItWhenTheMenuLoopEnds)
{
    SetTimer(nullptr, 0, 50, EndMenuLoop);
    const POINT cursor { -1, -1 };
    ShowWindow(window_, SW_SHOW);
    ASSERT_TRUE(
        ShowShellContextMenu(file_, "Open with", window_, parent_, 1, 256, &cursor, cmaLeft, nullptr));
    EXPECT_EQ(GetMenuItemCount(parent_), 2);
    HMENU stranger = CreatePopupMenu();
    AppendMenuA(stranger, MF_STRING, 100, "Other");
    DestroyMenu(parent_);
    parent_ = stranger;
    PumpFor(100);
    EXPECT_FALSE(Attached());
    EXPECT_EQ(GetMenuItemCount(stranger), 1);
}

TEST_F(ShellContextMenu, DestroyingTheWindowReleasesTheMenu)
{
    ASSERT_TRUE(Show(file_));
    DestroyWindow(window_);
    EXPECT_EQ(GetMenuItemCount(parent_), 2);
    window_ = nullptr;
}

// Presses a button of the thread's dialog once it is shown and, for OK, once its folder tree has
// selected the expected folder: the browser selects the start folder after it shows.
UINT_PTR g_dialogButton = IDCANCEL;
std::string g_selectedFolder;
bool g_answered = false;

std::string SelectedTreeItemText(HWND dialog)
{
    HWND tree = FindWindowExA(dialog, nullptr, "SysTreeView32", nullptr);
    const HTREEITEM item = tree ? TreeView_GetSelection(tree) : nullptr;
    char text[MAX_PATH] = {};
    TVITEMA data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    return item && TreeView_GetItem(tree, &data) ? text : "";
}

BOOL CALLBACK PressDialogButton(HWND Window, LPARAM)
{
    char className[16] = {};
    GetClassNameA(Window, className, sizeof className);
    if (std::string(className) != "#32770" || !IsWindowVisible(Window))
        return TRUE;
    if (g_dialogButton == IDOK && SelectedTreeItemText(Window) != g_selectedFolder)
        return FALSE; // shown, not yet on the folder: the next tick looks again
    PostMessageA(Window, WM_COMMAND, MAKEWPARAM(g_dialogButton, BN_CLICKED), 0);
    g_answered = true;
    return FALSE;
}

void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR ID, DWORD)
{
    if (!EnumThreadWindows(GetCurrentThreadId(), PressDialogButton, 0) && g_answered)
        KillTimer(nullptr, ID);
}

TEST(BrowseForFolder, StartsWhereTheFileIsFoundAndReturnsTheChoice)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // On the drive's root, not in the temporary folder: the browser walks every folder on the way to
    // the start folder, and the temporary folder holds whatever other tests left there.
    const std::string folder = "C:\\zavek-browse-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteWholeFile(folder + "\\marker.cfg", "x");

    g_selectedFolder = "zavek-browse-" + std::to_string(GetCurrentProcessId());
    g_dialogButton = IDOK;
    g_answered = false;
    SetTimer(nullptr, 0, 200, AnswerDialog);
    EXPECT_EQ(BrowseForFolderDialog(nullptr, folder, "marker.cfg", "Choose"), folder + "\\");

    g_dialogButton = IDCANCEL;
    g_answered = false;
    SetTimer(nullptr, 0, 200, AnswerDialog);
    EXPECT_EQ(BrowseForFolderDialog(nullptr, folder, "marker.cfg", "Choose"), "");

    DeleteFileA((folder + "\\marker.cfg").c_str());
    RemoveDirectoryA(folder.c_str());
    CoUninitialize();
}

} // namespace
