// A stand-in for the main object in dialog tests: the English texts, a chosen colour option, the
// chain of dialog windows, and records of the key-menu, help and link calls.
#pragma once

#include "foundation/ZAVEKResources.h"
#include "framework/Controls.h"
#include "ui/dialogs/DialogMainObject.h"

#include <string>
#include <vector>

class FakeMainObject : public IDialogMainObject {
public:
    FakeMainObject()
        : texts_(std::string(ZAVEK_TEST_DATA) + "/../../resources/ZAVEKStringsEn.txt")
    {
    }

    const TZAVEKStringList& Texts() const override { return texts_; }
    bool StandardColor() const override { return standardColor; }
    std::string FixedFontName() const override { return "Courier New"; }
    HWND ActiveDialogWindow() const override { return activeDialog; }
    void SetActiveDialogWindow(HWND window) override { activeDialog = window; }
    HWND GetHostWindow() const override { return hostWindow; }
    bool ShowKeyMenuForText(HWND, const std::string& text) override
    {
        keyMenuTexts.push_back(text);
        return text.find("[ 0x") != std::string::npos;
    }
    void OpenHtmlPage(const std::string& url) override { calls.push_back("open " + url); }
    void ShowPGPHelp(const std::string& topic) override { calls.push_back("pgphelp " + topic); }
    void ShowManual(const std::string& topic) override { calls.push_back("manual " + topic); }
    void ShowTopic(HWND, int context) override { calls.push_back("topic " + std::to_string(context)); }
    // Every popup entry says which it is, as rich text with a link to the next one.
    std::string HelpPopupText(int index) override
    {
        return "{\\rtf1\\ansi popup " + std::to_string(index) + "}";
    }
    std::string HelpPopupTextByName(const std::string& id) override
    {
        return "{\\rtf1\\ansi popup " + id + "}";
    }
    int HelpPopupHeight(int) override { return 0; }

    bool standardColor = false;
    HWND activeDialog = nullptr;
    HWND hostWindow = nullptr;
    std::vector<std::string> keyMenuTexts;
    std::vector<std::string> calls;

private:
    TZAVEKStringList texts_;
};

// Our control behind a window, as the given class (null when it is another).
template <typename T> T* ControlOf(HWND window)
{
    return dynamic_cast<T*>(TWinControl::FindControl(window));
}

// A 24-bit BMP file of the size: the left half red, the right half blue.
inline std::string BitmapBytes(int width, int height)
{
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file {};
    BITMAPINFOHEADER info {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(stride * height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = 0; y < height; ++y) {
        std::string row(static_cast<size_t>(stride), '\0');
        for (int x = 0; x < width; ++x)
            row[static_cast<size_t>(x * 3 + (x < width / 2 ? 2 : 0))] = '\xFF';
        bytes += row;
    }
    return bytes;
}
