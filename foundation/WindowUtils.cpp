// Child-window search and the small window, control and unit helpers. The search runs over
// windows of the host program, so every step tolerates windows that vanish or say nothing.
#include "foundation/WindowUtils.h"

#include "foundation/Processes.h"
#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "foundation/UxThemes.h"
#include "framework/LibraryBinding.h"

#include <commctrl.h>

#include <cfenv>
#include <cmath>
#include <vector>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

constexpr int TwipsPerInch = 1440;
constexpr UINT SpiGetDropShadow = 0x1024;
constexpr int LimSmall = 0; // LIM_SMALL

using TLoadIconMetric = HRESULT(WINAPI*)(HINSTANCE Instance, PCWSTR Name, int Metric, HICON* Icon);

struct TWindowUtilsUnit {
    TGradientFill GradientFill = nullptr;
    TLoadIconMetric LoadIconMetric = nullptr;
    bool Initialized = false;
};

TWindowUtilsUnit Unit;

// The bound entry points; initialised on first use when the program did not do it.
const TWindowUtilsUnit& Bound()
{
    if (!Unit.Initialized)
        InitWindowUtils();
    return Unit;
}

// A device context of a window (the screen for none), released when it goes.
class TWindowDC {
public:
    explicit TWindowDC(HWND window)
        : window_(window)
        , dc_(GetDC(window))
    {
    }
    ~TWindowDC()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Upper-cased the way GetClassNameUpper does it, so both sides of the compare agree.
std::string UpperText(std::string Text)
{
    if (!Text.empty())
        CharUpperBuffA(Text.data(), static_cast<DWORD>(Text.size()));
    return Text;
}

std::vector<std::string> SplitClassList(const std::string& ClassNames)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= ClassNames.size()) {
        const size_t comma = ClassNames.find(',', start);
        const size_t end = comma == std::string::npos ? ClassNames.size() : comma;
        names.push_back(ClassNames.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

bool ClassNameMatches(const std::string& ClassName, const std::string& Name, bool Wildcards)
{
    if (ClassName.size() != Name.size())
        return false;
    const int length = static_cast<int>(Name.size());
    if (Wildcards && MatchesWildcard(ClassName, Name, length))
        return true;
    return CompareStringA(LOCALE_USER_DEFAULT, 0, ClassName.data(), length, Name.data(), length)
        == CSTR_EQUAL;
}

// One step of the search for window W; false stops the enumeration.
bool SearchStep(HWND W, TWindowParams& P)
{
    if (P.DisabledOnly && !IsVisibleDisabled(W))
        return true;
    if (P.HiddenOnly && IsWindowVisible(W))
        return true;
    if (P.ControlID != 0 && static_cast<uint32_t>(GetDlgCtrlID(W)) == P.ControlID) {
        P.Result = W;
        return false;
    }
    if (!P.Caption.empty()) {
        if (RemoveAccelChar(GetWindowTextStr(W)).find(RemoveAccelChar(P.Caption)) != std::string::npos) {
            P.Result = W;
            if (P.ClassNames.empty())
                return false;
        }
    }
    if (P.ClassNames.empty())
        return true;
    const std::string className = GetClassNameUpper(W);
    const bool styleFits
        = P.StyleMask == 0 || (static_cast<uint32_t>(GetWindowLongA(W, GWL_STYLE)) & P.StyleMask) != 0;
    for (const std::string& name : SplitClassList(UpperText(P.ClassNames))) {
        if (!styleFits || !ClassNameMatches(className, name, P.Wildcards))
            continue;
        if (P.Result == W || (P.Caption.empty() && P.Mode == WindowSearchFirst)) {
            P.Result = W;
            return false;
        }
        if (P.Mode == WindowSearchSecond)
            P.Mode = WindowSearchFirst; // this match is passed over
        else if (P.Mode == WindowSearchCollect && P.List)
            P.List->Add(W);
        P.Result = nullptr;
        return true;
    }
    P.Result = nullptr; // a caption match counts only together with a class match
    return true;
}

BOOL CALLBACK SearchStepCallback(HWND Window, LPARAM Data)
{
    auto& params = *reinterpret_cast<TWindowParams*>(Data);
    try {
        return SearchStep(Window, params) ? TRUE : FALSE;
    } catch (...) {
        params.Result = nullptr;
        return FALSE; // out of memory: end the search
    }
}

TWindowParams MakeParams(const std::string& ClassNames, const std::string& Caption, uint32_t ControlID,
    bool Wildcards, uint32_t Mode)
{
    TWindowParams params;
    params.ClassNames = ClassNames;
    params.Caption = Caption;
    params.ControlID = ControlID;
    params.Wildcards = Wildcards;
    params.Mode = Mode;
    return params;
}

int Collect(HWND Parent, const std::string& ClassNames, TList& List, bool DisabledOnly)
{
    if (!Parent)
        return 0;
    TWindowParams params = MakeParams(ClassNames, "", 0, false, WindowSearchCollect);
    params.List = &List;
    params.DisabledOnly = DisabledOnly;
    SearchChildWindows(Parent, params);
    return List.Count();
}

int DeviceUnits(HDC DC, int Index)
{
    if (DC)
        return GetDeviceCaps(DC, Index);
    TWindowDC screen(nullptr);
    return screen.Get() ? GetDeviceCaps(screen.Get(), Index) : 96;
}

} // namespace

void InitWindowUtils()
{
    TWindowUtilsUnit unit;
    // Neither library is loaded for these: they are used only when the program already has them.
    const ProcBinding msimg32[] = { DECLARED_PROC(GradientFill, unit.GradientFill) };
    BindProcs(GetModuleHandleA("MSIMG32.DLL"), msimg32);
    const ProcBinding comctl32[] = { DECLARED_PROC(LoadIconMetric, unit.LoadIconMetric) };
    BindProcs(GetModuleHandleA("comctl32.dll"), comctl32);
    unit.Initialized = true;
    Unit = unit;
}

void DoneWindowUtils()
{
    Unit = TWindowUtilsUnit {};
}

TGradientFill GradientFillProc()
{
    return Bound().GradientFill;
}

void SearchChildWindows(HWND Parent, TWindowParams& Params)
{
    Params.Result = nullptr;
    if (Parent)
        EnumChildWindows(Parent, SearchStepCallback, reinterpret_cast<LPARAM>(&Params));
}

HWND FindChildWindow(HWND Parent, const std::string& ClassNames, const std::string& Caption,
    uint32_t ControlID, bool Wildcards)
{
    TWindowParams params = MakeParams(ClassNames, Caption, ControlID, Wildcards, WindowSearchFirst);
    SearchChildWindows(Parent, params);
    return params.Result;
}

HWND FindSecondChildWindow(HWND Parent, const std::string& ClassNames, const std::string& Caption,
    uint32_t ControlID, bool Wildcards)
{
    TWindowParams params = MakeParams(ClassNames, Caption, ControlID, Wildcards, WindowSearchSecond);
    SearchChildWindows(Parent, params);
    return params.Result;
}

int CollectChildWindows(HWND Parent, const std::string& ClassNames, TList& List)
{
    return Collect(Parent, ClassNames, List, false);
}

int CollectDisabledChildWindows(HWND Parent, const std::string& ClassNames, TList& List)
{
    return Collect(Parent, ClassNames, List, true);
}

HWND FindButtonChild(HWND Parent, const std::string& Caption, uint32_t StyleMask)
{
    if (!Caption.empty())
        return FindChildWindow(Parent, "BUTTON", Caption, 0, false);
    TWindowParams params = MakeParams("BUTTON", "", 0, false, WindowSearchFirst);
    params.StyleMask = StyleMask;
    SearchChildWindows(Parent, params);
    return params.Result;
}

HWND FindComboBoxChild(HWND Parent)
{
    return FindChildWindow(Parent, "COMBOBOX", "", 0, false);
}

HWND FindEditChild(HWND Parent)
{
    return FindChildWindow(Parent, "EDIT", "", 0, false);
}

HWND FindEditWindow(HWND Parent)
{
    return FindChildWindow(Parent, "EDIT", "", 0, false);
}

HWND FindStaticChild(HWND Parent, const std::string& Caption)
{
    return FindChildWindow(Parent, "STATIC", Caption, 0, false);
}

HWND FindProcessChildWindow(
    const std::string& ExePath, const std::string& ClassNames, const std::string& Caption)
{
    TProcessWindowSearch search;
    if (!FindProcessWindow(GetFileNamePart(ExePath), true, search))
        return nullptr;
    if (ClassNames.empty() && Caption.empty())
        return search.Window;
    return FindChildWindow(search.Window, ClassNames, Caption, 0, false);
}

bool MatchesWildcard(const std::string& Text, const std::string& Pattern, int Len)
{
    if (Len < 0 || Text.size() != static_cast<size_t>(Len) || Pattern.size() != static_cast<size_t>(Len))
        return false;
    for (size_t i = 0; i < Text.size(); ++i)
        if (Pattern[i] != '?' && Pattern[i] != Text[i])
            return false;
    return true;
}

bool IsVisibleDisabled(HWND Window)
{
    return IsWindowVisible(Window) && !IsWindowEnabled(Window);
}

HWND FindMDIChildOf(HWND Window)
{
    for (HWND w = Window; w; w = GetAncestor(w, GA_PARENT))
        if (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_MDICHILD)
            return w;
    return nullptr;
}

bool IsInActiveMDIChild(HWND MDIClient, HWND Window)
{
    if (GetWindowLongA(Window, GWL_EXSTYLE) & WS_EX_MDICHILD)
        return true;
    HWND active = reinterpret_cast<HWND>(SendMessageA(MDIClient, WM_MDIGETACTIVE, 0, 0));
    return active && IsChild(active, Window);
}

bool IsOwnModuleWindow(HWND Window)
{
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(Window, GWLP_HINSTANCE))
        == reinterpret_cast<HINSTANCE>(&__ImageBase);
}

LRESULT ClickDlgButton(HWND Dialog, int ID)
{
    return SendDlgItemMessageA(Dialog, ID, BM_CLICK, 0, 0);
}

int GetDlgButtonCheck(HWND Dialog, int ID)
{
    return static_cast<int>(SendDlgItemMessageA(Dialog, ID, BM_GETCHECK, 0, 0));
}

bool SetButtonCheck(HWND Button, bool Checked)
{
    SendMessageA(Button, BM_SETCHECK, Checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return true;
}

bool IsButtonChecked(HWND Button)
{
    return SendMessageA(Button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool ClickCheckBoxOn(HWND Button)
{
    if (IsButtonChecked(Button))
        SendMessageA(Button, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(Button, BM_CLICK, 0, 0);
    return true;
}

bool SetMenuItemCheck(HMENU Menu, UINT ID, bool Checked)
{
    return CheckMenuItem(Menu, ID, MF_BYCOMMAND | (Checked ? MF_CHECKED : MF_UNCHECKED))
        != static_cast<DWORD>(-1);
}

bool SetComboSelection(HWND Combo, int Index)
{
    return SendMessageA(Combo, CB_SETCURSEL, static_cast<WPARAM>(Index), 0) != CB_ERR;
}

int FindComboItemExact(HWND Combo, const std::string& Text)
{
    if (Text.empty())
        return -1;
    return static_cast<int>(SendMessageA(
        Combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(Text.c_str())));
}

int DeleteComboItem(HWND Combo, int Index)
{
    if (Index == -1)
        return -1;
    return static_cast<int>(SendMessageA(Combo, CB_DELETESTRING, static_cast<WPARAM>(Index), 0));
}

int SelectComboItem(HWND Combo, int Index)
{
    if (Index == -1)
        return -1;
    return static_cast<int>(SendMessageA(Combo, CB_SETCURSEL, static_cast<WPARAM>(Index), 0));
}

int GetComboSelection(HWND Combo)
{
    return static_cast<int>(SendMessageA(Combo, CB_GETCURSEL, 0, 0));
}

bool GetComboSelectedText(HWND Combo, std::string& Text)
{
    const int index = GetComboSelection(Combo);
    if (index <= 0)
        return false;
    const LRESULT length = SendMessageA(Combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0)
        return false;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied = SendMessageA(
        Combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    if (copied < 0 || copied > length)
        return false;
    text.resize(static_cast<size_t>(copied));
    Text = text;
    return true;
}

std::string GetListBoxItemsText(HWND List)
{
    std::string result;
    const LRESULT count = SendMessageA(List, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(List, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::string item;
        if (length > 0) {
            item.assign(static_cast<size_t>(length) + 1, '\0');
            const LRESULT copied = SendMessageA(
                List, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
            item.resize(copied >= 0 && copied <= length ? static_cast<size_t>(copied) : 0);
        }
        result += item;
        result += '\0';
    }
    return result;
}

void ErrorBeep()
{
    MessageBeep(MB_ICONHAND);
}

void ProcessPendingMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Dispatching would swallow it and the program could never end: leave it for the main loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void ClearPoint(POINT& Point)
{
    Point = { -1, -1 };
}

void SetPoint(POINT& Point, int X, int Y)
{
    Point = { X, Y };
}

bool IsZeroPoint(const POINT& Point)
{
    return Point.x == 0 && Point.y == 0;
}

bool PointsEqual(const POINT& A, const POINT& B)
{
    return A.x == B.x && A.y == B.y;
}

POINT GetCursorPoint()
{
    POINT point;
    if (!GetCursorPos(&point))
        ClearPoint(point);
    return point;
}

POINT PointFromLParam(LPARAM Value)
{
    const auto bits = static_cast<uint32_t>(Value);
    return { static_cast<LONG>(bits & 0xFFFF), static_cast<LONG>(bits >> 16) };
}

RECT GetWindowRectOrZero(HWND Window)
{
    RECT rect;
    if (!GetWindowRect(Window, &rect))
        rect = {};
    return rect;
}

RECT GetClientRectOrZero(HWND Window)
{
    RECT rect;
    if (!GetClientRect(Window, &rect))
        rect = {};
    return rect;
}

int GetWindowClientWidth(HWND Window)
{
    const RECT rect = GetClientRectOrZero(Window);
    return rect.right - rect.left;
}

bool IsNullRect(const RECT& Rect)
{
    return Rect.left == 0 && Rect.top == 0 && Rect.right == 0 && Rect.bottom == 0;
}

int ClientWidthLessVScroll(HWND Window)
{
    return GetWindowClientWidth(Window) - GetSystemMetrics(SM_CXVSCROLL);
}

SIZE GetWorkAreaSize()
{
    RECT area {};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
        return {};
    return { area.right - area.left, area.bottom - area.top };
}

int WidthToTwips(HWND Window, const std::string& Text)
{
    TWindowDC dc(Window);
    if (!dc.Get())
        return 0;
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(Window, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font ? SelectObject(dc.Get(), font) : nullptr;
    SIZE extent {};
    GetTextExtentPoint32A(dc.Get(), Text.data(), static_cast<int>(Text.size()), &extent);
    if (previous)
        SelectObject(dc.Get(), previous);
    return MulDiv(extent.cx, TwipsPerInch, GetDeviceCaps(dc.Get(), LOGPIXELSX));
}

int WidthToTwips(HWND Window, int Pixels)
{
    TWindowDC dc(Window);
    return MulDiv(Pixels, TwipsPerInch, dc.Get() ? GetDeviceCaps(dc.Get(), LOGPIXELSX) : 96);
}

int TwipsToPixelsY(int Twips)
{
    return MulDiv(Twips, DeviceUnits(nullptr, LOGPIXELSY), TwipsPerInch);
}

SIZE TwipsToPixels(HDC DC, SIZE Size)
{
    return { MulDiv(Size.cx, DeviceUnits(DC, LOGPIXELSX), TwipsPerInch),
        MulDiv(Size.cy, DeviceUnits(DC, LOGPIXELSY), TwipsPerInch) };
}

SIZE PixelsToTwips(HDC DC, SIZE Size)
{
    return { MulDiv(Size.cx, TwipsPerInch, DeviceUnits(DC, LOGPIXELSX)),
        MulDiv(Size.cy, TwipsPerInch, DeviceUnits(DC, LOGPIXELSY)) };
}

int ScaleBy25_4(double Value)
{
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double scaled = std::nearbyint(Value * 25.4);
    std::fesetround(previous);
    return static_cast<int>(scaled);
}

std::string GetDialogFontName(HANDLE Theme, int FontID)
{
    const TUxThemeApi& api = UxThemeApi();
    if (Theme && api.GetThemeSysFont) {
        LOGFONTW font {};
        if (SUCCEEDED(api.GetThemeSysFont(static_cast<HTHEME>(Theme), FontID, &font)) && font.lfFaceName[0]) {
            char face[LF_FACESIZE * 2] = {};
            if (WideCharToMultiByte(CP_ACP, 0, font.lfFaceName, -1, face, sizeof(face), nullptr, nullptr) > 1)
                return face;
        }
    }
    const std::string substitute = RegReadString(HKEY_LOCAL_MACHINE,
        "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", "MS Shell Dlg 2");
    return substitute.empty() ? "MS Shell Dlg" : substitute;
}

bool DropShadowEnabled()
{
    BOOL enabled = FALSE;
    return SystemParametersInfoA(SpiGetDropShadow, 0, &enabled, 0) && enabled;
}

TSmallIcon::~TSmallIcon()
{
    if (owned_ && icon_)
        DestroyIcon(icon_);
}

TSmallIcon::TSmallIcon(TSmallIcon&& other) noexcept
    : icon_(other.icon_)
    , owned_(other.owned_)
{
    other.icon_ = nullptr;
    other.owned_ = false;
}

TSmallIcon& TSmallIcon::operator=(TSmallIcon&& other) noexcept
{
    if (this != &other) {
        TSmallIcon old(std::move(*this));
        icon_ = other.icon_;
        owned_ = other.owned_;
        other.icon_ = nullptr;
        other.owned_ = false;
    }
    return *this;
}

TSmallIcon LoadSmallSystemIcon(const wchar_t* Name)
{
    HICON icon = nullptr;
    const TLoadIconMetric loadIconMetric = Bound().LoadIconMetric;
    if (loadIconMetric && SUCCEEDED(loadIconMetric(nullptr, Name, LimSmall, &icon)) && icon)
        return TSmallIcon(icon, true); // a copy of its own: the owner destroys it
    icon = static_cast<HICON>(LoadImageW(
        nullptr, Name, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    return TSmallIcon(icon, false);
}
