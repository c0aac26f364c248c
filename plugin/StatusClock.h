// The clock the plug-in draws at the right of the mail client's status bar: date and time or the
// time alone, redrawn only when its text changes, with a tooltip that names the time server and
// offers the clock synchronisation by double click.
#pragma once

#include <windows.h>

#include <string>

class TStatusClock {
public:
    static constexpr int MODE_OFF = 0;
    static constexpr int MODE_DATE_TIME = 1;
    static constexpr int MODE_TIME = 2;
    static constexpr UINT TOOLTIP_SHOW_MS = 5000;

    TStatusClock() = default;
    ~TStatusClock();
    TStatusClock(const TStatusClock&) = delete;
    TStatusClock& operator=(const TStatusClock&) = delete;

    // Shows the clock on the status bar in the given mode (MODE_OFF shows none); tooltipText may
    // be empty for no tooltip.
    void Attach(HWND statusBar, int mode, const std::string& tooltipText);
    // Takes the clock and its tooltip off the status bar and redraws that part.
    void Detach();
    // Draws in this font (the mail client's dialog font); without one, in the status bar's font.
    void SetFont(const std::string& face, int pointSize);
    bool Shown() const { return statusBar_ != nullptr; }

    // The timer's tick: takes the current time; redraws only when the text changed.
    void Tick();
    // Draws the clock; called after the status bar painted itself.
    void Paint() const;
    // The status bar changed size or children: the clock finds its place again.
    void Place();
    // In status-bar client coordinates.
    bool Contains(POINT point) const;
    // The status bar's mouse messages, for the tooltip to know when to show.
    void RelayMouse(UINT message, WPARAM wParam, LPARAM lParam) const;
    const std::string& Text() const { return text_; }

    // The clock's text for a mode at a time, in the user's date and time formats.
    static std::string FormatText(int mode, const SYSTEMTIME& time);

private:
    HFONT Font() const;
    void PlaceTooltip() const;

    HWND statusBar_ = nullptr;
    HWND tooltip_ = nullptr;
    HFONT font_ = nullptr; // owned
    int mode_ = MODE_OFF;
    std::string text_;
    RECT rect_ = {};
};
