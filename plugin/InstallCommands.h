// The configuration's side of the installation commands: the install site of the configuration's
// mail user and the message boxes the commands show outside the mail client.
#pragma once

#include "plugin/UserInstallation.h"

class TConfiguration;

// The folders, users and version of the configuration, the start-menu folders read as the
// logged-on user.
TInstallSite InstallSiteOf(TConfiguration& configuration);

// Shows the installation's messages in system message boxes under the caption "ZAVEK".
class TMessageBoxDialogs : public IInstallDialogs {
public:
    void Information(const std::string& text) override;
    void Error(const std::string& text) override;
    bool AskYes(const std::string& text) override;
};
