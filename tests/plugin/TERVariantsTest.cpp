// In a process of its own, so that no editor library is loaded before it: which library file is
// chosen, and an editor library without the two newest flag calls.
#include "plugin/TERInterface.h"
#include "support/ScratchFolder.h"
#include "support/StandInEditor.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string WindowsPath(std::string unixPath)
{
    std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
    return "Z:" + unixPath;
}

} // namespace

TEST(TERVariants, LibraryChoiceAndALibraryWithoutTheNewestFlags)
{
    const std::string variants = WindowsPath(std::string(ZAVEK_EDITOR_VARIANTS) + "/");
    const std::string minimal = variants + "minimal\\";
    TScratchFolder folder("ter-choice");
    ASSERT_TRUE(CopyFileA((minimal + "TER32.DLL").c_str(), (folder.path + "TER32.DLL").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((variants + "ter17\\TER17.DLL").c_str(), (folder.path + "TER17.DLL").c_str(), FALSE));

    // An older host takes the default name from the folder, loaded or not.
    EXPECT_EQ(TerApi::FindEditorLibrary(folder.path, "TER??.DLL", "TER32.DLL", false), folder.path + "TER32.DLL");
    // A newer host with nothing loaded: the default name from the folder.
    EXPECT_EQ(TerApi::FindEditorLibrary(folder.path, "TER??.DLL", "TER32.DLL", true), folder.path + "TER32.DLL");
    // A newer host whose other editor library is loaded uses that one by its file name.
    HMODULE ter17 = LoadLibraryA((folder.path + "TER17.DLL").c_str());
    ASSERT_NE(ter17, nullptr);
    EXPECT_EQ(TerApi::FindEditorLibrary(folder.path, "TER??.DLL", "TER32.DLL", true), "TER17.DLL");
    EXPECT_EQ(TerApi::FindEditorLibrary(folder.path, "TER??.DLL", "TER32.DLL", false), folder.path + "TER32.DLL");
    // A folder without any match.
    EXPECT_EQ(TerApi::FindEditorLibrary(folder.path, "HTS??.DLL", "HTS32.DLL", true), folder.path + "HTS32.DLL");
    FreeLibrary(ter17);

    // The library without TerSetFlags10, TerSetFlags11 and TerRowColToAbs: those switches are
    // skipped, and the result box goes in without carrying the selection.
    TTERInterface ter(minimal, false);
    ASSERT_NE(ter.Api().Editor, nullptr);
    EXPECT_EQ(ter.Api().TerSetFlags10, nullptr);
    EXPECT_EQ(ter.Api().TerSetFlags11, nullptr);
    EXPECT_EQ(ter.Api().TerRowColToAbs, nullptr);
    EXPECT_EQ(ter.Api().Html, nullptr); // no add-on in that folder
    EXPECT_EQ(ter.Converter()->Editor(), nullptr);
    TParentWindow parent;
    HWND editor = ter.Api().TerCreateWindowAlt(0, 0, 200, 100, -1, parent.window, WS_CHILD);
    ASSERT_NE(editor, nullptr);
    TStandInEditorLog log(ter.Api().Editor);
    log.Clear();
    ter.PrepareEditor(editor);
    const std::string calls = log.Text();
    EXPECT_NE(calls.find("TerSetFlags9(TRUE, 0x8)"), std::string::npos);
    EXPECT_EQ(calls.find("TerSetFlags10"), std::string::npos);
    EXPECT_EQ(calls.find("TerSetFlags11"), std::string::npos);
    ASSERT_TRUE(ter.SetEditorText(editor, "select me"));
    ter.SelectRange(7, 9);
    EXPECT_TRUE(ter.InsertInfoBox(editor, "info", true, 1440, 2));
    EXPECT_EQ(ter.GetSelectedText(editor, false, false), "PGP-Info:\t\tinfo\t\t\r\nselect me");
    DestroyWindow(editor);
}
