// The signature note on the mail client's status bar: the icon of the last signature result and
// its signer over the status line's panel, with the whole text as a tooltip. It stays until the
// mail client writes another status text; its tooltip's end asks for the result to be shown again.
#pragma once

#include <windows.h>

#include <string>

class TSignatureNote {
public:
    TSignatureNote() = default;
    ~TSignatureNote();
    TSignatureNote(const TSignatureNote&) = delete;
    TSignatureNote& operator=(const TSignatureNote&) = delete;

    // good: a valid signature (information icon), otherwise the warning icon.
    void Show(HWND statusBar, const std::string& text, bool good);
    void Remove();
    // The status bar's panel paints itself: the note paints again over it.
    void Redraw() const;
    bool Shown() const { return text_ != nullptr; }
    bool Owns(HWND window) const { return window && (window == icon_ || window == text_ || window == tooltip_); }
    // The tooltip's automatic-pop delay in ms when this notification is its pop; 0 otherwise.
    UINT PopDelay(const NMHDR& notification) const;
    const std::string& Signer() const { return signer_; }

private:
    HWND icon_ = nullptr;
    HWND text_ = nullptr;
    HWND tooltip_ = nullptr;
    std::string signer_;
};
