// The plug-in's print dialog for text and pictures: the settings record callers keep between
// prints, the Windows property-sheet print dialog with the plug-in's own page (orientation,
// margins, font, header and footer, one further option) and the routine that runs it centred.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include <objbase.h>

#include <commdlg.h>
#include <prsht.h>

// Captions of the extra page: 0 its title, 1 orientation group, 2 portrait, 3 landscape, 4 margins
// group, 5 horizontal margin, 6 vertical margin, 7 font group, 8 font name, 9 font size, 10 header
// and footer group (empty: hidden with its boxes), 11 header box, 12 footer box, 13 the further
// option's box (empty: hidden).
using TPrefsCaptions = std::array<std::string, 14>;
enum : std::size_t { PrintCaptionHeaderFooter = 10, PrintCaptionFurtherOption = 13 };

enum TPrintRange : int32_t { prAllPages = 0, prSelection = 1, prPageNums = 2 };
enum : uint8_t { pfHeader = 1, pfFooter = 2 };

// The plain settings, copied by callers as one piece.
struct TPrinterPrefs {
    int32_t Filled = 0; // set once the block has been initialised
    int32_t Reserved = 0;
    char PrinterName[261] = {};
    int32_t Copies = 1;
    int32_t Collate = 0;
    int32_t FurtherOption = 0;
    uint8_t HeaderFontStyle = 0; // font style bits of the header line; 1 (bold) at initialisation
    uint8_t HeaderFooter = 0; // pfHeader | pfFooter
    int32_t MarginLeft = 0; // millimetres; left and right are set together, top and bottom too
    int32_t MarginTop = 0;
    int32_t MarginRight = 0;
    int32_t MarginBottom = 0;
    uint8_t Orientation = 0; // 0 portrait, 1 landscape
    char FontName[33] = {};
    int32_t FontSize = 0; // points
    int32_t PrintRange = prAllPages;
};

struct TPrinterData {
    HWND OwnerWindow = nullptr;
    std::string DocumentTitle;
    TPrefsCaptions Captions;
    TPrinterPrefs Prefs;
};

// Sets the printer name of the settings (cut to its 260 characters).
void SetPrinterName(TPrinterPrefs& prefs, const std::string& name);
std::string PrinterNameOf(const TPrinterPrefs& prefs);

// The entry points the dialog runs on; tests hand in their own.
struct TPrintDialogEntries {
    decltype(&::PrintDlgExA) PropertySheetDialog = nullptr; // null: PrintDlgExA, bound by name
    decltype(&::PrintDlgA) PlainDialog = nullptr; // null: PrintDlgA, bound by name
};

class TPDCallback;

// Control ids of the extra page.
enum TPrintPageId : int {
    idOrientationGroup = 200,
    idPortrait = 210,
    idLandscape = 220,
    idMarginGroup = 300,
    idHorizontalLabel = 310,
    idHorizontalEdit = 311,
    idHorizontalUpDown = 312,
    idVerticalLabel = 320,
    idVerticalEdit = 321,
    idVerticalUpDown = 322,
    idFontGroup = 400,
    idFontNameLabel = 410,
    idFontNameList = 411,
    idFontSizeLabel = 420,
    idFontSizeList = 421,
    idHeaderFooterGroup = 500,
    idHeaderBox = 510,
    idFooterBox = 520,
    idFurtherOptionBox = 600,
};

// The plug-in's page of the print dialog: orientation, margins, font, header and footer and the
// further option, written straight into the record it is given.
class TPrintPage {
public:
    // The dialog's services (null when there are none yet).
    using ServicesSource = std::function<IPrintDialogServices*()>;
    // Paper size of a printer in millimetres; false when no device context can be made for it.
    using PaperSizeSource = std::function<bool(const std::string& printer, SIZE& millimetres)>;

    TPrintPage(TPrinterData& data, ServicesSource services);
    ~TPrintPage();
    TPrintPage(const TPrintPage&) = delete;
    TPrintPage& operator=(const TPrintPage&) = delete;

    // The page for the property sheet (null when it cannot be made).
    HPROPSHEETPAGE CreateSheetPage();
    // The page as a child dialog of parent, outside any property sheet.
    HWND CreateWindowIn(HWND parent);
    HWND Window() const noexcept { return window_; }

    PaperSizeSource PaperSize;
    SIZE Paper() const noexcept { return paper_; }
    // The printer changed: paper size, margin limits and fonts again.
    void PrinterChanged();

private:
    // The page inside a property sheet (lParam of WM_INITDIALOG: the sheet's page record) and
    // alone (lParam: the page object).
    static INT_PTR CALLBACK SheetProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    static INT_PTR Dispatch(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, TPrintPage* starting);
    static std::vector<BYTE> Template();
    INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void Initialise();
    void ReadPaperSize();
    void FillMargins();
    void FillFonts();
    void FillSizes();
    void Activated();
    void Command(int id, int code);
    void EnableApply();
    void SubclassArrows(int editId, int upDownId);

    TPrinterData& data_;
    ServicesSource services_;
    HWND window_ = nullptr;
    std::vector<BYTE> sheetTemplate_;
    SIZE paper_ { 0, 0 };
    bool filling_ = false;
};

// The printer the dialog works on: its name and its device settings (DEVMODE bytes).
struct TPrinterChoice {
    std::string Name;
    std::vector<BYTE> DevMode;
};

class TPrintDialogEx {
public:
    explicit TPrintDialogEx(const TPrintDialogEntries& entries = {});
    ~TPrintDialogEx();
    TPrintDialogEx(const TPrintDialogEx&) = delete;
    TPrintDialogEx& operator=(const TPrintDialogEx&) = delete;

    // The record's settings go in; afterwards the record holds what the dialog chose. True when
    // the user chose Print.
    bool Execute(TPrinterData& data);
    // True when a printer was chosen (Print or Apply).
    bool PrinterChosen() const noexcept { return printerChosen_; }
    const TPrinterChoice& Printer() const noexcept { return printer_; }

private:
    bool ExecuteEx(TPrinterData& data);
    bool ExecutePlain(TPrinterData& data);
    void TakeChoice(HGLOBAL devNames, HGLOBAL devMode, const TPrinterData& data);

    TPrintDialogEntries entries_;
    std::unique_ptr<TPrintPage> page_;
    TPDCallback* callback_ = nullptr;
    TPrinterChoice printer_;
    bool printerChosen_ = false;
};

// Runs the dialog for the record, centred over its owner window; the settings go back into the
// record when a printer was chosen (Print or Apply). True when the user chose Print.
bool ExecutePrintDialog(TPrinterData& data, const TPrintDialogEntries& entries = {});

// A device context for the printer of the settings in their orientation (null when it cannot be made).
HDC CreatePrinterDC(const TPrinterPrefs& prefs);
// Left = owner left + (owner width - width) div 2, top likewise.
POINT CentredPosition(const RECT& owner, const RECT& window);
