// Visual-style helpers shared by the buttons and check boxes.
#include "ui/controls/ThemeApi.h"

bool VisualStylesActive() noexcept
{
    return IsThemeActive() && IsAppThemed();
}

bool TThemeHandle::Open(HWND window, const wchar_t* themeClass) noexcept
{
    Close();
    if (VisualStylesActive())
        theme_ = OpenThemeData(window, themeClass);
    return theme_ != nullptr;
}

void TThemeHandle::Close() noexcept
{
    if (theme_)
        CloseThemeData(theme_);
    theme_ = nullptr;
}
