// Visual-style helpers shared by the own controls, over the visual-styles library the plug-in binds
// at load: without it (or without a manifest in the host) the controls draw with plain GDI.
#include "ui/controls/ThemeApi.h"

#include "foundation/UxThemes.h"

bool VisualStylesActive() noexcept
{
    return ThemesActive();
}

bool TThemeHandle::Open(HWND window, const wchar_t* themeClass) noexcept
{
    Close();
    if (VisualStylesActive() && UxThemeApi().OpenThemeData)
        theme_ = UxThemeApi().OpenThemeData(window, themeClass);
    return theme_ != nullptr;
}

void TThemeHandle::Close() noexcept
{
    if (theme_ && UxThemeApi().CloseThemeData)
        UxThemeApi().CloseThemeData(theme_);
    theme_ = nullptr;
}
