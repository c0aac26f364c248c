// The configuration's side of the installation commands: the install site of the configuration's
// mail user, and its messages shown the configuration's way.
#pragma once

#include "plugin/UserInstallation.h"

class TConfiguration;

// The folders, users and version of the configuration, the start-menu folders read as the
// logged-on user.
TInstallSite InstallSiteOf(TConfiguration& configuration);

// Shows the installation's messages through the configuration (the plug-in's message dialog).
class TConfigurationDialogs : public IInstallDialogs {
public:
    explicit TConfigurationDialogs(TConfiguration& configuration)
        : configuration_(configuration)
    {
    }
    void Information(const std::string& text) override;
    void Error(const std::string& text) override;
    bool AskYes(const std::string& text) override;
    void EditConfiguration() override;

private:
    TConfiguration& configuration_;
};
