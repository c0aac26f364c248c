// What the dialogs need of the plug-in's main object (`TMainClass`): the texts, the colour option,
// the fixed font, the chain of active dialog windows, the host's frame window, the key menu and
// the help and link routines. The main object implements it; tests give a stand-in.
#pragma once

#include "foundation/ZAVEKResources.h"

#include <string>

#include <windows.h>

class IDialogMainObject {
public:
    virtual ~IDialogMainObject() = default;

    virtual const TZAVEKStringList& Texts() const = 0;
    // The `StandardColor` option: system button face instead of the plug-in's own tint.
    virtual bool StandardColor() const = 0;
    virtual std::string FixedFontName() const = 0;

    // The window of the dialog shown last (0 when none): each new dialog is owned by it.
    virtual HWND ActiveDialogWindow() const = 0;
    virtual void SetActiveDialogWindow(HWND window) = 0;
    // The mail client's frame window (0 when not known yet).
    virtual HWND GetHostWindow() const = 0;

    // Shows the key menu for a key id written as "[ 0x" + 16 hex digits + " ]" in text; false when
    // the text holds none.
    virtual bool ShowKeyMenuForText(HWND window, const std::string& text) = 0;
    virtual void OpenHtmlPage(const std::string& url) = 0;
    virtual void ShowPGPHelp(const std::string& topic) = 0;
    virtual void ShowManual(const std::string& topic) = 0;
    // The help handler's topic for a help context of 28 and up.
    virtual void ShowTopic(HWND window, int context) = 0;
    // The help handler's popup entries (contexts 1 to 27 show entry context - 1): the rich text of
    // an entry by index or by its id, and the height it needs; empty and 0 when there is none.
    virtual std::string HelpPopupText(int index) = 0;
    virtual std::string HelpPopupTextByName(const std::string& id) = 0;
    virtual int HelpPopupHeight(int index) = 0;
};
