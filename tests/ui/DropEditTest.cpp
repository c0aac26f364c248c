// Tests of the rich-edit control under Wine: text in and out (plain, wide, RTF and UTF-8 streams),
// mail addresses marked as links, link events with their scheme rule, search with its again-flag
// and beeps, keys of read-only controls, dropped files, the OLE callback, and the print copy and
// page loop on metafile pages.
#include "ui/controls/DropEdit.h"
#include "foundation/RichEd20.h"
#include "foundation/RichEd20Text.h"
#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/harness/KeyInjector.h"
#include "ui/controls/DropEditPrintText.h"
#include "ui/controls/ThemeApi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include <shlobj.h>

namespace {

std::string Wide(const std::u16string& units)
{
    return WideTextOfUnits(units);
}

class DropEditTest : public testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(40, 40, 500, 300);
        form->HandleNeeded();
        edit = new TDropEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(5, 5, 480, 250);
        edit->SetPlainText(true);
        edit->HandleNeeded();
    }
    // The runs of linked characters, as texts.
    std::vector<std::string> Links()
    {
        std::vector<std::string> links;
        std::string text;
        for (const char c : edit->GetAnsiText())
            if (c != '\n')
                text += c; // positions count a line break as one character
        std::string current;
        for (int i = 0; i < edit->TextLength(); ++i) {
            if (edit->IsLinkAt(i)) {
                current += text[static_cast<std::size_t>(i)];
            } else if (!current.empty()) {
                links.push_back(current);
                current.clear();
            }
        }
        if (!current.empty())
            links.push_back(current);
        return links;
    }
    void SetWhole(const std::string& text)
    {
        edit->SelectAll();
        edit->SetText(text);
    }
    std::unique_ptr<TForm> form;
    TDropEdit* edit = nullptr;
};

TEST_F(DropEditTest, RunsInWideTextModeOnTheNewestRichEdit)
{
    EXPECT_GE(edit->RichEditVersion(), 3);
    EXPECT_TRUE(edit->WideMode());
    EXPECT_TRUE(edit->UrlDetection());
}

TEST_F(DropEditTest, SetTextReplacesTheSelectionAndPutsTheCaretAfterIt)
{
    SetWhole("hello world");
    edit->SelectRange(6, 5);
    edit->SetText("there\r\nand more");
    EXPECT_EQ(edit->GetAnsiText(), "hello there\r\nand more");
    EXPECT_EQ(edit->SelStart(), 6 + 14);
    edit->SelectAll();
    edit->SetText(Wide(u"\u00e9t\u00e9 \u4e2d"));
    EXPECT_EQ(edit->GetText(), Wide(u"\u00e9t\u00e9 \u4e2d"));
    edit->SearchOptions |= stAnsiChar;
    EXPECT_EQ(edit->GetText().substr(0, 3), "\xe9t\xe9");
}

TEST_F(DropEditTest, MarksMailAddressesByTheStopSets)
{
    struct Case {
        std::string text;
        std::vector<std::string> links;
    };
    const Case cases[] = {
        { "a b@c.de e", { "b@c.de" } },
        { "x @ y and x@ y", {} },
        { "write to <jo@x.org> now", { "jo@x.org" } },
        { "<john smith@x.com>", { "smith@x.com" } },
        { "one a@b.cc\r\ntwo \"q r@s.tt\" \"u@v.w x\" end", { "a@b.cc", "r@s.tt", "u@v.w x" } },
    };
    edit->SetUrlDetection(false); // the system's own detection stays out of the way
    for (const Case& c : cases) {
        SetWhole(c.text);
        edit->SetUrlDetection(true);
        SendMessageW(edit->Handle(), EM_AUTOURLDETECT, FALSE, 0);
        edit->SelectAll();
        edit->SetText(c.text);
        EXPECT_EQ(Links(), c.links) << c.text;
        edit->SetUrlDetection(false);
    }
}

TEST_F(DropEditTest, LinkEventsReportTheSchemeRuleAndRestoreTheCaret)
{
    edit->SetUrlDetection(true);
    SetWhole("mail jo@x.org or HTTP://h.org/a");
    std::vector<std::string> clicks;
    std::vector<std::string> doubleClicks;
    edit->OnUrlClick = [&](const std::string& url, TMouseButton button, int, int) {
        clicks.push_back((button == mbLeft ? "L " : "R ") + url);
    };
    edit->OnUrlDblClick = [&](const std::string& url) { doubleClicks.push_back(url); };
    const auto link = [&](UINT msg, LONG from, LONG to) {
        ENLINK notice {};
        notice.nmhdr.hwndFrom = edit->Handle();
        notice.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(edit->Handle()));
        notice.nmhdr.code = EN_LINK;
        notice.msg = msg;
        notice.chrg = { from, to };
        SendMessageW(form->Handle(), WM_NOTIFY, notice.nmhdr.idFrom, reinterpret_cast<LPARAM>(&notice));
    };
    link(WM_LBUTTONDOWN, 5, 13);
    link(WM_RBUTTONDOWN, 17, 31);
    edit->SelectRange(2, 0);
    link(WM_LBUTTONDBLCLK, 17, 31);
    EXPECT_EQ(clicks, (std::vector<std::string> { "L mailto:jo@x.org", "R HTTP://h.org/a" }));
    EXPECT_EQ(doubleClicks, (std::vector<std::string> { "HTTP://h.org/a" }));
}

TEST_F(DropEditTest, ForwardMissSetsSearchAgainAndTheNextCallSkipsTheDialog)
{
    SetWhole("alpha beta alpha gamma");
    int dialogs = 0;
    edit->SearchDialog
        = [&](const std::string&, const std::string&, TSearchTypes& options, std::string& text) {
              ++dialogs;
              options |= stDown;
              text = Wide(u"alpha");
          };
    edit->SelectRange(0, 0);
    EXPECT_TRUE(edit->FindNext());
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_EQ(edit->SelLength(), 5);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(edit->FindNext());
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(edit->SelStart(), 11);
    EXPECT_TRUE(edit->FindNext()); // misses: the result stays, the flag is set
    EXPECT_TRUE(edit->SearchAgain());
    EXPECT_EQ(dialogs, 3);
    // Again: the selection is searched without the dialog, from where it ends...
    EXPECT_TRUE(edit->FindNext());
    EXPECT_EQ(dialogs, 3);
    EXPECT_TRUE(edit->SearchAgain());
    // ... and from the start once the caller has put the caret there.
    edit->SelectRange(0, 0);
    EXPECT_TRUE(edit->FindNext());
    EXPECT_EQ(dialogs, 3);
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_EQ(edit->SelLength(), 5);
}

TEST_F(DropEditTest, BackwardSearchFindsEarlierHitsAndFailsAtTheStart)
{
    SetWhole("one two one two");
    edit->SearchOptions = 0;
    edit->SearchDialog = [&](const std::string&, const std::string&, TSearchTypes&, std::string& text) {
        text = Wide(u"one");
    };
    edit->SelectRange(15, 0);
    EXPECT_TRUE(edit->FindNext());
    EXPECT_EQ(edit->SelStart(), 8);
    EXPECT_TRUE(edit->FindNext());
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_FALSE(edit->FindNext());
}

TEST_F(DropEditTest, StreamsLoadRtfByItsHeadAndTextAsUtf8)
{
    TStringStream rtf("{\\rtf1\\ansi {\\b bold} plain}");
    edit->LoadFromStream(&rtf);
    EXPECT_EQ(edit->GetAnsiText(), "bold plain");
    EXPECT_FALSE(edit->PlainText());
    // A head in capitals goes to the rich edit's RTF reader too, never in as text.
    edit->SetPlainText(true);
    TStringStream capitals("{\\RTF1\\ansi capitals}");
    edit->LoadFromStream(&capitals);
    EXPECT_FALSE(edit->PlainText());
    EXPECT_EQ(edit->GetAnsiText().find("RTF1"), std::string::npos);

    edit->SetPlainText(true);
    edit->SelectAll();
    TStringStream head("{\\rtf");
    edit->LoadFromStream(&head);
    EXPECT_EQ(edit->GetAnsiText(), "{\\rtf");

    edit->SelectAll();
    TStringStream utf8("gr\xC3\xBC\xC3\x9F \xE4\xB8\xAD");
    edit->LoadFromStream(&utf8);
    EXPECT_EQ(edit->GetText(), Wide(u"gr\u00fc\u00df \u4e2d"));
    TStringStream saved;
    edit->SaveToStream(saved);
    EXPECT_EQ(saved.DataString(), "\xEF\xBB\xBFgr\xC3\xBC\xC3\x9F \xE4\xB8\xAD");

    edit->LoadFromStream(nullptr);
    EXPECT_EQ(edit->TextLength(), 0);
}

// Rich text is read by a new window on the default formats; the caret stays hidden as it was and
// the focus stays in the control.
TEST_F(DropEditTest, LoadingRichTextMakesANewWindowThatKeepsFocusAndCaretState)
{
    form->Show();
    SetWhole("plain text first");
    edit->SetFocus();
    edit->SetHideCaret(true);
    const HWND before = edit->Handle();
    edit->SetRtfText("{\\rtf1\\ansi {\\b bold} plain}");
    EXPECT_NE(edit->Handle(), before);
    EXPECT_EQ(edit->GetAnsiText(), "bold plain");
    EXPECT_FALSE(edit->PlainText());
    EXPECT_EQ(GetFocus(), edit->Handle());
    EXPECT_TRUE(edit->HideCaret());
    form->Hide();
}

// A right click outside a link, or the menu key, goes to OnContextPopup when no popup menu opens
// by itself.
TEST_F(DropEditTest, RightClickOutsideALinkReachesTheContextPopupEvent)
{
    SetWhole("no link here");
    std::vector<POINT> requests;
    const LPARAM at = MAKELPARAM(12, 8);
    edit->OnContextPopup = [&](TDropEdit&, POINT point) { requests.push_back(point); };
    SendMessageW(edit->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    TPopupMenu menu(form.get());
    menu.AutoPopup = false;
    edit->SetPopupMenu(&menu);
    SendMessageW(edit->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit->Handle()), -1);
    edit->SetPopupMenu(nullptr);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].x, 12);
    EXPECT_EQ(requests[0].y, 8);
    EXPECT_EQ(requests[1].x, -1) << "from the keyboard";
}

TEST_F(DropEditTest, SpacePagesThroughAReadOnlyControl)
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    SetWhole(text);
    edit->SetReadOnly(true);
    edit->SelectRange(0, 0);
    ASSERT_TRUE(EnsureForeground(form->Handle()));
    edit->SetFocus();
    const auto firstLine
        = [&] { return static_cast<int>(SendMessageW(edit->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0)); };
    InjectKey(VK_SPACE, 0, edit->Handle());
    PumpPending();
    const int down = firstLine();
    EXPECT_GT(down, 0);
    InjectKey(VK_SPACE, ssShift, edit->Handle());
    PumpPending();
    EXPECT_LT(firstLine(), down);
    EXPECT_EQ(edit->GetAnsiText(), text.substr(0, text.size()));
}

TEST_F(DropEditTest, DroppedFilesArriveLastToFirstAndTheEventFiresOnce)
{
    std::vector<std::string> names;
    int events = 0;
    edit->OnFileDropped = [&](TDropFiles& files) {
        ++events;
        for (int i = 0; i < files.Files().Count(); ++i)
            names.push_back(files.Files()[i]);
        files.Files().Clear();
    };
    const std::string list = std::string("C:\\a.txt") + '\0' + "C:\\b.txt" + '\0' + "C:\\c.txt" + '\0' + '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(memory);
    SendMessageW(edit->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(events, 1);
    EXPECT_EQ(names, (std::vector<std::string> { "C:\\c.txt", "C:\\b.txt", "C:\\a.txt" }));
}

TEST_F(DropEditTest, UrlDetectionFollowsTheLibraryVersion)
{
    edit->SetUrlDetection(false);
    EXPECT_FALSE(edit->UrlDetection());
    edit->SetUrlDetection(true);
    EXPECT_EQ(edit->UrlDetection(), edit->RichEditVersion() >= 2);
}

TEST_F(DropEditTest, TheThemeDrawsTheBorderOnlyForTheWindowAndFaceColours)
{
    EXPECT_EQ(edit->Themed(), VisualStylesActive());
    if (!edit->Themed())
        GTEST_SKIP() << "visual styles are off";
    RECT window {};
    RECT client {};
    GetWindowRect(edit->Handle(), &window);
    GetClientRect(edit->Handle(), &client);
    MapWindowPoints(edit->Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_GE(client.left, window.left + 2);
    EXPECT_GE(client.top, window.top + 2);
    EXPECT_LE(client.bottom, window.bottom - 2);
    edit->SetColor(0x00C2E0E0);
    EXPECT_FALSE(edit->Themed());
    edit->SetColor(clBtnFace);
    EXPECT_TRUE(edit->Themed());
}

std::string ClipboardText()
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST_F(DropEditTest, ShortcutsSelectCopyPasteAndUndo)
{
    SetWhole("copy this");
    ASSERT_TRUE(EnsureForeground(form->Handle()));
    edit->SetFocus();
    InjectKey('A', ssCtrl, edit->Handle());
    PumpPending();
    EXPECT_EQ(edit->SelLength(), 9);
    InjectKey('C', ssCtrl, edit->Handle());
    PumpPending();
    EXPECT_EQ(ClipboardText(), "copy this");
    edit->SelectRange(9, 0);
    InjectKey('V', ssCtrl, edit->Handle());
    PumpPending();
    EXPECT_EQ(edit->GetAnsiText(), "copy thiscopy this");
    // A read-only control takes no cut and no paste.
    edit->SetReadOnly(true);
    edit->SelectAll();
    InjectKey('X', ssCtrl, edit->Handle());
    InjectKey('V', ssCtrl, edit->Handle());
    PumpPending();
    EXPECT_EQ(edit->GetAnsiText(), "copy thiscopy this");
}

TEST_F(DropEditTest, TypedCharactersBeyondLatin1ArriveWhole)
{
    SetWhole("");
    for (const wchar_t c : { L'a', L'\u0101', L'\u4e2d', L'\x01' })
        SendMessageW(edit->Handle(), WM_CHAR, c, 1);
    EXPECT_EQ(edit->GetText(), Wide(u"a\u0101\u4e2d"));
}

TEST_F(DropEditTest, EnterOutsideALinkStillBreaksTheLine)
{
    SetWhole("ab");
    ASSERT_TRUE(EnsureForeground(form->Handle()));
    edit->SetFocus();
    edit->SelectRange(1, 0);
    InjectKey(VK_RETURN, 0, edit->Handle());
    PumpPending();
    EXPECT_EQ(edit->GetAnsiText(), "a\r\nb");
}

TEST_F(DropEditTest, EnterOnALinkActsAsADoubleClickThatSelectsNothing)
{
    SetWhole("write to jo@x.org please");
    std::vector<std::string> opened;
    edit->OnUrlDblClick = [&](const std::string& url) { opened.push_back(url); };
    ASSERT_TRUE(edit->IsLinkAt(10));
    ASSERT_TRUE(EnsureForeground(form->Handle()));
    edit->SetFocus();
    edit->SelectRange(11, 0);
    InjectKey(VK_RETURN, 0, edit->Handle());
    PumpPending();
    EXPECT_EQ(opened, (std::vector<std::string> { "mailto:jo@x.org" }));
    EXPECT_EQ(edit->SelLength(), 0);
    EXPECT_EQ(edit->GetAnsiText(), "write to jo@x.org please");
}

TEST_F(DropEditTest, UrlTipShowsForWebLinksAndClosesOnAKey)
{
    SetWhole("see http://example.org/a%20b and jo@x.org");
    const auto hover = [&](LONG from, LONG to) {
        ENLINK notice {};
        notice.nmhdr.hwndFrom = edit->Handle();
        notice.nmhdr.code = EN_LINK;
        notice.msg = WM_MOUSEMOVE;
        notice.lParam = MAKELPARAM(40, 5);
        notice.chrg = { from, to };
        SendMessageW(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
    };
    hover(34, 42);
    EXPECT_FALSE(edit->UrlTipOpen());
    hover(4, 29);
    EXPECT_TRUE(edit->UrlTipOpen());
    ASSERT_TRUE(EnsureForeground(form->Handle()));
    edit->SetFocus();
    InjectKey(VK_RIGHT, 0, edit->Handle());
    PumpPending();
    EXPECT_FALSE(edit->UrlTipOpen());
}

TEST(RichOleCallback, AdmitsObjectsOnlyWhenAllowedAndCountsThem)
{
    auto callback = IREOCallback::Create();
    ASSERT_TRUE(callback);
    IStorage* storage = nullptr;
    EXPECT_EQ(callback->GetNewStorage(&storage), E_NOTIMPL);
    EXPECT_EQ(callback->QueryInsertObject(nullptr, nullptr, 0), S_FALSE);
    callback->SetObjectsAllowed(true);
    ASSERT_EQ(callback->GetNewStorage(&storage), S_OK);
    storage->Release();
    EXPECT_EQ(callback->QueryInsertObject(nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(callback->QueryInsertObject(nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(callback->DeleteObject(nullptr), E_NOTIMPL);
    EXPECT_EQ(callback->ObjectCount(), 1);
    void* object = nullptr;
    EXPECT_EQ(callback->QueryInterface(IID_IRichEditOleCallback, &object), S_OK);
    EXPECT_EQ(callback->QueryInterface(IID_IDataObject, &object), E_NOINTERFACE);
    EXPECT_EQ(callback->AddRef(), 1u);
}

// Pages as metafiles; the rich edit's page formatting is replaced by pages of a fixed number of
// characters, since the one under Wine formats nothing.
class MetafilePages : public TDropEdit::IPrintTarget {
public:
    explicit MetafilePages(int charsPerPage)
        : charsPerPage_(charsPerPage)
    {
        Start();
    }
    ~MetafilePages() override
    {
        for (HENHMETAFILE page : pages)
            DeleteEnhMetaFile(page);
    }
    HDC Dc() override { return dc_; }
    void NewPage() override
    {
        Close();
        Start();
    }
    int FormatRange(HWND edit, FORMATRANGE* range, bool draw) override
    {
        if (!range)
            return 0;
        if (draw)
            drawn.push_back(range->chrg.cpMin);
        return std::min<int>(range->chrg.cpMin + charsPerPage_, range->chrg.cpMax);
    }
    // The texts drawn on a page.
    std::vector<std::u16string> Texts(std::size_t page)
    {
        std::vector<std::u16string> texts;
        EnumEnhMetaFile(nullptr, pages.at(page), &CollectText, &texts, nullptr);
        return texts;
    }
    static int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data)
    {
        if (record->iType == EMR_EXTTEXTOUTW) {
            const auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
            const auto* chars = reinterpret_cast<const char16_t*>(
                reinterpret_cast<const BYTE*>(record) + text->emrtext.offString);
            reinterpret_cast<std::vector<std::u16string>*>(data)->emplace_back(chars, text->emrtext.nChars);
        }
        return 1;
    }
    void Close()
    {
        if (dc_)
            pages.push_back(CloseEnhMetaFile(dc_));
        dc_ = nullptr;
    }
    std::vector<HENHMETAFILE> pages;
    std::vector<int> drawn;

private:
    void Start() { dc_ = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr); }
    int charsPerPage_;
    HDC dc_ = nullptr;
};

TTextPrinterData PrintData(const std::string& footer)
{
    TTextPrinterData data;
    data.Prefs.HeaderFooter = pfHeader | pfFooter;
    data.Prefs.MarginLeft = data.Prefs.MarginRight = 10;
    data.Prefs.MarginTop = data.Prefs.MarginBottom = 15;
    data.Prefs.HeaderFontStyle = 1;
    lstrcpyA(data.Prefs.FontName, "Arial");
    data.Prefs.FontSize = 10;
    data.HeaderText = "The header";
    data.FooterText = footer;
    return data;
}

TEST_F(DropEditTest, PrintsFootersOnlyWhenThereIsMoreThanOnePage)
{
    SetWhole("0123456789abcdefghijklmnopqrst\r\n\r\n\r\n");
    TTextPrinterData data = PrintData("Page %s of %d");
    {
        MetafilePages pages(10);
        edit->PrintPages(pages, data);
        pages.Close();
        ASSERT_EQ(pages.pages.size(), 3u);
        EXPECT_EQ(pages.drawn, (std::vector<int> { 0, 10, 20 }));
        EXPECT_EQ(pages.Texts(1), (std::vector<std::u16string> { u"The header", u"Page 2 of 3" }));
    }
    {
        MetafilePages pages(100);
        edit->PrintPages(pages, data);
        pages.Close();
        ASSERT_EQ(pages.pages.size(), 1u);
        EXPECT_EQ(pages.Texts(0), (std::vector<std::u16string> { u"The header" }));
    }
}

TEST_F(DropEditTest, TrailingBlankLinesMakeNoPageAndTheCopyHasTheEventsText)
{
    SetWhole("0123456789\r\n \r\n\t\r\n\r\n");
    TTextPrinterData data = PrintData("p%s/%d");
    std::vector<std::string> seen;
    edit->OnBeforeSetPrintText
        = [&](TDropEdit& copy, TPrinterPrefs&) { seen.push_back("before " + copy.GetAnsiText()); };
    edit->OnAfterSetPrintText = [&](TDropEdit& copy, TPrinterPrefs&) {
        seen.push_back("after " + std::to_string(copy.TextLength()));
        EXPECT_EQ(copy.Font().Name(), "Arial");
    };
    MetafilePages pages(11);
    edit->PrintPages(pages, data);
    pages.Close();
    EXPECT_EQ(pages.pages.size(), 1u);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], "before ");
}

TEST_F(DropEditTest, PrintingTheSelectionPrintsOnlyIt)
{
    SetWhole("first part SECOND part");
    edit->SelectRange(11, 6);
    TTextPrinterData data = PrintData("");
    data.Prefs.PrintRange = prSelection;
    std::string printed;
    edit->OnAfterSetPrintText = [&](TDropEdit& copy, TPrinterPrefs&) { printed = copy.GetAnsiText(); };
    MetafilePages pages(100);
    edit->PrintPages(pages, data);
    EXPECT_EQ(printed, "SECOND");
}

TEST_F(DropEditTest, AFooterWithTheWrongConversionsEndsThePrint)
{
    SetWhole("0123456789abcdefghij");
    TTextPrinterData data = PrintData("%d of %s");
    MetafilePages pages(10);
    try {
        edit->PrintPages(pages, data);
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Invalid AS string format argument #1");
    }
}

int printDialogs = 0;
DWORD printDialogFlags = 0;
HRESULT WINAPI CancelledPrintDialog(LPPRINTDLGEXA dialog)
{
    ++printDialogs;
    printDialogFlags = dialog->Flags;
    dialog->dwResultAction = PD_RESULT_CANCEL;
    return S_OK;
}

TEST_F(DropEditTest, PrintAsksThePrintDialogOnlyForTextAndSaysWhenASelectionIsPrinted)
{
    edit->PrintDialogEntries.PropertySheetDialog = &CancelledPrintDialog;
    TTextPrinterData data = PrintData("");
    data.Prefs.FontName[0] = '\0';
    data.Prefs.FontSize = 0;
    edit->Print(data);
    EXPECT_EQ(printDialogs, 0); // an empty text prints nothing

    SetWhole("some text to print");
    edit->SelectRange(5, 4);
    edit->Print(data);
    EXPECT_EQ(printDialogs, 1);
    EXPECT_TRUE(printDialogFlags & PD_SELECTION);
    EXPECT_EQ(data.Prefs.PrintRange, prSelection);
    EXPECT_EQ(std::string(data.Prefs.FontName), edit->Font().Name());
    EXPECT_EQ(data.Prefs.FontSize, edit->Font().Size());

    // The next print without a selection offers the whole text, not the range the last one kept.
    edit->SelectRange(3, 0);
    edit->Print(data);
    EXPECT_EQ(printDialogs, 2);
    EXPECT_FALSE(printDialogFlags & PD_SELECTION);
    EXPECT_TRUE(printDialogFlags & PD_NOSELECTION);
    EXPECT_EQ(data.Prefs.PrintRange, prAllPages);
}

} // namespace
