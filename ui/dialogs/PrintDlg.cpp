// The print dialog: PrintDlgExA (bound by name) with a callback object and the settings record,
// the plain print dialog where the property-sheet one is missing or fails, the copy-back of the
// settings on Print or Apply, and a thread hook that centres print dialogs over their owner.
#include "ui/dialogs/PrintDlg.h"

#include "framework/Controls.h"
#include "framework/LibraryBinding.h"

#include <algorithm>
#include <cstring>

#include <ocidl.h>
#include <winspool.h>

// ---- Callback objects ---------------------------------------------------------------------------------

// Keeps the dialog's site (its IPrintDialogServices) for the extra page.
class TObjectWithSite : public IObjectWithSite {
public:
    explicit TObjectWithSite(IUnknown& outer)
        : outer_(outer)
    {
    }
    ~TObjectWithSite() { SetSite(nullptr); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return outer_.QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return outer_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return outer_.Release(); }
    HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override
    {
        if (services_)
            services_->Release();
        services_ = nullptr;
        if (site)
            site->QueryInterface(IID_IPrintDialogServices, reinterpret_cast<void**>(&services_));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSite(REFIID iid, void** site) override
    {
        if (!site)
            return E_POINTER;
        *site = nullptr;
        return services_ ? services_->QueryInterface(iid, site) : E_FAIL;
    }
    IPrintDialogServices* Services() const noexcept { return services_; }

private:
    IUnknown& outer_;
    IPrintDialogServices* services_ = nullptr;
};

// The dialog's callback. Its life is the dialog object's, so AddRef and Release only count.
class TPDCallback final : public IPrintDialogCallback {
public:
    TPDCallback()
        : site_(*this)
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPrintDialogCallback))
            *object = static_cast<IPrintDialogCallback*>(this);
        else if (IsEqualIID(iid, IID_IObjectWithSite))
            *object = static_cast<IObjectWithSite*>(&site_);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++count_); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--count_); }
    HRESULT STDMETHODCALLTYPE InitDone() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE SelectionChange() override
    {
        try {
            if (page)
                page->PrinterChanged();
        } catch (...) {
            ReportBoundaryException("print dialog callback");
        }
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE HandleMessage(HWND, UINT, WPARAM, LPARAM, LRESULT*) override { return S_FALSE; }

    IPrintDialogServices* Services() const noexcept { return site_.Services(); }
    TPrintPage* page = nullptr;

private:
    TObjectWithSite site_;
    long count_ = 0;
};

// ---- Printers -------------------------------------------------------------------------------------------

namespace {

std::vector<std::string> PrinterNames()
{
    std::vector<std::string> names;
    DWORD needed = 0;
    DWORD count = 0;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    static const auto enumPrinters = SYSTEM_PROC("WinSpool.drv", EnumPrintersA);
    if (!enumPrinters)
        return names;
    enumPrinters(flags, nullptr, 4, nullptr, 0, &needed, &count);
    if (needed == 0)
        return names;
    std::vector<BYTE> buffer(needed);
    if (!enumPrinters(flags, nullptr, 4, buffer.data(), needed, &needed, &count))
        return names;
    const auto* info = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        names.emplace_back(info[i].pPrinterName ? info[i].pPrinterName : "");
    return names;
}

std::string DefaultPrinterName()
{
    char name[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    static const auto getDefaultPrinter = SYSTEM_PROC("WinSpool.drv", GetDefaultPrinterA);
    return getDefaultPrinter && getDefaultPrinter(name, &size) ? std::string(name) : std::string();
}

// A printer opened by name, closed when it goes; no handle when it cannot be opened.
class TOpenPrinter {
public:
    explicit TOpenPrinter(const std::string& name) noexcept
    {
        static const auto openPrinter = SYSTEM_PROC("WinSpool.drv", OpenPrinterA);
        if (name.empty() || !openPrinter || !openPrinter(const_cast<char*>(name.c_str()), &handle_, nullptr))
            handle_ = nullptr;
    }
    ~TOpenPrinter()
    {
        static const auto closePrinter = SYSTEM_PROC("WinSpool.drv", ClosePrinter);
        if (handle_ && closePrinter)
            closePrinter(handle_);
    }
    TOpenPrinter(const TOpenPrinter&) = delete;
    TOpenPrinter& operator=(const TOpenPrinter&) = delete;
    HANDLE Handle() const noexcept { return handle_; }

private:
    HANDLE handle_ = nullptr;
};

// The printer's current device settings, or none.
std::vector<BYTE> DevModeOf(const std::string& printer)
{
    static const auto documentProperties = SYSTEM_PROC("WinSpool.drv", DocumentPropertiesA);
    std::vector<BYTE> devMode;
    const TOpenPrinter opened(printer);
    if (!opened.Handle() || !documentProperties)
        return devMode;
    char* name = const_cast<char*>(printer.c_str());
    const LONG size = documentProperties(nullptr, opened.Handle(), name, nullptr, nullptr, 0);
    if (size > 0) {
        devMode.resize(static_cast<std::size_t>(size));
        if (documentProperties(nullptr, opened.Handle(), name, reinterpret_cast<DEVMODEA*>(devMode.data()), nullptr,
                DM_OUT_BUFFER)
            != IDOK)
            devMode.clear();
    }
    return devMode;
}

void ApplyOrientation(std::vector<BYTE>& devMode, uint8_t orientation)
{
    if (devMode.size() < sizeof(DEVMODEA))
        return;
    auto* mode = reinterpret_cast<DEVMODEA*>(devMode.data());
    mode->dmOrientation = orientation == 1 ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    mode->dmFields |= DM_ORIENTATION;
}

HGLOBAL GlobalCopy(const void* data, std::size_t size)
{
    if (size == 0)
        return nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!memory)
        return nullptr;
    std::memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
    return memory;
}

// A DEVNAMES block for the printer: driver, device and port, not the default printer.
HGLOBAL MakeDevNames(const std::string& printer)
{
    if (printer.empty())
        return nullptr;
    std::string driver = "winspool";
    std::string port;
    static const auto getPrinter = SYSTEM_PROC("WinSpool.drv", GetPrinterA);
    const TOpenPrinter opened(printer);
    if (opened.Handle() && getPrinter) {
        DWORD needed = 0;
        getPrinter(opened.Handle(), 2, nullptr, 0, &needed);
        std::vector<BYTE> buffer(needed);
        if (needed && getPrinter(opened.Handle(), 2, buffer.data(), needed, &needed)) {
            const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
            if (info->pDriverName)
                driver = info->pDriverName;
            if (info->pPortName)
                port = info->pPortName;
        }
    }
    const auto cut = [](const std::string& s) { return s.substr(0, MAX_PATH); };
    std::vector<char> block(sizeof(DEVNAMES));
    auto* names = reinterpret_cast<DEVNAMES*>(block.data());
    const auto append = [&](const std::string& s) {
        const auto offset = static_cast<WORD>(block.size());
        const std::string text = cut(s);
        block.insert(block.end(), text.begin(), text.end());
        block.push_back('\0');
        return offset;
    };
    const WORD driverOffset = append(driver);
    const WORD deviceOffset = append(printer);
    const WORD portOffset = append(port);
    names = reinterpret_cast<DEVNAMES*>(block.data());
    names->wDriverOffset = driverOffset;
    names->wDeviceOffset = deviceOffset;
    names->wOutputOffset = portOffset;
    names->wDefault = 0;
    return GlobalCopy(block.data(), block.size());
}

std::string DeviceNameOf(HGLOBAL devNames)
{
    if (!devNames)
        return {};
    const auto* names = static_cast<const DEVNAMES*>(GlobalLock(devNames));
    std::string device;
    if (names)
        device = reinterpret_cast<const char*>(names) + names->wDeviceOffset;
    GlobalUnlock(devNames);
    return device;
}

std::vector<BYTE> BytesOf(HGLOBAL memory)
{
    std::vector<BYTE> bytes;
    if (!memory)
        return bytes;
    const auto* data = static_cast<const BYTE*>(GlobalLock(memory));
    if (data)
        bytes.assign(data, data + GlobalSize(memory));
    GlobalUnlock(memory);
    return bytes;
}

// Flags shared by both dialogs. Callers never ask for printing to a file, help or the warning, so
// those options always give PD_HIDEPRINTTOFILE and PD_NOWARNING.
DWORD DialogFlags(const TPrinterPrefs& prefs)
{
    DWORD flags = prefs.PrintRange == prSelection ? PD_SELECTION
        : prefs.PrintRange == prPageNums          ? PD_PAGENUMS
                                                  : PD_ALLPAGES;
    if (prefs.Collate)
        flags |= PD_COLLATE;
    if (prefs.PrintRange != prPageNums)
        flags |= PD_NOPAGENUMS;
    if (prefs.PrintRange != prSelection)
        flags |= PD_NOSELECTION;
    return flags | PD_HIDEPRINTTOFILE | PD_NOWARNING;
}

int32_t RangeOfFlags(DWORD flags)
{
    return (flags & PD_SELECTION) ? prSelection : (flags & PD_PAGENUMS) ? prPageNums : prAllPages;
}

} // namespace

void SetPrinterName(TPrinterPrefs& prefs, const std::string& name)
{
    std::memset(prefs.PrinterName, 0, sizeof prefs.PrinterName);
    std::memcpy(prefs.PrinterName, name.data(), std::min(name.size(), sizeof prefs.PrinterName - 1));
}

std::string PrinterNameOf(const TPrinterPrefs& prefs)
{
    return std::string(prefs.PrinterName, strnlen(prefs.PrinterName, sizeof prefs.PrinterName));
}

// ---- The dialog -----------------------------------------------------------------------------------------

TPrintDialogEx::TPrintDialogEx(const TPrintDialogEntries& entries)
    : entries_(entries)
    , callback_(new TPDCallback)
{
    // The common dialogs and the printing library are loaded by the first print, not with the
    // plug-in: they start Wine's and Windows' printing services.
    if (!entries_.PropertySheetDialog)
        entries_.PropertySheetDialog = SYSTEM_PROC("ComDlg32.dll", PrintDlgExA);
    if (!entries_.PlainDialog)
        entries_.PlainDialog = SYSTEM_PROC("ComDlg32.dll", PrintDlgA);
}

TPrintDialogEx::~TPrintDialogEx()
{
    delete callback_;
}

bool TPrintDialogEx::Execute(TPrinterData& data)
{
    const std::string wanted = PrinterNameOf(data.Prefs);
    const std::vector<std::string> names = PrinterNames();
    printer_.Name
        = std::find(names.begin(), names.end(), wanted) != names.end() ? wanted : DefaultPrinterName();
    printer_.DevMode = DevModeOf(printer_.Name);
    ApplyOrientation(printer_.DevMode, data.Prefs.Orientation);
    printerChosen_ = false;
    const bool confirmed = entries_.PropertySheetDialog ? ExecuteEx(data) : ExecutePlain(data);
    SetPrinterName(data.Prefs, printer_.Name);
    return confirmed;
}

bool TPrintDialogEx::ExecuteEx(TPrinterData& data)
{
    PRINTPAGERANGE range { 1, 1 };
    PRINTDLGEXA dialog {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = data.OwnerWindow;
    dialog.hDevMode = GlobalCopy(printer_.DevMode.data(), printer_.DevMode.size());
    dialog.hDevNames = MakeDevNames(printer_.Name);
    dialog.Flags = DialogFlags(data.Prefs) | PD_NOCURRENTPAGE | PD_EXCLUSIONFLAGS;
    dialog.ExclusionFlags = PD_EXCL_COPIESANDCOLLATE;
    if (data.Prefs.PrintRange == prPageNums) {
        dialog.nPageRanges = 1;
        dialog.nMaxPageRanges = 1;
        dialog.lpPageRanges = &range;
    }
    dialog.nMinPage = 1;
    dialog.nMaxPage = 0xFFFF;
    dialog.nCopies = static_cast<DWORD>(std::max(data.Prefs.Copies, 1));
    dialog.lpCallback = static_cast<IPrintDialogCallback*>(callback_);
    page_ = std::make_unique<TPrintPage>(data, [this] { return callback_->Services(); });
    HPROPSHEETPAGE sheetPage = page_->CreateSheetPage();
    if (sheetPage) {
        dialog.nPropertyPages = 1;
        dialog.lphPropertyPages = &sheetPage;
    }
    callback_->page = page_.get();
    dialog.nStartPage = START_PAGE_GENERAL;

    const HRESULT result = entries_.PropertySheetDialog(&dialog);
    callback_->page = nullptr;
    bool confirmed = false;
    if (SUCCEEDED(result)) {
        confirmed = dialog.dwResultAction == PD_RESULT_PRINT;
        if (dialog.dwResultAction == PD_RESULT_PRINT || dialog.dwResultAction == PD_RESULT_APPLY) {
            printerChosen_ = true;
            TakeChoice(dialog.hDevNames, dialog.hDevMode, data);
            data.Prefs.Collate = (dialog.Flags & PD_COLLATE) ? 1 : 0;
            data.Prefs.PrintRange = RangeOfFlags(dialog.Flags);
            int copies = static_cast<int>(dialog.nCopies);
            if (copies == 1 && printer_.DevMode.size() >= sizeof(DEVMODEA))
                copies
                    = std::max<int>(reinterpret_cast<const DEVMODEA*>(printer_.DevMode.data())->dmCopies, 1);
            data.Prefs.Copies = copies;
        }
    }
    if (dialog.hDevMode)
        GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames)
        GlobalFree(dialog.hDevNames);
    if (dialog.hDC)
        DeleteDC(dialog.hDC);
    // A property-sheet dialog that could not run at all leaves the user the plain one.
    return FAILED(result) ? ExecutePlain(data) : confirmed;
}

bool TPrintDialogEx::ExecutePlain(TPrinterData& data)
{
    PRINTDLGA dialog {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = data.OwnerWindow;
    dialog.hDevMode = GlobalCopy(printer_.DevMode.data(), printer_.DevMode.size());
    dialog.hDevNames = MakeDevNames(printer_.Name);
    dialog.Flags = DialogFlags(data.Prefs);
    dialog.nFromPage = 1;
    dialog.nToPage = 1;
    dialog.nMinPage = 1;
    dialog.nMaxPage = 0xFFFF;
    dialog.nCopies = static_cast<WORD>(std::clamp(data.Prefs.Copies, 1, 0xFFFF));
    const bool confirmed = entries_.PlainDialog && entries_.PlainDialog(&dialog) != FALSE;
    if (confirmed) {
        printerChosen_ = true;
        TakeChoice(dialog.hDevNames, dialog.hDevMode, data);
        data.Prefs.Collate = (dialog.Flags & PD_COLLATE) ? 1 : 0;
        data.Prefs.PrintRange = RangeOfFlags(dialog.Flags);
        data.Prefs.Copies = std::max<int>(dialog.nCopies, 1);
    }
    if (dialog.hDevMode)
        GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames)
        GlobalFree(dialog.hDevNames);
    if (dialog.hDC)
        DeleteDC(dialog.hDC);
    return confirmed;
}

void TPrintDialogEx::TakeChoice(HGLOBAL devNames, HGLOBAL devMode, const TPrinterData& data)
{
    const std::string device = DeviceNameOf(devNames);
    if (!device.empty())
        printer_.Name = device;
    std::vector<BYTE> mode = BytesOf(devMode);
    if (!mode.empty())
        printer_.DevMode = std::move(mode);
    ApplyOrientation(printer_.DevMode, data.Prefs.Orientation);
}

// ---- Centring -------------------------------------------------------------------------------------------

POINT CentredPosition(const RECT& owner, const RECT& window)
{
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    return { owner.left + (owner.right - owner.left - width) / 2,
        owner.top + (owner.bottom - owner.top - height) / 2 };
}

namespace {

bool IsModalDialogWindow(HWND window)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, "#32770") == 0 && (GetWindowLongA(window, GWL_STYLE) & DS_MODALFRAME);
}

void CentreOver(HWND window, HWND owner)
{
    RECT ownerRect {};
    RECT rect {};
    if (!owner || !GetWindowRect(owner, &ownerRect) || !GetWindowRect(window, &rect))
        return;
    const POINT at = CentredPosition(ownerRect, rect);
    SetWindowPos(
        window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

// Centres the print dialog and the dialogs it opens while it runs on this thread.
class CentringHook {
public:
    explicit CentringHook(HWND owner)
        : owner_(owner)
        , previous_(current_)
    {
        current_ = this;
        hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, &Proc, nullptr, GetCurrentThreadId());
    }
    ~CentringHook()
    {
        if (hook_)
            UnhookWindowsHookEx(hook_);
        current_ = previous_;
    }
    CentringHook(const CentringHook&) = delete;
    CentringHook& operator=(const CentringHook&) = delete;

private:
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam)
    {
        try {
            const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
            if (code == HC_ACTION && current_ && message->message == WM_SHOWWINDOW && message->wParam
                && IsModalDialogWindow(message->hwnd)) {
                const HWND owner = GetWindow(message->hwnd, GW_OWNER);
                CentreOver(message->hwnd, owner && IsModalDialogWindow(owner) ? owner : current_->owner_);
            }
        } catch (...) {
            ReportBoundaryException("print dialog centring hook");
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static thread_local CentringHook* current_;
    HWND owner_;
    CentringHook* previous_;
    HHOOK hook_ = nullptr;
};

thread_local CentringHook* CentringHook::current_ = nullptr;

} // namespace

bool ExecutePrintDialog(TPrinterData& data, const TPrintDialogEntries& entries)
{
    TPrintDialogEx dialog(entries);
    const CentringHook hook(data.OwnerWindow);
    TPrinterData copy = data;
    const bool confirmed = dialog.Execute(copy);
    if (dialog.PrinterChosen())
        data.Prefs = copy.Prefs;
    return confirmed;
}

HDC CreatePrinterDC(const TPrinterPrefs& prefs)
{
    std::string name = PrinterNameOf(prefs);
    if (name.empty())
        name = DefaultPrinterName();
    if (name.empty())
        return nullptr;
    std::vector<BYTE> devMode = DevModeOf(name);
    ApplyOrientation(devMode, prefs.Orientation);
    const auto* mode = devMode.empty() ? nullptr : reinterpret_cast<const DEVMODEA*>(devMode.data());
    HDC dc = CreateDCA(nullptr, name.c_str(), nullptr, mode);
    return dc ? dc : CreateDCA("WINSPOOL", name.c_str(), nullptr, mode);
}
