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
        BindProc("OpenThemeData", api.OpenThemeData),
        BindProc("CloseThemeData", api.CloseThemeData),
        BindProc("GetThemePartSize", api.GetThemePartSize),
        BindProc("GetThemeBackgroundContentRect", api.GetThemeBackgroundContentRect),
        BindProc("IsThemeBackgroundPartiallyTransparent", api.IsThemeBackgroundPartiallyTransparent),
        BindProc("GetThemeColor", api.GetThemeColor),
        BindProc("SetWindowTheme", api.SetWindowTheme),
        BindProc("GetThemeSysFont", api.GetThemeSysFont),
        BindProc("IsThemeActive", api.IsThemeActive),
        BindProc("IsAppThemed", api.IsAppThemed),
        BindProc("GetWindowTheme", api.GetWindowTheme),
        BindProc("EnableThemeDialogTexture", api.EnableThemeDialogTexture),
        BindProc("DrawThemeBackground", api.DrawThemeBackground),
        BindProc("DrawThemeText", api.DrawThemeText),
        BindProc("DrawThemeParentBackground", api.DrawThemeParentBackground),
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
