// The open and save dialogs under Wine: access keys, default extensions and buffer results as
// tables, then real dialogs answered by a timer: the clipboard button and its access key, a typed
// name, two chosen files, the start folder, centring over the owner and cancelling.
#include "ui/dialogs/FileDialogs.h"

#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "framework/harness/DialogAnswerer.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <cstdlib>

namespace {

TEST(FileDialogs, AccessKeyOfTheButtonCaption)
{
    const std::pair<const char*, char> cases[] = { { "&clip", 'C' }, { "Key from &clipboard", 'C' },
        { "From clipboard", 0 }, { "a&&b", 0 }, { "&&x &y", 'Y' }, { "end&", 0 }, { "", 0 } };
    for (const auto& [caption, key] : cases) {
        EXPECT_EQ(AccessKeyOf(caption), key) << caption;
        TOpenDialogEx dialog;
        dialog.SetClipBtnText(caption);
        EXPECT_EQ(dialog.AccessKey(), key) << caption;
    }
}

TEST(FileDialogs, DefaultExtensionKeepsThreeLetters)
{
    const std::pair<const char*, const char*> cases[] = { { ".txt", "txt" }, { "txt", "txt" },
        { "text", "tex" }, { ".asc", "asc" }, { "", "" }, { ".", "" }, { "p7", "p7" } };
    for (const auto& [given, kept] : cases) {
        TSaveDialogEx dialog;
        dialog.SetDefaultExtension(given);
        EXPECT_EQ(dialog.DefaultExtension(), kept) << given;
    }
}

TEST(FileDialogs, ResultOfTheBuffer)
{
    struct Case {
        std::string Buffer;
        std::string Result;
        std::string Folder;
    } cases[] = {
        { std::string("C:\\keys\\a.asc\0\0", 16), "C:\\keys\\a.asc", "C:\\keys\\" },
        { std::string("C:\\keys\0a.asc\0b.asc\0\0", 22), "C:\\keys\\a.asc\nC:\\keys\\b.asc", "C:\\keys\\" },
        { std::string("C:\\\0a.asc\0b.asc\0\0", 18), "C:\\a.asc\nC:\\b.asc", "C:\\" },
        { std::string("\0\0", 2), "", "unchanged" },
    };
    for (const Case& c : cases) {
        std::string folder = "unchanged";
        EXPECT_EQ(FileDialogResult(c.Buffer.data(), c.Buffer.size(), folder), c.Result);
        EXPECT_EQ(folder, c.Folder);
    }
}

TEST(FileDialogs, RecordOfANewDialog)
{
    TOpenDialogEx dialog;
    EXPECT_EQ(dialog.Record().lStructSize, sizeof(OPENFILENAMEA));
    EXPECT_EQ(dialog.Record().hInstance, GetModuleHandleA(nullptr));
    EXPECT_EQ(dialog.FilterIndex, 0);
}

// A scratch folder with two files, removed at the end.
class LiveFileDialogs : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = GetTempFolder() + "filedialogs_" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
        for (const char* name : { "a.asc", "b.asc" })
            WriteWholeFile(folder_ + name, "key");
        char current[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, current);
        previousDirectory_ = current;
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 40, 30, 700, 500, nullptr,
            nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(owner_);
        SetCurrentDirectoryA(previousDirectory_.c_str());
        for (const char* name : { "a.asc", "b.asc", "typed.asc" })
            DeleteFileA((folder_ + name).c_str());
        RemoveDirectoryA(folder_.c_str());
    }

    static void TypeNameAndAccept(HWND Dialog, const std::string& Name)
    {
        SendMessageA(Dialog, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(Name.c_str()));
        SendMessageA(Dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(Name.c_str()));
        PostMessageA(Dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
            reinterpret_cast<LPARAM>(GetDlgItem(Dialog, IDOK)));
    }

    std::string folder_;
    std::string previousDirectory_;
    HWND owner_ = nullptr;
};

TEST_F(LiveFileDialogs, ClipboardButtonGivesClipEvenThoughTheDialogClosed)
{
    TOpenDialogEx dialog;
    dialog.Title = "Import key";
    dialog.InitialDir = folder_;
    dialog.ParentHandle = owner_;
    dialog.SetClipBtnText("Key from &clipboard");
    bool centred = false, buttonShown = false;
    DialogAnswerer answerer;
    answerer.Then("#32770", "Import key", [&](HWND window) {
        RECT own {}, owner {};
        GetWindowRect(window, &own);
        GetWindowRect(owner_, &owner);
        centred = std::abs((own.left + own.right) - (owner.left + owner.right)) <= 2
            && std::abs((own.top + own.bottom) - (owner.top + owner.bottom)) <= 2;
        buttonShown = ClickButton(window, "Key from clipboard");
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, ClipboardFileName);
    EXPECT_TRUE(answerer.Done());
    EXPECT_TRUE(buttonShown);
    EXPECT_TRUE(centred);
}

TEST_F(LiveFileDialogs, AccessKeyOfTheButtonGivesClip)
{
    TSaveDialogEx dialog;
    dialog.Title = "Export key";
    dialog.InitialDir = folder_;
    dialog.SetClipBtnText("To &clipboard");
    DialogAnswerer answerer;
    answerer.Then(
        "#32770", "Export key", [](HWND window) { PostMessageA(window, WM_COMMAND, MAKEWPARAM('c', 1), 0); });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, ClipboardFileName);
}

TEST_F(LiveFileDialogs, TypedNameIsTheResultAndTheFolderBecomesCurrent)
{
    TSaveDialogEx dialog;
    dialog.Title = "Save key";
    dialog.Filter().Add("asc|*.asc");
    dialog.Filter().Add("*.*|*.*");
    dialog.FilterIndex = 1;
    const std::string typed = folder_ + "typed.asc";
    DialogAnswerer answerer;
    answerer.Then("#32770", "Save key", [&](HWND window) { TypeNameAndAccept(window, typed); });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, typed);
    EXPECT_EQ(dialog.InitialDir, folder_);
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(WithTrailingBackslash(current), folder_);
    EXPECT_EQ(dialog.FilterIndex, 1);
}

TEST_F(LiveFileDialogs, ANameLongerThanAPathSurvivesAChangeOfFileType)
{
    TSaveDialogEx dialog;
    dialog.Title = "Save long";
    dialog.InitialDir = folder_;
    dialog.Filter().Add("asc|*.asc");
    dialog.Filter().Add("*.*|*.*");
    const std::string name = "\"" + std::string(150, 'a') + ".asc\" \"" + std::string(150, 'b') + ".asc\"";
    std::string after;
    DialogAnswerer answerer;
    answerer.Then("#32770", "Save long", [&](HWND window) {
        SendMessageA(window, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(name.c_str()));
        SendMessageA(window, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(name.c_str()));
        const HWND types = GetDlgItem(window, cmb1);
        SendMessageA(types, CB_SETCURSEL, 1, 0);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
        char spec[1024] = {};
        SendMessageA(window, CDM_GETSPEC, sizeof spec, reinterpret_cast<LPARAM>(spec));
        after = spec;
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
            reinterpret_cast<LPARAM>(GetDlgItem(window, IDCANCEL)));
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(after, name);
}

TEST_F(LiveFileDialogs, TwoChosenFilesAreTwoFullPaths)
{
    TOpenDialogEx dialog;
    dialog.Title = "Import keys";
    dialog.InitialDir = folder_;
    dialog.Options = ofAllowMultiSelect;
    DialogAnswerer answerer;
    answerer.Then(
        "#32770", "Import keys", [](HWND window) { TypeNameAndAccept(window, "\"a.asc\" \"b.asc\""); });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, folder_ + "a.asc\n" + folder_ + "b.asc");
}

TEST_F(LiveFileDialogs, WithoutFolderAndNameItStartsInTheCurrentDirectory)
{
    SetCurrentDirectoryA(folder_.c_str());
    TOpenDialogEx dialog;
    dialog.Title = "Start folder";
    std::string shown;
    DialogAnswerer answerer;
    answerer.Then("#32770", "Start folder", [&](HWND window) {
        char path[MAX_PATH] = {};
        SendMessageA(window, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(path));
        shown = path;
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_FALSE(dialog.Execute()) << "cancelled";
    EXPECT_EQ(dialog.FileName, "");
    EXPECT_EQ(WithTrailingBackslash(shown), folder_);
}

} // namespace
