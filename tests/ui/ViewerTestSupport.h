// A stand-in for the text viewer's main object: the English texts, host settings of a typical
// user, a scripted folder choice and records of the calls the viewer made.
#pragma once

#include "ui/dialogs/TextViewer.h"

#include <functional>
#include <string>
#include <vector>

// What the fake encryption gives for a text: an encrypted-data packet header, then NUL, CR LF and
// Ctrl-Z bytes, and the text's length.
inline std::string EncryptedBytes(const std::string& text)
{
    return std::string("\x85\x01\x0C\x03\0\r\n\x1A", 8) + std::to_string(text.size());
}

class FakeViewerMain : public ITextViewerMain {
public:
    FakeViewerMain()
        : texts_(std::string(ZAVEK_TEST_DATA) + "/../../resources/ZAVEKStringsEn.txt")
    {
        captions.DateCaption = "Date:";
        captions.FromCaption = "From:";
        captions.ToCaption = "To:";
        captions.SubjectCaption = "Subject:";
        captions.UnknownValue = "?";
    }

    const TZAVEKStringList& Texts() const override { return texts_; }
    bool StandardColor() const override { return false; }
    std::string FixedFontName() const override { return "Courier New"; }
    HWND ActiveDialogWindow() const override { return activeDialog; }
    void SetActiveDialogWindow(HWND window) override { activeDialog = window; }
    HWND GetHostWindow() const override { return hostWindow; }
    bool ShowKeyMenuForText(HWND, const std::string&) override { return false; }
    void OpenHtmlPage(const std::string& url) override { calls.push_back("open " + url); }
    void ShowPGPHelp(const std::string&) override { }
    void ShowManual(const std::string&) override { }
    void ShowTopic(HWND, int) override { }
    std::string HelpPopupText(int) override { return {}; }
    std::string HelpPopupTextByName(const std::string&) override { return {}; }
    int HelpPopupHeight(int) override { return 0; }

    TViewerFont MessageFont() override { return { "Arial", 10, 0 }; }
    bool HostWordWrap() override { return false; }
    bool HostShowObjects() override { return false; }
    TViewerPrintSettings HostPrintSettings() override
    {
        TViewerPrintSettings settings;
        settings.PrinterName = "Office";
        settings.FontName = "Courier New";
        settings.FontSize = 11;
        settings.Header = true;
        settings.MarginLeft = settings.MarginRight = 15;
        settings.MarginTop = settings.MarginBottom = 20;
        settings.PrintMode = 1;
        return settings;
    }
    std::string FormatPrintingBanner(
        const std::string& from, const std::string& subject, const SYSTEMTIME& date) override
    {
        bannerCall = from + "|" + subject + "|" + std::to_string(date.wYear) + "-"
            + std::to_string(date.wMonth) + "-" + std::to_string(date.wDay);
        return "Banner " + from + " / " + subject;
    }
    void SelectFolder(std::string& name, bool& mailbox, std::string& text) override
    {
        calls.push_back("select");
        name = folderName;
        mailbox = true;
        text = folderText;
        if (onSelect)
            onSelect();
    }
    std::string MailboxFileName(const std::string& name) override { return "C:\\Mail\\" + name + ".MBX"; }
    void BeginCacheHold() override { calls.push_back("hold"); }
    void EndCacheHold() override { calls.push_back("release"); }
    bool EncryptToDefaultKey(const std::string& text, std::string& result, HWND) override
    {
        // Binary OpenPGP data, as the real encryption gives: a packet header, then bytes that a
        // text write would change.
        result = EncryptedBytes(text);
        return encryptWorks;
    }
    void RestartMailClient() override { calls.push_back("restart"); }
    TPrinterData& PrinterSettings() override { return printer; }
    const TMsgTreeData& TreeCaptions() override { return captions; }

    HWND activeDialog = nullptr;
    HWND hostWindow = nullptr;
    std::vector<std::string> calls;
    std::string bannerCall;
    std::string folderName = "Inbox";
    std::string folderText;
    std::function<void()> onSelect;
    bool encryptWorks = true;
    TPrinterData printer;
    TMsgTreeData captions;

private:
    TZAVEKStringList texts_;
};
