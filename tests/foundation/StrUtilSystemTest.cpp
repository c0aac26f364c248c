// Tests of StrUtil's system half under Wine: folders, whole files, registry reads against values
// the test writes, version resources and dialog templates of a small library built for the tests,
// system message texts, window and menu texts, keyboard chords and the clipboard.
#include "foundation/StrUtil.h"

#include "framework/StringLists.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <regex>

namespace {

std::string TestFolder()
{
    static const std::string folder = [] {
        std::string f = GetTempFolder() + "zavek-strutil-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(f.c_str(), nullptr);
        return f;
    }();
    return folder;
}

std::string ResourceLibraryPath() { return GetModuleFolder(nullptr) + "strutil_testres.dll"; }

HMODULE ResourceLibrary()
{
    static HMODULE module = LoadLibraryA(ResourceLibraryPath().c_str());
    return module;
}

TEST(StrUtilFolders, SystemTempModuleSpecial)
{
    std::string system = GetSystemFolder();
    ASSERT_FALSE(system.empty());
    EXPECT_EQ(system.back(), '\\');
    EXPECT_TRUE(IsExistingFile(system + "kernel32.dll"));

    std::string temp = GetTempFolder();
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_TRUE(IsExistingFolder(temp));

    std::string exe = GetModuleFileNameStr(nullptr);
    EXPECT_TRUE(StartsWithText(".exe", exe.substr(exe.size() - 4))) << exe;
    EXPECT_EQ(GetModuleFolder(nullptr), GetFolderPart(exe));

    std::string appData = GetSpecialFolder(CSIDL_APPDATA);
    ASSERT_FALSE(appData.empty());
    EXPECT_EQ(appData.back(), '\\');
    EXPECT_TRUE(IsExistingFolder(appData));
    EXPECT_EQ(GetSpecialFolder(0x7F), "") << "no such folder id";

    SetEnvironmentVariableA("ZAVEK_STRUTIL_TEST", "value");
    EXPECT_EQ(ExpandEnvVars("a%ZAVEK_STRUTIL_TEST%b"), "avalueb");
    EXPECT_EQ(ExpandEnvVars("%ZAVEK_NOT_SET_ANYWHERE%"), "%ZAVEK_NOT_SET_ANYWHERE%");
    EXPECT_EQ(ExpandEnvVars(""), "");

    char user[256];
    DWORD size = sizeof user;
    if (GetUserNameA(user, &size)) {
        EXPECT_TRUE(SameTextLocale(GetNetworkUserName(), user)) << GetNetworkUserName();
    }
}

TEST(StrUtilFiles, WholeFilesSizesAndExistence)
{
    const std::string dir = TestFolder();
    const std::string name = dir + "data.bin";
    const std::string data("a\0b\r\n\xFF", 6);

    ASSERT_TRUE(WriteWholeFile(name, data));
    EXPECT_EQ(ReadWholeFile(name), data);
    EXPECT_EQ(GetFileSizeByName(name), 6);
    EXPECT_TRUE(IsExistingFile(name));
    EXPECT_TRUE(IsExistingFile(dir + "*.bin")) << "wildcards";
    EXPECT_FALSE(IsExistingFile(dir + "*.none"));
    EXPECT_FALSE(IsExistingFile(""));
    EXPECT_FALSE(IsExistingFile(dir.substr(0, dir.size() - 1))) << "a folder is not a file";
    EXPECT_TRUE(IsExistingFolder(dir));
    EXPECT_TRUE(IsExistingFolder(dir.substr(0, dir.size() - 1)));
    EXPECT_FALSE(IsExistingFolder(name));
    EXPECT_TRUE(IsExistingFolder(GetDrivePart(dir) + "\\")) << "a drive root";

    ASSERT_TRUE(WriteWholeFile(name, ""));
    EXPECT_EQ(GetFileSizeByName(name), 0);
    EXPECT_EQ(ReadWholeFile(name), "");

    EXPECT_EQ(ReadWholeFile(dir + "missing.bin"), "");
    EXPECT_EQ(GetFileSizeByName(dir + "missing.bin"), -1);
    EXPECT_FALSE(WriteWholeFile(dir + "no-such-folder\\x.bin", "x"));

    const std::string other = dir + "other.bin";
    ASSERT_TRUE(WriteWholeFile(name, "first"));
    ASSERT_TRUE(WriteWholeFile(other, "second"));
    EXPECT_FALSE(MoveOrCopyFile(name, other, false)) << "target exists";
    EXPECT_TRUE(MoveOrCopyFile(name, other, true));
    EXPECT_EQ(ReadWholeFile(other), "first");
    EXPECT_FALSE(IsExistingFile(name));
    EXPECT_TRUE(DeleteFileStr(other));
    EXPECT_FALSE(DeleteFileStr(other));

    HANDLE h = OpenFileForRead(dir + "missing.bin");
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
}

class StrUtilRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        KeyPath = "Software\\ZAVEK-Test\\StrUtil-" + std::to_string(GetCurrentProcessId());
        for (HKEY root : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE }) {
            HKEY key;
            ASSERT_EQ(RegCreateKeyExA(root, KeyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                ERROR_SUCCESS);
            DWORD number = 0x12345678;
            RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), sizeof number);
            RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>("hello"), 6);
            // Stored without its terminating zero: the last character must survive.
            RegSetValueExA(key, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
            RegSetValueExA(key, "Binary", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\x01\x02\x03\x04"), 4);
            RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("default"), 8);
            RegCloseKey(key);
        }
    }
    void TearDown() override
    {
        for (HKEY root : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE })
            RegDeleteTreeA(root, KeyPath.c_str());
    }
    std::string KeyPath;
};

TEST_F(StrUtilRegistry, ReadsValuesTheTestWrote)
{
    for (HKEY root : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE }) {
        EXPECT_TRUE(RegKeyExists(root, KeyPath));
        EXPECT_FALSE(RegKeyExists(root, KeyPath + "\\missing"));
        EXPECT_EQ(RegReadDWord(root, KeyPath, "Number"), 0x12345678u);
        EXPECT_EQ(RegReadDWord(root, KeyPath, "Binary"), 0u) << "wrong type";
        EXPECT_EQ(RegReadDWord(root, KeyPath, "Missing"), 0u);
        EXPECT_EQ(RegReadDWord(root, KeyPath + "\\missing", "Number"), 0u);
        EXPECT_EQ(RegReadString(root, KeyPath, "Text"), "hello");
        EXPECT_EQ(RegReadString(root, KeyPath, "Bare"), "abc");
        EXPECT_EQ(RegReadString(root, KeyPath, ""), "default");
        EXPECT_EQ(RegReadString(root, KeyPath, "Missing"), "");
        EXPECT_EQ(RegReadString(root, KeyPath, "Number"), "\x78\x56\x34\x12") << "type not checked";
    }
}

TEST_F(StrUtilRegistry, ListsSubkeys)
{
    const std::string list = KeyPath + "\\List";
    struct Sub {
        const char* name;
        const char* ext;
    } subs[] = { { "alpha", ".a" }, { "beta", nullptr }, { " ", ".blank" }, { "gamma", ".g" } };
    for (const Sub& sub : subs) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (list + "\\" + sub.name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr),
            ERROR_SUCCESS);
        if (sub.ext)
            RegSetValueExA(key, "Extension", 0, REG_SZ, reinterpret_cast<const BYTE*>(sub.ext), 3);
        RegCloseKey(key);
    }

    TStringList names;
    EXPECT_EQ(RegListSubkeys(HKEY_CURRENT_USER, list, &names, ""), 4);
    EXPECT_EQ(names.Text(), "alpha\r\nbeta\r\ngamma\r\n") << "the blank name is skipped";

    TStringList values;
    EXPECT_EQ(RegListSubkeys(HKEY_CURRENT_USER, list, &values, "Extension"), 4);
    EXPECT_EQ(values.Text(), "alpha=.a\r\ngamma=.g\r\n");

    TStringList filtered;
    RegListSubkeys(HKEY_CURRENT_USER, list, &filtered, "Extension", [](const std::string& s) { return s != "gamma"; });
    EXPECT_EQ(filtered.Text(), "alpha=.a\r\n");
    EXPECT_EQ(filtered.UpdateCount(), 0);

    TStringList strict;
    strict.SetSorted(true);
    strict.SetDuplicates(dupError);
    strict.Add("beta");
    EXPECT_NO_THROW(RegListSubkeys(HKEY_CURRENT_USER, list, &strict, ""));
    EXPECT_EQ(strict.UpdateCount(), 0);

    EXPECT_EQ(RegListSubkeys(HKEY_CURRENT_USER, list + "\\missing", &names, ""), 0);
    EXPECT_EQ(RegListSubkeys(HKEY_CURRENT_USER, list, nullptr, ""), 0);
}

TEST(StrUtilTexts, SystemErrorTexts)
{
    EXPECT_EQ(SystemErrorText(0), "");
    std::string notFound = SystemErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_GT(notFound.size(), 1u);
    EXPECT_NE(notFound.back(), '.');
    EXPECT_GT(static_cast<unsigned char>(notFound.back()), ' ');
    EXPECT_EQ(SystemErrorText(0x2000ABCD), "#2000ABCD");
}

TEST(StrUtilTexts, ResourceStringsAndDialogTemplates)
{
    HMODULE module = ResourceLibrary();
    ASSERT_NE(module, nullptr) << ResourceLibraryPath();
    EXPECT_EQ(LoadStringText(module, 7), "Seventh text");
    EXPECT_EQ(LoadStringText(module, 8), "");

    struct Case {
        int id;
        std::string caption, face;
        int size;
    } cases[] = {
        { 101, "Plain Dialog", "MS Shell Dlg", 8 },
        { 102, "Extended Dialog", "Tahoma", 9 },
        { 103, "No Font", "", 0 },
        { 999, "", "", 0 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetDialogTemplateCaption(module, MAKEINTRESOURCEA(c.id)), c.caption) << c.id;
        TDialogFont font = GetDialogTemplateFont(module, MAKEINTRESOURCEA(c.id));
        EXPECT_EQ(font.FaceName, c.face) << c.id;
        EXPECT_EQ(font.PointSize, c.size) << c.id;
    }
}

TEST(StrUtilTexts, WindowAndMenuTexts)
{
    HWND parent = CreateWindowA("STATIC", "Parent Caption", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    HWND child = CreateWindowA("EDIT", "child text", WS_CHILD, 0, 0, 40, 20, parent, reinterpret_cast<HMENU>(42),
        nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetWindowTextStr(parent), "Parent Caption");
    EXPECT_EQ(GetClassNameUpper(child), "EDIT");
    EXPECT_EQ(GetClassNameUpper(nullptr), "");
    EXPECT_EQ(GetDlgItemTextStr(parent, 42), "child text");
    EXPECT_EQ(GetDlgItemTextStr(parent, 43), "");
    SetWindowTextA(parent, "");
    EXPECT_EQ(GetWindowTextStr(parent), "");
    DestroyWindow(parent);

    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 5, "&Save As...");
    EXPECT_EQ(GetMenuItemText(menu, 5, MF_BYCOMMAND), "&Save As...");
    EXPECT_EQ(GetMenuItemText(menu, 0, MF_BYPOSITION), "&Save As...");
    EXPECT_EQ(GetMenuItemText(menu, 6, MF_BYCOMMAND), "");
    DestroyMenu(menu);
}

TEST(StrUtilTexts, SendKeys)
{
    EXPECT_FALSE(SendKeys({}));
    const uint32_t shift[] = { VK_SHIFT };
    EXPECT_TRUE(SendKeys(shift));
}

TEST(StrUtilVersion, ResourceOfTheTestLibrary)
{
    TVersionRecord record;
    record.FileName = ResourceLibraryPath();
    record.Flags = 0x1FFF;
    ASSERT_EQ(ReadVersionStrings(record), 1);
    EXPECT_EQ(record.Translation, "040704B0");
    EXPECT_EQ(record.FixedInfo.dwFileVersionMS, (3u << 16) | 25u);
    EXPECT_EQ(record.FixedInfo.dwFileVersionLS, (7u << 16) | 1u);
    EXPECT_EQ(record.Strings[0], "") << "Comments absent";
    EXPECT_EQ(record.Strings[1], "Test Maker");
    EXPECT_EQ(record.Strings[3], "3.25.7.1");
    EXPECT_EQ(record.Strings[9], "Test Product");
    EXPECT_EQ(record.Strings[11], "special");

    TVersionRecord some;
    some.FileName = ResourceLibraryPath();
    some.Flags = VersionProductName;
    ASSERT_EQ(ReadVersionStrings(some), 1);
    EXPECT_EQ(some.Strings[9], "Test Product");
    EXPECT_EQ(some.Strings[1], "") << "not asked for";
    EXPECT_EQ(some.FixedInfo.dwFileVersionMS, 0u);

    TVersionRecord given;
    given.FileName = ResourceLibraryPath();
    given.Translation = "040904B0";
    given.Flags = VersionProductName;
    ASSERT_EQ(ReadVersionStrings(given), 1);
    EXPECT_EQ(given.Strings[9], "") << "a translation given on entry is used as it stands";

    TVersionRecord none;
    none.FileName = TestFolder() + "plain.txt";
    WriteWholeFile(none.FileName, "no resources");
    none.Flags = 0x1FFF;
    EXPECT_EQ(ReadVersionStrings(none), 0);

    EXPECT_EQ(GetFileVersionNumber(ResourceLibraryPath(), false), (3u << 16) | 25u);
    EXPECT_EQ(GetFileVersionNumber(ResourceLibraryPath(), true), 3u);
    EXPECT_EQ(GetFileVersionNumber(none.FileName, false), 0u);
    EXPECT_EQ(GetVersionTranslation(nullptr), "");
    EXPECT_EQ(GetFixedFileInfo(nullptr).dwSignature, 0u);
}

TEST(StrUtilVersion, WindowsVersion)
{
    EXPECT_GT(GetKernel32Version(), 0u);
    EXPECT_GE(GetWindowsMajorVersion(), 5);
    EXPECT_EQ(static_cast<uint32_t>(GetWindowsMajorVersion()), GetKernel32Version() >> 16);
    std::string numbers = WindowsVersionText(true, true, true, true);
    EXPECT_TRUE(std::regex_match(numbers, std::regex("[0-9]+\\.[0-9]+"))) << numbers;
    std::string full = WindowsVersionText(false, true, true, true);
    EXPECT_TRUE(std::regex_match(full, std::regex("Win[^ ]* \\([0-9]+\\.[0-9]+\\) SP [0-9]+ - (32|64)bit"))) << full;
    EXPECT_TRUE(StartsWithStr("Win", WindowsVersionText(false, false, false, false)));
}

std::string ClipboardText(const char* FormatName, UINT Format)
{
    UINT format = FormatName ? RegisterClipboardFormatA(FormatName) : Format;
    if (!OpenClipboard(nullptr))
        return "(clipboard busy)";
    std::string text = TextFromMemHandle(GetClipboardData(format), -1, false);
    CloseClipboard();
    return text;
}

// Other test programs may use the clipboard at the same time: a round trip is retried before
// it counts as failed.
template <typename Check>
void WithClipboardRetries(Check check)
{
    for (int attempt = 0; attempt < 3 && !check(false); ++attempt)
        Sleep(50);
    check(true);
}

TEST(StrUtilClipboard, HtmlAndRtfRoundTrip)
{
    const std::string html = "<html><b>x</b></html>";
    WithClipboardRetries([&](bool report) {
        bool put = PutHtmlOnClipboard(html);
        std::string framed = ClipboardText("HTML Format", 0);
        std::string plain = ClipboardText(nullptr, CF_TEXT);
        if (report) {
            EXPECT_TRUE(put);
            EXPECT_TRUE(StartsWithStr("Version:0.9\r\nStartHTML:0000000105\r\n", framed)) << framed;
            EXPECT_EQ(framed.size() > 105 ? framed.substr(105) : "", html);
            EXPECT_EQ(plain, html);
        }
        return put && framed.size() > 105 && framed.substr(105) == html && plain == html;
    });

    WithClipboardRetries([&](bool report) {
        bool put = PutRtfOnClipboard("{\\rtf1 x}");
        std::string rtf = ClipboardText("Rich Text Format", 0);
        std::string plain = ClipboardText(nullptr, CF_TEXT);
        std::string html = ClipboardText("HTML Format", 0);
        if (report) {
            EXPECT_TRUE(put);
            EXPECT_EQ(rtf, "{\\rtf1 x}");
            EXPECT_EQ(plain, "{\\rtf1 x}");
            EXPECT_EQ(html, "") << "emptied first";
        }
        return put && rtf == "{\\rtf1 x}" && plain == rtf && html.empty();
    });

    EXPECT_FALSE(PutHtmlOnClipboard(""));
}

} // namespace
