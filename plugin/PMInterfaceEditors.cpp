// The mail-client interface's work on editor windows through the editor interface: the editor
// control of a window, the put-back settings, and moving an abandoned message into a new editor.
#include "plugin/PMInterface.h"

#include "foundation/ZAVEKResources.h"
#include "plugin/HostApi.h"
#include "plugin/PutBackRecord.h"
#include "plugin/TERInterface.h"

#include <algorithm>
#include <map>
#include <vector>

using namespace HostApi;

namespace {

// Controls of the editor's main page and options page whose values move to the new editor.
constexpr int MAIN_IDENTITY_COMBO = 100;
constexpr int MAIN_TEXTS[] = { 101, 102, 103, 104, 440 };
constexpr int MAIN_CHECKS[] = { 106, 107, 109, 110, 114 };
constexpr int OPTION_TEXTS[] = { 141, 142, 143, 145, 146, 147, 148, 149, 150 };
constexpr int OPTION_CHECKS[] = { 144, 152, 155 };
constexpr int OPTION_COMBO = 153;
constexpr int OPTION_LIST = 176;
constexpr int IDENTITY_TEXT = 440;
constexpr int CONTROL_TEXT_LIMIT = 32768;

// Editor sub-codes fed from the old editor's controls.
constexpr struct {
    WPARAM SubCode;
    int Control;
} TEXT_FIELDS[] = { { 0, 101 }, { 1, 102 }, { 2, 103 }, { 10, 141 }, { 14, 440 }, { 16, 142 } };
constexpr struct {
    WPARAM SubCode;
    int Control;
} CHECK_FIELDS[] = { { 4, 106 }, { 5, 110 }, { 6, 109 }, { 7, 107 }, { 19, 114 } };
constexpr WPARAM EDITOR_ADD_ATTACHMENT = 17;
constexpr WPARAM EDITOR_SIGNATURE_CHOICE = 11;
constexpr uint16_t TEXT_MESSAGE_REOPENED = 332;

// Language texts of the reader's signature block and marker lines.
constexpr uint16_t TEXT_GOOD_SIGNATURE = 423, TEXT_OTHER_SIGNATURE = 424, TEXT_LINK_CAPTION = 425,
                   TEXT_LINK_HINT = 426, TEXT_LINK_DATA = 427, TEXT_KIND_PART = 428, TEXT_BEGIN_MARKER = 429,
                   TEXT_END_MARKER = 430;
constexpr UINT HOST_STRING_FORWARD_LEAD = 2, HOST_STRING_FORWARD_END = 188, HOST_STRING_REPLY_LEAD = 670;

std::string ControlText(HWND page, int id)
{
    HWND control = page ? GetDlgItem(page, id) : nullptr;
    if (!control)
        return {};
    std::vector<char> text(size_t(std::min(GetWindowTextLengthA(control), CONTROL_TEXT_LIMIT)) + 1, '\0');
    GetWindowTextA(control, text.data(), int(text.size()));
    return text.data();
}

bool IsChecked(HWND page, int id)
{
    return page && IsDlgButtonChecked(page, id) == BST_CHECKED;
}

int ComboSelection(HWND page, int id)
{
    return page ? int(SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0)) : -1;
}

std::vector<std::string> ListItems(HWND page, int id)
{
    std::vector<std::string> items;
    const int count = page ? int(SendDlgItemMessageA(page, id, LB_GETCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        const int length = int(SendDlgItemMessageA(page, id, LB_GETTEXTLEN, WPARAM(i), 0));
        if (length < 0 || length > CONTROL_TEXT_LIMIT)
            continue;
        std::vector<char> item(size_t(length) + 1, '\0');
        SendDlgItemMessageA(page, id, LB_GETTEXT, WPARAM(i), LPARAM(item.data()));
        items.emplace_back(item.data());
    }
    return items;
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// What an editor window holds, read from its pages and its editor control.
struct TEditorFields {
    std::string Text;
    int IdentityChoice = -1;
    std::map<int, std::string> Texts;
    std::map<int, bool> Checks;
    int OptionChoice = -1;
    std::vector<std::string> Attachments;
};

} // namespace

HWND TPMInterface::GetEditorHandle(HWND window, bool styled) const
{
    if (!EditorInterface || !window)
        return nullptr;
    return styled && !IsReaderRaw(window) ? EditorInterface->FindViewerOrEditor(window, true)
                                          : EditorInterface->FindEditor(window);
}

void TPMInterface::GetPutBackSettings(HWND window, int mode, TPutBackRecord& record)
{
    record.Mode = mode;
    record.HostV4 = IsHostV4();
    record.MessageFont = GetMessageFont();
    const auto text = [this](uint16_t id) { return Strings ? Strings->GetEntry(id) : std::string(); };
    if (mode == 0) {
        record.GoodSignatureText = text(TEXT_GOOD_SIGNATURE);
        record.OtherSignatureText = text(TEXT_OTHER_SIGNATURE);
        record.LinkCaption = text(TEXT_LINK_CAPTION);
        record.LinkHint = text(TEXT_LINK_HINT);
        record.LinkData = text(TEXT_LINK_DATA);
        record.BeginMarkerFormat = text(TEXT_BEGIN_MARKER) + text(TEXT_KIND_PART);
        record.EndMarkerFormat = text(TEXT_END_MARKER) + text(TEXT_KIND_PART);
        return;
    }
    record.FurtherText = GetSignatureText();
    record.TabWidth = GetEditorTabWidth(window);
    if (mode == 1) {
        record.LeadText = GetHostString(HOST_STRING_REPLY_LEAD);
        record.Flags = GetReplyPlacement(record.BlockNumber);
    } else {
        record.LeadText = GetHostString(HOST_STRING_FORWARD_LEAD);
        record.ClosingText = GetHostString(HOST_STRING_FORWARD_END);
        record.BlockNumber = 0;
    }
}

bool TPMInterface::ReopenMessageInEditor(HWND& window, std::string& text)
{
    text = GetPlaceholderMessage();
    window = ActiveEditorWindow(nullptr);
    HWND oldControl = window && EditorInterface ? EditorInterface->FindEditor(window) : nullptr;
    if (!oldControl) {
        text.clear();
        return false;
    }
    TEditorFields old;
    old.Text = EditorInterface->GetEditorText(oldControl);
    HWND mainPage = EditorMainPage(window), optionsPage = EditorOptionsPage(window);
    old.IdentityChoice = ComboSelection(mainPage, MAIN_IDENTITY_COMBO);
    for (int id : MAIN_TEXTS)
        old.Texts[id] = ControlText(mainPage, id);
    for (int id : MAIN_CHECKS)
        old.Checks[id] = IsChecked(mainPage, id);
    for (int id : OPTION_TEXTS)
        old.Texts[id] = ControlText(optionsPage, id);
    for (int id : OPTION_CHECKS)
        old.Checks[id] = IsChecked(optionsPage, id);
    old.OptionChoice = ComboSelection(optionsPage, OPTION_COMBO);
    old.Attachments = ListItems(optionsPage, OPTION_LIST);
    if (old.Texts[IDENTITY_TEXT].empty())
        old.Texts[IDENTITY_TEXT] = ControlText(optionsPage, IDENTITY_TEXT);

    HWND fresh = reinterpret_cast<HWND>(Request(REQ_NEW_EDITOR, NEW_EDITOR_ALL_FIELDS, 0));
    HWND newControl = fresh ? EditorInterface->FindEditor(fresh) : nullptr;
    if (!newControl) {
        text.clear();
        return false;
    }
    EditorInterface->EnableRefresh(false);
    const auto field = [fresh](WPARAM subCode, LPARAM value) { SendMessageA(fresh, WM_EDITOR_FIELD, subCode, value); };
    for (const auto& f : TEXT_FIELDS)
        field(f.SubCode, reinterpret_cast<LPARAM>(old.Texts[f.Control].c_str()));
    HWND newMain = EditorMainPage(fresh), newOptions = EditorOptionsPage(fresh);
    if (newMain)
        SetDlgItemTextA(newMain, 104, old.Texts[104].c_str());
    for (const std::string& attachment : old.Attachments)
        field(EDITOR_ADD_ATTACHMENT, reinterpret_cast<LPARAM>(attachment.c_str()));
    const bool textPut = EditorInterface->SetEditorText(newControl, old.Text);
    for (const auto& f : CHECK_FIELDS)
        field(f.SubCode, old.Checks[f.Control] ? 1 : 0);
    field(EDITOR_SIGNATURE_CHOICE, old.IdentityChoice - 1);
    if (newOptions) {
        for (int id : OPTION_CHECKS)
            CheckDlgButton(newOptions, id, old.Checks[id] ? BST_CHECKED : BST_UNCHECKED);
        for (int id : { 145, 146, 147, 148, 149, 143, 150 })
            SetDlgItemTextA(newOptions, id, old.Texts[id].c_str());
        SendDlgItemMessageA(newOptions, OPTION_COMBO, CB_SETCURSEL, WPARAM(old.OptionChoice), 0);
    }
    field(EDITOR_COMMIT, 0);
    EditorInterface->EnableRefresh(true);

    PumpMessages();
    SetFocus(fresh);
    if (HWND client = GetHostWindow(HOST_WINDOW_MDI_CLIENT))
        SendMessageA(client, WM_MDIACTIVATE, WPARAM(fresh), 0);
    window = fresh;
    if (!textPut && !old.Text.empty()) {
        text.clear();
        return false;
    }
    ShowText(TEXT_MESSAGE_REOPENED, false);
    return true;
}
