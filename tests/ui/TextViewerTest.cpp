// Tests of the text viewer under Wine, driven by the dialog answerer: a part shown with its caption
// and save menu by kind, the Unicode save of a whole message with its summary first, a mail folder
// loaded, sorted both ways and exported as a mailbox, an aborted load, search with its
// continue-from-the-start question, link double-clicks, keys, the busy close guard and printing
// up to the print dialog (Wine has no printer here).
#include "ui/dialogs/TextViewer.h"
#include "ui/dialogs/MessageDialogs.h"
#include "ui/dialogs/SearchDialog.h"

#include "foundation/RichEd20.h"
#include "foundation/RichEd20Text.h"
#include "framework/Application.h"
#include "framework/harness/DialogAnswerer.h"
#include "framework/harness/KeyInjector.h"
#include "ui/DialogTestSupport.h"
#include "ui/PrintTestSupport.h"
#include "ui/ViewerTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

namespace {

const std::string MessageText
    = "Date: Mon, 7 Dec 2026 10:00:00 +0000\r\nFrom: Alice <alice@example.org>\r\n"
      "To: bob@example.org\r\nSubject: Hello\r\nMIME-Version: 1.0\r\n"
      "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
      "--b1\r\nContent-Type: text/plain\r\n\r\nalpha beta alpha gamma\r\n"
      "--b1\r\nContent-Type: text/html; name=\"page.htm\"\r\n"
      "Content-Disposition: attachment; filename=\"page.htm\"\r\n\r\n<p>page</p>\r\n"
      "--b1--\r\n";

std::string FolderMessage(int day, const std::string& subject)
{
    return "From ???@???\r\nDate: " + std::to_string(day)
        + " Dec 2026 10:00:00 +0000\r\nFrom: a@example.org\r\n" + "To: b@example.org\r\nSubject: " + subject
        + "\r\n\r\nBody of " + subject + "\r\n";
}

std::string ReadFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string TempName(const std::string& name)
{
    char folder[MAX_PATH] {};
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + name;
    DeleteFileA(path.c_str());
    return path;
}

TTextViewer* Viewer(HWND window)
{
    return ControlOf<TTextViewer>(window);
}

// The answerer may find the viewer while its first work is still running further down the stack
// (its message pump dispatches the answerer's timer), so a step that needs the text retries from a
// thread timer of its own until the text is there.
std::map<UINT_PTR, std::function<void()>>& Retries()
{
    static std::map<UINT_PTR, std::function<void()>> retries;
    return retries;
}

void CALLBACK RetryTick(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    auto retry = Retries().extract(id);
    if (!retry.empty())
        retry.mapped()();
}

DialogAnswerer::Action WhenReady(std::function<bool(TTextViewer&)> ready, std::function<void(HWND)> action)
{
    return [ready, action](HWND window) {
        auto tries = std::make_shared<int>(0);
        auto self = std::make_shared<std::function<void()>>();
        *self = [=]() {
            TTextViewer* viewer = Viewer(window);
            if (!viewer)
                return;
            if (ready(*viewer) || ++*tries > 300) {
                action(window);
                return;
            }
            Retries()[SetTimer(nullptr, 0, 20, RetryTick)] = *self;
        };
        (*self)();
    };
}

// The folder load has ended (the busy state is over and the passphrase cache released).
DialogAnswerer::Action WhenLoaded(const FakeViewerMain& main, std::function<void(HWND)> action)
{
    return WhenReady(
        [&main](TTextViewer& viewer) {
            return viewer.pnButtons->Enabled() && !main.calls.empty() && main.calls.back() == "release";
        },
        std::move(action));
}

std::string Narrow(const std::string& item)
{
    return IsWideText(item) ? WideTextToAnsi(item) : item;
}

DialogAnswerer::Action WhenShown(std::function<void(HWND)> action)
{
    return WhenReady([](TTextViewer& viewer) { return viewer.deText->TextLength() > 0; }, std::move(action));
}

class TextViewerTest : public testing::Test {
protected:
    void SetUp() override
    {
        tree.TreeData = main.captions;
        tree.LoadMessage(MessageText, 1, lmDecode, 0);
    }
    TSectionNode& NodeOfKind(uint32_t kind)
    {
        for (int i = 0; i < tree.SectionCount(); ++i)
            if (tree.GetSection(i)->NodeKind == kind)
                return *tree.GetSection(i);
        ADD_FAILURE() << "no node of kind " << kind;
        return *tree.GetSection(0);
    }
    FakeViewerMain main;
    TMimeMsgTree tree;
};

TEST_F(TextViewerTest, PartShowsItsTextAndOffersTheSaveFormsOfItsKind)
{
    struct Case {
        uint32_t kind;
        bool rich;
        bool html;
    };
    for (const Case& c : { Case { nkTextPlain, false, false }, Case { nkAttachment, true, true } }) {
        TSectionNode& node = NodeOfKind(c.kind);
        std::string caption;
        std::string text;
        bool rich = !c.rich;
        bool html = !c.html;
        bool loadEnabled = true;
        DialogAnswerer answerer;
        answerer.Then("TTextViewer", "", WhenShown([&](HWND window) {
            TTextViewer& viewer = *Viewer(window);
            caption = viewer.Caption();
            text = viewer.deText->GetAnsiText();
            viewer.PrepareSaveMenu();
            rich = viewer.miRichText->Enabled;
            html = viewer.miHtmlText->Enabled;
            loadEnabled = viewer.fbLoad->Enabled();
            PressKey(window, VK_ESCAPE);
        }));
        ShowPartText(main, node, nullptr, false);
        EXPECT_TRUE(answerer.Done());
        EXPECT_EQ(caption, node.GetCaption());
        EXPECT_NE(text.find(c.kind == nkTextPlain ? "alpha beta" : "page"), std::string::npos)
            << "[" << text << "] " << testing::PrintToString(node.Text);
        EXPECT_EQ(rich, c.rich) << c.kind;
        EXPECT_EQ(html, c.html) << c.kind;
        EXPECT_FALSE(loadEnabled);
    }
    // The print settings were filled once from the mail client's, and the captions set.
    EXPECT_EQ(main.printer.Prefs.Filled, 1);
    EXPECT_EQ(PrinterNameOf(main.printer.Prefs), "Office");
    EXPECT_EQ(main.printer.Prefs.FontSize, 11);
    EXPECT_EQ(main.printer.Prefs.HeaderFooter, pfHeader);
    EXPECT_EQ(main.printer.Prefs.FurtherOption, 1);
    EXPECT_EQ(main.printer.Prefs.Collate, 1);
    EXPECT_EQ(main.printer.Captions[0], main.Texts().GetEntry(347));
    EXPECT_EQ(main.printer.Captions[13], main.Texts().GetEntry(360));
}

TEST_F(TextViewerTest, UnicodeSaveOfTheWholeMessagePutsTheSummaryFirst)
{
    TSectionNode& root = *tree.GetSection(0);
    ASSERT_EQ(root.NodeKind, nkMessage);
    const std::string file = TempName("viewer-unicode.txt");
    std::string suggested;
    std::string unicodeCaption;
    bool wide = false;
    std::string info;
    DialogAnswerer answerer;
    answerer
        .Then("TTextViewer", "", WhenShown([&](HWND window) {
            TTextViewer& viewer = *Viewer(window);
            wide = viewer.deText->WideMode();
            viewer.PrepareSaveMenu();
            unicodeCaption = viewer.miUnicode->Caption;
            viewer.SaveNameDialog = [&](const std::string& name, const std::string&, HWND) {
                suggested = name;
                return file;
            };
            PostMessage(window, WM_COMMAND, 0, 0);
            viewer.miUnicode->Click();
        }))
        .Then("TMessageDialog", "",
            [&](HWND window) {
                info = GetWindowTextLengthA(window) >= 0 ? "shown" : "";
                PressKey(window, VK_RETURN);
            })
        .Then("TTextViewer", "", [&](HWND window) { PressKey(window, VK_ESCAPE); });
    ShowPartText(main, root, nullptr, false);
    EXPECT_TRUE(answerer.Done());
    ASSERT_TRUE(wide);
    EXPECT_EQ(unicodeCaption, "&Unicode" + main.Texts().GetEntry(409));
    EXPECT_EQ(suggested.substr(suggested.size() - 4), ".txt");
    EXPECT_EQ(info, "shown");
    const std::string bytes = ReadFile(file);
    ASSERT_GT(bytes.size(), 12u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(bytes.substr(2, 10), std::string("D\0a\0t\0e\0:\0", 10));
    EXPECT_NE(bytes.find(std::string("H\0e\0l\0l\0o\0", 10)), std::string::npos);
    EXPECT_NE(bytes.substr(bytes.size() - 2), std::string(2, '\0'));
    DeleteFileA(file.c_str());
}

TEST_F(TextViewerTest, FolderLoadsSortsBothWaysAndExportsAMailbox)
{
    main.folderText = FolderMessage(3, "Third") + FolderMessage(1, "First") + FolderMessage(2, "Second");
    const std::string file = TempName("viewer-export.mbx");
    std::string caption;
    std::vector<int> sortStates;
    std::vector<std::string> firstItems;
    std::string captionAfterSort;
    std::string suggested;
    std::string question;
    DialogAnswerer answerer;
    answerer
        .Then("TTextViewer", "",
            WhenLoaded(main,
                [&](HWND window) {
                    TTextViewer& viewer = *Viewer(window);
                    caption = viewer.Caption();
                    for (int i = 0; i < 2; ++i) {
                        viewer.fbSort->Click();
                        sortStates.push_back(viewer.deText->DatedLines().SortState());
                        firstItems.push_back(Narrow(viewer.deText->DatedLines()[0]));
                    }
                    captionAfterSort = viewer.Caption();
                    viewer.PrepareSaveMenu();
                    viewer.SaveNameDialog = [&](const std::string& name, const std::string&, HWND) {
                        suggested = name;
                        return file;
                    };
                    viewer.miUnixMailbox->Click();
                }))
        .Then("TMessageDialog", "",
            [&](HWND window) {
                question = "asked";
                ClickButton(window, "No");
            })
        .Then("TTextViewer", "", [&](HWND window) { PressKey(window, VK_ESCAPE); });
    ShowFolderViewer(main);
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(
        caption.rfind(main.Texts().GetEntry(402) + "[Inbox]: 3" + main.Texts().GetEntry(403) + ", ", 0), 0u)
        << caption;
    EXPECT_EQ(captionAfterSort, caption);
    EXPECT_EQ(sortStates, (std::vector<int> { dsDescending, dsAscending }));
    ASSERT_EQ(firstItems.size(), 2u);
    EXPECT_NE(firstItems[0].find("Third"), std::string::npos);
    EXPECT_NE(firstItems[1].find("First"), std::string::npos);
    EXPECT_EQ(suggested, "C:\\Mail\\Inbox.MBX");
    EXPECT_EQ(question, "asked");
    const std::string mailbox = ReadFile(file);
    EXPECT_NE(mailbox.find("Second"), std::string::npos);
    EXPECT_EQ(mailbox.rfind("From ???@???", 0), 0u);
    EXPECT_EQ(main.calls, (std::vector<std::string> { "hold", "select", "release" }));
    DeleteFileA(file.c_str());
}

TEST_F(TextViewerTest, EscapeDuringTheLoadStopsItAndKeepsWhatWasRead)
{
    for (int i = 1; i <= 60; ++i)
        main.folderText += FolderMessage(1 + i % 28, "Message " + std::to_string(i));
    main.onSelect = [&] {
        TTextViewer* viewer = Viewer(FindWindowA("TTextViewer", nullptr));
        ASSERT_NE(viewer, nullptr);
        auto original = viewer->Messages().OnProgress;
        viewer->Messages().OnProgress = [viewer, original, calls = 0](int64_t position) mutable {
            if (++calls == 3)
                viewer->SetModalResult(3); // what Escape and the abort button do
            return original(position);
        };
    };
    int listed = -1;
    int resultAfterLoad = -1;
    bool closedAfterwards = false;
    DialogAnswerer answerer;
    answerer.Then("TTextViewer", "", WhenLoaded(main, [&](HWND window) {
        TTextViewer& viewer = *Viewer(window);
        listed = viewer.deText->DatedLines().Count();
        resultAfterLoad = viewer.ModalResult();
        PressKey(window, VK_ESCAPE);
        closedAfterwards = true;
    }));
    ShowFolderViewer(main);
    EXPECT_TRUE(answerer.Done());
    EXPECT_GT(listed, 0);
    EXPECT_LT(listed, 60);
    EXPECT_EQ(resultAfterLoad, 0);
    EXPECT_TRUE(closedAfterwards);
}

TEST_F(TextViewerTest, SearchAsksToContinueFromTheStart)
{
    TSectionNode& node = NodeOfKind(nkTextPlain);
    std::vector<int> hits;
    auto recordHit = [&](HWND window) {
        CHARRANGE selection {};
        SendMessageW(Viewer(window)->deText->Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        hits.push_back(selection.cpMin);
    };
    // The search runs further down the stack until its dialogs have closed and it has selected.
    const auto searchEnded
        = [](TTextViewer& viewer) { return !viewer.deText->Searching() && viewer.deText->SelLength() > 0; };
    DialogAnswerer answerer;
    answerer
        .Then("TTextViewer", "",
            WhenShown([&](HWND window) { InjectKey('F', ssCtrl, Viewer(window)->deText->Handle()); }))
        .Then("TSearchDialog", "",
            [&](HWND window) {
                ControlOf<TSearchDialog>(window)->deAnswer->SetText("alpha");
                ControlOf<TSearchDialog>(window)->fbOk->Click();
            })
        .Then("TTextViewer", "",
            WhenReady(searchEnded,
                [&](HWND window) {
                    recordHit(window);
                    InjectKey(VK_F3, ssAlt, Viewer(window)->deText->Handle());
                    PumpPending();
                    recordHit(window);
                    InjectKey(VK_F3, 0, Viewer(window)->deText->Handle());
                    PumpPending();
                    recordHit(window);
                    InjectKey(VK_F3, 0, Viewer(window)->deText->Handle());
                }))
        .Then("TMessageDialog", "", [&](HWND window) { ClickButton(window, "Yes"); })
        // The search from the start runs after the question has closed: until then the last hit
        // is still selected.
        .Then("TTextViewer", "", WhenReady([&](TTextViewer& viewer) {
            CHARRANGE selection {};
            SendMessageW(viewer.deText->Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
            return searchEnded(viewer) && selection.cpMin != hits.back();
        }, [&](HWND window) {
            recordHit(window);
            PressKey(window, VK_ESCAPE);
        }));
    ShowPartText(main, node, nullptr, false);
    EXPECT_TRUE(answerer.Done());
    // First hit, Alt+F3 changes nothing, the next hit, then past the end back to the first.
    EXPECT_EQ(hits, (std::vector<int> { 0, 0, 11, 0 }));
}

TEST_F(TextViewerTest, LinksKeysAndTheBusyGuard)
{
    TSectionNode& node = NodeOfKind(nkTextPlain);
    bool closeRefusedWhileBusy = false;
    bool closeRefusedWithProgress = false;
    int beepKeysHandled = 0;
    std::string wrapHint;
    std::vector<std::string> fonts;
    bool wrapped = false;
    DialogAnswerer answerer;
    answerer.Then("TTextViewer", "", WhenShown([&](HWND window) {
        TTextViewer& viewer = *Viewer(window);
        viewer.deTextUrlDblClick("abc");
        viewer.deTextUrlDblClick("http://example.org/");
        viewer.pnButtons->SetEnabled(false);
        closeRefusedWhileBusy = !viewer.CloseQuery();
        viewer.pnButtons->SetEnabled(true);
        viewer.ShowProgress(-1);
        closeRefusedWithProgress = !viewer.CloseQuery();
        viewer.ShowProgress(0);
        const std::string before = viewer.deText->GetAnsiText();
        InjectKey('V', ssCtrl, viewer.deText->Handle());
        InjectKey('X', ssCtrl, viewer.deText->Handle());
        PumpPending();
        beepKeysHandled = viewer.deText->GetAnsiText() == before ? 2 : 0;
        for (int i = 0; i < 2; ++i) {
            InjectKey(VK_F12, 0, viewer.deText->Handle());
            PumpPending();
            fonts.push_back(viewer.deText->Font().Name());
        }
        viewer.fbWrap->Click();
        wrapped = viewer.deText->WordWrap();
        wrapHint = viewer.fbWrap->Hint;
        PressKey(window, VK_ESCAPE);
    }));
    ShowPartText(main, node, nullptr, false);
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(main.calls, (std::vector<std::string> { "open http://example.org/" }));
    EXPECT_TRUE(closeRefusedWhileBusy);
    EXPECT_TRUE(closeRefusedWithProgress);
    EXPECT_EQ(beepKeysHandled, 2);
    EXPECT_TRUE(wrapped);
    EXPECT_EQ(fonts, (std::vector<std::string> { "Courier New", "Arial" }));
    EXPECT_EQ(wrapHint, main.Texts().GetEntry(384));
}

TEST_F(TextViewerTest, EmptyTextOnlyBeepsOnSaveAndFolderModeHidesPrinting)
{
    main.folderText = std::string(1, '\0'); // the user cancelled the folder choice
    bool printVisible = true;
    bool mailboxVisible = false;
    bool htmlVisible = true;
    std::string caption;
    bool popupShown = false;
    DialogAnswerer answerer;
    answerer.Then("TTextViewer", "", WhenLoaded(main, [&](HWND window) {
        TTextViewer& viewer = *Viewer(window);
        printVisible = viewer.fbPrint->Visible();
        mailboxVisible = viewer.miUnixMailbox->Visible;
        htmlVisible = viewer.miHtmlText->Visible;
        caption = viewer.Caption();
        viewer.pmSave->OnPopup = [&](TPopupMenu&) { popupShown = true; };
        viewer.fbSave->Click();
        PressKey(window, VK_ESCAPE);
    }));
    ShowFolderViewer(main);
    EXPECT_TRUE(answerer.Done());
    EXPECT_FALSE(printVisible);
    EXPECT_TRUE(mailboxVisible);
    EXPECT_FALSE(htmlVisible);
    EXPECT_EQ(caption, main.Texts().GetEntry(381));
    EXPECT_FALSE(popupShown);
}

TEST_F(TextViewerTest, EncryptedFolderSavesWriteTheBinaryDataAndAFailedOneSaysNothingMore)
{
    main.folderText = FolderMessage(4, "Only");
    const std::string file = TempName("viewer-encrypted.txt.pgp");
    std::vector<std::string> suggested;
    std::vector<bool> enabled;
    bool writtenAfterFailure = true;
    DialogAnswerer answerer;
    answerer
        .Then("TTextViewer", "",
            WhenLoaded(main,
                [&](HWND window) {
                    TTextViewer& viewer = *Viewer(window);
                    viewer.PrepareSaveMenu();
                    enabled = { viewer.miRichText->Enabled, viewer.miEncryptedText->Visible,
                        viewer.miHtmlText->Visible };
                    viewer.SaveNameDialog = [&](const std::string& name, const std::string&, HWND) {
                        suggested.push_back(name);
                        return file;
                    };
                    main.encryptWorks = false;
                    viewer.miEncryptedRichText->Click();
                    writtenAfterFailure = GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
                    main.encryptWorks = true;
                    viewer.miEncryptedText->Click();
                }))
        .Then("TMessageDialog", "", [&](HWND window) { PressKey(window, VK_RETURN); })
        .Then("TTextViewer", "", [&](HWND window) { PressKey(window, VK_ESCAPE); });
    ShowFolderViewer(main);
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(enabled, (std::vector<bool> { true, true, false }));
    EXPECT_FALSE(writtenAfterFailure);
    ASSERT_EQ(suggested.size(), 2u);
    EXPECT_EQ(suggested[0].substr(suggested[0].size() - 8), ".rtf.pgp");
    EXPECT_EQ(suggested[1].substr(suggested[1].size() - 8), ".txt.pgp");
    EXPECT_EQ(suggested[1].find(':'), std::string::npos); // the caption's colon is made file-safe
    // The file holds the encryption's binary data byte for byte.
    const std::string written = ReadFile(file);
    EXPECT_EQ(written.substr(0, 8), EncryptedBytes("").substr(0, 8));
    EXPECT_GT(written.size(), 8u);
    DeleteFileA(file.c_str());
}

int printDialogs = 0;
HRESULT WINAPI CancelledPrintDialog(LPPRINTDLGEXA dialog)
{
    ++printDialogs;
    dialog->dwResultAction = PD_RESULT_CANCEL;
    return S_OK;
}

// The user picks the printer "Office", which this machine does not have.
HRESULT WINAPI ConfirmedPrintDialog(LPPRINTDLGEXA dialog)
{
    ++printDialogs;
    if (dialog->hDevNames)
        GlobalFree(dialog->hDevNames);
    dialog->hDevNames = DevNamesFor("Office");
    dialog->dwResultAction = PD_RESULT_PRINT;
    return S_OK;
}

bool BoldAt(TDropEdit& edit, int position)
{
    edit.SelectRange(position, 1);
    CHARFORMAT2W format {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD;
    SendMessageW(edit.Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return (format.dwEffects & CFE_BOLD) != 0;
}

TEST_F(TextViewerTest, PrintingRunsThePrintDialogAndPrintsTheSummaryValuesBold)
{
    TSectionNode& root = *tree.GetSection(0);
    int dialogs = -1;
    int fontSizeAfter = 0;
    std::string printText;
    std::vector<bool> bold;
    DialogAnswerer answerer;
    answerer.Then("TTextViewer", "", WhenShown([&](HWND window) {
        TTextViewer& viewer = *Viewer(window);
        viewer.deText->PrintDialogEntries.PropertySheetDialog = &CancelledPrintDialog;
        printDialogs = 0;
        viewer.fbPrint->Click();
        dialogs = printDialogs;
        fontSizeAfter = main.printer.Prefs.FontSize;

        // The print copy gets the summary with its values bold when the settings ask for it.
        auto* copy = new TDropEdit(&viewer);
        copy->SetParent(viewer.pnLeft);
        copy->SetBounds(0, 0, 300, 200);
        copy->HandleNeeded();
        copy->SetText("body");
        TPrinterPrefs prefs;
        prefs.FurtherOption = 1;
        viewer.deText->OnAfterSetPrintText(*copy, prefs);
        printText = copy->GetAnsiText();
        // "Date:" TAB value: the caption stays plain, the value is bold, the body is not.
        bold = { BoldAt(*copy, 0), BoldAt(*copy, 7), BoldAt(*copy, copy->TextLength() - 2) };

        // The kept printer is not there: the user is told so in the language file's words.
        viewer.deText->PrintDialogEntries.PropertySheetDialog = &ConfirmedPrintDialog;
        viewer.fbPrint->Click();
        PressKey(window, VK_ESCAPE);
    }));
    std::string failure;
    answerer.Then("TMessageDialog", "", [&](HWND window) {
        failure = ControlOf<TMessageDialog>(window)->reText->GetText();
        PressKey(window, VK_RETURN);
    });
    ShowPartText(main, root, nullptr, false);
    EXPECT_TRUE(answerer.Done());
    EXPECT_EQ(failure, "The printer \"Office\" could not be opened.");
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(fontSizeAfter, 11);
    EXPECT_EQ(main.bannerCall, "Alice <alice@example.org>|Hello|2026-12-7");
    EXPECT_EQ(printText.rfind("Date:\t", 0), 0u) << printText;
    EXPECT_NE(printText.find("Subject:\tHello"), std::string::npos) << printText;
    EXPECT_EQ(bold, (std::vector<bool> { false, true, false }));
}

} // namespace
