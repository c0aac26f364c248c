// The text viewer's view of the plug-in: the mail client's settings through its interface, the
// key ring through the PGP interface; the dialogs' common part is the main object's.
#include "plugin/ViewerMain.h"

#include "plugin/MainClass.h"

TViewerMain::TViewerMain(TMainClass& main)
    : main_(main)
{
}

const TZAVEKStringList& TViewerMain::Texts() const { return main_.Texts(); }
bool TViewerMain::StandardColor() const { return main_.StandardColor(); }
std::string TViewerMain::FixedFontName() const { return main_.FixedFontName(); }
HWND TViewerMain::ActiveDialogWindow() const { return main_.ActiveDialogWindow(); }
void TViewerMain::SetActiveDialogWindow(HWND window) { main_.SetActiveDialogWindow(window); }
HWND TViewerMain::GetHostWindow() const { return main_.GetHostWindow(); }
bool TViewerMain::ShowKeyMenuForText(HWND window, const std::string& text) { return main_.ShowKeyMenuForText(window, text); }
void TViewerMain::OpenHtmlPage(const std::string& url) { main_.OpenHtmlPage(url); }
void TViewerMain::ShowPGPHelp(const std::string& topic) { main_.ShowPGPHelp(topic); }
void TViewerMain::ShowManual(const std::string& topic) { main_.ShowManual(topic); }
void TViewerMain::ShowTopic(HWND window, int context) { main_.ShowTopic(window, context); }
std::string TViewerMain::HelpPopupText(int index) { return main_.HelpPopupText(index); }
std::string TViewerMain::HelpPopupTextByName(const std::string& id) { return main_.HelpPopupTextByName(id); }
int TViewerMain::HelpPopupHeight(int index) { return main_.HelpPopupHeight(index); }

TViewerFont TViewerMain::MessageFont()
{
    const THostFontDesc font = main_.PMInterface().GetMessageFont();
    return { font.Name, font.PointSize, font.Style };
}

bool TViewerMain::HostWordWrap() { return main_.PMInterface().GetWordWrap(); }

bool TViewerMain::HostShowObjects() { return main_.PMInterface().GetShowObjects(); }

TViewerPrintSettings TViewerMain::HostPrintSettings()
{
    TPMInterface& host = main_.PMInterface();
    TViewerPrintSettings settings;
    settings.PrinterName = host.GetPrinterDeviceName();
    const THostFontDesc font = host.GetPrinterFont();
    settings.FontName = font.Name;
    settings.FontSize = font.PointSize;
    settings.Header = host.GetPrintHeader();
    settings.Footer = host.GetPrintFooter();
    int leftRight = 0, topBottom = 0;
    host.GetPrintMargins(leftRight, topBottom);
    settings.MarginLeft = settings.MarginRight = leftRight;
    settings.MarginTop = settings.MarginBottom = topBottom;
    settings.PrintMode = host.GetPrintMode();
    return settings;
}

std::string TViewerMain::FormatPrintingBanner(const std::string& from, const std::string& subject, const SYSTEMTIME& date)
{
    return main_.PMInterface().FormatPrintingBanner(from, subject, date);
}

void TViewerMain::SelectFolder(std::string& name, bool& mailbox, std::string& text)
{
    main_.PMInterface().SelectFolder(name, mailbox, text);
}

std::string TViewerMain::MailboxFileName(const std::string& name) { return main_.PMInterface().GetMbxFileName(name); }

void TViewerMain::BeginCacheHold() { main_.PGPInterface().BeginCacheHold(); }

void TViewerMain::EndCacheHold() { main_.PGPInterface().EndCacheHold(); }

bool TViewerMain::EncryptToDefaultKey(const std::string& text, std::string& result, HWND parent)
{
    // The option holds the user id, a backslash and the key id.
    const std::string& user = main_.Values().DefaultUser;
    const std::string keyID = user.substr(user.rfind('\\') + 1);
    return main_.PGPInterface().EncryptTextToKey(text, keyID, result, parent) == 0 && !result.empty();
}

void TViewerMain::RestartMailClient() { main_.RestartMailClient(main_.PMInterface().GetIdentity(), main_.GetHostWindow()); }

const TMsgTreeData& TViewerMain::TreeCaptions()
{
    captions_ = main_.MessageTreeSettings().TreeData;
    return captions_;
}
