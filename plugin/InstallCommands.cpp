// Builds the install site from the configuration and shows the installation's messages.
#include "plugin/InstallCommands.h"

#include "foundation/StrUtilWin.h"
#include "plugin/Configuration.h"
#include "plugin/SessionUser.h"

#include <shlobj.h>

namespace {

int ShowBox(const std::string& text, UINT style)
{
    return MessageBoxA(nullptr, text.c_str(), "ZAVEK", style | MB_SETFOREGROUND);
}

} // namespace

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

void TMessageBoxDialogs::Information(const std::string& text)
{
    ShowBox(text, MB_OK | MB_ICONINFORMATION);
}

void TMessageBoxDialogs::Error(const std::string& text)
{
    ShowBox(text, MB_OK | MB_ICONERROR);
}

bool TMessageBoxDialogs::AskYes(const std::string& text)
{
    return ShowBox(text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}
