// Binding of the visual-styles library by full path from the system folder, and the theme tests
// built on it. The library stays loaded until the unit is finalised.
#include "foundation/UxThemes.h"

#include "foundation/StrUtilWin.h"
#include "framework/LibraryBinding.h"

namespace {

struct TUxThemeUnit {
    TLibrary Library;
    TUxThemeApi Api;
};

TUxThemeUnit Unit;

} // namespace

HMODULE LoadUxThemeApi()
{
    return LoadUxThemeApiFrom(GetSystemFolder() + "UxTheme.dll");
}

HMODULE LoadUxThemeApiFrom(const std::string& FullPath)
{
    if (Unit.Library)
        return Unit.Library.Handle();
    TUxThemeUnit unit;
    unit.Library = TLibrary(FullPath);
    if (!unit.Library)
        return nullptr;
    TUxThemeApi& api = unit.Api;
    const ProcBinding table[] = {
        DECLARED_PROC(OpenThemeData, api.OpenThemeData),
        DECLARED_PROC(CloseThemeData, api.CloseThemeData),
        BindProc("GetThemePartSize", api.GetThemePartSize), // const where Windows' own declaration has it
        DECLARED_PROC(GetThemeBackgroundContentRect, api.GetThemeBackgroundContentRect),
        DECLARED_PROC(IsThemeBackgroundPartiallyTransparent, api.IsThemeBackgroundPartiallyTransparent),
        DECLARED_PROC(GetThemeColor, api.GetThemeColor),
        DECLARED_PROC(SetWindowTheme, api.SetWindowTheme),
        DECLARED_PROC(GetThemeSysFont, api.GetThemeSysFont),
        DECLARED_PROC(IsThemeActive, api.IsThemeActive),
        DECLARED_PROC(IsAppThemed, api.IsAppThemed),
        DECLARED_PROC(GetWindowTheme, api.GetWindowTheme),
        DECLARED_PROC(EnableThemeDialogTexture, api.EnableThemeDialogTexture),
        DECLARED_PROC(DrawThemeBackground, api.DrawThemeBackground),
        DECLARED_PROC(DrawThemeText, api.DrawThemeText),
        BindProc("DrawThemeParentBackground", api.DrawThemeParentBackground), // const where Windows' own declaration has it
    };
    BindProcs(unit.Library.Handle(), table);
    Unit = std::move(unit);
    return Unit.Library.Handle();
}

void DoneUxThemes()
{
    Unit = TUxThemeUnit {};
}

const TUxThemeApi& UxThemeApi()
{
    return Unit.Api;
}

bool HostHasManifest()
{
    if (IsExistingFile(GetModuleFileNameStr(nullptr) + ".manifest"))
        return true;
    return FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) != nullptr;
}

bool ThemesActive()
{
    const TUxThemeApi& api = Unit.Api;
    if (!Unit.Library || !api.IsAppThemed || !api.IsThemeActive)
        return false;
    return HostHasManifest() && api.IsAppThemed() && api.IsThemeActive();
}

bool SetWindowThemed(HWND Window, bool Themed)
{
    if (!Window || !Unit.Api.SetWindowTheme)
        return false;
    const bool themed = Themed && ThemesActive();
    if (themed)
        Unit.Api.SetWindowTheme(Window, nullptr, nullptr);
    else
        Unit.Api.SetWindowTheme(Window, L"", L""); // empty names switch visual styles off
    RedrawWindow(Window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    return themed;
}
