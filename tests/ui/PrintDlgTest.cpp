// Tests of the print dialog under Wine with stand-ins for the system's dialogs: the flags built
// from the record, Print, Apply and Cancel and what goes back into the caller's record, the plain
// dialog where the property-sheet one fails, and the centring of dialogs over the owner.
#include "ui/dialogs/PrintDlg.h"

#include <gtest/gtest.h>

#include <cstring>
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

HGLOBAL DevNamesFor(const std::string& device)
{
    const std::size_t size = sizeof(DEVNAMES) + 9 + device.size() + 1 + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    auto* names = static_cast<DEVNAMES*>(GlobalLock(memory));
    char* text = reinterpret_cast<char*>(names);
    names->wDriverOffset = sizeof(DEVNAMES);
    std::strcpy(text + names->wDriverOffset, "winspool");
    names->wDeviceOffset = static_cast<WORD>(names->wDriverOffset + 9);
    std::strcpy(text + names->wDeviceOffset, device.c_str());
    names->wOutputOffset = static_cast<WORD>(names->wDeviceOffset + device.size() + 1);
    GlobalUnlock(memory);
    return memory;
}

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
    EXPECT_EQ(dialog->lStructSize, 84u);
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

    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 300, 200, 600, 400, nullptr, nullptr, nullptr, nullptr);
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
