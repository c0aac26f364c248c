// Tests of FileUtils on Windows (under Wine): temporary and unique names, searches, whole files,
// ini sections, the registry's MIME list, type names and icons, shell links, the clipboard.
#include "foundation/FileUtilsWin.h"

#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "framework/Graphics.h"
#include "framework/Streams.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <shlobj.h>

#include <regex>
#include <vector>

namespace {

// A fresh folder under the temporary-files folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder()
    {
        path_ = GetTempFolder() + "fileutils_" + std::to_string(GetCurrentProcessId()) + "_"
            + std::to_string(counter_++) + ".d\\";
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder()
    {
        std::string from = path_.substr(0, path_.size() - 1);
        from.append(2, '\0');
        SHFILEOPSTRUCTA op {};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        SHFileOperationA(&op);
    }
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name, const std::string& content = "x") const
    {
        WriteWholeFile(path_ + name, content);
        return path_ + name;
    }

private:
    static inline int counter_ = 0;
    std::string path_;
};

bool Exists(const std::string& name)
{
    return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(FileUtilsWin, TempFileNamesAreFreshAndWellFormed)
{
    const std::string folder = GetTempFolder();
    const std::regex form(R"(\$[0-9A-F]{6}\$\.(txt|tmp|htm))");
    for (const char* ext : { "txt", "", ".htm" }) {
        const std::string name = MakeTempFileName(ext);
        ASSERT_EQ(name.substr(0, folder.size()), folder);
        const std::string bare = name.substr(folder.size());
        EXPECT_TRUE(std::regex_match(bare, form)) << bare;
        EXPECT_TRUE(IsTempFileName(bare));
        EXPECT_FALSE(Exists(name));
    }
    EXPECT_EQ(MakeTempFileName("").substr(folder.size() + 9), "tmp");
}

TEST(FileUtilsWin, DeleteTempFilesSparesNamesThatOnlyLookAlike)
{
    const std::string ours = MakeTempFileName("zzt");
    WriteWholeFile(ours, "temp");
    const std::string other = GetTempFolder() + "$other" + std::to_string(GetCurrentProcessId()) + "$.zzt";
    WriteWholeFile(other, "not ours");
    DeleteTempFiles("");
    EXPECT_FALSE(Exists(ours));
    EXPECT_TRUE(Exists(other));
    DeleteFileA(other.c_str());

    ScratchFolder scratch;
    const std::string inFolder = scratch.File("$00AB12$.txt");
    const std::string lower = scratch.File("$00ab13$.txt");
    const std::string shortName = scratch.File("$00AB1$.txt");
    DeleteTempFiles(scratch.Path().substr(0, scratch.Path().size() - 1)); // without the '\'
    EXPECT_FALSE(Exists(inFolder));
    EXPECT_TRUE(Exists(lower));
    EXPECT_TRUE(Exists(shortName));
}

TEST(FileUtilsWin, UniqueNamesCountPastTakenOnes)
{
    ScratchFolder scratch;
    EXPECT_EQ(MakeUniqueFileName(scratch.Path() + "a.txt"), scratch.Path() + "a.txt");
    scratch.File("a.txt");
    EXPECT_EQ(MakeUniqueFileName(scratch.Path() + "a.txt"), scratch.Path() + "a (1).txt");
    scratch.File("a (1).txt");
    EXPECT_EQ(MakeUniqueFileName(scratch.Path() + "a.txt"), scratch.Path() + "a (2).txt");

    CreateDirectoryA((scratch.Path() + "dir.d").c_str(), nullptr);
    const std::string inDottedFolder = scratch.Path() + "dir.d\\file";
    WriteWholeFile(inDottedFolder, "x");
    EXPECT_EQ(MakeUniqueFileName(inDottedFolder), inDottedFolder + " (1)");
}

TEST(FileUtilsWin, SearchesSkipDirectoriesAndDeleteOnlyFiles)
{
    ScratchFolder scratch;
    EXPECT_EQ(FindFirstMatchingFile(scratch.Path() + "*"), "");
    EXPECT_FALSE(DeleteMatchingFiles(scratch.Path() + "*"));

    CreateDirectoryA((scratch.Path() + "a.sub").c_str(), nullptr);
    scratch.File("b.txt");
    scratch.File("c.txt");
    const std::string found = FindFirstMatchingFile(scratch.Path() + "*.*");
    EXPECT_TRUE(found == scratch.Path() + "b.txt" || found == scratch.Path() + "c.txt") << found;

    WIN32_FIND_DATAA data {};
    HANDLE search = FindFirstEntry(scratch.Path() + "a.sub", data); // a lone directory: nothing follows
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);

    EXPECT_TRUE(DeleteMatchingFiles(scratch.Path() + "*"));
    EXPECT_FALSE(Exists(scratch.Path() + "b.txt"));
    EXPECT_FALSE(Exists(scratch.Path() + "c.txt"));
    EXPECT_TRUE(Exists(scratch.Path() + "a.sub"));
}

TEST(FileUtilsWin, ShellLinksAndTheirFolder)
{
    ScratchFolder scratch;
    const std::string folder = scratch.Path() + "Menu";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string link = folder + "\\Notepad.lnk";
    const std::string target = GetSystemFolder() + "notepad.exe";
    EXPECT_FALSE(CreateShellLink("", target, "", ""));
    EXPECT_FALSE(CreateShellLink(link, "", "", ""));
    ASSERT_TRUE(CreateShellLink(link, target, "/a b", target + ",2"));
    ASSERT_TRUE(Exists(link));

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        IShellLinkA* shellLink = nullptr;
        ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                      reinterpret_cast<void**>(&shellLink)),
            S_OK);
        IPersistFile* file = nullptr;
        shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        std::wstring wide(link.begin(), link.end());
        ASSERT_EQ(file->Load(wide.c_str(), STGM_READ), S_OK);
        char text[MAX_PATH] = {};
        int index = -1;
        shellLink->GetArguments(text, MAX_PATH);
        EXPECT_STREQ(text, "/a b");
        shellLink->GetIconLocation(text, MAX_PATH, &index);
        EXPECT_EQ(index, 2);
        file->Release();
        shellLink->Release();
    }
    CoUninitialize();

    EXPECT_TRUE(RemoveShortcutFolder(folder));
    EXPECT_FALSE(Exists(folder));
}

TEST(FileUtilsWin, WholeFilesAndTruncation)
{
    ScratchFolder scratch;
    std::string text;
    EXPECT_FALSE(ReadFileText(scratch.Path() + "missing", text));
    ASSERT_TRUE(WriteFileText(scratch.Path() + "f", "0123456789"));
    EXPECT_TRUE(ReadFileText(scratch.Path() + "f", text));
    EXPECT_EQ(text, "0123456789");
    {
        TFileStream stream(scratch.Path() + "f", fmOpenReadWrite);
        stream.SetPosition(4);
        EXPECT_TRUE(TruncateFileStream(stream));
    }
    ReadFileText(scratch.Path() + "f", text);
    EXPECT_EQ(text, "0123");
}

TEST(FileUtilsWin, IniSectionsRoundTripAndDelete)
{
    ScratchFolder scratch;
    const std::string ini = scratch.Path() + "test.ini";
    TStringList lines;
    for (const char* line : { "Name=Value", "", "Other=two words" })
        lines.Add(line);
    ASSERT_TRUE(WriteIniSectionList(ini, "Keys", &lines));
    EXPECT_EQ(ReadIniString(ini, "Keys", "Other"), "two words");
    EXPECT_EQ(ReadIniString(ini, "Keys", "Missing"), "");
    EXPECT_EQ(ReadIniSectionText(ini, "Keys"), std::string("Name=Value\0Other=two words\0", 27));
    auto read = ReadIniSectionList(ini, "Keys");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Count(), 2);
    EXPECT_EQ(read->Values("Name"), "Value");

    TStringList empty;
    empty.Add("");
    EXPECT_FALSE(WriteIniSectionList(ini, "Keys", &empty));
    EXPECT_TRUE(ReadIniSectionList(ini, "Keys")); // nothing was written over it

    EXPECT_TRUE(WriteIniSectionList(ini, "Keys", nullptr));
    EXPECT_FALSE(ReadIniSectionList(ini, "Keys"));
    EXPECT_FALSE(ReadIniSectionList(ini, "Never"));
}

// File types of our own in the class registry: a fresh prefix knows almost none.
class FileUtilsClasses : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Set(".zvktest", "", "zvktestfile");
        Set("zvktestfile", "", "ZAVEK Test Document");
        Set("zvktestfile\\DefaultIcon", "", "%SystemRoot%\\system32\\shell32.dll,0");
        Set("zvktestfile\\shell\\open\\command", "", "notepad.exe \"%1\"");
        Set(".zvkpic", "", "zvkpicfile");
        Set("zvkpicfile", "", "ZAVEK Test Picture");
        Set("zvkpicfile\\DefaultIcon", "", "%1");
        Set(mimeKey + "image/x-zvktest", "Extension", ".zvktest");
        Set(mimeKey + "Text/X-ZvkUpper", "Extension", ".zvkup");
        Set(mimeKey + "image/x-zvknoext", "Other", ".zvkno");
        Set(mimeKey + "application/x-zvktest", "Extension", ".zvkapp");
    }
    static void TearDownTestSuite()
    {
        for (const std::string key : { std::string(".zvktest"), std::string("zvktestfile"), std::string(".zvkpic"), std::string("zvkpicfile"), mimeKey + "image/x-zvktest",
                 mimeKey + "Text/X-ZvkUpper", mimeKey + "image/x-zvknoext", mimeKey + "application/x-zvktest" })
            RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
        DoneFileUtils();
    }
    static void Set(const std::string& key, const char* name, const std::string& value)
    {
        RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), *name ? name : nullptr, REG_SZ, value.c_str(),
            static_cast<DWORD>(value.size() + 1));
    }
    static inline const std::string mimeKey = "MIME\\Database\\Content Type\\";
};

TEST_F(FileUtilsClasses, MimeListHoldsMediaTypesWithAnExtensionOnly)
{
    DoneFileUtils();
    TMimeTypeExtensionList& list = MimeTypeExtensions();
    EXPECT_EQ(list.Values("image/x-zvktest"), ".zvktest");
    EXPECT_EQ(list.Values("text/x-zvkupper"), ".zvkup");
    EXPECT_EQ(list.IndexOfName("image/x-zvknoext"), -1);
    EXPECT_EQ(list.IndexOfName("application/x-zvktest"), -1);
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_TRUE(IsListedMimeTypeKey(list[i])) << list[i];
        if (i > 0) {
            EXPECT_LT(list.CompareStrings(list[i - 1], list[i]), 0);
        }
    }
    DoneFileUtils();
    EXPECT_EQ(MimeTypeExtensions().Values("image/x-zvktest"), ".zvktest"); // built again on use
}

TEST_F(FileUtilsClasses, TypeNamesFallBackToTheMimeSubtype)
{
    const std::string known = GetFileTypeName("letter.zvktest", "");
    EXPECT_EQ(known, "ZAVEK Test Document");
    EXPECT_EQ(GetFileTypeName("a.zzq9", "application/zvktest"), known);
    EXPECT_EQ(GetFileTypeName("C:\\dir.zvktest\\noext", "application/zvktest"), known);
    EXPECT_EQ(GetFileTypeName("a.zzq9", "application/"), "");
    EXPECT_EQ(GetFileTypeName("a.zzq9", ""), "");
}

TEST_F(FileUtilsClasses, DefaultIconsAndAssociatedPrograms)
{
    for (HICON icon : { GetDefaultIcon("x.zvktest", "", ""), GetDefaultIcon("", "", "zvktestfile") }) {
        EXPECT_NE(icon, nullptr);
        if (icon)
            DestroyIcon(icon);
    }
    EXPECT_EQ(GetDefaultIcon("x.zvkpic", "picture data", ""), nullptr);
    const std::string picture
        = ReadWholeFile(std::string("Z:") + ZAVEK_TEST_DATA + "\\foundation\\rtf_picture.png");
    if (HICON icon = GetDefaultIcon("x.zvkpic", picture, "")) // "%1": drawn from the picture itself
        DestroyIcon(icon);
    else
        ADD_FAILURE() << "no icon from the picture data";
    EXPECT_EQ(GetDefaultIcon("x.zzq9", "", ""), nullptr);
    EXPECT_EQ(GetDefaultIcon("noext", "", ""), nullptr);

    ScratchFolder scratch;
    const std::string document = scratch.File("doc.zvktest");
    EXPECT_NE(FindAssociatedExecutable(document).find("notepad"), std::string::npos);
    EXPECT_EQ(FindAssociatedExecutable(scratch.Path() + "missing.zvktest"), "");
}

// Width of an icon's colour or mask bitmap.
int IconWidth(HICON icon)
{
    ICONINFO info {};
    if (!GetIconInfo(icon, &info))
        return 0;
    BITMAP bitmap {};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

TEST(FileUtilsWin, IconsFromModulesAndTheShell)
{
    const std::string shell32 = "%SystemRoot%\\system32\\shell32.dll";
    HICON small = LoadIconFromModule(shell32, 1, 32, true);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(IconWidth(small), GetSystemMetrics(SM_CXSMICON));
    DestroyIcon(small);
    HICON large = LoadIconFromModule(shell32, 999999, 32, false); // no such group: group 1
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(IconWidth(large), GetSystemMetrics(SM_CXICON));
    DestroyIcon(large);
    EXPECT_EQ(LoadIconFromModule("C:\\no\\such.dll", 1, 32, true), nullptr);
    EXPECT_EQ(LoadIconFromModule(shell32, 1, 0, true), nullptr); // no image has 0 bits

    for (const char* name : { "a.txt", "b.zzq9", "x.folder" }) {
        HICON icon = GetFileSmallIcon(name, "", false, false);
        EXPECT_NE(icon, nullptr) << name;
        if (icon)
            DestroyIcon(icon);
    }
}

TEST(FileUtilsWin, FoldersModulesAndProgramFiles)
{
    const std::string documents = GetSpecialFolderPath(CSIDL_MYDOCUMENTS, false);
    ASSERT_FALSE(documents.empty());
    EXPECT_EQ(documents.back(), '\\');
    EXPECT_EQ(GetSpecialFolderPath(CSIDL_MYDOCUMENTS, true).back(), '\\');

    HMODULE kernel = AddModuleReference("kernel32.dll");
    EXPECT_EQ(kernel, GetModuleHandleA("kernel32.dll"));
    if (kernel)
        FreeLibrary(kernel);
    EXPECT_EQ(AddModuleReference("not_loaded_here.dll"), nullptr);

    const std::string exe = GetModuleFileNameStr(nullptr);
    EXPECT_EQ(FindProgramFile(GetFileNamePart(exe), "C:\\elsewhere\\"), exe);
    EXPECT_EQ(FindProgramFile("not_there.dll", "C:\\elsewhere\\"), "C:\\elsewhere\\not_there.dll");
}

TEST(FileUtilsWin, LongDisplayPaths)
{
    EXPECT_EQ(GetLongDisplayPath(""), "");
    EXPECT_EQ(GetLongDisplayPath("  \\\\server\\share\\x  "), "\\\\server\\share\\x");
    EXPECT_EQ(GetLongDisplayPath("C:\\no such folder\\x"), "C:\\no such folder\\x");

    ScratchFolder scratch;
    const std::string longName = scratch.Path() + "A long folder name";
    CreateDirectoryA(longName.c_str(), nullptr);
    char shortName[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameA(longName.c_str(), shortName, MAX_PATH), 0u);
    const std::string display = GetLongDisplayPath(std::string(shortName) + "\\");
    EXPECT_NE(display.find("A long folder name\\"), std::string::npos) << display;
    const std::string quoted = GetLongDisplayPath("\"" + std::string(shortName) + "\"");
    EXPECT_EQ(QuoteState(quoted), qsBoth) << quoted;
    EXPECT_NE(quoted.find("A long folder name\""), std::string::npos) << quoted;
}

TEST(FileUtilsWin, ClipboardTextKeepsTheSystemsConventions)
{
    std::string text;
    const std::string wide("W\0i\0d\0e\0\0\0", 10);
    ASSERT_TRUE(PutClipboardData(wide, cfUnicodeText, nullptr));
    ASSERT_TRUE(GetClipboardText(text, true, nullptr));
    EXPECT_EQ(text, wide); // UTF-16 units and the two-byte terminator
    ASSERT_TRUE(GetClipboardText(text, false, nullptr));
    EXPECT_EQ(text, "Wide");

    ASSERT_TRUE(PutClipboardData("ANSI \xE4", cfText, nullptr));
    ASSERT_TRUE(GetClipboardText(text, false, nullptr));
    EXPECT_EQ(text, "ANSI \xE4");
    EXPECT_FALSE(PutClipboardData("", cfText, nullptr));
    EXPECT_FALSE(PutClipboardData("x", 99, nullptr));

    EXPECT_TRUE(PutClipboardData("{\\rtf1 rich}", cfRichText, nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatA("Rich Text Format")));
    EXPECT_TRUE(PutClipboardData("<html><body>x</body></html>", cfHtml, nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatA("HTML Format")));

    TBitmap bitmap(8, 4);
    ASSERT_TRUE(PutClipboardData(bitmap, nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_FALSE(PutClipboardData(TBitmap(), nullptr));
}

TEST(FileUtilsWin, OpenAndFindPrograms)
{
    ScratchFolder scratch;
    EXPECT_TRUE(ShellOpenFile(nullptr, "", GetSystemFolder() + "cmd.exe", "/c exit", false));
    EXPECT_FALSE(ShellOpenFile(nullptr, "", scratch.Path() + "missing.exe", "", false));
}

} // namespace

// What lies in the temporary-files folder under the decoded-content prefix.
std::vector<std::string> DecodedFoldersInTemp()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((GetTempFolder() + "ZAVEK-decoded-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

TEST(FileUtilsWin, DecodedContentIsWipedWithItsFolderAndAfterADeadProcess)
{
    const std::vector<std::string> before = DecodedFoldersInTemp();
    ScratchFolder scratch;
    const std::string outside = scratch.Path() + "second-name.bin";
    {
        TDecodedTempFolder folder;
        const std::string part = folder.Path() + "part.txt";
        ASSERT_NE(folder.Path(), "");
        EXPECT_NE(DecodedFoldersInTemp(), before);
        WriteWholeFile(part, "decoded secret");
        // A second name of the same file shows what became of its bytes.
        ASSERT_TRUE(CreateHardLinkA(outside.c_str(), part.c_str(), nullptr));
    }
    EXPECT_EQ(DecodedFoldersInTemp(), before);
    EXPECT_EQ(ReadWholeFile(outside), std::string(14, '\0'));

    // A process that died left its folder with a part in it; a running one keeps its own.
    const std::string dead = GetTempFolder() + "ZAVEK-decoded-4294967292-1\\";
    ASSERT_TRUE(CreateDirectoryA(dead.c_str(), nullptr));
    WriteWholeFile(dead + "photo.png", "picture");
    TDecodedTempFolder running;
    WriteWholeFile(running.Path() + "open.txt", "still shown");
    EXPECT_GE(RemoveOrphanedDecodedTempFolders(), 1);
    EXPECT_FALSE(Exists(dead));
    EXPECT_TRUE(Exists(running.Path() + "open.txt"));
}
