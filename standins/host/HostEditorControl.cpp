// The editor windows' text control of the stand-in mail client: an editor-library control from the
// TER32.DLL beside the program (when it is there), which script steps fill and log.
#include "standins/host/HostEditorControl.h"
#include "foundation/TerApi.h"
#include "standins/host/Host.h"
#include "standins/host/HostLog.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* EDITOR_LIBRARY = "TER32.DLL";
constexpr const char* CONTROL_CLASS = "TER32CLASS";
constexpr int CONTROL_TOP = 40;

// The editor library's entries as the plug-in binds them.
using TCreateControl = TerApi::TerCreateWindowAltProc;
using TInsertText = TerApi::InsertRtfBufProc;
using TSetBuffer = TerApi::SetTerBufferProc;

HMODULE EditorLibrary()
{
    static HMODULE library = [] {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
        std::string folder = path;
        folder = folder.substr(0, folder.find_last_of('\\') + 1);
        return LoadLibraryA((folder + EDITOR_LIBRARY).c_str());
    }();
    return library;
}

template <typename Proc> Proc Entry(const char* name)
{
    HMODULE library = EditorLibrary();
    return library ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

HWND ControlOf(HWND editor) { return editor ? FindWindowExA(editor, nullptr, CONTROL_CLASS, nullptr) : nullptr; }

std::string ControlText(HWND control)
{
    std::vector<char> text(control ? size_t(GetWindowTextLengthA(control)) + 1 : 1, '\0');
    if (control)
        GetWindowTextA(control, text.data(), int(text.size()));
    return text.data();
}

BOOL CALLBACK LogEditor(HWND window, LPARAM)
{
    char name[32] = {}, title[128] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, HostApi::CLASS_EDITOR) != 0)
        return TRUE;
    GetWindowTextA(window, title, sizeof title);
    // One log line per editor: its line breaks are written as '|', as a reader's are.
    std::string text = ControlText(ControlOf(window));
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, '|');
    g_log.Line("editor \"%s\" text \"%.300s\"", title, text.c_str());
    return TRUE;
}

} // namespace

void CreateEditorControl(HWND editor)
{
    if (auto create = Entry<TCreateControl>("TerCreateWindowAlt"))
        create(4, CONTROL_TOP, 400, 200, -1, editor, WS_CHILD | WS_VISIBLE | WS_BORDER);
}

void SetEditorControlText(HWND editor, const std::string& text)
{
    HWND control = ControlOf(editor);
    auto insert = Entry<TInsertText>("InsertRtfBuf");
    if (control && insert)
        insert(control, text.c_str(), LONG(text.size()), -1, -1, TRUE);
    else
        g_log.Line("editor has no text control");
}

void LogEditorTexts()
{
    if (g_host.MdiClient)
        EnumChildWindows(g_host.MdiClient, LogEditor, 0);
}

void CreateReaderControl(HWND reader, int top)
{
    RECT client = {};
    GetClientRect(reader, &client);
    if (auto create = Entry<TCreateControl>("TerCreateWindowAlt"))
        create(0, top, client.right, std::max<int>(client.bottom - top, 100), -1, reader, WS_CHILD | WS_VISIBLE);
}

bool SetReaderControlText(HWND reader, const std::string& text)
{
    HWND control = ControlOf(reader);
    auto set = Entry<TSetBuffer>("SetTerBuffer");
    HGLOBAL block = control && set ? GlobalAlloc(GMEM_MOVEABLE, text.size() + 1) : nullptr;
    if (!block)
        return false;
    char* data = static_cast<char*>(GlobalLock(block));
    memcpy(data, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    // The library takes the block.
    return set(control, block, LONG(text.size()), nullptr, TRUE) != FALSE;
}

void LogReaderText(HWND reader)
{
    HWND control = ControlOf(reader);
    if (!control) {
        g_log.Line("reader has no text control");
        return;
    }
    std::string text = ControlText(control);
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = '|';
    g_log.Line("reader text \"%.600s\"", text.c_str());
}
