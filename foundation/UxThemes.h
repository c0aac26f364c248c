// Run-time binding of the visual-styles library and the test whether themes are active. Every
// entry point may be missing (older systems, a library that fails to load): callers test for null.
#pragma once

#include <windows.h>

#include <uxtheme.h>

#include <string>

// The entry points the controls use; each stays null when the library or the name is missing.
struct TUxThemeApi {
    HTHEME(WINAPI* OpenThemeData)(HWND Window, LPCWSTR ClassList) = nullptr;
    HRESULT(WINAPI* CloseThemeData)(HTHEME Theme) = nullptr;
    HRESULT(WINAPI* GetThemePartSize)
    (HTHEME Theme, HDC DC, int Part, int State, const RECT* Rect, THEMESIZE Size, SIZE* Result) = nullptr;
    HRESULT(WINAPI* GetThemeBackgroundContentRect)
    (HTHEME Theme, HDC DC, int Part, int State, const RECT* Bounds, RECT* Content) = nullptr;
    BOOL(WINAPI* IsThemeBackgroundPartiallyTransparent)(HTHEME Theme, int Part, int State) = nullptr;
    HRESULT(WINAPI* GetThemeColor)
    (HTHEME Theme, int Part, int State, int Property, COLORREF* Color) = nullptr;
    HRESULT(WINAPI* SetWindowTheme)(HWND Window, LPCWSTR SubAppName, LPCWSTR SubIdList) = nullptr;
    HRESULT(WINAPI* GetThemeSysFont)(HTHEME Theme, int FontID, LOGFONTW* Font) = nullptr;
    BOOL(WINAPI* IsThemeActive)() = nullptr;
    BOOL(WINAPI* IsAppThemed)() = nullptr;
    HTHEME(WINAPI* GetWindowTheme)(HWND Window) = nullptr;
    HRESULT(WINAPI* EnableThemeDialogTexture)(HWND Window, DWORD Flags) = nullptr;
    HRESULT(WINAPI* DrawThemeBackground)
    (HTHEME Theme, HDC DC, int Part, int State, const RECT* Rect, const RECT* Clip) = nullptr;
    HRESULT(WINAPI* DrawThemeText)
    (HTHEME Theme, HDC DC, int Part, int State, LPCWSTR Text, int Count, DWORD Flags, DWORD Flags2,
        const RECT* Rect)
        = nullptr;
    HRESULT(WINAPI* DrawThemeParentBackground)(HWND Window, HDC DC, const RECT* Rect) = nullptr;
};

// Loads "UxTheme.dll" from the system folder and binds its entry points; the library handle, or
// null. Loads once; the binding lasts until DoneUxThemes.
HMODULE LoadUxThemeApi();
// The same from the given full path (another folder, or none when the library is absent).
HMODULE LoadUxThemeApiFrom(const std::string& FullPath);
// Unit finalisation: frees the library and empties the binding.
void DoneUxThemes();
const TUxThemeApi& UxThemeApi();

// The running program has a manifest: a "<program>.manifest" file or an RT_MANIFEST "#1" resource.
bool HostHasManifest();
// The library is bound, the program has a manifest and both the application and the system are themed.
bool ThemesActive();
// Turns visual styles on (when themes are active) or off for the window and redraws its frame;
// returns whether it is themed now; false for no window or no library.
bool SetWindowThemed(HWND Window, bool Themed);
