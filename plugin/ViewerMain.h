// What the text viewer asks of the plug-in: the mail client's fonts, folders and print settings,
// the passphrase cache, encryption to the user's own key, and the printer choices kept for the
// process. One per main object; the dialogs' common part goes to the main object.
#pragma once

#include "ui/dialogs/TextViewer.h"

class TMainClass;

class TViewerMain : public ITextViewerMain {
public:
    explicit TViewerMain(TMainClass& main);

    const TZAVEKStringList& Texts() const override;
    bool StandardColor() const override;
    std::string FixedFontName() const override;
    HWND ActiveDialogWindow() const override;
    void SetActiveDialogWindow(HWND window) override;
    HWND GetHostWindow() const override;
    bool ShowKeyMenuForText(HWND window, const std::string& text) override;
    void OpenHtmlPage(const std::string& url) override;
    void ShowPGPHelp(const std::string& topic) override;
    void ShowManual(const std::string& topic) override;
    void ShowTopic(HWND window, int context) override;
    std::string HelpPopupText(int index) override;
    std::string HelpPopupTextByName(const std::string& id) override;
    int HelpPopupHeight(int index) override;

    TViewerFont MessageFont() override;
    bool HostWordWrap() override;
    bool HostShowObjects() override;
    TViewerPrintSettings HostPrintSettings() override;
    std::string FormatPrintingBanner(const std::string& from, const std::string& subject, const SYSTEMTIME& date) override;
    void SelectFolder(std::string& name, bool& mailbox, std::string& text) override;
    std::string MailboxFileName(const std::string& name) override;
    void BeginCacheHold() override;
    void EndCacheHold() override;
    bool EncryptToDefaultKey(const std::string& text, std::string& result, HWND parent) override;
    void RestartMailClient() override;
    TPrinterData& PrinterSettings() override { return printer_; }
    const TMsgTreeData& TreeCaptions() override;

private:
    TMainClass& main_;
    TPrinterData printer_ {};
    TMsgTreeData captions_;
};
