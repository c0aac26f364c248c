// Builds the install site from the configuration and shows the installation's messages.
#include "plugin/InstallCommands.h"

#include "foundation/StrUtilWin.h"
#include "plugin/Configuration.h"
#include "plugin/SessionUser.h"

#include <shlobj.h>

TInstallSite InstallSiteOf(TConfiguration& configuration)
{
    TPMInterface& mailClient = configuration.PMInterface();
    TInstallSite site;
    site.InstallFolder = configuration.InstallFolder();
    site.ResourcesFolder = configuration.ResourcesFolder();
    site.DataFolder = configuration.DataFolder();
    site.BaseFolder = mailClient.GetBaseFolder();
    site.WindowsUser = configuration.WindowsUser();
    site.MailUser = mailClient.GetMailUserName();
    site.MailFolder = mailClient.GetMailFolder();
    site.Language = mailClient.LanguageCode();
    site.ProductVersion = configuration.ProductVersion();
    site.NewOptionsFile = configuration.NewFile();
    TSessionUserScope asUser;
    site.UserProgramsFolder = GetSpecialFolder(CSIDL_PROGRAMS);
    site.SharedProgramsFolder = GetSpecialFolder(CSIDL_COMMON_PROGRAMS);
    return site;
}

void TConfigurationDialogs::Information(const std::string& text)
{
    configuration_.ShowMessage(text, TMessageKind::Information);
}

void TConfigurationDialogs::Error(const std::string& text)
{
    configuration_.ShowMessage(text, TMessageKind::Error);
}

bool TConfigurationDialogs::AskYes(const std::string& text)
{
    return configuration_.ShowMessage(text, TMessageKind::QuestionNoDefault);
}

void TConfigurationDialogs::EditConfiguration()
{
    configuration_.EditConfiguration();
}
