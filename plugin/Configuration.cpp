// Start-up of the configuration object and the command export bodies.
#include "plugin/Configuration.h"

#include "plugin/Guard.h"

int TConfiguration::StartUp(HWND pluginWindow, HWND parentWindow)
{
    pluginWindow_ = pluginWindow;
    parentWindow_ = parentWindow;
    // A start-up that failed before must not leave half-built parts behind for the next try.
    pmInterface_.reset();
    auto pmInterface = std::make_unique<TPMInterface>(parentWindow);
    // Without a mail folder there is nowhere to keep the options: fail silently.
    if (parentWindow && pmInterface->GetMailFolder().empty())
        return -1;
    pmInterface_ = std::move(pmInterface);
    return 0;
}

TPMInterface& TConfiguration::PMInterface() const
{
    if (!pmInterface_)
        throw ENotAvailable("the mail-client interface");
    return *pmInterface_;
}

void TConfiguration::UserSetup(const std::string&)
{
    throw ENotAvailable("UserSetup");
}

void TConfiguration::UserUpdate(const std::string&)
{
    throw ENotAvailable("UserUpdate");
}

void TConfiguration::UserUninstall()
{
    throw ENotAvailable("UserUninstall");
}

void TConfiguration::Cleanup()
{
    throw ENotAvailable("Cleanup");
}

void TConfiguration::RestartMailClient(const std::string&, HWND)
{
    throw ENotAvailable("RestartMailClient");
}

void TConfiguration::OpenHtmlPage(const std::string&)
{
    throw ENotAvailable("OpenHtmlPage");
}

void TConfiguration::ShowPGPHelp(const std::string&)
{
    throw ENotAvailable("ShowPGPHelp");
}

void TConfiguration::ShowManual(const std::string&)
{
    throw ENotAvailable("ShowManual");
}
