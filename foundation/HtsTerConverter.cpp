// The HTML/RTF converter over a hidden editor control of the mail client's editor library, and the
// hidden window's answers to the HTML add-on's picture messages.
#include "foundation/HtsTerConverter.h"

#include "foundation/HtsTerPictures.h"

#include <fstream>

namespace {

constexpr DWORD HIDDEN_STYLE = 0x88000000; // popup, disabled
constexpr DWORD EDITOR_STYLE = 0x400032C1;
constexpr DWORD FLAG6_CLEARED = 0x20000000;
constexpr DWORD FLAG4_SET = 128;
constexpr DWORD FLAG5_SET = 0x4000;
constexpr int INDENT = 720;

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsLocalPicture(const std::string& path)
{
    if (!FileExists(path))
        return false;
    std::ifstream file(path, std::ios::binary);
    std::string header(44, '\0');
    file.read(header.data(), std::streamsize(header.size()));
    header.resize(size_t(file.gcount()));
    return IsKnownPictureHeader(header);
}

RECT WorkArea()
{
    RECT area {};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
        area = { 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) };
    return area;
}

void CopyReference(char* buffer, const std::string& text)
{
    lstrcpynA(buffer, text.c_str(), TerApi::PICTURE_REFERENCE_SIZE);
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

} // namespace

THtsTerConverter::THtsTerConverter(const std::string& folder, int width, bool newerHost)
    : width_(width)
{
    if (FileExists(folder + DEFAULT_PICTURE))
        defaultPicture_ = folder + DEFAULT_PICTURE;
    librariesLoaded_ = TerApi::LoadEditorLibraries(folder, newerHost, api_);
    if (librariesLoaded_)
        editorVersion_ = api_.Version;
}

HWND THtsTerConverter::Editor()
{
    if (!editorMade_) {
        editorMade_ = true;
        MakeEditor();
    }
    return editor_;
}

void THtsTerConverter::MakeEditor()
{
    if (!librariesLoaded_ || !CreateHiddenWindow(width_) || !CreateEditor())
        return;
    // Flag word 6 without that bit; the add-on is then bound to the control and our window.
    if (api_.TerSetFlags6)
        api_.TerSetFlags6(editor_, FALSE, FLAG6_CLEARED);
    if (api_.HtsInitialize)
        api_.HtsInitialize(editor_, hidden_);
}

THtsTerConverter::~THtsTerConverter()
{
    if (editor_) {
        if (api_.HtsClearWindow)
            api_.HtsClearWindow(editor_);
        HGLOBAL memory = nullptr;
        LONG size = 0;
        const bool closed = api_.HtsClose && api_.HtsClose(editor_, 1, 0, &memory, &size);
        TerApi::FreeGlobalZeroed(memory);
        if ((!closed || !memory) && api_.CloseTer)
            api_.CloseTer(editor_, TRUE);
        DestroyWindow(editor_);
    }
    if (hidden_) {
        SetWindowLongPtrA(hidden_, GWLP_WNDPROC, LONG_PTR(previousProc_));
        RemovePropA(hidden_, PROPERTY_NAME);
        DestroyWindow(hidden_);
    }
}

bool THtsTerConverter::CreateHiddenWindow(int width)
{
    const RECT area = WorkArea();
    const int w = width > 0 ? width : GetSystemMetrics(SM_CXSCREEN) - area.left;
    hidden_ = CreateWindowExA(0, "#32770", "", HIDDEN_STYLE, area.left, area.top, w, area.bottom - area.top,
        nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!hidden_)
        return false;
    SetWindowPos(hidden_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetPropA(hidden_, PROPERTY_NAME, this);
    previousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hidden_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HiddenWindowProc)));
    return true;
}

bool THtsTerConverter::CreateEditor()
{
    if (!api_.TerCreateWindowAlt)
        return false;
    RECT client {};
    GetClientRect(hidden_, &client);
    editor_ = api_.TerCreateWindowAlt(0, 0, client.right, client.bottom, -1, hidden_, EDITOR_STYLE);
    return editor_ != nullptr;
}

void THtsTerConverter::SetWidth(int width)
{
    RECT client {};
    GetClientRect(hidden_, &client);
    MoveWindow(editor_, 0, 0, width, client.bottom, FALSE);
    if (api_.TerSetFlags4)
        api_.TerSetFlags4(editor_, TRUE, FLAG4_SET);
    if (api_.TerSetFlags5)
        api_.TerSetFlags5(editor_, TRUE, FLAG5_SET);
}

// Quoted and list lines of a narrow conversion are indented so that their nesting stays visible.
void THtsTerConverter::IndentFlaggedLines(int width)
{
    if (!api_.TerCommand2 || !api_.TerGetParam || !api_.TerCommand2(editor_, TerApi::COMMAND_REFORMAT_HTML, -1)
        || api_.TerGetParam(editor_, TerApi::PARAM_FLAGGED_LINES) <= 0)
        return;
    if (api_.DeselectTerText)
        api_.DeselectTerText(editor_, FALSE);
    const RECT area = WorkArea();
    if (width >= (area.right - area.left) / 4 || !api_.SetTerCursorPos || !api_.TerGetLineParam
        || !api_.TerSetParaIndent)
        return;
    const LONG lines = api_.TerGetParam(editor_, TerApi::PARAM_LINE_COUNT);
    for (LONG i = 0; i < lines; ++i) {
        api_.SetTerCursorPos(editor_, i, 0, FALSE);
        const int indent = api_.TerGetLineParam(editor_, i, TerApi::LINE_PARAM_INDENTED) ? INDENT : -1;
        api_.TerSetParaIndent(editor_, indent, -1, -1, FALSE);
    }
}

std::string THtsTerConverter::Output(int format, int& textHeight)
{
    if (api_.TerGetTextHeight) {
        HDC screen = GetDC(nullptr);
        const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen)
            ReleaseDC(nullptr, screen);
        textHeight = MulDiv(api_.TerGetTextHeight(editor_), dpi, 1440);
    }
    std::string text;
    if (api_.TerSetOutputFormat && api_.GetTerBuffer && api_.TerSetOutputFormat(editor_, format)) {
        LONG size = 0;
        text = TerApi::TakeGlobalText(api_.GetTerBuffer(editor_, &size), size);
    }
    if (api_.HtsClearWindow)
        api_.HtsClearWindow(editor_);
    return text;
}

void THtsTerConverter::ConvertHtmlToRtf(const std::string& html, int width, std::string& rtf, int& textHeight)
{
    rtf.clear();
    Editor();
    if (editor_ && api_.HtsClearWindow)
        api_.HtsClearWindow(editor_);
    if (!editor_ || html.empty() || !api_.HtsRead)
        return;
    if (width >= 0)
        SetWidth(width);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, html.size() + 1);
    if (!block)
        return;
    char* data = static_cast<char*>(GlobalLock(block));
    memcpy(data, html.c_str(), html.size() + 1);
    GlobalUnlock(block);
    pictures_.clear();
    const bool read = api_.HtsRead(editor_, 1, 0, block, LONG(html.size()), 0);
    TerApi::FreeGlobalZeroed(block);
    if (!read)
        return;
    IndentFlaggedLines(width);
    if (api_.TerPictAltInfo)
        for (const TPicture& picture : pictures_)
            api_.TerPictAltInfo(editor_, picture.Id, 0, picture.Reference.c_str());
    rtf = Output(TerApi::OUTPUT_RTF, textHeight);
}

void THtsTerConverter::ConvertRtfToHtml(const std::string& rtf, int width, std::string& html, int& textHeight)
{
    html.clear();
    Editor();
    if (editor_ && api_.HtsClearWindow)
        api_.HtsClearWindow(editor_);
    if (!editor_ || rtf.empty() || !api_.InsertRtfBuf)
        return;
    if (width >= 0)
        SetWidth(width);
    if (api_.InsertRtfBuf(editor_, rtf.c_str(), LONG(rtf.size()), -1, -1, FALSE))
        html = Output(TerApi::OUTPUT_HTML, textHeight);
}

LRESULT THtsTerConverter::ResolvePicture(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    char* buffer = reinterpret_cast<char*>(lParam);
    if (!buffer)
        return DefWindowProcA(window, message, wParam, lParam);
    const std::string reference(buffer, strnlen(buffer, TerApi::PICTURE_REFERENCE_SIZE));
    const TPictureResolution resolution = ResolvePictureReference(reference, IsLocalPicture);
    if (resolution.Answer == TPictureAnswer::Keep) {
        CopyReference(buffer, resolution.Path);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (resolution.Answer == TPictureAnswer::Remember)
        pictures_.push_back({ reference, 0 });
    CopyReference(buffer, defaultPicture_);
    return 1;
}

LRESULT THtsTerConverter::PictureInserted(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Only the picture just remembered is bound: a later picture must not take its reference.
    if (!pictures_.empty() && pictures_.back().Id == 0) {
        pictures_.back().Id = int(lParam);
        if (api_.TerPictAltInfo)
            api_.TerPictAltInfo(editor_, int(lParam), 0, pictures_.back().Reference.c_str());
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK THtsTerConverter::HiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        auto* self = static_cast<THtsTerConverter*>(GetPropA(window, PROPERTY_NAME));
        if (self && HWND(wParam) == self->editor_ && self->editor_) {
            if (message == TerApi::MSG_RESOLVE_PICTURE)
                return self->ResolvePicture(window, message, wParam, lParam);
            if (message == TerApi::MSG_PICTURE_INSERTED)
                return self->PictureInserted(window, message, wParam, lParam);
        }
    } catch (...) {
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void HtmlToRtf(const std::string& html, int width, int& textHeight, std::string& rtf, bool newerHost)
{
    THtsTerConverter converter(ProgramFolder(), width, newerHost);
    converter.ConvertHtmlToRtf(html, width, rtf, textHeight);
}

void RtfToHtml(const std::string& rtf, int width, int& textHeight, std::string& html, bool newerHost)
{
    THtsTerConverter converter(ProgramFolder(), width, newerHost);
    converter.ConvertRtfToHtml(rtf, width, html, textHeight);
}
