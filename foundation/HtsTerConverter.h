// HTML to RTF and RTF to HTML through the mail client's editor library: a hidden editor control
// reads the input in one format and writes it in the other; pictures of the HTML are answered from
// local files or replaced by a default picture. Runs on the calling (GUI) thread.
#pragma once

#include "foundation/TerApi.h"

#include <windows.h>

#include <string>
#include <vector>

class THtsTerConverter {
public:
    static constexpr const char* PROPERTY_NAME = "HTSTER";
    static constexpr const char* DEFAULT_PICTURE = "DEFAULT.BMP";

    // folder: the mail client's folder (trailing backslash); width <= 0: the rest of the screen.
    // The hidden editor is made at the first conversion: a converter that is never used costs only
    // the libraries' binding.
    THtsTerConverter(const std::string& folder, int width, bool newerHost);
    ~THtsTerConverter();
    THtsTerConverter(const THtsTerConverter&) = delete;
    THtsTerConverter& operator=(const THtsTerConverter&) = delete;

    // The hidden editor control, made at the first call; null without the libraries or when it
    // could not be made.
    HWND Editor();
    const std::string& EditorVersion() const { return editorVersion_; }
    const std::string& DefaultPicture() const { return defaultPicture_; }

    // Empty output, and the height untouched, without the libraries or on a failed read.
    void ConvertHtmlToRtf(const std::string& html, int width, std::string& rtf, int& textHeight);
    void ConvertRtfToHtml(const std::string& rtf, int width, std::string& html, int& textHeight);

private:
    struct TPicture {
        std::string Reference;
        int Id = 0;
    };

    void MakeEditor();
    bool CreateHiddenWindow(int width);
    bool CreateEditor();
    void SetWidth(int width);
    void IndentFlaggedLines(int width);
    std::string Output(int format, int& textHeight);
    LRESULT ResolvePicture(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT PictureInserted(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    TerApi::TEntries api_;
    bool librariesLoaded_ = false;
    int width_;
    bool editorMade_ = false;
    std::string defaultPicture_;
    HWND hidden_ = nullptr;
    WNDPROC previousProc_ = nullptr;
    std::vector<TPicture> pictures_;
    std::string editorVersion_;
    HWND editor_ = nullptr;
};

// One conversion each, with the libraries of the program's own folder (the mail client's).
void HtmlToRtf(const std::string& html, int width, int& textHeight, std::string& rtf, bool newerHost = true);
void RtfToHtml(const std::string& rtf, int width, int& textHeight, std::string& html, bool newerHost = true);
