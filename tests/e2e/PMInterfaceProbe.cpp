// A test plug-in for the stand-in mail client: FORMINIT builds the mail-client interface on the
// host's plug-in window, and the export PROBE runs one of its operations and reports the result on
// the status line ("probe NAME: ..."), which the stand-in logs next to the requests it answered.
#include "plugin/PMInterface.h"

#include "foundation/ZAVEKResources.h"

#include <windows.h>

#include <memory>
#include <sstream>
#include <string>

namespace {
std::unique_ptr<TPMInterface> g_interface;
HWND g_hostWindow = nullptr;

// Records the texts the interface shows, for the report.
struct TPromptRecorder : IUserPrompt {
    std::string Shown;
    void ShowError(const std::string& text) override { Shown += "error " + text + ";"; }
    void ShowInformation(const std::string& text) override { Shown += "info " + text + ";"; }
};

// One log line: line breaks, byte 26 and NUL shown as '/', '#' and '0'.
std::string Visible(std::string text)
{
    for (char& c : text)
        c = c == '\n' ? '/' : c == '\x1A' ? '#' : c == '\0' ? '0' : c == '\r' ? '~' : c;
    return text;
}

std::string Select(TPMInterface& pm)
{
    TPromptRecorder prompt;
    pm.Prompt = &prompt;
    std::string name, text;
    bool mailbox = false;
    pm.SelectFolder(name, mailbox, text);
    const std::string shown = prompt.Shown; // of the choice; the measure chooses once more
    const int lines = pm.MeasureHeaderLines();
    pm.Prompt = nullptr;
    return name + "|" + std::to_string(mailbox) + "|" + Visible(text) + "|" + shown + "|"
        + std::to_string(lines);
}

std::string SetOrNil(const void* p)
{
    return p ? "set" : "nil";
}

std::string Version(TPMInterface& pm)
{
    return pm.VersionText() + " build " + std::to_string(pm.HostBuild());
}

std::string Language(TPMInterface& pm)
{
    const bool own = pm.HostLanguageLibrary() == GetModuleHandleA(nullptr);
    return pm.LanguageCode() + " id " + std::to_string(pm.LanguageId()) + (own ? " own" : " library");
}

std::string Titles(TPMInterface& pm)
{
    const THostDialogTitles& t = pm.DialogTitles();
    return t.Reminder + "|" + t.Search + "|" + t.SendNow + "|" + t.Reply + "|" + t.Spelling + "|" + t.Print
        + "|" + t.UserName + "|" + pm.DialogFont().Name + " " + std::to_string(pm.DialogFont().PointSize);
}

std::string Folders(TPMInterface& pm)
{
    return pm.GetBaseFolder() + "|" + pm.GetMailFolder() + "|" + pm.GetNewMailFolder() + "|"
        + pm.GetMailUserName();
}

std::string Settings(TPMInterface& pm)
{
    std::ostringstream out;
    out << pm.GetHostSetting(60) << " ";
    pm.SetWordWrap(false);
    out << pm.GetWordWrap() << " " << pm.IsHostOption62() << " ";
    pm.SetSetting86Bit0(false);
    out << pm.GetSetting86Bit0() << " " << pm.GetShowObjects() << " " << pm.GetPrintMode() << " ";
    int block = 0;
    out << pm.GetReplyPlacement(block) << "/" << block << " ";
    const THostFontDesc font = pm.GetMessageFont();
    out << font.Name << " " << font.PointSize << " " << (font.Height < 0) << "|"
        << pm.GetHostSettingText(0, 260) << "|" << pm.GetHostCharset().substr(0, 8);
    return out.str();
}

std::string Buttons(TPMInterface& pm)
{
    pm.AddButton("Encrypt.bmp", "Encrypt and sign", 1031, 8201, WM_COMMAND, g_hostWindow);
    pm.AddButton("Decrypt.bmp", "Decrypt", 1025, 0, WM_COMMAND, g_hostWindow);
    return std::to_string(pm.Count()) + " " + std::to_string(pm.Capacity()) + " " + pm.GetButtonHint(1031)
        + "|" + pm.GetButtonHint(1025) + "|" + pm.GetButtonHint(1027);
}

std::string Menu(TPMInterface& pm)
{
    constexpr UINT RAW_VIEW = 153;
    pm.SetHostMenuItemCheck(RAW_VIEW, true);
    const bool on = pm.IsHostMenuItemChecked(RAW_VIEW);
    pm.SetHostMenuItemCheck(RAW_VIEW, false);
    return std::to_string(on) + std::to_string(pm.IsHostMenuItemChecked(RAW_VIEW));
}

std::string Windows(TPMInterface& pm)
{
    return "editor " + SetOrNil(pm.ActiveEditorWindow(nullptr)) + " reader "
        + SetOrNil(pm.ActiveReaderWindow(nullptr)) + " folder " + SetOrNil(pm.ActiveFolderWindow(nullptr))
        + " mail " + std::to_string(pm.IsMailWindowActive()) + " new "
        + std::to_string(pm.IsNewMessageEditor(nullptr)) + " identity " + pm.GetEditorIdentity(nullptr);
}

std::string Outside()
{
    TPMInterface outside(nullptr);
    return Folders(outside) + "|" + outside.GetIdentity() + "|" + Version(outside) + "|" + Language(outside);
}

// Outside the mail client with neither mail folder nor user name registered, asking twice.
std::string OutsideUnregistered()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(GetModuleHandleA("PMInterfaceProbe.dll"), path, MAX_PATH);
    std::string stage = path;
    stage = stage.substr(0, stage.rfind('\\', stage.rfind('\\') - 1) + 1);
    TZAVEKStrings texts(stage + "Plugin\\Resources\\ZAVEKStrings%s.txt", "En");
    TPMInterface outside(nullptr);
    outside.Strings = &texts;
    const std::string first = outside.GetMailFolder() + "|" + outside.GetMailUserName();
    return first + "|" + outside.GetMailFolder();
}

std::string Identity(TPMInterface& pm)
{
    const std::string identity = pm.GetIdentity();
    return pm.IdentitySection(identity) + "|" + pm.GetIdentityAddress(identity) + "|"
        + pm.GetDefaultBcc(identity) + "|" + pm.GetPrinterDeviceName() + "|" + pm.GetPrintingBanner() + "|"
        + std::to_string(pm.GetEditorTabWidth(nullptr)) + "|" + pm.GetIdentityAddress("<DEFAULT>") + "|"
        + pm.ReadPegasusIni("WinPMail 32-bit", "Set Language") + "|" + pm.GetAddressBookFolder();
}

std::string Run(const std::string& what)
{
    TPMInterface& pm = *g_interface;
    if (what == "version")
        return Version(pm);
    if (what == "language")
        return Language(pm);
    if (what == "titles")
        return Titles(pm);
    if (what == "folders")
        return Folders(pm);
    if (what == "strings")
        return pm.GetHostString(45) + "|" + pm.GetHostString(21) + "|" + pm.GetHostText(1);
    if (what == "settings")
        return Settings(pm);
    if (what == "buttons")
        return Buttons(pm);
    if (what == "remove")
        return pm.RemoveButtons(), std::to_string(pm.Count());
    if (what == "menu")
        return Menu(pm);
    if (what == "windows")
        return Windows(pm);
    if (what == "open")
        return std::to_string(pm.OpenNewMessage("bob@example.org", "Greetings", "Hello Bob"));
    if (what == "send")
        return pm.SendFromEditor(false, true),
               std::to_string(pm.GetHostSetting(32)) + std::to_string(pm.GetHostSetting(80));
    if (what == "command")
        return pm.PostHostCommand(309), "posted";
    if (what == "clear")
        return pm.ClearStatusText(), "cleared";
    if (what == "reader")
        return std::to_string(pm.IsReaderRaw(nullptr)) + std::to_string(pm.IsReaderToolbarOn(nullptr))
            + std::to_string(pm.IsReaderPanelOn(nullptr));
    if (what == "select")
        return Select(pm);
    if (what == "signature")
        return pm.GetSignatureText();
    if (what == "books") {
        // One log line: the line breaks are shown as '/'.
        std::string books = pm.GetAddressBookSettings() + "|" + pm.GetAddressBookFolders();
        for (char& c : books)
            c = c == '\n' ? '/' : c;
        return books;
    }
    if (what == "insert")
        return std::to_string(pm.SetEditorValue12("inserted text"));
    if (what == "outside")
        return Outside();
    if (what == "unregistered")
        return OutsideUnregistered();
    if (what == "banner") {
        SYSTEMTIME date = {};
        date.wYear = 2026, date.wMonth = 3, date.wDay = 7, date.wHour = 9, date.wMinute = 5;
        return pm.FormatPrintingBanner("Alice Example <alice@example.org>",
            "Gr\xFC\xDF"
            "e",
            date);
    }
    if (what == "identity")
        return Identity(pm);
    return "unknown";
}
} // namespace

extern "C" uint32_t WINAPI FORMINIT(uint32_t, uint32_t, HWND hostWindow, uint32_t, HWND* window, uint32_t)
{
    g_hostWindow = hostWindow;
    try {
        g_interface = std::make_unique<TPMInterface>(hostWindow, "C:\\Res\\");
    } catch (...) {
        return 0;
    }
    *window = nullptr;
    return 1;
}

extern "C" void WINAPI PROBE(const char* what)
{
    if (!g_interface || !what)
        return;
    try {
        g_interface->SetStatusText("probe " + std::string(what) + ": " + Run(what));
    } catch (...) {
        g_interface->SetStatusText("probe " + std::string(what) + ": exception");
    }
}
