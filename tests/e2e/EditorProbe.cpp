// A test plug-in for the stand-in mail client: FORMINIT builds the mail-client and editor
// interfaces, and PROBE puts a message back into the active editor with the mail client's
// settings for a mode, reporting the settings and the editor's text on the status line.
#include "plugin/PMInterface.h"
#include "plugin/PutBackRecord.h"
#include "plugin/TERInterface.h"

#include <windows.h>

#include <memory>
#include <string>

namespace {
std::unique_ptr<TPMInterface> g_interface;
std::unique_ptr<TTERInterface> g_editors;

// One log line: line breaks shown as '~' (CR) and '/' (LF), TAB as '>'.
std::string Visible(std::string text)
{
    for (char& c : text)
        c = c == '\n' ? '/' : c == '\r' ? '~' : c == '\t' ? '>' : c;
    return text;
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string PutBack(int mode)
{
    HWND window = g_interface->ActiveEditorWindow(nullptr);
    HWND control = g_interface->GetEditorHandle(window, false);
    if (!control)
        return "no editor control";
    TPutBackRecord record;
    g_interface->GetPutBackSettings(window, mode, record);
    record.Parts = { { "Meet at noon.", 0 } };
    const bool put = g_editors->PutMessageIntoEditor(control, record);
    return std::to_string(put) + "|" + std::to_string(record.HostV4) + "|" + std::to_string(record.Flags) + "|"
        + std::to_string(record.BlockNumber) + "|" + record.LeadText + "|" + record.ClosingText + "|"
        + Visible(g_editors->GetSelectedText(control, false, false));
}
} // namespace

extern "C" uint32_t WINAPI FORMINIT(uint32_t, uint32_t, HWND hostWindow, uint32_t, HWND* window, uint32_t)
{
    try {
        g_interface = std::make_unique<TPMInterface>(hostWindow, "C:\\Res\\");
        g_editors = std::make_unique<TTERInterface>(ProgramFolder(), g_interface->HostBuild() > 4730);
        g_interface->EditorInterface = g_editors.get();
    } catch (...) {
        return 0;
    }
    *window = nullptr;
    return 1;
}

extern "C" void WINAPI PROBE(const char* what)
{
    if (!g_interface || !what)
        return;
    try {
        const std::string name = what;
        const std::string result = name == "handle"
            ? std::string(g_interface->GetEditorHandle(g_interface->ActiveEditorWindow(nullptr), false) ? "set" : "nil")
            : name.rfind("putback", 0) == 0 ? PutBack(name.back() - '0')
                                            : "unknown";
        g_interface->SetStatusText("probe " + name + ": " + result);
    } catch (...) {
        g_interface->SetStatusText("probe " + std::string(what) + ": exception");
    }
}
