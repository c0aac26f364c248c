// Visual styles for our own controls: one theme handle per control, opened only while styles are
// on for the application and the control's colour is the face colour the theme draws.
#pragma once

#include <windows.h>
#include <uxtheme.h>

// True when the visual-styles library is bound, the host has a manifest and the desktop and this
// application use visual styles.
bool VisualStylesActive() noexcept;

// Owns an HTHEME of one window and theme class.
class TThemeHandle {
public:
    TThemeHandle() = default;
    ~TThemeHandle() { Close(); }
    TThemeHandle(const TThemeHandle&) = delete;
    TThemeHandle& operator=(const TThemeHandle&) = delete;

    // Opens the class for the window when styles are on; false (and closed) otherwise.
    bool Open(HWND window, const wchar_t* themeClass) noexcept;
    void Close() noexcept;
    HTHEME Handle() const noexcept { return theme_; }
    explicit operator bool() const noexcept { return theme_ != nullptr; }

private:
    HTHEME theme_ = nullptr;
};
