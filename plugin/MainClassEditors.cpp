// The main object's handling of the mail client's editor windows: each editor gets its record
// ("MdiEditorDataProp") and a replaced procedure, its page watches the send command, and the
// mail client's ask before a send (BeforeSend) decides whether the plug-in takes the send over.
#include "plugin/Guard.h"
#include "plugin/HostApi.h"
#include "plugin/MainClass.h"

#include "ui/dialogs/MessageDialogs.h"

#include <cstring>

namespace {
constexpr uint32_t BUILD_NEW_EDITOR_PROCEDURE = 4500;
constexpr WPARAM CMD_EDITOR_ENCRYPT = 104;
constexpr uint16_t TEXT_USE_ENCRYPTION_PAGE = 90;
constexpr uint16_t TEXT_ENCRYPTION_SWITCHED_OFF = 91;
constexpr uint16_t TEXT_DO_NOT_WARN = 178;
// The mail client's setting that makes new messages signed when it is 2.
constexpr int HOST_SETTING_SEND_OPTIONS = 89;
constexpr int32_t SEND_OPTIONS_SIGN = 2;
constexpr UINT DEFERRED_SEND_MS = 100;

bool ClassIs(HWND window, const char* name)
{
    char className[64] = {};
    return GetClassNameA(window, className, sizeof className) > 0 && lstrcmpiA(className, name) == 0;
}

// The editor library's control classes are "TER" + two characters + "CLASS".
bool IsEditControl(HWND window)
{
    char className[16] = {};
    return GetClassNameA(window, className, sizeof className) == 10 && std::strncmp(className, "TER", 3) == 0
        && std::strcmp(className + 5, "CLASS") == 0;
}

BOOL CALLBACK FindEditControl(HWND window, LPARAM found)
{
    if (!IsEditControl(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The page of an editor: the parent of its edit control; null while the control is not there.
HWND EditorPage(HWND editor)
{
    HWND control = nullptr;
    EnumChildWindows(editor, &FindEditControl, reinterpret_cast<LPARAM>(&control));
    return control ? GetParent(control) : nullptr;
}
} // namespace

void TMainClass::SubclassEditor(HWND editor)
{
    if (EditorDataOf(editor) || !SubclassRegistry::Subclass(editor, &TMainClass::EditorProc, reinterpret_cast<DWORD_PTR>(this)))
        return;
    auto record = std::make_unique<TEditorData>();
    TEncryptRoad& road = EncryptRoad();
    // An editor opened inside a request (the message put back into an editor) starts its own
    // record but must not end the send that request is running.
    const TSendRun running = road.Send();
    ResetEditorSendState(record.get());
    if (busy_.InRequest())
        road.Send() = running;
    SetPropA(editor, EDITOR_DATA_PROP, record.release());
    SubclassEditorPage(editor);
}

void TMainClass::SubclassEditorPage(HWND editor)
{
    HWND page = EditorPage(editor);
    if (page && !SubclassRegistry::IsSubclassed(page, &TMainClass::EditorPageProc))
        SubclassRegistry::Subclass(page, &TMainClass::EditorPageProc, reinterpret_cast<DWORD_PTR>(this));
}

void TMainClass::ReleaseEditor(HWND editor)
{
    std::unique_ptr<TEditorData> record(EditorDataOf(editor));
    RemovePropA(editor, EDITOR_DATA_PROP);
    SubclassRegistry::Unsubclass(editor, &TMainClass::EditorProc);
    if (HWND page = EditorPage(editor))
        SubclassRegistry::Unsubclass(page, &TMainClass::EditorPageProc);
}

void TMainClass::ReleaseEditors()
{
    for (HWND editor : SubclassRegistry::WindowsWith(&TMainClass::EditorProc))
        ReleaseEditor(editor);
}

void TMainClass::ResetEditorSendState(TEditorData* editor)
{
    EncryptRoad().ResetSendState(editor, PMInterface().GetHostSetting(HOST_SETTING_SEND_OPTIONS));
}

bool TMainClass::CloseEditorWindows()
{
    for (HWND editor : SubclassRegistry::WindowsWith(&TMainClass::EditorProc))
        SendMessageA(editor, WM_CLOSE, 0, 0);
    return SubclassRegistry::WindowsWith(&TMainClass::EditorProc).empty();
}

LRESULT CALLBACK TMainClass::EditorProc(
    HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    return GuardedOr(
        "EditorProc", [&] { return DefSubclassProc(window, message, wParam, lParam); },
        [&]() -> LRESULT {
            auto* self = reinterpret_cast<TMainClass*>(data);
            if (message == WM_SHOWWINDOW && wParam)
                self->SubclassEditorPage(window);
            // Older mail clients encrypt from their own command: the plug-in's encryption page is the way.
            if (message == WM_COMMAND && LOWORD(wParam) == CMD_EDITOR_ENCRYPT && lParam == 0
                && self->PMInterface().HostBuild() < BUILD_NEW_EDITOR_PROCEDURE) {
                ShowInfo(*self, self->Text(TEXT_USE_ENCRYPTION_PAGE));
                return 0;
            }
            // Its record is freed by the hook at WM_DESTROY, with the procedure given back.
            return DefSubclassProc(window, message, wParam, lParam);
        });
}

void TMainClass::WarnOfEncryptionSwitchedOff(HWND window, WPARAM wParam)
{
    // The editor a newer mail client announced: its command is seen here, before the mail client
    // acts on it.
    if (window != rememberedEditor_ || LOWORD(wParam) != CMD_EDITOR_ENCRYPT
        || !Values().MMWarning || IsDlgButtonChecked(window, HostApi::EDITOR_ENCRYPT_BOX) == BST_CHECKED)
        return;
    if (ShowWarningWithCheck(*this, Text(TEXT_ENCRYPTION_SWITCHED_OFF), Text(TEXT_DO_NOT_WARN)))
        SetMMWarning(false);
}

LRESULT CALLBACK TMainClass::EditorPageProc(
    HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    return GuardedOr(
        "EditorPageProc", [&] { return DefSubclassProc(window, message, wParam, lParam); },
        [&]() -> LRESULT {
            auto* self = reinterpret_cast<TMainClass*>(data);
            if (message != WM_COMMAND || LOWORD(wParam) != HostApi::CMD_EDITOR_SEND)
                return DefSubclassProc(window, message, wParam, lParam);
            return self->EditorPageSend(window, message, wParam, lParam);
        });
}

LRESULT TMainClass::EditorPageSend(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool sending = sendInProgress_;
    HWND editor = page;
    while (editor && !EditorDataOf(editor))
        editor = GetParent(editor);
    // A new send starts from the recipients of this message only.
    if (!sending)
        EncryptRoad().Recipients().Clear();
    sendArmed_ = true;
    const LRESULT result = DefSubclassProc(page, message, wParam, lParam);
    sendArmed_ = false;
    if (sending) {
        sendInProgress_ = false;
        // Whatever the user chose for this send ends with it: the next send from an editor that
        // stays open starts undecided.
        ResetEditorSendState(editor && IsWindow(editor) ? EditorDataOf(editor) : nullptr);
    }
    return result;
}

LRESULT TMainClass::BeforeSend()
{
    HWND editor = PMInterface().GetHostWindow(HostApi::HOST_WINDOW_ACTIVE_CHILD);
    TEditorData* record = editor && ClassIs(editor, HostApi::CLASS_EDITOR) ? EditorDataOf(editor) : nullptr;
    // Not a send the plug-in's editor announced: the mail client sends on its own.
    if (!sendArmed_ || !record)
        return 0;
    sendArmed_ = false;
    TEncryptRoad& road = EncryptRoad();
    if (!sendInProgress_) {
        if (road.CheckRecipientsOnSend(*record, editor))
            SetTimer(pluginWindow_, TIMER_DEFERRED_SEND, DEFERRED_SEND_MS, nullptr);
        else
            ResetEditorSendState(record);
        return HostApi::HOST_HANDLED;
    }
    if (road.ResolveSendRecipients(*record, editor))
        return 0;
    ResetEditorSendState(record);
    return HostApi::HOST_HANDLED;
}
