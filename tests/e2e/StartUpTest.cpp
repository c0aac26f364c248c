// End to end through the stand-in mail client: the start-up's success and its two reported failures. Without a mail
// folder it warns once and FORMINIT fails; without the companion library it shows the Windows error
// text and FORMINIT fails. The dialog answerer closes the boxes.
#include "e2e/HostSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {
using ::testing::HasSubstr;

constexpr const char* ANSWER_OK = "answer ZAVEK 1\n";

// Moves the staged companion library aside for one test and back afterwards.
class TCryptorHidden {
public:
    TCryptorHidden()
        : library_(StageFolder() + "\\Plugin\\ZAVEKCryptor.dll")
        , aside_(library_ + ".aside")
    {
        moved_ = MoveFileA(library_.c_str(), aside_.c_str()) != FALSE;
    }
    ~TCryptorHidden()
    {
        if (moved_)
            MoveFileA(aside_.c_str(), library_.c_str());
    }
    TCryptorHidden(const TCryptorHidden&) = delete;
    TCryptorHidden& operator=(const TCryptorHidden&) = delete;
    bool Moved() const { return moved_; }

private:
    std::string library_, aside_;
    bool moved_ = false;
};

TEST(StartUp, WithoutAMailFolderItWarnsOnceAndFormInitFails)
{
    THostRun run = THostSession("nomailwarn").Run(std::string(ANSWER_OK) + "set mailfolder -\nload\nforminit\nquit\n");
    SCOPED_TRACE(run.Text());
    auto calls = run.LinesStartingWith("export FORMINIT");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], HasSubstr("-> 0 window 00000000"));
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZAVEK\"").size(), 1u);
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(StartUp, WithAMailFolderItSucceedsSilently)
{
    THostSession session("mailok");
    THostRun run = session.Run(
        std::string(ANSWER_OK) + "set mailfolder " + session.File("") + "\nload\nforminit\nquit\n");
    SCOPED_TRACE(run.Text());
    auto calls = run.LinesStartingWith("export FORMINIT");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], HasSubstr("-> 1 window"));
    EXPECT_TRUE(run.LinesStartingWith("answered dialog").empty());
    // Inside the mail client the start-up binds the recipient auto-list in the mail folder.
    EXPECT_TRUE(session.Exists("AutoList.txt"));
    EXPECT_EQ(run.ExitCode, 0);
}

TEST(StartUp, AMailClientLanguageWithoutTextsGetsTheEnglishOnesAndTheOptionsReadItsSettings)
{
    THostSession session("language");
    THostRun run = session.Run(
        std::string(ANSWER_OK) + "language DE\nset mailfolder " + session.File("") + "\nload\nforminit\nquit\n");
    SCOPED_TRACE(run.Text());
    ASSERT_TRUE(run.Has("language WPM32DE.DLL -> loaded"));
    auto calls = run.LinesStartingWith("export FORMINIT");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], HasSubstr("-> 1 window"));
    // Header scan lines and edit margin come from the mail client with the options.
    EXPECT_TRUE(run.Has("request 3064 1 -> 20"));
    EXPECT_TRUE(run.Has("request 3064 34 -> 72"));
}

TEST(StartUp, WithoutTheCompanionLibraryItShowsTheSystemErrorAndFormInitFails)
{
    THostSession session("nocryptor");
    THostRun run;
    {
        TCryptorHidden hidden;
        ASSERT_TRUE(hidden.Moved());
        run = session.Run(std::string(ANSWER_OK) + "set mailfolder " + session.File("")
            + "\nload\nforminit\nquit\n");
    }
    SCOPED_TRACE(run.Text());
    auto calls = run.LinesStartingWith("export FORMINIT");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], HasSubstr("-> 0 window 00000000"));
    EXPECT_EQ(run.LinesStartingWith("answered dialog \"ZAVEK\"").size(), 1u);
    EXPECT_EQ(run.ExitCode, 0);
}

} // namespace
