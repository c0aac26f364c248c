// `TZAVEKHelp`: the plug-in's help handler over its own help file, popups and pages in the
// resources folder, in the mail client's language with English as fall-back; the help and manual
// pages open in the user's browser, as do the pages and addresses the plug-in's dialogs link to.
#pragma once

#include "ui/controls/HelpCtrl.h"

#include <windows.h>

#include <string>

class THtsTerConverter;

// The help files of a language in a resources folder; each fall-back is taken only when the file
// before it does not exist.
struct TZAVEKHelpFiles {
    std::string HelpPage; // "ZAVEKHelp" + language + ".htm", else English
    std::string ManualPage; // "ZAVEKManual" + language + ".htm", else English
    std::string HelpFile; // ".chm" of the language, English ".chm", ".hlp" of the language, English ".hlp"
    std::string PopupsFile; // "POPUPS" + language + ".htm", no fall-back
};
TZAVEKHelpFiles ChooseHelpFiles(const std::string& resourcesFolder, const std::string& language);

// The address of a page or URL argument: the argument itself for "http", "ftp" and "mailto"; for a
// name whose extension begins with ".htm", "file:///" + the resources folder + the name (never
// outside that folder); otherwise empty.
std::string HtmlPageTarget(const std::string& argument, const std::string& resourcesFolder);

// An address as one command-line argument in double quotes; empty for an address that holds a
// double quote or a control character, which could add options of the browser's.
std::string BrowserArgument(const std::string& address);

// One paragraph of the popups page as the rich text of a help tooltip: bold stays bold, links
// and other tags leave their text, entities are decoded.
std::string PopupHtmlToRichText(const std::string& html);

class TZAVEKHelp : public THelpHandler {
public:
    static constexpr const char* PRODUCT_NAME = "Selvadrin";
    static constexpr const char* WINDOW_TYPE = "SIMPLE";
    static constexpr int POPUP_WIDTH = 444;
    static constexpr DWORD REDIRECT_PAGE_LIFE_MS = 1000;

    // The help window's title is the product name; the plug-in's pages answer contexts 28 to 33.
    // converter: the editor library's, which lays out the popups (nil: the plug-in's own reading).
    TZAVEKHelp(HWND owner, const std::string& language, const std::string& resourcesFolder,
        THtsTerConverter* converter = nullptr);

    const TZAVEKHelpFiles& Files() const { return files_; }

    // The program associated with the help page; empty when there is none.
    std::string GetBrowser() const;
    // The help page without a topic, else the manual page at the topic; true when the browser started.
    bool ShowManualPage(const std::string& topic);
    // Opens a page of the resources folder or an address (a "mailto" one through the shell first);
    // true when something was started.
    bool OpenHtmlPage(const std::string& argument);

private:
    TZAVEKHelp(HWND owner, const std::string& resourcesFolder, const TZAVEKHelpFiles& files,
        THtsTerConverter* converter);
    bool StartBrowser(const std::string& browser, const std::string& address);
    // The browser that cannot take an address with a topic gets a page that redirects to it.
    bool StartThroughRedirectPage(const std::string& browser, const std::string& address, const std::string& linkText);

    HWND owner_;
    std::string resourcesFolder_;
    TZAVEKHelpFiles files_;
};
