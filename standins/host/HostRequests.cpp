// The stand-in mail client's answers to the plug-in's numbered requests, from the settings table.
// Every answer fits its buffer with a NUL in the last byte; unknown requests answer 0.
#include "standins/host/Host.h"
#include "standins/host/HostLog.h"

#include <algorithm>
#include <cstring>

using namespace HostApi;

namespace {
void CopyBounded(LPARAM buffer, size_t size, const std::string& text)
{
    if (!buffer || size == 0)
        return;
    char* out = reinterpret_cast<char*>(buffer);
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

size_t SettingTextSize(int index)
{
    switch (index) {
    case 26:
        return 20;
    case 79:
        return 64;
    default:
        return NAME_BUFFER_SIZE;
    }
}

LRESULT FillSetting(int index, LPARAM buffer)
{
    const THostSettings& s = g_host.Settings;
    if (index == 45 || index == 48) {
        auto* font = reinterpret_cast<THostFontRecord*>(buffer);
        std::memset(font, 0, sizeof *font);
        CopyBounded(buffer, sizeof font->Face, s.FontFace);
        font->Points = s.FontPoints;
        return 1;
    }
    if (index == 91) {
        auto* record = reinterpret_cast<uint8_t*>(buffer);
        std::memset(record, 0, SIGNATURE_RECORD_SIZE);
        record[SIGNATURE_KIND_OFFSET] = s.SignatureKind;
        return 1;
    }
    CopyBounded(buffer, SettingTextSize(index), s.Text(index));
    return 1;
}

const char* EditorField(WPARAM which)
{
    static std::string field;
    const THostSettings& s = g_host.Settings;
    field = which == 1 ? s.To : which == 3 ? s.Cc : which == 4 ? s.Bcc : std::string();
    return field.c_str();
}
} // namespace

bool AnswerPluginRequest(UINT request, WPARAM wParam, LPARAM lParam, LRESULT& answer)
{
    THostSettings& s = g_host.Settings;
    const int index = static_cast<int>(wParam);
    answer = 0;
    switch (request) {
    case REQ_NEW_MAIL_FOLDER:
    case REQ_MAIL_FOLDER:
    case REQ_BASE_FOLDER: {
        const std::string& folder = request == REQ_NEW_MAIL_FOLDER ? s.NewMailFolder
            : request == REQ_MAIL_FOLDER                           ? s.MailFolder
                                                                   : s.BaseFolder;
        CopyBounded(lParam, std::min<size_t>(wParam, FOLDER_BUFFER_SIZE), folder);
        answer = 1;
        g_log.Line("request %u %u -> \"%s\"", request, index, folder.c_str());
        return true;
    }
    case REQ_CHOOSE_FOLDER:
        CopyBounded(lParam, NAME_BUFFER_SIZE, s.FolderChoice);
        answer = s.FolderChoice.empty() ? 0 : 1;
        g_log.Line("request %u -> \"%s\"", request, s.FolderChoice.c_str());
        return true;
    case REQ_GET_SETTING:
        answer = lParam ? FillSetting(index, lParam) : s.Integer(index);
        g_log.Line(
            "request %u %d%s -> %ld", request, index, lParam ? " buffer" : "", static_cast<long>(answer));
        return true;
    case REQ_SET_SETTING:
        s.Integers[index] = static_cast<int32_t>(lParam);
        g_log.Line("request %u %d %ld", request, index, static_cast<long>(lParam));
        return true;
    case REQ_HOST_TEXT:
        answer = reinterpret_cast<LRESULT>(EditorField(wParam));
        g_log.Line("request %u %d", request, index);
        return true;
    case REQ_STATUS_TEXT: {
        const char* text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        if (g_host.StatusPanel)
            SetWindowTextA(g_host.StatusPanel, text);
        g_log.Line("request %u %d status \"%s\"", request, index, text);
        return true;
    }
    case REQ_HOST_WINDOW:
        answer = reinterpret_cast<LRESULT>(wParam == HOST_WINDOW_FRAME ? g_host.Frame
                : wParam == HOST_WINDOW_MDI_CLIENT                     ? g_host.MdiClient
                                                                       : g_host.ActiveChild());
        g_log.Line("request %u %d", request, index);
        return true;
    case REQ_USER_NAME:
        CopyBounded(
            lParam, std::min<size_t>(wParam ? wParam : NAME_BUFFER_SIZE, NAME_BUFFER_SIZE), s.UserName);
        answer = 1;
        g_log.Line("request %u -> \"%s\"", request, s.UserName.c_str());
        return true;
    case REQ_HOST_RECORD: {
        answer = reinterpret_cast<LRESULT>(&HostMenuRecord());
        g_log.Line("request %u %d", request, index);
        return true;
    }
    case REQ_NEW_EDITOR:
        answer = reinterpret_cast<LRESULT>(g_host.CreateEditor());
        g_log.Line("request %u %d", request, index);
        return true;
    case REQ_ADD_BUTTON: {
        const auto* button = reinterpret_cast<const THostButtonRecord*>(lParam);
        if (button) {
            answer = AddPluginButton(*button);
            g_log.Line("request %u button %u \"%.63s\" -> %ld", request, button->CommandId, button->Tooltip,
                static_cast<long>(answer));
        }
        return true;
    }
    case REQ_REMOVE_BUTTON:
        g_log.Line("request %u %d%s", request, index, RemovePluginButton(index) ? "" : " unknown");
        return true;
    case REQ_VERSION:
        answer = s.Version;
        g_log.Line("request %u -> 0x%X", request, s.Version);
        return true;
    default:
        return false;
    }
}
