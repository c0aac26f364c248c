// The configuration object under the main object: the windows and folders it was started with,
// the owned interfaces, the start-up that builds them, and the bodies of the command exports.
// This build starts the mail-client interface; the options, language texts, PGP interface and
// the other owned parts join the start-up with their own code, and until then whatever needs
// them fails with an error instead of pretending to work.
#pragma once

#include "plugin/PMInterface.h"

#include <windows.h>

#include <memory>
#include <string>

class TConfiguration {
public:
    TConfiguration() = default;
    virtual ~TConfiguration() = default;
    TConfiguration(const TConfiguration&) = delete;
    TConfiguration& operator=(const TConfiguration&) = delete;

    // Result code: 0 success, -1 failed silently or already reported, other values a Windows error code.
    int StartUp(HWND pluginWindow, HWND parentWindow);

    // Bodies of the command exports.
    void UserSetup(const std::string& arguments);
    void UserUpdate(const std::string& arguments);
    void UserUninstall();
    void Cleanup();
    void RestartMailClient(const std::string& identity, HWND mailClient);
    void OpenHtmlPage(const std::string& page);
    void ShowPGPHelp(const std::string& topic);
    void ShowManual(const std::string& topic);

    // The mail-client interface; raises ENotAvailable before a successful start-up.
    TPMInterface& PMInterface() const;
    bool RestartStarted() const { return restartStarted_; }

protected:
    HWND pluginWindow_ = nullptr;
    HWND parentWindow_ = nullptr;

private:
    std::unique_ptr<TPMInterface> pmInterface_;
    bool restartStarted_ = false;
};
