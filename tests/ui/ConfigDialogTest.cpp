// Tests of the configuration dialog under Wine, driven by the dialog answerer: every control
// written back into the options file, nothing written without a change, the restart question only
// for toolbar changes, the save question of Enter/Escape, the rules of the set-up mode and F1 help
// over every control.
#include "ui/dialogs/ConfigDialog.h"
#include "framework/harness/DialogAnswerer.h"
#include "framework/harness/KeyInjector.h"
#include "plugin/ConfigSettings.h"
#include "support/ScratchFolder.h"
#include "ui/DialogTestSupport.h"
#include "ui/controls/ToolTip.h"
#include "ui/dialogs/MessageDialogs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>
#include <sstream>

namespace {

// The plug-in's own settings road over a real options file, with stand-ins for the rest.
class FakeSources : public IConfigDialogSources {
public:
    explicit FakeSources(TOptions& options)
        : options_(options)
    {
    }
    TConfigSettings LiveSettings() override { return ConfigSettingsOf(options_); }
    void SaveSettings(const TConfigSettings& settings) override { SaveConfigSettings(options_, settings); }
    std::vector<TSigningKeyChoice> SigningKeys() override
    {
        return { { "Alice <alice@example.org> (2048)", "Alice <alice@example.org>\\0x1111AAAA", "0x1111AAAA",
                     "0x1111AAAA RSA" },
            { "Bob <bob@example.org> (3072)", "Bob <bob@example.org>\\0x2222BBBB", "0x2222BBBB", "0x2222BBBB DSS" } };
    }
    bool OffersHashChoice() override { return hashChoice; }
    std::vector<std::string> SystemTimeServers() override { return { "time.example.org", "ntp.example.net" }; }
    bool ChooseKeyRingFile(const std::string& title, int kind, std::string& fileName) override
    {
        fileDialogs.push_back(title + "|" + std::to_string(kind));
        fileName = "C:\\rings\\chosen" + std::to_string(kind) + ".pkr";
        return true;
    }
    int MeasureHeaderLines() override { return measuredLines; }

    bool hashChoice = true;
    int measuredLines = 0;
    std::vector<std::string> fileDialogs;

private:
    TOptions& options_;
};

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TConfigDialog& DialogOf(HWND window)
{
    return *ControlOf<TConfigDialog>(window);
}

TMessageDialog& MessageOf(HWND window)
{
    return *ControlOf<TMessageDialog>(window);
}

struct Fixture {
    Fixture()
        : folder("cfgdlg")
        , sources(live)
    {
        live.Open(folder.path);
        live.SetTimeServer("time.example.org");
        live.SetHostSettings({ 50, 76 });
        live.SaveOptions();
    }
    std::string FileName() const { return folder.path + TOptions::FILE_NAME; }

    TScratchFolder folder;
    TOptions live;
    FakeMainObject main;
    FakeSources sources;
};

// Runs action a moment later from the message loop then running: a step that follows a nested
// dialog may start before that dialog's own loop has ended and given the form its result back.
std::function<void()> laterAction;
void CALLBACK RunLaterAction(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    laterAction();
}
void RunLater(std::function<void()> action)
{
    laterAction = std::move(action);
    SetTimer(nullptr, 0, 100, RunLaterAction);
}

// Answers the next message dialog by a button and records its text.
DialogAnswerer::Action Answer(std::string& text, int button)
{
    return [&text, button](HWND window) {
        TMessageDialog& message = MessageOf(window);
        text = message.reText->GetText();
        switch (button) {
        case mrYes:
            message.fbYes->Click();
            break;
        case mrNo:
            message.fbNo->Click();
            break;
        default:
            message.CancelButton()->Click();
        }
    };
}

TEST(ConfigDialog, EveryControlIsWrittenBackAndAToolbarChangeOffersTheRestart)
{
    Fixture f;
    std::string restartText;
    DialogAnswerer answerer;
    answerer.Then("TConfigDialog", "", [&](HWND window) {
        TConfigDialog& d = DialogOf(window);
        d.cbxKeyserverProtocol->SetItemIndex(3);
        d.edKeyserverName->SetText("keys.example.org");
        d.meKeyserverPort->SetText("11371");
        d.edSecring->SetText("C:\\r\\sec.skr");
        d.edPubring->SetText("C:\\r\\pub.pkr");
        d.edGroups->SetText("C:\\r\\groups.grp");
        d.cbxDefaultUser->SetItemIndex(1);
        d.cbUseAlways->SetChecked(true);
        d.cbxSignAlgorithm->SetItemIndex(2);
        d.cbUseRIPEMD->SetChecked(true);
        d.edComment->SetText("Signed with care");
        d.cbWipePassphrase->SetChecked(true);
        d.cbxEncryptSignOptions->SetItemIndex(4);
        d.cbDecryptMessage->SetChecked(false);
        d.cbVerifySignature->SetChecked(false);
        d.cbManageKeys->SetChecked(false);
        d.cbLaunchPGP->SetChecked(false);
        d.seScanLines->SetValue(120);
        d.seEditMargin->SetValue(72);
        d.cbUseAutoList->SetChecked(false);
        d.cbHideKeyDialog->SetChecked(true);
        d.cbEncryptToSelf->SetChecked(false);
        d.cbEncryptAttachments->SetChecked(false);
        d.cbConfirmEncryption->SetChecked(true);
        d.cbMixOptionsWarning->SetChecked(false);
        d.cbADKWarning->SetChecked(false);
        d.cbCheckForKeyData->SetChecked(true);
        d.cbKeyserverLookup->SetChecked(true);
        d.cbPreDecodePSMime->SetChecked(true);
        d.cbAutoVerify->SetChecked(true);
        d.rbInExtraWindow->SetChecked(true);
        d.seSeconds->SetValue(300);
        d.sePasses->SetValue(7);
        d.cbStandardColors->SetChecked(true);
        d.cbShowTime->SetCheckState(cbGrayed);
        d.cbxTimeServerName->SetItemIndex(1);
        d.meTimeServerPort->SetText("1123");
        d.cbTimeAutoSync->SetChecked(true);
        d.fbOk->Click();
    });
    std::string warning;
    answerer.Then("TMessageDialog", "", [&](HWND window) { // 188: the passphrase is now kept
        warning = MessageOf(window).reText->GetText();
        MessageOf(window).fbOk->Click();
    });
    answerer.Then("TMessageDialog", "", Answer(restartText, mrYes));
    EXPECT_TRUE(ShowConfigDialog(f.main, f.sources, false));
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(warning, f.main.Texts().GetEntry(188));
    EXPECT_EQ(restartText, f.main.Texts().GetEntry(142));

    TOptionValues expected;
    expected.SecRing = "C:\\r\\sec.skr";
    expected.PubRing = "C:\\r\\pub.pkr";
    expected.PGPGroup = "C:\\r\\groups.grp";
    expected.DefaultUser = "Bob <bob@example.org>\\0x2222BBBB";
    expected.AlwaysDefault = true;
    expected.SignAlg = 2;
    expected.RipeMD = true;
    expected.Comment = "Signed with care";
    expected.WipePassButton = true;
    expected.EncSignButtons = 4;
    expected.DecryptButton = expected.VerifyButton = expected.ManageButton = expected.PGPkeysButton = false;
    expected.AutoPush = false;
    expected.HideKeyDialog = true;
    expected.EncryptToSelf = false;
    expected.EncryptAttachments = false;
    expected.ConfirmEncrypt = true;
    expected.MixedWarning = expected.ADKWarning = false;
    expected.CheckKey = expected.Lookup = expected.PreDecode = expected.CheckSig = true;
    expected.IncludeInfo = 2;
    expected.StorePassphrase = 300;
    expected.WipeCount = 7;
    expected.StandardColor = true;
    expected.ShowTime = 2;
    expected.TimeServer = "ntp.example.net";
    expected.TimePort = 1123;
    expected.AutoSync = true;
    TOptions reread;
    reread.Open(f.folder.path);
    // Keys the dialog does not show keep their values.
    expected.AIOWarning = reread.Values().AIOWarning;
    expected.VersionNo = reread.Values().VersionNo;
    EXPECT_EQ(reread.Values(), expected);
    EXPECT_EQ(f.live.Values(), expected);
    EXPECT_EQ(f.live.KeyServer(), (TKeyServerRecord { 3, "keys.example.org", "11371", 0 }));
    EXPECT_EQ(f.live.HostSettings(), (TOptionHostSettings { 120, 72 }));
}

TEST(ConfigDialog, OkWithoutAChangeWritesNothingAndAsksNothing)
{
    Fixture f;
    // Unset, the system's server is shown; that alone is no change.
    f.live.SetTimeServer("");
    f.live.SetTimePort(0);
    const std::string before = FileText(f.FileName());
    DialogAnswerer answerer;
    answerer.Then("TConfigDialog", "", [&](HWND window) { DialogOf(window).fbOk->Click(); });
    EXPECT_FALSE(ShowConfigDialog(f.main, f.sources, false));
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(FileText(f.FileName()), before);
    EXPECT_EQ(DialogAnswerer::FindWindowOfThread("TMessageDialog", ""), nullptr);
}

TEST(ConfigDialog, ATimeServerChangeIsSavedWithoutTheRestartQuestion)
{
    Fixture f;
    DialogAnswerer answerer;
    answerer.Then("TConfigDialog", "", [&](HWND window) {
        DialogOf(window).cbxTimeServerName->SetItemIndex(1);
        DialogOf(window).fbOk->Click();
    });
    EXPECT_FALSE(ShowConfigDialog(f.main, f.sources, false));
    EXPECT_TRUE(answerer.Done());
    TOptions reread;
    reread.Open(f.folder.path);
    EXPECT_EQ(reread.Values().TimeServer, "ntp.example.net");
}

TEST(ConfigDialog, EscapeWithAChangeAsksAndCancelKeepsTheDialogOpen)
{
    Fixture f;
    const std::string before = FileText(f.FileName());
    std::string firstQuestion, secondQuestion;
    bool stillOpen = false;
    HWND dialogWindow = nullptr;
    DialogAnswerer answerer;
    answerer.Then("TConfigDialog", "", [&](HWND window) {
        dialogWindow = window;
        DialogOf(window).cbHideKeyDialog->SetChecked(true);
        DialogOf(window).tvNavigation->SetFocus();
        SendMessageA(DialogOf(window).tvNavigation->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    answerer.Then("TMessageDialog", "", Answer(firstQuestion, mrCancel));
    answerer.Then("TConfigDialog", "", [&](HWND window) {
        stillOpen = IsWindowVisible(window) != FALSE;
        RunLater([window] { SendMessageA(DialogOf(window).tvNavigation->Handle(), WM_KEYDOWN, VK_ESCAPE, 0); });
    });
    answerer.Then("TMessageDialog", "", Answer(secondQuestion, mrNo));
    EXPECT_FALSE(ShowConfigDialog(f.main, f.sources, false));
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(firstQuestion, f.main.Texts().GetEntry(143));
    EXPECT_EQ(secondQuestion, f.main.Texts().GetEntry(143));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(FileText(f.FileName()), before);
    EXPECT_FALSE(f.live.Values().HideKeyDialog);
}

// How the dialog ends with one change made, and whether that change was kept.
struct CloseCase {
    const char* name;
    bool fromSetup;
    int how; // ResultOk / ResultCancel: that button; 0: the close box
    bool saved;
};

class ConfigDialogClosing : public testing::TestWithParam<CloseCase> { };

TEST_P(ConfigDialogClosing, KeepsTheChangeOnlyWhereItShould)
{
    const CloseCase& c = GetParam();
    Fixture f;
    DialogAnswerer answerer;
    answerer.Then("TConfigDialog", "", [&](HWND window) {
        TConfigDialog& d = DialogOf(window);
        d.cbConfirmEncryption->SetChecked(true);
        if (c.how == TConfigDialog::ResultOk)
            d.fbOk->Click();
        else if (c.how == TConfigDialog::ResultCancel)
            d.fbCancel->Click();
        else
            SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    std::string question;
    if (c.how == 0 && !c.fromSetup) // the close box counts as Enter/Escape: asked, answered No
        answerer.Then("TMessageDialog", "", Answer(question, mrNo));
    EXPECT_FALSE(ShowConfigDialog(f.main, f.sources, c.fromSetup));
    EXPECT_TRUE(answerer.Done());
    TOptions reread;
    reread.Open(f.folder.path);
    EXPECT_EQ(reread.Values().ConfirmEncrypt, c.saved);
}

INSTANTIATE_TEST_SUITE_P(Table, ConfigDialogClosing,
    testing::Values(CloseCase { "Ok", false, TConfigDialog::ResultOk, true },
        CloseCase { "Cancel", false, TConfigDialog::ResultCancel, false },
        CloseCase { "CloseBoxAsksAndNoDiscards", false, 0, false },
        CloseCase { "SetupCloseBoxSaves", true, 0, true },
        CloseCase { "SetupCancelSaves", true, TConfigDialog::ResultCancel, true }),
    [](const testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

TEST(ConfigDialog, ShowsWhatItWasGiven)
{
    Fixture f;
    f.live.SetTimeServer("clock.example.com");
    f.live.SetDefaultUser("Bob <bob@example.org>\\0x2222BBBB");
    f.sources.hashChoice = false;
    std::vector<std::string> servers;
    std::string defaultUser, keyLabel, hoverLabel, leftLabel, secondsLabel, secondsText = "?";
    int dropDownCount = 0;
    bool signAlgEnabled = true;
    bool noChangeShown = true;
    DialogAnswerer answerer;
    answerer.Then("TConfigDialog", "", [&](HWND window) {
        TConfigDialog& d = DialogOf(window);
        for (int i = 0; i < d.cbxTimeServerName->Items().Count(); ++i)
            servers.push_back(d.cbxTimeServerName->Items()[i]);
        defaultUser = d.cbxDefaultUser->GetText();
        keyLabel = d.lblDefaultUser->Caption();
        // Under the mouse the label shows the key's list line, and its id again once the mouse left.
        const HWND page = d.tsPGPMiscellaneous->Handle();
        const RECT label = d.lblDefaultUser->BoundsRect();
        SendMessageA(page, WM_MOUSEMOVE, 0, MAKELPARAM(label.left + 2, label.top + 2));
        hoverLabel = d.lblDefaultUser->Caption();
        SendMessageA(page, WM_MOUSELEAVE, 0, 0);
        leftLabel = d.lblDefaultUser->Caption();
        dropDownCount = d.cbxDefaultUser->DropDownCount;
        signAlgEnabled = d.cbxSignAlgorithm->Enabled();
        secondsLabel = d.lblSeconds->Caption();
        secondsText = d.seSeconds->GetText();
        d.pcConfiguration->SetActivePage(d.tsPMMiscellaneous);
        d.tvNavigation->SetSelected(d.tvNavigation->Items().GetFirstNode()->GetNextSibling()->GetFirstChild()
                ->GetNextSibling());
        noChangeShown = d.pnNoChange->Visible();
        d.fbCancel->Click();
    });
    ShowConfigDialog(f.main, f.sources, false);
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(servers, (std::vector<std::string> { "clock.example.com", "time.example.org", "ntp.example.net" }));
    EXPECT_EQ(defaultUser, "Bob <bob@example.org> (3072)");
    EXPECT_EQ(keyLabel, "0x2222BBBB DSS");
    EXPECT_EQ(hoverLabel, "Bob <bob@example.org> (3072)");
    EXPECT_EQ(leftLabel, "0x2222BBBB DSS");
    EXPECT_EQ(dropDownCount, 2);
    EXPECT_FALSE(signAlgEnabled);
    EXPECT_EQ(secondsLabel, f.main.Texts().GetEntry(190));
    EXPECT_EQ(secondsText, "") << "keeping no passphrase shows no number";
    EXPECT_FALSE(noChangeShown);
}

TEST(ConfigDialog, AHeaderLineCountAboveTheScanLinesOffersTheRoundedCount)
{
    Fixture f;
    f.sources.measuredLines = 57;
    // A translation that holds conversions besides its "%s" is shown as it is, never run as a format.
    auto& texts = const_cast<TZAVEKStringList&>(f.main.Texts());
    texts.SetEntry(167, " Zeilen %d%n%x, mehr als \"%s\". Auf ");
    std::string question;
    int scanLines = 0;
    DialogAnswerer answerer;
    answerer.Then("TConfigDialog", "", [&](HWND window) {
        TConfigDialog& d = DialogOf(window);
        d.seScanLines->SetValue(50);
        d.fbCheckHeaderLines->Click();
        scanLines = d.seScanLines->Value();
        d.fbCancel->Click();
    });
    answerer.Then("TMessageDialog", "", Answer(question, mrYes));
    ShowConfigDialog(f.main, f.sources, false);
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(scanLines, 60);
    // The value is named by its label on the page.
    EXPECT_NE(question.find(" Zeilen %d%n%x, mehr als \"Header lines to scan\". Auf 60?"), std::string::npos)
        << question;
}

TEST(ConfigDialog, KeyRingFieldsOpenTheFileDialogAndTakeItsChoice)
{
    Fixture f;
    std::string pubring;
    DialogAnswerer answerer;
    answerer.Then("TConfigDialog", "", [&](HWND window) {
        TConfigDialog& d = DialogOf(window);
        d.edPubring->SetFocus();
        InjectKey('X', 0, d.edPubring->Handle());
        PumpPending();
        pubring = d.edPubring->GetText();
        d.fbCancel->Click();
    });
    ShowConfigDialog(f.main, f.sources, false);
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(pubring, "C:\\rings\\chosen1.pkr");
    ASSERT_EQ(f.sources.fileDialogs.size(), 1u);
    EXPECT_EQ(f.sources.fileDialogs[0], f.main.Texts().GetEntry(150) + "\"Public key ring\"|1");
}

// F1 over any control of any page, as a user presses it: each control shows its own popup or, for
// the rest, the dialog's page of the help file, and every popup of the dialog is reached.
TEST(ConfigDialog, F1OverEveryControlShowsItsHelp)
{
    Fixture f;
    std::vector<std::string> silent;
    std::set<std::string> popups;
    int controls = 0;
    DialogAnswerer answerer;
    answerer.Then("TConfigDialog", "", [&](HWND window) {
        TConfigDialog& d = DialogOf(window);
        for (TTabSheet* page : { d.tsPGPPaths, d.tsPGPMiscellaneous, d.tsPMToolbar, d.tsPMMiscellaneous,
                 d.tsZAVEKEncoding, d.tsZAVEKDecoding, d.tsZAVEKMiscellaneous }) {
            d.pcConfiguration->SetActivePage(page);
            for (int i = 0; i < page->ControlCount(); ++i) {
                TControl& control = *page->Controls(i);
                if (!control.Visible())
                    continue;
                ++controls;
                d.HelpToolTip()->HideTip();
                f.main.calls.clear();
                const RECT bounds = control.BoundsRect();
                HELPINFO info {};
                info.cbSize = sizeof info;
                info.iContextType = HELPINFO_WINDOW;
                info.hItemHandle = page->Handle();
                info.MousePos = page->ClientToScreen({ (bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2 });
                SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
                if (d.IsToolTipActive())
                    popups.insert(d.HelpToolTip()->GetText());
                else if (f.main.calls != std::vector<std::string> { "topic 33" })
                    silent.push_back(std::to_string(i) + " \"" + control.Caption() + "\"");
            }
        }
        d.HelpToolTip()->HideTip();
        d.fbCancel->Click();
    });
    ShowConfigDialog(f.main, f.sources, false);
    EXPECT_TRUE(answerer.Done());
    EXPECT_GT(controls, 40);
    EXPECT_TRUE(silent.empty()) << silent.front();
    ASSERT_EQ(popups.size(), 27u);
    EXPECT_EQ(*popups.begin(), "{\\rtf1\\ansi popup 0}");
}

} // namespace
