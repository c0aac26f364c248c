// The toolbar buttons the plug-in has placed into the mail client: one host button record per
// command id (1025 upwards), added with request 3097 and removed with request 3098.
#pragma once

#include "plugin/HostApi.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class TButtonList {
public:
    static constexpr uint32_t FIRST_COMMAND_ID = 1025;
    static constexpr uint32_t INITIAL_CAPACITY = 7;

    // hostWindow: the mail client's plug-in window (nil outside it); bitmapFolder is prepended to
    // each bitmap file name.
    TButtonList(HWND hostWindow, std::string bitmapFolder);
    virtual ~TButtonList();
    TButtonList(const TButtonList&) = delete;
    TButtonList& operator=(const TButtonList&) = delete;

    HWND HostWindow() const { return hostWindow_; }
    // Places a button for commandId and keeps the id the mail client gives it; false for a command
    // id below 1025.
    bool AddButton(const std::string& bitmap, const std::string& tooltip, uint32_t commandId, uint32_t extra,
        uint32_t message, HWND window);
    // Removes every button the mail client gave an id; the list is empty afterwards.
    void RemoveButtons();
    std::string GetButtonHint(uint32_t commandId) const;
    uint32_t Count() const { return count_; }
    uint32_t Capacity() const { return static_cast<uint32_t>(records_.size()); }

protected:
    LRESULT Request(UINT request, WPARAM wParam, LPARAM lParam) const;

private:
    HWND hostWindow_;
    std::string bitmapFolder_;
    std::vector<HostApi::THostButtonRecord> records_;
    uint32_t count_ = 0;
};
