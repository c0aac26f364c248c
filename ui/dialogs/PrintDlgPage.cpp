// The print dialog's extra page: its template, built in memory, and its dialog procedure that
// fills the orientation, margin, font, header/footer and further-option controls from the record
// and writes every change back into it.
#include "ui/dialogs/PrintDlg.h"

#include "framework/Controls.h"
#include "framework/Subclassing.h"

#include <algorithm>
#include <cstring>

#include <commctrl.h>

namespace {

constexpr int PageWidth = 280;
constexpr int PageHeight = 200;

// Builds a DLGTEMPLATE with its items, each DWORD-aligned as the dialog manager expects.
class TemplateWriter {
public:
    void Word(WORD value)
    {
        bytes_.push_back(static_cast<BYTE>(value & 0xFF));
        bytes_.push_back(static_cast<BYTE>(value >> 8));
    }
    void DWord(DWORD value)
    {
        Word(static_cast<WORD>(value & 0xFFFF));
        Word(static_cast<WORD>(value >> 16));
    }
    void Text(const char* text)
    {
        for (; *text; ++text)
            Word(static_cast<unsigned char>(*text));
        Word(0);
    }
    void Align()
    {
        while (bytes_.size() % 4)
            bytes_.push_back(0);
    }
    void Header(DWORD style, WORD count)
    {
        DWord(style);
        DWord(0);
        Word(count);
        Word(0);
        Word(0);
        Word(PageWidth);
        Word(PageHeight);
        Word(0); // no menu
        Word(0); // the dialog class
        Word(0); // no title
        Word(8);
        Text("MS Shell Dlg");
    }
    // classAtom: 0x80 button, 0x81 edit, 0x82 static, 0x85 combo box; 0 for a named class.
    void Item(
        int id, WORD classAtom, const char* className, DWORD style, short x, short y, short cx, short cy)
    {
        Align();
        DWord(style | WS_CHILD | WS_VISIBLE);
        DWord(0);
        Word(static_cast<WORD>(x));
        Word(static_cast<WORD>(y));
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
        Word(static_cast<WORD>(id));
        if (classAtom) {
            Word(0xFFFF);
            Word(classAtom);
        } else {
            Text(className);
        }
        Word(0); // no text: captions come from the record
        Word(0);
    }
    std::vector<BYTE> Bytes() { return std::move(bytes_); }

private:
    std::vector<BYTE> bytes_;
};

const char* const FixedSizes[] = { "6", "8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26",
    "28", "36", "48", "60", "72" };

bool DeviceContextPaperSize(const std::string& printer, SIZE& millimetres)
{
    HDC dc = CreateDCA(nullptr, printer.c_str(), nullptr, nullptr);
    if (!dc)
        dc = CreateDCA("WINSPOOL", printer.c_str(), nullptr, nullptr);
    if (!dc)
        return false;
    millimetres = { GetDeviceCaps(dc, HORZSIZE), GetDeviceCaps(dc, VERTSIZE) };
    DeleteDC(dc);
    return true;
}

std::string ComboText(HWND combo, int index)
{
    const auto length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void AddOnce(HWND combo, const std::string& text)
{
    if (SendMessageA(
            combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()))
        == CB_ERR)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int CALLBACK AddFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM combo)
{
    AddOnce(reinterpret_cast<HWND>(combo), font->lfFaceName);
    return 1;
}

struct RasterSizes {
    HWND combo;
    int pixelsPerInch;
    bool raster = false;
};

int CALLBACK AddRasterSize(const LOGFONTA*, const TEXTMETRICA* metrics, DWORD type, LPARAM data)
{
    auto& sizes = *reinterpret_cast<RasterSizes*>(data);
    if (!(type & RASTER_FONTTYPE))
        return 0;
    sizes.raster = true;
    const int points = MulDiv(metrics->tmHeight - metrics->tmInternalLeading, 72, sizes.pixelsPerInch);
    AddOnce(sizes.combo, std::to_string(points));
    return 1;
}

BOOL CALLBACK EnableDisabledPushButton(HWND child, LPARAM)
{
    char name[16] = {};
    GetClassNameA(child, name, sizeof name);
    const LONG style = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
    if (lstrcmpiA(name, "Button") == 0 && (style == BS_PUSHBUTTON || style == BS_DEFPUSHBUTTON)
        && !IsWindowEnabled(child))
        EnableWindow(child, TRUE);
    return TRUE;
}

} // namespace

INT_PTR TPrintPage::Dispatch(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, TPrintPage* starting)
{
    try {
        if (msg == WM_INITDIALOG && starting) {
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(starting));
            starting->window_ = window;
        }
        auto* page = reinterpret_cast<TPrintPage*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (!page)
            return FALSE;
        const INT_PTR result = page->Handle(msg, wParam, lParam);
        if (msg == WM_NCDESTROY)
            page->window_ = nullptr;
        return result;
    } catch (...) {
        ReportBoundaryException("print dialog page");
        return FALSE;
    }
}

INT_PTR CALLBACK TPrintPage::SheetProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TPrintPage* starting = nullptr;
    if (msg == WM_INITDIALOG && lParam)
        starting = reinterpret_cast<TPrintPage*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
    return Dispatch(window, msg, wParam, lParam, starting);
}

INT_PTR CALLBACK TPrintPage::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return Dispatch(
        window, msg, wParam, lParam, msg == WM_INITDIALOG ? reinterpret_cast<TPrintPage*>(lParam) : nullptr);
}

TPrintPage::TPrintPage(TPrinterData& data, ServicesSource services)
    : PaperSize(&DeviceContextPaperSize)
    , data_(data)
    , services_(std::move(services))
{
}

TPrintPage::~TPrintPage()
{
    if (window_)
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
}

std::vector<BYTE> TPrintPage::Template()
{
    TemplateWriter writer;
    writer.Header(DS_SETFONT | DS_3DLOOK | DS_CONTROL | WS_CHILD | WS_CAPTION, 19);
    const DWORD group = BS_GROUPBOX;
    writer.Item(idOrientationGroup, 0x80, nullptr, group, 7, 7, 266, 38);
    writer.Item(idPortrait, 0x80, nullptr, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 17, 22, 110, 12);
    writer.Item(idLandscape, 0x80, nullptr, BS_AUTORADIOBUTTON, 140, 22, 110, 12);
    writer.Item(idMarginGroup, 0x80, nullptr, group, 7, 50, 266, 38);
    writer.Item(idHorizontalLabel, 0x82, nullptr, SS_LEFT, 17, 66, 70, 10);
    writer.Item(
        idHorizontalEdit, 0x81, nullptr, ES_NUMBER | WS_BORDER | WS_TABSTOP | WS_GROUP, 90, 64, 30, 13);
    writer.Item(idHorizontalUpDown, 0, UPDOWN_CLASSA, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY, 120,
        64, 10, 13);
    writer.Item(idVerticalLabel, 0x82, nullptr, SS_LEFT, 140, 66, 70, 10);
    writer.Item(
        idVerticalEdit, 0x81, nullptr, ES_NUMBER | WS_BORDER | WS_TABSTOP | WS_GROUP, 213, 64, 30, 13);
    writer.Item(idVerticalUpDown, 0, UPDOWN_CLASSA, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY, 243, 64,
        10, 13);
    writer.Item(idFontGroup, 0x80, nullptr, group, 7, 93, 266, 38);
    writer.Item(idFontNameLabel, 0x82, nullptr, SS_LEFT, 17, 109, 40, 10);
    writer.Item(idFontNameList, 0x85, nullptr,
        CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 60, 107, 110, 120);
    writer.Item(idFontSizeLabel, 0x82, nullptr, SS_LEFT, 178, 109, 40, 10);
    writer.Item(idFontSizeList, 0x85, nullptr, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 220,
        107, 40, 120);
    writer.Item(idHeaderFooterGroup, 0x80, nullptr, group, 7, 136, 266, 32);
    writer.Item(idHeaderBox, 0x80, nullptr, BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 17, 150, 110, 12);
    writer.Item(idFooterBox, 0x80, nullptr, BS_AUTOCHECKBOX | WS_TABSTOP, 140, 150, 110, 12);
    writer.Item(idFurtherOptionBox, 0x80, nullptr, BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 10, 176, 260, 12);
    return writer.Bytes();
}

HPROPSHEETPAGE TPrintPage::CreateSheetPage()
{
    // The sheet makes the page's window when the page is first shown: the template lives as long.
    sheetTemplate_ = Template();
    PROPSHEETPAGEA page {};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
    page.hInstance = FrameworkModule();
    page.pResource = reinterpret_cast<LPCDLGTEMPLATE>(sheetTemplate_.data());
    page.pszTitle = data_.Captions[0].c_str();
    page.pfnDlgProc = &SheetProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return CreatePropertySheetPageA(&page);
}

HWND TPrintPage::CreateWindowIn(HWND parent)
{
    const std::vector<BYTE> bytes = Template();
    return CreateDialogIndirectParamA(FrameworkModule(), reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()),
        parent, &WindowProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR TPrintPage::Handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        Initialise();
        return TRUE;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_SETACTIVE))
            Activated();
        return FALSE;
    case WM_COMMAND:
        if (!filling_)
            Command(LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    default:
        return FALSE;
    }
}

void TPrintPage::Initialise()
{
    const TPrefsCaptions& captions = data_.Captions;
    const std::pair<int, int> texts[] = { { idOrientationGroup, 1 }, { idPortrait, 2 }, { idLandscape, 3 },
        { idMarginGroup, 4 }, { idHorizontalLabel, 5 }, { idVerticalLabel, 6 }, { idFontGroup, 7 },
        { idFontNameLabel, 8 }, { idFontSizeLabel, 9 }, { idHeaderFooterGroup, 10 }, { idHeaderBox, 11 },
        { idFooterBox, 12 }, { idFurtherOptionBox, 13 } };
    for (const auto& [id, caption] : texts)
        SetDlgItemTextA(window_, id, captions[static_cast<std::size_t>(caption)].c_str());
    filling_ = true;
    CheckRadioButton(
        window_, idPortrait, idLandscape, data_.Prefs.Orientation == 1 ? idLandscape : idPortrait);
    filling_ = false;
    ReadPaperSize();
    SubclassArrows(idHorizontalEdit, idHorizontalUpDown);
    SubclassArrows(idVerticalEdit, idVerticalUpDown);
    FillMargins();
    FillFonts();
    const bool headerFooter = !captions[PrintCaptionHeaderFooter].empty();
    for (const int id : { idHeaderFooterGroup, idHeaderBox, idFooterBox })
        ShowWindow(GetDlgItem(window_, id), headerFooter ? SW_SHOW : SW_HIDE);
    CheckDlgButton(window_, idHeaderBox, (data_.Prefs.HeaderFooter & pfHeader) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window_, idFooterBox, (data_.Prefs.HeaderFooter & pfFooter) ? BST_CHECKED : BST_UNCHECKED);
    ShowWindow(GetDlgItem(window_, idFurtherOptionBox), captions[PrintCaptionFurtherOption].empty() ? SW_HIDE : SW_SHOW);
    CheckDlgButton(window_, idFurtherOptionBox, data_.Prefs.FurtherOption ? BST_CHECKED : BST_UNCHECKED);
}

void TPrintPage::ReadPaperSize()
{
    IPrintDialogServices* services = services_ ? services_() : nullptr;
    std::string printer;
    if (services) {
        char name[MAX_PATH + 1] = {};
        UINT size = MAX_PATH;
        if (SUCCEEDED(services->GetCurrentPrinterName(name, &size)))
            printer = name;
    } else {
        printer = PrinterNameOf(data_.Prefs);
    }
    SIZE measured {};
    // A printer whose device context cannot be made keeps the previous paper size.
    if (!printer.empty() && PaperSize && PaperSize(printer, measured))
        paper_ = measured;
}

void TPrintPage::FillMargins()
{
    filling_ = true;
    const int horizontalLimit = std::min(static_cast<int>(paper_.cx / 3), 99);
    const int verticalLimit = std::min(static_cast<int>(paper_.cy / 3), 99);
    SendDlgItemMessageA(window_, idHorizontalUpDown, UDM_SETRANGE32, 0, horizontalLimit);
    SendDlgItemMessageA(window_, idVerticalUpDown, UDM_SETRANGE32, 0, verticalLimit);
    SetDlgItemInt(window_, idHorizontalEdit, static_cast<UINT>(std::max(data_.Prefs.MarginLeft, 0)), FALSE);
    SetDlgItemInt(window_, idVerticalEdit, static_cast<UINT>(std::max(data_.Prefs.MarginTop, 0)), FALSE);
    filling_ = false;
}

void TPrintPage::FillFonts()
{
    filling_ = true;
    HWND names = GetDlgItem(window_, idFontNameList);
    SendMessageA(names, CB_RESETCONTENT, 0, 0);
    HDC dc = GetDC(nullptr);
    LOGFONTA wanted {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(dc, &wanted, &AddFamily, reinterpret_cast<LPARAM>(names), 0);
    ReleaseDC(nullptr, dc);
    std::string name(data_.Prefs.FontName, strnlen(data_.Prefs.FontName, sizeof data_.Prefs.FontName));
    if (name.empty()) {
        LOGFONTA system {};
        GetObjectA(GetStockObject(ANSI_VAR_FONT), sizeof system, &system);
        name = system.lfFaceName;
    }
    // The record's font, else the system's; a list never stands without a choice.
    auto index = SendMessageA(
        names, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
    if (index == CB_ERR) {
        LOGFONTA system {};
        GetObjectA(GetStockObject(ANSI_VAR_FONT), sizeof system, &system);
        index = SendMessageA(
            names, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(system.lfFaceName));
    }
    SendMessageA(names, CB_SETCURSEL, static_cast<WPARAM>(index == CB_ERR ? 0 : index), 0);
    SendMessageA(names, CB_SETMINVISIBLE, 8, 0);
    filling_ = false;
    FillSizes();
}

void TPrintPage::FillSizes()
{
    filling_ = true;
    HWND names = GetDlgItem(window_, idFontNameList);
    HWND sizes = GetDlgItem(window_, idFontSizeList);
    SendMessageA(sizes, CB_RESETCONTENT, 0, 0);
    const auto selected = static_cast<int>(SendMessageA(names, CB_GETCURSEL, 0, 0));
    const std::string face = selected >= 0 ? ComboText(names, selected) : std::string();
    HDC dc = GetDC(nullptr);
    RasterSizes raster { sizes, GetDeviceCaps(dc, LOGPIXELSY) };
    if (!face.empty()) {
        LOGFONTA wanted {};
        wanted.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(wanted.lfFaceName, face.c_str(), LF_FACESIZE);
        EnumFontFamiliesExA(dc, &wanted, &AddRasterSize, reinterpret_cast<LPARAM>(&raster), 0);
    }
    ReleaseDC(nullptr, dc);
    if (!raster.raster)
        for (const char* size : FixedSizes)
            SendMessageA(sizes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(size));
    // The record's size, else the first that is not smaller.
    const int count = static_cast<int>(SendMessageA(sizes, CB_GETCOUNT, 0, 0));
    int choice = -1;
    for (int i = 0; i < count && choice < 0; ++i)
        if (std::atoi(ComboText(sizes, i).c_str()) >= data_.Prefs.FontSize)
            choice = i;
    SendMessageA(sizes, CB_SETCURSEL, static_cast<WPARAM>(choice), 0);
    SendMessageA(sizes, CB_SETMINVISIBLE, 8, 0);
    filling_ = false;
}

void TPrintPage::Activated()
{
    IPrintDialogServices* services = services_ ? services_() : nullptr;
    if (!services)
        return;
    UINT size = 0;
    services->GetCurrentDevMode(nullptr, &size);
    if (size < sizeof(DEVMODEA))
        return;
    std::vector<BYTE> bytes(size);
    if (FAILED(services->GetCurrentDevMode(reinterpret_cast<DEVMODEA*>(bytes.data()), &size)))
        return;
    const bool landscape
        = reinterpret_cast<const DEVMODEA*>(bytes.data())->dmOrientation == DMORIENT_LANDSCAPE;
    CheckRadioButton(window_, idPortrait, idLandscape, landscape ? idLandscape : idPortrait);
    data_.Prefs.Orientation = landscape ? 1 : 0;
}

void TPrintPage::Command(int id, int code)
{
    if (!IsWindowVisible(GetDlgItem(window_, id)) && IsWindowVisible(window_))
        return;
    TPrinterPrefs& prefs = data_.Prefs;
    switch (id) {
    case idPortrait:
    case idLandscape:
        if (code != BN_CLICKED)
            return;
        prefs.Orientation = id == idLandscape ? 1 : 0;
        break;
    case idHorizontalEdit:
    case idVerticalEdit: {
        if (code != EN_CHANGE)
            return;
        BOOL valid = FALSE;
        const auto value = static_cast<int32_t>(GetDlgItemInt(window_, id, &valid, FALSE));
        if (!valid)
            return;
        if (id == idHorizontalEdit)
            prefs.MarginLeft = prefs.MarginRight = value;
        else
            prefs.MarginTop = prefs.MarginBottom = value;
        break;
    }
    case idFontNameList: {
        if (code != CBN_SELCHANGE)
            return;
        HWND names = GetDlgItem(window_, idFontNameList);
        const std::string name = ComboText(names, static_cast<int>(SendMessageA(names, CB_GETCURSEL, 0, 0)));
        lstrcpynA(prefs.FontName, name.c_str(), sizeof prefs.FontName);
        FillSizes();
        break;
    }
    case idFontSizeList: {
        if (code != CBN_SELCHANGE)
            return;
        HWND sizes = GetDlgItem(window_, idFontSizeList);
        prefs.FontSize
            = std::atoi(ComboText(sizes, static_cast<int>(SendMessageA(sizes, CB_GETCURSEL, 0, 0))).c_str());
        break;
    }
    case idHeaderBox:
    case idFooterBox: {
        if (code != BN_CLICKED)
            return;
        const uint8_t bit = id == idHeaderBox ? pfHeader : pfFooter;
        const bool on = IsDlgButtonChecked(window_, id) == BST_CHECKED;
        prefs.HeaderFooter
            = static_cast<uint8_t>(on ? (prefs.HeaderFooter | bit) : (prefs.HeaderFooter & ~bit));
        break;
    }
    case idFurtherOptionBox:
        if (code != BN_CLICKED)
            return;
        prefs.FurtherOption = IsDlgButtonChecked(window_, id) == BST_CHECKED ? 1 : 0;
        break;
    default:
        return;
    }
    EnableApply();
}

void TPrintPage::EnableApply()
{
    // The print dialog keeps Apply disabled until one of its own pages changes.
    HWND dialog = GetAncestor(window_, GA_ROOT);
    EnumChildWindows(dialog, &EnableDisabledPushButton, 0);
}

void TPrintPage::SubclassArrows(int editId, int upDownId)
{
    HWND edit = GetDlgItem(window_, editId);
    HWND upDown = GetDlgItem(window_, upDownId);
    // Once per edit: a second subclass of the same window is refused by the registry.
    SubclassRegistry::Subclass(
        edit, [upDown](HWND window, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (msg == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) {
                int low = 0;
                int high = 0;
                SendMessageA(
                    upDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
                BOOL valid = FALSE;
                const int value
                    = static_cast<int>(GetDlgItemInt(GetParent(window), GetDlgCtrlID(window), &valid, FALSE));
                const int next = value + (wParam == VK_UP ? 1 : -1);
                if (next < low || next > high)
                    MessageBeep(0);
                else
                    SetDlgItemInt(GetParent(window), GetDlgCtrlID(window), static_cast<UINT>(next), FALSE);
                return 0;
            }
            return SubclassRegistry::CallOriginal(window, msg, wParam, lParam);
        });
}

void TPrintPage::PrinterChanged()
{
    if (!window_)
        return;
    ReadPaperSize();
    FillMargins();
    FillFonts();
}
