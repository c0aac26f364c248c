// End to end through the stand-in mail client: Help in the plug-in's configuration dialog opens the
// dialog's page of the shipped help file in the HTML Help viewer's window that the help handler
// looks for; without a viewer the user reads why nothing opens. The HTML Help control is a stand-in
// that hands every call on to the system's and writes down the pages shown.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>

namespace {
using ::testing::HasSubstr;

constexpr const char* HTML_HELP_CONTROL = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr const char* CONFIGURATION_COMMAND = "command 20504\n";
constexpr const char* NO_HELP = "No help can be shown: the help file or the help viewer is missing.";

std::string StandInFolder()
{
    return StageFolder() + "\\..\\bin\\";
}

// Registers a library as the HTML Help control while it lives; the machine's entry comes back.
class THtmlHelpControl {
public:
    explicit THtmlHelpControl(const std::string& library)
    {
        char value[MAX_PATH] = {};
        LONG size = sizeof value;
        saved_ = RegQueryValueA(HKEY_CLASSES_ROOT, HTML_HELP_CONTROL, value, &size) == ERROR_SUCCESS;
        previous_ = value;
        Set(library);
        DeleteFileA(Log().c_str());
    }
    ~THtmlHelpControl()
    {
        if (saved_)
            Set(previous_);
        else
            RegDeleteKeyA(HKEY_CLASSES_ROOT, HTML_HELP_CONTROL);
        DeleteFileA(Log().c_str());
    }
    THtmlHelpControl(const THtmlHelpControl&) = delete;
    THtmlHelpControl& operator=(const THtmlHelpControl&) = delete;

    static std::string Log() { return StandInFolder() + "htmlhelp.log"; }
    static std::string Logged()
    {
        std::ifstream file(Log());
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

private:
    static void Set(const std::string& library)
    {
        RegSetValueA(HKEY_CLASSES_ROOT, HTML_HELP_CONTROL, REG_SZ, library.c_str(), static_cast<DWORD>(library.size()));
    }
    bool saved_ = false;
    std::string previous_;
};

THostRun PressHelpInTheConfiguration(const std::string& name)
{
    THostSession session(name);
    return session.Run(ANSWER_NO_KEY_RINGS + ANSWER_MESSAGES + "answer Configuration once:Help\n"
        + "answer Configuration Cancel\n" + session.MailFolderStep() + "load\nforminit\nready\n"
        + CONFIGURATION_COMMAND + "event 5 after\nquit\n");
}

TEST(Help, TheHelpButtonOpensTheDialogsPageOfTheHelpFileOrSaysThatNoHelpCanBeShown)
{
    {
        THtmlHelpControl control(StandInFolder() + "HtmlHelpStandIn.dll");
        const THostRun run = PressHelpInTheConfiguration("help-f1");
        SCOPED_TRACE(run.Text());
        const std::string logged = THtmlHelpControl::Logged();
        EXPECT_THAT(logged, HasSubstr("\\Plugin\\Resources\\ZAVEKEn.chm>SIMPLE page CONFIGURATION_DLG.htm -> "));
        EXPECT_THAT(logged, HasSubstr(" \"Selvadrin\"")) << "the window the handler looks for";
        EXPECT_THAT(run.Text(), testing::Not(HasSubstr(NO_HELP)));
        EXPECT_EQ(run.ExitCode, 0);
    }
    {
        THtmlHelpControl control(StandInFolder() + "NoSuchControl.dll");
        const THostRun run = PressHelpInTheConfiguration("help-none");
        SCOPED_TRACE(run.Text());
        const auto messages = run.LinesStartingWith("dialog text \"ZA-VEK - Error\": ");
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_THAT(messages[0], HasSubstr(NO_HELP));
        EXPECT_EQ(run.ExitCode, 0);
    }
}

} // namespace
