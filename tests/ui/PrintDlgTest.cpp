// Tests of the print dialog under Wine with stand-ins for the system's dialogs: the flags built
// from the record, Print, Apply and Cancel and what goes back into the caller's record, the plain
// dialog where the property-sheet one fails, and the centring of dialogs over the owner.
#include "ui/dialogs/PrintDlg.h"
#include "ui/PrintTestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// What the stand-in dialogs saw and answer.
struct Script {
    HRESULT result = S_OK;
    DWORD action = PD_RESULT_CANCEL;
    DWORD copies = 1;
    DWORD flagsBack = 0;
    std::string device = "Stand-in Printer";
    bool plainAnswer = false;
    HWND owner = nullptr;
    RECT shownRect {};
    bool showDialog = false;
    std::vector<DWORD> flagsSeen;
    std::vector<std::string> calls;
};
Script script;

INT_PTR CALLBACK IdleDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// A modal dialog frame of the system's dialog class, shown and closed again.
RECT ShowModalFrameDialog(HWND owner)
{
    struct {
        DLGTEMPLATE head;
        WORD menu, windowClass, title;
    } templ {};
    templ.head.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    templ.head.cx = 100;
    templ.head.cy = 50;
    HWND dialog = CreateDialogIndirectParamA(nullptr, &templ.head, owner, &IdleDialogProc, 0);
    ShowWindow(dialog, SW_SHOW);
    RECT rect {};
    GetWindowRect(dialog, &rect);
    DestroyWindow(dialog);
    return rect;
}

HRESULT WINAPI FakePrintDlgEx(LPPRINTDLGEXA dialog)
{
    script.calls.push_back("ex");
    script.flagsSeen.push_back(dialog->Flags);
    EXPECT_EQ(dialog->lStructSize, sizeof(PRINTDLGEXA));
    EXPECT_EQ(dialog->nStartPage, START_PAGE_GENERAL);
    EXPECT_EQ(dialog->ExclusionFlags, static_cast<DWORD>(PD_EXCL_COPIESANDCOLLATE));
    EXPECT_NE(dialog->lpCallback, nullptr);
    if (script.showDialog)
        script.shownRect = ShowModalFrameDialog(nullptr);
    if (FAILED(script.result))
        return script.result;
    dialog->dwResultAction = script.action;
    if (script.action != PD_RESULT_CANCEL) {
        if (dialog->hDevNames)
            GlobalFree(dialog->hDevNames);
        dialog->hDevNames = DevNamesFor(script.device);
        dialog->nCopies = script.copies;
        dialog->Flags = script.flagsBack;
    }
    return S_OK;
}

BOOL WINAPI FakePrintDlg(LPPRINTDLGA dialog)
{
    script.calls.push_back("plain");
    script.flagsSeen.push_back(dialog->Flags);
    if (!script.plainAnswer)
        return FALSE;
    if (dialog->hDevNames)
        GlobalFree(dialog->hDevNames);
    dialog->hDevNames = DevNamesFor(script.device);
    dialog->nCopies = static_cast<WORD>(script.copies);
    dialog->Flags = script.flagsBack;
    return TRUE;
}

const TPrintDialogEntries fakes { &FakePrintDlgEx, &FakePrintDlg };

TPrinterData Record()
{
    TPrinterData data;
    SetPrinterName(data.Prefs, "Old Printer");
    data.Prefs.Copies = 1;
    data.Prefs.MarginLeft = 12;
    return data;
}

class PrintDialog : public testing::Test {
protected:
    void SetUp() override { script = Script {}; }
};

TEST_F(PrintDialog, FlagsFollowTheRecordsRangeAndCollation)
{
    constexpr DWORD always = PD_NOCURRENTPAGE | PD_EXCLUSIONFLAGS | PD_HIDEPRINTTOFILE | PD_NOWARNING;
    struct Case {
        int32_t range;
        int32_t collate;
        DWORD flags;
    };
    const Case cases[] = {
        { prAllPages, 0, always | PD_ALLPAGES | PD_NOPAGENUMS | PD_NOSELECTION },
        { prAllPages, 1, always | PD_ALLPAGES | PD_NOPAGENUMS | PD_NOSELECTION | PD_COLLATE },
        { prSelection, 0, always | PD_SELECTION | PD_NOPAGENUMS },
        { prPageNums, 0, always | PD_PAGENUMS | PD_NOSELECTION },
    };
    for (const Case& c : cases) {
        TPrinterData data = Record();
        data.Prefs.PrintRange = c.range;
        data.Prefs.Collate = c.collate;
        EXPECT_FALSE(ExecutePrintDialog(data, fakes));
    }
    ASSERT_EQ(script.flagsSeen.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(script.flagsSeen[i], cases[i].flags) << i;
}

TEST_F(PrintDialog, PrintConfirmsAndBringsTheChoiceBack)
{
    script.action = PD_RESULT_PRINT;
    script.copies = 3;
    script.flagsBack = PD_SELECTION | PD_COLLATE;
    TPrinterData data = Record();
    EXPECT_TRUE(ExecutePrintDialog(data, fakes));
    EXPECT_EQ(PrinterNameOf(data.Prefs), "Stand-in Printer");
    EXPECT_EQ(data.Prefs.Copies, 3);
    EXPECT_EQ(data.Prefs.Collate, 1);
    EXPECT_EQ(data.Prefs.PrintRange, prSelection);
    EXPECT_EQ(data.Prefs.MarginLeft, 12);
}

TEST_F(PrintDialog, ApplyThenCancelKeepsTheChangesButIsNoConfirmation)
{
    script.action = PD_RESULT_APPLY;
    script.copies = 2;
    TPrinterData data = Record();
    EXPECT_FALSE(ExecutePrintDialog(data, fakes));
    EXPECT_EQ(PrinterNameOf(data.Prefs), "Stand-in Printer");
    EXPECT_EQ(data.Prefs.Copies, 2);
}

TEST_F(PrintDialog, CancelLeavesTheRecordAsItWas)
{
    TPrinterData data = Record();
    data.Prefs.Copies = 4;
    EXPECT_FALSE(ExecutePrintDialog(data, fakes));
    EXPECT_EQ(PrinterNameOf(data.Prefs), "Old Printer");
    EXPECT_EQ(data.Prefs.Copies, 4);
}

TEST_F(PrintDialog, AFailingPropertySheetDialogLeavesThePlainOne)
{
    script.result = E_NOTIMPL;
    script.plainAnswer = true;
    script.copies = 5;
    TPrinterData data = Record();
    EXPECT_TRUE(ExecutePrintDialog(data, fakes));
    EXPECT_EQ(script.calls, (std::vector<std::string> { "ex", "plain" }));
    EXPECT_EQ(data.Prefs.Copies, 5);
    EXPECT_EQ(PrinterNameOf(data.Prefs), "Stand-in Printer");

    script.calls.clear();
    script.plainAnswer = false;
    TPrinterData cancelled = Record();
    EXPECT_FALSE(ExecutePrintDialog(cancelled, fakes));
    EXPECT_EQ(PrinterNameOf(cancelled.Prefs), "Old Printer");
}

TEST_F(PrintDialog, DialogsAreCentredOverTheOwner)
{
    EXPECT_EQ(CentredPosition({ 100, 100, 500, 400 }, { 0, 0, 200, 100 }).x, 200);
    EXPECT_EQ(CentredPosition({ 100, 100, 500, 400 }, { 0, 0, 200, 100 }).y, 200);
    EXPECT_EQ(CentredPosition({ 0, 0, 101, 101 }, { 0, 0, 200, 100 }).x, -49);

    HWND owner = CreateWindowExA(
        0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 300, 200, 600, 400, nullptr, nullptr, nullptr, nullptr);
    script.showDialog = true;
    TPrinterData data = Record();
    data.OwnerWindow = owner;
    ExecutePrintDialog(data, fakes);
    const RECT& shown = script.shownRect;
    EXPECT_EQ(shown.left, 300 + (600 - (shown.right - shown.left)) / 2);
    EXPECT_EQ(shown.top, 200 + (400 - (shown.bottom - shown.top)) / 2);
    // Without the print dialog's hook nothing moves it.
    const RECT plain = ShowModalFrameDialog(nullptr);
    EXPECT_NE(plain.left, shown.left);
    DestroyWindow(owner);
}

TEST(PrinterPrefs, NamesAreCutToTheirField)
{
    TPrinterPrefs prefs;
    SetPrinterName(prefs, std::string(300, 'p'));
    EXPECT_EQ(PrinterNameOf(prefs), std::string(260, 'p'));
}

} // namespace

namespace {

// The extra page alone in a window of its own, with a stand-in paper size.
class PrintPageTest : public testing::Test {
protected:
    void SetUp() override
    {
        data = Record();
        data.Captions = { "Page", "Orientation", "Portrait", "Landscape", "Margins", "Left/right",
            "Top/bottom", "Font", "Name", "Size", "Header and footer", "Header", "Footer", "Further" };
        lstrcpyA(data.Prefs.FontName, "Courier New");
        data.Prefs.FontSize = 13;
        data.Prefs.HeaderFooter = pfFooter;
        host = CreateWindowExA(
            0, "#32770", "print", WS_POPUP, 0, 0, 500, 400, nullptr, nullptr, nullptr, nullptr);
        apply = CreateWindowExA(0, "BUTTON", "Apply", WS_CHILD | BS_PUSHBUTTON | WS_DISABLED, 0, 370, 60, 20,
            host, nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        page.reset();
        DestroyWindow(host);
    }
    HWND Open(SIZE paper)
    {
        page = std::make_unique<TPrintPage>(data, nullptr);
        paperSize = paper;
        page->PaperSize = [this](const std::string& printer, SIZE& size) {
            printers.push_back(printer);
            size = paperSize;
            return paperSize.cx > 0;
        };
        return page->CreateWindowIn(host);
    }
    std::pair<int, int> Range(int id)
    {
        int low = -1;
        int high = -1;
        SendDlgItemMessageA(page->Window(), id, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
            reinterpret_cast<LPARAM>(&high));
        return { low, high };
    }
    int Value(int id) { return static_cast<int>(GetDlgItemInt(page->Window(), id, nullptr, FALSE)); }
    std::string Selected(int id)
    {
        char text[64] = {};
        GetDlgItemTextA(page->Window(), id, text, sizeof text);
        return text;
    }
    bool Shown(int id)
    {
        return (GetWindowLongA(GetDlgItem(page->Window(), id), GWL_STYLE) & WS_VISIBLE) != 0;
    }

    TPrinterData data;
    std::unique_ptr<TPrintPage> page;
    SIZE paperSize {};
    std::vector<std::string> printers;
    HWND host = nullptr;
    HWND apply = nullptr;
};

TEST_F(PrintPageTest, MarginLimitsAreAThirdOfThePaperUpTo99)
{
    ASSERT_TRUE(Open({ 210, 297 }));
    EXPECT_EQ(printers, (std::vector<std::string> { "Old Printer" }));
    EXPECT_EQ(Range(idHorizontalUpDown), std::make_pair(0, 70));
    EXPECT_EQ(Range(idVerticalUpDown), std::make_pair(0, 99));
    EXPECT_EQ(Value(idHorizontalEdit), 12);
    // Another printer: new limits; one without a device context keeps them.
    paperSize = { 400, 150 };
    page->PrinterChanged();
    EXPECT_EQ(Range(idHorizontalUpDown), std::make_pair(0, 99));
    EXPECT_EQ(Range(idVerticalUpDown), std::make_pair(0, 50));
    paperSize = { 0, 0 };
    page->PrinterChanged();
    EXPECT_EQ(Range(idVerticalUpDown), std::make_pair(0, 50));
}

TEST_F(PrintPageTest, ArrowKeysStepTheMarginsWithinTheirLimits)
{
    ASSERT_TRUE(Open({ 210, 297 }));
    HWND edit = GetDlgItem(page->Window(), idHorizontalEdit);
    SetDlgItemInt(page->Window(), idHorizontalEdit, 69, FALSE);
    SendMessageA(edit, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(Value(idHorizontalEdit), 70);
    SendMessageA(edit, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(Value(idHorizontalEdit), 70);
    EXPECT_EQ(data.Prefs.MarginLeft, 70);
    EXPECT_EQ(data.Prefs.MarginRight, 70);
    SetDlgItemInt(page->Window(), idVerticalEdit, 0, FALSE);
    SendMessageA(GetDlgItem(page->Window(), idVerticalEdit), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(Value(idVerticalEdit), 0);
    EXPECT_EQ(data.Prefs.MarginTop, 0);
    EXPECT_EQ(data.Prefs.MarginBottom, 0);
    EXPECT_TRUE(IsWindowEnabled(apply));
}

TEST_F(PrintPageTest, CaptionsDecideWhichBoxesShow)
{
    ASSERT_TRUE(Open({ 210, 297 }));
    EXPECT_TRUE(Shown(idHeaderFooterGroup));
    EXPECT_FALSE(IsDlgButtonChecked(page->Window(), idHeaderBox));
    EXPECT_TRUE(IsDlgButtonChecked(page->Window(), idFooterBox));
    EXPECT_EQ(Selected(idLandscape), "Landscape");
    DestroyWindow(page->Window());

    data.Captions[10].clear();
    data.Captions[13].clear();
    ASSERT_TRUE(Open({ 210, 297 }));
    for (const int id : { idHeaderFooterGroup, idHeaderBox, idFooterBox, idFurtherOptionBox })
        EXPECT_FALSE(Shown(id)) << id;
}

TEST_F(PrintPageTest, ChoicesGoIntoTheRecord)
{
    ASSERT_TRUE(Open({ 210, 297 }));
    EXPECT_FALSE(IsWindowEnabled(apply));
    SendDlgItemMessageA(page->Window(), idLandscape, BM_CLICK, 0, 0);
    EXPECT_EQ(data.Prefs.Orientation, 1);
    EXPECT_TRUE(IsWindowEnabled(apply));
    SendDlgItemMessageA(page->Window(), idHeaderBox, BM_CLICK, 0, 0);
    SendDlgItemMessageA(page->Window(), idFooterBox, BM_CLICK, 0, 0);
    EXPECT_EQ(data.Prefs.HeaderFooter, pfHeader);
    SendDlgItemMessageA(page->Window(), idFurtherOptionBox, BM_CLICK, 0, 0);
    EXPECT_EQ(data.Prefs.FurtherOption, 1);
}

TEST_F(PrintPageTest, FontListsHoldTheFamiliesAndTheirSizes)
{
    lstrcpyA(data.Prefs.FontName, "No Such Font");
    ASSERT_TRUE(Open({ 210, 297 }));
    HWND names = GetDlgItem(page->Window(), idFontNameList);
    EXPECT_GT(SendMessageA(names, CB_GETCOUNT, 0, 0), 1);
    std::string chosen = Selected(idFontNameList);
    EXPECT_FALSE(chosen.empty());
    // A scalable family the record names is chosen, with the fixed sizes.
    std::string scalable;
    for (int i = 0; i < SendMessageA(names, CB_GETCOUNT, 0, 0) && scalable.empty(); ++i) {
        char name[LF_FACESIZE] = {};
        SendMessageA(names, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name));
        if (name[0] != '@' && std::string(name).find("Sans") != std::string::npos)
            scalable = name;
    }
    ASSERT_FALSE(scalable.empty());
    DestroyWindow(page->Window());
    lstrcpyA(data.Prefs.FontName, scalable.c_str());
    ASSERT_TRUE(Open({ 210, 297 }));
    HWND sizes = GetDlgItem(page->Window(), idFontSizeList);
    EXPECT_EQ(Selected(idFontNameList), scalable);
    EXPECT_EQ(SendMessageA(sizes, CB_GETCOUNT, 0, 0), 18);
    EXPECT_EQ(Selected(idFontSizeList), "14"); // the first not smaller than 13
    SendMessageA(sizes, CB_SETCURSEL, 0, 0);
    SendMessageA(page->Window(), WM_COMMAND, MAKEWPARAM(idFontSizeList, CBN_SELCHANGE),
        reinterpret_cast<LPARAM>(sizes));
    EXPECT_EQ(data.Prefs.FontSize, 6);
}

// The dialog's services as the page sees them: a chosen printer in landscape.
class FakeServices : public IPrintDialogServices {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetCurrentDevMode(LPDEVMODEA mode, UINT* size) override
    {
        if (!mode) {
            *size = sizeof(DEVMODEA);
            return S_OK;
        }
        *mode = DEVMODEA {};
        mode->dmSize = sizeof(DEVMODEA);
        mode->dmOrientation = DMORIENT_LANDSCAPE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurrentPrinterName(LPSTR name, UINT* size) override
    {
        lstrcpynA(name, "Chosen Printer", static_cast<int>(*size));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurrentPortName(LPSTR, UINT*) override { return E_NOTIMPL; }
};

TEST_F(PrintPageTest, TheDialogsPrinterAndOrientationComeFromItsServices)
{
    FakeServices services;
    page = std::make_unique<TPrintPage>(data, [&services] { return &services; });
    page->PaperSize = [this](const std::string& printer, SIZE& size) {
        printers.push_back(printer);
        size = { 297, 210 };
        return true;
    };
    ASSERT_TRUE(page->CreateWindowIn(host));
    EXPECT_EQ(printers, (std::vector<std::string> { "Chosen Printer" }));
    EXPECT_EQ(Range(idHorizontalUpDown), std::make_pair(0, 99));
    EXPECT_EQ(Range(idVerticalUpDown), std::make_pair(0, 70));
    NMHDR activation { page->Window(), 0, static_cast<UINT>(PSN_SETACTIVE) };
    SendMessageA(page->Window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&activation));
    EXPECT_EQ(data.Prefs.Orientation, 1);
    EXPECT_TRUE(IsDlgButtonChecked(page->Window(), idLandscape));
}

} // namespace
