// The plug-in's one speaker to the mail client: numbered requests to the mail client's plug-in
// window and commands posted to its frame. This build carries the requests the main object needs;
// the folder, ini, identity and editor operations follow with the rest of the interface.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class TPMInterface {
public:
    // hostWindow: the mail client's plug-in window, nil outside the mail client.
    explicit TPMInterface(HWND hostWindow);

    HWND HostWindow() const { return hostWindow_; }
    // The build number computed from the version the mail client gives (0x452 gives 4520).
    uint32_t HostBuild() const { return build_; }

    // index: 0 frame, 1 MDI client, 2 active MDI child.
    HWND GetHostWindow(WPARAM index) const;
    std::string GetMailFolder();
    void PostHostCommand(WPARAM id) const;
    // Sends the shut-down event to the plug-in window: lParam 1 when flag is clear, 0 when set.
    LRESULT SendShutdownEvent(HWND pluginWindow, bool flag) const;
    // Removes empty queued-message files and counts the others.
    int CleanQueueFolder();
    // Makes the active editor send (commands 151 and 167, then its send command).
    void SendFromEditor(bool plain, bool switchSettings);

    static uint32_t BuildFromVersion(uint32_t version);

private:
    LRESULT Request(UINT request, WPARAM wParam, LPARAM lParam) const;
    std::string FolderRequest(UINT request) const;

    HWND hostWindow_;
    uint32_t build_ = 0;
    std::string mailFolder_;
};
