// End to end through the stand-in mail client: a protected message opened in a reader is shown as
// its part tree by the reader's command, and each part is walked in its viewer as a user does.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

// The names in the temporary folder, where the viewers write the parts they show.
std::set<std::string> TemporaryFiles()
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(folder) + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.insert(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The default printer of the prefix for the test's time: Wine's PostScript driver with an A4
// printer description, writing into a file (a port that is a path), so that a print job can be
// read back. Taken away again at the end, driver and description too.
class TFilePrinter {
public:
    explicit TFilePrinter(const std::string& file)
    {
        char folder[MAX_PATH] = {};
        DWORD size = 0;
        const std::string description = ReadBuildFile(ZAVEK_TEST_DATA "/viewers/file-printer.ppd");
        if (description.empty()
            || !GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder, &size))
            return;
        // The driver takes its description from the driver folder, and copies it into its version's.
        descriptionCopies_ = { std::string(folder) + "\\zavek-e2e.ppd", std::string(folder) + "\\3\\zavek-e2e.ppd" };
        std::ofstream(descriptionCopies_[0], std::ios::binary) << description;
        DRIVER_INFO_3W driver = {};
        driver.cVersion = 3;
        driver.pName = const_cast<wchar_t*>(DRIVER);
        driver.pDriverPath = driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
        driver.pDataFile = const_cast<wchar_t*>(DESCRIPTION);
        driver.pDefaultDataType = const_cast<wchar_t*>(L"RAW");
        AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&driver));
        Remove();
        std::wstring port(file.begin(), file.end());
        PRINTER_INFO_2W printer = {};
        printer.pPrinterName = const_cast<wchar_t*>(NAME);
        printer.pPortName = port.data();
        printer.pDriverName = const_cast<wchar_t*>(DRIVER);
        printer.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
        printer.pDatatype = const_cast<wchar_t*>(L"RAW");
        if (HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer))) {
            ClosePrinter(added);
            Added = SetDefaultPrinterW(NAME) != FALSE;
        }
    }
    ~TFilePrinter()
    {
        Remove();
        DeletePrinterDriverW(nullptr, nullptr, const_cast<wchar_t*>(DRIVER));
        for (const std::string& copy : descriptionCopies_)
            DeleteFileA(copy.c_str());
    }
    TFilePrinter(const TFilePrinter&) = delete;
    TFilePrinter& operator=(const TFilePrinter&) = delete;

    bool Added = false;

private:
    static constexpr const wchar_t* NAME = L"ZAVEK e2e file printer";
    static constexpr const wchar_t* DRIVER = L"ZAVEK e2e PostScript";
    static constexpr const wchar_t* DESCRIPTION = L"zavek-e2e.ppd";
    std::vector<std::string> descriptionCopies_;

    static void Remove()
    {
        HANDLE printer = nullptr;
        PRINTER_DEFAULTSW access = { nullptr, nullptr, PRINTER_ALL_ACCESS };
        if (OpenPrinterW(const_cast<wchar_t*>(NAME), &printer, &access)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
    }
};

} // namespace

// A message with an HTML letter, a text file, a picture and a key, each named in German: the
// reader's "show the message" command opens its part tree with every caption as written and an
// icon on each part; View renders the letter (no markup), shows the text file, imports the key
// into the ring, and opens the picture, which prints (into a PostScript file) with Ctrl+P. Nothing
// the viewers wrote stays in the temporary folder.
TEST(Viewers, AMessageOpenedFromTheReaderIsWalkedPartByPartInItsViewers)
{
    THostSession session("viewers");
    const std::string message = ReadBuildFile(ZAVEK_VIEWER_MESSAGES "/message.cnm");
    ASSERT_FALSE(message.empty());
    session.WriteFile("message.cnm", message);
    CreateDirectoryA(session.File("captures").c_str(), nullptr);
    DeleteFileA(session.File("printed.ps").c_str());
    TFilePrinter printer(session.File("printed.ps"));
    ASSERT_TRUE(printer.Added);
    const std::string keyUser = "Vera Viewer <vera@example.org>";
    const std::string rings = session.UseKeyRings();
    ASSERT_EQ(session.ReadFile("pubring.pkr").find(keyUser), std::string::npos);
    const std::set<std::string> before = TemporaryFiles();

    const std::string tree = "\"Message parts\"";
    const std::string letter = "\"Text (html)\"";
    const std::string textFile = "\"Gr\xC3\xBC\xC3\x9F" "e.txt\"";
    const std::string picture = "\"Pr\xC3\xBC" "fbericht.png\"";
    const std::string script = "answer \"ZA-VEK - Question\" Yes\nanswer \"ZA-VEK - Information\" OK\n"
        "answer \"PGP Key Selection\" keys:32\nanswer \"PGP Key Selection\" OK\nanswer \"ZA-VEK - Error\" OK\n"
        + rings
        + "set newmailfolder \"" + session.File("") + "\"\nload\nforminit\nready\n"
        + "readmessage \"" + session.File("message.cnm") + "\"\ncommand 16397\n"
        + "tree " + tree + "\ncapture tree\n"
        + "treeselect " + tree + " 2\npress " + tree + " View\nwindow " + letter + " Bericht\n"
        + "texts " + letter + "\ncapture letter\nclosewindow " + letter + "\n"
        + "treeselect " + tree + " 3\npress " + tree + " View\nwindow " + textFile + " Viele\n"
        + "texts " + textFile + "\ncapture textfile\nclosewindow " + textFile + "\n"
        + "treeselect " + tree + " 5\npress " + tree + " View\nwindow \"PGP Key Selection\"\ncapture key\n"
        + "gone \"PGP Key Selection\"\nwindow " + tree + "\n"
        + "treeselect " + tree + " 4\npress " + tree + " View\nwindow " + picture + "\ncapture picture\n"
        + "ctrl 1\nanswer bericht.png keys:80\nwindow Print\nctrl 0\ncapture print\npress Print OK\n"
        + "window " + picture + "\nclosewindow " + picture + "\n"
        + "press " + tree + " Close\ngone " + tree + "\nquit\n";
    THostRun run = session.Run(script, 180000, "--captures \"" + session.File("captures") + "\"");
    SCOPED_TRACE(run.Text());
    EXPECT_EQ(run.ExitCode, 0);

    // The tree: every part with its caption as written and an icon, the selected look next to it.
    const auto items = run.LinesStartingWith("tree item ");
    ASSERT_EQ(items.size(), 6u);
    EXPECT_THAT(items[2], HasSubstr("\"Text (html)\""));
    EXPECT_THAT(items[3], HasSubstr(": Gr\xC3\xBC\xC3\x9F" "e.txt\""));
    EXPECT_THAT(items[4], HasSubstr(": Pr\xC3\xBC" "fbericht.png\""));
    EXPECT_THAT(items[5], HasSubstr(": vera.asc\""));
    for (const std::string& item : items) {
        int image = -1, selected = -1;
        ASSERT_EQ(sscanf(item.substr(item.rfind(" image ")).c_str(), " image %d/%d", &image, &selected), 2) << item;
        EXPECT_GE(image, 0) << item;
        EXPECT_EQ(selected, image + 1) << item;
    }
    // The letter rendered: its words, none of its markup.
    const auto letterTexts = run.LinesStartingWith("texts \"Text (html)\"");
    ASSERT_EQ(letterTexts.size(), 1u);
    EXPECT_THAT(letterTexts[0], HasSubstr("Hallo Welt,"));
    EXPECT_THAT(letterTexts[0], HasSubstr("der Bericht liegt bei."));
    EXPECT_THAT(letterTexts[0], Not(HasSubstr("<")));
    // An attached text file is shown in the charset its part names, not as its UTF-8 bytes.
    EXPECT_THAT(run.LinesStartingWith("texts \".plain file: " + textFile.substr(1)),
        Contains(HasSubstr("[Viele Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln")));
    // The key is in the ring.
    EXPECT_NE(session.ReadFile("pubring.pkr").find(keyUser), std::string::npos);
    // The picture went to the printer: a PostScript page with the picture on it, no error.
    const std::string printed = session.ReadFile("printed.ps");
    EXPECT_EQ(printed.rfind("%!PS", 0), 0u) << printed.substr(0, 200);
    EXPECT_THAT(printed, HasSubstr("%%Title: (Pr\\374fbericht.png)"));
    EXPECT_THAT(printed, HasSubstr("image"));
    EXPECT_GT(printed.size(), 160u * 120u);
    EXPECT_TRUE(run.LinesStartingWith("dialog text \"ZA-VEK - Error\"").empty());

    std::set<std::string> left;
    for (const std::string& name : TemporaryFiles())
        if (!before.count(name))
            left.insert(name);
    EXPECT_TRUE(left.empty()) << *left.begin();
}
