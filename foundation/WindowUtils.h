// Window utilities: finding child windows of windows we did not create (by class, caption and
// control id), small wrappers around button, combo-box, list-box and menu messages, points,
// rectangles and twips, the dialog font and small system icons.
#pragma once

#include "framework/Lists.h"

#include <windows.h>

#include <cstdint>
#include <string>

// Criteria and result of one child-window search.
struct TWindowParams {
    std::string Caption; // substring of the window text, first '&' removed on both sides
    std::string ClassNames; // comma-separated, upper-cased; empty = no class test
    TList* List = nullptr; // receives the windows in collect mode
    uint32_t StyleMask = 0; // a class match also needs one of these style bits (button search)
    uint32_t ControlID = 0; // non-zero: the window with this id is taken at once
    bool DisabledOnly = false; // only visible and disabled windows
    bool HiddenOnly = false; // only windows that are not visible
    bool Wildcards = false; // '?' in a class name stands for any one character
    uint32_t Mode = 0; // TWindowSearchMode
    HWND Result = nullptr;
};

enum TWindowSearchMode : uint32_t { WindowSearchFirst = 0, WindowSearchSecond = 1, WindowSearchCollect = 2 };

// Unit initialisation binds GradientFill and LoadIconMetric from libraries that are already loaded.
void InitWindowUtils();
void DoneWindowUtils();

// Runs the search over every descendant of Parent; Params.Result holds the outcome.
void SearchChildWindows(HWND Parent, TWindowParams& Params);

HWND FindChildWindow(HWND Parent, const std::string& ClassNames, const std::string& Caption,
    uint32_t ControlID, bool Wildcards);
HWND FindSecondChildWindow(HWND Parent, const std::string& ClassNames, const std::string& Caption,
    uint32_t ControlID, bool Wildcards);
int CollectChildWindows(HWND Parent, const std::string& ClassNames, TList& List);
int CollectDisabledChildWindows(HWND Parent, const std::string& ClassNames, TList& List);
HWND FindButtonChild(HWND Parent, const std::string& Caption, uint32_t StyleMask);
HWND FindComboBoxChild(HWND Parent);
HWND FindEditChild(HWND Parent);
HWND FindEditWindow(HWND Parent);
HWND FindStaticChild(HWND Parent, const std::string& Caption);
// The visible top-level window of the process named by ExePath's file name, or a child of it.
HWND FindProcessChildWindow(
    const std::string& ExePath, const std::string& ClassNames, const std::string& Caption);
// Text has exactly Len characters and so has Pattern, each '?' or equal (case-sensitive).
bool MatchesWildcard(const std::string& Text, const std::string& Pattern, int Len);
bool IsVisibleDisabled(HWND Window);
HWND FindMDIChildOf(HWND Window);
bool IsInActiveMDIChild(HWND MDIClient, HWND Window);
// The window belongs to the module that holds this code.
bool IsOwnModuleWindow(HWND Window);

// Control and menu messages.
LRESULT ClickDlgButton(HWND Dialog, int ID);
int GetDlgButtonCheck(HWND Dialog, int ID); // 0 unchecked, 1 checked, 2 indeterminate
bool SetButtonCheck(HWND Button, bool Checked);
bool IsButtonChecked(HWND Button);
// Ends checked through a click, so the parent hears BN_CLICKED.
bool ClickCheckBoxOn(HWND Button);
bool SetMenuItemCheck(HMENU Menu, UINT ID, bool Checked);
bool SetComboSelection(HWND Combo, int Index);
int FindComboItemExact(HWND Combo, const std::string& Text);
int DeleteComboItem(HWND Combo, int Index);
int SelectComboItem(HWND Combo, int Index);
int GetComboSelection(HWND Combo);
// Sets Text to the selected item's text when the selection index is above 0; true then.
bool GetComboSelectedText(HWND Combo, std::string& Text);
// Every item's text followed by a zero byte.
std::string GetListBoxItemsText(HWND List);
void ErrorBeep();
// Dispatches the thread's pending messages; a WM_QUIT found on the way is posted again and ends it.
void ProcessPendingMessages();

// Points: (-1, -1) stands for no point.
void ClearPoint(POINT& Point);
void SetPoint(POINT& Point, int X, int Y);
bool IsZeroPoint(const POINT& Point);
bool PointsEqual(const POINT& A, const POINT& B);
POINT GetCursorPoint();
POINT PointFromLParam(LPARAM Value);

// Rectangles: (0,0,0,0) when the window cannot be asked.
RECT GetWindowRectOrZero(HWND Window);
RECT GetClientRectOrZero(HWND Window);
int GetWindowClientWidth(HWND Window);
bool IsNullRect(const RECT& Rect);
int ClientWidthLessVScroll(HWND Window);
SIZE GetWorkAreaSize();

// Units: 1440 twips per inch.
int WidthToTwips(HWND Window, const std::string& Text); // the text measured in the window's font
int WidthToTwips(HWND Window, int Pixels);
int TwipsToPixelsY(int Twips);
SIZE TwipsToPixels(HDC DC, SIZE Size); // the screen when DC is null
SIZE PixelsToTwips(HDC DC, SIZE Size);
int ScaleBy25_4(double Value); // rounds half to even

// The face of the dialog font: the theme's system font, the "MS Shell Dlg 2" substitute, or "MS Shell Dlg".
std::string GetDialogFontName(HANDLE Theme, int FontID);
bool DropShadowEnabled();

// An icon that is destroyed with its owner only when it is not a shared one.
class TSmallIcon {
public:
    TSmallIcon() noexcept = default;
    TSmallIcon(HICON icon, bool owned) noexcept
        : icon_(icon)
        , owned_(owned)
    {
    }
    ~TSmallIcon();
    TSmallIcon(TSmallIcon&& other) noexcept;
    TSmallIcon& operator=(TSmallIcon&& other) noexcept;
    TSmallIcon(const TSmallIcon&) = delete;
    TSmallIcon& operator=(const TSmallIcon&) = delete;

    HICON Handle() const noexcept { return icon_; }

private:
    HICON icon_ = nullptr;
    bool owned_ = false;
};

// A small system icon (IDI_* names): LoadIconMetric when comctl32 offers it, else a shared image.
TSmallIcon LoadSmallSystemIcon(const wchar_t* Name);

// Bound at initialisation when its library was already loaded; null otherwise.
using TGradientFill
    = BOOL(WINAPI*)(HDC DC, TRIVERTEX* Vertices, ULONG VertexCount, void* Mesh, ULONG MeshCount, ULONG Mode);
TGradientFill GradientFillProc();
